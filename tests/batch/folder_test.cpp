// Add Batch Folder (its three controls) and FileLoadTest.
#include <algorithm>

#include "batch/batch_run.hpp"
#include "batch_fixture.hpp"
#include "util/errors.hpp"

namespace {

using BatchFolder = BatchTest;

TEST_F(BatchFolder, ListsTheOutFilesOfTheChosenFolderInEnumerationOrder) {
  WriteFile("b.out", "b");
  WriteFile("a.out", "a");
  WriteFile("c.nec", "c");
  platform.AnswerFolder(kRunFolder);
  form->MIAddBatchFolderClick();

  ASSERT_EQ(1u, platform.folderDialogs.size());
  EXPECT_EQ("c:\\4nec2\\b_out", platform.folderDialogs[0]);
  EXPECT_EQ(kRunFolder, form->params.BatchFolder);
  std::vector<std::string> sorted = form->params.BatchFiles;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ((std::vector<std::string>{"a.out", "b.out"}), sorted);

  std::vector<std::string> expected = {"--------------- Add Batch Folder ----------------",
                                       "Batch Folder selected: " + kRunFolder, "Files (with *.out):",
                                       "....FileNames reading finished!"};
  for (const std::string& name : form->params.BatchFiles) expected.push_back(name);
  EXPECT_EQ(expected, form->Mout.lines) << Joined(form->Mout.lines);
  EXPECT_GE(platform.processEventsCalls, 2) << "events are processed once per listed name";
}

TEST_F(BatchFolder, CancelKeepsTheEarlierListAndPane) {
  WriteFile("a.out", "a");
  platform.AnswerFolder(kRunFolder);
  form->MIAddBatchFolderClick();
  const auto files = form->params.BatchFiles;
  const auto lines = form->Mout.lines;

  platform.AnswerFolder(std::nullopt);
  form->MIAddBatchFolderClick();
  EXPECT_EQ(files, form->params.BatchFiles);
  EXPECT_EQ(lines, form->Mout.lines);
  EXPECT_EQ(kRunFolder, form->params.BatchFolder);
}

TEST_F(BatchFolder, EmptyFolderGivesTheHeaderLinesAndAnEmptyList) {
  WriteFile("readme.txt", "");
  form->params.BatchFiles = {"old.out"};
  platform.AnswerFolder(kRunFolder);
  form->MIAddBatchFolderClick();
  EXPECT_TRUE(form->params.BatchFiles.empty());
  EXPECT_EQ(4u, form->Mout.lines.size()) << Joined(form->Mout.lines);
  EXPECT_TRUE(Warnings().empty()) << Joined(platform.messages);
}

TEST_F(BatchFolder, MissingInitialFolderEndsTheCommandAndChangesNothing) {
  form->params.BatchFiles = {"old.out"};
  form->Mout.lines = {"before"};
  platform.AnswerFolder(kRunFolder);
  EXPECT_THROW(form->MIAddBatchFolderClick(), InOutError);
  EXPECT_EQ((std::vector<std::string>{"old.out"}), form->params.BatchFiles);
  EXPECT_EQ((std::vector<std::string>{"before"}), form->Mout.lines);
}

TEST_F(BatchFolder, LoadTestWithAnEmptyListLeavesTheInfoPaneAlone) {
  form->Mout.lines = {"kept"};
  form->MIFileLoadTestClick();
  EXPECT_EQ((std::vector<std::string>{"kept"}), form->Mout.lines);
}

TEST_F(BatchFolder, LoadTestAppendsOneLinePerFileAndStopsAtAFileItCannotOpen) {
  WriteFile("a.out", "x\r\ny");
  WriteFile("b.out", "");
  UseFiles({"a.out", "gone.out", "b.out"});
  form->Mout.lines = {"kept"};
  EXPECT_THROW(form->MIFileLoadTestClick(), InOutError);
  EXPECT_EQ((std::vector<std::string>{"kept", "Load: a.out", "Load: gone.out"}), form->Mout.lines);
}

TEST_F(BatchFolder, LinesLoaderEndsEveryLineWithCrLf) {
  struct Case {
    const char* bytes;
    const char* text;
  };
  const Case cases[] = {{"", ""},           {"abc", "abc\r\n"},        {"a\r\nb\r\n", "a\r\nb\r\n"},
                        {"a\nb", "a\r\nb\r\n"}, {"a\r\n\r\nb", "a\r\n\r\nb\r\n"}, {"a\rb\n", "a\r\nb\r\n"}};
  for (const Case& c : cases) {
    WriteFile("f.out", c.bytes);
    ASSERT_TRUE(platform.SetCurrentFolder(kRunFolder));
    EXPECT_EQ(c.text, LoadLinesText(platform, "f.out")) << "file bytes: " << testing::PrintToString(c.bytes);
  }
}

}  // namespace
