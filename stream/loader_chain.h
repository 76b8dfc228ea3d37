/// \file
/// Asking a chain of file decoders (pixmap loaders, sample loaders) to read
/// one stream. Every loader starts from the same position, and a stream error
/// inside a loader is that loader's refusal, so a decoder that reads past the
/// end of a foreign file cannot keep the next one from trying.
#pragma once

#include <cstdint>

#include "runtime/exceptions.h"
#include "runtime/registry.h"
#include "stream/basic_stream.h"
#include "stream/stream_exceptions.h"

namespace vtl {

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

/// Seeks the stream back to start before each loader of the chain, newest
/// first, and returns the first answer that is not the Null object (the Null
/// object when all refuse). load(loader) does the asking; a TStreamException
/// it throws counts as a refusal, any other exception reaches the caller.
template <RegistryEntry Loader, class Load>
auto AskLoaders(const Registry<Loader>& chain, const Ref<TStream>& stream, int32_t start, Load&& load) {
  return chain.FirstAnswer([&](const Ref<Loader>& loader) -> decltype(load(loader)) {
    stream->Seek(start);
    return RefuseOnStreamError([&] { return load(loader); });
  });
}

}  // namespace vtl
