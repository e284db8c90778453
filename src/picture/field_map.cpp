#include "picture/field_map.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "util/format.hpp"

namespace varnel {

namespace {

constexpr double kSame = 0.001;  // coordinates closer than this are one grid coordinate
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Index of the value in sorted nearest to x.
std::size_t Nearest(const RealList& sorted, double x) {
  auto it = std::lower_bound(sorted.begin(), sorted.end(), x);
  if (it == sorted.end()) return sorted.size() - 1;
  if (it == sorted.begin()) return 0;
  const std::size_t i = static_cast<std::size_t>(it - sorted.begin());
  return (x - sorted[i - 1] <= sorted[i] - x) ? i - 1 : i;
}

// Nearest, first trying the index found for the previous point and the one after it: a grid's
// loops step through their coordinates in order, so most points cost two comparisons.
std::size_t NearestFrom(const RealList& sorted, double x, std::size_t& hint) {
  if (hint < sorted.size() && std::abs(sorted[hint] - x) <= kSame / 2) return hint;
  if (hint + 1 < sorted.size() && std::abs(sorted[hint + 1] - x) <= kSame / 2) return ++hint;
  return hint = Nearest(sorted, x);
}

// The distinct coordinates of a list, ascending; a value within kSame of one already held is
// that one (the first seen stands for it). Like NearestFrom, it tries the last place first.
class Distinct {
 public:
  void Add(double value) {
    if (!std::isfinite(value)) return;
    if (hint_ < values_.size() && std::abs(values_[hint_] - value) <= kSame) return;
    if (hint_ + 1 < values_.size() && std::abs(values_[hint_ + 1] - value) <= kSame) {
      ++hint_;
      return;
    }
    auto it = std::lower_bound(values_.begin(), values_.end(), value - kSame);
    if (it != values_.end() && *it - value <= kSame) {
      hint_ = static_cast<std::size_t>(it - values_.begin());
      return;
    }
    hint_ = static_cast<std::size_t>(values_.insert(it, value) - values_.begin());
  }
  const RealList& Sorted() const { return values_; }

