#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>

#include "support/fuzz_seed.hpp"
#include "support/scoped_settings.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

struct RealCase {
  const char* pattern;
  double value;
  const char* expected;
};

// Runs a table of one-real cases under the given separator.
void ExpectReals(char separator, std::initializer_list<RealCase> cases) {
  SeparatorGuard guard(separator);
  for (const RealCase& c : cases) {
    SaveFuzzSeed("format", std::string(c.pattern) + '\0' + 'r' +
                               std::string(reinterpret_cast<const char*>(&c.value), sizeof c.value));
    EXPECT_EQ(c.expected, FormatReal(c.pattern, c.value))
        << "pattern \"" << c.pattern << "\", value " << std::to_string(c.value) << " (bits " << std::hexfloat
        << c.value << std::defaultfloat << "), separator '" << separator << "'";
  }
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// %g: fixed notation for exponents from -3 to the precision, decided after rounding; %g and %f
// round the exact value half away from zero.
TEST(FormatReal, GeneralAndFixedNotationsInfNanAndWidths) {
  ExpectReals('.',
              {
                  {"%3.1g", 70.71, " 71"},  // precision 1 counts as 2
                  {"%2.1g", 4, " 4"},
                  {"%2.1g", 12.34, "12"},
                  {"%2.1g", 10, "10"},
                  {"%9.3g", 0.5, "      0.5"},       // exponent 0
                  {"%9.3g", 0.0123, "   0.0123"},    // exponent -1
                  {"%9.3g", 0.001, "    0.001"},     // exponent -2
                  {"%9.3g", 0.000123, " 0.000123"},  // exponent -3, still fixed
                  {"%9.3g", 0.0001, "   0.0001"},
                  {"%9.3g", 100, "      100"},  // exponent equal to the precision
                  {"%9.3g", 123.456, "      123"},
                  {"%5.3g", 1.5, "  1.5"},
                  {"%4.3g", -1.25, "-1.25"},
                  {"%g", 1234.5, "1234.5"},  // no precision: 15
                  {"%g", 1.0 / 3, "0.333333333333333"},
                  {"%.20g", 1.0 / 3, "0.333333333333333"},  // above 18: 15
                  {"%.18g", 1.0 / 3, "0.333333333333333315"},
                  {"%g", 123456789012345.0, "123456789012345"},
                  // decides the notation after rounding
                  {"%3.2g", 9.996, " 10"},   // 9.996 rounds to 10: exponent 2, fixed
                  {"%.3g", 99.96, "100"},    // rounds to 100: exponent 3 = precision, fixed
                  {"%.3g", 999.6, "1E003"},  // rounds to 1000: exponent 4, scientific
                  {"%3.1g", 99.6, "1E002"},
                  {"%.2g", 0.00099996, "0.001"},  // rounds up into the fixed range
                  {"%.2g", -0.00099996, "-0.001"},
                  // writes scientific notation outside the fixed range
                  {"%3.1g", 123.4, "1.2E002"},
                  {"%9.3g", 1000, "    1E003"},
                  {"%9.3g", 1234, " 1.23E003"},
                  {"%9.3g", 0.00001, "   1E-005"},
                  {"%9.3g", -0.00001234, "-1.23E-005"},
                  {"%.3g", 1.2345e-7, "1.23E-007"},
                  {"%g", 1e100, "1E100"},
                  {"%g", 1e-100, "1E-100"},
                  {"%g", 1.5e300, "1.5E300"},
                  {"%.2g", 1e18, "1E018"},
                  {"%g", 1.7976931348623157e308, "1.79769313486232E308"},
                  {"%g", 4.9406564584124654e-324, "4.94065645841247E-324"},
                  // rounds the exact value half away from zero
                  {"%.2g", 0.125, "0.13"},  // exactly representable half
                  {"%.2g", -0.125, "-0.13"},
                  {"%.2g", 0.135, "0.14"},                 // stored slightly above 0.135
                  {"%.2g", 0.145, "0.14"},                 // stored slightly below 0.145
                  {"%.3g", 2.675, "2.67"},                 // stored as 2.67499999...
                  {"%.18g", 0.1, "0.100000000000000006"},  // 0.1000000000000000055511...
                  {"%3.1g", -2.25, "-2.3"},
                  // writes zero as zero
                  {"%9.3g", 0, "        0"},
                  {"%9.3g", -0.0, "        0"},
                  {"%g", 0, "0"},
                  // %f rounds the exact value half away from zero
                  {"%4.2f", 0.125, "0.13"},
                  {"%1.0f", 2.5, "3"},
                  {"%1.0f", -2.5, "-3"},
                  {"%1.0f", 0.5, "1"},
                  {"%1.0f", 1.5, "2"},
                  {"%.0f", 0.49999999999999994, "0"},
                  {"%.1f", 0.25, "0.3"},
                  {"%.1f", 0.35, "0.3"},    // stored as 0.34999999...
                  {"%.2f", 1.005, "1.00"},  // stored as 1.00499999...
                  {"%.2f", 2.675, "2.67"},
                  {"%.2f", 9.995, "9.99"},  // stored as 9.99499999...
                  {"%.2f", 9.999, "10.00"},
                  {"%.2f", 99.995, "100.00"},  // stored as 99.99500000000000454...
                  {"%.17f", 0.1, "0.10000000000000001"},
                  {"%.20f", 0.1, "0.10000000000000000555"},
                  {"%.0f", 123456789012345678.0, "123456789012345680"},
                  // the same rounding on either side of 2^53 units of the last decimal
                  {"%.3f", 9007199254740.990234375, "9007199254740.990"},
                  {"%.3f", 9007199254740.9921875, "9007199254740.992"},
                  {"%.0f", 4503599627370495.5, "4503599627370496"},
                  {"%.9f", -2.5e-09, "-0.000000003"},  // stored slightly beyond -2.5e-09
                  // drops the sign of a negative value that rounds to zero
                  {"%6.3f", -0.0004, " 0.000"},
                  {"%6.3f", -0.0005, "-0.001"},  // stored slightly beyond -0.0005
                  {"%.2f", -0.001, "0.00"},
                  {"%1.0f", -0.4, "0"},
                  {"%4.1f", -0.0, " 0.0"},
                  {"%9.3f", 4.9406564584124654e-324, "    0.000"},
                  // %f: two decimals without precision; general from 1e18 on
                  {"%f", 1.5, "1.50"},
                  {"%5f", -1.5, "-1.50"},
                  {"%.f", 1.5, "2"},  // a point without digits is precision 0
                  {"%1.0f", 999999999999999872.0, "999999999999999872"},  // the largest double below 1e18
                  {"%1.0f", 1e18, "1E018"},
                  {"%9.3f", -1e18, "   -1E018"},
                  {"%4.1f", 2.5e20, "2.5E020"},
                  {"%.2f", 1e300, "1E300"},
                  // INF and NAN
                  {"%9.3g", kInf, "      INF"},
                  {"%6.3f", -kInf, "  -INF"},
                  {"%g", kNaN, "NAN"},
                  {"%1.0f", kNaN, "NAN"},
                  {"%g", -kInf, "-INF"},
                  // pads on the left and never cuts
                  {"%1.2f", 123.456, "123.46"},
                  {"%8.3f", 1.0, "   1.000"},
                  {"%12.3g", -1234567, "   -1.23E006"},
                  // the point as the decimal separator
                  {"%10.5f", 7.01, "   7.01000"},
                  {"%9.3g", 0.0000123, "1.23E-005"},
              });
}

TEST(FormatInteger, GivesPrecisionAsMinimumDigits) {
  const std::tuple<const char*, std::int64_t, const char*> cases[] = {
      {"%3.3d", 7, "007"},
      {"%3.3d_", 12, "012_"},
      {"%3d", 7, "  7"},
      {"%1d", 123, "123"},
      {"%5.3d", 42, "  042"},
      {"%3.3d", -7, "-007"},
      {"%d", 0, "0"},
      {"%d", std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
      {"E/A-Fehler %d", 103, "E/A-Fehler 103"},
      {"%2d", 12345, "12345"},  // never cut
      {"%9d", 12, "       12"},
  };
  for (const auto& [pattern, value, expected] : cases)
    EXPECT_EQ(expected, FormatInt(pattern, value)) << "pattern \"" << pattern << "\", value " << value;
}

TEST(FormatPattern, WritesTheSeparatorAppliesArgumentsInOrderAndHandlesPercentSignsAndOtherKinds) {
  // The decimal separator is written as the point.
  ExpectReals(',', {
                       {"%10.5f", 7.01, "   7,01000"},
                       {"%9.3g", 0.0000123, "1,23E-005"},
                       {"%5.3g", 1.5, "  1,5"},
                       {"%3.2f MHz", 14.2, "14,20 MHz"},
                       {"%6.3f", -0.0004, " 0,000"},
                   });
  SeparatorGuard guard(',');
  EXPECT_EQ("1,5+-2,3j V", Format("%3.1g%s%3.1gj V", {1.5, "+", -2.25}));
  EXPECT_EQ("P( 1,0|-2,5| 0,3) [eps: 0,05] :       123 V/m",
            Format("P(%4.1f|%4.1f|%4.1f) [eps: %3.2f] : %9.3g V/m", {1.0, -2.5, 0.25, 0.05, 123.4}));
  EXPECT_EQ("Seg.-Current (12): 0,00012 A", Format("Seg.-Current (%1d): %4.1g A", {12, 0.000123}));
  EXPECT_EQ("  1:  14,20 MHz", Format("%3d:  %4.2f MHz", {1, 14.2}));
  EXPECT_EQ("//      f;        x;", Format("//%7s;%9s;", {"f", "x"}));
  EXPECT_EQ("Field Type: ELECTRIC ", Format("Field Type: %1s", {"ELECTRIC "}));
  EXPECT_EQ("abcdef", Format("%3s", {"abcdef"}));  // never cut
  EXPECT_EQ("     ab", Format("%7s", {"ab"}));
  // Percent signs, missing arguments and arguments of another kind.
  DecimalSeparator = '.';
  EXPECT_EQ("100% 5", Format("100%% %d", {5}));
  EXPECT_EQ("1 and %d", Format("%d and %d", {1}));
  EXPECT_EQ("no specifier", Format("no specifier", {1}));
  EXPECT_EQ("50%", Format("50%", {}));
  EXPECT_EQ("  3.0", Format("%5.1f", {3}));  // an integer under f
  EXPECT_EQ("2", Format("%d", {2.9}));       // a real under d is truncated
  EXPECT_EQ("-2", Format("%d", {-2.9}));
  EXPECT_EQ(" text", Format("%5.1f", {"text"}));  // a text under f is written as text
}

// Exact reference for "%.Nf": the C library writes enough decimals to be exact, the rounding
// half away from zero is applied on that digit string here.
std::string ReferenceFixed(double v, int precision) {
  char buffer[1200];
  std::snprintf(buffer, sizeof buffer, "%.1100f", std::fabs(v));
  std::string text(buffer);
  std::size_t point = text.find('.');
  std::string digits = text.substr(0, point) + text.substr(point + 1);
  std::size_t keep = point + static_cast<std::size_t>(precision);
  bool up = digits[keep] >= '5';
  digits.resize(keep);
  if (up) {
    std::size_t i = keep;
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i > 0)
      ++digits[i - 1];
    else
      digits.insert(digits.begin(), '1');
  }
  std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(precision));
  std::string decimals = digits.substr(digits.size() - static_cast<std::size_t>(precision));
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
  bool zero = whole == "0" && decimals.find_first_not_of('0') == std::string::npos;
  std::string result = v < 0 && !zero ? "-" : "";
  result += whole;
  if (precision > 0) result += "." + decimals;
  return result;
}

