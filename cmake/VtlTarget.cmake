# Shared settings for every target of the project: C++20, warnings, and the
# sanitizers when VTL_SANITIZE is on.

# The repository root: every include path is relative to it.
cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH VTL_SOURCE_ROOT)

set(VTL_SANITIZE_FLAGS "")
if(VTL_SANITIZE AND PROJECT_IS_TOP_LEVEL)
  set(VTL_SANITIZE_FLAGS -fsanitize=address -fsanitize=undefined)
  add_compile_options(${VTL_SANITIZE_FLAGS} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(${VTL_SANITIZE_FLAGS})
endif()

# Test properties for every test of a sanitized build: the test, and every
# program it starts, reads the leak suppressions of tools/lsan.supp, so that
# ctest alone gives the same verdict as the test command. The leading ':'
# keeps any options the caller already set.
#
# intercept_tls_get_addr=0 (read from LSAN_OPTIONS like every common
# sanitizer option): the leak scan at exit otherwise follows the
# thread-local blocks of libraries loaded at run time (the software GL
# driver's), and about one display test run in twenty had the scan itself
# crash ("Tracer caught signal 11") on a block being torn down.
set(VTL_TEST_ENVIRONMENT "")
if(VTL_SANITIZE AND PROJECT_IS_TOP_LEVEL)
  set(VTL_TEST_ENVIRONMENT ENVIRONMENT_MODIFICATION
      "LSAN_OPTIONS=string_append::suppressions='${VTL_SOURCE_ROOT}/tools/lsan.supp':intercept_tls_get_addr=0")
endif()

function(vtl_target_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/VtlHeaders.cmake)

# vtl_private_includes(<target>): lets <target> include any header of the
# repository by its path from the root, private headers (<lib>/internal/)
# included. The framework libraries build this way; so do the test suites
# and benchmarks that reach a library's internals. Put before every other
# include folder, so that a header is always read from the source tree and
# never also as its public copy (vtl_public_headers): #pragma once keeps one
# file from being read twice, not a file and its copy.
function(vtl_private_includes target)
  target_include_directories(${target} BEFORE PRIVATE ${VTL_SOURCE_ROOT})
endfunction()

# vtl_public_headers(<target> <folder>): what links <target> sees of
# <folder>: its umbrella header's set (<folder>/<folder>.h and what it
# reaches), copied under <binary dir>/include, which CMake refreshes whenever
# it re-runs, as it does when one of them changes. <target>'s own sources
# still include by paths from the root (vtl_private_includes).
function(vtl_public_headers target folder)
  vtl_private_includes(${target})
  vtl_umbrella_headers(${VTL_SOURCE_ROOT} ${folder} headers)
  set(include_dir ${CMAKE_CURRENT_BINARY_DIR}/include)
  vtl_copy_headers(${VTL_SOURCE_ROOT} ${include_dir} "${headers}")
  list(TRANSFORM headers PREPEND ${include_dir}/)
  # The base folder of a header file set is also the include folder that
  # linking programs get (BUILD_INTERFACE); installed, it is the package's.
  target_sources(${target} PUBLIC FILE_SET HEADERS BASE_DIRS ${include_dir} FILES ${headers})
endfunction()

# vtl_library(<name> <sources...>): the static library vtl_<name> with the
# alias vtl::<name> (also its name in the installed package). Programs that
# link it, in this build or installed, see only its public header set
# (vtl_public_headers), the one that is installed.
function(vtl_library name)
  add_library(vtl_${name} STATIC ${ARGN})
  add_library(vtl::${name} ALIAS vtl_${name})
  set_target_properties(vtl_${name} PROPERTIES EXPORT_NAME ${name})
  vtl_public_headers(vtl_${name} ${name})
  vtl_target_defaults(vtl_${name})
  # Code built with the sanitizers needs their run-time libraries wherever it
  # is linked; in this build every target gets them anyway.
  if(VTL_SANITIZE_FLAGS)
    foreach(flag IN LISTS VTL_SANITIZE_FLAGS)
      target_link_options(vtl_${name} INTERFACE $<INSTALL_INTERFACE:${flag}>)
    endforeach()
  endif()
endfunction()
