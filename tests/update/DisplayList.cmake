# The display list reader: record layout, line ends, overflowing numbers, Open's faults.
qvx_add_test(test_display_list
  SOURCES DisplayListTest.cpp
  LIBS qvx_update)
