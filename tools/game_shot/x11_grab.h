// Reading a window's pixels from the X server, for screenshots and for tests
// that look at what a running program shows.
#pragma once

#include <cstdint>
#include <string>

#include "image/image.h"

namespace shot {

// The first top-level window whose name is exactly `name`, or 0.
unsigned long FindWindowByName(const std::string& name);
// The window's whole client area as an FMT_RGBA8888 pixmap, or Null when the
// display or window cannot be read.
vtl::Ref<vtl::TPixmap> GrabWindow(unsigned long window);
// Asks the window to close, as a window manager's close button does.
bool RequestClose(unsigned long window);

}  // namespace shot