 private:
  RealList values_;
  std::size_t hint_ = 0;
};

// The three coordinates of a grid point in the plane's order: across, up, third axis.
struct Axes {
  const RealList* u;
  const RealList* v;
  const RealList* w;
};
Axes AxesOf(const NearFieldTable& table, MapPlane plane) {
  switch (plane) {
    case MapPlane::XY:
      return {&table.x, &table.y, &table.z};
    case MapPlane::XZ:
      return {&table.x, &table.z, &table.y};
    case MapPlane::YZ:
      return {&table.y, &table.z, &table.x};
  }
  return {&table.x, &table.y, &table.z};
}

const char* AcrossName(MapPlane plane) { return plane == MapPlane::YZ ? "y" : "x"; }
const char* UpName(MapPlane plane) { return plane == MapPlane::XY ? "y" : "z"; }

// Half a cell beyond the outer coordinates; a single coordinate gets the other axis's step
// (or 1 m).
double StepOf(const RealList& values) {
  double step = 0;
  for (std::size_t i = 1; i < values.size(); ++i) {
    const double d = values[i] - values[i - 1];
    if (step == 0 || d < step) step = d;
  }
  return step;
}

std::string Metres(double value) { return FormatReal("%1.4g", value) + " m"; }

}  // namespace

const char* PlaneName(MapPlane plane) {
  return plane == MapPlane::XY ? "XY" : plane == MapPlane::XZ ? "XZ" : "YZ";
}
const char* NormalAxisName(MapPlane plane) {
  return plane == MapPlane::XY ? "z" : plane == MapPlane::XZ ? "y" : "x";
}

FieldMap ComputeFieldMap(const NearFieldTable& table, const FieldMapChoice& choice, const Point3D& p) {
  FieldMap map;
  map.scale = choice.scale;
  map.floorDb = choice.floorDb < 0 ? choice.floorDb : -40;
  map.unit = table.UnitText();
  const std::size_t count = std::min({table.x.size(), table.y.size(), table.z.size(), table.value.size()});
  if (count == 0) {
    map.missing = "No near-field table";
    return map;
  }

  Distinct dx, dy, dz;
  for (std::size_t i = 0; i < count; ++i) {
    dx.Add(table.x[i]);
    dy.Add(table.y[i]);
    dz.Add(table.z[i]);
  }
  const RealList& xs = dx.Sorted();
  const RealList& ys = dy.Sorted();
  const RealList& zs = dz.Sorted();
  const bool varies[3] = {xs.size() > 1, ys.size() > 1, zs.size() > 1};
  // Axis indices of each plane: across, up.
  const int planeAxes[3][2] = {{0, 1}, {0, 2}, {1, 2}};
  const int variedAxes = varies[0] + varies[1] + varies[2];
  for (int k = 0; k < 3; ++k) {
    const bool a = varies[planeAxes[k][0]], b = varies[planeAxes[k][1]];
    const bool held = variedAxes >= 2 ? (a && b) : variedAxes == 1 ? (a || b) : true;
    if (held) map.planes.push_back(static_cast<MapPlane>(k));
  }
  map.plane = map.planes.front();
  if (choice.plane && std::find(map.planes.begin(), map.planes.end(), *choice.plane) != map.planes.end())
    map.plane = *choice.plane;

  const Axes axes = AxesOf(table, map.plane);
  map.levels = map.plane == MapPlane::XY ? zs : map.plane == MapPlane::XZ ? ys : xs;
  if (map.levels.empty()) {
    map.missing = "No grid point with finite coordinates";
    return map;
  }
  const double wanted = choice.level                ? *choice.level
                        : map.plane == MapPlane::XY ? p.z
                        : map.plane == MapPlane::XZ ? p.y
                                                    : p.x;
  map.level = map.levels[std::isfinite(wanted) ? Nearest(map.levels, wanted) : 0];

  // The plane's points. Its cells are the grid's coordinates on the two axes; a layer that
  // covers less of them than another leaves its other cells empty.
  map.u = map.plane == MapPlane::YZ ? ys : xs;
  map.v = map.plane == MapPlane::XY ? ys : zs;
  map.cells.assign(map.u.size() * map.v.size(), kNaN);
  double minimum = std::numeric_limits<double>::infinity(), maximum = -minimum;
  std::size_t hintU = 0, hintV = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!(std::abs((*axes.w)[i] - map.level) <= kSame)) continue;
    const double u = (*axes.u)[i], v = (*axes.v)[i];
    if (!std::isfinite(u) || !std::isfinite(v)) continue;
    ++map.points;
    const double value = table.value[i];
    if (!std::isfinite(value)) {
      ++map.leftOut;
      continue;
    }
    double& cell = map.cells[NearestFrom(map.v, v, hintV) * map.u.size() + NearestFrom(map.u, u, hintU)];
    if (std::isnan(cell) || value > cell) cell = value;
    minimum = std::min(minimum, value);
    maximum = std::max(maximum, value);
  }
  if (map.leftOut == map.points) {
    map.missing = "No finite value on this plane";
    return map;
  }
  map.minimum = minimum;
  map.maximum = maximum;
  return map;
}

double ScaleFraction(const FieldMap& map, double value) {
  double t = 1;
  if (map.scale == MapScale::Decibel) {
    const double db = value > 0 && map.maximum > 0 ? 20 * std::log10(value / map.maximum) : map.floorDb;
    t = (db - map.floorDb) / -map.floorDb;
  } else if (map.maximum > map.minimum) {
    t = (value - map.minimum) / (map.maximum - map.minimum);
  }
  return std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0);
}

Colour ScaleColour(double fraction) {
  // Dark blue-violet, blue, teal, green, yellow.
  static const Colour stops[] = {{68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}};
  const double t = std::clamp(std::isnan(fraction) ? 0.0 : fraction, 0.0, 1.0) * 4;
  const int k = std::min(3, static_cast<int>(t));
  const double f = t - k;
  auto mix = [f](std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>(std::lround(a + (b - a) * f));
  };
  return {mix(stops[k].r, stops[k + 1].r), mix(stops[k].g, stops[k + 1].g), mix(stops[k].b, stops[k + 1].b)};
}

namespace {

constexpr double kAreaLeft = 80, kAreaTop = 56, kAreaWidth = 500, kAreaHeight = 420;

struct Span {
  double low, high;
};
Span CellSpan(const RealList& values, double fallbackStep) {
  double step = StepOf(values);
  if (step <= 0) step = fallbackStep > 0 ? fallbackStep : 1;
  return {values.front() - step / 2, values.back() + step / 2};
}

}  // namespace

PlotFrame FieldMapFrame(const FieldMap& map) {
  PlotFrame frame;
  if (map.u.empty() || map.v.empty()) {
    frame = PlotFrame{kAreaLeft, kAreaTop, kAreaWidth, kAreaHeight, {0, 1}, {0, 1}};
    return frame;
  }
  const Span u = CellSpan(map.u, StepOf(map.v)), v = CellSpan(map.v, StepOf(map.u));
  // One metre is as long across as up, so circles stay round.
  const double scale = std::min(kAreaWidth / (u.high - u.low), kAreaHeight / (v.high - v.low));
  frame.width = (u.high - u.low) * scale;
  frame.height = (v.high - v.low) * scale;
  frame.left = kAreaLeft + (kAreaWidth - frame.width) / 2;
  frame.top = kAreaTop + (kAreaHeight - frame.height) / 2;
  frame.x = {u.low, u.high};
  frame.y = {v.low, v.high};
  return frame;
}

