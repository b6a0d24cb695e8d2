# What a Linux install holds beyond the protocol library (whose rules are in link/), and the Debian
# package made of it with CPack (`make package`: build/qvxfirminstaller_<version>_<arch>.deb).
# The Windows build has its own zip (scripts/windows-package.sh) and installs only the library.
if(WIN32)
  return()
endif()

# The tool, the stand-in controller (for trying the tool and a store's scripts without displays)
# and the firmware package tool. Installed without the build tree's RUNPATH: the library is then
# found in the system's library folder.
install(TARGETS qvxfirminstaller qvx-signsim qvx-zlb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Under another prefix (make install PREFIX=/opt/qvx) the tool finds the library from its own place;
# under /usr the system's folder is searched anyway, and the Debian package carries no run path.
if(NOT CMAKE_INSTALL_PREFIX MATCHES "^/usr/?$")
  file(RELATIVE_PATH _qvx_bin_to_lib "/p/${CMAKE_INSTALL_BINDIR}" "/p/${CMAKE_INSTALL_LIBDIR}")
  set_target_properties(qvxfirminstaller PROPERTIES INSTALL_RPATH "$ORIGIN/${_qvx_bin_to_lib}")
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/qvxfirminstaller)

# The udev rule that sets an FTDI adapter's latency timer to 1 ms when it is plugged in (the tool
# names it when replies come late). "lib", not the multiarch library folder: udev reads
# /usr/lib/udev/rules.d.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/udev/99-qvxfirminstaller-latency.rules
  DESTINATION lib/udev/rules.d)

# The manual page, compressed as Debian keeps them (-n: no name or time stamp inside, so the same
# page gives the same bytes).
find_program(QVX_GZIP gzip REQUIRED)
set(QVX_MAN_PAGE ${PROJECT_SOURCE_DIR}/docs/qvxfirminstaller.1)
set(QVX_MAN_PAGE_GZ ${CMAKE_CURRENT_BINARY_DIR}/docs/qvxfirminstaller.1.gz)
add_custom_command(OUTPUT ${QVX_MAN_PAGE_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/docs
  COMMAND ${QVX_GZIP} -9 -n -c ${QVX_MAN_PAGE} > ${QVX_MAN_PAGE_GZ}
  DEPENDS ${QVX_MAN_PAGE}
  COMMENT "Compressing the manual page"
  VERBATIM)
add_custom_target(qvx_man_page ALL DEPENDS ${QVX_MAN_PAGE_GZ})
install(FILES ${QVX_MAN_PAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package. Its paths are the install's: configure with CMAKE_INSTALL_PREFIX=/usr (as
# `make package` does) so that the library goes to /usr/lib/<multiarch>. The architecture is
# dpkg's, as CPack asks it.
set(QVX_PACKAGE_MAINTAINER "QVXFirmInstaller maintainers <maintainers@qvxfirminstaller.invalid>"
  CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qvxfirminstaller)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QVX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for LED reader-board sign controllers")
# The summary is the Description's first line, this its long text.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "QVXFirmInstaller talks to the sign controllers of LED reader-board displays over
serial ports: it connects, reads their configuration and status, installs
firmware, checks and downloads configurations, runs test patterns and the
verification test, and runs the unattended update job over a store's display
list with a job log, a JSON report and the job result as its exit status.
.
The package also holds the stand-in controller qvx-signsim (displays on
pseudo-terminals, for trying jobs without hardware), the firmware package tool
qvx-zlb, and the protocol library libs22network with its headers, CMake package
and pkg-config file.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from the libraries the programs load (Qt 6, zlib, the C and C++ runtimes), as
# dpkg-shlibdeps finds them; the package's own library is described by its shlibs file, which also
# makes dpkg run ldconfig after an install or removal.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
