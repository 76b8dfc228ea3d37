# Run by CTest (cmake -P): configures tests/consumer/project, which takes the
# framework in with add_subdirectory(), and checks what such a program sees:
# - public_consumer, which includes umbrella headers only, builds and runs;
# - internal_consumer, which includes a private header of a library it links,
#   fails to compile, and the compiler names that header as not found.
# The framework is built in plain Release without sanitizers (only what the
# two programs link); the scratch build is kept, so a second run is quick.
#
# -DROOT=<repository root> -DSOURCE_DIR=<tests/consumer> -DWORK_DIR=<scratch>
# -DGENERATOR=... -DCC=<C compiler> -DCXX=<C++ compiler> -DLAUNCHER=<compiler launcher, may be empty>

cmake_minimum_required(VERSION 3.25)

set(build ${WORK_DIR}/build)
set(configure
  ${CMAKE_COMMAND} -S ${SOURCE_DIR}/project -B ${build} -G ${GENERATOR}
  -DVTL_ROOT=${ROOT} -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=${CC} -DCMAKE_CXX_COMPILER=${CXX}
  -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER} -DVTL_BUILD_GAME=OFF -DVTL_INSTALL=OFF -DVTL_SANITIZE=OFF)
execute_process(COMMAND ${configure} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  # A scratch tree left by an interrupted run or another compiler: start over once.
  file(REMOVE_RECURSE ${build})
  execute_process(COMMAND ${configure} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "configuring the consumer failed (${result}):\n${out}")
  endif()
endif()

execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} --target public_consumer
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "public_consumer, which includes only umbrella headers, failed to build:\n${out}")
endif()
execute_process(COMMAND ${build}/public_consumer RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0 OR NOT out MATCHES "public headers: ok")
  message(FATAL_ERROR "public_consumer exited with ${result}, printing:\n${out}")
endif()
message(STATUS "public_consumer built and ran: ${out}")

# Whatever an earlier run left of it, this build must compile the source again.
file(REMOVE_RECURSE ${build}/CMakeFiles/internal_consumer.dir ${build}/internal_consumer)
set(header stream/internal/text_codec.h)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} --target internal_consumer
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(result EQUAL 0)
  message(FATAL_ERROR "internal_consumer compiled: ${header} is reachable through add_subdirectory")
endif()
string(REPLACE "." "\\." header_pattern ${header})
if(NOT out MATCHES "${header_pattern}.*(No such file|not found)")
  message(FATAL_ERROR "internal_consumer failed to build, but not for want of ${header}:\n${out}")
endif()
message(STATUS "internal_consumer refused: ${header} not found")
