#pragma once
// The one process-wide pseudo-random generator: seeded once from the clock at first use, never
// reseeded by the program; tests and scripts may seed it for repeatable decks.
#include <cstdint>

namespace varnel {

// A real uniformly distributed in [0, 1).
double RandomReal();
// Restarts the sequence from the seed; the next BeginRandomSet takes this seed.
void SeedRandom(std::uint64_t seed);
// Starts the draws of a random set (the decks of one generator run) from a seed that, written
// down, draws the same set again: the seed of the last SeedRandom when no set has begun since,
// otherwise a fresh seed drawn from the generator. The generator is restarted from the
// returned seed, so SeedRandom(seed) before the same command reproduces the set exactly.
std::uint64_t BeginRandomSet();

}  // namespace varnel
