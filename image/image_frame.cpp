#include "image/image_frame.h"

#include "runtime/exceptions.h"

namespace vtl {

ImageFrameMaker CreateImageFrameHook = nullptr;
GenerationReader ImageGenerationHook = nullptr;

int32_t TImageFrame::Draw(float, float, float, float, float, float) { ThrowNullMethod(); }

int32_t TImageFrame::DrawPart(float, float, float, float, float, float, int32_t, int32_t, int32_t, int32_t) {
  ThrowNullMethod();
}

int32_t CurrentImageGeneration() { return ImageGenerationHook ? ImageGenerationHook() : 0; }

}  // namespace vtl
