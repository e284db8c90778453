// Load, Load Dipol, Analyse Main and Analyse Nearfield on classic-layout output texts.
#include <algorithm>
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32  // runs Linux's nec2c
#include "engine/nec2c_run.hpp"
#endif
#include "mainwindow/VarnelU.hpp"
#include "mainwindow/window_fixture.hpp"
#include "platform/scripted/runner.hpp"
#include "support/classic_output.hpp"
#include "support/scoped_settings.hpp"
#include "support/test_root.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"

namespace varnel {

using namespace std::string_literals;

namespace {

const double kSqrt2 = std::sqrt(2.0);

// A value right-aligned in nine characters, as "%9.3g" lays it out.
std::string Pad9(const std::string& s) { return std::string(s.size() < 9 ? 9 - s.size() : 0, ' ') + s; }

// A grid x = 9..11, y = 0 and 10, z = 0, 4, 8 whose every point has the peak magnitudes
// 3s, 4s, 12s (phases 0), so the five polarisations give s times 13, 3, 4, 12, 5 over sqrt 2.
// s is 1 except at P (10, 0, 4): 2, on the Z line through A (10, 0) at z = 8: 3, in the plane
// y = 10 at (11, 10, 0): 4, and at the overall maximum (9, 0, 0): 5. Copies of the grid one
// after the other give the same report but for the count of points.
std::vector<ClassicNearRow> TestGrid(int copies = 1) {
  std::vector<ClassicNearRow> rows;
  for (int copy = 0; copy < copies; ++copy)
    for (double z : {0.0, 4.0, 8.0})
      for (double y : {0.0, 10.0})
        for (double x : {9.0, 10.0, 11.0}) {
          double s = 1;
          if (x == 10 && y == 0 && z == 4) s = 2;
          if (x == 10 && y == 0 && z == 8) s = 3;
          if (x == 11 && y == 10 && z == 0) s = 4;
          if (x == 9 && y == 0 && z == 0) s = 5;
          rows.push_back(ClassicNearRow{x, y, z, 3 * s, 0, 4 * s, 0, 12 * s, 0});
        }
  return rows;
}

ClassicOutput TestOutput() {
  ClassicOutput o;
  o.frequency = 14.2;
  o.inputPower = 123.4;
  ClassicFeed& f = o.feeds[0];
  f.voltageRe = 12.345 * kSqrt2;
  f.voltageIm = -0.5 * kSqrt2;
  f.currentRe = 1.5 * kSqrt2;
  f.currentIm = 0.25 * kSqrt2;
  f.impedanceRe = 62.537;
  f.impedanceIm = -26.225;
  f.power = 0.0123;
  o.segments = {ClassicSegment{0.02, 0, 0.02, 0}, ClassicSegment{0.5, 0, 0.5, 0}};
  o.nearField = TestGrid();
  return o;
}

class SingleTest : public WindowTest {
 protected:
  std::vector<std::string> GridFields() {
    std::vector<std::string> texts;
    for (DisplayField* f : form.GridFields()) texts.push_back(f->text);
    return texts;
  }

