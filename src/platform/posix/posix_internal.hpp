#pragma once
// Helpers shared by the files of the POSIX system.
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "util/errors.hpp"
#include "util/text.hpp"

namespace varnel {

struct PosixRoots;

namespace posix_detail {

// The run-time's input/output error for an errno value: missing file or folder gives
// "Datei nicht gefunden" (2), a refused access "Dateizugriff verweigert" (5), a full disk
// "E/A-Fehler 112", anything else "E/A-Fehler <errno>". With a path (the Windows-form path the
// core gave), every error but the first two names the file and a full disk says so
// (FileInOutError).
InOutError ErrnoError(int error);
InOutError ErrnoError(int error, const std::string& path);
// The error for a Windows-form path that maps onto no native place: its case collision
// (CaseCollision) with code 5 when it has one, else "Datei nicht gefunden".
InOutError UnmappedPathError(const PosixRoots& roots, const std::string& path);

// Splits a native path at '/' and resolves "." and ".." lexically.
std::vector<std::string> NativeComponents(const std::string& absolutePath);
std::string JoinNative(const std::vector<std::string>& components);
// Keep the case-insensitive name lookup of NativePath up to date with the program's own
// changes: a file or folder it has just created (native path), or anything it removed.
void NoteEntryCreated(const std::string& nativePath);
void NoteEntriesRemoved();
// Whether deleting a tree tells a bind mount by the mount ids the kernel gives (statx, Linux 5.8
// on). False does as on a kernel without them: by the mount points /proc lists (the tests run
// both ways).
extern bool kernelMountIds;
// A file renamed: within one folder its index follows (the source name leaves, the target name
// is there); across folders every index is dropped.
void NoteFileRenamed(const std::string& from, const std::string& to);
// NoteFileRenamed for two names of the folder open as folderFd.
void NoteFileRenamedIn(const std::string& folder, int folderFd, const std::string& fromName,
                       const std::string& toName);
// The name of folder's entry that name stands for: name itself when it exists or nothing
// matches, else the one entry equal to it but for letter case; "" when several are. With
// folderFd (the folder open) the folder is looked at through it, not by its path. With exists,
// also whether an entry was found.
std::string NativeNameIn(const std::string& folder, const std::string& name, int folderFd = -1,
                         bool* exists = nullptr);
// WriteFileBeside on native paths: the new file's native path. target names the file in errors.
std::string WriteBesideNative(const std::string& native, const std::string& bytes, const std::string& target);
// WriteFileBeside for the entry leaf of the folder open as folderFd: the new file's name in
// that folder. mode is what a newly created file gets (the umask applied); leafMissing: a look
// just made found no entry leaf, so none is looked for again.
std::string WriteBesideAt(int folderFd, const std::string& leaf, const std::string& bytes,
                          const std::string& target, mode_t newFileMode, bool leafMissing = false);
// The access mode a newly created file gets: 0666 without the process's umask.
mode_t NewFileMode();
// RenameOver on native paths, with target's name in errors.
void RenameOverNative(const std::string& from, const std::string& to, const std::string& target);
// The real current folder ("/" when it cannot be read).
std::string CurrentNativeFolder();
// The full path of an executable found in PATH, or "".
std::string FindInPath(const std::string& program);

}  // namespace posix_detail

}  // namespace varnel
