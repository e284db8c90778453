// The field map against nec2c's own numbers, and on the tables that have nothing to draw.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <sstream>
#include <string>

#ifndef _WIN32  // runs Linux's nec2c and the stand-in over it
#include "engine/nec2c_run.hpp"
#endif
#include "necout/reader.hpp"
#include "necout/nearfield.hpp"
#include "picture/field_map.hpp"
#include "picture/scene_checks.hpp"
#include "sample/sample_files.hpp"
#include "support/test_root.hpp"
#include "util/format.hpp"

namespace varnel {

namespace fs = std::filesystem;
namespace {

#ifndef _WIN32
using namespace engine_test;

// Three oblique wires with a 5 x 4 x 3 electric grid: x -2..2, y -1.5..1.5, z -1..1, 1 m steps.
const std::string kWiresDeck =
    "CM wires\r\nCE\r\nGW 1 7 -1.5 0.5 0.2 2.5 -1.0 1.4 0.001\r\nGW 2 3 1 1 -1 1 1 1 0.001\r\n"
    "GW 3 4 -2 -1 0.5 -2 1.2 0.5 0.001\r\nGE 0\r\nGN -1\r\nEK\r\nEX 0 1 4 0 1 0\r\n"
    "FR 0 1 0 0 29.0 0\r\nNE 0 5 4 3 -2 -1.5 -1 1 1 1\r\nEN\r\n";
#endif

// The rows of a print's table below the line holding heading: from the first line (of the next
// twelve) that is `count` numbers, up to the first that is not.
std::vector<std::vector<double>> PrintedRows(const std::string& text, const std::string& heading,
                                             std::size_t count) {
  std::vector<std::vector<double>> rows;
  std::size_t at = text.find(heading);
  for (int line = 0; at != std::string::npos && at < text.size() && line < 12 + int(rows.size()); ++line) {
    at = text.find('\n', at);
    if (at == std::string::npos) break;
    std::istringstream words(text.substr(at + 1, text.find('\n', at + 1) - at - 1));
    std::vector<double> numbers;
    for (double number; words >> number;) numbers.push_back(number);
    if (numbers.size() == count && words.eof())
      rows.push_back(numbers);
    else if (!rows.empty())
      break;
    ++at;
  }
  return rows;
}

NearFieldTable Table(std::vector<std::array<double, 4>> rows, const char* type = "ELECTRIC ") {
  NearFieldTable table;
  for (const auto& r : rows) {
    table.x.push_back(r[0]);
    table.y.push_back(r[1]);
    table.z.push_back(r[2]);
    table.value.push_back(r[3]);
  }
  table.fieldType = type;
  return table;
}

}  // namespace

#ifndef _WIN32
// The stand-in writes nec2c's run in the classic layout; the map of one plane must hold, cell by
// cell, the magnitudes nec2c printed for the points of that plane.
TEST(FieldMapOfEngineOutput, EachCellHoldsTheValueNec2cPrintedForItsPoint) {
  if (!Nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
  TestRoot root;
  const Nec2cResult nec2c = Nec2cOf(root.dir / "run", root.dir, kWiresDeck);
  ASSERT_EQ(60u, nec2c.nearRows.size());
  ASSERT_EQ(0, RunStandIn(root.dir / "run", root.dir, {"deck.nec", "wires.out"}));
  const std::string text = ReadAll(root.dir / "run" / "wires.out");

  struct Case {
    MapPlane plane;
    double level;
    int polarization;    // X or Z: one magnitude each
    int across, up, at;  // nec2c row columns of the plane's axes and the level's axis
  };
  for (const Case& c : {Case{MapPlane::XY, 0.2, 1, 0, 1, 2}, Case{MapPlane::XZ, 0.5, 3, 0, 2, 1},
                        Case{MapPlane::YZ, -2, 3, 1, 2, 0}}) {
    SCOPED_TRACE(PlaneName(c.plane));
    NearFieldTable table;
    ReadNearField(text, c.polarization, table);
    FieldMapChoice choice;
    choice.plane = c.plane;
    choice.level = c.level;
    const FieldMap map = ComputeFieldMap(table, choice, Point3D{});
    ASSERT_EQ("", map.missing);
    EXPECT_EQ((std::vector<MapPlane>{MapPlane::XY, MapPlane::XZ, MapPlane::YZ}), map.planes);

    // The plane lies at the grid coordinate nearest to the level asked for.
    std::set<double> levels, across, up;
    for (const auto& row : nec2c.nearRows) levels.insert(row[c.at]);
    double level = *levels.begin();
    for (double l : levels)
      if (std::abs(l - c.level) < std::abs(level - c.level)) level = l;
    EXPECT_DOUBLE_EQ(level, map.level);

    std::size_t points = 0;
    for (const auto& row : nec2c.nearRows) {
      if (row[c.at] != level) continue;
      ++points;
      across.insert(row[c.across]);
      up.insert(row[c.up]);
    }
    EXPECT_EQ(RealList(across.begin(), across.end()), map.u);
    EXPECT_EQ(RealList(up.begin(), up.end()), map.v);
    EXPECT_EQ(points, map.points);
    EXPECT_EQ(0u, map.leftOut);
    for (const auto& row : nec2c.nearRows) {
      if (row[c.at] != level) continue;
      const std::size_t i =
          static_cast<std::size_t>(std::find(map.u.begin(), map.u.end(), row[c.across]) - map.u.begin());
      const std::size_t j =
          static_cast<std::size_t>(std::find(map.v.begin(), map.v.end(), row[c.up]) - map.v.begin());
      const double magnitude = row[3 + 2 * (c.polarization - 1)] / std::sqrt(2.0);
      EXPECT_DOUBLE_EQ(magnitude, map.cells[j * map.u.size() + i])
          << row[0] << " " << row[1] << " " << row[2];
    }
  }
}
#endif

TEST(FieldMapPlanes, TheGridDecidesThePlanesTheLevelSnapsAndWhatIsMissingIsSaid) {
  struct Case {
    const char* name;
    NearFieldTable table;
    std::vector<MapPlane> planes;
  };
  const Case cases[] = {
      {"flat in z", Table({{0, 0, 1, 1}, {1, 0, 1, 2}, {0, 1, 1, 3}, {1, 1, 1, 4}}), {MapPlane::XY}},
      {"flat in y", Table({{0, 5, 0, 1}, {1, 5, 0, 2}, {0, 5, 1, 3}, {1, 5, 1, 4}}), {MapPlane::XZ}},
      {"a line along z", Table({{0, 0, 0, 1}, {0, 0, 1, 2}}), {MapPlane::XZ, MapPlane::YZ}},
      {"one point", Table({{3, 4, 5, 7}}), {MapPlane::XY, MapPlane::XZ, MapPlane::YZ}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FieldMapChoice choice;
    choice.plane = MapPlane::YZ;  // taken only where the grid holds it
    const FieldMap map = ComputeFieldMap(c.table, choice, Point3D{});
    EXPECT_EQ(c.planes, map.planes);
    EXPECT_EQ(std::find(c.planes.begin(), c.planes.end(), MapPlane::YZ) != c.planes.end() ? MapPlane::YZ
                                                                                          : c.planes[0],
              map.plane);
    EXPECT_EQ("", map.missing);
  }
  // Without a level the plane nearest to P; coordinates within 1 mm are one.
  const std::vector<std::array<double, 4>> twoLayers = {{0, 0, 0, 1}, {1, 0, 0, 2}, {0, 1, 0.0004, 3},
                                                        {1, 1, 0, 4}, {0, 0, 2, 5}, {1, 0, 2, 6},
                                                        {0, 1, 2, 7}, {1, 1, 2, 8}};
  const NearFieldTable layers = Table(twoLayers);
  const FieldMap nearP = ComputeFieldMap(layers, {}, Point3D{0, 0, 1.5});
  EXPECT_EQ(MapPlane::XY, nearP.plane);
  EXPECT_EQ(2, nearP.level);
  EXPECT_EQ((RealList{5, 6, 7, 8}), nearP.cells);
  const FieldMap low = ComputeFieldMap(layers, {}, Point3D{0, 0, 0.2});
  EXPECT_EQ(4u, low.points);
  EXPECT_EQ((RealList{1, 2, 3, 4}), low.cells);
  // Bad input: what is missing is said, what is left out counted.
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ("No near-field table", ComputeFieldMap(NearFieldTable{}, {}, Point3D{}).missing);

  const FieldMap holes =
      ComputeFieldMap(Table({{0, 0, 0, 1}, {1, 0, 0, nan}, {0, 1, 0, inf}, {1, 1, 0, 3}}), {}, Point3D{});
  EXPECT_EQ("", holes.missing);
  EXPECT_EQ(4u, holes.points);
  EXPECT_EQ(2u, holes.leftOut);
  EXPECT_EQ(1, holes.minimum);
  EXPECT_EQ(3, holes.maximum);
  EXPECT_TRUE(std::isnan(holes.cells[1]) && std::isnan(holes.cells[2]));
  const std::string svg = SvgText(FieldMapScene(holes, MapMarks{}, "Total"));
  EXPECT_TRUE(Contains(svg, "2 left out (not finite)")) << svg;

  const FieldMap none = ComputeFieldMap(Table({{0, 0, 0, nan}, {1, 0, 0, -inf}}), {}, Point3D{});
  EXPECT_EQ("No finite value on this plane", none.missing);
  EXPECT_TRUE(Contains(SvgText(FieldMapScene(none, MapMarks{}, "X")), "No finite value on this plane"));

  const FieldMap one = ComputeFieldMap(Table({{3, 4, 5, 7}}, "MAGNETIC "), {}, Point3D{});
  EXPECT_EQ(1u, one.cells.size());
  const std::string oneSvg = SvgText(FieldMapScene(one, MapMarks{}, "Z"));
  EXPECT_TRUE(Contains(oneSvg, "one point on this plane")) << oneSvg;
  EXPECT_TRUE(Contains(oneSvg, "A/m")) << oneSvg;
}

// The sample dipole's print: every cell of the plane z = 4 m in dBµV/m is 20 log10 of the Ez the
// file prints there, made RMS, plus 120; the probe says it, and colour limits set at two cells'
// levels give those cells the two ends of the scale. The Z line shows the same magnitudes.
TEST(FieldMapAbsoluteScale, CellsAreThePrintedMagnitudesInDbAboveOneMicrovoltPerMetre) {
  DecimalSeparator = ',';
  const std::string text = SampleOutputText();
  NearFieldTable table;
  ReadNearField(text, 3, table);
  FieldMapChoice choice;
  choice.scale = MapScale::Absolute;
  FieldMap map = ComputeFieldMap(table, choice, Point3D{10, 0, 4});
  ASSERT_EQ(4, map.level);
  EXPECT_EQ("dB\xC2\xB5V/m", ScaleUnit(map));
  const auto rows = PrintedRows(text, "NEAR ELECTRIC FIELDS", 9);
  ASSERT_EQ(108u, rows.size());
  std::size_t checked = 0;
  for (const auto& row : rows) {
    if (row[2] != 4 || row[7] <= 0) continue;
    const double expected = 20 * std::log10(row[7] / std::sqrt(2.0)) + 120;
    const std::size_t i = std::find(map.u.begin(), map.u.end(), row[0]) - map.u.begin();
    const std::size_t j = std::find(map.v.begin(), map.v.end(), row[1]) - map.v.begin();
    const MapProbe probe{row[0], row[1], map.cells[j * map.u.size() + i]};
    EXPECT_NEAR(expected, ScaleLevel(map, probe.value), 1e-9) << row[0] << " " << row[1];
    EXPECT_TRUE(Contains(ProbeText(map, probe), "(" + FormatReal("%1.1f", expected) + " dB\xC2\xB5V/m)"))
        << ProbeText(map, probe);
    ++checked;
  }
  EXPECT_EQ(36u, checked);
  // Without limits set the colours span floorDb below the plane's largest level up to it.
  EXPECT_EQ(1, ScaleFraction(map, map.maximum));
  EXPECT_NEAR(0.5, ScaleFraction(map, map.maximum * std::pow(10.0, map.floorDb / 40)), 1e-9);
  // x = 10, y = 0 prints 6.3175E-02: limits from 10 dB below its level up to it.
  const double at10 = 20 * std::log10(6.3175e-2 / std::sqrt(2.0)) + 120;
  std::string refusal;
  const auto limited =
      WithColourLimits(choice, FormatReal("%1.6f", at10 - 10), FormatReal("%1.6f", at10), refusal);
  ASSERT_TRUE(limited) << refusal;
  map = ComputeFieldMap(table, *limited, Point3D{10, 0, 4});
  EXPECT_NEAR(1, ScaleFraction(map, 6.3175e-2 / std::sqrt(2.0)), 1e-6);
  EXPECT_NEAR(0.5, ScaleFraction(map, 6.3175e-2 / std::sqrt(2.0) / std::pow(10.0, 0.25)), 1e-6);
  EXPECT_EQ(0, ScaleFraction(map, 0));
  const std::string svg = SvgText(FieldMapScene(map, MapMarks{}, "Z"));
  EXPECT_TRUE(Contains(svg, ">dB\xC2\xB5V/m<")) << svg;
  EXPECT_TRUE(Contains(svg, ">colour limits set<")) << svg;

  // The Z line through A holds the grid points the Z-line search looks at: at A's x and y (within
  // 0.6 m), below maxHeight, with the Ez the file prints there (made RMS); its maximum is the
  // search's.
  struct Case {
    Point2D a;
    double maxHeight;
    std::size_t points;
  };
  for (const Case& c :
       {Case{{10, 0}, 1000, 3}, Case{{9.5, 0.4}, 1000, 3}, Case{{10, 0}, 4, 2}, Case{{3, 3}, 1000, 0}}) {
    SCOPED_TRACE(c.a.x);
    const ZLine line = ZLineOf(table, c.a, c.maxHeight);
    EXPECT_EQ(c.points, line.points);
    std::vector<Point2D> expected;
    for (const auto& row : rows)
      if (std::abs(row[0] - c.a.x) < 0.6 && std::abs(row[1] - c.a.y) < 0.6 && row[2] < c.maxHeight)
        expected.push_back({row[2], row[7] / std::sqrt(2.0)});
    ASSERT_EQ(expected.size(), line.points);
    if (expected.empty()) {
      EXPECT_TRUE(Contains(SvgText(ZLineScene(line, MapScale::Linear, "Z")), "No grid point on the Z line"));
      continue;
    }
    ASSERT_EQ(1u, line.columns.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
      EXPECT_EQ(expected[k].x, line.columns[0].points[k].x);
      EXPECT_NEAR(expected[k].y, line.columns[0].points[k].y, 1e-12);
    }
    EXPECT_EQ(MaxOnZLine(c.a, table, c.maxHeight), line.maximum);
    const Scene scene = ZLineScene(line, MapScale::Absolute, "Z");
    const std::string lineSvg = SvgText(scene);
    EXPECT_TRUE(Contains(lineSvg, ">max " + ValueLabel(line.maximum) + " V/m<")) << lineSvg;
    EXPECT_TRUE(Contains(
        lineSvg, ">(" + FormatReal("%1.1f", 20 * std::log10(line.maximum) + 120) + " dB\xC2\xB5V/m)<"))
        << lineSvg;
    EXPECT_EQ(std::vector<std::string>{}, TextFaults(scene));
  }
}

TEST(FieldMapScale, TypedColourLimitsAreNumbersWithLowBelowHighAndTheScalesSpanThePlane) {
  DecimalSeparator = ',';
  struct Case {
    const char *low, *high;
    std::optional<double> wantLow, wantHigh;
    const char* refusal;
  };
  const Case cases[] = {
      {"20", "80,5", 20, 80.5, ""},
      {" 1,5 ", "", 1.5, std::nullopt, ""},
      {"", "", std::nullopt, std::nullopt, ""},
      {"abc", "3", std::nullopt, std::nullopt,
       "Colour limits: 'abc' is not a number (decimal separator ',')"},
      {"85.5", "", std::nullopt, std::nullopt,
       "Colour limits: '85.5' is not a number (decimal separator ',')"},
      {"5", "5", std::nullopt, std::nullopt, "Colour limits: the low limit must lie below the high one"},
  };
  for (const Case& c : cases) {
    std::string refusal;
    const auto chosen = WithColourLimits(FieldMapChoice{}, c.low, c.high, refusal);
    EXPECT_EQ(std::string(c.refusal), refusal) << c.low;
    if (!*c.refusal) {
      ASSERT_TRUE(chosen);
      EXPECT_EQ(c.wantLow, chosen->low);
      EXPECT_EQ(c.wantHigh, chosen->high);
    }
  }
  // The linear scale spans the plane, the decibel one counts down from its maximum.
  FieldMap map;
  map.minimum = 2;
  map.maximum = 10;
  struct ScaleCase {
    MapScale scale;
    double value, fraction;
  };
  for (const ScaleCase& c : {ScaleCase{MapScale::Linear, 2, 0}, ScaleCase{MapScale::Linear, 6, 0.5},
                             ScaleCase{MapScale::Linear, 10, 1}, ScaleCase{MapScale::Decibel, 10, 1},
                             ScaleCase{MapScale::Decibel, 1, 0.5}, ScaleCase{MapScale::Decibel, 0.01, 0},
                             ScaleCase{MapScale::Decibel, 0, 0}}) {
    map.scale = c.scale;
    EXPECT_NEAR(c.fraction, ScaleFraction(map, c.value), 1e-12) << c.value;
  }
}

// The structure of the sample dipole and of an oblique set of wires run through the stand-in:
// each wire drawn from the ends the print's structure table gives it, on every plane.
TEST(FieldMapStructure, WiresAreDrawnBetweenTheEndsThePrintGivesThem) {
  std::vector<std::string> texts = {SampleOutputText()};
#ifndef _WIN32
  TestRoot root;
  if (Nec2cInstalled()) {
    root.Write("run/wires.nec", kWiresDeck);
    ASSERT_EQ(0, RunStandIn(root.dir / "run", root.dir, {"wires.nec", "wires.out"}));
    texts.push_back(ReadAll(root.dir / "run" / "wires.out"));
  }
#endif
  for (const std::string& text : texts) {
    const auto printed = PrintedRows(text, "STRUCTURE SPECIFICATION", 12);
    ASSERT_FALSE(printed.empty());
    const OutputPrint print(text);
    const std::vector<Segment> structure = StructureOf(print);
    NearFieldTable table;
    ReadNearField(print, 0, table);
    for (MapPlane plane : {MapPlane::XY, MapPlane::XZ, MapPlane::YZ}) {
      SCOPED_TRACE(PlaneName(plane));
      const int across = plane == MapPlane::YZ ? 1 : 0, up = plane == MapPlane::XY ? 1 : 2;
      const auto wires = ProjectedWires(structure, plane);
      ASSERT_EQ(printed.size(), wires.size());
      FieldMapChoice choice;
      choice.plane = plane;
      const FieldMap map = ComputeFieldMap(table, choice, Point3D{});
      const PlotFrame frame = FieldMapFrame(map);
      MapMarks marks;
      marks.structure = structure;
      const Scene scene = FieldMapScene(map, marks, "Total");
      for (std::size_t w = 0; w < printed.size(); ++w) {
        const auto& row = printed[w];  // No X1 Y1 Z1 X2 Y2 Z2 ...
        EXPECT_NEAR(row[1 + across], wires[w].front().x, 2e-4);
        EXPECT_NEAR(row[1 + up], wires[w].front().y, 2e-4);
        EXPECT_NEAR(row[4 + across], wires[w].back().x, 2e-4);
        EXPECT_NEAR(row[4 + up], wires[w].back().y, 2e-4);
        EXPECT_EQ(static_cast<std::size_t>(row[8]) + 1, wires[w].size());
        // Drawn there: a line from end to end, or a dot for a wire seen end-on.
        const double x1 = frame.X(row[1 + across]), y1 = frame.Y(row[1 + up]);
        const double x2 = frame.X(row[4 + across]), y2 = frame.Y(row[4 + up]);
        bool drawn = false;
        for (const SceneItem& item : scene.items) {
          if (const auto* line = std::get_if<PolylineItem>(&item))
            drawn = drawn || (std::hypot(line->points.front().x - x1, line->points.front().y - y1) < 0.05 &&
                              std::hypot(line->points.back().x - x2, line->points.back().y - y2) < 0.05);
          if (const auto* dot = std::get_if<CircleItem>(&item))
            drawn = drawn ||
                    (std::hypot(x2 - x1, y2 - y1) < 1.5 && std::hypot(dot->cx - x1, dot->cy - y1) < 0.05);
        }
        EXPECT_TRUE(drawn) << "wire " << row[0];
      }
    }
  }
}

// Labels and legends read whole wherever P and A lie and whatever the legend holds.
TEST(FieldMapLayout, NoTextIsCutOrCoveredWhereverTheMarksLie) {
  const std::string text = SampleOutputText();
  NearFieldTable table;
  ReadNearField(text, 0, table);
  const OutputPrint print(text);
  for (const Point3D& p : {Point3D{10, 10, 3}, Point3D{0, 0, 0}, Point3D{9.9, 0.1, 4}, Point3D{10, 5, 0}})
    for (MapPlane plane : {MapPlane::XY, MapPlane::XZ, MapPlane::YZ})
      for (int mode = 0; mode < 5; ++mode) {
        FieldMapChoice choice;
        choice.plane = plane;
        choice.scale = MapScale::Absolute;
        choice.low = 10;
        const FieldMap map = ComputeFieldMap(table, choice, p);
        MapMarks marks{p, {p.x, p.y}, mode, p.y, 10, 10, 1000, StructureOf(print)};
        const Scene scene = FieldMapScene(map, marks, "Horizontal", "Polerization: Horizontal");
        EXPECT_EQ(std::vector<std::string>{}, TextFaults(scene))
            << PlaneName(plane) << " " << p.x << " " << mode;
        // The labels of P and A stay on the map.
        const PlotFrame f = FieldMapFrame(map);
        for (const SceneItem& item : scene.items)
          if (const auto* label = std::get_if<TextItem>(&item); label && label->size == 13) {
            const TextBox box = BoxOf(*label);
            EXPECT_TRUE(box.left >= f.left && box.right <= f.left + f.width && box.top >= f.top &&
                        box.bottom <= f.top + f.height)
                << label->text << " at " << box.left << ".." << box.right;
          }
      }
}

}  // namespace varnel
