#include "platform/qt/main_window.hpp"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>
#include <chrono>
#include <functional>

#include "mainwindow/VarnelU.hpp"
#include "mainwindow/access_keys.hpp"
#include "mainwindow/pane_follow.hpp"
#include "platform/qt/pane_view.hpp"
#include "platform/qt/picture_window.hpp"
#include "platform/qt/qt_ui.hpp"

namespace varnel {

namespace {

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, std::max(r.width, 0), std::max(r.height, 0)); }

// The rows of the right column's regions: fields 20 pixels high, 2 apart, as the regions'
// fixed heights (153 and 129) allow.
constexpr int kFieldHeight = 20;

// A read-only centred field at least as wide as the widest text its commands write.
QLineEdit* MakeField(QWidget* parent, const DisplayField& field) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(ToQt(field.name));
  edit->setReadOnly(true);
  edit->setAlignment(Qt::AlignCenter);
  edit->setFixedHeight(kFieldHeight);
  const int text = edit->fontMetrics().horizontalAdvance(ToQt(TForm1::WidestText(field.name)));
  edit->setMinimumWidth(text + 10);  // the frame and the text margins
  return edit;
}

QGridLayout* Grid(QGroupBox* box) {
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(6, 2, 6, 4);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(2);
  return grid;
}

qint64 NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The caption as a Qt text with its access character marked ('&' before it; a '&' of the
// caption itself doubled), so that Alt + that key opens the menu.
QString WithAccessKey(const std::string& caption, std::size_t key) {
  return ToQt(MarkedCaption(caption, key));
}

// The access characters of a row of captions, as AccessKeys chooses them.
std::vector<std::size_t> KeysOf(const std::vector<MenuItem>& items) {
  std::vector<std::string> captions;
  for (const MenuItem& item : items) captions.push_back(item.separator ? std::string() : item.caption);
  return AccessKeys(captions);
}

constexpr qint64 kFrameMs = static_cast<qint64>(kRedrawIntervalMs);

// The handle of a splitter between the panes: it shows the resize cursor and hands a drag to the
// model, which lays the window out again.
class SplitterHandle : public QWidget {
 public:
  SplitterHandle(QWidget* parent, TForm1::Splitter splitter, std::function<void(int)> dragged)
      : QWidget(parent), splitter_(splitter), dragged_(std::move(dragged)) {
    setCursor(splitter == TForm1::Splitter::Rows ? Qt::SplitVCursor : Qt::SplitHCursor);
    setObjectName(splitter == TForm1::Splitter::Rows ? QStringLiteral("SplitterRows")
                                                     : QStringLiteral("SplitterColumns"));
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override { event->accept(); }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPoint at = mapToParent(event->position().toPoint());
    dragged_(splitter_ == TForm1::Splitter::Rows ? at.y() : at.x());
  }

 private:
  TForm1::Splitter splitter_;
  std::function<void(int)> dragged_;
};

// Enter, F2 and Space on a focused field that a double-click edits open its editor, as the
// double-click does.
bool OpensFieldEditor(const QKeyEvent& key) {
  return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_F2 ||
         key.key() == Qt::Key_Space;
}

}  // namespace

VarnelWindow::VarnelWindow(TForm1& form, QtUi& ui) : form_(form), ui_(ui) {
  setWindowTitle(ToQt(form_.caption));
  setCentralWidget(new QWidget(this));
  BuildRegions();
  BuildSplitters();
  BuildMenus();
  statusText_ = new QLabel(this);
  statusBar()->addWidget(statusText_, 1);
  progressBar_ = new QProgressBar(this);
  progressBar_->setRange(0, 1000);
  progressBar_->setMaximumWidth(220);
  progressBar_->setTextVisible(false);
  progressBar_->hide();
  statusBar()->addPermanentWidget(progressBar_);
  // Stop and Esc end the running command; the model decides when they do anything.
  stopButton_ = new QPushButton(QStringLiteral("Stop"), this);
  stopButton_->setObjectName(QStringLiteral("Stop"));
  stopButton_->setEnabled(false);
  stopButton_->setFocusPolicy(Qt::NoFocus);
  statusBar()->addPermanentWidget(stopButton_);
  connect(stopButton_, &QPushButton::clicked, this, [this] {
    form_.RequestStop();
    SyncStatus();
  });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] {
    if (form_.EscapePressed()) SyncStatus();
  });
  ui_.SetWindow(this);
  pictures_ = std::make_unique<PictureWindows>(form_, form_.platform, this);
  // What the right column needs with this font; the model makes the window at least that
  // large and centres it again, as at creation.
  TForm1::LayoutNeeds needs;
  for (const char* name : {"GBBasicData", "GBNearField", "GBCommands"})
    needs.rightColumn = std::max(needs.rightColumn, regions_[name]->minimumSizeHint().width());
  needs.commandsHeight = regions_["GBCommands"]->minimumSizeHint().height();
  // A table row in the Data pane's font, with the pane's frame, its scroll bar and the region's
  // margins around the pane.
  PaneView* data = panes_["Mdata"].widget;
  needs.tableRow = data->fontMetrics().horizontalAdvance(QString(TForm1::kTableRowChars, QLatin1Char('0'))) +
                   2 * data->frameWidth() + data->verticalScrollBar()->sizeHint().width() + 16 + 8;
  form_.SetLayoutNeeds(needs);
  form_.MIWindowCenterClick();
  ApplyWindowRect();
  form_.FormResize();
  ApplyGeometry();
  SyncFromModel();
}

