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

// Everything the objects write through a TDataStream over memory.
DataBytes WriteObjects(const std::vector<Ref<Object>>& objects);
// Named object streams of every data type, for replay and fuzzing seeds.
// Lists that contain themselves are cleared again after writing.
std::vector<std::pair<std::string, DataBytes>> SampleDataStreams();

}  // namespace vtl::test
