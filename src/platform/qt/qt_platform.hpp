#pragma once
// The platform of the real window: the machine of PosixPlatform plus the window services a
// person answers (boxes, dialogs, clipboard, event processing) through Qt 6 Widgets.
#include <QString>
#include <string>

#include "platform/posix/posix_platform.hpp"

class QWidget;
class VarnelWindow;

// The core's 8-bit texts as Qt text: UTF-8 when the bytes are valid UTF-8, else Latin-1.
QString ToQt(const std::string& text);
std::string FromQt(const QString& text);
// "All(*.*)|*.*|4nec2 (*.out)|*.out" as Qt's "All(*.*) (*.*);;4nec2 (*.out) (*.out)" entries.
QStringList QtFilters(const std::string& filter);

class QtPlatform : public PosixPlatform {
 public:
  explicit QtPlatform(PosixRoots roots = PosixRoots::FromEnvironment());
  // The main window: parent of every dialog, redrawn at every event processing.
  void SetWindow(VarnelWindow* window) { window_ = window; }

  void MessageBox(MessageKind kind, const std::string& title, const std::string& text) override;
  bool AskText(const std::string& caption, const std::string& prompt, std::string& text) override;
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& defaultText) override;
  void ShowModal(ModalDialog& dialog) override;
  std::optional<std::string> OpenFileDialog(const FileDialogSpec& spec) override;
  std::optional<std::string> SaveFileDialog(const FileDialogSpec& spec) override;
  std::optional<std::string> ChooseFolder(const std::string& initialFolder) override;
  void SetClipboardText(const std::string& text) override;
  std::string ClipboardText() override;
  void OpenDocument(const std::string& path) override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  void StatusNotice(const std::string& title, const std::string& text) override;
  void ProcessEvents() override;
  void Pause(int milliseconds) override;
  void RequestQuit() override;

 private:
  QWidget* Parent() const;
  std::optional<std::string> FileDialog(const FileDialogSpec& spec, bool save);
  VarnelWindow* window_ = nullptr;
  std::string lastOpenName_;
};
