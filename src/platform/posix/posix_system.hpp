#pragma once
// The machine as the core sees it on Linux: Windows-form paths mapped the way Wine maps them,
// files, folders, processes, the environment, the locale and the clock. A user interface runs
// over it (scripted/, qt/); this class has none of its own.
#include <string>
#include <thread>

#include "platform/system.hpp"

namespace varnel {

// Where the drives live. driveC is the folder behind "c:" ($WINEPREFIX/drive_c, or
// $HOME/.wine/drive_c); home is the folder USERPROFILE reads as when it is unset, from the
// environment driveC/users/<name> as Wine has it (<name>: USER, else the account's name).
struct PosixRoots {
  std::string driveC;
  std::string home;
  static PosixRoots FromEnvironment();
};

// Path picture (pure functions, no file-system access except where named):
//   "c:\x" and "C:/x" -> driveC + "/x"; "z:\x" -> "/x"; other letters -> none (empty result);
//   "\" and "/" both separate; a relative path resolves against the real current folder.
// NativePath matches each component case-insensitively when no exact match exists. Where that
// leaves two or more names of one folder (a Linux disk holding "Ab" and "aB", asked for "ab"),
// none is guessed: the path names no place (empty result), and CaseCollision says why,
// "c:\x\ab: two names differ only in letter case (Ab, aB)" ("" for every other path).
std::string NativePath(const PosixRoots& roots, const std::string& windowsPath);
std::string CaseCollision(const PosixRoots& roots, const std::string& windowsPath);
// A native absolute path in Windows form: "c:\..." below driveC, otherwise "z:\...".
std::string WindowsPath(const PosixRoots& roots, const std::string& nativePath);

// DecimalSeparator from LC_ALL, then LC_NUMERIC, then LANG, when that names a real locale;
// ',' for C, POSIX or none.
char DecimalSeparatorFromLocale();

// Makes SIGTERM, SIGINT and SIGHUP end the process groups of the running started programs
// (those whose handles are open) before the program ends by the signal. Call once at start.
void EndEnginesOnTerminationSignals();

// The placement of RunAtOnce's kept threads (see SetThreadPlacement): away from the caller, the
// thread's processors are the program's but the one the calling thread runs on now; with fewer
// than two, or when the system refuses, the thread stays as it was.
void PlaceKeptThread(std::thread* awayFromCaller);

// Opens a document (or a folder) with the desktop's opener (xdg-open on PATH) and waits for it
// at most waitMilliseconds: false when there is no opener, the path names no place, or the
// opener fails within that time (it found no program for the document); an opener still
// running then is taken as started (it waits for the program it started). The Qt window's
// desktop shell.
bool OpenNativeWithDesktopOpener(const std::string& nativePath, int waitMilliseconds = 1500);
bool OpenWithDesktopOpener(const PosixRoots& roots, const std::string& path);

class PosixSystem : public System {
 public:
  explicit PosixSystem(PosixRoots roots = PosixRoots::FromEnvironment());
  const PosixRoots& Roots() const { return roots_; }

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::string ReadFile(const std::string& path) override;
  // Reads only the parts asked for (pread), the path mapped and the file opened once.
  std::unique_ptr<FileParts> OpenFileParts(const std::string& path) override;
  // Maps the folder once; each file is then matched by its name alone.
  std::unique_ptr<FolderFiles> OpenFolderFiles(const std::string& folder) override;
  void WriteFile(const std::string& path, const std::string& bytes) override;
  std::string WriteFileBeside(const std::string& target, const std::string& bytes) override;
  void RenameOver(const std::string& source, const std::string& target) override;
  bool RemoveFile(const std::string& path) override;

  std::vector<DirEntry> ListEntries(const std::string& pattern) override;
  void DeleteTree(const std::string& folder) override;
  std::string FolderDeletionProblem(const std::string& folder) override;
  bool FolderWithin(const std::string& inner, const std::string& outer) override;
  bool RemoveFolder(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  std::string CurrentFolder() override;
  bool SetCurrentFolder(const std::string& path) override;
  std::string ToNativePath(const std::string& path) override { return NativePath(roots_, path); }
  std::string FromNativePath(const std::string& nativePath) override {
    return WindowsPath(roots_, nativePath);
  }

  ProcessHandle StartProcess(const std::string& program, const std::string& parameters,
                             std::string& error) override;
  ProcessHandle StartIndependentProcess(const std::string& program, const std::string& parameters,
                                        std::string& error) override;
  bool ProcessEnded(ProcessHandle handle) override;
  // Waits on a pidfd of each process (Linux 5.3 and later), so an end wakes the waiter at once;
  // where the kernel has none, the looks of System's own.
  bool WaitForAnyProcess(const std::vector<ProcessHandle>& handles, int milliseconds) override;
  ProcessExit ProcessExitOf(ProcessHandle handle) override;
  void CloseProcess(ProcessHandle handle) override;
  void EndProcess(ProcessHandle handle) override;

  std::int64_t LockFolder(const std::string& folder, std::string& problem) override;
  std::uint64_t FreeBytes(const std::string& folder) override;
  void UnlockFolder(std::int64_t lock) override;

  std::string GetEnv(const std::string& name) override;
  std::string ExecutablePath() override;
  char LocaleDecimalSeparator() override { return DecimalSeparatorFromLocale(); }
  int CurrentYear() override;
  std::uint64_t MillisecondsSinceEpoch() override;
  std::uint64_t MonotonicMilliseconds() override;

 protected:
  std::string Native(const std::string& windowsPath) const { return NativePath(roots_, windowsPath); }
  PosixRoots roots_;

 private:
  std::string UserProfileWithDesktop();
  bool endWithProgram_ = true;  // whether the program StartProcess starts ends with this one
};

}  // namespace varnel
