/// \file
/// Asking a chain of file decoders (pixmap loaders, sample loaders) to read
/// one URL. Every loader starts from the same position, a stream that cannot
/// seek back is read into memory first, and a stream error inside a loader
/// is that loader's refusal, so a decoder that reads past the end of a
/// foreign file cannot keep the next one from trying. When every loader
/// refuses, LastErrorText() says why, loader by loader:
///
///     title.png: not a TGA file; PNG: the file ends inside the image data
///     (truncated); not a JPEG file; not a BMP file
///
/// A loader gives its reason with `return RefuseLoad("not a PNG file");`; a
/// loader that gives none is listed as "<name> loader refused it".
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "runtime/exceptions.h"
#include "runtime/registry.h"
#include "stream/basic_stream.h"
#include "stream/stream_exceptions.h"

namespace vtl {

/// Records reason as the loader's refusal and returns the Null object, for
/// `return RefuseLoad("not a WAV file");`. The reason is short and says what
/// the data is not or where it goes wrong; name the format when the words
/// alone do not.
std::nullptr_t RefuseLoad(const String& reason);

/// Calls load() and returns its answer; a TStreamException it throws becomes
/// the Null object (a refusal), any other exception reaches the caller.
template <class Load>
auto RefuseOnStreamError(Load&& load) -> decltype(load()) {
  try {
    return load();
  } catch (const ThrownObject& thrown) {
    if (!DowncastObject<TStreamException>(thrown.object)) throw;
    return nullptr;
  }
}

/// One walk of a loader chain over a URL: the stream every loader reads, and
/// the reasons of those that refused. LoadFromUrl drives it.
class LoaderChainWalk {
 public:
  /// Opens url for reading (OpenReadStream). A stream that cannot tell its
  /// position is read into memory, at most maxBufferedBytes of it. When
  /// nothing opens, the stream fails while it is read, or it holds more than
  /// that, Stream() is the Null object and LastErrorText() says why.
  LoaderChainWalk(const Ref<Object>& url, int32_t maxBufferedBytes);
  /// Closes what was opened.
  ~LoaderChainWalk();
  LoaderChainWalk(const LoaderChainWalk&) = delete;
  LoaderChainWalk& operator=(const LoaderChainWalk&) = delete;

  /// The stream the loaders read, or the Null object.
  const Ref<TStream>& Stream() const { return stream_; }
  /// Seeks back to where the data starts and forgets the last reason given.
  void BeforeLoader();
  /// Notes the refusal of the loader just asked: the reason it gave, else
  /// the stream exception it raised (thrown; Null when it returned Null),
  /// else that it refused. base is the chain's class, whose name is left
  /// off the loader's (TPixmapLoaderPNG is "PNG").
  void Refused(const Object& loader, const std::type_info& base, const Ref<Object>& thrown);
  /// A loader answered: LastErrorText() is what it was before the walk.
  void Accepted();
  /// Every loader refused: LastErrorText() lists their reasons.
  void AllRefused();

 private:
  String Named(const String& text) const;

  String name_;    // the URL when it is a name, for the messages
  String before_;  // LastErrorText() when the walk began
  Ref<TStream> opened_;
  Ref<TStream> stream_;
  int32_t start_ = 0;
  std::vector<String> reasons_;
};

/// Opens url and asks the chain's loaders, newest first, each from the same
/// start; load(loader, stream) does the asking. Returns the first answer that
/// is not the Null object, or the Null object when nothing opens or every
/// loader refuses (LastErrorText() then says why; an answer leaves it as it
/// was). A TStreamException raised by load counts as a refusal; any other
/// exception reaches the caller. The stream is closed before returning.
template <RegistryEntry Loader, class Load>
auto LoadFromUrl(const Registry<Loader>& chain, const Ref<Object>& url, int32_t maxBufferedBytes, Load&& load)
    -> std::remove_cvref_t<std::invoke_result_t<Load&, const Ref<Loader>&, const Ref<TStream>&>> {
  LoaderChainWalk walk(url, maxBufferedBytes);
  if (!walk.Stream()) return nullptr;
  for (const Ref<Loader>& loader : chain) {
    walk.BeforeLoader();
    Ref<Object> thrown;
    try {
      if (auto answer = load(loader, walk.Stream())) {
        walk.Accepted();
        return answer;
      }
    } catch (const ThrownObject& error) {
      if (!DowncastObject<TStreamException>(error.object)) throw;
      thrown = error.object;
    }
    walk.Refused(*loader, typeid(Loader), thrown);
  }
  walk.AllRefused();
  return nullptr;
}

}  // namespace vtl
