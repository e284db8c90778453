// The rules of a print's runs, layout and end on snippets the test writes, so that they hold
// without the shared folder of real prints: a table after one of its own kind begins a run, a
// banner without a name is the classic print's, nec2c's banner is tried before the classic
// print, blank-padded lines end a whole print, and an engine's error at the structure after an
// NX card ends one too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "necout/reader.hpp"
#include "support/classic_output.hpp"

namespace varnel {

namespace {

ClassicOutput OneRun(double frequency, double impedance) {
  ClassicOutput o;
  o.frequency = frequency;
  o.feeds[0].impedanceRe = impedance;
  o.segments = {ClassicSegment{1, 0, 1, 0}};
  return o;
}

std::string WithBanner(std::string text, const std::string& banner) {
  const std::string classic = "NUMERICAL ELECTROMAGNETICS CODE (NEC-2D)";
  return text.replace(text.find(classic), classic.size(), banner);
}

// A whole print's last run followed by the NX card's echo and the next structure's banner, at
// which the engine stopped with its own error.
std::string EndedAtNextStructure(bool nxEchoed) {
  ClassicOutput o = OneRun(14.2, 50);
  o.trailer = false;
  std::string text = ClassicOutputText(o) + "\r\n\r\n";
  if (nxEchoed) text += "  DATA CARD No:   4 NX   0     0     0     0  0.00000E+00  0.00000E+00\r\n\r\n";
  return text +
         "                              __________________________________________\r\n"
         "                             |  NUMERICAL ELECTROMAGNETICS CODE (nec2c) |\r\n"
         "                             |__________________________________________|\r\n\r\n"
         "ERROR-NEC2C: nec2c: Error reading input file - aborting\r\n";
}

}  // namespace

// A feed-point table after a feed-point table of the same run (no FREQUENCY heading between)
// begins the next run: the near field's run reads the second table.
TEST(PrintRules, ATableAfterOneOfItsOwnKindBeginsARun) {
  ClassicOutput first = OneRun(14.2, 50), second = OneRun(14.2, 75);
  first.withCurrents = first.withPowerBudget = false;
  first.nearField.clear();
  second.withFrequency = false;
  second.nearField = {ClassicNearRow{1, 2, 3, 1, 0, 0, 0, 0, 0}};
  const std::string text = ClassicOutputText(std::vector<ClassicOutput>{first, second});
  const OutputPrint print(text);
  EXPECT_EQ(2u, print.RunCount());
  EXPECT_EQ(2u, print.RunNumber());
  EXPECT_DOUBLE_EQ(75, ReadAntennaInput(print).impedanceRe);
  EXPECT_DOUBLE_EQ(14.2, ReadFrequency(print)) << "the frequency of the run before";
}

// Which layout reads a snippet, and whether the snippet is whole.
TEST(PrintRules, LayoutAndEndOfSnippets) {
  const std::string whole = ClassicOutputText(OneRun(14.2, 50));
  ClassicOutput stopped = OneRun(14.2, 50);
  stopped.withFrequency = stopped.withAntennaInput = stopped.withCurrents = stopped.withPowerBudget = false;
  stopped.nearField.clear();
  stopped.trailer = false;
  struct Case {
    const char* what;
    std::string text;
    const char* layout;  // nullptr: no layout
    bool complete;
  } cases[] = {
      {"the classic print", whole, "NEC-2", true},
      {"a banner without a name", WithBanner(whole, "NUMERICAL ELECTROMAGNETICS CODE"), "NEC-2", true},
      {"an engine no layout knows", WithBanner(whole, "NUMERICAL ELECTROMAGNETICS CODE (XYZ-9)"), nullptr,
       false},
      {"nec2c's banner without a run: nec2c before the classic print",
       WithBanner(ClassicOutputText(stopped), "NUMERICAL ELECTROMAGNETICS CODE (nec2c)"), "nec2c", false},
      {"blank-padded lines after the closing line", whole + "\r\n   \r\n\t \r\n  ", "NEC-2", true},
      {"blank lines with LF ends", whole + "\n\n   \n", "NEC-2", true},
      {"the closing line padded by blanks", whole + "     ", "NEC-2", true},
      {"cut before the closing line", whole.substr(0, whole.rfind("\r\n")), "NEC-2", false},
      {"the engine's error at the structure after an NX card", EndedAtNextStructure(true), "NEC-2", true},
      {"the same error without an NX card before it", EndedAtNextStructure(false), "NEC-2", false},
  };
  for (const Case& c : cases) {
    const OutputPrint print(c.text);
    ASSERT_EQ(c.layout == nullptr, print.Layout() == nullptr) << c.what;
    if (c.layout) {
      EXPECT_EQ(c.layout, print.Layout()->name) << c.what;
    }
    EXPECT_EQ(c.complete, print.Complete()) << c.what;
  }
}

}  // namespace varnel
