# Run by CTest (cmake -P): installs the framework from this build tree into a
# scratch prefix, builds tests/install/consumer against it twice (through
# find_package and through pkg-config), runs both without a display, and
# checks the installed header tree. The framework itself is not rebuilt.
#
# -DBUILD_DIR=<the build tree> -DWORK_DIR=<scratch> -DSOURCE_DIR=<tests/install>
# -DROOT=<repository root> -DLIBDIR=<CMAKE_INSTALL_LIBDIR>
# -DINCLUDEDIR=<include dir under the prefix> -DGENERATOR=... -DCXX=<compiler>
# -DBUILD_TYPE=... -DCXX_FLAGS=<flags of this build, e.g. the sanitizers>
# -DLIBRARIES=<the installed libraries' folders>

cmake_minimum_required(VERSION 3.25)
include(${ROOT}/cmake/VtlHeaders.cmake)

include(${CMAKE_CURRENT_LIST_DIR}/run_step.cmake)

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/pc)
run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The consumer needs no display: the test would hide a window it opened.
set(no_display ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY)

# 1. find_package(Vantorel) with CMAKE_PREFIX_PATH at the prefix.
run("configure the consumer"
  ${CMAKE_COMMAND} -S ${SOURCE_DIR}/consumer -B ${WORK_DIR}/cmake -G ${GENERATOR}
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
  -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
run("build the consumer" ${CMAKE_COMMAND} --build ${WORK_DIR}/cmake)
run("run the consumer" ${no_display} ${WORK_DIR}/cmake/consumer)

# 2. The same program through pkg-config.
find_program(PKG_CONFIG NAMES pkg-config pkgconf REQUIRED)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/${LIBDIR}/pkgconfig
          ${PKG_CONFIG} --cflags --libs --static vantorel
  RESULT_VARIABLE result OUTPUT_VARIABLE flags ERROR_VARIABLE error OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "pkg-config found no vantorel under ${prefix}/${LIBDIR}/pkgconfig:\n${error}")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS}")
run("build the consumer through pkg-config"
  ${CXX} -std=c++20 ${cxx_flags} ${SOURCE_DIR}/consumer/main.cpp ${flags} -o ${WORK_DIR}/pc/consumer)
run("run the pkg-config consumer" ${no_display} ${WORK_DIR}/pc/consumer)

# 3. The installed headers: exactly the umbrella headers' sets, complete, and
# free of third-party headers and private ones.
set(include_root ${prefix}/${INCLUDEDIR})
vtl_all_public_headers(${include_root} "${LIBRARIES}" public)
file(GLOB_RECURSE installed RELATIVE ${include_root} ${include_root}/*)
list(SORT installed)
if(NOT installed STREQUAL public)
  list(REMOVE_ITEM installed ${public})
  message(FATAL_ERROR "Installed but reached by no umbrella header: ${installed}")
endif()
vtl_public_header_problems(${include_root} "${installed}" problems)
if(problems)
  list(JOIN problems "\n" problems)
  message(FATAL_ERROR "Installed headers:\n${problems}")
endif()
list(LENGTH installed count)
message(STATUS "${count} installed headers: ok")
