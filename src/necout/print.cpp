// The runs of an output text and the places of its sections; the rules are in print.hpp.
#include "necout/print.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "necout/lines.hpp"
#include "necout/whole.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

// The kinds of heading a run is built from, in the order the engine prints a run's tables.
enum Kind : int { kFeed = 0, kCurrents = 1, kPowerBudget = 2, kFrequency = 3 };

struct Heading {
  std::size_t line;  // zero-based position of the heading's line
  Kind kind;
};

constexpr TableHeading kFrequencyHeading{"FREQUENCY", HeadingForm::Framed};
constexpr TableHeading kPowerBudgetHeading{"POWER BUDGET", HeadingForm::Framed};

// A title line: it holds the text, the line above it is blank, the nearest line above that is
// not blank is no framed heading (a title line under a heading belongs to that heading), and the
// line below it holds the column mark.
bool IsTitleLineHeading(std::string_view text, const TextLine& line, std::string_view columnsMark) {
  if (!columnsMark.empty() && FindFolded(LineAfter(text, line).text, columnsMark) == std::string_view::npos)
    return false;
  std::size_t end = line.begin;
  bool blankAbove = false;
  while (end > 0) {
    const TextLine above =
        LineAt(text, end - 1 - (end >= 2 && text[end - 1] == '\n' && text[end - 2] == '\r'));
    if (!IsBlankLine(above.text)) return blankAbove && !IsFramedLine(above.text);
    blankAbove = true;
    end = above.begin;
  }
  return false;
}

bool IsHeading(std::string_view text, std::size_t at, const TableHeading& heading) {
  const TextLine line = LineAt(text, at);
  if (heading.form == HeadingForm::TitleLine) return IsTitleLineHeading(text, line, heading.columnsMark);
  const std::string_view framed = FramedText(line.text);
  return framed.data() == text.data() + at && EqualNoCase(framed, heading.text);
}

// The lines in [from, to) that are headings of the given form and text.
void CollectHeadings(std::string_view text, std::size_t from, std::size_t to, const TableHeading& heading,
                     Kind kind, std::vector<Heading>& found) {
  if (heading.text.empty()) return;
  const std::string_view range = text.substr(0, to);
  for (std::size_t at = FindFolded(range, heading.text, from); at != std::string_view::npos;
       at = FindFolded(range, heading.text, at + 1)) {
    if (IsHeading(text, at, heading)) found.push_back({LineAt(text, at).begin, kind});
  }
}

// The line of the first heading in [from, to); npos when there is none.
std::size_t FirstHeading(std::string_view text, std::size_t from, std::size_t to,
                         const TableHeading& heading) {
  if (heading.text.empty()) return std::string_view::npos;
  const std::string_view range = text.substr(0, to);
  for (std::size_t at = FindFolded(range, heading.text, from); at != std::string_view::npos;
       at = FindFolded(range, heading.text, at + 1)) {
    if (IsHeading(text, at, heading)) return LineAt(text, at).begin;
  }
  return std::string_view::npos;
}

std::vector<Heading> HeadingsIn(std::string_view text, const PrintLayout& layout, std::size_t from,
                                std::size_t to) {
  std::vector<Heading> found;
  CollectHeadings(text, from, to, kFrequencyHeading, kFrequency, found);
  CollectHeadings(text, from, to, kPowerBudgetHeading, kPowerBudget, found);
  for (const TableHeading& h : layout.feed.headings) CollectHeadings(text, from, to, h, kFeed, found);
  for (const TableHeading& h : layout.currents.headings) CollectHeadings(text, from, to, h, kCurrents, found);
  std::sort(found.begin(), found.end(), [](const Heading& a, const Heading& b) { return a.line < b.line; });
  return found;
}

// Builds the runs heading by heading: the run being built, its number and the kind of its last
// table.
struct RunBuilder {
  OutputPrint::Run run;
  std::size_t count = 0;
  int last = -1;

