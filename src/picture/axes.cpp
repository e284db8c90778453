#include "picture/axes.hpp"

#include <algorithm>
#include <cmath>

#include "util/format.hpp"

namespace varnel {

double Decibels(double amplitude) { return 20 * std::log10(amplitude); }

AxisRange RangeOf(double minimum, double maximum) {
  if (!std::isfinite(minimum) || !std::isfinite(maximum) || minimum > maximum) return {0, 1};
  if (minimum == maximum) {
    const double half = minimum == 0 ? 1 : std::max(0.5, std::abs(minimum) * 0.05);
    return {minimum - half, maximum + half};
  }
  return {minimum, maximum};
}

AxisRange Padded(AxisRange range, double share) {
  const double pad = (range.high - range.low) * share;
  return {range.low - pad, range.high + pad};
}

std::vector<Tick> NiceTicks(AxisRange range, int wanted) {
  std::vector<Tick> ticks;
  const double span = range.high - range.low;
  if (!(span > 0) || !std::isfinite(span) || wanted < 2) return ticks;
  const double rough = span / (wanted - 1);
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    step = factor * power;
    if (step >= rough) break;
  }
  const int exponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
  const bool scientific = exponent >= 6 || exponent < -4;
  const double first = std::ceil(range.low / step - 1e-9);
  for (double k = first; k * step <= range.high + step * 1e-9 && ticks.size() < 100; k += 1) {
    double value = k * step;
    if (std::abs(value) < step * 1e-9) value = 0;
    ticks.push_back(Tick{value, ""});
  }
  // As many decimals (or significant digits) as the step needs, and more while two labels
  // would read the same (ticks close together far from zero).
  int digits = scientific ? 3 : std::max(0, -exponent);
  for (int tries = 0; tries < 16; ++tries, ++digits) {
    const std::string pattern = "%1." + std::to_string(digits) + (scientific ? "g" : "f");
    bool distinct = true;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
      ticks[i].label = FormatReal(pattern, ticks[i].value);
      distinct = distinct && (i == 0 || ticks[i].label != ticks[i - 1].label);
    }
    if (distinct) break;
  }
  return ticks;
}

std::string ValueLabel(double value) { return FormatReal("%1.3g", value); }

namespace {

constexpr double kTickSize = 11, kTitleSize = 12;

double WidestLabel(const std::vector<Tick>& ticks) {
  double widest = 0;
  for (const Tick& tick : ticks) widest = std::max(widest, TextWidth(tick.label, kTickSize));
  return widest;
}

// About seven ticks across, fewer while neighbouring labels would touch.
std::vector<Tick> AcrossTicks(const PlotFrame& frame) {
  std::vector<Tick> ticks;
  for (int wanted = 7; wanted >= 3; --wanted) {
    ticks = NiceTicks(frame.x, wanted);
    if (ticks.size() < 3) break;
    const double spacing = std::abs(frame.X(ticks[1].value) - frame.X(ticks[0].value));
    if (WidestLabel(ticks) + 6 <= spacing) break;
  }
  return ticks;
}

}  // namespace

double AxesLeftMargin(AxisRange y) { return 8 + WidestLabel(NiceTicks(y, 6)) + 6 + kTitleSize + 4; }

void DrawAxes(Scene& scene, const PlotFrame& frame, const std::string& xTitle, const std::string& yTitle,
              bool gridLines) {
  const Colour ink{0, 0, 0}, grid{220, 220, 220};
  for (const Tick& tick : AcrossTicks(frame)) {
    const double x = frame.X(tick.value);
    if (gridLines)
      scene.items.push_back(LineItem{x, frame.top, x, frame.top + frame.height, Stroke{grid, 1}});
    scene.items.push_back(
        LineItem{x, frame.top + frame.height, x, frame.top + frame.height + 5, Stroke{ink, 1}});
    scene.items.push_back(
        TextItem{x, frame.top + frame.height + 18, tick.label, kTickSize, TextAnchor::Middle, ink});
  }
  const std::vector<Tick> upTicks = NiceTicks(frame.y, 6);
  for (const Tick& tick : upTicks) {
    const double y = frame.Y(tick.value);
    if (gridLines)
      scene.items.push_back(LineItem{frame.left, y, frame.left + frame.width, y, Stroke{grid, 1}});
    scene.items.push_back(LineItem{frame.left - 5, y, frame.left, y, Stroke{ink, 1}});
    scene.items.push_back(TextItem{frame.left - 8, y + 4, tick.label, kTickSize, TextAnchor::End, ink});
  }
  scene.items.push_back(
      RectItem{frame.left, frame.top, frame.width, frame.height, std::nullopt, Stroke{ink, 1}});
  scene.items.push_back(TextItem{frame.left + frame.width / 2, frame.top + frame.height + 38, xTitle,
                                 kTitleSize, TextAnchor::Middle, ink});
  // Reading upwards, its baseline right of the glyphs, clear of the widest label.
  TextItem y{frame.left - 8 - WidestLabel(upTicks) - 6 - 3,
             frame.top + frame.height / 2,
             yTitle,
             kTitleSize,
             TextAnchor::Middle,
             ink};
  y.vertical = true;
  scene.items.push_back(y);
}

}  // namespace varnel
