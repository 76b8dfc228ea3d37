// Joysticks and gamepads made with SDL's virtual-joystick calls, so the
// joystick tests need no hardware, and a record of the joystick events with
// the polled state each one left behind.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace systest {

class VirtualJoystick {
 public:
  // A device SDL knows as a game controller, with the standard buttons and
  // axes; rumble makes it accept rumble requests, recorded in Rumbles().
  static VirtualJoystick Gamepad(const char* name = "Virtual Pad", bool rumble = false);
  // A plain device with these counts.
  static VirtualJoystick Raw(int axes, int buttons, int hats, const char* name = "Virtual Stick");

  VirtualJoystick(VirtualJoystick&& other) noexcept;
  VirtualJoystick& operator=(VirtualJoystick&&) = delete;
  ~VirtualJoystick();

  // What the device reports from the next pump on. Values are SDL's raw
  // ones: a gamepad's triggers rest at -32768.
  void Button(int button, bool down);
  void Axis(int axis, int16_t value);
  void Hat(int hat, uint8_t bits);
  SDL_JoystickID Instance() const { return instance_; }
  // Pulls the device out (once).
  void Detach();

  struct Rumble {
    uint16_t low, high;
  };
  std::vector<Rumble> Rumbles() const { return *rumbles_; }

 private:
  explicit VirtualJoystick(const SDL_VirtualJoystickDesc& desc, std::vector<Rumble>* rumbles);

  SDL_Joystick* joystick_ = nullptr;
  SDL_JoystickID instance_ = -1;
  std::vector<Rumble>* rumbles_ = nullptr;  // owned; handed to SDL as user data
};

// Starts the system library for joystick tests (and the event recorder),
// forgets earlier input, and lets presses count without a focused window.
// False when a real device is connected: the tests expect every port free.
bool StartJoystickTest();

// The joystick events emitted since the last ClearJoyEvents, each as
// "JoyButtonDown 3 x=1 y=0" (name from the event's text, data, x, y).
std::vector<std::string> JoyEvents();
// The polled state of the event's port right after each joystick event, as
// "count=1 name=... down=0,3 hits=... axes=... hats=..." (only pressed
// buttons, nonzero axes and hats listed).
std::vector<std::string> JoyStatesAtEvents();
void ClearJoyEvents();
// The polled state of a port, in the form above.
std::string JoyPortText(int32_t port);

// Pumps once; returns the joystick events this produced and clears them.
std::vector<std::string> PumpJoyEvents();

}  // namespace systest
