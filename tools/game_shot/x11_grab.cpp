#include "x11_grab.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace shot {
namespace {

// A window may vanish or be unmapped between two requests (the game is
// starting or ending). Xlib's default handler would end this process for
// that; the failed request is reported through its return value instead.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// One connection for the process; the X server is the one in DISPLAY.
Display* Connection() {
  static Display* display = [] {
    XSetErrorHandler(&IgnoreXError);
    return XOpenDisplay(nullptr);
  }();
  return display;
}

unsigned long Search(Display* d, Window w, const std::string& name) {
  char* title = nullptr;
  if (XFetchName(d, w, &title) && title) {
    const bool match = name == title;
    XFree(title);
    if (match) return w;
  }
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(d, w, &root, &parent, &children, &count)) return 0;
  unsigned long found = 0;
  for (unsigned int i = 0; i < count && !found; ++i) found = Search(d, children[i], name);
  if (children) XFree(children);
  return found;
}

}  // namespace

unsigned long FindWindowByName(const std::string& name) {
  Display* d = Connection();
  if (!d) return 0;
  return Search(d, DefaultRootWindow(d), name);
}

vtl::Ref<vtl::TPixmap> GrabWindow(unsigned long window) {
  Display* d = Connection();
  if (!d || !window) return nullptr;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(d, window, &attributes)) return nullptr;
  // Only a mapped window has pixels to read.
  if (attributes.map_state != IsViewable) return nullptr;
  XImage* image = XGetImage(d, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) return nullptr;
  vtl::Ref<vtl::TPixmap> pixmap = vtl::NewPixmap(attributes.width, attributes.height, vtl::FMT_RGBA8888);
  for (int y = 0; y < attributes.height; ++y) {
    for (int x = 0; x < attributes.width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      const uint32_t r = static_cast<uint32_t>((p & image->red_mask) >> 16) & 0xFF;
      const uint32_t g = static_cast<uint32_t>((p & image->green_mask) >> 8) & 0xFF;
      const uint32_t b = static_cast<uint32_t>(p & image->blue_mask) & 0xFF;
      vtl::WritePixel(pixmap, x, y, 0xFF000000u | (r << 16) | (g << 8) | b);
    }
  }
  XDestroyImage(image);
  return pixmap;
}

bool RequestClose(unsigned long window) {
  Display* d = Connection();
  if (!d || !window) return false;
  XEvent event;
  std::memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(d, window, False, NoEventMask, &event) != 0;
  XFlush(d);
  return sent;
}

}  // namespace shot
