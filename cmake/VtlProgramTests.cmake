# Tests that run a whole program the way its reader would, through
# examples/run_example.cmake: the examples and the guides' programs.
set(VTL_RUN_PROGRAM_SCRIPT ${PROJECT_SOURCE_DIR}/examples/run_example.cmake)

# vtl_window_program_test(<test> <target> <frames> <shot.png>): shows
# <frames> frames under an X display and saves the last one.
function(vtl_window_program_test test target frames shot)
  add_test(NAME ${test}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DFRAMES=${frames} -DSHOT=${shot}
      -P ${VTL_RUN_PROGRAM_SCRIPT})
  set_tests_properties(${test} PROPERTIES ${VTL_TEST_ENVIRONMENT} LABELS display RUN_SERIAL TRUE
    ENVIRONMENT SDL_AUDIODRIVER=dummy)
endfunction()

# vtl_console_program_test(<test> <target> <expected.txt> [<cmake -D args>...]):
# what the program prints must be <expected.txt>.
function(vtl_console_program_test test target expected)
  add_test(NAME ${test}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DEXPECTED=${expected} ${ARGN}
      -P ${VTL_RUN_PROGRAM_SCRIPT})
  set_tests_properties(${test} PROPERTIES ${VTL_TEST_ENVIRONMENT} LABELS unit)
endfunction()
