// The loader chain and loading a pixmap from a URL.
#include "image/pixmap.h"
#include "runtime/exceptions.h"
#include "stream/stream.h"

namespace vtl {

namespace {

Ref<TPixmapLoader>& Head() {
  static Ref<TPixmapLoader>* head = new Ref<TPixmapLoader>();  // the chain lives until the process ends
  return *head;
}

}  // namespace

TPixmapLoader::TPixmapLoader() {
  _succ = Head();
  Head() = Ref<TPixmapLoader>(this);
}

Ref<TPixmap> TPixmapLoader::LoadPixmap(const Ref<TStream>&) { ThrowNullMethod(); }

Ref<TPixmapLoader> TPixmapLoader::First() { return Head(); }

Ref<TPixmap> LoadPixmapUrl(const Ref<Object>& url) {
  Ref<TStream> stream = OpenReadStream(url);
  if (!stream) return nullptr;
  StreamCloser closer(stream);
  const int32_t start = stream->Pos();
  if (start == -1) return nullptr;
  for (Ref<TPixmapLoader> loader = Head(); loader; loader = loader->_succ) {
    stream->Seek(start);
    try {
      if (Ref<TPixmap> pixmap = loader->LoadPixmap(stream)) return pixmap;
    } catch (const ThrownObject& thrown) {
      // A stream error is this loader's refusal; anything else is a real fault.
      if (!DowncastObject<TStreamException>(thrown.object)) throw;
    }
  }
  return nullptr;
}

Ref<TPixmap> LoadPixmapUrl(const String& url) { return LoadPixmapUrl(Ref<Object>(url)); }

}  // namespace vtl
