# Runs the compiler on SOURCE with CASE defined (none when CASE is empty).
# EXPECT is "compiles", or a regular expression that the compiler's errors
# must match, so that a snippet refused for some other reason still fails.
set(ENV{LC_ALL} C)
set(flags -std=c++20 -fsyntax-only -I${INCLUDE})
if(CASE)
  list(APPEND flags -D${CASE})
endif()
execute_process(
  COMMAND ${COMPILER} ${flags} ${SOURCE}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors)
if(EXPECT STREQUAL "compiles")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "The snippet must compile without a case:\n${errors}")
  endif()
elseif(result EQUAL 0)
  message(FATAL_ERROR "${CASE} compiled, but must be refused")
elseif(NOT errors MATCHES "${EXPECT}")
  message(FATAL_ERROR "${CASE} was refused for another reason than expected (${EXPECT}):\n${errors}")
endif()
