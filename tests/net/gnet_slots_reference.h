// The slot packing and unpacking as they were first written: a walk for the
// size, then a second walk that packs slot by slot, and an unpack that keeps
// a String per slot. The tests hold the faster code to these, byte for byte
// and refusal for refusal.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

#include "net/internal/gnet_wire.h"
#include "net/net.h"
#include "runtime/exceptions.h"

namespace vtl::gnet_reference {

inline uint16_t FloatToHalf(float f) {
  const uint32_t bits = std::bit_cast<uint32_t>(f);
  const uint16_t sign = static_cast<uint16_t>((bits >> 16) & 0x8000u);
  const int32_t exponent = static_cast<int32_t>((bits >> 23) & 0xFFu);
  uint32_t mantissa = bits & 0x7FFFFFu;
  if (exponent == 0xFF) return static_cast<uint16_t>(sign | 0x7C00u | (mantissa != 0 ? 0x200u : 0u));
  const int32_t e = exponent - 127 + 15;
  if (e >= 31) return static_cast<uint16_t>(sign | 0x7C00u);
  if (e <= 0) {
    if (e < -10) return sign;
    mantissa |= 0x800000u;
    return static_cast<uint16_t>(sign | (mantissa >> (14 - e)));
  }
  return static_cast<uint16_t>(sign | (e << 10) | (mantissa >> 13));
}

inline void PutBig(uint8_t*& out, uint32_t value, int bytes) {
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) *out++ = static_cast<uint8_t>(value >> shift);
}

inline uint32_t GetBig(const uint8_t* in, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | in[i];
  return value;
}

inline bool SlotInMask(uint32_t mask, int index) { return (mask >> index) & 1u; }

inline int64_t SlotRecordSize(const TGNetSlot& slot) {
  return std::max<int64_t>(0, GNetRecordSize(slot._type, slot._string.Length()));
}

inline int ValueBytes(int32_t type) { return static_cast<int>(std::max<int64_t>(0, GNetRecordSize(type, 0) - 1)); }

inline uint32_t RecordValue(const TGNetSlot& slot) {
  switch (slot._type) {
    case GNET_HALF: return FloatToHalf(slot._float);
    case GNET_STRING: return static_cast<uint32_t>(slot._string.Length());
    case GNET_FLOAT: return std::bit_cast<uint32_t>(slot._float);
    default: return static_cast<uint32_t>(slot._int);
  }
}

inline int64_t PackedSize(const TGNetObject& object, uint32_t mask) {
  int64_t size = 0;
  for (int i = 0; i < 32; ++i) {
    if (SlotInMask(mask, i)) size += SlotRecordSize(*(*object._slots)[i]);
  }
  return size;
}

inline Ref<Array<uint8_t>> PackSlots(const TGNetObject& object, int32_t mask) {
  const int64_t size = PackedSize(object, static_cast<uint32_t>(mask));
  if (size > GNET_MAX_DATA) RuntimeError("GNet message data too large");
  auto bytes = NewArray<uint8_t>({static_cast<int32_t>(size)});
  uint8_t* out = bytes->Data();
  for (int i = 0; i < 32; ++i) {
    if (!SlotInMask(static_cast<uint32_t>(mask), i)) continue;
    const TGNetSlot& slot = *(*object._slots)[i];
    if (slot._type < GNET_UNSET || slot._type > GNET_FLOAT) RuntimeError("Invalid GNet data type");
    if (slot._type == GNET_UNSET) continue;
    *out++ = PackGNetRecordHeader(slot._type, i);
    PutBig(out, RecordValue(slot), ValueBytes(slot._type));
    if (slot._type == GNET_STRING) {
      const char16_t* chars = slot._string.Data();
      for (int32_t c = 0; c < slot._string.Length(); ++c) *out++ = static_cast<uint8_t>(chars[c]);
    }
  }
  return bytes;
}

inline void UnpackSlots(TGNetObject& object, const Ref<Array<uint8_t>>& data) {
  const uint8_t* bytes = data->Data();
  const auto size = static_cast<size_t>(data->Length());
  uint32_t mask = 0;
  int32_t type[32] = {}, ints[32] = {};
  float floats[32] = {};
  String strings[32];
  for (size_t at = 0; at < size;) {
    const GNetRecordHeader header = ParseGNetRecordHeader(bytes[at]);
    if (GNetRecordSize(header.type, 0) <= 0) RuntimeError("Invalid GNet data type");
    const auto need = static_cast<size_t>(ValueBytes(header.type));
    if (size - at - 1 < need) RuntimeError("Corrupt GNet message");
    const uint32_t value = GetBig(bytes + at + 1, static_cast<int>(need));
    size_t recordSize = 1 + need;
    if (header.type == GNET_STRING) {
      if (size - at - recordSize < value) RuntimeError("Corrupt GNet message");
      recordSize += value;
    }
    const int i = header.index;
    mask |= 1u << i;
    switch (header.type) {
      case GNET_INT:
      case GNET_BYTE:
      case GNET_SHORT:
        type[i] = GNET_INT;
        ints[i] = static_cast<int32_t>(value);
        break;
      case GNET_FLOAT:
        type[i] = GNET_FLOAT;
        floats[i] = std::bit_cast<float>(value);
        break;
      case GNET_HALF:
        type[i] = GNET_FLOAT;
        floats[i] = HalfToFloat(static_cast<uint16_t>(value));
        break;
      case GNET_STRING:
        type[i] = GNET_STRING;
        strings[i] = String::FromLatin1(reinterpret_cast<const char*>(bytes + at + 3), static_cast<int32_t>(value));
        break;
    }
    at += recordSize;
  }
  int64_t after = PackedSize(object, ~mask);
  for (int i = 0; i < 32; ++i) {
    if (!SlotInMask(mask, i)) continue;
    switch (type[i]) {
      case GNET_INT: after += GNetRecordSize(GNetIntType(ints[i]), 0); break;
      case GNET_FLOAT: after += GNetRecordSize(GNET_FLOAT, 0); break;
      default: after += GNetRecordSize(GNET_STRING, strings[i].Length()); break;
    }
  }
  if (after > GNET_MAX_DATA) RuntimeError("GNet message data too large");
  for (int i = 0; i < 32; ++i) {
    if (!SlotInMask(mask, i)) continue;
    switch (type[i]) {
      case GNET_INT: object.WriteSlot(i)->SetInt(ints[i]); break;
      case GNET_FLOAT: object.WriteSlot(i)->SetFloat(floats[i]); break;
      default: object.WriteSlot(i)->SetString(strings[i]); break;
    }
  }
}

}  // namespace vtl::gnet_reference
