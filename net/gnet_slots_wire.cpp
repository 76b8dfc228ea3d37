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

// The record size of a slot as it is now (0 for a type that has none); a
// string's length is read only for a string slot.
int64_t RecordSizeOf(const TGNetSlot& slot) {
  return GNetRecordSize(slot._type, slot._type == GNET_STRING ? slot._string.Length() : 0);
}

int64_t SlotRecordSize(const TGNetSlot& slot) { return std::max<int64_t>(0, RecordSizeOf(slot)); }

// Bytes of the number after a record's header byte: the value, or a
// string's length; 0 for a type that has no records.
int ValueBytes(int32_t type) { return static_cast<int>(std::max<int64_t>(0, GNetRecordSize(type, 0) - 1)); }

// The object's 32 slots, each checked once: an index the slot array lacks
// throws TArrayBoundsException and a Null slot TNullObjectException, as
// reading them one by one would.
class SlotsOf {
 public:
  explicit SlotsOf(const TGNetObject& object) : slots_(*object._slots) {}
  const TGNetSlot& operator[](int index) const {
    const Ref<TGNetSlot>& slot = slots_[index];
    if (slot == nullptr) ThrowNullObject();
    return *slot.Get();
  }

 private:
  const Array<Ref<TGNetSlot>>& slots_;
};

// Calls f(index) for every slot whose bit is set in mask, lowest first.
template <class F>
void ForEachSlot(uint32_t mask, F f) {
  for (; mask != 0; mask &= mask - 1) f(std::countr_zero(mask));
}

}  // namespace

int64_t GNetPackedSize(const TGNetObject& object, uint32_t mask) {
  const SlotsOf slots(object);
  int64_t size = 0;
  ForEachSlot(mask, [&](int i) { size += SlotRecordSize(slots[i]); });
  return size;
}

void GNetCheckWrite(const TGNetObject& object, int32_t index, int64_t recordSize) {
  const TGNetSlot& slot = *(*object._slots)[index];  // throws for an index outside 0 to 31
  if (recordSize <= SlotRecordSize(slot)) return;
  if (GNetPackedSize(object, ~(1u << index)) + recordSize > GNET_MAX_DATA) RuntimeError("GNet message data too large");
}

// One pass over the slots finds every record and its size, so the array is
// made once at its final size and filled without looking at a slot again.
Ref<Array<uint8_t>> TGNetObject::PackSlots(int32_t mask) {
  const SlotsOf slots(*this);
  struct Record {
    const TGNetSlot* slot;
    int index;
  } records[32];
  int32_t count = 0;
  int64_t size = 0;
  bool invalid = false;
  ForEachSlot(static_cast<uint32_t>(mask), [&](int i) {
    const TGNetSlot& slot = slots[i];
    const int64_t recordSize = RecordSizeOf(slot);
    invalid = invalid || recordSize < 0;
    if (recordSize > 0) {
      size += recordSize;
      records[count++] = {&slot, i};
    }
  });
  if (size > GNET_MAX_DATA) RuntimeError("GNet message data too large");
  if (invalid) RuntimeError("Invalid GNet data type");

  auto bytes = NewArray<uint8_t>({static_cast<int32_t>(size)});
  uint8_t* out = bytes->Data();
  for (int32_t k = 0; k < count; ++k) {
    const TGNetSlot& slot = *records[k].slot;
    *out++ = PackGNetRecordHeader(slot._type, records[k].index);
    switch (slot._type) {
      case GNET_BYTE: *out++ = static_cast<uint8_t>(slot._int); break;
      case GNET_SHORT: PutBig(out, static_cast<uint32_t>(slot._int), 2); break;
      case GNET_HALF: PutBig(out, FloatToHalf(slot._float), 2); break;
      case GNET_STRING: {
        const int32_t length = slot._string.Length();
        PutBig(out, static_cast<uint32_t>(length), 2);
        const char16_t* chars = slot._string.Data();
        for (int32_t c = 0; c < length; ++c) out[c] = static_cast<uint8_t>(chars[c]);
        out += length;
        break;
      }
      case GNET_FLOAT: PutBig(out, std::bit_cast<uint32_t>(slot._float), 4); break;
      default: PutBig(out, static_cast<uint32_t>(slot._int), 4); break;
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
        ints[index] = static_cast<int32_t>(record.value);
        chars[index] = bytes + at + 3;
        break;
    }
  }
  return GNetRecordCheck::Ok;
}

void GNetDecodedSlots::StoreInto(TGNetObject& object) const {
  ForEachSlot(mask, [&](int i) {
    switch (type[i]) {
      case GNET_INT: object.WriteSlot(i)->SetInt(ints[i]); break;
      case GNET_FLOAT: object.WriteSlot(i)->SetFloat(floats[i]); break;
      default: object.WriteSlot(i)->SetString(String::FromLatin1(reinterpret_cast<const char*>(chars[i]), ints[i]));
    }
  });
}

int64_t GNetDecodedSlots::PackedSizeAfterStore(const TGNetObject& object) const {
  int64_t size = GNetPackedSize(object, ~mask);
  ForEachSlot(mask, [&](int i) {
    switch (type[i]) {
      case GNET_INT: size += GNetRecordSize(GNetIntType(ints[i]), 0); break;
      case GNET_FLOAT: size += GNetRecordSize(GNET_FLOAT, 0); break;
      default: size += GNetRecordSize(GNET_STRING, ints[i]); break;
    }
  });
  return size;
}

void TGNetObject::UnpackSlots(const Ref<Array<uint8_t>>& bytes) {
  const Ref<Array<uint8_t>> held = bytes;  // the decoded strings point into it until they are stored
  GNetDecodedSlots slots;
  switch (slots.Decode(held->Data(), static_cast<size_t>(held->Length()))) {
    case GNetRecordCheck::Ok: break;
    case GNetRecordCheck::InvalidType: RuntimeError("Invalid GNet data type");
    case GNetRecordCheck::Corrupt: RuntimeError("Corrupt GNet message");
  }
  if (slots.PackedSizeAfterStore(*this) > GNET_MAX_DATA) RuntimeError("GNet message data too large");
  slots.StoreInto(*this);
}

}  // namespace vtl
