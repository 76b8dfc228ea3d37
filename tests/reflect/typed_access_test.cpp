// The typed reads and writes (GetInt, SetFloat, ...) against the text they
// stand for: the value as Get gives it read back as the number, and Set
// given the number's text. Random values of every width, the edges (NaN with
// payloads, negative zero, infinities, subnormals, integers past 32 bits,
// floats past the int range) and the refusals must come out identical.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "sample_classes.h"

namespace vtl {
namespace {

using reflect_test::TDerivedSample;
using reflect_test::TSample;

// What a call did: its result's bits, or the error it raised.
std::string Outcome(const std::function<std::string()>& call) {
  try {
    return call();
  } catch (const ThrownObject& t) {
    std::string out = std::string("raised ") + TypeNameOfObject(*t.object) + ": " + t.what();
    if (Ref<TRuntimeException> e = DowncastObject<TRuntimeException>(t.object)) out += " / " + e->detail.ToUtf8();
    return out;
  }
}

std::string Bits(int64_t n) { return "int " + std::to_string(n); }
std::string Bits(double x) { return "double " + std::to_string(std::bit_cast<uint64_t>(x)); }
std::string Bits(float x) { return "float " + std::to_string(std::bit_cast<uint32_t>(x)); }

// Every field a typed write may touch, bit for bit.
std::string Fields(const TSample& s) {
  return Bits(int64_t{s.b}) + Bits(int64_t{s.s}) + Bits(int64_t{s.i}) + Bits(s.l) + Bits(s.f) + Bits(s.d) + " text " +
         s.text.ToUtf8() + (s.list ? " list" : " no list");
}

void CopyFields(const TSample& from, TSample& to) {
  to.b = from.b;
  to.s = from.s;
  to.i = from.i;
  to.l = from.l;
  to.f = from.f;
  to.d = from.d;
  to.text = from.text;
  to.list = from.list;
}

class TypedValues {
 public:
  explicit TypedValues(uint32_t seed) : random_(seed) {}

  int32_t Int() {
    switch (random_() % 4) {
      case 0:
        return Pick<int32_t>({0, -1, 1, 255, 256, 65535, 65536, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max()});
      case 1: return static_cast<int32_t>(random_() % 2001) - 1000;
      default: return static_cast<int32_t>(random_());
    }
  }
  int64_t Long() {
    switch (random_() % 4) {
      case 0:
        return Pick<int64_t>({0, -1, (int64_t{1} << 53) + 1, (int64_t{1} << 31), -(int64_t{1} << 31) - 1,
                              std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()});
      case 1: return Int();
      default: return static_cast<int64_t>(random_());
    }
  }
  float Float() {
    switch (random_() % 4) {
      case 0:
        return Pick<float>({0.0f, -0.0f, 0.1f, -1.5f, 1e10f, -3e9f, 2147483648.0f, 16777217.0f,
                            std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::max(),
                            std::bit_cast<float>(0x7FC00000u), std::bit_cast<float>(0xFFC00001u),
                            std::bit_cast<float>(0x7F800123u), std::bit_cast<float>(0xFFBFFFFFu)});
      case 1: return static_cast<float>(static_cast<int32_t>(random_() % 20001) - 10000) / 8.0f;
      default: return std::bit_cast<float>(static_cast<uint32_t>(random_()));  // NaNs and subnormals too
    }
  }
  double Double() {
    switch (random_() % 4) {
      case 0:
        return Pick<double>({0.0, -0.0, 0.1, 1e300, -1e-320, 9007199254740993.0, 4294967296.5,
                             std::numeric_limits<double>::infinity(), std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(), std::bit_cast<double>(0x7FF8000000000000ull),
                             std::bit_cast<double>(0xFFF0000000000001ull),
                             std::bit_cast<double>(0x7FF0DEADBEEF0000ull)});
      case 1: return Float();
      default: return std::bit_cast<double>(random_());
    }
  }
  String Text() {
    return Pick<const char*>({"", "42", " -7x", "$ff", "%101", "1e5", "nan", "-inf", "0.5", "99999999999", "abc"});
  }

 private:
  template <class T>
  T Pick(std::initializer_list<T> values) {
    return values.begin()[random_() % values.size()];
  }

