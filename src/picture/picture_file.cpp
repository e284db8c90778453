#include "picture/picture_file.hpp"

#include "util/text.hpp"

namespace varnel {

namespace {
SceneRasterizer registered = nullptr;
}

void SetSceneRasterizer(SceneRasterizer rasterizer) { registered = rasterizer; }
bool HaveSceneRasterizer() { return registered != nullptr; }

PictureFile PictureFileFor(const Scene& scene, const std::string& path) {
  const bool png = path.size() >= 4 && EqualNoCase(path.substr(path.size() - 4), ".png");
  if (!png) return {SvgText(scene), ""};
  if (!registered) return {"", "PNG pictures need the window binding; this build writes SVG only (name the file .svg)"};
  std::string bytes = registered(scene);
  if (bytes.empty()) return {"", "The PNG picture could not be drawn"};
  return {std::move(bytes), ""};
}

}  // namespace varnel
