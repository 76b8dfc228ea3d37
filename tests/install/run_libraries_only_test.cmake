# Run by CTest (cmake -P): the README's install recipe. Configures the
# repository with the tests, examples, benchmarks and game switched off,
# builds and installs it into a scratch prefix, checks that nothing but the
# framework was built, then builds the "Your first game" guide's program
# against the prefix with find_package(Vantorel) and runs it for 60 frames.
# The scratch build is kept, so a second run only checks it (and a compiler
# launcher such as ccache makes a fresh one cheap where it has seen the sources).
#
# -DROOT=<repository root> -DWORK_DIR=<scratch> -DGENERATOR=... -DCC=... -DCXX=...
# -DLAUNCHER=<compiler launcher, may be empty> -DJOBS=<parallel jobs>

cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/run_step.cmake)

string(TIMESTAMP started "%s")
set(build ${WORK_DIR}/build)
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${prefix} ${WORK_DIR}/game)

# No build type: the framework compiles fastest so, and the 60 frames need no speed.
set(configure ${CMAKE_COMMAND} -S ${ROOT} -B ${build} -G ${GENERATOR}
  -DCMAKE_C_COMPILER=${CC} -DCMAKE_CXX_COMPILER=${CXX}
  -DCMAKE_C_COMPILER_LAUNCHER=${LAUNCHER} -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER}
  -DVTL_BUILD_TESTS=OFF -DVTL_BUILD_EXAMPLES=OFF -DVTL_BUILD_BENCH=OFF -DVTL_BUILD_GAME=OFF)
execute_process(COMMAND ${configure} RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
  file(REMOVE_RECURSE ${build})  # a tree left by an interrupted run or another compiler
  run("configure with the three OFF options" ${configure})
endif()
run("build the framework" ${CMAKE_COMMAND} --build ${build} --parallel ${JOBS})
run("install" ${CMAKE_COMMAND} --install ${build} --prefix ${prefix})

# Nothing of the tests, examples, benchmarks, tools or game: no such target
# in the build, no program in the build tree, no such file in the prefix.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} --target help OUTPUT_VARIABLE targets)
set(ours "(test_|example_|bench_|guide_|graphics_demo|cryptventure|gtest|benchmark)[A-Za-z0-9_]*")
string(REGEX MATCHALL "(^|\n)${ours}" found "${targets}")
if(found)
  message(FATAL_ERROR "The libraries-only build still has targets: ${found}")
endif()
file(GLOB_RECURSE built LIST_DIRECTORIES false RELATIVE ${build} ${build}/*)
list(FILTER built INCLUDE REGEX "(^|/)${ours}$")
if(built)
  message(FATAL_ERROR "The libraries-only build made programs: ${built}")
endif()
file(GLOB_RECURSE installed RELATIVE ${prefix} ${prefix}/*)
list(FILTER installed EXCLUDE REGEX "^(include/vantorel/|lib[^/]*/(libvtl_[a-z]+\\.a|cmake/Vantorel/|pkgconfig/vantorel\\.pc)|share/doc/vantorel/)")
if(installed)
  message(FATAL_ERROR "Installed beside the framework: ${installed}")
endif()
message(STATUS "only the framework was built and installed: ok")

# The guide's program, as its reader builds it, run for 60 frames.
set(game_source ${ROOT}/docs/guides/first-game)
run("configure the first game"
  ${CMAKE_COMMAND} -S ${game_source} -B ${WORK_DIR}/game -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix}
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
run("build the first game" ${CMAKE_COMMAND} --build ${WORK_DIR}/game)
set(shot ${WORK_DIR}/first_game.png)
run("run the first game for 60 frames" ${WORK_DIR}/game/first_game --frames 60 --shot ${shot})
file(SIZE ${shot} size)
if(size LESS 2000)
  message(FATAL_ERROR "${shot} is only ${size} bytes: the frame looks blank")
endif()
string(TIMESTAMP finished "%s")
math(EXPR seconds "${finished} - ${started}")
message(STATUS "libraries-only install and first game: ${seconds} s")
