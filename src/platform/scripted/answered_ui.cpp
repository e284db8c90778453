#include "platform/scripted/answered_ui.hpp"

#include <utility>

#include "mainwindow/VarnelU.hpp"

namespace varnel {

AnsweredUi::AnsweredUi(UserInterface& window, ScriptedUi& answers, std::function<bool()> windowShown)
    : window_(window), answers_(answers), windowShown_(std::move(windowShown)) {}

void AnsweredUi::ShowMessage(MessageKind kind, const std::string& title, const std::string& text) {
  answers_.ShowMessage(kind, title, text);
}
bool AnsweredUi::Confirm(const std::string& title, const std::string& question, bool unattended) {
  return answers_.Confirm(title, question, unattended);
}

bool AnsweredUi::AskText(const std::string& caption, const std::string& prompt, std::string& text) {
  return answers_.AskText(caption, prompt, text);
}
std::string AnsweredUi::InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& defaultText) {
  return answers_.InputBox(caption, prompt, defaultText);
}
void AnsweredUi::ShowModal(ModalDialog& dialog) { answers_.ShowModal(dialog); }
void AnsweredUi::StatusNotice(const std::string& title, const std::string& text) {
  if (windowShown_()) return window_.StatusNotice(title, text);
  UserInterface::StatusNotice(title, text);  // a box, answered as every box
}
std::optional<std::string> AnsweredUi::OpenFileDialog(const FileDialogSpec& spec) {
  return answers_.OpenFileDialog(spec);
}
std::optional<std::string> AnsweredUi::SaveFileDialog(const FileDialogSpec& spec) {
  return answers_.SaveFileDialog(spec);
}
std::optional<std::string> AnsweredUi::ChooseFolder(const std::string& initialFolder) {
  return answers_.ChooseFolder(initialFolder);
}
void AnsweredUi::SetClipboardText(const std::string& text) { window_.SetClipboardText(text); }
std::string AnsweredUi::ClipboardText() { return window_.ClipboardText(); }
bool AnsweredUi::OpenDocument(const std::string& path) { return answers_.OpenDocument(path); }
int AnsweredUi::ScreenWidth() { return window_.ScreenWidth(); }
int AnsweredUi::ScreenHeight() { return window_.ScreenHeight(); }
ScreenArea AnsweredUi::AvailableArea() { return window_.AvailableArea(); }
void AnsweredUi::Pause(int milliseconds) { window_.Pause(milliseconds); }
void AnsweredUi::RequestQuit() {
  answers_.RequestQuit();
  window_.RequestQuit();
}
void AnsweredUi::ProcessEvents() {
  window_.ProcessEvents();
  answers_.RunEventHooks();
}

void AtScriptFile(AnsweredUi& ui, const TForm1& form, std::size_t file, std::function<void()> take) {
  if (file == 0) return take();
  ui.Answers().AtEvents([&form, file, take = std::move(take)] {
    if (form.progress.file < file) return false;
    take();
    return true;
  });
}

}  // namespace varnel
