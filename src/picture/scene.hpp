#pragma once
// A picture as data: a canvas size and a list of drawing items in canvas pixels (x to the
// right, y downwards), painted in list order. The core builds every picture as a Scene; the
// SVG writer below turns it into text and a window binding paints the same items, so a saved
// file and the window show one picture.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "util/numbers.hpp"

namespace varnel {

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Colour&) const = default;
};

struct Stroke {
  Colour colour;
  double width = 1;
  bool dashed = false;
};

struct LineItem {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  Stroke stroke;
};
// An open line through the points.
struct PolylineItem {
  std::vector<Point2D> points;
  Stroke stroke;
};
struct RectItem {
  double x = 0, y = 0, width = 0, height = 0;
  std::optional<Colour> fill;
  std::optional<Stroke> stroke;
};
struct CircleItem {
  double cx = 0, cy = 0, r = 0;
  std::optional<Colour> fill;
  std::optional<Stroke> stroke;
};
enum class TextAnchor { Start, Middle, End };
// One line of text; (x, y) is the anchor point on the baseline. A vertical text is turned a
// quarter to the left about its anchor (reading upwards). The text is UTF-8.
struct TextItem {
  double x = 0, y = 0;
  std::string text;
  double size = 12;
  TextAnchor anchor = TextAnchor::Start;
  Colour colour;
  bool bold = false;
  bool vertical = false;
};
// A raster of columns x rows colour cells stretched over the rectangle without smoothing;
// pixels are row by row, the top row first.
struct ImageItem {
  double x = 0, y = 0, width = 0, height = 0;
  int columns = 0, rows = 0;
  std::vector<Colour> pixels;
};

using SceneItem = std::variant<LineItem, PolylineItem, RectItem, CircleItem, TextItem, ImageItem>;

struct Scene {
  double width = 0, height = 0;
  Colour background{255, 255, 255};
  std::vector<SceneItem> items;
};

// The whole scene as an SVG 1.1 document (UTF-8, LF line ends, one item a line). Exact and
// deterministic: coordinates are written with std::to_chars to at most two decimals with '.'
// whatever the locale; texts are escaped for XML, and bytes that are not valid UTF-8 or are
// control characters become '?'. An image shown at most four times its pixels' size is
// embedded as a PNG (stored, uncompressed) in a data URI; a larger one is drawn as rectangles of
// its cells (a row's run of one colour as one), or, with more than 40000 cells, embedded with its
// pixels repeated until none is shown more than four times its size. So no renderer's smoothing
// can show a colour between two cells. Never throws except for running out of memory.
std::string SvgText(const Scene& scene);

// A PNG file of the pixels (8-bit RGB, uncompressed deflate blocks); used for the images of
// the SVG and by anyone who needs a raster without a window binding.
std::string PngBytes(int columns, int rows, const std::vector<Colour>& pixels);

// The width a text takes at a font size, estimated (0.6 of the size per character), for
// laying out labels and legends the same way in every renderer.
double TextWidth(const std::string& text, double size);

// The text with every byte that is not part of valid UTF-8, and every control character,
// replaced by '?': a hand-edited pane may hold anything.
std::string CleanText(const std::string& text);

}  // namespace varnel
