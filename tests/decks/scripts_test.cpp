// The three generators driven headless by runner scripts with a fixed seed: the same script
// gives the same decks, byte for byte, and no error box.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "decks_fixture.hpp"
#include "platform/scripted/runner.hpp"

namespace varnel {

namespace {

class DeckScripts : public DecksTest {
 protected:
  std::string Run(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    EXPECT_EQ(0, RunScriptIn(root, in, out)) << out.str();
    EXPECT_EQ(std::string::npos, out.str().find("[Error]")) << out.str();
    EXPECT_EQ(std::string::npos, out.str().find("[Warning]")) << out.str();
    return out.str();
  }
};

// A set drawn from a seed nobody chose records it; `seed N` draws the same decks again, byte
// for byte, after the generator has moved on.
TEST_F(DeckScripts, EachGeneratorIsRepeatableFromItsRecordedSeed) {
  WriteC("4nec2/b_in/sweep.nec", "CM\r\nCE\r\nGW 1 xxn 0 0 -5 0 0 5 0.001\r\nFR 0 1 0 0 xxf 0\r\nEN");
  WriteC("4nec2/b_in/Ranges/three.txt", "7,0\r\n7,1\r\n7,2\r\n");
  const std::string generate =
      "decimal ,\n"
      "answer open c:\\4nec2\\b_in\\sweep.nec\n"
      "answer open c:\\4nec2\\b_in\\Ranges\\three.txt\n"
      "run CreateMultipleInputFiles1Click\n"
      "answer ask 7,01\nanswer ask 4\nrun MIHardCoded1Click\nprint Mout\n" +
      GenerateEutsLines("c:\\4nec2\\b_in\\Ranges\\three.txt", 3, "Set") + "print Mout\n";
  const std::string firstOutput = Run(generate);
  EXPECT_NE(std::string::npos, firstOutput.find("--------- Batch Creation Job Done ---------"));
  const auto first = Snapshot();
  EXPECT_EQ(3u, FilesIn("4nec2/b_in/sweep").size());
  EXPECT_EQ(5u, FilesIn("4nec2/b_in/hc1").size());   // 4 decks + seed file
  EXPECT_EQ(11u, FilesIn("4nec2/b_in/Set").size());  // 3 frequencies x 3 EUTs + summary + seed file
  EXPECT_NE(ReadC("4nec2/b_in/hc1/hc1000.nec"), ReadC("4nec2/b_in/hc1/hc1001.nec"));
  std::string seeds;
  for (const char* file : {"4nec2/b_in/hc1/hc1.seed.txt", "4nec2/b_in/Set/Set.seed.txt"}) {
    const std::string record = ReadC(file);
    ASSERT_TRUE(record.starts_with("Random seed.................: ")) << record;
    ASSERT_TRUE(record.ends_with("\r\n")) << record;
    const std::string seed = record.substr(30, record.size() - 32);
    EXPECT_NE(std::string::npos, firstOutput.find("Random seed of this set: " + seed + "\n")) << firstOutput;
    seeds += "seed " + seed + "\n";
  }

  // Each set again from its own seed, after the generator has moved on.
  const std::size_t eutPart = generate.find("answer open", generate.find("MIHardCoded1Click"));
  Run(generate.substr(0, eutPart).insert(0, seeds.substr(0, seeds.find('\n') + 1)));
  Run("decimal ,\n" + seeds.substr(seeds.find('\n') + 1) + generate.substr(eutPart));
  EXPECT_EQ(first, Snapshot());
}

}  // namespace

}  // namespace varnel
