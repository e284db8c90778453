#include "support/inout_error.hpp"
#include "support/scoped_settings.hpp"
#include "util/files.hpp"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <tuple>

#include "decks/folders.hpp"
#include "mainwindow/VarnelU.hpp"
#include "support/test_root.hpp"
#include "util/errors.hpp"
#include "util/messages.hpp"

namespace varnel {

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// A private drive c: under a scripted interface.
struct Files : ::testing::Test, ScriptedFixture {};

void MakeReadOnly(const fs::path& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

}  // namespace

// ---- ReadTextFile ---------------------------------------------------------------------

TEST_F(Files, ReadTextFileJoinsLinesWithCrLfAndDropsTheFinalLineEnd) {
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"two lines with a final CR LF", "a\r\nb\r\n", "a\r\nb"},
      {"empty file", "", ""},
      {"LF line ends stay", "a\nb\n", "a\nb"},
      {"no line end after the last line", "a\nb", "a\nb"},
      {"three letters and CR LF", "abc\r\n", "abc"},
      {"a last empty line is lost", "a\r\n\r\n", "a\r\n"},
      {"one line end only", "\n", ""},
      {"two empty lines", "\n\n", "\n"},
      {"mixed LF and CR LF", "a\r\nb\nc\r\nd", "a\r\nb\r\nc\r\nd"},
      {"a lone CR inside a line disappears", "a\rb\r\nc", "ab\r\nc"},
      {"a lone CR at the end disappears", "x\r", "x"},
      {"CR CR LF", "a\r\r\nb", "a\r\nb"},
      {"Ctrl-Z ends the file", "ab\032cd\r\nef", "ab"},
      {"Ctrl-Z after a line end", "a\n\032\nb", "a"},
      {"Ctrl-Z after LF lines", "a\nb\n\032\r\n", "a\nb"},
      {"Ctrl-Z first", "\032abc", ""},
      {"NUL bytes are kept", std::string("a\0b\nc", 5), std::string("a\0b\nc", 5)},
      {"an LF file", "FREQUENCY\n x = 1\n\n end\n", "FREQUENCY\n x = 1\n\n end"},
      {"the same as a CR LF file", "FREQUENCY\r\n x = 1\r\n\r\n end\r\n", "FREQUENCY\r\n x = 1\r\n\r\n end"},
  };
  for (const auto& [what, bytes, expected] : cases) {
    root.Write("drive_c/t.txt", bytes);
    std::string text = "previous";
    ReadTextFile(platform, "c:\\t.txt", text);
    EXPECT_EQ(expected, text) << what;
    EXPECT_TRUE(ui.messages.empty()) << what;
  }
}

// The line-by-line reading as the rules state it: read a line (up to LF, every CR dropped),
// append it with CR LF (LF alone when the file has no CR), until the end (byte 26 ends the
// file); at least one line; then the final line end goes.
std::string ReadLineByLine(const std::string& bytes) {
  std::size_t end = std::min(bytes.find('\x1a'), bytes.size());
  const std::string lineEnd = bytes.substr(0, end).find('\r') == std::string::npos ? "\n" : "\r\n";
  std::string result;
  std::size_t i = 0;
  do {
    std::string line;
    for (; i < end && bytes[i] != '\n'; ++i) {
      if (bytes[i] != '\r') line += bytes[i];
    }
    if (i < end) ++i;
    result += line + lineEnd;
  } while (i < end);
  result.resize(result.size() - lineEnd.size());
  return result;
}

