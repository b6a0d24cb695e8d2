# The verification test wizard: its pages driven with window messages over a core without a
# connection, the check pages' pictures, and the wizard from the main window against the
# stand-in controller; under Wine with a display.
qvx_add_window_test(test_win_wizard SOURCES WizardWinTest.cpp LIBS qvx_win_verify
  CASES WizardWinTest.* BoardPicture.* WizardLineTest.WholeWizardThenDisconnected
        WizardLineTest.CancelKeepsTheConnection)

# Pictures of the wizard's pages (qvx_win_wizard_screenshots <folder>, under Wine with a display).
add_executable(qvx_win_wizard_screenshots WizardScreenshots.cpp)
target_link_libraries(qvx_win_wizard_screenshots PRIVATE qvx_win_window_rig qvx_win_resources)