namespace {

// Pixel k of n across a span maps to the nearest coordinate; the raster has one pixel per
// smallest step (so a regular grid gets one pixel per cell), for an irregular grid at most
// eight per coordinate and never more than 2048.
std::vector<std::size_t> PixelCells(const RealList& values, Span span, std::size_t& pixels) {
  const double step = StepOf(values);
  const double steps = step > 0 ? (values.back() - values.front()) / step : 0;
  const std::size_t most = std::min<std::size_t>(2048, 8 * values.size());
  pixels = std::isfinite(steps) && steps < static_cast<double>(most)
               ? static_cast<std::size_t>(std::lround(steps)) + 1
               : most;
  pixels = std::clamp<std::size_t>(pixels, 1, most);
  std::vector<std::size_t> cells(pixels);
  const double width = (span.high - span.low) / static_cast<double>(pixels);
  for (std::size_t k = 0; k < pixels; ++k)
    cells[k] = Nearest(values, span.low + (static_cast<double>(k) + 0.5) * width);
  return cells;
}

// A point with its label above (or below) it to the right, on a white ground.
void Mark(Scene& scene, double x, double y, Colour colour, const std::string& label, bool below) {
  scene.items.push_back(CircleItem{x, y, 5, colour, Stroke{{0, 0, 0}, 1.5}});
  const double baseline = below ? y + 20 : y - 6;
  TextItem text{x + 8, baseline, label, 13, TextAnchor::Start, {0, 0, 0}};
  text.bold = true;
  scene.items.push_back(
      RectItem{x + 6, baseline - 12, TextWidth(label, 13) + 4, 16, Colour{255, 255, 255}, std::nullopt});
  scene.items.push_back(text);
}

// The working points and the Mode's geometry, projected onto the plane.
void DrawMarks(Scene& scene, const FieldMap& map, const PlotFrame& f, const MapMarks& marks) {
  const Stroke geometry{{255, 255, 255}, 2.5};
  const Stroke outline{{0, 0, 0}, 4.5};
  auto line = [&](double u1, double v1, double u2, double v2) {
    scene.items.push_back(LineItem{f.X(u1), f.Y(v1), f.X(u2), f.Y(v2), outline});
    scene.items.push_back(LineItem{f.X(u1), f.Y(v1), f.X(u2), f.Y(v2), geometry});
  };
  auto acrossLine = [&](double u, double vTop) { line(u, f.y.low, u, std::min(vTop, f.y.high)); };
  const double inf = std::numeric_limits<double>::infinity();
  const double pixelsPerMetre = f.width / (f.x.high - f.x.low);
  auto ring = [&](double r) {
    scene.items.push_back(CircleItem{f.X(0), f.Y(0), r * pixelsPerMetre, std::nullopt, outline});
    scene.items.push_back(CircleItem{f.X(0), f.Y(0), r * pixelsPerMetre, std::nullopt, geometry});
  };
  switch (marks.mode) {
    case 1:  // Z line through A, below maxHeight
      if (map.plane == MapPlane::XZ) acrossLine(marks.a.x, marks.maxHeight);
      if (map.plane == MapPlane::YZ) acrossLine(marks.a.y, marks.maxHeight);
      if (map.plane == MapPlane::XY) {
        scene.items.push_back(CircleItem{f.X(marks.a.x), f.Y(marks.a.y), 11, std::nullopt, outline});
        scene.items.push_back(CircleItem{f.X(marks.a.x), f.Y(marks.a.y), 11, std::nullopt, geometry});
      }
      break;
    case 2:  // XZ plane at py
      if (map.plane == MapPlane::XY) line(f.x.low, marks.py, f.x.high, marks.py);
      if (map.plane == MapPlane::YZ) acrossLine(marks.py, inf);
      if (map.plane == MapPlane::XZ && std::abs(map.level - marks.py) < 0.6)
        scene.items.push_back(
            RectItem{f.left + 3, f.top + 3, f.width - 6, f.height - 6, std::nullopt, geometry});
      break;
    case 3:  // circle about the Z axis at the height of P
      if (map.plane == MapPlane::XY)
        ring(marks.rCircle);
      else {
        line(-marks.rCircle, marks.p.z - 0.3, -marks.rCircle, marks.p.z + 0.3);
        line(marks.rCircle, marks.p.z - 0.3, marks.rCircle, marks.p.z + 0.3);
        line(-marks.rCircle - 0.3, marks.p.z, -marks.rCircle + 0.3, marks.p.z);
        line(marks.rCircle - 0.3, marks.p.z, marks.rCircle + 0.3, marks.p.z);
      }
      break;
    case 4:  // cylinder about the Z axis
      if (map.plane == MapPlane::XY)
        ring(marks.rCylinder);
      else {
        acrossLine(-marks.rCylinder, inf);
        acrossLine(marks.rCylinder, inf);
      }
      break;
    default:
      break;
  }
  // A has no height: in a vertical plane it is the dashed line of its x (or y).
  if (map.plane == MapPlane::XY) {
    Mark(scene, f.X(marks.a.x), f.Y(marks.a.y), {255, 150, 0}, "A", true);
  } else {
    const double u = map.plane == MapPlane::XZ ? marks.a.x : marks.a.y;
    scene.items.push_back(
        LineItem{f.X(u), f.top, f.X(u), f.top + f.height, Stroke{{255, 150, 0}, 1.5, true}});
    scene.items.push_back(TextItem{f.X(u) + 4, f.top + 14, "A", 13, TextAnchor::Start, {255, 150, 0}, true});
  }
  const double pu = map.plane == MapPlane::YZ ? marks.p.y : marks.p.x;
  const double pv = map.plane == MapPlane::XY ? marks.p.y : marks.p.z;
  const double pw = map.plane == MapPlane::XY ? marks.p.z : map.plane == MapPlane::XZ ? marks.p.y : marks.p.x;
  Mark(scene, f.X(pu), f.Y(pv), {230, 30, 30}, std::abs(pw - map.level) < 0.6 ? "P" : "P (off plane)", false);
}

// White bands over everything outside the frame, so that marks beyond the grid are cut off.
void MaskOutside(Scene& scene, const PlotFrame& f) {
  const Colour white{255, 255, 255};
  scene.items.push_back(RectItem{0, 0, kMapWidth, f.top, white, std::nullopt});
  scene.items.push_back(
      RectItem{0, f.top + f.height, kMapWidth, kMapHeight - f.top - f.height, white, std::nullopt});
  scene.items.push_back(RectItem{0, f.top, f.left, f.height, white, std::nullopt});
  scene.items.push_back(
      RectItem{f.left + f.width, f.top, kMapWidth - f.left - f.width, f.height, white, std::nullopt});
}

void ColourBar(Scene& scene, const FieldMap& map, std::vector<std::string>& legend) {
  const double left = 620, top = 80, width = 22, height = 260;
  ImageItem bar{left, top, width, height, 1, 128, {}};
  for (int k = 0; k < 128; ++k) bar.pixels.push_back(ScaleColour(1 - (k + 0.5) / 128));
  scene.items.push_back(bar);
  scene.items.push_back(RectItem{left, top, width, height, std::nullopt, Stroke{{0, 0, 0}, 1}});
  const bool db = map.scale == MapScale::Decibel;
  const AxisRange range = db ? AxisRange{map.floorDb, 0} : RangeOf(map.minimum, map.maximum);
  for (const Tick& tick : NiceTicks(range, 6)) {
    const double y = top + height - (tick.value - range.low) / (range.high - range.low) * height;
    scene.items.push_back(LineItem{left + width, y, left + width + 4, y, Stroke{{0, 0, 0}, 1}});
    scene.items.push_back(TextItem{left + width + 7, y + 4, tick.label, 11, TextAnchor::Start, {0, 0, 0}});
  }
  scene.items.push_back(
      TextItem{left + width / 2, top - 12, db ? "dB" : map.unit, 12, TextAnchor::Middle, {0, 0, 0}, true});
  if (db) legend.push_back("0 dB = " + ValueLabel(map.maximum) + " " + map.unit);
}

}  // namespace

