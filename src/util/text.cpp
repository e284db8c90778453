// Text search and cutting with one-based positions. Every operation clamps its positions
// itself, so no argument can make it read outside the text.
#include "util/text.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace varnel {

namespace {

long long Length(std::string_view text) { return static_cast<long long>(text.size()); }

// The characters first..last (one-based, inclusive), both already inside the text.
std::string Slice(std::string_view text, long long first, long long last) {
  return std::string(
      text.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1)));
}

}  // namespace

CharSet ControlAndBlank() {
  CharSet set;
  for (int c = 0; c <= 32; ++c) set.set(static_cast<std::size_t>(c));
  return set;
}

std::size_t FindText(std::string_view find, std::string_view text, long long start, bool caseSensitive) {
  if (text.empty() || find.empty() || text.size() < find.size() || start > Length(text)) return 0;
  if (start < 1) start = 1;
  std::size_t lastCandidate = text.size() - find.size();  // zero-based
  if (caseSensitive) {
    std::size_t hit = text.find(find, static_cast<std::size_t>(start - 1));
    return hit == std::string_view::npos ? 0 : hit + 1;
  }
  const std::size_t hit = FindFolded(text, find, static_cast<std::size_t>(start - 1));
  return hit == std::string_view::npos || hit > lastCandidate ? 0 : hit + 1;
}

std::size_t FindNthText(std::string_view find, std::string_view text, long long n, long long start,
                        bool caseSensitive) {
  if (n < 1 || find.empty()) return 0;
  std::size_t position = 0;
  for (long long hit = 0; hit < n; ++hit) {
    position = FindText(find, text, start, caseSensitive);
    if (position == 0) return 0;
    start = static_cast<long long>(position + find.size());
  }
  return position;
}

std::size_t CountText(std::string_view find, std::string_view text) {
  if (find.empty()) return 0;
  std::size_t count = 0;
  long long start = 1;
  while (std::size_t position = FindText(find, text, start, false)) {
    ++count;
    start = static_cast<long long>(position + find.size());
  }
  return count;
}

std::size_t FindChar(char c, std::string_view text, long long start) {
  if (start < 1) start = 1;
  if (start > Length(text)) return 0;
  std::size_t hit = text.find(c, static_cast<std::size_t>(start - 1));
  return hit == std::string_view::npos ? 0 : hit + 1;
}

std::size_t FindCharBack(char c, std::string_view text, long long start) {
  if (text.empty() || start > Length(text)) return 0;
  std::size_t lowest = static_cast<std::size_t>(std::max(start, 1LL));
  for (std::size_t position = text.size(); position >= lowest; --position)
    if (text[position - 1] == c) return position;
  return 0;
}

long long LastCharPos(std::string_view text, char c) {
  std::size_t hit = text.rfind(c);
  return hit == std::string_view::npos ? -1 : static_cast<long long>(hit + 1);
}

std::string CopyCount(std::string_view text, long long index, long long count) {
  long long length = Length(text);
  if (index < 0) index = length + index + 1;
  if (text.empty() || count < 0 || index > length) return {};
  if (index < 1) index = 1;
  count = std::min(count, length - index + 1);
  if (count <= 0) return {};
  return Slice(text, index, index + count - 1);
}

std::string CopyRange(std::string_view text, long long first, long long last) {
  long long length = Length(text);
  if (first < 0) first = length + first + 1;
  if (last < 0) last = length + last + 1;
  if (text.empty() || last <= 0 || first > length || last < first) return {};
  last = std::min(last, length);
  first = std::max(first, 1LL);
  return Slice(text, first, last);
}

std::string CopyFrom(std::string_view text, long long index) {
  if (index < 2) return std::string(text);
  if (index > Length(text)) return {};
  return std::string(text.substr(static_cast<std::size_t>(index - 1)));
}

