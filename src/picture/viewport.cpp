#include "picture/viewport.hpp"

#include <algorithm>
#include <variant>

namespace varnel {

namespace {

// The scale at which the whole scene shows in the view.
double WholeScale(const Scene& scene, double width, double height) {
  if (scene.width <= 0 || scene.height <= 0) return 1;
  return std::max(0.0, std::min(width / scene.width, height / scene.height));
}

double FittedScale(const Scene& scene, double width, double height) {
  return std::max(WholeScale(scene, width, height), ReadableScale(scene));
}

}  // namespace

double ReadableScale(const Scene& scene) {
  double smallest = 0;
  for (const SceneItem& item : scene.items)
    if (const auto* text = std::get_if<TextItem>(&item); text && text->size > 0 && !text->text.empty())
      smallest = smallest > 0 ? std::min(smallest, text->size) : text->size;
  return smallest > 0 ? kLeastTextPixels / smallest : 1;
}

Point2D ViewLayout::ToScene(Point2D viewPoint) const {
  return {(viewPoint.x - left) / scale, (viewPoint.y - top) / scale};
}

ViewLayout LayOutView(const Scene& scene, int areaWidth, int areaHeight, int barThickness,
                      const PictureZoom& zoom) {
  ViewLayout layout;
  layout.width = std::max(0, areaWidth);
  layout.height = std::max(0, areaHeight);
  // A bar once needed stays, so that this settles within three rounds.
  for (int round = 0; round < 3; ++round) {
    layout.scale = zoom.scale ? *zoom.scale : FittedScale(scene, layout.width, layout.height);
    const bool barX = layout.barX || scene.width * layout.scale > layout.width + 0.5;
    const bool barY = layout.barY || scene.height * layout.scale > layout.height + 0.5;
    if (barX == layout.barX && barY == layout.barY) break;
    layout.barX = barX;
    layout.barY = barY;
    layout.width = std::max(0, areaWidth - (barY ? barThickness : 0));
    layout.height = std::max(0, areaHeight - (barX ? barThickness : 0));
  }
  const double width = scene.width * layout.scale, height = scene.height * layout.scale;
  layout.maxX = std::max(0.0, width - layout.width);
  layout.maxY = std::max(0.0, height - layout.height);
  layout.scrollX = std::clamp(zoom.scrollX, 0.0, layout.maxX);
  layout.scrollY = std::clamp(zoom.scrollY, 0.0, layout.maxY);
  layout.left = width <= layout.width ? (layout.width - width) / 2 : -layout.scrollX;
  layout.top = height <= layout.height ? (layout.height - height) / 2 : -layout.scrollY;
  return layout;
}

PictureZoom ZoomView(const Scene& scene, const ViewLayout& layout, const PictureZoom& zoom, double by,
                     Point2D about) {
  const double least = std::min(WholeScale(scene, layout.width, layout.height), layout.scale);
  const double most = std::max(kMostZoom, ReadableScale(scene));
  const double scale = std::clamp(layout.scale * by, least, most);
  const Point2D under = layout.ToScene(about);
  PictureZoom zoomed = zoom;
  zoomed.scale = scale;
  zoomed.scrollX = std::max(0.0, under.x * scale - about.x);
  zoomed.scrollY = std::max(0.0, under.y * scale - about.y);
  return zoomed;
}

PictureZoom ScrollView(const ViewLayout& layout, const PictureZoom& zoom, double dx, double dy) {
  PictureZoom scrolled = zoom;
  scrolled.scrollX = std::clamp(layout.scrollX + dx, 0.0, layout.maxX);
  scrolled.scrollY = std::clamp(layout.scrollY + dy, 0.0, layout.maxY);
  return scrolled;
}

}  // namespace varnel
