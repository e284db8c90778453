// The Wine-style picture of the machine: drive letters, case-insensitive names, and the
// helpers that the other files of the POSIX system share.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <locale>
#include <mutex>
#include <unordered_map>
#include <stdexcept>

#include "platform/posix/posix_internal.hpp"
#include "platform/posix/posix_system.hpp"

namespace varnel {

namespace posix_detail {

namespace {

int ErrnoCode(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return 2;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
      return 5;
    case ENOSPC:
    case EDQUOT:
      return kDiskFullCode;
    default:
      return error;
  }
}

}  // namespace

InOutError ErrnoError(int error) { return MakeInOutError(ErrnoCode(error)); }

InOutError ErrnoError(int error, const std::string& path) { return FileInOutError(ErrnoCode(error), path); }

InOutError UnmappedPathError(const PosixRoots& roots, const std::string& path) {
  const std::string collision = CaseCollision(roots, path);
  return collision.empty() ? MakeInOutError(2) : InOutError(collision, 5);
}

std::vector<std::string> NativeComponents(const std::string& absolutePath) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= absolutePath.size()) {
    std::size_t j = absolutePath.find('/', i);
    if (j == std::string::npos) j = absolutePath.size();
    std::string part = absolutePath.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    i = j + 1;
  }
  return parts;
}

std::string JoinNative(const std::vector<std::string>& components) {
  if (components.empty()) return "/";
  std::string path;
  for (const std::string& part : components) path += "/" + part;
  return path;
}

std::string CurrentNativeFolder() {
  std::string buffer(4096, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return buffer;
}

std::string FindInPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t i = 0;
  while (i <= folders.size()) {
    std::size_t j = folders.find(':', i);
    if (j == std::string::npos) j = folders.size();
    std::string folder = folders.substr(i, j - i);
    if (folder.empty()) folder = ".";
    std::string candidate = folder + "/" + program;
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    i = j + 1;
  }
  return "";
}

}  // namespace posix_detail

using namespace posix_detail;

namespace {

// The name of the user's folder in the drive picture: USER, else the account's name, else
// "user" (a name that is no single folder name is not taken).
std::string UserFolderName() {
  const auto usable = [](const char* name) {
    const std::string text = name ? name : "";
    return !text.empty() && text != "." && text != ".." && text.find('/') == std::string::npos &&
           text.find('\\') == std::string::npos;
  };
  const char* user = std::getenv("USER");
  if (usable(user)) return user;
  if (const passwd* entry = getpwuid(getuid()); entry && usable(entry->pw_name)) return entry->pw_name;
  return "user";
}

}  // namespace

PosixRoots PosixRoots::FromEnvironment() {
  PosixRoots roots;
  std::string linuxHome;
  const char* home = std::getenv("HOME");
  if (home && *home) {
    linuxHome = home;
  } else if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
    linuxHome = entry->pw_dir;
  } else {
    linuxHome = "/";
  }
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix && *prefix) {
    roots.driveC = std::string(prefix) + "/drive_c";
  } else {
    roots.driveC = linuxHome + "/.wine/drive_c";
  }
  // As Wine has it: the user's profile folder is c:\users\<name>.
  roots.home = roots.driveC + "/users/" + UserFolderName();
  return roots;
}

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// What tells whether a folder changed since it was indexed: its identity, its change and
// modification times (nanoseconds) and its size.
struct FolderStamp {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{}, changed{};
  off_t size = 0;
  bool operator==(const FolderStamp& o) const {
    return device == o.device && inode == o.inode && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
           changed.tv_nsec == o.changed.tv_nsec && size == o.size;
  }
};

// The folder's stamp, through folderFd when the folder is open (no path to walk), else by path.
bool StampOf(const std::string& folder, FolderStamp& stamp, int folderFd = -1) {
  struct stat st;
  if ((folderFd >= 0 ? fstat(folderFd, &st) : stat(folder.c_str(), &st)) != 0 || !S_ISDIR(st.st_mode))
    return false;
  stamp = FolderStamp{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim, st.st_size};
  return true;
}

std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = FoldLetter(c);
  return folded;
}

// The names of a folder by their case-folded form, so that a name missing in its exact form is
// looked up without reading the whole folder again: writing thousands of new decks into one
// folder stays linear. An index is trusted while the folder's stamp is the one it was built
// (or last updated) with; the program's own creates update it in place, any other change
// makes it be read anew.
struct FolderIndex {
  FolderStamp stamp;
  std::unordered_map<std::string, std::string> byFolded;  // folded name -> first name listed
  // The folded names that two or more entries share (a Linux disk holds "Set" beside "SET"),
  // with every such entry: a path that spells none of them exactly ("set") names none of them.
  std::unordered_map<std::string, std::vector<std::string>> collisions;

