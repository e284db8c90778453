#include "mainwindow/analysis_notes.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "util/format.hpp"

namespace varnel {

namespace {

// Coordinates and lengths as a person reads them: "10", "1,3", "7,07".
std::string Number(double value) { return FormatReal("%1.4g", value); }

std::string PointText(const Point3D& p) {
  return "(" + Number(p.x) + "|" + Number(p.y) + "|" + Number(p.z) + ")";
}

std::size_t PointCount(const NearFieldTable& t) {
  return std::min({t.x.size(), t.y.size(), t.z.size(), t.value.size()});
}

// A few values are named, more are given as their span.
std::string ListText(RealList values) {
  std::sort(values.begin(), values.end());
  RealList distinct;
  for (double v : values)
    if (distinct.empty() || v - distinct.back() > 0.001) distinct.push_back(v);
  if (distinct.empty()) return "none";
  constexpr std::size_t kNamed = 5;
  if (distinct.size() > kNamed)
    return Number(distinct.front()) + " to " + Number(distinct.back()) + " m (" +
           std::to_string(distinct.size()) + " values)";
  std::string text;
  for (double v : distinct) text += (text.empty() ? "" : ", ") + Number(v);
  return text + " m";
}

std::string AxisDistances(const NearFieldTable& table) {
  double low = std::numeric_limits<double>::infinity(), high = -low;
  for (std::size_t i = 0; i < PointCount(table); ++i) {
    const double r = std::hypot(table.x[i], table.y[i]);
    low = std::min(low, r);
    high = std::max(high, r);
  }
  return "the grid's distances from the Z axis: " + Number(low) + " to " + Number(high) + " m";
}

std::string Within() { return FormatReal("no grid point within %1.1f m of the ", MatchTolerance); }

}  // namespace

PowerBudget ReadPowerBudget(const OutputPrint& print) {
  return {ReadInputPower(print), ReadRadiatedPower(print)};
}

std::string ImpossibleBudgetLine(const std::string& name, const PowerBudget& budget) {
  const double shown = budget.input <= 0 ? budget.input : budget.radiated;
  const std::string how = shown < 0 ? FormatReal("negative (%1.2g W)", shown) : "0 W";
  return name + ": the engine's power budget is " + how +
         ": not physical; values normalised by it are left undefined";
}

std::string FarGridPointLine(const Point3D& p, const FieldAtPointResult& used, const GridExtent& extent) {
  if (std::isnan(used.value) && std::isnan(used.eps)) return "";
  const double offsets[3] = {p.x - used.at.x, p.y - used.at.y, p.z - used.at.z};
  bool far = false;
  for (int axis = 0; axis < 3; ++axis) {
    const double step = extent[3 * axis + 2];
    far = far || std::abs(offsets[axis]) > std::max(step > 0 ? step / 2 : 0.0, 0.001);
  }
  if (!far) return "";
  return "P " + PointText(p) + " is " + FormatReal("%1.2f", used.eps) + " m from the nearest grid point " +
         PointText(used.at);
}

std::string NoCircleLine(const NearFieldTable& table, double radius, double height) {
  if (PointCount(table) == 0) return "";
  const std::string head =
      Within() + "circle of radius " + Number(radius) + " m at z = " + Number(height) + " m; ";
  const bool heightMet =
      std::any_of(table.z.begin(), table.z.begin() + static_cast<std::ptrdiff_t>(PointCount(table)),
                  [&](double z) { return std::abs(z - height) < MatchTolerance; });
  if (heightMet) return head + AxisDistances(table);
  return head + "the grid's heights: " +
         ListText(
             RealList(table.z.begin(), table.z.begin() + static_cast<std::ptrdiff_t>(PointCount(table))));
}

std::string NoCylinderLine(const NearFieldTable& table, double radius) {
  if (PointCount(table) == 0) return "";
  return Within() + "cylinder of radius " + Number(radius) + " m; " + AxisDistances(table);
}

}  // namespace varnel