VarnelWindow::~VarnelWindow() { ui_.SetWindow(nullptr); }

void VarnelWindow::BuildRegions() {
  QWidget* client = centralWidget();
  auto region = [&](Region& model) {
    auto* box = new QGroupBox(ToQt(model.caption), client);
    box->setObjectName(ToQt(model.name));
    regions_[model.name] = box;
    return box;
  };
  auto pane = [&](const std::string& name, Pane& model, QGroupBox* box) {
    auto* view = new PaneView(
        model, ui_, [this] { return form_.TakesPaneEdits(); }, box);
    view->setObjectName(ToQt(name));
    panes_[name] = PaneSlot{&model, view};
    return view;
  };

  pane("M", form_.M, region(form_.GBEdit));
  pane("Mout", form_.Mout, region(form_.GBInfo));
  PaneView* mdata = pane("Mdata", form_.Mdata, region(form_.GBdata));

  // The right column: each region lays its controls out in a grid whose field column takes
  // the width the model gives the region. Each field is at least as wide as the widest text
  // its commands write; the rows keep the heights the regions' fixed heights allow.
  QGroupBox* basic = region(form_.GBBasicData);
  auto* basicGrid = Grid(basic);
  int basicRow = 0;
  for (DisplayField* field : form_.BasicDataFields()) {
    basicGrid->addWidget(new QLabel(ToQt(field->label), basic), basicRow, 0);
    basicGrid->addWidget(fields_[field->name] = MakeField(basic, *field), basicRow++, 1);
  }
  basicGrid->setColumnStretch(1, 1);

  QGroupBox* near = region(form_.GBNearField);
  auto* nearGrid = Grid(near);
  for (int c = 0; c < 3; ++c) {
    auto* heading = new QLabel(ToQt(TForm1::kGridColumns[c]), near);
    heading->setAlignment(Qt::AlignCenter);
    nearGrid->addWidget(heading, 0, c + 1);
    nearGrid->setColumnStretch(c + 1, 1);
  }
  const std::array<DisplayField*, 9> grid = form_.GridFields();
  for (int r = 0; r < 3; ++r) {
    nearGrid->addWidget(new QLabel(ToQt(TForm1::kGridRows[r]), near), r + 1, 0);
    for (int c = 0; c < 3; ++c) {
      DisplayField& field = *grid[r * 3 + c];
      nearGrid->addWidget(fields_[field.name] = MakeField(near, field), r + 1, c + 1);
    }
  }
  nearGrid->addWidget(new QLabel(ToQt(form_.EditType.label), near), 4, 0);
  nearGrid->addWidget(fields_[form_.EditType.name] = MakeField(near, form_.EditType), 4, 1, 1, 3);

  QGroupBox* commands = region(form_.GBCommands);
  auto* commandsGrid = Grid(commands);
  int buttonColumn = 0;
  for (const MenuItem& control : form_.Controls) {
    if (control.caption.empty()) continue;  // a display field
    auto* push = new QPushButton(ToQt(control.caption), commands);
    push->setObjectName(ToQt(control.name));
    const std::string name = control.name;
    connect(push, &QPushButton::clicked, this, [this, name] { RunCommand(name); });
    commandsGrid->addWidget(push, 0, buttonColumn, 1, 2);
    buttonColumn += 2;
  }
  commandsGrid->addWidget(new QLabel(ToQt(form_.EditPoint.label), commands), 1, 0);
  commandsGrid->addWidget(fields_[form_.EditPoint.name] = MakeField(commands, form_.EditPoint), 1, 1);
  commandsGrid->addWidget(new QLabel(ToQt(form_.EditPointA.label), commands), 1, 2);
  commandsGrid->addWidget(fields_[form_.EditPointA.name] = MakeField(commands, form_.EditPointA), 1, 3);
  commandsGrid->setColumnStretch(1, 3);
  commandsGrid->setColumnStretch(3, 2);
  auto* normalizeRow = new QHBoxLayout;
  normalizeRow->addWidget(new QLabel(ToQt(form_.EditNormalizePower.label), commands));
  normalizeRow->addWidget(
      fields_[form_.EditNormalizePower.name] = MakeField(commands, form_.EditNormalizePower), 1);
  commandsGrid->addLayout(normalizeRow, 2, 0, 1, 4);
  for (auto& [name, field] : fields_)
    if (form_.AnswersDoubleClick(name)) field->installEventFilter(this);

  // The radio groups side by side, each item at its natural height.
  auto* radioRow = new QHBoxLayout;
  auto radio = [&](RadioGroup& model) {
    auto* box = new QGroupBox(ToQt(model.caption), commands);
    box->setObjectName(ToQt(model.name));
    box->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 2, 2, 2);
    layout->setSpacing(0);
    auto* group = new QButtonGroup(box);
    for (std::size_t i = 0; i < model.items.size(); ++i) {
      auto* button = new QRadioButton(ToQt(model.items[i]), box);
      group->addButton(button, static_cast<int>(i));
      layout->addWidget(button);
    }
    layout->addStretch(1);
    // A refused switch (a batch holds the group) puts the check back on the model's item.
    RadioGroup* target = &model;
    connect(group, &QButtonGroup::idClicked, this, [this, target](int id) {
      if (!form_.Select(*target, id)) SyncFromModel();
    });
    radioGroups_[model.name] = group;
    radioBoxes_[model.name] = box;
    radioRow->addWidget(box, static_cast<int>(model.items.size()));
  };
  radio(form_.RGMode);
  radio(form_.RGPol);
  commandsGrid->addLayout(radioRow, 3, 0, 1, 4);
  commandsGrid->setRowStretch(3, 1);

  QLineEdit* point = fields_[form_.EditPoint.name];
  point->setContextMenuPolicy(Qt::CustomContextMenu);
  QMenu* popup1 = BuildPopup(form_.PopupMenu1, point);
  popups_["PopupMenu1"] = popup1;
  connect(point, &QWidget::customContextMenuRequested, this,
          [popup1, point](const QPoint& at) { popup1->popup(point->mapToGlobal(at)); });
  QMenu* popup2 = BuildPopup(form_.PopupMenu2, mdata);
  popups_["PopupMenu2"] = popup2;
  connect(mdata, &PaneView::contextMenuRequested, this, [popup2](const QPoint& at) { popup2->popup(at); });
}

