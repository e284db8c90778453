// The layouts of the engines' prints; the rule is in layouts.hpp.
#include "necout/layouts.hpp"

#include <vector>

#include "necout/lines.hpp"
#include "necout/rows.hpp"
#include "util/errors.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

constexpr TableHeading Framed(std::string_view text) { return {text, HeadingForm::Framed}; }
constexpr TableHeading Title(std::string_view text, std::string_view columnsMark) {
  return {text, HeadingForm::TitleLine, columnsMark};
}

// Nine fields of `width` characters, the first beginning in column `first`, one every `step`.
constexpr std::array<Columns, 9> FeedFields(int first, int width, int step) {
  std::array<Columns, 9> fields{};
  for (int i = 0; i < 9; ++i) fields[i] = {first + step * i, first + step * i + width - 1};
  return fields;
}

constexpr TablePlace kFeedHeading{{Framed("ANTENNA INPUT PARAMETERS"), {}}, "(WATTS)"};
constexpr NearFieldPlace kNearField{Framed("NEAR ELECTRIC FIELDS"), Framed("NEAR MAGNETIC FIELDS"), "METERS"};

// The classic print: Fortran NEC-2 and NEC-2D, OpenNEC's onec, and the stand-in over nec2c.
// Numbers of twelve characters follow each other without a blank where a sign fills the first
// column. The current table's numbers stand in columns 51-60, 63-72, 75-84 and 88-93, each with
// the column before it for a sign.
constexpr PrintLayout kClassic{
    .name = "NEC-2",
    .bannerNames = {"NEC-2", "NEC2", "nec2c", "onec"},
    .unnamedBanner = true,
    .frequency = {"FREQUENCY=", 11, 10},
    .inputPower = {"INPUT POWER", 15, 11},
    .feed = {kFeedHeading, FeedFields(13, 12, 12)},
    .currents =
        {{{Framed("CURRENTS AND LOCATION"), {}}, "PHASE"}, {1, 6}, {50, 60}, {62, 72}, {74, 84}, {87, 93}},
    .nearField = kNearField,
    .closingLines = {"RUN TIME =", "TOTAL RUN TIME:"},  // the stand-in keeps nec2c's closing line
};

constexpr PrintLayout WithName(PrintLayout layout, std::string_view name,
                               std::array<std::string_view, 4> bannerNames) {
  layout.name = name;
  layout.bannerNames = bannerNames;
  layout.unnamedBanner = false;
  return layout;
}

// NEC-4: the classic print under its own banner (its current rows stand one line nearer the
// heading, which the title mark finds).
constexpr PrintLayout kNec4 = WithName(kClassic, "NEC-4", {"NEC-4", "NEC4"});

// NEC-5: the classic print with an element-and-node column before the feed's numbers (the
// numbers keep their columns) and the current table headed "Wire Currents".
constexpr PrintLayout kNec5 = [] {
  PrintLayout layout = WithName(kClassic, "NEC-5", {"NEC-5", "NEC5"});
  layout.currents = {
      {{Framed("Wire Currents"), {}}, "Phase"}, {1, 7}, {66, 77}, {79, 90}, {92, 103}, {106, 113}};
  return layout;
}();

// nec2c: "FREQUENCY : ", "INPUT POWER   =  " and tables directly under their headings; the
// feed's numbers one column to the left of the classic ones, the currents' three to the right;
// some builds end a near-field table with its compute time.
constexpr PrintLayout kNec2c{
    .name = "nec2c",
    .bannerNames = {"nec2c"},
    .frequency = {"FREQUENCY :", 12, 10},
    .inputPower = {"INPUT POWER", 16, 11},
    .feed = {kFeedHeading, FeedFields(12, 12, 12)},
    .currents =
        {{{Framed("CURRENTS AND LOCATION"), {}}, "PHASE"}, {1, 6}, {52, 63}, {64, 75}, {76, 87}, {88, 96}},
    .nearField = {kNearField.electric, kNearField.magnetic, kNearField.titleMark, "Near Field Compute Time"},
    .closingLines = {"TOTAL RUN TIME:", {}},
};

// nec2++ 1.0: the nec2c tables under "FREQUENCY=  ".
constexpr PrintLayout kNecPP10 = [] {
  PrintLayout layout = WithName(kNec2c, "nec2++ 1.0", {"nec2++"});
  layout.frequency = {"FREQUENCY=", 12, 10};
  return layout;
}();

// nec2++ 1.5 to 2.3, its default print: as 1.0 with the feed's numbers one column further left
// (a row may end in a blank).
constexpr PrintLayout kNecPP = [] {
  PrintLayout layout = kNecPP10;
  layout.name = "nec2++";
  layout.feed.fields = FeedFields(11, 12, 12);
  return layout;
}();

// nec2++'s CSV print (-c, 1.7 on): every field of a row followed by ',' and no table framed by a
// heading: each is named by its own title line and the column line below it.
constexpr PrintLayout kNecPPCsv = [] {
  PrintLayout layout = WithName(kNecPP, "nec2++ CSV", {"nec2++"});
  layout.feed.headings = {Title("VOLTAGE (VOLTS)", "REAL"), TableHeading{}};
  layout.feed.fields = FeedFields(12, 11, 12);
  layout.currents = {{{Title("- CURRENT (AMPS) -", "MAGN"), TableHeading{}}, "PHASE"},
                     {1, 5},
                     {52, 62},
                     {64, 74},
                     {76, 86},
                     {88, 95}};
  layout.nearField = {Title("- EX -", "MAGNITUDE"), Title("- HX -", "MAGNITUDE"), kNearField.titleMark, {}};
  layout.commaRows = true;
  return layout;
}();

