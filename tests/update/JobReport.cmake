# The job report: its JSON and the atomic write.
qvx_add_test(test_job_report
  SOURCES JobReportTest.cpp
  LIBS qvx_update)
qvx_add_test(test_job_time_model
  SOURCES JobTimeModelTest.cpp
  LIBS qvx_update)
