// The loader chain and loading a pixmap from a URL.
#include "image/pixmap.h"
#include "runtime/exceptions.h"
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
  return Loaders().FirstAnswer([&](const Ref<TPixmapLoader>& loader) -> Ref<TPixmap> {
    stream->Seek(start);
    try {
      return loader->LoadPixmap(stream);
    } catch (const ThrownObject& thrown) {
      // A stream error is this loader's refusal; anything else is a real fault.
      if (!DowncastObject<TStreamException>(thrown.object)) throw;
      return nullptr;
    }
  });
}

Ref<TPixmap> LoadPixmapUrl(const String& url) { return LoadPixmapUrl(Ref<Object>(url)); }

}  // namespace vtl
