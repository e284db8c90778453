#pragma once
// The one process-wide pseudo-random generator: seeded once from the clock at first use, never
// reseeded by the program; tests and scripts may seed it for repeatable decks.
#include <cstdint>

namespace varnel {

// A real uniformly distributed in [0, 1).
double RandomReal();
// Restarts the sequence from the seed.
void SeedRandom(std::uint64_t seed);

}  // namespace varnel
