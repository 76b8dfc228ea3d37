/// \file
/// TRamStream: a fixed block of memory the stream does not own. It never grows.
#pragma once

#include <cstdint>

#include "stream/basic_stream.h"

namespace vtl {

/// A stream over a fixed block of memory.
class TRamStream : public TStream {
 public:
  /// The position in the block.
  int32_t Pos() override;
  /// The block's size.
  int32_t Size() override;
  /// Clamped into 0 .. Size().
  int32_t Seek(int32_t pos) override;
  /// 0 when count is not positive or the direction is not allowed. Neither
  /// moves past the end of the block.
  ///@{
  int32_t Read(void* buf, int32_t count) override;
  int32_t Write(const void* buf, int32_t count) override;
  ///@}

  /// The memory must outlive the stream. A null buf gives an empty stream.
  static Ref<TRamStream> Create(void* buf, int32_t size, int32_t readable, int32_t writeable);

  int32_t _pos = 0;         ///< The position.
  int32_t _size = 0;        ///< The block's size.
  uint8_t* _buf = nullptr;  ///< The block.
  int32_t _read = 0;        ///< True when reading is allowed.
  int32_t _write = 0;       ///< True when writing is allowed.
};

}  // namespace vtl
