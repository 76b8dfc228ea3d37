// Polled joystick input at its edges: numbers that are no port, button, axis
// or hat, the axis scale, odd device names and counts, hits and FlushInput,
// and rumble.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "system/internal/joystick.h"
#include "system/system.h"
#include "tests/system/system_test_support.h"
#include "tests/system/virtual_joystick.h"

namespace {

using systest::PumpJoyEvents;
using systest::VirtualJoystick;
using Lines = std::vector<std::string>;

#define START_OR_SKIP()                                                                     \
  do {                                                                                      \
    if (!systest::StartJoystickTest()) GTEST_SKIP() << "a real joystick is connected here"; \
  } while (0)

TEST(JoystickAxisScale, SymmetricWithTheLowestValueAtMinusOne) {
  EXPECT_EQ(vtl::desktop::JoyAxisFromSDL(-32768, false), -1.0f);
  EXPECT_EQ(vtl::desktop::JoyAxisFromSDL(-32767, false), -1.0f);
  EXPECT_EQ(vtl::desktop::JoyAxisFromSDL(32767, false), 1.0f);
  EXPECT_EQ(vtl::desktop::JoyAxisFromSDL(0, false), 0.0f);
  for (int32_t v = 1; v <= 32767; ++v) {
    const float up = vtl::desktop::JoyAxisFromSDL(v, false);
    ASSERT_EQ(vtl::desktop::JoyAxisFromSDL(-v, false), -up) << v;
    ASSERT_GT(up, vtl::desktop::JoyAxisFromSDL(v - 1, false)) << v;
    // What the axis event carries in y: the value times 32767, rounded.
    ASSERT_EQ(std::lround(static_cast<double>(up) * 32767.0), v);
  }
  EXPECT_EQ(vtl::desktop::JoyAxisFromSDL(0, true), 0.0f);
  EXPECT_EQ(vtl::desktop::JoyAxisFromSDL(32767, true), 1.0f);
  EXPECT_EQ(vtl::desktop::JoyAxisFromSDL(-5, true), 0.0f) << "a trigger never reads below rest";
}

TEST(JoystickInput, NumbersOutsideTheDeviceReadAsNothing) {
  START_OR_SKIP();
  for (int32_t port : {-1, 0, 1, 16, INT_MIN, INT_MAX}) {
    EXPECT_EQ(vtl::JoyName(port).Length(), 0);
    EXPECT_EQ(vtl::JoyIsGamepad(port), 0);
    EXPECT_EQ(vtl::JoyButtonCount(port), 0);
    EXPECT_EQ(vtl::JoyButtonIsDown(port, 0), 0);
    EXPECT_EQ(vtl::TakeJoyButtonHits(port, 0), 0);
    EXPECT_EQ(vtl::JoyAxis(port, 0), 0.0f);
    EXPECT_EQ(vtl::JoyHat(port, 0), 0);
    EXPECT_EQ(vtl::JoyRumble(port, 1.0f, 1.0f, 100), 0);
  }
  auto stick = VirtualJoystick::Raw(3, 9, 1);
  stick.Button(0, true);
  stick.Axis(0, 300);
  stick.Hat(0, SDL_HAT_UP);
  PumpJoyEvents();
  for (int32_t n : {-1, INT_MIN, INT_MAX, 9, 256}) {
    EXPECT_EQ(vtl::JoyButtonIsDown(0, n), 0) << n;
    EXPECT_EQ(vtl::TakeJoyButtonHits(0, n), 0) << n;
  }
  for (int32_t n : {-1, INT_MIN, INT_MAX, 3}) EXPECT_EQ(vtl::JoyAxis(0, n), 0.0f) << n;
  for (int32_t n : {-1, INT_MIN, INT_MAX, 1}) EXPECT_EQ(vtl::JoyHat(0, n), 0) << n;
  EXPECT_EQ(vtl::JoyButtonIsDown(0, 0), 1);
  EXPECT_EQ(vtl::JoyHat(0, 0), 1);
}

TEST(JoystickInput, HostileDevices) {
  START_OR_SKIP();
  // More buttons than a fixed table would hold, and a name that is not UTF-8.
  auto wide = VirtualJoystick::Raw(40, 200, 20, "Pad \xff\xfe\x01 odd");
  auto unnamed = VirtualJoystick::Raw(0, 0, 0, "");
  auto pad = VirtualJoystick::Gamepad("Gamepad \xc3\x28");
  PumpJoyEvents();
  EXPECT_EQ(vtl::JoyCount(), 3);
  EXPECT_EQ(vtl::JoyButtonCount(0), 200);
  EXPECT_EQ(vtl::JoyName(0), vtl::String(u"Pad \u00ff\u00fe\u0001 odd"));
  EXPECT_EQ(vtl::JoyName(2), vtl::String(u"Gamepad \u00c3("));
  EXPECT_EQ(vtl::JoyName(1).ToUtf8(), "Unnamed device") << "a connected device has a name; a free port has none";
  EXPECT_EQ(vtl::JoyButtonCount(1), 0);
  EXPECT_EQ(vtl::JoyButtonIsDown(1, 0), 0);

  wide.Button(199, true);
  wide.Axis(39, -32768);
  wide.Hat(19, 0xff);  // every bit: only the four directions count
  EXPECT_EQ(PumpJoyEvents(), (Lines{"JoyAxisMove 39 x=0 y=-32767", "JoyButtonDown 199 x=0 y=0", "JoyHat 19 x=0 y=15"}));
  EXPECT_EQ(vtl::JoyButtonIsDown(0, 199), 1);
  EXPECT_EQ(vtl::JoyAxis(0, 39), -1.0f);
  EXPECT_EQ(vtl::JoyHat(0, 19), 15);
}

TEST(JoystickInput, AxisEventsCarryTheValueRounded) {
  START_OR_SKIP();
  auto pad = VirtualJoystick::Gamepad();
  PumpJoyEvents();
  for (int16_t raw : {int16_t{1}, int16_t{-1}, int16_t{12345}, int16_t{-32768}, int16_t{32767}, int16_t{-32767}}) {
    pad.Axis(vtl::JOY_RIGHTY, raw);
    Lines events = PumpJoyEvents();
    ASSERT_EQ(events.size(), 1u) << raw;
    const float value = vtl::JoyAxis(0, vtl::JOY_RIGHTY);
    EXPECT_EQ(events[0], "JoyAxisMove 3 x=0 y=" + std::to_string(std::lround(static_cast<double>(value) * 32767.0)));
    EXPECT_EQ(value, raw == -32768 ? -1.0f : raw / 32767.0f) << raw;
  }
  // -32768 reads as -32767 does: no change, no event.
  pad.Axis(vtl::JOY_RIGHTY, -32768);
  EXPECT_EQ(PumpJoyEvents(), Lines{});
}

TEST(JoystickInput, HitsCountPressesAndFlushInputForgetsThem) {
  START_OR_SKIP();
  auto pad = VirtualJoystick::Gamepad();
  PumpJoyEvents();
  for (int i = 0; i < 3; ++i) {
    pad.Button(vtl::JOY_START, true);
    PumpJoyEvents();
    pad.Button(vtl::JOY_START, false);
    PumpJoyEvents();
  }
  pad.Button(vtl::JOY_A, true);
  PumpJoyEvents();
  PumpJoyEvents();  // held over several pumps: one hit
  EXPECT_EQ(vtl::TakeJoyButtonHits(0, vtl::JOY_START), 3);
  EXPECT_EQ(vtl::TakeJoyButtonHits(0, vtl::JOY_START), 0);
  EXPECT_EQ(vtl::TakeJoyButtonHits(0, vtl::JOY_A), 1);

  pad.Button(vtl::JOY_B, true);
  PumpJoyEvents();
  vtl::FlushInput();
  EXPECT_EQ(vtl::TakeJoyButtonHits(0, vtl::JOY_B), 0);
  EXPECT_EQ(vtl::JoyButtonIsDown(0, vtl::JOY_B), 1) << "a held button stays held";
  // A press pending when FlushInput runs is absorbed first, then forgotten.
  pad.Button(vtl::JOY_X, true);
  vtl::FlushInput();
  EXPECT_EQ(vtl::TakeJoyButtonHits(0, vtl::JOY_X), 0);
  EXPECT_EQ(vtl::JoyButtonIsDown(0, vtl::JOY_X), 1);
  // Losing the focus forgets hits as it forgets keys.
  pad.Button(vtl::JOY_Y, true);
  PumpJoyEvents();
  systest::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  EXPECT_EQ(vtl::TakeJoyButtonHits(0, vtl::JOY_Y), 0);
}

TEST(JoystickInput, RumbleWhereTheDeviceHasIt) {
  START_OR_SKIP();
  auto pad = VirtualJoystick::Gamepad("rumbling", true);
  auto still = VirtualJoystick::Gamepad("still");
  PumpJoyEvents();
  EXPECT_EQ(vtl::JoyRumble(0, 1.0f, 0.5f, 200), 1);
  EXPECT_EQ(vtl::JoyRumble(0, -3.0f, 7.0f, -5), 1);
  EXPECT_EQ(vtl::JoyRumble(0, std::numeric_limits<float>::quiet_NaN(), 0.25f, 100), 1);
  auto rumbles = pad.Rumbles();
  ASSERT_GE(rumbles.size(), 3u);
  EXPECT_EQ(rumbles[0].low, 65535);
  EXPECT_EQ(rumbles[0].high, 32768);
  EXPECT_EQ(rumbles[1].low, 0);
  EXPECT_EQ(rumbles[1].high, 65535);
  EXPECT_EQ(rumbles[2].low, 0);
  EXPECT_EQ(rumbles[2].high, 16384);
  EXPECT_EQ(vtl::JoyRumble(1, 1.0f, 1.0f, 100), 0);
}

TEST(JoystickInput, WorksWithoutVideoAndWithTheDummyDriver) {
  START_OR_SKIP();
  // Run alone, as CTest runs it, nothing has started video; run in one
  // process with the display tests, they may have.
  if (::testing::UnitTest::GetInstance()->test_to_run_count() == 1) {
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "joysticks need no video";
  }
  auto pad = VirtualJoystick::Gamepad();
  pad.Button(vtl::JOY_BACK, true);
  PumpJoyEvents();
  EXPECT_EQ(vtl::JoyButtonIsDown(0, vtl::JOY_BACK), 1);

  ASSERT_TRUE(systest::StartVideoDriver("dummy"));
  pad.Button(vtl::JOY_BACK, false);

  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyButtonUp 4 x=0 y=0"});
}

TEST(JoystickInput, EventNames) {
  auto text = [](int32_t id) { return vtl::MakeEvent(id, nullptr, 2, 0, 1, -7, nullptr)->ToString().ToUtf8(); };
  EXPECT_EQ(text(vtl::EVENT_JOYADDED), "JoyAdded: data=2, mods=0, x=1, y=-7, extra=\"\"");
  EXPECT_EQ(text(vtl::EVENT_JOYREMOVED).substr(0, 11), "JoyRemoved:");
  EXPECT_EQ(text(vtl::EVENT_JOYBUTTONDOWN).substr(0, 14), "JoyButtonDown:");
  EXPECT_EQ(text(vtl::EVENT_JOYBUTTONUP).substr(0, 12), "JoyButtonUp:");
  EXPECT_EQ(text(vtl::EVENT_JOYAXISMOVE).substr(0, 12), "JoyAxisMove:");
  EXPECT_EQ(text(vtl::EVENT_JOYHAT).substr(0, 7), "JoyHat:");
}

}  // namespace