std::string LeftText(std::string_view text, long long n) {
  if (n <= 0) return {};
  if (n >= Length(text)) return std::string(text);
  return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string RightText(std::string_view text, long long n) {
  if (n <= 0) return {};
  if (n >= Length(text)) return std::string(text);
  return std::string(text.substr(text.size() - static_cast<std::size_t>(n)));
}

std::string DropLeft(std::string_view text, long long n) {
  if (n <= 0) return std::string(text);
  if (n >= Length(text)) return {};
  return std::string(text.substr(static_cast<std::size_t>(n)));
}

std::string DropRight(std::string_view text, long long n) {
  if (n <= 0) return std::string(text);
  if (n >= Length(text)) return {};
  return std::string(text.substr(0, text.size() - static_cast<std::size_t>(n)));
}

std::string SafeCopy(std::string_view text, long long index, long long count) {
  long long length = Length(text);
  if (index < 1) index = 1;
  if (count <= 0 || index > length) return {};
  count = std::min(count, length - index + 1);
  return Slice(text, index, index + count - 1);
}

std::string_view Trimmed(std::string_view text, const CharSet& set) {
  auto inSet = [&](char c) { return set.test(static_cast<unsigned char>(c)); };
  std::size_t first = 0;
  while (first < text.size() && inSet(text[first])) ++first;
  std::size_t end = text.size();
  while (end > first && inSet(text[end - 1])) --end;
  return text.substr(first, end - first);
}

void TrimSet(std::string& text, const CharSet& set) { text = std::string(Trimmed(text, set)); }

CharSet CharsOf(std::string_view chars) {
  CharSet set;
  for (char c : chars) set.set(static_cast<unsigned char>(c));
  return set;
}

std::string ReplaceText(std::string_view find, std::string_view replacement, std::string_view text,
                        bool caseSensitive) {
  std::string result;
  std::size_t copied = 0;  // zero-based end of the part already copied
  if (!find.empty()) {
    while (std::size_t position = FindText(find, text, static_cast<long long>(copied) + 1, caseSensitive)) {
      result.append(text.substr(copied, position - 1 - copied));
      result.append(replacement);
      copied = position - 1 + find.size();
    }
  }
  result.append(text.substr(copied));
  return result;
}

TextList SplitText(std::string_view text, std::string_view delimiter) {
  TextList pieces;
  if (text.empty()) return pieces;
  if (delimiter.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t begin = 0;
  for (std::size_t hit; (hit = text.find(delimiter, begin)) != std::string_view::npos;
       begin = hit + delimiter.size())
    pieces.emplace_back(text.substr(begin, hit - begin));
  pieces.emplace_back(text.substr(begin));
  return pieces;
}

TextList SplitChar(std::string_view text, char delimiter) {
  return SplitText(text, std::string_view(&delimiter, 1));
}

LineEnd LineEndOf(std::string_view text) {
  const std::size_t lf = text.find('\n');
  return lf == std::string_view::npos || (lf > 0 && text[lf - 1] == '\r') ? kCrLfLineEnd : kLfLineEnd;
}

std::string PadLeft(std::string_view text, std::size_t length, char c) {
  std::string result;
  if (text.size() < length) result.assign(length - text.size(), c);
  result.append(text);
  return result;
}

std::string CommaToPoint(std::string_view text) {
  std::string result(text);
  std::replace(result.begin(), result.end(), ',', '.');
  return result;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldLetter(a[i]) != FoldLetter(b[i])) return false;
  return true;
}

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool MatchesFolded(const char* at, std::string_view key) {
  for (std::size_t i = 0; i < key.size(); ++i)
    if (FoldLetter(at[i]) != FoldLetter(key[i])) return false;
  return true;
}

// The bytes that fold onto c: a letter matches both its cases (setting bit 0x20 maps exactly
// those two onto the lower case), any other byte only itself.
struct ByteTest {
  unsigned char orBits, folded;
  explicit ByteTest(char c)
      : orBits(IsLetter(c) ? 0x20 : 0), folded(static_cast<unsigned char>(IsLetter(c) ? FoldLetter(c) : c)) {}
};

}  // namespace

std::size_t FindFolded(std::string_view text, std::string_view key, std::size_t from) {
  if (from > text.size() || text.size() - from < key.size()) return std::string_view::npos;
  if (key.empty()) return from;
  const unsigned char* data = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t last = text.size() - key.size();  // last possible start
  std::size_t i = from;
  const ByteTest first(key[0]);
  if (key.size() >= 2) {
    const ByteTest second(key[1]);
#if defined(__SSE2__) || defined(_M_X64)
    // Sixteen candidate starts at once: the bits of those where the first two key bytes match
    // side by side. The second load ends at i + 16, which lies in the text while i + 15 is a
    // possible start (the key is at least two bytes long).
    const __m128i firstOr = _mm_set1_epi8(static_cast<char>(first.orBits));
    const __m128i firstWant = _mm_set1_epi8(static_cast<char>(first.folded));
    const __m128i secondOr = _mm_set1_epi8(static_cast<char>(second.orBits));
    const __m128i secondWant = _mm_set1_epi8(static_cast<char>(second.folded));
    for (; i + 16 <= last + 1; i += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 1));
      auto candidates = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, firstOr), firstWant),
                                          _mm_cmpeq_epi8(_mm_or_si128(b, secondOr), secondWant))));
      for (; candidates != 0; candidates &= candidates - 1) {
        const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(candidates));
        if (MatchesFolded(text.data() + at, key)) return at;
      }
    }
#else
    // Blocks of candidate starts in which the first two key bytes match side by side; the test
    // of a block has no branches, so the compiler can run it on several bytes at once.
    constexpr std::size_t kBlock = 64;
    while (i + kBlock <= last + 1) {
      unsigned char any = 0;
      for (std::size_t j = 0; j < kBlock; ++j)
        any |= static_cast<unsigned char>(((data[i + j] | first.orBits) == first.folded) &
                                          ((data[i + j + 1] | second.orBits) == second.folded));
      if (any != 0) {
        for (std::size_t j = 0; j < kBlock; ++j)
          if (MatchesFolded(text.data() + i + j, key)) return i + j;
      }
      i += kBlock;
    }
#endif
  }
  // The starts left over (a line is often shorter than a block): the first byte is tested
  // before the key is compared.
  for (; i <= last; ++i)
    if ((data[i] | first.orBits) == first.folded && MatchesFolded(text.data() + i, key)) return i;
  return std::string_view::npos;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t more;
    if (c < 0x80)
      more = 0;
    else if ((c >> 5) == 0x6)
      more = 1;
    else if ((c >> 4) == 0xE)
      more = 2;
    else if ((c >> 3) == 0x1E)
      more = 3;
    else
      return false;
    if (i + more >= n && more > 0) return false;
    for (std::size_t k = 1; k <= more; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
    }
    i += more + 1;
  }
  return true;
}

}  // namespace varnel
