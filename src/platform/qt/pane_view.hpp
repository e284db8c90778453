#pragma once
// One pane of the window. It draws only the visible lines straight from the model's lines, so a
// whole file's text appears without being copied into a widget, and the user edits the model in
// place: clicks, drags and keys go to the pane's PaneEditor (caret, selection, the key table),
// which changes only the lines it edits. What a refresh does (where the view scrolls, whether a
// command's rewrite releases the editor) is PaneFollower's decision; this widget carries it out.
// Text crosses as Latin-1 both ways, so every byte of a pane survives a round trip.
#include <QAbstractScrollArea>
#include <functional>
#include <string>
#include <vector>

#include "mainwindow/pane_edit.hpp"
#include "mainwindow/pane_follow.hpp"
#include "mainwindow/panes.hpp"

namespace varnel {

class PaneView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // The clipboard goes through ui; editable says whether the text may change now.
  PaneView(Pane& pane, UserInterface& ui, std::function<bool()> editable, QWidget* parent);

  // Brings the widget up to the pane: the lines changed since the last look; the end of the
  // text after a change, the first line after a ScrollToTop. The horizontal position stays.
  void Refresh();

  // What the widget shows, line by line (8-bit text).
  std::vector<std::string> ShownLines() const;
  PaneEditor& Editor() { return editor_; }
  int HorizontalPosition() const;
  int FirstVisibleLine() const;
  // The place under a point of the viewport.
  TextPos PlaceAt(const QPoint& at) const;

 signals:
  void contextMenuRequested(const QPoint& globalPosition);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Characters composed by an input method (dead keys) arrive here instead of as keys.
  void inputMethodEvent(QInputMethodEvent* event) override;
  bool event(QEvent* event) override;
  // Tab is a character of the pane, not a move to the next control.
  bool focusNextPrevChild(bool) override { return false; }

 private:
  void ShowLines(bool rewritten);
  void UpdateScrollBars();
  // After the user's own change: redraw it at once and keep the caret in sight.
  void AfterInput();
  bool Editable() const { return editable_ ? editable_() : true; }
  int LineHeight() const;
  int CharWidth() const;

  Pane& pane_;
  UserInterface& ui_;
  std::function<bool()> editable_;
  PaneEditor editor_;
  PaneFollower follower_;
  ShownExtent shown_;
};

// 8-bit pane text and Qt text, byte for character.
QString PaneToQt(const std::string& line);
std::string PaneFromQt(const QString& text);

}  // namespace varnel
