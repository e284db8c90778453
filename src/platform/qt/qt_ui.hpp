#pragma once
// The user interface of the real window: boxes, dialogs, clipboard, the desktop shell and event
// processing through Qt 6 Widgets, over the System it is given.
#include <QString>
#include <string>

#include "platform/system.hpp"
#include "platform/ui.hpp"

class QWidget;

namespace varnel {
class VarnelWindow;

// The core's 8-bit texts as Qt text: UTF-8 when the bytes are valid UTF-8, else Latin-1.
QString ToQt(const std::string& text);
std::string FromQt(const QString& text);
// "All(*.*)|*.*|4nec2 (*.out)|*.out" as Qt's "All(*.*) (*.*);;4nec2 (*.out) (*.out)" entries.
QStringList QtFilters(const std::string& filter);

class QtUi : public UserInterface {
 public:
  // The system maps the paths of the file dialogs and takes a chosen folder as current folder.
  explicit QtUi(System& system);
  // The main window: parent of every dialog (but one over a picture window the person works
  // in), redrawn at every event processing.
  void SetWindow(VarnelWindow* window) { window_ = window; }
  VarnelWindow* Window() const { return window_; }

  void ShowMessage(MessageKind kind, const std::string& title, const std::string& text) override;
  bool AskText(const std::string& caption, const std::string& prompt, std::string& text) override;
  bool Confirm(const std::string& title, const std::string& question, bool unattended) override;
  SaveAnswer AskToSave(const std::string& title, const std::string& question, SaveAnswer unattended) override;
  void ShowModal(ModalDialog& dialog) override;
  std::optional<std::string> FileDialog(FileDialogKind kind, const FileDialogSpec& spec) override;
  std::optional<std::string> ChooseFolder(const std::string& initialFolder) override;
  void SetClipboardText(const std::string& text) override;
  std::string ClipboardText() override;
  // Through the desktop's opener (xdg-open): false when there is none or it fails at once.
  bool OpenDocument(const std::string& path) override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  ScreenArea AvailableArea() override;
  void StatusNotice(const std::string& title, const std::string& text) override;
  void ProcessEvents() override;
  void Pause(int milliseconds) override;
  void RequestQuit() override;

 private:
  QWidget* Parent() const;
  System& system_;
  VarnelWindow* window_ = nullptr;
  std::string lastOpenName_;
  std::string clipboard_;  // when there is no clipboard of the desktop
};

}  // namespace varnel
