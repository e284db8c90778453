#include "platform/scripted/answered_ui.hpp"

#include <utility>

#include "mainwindow/VarnelU.hpp"

namespace varnel {

AnsweredUi::AnsweredUi(UserInterface& window, ScriptedUi& answers, std::function<bool()> windowShown)
    : window_(window), answers_(answers), windowShown_(std::move(windowShown)) {}

void AnsweredUi::StatusNotice(const std::string& title, const std::string& text) {
  if (windowShown_()) return window_.StatusNotice(title, text);
  UserInterface::StatusNotice(title, text);  // a box, answered as every box
}
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
