/// \file
/// Object streams: TDataStream writes data objects (TData) with everything
/// they refer to, and reads them back with shared and cyclic references
/// kept. Per object it writes one byte: 0 for the Null object (or any object
/// that is not a TData), 255 and the object's number for an object already
/// written, or the object's type number, followed on the type's first use by
/// its tag as a line, and then the type's own record.
///
/// Object streams are read from files that may come from anywhere, so
/// reading checks what it is given: a reference to an object not read yet, a
/// type number whose tag was never given, a record longer than the bytes
/// left and nesting deeper than TDataStream::MaxDepth each raise a runtime
/// error whose text starts with "DataStream"; errors of the wrapped stream
/// pass through unchanged. A tag line longer than every registered tag is
/// refused as an unknown type once that many bytes have come, so a source
/// that never ends the line (a pipe, a socket) cannot fill memory with it.
/// Over a stream that cannot tell its size, a record is believed only as far
/// as its bytes arrive: every read first asks whether the data has ended.
///
/// Over a file, a memory block or a bank stream, an object stream reads ahead
/// and writes behind in blocks of its own while one outermost ReadObject or
/// WriteObject runs, and hands the wrapped stream back where the objects'
/// bytes end: bytes read ahead are given back by seeking back (should that
/// seek fail, they stay in the object stream, whose own reads take them
/// first), and bytes held back are written before the call returns, errors
/// included. Reads and writes of other kinds through the object stream, and
/// any use of the wrapped stream between such calls, see the same bytes and
/// positions as without the blocks. Streams that cannot tell their position
/// (pipes, sockets) and streams that change how numbers are stored (byte
/// order, text) are read and written directly, as a reader there must not
/// wait for bytes nobody has sent yet.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/array.h"
#include "runtime/data_type.h"
#include "runtime/map.h"
#include "stream/stream_factory.h"
#include "stream/stream_wrapper.h"

namespace vtl {

/// The number an object stream gives an object or a type, as a map value.
class TDataId : public Object {
 public:
  /// Orders by id; anything that is not a TDataId by identity.
  int32_t Compare(const Ref<Object>& other) const override;

  /// A new id object holding id.
  static Ref<TDataId> Create(int32_t id);

  int32_t id = 0;  ///< The number.
};

/// Writes and reads object graphs over another stream (see the file comment
/// for the format). Objects are numbered from 1 in the order they are
/// written or read, types from 1 in the order of their first use.
class TDataStream : public TStreamWrapper {
 public:
  /// The deepest nesting of objects inside objects that is written or read;
  /// a deeper graph raises "DataStream nests objects deeper than 1000".
  static constexpr int32_t MaxDepth = 1000;

  /// A stream with nothing numbered yet and no wrapped stream.
  TDataStream();
  /// Frees the read-ahead and write-behind blocks.
  ~TDataStream() override;

  /// Reads one object and what it refers to: the Null object for a 0 byte,
  /// an object read before for a back reference, else a new object.
  Ref<Object> ReadObject() override;
  /// Writes the object (see the file comment); raises "Too many DataTypes"
  /// when a 255th type would be needed.
  void WriteObject(const Ref<Object>& object) override;

  /// The wrapped stream's reads, refused with a runtime error when the
  /// stream knows its size and fewer bytes are left than the value needs
  /// (lines are refused by the tag rule only).
  ///@{
  uint8_t ReadByte() override;
  uint16_t ReadShort() override;
  int32_t ReadInt() override;
  int64_t ReadLong() override;
  float ReadFloat() override;
  double ReadDouble() override;
  int32_t ReadBytes(void* buf, int32_t count) override;
  String ReadString(int32_t length) override;
  ///@}
  /// The wrapped stream's lines (a tag line is bounded by the tag rule).
  ///@{
  String ReadLine() override;
  String ReadLineUpTo(int32_t maxLength, int32_t& ended) override;
  ///@}
  /// The wrapped stream's 64-bit write, in its byte order.
  void WriteLong(int64_t n) override;

