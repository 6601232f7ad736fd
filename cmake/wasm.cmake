# The WebAssembly programs (emscripten):
#   quillon-batch.js (+ .wasm)  the batch program for Node, on the real file system;
#   web/                        the page: its files, and quillon-worker.js, which holds
#                               the whole source of its worker as one string.
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

# The page's core: the same program on an in-memory file system, run by the worker.
# The .wasm is embedded because a page opened from file:// may fetch nothing.
add_executable(quillon-core src/batch_main.cpp)
target_link_libraries(quillon-core PRIVATE quillon_batch)
target_link_options(quillon-core PRIVATE ${QUILLON_WASM_COMMON} -sENVIRONMENT=web,worker
                    -sMODULARIZE=1 -sEXPORT_NAME=createQuillonCore -sSINGLE_FILE=1
                    -sINVOKE_RUN=0 -sFORCE_FILESYSTEM=1 -sEXPORTED_RUNTIME_METHODS=FS,callMain)

set(web_out ${PROJECT_BINARY_DIR}/web)
file(MAKE_DIRECTORY ${web_out})
file(GLOB web_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/web/*)
set(web_outputs ${web_out}/quillon-worker.js)
foreach(source IN LISTS web_sources)
  get_filename_component(name ${source} NAME)
  if(name STREQUAL "worker.js")
    continue()
  endif()
  add_custom_command(OUTPUT ${web_out}/${name}
                     COMMAND ${CMAKE_COMMAND} -E copy ${source} ${web_out}/${name}
                     DEPENDS ${source} VERBATIM)
  list(APPEND web_outputs ${web_out}/${name})
endforeach()
find_program(QUILLON_NODE NAMES node nodejs REQUIRED)
add_custom_command(OUTPUT ${web_out}/quillon-worker.js
                   COMMAND ${QUILLON_NODE} ${PROJECT_SOURCE_DIR}/cmake/worker_source.js
                           $<TARGET_FILE:quillon-core> ${PROJECT_SOURCE_DIR}/web/worker.js
                           ${web_out}/quillon-worker.js
                   DEPENDS quillon-core ${PROJECT_SOURCE_DIR}/web/worker.js
                           ${PROJECT_SOURCE_DIR}/cmake/worker_source.js VERBATIM)
add_custom_target(quillon-web ALL DEPENDS ${web_outputs})
