// Batch Conversion of 40 test-object decks through the engine stand-in over nec2c, one run
// after the other and two at once, in the same process: the speed-up is the ratio of the two
// wall-clock times (the engines are child processes, so the parent's CPU time says nothing).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

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
    setenv("WINEPREFIX", dir.c_str(), 1);  // the stand-in finds drive c: through it
  }
  ~EngineTree() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  PosixRoots Roots() const { return PosixRoots{(dir / "drive_c").string(), (dir / "home").string()}; }
  fs::path dir;
};

double ConvertSeconds(ScriptedUi& ui, TForm1& form, int jobs) {
  form.params.EngineJobs = jobs;
  ui.AnswerFolder(std::string("c:\\4nec2\\b_in\\E_"));
  const auto start = std::chrono::steady_clock::now();
  form.BatchConversion1Click();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_BatchConversionOfFortyDecks(benchmark::State& state) {
  DecimalSeparator = ',';
  EngineTree tree;
  BenchForm bench(tree.Roots());
  bench.ui.realPause = true;
  SeedRandom(3);
  bench.ui.AnswerOpen(std::string("c:\\4nec2\\b_in\\Ranges\\one.txt"));
  for (const char* answer : {"40", "3", "1,5", "1", "1", "E_", ""}) bench.ui.AnswerAsk(std::string(answer));
  bench.form.MIGenerateEUTsClick();

  double one = 0, two = 0;
  for (auto _ : state) {
    one += ConvertSeconds(bench.ui, bench.form, 1);
    two += ConvertSeconds(bench.ui, bench.form, 2);
    state.SetIterationTime(one + two);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["s one by one"] = one / n;
  state.counters["s two at once"] = two / n;
  state.counters["speed-up"] = one / two;
}
BENCHMARK(BM_BatchConversionOfFortyDecks)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

}  // namespace varnel
