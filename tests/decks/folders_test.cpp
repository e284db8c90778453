// The target-folder recreation and the checks that keep it inside its own folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decks/folders.hpp"
#include "decks_fixture.hpp"

namespace varnel {

namespace {

// Every name that could reach beyond its folder is refused, and every folder more than one new
// component below its parent; ordinary names are taken.
TEST(TargetNames, RefusesEveryNameThatCouldReachBeyondItsFolderAndAcceptsOrdinaryNames) {
  std::vector<std::string> hostile{
      "",    ".",   "..",      "..\\x", "a..b", "x\\..", "a\\b",    "a/b",       "c:",   "a:b",
      "*",   "E_*", "a?",      "<a",    "a>",   "a|b",   "\"a\"",   "tab\there", "\x01", "del\x7f",
      "con", "CON", "nul.txt", "Com1",  "lpt9", "aux",   "prn.nec", "x.",        "x ",   " "};
  hostile.insert(hostile.end(), {std::string(201, 'a'), std::string("a\0b", 3)});  // too long; a NUL
  for (const std::string& name : hostile)
    EXPECT_NE("", TargetNameProblem(name)) << "accepted hostile name [" << name << "]";
  const std::vector<std::string> names{"E_",      "dipol", "my set", "a.b",   "com10",
                                       "console", "hc1",   "E-1_x",  " lead", std::string(200, 'a')};
  for (const std::string& name : names) EXPECT_EQ("", TargetNameProblem(name)) << "refused [" << name << "]";

  // A target folder is one new component below its parent.
  struct FolderCase {
    const char* folder;
    const char* root;
    bool accepted;
  };
  const std::vector<FolderCase> cases{
      {"c:\\4nec2\\b_in\\E_\\", "", true},
      {"c:\\4nec2\\b_in\\E_\\", "c:\\4nec2\\b_in\\", true},
      {"C:\\4NEC2\\B_IN\\E_\\", "c:\\4nec2\\b_in\\", true},
      {"C:\\4nec2\\b_out\\dipol\\", "C:\\4nec2\\b_out\\", true},
      {"z:\\home\\ann\\dipol\\", "z:\\home\\ann\\", true},
      {"c:\\4nec2\\b_in\\E_", "", false},  // no trailing backslash
      {"c:\\4nec2\\b_in\\\\", "", false},  // empty last component
      {"c:\\", "", false},                 // drive root
      {"\\", "", false},
      {"", "", false},
      {"E_\\", "", false},         // no parent
      {"c:\\4nec2\\", "", false},  // the fixed tree
      {"c:\\4nec2\\b_in\\", "", false},
      {"C:/4NEC2/B_OUT/", "", false},
      {"c:\\4nec2\\b_in\\Ranges\\", "", false},
      {"c:\\4nec2\\\\exe\\", "", false},
      {"c:\\4nec2\\out\\", "", false},
      {"c:\\4nec2\\b_in\\..\\", "", false},
      {"c:\\4nec2\\b_in\\x\\y\\", "c:\\4nec2\\b_in\\", false},  // two levels down
      {"c:\\4nec2\\b_out\\E_\\", "c:\\4nec2\\b_in\\", false},   // another parent
  };
  for (const FolderCase& c : cases)
    EXPECT_EQ(c.accepted, TargetFolderProblem(c.folder, c.root).empty())
        << "folder [" << c.folder << "] root [" << c.root << "]: " << TargetFolderProblem(c.folder, c.root);
}

using RecreateTest = DecksTest;

// A folder that survives its deletion stops the generator with a warning; then the folder is
// replaced whole, and nothing beside it. The batch conversion's options keep the pane.
TEST_F(RecreateTest, ReplacesTheWholeFolderAndNothingBeside) {
  WriteC("4nec2/b_in/E_/old.nec", "old");
  WriteC("4nec2/b_in/E_/sub/deep.nec", "deep");
  WriteC("4nec2/b_in/E_x/keep.nec", "sibling");
  WriteC("4nec2/b_in/E_.nec", "beside");
  AddLine(form.Mout, "before");
  const RecreateOptions generator = RecreateOptions::Generator("c:\\4nec2\\b_in\\");
  system.failDeleteTree = true;
  EXPECT_FALSE(RecreateTargetFolder(form, "c:\\4nec2\\b_in\\E_\\", generator));
  EXPECT_EQ(std::vector<std::string>{"Folder still exists. Abort command!"}, Warnings());
  EXPECT_EQ(std::vector<std::string>{"before"}, form.Mout.lines);

  system.failDeleteTree = false;
  ui.messages.clear();
  ASSERT_TRUE(RecreateTargetFolder(form, "c:\\4nec2\\b_in\\E_\\", generator));
  EXPECT_TRUE(std::filesystem::is_directory(PathC("4nec2/b_in/E_")));
  EXPECT_TRUE(FilesIn("4nec2/b_in/E_").empty());
  EXPECT_EQ("sibling", ReadC("4nec2/b_in/E_x/keep.nec"));
  EXPECT_EQ("beside", ReadC("4nec2/b_in/E_.nec"));
  const std::vector<std::string> expected{"New Folder sucessfully created: c:\\4nec2\\b_in\\E_\\",
                                          "Destination-Directory: c:\\4nec2\\b_in\\E_\\"};
  EXPECT_EQ(expected, form.Mout.lines);
  EXPECT_TRUE(Warnings().empty());

  // The batch conversion keeps the pane and writes no destination line; a missing parent stops
  // with a warning.
  WriteC("4nec2/b_out/dipol/dipol000.out", "old output");
  ClearPane(form.Mout);
  AddLine(form.Mout, "--------------- Batch Conversion ----------------");
  ASSERT_TRUE(RecreateTargetFolder(form, "C:\\4nec2\\b_out\\dipol\\", RecreateOptions::BatchConversion()));
  EXPECT_EQ((std::vector<std::string>{"--------------- Batch Conversion ----------------",
                                      "Old Folder sucessfully deleted: C:\\4nec2\\b_out\\dipol\\",
                                      "New Folder sucessfully created: C:\\4nec2\\b_out\\dipol\\"}),
            form.Mout.lines);
  EXPECT_TRUE(FilesIn("4nec2/b_out/dipol").empty());

  ClearPane(form.Mout);
  EXPECT_FALSE(RecreateTargetFolder(form, "c:\\4nec2\\b_in\\no\\E_\\"));
  EXPECT_EQ(std::vector<std::string>{"Folder was not created. Abort command!"}, Warnings());
  EXPECT_EQ(std::vector<std::string>{"Old Folder sucessfully deleted: c:\\4nec2\\b_in\\no\\E_\\"},
            form.Mout.lines);
}

TEST_F(RecreateTest, RefusedFolderTouchesNothing) {
  WriteC("4nec2/b_in/keep.nec", "deck");
  WriteC("4nec2/b_out/run/a.out", "output");
  const auto before = Snapshot();
  for (const char* folder : {"c:\\4nec2\\b_in\\", "c:\\4nec2\\", "c:\\", "c:\\4nec2\\b_out\\",
                             "c:\\4nec2\\b_in\\..\\", "c:\\4nec2\\b_in"}) {
    EXPECT_FALSE(RecreateTargetFolder(form, folder)) << folder;
    EXPECT_FALSE(CreateTargetFolder(form, folder)) << folder;
  }
  EXPECT_EQ(before, Snapshot());
  EXPECT_EQ(12u, Warnings().size());
  EXPECT_TRUE(form.Mout.lines.empty());
}

}  // namespace

}  // namespace varnel
