# `cmake --install` and the Linux package: both programs, the examples and the README in
# place, and the installed batch program runs.
#   cmake -DBUILD_DIR=<build folder> -P install_check.cmake
set(prefix ${BUILD_DIR}/install-check)
file(REMOVE_RECURSE ${prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file bin/quillon bin/quillon-batch share/quillon/README.md
             share/quillon/examples/michaelis_menten.dat share/quillon/examples/mixed_inhibition.dat)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
execute_process(COMMAND ${prefix}/bin/quillon-batch --version OUTPUT_VARIABLE version)
if(NOT version MATCHES "^quillon-batch [0-9]+\\.[0-9]+\\.[0-9]+\n$")
  message(FATAL_ERROR "installed quillon-batch --version printed: ${version}")
endif()

execute_process(COMMAND ${CMAKE_CPACK_COMMAND} --config ${BUILD_DIR}/CPackConfig.cmake
                        -B ${prefix}/packages
                RESULT_VARIABLE status OUTPUT_QUIET)
file(GLOB archive ${prefix}/packages/quillon-*.tar.gz)
if(NOT status EQUAL 0 OR NOT archive)
  message(FATAL_ERROR "cpack made no .tar.gz: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${archive} OUTPUT_VARIABLE listing)
foreach(file bin/quillon bin/quillon-batch share/quillon/README.md)
  if(NOT listing MATCHES "/${file}\n")
    message(FATAL_ERROR "${file} missing from ${archive}")
  endif()
endforeach()
