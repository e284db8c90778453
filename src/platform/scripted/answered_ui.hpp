#pragma once
// The interface of a real window whose person is the script (`varnel --script FILE --window`):
// boxes, dialogs and the desktop shell are answered from the script's queues as headless; the
// window's own services (clipboard, screen, events, pauses, the status bar) go to the window's
// interface. Toolkit-free: the Qt and the native Windows window both run scripts through it.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/scripted/scripted_ui.hpp"
#include "platform/ui.hpp"

namespace varnel {

class TForm1;

class AnsweredUi : public UserInterface {
 public:
  // windowShown: whether the window is there to show a status notice; before it is (and after
  // it has gone) a notice is a box, answered as every box.
  AnsweredUi(UserInterface& window, ScriptedUi& answers, std::function<bool()> windowShown);
  ScriptedUi& Answers() { return answers_; }

  // The person's part: answered from the script's queues.
  void ShowMessage(MessageKind kind, const std::string& title, const std::string& text) override {
    answers_.ShowMessage(kind, title, text);
  }
  bool AskText(const std::string& caption, const std::string& prompt, std::string& text) override {
    return answers_.AskText(caption, prompt, text);
  }
  bool Confirm(const std::string& title, const std::string& question, bool unattended) override {
    return answers_.Confirm(title, question, unattended);
  }
  SaveAnswer AskToSave(const std::string& title, const std::string& question,
                       SaveAnswer unattended) override {
    return answers_.AskToSave(title, question, unattended);
  }
  void ShowModal(ModalDialog& dialog) override { answers_.ShowModal(dialog); }
  std::optional<std::string> FileDialog(FileDialogKind kind, const FileDialogSpec& spec) override {
    return answers_.FileDialog(kind, spec);
  }
  std::optional<std::string> ChooseFolder(const std::string& initialFolder) override {
    return answers_.ChooseFolder(initialFolder);
  }
  bool OpenDocument(const std::string& path) override { return answers_.OpenDocument(path); }

  // The window's own services.
  void SetClipboardText(const std::string& text) override { window_.SetClipboardText(text); }
  std::string ClipboardText() override { return window_.ClipboardText(); }
  int ScreenWidth() override { return window_.ScreenWidth(); }
  int ScreenHeight() override { return window_.ScreenHeight(); }
  ScreenArea AvailableArea() override { return window_.AvailableArea(); }
  void Pause(int milliseconds) override { window_.Pause(milliseconds); }

  // Both: the notice in the window's status bar once it is shown; quit ends the script and the
  // window; the window's event processing, then the hooks of the answers (ScriptedUi::AtEvents).
  void StatusNotice(const std::string& title, const std::string& text) override;
  void RequestQuit() override;
  void ProcessEvents() override;

 private:
  UserInterface& window_;
  ScriptedUi& answers_;
  std::function<bool()> windowShown_;
};

// The timing of the screenshot directive in a window: take runs now for file 0, else at the
// first event processing (of ui) once the form's command has begun its file N, and only once.
void AtScriptFile(AnsweredUi& ui, const TForm1& form, std::size_t file, std::function<void()> take);

}  // namespace varnel
