// The blocks an object stream reads ahead into and writes behind from, and
// its tables of what it has written. Private to data_stream.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "stream/data_stream.h"

namespace vtl {

struct TDataStream::Blocks {
  // The first read-ahead of an outermost read; each refill doubles it up to
  // kMostAhead, so a small object costs a small read and a large graph few.
  static constexpr int32_t kFirstAhead = 256;
  static constexpr int32_t kMostAhead = 64 * 1024;
  static constexpr size_t kMostBehind = 64 * 1024;

  // Bytes [begin, end) of ahead were read from the wrapped stream and not
  // taken yet.
  std::unique_ptr<uint8_t[]> ahead;
  int32_t begin = 0;
  int32_t end = 0;
  int32_t chunk = kFirstAhead;
  bool reading = false;    // an outermost ReadObject runs
  bool readAhead = false;  // and the wrapped stream may be read ahead

  std::vector<uint8_t> behind;  // written, not yet handed to the wrapped stream
  bool writing = false;         // an outermost WriteObject runs
  bool writeBehind = false;     // and its bytes are held back

  // Objects and types written, by identity, to their numbers. The objects
  // are kept alive by _datas and the types here, so no address is reused
  // while the stream remembers it.
  std::unordered_map<const Object*, int32_t> written;
  std::unordered_map<const TDataType*, std::pair<Ref<TDataType>, int32_t>> writtenTypes;

  int32_t Left() const { return end - begin; }
  void Drop() { begin = end = 0; }
  // Moves up to count bytes read ahead to to; returns how many.
  int32_t Take(void* to, int32_t count);
  // Reads from the stream until need bytes are ahead, or the chunk is, as
  // far as the stream's size allows; false when fewer than need came.
  bool Fill(TStream& from, int32_t need);
  // Holds the bytes back.
  void Put(const void* bytes, int32_t count);
};

}  // namespace vtl
