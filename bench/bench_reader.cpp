// The near-field reader on classic tables, beside a plain memchr line count over the same text
// (the floor for any reader that must look at every line) and beside the same table in nec2c's
// and nec2++'s prints, and the grid extent of large tables:
// all-distinct coordinates, and a grid. The reader's figure stands beside that floor as the
// ratio x_memchr of processor times (all threads), which a busy machine disturbs far less than
// wall time; a large table is read on several cores, so its wall time is the shorter.
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <random>
#include <string>

#include "../tests/support/classic_output.hpp"
#include "necout/nearfield.hpp"
#include "necout/reader.hpp"

namespace varnel {

namespace {

// 6561 = 9^3 and 128000 = 80 x 40 x 40 grid points.
ClassicOutput ClassicRun(int rows) {
  ClassicOutput o;
  o.nearField = rows == 6561 ? ClassicGrid(9, 9, 9, -1, -1, -1, 0.25, ClassicDipoleField)
                             : ClassicGrid(80, 40, 40, -4, -2, -2, 0.1, ClassicDipoleField);
  for (ClassicNearRow& r : o.nearField) r.mx *= 9;  // mix of magnitudes
  o.nearField.resize(static_cast<std::size_t>(rows));
  return o;
}

const std::string& ClassicText(int rows) {
  static std::string small, large;
  std::string& text = rows == 6561 ? small : large;
  if (text.empty()) text = ClassicOutputText(ClassicRun(rows));
  return text;
}

// The same run in nec2++'s print, its default one or its CSV print: the banner, the frequency, the
// feed row and the near-field rows as nec2++ writes them (the default print frames its headings,
// the CSV print has none and ends every field with a comma).
const std::string& NecPPText(int rows, bool csv) {
  static std::string texts[2][2];
  std::string& text = texts[rows == 6561][csv];
  if (!text.empty()) return text;
  using classic_detail::Printf;
  const ClassicOutput o = ClassicRun(rows);
  const char* const number = csv ? "%9.4f," : "%10.4f";
  const char* const magnitude = csv ? "%11.4E," : "%13.4E";
  const char* const phase = csv ? "%7.2f," : "%8.2f";
  std::vector<std::string> lines = {"   | NUMERICAL ELECTROMAGNETICS CODE (nec2++) |",
                                    "",
                                    "   ---------- COMMENTS ----------",
                                    "",
                                    "   -------- STRUCTURE SPECIFICATION --------",
                                    "",
                                    "   --------- FREQUENCY --------",
                                    Printf("   FREQUENCY=  %.4E MHZ", o.frequency),
                                    ""};
  if (!csv) lines.push_back("   ----- ANTENNA INPUT PARAMETERS -----");
  lines.push_back("  TAG   SEG       VOLTAGE (VOLTS)");
  lines.push_back("  NO.   NO.     REAL      IMAGINARY  (WATTS)");
  std::string feed = Printf(csv ? "%4d,%5d," : "%4d%6d", 1, 1);
  for (int i = 0; i < 9; ++i) feed += Printf(csv ? "%11.4E," : "%12.4E", 0.5 + i);
  if (csv) feed.pop_back();
  lines.insert(lines.end(), {feed, "", "   ---------- POWER BUDGET ---------",
                             Printf("   INPUT POWER   =  %.4E Watts", o.inputPower), ""});
  if (!csv) lines.push_back("   ----- NEAR ELECTRIC FIELDS -----");
  lines.insert(lines.end(), {"     ------- LOCATION -------     ------- EX ------",
                             "      X         Y         Z       MAGNITUDE   PHASE",
                             "    METERS    METERS    METERS     VOLTS/M  DEGREES"});
  for (const ClassicNearRow& r : o.nearField)
    lines.push_back(Printf(number, r.x) + Printf(number, r.y) + Printf(number, r.z) +
                    Printf(magnitude, r.mx) + Printf(phase, r.px) + Printf(magnitude, r.my) +
                    Printf(phase, r.py) + Printf(magnitude, r.mz) + Printf(phase, r.pz) + (csv ? "" : " "));
  lines.insert(lines.end(), {"", "  TOTAL RUN TIME: 0 msec"});
  return text = classic_detail::Join(lines);
}

// The same table in nec2c's print: its banner and frequency line, and no blank line between the
// near-field heading and its titles (the rows are alike).
const std::string& Nec2cText(int rows) {
  static std::string small, large;
  std::string& text = rows == 6561 ? small : large;
  if (text.empty()) {
    text = ClassicText(rows);
    const auto replace = [&](const std::string& from, const std::string& to) {
      text.replace(text.find(from), from.size(), to);
    };
    replace("NUMERICAL ELECTROMAGNETICS CODE (NEC-2D)", "NUMERICAL ELECTROMAGNETICS CODE (nec2c) ");
    replace("FREQUENCY= ", "FREQUENCY : ");
    replace("NEAR ELECTRIC FIELDS --------\r\n\r\n", "NEAR ELECTRIC FIELDS --------\r\n");
  }
  return text;
}

double ProcessorSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

std::size_t CountLines(const std::string& text) {
  std::size_t lines = 0;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (const void* hit = std::memchr(p, '\r', static_cast<std::size_t>(end - p))) {
    ++lines;
    p = static_cast<const char*>(hit) + 1;
  }
  return lines;
}

// Processor seconds of one line count over text, over at least a twentieth of a second.
double LineCountSeconds(const std::string& text) {
  const double start = ProcessorSeconds();
  int runs = 0;
  double now;
  do {
    benchmark::DoNotOptimize(CountLines(text));
    ++runs;
  } while ((now = ProcessorSeconds()) - start < 0.05);
  return (now - start) / runs;
}

// Arguments: rows, polarisation, and the parts the table may be read in (0: as many as the
// machine's cores; 1: one part on the calling thread, the processor time per row).
void BM_ReadNearField(benchmark::State& state) {
  const std::string& text = ClassicText(static_cast<int>(state.range(0)));
  const int polarization = static_cast<int>(state.range(1));
  const TextParts parts = state.range(2) == 0 ? TextParts::OfThisMachine()
                                              : TextParts{static_cast<std::size_t>(state.range(2)), 0};
  NearFieldTable table;
  const double start = ProcessorSeconds();
  for (auto _ : state) {
    ReadNearField(OutputPrint(text), polarization, table, parts);
    benchmark::DoNotOptimize(table.value.data());
  }
  const double perRead = (ProcessorSeconds() - start) / static_cast<double>(state.iterations());
  state.counters["x_memchr"] = perRead / LineCountSeconds(text);
  if (table.x.size() != static_cast<std::size_t>(state.range(0))) state.SkipWithError("wrong row count");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.counters["rows"] = static_cast<double>(table.x.size());
}
BENCHMARK(BM_ReadNearField)
    ->ArgsProduct({{6561, 128000}, {0, 1, 4}, {0}})
    ->ArgsProduct({{128000}, {0, 1}, {1}})
    ->ArgNames({"rows", "pol", "parts"})
    ->Unit(benchmark::kMillisecond);

// The table in another engine's print (0 nec2c, 1 nec2++, 2 nec2++'s CSV print) beside the same
// table in the classic print, read in turns in the same run: x_classic is the ratio of their
// processor times (recognising the print, finding its run and reading the rows, all included).
void BM_OtherPrintBesideClassic(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const int polarization = static_cast<int>(state.range(1));
  const std::string& other = state.range(2) == 0 ? Nec2cText(rows) : NecPPText(rows, state.range(2) == 2);
  const std::string& classic = ClassicText(rows);
  NearFieldTable table;
  double otherSeconds = 0, classicSeconds = 0;
  for (auto _ : state) {
    double start = ProcessorSeconds();
    ReadNearField(other, polarization, table);
    otherSeconds += ProcessorSeconds() - start;
    benchmark::DoNotOptimize(table.value.data());
    if (table.x.size() != static_cast<std::size_t>(rows)) state.SkipWithError("wrong row count");
    start = ProcessorSeconds();
    ReadNearField(classic, polarization, table);
    classicSeconds += ProcessorSeconds() - start;
    benchmark::DoNotOptimize(table.value.data());
  }
  state.counters["x_classic"] = otherSeconds / classicSeconds;
}
BENCHMARK(BM_OtherPrintBesideClassic)
    ->ArgsProduct({{6561, 128000}, {0, 1}, {0, 1, 2}})
    ->ArgNames({"rows", "pol", "print"})
    ->Unit(benchmark::kMillisecond);

void BM_MemchrLineCount(benchmark::State& state) {
  const std::string& text = ClassicText(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(CountLines(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_MemchrLineCount)->Arg(6561)->Arg(128000)->ArgName("rows")->Unit(benchmark::kMillisecond);

void BM_GridExtentAllDistinct(benchmark::State& state) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coordinate(-100, 100);
  NearFieldTable table;
  for (int i = 0; i < 128000; ++i) {
    table.x.push_back(i * 0.01);  // distinct by construction, rising
    table.y.push_back(coordinate(rng));
    table.z.push_back(-i * 0.002);
  }
  for (auto _ : state) {
    GridExtent e = GridExtentOf(table);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_GridExtentAllDistinct)->Unit(benchmark::kMillisecond);

// The grid extent of the large classic table: each axis a cycle of values, of runs, or runs.
void BM_GridExtentOfAGrid(benchmark::State& state) {
  NearFieldTable table;
  ReadNearField(ClassicText(128000), 1, table);
  for (auto _ : state) {
    GridExtent e = GridExtentOf(table);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_GridExtentOfAGrid)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace varnel
