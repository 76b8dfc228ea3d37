// The loader chain and loading a pixmap from a URL.
#include "image/pixmap.h"
#include "runtime/registry.h"
#include "stream/stream.h"

namespace vtl {

namespace {

Registry<TPixmapLoader>& Loaders() {
  static auto* chain = new Registry<TPixmapLoader>();  // lives until the process ends
  return *chain;
}

}  // namespace

TPixmapLoader::TPixmapLoader() { Loaders().Add(Ref<TPixmapLoader>(this)); }

Ref<TPixmap> TPixmapLoader::LoadPixmap(const Ref<TStream>&) { ThrowNullMethod(); }

Ref<TPixmapLoader> TPixmapLoader::First() { return Loaders().Head(); }

Ref<TPixmap> LoadPixmapUrl(const Ref<Object>& url) {
  Ref<TStream> stream = OpenReadStream(url);
  if (!stream) return nullptr;
  StreamCloser closer(stream);
  const int32_t start = stream->Pos();
  if (start == -1) return nullptr;
  return AskLoaders(Loaders(), stream, start,
                    [&](const Ref<TPixmapLoader>& loader) { return loader->LoadPixmap(stream); });
}

Ref<TPixmap> LoadPixmapUrl(const String& url) { return LoadPixmapUrl(Ref<Object>(url)); }

}  // namespace vtl
