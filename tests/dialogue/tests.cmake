quillon_add_test(test_banner dialogue/test_banner.cpp)
quillon_add_test(test_prompts dialogue/test_prompts.cpp)
