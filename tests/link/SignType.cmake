qvx_add_test(test_signtype
  SOURCES SignTypeTest.cpp
  LIBS qvx_link)
