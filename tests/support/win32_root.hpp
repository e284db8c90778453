#pragma once
// A private temporary folder for one Windows test, given to a Win32System as a native path;
// removed with everything below it (read-only files and links too) when the test ends.
#include <string>

#include "platform/win32/win32_system.hpp"

#include <windows.h>
#undef near
#undef far

namespace varnel {

inline std::wstring WideOf(const std::string& text) {
  std::wstring wide;
  for (char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));  // ASCII paths only
  return wide;
}

// A fresh folder below the temporary folder, its tree removed at the end (read-only files too).
class Win32Root {
 public:
  Win32Root() : savedCurrent_(system.CurrentFolder()) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    for (int i = 0; dir.empty(); ++i) {
      std::string candidate;
      for (wchar_t c : std::wstring(temp)) candidate += static_cast<char>(c);
      candidate += "varnel-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(i);
      if (CreateDirectoryW(WideOf(candidate).c_str(), nullptr)) dir = candidate;
    }
  }
  ~Win32Root() {
    system.SetCurrentFolder(savedCurrent_);
    Clear(L"\\\\?\\" + WideOf(dir));
  }
  Win32Root(const Win32Root&) = delete;
  Win32Root& operator=(const Win32Root&) = delete;

  std::string Path(const std::string& relative) const { return dir + "\\" + relative; }
  // Writes a file below the root, its folders created.
  std::string Write(const std::string& relative, const std::string& bytes) {
    std::string path = Path(relative);
    for (std::size_t cut = path.find('\\', dir.size() + 1); cut != std::string::npos;
         cut = path.find('\\', cut + 1))
      system.CreateFolder(path.substr(0, cut));
    system.WriteFile(path, bytes);
    return path;
  }
  void Folder(const std::string& relative) {
    Write(relative + "\\x", ""), system.RemoveFile(Path(relative + "\\x"));
  }
  void ReadOnly(const std::string& relative) {
    SetFileAttributesW(WideOf(Path(relative)).c_str(), FILE_ATTRIBUTE_READONLY);
  }
  // False where links cannot be made (Wine answers TRUE and makes none).
  bool Link(const std::string& relative, const std::string& target, bool folder) {
    const std::wstring link = WideOf(Path(relative));
    if (!CreateSymbolicLinkW(link.c_str(), WideOf(target).c_str(), folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0))
      return false;
    const DWORD attributes = GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  }

  Win32System system;
  std::string dir;

 private:
  std::string savedCurrent_;
  static void Clear(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName, child = path + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
          if (!RemoveDirectoryW(child.c_str())) DeleteFileW(child.c_str());
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Clear(child);
        } else {
          DeleteFileW(child.c_str());
        }
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
  }
};

}  // namespace varnel
