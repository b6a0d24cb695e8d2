qvx_add_test(test_firmware_version
  SOURCES FirmwareVersionTest.cpp FirmwareFixture.cpp FirmwareDecisionTest.cpp
  LIBS qvx_update qvx_sim)

qvx_add_test(test_firmware_install
  SOURCES FirmwareFixture.cpp FirmwareInstallTest.cpp AutoConnectTest.cpp ExternalFirmwareTest.cpp AdapterDelayTest.cpp
          ${PROJECT_SOURCE_DIR}/tests/sim/TestElf.cpp
  LIBS qvx_update qvx_sim)

# The fault soak: a few seeded runs here; `make soak` runs many (QVX_SOAK_RUNS).
qvx_add_test(test_firmware_soak
  SOURCES FirmwareFixture.cpp FirmwareSoakTest.cpp
  LIBS qvx_update qvx_sim)

qvx_add_test(test_automatic_job
  SOURCES AutomaticJobTest.cpp JobPlanTest.cpp
  LIBS qvx_update qvx_sim)

# The job and the plan with the COM ports worked at the same time (also run under ThreadSanitizer:
# `make test-tsan`).
qvx_add_test(test_parallel_job
  SOURCES ParallelJobTest.cpp
  LIBS qvx_update qvx_sim)
