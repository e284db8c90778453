#include "platform/scripted/scripted_platform.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_root.hpp"
#include "util/errors.hpp"
#include "util/messages.hpp"

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

TEST(ScriptedPlatform, PrintsEveryMessageBoxWhenItAppears) {
  ScriptedFixture f;
  ShowInfo(f.platform, "Parameters set.");
  ShowWarning(f.platform, "No valid number. Abort command!");
  ShowError(f.platform, "Datei nicht gefunden.");
  const std::vector<std::string> expected = {"[Info] Parameters set.", "[Warning] No valid number. Abort command!",
                                             "[Error] Datei nicht gefunden."};
  EXPECT_EQ(expected, f.platform.messages);
  EXPECT_EQ("[Info] Parameters set.\n[Warning] No valid number. Abort command!\n[Error] Datei nicht gefunden.\n",
            f.out.str());
}

TEST(ScriptedPlatform, AskAnswersTakeTheQueueInOrder) {
  ScriptedFixture f;
  f.platform.AnswerAsk("7,5");
  f.platform.AnswerAsk(std::nullopt);
  f.platform.AnswerAsk("input box");
  f.platform.AnswerAsk(std::nullopt);

  std::string text = "1,0";
  EXPECT_TRUE(AskText(f.platform, "Radius", "rCircle:", text));
  EXPECT_EQ("7,5", text);
  text = "1,0";
  EXPECT_FALSE(AskText(f.platform, "Radius", "rCircle:", text));
  EXPECT_EQ("1,0", text);
  EXPECT_EQ("input box", f.platform.InputBox("Segment", "Number:", "5"));
  EXPECT_EQ("5", f.platform.InputBox("Segment", "Number:", "5"));
  // Nothing queued: cancelled and reported with the caption.
  EXPECT_FALSE(AskText(f.platform, "Radius", "rCircle:", text));
  EXPECT_EQ("5", f.platform.InputBox("Segment", "Number:", "5"));
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Radius: no answer", "[Dialog] Segment: no answer"}),
            f.platform.messages);
}

TEST(ScriptedPlatform, APointAnswerFillsTheFieldsAndPressesDone) {
  ScriptedFixture f;
  f.platform.AnswerPoint({"1,5", "2,5"});
  f.platform.AnswerPoint({"bad", "2"});
  TwoFieldDialog dialog;
  f.platform.ShowModal(dialog);
  EXPECT_EQ(1, dialog.shown);
  EXPECT_EQ(1, dialog.done);
  EXPECT_EQ((std::vector<std::string>{"1,5", "2,5"}), dialog.accepted);
  // Done refuses: the dialog is closed, Done is not pressed again.
  f.platform.ShowModal(dialog);
  EXPECT_EQ(2, dialog.done);
  // No answer: shown, then closed and reported.
  f.platform.ShowModal(dialog);
  EXPECT_EQ(3, dialog.shown);
  EXPECT_EQ(2, dialog.done);
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Point P: no answer"}), f.platform.messages);
}

TEST(ScriptedPlatform, FileDialogsHandTheCoreWindowsPaths) {
  ScriptedFixture f;
  fs::create_directories(f.root.driveC / "4nec2/b_in");
  f.platform.AnswerOpen("c:\\4nec2\\b_in\\dipol.nec");
  f.platform.AnswerOpen((f.root.driveC / "4nec2/b_in/x.nec").string());
  f.platform.AnswerOpen("/tmp/elsewhere.nec");
  f.platform.AnswerOpen(std::nullopt);
  FileDialogSpec spec;
  spec.title = "Load to Analyse Single File";
  spec.initialFolder = "c:\\4nec2\\b_out";
  EXPECT_EQ("c:\\4nec2\\b_in\\dipol.nec", f.platform.OpenFileDialog(spec));
  EXPECT_EQ("c:\\4nec2\\b_in\\x.nec", f.platform.OpenFileDialog(spec));
  EXPECT_EQ("z:\\tmp\\elsewhere.nec", f.platform.OpenFileDialog(spec));
  EXPECT_EQ(std::nullopt, f.platform.OpenFileDialog(spec));
  EXPECT_EQ(std::nullopt, f.platform.OpenFileDialog(spec));
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Load to Analyse Single File: no answer"}), f.platform.messages);
  ASSERT_EQ(5u, f.platform.openDialogs.size());
  EXPECT_EQ("c:\\4nec2\\b_out", f.platform.openDialogs[0].initialFolder);
}

