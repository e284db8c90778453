// Speed of the number helpers on the batch path: the distinct count behind every grid extent,
// and the format engine that writes every table cell.
#include <benchmark/benchmark.h>

#include <string.h>

#include <chrono>
#include <random>
#include <string>
#include <string_view>

#include "util/format.hpp"
#include "util/numbers.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

// 128000 distinct coordinates (a 0.01 m grid), shuffled as a table's column might be.
RealList DistinctCoordinates(std::size_t count) {
  RealList values;
  values.reserve(count);
  for (std::size_t i = 0; i < count; ++i) values.push_back(-640.0 + 0.01 * static_cast<double>(i));
  std::shuffle(values.begin(), values.end(), std::mt19937_64(1));
  return values;
}

void BM_CountDistinct(benchmark::State& state) {
  RealList values = DistinctCoordinates(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(CountDistinct(values));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CountDistinct)->Arg(6561)->Arg(128000)->Unit(benchmark::kMillisecond);

// Field values as a near-field table holds them: magnitudes over several decades.
RealList FieldValues() {
  std::mt19937_64 random(2);
  std::uniform_real_distribution<double> exponent(-6, 3);
  RealList values(4096);
  for (double& v : values) v = std::pow(10.0, exponent(random)) * ((random() & 1) ? 1 : -1);
  return values;
}

void FormatThroughput(benchmark::State& state, const char* pattern) {
  RealList values = FieldValues();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatReal(pattern, values[i]));
    i = (i + 1) % values.size();
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_FormatFixed(benchmark::State& state) { FormatThroughput(state, "%9.3f"); }
void BM_FormatGeneral(benchmark::State& state) { FormatThroughput(state, "%9.3g"); }
BENCHMARK(BM_FormatFixed);
BENCHMARK(BM_FormatGeneral);

void BM_TextToReal(benchmark::State& state) {
  DecimalSeparator = ',';
  const char* texts[] = {"7,8777E-02", "-117,82", "1,2597E-01", "149,73", "-1,0000"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(TextToReal(texts[i]));
    i = (i + 1) % 5;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextToReal);

}  // namespace

// The reader's case-insensitive keyword search over 32 MB of near-field rows that do not hold
// the keyword (a full scan), beside memmem's case-sensitive search of the same bytes.
void BM_KeywordSearch(benchmark::State& state) {
  std::string text;
  const std::string row = "  -40.0000  -40.0000    1.3000   2.5054E-06   22.37   2.4847E-06 -156.24   1.8390E-08  106.68\r\n";
  while (text.size() < (32u << 20)) text += row;
  const std::string_view key = "NEAR ELECTRIC FIELDS";
  using Clock = std::chrono::steady_clock;
  double folded = 0, plain = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    benchmark::DoNotOptimize(FindFolded(text, key));
    folded += std::chrono::duration<double>(Clock::now() - start).count();
    start = Clock::now();
    benchmark::DoNotOptimize(memmem(text.data(), text.size(), key.data(), key.size()));
    plain += std::chrono::duration<double>(Clock::now() - start).count();
  }
  const double bytes = static_cast<double>(text.size()) * static_cast<double>(state.iterations());
  state.counters["GB/s folded"] = bytes / folded / 1e9;
  state.counters["GB/s memmem"] = bytes / plain / 1e9;
  state.counters["ratio"] = folded / plain;
}
BENCHMARK(BM_KeywordSearch)->Unit(benchmark::kMillisecond);

}  // namespace varnel
