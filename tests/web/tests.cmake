# The web page in headless Chromium, checked against the native batch program. Skipped
# (77) without Node, Chromium, tests/web/node_modules (`npm ci` there) or the built page
# (cmake --build build/wasm --target quillon-web).
find_program(QUILLON_TEST_NODE NAMES node nodejs)
find_program(QUILLON_TEST_CHROMIUM NAMES chromium chromium-browser)
if(QUILLON_TEST_NODE)
  set(chromium "${QUILLON_TEST_CHROMIUM}")
  if(NOT QUILLON_TEST_CHROMIUM)
    set(chromium "")
  endif()
  add_test(NAME web_page_check
           COMMAND ${QUILLON_TEST_NODE} ${CMAKE_CURRENT_SOURCE_DIR}/web/page_check.mjs
                   $<TARGET_FILE:quillon-batch> ${PROJECT_SOURCE_DIR}
                   ${PROJECT_SOURCE_DIR}/build/wasm/web ${CMAKE_CURRENT_BINARY_DIR}/web-page-check
                   "${chromium}")
else()
  add_test(NAME web_page_check
           COMMAND sh -c "echo 'web_page_check: node is not installed: skipped'; exit 77")
endif()
set_tests_properties(web_page_check PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180)
