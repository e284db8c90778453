#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <string_view>
#include <tuple>

#include "util/grow.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

TEST(TextSearch, FindTextFoldsOnlyAsciiLettersWithoutCaseSensitivityAndRespectsStart) {
  EXPECT_EQ(6u, FindText("near", "   LINEAR", 1, false));
  EXPECT_EQ(0u, FindText("near", "   LINEAR", 1, true));
  EXPECT_EQ(6u, FindText("NEAR", "   LINEAR", 6, true));
  EXPECT_EQ(0u, FindText("\xe4", "\xc4", 1, false)) << "bytes outside A-Z/a-z must match exactly";
  EXPECT_EQ(2u, FindText("[A]", "x[a]", 1, false));
  EXPECT_EQ(0u, FindText("{", "[", 1, false)) << "'{' and '[' differ by 32 but are not letters";
  // The start and its limits, with case and without.
  const std::tuple<const char*, const char*, long long, std::size_t> cases[] = {
      {"ab", "abab", 1, 1}, {"ab", "abab", 2, 3}, {"ab", "abab", 3, 3},  {"ab", "abab", 4, 0},
      {"ab", "abab", 5, 0}, {"ab", "abab", 0, 1}, {"ab", "abab", -7, 1}, {"", "abab", 1, 0},
      {"ab", "", 1, 0},     {"abc", "ab", 1, 0},  {"b", "abab", 4, 4},   {"abab", "abab", 1, 1},
  };
  for (const auto& [find, text, start, expected] : cases) {
    EXPECT_EQ(expected, FindText(find, text, start, true))
        << "FindText(\"" << find << "\", \"" << text << "\", " << start << ")";
    EXPECT_EQ(expected, FindText(find, text, start, false))
        << "case-insensitive FindText(\"" << find << "\", \"" << text << "\", " << start << ")";
  }
}

TEST(TextSearch, FindNthTextCountTextAndCharacterSearches) {
  EXPECT_EQ(3u, FindNthText("ab", "ababab", 2, 1, true));
  EXPECT_EQ(5u, FindNthText("ab", "ababab", 3, 1, true));
  EXPECT_EQ(0u, FindNthText("ab", "ababab", 4, 1, true));
  EXPECT_EQ(0u, FindNthText("ab", "ababab", 0, 1, true));
  EXPECT_EQ(0u, FindNthText("", "ababab", 1, 1, true));
  EXPECT_EQ(5u, FindNthText("ab", "ababab", 2, 2, true)) << "counted from start";
  EXPECT_EQ(3u, FindNthText("aa", "aaaa", 2, 1, true)) << "hits must not overlap";
  EXPECT_EQ(3u, FindNthText("AB", "ababab", 2, 1, false));
  // CountText counts them without case.
  EXPECT_EQ(3u, CountText("ab", "abABab"));
  EXPECT_EQ(2u, CountText("aa", "aaaaa"));
  EXPECT_EQ(0u, CountText("", "abc"));
  EXPECT_EQ(0u, CountText("x", ""));
  // Character searches.
  EXPECT_EQ(2u, FindChar('b', "abcb", 1));
  EXPECT_EQ(4u, FindChar('b', "abcb", 3));
  EXPECT_EQ(0u, FindChar('b', "abcb", 5));
  EXPECT_EQ(2u, FindChar('b', "abcb", -3));
  EXPECT_EQ(4u, FindCharBack('b', "abcb", 1));
  EXPECT_EQ(4u, FindCharBack('b', "abcb", -2));
  EXPECT_EQ(0u, FindCharBack('a', "abcb", 2)) << "the scan stops at start";
  EXPECT_EQ(1u, FindCharBack('a', "abcb", 0));
  EXPECT_EQ(0u, FindCharBack('a', "abcb", 5));
  EXPECT_EQ(0u, FindCharBack('a', "", 1));
  EXPECT_EQ(10, LastCharPos("dipol.v1a.out", '.'));  // 13 characters, the last '.' at 10
  EXPECT_EQ(-1, LastCharPos("dipol", '.'));
  EXPECT_EQ(-1, LastCharPos("", '.'));
}

