// The runner's picture directive: the files it writes, and what it says when it cannot.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "picture/scene_checks.hpp"
#include "platform/scripted/runner.hpp"
#include "support/scoped_settings.hpp"
#include "support/test_root.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

struct Result {
  int status;
  std::string output;
};

Result RunPictures(TestRoot& root, const std::string& script) {
  const SeparatorGuard scripted(DecimalSeparator);  // the script's decimal directive ends with it
  std::istringstream in(script);
  std::ostringstream out;
  return {RunScriptIn(root, in, out), out.str()};
}

}  // namespace

TEST(PictureDirective, WritesTheFieldMapAndThePlotsOfTheSampleDipoleAsSvg) {
  TestRoot root;
  const Result r = RunPictures(root,
                               "decimal ,\n"
                               "picture fieldmap c:\\4nec2\\before.svg\n"
                               "picture table c:\\4nec2\\table.svg\n"
                               "run LoadDipol1Click\n"
                               "run AnalyseNearfield1Click\n"
                               "select RGMode 4\n"
                               "select RGPol 2\n"
                               "picture fieldmap c:\\4nec2\\map.svg\n"
                               "picture fieldmap c:\\4nec2\\xz.svg XZ 0.4 db\n"
                               "picture fieldmap c:\\4nec2\\abs.svg dbuv limits 80 100,5\n"
                               "picture zline c:\\4nec2\\zline.svg dbuv\n"
                               "picture fieldmap c:\\4nec2\\print.svg size 1520X1120\n"
                               "picture fieldmap " +
                                   (root.dir / "native.svg").string() + "\n");
  ASSERT_EQ(0, r.status) << r.output;
  EXPECT_FALSE(Contains(r.output, "[Picture]")) << r.output;
  const auto read = [&](const char* name) { return TestRoot::Read(root.driveC / "4nec2" / name); };
  EXPECT_TRUE(Contains(read("before.svg"), "No near-field table"));
  EXPECT_TRUE(Contains(read("table.svg"), "No table in the Data pane"));
  const std::string map = read("map.svg");
  // Titled with the polarisation the table was read with, not the one chosen since.
  EXPECT_TRUE(Contains(map, ">dipol.out, 14,2 MHz: XY plane at z = 4 m, Total (V/m)<")) << map;
  EXPECT_TRUE(Contains(read("print.svg"), "width=\"1520\" height=\"1120\"")) << read("print.svg");
  EXPECT_TRUE(Contains(map, "Mode: Cylinder")) << map;
  EXPECT_TRUE(Contains(map, ">Polarization: Total<")) << map;
  EXPECT_TRUE(Contains(map, "36 points")) << map;
  EXPECT_EQ(map, TestRoot::Read(root.dir / "native.svg"));
  const std::string xz = read("xz.svg");
  EXPECT_TRUE(Contains(xz, "XZ plane at y = 0 m")) << xz;
  EXPECT_TRUE(Contains(xz, "0 dB = ")) << xz;
  const std::string absolute = read("abs.svg");
  EXPECT_TRUE(Contains(absolute, ">dB\xC2\xB5V/m<")) << absolute;
  EXPECT_TRUE(Contains(absolute, ">100<")) << absolute;  // the top of the limits on the colour bar
  EXPECT_TRUE(Contains(absolute, ">structure: 21 segments<")) << absolute;
  const std::string zline = read("zline.svg");
  EXPECT_TRUE(Contains(zline, "Z line through A (10|0), Total (dB\xC2\xB5V/m)")) << zline;

  // The SVG renders.
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "rsvg-convert is not installed";
  for (const char* name : {"map", "xz", "before", "table", "abs", "zline"}) {
    const std::string svg = (root.driveC / "4nec2" / (std::string(name) + ".svg")).string();
    const std::string png = (root.dir / (std::string(name) + ".png")).string();
    EXPECT_EQ(0, std::system(("rsvg-convert -o '" + png + "' '" + svg + "'").c_str())) << name;
    EXPECT_EQ(0u, TestRoot::Read(png).rfind("\x89PNG", 0)) << name;
  }
}

}  // namespace varnel
