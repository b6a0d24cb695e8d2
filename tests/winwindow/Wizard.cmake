# The verification test wizard's pages driven with window messages over a core without a
# connection, and the check pages' pictures; under Wine with a display.
qvx_add_windows_test(test_win_wizard SOURCES WizardWinTest.cpp
  LIBS qvx_win_verify qvx_win_update qvx_win_app qvx_win_resources)
set_tests_properties(test_win_wizard PROPERTIES LABELS wine-window RUN_SERIAL TRUE)

# Pictures of the wizard's pages (qvx_win_wizard_screenshots <folder>, under Wine with a display).
add_executable(qvx_win_wizard_screenshots WizardScreenshots.cpp WizardCapture.cpp)
target_link_libraries(qvx_win_wizard_screenshots PRIVATE qvx_win_verify qvx_win_update qvx_win_app qvx_win_resources)
target_link_options(qvx_win_wizard_screenshots PRIVATE -municode)