  // False when the heading begins a run after the first `stopAfter` runs (the heading is then
  // not taken).
  bool Take(const Heading& h, std::size_t stopAfter) {
    const bool begins = h.kind == kFrequency || count == 0 || last >= h.kind;
    if (begins && count == stopAfter) return false;
    if (begins) {
      const std::size_t frequency = h.kind == kFrequency ? h.line : run.frequency;
      run = OutputPrint::Run{};
      run.frequency = frequency;
      ++count;
      last = -1;
    }
    switch (h.kind) {
      case kFeed:
        run.feed = h.line;
        break;
      case kCurrents:
        run.currents = h.line;
        break;
      case kPowerBudget:
        run.powerBudget = h.line;
        break;
      case kFrequency:
        break;
    }
    if (h.kind != kFrequency) last = h.kind;
    return true;
  }
};

}  // namespace

std::string_view SectionName(PrintSection section) {
  switch (section) {
    case PrintSection::Frequency:
      return "frequency line";
    case PrintSection::InputPower:
      return "input-power line";
    case PrintSection::Feed:
      return "feed-point table";
    case PrintSection::Currents:
      return "current table";
    case PrintSection::NearField:
      return "near-field table";
    case PrintSection::Segments:
      return "segmentation table";
  }
  return {};
}

PrintError::PrintError(std::string problem, std::string file, PrintFault fault, std::string lead)
    : VarnelError(lead + file + problem), problem(std::move(problem)), fault(fault), lead(std::move(lead)) {}

OutputPrint::OutputPrint(std::string_view text) : text_(text) {
  const Banner banner = BannerOf(text);
  bannerName_ = banner.name;
  bannerFound_ = banner.found;
  layout_ = RecognizeLayout(text);
  if (layout_ == nullptr) return;
  headingsFrom_ = HeadingsStart(text);
  // The first table of either kind; the second kind is searched only before the first one's
  // table, so a large table is not searched through.
  const std::size_t electric = FirstHeading(text, headingsFrom_, text.size(), layout_->nearField.electric);
  const std::size_t magnetic = FirstHeading(text, headingsFrom_, electric == npos ? text.size() : electric,
                                            layout_->nearField.magnetic);
  magnetic_ = magnetic != npos;
  nearField_ = magnetic_ ? magnetic : electric;

  RunBuilder builder;
  const std::size_t end = nearField_ == npos ? text.size() : nearField_;
  // Without a near-field table the first run is read.
  const std::size_t stopAfter = nearField_ == npos ? 1 : npos;
  const std::vector<Heading> headings = HeadingsIn(text, *layout_, headingsFrom_, end);
  for (const Heading& h : headings)
    if (!builder.Take(h, stopAfter)) break;
  run_ = builder.run;
  runNumber_ = builder.count;
  structureEnd_ = headings.empty() ? std::min(end, text.size()) : headings.front().line;
}

std::size_t OutputPrint::RunCount() const {
  if (!runCount_) {
    RunBuilder builder;
    if (layout_ != nullptr)
      for (const Heading& h : HeadingsIn(text_, *layout_, headingsFrom_, text_.size())) builder.Take(h, npos);
    runCount_ = builder.count;
  }
  return *runCount_;
}

bool OutputPrint::Complete() const { return OutlineOf(*this).Whole(); }

std::size_t LineNumberAt(std::string_view text, std::size_t at) {
  at = std::min(at, text.size());
  const char* const begin = text.data();
  // Each LF ends a line, and each CR that no LF follows.
  std::size_t lines = 1 + static_cast<std::size_t>(std::count(begin, begin + at, '\n'));
  for (const char* cr = begin; (cr = static_cast<const char*>(std::memchr(cr, '\r', at - (cr - begin))));) {
    if (static_cast<std::size_t>(cr + 1 - begin) >= text.size() || cr[1] != '\n') ++lines;
    if (static_cast<std::size_t>(++cr - begin) >= at) break;
  }
  return lines;
}

std::size_t OutputPrint::LineNumber(std::size_t at) const { return LineNumberAt(text_, at); }

