// Pointer tracking, buttons and the wheel, over a window of SDL's display-less
// video driver.
#include <gtest/gtest.h>

#include "runtime/runtime.h"
#include "system/internal/desktop_seam.h"
#include "tests/system/system_test_support.h"

namespace {

using Summary = std::vector<std::string>;

class Pointer : public ::testing::Test {
 protected:
  void SetUp() override {
    // Synthetic events only: a real pointer on a display would interfere.
    ASSERT_TRUE(systest::StartVideoDriver("dummy")) << SDL_GetError();
    window_ = SDL_CreateWindow("pointer", 0, 0, 100, 80, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window_, nullptr) << SDL_GetError();
    id_ = SDL_GetWindowID(window_);
    systest::ResetInput();
  }
  void TearDown() override {
    vtl::ShowPointer();
    vtl::UnregisterDesktopWindow(id_);
    if (window_) SDL_DestroyWindow(window_);
    systest::ResetInput();
  }

  std::vector<std::string> MouseSummary() {
    std::vector<std::string> out;
    for (const auto& e : systest::Recorded()) {
      std::string text = e->ToString().ToUtf8();
      out.push_back(text.substr(0, text.find(':')) + ":" + std::to_string(e->data) + "@" + std::to_string(e->x) + "," +
                    std::to_string(e->y));
    }
    return out;
  }

  SDL_Window* window_ = nullptr;
  uint32_t id_ = 0;
};

TEST_F(Pointer, EnterBeforeMoveAndLeaveBeforeMove) {
  systest::PushMotion(id_, 10, 20);
  systest::PushMotion(id_, 30, 40, SDL_BUTTON_LMASK);
  systest::PushMotion(id_, -5, 40, SDL_BUTTON_LMASK);  // captured, outside
  systest::PushMotion(id_, 99, 79);
  systest::PushWindowEvent(SDL_WINDOWEVENT_LEAVE, id_);
  systest::PushWindowEvent(SDL_WINDOWEVENT_LEAVE, id_);  // not tracked any more: nothing
  vtl::PumpSystemEvents();
  EXPECT_EQ(MouseSummary(),
            (Summary{"MouseEnter:0@10,20", "MouseMove:0@10,20", "MouseMove:1@30,40", "MouseLeave:0@-5,40",
                     "MouseMove:1@-5,40", "MouseEnter:0@99,79", "MouseMove:0@99,79", "MouseLeave:0@0,0"}));
  EXPECT_EQ(vtl::PointerX(), 99);
  EXPECT_EQ(vtl::PointerY(), 79);
}

TEST_F(Pointer, HeldButtonValuesAndButtonNumbers) {
  systest::PushMotion(id_, 1, 1, SDL_BUTTON_MMASK);
  systest::PushMotion(id_, 2, 2, SDL_BUTTON_MMASK | SDL_BUTTON_RMASK);
  systest::PushMotion(id_, 3, 3, SDL_BUTTON_LMASK | SDL_BUTTON_MMASK);
  systest::PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, id_, 4, 5);
  systest::PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, id_, 4, 5);
  systest::PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, id_, 6, 7);
  systest::PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, id_, 6, 7);  // no number: nothing
  vtl::PumpSystemEvents();
  EXPECT_EQ(MouseSummary(), (Summary{"MouseEnter:0@1,1", "MouseMove:4@1,1", "MouseMove:2@2,2", "MouseMove:4@3,3",
                                     "MouseDown:3@4,5", "MouseDown:2@4,5", "MouseUp:2@6,7"}));
  EXPECT_EQ(vtl::ButtonIsDown(3), 1);
  EXPECT_EQ(vtl::ButtonIsDown(2), 0);
  EXPECT_EQ(vtl::TakeButtonHits(2), 1);
  EXPECT_EQ(vtl::TakeButtonHits(2), 0);
}

TEST_F(Pointer, WheelStepsAndFlushKeepsPosition) {
  systest::PushMotion(id_, 12, 13);
  for (int i = 0; i < 3; ++i) systest::PushWheel(id_, 1, false, 12, 13);
  EXPECT_EQ(vtl::WheelPosition(), 3);
  for (int i = 0; i < 3; ++i) systest::PushWheel(id_, -1, false, 12, 13);
  systest::PushWheel(id_, 2, true, 12, 13);  // reversed scrolling reports the physical direction
  EXPECT_EQ(vtl::WheelPosition(), -2);
  systest::PushWheel(id_, 0, false, 12, 13);
  vtl::PumpSystemEvents();
  EXPECT_EQ(systest::Recorded().back()->data, 0);
  EXPECT_EQ(systest::Recorded().back()->x, 12);
  // Scrolling sideways is no wheel event at all.
  size_t before = systest::Recorded().size();
  SDL_Event sideways{};
  sideways.type = SDL_MOUSEWHEEL;
  sideways.wheel.windowID = id_;
  sideways.wheel.x = 1;
  sideways.wheel.preciseX = 1.0f;
  SDL_PushEvent(&sideways);
  EXPECT_EQ(vtl::WheelPosition(), -2);
  EXPECT_EQ(systest::Recorded().size(), before);
  vtl::FlushPointer();
  EXPECT_EQ(vtl::WheelPosition(), 0);
  EXPECT_EQ(vtl::PointerX(), 12);
  EXPECT_EQ(vtl::PointerY(), 13);
}

TEST_F(Pointer, HiddenOnlyWhileOverTheWindow) {
  vtl::HidePointer();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);  // not over a window yet
  systest::PushMotion(id_, 5, 5);
  vtl::PumpSystemEvents();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  systest::PushMotion(id_, 500, 5);
  vtl::PumpSystemEvents();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  systest::PushMotion(id_, 6, 5);
  vtl::PumpSystemEvents();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  vtl::ShowPointer();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(Pointer, WindowProceduresGetTheirWindowsEvents) {
  static vtl::Ref<vtl::Object> source;
  static int calls = 0;
  source = vtl::New<vtl::Object>();
  calls = 0;
  auto proc = [](const SDL_Event& event, void* context) {
    ++calls;
    EXPECT_EQ(context, reinterpret_cast<void*>(7));
    vtl::TranslateDesktopMessage(event, source);
  };
  vtl::RegisterDesktopWindow(id_, proc, reinterpret_cast<void*>(7));
  systest::PushMotion(id_, 5, 5);
  systest::PushKey(SDL_KEYDOWN, SDL_SCANCODE_E, SDLK_e, 0, 0, id_);
  systest::PushKey(SDL_KEYDOWN, SDL_SCANCODE_F, SDLK_f, 0, 0, id_ + 1000);  // another window: Null source
  vtl::PumpSystemEvents();
  EXPECT_EQ(calls, 2);
  ASSERT_EQ(systest::Recorded().size(), 4u);
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(systest::Recorded()[i]->source == source);
  EXPECT_TRUE(systest::Recorded()[3]->source == nullptr);
  // A window going away takes its tracking along; the held source is let go.
  vtl::UnregisterDesktopWindow(id_);
  systest::PushMotion(id_, 6, 6);
  vtl::PumpSystemEvents();
  EXPECT_EQ(systest::Recorded()[4]->id, vtl::EVENT_MOUSEENTER);
  EXPECT_TRUE(systest::Recorded()[4]->source == nullptr);
  source = nullptr;
}

}  // namespace