  /// The wrapped stream's, counting the bytes read ahead or held back (see
  /// the file comment).
  ///@{
  int32_t Eof() override;
  int32_t Pos() override;
  int32_t Size() override;
  int32_t Seek(int32_t pos) override;
  void Flush() override;
  void Close() override;
  int32_t Read(void* buf, int32_t count) override;
  int32_t Write(const void* buf, int32_t count) override;
  void WriteByte(int32_t n) override;
  void WriteShort(int32_t n) override;
  void WriteInt(int32_t n) override;
  void WriteFloat(float f) override;
  void WriteDouble(double d) override;
  int32_t WriteLine(const String& text) override;
  void WriteString(const String& text) override;
  ///@}

  /// Raises the stream's "ends inside an object" error unless count more
  /// bytes are left; when the wrapped stream does not know its position,
  /// only when it has reached its end. Data types call it before allocating
  /// for a count they have read.
  void NeedBytes(int64_t count);

  /// An object stream over stream, or the Null object for a Null stream.
  static Ref<TDataStream> WithStream(const Ref<TStream>& stream);

  int32_t _dataId = 0;                ///< Objects numbered so far.
  int32_t _typeId = 0;                ///< Types numbered so far.
  Ref<Array<Ref<Object>>> _datas;     ///< Objects read or written, object n at index n - 1.
  Ref<Array<Ref<TDataType>>> _types;  ///< Types read or written, type n at index n.
  /// Stays empty: objects written are found by identity in a table of the
  /// stream's own, since every data object is its own key and a map ordered
  /// by Compare cost more than the rest of the writing.
  Ref<TMap> _dataMap;
  Ref<TMap> _typeMap;  ///< Tag written to its type's TDataId.
  int32_t _depth = 0;  ///< Objects being written or read now.

 private:
  struct Blocks;
  template <class T, class Forward>
  T ReadValue(Forward forward);
  template <class Forward, class Held>
  void WriteValue(Forward forward, Held held);
  bool Buffering() const;
  void TakeBytes(void* to, int32_t count);
  void GiveBackReadAhead() noexcept;
  void WriteHeldBack();
  Ref<Object> ReadObjectHere();
  void WriteObjectHere(const Ref<Object>& object);
  void WriteTypeNumber(const Ref<TDataType>& type);
  void MakeRoomForObject(int32_t number);
  Ref<Object> ReadNewObject(int32_t typeNumber);
  Ref<TDataType> TypeForNumber(int32_t typeNumber);
  void BreakListCycles(int32_t after);

  std::unique_ptr<Blocks> blocks_;
};

/// "data": the path opened with OpenStreamUrl and wrapped in a TDataStream.
/// Raises "DataStreams can not be both readable and writeable" when both are
/// asked for.
class TDataStreamFactory : public TStreamFactory {
 public:
  /// The data stream for "data::path", or the Null object for other
  /// protocols and paths that do not open.
  Ref<TStream> CreateStream(const Ref<Object>& url, const String& protocol, const String& path, int32_t readable,
                            int32_t writeable) override;
};

/// Lists in object streams, tag "VTL.List.TList": the element count as an
/// int, then each element as an object. The elements are read in
/// ReadCyclicObject, so a list may contain itself.
class TListDataType : public TDataType {
 public:
  /// "VTL.List.TList".
  String Tag() const override;
  /// An empty list; its elements follow in ReadCyclicObject.
  Ref<Object> ReadObject(const Ref<TStream>& stream) override;
  /// The count, then each element through the stream's WriteObject.
  void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) override;
  /// Reads the count and appends each element read to the list. A count below
  /// 0 or above the bytes left raises a runtime error.
  void ReadCyclicObject(const Ref<Object>& object, const Ref<TStream>& stream) override;
};

}  // namespace vtl
