// Where a picture window opens beside the main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>

#include "mainwindow/VarnelU.hpp"
#include "mainwindow/pictures.hpp"
#include "picture/picture_file.hpp"
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

NearFieldTable Grid(int columns, int rows, double scale = 1) {
  NearFieldTable table;
  table.fieldType = "ELECTRIC ";
  for (int k = 0; k < columns * rows; ++k) {
    table.x.push_back(k % columns);
    table.y.push_back(k / columns);
    table.z.push_back(0);
    table.value.push_back(scale * (k % 7));
  }
  return table;
}

// The width or height attribute of an element's text.
double AttributeOf(const std::string& element, const std::string& name) {
  const std::size_t at = element.find(" " + name + "=\"");
  double value = 0;
  if (at != std::string::npos)
    std::from_chars(element.data() + at + name.size() + 3, element.data() + element.size(), value);
  return value;
}

// The pixel size of the PNG an <image> element embeds: IHDR's width and height, bytes 16 to 23,
// which Base64 keeps in characters 20 to 31 (24 bytes are 32 characters).
std::pair<int, int> EmbeddedSize(const std::string& element) {
  const std::string head = element.substr(element.find("base64,") + 7, 32);
  std::string bytes;
  const std::string table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t i = 0; i + 3 < head.size(); i += 4) {
    unsigned n = 0;
    for (std::size_t k = 0; k < 4; ++k) n = n << 6 | static_cast<unsigned>(table.find(head[i + k]));
    bytes += {static_cast<char>(n >> 16), static_cast<char>(n >> 8 & 255), static_cast<char>(n & 255)};
  }
  const auto word = [&](std::size_t at) {
    int value = 0;
    for (std::size_t k = 0; k < 4; ++k) value = value << 8 | static_cast<unsigned char>(bytes[at + k]);
    return value;
  };
  return {word(16), word(20)};
}

}  // namespace

// The field map's title names the file and its frequency, its legend the polarisation spelled
// right; colour limits belong to the file and the quantity they were set for.
TEST(FieldMapPictures, TitleNamesTheFileAndLimitsBelongToTheirTable) {
  ScriptedFixture fx;
  TForm1 form{fx.platform};
  form.params.nearField.Store(Grid(6, 3), 0, {}, {"c:\\4nec2\\b_out\\E_\\E_000_001.out", 30});
  FieldMapChoice choice;
  std::string refusal;
  choice = *WithColourLimits(choice, "2", "4", refusal);
  EXPECT_TRUE(FieldMapOf(form, choice).low);
  const std::string svg = SvgText(FieldMapPicture(form, FieldMapOf(form, choice)));
  EXPECT_NE(std::string::npos, svg.find(">E_000_001.out, 30 MHz: XY plane at z = 0 m, Total (V/m)<")) << svg;
  EXPECT_NE(std::string::npos, svg.find(">Polarization: Total<")) << svg;
  form.params.nearField.Store(Grid(6, 3), 1, {}, {"c:\\4nec2\\b_out\\E_\\E_000_001.out", 30});
  EXPECT_FALSE(FieldMapOf(form, choice).low) << "another quantity";
  EXPECT_FALSE(choice.low);
  choice = *WithColourLimits(choice, "2", "4", refusal);
  EXPECT_TRUE(FieldMapOf(form, choice).high);
  form.params.nearField.Store(Grid(6, 3, 1e-3), 1, {}, {"c:\\4nec2\\b_out\\E_\\E_000_002.out", 30});
  EXPECT_FALSE(FieldMapOf(form, choice).high) << "another file";
}

// No renderer's smoothing can invent a value between cells: no <image> of a field map is shown
// more than four times its pixels, whatever the grid; a picture saved for print is the scene
// scaled alike both ways on a canvas of the size asked.
TEST(FieldMapPictures, SvgImagesAreNeverMagnifiedMoreThanFourTimesAndSizesScale) {
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
  std::string refusal;
  for (const char* bad : {"10x10", "760", "760x", "ax560", "20000x100"})
    EXPECT_FALSE(ParsePictureSize(bad, refusal)) << bad;
  const std::optional<PictureSize> size = ParsePictureSize("1520 X 1120", refusal);
  ASSERT_TRUE(size);
  Scene scene{760, 560, {}, {TextItem{10, 20, "t", 12}, RectItem{0, 0, 760, 280, Colour{}, std::nullopt}}};
  const Scene sized = SizedScene(scene, *size);
  EXPECT_EQ("1520x1120", PictureSizeText(sized));
  EXPECT_EQ(24, std::get<TextItem>(sized.items[0]).size);
  EXPECT_EQ(560, std::get<RectItem>(sized.items[1]).height);
}

}  // namespace varnel
