// Object streams: a list of 10,000 small pixmaps written to a file and read
// back through a TDataStream, beside fwrite and fread of the same bytes in
// the same run. Compare the pairs as ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
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

}  // namespace