TEST_F(Files, ReadTextFileAgreesWithLineByLineReadingOnRandomNearlyCrLfAndLongTexts) {
  std::vector<std::string> texts;
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  const char alphabet[] = {'a', 'b', '\r', '\n', '\r', '\n', ' ', '\x1a'};
  for (int k = 0; k < 300; ++k) {
    std::string text(next() % 40, ' ');
    for (char& c : text) c = alphabet[(next() >> 8) % (k < 150 ? 7 : 8)];
    texts.push_back(text);
  }
  // CR LF text with one defect (a broken line end, a byte 26) at every position, so each word
  // and block boundary of a fast check sees one.
  std::string clean;
  while (clean.size() < 1100) clean += "line " + std::to_string(clean.size()) + "\r\n";
  texts.push_back(clean);
  texts.push_back(std::string(3'000'000, 'x'));  // a long line without line end, a CR in its middle
  texts.back()[1'500'000] = '\r';
  for (std::size_t at = 0; at < clean.size(); at += 1) {
    std::string defect = clean;
    defect[at] = defect[at] == '\r' ? 'x' : (defect[at] == '\n' ? 'y' : '\r');
    texts.push_back(defect);
    defect = clean;
    defect[at] = '\x1a';
    texts.push_back(defect);
  }
  // Megabytes are checked in parts at once: a defect in any part, or right at a part's edge.
  std::string large;
  while (large.size() < (std::size_t{3} << 20)) large += "row " + std::to_string(large.size()) + "\r\n";
  texts.push_back(large);
  const std::size_t middle = large.find('\n', large.size() / 2);
  for (std::size_t at : {std::size_t{0}, middle - 1, middle, middle + 1, large.size() - 1}) {
    texts.push_back(large);
    texts.back()[at] = large[at] == '\n' ? 'x' : '\n';
  }
  for (const std::string& bytes : texts) {
    root.Write("drive_c/r.txt", bytes);
    std::string text;
    ReadTextFile(platform, "c:\\r.txt", text);
    ASSERT_EQ(ReadLineByLine(bytes), text) << "file " << testing::PrintToString(bytes.substr(0, 2000));
  }
  // Either line end is taken as it stands: the text is the file's own bytes, not a copy.
  for (std::string bytes : {large, ReplaceText("\r\n", "\n", large, true)}) {
    const std::string expected = bytes.substr(0, bytes.size() - (bytes[bytes.size() - 2] == '\r' ? 2 : 1));
    const char* const read = bytes.data();
    const std::string text = TextOfFileBytes(std::move(bytes));
    EXPECT_TRUE(text == expected && text.data() == read);
  }
}

// A missing file and a folder under the name: one warning each; an unreadable file raises; the
// text is left alone.
TEST_F(Files, ReadTextFileNoFileWarnsOnceAnUnreadableOneRaisesAndTheTextIsLeftAlone) {
  fs::create_directories(root.driveC / "x.out");
  for (const std::string path : {"c:\\4nec2\\out\\none.out", "c:\\x.out"}) {
    ui.messages.clear();
    std::string text = "kept as it was";
    ReadTextFile(platform, path, text);
    EXPECT_EQ("kept as it was", text);
    EXPECT_EQ(std::vector<std::string>{"[Warning] Die Datei " + path + " konnte nicht gefunden werden."},
              ui.messages);
  }
#ifndef _WIN32  // access modes are POSIX's; an unreadable file raises Access denied
  const AccessModesHold modes;
  if (!modes.held) GTEST_SKIP() << "the file's access modes cannot be made to hold";
  fs::path file = root.Write("drive_c/secret.out", "x");
  fs::permissions(file, fs::perms::none);
  std::string text = "kept";
  EXPECT_EQ("5 Dateizugriff verweigert", ErrorOf([&] { ReadTextFile(platform, "c:\\secret.out", text); }));
  EXPECT_EQ("kept", text);
#endif
}

// ---- WriteTextFile, WriteTextFileSafely -------------------------------------------------

// The text is written exactly, a longer old content cut; a missing folder raises File not found.
TEST_F(Files, WriteTextFileWritesTheTextExactlyOrRaisesAndSafelyReplacesOrLeavesTheFileAsItWas) {
  root.Write("drive_c/d.nec", "a much longer old content\r\n");
  WriteTextFile(system, "GW 1\r\nEN", "c:\\d.nec");
  EXPECT_EQ("GW 1\r\nEN", TestRoot::Read(root.driveC / "d.nec"));
  EXPECT_EQ("2 Datei nicht gefunden",
            ErrorOf([&] { WriteTextFile(system, "x", "c:\\no\\such\\folder\\d.nec"); }));
  // Safely: an existing file is replaced, a read-only one left as it was; no temporary is left
  // either way.
  fs::remove(root.driveC / "d.nec");
  root.Write("drive_c/table.txt", "old");
  WriteTextFileSafely(system, "new\r\n", "c:\\TABLE.TXT");
  EXPECT_EQ("new\r\n", TestRoot::Read(root.driveC / "table.txt"));
  EXPECT_EQ(1, std::distance(fs::directory_iterator(root.driveC), fs::directory_iterator()));
  fs::path target = root.Write("drive_c/table.txt", "old content");
  MakeReadOnly(target);  // a read-only file is not replaced
  EXPECT_THROW(WriteTextFileSafely(system, "new", "c:\\table.txt"), InOutError);
  EXPECT_EQ("old content", TestRoot::Read(target));
  EXPECT_EQ(1, std::distance(fs::directory_iterator(root.driveC), fs::directory_iterator()));
}

