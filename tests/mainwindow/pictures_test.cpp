// Where a picture window opens beside the main window, and what the field map of its table shows.
#include <gtest/gtest.h>

#include <cstdint>

#include "mainwindow/VarnelU.hpp"
#include "mainwindow/pictures.hpp"
#include "support/test_root.hpp"

namespace varnel {

TEST(PictureWindowPlace, BesideTheMainWindowWhereTheScreenLeavesRoom) {
  const Rect screen{0, 0, 1920, 1080};
  struct Case {
    Rect main;
    Rect expected;
  };
  const Case cases[] = {
      {{100, 50, 1121, 530}, {1229, 50, 600, 400}},    // right of it
      {{1200, 50, 700, 530}, {592, 50, 600, 400}},     // no room right: left of it
      {{300, 900, 1400, 530}, {1320, 680, 600, 400}},  // room on neither side: the screen's right edge
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, PictureBeside(c.main, 600, 400, screen)) << c.main.left;
  // A window that may be narrowed takes the wider room beside when it is wide enough for it;
  // none is taller than the screen.
  const Case narrowed[] = {
      {{300, 50, 1121, 530}, {1429, 50, 491, 400}},  // 491 right, 292 left
      {{450, 50, 1121, 530}, {0, 50, 442, 400}},     // 341 right, 442 left
      {{310, 50, 1300, 530}, {1320, 50, 600, 400}},  // 302 on both sides: too narrow
  };
  for (const Case& c : narrowed)
    EXPECT_EQ(c.expected, PictureBeside(c.main, 600, 400, screen, 400)) << c.main.left;
  EXPECT_EQ((Rect{1229, 0, 600, 1080}), PictureBeside({100, 0, 1121, 530}, 600, 1500, screen));
}

namespace {

NearFieldTable Grid(int columns, int rows) {
  NearFieldTable table;
  table.fieldType = "ELECTRIC ";
  for (int k = 0; k < columns * rows; ++k) {
    table.x.push_back(k % columns);
    table.y.push_back(k / columns);
    table.z.push_back(0);
    table.value.push_back(k % 7);
  }
  return table;
}

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
