// Synthetic SDL events through the real pump: what the translation emits and
// what polled input makes of it.
#include <gtest/gtest.h>

#include <thread>

#include "runtime/runtime.h"
#include "system/internal/key_codes.h"
#include "system/system.h"
#include "tests/system/system_test_support.h"

namespace {

using systest::PushKey;
using systest::PushText;
using systest::RecordedSummary;
using Summary = std::vector<std::string>;

TEST(KeyCodes, TableCoversTheKeyboard) {
  auto code = [](SDL_Scancode s, SDL_Keycode sym = 0, bool numLock = true) {
    return vtl::KeyCodeFromSDL(s, sym, numLock);
  };
  EXPECT_EQ(code(SDL_SCANCODE_A, SDLK_a), 65);
  EXPECT_EQ(code(SDL_SCANCODE_Q, SDLK_a), 65);  // letters follow the layout
  EXPECT_EQ(code(SDL_SCANCODE_Z), 90);
  EXPECT_EQ(code(SDL_SCANCODE_0), 48);
  EXPECT_EQ(code(SDL_SCANCODE_9), 57);
  EXPECT_EQ(code(SDL_SCANCODE_F1), 112);
  EXPECT_EQ(code(SDL_SCANCODE_F12), 123);
  EXPECT_EQ(code(SDL_SCANCODE_F13), 124);
  EXPECT_EQ(code(SDL_SCANCODE_F24), 135);
  EXPECT_EQ(code(SDL_SCANCODE_LEFT), 37);
  EXPECT_EQ(code(SDL_SCANCODE_UP), 38);
  EXPECT_EQ(code(SDL_SCANCODE_RIGHT), 39);
  EXPECT_EQ(code(SDL_SCANCODE_DOWN), 40);
  EXPECT_EQ(code(SDL_SCANCODE_HOME), 36);
  EXPECT_EQ(code(SDL_SCANCODE_END), 35);
  EXPECT_EQ(code(SDL_SCANCODE_PAGEUP), 33);
  EXPECT_EQ(code(SDL_SCANCODE_PAGEDOWN), 34);
  EXPECT_EQ(code(SDL_SCANCODE_INSERT), 45);
  EXPECT_EQ(code(SDL_SCANCODE_DELETE), 46);
  EXPECT_EQ(code(SDL_SCANCODE_PAUSE), 19);
  EXPECT_EQ(code(SDL_SCANCODE_PRINTSCREEN), 44);
  EXPECT_EQ(code(SDL_SCANCODE_CAPSLOCK), 20);
  EXPECT_EQ(code(SDL_SCANCODE_NUMLOCKCLEAR), 144);
  EXPECT_EQ(code(SDL_SCANCODE_SCROLLLOCK), 145);
  EXPECT_EQ(code(SDL_SCANCODE_KP_0), 96);
  EXPECT_EQ(code(SDL_SCANCODE_KP_9), 105);
  EXPECT_EQ(code(SDL_SCANCODE_KP_7, 0, false), 36);  // Num Lock off: Home
  EXPECT_EQ(code(SDL_SCANCODE_KP_MULTIPLY), 106);
  EXPECT_EQ(code(SDL_SCANCODE_KP_PLUS), 107);
  EXPECT_EQ(code(SDL_SCANCODE_KP_MINUS), 109);
  EXPECT_EQ(code(SDL_SCANCODE_KP_PERIOD), 110);
  EXPECT_EQ(code(SDL_SCANCODE_KP_DIVIDE), 111);
  EXPECT_EQ(code(SDL_SCANCODE_KP_ENTER), 13);
  EXPECT_EQ(code(SDL_SCANCODE_RETURN), 13);
  EXPECT_EQ(code(SDL_SCANCODE_ESCAPE), 27);
  EXPECT_EQ(code(SDL_SCANCODE_BACKSPACE), 8);
  EXPECT_EQ(code(SDL_SCANCODE_TAB), 9);
  EXPECT_EQ(code(SDL_SCANCODE_SPACE), 32);
  EXPECT_EQ(code(SDL_SCANCODE_SEMICOLON), 186);
  EXPECT_EQ(code(SDL_SCANCODE_EQUALS), 187);
  EXPECT_EQ(code(SDL_SCANCODE_COMMA), 188);
  EXPECT_EQ(code(SDL_SCANCODE_MINUS), 189);
  EXPECT_EQ(code(SDL_SCANCODE_PERIOD), 190);
  EXPECT_EQ(code(SDL_SCANCODE_SLASH), 191);
  EXPECT_EQ(code(SDL_SCANCODE_GRAVE), 192);
  EXPECT_EQ(code(SDL_SCANCODE_LEFTBRACKET), 219);
  EXPECT_EQ(code(SDL_SCANCODE_BACKSLASH), 220);
  EXPECT_EQ(code(SDL_SCANCODE_RIGHTBRACKET), 221);
  EXPECT_EQ(code(SDL_SCANCODE_APOSTROPHE), 222);
  EXPECT_EQ(code(SDL_SCANCODE_LGUI), 91);
  EXPECT_EQ(code(SDL_SCANCODE_RGUI), 92);
  EXPECT_EQ(code(SDL_SCANCODE_APPLICATION), 93);
  EXPECT_EQ(code(SDL_SCANCODE_LSHIFT), 160);
  EXPECT_EQ(code(SDL_SCANCODE_RSHIFT), 161);
  EXPECT_EQ(code(SDL_SCANCODE_LCTRL), 162);
  EXPECT_EQ(code(SDL_SCANCODE_RCTRL), 163);
  EXPECT_EQ(code(SDL_SCANCODE_LALT), 164);
  EXPECT_EQ(code(SDL_SCANCODE_RALT), 165);
  EXPECT_EQ(code(SDL_SCANCODE_UNKNOWN), 0);
  // Nothing ever maps to the side-less 16, 17, 18, or outside 0 to 255.
  for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
    for (bool numLock : {false, true}) {
      int32_t c = code(static_cast<SDL_Scancode>(s), 0, numLock);
      EXPECT_TRUE(c >= 0 && c <= 255 && c != 16 && c != 17 && c != 18) << "scancode " << s;
    }
  }
}

