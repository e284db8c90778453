#pragma once
// The machine half of the seam: files, folders, processes, the environment, the locale and the
// clock. The core receives a System& wherever it needs only the machine; a binding is a pair of
// a System and a UserInterface (platform.hpp), composed and never derived from each other.
// Implementations: posix/ (Linux, Wine-style drive picture) and win32/ (Windows, native paths).
//
// Paths: every path that crosses this seam is a Windows-form text as the core builds and
// prints it ("c:\4nec2\b_out\x.out", "z:\tmp\a", or a relative "x.out"). The POSIX system maps
// it onto the machine (drive c: = $WINEPREFIX/drive_c, z: = /, components matched without case
// when no exact match exists); the Windows system uses it as it stands. Every path handed back
// is in that form. Texts are the program's 8-bit texts (the ANSI code page on Windows).
//
// Threads: ReadFile and OpenFileParts (each FileParts on one thread) may be called from several
// threads at once; everything else from one thread at a time.
//
// Failures: the file operations that say so throw InOutError (util/errors.hpp) with the
// run-time's message ("Datei nicht gefunden", "Dateizugriff verweigert", "E/A-Fehler %d").
//
// No member is named like a macro of the Windows headers (DeleteFile, ReplaceFile, MoveFile,
// CreateDirectory, GetCurrentDirectory, ...), so the Windows binding can include them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "util/errors.hpp"

namespace varnel {

// One entry of a folder listing.
struct DirEntry {
  std::string name;  // bare name, no folder part
  bool isFolder = false;
  bool isLink = false;  // a symbolic link or junction (never followed when deleting)
};

// A started program; the handle is the system's own number, 0 meaning none.
struct ProcessHandle {
  std::int64_t id = 0;
  explicit operator bool() const { return id != 0; }
};

// How a started program ended, as far as the system can tell.
struct ProcessExit {
  enum class How {
    Unknown,   // still running, never started, or a system that cannot tell
    Exited,    // it ended by itself with the exit status `code`
    Signalled  // a signal ended it (POSIX): `code` is the signal's number
  };
  How how = How::Unknown;
  std::int64_t code = 0;
  bool Failed() const { return how == How::Signalled || (how == How::Exited && code != 0); }
};

class System {
 public:
  virtual ~System() = default;

  // ---- Files ---------------------------------------------------------------------------
  // A regular file (also through a link); a folder, a FIFO, a device or a socket is not.
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // The whole file as bytes. Only a regular file is read: anything else gives "Datei nicht
  // gefunden", a file larger than kMaxReadBytes a short message naming it. Throws InOutError.
  static constexpr std::uint64_t kMaxReadBytes = 2ULL << 30;  // 2 GiB
  virtual std::string ReadFile(const std::string& path) = 0;
  // Parts of one file, for a reader that needs only some of a large file's bytes: opened once,
  // as ReadFile opens it (a regular file only, the same failures), read where asked.
  class FileParts {
   public:
    virtual ~FileParts() = default;
    // The file's size when it was opened.
    virtual std::uint64_t Size() const = 0;
    // Up to count bytes from offset on (fewer at the file's end). Throws InOutError.
    virtual std::string Read(std::uint64_t offset, std::size_t count) = 0;
  };
  // By default the whole file is read at once and its parts are cut from it.
  virtual std::unique_ptr<FileParts> OpenFileParts(const std::string& path);
  // Creates or truncates the file and writes the bytes exactly. Throws InOutError.
  virtual void WriteFile(const std::string& path, const std::string& bytes) = 0;
  // Files written one after the other into one folder, for a writer of thousands of files:
  // the folder's path is mapped and checked once, not for every file.
  class FolderFiles {
   public:
    virtual ~FolderFiles() = default;
    // Writes bytes to the file name (one component) of the folder in one step, as
    // WriteFileBeside and RenameOver do for folder + name, with the same failures.
    virtual void WriteReplacing(const std::string& name, const std::string& bytes) = 0;
  };
  // folder ends in a separator. By default each file goes through WriteFileBeside and
  // RenameOver with its whole path.
  virtual std::unique_ptr<FolderFiles> OpenFolderFiles(const std::string& folder);
  // Creates a new file under a fresh unpredictable name in the folder of target, exclusively
  // (never an existing file, never through a link), writes the bytes to it and returns its path.
  // The file gets the access mode of target when target is a regular file. A read-only target is
  // refused before anything is created. Throws InOutError.
  virtual std::string WriteFileBeside(const std::string& target, const std::string& bytes) = 0;
  // Puts source in the place of target (same folder) in one step. Throws InOutError.
  virtual void RenameOver(const std::string& source, const std::string& target) = 0;
  // A file or a link itself; true on success, never throws.
  virtual bool RemoveFile(const std::string& path) = 0;

