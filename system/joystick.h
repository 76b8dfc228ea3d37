/// \file
/// Gamepads and joysticks: connected devices by port, their buttons, axes and
/// hats as polled state, hot-plugging, and rumble. Every query pumps pending
/// desktop messages first, as the keyboard and mouse queries do; the changes
/// also come as events (EVENT_JOYADDED to EVENT_JOYHAT).
///
/// A device keeps its port (0 up) while it stays connected; a new device takes
/// the lowest free port. A free port, and any port, button, axis or hat number
/// outside what the device has, reads as nothing pressed: 0, 0.0 or the empty
/// string.
#pragma once

#include <cstdint>

#include "runtime/string.h"

namespace vtl {

/// Buttons of a gamepad (a device the desktop knows as a game controller),
/// in the standard layout. Other devices number their buttons as the device
/// does. Buttons after JOY_DPAD_RIGHT (15 up) are extra ones some gamepads
/// have (a share button, paddles, a touchpad press).
enum : int32_t {
  JOY_A = 0,               ///< Bottom face button.
  JOY_B = 1,               ///< Right face button.
  JOY_X = 2,               ///< Left face button.
  JOY_Y = 3,               ///< Top face button.
  JOY_BACK = 4,            ///< Back or select.
  JOY_GUIDE = 5,           ///< The guide or home button.
  JOY_START = 6,           ///< Start.
  JOY_LEFTSTICK = 7,       ///< Pressing the left stick.
  JOY_RIGHTSTICK = 8,      ///< Pressing the right stick.
  JOY_LEFTSHOULDER = 9,    ///< Left shoulder button.
  JOY_RIGHTSHOULDER = 10,  ///< Right shoulder button.
  JOY_DPAD_UP = 11,        ///< D-pad up.
  JOY_DPAD_DOWN = 12,      ///< D-pad down.
  JOY_DPAD_LEFT = 13,      ///< D-pad left.
  JOY_DPAD_RIGHT = 14,     ///< D-pad right.
};

/// Axes of a gamepad. Sticks read -1 to 1 (x positive right, y positive
/// down), triggers 0 to 1; all are exactly 0 at rest. Other devices number
/// their axes as the device does, each -1 to 1.
enum : int32_t {
  JOY_LEFTX = 0,         ///< Left stick, across.
  JOY_LEFTY = 1,         ///< Left stick, up and down.
  JOY_RIGHTX = 2,        ///< Right stick, across.
  JOY_RIGHTY = 3,        ///< Right stick, up and down.
  JOY_TRIGGERLEFT = 4,   ///< Left trigger.
  JOY_TRIGGERRIGHT = 5,  ///< Right trigger.
};

/// Bits of a hat's position (JoyHat, EVENT_JOYHAT); 0 is centred, and two
/// neighbouring bits make a diagonal. Gamepads have no hats: their D-pad is
/// four buttons.
enum : int32_t {
  JOY_HAT_UP = 1,     ///< Hat pushed up.
  JOY_HAT_RIGHT = 2,  ///< Hat pushed right.
  JOY_HAT_DOWN = 4,   ///< Hat pushed down.
  JOY_HAT_LEFT = 8,   ///< Hat pushed left.
};

/// The number of connected devices.
int32_t JoyCount();
/// The device's name, or the empty string for a free port (a device that
/// gives no name is called "Unnamed device"). Bytes the device gives that
/// are not UTF-8 come through one character per byte.
String JoyName(int32_t port);
/// 1 when the device uses the gamepad layout (JOY_A..., JOY_LEFTX...), else 0.
int32_t JoyIsGamepad(int32_t port);
/// How many buttons the device has (at most 256; a free port has none).
int32_t JoyButtonCount(int32_t port);
/// How many axes the device has.
int32_t JoyAxisCount(int32_t port);
/// How many hats the device has (0 for gamepads).
int32_t JoyHatCount(int32_t port);

/// 1 while the button is held, else 0.
int32_t JoyButtonIsDown(int32_t port, int32_t button);
/// The times the button went down since the last call for it (or FlushInput);
/// the count starts again at 0.
int32_t TakeJoyButtonHits(int32_t port, int32_t button);
/// The axis position: -1 to 1 (the device's lowest value reads exactly -1,
/// and opposite positions read as opposite values), 0 to 1 for gamepad
/// triggers, exactly 0 at rest.
float JoyAxis(int32_t port, int32_t axis);
/// The hat position as JOY_HAT_ bits, 0 when centred.
int32_t JoyHat(int32_t port, int32_t hat);

/// Starts the device's rumble motors for `milliseconds` (0 stops them):
/// `low` drives the low-frequency motor, `high` the high-frequency one, each
/// 0 (off) to 1 (full); values outside are clamped. 1 when the device
/// supports rumble (and took the request), 0 otherwise.
int32_t JoyRumble(int32_t port, float low, float high, int32_t milliseconds);

}  // namespace vtl
