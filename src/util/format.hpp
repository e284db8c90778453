#pragma once
// The one format engine. Every number the system shows or writes goes through it.
//
// A pattern is text with specifiers "%[width][.precision]type"; text outside specifiers is
// copied ("%%" writes one '%'). The value is right-aligned in at least width characters,
// padded with blanks on the left, never cut.
//   d  integer; a precision gives at least that many digits, zero-padded ("%3.3d" of 7: "007").
//   s  text.
//   f  fixed, precision decimals (2 when none is given); |value| >= 1e18 falls back to g
//      with g's default precision (15): "%1.0f" of 2.5e20 gives "2.5E020".
//   g  general, at most precision significant digits: a precision below 2 counts as 2, none or
//      above 18 counts as 15. Fixed when the decimal exponent (digits before the point: 4 for
//      1234, 0 for 0.5, -2 for 0.00123) lies in [-3, precision]; otherwise one digit, the
//      separator, further digits, 'E', '-' only for a negative exponent, at least three
//      exponent digits ("1.2E002", "1,23E-005"). Trailing zeros and a bare separator are
//      removed; zero is "0".
// Rounding works on the exact decimal value of the double: to the nearest value of the last
// written digit, a half away from zero ("%4.2f" of 0.125 gives "0.13"). A negative value that
// rounds to zero is written without its sign. Infinities and NaN print as INF, -INF, NAN.
// The decimal point is DecimalSeparator; no thousands separators.
// A specifier whose argument has the wrong kind formats the argument as its own kind
// (an integer under f or g as a real, a real under d truncated toward zero); a missing argument
// leaves the specifier text as it stands; a '%' that does not begin a specifier is copied.
// A precision under s is ignored (texts are never cut). Formatting never throws.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <atomic>
#include <utility>
#include <variant>

namespace varnel {

// The process-wide decimal separator (',' in the standard configuration). Tests and scripts
// may set it; the program sets it at start from the locale of the system it runs on, and the
// window again when the system's settings change. Atomic, because batch analyses read it on
// worker threads meanwhile.
inline std::atomic<char> DecimalSeparator{','};

// One argument: an integer (any integer type), a real, or a text.
struct FormatArg {
  std::variant<std::int64_t, double, std::string> value;
  template <typename T>
  requires std::is_integral_v<T> FormatArg(T v) : value(static_cast<std::int64_t>(v)) {}
  FormatArg(double v) : value(v) {}
  FormatArg(float v) : value(static_cast<double>(v)) {}
  FormatArg(std::string v) : value(std::move(v)) {}
  FormatArg(std::string_view v) : value(std::string(v)) {}
  FormatArg(const char* v) : value(std::string(v)) {}
};

// The pattern applied to its arguments in order.
std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args);

// The pattern applied to one integer / one real.
std::string FormatInt(std::string_view pattern, std::int64_t value);
std::string FormatReal(std::string_view pattern, double value);

}  // namespace varnel
