#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "platform/posix/posix_system.hpp"
#include "support/inout_error.hpp"
#include "support/test_root.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace fs = std::filesystem;

namespace {

// The names of the entries, sorted, a folder's followed by '/' and a link's by '@'.
std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name + (e.isFolder ? "/" : "") + (e.isLink ? "@" : ""));
  std::sort(names.begin(), names.end());
  return names;
}

// A private drive c: with the POSIX system over it (p) under a scripted interface.
struct PosixFiles : ::testing::Test, ScriptedFixture {
  PosixSystem& p = system;
};
using PosixLocks = PosixFiles;

}  // namespace

TEST_F(PosixFiles, ReadAndWriteKeepEveryByte) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  p.WriteFile("c:\\all.bin", bytes);
  EXPECT_EQ(bytes, p.ReadFile("C:\\ALL.BIN"));
  p.WriteFile("c:\\all.bin", "");
  EXPECT_EQ("", p.ReadFile("c:\\all.bin"));
  // Files that report no size are read to their end.
  EXPECT_NE(std::string::npos, p.ReadFile("z:\\proc\\self\\status").find("Pid:"));
  // Large files are read in two halves at once, of every length around their middle.
  for (std::size_t size : {std::size_t{8} << 20, (std::size_t{8} << 20) + 1, (std::size_t{9} << 20) + 7}) {
    std::string large(size, '\0');
    for (std::size_t i = 0; i < size; ++i) large[i] = static_cast<char>((i * 7919) >> 3);
    p.WriteFile("c:\\large.bin", large);
    EXPECT_TRUE(p.ReadFile("c:\\large.bin") == large) << size;
  }
}

TEST_F(PosixFiles, FailuresCarryTheRunTimesMessagesAccessDeniedToo) {
  fs::create_directories(root.driveC / "folder");
  EXPECT_EQ("2 Datei nicht gefunden", ErrorOf([&] { p.ReadFile("c:\\none.out"); }));
  EXPECT_EQ("2 Datei nicht gefunden", ErrorOf([&] { p.ReadFile("q:\\none.out"); }));
  EXPECT_EQ("2 Datei nicht gefunden", ErrorOf([&] { p.WriteFile("c:\\no\\folder\\x.nec", "x"); }));
  EXPECT_EQ("5 Dateizugriff verweigert", ErrorOf([&] { p.ReadFile("c:\\folder"); }));
  EXPECT_EQ("5 Dateizugriff verweigert", ErrorOf([&] { p.WriteFile("c:\\folder", "x"); }));
  // A full disk is an input/output error with its own code, naming the file and the cause.
  EXPECT_EQ("112 E/A-Fehler 112 (disk full): z:\\dev\\full",
            ErrorOf([&] { p.WriteFile("z:\\dev\\full", "x"); }));
  // A file without permissions is denied.
  const AccessModesHold modes;
  if (!modes.held) GTEST_SKIP() << "the file's access modes cannot be made to hold";
  fs::path file = root.Write("drive_c/locked.out", "x");
  fs::permissions(file, fs::perms::none);
  EXPECT_EQ("5 Dateizugriff verweigert", ErrorOf([&] { p.ReadFile("c:\\locked.out"); }));
  EXPECT_EQ("5 Dateizugriff verweigert", ErrorOf([&] { p.WriteFile("c:\\locked.out", "y"); }));
}

