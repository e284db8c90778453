// The Windows system half on a real (or Wine's) file system. Each test works in a fresh folder
// below the system's temporary folder, given to the system as a native path.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/win32_system.hpp"
#include "support/inout_error.hpp"
#include "support/win32_root.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"

namespace varnel {

namespace {

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name);
  return names;
}

}  // namespace

TEST(Win32Files, ExistenceTellsFilesFromFolders) {
  Win32Root root;
  Win32System& s = root.system;
  root.Write("out\\dipol.out", "x");
  struct Case {
    std::string path;
    bool file, folder;
  };
  const Case cases[] = {
      {root.Path("out\\dipol.out"), true, false},
      {root.Path("OUT\\DIPOL.OUT"), true, false},
      {root.Path("out/dipol.out"), true, false},
      {root.Path("out"), false, true},
      {root.Path("out\\"), false, true},
      {root.Path("out\\none.out"), false, false},
      {"q:\\4nec2\\out\\dipol.out", false, false},
      {"nul", false, false},
      {"", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.file, s.FileExists(c.path)) << c.path;
    EXPECT_EQ(c.folder, s.FolderExists(c.path)) << c.path;
  }
}

TEST(Win32Files, ReadAndWriteKeepEveryByteInTheAnsiCodePage) {
  Win32Root root;
  Win32System& s = root.system;
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  s.WriteFile(root.Path("all.bin"), bytes);
  EXPECT_EQ(bytes, s.ReadFile(root.Path("ALL.BIN")));
  s.WriteFile(root.Path("all.bin"), "");
  EXPECT_EQ("", s.ReadFile(root.Path("all.bin")));
  // A name in the ANSI code page is one file under its 8-bit and its wide name alike.
  s.WriteFile(root.Path("\xe4.out"), "umlaut");
  EXPECT_EQ("umlaut", s.ReadFile(root.Path("\xc4.OUT")));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((WideOf(root.dir) + L"\\\u00e4.out").c_str()));
}

TEST(Win32Files, FailuresCarryTheRunTimesMessages) {
  Win32Root root;
  Win32System& s = root.system;
  root.Folder("folder");
  root.Write("locked.out", "x");
  root.ReadOnly("locked.out");
  const std::string cases[][2] = {
      {"2 Datei nicht gefunden", "read " + root.Path("none.out")},
      {"2 Datei nicht gefunden", "read q:\\none.out"},
      {"2 Datei nicht gefunden", "read nul"},
      {"2 Datei nicht gefunden", "write " + root.Path("no\\folder\\x.nec")},
      {"5 Dateizugriff verweigert", "read " + root.Path("folder")},
      {"5 Dateizugriff verweigert", "write " + root.Path("folder")},
      {"5 Dateizugriff verweigert", "write " + root.Path("locked.out")},
  };
  for (const auto& c : cases) {
    const std::string path = c[1].substr(c[1].find(' ') + 1);
    if (c[1].rfind("read", 0) == 0)
      EXPECT_EQ(c[0], ErrorOf([&] { s.ReadFile(path); })) << c[1];
    else
      EXPECT_EQ(c[0], ErrorOf([&] { s.WriteFile(path, "y"); })) << c[1];
  }
  EXPECT_EQ("x", s.ReadFile(root.Path("locked.out")));
}

TEST(Win32Files, ReplacingGoesThroughAFreshFileBeside) {
  Win32Root root;
  Win32System& s = root.system;
  root.Write("t.txt", "old");
  const std::string first = s.WriteFileBeside(root.Path("t.txt"), "new");
  const std::string second = s.WriteFileBeside(root.Path("t.txt"), "newer");
  EXPECT_NE(first, second);
  EXPECT_EQ(root.Path("t.txt.varnel-"), first.substr(0, first.size() - 16));
  EXPECT_EQ("new", s.ReadFile(first));
  s.RenameOver(first, root.Path("T.TXT"));
  EXPECT_EQ("new", s.ReadFile(root.Path("t.txt")));
  EXPECT_FALSE(s.FileExists(first));
  EXPECT_EQ("2 Datei nicht gefunden",
            ErrorOf([&] { s.RenameOver(root.Path("gone.new"), root.Path("t.txt")); }));
  // A read-only target is neither replaced nor given a file beside it.
  root.ReadOnly("t.txt");
  EXPECT_EQ("5 Dateizugriff verweigert", ErrorOf([&] { s.RenameOver(second, root.Path("t.txt")); }));
  EXPECT_EQ("5 Dateizugriff verweigert", ErrorOf([&] { s.WriteFileBeside(root.Path("t.txt"), "x"); }));
  EXPECT_EQ(2u, s.ListEntries(root.Path("*")).size());
  EXPECT_EQ("new", s.ReadFile(root.Path("t.txt")));
}

