#pragma once
// Axis ranges and readable ticks shared by the field map and the plots.
#include <string>
#include <vector>

#include "picture/scene.hpp"

namespace varnel {

struct Tick {
  double value = 0;
  std::string label;  // formatted with DecimalSeparator, as every number the program shows
};

// A range to draw [low, high] with low < high: the values' range, widened by half a unit
// each way when it is a single value (or by 1 when that value is 0), [0, 1] when there are no
// finite values.
struct AxisRange {
  double low = 0, high = 1;
};
// 20 log10 of an amplitude or a ratio of amplitudes: its level in dB (-inf for 0).
double Decibels(double amplitude);

AxisRange RangeOf(double minimum, double maximum);
// The range widened by a share of its span on each side, so that no point lies on the frame.
AxisRange Padded(AxisRange range, double share = 0.05);

// About `wanted` ticks at multiples of 1, 2 or 5 times a power of ten inside [low, high], each
// labelled with as many decimals as the step needs ("0,5", "1", "1,5"; "1E006" style only for
// steps of 10^6 and more or below 10^-4), and with more while two labels would read the same.
std::vector<Tick> NiceTicks(AxisRange range, int wanted);

// A number for a label: three significant digits ("%1.3g").
std::string ValueLabel(double value);

// A rectangle of the canvas and the data ranges it shows, for mapping values to pixels.
struct PlotFrame {
  double left = 0, top = 0, width = 0, height = 0;
  AxisRange x, y;
  double X(double value) const { return left + (value - x.low) / (x.high - x.low) * width; }
  double Y(double value) const { return top + height - (value - y.low) / (y.high - y.low) * height; }
};

// The frame's box, ticks with labels and grid lines, and the axis titles: about seven ticks
// across (fewer where their labels would touch), six up; the labels 11 and the titles 12 units
// high, the title up reading upwards left of the labels.
// AxesLeftMargin: the room the labels and the title up take left of a frame showing y.
double AxesLeftMargin(AxisRange y);
void DrawAxes(Scene& scene, const PlotFrame& frame, const std::string& xTitle, const std::string& yTitle,
              bool gridLines);

}  // namespace varnel
