#pragma once
// The bytes of a picture file. SVG is written by the core; PNG needs a binding that can draw a
// scene into a raster (the Qt binding registers one when it is linked, the Windows program its
// GDI painting).
#include <optional>
#include <string>

#include "picture/scene.hpp"

namespace varnel {

// PNG bytes of the scene at its own size; empty when the raster could not be made.
using SceneRasterizer = std::string (*)(const Scene& scene);
void SetSceneRasterizer(SceneRasterizer rasterizer);

struct PictureFile {
  std::string bytes;
  std::string error;  // empty when bytes hold the file
};
// A picture's size in pixels, as "760x560" gives it.
struct PictureSize {
  int width = 0, height = 0;
};
inline constexpr int kLeastPictureSide = 50, kMostPictureSide = 10000;
// "WxH" (or "W x H", "WXH"), each side 50 to 10000 pixels; none, with refusal set ("Picture size:
// '...' is not WIDTHxHEIGHT in pixels, each 50 to 10000"), for anything else.
std::optional<PictureSize> ParsePictureSize(const std::string& text, std::string& refusal);
// The scene's own size as ParsePictureSize reads it: "760x560".
std::string PictureSizeText(const Scene& scene);
// The scene drawn on a canvas of that size: scaled alike in both directions to fit, centred.
Scene SizedScene(const Scene& scene, PictureSize size);

// PNG for a path ending in ".png" (any letter case), SVG for every other name. Without a
// rasterizer a PNG request gives the error "PNG pictures need the window binding; this build
// writes SVG only (name the file .svg)".
PictureFile PictureFileFor(const Scene& scene, const std::string& path);

}  // namespace varnel
