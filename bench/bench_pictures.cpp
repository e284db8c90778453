// The pictures beside their anchors: the field map of a 128 000-point table (computed, then
// drawn into its scene and SVG text) beside one plain pass over the same four lists, and the
// plots of a 1500-row Data pane beside a plain reading of its cells, and the map with a
// structure of 50 wires beside the same map without it. Each benchmark reports its time per
// picture in ms and the ratio to its anchor measured in the same run.
// Targets: map computed < 20 ms, drawn < 50 ms; plots < 20 ms; the structure within 1.2x.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "large_map.hpp"
#include "picture/field_map.hpp"
#include "picture/table_plot.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

using Clock = std::chrono::steady_clock;

// The anchor of the map: one pass that reads every point and keeps those of the plane.
double PlainPass(const NearFieldTable& t) {
  double sum = 0;
  for (std::size_t i = 0; i < t.value.size(); ++i)
    if (std::abs(t.z[i] - 1.3) <= 0.001) sum += t.value[i] + t.x[i] + t.y[i];
  return sum;
}

std::vector<std::string> Pane(bool eut) {
  std::vector<std::string> lines;
  if (eut) {
    lines = {"", "//  Numb ;   Cyl.  ;    Cir  ;   Point ;    Freq ;    Pwr  ;",
             "//       ;         ;         ;         ;         ;         ;"};
    for (int r = 0; r < 1500; ++r)
      lines.push_back(FormatInt("%9d;", r + 1) +
                      Format("%9.3g;%9.3g;%9.3g;%9.3g;%9.3g;",
                             {1e-5 * (r % 37), 2e-5 * (r % 11), 1e-5 * (r % 5), 7.0 + r % 30, 1.0}));
  } else {
    lines = {
        "// Field at P(10,0| 0,0| 4,0)", "",
        "//   Freq ;   Pwr   ;   E_H   ;E_Hcorr;    Ur   ;   Ui    ;   Ir    ;   Ii    ;   Zr    ;   Zi    ;",
        "//    MHz ;    W    ;V/m_A/m;V/m_A/m;    V    ;    V    ;    A    ;    A    ;   Ohm   ;   Ohm   ;"};
    for (int r = 0; r < 1500; ++r) {
      std::string line;
      for (int c = 0; c < 10; ++c)
        line += FormatReal("%9.3f;", c == 0 ? 1.0 + r * 0.02 : std::sin(r * 0.01 + c) * 10);
      lines.push_back(line);
    }
  }
  return lines;
}

// The anchor of the plots: every cell of the pane split off and converted.
double PlainCells(const std::vector<std::string>& lines) {
  double sum = 0;
  for (const std::string& line : lines) {
    if (line.rfind("//", 0) == 0) continue;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find(';', start)) != std::string::npos; start = end + 1) {
      try {
        sum += TextToReal(line.substr(start, end - start));
      } catch (...) {
      }
    }
  }
  return sum;
}

template <typename Work, typename Anchor>
void Measure(benchmark::State& state, Work work, Anchor anchor) {
  double workSeconds = 0, anchorSeconds = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    benchmark::DoNotOptimize(work());
    workSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    start = Clock::now();
    benchmark::DoNotOptimize(anchor());
    anchorSeconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ms"] = workSeconds / n * 1000;
  state.counters["anchor_ms"] = anchorSeconds / n * 1000;
  state.counters["ratio"] = workSeconds / anchorSeconds;
}

void BM_FieldMapComputed128k(benchmark::State& state) {
  DecimalSeparator = ',';
  const NearFieldTable& table = LargeMapTable();
  Measure(
      state,
      [&] {
        return ComputeFieldMap(table, {}, Point3D{10, 0, 1.3}).cells.size();
      },
      [&] { return PlainPass(table); });
}
BENCHMARK(BM_FieldMapComputed128k)->Unit(benchmark::kMillisecond);

void BM_FieldMapDrawn128k(benchmark::State& state) {
  DecimalSeparator = ',';
  const NearFieldTable& table = LargeMapTable();
  const FieldMap map = ComputeFieldMap(table, {}, Point3D{10, 0, 1.3});
  Measure(
      state, [&] { return SvgText(FieldMapScene(map, MapMarks{}, "Total")).size(); },
      [&] { return PlainPass(table); });
}
BENCHMARK(BM_FieldMapDrawn128k)->Unit(benchmark::kMillisecond);

// 50 straight wires of 10 segments each, scattered over the grid (as a set of test objects).
std::vector<Segment> FiftyWires() {
  std::vector<Segment> structure;
  for (int w = 0; w < 50; ++w) {
    const double alpha = (w * 37 % 180) - 90.0, beta = w * 53 % 360, length = 0.2 + 0.01 * (w % 7);
    const double a = alpha * 3.14159265358979 / 180, b = beta * 3.14159265358979 / 180;
    const Point3D along{std::cos(a) * std::cos(b), std::cos(a) * std::sin(b), std::sin(a)};
    const Point3D start{-15 + 0.6 * w, -12 + 0.45 * w, 1 + 0.02 * w};
    for (int k = 0; k < 10; ++k) {
      const double d = (k + 0.5) * length;
      structure.push_back(
          Segment{start.x + along.x * d, start.y + along.y * d, start.z + along.z * d, length, alpha, beta});
    }
  }
  return structure;
}

// The map with the structure over it, against the same map without it: the target is a ratio
// below 1.2.
void BM_FieldMapWithStructure128k(benchmark::State& state) {
  DecimalSeparator = ',';
  const FieldMap map = ComputeFieldMap(LargeMapTable(), {}, Point3D{10, 0, 1.3});
  MapMarks withWires;
  withWires.structure = FiftyWires();
  Measure(
      state, [&] { return SvgText(FieldMapScene(map, withWires, "Total")).size(); },
      [&] { return SvgText(FieldMapScene(map, MapMarks{}, "Total")).size(); });
}
BENCHMARK(BM_FieldMapWithStructure128k)->Unit(benchmark::kMillisecond);

void BM_TablePlots1500Rows(benchmark::State& state) {
  DecimalSeparator = ',';
  const std::vector<std::string> lines = Pane(state.range(0) == 1);
  Measure(
      state, [&] { return SvgText(TablePlotScene(lines)).size(); }, [&] { return PlainCells(lines); });
  state.SetLabel(state.range(0) == 1 ? "EUT table, CDFs" : "near-field table, line plots");
}
BENCHMARK(BM_TablePlots1500Rows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace varnel
