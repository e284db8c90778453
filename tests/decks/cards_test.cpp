// Card texts, deck number formats, the sweep's value text and the deck naming.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decks/cards.hpp"
#include "decks/generators.hpp"
#include "support/scoped_settings.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

struct ValueCase {
  double value;
  const char* expected;
};

// Three significant digits with five decimals below a thousand, the exponent form from it on.
TEST(DeckCards, SweepValueTextRoundsToThreeDigitsAndUsesExponentFormFromThousand) {
  const std::vector<ValueCase> cases{
      {7.01, "7.01000"},    {14, "14.00000"},       {0.5, "0.50000"},      {146.2, "146.00000"},
      {-3.5, "-3.50000"},   {0.012345, "0.01230"},  {7.0, "7.00000"},      {7.1, "7.10000"},
      {0.001, "0.00100"},   {0.0001234, "0.00012"}, {0.000004, "0.00000"}, {0, "0.00000"},
      {-0.0, "0.00000"},    {99.95, "100.00000"},   {0.125, "0.12500"},    {1.125, "1.13000"},
      {-1.125, "-1.13000"}, {999.4, "999.00000"},   {1500, "1.5E3"},       {1000, "1E3"},
      {1234.5, "1.23E3"},   {999.6, "1E3"},         {-1500, "-1.5E3"},     {12345678, "1.23E7"},
      {2e6, "2E6"},         {1.005e4, "1.01E4"},
  };
  for (char separator : {',', '.'}) {
    SeparatorGuard guard(separator);
    for (const ValueCase& c : cases)
      EXPECT_EQ(c.expected, SweepValueText(c.value)) << "value " << c.value << " separator " << separator;
  }
}

TEST(DeckCards, FieldFormatsTheRangeLineAndDeckNamesUnderADecimalComma) {
  SeparatorGuard guard(',');
  EXPECT_EQ(" 0.500", CoordinateText(0.5));
  EXPECT_EQ("-1.250", CoordinateText(-1.25));
  EXPECT_EQ(" 1.500", CoordinateText(1.5));
  EXPECT_EQ(" 0.000", CoordinateText(-0.0004));
  EXPECT_EQ("100.000", VoltageText(100));
  EXPECT_EQ(" 3.200", VoltageText(3.2));
  EXPECT_EQ("   7.01000", FrequencyFieldText(7.01));
  EXPECT_EQ("FR 0 0 0 0    7.01000 0", FrequencyCard(FrequencyFieldText(7.01)));
  EXPECT_EQ("EX 0 10 2 0 100.000  0.000 0", SourceCard("10", VoltageText(100), VoltageText(0)));
  // The sweep's range line shows the first and last value and the spacing, with the comma.
  EXPECT_EQ("Parameter Range: 0,0 ... 0,0 Step: 0,0", ParameterRangeLine({}));
  EXPECT_EQ("Parameter Range: 7,0 ... 7,0 Step: 0,0", ParameterRangeLine({7.0}));
  EXPECT_EQ("Parameter Range: 7,0 ... 7,2 Step: 0,1", ParameterRangeLine({7.0, 7.1, 7.2}));
  EXPECT_EQ("Parameter Range: 1,0 ... 10,0 Step: 4,5", ParameterRangeLine({1, 2, 10}));
  EXPECT_EQ("Parameter Range: 30,0 ... 10,0 Step: -10,0", ParameterRangeLine({30, 20, 10}));
  // Deck names count from zero and keep every digit.
  EXPECT_EQ("c:\\4nec2\\b_in\\dipol\\dipol000.nec", DeckPath("c:\\4nec2\\b_in\\dipol\\", "dipol", 0));
  EXPECT_EQ("f\\hc1007.nec", DeckPath("f\\", "hc1", 7));
  EXPECT_EQ("f\\hc11000.nec", DeckPath("f\\", "hc1", 1000));
  EXPECT_EQ("c:\\4nec2\\b_in\\E_\\E_002_010.nec", EutDeckPath("c:\\4nec2\\b_in\\E_\\", "E_", 2, 10));
  EXPECT_EQ("f\\E_1000_1999.nec", EutDeckPath("f\\", "E_", 1000, 1999));
}

}  // namespace

}  // namespace varnel
