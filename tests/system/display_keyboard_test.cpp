// A real window on an X display, typed into with xdotool: what a person at
// the keyboard causes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "runtime/runtime.h"
#include "tests/system/system_test_support.h"

namespace {

using Summary = std::vector<std::string>;

class DisplayKeyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(systest::StartVideoDriver("x11")) << SDL_GetError();
    window_ = SDL_CreateWindow("keyboard", 0, 0, 200, 150, SDL_WINDOW_SHOWN);
    ASSERT_NE(window_, nullptr) << SDL_GetError();
    SDL_RaiseWindow(window_);
    // Wait for the window to be mapped, then give it the keyboard.
    for (int i = 0; i < 100 && !(SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS); ++i) {
      SDL_SetWindowInputFocus(window_);
      vtl::PumpSystemEvents();
      SDL_Delay(20);
    }
    ASSERT_TRUE(SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS);
    systest::ResetInput();
  }
  void TearDown() override {
    if (window_) SDL_DestroyWindow(window_);
    systest::ResetInput();
  }

  static void Type(const std::string& arguments) {
    ASSERT_EQ(systest::XdotoolWhilePumping(arguments), 0) << "xdotool " << arguments;
  }

  static std::vector<std::string> KeySummary() {
    std::vector<std::string> out;
    for (const std::string& s : systest::RecordedSummary()) {
      if (s.rfind("Key", 0) == 0) out.push_back(s);
    }
    return out;
  }

  SDL_Window* window_ = nullptr;
};

TEST_F(DisplayKeyboard, TypingReachesHitsCharactersAndEvents) {
  // 105 is the right control key's keycode: naming it would make xdotool
  // press the left one as well. xdotool lets go of shift before the a.
  Type("key --delay 40 shift+a Return BackSpace Control_L 105 Escape");
  EXPECT_EQ(KeySummary(),
            (Summary{"KeyDown:160:1", "KeyDown:65:1", "KeyChar:65:1", "KeyUp:160:0", "KeyUp:65:0", "KeyDown:13:0",
                     "KeyChar:13:0", "KeyUp:13:0", "KeyDown:8:0", "KeyChar:8:0", "KeyUp:8:0", "KeyDown:162:2",
                     "KeyUp:162:0", "KeyDown:163:2", "KeyUp:163:0", "KeyDown:27:0", "KeyChar:27:0", "KeyUp:27:0"}));
  for (int key : {160, 65, 13, 8, 162, 163, 27}) EXPECT_EQ(vtl::TakeKeyHits(key), 1) << key;
  for (int key : {16, 17, 18}) EXPECT_EQ(vtl::TakeKeyHits(key), 0) << key;
  EXPECT_EQ(vtl::TakeTypedChar(), 'A');
  EXPECT_EQ(vtl::TakeTypedChar(), 13);
  EXPECT_EQ(vtl::TakeTypedChar(), 8);
  EXPECT_EQ(vtl::TakeTypedChar(), 27);
  EXPECT_EQ(vtl::TakeTypedChar(), 0);
}

TEST_F(DisplayKeyboard, HeldKeysAreDownUntilReleased) {
  Type("keydown 105");
  EXPECT_EQ(vtl::KeyIsDown(163), 1);
  EXPECT_EQ(vtl::KeyIsDown(162), 0);
  Type("keydown a");
  EXPECT_EQ(vtl::KeyIsDown(65), 1);
  Type("keyup a keyup 105");
  EXPECT_EQ(vtl::KeyIsDown(65), 0);
  EXPECT_EQ(vtl::KeyIsDown(163), 0);
  EXPECT_EQ(vtl::TakeKeyHits(163), 1);
  EXPECT_EQ(vtl::TakeKeyHits(65), 1);
  EXPECT_EQ(vtl::TakeTypedChar(), 0);  // control held: no character typed
}

}  // namespace
