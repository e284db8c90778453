#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "necout/reader.hpp"
#include "platform/posix/posix_sample_tree.hpp"
#include "support/test_root.hpp"
#include "util/files.hpp"

namespace varnel {

namespace fs = std::filesystem;

TEST(SampleTree, CreatesTheFoldersSamplesAndLaunchersAndAReadableOutputAndOverwritesNothing) {
  ScriptedFixture f;
  CreateSampleTree(f.system);
  const fs::path tree = f.root.driveC / "4nec2";
  for (const char* folder : {"exe", "b_in", "b_in/Ranges", "b_out", "out"})
    EXPECT_TRUE(fs::is_directory(tree / folder)) << folder;
  std::string deck = TestRoot::Read(tree / "b_in/dipol.nec");
  EXPECT_NE(std::string::npos, deck.find("\r\nNE ")) << deck;
  EXPECT_EQ("EN\r\n", deck.substr(deck.size() - 4)) << deck;
  EXPECT_EQ("7,01\r\n14,2\r\n21\r\n", TestRoot::Read(tree / "b_in/Ranges/Range01 Test.txt"));
  for (const char* engine : {"nec2dxs1k5.exe", "nec2dxs5k0.exe", "nec2dxs11k.exe"}) {
    fs::path launcher = tree / "exe" / engine;
    std::string script = TestRoot::Read(launcher);
    EXPECT_EQ("#!/bin/sh\n", script.substr(0, 10)) << engine;
    EXPECT_NE(std::string::npos, script.find("varnel_engine")) << engine;
    EXPECT_NE(fs::perms::none, fs::status(launcher).permissions() & fs::perms::owner_exec) << engine;
  }
  // The dipole's output reads with the output reader.
  OutputText text;
  ReadTextFile(f.platform, "c:\\4nec2\\out\\dipol.out", text);
  ASSERT_FALSE(text.empty());
  EXPECT_DOUBLE_EQ(14.2, ReadFrequency(text));
  EXPECT_DOUBLE_EQ(5.8334e-3, ReadInputPower(text));
  AntennaInput input = ReadAntennaInput(text);
  EXPECT_NEAR(1.0 / std::sqrt(2.0), input.voltageRe, 1e-12);
  EXPECT_DOUBLE_EQ(67.071, input.impedanceRe);
  EXPECT_DOUBLE_EQ(-35.361, input.impedanceIm);
  EXPECT_DOUBLE_EQ(5.8334e-3, input.power);
  EXPECT_DOUBLE_EQ(1.1523e-3, ReadSegmentCurrent(text, 1));
  EXPECT_DOUBLE_EQ(1.3189e-2, ReadSegmentCurrent(text, 11));
  NearFieldTable table;
  ReadNearField(text, 3, table);
  // 6 x 6 x 3 points; the row of the default point P (10|0|4) holds |Ez| 5.6504E-02.
  ASSERT_EQ(108u, table.x.size());
  EXPECT_EQ("ELECTRIC ", table.fieldType);
  EXPECT_DOUBLE_EQ(10.0, table.x[77]);
  EXPECT_DOUBLE_EQ(0.0, table.y[77]);
  EXPECT_DOUBLE_EQ(4.0, table.z[77]);
  EXPECT_NEAR(5.6504e-2 / std::sqrt(2.0), table.value[77], 1e-12);

  // Over a tree of its own, in another letter case, nothing that exists is overwritten.
  ScriptedFixture g;
  g.root.Write("drive_c/4NEC2/B_IN/Dipol.nec", "my own deck");
  g.root.Write("drive_c/4NEC2/exe/nec2dxs1k5.exe", "MZ real engine");
  CreateSampleTree(g.system);
  CreateSampleTree(g.system);
  EXPECT_EQ("my own deck", TestRoot::Read(g.root.driveC / "4NEC2/B_IN/Dipol.nec"));
  EXPECT_EQ("MZ real engine", TestRoot::Read(g.root.driveC / "4NEC2/exe/nec2dxs1k5.exe"));
  EXPECT_FALSE(fs::exists(g.root.driveC / "4nec2"));  // the existing tree was used, in its letter case
  EXPECT_TRUE(fs::is_directory(g.root.driveC / "4NEC2/b_out"));
  EXPECT_TRUE(fs::exists(g.root.driveC / "4NEC2/exe/nec2dxs11k.exe"));
}

}  // namespace varnel
