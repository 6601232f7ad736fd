# The WebAssembly programs (emscripten): quillon-batch.js (+ .wasm), the batch program
# for Node, on the real file system.
set(QUILLON_WASM_COMMON -sALLOW_MEMORY_GROWTH=1 -sTOTAL_STACK=8MB)
# The linker runs JavaScript tools that need Debian's acorn, which a Node.js not
# from Debian does not look for.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)

add_executable(quillon-batch src/batch_main.cpp)
target_link_libraries(quillon-batch PRIVATE quillon_batch)
# Synchronous instantiation: this runtime would fetch() the .wasm, which Node cannot
# do from a file path.
target_link_options(quillon-batch PRIVATE ${QUILLON_WASM_COMMON} -sENVIRONMENT=node -sNODERAWFS=1
                    -sEXIT_RUNTIME=1 -sWASM_ASYNC_COMPILATION=0)

