#include "platform/scripted/scripted_ui.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/platform.hpp"
#include "support/inout_error.hpp"
#include "support/test_root.hpp"
#include "util/errors.hpp"
#include "util/messages.hpp"

namespace varnel {

namespace fs = std::filesystem;
using namespace std::string_literals;

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

// A private drive c: under a scripted interface that prints into out.
struct ScriptedAnswers : ::testing::Test, ScriptedFixture {};

}  // namespace

TEST_F(ScriptedAnswers, PrintsEveryMessageBoxWhenItAppearsAndRecordsDocumentsPausesAndQuit) {
  ShowInfo(ui, "Parameters set.");
  ShowWarning(ui, "No valid number. Abort command!");
  ShowError(ui, "Datei nicht gefunden.");
  const std::vector<std::string> expected = {
      "[Info] Parameters set.", "[Warning] No valid number. Abort command!", "[Error] Datei nicht gefunden."};
  EXPECT_EQ(expected, ui.messages);
  // A user's text is shown whole: control bytes are written out, never cut at.
  ShowWarning(ui, "Die Datei a\0b.out konnte nicht gefunden werden."s);
  ShowInfo(ui, "x\x01y\x1Fz"s);
  ShowError(ui, "kept:\tA\r\nB"s);
  EXPECT_EQ(
      "[Info] Parameters set.\n[Warning] No valid number. Abort command!\n[Error] Datei nicht gefunden.\n"
      "[Warning] Die Datei a\\0b.out konnte nicht gefunden werden.\n"
      "[Info] x\\x01y\\x1Fz\n"
      "[Error] kept:\tA\r\nB\n",
      out.str());
  // Documents, pauses and quit are recorded.
  ui.messages.clear();
  ui.AnswerOpener(false);
  EXPECT_FALSE(ui.OpenDocument("c:\\4nec2\\b_in\\dipol.nec"));
  EXPECT_TRUE(ui.OpenDocument("c:\\4nec2\\b_in\\dipol.nec"));
  ui.Pause(50);
  ui.Pause(50);
  ui.ProcessEvents();
  ui.RequestQuit();
  EXPECT_EQ((std::vector<std::string>(2, "[Open] c:\\4nec2\\b_in\\dipol.nec")), ui.messages);
  EXPECT_EQ(100, ui.pausedMilliseconds);
  EXPECT_EQ(1, ui.processEventsCalls);
  EXPECT_TRUE(ui.quitRequested);
}

TEST_F(ScriptedAnswers, AskAndPointAnswersTakeTheQueueInOrder) {
  ui.AnswerAsk("7,5");
  ui.AnswerAskDefault();
  ui.AnswerAsk(std::nullopt);

  std::string text = "1,0";
  EXPECT_TRUE(AskText(ui, "Radius", "rCircle:", text));
  EXPECT_EQ("7,5", text);
  EXPECT_TRUE(AskText(ui, "Radius", "rCircle:", text));  // OK on the prefilled text
  EXPECT_EQ("7,5", text);
  text = "1,0";
  EXPECT_FALSE(AskText(ui, "Radius", "rCircle:", text));
  EXPECT_EQ("1,0", text);
  // Nothing queued: cancelled and reported with the caption, the text kept.
  EXPECT_FALSE(AskText(ui, "Segment", "Number:", text));
  EXPECT_EQ("1,0", text);
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Segment: no answer"}), ui.messages);

  // A point answer fills the fields and presses Done.
  ui.messages.clear();
  ui.AnswerPoint({"1,5", "2,5"});
  ui.AnswerPoint({"bad", "2"});
  TwoFieldDialog dialog;
  ui.ShowModal(dialog);
  EXPECT_EQ(1, dialog.shown);
  EXPECT_EQ(1, dialog.done);
  EXPECT_EQ((std::vector<std::string>{"1,5", "2,5"}), dialog.accepted);
  // Done refuses: the dialog is closed, Done is not pressed again.
  ui.ShowModal(dialog);
  EXPECT_EQ(2, dialog.done);
  // No answer: shown, then closed and reported.
  ui.ShowModal(dialog);
  EXPECT_EQ(3, dialog.shown);
  EXPECT_EQ(2, dialog.done);
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Point P: no answer"}), ui.messages);
}