// The names a program writes are the codes the desktop reports.
TEST(KeyCodes, NamesMatchWhatTheDesktopReports) {
  auto code = [](SDL_Scancode s, SDL_Keycode sym = 0, bool numLock = true) {
    return vtl::KeyCodeFromSDL(s, sym, numLock);
  };
  for (int i = 0; i < 26; ++i) {
    EXPECT_EQ(code(static_cast<SDL_Scancode>(SDL_SCANCODE_A + i), SDLK_a + i), vtl::KEY_A + i);
  }
  EXPECT_EQ(vtl::KEY_Z, vtl::KEY_A + 25);
  EXPECT_EQ(code(SDL_SCANCODE_0), vtl::KEY_0);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(code(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i)), vtl::KEY_1 + i);
  EXPECT_EQ(vtl::KEY_9, vtl::KEY_0 + 9);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(code(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i)), vtl::KEY_F1 + i);
  EXPECT_EQ(vtl::KEY_F12, vtl::KEY_F1 + 11);
  EXPECT_EQ(code(SDL_SCANCODE_F24), vtl::KEY_F24);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(code(static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + i)), vtl::KEY_NUM1 + i);
  EXPECT_EQ(code(SDL_SCANCODE_KP_0), vtl::KEY_NUM0);
  EXPECT_EQ(vtl::KEY_NUM9, vtl::KEY_NUM0 + 9);
  const std::pair<SDL_Scancode, int32_t> named[] = {{SDL_SCANCODE_BACKSPACE, vtl::KEY_BACKSPACE},
                                                    {SDL_SCANCODE_TAB, vtl::KEY_TAB},
                                                    {SDL_SCANCODE_CLEAR, vtl::KEY_CLEAR},
                                                    {SDL_SCANCODE_RETURN, vtl::KEY_ENTER},
                                                    {SDL_SCANCODE_KP_ENTER, vtl::KEY_ENTER},
                                                    {SDL_SCANCODE_PAUSE, vtl::KEY_PAUSE},
                                                    {SDL_SCANCODE_CAPSLOCK, vtl::KEY_CAPSLOCK},
                                                    {SDL_SCANCODE_ESCAPE, vtl::KEY_ESCAPE},
                                                    {SDL_SCANCODE_SPACE, vtl::KEY_SPACE},
                                                    {SDL_SCANCODE_PAGEUP, vtl::KEY_PAGEUP},
                                                    {SDL_SCANCODE_PAGEDOWN, vtl::KEY_PAGEDOWN},
                                                    {SDL_SCANCODE_END, vtl::KEY_END},
                                                    {SDL_SCANCODE_HOME, vtl::KEY_HOME},
                                                    {SDL_SCANCODE_LEFT, vtl::KEY_LEFT},
                                                    {SDL_SCANCODE_UP, vtl::KEY_UP},
                                                    {SDL_SCANCODE_RIGHT, vtl::KEY_RIGHT},
                                                    {SDL_SCANCODE_DOWN, vtl::KEY_DOWN},
                                                    {SDL_SCANCODE_SELECT, vtl::KEY_SELECT},
                                                    {SDL_SCANCODE_EXECUTE, vtl::KEY_EXECUTE},
                                                    {SDL_SCANCODE_PRINTSCREEN, vtl::KEY_PRINTSCREEN},
                                                    {SDL_SCANCODE_INSERT, vtl::KEY_INSERT},
                                                    {SDL_SCANCODE_DELETE, vtl::KEY_DELETE},
                                                    {SDL_SCANCODE_HELP, vtl::KEY_HELP},
                                                    {SDL_SCANCODE_LGUI, vtl::KEY_LSYS},
                                                    {SDL_SCANCODE_RGUI, vtl::KEY_RSYS},
                                                    {SDL_SCANCODE_APPLICATION, vtl::KEY_APPS},
                                                    {SDL_SCANCODE_SLEEP, vtl::KEY_SLEEP},
                                                    {SDL_SCANCODE_KP_MULTIPLY, vtl::KEY_NUMMULTIPLY},
                                                    {SDL_SCANCODE_KP_PLUS, vtl::KEY_NUMADD},
                                                    {SDL_SCANCODE_KP_COMMA, vtl::KEY_NUMSEPARATOR},
                                                    {SDL_SCANCODE_KP_MINUS, vtl::KEY_NUMSUBTRACT},
                                                    {SDL_SCANCODE_KP_PERIOD, vtl::KEY_NUMDECIMAL},
                                                    {SDL_SCANCODE_KP_DIVIDE, vtl::KEY_NUMDIVIDE},
                                                    {SDL_SCANCODE_NUMLOCKCLEAR, vtl::KEY_NUMLOCK},
                                                    {SDL_SCANCODE_SCROLLLOCK, vtl::KEY_SCROLLLOCK},
                                                    {SDL_SCANCODE_LSHIFT, vtl::KEY_LSHIFT},
                                                    {SDL_SCANCODE_RSHIFT, vtl::KEY_RSHIFT},
                                                    {SDL_SCANCODE_LCTRL, vtl::KEY_LCONTROL},
                                                    {SDL_SCANCODE_RCTRL, vtl::KEY_RCONTROL},
                                                    {SDL_SCANCODE_LALT, vtl::KEY_LALT},
                                                    {SDL_SCANCODE_RALT, vtl::KEY_RALT},
                                                    {SDL_SCANCODE_AC_BACK, vtl::KEY_BROWSER_BACK},
                                                    {SDL_SCANCODE_AC_HOME, vtl::KEY_BROWSER_HOME},
                                                    {SDL_SCANCODE_MUTE, vtl::KEY_VOLUME_MUTE},
                                                    {SDL_SCANCODE_VOLUMEUP, vtl::KEY_VOLUME_UP},
                                                    {SDL_SCANCODE_AUDIOPLAY, vtl::KEY_MEDIA_PLAY},
                                                    {SDL_SCANCODE_CALCULATOR, vtl::KEY_LAUNCH_APP2},
                                                    {SDL_SCANCODE_SEMICOLON, vtl::KEY_SEMICOLON},
                                                    {SDL_SCANCODE_EQUALS, vtl::KEY_EQUALS},
                                                    {SDL_SCANCODE_COMMA, vtl::KEY_COMMA},
                                                    {SDL_SCANCODE_MINUS, vtl::KEY_MINUS},
                                                    {SDL_SCANCODE_PERIOD, vtl::KEY_PERIOD},
                                                    {SDL_SCANCODE_SLASH, vtl::KEY_SLASH},
                                                    {SDL_SCANCODE_GRAVE, vtl::KEY_TILDE},
                                                    {SDL_SCANCODE_LEFTBRACKET, vtl::KEY_OPENBRACKET},
                                                    {SDL_SCANCODE_BACKSLASH, vtl::KEY_BACKSLASH},
                                                    {SDL_SCANCODE_RIGHTBRACKET, vtl::KEY_CLOSEBRACKET},
                                                    {SDL_SCANCODE_APOSTROPHE, vtl::KEY_QUOTES},
                                                    {SDL_SCANCODE_NONUSBACKSLASH, vtl::KEY_BACKSLASH2}};
  for (const auto& [scancode, key] : named) EXPECT_EQ(code(scancode), key) << SDL_GetScancodeName(scancode);
  // With Num Lock off the keypad gives the navigation keys.
  EXPECT_EQ(code(SDL_SCANCODE_KP_4, 0, false), vtl::KEY_LEFT);
  EXPECT_EQ(code(SDL_SCANCODE_KP_PERIOD, 0, false), vtl::KEY_DELETE);
}

