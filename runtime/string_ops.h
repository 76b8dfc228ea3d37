/// \file
/// The runtime's string operations. Edges (negative lengths, lengths past the
/// end, blank filling) behave exactly as documented per function: callers such
/// as the incantation parser depend on them.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/string.h"

namespace vtl {

/// a followed by b; "String too long" past the int range.
String ConcatStrings(const String& a, const String& b);
/// First differing code a - b, else len(a) - len(b).
int32_t CompareStrings(const String& a, const String& b);

/// Decimal, with a "-" when negative.
///@{
String StringFromInt(int32_t n);
String StringFromLong(int64_t n);
///@}
/// One code: the low 16 bits of code.
String StringFromChar(int32_t code);
String StringFromFloat(float x);    ///< "%#.9g"
String StringFromDouble(double x);  ///< "%#.17g"

/// Blanks skipped, optional sign, then "%" binary, "$" hexadecimal or decimal
/// digits up to the first non-digit; wraps on overflow; no digits give 0.
///@{
int32_t StringToInt(const String& s);
int64_t StringToLong(const String& s);
///@}
/// The low bytes read as a C floating-point number (leading blanks skipped;
/// hexadecimal, "inf" and "nan" accepted); 0 when there is none. The float
/// is the double rounded.
///@{
float StringToFloat(const String& s);
double StringToDouble(const String& s);
///@}
/// Each code's low 8 bits; c_str() adds the terminating zero.
std::string StringToNarrow(const String& s);

/// Codes start .. end-1, blank where the range lies outside s.
String SliceString(const String& s, int32_t start, int32_t end);
/// The first n codes: all of s when n is longer, empty when n <= 0.
String LeftChars(const String& s, int32_t n);
/// The last n codes: all of s when n is longer, empty when n <= 0.
String RightChars(const String& s, int32_t n);
/// count codes from the 1-based pos, or the rest of s when count is negative.
/// A pos past the end gives the empty string. A pos below 1 shortens a
/// count by the positions before the start; without a count, each of those
/// positions gives a blank.
String MidChars(const String& s, int32_t pos, int32_t count = -1);
/// Exactly n codes (empty when n <= 0): the end of s, blank-filled on the left.
String PadLeft(const String& s, int32_t n);
/// Exactly n codes (empty when n <= 0): the start of s, blank-filled on the right.
String PadRight(const String& s, int32_t n);
/// Without codes 0 to 32 at either end; s itself when there is nothing to trim.
String TrimString(const String& s);
/// a to z raised to A to Z; every other code stays.
String UpperString(const String& s);
/// A to Z lowered to a to z; every other code stays.
String LowerString(const String& s);
/// Index of sub at or after start, or -1. A negative start counts as 0.
int32_t FindString(const String& s, const String& sub, int32_t start = 0);
/// 1-based position of sub from the 1-based start, 0 when absent.
int32_t InstrString(const String& s, const String& sub, int32_t start = 1);
/// Every non-overlapping occurrence replaced; s itself when none.
String ReplaceString(const String& s, const String& sub, const String& with);
/// The 32 bits of n as 8 upper-case hexadecimal digits.
String HexString(int32_t n);
/// The 32 bits of n as 32 binary digits.
String BinString(int32_t n);

}  // namespace vtl
