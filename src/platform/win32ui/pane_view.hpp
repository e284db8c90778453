#pragma once
// One pane of the native window. It draws only the visible lines straight from the model's
// lines, so a whole file's text appears at once however long it is, and the user edits the model
// in place: clicks, drags and keys go to the pane's PaneEditor (caret, selection, the key
// table), which changes only the lines it edits. What a refresh does (where the view scrolls,
// whether a command's rewrite releases the editor) is PaneFollower's decision; this class
// carries it out. Text crosses through the ANSI code page both ways.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mainwindow/pane_edit.hpp"
#include "mainwindow/pane_follow.hpp"
#include "mainwindow/panes.hpp"

namespace varnel {

// The text of a window or control, 8-bit.
std::string ControlText(HWND control);

class PaneView {
 public:
  // The view is a child of parent; the clipboard goes through ui, and editable says whether the
  // text may change now.
  PaneView(Pane& pane, HWND parent, HFONT font, UserInterface& ui, std::function<bool()> editable);
  PaneView(const PaneView&) = delete;
  PaneView& operator=(const PaneView&) = delete;

  HWND View() const { return view_; }
  PaneEditor& Editor() { return editor_; }
  void Place(int left, int top, int width, int height);

  // Brings the pane's view up to the model: the lines changed since the last look; the end of
  // the text after a change, the first line after a ScrollToTop.
  void Refresh();
  // What the pane shows, line by line.
  std::vector<std::string> ShownLines() const;

 private:
  static LRESULT CALLBACK ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ViewMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  void ShowLines(bool rewritten);
  void UpdateScrollBars();
  void ScrollTo(std::int64_t firstLine, int horizontal);
  int Rows() const;
  TextPos PlaceAt(LPARAM at) const;
  // After the user's own change: redraw it at once and keep the caret in sight.
  void AfterInput();

  Pane& pane_;
  UserInterface& ui_;
  std::function<bool()> editable_;
  PaneEditor editor_;
  HWND view_ = nullptr;
  HFONT font_;
  int charWidth_ = 8, lineHeight_ = 16;
  PaneFollower follower_;
  ShownExtent shown_;
  std::size_t first_ = 0;  // the first visible line
  int horizontal_ = 0;     // pixels scrolled to the right
};

}  // namespace varnel