PrintError OutputPrint::Unreadable(PrintSection section, std::size_t at) const {
  return PrintError(": the " + std::string(SectionName(section)) + " at line " +
                    std::to_string(LineNumber(at)) + " is not in a form Varnel reads");
}

PrintError OutputPrint::Missing(PrintSection section) {
  return PrintError(" holds no " + std::string(SectionName(section)));
}

std::optional<PrintError> OutputPrint::Unknown() const {
  if (layout_ != nullptr) return std::nullopt;
  if (bannerName_.empty())
    return PrintError(": not a print of an engine Varnel knows how to read", "The text",
                      PrintFault::UnknownEngine);
  return PrintError(": a print of " + std::string(bannerName_) + ", which Varnel does not know how to read",
                    "The text", PrintFault::UnknownEngine);
}

PrintError OutputPrint::Incomplete() {
  return PrintError(": the output is incomplete (the engine did not reach its end)", "The text",
                    PrintFault::Incomplete);
}

std::optional<PrintError> OutputPrint::EngineStop() const {
  constexpr int kLinesSearched = 10;
  std::string_view error;
  std::size_t end = text_.size();
  for (int lines = 0; end > 0 && lines < kLinesSearched;) {
    const TextLine line = LineAt(text_, end - 1);
    end = line.begin;
    if (IsBlankLine(line.text)) continue;
    ++lines;
    if (line.text.find("ERROR") != std::string_view::npos ||
        line.text.find("FAULT") != std::string_view::npos)
      error = line.text;
  }
  if (error.empty()) return std::nullopt;
  const std::size_t first = error.find_first_not_of(" *"), last = error.find_last_not_of(' ');
  return PrintError(": the engine stopped with " + std::string(error.substr(first, last + 1 - first)),
                    "The text", PrintFault::EngineError);
}

std::optional<PrintError> OutputPrint::NotWhole() const {
  if (std::optional<PrintError> unknown = Unknown()) return unknown;
  const PrintOutline outline = OutlineOf(*this);
  if (outline.Whole()) return std::nullopt;
  // Read as text, a file whose lines end in CR alone is one line (a lone CR ends none).
  if (text_.size() > 256 && text_.find('\n') == std::string_view::npos)
    return PrintError(": the file has no line ends Varnel reads (its lines end in CR alone)", "The text",
                      PrintFault::Incomplete);
  if (outline.shortTableLine != 0)
    return PrintError(": the near-field table at line " + std::to_string(outline.shortTableLine) + " holds " +
                          std::to_string(outline.shortTableRows) + " of the " +
                          std::to_string(outline.shortTableAsked) +
                          " rows its card asks for (the output is incomplete)",
                      "The text", PrintFault::Incomplete);
  // A text without a banner is read as the classic print, but unfinished it is rather no print
  // at all (a deck, a foreign file).
  if (!bannerFound_)
    return PrintError(": not a NEC2 print (no banner, no closing line)", "The text",
                      PrintFault::UnknownEngine);
  return Incomplete();
}

std::size_t FirstRowBelow(std::string_view text, std::size_t heading, std::string_view titleMark) {
  TextLine line = LineAt(text, heading);
  for (int i = 0; i < 8 && line.end < text.size(); ++i) {
    line = LineAfter(text, line);
    if (IsFramedLine(line.text)) return OutputPrint::npos;
    if (FindFolded(line.text, titleMark) != std::string_view::npos) {
      const TextLine row = LineAfter(text, line);
      return row.begin < text.size() ? row.begin : OutputPrint::npos;
    }
  }
  return OutputPrint::npos;
}

std::size_t OutputPrint::FirstRow(std::size_t heading, std::string_view titleMark) const {
  return FirstRowBelow(text_, heading, titleMark);
}

std::optional<PrintError> WhyNotWhole(const OutputPrint& print) {
  std::optional<PrintError> problem = print.NotWhole();
  if (problem && problem->fault == PrintFault::Incomplete)
    if (std::optional<PrintError> stop = print.EngineStop()) return stop;
  return problem;
}

}  // namespace varnel
