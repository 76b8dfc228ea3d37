// Pixmap conversions, scaling and PNG loading, each beside its baseline:
// memcpy of the same bytes, and a bare libpng decode of the same file.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/image.h"

namespace {

constexpr int32_t kSide = 1024;

vtl::Ref<vtl::TPixmap> Pattern(int32_t format) {
  vtl::InitImage();
  vtl::Ref<vtl::TPixmap> p = vtl::NewPixmap(kSide, kSide, format, 4);
  for (int32_t y = 0; y < kSide; ++y) {
    uint8_t* row = p->PixelPtr(0, y);
    for (int32_t i = 0; i < kSide * vtl::BytesPerPixel[format]; ++i) row[i] = static_cast<uint8_t>(i * 7 + y * 3);
  }
  return p;
}

void BM_Memcpy4MB(benchmark::State& state) {
  std::vector<uint8_t> from(kSide * kSide * 4, 1), to(kSide * kSide * 4);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(to.size()));
}
BENCHMARK(BM_Memcpy4MB);

// Into an existing pixmap (Paste), so only the conversion is measured.
void BM_PasteToRGBA(benchmark::State& state) {
  const int32_t format = static_cast<int32_t>(state.range(0));
  vtl::Ref<vtl::TPixmap> source = Pattern(format);
  vtl::Ref<vtl::TPixmap> target = vtl::NewPixmap(kSide, kSide, vtl::FMT_RGBA8888, 4);
  for (auto _ : state) {
    target->Paste(source, 0, 0);
    benchmark::DoNotOptimize(target->pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kSide * kSide * 4);
}
BENCHMARK(BM_PasteToRGBA)->Arg(vtl::FMT_RGB888)->Arg(vtl::FMT_BGRA8888);

// The whole ConvertPixmapTo, a new pixmap each time.
void BM_ConvertToRGBA(benchmark::State& state) {
  const int32_t format = static_cast<int32_t>(state.range(0));
  vtl::Ref<vtl::TPixmap> source = Pattern(format);
  for (auto _ : state) benchmark::DoNotOptimize(vtl::ConvertPixmapTo(source, vtl::FMT_RGBA8888));
  state.SetBytesProcessed(state.iterations() * kSide * kSide * 4);
}
BENCHMARK(BM_ConvertToRGBA)->Arg(vtl::FMT_RGB888)->Arg(vtl::FMT_BGRA8888);

void BM_ScaleHalf(benchmark::State& state) {
  vtl::Ref<vtl::TPixmap> source = Pattern(vtl::FMT_RGBA8888);
  for (auto _ : state) benchmark::DoNotOptimize(vtl::ScalePixmap(source, kSide / 2, kSide / 2));
}
BENCHMARK(BM_ScaleHalf)->Unit(benchmark::kMillisecond);

const std::string& PngFile() {
  static const std::string path = [] {
    std::string p = (std::filesystem::temp_directory_path() / "vtl_bench_image.png").string();
    vtl::Ref<vtl::TPixmap> pixmap = Pattern(vtl::FMT_RGBA8888);
    vtl::SavePixmapPNG(pixmap, vtl::String::FromLatin1(p), 6);
    return p;
  }();
  return path;
}

void BM_LoadPixmapUrlPng(benchmark::State& state) {
  const vtl::String path = vtl::String::FromLatin1(PngFile());
  for (auto _ : state) {
    vtl::Ref<vtl::TPixmap> p = vtl::LoadPixmapUrl(path);
    if (!p) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(p);
  }
}
BENCHMARK(BM_LoadPixmapUrlPng)->Unit(benchmark::kMillisecond);

// The baseline: libpng straight from the file into one malloc'd buffer,
// with the same transforms. Only plain C state, as setjmp wants.
uint8_t* BareDecode(FILE* file) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return nullptr;  // never taken on the benchmark's file
  }
  png_init_io(png, file);
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_expand(png);
  png_read_update_info(png, info);
  const png_uint_32 h = png_get_image_height(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  auto* pixels = static_cast<uint8_t*>(std::malloc(rowBytes * h));
  auto* rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * h));
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = pixels + y * rowBytes;
  png_read_image(png, rows);
  png_read_end(png, info);
  png_destroy_read_struct(&png, &info, nullptr);
  std::free(rows);
  return pixels;
}

void BM_BareLibpng(benchmark::State& state) {
  const std::string path = PngFile();
  for (auto _ : state) {
    FILE* file = std::fopen(path.c_str(), "rb");
    uint8_t* pixels = file ? BareDecode(file) : nullptr;
    if (!pixels) state.SkipWithError("decode failed");
    if (file) std::fclose(file);
    benchmark::DoNotOptimize(pixels);
    std::free(pixels);
  }
}
BENCHMARK(BM_BareLibpng)->Unit(benchmark::kMillisecond);

}  // namespace
