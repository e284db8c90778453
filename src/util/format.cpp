// The format engine: one pattern parser, one exact digit generator, one layout step.
//
// Digits come from the exact decimal expansion of the double (every double is a finite binary
// fraction, so its decimal expansion is finite too: at most 767 significant digits). Rounding
// happens once, on that digit string, half away from zero; no intermediate binary rounding can
// turn 0.125 into 0.12 or 2.4999999 into 3.
#include "util/format.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "util/text.hpp"

namespace varnel {

namespace {

// ---------------------------------------------------------------------------------------------
// Pattern parsing

// One parsed specifier "%[width][.precision]type".
struct Spec {
  int width = 0;
  int precision = -1;  // -1: none given
  char type = 0;       // 'd', 's', 'f' or 'g'
};

// Widths and precisions beyond this are clamped: no pattern of the system comes near it, and a
// clamp keeps a malformed pattern from asking for gigabytes of padding.
constexpr int kMaxNumber = 4096;

// Parses the specifier that begins at pattern[pos] == '%'. On success returns true, fills spec
// and sets end to the position behind the type letter.
bool ParseSpec(std::string_view pattern, std::size_t pos, Spec& spec, std::size_t& end) {
  std::size_t i = pos + 1;
  auto readNumber = [&](int& out) {
    bool any = false;
    long long value = 0;
    while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') {
      value = std::min<long long>(value * 10 + (pattern[i] - '0'), kMaxNumber);
      ++i;
      any = true;
    }
    out = static_cast<int>(value);
    return any;
  };
  spec = Spec{};
  readNumber(spec.width);
  if (i < pattern.size() && pattern[i] == '.') {
    ++i;
    spec.precision = 0;  // a point with no digits behind it means precision 0
    readNumber(spec.precision);
  }
  if (i >= pattern.size()) return false;
  char type = pattern[i];
  type = FoldLetter(type);
  if (type != 'd' && type != 's' && type != 'f' && type != 'g') return false;
  spec.type = type;
  end = i + 1;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Exact digits

// A non-negative finite value as significant digits d1 d2 ... and a decimal exponent e:
// value = 0.d1d2... * 10^e, so e is the number of digits before the decimal point
// (4 for 1234, 0 for 0.5, -2 for 0.00123). digits never starts with '0'; an empty digit string
// means zero. Digits not present are zeros.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

// Parses the output of std::to_chars in scientific form ("d.ddde+XX") into a Decimal.
Decimal FromScientific(const char* first, const char* last) {
  Decimal result;
  const char* e = std::find(first, last, 'e');
  result.digits.reserve(static_cast<std::size_t>(e - first));
  for (const char* p = first; p < e; ++p)
    if (*p != '.') result.digits.push_back(*p);
  int exponent = 0;
  std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), last, exponent);
  result.exponent = exponent + 1;
  return result;
}

// An upper bound of the scientific exponent floor(log10(v)) of a positive finite v.
int ScientificExponentBound(double v) {
  int binaryExponent = 0;
  std::frexp(v, &binaryExponent);  // v < 2^binaryExponent
  return static_cast<int>(std::floor(binaryExponent * 0.30102999566398120)) + 1;
}

// The number of significant decimal digits that make the expansion of v exact (an upper bound
// by at most a few digits). v = m * 2^k with m odd; for k < 0 the expansion has exactly -k
// digits behind the point.
int ExactDigitCount(double v) {
  int binaryExponent = 0;
  double fraction = std::frexp(v, &binaryExponent);
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  int k = binaryExponent - 53 + std::countr_zero(mantissa);
  int beforePoint = ScientificExponentBound(v) + 1;
  int count = k >= 0 ? beforePoint : beforePoint - k;
  return std::clamp(count, 1, 780);
}

// At least `wanted` exact leading digits of a positive finite v (all of them when the expansion
// is shorter). std::to_chars rounds at the precision it is given, so digits are taken either
// from a call long enough to be exact, or from a shorter call whose guard digits prove that its
// rounding did not carry into the digits used.
Decimal ExactDigits(double v, int wanted) {
  constexpr int kGuard = 20;
  // A fixed-point cut far left of the first digit asks for no digits at all; one is needed
  // to learn the exponent.
  wanted = std::clamp(wanted, 1, 800);
  char buffer[800];
  int exactCount = ExactDigitCount(v);
  if (wanted + kGuard < exactCount) {
    int count = wanted + kGuard;
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, count - 1);
    Decimal decimal = FromScientific(buffer, result.ptr);
    // A carry out of the guard digits leaves them all '0'; any other digit proves the digits
    // before the guard untouched.
    const std::string& d = decimal.digits;
    if (static_cast<int>(d.size()) == count &&
        std::any_of(d.begin() + wanted, d.end(), [](char c) { return c != '0'; }))
      return decimal;
  }
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, exactCount - 1);
  return FromScientific(buffer, result.ptr);
}