TEST(Win32Files, ListEntriesMatchesWildcardsWithoutCaseInTheListedOrder) {
  Win32Root root;
  Win32System& s = root.system;
  for (const char* name : {"a.out", "B.OUT", "ab.out", "a.outx", "a.nec", "noext", ".hidden.out", "e_000.out",
                           "EA.out", "\xe4.out", "longername.output"})
    root.Write(std::string("d\\") + name, "");
  root.Folder("d\\sub.out");
  struct Case {
    std::string pattern;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"d\\*.out", {".hidden.out", "a.out", "ab.out", "B.OUT", "EA.out", "e_000.out", "sub.out", "\xe4.out"}},
      {"D\\?.OUT", {"a.out", "B.OUT", "\xe4.out"}},
      {"d\\a*", {"a.nec", "a.out", "a.outx", "ab.out"}},
      {"d\\noext.*", {"noext"}},
      {"d\\*x", {"a.outx"}},
      {"d/b.out", {"B.OUT"}},
      {"d\\*.out?", {"a.outx"}},  // the short name LONGER~1.OUT does not match
      {"missing\\*.out", {}},
  };
  for (const Case& k : cases) EXPECT_EQ(k.names, Names(s.ListEntries(root.Path(k.pattern)))) << k.pattern;
  EXPECT_EQ(12u, s.ListEntries(root.Path("d\\*.*")).size());
  for (const DirEntry& e : s.ListEntries(root.Path("d\\*.out"))) {
    EXPECT_EQ(e.name == "sub.out", e.isFolder) << e.name;
    EXPECT_FALSE(e.isLink) << e.name;
  }
  // A name the ANSI code page cannot express reads with '?', which no path reaches.
  CreateDirectoryW((WideOf(root.Path("d")) + L"\\\u03a9.dir").c_str(), nullptr);
  EXPECT_EQ(std::vector<std::string>{"?.dir"}, Names(s.ListEntries(root.Path("d\\*.dir"))));
}

TEST(Win32Files, LinksAreListedAndNeverFollowedWhenDeleting) {
  Win32Root root;
  Win32System& s = root.system;
  const std::string precious = root.Write("keep\\precious.txt", "keep");
  root.Folder("t\\real");
  root.Write("t\\locked\\stays.txt", "x");
  root.ReadOnly("t\\locked\\stays.txt");
  if (!root.Link("t\\tokeep", root.Path("keep"), true) || !root.Link("t\\tofile", precious, false))
    GTEST_SKIP() << "symbolic links cannot be made here";
  std::vector<DirEntry> entries = s.ListEntries(root.Path("t\\*"));
  ASSERT_EQ(4u, entries.size());
  for (const DirEntry& e : entries) {
    EXPECT_EQ(e.name == "tofile" || e.name == "tokeep", e.isLink) << e.name;
    EXPECT_EQ(e.name != "tofile", e.isFolder) << e.name;
  }
  EXPECT_TRUE(s.FolderWithin(root.Path("t\\tokeep\\x"), root.Path("keep")));
  s.DeleteTree(root.Path("t\\"));
  EXPECT_EQ("keep", s.ReadFile(precious));
  EXPECT_EQ((std::vector<std::string>{"locked"}), Names(s.ListEntries(root.Path("t\\*"))));
  EXPECT_TRUE(s.FileExists(root.Path("t\\locked\\stays.txt")));
  // A folder that is itself a link loses only the link, and is no mount point to refuse.
  ASSERT_TRUE(root.Link("link", root.Path("keep"), true));
  EXPECT_EQ("", s.FolderDeletionProblem(root.Path("link\\")));
  s.DeleteTree(root.Path("link"));
  EXPECT_FALSE(s.FolderExists(root.Path("link")));
  EXPECT_EQ("keep", s.ReadFile(precious));
}

