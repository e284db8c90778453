#include "platform/qt/qt_ui.hpp"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/qt/main_window.hpp"
#include "platform/platform.hpp"
#include "platform/posix/posix_system.hpp"
#include "util/errors.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

// The modal window of a core dialog: caption, bold heading, one labelled field per value,
// "Done" as the default button.
class CoreDialog : public QDialog {
 public:
  CoreDialog(ModalDialog& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(ToQt(model.Caption()));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(ToQt(model.Heading()), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto* grid = new QGridLayout;
    const auto labels = model.Labels();
    model.Shown();
    for (std::size_t i = 0; i < labels.size(); ++i) {
      auto* edit = new QLineEdit(this);
      edit->setObjectName(ToQt("Edit" + labels[i]));
      edit->setText(i < model.fieldTexts.size() ? ToQt(model.fieldTexts[i]) : QStringLiteral("---"));
      grid->addWidget(new QLabel(ToQt(labels[i]), this), static_cast<int>(i), 0);
      grid->addWidget(edit, static_cast<int>(i), 1);
      edits_.push_back(edit);
    }
    layout->addLayout(grid);
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("Button1"));
    done->setDefault(true);
    done->setAutoDefault(true);
    layout->addWidget(done);
    connect(done, &QPushButton::clicked, this, [this] { Done(); });
  }

 private:
  void Done() {
    model_.fieldTexts.clear();
    for (auto* edit : edits_) model_.fieldTexts.push_back(FromQt(edit->text()));
    if (model_.DonePressed()) accept();
  }
  ModalDialog& model_;
  std::vector<QLineEdit*> edits_;
};

// A path typed in the program's own form: a drive ("c:\4nec2\out\dipol.out") or a backslash.
bool InProgramForm(const std::string& typed) {
  const bool drive = typed.size() >= 2 && typed[1] == ':' &&
                     ((typed[0] >= 'a' && typed[0] <= 'z') || (typed[0] >= 'A' && typed[0] <= 'Z'));
  return drive || typed.find('\\') != std::string::npos;
}

// Qt's own file dialog (the same on every desktop), which also takes a path typed in the
// program's form: one with a drive is mapped through the system, a relative one has its
// backslashes read as separators. A typed folder is opened in the dialog, except where a
// folder is what is chosen.
class PathDialog : public QFileDialog {
 public:
  PathDialog(System& system, QWidget* parent, const QString& title)
      : QFileDialog(parent, title), system_(system) {
    setOption(QFileDialog::DontUseNativeDialog);
  }

  // Qt's dialog takes such a text for a name in the folder it shows and would refuse it before
  // accept(): Return in the name field and the Open button go to accept() for it.
  void showEvent(QShowEvent* event) override {
    QFileDialog::showEvent(event);
    if (edit_) return;
    edit_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit_) return;
    edit_->installEventFilter(this);
    auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    connect(edit_, &QLineEdit::textChanged, this, [this, buttons] {
      if (!buttons || !InProgramForm(FromQt(edit_->text().trimmed()))) return;
      for (QAbstractButton* button : buttons->buttons())
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole) button->setEnabled(true);
    });
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if ((key == Qt::Key_Return || key == Qt::Key_Enter) && InProgramForm(FromQt(edit_->text().trimmed()))) {
        accept();
        return true;
      }
    }
    return QFileDialog::eventFilter(watched, event);
  }

  void accept() override {
    auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const std::string typed = edit ? FromQt(edit->text().trimmed()) : std::string();
    if (!InProgramForm(typed)) return QFileDialog::accept();
    QString native;
    if (typed.size() >= 2 && typed[1] == ':') {
      native = ToQt(system_.ToNativePath(typed));
      if (native.isEmpty()) return QFileDialog::accept();  // no such drive: the dialog says so
    } else {
      native = QDir::cleanPath(
          directory().absoluteFilePath(ToQt(typed).replace(QLatin1Char('\\'), QLatin1Char('/'))));
    }
    if (QFileInfo(native).isDir() && fileMode() != QFileDialog::Directory) {
      setDirectory(native);
      edit->clear();
      return;
    }
    edit->setText(native);
    QFileDialog::accept();
  }

 private:
  System& system_;
  QLineEdit* edit_ = nullptr;
};

void CentreOver(QWidget* dialog, QWidget* parent) {
  dialog->adjustSize();
  if (!parent) return;
  const QRect outer = parent->frameGeometry();
  dialog->move(outer.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

}  // namespace

QString ToQt(const std::string& text) {
  return IsValidUtf8(text) ? QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
                           : QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }

// Qt takes a filter's patterns from the parentheses at the end of its caption. A caption that
// already ends with its own patterns ("TextDateien (*.txt)") is shown as it stands; any other
// gets them appended.
QStringList QtFilters(const std::string& filter) {
  QStringList result;
  const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString caption = parts[i];
    const QString ending = QLatin1Char('(') + patterns + QLatin1Char(')');
    result
        << (caption.simplified().remove(QLatin1Char(' ')).endsWith(QString(ending).remove(QLatin1Char(' ')))
                ? caption
                : caption + QLatin1Char(' ') + ending);
  }
  return result;
}

QtUi::QtUi(System& system) : system_(system) {
  // The program stores nothing between runs. Qt's own dialogs keep a history in the user's
  // settings; their settings go to a place where no file can be made.
  for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null/no-settings"));
}

