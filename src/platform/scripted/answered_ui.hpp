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

  void ShowMessage(MessageKind kind, const std::string& title, const std::string& text) override;
  bool AskText(const std::string& caption, const std::string& prompt, std::string& text) override;
  bool Confirm(const std::string& title, const std::string& question, bool unattended) override;
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& defaultText) override;
  void ShowModal(ModalDialog& dialog) override;
  void StatusNotice(const std::string& title, const std::string& text) override;
  std::optional<std::string> OpenFileDialog(const FileDialogSpec& spec) override;
  std::optional<std::string> SaveFileDialog(const FileDialogSpec& spec) override;
  std::optional<std::string> ChooseFolder(const std::string& initialFolder) override;
  void SetClipboardText(const std::string& text) override;
  std::string ClipboardText() override;
  bool OpenDocument(const std::string& path) override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  ScreenArea AvailableArea() override;
  void Pause(int milliseconds) override;
  void RequestQuit() override;
  // The window's event processing, then the hooks of the script's answers (ScriptedUi::AtEvents).
  void ProcessEvents() override;
  ScriptedUi& Answers() { return answers_; }

 private:
  UserInterface& window_;
  ScriptedUi& answers_;
  std::function<bool()> windowShown_;
};

// The timing of the screenshot directive in a window: take runs now for file 0, else at the
// first event processing (of ui) once the form's command has begun its file N, and only once.
void AtScriptFile(AnsweredUi& ui, const TForm1& form, std::size_t file, std::function<void()> take);

}  // namespace varnel
