// The file system, environment and clock of the POSIX system. Paths arrive in Windows form and
// are mapped with NativePath.
#include "platform/posix/posix_system.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/listing.hpp"
#include "platform/platform.hpp"
#include "platform/posix/posix_internal.hpp"
#include "util/grow.hpp"
#include "util/workers.hpp"

namespace varnel {

using namespace posix_detail;

PosixSystem::PosixSystem(PosixRoots roots) : roots_(std::move(roots)) {}

// ---- File system ----------------------------------------------------------------------

bool PosixSystem::FileExists(const std::string& path) {
  struct stat st;
  std::string native = Native(path);
  return !native.empty() && stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PosixSystem::FolderExists(const std::string& path) {
  struct stat st;
  std::string native = Native(path);
  return !native.empty() && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

// Closes the descriptor when the reading or writing ends, whichever way.
struct FileDescriptor {
  int fd;
  ~FileDescriptor() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

namespace {

InOutError TooLargeError(const std::string& path) {
  return InOutError("Die Datei " + path + " ist größer als 2 GB und wird nicht gelesen", 8);
}

// Room for size bytes in the string, on huge pages where the kernel has them: a file of
// megabytes is then zero-filled, read into and freed with a few page faults instead of one per
// 4 KiB page (reading a 12 MB file takes about a third less processor time).
void ReserveOnHugePages(std::string& bytes, std::size_t size) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;
  if (size < 2 * kHugePage) return;
  bytes.reserve(size);
#ifdef MADV_HUGEPAGE
  const auto begin = reinterpret_cast<std::uintptr_t>(bytes.data());
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);  // only advice
#endif
}

// Reads the file's bytes [from, to) into data at the same offsets; returns where it stopped
// (before to only at the file's end) and sets error to errno on a failure.
std::size_t ReadAt(int fd, char* data, std::size_t from, std::size_t to, int& error) {
  while (from < to) {
    const ssize_t got = pread(fd, data + from, to - from, static_cast<off_t>(from));
    if (got < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    if (got == 0) break;
    from += static_cast<std::size_t>(got);
  }
  return from;
}

// From this size on a file is read in two halves at once. The kernel's copy and the page
// faults of the fresh buffer are most of a read, and both go about twice as fast on two cores.
constexpr std::size_t kTwoHalvesBytes = std::size_t{8} << 20;

}  // namespace

namespace {

class PosixFileParts : public System::FileParts {
 public:
  PosixFileParts(int fd, std::uint64_t size, std::string path)
      : fd_(fd), size_(size), path_(std::move(path)) {}
  ~PosixFileParts() override { close(fd_); }
  std::uint64_t Size() const override { return size_; }
  std::string Read(std::uint64_t offset, std::size_t count) override {
    std::string bytes;
    ResizeForOverwrite(bytes, count);
    std::size_t length = 0;
    while (length < count) {
      const ssize_t got =
          pread(fd_, bytes.data() + length, count - length, static_cast<off_t>(offset + length));
      if (got < 0) {
        if (errno == EINTR) continue;
        throw ErrnoError(errno, path_);
      }
      if (got == 0) break;
      length += static_cast<std::size_t>(got);
    }
    bytes.resize(length);
    return bytes;
  }

 private:
  int fd_;
  std::uint64_t size_;
  std::string path_;
};

}  // namespace

std::unique_ptr<System::FileParts> PosixSystem::OpenFileParts(const std::string& path) {
  std::string native = Native(path);
  if (native.empty()) throw UnmappedPathError(roots_, path);
  // As ReadFile: without blocking on a FIFO, and only a regular file.
  FileDescriptor file{open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
  if (file.fd < 0) throw ErrnoError(errno, path);
  struct stat st;
  if (fstat(file.fd, &st) != 0) throw ErrnoError(errno, path);
  if (S_ISDIR(st.st_mode)) throw ErrnoError(EISDIR);
  if (!S_ISREG(st.st_mode)) throw MakeInOutError(2);
  auto parts = std::make_unique<PosixFileParts>(file.fd, static_cast<std::uint64_t>(st.st_size), path);
  file.fd = -1;
  return parts;
}

std::string PosixSystem::ReadFile(const std::string& path) {
  std::string native = Native(path);
  if (native.empty()) throw UnmappedPathError(roots_, path);
  // Only a regular file is read. Opened without blocking, so that a FIFO cannot stop the
  // program before the check refuses it; a device is refused before it is opened at all.
  struct stat st;
  if (stat(native.c_str(), &st) != 0) throw ErrnoError(errno, path);
  if (S_ISDIR(st.st_mode)) throw ErrnoError(EISDIR);
  if (!S_ISREG(st.st_mode)) throw MakeInOutError(2);
  FileDescriptor file{open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
  if (file.fd < 0) throw ErrnoError(errno, path);
  if (fstat(file.fd, &st) != 0) throw ErrnoError(errno, path);
  if (S_ISDIR(st.st_mode)) throw ErrnoError(EISDIR);
  if (!S_ISREG(st.st_mode)) throw MakeInOutError(2);
  if (static_cast<std::uint64_t>(st.st_size) > kMaxReadBytes) throw TooLargeError(path);

  std::string bytes;
  // The size is a hint: a file may grow while it is read.
  std::size_t capacity = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 65536;
  std::size_t length = 0;
  ReserveOnHugePages(bytes, capacity);
  ResizeForOverwrite(bytes, capacity);
  int error = 0;
  if (capacity - 1 >= kTwoHalvesBytes) {
    const std::size_t half = (capacity - 1) / 2;
    int secondError = 0;
    std::size_t secondEnd = half;
    RunAtOnce({[&] { length = ReadAt(file.fd, bytes.data(), 0, half, error); },
               [&] { secondEnd = ReadAt(file.fd, bytes.data(), half, capacity - 1, secondError); }});
    if (error == 0) error = secondError;
    if (length == half) length = secondEnd;  // else the file shrank: the rest is read on below
  }
  // Up to the end, also of a file that grew while it was read.
  while (error == 0) {
    if (length == bytes.size()) {
      if (length > kMaxReadBytes) throw TooLargeError(path);
      ResizeForOverwrite(bytes, std::min<std::size_t>(bytes.size() * 2, kMaxReadBytes + 1));
    }
    const std::size_t end = ReadAt(file.fd, bytes.data(), length, bytes.size(), error);
    if (end == length) break;
    length = end;
  }
  if (error != 0) throw ErrnoError(error, path);
  bytes.resize(length);
  return bytes;
}

void PosixSystem::WriteFile(const std::string& path, const std::string& bytes) {
  std::string native = Native(path);
  if (native.empty()) throw UnmappedPathError(roots_, path);
  FileDescriptor file{open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)};
  if (file.fd < 0) throw ErrnoError(errno, path);
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t put = write(file.fd, bytes.data() + written, bytes.size() - written);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw ErrnoError(errno, path);
    }
    written += static_cast<std::size_t>(put);
  }
  int fd = file.fd;
  file.fd = -1;
  NoteEntryCreated(native);
  if (close(fd) != 0) throw ErrnoError(errno, path);  // a delayed write error shows here
}

void PosixSystem::RenameOver(const std::string& source, const std::string& target) {
  std::string from = Native(source);
  std::string to = Native(target);
  if (from.empty()) throw UnmappedPathError(roots_, source);
  if (to.empty()) throw UnmappedPathError(roots_, target);
  RenameOverNative(from, to, target);
}

namespace posix_detail {

namespace {

// Windows replaces neither a folder nor a read-only file: refused before anything moves. to is
// a name in folderFd (or a path with AT_FDCWD).
void RefuseReplacing(int folderFd, const std::string& to) {
  struct stat st;
  if (fstatat(folderFd, to.c_str(), &st, 0) != 0) return;
  if (S_ISDIR(st.st_mode)) throw MakeInOutError(5);
  if (S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) throw MakeInOutError(5);
}

}  // namespace

void RenameOverNative(const std::string& from, const std::string& to, const std::string& target) {
  RefuseReplacing(AT_FDCWD, to);
  // A folder moved changes the paths below it: every index goes.
  struct stat source;
  const bool file = lstat(from.c_str(), &source) == 0 && !S_ISDIR(source.st_mode);
  if (!file) NoteEntriesRemoved();
  if (rename(from.c_str(), to.c_str()) != 0) throw ErrnoError(errno, target);
  if (file) NoteFileRenamed(from, to);
}

}  // namespace posix_detail

namespace {

// The folder mapped once and kept open: each name is matched in it as NativePath matches a last
// component (letter case aside where no exact name exists), and every look, write and rename
// goes through the open folder, so no file walks the folder's path again.
class PosixFolderFiles : public System::FolderFiles {
 public:
  PosixFolderFiles(PosixSystem& system, std::string folder, std::string native, int folderFd)
      : system_(system), folder_(std::move(folder)), native_(std::move(native)), fd_(folderFd) {}
  ~PosixFolderFiles() override { close(fd_); }
  void WriteReplacing(const std::string& name, const std::string& bytes) override {
    const std::string target = folder_ + name;
    bool exists = false;
    const std::string leaf = IsPlainName(name) ? NativeNameIn(native_, name, fd_, &exists) : std::string();
    // A name that is no single component, or that clashes, takes the whole path's way.
    if (leaf.empty()) return WriteThroughFileBeside(system_, target, bytes);
    const std::string temporary = WriteBesideAt(fd_, leaf, bytes, target, mode_, !exists);
    try {
      // Where no entry has the name (a new set), the rename that replaces nothing needs no look
      // first; otherwise the entry is checked before it is replaced.
      if (renameat2(fd_, temporary.c_str(), fd_, leaf.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EEXIST && errno != EINVAL && errno != ENOSYS) throw ErrnoError(errno, target);
        RefuseReplacing(fd_, leaf);
        if (renameat(fd_, temporary.c_str(), fd_, leaf.c_str()) != 0) throw ErrnoError(errno, target);
      }
    } catch (...) {
      unlinkat(fd_, temporary.c_str(), 0);
      throw;
    }
    NoteFileRenamedIn(native_, fd_, temporary, leaf);
  }

 private:
  static bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/") == std::string::npos;
  }
  PosixSystem& system_;
  std::string folder_, native_;
  int fd_;
  mode_t mode_ = NewFileMode();
};

}  // namespace

std::unique_ptr<System::FolderFiles> PosixSystem::OpenFolderFiles(const std::string& folder) {
  std::string native = Native(folder);
  const int fd = native.empty() ? -1 : open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return System::OpenFolderFiles(folder);  // each file then fails as its path does
  if (native.back() != '/') native += '/';
  return std::make_unique<PosixFolderFiles>(*this, folder, std::move(native), fd);
}

std::vector<DirEntry> PosixSystem::ListEntries(const std::string& pattern) {
  std::vector<DirEntry> entries;
  std::size_t cut = pattern.find_last_of("\\/");
  std::string folder, mask;
  if (cut != std::string::npos) {
    folder = pattern.substr(0, cut + 1);
    mask = pattern.substr(cut + 1);
  } else if (pattern.size() >= 2 && pattern[1] == ':') {
    folder = pattern.substr(0, 2);  // "c:*.out": the drive's root
    mask = pattern.substr(2);
  } else {
    mask = pattern;
  }
  std::string nativeFolder = folder.empty() ? CurrentNativeFolder() : Native(folder);
  if (nativeFolder.empty() || mask.empty()) return entries;
  DIR* dir = opendir(nativeFolder.c_str());
  if (!dir) return entries;
  const std::string prefix = nativeFolder == "/" ? "/" : nativeFolder + "/";
  while (const dirent* entry = readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !MatchWildcard(mask, name)) continue;
    DirEntry item;
    item.name = std::string(name);
    std::string full = prefix + item.name;
    struct stat st;
    if (lstat(full.c_str(), &st) == 0) {
      item.isLink = S_ISLNK(st.st_mode);
      // A link reports what it points to; a broken link counts as a file.
      struct stat target;
      item.isFolder =
          item.isLink ? (stat(full.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) : S_ISDIR(st.st_mode);
    }
    entries.push_back(std::move(item));
  }
  closedir(dir);
  // The order of a Linux folder is that of a hash; the users' file system lists by name.
  SortAsListed(entries);
  return entries;
}

bool PosixSystem::RemoveFile(const std::string& path) {
  std::string native = Native(path);
  if (native.empty()) return false;
  struct stat st;
  if (lstat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  // A file without any write permission is what Windows calls read-only, and Windows does not
  // delete read-only files. Unlinking would work here (it depends on the folder), so refuse
  // explicitly; this also holds for root, who ignores permission bits.
  if (S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  NoteEntriesRemoved();
  return unlink(native.c_str()) == 0;
}

bool PosixSystem::RemoveFolder(const std::string& path) {
  std::string native = Native(path);
  NoteEntriesRemoved();
  return !native.empty() && rmdir(native.c_str()) == 0;
}

bool PosixSystem::CreateFolder(const std::string& path) {
  std::string native = Native(path);
  if (native.empty() || mkdir(native.c_str(), 0777) != 0) return false;
  NoteEntryCreated(native);
  return true;
}

std::string PosixSystem::CurrentFolder() { return WindowsPath(roots_, CurrentNativeFolder()); }

bool PosixSystem::SetCurrentFolder(const std::string& path) {
  std::string native = Native(path);
  return !native.empty() && chdir(native.c_str()) == 0;
}

std::string PosixSystem::GetEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value) return value;
  if (name == "USERPROFILE") return UserProfileWithDesktop();
  return "";
}

// The profile folder when USERPROFILE is unset. One in the drive picture gets its Desktop folder
// (and the folders above it) made when missing, as Wine makes them, so that the desktop the
// program names is there; a desktop folder spelled in another letter case counts as there.
std::string PosixSystem::UserProfileWithDesktop() {
  const std::string profile = WindowsPath(roots_, roots_.home);
  if (profile.rfind("c:\\", 0) != 0) return profile;
  const std::string desktop = profile + "\\Desktop";
  for (std::size_t cut = desktop.find('\\', 3);; cut = desktop.find('\\', cut + 1)) {
    const std::string level = desktop.substr(0, cut);
    if (!FolderExists(level)) CreateFolder(level);
    if (cut == std::string::npos) break;
  }
  return profile;
}

std::string PosixSystem::ExecutablePath() {
  std::string buffer(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0) return "";
  buffer.resize(static_cast<std::size_t>(length));
  return WindowsPath(roots_, buffer);
}

std::uint64_t PosixSystem::FreeBytes(const std::string& folder) {
  const std::string native = Native(folder);
  struct statvfs stats {};
  if (native.empty() || statvfs(native.c_str(), &stats) != 0) return UINT64_MAX;
  return static_cast<std::uint64_t>(stats.f_bavail) * stats.f_frsize;
}

// ---- Time ---------------------------------------------------------------------------------

int PosixSystem::CurrentYear() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

std::uint64_t PosixSystem::MillisecondsSinceEpoch() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

std::uint64_t PosixSystem::MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
}

}  // namespace varnel