  void Add(const std::string& name) {
    const std::string folded = Folded(name);
    const auto [it, added] = byFolded.emplace(folded, name);
    if (added || it->second == name) return;
    std::vector<std::string>& names = collisions[folded];
    if (names.empty()) names.push_back(it->second);
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
};

std::mutex indexMutex;
std::unordered_map<std::string, FolderIndex> folderIndexes;
constexpr std::size_t kMaxIndexedFolders = 64;

// Builds the index of folder; false when it cannot be read. Called with indexMutex held.
FolderIndex* BuildIndex(const std::string& folder, const FolderStamp& stamp) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return nullptr;
  if (folderIndexes.size() >= kMaxIndexedFolders) folderIndexes.clear();
  FolderIndex& index = folderIndexes[folder];
  index.stamp = stamp;  // taken before the read: a change during it shows at the next look
  index.byFolded.clear();
  index.collisions.clear();
  while (const dirent* entry = readdir(dir)) index.Add(entry->d_name);
  closedir(dir);
  return &index;
}

void SplitNative(const std::string& nativePath, std::string& folder, std::string& name) {
  const std::size_t cut = nativePath.rfind('/');
  folder = cut == 0 ? "/" : nativePath.substr(0, cut);
  name = nativePath.substr(cut + 1);
}

// The name in folder that matches name exactly, else the one that matches without case, else
// name itself (the component does not exist). When no name matches exactly and several match
// without case, none is guessed: they are put in clash (sorted) and name is returned. With
// folderFd (the folder open) the folder is looked at through it.
std::string MatchComponent(const std::string& folder, const std::string& name, bool& exists,
                           std::vector<std::string>& clash, int folderFd = -1) {
  struct stat st;
  if (folderFd >= 0 ? fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                    : lstat(((folder == "/" ? "" : folder) + "/" + name).c_str(), &st) == 0) {
    exists = true;
    return name;
  }
  exists = false;
  FolderStamp stamp;
  if (!StampOf(folder, stamp, folderFd)) return name;
  std::lock_guard<std::mutex> lock(indexMutex);
  auto it = folderIndexes.find(folder);
  FolderIndex* index =
      (it != folderIndexes.end() && it->second.stamp == stamp) ? &it->second : BuildIndex(folder, stamp);
  if (!index) return name;
  const std::string folded = Folded(name);
  if (auto collision = index->collisions.find(folded); collision != index->collisions.end()) {
    clash = collision->second;
    std::sort(clash.begin(), clash.end());
    return name;
  }
  auto found = index->byFolded.find(folded);
  if (found == index->byFolded.end()) return name;
  exists = true;
  return found->second;
}

// The key of a folder's index: its native path without a trailing '/' ("/" for the root).
std::string FolderKey(const std::string& folder) {
  return folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
}

// Within one folder: the index follows a rename from fromName to toName.
void NoteRenamedIn(const std::string& fromFolder, const std::string& fromName, const std::string& toName,
                   int folderFd = -1) {
  std::lock_guard<std::mutex> lock(indexMutex);
  auto it = folderIndexes.find(fromFolder);
  if (it == folderIndexes.end()) return;
  FolderIndex& index = it->second;
  FolderStamp stamp;
  const std::string folded = Folded(fromName);
  if (!StampOf(fromFolder, stamp, folderFd) || index.collisions.count(folded) != 0) {
    folderIndexes.erase(it);
    return;
  }
  if (auto entry = index.byFolded.find(folded); entry != index.byFolded.end() && entry->second == fromName)
    index.byFolded.erase(entry);
  index.stamp = stamp;
  index.Add(toName);
}

}  // namespace

namespace posix_detail {

std::string NativeNameIn(const std::string& folder, const std::string& name, int folderFd, bool* exists) {
  bool found = false;
  std::vector<std::string> clash;
  const std::string matched = MatchComponent(FolderKey(folder), name, found, clash, folderFd);
  if (exists != nullptr) *exists = found;
  return clash.empty() ? matched : std::string();
}

void NoteEntryCreated(const std::string& nativePath) {
  if (nativePath.empty() || nativePath.find('/') == std::string::npos) return;
  std::string folder, name;
  SplitNative(nativePath, folder, name);
  std::lock_guard<std::mutex> lock(indexMutex);
  auto it = folderIndexes.find(folder);
  if (it == folderIndexes.end()) return;
  FolderStamp stamp;
  if (!StampOf(folder, stamp)) {
    folderIndexes.erase(it);
    return;
  }
  it->second.stamp = stamp;
  it->second.Add(name);
}

void NoteEntriesRemoved() {
  std::lock_guard<std::mutex> lock(indexMutex);
  folderIndexes.clear();
}

void NoteFileRenamed(const std::string& from, const std::string& to) {
  std::string fromFolder, fromName, toFolder, toName;
  SplitNative(from, fromFolder, fromName);
  SplitNative(to, toFolder, toName);
  if (fromFolder != toFolder) return NoteEntriesRemoved();
  NoteRenamedIn(fromFolder, fromName, toName);
}

void NoteFileRenamedIn(const std::string& folder, int folderFd, const std::string& fromName,
                       const std::string& toName) {
  NoteRenamedIn(FolderKey(folder), fromName, toName, folderFd);
}

}  // namespace posix_detail

