#pragma once
// The prints of the NEC2 engines Varnel reads, as data: one description per layout, in one
// table, and the one rule that tells a print's layout from its own banner and frequency line.
// The reading code (necout/print.hpp, necout/reader.hpp) is shared by every layout; nothing
// about a particular engine is written anywhere else.
//
// A layout says, for each quantity, where the engine prints it:
//   - the frequency and the input power: the label that begins their line (the frequency line
//     is the first line holding its label below the FREQUENCY heading; the input-power line the
//     first line that is not blank below the POWER BUDGET heading) and the field of the number,
//     counted from the label's first character;
//   - the feed-point, current and near-field tables: the heading that names the table (a line
//     framed by blanks and dashes, or, where an engine prints none, the table's own title line
//     standing below a blank line with its column line right below it), the mark held by the
//     title line right above the first row, and the columns of the numbers a row holds. A
//     layout names each table by one form only: where an engine frames its headings, the title
//     lines below them are never headings of their own.
// A field is a number right-aligned in its columns: blanks, then the number, whose last
// character stands in the field's last column. Where a layout separates its fields by commas,
// a ',' follows each field.
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace varnel {

// One-based columns of a field, both included.
struct Columns {
  int first = 0, last = 0;
  bool operator==(const Columns&) const = default;
};

// A line that begins (after blanks) with label; the number stands in the field that begins
// offset characters behind the label's first character and is width characters wide.
struct ScalarPlace {
  std::string_view label;
  int offset = 0, width = 0;
};

// How a table's heading line is told.
enum class HeadingForm {
  Framed,     // the line holds nothing but the text framed by blanks and dashes, a dash on each side
  TitleLine,  // the line holds the text, the line above it is blank, the line below holds columnsMark
};

struct TableHeading {
  std::string_view text;  // empty: no such heading
  HeadingForm form = HeadingForm::Framed;
  std::string_view columnsMark;  // of a title line: what the column line right below it holds
};

// Where a table stands: its heading (either of two), and the mark of the title line right above
// the first row, searched in the few lines below the heading.
struct TablePlace {
  std::array<TableHeading, 2> headings;
  std::string_view titleMark;
};

// The feed-point table ("ANTENNA INPUT PARAMETERS"): the nine numbers of a source row.
struct FeedPlace : TablePlace {
  // Voltage re/im, current re/im, impedance re/im, admittance re/im, power.
  std::array<Columns, 9> fields;
};

// The current table: the segment number and the four numbers of a segment's row.
struct CurrentPlace : TablePlace {
  Columns segment, real, imaginary, magnitude, phase;
};

// The near-field tables: rows of nine numbers apart by blanks (and commas, see commaRows). A
// table ends at a line shorter than two characters, at the text's end, or at a line that
// begins (after blanks) with the layout's end mark. Its field type is the nine characters from
// five behind "NEAR" in a framed heading, "ELECTRIC " or "MAGNETIC " under a title line.
struct NearFieldPlace {
  TableHeading electric, magnetic;
  std::string_view titleMark;
  std::string_view endMark;
};

struct PrintLayout {
  std::string_view name;  // as the Info pane and the messages name it ("nec2c")
  // Recognition: the names the banner may give in parentheses behind "NUMERICAL
  // ELECTROMAGNETICS CODE" (the banner's name begins with one, compared without case), whether
  // a banner without a name (or a text without a banner) is this layout's, and the label of the
  // frequency line.
  std::array<std::string_view, 4> bannerNames;
  bool unnamedBanner = false;
  ScalarPlace frequency, inputPower;
  FeedPlace feed;
  CurrentPlace currents;
  NearFieldPlace nearField;
  bool commaRows = false;  // every field of a table row is followed by ','
  // The segmentation table of the structure (printed once, before the runs): rows of blank-
  // separated numbers: segment, centre x y z (metres), length, orientation alpha beta
  // (degrees), radius, the segments before, itself and after, tag.
  TablePlace segments{{{{"SEGMENTATION DATA", HeadingForm::Framed}, {}}}, "ALPHA"};
  // The lines an engine ends a whole print with (its run time), as the last line that is not
  // blank begins after blanks.
  std::array<std::string_view, 2> closingLines;
};

// What the banner of a text says: whether it has one, and the name in its parentheses.
struct Banner {
  bool found = false;
  std::string_view name;  // "" when the banner names no engine
};
// The banner: the first line holding "NUMERICAL ELECTROMAGNETICS CODE" in the text before its
// first heading framed by dashes (the comments and the structure follow the banner).
Banner BannerOf(std::string_view text);

// Where the headings of a print can stand: behind the echo of the deck's comment cards, which
// may imitate any heading. When the text's first framed heading is COMMENTS, that is the first
// STRUCTURE SPECIFICATION heading behind it; otherwise (and without one) the text's start.
std::size_t HeadingsStart(std::string_view text);

// The number a field holds: blanks, then a number whose last character stands in the field's
// last column ('.' read as DecimalSeparator); nothing for anything else.
std::optional<double> FieldNumber(std::string_view field);
// The number of the field at the given columns of a row, with commaRows a ',' (or the row's end)
// behind it; nothing when the row is too short for it or the field holds no number.
std::optional<double> ColumnNumber(std::string_view row, const Columns& columns, bool commaRows);

// The layout of a print, from the layouts (in their order in layouts.cpp) whose banner names the
// banner holds and, when the text has a frequency line (a line beginning with "FREQUENCY" below
// the first FREQUENCY heading behind HeadingsStart), whose frequency label begins it: the first
// of them whose feed-point columns read the first source row of that run (the line below the
// first line holding the feed's title mark, before the run's POWER BUDGET heading); without such
// a row, the first whose commaRows says whether the text behind HeadingsStart holds a line ending
// in ','; else the first of them. A text without a banner is read as the classic print; nullptr
// when no layout fits (a banner naming an engine no layout knows).
const PrintLayout* RecognizeLayout(std::string_view text);

}  // namespace varnel
