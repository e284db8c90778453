#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "necout/necout_support.hpp"
#include "necout/range.hpp"
#include "support/fuzz_seed.hpp"
#include "support/test_root.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

const std::string kWarning = "[Warning] loadRange: Conversion Error. Problem in c:\\4nec2\\b_in\\Ranges\\r.txt.";

struct RangeRead {
  RealList values;
  std::vector<std::string> messages;
};

RangeRead LoadBytes(const std::string& bytes, char separator = ',') {
  SaveFuzzSeed("range", bytes);
  SeparatorScope scope(separator);
  ScriptedFixture f;
  f.root.Write("drive_c/4nec2/b_in/Ranges/r.txt", bytes);
  RangeRead r;
  r.values = {99};
  loadRange(f.platform, "c:\\4nec2\\b_in\\Ranges\\r.txt", r.values);
  r.messages = f.ui.messages;
  return r;
}

}  // namespace

TEST(NecOutRange, ReadsOneNumberPerLine) {
  struct Case {
    const char* what;
    std::string bytes;
    RealList values;
    std::size_t warnings;
  } cases[] = {
      {"three lines with CR LF", "7,01\r\n14,2\r\n21", {7.01, 14.2, 21}, 0},
      {"LF and a final line end", "7,01\n14,2\n21\n", {7.01, 14.2, 21}, 0},
      {"blanks around, exponent, any order", "  1,5E+01 \r\n-3\r\n1,5E+01\r\n", {15, -3, 15}, 0},
      {"a last empty line (two line ends at the end)", "7,01\r\n14,2\r\n\r\n", {7.01, 14.2}, 1},
      {"a point as separator", "7.01\r\n14,2", {14.2}, 1},
      {"text and an empty line inside", "abc\r\n\r\n21", {21}, 2},
      {"an empty file is one empty line", "", {}, 1},
      {"a lone CR does not end a line", "7,01\r14,2\r\n", {}, 1},
      {"byte 26 ends the file", "7,01\r\n\x1a" "garbage\r\n", {7.01}, 0},
      {"a tab is not a blank", "\t7,01", {}, 1},
  };
  for (const Case& c : cases) {
    const RangeRead r = LoadBytes(c.bytes);
    EXPECT_EQ(c.values, r.values) << c.what;
    EXPECT_EQ(c.warnings, r.messages.size()) << c.what;
    for (const std::string& m : r.messages) EXPECT_EQ(kWarning, m) << c.what;
  }
}

TEST(NecOutRange, FollowsTheDecimalSeparator) {
  const RangeRead point = LoadBytes("7.01\r\n14,2\r\n", '.');
  EXPECT_EQ((RealList{7.01}), point.values);
  EXPECT_EQ(1u, point.messages.size());
}

TEST(NecOutRange, AMissingFileIsAnInputOutputFailure) {
  ScriptedFixture f;
  RealList values{1, 2};
  try {
    loadRange(f.platform, "c:\\4nec2\\b_in\\Ranges\\missing.txt", values);
    ADD_FAILURE() << "expected InOutError";
  } catch (const InOutError& e) {
    EXPECT_STREQ("Datei nicht gefunden", e.what());
    EXPECT_EQ(2, e.code);
  }
  EXPECT_TRUE(values.empty());
  EXPECT_TRUE(f.ui.messages.empty());
}

}  // namespace varnel
