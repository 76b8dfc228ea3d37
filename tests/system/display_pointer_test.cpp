// A real window on an X display, entered and left by the pointer as xdotool
// moves it: the leave event reports where the pointer really went.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "runtime/runtime.h"
#include "tests/system/system_test_support.h"

namespace {

class DisplayPointer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(systest::StartVideoDriver("x11")) << SDL_GetError();
    window_ = SDL_CreateWindow("pointer", 32, 32, 400, 300, SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS);
    ASSERT_NE(window_, nullptr) << SDL_GetError();
    for (int i = 0; i < 100 && !(SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN); ++i) {
      vtl::PumpSystemEvents();
      SDL_Delay(20);
    }
    systest::XdotoolWhilePumping("mousemove 0 0");
    systest::ResetInput();
  }
  void TearDown() override {
    if (window_) SDL_DestroyWindow(window_);
    systest::ResetInput();
  }

  // Pointer events only, as "MouseMove@x,y".
  static std::vector<std::string> PointerSummary() {
    std::vector<std::string> out;
    for (const auto& e : systest::Recorded()) {
      std::string name = e->ToString().ToUtf8();
      name = name.substr(0, name.find(':'));
      if (name.rfind("Mouse", 0) == 0) out.push_back(name + "@" + std::to_string(e->x) + "," + std::to_string(e->y));
    }
    return out;
  }

  // xdotool's "mousemove" to client position (x, y) of the window.
  std::string MoveInside(int x, int y) const {
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(window_, &wx, &wy);
    return "mousemove " + std::to_string(wx + x) + " " + std::to_string(wy + y);
  }
  // A "MouseLeave" at screen position (x, y), in client coordinates.
  std::string LeaveAt(int x, int y) const {
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(window_, &wx, &wy);
    return "MouseLeave@" + std::to_string(x - wx) + "," + std::to_string(y - wy);
  }

  SDL_Window* window_ = nullptr;
};

TEST_F(DisplayPointer, LeavingReportsTheFarAwayClientPosition) {
  ASSERT_EQ(systest::XdotoolWhilePumping(MoveInside(150, 100)), 0);
  systest::ClearRecorded();
  ASSERT_EQ(systest::XdotoolWhilePumping("mousemove 1000 900"), 0);

  EXPECT_EQ(PointerSummary(), std::vector<std::string>{LeaveAt(1000, 900)});
  // No made-up move to the window's edge on the way out.
  EXPECT_EQ(vtl::PointerX(), 150);
  EXPECT_EQ(vtl::PointerY(), 100);
}

TEST_F(DisplayPointer, LeavingReportsWhereThePointerWentWhateverItDidBefore) {
  // The pointer comes to rest far outside by leaving the window once...
  ASSERT_EQ(systest::XdotoolWhilePumping(MoveInside(150, 100)), 0);
  systest::ClearRecorded();
  ASSERT_EQ(systest::XdotoolWhilePumping("mousemove 1100 900"), 0);
  EXPECT_EQ(PointerSummary(), std::vector<std::string>{LeaveAt(1100, 900)});
  // ...comes back in with a key held, goes about inside, and leaves for
  // another place outside.
  systest::ClearRecorded();
  ASSERT_EQ(systest::XdotoolWhilePumping("keydown shift " + MoveInside(100, 50)), 0);
  EXPECT_EQ(PointerSummary(), (std::vector<std::string>{"MouseEnter@100,50", "MouseMove@100,50"}));
  ASSERT_EQ(systest::XdotoolWhilePumping("keyup shift " + MoveInside(150, 60)), 0);
  systest::ClearRecorded();
  ASSERT_EQ(systest::XdotoolWhilePumping("mousemove 1000 900"), 0);

  EXPECT_EQ(PointerSummary(), std::vector<std::string>{LeaveAt(1000, 900)});
}

}  // namespace