TEST(Input, ModifiersPerSideAreRecomputedBeforeTheirEvent) {
  systest::ResetInput();
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT);
  PushKey(SDL_KEYUP, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 0);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_RCTRL);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_RALT, SDLK_RALT, KMOD_RCTRL | KMOD_RALT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LGUI, SDLK_LGUI, KMOD_RCTRL | KMOD_RALT | KMOD_LGUI);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b, KMOD_RCTRL | KMOD_RALT | KMOD_LGUI);
  PushKey(SDL_KEYUP, SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_RALT | KMOD_LGUI);
  PushKey(SDL_KEYUP, SDL_SCANCODE_RALT, SDLK_RALT, KMOD_LGUI);
  PushKey(SDL_KEYUP, SDL_SCANCODE_LGUI, SDLK_LGUI, 0);
  vtl::PumpSystemEvents();
  EXPECT_EQ(RecordedSummary(),
            (Summary{"KeyDown:160:1", "KeyUp:160:0", "KeyDown:163:2", "KeyDown:165:6", "KeyDown:91:14", "KeyDown:66:14",
                     "KeyUp:163:12", "KeyUp:165:8", "KeyUp:91:0"}));
  EXPECT_EQ(vtl::TakeKeyHits(160), 1);
  EXPECT_EQ(vtl::TakeKeyHits(16), 0);
  EXPECT_EQ(vtl::KeyIsDown(66), 1);
  EXPECT_EQ(vtl::KeyIsDown(163), 0);
}

