// Text-number conversion under DecimalSeparator, display texts, angle and logarithm helpers,
// lists of reals and points.
#include "util/numbers.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "util/decimal.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

[[noreturn]] void FailReal(std::string_view text) {
  throw ConversionError("'" + std::string(text) + "' ist kein gültiger Gleitkommawert");
}

[[noreturn]] void FailInt(std::string_view text) {
  throw ConversionError("'" + std::string(text) + "' ist kein gültiger Integerwert");
}

// The decimal order of magnitude of a normalized non-zero number text ("-12.5e-3" has order
// 2 - 3 = -1): positive for values of at least 1, so a value out of the double range is too
// large exactly when its order is positive. The exponent saturates, so no text overflows it.
long long DecimalOrder(std::string_view normalized) {
  std::size_t e = normalized.find('e');
  std::string_view mantissa = normalized.substr(0, e);
  std::size_t point = mantissa.find('.');
  if (point == std::string_view::npos) point = mantissa.size();
  std::size_t firstNonZero = mantissa.find_first_of("123456789");
  if (firstNonZero == std::string_view::npos) return 0;
  long long order = firstNonZero < point ? static_cast<long long>(point - firstNonZero)
                                         : -static_cast<long long>(firstNonZero - point - 1);
  if (e != std::string_view::npos) {
    std::size_t i = e + 1;
    bool negativeExponent = false;
    if (i < normalized.size() && (normalized[i] == '+' || normalized[i] == '-'))
      negativeExponent = normalized[i++] == '-';
    long long exponent = 0;
    for (; i < normalized.size(); ++i)
      exponent = std::min(exponent * 10 + (normalized[i] - '0'), 1000000000LL);
    order += negativeExponent ? -exponent : exponent;
  }
  return order;
}

}  // namespace

Point2D MakePoint2D(double x, double y) { return {x, y}; }
Point3D MakePoint3D(double x, double y, double z) { return {x, y, z}; }

std::string DecimalText(const char* begin, const char* end, char mark) {
  std::string text;
  text.reserve(static_cast<std::size_t>(end - begin) + 3);
  const char* p = begin;
  if (*p == '+' || *p == '-') {
    if (*p == '-') text += '-';
    ++p;
  }
  bool anyDigit = false, markSeen = false;
  for (; p < end; ++p) {
    if (IsDigit(*p)) {
      text += *p;
      anyDigit = true;
    } else if (*p == mark && !markSeen) {
      markSeen = true;
      if (!anyDigit) text += '0';
      text += '.';
    } else {
      break;
    }
  }
  // A run that is only the mark stands for zero.
  if (!anyDigit)
    text += '0';
  else if (text.back() == '.')
    text += '0';
  if (p < end) {
    text += 'e';
    text.append(p + 1, end);
  }
  return text;
}

// The form is scanned once; the common number then takes one exact operation, and any other
// goes through std::from_chars, which rounds correctly to the nearest double.
double TextToReal(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end && *p == ' ') ++p;
  const char separator = DecimalSeparator;
  DecimalParts parts;
  const char* const formStart = p;
  const char* const formEnd = ScanDecimal<false>(p, end, separator, separator, parts);
  if (!formEnd) FailReal(text);
  p = formEnd;
  while (p < end && *p == ' ') ++p;
  if (p != end) FailReal(text);

  double value = 0;
  if (ExactDecimal(parts, value)) return value;
  const std::string normalized = DecimalText(formStart, formEnd, separator);
  auto result = std::from_chars(normalized.data(), normalized.data() + normalized.size(), value,
                                std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small for a double: it becomes zero. Too large: refused, since an infinite
    // parameter would poison every later computation.
    if (DecimalOrder(normalized) > 0) FailReal(text);
    return parts.negative ? -0.0 : 0.0;
  }
  if (result.ec != std::errc() || result.ptr != normalized.data() + normalized.size()) FailReal(text);
  return value;
}

double TextToRealEitherMark(std::string_view text) {
  std::string marked(text);
  const char separator = DecimalSeparator.load();
  for (char& c : marked)
    if (c == ',' || c == '.') c = separator;
  try {
    return TextToReal(marked);
  } catch (const ConversionError&) {
    return TextToReal(text);  // the message names the text as written
  }
}

