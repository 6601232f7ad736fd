quillon_add_test(test_report_statistics report/test_statistics.cpp)
quillon_add_test(test_fit_report report/test_fit_report.cpp)
quillon_add_test(test_plot2scrn report/test_plot2scrn.cpp)
quillon_add_test(test_uncertainty report/test_uncertainty.cpp)
quillon_add_test(test_report_transcript report/test_report_transcript.cpp)
target_compile_definitions(test_report_transcript
                           PRIVATE QUILLON_REPORT_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/report/data"
                                   QUILLON_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
