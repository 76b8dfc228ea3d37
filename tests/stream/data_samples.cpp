#include "data_samples.h"

namespace vtl::test {

Ref<TPixmap> PatternPixmap(int32_t width, int32_t height, int32_t format) {
  Ref<TPixmap> pixmap = TPixmap::Create(width, height, format, 4);
  pixmap->ClearPixels(0);
  const int32_t rowBytes = width * FormatBytes(format);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < rowBytes; ++x) pixmap->PixelPtr(0, y)[x] = static_cast<uint8_t>(format * 31 + y * 7 + x);
  return pixmap;
}

Ref<TImage> SampleImage() {
  Ref<TImage> image = TImage::Create(3, 2, 3, 6, 1, 2, 3);
  image->handle_x = 1.5f;
  image->handle_y = -0.25f;
  image->SetPixmap(0, PatternPixmap(3, 2, FMT_RGBA8888));
  image->SetPixmap(2, PatternPixmap(3, 2, FMT_GREY8));
  return image;
}

Ref<TList> SharedGraph() {
  Ref<TPixmap> shared = PatternPixmap(2, 2, FMT_RGB888);
  auto a = New<TList>(), b = New<TList>(), outer = New<TList>();
  a->AddLast(shared);
  b->AddLast(shared);
  b->AddLast(a);
  outer->AddLast(a);
  outer->AddLast(b);
  return outer;
}

DataBytes WriteObjects(const std::vector<Ref<Object>>& objects) {
  std::vector<uint8_t> buffer(1 << 16);
  auto ram = TRamStream::Create(buffer.data(), static_cast<int32_t>(buffer.size()), 1, 1);
  auto stream = TDataStream::WithStream(ram);
  for (const Ref<Object>& object : objects) stream->WriteObject(object);
  buffer.resize(static_cast<size_t>(ram->Pos()));
  return buffer;
}

std::vector<std::pair<std::string, DataBytes>> SampleDataStreams() {
  std::vector<std::pair<std::string, DataBytes>> samples;
  samples.emplace_back("null.bin", WriteObjects({nullptr}));
  samples.emplace_back("shared-graph.bin", WriteObjects({SharedGraph()}));
  auto self = New<TList>();
  self->AddLast(self);
  self->AddLast(PatternPixmap(1, 1, FMT_ALPHA8));
  samples.emplace_back("self-list.bin", WriteObjects({self, self}));
  self->Clear();
  std::vector<Ref<Object>> pixmaps;
  for (int32_t format = FMT_GREY8; format <= FMT_LUMINANCE8; ++format) pixmaps.push_back(PatternPixmap(3, 2, format));
  samples.emplace_back("pixmaps.bin", WriteObjects(pixmaps));
  samples.emplace_back("image.bin", WriteObjects({SampleImage()}));
  Ref<TBank> bank = TBank::Create(5);
  for (int32_t i = 0; i < 5; ++i) bank->PokeByte(i, 0x30 + i);
  samples.emplace_back("bank.bin", WriteObjects({bank, bank}));
  auto nested = New<TList>();
  Ref<TList> inner = nested;
  for (int i = 0; i < 20; ++i) {
    auto next = New<TList>();
    inner->AddLast(next);
    inner = next;
  }
  samples.emplace_back("nested-lists.bin", WriteObjects({nested}));
  return samples;
}

}  // namespace vtl::test
