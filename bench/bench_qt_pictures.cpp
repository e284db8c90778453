// The window's painting of the pictures: the field map of a 128 000-point table painted into an
// image of its size (as the picture window paints it), beside the core's SVG text of the same
// scene. Target: drawn in under 50 ms.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>

#include "large_map.hpp"
#include "picture/field_map.hpp"
#include "platform/qt/picture_window.hpp"
#include "util/format.hpp"

using namespace varnel;

namespace {

using Clock = std::chrono::steady_clock;

Scene LargeMapScene() {
  const NearFieldTable& t = LargeMapTable();
  return FieldMapScene(ComputeFieldMap(t, {}, Point3D{10, 0, 1.3}), MapMarks{}, "Total");
}

void BM_FieldMapPainted128k(benchmark::State& state) {
  DecimalSeparator = ',';
  const Scene scene = LargeMapScene();
  QImage image(static_cast<int>(scene.width), static_cast<int>(scene.height), QImage::Format_RGB32);
  double paintSeconds = 0, svgSeconds = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    {
      QPainter painter(&image);
      PaintScene(painter, scene);
    }
    paintSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    start = Clock::now();
    benchmark::DoNotOptimize(SvgText(scene).size());
    svgSeconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ms"] = paintSeconds / n * 1000;
  state.counters["svg_ms"] = svgSeconds / n * 1000;
  state.counters["ratio"] = paintSeconds / svgSeconds;
}
BENCHMARK(BM_FieldMapPainted128k)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
