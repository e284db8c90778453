// The random-phase decks and the EUT generator.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "decks/cards.hpp"
#include "decks/generators.hpp"
#include "decks_fixture.hpp"
#include "util/random.hpp"

namespace varnel {

namespace {

// ---- Random phases at multiple sources ------------------------------------------------

using PhasesTest = DecksTest;

TEST_F(PhasesTest, WritesTwentySevenLineDecksWithPointSeparators) {
  SeedRandom(42);
  Phases("7,01", "3");
  EXPECT_TRUE(Warnings().empty());
  const std::vector<std::string> prompts{"Inquiry|Please enter freuquency in MHz|7,01",
                                         "Inquiry|How many random phases shall be assessed?|100"};
  EXPECT_EQ(prompts, ui.prompts);
  const std::vector<std::string> files{"hc1000.nec", "hc1001.nec", "hc1002.nec"};
  std::vector<std::string> written = FilesIn("4nec2/b_in/hc1");
  ASSERT_EQ(4u, written.size());
  EXPECT_EQ("hc1.seed.txt", written.front());
  ASSERT_EQ(files, std::vector<std::string>(written.begin() + 1, written.end()));

  std::vector<std::string> head{"CM", "CE"};
  head.insert(head.end(), kHardCodedWires.begin(), kHardCodedWires.end());
  head.insert(head.end(), {"GE 1", "GN 1", "EK"});
  SeedRandom(42);
  for (const std::string& file : files) {
    const std::string deck = ReadC("4nec2/b_in/hc1/" + file);
    ASSERT_GE(deck.size(), 2u);
    EXPECT_EQ("\r\n", deck.substr(deck.size() - 2)) << file;
    const std::vector<std::string> lines = CrLfLines(deck);
    ASSERT_EQ(27u, lines.size()) << file;
    EXPECT_EQ(head, std::vector<std::string>(lines.begin(), lines.begin() + 15)) << file;
    for (int i = 0; i < 10; ++i) {
      const std::string& line = lines[15 + i];
      const std::vector<std::string> fields = Fields(line);
      ASSERT_EQ(8u, fields.size()) << line;
      EXPECT_EQ("EX 0 " + std::to_string(10 + i) + " 2 0 ", line.substr(0, 12)) << line;
      EXPECT_EQ(" 0", line.substr(line.size() - 2)) << line;
      const double re = DeckValue(fields[5]), im = DeckValue(fields[6]);
      EXPECT_NEAR(100.0, std::hypot(re, im), 0.0008) << line;
      // The same draws give the same texts: phase r * 360 degrees, radians with full 2 pi.
      const double radians = RandomReal() * 360.0 * 6.283185307179586 / 360.0;
      EXPECT_EQ(fields[5], Fields(CoordinateText(100 * std::cos(radians)))[0]) << line;
      EXPECT_EQ(fields[6], Fields(CoordinateText(100 * std::sin(radians)))[0]) << line;
    }
    EXPECT_EQ((std::vector<std::string>{"FR 0 0 0 0    7.01000 0", "NE 0 41 41 1 -20 -20 2 1 1 1"}),
              std::vector<std::string>(lines.begin() + 25, lines.end()));
  }
  EXPECT_EQ(ReadC("4nec2/b_in/hc1/hc1002.nec"), form.params.currentText);
  const std::vector<std::string> pane{"New Folder sucessfully created: c:\\4nec2\\b_in\\hc1\\",
                                      "Destination-Directory: c:\\4nec2\\b_in\\hc1\\",
                                      "Random seed of this set: 42",
                                      "Creating new File: c:\\4nec2\\b_in\\hc1\\hc1000.nec",
                                      "Creating new File: c:\\4nec2\\b_in\\hc1\\hc1001.nec",
                                      "Creating new File: c:\\4nec2\\b_in\\hc1\\hc1002.nec",
                                      "--------- Batch Creation Job Done ---------"};
  EXPECT_EQ(pane, form.Mout.lines);
}

TEST_F(PhasesTest, BadAnswersKeepThePreviousDecksAndASecondRunReplacesThem) {
  WriteC("4nec2/b_in/hc1/hc1000.nec", "previous run");
  Phases(std::nullopt, std::nullopt);
  Phases("7.01", std::nullopt);  // not a number under the decimal comma
  Phases("7,01", std::string("many"));
  Phases("7,01", std::optional<std::string>());
  const std::vector<std::string> expected{
      "No valid frequency. Abort command!", "No valid frequency. Abort command!",
      "No valid number. Abort command!", "No valid number. Abort command!"};
  EXPECT_EQ(expected, Warnings());
  EXPECT_EQ("previous run", ReadC("4nec2/b_in/hc1/hc1000.nec"));

  // A second run replaces the folder, with new phases; no decks for a count of zero or less.
  Phases("14", "2");
  const std::string first = ReadC("4nec2/b_in/hc1/hc1000.nec");
  Phases("14", "1");
  EXPECT_EQ((std::vector<std::string>{"hc1.seed.txt", "hc1000.nec"}), FilesIn("4nec2/b_in/hc1"));
  EXPECT_NE(first, ReadC("4nec2/b_in/hc1/hc1000.nec"));
  EXPECT_NE(std::string::npos, first.find("FR 0 0 0 0   14.00000 0\r\n"));
  Phases("7,01", "-2");
  EXPECT_EQ(std::vector<std::string>{"hc1.seed.txt"}, FilesIn("4nec2/b_in/hc1"));
  EXPECT_EQ("--------- Batch Creation Job Done ---------", form.Mout.lines.back());
}

// ---- EUT generator ----------------------------------------------------------------------

class EutTest : public DecksTest {
 protected:
  EutTest() { WriteC("4nec2/b_in/Ranges/two.txt", "7,01\r\n14,2\r\n"); }
  std::string Deck(const std::string& set, int position, int eut) {
    return ReadC("4nec2/b_in/" + set + "/" + set + FormatInt("%3.3d_", position) + FormatInt("%3.3d", eut) +
                 ".nec");
  }
};

TEST_F(EutTest, DefaultsWriteOneDeckPerFrequencyAndEutAndTheSummary) {
  SeedRandom(1);
  Euts({"50", "3", "1,5", "1", "1", "E_", ""});
  EXPECT_TRUE(Warnings().empty());
  const std::vector<std::string> prompts{"Inquiry|How many EUTs do you want to create?|50",
                                         "Inquiry|Diameter of the test volume|3",
                                         "Inquiry|Get height of the test volume|1,5",
                                         "Inquiry|Get low end of the test volume|1",
                                         "Inquiry|Ideal conducting ground?|1",
                                         "Inquiry|Get Filename|E_",
                                         std::string("Inquiry|") + kGridDistancesPrompt + "|"};
  EXPECT_EQ(prompts, ui.prompts);

  std::vector<std::string> expectedFiles{"E_.seed.txt", "E_.txt"};
  for (int p = 0; p < 2; ++p)
    for (int e = 0; e < 50; ++e)
      expectedFiles.push_back("E_" + FormatInt("%3.3d_", p) + FormatInt("%3.3d", e) + ".nec");
  EXPECT_EQ(expectedFiles, FilesIn("4nec2/b_in/E_"));

  EXPECT_EQ(
      "Filename....................: E_\r\nNumber of EUTs..............:  50\r\n"
      "Number of Fequencies........:   2\r\nDiameter of EUT volume......:  3,0 m\r\n"
      "Height of EUT volume........:  1,5 m\r\nLower Edge of EUT volume....:  1,0 m\r\n",
      ReadC("4nec2/b_in/E_/E_.txt"));

  const std::vector<std::string> a = CrLfLines(Deck("E_", 0, 7)), b = CrLfLines(Deck("E_", 1, 7));
  ASSERT_EQ(107u, a.size());
  ASSERT_EQ(107u, b.size());
  for (std::size_t i = 0; i < 107; ++i)
    if (i != 105) {
      EXPECT_EQ(a[i], b[i]) << "line " << i;
    }
  EXPECT_EQ("FR 0 0 0 0    7.01000 0", a[105]);
  EXPECT_EQ("FR 0 0 0 0   14.20000 0", b[105]);
  EXPECT_EQ((std::vector<std::string>{"GE 1", "GN 1", "EK"}),
            std::vector<std::string>(a.begin() + 52, a.begin() + 55));
  EXPECT_EQ("NH 0 81 81 1 -40 -40 1.3 1 1 1", a[106]);
  EXPECT_NE(CrLfLines(Deck("E_", 0, 8))[2], a[2]) << "two EUTs with the same first wire";

  // Every deck reaches the Data pane whole (its final line end an empty line), in the order
  // written; the Info pane names every file.
  std::vector<std::string> decks;
  for (int f = 0; f < 2; ++f)
    for (int e = 0; e < 50; ++e) {
      for (const std::string& line : CrLfLines(Deck("E_", f, e))) decks.push_back(line);
      decks.emplace_back();
    }
  EXPECT_EQ(decks, std::vector<std::string>(form.Mdata.lines));
  ASSERT_EQ(104u, form.Mout.lines.size());
  EXPECT_EQ("New Folder sucessfully created: c:\\4nec2\\b_in\\E_\\", form.Mout.lines[0]);
  EXPECT_EQ("Destination-Directory: c:\\4nec2\\b_in\\E_\\", form.Mout.lines[1]);
  EXPECT_EQ("Random seed of this set: 1", form.Mout.lines[2]);
  EXPECT_EQ("Random seed.................: 1\r\n", ReadC("4nec2/b_in/E_/E_.seed.txt"));
  EXPECT_EQ("Creating new File: c:\\4nec2\\b_in\\E_\\E_000_000.nec", form.Mout.lines[3]);
  EXPECT_EQ("Creating new File: c:\\4nec2\\b_in\\E_\\E_001_049.nec", form.Mout.lines[102]);
  EXPECT_EQ("--------- Batch Creation Job Done ---------", form.Mout.lines[103]);
  EXPECT_EQ(Deck("E_", 1, 49), form.params.currentText);
}

TEST_F(EutTest, AllEutsAreDrawnBeforeTheFirstDeckInTheirOrder) {
  SeedRandom(7);
  Euts({"2", "2,5", "1", "0,5", "0", "S", ""});
  SeedRandom(7);
  std::vector<EutWire> wires;
  for (int i = 0; i < 2 * kWiresPerEut; ++i) wires.push_back(DrawEutWire(2.5, 1, 0.5));
  for (int e = 0; e < 2; ++e) {
    std::string expected = "CM\r\nCE\r\n";
    for (int w = 1; w <= 50; ++w)
      expected +=
          "GW " + std::to_string(99 + w) + " 3" + EutGeometryText(wires[e * 50 + w - 1]) + " 0.001\r\n";
    expected += "GE 0\r\nGN -1\r\nEK\r\n";
    for (int w = 1; w <= 50; ++w)
      expected +=
          "EX 0 " + std::to_string(99 + w) + " 2 0 " + EutSourceText(wires[e * 50 + w - 1]) + " 0\r\n";
    expected += "FR 0 0 0 0    7.01000 0\r\nNH 0 81 81 1 -40 -40 1.3 1 1 1\r\n";
    EXPECT_EQ(expected, Deck("S", 0, e)) << "EUT " << e;
  }
}

// Wires stay inside the volume, amplitudes between one and ten; the ground answer chooses the
// ground cards.
TEST_F(EutTest, WiresStayInsideTheVolumeAndAmplitudesBetweenOneAndTen) {
  struct Volume {
    const char* d;
    const char* h;
    const char* l;
    double D, H, L;
    const char* ground;  // the answer, and the ground cards it chooses
    const char* ge;
    const char* gn;
  };
  const std::vector<Volume> volumes{{"3", "1,5", "1", 3, 1.5, 1, "1", "GE 1", "GN 1"},
                                    {"0,8", "2", "-0,5", 0.8, 2, -0.5, "0", "GE 0", "GN -1"},
                                    {"3", "1,5", "1", 3, 1.5, 1, "-3", "GE 0", "GN -1"},
                                    {"3", "1,5", "1", 3, 1.5, 1, "5", "GE 1", "GN 1"}};
  WriteC("4nec2/b_in/Ranges/one.txt", "30\r\n");
  for (const Volume& v : volumes) {
    Euts({"60", v.d, v.h, v.l, v.ground, "V", ""}, "c:\\4nec2\\b_in\\Ranges\\one.txt");
    const double R = v.D / 2, slack = 0.0005;
    double maxRadius = 0, minZ = 1e9, maxZ = -1e9, minU = 1e9, maxU = 0;
    int wires = 0;
    std::array<int, 4> quadrants{};  // of the source phase
    for (int e = 0; e < 60; ++e) {
      const std::vector<std::string> lines = CrLfLines(Deck("V", 0, e));
      ASSERT_EQ(107u, lines.size());
      EXPECT_EQ(v.ge, lines[52]) << "ground answer " << v.ground;
      EXPECT_EQ(v.gn, lines[53]) << "ground answer " << v.ground;
      for (int w = 0; w < 50; ++w) {
        const std::vector<std::string> gw = Fields(lines[2 + w]);
        ASSERT_EQ(10u, gw.size()) << lines[2 + w];
        EXPECT_EQ(std::to_string(100 + w), gw[1]);
        EXPECT_EQ("0.001", gw[9]);
        for (int end = 0; end < 2; ++end) {
          const double x = DeckValue(gw[3 + 3 * end]), y = DeckValue(gw[4 + 3 * end]),
                       z = DeckValue(gw[5 + 3 * end]);
          const double r = std::hypot(x, y);
          EXPECT_LE(r, R + slack * std::sqrt(2.0)) << lines[2 + w];
          EXPECT_GE(z, v.L - slack) << lines[2 + w];
          EXPECT_LE(z, v.L + v.H + slack) << lines[2 + w];
          maxRadius = std::max(maxRadius, r);
          minZ = std::min(minZ, z);
          maxZ = std::max(maxZ, z);
        }
        const std::vector<std::string> ex = Fields(lines[55 + w]);
        ASSERT_EQ(8u, ex.size()) << lines[55 + w];
        const double re = DeckValue(ex[5]), im = DeckValue(ex[6]), u = std::hypot(re, im);
        ++quadrants[(im < 0 ? 2 : 0) + ((re < 0) != (im < 0) ? 1 : 0)];
        EXPECT_GE(u, 1 - slack * std::sqrt(2.0)) << lines[55 + w];
        EXPECT_LE(u, 10 + slack * std::sqrt(2.0)) << lines[55 + w];
        minU = std::min(minU, u);
        maxU = std::max(maxU, u);
        ++wires;
      }
    }
    EXPECT_EQ(3000, wires);
    // The draws fill the volume and the amplitude range, not just a corner of them.
    EXPECT_GT(maxRadius, 0.95 * R);
    EXPECT_LT(minZ, v.L + 0.02 * v.H);
    EXPECT_GT(maxZ, v.L + 0.98 * v.H);
    EXPECT_LT(minU, 1.1);
    EXPECT_GT(maxU, 9.5);
    // The phases cover the full circle: a quarter of 3000 in each quadrant, give or take.
    for (int count : quadrants) EXPECT_GT(count, 600) << "phases confined to part of 0..360 degrees";
  }
}

TEST_F(EutTest, HostileNamesAndBadNumbersChangeNothing) {
  WriteC("4nec2/b_in/E_/E_000_000.nec", "previous");
  WriteC("4nec2/b_in/dipol.nec", "deck");
  WriteC("4nec2/b_out/E_/E_000_000.out", "results");
  WriteC("4nec2/keep.txt", "root file");
  const auto before = Snapshot();
  const std::vector<std::optional<std::string>> names{
      "",   "..", "..\\..",    "\\",  "a\\..\\..", "c:\\x", "E_/x", "*",         "E_?", "con",
      "x.", " ",  "..\\b_out", "a|b", "\"q\"",     "<x>",   "\t",   std::nullopt};  // the last box cancelled
  for (const auto& name : names) {
    SCOPED_TRACE("[" + name.value_or("cancelled") + "]");
    ui.messages.clear();
    Euts({"1", "3", "1,5", "1", "1", name});
    EXPECT_EQ(std::vector<std::string>{"No valid Filename. Abort command!"}, Warnings());
    EXPECT_EQ(before, Snapshot());
  }

  const std::vector<std::vector<std::optional<std::string>>> badNumbers{
      {std::nullopt},         {"x"},
      {"1", "1.5"},           {"1", "3", std::nullopt},
      {"1", "3", "1,5", "e"}, {"1", "3", "1,5", "1", "1,5"}};
  for (const auto& answers : badNumbers) {
    ui.messages.clear();
    Euts(answers);
    EXPECT_EQ(std::vector<std::string>{"No valid number. Abort command!"}, Warnings());
  }
  ui.messages.clear();
  Euts({"2001", "3", "1,5", "1", "1", "E_"});
  ASSERT_EQ(1u, Warnings().size());
  EXPECT_NE(std::string::npos, Warnings()[0].find("2000"));
  EXPECT_EQ(before, Snapshot());
}

TEST_F(EutTest, ZeroEutsOrNoFrequenciesStillWriteTheSummary) {
  Euts({"0", "12", "1,5", "1", "1", "Z", ""});
  const std::vector<std::string> summaryOnly{"Z.seed.txt", "Z.txt"};
  EXPECT_EQ(summaryOnly, FilesIn("4nec2/b_in/Z"));
  EXPECT_NE(std::string::npos, ReadC("4nec2/b_in/Z/Z.txt").find("Number of EUTs..............:   0\r\n"));
  EXPECT_NE(std::string::npos, ReadC("4nec2/b_in/Z/Z.txt").find("Diameter of EUT volume......: 12,0 m\r\n"));

  WriteC("4nec2/b_in/Ranges/bad.txt", "7;01\r\n");  // no number: no frequency
  Euts({"2", "3", "1,5", "1", "1", "Z", ""}, "c:\\4nec2\\b_in\\Ranges\\bad.txt");
  EXPECT_EQ(summaryOnly, FilesIn("4nec2/b_in/Z"));
  EXPECT_NE(std::string::npos, ReadC("4nec2/b_in/Z/Z.txt").find("Number of Fequencies........:   0\r\n"));
}

TEST_F(EutTest, AStudysGridHoldsItsDistancesAndHeightsAndIsRecorded) {
  for (const auto& [distances, heights, card] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {"3;10", "1;4;1", "NH 0 21 21 4 -10 -10 1 1 1 1"},
           {"10", "1,3", "NH 0 21 21 1 -10 -10 1.3 1 1 1"},
           {" 3 ", "1;2;0,5", "NH 0 7 7 3 -3 -3 1 1 1 0.5"},
           {"9,4", "1;1,9;0,3", "NH 0 19 19 4 -9 -9 1 1 1 0.3"},  // 9,4 + 0,6 = 10 is not reached
           {"", "1", ""},
           {"0", "1", ""},
           {"3;x", "1", ""},
           {"3", "1;4", ""},
           {"3", "4;1;1", ""},
           {"3", "1;4;0", ""},
           {"3", "0;100;1", ""}}) {
    const std::optional<EutGrid> grid = StudyGrid(distances, heights);
    EXPECT_EQ(card, grid ? grid->Card() : "") << distances << " | " << heights;
  }
  EXPECT_EQ(kNearMagneticCard, EutGrid{}.Card());

  SeedRandom(1);
  Euts({"2", "3", "1,5", "1", "1", "S", "3;10", "1;4;1"});
  EXPECT_EQ("NH 0 21 21 4 -10 -10 1 1 1 1", CrLfLines(Deck("S", 1, 1)).back());
  EXPECT_NE(std::string::npos, ReadC("4nec2/b_in/S/S.txt")
                                   .find("Measured distances..........: 3;10 m\r\n"
                                         "Measured heights............: 1 to 4 m, step 1 m\r\n"
                                         "Near-field grid.............: NH 0 21 21 4 -10 -10 1 1 1 1\r\n"));
  // Heights that are no list refuse before the folder is touched.
  Euts({"2", "3", "1,5", "1", "1", "T", "3", "4;1;1"});
  EXPECT_EQ(std::vector<std::string>{"No valid number. Abort command!"}, Warnings());
  EXPECT_TRUE(FilesIn("4nec2/b_in/T").empty());
}

}  // namespace

}  // namespace varnel
