/// \file
/// Streams over other streams. TStreamWrapper forwards to _stream;
/// TStreamStream is the wrapper handed out when a stream is "opened" again,
/// whose Close lets go of the inner stream without closing it.
#pragma once

#include "stream/basic_stream.h"

namespace vtl {

/// Forwards every operation to the stream in _stream. Closing a wrapper
/// closes the stream it wraps; so does dropping the last reference to it.
class TStreamWrapper : public TStream {
 public:
  /// The stream to forward to.
  void SetStream(const Ref<TStream>& stream);

  int32_t Eof() override;
  int32_t Pos() override;
  int32_t Size() override;
  int32_t Seek(int32_t pos) override;
  void Flush() override;
  void Close() override;
  int32_t Read(void* buf, int32_t count) override;
  int32_t Write(const void* buf, int32_t count) override;

  uint8_t ReadByte() override;
  void WriteByte(int32_t n) override;
  uint16_t ReadShort() override;
  void WriteShort(int32_t n) override;
  int32_t ReadInt() override;
  void WriteInt(int32_t n) override;
  float ReadFloat() override;
  void WriteFloat(float f) override;
  double ReadDouble() override;
  void WriteDouble(double d) override;
  String ReadLine() override;
  String ReadLineUpTo(int32_t maxLength, int32_t& ended) override;
  int32_t WriteLine(const String& text) override;
  String ReadString(int32_t length) override;
  void WriteString(const String& text) override;
  Ref<Object> ReadObject() override;
  void WriteObject(const Ref<Object>& object) override;

  Ref<TStream> _stream;  ///< The wrapped stream.
};

/// A wrapper that borrows its stream: what opening an already open stream gives.
class TStreamStream : public TStreamWrapper {
 public:
  /// Drops the reference to the wrapped stream and leaves it open.
  void Close() override;

  /// A wrapper over stream.
  static Ref<TStreamStream> Create(const Ref<TStream>& stream);
};

}  // namespace vtl
