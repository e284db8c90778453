#include "mainwindow/pane_follow.hpp"

namespace varnel {

PaneSteps PaneFollower::Refresh(bool editing, bool editorEmpty) {
  PaneSteps steps;
  const PaneChange change = ChangeSince(pane_, look_);
  steps.toTop = pane_.scrollRequest != scrollRequest_;
  if (change == PaneChange::None && !steps.toTop) return steps;
  if (editing && change == PaneChange::Appended && look_.lineCount < pane_.lines.size()) {
    steps.appendFrom = look_.lineCount;
    steps.appendOnNewLine = !(look_.lineCount == 0 && editorEmpty);
  } else if (editing && change == PaneChange::Rewritten) {
    steps.leaveEditor = true;
    editing = false;
    edited_ = false;
  }
  steps.showLines = change != PaneChange::None;
  steps.rewritten = change == PaneChange::Rewritten;
  steps.toEnd = !steps.toTop && !editing;
  look_ = LookAt(pane_);
  scrollRequest_ = pane_.scrollRequest;
  return steps;
}

bool PaneFollower::TakeEdited(bool editing) {
  if (!editing || !edited_) return false;
  edited_ = false;
  return true;
}

std::string JoinPaneLines(const PaneLineList& lines, std::size_t from, std::size_t to,
                          std::string_view separator) {
  std::size_t size = 0;
  for (std::size_t i = from; i < to; ++i) size += lines[i].size() + separator.size();
  std::string joined;
  joined.reserve(size);
  for (std::size_t i = from; i < to; ++i) {
    if (i > from) joined += separator;
    joined += std::string_view(lines[i]);
  }
  return joined;
}

std::vector<std::string> SplitPaneText(std::string_view text, std::string_view separator) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    lines.emplace_back(
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + separator.size();
  }
  return lines;
}

}  // namespace varnel
