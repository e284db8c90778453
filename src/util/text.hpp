#pragma once
// Text search and cutting with one-based positions, trimming, replacing, splitting.
// Texts are byte strings; position 1 is the first character; 0 means "not found".
// None of these operations fails: out-of-range positions give 0 or the empty text.
// Case-insensitive comparison folds only A-Z onto a-z.
#include <bitset>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

using TextList = std::vector<std::string>;
// A set of the 256 byte values, for TrimSet.
using CharSet = std::bitset<256>;
// The bytes 0 to 32: control characters and the blank.
CharSet ControlAndBlank();

// First occurrence of find at or after start (start < 1 counts as 1); 0 when text or find is
// empty, text is shorter than find, or start lies beyond the end.
std::size_t FindText(std::string_view find, std::string_view text, long long start, bool caseSensitive);
// The n-th non-overlapping occurrence counted from start; 0 when n < 1, find is empty, or
// fewer than n occurrences exist.
std::size_t FindNthText(std::string_view find, std::string_view text, long long n, long long start,
                        bool caseSensitive);
// Non-overlapping occurrences from position 1, case-insensitive.
std::size_t CountText(std::string_view find, std::string_view text);
// First position at or after start holding c; 0 when none.
std::size_t FindChar(char c, std::string_view text, long long start);
// Last position >= max(start, 1) holding c, scanning from the end; 0 for an empty text, a start
// beyond its end, or no hit.
std::size_t FindCharBack(char c, std::string_view text, long long start);
// Position of the last c, or -1 when c does not occur.
long long LastCharPos(std::string_view text, char c);

// True when text is well-formed UTF-8. The program's own messages are written in UTF-8, while
// file contents and names are 8-bit texts of the system's code page; a window shows a text as
// UTF-8 when it is well-formed and as the code page otherwise (an 8-bit German text is almost
// never well-formed UTF-8).
bool IsValidUtf8(std::string_view text);

// count characters from index; a negative index counts from the end (-1 = last character);
// an index below 1 counts as 1; the count is cut at the end.
std::string CopyCount(std::string_view text, long long index, long long count);
// Characters first..last inclusive; negative first or last count from the end.
std::string CopyRange(std::string_view text, long long first, long long last);
// From index to the end; an index below 2 gives the whole text.
std::string CopyFrom(std::string_view text, long long index);
std::string LeftText(std::string_view text, long long n);
std::string RightText(std::string_view text, long long n);
std::string DropLeft(std::string_view text, long long n);
std::string DropRight(std::string_view text, long long n);
// count characters from index (index < 1 counts as 1, count cut at the end); never fails.
std::string SafeCopy(std::string_view text, long long index, long long count);

// Removes the longest leading, then the longest trailing run of characters in set.
void TrimSet(std::string& text, const CharSet& set);
// The text without its leading and trailing runs of characters in set.
std::string_view Trimmed(std::string_view text, const CharSet& set);
// The set of the characters of chars.
CharSet CharsOf(std::string_view chars);
// Where the first character of text that is none of the few chars stands (npos: nowhere), as
// find_first_not_of, without a library search of the set for each character. The first of the
// chars (a blank, where runs of blanks are skipped) is tested alone before the others.
inline std::size_t FirstNotOf(std::string_view text, std::string_view chars) {
  if (chars.empty()) return text.empty() ? std::string_view::npos : 0;
  const char first = chars.front();
  const std::string_view others = chars.substr(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == first) continue;
    bool inSet = false;
    for (char c : others) inSet = inSet || c == text[i];
    if (!inSet) return i;
  }
  return std::string_view::npos;
}
// Every non-overlapping occurrence of find (left to right) replaced; an empty find or no
// occurrence returns the text unchanged.
std::string ReplaceText(std::string_view find, std::string_view replacement, std::string_view text,
                        bool caseSensitive);
// The pieces between delimiters (case-sensitive), empty pieces kept; an empty text gives no
// element; an empty delimiter gives the whole text as the one element.
TextList SplitText(std::string_view text, std::string_view delimiter);
TextList SplitChar(std::string_view text, char delimiter);

// How the lines of a text end. A text read from a file (TextOfFileBytes) has CR LF throughout or
// LF throughout, as the file has them; which one is told by its first LF: CR LF when a CR stands
// right before it, LF alone otherwise. A text without an LF counts as CR LF.
struct LineEnd {
  char mark;           // the byte a line's own characters stop at: CR, or LF
  std::size_t length;  // the bytes of the line end: 2 or 1
  std::string_view Text() const { return length == 2 ? "\r\n" : "\n"; }
};
inline constexpr LineEnd kCrLfLineEnd{'\r', 2}, kLfLineEnd{'\n', 1};
LineEnd LineEndOf(std::string_view text);

// The text with c put in front until it has length characters; a longer text unchanged.
std::string PadLeft(std::string_view text, std::size_t length, char c);
// Every ',' replaced by '.'.
std::string CommaToPoint(std::string_view text);
// A-Z onto a-z; every other byte unchanged. The one case folding of the program: names of the
// Windows picture, keywords of the output files.
inline char FoldLetter(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
// a-z onto A-Z, every other byte unchanged: the key of a Windows name, an extension in a message.
inline char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
// True when the texts are equal with the ASCII letters compared without case (the Windows
// picture of file names).
bool EqualNoCase(std::string_view a, std::string_view b);
// Zero-based position of the first occurrence of key in text at or after from, with only the
// letters A-Z folded onto a-z (every other byte compares exactly); npos when there is none.
// An empty key is found at from. Reads the text a word at a time: several bytes per step.
std::size_t FindFolded(std::string_view text, std::string_view key, std::size_t from = 0);

}  // namespace varnel
