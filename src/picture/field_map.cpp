#include "picture/field_map.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "necout/nearfield.hpp"
#include "necout/reader.hpp"
#include "util/errors.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

constexpr double kSame = 0.001;  // coordinates closer than this are one grid coordinate
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

MapZoom KeptWithin(const FieldMap& map, MapZoom zoom);

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
  map.low = choice.low;
  map.high = choice.high;
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
  map.zoom = KeptWithin(map, choice.zoom);
  return map;
}

double ScaleLevel(const FieldMap& map, double value) {
  if (map.scale == MapScale::Linear) return value;
  if (!(value > 0)) return -std::numeric_limits<double>::infinity();
  if (map.scale == MapScale::Absolute) return Decibels(value) + 120;
  return map.maximum > 0 ? Decibels(value / map.maximum) : -std::numeric_limits<double>::infinity();
}

std::string ScaleUnit(const FieldMap& map) {
  if (map.scale == MapScale::Decibel) return "dB";
  // dB above 1 µV/m (1 µA/m); the micro sign in UTF-8.
  if (map.scale == MapScale::Absolute) return "dB\xC2\xB5" + map.unit;
  return map.unit;
}

AxisRange ColourLimits(const FieldMap& map) {
  AxisRange automatic{map.minimum, map.maximum};
  if (map.scale == MapScale::Decibel) automatic = {map.floorDb, 0};
  if (map.scale == MapScale::Absolute) {
    const double top = ScaleLevel(map, map.maximum);
    automatic = std::isfinite(top) ? AxisRange{top + map.floorDb, top} : AxisRange{map.floorDb, 0};
  }
  AxisRange limits{map.low.value_or(automatic.low), map.high.value_or(automatic.high)};
  if (!(limits.high > limits.low)) {
    // One limit set beyond the plane's other end: a unit's span from the one set.
    if (map.low && !map.high)
      limits.high = limits.low + 1;
    else if (map.high && !map.low)
      limits.low = limits.high - 1;
  }
  return limits;
}

double ScaleFraction(const FieldMap& map, double value) {
  const AxisRange limits = ColourLimits(map);
  // A plane of one value under the linear scale takes the highest colour.
  if (!(limits.high > limits.low)) return 1;
  const double t = (ScaleLevel(map, value) - limits.low) / (limits.high - limits.low);
  return std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0);
}

