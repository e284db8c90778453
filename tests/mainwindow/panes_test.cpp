// The panes as lists of lines, and the export commands of the data pane.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mainwindow/window_fixture.hpp"
#include "util/files.hpp"

namespace varnel {

namespace {

using Lines = std::vector<std::string>;

// ---- Pane operations -------------------------------------------------------------------------

// Lines share large blocks: changing lines in place many times (the "......done." of a long
// conversion list), clearing, copying and reusing a pane keep every line's text.
TEST(PaneOperations, LinesKeepTheirTextThroughChangesClearsAndCopies) {
  Pane pane;
  Lines expected;
  for (int i = 0; i < 3000; ++i) {
    AddLine(pane, "Converting: deck" + std::to_string(i) + "\r\nnext");
    expected.push_back("Converting: deck" + std::to_string(i));
    expected.push_back("next");
  }
  for (std::size_t i = 0; i + 1 < expected.size(); i += 2) {
    AppendToLine(pane, i, "......done.");
    expected[i] += "......done.";
  }
  EXPECT_EQ(expected, pane.lines);
  const Pane copy = pane;
  ClearPane(pane);
  AddLine(pane, std::string(100000, 'x') + "\r\nshort");
  EXPECT_EQ(expected, copy.lines);
  EXPECT_EQ((Lines{std::string(100000, 'x'), "short"}), pane.lines);
}

// A generator adds every deck it writes to the Data pane as lines; 60 000 decks must not cost
// much more than their text: no per-line strings, no line breaks kept, no doubled room.
TEST(PaneOperations, ManyDeckLinesCostAboutTheirText) {
  const std::string card = "GW 1 5 -1.00000E-01 2.10000E-01 0.0 1.00000E-01 2.1E-01";  // 56 chars
  std::string deck;
  for (int i = 0; i < 40; ++i) deck += card + "\r\n";
  deck += "EN";
  Pane pane;
  std::size_t text = 0;
  for (int i = 0; i < 2000; ++i) {
    AddLine(pane, deck);
    text += deck.size() - 2 * 40;
  }
  ASSERT_EQ(pane.lines.size(), 2000u * 41);
  EXPECT_EQ(pane.lines[41 * 7 + 3], card);
  EXPECT_EQ(pane.lines[41 * 8 - 1], "EN");
  EXPECT_LT(static_cast<double>(pane.lines.HeapBytes()), 1.3 * static_cast<double>(text));
}

TEST(PaneOperations, AddLineAppendsPrefixAndTextSplitAtLineBreaks) {
  struct Case {
    std::string text, prefix;
    Lines added;
  };
  const std::vector<Case> cases = {
      {"abc", "", {"abc"}},
      {"", "", {""}},
      {"a\r\nb\r\nc", "", {"a", "b", "c"}},
      {"7,01 MHz", "Load: ", {"Load: 7,01 MHz"}},
      {"first\r\nsecond", "> ", {"> first", "second"}},
      {"a\r\n", "", {"a", ""}},
      {"\r\n\r\n", "", {"", "", ""}},
      {"a\nb", "", {"a", "b"}},
      {"a\rb", "", {"a", "b"}},
      {"a\r\rb", "", {"a", "", "b"}},
      {"a\n\rb", "", {"a", "", "b"}},
      {"a\r\r\nb\n", "", {"a", "", "b", ""}},
      {"\r", "p", {"p", ""}},
      {"\nx\r\ny\rz", "> ", {"> ", "x", "y", "z"}},
  };
  for (const Case& c : cases) {
    Pane pane;
    AddLine(pane, "before");
    AddLine(pane, c.text, c.prefix);
    Lines expected = {"before"};
    expected.insert(expected.end(), c.added.begin(), c.added.end());
    EXPECT_EQ(expected, pane.lines) << "text \"" << c.text << "\": got " << Bracketed(pane.lines);
    std::string crlf;
    for (const std::string& line : expected) crlf += line + "\r\n";
    EXPECT_EQ(crlf, PaneText(pane)) << "every line ends with CR LF";
    if (!c.prefix.empty()) continue;
    // The same lines when the pane shares the text instead of copying it.
    Pane shared;
    AddLine(shared, "before");
    AddSharedLines(shared, SharedText(c.text));
    EXPECT_EQ(expected, shared.lines) << "shared text \"" << c.text << "\": got " << Bracketed(shared.lines);
  }
}

// A pane that shares a text keeps showing it when its holder gets another text or changes it,
// through copies of the pane, and lets go of it when cleared.
TEST(PaneOperations, SharedLinesOutliveTheirHoldersText) {
  SharedText current("one\r\ntwo");
  Pane pane;
  AddSharedLines(pane, current);
  std::weak_ptr<const std::string> held = current.Share();
  current.Mutable() += " more";  // a copy of its own: the pane's text stays
  EXPECT_EQ(current, "one\r\ntwo more");
  current = "other";
  EXPECT_EQ((Lines{"one", "two"}), pane.lines);
  const Pane copy = pane;
  EXPECT_EQ((Lines{"one", "two"}), copy.lines);
  EXPECT_FALSE(held.expired());
  ClearPane(pane);
  EXPECT_TRUE(held.expired());
  EXPECT_EQ((Lines{"one", "two"}), copy.lines);

  // Lines added or changed behind a shared text that nobody has looked at yet come after it.
  Pane later;
  AddSharedLines(later, SharedText("a\r\nb"));
  AddLine(later, "c");
  AddSharedLines(later, SharedText("d"));
  AppendToLastLine(later, "e");
  AddSharedLines(later, SharedText("f\ng"));
  AppendToLine(later, 1, "!");
  EXPECT_EQ((Lines{"a", "b!", "c", "de", "f", "g"}), later.lines);
}

TEST(PaneOperations, ClearAppendAndScroll) {
  Pane pane;
  AddLine(pane, "one");
  AddLine(pane, "Converting: a.nec");
  const auto revision = pane.revision;
  AppendToLastLine(pane, " done");
  EXPECT_EQ((Lines{"one", "Converting: a.nec done"}), pane.lines);
  EXPECT_GT(pane.revision, revision);

  ScrollToTop(pane);
  ScrollToTop(pane);
  EXPECT_EQ(2u, pane.scrollRequest);
  EXPECT_EQ((Lines{"one", "Converting: a.nec done"}), pane.lines) << "scrolling changes no line";

  ClearPane(pane);
  EXPECT_TRUE(pane.lines.empty());
  EXPECT_EQ("", PaneText(pane));
  AppendToLastLine(pane, "alone");
  EXPECT_EQ((Lines{"alone"}), pane.lines);
}

// A binding redraws only appended lines when nothing before them changed; every other change
// (the case of two folders listed one after the other included) is a whole redraw.
TEST(PaneOperations, ChangeSinceTellsAppendedLinesFromEveryOtherChange) {
  struct Case {
    const char* what;
    void (*change)(Pane&);
    PaneChange expected;
  };
  const Case cases[] = {
      {"nothing", [](Pane&) {}, PaneChange::None},
      {"scroll only", [](Pane& p) { ScrollToTop(p); }, PaneChange::None},
      {"one line added", [](Pane& p) { AddLine(p, "c"); }, PaneChange::Appended},
      {"a text of lines added", [](Pane& p) { AddLine(p, "c\r\nd"); }, PaneChange::Appended},
      {"cleared and refilled longer", [](Pane& p) { ClearPane(p), AddLine(p, "x\r\ny\r\nz"); },
       PaneChange::Rewritten},
      {"cleared and refilled, same last line", [](Pane& p) { ClearPane(p), AddLine(p, "x\r\nb\r\nc"); },
       PaneChange::Rewritten},
      {"last line extended", [](Pane& p) { AppendToLastLine(p, " done"); }, PaneChange::Rewritten},
      {"earlier line extended", [](Pane& p) { AppendToLine(p, 0, " done"); }, PaneChange::Rewritten},
      {"edited lines handed back",
       [](Pane& p) {
         ReplacePaneLines(p, Lines{"a", "b", "typed"});
       },
       PaneChange::Rewritten},
  };
  for (const Case& c : cases) {
    Pane pane;
    AddLine(pane, "a\r\nb");
    const PaneLook look = LookAt(pane);
    c.change(pane);
    EXPECT_EQ(c.expected, ChangeSince(pane, look)) << c.what;
    EXPECT_EQ(PaneChange::None, ChangeSince(pane, LookAt(pane))) << c.what;
  }
  EXPECT_EQ(PaneChange::Rewritten, ChangeSince(Pane{}, PaneLook{})) << "a first look redraws";
}

// A cleared pane's line strings are taken for the lines added next (to this pane or another):
// no old characters may show through, whatever the lengths.
TEST(PaneOperations, LinesAfterClearHoldOnlyTheNewText) {
  Pane big, other;
  std::string text;
  for (int i = 0; i < 300; ++i) text += std::string(static_cast<std::size_t>(i % 7) * 20, 'x') + "\r\n";
  AddLine(big, text);
  ASSERT_EQ(301u, big.lines.size());
  ClearPane(big);
  EXPECT_TRUE(big.lines.empty());
  AddLine(other, "kept");
  AddLine(other, "ab\r\n\r\ncd", "> ");
  AddLine(big, "1\r\n22");
  AddLine(big, "");
  EXPECT_EQ((Lines{"kept", "> ab", "", "cd"}), other.lines) << Bracketed(other.lines);
  EXPECT_EQ((Lines{"1", "22", ""}), big.lines) << Bracketed(big.lines);
  ClearPane(other);
  ClearPane(big);
  AddLine(big, text);
  EXPECT_EQ(text, PaneText(big).substr(0, text.size()));
}

// ---- Clipboard -------------------------------------------------------------------------------

TEST_F(WindowTest, CopyToClipboardTakesTheDataPaneOnly) {
  AddLine(form.Mout, "info");
  AddLine(form.Mdata, "// table\r\n\r\n    1.000;");
  form.Run("MICopytoClipboardClick");
  EXPECT_EQ("// table\r\n\r\n    1.000;\r\n", ui.ClipboardText());
  CopyTextToClipboard(ui, "x");
  form.Run("CopytoClipboard1");  // the same command from PopupMenu2
  EXPECT_EQ("// table\r\n\r\n    1.000;\r\n", ui.ClipboardText());
}

// ---- Column copy -----------------------------------------------------------------------------

// Each column entry copies its column of every row of the tables in the Data pane, an empty
// piece where a row is too short, nothing from headings and blank lines.
TEST_F(WindowTest, CopyColumnTakesEveryRowOfEachTable) {
  const Lines nearField = {"// Batch NearField at Point P", "", "//  Freq;    Power;    Field;",
                           "//   MHz;        W;      V/m;"};
  const auto with = [](Lines head, const Lines& rows) {
    head.insert(head.end(), rows.begin(), rows.end());
    return head;
  };
  const Lines shortRows = {"    1.000;    2.000;    3.000;", "", "typed by hand",
                           "    4.000;    5.000;    6.000;"};
  struct Case {
    const char* table;
    Lines lines;
    int column;
    std::string copied;
  };
  const Case cases[] = {
      {"Copy Field",
       with(nearField,
            {"    7.010;    1.000;    0.123;    0.456;", "   14.200;    1.000;   12.500;   13.000;"}),
       3, "    0.123\r\n   12.500\r\n"},
      {"no lines", {}, 1, ""},
      {"three header lines", Lines(3, "// a;b;c;"), 1, ""},
      {"four header lines", Lines(4, "// a;b;c;"), 1, ""},
      {"a short line, the empty line is no row", with(nearField, shortRows), 3,
       "    3.000\r\n\r\n    6.000\r\n"},
      {"one line per row, all empty", with(nearField, shortRows), 10, "\r\n\r\n\r\n"},
      {"power",
       {"//  Freq ;  Pwr  ;", "//  MHz ;   W   ;", "      7;        1;", "     14;        2;",
        "     21;        3;"},
       2,
       "        1\r\n        2\r\n        3\r\n"},
      {"EUT",
       {"", "//  Numb ;  Cyl. ;", "//       ;       ;", "        1;     0,5;", "        2;     0,7;"},
       2,
       "     0,5\r\n     0,7\r\n"},
      {"rows left after a split run", {"       21;     0,9;"}, 2, "     0,9\r\n"},
      {"a heading among the rows",
       {"        1;       a;", "// note", "        2;       b;"},
       2,
       "       a\r\n       b\r\n"},
  };
  for (const Case& c : cases) {
    ClearPane(form.Mdata);
    for (const std::string& line : c.lines) AddLine(form.Mdata, line);
    CopyTextToClipboard(ui, "old");
    form.Run("MICopyColomn" + std::to_string(c.column));
    EXPECT_EQ(c.copied, ui.ClipboardText()) << c.table;
  }
  // Each entry copies its own column, and says what it copied.
  ClearPane(form.Mdata);
  for (const char* header : {"// Batch", "", "// f;P;", "// MHz;W;"}) AddLine(form.Mdata, header);
  AddLine(form.Mdata, "c0;c1;c2;c3;c4;c5;c6;c7;c8;c9;");
  for (int k = 1; k <= 10; ++k) {
    ASSERT_TRUE(form.Run("MICopyColomn" + std::to_string(k)));
    EXPECT_EQ("c" + std::to_string(k - 1) + "\r\n", ui.ClipboardText()) << "MICopyColomn" << k;
  }
  ASSERT_TRUE(form.Run("MICopyColomn1Click"));
  EXPECT_EQ("c0\r\n", ui.ClipboardText());
  EXPECT_EQ("Copied column 1 to the clipboard (1 line)", ProgressText(form.progress, 0));
  ASSERT_TRUE(form.Run("MICopytoClipboard"));
  EXPECT_EQ("Copied the Data pane to the clipboard (5 lines)", ProgressText(form.progress, 0));
}

// The column entries are named after the table in the Data pane once a command has run: the
// near-field table (and no table) keeps the names of its columns, another table gives its own.
TEST_F(WindowTest, ColumnEntriesTakeTheHeadingsOfTheTableShown) {
  const std::string partCaptions = "Copy Frequencies|Copy Power|Copy Imag(V)|Copy Imag(Z)|";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, partCaptions},
      {{"//  Freq ;    Pwr  ;    E_H  ;  E_Hcorr;    Ur   ;    Ui   ;    Ir   ;    Ii   ;    Zr   ;    Zi   "
        ";"},
       partCaptions},
      {{"", "//  Numb ;   Cyl.  ;    Cir  ;   Point ;    Freq ;    Pwr  ;", "//       ;"},
       "Copy Numb|Copy Cyl.|Copy Pwr|Copy Column 10|"},
  };
  for (const auto& [lines, expected] : cases) {
    ClearPane(form.Mdata);
    for (const std::string& line : lines) AddLine(form.Mdata, line);
    form.Run("MICopytoClipboardClick");
    std::string captions;
    for (int k : {1, 2, 6, 10})
      captions += form.FindMenuItem("MICopyColomn" + std::to_string(k))->caption + "|";
    EXPECT_EQ(expected, captions);
  }
}

