// `varnel --script FILE --window`: the script of the headless runner against the real window.
// Dialogs and message boxes are answered from the script's queues as headless; clicks go to
// the window's controls and every print reads what the widgets show.
#include <QAction>
#include <QApplication>
#include <QAbstractButton>
#include <QButtonGroup>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <iostream>
#include <optional>

#include "mainwindow/VarnelU.hpp"
#include "platform/qt/main_window.hpp"
#include "platform/qt/pane_view.hpp"
#include "platform/qt/qt_ui.hpp"
#include "platform/qt/qt_window.hpp"
#include "platform/scripted/answered_ui.hpp"
#include "platform/scripted/runner.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

class WindowView : public ScriptView {
 public:
  WindowView(VarnelWindow& window, AnsweredUi& ui, std::ostream& out)
      : window_(window), ui_(ui), out_(out), startFolder_(QDir::currentPath()) {}

  void Run(const std::string& name) override {
    if (QAction* action = window_.Action(name))
      action->trigger();
    else
      window_.RunCommand(name);
    // The paint that follows belongs to the command's time in the window.
    QApplication::processEvents();
  }
  void Select(const std::string& group, int index) override {
    if (QAbstractButton* button = window_.RadioGroupWidget(group)->button(index)) button->click();
  }
  std::vector<std::string> PaneLines(const std::string& pane) override {
    return window_.PaneWidget(pane)->ShownLines();
  }
  std::string FieldText(const std::string& field) override {
    const QLineEdit* edit = window_.FieldWidget(field);
    return edit ? FromQt(edit->text()) : std::string();
  }
  std::string Clipboard() override { return FromQt(QGuiApplication::clipboard()->text()); }
  std::string Status() override { return window_.StatusText(); }
  void Wait(int milliseconds) override { ui_.Pause(milliseconds); }
  // As a person would: on the button as the window shows it now.
  void PressStop() override {
    window_.SyncFromModel();
    window_.StopButton()->click();
  }
  void Screenshot(const std::string& path, std::size_t file) override {
    AtScriptFile(ui_, window_.Form(), file, [this, path] { Save(path); });
  }

 private:
  // A relative path is taken from the folder the script started in (commands change the
  // current folder). The picture is stored with a palette: the window has few colours.
  void Save(const std::string& path) {
    window_.SyncFromModel();
    QApplication::processEvents();
    const QString file = QDir(startFolder_).absoluteFilePath(QString::fromLocal8Bit(path.c_str()));
    const QImage picture =
        window_.grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    if (!picture.save(file, "PNG")) out_ << "varnel: could not write " << path << '\n';
  }
  VarnelWindow& window_;
  AnsweredUi& ui_;
  std::ostream& out_;
  QString startFolder_;
};

}  // namespace

int RunWindowScript(std::istream& script, std::ostream& out, int argc, char** argv, System& system,
                    const StartUp& startUp, int engineJobs, bool printInfo) {
  // Without a display the window runs offscreen.
  if (qgetenv("QT_QPA_PLATFORM").isEmpty() && qgetenv("DISPLAY").isEmpty() &&
      qgetenv("WAYLAND_DISPLAY").isEmpty())
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Varnel"));
  ScriptedUi answers(out, system);
  answers.realPause = true;
  QtUi qt(system);
  AnsweredUi ui(qt, answers, [&qt] { return qt.Window() != nullptr; });
  std::optional<TForm1> form;
  if (!StartMainWindow({system, ui}, startUp, form, out, engineJobs)) return 1;
  VarnelWindow mainWindow(*form, qt);
  mainWindow.show();
  QApplication::processEvents();
  WindowView view(mainWindow, ui, out);
  return RunScriptOn(script, out, answers, *form, view, {}, printInfo);
}

}  // namespace varnel
