// A stream that cannot tell its position, as a socket or a pipe: bytes
// handed out at most 100 a read, and a stream error once failAt bytes have
// gone. Header only, for the suites whose libraries link vtl::stream.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>

#include "stream/stream.h"
#include "test_file_helpers.h"

namespace vtl::test {

class OneWayStream : public TStream {
 public:
  explicit OneWayStream(Bytes bytes, size_t failAt = SIZE_MAX) : bytes_(std::move(bytes)), failAt_(failAt) {}
  int32_t Eof() override { return at_ == bytes_.size(); }
  int32_t Read(void* buf, int32_t count) override {
    if (at_ >= failAt_) ThrowStreamRead();
    const size_t n = std::min({static_cast<size_t>(count), size_t{100}, bytes_.size() - at_, failAt_ - at_});
    std::copy_n(bytes_.begin() + static_cast<long>(at_), n, static_cast<uint8_t*>(buf));
    at_ += n;
    return static_cast<int32_t>(n);
  }

 private:
  Bytes bytes_;
  size_t failAt_;
  size_t at_ = 0;
};

}  // namespace vtl::test
