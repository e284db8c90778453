// The one writer of the semicolon tables: cell widths, separators, number notation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "batch/table.hpp"
#include "support/scoped_settings.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

class BatchTable : public ::testing::Test {
  SeparatorGuard separator_{','};
};

TEST_F(BatchTable, HeadingsAreTenCharacterCellsEachEndedBySemicolon) {
  const std::string headings = TableHeadingLine({"Freq ", "  Pwr  ", "  E_H  ", "E_Hcorr", "  Ur   ",
                                                 "  Ui   ", "  Ir   ", "  Ii   ", "  Zr   ", "  Zi   "});
  EXPECT_EQ(
      "//  Freq ;    Pwr  ;    E_H  ;  E_Hcorr;    Ur   ;    Ui   ;    Ir   ;    Ii   ;"
      "    Zr   ;    Zi   ;",
      headings);
  // The blank units line of the EUT table.
  const std::string units =
      TableHeadingLine({"     ", "       ", "       ", "       ", "       ", "       "});
  std::string expected = "//" + std::string(7, ' ') + ";";
  for (int i = 0; i < 5; ++i) expected += std::string(9, ' ') + ";";
  EXPECT_EQ(expected, units);
}

TEST_F(BatchTable, DataCellsAreNineWideAndFollowedBySemicolon) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"fixed 14.2", TableDataLine().Fixed3(14.2).Text(), "   14,200;"},
      {"fixed -0.5", TableDataLine().Fixed3(-0.5).Text(), "   -0,500;"},
      {"fixed too wide shifts", TableDataLine().Fixed3(1234567.0).Fixed3(1).Text(), "1234567,000;    1,000;"},
      {"general 25000", TableDataLine().General3(25000).Text(), "  2,5E004;"},
      {"general -3.0103", TableDataLine().General3(10 * std::log10(0.5)).Text(), "    -3,01;"},
      {"general 1000", TableDataLine().General3(1000).Text(), "    1E003;"},
      {"general 0.0000123", TableDataLine().General3(0.0000123).Text(), "1,23E-005;"},
      {"general 0", TableDataLine().General3(0).Text(), "        0;"},
      {"integer", TableDataLine().Integer(11).Text(), "       11;"},
      {"NaN", TableDataLine().Fixed3(nan).General3(nan).Text(), "      NAN;      NAN;"},
  };
  for (const auto& [what, actual, expected] : cases) EXPECT_EQ(expected, actual) << what;
}

}  // namespace

}  // namespace varnel
