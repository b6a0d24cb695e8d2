# Firmware packages, the firmware version reader, the embedded resources and qvx-zlb.
find_package(ZLIB REQUIRED)
# They run Linux tools (qvx-zlb, readelf, the PowerPC assembler) and the stand-in controller.
if(NOT WIN32)
  get_target_property(QVX_TEST_FIRMWARE_DIR qvx_res QVX_FIRMWARE_DIR)
  get_target_property(QVX_TEST_STANDIN_FX40211 qvx_res QVX_STANDIN_FX40211)
  get_target_property(QVX_TEST_STANDIN_FP9023417 qvx_res QVX_STANDIN_FP9023417)

  qvx_add_test(test_packages
    SOURCES PackageTestSupport.cpp ${PROJECT_SOURCE_DIR}/tests/sim/TestElf.cpp ZlbFileTest.cpp FirmwareElfTest.cpp
            EmbeddedFirmwareTest.cpp ZlbToolTest.cpp
    LIBS qvx_package qvx_res qvx_sim ZLIB::ZLIB)
  target_compile_definitions(test_packages PRIVATE
    QVX_FIRMWARE_DIR="${QVX_TEST_FIRMWARE_DIR}"
    QVX_STANDIN_FX40211=$<BOOL:${QVX_TEST_STANDIN_FX40211}>
    QVX_STANDIN_FP9023417=$<BOOL:${QVX_TEST_STANDIN_FP9023417}>
    QVX_ZLB="$<TARGET_FILE:qvx-zlb>"
    QVX_MKFIRM="$<TARGET_FILE:qvx-mkfirm>")
  # The tests run both programs.
  add_dependencies(test_packages qvx-zlb qvx-mkfirm)

  qvx_add_test(test_echo_firmware
    SOURCES ${PROJECT_SOURCE_DIR}/tests/link/SimFixture.cpp EchoFirmwareTest.cpp
    LIBS qvx_link qvx_sim qvx_res)
endif()
