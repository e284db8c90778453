// The sections of a print (reader.hpp): the scalars, the feed-point row and the current rows
// taken at the columns of the print's layout and checked there, the near-field table of a print
// with its heading, its end and its printed length, and the lines that tell the Info pane which
// run and how much of the table was read. The rows of the table are read by ReadNearFieldRows
// (parts.cpp, rows.cpp).
#include "necout/reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "necout/layouts.hpp"
#include "necout/lines.hpp"
#include "necout/print.hpp"
#include "necout/rows.hpp"
#include "util/errors.hpp"
#include "util/format.hpp"
#include "util/text.hpp"
#include "util/workers.hpp"

namespace varnel {

namespace {

using rows_detail::FieldToReal;
using rows_detail::kCR;
using rows_detail::TrimRow;

const double kSqrt2 = std::sqrt(2.0);

// The number a field holds: blanks, then a number whose last character stands in the field's
// last column; '.' is read as DecimalSeparator. Nothing for anything else.
std::optional<double> FieldNumber(std::string_view field) {
  if (field.empty() || field.back() == ' ') return std::nullopt;
  try {
    return FieldToReal(field);
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

// The field of a row at the given columns, with the layout's separator (a ',', or the row's end)
// behind it; nothing when the row is too short for it or the separator is not there.
std::optional<double> ColumnNumber(std::string_view row, const Columns& columns, bool commaRows) {
  const std::size_t first = static_cast<std::size_t>(columns.first - 1);
  const std::size_t last = static_cast<std::size_t>(columns.last);
  if (last > row.size()) return std::nullopt;
  if (commaRows && last < row.size() && row[last] != ',') return std::nullopt;
  return FieldNumber(row.substr(first, last - first));
}

// The number of a scalar line: the line holds the label, then only blanks and '=' up to the
// field, then the field, then a blank or the line's end.
std::optional<double> ScalarNumber(std::string_view line, const ScalarPlace& place) {
  const std::size_t offset = static_cast<std::size_t>(place.offset),
                    width = static_cast<std::size_t>(place.width);
  if (line.size() < offset + width || (line.size() > offset + width && line[offset + width] != ' '))
    return std::nullopt;
  const std::string_view gap = line.substr(place.label.size(), offset - place.label.size());
  if (gap.find_first_not_of(" =") != std::string_view::npos) return std::nullopt;
  return FieldNumber(line.substr(offset, width));
}

const PrintLayout& LayoutOf(const OutputPrint& print) {
  if (const std::optional<PrintError> unknown = print.Unknown()) throw *unknown;
  return *print.Layout();
}

// The line below a heading that holds the layout's label: for the frequency the first line
// beginning with it among the next few, for the input power the first line that is not blank.
// Its position in the text, or npos.
std::size_t LabelLine(std::string_view text, std::size_t heading, std::string_view label,
                      bool firstNonBlank) {
  TextLine line = LineAt(text, heading);
  for (int i = 0; i < 3 && line.end < text.size(); ++i) {
    line = LineAfter(text, line);
    const std::size_t first = line.text.find_first_not_of(' ');
    if (first == std::string_view::npos) continue;
    if (EqualNoCase(line.text.substr(first, label.size()), label)) return line.begin + first;
    if (firstNonBlank) return std::string_view::npos;
  }
  return std::string_view::npos;
}

double ReadScalar(const OutputPrint& print, std::size_t heading, const ScalarPlace& place,
                  PrintSection section, bool firstNonBlank) {
  const std::string_view text = print.Text();
  const std::size_t at = LabelLine(text, heading, place.label, firstNonBlank);
  if (at == std::string_view::npos)
    throw print.Unreadable(section, LineAfter(text, LineAt(text, heading)).begin);
  const std::optional<double> value =
      ScalarNumber(LineAt(text, at).text.substr(at - LineAt(text, at).begin), place);
  if (!value) throw print.Unreadable(section, at);
  return *value;
}

// The line of a table's row: the first row, or the row n - 1 lines below it; npos when the table
// ends (a blank line, or the text's end) before it.
std::size_t RowLine(std::string_view text, std::size_t firstRow, int n) {
  if (firstRow == std::string_view::npos) return firstRow;
  TextLine line = LineAt(text, firstRow);
  for (int row = 1;; ++row) {
    if (IsBlankLine(line.text)) return std::string_view::npos;
    if (row == n) return line.begin;
    if (line.end >= text.size()) return std::string_view::npos;
    line = LineAfter(text, line);
  }
}

}  // namespace

double ReadFrequency(const OutputPrint& print) {
  const PrintLayout& layout = LayoutOf(print);
  const std::size_t heading = print.ReadRun().frequency;
  if (heading == OutputPrint::npos) throw OutputPrint::Missing(PrintSection::Frequency);
  return ReadScalar(print, heading, layout.frequency, PrintSection::Frequency, false);
}

double ReadInputPower(const OutputPrint& print) {
  const PrintLayout& layout = LayoutOf(print);
  const std::size_t heading = print.ReadRun().powerBudget;
  if (heading == OutputPrint::npos) return std::nan("");
  return ReadScalar(print, heading, layout.inputPower, PrintSection::InputPower, true);
}

double ReadRadiatedPower(const OutputPrint& print) {
  const PrintLayout& layout = LayoutOf(print);
  const std::size_t heading = print.ReadRun().powerBudget;
  if (heading == OutputPrint::npos) return std::nan("");
  const std::string_view text = print.Text();
  const std::size_t input = LabelLine(text, heading, layout.inputPower.label, true);
  if (input == std::string_view::npos) return std::nan("");
  const TextLine inputLine = LineAt(text, input);
  if (inputLine.end >= text.size()) return std::nan("");
  // Its label stands where the input power's does, and so does its number.
  const TextLine line = LineAfter(text, inputLine);
  const std::size_t column = input - inputLine.begin;
  if (line.text.size() <= column) return std::nan("");
  const ScalarPlace place{"RADIATED POWER", layout.inputPower.offset, layout.inputPower.width};
  const std::string_view labelled = line.text.substr(column);
  if (!EqualNoCase(labelled.substr(0, place.label.size()), place.label)) return std::nan("");
  return ScalarNumber(labelled, place).value_or(std::nan(""));
}

AntennaInput ReadAntennaInput(const OutputPrint& print) {
  const PrintLayout& layout = LayoutOf(print);
  const double none = std::nan("");
  const std::size_t heading = print.ReadRun().feed;
  if (heading == OutputPrint::npos) return {none, none, none, none, none, none, none};
  const std::string_view text = print.Text();
  const std::size_t row = RowLine(text, print.FirstRow(heading, layout.feed.titleMark), 1);
  if (row == std::string_view::npos) throw print.Unreadable(PrintSection::Feed, heading);
  const std::string_view line = LineAt(text, row).text;
  double field[9];
  for (std::size_t i = 0; i < 9; ++i) {
    const std::optional<double> value = ColumnNumber(line, layout.feed.fields[i], layout.commaRows);
    if (!value) throw print.Unreadable(PrintSection::Feed, row);
    field[i] = *value;
  }
  // The admittance is checked and dropped.
  return {field[0] / kSqrt2, field[1] / kSqrt2, field[2] / kSqrt2, field[3] / kSqrt2,
          field[4],          field[5],          field[8]};
}

double ReadSegmentCurrent(const OutputPrint& print, int n) {
  const PrintLayout& layout = LayoutOf(print);
  const double none = std::nan("");
  const std::size_t heading = print.ReadRun().currents;
  if (n < 1 || heading == OutputPrint::npos) return none;
  const std::string_view text = print.Text();
  const std::size_t first = print.FirstRow(heading, layout.currents.titleMark);
  if (first == std::string_view::npos) throw print.Unreadable(PrintSection::Currents, heading);
  const std::size_t row = RowLine(text, first, n);
  if (row == std::string_view::npos) return none;  // the table has no such row
  const std::string_view line = LineAt(text, row).text;
  const CurrentPlace& place = layout.currents;
  const std::optional<double> segment = ColumnNumber(line, place.segment, layout.commaRows);
  const std::optional<double> magnitude = ColumnNumber(line, place.magnitude, layout.commaRows);
  if (!segment || *segment != n || !magnitude || !ColumnNumber(line, place.real, layout.commaRows) ||
      !ColumnNumber(line, place.imaginary, layout.commaRows) ||
      !ColumnNumber(line, place.phase, layout.commaRows))
    throw print.Unreadable(PrintSection::Currents, row);
  return *magnitude;
}

double ReadFrequency(const OutputText& text) { return ReadFrequency(OutputPrint(text)); }
double ReadInputPower(const OutputText& text) { return ReadInputPower(OutputPrint(text)); }
AntennaInput ReadAntennaInput(const OutputText& text) { return ReadAntennaInput(OutputPrint(text)); }
double ReadSegmentCurrent(const OutputText& text, int n) { return ReadSegmentCurrent(OutputPrint(text), n); }

void ReadNearField(const OutputText& text, int polarization, NearFieldTable& table) {
  ReadNearField(OutputPrint(text), polarization, table);
}

namespace {

// The end of the row that starts at position: its CR, or the text's end.
std::size_t RowEnd(std::string_view text, std::size_t at) {
  if (at >= text.size()) return text.size();
  const void* hit = std::memchr(text.data() + at, kCR, text.size() - at);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
}

// Where row `index` (from 0) of a table whose first row begins at first starts, walked as the
// row reading walks: each row ends at a CR and the next begins two bytes behind it.
std::size_t RowStart(std::string_view text, std::size_t first, std::size_t index) {
  std::size_t at = first;
  for (std::size_t row = 0; row < index && at < text.size(); ++row)
    at = std::min(text.size(), RowEnd(text, at) + 2);
  return at;
}

// How many rows the table holds from the row at position on: lines up to the first one shorter
// than two characters once trimmed of bytes 0 to 32, or the text's end.
std::size_t RowsFrom(std::string_view text, std::size_t at) {
  std::size_t rows = 0;
  while (at < text.size()) {
    const std::size_t end = RowEnd(text, at);
    if (TrimRow(text.substr(at, end - at)).size() < 2) break;
    ++rows;
    at = end + 1;
  }
  return rows;
}

}  // namespace

void ReadNearField(const OutputPrint& print, int polarization, NearFieldTable& table) {
  static const TextParts parts = TextParts::OfThisMachine();
  ReadNearField(print, polarization, table, parts);
}

void ReadNearField(const OutputPrint& print, int polarization, NearFieldTable& table,
                   const TextParts& parts) {
  const PrintLayout& layout = LayoutOf(print);
  table = NearFieldTable{};
  const std::size_t heading = print.NearField();
  if (heading == OutputPrint::npos) return;
  const std::string_view text = print.Text();
  const TextLine headingLine = LineAt(text, heading);
  const std::size_t near = heading + FindFolded(headingLine.text, "NEAR");
  table.fieldType = std::string(text.substr(near + 5, std::min<std::size_t>(9, text.size() - near - 5)));
  const std::size_t first = print.FirstRow(heading, layout.nearField.titleMark);
  if (first == std::string_view::npos) throw print.Unreadable(PrintSection::NearField, heading);
  // The rows' commas are blanks to the row reading; the positions stay those of the text.
  std::string uncommaed;
  std::string_view rows = text;
  if (layout.commaRows) {
    uncommaed.assign(text);
    std::replace(uncommaed.begin() + static_cast<std::ptrdiff_t>(first), uncommaed.end(), ',', ' ');
    rows = uncommaed;
  }
  std::size_t next = std::string_view::npos;  // where the row after the last one read begins
  try {
    next = ReadNearFieldRows(rows, first, polarization, table, parts);
  } catch (const ConversionError&) {
    // The line the rows failed at: the table's end where the layout ends it with a line of its
    // own, a row that is not in the layout's form otherwise.
    const std::size_t failed = RowStart(text, first, table.x.size());
    const std::string_view row = TrimRow(text.substr(failed, RowEnd(text, failed) - failed));
    const std::string_view endMark = layout.nearField.endMark;
    if (endMark.empty() || !EqualNoCase(row.substr(0, endMark.size()), endMark))
      throw print.Unreadable(PrintSection::NearField, failed);
  }
  table.printedRows = table.x.size();
  if (table.x.size() == MaxNearFieldRows) {
    if (next == std::string_view::npos) next = RowStart(rows, first, MaxNearFieldRows);
    table.printedRows += RowsFrom(rows, next);
  }
}

std::vector<Segment> ReadSegments(const OutputPrint& print) {
  const PrintLayout& layout = LayoutOf(print);
  std::vector<Segment> segments;
  const std::string_view text = print.Text();
  const std::size_t heading = FindFramedHeading(text, layout.segments.headings[0].text);
  if (heading == OutputPrint::npos) return segments;
  const std::size_t first = print.FirstRow(heading, layout.segments.titleMark);
  if (first == OutputPrint::npos) throw print.Unreadable(PrintSection::Segments, heading);
  for (TextLine line = LineAt(text, first); !IsBlankLine(line.text); line = LineAfter(text, line)) {
    double v[12];
    std::size_t count = 0;
    for (std::size_t at = line.text.find_first_not_of(' '); at != std::string_view::npos && count <= 12;
         at = line.text.find_first_not_of(' ', at)) {
      const std::size_t end = std::min(line.text.find(' ', at), line.text.size());
      const std::optional<double> value = FieldNumber(line.text.substr(at, end - at));
      if (!value || count == 12) throw print.Unreadable(PrintSection::Segments, line.begin);
      v[count++] = *value;
      at = end;
    }
    if (count != 12 || v[0] != static_cast<double>(segments.size() + 1))
      throw print.Unreadable(PrintSection::Segments, line.begin);
    segments.push_back({v[1], v[2], v[3], v[4], v[5], v[6]});
    if (line.end >= text.size()) break;
  }
  return segments;
}

std::string RunReadLine(const OutputPrint& print) {
  if (print.RunNumber() <= 1) return {};
  std::string line =
      "Read at run " + std::to_string(print.RunNumber()) + " of " + std::to_string(print.RunCount());
  try {
    line += FormatReal(", %1.6g MHz", ReadFrequency(print));
  } catch (const PrintError&) {
    // The frequency's own reading says what is wrong with it.
  }
  return line + ", the run of the near-field table";
}

std::string PartReadLine(const NearFieldTable& table) {
  if (table.printedRows <= table.x.size()) return {};
  return "The near-field table holds " + std::to_string(table.printedRows) + " points; its first " +
         std::to_string(table.x.size()) + " were read";
}

}  // namespace varnel