void VarnelWindow::BuildSplitters() {
  for (TForm1::Splitter splitter : {TForm1::Splitter::Rows, TForm1::Splitter::Columns}) {
    auto* handle = new SplitterHandle(centralWidget(), splitter, [this, splitter](int position) {
      form_.DragSplitter(splitter, position);
      ApplyGeometry();
    });
    splitters_[static_cast<int>(splitter)] = handle;
  }
}

QAction* VarnelWindow::MakeAction(const MenuItem& item, QWidget* owner, std::size_t key) {
  auto* action = new QAction(WithAccessKey(item.caption, key), owner);
  action->setObjectName(ToQt(item.name));
  if (!item.shortcut.empty()) action->setShortcut(QKeySequence(ToQt(item.shortcut)));
  action->setCheckable(TForm1::Checkable(item));
  action->setChecked(item.checked);
  const std::string name = item.Key();
  connect(action, &QAction::triggered, this, [this, name] { RunCommand(name); });
  actions_[name] = action;
  return action;
}

// The menu bar and each menu get access keys (Alt + letter, then the item's letter).
void VarnelWindow::BuildMenus() {
  const std::vector<BarMenu> menus = MenusOf(form_.MM);
  std::vector<std::string> titles;
  for (const BarMenu& menu : menus) titles.push_back(menu.caption);
  const std::vector<std::size_t> titleKeys = AccessKeys(titles);
  for (std::size_t m = 0; m < menus.size(); ++m) {
    const std::vector<MenuItem>& items = menus[m].items;
    QMenu* current = menuBar()->addMenu(WithAccessKey(menus[m].caption, titleKeys[m]));
    const std::vector<std::size_t> keys = KeysOf(items);
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i].separator)
        current->addSeparator();
      else
        current->addAction(MakeAction(items[i], this, keys[i]));
    }
  }
}

