// The stand-in's rewriting of nec2c's output into the classic print layout, checked against the
// columns the output reader cuts, and the deck and argument handling around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/nec2c_sample.hpp"
#include "print_layout.hpp"
#include "necout/reader.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

// The CR LF lines of a text; a line end after the last line opens no further line.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines = SplitText(text, "\r\n");
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

// Index of the first line holding needle at or after from; lines.size() when none.
std::size_t FindLine(const std::vector<std::string>& lines, const std::string& needle, std::size_t from = 0) {
  for (std::size_t i = from; i < lines.size(); ++i)
    if (lines[i].find(needle) != std::string::npos) return i;
  return lines.size();
}

// Columns first..last (one-based, inclusive) of a line.
std::string Columns(const std::string& line, std::size_t first, std::size_t last) {
  if (line.size() < first) return "";
  return line.substr(first - 1, last - first + 1);
}

std::string Trim(const std::string& s) { return std::string(Trimmed(s, CharsOf(" "))); }

class ClassicLayoutTest : public ::testing::Test {
 protected:
  std::string text = ToClassicLayout(kNec2cDipoleOutput);
  std::vector<std::string> lines = Lines(text);
};

TEST_F(ClassicLayoutTest, FrequencyAndInputPowerStandInTheirCharactersAfterTheEqualsSign) {
  std::size_t heading = FindLine(lines, "--------- FREQUENCY --------");
  ASSERT_LT(heading + 1, lines.size());
  EXPECT_EQ("                                FREQUENCY= 2.9000E+01 MHZ", lines[heading + 1]);
  EXPECT_EQ("                                WAVELENGTH= 1.0338E+01 METERS", lines[heading + 2]);
  // The second run of the deck is rewritten the same way.
  std::size_t second = FindLine(lines, "--------- FREQUENCY --------", heading + 1);
  ASSERT_LT(second + 1, lines.size());
  EXPECT_EQ("                                FREQUENCY= 1.4200E+01 MHZ", lines[second + 1]);
  // The input power stands in eleven characters after its equals sign.
  std::size_t line = FindLine(lines, "INPUT POWER");
  ASSERT_LT(line, lines.size());
  std::size_t k = lines[line].find("INPUT POWER");
  EXPECT_EQ("INPUT POWER   = 6.9184E-03 WATTS", lines[line].substr(k));
  // Other lines of the budget keep nec2c's wording.
  EXPECT_LT(FindLine(lines, "EFFICIENCY    =  100.00 Percent"), lines.size());
}

TEST_F(ClassicLayoutTest, AntennaInputRowIsTheFourthLineWithNineTwelveCharacterFields) {
  std::size_t keyword = FindLine(lines, "ANTENNA INPUT PARAMETERS");
  ASSERT_LT(keyword + 4, lines.size());
  EXPECT_EQ("", lines[keyword + 1]);
  const std::string& row = lines[keyword + 4];
  EXPECT_EQ("     1     3", Columns(row, 1, 12));
  const std::vector<std::string> expected = {" 1.00000E+00", " 0.00000E+00", " 1.38370E-02",
                                             " 4.07700E-04", " 7.22080E+01", "-2.12760E+00",
                                             " 1.38370E-02", " 4.07700E-04", " 6.91840E-03"};
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(expected[i], Columns(row, 13 + 12 * i, 24 + 12 * i)) << "field " << i << " of [" << row << "]";
  EXPECT_EQ(120u, row.size());
}

