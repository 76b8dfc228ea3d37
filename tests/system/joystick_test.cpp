// Joysticks and gamepads through the real pump, driven by SDL's virtual
// devices: the events each action emits, in order, and the polled state each
// event leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "system/system.h"
#include "tests/system/virtual_joystick.h"

namespace {

using systest::JoyEvents;
using systest::JoyPortText;
using systest::JoyStatesAtEvents;
using systest::PumpJoyEvents;
using systest::VirtualJoystick;
using Lines = std::vector<std::string>;

constexpr int16_t kTriggerRest = -32768;  // SDL's raw value for a released trigger

#define START_OR_SKIP()                                                                     \
  do {                                                                                      \
    if (!systest::StartJoystickTest()) GTEST_SKIP() << "a real joystick is connected here"; \
  } while (0)

TEST(JoystickEvents, GamepadAttachPressMoveReleaseDetach) {
  START_OR_SKIP();
  auto pad = VirtualJoystick::Gamepad("Virtual Pad");
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyAdded 0 x=0 y=0"});
  EXPECT_EQ(JoyStatesAtEvents(), Lines{"count=1 down= axes= hats="}) << "triggers at rest read 0";
  EXPECT_EQ(vtl::JoyIsGamepad(0), 1);
  EXPECT_EQ(vtl::JoyName(0).ToUtf8(), "Virtual Pad");
  EXPECT_EQ(vtl::JoyButtonCount(0), SDL_CONTROLLER_BUTTON_MAX);
  EXPECT_EQ(vtl::JoyAxisCount(0), 6);
  EXPECT_EQ(vtl::JoyHatCount(0), 0);

  pad.Button(vtl::JOY_A, true);
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyButtonDown 0 x=0 y=0"});
  EXPECT_EQ(JoyStatesAtEvents(), Lines{"count=1 down=0 axes= hats="});

  pad.Axis(vtl::JOY_LEFTX, -32768);
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyAxisMove 0 x=0 y=-32767"});
  EXPECT_EQ(vtl::JoyAxis(0, vtl::JOY_LEFTX), -1.0f);
  pad.Axis(vtl::JOY_TRIGGERRIGHT, 32767);
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyAxisMove 5 x=0 y=32767"});
  EXPECT_EQ(vtl::JoyAxis(0, vtl::JOY_TRIGGERRIGHT), 1.0f);
  pad.Axis(vtl::JOY_TRIGGERRIGHT, kTriggerRest);
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyAxisMove 5 x=0 y=0"});
  EXPECT_EQ(vtl::JoyAxis(0, vtl::JOY_TRIGGERRIGHT), 0.0f);

  pad.Button(vtl::JOY_DPAD_RIGHT, true);
  pad.Button(vtl::JOY_A, false);
  EXPECT_EQ(PumpJoyEvents(), (Lines{"JoyButtonUp 0 x=0 y=0", "JoyButtonDown 14 x=0 y=0"}));
  EXPECT_EQ(JoyStatesAtEvents(), (Lines{"count=1 down= axes=0:-32767 hats=", "count=1 down=14 axes=0:-32767 hats="}));
  EXPECT_EQ(vtl::TakeJoyButtonHits(0, vtl::JOY_A), 1);
  EXPECT_EQ(vtl::TakeJoyButtonHits(0, vtl::JOY_DPAD_RIGHT), 1);

  pad.Button(vtl::JOY_DPAD_RIGHT, false);
  pad.Axis(vtl::JOY_LEFTX, 0);
  PumpJoyEvents();
  pad.Detach();
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyRemoved 0 x=0 y=0"});
  EXPECT_EQ(JoyStatesAtEvents(), Lines{"count=0 down= axes= hats="});
  EXPECT_EQ(vtl::JoyName(0).Length(), 0);
  EXPECT_EQ(vtl::JoyIsGamepad(0), 0);
}

TEST(JoystickEvents, RawDeviceReportsButtonsAxesAndHatsInItsOwnOrder) {
  START_OR_SKIP();
  auto stick = VirtualJoystick::Raw(3, 9, 1, "Virtual Stick");
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyAdded 0 x=0 y=0"});
  EXPECT_EQ(vtl::JoyIsGamepad(0), 0);
  EXPECT_EQ(vtl::JoyButtonCount(0), 9);
  EXPECT_EQ(vtl::JoyAxisCount(0), 3);
  EXPECT_EQ(vtl::JoyHatCount(0), 1);

  stick.Button(8, true);
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyButtonDown 8 x=0 y=0"});
  stick.Axis(2, 16384);
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyAxisMove 2 x=0 y=16384"});
  stick.Hat(0, SDL_HAT_RIGHTUP);
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyHat 0 x=0 y=3"});
  EXPECT_EQ(JoyStatesAtEvents(), Lines{"count=1 down=8 axes=2:16384 hats=0:3"});
  stick.Hat(0, SDL_HAT_LEFT);
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyHat 0 x=0 y=8"});
  EXPECT_EQ(vtl::JoyHat(0, 0), 8);
  stick.Hat(0, SDL_HAT_CENTERED);
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyHat 0 x=0 y=0"});
  // The same value again is no change.
  stick.Axis(2, 16384);
  EXPECT_EQ(PumpJoyEvents(), Lines{});
}

// Each change is emitted once, as the state shows it; a pulled device goes
// back to rest, event by event, before its removal.
TEST(JoystickEvents, DetachWhileHeldReleasesBeforeRemoval) {
  START_OR_SKIP();
  auto pad = VirtualJoystick::Gamepad();
  auto stick = VirtualJoystick::Raw(3, 9, 1);
  PumpJoyEvents();
  pad.Button(vtl::JOY_B, true);
  pad.Button(vtl::JOY_START, true);
  pad.Axis(vtl::JOY_LEFTY, 20000);
  pad.Axis(vtl::JOY_TRIGGERLEFT, 32767);
  stick.Button(4, true);
  stick.Hat(0, SDL_HAT_DOWN);
  PumpJoyEvents();

  pad.Detach();
  EXPECT_EQ(PumpJoyEvents(), (Lines{"JoyAxisMove 1 x=0 y=0", "JoyAxisMove 4 x=0 y=0", "JoyButtonUp 1 x=0 y=0",
                                    "JoyButtonUp 6 x=0 y=0", "JoyRemoved 0 x=0 y=0"}));
  EXPECT_EQ(JoyStatesAtEvents(),
            (Lines{"count=2 down=1,6 axes=4:32767 hats=", "count=2 down=1,6 axes= hats=", "count=2 down=6 axes= hats=",
                   "count=2 down= axes= hats=", "count=1 down= axes= hats="}));
  EXPECT_EQ(vtl::JoyButtonIsDown(0, vtl::JOY_B), 0);
  EXPECT_EQ(vtl::JoyButtonIsDown(1, 4), 1) << "the other device is untouched";

  stick.Detach();
  EXPECT_EQ(PumpJoyEvents(), (Lines{"JoyButtonUp 4 x=1 y=0", "JoyHat 0 x=1 y=0", "JoyRemoved 0 x=1 y=0"}));
  EXPECT_EQ(JoyStatesAtEvents().back(), "count=0 down= axes= hats=");
}

// The same when the removal reaches the pump without SDL's own recentring
// before it.
TEST(JoystickEvents, RemovalAloneStillReleasesFirst) {
  START_OR_SKIP();
  auto stick = VirtualJoystick::Raw(3, 9, 1);
  PumpJoyEvents();
  stick.Button(7, true);
  stick.Axis(1, -32768);
  stick.Hat(0, SDL_HAT_LEFTDOWN);
  PumpJoyEvents();
  SDL_Event removed{};
  removed.type = SDL_JOYDEVICEREMOVED;
  removed.jdevice.which = stick.Instance();
  SDL_PushEvent(&removed);
  EXPECT_EQ(PumpJoyEvents(),
            (Lines{"JoyAxisMove 1 x=0 y=0", "JoyButtonUp 7 x=0 y=0", "JoyHat 0 x=0 y=0", "JoyRemoved 0 x=0 y=0"}));
  EXPECT_EQ(systest::JoyStatesAtEvents(), (Lines{"count=1 down=7 axes= hats=0:12", "count=1 down= axes= hats=0:12",
                                                 "count=1 down= axes= hats=", "count=0 down= axes= hats="}));
  // Whatever the gone device still reports is no one's.
  stick.Button(3, true);
  EXPECT_EQ(PumpJoyEvents(), Lines{});
  stick.Detach();
  EXPECT_EQ(PumpJoyEvents(), Lines{});
}

TEST(JoystickEvents, PressedBeforeTheFirstPumpArrivesAfterTheAddedEvent) {
  START_OR_SKIP();
  auto pad = VirtualJoystick::Gamepad();
  pad.Button(vtl::JOY_X, true);
  pad.Axis(vtl::JOY_RIGHTX, 32767);
  EXPECT_EQ(PumpJoyEvents(), (Lines{"JoyAdded 0 x=0 y=0", "JoyAxisMove 2 x=0 y=32767", "JoyButtonDown 2 x=0 y=0"}));
  EXPECT_EQ(vtl::TakeJoyButtonHits(0, vtl::JOY_X), 1);

  // Attached and pulled out between two pumps: never seen.
  auto brief = VirtualJoystick::Raw(3, 9, 1);
  brief.Button(0, true);
  brief.Detach();
  EXPECT_EQ(PumpJoyEvents(), Lines{});
  EXPECT_EQ(vtl::JoyCount(), 1);
}

// Attach first and detach last; press, move and release in every order, with
// a pump after each action or only one for all three. The expected events
// follow from what the device holds before and after each pump.
TEST(JoystickEvents, EveryOrderOfPressMoveRelease) {
  START_OR_SKIP();
  enum Action { kPress, kMove, kRelease };
  std::array<Action, 3> order{kPress, kMove, kRelease};
  do {
    for (bool pumpEach : {true, false}) {
      SCOPED_TRACE(std::to_string(order[0]) + std::to_string(order[1]) + std::to_string(order[2]) +
                   (pumpEach ? " pumping each" : " one pump"));
      Lines expected{"JoyAdded 0 x=0 y=0"}, seen;
      {
        auto pad = VirtualJoystick::Gamepad();
        seen = PumpJoyEvents();
        bool held = false, moved = false;
        bool shownHeld = false, shownMoved = false;
        auto expectChanges = [&] {
          if (moved != shownMoved) expected.push_back(moved ? "JoyAxisMove 0 x=0 y=-12000" : "JoyAxisMove 0 x=0 y=0");
          if (held != shownHeld) expected.push_back(held ? "JoyButtonDown 3 x=0 y=0" : "JoyButtonUp 3 x=0 y=0");
          shownHeld = held;
          shownMoved = moved;
        };
        for (Action action : order) {
          if (action == kPress) pad.Button(vtl::JOY_Y, held = true);
          if (action == kRelease) pad.Button(vtl::JOY_Y, held = false);
          if (action == kMove) pad.Axis(vtl::JOY_LEFTX, -12000);
          moved = moved || action == kMove;
          if (pumpEach) {
            expectChanges();
            auto more = PumpJoyEvents();
            seen.insert(seen.end(), more.begin(), more.end());
          }
        }
        if (!pumpEach) {
          expectChanges();
          auto more = PumpJoyEvents();
          seen.insert(seen.end(), more.begin(), more.end());
        }
        EXPECT_EQ(vtl::JoyButtonIsDown(0, vtl::JOY_Y), held ? 1 : 0);
        pad.Detach();
        held = moved = false;
        expectChanges();
        expected.push_back("JoyRemoved 0 x=0 y=0");
        auto more = PumpJoyEvents();
        seen.insert(seen.end(), more.begin(), more.end());
      }
      EXPECT_EQ(seen, expected);
      EXPECT_EQ(vtl::JoyCount(), 0);
    }
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(JoystickPorts, NewDeviceTakesTheLowestFreePort) {
  START_OR_SKIP();
  auto first = VirtualJoystick::Gamepad("first");
  auto second = VirtualJoystick::Raw(3, 9, 1, "second");
  auto third = VirtualJoystick::Gamepad("third");
  EXPECT_EQ(PumpJoyEvents(), (Lines{"JoyAdded 0 x=0 y=0", "JoyAdded 0 x=1 y=0", "JoyAdded 0 x=2 y=0"}));

  second.Detach();
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyRemoved 0 x=1 y=0"});
  EXPECT_EQ(vtl::JoyCount(), 2);
  EXPECT_EQ(vtl::JoyName(2).ToUtf8(), "third") << "the others keep their ports";
  EXPECT_EQ(vtl::JoyName(1).Length(), 0);

  auto fourth = VirtualJoystick::Raw(3, 9, 1, "fourth");
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyAdded 0 x=1 y=0"});
  EXPECT_EQ(vtl::JoyName(1).ToUtf8(), "fourth");

  first.Detach();
  PumpJoyEvents();
  auto fifth = VirtualJoystick::Gamepad("fifth");
  auto sixth = VirtualJoystick::Gamepad("sixth");
  EXPECT_EQ(PumpJoyEvents(), (Lines{"JoyAdded 0 x=0 y=0", "JoyAdded 0 x=3 y=0"}));
  EXPECT_EQ(vtl::JoyName(0).ToUtf8(), "fifth");
  EXPECT_EQ(vtl::JoyName(3).ToUtf8(), "sixth");

  // Input reaches the device on its own port only.
  fourth.Button(2, true);
  EXPECT_EQ(PumpJoyEvents(), Lines{"JoyButtonDown 2 x=1 y=0"});
  EXPECT_EQ(vtl::JoyButtonIsDown(0, 2) + vtl::JoyButtonIsDown(2, 2) + vtl::JoyButtonIsDown(3, 2), 0);
}

TEST(JoystickPorts, SixteenDevicesAtOnce) {
  START_OR_SKIP();
  std::vector<VirtualJoystick> devices;
  for (int i = 0; i < 16; ++i) {
    devices.push_back(i % 2 ? VirtualJoystick::Raw(3, 16, 1) : VirtualJoystick::Gamepad());
  }
  EXPECT_EQ(PumpJoyEvents().size(), 16u);
  EXPECT_EQ(vtl::JoyCount(), 16);
  for (int i = 0; i < 16; ++i) devices[static_cast<size_t>(i)].Button(i % 15, true);
  EXPECT_EQ(PumpJoyEvents().size(), 16u);
  for (int32_t port = 0; port < 16; ++port) {
    EXPECT_EQ(vtl::JoyIsGamepad(port), port % 2 ? 0 : 1);
    EXPECT_EQ(JoyPortText(port), "count=16 down=" + std::to_string(port % 15) + " axes= hats=");
  }
  for (int i = 15; i >= 0; --i) devices[static_cast<size_t>(i)].Detach();
  Lines events = PumpJoyEvents();
  EXPECT_EQ(events.size(), 32u);
  EXPECT_EQ(events.back(), "JoyRemoved 0 x=0 y=0");
  EXPECT_EQ(vtl::JoyCount(), 0);
}

}  // namespace
