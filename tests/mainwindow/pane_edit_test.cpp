// The pane editor both windows use: keys, clicks and typing change the pane's lines in place.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/pane_edit.hpp"
#include "mainwindow/window_fixture.hpp"

namespace varnel {

namespace {

using Lines = std::vector<std::string>;
using Step = std::function<void(PaneEditor&, Pane&, UserInterface&)>;

bool editable = true;  // what the steps of the case at hand pass for "the text may change"

Step K(PaneKey key, unsigned modifiers = kNoModifier) {
  return [=](PaneEditor& e, Pane&, UserInterface& ui) { e.Press(key, modifiers, ui, editable); };
}
Step T(std::string text) {
  return [=](PaneEditor& e, Pane&, UserInterface&) { e.Type(text, editable); };
}
Step At(std::size_t line, std::size_t column, bool extend = false) {
  return [=](PaneEditor& e, Pane&, UserInterface&) { e.Click({line, column}, extend); };
}
Step Field(std::size_t line, std::size_t column) {
  return [=](PaneEditor& e, Pane&, UserInterface&) { e.SelectField({line, column}); };
}
Step DragTo(std::size_t line, std::size_t column) {
  return [=](PaneEditor& e, Pane&, UserInterface&) { e.DragTo({line, column}); };
}
Step Rows(std::size_t shown) {
  return [=](PaneEditor& e, Pane&, UserInterface&) { e.SetPageRows(shown); };
}
Step Clipboard(std::string text) {
  return [=](PaneEditor&, Pane&, UserInterface& ui) { ui.SetClipboardText(text); };
}
Step Command(std::function<void(Pane&)> change) {
  return [=](PaneEditor&, Pane& p, UserInterface&) { change(p); };
}

using enum PaneKey;

TEST_F(WindowTest, PaneEditorKeysChangeLinesCaretSelectionAndClipboard) {
  // lines: the pane's lines after the steps, none where they are the start's; anchor: none where
  // the selection ends empty at the caret.
  struct Case {
    const char* what;
    Lines start;
    std::vector<Step> steps;
    TextPos caret;
    std::optional<Lines> lines;
    std::optional<TextPos> anchor;
    std::string clipboard = "(untouched)";
    bool editable = true;
  };
  const std::vector<Case> cases = {
      {"typing into an empty pane", {}, {T("ab")}, {0, 2}, Lines{"ab"}},
      {"8-bit characters stay bytes", {"x"}, {At(0, 1), T("\260C")}, {0, 3}, Lines{"x\260C"}},
      {"control characters are not typed; Tab is", {""}, {T("a\x01\x7f"), K(Tab)}, {0, 2}, Lines{"a\t"}},
      {"Enter splits the line", {"abcd"}, {At(0, 2), K(Enter)}, {1, 0}, Lines{"ab", "cd"}},
      {"Backspace at a line start joins", {"ab", "cd"}, {At(1, 0), K(Backspace)}, {0, 2}, Lines{"abcd"}},
      {"Shift+Backspace is Backspace", {"ab"}, {At(0, 2), K(Backspace, kShift)}, {0, 1}, Lines{"a"}},
      {"Delete at a line end joins", {"ab", "cd"}, {At(0, 2), K(Delete)}, {0, 2}, Lines{"abcd"}},
      {"nothing before the start or behind the end",
       {"ab"},
       {At(0, 0), K(Backspace), K(Left), K(Up), K(End), K(Delete), K(Right), K(Down)},
       {0, 2}},
      {"arrows cross line ends", {"ab", "cd"}, {At(1, 0), K(Left), K(Right), K(Right)}, {1, 1}},
      {"Up and Down keep the column", {"abcdef", "x", "abcdef"}, {At(0, 4), K(Down), K(Down)}, {2, 4}},
      {"Home, End, Ctrl+Home, Ctrl+End",
       {"ab", "cde"},
       {At(0, 1), K(End, kControl), K(Home), K(End), K(Home, kControl)},
       {0, 0}},
      {"a page is the shown rows",
       {"1", "2", "3", "4", "5"},
       {Rows(2), At(0, 0), K(PageDown), K(PageDown), K(PageDown), K(PageUp)},
       {2, 0}},
      {"Shift+arrows select, Ctrl+C copies",
       {"abcd"},
       {At(0, 1), K(Right, kShift), K(Right, kShift), K(C, kControl)},
       {0, 3},
       {},
       TextPos{0, 1},
       "bc"},
      {"an arrow ends the selection at its side",
       {"abcd"},
       {At(0, 1), K(Right, kShift), K(Right, kShift), K(Left)},
       {0, 1}},
      {"a selection over lines cut",
       {"ab", "cd", "ef"},
       {At(0, 1), K(Down, kShift), K(Down, kShift), K(X, kControl)},
       {0, 1},
       Lines{"af"},
       {},
       "b\r\ncd\r\ne"},
      {"a double-click selects the field under it, at the line's end the last one",
       {"  -40.0000  5.0837E-07;x"},
       {Field(0, 14), K(Insert, kControl), Field(0, 24), T("y")},
       {0, 24},
       Lines{"  -40.0000  5.0837E-07;y"},
       {},
       "5.0837E-07"},
      {"Shift+click and a drag select",
       {"abcd", "ef"},
       {At(0, 3), At(1, 0, true), DragTo(1, 1), K(Insert, kControl)},
       {1, 1},
       {},
       TextPos{0, 3},
       "d\r\ne"},
      {"Ctrl+A and typing replace everything", {"a", "b"}, {K(A, kControl), T("x")}, {0, 1}, Lines{"x"}},
      {"a pane edited down to nothing holds no line",
       {"a", "b"},
       {K(A, kControl), K(Delete)},
       {0, 0},
       Lines{}},
      {"Ctrl+V pastes lines at the caret",
       {"ab"},
       {Clipboard("1\r\n2\n3"), At(0, 1), K(V, kControl)},
       {2, 1},
       Lines{"a1", "2", "3b"},
       {},
       "1\r\n2\n3"},
      {"Shift+Delete cuts, Shift+Insert pastes back",
       {"abc"},
       {At(0, 0), K(Right, kShift), K(Delete, kShift), K(End), K(Insert, kShift)},
       {0, 3},
       Lines{"bca"},
       {},
       "a"},
      {"while a command runs the text stays, copying works",
       {"abc"},
       {At(0, 0), T("x"), K(Enter), K(Right, kShift), K(X, kControl), K(Delete), K(V, kControl)},
       {0, 1},
       {},
       TextPos{0, 0},
       "a",
       false},
      {"lines a command appends stay behind the user's",
       {"ab"},
       {At(0, 2), Command([](Pane& p) { AddLine(p, "run\r\nmore"); }), T("!"),
        Command([](Pane& p) { AppendToLastLine(p, " done"); })},
       {0, 3},
       Lines{"ab!", "run", "more done"}},
      {"a command's clear leaves the caret in the pane",
       {"abc", "def"},
       {At(1, 2), K(Left, kShift), Command(ClearPane), Command([](Pane& p) { AddLine(p, "z"); }), T("y")},
       {0, 1},
       Lines{"yz"}},
  };
  for (const Case& c : cases) {
    Pane pane;
    ReplacePaneLines(pane, c.start);
    PaneEditor editor(pane);
    ui.SetClipboardText("(untouched)");
    editable = c.editable;
    for (const Step& step : c.steps) step(editor, pane, ui);
    EXPECT_EQ(c.lines.value_or(c.start), pane.lines) << c.what;
    EXPECT_EQ(c.caret, editor.Caret())
        << c.what << ": caret at " << editor.Caret().line << "," << editor.Caret().column;
    EXPECT_EQ(c.anchor.value_or(c.caret), editor.Anchor()) << c.what;
    EXPECT_EQ(c.clipboard, ui.ClipboardText()) << c.what;
    EXPECT_EQ(!c.editable, editor.Refused()) << c.what << ": a refused edit gives a sign";
  }
  editable = true;
}

// Every key of the table is found with its modifiers; Shift falls back to the row without it.
TEST(PaneKeys, OneTableServesEveryModifier) {
  for (const PaneKeyRow& row : kPaneKeys) EXPECT_EQ(&row, FindPaneKey(row.key, row.modifiers));
  EXPECT_EQ(PaneAction::Left, FindPaneKey(Left, kShift)->action);
  EXPECT_EQ(PaneAction::Cut, FindPaneKey(Delete, kShift)->action);
  EXPECT_EQ(nullptr, FindPaneKey(V, kNoModifier));
  EXPECT_EQ(nullptr, FindPaneKey(Left, kControl));
  EXPECT_EQ(4u, KeepVisible(10, 5, 4));
  EXPECT_EQ(10u, KeepVisible(10, 5, 14));
  EXPECT_EQ(11u, KeepVisible(10, 5, 15));
}

// An edit copies the lines it touches, never the rest: a pane sharing a large text grows by the
// edited line, and every reader sees the change through revision and rewrites.
TEST_F(WindowTest, AnEditCopiesOnlyTheEditedLines) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "GW 100 3 0.512 -1.250 3.000 " + std::to_string(i) + "\r\n";
  Pane pane;
  AddSharedLines(pane, SharedText(text));
  PaneEditor editor(pane);
  ASSERT_EQ(pane.lines.size(), 100001u);
  const std::size_t bytes = pane.lines.HeapBytes();
  const PaneLook look = LookAt(pane);
  editor.Click({50000, 3}, false);
  editor.Press(Enter, kNoModifier, ui, true);
  editor.Type("x", true);
  EXPECT_LT(pane.lines.HeapBytes(), bytes + 256 * 1024);
  EXPECT_EQ(PaneChange::Rewritten, ChangeSince(pane, look));
  EXPECT_EQ(pane.lines[50000], "GW ");
  EXPECT_EQ(pane.lines[50001], "x100 3 0.512 -1.250 3.000 50000");
  EXPECT_EQ(pane.lines[50002], "GW 100 3 0.512 -1.250 3.000 50001");
  EXPECT_EQ(pane.lines.size(), 100002u);
}

}  // namespace

}  // namespace varnel