TEST_F(ClassicLayoutTest, SegmentRowsStartOnTheSeventhLineWithTheCurrentInTheReadersColumns) {
  std::size_t keyword = FindLine(lines, "CURRENTS AND LOCATION");
  ASSERT_LT(keyword + 11, lines.size());
  EXPECT_EQ("", lines[keyword + 1]);
  EXPECT_EQ("DISTANCES IN WAVELENGTHS", Trim(lines[keyword + 2]));
  EXPECT_EQ("", lines[keyword + 3]);
  EXPECT_EQ("", lines[keyword + 4]);
  struct Case {
    int segment;
    const char *re, *im, *magnitude, *phase;
  };
  // nec2c printed these for segments 1, 2 and 3.
  const Case cases[] = {{1, "4.5760E-03", "1.2051E-04", "4.5776E-03", "-1.509"},
                        {2, "1.1351E-02", "5.5926E-06", "1.1351E-02", "0.028"},
                        {3, "1.3837E-02", "4.0770E-04", "1.3843E-02", "1.688"}};
  for (const Case& c : cases) {
    const std::string& row = lines[keyword + 6 + c.segment];
    EXPECT_EQ(std::to_string(c.segment), Trim(Columns(row, 2, 6))) << row;
    EXPECT_EQ("1", Trim(Columns(row, 7, 11))) << row;
    EXPECT_EQ(c.re, Columns(row, 51, 60)) << row;
    EXPECT_EQ(c.im, Columns(row, 63, 72)) << row;
    EXPECT_EQ(c.magnitude, Columns(row, 75, 84)) << row;
    EXPECT_EQ(c.phase, Trim(Columns(row, 85, 93))) << row;
    EXPECT_EQ(93u, row.size()) << row;
  }
  // The signs stand in front of the cut columns.
  EXPECT_EQ('-', lines[keyword + 7][61]) << lines[keyword + 7];
  EXPECT_EQ("-0.1935", Trim(Columns(lines[keyword + 7], 30, 38)));
  EXPECT_EQ("0.09673", Trim(Columns(lines[keyword + 7], 39, 47)));
}

TEST_F(ClassicLayoutTest, NearFieldTablesHaveABlankLineThreeHeadingsAndSeparatedNumbers) {
  for (const std::string keyword : {"NEAR ELECTRIC FIELDS", "NEAR MAGNETIC FIELDS"}) {
    std::size_t k = FindLine(lines, keyword);
    ASSERT_LT(k + 5, lines.size()) << keyword;
    EXPECT_EQ("", lines[k + 1]) << keyword;
    EXPECT_NE(std::string::npos, lines[k + 2].find("LOCATION")) << keyword;
    EXPECT_NE(std::string::npos, lines[k + 4].find("METERS")) << keyword;
  }
  std::size_t electric = FindLine(lines, "NEAR ELECTRIC FIELDS");
  const std::vector<std::string> firstRow = {"1.0000",     "0.0000", "-1.0000",    "4.0842E-01", "91.06",
                                             "0.0000E+00", "0.00",   "2.8113E-01", "-176.33"};
  std::istringstream row(lines[electric + 5]);
  const std::vector<std::string> tokens{std::istream_iterator<std::string>(row), {}};
  EXPECT_EQ(firstRow, tokens) << lines[electric + 5];
  EXPECT_EQ("", lines[electric + 7]) << "one blank line after the two rows";
  std::size_t magnetic = FindLine(lines, "NEAR MAGNETIC FIELDS");
  EXPECT_EQ("", lines[magnetic + 6]);
}

TEST_F(ClassicLayoutTest, LinesOutsideTheSectionsAreKeptAsNec2cPrintedThem) {
  std::set<std::string> output(lines.begin(), lines.end());
  for (const char* kept : {
           "  DATA CARD No:   4 NE   0     1     1     2  1.00000E+00  0.00000E+00 -1.00000E+00  1.00000E+00 "
           " "
           "1.00000E+00  2.00000E+00",
           "                            FREE SPACE",
           "                               FILL: 0 msec  FACTOR: 0 msec",
           "                               ---------------- COMMENTS ----------------",
       }) {
    EXPECT_EQ(1u, output.count(kept)) << kept;
  }
  EXPECT_EQ("\r\n", text.substr(text.size() - 2));
}

