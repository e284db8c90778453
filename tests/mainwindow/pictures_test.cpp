// Where a picture window opens beside the main window, and what the field map of its table shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "mainwindow/VarnelU.hpp"
#include "mainwindow/pictures.hpp"
#include "support/test_root.hpp"

namespace varnel {

namespace {

// A table of columns x rows points one metre apart from (shift|shift|z), of values 0 to kinds - 1.
NearFieldTable Grid(int columns, int rows, double shift = 0, int kinds = 7, double z = 0) {
  NearFieldTable table;
  table.fieldType = "ELECTRIC ";
  for (int k = 0; k < columns * rows; ++k) {
    table.x.push_back(k % columns + shift);
    table.y.push_back(k / columns + shift);
    table.z.push_back(z);
    table.value.push_back(k % kinds);
  }
  return table;
}

// A scene of that size whose smallest text is textSize high.
Scene SceneOf(double width, double height, double textSize = 11) {
  return Scene{width, height, {}, {TextItem{0, 20, "text", textSize}, TextItem{0, 40, "title", 16}}};
}

}  // namespace

// Beside the main window at the picture's own size where the screen has room; else beside it
// moved to the screen's edge, narrowed but readable; else over it at the screen's edge. The
// picture's own size keeps its smallest text at 10 pixels or more.
TEST(PictureWindowPlace, BesideTheMainWindowWhereTheScreenLeavesRoom) {
  const PictureChrome chrome{20, 100, 600, 15};
  const Scene map = SceneOf(760, 560), plot = SceneOf(900, 1400, 10), tiny = SceneOf(300, 200, 5);
  struct Case {
    const char* what;
    Rect screen, main;
    const Scene& scene;
    std::vector<Rect> open;
    Rect picture, movedMain;
  };
  const Rect wide{0, 0, 3000, 1200}, hd{0, 0, 1920, 1080}, laptop{0, 0, 1366, 768}, small{0, 0, 1024, 768};
  const Case cases[] = {
      {"wide: right", wide, {939, 335, 1121, 530}, map, {}, {2068, 335, 780, 660}, {939, 335, 1121, 530}},
      {"right taken", wide, {939, 335, 1121, 530}, map, {{2068, 335, 780, 660}}, {151, 335, 780, 660}, {}},
      {"text of 5 px drawn at 10", wide, {939, 335, 1121, 530}, tiny, {}, {2068, 335, 620, 500}, {}},
      {"no room right: left", hd, {799, 50, 1121, 530}, map, {}, {11, 50, 780, 660}, {}},
      {"hd: main moves", hd, {399, 275, 1121, 530}, plot, {}, {1129, 0, 791, 1080}, {0, 275, 1121, 530}},
      {"laptop: over the main window", laptop, {122, 119, 1121, 530}, plot, {}, {431, 0, 935, 768}, {}},
      {"small: over the main window", small, {0, 0, 1024, 530}, map, {}, {244, 0, 780, 660}, {}},
  };
  for (const Case& c : cases) {
    const PictureArrangement at = ArrangePicture(c.main, c.screen, c.scene, chrome, c.open);
    EXPECT_EQ(c.picture, at.picture) << c.what;
    EXPECT_EQ(c.movedMain.width ? c.movedMain : c.main, at.main) << c.what;
  }
}

// The view fits the picture but never below a readable scale, with a scroll bar on a side the
// picture is longer than the view; zooming keeps the point under the pointer, within its limits.
TEST(PictureView, FitsReadablyScrollsAndZoomsAboutThePointer) {
  const Scene plot = SceneOf(900, 1400, 10);
  ViewLayout layout = LayOutView(plot, 1000, 700, 15, {});
  EXPECT_EQ(1.0, layout.scale);  // the whole would be 0.5: 5 px text
  EXPECT_TRUE(layout.barY && !layout.barX);
  EXPECT_EQ(985, layout.width);
  EXPECT_EQ(42.5, layout.left);  // centred across, from the top down
  EXPECT_EQ(700.0, layout.maxY);
  EXPECT_EQ(700.0, ScrollView(layout, {}, 0, 5000).scrollY);
  const Scene map = SceneOf(760, 560);
  layout = LayOutView(map, 1520, 1200, 15, {});
  EXPECT_EQ(2.0, layout.scale);
  EXPECT_FALSE(layout.barX || layout.barY);
  const PictureZoom in = ZoomView(map, layout, {}, 2, {400, 300});
  EXPECT_EQ(4.0, *in.scale);
  const ViewLayout zoomed = LayOutView(map, 1520, 1200, 15, in);
  EXPECT_TRUE(zoomed.barX && zoomed.barY);
  const Point2D before = layout.ToScene({400, 300}), after = zoomed.ToScene({400, 300});
  EXPECT_NEAR(before.x, after.x, 1e-9);
  EXPECT_NEAR(before.y, after.y, 1e-9);
  EXPECT_EQ(kMostZoom, *ZoomView(map, zoomed, in, 100, {0, 0}).scale);
  EXPECT_NEAR(1520.0 / 760, *ZoomView(map, layout, {}, 0.01, {0, 0}).scale, 1e-9) << "the whole, at least";
}

// Keys, wheel and drags: Esc closes; on the map + and the wheel zoom the part shown (the place
// under the pointer stays), arrows and drags move it, 0 shows the whole map again; elsewhere and
// in the plots they zoom and scroll the picture.
TEST(PictureInput, KeysWheelAndDragsZoomAndMoveTheMapOrThePicture) {
  PictureState state;
  FieldMap map = ComputeFieldMap(Grid(81, 81, -40, 9, 1), state.map, {});
  Scene scene = FieldMapScene(map, {}, "Total");
  ViewLayout layout = LayOutView(scene, 760, 560, 15, state.zoom);
  auto shown = [&] { return ShownPicture{PictureKind::FieldMap, scene, map, layout}; };
  auto redraw = [&] {
    map.zoom = state.map.zoom;
    scene = FieldMapScene(map, {}, "Total");
    layout = LayOutView(scene, 760, 560, 15, state.zoom);
  };
  EXPECT_EQ(PictureEffect::Close, PressKey(shown(), PictureKey::Escape, false, state));
  // The wheel over the map zooms it about the pointer: the place under it stays.
  const PlotFrame whole = FieldMapFrame(map);
  const Point2D pointer{whole.X(20), whole.Y(-10)};
  EXPECT_TRUE(OnMap(shown(), state, pointer));
  EXPECT_EQ(PictureEffect::Redraw, TurnWheel(shown(), 3, false, pointer, state));
  redraw();
  const PlotFrame part = FieldMapFrame(map);
  EXPECT_NEAR(std::pow(kZoomStep, 3), map.zoom.factor, 1e-9);
  EXPECT_NEAR(20, part.x.low + (pointer.x - part.left) / part.width * (part.x.high - part.x.low), 1e-9);
  EXPECT_NE(std::string::npos, SvgText(scene).find(">zoomed 1,95x<"));
  // Right moves the part shown right by an eighth; a drag to the right moves the plane with it.
  const double span = part.x.high - part.x.low, middle = map.zoom.centre.x;
  EXPECT_EQ(PictureEffect::Redraw, PressKey(shown(), PictureKey::Right, false, state));
  EXPECT_NEAR(middle + span / 8, state.map.zoom.centre.x, 1e-9);
  redraw();
  EXPECT_EQ(PictureEffect::Redraw, Drag(shown(), {100, 100}, {100 + part.width / 4, 100}, true, state));
  EXPECT_NEAR(middle + span / 8 - span / 4, state.map.zoom.centre.x, 1e-9);
  // Never beyond the map, never past its most.
  redraw();
  PressKey(shown(), PictureKey::Home, false, state);
  EXPECT_EQ(PictureEffect::None, TurnWheel(shown(), -5, false, pointer, state)) << "whole already";
  for (int k = 0; k < 40; ++k, redraw()) PressKey(shown(), PictureKey::Plus, false, state);
  EXPECT_EQ(MostMapZoom(map), map.zoom.factor);
  for (int k = 0; k < 200; ++k, redraw()) PressKey(shown(), PictureKey::Left, false, state);
  EXPECT_NEAR(-40.5, FieldMapFrame(map).x.low, 1e-9);
  EXPECT_EQ(PictureEffect::Redraw, PressKey(shown(), PictureKey::Zero, false, state));
  // Ctrl zooms the picture, and so does + in the plots, where the wheel scrolls.
  EXPECT_EQ(PictureEffect::Repaint, PressKey(shown(), PictureKey::Plus, true, state));
  EXPECT_NEAR(layout.scale * kZoomStep, *state.zoom.scale, 1e-9);
  state = {};
  scene = SceneOf(900, 1400, 10);
  layout = LayOutView(scene, 800, 600, 15, state.zoom);
  const ShownPicture plot{PictureKind::Table, scene, map, layout};
  EXPECT_EQ(PictureEffect::Repaint, TurnWheel(plot, -2, false, {10, 10}, state));
  EXPECT_EQ(96.0, state.zoom.scrollY);
  EXPECT_FALSE(OnMap(plot, state, {10, 10}));
  layout = LayOutView(scene, 800, 600, 15, state.zoom);
  EXPECT_EQ(PictureEffect::Repaint, PressKey(plot, PictureKey::PageDown, false, state));
  EXPECT_EQ(96.0 + 585 - 40, state.zoom.scrollY);
  EXPECT_EQ(PictureEffect::Repaint, PressKey(plot, PictureKey::Minus, false, state));
  EXPECT_NEAR(layout.scale / kZoomStep, *state.zoom.scale, 1e-9);
}

namespace {

// An attribute of an element, and the pixel size of the PNG an <image> embeds: IHDR's width and
// height are bytes 16 to 23 of the file, which Base64 characters 20 to 31 hold (as bytes 15 to 23).
double AttributeOf(const std::string& element, const std::string& name) {
  return std::stod(element.substr(element.find(" " + name + "=\"") + name.size() + 3));
}
std::pair<int, int> EmbeddedSize(const std::string& element) {
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::uint64_t bits = 0;  // the 72 bits of bytes 15 to 23; bytes 16 to 23 are the low 64
  for (char c : element.substr(element.find("base64,") + 7 + 20, 12)) bits = bits << 6 | alphabet.find(c);
  return {static_cast<int>(bits >> 32), static_cast<int>(bits & 0xFFFFFFFF)};
}

}  // namespace

// The field map's title names the file and its frequency, its legend the polarisation spelled
// right; colour limits belong to the file and the quantity they were set for.
TEST(FieldMapPictures, TitleNamesTheFileAndLimitsBelongToTheirTable) {
  ScriptedFixture fx;
  TForm1 form{fx.platform};
  form.params.nearField.Store(Grid(6, 3), 0, {}, {"c:\\4nec2\\b_out\\E_\\E_000_001.out", 30});
  FieldMapChoice choice;
  const std::string svg = SvgText(FieldMapPicture(form, FieldMapOf(form, choice)));
  EXPECT_NE(std::string::npos, svg.find(">E_000_001.out, 30 MHz: XY plane at z = 0 m, Total (V/m)<")) << svg;
  EXPECT_NE(std::string::npos, svg.find(">Polarization: Total<")) << svg;
  std::string refusal;
  for (const auto& [polarization, file] :
       {std::pair{1, "c:\\4nec2\\b_out\\E_\\E_000_001.out"}, std::pair{1, "E_000_002.out"}}) {
    choice = *WithColourLimits(choice, "2", "4", refusal);
    EXPECT_TRUE(FieldMapOf(form, choice).low) << "tied to the table shown";
    form.params.nearField.Store(Grid(6, 3), polarization, {}, {file, 30});
    EXPECT_FALSE(FieldMapOf(form, choice).low) << "another quantity or file: " << file;
  }
}

// No renderer's smoothing can invent a value between cells: no <image> of a field map is shown
// more than four times its pixels, whatever the grid.
TEST(FieldMapPictures, SvgImagesAreNeverMagnifiedMoreThanFourTimes) {
  std::vector<Scene> scenes;
  for (const auto& [columns, rows] : {std::pair{6, 3}, std::pair{300, 200}, std::pair{1000, 3}})
    scenes.push_back(FieldMapScene(ComputeFieldMap(Grid(columns, rows), {}, Point3D{}), MapMarks{}, "Total"));
  // Too many cells for shapes, stretched tenfold upwards: embedded with each row repeated.
  scenes.push_back(Scene{500, 500, {}, {ImageItem{0, 0, 500, 500, 1000, 50, std::vector<Colour>(50000)}}});
  for (const Scene& scene : scenes) {
    const std::string svg = SvgText(scene);
    for (std::size_t at = svg.find("<image"); at != std::string::npos; at = svg.find("<image", at + 1)) {
      const std::string element = svg.substr(at, svg.find("/>", at) - at);
      const auto [width, height] = EmbeddedSize(element);
      EXPECT_LE(AttributeOf(element, "width"), 4.0 * width) << width;
      EXPECT_LE(AttributeOf(element, "height"), 4.0 * height) << height;
    }
  }
}

}  // namespace varnel
