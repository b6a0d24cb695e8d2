# The verification test wizard against the stand-in controller, and the program that renders its
# pages for the README (qvx_wizard_screenshots <folder>).
qvx_add_window_test(test_window_wizard SOURCES WizardTest.cpp LIBS qvx_verify_window qvx_sim)

add_executable(qvx_wizard_screenshots WizardScreenshots.cpp)
set_target_properties(qvx_wizard_screenshots PROPERTIES AUTOMOC ON)
target_link_libraries(qvx_wizard_screenshots PRIVATE qvx_verify_window qvx_sim)
target_include_directories(qvx_wizard_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests)
