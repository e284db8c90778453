#include "platform/qt/picture_window.hpp"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QWheelEvent>
#include <QVBoxLayout>
#include <cmath>
#include <functional>
#include <tuple>
#include <utility>

#include "mainwindow/VarnelU.hpp"
#include "picture/picture_file.hpp"
#include "platform/qt/qt_ui.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

QColor ToQColor(Colour c) { return QColor(c.r, c.g, c.b); }

QPen PenOf(const Stroke& stroke) {
  QPen pen(ToQColor(stroke.colour), stroke.width);
  if (stroke.dashed) pen.setDashPattern({6 / std::max(stroke.width, 0.1), 4 / std::max(stroke.width, 0.1)});
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void SetPaint(QPainter& painter, const std::optional<Colour>& fill, const std::optional<Stroke>& stroke) {
  painter.setBrush(fill ? QBrush(ToQColor(*fill)) : Qt::NoBrush);
  painter.setPen(stroke ? PenOf(*stroke) : QPen(Qt::NoPen));
}

struct ItemPainter {
  QPainter& painter;
  void operator()(const LineItem& line) const {
    painter.setPen(PenOf(line.stroke));
    painter.drawLine(QPointF(line.x1, line.y1), QPointF(line.x2, line.y2));
  }
  void operator()(const PolylineItem& line) const {
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(line.points.size()));
    for (const Point2D& p : line.points) points << QPointF(p.x, p.y);
    painter.setPen(PenOf(line.stroke));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(points);
  }
  void operator()(const RectItem& rect) const {
    SetPaint(painter, rect.fill, rect.stroke);
    painter.drawRect(QRectF(rect.x, rect.y, rect.width, rect.height));
  }
  void operator()(const CircleItem& circle) const {
    SetPaint(painter, circle.fill, circle.stroke);
    painter.drawEllipse(QPointF(circle.cx, circle.cy), circle.r, circle.r);
  }
  void operator()(const TextItem& text) const {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(text.size))));
    font.setBold(text.bold);
    painter.setFont(font);
    painter.setPen(ToQColor(text.colour));
    const QString shown = QString::fromUtf8(CleanText(text.text));
    const double width = QFontMetricsF(font).horizontalAdvance(shown);
    const double shift = text.anchor == TextAnchor::Middle ? width / 2
                         : text.anchor == TextAnchor::End  ? width
                                                           : 0;
    painter.save();
    painter.translate(text.x, text.y);
    if (text.vertical) painter.rotate(-90);
    painter.drawText(QPointF(-shift, 0), shown);
    painter.restore();
  }
  void operator()(const ImageItem& image) const {
    if (image.columns <= 0 || image.rows <= 0) return;
    QImage raster(image.columns, image.rows, QImage::Format_RGB32);
    std::size_t k = 0;
    for (int row = 0; row < image.rows; ++row) {
      auto* line = reinterpret_cast<QRgb*>(raster.scanLine(row));
      for (int column = 0; column < image.columns; ++column, ++k) {
        const Colour c = k < image.pixels.size() ? image.pixels[k] : Colour{};
        line[column] = qRgb(c.r, c.g, c.b);
      }
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRectF(image.x, image.y, image.width, image.height), raster);
    painter.restore();
  }
};

}  // namespace

void PaintScene(QPainter& painter, const Scene& scene) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.fillRect(QRectF(0, 0, scene.width, scene.height), ToQColor(scene.background));
  const ItemPainter itemPainter{painter};
  for (const SceneItem& item : scene.items) std::visit(itemPainter, item);
}

std::string RasterPng(const Scene& scene) {
  if (!QCoreApplication::instance()) {
    // A headless script: a Qt application only for drawing, never on a screen.
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "varnel";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    (void)application;
  }
  const int width = std::max(1, static_cast<int>(std::ceil(scene.width)));
  const int height = std::max(1, static_cast<int>(std::ceil(scene.height)));
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PaintScene(painter, scene);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return "";
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void RegisterQtRasterizer() { SetSceneRasterizer(&RasterPng); }

// ---- SceneView ----------------------------------------------------------------------------

SceneView::SceneView(PictureZoom& zoom, QWidget* parent) : QAbstractScrollArea(parent), zoom_(zoom) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(200, 150);
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setCursor(Qt::OpenHandCursor);
}

