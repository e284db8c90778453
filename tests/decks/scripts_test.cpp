// The three generators driven headless by runner scripts with a fixed seed: the same script
// gives the same decks, byte for byte, and no error box.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "platform/scripted/runner.hpp"
#include "support/test_root.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

std::map<std::string, std::string> FilesBelow(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files[entry.path().filename().string()] = TestRoot::Read(entry.path());
  return files;
}

class DeckScripts : public ::testing::Test {
 protected:
  ~DeckScripts() override { DecimalSeparator = ','; }
  std::string Run(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    EXPECT_EQ(0, RunScriptIn(root, in, out)) << out.str();
    EXPECT_EQ(std::string::npos, out.str().find("[Error]")) << out.str();
    EXPECT_EQ(std::string::npos, out.str().find("[Warning]")) << out.str();
    return out.str();
  }
  TestRoot root;
};

TEST_F(DeckScripts, EachGeneratorIsRepeatableFromItsSeed) {
  root.Write("drive_c/4nec2/b_in/sweep.nec", "CM\r\nCE\r\nGW 1 xxn 0 0 -5 0 0 5 0.001\r\nFR 0 1 0 0 xxf 0\r\nEN");
  root.Write("drive_c/4nec2/b_in/Ranges/three.txt", "7,0\r\n7,1\r\n7,2\r\n");
  const std::string script =
      "decimal ,\n"
      "seed 2024\n"
      "answer open c:\\4nec2\\b_in\\sweep.nec\n"
      "answer open c:\\4nec2\\b_in\\Ranges\\three.txt\n"
      "run CreateMultipleInputFiles1Click\n"
      "answer ask 7,01\n"
      "answer ask 4\n"
      "run MIHardCoded1Click\n"
      "answer open c:\\4nec2\\b_in\\Ranges\\three.txt\n"
      "answer ask 3\nanswer ask 3\nanswer ask 1,5\nanswer ask 1\nanswer ask 1\nanswer ask Set\n"
      "run MIGenerateEUTsClick\n"
      "print Mout\n";
  const std::string firstOutput = Run(script);
  EXPECT_NE(std::string::npos, firstOutput.find("--------- Batch Creation Job Done ---------"));
  const auto decks = [&] {
    std::map<std::string, std::map<std::string, std::string>> all;
    for (const char* folder : {"sweep", "hc1", "Set"}) all[folder] = FilesBelow(root.driveC / "4nec2" / "b_in" / folder);
    return all;
  };
  const auto first = decks();
  EXPECT_EQ(3u, first.at("sweep").size());
  EXPECT_EQ(4u, first.at("hc1").size());
  EXPECT_EQ(10u, first.at("Set").size());  // 3 frequencies x 3 EUTs + summary
  EXPECT_NE(first.at("hc1").at("hc1000.nec"), first.at("hc1").at("hc1001.nec"));

  Run(script);
  EXPECT_EQ(first, decks());
}

}  // namespace

}  // namespace varnel
