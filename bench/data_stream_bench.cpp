// Object streams: a list of 10,000 small pixmaps written to a file and read
// back through a TDataStream, beside fwrite and fread of the same bytes in
// the same run. Compare the pairs as ratios. The fair baselines do the same
// walk by hand: every pixmap made (reading) or visited (writing) and its
// bytes moved with fread or fwrite item by item, as a reader of the format
// written directly on the C library would.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/image.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace {

using namespace vtl;

constexpr int32_t kPixmaps = 10000;

const std::string& FilePath() {
  static const std::string path = (std::filesystem::temp_directory_path() / "vtl_bench_objects.dat").string();
  return path;
}

// 10,000 pixmaps of 8 x 8 RGBA pixels, each a little different.
Ref<TList> PixmapList() {
  static Ref<TList>* list = [] {
    InitImage();
    auto made = new Ref<TList>(New<TList>());
    for (int32_t i = 0; i < kPixmaps; ++i) {
      Ref<TPixmap> pixmap = TPixmap::Create(8, 8, FMT_RGBA8888, 4);
      pixmap->ClearPixels(static_cast<uint32_t>(i) * 2654435761u);
      (*made)->AddLast(pixmap);
    }
    return made;
  }();
  return *list;
}

void WriteList() {
  PixmapList();  // initialises the libraries before the "data" protocol is asked for
  Ref<TStream> out = OpenWriteStream(String("data::") + String(FilePath().c_str()));
  out->WriteObject(PixmapList());
  out->Close();
}

// The bytes the object stream writes, for the baselines.
const std::vector<char>& FileBytes() {
  static const std::vector<char> bytes = [] {
    WriteList();
    std::vector<char> all(static_cast<size_t>(std::filesystem::file_size(FilePath())));
    FILE* f = std::fopen(FilePath().c_str(), "rb");
    if (!f || std::fread(all.data(), 1, all.size(), f) != all.size()) std::abort();
    std::fclose(f);
    return all;
  }();
  return bytes;
}

void DataStreamWritePixmaps(benchmark::State& state) {
  PixmapList();
  for (auto _ : state) WriteList();
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(FileBytes().size()));
}
BENCHMARK(DataStreamWritePixmaps)->Unit(benchmark::kMillisecond);

