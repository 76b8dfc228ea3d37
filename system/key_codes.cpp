#include "system/internal/key_codes.h"

#include <SDL2/SDL.h>

namespace vtl {

namespace {

// Keypad digits and the decimal key: their code with Num Lock on, and the
// navigation key they stand for with it off.
int32_t KeypadKey(SDL_Scancode scancode, bool numLock) {
  switch (scancode) {
    case SDL_SCANCODE_KP_0: return numLock ? 96 : 45;        // Insert
    case SDL_SCANCODE_KP_1: return numLock ? 97 : 35;        // End
    case SDL_SCANCODE_KP_2: return numLock ? 98 : 40;        // Down
    case SDL_SCANCODE_KP_3: return numLock ? 99 : 34;        // Page Down
    case SDL_SCANCODE_KP_4: return numLock ? 100 : 37;       // Left
    case SDL_SCANCODE_KP_5: return numLock ? 101 : 12;       // Clear
    case SDL_SCANCODE_KP_6: return numLock ? 102 : 39;       // Right
    case SDL_SCANCODE_KP_7: return numLock ? 103 : 36;       // Home
    case SDL_SCANCODE_KP_8: return numLock ? 104 : 38;       // Up
    case SDL_SCANCODE_KP_9: return numLock ? 105 : 33;       // Page Up
    case SDL_SCANCODE_KP_PERIOD: return numLock ? 110 : 46;  // Delete
    default: return -1;
  }
}

int32_t PositionalKey(SDL_Scancode scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return 112 + (scancode - SDL_SCANCODE_F1);
  if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) return 124 + (scancode - SDL_SCANCODE_F13);
  switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: return 13;
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_RETURN2: return 13;
    case SDL_SCANCODE_ESCAPE: return 27;
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_SPACE: return 32;
    case SDL_SCANCODE_MINUS: return 189;
    case SDL_SCANCODE_EQUALS: return 187;
    case SDL_SCANCODE_LEFTBRACKET: return 219;
    case SDL_SCANCODE_RIGHTBRACKET: return 221;
    case SDL_SCANCODE_BACKSLASH: return 220;
    case SDL_SCANCODE_NONUSHASH: return 220;
    case SDL_SCANCODE_SEMICOLON: return 186;
    case SDL_SCANCODE_APOSTROPHE: return 222;
    case SDL_SCANCODE_GRAVE: return 192;
    case SDL_SCANCODE_COMMA: return 188;
    case SDL_SCANCODE_PERIOD: return 190;
    case SDL_SCANCODE_SLASH: return 191;
    case SDL_SCANCODE_NONUSBACKSLASH: return 226;
    case SDL_SCANCODE_CAPSLOCK: return 20;
    case SDL_SCANCODE_PRINTSCREEN: return 44;
    case SDL_SCANCODE_SCROLLLOCK: return 145;
    case SDL_SCANCODE_PAUSE: return 19;
    case SDL_SCANCODE_INSERT: return 45;
    case SDL_SCANCODE_HOME: return 36;
    case SDL_SCANCODE_PAGEUP: return 33;
    case SDL_SCANCODE_DELETE: return 46;
    case SDL_SCANCODE_END: return 35;
    case SDL_SCANCODE_PAGEDOWN: return 34;
    case SDL_SCANCODE_RIGHT: return 39;
    case SDL_SCANCODE_LEFT: return 37;
    case SDL_SCANCODE_DOWN: return 40;
    case SDL_SCANCODE_UP: return 38;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 144;
    case SDL_SCANCODE_KP_DIVIDE: return 111;
    case SDL_SCANCODE_KP_MULTIPLY: return 106;
    case SDL_SCANCODE_KP_MINUS: return 109;
    case SDL_SCANCODE_KP_PLUS: return 107;
    case SDL_SCANCODE_KP_COMMA: return 108;  // the separator key
    case SDL_SCANCODE_CLEAR: return 12;
    case SDL_SCANCODE_APPLICATION: return 93;
    case SDL_SCANCODE_MENU: return 93;
    case SDL_SCANCODE_HELP: return 47;
    case SDL_SCANCODE_SELECT: return 41;
    case SDL_SCANCODE_EXECUTE: return 43;
    case SDL_SCANCODE_SLEEP: return 95;
    case SDL_SCANCODE_LCTRL: return 162;
    case SDL_SCANCODE_LSHIFT: return 160;
    case SDL_SCANCODE_LALT: return 164;
    case SDL_SCANCODE_LGUI: return 91;
    case SDL_SCANCODE_RCTRL: return 163;
    case SDL_SCANCODE_RSHIFT: return 161;
    case SDL_SCANCODE_RALT: return 165;
    case SDL_SCANCODE_RGUI: return 92;
    case SDL_SCANCODE_MODE: return 165;  // AltGr on some layouts
    case SDL_SCANCODE_AC_BACK: return 166;
    case SDL_SCANCODE_AC_FORWARD: return 167;
    case SDL_SCANCODE_AC_REFRESH: return 168;
    case SDL_SCANCODE_AC_STOP: return 169;
    case SDL_SCANCODE_AC_SEARCH: return 170;
    case SDL_SCANCODE_AC_BOOKMARKS: return 171;
    case SDL_SCANCODE_AC_HOME: return 172;
    case SDL_SCANCODE_MUTE: return 173;
    case SDL_SCANCODE_AUDIOMUTE: return 173;
    case SDL_SCANCODE_VOLUMEDOWN: return 174;
    case SDL_SCANCODE_VOLUMEUP: return 175;
    case SDL_SCANCODE_AUDIONEXT: return 176;
    case SDL_SCANCODE_AUDIOPREV: return 177;
    case SDL_SCANCODE_AUDIOSTOP: return 178;
    case SDL_SCANCODE_AUDIOPLAY: return 179;
    case SDL_SCANCODE_MAIL: return 180;
    case SDL_SCANCODE_MEDIASELECT: return 181;
    case SDL_SCANCODE_COMPUTER: return 182;
    case SDL_SCANCODE_CALCULATOR: return 183;
    default: return 0;
  }
}

}  // namespace

int32_t KeyCodeFromSDL(int32_t scancode, int32_t keysym, bool numLock) {
  auto code = static_cast<SDL_Scancode>(scancode);
  int32_t keypad = KeypadKey(code, numLock);
  if (keypad >= 0) return keypad;
  // Letters follow the layout, as the desktop's own key codes do.
  if (keysym >= 'a' && keysym <= 'z') return keysym - 'a' + 'A';
  return PositionalKey(code);
}

int32_t ModifierBitsFromSDL(int32_t sdlMods) {
  int32_t bits = 0;
  if (sdlMods & KMOD_SHIFT) bits |= 1;
  if (sdlMods & KMOD_CTRL) bits |= 2;
  if (sdlMods & KMOD_ALT) bits |= 4;
  if (sdlMods & KMOD_GUI) bits |= 8;
  return bits;
}

}  // namespace vtl
