#pragma once
// Lines of an output text as the print readers see them: a line ends at CR or LF; positions are
// zero-based. Headings are matched with only A-Z folded onto a-z.
#include <cstddef>
#include <string_view>

namespace varnel {

// The words of every engine's banner line, the line that begins a print (and, after an NX card,
// the next structure's print).
inline constexpr std::string_view kBannerWords = "NUMERICAL ELECTROMAGNETICS CODE";

struct TextLine {
  std::size_t begin = 0, end = 0;  // end: the line end (CR, LF) or the text's end
  std::string_view text;
};

// The line that holds the position.
TextLine LineAt(std::string_view text, std::size_t at);
// The line after the given one; an empty line at the text's end when there is none.
TextLine LineAfter(std::string_view text, const TextLine& line);
bool IsBlankLine(std::string_view line);

// True when the line holds a heading framed by blanks and dashes: a text without a dash, with a
// dash before it and one after it, and nothing else but blanks and dashes (a title line of dashed
// column groups, "---- LOCATION ----   ---- EX ----", is no heading).
bool IsFramedLine(std::string_view line);
// The heading text of a framed line ("FREQUENCY" of "---- FREQUENCY ----"); empty otherwise.
std::string_view FramedText(std::string_view line);

// Zero-based position of the first line at or after from whose framed heading is heading;
// npos when there is none.
std::size_t FindFramedHeading(std::string_view text, std::string_view heading, std::size_t from = 0);

// The text before the first framed line: the banner and whatever stands above the comments.
std::string_view TextBeforeHeadings(std::string_view text);

// Below the line that holds the position: the first of the next `within` lines whose text,
// after leading blanks, begins with label (compared without case); that text from the label
// on, or empty when none does.
std::string_view LabelLineBelow(std::string_view text, std::size_t at, std::string_view label,
                                int within = 3);

}  // namespace varnel
