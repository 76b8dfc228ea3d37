# Run by CTest (cmake -P): the rules of the libraries' header surface, over
# the source tree.
# - A library's public headers are its umbrella header's set
#   (cmake/VtlHeaders.cmake). They include no third-party header, name no SDL
#   type, and include only public headers.
# - "<lib>/internal/..." is included only inside <lib>/, and by tests/<lib>/
#   when that suite is declared with INTERNALS (tests/CMakeLists.txt), and
#   by the libraries named for it in INTERNAL_SEAMS.
# - Any other header of a library that its umbrella does not reach is
#   included only by framework libraries and by such test suites; never by
#   the game, the tools, the benchmarks or the examples. The examples, which
#   a new user copies from, include public headers only.
# - bench/<lib>_bench.cpp may include <lib>/internal/... when <lib> is one
#   of INTERNAL_BENCHES: such a benchmark measures a library's core itself.
#
# -DROOT=<repository root> -DLIBRARIES=<library folders>
# -DINTERNAL_TESTS=<library folders whose test suites may reach internals>
# -DINTERNAL_BENCHES=<library folders whose benchmark may reach internals>
# -DINTERNAL_SEAMS=<library>:<private header of another library>, ...
# -DREFUSED_ON_PURPOSE=<files that break these rules to show that the
#   build refuses them>

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/VtlHeaders.cmake)

vtl_all_public_headers(${ROOT} "${LIBRARIES}" public)

vtl_public_header_problems(${ROOT} "${public}" problems)

string(REPLACE ";" "|" library_pattern "${LIBRARIES}")
set(dirs ${LIBRARIES} game tools bench tests examples)
list(TRANSFORM dirs APPEND "/*.h" OUTPUT_VARIABLE header_globs)
list(TRANSFORM dirs APPEND "/*.cpp" OUTPUT_VARIABLE source_globs)
list(TRANSFORM header_globs PREPEND ${ROOT}/)
list(TRANSFORM source_globs PREPEND ${ROOT}/)
file(GLOB_RECURSE files RELATIVE ${ROOT} ${header_globs} ${source_globs})
if(REFUSED_ON_PURPOSE)
  list(REMOVE_ITEM files ${REFUSED_ON_PURPOSE})
endif()
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" home "${file}")
  set(suite "")
  if(file MATCHES "^tests/([^/]+)/" AND CMAKE_MATCH_1 IN_LIST INTERNAL_TESTS)
    set(suite ${CMAKE_MATCH_1})
  elseif(file MATCHES "^bench/([^/]+)_bench\\.cpp$" AND CMAKE_MATCH_1 IN_LIST INTERNAL_BENCHES)
    set(suite ${CMAKE_MATCH_1})
  endif()
  file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(${library_pattern})/")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
    if(included IN_LIST public)
      continue()
    endif()
    string(REGEX MATCH "^[^/]+" owner "${included}")
    if(included MATCHES "^[^/]+/internal/")
      if(NOT home STREQUAL owner AND NOT suite STREQUAL owner AND NOT "${home}:${included}" IN_LIST INTERNAL_SEAMS)
        list(APPEND problems "${file}: includes ${included}, private to ${owner}/")
      endif()
    elseif(NOT home IN_LIST LIBRARIES AND NOT suite STREQUAL owner)
      list(APPEND problems "${file}: includes ${included}, which is not in ${owner}'s public headers")
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n" problems)
  message(FATAL_ERROR "Header surface:\n${problems}")
endif()
list(LENGTH public count)
list(LENGTH files scanned)
message(STATUS "${count} public headers, ${scanned} files scanned: ok")
