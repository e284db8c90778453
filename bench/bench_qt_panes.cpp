// How long a data pane of 160 000 lines (1500 decks of 107 lines) takes to appear in the window:
// the model is filled, then one redraw from the model and the event processing that paints it.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

#include "mainwindow/VarnelU.hpp"
#include "platform/qt/main_window.hpp"
#include "platform/qt/qt_platform.hpp"

namespace {

std::filesystem::path TemporaryRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "varnel-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  std::filesystem::create_directories(std::filesystem::path(pattern) / "drive_c");
  return pattern;
}

void BM_DataPaneOf160000LinesAppears(benchmark::State& state) {
  const auto root = TemporaryRoot();
  QtPlatform platform(PosixRoots{(root / "drive_c").string(), root.string()});
  TForm1 form(platform);
  VarnelWindow window(form, platform);
  window.show();
  QApplication::processEvents();
  const std::string line = "GW 100 3  0.512 -1.250  3.000  0.800 -0.900  3.400 0.001";
  for (auto _ : state) {
    state.PauseTiming();
    ClearPane(form.Mdata);
    window.SyncFromModel();
    QApplication::processEvents();
    for (int i = 0; i < 160000; ++i) AddLine(form.Mdata, line);
    state.ResumeTiming();
    window.SyncFromModel();
    QApplication::processEvents();
  }
  state.counters["lines"] = 160000;
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_DataPaneOf160000LinesAppears)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
