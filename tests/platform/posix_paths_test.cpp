#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <locale>
#include <tuple>

#include "platform/platform.hpp"
#include "support/scoped_settings.hpp"
#include "platform/posix/posix_system.hpp"
#include "support/test_root.hpp"
#include "util/files.hpp"

namespace varnel {

namespace fs = std::filesystem;

namespace {

std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// A private drive c: (c natively) and the POSIX system over it.
struct Paths : ::testing::Test {
  TestRoot root;
  PosixRoots roots = root.Roots();
  const std::string c = root.driveC.string();
  PosixSystem system{roots};
};

}  // namespace

TEST(PosixRoots, DriveCFollowsWineprefixElseHome) {
  ScopedEnv home("HOME", "/home/ann");
  {
    ScopedEnv prefix("WINEPREFIX", "/opt/prefix");
    ScopedEnv user("USER", "ann");
    PosixRoots roots = PosixRoots::FromEnvironment();
    EXPECT_EQ("/opt/prefix/drive_c", roots.driveC);
    EXPECT_EQ("/opt/prefix/drive_c/users/ann", roots.home);  // the profile as Wine has it
    ScopedEnv odd("USER", "../x");
    EXPECT_EQ(std::string::npos, PosixRoots::FromEnvironment().home.find(".."));
  }
  {
    ScopedEnv prefix("WINEPREFIX", nullptr);
    EXPECT_EQ("/home/ann/.wine/drive_c", PosixRoots::FromEnvironment().driveC);
  }
}

TEST_F(Paths, NativePathMapsDrivesAndSeparatorsAndMessagesNameTheirFilesNativePaths) {
  const std::pair<std::string, std::string> cases[] = {
      {"c:\\4nec2\\b_out\\x.out", c + "/4nec2/b_out/x.out"},
      {"C:/4nec2/b_out/x.out", c + "/4nec2/b_out/x.out"},
      {"c:\\4nec2/b_out\\x.out", c + "/4nec2/b_out/x.out"},
      {"c:\\4nec2\\", c + "/4nec2"},
      {"c:\\", c},
      {"c:", c},
      {"c:\\..\\..\\x", c + "/x"},  // never above the drive's root
      {"c:\\a\\.\\b\\..\\d", c + "/a/d"},
      {"z:\\tmp\\a", "/tmp/a"},
      {"Z:/", "/"},
      {"d:\\x", ""},
      {"", ""},
  };
  for (const auto& [windows, native] : cases) EXPECT_EQ(native, NativePath(roots, windows)) << windows;

  // A message names its files with their Linux paths too: a name with blanks is taken as far as it
  // exists; one that does not exist ends at its first blank or a mark that ends a sentence.
  root.Write("drive_c/4nec2/b_in/Range01 Test.txt", "7\r\n");
  EXPECT_EQ(
      (std::vector<std::string>{c + "/4nec2/b_in/Range01 Test.txt", c + "/4nec2/gone.pdf", "/tmp/a.txt"}),
      NativePathsIn(system,
                    "In c:\\4nec2\\b_in\\Range01 Test.txt, line 3: c:\\4nec2\\gone.pdf is gone! "
                    "Saved z:\\tmp\\a.txt (3 lines); z:\\tmp\\a.txt. No path: 1:\\x, ab:\\y"));
  EXPECT_EQ("Gone: z:\\tmp\\a.txt\n(on this machine: /tmp/a.txt)",
            WithNativePaths(system, "Gone: z:\\tmp\\a.txt"));
  EXPECT_EQ("nothing named", WithNativePaths(system, "nothing named"));
}

TEST_F(Paths, NativePathMatchesComponentsWithoutCaseWhenNoExactMatchExistsAndFollowsChanges) {
  fs::create_directories(root.driveC / "4NEC2/B_Out");
  fs::create_directories(root.home / "Desktop");
  EXPECT_EQ(c + "/4NEC2/B_Out/x.out", NativePath(roots, "c:\\4nec2\\b_out\\x.out"));
  EXPECT_EQ(c + "/4NEC2/B_Out/new/deeper", NativePath(roots, "C:\\4Nec2\\B_OUT\\new\\deeper"));
  EXPECT_EQ(root.home.string() + "/Desktop",
            NativePath(roots, WindowsPath(roots, root.home.string()) + "\\DeskTop"));
  // An exact match wins over a case-insensitive one.
  fs::create_directories(root.driveC / "4nec2");
  EXPECT_EQ(c + "/4nec2/b_out", NativePath(roots, "c:\\4nec2\\b_out"));
  EXPECT_EQ(c + "/4NEC2/B_Out", NativePath(roots, "c:\\4NEC2\\b_out"));

  // The lookup follows the program's own changes and other programs'.
  const fs::path d = root.driveC / "d";
  root.Write("drive_c/d/Alpha.nec", "");
  const auto native = [&](const char* path) { return NativePath(roots, path); };
  // Another program's change shows once the folder's stamp differs (set apart explicitly here:
  // two changes within one clock tick of the file system may share a stamp).
  auto changedByOthers = [&, t = fs::file_time_type::clock::now() - std::chrono::hours(1)]() mutable {
    fs::last_write_time(d, t += std::chrono::seconds(1));
  };
  EXPECT_EQ((d / "Alpha.nec").string(), native("c:\\D\\ALPHA.NEC"));
  root.Write("drive_c/d/Beta.nec", "");
  changedByOthers();
  EXPECT_EQ((d / "Beta.nec").string(), native("c:\\d\\beta.NEC"));
  system.WriteFile("c:\\d\\Gamma.nec", "");  // the program's own: known at once
  EXPECT_EQ((d / "Gamma.nec").string(), native("c:\\d\\GAMMA.nec"));
  fs::rename(d / "Alpha.nec", d / "alpha2.nec");
  changedByOthers();
  EXPECT_EQ((d / "ALPHA.NEC").string(), native("c:\\d\\ALPHA.NEC"));
  EXPECT_TRUE(system.RemoveFile("c:\\d\\BETA.NEC"));
  EXPECT_EQ((d / "BETA.NEC").string(), native("c:\\d\\BETA.NEC"));
}

TEST_F(Paths, WindowsPathGivesDriveCBelowThePrefixAndZElsewhereThisProgramsToo) {
  EXPECT_EQ("c:\\4nec2\\b_out", WindowsPath(roots, c + "/4nec2/b_out"));
  EXPECT_EQ("c:\\4nec2\\b_out", WindowsPath(roots, c + "//4nec2/./b_out/"));
  EXPECT_EQ("c:\\", WindowsPath(roots, c));
  EXPECT_EQ("z:\\tmp\\a b", WindowsPath(roots, "/tmp/a b"));
  EXPECT_EQ("z:\\", WindowsPath(roots, "/"));
  // A folder whose name merely begins like the drive's folder is not on drive c:.
  EXPECT_EQ("z:" + Backslashed(c + "2/x"), WindowsPath(roots, c + "2/x"));
  // This program's own path, in Windows form.
  const std::string path = system.ExecutablePath();
  EXPECT_EQ("z:\\", path.substr(0, 3));
  EXPECT_EQ(fs::read_symlink("/proc/self/exe").string(), NativePath(roots, path));
}

// Relative paths start at the real current folder, the physical path, which still lies on drive c:
// when the drive is reached through a link.
TEST_F(Paths, RelativePathsUseTheRealCurrentFolderGivenInWindowsForm) {
  fs::create_directories(root.driveC / "4nec2");
  fs::create_directory_symlink(root.driveC, root.dir / "linked_c");
  PosixRoots viaLink{(root.dir / "linked_c").string(), root.home.string()};
  fs::current_path(root.driveC / "4nec2");
  const std::string work = fs::current_path().string();
  EXPECT_EQ(work + "/a/b.nec", NativePath(roots, "a\\b.nec"));
  EXPECT_EQ(work + "/x.out", NativePath(roots, "x.out"));
  EXPECT_EQ(c + "/y", NativePath(roots, "..\\y"));
  EXPECT_EQ(c + "/z", NativePath(roots, "\\z"));  // root of the current drive
  EXPECT_EQ("c:\\4nec2", WindowsPath(viaLink, work));
  EXPECT_EQ("c:\\4nec2\\x.out", WindowsPath(roots, "x.out"));
  EXPECT_EQ("c:\\x.out", WindowsPath(roots, "../x.out"));
  // The system sets and gives the current folder in Windows form.
  fs::create_directories(root.driveC / "4nec2/b_in/Ranges");
  EXPECT_TRUE(system.SetCurrentFolder("C:\\4NEC2\\B_IN\\ranges"));
  EXPECT_EQ("c:\\4nec2\\b_in\\Ranges", system.CurrentFolder());
  EXPECT_FALSE(system.SetCurrentFolder("c:\\missing"));
  EXPECT_EQ("c:\\4nec2\\b_in\\Ranges", system.CurrentFolder());
}

// An unset USERPROFILE reads as the home folder; in the drive picture it is c:\users\<name>, whose
// Desktop is made when missing (the folders above it too) and left alone when it is there in any
// letter case.
TEST_F(Paths, UserProfileReadsAsTheHomeFolderWhenUnset) {
  {
    ScopedEnv profile("USERPROFILE", nullptr);
    EXPECT_EQ("z:" + Backslashed(root.home.string()), system.GetEnv("USERPROFILE"));
    PosixSystem ann(PosixRoots{c, (root.driveC / "users" / "ann").string()});
    EXPECT_EQ("c:\\users\\ann", ann.GetEnv("USERPROFILE"));
    EXPECT_TRUE(fs::is_directory(root.driveC / "users" / "ann" / "Desktop"));
    EXPECT_EQ("c:\\users\\ann\\DeskTop\\", DesktopFolder(ann));
    EXPECT_TRUE(ann.FolderExists(DesktopFolder(ann)));
    PosixSystem bob(PosixRoots{c, (root.driveC / "users" / "bob").string()});
    fs::create_directories(root.driveC / "users" / "bob" / "DESKTOP");
    bob.GetEnv("USERPROFILE");
    EXPECT_EQ(1,
              std::distance(fs::directory_iterator(root.driveC / "users" / "bob"), fs::directory_iterator()));
  }
  {
    ScopedEnv profile("USERPROFILE", "C:\\Users\\ann");
    EXPECT_EQ("C:\\Users\\ann", system.GetEnv("USERPROFILE"));
  }
  ScopedEnv other("VARNEL_SURELY_UNSET", nullptr);
  EXPECT_EQ("", system.GetEnv("VARNEL_SURELY_UNSET"));
}

// A comma for C, POSIX and no locale; the first set variable of a real locale decides (the
// cases with a point locale run where an English one is installed).
TEST(DecimalSeparatorFromLocale, IsCommaForCPosixAndNoLocaleElseTheFirstSetVariables) {
  const char* point = nullptr;
  for (const char* name : {"en_US.UTF-8", "en_GB.UTF-8", "en_US.utf8"}) {
    try {
      std::locale probe(name);
      point = name;
      break;
    } catch (const std::runtime_error&) {
    }
  }
  // LC_ALL, LC_NUMERIC, LANG and the separator they give.
  const std::tuple<const char*, const char*, const char*, char> cases[] = {
      {nullptr, nullptr, nullptr, ','},
      {"C", nullptr, nullptr, ','},
      {nullptr, "POSIX", nullptr, ','},
      {nullptr, nullptr, "C.UTF-8", ','},
      {"xx_NOWHERE.UTF-8", nullptr, nullptr, ','},
      {"", "", "", ','},
      {nullptr, point, "C", '.'},
      {"C", point, nullptr, ','},
  };
  for (const auto& [all, numeric, lang, separator] : cases) {
    if (numeric == nullptr && separator == '.') continue;  // no English locale installed
    ScopedEnv setAll("LC_ALL", all), setNumeric("LC_NUMERIC", numeric), setLang("LANG", lang);
    EXPECT_EQ(separator, DecimalSeparatorFromLocale())
        << "LC_ALL=" << (all ? all : "(unset)") << " LC_NUMERIC=" << (numeric ? numeric : "(unset)")
        << " LANG=" << (lang ? lang : "(unset)");
  }
  if (point == nullptr) GTEST_SKIP() << "no English locale installed: the case of a point locale did not run";
}

}  // namespace varnel
