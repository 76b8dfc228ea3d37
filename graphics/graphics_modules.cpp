// The module initialisers of the graphics library, in the order the drivers
// must be installed: the last installation wins.
#include "graphics/graphics.h"
#include "runtime/module.h"
#include "stream/embedded_files.h"
#include "system/system.h"

VTL_DECLARE_EMBEDDED_FILE(gldrawtextfont_bin)

namespace vtl {

namespace {

Ref<TImageFrame> MakeFrameWithCurrentDriver(const Ref<TPixmap>& pixmap, int32_t flags) {
  if (!CurrentRen2DDriver || !pixmap) return nullptr;
  return CurrentRen2DDriver->CreateFrameFromPixmap(pixmap, flags);
}

int32_t ReadGraphicsGeneration() { return GraphicsGeneration; }

}  // namespace

void InitGLGraphics() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitGraphicsDriverModule();
  embedded::Register_gldrawtextfont_bin();
  InstallGraphicsDriver(TheGLGraphicsDriver(), GraphicsFlagBackBuffer);
}

void InitGLRen2D() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitImage();
  InitGLGraphics();
  CreateImageFrameHook = &MakeFrameWithCurrentDriver;
  ImageGenerationHook = &ReadGraphicsGeneration;
  InstallGraphicsDriver(TheGLRen2DDriver(), GraphicsFlagBackBuffer);
}

void InitGraphics() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitImage();
  InitSystem();
  InitGraphicsDriverModule();
  InitGLGraphics();
  InitGLRen2D();
}

}  // namespace vtl