TEST_F(PosixFiles, RenameOverSwapsInTheNewContent) {
  root.Write("drive_c/t.txt", "old");
  root.Write("drive_c/t.new", "new");
  p.RenameOver("c:\\t.new", "c:\\T.TXT");
  EXPECT_EQ("new", TestRoot::Read(root.driveC / "t.txt"));
  EXPECT_FALSE(fs::exists(root.driveC / "t.new"));
  EXPECT_EQ("2 Datei nicht gefunden", ErrorOf([&] { p.RenameOver("c:\\gone.new", "c:\\t.txt"); }));

  // The files of one folder, mapped once: a name matches as a path's last component would, a
  // read-only file is not replaced, a name of several components takes the whole path's way.
  root.Write("drive_c/D/old.NEC", "old");
  root.Write("drive_c/D/sub/x.nec", "x");
  root.Write("drive_c/D/ro.nec", "ro");
  fs::permissions(root.driveC / "D/ro.nec", fs::perms::owner_read);
  const auto files = p.OpenFolderFiles("c:\\d\\");
  files->WriteReplacing("new.nec", "new");
  files->WriteReplacing("OLD.nec", "replaced");
  files->WriteReplacing("SUB\\x.nec", "deeper");
  EXPECT_EQ("5 Dateizugriff verweigert", ErrorOf([&] { files->WriteReplacing("RO.NEC", "no"); }));
  EXPECT_EQ((std::vector<std::string>{"new.nec", "old.NEC", "ro.nec", "sub/"}),
            Names(p.ListEntries("c:\\d\\*")));
  EXPECT_EQ("new", TestRoot::Read(root.driveC / "D/new.nec"));
  EXPECT_EQ("replaced", TestRoot::Read(root.driveC / "D/old.NEC"));
  EXPECT_EQ("deeper", TestRoot::Read(root.driveC / "D/sub/x.nec"));
  // A folder is never replaced; a replaced file keeps its mode, a new one gets a new file's; a
  // name made by another program after the folder was opened is still matched without case.
  EXPECT_EQ("5 Dateizugriff verweigert", ErrorOf([&] { files->WriteReplacing("Sub", "no"); }));
  fs::permissions(root.driveC / "D/old.NEC",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  files->WriteReplacing("old.nec", "again");
  EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
            fs::status(root.driveC / "D/old.NEC").permissions());
  EXPECT_EQ(fs::status(root.driveC / "D/sub/x.nec").permissions(),
            fs::status(root.driveC / "D/new.nec").permissions());
  root.Write("drive_c/D/Late.nec", "late");
  files->WriteReplacing("LATE.NEC", "later");
  EXPECT_EQ("later", TestRoot::Read(root.driveC / "D/Late.nec"));
  EXPECT_EQ(5u, Names(p.ListEntries("c:\\d\\*")).size());  // and no file left beside
}

TEST_F(PosixFiles, ListEntriesMatchesWildcardsWithoutCaseAndMarksLinks) {
  for (const char* name : {"a.out", "B.OUT", "ab.out", "a.outx", "a.nec", "noext", ".hidden.out"})
    root.Write(std::string("drive_c/d/") + name, "");
  fs::create_directories(root.driveC / "d/sub.out");
  fs::create_directories(root.driveC / "l/real");
  fs::create_directory_symlink(root.driveC / "l/real", root.driveC / "l/tofolder");
  fs::create_symlink(root.dir / "nowhere", root.driveC / "l/broken");
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"c:\\d\\*.out", {".hidden.out", "B.OUT", "a.out", "ab.out", "sub.out/"}},
      {"c:\\D\\?.OUT", {"B.OUT", "a.out"}},
      {"c:\\d\\a*", {"a.nec", "a.out", "a.outx", "ab.out"}},
      {"c:\\d\\*.*", {".hidden.out", "B.OUT", "a.nec", "a.out", "a.outx", "ab.out", "noext", "sub.out/"}},
      {"c:\\d\\noext.*", {"noext"}},
      {"c:\\d\\*x", {"a.outx"}},
      {"c:/d/b.out", {"B.OUT"}},
      {"c:\\missing\\*.out", {}},
      {"c:\\l\\*", {"broken@", "real/", "tofolder/@"}},  // links marked
  };
  for (const auto& [pattern, names] : cases) EXPECT_EQ(names, Names(p.ListEntries(pattern))) << pattern;
}

TEST_F(PosixFiles, ListEntriesComeInTheOrderOfTheUpperCaseNames) {
  for (const char* name : {"b.out", "e_000.out", "A.out", "c.out", "EA.out", "a.out", "E_001.out", "\xe4.out",
                           "E`.out", "Ez.out", "E[.out"})
    root.Write(std::string("drive_c/d/") + name, "");
  std::vector<std::string> listed;
  for (const DirEntry& e : p.ListEntries("c:\\d\\*.out")) listed.push_back(e.name);
  // 'z' sorts as 'Z', before '[', '_' and '`'.
  EXPECT_EQ((std::vector<std::string>{"A.out", "a.out", "b.out", "c.out", "EA.out", "Ez.out", "E[.out",
                                      "e_000.out", "E_001.out", "E`.out", "\xe4.out"}),
            listed);
}

