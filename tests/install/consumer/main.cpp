// A program built against the installed framework, as a user would build it.
// Without opening a window it writes a small PNG, loads it back through the
// loader chain and checks size and pixels; it also reads the built-in font,
// which the installed libraries must carry, renders a glyph of DejaVu Sans
// through the outline font loader (FreeType linked in), and, when built through CMake, a
// file it embedded itself with vtl_embed_files(). Any failure ends the
// program through the runtime's unhandled path (exit code 255).
#include "framework/framework.h"

namespace {

void Expect(bool ok, const char* what) {
  if (!ok) vtl::RuntimeError(vtl::String("consumer: ") + what);
}

void Main() {
  vtl::InitFramework();

  const vtl::String file = vtl::LaunchDirectory + "/consumer.png";
  vtl::Ref<vtl::TPixmap> drawn = vtl::NewPixmap(5, 3, vtl::FMT_RGBA8888);
  drawn->ClearPixels(0xFF000000u);
  drawn->WritePixel(4, 2, 0x80336699u);
  Expect(vtl::SavePixmapPNG(drawn, file) == 1, "SavePixmapPNG failed");

  vtl::Ref<vtl::TPixmap> loaded = vtl::LoadPixmapUrl(file);
  Expect(loaded != nullptr, "LoadPixmapUrl gave no pixmap");
  Expect(loaded->width == 5 && loaded->height == 3, "the loaded pixmap has the wrong size");
  Expect(loaded->format == vtl::FMT_RGBA8888, "the loaded pixmap lost its alpha");
  Expect(loaded->ReadPixel(4, 2) == 0x80336699u, "the loaded pixel differs");
  Expect(loaded->ReadPixel(0, 0) == 0xFF000000u, "the loaded background differs");

  // 96 glyphs of 8 x 16 pixels at one bit per pixel.
  vtl::Ref<vtl::Array<uint8_t>> font = vtl::LoadBytesUrl("incbin::quornfont.bin");
  Expect(font != nullptr && font->Length() == 96 * 16, "the built-in font is missing");

  vtl::Ref<vtl::TFont> sans = vtl::LoadFontUrl("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 16, 0);
  Expect(sans != nullptr, "the outline font loader opened no font");
  vtl::Ref<vtl::TGlyph> a = sans->LoadGlyph(sans->CharToGlyph('A'));
  Expect(a != nullptr && vtl::DowncastObject<vtl::TPixmap>(a->Pixels()) != nullptr, "the glyph has no pixels");

#ifdef CONSUMER_EMBEDDED_NOTE
  vtl::Ref<vtl::Array<uint8_t>> note = vtl::LoadBytesUrl("incbin::note.txt");
  Expect(note != nullptr && note->Length() == 6 && (*note)[0] == 'e', "the embedded note is missing");
#endif
}

}  // namespace

int main(int argc, char** argv) { return vtl::RunProgram(argc, argv, Main); }
