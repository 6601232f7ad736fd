quillon_add_test(test_random_pool optimise/test_random_pool.cpp)
quillon_add_test(test_search_golden optimise/test_search_golden.cpp)
target_compile_definitions(test_search_golden PRIVATE
  QUILLON_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/report/data")
quillon_add_test(test_tunnelling_search optimise/test_tunnelling_search.cpp)
quillon_add_test(test_steepda optimise/test_steepda.cpp)