// ---- Save as Txt -----------------------------------------------------------------------------

// Save as Txt offers the desktop and the text filter, and a cancel shows nothing. The Data pane is
// written with CR LF over an older, longer file; an empty pane gives an empty file. A failed replace
// leaves the existing file as it was; a missing folder ends in the error box. The pane is unchanged.
TEST_F(WindowTest, SaveAsTxtWritesTheDataPaneWithCrLfOrLeavesTheFileAsItWas) {
  ui.AnswerSave(std::nullopt);
  form.Run("MISaveasTxtClick");
  ASSERT_EQ(1u, ui.saveDialogs.size());
  const FileDialogSpec& spec = ui.saveDialogs[0];
  EXPECT_EQ(DesktopFolder(system), spec.initialFolder);
  EXPECT_EQ("txt", spec.defaultExt);
  EXPECT_EQ("Alle Dateien (*.*)|*.*|TextDateien (*.txt)|*.txt", spec.filter);
  EXPECT_EQ(2, spec.filterIndex);
  EXPECT_TRUE(ui.boxes.empty()) << "a cancel shows nothing";

  root.Write("drive_c/table.txt", "an older table that is longer than the new one\r\n");
  for (const char* command : {"MISaveasTxt", "SaveasTxt1"}) {
    ui.AnswerSave(std::string("c:\\table.txt"));
    form.Run(command);
    EXPECT_EQ(form.Mdata.lines.empty() ? "" : "// table\r\n    1.000;    2.000;\r\n",
              TestRoot::Read(root.driveC / "table.txt"));
    AddLine(form.Mdata, "// table");
    AddLine(form.Mdata, "    1.000;    2.000;");
  }

  root.Write("drive_c/keep.txt", "old content\r\n");
  system.replaceFailure = 5;
  ui.AnswerSave(std::string("c:\\keep.txt"));
  form.Run("MISaveasTxtClick");
  EXPECT_EQ("old content\r\n", TestRoot::Read(root.driveC / "keep.txt"));
  system.replaceFailure.reset();
  ui.AnswerSave(std::string("c:\\no such folder\\t.txt"));
  form.Run("MISaveasTxtClick");
  const auto errors = ui.BoxesOf(MessageKind::Error);
  ASSERT_EQ(2u, errors.size()) << out.str();
  EXPECT_EQ("Dateizugriff verweigert.", errors[0].text);
  EXPECT_EQ("Varnel", errors[1].title);
  EXPECT_EQ('.', errors[1].text.back()) << errors[1].text;
  EXPECT_EQ(4u, form.Mdata.lines.size()) << "the pane is unchanged";
}

}  // namespace

}  // namespace varnel