  // ---- Folders -------------------------------------------------------------------------
  // The entries of the folder part of pattern whose names match its last component
  // ('*' and '?' wildcards, case-insensitive), in the order the users' file system lists
  // them: by the names in upper case, compared byte by byte. "." and ".." are never listed.
  // A missing folder gives an empty list.
  virtual std::vector<DirEntry> ListEntries(const std::string& pattern) = 0;
  // Deletes the folder and everything below it, depth first, and never anything else: each
  // entry is taken by its stored name; a link is removed and never followed (a folder that is
  // itself a link loses only the link); no other mount is entered (a bind mount of a folder of
  // the same disk neither), and a folder that is itself a mount point is left whole; a
  // read-only file stays, and so do the folders above it. Depth and entry count are bounded, so
  // it always ends. Reports nothing: callers test FolderExists afterwards.
  virtual void DeleteTree(const std::string& folder) = 0;
  // "" when DeleteTree may empty the folder and it may be created anew; otherwise a short
  // English reason, asked before anything is deleted: "the folder is a mount point" (another
  // file system, a bind mount or a mounted volume lies there: emptying it would empty what is
  // mounted), or the path cannot be mapped without guessing between names that differ only in
  // letter case (that collision, see the POSIX system). A missing folder gives "".
  virtual std::string FolderDeletionProblem(const std::string& folder) = 0;
  // True when the folder inner is the folder outer or lies inside it, once ".", "..", letter
  // case, drive aliases and links of both have been resolved. Neither needs to exist.
  virtual bool FolderWithin(const std::string& inner, const std::string& outer) = 0;
  // Each returns true on success and never throws.
  virtual bool RemoveFolder(const std::string& path) = 0;  // an empty folder
  virtual bool CreateFolder(const std::string& path) = 0;  // one level; false if it exists
  virtual std::string CurrentFolder() = 0;
  virtual bool SetCurrentFolder(const std::string& path) = 0;
  // The path in the machine's own form, as its file functions and a toolkit's dialogs take it
  // (the POSIX system maps the drives; the Windows system gives the path as it stands), empty
  // when it names no place. FromNativePath takes such a path (as a toolkit's dialog returns
  // it) back into the form of this seam.
  virtual std::string ToNativePath(const std::string& path) = 0;
  virtual std::string FromNativePath(const std::string& nativePath) = 0;

  // ---- Processes -----------------------------------------------------------------------
  // Starts a program with one parameter text without waiting. On failure returns an empty
  // handle and sets error to the system's text. The program ends with this program, however
  // this one ends (a crash, a kill, an out-of-memory end included), unless its handle was closed
  // while it ran.
  virtual ProcessHandle StartProcess(const std::string& program, const std::string& parameters,
                                     std::string& error) = 0;
  // As StartProcess, for a program that nothing waits for (Single Conversion): it runs on when
  // this program ends. By default StartProcess itself, for a system whose programs run on
  // anyway once their handles are closed.
  virtual ProcessHandle StartIndependentProcess(const std::string& program, const std::string& parameters,
                                                std::string& error) {
    return StartProcess(program, parameters, error);
  }
  // True once the process has ended (or the handle is unknown).
  virtual bool ProcessEnded(ProcessHandle handle) = 0;
  // Returns once one of the processes has ended (at once when one has ended already, or when
  // the list is empty or holds an unknown handle) or when the milliseconds have passed,
  // whichever comes first: the waiter learns of an end when it happens, not at its next look.
  // Nothing is reaped or released; ProcessEnded then says which. False, at once, from a system
  // that cannot be told of an end (by default): the caller then pauses itself and looks again.
  virtual bool WaitForAnyProcess(const std::vector<ProcessHandle>& handles, int milliseconds);
  // How the process ended, once ProcessEnded has said so and until CloseProcess releases the
  // handle; Unknown before, after, and for a handle EndProcess ended. A system that cannot tell
  // says Unknown, and a caller then judges the run by what it wrote.
  virtual ProcessExit ProcessExitOf(ProcessHandle handle) {
    (void)handle;
    return {};
  }
  // Releases the handle (after the process has ended, or to stop waiting for it).
  virtual void CloseProcess(ProcessHandle handle) = 0;
  // Ends the process and everything it started, waits until it has gone and releases the
  // handle. Nothing happens for an ended or unknown handle.
  virtual void EndProcess(ProcessHandle handle) = 0;

  // ---- Locks ---------------------------------------------------------------------------
  // The lock of a folder that a command recreates or converts into, so that two programs never
  // work on one folder at once: a number for UnlockFolder, or 0 when another program holds the
  // lock. Held until UnlockFolder or the program's end, however it ends (the system releases
  // it when the program is killed). The folder need not exist; every spelling of one folder
  // (letter case, '/' or '\', drive aliases) takes the same lock. A second lock on a folder
  // held by this program is refused as well: two commands of one window do not share a folder.
  // The lock is a file beside the folder, <parent>\<name>.varnel-lock (the name in lower case
  // on the POSIX system), that lives while the lock is held. A lock is never given without its
  // file: where it cannot be taken for another reason than another holder (the parent is
  // missing or cannot be written, a link, folder or FIFO stands at the lock file's path, the
  // file system has no locks), the result is 0 as well and problem says why ("the lock file
  // ... is a link"); problem stays empty when another program holds the lock. A system without
  // locks gives every caller a lock.
  virtual std::int64_t LockFolder(const std::string& folder, std::string& problem) {
    (void)folder;
    (void)problem;
    return 1;
  }
  virtual void UnlockFolder(std::int64_t lock) { (void)lock; }

  // The bytes this user may still write on the file system of the folder; the largest number
  // where it cannot be told (a system that cannot say, a path that names no place).
  virtual std::uint64_t FreeBytes(const std::string& folder) {
    (void)folder;
    return UINT64_MAX;
  }

  // ---- Environment, locale, clock ------------------------------------------------------
  // An environment variable as the core sees it (USERPROFILE, when unset, reads as the user's
  // profile folder: on Linux the drive picture's c:\users\<name>, its Desktop made when
  // missing); empty when unset.
  virtual std::string GetEnv(const std::string& name) = 0;
  // The program's own executable path.
  virtual std::string ExecutablePath() = 0;
  // The decimal separator of the user's locale settings (',' where they name none).
  virtual char LocaleDecimalSeparator() = 0;
  // Local date and time.
  virtual int CurrentYear() = 0;
  virtual std::uint64_t MillisecondsSinceEpoch() = 0;
  // Milliseconds since some fixed moment, never going back (the wall clock may be set back or
  // forward): the measure of how long something has run.
  virtual std::uint64_t MonotonicMilliseconds() = 0;
};

}  // namespace varnel
