#include "graphics/screenshot.h"

#include "graphics/graphics_driver.h"
#include "graphics/ren2d.h"
#include "image/pixel_format.h"
#include "image/pixmap.h"
#include "image/pixmap_writers.h"
#include "runtime/last_error.h"

namespace vtl {

int32_t SaveScreenshot(const Ref<Object>& url) {
  Ref<TPixmap> grab = GrabScreenPixmap(0, 0, CurrentGraphicsWidth(), CurrentGraphicsHeight());
  if (grab == nullptr) {
    SetLastErrorText("No screenshot: no graphics are open");
    return 0;
  }
  // The grab is RGBA, but a window has no alpha worth keeping.
  if (SavePixmapPNG(ConvertPixmapTo(grab, FMT_RGB888), url, 9) == 0) {
    const String name = AsString(url).value_or("the stream");
    SetLastErrorText("No screenshot: cannot write " + name);
    return 0;
  }
  return 1;
}

int32_t SaveScreenshot(const String& url) { return SaveScreenshot(Ref<Object>(url)); }

}  // namespace vtl
