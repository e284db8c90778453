// Analyse EUTs: the numbered table, both ways of running, the block files of split mode and the
// background of the polarisation group.
#include <filesystem>

#include "support/event_action.hpp"
#include "batch_fixture.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

namespace fs = std::filesystem;

class BatchEut : public BatchTest {
 protected:
  static std::string Row(int n, int frequency) {
    return FormatInt("%9d;", n) + "        5;        4;        1;" + FormatInt("%9d;", frequency) +
           "        1;";
  }
};

const std::string kHeadings = "//  Numb ;   Cyl.  ;    Cir  ;   Point ;    Freq ;    Pwr  ;";
const std::string kUnits = "//       ;         ;         ;         ;         ;         ;";

TEST_F(BatchEut, NumberedRowsOfCylinderCirclePointFrequencyAndPowerLeavingTheShownFileAlone) {
  WriteRun("a.out", OutputRun(14.2, 1.0));
  ClassicOutput strong = OutputRun(28.0, 4.0);
  strong.nearField = SixPointGrid(10.0);
  WriteRun("b.out", strong);
  UseFiles({"a.out", "b.out"});
  form->params.normalizePower = 100.0;  // has no influence on this table
  form->params.currentText = "kept";
  form->M.lines = {"kept"};
  form->EditFrequency.text = "kept";
  form->MIAnalyseEUTsClick();
  const std::vector<std::string> expected = {"", kHeadings, kUnits,
                                             "        1;        5;        4;        1;     14,2;        1;",
                                             "        2;       50;       40;       10;       28;        4;"};
  EXPECT_EQ(expected, form->Mdata.lines) << PaneText(form->Mdata);
  EXPECT_EQ((std::vector<std::string>{"--------------- Analyse Files ----------------", "Load: a.out",
                                      "Load: b.out"}),
            form->Mout.lines);
  EXPECT_EQ(0, ui.pausedMilliseconds);
  EXPECT_EQ("clBtnFace", form->RGPol.color);
  // The shown file's text, pane M and the display fields are left alone (the working values
  // follow the files, as the test of files analysed ahead checks).
  EXPECT_EQ("kept", form->params.currentText);
  EXPECT_EQ((std::vector<std::string>{"kept"}), form->M.lines);
  EXPECT_EQ("kept", form->EditFrequency.text);
}

TEST_F(BatchEut, PolarizationOfTheRadioGroupSelectsTheValue) {
  ClassicOutput o = OutputRun(14.2, 1.0);
  for (ClassicNearRow& r : o.nearField) r.my = r.mx * 3;  // |Ey| three times |Ex|
  WriteRun("a.out", o);
  UseFiles({"a.out"});
  form->RGPol.itemIndex = 1;  // X
  form->MIAnalyseEUTsClick();
  EXPECT_EQ("        1;        5;        4;        1;     14,2;        1;", form->Mdata.lines.at(3));
  form->RGPol.itemIndex = 2;  // Y
  form->MIAnalyseEUTsClick();
  EXPECT_EQ("        1;       15;       12;        3;     14,2;        1;", form->Mdata.lines.at(3));
}

