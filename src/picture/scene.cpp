// The SVG writer and the small PNG encoder behind its images.
#include "picture/scene.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <utility>

namespace varnel {

namespace {

// How much larger than its pixels an embedded image may be shown, and how many cells an image
// may have to be drawn as shapes.
constexpr double kMostMagnified = 4;
constexpr std::size_t kMostCellShapes = 40000;

// At most two decimals, '.', no trailing zeros, no "-0"; a non-finite coordinate is 0 (an
// SVG reader would refuse the document otherwise).
void AppendNumber(std::string& out, double value) {
  if (!std::isfinite(value)) value = 0;
  value = std::round(value * 100) / 100;
  if (value == 0) value = 0;  // -0 becomes 0
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  if (error != std::errc()) {
    out += '0';
    return;
  }
  std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  while (text.back() == '0') text.remove_suffix(1);
  if (text.back() == '.') text.remove_suffix(1);
  out += text;
}

// Two numbers with the separator between them ("x,y" of a point, "x y" of a transform).
void AppendPair(std::string& out, double a, char separator, double b) {
  AppendNumber(out, a);
  out += separator;
  AppendNumber(out, b);
}

void Attribute(std::string& out, const char* name, double value) {
  out += ' ';
  out += name;
  out += "=\"";
  AppendNumber(out, value);
  out += '"';
}

std::string Hex(Colour c) {
  static const char digits[] = "0123456789abcdef";
  std::string text = "#";
  for (std::uint8_t byte : {c.r, c.g, c.b}) {
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text;
}

void Paint(std::string& out, const std::optional<Colour>& fill, const std::optional<Stroke>& stroke) {
  out += " fill=\"" + (fill ? Hex(*fill) : std::string("none")) + '"';
  if (!stroke) return;
  out += " stroke=\"" + Hex(stroke->colour) + '"';
  Attribute(out, "stroke-width", stroke->width);
  if (stroke->dashed) out += " stroke-dasharray=\"6 4\"";
}

void EscapeXml(std::string& out, const std::string& text) {
  for (char c : CleanText(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

// Appends the Base64 text of bytes to out.
void AppendBase64(std::string& out, const std::string& bytes) {
  static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  out.reserve(out.size() + (bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned n = static_cast<unsigned char>(bytes[i]) << 16 |
                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += table[n >> 18];
    out += table[(n >> 12) & 63];
    out += table[(n >> 6) & 63];
    out += table[n & 63];
  }
  if (i < bytes.size()) {
    unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += table[n >> 18];
    out += table[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? table[(n >> 6) & 63] : '=';
    out += '=';
  }
}

struct ItemWriter {
  std::string& out;
  // A shape of numeric attributes, in the order given, and its paint.
  void Shape(const char* tag, std::initializer_list<std::pair<const char*, double>> attributes,
             const std::optional<Colour>& fill, const std::optional<Stroke>& stroke) const {
    out += '<';
    out += tag;
    for (const auto& [name, value] : attributes) Attribute(out, name, value);
    Paint(out, fill, stroke);
    out += "/>\n";
  }
  void operator()(const LineItem& line) const {
    Shape("line", {{"x1", line.x1}, {"y1", line.y1}, {"x2", line.x2}, {"y2", line.y2}}, std::nullopt,
          line.stroke);
  }
  void operator()(const PolylineItem& line) const {
    if (line.points.empty()) return;
    out += "<polyline points=\"";
    for (std::size_t i = 0; i < line.points.size(); ++i) {
      if (i) out += ' ';
      AppendPair(out, line.points[i].x, ',', line.points[i].y);
    }
    out += '"';
    Paint(out, std::nullopt, line.stroke);
    out += " stroke-linejoin=\"round\"/>\n";
  }
  void operator()(const RectItem& rect) const {
    Shape("rect",
          {{"x", rect.x},
           {"y", rect.y},
           {"width", std::max(0.0, rect.width)},
           {"height", std::max(0.0, rect.height)}},
          rect.fill, rect.stroke);
  }
  void operator()(const CircleItem& circle) const {
    Shape("circle", {{"cx", circle.cx}, {"cy", circle.cy}, {"r", std::max(0.0, circle.r)}}, circle.fill,
          circle.stroke);
  }
  void operator()(const TextItem& text) const {
    out += "<text";
    Attribute(out, "x", text.x);
    Attribute(out, "y", text.y);
    Attribute(out, "font-size", text.size);
    if (text.anchor == TextAnchor::Middle) out += " text-anchor=\"middle\"";
    if (text.anchor == TextAnchor::End) out += " text-anchor=\"end\"";
    if (text.bold) out += " font-weight=\"bold\"";
    out += " fill=\"" + Hex(text.colour) + '"';
    if (text.vertical) {
      out += " transform=\"rotate(-90 ";
      AppendPair(out, text.x, ' ', text.y);
      out += ")\"";
    }
    out += '>';
    EscapeXml(out, text.text);
    out += "</text>\n";
  }
  // Many renderers smooth an embedded image however it asks not to be: an image shown much
  // larger than its pixels would show blends of neighbouring cells that are not in the data. So
  // the cells of such an image are drawn as rectangles (a row's run of one colour as one), and
  // an image of more cells than is worth so many shapes is embedded with each cell repeated
  // until no pixel is shown more than kMostMagnified times its size.
  void operator()(const ImageItem& image) const {
    if (image.columns <= 0 || image.rows <= 0) return;
    const double across = image.width / image.columns, up = image.height / image.rows;
    if (across <= kMostMagnified && up <= kMostMagnified) return Embed(image);
    if (static_cast<std::size_t>(image.columns) * static_cast<std::size_t>(image.rows) <= kMostCellShapes)
      return Cells(image, across, up);
    Embed(Repeated(image, static_cast<int>(std::ceil(across / kMostMagnified)),
                   static_cast<int>(std::ceil(up / kMostMagnified))));
  }
  void Embed(const ImageItem& image) const {
    out += "<image";
    Attribute(out, "x", image.x);
    Attribute(out, "y", image.y);
    Attribute(out, "width", image.width);
    Attribute(out, "height", image.height);
    out +=
        " preserveAspectRatio=\"none\" image-rendering=\"optimizeSpeed\" style=\"image-rendering:pixelated\"";
    out += " xlink:href=\"data:image/png;base64,";
    AppendBase64(out, PngBytes(image.columns, image.rows, image.pixels));
    out += "\"/>\n";
  }
  // Without anti-aliasing, so that touching cells leave no seam between them.
  void Cells(const ImageItem& image, double across, double up) const {
    out += "<g shape-rendering=\"crispEdges\">\n";
    const auto pixel = [&image](int row, int column) {
      const std::size_t k = static_cast<std::size_t>(row) * static_cast<std::size_t>(image.columns) +
                            static_cast<std::size_t>(column);
      return k < image.pixels.size() ? image.pixels[k] : Colour{};
    };
    for (int row = 0; row < image.rows; ++row)
      for (int first = 0, next; first < image.columns; first = next) {
        const Colour colour = pixel(row, first);
        for (next = first + 1; next < image.columns && pixel(row, next) == colour;) ++next;
        Shape("rect",
              {{"x", image.x + first * across},
               {"y", image.y + row * up},
               {"width", (next - first) * across},
               {"height", up}},
              colour, std::nullopt);
      }
    out += "</g>\n";
  }
  static ImageItem Repeated(const ImageItem& image, int timesAcross, int timesUp) {
    ImageItem larger = image;
    larger.columns = image.columns * timesAcross;
    larger.rows = image.rows * timesUp;
    larger.pixels.assign(static_cast<std::size_t>(larger.columns) * static_cast<std::size_t>(larger.rows),
                         {});
    for (int row = 0; row < larger.rows; ++row)
      for (int column = 0; column < larger.columns; ++column) {
        const std::size_t k =
            static_cast<std::size_t>(row / timesUp) * static_cast<std::size_t>(image.columns) +
            static_cast<std::size_t>(column / timesAcross);
        larger.pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(larger.columns) +
                      static_cast<std::size_t>(column)] =
            k < image.pixels.size() ? image.pixels[k] : Colour{};
      }
    return larger;
  }
};

// ---- PNG --------------------------------------------------------------------------------

const std::array<std::uint32_t, 256>& CrcTable() {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

void Append32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
  Append32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out += type;
  out += data;
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = start; i < out.size(); ++i)
    crc = CrcTable()[(crc ^ static_cast<unsigned char>(out[i])) & 0xFF] ^ (crc >> 8);
  Append32(out, crc ^ 0xFFFFFFFFu);
}

}  // namespace

std::string CleanText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k)
      valid = (static_cast<unsigned char>(text[i + k]) >> 6) == 2;
    if (valid && length == 2 && c < 0xC2) valid = false;  // overlong
    if (!valid) {
      out += '?';
      ++i;
      continue;
    }
    if (length == 1 && (c < 32 || c == 127)) {
      out += '?';
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  return out;
}

double TextWidth(const std::string& text, double size) {
  std::size_t characters = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) >> 6) != 2) ++characters;
  return 0.6 * size * static_cast<double>(characters);
}

std::string PngBytes(int columns, int rows, const std::vector<Colour>& pixels) {
  const std::size_t width = static_cast<std::size_t>(std::max(columns, 0));
  const std::size_t height = static_cast<std::size_t>(std::max(rows, 0));
  const std::size_t rawSize = height * (width * 3 + 1);
  const std::size_t blocks = std::max<std::size_t>(1, (rawSize + 65534) / 65535);
  const std::size_t zlibSize = 2 + blocks * 5 + rawSize + 4;

  std::string png = "\x89PNG\r\n\x1a\n";
  png.reserve(8 + 25 + 12 + zlibSize + 12);
  std::string header;
  Append32(header, static_cast<std::uint32_t>(columns));
  Append32(header, static_cast<std::uint32_t>(rows));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  Chunk(png, "IHDR", header);

  // IDAT: a zlib stream of stored blocks, written straight into the file; the raw rows (a filter
  // byte, then RGB) are cut into blocks of at most 65535 bytes as they come.
  Append32(png, static_cast<std::uint32_t>(zlibSize));
  const std::size_t chunkStart = png.size();
  png += "IDAT\x78\x01";
  std::size_t written = 0, blockLeft = 0;
  std::uint32_t a = 1, b = 0;
  auto put = [&](unsigned char byte) {
    if (blockLeft == 0) {
      const std::size_t length = std::min<std::size_t>(65535, rawSize - written);
      png += static_cast<char>(written + length == rawSize ? 1 : 0);
      png += static_cast<char>(length & 0xFF);
      png += static_cast<char>(length >> 8);
      png += static_cast<char>(~length & 0xFF);
      png += static_cast<char>((~length >> 8) & 0xFF);
      blockLeft = length;
    }
    png += static_cast<char>(byte);
    --blockLeft;
    ++written;
    a += byte;
    if (a >= 65521) a -= 65521;
    b += a;
    if (b >= 65521) b -= 65521;
  };
  if (rawSize == 0) png += std::string("\x01\x00\x00\xff\xff", 5);
  for (std::size_t row = 0; row < height; ++row) {
    put(0);  // filter: none
    for (std::size_t column = 0; column < width; ++column) {
      const std::size_t index = row * width + column;
      const Colour c = index < pixels.size() ? pixels[index] : Colour{};
      put(c.r);
      put(c.g);
      put(c.b);
    }
  }
  Append32(png, b << 16 | a);
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = chunkStart; i < png.size(); ++i)
    crc = CrcTable()[(crc ^ static_cast<unsigned char>(png[i])) & 0xFF] ^ (crc >> 8);
  Append32(png, crc ^ 0xFFFFFFFFu);
  Chunk(png, "IEND", "");
  return png;
}

