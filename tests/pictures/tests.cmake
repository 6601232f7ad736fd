quillon_add_test(test_plot pictures/test_plot.cpp)
