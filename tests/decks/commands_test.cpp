// Edit InputFile, NE-Card Info, RangeTest and the parameter sweep.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decks_fixture.hpp"

namespace varnel {

namespace {

using DeckCommands = DecksTest;
using SweepTest = DecksTest;

// A file dialog as "title in folder [filter #index] file name".
std::string DialogText(const FileDialogSpec& s) {
  return s.title + " in " + s.initialFolder + " [" + s.filter + " #" + std::to_string(s.filterIndex) + "] " +
         s.fileName;
}

TEST_F(DeckCommands, NECardInfoShowsTheFieldOrder) {
  form.NECardInfo1Click();
  EXPECT_EQ(std::vector<std::string>{"[Info] NE 0 #x #y #z firstx firsty firstz dx dy dz"}, ui.messages);
}

// Each command's file dialog opens where and with what it says; a cancel at any of them ends the
// command silently, writing nothing and leaving every pane and field as it was; the chosen deck
// opens with its program, the chosen range is listed as index and value.
TEST_F(DeckCommands, DialogsOpenWhereTheySayAndACancelWritesNothing) {
  WriteC("4nec2/b_in/Ranges/r.txt", "7,01\r\n14,2\r\n");
  WriteC("4nec2/b_in/dipol/keep.nec", "keep");
  const auto shown = [&] {
    std::string text = PaneText(form.M) + "|" + PaneText(form.Mout) + "|" + PaneText(form.Mdata);
    for (const DisplayField* field : form.Fields()) text += "|" + field->name + "=" + field->text;
    return text;
  };
  form.M.lines = {"NH 0 81 81 1 -40 -40 1.3 1 1 1"};
  AddLine(form.Mout, "old");
  form.Mdata.lines = {"//  table;", "    1,000;"};
  for (DisplayField* field : form.Fields()) field->text = field->name + " text";
  const std::string before = shown();
  for (const char* command : {"EditInputFile1Click", "RangeTest1Click", "CreateMultipleInputFiles1Click"}) {
    ui.AnswerOpen(std::nullopt);
    form.Run(command);
  }
  ui.AnswerOpen(std::string("c:\\4nec2\\b_in\\dipol.nec"));
  ui.AnswerOpen(std::nullopt);
  form.CreateMultipleInputFiles1Click();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(before, shown());
  EXPECT_EQ("keep", ReadC("4nec2/b_in/dipol/keep.nec"));
  std::vector<std::string> dialogs;
  for (const FileDialogSpec& spec : ui.openDialogs) dialogs.push_back(DialogText(spec));
  const std::string prototype =
      "Select Prototype File in c:\\4nec2\\b_in [All(*.*)|*.*|NEC (*.nec)|*.nec #2] ";
  EXPECT_EQ(
      (std::vector<std::string>{"Edit File in c:\\4nec2\\b_in [All(*.*)|*.*|nec (*.nec)|*.nec #2] dipol.nec",
                                "Select Range File in c:\\4nec2\\b_in [All(*.*)|*.*|Range (*.txt)|*.txt #2] ",
                                prototype, prototype,
                                "Select Range File in c:\\4nec2\\b_in\\Ranges [All(*.*)|*.*|Range "
                                "(*.txt)|*.txt #2] Range01 Test.txt"}),
      dialogs);

  ui.AnswerOpen(std::string("c:\\4nec2\\b_in\\dipol.nec"));
  form.EditInputFile1Click();
  EXPECT_EQ(std::vector<std::string>{"[Open] c:\\4nec2\\b_in\\dipol.nec"}, ui.messages);
  ui.AnswerOpen(std::string("c:\\4nec2\\b_in\\Ranges\\r.txt"));
  form.RangeTest1Click();
  const std::vector<std::string> expected{"------- Range Test ------", "  0:  7,01 MHz", "  1:  14,20 MHz",
                                          "----- Range Test End-----"};
  EXPECT_EQ(expected, form.Mout.lines);
}

// ---- Parameter sweep -------------------------------------------------------------------

const std::string kPrototype =
    "CM dipole XXF\r\nCE\r\nGW 1 xxn 0 0 -5 0 0 5 0.001\r\nGE 0\r\nEX 0 1 2 0 1 0\r\n"
    "FR 0 1 0 0 xxf 0\r\nXQ\r\nEN";

TEST_F(SweepTest, WritesOneDeckPerValueWithThePlaceholdersReplaced) {
  WriteC("4nec2/b_in/dipol.nec", kPrototype);
  WriteC("4nec2/b_in/Ranges/r.txt", "7\r\n7,1\r\n1500\r\n");
  WriteC("4nec2/b_in/dipol/DIPOL007.nec", "from an earlier, longer run");
  Sweep("c:\\4nec2\\b_in\\dipol.nec");

  EXPECT_TRUE(Warnings().empty());
  const std::vector<std::string> files{"dipol000.nec", "dipol001.nec", "dipol002.nec"};
  EXPECT_EQ(files, FilesIn("4nec2/b_in/dipol"));
  const char* values[] = {"7.00000", "7.10000", "1.5E3"};
  for (int i = 0; i < 3; ++i) {
    const std::string expected =
        "CM dipole XXF\r\nCE\r\nGW 1 3 0 0 -5 0 0 5 0.001\r\nGE 0\r\nEX 0 1 2 0 1 0\r\n"
        "FR 0 1 0 0 " +
        std::string(values[i]) + " 0\r\nXQ\r\nEN";
    EXPECT_EQ(expected, ReadC("4nec2/b_in/dipol/" + files[i]));
  }
  EXPECT_EQ(kPrototype, form.params.currentText);
  EXPECT_EQ(kPrototype, ReadC("4nec2/b_in/dipol.nec"));

  const std::vector<std::string> expectedPane{
      "New Folder sucessfully created: c:\\4nec2\\b_in\\dipol\\",
      "Source-File: c:\\4nec2\\b_in\\dipol.nec",
      "Destination-Directory: c:\\4nec2\\b_in\\dipol\\",
      "Parameter found in Sourcefile: 2",
      "Parameter Range: 7,0 ... 1500,0 Step: 746,5",
      "Creating new File: c:\\4nec2\\b_in\\dipol\\dipol000.nec Parameter: 7,0",
      "Creating new File: c:\\4nec2\\b_in\\dipol\\dipol001.nec Parameter: 7,1",
      "Creating new File: c:\\4nec2\\b_in\\dipol\\dipol002.nec Parameter: 1500,0",
      "--------- Batch Creation Job Done ---------"};
  EXPECT_EQ(expectedPane, form.Mout.lines);

  // A prototype without the placeholder is copied with xxn replaced.
  WriteC("4nec2/b_in/plain.nec", "GW 1 xxn 0 0 0 0 0 1 0.001\r\nXXN");
  Sweep("c:\\4nec2\\b_in\\plain.nec");
  EXPECT_EQ("GW 1 3 0 0 0 0 0 1 0.001\r\nXXN", ReadC("4nec2/b_in/plain/plain000.nec"));
  EXPECT_EQ("Parameter found in Sourcefile: 0", form.Mout.lines.at(3));
}

}  // namespace

}  // namespace varnel
