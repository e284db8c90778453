// Near-field searches: each is one pass over the grid points in table order. A table whose
// lists differ in length (an invalid polarisation leaves value empty) is searched over the
// points that have all four entries, so no search reads past a list. A point without a value
// (NaN: the engine marked it "NaN") is no candidate of any search.
#include "necout/nearfield.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "util/errors.hpp"
#include "util/workers.hpp"

namespace varnel {

namespace {

const double kNoValue = std::numeric_limits<double>::quiet_NaN();

std::size_t PointCount(const NearFieldTable& t) {
  return std::min({t.x.size(), t.y.size(), t.z.size(), t.value.size()});
}

// The largest value of the grid points that satisfy the condition, chosen as MaxOf chooses it
// (the first candidate, replaced only by a strictly larger one); NaN without candidates.
template <typename Condition>
double MaxWhere(const NearFieldTable& t, Condition matches) {
  const std::size_t n = PointCount(t);
  bool found = false;
  double best = kNoValue;
  for (std::size_t i = 0; i < n; ++i) {
    if (!matches(t.x[i], t.y[i], t.z[i])) continue;
    const double value = t.value[i];
    if (found ? value > best : !std::isnan(value)) {
      best = value;
      found = true;
    }
  }
  return best;
}

bool Near(double a, double b) { return std::abs(a - b) < MatchTolerance; }

double SquaredDistance(const Point3D& p, double x, double y, double z) {
  const double dx = x - p.x, dy = y - p.y, dz = z - p.z;
  return dx * dx + dy * dy + dz * dz;
}

double Distance(const Point3D& p, double x, double y, double z) {
  return std::sqrt(SquaredDistance(p, x, y, z));
}

}  // namespace

FieldAtPointResult FieldAtPoint(const Point3D& p, const NearFieldTable& table) {
  const std::size_t n = PointCount(table);
  double bestDistance = 1000000000.0;
  // The square root is rounded correctly and so never decreases as its argument grows: a point
  // whose squared distance is not below the best one's cannot be closer, and needs no root.
  double bestSquare = std::numeric_limits<double>::infinity();
  std::size_t best = n;
  for (std::size_t i = 0; i < n; ++i) {
    const double square = SquaredDistance(p, table.x[i], table.y[i], table.z[i]);
    if (!(square < bestSquare) || std::isnan(table.value[i])) continue;
    const double d = std::sqrt(square);
    if (d < bestDistance) {
      bestDistance = d;
      bestSquare = square;
      best = i;
    }
  }
  // No grid point (or none closer than 10^9 m): no value to give.
  if (best == n) return {kNoValue, kNoValue, {kNoValue, kNoValue, kNoValue}};
  return {table.value[best],
          Distance(p, table.x[best], table.y[best], table.z[best]),
          {table.x[best], table.y[best], table.z[best]}};
}

double MaxOnZLine(const Point2D& a, const NearFieldTable& table, double maxHeight) {
  return MaxWhere(
      table, [&](double x, double y, double z) { return Near(x, a.x) && Near(y, a.y) && z < maxHeight; });
}

double MaxInXZPlane(const NearFieldTable& table, double y0) {
  return MaxWhere(table, [&](double, double y, double) { return Near(y, y0); });
}

double MaxOnCircle(const NearFieldTable& table, double radius, double height) {
  // The height first: it rules most points out without a square root.
  return MaxWhere(table, [&](double x, double y, double z) {
    return Near(z, height) && Near(std::sqrt(x * x + y * y), radius);
  });
}

double MaxOnCylinder(const NearFieldTable& table, double radius) {
  // A point whose squared distance from the axis lies a millionth beyond the squares of
  // radius -+ the tolerance is out of reach, whatever the roundings of the square root and the
  // difference; only the points in between need the root. The inner bound only for a radius
  // clear of the tolerance (below that the millionth could be smaller than those roundings).
  // NaN bounds rule nothing out.
  const double outer = radius + MatchTolerance, inner = radius - MatchTolerance;
  const double farthest = outer * outer * (1 + 1e-6);
  const double nearest = inner >= 1e-3 ? inner * inner * (1 - 1e-6) : -1;
  return MaxWhere(table, [&](double x, double y, double) {
    const double square = x * x + y * y;
    if (square > farthest || square < nearest) return false;
    return Near(std::sqrt(square), radius);
  });
}

GridExtent GridExtentOf(const RealList& x, const RealList& y, const RealList& z) {
  GridExtent extent{};
  const RealList* axes[3] = {&x, &y, &z};
  const auto axis = [&](int a) {
    const RealList& list = *axes[a];
    double minimum = kNoValue, maximum = kNoValue, step = 0;
    if (!list.empty()) {
      minimum = MinOf(list);
      maximum = MaxOf(list);
      const std::size_t distinct = CountDistinct(list);
      if (distinct > 1) step = (maximum - minimum) / static_cast<double>(distinct - 1);
    }
    extent[3 * a] = minimum;
    extent[3 * a + 1] = maximum;
    extent[3 * a + 2] = step;
  };
  RunAtOnce({[&] { axis(0); }, [&] { axis(1); }, [&] { axis(2); }},
            std::max({x.size(), y.size(), z.size()}) >= kPointsWorthCores);
  return extent;
}

GridExtent GridExtentOf(const NearFieldTable& table) { return GridExtentOf(table.x, table.y, table.z); }

double OverallMaximum(const NearFieldTable& table) {
  return MaxWhere(table, [](double, double, double) { return true; });
}

double NormalizeField(double value, double normalizePower, double inputPower) {
  if (inputPower == 0) throw ZeroDivideError();
  return value * std::sqrt(normalizePower / inputPower);
}

}  // namespace varnel
