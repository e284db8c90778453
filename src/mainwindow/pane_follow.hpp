#pragma once
// How a window's pane widget keeps up with its pane, decided once for every toolkit. A widget
// draws the pane's lines straight from the model, and the user edits them in place through a
// PaneEditor (pane_edit.hpp). PaneFollower remembers what the widget showed last and tells it,
// at each refresh, which steps to take; the widget only carries them out.
#include <cstddef>
#include <cstdint>

#include "mainwindow/pane_edit.hpp"
#include "mainwindow/panes.hpp"

namespace varnel {

// Redraws of the window inside a command come no closer than this (about 30 a second).
inline constexpr std::uint64_t kRedrawIntervalMs = 33;

// The steps of one refresh, in the order a widget takes them.
struct PaneSteps {
  // A command rewrote the pane while the user worked in it: the editor has released the pane
  // (PaneEditor::Release).
  bool release = false;
  // The view shows all the pane's lines; rewritten: the lines it showed may have changed too.
  bool showLines = false, rewritten = false;
  // A ScrollToTop: the view goes to the first line (the editor's caret is there already).
  // Otherwise a changed pane shows
  // its last line, unless the user works in it.
  bool toTop = false, toEnd = false;
  bool operator==(const PaneSteps&) const = default;
};

// What a widget shows of its pane's lines: how many, and the characters of the longest (the
// width it scrolls over). Follow brings it up to the pane, looking only at the lines added since
// unless the lines shown may have changed (rewritten).
struct ShownExtent {
  std::size_t count = 0, widest = 0;
  void Follow(const PaneLineList& lines, bool rewritten);
};

class PaneFollower {
 public:
  explicit PaneFollower(const Pane& pane) : pane_(pane) {}
  // The steps that bring the widget up to the pane, the editor's part taken already (released
  // after a command's rewrite, the caret at the start after a ScrollToTop). From now on the
  // widget counts as showing the pane as it is.
  PaneSteps Refresh(PaneEditor& editor);
  // The widget shows the pane as it is (after the user's own edit, which it drew at once).
  void Looked() { look_ = LookAt(pane_); }

 private:
  const Pane& pane_;
  PaneLook look_;
  std::uint64_t scrollRequest_ = 0;
};

}  // namespace varnel
