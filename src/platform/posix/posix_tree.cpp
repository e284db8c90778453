// Deleting a folder tree and comparing folders, on the machine's own terms.
//
// A tree is deleted through open folder handles (openat, unlinkat): each child is taken by its
// stored name, an opaque byte string that is never turned back into a Windows-form path and
// mapped again. A name such as "..\..\out" is one entry of its folder here, never a way out.
//
// The walk stays on the mount of the folder it was asked to delete. A bind mount puts a folder
// of the same disk somewhere else, with the same device number, so folders are told apart by
// their mount id (statx), and where the kernel gives none by the mount points the kernel lists
// for this process.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/listing.hpp"
#include "platform/posix/posix_internal.hpp"
#include "platform/posix/posix_system.hpp"

namespace varnel {

bool posix_detail::kernelMountIds = true;

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

// The mount id of an open handle; none where the kernel does not give it (before Linux 5.8).
std::optional<std::uint64_t> MountIdOf(int fd) {
#ifdef STATX_MNT_ID
  if (!posix_detail::kernelMountIds) return std::nullopt;
  struct statx sx;
  if (statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &sx) == 0 &&
      (sx.stx_mask & STATX_MNT_ID))
    return sx.stx_mnt_id;
#endif
  return std::nullopt;
}

// A mount point field of /proc/self/mountinfo with its octal escapes ("\040" for a blank) undone.
std::string Unescaped(const std::string& field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        text += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    text += field[i];
  }
  return text;
}

// Whether the folder of the handle is listed as a mount point of this process. Without a mount
// id this is how a bind mount on the same disk is seen.
bool IsListedMountPoint(int fd) {
  std::string path(4096, '\0');
  const ssize_t length = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path.data(), path.size());
  if (length <= 0) return false;
  path.resize(static_cast<std::size_t>(length));
  std::ifstream mounts("/proc/self/mountinfo");
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint;
    if (fields >> id >> parent >> device >> root >> mountPoint && Unescaped(mountPoint) == path) return true;
  }
  return false;
}

// True when the folder of the handle child lies on the same mount as the folder of reference.
// The device number tells another file system; the mount id (or, without one, whether child is
// a listed mount point, child being a folder inside reference's mount) tells a bind mount.
bool OnSameMount(int reference, const struct stat& referenceStat, int child, const struct stat& childStat) {
  if (referenceStat.st_dev != childStat.st_dev) return false;
  const std::optional<std::uint64_t> a = MountIdOf(reference), b = MountIdOf(child);
  if (a && b) return *a == *b;
  return !IsListedMountPoint(child);
}

class TreeDeleter {
 public:
  TreeDeleter(int targetFd, const struct stat& target) : targetFd_(targetFd), target_(target) {}

  // Deletes everything inside the open folder folderFd.
  void Empty(int folderFd, const struct stat& folder, int depth) {
    if (depth >= kMaxTreeDepth) return;
    const auto key = std::make_pair(folder.st_dev, folder.st_ino);
    if (!ancestors_.insert(key).second) return;  // a cycle: this folder is being emptied already
    for (const std::string& name : Names(folderFd)) {
      struct stat st;
      if (fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (S_ISDIR(st.st_mode)) {
        if (st.st_dev != target_.st_dev) continue;  // another file system mounted here: not ours
        Handle child(openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat opened;
        // The entry may have been swapped between the look and the open: go on only when the
        // handle is the folder that was looked at.
        if (child.fd < 0 || fstat(child.fd, &opened) != 0 || opened.st_dev != st.st_dev ||
            opened.st_ino != st.st_ino)
          continue;
        // A folder mounted here from elsewhere (a bind mount) is someone else's: not entered.
        if (!OnSameMount(targetFd_, target_, child.fd, opened)) continue;
        Empty(child.fd, opened, depth + 1);
        unlinkat(folderFd, name.c_str(), AT_REMOVEDIR);  // fails, as it should, when not empty
      } else if (!IsReadOnlyFile(st)) {
        unlinkat(folderFd, name.c_str(), 0);  // a link is removed itself; a mounted file is busy
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

  int targetFd_;
  struct stat target_;
  std::size_t seen_ = 0;
  std::set<std::pair<dev_t, ino_t>> ancestors_;
};

// The folder named by native, opened with its parent, as DeleteTree takes it: the last
// component by its stored name, never through a link.
struct OpenedTarget {
  Handle parent{-1};
  Handle self{-1};
  std::string name;
  struct stat parentStat {};
  struct stat entry {};   // the entry itself (a link is not followed)
  struct stat opened {};  // the folder, when self is open
};

// Opens the parent of native and looks at its last component; opens that as a folder when it
// is one. False when there is no parent (no mapping, or the machine's root) or no such entry.
bool OpenTarget(const std::string& native, OpenedTarget& target) {
  std::vector<std::string> parts = NativeComponents(native);
  if (native.empty() || parts.empty()) return false;
  target.name = parts.back();
  parts.pop_back();
  target.parent.fd = open(JoinNative(parts).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (target.parent.fd < 0 || fstat(target.parent.fd, &target.parentStat) != 0) return false;
  if (fstatat(target.parent.fd, target.name.c_str(), &target.entry, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISDIR(target.entry.st_mode)) return true;
  target.self.fd =
      openat(target.parent.fd, target.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (target.self.fd >= 0 &&
      (fstat(target.self.fd, &target.opened) != 0 || target.opened.st_ino != target.entry.st_ino)) {
    close(target.self.fd);
    target.self.fd = -1;
  }
  return true;
}

bool IsMountPoint(const OpenedTarget& target) {
  return target.self.fd >= 0 &&
         !OnSameMount(target.parent.fd, target.parentStat, target.self.fd, target.opened);
}

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
  OpenedTarget target;
  if (!OpenTarget(native, target)) return;
  if (S_ISLNK(target.entry.st_mode)) {
    unlinkat(target.parent.fd, target.name.c_str(), 0);  // a folder that is a link loses only the link
    return;
  }
  // A folder with something mounted on it is left whole: emptying it would empty what is mounted.
  if (target.self.fd < 0 || IsMountPoint(target)) return;
  TreeDeleter(target.self.fd, target.opened).Empty(target.self.fd, target.opened, 0);
  unlinkat(target.parent.fd, target.name.c_str(), AT_REMOVEDIR);
}

std::string PosixSystem::FolderDeletionProblem(const std::string& folder) {
  const std::string native = Native(folder);
  if (native.empty()) return CaseCollision(roots_, folder);
  OpenedTarget target;
  if (OpenTarget(native, target) && IsMountPoint(target)) return "the folder is a mount point";
  return "";
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
