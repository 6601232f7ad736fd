quillon_add_test(test_plot pictures/test_plot.cpp)
quillon_add_test(test_pdf pictures/test_pdf.cpp)
