// Files, the environment, the locale and the clock of the Windows system half.
#include "platform/win32/win32_system.hpp"

#include <algorithm>
#include <cstdint>

#include "platform/listing.hpp"

#include <windows.h>
#include <bcrypt.h>
#undef near
#undef far

#include "platform/win32/win32_internal.hpp"
#include "util/grow.hpp"

namespace varnel {

using namespace win32_detail;

namespace win32_detail {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, narrow.data(), length, "?", nullptr);
  return narrow;
}

namespace {

int ErrorCode(unsigned long code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
    case ERROR_CANT_RESOLVE_FILENAME:
      return 2;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return 5;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kDiskFullCode;
    default:
      return static_cast<int>(code);
  }
}

}  // namespace

InOutError SystemError(unsigned long code) { return MakeInOutError(ErrorCode(code)); }

InOutError SystemError(unsigned long code, const std::string& path) {
  return FileInOutError(ErrorCode(code), path);
}

std::string SystemMessage(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length && buffer ? std::wstring(buffer, length) : L"";
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) return "Error " + std::to_string(code);
  return Narrow(text);
}

std::wstring LongFullPath(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return {};
  const std::wstring wide = Wide(path);
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring full(size, L'\0');
  size = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (size == 0 || size >= full.size()) return {};
  full.resize(size);
  if (full.rfind(L"\\\\?\\", 0) == 0) return full;
  if (full.rfind(L"\\\\.\\", 0) == 0) return {};  // a device
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace win32_detail

namespace {

// Closes a handle when the operation ends, whichever way.
struct Handle {
  HANDLE h;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
};

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

DWORD Attributes(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return kNoAttributes;
  return GetFileAttributesW(Wide(path).c_str());
}

// Opens path for reading (a folder too, for a look at it) and tells whether it is a file on a
// disk: a device, a pipe or a console is not.
HANDLE OpenExisting(const std::string& path, DWORD access, DWORD flags) {
  if (path.empty() || path.find('\0') != std::string::npos) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, flags, nullptr);
}

bool IsDiskFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

InOutError TooLargeError(const std::string& path) {
  return InOutError("Die Datei " + path + " ist größer als 2 GB und wird nicht gelesen", 8);
}

void WriteAll(HANDLE file, const std::string& bytes, const std::string& path) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 24));
    DWORD put = 0;
    if (!::WriteFile(file, bytes.data() + written, chunk, &put, nullptr))
      throw SystemError(GetLastError(), path);
    written += put;
  }
}

// Sixteen letters and digits from the system's random source (about 82 bits).
std::string RandomSuffix() {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[16];
  if (BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
    throw MakeInOutError(5);
  std::string suffix;
  for (unsigned char b : bytes) suffix += kAlphabet[b % 36];
  return suffix;
}

}  // namespace

// ---- Files ------------------------------------------------------------------------------

bool Win32System::FileExists(const std::string& path) {
  Handle file(OpenExisting(path, 0, FILE_FLAG_BACKUP_SEMANTICS));
  return file.Valid() && IsDiskFile(file.h);
}

bool Win32System::FolderExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string Win32System::ReadFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY)) throw MakeInOutError(5);
  Handle file(OpenExisting(path, GENERIC_READ, FILE_ATTRIBUTE_NORMAL));
  if (!file.Valid()) throw SystemError(GetLastError(), path);
  if (!IsDiskFile(file.h)) throw MakeInOutError(2);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.h, &size)) throw SystemError(GetLastError(), path);
  if (static_cast<std::uint64_t>(size.QuadPart) > kMaxReadBytes) throw TooLargeError(path);
  // The size is a hint: a file may grow while it is read.
  std::string bytes;
  ResizeForOverwrite(bytes, static_cast<std::size_t>(size.QuadPart) + 1);
  std::size_t length = 0;
  while (true) {
    if (length == bytes.size()) {
      if (length > kMaxReadBytes) throw TooLargeError(path);
      ResizeForOverwrite(bytes, std::min<std::size_t>(bytes.size() * 2, kMaxReadBytes + 1));
    }
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - length, 1u << 24));
    DWORD got = 0;
    if (!::ReadFile(file.h, bytes.data() + length, chunk, &got, nullptr))
      throw SystemError(GetLastError(), path);
    if (got == 0) break;
    length += got;
  }
  bytes.resize(length);
  return bytes;
}

void Win32System::WriteFile(const std::string& path, const std::string& bytes) {
  if (path.empty() || path.find('\0') != std::string::npos) throw MakeInOutError(2);
  // Neither a folder nor a read-only file is written (checked here too, as the system lets an
  // administrator's program, and Wine any program run by root, write a read-only file).
  const DWORD attributes = Attributes(path);
  if (attributes != kNoAttributes && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    throw MakeInOutError(5);
  Handle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) throw SystemError(GetLastError(), path);
  if (GetFileType(file.h) != FILE_TYPE_DISK) throw MakeInOutError(5);
  WriteAll(file.h, bytes, path);
  if (!CloseHandle(file.h)) {  // a delayed write error shows here
    file.h = nullptr;
    throw SystemError(GetLastError(), path);
  }
  file.h = nullptr;
}

