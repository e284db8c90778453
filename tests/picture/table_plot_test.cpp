// The Data pane's plots: the EUT figures against values worked out here, and panes that were
// edited by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "picture/axes.hpp"
#include "picture/scene_checks.hpp"
#include "picture/table_plot.hpp"
#include "support/scoped_settings.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

class TablePlotTest : public ::testing::Test {
  SeparatorGuard separator_{','};
};

// An EUT table as the analysis writes it (empty line, headings, blank units, rows).
std::vector<std::string> EutPane(const std::vector<std::array<double, 4>>& rows) {
  std::vector<std::string> lines = {"", "//   Numb;   Cyl.  ;    Cir  ;   Point ;    Freq ;    Pwr  ;",
                                    "//       ;         ;         ;         ;         ;         ;"};
  int number = 0;
  for (const auto& r : rows)
    lines.push_back(FormatInt("%9d;", ++number) +
                    Format("%9.3g;%9.3g;%9.3g;%9.3g;%9.3g;", {r[0], r[1], r[2], r[3], 1.0}));
  return lines;
}

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
      {{3, 1, 2}, 2, 3, 3, 0},      // n = 3: F(2) = 0.67, F(3) = 1
      {twenty, 10.5, 20, 19, 0},    // F(19) = 0.95 exactly
      {hundred, 50.5, 100, 95, 0},  // F(95) = 0.95
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

TEST_F(TablePlotTest, HandEditedPanesAreReadCellByCellAndSayWhatIsMissing) {
  // A near-field table whose user typed over two cells, cut a line short and added a note.
  const std::vector<std::string> edited = {"// Field at P(10,0| 0,0| 4,0)",
                                           "",
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

  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{}, "No table in the Data pane"},
      {{"//  Freq ;  Pwr  ;", "//  MHz  ;   W   ;"}, "No table in the Data pane"},
      {{"just words", "more words;and more;"}, "No numeric column to plot"},
      {{"//  Numb ;  Cyl.  ;  Cir  ; Point ;  Freq ;", "  1;  x;  y;  z;  w;"}, "No numeric column to plot"},
  };
  for (const auto& [pane, says] : cases) EXPECT_TRUE(Contains(SvgText(TablePlotScene(pane)), says)) << says;
}

// Ticks close together far from zero need more digits than their step: no two labels alike.
TEST_F(TablePlotTest, TickLabelsNeverRepeat) {
  const AxisRange ranges[] = {{0.0038, 0.003812}, {0.00380, 0.00389}, {1e6, 1e6 + 3},
                              {-1e-7, 1e-7},      {14.2, 14.2000004}, {0.5, 7}};
  for (const AxisRange& range : ranges)
    for (int wanted = 2; wanted <= 8; ++wanted) {
      const std::vector<Tick> ticks = NiceTicks(range, wanted);
      for (std::size_t i = 1; i < ticks.size(); ++i)
        EXPECT_NE(ticks[i - 1].label, ticks[i].label) << range.low << " .. " << range.high << ", " << wanted;
    }
}

