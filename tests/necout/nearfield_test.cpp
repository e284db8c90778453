#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "necout/nearfield.hpp"
#include "necout/necout_support.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

// A regular grid, x fastest, with value = 100 * index + 1 so every point has its own value.
NearFieldTable Grid(double start, double step, int n, double zStart = 0, int nz = 1) {
  NearFieldTable t;
  t.fieldType = "ELECTRIC ";
  for (int k = 0; k < nz; ++k)
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        t.x.push_back(start + step * i);
        t.y.push_back(start + step * j);
        t.z.push_back(zStart + step * k);
        t.value.push_back(100.0 * static_cast<double>(t.value.size()) + 1);
      }
  return t;
}

// Points in the plane z = 0 with their values.
NearFieldTable Points(RealList x, RealList y, RealList value) {
  NearFieldTable t;
  t.x = std::move(x);
  t.y = std::move(y);
  t.z.assign(t.x.size(), 0);
  t.value = std::move(value);
  return t;
}

// The value a grid point (x, y, z) has in the table (NaN when it is not there).
double ValueAt(const NearFieldTable& t, double x, double y, double z) {
  for (std::size_t i = 0; i < t.x.size(); ++i)
    if (t.x[i] == x && t.y[i] == y && t.z[i] == z) return t.value[i];
  return NAN;
}

}  // namespace

TEST(NecOutNearField, FieldAtPointTakesTheNearestAndTheFirstOnATie) {
  const NearFieldTable t = Grid(0, 1, 4);
  const FieldAtPointResult on = FieldAtPoint(MakePoint3D(2, 1, 0), t);
  EXPECT_EQ(ValueAt(t, 2, 1, 0), on.value);
  EXPECT_EQ(0.0, on.eps);

  // Halfway between (1, 1, 0) and (2, 1, 0): the first in table order.
  const FieldAtPointResult half = FieldAtPoint(MakePoint3D(1.5, 1, 0), t);
  EXPECT_EQ(ValueAt(t, 1, 1, 0), half.value);
  EXPECT_DOUBLE_EQ(0.5, half.eps);

  const FieldAtPointResult off = FieldAtPoint(MakePoint3D(2.2, 0.9, 3), t);
  EXPECT_EQ(ValueAt(t, 2, 1, 0), off.value);
  EXPECT_DOUBLE_EQ(std::sqrt(0.04 + 0.01 + 9), off.eps);

  // The second point's squared distance is smaller, but both distances round to the same
  // double: a tie, so the first point.
  const NearFieldTable rounded = Points({3.0002, 3.0002}, {6.324460448133105, 6.3244604481331042}, {1, 2});
  EXPECT_EQ(1.0, FieldAtPoint(MakePoint3D(0, 0, 0), rounded).value);
}

TEST(NecOutNearField, XZPlaneMatchesRowsStrictlyWithinTheTolerance) {
  // Value rises with the index, so the largest matching value shows the highest row matched.
  const NearFieldTable oneMetre = Grid(0, 1, 5);
  EXPECT_EQ(ValueAt(oneMetre, 4, 3, 0), MaxInXZPlane(oneMetre, 2.5)) << "rows 2 and 3";
  EXPECT_EQ(ValueAt(oneMetre, 4, 2, 0), MaxInXZPlane(oneMetre, 2.0)) << "row 2 only";
  EXPECT_EQ(ValueAt(oneMetre, 4, 2, 0), MaxInXZPlane(oneMetre, 1.41)) << "1 lies 0.41 off, 2 lies 0.59 off";
  EXPECT_EQ(1.0, MaxInXZPlane(Points({0, 0}, {0.6, 0.5}, {9, 1}), 0))
      << "a deviation of exactly 0.6 is left out";

  NearFieldTable halfMetre = Grid(0, 0.5, 8);
  EXPECT_EQ(ValueAt(halfMetre, 3.5, 2.5, 0), MaxInXZPlane(halfMetre, 2.0)) << "rows 1.5, 2 and 2.5";
  // Reverse the values: now the lowest matched row holds the maximum.
  for (double& v : halfMetre.value) v = -v;
  EXPECT_EQ(ValueAt(halfMetre, 0, 1.5, 0), MaxInXZPlane(halfMetre, 2.0));
}

