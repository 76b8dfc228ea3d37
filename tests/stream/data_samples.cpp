#include "data_samples.h"

#include "test_file_helpers.h"

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

int32_t TSizelessSource::Eof() {
  if (given < bytes_.size() + fillCount_) return 0;
  if (++endsTold_ > 1000) Throw(New<Object>());
  return 1;
}

int32_t TSizelessSource::Read(void* buf, int32_t count) {
  auto* out = static_cast<uint8_t*>(buf);
  int32_t n = 0;
  for (; n < count && given < bytes_.size() + fillCount_; ++n, ++given)
    out[n] = given < bytes_.size() ? bytes_[given] : fill_;
  return n;
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

namespace {

void Append(DataBytes& to, std::initializer_list<DataBytes> parts) {
  for (const DataBytes& p : parts) to.insert(to.end(), p.begin(), p.end());
}

DataBytes TagLine(const std::string& tag) {
  DataBytes b(tag.begin(), tag.end());
  b.push_back(13);
  b.push_back(10);
  return b;
}

DataBytes Ints(std::initializer_list<uint32_t> values) {
  DataBytes b;
  for (uint32_t v : values) Put32(b, v);
  return b;
}

DataBytes Record(const std::string& tag, std::initializer_list<DataBytes> parts) {
  DataBytes b{1};
  Append(b, {TagLine(tag)});
  Append(b, parts);
  return b;
}

}  // namespace

std::vector<std::pair<std::string, DataBytes>> HostileDataStreams() {
  std::vector<std::pair<std::string, DataBytes>> samples;
  samples.emplace_back("long-tag.bin", Record(std::string(4096, 'x'), {Ints({0})}));
  samples.emplace_back("tag-of-carriage-returns.bin", Record("VTL.List.TList" + std::string(4096, '\r'), {Ints({0})}));
  samples.emplace_back("huge-list.bin", Record("VTL.List.TList", {Ints({0x7fffffff}), {0, 0, 0}}));
  samples.emplace_back("huge-bank.bin", Record("VTL.Bank.TBank", {Ints({0x7fffffff}), {1, 2, 3}}));
  // Just under the largest pixmap a record may describe: a gigabyte of pixels.
  samples.emplace_back("huge-pixmap.bin",
                       Record("VTL.Pixmap.TPixmap", {Ints({16383, 16383, static_cast<uint32_t>(FMT_RGBA8888)}), {1}}));
  samples.emplace_back("huge-image.bin", Record("vtl.ren2d.TImage", {Ints({1, 1, 0, 0, 0, 0, 0, 0, 65536}), {0, 0}}));
  return samples;
}

}  // namespace vtl::test