TEST_F(PosixFiles, ExistenceTellsFilesFromFoldersAndOnlyRegularFilesAreReadTheirSizeBounded) {
  root.Write("drive_c/4nec2/out/dipol.out", "x");
  EXPECT_TRUE(p.FileExists("c:\\4nec2\\out\\dipol.out"));
  EXPECT_TRUE(p.FileExists("C:\\4NEC2\\OUT\\DIPOL.OUT"));
  EXPECT_FALSE(p.FileExists("c:\\4nec2\\out"));
  EXPECT_TRUE(p.FolderExists("c:\\4nec2\\out"));
  EXPECT_TRUE(p.FolderExists("c:\\4nec2\\out\\"));
  EXPECT_FALSE(p.FolderExists("c:\\4nec2\\out\\dipol.out"));
  EXPECT_FALSE(p.FileExists("q:\\4nec2\\out\\dipol.out"));
  EXPECT_FALSE(p.FileExists(""));
  fs::create_directories(root.driveC / "d");
  ASSERT_EQ(0, mkfifo((root.driveC / "d/fifo.out").c_str(), 0600));
  fs::create_symlink("/dev/zero", root.driveC / "d/zero.out");
  fs::create_symlink("/dev/null", root.driveC / "d/null.out");
  for (const char* name : {"c:\\d\\fifo.out", "c:\\d\\zero.out", "c:\\d\\null.out", "z:\\dev\\zero"}) {
    EXPECT_FALSE(p.FileExists(name)) << name;
    EXPECT_EQ("2 Datei nicht gefunden", ErrorOf([&] { p.ReadFile(name); })) << name;
  }
  // A sparse file larger than the limit is refused by its size, before anything is allocated.
  fs::path huge = root.Write("drive_c/d/huge.out", "");
  fs::resize_file(huge, System::kMaxReadBytes + 1);
  EXPECT_TRUE(p.FileExists("c:\\d\\huge.out"));
  EXPECT_EQ("8 Die Datei c:\\d\\huge.out ist größer als 2 GB und wird nicht gelesen",
            ErrorOf([&] { p.ReadFile("c:\\d\\huge.out"); }));
}

TEST_F(PosixFiles, DeleteTreeEndsOnEveryTreeAndStaysInside) {
  fs::path outside = root.Write("keep/precious.txt", "keep");
  // A chain deeper than anything the users' file system can hold, a link back to an ancestor
  // and names that read as paths.
  fs::path deep = root.driveC / "t";
  for (int i = 0; i < 300; ++i) deep /= "d";
  fs::create_directories(deep);
  fs::create_directory_symlink(root.driveC / "t", root.driveC / "t/d/up");
  fs::create_directory_symlink(root.dir, root.driveC / "t/d/root");
  root.Write("drive_c/t/..\\..\\keep\\precious.txt", "hostile");
  p.DeleteTree("c:\\t\\");
  EXPECT_EQ("keep", TestRoot::Read(outside));
  EXPECT_TRUE(fs::exists(root.driveC / "t/d"));  // the part below the depth bound stays
  EXPECT_FALSE(fs::exists(fs::symlink_status(root.driveC / "t/d/up")));
  EXPECT_FALSE(fs::exists(root.driveC / "t/..\\..\\keep\\precious.txt"));
}

TEST_F(PosixFiles, FolderWithinResolvesDotsCaseAliasesAndLinks) {
  fs::create_directories(root.driveC / "4nec2/b_in/sub");
  fs::create_directory_symlink(root.driveC / "4nec2", root.driveC / "4nec2/b_in/tree");
  const std::string z = "z:" + root.driveC.string();
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"c:\\4nec2\\b_in", "c:\\4nec2\\b_in\\", true},
      {"c:\\4nec2\\b_in\\sub", "C:\\4NEC2\\B_IN", true},
      {"c:\\4nec2\\b_in", "c:\\4nec2\\b_in\\sub\\..\\.", true},
      {"c:\\4nec2\\b_in", z + "/4nec2/B_in", true},
      {"c:\\4nec2\\exe", "c:\\4nec2\\b_in\\tree", true},
      {"c:\\4nec2\\EXE\\new", "c:\\4nec2\\exe", true},  // neither exists yet
      {"c:\\4nec2\\b_in_x", "c:\\4nec2\\b_in", false},
      {"c:\\4nec2", "c:\\4nec2\\b_in", false},
      {"c:\\4nec2\\b_in", "q:\\4nec2", false},
  };
  for (const auto& [inner, outer, within] : cases)
    EXPECT_EQ(within, p.FolderWithin(inner, outer)) << inner << " in " << outer;
}

