/// \file
/// Names for the key codes and mouse button numbers that polled input and the
/// key and mouse events carry: `TakeKeyHits(KEY_ESCAPE)`,
/// `KeyIsDown(KEY_LEFT)`, `ButtonIsDown(MOUSE_LEFT)`. The numbers are the
/// desktop's virtual-key codes, 0 to 255.
///
/// Typed characters (TakeTypedChar) are character codes, not key codes:
/// 'A' and 'a' are two characters of the one key KEY_A, and Backspace, Tab,
/// Enter and Escape type the characters 8, 9, 13 and 27.
#pragma once

#include <cstdint>

namespace vtl {

/// \name Mouse buttons
/// The button numbers of TakeButtonHits, ButtonIsDown, WaitAnyButton and the
/// mouse events.
///@{
inline constexpr int32_t MOUSE_LEFT = 1;    ///< The left (primary) button.
inline constexpr int32_t MOUSE_RIGHT = 2;   ///< The right button.
inline constexpr int32_t MOUSE_MIDDLE = 3;  ///< The middle button (pressing the wheel).
///@}

/// \name Editing and whitespace keys
///@{
inline constexpr int32_t KEY_BACKSPACE = 8;  ///< Backspace.
inline constexpr int32_t KEY_TAB = 9;        ///< Tab.
inline constexpr int32_t KEY_CLEAR = 12;     ///< Clear (keypad 5 with Num Lock off).
inline constexpr int32_t KEY_ENTER = 13;     ///< Enter and keypad Enter alike.
inline constexpr int32_t KEY_PAUSE = 19;     ///< Pause.
inline constexpr int32_t KEY_CAPSLOCK = 20;  ///< Caps Lock.
inline constexpr int32_t KEY_ESCAPE = 27;    ///< Escape.
inline constexpr int32_t KEY_SPACE = 32;     ///< The space bar.
///@}

/// \name Shift, Control and Alt
/// The desktop reports these keys per side: a held left Shift is
/// KEY_LSHIFT, never KEY_SHIFT. The side-less codes are never held or hit;
/// to ask for either side, ask for both:
/// `KeyIsDown(KEY_LSHIFT) || KeyIsDown(KEY_RSHIFT)`.
///@{
inline constexpr int32_t KEY_SHIFT = 16;      ///< Shift, either side: never reported.
inline constexpr int32_t KEY_CONTROL = 17;    ///< Control, either side: never reported.
inline constexpr int32_t KEY_ALT = 18;        ///< Alt, either side: never reported.
inline constexpr int32_t KEY_LSHIFT = 160;    ///< Left Shift.
inline constexpr int32_t KEY_RSHIFT = 161;    ///< Right Shift.
inline constexpr int32_t KEY_LCONTROL = 162;  ///< Left Control.
inline constexpr int32_t KEY_RCONTROL = 163;  ///< Right Control.
inline constexpr int32_t KEY_LALT = 164;      ///< Left Alt.
inline constexpr int32_t KEY_RALT = 165;      ///< Right Alt (AltGr).
inline constexpr int32_t KEY_LSYS = 91;       ///< Left system ("Windows") key.
inline constexpr int32_t KEY_RSYS = 92;       ///< Right system key.
inline constexpr int32_t KEY_APPS = 93;       ///< The menu key.
///@}

/// \name Navigation keys
/// The keypad's digits and decimal key give these codes while Num Lock is off.
///@{
inline constexpr int32_t KEY_PAGEUP = 33;       ///< Page Up.
inline constexpr int32_t KEY_PAGEDOWN = 34;     ///< Page Down.
inline constexpr int32_t KEY_END = 35;          ///< End.
inline constexpr int32_t KEY_HOME = 36;         ///< Home.
inline constexpr int32_t KEY_LEFT = 37;         ///< Arrow left.
inline constexpr int32_t KEY_UP = 38;           ///< Arrow up.
inline constexpr int32_t KEY_RIGHT = 39;        ///< Arrow right.
inline constexpr int32_t KEY_DOWN = 40;         ///< Arrow down.
inline constexpr int32_t KEY_SELECT = 41;       ///< Select.
inline constexpr int32_t KEY_PRINT = 42;        ///< Print (few keyboards have it).
inline constexpr int32_t KEY_EXECUTE = 43;      ///< Execute.
inline constexpr int32_t KEY_PRINTSCREEN = 44;  ///< Print Screen.
inline constexpr int32_t KEY_INSERT = 45;       ///< Insert.
inline constexpr int32_t KEY_DELETE = 46;       ///< Delete.
inline constexpr int32_t KEY_HELP = 47;         ///< Help.
inline constexpr int32_t KEY_NUMLOCK = 144;     ///< Num Lock.
inline constexpr int32_t KEY_SCROLLLOCK = 145;  ///< Scroll Lock.
inline constexpr int32_t KEY_SLEEP = 95;        ///< Sleep.
///@}

/// \name Digit keys of the main block
/// KEY_0 + n is the key of digit n: the codes are the characters '0' to '9'.
///@{
inline constexpr int32_t KEY_0 = 48, KEY_1 = 49, KEY_2 = 50, KEY_3 = 51, KEY_4 = 52;
inline constexpr int32_t KEY_5 = 53, KEY_6 = 54, KEY_7 = 55, KEY_8 = 56, KEY_9 = 57;
///@}

/// \name Letter keys
/// KEY_A + n is the n-th letter: the codes are the capitals 'A' to 'Z',
/// whichever case the key types. Letters follow the keyboard layout.
///@{
inline constexpr int32_t KEY_A = 65, KEY_B = 66, KEY_C = 67, KEY_D = 68, KEY_E = 69, KEY_F = 70, KEY_G = 71;
inline constexpr int32_t KEY_H = 72, KEY_I = 73, KEY_J = 74, KEY_K = 75, KEY_L = 76, KEY_M = 77, KEY_N = 78;
inline constexpr int32_t KEY_O = 79, KEY_P = 80, KEY_Q = 81, KEY_R = 82, KEY_S = 83, KEY_T = 84, KEY_U = 85;
inline constexpr int32_t KEY_V = 86, KEY_W = 87, KEY_X = 88, KEY_Y = 89, KEY_Z = 90;
///@}

/// \name Keypad keys
/// KEY_NUM0 + n is keypad digit n while Num Lock is on. Keypad Enter is
/// KEY_ENTER.
///@{
inline constexpr int32_t KEY_NUM0 = 96, KEY_NUM1 = 97, KEY_NUM2 = 98, KEY_NUM3 = 99, KEY_NUM4 = 100;
inline constexpr int32_t KEY_NUM5 = 101, KEY_NUM6 = 102, KEY_NUM7 = 103, KEY_NUM8 = 104, KEY_NUM9 = 105;
inline constexpr int32_t KEY_NUMMULTIPLY = 106;   ///< Keypad *.
inline constexpr int32_t KEY_NUMADD = 107;        ///< Keypad +.
inline constexpr int32_t KEY_NUMSEPARATOR = 108;  ///< Keypad separator (a comma on some keypads).
inline constexpr int32_t KEY_NUMSUBTRACT = 109;   ///< Keypad -.
inline constexpr int32_t KEY_NUMDECIMAL = 110;    ///< Keypad decimal point.
inline constexpr int32_t KEY_NUMDIVIDE = 111;     ///< Keypad /.
///@}

/// \name Function keys
/// KEY_F1 + n - 1 is function key n, for n from 1 to 24.
///@{
inline constexpr int32_t KEY_F1 = 112, KEY_F2 = 113, KEY_F3 = 114, KEY_F4 = 115, KEY_F5 = 116, KEY_F6 = 117;
inline constexpr int32_t KEY_F7 = 118, KEY_F8 = 119, KEY_F9 = 120, KEY_F10 = 121, KEY_F11 = 122, KEY_F12 = 123;
inline constexpr int32_t KEY_F13 = 124, KEY_F14 = 125, KEY_F15 = 126, KEY_F16 = 127, KEY_F17 = 128;
inline constexpr int32_t KEY_F18 = 129, KEY_F19 = 130, KEY_F20 = 131, KEY_F21 = 132, KEY_F22 = 133;
inline constexpr int32_t KEY_F23 = 134, KEY_F24 = 135;
///@}

/// \name Browser and media keys
///@{
inline constexpr int32_t KEY_BROWSER_BACK = 166;       ///< Browser back.
inline constexpr int32_t KEY_BROWSER_FORWARD = 167;    ///< Browser forward.
inline constexpr int32_t KEY_BROWSER_REFRESH = 168;    ///< Browser refresh.
inline constexpr int32_t KEY_BROWSER_STOP = 169;       ///< Browser stop.
inline constexpr int32_t KEY_BROWSER_SEARCH = 170;     ///< Browser search.
inline constexpr int32_t KEY_BROWSER_FAVORITES = 171;  ///< Browser bookmarks.
inline constexpr int32_t KEY_BROWSER_HOME = 172;       ///< Browser home.
inline constexpr int32_t KEY_VOLUME_MUTE = 173;        ///< Mute.
inline constexpr int32_t KEY_VOLUME_DOWN = 174;        ///< Volume down.
inline constexpr int32_t KEY_VOLUME_UP = 175;          ///< Volume up.
inline constexpr int32_t KEY_MEDIA_NEXT = 176;         ///< Next track.
inline constexpr int32_t KEY_MEDIA_PREV = 177;         ///< Previous track.
inline constexpr int32_t KEY_MEDIA_STOP = 178;         ///< Stop playing.
inline constexpr int32_t KEY_MEDIA_PLAY = 179;         ///< Play or pause.
inline constexpr int32_t KEY_LAUNCH_MAIL = 180;        ///< Start the mail program.
inline constexpr int32_t KEY_LAUNCH_MEDIA = 181;       ///< Select media.
inline constexpr int32_t KEY_LAUNCH_APP1 = 182;        ///< Start application 1 ("My Computer").
inline constexpr int32_t KEY_LAUNCH_APP2 = 183;        ///< Start application 2 (calculator).
///@}

/// \name Punctuation keys
/// Named after their place on a US keyboard; other layouts print other
/// characters on them. The typed character says what the user meant.
///@{
inline constexpr int32_t KEY_SEMICOLON = 186;     ///< ; and :
inline constexpr int32_t KEY_EQUALS = 187;        ///< = and +
inline constexpr int32_t KEY_COMMA = 188;         ///< , and <
inline constexpr int32_t KEY_MINUS = 189;         ///< - and _
inline constexpr int32_t KEY_PERIOD = 190;        ///< . and >
inline constexpr int32_t KEY_SLASH = 191;         ///< / and ?
inline constexpr int32_t KEY_TILDE = 192;         ///< ` and ~
inline constexpr int32_t KEY_OPENBRACKET = 219;   ///< [ and {
inline constexpr int32_t KEY_BACKSLASH = 220;     ///< \\ and |
inline constexpr int32_t KEY_CLOSEBRACKET = 221;  ///< ] and }
inline constexpr int32_t KEY_QUOTES = 222;        ///< ' and "
inline constexpr int32_t KEY_BACKSLASH2 = 226;    ///< The extra key beside left Shift on ISO keyboards.
///@}

}  // namespace vtl
