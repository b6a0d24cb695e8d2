# The main window end to end: its controls, Auto Connect, the loop-back test, the actions, the
# progress window with Abort, the job in view.
qvx_add_window_test(test_win_main_window SOURCES MainWindowWinTest.cpp
  CASES MainWindowWinTest.StartsAsATechnicianExpects MainWindowLineTest.AutoConnectEndToEnd
        MainWindowLineTest.LoopBackTest MainWindowLineTest.DisplayActions
        MainWindowLineTest.AbortDuringFirmwareTransfer MainWindowLineTest.AutomaticJobInView)
