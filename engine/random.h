// The process's one pseudo-random generator (32-bit linear congruential).
#pragma once

#include <cstdint>

namespace zarvella {

// Next draw: an integer from 0 to n - 1 (the upper half of state * n).
int32_t RandomInt(int32_t n);

// Seed from the UTC time of day, in milliseconds since midnight.
void SeedRandom();

// Seed with a known state (tests, and SeedRandom itself).
void SeedRandomWith(uint32_t state);

// Milliseconds since midnight, UTC, from the system clock.
uint32_t TimeOfDayMs();

uint32_t RandomState();

}  // namespace zarvella
