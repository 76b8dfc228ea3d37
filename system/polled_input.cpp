#include "system/polled_input.h"

#include <array>

#include "system/event.h"
#include "system/hooks.h"
#include "system/internal/joystick.h"
#include "system/system_driver.h"

namespace vtl {

namespace {

constexpr int32_t kKeys = 256;
constexpr int32_t kCharRing = 256;
constexpr int32_t kButtons = 4;

struct InputState {
  std::array<int32_t, kKeys> keyStates{};
  std::array<int32_t, kKeys> keyHitCounts{};
  std::array<int32_t, kCharRing> typedChars{};
  int32_t charPut = 0;
  int32_t charGet = 0;
  std::array<int32_t, kButtons> buttonStates{};
  std::array<int32_t, kButtons> buttonHitCounts{};
  std::array<int32_t, 4> pointerState{};  // x, y, wheel position, unused
  int32_t appSuspended = 0;
  int32_t terminateRequested = 0;
  Ref<Object> inputSource;
  bool enabled = false;
};

InputState& Input() {
  static auto* state = new InputState();  // lives until the process ends
  return *state;
}

bool ValidKey(int32_t key) { return key >= 0 && key < kKeys; }
bool ValidButton(int32_t button) { return button >= 0 && button < kButtons; }

void ClearKeys(InputState& in) {
  ForgetJoyButtonHits();
  in.charPut = in.charGet = 0;
  in.keyStates.fill(0);
  in.keyHitCounts.fill(0);
}

void ClearPointer(InputState& in) {
  in.buttonStates.fill(0);
  in.buttonHitCounts.fill(0);
  in.pointerState[2] = 0;
}

void Press(std::array<int32_t, kKeys>& states, std::array<int32_t, kKeys>& hits, int32_t code) {
  if (states[static_cast<size_t>(code)] == 0) {
    states[static_cast<size_t>(code)] = 1;
    ++hits[static_cast<size_t>(code)];
  }
}

void Record(InputState& in, const TEvent& event) {
  switch (event.id) {
    case EVENT_KEYDOWN:
      if (ValidKey(event.data)) Press(in.keyStates, in.keyHitCounts, event.data);
      break;
    case EVENT_KEYUP:
      if (ValidKey(event.data)) in.keyStates[static_cast<size_t>(event.data)] = 0;
      break;
    case EVENT_KEYCHAR:
      if (in.charPut - in.charGet < kCharRing) {
        in.typedChars[static_cast<size_t>(in.charPut & (kCharRing - 1))] = event.data;
        ++in.charPut;
      }
      break;
    case EVENT_MOUSEDOWN:
      if (ValidButton(event.data) && in.buttonStates[static_cast<size_t>(event.data)] == 0) {
        in.buttonStates[static_cast<size_t>(event.data)] = 1;
        ++in.buttonHitCounts[static_cast<size_t>(event.data)];
      }
      break;
    case EVENT_MOUSEUP:
      if (ValidButton(event.data)) in.buttonStates[static_cast<size_t>(event.data)] = 0;
      break;
    case EVENT_MOUSEMOVE:
      in.pointerState[0] = event.x;
      in.pointerState[1] = event.y;
      break;
    case EVENT_MOUSEWHEEL: in.pointerState[2] += event.data; break;
    case EVENT_APPSUSPEND:
    case EVENT_APPRESUME:
      // Already inside the pump, so the flushes only clear.
      ClearKeys(in);
      ClearPointer(in);
      in.appSuspended = event.id == EVENT_APPSUSPEND ? 1 : 0;
      break;
    case EVENT_APPTERMINATE: in.terminateRequested = 1; break;
    default: break;
  }
}

Ref<Object> InputHook(int32_t, const Ref<Object>& data, const Ref<Object>&) {
  auto event = DowncastObject<TEvent>(data);
  if (!event) return data;
  InputState& in = Input();
  if (in.inputSource && !(event->source == in.inputSource)) return data;
  Record(in, *event);
  return data;
}

template <size_t N>
int32_t TakeCount(std::array<int32_t, N>& counts, int32_t index) {
  int32_t n = counts[static_cast<size_t>(index)];
  counts[static_cast<size_t>(index)] = 0;
  return n;
}

}  // namespace

void StartPolledInput(const Ref<Object>& source) {
  InputState& in = Input();
  if (in.enabled) return;
  in.inputSource = source;
  FlushInput();
  FlushPointer();
  InstallHook(EventHookId, &InputHook, nullptr, 0);
  in.enabled = true;
}

void StopPolledInput() {
  InputState& in = Input();
  if (!in.enabled) return;
  UninstallHook(EventHookId, &InputHook, nullptr);
  FlushInput();
  FlushPointer();
  in.inputSource = nullptr;
  in.enabled = false;
}

int32_t TakeKeyHits(int32_t key) {
  PumpSystemEvents();
  return ValidKey(key) ? TakeCount(Input().keyHitCounts, key) : 0;
}

int32_t KeyIsDown(int32_t key) {
  PumpSystemEvents();
  return ValidKey(key) ? Input().keyStates[static_cast<size_t>(key)] : 0;
}

int32_t TakeTypedChar() {
  PumpSystemEvents();
  InputState& in = Input();
  if (in.charPut == in.charGet) return 0;
  return in.typedChars[static_cast<size_t>(in.charGet++ & (kCharRing - 1))];
}

int32_t TakeTerminateRequest() {
  PumpSystemEvents();
  int32_t requested = Input().terminateRequested;
  Input().terminateRequested = 0;
  return requested;
}

int32_t IsAppSuspended() {
  PumpSystemEvents();
  return Input().appSuspended;
}

int32_t PointerX() {
  PumpSystemEvents();
  return Input().pointerState[0];
}

int32_t PointerY() {
  PumpSystemEvents();
  return Input().pointerState[1];
}

int32_t WheelPosition() {
  PumpSystemEvents();
  return Input().pointerState[2];
}

int32_t TakeButtonHits(int32_t button) {
  PumpSystemEvents();
  return ValidButton(button) ? TakeCount(Input().buttonHitCounts, button) : 0;
}

int32_t ButtonIsDown(int32_t button) {
  PumpSystemEvents();
  return ValidButton(button) ? Input().buttonStates[static_cast<size_t>(button)] : 0;
}

void FlushInput() {
  PumpSystemEvents();
  ClearKeys(Input());
}

void FlushPointer() {
  PumpSystemEvents();
  ClearPointer(Input());
}

int32_t WaitAnyKey() {
  if (SystemPumpBusy()) return 0;  // from inside a pump nothing new could arrive
  FlushInput();
  for (;;) {
    AwaitSystemEvents();
    for (int32_t key = 1; key < kKeys; ++key) {
      if (TakeKeyHits(key)) return key;
    }
  }
}

int32_t WaitTypedChar() {
  if (SystemPumpBusy()) return 0;  // from inside a pump nothing new could arrive
  FlushInput();
  for (;;) {
    AwaitSystemEvents();
    if (int32_t c = TakeTypedChar()) return c;
  }
}

int32_t WaitAnyButton() {
  if (SystemPumpBusy()) return 0;  // from inside a pump nothing new could arrive
  FlushPointer();
  for (;;) {
    AwaitSystemEvents();
    for (int32_t button = 1; button < kButtons; ++button) {
      if (TakeButtonHits(button)) return button;
    }
  }
}

void InitPolledInput() { Input(); }

}  // namespace vtl
