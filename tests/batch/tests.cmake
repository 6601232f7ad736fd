quillon_add_test(test_csv batch/test_csv.cpp)
quillon_add_test(test_warnings batch/test_warnings.cpp)
quillon_add_test(test_batch_program batch/test_batch_program.cpp)
target_compile_definitions(test_batch_program PRIVATE QUILLON_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                                      QUILLON_BATCH="$<TARGET_FILE:quillon-batch>")
add_dependencies(test_batch_program quillon-batch)
