#pragma once
// How a picture window shows its scene: fitted to the view, or at a scale the user zoomed to,
// scrolled, with a scroll bar on each side where the scene is larger than the view. A scene is
// never fitted below the scale at which its smallest text is kLeastTextPixels high: a window too
// small for the whole picture scrolls instead of shrinking it out of reading. The user may zoom
// out further (to see the whole of a large picture at once) and in to kMostZoom.
// Both windows lay their views out and take their scrolling and zooming from here, in view
// pixels (x to the right, y downwards, 0 at the view's top left corner).
#include <optional>

#include "picture/scene.hpp"

namespace varnel {

inline constexpr double kLeastTextPixels = 10;
// One zoom step (a key press, a notch of the mouse wheel).
inline constexpr double kZoomStep = 1.25;
inline constexpr double kMostZoom = 8;

// The scale at which the scene's smallest text is kLeastTextPixels high; 1 without text.
double ReadableScale(const Scene& scene);

// What a window keeps of its view: the scale the user chose (none: fitted to the view) and how
// far the scene is scrolled (pixels of the scaled scene left of and above the view).
struct PictureZoom {
  std::optional<double> scale;
  double scrollX = 0, scrollY = 0;
};

struct ViewLayout {
  double scale = 1;
  int width = 0, height = 0;  // the view: the area less the scroll bars shown
  bool barX = false, barY = false;
  double scrollX = 0, scrollY = 0;  // within 0 .. maxX, 0 .. maxY
  double maxX = 0, maxY = 0;
  double left = 0, top = 0;  // where the scene's top left corner lies in the view
  // The view point in scene coordinates (outside the scene too).
  Point2D ToScene(Point2D viewPoint) const;
};

// The view of the scene in an area of that many pixels whose scroll bars are barThickness
// thick: a bar is shown on a side where the scaled scene is longer than the view; a scene that
// is shorter is centred on that side. The scroll position is kept within the scene.
ViewLayout LayOutView(const Scene& scene, int areaWidth, int areaHeight, int barThickness,
                      const PictureZoom& zoom);

// The zoom after scaling by `by` about the view point `about` (the scene point under it stays
// there), within the least (the fitted scale or, for a larger picture, the whole of it) and
// kMostZoom.
PictureZoom ZoomView(const Scene& scene, const ViewLayout& layout, const PictureZoom& zoom, double by,
                     Point2D about);
// The zoom scrolled by (dx, dy) view pixels (positive: towards the scene's right and foot).
PictureZoom ScrollView(const ViewLayout& layout, const PictureZoom& zoom, double dx, double dy);

}  // namespace varnel