TEST(Input, KeyDownComesBeforeItsCharacters) {
  systest::ResetInput();
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_LSHIFT);
  PushText("A");
  PushKey(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a, KMOD_LSHIFT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_TAB, SDLK_TAB);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
  PushText("\xc3\xb6");  // one character in two bytes
  vtl::PumpSystemEvents();
  EXPECT_EQ(RecordedSummary(), (Summary{"KeyDown:65:0", "KeyChar:65:0", "KeyUp:65:0", "KeyDown:13:0", "KeyChar:13:0",
                                        "KeyDown:13:0", "KeyChar:13:0", "KeyDown:8:0", "KeyChar:8:0", "KeyDown:9:0",
                                        "KeyChar:9:0", "KeyDown:27:0", "KeyChar:27:0", "KeyChar:246:0"}));
  EXPECT_EQ(vtl::TakeTypedChar(), 'A');
  EXPECT_EQ(vtl::TakeTypedChar(), 13);
  EXPECT_EQ(vtl::TakeTypedChar(), 13);
  EXPECT_EQ(vtl::TakeTypedChar(), 8);
  EXPECT_EQ(vtl::TakeTypedChar(), 9);
  EXPECT_EQ(vtl::TakeTypedChar(), 27);
  EXPECT_EQ(vtl::TakeTypedChar(), 246);
  EXPECT_EQ(vtl::TakeTypedChar(), 0);
  // Enter went down twice without a release in between: one hit.
  EXPECT_EQ(vtl::TakeKeyHits(13), 1);
}

