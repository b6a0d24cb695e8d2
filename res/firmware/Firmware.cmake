# The firmware packages the tool carries: BIN 248 (FX40211.EXE) and BIN 265 (FP9023417.EXE).
#
# The maker's images are not part of this repository. Unless QVX_FIRMWARE_FX40211 or
# QVX_FIRMWARE_FP9023417 names a real image, qvx-mkfirm writes a stand-in of the real size and
# revision. Either way the image is placed in the build tree under its proper name and packed with
# qvx-zlb, the same code that makes packages for users, so the package sits beside it.
set(QVX_FIRMWARE_FX40211 "" CACHE FILEPATH "The maker's FX40211.EXE to embed instead of a generated stand-in")
set(QVX_FIRMWARE_FP9023417 "" CACHE FILEPATH "The maker's FP9023417.EXE to embed instead of a generated stand-in")

# Build-only: writes the stand-in images.
add_executable(qvx-mkfirm firmware/MakeStandInFirmware.cpp)
target_link_libraries(qvx-mkfirm PRIVATE qvx_base)
# Optimised even in debug and sanitizer builds: it runs on every fresh build.
target_compile_options(qvx-mkfirm PRIVATE $<$<CONFIG:Debug>:-O2>)
set_target_properties(qvx-mkfirm PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/firmware)

# The two tools run during the build, so a cross build takes them from a build for this machine
# (make windows builds them first).
if(CMAKE_CROSSCOMPILING)
  set(QVX_HOST_TOOLS_DIR "" CACHE PATH "Folder with qvx-mkfirm and qvx-zlb built for the build machine")
  if(NOT EXISTS "${QVX_HOST_TOOLS_DIR}/qvx-mkfirm" OR NOT EXISTS "${QVX_HOST_TOOLS_DIR}/qvx-zlb")
    message(FATAL_ERROR "a cross build needs QVX_HOST_TOOLS_DIR with qvx-mkfirm and qvx-zlb for this machine")
  endif()
  set(QVX_MKFIRM ${QVX_HOST_TOOLS_DIR}/qvx-mkfirm)
  set(QVX_ZLB ${QVX_HOST_TOOLS_DIR}/qvx-zlb)
else()
  set(QVX_MKFIRM qvx-mkfirm)
  set(QVX_ZLB qvx-zlb)
endif()

set(QVX_FIRMWARE_DIR ${CMAKE_CURRENT_BINARY_DIR}/firmware)
# Tests read where the images are and which of them are stand-ins.
set_target_properties(qvx_res PROPERTIES QVX_FIRMWARE_DIR ${QVX_FIRMWARE_DIR})

# qvx_firmware_package(<id> <name> <real image or ""> <stand-in size> <stand-in revision>)
function(qvx_firmware_package id name real size revision)
  set(image ${QVX_FIRMWARE_DIR}/${name}.EXE)
  set(package ${QVX_FIRMWARE_DIR}/${name}.zlb)
  if(real)
    get_filename_component(real "${real}" ABSOLUTE BASE_DIR "${CMAKE_BINARY_DIR}")
    if(NOT EXISTS "${real}" OR IS_DIRECTORY "${real}")
      message(FATAL_ERROR "${name}: no firmware image at ${real}")
    endif()
    add_custom_command(OUTPUT ${image}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${QVX_FIRMWARE_DIR}
      COMMAND ${CMAKE_COMMAND} -E copy ${real} ${image}
      DEPENDS ${real}
      COMMENT "Taking the maker's ${name}.EXE from ${real}"
      VERBATIM)
    set(standin OFF)
  else()
    add_custom_command(OUTPUT ${image}
      COMMAND ${QVX_MKFIRM} ${image} ${size} ${revision}
      DEPENDS ${QVX_MKFIRM}
      COMMENT "Writing the stand-in ${name}.EXE"
      VERBATIM)
    set(standin ON)
  endif()
  add_custom_command(OUTPUT ${package}
    COMMAND ${QVX_ZLB} pack ${image}
    DEPENDS ${image} ${QVX_ZLB}
    COMMENT "Packing ${name}.zlb"
    VERBATIM)
  add_custom_target(qvx_firmware_${name} DEPENDS ${package})
  set_target_properties(qvx_res PROPERTIES QVX_STANDIN_${name} ${standin})
  qvx_embed_resource(TYPE BIN ID ${id} FILE ${package} DEPENDS qvx_firmware_${name})
endfunction()

qvx_firmware_package(248 FX40211 "${QVX_FIRMWARE_FX40211}" 1556288 1.2.11)
qvx_firmware_package(265 FP9023417 "${QVX_FIRMWARE_FP9023417}" 2949328 3.11.3)
