#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "support/fuzz_seed.hpp"
#include "support/scoped_settings.hpp"
#include "util/errors.hpp"
#include "util/numbers.hpp"

namespace varnel {

namespace {

// The message of the ConversionError the call throws, or a note that it did not throw.
template <typename Call>
std::string FailureOf(Call call) {
  try {
    call();
  } catch (const ConversionError& error) {
    return error.what();
  }
  return "(no failure)";
}

TEST(TextToReal, AcceptsTheDecimalCommaForm) {
  SeparatorGuard guard(',');
  const std::pair<const char*, double> cases[] = {
      {"1,5", 1.5},
      {"  -2,5E-3  ", -0.0025},
      {",5", 0.5},
      {"5,", 5.0},
      {"+3", 3.0},
      {"1e3", 1000.0},
      {"1E+3", 1000.0},
      {"7,01", 7.01},
      {"0,1", 0.1},
      {"-0", -0.0},
      {"00012", 12.0},
      {"1,5e-0", 1.5},
      {"123456789012345678901234567890", 1.2345678901234568e29},
      {"0,30000000000000000000000000000000000001", 0.3},
      {"1E-400", 0.0},  // below the smallest double: zero
      {"4,9406564584124654E-324", 4.9406564584124654e-324},
  };
  for (const auto& [text, expected] : cases) {
    SaveFuzzSeed("numbers", text);
    const double value = TextToReal(text);  // a refusal fails the test with its message
    EXPECT_EQ(expected, value) << "TextToReal(\"" << text << "\")";
    EXPECT_EQ(std::signbit(expected), std::signbit(value)) << "sign of TextToReal(\"" << text << "\")";
  }
}

// Long mantissas around the edge of what one exact operation can round (2^53 and beyond, 16
// to 20 digits, every exponent an exact power of ten allows): each must be the double the
// standard library reads from the same digits.
TEST(TextToReal, LongMantissasGiveTheStandardLibrarysDouble) {
  SeparatorGuard guard(',');
  std::mt19937_64 rng(53);
  for (int round = 0; round < 20000; ++round) {
    const std::uint64_t mantissa = (std::uint64_t{1} << 53) + rng() % (std::uint64_t{1} << 60);
    std::string digits = std::to_string(mantissa).substr(0, 16 + round % 5);
    const int exponent = static_cast<int>(rng() % 45) - 22;
    const std::string text = digits + "E" + std::to_string(exponent);
    double expected = 0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    const std::string withMark = digits.substr(0, 1) + "," + digits.substr(1) + "E" +
                                 std::to_string(exponent + static_cast<int>(digits.size()) - 1);
    ASSERT_EQ(expected, TextToReal(text)) << text;
    ASSERT_EQ(expected, TextToReal(withMark)) << withMark;
  }
}

TEST(TextToReal, TakesOnlyTheCurrentSeparatorAndRefusesEverythingElseWithTheRunTimeMessage) {
  SeparatorGuard guard(',');
  const char* refused[] = {"1.5", "",    " ",   "1 5", "1,5,",  "1,,5",  "--1",  "+-1",
                           "1E",  "1E+", "E5",  "\t1", "1\t",   "1,5 x", "0x10", "1.000,5",
                           "-",   "+",   "inf", "nan", "1e5,5", "1E400"};  // beyond the double range
  for (const char* text : refused) SaveFuzzSeed("numbers", text);
  for (const char* text : refused)
    EXPECT_EQ("'" + std::string(text) + "' ist kein gültiger Gleitkommawert",
              FailureOf([&] { TextToReal(text); }))
        << "TextToReal(\"" << text << "\")";
  std::string withNul("1,5\0", 4);
  // An embedded NUL is not a trailing blank, and the message shows the whole text.
  EXPECT_EQ("'1,5\\0' ist kein gültiger Gleitkommawert", FailureOf([&] { TextToReal(withNul); }));
  // Only the current separator is taken, and a lone one reads as zero.
  DecimalSeparator = '.';
  EXPECT_EQ(1.5, TextToReal("1.5"));
  EXPECT_EQ(-0.0025, TextToReal(" -2.5e-3 "));
  EXPECT_EQ(0.0, TextToReal(" -. "));
  EXPECT_EQ("'1,5' ist kein gültiger Gleitkommawert", FailureOf([] { TextToReal("1,5"); }));
  DecimalSeparator = ',';
  EXPECT_EQ(0.0, TextToReal(","));
}

TEST(TextToInt, ReadsDecimalAndHexadecimalThirtyTwoBitIntegers) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"12", 12},
      {"  -7", -7},
      {"+5", 5},
      {"007", 7},
      {"$1F", 31},
      {"0x1f", 31},
      {"-$10", -16},
      {"0", 0},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"$7FFFFFFF", 2147483647},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(expected, TextToInt(text)) << "TextToInt(\"" << text << "\")";
  const char* refused[] = {"2147483648", "-2147483649", "$80000000", "12 ", "1,5",
                           "",           " ",           "$",         "0x",  "abc",
                           "1e3",        "--1",         "0x-1",      "\t1", "99999999999999999999999"};
  for (const char* text : refused)
    EXPECT_EQ("'" + std::string(text) + "' ist kein gültiger Integerwert",
              FailureOf([&] { TextToInt(text); }))
        << "TextToInt(\"" << text << "\")";
}

