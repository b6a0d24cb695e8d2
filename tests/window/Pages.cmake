# The pages of the main window's page area: texts, object names, enabling and their signals.
qvx_add_window_test(test_window_pages
  SOURCES PagesTest.cpp
  LIBS qvx_connection_window qvx_update_window qvx_verify_window
)
