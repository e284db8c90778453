// Add Batch Folder (its three controls) and FileLoadTest.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>

#include "batch/batch_run.hpp"
#include "batch_fixture.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

using BatchFolder = BatchTest;

TEST_F(BatchFolder, ListsTheOutFilesOfTheChosenFolderInNameOrder) {
  WriteFile("b.out", "b");
  WriteFile("A.out", "a");
  WriteFile("c.out", "c");
  WriteFile("c.nec", "c");
  ui.AnswerFolder(kRunFolder);
  form->MIAddBatchFolderClick();

  ASSERT_EQ(1u, ui.folderDialogs.size());
  EXPECT_EQ("c:\\4nec2\\b_out", ui.folderDialogs[0]);
  EXPECT_EQ(kRunFolder, form->params.BatchFolder);
  EXPECT_EQ((std::vector<std::string>{"A.out", "b.out", "c.out"}), form->params.BatchFiles);

  std::vector<std::string> expected = {"--------------- Add Batch Folder ----------------",
                                       "Batch Folder selected: " + kRunFolder,
                                       "Files (with *.out):", "....FileNames reading finished!"};
  for (const std::string& name : form->params.BatchFiles) expected.push_back(name);
  EXPECT_EQ(expected, form->Mout.lines) << PaneText(form->Mout);
  EXPECT_GE(ui.processEventsCalls, 2) << "events are processed once per listed name";

  // A cancelled dialog keeps the earlier list, folder and pane.
  ui.AnswerFolder(std::nullopt);
  form->MIAddBatchFolderClick();
  EXPECT_EQ((std::vector<std::string>{"A.out", "b.out", "c.out"}), form->params.BatchFiles);
  EXPECT_EQ(expected, form->Mout.lines);
  EXPECT_EQ(kRunFolder, form->params.BatchFolder);

  // A folder without output files gives the header lines and an empty list.
  root.Write("drive_c/4nec2/b_out/none/readme.txt", "");
  ui.AnswerFolder("c:\\4nec2\\b_out\\none");
  form->MIAddBatchFolderClick();
  EXPECT_TRUE(form->params.BatchFiles.empty());
  EXPECT_EQ(4u, form->Mout.lines.size()) << PaneText(form->Mout);
  EXPECT_TRUE(Warnings().empty()) << testing::PrintToString(ui.messages);
}

TEST_F(BatchFolder, NamesThatReachOtherFilesAreSkippedAndSpecialFilesNeverRead) {
  WriteRun("zz.out", OutputRun(7, 1));
  const std::filesystem::path run = root.driveC / "4nec2/b_out/run";
#ifdef _WIN32
  // Device names stored as names, and a name the code page cannot express (listed with '?').
  const std::vector<std::string> special{"nul.out", "prn.out"};
  for (const std::string& name : special) ASSERT_TRUE(TestRoot::WriteStored(run / name, "device")) << name;
  ASSERT_TRUE(TestRoot::WriteStored(run / L"\u03a9.out", "omega"));
  const std::string skipped = "?.out";
#else
  // A name of Windows separators, a fifo and a link to an endless device.
  const std::vector<std::string> special{"fifo.out", "zero.out"};
  WriteFile("..\\..\\out\\dipol.out", "hostile");
  ASSERT_EQ(0, mkfifo((run / "fifo.out").c_str(), 0600));
  ASSERT_TRUE(TestRoot::Link(run / "zero.out", "/dev/zero"));
  const std::string skipped = "..\\..\\out\\dipol.out";
#endif
  ui.AnswerFolder(kRunFolder);
  form->MIAddBatchFolderClick();
  EXPECT_EQ((std::vector<std::string>{special[0], special[1], "zz.out"}), form->params.BatchFiles);
  EXPECT_EQ("Skipped 1 names that cannot be opened: " + skipped, form->Mout.lines.back());

  // Every batch analysis ends, with the missing-file warning for each special file.
  for (auto command : {&TForm1::MIBatchLoadClick, &TForm1::MIBatchAnalysePowerClick}) {
    ui.messages.clear();
    (form.get()->*command)();
    const std::vector<std::string> warnings = Warnings();
    for (const std::string& name : special) {
      const std::string warning = "Die Datei " + name + " konnte nicht gefunden werden.";
      EXPECT_EQ(1, std::count(warnings.begin(), warnings.end(), warning))
          << testing::PrintToString(ui.messages);
    }
  }
  EXPECT_THROW(form->MIFileLoadTestClick(), InOutError);
}

TEST_F(BatchFolder, MissingInitialFolderEndsTheCommandAndChangesNothing) {
  form->params.BatchFiles = {"old.out"};
  form->Mout.lines = {"before"};
  ui.AnswerFolder(kRunFolder);
  EXPECT_THROW(form->MIAddBatchFolderClick(), InOutError);
  EXPECT_EQ((std::vector<std::string>{"old.out"}), form->params.BatchFiles);
  EXPECT_EQ((std::vector<std::string>{"before"}), form->Mout.lines);
}

// An empty list leaves the Info pane alone.
TEST_F(BatchFolder, LoadTestAppendsOneLinePerFileAndStopsAtAFileItCannotOpen) {
  form->Mout.lines = {"kept"};
  form->MIFileLoadTestClick();
  EXPECT_EQ((std::vector<std::string>{"kept"}), form->Mout.lines);
  WriteFile("a.out", "x\r\ny");
  WriteFile("b.out", "");
  UseFiles({"a.out", "gone.out", "b.out"});
  EXPECT_THROW(form->MIFileLoadTestClick(), InOutError);
  EXPECT_EQ((std::vector<std::string>{"kept", "Load: a.out", "Load: gone.out"}), form->Mout.lines);
}

TEST_F(BatchFolder, LinesLoaderEndsEveryLineWithCrLf) {
  const std::pair<const char*, const char*> cases[] = {{"", ""},
                                                       {"abc", "abc\r\n"},
                                                       {"a\r\nb\r\n", "a\r\nb\r\n"},
                                                       {"a\nb", "a\r\nb\r\n"},
                                                       {"a\r\n\r\nb", "a\r\n\r\nb\r\n"},
                                                       {"a\rb\n", "a\r\nb\r\n"}};
  for (const auto& [bytes, text] : cases) {
    WriteFile("f.out", bytes);
    ASSERT_TRUE(system.SetCurrentFolder(kRunFolder));
    EXPECT_EQ(text, LoadLinesText(system, "f.out")) << "file bytes: " << testing::PrintToString(bytes);
  }
}

}  // namespace

}  // namespace varnel