// In the order they are tried: nec2c before the classic print, which also reads the stand-in's
// prints under nec2c's banner; of the nec2++ prints, which differ in their rows only, the one
// whose feed row reads (RecognizeLayout).
constexpr std::array<PrintLayout, 7> kLayouts = {kNec2c, kNecPP, kNecPPCsv, kNecPP10, kNec5, kNec4, kClassic};

// A banner name is named by a layout when it begins with one of the layout's names ("NEC-4.1"
// with "NEC-4"); a banner without a name (or no banner) by the layouts that read such prints.
bool NamesBanner(const PrintLayout& layout, std::string_view name) {
  for (std::string_view candidate : layout.bannerNames) {
    if (!candidate.empty() && EqualNoCase(name.substr(0, candidate.size()), candidate)) return true;
  }
  return name.empty() && layout.unnamedBanner;
}

bool ReadsFeedRow(const PrintLayout& layout, std::string_view row) {
  for (const Columns& field : layout.feed.fields)
    if (!ColumnNumber(row, field, layout.commaRows)) return false;
  return true;
}

// The first source row of the run whose FREQUENCY heading stands at frequency: the line below the
// first line holding titleMark before the run's POWER BUDGET heading; empty when there is none.
std::string_view FirstFeedRow(std::string_view text, std::size_t frequency, std::string_view titleMark) {
  const std::size_t budget = FindFramedHeading(text, "POWER BUDGET", frequency);
  const std::size_t mark = FindFolded(text.substr(0, budget == std::string_view::npos ? text.size() : budget),
                                      titleMark, frequency);
  if (mark == std::string_view::npos) return {};
  return LineAfter(text, LineAt(text, mark)).text;
}

bool HoldsLineEndingInComma(std::string_view text) {
  return text.find(",\r") != std::string_view::npos || text.find(",\n") != std::string_view::npos;
}

}  // namespace

Banner BannerOf(std::string_view text) {
  const std::string_view head = TextBeforeHeadings(text);
  const std::size_t at = FindFolded(head, kBannerWords);
  if (at == std::string_view::npos) return {};
  const TextLine line = LineAt(head, at);
  std::string_view rest = line.text.substr(at - line.begin + kBannerWords.size());
  const std::size_t open = rest.find_first_not_of(' ');
  if (open == std::string_view::npos || rest[open] != '(') return {true, {}};
  rest.remove_prefix(open + 1);
  return {true, rest.substr(0, rest.find(')'))};
}

std::size_t HeadingsStart(std::string_view text) {
  const std::size_t first = TextBeforeHeadings(text).size();
  if (first == text.size()) return 0;
  const TextLine heading = LineAt(text, first);
  if (!EqualNoCase(FramedText(heading.text), "COMMENTS")) return 0;
  const std::size_t structure = FindFramedHeading(text, "STRUCTURE SPECIFICATION", heading.end);
  return structure == std::string_view::npos ? 0 : structure;
}

std::optional<double> FieldNumber(std::string_view field) {
  if (field.empty() || field.back() == ' ') return std::nullopt;
  try {
    return rows_detail::FieldToReal(field);
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

std::optional<double> ColumnNumber(std::string_view row, const Columns& columns, bool commaRows) {
  const std::size_t first = static_cast<std::size_t>(columns.first - 1);
  const std::size_t last = static_cast<std::size_t>(columns.last);
  if (last > row.size()) return std::nullopt;
  if (commaRows && last < row.size() && row[last] != ',') return std::nullopt;
  return FieldNumber(row.substr(first, last - first));
}

const PrintLayout* RecognizeLayout(std::string_view text) {
  const Banner banner = BannerOf(text);
  const std::size_t from = HeadingsStart(text);
  const std::size_t frequency = FindFramedHeading(text, "FREQUENCY", from);
  std::string_view frequencyLine;  // from "FREQUENCY" on, the line below the first heading
  if (frequency != std::string_view::npos) frequencyLine = LabelLineBelow(text, frequency, "FREQUENCY");
  std::vector<const PrintLayout*> fitting;
  for (const PrintLayout& layout : kLayouts) {
    if (!NamesBanner(layout, banner.name)) continue;
    if (!frequencyLine.empty() &&
        !EqualNoCase(frequencyLine.substr(0, layout.frequency.label.size()), layout.frequency.label))
      continue;
    fitting.push_back(&layout);
  }
  if (fitting.size() <= 1) return fitting.empty() ? nullptr : fitting.front();
  // Layouts that differ in their rows only: the row of the print decides.
  const std::string_view row = frequency == std::string_view::npos
                                   ? std::string_view()
                                   : FirstFeedRow(text, frequency, fitting.front()->feed.titleMark);
  if (!row.empty()) {
    for (const PrintLayout* layout : fitting)
      if (ReadsFeedRow(*layout, row)) return layout;
  } else {
    const bool commas = HoldsLineEndingInComma(text.substr(from));
    for (const PrintLayout* layout : fitting)
      if (layout->commaRows == commas) return layout;
  }
  return fitting.front();
}

}  // namespace varnel