TEST(Win32Locks, OneHolderPerFolderHoweverItIsSpelledAndNoFileLeft) {
  Win32Root root;
  Win32System& s = root.system;
  root.Folder("b_in\\E_");
  std::string why;
  const std::int64_t lock = s.LockFolder(root.Path("b_in\\E_\\"), why);
  ASSERT_NE(0, lock);
  for (const std::string& spelling :
       {root.Path("B_IN\\e_"), root.Path("b_in/E_/"), root.Path("b_in\\x\\..\\E_")})
    EXPECT_EQ(0, s.LockFolder(spelling, why)) << spelling;
  const std::int64_t other = s.LockFolder(root.Path("b_in\\not yet\\"), why);
  EXPECT_NE(0, other);
  s.UnlockFolder(other);
  s.UnlockFolder(lock);
  EXPECT_FALSE(s.FileExists(root.Path("b_in\\E_.varnel-lock")));
  const std::int64_t again = s.LockFolder(root.Path("b_in\\E_"), why);
  EXPECT_NE(0, again);
  s.UnlockFolder(again);
}

TEST(Win32Files, DeleteTreeTakesStoredNamesLiterallyAndEnds) {
  Win32Root root;
  Win32System& s = root.system;
  // A chain deeper than MAX_PATH and the depth bound, made in the long path form.
  std::wstring deep = L"\\\\?\\" + WideOf(root.Path("t"));
  CreateDirectoryW(deep.c_str(), nullptr);
  for (int i = 0; i < 150; ++i) CreateDirectoryW((deep += L"\\dd").c_str(), nullptr);
  // Names that the ordinary path form would read otherwise.
  for (const wchar_t* name : {L"nul", L"trailing. ", L"con.out"}) {
    const std::wstring path = L"\\\\?\\" + WideOf(root.Path("t\\")) + name;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file) << name;
    CloseHandle(file);
  }
  s.DeleteTree(root.Path("t"));
  EXPECT_EQ((std::vector<std::string>{"dd"}),
            Names(s.ListEntries(root.Path("t\\*"))));  // below the bound stays
  s.DeleteTree(root.dir.substr(0, 3));                 // a drive's root is never deleted
  EXPECT_TRUE(s.FolderExists(root.Path("t")));
}

