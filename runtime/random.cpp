#include "runtime/random.h"

namespace vtl {

namespace {

constexpr int32_t kModulus = 2147483647;
constexpr int32_t kDefaultSeed = 4660;
constexpr uint64_t kMultiplier = 48271;
// Two steps at once: state * 48271^2 mod (2^31 - 1).
constexpr uint64_t kSquaredMultiplier = kMultiplier * kMultiplier % kModulus;
int32_t state = kDefaultSeed;

// factor * value mod (2^31 - 1) for a factor and a value below the modulus:
// 2^31 is 1 modulo the modulus, so the high bits fold onto the low ones.
// The low part is at most the modulus and the high part below the factor,
// so one subtraction finishes the reduction. The state is never 0 nor the
// modulus, so neither is the result.
inline int32_t MulMod(uint64_t factor, int32_t value) {
  const uint64_t product = factor * static_cast<uint64_t>(value);
  const uint64_t folded = (product & kModulus) + (product >> 31);
  return static_cast<int32_t>(folded >= kModulus ? folded - kModulus : folded);
}

int32_t Step() { return state = MulMod(kMultiplier, state); }

// [0, 1) from the next two states, the first giving the high bits. Both
// masked states fit in a double's 53 bits side by side, so the sum is exact.
double DrawDouble() {
  const int32_t first = MulMod(kMultiplier, state);
  const int32_t second = MulMod(kSquaredMultiplier, state);
  state = second;
  const uint64_t bits = (static_cast<uint64_t>(first & 0x1FFFFFFC) << 27) | static_cast<uint64_t>(second & 0x1FFFFFF8);
  return static_cast<double>(bits) * 0x1p-56;
}

}  // namespace

void SeedRandom(int32_t seed) {
  state = seed & 0x7FFFFFFF;
  if (state == 0 || state == kModulus) state = kDefaultSeed;
}

int32_t CurrentSeed() { return state; }

float RandomFloat() { return static_cast<float>(Step() & 0x0FFFFFF0) / 268435456.0f; }

double RandomDouble() { return DrawDouble(); }

double RandomBetween(double a, double b) {
  if (b > a) return a + RandomDouble() * (b - a);
  return b + RandomDouble() * (a - b);
}

int32_t RandomRange(int32_t a, int32_t b) {
  // The range is taken in 64 bits: a 32-bit difference would wrap for bounds
  // more than 2^31 apart and give results outside them. For every other pair
  // the draws are the same.
  int64_t range = int64_t{b} - a;
  double draw = DrawDouble();
  if (range > 0) return static_cast<int32_t>(a + static_cast<int64_t>(draw * (static_cast<double>(range) + 1)));
  return static_cast<int32_t>(b + static_cast<int64_t>(draw * (1 - static_cast<double>(range))));
}

}  // namespace vtl
