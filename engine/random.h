// The picture's pseudo-random generator (32-bit linear congruential). Each
// picture has its own state (PictureRecord::random); the order of its draws
// is part of the picture (docs/compatibility.md).
#pragma once

#include <cstdint>

#include "state/picture_record.h"

namespace zarvella {

// Next draw: an integer from 0 to n - 1 (the upper half of state * n).
int32_t RandomInt(RandomRecord& random, int32_t n);

// Seed from the UTC time of day, in milliseconds since midnight.
void SeedRandom(RandomRecord& random);

// Milliseconds since midnight, UTC, from the system clock.
uint32_t TimeOfDayMs();

}  // namespace zarvella
