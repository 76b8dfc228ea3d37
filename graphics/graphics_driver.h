// The driver-neutral graphics layer: one current graphics driver and one
// current context, opening a window through the driver, frame pacing, and
// the display modes. Drivers and contexts are data types and data objects,
// so a context can be written to an object stream as its four settings.
#pragma once

#include <cstdint>

#include "graphics/frame_limiter.h"
#include "runtime/array.h"
#include "runtime/data_type.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class TGraphicsDriver;

// Bits of the graphics flags read by the drivers.
constexpr int32_t GraphicsFlagBackBuffer = 2;
constexpr int32_t GraphicsFlagAlphaBuffer = 4;
constexpr int32_t GraphicsFlagDepthBuffer = 8;
constexpr int32_t GraphicsFlagStencilBuffer = 16;
constexpr int32_t GraphicsFlagAccumBuffer = 32;

// A graphics context: a window (or screen) that can be drawn into.
class TGraphics : public TData {
 public:
  // The driver of a context also serves as its data type.
  Ref<TDataType> DataType() const override;
  virtual Ref<TGraphicsDriver> Driver() const;
  virtual int32_t GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags);
  virtual int32_t Close();
};

// One display mode.
class TGraphicsMode : public Object {
 public:
  String ToString() const override;  // "800,600,32 60Hz"

  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;
  int32_t hertz = 0;
};

class TGraphicsDriver : public TDataType {
 public:
  String Tag() const override;  // "VTL.Graphics.TGraphics"
  // A context is read as four ints and reopened with OpenGraphics.
  Ref<Object> ReadObject(const Ref<TStream>& stream) override;
  void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) override;

  virtual Ref<Array<Ref<TGraphicsMode>>> GraphicsModes();
  // `widget` is a native window handle.
  virtual Ref<TGraphics> AttachGraphics(int64_t widget, int32_t flags);
  virtual Ref<TGraphics> CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags);
  virtual int32_t SetGraphics(const Ref<TGraphics>& graphics);
  virtual int32_t Flip(int32_t sync);
};

// Raised on every open and close done by OpenGraphics and CloseOpenedGraphics;
// never 0. Driver frames made in an older generation are remade on next use.
extern int32_t GraphicsGeneration;
// The hook chain run at the start of every FlipBuffers.
extern int32_t FlipHookId;
// The context opened by OpenGraphics, or Null.
extern Ref<TGraphics> OpenedGraphics;
extern TFrameRateLimiter FrameRateLimiter;

int32_t InstallGraphicsDriver(const Ref<TGraphicsDriver>& driver, int32_t flags);
Ref<TGraphicsDriver> GetGraphicsDriver();
int32_t GetDefaultGraphicsFlags();

Ref<Array<Ref<TGraphicsMode>>> ListGraphicsModes();
int32_t GraphicsModeCount();
int32_t GraphicsModeAt(int32_t index, int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz);
int32_t HasGraphicsMode(int32_t width, int32_t height, int32_t depth = 0, int32_t hertz = 0);

Ref<TGraphics> NewGraphicsContext(int32_t width, int32_t height, int32_t depth = 0, int32_t hertz = 60,
                                  int32_t flags = 0);
Ref<TGraphics> AttachGraphicsContext(int64_t widget, int32_t flags = 0);
int32_t CloseGraphicsContext(const Ref<TGraphics>& graphics);
int32_t MakeGraphicsCurrent(const Ref<TGraphics>& graphics);
Ref<TGraphics> CurrentGraphics();

int32_t CurrentGraphicsWidth();
int32_t CurrentGraphicsHeight();
int32_t CurrentGraphicsDepth();
int32_t CurrentGraphicsHertz();
int32_t CurrentGraphicsFlags();

// Closes what was opened before, opens a new context, makes it current,
// starts polled input and sets the frame limiter. Null when the driver fails.
Ref<TGraphics> OpenGraphics(int32_t width, int32_t height, int32_t depth = 0, int32_t hertz = 60, int32_t flags = 0);
// Presents the frame: sync -1 paces to the opened context's rate, 0 presents
// at once, 1 waits for the display's retrace.
int32_t FlipBuffers(int32_t sync = -1);
int32_t CloseOpenedGraphics();

// The graphics module: reserves the flip hook and closes the opened context
// at the end of the program.
void InitGraphicsDriverModule();

}  // namespace vtl
