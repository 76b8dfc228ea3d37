/// \file
/// One call that saves what the window is about to show.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// Writes the whole back buffer of the current graphics context as an opaque
/// PNG picture to url (a file name or an open stream; a relative name is
/// taken from the current directory, the program's own). Call it before
/// FlipBuffers: that frame is the one saved. While a render image is set
/// (SetRenderImage), that image is saved instead. 1 on success; 0 when no
/// graphics are open or the file cannot be written, and LastErrorText says
/// which.
///@{
int32_t SaveScreenshot(const Ref<Object>& url);
int32_t SaveScreenshot(const String& url);
///@}

}  // namespace vtl
