#include "graphics/render_image.h"

#include "runtime/exceptions.h"

namespace vtl {

namespace {

// The window's viewport and origin while a render image is the target.
struct WindowPlacement {
  Ref<TRen2DGraphics> graphics;  // the context they belong to; Null: none kept
  int32_t viewport[4] = {0, 0, 0, 0};
  float origin[2] = {0, 0};
};

WindowPlacement& Kept() {
  static WindowPlacement* kept = new WindowPlacement();  // lives until the process ends
  return *kept;
}

[[noreturn]] void NeedsContext() { RuntimeError("Render images need a current Ren2D context"); }

}  // namespace

Ref<TImageFrame> TRen2DDriver::CreateRenderFrame(int32_t, int32_t) {
  RuntimeError("The " + ToString() + " Ren2D driver cannot draw into images");
}

int32_t TRen2DDriver::SetRenderFrame(const Ref<TImageFrame>&, int32_t, int32_t) {
  RuntimeError("The " + ToString() + " Ren2D driver cannot draw into images");
}

Ref<TImage> CreateRenderImage(int32_t width, int32_t height) {
  if (!CurrentRen2DDriver) NeedsContext();
  Ref<TImageFrame> frame = CurrentRen2DDriver->CreateRenderFrame(width, height);
  Ref<TImage> image = TImage::Create(width, height, 1, 0, 0, 0, 0);
  (*image->frames)[0] = frame;
  (*image->seqs)[0] = GraphicsGeneration;
  return image;
}

int32_t SetRenderImage(const Ref<TImage>& image) {
  if (!CurrentRen2DGraphics) NeedsContext();
  WindowPlacement& kept = Kept();
  // A placement kept for another context (or before it was made current again) is stale.
  if (kept.graphics != CurrentRen2DGraphics) kept = WindowPlacement();
  if (!image) {
    CurrentRen2DDriver->SetRenderFrame(nullptr, 0, 0);
    if (kept.graphics) {
      SetDrawViewport(kept.viewport[0], kept.viewport[1], kept.viewport[2], kept.viewport[3]);
      SetDrawOrigin(kept.origin[0], kept.origin[1]);
      kept = WindowPlacement();
    }
    return 0;
  }
  Ref<TImageFrame> frame = image->frames && image->frames->Length() > 0 ? (*image->frames)[0] : nullptr;
  if (!frame || (*image->seqs)[0] != GraphicsGeneration)
    RuntimeError("Only images CreateRenderImage made since the graphics were opened can be drawn into");
  CurrentRen2DDriver->SetRenderFrame(frame, image->width, image->height);
  if (!kept.graphics) {
    kept.graphics = CurrentRen2DGraphics;
    GetDrawViewport(kept.viewport[0], kept.viewport[1], kept.viewport[2], kept.viewport[3]);
    GetDrawOrigin(kept.origin[0], kept.origin[1]);
  }
  SetDrawViewport(0, 0, image->width, image->height);
  SetDrawOrigin(0, 0);
  return 0;
}

}  // namespace vtl