void SceneView::SetScene(Scene scene) {
  scene_ = std::move(scene);
  Refresh();
}

void SceneView::Refresh() {
  laying_ = true;
  layout_ = LayOutView(scene_, width(), height(),
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), zoom_);
  zoom_.scrollX = layout_.scrollX;
  zoom_.scrollY = layout_.scrollY;
  for (const auto& [bar, shown, most, page, at] :
       {std::tuple{horizontalScrollBar(), layout_.barX, layout_.maxX, layout_.width, layout_.scrollX},
        std::tuple{verticalScrollBar(), layout_.barY, layout_.maxY, layout_.height, layout_.scrollY}}) {
    const Qt::ScrollBarPolicy policy = shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (bar == horizontalScrollBar() && horizontalScrollBarPolicy() != policy)
      setHorizontalScrollBarPolicy(policy);
    if (bar == verticalScrollBar() && verticalScrollBarPolicy() != policy) setVerticalScrollBarPolicy(policy);
    bar->setRange(0, static_cast<int>(std::ceil(most)));
    bar->setPageStep(std::max(1, page));
    bar->setSingleStep(40);
    bar->setValue(static_cast<int>(std::lround(at)));
  }
  laying_ = false;
  viewport()->update();
}

QPointF SceneView::ToScene(QPointF viewPoint) const {
  const Point2D p = layout_.ToScene({viewPoint.x(), viewPoint.y()});
  return {p.x, p.y};
}

void SceneView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), Qt::white);
  painter.translate(layout_.left, layout_.top);
  painter.scale(layout_.scale, layout_.scale);
  PaintScene(painter, scene_);
}

void SceneView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (!laying_) Refresh();
}

// A scroll bar moved (dragged, clicked): the zoom takes its place.
void SceneView::scrollContentsBy(int, int) {
  if (laying_) return;
  zoom_.scrollX = horizontalScrollBar()->value();
  zoom_.scrollY = verticalScrollBar()->value();
  Refresh();
}

void SceneView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  dragFrom_ = event->position();
  viewport()->setCursor(Qt::ClosedHandCursor);
  emit pressed(event->position());
}

void SceneView::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
    emit dragged(*dragFrom_, event->position());
    dragFrom_ = event->position();
  }
  emit hovered(ToScene(event->position()));
}

void SceneView::mouseReleaseEvent(QMouseEvent* event) {
  dragFrom_.reset();
  viewport()->setCursor(Qt::OpenHandCursor);
  QAbstractScrollArea::mouseReleaseEvent(event);
}

void SceneView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches != 0) emit wheeled(event->position(), notches, event->modifiers() & Qt::ControlModifier);
  event->accept();
}

// The window decides what a key does.
void SceneView::keyPressEvent(QKeyEvent* event) { event->ignore(); }

void SceneView::leaveEvent(QEvent* event) {
  emit left();
  QAbstractScrollArea::leaveEvent(event);
}

// ---- PictureWindow ------------------------------------------------------------------------

