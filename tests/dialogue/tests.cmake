quillon_add_test(test_banner dialogue/test_banner.cpp)
quillon_add_test(test_format dialogue/test_format.cpp)
quillon_add_test(test_console dialogue/test_console.cpp)
quillon_add_test(test_list_read dialogue/test_list_read.cpp)