std::string Win32System::WriteFileBeside(const std::string& target, const std::string& bytes) {
  const std::size_t cut = target.find_last_of("\\/:");
  if (target.empty() || cut == std::string::npos || cut + 1 == target.size() ||
      target.find('\0') != std::string::npos)
    throw MakeInOutError(2);
  const DWORD attributes = Attributes(target);
  // As RenameOver: a read-only file is not replaced, so nothing is created for it either.
  if (attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_READONLY) &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    throw MakeInOutError(5);
  const std::string folder = target.substr(0, cut + 1);
  const std::string base = target.substr(cut + 1, 200);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = folder + base + ".varnel-" + RandomSuffix();
    // CREATE_NEW never opens what exists under the name, a link included.
    Handle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) {
      if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
      throw SystemError(GetLastError(), target);
    }
    try {
      WriteAll(file.h, bytes, target);
    } catch (...) {
      FILE_DISPOSITION_INFO dispose{TRUE};
      SetFileInformationByHandle(file.h, FileDispositionInfo, &dispose, sizeof dispose);
      throw;
    }
    if (!CloseHandle(file.h)) {
      const DWORD error = GetLastError();
      file.h = nullptr;
      DeleteFileW(Wide(path).c_str());
      throw SystemError(error, target);
    }
    file.h = nullptr;
    return path;
  }
  throw MakeInOutError(5);
}

void Win32System::RenameOver(const std::string& source, const std::string& target) {
  if (source.empty() || target.empty()) throw MakeInOutError(2);
  const DWORD attributes = Attributes(target);
  // Neither a folder nor a read-only file is replaced.
  if (attributes != kNoAttributes && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    throw MakeInOutError(5);
  if (!MoveFileExW(Wide(source).c_str(), Wide(target).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw SystemError(GetLastError(), target);
}

bool Win32System::RemoveFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == kNoAttributes) return false;
  const std::wstring wide = Wide(path);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    // A link to a folder (symbolic link or junction) is removed itself; a folder is not a file.
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && RemoveDirectoryW(wide.c_str());
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) return false;
  return DeleteFileW(wide.c_str()) != 0;
}

// ---- Folders ----------------------------------------------------------------------------

std::vector<DirEntry> Win32System::ListEntries(const std::string& pattern) {
  std::vector<DirEntry> entries;
  const std::size_t cut = pattern.find_last_of("\\/:");
  const std::string folder = cut == std::string::npos ? "" : pattern.substr(0, cut + 1);
  const std::string mask = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
  if (mask.empty() || pattern.find('\0') != std::string::npos) return entries;
  // Every entry, matched here: the system's own matching also matches the short 8.3 names and
  // treats "*.*" and "?" in its own ways.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(Wide(folder + "*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::wstring wideName = found.cFileName;
    if (wideName == L"." || wideName == L"..") continue;
    DirEntry entry;
    entry.name = Narrow(wideName);
    if (!MatchWildcard(mask, entry.name)) continue;
    // A link names another place: a symbolic link, a junction or a mounted volume (name
    // surrogates), or under Wine a Unix symbolic link, which it reports without a tag.
    entry.isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                   (found.dwReserved0 == 0 || IsReparseTagNameSurrogate(found.dwReserved0));
    entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (entry.isLink && entry.isFolder) {
      // A link reports what it points to; a broken link counts as a file.
      const DWORD target = GetFileAttributesW(Wide(folder + entry.name).c_str());
      entry.isFolder = target != kNoAttributes && (target & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    entries.push_back(std::move(entry));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  SortAsListed(entries);
  return entries;
}

bool Win32System::RemoveFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         RemoveDirectoryW(Wide(path).c_str());
}

bool Win32System::CreateFolder(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos &&
         CreateDirectoryW(Wide(path).c_str(), nullptr);
}

std::string Win32System::CurrentFolder() {
  DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(size, L'\0');
  size = GetCurrentDirectoryW(size, folder.data());
  folder.resize(size < folder.size() ? size : 0);
  return Narrow(folder);
}

bool Win32System::SetCurrentFolder(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos && SetCurrentDirectoryW(Wide(path).c_str());
}

std::string Win32System::ToNativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '/') c = '\\';
  }
  return native;
}

std::string Win32System::FromNativePath(const std::string& nativePath) { return ToNativePath(nativePath); }

// ---- Environment, locale, clock ---------------------------------------------------------

std::string Win32System::GetEnv(const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return "";
  const std::wstring wideName = Wide(name);
  const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) {
    if (name == "USERPROFILE") return GetEnv("HOMEDRIVE") + GetEnv("HOMEPATH");
    return "";
  }
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  value.resize(length < size ? length : 0);
  return Narrow(value);
}

std::string Win32System::ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) {
      path.resize(length);
      return Narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

char Win32System::LocaleDecimalSeparator() {
  wchar_t separator[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) == 0) return ',';
  const std::string narrow = Narrow(separator);
  return narrow.size() == 1 && narrow[0] != '?' ? narrow[0] : ',';
}

int Win32System::CurrentYear() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  return local.wYear;
}

std::uint64_t Win32System::MillisecondsSinceEpoch() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  constexpr std::uint64_t kEpochTicks = 116444736000000000ULL;  // 1601-01-01 to 1970-01-01, in 100 ns
  return (ticks - kEpochTicks) / 10000;
}

std::uint64_t Win32System::MonotonicMilliseconds() { return GetTickCount64(); }

std::uint64_t Win32System::FreeBytes(const std::string& folder) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(LongFullPath(folder).c_str(), &available, nullptr, nullptr)) return UINT64_MAX;
  return available.QuadPart;
}

}  // namespace varnel
