// Engine runs, by wall-clock time (the engines are child processes, so the parent's CPU time
// says nothing), each beside its anchor from the same run:
//  - Batch Conversion of 40 test-object decks through the engine stand-in over nec2c, one run
//    after the other and two at once: the speed-up;
//  - the engine time per test-object deck with a study's grid (3 m and 10 m at 1,3 m) against
//    the fixed 81 x 81 grid, and whether Analyse EUTs gives the same table at P = (10 | 0 | 1,3);
//  - Batch Conversion with an engine that ends at once against xargs -P of the same engine: what
//    the conversion loop adds per deck.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>
#include <cstdlib>

#include "bench_form.hpp"
#include "mainwindow/VarnelU.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "util/random.hpp"

namespace varnel {

namespace fs = std::filesystem;

#ifndef VARNEL_ENGINE_BINARY
#define VARNEL_ENGINE_BINARY "varnel_engine"  // found through PATH
#endif

namespace {

// A private drive c: whose engine launchers start the stand-in built with the benchmarks.
struct EngineTree {
  EngineTree() {
    std::string pattern = (fs::temp_directory_path() / "varnel-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
    for (const char* folder :
         {"drive_c/4nec2/b_in/Ranges", "drive_c/4nec2/b_out", "drive_c/4nec2/exe", "home"})
      fs::create_directories(dir / folder);
    std::ofstream(dir / "drive_c/4nec2/b_in/Ranges/one.txt", std::ios::binary) << "7,01\r\n";
    const fs::path launcher = dir / "drive_c/4nec2/exe/nec2dxs1k5.exe";
    std::ofstream(launcher, std::ios::binary) << "#!/bin/sh\nexec '" VARNEL_ENGINE_BINARY "' \"$@\"\n";
    fs::permissions(launcher, fs::perms::owner_all);
    const fs::path quick = dir / "drive_c/4nec2/exe/quick.exe";
    std::ofstream(quick, std::ios::binary) << "#!/bin/sh\nexit 0\n";
    fs::permissions(quick, fs::perms::owner_all);
    setenv("WINEPREFIX", dir.c_str(), 1);  // the stand-in finds drive c: through it
  }
  ~EngineTree() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  PosixRoots Roots() const { return PosixRoots{(dir / "drive_c").string(), (dir / "home").string()}; }
  fs::path dir;
};

// The tree and a form over it whose pauses sleep.
struct EngineBench {
  EngineBench() : bench(tree.Roots()) {
    DecimalSeparator = ',';
    bench.ui.realPause = true;
  }
  EngineTree tree;
  BenchForm bench;
};

// Seconds of the two steps of each iteration, their means per unit and their ratio as counters.
template <typename First, typename Second>
void TimeBeside(benchmark::State& state, double units, const char* firstName, First first,
                const char* secondName, Second second, const char* ratioName = "ratio") {
  double a = 0, b = 0;
  for (auto _ : state) {
    a += first();
    b += second();
    state.SetIterationTime(a + b);
  }
  const double n = static_cast<double>(state.iterations()) * units;
  state.counters[firstName] = a / n;
  state.counters[secondName] = b / n;
  state.counters[ratioName] = a / b;
}

void Generate(BenchForm& bench, const char* count, const char* name, std::vector<const char*> grid) {
  SeedRandom(3);
  bench.ui.AnswerOpen(std::string("c:\\4nec2\\b_in\\Ranges\\one.txt"));
  for (const char* answer : {count, "3", "1,5", "1", "1", name}) bench.ui.AnswerAsk(std::string(answer));
  for (const char* answer : grid) bench.ui.AnswerAsk(std::string(answer));
  bench.form.MIGenerateEUTsClick();
}

double ConvertSeconds(ScriptedUi& ui, TForm1& form, int jobs, const std::string& set = "E_") {
  form.params.EngineJobs = jobs;
  ui.AnswerFolder("c:\\4nec2\\b_in\\" + set);
  const auto start = std::chrono::steady_clock::now();
  form.BatchConversion1Click();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_BatchConversionOfFortyDecks(benchmark::State& state) {
  EngineBench run;
  BenchForm& bench = run.bench;
  Generate(run.bench, "40", "E_", {""});

  TimeBeside(
      state, 1, "s one by one", [&] { return ConvertSeconds(bench.ui, bench.form, 1); }, "s two at once",
      [&] { return ConvertSeconds(bench.ui, bench.form, 2); }, "speed-up");
}
BENCHMARK(BM_BatchConversionOfFortyDecks)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// The rows of Analyse EUTs over the outputs of a set, at P = (10 | 0 | 1,3).
std::vector<std::string> EutTable(BenchForm& bench, const std::string& set) {
  bench.form.params.p = {10.0, 0.0, 1.3};
  bench.ui.AnswerFolder("c:\\4nec2\\b_out\\" + set);
  bench.form.MIAddBatchFolderClick();
  bench.form.MIAnalyseEUTsClick();
  return bench.form.Mdata.lines;
}

void BM_EngineTimePerDeckByGrid(benchmark::State& state) {
  EngineBench run;
  BenchForm& bench = run.bench;
  Generate(run.bench, "4", "E_", {""});
  Generate(run.bench, "4", "S_", {"3;10", "1,3"});
  TimeBeside(
      state, 4, "s per deck study", [&] { return ConvertSeconds(bench.ui, bench.form, 1, "S_"); },
      "s per deck 81 x 81", [&] { return ConvertSeconds(bench.ui, bench.form, 1, "E_"); });
  const std::vector<std::string> one = EutTable(bench, "E_"), other = EutTable(bench, "S_");
  state.counters["same table"] = one == other && one.size() == 7;
  if (one != other) state.SkipWithError("the EUT tables differ");
}
BENCHMARK(BM_EngineTimePerDeckByGrid)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void BM_BatchConversionAgainstXargs(benchmark::State& state) {
  EngineBench run;
  BenchForm& bench = run.bench;
  Generate(run.bench, "400", "E_", {""});
  bench.form.params.EngineName = "c:\\4nec2\\exe\\quick.exe";
  const int jobs = MostParallelRuns();
  const std::string deckFolder = (run.tree.dir / "drive_c/4nec2/b_in/E_").string();
  const std::string xargs = "cd '" + deckFolder + "' && ls *.nec | sed 's/.*/& &.out/' | xargs -n 2 -P " +
                            std::to_string(jobs) + " '" +
                            (run.tree.dir / "drive_c/4nec2/exe/quick.exe").string() + "'";
  TimeBeside(
      state, 400e-3, "ms per deck Batch Conversion",
      [&] {
        bench.ui.AnswerConfirm(true);
        return ConvertSeconds(bench.ui, bench.form, jobs);
      },
      "ms per deck xargs -P",
      [&] {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(xargs.c_str()) != 0) state.SkipWithError("xargs failed");
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      });
}
BENCHMARK(BM_BatchConversionAgainstXargs)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

}  // namespace varnel
