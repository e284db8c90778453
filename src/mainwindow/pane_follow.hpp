#pragma once
// How a window's pane widget keeps up with its pane, decided once for every toolkit. A widget
// draws the pane's lines in a view; as soon as the user clicks into it or types, an editor takes
// the text. PaneFollower remembers what the widget showed last and tells it, at each refresh,
// which steps to take; the widget only carries them out. It also tells whether the user has
// edited since the edits were last handed back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mainwindow/panes.hpp"

namespace varnel {

// Redraws of the window inside a command come no closer than this (about 30 a second).
inline constexpr std::uint64_t kRedrawIntervalMs = 33;

// The steps of one refresh, in the order a widget takes them.
struct PaneSteps {
  static constexpr std::size_t kNoAppend = ~std::size_t{0};
  // While the editor is open: the lines from appendFrom to the pane's end go to the end of its
  // text, after a line break when it holds text (appendOnNewLine).
  std::size_t appendFrom = kNoAppend;
  bool appendOnNewLine = false;
  // The pane was rewritten while the editor was open: the editor closes. Its edits went back to
  // the model before the command that rewrote the pane.
  bool leaveEditor = false;
  // The view shows all the pane's lines; rewritten: the lines it showed may have changed too.
  bool showLines = false, rewritten = false;
  // A ScrollToTop: the view and the editor's caret go to the first line. Otherwise a changed
  // pane shows its last line in the view (toEnd), unless the editor is open.
  bool toTop = false, toEnd = false;
  bool operator==(const PaneSteps&) const = default;
};

class PaneFollower {
 public:
  explicit PaneFollower(const Pane& pane) : pane_(pane) {}
  // The steps that bring the widget up to the pane. editing: the editor is open; editorEmpty:
  // it holds no text. From now on the widget counts as showing the pane as it is.
  PaneSteps Refresh(bool editing, bool editorEmpty);
  // The user changed the editor's text (the widget's own changes are no edit).
  void Edited() { edited_ = true; }
  // The editor opened with the pane's text, or closed: nothing is edited.
  void EditorReset() { edited_ = false; }
  // True once after the user edited in the open editor: the widget hands its lines back.
  bool TakeEdited(bool editing);
  // The pane now holds what the widget shows (its edits were handed back).
  void Looked() { look_ = LookAt(pane_); }

 private:
  const Pane& pane_;
  PaneLook look_;
  std::uint64_t scrollRequest_ = 0;
  bool edited_ = false;
};

// The lines from..to joined by separator, in one piece (the editor's text).
std::string JoinPaneLines(const PaneLineList& lines, std::size_t from, std::size_t to,
                          std::string_view separator);
// The editor's text cut at each separator; an empty text is no line.
std::vector<std::string> SplitPaneText(std::string_view text, std::string_view separator);

}  // namespace varnel