TEST(WriteTextFileSafely, NeverWritesThroughALinkAndLeavesOnlyTheTarget) {
  // The link planted in the folder, pointing at the canary outside it.
  const std::pair<const char*, const char*> cases[] = {
      {"a link at the old fixed temporary name", "table.txt.varnel-new"},
      {"the target itself a link", "table.txt"},
  };
  for (const auto& [name, link] : cases) {
    SCOPED_TRACE(name);
    ScriptedFixture f;
    fs::path canary = f.root.Write("outside/canary.txt", "canary");
    fs::path folder = f.root.driveC / "work";
    fs::create_directories(folder);
    if (std::string(link) != "table.txt") f.root.Write("drive_c/work/table.txt", "old");
    if (!TestRoot::Link(folder / link, canary)) GTEST_SKIP() << "no symbolic links here";
    WriteTextFileSafely(f.system, "new", "c:\\work\\table.txt");
    EXPECT_EQ("canary", TestRoot::Read(canary));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / "table.txt")));
    EXPECT_EQ("new", TestRoot::Read(folder / "table.txt"));
    std::size_t entries = std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    EXPECT_EQ(std::string(link) == "table.txt" ? 1u : 2u, entries);  // no temporary is left
  }
}

#ifndef _WIN32  // access modes are POSIX's
TEST_F(Files, WriteTextFileSafelyKeepsTheModeOfTheFileItReplaces) {
  for (mode_t mode : {0600, 0640, 0664, 0755}) {
    fs::path target = root.Write("drive_c/table.txt", "old");
    ASSERT_EQ(0, chmod(target.c_str(), mode));
    WriteTextFileSafely(system, "new", "c:\\table.txt");
    struct stat st;
    ASSERT_EQ(0, stat(target.c_str(), &st));
    EXPECT_EQ(mode, st.st_mode & 07777) << std::oct << mode;
    EXPECT_EQ("new", TestRoot::Read(target));
  }
}
#endif

// ---- ListFiles --------------------------------------------------------------------------

// Files only, with bare names; a relative pattern (and a relative file name) goes from the current
// folder, found without case; no match or no folder gives an empty list silently.
TEST_F(Files, ListFilesListsFilesOnlyWithBareNamesFromTheCurrentFolder) {
  root.Write("drive_c/dir/x.out", "");
  fs::create_directories(root.driveC / "dir/y.out");
  root.Write("drive_c/dir/.z.out", "");  // hidden
  root.Write("drive_c/dir/UPPER.OUT", "");
  root.Write("drive_c/dir/x.outx", "");
  root.Write("drive_c/dir/c.nec", "");
  TextList list = {"stale entry"};
  ListFiles(system, "c:\\dir\\*.out", list);
  std::sort(list.begin(), list.end());
  EXPECT_EQ((TextList{".z.out", "UPPER.OUT", "x.out"}), list);
  root.Write("drive_c/b_out/E_/a.out", "one\r\ntwo\r\n");
  ASSERT_TRUE(system.SetCurrentFolder("c:\\B_OUT\\e_"));
  std::string text;
  ReadTextFile(platform, "A.OUT", text);
  EXPECT_EQ("one\r\ntwo", text);
  root.Write("drive_c/b_out/b.out", "");
  root.Write("drive_c/b_out/a.out", "");
  root.Write("drive_c/b_out/c.nec", "");
  ASSERT_TRUE(system.SetCurrentFolder("c:\\b_out"));
  ListFiles(system, "*.out", list);
  std::sort(list.begin(), list.end());
  EXPECT_EQ((TextList{"a.out", "b.out"}), list);
  ListFiles(system, "*.*", list);
  EXPECT_EQ(3u, list.size());
  fs::create_directories(root.driveC / "empty");
  list = {"old"};
  ListFiles(system, "c:\\empty\\*.out", list);
  EXPECT_TRUE(list.empty());
  list = {"old"};
  ListFiles(system, "c:\\missing\\*.out", list);
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(ui.messages.empty());
}

