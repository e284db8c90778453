// The format engine on any pattern with up to four arguments, under ',' and '.'.
// Input: the pattern, a NUL, then arguments: 'i' or 'r' and eight bytes (an int64 or a double),
// or 's' and a text up to the next NUL; other bytes are skipped.
// Every real argument is also written with "%.Pf" and "%.Pg" and checked against digits that
// the C library gives exactly ("%.1100f" / "%.1100e" show every digit of a double), rounded
// half away from zero as the engine promises.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "common.hpp"
#include "util/format.hpp"

using namespace varnel;

namespace {

std::vector<FormatArg> Arguments(std::string_view rest, std::vector<double>& reals) {
  std::vector<FormatArg> args;
  std::size_t i = 0;
  while (i < rest.size() && args.size() < 4) {
    const char kind = rest[i++];
    if (kind == 'i' || kind == 'r') {
      char bytes[8] = {};
      const std::size_t n = std::min<std::size_t>(8, rest.size() - i);
      std::memcpy(bytes, rest.data() + i, n);
      i += n;
      if (kind == 'i') {
        std::int64_t v;
        std::memcpy(&v, bytes, 8);
        args.emplace_back(v);
      } else {
        double v;
        std::memcpy(&v, bytes, 8);
        args.emplace_back(v);
        reals.push_back(v);
      }
    } else if (kind == 's') {
      std::size_t end = rest.find('\0', i);
      if (end == std::string_view::npos) end = rest.size();
      args.emplace_back(rest.substr(i, end - i));
      i = end + 1;
    }
  }
  return args;
}

// Adds one unit in the last place of a decimal digit string; true when it carried out of it.
bool Increment(std::string& digits) {
  for (std::size_t k = digits.size(); k-- > 0;) {
    if (digits[k] != '9') {
      ++digits[k];
      return false;
    }
    digits[k] = '0';
  }
  return true;
}

std::string ExpectedFixed(double v, int precision) {
  static char exact[1500];
  std::snprintf(exact, sizeof exact, "%.1100f", std::fabs(v));
  const std::string all(exact);
  const std::size_t point = all.find('.');
  std::string digits = all.substr(0, point) + all.substr(point + 1, static_cast<std::size_t>(precision));
  std::size_t integerDigits = point;
  const bool up = all[point + 1 + static_cast<std::size_t>(precision)] >= '5';
  if (up && Increment(digits)) {
    digits.insert(digits.begin(), '1');
    ++integerDigits;
  }
  const bool zero = digits.find_first_not_of('0') == std::string::npos;
  std::string out = v < 0 && !zero ? "-" : "";
  std::string integer = digits.substr(0, integerDigits);
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size() - 1));
  out += integer;
  if (precision > 0) out += DecimalSeparator.load() + digits.substr(integerDigits);
  return out;
}

std::string ExpectedGeneral(double v, int precision) {
  if (precision < 0 || precision > 18) precision = 15;
  if (precision < 2) precision = 2;
  if (v == 0) return "0";
  static char exact[1500];
  std::snprintf(exact, sizeof exact, "%.1100e", std::fabs(v));
  const std::string all(exact);
  const std::size_t e = all.find('e');
  const std::string mantissa = all.substr(0, 1) + all.substr(2, e - 2);
  int exponent = std::stoi(all.substr(e + 1)) + 1;  // digits before the point
  std::string digits = mantissa.substr(0, static_cast<std::size_t>(precision));
  if (mantissa[static_cast<std::size_t>(precision)] >= '5' && Increment(digits)) {
    digits.insert(digits.begin(), '1');
    digits.pop_back();
    ++exponent;
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  std::string out = v < 0 ? "-" : "";
  if (exponent >= -3 && exponent <= precision) {
    if (exponent <= 0)
      return out + "0" + DecimalSeparator.load() + std::string(static_cast<std::size_t>(-exponent), '0') +
             digits;
    std::string integer =
        digits.substr(0, std::min<std::size_t>(digits.size(), static_cast<std::size_t>(exponent)));
    integer.append(static_cast<std::size_t>(exponent) - integer.size(), '0');
    out += integer;
    if (digits.size() > static_cast<std::size_t>(exponent))
      out += DecimalSeparator.load() + digits.substr(static_cast<std::size_t>(exponent));
    return out;
  }
  out += digits[0];
  if (digits.size() > 1) out += DecimalSeparator.load() + digits.substr(1);
  const int scientific = exponent - 1;
  std::string power = std::to_string(std::abs(scientific));
  if (power.size() < 3) power.insert(0, 3 - power.size(), '0');
  return out + "E" + (scientific < 0 ? "-" : "") + power;
}

void CheckDigits(double v, int precision) {
  if (!std::isfinite(v)) return;
  const std::string p = std::to_string(precision);
  if (std::fabs(v) < 1e18) {
    const std::string got = FormatReal("%." + p + "f", v), want = ExpectedFixed(v, precision);
    if (got != want)
      Finding("\"%." + p + "f\" of " + Shown(v) + " gave \"" + got + "\", exact rounding gives \"" + want +
              "\"");
  }
  const std::string got = FormatReal("%." + p + "g", v), want = ExpectedGeneral(v, precision);
  if (got != want)
    Finding("\"%." + p + "g\" of " + Shown(v) + " gave \"" + got + "\", exact rounding gives \"" + want +
            "\"");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string_view pattern = input.substr(0, nul);
  std::vector<double> reals;
  const std::vector<FormatArg> args =
      Arguments(nul == std::string_view::npos ? "" : input.substr(nul + 1), reals);
  for (char separator : {',', '.'}) {
    Separator scope(separator);
    std::string out;
    switch (args.size()) {
      case 0:
        out = Format(pattern, {});
        break;
      case 1:
        out = Format(pattern, {args[0]});
        break;
      case 2:
        out = Format(pattern, {args[0], args[1]});
        break;
      case 3:
        out = Format(pattern, {args[0], args[1], args[2]});
        break;
      default:
        out = Format(pattern, {args[0], args[1], args[2], args[3]});
        break;
    }
    // Widths and precisions are clamped, so no pattern asks for unbounded output.
    if (out.size() > 4200 * (pattern.size() + args.size()) + size + 64)
      Finding("output of " + std::to_string(out.size()) + " bytes");
    const int precision = pattern.empty() ? 6 : static_cast<unsigned char>(pattern[0]) % 24;
    // Up to 255 decimals reach the digit generator's long path (more digits than a short
    // conversion proves).
    const int wide = pattern.size() > 1 ? static_cast<unsigned char>(pattern[1]) : 17;
    for (double v : reals) {
      CheckDigits(v, precision);
      CheckDigits(v, static_cast<int>(size % 20));
      CheckDigits(v, wide);
    }
  }
  return 0;
}
