// What a window's pane widget does at a refresh and when it hands the user's edits back: the
// decisions both windows take from PaneFollower.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "mainwindow/pane_follow.hpp"

namespace varnel {

namespace {

PaneSteps Steps(std::size_t appendFrom, bool onNewLine, bool leave, bool show, bool rewritten, bool toTop,
                bool toEnd) {
  return {appendFrom, onNewLine, leave, show, rewritten, toTop, toEnd};
}

constexpr std::size_t kNone = PaneSteps::kNoAppend;

TEST(PaneFollower, RefreshStepsFollowWhatChangedAndWhetherTheEditorIsOpen) {
  struct Case {
    const char* what;
    std::vector<std::string> start;
    std::function<void(Pane&)> change;
    bool editing, editorEmpty;
    PaneSteps expected;
  };
  const std::vector<Case> cases = {
      {"nothing changed",
       {"a", "b"},
       [](Pane&) {},
       false,
       false,
       Steps(kNone, false, false, false, false, false, false)},
      {"appended, in the view",
       {"a", "b"},
       [](Pane& p) { AddLine(p, "c"); },
       false,
       false,
       Steps(kNone, false, false, true, false, false, true)},
      {"appended, in the editor",
       {"a", "b"},
       [](Pane& p) { AddLine(p, "c\r\nd"); },
       true,
       false,
       Steps(2, true, false, true, false, false, false)},
      {"appended to an empty pane and editor",
       {},
       [](Pane& p) { AddLine(p, "c"); },
       true,
       true,
       Steps(0, false, false, true, false, false, false)},
      {"appended to an empty pane, the user typed",
       {},
       [](Pane& p) { AddLine(p, "c"); },
       true,
       false,
       Steps(0, true, false, true, false, false, false)},
      {"rewritten, in the editor",
       {"a", "b"},
       [](Pane& p) { ReplacePaneLines(p, {"x"}); },
       true,
       false,
       Steps(kNone, false, true, true, true, false, true)},
      {"cleared, in the view",
       {"a", "b"},
       [](Pane& p) { ClearPane(p); },
       false,
       false,
       Steps(kNone, false, false, true, true, false, true)},
      {"to the top only",
       {"a", "b"},
       [](Pane& p) { ScrollToTop(p); },
       false,
       false,
       Steps(kNone, false, false, false, false, true, false)},
      {"appended and to the top, in the editor",
       {"a"},
       [](Pane& p) { AddLine(p, "b"), ScrollToTop(p); },
       true,
       false,
       Steps(1, true, false, true, false, true, false)},
  };
  for (const Case& c : cases) {
    Pane pane;
    ReplacePaneLines(pane, c.start);
    PaneFollower follower(pane);
    follower.Refresh(c.editing, c.editorEmpty);  // the first look shows what the pane holds
    c.change(pane);
    EXPECT_EQ(c.expected, follower.Refresh(c.editing, c.editorEmpty)) << c.what;
    EXPECT_EQ(PaneSteps{}, follower.Refresh(c.editing, c.editorEmpty)) << c.what << ", looked again";
  }
}

// Edits are handed back once, only from an open editor; a rewrite that closes the editor and a
// newly opened editor leave nothing to hand back.
TEST(PaneFollower, EditsAreTakenOnceFromAnOpenEditor) {
  Pane pane;
  PaneFollower follower(pane);
  follower.Edited();
  EXPECT_FALSE(follower.TakeEdited(false));
  EXPECT_TRUE(follower.TakeEdited(true));
  EXPECT_FALSE(follower.TakeEdited(true));
  follower.Edited();
  follower.EditorReset();
  EXPECT_FALSE(follower.TakeEdited(true));
  follower.Refresh(true, true);
  follower.Edited();
  AddLine(pane, "x");
  ReplacePaneLines(pane, {"y"});
  EXPECT_TRUE(follower.Refresh(true, false).leaveEditor);
  EXPECT_FALSE(follower.TakeEdited(true));
}

TEST(PaneFollower, EditorTextJoinsAndSplitsAtTheToolkitsLineBreak) {
  const PaneLineList lines = {"a", "", "b c"};
  EXPECT_EQ("a\r\n\r\nb c", JoinPaneLines(lines, 0, 3, "\r\n"));
  EXPECT_EQ("\nb c", JoinPaneLines(lines, 1, 3, "\n"));
  EXPECT_EQ(std::vector<std::string>(lines), SplitPaneText("a\r\n\r\nb c", "\r\n"));
  EXPECT_EQ((std::vector<std::string>{"a", ""}), SplitPaneText("a\r\n", "\r\n"));
  EXPECT_TRUE(SplitPaneText("", "\r\n").empty());
}

}  // namespace

}  // namespace varnel