QMenu* VarnelWindow::BuildPopup(const std::vector<MenuItem>& items, QWidget* owner) {
  auto* menu = new QMenu(owner);
  const std::vector<std::size_t> keys = KeysOf(items);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].separator) {
      menu->addSeparator();
    } else {
      menu->addAction(MakeAction(items[i], menu, keys[i]));
    }
  }
  return menu;
}

void VarnelWindow::RunCommand(const std::string& name) {
  form_.Run(name);
  SyncFromModel();
}

void VarnelWindow::SyncIfDue() {
  if (NowMs() - lastSync_ >= kFrameMs) SyncFromModel();
}

void VarnelWindow::SyncFromModel() {
  lastSync_ = NowMs();
  for (auto& [name, slot] : panes_) {
    slot.widget->Refresh();
    const QString hint = ToQt(slot.pane->hint);
    if (slot.widget->toolTip() != hint) slot.widget->setToolTip(hint);
  }
  for (DisplayField* field : form_.Fields()) {
    auto it = fields_.find(field->name);
    if (it == fields_.end()) continue;
    const QString text = ToQt(field->text);
    if (it->second->text() != text) {
      it->second->setText(text);
      it->second->setCursorPosition(0);
    }
  }
  for (RadioGroup* group : {&form_.RGMode, &form_.RGPol}) {
    if (QAbstractButton* button = radioGroups_[group->name]->button(group->itemIndex)) {
      if (!button->isChecked()) button->setChecked(true);
    }
    QGroupBox* box = radioBoxes_[group->name];
    const QString style =
        group->color == "clWhite" ? QStringLiteral("QGroupBox { background-color: white; }") : QString();
    if (box->styleSheet() != style) box->setStyleSheet(style);
  }
  for (const auto* table : {&form_.MM, &form_.PopupMenu1, &form_.PopupMenu2}) {
    for (const MenuItem& item : *table) {
      auto it = actions_.find(item.Key());
      if (it != actions_.end() && TForm1::Checkable(item) && it->second->isChecked() != item.checked)
        it->second->setChecked(item.checked);
    }
  }
  // The Data pane's column entries are named after the table it holds.
  const std::vector<std::size_t> popupKeys = KeysOf(form_.PopupMenu2);
  for (std::size_t i = 0; i < form_.PopupMenu2.size(); ++i) {
    auto it = actions_.find(form_.PopupMenu2[i].name);
    const QString text = WithAccessKey(form_.PopupMenu2[i].caption, popupKeys[i]);
    if (it != actions_.end() && it->second->text() != text) it->second->setText(text);
  }
  const QString title = ToQt(form_.caption);
  if (windowTitle() != title) setWindowTitle(title);
  // Window-position commands move the model's window.
  if (!applyingGeometry_ && (x() != form_.window.left || y() != form_.window.top || FrameTurnedUp()))
    ApplyWindowRect();
  ApplyGeometry();
  SyncStatus();
  if (pictures_) pictures_->Follow();
}

void VarnelWindow::SyncStatus() {
  const Progress& progress = form_.progress;
  const QString text = ToQt(ProgressText(progress, form_.platform.system.MillisecondsSinceEpoch()));
  if (statusShown_ != text) {
    statusShown_ = text;
    // A file named there is named with its native path too (looked up once per text).
    QString shown = ToQt(WithNativePaths(form_.platform.system, FromQt(text)));
    statusText_->setText(shown.replace(QLatin1Char('\n'), QLatin1Char(' ')));
  }
  const int permille = ProgressPermille(progress);
  if (stopButton_->isEnabled() != form_.StopEnabled()) stopButton_->setEnabled(form_.StopEnabled());
  if (progress.running) {
    // A command that counts no files shows a busy bar.
    progressBar_->setRange(0, permille < 0 ? 0 : 1000);
    if (permille >= 0) progressBar_->setValue(permille);
    progressBar_->show();
  } else {
    progressBar_->hide();
  }
}

void VarnelWindow::ShowNotice(const std::string& text) { statusBar()->showMessage(ToQt(text), 5000); }

std::string VarnelWindow::StatusText() const {
  const QString notice = statusBar()->currentMessage();
  return FromQt(notice.isEmpty() ? statusText_->text() : notice);
}

