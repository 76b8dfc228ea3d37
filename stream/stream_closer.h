// Closes a stream when a scope ends, however it ends. Loaders and writers use
// it so that no file stays open after an early return or an exception.
#pragma once

#include <utility>

#include "runtime/object.h"
#include "stream/basic_stream.h"

namespace vtl {

class StreamCloser {
 public:
  explicit StreamCloser(Ref<TStream> stream) : stream_(std::move(stream)) {}
  StreamCloser(const StreamCloser&) = delete;
  StreamCloser& operator=(const StreamCloser&) = delete;
  ~StreamCloser() {
    if (!stream_) return;
    try {
      stream_->Close();
    } catch (...) {
      // A destructor must not throw; the error that ended the scope, if
      // any, is the one that matters.
    }
  }

 private:
  Ref<TStream> stream_;
};

}  // namespace vtl
