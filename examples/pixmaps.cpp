// Pixmaps without a window: make one in code, convert it between pixel
// formats, scale and flip it, save it as PNG and JPEG, load the files back and
// compare. The files are written next to the program: RunProgram makes the
// program's directory the current one.
//   example_pixmaps
#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "framework/framework.h"

namespace {

using namespace vtl;

const char* FormatName(int32_t format) {
  static const char* names[] = {"none", "GREY8",  "ALPHA8", "BGR888",     "RGB888",     "BGRA8888",  "RGBA8888",
                                "RED8", "GREEN8", "BLUE8",  "DARKALPHA8", "INTENSITY8", "LUMINANCE8"};
  return IsPixelFormat(format) ? names[format] : names[0];
}

String Size(const Ref<TPixmap>& p) {
  return StringFromInt(p->width) + " x " + StringFromInt(p->height) + " " + FormatName(p->format);
}

// Rows are padded to a multiple of 4 bytes: the pitch is the distance between rows.
void Describe(const char* what, const Ref<TPixmap>& p) {
  std::cout << what << ": " << Size(p) << ", pitch " << p->pitch << ", pixel (10, 5) = $"
            << HexString(static_cast<int32_t>(p->ReadPixel(10, 5))) << "\n";
}

// The largest difference of any colour channel between two pixmaps of one size.
int32_t LargestDifference(const Ref<TPixmap>& a, const Ref<TPixmap>& b) {
  int32_t largest = 0;
  for (int32_t y = 0; y < a->height; ++y)
    for (int32_t x = 0; x < a->width; ++x)
      for (int32_t shift = 0; shift < 24; shift += 8) {
        const int32_t d = static_cast<int32_t>((a->ReadPixel(x, y) >> shift) & 255) -
                          static_cast<int32_t>((b->ReadPixel(x, y) >> shift) & 255);
        largest = std::max(largest, std::abs(d));
      }
  return largest;
}

void SaveAndLoad(const char* file, const Ref<TPixmap>& p, bool jpeg) {
  const int32_t saved = jpeg ? SavePixmapJPEG(p, file, 90) : SavePixmapPNG(p, file);
  if (saved == 0) RuntimeError(String("cannot write ") + file);
  Ref<TPixmap> back = LoadPixmapUrl(String(file));
  if (back == nullptr) RuntimeError(String("cannot read ") + file + " back");
  // PNG keeps every pixel; JPEG is lossy, its pixels only come close.
  const int32_t difference = LargestDifference(p, back);
  std::cout << file << " read back: " << Size(back) << ", "
            << (difference == 0    ? "the same pixels"
                : difference <= 12 ? "close to the original"
                                   : "CHANGED")
            << "\n";
}

void Main() {
  InitFramework();
  // A gradient: red grows to the right, green downwards, alpha fades out.
  Ref<TPixmap> rgba = NewPixmap(64, 48, FMT_RGBA8888);
  for (int32_t y = 0; y < 48; ++y)
    for (int32_t x = 0; x < 64; ++x)
      rgba->WritePixel(x, y, uint32_t(255 - x * 2) << 24 | x * 4 << 16 | y * 5 << 8 | 128);
  Describe("made", rgba);

  // Conversions: a packed colour reads the same whatever the layout in memory.
  Describe("as RGB888", rgba->Convert(FMT_RGB888));
  Describe("as BGRA8888", ConvertPixmapTo(rgba, FMT_BGRA8888));
  Describe("as GREY8", ConvertPixmapTo(rgba, FMT_GREY8));
  Describe("scaled", ScalePixmap(rgba, 128, 96));
  Describe("flipped", FlipPixmapHorizontal(rgba));
  Describe("window at (8, 8)", rgba->Window(8, 8, 32, 16));

  SaveAndLoad("example_pixmaps.png", rgba, false);
  SaveAndLoad("example_pixmaps_grey.png", ConvertPixmapTo(rgba, FMT_GREY8), false);
  SaveAndLoad("example_pixmaps.jpg", rgba->Convert(FMT_RGB888), true);
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