std::string SvgText(const Scene& scene) {
  // Room for the whole document at once: a reallocation behind an embedded image copies it.
  std::size_t room = 4096 + scene.items.size() * 80;
  for (const SceneItem& item : scene.items)
    if (const auto* line = std::get_if<PolylineItem>(&item))
      room += line->points.size() * 20;
    else if (const auto* image = std::get_if<ImageItem>(&item))
      room += 256 + (static_cast<std::size_t>(std::max(image->rows, 0)) *
                         (static_cast<std::size_t>(std::max(image->columns, 0)) * 3 + 1) * 4 / 3 +
                     4096);
  std::string out;
  out.reserve(room);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out +=
      "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
      "version=\"1.1\"";
  Attribute(out, "width", scene.width);
  Attribute(out, "height", scene.height);
  out += " viewBox=\"0 0 ";
  AppendPair(out, scene.width, ' ', scene.height);
  out += "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
  out += "<rect x=\"0\" y=\"0\"";
  Attribute(out, "width", scene.width);
  Attribute(out, "height", scene.height);
  out += " fill=\"" + Hex(scene.background) + "\"/>\n";
  const ItemWriter writer{out};
  for (const SceneItem& item : scene.items) std::visit(writer, item);
  out += "</svg>\n";
  return out;
}

}  // namespace varnel