TEST_F(ClassicLayoutTest, TheReaderTakesTheNumbersNec2cPrinted) {
  EXPECT_DOUBLE_EQ(29.0, ReadFrequency(text));
  EXPECT_DOUBLE_EQ(6.9184e-03, ReadInputPower(text));
  AntennaInput feed = ReadAntennaInput(text);
  const double root2 = std::sqrt(2.0);
  EXPECT_DOUBLE_EQ(1.0 / root2, feed.voltageRe);
  EXPECT_DOUBLE_EQ(1.3837e-02 / root2, feed.currentRe);
  EXPECT_DOUBLE_EQ(4.0770e-04 / root2, feed.currentIm);
  EXPECT_DOUBLE_EQ(72.208, feed.impedanceRe);
  EXPECT_DOUBLE_EQ(-2.1276, feed.impedanceIm);
  EXPECT_DOUBLE_EQ(6.9184e-03, feed.power);
  EXPECT_DOUBLE_EQ(4.5776e-03, ReadSegmentCurrent(text, 1));
  EXPECT_DOUBLE_EQ(1.3843e-02, ReadSegmentCurrent(text, 3));
  EXPECT_DOUBLE_EQ(4.5776e-03, ReadSegmentCurrent(text, 5));
  NearFieldTable table;
  ReadNearField(text, 1, table);  // |Ex|
  ASSERT_EQ(2u, table.x.size());
  EXPECT_EQ("ELECTRIC ", table.fieldType);
  EXPECT_DOUBLE_EQ(-1.0, table.z[0]);
  EXPECT_DOUBLE_EQ(1.0, table.z[1]);
  EXPECT_DOUBLE_EQ(4.0842e-01 / root2, table.value[0]);
}

