// A new file beside a target, for replacing the target in one step. The name is fresh and
// unpredictable and the file is created exclusively without following links, so a link or a
// file planted in the folder under any name is never written through.
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/posix_internal.hpp"
#include "platform/posix/posix_system.hpp"

namespace varnel {

using namespace posix_detail;

namespace {

// Sixteen letters and digits from the kernel's random source (about 82 bits). The bytes are
// drawn 4096 at a time and each is used once: a set of many files asks the kernel once per 256.
std::string RandomSuffix() {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  constexpr std::size_t kSuffix = 16, kDrawn = 4096;
  thread_local unsigned char bytes[kDrawn];
  thread_local std::size_t used = kDrawn;
  if (used + kSuffix > kDrawn) {
    std::size_t got = 0;
    while (got < kDrawn) {
      ssize_t n = getrandom(bytes + got, kDrawn - got, 0);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw ErrnoError(errno);
      }
      got += static_cast<std::size_t>(n);
    }
    used = 0;
  }
  std::string suffix;
  for (std::size_t i = 0; i < kSuffix; ++i) suffix += kAlphabet[bytes[used + i] % 36];
  used += kSuffix;
  return suffix;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t put = write(fd, bytes.data() + written, bytes.size() - written);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

std::string PosixSystem::WriteFileBeside(const std::string& target, const std::string& bytes) {
  const std::string native = Native(target);
  if (native.empty()) throw UnmappedPathError(roots_, target);
  return WindowsPath(roots_, WriteBesideNative(native, bytes, target));
}

namespace posix_detail {

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

namespace {

// The fresh file beside the entry leaf of a folder: folderFd with prefix "" for an open folder,
// AT_FDCWD with the folder's path (ending in '/') as prefix for a path. Returns the new file's
// prefix + name.
std::string WriteBesideIn(int folderFd, const std::string& prefix, const std::string& leaf,
                          const std::string& bytes, const std::string& target, mode_t mode,
                          bool leafMissing = false) {
  // Room for the suffix within the 255 bytes a name may hold.
  const std::string base = prefix + leaf.substr(0, 200);

  // The file is private while it is written; then it gets the target's mode, or for a new
  // target the mode a newly created file gets.
  struct stat st;
  if (!leafMissing && fstatat(folderFd, (prefix + leaf).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISREG(st.st_mode)) {
    // As RenameOver: a read-only file is not replaced, so nothing is created for it either.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) throw MakeInOutError(5);
    mode = st.st_mode & 07777;
  }

  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = base + ".varnel-" + RandomSuffix();
    int fd = openat(folderFd, path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST || errno == EINTR) continue;
      throw ErrnoError(errno, target);
    }
    bool ok = WriteAll(fd, bytes) && fchmod(fd, mode) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {  // a delayed write error shows here
      ok = false;
      error = errno;
    }
    if (!ok) {
      unlinkat(folderFd, path.c_str(), 0);
      throw ErrnoError(error, target);
    }
    return path;
  }
  throw MakeInOutError(5);
}

}  // namespace

std::string WriteBesideNative(const std::string& native, const std::string& bytes,
                              const std::string& target) {
  const std::size_t cut = native.rfind('/');
  if (cut == std::string::npos || cut + 1 == native.size()) throw MakeInOutError(2);
  return WriteBesideIn(AT_FDCWD, native.substr(0, cut + 1), native.substr(cut + 1), bytes, target,
                       NewFileMode());
}

std::string WriteBesideAt(int folderFd, const std::string& leaf, const std::string& bytes,
                          const std::string& target, mode_t newFileMode, bool leafMissing) {
  return WriteBesideIn(folderFd, "", leaf, bytes, target, newFileMode, leafMissing);
}

}  // namespace posix_detail

}  // namespace varnel
