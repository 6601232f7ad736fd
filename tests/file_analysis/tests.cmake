quillon_add_test(test_warnings file_analysis/test_warnings.cpp)
quillon_add_test(test_compare file_analysis/test_compare.cpp)
target_compile_definitions(test_compare PRIVATE QUILLON_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
quillon_add_test(test_global_fit file_analysis/test_global_fit.cpp)
