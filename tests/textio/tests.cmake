quillon_add_test(test_format textio/test_format.cpp)
quillon_add_test(test_console textio/test_console.cpp)
quillon_add_test(test_list_read textio/test_list_read.cpp)
quillon_add_test(test_text_utils textio/test_text_utils.cpp)
