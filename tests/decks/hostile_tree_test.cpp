// Every command that deletes and recreates a folder, run over targets that hold hostile names
// and links: nothing outside the target changes and the command ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "decks/folders.hpp"
#include "decks_fixture.hpp"

namespace varnel {

namespace fs = std::filesystem;

namespace {

class HostileTreeTest : public DecksTest {
 protected:
  HostileTreeTest() {
    WriteC("4nec2/out/dipol.out", "canary out");
    WriteC("4nec2/exe/nec2dxs1k5.exe", "canary exe");
    WriteC("4nec2/b_in/Ranges/r.txt", "7\r\n");
    WriteC("4nec2/b_in/dipol.nec", "FR 0 1 0 0 xxf 0\r\nEN");
    WriteC("4nec2/canary/keep.txt", "canary beside");
    outside = root.Write("outside/precious.txt", "canary outside");
  }

  // Plants inside the (native) folder below drive c: the names that could lead out of it, and
  // links to the folder outside the tree where the system makes them.
  void Plant(const std::string& folder) {
#ifdef _WIN32
    // Names that the ordinary path form reads as devices or trims, stored as names.
    fs::create_directories(PathC(folder));
    for (const char* name : {"nul", "NUL.nec", "prn", "lpt1.out", "trailing. "})
      ASSERT_TRUE(TestRoot::WriteStored(PathC(folder + "/" + name), "hostile file")) << name;
#else
    // Names that hold Windows separators.
    WriteC(folder + "/..\\..\\out\\dipol.out", "hostile file");
    WriteC(folder + "/..\\../inner.txt", "inside a folder named ..\\..");
    fs::create_directories(PathC(folder + "/..\\..\\canary"));
#endif
    TestRoot::Link(PathC(folder + "/folderlink"), outside.parent_path());
    TestRoot::Link(PathC(folder + "/filelink.nec"), outside);
  }

  void ExpectCanariesAlive(const std::string& what) {
    EXPECT_EQ("canary out", ReadC("4nec2/out/dipol.out")) << what;
    EXPECT_EQ("canary exe", ReadC("4nec2/exe/nec2dxs1k5.exe")) << what;
    EXPECT_EQ("7\r\n", ReadC("4nec2/b_in/Ranges/r.txt")) << what;
    EXPECT_EQ("canary beside", ReadC("4nec2/canary/keep.txt")) << what;
    EXPECT_EQ("canary outside", TestRoot::Read(outside)) << what;
  }

