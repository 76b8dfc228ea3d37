#include "graphics/graphics_driver.h"

#include "runtime/exceptions.h"
#include "runtime/last_error.h"
#include "runtime/module.h"
#include "runtime/program.h"
#include "stream/stream.h"
#include "system/system.h"

namespace vtl {

int32_t GraphicsGeneration = 1;
int32_t FlipHookId = 0;
Ref<TGraphics> OpenedGraphics;
TFrameRateLimiter FrameRateLimiter;

namespace {

struct CurrentState {
  Ref<TGraphicsDriver> driver;
  int32_t default_flags = 0;
  Ref<Array<Ref<TGraphicsMode>>> modes;
  Ref<TGraphics> graphics;
  int32_t width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
};

CurrentState& Current() {
  static CurrentState* state = new CurrentState();  // lives until the process ends
  return *state;
}

void BumpGeneration() {
  if (++GraphicsGeneration == 0) GraphicsGeneration = 1;
}

void ForgetCurrentContext(CurrentState& s) {
  if (s.driver && s.graphics) s.driver->SetGraphics(nullptr);
  s.graphics = nullptr;
  s.width = s.height = s.depth = s.hertz = s.flags = 0;
}

void SwitchDriver(CurrentState& s, const Ref<TGraphicsDriver>& driver) {
  if (driver == s.driver) return;
  if (s.driver && s.graphics) s.driver->SetGraphics(nullptr);
  s.modes = nullptr;
  s.driver = driver;
}

// Full screen: three retrace-synchronised flips in a row within a
// millisecond of the period mean the display already paces the frames.
bool DisplayKeepsRate(const Ref<TGraphicsDriver>& driver, int32_t hertz) {
  const int32_t deadline = CurrentMillis() + 1000;
  int32_t matches = 0;
  while (deadline - CurrentMillis() > 0) {
    const int32_t t = CurrentMillis();
    driver->Flip(1);
    const int32_t d = CurrentMillis() - t - 1000 / hertz;
    if (d >= -1 && d <= 1) {
      if (++matches == 3) return true;
    } else {
      matches = 0;
    }
  }
  return false;
}

void CloseOpenedGraphicsAtExit() { CloseOpenedGraphics(); }

// Asks the current driver for a context. A driver refuses by answering Null
// or by throwing; either way the answer is Null and LastErrorText says why
// (a driver that answers Null records its own reason).
template <class Make>
Ref<TGraphics> AskDriver(CurrentState& s, Make&& make) {
  if (!s.driver) {
    SetLastErrorText("No graphics driver is installed");
    return nullptr;
  }
  try {
    return make();
  } catch (const ThrownObject& thrown) {
    Ref<TRuntimeException> error = DowncastObject<TRuntimeException>(thrown.object);
    SetLastErrorText(error && error->detail.Length() > 0 ? error->detail : String(thrown.what()));
    return nullptr;
  }
}

}  // namespace

// --- TGraphics, TGraphicsMode, TGraphicsDriver ---

Ref<TDataType> TGraphics::DataType() const { return Driver(); }
Ref<TGraphicsDriver> TGraphics::Driver() const { ThrowNullMethod(); }
int32_t TGraphics::GetSettings(int32_t&, int32_t&, int32_t&, int32_t&, int32_t&) { ThrowNullMethod(); }
int32_t TGraphics::Close() { ThrowNullMethod(); }

String TGraphicsMode::ToString() const {
  std::string text = std::to_string(width) + "," + std::to_string(height) + "," + std::to_string(depth) + " " +
                     std::to_string(hertz) + "Hz";
  return String::FromLatin1(text);
}

String TGraphicsDriver::Tag() const { return "VTL.Graphics.TGraphics"; }

Ref<Object> TGraphicsDriver::ReadObject(const Ref<TStream>& stream) {
  const int32_t width = stream->ReadInt();
  const int32_t height = stream->ReadInt();
  const int32_t depth = stream->ReadInt();
  const int32_t hertz = stream->ReadInt();
  return OpenGraphics(width, height, depth, hertz, 0);
}

void TGraphicsDriver::WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) {
  Ref<TGraphics> graphics = DowncastObject<TGraphics>(object);
  int32_t width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  graphics->GetSettings(width, height, depth, hertz, flags);
  stream->WriteInt(width);
  stream->WriteInt(height);
  stream->WriteInt(depth);
  stream->WriteInt(hertz);
}

Ref<Array<Ref<TGraphicsMode>>> TGraphicsDriver::GraphicsModes() { ThrowNullMethod(); }
Ref<TGraphics> TGraphicsDriver::AttachGraphics(int64_t, int32_t) { ThrowNullMethod(); }
Ref<TGraphics> TGraphicsDriver::CreateGraphics(int32_t, int32_t, int32_t, int32_t, int32_t) { ThrowNullMethod(); }
int32_t TGraphicsDriver::SetGraphics(const Ref<TGraphics>&) { ThrowNullMethod(); }
int32_t TGraphicsDriver::Flip(int32_t) { ThrowNullMethod(); }

// --- drivers and contexts ---

int32_t InstallGraphicsDriver(const Ref<TGraphicsDriver>& driver, int32_t flags) {
  CurrentState& s = Current();
  SwitchDriver(s, driver);
  s.default_flags = flags;
  s.graphics = nullptr;
  s.width = s.height = s.depth = s.hertz = s.flags = 0;
  return 0;
}

