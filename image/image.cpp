#include "image/image.h"

#include "runtime/class_record.h"
#include "runtime/module.h"
#include "stream/stream.h"

namespace vtl {

namespace {

void RegisterPixmapClasses() {
  ClassBuilder<TPixmap, TData>("TPixmap")
      .Field<&TPixmap::width>("width")
      .Field<&TPixmap::height>("height")
      .Field<&TPixmap::pitch>("pitch")
      .Field<&TPixmap::format>("format")
      .Field<&TPixmap::capacity>("capacity")
      .Field<&TPixmap::_source>("_source")
      .Method<&TPixmap::Window>("Window")
      .Method<&TPixmap::Copy>("Copy")
      .Method<&TPixmap::Paste>("Paste")
      .Method<&TPixmap::Convert>("Convert")
      .Method<&TPixmap::ReadPixel>("ReadPixel")
      .Method<&TPixmap::WritePixel>("WritePixel")
      .Method<&TPixmap::ClearPixels>("ClearPixels")
      .Register();
  ClassBuilder<TPixmapDataType, TDataType>("TPixmapDataType").Register();
  ClassBuilder<TPixmapLoader, Object>("TPixmapLoader")
      .Field<&TPixmapLoader::_succ>("_succ")
      .Method<&TPixmapLoader::LoadPixmap>("LoadPixmap")
      .Register();
  ClassBuilder<TPixmapLoaderTGA, TPixmapLoader>("TPixmapLoaderTGA").Register();
  ClassBuilder<TPixmapLoaderPNG, TPixmapLoader>("TPixmapLoaderPNG").Register();
  ClassBuilder<TPixmapLoaderJPG, TPixmapLoader>("TPixmapLoaderJPG").Register();
  ClassBuilder<TPixmapLoaderBMP, TPixmapLoader>("TPixmapLoaderBMP").Register();
}

void RegisterImageClasses() {
  ClassBuilder<TImageFrame, Object>("TImageFrame").Method<&TImageFrame::Draw>("Draw").Register();
  ClassBuilder<TImage, TData>("TImage")
      .Field<&TImage::width>("width")
      .Field<&TImage::height>("height")
      .Field<&TImage::flags>("flags")
      .Field<&TImage::mask_r>("mask_r")
      .Field<&TImage::mask_g>("mask_g")
      .Field<&TImage::mask_b>("mask_b")
      .Field<&TImage::handle_x>("handle_x")
      .Field<&TImage::handle_y>("handle_y")
      .Field<&TImage::pixmaps>("pixmaps")
      .Field<&TImage::frames>("frames")
      .Field<&TImage::seqs>("seqs")
      .Method<&TImage::Frame>("Frame")
      .Method<&TImage::Lock>("Lock")
      .Method<&TImage::SetPixmap>("SetPixmap")
      .Function<&TImage::Create>("Create")
      .Function<&TImage::Load>("Load")
      .Function<&TImage::LoadAnim>("LoadAnim")
      .Register();
}

}  // namespace

void InitImage() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitStream();
  RegisterPixmapClasses();
  RegisterImageClasses();
  PixmapDataType = New<TPixmapDataType>();
  RegisterDataType(PixmapDataType);
  RegisterDataType(ImageDataType());  // now, so that object streams can read images before any is made
  // Each loader goes to the head of the chain: the last registered is tried first.
  RegisterPixmapLoader(New<TPixmapLoaderBMP>());
  RegisterPixmapLoader(New<TPixmapLoaderJPG>());
  RegisterPixmapLoader(New<TPixmapLoaderPNG>());
  RegisterPixmapLoader(New<TPixmapLoaderTGA>());
  RegisterFontLoader(New<TFreeTypeFontLoader>());
}

}  // namespace vtl
