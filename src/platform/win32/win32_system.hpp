#pragma once
// The machine as the core sees it on Windows: paths are used as they stand (no drive picture),
// through the wide-character Win32 calls; the program's 8-bit texts are converted with the ANSI
// code page, both ways. A name that the code page cannot express comes back with '?' in its
// place, so the core treats it like any other name a path cannot reach.
//
// Differences the machine itself brings:
// - A read-only file is one with the read-only attribute; it is neither replaced nor deleted.
// - Links are symbolic links and junctions (reparse points): listed with isLink, never entered
//   when a tree is deleted; a mounted volume is a reparse point too, and is not entered either.
//   A target folder that is a mounted volume is refused (FolderDeletionProblem).
// - A folder lock is the file <folder>.varnel-lock held open without sharing and deleted when
//   closed, so the system releases and removes it when the program ends, however it ends.
// - Started programs run in a job object of their own, so EndProcess ends what they started;
//   when this program ends, however it ends, its running programs end with it (their handles
//   closed by CloseProcess excepted). They get no console window.
// - LocaleDecimalSeparator is GetLocaleInfo's LOCALE_SDECIMAL of the user's locale; call it again
//   when the system announces a change of its settings.
// Windows headers are included by the .cpp files only.
#include <string>
#include <vector>

#include "platform/system.hpp"

namespace varnel {

class Win32System : public System {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::string ReadFile(const std::string& path) override;
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
  // Paths are native as they stand; only '/' (which a toolkit may hand back) becomes '\'.
  std::string ToNativePath(const std::string& path) override;
  std::string FromNativePath(const std::string& nativePath) override;

  ProcessHandle StartProcess(const std::string& program, const std::string& parameters,
                             std::string& error) override;
  bool ProcessEnded(ProcessHandle handle) override;
  // WaitForMultipleObjects on the processes (64 at most; with more, System's own looks).
  bool WaitForAnyProcess(const std::vector<ProcessHandle>& handles, int milliseconds) override;
  ProcessExit ProcessExitOf(ProcessHandle handle) override;
  void CloseProcess(ProcessHandle handle) override;
  void EndProcess(ProcessHandle handle) override;

  std::int64_t LockFolder(const std::string& folder, std::string& problem) override;
  std::uint64_t FreeBytes(const std::string& folder) override;
  void UnlockFolder(std::int64_t lock) override;

  std::string GetEnv(const std::string& name) override;
  std::string ExecutablePath() override;
  char LocaleDecimalSeparator() override;
  int CurrentYear() override;
  std::uint64_t MillisecondsSinceEpoch() override;
  std::uint64_t MonotonicMilliseconds() override;
};

}  // namespace varnel
