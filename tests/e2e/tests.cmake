# Transcript tests: one folder per case under tests/e2e (see run_transcript.cmake).
# The scratch folders' path holds a blank, so every case also checks that the import
# finds its file in such a folder.
set(QUILLON_E2E_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
add_executable(transcript_compare e2e/transcript_compare.cpp)
target_link_libraries(transcript_compare PRIVATE quillon_warnings)
set(QUILLON_E2E_WORK_DIR "${CMAKE_CURRENT_BINARY_DIR}/e2e work")

function(quillon_add_transcript name)
  add_test(NAME e2e.${name}
    COMMAND ${CMAKE_COMMAND}
      -DEXE=$<TARGET_FILE:quillon>
      -DCOMPARE=$<TARGET_FILE:transcript_compare>
      -DCASE_DIR=${QUILLON_E2E_SOURCE_DIR}/${name}
      "-DWORK_DIR=${QUILLON_E2E_WORK_DIR}/${name}"
      -P ${QUILLON_E2E_SOURCE_DIR}/run_transcript.cmake)
endfunction()

quillon_add_transcript(pick_accept_quit)
quillon_add_transcript(help_screens)
quillon_add_transcript(license)
quillon_add_transcript(rejected_files)
quillon_add_transcript(no_files)
quillon_add_transcript(second_cycle)
quillon_add_transcript(quit_name_prompt)
quillon_add_transcript(listing_unwritable)
quillon_add_transcript(too_many_points)
quillon_add_transcript(eof_picker)
quillon_add_transcript(eof_name)
quillon_add_transcript(eof_confirm)
quillon_add_transcript(eof_help)
quillon_add_transcript(eof_continue)
quillon_add_transcript(eof_closing)

quillon_add_test(test_dialogue e2e/test_dialogue.cpp)
quillon_add_transcript(example_competitive_inhibition)
quillon_add_transcript(example_help_example_m4)
quillon_add_transcript(example_hill_sigmoidal)
quillon_add_transcript(example_michaelis_menten)
quillon_add_transcript(example_mixed_inhibition)
quillon_add_transcript(example_uncompetitive_inhibition)

quillon_add_test(test_reference_report e2e/test_reference_report.cpp)
target_compile_definitions(test_reference_report PRIVATE QUILLON_TESTS_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
quillon_add_transcript(hostile_files)
quillon_add_transcript(answers_control_chars)
quillon_add_transcript(eof_unterminated)
quillon_add_transcript(x1_zero_crlf)
quillon_add_transcript(hill_last_bit)
quillon_add_test(test_hostile_dialogue e2e/test_hostile_dialogue.cpp)
