qvx_add_test(test_connection
  SOURCES ConnectionTest.cpp
  LIBS qvx_connection qvx_sim)
qvx_add_test(test_display_actions
  SOURCES DisplayActionsTest.cpp
  LIBS qvx_connection qvx_sim)
qvx_add_test(test_operations
  SOURCES OperationTest.cpp
  LIBS qvx_connection)
qvx_add_test(test_adapter_delay
  SOURCES AdapterDelayWatchTest.cpp
  LIBS qvx_connection)
