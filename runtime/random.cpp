#include "runtime/random.h"

namespace vtl {

namespace {

constexpr int32_t kModulus = 2147483647;
constexpr int32_t kDefaultSeed = 4660;
int32_t state = kDefaultSeed;

// Schrage's method keeps 48271 * state mod (2^31 - 1) inside 32 bits.
int32_t Step() {
  constexpr int32_t q = 44488;
  constexpr int32_t r = 3399;
  int32_t next = 48271 * (state % q) - r * (state / q);
  if (next < 0) next += kModulus;
  state = next;
  return state;
}

}  // namespace

void SeedRandom(int32_t seed) {
  state = seed & 0x7FFFFFFF;
  if (state == 0 || state == kModulus) state = kDefaultSeed;
}

int32_t CurrentSeed() { return state; }

float RandomFloat() { return static_cast<float>(Step() & 0x0FFFFFF0) / 268435456.0f; }

double RandomDouble() {
  double a = Step() & 0x1FFFFFFC;
  double b = Step() & 0x1FFFFFF8;
  return (a + b / 134217728.0) / 536870912.0;
}

double RandomBetween(double a, double b) {
  if (b > a) return a + RandomDouble() * (b - a);
  return b + RandomDouble() * (a - b);
}

int32_t RandomRange(int32_t a, int32_t b) {
  // The range is taken in 64 bits: a 32-bit difference would wrap for bounds
  // more than 2^31 apart and give results outside them. For every other pair
  // the draws are the same.
  int64_t range = int64_t{b} - a;
  double draw = RandomDouble();
  if (range > 0) return static_cast<int32_t>(a + static_cast<int64_t>(draw * (static_cast<double>(range) + 1)));
  return static_cast<int32_t>(b + static_cast<int64_t>(draw * (1 - static_cast<double>(range))));
}

}  // namespace vtl