TEST(Input, HitsCountPressesAndRepeatsAddNone) {
  systest::ResetInput();
  for (int i = 0; i < 3; ++i) {
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN);
    PushKey(SDL_KEYUP, SDL_SCANCODE_RETURN, SDLK_RETURN);
  }
  EXPECT_EQ(vtl::TakeKeyHits(13), 3);
  EXPECT_EQ(vtl::TakeKeyHits(13), 0);
  vtl::FlushInput();  // drop the three typed Enters

  PushKey(SDL_KEYDOWN, SDL_SCANCODE_X, SDLK_x);
  PushText("x");
  for (int i = 0; i < 4; ++i) {
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_X, SDLK_x, 0, 1);
    PushText("x");
  }
  EXPECT_EQ(vtl::TakeKeyHits(88), 1);
  EXPECT_EQ(vtl::KeyIsDown(88), 1);
  int repeats = 0;
  for (const auto& e : systest::Recorded()) repeats += e->id == vtl::EVENT_KEYREPEAT;
  EXPECT_EQ(repeats, 4);
  int typed = 0;
  while (vtl::TakeTypedChar() == 'x') ++typed;
  EXPECT_EQ(typed, 5);
  PushKey(SDL_KEYUP, SDL_SCANCODE_X, SDLK_x);
  EXPECT_EQ(vtl::KeyIsDown(88), 0);
  // Outside the key range there is no state.
  EXPECT_EQ(vtl::TakeKeyHits(-1), 0);
  EXPECT_EQ(vtl::KeyIsDown(256), 0);
  EXPECT_EQ(vtl::TakeButtonHits(4), 0);
}

TEST(Input, FocusChangesForgetHeldKeys) {
  systest::ResetInput();
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_W, SDLK_w);
  PushText("w");
  EXPECT_EQ(vtl::KeyIsDown(87), 1);
  systest::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  EXPECT_EQ(vtl::KeyIsDown(87), 0);
  EXPECT_EQ(vtl::IsAppSuspended(), 1);
  EXPECT_EQ(vtl::TakeKeyHits(87), 0);
  EXPECT_EQ(vtl::TakeTypedChar(), 0);
  systest::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  EXPECT_EQ(vtl::IsAppSuspended(), 0);
  EXPECT_EQ(RecordedSummary(), (Summary{"KeyDown:87:0", "KeyChar:119:0", "AppSuspend:0:0", "AppResume:0:0"}));
}

TEST(Input, TypedRingKeepsTheFirst256) {
  systest::ResetInput();
  std::string typed;
  for (int i = 0; i < 300; ++i) typed += static_cast<char>('a' + i % 26);
  for (size_t i = 0; i < typed.size(); i += 20) systest::PushText(typed.substr(i, 20).c_str());
  for (int i = 0; i < 256; ++i) ASSERT_EQ(vtl::TakeTypedChar(), typed[static_cast<size_t>(i)]) << i;
  EXPECT_EQ(vtl::TakeTypedChar(), 0);
  systest::PushText("q");
  vtl::FlushInput();
  EXPECT_EQ(vtl::TakeTypedChar(), 0);
}

