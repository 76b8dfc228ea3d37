// The joystick part of the SDL desktop layer: connected devices by port,
// their polled state, and the translation of SDL's device, joystick and game
// controller events into that state and into TEvents.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/string.h"

union SDL_Event;

namespace vtl {

// Called once by InitSystem, after InitSystemDriver: starts SDL's joystick
// and game controller part (no window or video needed).
void InitJoysticks();
// Part of FlushInput: forgets the button hits of every device.
void ForgetJoyButtonHits();

}  // namespace vtl

namespace vtl::desktop {

// What the queries read of one connected device. Sizes are the device's
// button, axis and hat counts.
struct JoyState {
  String name;
  bool gamepad = false;
  std::vector<uint8_t> buttons;  // 1 while held
  std::vector<int32_t> hits;     // presses since last taken
  std::vector<float> axes;       // as JoyAxis reads them
  std::vector<uint8_t> hats;     // JOY_HAT_ bits
};

// The device on the port, or null for a free port or a number that is no port.
JoyState* JoyPortState(int32_t port);
// The number of connected devices.
int32_t ConnectedJoyCount();
// Asks the device on the port to rumble; true when it took the request.
bool RumbleJoyPort(int32_t port, uint16_t low, uint16_t high, uint32_t milliseconds);

// Records an SDL device, joystick or game controller event and emits what it
// changed; other events are left alone.
void TranslateJoystickEvent(const SDL_Event& event);
// An SDL axis value as JoyAxis reads it: -32768 and -32767 give -1, 32767
// gives 1, 0 gives 0, and opposite values give opposite results. Triggers
// read 0 to 1 (SDL reports them 0 to 32767).
float JoyAxisFromSDL(int32_t value, bool trigger);

}  // namespace vtl::desktop