TEST(DisplayTexts, FrequencyTextPicksDecimalsByRangeAndSignTextKeepsThePlusDownToMinusOneHundredth) {
  SeparatorGuard guard(',');
  const std::pair<double, const char*> cases[] = {
      {0.5, "0,5000 MHz"},  {0, "0,0000 MHz"},        {1, "1,00 MHz"},      {14.2, "14,20 MHz"},
      {100, "100,00 MHz"},  {999.999, "1000,00 MHz"}, {1000, "1000,0 MHz"}, {9999.9, "9999,9 MHz"},
      {10000, "10000 MHz"}, {-1, "-1 MHz"},           {-0.4, "0 MHz"},
  };
  for (const auto& [megahertz, expected] : cases)
    EXPECT_EQ(expected, FrequencyText(megahertz)) << "FrequencyText(" << megahertz << ")";
  for (double v : {-0.005, -0.01, 0.0, 3.0}) EXPECT_EQ("+", SignText(v)) << v;
  for (double v : {-0.02, -5.0}) EXPECT_EQ("", SignText(v)) << v;
}

TEST(AngleAndLogarithm, UseTheDefinedFormulas) {
  // The angle conversion uses pi to eleven decimals, which leaves a trace at 180 and 90 degrees.
  EXPECT_NEAR(-2.0726719632e-13, SinDeg(180), 1e-20);
  EXPECT_NEAR(-1.0363359816e-13, CosDeg(90), 1e-20);
  EXPECT_NEAR(0.5, SinDeg(30), 1e-12);
  EXPECT_NEAR(0.5, CosDeg(60), 1e-12);
  EXPECT_DOUBLE_EQ(0.1, Power10(-1));
  EXPECT_DOUBLE_EQ(100, Power10(2));
  EXPECT_DOUBLE_EQ(1, Power10(0));
  EXPECT_DOUBLE_EQ(2, Log10(100));
  EXPECT_NEAR(-3, Log10(0.001), 1e-15);
  EXPECT_EQ(0, Log10(0));
  EXPECT_EQ(0, Log10(-5));
}

