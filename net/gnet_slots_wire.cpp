#include <algorithm>
#include <bit>
#include <cstring>

#include "net/gnet.h"
#include "net/internal/gnet_wire.h"
#include "runtime/exceptions.h"

namespace vtl {

float HalfToFloat(uint16_t half) {
  const uint32_t sign = static_cast<uint32_t>(half & 0x8000u) << 16;
  const uint32_t exponent = (half >> 10) & 0x1Fu;
  uint32_t mantissa = half & 0x3FFu;
  uint32_t bits;
  if (exponent == 0x1F) {
    bits = sign | 0x7F800000u | (mantissa << 13);  // infinity, or NaN with its payload
  } else if (exponent != 0) {
    bits = sign | ((exponent + 112) << 23) | (mantissa << 13);
  } else if (mantissa == 0) {
    bits = sign;  // signed zero
  } else {
    // Subnormal: shift the mantissa up until its leading one is the hidden bit.
    uint32_t e = 113;
    while ((mantissa & 0x400u) == 0) {
      mantissa <<= 1;
      --e;
    }
    bits = sign | (e << 23) | ((mantissa & 0x3FFu) << 13);
  }
  return std::bit_cast<float>(bits);
}

namespace {

// Half precision for a slot someone set to type 2 by hand; rounds toward zero.
uint16_t FloatToHalf(float f) {
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

void PutBig(uint8_t*& out, uint32_t value, int bytes) {
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) *out++ = static_cast<uint8_t>(value >> shift);
}

uint32_t GetBig(const uint8_t* in, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | in[i];
  return value;
}

bool SlotInMask(uint32_t mask, int index) { return (mask >> index) & 1u; }

int64_t SlotRecordSize(const TGNetSlot& slot) {
  return std::max<int64_t>(0, GNetRecordSize(slot._type, slot._string.Length()));
}

// Bytes of the number after a record's header byte: the value, or a
// string's length; 0 for a type that has no records.
int ValueBytes(int32_t type) { return static_cast<int>(std::max<int64_t>(0, GNetRecordSize(type, 0) - 1)); }

// The number a slot's record carries after its header byte.
uint32_t RecordValue(const TGNetSlot& slot) {
  switch (slot._type) {
    case GNET_HALF: return FloatToHalf(slot._float);
    case GNET_STRING: return static_cast<uint32_t>(slot._string.Length());
    case GNET_FLOAT: return std::bit_cast<uint32_t>(slot._float);
    default: return static_cast<uint32_t>(slot._int);  // PutBig keeps the low bytes a narrow type has room for
  }
}

}  // namespace

int64_t GNetPackedSize(const TGNetObject& object, uint32_t mask) {
  int64_t size = 0;
  for (int i = 0; i < 32; ++i) {
    if (SlotInMask(mask, i)) size += SlotRecordSize(*(*object._slots)[i]);
  }
  return size;
}

void GNetCheckWrite(const TGNetObject& object, int32_t index, int64_t recordSize) {
  const TGNetSlot& slot = *(*object._slots)[index];  // throws for an index outside 0 to 31
  if (recordSize <= SlotRecordSize(slot)) return;
  if (GNetPackedSize(object, ~(1u << index)) + recordSize > GNET_MAX_DATA) RuntimeError("GNet message data too large");
}

Ref<Array<uint8_t>> TGNetObject::PackSlots(int32_t mask) {
  const int64_t size = GNetPackedSize(*this, static_cast<uint32_t>(mask));
  if (size > GNET_MAX_DATA) RuntimeError("GNet message data too large");

  auto bytes = NewArray<uint8_t>({static_cast<int32_t>(size)});
  uint8_t* out = bytes->Data();
  for (int i = 0; i < 32; ++i) {
    if (!SlotInMask(static_cast<uint32_t>(mask), i)) continue;
    const TGNetSlot& slot = *(*_slots)[i];
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

GNetRecordCheck GNetReadRecord(const uint8_t* bytes, size_t size, size_t at, GNetRecord& record) {
  const GNetRecordHeader header = ParseGNetRecordHeader(bytes[at]);
  record.index = header.index;
  record.type = header.type;
  // Unset (0) and unknown (7) types have no records.
  if (GNetRecordSize(record.type, 0) <= 0) return GNetRecordCheck::InvalidType;
  const size_t need = static_cast<size_t>(ValueBytes(record.type));
  if (size - at - 1 < need) return GNetRecordCheck::Corrupt;
  record.value = GetBig(bytes + at + 1, static_cast<int>(need));
  record.size = 1 + need;
  if (record.type == GNET_STRING) {
    if (size - at - record.size < record.value) return GNetRecordCheck::Corrupt;
    record.size += record.value;
  }
  return GNetRecordCheck::Ok;
}

uint32_t GNetSlotsIn(const uint8_t* bytes, size_t size) {
  uint32_t slots = 0;
  GNetRecord record;
  for (size_t at = 0; at < size; at += record.size) {
    if (GNetReadRecord(bytes, size, at, record) != GNetRecordCheck::Ok) return ~0u;
    slots |= 1u << record.index;
  }
  return slots;
}

GNetRecordCheck GNetDecodedSlots::Decode(const uint8_t* bytes, size_t size) {
  GNetRecord record;
  for (size_t at = 0; at < size; at += record.size) {
    if (const GNetRecordCheck check = GNetReadRecord(bytes, size, at, record); check != GNetRecordCheck::Ok) {
      return check;
    }
    const int index = record.index;
    mask |= 1u << index;
    switch (record.type) {
      case GNET_INT:
      case GNET_BYTE:
      case GNET_SHORT:
        type[index] = GNET_INT;
        ints[index] = static_cast<int32_t>(record.value);
        break;
      case GNET_FLOAT:
        type[index] = GNET_FLOAT;
        floats[index] = std::bit_cast<float>(record.value);
        break;
      case GNET_HALF:
        type[index] = GNET_FLOAT;
        floats[index] = HalfToFloat(static_cast<uint16_t>(record.value));
        break;
      case GNET_STRING:
        type[index] = GNET_STRING;
        strings[index] =
            String::FromLatin1(reinterpret_cast<const char*>(bytes + at + 3), static_cast<int32_t>(record.value));
        break;
    }
  }
  return GNetRecordCheck::Ok;
}

void GNetDecodedSlots::StoreInto(TGNetObject& object) const {
  for (int i = 0; i < 32; ++i) {
    if (!SlotInMask(mask, i)) continue;
    switch (type[i]) {
      case GNET_INT: object.WriteSlot(i)->SetInt(ints[i]); break;
      case GNET_FLOAT: object.WriteSlot(i)->SetFloat(floats[i]); break;
      default: object.WriteSlot(i)->SetString(strings[i]); break;
    }
  }
}

int64_t GNetDecodedSlots::PackedSizeAfterStore(const TGNetObject& object) const {
  int64_t size = GNetPackedSize(object, ~mask);
  for (int i = 0; i < 32; ++i) {
    if (!SlotInMask(mask, i)) continue;
    switch (type[i]) {
      case GNET_INT: size += GNetRecordSize(GNetIntType(ints[i]), 0); break;
      case GNET_FLOAT: size += GNetRecordSize(GNET_FLOAT, 0); break;
      default: size += GNetRecordSize(GNET_STRING, strings[i].Length()); break;
    }
  }
  return size;
}

void TGNetObject::UnpackSlots(const Ref<Array<uint8_t>>& bytes) {
  GNetDecodedSlots slots;
  switch (slots.Decode(bytes->Data(), static_cast<size_t>(bytes->Length()))) {
    case GNetRecordCheck::Ok: break;
    case GNetRecordCheck::InvalidType: RuntimeError("Invalid GNet data type");
    case GNetRecordCheck::Corrupt: RuntimeError("Corrupt GNet message");
  }
  if (slots.PackedSizeAfterStore(*this) > GNET_MAX_DATA) RuntimeError("GNet message data too large");
  slots.StoreInto(*this);
}

}  // namespace vtl