PictureWindow::PictureWindow(PictureKind kind, TForm1& form, Platform platform)
    : QWidget(nullptr, Qt::Window), kind_(kind), form_(form), platform_(platform) {
  const bool map = kind == PictureKind::FieldMap;
  setObjectName(map ? QStringLiteral("FieldMapWindow") : QStringLiteral("TablePlotWindow"));
  setWindowTitle(ToQt(PictureTitle(kind)));
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  auto* limitsBar = map ? new QHBoxLayout : nullptr;
  if (map) {
    viewList_ = new QComboBox(this);
    plane_ = new QComboBox(this);
    level_ = new QComboBox(this);
    scale_ = new QComboBox(this);
    bar->addWidget(new QLabel(QStringLiteral("View"), this));
    bar->addWidget(viewList_);
    bar->addWidget(new QLabel(QStringLiteral("Plane"), this));
    bar->addWidget(plane_);
    bar->addWidget(new QLabel(QStringLiteral("at"), this));
    bar->addWidget(level_);
    bar->addWidget(new QLabel(QStringLiteral("Scale"), this));
    bar->addWidget(scale_);
    for (const auto& [box, list] :
         {std::pair{plane_, FieldMapList::Plane}, std::pair{level_, FieldMapList::Level},
          std::pair{scale_, FieldMapList::Scale}, std::pair{viewList_, FieldMapList::View}})
      connect(box, &QComboBox::activated, this,
              [this, list](int index) { Choose(PickFromList(map_, state_.map, list, index)); });
    for (QComboBox* box : {viewList_, plane_, level_, scale_})
      box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    low_ = new QLineEdit(this);
    high_ = new QLineEdit(this);
    setLimits_ = new QPushButton(QStringLiteral("Set"), this);
    limitsBar->addWidget(new QLabel(QStringLiteral("Colour limits: low"), this));
    limitsBar->addWidget(low_);
    limitsBar->addWidget(new QLabel(QStringLiteral("high"), this));
    limitsBar->addWidget(high_);
    limitsBar->addWidget(setLimits_);
    limitsBar->addStretch(1);
    for (QLineEdit* edit : {low_, high_}) {
      edit->setPlaceholderText(QStringLiteral("auto"));
      edit->setMaximumWidth(90);
      connect(edit, &QLineEdit::returnPressed, this, [this] { SetLimits(); });
    }
    connect(setLimits_, &QPushButton::clicked, this, [this] { SetLimits(); });
  } else {
    cdf_ = new QComboBox(this);
    for (const std::string& entry : CdfAxisEntries()) cdf_->addItem(ToQt(entry));
    cdf_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bar->addWidget(new QLabel(QStringLiteral("Distributions in"), this));
    bar->addWidget(cdf_);
    connect(cdf_, &QComboBox::activated, this, [this](int index) {
      state_.table.cdfAxis = CdfAxisAt(index);
      Rebuild();
    });
    leaveOut_ = new QCheckBox(QStringLiteral("Leave out rows with an impossible power budget"), this);
    bar->addWidget(leaveOut_);
    connect(leaveOut_, &QCheckBox::toggled, this, [this](bool on) {
      state_.table.leaveOutImpossibleBudgets = on;
      Rebuild();
    });
  }
  bar->addStretch(1);
  save_ = new QPushButton(QStringLiteral("Save..."), this);
  save_->setObjectName(QStringLiteral("SavePicture"));
  connect(save_, &QPushButton::clicked, this, [this] { Save(); });
  bar->addWidget(save_);
  layout->addLayout(bar);
  if (limitsBar) layout->addLayout(limitsBar);
  view_ = new SceneView(state_.zoom, this);
  layout->addWidget(view_, 1);
  // Under the picture: the value under the cursor or the hint, and the zoom buttons, which do
  // what their keys do.
  auto* foot = new QHBoxLayout;
  probe_ = new QLabel(ToQt(PictureHint(kind)), this);
  probe_->setObjectName(QStringLiteral("ValueUnderCursor"));
  probe_->setMinimumWidth(1);  // a long hint is cut rather than widen the window
  foot->addWidget(probe_, 1);
  for (const auto& [text, key] :
       {std::pair{QStringLiteral("Zoom +"), Qt::Key_Plus}, std::pair{QStringLiteral("Zoom -"), Qt::Key_Minus},
        std::pair{map ? QStringLiteral("Whole map") : QStringLiteral("Fit"), Qt::Key_0}}) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QStringLiteral("ZoomKey%1").arg(key));
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, key] { Press(key, false); });
    foot->addWidget(button);
  }
  layout->addLayout(foot);
  if (map) {
    connect(view_, &SceneView::hovered, this, [this](QPointF at) { Probe(at); });
    connect(view_, &SceneView::left, this, [this] { probe_->setText(ToQt(PictureHint(kind_))); });
  }
  connect(view_, &SceneView::pressed, this, [this](QPointF at) {
    dragOnMap_ = OnMap(Shown(), state_, {at.x(), at.y()});
  });
  connect(view_, &SceneView::dragged, this, [this](QPointF from, QPointF to) {
    Apply(Drag(Shown(), {from.x(), from.y()}, {to.x(), to.y()}, dragOnMap_, state_));
  });
  connect(view_, &SceneView::wheeled, this, [this](QPointF at, double notches, bool control) {
    Apply(TurnWheel(Shown(), notches, control, {at.x(), at.y()}, state_));
  });
  // Esc closes the window wherever its focus is (a list takes the other keys for itself).
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] { Press(Qt::Key_Escape, false); });
  Rebuild();
  // Never what keeps the program running: closing the main window ends it with its pictures.
  setAttribute(Qt::WA_QuitOnClose, false);
  view_->setFocus();
}

