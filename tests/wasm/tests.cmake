# The WebAssembly build (cmake --workflow --preset wasm) against this one.
add_test(NAME wasm_outputs_match
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wasm/outputs_match.sh $<TARGET_FILE:quillon-batch>
                 ${PROJECT_SOURCE_DIR}/build/wasm/quillon-batch.js ${PROJECT_SOURCE_DIR}
                 ${CMAKE_CURRENT_BINARY_DIR}/wasm-outputs)
set_tests_properties(wasm_outputs_match PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
