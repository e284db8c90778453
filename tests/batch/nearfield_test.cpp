// Batch-Analyse Nearfield: the table, the Info lines per file, the display fields, the five
// geometries, and the files it meets that it cannot use.
#include "support/event_action.hpp"
#include "batch_fixture.hpp"
#include "batch/batch_run.hpp"
#ifndef _WIN32  // runs Linux's nec2c
#include "engine/nec2c_run.hpp"
#endif
#include "necout/nearfield.hpp"
#include "test_paths.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace varnel {

namespace {

using BatchNearField = BatchTest;

const std::string kHeadings =
    "//  Freq ;    Pwr  ;    E_H  ;  E_Hcorr;    Ur   ;    Ui   ;    Ir   ;    Ii   ;    Zr   ;    Zi   ;";
const std::string kUnits =
    "//   MHz ;     W   ;  V/m_A/m;  V/m_A/m;     V   ;     V   ;     A   ;     A   ;    Ohm  ;    Ohm  ;";

// The rows are corrected for each file's own power; the display fields, pane M and the working
// values show the last file; the run keeps the list it started with when the list changes
// meanwhile.
TEST_F(BatchNearField, TwoFilesGiveSixLinesTheRowsCorrectedForTheirOwnPowerAndShowTheLastFile) {
  ClassicOutput first = OutputRun(28.0, 4.0);
  first.nearField = SixPointGrid(10.0);  // 10 V/m at P, 4 W: corrected to 1 W gives 5 V/m
  first.feeds[0].voltageRe = 2 * std::sqrt(2.0);
  first.feeds[0].currentIm = -std::sqrt(2.0) / 10;
  WriteRun("a.out", first);
  WriteRun("b.out", OutputRun(14.2, 1.0));
  UseFiles({"a.out", "b.out"});
  OnEvents(ui, [this] { form->params.BatchFiles.clear(); });
  form->MIBatchLoadClick();

  const std::vector<std::string> expected = {
      "// Field at P(10,0| 0,0| 4,0)",
      "",
      kHeadings,
      kUnits,
      "   28,000;    4,000;   10,000;    5,000;    2,000;    0,000;    0,000;   -0,100;   50,000;   -0,500;",
      "   14,200;    1,000;    1,000;    1,000;    0,000;    0,000;    0,000;    0,000;   50,000;   -0,500;"};
  EXPECT_EQ(expected, form->Mdata.lines) << PaneText(form->Mdata);
  EXPECT_EQ("--------- Batch Job Done ---------", form->Mout.lines.back());
  EXPECT_EQ("14,20 MHz", form->EditFrequency.text);
  EXPECT_EQ("  1 W", form->EditInputPower.text);
  EXPECT_EQ("  0+  0j V", form->EditVoltage.text);
  EXPECT_EQ(" 50-0,5j Ohm", form->EditImpedance.text);
  EXPECT_EQ("-10,00", form->EditXStart.text);
  EXPECT_EQ("12,50", form->EditZStep.text);
  EXPECT_EQ("ELECTRIC ", form->EditType.text);
  EXPECT_EQ("Showing: b.out", form->M.hint);
  EXPECT_EQ(ClassicOutputText(OutputRun(14.2, 1.0)), form->params.currentText);
  ASSERT_FALSE(form->M.lines.empty());
  EXPECT_EQ(form->M.lines.back(), "  RUN TIME =     0.010");
  EXPECT_DOUBLE_EQ(1.0, form->params.inputPower);
  EXPECT_EQ(6u, form->params.nearField.table.value.size());
}

// A near field printed by a later run is restated with that run's power, beside that run's
// frequency and feed; the Info pane says which run it was. A file without a near-field table
// gets an undefined row and a line that says why.
TEST_F(BatchNearField, TheRowOfANearFieldOfALaterRunHoldsThatRunsValues) {
  ClassicOutput first = OutputRun(14.2, 1.0), second = OutputRun(28.0, 4.0);
  first.nearField.clear();
  second.nearField = SixPointGrid(10.0);
  WriteFile("a.out", ClassicOutputText(std::vector<ClassicOutput>{first, second}));
  WriteRun("b.out", first);
  UseFiles({"a.out", "b.out"});
  form->MIBatchLoadClick();
  EXPECT_EQ(
      "   28,000;    4,000;   10,000;    5,000;    0,000;    0,000;    0,000;    0,000;   50,000;   -0,500;",
      std::string(form->Mdata.lines[4]));
  EXPECT_EQ(
      "   14,200;    1,000;      NAN;      NAN;    0,000;    0,000;    0,000;    0,000;   50,000;   -0,500;",
      std::string(form->Mdata.lines[5]));
  EXPECT_TRUE(Said("Read at run 2 of 2, 28 MHz, the run of the near-field table")) << PaneText(form->Mout);
  EXPECT_TRUE(Said(ListedFilePath(*form, "b.out") + " holds no near-field table")) << PaneText(form->Mout);
}

// The mode selects the geometry of the row and its mode line; the Info lines of one file come in
// their order whatever the mode, and a magnetic table gives A/m in them but keeps the units line
// of the table.
TEST_F(BatchNearField, ModeSelectsTheRowAndItsModeLineAndTheInfoLinesComeInTheirOrder) {
  const std::tuple<int, std::string, std::string> cases[] = {
      {0, "// Field at P(10,0| 0,0| 4,0)", "    1,000;    1,000;"},
      {1, "// Max. Field on par. Z-Axis thru (10,0| 0,0)", "    2,000;    2,000;"},
      {2, "// Max. in xz-Plane at y=10,0 ", "    6,000;    6,000;"},
      {3, "// Max. on circle with r=10,0 ", "    4,000;    4,000;"},
      {4, "// Max. on cylinder with r=10,0 ", "    5,000;    5,000;"},
  };
  for (const bool magnetic : {false, true}) {
    ClassicOutput o = OutputRun(14.2, 1.0);
    o.magnetic = magnetic;
    WriteRun("a.out", o);
    UseFiles({"a.out"});
    const std::string unit = magnetic ? " A/m" : " V/m";
    const std::vector<std::string> info = {"--------------- Batch Load and Analyse ----------------",
                                           "Field Strength is corrected to 1 W inserted power. ",
                                           "Load: a.out",
                                           "Analyse: ",
                                           "X-Intervall: -10,00 -> 10,00   Step: 6,67",
                                           "Y-Intervall: -10,00 -> 10,00   Step: 10,00",
                                           "Z-Intervall:  0,00 -> 50,00   Step: 12,50",
                                           magnetic ? "Field Type: MAGNETIC " : "Field Type: ELECTRIC ",
                                           "Field at P(10,0| 0,0| 4,0) [eps: 0,00] :         1" + unit,
                                           "Max. par. Z-Axis thru (10,0| 0,0) :         2" + unit,
                                           "Max. in xz-Plane at y=10,0 :         6" + unit,
                                           "Max. on circle with r=10,0 :         4" + unit,
                                           "Max. on Cylinder with r=10,0 :         5" + unit,
                                           "--------- Batch Job Done ---------"};
    for (const auto& [mode, modeLine, fieldCells] : cases) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << (magnetic ? " magnetic" : ""));
      form->RGMode.itemIndex = mode;
      form->MIBatchLoadClick();
      ASSERT_EQ(5u, form->Mdata.lines.size());
      EXPECT_EQ(modeLine, form->Mdata.lines[0]);
      EXPECT_EQ(kUnits, form->Mdata.lines[3]);
      EXPECT_EQ(fieldCells, form->Mdata.lines[4].substr(20, 20));
      EXPECT_EQ(info, form->Mout.lines) << PaneText(form->Mout);
    }
  }
}

