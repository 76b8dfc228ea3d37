// Where the pointer really is, for the leave event and the check for SDL's
// made-up moves to a window's edge.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include "system/internal/desktop.h"

namespace vtl::desktop {

namespace {

// Asked of the X server. SDL's global pointer position is a copy that only
// the pointer device's own motion refreshes: after the pointer was warped it
// can still hold a place the pointer left long ago.
bool PointerFromXServer(SDL_Window* window, int32_t& x, int32_t& y) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  ::Window root = 0, child = 0;
  int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
  unsigned int buttons = 0;
  // False when the pointer is on another screen, where the window has no
  // coordinates.
  if (!XQueryPointer(info.info.x11.display, info.info.x11.window, &root, &child, &rootX, &rootY, &windowX, &windowY,
                     &buttons)) {
    return false;
  }
  x = windowX;
  y = windowY;
  return true;
}

}  // namespace

void PointerInClient(uint32_t windowId, int32_t& x, int32_t& y) {
  SDL_Window* window = SDL_GetWindowFromID(windowId);
  if (window && PointerFromXServer(window, x, y)) return;
  int gx = 0, gy = 0, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  if (window) SDL_GetWindowPosition(window, &wx, &wy);
  x = gx - wx;
  y = gy - wy;
}

}  // namespace vtl::desktop
