#pragma once
// A person replaced by a queue of answers, over the System it is given: the user interface of
// the headless runner and of the tests. Every message box is written to the output stream when
// it appears ("[Info] text", "[Warning] text", "[Error] text") and kept in messages. A dialog
// with no queued answer of its kind is cancelled and reported as "[Dialog] <title>: no answer".
#include <deque>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/system.hpp"
#include "platform/ui.hpp"

namespace varnel {

class ScriptedUi : public UserInterface {
 public:
  // The system maps the answered paths and takes the chosen folders as current folder.
  ScriptedUi(std::ostream& out, System& system);

  // A path answers with OK, nothing answers with Cancel.
  void AnswerOpen(std::optional<std::string> path);
  void AnswerSave(std::optional<std::string> path);
  void AnswerFolder(std::optional<std::string> path);  // also sets the current folder on OK
  void AnswerAsk(std::optional<std::string> text);     // AskText
  void AnswerAskDefault();                             // AskText: OK on the prefilled text
  void AnswerConfirm(bool yes);                        // the next Yes/No question
  // The next question: Yes/No (Save counts as Yes) or Save/Discard/Cancel (yes is Discard,
  // no Cancel).
  void AnswerConfirm(SaveAnswer answer);
  // The next modal dialog: its edit fields get the texts and Done is pressed; if Done refuses,
  // the dialog is closed with its close button.
  void AnswerPoint(std::vector<std::string> fieldTexts);
  // Whether the desktop has a program for the next document or folder opened (true without).
  void AnswerOpener(bool found);

  std::vector<std::string> messages;  // every printed line, in order
  int screenWidth = 1920, screenHeight = 1080;
  int processEventsCalls = 0;
  int pausedMilliseconds = 0;
  bool quitRequested = false;
  bool realPause = false;  // Pause sleeps only when set

  void ShowMessage(MessageKind kind, const std::string& title, const std::string& text) override;
  bool AskText(const std::string& caption, const std::string& prompt, std::string& text) override;
  // Printed as "[Question] " + question + " " + the answer ("Yes"/"No"); without a queued answer
  // the unattended one, or, where that is No (a question before deleting), the warning
  // "no answer to: " + question + " Abort command!" and No.
  bool Confirm(const std::string& title, const std::string& question, bool unattended) override;
  // Printed as "[Question] " + question + " " + "Save", "Discard" or "Cancel".
  SaveAnswer AskToSave(const std::string& title, const std::string& question, SaveAnswer unattended) override;
  void ShowModal(ModalDialog& dialog) override;
  std::optional<std::string> FileDialog(FileDialogKind kind, const FileDialogSpec& spec) override;
  std::optional<std::string> ChooseFolder(const std::string& initialFolder) override;
  void SetClipboardText(const std::string& text) override { clipboard_ = text; }
  std::string ClipboardText() override { return clipboard_; }
  // Recorded as "[Open] path"; true unless AnswerOpener(false) was queued for it.
  bool OpenDocument(const std::string& path) override;
  int ScreenWidth() override { return screenWidth; }
  int ScreenHeight() override { return screenHeight; }
  // Counts the call and runs the hooks of AtEvents.
  void ProcessEvents() override;
  // hook runs at every event processing from now on until it returns true (done). Hooks run in
  // the order they were given; a hook may give another.
  void AtEvents(std::function<bool()> hook);
  void RunEventHooks();
  void ClearEventHooks() { hooks_.clear(); }
  void Pause(int milliseconds) override;
  void RequestQuit() override { quitRequested = true; }

  // The specs of the dialogs shown so far, for tests of their settings.
  std::vector<FileDialogSpec> openDialogs, saveDialogs;
  std::vector<std::string> folderDialogs;  // initial folders

 private:
  void Print(const std::string& line);
  std::string AnswerPath(const std::string& path);
  std::ostream& out_;
  System& system_;
  std::string clipboard_;
  std::deque<std::optional<std::string>> open_, save_, folder_;
  // An AskText answer: OK with the text (none: the prefilled one), or Cancel.
  struct AskAnswer {
    bool ok = false;
    std::optional<std::string> text;
  };
  std::deque<AskAnswer> ask_;
  std::deque<std::vector<std::string>> point_;
  std::deque<SaveAnswer> confirm_;
  std::deque<bool> opener_;
  std::vector<std::function<bool()>> hooks_;
};

}  // namespace varnel
