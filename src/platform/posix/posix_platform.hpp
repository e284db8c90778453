#pragma once
// The machine as the core sees it on Linux: Windows-form paths mapped the way Wine maps them,
// files, folders, processes, the environment and the clock. Window services that need a
// person (boxes, dialogs, clipboard, events) are not here: ScriptedPlatform and the Qt binding
// derive from this class and supply them; this class answers them as "cancelled" and prints
// message boxes to standard error.
#include <string>

#include "platform/platform.hpp"

// Where the drives live. driveC is the folder behind "c:" ($WINEPREFIX/drive_c, or
// $HOME/.wine/drive_c); home is the folder USERPROFILE reads as when it is unset.
struct PosixRoots {
  std::string driveC;
  std::string home;
  static PosixRoots FromEnvironment();
};

// Path picture (pure functions, no file-system access except where named):
//   "c:\x" and "C:/x" -> driveC + "/x"; "z:\x" -> "/x"; other letters -> none (empty result);
//   "\" and "/" both separate; a relative path resolves against the real current folder.
// NativePath matches each component case-insensitively when no exact match exists.
std::string NativePath(const PosixRoots& roots, const std::string& windowsPath);
// A native absolute path in Windows form: "c:\..." below driveC, otherwise "z:\...".
std::string WindowsPath(const PosixRoots& roots, const std::string& nativePath);

// DecimalSeparator from LC_ALL, then LC_NUMERIC, then LANG, when that names a real locale;
// ',' for C, POSIX or none.
char DecimalSeparatorFromLocale();

// Makes SIGTERM, SIGINT and SIGHUP end the process groups of the running started programs
// (those whose handles are open) before the program ends by the signal. Call once at start.
void EndEnginesOnTerminationSignals();

class PosixPlatform : public Platform {
 public:
  explicit PosixPlatform(PosixRoots roots = PosixRoots::FromEnvironment());
  const PosixRoots& Roots() const { return roots_; }

  // Creates the missing parts of the 4nec2 tree below c:\4nec2\ (exe, b_in, b_in\Ranges, b_out,
  // out, the sample dipol.nec, out\dipol.out, "Range01 Test.txt", the engine launchers).
  // Nothing that exists is overwritten.
  void CreateSampleTree();

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
  ProcessHandle StartProcess(const std::string& program, const std::string& parameters,
                             std::string& error) override;
  bool ProcessEnded(ProcessHandle handle) override;
  void CloseProcess(ProcessHandle handle) override;
  void EndProcess(ProcessHandle handle) override;

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::string ReadFile(const std::string& path) override;
  void WriteFile(const std::string& path, const std::string& bytes) override;
  void ReplaceFile(const std::string& source, const std::string& target) override;
  std::vector<DirEntry> ListEntries(const std::string& pattern) override;
  void DeleteTree(const std::string& folder) override;
  bool FolderWithin(const std::string& inner, const std::string& outer) override;
  bool DeleteFile(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  std::string CurrentFolder() override;
  bool SetCurrentFolder(const std::string& path) override;
  std::string GetEnv(const std::string& name) override;
  std::string ExecutablePath() override;
  std::string WriteFileBeside(const std::string& target, const std::string& bytes) override;

  int ScreenWidth() override;
  int ScreenHeight() override;
  void ProcessEvents() override;
  void Pause(int milliseconds) override;
  int CurrentYear() override;
  std::uint64_t MillisecondsSinceEpoch() override;
  void RequestQuit() override;

 protected:
  std::string Native(const std::string& windowsPath) const { return NativePath(roots_, windowsPath); }
  PosixRoots roots_;
  std::string clipboard_;
};
