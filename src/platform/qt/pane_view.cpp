#include "platform/qt/pane_view.hpp"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTextBlock>
#include <algorithm>

namespace varnel {

namespace {

constexpr int kMargin = 4;  // pixels left of the first column, as the editor's document margin

// Keys that change the text: they open the editor and are handed on to it.
bool EditsText(const QKeyEvent* key) {
  if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut)) return true;
  switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
      return true;
    default:
      break;
  }
  const QString text = key->text();
  return !text.isEmpty() && text.at(0).isPrint() &&
         !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

std::vector<std::string> EditorLines(const QPlainTextEdit* editor) {
  std::vector<std::string> lines;
  const QTextDocument* document = editor->document();
  lines.reserve(static_cast<std::size_t>(document->blockCount()));
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
    lines.push_back(PaneFromQt(block.text()));
  // An empty document is one empty block; the model's empty pane has no line.
  if (lines.size() == 1 && lines[0].empty()) lines.clear();
  return lines;
}

QString JoinLines(const PaneLineList& lines, std::size_t from, std::size_t to) {
  return PaneToQt(JoinPaneLines(lines, from, to, "\n"));
}

}  // namespace

QString PaneToQt(const std::string& line) {
  return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
}

std::string PaneFromQt(const QString& text) { return text.toLatin1().toStdString(); }

// ---- LineView ----------------------------------------------------------------------------

LineView::LineView(const Pane& pane, QWidget* parent) : QAbstractScrollArea(parent), pane_(pane) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  viewport()->setCursor(Qt::IBeamCursor);
}

void LineView::ShowLines(std::size_t count, bool rewritten) {
  count = std::min(count, pane_.lines.size());
  std::size_t from = rewritten || count < count_ ? 0 : count_;
  if (from == 0) widest_ = 0;
  for (std::size_t i = from; i < count; ++i) widest_ = std::max(widest_, pane_.lines[i].size());
  count_ = count;
  UpdateScrollBars();
  viewport()->update();
}

int LineView::FirstVisibleLine() const { return verticalScrollBar()->value(); }

std::pair<int, int> LineView::LineColumnAt(const QPoint& at) const {
  const QFontMetrics metrics(font());
  const int line = FirstVisibleLine() + at.y() / std::max(1, metrics.lineSpacing());
  const int column = (at.x() - kMargin + horizontalScrollBar()->value()) /
                     std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
  return {line, std::max(0, column)};
}

void LineView::UpdateScrollBars() {
  const QFontMetrics metrics(font());
  const int lineHeight = std::max(1, metrics.lineSpacing());
  const int rows = std::max(1, viewport()->height() / lineHeight);
  const int count = static_cast<int>(std::min<std::size_t>(count_, 0x7fffffff));
  // A view showing the last line keeps showing it when a scroll bar appears and the rows shrink.
  QScrollBar* vertical = verticalScrollBar();
  const bool atEnd = vertical->maximum() > 0 && vertical->value() == vertical->maximum();
  vertical->setRange(0, std::max(0, count - rows));
  if (atEnd) vertical->setValue(vertical->maximum());
  verticalScrollBar()->setPageStep(rows);
  verticalScrollBar()->setSingleStep(1);
  const qint64 textWidth =
      static_cast<qint64>(widest_) * metrics.horizontalAdvance(QLatin1Char('M')) + 2 * kMargin;
  horizontalScrollBar()->setRange(
      0, static_cast<int>(std::clamp<qint64>(textWidth - viewport()->width(), 0, 0x3fffffff)));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(metrics.horizontalAdvance(QLatin1Char('M')));
}

void LineView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::Text));
  const QFontMetrics metrics(font());
  const int lineHeight = std::max(1, metrics.lineSpacing());
  const int charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
  const int shift = horizontalScrollBar()->value();
  const std::size_t firstColumn = static_cast<std::size_t>(std::max(0, shift - kMargin) / charWidth);
  const std::size_t columns = static_cast<std::size_t>(viewport()->width() / charWidth + 2);
  // A redraw between a change of the pane and the next Refresh never reads past its end.
  const std::size_t count = std::min(count_, pane_.lines.size());
  const int rows = viewport()->height() / lineHeight + 1;
  for (int row = 0; row < rows; ++row) {
    const std::size_t index = static_cast<std::size_t>(FirstVisibleLine()) + static_cast<std::size_t>(row);
    if (index >= count) break;
    const std::string_view line = pane_.lines[index];
    if (firstColumn >= line.size()) continue;
    const std::size_t length = std::min(columns, line.size() - firstColumn);
    const int x = kMargin + static_cast<int>(firstColumn) * charWidth - shift;
    painter.drawText(x, row * lineHeight + metrics.ascent(),
                     QString::fromLatin1(line.data() + firstColumn, static_cast<qsizetype>(length)));
  }
}

