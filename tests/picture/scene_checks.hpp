#pragma once
// Layout checks on a scene, with the text widths every renderer lays labels out by (TextWidth):
// a text that runs off the canvas, lies under an opaque rectangle drawn after it (the map's
// mask), or overlaps another text, is clipped or unreadable in every window size, since the
// windows only scale the scene.
#include <string>
#include <variant>
#include <vector>

#include "picture/scene.hpp"

namespace varnel {

struct TextBox {
  double left, top, right, bottom;
  std::string text;
};

inline TextBox BoxOf(const TextItem& t) {
  const double width = TextWidth(t.text, t.size);
  const double shift = t.anchor == TextAnchor::Middle ? width / 2 : t.anchor == TextAnchor::End ? width : 0;
  if (t.vertical)  // turned about the anchor, reading upwards
    return {t.x - 0.8 * t.size, t.y - width + shift, t.x + 0.25 * t.size, t.y + shift, t.text};
  return {t.x - shift, t.y - 0.8 * t.size, t.x - shift + width, t.y + 0.25 * t.size, t.text};
}

// Whether a text (a picture's SVG, a script's output) holds part.
inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

inline bool Overlap(const TextBox& a, double left, double top, double right, double bottom) {
  return a.left < right && left < a.right && a.top < bottom && top < a.bottom;
}

// What is wrong with the scene's texts, one line each; empty when every text reads whole.
inline std::vector<std::string> TextFaults(const Scene& scene) {
  std::vector<std::string> faults;
  std::vector<TextBox> boxes;
  for (std::size_t i = 0; i < scene.items.size(); ++i) {
    const auto* text = std::get_if<TextItem>(&scene.items[i]);
    if (!text || text->text.empty()) continue;
    const TextBox box = BoxOf(*text);
    if (box.left < 0 || box.top < 0 || box.right > scene.width || box.bottom > scene.height)
      faults.push_back("off the canvas: " + box.text);
    for (std::size_t k = i + 1; k < scene.items.size(); ++k)
      if (const auto* rect = std::get_if<RectItem>(&scene.items[k]);
          rect && rect->fill && Overlap(box, rect->x, rect->y, rect->x + rect->width, rect->y + rect->height))
        faults.push_back("covered: " + box.text);
    for (const TextBox& other : boxes)
      if (Overlap(box, other.left, other.top, other.right, other.bottom))
        faults.push_back("overlaps \"" + other.text + "\": " + box.text);
    boxes.push_back(box);
  }
  return faults;
}

}  // namespace varnel
