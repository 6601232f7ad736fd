# Runs the quillon executable in a fresh folder on a case's scripted input and compares
# what it prints with the case's expected transcript, byte for byte.
#
#   cmake -DEXE=<quillon> -DCOMPARE=<transcript_compare> -DCASE_DIR=<case>
#         -DWORK_DIR=<scratch folder> -P run_transcript.cmake
#
# A case folder holds input.txt (standard input) and expected.txt (standard output),
# its data files (every other file, copied into the scratch folder) and optionally:
#   expected_status.txt  exit status, 0 when absent
#   expected_stderr.txt  the error stream, exactly; when absent it must stay empty
#   expected_files/      files that must be left in the scratch folder with this content
#   setup.cmake          run before the program, with WORK_DIR set
# The scratch folder's path, which the import prints, is replaced by <WORK_DIR> before
# comparing. With QUILLON_UPDATE_TRANSCRIPTS=1 in the environment the expected output
# and error files are rewritten from this run instead.

foreach(var EXE COMPARE CASE_DIR WORK_DIR)
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

# The captured streams stay beside the scratch folder, out of the program's listing.
set(captured "${WORK_DIR}.stdout")
set(captured_err "${WORK_DIR}.stderr")
execute_process(
  COMMAND "${EXE}"
  WORKING_DIRECTORY "${WORK_DIR}"
  INPUT_FILE "${CASE_DIR}/input.txt"
  OUTPUT_FILE "${captured}"
  ERROR_FILE "${captured_err}"
  RESULT_VARIABLE status)

# The folder's true path, as the program sees it.
file(REAL_PATH "${WORK_DIR}" real_work_dir)
set(update "")
if("$ENV{QUILLON_UPDATE_TRANSCRIPTS}" STREQUAL "1")
  set(update "--update")
endif()

set(failures "")
execute_process(
  COMMAND "${COMPARE}" "${captured}" "${CASE_DIR}/expected.txt" "${real_work_dir}" ${update}
  RESULT_VARIABLE differs ERROR_VARIABLE why)
if(differs)
  list(APPEND failures "standard output: ${why}")
endif()
execute_process(
  COMMAND "${COMPARE}" "${captured_err}" "${CASE_DIR}/expected_stderr.txt" "${real_work_dir}"
          --optional ${update}
  RESULT_VARIABLE differs ERROR_VARIABLE why)
if(differs)
  list(APPEND failures "error stream: ${why}")
endif()

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
      COMMAND ${CMAKE_COMMAND} -E compare_files "${CASE_DIR}/expected_files/${kept}"
              "${WORK_DIR}/${kept}"
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
