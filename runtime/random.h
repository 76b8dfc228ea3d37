/// \file
/// The process-wide pseudo-random generator: Park-Miller minimal standard
/// (multiplier 48271, modulus 2^31 - 1). With the same seed the sequence of
/// draws is always the same.
#pragma once

#include <cstdint>

namespace vtl {

/// Sets the state to seed & 0x7FFFFFFF, or 4660 when that is 0 or 2^31 - 1.
void SeedRandom(int32_t seed);
/// The current state (4660 before any seeding).
int32_t CurrentSeed();
/// [0, 1), one step.
float RandomFloat();
/// [0, 1), two steps.
double RandomDouble();
/// Between the two bounds, [min, max); one RandomDouble.
double RandomBetween(double a, double b);
/// Every integer between the two bounds inclusive, equally likely; one RandomDouble.
int32_t RandomRange(int32_t a, int32_t b);

}  // namespace vtl