void PictureWindow::PlaceBeside(QWidget* mainWindow, const std::vector<Rect>& others) {
  // The window's own parts around the view, at the size its layout asks for.
  resize(sizeHint());
  layout()->activate();
  // Outer sizes: this window's frame is taken to be as wide as the main window's.
  const QRect frame = mainWindow->frameGeometry();
  const QSize border = frame.size() - mainWindow->size();
  const QRect free =
      mainWindow->screen() ? mainWindow->screen()->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
  PictureChrome chrome;
  chrome.width = width() - view_->width() + border.width();
  chrome.height = height() - view_->height() + border.height();
  chrome.leastWidth = minimumSizeHint().width() + border.width();
  chrome.scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view_);
  const Rect main{frame.x(), frame.y(), frame.width(), frame.height()};
  const PictureArrangement at = ArrangePicture(main, Rect{free.x(), free.y(), free.width(), free.height()},
                                               view_->CurrentScene(), chrome, others);
  if (!(at.main == main)) mainWindow->move(at.main.left, at.main.top);
  resize(at.picture.width - border.width(), at.picture.height - border.height());
  move(at.picture.left, at.picture.top);
}

std::size_t PictureWindow::StateKey() const { return PictureStateKey(form_, kind_); }

void PictureWindow::Follow(bool force) {
  const std::size_t key = StateKey();
  if (!force && (!isVisible() || shownKey_ == key)) return;
  Rebuild();
}

void PictureWindow::Rebuild() {
  shownKey_ = StateKey();
  if (kind_ == PictureKind::Table) {
    view_->SetScene(TablePicture(form_, state_.table));
    return;
  }
  map_ = FieldMapOf(form_, state_.map);
  view_->SetScene(FieldMapWindowPicture(form_, state_.map, map_));
  FillChoices();
}

void PictureWindow::Redraw() {
  map_.zoom = state_.map.zoom;
  view_->SetScene(FieldMapWindowPicture(form_, state_.map, map_));
}

void PictureWindow::Apply(PictureEffect effect) {
  switch (effect) {
    case PictureEffect::Close:
      close();
      break;
    case PictureEffect::Repaint:
      view_->Refresh();
      break;
    case PictureEffect::Redraw:
      Redraw();
      break;
    case PictureEffect::None:
      break;
  }
}

bool PictureWindow::Press(int key, bool control) {
  static const std::pair<int, PictureKey> keys[] = {
      {Qt::Key_Escape, PictureKey::Escape}, {Qt::Key_Plus, PictureKey::Plus},
      {Qt::Key_Equal, PictureKey::Plus},    {Qt::Key_Minus, PictureKey::Minus},
      {Qt::Key_0, PictureKey::Zero},        {Qt::Key_Home, PictureKey::Home},
      {Qt::Key_Left, PictureKey::Left},     {Qt::Key_Right, PictureKey::Right},
      {Qt::Key_Up, PictureKey::Up},         {Qt::Key_Down, PictureKey::Down},
      {Qt::Key_PageUp, PictureKey::PageUp}, {Qt::Key_PageDown, PictureKey::PageDown}};
  for (const auto& [code, pictureKey] : keys)
    if (code == key) {
      Apply(PressKey(Shown(), pictureKey, control, state_));
      return true;
    }
  return false;
}

