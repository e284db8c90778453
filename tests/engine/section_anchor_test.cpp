// The output reader on real engine output whose text holds the section keywords elsewhere:
// "LINEAR" in radiation patterns printed before the near field, deck comments holding "near",
// "frequency" and the other keywords, several frequencies. Where the first occurrence anywhere
// is already the section's heading, the reader must start exactly there (so every value is
// the one read before); everywhere the reader must take the numbers nec2c printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/nec2c_run.hpp"
#include "necout/reader.hpp"
#include "necout/sections.hpp"
#include "support/test_root.hpp"
#include "util/text.hpp"

namespace varnel {

namespace fs = std::filesystem;
using namespace engine_test;

namespace {

const std::string kDipole = "GW 1 5 0 0 -2.5 0 0 2.5 0.001\nGE 0\nGN -1\nEK\nEX 0 1 3 0 1 0\n";
const std::string kRadiation = "RP 0 3 1 1000 0 0 30 0\n";
const std::string kWordyComment = "CM near field, frequency, input power, antenna input, currents and location\n";

constexpr OutputSection kSections[] = {OutputSection::Frequency, OutputSection::InputPower,
                                       OutputSection::AntennaInput, OutputSection::Currents,
                                       OutputSection::NearField};

struct Deck {
  const char* name;
  std::string cards;
  std::vector<OutputSection> derailed;  // where the first occurrence anywhere is not the heading
};

// nec2c's numbers: the scalars of the first frequency, the near-field rows of the frequency
// that printed the first near-field table.
struct Expected {
  Nec2cResult first;
  Nec2cResult near;
};

Expected ExpectedOf(const std::string& nec2cText) {
  std::size_t near = nec2cText.find("NEAR ELECTRIC FIELDS");
  near = std::min(near, nec2cText.find("NEAR MAGNETIC FIELDS"));
  const std::size_t run = nec2cText.rfind("--------- FREQUENCY", near);
  return {ParseNec2c(nec2cText), ParseNec2c(nec2cText.substr(run == std::string::npos ? 0 : run))};
}

void ExpectNec2cNumbers(const Expected& expected, const std::string& text) {
  const double root2 = std::sqrt(2.0);
  EXPECT_DOUBLE_EQ(expected.first.frequency, ReadFrequency(text));
  EXPECT_DOUBLE_EQ(expected.first.inputPower, ReadInputPower(text));
  ASSERT_FALSE(expected.first.feeds.empty());
  const std::vector<double>& f = expected.first.feeds[0];
  const AntennaInput feed = ReadAntennaInput(text);
  EXPECT_DOUBLE_EQ(f[2] / root2, feed.voltageRe);
  EXPECT_DOUBLE_EQ(f[5] / root2, feed.currentIm);
  EXPECT_DOUBLE_EQ(f[6], feed.impedanceRe);
  EXPECT_DOUBLE_EQ(f[10], feed.power);
  for (std::size_t n = 0; n < expected.first.segments.size(); ++n)
    EXPECT_DOUBLE_EQ(expected.first.segments[n][8], ReadSegmentCurrent(text, static_cast<int>(n + 1))) << n + 1;

  NearFieldTable table;
  ReadNearField(text, 1, table);
  EXPECT_EQ(expected.near.nearKind + " ", table.fieldType);
  ASSERT_EQ(expected.near.nearRows.size(), table.value.size());
  for (std::size_t i = 0; i < table.value.size(); ++i) {
    EXPECT_DOUBLE_EQ(expected.near.nearRows[i][0], table.x[i]) << i;
    EXPECT_DOUBLE_EQ(expected.near.nearRows[i][2], table.z[i]) << i;
    EXPECT_DOUBLE_EQ(expected.near.nearRows[i][3] / root2, table.value[i]) << i;
  }
}

}  // namespace

TEST(SectionAnchors, RealOutputReadsTheEnginesSectionsAndKeepsEveryRightStart) {
  if (!Nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
  const Deck decks[] = {
      {"near field before the pattern, two frequencies",
       "CM dipole\nCE\n" + kDipole + "FR 0 2 0 0 14.2 7\nNE 0 1 1 2 1 0 -1 1 1 2\n" + kRadiation, {}},
      {"magnetic field, one frequency", "CM dipole\nCE\n" + kDipole + "FR 0 1 0 0 29 0\nNH 0 2 1 1 1 0 0 1 1 1\n", {}},
      {"pattern before the near field", "CM dipole\nCE\n" + kDipole + "FR 0 1 0 0 14.2 0\n" + kRadiation +
                                            "NE 0 1 1 3 1 0 -1 1 1 1\n",
       {OutputSection::NearField}},
      {"pattern before the magnetic field, two frequencies",
       "CM a LINEAR dipole\nCE\n" + kDipole + "FR 0 2 0 0 14.2 7\n" + kRadiation + "NH 0 1 1 2 1 0 -1 1 1 2\n",
       {OutputSection::NearField}},
      {"comment with every keyword, three frequencies",
       kWordyComment + "CE\n" + kDipole + "FR 0 3 0 0 7 7\nNE 0 1 1 2 1 0 -1 1 1 2\n" + kRadiation,
       {OutputSection::Frequency, OutputSection::InputPower, OutputSection::AntennaInput, OutputSection::Currents,
        OutputSection::NearField}},
  };
  TestRoot root;
  const fs::path folder = root.dir / "run";
  fs::create_directories(folder);
  for (const Deck& deck : decks) {
    SCOPED_TRACE(deck.name);
    root.Write("run/deck.nec", deck.cards + "EN\n");
    fs::remove(folder / "deck.out");
    ASSERT_EQ(0, RunStandIn(folder, root.dir, {"deck.nec", "deck.out"}));
    ASSERT_EQ(0, RunIn(folder, root.dir, "nec2c -i deck.nec -o nec2c.out"));
    const std::string text = ReadAll(folder / "deck.out");

    for (OutputSection section : kSections) {
      const std::size_t plain = FindText(SectionKeyword(section), text, 1, false);
      const bool derailed =
          std::find(deck.derailed.begin(), deck.derailed.end(), section) != deck.derailed.end();
      ASSERT_NE(0u, plain) << SectionKeyword(section);
      // Same start, same offsets: the values read before are read again.
      if (!derailed) { EXPECT_EQ(plain, FindSection(text, section)) << SectionKeyword(section); }
      if (derailed) { EXPECT_LT(plain, FindSection(text, section)) << SectionKeyword(section); }
    }
    ExpectNec2cNumbers(ExpectedOf(ReadAll(folder / "nec2c.out")), text);
  }
}

}  // namespace varnel
