// The engine stand-in on real decks with nec2c: the reader must take from its output file the
// numbers nec2c printed for the same deck.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/nec2c_run.hpp"
#include "engine/nec2c_values.hpp"
#include "necout/reader.hpp"
#include "support/fuzz_seed.hpp"
#include "support/test_root.hpp"

namespace varnel {

namespace fs = std::filesystem;
using namespace engine_test;

namespace {

// A deck as the test-object generator writes it: CR LF, two wires over a perfect ground, two
// sources, a near magnetic field card, and no EN card.
const std::string kGeneratorDeck =
    "CM\r\nCE\r\n"
    "GW 100 3  0.500  1.000  2.000 -1.250  0.300  3.000 0.001\r\n"
    "GW 101 3  1.500  1.000  2.000  1.250  2.300  3.000 0.001\r\n"
    "GE 1\r\nGN 1\r\nEK\r\n"
    "EX 0 100 2 0 100.000  3.200 0\r\n"
    "EX 0 101 2 0 10.000 -3.200 0\r\n"
    "FR 0 0 0 0    7.01000 0\r\n"
    "NH 0 3 2 1 -40 -40 1.3 1 1 1\r\n";

const std::string kDipoleDeck =
    "CM dipole\nCE\n"
    "GW 1 11 0 0 -2.5 0 0 2.5 0.001\n"
    "GE 0\nGN -1\nEK\n"
    "EX 0 1 6 0 1 0\n"
    "FR 0 1 0 0 29.0 0\n"
    "NE 0 2 1 3 1 0 -1 1 1 1\n"
    "EN\n";

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    fs::create_directories(root.driveC / "4nec2" / "b_in" / "E_");
    fs::create_directories(root.driveC / "4nec2" / "b_out" / "E_");
  }

  Nec2cResult Nec2cOf(const std::string& deck) {
    return engine_test::Nec2cOf(root.dir / "nec2c", root.dir, deck);
  }

  TestRoot root;
};

void ExpectSameNumbers(const Nec2cResult& nec2c, const std::string& text, int polarization) {
  SaveOutputSeeds(text);
  ExpectNec2cValues(nec2c, OutputPrint(text), polarization);
}

TEST_F(StandInTest, GeneratorDeckRelativeAndSplitDeckNamesGiveNec2csNumbersAFailedRunNoOutput) {
  root.Write("drive_c/4nec2/b_in/E_/E_000.nec", kGeneratorDeck);
  // The output folder is named in another letter case than on disk, as the batch conversion does.
  ASSERT_EQ(0, RunStandIn(root.dir, root.dir,
                          {"c:\\4nec2\\b_in\\E_\\E_000.nec", "C:\\4nec2\\B_OUT\\E_\\E_000.out"}));
  std::string text = ReadAll(root.driveC / "4nec2" / "b_out" / "E_" / "E_000.out");
  ASSERT_FALSE(text.empty());
  Nec2cResult nec2c = Nec2cOf(kGeneratorDeck);
  ASSERT_EQ(2u, nec2c.feeds.size());
  ASSERT_EQ(6u, nec2c.segments.size());
  ASSERT_EQ(6u, nec2c.nearRows.size());
  for (int polarization : {1, 2, 3}) {
    SCOPED_TRACE(polarization);
    ExpectSameNumbers(nec2c, text, polarization);
  }
  // The deck itself is left as it was.
  EXPECT_EQ(kGeneratorDeck, ReadAll(root.driveC / "4nec2" / "b_in" / "E_" / "E_000.nec"));

  // A relative deck name resolves against the current folder; paths with blanks arrive split and
  // are joined again, and a file "x" beside the deck "x y.nec" is not taken for the deck.
  const fs::path decks = root.driveC / "4nec2" / "b_in" / "E_",
                 outputs = root.driveC / "4nec2" / "b_out" / "E_";
  root.Write("drive_c/4nec2/b_in/E_/dipol000.nec", kDipoleDeck);
  root.Write("drive_c/my decks/a b.nec", kDipoleDeck);
  const fs::path plain = root.Write("drive_c/4nec2/b_in/E_/x", "not a deck");
  root.Write("drive_c/4nec2/b_in/E_/x y.nec", kDipoleDeck);
  ASSERT_EQ(0, RunStandIn(decks, root.dir, {"dipol000.nec", "C:\\4nec2\\b_out\\E_\\dipol000.out"}));
  ASSERT_EQ(
      0, RunStandIn(root.dir, root.dir, {"c:\\my", "decks\\a", "b.nec", "C:\\4nec2\\b_out\\E_\\a", "b.out"}));
  EXPECT_TRUE(fs::exists(outputs / "a b.out"));
  ASSERT_EQ(0, RunStandIn(decks, root.dir, {"x", "y.nec", "C:\\4nec2\\b_out\\E_\\x", "y.out"}));
  const Nec2cResult dipole = Nec2cOf(kDipoleDeck);
  for (const char* output : {"dipol000.out", "x y.out"}) {
    SCOPED_TRACE(output);
    ExpectSameNumbers(dipole, ReadAll(outputs / output), 3);
  }
  EXPECT_EQ("not a deck", ReadAll(plain));

  // A rejected deck, a missing deck or output folder, or a missing argument: a status other than 0
  // and no output file (an older output of the same name must not pass for this run's result).
  root.Write("drive_c/4nec2/b_in/E_/d.nec", kDipoleDeck);
  root.Write("drive_c/4nec2/b_in/E_/unknown.nec",
             "CM\r\nCE\r\nGW 1 5 0 0 -1 0 0 1 0.001\r\nGE 0\r\nZZ 1 2 3\r\nFR 0 1 0 0 14 0\r\n");
  root.Write("drive_c/4nec2/b_in/E_/tag.nec",
             "CM\r\nCE\r\nGW 1 5 0 0 -1 0 0 1 0.001\r\nGE 0\r\nEX 0 7 3 0 1 0\r\nFR 0 1 0 0 14 0\r\n"
             "NE 0 1 1 1 1 0 0 1 1 1\r\n");
  struct Case {
    std::vector<std::string> arguments;
    const char* output;  // below drive c:, "" for none
    bool older = false;  // an older output of that name is there
  };
  const Case cases[] = {
      {{"c:\\4nec2\\b_in\\E_\\unknown.nec", "c:\\4nec2\\b_out\\E_\\bad.out"}, "4nec2/b_out/E_/bad.out", true},
      {{"c:\\4nec2\\b_in\\E_\\tag.nec", "c:\\4nec2\\b_out\\E_\\bad.out"}, "4nec2/b_out/E_/bad.out", true},
      {{"c:\\4nec2\\b_in\\E_\\none.nec", "c:\\4nec2\\b_out\\E_\\none.out"}, "4nec2/b_out/E_/none.out"},
      {{"c:\\4nec2\\b_in\\E_\\d.nec", "c:\\4nec2\\b_out\\gone\\d.out"}, "4nec2/b_out/gone"},
      {{"c:\\4nec2\\b_in\\E_\\d.nec"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    if (c.older) root.Write(std::string("drive_c/") + c.output, "old result");
    EXPECT_NE(0, RunStandIn(root.dir, root.dir, c.arguments));
    if (*c.output) {
      EXPECT_FALSE(fs::exists(root.driveC / c.output));
    }
  }
}

}  // namespace

}  // namespace varnel