void PictureWindow::keyPressEvent(QKeyEvent* event) {
  if (!Press(event->key(), event->modifiers() & Qt::ControlModifier)) QWidget::keyPressEvent(event);
}

void PictureWindow::Choose(const FieldMapChoice& choice) {
  state_.map = choice;
  Rebuild();
}

void PictureWindow::FillChoices() {
  const FieldMapLists lists = FieldMapListsOf(map_, state_.map.view);
  for (const auto& [box, texts, shown] :
       {std::tuple{plane_, &lists.planes, lists.plane}, std::tuple{level_, &lists.levels, lists.level},
        std::tuple{scale_, &lists.scales, lists.scale}, std::tuple{viewList_, &lists.views, lists.view}}) {
    box->clear();
    for (const std::string& text : *texts) box->addItem(ToQt(text));
    box->setCurrentIndex(shown);
    // Never narrower than its longest entry, so no entry is cut at the window's smallest size.
    box->setMinimumWidth(box->sizeHint().width());
  }
  low_->setText(ToQt(lists.low));
  high_->setText(ToQt(lists.high));
}

void PictureWindow::SetLimits() {
  std::string refusal;
  const std::optional<FieldMapChoice> chosen =
      WithColourLimits(state_.map, FromQt(low_->text()), FromQt(high_->text()), refusal);
  if (chosen)
    Choose(*chosen);
  else {
    FillChoices();
    platform_.ui.ShowMessage(MessageKind::Warning, form_.title, refusal);
  }
}

void PictureWindow::Probe(QPointF scenePoint) {
  std::optional<MapProbe> probe;
  if (state_.map.view == MapView::Map) probe = ProbeFieldMap(map_, scenePoint.x(), scenePoint.y());
  probe_->setText(ToQt(probe ? ProbeText(map_, *probe) : PictureHint(kind_)));
}

void PictureWindow::Save() { AskAndSavePicture(platform_, form_.title, view_->CurrentScene(), kind_); }

// ---- PictureWindows -----------------------------------------------------------------------

PictureWindows::PictureWindows(TForm1& form, Platform platform, QWidget* mainWindow)
    : form_(form), platform_(platform), main_(mainWindow) {
  RegisterQtRasterizer();
  form_.showPicture = [this](PictureKind kind) { Show(kind); };
}

PictureWindows::~PictureWindows() { form_.showPicture = nullptr; }

// A window opens (and opens again after it was closed) where the core arranges it; an open one
// is only raised.
PictureWindow* PictureWindows::Show(PictureKind kind) {
  auto& window = windows_[static_cast<int>(kind)];
  if (!window)
    window = std::make_unique<PictureWindow>(kind, form_, platform_);
  else
    window->Follow(true);
  if (!window->isVisible() && main_) {
    std::vector<Rect> others;
    for (const auto& other : windows_)
      if (other && other != window && other->isVisible()) {
        const QRect outer = other->frameGeometry();
        others.push_back(Rect{outer.x(), outer.y(), outer.width(), outer.height()});
      }
    window->PlaceBeside(main_, others);
  }
  window->show();
  window->raise();
  return window.get();
}

void PictureWindows::Follow() {
  if (form_.Busy() && sinceFollow_.isValid() &&
      sinceFollow_.elapsed() < static_cast<qint64>(kPictureFollowMs))
    return;
  sinceFollow_.start();
  for (auto& window : windows_)
    if (window) window->Follow();
}

void PictureWindows::CloseAll() {
  for (auto& window : windows_)
    if (window) window->close();
}

PictureWindow* PictureWindows::Window(PictureKind kind) const {
  return windows_[static_cast<int>(kind)].get();
}

}  // namespace varnel
