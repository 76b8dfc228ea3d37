// Translation of SDL events into TEvents, with pointer tracking and the
// pointer-visibility rule.
#include <SDL2/SDL.h>

#include "system/event.h"
#include "system/internal/desktop.h"
#include "system/internal/desktop_seam.h"
#include "system/internal/key_codes.h"
#include "system/sdl_system_driver.h"

namespace vtl {

int32_t ModifierState = 0;

namespace {

int32_t pointerWanted = 1;
uint32_t trackedWindow = 0;  // 0: the pointer is in none of our windows
Ref<Object> trackedSource;

bool IsModifierKey(int32_t code) { return (code >= 160 && code <= 165) || code == 91 || code == 92; }

// The characters the desktop types for these keys besides their key events.
int32_t ControlCharFor(int32_t scancode) {
  switch (scancode) {
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_RETURN2:
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_ESCAPE: return 27;
    default: return 0;
  }
}

int32_t ButtonNumber(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}

// The held-button value of a move: later tests win, so right beats middle
// beats left, and the middle button reports 4.
int32_t HeldButtonValue(uint32_t state) {
  int32_t data = 0;
  if (state & SDL_BUTTON_LMASK) data = 1;
  if (state & SDL_BUTTON_MMASK) data = 4;
  if (state & SDL_BUTTON_RMASK) data = 2;
  return data;
}

void UpdatePointerVisibility() {
  if (!desktop::VideoRunning()) return;
  bool show = pointerWanted != 0 || trackedWindow == 0;
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

// Whether (x, y) lies in the window's client area. A window SDL does not
// know has no known bounds, so the point counts as inside.
bool InsideClientArea(uint32_t windowId, int32_t x, int32_t y) {
  SDL_Window* window = SDL_GetWindowFromID(windowId);
  if (!window) return true;
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  return x >= 0 && y >= 0 && x < w && y < h;
}

// When the pointer leaves a window without a button held, SDL first reports
// a move to the window's edge that the desktop never made, then the leave
// itself. That move would put the pointer at a place it never was, so it is
// not passed on: an uncaptured move to the edge, followed at once by leaving
// that window, while the pointer really is outside.
bool IsMadeUpMoveBeforeLeaving(const SDL_MouseMotionEvent& event) {
  SDL_Window* window = SDL_GetWindowFromID(event.windowID);
  if (!window || (SDL_GetWindowFlags(window) & SDL_WINDOW_MOUSE_CAPTURE)) return false;
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  bool onEdge = event.x == 0 || event.y == 0 || event.x == w - 1 || event.y == h - 1;
  if (!onEdge) return false;
  SDL_Event next;
  bool leaveIsNext = SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 &&
                     next.type == SDL_WINDOWEVENT && next.window.event == SDL_WINDOWEVENT_LEAVE &&
                     next.window.windowID == event.windowID;
  if (!leaveIsNext) return false;
  int32_t x = 0, y = 0;
  desktop::PointerInClient(event.windowID, x, y);
  return x < 0 || y < 0 || x >= w || y >= h;
}

// Moves tracking to target (0 for none): leave before enter, enter before the
// move that caused it. (leaveX, leaveY) is the pointer in the old window.
void TrackPointerWindow(uint32_t target, int32_t x, int32_t y, int32_t leaveX, int32_t leaveY,
                        const Ref<Object>& source) {
  if (target == trackedWindow) return;
  if (trackedWindow != 0) {
    Ref<Object> leaving = std::move(trackedSource);
    trackedSource = nullptr;
    trackedWindow = 0;
    EmitDesktopEvent(EVENT_MOUSELEAVE, leaving, 0, 0, leaveX, leaveY, nullptr);
  }
  trackedWindow = target;
  UpdatePointerVisibility();
  if (target != 0) {
    trackedSource = source;
    EmitDesktopEvent(EVENT_MOUSEENTER, source, 0, 0, x, y, nullptr);
  }
}

void TranslateWindowEvent(const SDL_WindowEvent& event, const Ref<Object>& source) {
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE: EmitDesktopEvent(EVENT_APPTERMINATE, source, 0, ModifierState, 0, 0, nullptr); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      EmitDesktopEvent(EVENT_APPRESUME, source, 0, ModifierState, 0, 0, nullptr);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST: EmitDesktopEvent(EVENT_APPSUSPEND, source, 0, ModifierState, 0, 0, nullptr); break;
    case SDL_WINDOWEVENT_LEAVE:
      if (event.windowID == trackedWindow) {
        int32_t x = 0, y = 0;
        desktop::PointerInClient(event.windowID, x, y);
        TrackPointerWindow(0, 0, 0, x, y, source);
      }
      break;
    default: break;
  }
}

void TranslateKey(const SDL_KeyboardEvent& event, const Ref<Object>& source) {
  int32_t code = KeyCodeFromSDL(event.keysym.scancode, event.keysym.sym, (event.keysym.mod & KMOD_NUM) != 0);
  if (code < 1 || code > 255) return;
  // The key's own event already carries the state including itself.
  if (IsModifierKey(code)) ModifierState = ModifierBitsFromSDL(event.keysym.mod);
  if (event.type == SDL_KEYUP) {
    EmitDesktopEvent(EVENT_KEYUP, source, code, ModifierState, 0, 0, nullptr);
    return;
  }
  EmitDesktopEvent(event.repeat ? EVENT_KEYREPEAT : EVENT_KEYDOWN, source, code, ModifierState, 0, 0, nullptr);
  if (int32_t c = ControlCharFor(event.keysym.scancode)) {
    EmitDesktopEvent(EVENT_KEYCHAR, source, c, ModifierState, 0, 0, nullptr);
  }
}

void TranslateText(const SDL_TextInputEvent& event, const Ref<Object>& source) {
  size_t length = 0;
  while (length < sizeof(event.text) && event.text[length] != 0) ++length;
  String text = String::FromUtf8(std::string_view(event.text, length));
  for (int32_t i = 0; i < text.Length(); ++i) {
    int32_t c = text[i];
    if (c < 32 || c == 127) continue;  // control characters come with their keys
    EmitDesktopEvent(EVENT_KEYCHAR, source, c, ModifierState, 0, 0, nullptr);
  }
}

void TranslateMotion(const SDL_MouseMotionEvent& event, const Ref<Object>& source) {
  if (IsMadeUpMoveBeforeLeaving(event)) return;
  uint32_t target = InsideClientArea(event.windowID, event.x, event.y) ? event.windowID : 0;
  TrackPointerWindow(target, event.x, event.y, event.x, event.y, source);
  EmitDesktopEvent(EVENT_MOUSEMOVE, source, HeldButtonValue(event.state), ModifierState, event.x, event.y, nullptr);
}

void TranslateButton(const SDL_MouseButtonEvent& event, const Ref<Object>& source) {
  int32_t button = ButtonNumber(event.button);
  if (button == 0) return;
  bool down = event.type == SDL_MOUSEBUTTONDOWN;
  // Keep receiving moves outside the window while a button is held.
  if (desktop::VideoRunning()) SDL_CaptureMouse(down ? SDL_TRUE : SDL_FALSE);
  EmitDesktopEvent(down ? EVENT_MOUSEDOWN : EVENT_MOUSEUP, source, button, ModifierState, event.x, event.y, nullptr);
}

void TranslateWheel(const SDL_MouseWheelEvent& event, const Ref<Object>& source) {
  // Sideways scrolling (a tilted wheel, a touchpad swipe) is not the wheel.
  if (event.y == 0 && event.preciseY == 0.0f && (event.x != 0 || event.preciseX != 0.0f)) return;
  int32_t steps = event.y;
  if (event.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
  EmitDesktopEvent(EVENT_MOUSEWHEEL, source, steps, ModifierState, event.mouseX, event.mouseY, nullptr);
}

}  // namespace

namespace desktop {

void ForgetTrackedWindow(uint32_t windowId) {
  if (windowId == 0 || windowId != trackedWindow) return;
  trackedWindow = 0;
  trackedSource = nullptr;
  UpdatePointerVisibility();
}

}  // namespace desktop

void TranslateDesktopMessage(const SDL_Event& event, const Ref<Object>& source) {
  switch (event.type) {
    case SDL_QUIT: EmitDesktopEvent(EVENT_APPTERMINATE, source, 0, ModifierState, 0, 0, nullptr); break;
    case SDL_WINDOWEVENT: TranslateWindowEvent(event.window, source); break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: TranslateKey(event.key, source); break;
    case SDL_TEXTINPUT: TranslateText(event.text, source); break;
    case SDL_MOUSEMOTION: TranslateMotion(event.motion, source); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: TranslateButton(event.button, source); break;
    case SDL_MOUSEWHEEL: TranslateWheel(event.wheel, source); break;
    default: break;
  }
}

void EmitDesktopEvent(int32_t id, const Ref<Object>& source, int32_t data, int32_t mods, int32_t x, int32_t y,
                      const Ref<Object>& extra) {
  BroadcastEvent(MakeEvent(id, source, data, mods, x, y, extra));
}

void TSDLSystemDriver::SetMouseVisible(int32_t visible) {
  pointerWanted = visible;
  UpdatePointerVisibility();
}

void TSDLSystemDriver::MoveMouse(int32_t x, int32_t y) {
  if (!desktop::VideoRunning()) return;
  // Client coordinates of the active window, screen coordinates without one.
  if (SDL_Window* active = SDL_GetKeyboardFocus()) {
    SDL_WarpMouseInWindow(active, x, y);
  } else {
    SDL_WarpMouseGlobal(x, y);
  }
}

}  // namespace vtl
