// libFuzzer entry for the pixmap loaders. Built once per target with
// VTL_FUZZ_LOADER naming the loader class, or without it for LoadPixmapUrl
// (the whole chain).
#include <cstdint>
#include <vector>

#include "image/image.h"
#include "stream/stream.h"

namespace {

vtl::Ref<vtl::TPixmap> Load(const vtl::Ref<vtl::TStream>& stream) {
#ifdef VTL_FUZZ_LOADER
  for (vtl::Ref<vtl::TPixmapLoader> l = vtl::TPixmapLoader::First(); l; l = l->_succ) {
    if (vtl::DowncastObject<vtl::VTL_FUZZ_LOADER>(l)) {
      return vtl::RefuseOnStreamError([&] { return l->LoadPixmap(stream); });
    }
  }
  return nullptr;
#else
  return vtl::LoadPixmapUrl(vtl::Ref<vtl::Object>(stream));
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (vtl::InitImage(), true);
  (void)ready;
  if (size > (1u << 24)) return 0;
  std::vector<uint8_t> copy(data, data + size);
  auto stream = vtl::TRamStream::Create(copy.data(), static_cast<int32_t>(size), 1, 0);
  vtl::Ref<vtl::TPixmap> p = Load(stream);
  if (p) {
    // Every pixel must be inside the allocation.
    volatile uint32_t sum = 0;
    for (int32_t y = 0; y < p->height; ++y) {
      for (int32_t x = 0; x < p->width; ++x) sum = sum + p->ReadPixel(x, y);
    }
  }
  return 0;
}