std::int32_t TextToInt(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == n) FailInt(text);
  // Accumulates the magnitude; anything above 2^31 cannot fit and fails at once, which also
  // keeps arbitrarily long digit runs from overflowing.
  constexpr long long kLimit = 2147483648LL;
  long long magnitude = 0;
  for (; i < n; ++i) {
    int digit = base == 16 ? HexValue(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
    if (digit < 0) FailInt(text);
    magnitude = magnitude * base + digit;
    if (magnitude > kLimit) FailInt(text);
  }
  if (!negative && magnitude == kLimit) FailInt(text);
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::string FrequencyText(double megahertz) {
  const char* pattern = "%1.0f MHz";
  if (megahertz >= 0 && megahertz < 1) pattern = "%5.4f MHz";
  if (megahertz >= 1 && megahertz < 100) pattern = "%3.2f MHz";
  if (megahertz >= 100 && megahertz < 1000) pattern = "%3.2f MHz";
  if (megahertz >= 1000 && megahertz < 10000) pattern = "%2.1f MHz";
  return FormatReal(pattern, megahertz);
}

std::string SignText(double x) { return x < -0.01 ? "" : "+"; }

namespace {
constexpr double kPi = 3.14159265359;
}

double SinDeg(double degrees) { return std::sin(degrees * kPi / 180); }
double CosDeg(double degrees) { return std::cos(degrees * kPi / 180); }

double Power10(double x) { return std::exp(x * std::log(10.0)); }

double Log10(double x) {
  constexpr double kLog10OfE = 0.43429448190325182765;
  return x > 0 ? std::log(x) * kLog10OfE : 0;
}

std::size_t AppendReal(RealList& list, double value) {
  list.push_back(value);
  return list.size() - 1;
}

std::size_t AppendText(TextList& list, std::string text) {
  list.push_back(std::move(text));
  return list.size() - 1;
}

void FillRange(RealList& list, double start, double stop, double step) {
  list.clear();
  double v = start;
  list.push_back(v);
  // A step that is not positive, or too small to change the running value, would never end.
  if (!(step > 0)) return;
  for (;;) {
    double next = v + step;
    if (next == v || !(next <= stop)) break;
    v = next;
    list.push_back(v);
  }
}

namespace {

// The first element, replaced only by a later one that `better` prefers strictly. That is the
// first element when it is NaN (nothing compares better than NaN), and otherwise the first
// element whose value is the extreme of the non-NaN ones. Four running extremes over
// interleaved elements give that value without a chain of dependent comparisons; only when it
// is a zero does the sign of the first such zero matter: the walk takes the first element equal
// to the extreme, for every one before it is worse.
template <typename Better>
double FirstExtreme(const RealList& list, Better better) {
  if (list.empty()) return std::numeric_limits<double>::quiet_NaN();
  const double* v = list.data();
  const std::size_t n = list.size();
  double best = v[0];
  if (std::isnan(best)) return best;
  double lane[4] = {best, best, best, best};
  std::size_t i = 1;
  for (; i + 4 <= n; i += 4)
    for (int j = 0; j < 4; ++j) lane[j] = better(v[i + j], lane[j]) ? v[i + j] : lane[j];
  for (; i < n; ++i) lane[0] = better(v[i], lane[0]) ? v[i] : lane[0];
  for (int j = 1; j < 4; ++j) best = better(lane[j], best) ? lane[j] : best;
  best = better(lane[0], best) ? lane[0] : best;
  if (best != 0) return best;
  for (i = 0; v[i] != 0;) ++i;
  return v[i];
}

}  // namespace

double MaxOf(const RealList& list) {
  return FirstExtreme(list, [](double a, double b) { return a > b; });
}

double MinOf(const RealList& list) {
  return FirstExtreme(list, [](double a, double b) { return a < b; });
}

namespace {

// P when the list is its first P elements over and over (the last time perhaps cut short), bit
// for bit, with the P-th element the first to start that again after a different one: the
// fast axis of a grid (a cycle of values) or a middle one (a cycle of runs). 0 otherwise, also
// when the list does not hold the cycle at least three times.
std::size_t CycleOf(const RealList& list) {
  const std::size_t n = list.size();
  if (n < 3) return 0;
  const auto bits = [&](std::size_t i) { return std::bit_cast<std::uint64_t>(list[i]); };
  const std::uint64_t first = bits(0);
  std::size_t period = 1;
  while (period <= n / 3 && (bits(period) != first || bits(period - 1) == first)) ++period;
  if (period > n / 3) return 0;
  const bool repeats = std::memcmp(list.data() + period, list.data(), (n - period) * sizeof(double)) == 0;
  return repeats ? period : 0;
}

}  // namespace

// An element is not counted when some later element lies within the tolerance.
//
// Exact repeats are settled first: of the elements with one value only the last can be
// counted (each earlier one has it as a later element at distance 0), and as "a later element"
// that last one stands for all of them. So the rule needs each value once, with its last
// position. Near-field coordinates repeat in runs and cycles (a grid of 6561 points has a few
// dozen values per axis), so a run check and a small hash table keyed on the value bring the
// list down to those few values in one pass, and the sort below works on them only.
//
// Sorted by value, the values within the tolerance of v form one contiguous window around v
// (the rounded difference |v - w| grows monotonically as w moves away from v), and the window
// moves only forward as v grows. So one pass over the sorted values with a sliding-window
// maximum of the last positions answers "is there a later element within the tolerance" for
// every value: exactly when the window's largest position exceeds the value's own.
// NaN and infinities are never within the tolerance of anything (their differences are NaN or
// infinite), so they are always counted and stay out of both the table and the sort.
std::size_t CountDistinct(const RealList& list) {
  constexpr double kTolerance = 0.001;
  struct Entry {
    double value;
    std::size_t position;  // of the value's last occurrence
  };
  std::vector<Entry> sorted;
  std::size_t nonFinite = 0;
  {
    // Open addressing on the value's bits, at most half full; kFree is a NaN pattern, which no
    // finite value has. -0 and +0 share a key: they are the same value for the rule.
    struct Slot {
      std::uint64_t key;
      std::size_t entry;
    };
    constexpr std::uint64_t kFree = 0x7FF8DEADBEEF0001ULL;
    std::vector<Slot> slots(64, Slot{kFree, 0});
    int shift = 64 - 6;
    auto keyOf = [](double v) { return std::bit_cast<std::uint64_t>(v == 0 ? 0.0 : v); };
    auto home = [&](std::uint64_t key) {
      return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> shift);
    };
    // When most values turn out to be new, the table does not pay: the rest of the list then
    // goes into the sort element by element, which the pass below handles as well (an element
    // of an earlier value taken apart stands for itself).
    constexpr std::size_t kTrialElements = 4096;
    // A list that cycles through its first P elements holds no value behind them that they do
    // not, and its last P elements hold the last position of every value: the elements in
    // between are passed over. Without non-finite elements only, which each count.
    const std::size_t cycle = CycleOf(list);
    const bool allFinite = std::all_of(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(cycle),
                                       [](double v) { return std::isfinite(v); });
    const std::size_t resume = cycle > 0 && allFinite ? list.size() - cycle : 0;
    std::size_t last = sorted.size();  // the entry of the previous finite element; none yet
    std::size_t i = 0;
    for (; i < list.size(); ++i) {
      if (i == cycle && resume > cycle) i = resume;
      const double v = list[i];
      if (!std::isfinite(v)) {
        ++nonFinite;
        continue;
      }
      if (last < sorted.size() && sorted[last].value == v) {
        while (i + 1 < list.size() && list[i + 1] == v) ++i;  // the rest of the run
        sorted[last].position = i;
        continue;
      }
      const std::uint64_t key = keyOf(v);
      const std::size_t mask = slots.size() - 1;
      std::size_t s = home(key);
      while (slots[s].key != kFree && slots[s].key != key) s = (s + 1) & mask;
      if (slots[s].key == key) {
        last = slots[s].entry;
        sorted[last].position = i;
        continue;
      }
      last = sorted.size();
      slots[s] = Slot{key, last};
      sorted.push_back({v, i});
      if (2 * sorted.size() > slots.size()) {
        if (i >= kTrialElements && 4 * sorted.size() > 3 * i) {
          ++i;
          break;
        }
        slots.assign(2 * slots.size(), Slot{kFree, 0});
        --shift;
        const std::size_t grown = slots.size() - 1;
        for (std::size_t e = 0; e < sorted.size(); ++e) {
          const std::uint64_t k = keyOf(sorted[e].value);
          std::size_t t = home(k);
          while (slots[t].key != kFree) t = (t + 1) & grown;
          slots[t] = Slot{k, e};
        }
      }
    }
    for (; i < list.size(); ++i) {
      if (std::isfinite(list[i]))
        sorted.push_back({list[i], i});
      else
        ++nonFinite;
    }
  }
  // Coordinates often come in order already (rising or falling).
  auto byValue = [](const Entry& a, const Entry& b) { return a.value < b.value; };
  if (std::is_sorted(sorted.begin(), sorted.end(),
                     [](const Entry& a, const Entry& b) { return a.value > b.value; }))
    std::reverse(sorted.begin(), sorted.end());
  else if (!std::is_sorted(sorted.begin(), sorted.end(), byValue))
    std::sort(sorted.begin(), sorted.end(), byValue);
  auto close = [&](std::size_t a, std::size_t b) {
    return std::fabs(sorted[a].value - sorted[b].value) < kTolerance;
  };

  std::size_t count = nonFinite + sorted.size();
  // Indexes into sorted, their positions decreasing from front to back: the front holds the
  // largest position inside the window [low, high).
  std::vector<std::size_t> window;
  window.reserve(sorted.size());
  std::size_t front = 0, low = 0, high = 0;
  for (std::size_t k = 0; k < sorted.size(); ++k) {
    while (high < sorted.size() && (high <= k || close(k, high))) {
      while (window.size() > front && sorted[window.back()].position < sorted[high].position)
        window.pop_back();
      window.push_back(high++);
    }
    while (!close(k, low)) ++low;
    while (window[front] < low) ++front;
    if (sorted[window[front]].position > sorted[k].position) --count;
  }
  return count;
}

}  // namespace varnel
