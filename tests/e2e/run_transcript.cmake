# Runs the quillon executable in a fresh folder on a case's scripted input and compares
# what it prints with the case's expected transcript, byte for byte.
#
#   cmake -DEXE=<quillon> -DCASE_DIR=<case> -DWORK_DIR=<scratch folder> -P run_transcript.cmake
#
# A case folder holds input.txt (standard input) and expected.txt (standard output),
# its data files (every other file, copied into the scratch folder) and optionally:
#   expected_status.txt  exit status, 0 when absent
#   expected_stderr.txt  the error stream, exactly
#   expected_files/      files that must be left in the scratch folder with this content
#   setup.cmake          run before the program, with WORK_DIR set
# The scratch folder's path is printed by the import; it is replaced by <WORK_DIR>
# before comparing. With QUILLON_UPDATE_TRANSCRIPTS=1 in the environment the expected
# output and error files are rewritten from this run instead.

foreach(var EXE CASE_DIR WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_transcript: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
# Every file of the case except its own control files (data files may be *.DAT too).
file(GLOB case_files LIST_DIRECTORIES false RELATIVE "${CASE_DIR}" "${CASE_DIR}/*")
list(FILTER case_files EXCLUDE REGEX "^(input\\.txt|expected.*|setup\\.cmake)$")
foreach(name ${case_files})
  file(COPY "${CASE_DIR}/${name}" DESTINATION "${WORK_DIR}")
endforeach()
if(EXISTS "${CASE_DIR}/setup.cmake")
  include("${CASE_DIR}/setup.cmake")
endif()

execute_process(
  COMMAND "${EXE}"
  WORKING_DIRECTORY "${WORK_DIR}"
  INPUT_FILE "${CASE_DIR}/input.txt"
  OUTPUT_FILE "${WORK_DIR}/../${CASE_NAME}stdout.txt"
  ERROR_FILE "${WORK_DIR}/../${CASE_NAME}stderr.txt"
  RESULT_VARIABLE status)

# The folder's true path, as the program sees it.
file(REAL_PATH "${WORK_DIR}" real_work_dir)

set(failures "")
foreach(stream stdout stderr)
  file(READ "${WORK_DIR}/../${CASE_NAME}${stream}.txt" actual)
  string(REPLACE "${real_work_dir}" "<WORK_DIR>" actual "${actual}")
  if(stream STREQUAL "stdout")
    set(expected_file "${CASE_DIR}/expected.txt")
  else()
    set(expected_file "${CASE_DIR}/expected_stderr.txt")
  endif()
  if("$ENV{QUILLON_UPDATE_TRANSCRIPTS}" STREQUAL "1")
    if(stream STREQUAL "stdout" OR NOT actual STREQUAL "")
      file(WRITE "${expected_file}" "${actual}")
    endif()
    continue()
  endif()
  if(NOT EXISTS "${expected_file}")
    if(stream STREQUAL "stdout")
      list(APPEND failures "missing ${expected_file}")
    endif()
    continue()
  endif()
  file(READ "${expected_file}" expected)
  if(NOT actual STREQUAL expected)
    file(WRITE "${WORK_DIR}/../${CASE_NAME}${stream}.actual" "${actual}")
    list(APPEND failures "${stream} differs from ${expected_file}; see ${WORK_DIR}/../${CASE_NAME}${stream}.actual")
  endif()
endforeach()

set(expected_status 0)
if(EXISTS "${CASE_DIR}/expected_status.txt")
  file(STRINGS "${CASE_DIR}/expected_status.txt" expected_status LIMIT_COUNT 1)
endif()
if(NOT status STREQUAL expected_status)
  list(APPEND failures "exit status ${status}, expected ${expected_status}")
endif()

if(IS_DIRECTORY "${CASE_DIR}/expected_files")
  file(GLOB kept_files RELATIVE "${CASE_DIR}/expected_files" "${CASE_DIR}/expected_files/*")
  foreach(kept ${kept_files})
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E compare_files "${CASE_DIR}/expected_files/${kept}" "${WORK_DIR}/${kept}"
      RESULT_VARIABLE differs)
    if(differs)
      list(APPEND failures "${kept} left in the folder differs from expected_files/${kept}")
    endif()
  endforeach()
endif()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "transcript ${CASE_DIR}:\n  ${text}")
endif()
