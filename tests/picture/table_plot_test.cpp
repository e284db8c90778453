// The Data pane's plots: the EUT figures against values worked out here, and panes that were
// edited by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "picture/table_plot.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

class TablePlotTest : public ::testing::Test {
 protected:
  TablePlotTest() { DecimalSeparator = ','; }
  ~TablePlotTest() override { DecimalSeparator = saved_; }

 private:
  char saved_ = DecimalSeparator;
};

// An EUT table as the analysis writes it (empty line, headings, blank units, rows).
std::vector<std::string> EutPane(const std::vector<std::array<double, 4>>& rows) {
  std::vector<std::string> lines = {"", "//   Numb;   Cyl.  ;    Cir  ;   Point ;    Freq ;    Pwr  ;",
                                    "//       ;         ;         ;         ;         ;         ;"};
  int number = 0;
  for (const auto& r : rows)
    lines.push_back(FormatInt("%9d;", ++number) + Format("%9.3g;%9.3g;%9.3g;%9.3g;%9.3g;", {r[0], r[1], r[2], r[3], 1.0}));
  return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// The 95 % value is the smallest sample value whose share of values at or below it reaches 0.95.
TEST_F(TablePlotTest, DistributionFiguresMatchValuesWorkedOutByHand) {
  const double nan = std::nan("");
  struct Case {
    RealList values;
    double mean, maximum, p95;
    std::size_t leftOut;
  };
  RealList twenty, hundred;
  for (int i = 20; i >= 1; --i) twenty.push_back(i);
  for (int i = 1; i <= 100; ++i) hundred.push_back(i);
  const Case cases[] = {
      {{5}, 5, 5, 5, 0},
      {{3, 1, 2}, 2, 3, 3, 0},              // n = 3: F(2) = 0.67, F(3) = 1
      {twenty, 10.5, 20, 19, 0},            // F(19) = 0.95 exactly
      {hundred, 50.5, 100, 95, 0},          // F(95) = 0.95
      {{1, nan, 4, INFINITY}, 2.5, 4, 4, 2},
  };
  for (const Case& c : cases) {
    const Distribution d = DistributionOf(c.values);
    EXPECT_DOUBLE_EQ(c.mean, d.mean);
    EXPECT_EQ(c.maximum, d.maximum);
    EXPECT_EQ(c.p95, d.p95) << c.values.size();
    EXPECT_EQ(c.leftOut, d.leftOut);
  }
  EXPECT_TRUE(std::isnan(DistributionOf({nan}).p95));
}

TEST_F(TablePlotTest, EutRowsAreGroupedPerFrequencyInTheOrderOfTheirFirstRow) {
  const std::vector<std::string> pane = EutPane({{1, 0.5, 2, 14.2}, {3, 1.5, 4, 7}, {2, 2.5, 6, 14.2}, {5, 0.25, 8, 7}});
  const DataTable table = ReadDataTable(pane);
  ASSERT_TRUE(IsEutTable(table));
  const std::vector<FrequencyDistributions> all = EutDistributions(table);
  ASSERT_EQ(2u, all.size());
  EXPECT_EQ(14.2, all[0].frequency);
  EXPECT_EQ((RealList{1, 2}), all[0].cylinder.sorted);
  EXPECT_EQ(1.5, all[0].circle.mean);
  EXPECT_EQ(6, all[0].point.maximum);
  EXPECT_EQ(7, all[1].frequency);
  EXPECT_EQ(0.875, all[1].circle.mean);
  const std::string svg = SvgText(TablePlotScene(pane));
  EXPECT_TRUE(Contains(svg, "CDF of Cyl. per frequency")) << svg;
  EXPECT_TRUE(Contains(svg, ">14,2 MHz, n 2<")) << svg;
  EXPECT_TRUE(Contains(svg, ">mean 1,5, 95 % 2, max 2<")) << svg;
}

TEST_F(TablePlotTest, HandEditedPanesAreReadCellByCellAndSayWhatIsMissing) {
  // A near-field table whose user typed over two cells, cut a line short and added a note.
  const std::vector<std::string> edited = {
      "// Field at P(10,0| 0,0| 4,0)", "",
      "//   Freq ;   Pwr   ;   E_H   ;E_Hcorr;",
      "//    MHz ;    W    ;V/m_A/m;V/m_A/m;",
      "   14,200;    1,000;     abc;   12,346;",
      "    7,000;      NAN;    2,500;",
      "a note of mine",
      "   21,000;    2,000;    3,000;    2,121;"};
  const DataTable table = ReadDataTable(edited);
  ASSERT_EQ(4u, table.columns.size());
  EXPECT_EQ("E_Hcorr", table.columns[3].heading);
  EXPECT_EQ("V/m_A/m", table.columns[3].unit);
  EXPECT_EQ(4u, table.rows);
  EXPECT_TRUE(std::isnan(table.columns[2].values[0]));
  EXPECT_EQ(2.5, table.columns[2].values[1]);
  const std::string svg = SvgText(TablePlotScene(edited));
  EXPECT_TRUE(Contains(svg, "E_H (2 left out)")) << svg;      // "abc" and the note
  EXPECT_TRUE(Contains(svg, "E_Hcorr (2 left out)")) << svg;  // the short line and the note
  EXPECT_TRUE(Contains(svg, "Pwr (2 left out)")) << svg;
  EXPECT_FALSE(Contains(svg, "<polyline points=\"\"")) << svg;

  struct Case {
    std::vector<std::string> pane;
    const char* says;
  };
  const Case cases[] = {
      {{}, "No table in the Data pane"},
      {{"//  Freq ;  Pwr  ;", "//  MHz  ;   W   ;"}, "No table in the Data pane"},
      {{"just words", "more words;and more;"}, "No numeric column to plot"},
      {{"//  Numb ;  Cyl.  ;  Cir  ; Point ;  Freq ;", "  1;  x;  y;  z;  w;"}, "No numeric column to plot"},
  };
  for (const Case& c : cases) EXPECT_TRUE(Contains(SvgText(TablePlotScene(c.pane)), c.says)) << c.says;
}

}  // namespace varnel
