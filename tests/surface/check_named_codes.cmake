# Run by CTest (cmake -P): the programs a newcomer reads first (the examples,
# the game, the guides' programs, the graphics demo) name key codes, mouse
# buttons and font styles (KEY_ESCAPE, MOUSE_LEFT, FONT_SMOOTH) instead of
# writing their numbers. Flagged, per line:
# - a key or button query given a number: TakeKeyHits(27), ButtonIsDown(1);
# - a font loaded with a style number other than 0: LoadImageFontUrl(f, 18, 4);
# - a constant of its own for a key or button: constexpr int32_t kKeyEscape = 27.
# Character codes (what TakeTypedChar returns) are not key codes and pass.
#
# -DROOT=<tree> -DFOLDERS=<folders below it whose *.cpp are checked>

cmake_minimum_required(VERSION 3.25)

set(rules
  "(TakeKeyHits|KeyIsDown|TakeButtonHits|ButtonIsDown)\\([ ]*[0-9]"
  "(LoadImageFontUrl|LoadFontUrl|TImageFont::Load)\\([^;]*,[ ]*[1-9][0-9]*[ ]*\\)"
  "[ ,]k(Key|Button|Mouse|Style)[A-Za-z0-9_]*[ ]*=[ ]*[0-9]")

set(problems "")
foreach(folder IN LISTS FOLDERS)
  file(GLOB sources RELATIVE ${ROOT} ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
  foreach(source IN LISTS sources)
    file(STRINGS ${ROOT}/${source} lines)
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      foreach(rule IN LISTS rules)
        if(line MATCHES "${rule}")
          string(STRIP "${line}" line)
          list(APPEND problems "${source}:${number}: a key, button or style as a number: ${line}")
          break()
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n" problems)
  message(FATAL_ERROR "Name them (system/keys.h, image/font.h):\n${problems}")
endif()
message(STATUS "key codes, buttons and font styles are named: ok")
