# The main window against the stand-in controller, and the program that renders the screenshots of
# the README (make screenshots).
qvx_add_window_test(test_window_main SOURCES MainWindowTest.cpp ${PROJECT_SOURCE_DIR}/tests/sim/TestElf.cpp
  LIBS qvx_app_window qvx_sim)

add_executable(qvx_window_screenshots WindowScreenshots.cpp)
set_target_properties(qvx_window_screenshots PROPERTIES AUTOMOC ON)
target_link_libraries(qvx_window_screenshots PRIVATE qvx_app_window qvx_sim)
target_include_directories(qvx_window_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests)
