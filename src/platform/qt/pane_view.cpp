#include "platform/qt/pane_view.hpp"

#include <QApplication>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <optional>

namespace varnel {

namespace {

constexpr int kMargin = 4;  // pixels left of the first column

std::optional<PaneKey> PaneKeyOf(int key) {
  switch (key) {
    case Qt::Key_Backspace:
      return PaneKey::Backspace;
    case Qt::Key_Delete:
      return PaneKey::Delete;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return PaneKey::Enter;
    case Qt::Key_Tab:
      return PaneKey::Tab;
    case Qt::Key_Left:
      return PaneKey::Left;
    case Qt::Key_Right:
      return PaneKey::Right;
    case Qt::Key_Up:
      return PaneKey::Up;
    case Qt::Key_Down:
      return PaneKey::Down;
    case Qt::Key_Home:
      return PaneKey::Home;
    case Qt::Key_End:
      return PaneKey::End;
    case Qt::Key_PageUp:
      return PaneKey::PageUp;
    case Qt::Key_PageDown:
      return PaneKey::PageDown;
    case Qt::Key_Insert:
      return PaneKey::Insert;
    case Qt::Key_A:
      return PaneKey::A;
    case Qt::Key_C:
      return PaneKey::C;
    case Qt::Key_V:
      return PaneKey::V;
    case Qt::Key_X:
      return PaneKey::X;
    default:
      return std::nullopt;
  }
}

unsigned ModifiersOf(const QKeyEvent* key) {
  return (key->modifiers() & Qt::ShiftModifier ? kShift : kNoModifier) |
         (key->modifiers() & Qt::ControlModifier ? kControl : kNoModifier);
}

// The row of kPaneKeys a key event stands for.
const PaneKeyRow* RowOf(const QKeyEvent* key) {
  if (key->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) return nullptr;
  const std::optional<PaneKey> paneKey = PaneKeyOf(key->key());
  return paneKey ? FindPaneKey(*paneKey, ModifiersOf(key)) : nullptr;
}

}  // namespace

QString PaneToQt(const std::string& line) {
  return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
}

std::string PaneFromQt(const QString& text) { return text.toLatin1().toStdString(); }

PaneView::PaneView(Pane& pane, UserInterface& ui, std::function<bool()> editable, QWidget* parent)
    : QAbstractScrollArea(parent),
      pane_(pane),
      ui_(ui),
      editable_(std::move(editable)),
      editor_(pane),
      follower_(pane) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  viewport()->setCursor(Qt::IBeamCursor);
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { emit contextMenuRequested(viewport()->mapToGlobal(at)); });
}

int PaneView::LineHeight() const { return std::max(1, fontMetrics().lineSpacing()); }
int PaneView::CharWidth() const { return std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('M'))); }
int PaneView::FirstVisibleLine() const { return verticalScrollBar()->value(); }
int PaneView::HorizontalPosition() const { return horizontalScrollBar()->value(); }

TextPos PaneView::PlaceAt(const QPoint& at) const {
  const int line = FirstVisibleLine() + std::max(0, at.y()) / LineHeight();
  const int column = (at.x() - kMargin + HorizontalPosition() + CharWidth() / 2) / CharWidth();
  return {static_cast<std::size_t>(line), static_cast<std::size_t>(std::max(0, column))};
}

