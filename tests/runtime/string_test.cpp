#include <gtest/gtest.h>

#include <limits>

#include "runtime/runtime.h"

namespace {

using namespace vtl;

TEST(Strings, SharedEmptyAndConversions) {
  String a, b;
  EXPECT_TRUE(a.SameObject(b));
  EXPECT_TRUE(String("").SameObject(a));
  EXPECT_TRUE(ConcatStrings("", "").SameObject(a));
  // The empty string is permanent already: marking it again must not overflow its count.
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(String::Permanent("").SameObject(a));
  EXPECT_EQ(String("\xe4").Length(), 1);  // one code per byte
  EXPECT_EQ(String("\xe4")[0], 0xE4);
  EXPECT_EQ(String("\xe4").ToUtf8(), "\xc3\xa4");
  EXPECT_EQ(String::FromUtf8("a\xc3\xa4\xf0\x9f\x98\x80"), String(u"a\u00e4\U0001F600"));
  EXPECT_EQ(String::FromUtf8("\xff\xc3"), String(u"\uFFFD\uFFFD"));
  EXPECT_EQ(String(u"\U0001F600").ToUtf8(), "\xf0\x9f\x98\x80");
  EXPECT_THROW(String("ab")[2], ThrownObject);
}

TEST(Strings, CompareByCodesThenLength) {
  EXPECT_LT(CompareStrings("ABC", "ABD"), 0);
  EXPECT_EQ(CompareStrings("AB", "ABC"), -1);
  EXPECT_NE(CompareStrings("a", "A"), 0);
  EXPECT_EQ(CompareStrings("x", "x"), 0);
  EXPECT_EQ(CompareStrings(u"\uFFFF", "a"), 0xFFFF - 'a');
}

TEST(Strings, NumbersToText) {
  EXPECT_EQ(StringFromInt(-2147483647 - 1), String("-2147483648"));
  EXPECT_EQ(StringFromInt(0), String("0"));
  EXPECT_EQ(StringFromInt(300 - 7), String("293"));
  EXPECT_EQ(StringFromLong(-9223372036854775807LL - 1), String("-9223372036854775808"));
  EXPECT_EQ(StringFromFloat(1.0f), String("1.00000000"));
  EXPECT_EQ(StringFromFloat(0.1f), String("0.100000001"));
  EXPECT_EQ(StringFromDouble(0.5), String("0.50000000000000000"));
  EXPECT_EQ(StringFromChar(0x10041), String("A"));
  EXPECT_EQ(HexString(-1), String("FFFFFFFF"));
  EXPECT_EQ(HexString(0x1F), String("0000001F"));
  EXPECT_EQ(BinString(5), String("00000000000000000000000000000101"));
}

TEST(Strings, TextToNumbers) {
  EXPECT_EQ(StringToInt("  -42xyz"), -42);
  EXPECT_EQ(StringToInt("xyz"), 0);
  EXPECT_EQ(StringToInt(""), 0);
  EXPECT_EQ(StringToInt("$1F"), 31);
  EXPECT_EQ(StringToInt("$ff"), 255);
  EXPECT_EQ(StringToInt("%101"), 5);
  EXPECT_EQ(StringToInt("+7"), 7);
  EXPECT_EQ(StringToInt("\t\n12"), 12);
  EXPECT_EQ(StringToInt("4294967297"), 1);  // wraps in 32 bits
  EXPECT_EQ(StringToInt(u"\u00a012"), 0);   // codes above 127 are not blanks
  EXPECT_FLOAT_EQ(StringToFloat(" 2.5e1"), 25.0f);
  EXPECT_EQ(StringToNarrow(u"A\u0142"), std::string("A\x42"));
}

TEST(Strings, SlicesPadWithBlanksAndClampCounts) {
  String ab = "AB";
  EXPECT_EQ(SliceString(ab, -1, 3), String(" AB "));
  EXPECT_EQ(SliceString(ab, 2, 2).Length(), 0);
  EXPECT_EQ(SliceString(ab, 5, 1).Length(), 0);
  EXPECT_EQ(RightChars("FEUERBALL", -1), String(""));
  EXPECT_EQ(LeftChars("FEUERBALL", 0), String(""));
  EXPECT_EQ(LeftChars("FEUERBALL", 5), String("FEUER"));
  EXPECT_EQ(RightChars("FEUERBALL", 4), String("BALL"));
  EXPECT_EQ(LeftChars("ABC", 99), String("ABC"));
  EXPECT_EQ(RightChars("ABC", 99), String("ABC"));
  EXPECT_EQ(PadRight("AB", 4), String("AB  "));
  EXPECT_EQ(PadLeft("AB", 4), String("  AB"));
  EXPECT_EQ(PadLeft("ABCD", 2), String("CD"));
  EXPECT_EQ(MidChars("HELLO", 2, 3), String("ELL"));
  EXPECT_EQ(MidChars("HELLO", 4), String("LO"));
  EXPECT_EQ(MidChars("HELLO", 0, 2), String("H"));
  EXPECT_EQ(MidChars("HELLO", 0), String(" HELLO"));
  EXPECT_EQ(MidChars("HELLO", 4, 10), String("LO"));
  EXPECT_EQ(MidChars("HELLO", 6, 1), String(""));
}

// Counts anywhere in the int range: the bounds computed from them must not
// wrap into a huge length or an undefined overflow.
TEST(Strings, CountsAtTheEndsOfTheIntRangeNeverWrap) {
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  for (int32_t n : {kMin, kMin + 3, -1}) {
    EXPECT_EQ(RightChars("FEUERBALL", n), String(""));
    EXPECT_EQ(LeftChars("FEUERBALL", n), String(""));
    EXPECT_EQ(PadLeft("FEUERBALL", n), String(""));
    EXPECT_EQ(PadRight("FEUERBALL", n), String(""));
    EXPECT_EQ(MidChars("HELLO", n, 3), String(n == -1 ? "H" : ""));
    EXPECT_EQ(MidChars("HELLO", 2, n), String("ELLO"));
    EXPECT_EQ(InstrString("HELLO", "L", n), 3);
    EXPECT_EQ(FindString("HELLO", "L", n), 2);
  }
  EXPECT_EQ(RightChars("ABC", kMax), String("ABC"));
  EXPECT_EQ(MidChars("HELLO", 2, kMax), String("ELLO"));
  EXPECT_EQ(MidChars("HELLO", kMax, 1), String(""));
  EXPECT_EQ(InstrString("HELLO", "L", kMax), 0);
  EXPECT_EQ(FindString("HELLO", "L", kMax), -1);
  EXPECT_EQ(SliceString("AB", kMin, kMin + 2), String("  "));
  // A result that really is longer than a string can be is refused clearly.
  EXPECT_THROW(MidChars("HELLO", kMin, -1), ThrownObject);
  EXPECT_THROW(SliceString("AB", kMin, kMax), ThrownObject);
}

TEST(Strings, TrimReturnsTheSameObjectWhenNothingChanges) {
  String clean = "HEILE OGAR";
  EXPECT_TRUE(TrimString(clean).SameObject(clean));
  EXPECT_EQ(TrimString(" \t\x01 "), String(""));
  EXPECT_EQ(TrimString("  FEUERBALL \r\n"), String("FEUERBALL"));
  EXPECT_EQ(TrimString(u"\u00a0X\u00a0"), String(u"\u00a0X\u00a0"));
}

TEST(Strings, CaseMappingTouchesAsciiLettersOnly) {
  EXPECT_EQ(UpperString(u"beschwoere skelett-2 \u00e4"), String(u"BESCHWOERE SKELETT-2 \u00e4"));
  EXPECT_EQ(LowerString("ABC-xyz 9"), String("abc-xyz 9"));
}

TEST(Strings, FindAndReplace) {
  EXPECT_EQ(FindString("abcabc", "c", 0), 2);
  EXPECT_EQ(FindString("abcabc", "c", 3), 5);
  EXPECT_EQ(FindString("abcabc", "c", -5), 2);
  EXPECT_EQ(FindString("abc", "abcd", 0), -1);
  EXPECT_EQ(FindString("abc", "", 3), 3);
  EXPECT_EQ(FindString("abc", "a", 9), -1);
  EXPECT_EQ(InstrString("abcabc", "b", 3), 5);
  EXPECT_EQ(InstrString("abc", "x", 1), 0);
  String s = "aaaa";
  EXPECT_EQ(ReplaceString(s, "aa", "b"), String("bb"));
  EXPECT_EQ(ReplaceString("a.b.c", ".", "::"), String("a::b::c"));
  EXPECT_TRUE(ReplaceString(s, "x", "y").SameObject(s));
  EXPECT_TRUE(ReplaceString(s, "", "y").SameObject(s));
}

TEST(Strings, ConcatenationBuildsStatusLines) {
  int32_t mana = 50;
  String line = StringFromInt(mana) + " von " + StringFromInt(100) + " Mana";
  EXPECT_EQ(line, String("50 von 100 Mana"));
  std::ostringstream out;
  out << String(u"Gr\u00fc\u00dfe");
  EXPECT_EQ(out.str(),
            "Gr\xc3\xbc\xc3\x9f"
            "e");
}

}  // namespace
