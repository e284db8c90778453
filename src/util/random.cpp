#include "util/random.hpp"

#include <chrono>
#include <optional>
#include <random>

namespace varnel {

namespace {
std::mt19937_64& Generator() {
  static std::mt19937_64 generator(
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  return generator;
}
// The seed given by SeedRandom that no set has taken yet.
std::optional<std::uint64_t>& PendingSeed() {
  static std::optional<std::uint64_t> seed;
  return seed;
}
}  // namespace

double RandomReal() {
  // 53 random bits scaled into [0, 1): every value exactly representable, 1 never reached.
  return static_cast<double>(Generator()() >> 11) * 0x1.0p-53;
}

void SeedRandom(std::uint64_t seed) {
  Generator().seed(seed);
  PendingSeed() = seed;
}

std::uint64_t BeginRandomSet() {
  std::uint64_t seed = 0;
  if (PendingSeed()) {
    seed = *PendingSeed();
    PendingSeed().reset();
  } else {
    seed = Generator()();
  }
  Generator().seed(seed);
  return seed;
}

}  // namespace varnel
