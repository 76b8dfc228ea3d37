/// \file
/// TStream: typed reads and writes over TIO's Read and Write. Values move in
/// little-endian byte order; reading past the end completes a value with zero
/// bytes rather than failing.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/io.h"

namespace vtl {

/// Typed reads and writes in little-endian byte order over TIO's Read and Write.
class TStream : public TIO {
 public:
  /// Reads until count bytes arrived or the stream reports its end; a Read
  /// that makes no progress before the end raises TStreamReadException,
  /// unless the stream reports its end after it (a socket learns that the
  /// other side closed only by reading).
  /// Returns count even when it stopped early (the rest of buf is untouched).
  virtual int32_t ReadBytes(void* buf, int32_t count);
  /// Writes all count bytes; a Write that makes no progress raises
  /// TStreamWriteException. Returns count.
  virtual int32_t WriteBytes(const void* buf, int32_t count);
  /// Reads and discards up to count bytes, stopping at the end.
  virtual int32_t SkipBytes(int32_t count);

  /// A value in little-endian byte order. Reads go through ReadBytes, so a
  /// read past the end completes the value with zero bytes; writes go
  /// through WriteBytes, bytes and shorts from the low bits of n.
  ///@{
  virtual uint8_t ReadByte();
  virtual void WriteByte(int32_t n);
  virtual uint16_t ReadShort();
  virtual void WriteShort(int32_t n);
  virtual int32_t ReadInt();
  virtual void WriteInt(int32_t n);
  virtual int64_t ReadLong();
  virtual void WriteLong(int64_t n);
  virtual float ReadFloat();
  virtual void WriteFloat(float f);
  virtual double ReadDouble();
  virtual void WriteDouble(double d);
  ///@}

  /// One line of bytes (codes 0 to 255): ends at a line feed, a zero byte or
  /// the end of the data; carriage returns are dropped.
  virtual String ReadLine();
  /// ReadLine with a bound, for data that may never end a line: it reads no
  /// more than maxLength bytes (characters on a text stream) of the line, the
  /// dropped carriage returns included. When that many came without the line
  /// ending, ended is set to 0 and the rest of the line is left unread;
  /// otherwise ended is 1.
  virtual String ReadLineUpTo(int32_t maxLength, int32_t& ended);
  /// The text's low bytes followed by 13, 10; true only if all were written.
  virtual int32_t WriteLine(const String& text);
  /// length bytes as one character each. Stops early (and the text is then
  /// shorter) when the stream ends first.
  virtual String ReadString(int32_t length);
  /// The text's low bytes, all of them (WriteBytes); nothing is appended.
  virtual void WriteString(const String& text);

  /// Plain streams carry no objects. These raise "Unable to read object" and
  /// "Unable to write object".
  ///@{
  virtual Ref<Object> ReadObject();
  virtual void WriteObject(const Ref<Object>& object);
  ///@}
};

}  // namespace vtl