std::optional<FieldMapChoice> WithColourLimits(FieldMapChoice choice, const std::string& low,
                                               const std::string& high, std::string& refusal) {
  std::optional<double> limits[2];
  const std::string* texts[2] = {&low, &high};
  for (int k = 0; k < 2; ++k) {
    std::string text = *texts[k];
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    if (text.empty()) continue;
    try {
      limits[k] = TextToReal(text);
    } catch (...) {
    }
    if (!limits[k] || !std::isfinite(*limits[k])) {
      refusal = "Colour limits: '" + *texts[k] + "' is not a number (decimal separator '" +
                std::string(1, DecimalSeparator.load()) + "')";
      return std::nullopt;
    }
  }
  if (limits[0] && limits[1] && !(*limits[0] < *limits[1])) {
    refusal = "Colour limits: the low limit must lie below the high one";
    return std::nullopt;
  }
  choice.low = limits[0];
  choice.high = limits[1];
  return choice;
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

std::vector<Segment> StructureOf(const OutputPrint& print) {
  try {
    return ReadSegments(print);
  } catch (const PrintError&) {
    return {};
  }
}

double FrequencyOrNaN(const OutputPrint& print) {
  try {
    return ReadFrequency(print);
  } catch (const VarnelError&) {
    return kNaN;
  }
}

std::vector<std::vector<Point2D>> ProjectedWires(const std::vector<Segment>& structure, MapPlane plane) {
  constexpr double kRadian = 3.14159265358979323846 / 180;
  std::vector<std::vector<Point2D>> wires;
  auto onPlane = [plane](const Point3D& p) {
    return plane == MapPlane::XY   ? Point2D{p.x, p.y}
           : plane == MapPlane::XZ ? Point2D{p.x, p.z}
                                   : Point2D{p.y, p.z};
  };
  bool chained = false;
  Point3D lastEnd{};
  double lastLength = 0;
  for (const Segment& s : structure) {
    if (!std::isfinite(s.x + s.y + s.z + s.length + s.alpha + s.beta)) {
      chained = false;
      continue;
    }
    const double a = s.alpha * kRadian, b = s.beta * kRadian, half = s.length / 2;
    const Point3D along{std::cos(a) * std::cos(b) * half, std::cos(a) * std::sin(b) * half,
                        std::sin(a) * half};
    const Point3D start{s.x - along.x, s.y - along.y, s.z - along.z};
    const Point3D end{s.x + along.x, s.y + along.y, s.z + along.z};
    // The printed table rounds to four decimals: ends that touch may differ by 0.0001 m.
    const double gap = std::hypot(start.x - lastEnd.x, start.y - lastEnd.y, start.z - lastEnd.z);
    if (chained && gap <= 1e-3 * std::max(s.length, lastLength) + 2e-4)
      wires.back().push_back(onPlane(end));
    else
      wires.push_back({onPlane(start), onPlane(end)});
    chained = true;
    lastEnd = end;
    lastLength = s.length;
  }
  return wires;
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

namespace {

// The metre ranges of the whole map's cells.
std::pair<Span, Span> WholeSpans(const FieldMap& map) {
  return {CellSpan(map.u, StepOf(map.v)), CellSpan(map.v, StepOf(map.u))};
}

// The zoom within the map: its factor between 1 and the most, its centre where the part shown
// stays on the map (the middle of the map for the whole of it or a centre not known).
MapZoom KeptWithin(const FieldMap& map, MapZoom zoom) {
  if (map.u.empty() || map.v.empty()) return {};
  const auto [u, v] = WholeSpans(map);
  zoom.factor = std::isfinite(zoom.factor) ? std::clamp(zoom.factor, 1.0, MostMapZoom(map)) : 1.0;
  auto within = [factor = zoom.factor](double centre, Span span) {
    const double half = (span.high - span.low) / 2 / factor;
    return std::isfinite(centre) ? std::clamp(centre, span.low + half, span.high - half)
                                 : (span.low + span.high) / 2;
  };
  zoom.centre = {within(zoom.factor > 1 ? zoom.centre.x : kNaN, u),
                 within(zoom.factor > 1 ? zoom.centre.y : kNaN, v)};
  return zoom;
}

}  // namespace

double MostMapZoom(const FieldMap& map) {
  return std::clamp(static_cast<double>(std::max(map.u.size(), map.v.size())) / 2, 1.0, 64.0);
}

PlotFrame FieldMapFrame(const FieldMap& map) {
  PlotFrame frame;
  if (map.u.empty() || map.v.empty()) {
    frame = PlotFrame{kAreaLeft, kAreaTop, kAreaWidth, kAreaHeight, {0, 1}, {0, 1}};
    return frame;
  }
  const auto [u, v] = WholeSpans(map);
  // One metre is as long across as up, so circles stay round.
  const double scale = std::min(kAreaWidth / (u.high - u.low), kAreaHeight / (v.high - v.low));
  frame.width = (u.high - u.low) * scale;
  frame.height = (v.high - v.low) * scale;
  frame.left = kAreaLeft + (kAreaWidth - frame.width) / 2;
  frame.top = kAreaTop + (kAreaHeight - frame.height) / 2;
  frame.x = {u.low, u.high};
  frame.y = {v.low, v.high};
  const MapZoom zoom = KeptWithin(map, map.zoom);
  if (zoom.factor > 1) {
    const double halfU = (u.high - u.low) / 2 / zoom.factor, halfV = (v.high - v.low) / 2 / zoom.factor;
    frame.x = {zoom.centre.x - halfU, zoom.centre.x + halfU};
    frame.y = {zoom.centre.y - halfV, zoom.centre.y + halfV};
  }
  return frame;
}

MapZoom ZoomMapAbout(const FieldMap& map, double by, double x, double y) {
  if (map.u.empty() || map.v.empty()) return {};
  const PlotFrame f = FieldMapFrame(map);
  const auto [u, v] = WholeSpans(map);
  MapZoom zoom = KeptWithin(map, map.zoom);
  const double factor = std::clamp(zoom.factor * by, 1.0, MostMapZoom(map));
  // The metres under the point, and where they lie across the frame (0 .. 1).
  const double across = (x - f.left) / f.width, up = (f.top + f.height - y) / f.height;
  const double mu = f.x.low + across * (f.x.high - f.x.low), mv = f.y.low + up * (f.y.high - f.y.low);
  const double spanU = (u.high - u.low) / factor, spanV = (v.high - v.low) / factor;
  zoom.factor = factor;
  zoom.centre = {mu + spanU / 2 - across * spanU, mv + spanV / 2 - up * spanV};
  return KeptWithin(map, zoom);
}

MapZoom PanMap(const FieldMap& map, double dx, double dy) {
  if (map.u.empty() || map.v.empty()) return {};
  const PlotFrame f = FieldMapFrame(map);
  MapZoom zoom = KeptWithin(map, map.zoom);
  const double pixelsPerMetre = f.width / (f.x.high - f.x.low);
  zoom.centre.x -= dx / pixelsPerMetre;
  zoom.centre.y += dy / pixelsPerMetre;
  return KeptWithin(map, zoom);
}

namespace {

// Pixel k of n across a span maps to the nearest coordinate. Over the whole map the raster has
// one pixel per smallest step (so a regular grid gets one pixel per cell), for an irregular grid
// at most eight per coordinate; a part of the map, whose edges cut cells, one per pixel of the
// canvas (canvasPixels > 0). Never more than 2048.
std::vector<std::size_t> PixelCells(const RealList& values, Span span, double canvasPixels,
                                    std::size_t& pixels) {
  const double step = StepOf(values);
  const double steps = step > 0 ? (values.back() - values.front()) / step : 0;
  const std::size_t most = canvasPixels > 0 ? 2048 : std::min<std::size_t>(2048, 8 * values.size());
  pixels = canvasPixels > 0 ? static_cast<std::size_t>(std::ceil(canvasPixels))
           : std::isfinite(steps) && steps < static_cast<double>(most)
               ? static_cast<std::size_t>(std::lround(steps)) + 1
               : most;
  pixels = std::clamp<std::size_t>(pixels, 1, most);
  std::vector<std::size_t> cells(pixels);
  const double width = (span.high - span.low) / static_cast<double>(pixels);
  for (std::size_t k = 0; k < pixels; ++k)
    cells[k] = Nearest(values, span.low + (static_cast<double>(k) + 0.5) * width);
  return cells;
}

// A point, and its label above (or below) it to the right on a white ground, into labels: those
// are drawn over the mask, kept inside the frame (to the left of the point, or on its other
// side, where the frame ends), and left out for a point beyond the frame.
void Mark(Scene& scene, std::vector<SceneItem>& labels, const PlotFrame& f, double x, double y, Colour colour,
          const std::string& label, bool below) {
  scene.items.push_back(CircleItem{x, y, 5, colour, Stroke{{0, 0, 0}, 1.5}});
  if (!(x >= f.left && x <= f.left + f.width && y >= f.top && y <= f.top + f.height)) return;
  const double width = TextWidth(label, 13) + 4;
  double left = x + 6;
  if (left + width > f.left + f.width) left = x - 6 - width;
  left = std::max(left, f.left);
  double baseline = below ? y + 20 : y - 6;
  if (baseline - 12 < f.top) baseline = y + 20;
  if (baseline + 4 > f.top + f.height) baseline = y - 6;
  TextItem text{left + 2, baseline, label, 13, TextAnchor::Start, {0, 0, 0}};
  text.bold = true;
  labels.push_back(RectItem{left, baseline - 12, width, 16, Colour{255, 255, 255}, std::nullopt});
  labels.push_back(text);
}

// The working points and the Mode's geometry, projected onto the plane.
void DrawMarks(Scene& scene, std::vector<SceneItem>& labels, const FieldMap& map, const PlotFrame& f,
               const MapMarks& marks) {
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
    Mark(scene, labels, f, f.X(marks.a.x), f.Y(marks.a.y), {255, 150, 0}, "A", true);
  } else {
    const double u = map.plane == MapPlane::XZ ? marks.a.x : marks.a.y;
    scene.items.push_back(
        LineItem{f.X(u), f.top, f.X(u), f.top + f.height, Stroke{{255, 150, 0}, 1.5, true}});
    const double x = f.X(u);
    if (x >= f.left && x <= f.left + f.width) {
      const bool right = x + 4 + TextWidth("A", 13) <= f.left + f.width;
      labels.push_back(TextItem{right ? x + 4 : x - 4,
                                f.top + 14,
                                "A",
                                13,
                                right ? TextAnchor::Start : TextAnchor::End,
                                {255, 150, 0},
                                true});
    }
  }
  const double pu = map.plane == MapPlane::YZ ? marks.p.y : marks.p.x;
  const double pv = map.plane == MapPlane::XY ? marks.p.y : marks.p.z;
  const double pw = map.plane == MapPlane::XY ? marks.p.z : map.plane == MapPlane::XZ ? marks.p.y : marks.p.x;
  Mark(scene, labels, f, f.X(pu), f.Y(pv), {230, 30, 30},
       std::abs(pw - map.level) < 0.6 ? "P" : "P (off plane)", false);
}

// The wires, thin: a light core in a dark edge, so they show over every colour of the scale; a
// wire seen end-on is a dot.
void DrawStructure(Scene& scene, const FieldMap& map, const PlotFrame& f,
                   const std::vector<Segment>& structure) {
  const Stroke edge{{0, 0, 0}, 2.4}, core{{255, 255, 255}, 1};
  for (const std::vector<Point2D>& wire : ProjectedWires(structure, map.plane)) {
    PolylineItem line{{}, edge};
    line.points.reserve(wire.size());
    double extent = 0;
    for (const Point2D& p : wire) {
      line.points.push_back({f.X(p.x), f.Y(p.y)});
      extent = std::max({extent, std::abs(line.points.back().x - line.points.front().x),
                         std::abs(line.points.back().y - line.points.front().y)});
    }
    if (extent < 1.5) {
      scene.items.push_back(
          CircleItem{line.points.front().x, line.points.front().y, 2, Colour{255, 255, 255}, edge});
      continue;
    }
    scene.items.push_back(line);
    line.stroke = core;
    scene.items.push_back(std::move(line));
  }
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
  const AxisRange limits = ColourLimits(map);
  const AxisRange range = limits.high > limits.low ? limits : RangeOf(limits.low, limits.high);
  for (const Tick& tick : NiceTicks(range, 6)) {
    const double y = top + height - (tick.value - range.low) / (range.high - range.low) * height;
    scene.items.push_back(LineItem{left + width, y, left + width + 4, y, Stroke{{0, 0, 0}, 1}});
    scene.items.push_back(TextItem{left + width + 7, y + 4, tick.label, 11, TextAnchor::Start, {0, 0, 0}});
  }
  scene.items.push_back(
      TextItem{left + width / 2, top - 12, ScaleUnit(map), 12, TextAnchor::Middle, {0, 0, 0}, true});
  if (map.scale == MapScale::Decibel) legend.push_back("0 dB = " + ValueLabel(map.maximum) + " " + map.unit);
  if (map.scale == MapScale::Absolute)
    legend.push_back("max " + FormatReal("%1.1f ", ScaleLevel(map, map.maximum)) + ScaleUnit(map));
  if (map.low || map.high) legend.push_back("colour limits set");
}

}  // namespace

namespace {

std::string Titled(const std::string& subject, const std::string& title) {
  return subject.empty() ? title : subject + ": " + title;
}

}  // namespace

Scene FieldMapScene(const FieldMap& map, const MapMarks& marks, const std::string& polarisation,
                    const std::string& polarisationNote, const std::string& subject) {
  Scene scene;
  scene.width = kMapWidth;
  scene.height = kMapHeight;
  const Colour ink{0, 0, 0};
  std::string title = "Field map";
  if (!map.planes.empty())
    title = std::string(PlaneName(map.plane)) + " plane at " + NormalAxisName(map.plane) + " = " +
            Metres(map.level);
  title += ", " + polarisation + " (" + map.unit + ")";
  TextItem heading{kMapWidth / 2, 28, Titled(subject, title), 16, TextAnchor::Middle, ink, true};
  if (!map.missing.empty()) {
    scene.items.push_back(heading);
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
  const bool part = map.zoom.factor > 1;
  const std::vector<std::size_t> across =
      PixelCells(map.u, {frame.x.low, frame.x.high}, part ? frame.width : 0, columns);
  std::vector<std::size_t> up = PixelCells(map.v, {frame.y.low, frame.y.high}, part ? frame.height : 0, rows);
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

  DrawStructure(scene, map, frame, marks.structure);
  std::vector<SceneItem> labels;
  DrawMarks(scene, labels, map, frame, marks);
  MaskOutside(scene, frame);
  scene.items.insert(scene.items.end(), std::make_move_iterator(labels.begin()),
                     std::make_move_iterator(labels.end()));
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
  if (!marks.structure.empty())
    legend.push_back(FormatInt("structure: %d segments", static_cast<std::int64_t>(marks.structure.size())));
  if (!polarisationNote.empty()) legend.push_back(polarisationNote);
  static const char* const modes[] = {"Mode: at Point P", "Mode: par. Z thru A", "Mode: XZ-Plane",
                                      "Mode: Circle", "Mode: Cylinder"};
  if (marks.mode >= 0 && marks.mode < 5) legend.push_back(modes[marks.mode]);
  if (map.zoom.factor > 1) legend.push_back("zoomed " + FormatReal("%1.3g", map.zoom.factor) + "x");
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
  if (std::isnan(probe.value)) return text + "no value";
  text += ValueLabel(probe.value) + " " + map.unit;
  if (map.scale == MapScale::Linear) return text;
  const double level = ScaleLevel(map, probe.value);
  return text + " (" + (std::isfinite(level) ? FormatReal("%1.1f", level) : std::string("-INF")) + " " +
         ScaleUnit(map) + ")";
}

}  // namespace varnel

namespace varnel {

ZLine ZLineOf(const NearFieldTable& table, const Point2D& a, double maxHeight) {
  ZLine line;
  line.a = a;
  line.maxHeight = maxHeight;
  line.unit = table.UnitText();
  line.maximum = kNaN;
  const std::size_t count = std::min({table.x.size(), table.y.size(), table.z.size(), table.value.size()});
  for (std::size_t i = 0; i < count; ++i) {
    const double x = table.x[i], y = table.y[i], z = table.z[i], value = table.value[i];
    if (!(std::abs(x - a.x) < MatchTolerance && std::abs(y - a.y) < MatchTolerance && z < maxHeight))
      continue;
    ++line.points;
    if (!std::isfinite(value)) {
      ++line.leftOut;
      continue;
    }
    auto column = std::find_if(line.columns.begin(), line.columns.end(), [&](const ZLineColumn& c) {
      return std::abs(c.x - x) <= kSame && std::abs(c.y - y) <= kSame;
    });
    if (column == line.columns.end()) column = line.columns.insert(line.columns.end(), ZLineColumn{x, y, {}});
    column->points.push_back({z, value});
    if (std::isnan(line.maximum) || value > line.maximum) {
      line.maximum = value;
      line.atMaximum = {x, y, z};
    }
  }
  for (ZLineColumn& column : line.columns)
    std::stable_sort(column.points.begin(), column.points.end(),
                     [](const Point2D& p, const Point2D& q) { return p.x < q.x; });
  return line;
}

Scene ZLineScene(const ZLine& line, MapScale scale, const std::string& polarisation,
                 const std::string& polarisationNote, const std::string& subject) {
  Scene scene;
  scene.width = kMapWidth;
  scene.height = kMapHeight;
  const Colour ink{0, 0, 0};
  FieldMap levels;  // the scale's arithmetic, over the line's maximum
  levels.scale = scale;
  levels.maximum = line.maximum;
  levels.unit = line.unit;
  const std::string unit = ScaleUnit(levels);
  scene.items.push_back(
      TextItem{kMapWidth / 2, 28,
               Titled(subject, "Z line through A (" + FormatReal("%1.4g", line.a.x) + "|" +
                                   FormatReal("%1.4g", line.a.y) + "), " + polarisation + " (" + unit + ")"),
               16, TextAnchor::Middle, ink, true});
  if (std::isnan(line.maximum)) {
    scene.items.push_back(RectItem{kAreaLeft, kAreaTop, kAreaWidth, kAreaHeight, Colour{245, 245, 245},
                                   Stroke{{150, 150, 150}, 1}});
    scene.items.push_back(
        TextItem{kAreaLeft + kAreaWidth / 2,
                 kAreaTop + kAreaHeight / 2,
                 line.points ? "No finite value on the Z line" : "No grid point on the Z line",
                 20,
                 TextAnchor::Middle,
                 {150, 0, 0},
                 true});
    return scene;
  }
  double zLow = std::numeric_limits<double>::infinity(), zHigh = -zLow, low = zLow, high = -zLow;
  std::size_t notPositive = 0;
  for (const ZLineColumn& column : line.columns)
    for (const Point2D& p : column.points) {
      const double level = ScaleLevel(levels, p.y);
      if (!std::isfinite(level)) {
        ++notPositive;
        continue;
      }
      zLow = std::min(zLow, p.x);
      zHigh = std::max(zHigh, p.x);
      low = std::min(low, level);
      high = std::max(high, level);
    }
  const AxisRange across = Padded(RangeOf(zLow, zHigh)), up = Padded(RangeOf(low, high));
  const double margin = std::max(AxesLeftMargin(up), 60.0);
  PlotFrame frame{margin + 10, kAreaTop, 560 - margin, kAreaHeight, across, up};
  DrawAxes(scene, frame, "z (m)", unit, true);
  static const Colour colours[] = {{31, 119, 180}, {214, 39, 40}, {44, 160, 44}, {255, 127, 14}};
  std::vector<std::string> legend;
  for (std::size_t k = 0; k < line.columns.size(); ++k) {
    const Colour colour = colours[k % std::size(colours)];
    PolylineItem curve{{}, Stroke{colour, 1.8}};
    for (const Point2D& p : line.columns[k].points) {
      const double level = ScaleLevel(levels, p.y);
      if (!std::isfinite(level)) continue;
      curve.points.push_back({frame.X(p.x), frame.Y(level)});
      scene.items.push_back(CircleItem{frame.X(p.x), frame.Y(level), 2.5, colour, std::nullopt});
    }
    scene.items.push_back(std::move(curve));
    legend.push_back("x = " + Metres(line.columns[k].x) + ", y = " + Metres(line.columns[k].y));
  }
  const double mx = frame.X(line.atMaximum.z), my = frame.Y(ScaleLevel(levels, line.maximum));
  scene.items.push_back(CircleItem{mx, my, 6, std::nullopt, Stroke{{230, 30, 30}, 2}});
  std::vector<std::string> maximum = {"max " + ValueLabel(line.maximum) + " " + line.unit,
                                      "at z = " + Metres(line.atMaximum.z)};
  if (scale != MapScale::Linear)
    maximum.insert(maximum.begin() + 1,
                   "(" + FormatReal("%1.1f ", ScaleLevel(levels, line.maximum)) + unit + ")");
  legend.insert(legend.begin(), maximum.begin(), maximum.end());
  legend.push_back(FormatInt("%d points", static_cast<std::int64_t>(line.points)));
  if (line.leftOut)
    legend.push_back(FormatInt("%d left out (not finite)", static_cast<std::int64_t>(line.leftOut)));
  if (notPositive)
    legend.push_back(FormatInt("%d at or below 0 not drawn", static_cast<std::int64_t>(notPositive)));
  legend.push_back("z below " + Metres(line.maxHeight));
  if (!polarisationNote.empty()) legend.push_back(polarisationNote);
  double y = kAreaTop + 14;
  for (const std::string& text : legend) {
    scene.items.push_back(TextItem{frame.left + frame.width + 16, y, text, 11, TextAnchor::Start, ink});
    y += 16;
  }
  return scene;
}

}  // namespace varnel