// The power table as a folder of files out of frequency order gives it, with a hand-written note:
// each line runs left to right, every axis names its unit, and no text is cut or overlapped.
TEST_F(TablePlotTest, LinePlotsRunInFrequencyOrderWithUnitsAndNoClippedText) {
  const std::vector<std::string> power = {"//   Freq ;   Pwr   ; RecPwr  ;Gain_dB  ;SegCurr  ;",
                                          "//    MHz ;    W    ;   mW    ;         ;    A    ;",
                                          "       21;        1;      2,5;    -3,01;  0,00381;",
                                          "        7;        1;      1,5;    -4,12;  0,00382;",
                                          "     14,2;        1;      3,5;    -2,05;  0,003815;"};
  const Scene scene = TablePlotScene(power);
  for (const SceneItem& item : scene.items)
    if (const auto* line = std::get_if<PolylineItem>(&item))
      for (std::size_t i = 1; i < line->points.size(); ++i)
        EXPECT_LT(line->points[i - 1].x, line->points[i].x);
  std::vector<std::string> texts;
  for (const SceneItem& item : scene.items)
    if (const auto* text = std::get_if<TextItem>(&item)) texts.push_back(text->text);
  for (const char* axis : {"Freq (MHz)", "W", "mW", "dB", "A"})
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), axis)) << axis;
  EXPECT_EQ(std::vector<std::string>{}, TextFaults(scene));
  // Every point lies clear of its panel's frame (the frames are the outlined rectangles).
  std::vector<RectItem> frames;
  for (const SceneItem& item : scene.items)
    if (const auto* rect = std::get_if<RectItem>(&item); rect && rect->stroke && !rect->fill)
      frames.push_back(*rect);
  for (const SceneItem& item : scene.items)
    if (const auto* p = std::get_if<CircleItem>(&item))
      EXPECT_EQ(1, std::count_if(frames.begin(), frames.end(), [&](const RectItem& f) {
                  return std::abs(p->cx - f.x - f.width / 2) < f.width / 2 - 3 &&
                         std::abs(p->cy - f.y - f.height / 2) < f.height / 2 - 3;
                }));

  DataTable kept = ReadDataTable(EutPane({{1, 0.5, 2, 14.2}}));
  kept.notes = {"Polarization: Horizontal"};
  kept.fieldUnit = "A/m";
  EXPECT_EQ("A/m", ColumnUnit(kept, ColumnIndex(kept, "Cyl.")));
  EXPECT_EQ("MHz", ColumnUnit(kept, ColumnIndex(kept, "Freq")));
}

// Rows whose budget is not physical (a Pwr at or below 0) are counted in every legend and, on
// request, left out; the title names the set, the frequency all rows share and the polarisation.
TEST_F(TablePlotTest, ImpossibleBudgetsAreCountedAndMayBeLeftOut) {
  std::vector<std::string> pane = EutPane({{1, 0.5, 2, 30}, {3, 1.5, 4, 30}, {2, 2.5, 6, 30}});
  pane[4].replace(pane[4].size() - 10, 10, "   -0,069;");
  DataTable table = ReadDataTable(pane);
  table.subject = "E_";
  table.notes = {"Polarization: Total"};
  const std::string all = SvgText(TablePlotScene(table));
  EXPECT_TRUE(Contains(all, ">E_: distributions over 3 rows, 30 MHz (Polarization: Total)<")) << all;
  EXPECT_TRUE(Contains(all, ">1 row with an impossible power budget<")) << all;
  const std::string kept = SvgText(TablePlotScene(table, {CdfAxis::Decibel, true}));
  EXPECT_TRUE(Contains(kept, ">E_: distributions over 2 rows, 30 MHz (Polarization: Total)<")) << kept;
  EXPECT_TRUE(Contains(kept, ">1 row with an impossible power budget left out<")) << kept;
}