// ---- DeleteFolderTree, CreateFolder -----------------------------------------------------

// Nested folders go depth first, hidden files too, and nothing beside; a read-only file stays
// and so does its folder; a drive's root is never deleted.
TEST_F(Files, DeleteFolderTreeRemovesNestedFoldersDepthFirstKeepsAReadOnlyFileAndRefusesDriveRoots) {
  root.Write("drive_c/4nec2/b_in/E_/a.nec", "x");
  root.Write("drive_c/4nec2/b_in/E_/sub/b.nec", "x");
  root.Write("drive_c/4nec2/b_in/E_/sub/deeper/.hidden", "x");
  fs::create_directories(root.driveC / "4nec2/b_in/E_/empty");
  root.Write("drive_c/4nec2/b_in/keep.nec", "x");
  DeleteFolderTree(system, "c:\\4nec2\\B_IN\\e_\\");
  EXPECT_FALSE(fs::exists(root.driveC / "4nec2/b_in/E_"));
  EXPECT_TRUE(fs::exists(root.driveC / "4nec2/b_in/keep.nec"));
  fs::path locked = root.Write("drive_c/t/sub/locked.nec", "x");
  root.Write("drive_c/t/sub/free.nec", "x");
  root.Write("drive_c/t/other/free.nec", "x");
  MakeReadOnly(locked);
  DeleteFolderTree(system, "c:\\t");
  EXPECT_TRUE(fs::exists(locked));
  EXPECT_FALSE(fs::exists(root.driveC / "t/sub/free.nec"));
  EXPECT_FALSE(fs::exists(root.driveC / "t/other"));
  EXPECT_TRUE(fs::exists(root.driveC / "t"));
  EXPECT_TRUE(ui.messages.empty());
  // An empty path and drive roots are refused, also where the current folder lies below them.
  const fs::path file = root.Write("drive_c/4nec2/b_out/x.out", "x");
  ASSERT_TRUE(system.SetCurrentFolder("c:\\4nec2\\b_out"));
  for (const char* folder : {"", "c:", "c:\\", "C:/", "\\", "/", "z:\\", "c:\\\\"}) {
    DeleteFolderTree(system, folder);
    EXPECT_TRUE(fs::exists(file)) << "DeleteFolderTree(\"" << folder << "\") deleted the drive";
  }
}

// Links inside the tree go with it, their targets stay; a tree that is itself a link loses only
// the link.
TEST_F(Files, DeleteFolderTreeNeverFollowsALinkOutOfTheTree) {
  fs::path outsideFile = root.Write("outside/precious.txt", "keep me");
  fs::path outsideFolder = outsideFile.parent_path();
  root.Write("drive_c/t/a.nec", "x");
  fs::create_directories(root.driveC / "t/sub");
  if (!TestRoot::Link(root.driveC / "t/sub/folderlink", outsideFolder) ||
      !TestRoot::Link(root.driveC / "t/filelink", outsideFile) ||
      !TestRoot::Link(root.driveC / "t/broken", root.dir / "nowhere") ||
      !TestRoot::Link(root.driveC / "linked", outsideFolder))
    GTEST_SKIP() << "no symbolic links here";
  for (const char* tree : {"t", "linked"}) {
    DeleteFolderTree(system, "c:\\"s + tree + "\\");
    EXPECT_FALSE(fs::exists(fs::symlink_status(root.driveC / tree))) << tree;
    EXPECT_EQ("keep me", TestRoot::Read(outsideFile)) << tree;
  }
}

TEST_F(Files, CreateFolderCreatesExactlyOneLevel) {
  EXPECT_TRUE(CreateFolder(system, "c:\\4nec2"));
  EXPECT_TRUE(fs::is_directory(root.driveC / "4nec2"));
  EXPECT_FALSE(CreateFolder(system, "c:\\4NEC2"));  // exists already
  EXPECT_FALSE(CreateFolder(system, "c:\\a\\b"));   // parent missing
  EXPECT_FALSE(fs::exists(root.driveC / "a"));
}

