#include "util/random.hpp"

#include <chrono>
#include <random>

namespace varnel {

namespace {
std::mt19937_64& Generator() {
  static std::mt19937_64 generator(
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  return generator;
}
}  // namespace

double RandomReal() {
  // 53 random bits scaled into [0, 1): every value exactly representable, 1 never reached.
  return static_cast<double>(Generator()() >> 11) * 0x1.0p-53;
}

void SeedRandom(std::uint64_t seed) { Generator().seed(seed); }

}  // namespace varnel
