// The runtime's string operations. Edges (negative lengths, lengths past the
// end, blank filling) behave exactly as documented per function: callers such
// as the incantation parser depend on them.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/string.h"

namespace vtl {

String ConcatStrings(const String& a, const String& b);
// First differing code a - b, else len(a) - len(b).
int32_t CompareStrings(const String& a, const String& b);

String StringFromInt(int32_t n);
String StringFromLong(int64_t n);
String StringFromChar(int32_t code);
String StringFromFloat(float x);    // "%#.9g"
String StringFromDouble(double x);  // "%#.17g"

// Blanks skipped, optional sign, then "%" binary, "$" hexadecimal or decimal
// digits up to the first non-digit; wraps on overflow; no digits give 0.
int32_t StringToInt(const String& s);
int64_t StringToLong(const String& s);
float StringToFloat(const String& s);
double StringToDouble(const String& s);
// Each code's low 8 bits; c_str() adds the terminating zero.
std::string StringToNarrow(const String& s);

// Codes start .. end-1, blank where the range lies outside s.
String SliceString(const String& s, int32_t start, int32_t end);
String LeftChars(const String& s, int32_t n);
String RightChars(const String& s, int32_t n);
String MidChars(const String& s, int32_t pos, int32_t count = -1);
String PadLeft(const String& s, int32_t n);
String PadRight(const String& s, int32_t n);
// Without codes 0 to 32 at either end; s itself when there is nothing to trim.
String TrimString(const String& s);
String UpperString(const String& s);
String LowerString(const String& s);
// Index of sub at or after start, or -1.
int32_t FindString(const String& s, const String& sub, int32_t start = 0);
// 1-based position of sub from the 1-based start, 0 when absent.
int32_t InstrString(const String& s, const String& sub, int32_t start = 1);
// Every non-overlapping occurrence replaced; s itself when none.
String ReplaceString(const String& s, const String& sub, const String& with);
String HexString(int32_t n);
String BinString(int32_t n);

}  // namespace vtl