void BaselineFwriteSameBytes(benchmark::State& state) {
  const std::vector<char>& bytes = FileBytes();
  for (auto _ : state) {
    FILE* f = std::fopen(FilePath().c_str(), "wb");
    benchmark::DoNotOptimize(std::fwrite(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BaselineFwriteSameBytes)->Unit(benchmark::kMillisecond);

void DataStreamReadPixmaps(benchmark::State& state) {
  FileBytes();
  WriteList();
  for (auto _ : state) {
    Ref<TStream> in = OpenReadStream(String("data::") + String(FilePath().c_str()));
    Ref<TList> list = DowncastObject<TList>(in->ReadObject());
    if (!list || list->Count() != kPixmaps) state.SkipWithError("the list did not read back");
    in->Close();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(FileBytes().size()));
}
BENCHMARK(DataStreamReadPixmaps)->Unit(benchmark::kMillisecond);

void BaselineFreadSameBytes(benchmark::State& state) {
  std::vector<char> bytes = FileBytes();
  WriteList();
  for (auto _ : state) {
    FILE* f = std::fopen(FilePath().c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BaselineFreadSameBytes)->Unit(benchmark::kMillisecond);

// The bytes before the first pixmap's record: the list's type byte and tag
// line and its count.
constexpr char kListHead[] = "\x01VTL.List.TList\r\n";
constexpr char kPixmapTag[] = "VTL.Pixmap.TPixmap\r\n";
constexpr uint8_t kListType = 1, kPixmapType = 2;

void FwriteOrAbort(const void* bytes, size_t count, FILE* f) {
  if (std::fwrite(bytes, 1, count, f) != count) std::abort();
}

// The same walk as the object stream's writer, writing each item with fwrite.
void FwriteWalk(FILE* f) {
  Ref<TList> list = PixmapList();
  FwriteOrAbort(kListHead, sizeof kListHead - 1, f);
  const int32_t count = list->Count();
  FwriteOrAbort(&count, 4, f);
  bool first = true;
  for (Ref<TLink> link = list->FirstLink(); link; link = link->NextLink()) {
    auto* pixmap = static_cast<TPixmap*>(link->_value.Get());
    FwriteOrAbort(&kPixmapType, 1, f);
    if (first) FwriteOrAbort(kPixmapTag, sizeof kPixmapTag - 1, f);
    first = false;
    const int32_t head[3] = {pixmap->width, pixmap->height, pixmap->format};
    FwriteOrAbort(head, sizeof head, f);
    const size_t rowBytes = static_cast<size_t>(pixmap->width) * 4;
    for (int32_t y = 0; y < pixmap->height; ++y) FwriteOrAbort(pixmap->PixelPtr(0, y), rowBytes, f);
  }
}

void FreadOrAbort(void* bytes, size_t count, FILE* f) {
  if (std::fread(bytes, 1, count, f) != count) std::abort();
}

// The same walk as the object stream's reader: every pixmap made and filled
// with fread, item by item.
size_t FreadWalk(FILE* f) {
  char head[sizeof kListHead - 1];
  FreadOrAbort(head, sizeof head, f);
  int32_t count = 0;
  FreadOrAbort(&count, 4, f);
  std::vector<Ref<TPixmap>> pixmaps;
  for (int32_t i = 0; i < count; ++i) {
    uint8_t type = 0;
    FreadOrAbort(&type, 1, f);
    if (i == 0) {
      char tag[sizeof kPixmapTag - 1];
      FreadOrAbort(tag, sizeof tag, f);
    }
    int32_t record[3];
    FreadOrAbort(record, sizeof record, f);
    Ref<TPixmap> pixmap = TPixmap::Create(record[0], record[1], record[2], 4);
    const size_t rowBytes = static_cast<size_t>(record[0]) * 4;
    for (int32_t y = 0; y < record[1]; ++y) FreadOrAbort(pixmap->PixelPtr(0, y), rowBytes, f);
    pixmaps.push_back(pixmap);
  }
  return pixmaps.size();
}

// The hand walk must write exactly the object stream's bytes, or it would
// measure something else.
void CheckFwriteWalk() {
  static const bool checked = [] {
    const std::string path = FilePath() + ".walk";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    FwriteWalk(f);
    std::fclose(f);
    std::vector<char> walked(static_cast<size_t>(std::filesystem::file_size(path)));
    f = std::fopen(path.c_str(), "rb");
    if (!f) std::abort();
    FreadOrAbort(walked.data(), walked.size(), f);
    std::fclose(f);
    std::filesystem::remove(path);
    if (walked != FileBytes()) std::abort();
    return true;
  }();
  (void)checked;
}

void FairBaselineFwriteWalk(benchmark::State& state) {
  CheckFwriteWalk();
  for (auto _ : state) {
    FILE* f = std::fopen(FilePath().c_str(), "wb");
    FwriteWalk(f);
    std::fclose(f);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(FileBytes().size()));
}
BENCHMARK(FairBaselineFwriteWalk)->Unit(benchmark::kMillisecond);

void FairBaselineFreadWalk(benchmark::State& state) {
  FileBytes();
  WriteList();
  for (auto _ : state) {
    FILE* f = std::fopen(FilePath().c_str(), "rb");
    if (FreadWalk(f) != static_cast<size_t>(kPixmaps)) state.SkipWithError("the walk did not read back");
    std::fclose(f);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(FileBytes().size()));
}
BENCHMARK(FairBaselineFreadWalk)->Unit(benchmark::kMillisecond);

}  // namespace
