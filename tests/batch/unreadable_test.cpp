// The three batch analyses over files they cannot read, outputs cut short, lists of decks, a
// stop, and the row numbers Analyse EUTs takes from the file names.
#include <algorithm>
#include <filesystem>

#include "support/event_action.hpp"
#include "batch_fixture.hpp"
#include "decks/generators.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

namespace fs = std::filesystem;

using BatchUnreadable = BatchTest;

// a.out and b.out whole; cut.out without its closing line; x.out no print at all. Skipping leaves
// their rows out, names each file and summarises; without it the first unreadable file ends the
// batch, naming it.
TEST_F(BatchUnreadable, SkippingLeavesTheRowsOutAndWithoutItTheFirstUnreadableFileEndsTheBatch) {
  WriteRun("a.out", OutputRun(14.2, 1.0));
  WriteRun("b.out", OutputRun(28.0, 1.0));
  ClassicOutput cut = OutputRun(7.0, 1.0);
  cut.trailer = false;
  WriteRun("cut.out", cut);
  WriteFile("x.out", "GW 1 11 0 0 -2.5 0 0 2.5 0.001\r\nEN\r\n");
  form->params.BatchFolder = kRunFolder;
  for (const char* bad : {"cut.out", "x.out"}) {
    UseFiles({"a.out", bad, "b.out"});
    for (const BatchAnalysis& a : kAnalyses) {
      SCOPED_TRACE(std::string(bad) + " " + a.handler);
      ui.messages.clear();
      form->Run(a.handler);
      EXPECT_EQ(1u, Rows(a).size()) << PaneText(form->Mdata);
      const std::vector<std::string> errors = Errors();
      ASSERT_EQ(1u, errors.size());
      EXPECT_EQ(0u, errors[0].find("c:\\4nec2\\b_out\\run\\" + std::string(bad) + ": ")) << errors[0];
    }
  }

  UseFiles({"a.out", "x.out", "cut.out", "gone.out", "b.out"});
  form->Run("MISkipUnreadableFiles");
  ASSERT_TRUE(form->FindMenuItem("MISkipUnreadableFiles")->checked);
  for (const BatchAnalysis& a : kAnalyses) {
    SCOPED_TRACE(a.handler);
    ui.messages.clear();
    form->Run(a.handler);
    EXPECT_EQ(2u, Rows(a).size()) << PaneText(form->Mdata);
    EXPECT_TRUE(
        Said("Skipped: c:\\4nec2\\b_out\\run\\cut.out: the output is incomplete (the engine did not "
             "reach its end)"))
        << PaneText(form->Mout);
    EXPECT_TRUE(Said("Skipped: c:\\4nec2\\b_out\\run\\x.out: not a NEC2 print (no banner, no closing line)"));
    EXPECT_TRUE(Said("Skipped (file not found): gone.out"));
    EXPECT_TRUE(
        Said("2 rows; 3 files skipped: x.out (not a NEC2 print), cut.out (incomplete output), gone.out "
             "(file not found)"));
    EXPECT_EQ(std::vector<std::string>{}, Warnings()) << "nothing waits for a person";
    EXPECT_EQ(std::vector<std::string>{}, Errors());
  }
  UseFiles({"a.out", "cut.out"});
  form->Run("MIAnalyseEUTsClick");
  EXPECT_EQ("1 row; 1 file skipped: cut.out (incomplete output)", form->Mout.lines.back());
}

TEST_F(BatchUnreadable, AListOfDecksIsRefusedWithAHint) {
  form->params.BatchFiles = {"E_000_000.nec", "E_000_001.NEC"};
  AddLine(form->Mdata, "kept");
  for (const BatchAnalysis& a : kAnalyses) form->Run(a.handler);
  const auto refused = [](const std::string& command) {
    return "The batch list holds decks (*.nec): use " + command +
           " on the output folder first. Abort command!";
  };
  EXPECT_EQ((std::vector<std::string>{refused("Add Batch Folder"), refused("Add Batch Folder"),
                                      refused("Add EUTs")}),
            Warnings());
  EXPECT_EQ(std::vector<std::string>{"kept"}, form->Mdata.lines);
}

// A stop at the third file: the closing line says two were analysed, the table keeps its
// headings and two rows; split mode puts them into a block file as at its end.
TEST_F(BatchUnreadable, AStopEndsEachAnalysisWithALineOfHowFarItGot) {
  WriteSeries(4);
  MakeAddFolder();
  for (bool split : {false, true}) {
    form->params.SplitMode = split;
    for (const BatchAnalysis& a : kAnalyses) {
      if (split && std::string(a.caption) != "Analyse EUTs") continue;
      SCOPED_TRACE(std::string(a.handler) + (split ? " split" : ""));
      int events = 0;
      OnEvents(ui, [&] {
        if (++events == 3) form->RequestStop();
      });
      form->Run(a.handler);
      EXPECT_EQ("--------- " + std::string(a.caption) + " stopped: 2 of 4 files analysed ---------",
                form->Mout.lines.back());
      EXPECT_EQ(2u, Rows(a).size()) << PaneText(form->Mdata);
      EXPECT_EQ(a.headings + 2, form->Mdata.lines.size());
    }
  }
  EXPECT_EQ(PaneText(form->Mdata), TestRoot::Read(AddFolder() / "Test0000.txt"));
}

