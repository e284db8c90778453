#pragma once
// Plots of the Data pane's table. The pane is read as the batch tables write it: heading lines
// begin with "//" (the first one holding ';' names the columns, the next one their units), data
// lines are cells each followed by ';', numbers under DecimalSeparator ("NAN", "INF" and "-INF"
// read as not finite). A pane the user edited by hand is read the same way: a cell that is not
// a number, or missing from a short line, is left out of its column and counted; without a
// heading line the columns are named "Column 1", "Column 2", ...
//
// Two pictures:
// - Line plots of every column against the frequency column (heading "Freq"; without one,
//   against the row number), points joined in the order of the frequency; columns that share
//   a unit share one panel and its legend (the near-field and the power tables). Every axis
//   names its unit (ColumnUnit).
// - For the EUT table (columns "Cyl.", "Cir" and "Point"): per frequency the empirical
//   distribution (CDF) of each of the three columns, one panel each, with mean, maximum and
//   the 95 % value, which is also marked on its curve. F(v) is the share of the frequency's
//   values that are <= v; the 95 % value is the smallest value v of the sample with
//   F(v) >= 0.95, that is the k-th smallest value with k = ceil(0.95 n) (of 20 values the 19th
//   smallest; of 1 to 19 values the largest). The values are drawn in dB (20 log10 of the
//   value, "dB(V/m)"; a value at or below zero at the axis's low end) or, on request, linear.
//   A fourth panel gives per frequency the mean and the 95 % value of the ratio Cyl./Point in
//   dB (20 log10(Cyl. / Point) of each row whose two values lie above zero).
// The numbers may also come as they were before the pane's text rounded them (the kept numbers
// of a batch table): columns named by the table's heading lines, rows of numbers; their notes
// (what the rows were taken with, "Polarization: Z") stand in every panel's legend, the first of
// them and the set's name (subject) in the title, with the frequency where all rows share one.
// Nothing here fails: a pane without a table or without any number gives a picture that says
// what is missing ("No table in the Data pane", "No numeric column to plot").
#include <cstddef>
#include <string>
#include <vector>

#include "picture/scene.hpp"
#include "util/numbers.hpp"

namespace varnel {

struct DataColumn {
  std::string heading;  // trimmed ("Freq", "E_H", "Cyl.")
  std::string unit;     // trimmed, may be empty
  RealList values;      // one per data line; NaN where the cell is missing or not a number
};

struct DataTable {
  std::vector<DataColumn> columns;
  std::size_t rows = 0;
  std::vector<std::string> notes;  // for the legends; none when read from a pane's text
  std::string fieldUnit;           // "V/m" or "A/m" when known (the tables of one batch run)
  std::string subject;             // what the rows are of, for the titles ("E_"); "" when not known
  // Per row: its run's power budget is not physical (an input or radiated power at or below 0).
  // Read from a pane's text, a row whose Pwr is at or below 0.
  std::vector<bool> impossibleBudget;
};
DataTable ReadDataTable(const std::vector<std::string>& lines);
// The columns named by the heading lines (read as a pane's), the rows' cells in column order (a
// row shorter than the headings leaves NaN, a longer one adds columns as a pane's line does), and
// which rows have an impossible budget (none given: as read from a pane's text).
DataTable DataTableOf(const std::vector<std::string>& headingLines, const std::vector<RealList>& rows,
                      std::vector<std::string> notes, std::vector<bool> impossibleBudget = {});
// The table without its rows of an impossible budget.
DataTable WithoutImpossibleBudgets(const DataTable& table);

// The column of that heading (case-insensitive), or -1.
int ColumnIndex(const DataTable& table, const std::string& heading);
// The unit a column's values are drawn in: the unit its heading line gives, the field's unit for
// the field columns ("V/m_A/m", or Cyl., Cir and Point whose unit is blank: "V/m_A/m" while the
// field is not known), "MHz" for a blank Freq, "dB" for a blank "..._dB"; else "".
std::string ColumnUnit(const DataTable& table, int column);
// "dB(V/m)"; "dB" for no unit.
std::string DecibelUnit(const std::string& unit);
// Whether the table has the EUT columns Cyl., Cir and Point.
bool IsEutTable(const DataTable& table);

// The figures of one sample: its finite values ascending, their count, mean, maximum and
// 95 % value (see above); NaN figures for a sample without finite values.
struct Distribution {
  RealList sorted;
  std::size_t leftOut = 0;  // values that were not finite
  double mean = 0, maximum = 0, p95 = 0;
};
Distribution DistributionOf(const RealList& values);
// The 95 % value's one-based rank among n ascending values: the smallest rank k with k / n >=
// 0.95; the CDF marks it at the height k / n.
std::size_t P95Rank(std::size_t n);

// One frequency's distributions of Cyl., Cir and Point.
struct FrequencyDistributions {
  double frequency = 0;
  Distribution cylinder, circle, point;
  Distribution ratioDb;  // of 20 log10(Cyl. / Point), dB
};
// In the order of the frequencies' first rows; rows without a finite frequency are left out.
std::vector<FrequencyDistributions> EutDistributions(const DataTable& table);

// How the distributions are drawn: in dB (the default) or linear.
enum class CdfAxis { Decibel = 0, Linear = 1 };
struct TablePlotChoice {
  CdfAxis cdfAxis = CdfAxis::Decibel;
  // "Leave out rows with an impossible power budget": the plots and distributions go without
  // them. Either way every legend says how many rows have one.
  bool leaveOutImpossibleBudgets = false;
};

// The picture of a table: the CDF picture for an EUT table, the line plots otherwise.
Scene TablePlotScene(const DataTable& table, const TablePlotChoice& choice = {});
// The picture of a pane's text.
Scene TablePlotScene(const std::vector<std::string>& lines, const TablePlotChoice& choice = {});

}  // namespace varnel