TEST_F(ScriptedAnswers, FileDialogsHandTheCoreWindowsPathsAndSaveAddsTheDefaultExtension) {
  fs::create_directories(root.driveC / "4nec2/b_in");
  ui.AnswerOpen("c:\\4nec2\\b_in\\dipol.nec");
#ifndef _WIN32  // native Linux paths come back in Windows form
  ui.AnswerOpen((root.driveC / "4nec2/b_in/x.nec").string());
  ui.AnswerOpen("/tmp/elsewhere.nec");
#endif
  ui.AnswerOpen(std::nullopt);
  FileDialogSpec spec;
  spec.title = "Load to Analyse Single File";
  spec.initialFolder = "c:\\4nec2\\b_out";
  EXPECT_EQ("c:\\4nec2\\b_in\\dipol.nec", ui.OpenFileDialog(spec));
#ifndef _WIN32
  EXPECT_EQ("c:\\4nec2\\b_in\\x.nec", ui.OpenFileDialog(spec));
  EXPECT_EQ("z:\\tmp\\elsewhere.nec", ui.OpenFileDialog(spec));
#endif
  EXPECT_EQ(std::nullopt, ui.OpenFileDialog(spec));
  EXPECT_EQ(std::nullopt, ui.OpenFileDialog(spec));
#ifdef _WIN32
  ASSERT_EQ(3u, ui.openDialogs.size());
#else
  ASSERT_EQ(5u, ui.openDialogs.size());
#endif
  EXPECT_EQ("c:\\4nec2\\b_out", ui.openDialogs[0].initialFolder);

  // The save dialog adds the default extension.
  spec.title = "Save as Txt";
  spec.defaultExt = "txt";
  for (const char* answer : {"c:\\table", "c:\\table.csv", "c:\\my.folder\\table"}) ui.AnswerSave(answer);
  EXPECT_EQ("c:\\table.txt", ui.SaveFileDialog(spec));
  EXPECT_EQ("c:\\table.csv", ui.SaveFileDialog(spec));
  EXPECT_EQ("c:\\my.folder\\table.txt", ui.SaveFileDialog(spec));
  EXPECT_EQ(std::nullopt, ui.SaveFileDialog(spec));
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Load to Analyse Single File: no answer",
                                      "[Dialog] Save as Txt: no answer"}),
            ui.messages);
}

TEST_F(ScriptedAnswers, TheFolderChooserSetsTheCurrentFolderWithoutItsTrailingSeparator) {
  fs::create_directories(root.driveC / "4nec2/b_out/E_");
  ui.AnswerFolder("c:\\4nec2\\b_out\\E_\\");
  ui.AnswerFolder(std::nullopt);
#ifdef _WIN32  // an answer is a Windows path as it stands
  ui.AnswerFolder("c:\\4nec2\\b_out");
#else  // a native Linux path comes back in Windows form
  ui.AnswerFolder((root.driveC / "4nec2/b_out").string());
#endif
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", ui.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", system.CurrentFolder());
  EXPECT_EQ(std::nullopt, ui.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", system.CurrentFolder());
  EXPECT_EQ("c:\\4nec2\\b_out", ui.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ("c:\\4nec2\\b_out", system.CurrentFolder());
  EXPECT_EQ(std::nullopt, ui.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Select Folder: no answer"}), ui.messages);
  EXPECT_EQ(4u, ui.folderDialogs.size());
  // A missing initial folder fails before the answer is taken: it stays for the next chooser.
  ui.AnswerFolder("c:\\4nec2\\b_out\\E_");
  EXPECT_EQ("2 Datei nicht gefunden", ErrorOf([&] { ui.ChooseFolder("c:\\4nec2\\b_in"); }));
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", ui.ChooseFolder("c:\\4nec2\\b_out"));

  // What every binding does with the folder its chooser returned: the trailing separator goes
  // (a drive's root keeps it) and the folder becomes the current one, or the choice fails.
  for (const auto& [chosen, taken] : std::vector<std::pair<std::string, std::string>>{
           {"c:\\4nec2\\b_out\\\\", "c:\\4nec2\\b_out"}, {"c:\\4nec2/", "c:\\4nec2"}, {"c:\\", "c:\\"}}) {
    EXPECT_EQ(taken, TakeChosenFolder(system, chosen)) << chosen;
    EXPECT_EQ(taken, system.CurrentFolder()) << chosen;
  }
  EXPECT_THROW(TakeChosenFolder(system, "c:\\4nec2\\gone\\"), InOutError);
  EXPECT_EQ("c:\\", system.CurrentFolder());
}

}  // namespace varnel