// Keeps `keep` significant digits, rounding half away from zero on the exact digits: the
// result rounds up exactly when the first dropped digit is 5 or more. keep may be zero or
// negative (every digit dropped). Trailing zeros are removed; a zero result has no digits.
void RoundDigits(Decimal& decimal, int keep) {
  std::string& d = decimal.digits;
  if (keep < 0) {
    d.clear();
    return;
  }
  if (static_cast<std::size_t>(keep) >= d.size()) {
    // Nothing dropped.
  } else {
    bool up = d[static_cast<std::size_t>(keep)] >= '5';
    d.resize(static_cast<std::size_t>(keep));
    if (up) {
      int i = keep - 1;
      while (i >= 0 && d[static_cast<std::size_t>(i)] == '9') {
        d[static_cast<std::size_t>(i)] = '0';
        --i;
      }
      if (i >= 0) {
        ++d[static_cast<std::size_t>(i)];
      } else {
        // Every kept digit was 9 (or none was kept): the value becomes the next power of ten.
        d.insert(d.begin(), '1');
        ++decimal.exponent;
      }
    }
  }
  while (!d.empty() && d.back() == '0') d.pop_back();
}

// ---------------------------------------------------------------------------------------------
// Layout

void PadLeft(std::string& out, std::size_t start, int width) {
  std::size_t length = out.size() - start;
  if (length < static_cast<std::size_t>(width))
    out.insert(start, static_cast<std::size_t>(width) - length, ' ');
}

// Writes INF, -INF or NAN for a non-finite v; returns false for a finite one.
bool WriteNonFinite(std::string& out, double v) {
  if (std::isnan(v)) {
    out += "NAN";
  } else if (std::isinf(v)) {
    out += v < 0 ? "-INF" : "INF";
  } else {
    return false;
  }
  return true;
}

// Digit i of the decimal (zero beyond the stored digits).
char DigitAt(const Decimal& decimal, int i) {
  return i >= 0 && i < static_cast<int>(decimal.digits.size()) ? decimal.digits[static_cast<std::size_t>(i)]
                                                               : '0';
}

void WriteGeneral(std::string& out, double v, int precision) {
  if (WriteNonFinite(out, v)) return;
  if (precision < 0 || precision > 18) precision = 15;
  if (precision < 2) precision = 2;
  if (v == 0) {
    out += '0';
    return;
  }
  Decimal decimal = ExactDigits(std::fabs(v), precision + 1);
  RoundDigits(decimal, precision);
  if (v < 0) out += '-';
  const std::string& d = decimal.digits;
  int e = decimal.exponent;
  if (e >= -3 && e <= precision) {
    if (e <= 0) {
      out += '0';
      out += DecimalSeparator;
      out.append(static_cast<std::size_t>(-e), '0');
      out += d;
    } else {
      for (int i = 0; i < e; ++i) out += DigitAt(decimal, i);
      if (static_cast<int>(d.size()) > e) {
        out += DecimalSeparator;
        out.append(d, static_cast<std::size_t>(e));
      }
    }
    return;
  }
  out += d[0];
  if (d.size() > 1) {
    out += DecimalSeparator;
    out.append(d, 1);
  }
  out += 'E';
  int scientific = e - 1;
  if (scientific < 0) out += '-';
  char exponentDigits[16];
  auto result = std::to_chars(exponentDigits, exponentDigits + sizeof exponentDigits, std::abs(scientific));
  out.append(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, 3 - (result.ptr - exponentDigits))), '0');
  out.append(exponentDigits, result.ptr);
}

// The fixed notation by integer arithmetic where the value times 10^precision stays below 2^53
// (precision at most 9): v is mantissa / 2^shift exactly, so mantissa * 10^precision, an integer
// of at most 83 bits, divided by 2^shift gives the whole digits, and its remainder against half
// of 2^shift says whether the first digit dropped is 5 or more. The same digits as the exact
// expansion, without generating it. False where it does not apply.
bool WriteFixedByIntegers(std::string& out, double v, int precision) {
#ifdef __SIZEOF_INT128__
  static constexpr std::uint64_t kTens[] = {1,      10,      100,      1000,      10000,
                                            100000, 1000000, 10000000, 100000000, 1000000000};
  if (precision > 9) return false;
  const std::uint64_t ten = kTens[precision];
  const double magnitude = std::fabs(v);
  if (!(magnitude < 9007199254740992.0 / static_cast<double>(ten))) return false;
  int exponent = 0;
  const double fraction = std::frexp(magnitude, &exponent);  // magnitude = fraction * 2^exponent
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  const int shift = 53 - exponent;  // magnitude = mantissa / 2^shift, shift >= 0 below 2^53
  using Wide = unsigned __int128;
  const Wide scaled = static_cast<Wide>(mantissa) * ten;
  std::uint64_t units = 0;
  if (shift == 0) {
    units = static_cast<std::uint64_t>(scaled);
  } else if (shift < 128) {
    const Wide whole = scaled >> shift;
    const Wide rest = scaled - (whole << shift);
    units = static_cast<std::uint64_t>(whole) + (rest >= (Wide{1} << (shift - 1)) ? 1 : 0);
  }  // else below 2^-45 after scaling: rounds to zero
  char digits[24];
  const auto length = static_cast<int>(std::to_chars(digits, digits + sizeof digits, units).ptr - digits);
  // A value that rounds to zero is written without its sign.
  if (v < 0 && units != 0) out += '-';
  const int whole = length - precision;
  if (whole <= 0) {
    out += '0';
  } else {
    out.append(digits, static_cast<std::size_t>(whole));
  }
  if (precision > 0) {
    out += DecimalSeparator;
    if (whole < 0) out.append(static_cast<std::size_t>(-whole), '0');
    out.append(digits + std::max(whole, 0), digits + length);
  }
  return true;
#else
  (void)out, (void)v, (void)precision;
  return false;
#endif
}