TEST(RealLists, AppendReturnsTheNewIndexAndFillRangeAccumulatesTheStep) {
  RealList reals;
  EXPECT_EQ(0u, AppendReal(reals, 1.5));
  EXPECT_EQ(1u, AppendReal(reals, 2.5));
  TextList texts{"a"};
  EXPECT_EQ(1u, AppendText(texts, "b"));
  EXPECT_EQ((TextList{"a", "b"}), texts);
  RealList list{9, 9, 9};
  FillRange(list, 1, 2, 0.5);
  EXPECT_EQ((RealList{1, 1.5, 2}), list);
  FillRange(list, 3, 1, 1);
  EXPECT_EQ(RealList{3}, list) << "the first value always";
  FillRange(list, 0, 1, 0.1);
  ASSERT_EQ(11u, list.size()) << "the running sum stays just below 1 after ten steps";
  EXPECT_EQ(0.30000000000000004, list[3]);
  EXPECT_EQ(0.9999999999999999, list[10]);
  // A bad step never loops forever.
  FillRange(list, 1, 5, 0);
  EXPECT_EQ(RealList{1}, list);
  FillRange(list, 1, 5, -1);
  EXPECT_EQ(RealList{1}, list);
  FillRange(list, 1, 5, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(RealList{1}, list);
  FillRange(list, 1e20, 2e20, 1);  // the step is lost in the rounding of the running value
  EXPECT_EQ(RealList{1e20}, list);
}

// The first of equal elements is kept; random lists with NaN, both zeros and repeats agree with
// the first-element-replaced-only-by-a-strictly-better-one walk, bit for bit.
TEST(RealLists, MaxOfAndMinOfKeepTheFirstOfEqualElementsAsTheWalkDoes) {
  EXPECT_EQ(7, MaxOf({3, 7, 7, 1}));
  EXPECT_EQ(1, MinOf({3, 7, 1, 7}));
  EXPECT_EQ(-2, MaxOf({-2}));
  EXPECT_TRUE(std::signbit(MaxOf({-0.0, 0.0}))) << "only a strictly larger element replaces the candidate";
  EXPECT_FALSE(std::signbit(MinOf({0.0, -0.0}))) << "only a strictly smaller element replaces the candidate";
  std::mt19937_64 random(5);
  const double pool[] = {std::numeric_limits<double>::quiet_NaN(), 0.0, -0.0, 1.5, -1.5, 3.0, -7.0,
                         std::numeric_limits<double>::infinity()};
  for (int round = 0; round < 2000; ++round) {
    RealList values(1 + random() % 13);
    const std::size_t kinds = 2 + random() % 7;
    for (double& v : values) v = pool[random() % kinds];
    double max = values[0], min = values[0];
    for (double v : values) {
      if (v > max) max = v;
      if (v < min) min = v;
    }
    const std::uint64_t expected[2] = {std::bit_cast<std::uint64_t>(max), std::bit_cast<std::uint64_t>(min)};
    const std::uint64_t actual[2] = {std::bit_cast<std::uint64_t>(MaxOf(values)),
                                     std::bit_cast<std::uint64_t>(MinOf(values))};
    ASSERT_EQ(expected[0], actual[0]) << "MaxOf " << ::testing::PrintToString(values);
    ASSERT_EQ(expected[1], actual[1]) << "MinOf " << ::testing::PrintToString(values);
  }
}

// The rule itself, quadratic: every element with a later one closer than 0.001 is not counted.
std::size_t CountDistinctByRule(const RealList& v) {
  std::size_t count = v.size();
  for (std::size_t i = 0; i < v.size(); ++i)
    for (std::size_t j = i + 1; j < v.size(); ++j)
      if (std::fabs(v[i] - v[j]) < 0.001) {
        --count;
        break;
      }
  return count;
}

TEST(CountDistinct, FollowsTheOrderDependentNonTransitiveRule) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<RealList, std::size_t> cases[] = {
      {{1, 1.0005, 2}, 2},
      {{0, 0.0009, 0.0018}, 1},  // a chain counts as one value
      {{0.0009, 0, 0.0018}, 2},  // the same values in another order
      {{0, 0.001}, 2},           // the tolerance is strict
      {{1.0, 1.001}, 1},         // 1.001 - 1 is just below 0.001 in binary
      {{0.001, 0.002}, 2},       // 0.002 - 0.001 is exactly 0.001
      {{5, 5, 5}, 1},
      {{}, 0},
      {{nan, nan, 1}, 3},
      {{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()},
       2},  // inf - inf is NaN
      {{-0.0, 0.0}, 1},
  };
  for (const auto& [values, expected] : cases) {
    EXPECT_EQ(expected, CountDistinct(values)) << "CountDistinct of " << ::testing::PrintToString(values);
    EXPECT_EQ(expected, CountDistinctByRule(values))
        << "the table itself, for " << ::testing::PrintToString(values);
  }
}

