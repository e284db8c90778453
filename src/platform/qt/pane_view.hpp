#pragma once
// One pane of the window. It draws only the visible lines straight from the model's lines, so a
// whole file's text appears without being copied into a widget. As soon as the user clicks into
// it or types, an editor takes the pane's text and the user edits there; the window hands the
// edited lines back to the model before a command runs. What a refresh does (lines appended to
// the editor, the editor closed by a rewrite, where the view scrolls) is PaneFollower's
// decision; this widget carries it out. Text crosses as Latin-1 both ways, so every byte of a
// pane survives a round trip.
#include <QAbstractScrollArea>
#include <QWidget>
#include <string>
#include <vector>

#include "mainwindow/pane_follow.hpp"
#include "mainwindow/panes.hpp"

class QPlainTextEdit;
class QStackedLayout;

namespace varnel {

// The drawing half: the first `count` lines of the pane, in a fixed-pitch font.
class LineView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  LineView(const Pane& pane, QWidget* parent);
  // Now showing count lines; rewritten: lines before the old count may have changed too.
  void ShowLines(std::size_t count, bool rewritten);
  std::size_t Count() const { return count_; }
  int FirstVisibleLine() const;
  // The line and column under a point of the viewport.
  std::pair<int, int> LineColumnAt(const QPoint& at) const;

 signals:
  void editRequested(QKeyEvent* key, int line, int column);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void UpdateScrollBars();
  const Pane& pane_;
  std::size_t count_ = 0;
  std::size_t widest_ = 0;  // characters of the longest shown line
};

class PaneView : public QWidget {
  Q_OBJECT

 public:
  PaneView(const Pane& pane, QWidget* parent);

  // Brings the widget up to the pane: the lines changed since the last look; the end of the
  // text after a change, the first line after a ScrollToTop. The horizontal position stays.
  void Refresh();
  // The lines as the user left them, when edited since the last call.
  bool TakeEdits(std::vector<std::string>& lines);
  // The pane now holds what the widget shows (after the edits were handed back).
  void Looked() { follower_.Looked(); }

  // What the widget shows, line by line (8-bit text).
  std::vector<std::string> ShownLines() const;
  bool Editing() const { return editing_; }
  // Starts editing (as a click does) and returns the editor.
  QPlainTextEdit* BeginEdit();
  LineView* View() const { return view_; }
  QPlainTextEdit* Editor() const { return editor_; }
  int HorizontalPosition() const;
  int FirstVisibleLine() const;

 signals:
  void contextMenuRequested(const QPoint& globalPosition);

 private:
  void EnterEditor(int line, int column);
  void LeaveEditor();
  const Pane& pane_;
  PaneFollower follower_;
  LineView* view_;
  QPlainTextEdit* editor_;
  QStackedLayout* stack_;
  bool editing_ = false;
  bool updating_ = false;
};

// 8-bit pane text and Qt text, byte for character.
QString PaneToQt(const std::string& line);
std::string PaneFromQt(const QString& text);

}  // namespace varnel
