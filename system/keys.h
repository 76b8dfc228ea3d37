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
inline constexpr int32_t KEY_LSYS = 91;       ///< Left system key.
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
inline constexpr int32_t KEY_0 = 48;  ///< Digit 0.
inline constexpr int32_t KEY_1 = 49;  ///< Digit 1.
inline constexpr int32_t KEY_2 = 50;  ///< Digit 2.
inline constexpr int32_t KEY_3 = 51;  ///< Digit 3.
inline constexpr int32_t KEY_4 = 52;  ///< Digit 4.
inline constexpr int32_t KEY_5 = 53;  ///< Digit 5.
inline constexpr int32_t KEY_6 = 54;  ///< Digit 6.
inline constexpr int32_t KEY_7 = 55;  ///< Digit 7.
inline constexpr int32_t KEY_8 = 56;  ///< Digit 8.
inline constexpr int32_t KEY_9 = 57;  ///< Digit 9.
///@}

/// \name Letter keys
/// KEY_A + n is the n-th letter: the codes are the capitals 'A' to 'Z',
/// whichever case the key types. Letters follow the keyboard layout.
///@{
inline constexpr int32_t KEY_A = 65;  ///< Letter A.
inline constexpr int32_t KEY_B = 66;  ///< Letter B.
inline constexpr int32_t KEY_C = 67;  ///< Letter C.
inline constexpr int32_t KEY_D = 68;  ///< Letter D.
inline constexpr int32_t KEY_E = 69;  ///< Letter E.
inline constexpr int32_t KEY_F = 70;  ///< Letter F.
inline constexpr int32_t KEY_G = 71;  ///< Letter G.
inline constexpr int32_t KEY_H = 72;  ///< Letter H.
inline constexpr int32_t KEY_I = 73;  ///< Letter I.
inline constexpr int32_t KEY_J = 74;  ///< Letter J.
inline constexpr int32_t KEY_K = 75;  ///< Letter K.
inline constexpr int32_t KEY_L = 76;  ///< Letter L.
inline constexpr int32_t KEY_M = 77;  ///< Letter M.
inline constexpr int32_t KEY_N = 78;  ///< Letter N.
inline constexpr int32_t KEY_O = 79;  ///< Letter O.
inline constexpr int32_t KEY_P = 80;  ///< Letter P.
inline constexpr int32_t KEY_Q = 81;  ///< Letter Q.
inline constexpr int32_t KEY_R = 82;  ///< Letter R.
inline constexpr int32_t KEY_S = 83;  ///< Letter S.
inline constexpr int32_t KEY_T = 84;  ///< Letter T.
inline constexpr int32_t KEY_U = 85;  ///< Letter U.
inline constexpr int32_t KEY_V = 86;  ///< Letter V.
inline constexpr int32_t KEY_W = 87;  ///< Letter W.
inline constexpr int32_t KEY_X = 88;  ///< Letter X.
inline constexpr int32_t KEY_Y = 89;  ///< Letter Y.
inline constexpr int32_t KEY_Z = 90;  ///< Letter Z.
///@}

/// \name Keypad keys
/// KEY_NUM0 + n is keypad digit n while Num Lock is on. Keypad Enter is
/// KEY_ENTER.
///@{
inline constexpr int32_t KEY_NUM0 = 96;           ///< Keypad 0.
inline constexpr int32_t KEY_NUM1 = 97;           ///< Keypad 1.
inline constexpr int32_t KEY_NUM2 = 98;           ///< Keypad 2.
inline constexpr int32_t KEY_NUM3 = 99;           ///< Keypad 3.
inline constexpr int32_t KEY_NUM4 = 100;          ///< Keypad 4.
inline constexpr int32_t KEY_NUM5 = 101;          ///< Keypad 5.
inline constexpr int32_t KEY_NUM6 = 102;          ///< Keypad 6.
inline constexpr int32_t KEY_NUM7 = 103;          ///< Keypad 7.
inline constexpr int32_t KEY_NUM8 = 104;          ///< Keypad 8.
inline constexpr int32_t KEY_NUM9 = 105;          ///< Keypad 9.
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
inline constexpr int32_t KEY_F1 = 112;   ///< Function key F1.
inline constexpr int32_t KEY_F2 = 113;   ///< Function key F2.
inline constexpr int32_t KEY_F3 = 114;   ///< Function key F3.
inline constexpr int32_t KEY_F4 = 115;   ///< Function key F4.
inline constexpr int32_t KEY_F5 = 116;   ///< Function key F5.
inline constexpr int32_t KEY_F6 = 117;   ///< Function key F6.
inline constexpr int32_t KEY_F7 = 118;   ///< Function key F7.
inline constexpr int32_t KEY_F8 = 119;   ///< Function key F8.
inline constexpr int32_t KEY_F9 = 120;   ///< Function key F9.
inline constexpr int32_t KEY_F10 = 121;  ///< Function key F10.
inline constexpr int32_t KEY_F11 = 122;  ///< Function key F11.
inline constexpr int32_t KEY_F12 = 123;  ///< Function key F12.
inline constexpr int32_t KEY_F13 = 124;  ///< Function key F13.
inline constexpr int32_t KEY_F14 = 125;  ///< Function key F14.
inline constexpr int32_t KEY_F15 = 126;  ///< Function key F15.
inline constexpr int32_t KEY_F16 = 127;  ///< Function key F16.
inline constexpr int32_t KEY_F17 = 128;  ///< Function key F17.
inline constexpr int32_t KEY_F18 = 129;  ///< Function key F18.
inline constexpr int32_t KEY_F19 = 130;  ///< Function key F19.
inline constexpr int32_t KEY_F20 = 131;  ///< Function key F20.
inline constexpr int32_t KEY_F21 = 132;  ///< Function key F21.
inline constexpr int32_t KEY_F22 = 133;  ///< Function key F22.
inline constexpr int32_t KEY_F23 = 134;  ///< Function key F23.
inline constexpr int32_t KEY_F24 = 135;  ///< Function key F24.
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
inline constexpr int32_t KEY_LAUNCH_APP1 = 182;        ///< Start application 1.
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