namespace {

// NativePath, and in collision (when given) the reason a path is not mapped because a component
// would have to be guessed among names that differ only in letter case.
std::string MapPath(const PosixRoots& roots, const std::string& windowsPath, std::string* collision) {
  if (windowsPath.empty()) return "";
  std::string base;
  std::size_t rest = 0;
  if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
    char drive = FoldLetter(windowsPath[0]);
    if (drive == 'c') {
      base = roots.driveC;
    } else if (drive == 'z') {
      base = "/";
    } else {
      return "";
    }
    rest = 2;
  } else if (IsSeparator(windowsPath[0])) {
    // Rooted without a drive: the root of the current folder's drive.
    std::string current = WindowsPath(roots, CurrentNativeFolder());
    base = (current.size() >= 2 && FoldLetter(current[0]) == 'c') ? roots.driveC : "/";
  } else {
    base = CurrentNativeFolder();
  }

  std::vector<std::string> parts = NativeComponents(base);
  // A path given from a drive root never climbs above that root.
  const std::size_t rootDepth = (rest == 2 || IsSeparator(windowsPath[0])) ? parts.size() : 0;
  struct Component {
    std::string name;
    std::size_t end;  // where it ends in windowsPath
  };
  std::vector<Component> components;
  bool climbs = false;
  for (std::size_t i = rest; i < windowsPath.size();) {
    std::size_t j = i;
    while (j < windowsPath.size() && !IsSeparator(windowsPath[j])) ++j;
    std::string part = windowsPath.substr(i, j - i);
    i = j + 1;
    if (part.empty() || part == ".") continue;
    climbs = climbs || part == "..";
    components.push_back({std::move(part), j});
  }
  if (!climbs) {
    // A path that exists as written (the common case) is answered by one look-up: each of its
    // components exists under the name given.
    std::vector<std::string> written = parts;
    for (const Component& c : components) written.push_back(c.name);
    std::string path = JoinNative(written);
    struct stat st;
    if (lstat(path.c_str(), &st) == 0) return path;
  }
  bool matching = true;  // below a missing component nothing can exist
  for (Component& c : components) {
    if (c.name == "..") {
      // Never climb above the root of the drive.
      if (parts.size() > rootDepth) parts.pop_back();
      matching = true;
      continue;
    }
    std::string part = std::move(c.name);
    if (matching) {
      bool exists = false;
      std::vector<std::string> clash;
      part = MatchComponent(JoinNative(parts), part, exists, clash);
      if (!clash.empty()) {
        if (collision) {
          *collision = windowsPath.substr(0, c.end) + ": two names differ only in letter case (";
          for (std::size_t k = 0; k < clash.size(); ++k) *collision += (k ? ", " : "") + clash[k];
          *collision += ")";
        }
        return "";
      }
      matching = exists;
    }
    parts.push_back(std::move(part));
  }
  return JoinNative(parts);
}

}  // namespace

std::string NativePath(const PosixRoots& roots, const std::string& windowsPath) {
  return MapPath(roots, windowsPath, nullptr);
}

std::string CaseCollision(const PosixRoots& roots, const std::string& windowsPath) {
  std::string collision;
  MapPath(roots, windowsPath, &collision);
  return collision;
}

namespace {

bool StartsWith(const std::vector<std::string>& path, const std::vector<std::string>& prefix) {
  if (prefix.size() > path.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (path[i] != prefix[i]) return false;
  }
  return true;
}

std::string JoinWindows(const std::string& drive, const std::vector<std::string>& parts, std::size_t from) {
  std::string path = drive + "\\";
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (i > from) path += '\\';
    path += parts[i];
  }
  return path;
}

}  // namespace

std::string WindowsPath(const PosixRoots& roots, const std::string& nativePath) {
  if (nativePath.empty()) return "";
  std::string absolute = nativePath[0] == '/' ? nativePath : CurrentNativeFolder() + "/" + nativePath;
  std::vector<std::string> parts = NativeComponents(absolute);
  if (!roots.driveC.empty()) {
    std::vector<std::string> drive = NativeComponents(roots.driveC);
    if (StartsWith(parts, drive)) return JoinWindows("c:", parts, drive.size());
    // The drive folder may be reached through a link (a temporary folder, a moved prefix):
    // compare with its real path as well.
    if (char* real = realpath(roots.driveC.c_str(), nullptr)) {
      std::vector<std::string> realDrive = NativeComponents(real);
      std::free(real);
      if (StartsWith(parts, realDrive)) return JoinWindows("c:", parts, realDrive.size());
    }
  }
  return JoinWindows("z:", parts, 0);
}

char DecimalSeparatorFromLocale() {
  const char* name = nullptr;
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) {
      name = value;
      break;
    }
  }
  if (!name) return ',';
  std::string locale = name;
  if (locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0 || locale.rfind("POSIX.", 0) == 0) {
    return ',';
  }
  try {
    std::locale named(locale);
    return std::use_facet<std::numpunct<char>>(named).decimal_point();
  } catch (const std::runtime_error&) {
    return ',';  // not a locale of this machine
  }
}

}  // namespace varnel