// Every cut of "abcdef": CopyCount takes a count from an index, a negative index counted from the
// end; CopyRange takes an inclusive range; SafeCopy a count; the others one end.
TEST(TextCutting, EveryCutOfAText) {
  using Cut = std::string (*)(std::string_view, long long, long long);
  const Cut count = CopyCount, range = CopyRange, safe = SafeCopy;
  const Cut from = [](std::string_view t, long long n, long long) { return CopyFrom(t, n); };
  const Cut left = [](std::string_view t, long long n, long long) { return LeftText(t, n); };
  const Cut right = [](std::string_view t, long long n, long long) { return RightText(t, n); };
  const Cut dropL = [](std::string_view t, long long n, long long) { return DropLeft(t, n); };
  const Cut dropR = [](std::string_view t, long long n, long long) { return DropRight(t, n); };
  struct Case {
    Cut cut;
    long long a, b;
    const char* expected;
  };
  const Case cases[] = {
      {count, 1, 3, "abc"},     {count, 2, 2, "bc"},     {count, 4, 10, "def"}, {count, 6, 1, "f"},
      {count, 7, 1, ""},        {count, 0, 2, "ab"},     {count, -1, 1, "f"},   {count, -3, 2, "de"},
      {count, -6, 6, "abcdef"}, {count, -9, 2, "ab"},    {count, 2, -1, ""},    {count, 2, 0, ""},
      {range, 3, -1, "cdef"},   {range, 1, 6, "abcdef"}, {range, 2, 3, "bc"},   {range, 0, 2, "ab"},
      {range, -2, -1, "ef"},    {range, 4, 99, "def"},   {range, 3, 2, ""},     {range, 7, 9, ""},
      {range, 1, 0, ""},        {range, -9, 1, "a"},     {range, -1, -2, ""},   {range, -7, -7, ""},
      {safe, -4, 2, "ab"},      {safe, 5, 100, "ef"},    {safe, 7, 1, ""},      {safe, 2, -1, ""},
      {from, 1, 0, "abcdef"},   {from, -5, 0, "abcdef"}, {from, 3, 0, "cdef"},  {from, 7, 0, ""},
      {left, 2, 0, "ab"},       {left, 9, 0, "abcdef"},  {left, -1, 0, ""},     {right, 2, 0, "ef"},
      {right, 6, 0, "abcdef"},  {dropL, 2, 0, "cdef"},   {dropL, 8, 0, ""},     {dropL, 0, 0, "abcdef"},
      {dropR, 2, 0, "abcd"},    {dropR, 6, 0, ""}};
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, c.cut("abcdef", c.a, c.b)) << "case " << &c - cases << ": " << c.a << ", " << c.b;
  EXPECT_EQ("", CopyCount("", 1, 1));
  EXPECT_EQ("", CopyRange("", 1, -1));
}

TEST(TextTrimReplaceSplit, TrimSetRemovesLeadingThenTrailingRuns) {
  std::string text = " \t\r\n value  x \r\n";
  TrimSet(text, ControlAndBlank());
  EXPECT_EQ("value  x", text);
  std::string onlySet = "  \r\n ";
  TrimSet(onlySet, ControlAndBlank());
  EXPECT_EQ("", onlySet);
  CharSet digits;
  for (char c = '0'; c <= '9'; ++c) digits.set(static_cast<unsigned char>(c));
  std::string number = "0012a3400";
  TrimSet(number, digits);
  EXPECT_EQ("a", number);
  std::string high = "\377a\377";
  TrimSet(high, ControlAndBlank());
  EXPECT_EQ("\377a\377", high) << "bytes above 127 are not in the set";
}

