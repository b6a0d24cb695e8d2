# The verification test wizard's pages driven with window messages over a core without a
# connection, and the check pages' pictures; under Wine with a display.
qvx_add_windows_test(test_win_wizard SOURCES WizardWinTest.cpp
  LIBS qvx_win_verify qvx_win_update qvx_win_app qvx_win_resources)
set_tests_properties(test_win_wizard PROPERTIES LABELS wine-window)
