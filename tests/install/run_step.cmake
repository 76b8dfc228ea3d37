# run(<what> <command...>): runs one step of an install test; on failure shows
# what it printed and fails the test.
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${ARGN}\n${out}")
  endif()
  message(STATUS "${what}: ok")
endfunction()