TEST(ScriptedPlatform, TheSaveDialogAddsTheDefaultExtension) {
  ScriptedFixture f;
  FileDialogSpec spec;
  spec.title = "Save as Txt";
  spec.defaultExt = "txt";
  for (const char* answer : {"c:\\table", "c:\\table.csv", "c:\\my.folder\\table"}) f.platform.AnswerSave(answer);
  EXPECT_EQ("c:\\table.txt", f.platform.SaveFileDialog(spec));
  EXPECT_EQ("c:\\table.csv", f.platform.SaveFileDialog(spec));
  EXPECT_EQ("c:\\my.folder\\table.txt", f.platform.SaveFileDialog(spec));
  EXPECT_EQ(std::nullopt, f.platform.SaveFileDialog(spec));
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Save as Txt: no answer"}), f.platform.messages);
}

TEST(ScriptedPlatform, TheFolderChooserSetsTheCurrentFolder) {
  ScriptedFixture f;
  fs::create_directories(f.root.driveC / "4nec2/b_out/E_");
  f.platform.AnswerFolder("c:\\4nec2\\b_out\\E_\\");
  f.platform.AnswerFolder(std::nullopt);
  f.platform.AnswerFolder((f.root.driveC / "4nec2/b_out").string());
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", f.platform.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", f.platform.CurrentFolder());
  EXPECT_EQ(std::nullopt, f.platform.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", f.platform.CurrentFolder());
  EXPECT_EQ("c:\\4nec2\\b_out", f.platform.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ("c:\\4nec2\\b_out", f.platform.CurrentFolder());
  EXPECT_EQ(std::nullopt, f.platform.ChooseFolder("c:\\4nec2\\b_out"));
  EXPECT_EQ((std::vector<std::string>{"[Dialog] Select Folder: no answer"}), f.platform.messages);
  EXPECT_EQ(4u, f.platform.folderDialogs.size());
}

TEST(ScriptedPlatform, AMissingInitialFolderFailsBeforeTheAnswerIsTaken) {
  ScriptedFixture f;
  fs::create_directories(f.root.driveC / "4nec2/b_in");
  f.platform.AnswerFolder("c:\\4nec2\\b_in");
  try {
    f.platform.ChooseFolder("c:\\4nec2\\b_out");
    FAIL() << "no InOutError";
  } catch (const InOutError& e) {
    EXPECT_STREQ("Datei nicht gefunden", e.what());
  }
  // The answer is still there for the next chooser.
  EXPECT_EQ("c:\\4nec2\\b_in", f.platform.ChooseFolder("c:\\4nec2\\b_in"));
}

TEST(ScriptedPlatform, RecordsDocumentsPausesAndQuit) {
  ScriptedFixture f;
  f.platform.OpenDocument("c:\\4nec2\\b_in\\dipol.nec");
  f.platform.Pause(50);
  f.platform.Pause(50);
  f.platform.ProcessEvents();
  f.platform.RequestQuit();
  EXPECT_EQ((std::vector<std::string>{"[Open] c:\\4nec2\\b_in\\dipol.nec"}), f.platform.messages);
  EXPECT_EQ(100, f.platform.pausedMilliseconds);
  EXPECT_EQ(1, f.platform.processEventsCalls);
  EXPECT_TRUE(f.platform.quitRequested);
}
