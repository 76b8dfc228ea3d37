#include "system/joystick.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "system/internal/joystick.h"
#include "system/system_driver.h"

namespace vtl {

namespace {

using desktop::JoyState;

// The device on the port after pumping, or null.
JoyState* PumpedPort(int32_t port) {
  PumpSystemEvents();
  return desktop::JoyPortState(port);
}

template <typename T>
T Read(const std::vector<T>& values, int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < values.size() ? values[static_cast<size_t>(index)] : T{};
}

uint16_t MotorStrength(float strength) {
  if (!(strength > 0.0f)) return 0;  // NaN too
  return static_cast<uint16_t>(std::lround(std::min(strength, 1.0f) * 65535.0f));
}

}  // namespace

int32_t JoyCount() {
  PumpSystemEvents();
  return desktop::ConnectedJoyCount();
}

String JoyName(int32_t port) {
  const JoyState* state = PumpedPort(port);
  return state ? state->name : String();
}

int32_t JoyIsGamepad(int32_t port) {
  const JoyState* state = PumpedPort(port);
  return state && state->gamepad ? 1 : 0;
}

int32_t JoyButtonCount(int32_t port) {
  const JoyState* state = PumpedPort(port);
  return state ? static_cast<int32_t>(state->buttons.size()) : 0;
}

int32_t JoyAxisCount(int32_t port) {
  const JoyState* state = PumpedPort(port);
  return state ? static_cast<int32_t>(state->axes.size()) : 0;
}

int32_t JoyHatCount(int32_t port) {
  const JoyState* state = PumpedPort(port);
  return state ? static_cast<int32_t>(state->hats.size()) : 0;
}

int32_t JoyButtonIsDown(int32_t port, int32_t button) {
  const JoyState* state = PumpedPort(port);
  return state ? Read(state->buttons, button) : 0;
}

int32_t TakeJoyButtonHits(int32_t port, int32_t button) {
  JoyState* state = PumpedPort(port);
  if (!state || button < 0 || static_cast<size_t>(button) >= state->hits.size()) return 0;
  return std::exchange(state->hits[static_cast<size_t>(button)], 0);
}

float JoyAxis(int32_t port, int32_t axis) {
  const JoyState* state = PumpedPort(port);
  return state ? Read(state->axes, axis) : 0.0f;
}

int32_t JoyHat(int32_t port, int32_t hat) {
  const JoyState* state = PumpedPort(port);
  return state ? Read(state->hats, hat) : 0;
}

int32_t JoyRumble(int32_t port, float low, float high, int32_t milliseconds) {
  PumpSystemEvents();
  const auto duration = static_cast<uint32_t>(std::max(milliseconds, 0));
  return desktop::RumbleJoyPort(port, MotorStrength(low), MotorStrength(high), duration) ? 1 : 0;
}

}  // namespace vtl
