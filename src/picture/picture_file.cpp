#include "picture/picture_file.hpp"

#include <algorithm>
#include <cmath>
#include <variant>

#include "util/text.hpp"

namespace varnel {

namespace {
SceneRasterizer registered = nullptr;
}

void SetSceneRasterizer(SceneRasterizer rasterizer) { registered = rasterizer; }

std::optional<PictureSize> ParsePictureSize(const std::string& text, std::string& refusal) {
  std::string compact;
  for (char c : text)
    if (c != ' ') compact += c == 'X' ? 'x' : c;
  const std::size_t mark = compact.find('x');
  const auto side = [](const std::string& digits) -> std::optional<int> {
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
      return std::nullopt;
    const int value = std::stoi(digits);
    if (value < kLeastPictureSide || value > kMostPictureSide) return std::nullopt;
    return value;
  };
  const std::optional<int> width = mark == std::string::npos ? std::nullopt : side(compact.substr(0, mark));
  const std::optional<int> height = mark == std::string::npos ? std::nullopt : side(compact.substr(mark + 1));
  if (!width || !height) {
    refusal = "Picture size: '" + text + "' is not WIDTHxHEIGHT in pixels, each " +
              std::to_string(kLeastPictureSide) + " to " + std::to_string(kMostPictureSide);
    return std::nullopt;
  }
  return PictureSize{*width, *height};
}

std::string PictureSizeText(const Scene& scene) {
  return std::to_string(static_cast<int>(std::ceil(scene.width))) + "x" +
         std::to_string(static_cast<int>(std::ceil(scene.height)));
}

namespace {

// Maps the items of a scene onto a canvas at a scale and an offset.
struct ItemScaler {
  double scale, dx, dy;
  double X(double x) const { return x * scale + dx; }
  double Y(double y) const { return y * scale + dy; }
  Stroke Scaled(Stroke stroke) const {
    stroke.width *= scale;
    return stroke;
  }
  std::optional<Stroke> Scaled(const std::optional<Stroke>& stroke) const {
    return stroke ? std::optional<Stroke>(Scaled(*stroke)) : std::nullopt;
  }
  SceneItem operator()(LineItem line) const {
    line = {X(line.x1), Y(line.y1), X(line.x2), Y(line.y2), Scaled(line.stroke)};
    return line;
  }
  SceneItem operator()(PolylineItem line) const {
    for (Point2D& p : line.points) p = {X(p.x), Y(p.y)};
    line.stroke = Scaled(line.stroke);
    return line;
  }
  SceneItem operator()(RectItem rect) const {
    rect = {X(rect.x), Y(rect.y), rect.width * scale, rect.height * scale, rect.fill, Scaled(rect.stroke)};
    return rect;
  }
  SceneItem operator()(CircleItem circle) const {
    circle = {X(circle.cx), Y(circle.cy), circle.r * scale, circle.fill, Scaled(circle.stroke)};
    return circle;
  }
  SceneItem operator()(TextItem text) const {
    text.x = X(text.x);
    text.y = Y(text.y);
    text.size *= scale;
    return text;
  }
  SceneItem operator()(ImageItem image) const {
    image.x = X(image.x);
    image.y = Y(image.y);
    image.width *= scale;
    image.height *= scale;
    return image;
  }
};

}  // namespace

Scene SizedScene(const Scene& scene, PictureSize size) {
  Scene sized;
  sized.width = size.width;
  sized.height = size.height;
  sized.background = scene.background;
  if (!(scene.width > 0 && scene.height > 0)) return sized;
  const double scale = std::min(size.width / scene.width, size.height / scene.height);
  const ItemScaler scaler{scale, (size.width - scene.width * scale) / 2,
                          (size.height - scene.height * scale) / 2};
  sized.items.reserve(scene.items.size());
  for (const SceneItem& item : scene.items) sized.items.push_back(std::visit(scaler, item));
  return sized;
}

PictureFile PictureFileFor(const Scene& scene, const std::string& path) {
  const bool png = path.size() >= 4 && EqualNoCase(path.substr(path.size() - 4), ".png");
  if (!png) return {SvgText(scene), ""};
  if (!registered)
    return {"", "PNG pictures need the window binding; this build writes SVG only (name the file .svg)"};
  std::string bytes = registered(scene);
  if (bytes.empty()) return {"", "The PNG picture could not be drawn"};
  return {std::move(bytes), ""};
}

}  // namespace varnel