// Short random lists, then long lists of mostly new values with repeats and near neighbours of
// earlier ones, rising, falling and shuffled, then grid-ordered lists.
TEST(CountDistinct, AgreesWithTheRuleOnRandomAndGridOrderedLists) {
  std::mt19937_64 random(7);
  for (int round = 0; round < 300; ++round) {
    RealList values;
    std::size_t size = random() % 60;
    double offset = static_cast<double>(random() % 1000) / 7.0;
    for (std::size_t i = 0; i < size; ++i) {
      switch (random() % 20) {
        case 0:
          values.push_back(std::numeric_limits<double>::infinity());
          break;
        case 1:
          values.push_back(std::numeric_limits<double>::quiet_NaN());
          break;
        default:
          values.push_back(offset + static_cast<double>(random() % 40) * 0.0005);  // half-tolerance steps
      }
    }
    ASSERT_EQ(CountDistinctByRule(values), CountDistinct(values)) << ::testing::PrintToString(values);
  }
  random.seed(11);
  for (int round = 0; round < 6; ++round) {
    RealList values;
    for (int i = 0; i < 6000; ++i) {
      if (i > 10 && random() % 8 == 0)
        values.push_back(values[random() % values.size()] + (random() % 3) * 0.0005);
      else
        values.push_back(static_cast<double>(random() % 20000) * 0.0007);
    }
    if (round % 3 == 1) std::sort(values.begin(), values.end());
    if (round % 3 == 2) std::sort(values.rbegin(), values.rend());
    if (round >= 3) values.insert(values.end(), values.begin(), values.begin() + 3000);
    ASSERT_EQ(CountDistinctByRule(values), CountDistinct(values)) << "round " << round;
  }
  // Grid coordinates repeat in runs (the slow axis) and in cycles (the fast axis); the values
  // of a step below the tolerance chain into one.
  struct Case {
    const char* name;
    int outer, inner;  // value index = (i / inner) % outer
    double start, step;
  };
  const Case cases[] = {
      {"runs of 9 of 27 values", 27, 9, -13, 1.0},
      {"cycles of 9 values", 9, 1, 0, 0.25},
      {"runs with a step below the tolerance", 12, 5, 2, 0.0004},
      {"cycles with a step of the tolerance", 7, 1, 0.001, 0.001},
      {"all distinct", 500, 1, -1, 0.01},
  };
  // A list that cycles is settled by its first and last cycle; a change anywhere in between
  // (a new value, a near neighbour, a zero of the other sign, a NaN) must still count.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const Case& c : cases) {
    const int cycle = c.outer * c.inner;
    for (int length : {cycle, 3 * cycle, 5 * cycle + c.inner + 1}) {
      RealList values;
      for (int i = 0; i < length; ++i) values.push_back(c.start + ((i / c.inner) % c.outer) * c.step);
      EXPECT_EQ(CountDistinctByRule(values), CountDistinct(values))
          << c.name << ", " << length << " elements";
      for (double changed : {c.start + 0.5 * c.step, c.start + 0.0009, c.start + 100, -0.0, nan}) {
        RealList broken = values;
        broken[static_cast<std::size_t>(length / 2)] = changed;
        EXPECT_EQ(CountDistinctByRule(broken), CountDistinct(broken))
            << c.name << ", " << length << " elements, the middle one " << changed;
      }
    }
  }
  // A cycle that begins with a NaN, or of zeros of both signs.
  // Mixed zero signs and exact repeats far apart in the list, last.
  for (const RealList& v : {RealList{nan, 1, 2, nan, 1, 2, nan, 1, 2, nan, 1},
                            RealList{0.0, -0.0, 1, 0.0, -0.0, 1, 0.0, -0.0, 1, 0.0},
                            RealList{0.0, 1.0, -0.0, 2.0, 1.0, 0.0005, -0.0, 3.0, 2.0}})
    EXPECT_EQ(CountDistinctByRule(v), CountDistinct(v)) << ::testing::PrintToString(v);
}

}  // namespace

}  // namespace varnel
