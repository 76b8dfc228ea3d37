// Object graphs and the object-stream bytes they make, shared by the
// object-stream tests, their corpus maker and the benchmark's checks.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "image/image.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace vtl::test {

using DataBytes = std::vector<uint8_t>;

// A w x h pixmap of the format whose every byte is a function of its place.
Ref<TPixmap> PatternPixmap(int32_t width, int32_t height, int32_t format);
// Three frames of 3 x 2 pixels, the middle one left without a pixmap.
Ref<TImage> SampleImage();
// A list of two lists that share one pixmap, and a list that contains itself.
Ref<TList> SharedGraph();

// A source that cannot tell its position or size, as a pipe: bytes, then
// fillCount copies of fill, then its end. `given` counts the bytes handed out.
// A reader still asking for more after it has been told of the end a
// thousand times would never stop: it is stopped by a plain object thrown,
// no stream or runtime error, so tests and the fuzz target see it.
class TSizelessSource : public TStream {
 public:
  explicit TSizelessSource(DataBytes bytes, size_t fillCount = 0, uint8_t fill = 0)
      : bytes_(std::move(bytes)), fillCount_(fillCount), fill_(fill) {}
  // -1: unknown.
  int32_t Size() override { return -1; }
  // True once every byte was handed out.
  int32_t Eof() override;
  int32_t Read(void* buf, int32_t count) override;

  size_t given = 0;

 private:
  DataBytes bytes_;
  size_t fillCount_;
  uint8_t fill_;
  int32_t endsTold_ = 0;
};

// Everything the objects write through a TDataStream over memory.
DataBytes WriteObjects(const std::vector<Ref<Object>>& objects);
// Named object streams of every data type, for replay and fuzzing seeds.
// Lists that contain themselves are cleared again after writing.
std::vector<std::pair<std::string, DataBytes>> SampleDataStreams();
// Named object streams that claim far more than they hold: a tag line longer
// than any tag, and lengths and counts near the int limit. Reading them must
// fail quickly, over a stream that knows its size and over one that does not.
std::vector<std::pair<std::string, DataBytes>> HostileDataStreams();

}  // namespace vtl::test
