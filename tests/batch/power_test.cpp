// Batch-Analyse Power: received power of the analysis segment and its gain figure.
#include "batch_fixture.hpp"
#include <algorithm>

#include "util/errors.hpp"

namespace varnel {

namespace {

using BatchPower = BatchTest;

const std::string kHeadings = "//  Freq ;    Pwr  ;   RecPwr;  Gain_dB;  SegCurr;";
const std::string kUnits = "//   MHz ;     W   ;     mW  ;         ;     A   ;";

// The display fields stay as they were; pane M and the working values show the last file.
TEST_F(BatchPower, OneAmpereIntoFiftyOhmsAgainstHundredWattsKeepingTheDisplayFields) {
  // P = (1 / sqrt 2)^2 * 50 = 25 W = 2.5E4 mW; Gain_dB = 10 log10(sqrt(25 / 100)) = -3.01.
  WriteRun("a.out", OutputRun(14.2, 100.0, {1.0}));
  WriteRun("b.out", OutputRun(1000.0, 1.0, {0.0}));
  UseFiles({"b.out", "a.out"});
  form->EditFrequency.text = "before";
  form->EditInputPower.text = "before";
  form->MIBatchAnalysePowerClick();
  const std::vector<std::string> expected = {kHeadings, kUnits,
                                             "    1E003;        1;        0;        0;        0;",
                                             "     14,2;      100;  2,5E004;    -3,01;        1;"};
  EXPECT_EQ(expected, form->Mdata.lines) << PaneText(form->Mdata);
  EXPECT_EQ((std::vector<std::string>{"--------------- Batch-Analyse Power----------------", "Load: b.out",
                                      "Load: a.out", "--------- Batch Job Done ---------"}),
            form->Mout.lines);
  EXPECT_EQ("before", form->EditFrequency.text);
  EXPECT_EQ("before", form->EditInputPower.text);
  EXPECT_EQ("Showing: a.out", form->M.hint);
  EXPECT_DOUBLE_EQ(100.0, form->params.inputPower);
  EXPECT_EQ(ClassicOutputText(OutputRun(14.2, 100.0)), form->params.currentText);
}

// The working segment and resistance give the row; a segment beyond the table gives undefined
// cells and a note. (0.02 / sqrt 2)^2 * 100 = 0.02 W = 20 mW; 10 log10(sqrt 0.02) = -8.49.
TEST_F(BatchPower, SegmentAndResistanceAreTheWorkingValues) {
  WriteRun("a.out", OutputRun(14.2, 1.0, {1.0, 0.02}));
  UseFiles({"a.out"});
  form->params.AnalysingResistance = 100.0;
  for (const auto& [segment, row] : {std::pair{2, "     14,2;        1;       20;    -8,49;     0,02;"},
                                     std::pair{5, "     14,2;        1;      NAN;      NAN;      NAN;"}}) {
    form->params.AnalyseSegment = segment;
    form->MIBatchAnalysePowerClick();
    ASSERT_EQ(3u, form->Mdata.lines.size());
    EXPECT_EQ(row, form->Mdata.lines[2]);
  }
  EXPECT_EQ("Segment 5 is not printed in a.out (the current table lists segments 1 to 2)",
            form->Mout.lines.at(2));
  EXPECT_EQ("Undefined value in a.out: written as NAN", form->Mout.lines.at(3));
}

// A budget no structure can have (a negative input or radiated power) gives no gain, whatever
// the current; the row keeps the file's own numbers and the Info pane names the file. An input
// power of 0 ends the run at its file, as the division would.
TEST_F(BatchPower, AnImpossibleBudgetGivesAnUndefinedGainAndIsNamed) {
  ClassicOutput radiated = OutputRun(14.2, 1.0, {0.0});
  radiated.radiatedPower = -0.5;
  WriteRun("neg.out", OutputRun(14.2, -2.25e-3, {1.0}));
  WriteRun("rad.out", radiated);
  UseFiles({"neg.out", "rad.out"});
  form->MIBatchAnalysePowerClick();
  EXPECT_EQ((std::vector<std::string>{kHeadings, kUnits, "     14,2; -0,00225;  2,5E004;      NAN;        1;",
                                      "     14,2;        1;        0;      NAN;        0;"}),
            form->Mdata.lines);
  const std::string tail = ": not physical; values normalised by it are left undefined";
  for (const std::string& line : {"neg.out: the engine's power budget is negative (-0,0022 W)" + tail,
                                  "rad.out: the engine's power budget is negative (-0,5 W)" + tail})
    EXPECT_EQ(1, std::count(form->Mout.lines.begin(), form->Mout.lines.end(), line)) << PaneText(form->Mout);
  EXPECT_EQ("--------- Batch Job Done ---------", form->Mout.lines.back());
  WriteRun("zero.out", OutputRun(14.2, 0.0, {0.0}));
  UseFiles({"neg.out", "zero.out", "rad.out"});
  EXPECT_THROW(form->MIBatchAnalysePowerClick(), ZeroDivideError);
  EXPECT_EQ(3u, form->Mdata.lines.size()) << PaneText(form->Mdata);
}

}  // namespace

}  // namespace varnel
