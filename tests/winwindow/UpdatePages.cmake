# The "Download Firmware" and "Download Configuration" pages and the "Download Configuration"
# dialog in a window of the test's own under Wine.
qvx_add_windows_test(test_win_update_pages SOURCES UpdatePagesWinTest.cpp LIBS qvx_win_update qvx_win_resources)
set_tests_properties(test_win_update_pages PROPERTIES LABELS wine-window)