  SeparatorGuard separator{','};
};

// ---- Load and Load Dipol ---------------------------------------------------------------------

// Load and Load Dipol put the file's text into currentText and pane M and log it; a missing file
// warns, empties the text and is still logged.
TEST_F(SingleTest, LoadAndLoadDipolReadTheTextOrWarnAndStillLog) {
  root.Write("drive_c/4nec2/b_out/x.out", "line one\nline two\n  INPUT\n");
  root.Write("drive_c/4nec2/out/dipol.out", "dipole output\r\nsecond line");
  struct Case {
    bool dipol;
    const char* path;  // the file Load opens or Load Dipol reads
    const char* text;  // empty for a missing file
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {false,
       "c:\\4nec2\\b_out\\x.out",
       "line one\nline two\n  INPUT",  // the file's LF line ends as they stand
       {"line one", "line two", "  INPUT"}},
      {false, "c:\\4nec2\\b_out\\none.out", "", {}},
      {true, "c:\\4nec2\\out\\dipol.out", "dipole output\r\nsecond line", {"dipole output", "second line"}},
      {true, "c:\\4nec2\\out\\dipol.out", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ui.messages.clear();
    ClearPane(form.Mout);
    AddLine(form.Mout, "earlier report");
    form.params.currentText = "previous text";
    if (c.dipol) {
      if (!*c.text) system.RemoveFile(c.path);
      form.LoadDipol1Click();
    } else {
      ui.AnswerOpen(c.path);
      form.Load1Click();
    }
    EXPECT_EQ(c.text, form.params.currentText);
    EXPECT_EQ(!*c.text, ui.Warned("Die Datei "s + c.path + " konnte nicht gefunden werden.")) << out.str();
    if (*c.text) {
      EXPECT_EQ(Bracketed(c.shown), Bracketed(form.M.lines));
    }
    EXPECT_EQ("Showing: "s + c.path, form.M.hint);
    EXPECT_EQ(Bracketed({"FileLoaded: "s + c.path}), Bracketed(form.Mout.lines));
  }
  EXPECT_EQ(2u, ui.openDialogs.size()) << "Load Dipol opens no dialog";
}

// Load's dialog and its settings; the window is reset only once the dialog has a file: a cancel
// changes nothing.
TEST_F(SingleTest, LoadOpensTheDialogWithItsSettingsAndACancelChangesNothing) {
  form.params.currentText = "previous text";
  form.params.BatchFiles = {"a.out"};
  AddLine(form.Mout, "earlier report");
  AddLine(form.M, "earlier text");
  AddLine(form.Mdata, "   14,200;");
  form.EditFrequency.text = "14,20 MHz";
  ui.AnswerOpen(std::nullopt);
  form.Load1Click();
  EXPECT_EQ("previous text", form.params.currentText);
  EXPECT_EQ(Bracketed({"earlier report"}), Bracketed(form.Mout.lines));
  EXPECT_EQ(Bracketed({"earlier text"}), Bracketed(form.M.lines));
  EXPECT_EQ(Bracketed({"   14,200;"}), Bracketed(form.Mdata.lines));
  EXPECT_EQ("14,20 MHz", form.EditFrequency.text);
  EXPECT_EQ(TextList{"a.out"}, form.params.BatchFiles);
  ASSERT_EQ(1u, ui.openDialogs.size());
  const FileDialogSpec& spec = ui.openDialogs[0];
  EXPECT_EQ("Load to Analyse Single File", spec.title);
  EXPECT_EQ("c:\\4nec2\\b_out", spec.initialFolder);
  EXPECT_EQ("All(*.*)|*.*|4nec2 (*.out)|*.out", spec.filter);
  EXPECT_EQ(2, spec.filterIndex);
  EXPECT_EQ("dipol.out", spec.fileName);
}

// ---- Analyse Main ------------------------------------------------------------------------------

// The fields and the report of the first segment are checked on the runner's road (SingleRunner
// below); here the input power kept, the working segment and the sign of a small imaginary part.
TEST_F(SingleTest, AnalyseMainKeepsTheInputPowerAndReportsTheWorkingSegment) {
  form.params.currentText = ClassicOutputText(TestOutput());
  form.AnalyseMain1Click();
  EXPECT_NEAR(123.4, form.params.inputPower, 1e-9);

  // The analysis segment and resistance: (0.5 / sqrt 2)^2 * 100 = 12.5 W.
  ClearPane(form.Mout);
  form.params.AnalyseSegment = 2;
  form.params.AnalysingResistance = 100;
  form.AnalyseMain1Click();
  ASSERT_EQ(3u, form.Mout.lines.size());
  EXPECT_EQ("Seg.-Current (2):  0,5 A", form.Mout.lines[0]);
  EXPECT_EQ("Power Received: 1,25E004 mW", form.Mout.lines[1]);

  // The plus stays before a small negative imaginary part.
  ClassicOutput o = TestOutput();
  o.feeds[0].voltageIm = -0.005 * kSqrt2;
  form.params.currentText = ClassicOutputText(o);
  form.AnalyseMain1Click();
  EXPECT_EQ(" 12+-0,005j V", form.EditVoltage.text);
}

TEST_F(SingleTest, AnalyseMainChangesNothingWhenAnEarlyReadFails) {
  struct Case {
    const char* what;
    std::string text;
  };
  // A comment holding "frequency" no longer moves the section, so the value itself is bad.
  ClassicOutput commented = TestOutput();
  commented.comments = {"CM frequency sweep of a dipole"};
  std::string badFrequency = ClassicOutputText(commented);
  std::size_t at = badFrequency.find("FREQUENCY= ");
  ASSERT_NE(std::string::npos, at);
  badFrequency.replace(at + 11, 10, "1.2.40E+01");
  std::string badPower = ClassicOutputText(TestOutput());
  at = badPower.find("INPUT POWER   =");
  ASSERT_NE(std::string::npos, at);
  badPower.replace(at + 16, 10, "1.2.40E+02");
  const Case cases[] = {{"frequency", badFrequency}, {"input power", badPower}};
  for (const Case& c : cases) {
    form.params.inputPower = 7;
    form.params.currentText = c.text;
    ClearPane(form.Mout);
    AddLine(form.Mout, "before");
    for (DisplayField* f : form.BasicDataFields()) f->text = "old";
    EXPECT_THROW(form.AnalyseMain1Click(), PrintError) << c.what;
    EXPECT_EQ(7.0, form.params.inputPower) << c.what;
    EXPECT_EQ(Bracketed({"before"}), Bracketed(form.Mout.lines)) << c.what;
    for (DisplayField* f : form.BasicDataFields()) EXPECT_EQ("old", f->text) << c.what << ": " << f->name;
  }
}

// ---- Analyse Nearfield ---------------------------------------------------------------------

struct PolarisationCase {
  int item;
  std::string maximum, atP, onZLine, inPlane;
};
// s * factor / sqrt 2 with the factors 13 (total), 3, 4, 12 (x, y, z) and 5 (horizontal).
const PolarisationCase kPolarisations[] = {
    {0, "45,96", "18,4", "27,6", "36,8"}, {1, "10,61", "4,24", "6,36", "8,49"},
    {2, "14,14", "5,66", "8,49", "11,3"}, {3, "42,43", "17", "25,5", "33,9"},
    {4, "17,68", "7,07", "10,6", "14,1"},
};

std::vector<std::string> ExpectedReport(const PolarisationCase& c, const std::string& type,
                                        const std::string& unit, int points = 18) {
  return {"------------------- Field ----------------------",
          "Maximum:   " + c.maximum + " V/m",
          "Number of Points: " + std::to_string(points),
          "Field Type: " + type,
          "X-Interval:  9,00 -> 11,00   Step: 1,00",
          "Y-Interval:  0,00 -> 10,00   Step: 10,00",
          "Z-Interval:  0,00 ->  8,00   Step: 4,00",
          "P(10,0| 0,0| 4,0) [eps: 0,00] : " + Pad9(c.atP) + unit,
          "Max. par. Z-AxisP thru (10,0| 0,0) : " + Pad9(c.onZLine) + unit,
          "Max. in xz-Plane at y=10 : " + Pad9(c.inPlane) + unit,
          "--------------- Near Field analysed------------------"};
}

// Every polarisation of one load; a magnetic table gives A/m but its maximum stays in V/m; a
// large table is analysed on several cores (the grid and the searches at once) to the same report.
TEST_F(SingleTest, AnalyseNearfieldReportsEveryPolarisation) {
  struct Case {
    int copies;
    bool magnetic;
    std::vector<PolarisationCase> polarisations;
  };
  // Every polarisation of a single load is analysed on the runner's road (SingleRunner below).
  const Case cases[] = {{1, true, {kPolarisations[0]}},
                        {1000, false, {kPolarisations[0], kPolarisations[3], kPolarisations[4]}}};
  for (const Case& c : cases) {
    ClassicOutput o = TestOutput();
    o.nearField = TestGrid(c.copies);
    o.magnetic = c.magnetic;
    form.params.currentText = ClassicOutputText(o);
    const std::string type = c.magnetic ? "MAGNETIC " : "ELECTRIC ";
    for (const PolarisationCase& p : c.polarisations) {
      form.RGPol.itemIndex = p.item;
      form.AnalyseNearfield1Click();
      EXPECT_EQ(Bracketed(ExpectedReport(p, type, c.magnetic ? " A/m" : " V/m", 18 * c.copies)),
                Bracketed(form.Mout.lines))
          << "RGPol " << p.item << ", " << c.copies << " copies";
      EXPECT_EQ(18u * c.copies, form.params.nearField.table.value.size());
    }
    EXPECT_EQ(
        (std::vector<std::string>{"9,00", "11,00", "1,00", "0,00", "10,00", "10,00", "0,00", "8,00", "4,00"}),
        GridFields());
    EXPECT_EQ(type, form.EditType.text);
  }
  const GridExtent expectedExtent{9, 11, 1, 0, 10, 10, 0, 8, 4};
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(expectedExtent[i], form.params.nearField.extent[i], 1e-12);
  EXPECT_NEAR(25 / kSqrt2, form.params.nearField.maximum, 1e-4);
}

// A near field printed by the second run: Analyse Main and Analyse Nearfield read that run and
// say so; a table longer than the reader takes says how much of it was read, also in the status.
TEST_F(SingleTest, TheRunReadAndATableReadInPartAreSaid) {
  ClassicOutput first = TestOutput(), second = TestOutput();
  first.nearField.clear();
  second.frequency = 21.5;
  second.inputPower = 2.5;
  second.nearField = TestGrid(7112);  // 128 016 points
  form.params.currentText = ClassicOutputText(std::vector<ClassicOutput>{first, second});
  const std::string run = "Read at run 2 of 2, 21,5 MHz, the run of the near-field table";
  form.AnalyseMain1Click();
  EXPECT_EQ(run, form.Mout.lines[0]);
  EXPECT_EQ("21,50 MHz", form.EditFrequency.text);
  EXPECT_EQ("2,5 W", form.EditInputPower.text);
  form.AnalyseNearfield1Click();
  const std::string part = "The near-field table holds 128016 points; its first 128000 were read";
  EXPECT_EQ((std::vector<std::string>{"Number of Points: 128000", part, run}),
            std::vector<std::string>(form.Mout.lines.begin() + 2, form.Mout.lines.begin() + 5));
  EXPECT_NE(std::string::npos, form.progress.note.find(part)) << form.progress.note;
}

// P, A, py and maxHeight choose the points of the searches; a search without a grid point says
// why; Analyse Main names a negative budget, Analyse Nearfield a P far beyond the grid's top (z 8).
TEST_F(SingleTest, AnalyseNearfieldUsesPAndAAndMaxHeightAndSaysWhyNoPointFits) {
  form.params.currentText = ClassicOutputText(TestOutput());
  form.params.p = {9.6, 0.2, 0.4};  // nearest grid point (10, 0, 0), s = 1, eps 0.6
  form.params.a = {10.5, 0.5};      // within 0.6 of x = 10 and 11, y = 0
  form.params.maxHeight = 8;        // strict: z = 8 is left out
  form.AnalyseNearfield1Click();
  ASSERT_EQ(11u, form.Mout.lines.size());
  EXPECT_EQ("P( 9,6| 0,2| 0,4) [eps: 0,60] : " + Pad9("9,19") + " V/m", form.Mout.lines[7]);
  // Z line: x 10 or 11, y 0, z 0 or 4: the largest s is 2 at (10, 0, 4).
  EXPECT_EQ("Max. par. Z-AxisP thru (10,5| 0,5) : " + Pad9("18,4") + " V/m", form.Mout.lines[8]);

  form.params.p = {10, 0, 4};
  form.params.a = {50, 50};
  form.params.py = 50;
  form.params.maxHeight = 1000;
  form.AnalyseNearfield1Click();
  ASSERT_EQ(11u, form.Mout.lines.size()) << Bracketed(form.Mout.lines);
  EXPECT_EQ("Maximum:   45,96 V/m", form.Mout.lines[1]);
  EXPECT_EQ("P(10,0| 0,0| 4,0) [eps: 0,00] : " + Pad9("18,4") + " V/m", form.Mout.lines[7]);
  EXPECT_EQ("Max. par. Z-AxisP thru (50,0|50,0) : no grid point within 0,6 m below maxHeight 1000,0 m",
            form.Mout.lines[8]);
  EXPECT_EQ("Max. in xz-Plane at y=50 : no grid point within 0,6 m", form.Mout.lines[9]);
  EXPECT_EQ("--------------- Near Field analysed------------------", form.Mout.lines[10]);

  ClassicOutput o = TestOutput();
  o.inputPower = -0.069;
  form.params.currentText = ClassicOutputText(o);
  ClearPane(form.Mout);
  form.AnalyseMain1Click();
  EXPECT_EQ(
      "The current text: the engine's power budget is negative (-0,069 W): not physical; values "
      "normalised by it are left undefined",
      form.Mout.lines.at(0));
  form.params.p = {10, 0, 20};
  form.AnalyseNearfield1Click();
  EXPECT_EQ("P (10|0|20) is 12,00 m from the nearest grid point (10|0|8)", form.Mout.lines.at(8));
}

TEST_F(SingleTest, AnalyseNearfieldWithoutATableSaysSoAndClearsTheGrid) {
  ClassicOutput noRows = TestOutput();
  noRows.nearField.clear();
  noRows.moreNearFields = {ClassicNearTable{}};  // the section heading with no rows
  const std::string texts[] = {ClassicOutputText(noRows), ""};
  for (const std::string& text : texts) {
    form.params.currentText = ClassicOutputText(TestOutput());
    form.AnalyseNearfield1Click();
    form.params.currentText = text;
    form.AnalyseNearfield1Click();
    EXPECT_EQ(Bracketed({"------------------- Field ----------------------",
                         "No near-field table found in the current text."}),
              Bracketed(form.Mout.lines));
    EXPECT_EQ(std::vector<std::string>(9, ""), GridFields());
    EXPECT_EQ("----", form.EditType.text);
    EXPECT_TRUE(form.params.nearField.table.value.empty());
    EXPECT_TRUE(std::isnan(form.params.nearField.maximum));
  }
}

TEST_F(SingleTest, AFailingNearFieldRowLeavesTheWindowsTableAsItWas) {
  form.params.currentText = ClassicOutputText(TestOutput());
  form.AnalyseNearfield1Click();
  std::string bad = ClassicOutputText(TestOutput());
  std::size_t at = bad.find("    0.00", bad.find("VOLTS/M"));
  ASSERT_NE(std::string::npos, at);
  bad.replace(at + 4, 4, "0.0x");
  form.params.currentText = bad;
  form.params.currentName = "c:\\4nec2\\out\\x.out";
  try {
    form.AnalyseNearfield1Click();
    ADD_FAILURE() << "a bad row read";
  } catch (const PrintError& e) {
    EXPECT_STREQ("c:\\4nec2\\out\\x.out: the near-field table at line 53 is not in a form Varnel reads",
                 e.what());
  }
  EXPECT_EQ(18u, form.params.nearField.table.value.size());
  EXPECT_EQ(Bracketed({"------------------- Field ----------------------"}), Bracketed(form.Mout.lines));
}

// ---- The whole road through the headless runner ------------------------------------------

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  return all;
}

TEST(SingleRunner, LoadsAFileAndAnalysesItForEveryPolarisation) {
  TestRoot root;
  root.Write("drive_c/4nec2/b_out/grid.out", ClassicOutputText(TestOutput()));
  std::string script =
      "decimal ,\n"
      "answer open c:\\4nec2\\b_out\\grid.out\n"
      "run Load1Click\n"
      "run AnalyseMain1Click\n"
      "print Mout\n";
  std::string expected =
      Joined({"FileLoaded: c:\\4nec2\\b_out\\grid.out", "Seg.-Current (1): 0,02 A", "Power Received:   10 mW",
              "------ out-File analysed (See also BasicData) ------"});
  for (const PolarisationCase& c : kPolarisations) {
    script += "select RGPol " + std::to_string(c.item) + "\nrun AnalyseNearfield1Click\nprint Mout\n";
    expected += Joined(ExpectedReport(c, "ELECTRIC ", " V/m"));
  }
  script += "print fields\n";
  expected +=
      Joined({"EditVoltage= 12-0,5j V", "EditCurrent=1,5+0,25j A", "EditImpedance= 63-26j Ohm",
              "EditPower=12,3 mW", "EditFrequency=14,20 MHz", "EditInputPower=1,2E002 W", "EditXStart=9,00",
              "EditXStop=11,00", "EditXStep=1,00", "EditYStart=0,00", "EditYStop=10,00", "EditYStep=10,00",
              "EditZStart=0,00", "EditZStop=8,00", "EditZStep=4,00", "EditType=ELECTRIC ",
              "EditPoint=(10,0|0,0|4,0)", "EditPointA=(10,0|0,0)", "EditNormalizePower=1,00 W"});
  std::istringstream in(script);
  std::ostringstream out;
  EXPECT_EQ(0, RunScriptIn(root, in, out));
  EXPECT_EQ(expected, out.str());
  DecimalSeparator = ',';
}

// A print the engine did not finish is still read as it stands; each analysis says so in one
// Info line and otherwise reports what the whole print gives.
TEST_F(SingleTest, AnIncompletePrintIsReadAndNamedAsIncomplete) {
  ClassicOutput cut = TestOutput();
  cut.trailer = false;
  const std::string note = "c:\\x.out: the output is incomplete (the engine did not reach its end)";
  for (auto command : {&TForm1::AnalyseMain1Click, &TForm1::AnalyseNearfield1Click}) {
    std::vector<std::string> reports[2];
    for (const ClassicOutput& o : {TestOutput(), cut}) {
      form.params.currentText = ClassicOutputText(o);
      form.params.currentName = "c:\\x.out";
      ClearPane(form.Mout);
      (form.*command)();
      reports[o.trailer ? 0 : 1] = form.Mout.lines;
    }
    std::vector<std::string>& noted = reports[1];
    EXPECT_EQ(1, std::count(noted.begin(), noted.end(), note)) << Bracketed(noted);
    noted.erase(std::remove(noted.begin(), noted.end(), note), noted.end());
    EXPECT_EQ(Bracketed(reports[0]), Bracketed(noted));
  }
}

#ifndef _WIN32
// nec2c's print of a deck whose PT card prints segments 5 to 15 and whose 2000 V source makes
// fields above 1000 V/m: the segment left out is named and the rest shown; the fields keep their
// values, and the Info pane says so.
TEST_F(SingleTest, APtCardAndFieldsAbove1000VoltsPerMetreAreSaid) {
  if (!engine_test::Nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
  root.Write("d.nec",
             "CE\nGW 1 21 0 0 -0.25 0 0 0.25 0.001\nGE 0\nFR 0 1 0 0 299.8 0\nPT 0 1 5 15\n"
             "EX 0 1 11 0 2000 0\nNE 0 1 1 11 0.005 0 -0.25 0 0 0.05\nEN\n");
  ASSERT_EQ(0, engine_test::RunIn(root.dir, root.dir, "nec2c -i d.nec -o d.out"));
  form.params.currentText = TextOfFileBytes(engine_test::ReadAll(root.dir / "d.out"));
  form.params.currentName = "c:\\d.out";
  const auto shows = [&](const std::string& begin) {
    return std::any_of(form.Mout.lines.begin(), form.Mout.lines.end(),
                       [&](const std::string& line) { return line.starts_with(begin); });
  };
  form.params.AnalyseSegment = 2;
  form.AnalyseMain1Click();
  EXPECT_EQ("299,80 MHz", form.EditFrequency.text);
  EXPECT_TRUE(shows("Segment 2 is not printed in c:\\d.out (a PT card limits the current table)") &&
              !shows("Seg.-Current"));
  form.params.AnalyseSegment = 11;
  form.AnalyseMain1Click();
  EXPECT_TRUE(shows("Seg.-Current (11):   21 A")) << Bracketed(form.Mout.lines);
  form.AnalyseNearfield1Click();
  EXPECT_TRUE(
      shows("11 grid points above 1000 V/m peak in c:\\d.out are taken as printed, not set to 0; "
            "the largest is 264"));
  EXPECT_TRUE(shows("P(10,0| 0,0| 4,0) [eps: 10,68] :  1,87E005 V/m")) << Bracketed(form.Mout.lines);
}
#endif

}  // namespace

}  // namespace varnel
