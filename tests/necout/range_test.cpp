#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "necout/necout_support.hpp"
#include "necout/range.hpp"
#include "sample/sample_files.hpp"
#include "support/fuzz_seed.hpp"
#include "support/inout_error.hpp"
#include "support/test_root.hpp"

namespace varnel {

namespace {

// The warning for the line "n: 'text'".
std::string Warning(const std::string& line) {
  return "[Warning] loadRange: Conversion Error. Problem in c:\\4nec2\\b_in\\Ranges\\r.txt, line " + line +
         " is not a number.";
}

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

// One number a line, under either separator; the sample follows the separator; a missing file
// fails.
TEST(NecOutRange, ReadsOneNumberPerLine) {
  struct Case {
    const char* what;
    std::string bytes;
    RealList values;
    std::vector<std::string> refused;  // "n: 'text'" of each line warned about
  } cases[] = {
      {"three lines with CR LF", "7,01\r\n14,2\r\n21", {7.01, 14.2, 21}, {}},
      {"LF and a final line end", "7,01\n14,2\n21\n", {7.01, 14.2, 21}, {}},
      {"blanks around, exponent, any order", "  1,5E+01 \r\n-3\r\n1,5E+01\r\n", {15, -3, 15}, {}},
      {"a last empty line (two line ends at the end)", "7,01\r\n14,2\r\n\r\n", {7.01, 14.2}, {"3: ''"}},
      {"either mark, whatever the separator", "7.01\r\n14,2\r\n1.5E+01", {7.01, 14.2, 15}, {}},
      {"two marks are no number", "1.234,5\r\n7;01\r\n21", {21}, {"1: '1.234,5'", "2: '7;01'"}},
      {"text and an empty line inside", "abc\r\n\r\n21", {21}, {"1: 'abc'", "2: ''"}},
      {"an empty file is one empty line", "", {}, {"1: ''"}},
      {"a lone CR does not end a line", "7,01\r14,2\r\n", {}, {"1: '7,0114,2'"}},
      {"byte 26 ends the file",
       "7,01\r\n\x1a"
       "garbage\r\n",
       {7.01},
       {}},
      {"a tab is not a blank", "\t7,01", {}, {"1: '\t7,01'"}},
  };
  for (char separator : {',', '.'}) {
    for (const Case& c : cases) {
      const RangeRead r = LoadBytes(c.bytes, separator);
      EXPECT_EQ(c.values, r.values) << c.what << " under " << separator;
      std::vector<std::string> expected;
      for (const std::string& line : c.refused) expected.push_back(Warning(line));
      EXPECT_EQ(expected, r.messages) << c.what << " under " << separator;
    }
    // The sample range file is written with the separator in force, as a user of that locale reads it.
    SeparatorScope scope(separator);
    EXPECT_EQ(std::string("7") + separator + "01\r\n14" + separator + "2\r\n21\r\n", SampleRangeText());
  }
  // A missing file is an input/output failure.
  ScriptedFixture f;
  RealList values{1, 2};
  EXPECT_EQ("2 Datei nicht gefunden",
            ErrorOf([&] { loadRange(f.platform, "c:\\4nec2\\b_in\\Ranges\\missing.txt", values); }));
  EXPECT_TRUE(values.empty());
  EXPECT_TRUE(f.ui.messages.empty());
}

}  // namespace varnel
