quillon_add_test(test_batch_program batch/test_batch_program.cpp)
target_compile_definitions(test_batch_program PRIVATE QUILLON_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                                      QUILLON_BATCH="$<TARGET_FILE:quillon-batch>"
                                                      QUILLON_INTERACTIVE="$<TARGET_FILE:quillon>")
add_dependencies(test_batch_program quillon-batch quillon)
add_test(NAME split_join COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/batch/split_join.sh
                                 $<TARGET_FILE:quillon-batch> ${PROJECT_SOURCE_DIR}
                                 ${CMAKE_CURRENT_BINARY_DIR}/split-join)
add_test(NAME install_and_package
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR} -P
                 ${CMAKE_CURRENT_SOURCE_DIR}/batch/install_check.cmake)
add_test(NAME svg_check COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/batch/svg_check.sh
                                $<TARGET_FILE:quillon-batch> ${PROJECT_SOURCE_DIR}
                                ${CMAKE_CURRENT_BINARY_DIR}/svg-check)
add_test(NAME browser_check COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/batch/browser_check.sh
                                    $<TARGET_FILE:quillon-batch> ${PROJECT_SOURCE_DIR}
                                    ${CMAKE_CURRENT_BINARY_DIR}/browser-check)
set_tests_properties(browser_check PROPERTIES SKIP_RETURN_CODE 77)
