#pragma once
// The one writer of the semicolon result tables that the three batch analyses put into Mdata.
//
// Every line is a run of cells, each a right-aligned field followed by ";":
//   heading line  "//" + first cell in at least 7 characters + every further cell in at least 9;
//   data line     every cell in at least 9 characters.
// So both kinds of line put their ";" after characters 9, 19, 29, ... and the columns line up in
// a fixed-pitch font. A value wider than its field is written whole and shifts the rest of the
// line. Numbers go through the format engine (DecimalSeparator, NAN/INF as the engine writes
// them).
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

inline constexpr int kHeadingFirstCellWidth = 7;
inline constexpr int kCellWidth = 9;

// "//" + the cells: "%7s;" for the first, "%9s;" for the others. No cells give "//".
std::string TableHeadingLine(std::initializer_list<std::string_view> cells);

// A data line built cell by cell; it keeps each cell's number as it was given, before rounding.
class TableDataLine {
 public:
  TableDataLine& Integer(std::int64_t value);  // "%9d;"
  TableDataLine& Fixed3(double value);         // "%9.3f;"
  TableDataLine& General3(double value);       // "%9.3g;"
  // True when some real cell held NaN (written as NAN): the row has an undefined value.
  bool HasUndefined() const { return undefined_; }
  const std::string& Text() const { return text_; }
  const std::vector<double>& Values() const { return values_; }

 private:
  TableDataLine& Cell(const std::string& text, double value);
  std::string text_;
  std::vector<double> values_;
  bool undefined_ = false;
};

}  // namespace varnel
