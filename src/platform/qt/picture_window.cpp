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

SceneView::SceneView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumSize(320, 240);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void SceneView::SetScene(Scene scene) {
  scene_ = std::move(scene);
  update();
}

QSize SceneView::sizeHint() const {
  return QSize(static_cast<int>(scene_.width > 0 ? scene_.width : 640),
               static_cast<int>(scene_.height > 0 ? scene_.height : 480));
}

double SceneView::Scale() const {
  if (scene_.width <= 0 || scene_.height <= 0) return 1;
  return std::min(width() / scene_.width, height() / scene_.height);
}

QPointF SceneView::Offset() const {
  const double s = Scale();
  return QPointF((width() - scene_.width * s) / 2, (height() - scene_.height * s) / 2);
}

QPointF SceneView::ToScene(QPointF widgetPoint) const { return (widgetPoint - Offset()) / Scale(); }

void SceneView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.translate(Offset());
  painter.scale(Scale(), Scale());
  PaintScene(painter, scene_);
}

void SceneView::mouseMoveEvent(QMouseEvent* event) {
  emit hovered(ToScene(event->position()));
  QWidget::mouseMoveEvent(event);
}

void SceneView::leaveEvent(QEvent* event) {
  emit left();
  QWidget::leaveEvent(event);
}

// ---- PictureWindow ------------------------------------------------------------------------

PictureWindow::PictureWindow(PictureKind kind, TForm1& form, Platform platform, QWidget* beside)
    : QWidget(nullptr, Qt::Window), kind_(kind), form_(form), platform_(platform) {
  const bool map = kind == PictureKind::FieldMap;
  setObjectName(map ? QStringLiteral("FieldMapWindow") : QStringLiteral("TablePlotWindow"));
  setWindowTitle(map ? QStringLiteral("Varnel - Field Map") : QStringLiteral("Varnel - Plot Table"));
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
              [this, list](int index) { Choose(PickFromList(map_, choice_, list, index)); });
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
    cdf_->addItems({QStringLiteral("dB"), QStringLiteral("Linear")});
    cdf_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bar->addWidget(new QLabel(QStringLiteral("Distributions in"), this));
    bar->addWidget(cdf_);
    connect(cdf_, &QComboBox::activated, this, [this](int index) {
      tableChoice_.cdfAxis = index == 1 ? CdfAxis::Linear : CdfAxis::Decibel;
      Rebuild();
    });
    leaveOut_ = new QCheckBox(QStringLiteral("Leave out rows with an impossible power budget"), this);
    bar->addWidget(leaveOut_);
    connect(leaveOut_, &QCheckBox::toggled, this, [this](bool on) {
      tableChoice_.leaveOutImpossibleBudgets = on;
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
  view_ = new SceneView(this);
  layout->addWidget(view_, 1);
  if (map) {
    probe_ = new QLabel(QStringLiteral(" "), this);
    probe_->setObjectName(QStringLiteral("ValueUnderCursor"));
    layout->addWidget(probe_);
    connect(view_, &SceneView::hovered, this, [this](QPointF at) { Probe(at); });
    connect(view_, &SceneView::left, this, [this] { probe_->setText(QStringLiteral(" ")); });
  }
  Rebuild();
  // Never what keeps the program running: closing the main window ends it with its pictures.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(map ? 800 : 920, map ? 660 : 700);
  if (beside) {
    // Outer sizes: this window's frame is taken to be as wide as the main window's.
    const QRect frame = beside->frameGeometry();
    const QSize border = frame.size() - beside->size();
    const QRect free =
        beside->screen() ? beside->screen()->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
    const Rect at =
        PictureBeside(Rect{frame.x(), frame.y(), frame.width(), frame.height()}, width() + border.width(),
                      height() + border.height(), Rect{free.x(), free.y(), free.width(), free.height()},
                      minimumSizeHint().width() + border.width());
    resize(at.width - border.width(), at.height - border.height());
    move(at.left, at.top);
  }
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
    view_->SetScene(TablePicture(form_, tableChoice_));
    return;
  }
  map_ = FieldMapOf(form_, choice_);
  view_->SetScene(FieldMapWindowPicture(form_, choice_, map_));
  FillChoices();
}

void PictureWindow::Choose(const FieldMapChoice& choice) {
  choice_ = choice;
  Rebuild();
}

void PictureWindow::FillChoices() {
  const FieldMapLists lists = FieldMapListsOf(map_, choice_.view);
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
      WithColourLimits(choice_, FromQt(low_->text()), FromQt(high_->text()), refusal);
  if (chosen)
    Choose(*chosen);
  else {
    FillChoices();
    platform_.ui.ShowMessage(MessageKind::Warning, form_.title, refusal);
  }
}

void PictureWindow::Probe(QPointF scenePoint) {
  std::optional<MapProbe> probe;
  if (choice_.view == MapView::Map) probe = ProbeFieldMap(map_, scenePoint.x(), scenePoint.y());
  probe_->setText(probe ? ToQt(ProbeText(map_, *probe)) : QStringLiteral(" "));
}

void PictureWindow::Save() { AskAndSavePicture(platform_, form_.title, view_->CurrentScene(), kind_); }

// ---- PictureWindows -----------------------------------------------------------------------

PictureWindows::PictureWindows(TForm1& form, Platform platform, QWidget* mainWindow)
    : form_(form), platform_(platform), main_(mainWindow) {
  RegisterQtRasterizer();
  form_.showPicture = [this](PictureKind kind) { Show(kind); };
}

PictureWindows::~PictureWindows() { form_.showPicture = nullptr; }

PictureWindow* PictureWindows::Show(PictureKind kind) {
  auto& window = windows_[static_cast<int>(kind)];
  if (!window)
    window = std::make_unique<PictureWindow>(kind, form_, platform_, main_);
  else
    window->Follow(true);
  window->show();
  window->raise();
  return window.get();
}

// During a command the table may change with every file: the pictures follow at most twice a
// second then, and always once the command has ended.
void PictureWindows::Follow() {
  if (form_.Busy() && sinceFollow_.isValid() && sinceFollow_.elapsed() < 500) return;
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
