#pragma once
// The seam between the core and the world. Everything a person sees or the operating system
// does stands behind this interface; the core receives a Platform& and never reaches for a
// global. Bindings: posix/ (the machine, Wine-style paths), scripted/ (answers from a queue,
// for tests and the headless runner), qt/ (the real window, on top of the POSIX file system).
//
// Paths: every path that crosses this seam is a Windows-form text as the core builds and
// prints it ("c:\4nec2\b_out\x.out", "z:\tmp\a", or a relative "x.out"); the POSIX platform maps
// it onto the machine (drive c: = $WINEPREFIX/drive_c, z: = /, components matched without case
// when no exact match exists) and hands every path it returns back in that form.
//
// Failures: the file operations that say so throw InOutError (util/errors.hpp) with the
// run-time's message ("Datei nicht gefunden", "Dateizugriff verweigert", "E/A-Fehler %d").
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "util/errors.hpp"

enum class MessageKind { Info, Warning, Error };

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

// One entry of a folder listing.
struct DirEntry {
  std::string name;        // bare name, no folder part
  bool isFolder = false;
  bool isLink = false;     // a symbolic link (never followed when deleting)
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

class Platform;
// The failures of a folder chooser, the same in every binding: it cannot open at a folder that
// does not exist, and a chosen folder that cannot be made the current one fails the same way
// ("Datei nicht gefunden").
void RequireFolderToChooseIn(Platform& platform, const std::string& initialFolder);
InOutError FolderChoiceError();
// A started program; the handle is the platform's own number, 0 meaning none.
struct ProcessHandle {
  std::int64_t id = 0;
  explicit operator bool() const { return id != 0; }
};

class Platform {
 public:
  virtual ~Platform() = default;

  // ---- Message and input boxes -------------------------------------------------------
  // A modal box of the given kind with the message and one OK button.
  virtual void MessageBox(MessageKind kind, const std::string& title, const std::string& text) = 0;
  // Caption, prompt, one edit field holding text, "&OK" (default) and "&Cancel". Returns true
  // only for OK; text receives the edited text in every case.
  virtual bool AskText(const std::string& caption, const std::string& prompt, std::string& text) = 0;
  // The plain input box: the edited text on OK, defaultText on Cancel.
  virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                               const std::string& defaultText) = 0;
  // Shows the dialog modally; returns when it has closed (whichever way).
  virtual void ShowModal(ModalDialog& dialog) = 0;

  // A short notice that needs no answer ("A command is still running ..."): a window shows it
  // in its status bar without stopping the running command; elsewhere it is a warning box.
  virtual void StatusNotice(const std::string& title, const std::string& text) {
    MessageBox(MessageKind::Warning, title, text);
  }

  // ---- Standard dialogs --------------------------------------------------------------
  // The chosen path (Windows form), or nothing on Cancel.
  virtual std::optional<std::string> OpenFileDialog(const FileDialogSpec& spec) = 0;
  virtual std::optional<std::string> SaveFileDialog(const FileDialogSpec& spec) = 0;
  // The chosen folder (Windows form, no trailing backslash); on confirmation it becomes the
  // process's current folder. Throws InOutError when initialFolder does not exist.
  virtual std::optional<std::string> ChooseFolder(const std::string& initialFolder) = 0;

  // ---- Clipboard ---------------------------------------------------------------------
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string ClipboardText() = 0;

  // ---- Shell and processes -----------------------------------------------------------
  // Opens a document (or a folder) with the desktop's associated program; does not wait and
  // reports no failure.
  virtual void OpenDocument(const std::string& path) = 0;
  // Starts a program with one parameter text without waiting. On failure returns an empty
  // handle and sets error to the system's text.
  virtual ProcessHandle StartProcess(const std::string& program, const std::string& parameters,
                                     std::string& error) = 0;
  // True once the process has ended (or the handle is unknown).
  virtual bool ProcessEnded(ProcessHandle handle) = 0;
  // Releases the handle (after the process has ended, or to stop waiting for it).
  virtual void CloseProcess(ProcessHandle handle) = 0;
  // Ends the process and everything it started, waits until it has gone and releases the
  // handle. Nothing happens for an ended or unknown handle.
  virtual void EndProcess(ProcessHandle handle) = 0;

  // ---- File system -------------------------------------------------------------------
  // A regular file (also through a link); a folder, a FIFO, a device or a socket is not.
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // The whole file as bytes. Only a regular file is read: anything else gives "Datei nicht
  // gefunden", a file larger than kMaxReadBytes a short message naming it. Throws InOutError.
  static constexpr std::uint64_t kMaxReadBytes = 2ULL << 30;  // 2 GiB
  virtual std::string ReadFile(const std::string& path) = 0;
  // Creates or truncates the file and writes the bytes exactly. Throws InOutError.
  virtual void WriteFile(const std::string& path, const std::string& bytes) = 0;
  // Replaces target by source (same folder) in one step. Throws InOutError.
  virtual void ReplaceFile(const std::string& source, const std::string& target) = 0;
  // The entries of the folder part of pattern whose names match its last component
  // ('*' and '?' wildcards, case-insensitive), in the order the users' file system lists
  // them: by the names in upper case, compared byte by byte. "." and ".." are never listed.
  // A missing folder gives an empty list.
  virtual std::vector<DirEntry> ListEntries(const std::string& pattern) = 0;
  // Deletes the folder and everything below it, depth first, and never anything else. It
  // works on the folder's own entries, each taken by its stored name and never read back as a
  // path; a link is removed and never followed (a folder that is itself a link loses only the
  // link); a file system mounted inside is not entered; a read-only file stays, and so do the
  // folders above it. Depth and entry count are bounded, so it always ends. Reports nothing:
  // callers test FolderExists afterwards.
  virtual void DeleteTree(const std::string& folder) = 0;
  // True when the folder inner is the folder outer or lies inside it, once ".", "..", letter
  // case, drive aliases and links of both have been resolved. Neither needs to exist.
  virtual bool FolderWithin(const std::string& inner, const std::string& outer) = 0;
  // Each returns true on success and never throws.
  virtual bool DeleteFile(const std::string& path) = 0;     // a file or a link itself
  virtual bool RemoveFolder(const std::string& path) = 0;   // an empty folder
  virtual bool CreateFolder(const std::string& path) = 0;   // one level; false if it exists
  virtual std::string CurrentFolder() = 0;                  // Windows form
  virtual bool SetCurrentFolder(const std::string& path) = 0;
  // An environment variable as the core sees it (USERPROFILE reads as the home folder in
  // Windows form when unset); empty when unset.
  virtual std::string GetEnv(const std::string& name) = 0;
  // The program's own executable path (Windows form).
  virtual std::string ExecutablePath() = 0;
  // Creates a new file under a fresh unpredictable name in the folder of target, exclusively
  // (never an existing file, never through a link), writes the bytes to it and returns its path
  // (Windows form). The file gets the access mode of target when target is a regular file. A
  // read-only target is refused before anything is created. Throws InOutError.
  virtual std::string WriteFileBeside(const std::string& target, const std::string& bytes) = 0;

  // ---- Screen, events, time ----------------------------------------------------------
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // Lets the window repaint and handle input.
  virtual void ProcessEvents() = 0;
  virtual void Pause(int milliseconds) = 0;
  // Local date and time.
  virtual int CurrentYear() = 0;
  virtual std::uint64_t MillisecondsSinceEpoch() = 0;
  // The application is to end (Quit); the binding ends its event loop.
  virtual void RequestQuit() = 0;
};
