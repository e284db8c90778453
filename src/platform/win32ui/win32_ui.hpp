#pragma once
// The user interface of the native Windows window: message boxes, the input and core dialogs
// (in-memory dialog templates), the common file dialogs, the folder chooser, the clipboard, the
// shell and event processing, through the wide-character Win32 calls over the System it is
// given. The program's 8-bit texts cross to the system through the ANSI code page, both ways;
// the texts it shows as captions, labels and messages follow UiText.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/system.hpp"
#include "platform/ui.hpp"

namespace varnel {

class Win32Window;

// Registers a window class of this program once (later calls find it registered).
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, UINT style, const wchar_t* cursor,
                         HBRUSH background);

// A text shown as a caption, label, menu entry, field, hint, status or message: UTF-8 (the
// program's own messages) when it is well-formed UTF-8, else the ANSI code page, as the Qt
// window shows it. Pane contents, paths and the clipboard stay in the code page.
std::wstring UiText(const std::string& text);

// "Text|pattern|Text|pattern" as the file dialogs' filter: each text and pattern ended by a
// zero, the list by one more.
std::wstring DialogFilter(const std::string& filter);

// Handles the messages waiting for this thread (accelerators and keyboard navigation of the
// window included). False when the application was told to end; the end is posted again for
// the main loop.
bool PumpMessages(Win32Window* window);

class Win32Ui : public UserInterface {
 public:
  // The system maps the paths of the file dialogs and takes a chosen folder as current folder.
  explicit Win32Ui(System& system);
  // The main window: owner of every box and dialog (but one over a picture window the person
  // works in), redrawn at every event processing.
  void SetWindow(Win32Window* window) { window_ = window; }
  Win32Window* Window() const { return window_; }

  void ShowMessage(MessageKind kind, const std::string& title, const std::string& text) override;
  bool AskText(const std::string& caption, const std::string& prompt, std::string& text) override;
  bool Confirm(const std::string& title, const std::string& question, bool unattended) override;
  // Yes saves, No discards, Cancel cancels.
  SaveAnswer AskToSave(const std::string& title, const std::string& question, SaveAnswer unattended) override;
  void ShowModal(ModalDialog& dialog) override;
  void StatusNotice(const std::string& title, const std::string& text) override;
  std::optional<std::string> FileDialog(FileDialogKind kind, const FileDialogSpec& spec) override;
  std::optional<std::string> ChooseFolder(const std::string& initialFolder) override;
  // Unicode text on the clipboard, converted from and to the ANSI code page.
  void SetClipboardText(const std::string& text) override;
  std::string ClipboardText() override;
  bool OpenDocument(const std::string& path) override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  // The primary screen less the task bar.
  ScreenArea AvailableArea() override;
  void ProcessEvents() override;
  void Pause(int milliseconds) override;
  void RequestQuit() override;

 private:
  System& system_;
  Win32Window* window_ = nullptr;
  std::string lastOpenName_;
};

}  // namespace varnel
