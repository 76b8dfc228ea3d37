# vtl_umbrella_headers(<root> <folder> <out-var>): the public headers of the
# library in <root>/<folder>, that is <folder>/<folder>.h and every header of
# the same folder it includes, directly or through another of them, as paths
# relative to <root>. Headers under <folder>/internal/ are private: reaching
# one this way is an error. Used by the build (the installed header set) and
# by the surface tests (the same set, checked in the source and install trees).
function(vtl_umbrella_headers root folder out)
  set(todo ${folder}/${folder}.h)
  set(found)
  while(todo)
    list(POP_FRONT todo header)
    if(header IN_LIST found)
      continue()
    endif()
    if(header MATCHES "^${folder}/internal/")
      message(FATAL_ERROR "A public header of ${folder} includes the private ${header}")
    endif()
    list(APPEND found ${header})
    if(NOT EXISTS ${root}/${header})
      message(FATAL_ERROR "${header}, a public header of ${folder}, is missing under ${root}")
    endif()
    if(NOT CMAKE_SCRIPT_MODE_FILE)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${root}/${header})
    endif()
    file(STRINGS ${root}/${header} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"${folder}/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
      list(APPEND todo ${included})
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# vtl_all_public_headers(<root> <folders> <out-var>): the public headers of
# every library in <folders>, sorted.
function(vtl_all_public_headers root folders out)
  set(all)
  foreach(folder IN LISTS folders)
    vtl_umbrella_headers(${root} ${folder} headers)
    list(APPEND all ${headers})
  endforeach()
  list(SORT all)
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# vtl_public_header_problems(<root> <headers> <out-var>): what is wrong with
# a set of public headers (paths relative to <root>), one text per fault:
# a third-party header included, an SDL type named outside comments, or a
# quoted include that is not itself in the set.
function(vtl_public_header_problems root headers out)
  set(problems)
  foreach(header IN LISTS headers)
    file(STRINGS ${root}/${header} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
      if(line MATCHES "<(SDL|GL/|X11/|png|jpeglib|jerror|jconfig|zlib|ft2build|freetype)")
        list(APPEND problems "${header} includes a third-party header: ${line}")
      elseif(line MATCHES "\"([^\"]+)\"" AND NOT CMAKE_MATCH_1 IN_LIST headers)
        list(APPEND problems "${header} includes ${CMAKE_MATCH_1}, which is not a public header")
      endif()
    endforeach()
    file(READ ${root}/${header} text)
    string(REGEX REPLACE "//[^\n]*" "" code "${text}")
    if(code MATCHES "SDL_[A-Za-z]+")
      list(APPEND problems "${header} names the SDL type ${CMAKE_MATCH_0}")
    endif()
  endforeach()
  set(${out} ${problems} PARENT_SCOPE)
endfunction()

# vtl_copy_headers(<root> <dest> <headers>): copies <headers> (paths relative
# to <root>) to the same paths under <dest>, and removes every other file
# there, so that <dest> holds exactly that set. A copy is rewritten only when
# its source changed (configure_file, which also makes CMake re-run then).
function(vtl_copy_headers root dest headers)
  file(GLOB_RECURSE present RELATIVE ${dest} ${dest}/*)
  foreach(header IN LISTS headers)
    configure_file(${root}/${header} ${dest}/${header} COPYONLY)
  endforeach()
  list(REMOVE_ITEM present ${headers})
  list(TRANSFORM present PREPEND ${dest}/)
  if(present)
    file(REMOVE ${present})
  endif()
endfunction()