TEST(Input, CloseRequestsAndWaitAnyKeyOrder) {
  systest::ResetInput();
  systest::PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  EXPECT_EQ(vtl::TakeTerminateRequest(), 1);
  EXPECT_EQ(vtl::TakeTerminateRequest(), 0);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  EXPECT_EQ(vtl::TakeTerminateRequest(), 1);

  // Both pressed before the wait's first round: the lower code wins, the
  // other keeps its hit.
  std::thread presser([] {
    SDL_Delay(50);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
  });
  int32_t key = vtl::WaitAnyKey();
  presser.join();
  vtl::PumpSystemEvents();
  EXPECT_EQ(key, 27);
  EXPECT_EQ(vtl::TakeKeyHits(65), 1);
}

TEST(Input, NestedPumpFromAHookDoesNothing) {
  systest::ResetInput();
  static int32_t secondKeySeen = -1;
  static int32_t waited = -1;
  auto hook = [](int32_t, const vtl::Ref<vtl::Object>& data, const vtl::Ref<vtl::Object>&) -> vtl::Ref<vtl::Object> {
    auto e = vtl::DowncastObject<vtl::TEvent>(data);
    if (e && e->id == vtl::EVENT_KEYDOWN && e->data == 'J') {
      secondKeySeen = vtl::KeyIsDown('K');
      // Waiting here could never end: the waits give up at once.
      waited = vtl::WaitAnyKey() + vtl::WaitTypedChar() + vtl::WaitAnyButton();
    }
    return data;
  };
  vtl::InstallHook(vtl::EventHookId, hook, nullptr, 50);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_J, SDLK_j);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_K, SDLK_k);
  vtl::PumpSystemEvents();
  vtl::UninstallHook(vtl::EventHookId, hook, nullptr);
  EXPECT_EQ(secondKeySeen, 0);
  EXPECT_EQ(waited, 0);
  EXPECT_EQ(vtl::KeyIsDown('K'), 1);
}

TEST(MainThreadCalls, RunOnceOnTheMainThreadWhenPumped) {
  systest::ResetInput();
  static std::thread::id ranOn;
  static int runs = 0;
  static int32_t seenValue = 0;
  runs = 0;
  auto call = [](void*, int32_t value) {
    ranOn = std::this_thread::get_id();
    ++runs;
    seenValue = value;
  };
  std::thread poster([&] { vtl::PostMainThreadCall(call, nullptr, 42); });
  poster.join();
  EXPECT_EQ(runs, 0);
  vtl::PumpSystemEvents();
  vtl::PumpSystemEvents();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(seenValue, 42);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(MainThreadCalls, BackgroundWorkCompletesOnTheMainThread) {
  systest::ResetInput();
  static std::thread::id workedOn, completedOn;
  static int32_t result = 0;
  static bool objectAlive = false;
  auto object = vtl::New<vtl::Object>();
  auto work = [](void* argument) -> int32_t {
    workedOn = std::this_thread::get_id();
    return *static_cast<int32_t*>(argument) * 2;
  };
  auto done = [](void* argument, int32_t value) {
    completedOn = std::this_thread::get_id();
    objectAlive = static_cast<vtl::Object*>(argument)->RefCount() > 0;
    result = value;
  };
  int32_t input = 21;
  vtl::RunInBackground(work, &input, done, object);
  int32_t before = object->RefCount();
  for (int i = 0; i < 200 && result == 0; ++i) {
    SDL_Delay(5);
    vtl::PumpSystemEvents();
  }
  EXPECT_EQ(result, 42);
  EXPECT_TRUE(objectAlive);
  EXPECT_NE(workedOn, std::this_thread::get_id());
  EXPECT_EQ(completedOn, std::this_thread::get_id());
  EXPECT_EQ(object->RefCount(), before - 1);  // released after the completion
}

}  // namespace
