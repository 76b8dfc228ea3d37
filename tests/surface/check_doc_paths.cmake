# Run by CTest (cmake -P): the files the READMEs and docs/ name exist, so a
# newcomer following them never looks for a file that was moved or renamed.
# - A name in backquotes with a folder in it (`audio/mixer_driver.h`) exists
#   below the repository root or below the folder of the page that names it.
# - A bare source or header name (`png_glue.h`) exists somewhere in the tree.
# - Build outputs (`build/...`, `build-release/...`) and names with
#   placeholders (`<prefix>/...`) and absolute paths (`/dev/stdin`) are not
#   files of the tree and are passed over.
#
# -DROOT=<repository root>

cmake_minimum_required(VERSION 3.25)

file(GLOB_RECURSE pages RELATIVE ${ROOT} ${ROOT}/*.md)
list(FILTER pages EXCLUDE REGEX "^(build|\\.git)")
file(GLOB_RECURSE tree_files RELATIVE ${ROOT} ${ROOT}/*.h ${ROOT}/*.cpp)
list(FILTER tree_files EXCLUDE REGEX "^(build|\\.git)")
set(tree_names "")
foreach(file IN LISTS tree_files)
  get_filename_component(name ${file} NAME)
  list(APPEND tree_names ${name})
endforeach()

set(problems "")
foreach(page IN LISTS pages)
  get_filename_component(page_dir ${page} DIRECTORY)
  file(READ ${ROOT}/${page} text)
  string(REGEX MATCHALL "`[A-Za-z0-9_./-]+`" quoted "${text}")
  list(REMOVE_DUPLICATES quoted)
  foreach(token IN LISTS quoted)
    string(REPLACE "`" "" name "${token}")
    if(name MATCHES "^(build|/|\\.)")
      continue()
    endif()
    if(name MATCHES "/")
      string(REGEX REPLACE "/$" "" path "${name}")
      if(NOT EXISTS ${ROOT}/${path} AND NOT EXISTS ${ROOT}/${page_dir}/${path})
        list(APPEND problems "${page} names `${name}`, which is not in the tree")
      endif()
    elseif(name MATCHES "\\.(h|cpp)$")
      list(FIND tree_names ${name} at)
      if(at EQUAL -1)
        list(APPEND problems "${page} names `${name}`, which is not in the tree")
      endif()
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n" report)
  message(FATAL_ERROR "Pages name files that do not exist:\n${report}")
endif()
