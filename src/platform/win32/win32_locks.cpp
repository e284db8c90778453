// Folder locks: the file <folder>.varnel-lock beside the folder, held open without sharing. A
// lock file this program creates is deleted when its handle closes, so the system removes it
// when the program ends however it ends; a file of that name that was there before is only
// held, never deleted.
#include <string>

#include "platform/win32/win32_system.hpp"

#include <windows.h>
#undef near
#undef far

#include "platform/win32/win32_internal.hpp"

namespace varnel {

using namespace win32_detail;

namespace {

HANDLE OpenLockFile(const std::wstring& path, DWORD disposition, DWORD flags) {
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                     FILE_ATTRIBUTE_HIDDEN | flags, nullptr);
}

}  // namespace

// Where the lock cannot be taken for another reason than another holder, problem says why: a
// command never runs unlocked.
std::int64_t Win32System::LockFolder(const std::string& folder, std::string& problem) {
  problem.clear();
  std::wstring path = LongFullPath(folder);
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  if (path.size() <= 6) {
    problem = "the folder is a drive's root";
    return 0;
  }
  path += L".varnel-lock";
  auto cannot = [&](DWORD error) {
    problem = "the lock file " + folder + ".varnel-lock cannot be made (system error " +
              std::to_string(error) + ")";
    return std::int64_t{0};
  };
  for (int attempt = 0; attempt < 20; ++attempt) {
    HANDLE file = OpenLockFile(path, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE);
    if (file != INVALID_HANDLE_VALUE) return reinterpret_cast<std::int64_t>(file);
    const DWORD created = GetLastError();
    if (created != ERROR_FILE_EXISTS && created != ERROR_ALREADY_EXISTS && created != ERROR_ACCESS_DENIED)
      return cannot(created);
    file = OpenLockFile(path, OPEN_EXISTING, 0);
    if (file != INVALID_HANDLE_VALUE) return reinterpret_cast<std::int64_t>(file);
    const DWORD opened = GetLastError();
    if (opened == ERROR_SHARING_VIOLATION) return 0;  // another program holds it
    if (opened == ERROR_FILE_NOT_FOUND) continue;     // its holder ended meanwhile
    if (opened == ERROR_ACCESS_DENIED && created == ERROR_ACCESS_DENIED) {
      // A file on its way out after its holder closed it, or a folder that cannot be written.
      Sleep(10);
      if (attempt < 19) continue;
    }
    return cannot(opened);
  }
  return cannot(ERROR_ACCESS_DENIED);
}

void Win32System::UnlockFolder(std::int64_t lock) {
  if (lock == 0) return;
  CloseHandle(reinterpret_cast<HANDLE>(lock));
}

}  // namespace varnel
