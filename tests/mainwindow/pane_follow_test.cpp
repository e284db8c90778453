// What a window's pane widget does at a refresh: the decisions both windows take from
// PaneFollower.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "mainwindow/pane_follow.hpp"

namespace varnel {

namespace {

PaneSteps Steps(bool release, bool show, bool rewritten, bool toTop, bool toEnd) {
  return {release, show, rewritten, toTop, toEnd};
}

TEST(PaneFollower, RefreshStepsFollowWhatChangedAndWhetherTheUserWorksInThePane) {
  struct Case {
    const char* what;
    std::vector<std::string> start;
    std::function<void(Pane&)> change;
    bool editing;
    PaneSteps expected;
  };
  const std::vector<Case> cases = {
      {"nothing changed", {"a", "b"}, [](Pane&) {}, false, Steps(false, false, false, false, false)},
      {"appended, followed to the end",
       {"a", "b"},
       [](Pane& p) { AddLine(p, "c"); },
       false,
       Steps(false, true, false, false, true)},
      {"appended while the user works there",
       {"a", "b"},
       [](Pane& p) { AddLine(p, "c\r\nd"); },
       true,
       Steps(false, true, false, false, false)},
      {"rewritten while the user works there",
       {"a", "b"},
       [](Pane& p) { ReplacePaneLines(p, {"x"}); },
       true,
       Steps(true, true, true, false, true)},
      {"cleared", {"a", "b"}, [](Pane& p) { ClearPane(p); }, false, Steps(false, true, true, false, true)},
      {"to the top only",
       {"a", "b"},
       [](Pane& p) { ScrollToTop(p); },
       false,
       Steps(false, false, false, true, false)},
      {"appended and to the top while the user works there",
       {"a"},
       [](Pane& p) { AddLine(p, "b"), ScrollToTop(p); },
       true,
       Steps(false, true, false, true, false)},
  };
  for (const Case& c : cases) {
    Pane pane;
    ReplacePaneLines(pane, c.start);
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

}  // namespace

}  // namespace varnel
