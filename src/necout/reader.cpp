// The sections of a print (reader.hpp): the scalars, the feed-point row and the current rows
// taken at the columns of the print's layout and checked there, the near-field table of a print
// with its heading, its end and its printed length, and the lines that tell the Info pane which
// run and how much of the table was read. The rows of the table are read by ReadNearFieldRows
// (parts.cpp, rows.cpp).
#include "necout/reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
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

using rows_detail::TrimRow;

const double kSqrt2 = std::sqrt(2.0);

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

// The row of segment n in the run's current table (its line), or why the run prints none.
struct SegmentRow {
  std::size_t line = std::string_view::npos;
  std::optional<PrintError> absent;
};

// Why the table lists no segment n: the structure has fewer segments; a PT card printed some
// of them; without a segmentation table, the segments the table lists.
PrintError NotPrinted(const OutputPrint& print, int n, double firstListed, double lastListed) {
  std::size_t segments = 0;
  try {
    segments = ReadSegments(print).size();
  } catch (const PrintError&) {
    // Without a readable structure the table's rows are all there is to go by.
  }
  std::string why = Format(" (the current table lists segments %1.0f to %1.0f)", {firstListed, lastListed});
  if (segments > 0 && n >= 1 && static_cast<std::size_t>(n) <= segments)
    why = " (a PT card limits the current table)";
  else if (segments > 0)
    why = " (the structure has " + std::to_string(segments) + (segments == 1 ? " segment)" : " segments)");
  return PrintError(why, "The text", PrintFault::Section,
                    "Segment " + std::to_string(n) + " is not printed in ");
}

// The rows list a run of consecutive segments (all of them, or those a PT card chose): segment
// n stands n - s rows below the first row, s being that row's segment number, and a row there
// of another segment is refused.
SegmentRow FindSegmentRow(const OutputPrint& print, int n) {
  const PrintLayout& layout = LayoutOf(print);
  const std::size_t heading = print.ReadRun().currents;
  if (heading == OutputPrint::npos)
    return {std::string_view::npos, OutputPrint::Missing(PrintSection::Currents)};
  const std::string_view text = print.Text();
  const std::size_t first = print.FirstRow(heading, layout.currents.titleMark);
  if (first == std::string_view::npos) throw print.Unreadable(PrintSection::Currents, heading);
  const auto segmentOf = [&](std::size_t row) {
    const std::optional<double> segment =
        ColumnNumber(LineAt(text, row).text, layout.currents.segment, layout.commaRows);
    if (!segment) throw print.Unreadable(PrintSection::Currents, row);
    return *segment;
  };
  const double firstListed = segmentOf(first);
  const double place = n - firstListed + 1;
  const std::size_t row =
      place >= 1 && place <= n ? RowLine(text, first, static_cast<int>(place)) : std::string_view::npos;
  if (row != std::string_view::npos) {
    if (segmentOf(row) != n) throw print.Unreadable(PrintSection::Currents, row);
    return {row, std::nullopt};
  }
  std::size_t last = first;
  for (std::size_t next = first; next != std::string_view::npos; next = RowLine(text, next, 2)) last = next;
  return {std::string_view::npos, NotPrinted(print, n, firstListed, segmentOf(last))};
}

}  // namespace

double ReadFrequency(const OutputPrint& print) {
  const PrintLayout& layout = LayoutOf(print);
  const std::size_t heading = print.ReadRun().frequency;
  if (heading == OutputPrint::npos)
    throw WhyNotWhole(print).value_or(OutputPrint::Missing(PrintSection::Frequency));
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
  const SegmentRow found = FindSegmentRow(print, n);
  if (found.absent) return std::nan("");
  const std::string_view line = LineAt(print.Text(), found.line).text;
  const CurrentPlace& place = layout.currents;
  const std::optional<double> magnitude = ColumnNumber(line, place.magnitude, layout.commaRows);
  if (!magnitude || !ColumnNumber(line, place.real, layout.commaRows) ||
      !ColumnNumber(line, place.imaginary, layout.commaRows) ||
      !ColumnNumber(line, place.phase, layout.commaRows))
    throw print.Unreadable(PrintSection::Currents, found.line);
  return *magnitude;
}

std::optional<PrintError> SegmentCurrentAbsence(const OutputPrint& print, int n) {
  return FindSegmentRow(print, n).absent;
}

std::vector<PrintError> AbsentSections(const OutputPrint& print,
                                       std::initializer_list<PrintSection> sections) {
  LayoutOf(print);
  const OutputPrint::Run& run = print.ReadRun();
  std::vector<PrintError> absent;
  for (const PrintSection section : sections) {
    const std::size_t heading = section == PrintSection::Frequency    ? run.frequency
                                : section == PrintSection::InputPower ? run.powerBudget
                                : section == PrintSection::Feed       ? run.feed
                                : section == PrintSection::Currents   ? run.currents
                                                                      : print.NearField();
    if (heading == OutputPrint::npos) absent.push_back(OutputPrint::Missing(section));
  }
  return absent;
}

double ReadFrequency(const OutputText& text) { return ReadFrequency(OutputPrint(text)); }
double ReadInputPower(const OutputText& text) { return ReadInputPower(OutputPrint(text)); }
AntennaInput ReadAntennaInput(const OutputText& text) { return ReadAntennaInput(OutputPrint(text)); }
double ReadSegmentCurrent(const OutputText& text, int n) { return ReadSegmentCurrent(OutputPrint(text), n); }

