#include "mainwindow/pane_follow.hpp"

namespace varnel {

PaneSteps PaneFollower::Refresh(PaneEditor& editor) {
  PaneSteps steps;
  bool editing = editor.Active();
  const PaneChange change = ChangeSince(pane_, look_);
  steps.toTop = pane_.scrollRequest != scrollRequest_;
  if (change == PaneChange::None && !steps.toTop) return steps;
  if (editing && change == PaneChange::Rewritten) {
    steps.release = true;
    editing = false;
  }
  steps.showLines = change != PaneChange::None;
  steps.rewritten = change == PaneChange::Rewritten;
  steps.toEnd = !steps.toTop && !editing;
  if (steps.release) editor.Release();
  if (steps.toTop) editor.ToStart();
  look_ = LookAt(pane_);
  scrollRequest_ = pane_.scrollRequest;
  return steps;
}

}  // namespace varnel
