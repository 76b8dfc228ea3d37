# Runs one example for the test command and checks what it did:
#   cmake -DPROGRAM=<exe> [-DFRAMES=<n> -DSHOT=<png>] [-DEXPECTED=<txt>] [-DDATA_HOME=<dir>] -P run_example.cmake
# The example must end with exit code 0; with EXPECTED it must print exactly
# that file's text, with SHOT it must leave a picture that is not blank.
# DATA_HOME: the program's user data folder starts empty, under <dir>.
set(env)
if(DEFINED DATA_HOME)
  file(REMOVE_RECURSE ${DATA_HOME})
  set(env ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${DATA_HOME})
endif()
set(args)
if(DEFINED FRAMES)
  list(APPEND args --frames ${FRAMES})
endif()
if(DEFINED SHOT)
  file(REMOVE ${SHOT})
  get_filename_component(shot_dir ${SHOT} DIRECTORY)
  file(MAKE_DIRECTORY ${shot_dir})
  list(APPEND args --shot ${SHOT})
endif()

execute_process(COMMAND ${env} ${PROGRAM} ${args} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ended with ${code}\nstdout:\n${out}\nstderr:\n${err}")
endif()

if(DEFINED EXPECTED)
  file(READ ${EXPECTED} want)
  if(NOT out STREQUAL want)
    message(FATAL_ERROR "${PROGRAM} printed:\n${out}\nexpected:\n${want}")
  endif()
endif()

# A 640 x 480 frame of one colour compresses to about 1.5 KB; every example
# draws more than that, even the input example with no input.
if(DEFINED SHOT)
  if(NOT EXISTS ${SHOT})
    message(FATAL_ERROR "${PROGRAM} saved no picture at ${SHOT}")
  endif()
  file(SIZE ${SHOT} size)
  if(size LESS 2000)
    message(FATAL_ERROR "${SHOT} is only ${size} bytes: the frame looks blank")
  endif()
endif()
