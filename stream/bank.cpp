#include "stream/bank.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/exceptions.h"
#include "runtime/numeric.h"  // peeks and pokes store values in native, little-endian order
#include "stream/internal/bank_fill.h"
#include "stream/stream_factory.h"

namespace vtl {

namespace {

[[noreturn]] void RefuseSize(int64_t size) {
  RuntimeError(String::FromText("Bank size " + std::to_string(size) + " is negative or beyond 2147483647 bytes"));
}

uint8_t* Allocate(int32_t bytes) {
  // calloc: bytes a bank has not been given yet read as zero, never as
  // whatever the heap held before (which Save would otherwise write out).
  auto* memory = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(std::max(bytes, 1)), 1));
  if (!memory) RuntimeError(String::FromText("Out of memory for a bank of " + std::to_string(bytes) + " bytes"));
  return memory;
}

template <class T>
T Peek(const uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

template <class T>
void Poke(uint8_t* at, T value) {
  std::memcpy(at, &value, sizeof value);
}

}  // namespace

TBank::~TBank() {
  if (_capacity != -1) std::free(_buf);
}

Ref<TDataType> TBank::DataType() const { return BankDataType; }
uint8_t* TBank::Buf() { return _buf; }

uint8_t* TBank::Lock() {
  ++_locked;
  return _buf;
}

void TBank::Unlock() { --_locked; }
int32_t TBank::Size() { return _size; }
int32_t TBank::Capacity() { return _capacity; }

void TBank::Resize(int32_t size) {
  if (size < 0) RefuseSize(size);
  if (_capacity < size) {
    // -1 for a static bank: 3/2 of it is -1 too, so it moves into exactly
    // size bytes of its own, and the memory it wrapped is not ours to free.
    const int64_t grown = std::max<int64_t>(static_cast<int64_t>(_capacity) * 3 / 2, size);
    const auto capacity = static_cast<int32_t>(std::min<int64_t>(grown, INT32_MAX));
    uint8_t* memory = Allocate(capacity);
    if (_size > 0) std::memcpy(memory, _buf, static_cast<size_t>(std::min(_size, size)));
    if (_capacity != -1) std::free(_buf);
    _buf = memory;
    _capacity = capacity;
  } else if (size > _size) {
    std::memset(_buf + _size, 0, static_cast<size_t>(size - _size));  // bytes left by an earlier shrink
  }
  _size = size;
}

uint8_t* TBank::At(int32_t offset, int32_t count) {
  if (offset < 0 || count < 0 || static_cast<int64_t>(offset) + count > _size) {
    RuntimeError(String::FromText("Bank offset " + std::to_string(offset) + " (" + std::to_string(count) +
                                  " bytes) is outside the bank's " + std::to_string(_size) + " bytes"));
  }
  return _buf + offset;
}

int32_t TBank::Read(const Ref<TStream>& stream, int32_t offset, int32_t count) {
  return stream->Read(At(offset, count), count);
}

int32_t TBank::Write(const Ref<TStream>& stream, int32_t offset, int32_t count) {
  return stream->Write(At(offset, count), count);
}

uint8_t TBank::PeekByte(int32_t offset) { return *At(offset, 1); }
void TBank::PokeByte(int32_t offset, int32_t value) { *At(offset, 1) = static_cast<uint8_t>(value); }
uint16_t TBank::PeekShort(int32_t offset) { return Peek<uint16_t>(At(offset, 2)); }
void TBank::PokeShort(int32_t offset, int32_t value) { Poke(At(offset, 2), static_cast<uint16_t>(value)); }
int32_t TBank::PeekInt(int32_t offset) { return Peek<int32_t>(At(offset, 4)); }
void TBank::PokeInt(int32_t offset, int32_t value) { Poke(At(offset, 4), value); }
int64_t TBank::PeekLong(int32_t offset) { return Peek<int64_t>(At(offset, 8)); }
void TBank::PokeLong(int32_t offset, int64_t value) { Poke(At(offset, 8), value); }
float TBank::PeekFloat(int32_t offset) { return Peek<float>(At(offset, 4)); }
void TBank::PokeFloat(int32_t offset, float value) { Poke(At(offset, 4), value); }
double TBank::PeekDouble(int32_t offset) { return Peek<double>(At(offset, 8)); }
void TBank::PokeDouble(int32_t offset, double value) { Poke(At(offset, 8), value); }

int32_t TBank::Save(const Ref<Object>& url) {
  Ref<TStream> stream = OpenWriteStream(url);
  if (!stream) return 0;
  stream->WriteBytes(_buf, _size);
  stream->Close();
  return 1;
}

int32_t TBank::Save(const String& url) { return Save(Ref<Object>(url)); }

Ref<TBank> TBank::Load(const Ref<Object>& url) {
  Ref<TStream> stream = OpenReadStream(url);
  if (!stream) return nullptr;
  Ref<TBank> bank = Create(0);
  FillBankFromStream(*bank, *stream, INT32_MAX);
  if (bank->_size == INT32_MAX && !stream->Eof()) RefuseSize(int64_t{INT32_MAX} + 1);
  stream->Close();
  return bank;
}

Ref<TBank> TBank::Load(const String& url) { return Load(Ref<Object>(url)); }

Ref<TBank> TBank::Create(int32_t size) {
  if (size < 0) RefuseSize(size);
  auto bank = New<TBank>();
  bank->Resize(size);
  return bank;
}

Ref<TBank> TBank::CreateStatic(void* memory, int32_t size) {
  if (size < 0) RefuseSize(size);
  if (!memory && size > 0) RuntimeError("A static bank needs memory for its bytes");
  auto bank = New<TBank>();
  bank->_buf = static_cast<uint8_t*>(memory);
  bank->_size = size;
  bank->_capacity = -1;
  return bank;
}

}  // namespace vtl
