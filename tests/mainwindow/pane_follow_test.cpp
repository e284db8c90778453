// What a window's pane widget does at a refresh: the decisions both windows take from
// PaneFollower.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "mainwindow/pane_follow.hpp"

namespace varnel {

namespace {

// Each case starts from a pane of two lines, shown once.
TEST(PaneFollower, RefreshStepsFollowWhatChangedAndWhetherTheUserWorksInThePane) {
  struct Case {
    const char* what;
    std::function<void(Pane&)> change;
    bool editing;
    PaneSteps expected;  // release, showLines, rewritten, toTop, toEnd
  };
  const std::vector<Case> cases = {
      {"nothing changed", [](Pane&) {}, false, {false, false, false, false, false}},
      {"appended, followed to the end",
       [](Pane& p) { AddLine(p, "c"); },
       false,
       {false, true, false, false, true}},
      {"appended while the user works there",
       [](Pane& p) { AddLine(p, "c\r\nd"); },
       true,
       {false, true, false, false, false}},
      {"rewritten while the user works there",
       [](Pane& p) { ReplacePaneLines(p, {"x"}); },
       true,
       {true, true, true, false, true}},
      {"cleared", [](Pane& p) { ClearPane(p); }, false, {false, true, true, false, true}},
      {"to the top only", [](Pane& p) { ScrollToTop(p); }, false, {false, false, false, true, false}},
      {"appended and to the top while the user works there",
       [](Pane& p) { AddLine(p, "b"), ScrollToTop(p); },
       true,
       {false, true, false, true, false}},
  };
  for (const Case& c : cases) {
    Pane pane;
    ReplacePaneLines(pane, {"a", "b"});
    PaneFollower follower(pane);
    PaneEditor editor(pane);
    follower.Refresh(editor);  // the first look shows what the pane holds
    if (c.editing) editor.Click({0, 1}, false);
    c.change(pane);
    EXPECT_EQ(c.expected, follower.Refresh(editor)) << c.what;
    EXPECT_EQ(PaneSteps{}, follower.Refresh(editor)) << c.what << ", looked again";
    EXPECT_EQ(c.editing && !c.expected.release, editor.Active()) << c.what;
    EXPECT_EQ((c.expected.toTop ? TextPos{} : TextPos{0, c.editing}), editor.Caret()) << c.what;
  }
}

// The width a widget scrolls over follows the longest line, and shrinks when the pane is rewritten.
TEST(PaneFollower, ShownExtentFollowsTheLongestLine) {
  Pane pane;
  ShownExtent shown;
  const auto follow = [&](bool rewritten) {
    shown.Follow(pane.lines, rewritten);
    return std::vector<std::size_t>{shown.count, shown.widest};
  };
  ReplacePaneLines(pane, {"ab", "abcd"});
  EXPECT_EQ((std::vector<std::size_t>{2, 4}), follow(true));
  AddLine(pane, "abc");
  EXPECT_EQ((std::vector<std::size_t>{3, 4}), follow(false));
  ReplacePaneLines(pane, {"x"});
  EXPECT_EQ((std::vector<std::size_t>{1, 1}), follow(true));
  ClearPane(pane);
  EXPECT_EQ((std::vector<std::size_t>{0, 0}), follow(false));
}

}  // namespace

}  // namespace varnel