void WriteFixed(std::string& out, double v, int precision) {
  if (WriteNonFinite(out, v)) return;
  // At 10^18 and above the general notation takes over, with its default precision.
  if (std::fabs(v) >= 1e18) {
    WriteGeneral(out, v, -1);
    return;
  }
  if (precision < 0) precision = 2;
  if (WriteFixedByIntegers(out, v, precision)) return;
  Decimal decimal;
  if (v != 0) {
    double magnitude = std::fabs(v);
    decimal = ExactDigits(magnitude, ScientificExponentBound(magnitude) + 1 + precision + 1);
    RoundDigits(decimal, decimal.exponent + precision);
  }
  // A value that rounds to zero is written without its sign.
  if (v < 0 && !decimal.digits.empty()) out += '-';
  int e = decimal.digits.empty() ? 0 : decimal.exponent;
  if (e <= 0) {
    out += '0';
  } else {
    for (int i = 0; i < e; ++i) out += DigitAt(decimal, i);
  }
  if (precision > 0) {
    out += DecimalSeparator;
    for (int i = 0; i < precision; ++i) out += DigitAt(decimal, e + i);
  }
}

void WriteInteger(std::string& out, std::int64_t value, int precision) {
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char digits[32];
  auto result = std::to_chars(digits, digits + sizeof digits, magnitude);
  if (value < 0) out += '-';
  std::ptrdiff_t length = result.ptr - digits;
  if (precision > length) out.append(static_cast<std::size_t>(precision - length), '0');
  out.append(digits, result.ptr);
}

// A real under d: truncated toward zero, clamped to the integer range; non-finite as text.
void WriteRealAsInteger(std::string& out, double v, int precision) {
  if (WriteNonFinite(out, v)) return;
  double truncated = std::trunc(v);
  std::int64_t value;
  if (truncated >= 9223372036854775807.0)
    value = std::numeric_limits<std::int64_t>::max();
  else if (truncated <= -9223372036854775808.0)
    value = std::numeric_limits<std::int64_t>::min();
  else
    value = static_cast<std::int64_t>(truncated);
  WriteInteger(out, value, precision);
}

void WriteArgument(std::string& out, const Spec& spec, const FormatArg& arg) {
  std::size_t start = out.size();
  const auto& value = arg.value;
  if (const auto* text = std::get_if<std::string>(&value)) {
    out += *text;
  } else if (const auto* integer = std::get_if<std::int64_t>(&value)) {
    switch (spec.type) {
      case 'f':
        WriteFixed(out, static_cast<double>(*integer), spec.precision);
        break;
      case 'g':
        WriteGeneral(out, static_cast<double>(*integer), spec.precision);
        break;
      default:
        WriteInteger(out, *integer, spec.type == 'd' ? spec.precision : -1);
        break;
    }
  } else {
    double real = std::get<double>(value);
    switch (spec.type) {
      case 'f':
        WriteFixed(out, real, spec.precision);
        break;
      case 'd':
        WriteRealAsInteger(out, real, spec.precision);
        break;
      default:
        WriteGeneral(out, real, spec.precision);
        break;
    }
  }
  PadLeft(out, start, spec.width);
}

std::string FormatArgs(std::string_view pattern, const FormatArg* args, std::size_t count) {
  std::string out;
  out.reserve(pattern.size() + 16);
  std::size_t next = 0;
  std::size_t i = 0;
  while (i < pattern.size()) {
    std::size_t percent = pattern.find('%', i);
    if (percent == std::string_view::npos) {
      out.append(pattern.substr(i));
      break;
    }
    out.append(pattern.substr(i, percent - i));
    if (percent + 1 < pattern.size() && pattern[percent + 1] == '%') {
      out += '%';
      i = percent + 2;
      continue;
    }
    Spec spec;
    std::size_t end = 0;
    if (!ParseSpec(pattern, percent, spec, end)) {
      // Not a specifier: the '%' is copied as text.
      out += '%';
      i = percent + 1;
      continue;
    }
    if (next < count) {
      WriteArgument(out, spec, args[next++]);
    } else {
      out.append(pattern.substr(percent, end - percent));
    }
    i = end;
  }
  return out;
}

}  // namespace

std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args) {
  return FormatArgs(pattern, args.begin(), args.size());
}

std::string FormatInt(std::string_view pattern, std::int64_t value) {
  FormatArg arg(value);
  return FormatArgs(pattern, &arg, 1);
}

std::string FormatReal(std::string_view pattern, double value) {
  FormatArg arg(value);
  return FormatArgs(pattern, &arg, 1);
}

}  // namespace varnel
