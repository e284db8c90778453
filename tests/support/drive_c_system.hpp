#pragma once
// The Windows system half over a private drive c: for one test. Win32System takes every path as
// it stands, so the program's fixed tree (c:\4nec2\...) would be the machine's own; this class
// takes each path on c: below a folder of the test's own instead, and gives a path below that
// folder back on c:, the way the POSIX system maps c: onto its drive_c. Everything else is
// Win32System's own work. The folder must not lie on c: itself (under Wine it lies on z:).
#include <cctype>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/win32_system.hpp"

namespace varnel {

class DriveCSystem : public Win32System {
 public:
  explicit DriveCSystem(std::string driveC) : driveC_(std::move(driveC)) {}

  // "c:\x", "C:/x" and "c:x" lie below the folder; every other path stands as it is.
  std::string Native(const std::string& path) const {
    if (path.size() < 2 || std::tolower(static_cast<unsigned char>(path[0])) != 'c' || path[1] != ':')
      return path;
    const std::string rest = path.substr(2);
    return driveC_ + (rest.empty() || rest[0] == '\\' || rest[0] == '/' ? rest : "\\" + rest);
  }
  // A path below the folder on c:, every other path as it is.
  std::string OnDriveC(const std::string& native) const {
    if (native.size() < driveC_.size() || !SameLetters(native.substr(0, driveC_.size()), driveC_))
      return native;
    const std::string rest = native.substr(driveC_.size());
    if (rest.empty()) return "c:\\";
    return rest[0] == '\\' || rest[0] == '/' ? "c:" + rest : native;
  }

  bool FileExists(const std::string& path) override { return Win32System::FileExists(Native(path)); }
  bool FolderExists(const std::string& path) override { return Win32System::FolderExists(Native(path)); }
  std::string ReadFile(const std::string& path) override { return Win32System::ReadFile(Native(path)); }
  void WriteFile(const std::string& path, const std::string& bytes) override {
    Win32System::WriteFile(Native(path), bytes);
  }
  std::string WriteFileBeside(const std::string& target, const std::string& bytes) override {
    return OnDriveC(Win32System::WriteFileBeside(Native(target), bytes));
  }
  void RenameOver(const std::string& source, const std::string& target) override {
    Win32System::RenameOver(Native(source), Native(target));
  }
  bool RemoveFile(const std::string& path) override { return Win32System::RemoveFile(Native(path)); }
  std::vector<DirEntry> ListEntries(const std::string& pattern) override {
    return Win32System::ListEntries(Native(pattern));
  }
  // The drive's root is never deleted, here as on the machine's own c:.
  void DeleteTree(const std::string& folder) override {
    std::string native = Native(folder);
    while (!native.empty() && (native.back() == '\\' || native.back() == '/')) native.pop_back();
    if (!SameLetters(native, driveC_)) Win32System::DeleteTree(native);
  }
  bool FolderWithin(const std::string& inner, const std::string& outer) override {
    return Win32System::FolderWithin(Native(inner), Native(outer));
  }
  std::int64_t LockFolder(const std::string& folder, std::string& problem) override {
    return Win32System::LockFolder(Native(folder), problem);
  }
  std::uint64_t FreeBytes(const std::string& folder) override {
    return Win32System::FreeBytes(Native(folder));
  }
  bool RemoveFolder(const std::string& path) override { return Win32System::RemoveFolder(Native(path)); }
  bool CreateFolder(const std::string& path) override { return Win32System::CreateFolder(Native(path)); }
  std::string CurrentFolder() override { return OnDriveC(Win32System::CurrentFolder()); }
  bool SetCurrentFolder(const std::string& path) override {
    return Win32System::SetCurrentFolder(Native(path));
  }
  std::string ToNativePath(const std::string& path) override {
    return Win32System::ToNativePath(Native(path));
  }
  std::string FromNativePath(const std::string& nativePath) override {
    return OnDriveC(Win32System::FromNativePath(nativePath));
  }
  // The started program sees the machine's own c:, so the words of its parameter text that are
  // paths on c: are given to it below the folder.
  ProcessHandle StartProcess(const std::string& program, const std::string& parameters,
                             std::string& error) override {
    std::string mapped;
    std::size_t start = 0;
    while (start <= parameters.size()) {
      std::size_t end = parameters.find(' ', start);
      if (end == std::string::npos) end = parameters.size();
      mapped += (start ? " " : "") + Native(parameters.substr(start, end - start));
      start = end + 1;
    }
    return Win32System::StartProcess(Native(program), mapped, error);
  }

 private:
  static bool SameLetters(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
        return false;
    return true;
  }
  std::string driveC_;
};

}  // namespace varnel