// Distributions in dB, per frequency in the order of the rows: the legend's 95 % and maximum are 20 log10 of
// the rows' own values, the ratio Cyl./Point in dB per frequency is that of the rows, each curve's 95 % value
// is marked; on request the axis is linear. Twelve frequencies and long notes still fit the canvas.
TEST_F(TablePlotTest, DistributionsInDecibelsWithTheRatioOfCylinderToPoint) {
  const std::vector<std::array<double, 4>> rows = {
      {1, 0.5, 2, 14.2}, {3, 1.5, 4, 7}, {2, 2.5, 6, 14.2}, {5, 0.25, 8, 7}, {0.0038, 0.002, 0.0019, 21}};
  const std::vector<std::string> pane = EutPane(rows);
  const DataTable table = ReadDataTable(pane);
  const Scene scene = TablePlotScene(table);
  const std::string svg = SvgText(scene);
  auto db = [](double v) { return FormatReal("%1.2f", 20 * std::log10(v)); };
  // 14,2 MHz: Cyl. 1 and 2, Point 2 and 6; ratios 20 log10(1/2) and 20 log10(2/6).
  EXPECT_TRUE(Contains(svg, ">95 % " + db(2) + " dB(V/m_A/m), max " + db(2) + " dB(V/m_A/m)<")) << svg;
  const double r1 = 20 * std::log10(0.5), r2 = 20 * std::log10(2.0 / 6);
  EXPECT_TRUE(Contains(svg, ">14,2 MHz: n 2, mean " + FormatReal("%1.2f", (r1 + r2) / 2) + " dB, 95 % " +
                                FormatReal("%1.2f", std::max(r1, r2)) + " dB<"))
      << svg;
  EXPECT_TRUE(Contains(svg, ">Cyl. (dB(V/m_A/m))<")) << svg;
  // The rows are grouped per frequency in the order of their first row.
  ASSERT_TRUE(IsEutTable(table));
  const std::vector<FrequencyDistributions> all = EutDistributions(table);
  ASSERT_EQ(3u, all.size());
  EXPECT_EQ(14.2, all[0].frequency);
  EXPECT_EQ((RealList{1, 2}), all[0].cylinder.sorted);
  EXPECT_EQ(1.5, all[0].circle.mean);
  EXPECT_EQ(6, all[0].point.maximum);
  EXPECT_EQ(7, all[1].frequency);
  EXPECT_EQ(0.875, all[1].circle.mean);
  EXPECT_EQ(21, all[2].frequency);
  EXPECT_TRUE(Contains(svg, "CDF of Cyl. per frequency")) << svg;
  EXPECT_TRUE(Contains(svg, ">14,2 MHz, n 2<")) << svg;
  EXPECT_TRUE(Contains(svg, ">mean 1,5, 95 % 2, max 2<")) << svg;
  EXPECT_DOUBLE_EQ(20 * std::log10(0.0038 / 0.0019), all[2].ratioDb.mean);
  std::size_t marks = 0;
  for (const SceneItem& item : scene.items)
    if (const auto* circle = std::get_if<CircleItem>(&item); circle && circle->r == 4) ++marks;
  EXPECT_EQ(3 * all.size(), marks);
  EXPECT_EQ(std::vector<std::string>{}, TextFaults(scene));

  // Twenty distinct values: each curve's 95 % mark sits on the dashed 0,95 line.
  std::vector<std::array<double, 4>> twenty;
  for (int k = 1; k <= 20; ++k) twenty.push_back({0.1 * k, 0.2 * k, 0.3 * k, 14.2});
  std::vector<double> dashed, marked;
  for (const SceneItem& item : TablePlotScene(ReadDataTable(EutPane(twenty))).items) {
    if (const auto* line = std::get_if<LineItem>(&item); line && line->stroke.dashed)
      dashed.push_back(line->y1);
    if (const auto* circle = std::get_if<CircleItem>(&item); circle && circle->r == 4)
      marked.push_back(circle->cy);
  }
  ASSERT_EQ(3u, dashed.size());
  ASSERT_EQ(3u, marked.size());
  for (std::size_t q = 0; q < 3; ++q) EXPECT_DOUBLE_EQ(dashed[q], marked[q]) << q;

  const std::string linear = SvgText(TablePlotScene(table, TablePlotChoice{CdfAxis::Linear}));
  EXPECT_TRUE(Contains(linear, ">Cyl. (V/m_A/m)<")) << linear;
  EXPECT_FALSE(Contains(linear, "dB(V/m")) << linear;

  std::vector<std::array<double, 4>> many;
  for (int k = 0; k < 60; ++k)
    many.push_back({0.001 * (k % 7 + 1), 0.002, k % 5 ? 0.0011 : 0.0, 7.0 + k % 12});
  DataTable wide = ReadDataTable(EutPane(many));
  wide.notes = {"Polerization: Horizontal", "P(10,0| 0,0| 1,3)"};
  EXPECT_EQ(std::vector<std::string>{}, TextFaults(TablePlotScene(wide)));
  EXPECT_EQ(std::vector<std::string>{}, TextFaults(TablePlotScene(wide, TablePlotChoice{CdfAxis::Linear})));
}

}  // namespace varnel