  std::mt19937_64 random_;
};

class ReflectTypedAccess : public reflect_test::SampleTypeTest {
 protected:
  // Random contents in every field of sample.
  void Fill(TSample& s) {
    s.b = static_cast<uint8_t>(values.Int());
    s.s = static_cast<uint16_t>(values.Int());
    s.i = values.Int();
    s.l = values.Long();
    s.f = values.Float();
    s.d = values.Double();
    s.text = values.Text();
    s.list = nullptr;
  }

  std::vector<Ref<TField>> AllFields() {
    std::vector<Ref<TField>> out;
    for (const char* name : {"b", "s", "i", "l", "f", "d", "text", "list"}) out.push_back(type->FindField(name));
    return out;
  }

  TypedValues values{20261210};
};

std::string TextOf(const Ref<Object>& object) { return object ? object->ToString().ToUtf8() : std::string(); }
String TextOfValue(const Ref<Object>& object) { return object ? object->ToString() : String(); }

TEST_F(ReflectTypedAccess, ReadsGiveWhatTheTextGives) {
  for (int round = 0; round < 3000; ++round) {
    Fill(*sample);
    for (const Ref<TField>& field : AllFields()) {
      auto text = [&] { return TextOfValue(field->Get(sample)); };
      const std::string where = field->Name().ToUtf8() + " holding " + Fields(*sample) + " as \"" +
                                Outcome([&] { return TextOf(field->Get(sample)); }) + "\"";
      ASSERT_EQ(Outcome([&] { return Bits(int64_t{field->GetInt(sample)}); }),
                Outcome([&] { return Bits(int64_t{StringToInt(text())}); }))
          << where;
      ASSERT_EQ(Outcome([&] { return Bits(field->GetLong(sample)); }),
                Outcome([&] { return Bits(StringToLong(text())); }))
          << where;
      ASSERT_EQ(Outcome([&] { return Bits(field->GetFloat(sample)); }),
                Outcome([&] { return Bits(StringToFloat(text())); }))
          << where;
      ASSERT_EQ(Outcome([&] { return Bits(field->GetDouble(sample)); }),
                Outcome([&] { return Bits(StringToDouble(text())); }))
          << where;
    }
  }
}

TEST_F(ReflectTypedAccess, WritesStoreWhatTheTextStores) {
  Ref<TSample> viaText = New<TSample>();
  for (int round = 0; round < 3000; ++round) {
    Fill(*sample);
    for (const Ref<TField>& field : AllFields()) {
      // Each typed write and the text write start from the same contents.
      auto compare = [&](const std::function<void(const Ref<Object>&)>& typed,
                         const std::function<void(const Ref<Object>&)>& asText, const std::string& what) {
        Ref<TSample> typedTarget = New<TSample>();
        CopyFields(*sample, *typedTarget);
        CopyFields(*sample, *viaText);
        std::string typedOutcome = Outcome([&] {
          typed(typedTarget);
          return Fields(*typedTarget);
        });
        std::string textOutcome = Outcome([&] {
          asText(viaText);
          return Fields(*viaText);
        });
        ASSERT_EQ(typedOutcome, textOutcome) << what << " into " << field->Name().ToUtf8();
      };
      const int32_t n = values.Int();
      compare([&](const Ref<Object>& o) { field->SetInt(o, n); },
              [&](const Ref<Object>& o) { field->Set(o, StringFromInt(n)); }, "SetInt " + std::to_string(n));
      const int64_t l = values.Long();
      compare([&](const Ref<Object>& o) { field->SetLong(o, l); },
              [&](const Ref<Object>& o) { field->Set(o, StringFromLong(l)); }, "SetLong " + std::to_string(l));
      const float f = values.Float();
      compare([&](const Ref<Object>& o) { field->SetFloat(o, f); },
              [&](const Ref<Object>& o) { field->Set(o, StringFromFloat(f)); }, "SetFloat " + Bits(f));
      const double d = values.Double();
      compare([&](const Ref<Object>& o) { field->SetDouble(o, d); },
              [&](const Ref<Object>& o) { field->Set(o, StringFromDouble(d)); }, "SetDouble " + Bits(d));
      if (HasFatalFailure()) return;
    }
  }
}

// Objects of other classes, a derived object and the Null object take the
// same road whichever form is used.
TEST_F(ReflectTypedAccess, RefusalsAreTheSame) {
  Ref<Object> derived = New<TDerivedSample>();
  for (const Ref<Object>& target : {Ref<Object>(CreateList()), Ref<Object>(String("x")), derived, Ref<Object>()}) {
    for (const Ref<TField>& field : AllFields()) {
      const std::string where = field->Name().ToUtf8();
      auto text = [&] { return TextOfValue(field->Get(target)); };
      EXPECT_EQ(Outcome([&] { return Bits(int64_t{field->GetInt(target)}); }),
                Outcome([&] { return Bits(int64_t{StringToInt(text())}); }))
          << where;
      EXPECT_EQ(Outcome([&] { return Bits(field->GetDouble(target)); }),
                Outcome([&] { return Bits(StringToDouble(text())); }))
          << where;
      EXPECT_EQ(Outcome([&] {
                  field->SetInt(target, 7);
                  return std::string("stored");
                }),
                Outcome([&] {
                  field->Set(target, StringFromInt(7));
                  return std::string("stored");
                }))
          << where;
      EXPECT_EQ(Outcome([&] {
                  field->SetDouble(target, -0.0);
                  return std::string("stored");
                }),
                Outcome([&] {
                  field->Set(target, StringFromDouble(-0.0));
                  return std::string("stored");
                }))
          << where;
    }
  }
}

// Invoke converts each argument once, straight into its type; the results
// must be what the C++ methods give for the arguments' text, read back.
TEST_F(ReflectTypedAccess, InvokeGivesWhatTheArgumentsTextGives) {
  auto args = [](std::initializer_list<Ref<Object>> given) {
    Ref<Array<Ref<Object>>> out = NewArray<Ref<Object>>({static_cast<int32_t>(given.size())});
    int32_t i = 0;
    for (const Ref<Object>& v : given) (*out)[i++] = v;
    return out;
  };
  // An argument as a program may pass it: number text, other text, the
  // Null object or an object whose ToString gives the text.
  std::mt19937 pick(7);
  auto argument = [&](const String& number) -> Ref<Object> {
    switch (pick() % 8) {
      case 0: return nullptr;
      case 1: return values.Text();
      case 2: return CreateList();
      default: return number;
    }
  };
  Ref<TDerivedSample> derived = New<TDerivedSample>();
  for (int round = 0; round < 3000; ++round) {
    Ref<TSample> target = round % 2 ? Ref<TSample>(derived) : sample;
    Ref<Object> a = argument(StringFromInt(values.Int()));
    Ref<Object> b = argument(StringFromLong(values.Long()));
    Ref<Object> x = argument(StringFromFloat(values.Float()));
    Ref<Object> y = argument(StringFromDouble(values.Double()));
    auto text = [](const Ref<Object>& o) { return o ? o->ToString() : String(); };
    const std::string where = "arguments " + TextOf(a) + ", " + TextOf(b) + ", " + TextOf(x) + ", " + TextOf(y);
    const int32_t addA = StringToInt(text(a)), addB = StringToInt(text(b));
    const int64_t sum = int64_t{addA} + addB;
    if (sum == static_cast<int32_t>(sum)) {  // the C++ sum must not overflow
      ASSERT_EQ(TextOf(type->FindMethod("Add")->Invoke(target, args({a, b}))),
                StringFromInt(target->Add(addA, addB)).ToUtf8())
          << where;
    }
    ASSERT_EQ(TextOf(type->FindMethod("Describe")->Invoke(target, args({a, x}))),
              target->Describe(StringToInt(text(a)), StringToFloat(text(x))).ToUtf8())
        << where;
    ASSERT_EQ(TextOf(type->FindMethod("Low")->Invoke(target, args({b}))),
              StringFromInt(static_cast<uint8_t>(StringToInt(text(b)))).ToUtf8())
        << where;
    type->FindMethod("Mix")->Invoke(target, args({a, b, y, x}));
    ASSERT_EQ(target->trail.back(),
              std::to_string(StringToLong(text(a))) + "," + std::to_string(StringToLong(text(b))) + "," +
                  std::to_string(StringToLong(text(y))) + "," + std::to_string(StringToInt(text(x))))
        << where;
  }
}

}  // namespace
}  // namespace vtl
