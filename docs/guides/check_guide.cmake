# Run by CTest (cmake -P): a guide's code blocks are its program, so the text
# never shows code that the test command did not build and run. The ```cpp
# blocks of the page, joined in order, are the program file exactly, and a
# ```cmake block, if any, is the CMakeLists.txt beside it.
#
# -DPAGE=<guide .md> -DPROGRAM=<its .cpp> [-DCMAKELISTS=<its CMakeLists.txt>]

cmake_minimum_required(VERSION 3.25)

# The text of every block fenced as ```<language>, joined.
function(fenced_blocks text language out)
  set(joined "")
  set(open "```${language}\n")
  string(LENGTH "${open}" open_length)
  while(TRUE)
    string(FIND "${text}" "${open}" at)
    if(at EQUAL -1)
      break()
    endif()
    math(EXPR at "${at} + ${open_length}")
    string(SUBSTRING "${text}" ${at} -1 text)
    string(FIND "${text}" "```" end)
    if(end EQUAL -1)
      message(FATAL_ERROR "${PAGE}: a ```${language} block is not closed")
    endif()
    string(SUBSTRING "${text}" 0 ${end} block)
    string(APPEND joined "${block}")
    string(SUBSTRING "${text}" ${end} -1 text)
  endwhile()
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()

file(READ ${PAGE} page)
file(READ ${PROGRAM} program)
fenced_blocks("${page}" cpp shown)
if(NOT shown STREQUAL program)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/shown.cpp "${shown}")
  message(FATAL_ERROR "${PAGE} shows a program other than ${PROGRAM} (what it shows: "
                      "${CMAKE_CURRENT_BINARY_DIR}/shown.cpp)")
endif()
if(DEFINED CMAKELISTS)
  file(READ ${CMAKELISTS} lists)
  fenced_blocks("${page}" cmake shown_lists)
  if(NOT shown_lists STREQUAL lists)
    message(FATAL_ERROR "${PAGE} shows a CMakeLists.txt other than ${CMAKELISTS}")
  endif()
endif()
message(STATUS "${PAGE} shows ${PROGRAM}: ok")
