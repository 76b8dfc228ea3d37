# The built-in font: the text art in this folder becomes quornfont.bin at
# build time, embedded into vtl::image as "incbin::quornfont.bin".
include(${PROJECT_SOURCE_DIR}/cmake/VtlEmbed.cmake)

set(VTL_QUORNFONT_TXT ${CMAKE_CURRENT_LIST_DIR}/quornfont.txt)
set(VTL_QUORNFONT_BIN ${CMAKE_CURRENT_BINARY_DIR}/quornfont.bin CACHE INTERNAL "The generated built-in font")

add_executable(vtl_make_quornfont ${CMAKE_CURRENT_LIST_DIR}/make_quornfont.cpp)
vtl_target_defaults(vtl_make_quornfont)
add_custom_command(
  OUTPUT ${VTL_QUORNFONT_BIN}
  COMMAND vtl_make_quornfont ${VTL_QUORNFONT_TXT} ${VTL_QUORNFONT_BIN}
  DEPENDS vtl_make_quornfont ${VTL_QUORNFONT_TXT}
  COMMENT "Generating quornfont.bin"
  VERBATIM)
add_custom_target(vtl_quornfont DEPENDS ${VTL_QUORNFONT_BIN})
vtl_embed_files(vtl_image quornfont.bin ${VTL_QUORNFONT_BIN} DEPENDS vtl_quornfont)
