qvx_add_test(test_graphic
  SOURCES GraphicTest.cpp
  LIBS qvx_link)