// Texts rewritten whole: a section whose rows are not recognised stays as it is; a negative input
// power keeps its sign within the ten characters the reader cuts ("%11.4E" would put it in
// front of them); near-field numbers that fill their columns (wide coordinates, nec2c's "nan")
// still get a blank between them, and a blank line closes a table that ends the text.
TEST(ClassicLayout, TextsThatTheRewritingMeetsAtItsEdges) {
  struct Case {
    std::string nec2c, classic;
  };
  const auto budget = [](const char* power) {
    return std::string("  ----- POWER BUDGET -----\n  INPUT POWER   =  ") + power + " Watts\n";
  };
  const auto classicBudget = [](const char* field) {
    return std::string("  ----- POWER BUDGET -----\r\n  INPUT POWER   = ") + field + " WATTS\r\n";
  };
  const Case cases[] = {
      {"   -------- CURRENTS AND LOCATION --------\n   no rows here\n\n"
       "   -------- POWER BUDGET --------\n   INPUT POWER   =  unknown Watts\n",
       "   -------- CURRENTS AND LOCATION --------\r\n   no rows here\r\n\r\n"
       "   -------- POWER BUDGET --------\r\n   INPUT POWER   =  unknown Watts\r\n"},
      {budget("-2.2500E-03"), classicBudget("-2.2500E-3")},
      {budget("-1.0433E-12"), classicBudget("-1.043E-12")},
      {budget("6.9509E-03"), classicBudget("6.9509E-03")},
      {"  -------- NEAR ELECTRIC FIELDS --------\n  h1\n  h2\n  h3\n"
       "-12345.0000 -22222.0000 1.0 1.0E+00 -123.45 nan 0.0 2.0E+00 180.0\n",
       "  -------- NEAR ELECTRIC FIELDS --------\r\n\r\n  h1\r\n  h2\r\n  h3\r\n"
       " -12345.0000 -22222.0000    1.0000   1.0000E+00 -123.45          NaN    0.00   2.0000E+00  180.00"
       "\r\n\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.classic, ToClassicLayout(c.nec2c)) << c.nec2c;
}

TEST(FortranNumbers, WriteTheEStyleOfNec2PrintFiles) {
  struct Case {
    double value;
    int width, decimals;
    const char* expected;
  };
  const Case cases[] = {
      {-5.7013e-03, 12, 5, "-5.70130E-03"},
      {14.2, 10, 4, "1.4200E+01"},
      {6.9509e-03, 11, 4, " 6.9509E-03"},
      {0.0, 12, 5, " 0.00000E+00"},
      {1.23456e+10, 12, 4, "  1.2346E+10"},
      {-1.0e-100, 12, 4, "-1.0000E-100"},
      {std::numeric_limits<double>::quiet_NaN(), 12, 4, "         NaN"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, FortranE(c.value, c.width, c.decimals)) << c.value;
  EXPECT_EQ("  -0.1935", FortranF(-0.1935, 9, 4));
  EXPECT_EQ("  0.09673", FortranF(0.09673, 9, 5));
  EXPECT_EQ(" -176.330", FortranF(-176.33, 9, 3));
}

TEST(DeckWithEndCard, AppendsEnOnlyWhenTheDeckDoesNotEndWithIt) {
  struct Case {
    const char* deck;
    const char* expected;
  };
  const Case cases[] = {
      // The generators' decks: CR LF after the near-field card, no EN.
      {"CM\r\nCE\r\nNH 0 81 81 1 -40 -40 1.3 1 1 1\r\n",
       "CM\r\nCE\r\nNH 0 81 81 1 -40 -40 1.3 1 1 1\r\nEN\r\n"},
      // The sweep writes the prototype's text without a line end after its last line.
      {"CM\r\nCE\r\nNE 0 1 1 1 0 0 0 1 1 1", "CM\r\nCE\r\nNE 0 1 1 1 0 0 0 1 1 1\r\nEN\r\n"},
      {"CM\nCE\nNE 0 1 1 1 0 0 0 1 1 1\n", "CM\nCE\nNE 0 1 1 1 0 0 0 1 1 1\nEN\n"},
      {"CM\r\nCE\r\nEN\r\n", "CM\r\nCE\r\nEN\r\n"},
      {"CM\r\nCE\r\nEN", "CM\r\nCE\r\nEN"},
      {"CM\nCE\nen 0\n\n  \n", "CM\nCE\nen 0\n\n  \n"},
      {"", "EN\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, DeckWithEndCard(c.deck)) << "deck [" << c.deck << "]";
}

// Two pieces are taken as they are; more are rejoined with blanks, the deck up to the first
// existing .nec deck (or else the first existing file); fewer than two are refused.
TEST(SplitEngineArguments, RejoinsPathsWithBlanksAndAnExistingNecDeckWins) {
  struct Case {
    std::vector<std::string> pieces, existing;
    std::string deck, output;  // an empty deck: refused
  };
  const std::vector<std::string> xy = {"x", "y.NEC", "x", "y.out"};
  const Case cases[] = {
      {{"dipol000.nec", "C:\\4nec2\\b_out\\dipol\\dipol000.out"},
       {},
       "dipol000.nec",
       "C:\\4nec2\\b_out\\dipol\\dipol000.out"},
      {{"only.nec"}, {}, "", ""},
      {{}, {}, "", ""},
      {{"c:\\my", "decks\\a", "b.nec", "C:\\4nec2\\b_out\\a", "b.out"},
       {"c:\\my decks\\a b.nec"},
       "c:\\my decks\\a b.nec",
       "C:\\4nec2\\b_out\\a b.out"},
      {{"x.nec", "out", "put.out"}, {}, "x.nec", "out put.out"},
      {xy, {"x", "x y.NEC"}, "x y.NEC", "x y.out"},
      {xy, {"x"}, "x", "y.NEC x y.out"},          // no deck exists: the first existing file
      {xy, {"x y.NEC x"}, "x y.NEC x", "y.out"},  // the existing part need not be a deck name
      {xy, {}, "x", "y.NEC x y.out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.pieces));
    auto exists = [&](const std::string& deck) {
      return std::find(c.existing.begin(), c.existing.end(), deck) != c.existing.end();
    };
    const auto args = SplitEngineArguments(c.pieces, exists);
    ASSERT_EQ(!c.deck.empty(), args.has_value());
    if (!args) continue;
    EXPECT_EQ(c.deck, args->deck);
    EXPECT_EQ(c.output, args->output);
  }
}

}  // namespace

}  // namespace varnel