// ---- Names and folders -------------------------------------------------------------------

// What an unset USERPROFILE reads as is the system's own, tested with each system.
TEST_F(Files, DesktopFolderIsTheProfileFolderWithDeskTop) {
  ScopedEnv profile("USERPROFILE", "C:\\Users\\ann");
  EXPECT_EQ("C:\\Users\\ann\\DeskTop\\", DesktopFolder(system));
}

TEST(FolderNames, ProgramFolderIncludeBackslashStripExtension) {
  const std::tuple<std::string (*)(const std::string&), const char*, const char*> cases[] = {
      {ProgramFolder, "c:\\Program Files\\Varnel\\varnel.exe", "c:\\Program Files\\Varnel\\"},
      {ProgramFolder, "c:varnel.exe", "c:\\"},
      {ProgramFolder, "varnel.exe", "\\"},
      {IncludeBackslash, "c:\\4nec2", "c:\\4nec2\\"},
      {IncludeBackslash, "c:\\4nec2\\", "c:\\4nec2\\"},
      {IncludeBackslash, "", "\\"},
      {StripExtension, "dipol.nec", "dipol"},
      {StripExtension, "a.b.c", "a.b"},
      {StripExtension, "dipol", "dipol"},
      {StripExtension, ".nec", ""},
      {StripExtension, "c:\\a.b\\file", "c:\\a"},
  };
  for (const auto& [function, argument, expected] : cases)
    EXPECT_EQ(expected, function(argument)) << "argument " << argument;
}

// Where the desktop has no program for it, the box names the kind and the path.
TEST_F(Files, OpenWithAssociatedProgramSaysWhenNoProgramIsSetUpAndOpenExistingDocumentWhenTheFileIsMissing) {
  root.Write("drive_c/4nec2/b_in/dipol.nec", "CM");
  const std::pair<const char*, const char*> cases[] = {
      {"c:\\Varnel Hilfe.pdf", "No program is set up to open PDF documents: c:\\Varnel Hilfe.pdf"},
      {"c:\\4nec2\\b_in\\dipol.nec",
       "No program is set up to open NEC documents: c:\\4nec2\\b_in\\dipol.nec"},
      {"c:\\4nec2\\b_in\\", "No program is set up to open folders: c:\\4nec2\\b_in\\"},
      {"c:\\a.b\\README", "No program is set up to open documents: c:\\a.b\\README"},
  };
  for (const auto& [path, message] : cases) {
    ui.messages.clear();
    ui.AnswerOpener(false);
    OpenWithAssociatedProgram(platform, path);
    EXPECT_EQ((std::vector<std::string>{std::string("[Open] ") + path, std::string("[Error] ") + message}),
              ui.messages);
  }
  // The queue is empty: opened; an existing document is opened, a missing one reported.
  ui.messages.clear();
  root.Write("drive_c/Varnel Hilfe.pdf", "%PDF");
  OpenExistingDocument(platform, "c:\\Varnel Hilfe.pdf");
  OpenExistingDocument(platform, "c:\\none.pdf");
  OpenWithAssociatedProgram(platform, "c:\\also-missing.nec");  // no check, no message
  EXPECT_EQ((std::vector<std::string>{"[Open] c:\\Varnel Hilfe.pdf",
                                      "[Error] Die Datei c:\\none.pdf konnte nicht gefunden werden!",
                                      "[Open] c:\\also-missing.nec"}),
            ui.messages);
}

TEST_F(Files, CurrentYearTextIsThePlatformsYearWithoutPadding) {
  std::string year = CurrentYearText(system);
  EXPECT_EQ(std::to_string(system.CurrentYear()), year);  // the year itself: the system tests
}

// The lines of a text file as range files are read: LF or CR LF ends a line, a lone CR is
// dropped, byte 26 ends the file, a final line end adds no line, an empty file is one line.
TEST(TextFileLines, SplitsLikeATextReader) {
  const std::vector<std::pair<std::string, TextList>> cases = {
      {"", {""}},           {"\n", {""}},           {"a", {"a"}},         {"a\n", {"a"}},
      {"a\n\n", {"a", ""}}, {"a\r\nb", {"a", "b"}}, {"a\rb\r\n", {"ab"}}, {"7\r\n8\0329\r\n", {"7", "8"}},
  };
  for (const auto& [bytes, lines] : cases)
    EXPECT_EQ(lines, TextFileLines(bytes)) << "bytes: " << VisibleText(bytes);
}