TEST(NecOutNearField, ZLineLeavesOutTheHeightLimitItself) {
  const NearFieldTable t = Grid(0, 1, 3, 0, 4);  // z = 0..3
  EXPECT_EQ(ValueAt(t, 1, 2, 2), MaxOnZLine(MakePoint2D(1, 2), t, 3.0)) << "top layer z = 3 excluded";
  EXPECT_EQ(ValueAt(t, 1, 2, 3), MaxOnZLine(MakePoint2D(1, 2), t, 3.01));
  EXPECT_EQ(ValueAt(t, 2, 2, 3), MaxOnZLine(MakePoint2D(1.5, 2.4), t, 10)) << "x 1 and 2, y 2 match";
  EXPECT_TRUE(std::isnan(MaxOnZLine(MakePoint2D(1, 2), t, 0.0))) << "nothing below z = 0";
}

TEST(NecOutNearField, CircleAndCylinderAreCentredOnTheZAxis) {
  NearFieldTable t = Grid(-4, 1, 9, 0, 3);
  // Mark the points whose distance from the axis lies strictly between 2.4 and 3.6 at z = 1.
  for (std::size_t i = 0; i < t.x.size(); ++i) t.value[i] = 0;
  const double members[][2] = {{3, 0}, {2, 2}, {3, 1}, {0, -3}};
  for (std::size_t i = 0; i < t.x.size(); ++i) {
    const double r = std::sqrt(t.x[i] * t.x[i] + t.y[i] * t.y[i]);
    for (const auto& m : members)
      if (t.x[i] == m[0] && t.y[i] == m[1] && t.z[i] == 1) t.value[i] = 10 + m[0];
    if (t.z[i] == 2 && std::abs(r - 3) < 0.6) t.value[i] = 50;  // on the cylinder, other height
    if (r > 3.6 || r < 2.4) t.value[i] = 1000;                  // never on the circle
  }
  EXPECT_EQ(13.0, MaxOnCircle(t, 3, 1.0)) << "(3, 0) and (3, 1) hold 13";
  EXPECT_EQ(50.0, MaxOnCircle(t, 3, 1.5)) << "heights 1 and 2 both within 0.6";
  EXPECT_EQ(50.0, MaxOnCylinder(t, 3)) << "every height";
  EXPECT_TRUE(std::isnan(MaxOnCircle(t, 3, 5))) << "no layer at that height";
}

// A point without a value (the engine's "NaN") is no candidate of any search; a search without
// candidates gives NaN.
TEST(NecOutNearField, MaximumKeepsTheFirstOfEqualCandidatesAndPassesOverNaN) {
  NearFieldTable t = Grid(0, 1, 2);
  t.value = {5, NAN, 5, 7};
  EXPECT_EQ(5.0, MaxInXZPlane(t, 0)) << "NaN behind a candidate is not larger";
  t.value = {NAN, 3, 9, 9};
  EXPECT_EQ(3.0, MaxInXZPlane(t, 0)) << "a NaN first point is no candidate";
  EXPECT_EQ(9.0, OverallMaximum(t));
  EXPECT_EQ(3.0, FieldAtPoint({0, 0, 0}, t).value) << "the nearest point with a value";
  t.value = {NAN, NAN, NAN, NAN};
  EXPECT_TRUE(std::isnan(OverallMaximum(t)));
  EXPECT_EQ(301.0, OverallMaximum(Grid(0, 1, 2)));

  // Empty tables and searches without a candidate give NaN.
  const NearFieldTable empty;
  const FieldAtPointResult f = FieldAtPoint(MakePoint3D(0, 0, 0), empty);
  EXPECT_TRUE(std::isnan(f.value));
  EXPECT_TRUE(std::isnan(f.eps));
  EXPECT_TRUE(std::isnan(MaxOnZLine(MakePoint2D(0, 0), empty, 10)));
  EXPECT_TRUE(std::isnan(MaxInXZPlane(empty, 0)));
  EXPECT_TRUE(std::isnan(MaxOnCircle(empty, 1, 0)));
  EXPECT_TRUE(std::isnan(MaxOnCylinder(empty, 1)));
  EXPECT_TRUE(std::isnan(OverallMaximum(empty)));
  EXPECT_TRUE(std::isnan(MaxInXZPlane(Grid(0, 1, 3), 10)));

  // A table read with an invalid polarisation has points but no values.
  NearFieldTable noValues = Grid(0, 1, 3);
  noValues.value.clear();
  EXPECT_TRUE(std::isnan(FieldAtPoint(MakePoint3D(0, 0, 0), noValues).value));
  EXPECT_TRUE(std::isnan(MaxOnCylinder(noValues, 1)));
  EXPECT_TRUE(std::isnan(OverallMaximum(noValues)));
}