  fs::path outside;
};

struct Recreation {
  const char* name;
  const char* target;  // below drive c:, native
  std::function<void()> run;
  const char* ownName;  // a deck name it writes, when it refuses a target holding other names
};

TEST_F(HostileTreeTest, RecreatingATargetNeverReachesOutsideIt) {
  const std::vector<Recreation> commands{
      {"Generate EUTs", "4nec2/b_in/E_",
       [&] {
         Euts({"1", "3", "1,5", "1", "1", "E_", ""}, "c:\\4nec2\\b_in\\Ranges\\r.txt");
       },
       "E_000_000.nec"},
      {"Random phases", "4nec2/b_in/hc1", [&] { Phases("7", "1"); }, "hc1000.nec"},
      {"Batch Conversion", "4nec2/b_out/E_",
       [&] {
         ui.AnswerFolder("c:\\4nec2\\b_in\\E_");
         ui.AnswerConfirm(true);
         form.BatchConversion1Click();
       },
       nullptr},
  };
  fs::create_directories(PathC("4nec2/b_in/E_"));
  for (const Recreation& command : commands) {
    Plant(command.target);
    // Links are planted where the system makes them (Wine makes none).
    const bool linked = fs::exists(fs::symlink_status(PathC(std::string(command.target) + "/folderlink")));
    ui.messages.clear();
    command.run();
    ExpectCanariesAlive(command.name);
    EXPECT_TRUE(fs::is_directory(PathC(command.target))) << command.name;
    const std::string target = command.target;
    const bool linkLeft = fs::exists(fs::symlink_status(PathC(target + "/folderlink")));
    EXPECT_EQ(command.ownName != nullptr && linked, linkLeft) << command.name;
    if (command.ownName == nullptr) continue;
    ASSERT_EQ(1u, Warnings().size()) << command.name;
    EXPECT_TRUE(Warnings()[0].ends_with(", which is not a file of this set. Abort command!"))
        << Warnings()[0];
#ifdef _WIN32
    // The device names planted on Windows are not for std::filesystem to remove.
    continue;
#endif

    // A link of its own deck's name is removed, never followed.
    fs::remove_all(PathC(target));
    fs::create_directories(PathC(target));
    if (!TestRoot::Link(PathC(target + "/" + command.ownName), outside)) continue;
    ui.messages.clear();
    command.run();
    EXPECT_TRUE(Warnings().empty()) << command.name;
    ExpectCanariesAlive(command.name);
    EXPECT_FALSE(fs::is_symlink(PathC(target + "/" + command.ownName))) << command.name;
  }
}

// A refused command names what it found and leaves every file as it was (the prototype's text
// and the Info pane included); a warning given with "..." is matched by its other end.
TEST_F(HostileTreeTest, ARefusedCommandChangesNothing) {
  WriteC("4nec2/b_out/decks/a.nec", "deck a");
  WriteC("4nec2/b_out/decks/b.nec", "deck b");
  WriteC("4nec2/work/antenna.nec", "FR 0 1 0 0 xxf 0");
  WriteC("4nec2/work/antenna/notes.txt", "my notes");
  WriteC("4nec2/work/antenna/antenna000.nec", "old deck");
  WriteC("4nec2/b_in/gone/gone000.nec", "earlier deck");
  Plant("4nec2/b_in/dipol");
  form.params.currentText = "earlier text";
  std::vector<std::pair<std::function<void()>, std::string>> cases{
      {[&] { Sweep("c:\\4nec2\\b_in\\dipol.nec"); },
       "..., which is not a deck of this sweep. Abort command!"},
      {[&] {
         ui.AnswerFolder("c:\\4nec2\\b_out\\decks");
         form.BatchConversion1Click();
       },
       "The output folder C:\\4nec2\\b_out\\decks\\ would delete the decks of c:\\4nec2\\b_out\\decks. "
       "Abort command!"},
      {[&] { Sweep("c:\\4nec2\\work\\antenna.nec"); },
       "The folder c:\\4nec2\\work\\antenna\\ holds notes.txt, which is not a deck of this sweep. "
       "Abort command!"},
      {[&] { Sweep("c:\\4nec2\\b_in\\gone.nec"); },
       "Die Datei c:\\4nec2\\b_in\\gone.nec konnte nicht gefunden werden."},
  };
  // Fixed folders, however the path spells them: each target is one, and each prototype's base
  // name is one once the path is resolved.
  const bool linked = TestRoot::Link(PathC("4nec2/b_in/tree"), PathC("4nec2"));
  WriteC("4nec2/b_in/tree.nec", "x");
  WriteC("4nec2/b_in.nec", "x");
  WriteC("4nec2/b_in/sub/x", "");
  const std::string z = TestRoot::OffDriveC(root.driveC);
  std::vector<std::string> prototypes{"c:\\4nec2\\b_in\\..\\b_in.nec", "c:\\4nec2\\.\\b_in.nec",
                                      "C:\\4NEC2\\B_IN.nec", z + "/4nec2/b_in.nec",
                                      "c:\\4nec2\\b_in\\sub\\..\\..\\b_in.nec"};
  std::vector<std::string> targets{"c:\\4nec2\\b_in\\..\\b_in\\", "c:\\4nec2\\.\\b_in\\", z + "/4nec2/b_in/",
                                   "c:\\4nec2\\b_in\\sub\\..\\..\\exe\\",
                                   TestRoot::OffDriveC(root.dir) + "/"};
  if (linked) {
    prototypes.push_back("c:\\4nec2\\b_in\\tree.nec");
    targets.push_back("c:\\4nec2\\b_in\\tree\\");
  }
  for (const std::string& target : targets)
    cases.push_back({[&, target] { EXPECT_FALSE(RecreateTargetFolder(form, target)) << target; },
                     "Target folder refused (the folder is or holds ..."});
  for (const std::string& prototype : prototypes)
    cases.push_back({[&, prototype] { Sweep(prototype); }, "...Abort command!"});
  // Prototype names whose sweep folder would delete more than its decks.
  for (const auto& [native, prototype] : {std::pair{"b_in/.nec", "b_in\\.nec"},
                                          {"b_in/a..nec", "b_in\\a..nec"},
                                          {"b_in/Ranges.nec", "b_in\\Ranges.nec"},
                                          {"b_out.nec", "b_out.nec"}}) {
    WriteC("4nec2/" + std::string(native), "FR 0 1 0 0 xxf 0");
    cases.push_back({[&, prototype] { Sweep("c:\\4nec2\\" + std::string(prototype)); }, "..."});
  }
  const auto before = Snapshot();
  for (const auto& [run, warning] : cases) {
    ui.messages.clear();
    run();
    ASSERT_EQ(1u, Warnings().size()) << warning;
    if (warning.starts_with("..."))
      EXPECT_TRUE(Warnings()[0].ends_with(warning.substr(3))) << Warnings()[0];
    else if (warning.ends_with("..."))
      EXPECT_TRUE(Warnings()[0].starts_with(warning.substr(0, warning.size() - 3))) << Warnings()[0];
    else
      EXPECT_EQ(warning, Warnings()[0]);
    EXPECT_EQ(before, Snapshot()) << warning;
  }
  ExpectCanariesAlive("refusals");
  EXPECT_EQ("earlier text", form.params.currentText);
  EXPECT_EQ(std::string::npos, PaneText(form.Mout).find("Converting"));

  // A folder of the sweep's own name holding only earlier decks of its naming: replaced.
  fs::remove(PathC("4nec2/work/antenna/notes.txt"));
  ui.messages.clear();
  Sweep("c:\\4nec2\\work\\antenna.nec");
  EXPECT_TRUE(Warnings().empty());
  EXPECT_EQ("FR 0 1 0 0 7.00000 0", ReadC("4nec2/work/antenna/antenna000.nec"));
}

}  // namespace

}  // namespace varnel