// ---- The guards that keep the user's files, each seen a second way ----------------------

// Each guard has its own test above; these reach it on another road, where a fault of one
// token in the guard would pass the first.
TEST(FileGuards, EachHoldsOnASecondRoad) {
  struct Guard {
    const char* name;
    std::function<void(ScriptedFixture&)> check;
  };
  const std::vector<Guard> guards{
#ifndef _WIN32  // names that Windows cannot store
      {"the listing leaves out every name a Windows path reads as something else",
       [](ScriptedFixture& f) {
         for (char c : std::string("<>:\"|?*\\\x01\x1f"))
           f.root.Write(std::string("drive_c/d/a") + c + ".out", "");
         f.root.Write("drive_c/d/plain.out", "");
         TextList list, skipped;
         ListFiles(f.system, "c:\\d\\*.out", list, &skipped);
         EXPECT_EQ(TextList{"plain.out"}, list);
         EXPECT_EQ(10u, skipped.size());
       }},
      {"a file anyone may write is deleted with its tree; a read-only one stays, with the target",
       [](ScriptedFixture& f) {
         for (const char* name : {"user.nec", "group.nec", "others.nec", "locked.nec"})
           f.root.Write(std::string("drive_c/t/") + name, "x");
         fs::permissions(f.root.driveC / "t/user.nec", fs::perms::owner_write);
         fs::permissions(f.root.driveC / "t/group.nec", fs::perms::group_write);
         fs::permissions(f.root.driveC / "t/others.nec", fs::perms::others_write);
         MakeReadOnly(f.root.driveC / "t/locked.nec");
         f.system.DeleteTree("c:\\t\\");
         std::vector<std::string> left;
         for (const auto& entry : fs::directory_iterator(f.root.driveC / "t"))
           left.push_back(entry.path().filename().string());
         EXPECT_EQ(std::vector<std::string>{"locked.nec"}, left);
       }},
#endif
      {"a read-only file gets no fresh file beside it",
       [](ScriptedFixture& f) {
         MakeReadOnly(f.root.Write("drive_c/work/table.txt", "old"));
         EXPECT_THROW(f.system.WriteFileBeside("c:\\work\\table.txt", "new"), InOutError);
         EXPECT_EQ(1,
                   std::distance(fs::directory_iterator(f.root.driveC / "work"), fs::directory_iterator()));
       }},
      {"a target folder that is a link loses only the link when it is made anew",
       [](ScriptedFixture& f) {
         const fs::path outside = f.root.Write("outside/precious.txt", "keep");
         fs::create_directories(f.root.driveC / "4nec2/b_in");
         if (!TestRoot::Link(f.root.driveC / "4nec2/b_in/E_", outside.parent_path())) return;
         TForm1 form{f.platform};
         EXPECT_TRUE(RecreateTargetFolder(form, "c:\\4nec2\\b_in\\E_\\",
                                          RecreateOptions::Generator("c:\\4nec2\\b_in\\")));
         EXPECT_EQ("keep", TestRoot::Read(outside));
         EXPECT_TRUE(fs::is_directory(fs::symlink_status(f.root.driveC / "4nec2/b_in/E_")));
       }},
      {"a target folder that leads onto the drive's root through a link is refused",
       [](ScriptedFixture& f) {
         f.root.Write("drive_c/4nec2/out/dipol.out", "canary");
         fs::create_directories(f.root.driveC / "work");
         if (!TestRoot::Link(f.root.driveC / "work/up", f.root.driveC)) return;
         TForm1 form{f.platform};
         EXPECT_FALSE(RecreateTargetFolder(form, "c:\\work\\up\\"));
         EXPECT_EQ("canary", TestRoot::Read(f.root.driveC / "4nec2/out/dipol.out"));
       }},
  };
  for (const Guard& guard : guards) {
    SCOPED_TRACE(guard.name);
    ScriptedFixture f;
    guard.check(f);
  }
}

}  // namespace varnel
