#include "mainwindow/pane_follow.hpp"

#include <algorithm>

namespace varnel {

void ShownExtent::Follow(const PaneLineList& lines, bool rewritten) {
  const std::size_t now = lines.size();
  const std::size_t from = rewritten || now < count ? 0 : count;
  if (from == 0) widest = 0;
  for (std::size_t i = from; i < now; ++i) widest = std::max(widest, lines[i].size());
  count = now;
}

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
