// Folder locks: an advisory lock (flock) on a file beside the folder, <parent>/<name>.varnel-lock.
// The kernel releases it when the holder's last handle closes, so also when the program is
// killed. The lock file's name is the folder's last component in lower case (every spelling of
// a folder takes one lock) in the real path of its parent (drive aliases and links of the
// parent lead to one file).
//
// Where the lock cannot be taken (no parent, a link, folder or FIFO in the lock file's place, a
// folder that cannot be written, a file system without locks) the caller is told why: a
// command never runs unlocked.
//
// The file is removed only by its holder, while it still holds the lock, and a program that
// gets the lock checks afterwards that the file it locked is still the one under the name: a
// program that opened the file just before the holder removed it then tries again on the new
// file instead of holding a lock on a removed one.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/posix/posix_internal.hpp"
#include "platform/posix/posix_system.hpp"

namespace varnel {

using namespace posix_detail;

namespace {

struct HeldLock {
  int fd = -1;
  std::string path;
};

std::mutex locksMutex;
std::map<std::int64_t, HeldLock> heldLocks;
std::int64_t lastLock = 0;

std::int64_t Keep(HeldLock lock) {
  std::lock_guard<std::mutex> guard(locksMutex);
  heldLocks.emplace(++lastLock, std::move(lock));
  return lastLock;
}

// The lock file's path for the native folder path, "" when the folder has no parent or the
// parent does not exist.
std::string LockFilePath(const std::string& nativeFolder) {
  std::vector<std::string> parts = NativeComponents(nativeFolder);
  if (nativeFolder.empty() || parts.empty()) return "";
  std::string name = parts.back();
  for (char& c : name) c = FoldLetter(c);
  parts.pop_back();
  char* parent = realpath(JoinNative(parts).c_str(), nullptr);
  if (!parent) return "";
  std::string path = parent;
  std::free(parent);
  return (path == "/" ? "" : path) + "/" + name + ".varnel-lock";
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::int64_t PosixSystem::LockFolder(const std::string& folder, std::string& problem) {
  problem.clear();
  const std::string path = LockFilePath(Native(folder));
  if (path.empty()) {
    problem = "its parent folder does not exist";
    return 0;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd =
        open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int error = errno;
      if (error == EINTR) continue;
      problem = "the lock file " + path +
                (error == ELOOP    ? std::string(" is a link")
                 : error == EISDIR ? std::string(" is a folder")
                                   : " cannot be made (" + std::string(std::strerror(error)) + ")");
      return 0;
    }
    struct stat opened, named;
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      close(fd);
      problem = "the lock file " + path + " is not a regular file";
      return 0;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      close(fd);
      if (error == EINTR) continue;
      if (error == EWOULDBLOCK) return 0;
      problem = "the file system of " + path + " has no locks (" + std::strerror(error) + ")";
      return 0;
    }
    if (stat(path.c_str(), &named) == 0 && SameFile(opened, named)) return Keep({fd, path});
    close(fd);  // its holder removed the file meanwhile: lock the one under the name now
  }
  problem = "the lock file " + path + " keeps being replaced";
  return 0;
}

void PosixSystem::UnlockFolder(std::int64_t lock) {
  HeldLock held;
  {
    std::lock_guard<std::mutex> guard(locksMutex);
    auto it = heldLocks.find(lock);
    if (it == heldLocks.end()) return;
    held = std::move(it->second);
    heldLocks.erase(it);
  }
  // Removed while still held, and only when the name still leads to the locked, empty file.
  struct stat opened, named;
  if (fstat(held.fd, &opened) == 0 && lstat(held.path.c_str(), &named) == 0 && SameFile(opened, named) &&
      S_ISREG(named.st_mode) && named.st_size == 0)
    unlink(held.path.c_str());
  close(held.fd);
}

}  // namespace varnel
