#include "game/drawing.h"

#include "game/globals.h"
#include "graphics/graphics.h"
#include "image/image.h"

namespace game {

void SetDrawState(int32_t r, int32_t g, int32_t b, float alpha, int32_t rotation) {
  vtl::SetDrawColor(r, g, b);
  vtl::SetDrawAlpha(alpha);
  vtl::SetDrawRotation(static_cast<float>(rotation));
}

void DrawBoxedText(const vtl::String& text, float x, float y) {
  float sx = 1, sy = 1;
  vtl::GetDrawScale(sx, sy);
  int32_t r = 255, g = 255, b = 255;
  vtl::GetDrawColor(r, g, b);
  SetDrawState(255 - r, 255 - g, 255 - b, 1.0f, 0);
  const int32_t w = vtl::StringWidth(text);
  const int32_t h = vtl::FontHeight();
  // The box starts a little left of the text and overhangs it on the right.
  vtl::DrawFilledRect(x - static_cast<float>(w) * sx / 1.9f, y - static_cast<float>(h) * sy / 2,
                      static_cast<float>(w) * 1.1f, static_cast<float>(h));
  SetDrawState(r, g, b, 1.0f, 0);
  vtl::DrawString(text, x - static_cast<float>(w) * sx / 2, y - static_cast<float>(h) * sy / 2);
}

void DrawSheetFrame(float x, float y, int32_t frame) { vtl::DrawImageFrame(TileSheet, x, y, frame); }

}  // namespace game