TEST(Win32Files, FolderWithinResolvesDotsCaseAndSlashes) {
  Win32Root root;
  Win32System& s = root.system;
  root.Folder("4nec2\\b_in\\sub");
  struct Case {
    std::string inner, outer;
    bool within;
  };
  const Case cases[] = {
      {"4nec2\\b_in", "4nec2\\b_in\\", true},           {"4nec2\\b_in\\sub", "4NEC2\\B_IN", true},
      {"4nec2\\b_in", "4nec2\\b_in\\sub\\..\\.", true}, {"4nec2/b_in", "4nec2\\B_in", true},
      {"4nec2\\EXE\\new", "4nec2\\exe", true},  // neither exists yet
      {"4nec2\\b_in_x", "4nec2\\b_in", false},          {"4nec2", "4nec2\\b_in", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.within, s.FolderWithin(root.Path(c.inner), root.Path(c.outer)))
        << c.inner << " in " << c.outer;
  EXPECT_TRUE(s.FolderWithin(root.Path("4nec2"), root.dir.substr(0, 3)));
  EXPECT_FALSE(s.FolderWithin(root.Path("4nec2"), "q:\\4nec2"));
}

TEST(Win32Files, DeleteRemoveCreateReportWithoutThrowing) {
  Win32Root root;
  Win32System& s = root.system;
  root.Write("d\\f.txt", "x");
  root.Write("d\\locked.txt", "x");
  root.ReadOnly("d\\locked.txt");
  EXPECT_FALSE(s.RemoveFile(root.Path("d\\locked.txt")));  // read-only
  EXPECT_FALSE(s.RemoveFile(root.Path("d")));              // a folder is not a file
  EXPECT_FALSE(s.RemoveFolder(root.Path("d")));            // not empty
  EXPECT_TRUE(s.RemoveFile(root.Path("d\\F.TXT")));
  EXPECT_FALSE(s.RemoveFile(root.Path("d\\f.txt")));
  EXPECT_FALSE(s.CreateFolder(root.Path("d")));
  EXPECT_TRUE(s.CreateFolder(root.Path("d\\New")));
  EXPECT_TRUE(s.SetCurrentFolder(root.Path("d\\new")));
  EXPECT_TRUE(s.FileExists("..\\locked.txt"));
  EXPECT_TRUE(s.SetCurrentFolder(root.dir));
  EXPECT_EQ(root.dir, s.CurrentFolder());
  EXPECT_TRUE(s.RemoveFolder(root.Path("D\\new\\")));
  EXPECT_FALSE(s.CreateFolder("q:\\x"));
  EXPECT_FALSE(s.SetCurrentFolder(root.Path("none")));
}

TEST(Win32Process, StartsWithTheQuotedPathAndTheParameterText) {
  Win32Root root;
  Win32System& s = root.system;
  const std::string child = ProgramFolder(s.ExecutablePath()) + "win32_child.exe";
  std::string error;
  ProcessHandle handle = s.StartProcess(child, "args " + root.Path("args.txt") + "  two  words", error);
  ASSERT_TRUE(handle) << error;
  while (!s.ProcessEnded(handle)) Sleep(10);
  const std::string bytes = s.ReadFile(root.Path("args.txt"));
  const std::wstring line(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  EXPECT_EQ(L"\"" + WideOf(child) + L"\" args " + WideOf(root.Path("args.txt")) + L"  two  words", line);

  EXPECT_FALSE(s.StartProcess(root.Path("none.exe"), "", error));
  EXPECT_FALSE(error.empty());
}

TEST(Win32Process, EndProcessEndsWhatTheProgramStarted) {
  Win32Root root;
  Win32System& s = root.system;
  const std::string child = ProgramFolder(s.ExecutablePath()) + "win32_child.exe";
  std::string error;
  ProcessHandle handle = s.StartProcess(child, "tree " + root.Path("pid.txt"), error);
  ASSERT_TRUE(handle) << error;
  for (int i = 0; i < 500 && s.ListEntries(root.Path("pid.txt")).empty(); ++i) Sleep(10);
  Sleep(50);
  const std::string bytes = s.ReadFile(root.Path("pid.txt"));
  const DWORD grandchildId =
      std::stoul(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2));
  HANDLE grandchild = OpenProcess(SYNCHRONIZE, FALSE, grandchildId);
  ASSERT_NE(nullptr, grandchild);
  EXPECT_FALSE(s.ProcessEnded(handle));
  s.EndProcess(handle);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(grandchild, 5000));
  CloseHandle(grandchild);
  EXPECT_TRUE(s.ProcessEnded(handle));  // unknown now
  s.EndProcess(handle);                 // nothing happens
}

TEST(Win32Environment, VariablesLocaleAndClock) {
  Win32Root root;
  Win32System& s = root.system;
  SetEnvironmentVariableW(L"VARNEL_TEST_VALUE", L"a \u00e4");
  EXPECT_EQ("a \xe4", s.GetEnv("VARNEL_TEST_VALUE"));
  EXPECT_EQ("", s.GetEnv("VARNEL_TEST_UNSET"));
  EXPECT_FALSE(s.GetEnv("USERPROFILE").empty());
  EXPECT_EQ(".exe", s.ExecutablePath().substr(s.ExecutablePath().size() - 4));
  const char separator = s.LocaleDecimalSeparator();
  EXPECT_TRUE(separator == '.' || separator == ',') << separator;
  const std::uint64_t before = s.MillisecondsSinceEpoch();
  Sleep(30);
  EXPECT_GE(s.MillisecondsSinceEpoch() - before, 25u);
  EXPECT_GE(s.CurrentYear(), 2024);
}

}  // namespace varnel
