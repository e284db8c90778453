#include "picture/axes.hpp"

#include <algorithm>
#include <cmath>

#include "util/format.hpp"

namespace varnel {

AxisRange RangeOf(double minimum, double maximum) {
  if (!std::isfinite(minimum) || !std::isfinite(maximum) || minimum > maximum) return {0, 1};
  if (minimum == maximum) {
    const double half = minimum == 0 ? 1 : std::max(0.5, std::abs(minimum) * 0.05);
    return {minimum - half, maximum + half};
  }
  return {minimum, maximum};
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
  const int decimals = std::max(0, -exponent);
  const std::string pattern = "%1." + std::to_string(decimals) + "f";
  const double first = std::ceil(range.low / step - 1e-9);
  for (double k = first; k * step <= range.high + step * 1e-9 && ticks.size() < 100; k += 1) {
    double value = k * step;
    if (std::abs(value) < step * 1e-9) value = 0;
    ticks.push_back(Tick{value, scientific ? FormatReal("%1.3g", value) : FormatReal(pattern, value)});
  }
  return ticks;
}

std::string ValueLabel(double value) { return FormatReal("%1.3g", value); }

void DrawAxes(Scene& scene, const PlotFrame& frame, const std::string& xTitle, const std::string& yTitle,
              bool gridLines) {
  const Colour ink{0, 0, 0}, grid{220, 220, 220};
  for (const Tick& tick : NiceTicks(frame.x, 7)) {
    const double x = frame.X(tick.value);
    if (gridLines) scene.items.push_back(LineItem{x, frame.top, x, frame.top + frame.height, Stroke{grid, 1}});
    scene.items.push_back(LineItem{x, frame.top + frame.height, x, frame.top + frame.height + 5, Stroke{ink, 1}});
    scene.items.push_back(TextItem{x, frame.top + frame.height + 18, tick.label, 11, TextAnchor::Middle, ink});
  }
  for (const Tick& tick : NiceTicks(frame.y, 6)) {
    const double y = frame.Y(tick.value);
    if (gridLines) scene.items.push_back(LineItem{frame.left, y, frame.left + frame.width, y, Stroke{grid, 1}});
    scene.items.push_back(LineItem{frame.left - 5, y, frame.left, y, Stroke{ink, 1}});
    scene.items.push_back(TextItem{frame.left - 8, y + 4, tick.label, 11, TextAnchor::End, ink});
  }
  scene.items.push_back(RectItem{frame.left, frame.top, frame.width, frame.height, std::nullopt, Stroke{ink, 1}});
  scene.items.push_back(
      TextItem{frame.left + frame.width / 2, frame.top + frame.height + 38, xTitle, 12, TextAnchor::Middle, ink});
  TextItem y{frame.left - 62, frame.top + frame.height / 2, yTitle, 12, TextAnchor::Middle, ink};
  y.vertical = true;
  scene.items.push_back(y);
}

}  // namespace varnel