TEST(NecOutNearField, GridExtent) {
  struct Case {
    const char* what;
    RealList list;
    double minimum, maximum, step;
  } cases[] = {
      {"three values, repeated", {-1, 0, 1, -1, 0, 1, -1, 0, 1}, -1, 1, 1},
      {"one value", {2.5, 2.5, 2.5}, 2.5, 2.5, 0},
      {"within the distinct tolerance", {0, 0.0009, 0.0018}, 0, 0.0018, 0},
      {"falling", {3, 2, 1, 0}, 0, 3, 1},
  };
  for (const Case& c : cases) {
    const GridExtent e = GridExtentOf(c.list, RealList{0}, c.list);
    EXPECT_EQ(c.minimum, e[0]) << c.what;
    EXPECT_EQ(c.maximum, e[1]) << c.what;
    EXPECT_DOUBLE_EQ(c.step, e[2]) << c.what;
    EXPECT_EQ(0.0, e[5]) << c.what;
    EXPECT_EQ(c.step, e[8]) << c.what;
  }
  const GridExtent none = GridExtentOf(NearFieldTable{});
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_TRUE(std::isnan(none[3 * axis]) && std::isnan(none[3 * axis + 1])) << axis;
    EXPECT_EQ(0.0, none[3 * axis + 2]) << axis;
  }
  // A small grid, and one large enough for its axes to be worked out at once.
  const GridExtent small = GridExtentOf(Grid(-2, 0.5, 9, 1, 3));
  const GridExtent smallExpected{-2, 2, 0.5, -2, 2, 0.5, 1, 2, 0.5};
  const GridExtent large = GridExtentOf(Grid(-20, 0.5, 81, 1, 3));
  const GridExtent largeExpected{-20, 20, 0.5, -20, 20, 0.5, 1, 2, 0.5};
  for (int i = 0; i < 9; ++i) {
    EXPECT_DOUBLE_EQ(smallExpected[i], small[i]) << "entry " << i;
    EXPECT_DOUBLE_EQ(largeExpected[i], large[i]) << "entry " << i;
  }
}

TEST(NecOutNearField, CylinderTakesExactlyThePointsWithinTheToleranceOfItsRadius) {
  // Points at the edges of the tolerance and just beyond, for radii small, at the tolerance,
  // large, negative and not finite; each point found or not as the plain rule decides.
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  for (double radius : {0.0, 0.3, 0.5999999, 0.6, 0.6000001, 0.601, 1.0, 3.0, 1e6, -0.6, -5.0, nan, inf})
    for (double edge : {radius - MatchTolerance, radius + MatchTolerance, radius})
      for (double off : {0.0, 1e-13, 1e-9, 1e-7, 1e-4})
        for (double r : {edge - off * (1 + std::fabs(edge)), edge + off * (1 + std::fabs(edge))})
          for (double angle : {0.0, 0.7}) {
            const NearFieldTable point = Points({r * std::cos(angle)}, {r * std::sin(angle)}, {1});
            const double x = point.x[0], y = point.y[0];
            const bool within = std::fabs(std::sqrt(x * x + y * y) - radius) < MatchTolerance;
            EXPECT_EQ(within, MaxOnCylinder(point, radius) == 1) << "radius " << radius << ", point at " << r;
          }
}

TEST(NecOutNearField, NormalizeField) {
  EXPECT_DOUBLE_EQ(5.0, NormalizeField(10, 1, 4));
  EXPECT_DOUBLE_EQ(20.0, NormalizeField(10, 4, 1));
  try {
    NormalizeField(10, 1, 0);
    ADD_FAILURE() << "an input power of 0 must end the command";
  } catch (const ZeroDivideError& e) {
    EXPECT_STREQ("Gleitkommadivision durch Null", e.what());
  }
  EXPECT_THROW(NormalizeField(10, 1, -0.0), ZeroDivideError);
}

}  // namespace varnel
