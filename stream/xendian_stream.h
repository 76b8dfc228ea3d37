/// \file
/// TXEndianStream: a view of another stream whose multi-byte values are
/// byte-swapped, for reading and writing big-endian data.
#pragma once

#include <cstdint>

#include "stream/stream_wrapper.h"

namespace vtl {

/// Reads and writes multi-byte values with their bytes reversed; bytes and
/// byte blocks pass unchanged.
class TXEndianStream : public TStreamWrapper {
 public:
  /// Reverse 2, 4 or 8 bytes in place.
  ///@{
  static void Swap2(void* p);
  static void Swap4(void* p);
  static void Swap8(void* p);
  ///@}

  uint16_t ReadShort() override;
  void WriteShort(int32_t n) override;
  int32_t ReadInt() override;
  void WriteInt(int32_t n) override;
  int64_t ReadLong() override;
  void WriteLong(int64_t n) override;
  float ReadFloat() override;
  void WriteFloat(float f) override;
  double ReadDouble() override;
  void WriteDouble(double d) override;

  /// A swapping view, or the Null object for a Null stream.
  static Ref<TXEndianStream> Create(const Ref<TStream>& stream);
  /// This machine is little-endian: big-endian needs the swap, little-endian
  /// is the stream itself.
  ///@{
  static Ref<TStream> BigEndian(const Ref<TStream>& stream);
  static Ref<TStream> LittleEndian(const Ref<TStream>& stream);
  ///@}
};

}  // namespace vtl
