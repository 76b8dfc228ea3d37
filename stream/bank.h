/// \file
/// TBank: a resizable block of raw memory with typed reads and writes at any
/// byte offset, whole-file loading and saving, and its data type for object
/// streams. Values are stored little-endian with no alignment.
#pragma once

#include <cstdint>

#include "runtime/data_type.h"
#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/basic_stream.h"

namespace vtl {

/// A resizable block of raw memory. Every peek and poke, and every Read and
/// Write between a stream and the bank, checks its range: one that reaches
/// outside the bytes in use raises a TRuntimeException naming the offset.
class TBank : public TData {
 public:
  /// Frees the memory unless the bank is static.
  ~TBank() override;

  /// BankDataType.
  Ref<TDataType> DataType() const override;
  /// The memory; it moves when Resize grows the bank.
  virtual uint8_t* Buf();
  /// Adds 1 to the lock count and returns the memory. Nothing else looks at
  /// the count: a lock does not pin the memory, and Resize (or a write
  /// through a bank stream that grows the bank) may still move it, leaving
  /// the address handed out pointing at freed memory.
  virtual uint8_t* Lock();
  /// Takes 1 from the lock count.
  virtual void Unlock();
  /// The bytes in use.
  virtual int32_t Size();
  /// The bytes allocated, or -1 for a static bank.
  virtual int32_t Capacity();
  /// Makes size bytes usable. Growing past the capacity allocates
  /// max(capacity x 3 / 2, size) bytes, keeps the bytes in use and frees the
  /// old memory, so addresses from Buf or Lock are stale afterwards, locked
  /// or not; shrinking keeps the memory. A static bank first moves into memory of its own, so
  /// the memory it wrapped is left as it was and never freed. New bytes are
  /// zero. A negative size raises a TRuntimeException.
  virtual void Resize(int32_t size);
  /// The stream's Read into, or Write from, count bytes at offset; returns
  /// what the stream returns.
  ///@{
  virtual int32_t Read(const Ref<TStream>& stream, int32_t offset, int32_t count);
  virtual int32_t Write(const Ref<TStream>& stream, int32_t offset, int32_t count);
  ///@}
  /// The value at offset: bytes and shorts unsigned, the rest signed or IEEE.
  /// Pokes store the value's 1, 2, 4, 8, 4 or 8 bytes; bytes and shorts take
  /// the low bits of value.
  ///@{
  virtual uint8_t PeekByte(int32_t offset);
  virtual void PokeByte(int32_t offset, int32_t value);
  virtual uint16_t PeekShort(int32_t offset);
  virtual void PokeShort(int32_t offset, int32_t value);
  virtual int32_t PeekInt(int32_t offset);
  virtual void PokeInt(int32_t offset, int32_t value);
  virtual int64_t PeekLong(int32_t offset);
  virtual void PokeLong(int32_t offset, int64_t value);
  virtual float PeekFloat(int32_t offset);
  virtual void PokeFloat(int32_t offset, float value);
  virtual double PeekDouble(int32_t offset);
  virtual void PokeDouble(int32_t offset, double value);
  ///@}
  /// Writes the bytes in use to url (OpenWriteStream) and closes it. 1, or 0
  /// when url cannot be opened for writing.
  virtual int32_t Save(const Ref<Object>& url);
  /// Save of a file name or "protocol::path".
  int32_t Save(const String& url);

  /// A bank of every byte the url holds (OpenReadStream), or the Null object
  /// when it cannot be opened. Memory grows only as bytes arrive, so a
  /// stream that claims more than it delivers costs nothing extra. A stream
  /// holding more than an int can count raises a TRuntimeException.
  ///@{
  static Ref<TBank> Load(const Ref<Object>& url);
  static Ref<TBank> Load(const String& url);
  ///@}
  /// A bank owning size bytes, all zero. A negative size raises a
  /// TRuntimeException.
  static Ref<TBank> Create(int32_t size);
  /// A bank over size bytes of memory that the caller owns and keeps alive
  /// while the bank uses it. Raises a TRuntimeException for a negative size
  /// or a null memory of a positive size.
  static Ref<TBank> CreateStatic(void* memory, int32_t size);

  uint8_t* _buf = nullptr;  ///< The memory.
  int32_t _size = 0;        ///< Bytes in use.
  int32_t _capacity = 0;    ///< Bytes allocated; -1 when the memory is someone else's.
  int32_t _locked = 0;      ///< The lock count.

 private:
  // The address of count bytes at offset; raises when they are not all in use.
  uint8_t* At(int32_t offset, int32_t count);
};

/// Writes and reads banks in object streams: the size as an int, then the
/// bytes in use.
class TBankDataType : public TDataType {
 public:
  /// "VTL.Bank.TBank".
  String Tag() const override;
  /// Reads a bank record. A negative size, or a record that ends before its
  /// size is reached, raises a TRuntimeException; memory grows only as bytes
  /// arrive, so a forged size cannot make it allocate more than the stream holds.
  Ref<Object> ReadObject(const Ref<TStream>& stream) override;
  /// Writes the bank's record.
  void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) override;
};

/// The data type of banks, made when the stream module is initialised.
extern Ref<TBankDataType> BankDataType;

}  // namespace vtl