// Without the desktop's add folder split mode ends before it starts (it used to end at the
// first block, after replacing the table): the box names the block file and the Data pane keeps
// the table it held. A block file that cannot be written later names itself too.
TEST_F(BatchUnreadable, SplitModeWithoutItsBlockFolderSaysWhereAndKeepsTheDataPane) {
  WriteSeries(10);
  form->params.SplitMode = true;
  for (int row = 0; row < 201; ++row) AddLine(form->Mdata, "row " + std::to_string(row));
  const std::vector<std::string> table = form->Mdata.lines;
  form->Run("MIAnalyseEUTsClick");
  const std::string add = system.GetEnv("USERPROFILE") + "\\DeskTop\\add";
  EXPECT_EQ(
      std::vector<std::string>{"The block file " + add + "\\Test0000.txt cannot be written: the folder " +
                               add + " does not exist. Abort command!"},
      Errors());
  EXPECT_EQ(table, form->Mdata.lines);

  fs::create_directories(AddFolder() / "Test0000.txt");  // a folder in its place
  ui.messages.clear();
  form->Run("MIAnalyseEUTsClick");
  ASSERT_EQ(1u, Errors().size());
  EXPECT_NE(std::string::npos, Errors()[0].find(": " + add + "\\Test0000.txt")) << Errors()[0];
}

TEST_F(BatchUnreadable, EutRowsKeepTheNumberTheirFileNameGives) {
  // Two frequencies of three objects; E_000_001.out is missing. Names of another form keep
  // their place in the list. The set "E1" ends in a digit, which its folder's name tells apart.
  for (const char* name : {"E_000_000.out", "E_000_002.out", "E_001_000.out", "E_001_002.out", "x.out"})
    WriteRun(name, OutputRun(1.0, 1.0));
  UseFiles({"E_001_002.out", "E_000_000.out", "E_000_001.out", "E_000_002.out", "x.out", "E_001_000.out"});
  form->MIAnalyseEUTsClick();
  std::vector<std::string> numbers;
  for (const std::string& row : Rows(kAnalyses[2])) numbers.push_back(row.substr(0, 10));
  EXPECT_EQ((std::vector<std::string>{"        6;", "        1;", "        3;", "        5;", "        4;"}),
            numbers);

  root.Write("drive_c/4nec2/b_out/E1/E1000_001.out", ClassicOutputText(OutputRun(1.0, 1.0)));
  root.Write("drive_c/4nec2/b_out/E1/E1001_001.out", ClassicOutputText(OutputRun(1.0, 1.0)));
  ASSERT_TRUE(system.SetCurrentFolder("c:\\4nec2\\b_out\\E1"));
  form->params.BatchFolder = "c:\\4nec2\\b_out\\E1\\";
  form->params.BatchFiles = {"E1001_001.out", "E1000_001.out"};
  form->MIAnalyseEUTsClick();
  EXPECT_EQ("        4;", form->Mdata.lines.at(3).substr(0, 10));
  EXPECT_EQ("        2;", form->Mdata.lines.at(4).substr(0, 10));

  // The highest object (E1..._002) has no output: the set's summary beside its decks says three.
  root.Write("drive_c/4nec2/b_in/E1/E1.txt", EutSummaryText("E1", 3, 2, 1.5, 1, 1));
  form->MIAnalyseEUTsClick();
  EXPECT_EQ("        5;", form->Mdata.lines.at(3).substr(0, 10));
  EXPECT_EQ("        2;", form->Mdata.lines.at(4).substr(0, 10));
}

// A disk that fills up while a file is written: an existing file is destroyed in place, and a
// file written beside it is never made.
class FullDiskSystem : public TestSystem {
 public:
  using TestSystem::TestSystem;
  void WriteFile(const std::string& name, const std::string& bytes) override {
    TestSystem::WriteFile(name, bytes.substr(0, bytes.size() / 2));
    throw MakeInOutError(112);
  }
  std::string WriteFileBeside(const std::string&, const std::string&) override { throw MakeInOutError(112); }
};

TEST_F(BatchUnreadable, AFailingBlockWriteLeavesTheExistingBlockFile) {
  WriteSeries(10);
  const fs::path block = AddFolder() / "Test0000.txt";
  root.Write(fs::relative(block, root.dir).string(), "an earlier run's block\r\n");
  FullDiskSystem full{root.Roots()};
  TForm1 onFullDisk(Platform{full, ui});
  ASSERT_TRUE(full.SetCurrentFolder(kRunFolder));
  onFullDisk.params.SplitMode = true;
  onFullDisk.params.BatchFiles = form->params.BatchFiles;
  EXPECT_THROW(onFullDisk.MIAnalyseEUTsClick(), InOutError);
  EXPECT_EQ("an earlier run's block\r\n", TestRoot::Read(block));
}

}  // namespace

}  // namespace varnel
