#include "stream/xendian_stream.h"

#include <algorithm>

#include "runtime/numeric.h"

namespace vtl {

namespace {

template <class T>
T ReadSwapped(TStream& s) {
  T value{};
  s.ReadBytes(&value, sizeof value);
  auto* p = reinterpret_cast<uint8_t*>(&value);
  std::reverse(p, p + sizeof value);
  return value;
}

template <class T>
void WriteSwapped(TStream& s, T value) {
  auto* p = reinterpret_cast<uint8_t*>(&value);
  std::reverse(p, p + sizeof value);
  s.WriteBytes(&value, sizeof value);
}

}  // namespace

void TXEndianStream::Swap2(void* p) { std::reverse(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + 2); }
void TXEndianStream::Swap4(void* p) { std::reverse(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + 4); }
void TXEndianStream::Swap8(void* p) { std::reverse(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + 8); }

uint16_t TXEndianStream::ReadShort() { return ReadSwapped<uint16_t>(*this); }
void TXEndianStream::WriteShort(int32_t n) { WriteSwapped(*this, static_cast<uint16_t>(n)); }
int32_t TXEndianStream::ReadInt() { return ReadSwapped<int32_t>(*this); }
void TXEndianStream::WriteInt(int32_t n) { WriteSwapped(*this, n); }
int64_t TXEndianStream::ReadLong() { return ReadSwapped<int64_t>(*this); }
void TXEndianStream::WriteLong(int64_t n) { WriteSwapped(*this, n); }
float TXEndianStream::ReadFloat() { return ReadSwapped<float>(*this); }
void TXEndianStream::WriteFloat(float f) { WriteSwapped(*this, f); }
double TXEndianStream::ReadDouble() { return ReadSwapped<double>(*this); }
void TXEndianStream::WriteDouble(double d) { WriteSwapped(*this, d); }

Ref<TXEndianStream> TXEndianStream::Create(const Ref<TStream>& stream) {
  if (!stream) return nullptr;
  auto view = New<TXEndianStream>();
  view->SetStream(stream);
  return view;
}

// On this little-endian machine (runtime/numeric.h) only big-endian data needs the swap.
Ref<TStream> TXEndianStream::BigEndian(const Ref<TStream>& stream) { return Create(stream); }
Ref<TStream> TXEndianStream::LittleEndian(const Ref<TStream>& stream) { return stream; }

}  // namespace vtl