// A budget no structure can have leaves E_Hcorr undefined; E_H and Pwr stay the file's own. With the grid at
// 1,3 m and P at 4 m, the field "at P" is that of a grid point 2,70 m away, which is said once.
TEST_F(BatchNearField, AnImpossibleBudgetLeavesTheCorrectedFieldUndefined) {
  for (const auto& [name, power] : {std::pair{"a.out", 1.0}, {"neg.out", -0.069}}) {
    ClassicOutput o = OutputRun(14.2, power);
    o.nearField = {FieldRow(10, 0, 1.3, 1), FieldRow(0, 10, 1.3, 2)};
    WriteRun(name, o);
  }
  UseFiles({"a.out", "neg.out"});
  form->MIBatchLoadClick();
  ASSERT_EQ(6u, form->Mdata.lines.size()) << PaneText(form->Mdata);
  EXPECT_EQ("   14,200;    1,000;    1,000;    1,000;", form->Mdata.lines[4].substr(0, 40));
  EXPECT_EQ("   14,200;   -0,069;    1,000;      NAN;", form->Mdata.lines[5].substr(0, 40));
  const auto& info = form->Mout.lines;
  for (const char* line : {"neg.out: the engine's power budget is negative (-0,069 W): not physical; values "
                           "normalised by it are left undefined",
                           "Undefined value in neg.out: written as NAN", "--------- Batch Job Done ---------",
                           "P (10|0|4) is 2,70 m from the nearest grid point (10|0|1,3)"})
    EXPECT_EQ(1, std::count(info.begin(), info.end(), line)) << line << "\n" << testing::PrintToString(info);
  EXPECT_EQ(std::vector<bool>({false, true}), form->MdataValues.impossibleBudget);
}

