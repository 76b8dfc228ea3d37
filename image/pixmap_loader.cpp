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

// Every loader starts from the same position, which a stream that cannot tell
// its position (a socket) cannot return to: its bytes are read into memory
// once, and the loaders read that. The Null object when the stream fails
// midway or holds more than any loader would accept.
Ref<TStream> InMemory(const Ref<TStream>& stream) {
  auto memory = TBankStream::Create(nullptr);
  const bool copied = RefuseOnStreamError([&]() -> Ref<Object> {
                        CopyStreamBytes(stream, memory, kMaxBufferedFileBytes + 1, 64 * 1024);
                        return memory;
                      }) != nullptr;
  if (!copied || memory->Size() > kMaxBufferedFileBytes) return nullptr;
  memory->Seek(0);
  return memory;
}

}  // namespace

void TPixmapLoader::AfterNew(const Ref<TPixmapLoader>& made) { RegisterPixmapLoader(made); }

int32_t RegisterPixmapLoader(const Ref<TPixmapLoader>& loader) { return Loaders().Add(loader) ? 1 : 0; }

Ref<TPixmap> TPixmapLoader::LoadPixmap(const Ref<TStream>&) { ThrowNullMethod(); }

Ref<TPixmapLoader> TPixmapLoader::First() { return Loaders().Head(); }

Ref<TPixmap> LoadPixmapUrl(const Ref<Object>& url) {
  Ref<TStream> stream = OpenReadStream(url);
  if (!stream) return nullptr;
  StreamCloser closer(stream);
  int32_t start = stream->Pos();
  if (start < 0) {
    stream = InMemory(stream);
    if (!stream) return nullptr;
    start = 0;
  }
  return AskLoaders(Loaders(), stream, start,
                    [&](const Ref<TPixmapLoader>& loader) { return loader->LoadPixmap(stream); });
}

Ref<TPixmap> LoadPixmapUrl(const String& url) { return LoadPixmapUrl(Ref<Object>(url)); }

}  // namespace vtl
