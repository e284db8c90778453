// The field map against nec2c's own numbers, and on the tables that have nothing to draw.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <string>

#ifndef _WIN32  // runs Linux's nec2c and the stand-in over it
#include "engine/nec2c_run.hpp"
#endif
#include "necout/reader.hpp"
#include "picture/field_map.hpp"
#include "support/test_root.hpp"

namespace varnel {

namespace fs = std::filesystem;
namespace {

#ifndef _WIN32
using namespace engine_test;

// A dipole along z with a 5 x 4 x 3 electric grid: x -2..2, y -1.5..1.5, z -1..1, 1 m steps.
const std::string kGridDeck =
    "CM grid\r\nCE\r\n"
    "GW 1 11 0 0 -2.5 0 0 2.5 0.001\r\n"
    "GE 0\r\nGN -1\r\nEK\r\n"
    "EX 0 1 6 0 1 0\r\n"
    "FR 0 1 0 0 29.0 0\r\n"
    "NE 0 5 4 3 -2 -1.5 -1 1 1 1\r\n"
    "EN\r\n";
#endif

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
  root.Write("run/grid.nec", kGridDeck);
  ASSERT_EQ(0, RunIn(root.dir / "run", root.dir, "nec2c -i grid.nec -o nec2c.out"));
  const Nec2cResult nec2c = ParseNec2c(ReadAll(root.dir / "run" / "nec2c.out"));
  ASSERT_EQ(60u, nec2c.nearRows.size());
  ASSERT_EQ(0, RunStandIn(root.dir / "run", root.dir, {"grid.nec", "grid.out"}));
  const std::string text = ReadAll(root.dir / "run" / "grid.out");

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

TEST(FieldMapPlanes, TheGridDecidesWhichPlanesItHoldsAndTheLevelSnapsToItsCoordinates) {
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
  const NearFieldTable layers = Table({{0, 0, 0, 1},
                                       {1, 0, 0, 2},
                                       {0, 1, 0.0004, 3},
                                       {1, 1, 0, 4},
                                       {0, 0, 2, 5},
                                       {1, 0, 2, 6},
                                       {0, 1, 2, 7},
                                       {1, 1, 2, 8}});
  const FieldMap nearP = ComputeFieldMap(layers, {}, Point3D{0, 0, 1.5});
  EXPECT_EQ(MapPlane::XY, nearP.plane);
  EXPECT_EQ(2, nearP.level);
  EXPECT_EQ((RealList{5, 6, 7, 8}), nearP.cells);
  const FieldMap low = ComputeFieldMap(layers, {}, Point3D{0, 0, 0.2});
  EXPECT_EQ(4u, low.points);
  EXPECT_EQ((RealList{1, 2, 3, 4}), low.cells);
}

TEST(FieldMapBadInput, SaysWhatIsMissingAndCountsWhatIsLeftOut) {
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
  EXPECT_NE(std::string::npos, svg.find("2 left out (not finite)")) << svg;

  const FieldMap none = ComputeFieldMap(Table({{0, 0, 0, nan}, {1, 0, 0, -inf}}), {}, Point3D{});
  EXPECT_EQ("No finite value on this plane", none.missing);
  EXPECT_NE(std::string::npos,
            SvgText(FieldMapScene(none, MapMarks{}, "X")).find("No finite value on this plane"));

  const FieldMap one = ComputeFieldMap(Table({{3, 4, 5, 7}}, "MAGNETIC "), {}, Point3D{});
  EXPECT_EQ(1u, one.cells.size());
  const std::string oneSvg = SvgText(FieldMapScene(one, MapMarks{}, "Z"));
  EXPECT_NE(std::string::npos, oneSvg.find("one point on this plane")) << oneSvg;
  EXPECT_NE(std::string::npos, oneSvg.find("A/m")) << oneSvg;
}

TEST(FieldMapScale, LinearSpansThePlaneAndDecibelsCountDownFromItsMaximum) {
  FieldMap map;
  map.minimum = 2;
  map.maximum = 10;
  struct Case {
    MapScale scale;
    double value, fraction;
  };
  for (const Case& c :
       {Case{MapScale::Linear, 2, 0}, Case{MapScale::Linear, 6, 0.5}, Case{MapScale::Linear, 10, 1},
        Case{MapScale::Decibel, 10, 1}, Case{MapScale::Decibel, 1, 0.5}, Case{MapScale::Decibel, 0.01, 0},
        Case{MapScale::Decibel, 0, 0}}) {
    map.scale = c.scale;
    EXPECT_NEAR(c.fraction, ScaleFraction(map, c.value), 1e-12) << c.value;
  }
}

}  // namespace varnel
