// Lines and headings of an output text; the rules are in lines.hpp.
#include "necout/lines.hpp"

#include <algorithm>

#include "util/text.hpp"

namespace varnel {

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsFrame(char c) { return c == ' ' || c == '-'; }

}  // namespace

TextLine LineAt(std::string_view text, std::size_t at) {
  at = std::min(at, text.size());
  std::size_t begin = at, end = at;
  while (begin > 0 && !IsLineEnd(text[begin - 1])) --begin;
  while (end < text.size() && !IsLineEnd(text[end])) ++end;
  return {begin, end, text.substr(begin, end - begin)};
}

TextLine LineAfter(std::string_view text, const TextLine& line) {
  std::size_t next = line.end;
  if (next < text.size() && text[next] == '\r') ++next;
  if (next < text.size() && text[next] == '\n') ++next;
  if (next >= text.size()) return {text.size(), text.size(), {}};
  return LineAt(text, next);
}

bool IsBlankLine(std::string_view line) { return FirstNotOf(line, " \t") == std::string_view::npos; }

std::string_view FramedText(std::string_view line) {
  std::size_t first = 0, last = line.size();
  while (first < last && IsFrame(line[first])) ++first;
  while (last > first && IsFrame(line[last - 1])) --last;
  if (first == last) return {};
  const std::string_view heading = line.substr(first, last - first);
  if (line.substr(0, first).find('-') == std::string_view::npos ||
      line.substr(last).find('-') == std::string_view::npos || heading.find('-') != std::string_view::npos)
    return {};
  return heading;
}

bool IsFramedLine(std::string_view line) { return !FramedText(line).empty(); }

std::size_t FindFramedHeading(std::string_view text, std::string_view heading, std::size_t from) {
  for (std::size_t at = FindFolded(text, heading, from); at != std::string_view::npos;
       at = FindFolded(text, heading, at + 1)) {
    const TextLine line = LineAt(text, at);
    const std::string_view framed = FramedText(line.text);
    if (framed.data() == text.data() + at && EqualNoCase(framed, heading)) return line.begin;
  }
  return std::string_view::npos;
}

std::string_view TextBeforeHeadings(std::string_view text) {
  for (std::size_t dash = text.find('-'); dash != std::string_view::npos; dash = text.find('-', dash + 1)) {
    const TextLine line = LineAt(text, dash);
    if (IsFramedLine(line.text)) return text.substr(0, line.begin);
    dash = line.end;
  }
  return text;
}

std::string_view LabelLineBelow(std::string_view text, std::size_t at, std::string_view label, int within) {
  TextLine line = LineAt(text, at);
  for (int i = 0; i < within && line.end < text.size(); ++i) {
    line = LineAfter(text, line);
    const std::size_t first = line.text.find_first_not_of(' ');
    if (first == std::string_view::npos) continue;
    const std::string_view rest = line.text.substr(first);
    if (EqualNoCase(rest.substr(0, label.size()), label)) return rest;
  }
  return {};
}

}  // namespace varnel
