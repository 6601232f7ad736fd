quillon_add_test(test_dsort3 report/test_dsort3.cpp)