TEST_F(BatchNearField, GeometryWithoutGridPointWritesNanAndSaysSo) {
  ClassicOutput o = OutputRun(14.2, 1.0);
  o.nearField = {FieldRow(0, 0, 0, 3)};  // on the Z axis: no circle or cylinder point
  WriteRun("axis.out", o);
  UseFiles({"axis.out"});
  form->RGMode.itemIndex = 4;
  form->MIBatchLoadClick();
  ASSERT_EQ(5u, form->Mdata.lines.size());
  EXPECT_EQ("      NAN;      NAN;", form->Mdata.lines[4].substr(20, 20));
  EXPECT_TRUE(Said("Undefined value in axis.out: written as NAN")) << PaneText(form->Mout);
}

#ifndef _WIN32
// On every real print of the shared folder and nec2c's prints of its decks, the row takes what
// Analyse Main and Analyse Nearfield show; a file they refuse, the batch names with their words.
TEST_F(BatchNearField, TheRowTakesWhatTheSingleFileCommandsShowOnEveryRealPrint) {
  namespace fs = std::filesystem;
  const fs::path prints = fs::path(VARNEL_SOURCE_DIR) / ".." / "shared" / "nec-prints";
  if (!fs::is_directory(prints)) GTEST_SKIP() << "no prints folder at " << prints;
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(prints))
    if (entry.path().extension() == ".out") files.push_back(entry.path());
  if (engine_test::Nec2cInstalled())
    for (const fs::directory_entry& deck : fs::directory_iterator(prints / "decks")) {
      files.push_back(root.dir / deck.path().filename().replace_extension(".out"));
      engine_test::RunIn(root.dir, root.dir,
                         "nec2c -i " + engine_test::ShellQuoted(deck.path().string()) + " -o " +
                             engine_test::ShellQuoted(files.back().string()));
    }
  form->params.SkipUnreadableFiles = true;
  const auto shown = [this] {
    return std::vector<std::string>{form->EditFrequency.text, form->EditInputPower.text,
                                    form->EditVoltage.text, form->EditCurrent.text, form->EditImpedance.text};
  };
  for (const fs::path& file : files) {
    const std::string name = file.filename().string();
    SCOPED_TRACE(name);
    WriteFile(name, engine_test::ReadAll(file));
    UseFiles({name});
    form->params.currentText = TextOfFileBytes(engine_test::ReadAll(file));
    form->params.currentName = ListedFilePath(*form, name);
    std::string refused;
    try {
      form->AnalyseMain1Click();
      form->AnalyseNearfield1Click();
    } catch (const VarnelError& e) {
      refused = e.what();
    }
    std::vector<std::string> single = form->Mout.lines, fields = shown();
    single.push_back(refused);
    const double atP = FieldAtPoint(form->params.p, form->params.nearField.table).value;
    form->MIBatchLoadClick();
    const std::vector<std::string> batch = form->Mout.lines;
    const auto skipped =
        std::find_if(batch.begin(), batch.end(), [](auto& l) { return l.starts_with("Skipped: "); });
    if (skipped != batch.end()) {
      EXPECT_NE(std::find(single.begin(), single.end(), skipped->substr(9)), single.end()) << *skipped;
      continue;
    }
    EXPECT_EQ("", refused);
    EXPECT_EQ(fields, shown());
    ASSERT_EQ(1u, form->MdataValues.rows.size());
    const double row = form->MdataValues.rows[0][2];
    EXPECT_TRUE(row == atP || (std::isnan(row) && std::isnan(atP))) << row << " beside " << atP;
  }
}
#endif

}  // namespace

}  // namespace varnel