TEST(FormatFixed, MatchesTheExactDecimalValueOnRandomInputs) {
  SeparatorGuard guard('.');
  std::mt19937_64 random(20240611);
  int failures = 0;
  for (int i = 0; i < 20000 && failures < 5; ++i) {
    double v;
    switch (i % 3) {
      case 0: {  // any bit pattern below 1e18
        std::uint64_t bits = random();
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v) || std::fabs(v) >= 1e18) continue;
        break;
      }
      case 1:  // values near a rounding boundary of three decimals
        v = static_cast<double>(static_cast<std::int64_t>(random() % 2000001) - 1000000) / 1000.0 + 0.0005;
        break;
      default:  // dyadic fractions: exact halves at many positions
        v = std::ldexp(static_cast<double>(random() >> 40), -static_cast<int>(random() % 30));
        break;
    }
    int precision = static_cast<int>(random() % 12);
    std::string pattern = "%." + std::to_string(precision) + "f";
    std::string expected = ReferenceFixed(v, precision);
    std::string actual = FormatReal(pattern, v);
    if (actual != expected) {
      ++failures;
      ADD_FAILURE() << pattern << " of " << std::hexfloat << v << ": expected " << expected << ", actual "
                    << actual;
    }
  }
}

}  // namespace

}  // namespace varnel
