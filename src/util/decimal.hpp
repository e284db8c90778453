#pragma once
// The one scanner of decimal number syntax, under TextToReal and the output reader.
//
// Form: an optional sign ('+' or '-'); a run of digits holding at most one decimal mark
// (at its start, inside or at its end), at least one character long (a run that is only the
// mark reads as zero); optionally 'E' or 'e', an optional sign and at least one digit.
// Blanks are the caller's business: nothing around the form is skipped.
//
// ScanDecimal reads the form at p and stops at the first byte that does not continue it; it
// returns that position, or nullptr when p does not begin the form. Either of two bytes acts as
// the mark (the reader's fields carry '.' where the text means the separator); pass the same
// byte twice for one mark. With Terminated, the byte at end must be readable and must not
// continue the form (a blank, a line end, the NUL of a std::string): the scan then needs no
// bounds checks.
//
// ExactDecimal gives the value when one exact operation rounds it correctly: at most 19
// significant digits, a mantissa of at most 2^53 and a decimal exponent within +-22, or a zero
// mantissa with an exponent within +-9999 (a signed zero). It is then the double nearest to the
// decimal value, as std::from_chars gives it. Otherwise it returns false and the caller converts
// the text the long way (DecimalText below, then std::from_chars).
// Neither function allocates or throws.
#include <array>
#include <cstdint>
#include <string>

namespace varnel {

struct DecimalParts {
  bool negative = false;
  bool truncated = false;  // more than 19 significant digits: the mantissa is not the value's
  std::uint64_t mantissa = 0;
  long long exponent = 0;  // the value is mantissa * 10^exponent (saturated far outside +-10^9)
};

namespace decimal_detail {

inline constexpr std::array<double, 23> kPowersOfTen = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr int kMaxDigits = 19;  // 10^19 - 1 fits 64 bits
inline constexpr long long kExponentLimit = 1000000000;

// The byte at p as 0..255, or -1 at the end of a bounded text (which then continues nothing).
template <bool Terminated>
inline int At(const char* p, const char* end) {
  if constexpr (Terminated) {
    (void)end;
    return static_cast<unsigned char>(*p);
  } else {
    return p < end ? static_cast<unsigned char>(*p) : -1;
  }
}

inline bool IsDigit(int c) { return static_cast<unsigned>(c - '0') < 10; }

}  // namespace decimal_detail

// The core pieces, for a scan that keeps its own loop (the reader's row sweep) and for
// ScanDecimal below.

// The run of digits at p appended to mantissa (times ten plus the digit, wrapping past 19
// digits); returns the position behind the run.
template <bool Terminated>
inline const char* ScanDigits(const char* p, const char* end, std::uint64_t& mantissa) {
  using namespace decimal_detail;
  std::uint64_t m = mantissa;
  while (IsDigit(At<Terminated>(p, end))) m = m * 10 + static_cast<unsigned>(*p++ - '0');
  mantissa = m;
  return p;
}

// The exponent behind the 'E' or 'e' at p[-1]: an optional sign and at least one digit, the
// magnitude saturated at 10^9. Returns the position behind it, or nullptr without a digit.
template <bool Terminated>
inline const char* ScanExponent(const char* p, const char* end, long long& exponent) {
  using namespace decimal_detail;
  bool negative = false;
  if (At<Terminated>(p, end) == '+' || At<Terminated>(p, end) == '-') negative = *p++ == '-';
  const char* const start = p;
  long long e = 0;
  while (IsDigit(At<Terminated>(p, end))) {
    if (e < kExponentLimit) e = e * 10 + (*p - '0');
    ++p;
  }
  if (p == start) return nullptr;
  exponent = negative ? -e : e;
  return p;
}

// Whether one exact operation gives mantissa * 10^exponent correctly rounded (the mantissa
// holding all significant digits).
inline bool ExactFits(std::uint64_t mantissa, long long exponent) {
  if (mantissa == 0) return exponent >= -9999 && exponent <= 9999;
  return mantissa <= (std::uint64_t{1} << 53) && exponent >= -22 && exponent <= 22;
}

// The value for which ExactFits holds.
inline double ExactValue(bool negative, std::uint64_t mantissa, long long exponent) {
  using decimal_detail::kPowersOfTen;
  if (mantissa == 0) return negative ? -0.0 : 0.0;
  const double m = static_cast<double>(mantissa);
  const double magnitude = exponent >= 0 ? m * kPowersOfTen[static_cast<std::size_t>(exponent)]
                                         : m / kPowersOfTen[static_cast<std::size_t>(-exponent)];
  return negative ? -magnitude : magnitude;
}

template <bool Terminated>
inline const char* ScanDecimal(const char* p, const char* end, char mark, char otherMark,
                               DecimalParts& parts) {
  using namespace decimal_detail;
  const int mark1 = static_cast<unsigned char>(mark), mark2 = static_cast<unsigned char>(otherMark);
  bool negative = false;
  if (At<Terminated>(p, end) == '+' || At<Terminated>(p, end) == '-') negative = *p++ == '-';
  const char* const runStart = p;
  std::uint64_t mantissa = 0;
  p = ScanDigits<Terminated>(p, end, mantissa);
  const char* const markAt = p;
  long long exponent = 0;
  if (At<Terminated>(p, end) == mark1 || At<Terminated>(p, end) == mark2) {
    const char* const fraction = ++p;
    p = ScanDigits<Terminated>(p, end, mantissa);
    exponent = -static_cast<long long>(p - fraction);
  }
  if (p == runStart) return nullptr;
  const std::ptrdiff_t digits = (p - runStart) - (markAt != p ? 1 : 0);
  bool truncated = false;
  if (digits > kMaxDigits) [[unlikely]] {
    // Leading zeros are no significant digits: count the others.
    const char* q = runStart;
    while (q < p && (*q == '0' || q == markAt)) ++q;
    const std::ptrdiff_t significant = (p - q) - (q <= markAt && markAt < p ? 1 : 0);
    truncated = significant > kMaxDigits;
  }
  if (At<Terminated>(p, end) == 'E' || At<Terminated>(p, end) == 'e') {
    long long e;
    p = ScanExponent<Terminated>(p + 1, end, e);
    if (p == nullptr) return nullptr;
    exponent += e;
  }
  parts.negative = negative;
  parts.truncated = truncated;
  parts.mantissa = mantissa;
  parts.exponent = exponent;
  return p;
}

// Whether ExactDecimal gives the value (without working it out).
inline bool ExactDecimalFits(const DecimalParts& parts) {
  return !parts.truncated && ExactFits(parts.mantissa, parts.exponent);
}

// The value of parts for which ExactDecimalFits holds.
inline double ExactDecimalValue(const DecimalParts& parts) {
  return ExactValue(parts.negative, parts.mantissa, parts.exponent);
}

inline bool ExactDecimal(const DecimalParts& parts, double& value) {
  if (!ExactDecimalFits(parts)) return false;
  value = ExactDecimalValue(parts);
  return true;
}

// The scanned form [begin, end) in the spelling std::from_chars reads: '-' kept, '+' dropped,
// the mark (one byte) as '.', a zero before a leading mark and after a trailing one, 'e' for the exponent.
std::string DecimalText(const char* begin, const char* end, char mark);

}  // namespace varnel
