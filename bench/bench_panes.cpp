// The data pane under a large batch run: 160 000 AddLine calls (1500 decks of 107 lines) and
// the copy of the whole pane to the clipboard.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "mainwindow/panes.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/scripted/scripted_ui.hpp"

namespace varnel {

namespace {

constexpr int kLines = 160000;
const std::string kRow = "    7.010;    1.000;    0.123;    0.456;    0.707;    0.000;    0.008;   -0.004;   67.000;  -35.000;";

void BM_AddLine160k(benchmark::State& state) {
  for (auto _ : state) {
    Pane pane;
    for (int i = 0; i < kLines; ++i) AddLine(pane, kRow);
    benchmark::DoNotOptimize(pane);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_AddLine160k)->Unit(benchmark::kMillisecond);

void BM_CopyPaneToClipboard160k(benchmark::State& state) {
  const auto root = std::filesystem::temp_directory_path();
  PosixSystem system(PosixRoots{root.string(), root.string()});
  std::ostringstream sink;
  ScriptedUi ui(sink, system);
  Pane pane;
  for (int i = 0; i < kLines; ++i) AddLine(pane, kRow);
  for (auto _ : state) {
    CopyPaneToClipboard(ui, pane);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(PaneText(pane).size()));
}
BENCHMARK(BM_CopyPaneToClipboard160k)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace varnel
