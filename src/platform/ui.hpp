#pragma once
// The person half of the seam: message and input boxes, the standard dialogs, the clipboard,
// the desktop shell, the screen and event processing. Implementations: scripted/ (answers from
// a queue, for tests and the headless runner), qt/ (the Qt 6 window) and win32ui/ (the native
// Windows window). Each runs over a System (system.hpp) it is given, never derived from one.
#include <optional>
#include <string>
#include <vector>

namespace varnel {

enum class MessageKind { Info, Warning, Error };
enum class FileDialogKind { Open, Save };
// The answers to a question about work not yet saved.
enum class SaveAnswer { Save, Discard, Cancel };

// Settings of an open- or save-file dialog. filter is the "Text|pattern|Text|pattern" list;
// filterIndex counts its entries from 1; fileName is the preset name; defaultExt ("txt", no
// dot) is added by a save dialog to a name typed without an extension.
struct FileDialogSpec {
  std::string title;
  std::string initialFolder;
  std::string filter;
  int filterIndex = 1;
  std::string fileName;
  std::string defaultExt;
};

// A modal dialog whose state and logic live in the core (the point and range dialogs).
// The binding shows the caption, the bold heading and one labelled edit field per label,
// with the texts of fieldTexts; "Done" is the default button. Pressing Done hands the edited
// texts back and calls DonePressed(); the dialog closes when that returns true. The close
// button closes the dialog without Done.
class ModalDialog {
 public:
  virtual ~ModalDialog() = default;
  virtual std::string Caption() const = 0;
  virtual std::string Heading() const = 0;
  virtual std::vector<std::string> Labels() const = 0;
  // Called when the dialog is shown: fills fieldTexts from the dialog's values.
  virtual void Shown() = 0;
  // "Done": converts fieldTexts; true when the dialog may close.
  virtual bool DonePressed() = 0;
  std::vector<std::string> fieldTexts;
};

// The part of the screen a window may take (without task bars and panels), in screen pixels.
struct ScreenArea {
  int left = 0, top = 0, width = 0, height = 0;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // ---- Message and input boxes ---------------------------------------------------------
  // A modal box of the given kind with the message and one OK button.
  virtual void ShowMessage(MessageKind kind, const std::string& title, const std::string& text) = 0;
  // Caption, prompt, one edit field holding text, "&OK" (default) and "&Cancel". Returns true
  // only for OK; text receives the edited text in every case.
  virtual bool AskText(const std::string& caption, const std::string& prompt, std::string& text) = 0;
  // A Yes/No question; true for Yes. unattended is the answer where nobody is there to give one
  // (a script that queued none), so that such a run keeps its meaning. A question before
  // deleting passes false: nobody may answer it for the user, so a script that queued no
  // answer refuses with the warning "no answer to: " + question + " Abort command!".
  virtual bool Confirm(const std::string& title, const std::string& question, bool unattended) = 0;
  // A question about work not yet saved, with the answers Save, Discard and Cancel (the
  // default). unattended as for Confirm.
  virtual SaveAnswer AskToSave(const std::string& title, const std::string& question,
                               SaveAnswer unattended) = 0;
  // Shows the dialog modally; returns when it has closed (whichever way).
  virtual void ShowModal(ModalDialog& dialog) = 0;
  // A short notice that needs no answer ("A command is still running ..."): a window shows it
  // in its status bar without stopping the running command; elsewhere it is a warning box.
  virtual void StatusNotice(const std::string& title, const std::string& text) {
    ShowMessage(MessageKind::Warning, title, text);
  }

  // ---- Standard dialogs ----------------------------------------------------------------
  // The chosen path (Windows form), or nothing on Cancel. An open dialog takes only an existing
  // file; a save dialog adds spec.defaultExt to a name typed without an extension.
  virtual std::optional<std::string> FileDialog(FileDialogKind kind, const FileDialogSpec& spec) = 0;
  std::optional<std::string> OpenFileDialog(const FileDialogSpec& spec) {
    return FileDialog(FileDialogKind::Open, spec);
  }
  std::optional<std::string> SaveFileDialog(const FileDialogSpec& spec) {
    return FileDialog(FileDialogKind::Save, spec);
  }
  // The chosen folder (Windows form, no trailing backslash); on confirmation it becomes the
  // process's current folder. Throws InOutError when initialFolder does not exist.
  virtual std::optional<std::string> ChooseFolder(const std::string& initialFolder) = 0;

  // ---- Clipboard and shell -------------------------------------------------------------
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string ClipboardText() = 0;
  // Opens a document (or a folder) with the desktop's associated program without waiting for
  // it. False when no program could be started for it (the caller tells the user).
  virtual bool OpenDocument(const std::string& path) = 0;

  // ---- Screen, events ------------------------------------------------------------------
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // The screen's available area; by default the whole screen.
  virtual ScreenArea AvailableArea() { return {0, 0, ScreenWidth(), ScreenHeight()}; }
  // Lets the window repaint and handle input.
  virtual void ProcessEvents() = 0;
  virtual void Pause(int milliseconds) = 0;
  // The application is to end (Quit); the binding ends its event loop.
  virtual void RequestQuit() = 0;
};

}  // namespace varnel