// The model's window rectangle is the outer one, frame and title bar included; Qt sizes the
// inside, so the frame's share is taken off.
void VarnelWindow::ApplyWindowRect() {
  applyingGeometry_ = true;
  move(form_.window.left, form_.window.top);
  const QSize frame = frameGeometry().size() - size();
  if (frame != QSize(0, 0)) framed_ = true;
  const auto [leastWidth, leastHeight] = form_.MinimumWindowSize();
  setMinimumSize(leastWidth - frame.width(), leastHeight - frame.height());
  const QSize inner(form_.window.width - frame.width(), form_.window.height - frame.height());
  if (size() != inner) resize(inner);
  applyingGeometry_ = false;
}

void VarnelWindow::ApplyGeometry() {
  const std::pair<Region*, Rect*> regionPanes[] = {{&form_.GBEdit, &form_.MBounds},
                                                   {&form_.GBInfo, &form_.MoutBounds},
                                                   {&form_.GBdata, &form_.MdataBounds}};
  for (Region* region : {&form_.GBBasicData, &form_.GBNearField, &form_.GBCommands, &form_.GBEdit,
                         &form_.GBInfo, &form_.GBdata}) {
    QGroupBox* box = regions_[region->name];
    if (box && box->geometry() != ToQRect(region->bounds)) box->setGeometry(ToQRect(region->bounds));
  }
  const char* paneNames[] = {"M", "Mout", "Mdata"};
  for (int i = 0; i < 3; ++i) {
    PaneView* edit = panes_[paneNames[i]].widget;
    const QRect rect = ToQRect(*regionPanes[i].second);
    if (edit->geometry() != rect) edit->setGeometry(rect);
  }
  for (auto& [splitter, handle] : splitters_) {
    const QRect rect = ToQRect(form_.SplitterBounds(static_cast<TForm1::Splitter>(splitter)));
    if (handle->geometry() != rect) handle->setGeometry(rect);
    handle->raise();
  }
}

void VarnelWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (applyingGeometry_) return;
  if (FrameTurnedUp()) return ApplyWindowRect();
  form_.window.width = frameGeometry().width();
  form_.window.height = frameGeometry().height();
  form_.FormResize();
  ApplyGeometry();
}

// The frame is known only once the window has been created on the screen: the model's outer
// size is applied again when it first turns up (a window manager may add it after mapping).
void VarnelWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FrameTurnedUp()) ApplyWindowRect();
}

bool VarnelWindow::FrameTurnedUp() const { return !framed_ && frameGeometry().size() != size(); }

void VarnelWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (applyingGeometry_) return;
  if (FrameTurnedUp()) return ApplyWindowRect();
  form_.window.left = x();
  form_.window.top = y();
}

void VarnelWindow::closeEvent(QCloseEvent* event) {
  // The model asks what is to be asked; during a command an agreed close is deferred: the
  // command ends at its next event processing and the window closes afterwards.
  if (form_.CloseQuery()) {
    event->accept();
    if (pictures_) pictures_->CloseAll();
  } else {
    event->ignore();
  }
}

bool VarnelWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && OpensFieldEditor(*static_cast<QKeyEvent*>(event))) {
    const std::string name = FromQt(watched->objectName());
    if (form_.AnswersDoubleClick(name)) {
      RunCommand(name + "DblClick");
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonDblClick) {
    const std::string name = FromQt(watched->objectName());
    if (form_.AnswersDoubleClick(name)) {
      RunCommand(name + "DblClick");
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

PaneView* VarnelWindow::PaneWidget(const std::string& name) const {
  auto it = panes_.find(name);
  return it == panes_.end() ? nullptr : it->second.widget;
}

QWidget* VarnelWindow::SplitterWidget(int splitter) const {
  auto it = splitters_.find(splitter);
  return it == splitters_.end() ? nullptr : it->second;
}

QGroupBox* VarnelWindow::RegionWidget(const std::string& name) const {
  auto it = regions_.find(name);
  return it == regions_.end() ? nullptr : it->second;
}

QLineEdit* VarnelWindow::FieldWidget(const std::string& name) const {
  auto it = fields_.find(name);
  return it == fields_.end() ? nullptr : it->second;
}

QAction* VarnelWindow::Action(const std::string& controlName) const {
  auto it = actions_.find(controlName);
  return it == actions_.end() ? nullptr : it->second;
}

QButtonGroup* VarnelWindow::RadioGroupWidget(const std::string& name) const {
  auto it = radioGroups_.find(name);
  return it == radioGroups_.end() ? nullptr : it->second;
}

QMenu* VarnelWindow::PopupMenuOf(const std::string& name) const {
  auto it = popups_.find(name);
  return it == popups_.end() ? nullptr : it->second;
}

}  // namespace varnel