TEST_F(PosixFiles, DeleteRemoveCreateReportWithoutThrowing) {
  fs::path file = root.Write("drive_c/d/f.txt", "x");
  fs::path locked = root.Write("drive_c/d/locked.txt", "x");
  fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  fs::create_symlink(file, root.driveC / "link.txt");

  EXPECT_FALSE(p.RemoveFile("c:\\d\\locked.txt"));  // read-only, as on Windows
  EXPECT_TRUE(fs::exists(locked));
  EXPECT_FALSE(p.RemoveFile("c:\\d"));        // a folder is not a file
  EXPECT_TRUE(p.RemoveFile("c:\\LINK.TXT"));  // the link itself
  EXPECT_TRUE(fs::exists(file));
  EXPECT_FALSE(p.RemoveFolder("c:\\d"));  // not empty
  EXPECT_TRUE(p.RemoveFile("c:\\d\\F.TXT"));
  EXPECT_FALSE(p.RemoveFile("c:\\d\\f.txt"));
  EXPECT_FALSE(p.CreateFolder("c:\\d"));
  EXPECT_TRUE(p.CreateFolder("c:\\d\\New"));
  EXPECT_TRUE(p.RemoveFolder("c:\\D\\new\\"));
  EXPECT_FALSE(p.CreateFolder("q:\\x"));
}

TEST_F(PosixFiles, NamesThatDifferOnlyInLetterCaseAreNeverGuessed) {
  root.Write("drive_c/b_out/Set/x.out", "Set");
  root.Write("drive_c/b_out/SET/x.out", "SET");
  root.Write("drive_c/b_out/E_/x.out", "E_");
  root.Write("drive_c/b_out/e_/x.out", "e_");
  root.Write("drive_c/d/only.TXT", "only");
  const std::string setClash = "c:\\b_out\\set: two names differ only in letter case (SET, Set)";
  // The path, its collision and, when it maps, the content.
  const std::tuple<std::string, std::string, std::string> cases[]{
      {"c:\\b_out\\E_\\x.out", "", "E_"},  // an exact match is taken as it stands
      {"c:\\b_out\\e_\\X.OUT", "", "e_"},
      {"c:\\B_OUT\\Set\\x.out", "", "Set"},
      {"c:\\b_out\\SET\\x.out", "", "SET"},
      {"c:\\d\\ONLY.txt", "", "only"},  // one match without case
      {"c:\\b_out\\set\\x.out", setClash, ""},
      {"c:\\b_out\\sEt\\new\\deeper.out", "c:\\b_out\\sEt: two names differ only in letter case (SET, Set)",
       ""},
  };
  for (const auto& [path, collision, content] : cases) {
    SCOPED_TRACE(path);
    EXPECT_EQ(collision, CaseCollision(root.Roots(), path));
    if (collision.empty()) {
      EXPECT_EQ(content, p.ReadFile(path));
      continue;
    }
    EXPECT_EQ("", p.ToNativePath(path));
    EXPECT_FALSE(p.FileExists(path));
    EXPECT_EQ("5 " + collision, ErrorOf([&] { p.ReadFile(path); }));
    EXPECT_EQ("5 " + collision, ErrorOf([&] { p.WriteFile(path, "written"); }));
    EXPECT_EQ("5 " + collision, ErrorOf([&] { p.WriteFileBeside(path, "written"); }));
  }
  // Deleting, creating and listing through the collision touch neither folder.
  EXPECT_EQ(setClash, p.FolderDeletionProblem("c:\\b_out\\set\\"));
  p.DeleteTree("c:\\b_out\\set\\");
  EXPECT_FALSE(p.CreateFolder("c:\\b_out\\set\\new"));
  EXPECT_FALSE(p.RemoveFile("c:\\b_out\\set\\x.out"));
  EXPECT_TRUE(p.ListEntries("c:\\b_out\\set\\*").empty());
  EXPECT_EQ("Set", TestRoot::Read(root.driveC / "b_out/Set/x.out"));
  EXPECT_EQ("SET", TestRoot::Read(root.driveC / "b_out/SET/x.out"));
  EXPECT_EQ((std::vector<std::string>{"x.out"}), Names(p.ListEntries("c:\\b_out\\Set\\*")));
  // A second spelling made by another program after the folder was looked at is seen.
  root.Write("drive_c/d/ONLY.TXT", "other");
  EXPECT_EQ("c:\\d\\Only.txt: two names differ only in letter case (ONLY.TXT, only.TXT)",
            CaseCollision(root.Roots(), "c:\\d\\Only.txt"));
}

