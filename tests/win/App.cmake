# The tool's Windows parts (paths, console, stop requests, files replaced whole, the log) under Wine.
qvx_add_windows_test(test_win_app SOURCES AppWinTest.cpp LIBS qvx_app)
