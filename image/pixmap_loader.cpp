// The loader chain and loading a pixmap from a URL.
#include "image/internal/loader_limits.h"
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

void TPixmapLoader::AfterNew(const Ref<TPixmapLoader>& made) { RegisterPixmapLoader(made); }

int32_t RegisterPixmapLoader(const Ref<TPixmapLoader>& loader) { return Loaders().Add(loader) ? 1 : 0; }

Ref<TPixmap> TPixmapLoader::LoadPixmap(const Ref<TStream>&) { ThrowNullMethod(); }

Ref<TPixmapLoader> TPixmapLoader::First() { return Loaders().Head(); }

Ref<TPixmap> LoadPixmapUrl(const Ref<Object>& url) {
  return LoadFromUrl(
      Loaders(), url, kMaxBufferedFileBytes,
      [](const Ref<TPixmapLoader>& loader, const Ref<TStream>& stream) { return loader->LoadPixmap(stream); });
}

Ref<TPixmap> LoadPixmapUrl(const String& url) { return LoadPixmapUrl(Ref<Object>(url)); }

}  // namespace vtl
