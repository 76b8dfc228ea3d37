/// \file
/// TBankStream: a bank read and written like a file. Writing past the end
/// grows the bank. TBankStreamFactory opens one when the URL object of
/// OpenStreamUrl is a bank.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/bank.h"
#include "stream/basic_stream.h"
#include "stream/stream_factory.h"

namespace vtl {

/// A stream over a bank, from its first byte.
class TBankStream : public TStream {
 public:
  /// True at or past the bank's end (the bank may have shrunk under the stream).
  int32_t Eof() override;
  /// The position.
  int32_t Pos() override;
  /// The bank's size.
  int32_t Size() override;
  /// Clamped into 0 .. Size(); returns the new position.
  int32_t Seek(int32_t pos) override;
  /// Copies up to count bytes from the position; 0 when count is below 1 or
  /// the position is at or past the end.
  int32_t Read(void* buf, int32_t count) override;
  /// Copies count bytes at the position, growing the bank when they reach
  /// past its end; returns count. 0 when count is below 1 or the position is
  /// past the end. A write that would take the bank beyond 2147483647 bytes
  /// raises a TRuntimeException.
  int32_t Write(const void* buf, int32_t count) override;

  /// A stream at position 0 over the bank; a Null bank becomes a new empty one.
  static Ref<TBankStream> Create(const Ref<TBank>& bank);

  int32_t _pos = 0;  ///< The position.
  Ref<TBank> _bank;  ///< The bank read and written.
};

/// Answers to a bank as the URL object, whatever the flags: a TBankStream
/// over it. Any other URL is left to the other factories.
class TBankStreamFactory : public TStreamFactory {
 public:
  /// A TBankStream when url is a bank, else the Null object.
  Ref<TStream> CreateStream(const Ref<Object>& url, const String& protocol, const String& path, int32_t readable,
                            int32_t writeable) override;
};

}  // namespace vtl
