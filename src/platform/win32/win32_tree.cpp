// Deleting a folder tree and comparing folders, on the machine's own terms.
//
// The tree is walked in the long path form ("\\?\c:\..."), in which every stored name is taken
// literally: a name such as "..\..\out" or "nul" is one entry of its folder, never a way out of
// it and never a device. A reparse point (symbolic link, junction, mounted volume) is removed
// itself and never entered. Each folder being emptied is held open without sharing the right to
// delete it, so neither it nor any folder above it can be renamed or swapped for a link while
// the walk is inside.
#include <string>
#include <vector>

#include "platform/listing.hpp"
#include "platform/win32/win32_system.hpp"

#include <windows.h>
#undef near
#undef far

#include "platform/win32/win32_internal.hpp"

namespace varnel {

using namespace win32_detail;

namespace {

struct Found {
  std::wstring name;
  DWORD attributes;
};

class TreeDeleter {
 public:
  // Deletes everything inside the folder at path (long form); true when path was a real folder
  // (not a reparse point) that could be held while it was emptied.
  bool Empty(const std::wstring& path, int depth) {
    if (depth >= kMaxTreeDepth) return true;
    HANDLE folder =
        CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool isFolder = GetFileInformationByHandle(folder, &info) &&
                          (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                          !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (isFolder) {
      for (const Found& entry : Entries(path)) {
        const std::wstring child = path + L"\\" + entry.name;
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
          RemoveLink(child, entry.attributes);
        } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
          if (Empty(child, depth + 1))
            RemoveDirectoryW(child.c_str());  // fails, as it should, when not empty
        } else if (!(entry.attributes & FILE_ATTRIBUTE_READONLY)) {
          DeleteFileW(child.c_str());
        }
      }
    }
    CloseHandle(folder);
    return isFolder;
  }

  static void RemoveLink(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
      RemoveDirectoryW(path.c_str());
    else
      DeleteFileW(path.c_str());
  }

 private:
  // The entries of the folder, read completely before anything in it changes.
  std::vector<Found> Entries(const std::wstring& path) {
    std::vector<Found> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (++seen_ > kMaxTreeEntries) break;
      entries.push_back({name, found.dwFileAttributes});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
  }

  std::size_t seen_ = 0;
};

// The folder with its existing part resolved by the file system (links, letter case, drive
// aliases) and the missing rest appended as given; empty when it cannot be expressed.
std::wstring Resolved(const std::string& path) {
  std::wstring full = LongFullPath(path);
  if (full.empty()) return full;
  while (full.size() > 1 && full.back() == L'\\') full.pop_back();
  std::wstring missing;
  std::wstring existing = full;
  while (true) {
    HANDLE handle = CreateFileW(existing.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      std::wstring final(32768, L'\0');
      const DWORD length = GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
      CloseHandle(handle);
      if (length > 0 && length < final.size()) {
        final.resize(length);
        while (!final.empty() && final.back() == L'\\') final.pop_back();
        return final + missing;
      }
    }
    const std::size_t cut = existing.find_last_of(L'\\');
    // Stop at the drive's root ("\\?\c:"): nothing of the path exists, compare it as written.
    if (cut == std::wstring::npos || cut <= 4) return full;
    missing = existing.substr(cut) + missing;
    existing.resize(cut);
  }
}

std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace

void Win32System::DeleteTree(const std::string& folder) {
  std::wstring path = LongFullPath(folder);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  // Nothing, or a drive's root ("\\?\c:"), is never deleted.
  if (path.size() <= 6) return;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    TreeDeleter::RemoveLink(path, attributes);  // a folder that is a link loses only the link
    return;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (TreeDeleter().Empty(path, 0)) RemoveDirectoryW(path.c_str());
}

std::string Win32System::FolderDeletionProblem(const std::string& folder) {
  std::wstring path = LongFullPath(folder);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  if (path.size() <= 6) return "";
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return "";
  // A junction is a link (DeleteTree removes only the link); a volume mounted on the folder is
  // a mount point, whose contents are another disk's.
  wchar_t volume[64];
  if (GetVolumeNameForVolumeMountPointW((path + L"\\").c_str(), volume, 64))
    return "the folder is a mount point";
  return "";
}

bool Win32System::FolderWithin(const std::string& inner, const std::string& outer) {
  const std::wstring a = Upper(Resolved(inner)), b = Upper(Resolved(outer));
  if (a.empty() || b.empty()) return false;
  if (a.size() < b.size() || a.compare(0, b.size(), b) != 0) return false;
  return a.size() == b.size() || a[b.size()] == L'\\' || b.back() == L'\\';
}

}  // namespace varnel
