/// \file
/// Closes a stream when a scope ends, however it ends. Loaders and writers use
/// it so that no file stays open after an early return or an exception.
#pragma once

#include <utility>

#include "runtime/object.h"
#include "stream/basic_stream.h"

namespace vtl {

/// Closes the stream it holds when it goes out of scope.
class StreamCloser {
 public:
  /// Holds stream (which may be the Null object) until the scope ends.
  explicit StreamCloser(Ref<TStream> stream) : stream_(std::move(stream)) {}
  StreamCloser(const StreamCloser&) = delete;
  StreamCloser& operator=(const StreamCloser&) = delete;
  /// Closes the stream; an error from Close() is dropped.
  ~StreamCloser() {
    if (!stream_) return;
    try {
      stream_->Close();
    } catch (...) {
      // A destructor must not throw; the error that ended the scope, if
      // any, is the one that matters.
    }
  }

  /// Closes the stream now, for writers whose last bytes may reach the file
  /// only at the close: false when that failed (a full disk, say). The
  /// destructor then has nothing left to close.
  bool CloseNow() {
    Ref<TStream> stream = std::move(stream_);
    if (!stream) return true;
    try {
      stream->Close();
    } catch (...) {
      return false;
    }
    return true;
  }

 private:
  Ref<TStream> stream_;
};

}  // namespace vtl
