// Speed of the three batch analyses against the plain read of the same files.
//
// A private temporary root (its own drive c: and home, never the real ones) gets a folder of
// classic-layout output files of 6561 near-field rows each (about 600 kB, the size of a real EUT
// run). Each benchmark runs one whole command over the folder through a TForm1 on a scripted
// interface, and reports files per second; "x_read" is its time per file divided by the time of
// reading one file whole (ReadTextFile), the figure the batch is held to (within 3).
// Split mode's 500 ms pause is the command's own and is not measured: the scripted interface
// does not sleep unless realPause is set.
// The pieces that make up one file's work are measured alone as well: the read, showing the text
// in pane M, and the near-field reader.
#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "../tests/support/classic_output.hpp"
#include "mainwindow/VarnelU.hpp"
#include "necout/NecOutLib.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "util/files.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 200;
const std::string kFolder = "c:\\4nec2\\b_out\\bench";

// The temporary root with the generated folder; removed when the program ends.
class BenchRoot {
 public:
  BenchRoot() {
    std::random_device seed;
    dir_ = fs::temp_directory_path() / ("varnel-bench-" + std::to_string(seed()));
    fs::create_directories(dir_ / "drive_c" / "4nec2" / "b_out" / "bench");
    fs::create_directories(dir_ / "home" / "DeskTop" / "add");
    Generate();
  }
  ~BenchRoot() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  PosixRoots Roots() const { return {(dir_ / "drive_c").string(), (dir_ / "home").string()}; }
  const TextList& Names() const { return names_; }
  std::uintmax_t Bytes() const { return bytes_; }

 private:
  // 27 x 27 x 9 points, 1 m apart, around the Z axis: the cylinder and circle of P = (10, 0, 4)
  // meet many of them.
  void Generate() {
    ClassicOutput run;
    run.inputPower = 1.0;
    run.segments.resize(11, ClassicSegment{1e-2, -5e-3, 1.118e-2, -26.57});
    run.nearField = ClassicGrid(27, 27, 9, -13, -13, 0, 1.0, ClassicDipoleField);
    const fs::path folder = dir_ / "drive_c" / "4nec2" / "b_out" / "bench";
    for (int i = 0; i < kFiles; ++i) {
      run.frequency = 30.0 + i;
      const std::string text = ClassicOutputText(run);
      const std::string name = "eut" + std::to_string(1000 + i) + ".out";
      std::ofstream(folder / name, std::ios::binary) << text;
      names_.push_back(name);
      bytes_ += text.size();
    }
  }
  fs::path dir_;
  TextList names_;
  std::uintmax_t bytes_ = 0;
};

BenchRoot& Root() {
  static BenchRoot root;
  return root;
}

// Processor seconds per file of the plain read, set by BM_ReadWhole (registered, so run, first).
// The ratio uses processor time, which a busy machine disturbs far less than wall time.
double plainReadSecondsPerFile = 0;

double ProcessorSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

void Report(benchmark::State& state, double processorSeconds) {
  const double perFile = processorSeconds / (static_cast<double>(state.iterations()) * kFiles);
  state.SetItemsProcessed(state.iterations() * kFiles);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Root().Bytes()));
  state.counters["ms_per_file"] = perFile * 1000.0;
  if (plainReadSecondsPerFile > 0) state.counters["x_read"] = perFile / plainReadSecondsPerFile;
}

// A window over the folder, as after Add Batch Folder.
struct BenchWindow {
  std::ostringstream sink;
  PosixSystem system{Root().Roots()};
  ScriptedUi ui{sink, system};
  TForm1 form{{system, ui}};
  BenchWindow() {
    DecimalSeparator = ',';
    system.SetCurrentFolder(kFolder);
    form.params.BatchFiles = Root().Names();
  }
};

void BM_ReadWhole(benchmark::State& state) {
  BenchWindow window;
  double seconds = 0;
  for (auto _ : state) {
    const double start = ProcessorSeconds();
    for (const std::string& name : Root().Names()) {
      std::string text;
      ReadTextFile(window.form.platform, name, text);
      benchmark::DoNotOptimize(text.data());
    }
    seconds += ProcessorSeconds() - start;
  }
  plainReadSecondsPerFile = seconds / (static_cast<double>(state.iterations()) * kFiles);
  Report(state, seconds);
}

void RunCommand(benchmark::State& state, void (TForm1::*command)(), bool splitMode) {
  BenchWindow window;
  window.form.params.SplitMode = splitMode;
  double seconds = 0;
  for (auto _ : state) {
    const double start = ProcessorSeconds();
    (window.form.*command)();
    seconds += ProcessorSeconds() - start;
    // Split mode leaves Mdata empty after the last full block, so check the Info pane: every
    // file adds at least its "Load: " line.
    if (window.form.Mout.lines.size() < static_cast<std::size_t>(kFiles))
      state.SkipWithError("the command did not get through the folder");
  }
  Report(state, seconds);
}

void BM_BatchNearField(benchmark::State& state) { RunCommand(state, &TForm1::MIBatchLoadClick, false); }
void BM_BatchPower(benchmark::State& state) { RunCommand(state, &TForm1::MIBatchAnalysePowerClick, false); }
void BM_AnalyseEUTs(benchmark::State& state) { RunCommand(state, &TForm1::MIAnalyseEUTsClick, false); }
void BM_AnalyseEUTsSplitMode(benchmark::State& state) { RunCommand(state, &TForm1::MIAnalyseEUTsClick, true); }

// The pieces of one file's work, on the first file.
void BM_PieceShowInPaneM(benchmark::State& state) {
  BenchWindow window;
  std::string text;
  ReadTextFile(window.form.platform, Root().Names().front(), text);
  for (auto _ : state) {
    ClearPane(window.form.M);
    AddLine(window.form.M, text);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_PieceReadNearField(benchmark::State& state) {
  BenchWindow window;
  std::string text;
  ReadTextFile(window.form.platform, Root().Names().front(), text);
  for (auto _ : state) {
    NearFieldTable table;
    ReadNearField(text, 0, table);
    benchmark::DoNotOptimize(table.value.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_PieceGridExtent(benchmark::State& state) {
  BenchWindow window;
  std::string text;
  ReadTextFile(window.form.platform, Root().Names().front(), text);
  NearFieldTable table;
  ReadNearField(text, 0, table);
  for (auto _ : state) benchmark::DoNotOptimize(GridExtentOf(table));
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_ReadWhole)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BatchNearField)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BatchPower)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_AnalyseEUTs)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_AnalyseEUTsSplitMode)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PieceShowInPaneM)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PieceReadNearField)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PieceGridExtent)->Unit(benchmark::kMicrosecond);

}  // namespace varnel