Ref<TGraphicsDriver> GetGraphicsDriver() { return Current().driver; }
int32_t GetDefaultGraphicsFlags() { return Current().default_flags; }

Ref<Array<Ref<TGraphicsMode>>> ListGraphicsModes() {
  CurrentState& s = Current();
  if ((!s.modes || s.modes->Length() == 0) && s.driver) s.modes = s.driver->GraphicsModes();
  const int32_t count = s.modes ? s.modes->Length() : 0;
  auto copy = NewArray<Ref<TGraphicsMode>>({count});
  for (int32_t i = 0; i < count; ++i) (*copy)[i] = (*s.modes)[i];
  return copy;
}

int32_t GraphicsModeCount() { return ListGraphicsModes()->Length(); }

int32_t GraphicsModeAt(int32_t index, int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz) {
  // An index outside the list throws TArrayBoundsException rather than reading past it.
  Ref<TGraphicsMode> mode = (*ListGraphicsModes())[index];
  width = mode->width;
  height = mode->height;
  depth = mode->depth;
  hertz = mode->hertz;
  return 0;
}

int32_t HasGraphicsMode(int32_t width, int32_t height, int32_t depth, int32_t hertz) {
  const Ref<Array<Ref<TGraphicsMode>>> modes = ListGraphicsModes();
  for (const Ref<TGraphicsMode>& m : *modes) {
    if (!m) continue;
    if (width && m->width != width) continue;
    if (height && m->height != height) continue;
    if (depth && m->depth != depth) continue;
    if (hertz && m->hertz != hertz) continue;
    return 1;
  }
  return 0;
}

Ref<TGraphics> NewGraphicsContext(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags) {
  CurrentState& s = Current();
  return AskDriver(s, [&] { return s.driver->CreateGraphics(width, height, depth, hertz, flags | s.default_flags); });
}

Ref<TGraphics> AttachGraphicsContext(int64_t widget, int32_t flags) {
  CurrentState& s = Current();
  return AskDriver(s, [&] { return s.driver->AttachGraphics(widget, flags | s.default_flags); });
}

int32_t CloseGraphicsContext(const Ref<TGraphics>& graphics) {
  if (!graphics) return 0;
  if (graphics == OpenedGraphics) OpenedGraphics = nullptr;
  if (graphics == Current().graphics) MakeGraphicsCurrent(nullptr);
  graphics->Close();
  return 0;
}

int32_t MakeGraphicsCurrent(const Ref<TGraphics>& graphics) {
  CurrentState& s = Current();
  if (!graphics) {
    ForgetCurrentContext(s);
    return 0;
  }
  Ref<TGraphicsDriver> driver = graphics->Driver();
  SwitchDriver(s, driver);
  // Cached before the driver runs: a Ren2D context reads the size while it
  // makes itself current.
  graphics->GetSettings(s.width, s.height, s.depth, s.hertz, s.flags);
  driver->SetGraphics(graphics);
  s.graphics = graphics;
  return 0;
}

Ref<TGraphics> CurrentGraphics() { return Current().graphics; }
int32_t CurrentGraphicsWidth() { return Current().width; }
int32_t CurrentGraphicsHeight() { return Current().height; }
int32_t CurrentGraphicsDepth() { return Current().depth; }
int32_t CurrentGraphicsHertz() { return Current().hertz; }
int32_t CurrentGraphicsFlags() { return Current().flags; }

// --- opening, flipping, closing ---

Ref<TGraphics> OpenGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags) {
  CloseOpenedGraphics();
  Ref<TGraphics> graphics = NewGraphicsContext(width, height, depth, hertz, flags | Current().default_flags);
  if (!graphics) return nullptr;
  BumpGeneration();
  MakeGraphicsCurrent(graphics);

  FrameRateLimiter.soft_sync = hertz != 0;
  if (hertz != 0 && depth != 0 && DisplayKeepsRate(Current().driver, hertz)) FrameRateLimiter.soft_sync = 0;
  FrameRateLimiter.Start(hertz, CurrentMillis());

  OpenedGraphics = graphics;
  if (depth != 0) SetPointerPosition(width / 2, height / 2);
  StartPolledInput(nullptr);

  static bool at_exit_registered = false;
  if (!at_exit_registered) {
    at_exit_registered = true;
    AtExit(&CloseOpenedGraphicsAtExit);
  }
  return graphics;
}

int32_t FlipBuffers(int32_t sync) {
  CallHookChain(FlipHookId, nullptr);
  CurrentState& s = Current();
  if (!s.driver) return 0;
  if (sync != -1) {
    s.driver->Flip(sync);
    return 0;
  }
  if (!s.graphics || s.graphics != OpenedGraphics || !FrameRateLimiter.soft_sync) {
    s.driver->Flip(s.depth != 0 ? 1 : 0);
    return 0;
  }
  const int32_t wait = FrameRateLimiter.Advance(CurrentMillis());
  if (wait > 0) SleepMillis(wait);
  s.driver->Flip(0);
  return 0;
}

int32_t CloseOpenedGraphics() {
  if (!OpenedGraphics) return 0;
  BumpGeneration();
  StopPolledInput();
  // A copy: closing clears OpenedGraphics itself.
  Ref<TGraphics> opened = OpenedGraphics;
  CloseGraphicsContext(opened);
  return 0;
}

void InitGraphicsDriverModule() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitStream();
  InitSystem();
  FlipHookId = ReserveHookId();
}

}  // namespace vtl
