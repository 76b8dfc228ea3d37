/// \file
/// TIO: the raw byte interface every stream implements. Positions, sizes and
/// counts are 32-bit; a stream that does not know them answers -1 and 0.
#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace vtl {

/// The raw byte interface: position, size, and reads and writes of bytes.
class TIO : public Object {
 public:
  /// True when Pos() equals Size().
  virtual int32_t Eof();
  /// -1 by default: the position is unknown.
  virtual int32_t Pos();
  /// The size in bytes; 0 by default.
  virtual int32_t Size();
  /// Moves to pos from the start; returns the new position (-1 by default).
  virtual int32_t Seek(int32_t pos);
  /// Hands buffered writes on; nothing by default.
  virtual void Flush();
  /// Ends the stream's use of its resource. When the last reference to a
  /// stream goes, its Close() runs first (errors there have nowhere to go and
  /// are dropped), so a stream class needs no destructor to close itself.
  virtual void Close();
  /// Up to count bytes; returns how many moved. The base raises
  /// "Stream is not readable" / "Stream is not writeable".
  ///@{
  virtual int32_t Read(void* buf, int32_t count);
  virtual int32_t Write(const void* buf, int32_t count);
  ///@}

 protected:
  /// Runs Close(), dropping any error it raises.
  void OnLastRelease() noexcept override;
};

}  // namespace vtl
