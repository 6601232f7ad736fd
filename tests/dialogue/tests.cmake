quillon_add_test(test_banner dialogue/test_banner.cpp)
