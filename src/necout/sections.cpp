// Anchored section keywords; the rule is in sections.hpp.
#include "necout/sections.hpp"

#include <algorithm>
#include <initializer_list>

#include "util/text.hpp"

namespace varnel {

namespace {

bool SameFolded(std::string_view a, std::string_view b) { return EqualNoCase(a, b); }

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsFrame(char c) { return c == ' ' || c == '-'; }

// The line that holds the zero-based position: from behind the last CR or LF before it up to
// the next CR or LF (or the text's ends).
struct Line {
  std::size_t begin, end;  // zero-based, end exclusive
};

Line LineAround(std::string_view text, std::size_t at) {
  std::size_t begin = at;
  while (begin > 0 && !IsLineEnd(text[begin - 1])) --begin;
  std::size_t end = at;
  while (end < text.size() && !IsLineEnd(text[end])) ++end;
  return {begin, end};
}

// True when the line is one of the headings framed by blanks and dashes, with a dash on each
// side; the heading must begin at the zero-based offset `headingStart` of the line.
bool IsFramedHeading(std::string_view line, std::size_t headingStart,
                     std::initializer_list<std::string_view> headings) {
  std::size_t first = 0, last = line.size();
  while (first < last && IsFrame(line[first])) ++first;
  while (last > first && IsFrame(line[last - 1])) --last;
  if (first != headingStart) return false;
  const std::string_view before = line.substr(0, first), after = line.substr(last);
  if (before.find('-') == std::string_view::npos || after.find('-') == std::string_view::npos) return false;
  const std::string_view heading = line.substr(first, last - first);
  return std::any_of(headings.begin(), headings.end(), [&](std::string_view h) { return SameFolded(heading, h); });
}

// The power budget's first line: only blanks before the keyword, and the nearest line above
// that is not blank is the framed "POWER BUDGET" heading.
bool IsPowerBudgetLine(std::string_view text, const Line& line, std::size_t at) {
  if (text.substr(line.begin, at - line.begin).find_first_not_of(' ') != std::string_view::npos) return false;
  std::size_t end = line.begin;  // walks back line by line; end is the previous line's end
  while (end > 0) {
    --end;  // onto the line end in front
    if (text[end] == '\n' && end > 0 && text[end - 1] == '\r') --end;
    std::size_t begin = end;
    while (begin > 0 && !IsLineEnd(text[begin - 1])) --begin;
    const std::string_view previous = text.substr(begin, end - begin);
    if (previous.find_first_not_of(' ') != std::string_view::npos)
      return IsFramedHeading(previous, previous.find_first_not_of(" -"), {"POWER BUDGET"});
    end = begin;
  }
  return false;
}

bool IsAnchored(std::string_view text, std::size_t at, OutputSection section) {
  const Line line = LineAround(text, at);
  const std::string_view lineText = text.substr(line.begin, line.end - line.begin);
  const std::size_t offset = at - line.begin;
  switch (section) {
    case OutputSection::Frequency: return IsFramedHeading(lineText, offset, {"FREQUENCY"});
    case OutputSection::InputPower: return IsPowerBudgetLine(text, line, at);
    case OutputSection::AntennaInput: return IsFramedHeading(lineText, offset, {"ANTENNA INPUT PARAMETERS"});
    case OutputSection::Currents: return IsFramedHeading(lineText, offset, {"CURRENTS AND LOCATION"});
    case OutputSection::NearField:
      return IsFramedHeading(lineText, offset, {"NEAR ELECTRIC FIELDS", "NEAR MAGNETIC FIELDS"});
  }
  return false;
}

}  // namespace

std::string_view SectionKeyword(OutputSection section) {
  switch (section) {
    case OutputSection::Frequency: return "FREQUENCY";
    case OutputSection::InputPower: return "INPUT POWER";
    case OutputSection::AntennaInput: return "ANTENNA INPUT";
    case OutputSection::Currents: return "CURRENTS AND LOCATION";
    case OutputSection::NearField: return "NEAR";
  }
  return {};
}

std::size_t FindSection(std::string_view text, OutputSection section) {
  const std::string_view keyword = SectionKeyword(section);
  std::size_t first = 0;  // one-based; 0 while none was seen
  for (std::size_t at = FindFolded(text, keyword); at != std::string_view::npos; at = FindFolded(text, keyword, at + 1)) {
    if (first == 0) first = at + 1;
    if (IsAnchored(text, at, section)) return at + 1;
  }
  return first;
}

}  // namespace varnel