TEST_F(PosixLocks, OneHolderPerFolderHoweverItIsSpelledAndNoneWithoutItsFile) {
  fs::create_directories(root.driveC / "4nec2/b_in/E_");
  const fs::path lockFile = root.driveC / "4nec2/b_in/e_.varnel-lock";
  std::string why;
  std::int64_t lock = p.LockFolder("c:\\4nec2\\b_in\\E_\\", why);
  ASSERT_NE(0, lock);
  EXPECT_TRUE(fs::is_regular_file(lockFile));
  for (const std::string& spelling :
       {std::string("C:\\4NEC2\\B_IN\\e_"), std::string("c:/4nec2/b_in/E_/"),
        "z:" + root.driveC.string() + "/4nec2/b_in/E_", std::string("c:\\4nec2\\b_in\\Ranges\\..\\E_\\")})
    EXPECT_EQ(0, p.LockFolder(spelling, why)) << spelling;
  EXPECT_TRUE(fs::is_regular_file(lockFile)) << "a refused lock removed the holder's file";
  for (const char* other : {"c:\\4nec2\\b_in\\E_x\\", "c:\\4nec2\\b_in\\not yet\\"}) {
    const std::int64_t otherLock = p.LockFolder(other, why);
    EXPECT_NE(0, otherLock) << other;
    p.UnlockFolder(otherLock);
  }
  p.UnlockFolder(lock);
  EXPECT_FALSE(fs::exists(lockFile));
  // A file of that name that is not an empty lock file is used, never removed.
  root.Write("drive_c/4nec2/b_in/e_.varnel-lock", "the user's own");
  lock = p.LockFolder("c:\\4nec2\\b_in\\E_\\", why);
  EXPECT_NE(0, lock);
  p.UnlockFolder(lock);
  EXPECT_EQ("the user's own", TestRoot::Read(lockFile));

  // Where the lock file cannot be made, the lock is refused with the reason, never given without
  // its file.
  fs::create_directories(root.driveC / "4nec2/b_out/dir.varnel-lock");
  fs::create_symlink(root.driveC / "elsewhere", root.driveC / "4nec2/b_out/link.varnel-lock");
  ASSERT_EQ(0, mkfifo((root.driveC / "4nec2/b_out/fifo.varnel-lock").c_str(), 0600));
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\4nec2\\b_out\\link\\", " is a link"},
      {"C:\\4nec2\\b_out\\dir\\", " is a folder"},
      {"C:\\4nec2\\b_out\\fifo\\", " is not a regular file"},
      {"c:\\no\\parent\\", "its parent folder does not exist"}};
  for (const auto& [folder, reason] : cases) {
    why.clear();
    EXPECT_EQ(0, p.LockFolder(folder, why)) << folder;
    EXPECT_NE(std::string::npos, why.find(reason)) << folder << ": " << why;
  }
  EXPECT_FALSE(fs::exists(root.driveC / "elsewhere"));
}

TEST_F(PosixLocks, AnotherProgramsLockHoldsUntilItIsKilled) {
  fs::create_directories(root.driveC / "4nec2/b_out");
  const std::string folder = "C:\\4nec2\\b_out\\E_\\";
  std::string why;
  int ready[2];
  ASSERT_EQ(0, pipe(ready));
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const char held = p.LockFolder(folder, why) != 0 ? '1' : '0';
    if (write(ready[1], &held, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char held = 0;
  ASSERT_EQ(1, read(ready[0], &held, 1));
  ASSERT_EQ('1', held);
  EXPECT_EQ(0, p.LockFolder(folder, why));
  EXPECT_EQ(0, p.LockFolder("c:\\4nec2\\B_OUT\\E_", why));
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  const std::int64_t lock = p.LockFolder(folder, why);
  EXPECT_NE(0, lock);
  p.UnlockFolder(lock);
  EXPECT_FALSE(fs::exists(root.driveC / "4nec2/b_out/e_.varnel-lock"));
}

TEST_F(PosixFiles, ClockAndClipboard) {
  std::uint64_t before = system.MillisecondsSinceEpoch(), steady = system.MonotonicMilliseconds();
  ui.realPause = true;
  ui.Pause(30);
  EXPECT_GE(system.MillisecondsSinceEpoch() - before, 25u);
  EXPECT_GE(system.MonotonicMilliseconds() - steady, 25u);
  EXPECT_GE(system.CurrentYear(), 2024);
  ui.SetClipboardText("a;b\r\n");
  EXPECT_EQ("a;b\r\n", ui.ClipboardText());
}

}  // namespace varnel
