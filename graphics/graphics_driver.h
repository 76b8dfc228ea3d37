/// \file
/// The driver-neutral graphics layer: one current graphics driver and one
/// current context, opening a window through the driver, frame pacing, and
/// the display modes. Drivers and contexts are data types and data objects,
/// so a context can be written to an object stream as its four settings.
#pragma once

#include <cstdint>

#include "graphics/frame_limiter.h"
#include "runtime/array.h"
#include "runtime/data_type.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class TGraphicsDriver;

/// \name Graphics flags
/// Bits of the graphics flags read by the drivers.
///@{
constexpr int32_t GraphicsFlagBackBuffer = 2;      ///< A back buffer to draw into.
constexpr int32_t GraphicsFlagAlphaBuffer = 4;     ///< Alpha bits in the frame buffer.
constexpr int32_t GraphicsFlagDepthBuffer = 8;     ///< A depth buffer.
constexpr int32_t GraphicsFlagStencilBuffer = 16;  ///< A stencil buffer.
constexpr int32_t GraphicsFlagAccumBuffer = 32;    ///< An accumulation buffer.
///@}

/// A graphics context: a window (or screen) that can be drawn into.
/// The base's operations throw TNullMethodException.
class TGraphics : public TData {
 public:
  /// The driver of a context also serves as its data type.
  Ref<TDataType> DataType() const override;
  /// The driver that made the context.
  virtual Ref<TGraphicsDriver> Driver() const;
  /// The size, bits per pixel (0 for a window), refresh rate and graphics
  /// flags the context was made with.
  virtual int32_t GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags);
  /// Closes the context and its window.
  virtual int32_t Close();
};

/// One display mode.
class TGraphicsMode : public Object {
 public:
  String ToString() const override;  ///< "800,600,32 60Hz"

  int32_t width = 0;   ///< Width in pixels.
  int32_t height = 0;  ///< Height in pixels.
  int32_t depth = 0;   ///< Bits per pixel.
  int32_t hertz = 0;   ///< Refresh rate.
};

/// A graphics driver: makes contexts and presents their frames. The base's
/// operations other than the data type's throw TNullMethodException.
class TGraphicsDriver : public TDataType {
 public:
  String Tag() const override;  ///< "VTL.Graphics.TGraphics"
  /// A context is read as four ints and reopened with OpenGraphics.
  Ref<Object> ReadObject(const Ref<TStream>& stream) override;
  /// Writes the context's width, height, depth and hertz.
  void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) override;

  /// The display modes the driver offers.
  virtual Ref<Array<Ref<TGraphicsMode>>> GraphicsModes();
  /// A context on an existing window. `widget` is a native window handle.
  virtual Ref<TGraphics> AttachGraphics(int64_t widget, int32_t flags);
  /// A new context: a window when depth is 0, else the full screen.
  virtual Ref<TGraphics> CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags);
  /// Makes the context current for drawing; Null leaves none current.
  virtual int32_t SetGraphics(const Ref<TGraphics>& graphics);
  /// Presents the current context's frame; sync 1 waits for the retrace.
  virtual int32_t Flip(int32_t sync);
};

/// Raised on every open and close done by OpenGraphics and CloseOpenedGraphics;
/// never 0. Driver frames made in an older generation are remade on next use.
extern int32_t GraphicsGeneration;
/// The hook chain run at the start of every FlipBuffers.
extern int32_t FlipHookId;
/// The context opened by OpenGraphics, or Null.
extern Ref<TGraphics> OpenedGraphics;
/// The schedule FlipBuffers paces the opened context with.
extern TFrameRateLimiter FrameRateLimiter;

/// Makes driver the current driver, with flags added to every context it
/// makes; no context is current afterwards. Returns 0.
int32_t InstallGraphicsDriver(const Ref<TGraphicsDriver>& driver, int32_t flags);
/// The current driver, or Null.
Ref<TGraphicsDriver> GetGraphicsDriver();
/// The flags given to InstallGraphicsDriver.
int32_t GetDefaultGraphicsFlags();

/// A copy of the current driver's display modes, kept from its first answer
/// that lists any until the driver changes.
Ref<Array<Ref<TGraphicsMode>>> ListGraphicsModes();
/// The number of display modes.
int32_t GraphicsModeCount();
/// The mode at index; outside the list it throws TArrayBoundsException.
int32_t GraphicsModeAt(int32_t index, int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz);
/// True when a mode matches every argument that is not 0.
int32_t HasGraphicsMode(int32_t width, int32_t height, int32_t depth = 0, int32_t hertz = 0);

/// A new context from the current driver, with its default flags added;
/// Null without a driver or when it fails, and LastErrorText then says why
/// (for the OpenGL driver with SDL's own words). It is not made current.
Ref<TGraphics> NewGraphicsContext(int32_t width, int32_t height, int32_t depth = 0, int32_t hertz = 60,
                                  int32_t flags = 0);
/// A context on the native window `widget`, as NewGraphicsContext.
Ref<TGraphics> AttachGraphicsContext(int64_t widget, int32_t flags = 0);
/// Closes the context, first making none current if it is current.
int32_t CloseGraphicsContext(const Ref<TGraphics>& graphics);
/// Makes the context (and its driver) current; Null leaves none current.
int32_t MakeGraphicsCurrent(const Ref<TGraphics>& graphics);
/// The current context, or Null.
Ref<TGraphics> CurrentGraphics();

/// The current context's settings, as they were when it was made current;
/// 0 without one.
///@{
int32_t CurrentGraphicsWidth();
int32_t CurrentGraphicsHeight();
int32_t CurrentGraphicsDepth();
int32_t CurrentGraphicsHertz();
int32_t CurrentGraphicsFlags();
///@}

/// Closes what was opened before, opens a new context, makes it current,
/// starts polled input and sets the frame limiter. Null when the driver fails,
/// as NewGraphicsContext, with the reason in LastErrorText.
/// A full-screen context gets the pointer at its centre.
Ref<TGraphics> OpenGraphics(int32_t width, int32_t height, int32_t depth = 0, int32_t hertz = 60, int32_t flags = 0);
/// Presents the frame: sync -1 paces to the opened context's rate, 0 presents
/// at once, 1 waits for the display's retrace.
int32_t FlipBuffers(int32_t sync = -1);
/// Closes the context OpenGraphics opened and stops polled input; nothing
/// when none is open.
int32_t CloseOpenedGraphics();

/// The graphics module: initialises the runtime, streams and system, and
/// reserves the flip hook. (OpenGraphics arranges for the opened context to
/// be closed at the end of the program.)
void InitGraphicsDriverModule();

}  // namespace vtl
