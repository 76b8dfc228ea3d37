// PackSlots and UnpackSlots against the way they were first written
// (gnet_slots_reference.h), on random objects and random bytes: the same
// bytes, the same values, the same refusals.
#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "net/net.h"
#include "tests/net/gnet_slots_reference.h"

namespace vtl {
namespace {

using Bytes = std::vector<uint8_t>;

// What a call gave: its bytes, or the text it threw.
struct Outcome {
  Bytes bytes;
  std::string error;
  bool operator==(const Outcome&) const = default;
};

template <class F>
Outcome OutcomeOf(F f) {
  Outcome outcome;
  try {
    Ref<Array<uint8_t>> bytes = f();
    if (bytes != nullptr) outcome.bytes.assign(bytes->begin(), bytes->end());
  } catch (const ThrownObject& t) {
    outcome.error = t.what();
  }
  return outcome;
}

Ref<Array<uint8_t>> ArrayOf(const Bytes& bytes) {
  auto a = NewArray<uint8_t>({static_cast<int32_t>(bytes.size())});
  std::copy(bytes.begin(), bytes.end(), a->begin());
  return a;
}

// Codes above 255 too, which travel as their low byte.
String RandomText(std::mt19937& random, int32_t length) {
  std::u16string text(static_cast<size_t>(length), u'\0');
  std::uniform_int_distribution<int32_t> code(0, 255), wide(0, 0xFFFF);
  std::bernoulli_distribution rare(0.05);
  for (char16_t& c : text) c = static_cast<char16_t>(rare(random) ? wide(random) : code(random));
  return String(std::u16string_view(text));
}

int32_t RandomInt(std::mt19937& random) {
  static constexpr int32_t kEdges[] = {0,
                                       1,
                                       255,
                                       256,
                                       65535,
                                       65536,
                                       -1,
                                       -256,
                                       -65536,
                                       127,
                                       128,
                                       32767,
                                       32768,
                                       std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()};
  switch (std::uniform_int_distribution<int>(0, 4)(random)) {
    case 0: return kEdges[std::uniform_int_distribution<size_t>(0, std::size(kEdges) - 1)(random)];
    case 1: return std::uniform_int_distribution<int32_t>(0, 255)(random);
    case 2: return std::uniform_int_distribution<int32_t>(256, 65535)(random);
    default: return static_cast<int32_t>(random());
  }
}

float RandomFloat(std::mt19937& random) {
  if (std::bernoulli_distribution(0.5)(random)) return std::bit_cast<float>(static_cast<uint32_t>(random()));
  return std::uniform_real_distribution<float>(-70000.0f, 70000.0f)(random);
}

// Fills object's slots through the slots themselves, past the object's own
// size check, so that objects too large to pack and slot types nothing else
// makes (half floats and unknown types set by hand) come up too.
void FillSlots(TGNetObject& object, std::mt19937& random, bool validOnly) {
  std::discrete_distribution<int> kind({12, 30, 15, 25, 6, validOnly ? 0.0 : 1.0});
  std::uniform_int_distribution<int32_t> shortLength(0, 40), longLength(200, 3000);
  std::bernoulli_distribution rareLong(0.03), rareHuge(0.01);
  int64_t size = 0;
  for (int32_t i = 0; i < 32; ++i) {
    TGNetSlot& slot = *(*object._slots)[i];
    switch (kind(random)) {
      case 0: break;
      case 1: slot.SetInt(RandomInt(random)); break;
      case 2: slot.SetFloat(RandomFloat(random)); break;
      case 3: {
        int32_t length = rareLong(random) ? longLength(random) : shortLength(random);
        // Now and then one string takes what is left of a message, or a
        // little more than that.
        if (rareHuge(random)) {
          length = static_cast<int32_t>(std::max<int64_t>(0, GNET_MAX_DATA - size - 3)) +
                   std::uniform_int_distribution<int32_t>(0, 1)(random);
        }
        slot.SetString(RandomText(random, length));
        break;
      }
      case 4:
        slot._type = GNET_HALF;
        slot._float = RandomFloat(random);
        break;
      default: {
        static constexpr int32_t kUnknown[] = {-1, 7, 8, std::numeric_limits<int32_t>::min()};
        slot._type = kUnknown[std::uniform_int_distribution<size_t>(0, 3)(random)];
        break;
      }
    }
    size += std::max<int64_t>(0, GNetRecordSize(slot._type, slot._string.Length()));
  }
}

Ref<TGNetObject> NewObject() { return TGNetObject::Create(7, GNET_SYNCHRONISED, nullptr, nullptr); }

void ExpectSameSlots(const TGNetObject& a, const TGNetObject& b, const std::string& where) {
  ASSERT_EQ(a._state, b._state) << where;
  ASSERT_EQ(a._modified, b._modified) << where;
  for (int32_t i = 0; i < 32; ++i) {
    const TGNetSlot& x = *(*a._slots)[i];
    const TGNetSlot& y = *(*b._slots)[i];
    ASSERT_EQ(x._type, y._type) << where << " slot " << i;
    ASSERT_EQ(x._int, y._int) << where << " slot " << i;
    ASSERT_EQ(std::bit_cast<uint32_t>(x._float), std::bit_cast<uint32_t>(y._float)) << where << " slot " << i;
    ASSERT_TRUE(x._string == y._string) << where << " slot " << i;
  }
}

// The string a slot's record carries: the low byte of each code.
String LowBytes(const String& s) {
  std::string bytes;
  for (int32_t c = 0; c < s.Length(); ++c) bytes.push_back(static_cast<char>(s[c] & 0xFF));
  return String::FromLatin1(bytes.data(), static_cast<int32_t>(bytes.size()));
}

TEST(GNetSlotsEquivalence, RandomObjectsPackAsBeforeAndUnpackToThemselves) {
  std::mt19937 random(20261210);
  int32_t packed = 0, tooLarge = 0, invalid = 0;
  for (int32_t trial = 0; trial < 4000; ++trial) {
    const std::string where = "trial " + std::to_string(trial);
    auto source = NewObject();
    FillSlots(*source, random, false);
    const auto mask = static_cast<int32_t>(std::bernoulli_distribution(0.3)(random) ? ~0u : random());

    const Outcome now = OutcomeOf([&] { return source->PackSlots(mask); });
    const Outcome before = OutcomeOf([&] { return gnet_reference::PackSlots(*source, mask); });
    ASSERT_EQ(now, before) << where << ": " << now.error << " / " << before.error;
    tooLarge += now.error == "GNet message data too large";
    invalid += now.error == "Invalid GNet data type";
    if (!now.error.empty()) continue;
    ++packed;

    // Half floats come back as floats, which can make a full object too
    // large to hold: then both refuse alike.
    auto unpacked = NewObject(), unpackedBefore = NewObject();
    const Outcome a = OutcomeOf([&] {
      unpacked->UnpackSlots(ArrayOf(now.bytes));
      return nullptr;
    });
    const Outcome b = OutcomeOf([&] {
      gnet_reference::UnpackSlots(*unpackedBefore, ArrayOf(now.bytes));
      return nullptr;
    });
    ASSERT_EQ(a.error, b.error) << where;
    ExpectSameSlots(*unpacked, *unpackedBefore, where);
    if (!a.error.empty()) continue;

    // Every slot sent comes back as it was, but for half floats, which come
    // back as floats.
    for (int32_t i = 0; i < 32; ++i) {
      const TGNetSlot& sent = *(*source->_slots)[i];
      const TGNetSlot& got = *(*unpacked->_slots)[i];
      const bool inMask = (static_cast<uint32_t>(mask) >> i) & 1u;
      if (!inMask || sent._type == GNET_UNSET) {
        ASSERT_EQ(got._type, GNET_UNSET) << where << " slot " << i;
      } else if (sent._type == GNET_STRING) {
        ASSERT_TRUE(got._string == LowBytes(sent._string)) << where << " slot " << i;
      } else if (sent._type == GNET_FLOAT) {
        ASSERT_EQ(std::bit_cast<uint32_t>(got._float), std::bit_cast<uint32_t>(sent._float)) << where << " slot " << i;
      } else if (sent._type != GNET_HALF) {
        ASSERT_EQ(got._int, sent._int) << where << " slot " << i;
      }
      if (inMask && sent._type != GNET_HALF) {
        ASSERT_EQ(got._type, sent._type) << where << " slot " << i;
      }
    }
  }
  // Each way out must have been taken many times.
  EXPECT_GT(packed, 2000);
  EXPECT_GT(tooLarge, 10);
  EXPECT_GT(invalid, 200);
}

// Random bytes, and packed objects cut short, changed or lengthened, unpacked
// into objects that already hold data: the same refusal, or the same object.
TEST(GNetSlotsEquivalence, RandomBytesUnpackOrAreRefusedAsBefore) {
  std::mt19937 random(4095);
  std::uniform_int_distribution<int> byte(0, 255);
  int32_t stored = 0;
  std::vector<std::string> refusals;
  for (int32_t trial = 0; trial < 3000; ++trial) {
    Bytes bytes;
    if (trial % 3 == 0) {
      bytes.resize(std::uniform_int_distribution<size_t>(0, 80)(random));
      for (uint8_t& b : bytes) b = static_cast<uint8_t>(byte(random));
    } else {
      auto source = NewObject();
      FillSlots(*source, random, true);
      const Outcome packed = OutcomeOf([&] { return source->PackSlots(static_cast<int32_t>(random())); });
      bytes = packed.bytes;
      if (trial % 3 == 2 && !bytes.empty()) {
        switch (std::uniform_int_distribution<int>(0, 2)(random)) {
          case 0: bytes.resize(std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(random)); break;
          case 1:
            bytes[std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(random)] =
                static_cast<uint8_t>(byte(random));
            break;
          default: bytes.push_back(static_cast<uint8_t>(byte(random))); break;
        }
      }
    }
    // Two objects with the same data beforehand, big strings now and then,
    // so that growing them can go past what a message carries.
    auto now = NewObject(), before = NewObject();
    std::mt19937 again = random;
    FillSlots(*now, random, true);
    FillSlots(*before, again, true);

    const std::string where = "trial " + std::to_string(trial);
    const Outcome a = OutcomeOf([&] {
      now->UnpackSlots(ArrayOf(bytes));
      return nullptr;
    });
    const Outcome b = OutcomeOf([&] {
      gnet_reference::UnpackSlots(*before, ArrayOf(bytes));
      return nullptr;
    });
    ASSERT_EQ(a.error, b.error) << where;
    ExpectSameSlots(*now, *before, where);
    if (a.error.empty()) {
      ++stored;
    } else if (std::find(refusals.begin(), refusals.end(), a.error) == refusals.end()) {
      refusals.push_back(a.error);
    }
  }
  EXPECT_GT(stored, 500);
  EXPECT_EQ(refusals.size(), 3u);  // invalid type, corrupt, too large
}

}  // namespace
}  // namespace vtl