TEST(TextTrimReplaceSplit, ReplaceTextSplitPadLeftAndCommaToPoint) {
  EXPECT_EQ("   ", ReplaceText("  ", " ", "     ", true));  // five blanks become three
  std::string run(64, ' ');
  for (int pass = 0; pass < 6; ++pass) run = ReplaceText("  ", " ", run, true);
  EXPECT_EQ(" ", run) << "six passes turn 64 blanks into one";
  EXPECT_EQ("a.b.c", ReplaceText(",", ".", "a,b,c", true));
  EXPECT_EQ("xXx", ReplaceText("Ab", "X", "xAbx", true));
  EXPECT_EQ("xXxX", ReplaceText("ab", "X", "xAbxaB", false));
  EXPECT_EQ("xAbx", ReplaceText("ab", "X", "xAbx", true));
  EXPECT_EQ("abc", ReplaceText("", "X", "abc", true));
  EXPECT_EQ("ababab", ReplaceText("a", "ab", "aaa", true)) << "a replacement is not searched again";
  EXPECT_EQ("", ReplaceText("a", "b", "", true));
  EXPECT_EQ((TextList{"a", "", "b"}), SplitChar("a  b", ' '));
  EXPECT_EQ(TextList{}, SplitChar("", ' '));
  EXPECT_EQ(TextList{"ab"}, SplitChar("ab", ' '));
  EXPECT_EQ((TextList{"", "a", ""}), SplitChar(";a;", ';'));
  EXPECT_EQ((TextList{"1", "2", "3"}), SplitText("1<>2<>3", "<>"));
  EXPECT_EQ((TextList{"1", "", "x"}), SplitText("1<><>x", "<>"));
  EXPECT_EQ(TextList{"a<>b"}, SplitText("a<>b", ""));
  EXPECT_EQ((TextList{"A", "b"}), SplitText("AXb", "X"));
  EXPECT_EQ(TextList{"AXb"}, SplitText("AXb", "x")) << "the delimiter is compared with case";
  EXPECT_EQ("0007", PadLeft("7", 4, '0'));
  EXPECT_EQ("1234", PadLeft("1234", 4, '0'));
  EXPECT_EQ("12345", PadLeft("12345", 4, '0'));
  EXPECT_EQ("   ", PadLeft("", 3, ' '));
  EXPECT_EQ("1.5 -2.25E-003", CommaToPoint("1,5 -2,25E-003"));
  EXPECT_EQ("", CommaToPoint(""));
}

// Folds A-Z only, like the searches of the reader; a plain scan as the reference.
std::size_t NaiveFolded(std::string_view text, std::string_view key, std::size_t from) {
  for (std::size_t i = from; i + key.size() <= text.size(); ++i)
    if (EqualNoCase(text.substr(i, key.size()), key)) return i;
  return std::string_view::npos;
}

TEST(FindFolded, AgreesWithAPlainScanAtEveryOffset) {
  // Letters, their other case, the bytes one bit away from a letter ('@', '[', '`', '{'),
  // high bytes and line ends, at every position of texts longer and shorter than a word.
  const std::string alphabet = "nNeEaArR @[`{\r\n-\xce\xee\x80";
  std::uint32_t state = 12345;
  auto next = [&state] { return state = state * 1664525u + 1013904223u; };
  for (int round = 0; round < 3000; ++round) {
    std::string text(next() % 40, ' ');
    for (char& c : text) c = alphabet[next() % alphabet.size()];
    std::string key(1 + next() % 4, ' ');
    for (char& c : key) c = alphabet[next() % alphabet.size()];
    for (std::size_t from = 0; from <= text.size() + 1; ++from)
      ASSERT_EQ(NaiveFolded(text, key, from), FindFolded(text, key, from))
          << testing::PrintToString(text) << " key " << testing::PrintToString(key) << " from " << from;
  }
  EXPECT_EQ(3u, FindFolded("abcNEAR", "near"));
  EXPECT_EQ(std::string_view::npos, FindFolded("N\305AR", "near")) << "only A-Z fold";
  EXPECT_EQ(2u, FindFolded("ab", "", 2));
  EXPECT_EQ(std::string_view::npos, FindFolded("ab", "", 3));
}

// Which texts a window reads as UTF-8: the program's messages, never an 8-bit German text.
TEST(IsValidUtf8, TellsUtf8FromCodePageText) {
  for (const char* text : {"", "plain", "g\xC3\xBCltig", "\xE2\x82\xAC", "\xF0\x9F\x93\xA1"})
    EXPECT_TRUE(IsValidUtf8(text)) << testing::PrintToString(text);
  for (const char* text : {"g\xFCltig", "gr\xF6\xDF", "end \xC3", "\xE2\x82", "\x80", "\xF8\x88\x80\x80\x80"})
    EXPECT_FALSE(IsValidUtf8(text)) << testing::PrintToString(text);
}

TEST(ResizeForOverwrite, KeepsTheCharactersItHasWhenGrowingAndShrinking) {
  // From the short-string buffer to the heap and beyond a doubling, then back.
  std::string text = "abc";
  for (std::size_t size : {std::size_t{10}, std::size_t{100}, std::size_t{1} << 20, std::size_t{2}}) {
    const std::string before = text.substr(0, std::min(text.size(), size));
    ResizeForOverwrite(text, size);
    ASSERT_EQ(size, text.size());
    EXPECT_EQ(before, text.substr(0, before.size())) << size;
    text.replace(before.size(), size - before.size(), size - before.size(), 'x');  // as a read does
  }
  EXPECT_EQ("ab", text);
}

}  // namespace

}  // namespace varnel
