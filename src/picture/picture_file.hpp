#pragma once
// The bytes of a picture file. SVG is written by the core; PNG needs a binding that can draw a
// scene into a raster (the Qt binding registers one when it is linked, the Windows program its
// GDI painting).
#include <string>

#include "picture/scene.hpp"

namespace varnel {

// PNG bytes of the scene at its own size; empty when the raster could not be made.
using SceneRasterizer = std::string (*)(const Scene& scene);
void SetSceneRasterizer(SceneRasterizer rasterizer);
bool HaveSceneRasterizer();

struct PictureFile {
  std::string bytes;
  std::string error;  // empty when bytes hold the file
};
// PNG for a path ending in ".png" (any letter case), SVG for every other name. Without a
// rasterizer a PNG request gives the error "PNG pictures need the window binding; this build
// writes SVG only (name the file .svg)".
PictureFile PictureFileFor(const Scene& scene, const std::string& path);

}  // namespace varnel