void LineView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void LineView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  const auto [line, column] = LineColumnAt(event->position().toPoint());
  emit editRequested(nullptr, line, column);
}

void LineView::keyPressEvent(QKeyEvent* event) {
  if (EditsText(event)) {
    emit editRequested(event, FirstVisibleLine(), 0);
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

// ---- PaneView ----------------------------------------------------------------------------

PaneView::PaneView(const Pane& pane, QWidget* parent) : QWidget(parent), pane_(pane), follower_(pane) {
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  view_ = new LineView(pane, this);
  view_->setFont(fixed);
  editor_ = new QPlainTextEdit(this);
  editor_->setFont(fixed);
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  editor_->setUndoRedoEnabled(false);
  editor_->document()->setDocumentMargin(kMargin);
  stack_ = new QStackedLayout(this);
  stack_->setContentsMargins(0, 0, 0, 0);
  stack_->addWidget(view_);
  stack_->addWidget(editor_);
  stack_->setCurrentWidget(view_);
  setFocusProxy(view_);

  connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
    if (!updating_) follower_.Edited();
  });
  connect(view_, &LineView::editRequested, this, [this](QKeyEvent* key, int line, int column) {
    EnterEditor(line, column);
    if (key) QApplication::sendEvent(editor_, key);
  });
  for (QAbstractScrollArea* area :
       {static_cast<QAbstractScrollArea*>(view_), static_cast<QAbstractScrollArea*>(editor_)}) {
    area->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(area, &QWidget::customContextMenuRequested, this,
            [this, area](const QPoint& at) { emit contextMenuRequested(area->viewport()->mapToGlobal(at)); });
  }
}

void PaneView::Refresh() {
  const PaneSteps steps = follower_.Refresh(editing_, editor_->document()->isEmpty());
  if (steps.appendFrom != PaneSteps::kNoAppend) {
    updating_ = true;
    QTextCursor end(editor_->document());
    end.movePosition(QTextCursor::End);
    const QString added = JoinLines(pane_.lines, steps.appendFrom, pane_.lines.size());
    end.insertText(steps.appendOnNewLine ? QStringLiteral("\n") + added : added);
    updating_ = false;
  }
  if (steps.leaveEditor) LeaveEditor();
  if (steps.showLines) view_->ShowLines(pane_.lines.size(), steps.rewritten);
  if (steps.toTop) {
    view_->verticalScrollBar()->setValue(0);
    if (editing_) {
      editor_->moveCursor(QTextCursor::Start);
      editor_->ensureCursorVisible();
    }
  }
  if (steps.toEnd) view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum());
}

bool PaneView::TakeEdits(std::vector<std::string>& lines) {
  if (!follower_.TakeEdited(editing_)) return false;
  lines = EditorLines(editor_);
  return true;
}

std::vector<std::string> PaneView::ShownLines() const {
  if (editing_) return EditorLines(editor_);
  const std::size_t count = std::min(view_->Count(), pane_.lines.size());
  return std::vector<std::string>(pane_.lines.begin(),
                                  pane_.lines.begin() + static_cast<std::ptrdiff_t>(count));
}

QPlainTextEdit* PaneView::BeginEdit() {
  if (!editing_) EnterEditor(view_->FirstVisibleLine(), 0);
  return editor_;
}

int PaneView::HorizontalPosition() const {
  return editing_ ? editor_->horizontalScrollBar()->value() : view_->horizontalScrollBar()->value();
}

int PaneView::FirstVisibleLine() const {
  return editing_ ? editor_->verticalScrollBar()->value() : view_->FirstVisibleLine();
}

void PaneView::EnterEditor(int line, int column) {
  const int firstLine = view_->FirstVisibleLine();
  const int shift = view_->horizontalScrollBar()->value();
  updating_ = true;
  editor_->setPlainText(JoinLines(pane_.lines, 0, std::min(view_->Count(), pane_.lines.size())));
  updating_ = false;
  follower_.EditorReset();
  editing_ = true;
  stack_->setCurrentWidget(editor_);
  QTextCursor cursor(editor_->document());
  const QTextBlock block = editor_->document()->findBlockByNumber(std::max(0, line));
  if (block.isValid())
    cursor.setPosition(block.position() + std::min(column, block.length() - 1));
  else
    cursor.movePosition(QTextCursor::End);
  editor_->setTextCursor(cursor);
  editor_->verticalScrollBar()->setValue(firstLine);
  editor_->horizontalScrollBar()->setValue(shift);
  editor_->setFocus();
  setFocusProxy(editor_);
}

void PaneView::LeaveEditor() {
  const bool hadFocus = editor_->hasFocus();
  editing_ = false;
  updating_ = true;
  editor_->clear();
  updating_ = false;
  stack_->setCurrentWidget(view_);
  setFocusProxy(view_);
  if (hadFocus) view_->setFocus();
}

}  // namespace varnel
