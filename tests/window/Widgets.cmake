# The message list, the progress window and the "Download Configuration" dialog.
qvx_add_window_test(test_window_widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WidgetsTest.cpp
  LIBS qvx_update_window)
