#pragma once
// One pane of the native window. A view draws only the visible lines straight from the model's
// lines, so a whole file's text appears at once however long it is (an edit control measures
// every line it is given). As soon as the user clicks into it or types, an edit control beside
// it takes the pane's text and the user edits there; the window hands the edited lines back to
// the model before a command runs. What a refresh does (lines appended to the editor, the
// editor closed by a rewrite, where the view scrolls) is PaneFollower's decision; this class
// carries it out. Text crosses through the ANSI code page both ways.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "mainwindow/pane_follow.hpp"
#include "mainwindow/panes.hpp"

namespace varnel {

// The text of a window or control, 8-bit.
std::string ControlText(HWND control);

class PaneView {
 public:
  // The view and its editor are children of parent; the editor sends its notifications there
  // with the control id editorId.
  PaneView(const Pane& pane, HWND parent, HFONT font, int editorId);
  PaneView(const PaneView&) = delete;
  PaneView& operator=(const PaneView&) = delete;

  HWND View() const { return view_; }
  HWND Editor() const { return editor_; }
  bool Editing() const { return editing_; }
  void Place(int left, int top, int width, int height);

  // Brings the pane's controls up to the model: the lines changed since the last look; the end
  // of the text after a change, the first line after a ScrollToTop.
  void Refresh();
  // The editor's text changed (its EN_CHANGE).
  void EditorChanged();
  // The lines as the user left them, when edited since the last call.
  bool TakeEdits(std::vector<std::string>& lines);
  // The pane now holds what the controls show (after the edits were handed back).
  void Looked() { follower_.Looked(); }
  // What the pane shows, line by line.
  std::vector<std::string> ShownLines() const;
  // Starts editing (as a click does) and returns the editor.
  HWND BeginEdit();

 private:
  static LRESULT CALLBACK ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ViewMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  void ShowLines(std::size_t count, bool rewritten);
  void UpdateScrollBars();
  void ScrollTo(std::int64_t firstLine, int horizontal);
  int Rows() const;
  void EnterEditor(std::size_t line, std::size_t column);
  void LeaveEditor();

  const Pane& pane_;
  HWND view_ = nullptr, editor_ = nullptr;
  HFONT font_;
  int charWidth_ = 8, lineHeight_ = 16;
  PaneFollower follower_;
  std::size_t count_ = 0;   // lines shown
  std::size_t widest_ = 0;  // characters of the longest shown line
  std::size_t first_ = 0;   // the first visible line
  int horizontal_ = 0;      // pixels scrolled to the right
  bool editing_ = false, updating_ = false;
};

}  // namespace varnel
