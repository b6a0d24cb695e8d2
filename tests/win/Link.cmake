# The Win32 port layer and the protocol library's Windows names, under Wine against the harness's
# stand-in controller on COM1.
qvx_add_windows_test(test_win_link
  SOURCES SerialPortWinTest.cpp RoundTripWinTest.cpp DebugOutputWinTest.cpp MessageNamesTest.cpp
    MessageNamesFirst.cpp MessageNamesAfter.cpp MessageNamesLater.cpp MessageNamesWithout.cpp
    HeadersAfterWindows.cpp
  LIBS qvx_link)