// A box stands over the window the person works in (a picture window's message over that
// picture, not raising the main window over it), else over the main window.
QWidget* QtUi::Parent() const {
  QWidget* active = QApplication::activeWindow();
  return active && active->isVisible() ? active : window_;
}

void QtUi::ShowMessage(MessageKind kind, const std::string& title, const std::string& text) {
  const auto icon = kind == MessageKind::Info      ? QMessageBox::Information
                    : kind == MessageKind::Warning ? QMessageBox::Warning
                                                   : QMessageBox::Critical;
  QMessageBox box(icon, ToQt(title), ToQt(WithNativePaths(system_, text)), QMessageBox::Ok, Parent());
  box.exec();
}

bool QtUi::Confirm(const std::string& title, const std::string& question, bool) {
  QMessageBox box(QMessageBox::Question, ToQt(title), ToQt(WithNativePaths(system_, question)),
                  QMessageBox::Yes | QMessageBox::No, Parent());
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

SaveAnswer QtUi::AskToSave(const std::string& title, const std::string& question, SaveAnswer) {
  QMessageBox box(QMessageBox::Question, ToQt(title), ToQt(WithNativePaths(system_, question)),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, Parent());
  box.setDefaultButton(QMessageBox::Cancel);
  const int answer = box.exec();
  return answer == QMessageBox::Save      ? SaveAnswer::Save
         : answer == QMessageBox::Discard ? SaveAnswer::Discard
                                          : SaveAnswer::Cancel;
}

bool QtUi::AskText(const std::string& caption, const std::string& prompt, std::string& text) {
  QDialog dialog(Parent());
  dialog.setWindowTitle(ToQt(caption));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(ToQt(prompt), &dialog));
  auto* edit = new QLineEdit(ToQt(text), &dialog);
  edit->selectAll();
  layout->addWidget(edit);
  auto* buttons = new QDialogButtonBox(&dialog);
  auto* ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  CentreOver(&dialog, Parent());
  const bool accepted = dialog.exec() == QDialog::Accepted;
  text = FromQt(edit->text());
  return accepted;
}

void QtUi::ShowModal(ModalDialog& dialog) {
  CoreDialog window(dialog, Parent());
  CentreOver(&window, Parent());
  window.exec();
}

std::optional<std::string> QtUi::FileDialog(FileDialogKind kind, const FileDialogSpec& spec) {
  const bool save = kind == FileDialogKind::Save;
  PathDialog dialog(system_, Parent(), ToQt(spec.title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const std::string folder = system_.ToNativePath(spec.initialFolder);
  if (!folder.empty()) dialog.setDirectory(ToQt(folder));
  const QStringList filters = QtFilters(spec.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = spec.filterIndex - 1;
    if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
  }
  if (!spec.defaultExt.empty()) dialog.setDefaultSuffix(ToQt(spec.defaultExt));
  // A dialog that proposes no name keeps the name of its last use.
  const std::string preset = spec.fileName.empty() && !save ? lastOpenName_ : spec.fileName;
  if (!preset.empty()) dialog.selectFile(ToQt(preset));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().first();
  if (!save) lastOpenName_ = FromQt(QFileInfo(chosen).fileName());
  return system_.FromNativePath(FromQt(chosen));
}

std::optional<std::string> QtUi::ChooseFolder(const std::string& initialFolder) {
  RequireFolderToChooseIn(system_, initialFolder);
  PathDialog dialog(system_, Parent(), QStringLiteral("Select Folder"));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setDirectory(ToQt(system_.ToNativePath(initialFolder)));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().first();
  if (chosen.isEmpty()) return std::nullopt;
  return TakeChosenFolder(system_, system_.FromNativePath(FromQt(chosen)));
}

void QtUi::SetClipboardText(const std::string& text) {
  clipboard_ = text;
  if (auto* clipboard = QGuiApplication::clipboard()) clipboard->setText(ToQt(text));
}

std::string QtUi::ClipboardText() {
  if (auto* clipboard = QGuiApplication::clipboard()) return FromQt(clipboard->text());
  return clipboard_;
}

bool QtUi::OpenDocument(const std::string& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool opened = OpenNativeWithDesktopOpener(system_.ToNativePath(path));
  QApplication::restoreOverrideCursor();
  return opened;
}

int QtUi::ScreenWidth() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().width() : 1920;
}

int QtUi::ScreenHeight() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().height() : 1080;
}

ScreenArea QtUi::AvailableArea() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return UserInterface::AvailableArea();
  const QRect area = screen->availableGeometry();
  return {area.x(), area.y(), area.width(), area.height()};
}

void QtUi::StatusNotice(const std::string& title, const std::string& text) {
  if (!window_) return UserInterface::StatusNotice(title, text);
  QString shown = ToQt(WithNativePaths(system_, text));
  window_->ShowNotice(FromQt(shown.replace(QLatin1Char('\n'), QLatin1Char(' '))));
}

void QtUi::ProcessEvents() {
  if (window_) window_->SyncIfDue();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtUi::Pause(int milliseconds) {
  // The window keeps repainting during the pause; commands started meanwhile are refused by
  // the dispatcher.
  if (window_) window_->SyncIfDue();
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const qint64 left = milliseconds - timer.elapsed();
    if (left > 0) QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 10)));
  }
}

void QtUi::RequestQuit() {
  if (window_) {
    QTimer::singleShot(0, window_, [w = window_] { w->close(); });
  } else {
    QCoreApplication::quit();
  }
}

}  // namespace varnel