Scene FieldMapScene(const FieldMap& map, const MapMarks& marks, const std::string& polarisation,
                    const std::string& polarisationNote) {
  Scene scene;
  scene.width = kMapWidth;
  scene.height = kMapHeight;
  const Colour ink{0, 0, 0};
  std::string title = "Field map";
  if (!map.planes.empty())
    title = std::string(PlaneName(map.plane)) + " plane at " + NormalAxisName(map.plane) + " = " +
            Metres(map.level);
  title += ", " + polarisation + " (" + map.unit + ")";
  TextItem heading{kMapWidth / 2, 28, title, 16, TextAnchor::Middle, ink, true};
  scene.items.push_back(heading);
  if (!map.missing.empty()) {
    scene.items.push_back(RectItem{kAreaLeft, kAreaTop, kAreaWidth, kAreaHeight, Colour{245, 245, 245},
                                   Stroke{{150, 150, 150}, 1}});
    scene.items.push_back(TextItem{kAreaLeft + kAreaWidth / 2,
                                   kAreaTop + kAreaHeight / 2,
                                   map.missing,
                                   20,
                                   TextAnchor::Middle,
                                   {150, 0, 0},
                                   true});
    if (map.leftOut > 0)
      scene.items.push_back(
          TextItem{kAreaLeft + kAreaWidth / 2, kAreaTop + kAreaHeight / 2 + 28,
                   FormatInt("%d values left out (not finite)", static_cast<std::int64_t>(map.leftOut)), 13,
                   TextAnchor::Middle, ink});
    return scene;
  }

  const PlotFrame frame = FieldMapFrame(map);
  ImageItem cells{frame.left, frame.top, frame.width, frame.height, 0, 0, {}};
  std::size_t columns = 0, rows = 0;
  const std::vector<std::size_t> across = PixelCells(map.u, {frame.x.low, frame.x.high}, columns);
  std::vector<std::size_t> up = PixelCells(map.v, {frame.y.low, frame.y.high}, rows);
  std::reverse(up.begin(), up.end());  // the top row of the raster is the highest coordinate
  cells.columns = static_cast<int>(columns);
  cells.rows = static_cast<int>(rows);
  cells.pixels.reserve(columns * rows);
  // Each cell's colour once, then the raster looks them up.
  std::vector<Colour> colours(map.cells.size());
  for (std::size_t k = 0; k < map.cells.size(); ++k)
    colours[k] = std::isnan(map.cells[k]) ? kEmptyCell : ScaleColour(ScaleFraction(map, map.cells[k]));
  for (std::size_t j : up)
    for (std::size_t i : across) cells.pixels.push_back(colours[j * map.u.size() + i]);
  scene.items.push_back(std::move(cells));

  DrawMarks(scene, map, frame, marks);
  MaskOutside(scene, frame);
  scene.items.push_back(heading);
  DrawAxes(scene, frame, std::string(AcrossName(map.plane)) + " (m)", std::string(UpName(map.plane)) + " (m)",
           false);

  std::vector<std::string> legend;
  ColourBar(scene, map, legend);
  legend.push_back("max " + ValueLabel(map.maximum) + " " + map.unit);
  legend.push_back("min " + ValueLabel(map.minimum) + " " + map.unit);
  legend.push_back(FormatInt("%d points", static_cast<std::int64_t>(map.points)));
  if (map.leftOut > 0)
    legend.push_back(FormatInt("%d left out (not finite)", static_cast<std::int64_t>(map.leftOut)));
  if (map.points == 1) legend.push_back("one point on this plane");
  if (!polarisationNote.empty()) legend.push_back(polarisationNote);
  static const char* const modes[] = {"Mode: at Point P", "Mode: par. Z thru A", "Mode: XZ-Plane",
                                      "Mode: Circle", "Mode: Cylinder"};
  if (marks.mode >= 0 && marks.mode < 5) legend.push_back(modes[marks.mode]);
  double y = 380;
  for (const std::string& line : legend) {
    scene.items.push_back(TextItem{600, y, line, 11, TextAnchor::Start, ink});
    y += 16;
  }
  return scene;
}

std::optional<MapProbe> ProbeFieldMap(const FieldMap& map, double x, double y) {
  if (!map.missing.empty() || map.u.empty() || map.v.empty()) return std::nullopt;
  const PlotFrame f = FieldMapFrame(map);
  if (x < f.left || x > f.left + f.width || y < f.top || y > f.top + f.height) return std::nullopt;
  const double u = f.x.low + (x - f.left) / f.width * (f.x.high - f.x.low);
  const double v = f.y.low + (f.top + f.height - y) / f.height * (f.y.high - f.y.low);
  const std::size_t i = Nearest(map.u, u), j = Nearest(map.v, v);
  return MapProbe{map.u[i], map.v[j], map.cells[j * map.u.size() + i]};
}

std::string ProbeText(const FieldMap& map, const MapProbe& probe) {
  std::string text = std::string(AcrossName(map.plane)) + " = " + Metres(probe.u) + ", " + UpName(map.plane) +
                     " = " + Metres(probe.v) + ": ";
  return text +
         (std::isnan(probe.value) ? std::string("no value") : ValueLabel(probe.value) + " " + map.unit);
}

}  // namespace varnel
