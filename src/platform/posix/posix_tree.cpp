// Deleting a folder tree and comparing folders, on the machine's own terms.
//
// A tree is deleted through open folder handles (openat, unlinkat): each child is taken by its
// stored name, an opaque byte string that is never turned back into a Windows-form path and
// mapped again. A name such as "..\..\out" is one entry of its folder here, never a way out.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "platform/listing.hpp"
#include "platform/posix/posix_internal.hpp"
#include "platform/posix/posix_system.hpp"

namespace varnel {

using namespace posix_detail;

namespace {

struct Handle {
  int fd = -1;
  explicit Handle(int descriptor) : fd(descriptor) {}
  ~Handle() {
    if (fd >= 0) close(fd);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

bool IsReadOnlyFile(const struct stat& st) {
  // Windows does not delete a read-only file; without write bits a file counts as one.
  return S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

class TreeDeleter {
 public:
  explicit TreeDeleter(dev_t device) : device_(device) {}

  // Deletes everything inside the open folder folderFd.
  void Empty(int folderFd, const struct stat& folder, int depth) {
    if (depth >= kMaxTreeDepth) return;
    const auto key = std::make_pair(folder.st_dev, folder.st_ino);
    if (!ancestors_.insert(key).second) return;  // a cycle: this folder is being emptied already
    for (const std::string& name : Names(folderFd)) {
      struct stat st;
      if (fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (S_ISDIR(st.st_mode)) {
        if (st.st_dev != device_) continue;  // another file system mounted here: not ours
        Handle child(openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat opened;
        // The entry may have been swapped between the look and the open: go on only when the
        // handle is the folder that was looked at.
        if (child.fd < 0 || fstat(child.fd, &opened) != 0 || opened.st_dev != st.st_dev ||
            opened.st_ino != st.st_ino)
          continue;
        Empty(child.fd, opened, depth + 1);
        unlinkat(folderFd, name.c_str(), AT_REMOVEDIR);  // fails, as it should, when not empty
      } else if (!IsReadOnlyFile(st)) {
        unlinkat(folderFd, name.c_str(), 0);  // a link is removed itself
      }
    }
    ancestors_.erase(key);
  }

 private:
  // The names in the folder, read completely before anything in it changes.
  std::vector<std::string> Names(int folderFd) {
    std::vector<std::string> names;
    int listFd = openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) return names;
    DIR* dir = fdopendir(listFd);
    if (!dir) {
      close(listFd);
      return names;
    }
    while (const dirent* entry = readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (++seen_ > kMaxTreeEntries) break;
      names.emplace_back(name);
    }
    closedir(dir);
    return names;
  }

  dev_t device_;
  std::size_t seen_ = 0;
  std::set<std::pair<dev_t, ino_t>> ancestors_;
};

// The native path with its existing part resolved by the file system (links, "." and "..")
// and the missing rest appended as given.
std::string Resolved(const std::string& native) {
  std::vector<std::string> parts = NativeComponents(native);
  std::vector<std::string> missing;
  while (true) {
    const std::string path = JoinNative(parts);
    if (char* real = realpath(path.c_str(), nullptr)) {
      std::vector<std::string> resolved = NativeComponents(real);
      std::free(real);
      for (auto it = missing.rbegin(); it != missing.rend(); ++it) resolved.push_back(*it);
      return JoinNative(resolved);
    }
    if (parts.empty()) return native;
    missing.push_back(parts.back());
    parts.pop_back();
  }
}

}  // namespace

void PosixSystem::DeleteTree(const std::string& folder) {
  const std::string native = Native(folder);
  NoteEntriesRemoved();
  std::vector<std::string> parts = NativeComponents(native);
  if (native.empty() || parts.empty()) return;  // no mapping, or the machine's root
  const std::string name = parts.back();
  parts.pop_back();
  Handle parent(open(JoinNative(parts).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (parent.fd < 0) return;
  struct stat st;
  if (fstatat(parent.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return;
  if (S_ISLNK(st.st_mode)) {
    unlinkat(parent.fd, name.c_str(), 0);  // a folder that is a link loses only the link
    return;
  }
  if (!S_ISDIR(st.st_mode)) return;
  Handle self(openat(parent.fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat opened;
  if (self.fd < 0 || fstat(self.fd, &opened) != 0 || opened.st_ino != st.st_ino) return;
  TreeDeleter(opened.st_dev).Empty(self.fd, opened, 0);
  unlinkat(parent.fd, name.c_str(), AT_REMOVEDIR);
}

bool PosixSystem::FolderWithin(const std::string& inner, const std::string& outer) {
  const std::string innerNative = Native(inner), outerNative = Native(outer);
  if (innerNative.empty() || outerNative.empty()) return false;
  const std::string a = Resolved(innerNative), b = Resolved(outerNative);
  // Letter case is compared loosely, as the Windows picture of the names is case-insensitive:
  // two spellings of a folder that does not exist yet name the same folder once it does.
  if (b == "/") return true;
  if (a.size() < b.size() || !EqualNoCase(std::string_view(a).substr(0, b.size()), b)) return false;
  return a.size() == b.size() || a[b.size()] == '/';
}

}  // namespace varnel