// Files are analysed ahead of their rows on other cores. The rows, Mout lines, warnings and
// the failure still come in list order as one file after the other gives them, and a change of
// P while the window handles its events holds from the next file on, also for files already
// analysed ahead.
TEST_F(BatchEut, FilesAnalysedAheadGiveTheirRowsInListOrderWithTheWindowsSettings) {
  WriteSeries(9);
  fs::remove(root.driveC / "4nec2/b_out/run/e04.out");
  ClassicOutput broken = OutputRun(6, 7.0);
  std::string text = ClassicOutputText(broken);
  text[text.rfind("\r\n") - 3] = 'x';  // the last near-field row fails
  WriteFile("e06.out", text);
  OnEvents(ui, [&] {
    if (form->Mout.lines.back() == "Load: e03.out") form->params.p = {10, 0, 20};  // circle and point 2
  });
  EXPECT_THROW(form->MIAnalyseEUTsClick(), PrintError);
  const std::vector<std::string> rows(form->Mdata.lines.begin() + 3, form->Mdata.lines.end());
  EXPECT_EQ(
      (std::vector<std::string>{Row(1, 1), Row(2, 2), Row(3, 3),
                                FormatInt("%9d;", 5) + "        5;        2;        2;        5;        1;"}),
      rows);
  EXPECT_EQ((std::vector<std::string>{"--------------- Analyse Files ----------------", "Load: e01.out",
                                      "Load: e02.out", "Load: e03.out", "Load: e04.out",
                                      "Skipped (file not found): e04.out", "Load: e05.out", "Load: e06.out"}),
            form->Mout.lines);
  EXPECT_EQ((std::vector<std::string>{"Die Datei e04.out konnte nicht gefunden werden."}), Warnings());
  EXPECT_DOUBLE_EQ(7.0, form->params.inputPower) << "read before the failing table";
  EXPECT_EQ(6u, form->params.nearField.table.value.size());
}

// Split mode writes every ten rows into a block file, the first with the headings, and the rows
// after the last full block into one more, where they also stay in Mdata; the mode is read once,
// at the start.
TEST_F(BatchEut, SplitModeWritesBlocksOfTenRowsAndTheRest) {
  for (int files : {9, 10, 25}) {
    SCOPED_TRACE(files);
    fs::remove_all(AddFolder());
    WriteSeries(files);
    MakeAddFolder();
    form->params.SplitMode = true;
    OnEvents(ui, [&] { form->params.SplitMode = false; });
    ui.pausedMilliseconds = 0;
    form->MIAnalyseEUTsClick();
    const int blocks = (files + 9) / 10;
    for (int b = 0; b < blocks; ++b) {
      std::string block = b ? "" : "\r\n" + kHeadings + "\r\n" + kUnits + "\r\n";
      for (int n = 10 * b + 1; n <= std::min(files, 10 * b + 10); ++n) block += Row(n, n) + "\r\n";
      EXPECT_EQ(block, TestRoot::Read(AddFolder() / FormatInt("Test%4.4d.txt", b))) << "rows go on counting";
    }
    EXPECT_FALSE(fs::exists(AddFolder() / FormatInt("Test%4.4d.txt", blocks)));
  }
  std::vector<std::string> rest;
  for (int n = 21; n <= 25; ++n) rest.push_back(Row(n, n));
  EXPECT_EQ(rest, form->Mdata.lines) << "and they stay in Mdata";
  EXPECT_EQ(25 * 500, ui.pausedMilliseconds);
  EXPECT_EQ("clBtnFace", form->RGPol.color);
  EXPECT_EQ("Load: e01.out", form->Mout.lines.at(1));
  EXPECT_EQ("Done.", form->Mout.lines.at(2));
  EXPECT_EQ(51u, form->Mout.lines.size());
}

TEST_F(BatchEut, SplitModeShowsAWhiteGroupWhileRunningAndRestoresItAfterAFailure) {
  WriteSeries(2);
  MakeAddFolder();
  form->params.BatchFiles.push_back("gone.out");
  form->params.SplitMode = true;
  std::vector<std::string> seen;
  OnEvents(ui, [&] { seen.push_back(form->RGPol.color); });
  form->params.BatchFolder = kRunFolder;
  form->Run("MIAnalyseEUTsClick");
  // Split mode opens the files itself; its failures name the file too.
  EXPECT_EQ(std::vector<std::string>{"c:\\4nec2\\b_out\\run\\gone.out: Datei nicht gefunden."}, Errors());
  ASSERT_FALSE(seen.empty());
  for (const std::string& c : seen) EXPECT_EQ("clWhite", c);
  EXPECT_EQ("clBtnFace", form->RGPol.color);
  EXPECT_EQ(5u, form->Mdata.lines.size());
  EXPECT_EQ("Load: gone.out", form->Mout.lines.back());
}

}  // namespace

}  // namespace varnel
