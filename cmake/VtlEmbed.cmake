# vtl_embed_files(<target> <name> <file> [<name> <file> ...] [DEPENDS <targets...>])
#
# Builds each file into <target> as bytes readable as "incbin::<name>". For
# every pair a source file is generated at build time (by CMake itself, from
# the file's current contents) that registers the bytes when the program
# starts and defines vtl::embedded::Register_<id>(), <id> being the name made
# a C identifier ("quornfont.bin" -> quornfont_bin). A library should call
# that function from its module initialiser, since a static library's
# start-up registration is dropped by the linker when nothing refers to it.
#
# Relative paths are taken from the current source directory. For a file that
# another target generates, pass its absolute path and name that target after
# DEPENDS. <target> must link vtl::stream (directly or through another library).

function(vtl_embed_files target)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  set(pairs ${ARG_UNPARSED_ARGUMENTS})
  list(LENGTH pairs count)
  math(EXPR odd "${count} % 2")
  if(count EQUAL 0 OR odd)
    message(FATAL_ERROR "vtl_embed_files(${target}): expected <name> <file> pairs")
  endif()

  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VtlEmbedGenerate.cmake)
  set(outdir ${CMAKE_CURRENT_BINARY_DIR}/vtl_embed/${target})
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pairs ${i} name)
    list(GET pairs ${j} file)
    if(NOT IS_ABSOLUTE "${file}")
      set(file ${CMAKE_CURRENT_SOURCE_DIR}/${file})
    endif()
    string(MAKE_C_IDENTIFIER "${name}" id)
    set(out ${outdir}/embed_${id}.cpp)
    add_custom_command(
      OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DVTL_EMBED_INPUT=${file} -DVTL_EMBED_OUTPUT=${out}
              -DVTL_EMBED_NAME=${name} -DVTL_EMBED_ID=${id} -P ${script}
      DEPENDS ${file} ${script} ${ARG_DEPENDS}
      COMMENT "Embedding ${name}"
      VERBATIM)
    target_sources(${target} PRIVATE ${out})
  endforeach()
  if(ARG_DEPENDS)
    add_dependencies(${target} ${ARG_DEPENDS})
  endif()
endfunction()