void PaneView::Refresh() {
  const PaneSteps steps = follower_.Refresh(editor_);
  if (steps.showLines) ShowLines(steps.rewritten);
  if (steps.toTop) {
    verticalScrollBar()->setValue(0);
    viewport()->update();
  }
  if (steps.toEnd) verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void PaneView::ShowLines(bool rewritten) {
  shown_.Follow(pane_.lines, rewritten);
  UpdateScrollBars();
  viewport()->update();
}

std::vector<std::string> PaneView::ShownLines() const {
  const std::size_t count = std::min(shown_.count, pane_.lines.size());
  return std::vector<std::string>(pane_.lines.begin(),
                                  pane_.lines.begin() + static_cast<std::ptrdiff_t>(count));
}

void PaneView::UpdateScrollBars() {
  const int rows = std::max(1, viewport()->height() / LineHeight());
  editor_.SetPageRows(static_cast<std::size_t>(rows));
  const int count = static_cast<int>(std::min<std::size_t>(shown_.count, 0x7fffffff));
  // A view showing the last line keeps showing it when a scroll bar appears and the rows shrink.
  QScrollBar* vertical = verticalScrollBar();
  const bool atEnd = vertical->maximum() > 0 && vertical->value() == vertical->maximum();
  vertical->setRange(0, std::max(0, count - rows));
  if (atEnd) vertical->setValue(vertical->maximum());
  vertical->setPageStep(rows);
  vertical->setSingleStep(1);
  // One column more than the widest line: the caret behind it stays in sight.
  const qint64 textWidth = static_cast<qint64>(shown_.widest + 1) * CharWidth() + 2 * kMargin;
  horizontalScrollBar()->setRange(
      0, static_cast<int>(std::clamp<qint64>(textWidth - viewport()->width(), 0, 0x3fffffff)));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(CharWidth());
}

void PaneView::AfterInput() {
  if (editor_.Refused()) QApplication::beep();
  if (editor_.Changed()) {
    ShowLines(true);
    follower_.Looked();
  }
  const TextPos caret = editor_.Caret();
  const std::size_t rows = static_cast<std::size_t>(std::max(1, viewport()->height() / LineHeight()));
  verticalScrollBar()->setValue(
      static_cast<int>(KeepVisible(static_cast<std::size_t>(FirstVisibleLine()), rows, caret.line)));
  const std::size_t columns =
      static_cast<std::size_t>(std::max(1, (viewport()->width() - 2 * kMargin) / CharWidth()));
  const std::size_t firstColumn = static_cast<std::size_t>(HorizontalPosition() / CharWidth());
  horizontalScrollBar()->setValue(static_cast<int>(KeepVisible(firstColumn, columns, caret.column)) *
                                  CharWidth());
  viewport()->update();
}

void PaneView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.setFont(font());
  const QFontMetrics metrics(font());
  const int lineHeight = LineHeight(), charWidth = CharWidth();
  const int shift = HorizontalPosition();
  const std::size_t firstColumn = static_cast<std::size_t>(std::max(0, shift - kMargin) / charWidth);
  const std::size_t columns = static_cast<std::size_t>(viewport()->width() / charWidth + 2);
  // A redraw between a change of the pane and the next Refresh never reads past its end.
  const std::size_t count = std::min(shown_.count, pane_.lines.size());
  const int rows = viewport()->height() / lineHeight + 1;
  const auto [selFrom, selTo] = editor_.Selection();
  const TextPos caret = editor_.Caret();
  const QColor highlight =
      palette().color(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
  auto x = [&](std::size_t column) { return kMargin + static_cast<int>(column) * charWidth - shift; };
  for (int row = 0; row < rows; ++row) {
    const std::size_t index = static_cast<std::size_t>(FirstVisibleLine()) + static_cast<std::size_t>(row);
    if (index >= count) break;
    const std::string_view line = pane_.lines[index];
    const int top = row * lineHeight;
    if (selFrom != selTo && index >= selFrom.line && index <= selTo.line) {
      // The selected columns, and the line break behind a line the selection goes past.
      const std::size_t from = index == selFrom.line ? selFrom.column : 0;
      const std::size_t to = index == selTo.line ? selTo.column : line.size() + 1;
      painter.fillRect(QRect(x(from), top, x(to) - x(from), lineHeight), highlight);
    }
    if (firstColumn >= line.size()) continue;
    QString text = QString::fromLatin1(line.data() + firstColumn,
                                       static_cast<qsizetype>(std::min(columns, line.size() - firstColumn)));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));  // one column, as the caret counts it
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(x(firstColumn), top + metrics.ascent(), text);
    if (selFrom != selTo && index >= selFrom.line && index <= selTo.line) {
      const std::size_t from = std::max(firstColumn, index == selFrom.line ? selFrom.column : 0);
      const std::size_t to = std::min(line.size(), index == selTo.line ? selTo.column : line.size());
      if (from < to) {
        painter.setPen(palette().color(QPalette::HighlightedText));
        painter.drawText(x(from), top + metrics.ascent(),
                         QString::fromLatin1(line.data() + from, static_cast<qsizetype>(to - from))
                             .replace(QLatin1Char('\t'), QLatin1Char(' ')));
      }
    }
  }
  if (hasFocus() && caret.line >= static_cast<std::size_t>(FirstVisibleLine())) {
    const int top = static_cast<int>(caret.line - static_cast<std::size_t>(FirstVisibleLine())) * lineHeight;
    if (top < viewport()->height())
      painter.fillRect(QRect(x(caret.column), top, 2, lineHeight), palette().color(QPalette::Text));
  }
}

void PaneView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void PaneView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  setFocus(Qt::MouseFocusReason);
  editor_.Click(PlaceAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
  viewport()->update();
}

void PaneView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseDoubleClickEvent(event);
  editor_.SelectField(PlaceAt(event->position().toPoint()));
  AfterInput();
}

void PaneView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  editor_.DragTo(PlaceAt(event->position().toPoint()));
  AfterInput();
}

bool PaneView::event(QEvent* event) {
  // The pane's keys go to the pane before any shortcut of the window takes them.
  if (event->type() == QEvent::ShortcutOverride && RowOf(static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) viewport()->update();
  return QAbstractScrollArea::event(event);
}

void PaneView::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty()) {
    editor_.Type(PaneFromQt(event->commitString()), Editable());
    AfterInput();
  }
  event->accept();
}

void PaneView::keyPressEvent(QKeyEvent* event) {
  const bool editable = Editable();
  if (RowOf(event)) {
    editor_.Press(*PaneKeyOf(event->key()), ModifiersOf(event), ui_, editable);
  } else if (!event->text().isEmpty() && event->text().at(0).isPrint() &&
             !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    editor_.Type(PaneFromQt(event->text()), editable);
  } else {
    return QAbstractScrollArea::keyPressEvent(event);
  }
  AfterInput();
}

}  // namespace varnel