void ReadNearField(const OutputText& text, int polarization, NearFieldTable& table) {
  ReadNearField(OutputPrint(text), polarization, table);
}

namespace {

// The end of the row that starts at position: its line end, or the text's end.
std::size_t RowEnd(std::string_view text, const LineEnd& lineEnd, std::size_t at) {
  if (at >= text.size()) return text.size();
  const void* hit = std::memchr(text.data() + at, lineEnd.mark, text.size() - at);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
}

// Where row `index` (from 0) of a table whose first row begins at first starts, walked as the
// row reading walks: each row ends at its line end and the next begins right behind it.
std::size_t RowStart(std::string_view text, const LineEnd& lineEnd, std::size_t first, std::size_t index) {
  std::size_t at = first;
  for (std::size_t row = 0; row < index && at < text.size(); ++row)
    at = std::min(text.size(), RowEnd(text, lineEnd, at) + lineEnd.length);
  return at;
}

// How many rows the table holds from the row at position on: lines up to the first one shorter
// than two characters once trimmed of bytes 0 to 32, or the text's end.
std::size_t RowsFrom(std::string_view text, const LineEnd& lineEnd, std::size_t at) {
  std::size_t rows = 0;
  while (at < text.size()) {
    const std::size_t end = RowEnd(text, lineEnd, at);
    if (TrimRow(text.substr(at, end - at)).size() < 2) break;
    ++rows;
    at = end + lineEnd.length;
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
  if (layout.nearField.electric.form == HeadingForm::Framed) {
    const std::size_t near = heading + FindFolded(LineAt(text, heading).text, "NEAR");
    table.fieldType = std::string(text.substr(near + 5, std::min<std::size_t>(9, text.size() - near - 5)));
  } else {
    table.fieldType = print.NearFieldIsMagnetic() ? "MAGNETIC " : "ELECTRIC ";
  }
  const std::size_t first = print.FirstRow(heading, layout.nearField.titleMark);
  if (first == std::string_view::npos) throw print.Unreadable(PrintSection::NearField, heading);
  const LineEnd lineEnd = LineEndOf(text);
  std::size_t next = std::string_view::npos;  // where the row after the last one read begins
  try {
    next = ReadNearFieldRows(text, first, polarization, table, parts, layout.commaRows);
  } catch (const ConversionError&) {
    // The line the rows failed at: the table's end where the layout ends it with a line of its
    // own, a row that is not in the layout's form otherwise.
    const std::size_t failed = RowStart(text, lineEnd, first, table.x.size());
    const std::string_view row = TrimRow(text.substr(failed, RowEnd(text, lineEnd, failed) - failed));
    const std::string_view endMark = layout.nearField.endMark;
    if (endMark.empty() || !EqualNoCase(row.substr(0, endMark.size()), endMark))
      throw print.Unreadable(PrintSection::NearField, failed);
  }
  table.printedRows = table.x.size();
  if (table.x.size() == MaxNearFieldRows) {
    if (next == std::string_view::npos) next = RowStart(text, lineEnd, first, MaxNearFieldRows);
    table.printedRows += RowsFrom(text, lineEnd, next);
  }
}

std::vector<Segment> ReadSegments(const OutputPrint& print) {
  const PrintLayout& layout = LayoutOf(print);
  std::vector<Segment> segments;
  const std::string_view text = print.Text();
  const std::size_t heading = FindFramedHeading(text.substr(0, print.StructureEnd()),
                                                layout.segments.headings[0].text, print.HeadingsFrom());
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

namespace {

std::string GridPoints(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " grid point" : " grid points");
}

}  // namespace

std::vector<std::string> NearFieldNotes(const NearFieldTable& table, int polarization,
                                        const std::string& file) {
  // A total peak above 1000 is a value above 1000 / sqrt 2: the values are the peaks over sqrt 2.
  const double limit = polarization == 0 ? 1000 / kSqrt2 : std::numeric_limits<double>::infinity();
  std::size_t flagged = 0;  // NaN or above the limit: a quick count first, mostly of none
  for (const double value : table.value) flagged += !(value <= limit);
  if (flagged == 0) return {};
  std::size_t marked = 0, above = 0, largest = 0;
  for (std::size_t i = 0; i < table.value.size(); ++i) {
    const double value = table.value[i];
    if (std::isnan(value)) {
      ++marked;
    } else if (value > limit) {
      if (above == 0 || value > table.value[largest]) largest = i;
      ++above;
    }
  }
  std::vector<std::string> notes;
  if (marked > 0)
    notes.push_back(GridPoints(marked) + " of " + file + (marked == 1 ? " is" : " are") +
                    " marked NaN by the engine and left out of the searches");
  if (above > 0)
    notes.push_back(
        GridPoints(above) + " above 1000 " + table.UnitText() + " peak in " + file +
        (above == 1 ? " is" : " are") + " taken as printed, not set to 0; the largest is " +
        Format("%1.0f " + table.UnitText() + " at (%1.6g|%1.6g|%1.6g)",
               {table.value[largest] * kSqrt2, table.x[largest], table.y[largest], table.z[largest]}));
  return notes;
}

}  // namespace varnel
