// The batch commands end to end: headless-runner scripts over generated output folders, the
// tables and Info lines checked to the character.
#include <algorithm>
#include <sstream>

#include "batch_fixture.hpp"
#include "platform/scripted/runner.hpp"
#include "util/files.hpp"

namespace varnel {

namespace {

using namespace std::string_literals;

// The lines after the echo label from, up to the label to (to the end when to is empty).
std::vector<std::string> Between(const std::vector<std::string>& lines, const std::string& from,
                                 const std::string& to) {
  auto begin = std::find(lines.begin(), lines.end(), from);
  if (begin == lines.end()) return {};
  auto end = to.empty() ? lines.end() : std::find(begin, lines.end(), to);
  return {begin + 1, end};
}

class BatchScripts : public BatchTest {
 protected:
  std::vector<std::string> RunScriptText(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    status = RunScriptIn(root, in, out, 1, false);  // the split mode's pauses are not slept
    output = out.str();
    return TextFileLines(output);
  }

  int status = -1;
  std::string output;
};

const char* const kAddRunFolder = "answer folder c:\\4nec2\\b_out\\run\nrun MIAddBatchFolder\n";

// The batches of a script over the folder Add Batch Folder took (Button2 is Batch-Analyse
// Nearfield's button) print their panes as the window holds them, their mode lines and numbers
// under the separator the script chose; their values are tested in the batches' own tests.
TEST_F(BatchScripts, TheBatchesOfAScriptPrintTheirPanesUnderBothSeparators) {
  WriteRun("a.out", OutputRun(14.2, 1.0));
  const auto lines =
      RunScriptText(std::string("decimal ,\n") + kAddRunFolder +
                    "run Button2\necho ==near\nprint Mdata\nselect RGMode 3\nrun MIBatchLoadClick\n"
                    "echo ==circle\nprint Mdata\ndecimal .\nselect RGMode 0\nrun MIBatchLoadClick\n"
                    "echo ==data\nprint Mdata\n");
  EXPECT_EQ(0, status) << output;
  const auto near = Between(lines, "==near", "==circle");
  ASSERT_LE(5u, near.size()) << output;  // then the question whether to save the table
  EXPECT_EQ("// Field at P(10,0| 0,0| 4,0)", near[0]);
  EXPECT_EQ("   14,200;", near[4].substr(0, 10));
  EXPECT_EQ("// Max. on circle with r=10,0 ", Between(lines, "==circle", "").at(0));
  const auto data = Between(lines, "==data", "");
  ASSERT_EQ(5u, data.size()) << output;
  EXPECT_EQ("// Field at P(10.0| 0.0| 4.0)", data[0]);
  EXPECT_EQ("   14.200;    1.000;    1.000;    1.000;", data[4].substr(0, 40));
}

// A 30 MHz set with some budgets negative, its grid at 1,3 m and P at 4 m: each such output is
// named, the summary counts them, the grid point used is said once, the rows keep the numbers.
TEST_F(BatchScripts, AnalyseEutsNamesImpossibleBudgetsAndTheGridPointUsed) {
  for (int k = 0; k < 4; ++k) {
    ClassicOutput o = OutputRun(30.0, k % 2 ? -0.069 : 0.5);
    o.nearField = {FieldRow(10, 0, 1.3, 1), FieldRow(0, 10, 1.3, 2)};
    WriteRun("E_000_00" + std::to_string(k) + ".out", o);
  }
  const auto lines =
      RunScriptText(std::string("decimal ,\n") + kAddRunFolder +
                    "run MIAnalyseEUTsClick\necho ==info\nprint Mout\necho ==data\nprint Mdata\n");
  const auto info = Between(lines, "==info", "==data");
  const std::string tail =
      ": the engine's power budget is negative (-0,069 W): not physical; values normalised by "
      "it are left undefined";
  for (const std::string& line :
       {"E_000_001.out" + tail, "E_000_003.out" + tail,
        "2 of 4 rows have an impossible power budget (input or radiated power at or below 0)"s,
        "P (10|0|4) is 2,70 m from the nearest grid point (10|0|1,3)"s,
        "no grid point within 0,6 m of the circle of radius 10 m at z = 4 m; the grid's "
        "heights: 1,3 m"s})
    EXPECT_EQ(1, std::count(info.begin(), info.end(), line)) << line << "\n" << output;
  EXPECT_EQ("        2;        2;      NAN;        1;       30;   -0,069;",
            Between(lines, "==data", "").at(4));
}

}  // namespace

}  // namespace varnel
