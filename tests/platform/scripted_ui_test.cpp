#include "platform/scripted/scripted_ui.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/platform.hpp"
#include "support/test_root.hpp"
#include "util/errors.hpp"
#include "util/messages.hpp"

namespace varnel {

namespace fs = std::filesystem;

namespace {

// A dialog with two fields whose Done accepts only numbers it can read ("ok" texts).
class TwoFieldDialog : public ModalDialog {
 public:
  std::string Caption() const override { return "Point P"; }
  std::string Heading() const override { return "Enter P"; }
  std::vector<std::string> Labels() const override { return {"x", "y"}; }
  void Shown() override {
    ++shown;
    fieldTexts = {"10,0", "0,0"};
  }
  bool DonePressed() override {
    ++done;
    accepted = fieldTexts;
    return fieldTexts[0] != "bad";
  }
  int shown = 0, done = 0;
  std::vector<std::string> accepted;
};

}  // namespace

TEST(ScriptedUi, PrintsEveryMessageBoxWhenItAppears) {
  ScriptedFixture f;
  ShowInfo(f.ui, "Parameters set.");
  ShowWarning(f.ui, "No valid number. Abort command!");
  ShowError(f.ui, "Datei nicht gefunden.");
  const std::vector<std::string> expected = {
      "[Info] Parameters set.", "[Warning] No valid number. Abort command!", "[Error] Datei nicht gefunden."};
  EXPECT_EQ(expected, f.ui.messages);
  EXPECT_EQ(
      "[Info] Parameters set.\n[Warning] No valid number. Abort command!\n[Error] Datei nicht gefunden.\n",
      f.out.str());
}

TEST(ScriptedUi, AskAnswersTakeTheQueueInOrder) {
  ScriptedFixture f;
  f.ui.AnswerAsk("7,5");
  f.ui.AnswerAskDefault();
  f.ui.AnswerAsk(std::nullopt);

  std::string text = "1,0";
  EXPECT_TRUE(AskText(f.ui, "Radius", "rCircle:", text));
  EXPECT_EQ("7,5", text);
  EXPECT_TRUE(AskText(f.ui, "Radius", "rCircle:", text));  // OK on the prefilled text
  EXPECT_EQ("7,5", text);
  text = "1,0";
  EXPECT_FALSE(AskText(f.ui, "Radius", "rCircle:", text));
  EXPECT_EQ("1,0", text);
  // Nothing queued: cancelled and reported with the caption, the text kept.
  EXPECT_FALSE(AskText(f.ui, "Segment", "Number:", text));
  EXPECT_EQ("1,0", text);
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Segment: no answer"}), f.ui.messages);
}

TEST(ScriptedUi, APointAnswerFillsTheFieldsAndPressesDone) {
  ScriptedFixture f;
  f.ui.AnswerPoint({"1,5", "2,5"});
  f.ui.AnswerPoint({"bad", "2"});
  TwoFieldDialog dialog;
  f.ui.ShowModal(dialog);
  EXPECT_EQ(1, dialog.shown);
  EXPECT_EQ(1, dialog.done);
  EXPECT_EQ((std::vector<std::string>{"1,5", "2,5"}), dialog.accepted);
  // Done refuses: the dialog is closed, Done is not pressed again.
  f.ui.ShowModal(dialog);
  EXPECT_EQ(2, dialog.done);
  // No answer: shown, then closed and reported.
  f.ui.ShowModal(dialog);
  EXPECT_EQ(3, dialog.shown);
  EXPECT_EQ(2, dialog.done);
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Point P: no answer"}), f.ui.messages);
}

TEST(ScriptedUi, FileDialogsHandTheCoreWindowsPaths) {
  ScriptedFixture f;
  fs::create_directories(f.root.driveC / "4nec2/b_in");
  f.ui.AnswerOpen("c:\\4nec2\\b_in\\dipol.nec");
#ifndef _WIN32  // native Linux paths come back in Windows form
  f.ui.AnswerOpen((f.root.driveC / "4nec2/b_in/x.nec").string());
  f.ui.AnswerOpen("/tmp/elsewhere.nec");
#endif
  f.ui.AnswerOpen(std::nullopt);
  FileDialogSpec spec;
  spec.title = "Load to Analyse Single File";
  spec.initialFolder = "c:\\4nec2\\b_out";
  EXPECT_EQ("c:\\4nec2\\b_in\\dipol.nec", f.ui.OpenFileDialog(spec));
#ifndef _WIN32
  EXPECT_EQ("c:\\4nec2\\b_in\\x.nec", f.ui.OpenFileDialog(spec));
  EXPECT_EQ("z:\\tmp\\elsewhere.nec", f.ui.OpenFileDialog(spec));
#endif
  EXPECT_EQ(std::nullopt, f.ui.OpenFileDialog(spec));
  EXPECT_EQ(std::nullopt, f.ui.OpenFileDialog(spec));
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Load to Analyse Single File: no answer"}), f.ui.messages);
#ifdef _WIN32
  ASSERT_EQ(3u, f.ui.openDialogs.size());
#else
  ASSERT_EQ(5u, f.ui.openDialogs.size());
#endif
  EXPECT_EQ("c:\\4nec2\\b_out", f.ui.openDialogs[0].initialFolder);
}

TEST(ScriptedUi, TheSaveDialogAddsTheDefaultExtension) {
  ScriptedFixture f;
  FileDialogSpec spec;
  spec.title = "Save as Txt";
  spec.defaultExt = "txt";
  for (const char* answer : {"c:\\table", "c:\\table.csv", "c:\\my.folder\\table"}) f.ui.AnswerSave(answer);
  EXPECT_EQ("c:\\table.txt", f.ui.SaveFileDialog(spec));
  EXPECT_EQ("c:\\table.csv", f.ui.SaveFileDialog(spec));
  EXPECT_EQ("c:\\my.folder\\table.txt", f.ui.SaveFileDialog(spec));
  EXPECT_EQ(std::nullopt, f.ui.SaveFileDialog(spec));
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Save as Txt: no answer"}), f.ui.messages);
}

TEST(ScriptedUi, TheFolderChooserSetsTheCurrentFolder) {
  ScriptedFixture f;
  fs::create_directories(f.root.driveC / "4nec2/b_out/E_");
  f.ui.AnswerFolder("c:\\4nec2\\b_out\\E_\\");
  f.ui.AnswerFolder(std::nullopt);
#ifdef _WIN32  // an answer is a Windows path as it stands
  f.ui.AnswerFolder("c:\\4nec2\\b_out");
#else  // a native Linux path comes back in Windows form
  f.ui.AnswerFolder((f.root.driveC / "4nec2/b_out").string());
#endif
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", f.ui.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", f.system.CurrentFolder());
  EXPECT_EQ(std::nullopt, f.ui.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", f.system.CurrentFolder());
  EXPECT_EQ("c:\\4nec2\\b_out", f.ui.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ("c:\\4nec2\\b_out", f.system.CurrentFolder());
  EXPECT_EQ(std::nullopt, f.ui.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Select Folder: no answer"}), f.ui.messages);
  EXPECT_EQ(4u, f.ui.folderDialogs.size());
}

// What every binding does with the folder its chooser returned: the trailing separator goes
// (a drive's root keeps it) and the folder becomes the current one, or the choice fails.
TEST(FolderChooser, TheChosenFolderLosesItsTrailingSeparatorAndBecomesCurrent) {
  ScriptedFixture f;
  fs::create_directories(f.root.driveC / "4nec2/b_out");
  for (const auto& [chosen, taken] : std::vector<std::pair<std::string, std::string>>{
           {"c:\\4nec2\\b_out\\\\", "c:\\4nec2\\b_out"}, {"c:\\4nec2/", "c:\\4nec2"}, {"c:\\", "c:\\"}}) {
    EXPECT_EQ(taken, TakeChosenFolder(f.system, chosen)) << chosen;
    EXPECT_EQ(taken, f.system.CurrentFolder()) << chosen;
  }
  EXPECT_THROW(TakeChosenFolder(f.system, "c:\\4nec2\\gone\\"), InOutError);
  EXPECT_EQ("c:\\", f.system.CurrentFolder());
}

TEST(ScriptedUi, AMissingInitialFolderFailsBeforeTheAnswerIsTaken) {
  ScriptedFixture f;
  fs::create_directories(f.root.driveC / "4nec2/b_in");
  f.ui.AnswerFolder("c:\\4nec2\\b_in");
  try {
    f.ui.ChooseFolder("c:\\4nec2\\b_out");
    FAIL() << "no InOutError";
  } catch (const InOutError& e) {
    EXPECT_STREQ("Datei nicht gefunden", e.what());
  }
  // The answer is still there for the next chooser.
  EXPECT_EQ("c:\\4nec2\\b_in", f.ui.ChooseFolder("c:\\4nec2\\b_in"));
}

TEST(ScriptedUi, RecordsDocumentsPausesAndQuit) {
  ScriptedFixture f;
  f.ui.AnswerOpener(false);
  EXPECT_FALSE(f.ui.OpenDocument("c:\\4nec2\\b_in\\dipol.nec"));
  EXPECT_TRUE(f.ui.OpenDocument("c:\\4nec2\\b_in\\dipol.nec"));
  f.ui.Pause(50);
  f.ui.Pause(50);
  f.ui.ProcessEvents();
  f.ui.RequestQuit();
  EXPECT_EQ((std::vector<std::string>(2, "[Open] c:\\4nec2\\b_in\\dipol.nec")), f.ui.messages);
  EXPECT_EQ(100, f.ui.pausedMilliseconds);
  EXPECT_EQ(1, f.ui.processEventsCalls);
  EXPECT_TRUE(f.ui.quitRequested);
}

}  // namespace varnel
