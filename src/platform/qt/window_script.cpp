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
#include <functional>
#include <iostream>
#include <optional>

#include "mainwindow/VarnelU.hpp"
#include "platform/qt/main_window.hpp"
#include "platform/qt/pane_view.hpp"
#include "platform/qt/qt_ui.hpp"
#include "platform/qt/qt_window.hpp"
#include "platform/scripted/runner.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

// The window's interface with a person's answers taken from the script: boxes and dialogs go to
// the scripted interface, the window's own services (clipboard, screen, events, pauses, the
// status bar) to the window.
class AnsweredWindowUi : public UserInterface {
 public:
  AnsweredWindowUi(QtUi& qt, ScriptedUi& answers) : qt_(qt), answers_(answers) {}

  void ShowMessage(MessageKind kind, const std::string& title, const std::string& text) override {
    answers_.ShowMessage(kind, title, text);
  }
  bool AskText(const std::string& caption, const std::string& prompt, std::string& text) override {
    return answers_.AskText(caption, prompt, text);
  }
  std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultText) override {
    return answers_.InputBox(caption, prompt, defaultText);
  }
  void ShowModal(ModalDialog& dialog) override { answers_.ShowModal(dialog); }
  void StatusNotice(const std::string& title, const std::string& text) override {
    if (qt_.Window()) return qt_.StatusNotice(title, text);
    UserInterface::StatusNotice(title, text);  // a box, answered as every box
  }
  std::optional<std::string> OpenFileDialog(const FileDialogSpec& spec) override { return answers_.OpenFileDialog(spec); }
  std::optional<std::string> SaveFileDialog(const FileDialogSpec& spec) override { return answers_.SaveFileDialog(spec); }
  std::optional<std::string> ChooseFolder(const std::string& initialFolder) override {
    return answers_.ChooseFolder(initialFolder);
  }
  void SetClipboardText(const std::string& text) override { qt_.SetClipboardText(text); }
  std::string ClipboardText() override { return qt_.ClipboardText(); }
  void OpenDocument(const std::string& path) override { answers_.OpenDocument(path); }
  int ScreenWidth() override { return qt_.ScreenWidth(); }
  int ScreenHeight() override { return qt_.ScreenHeight(); }
  void Pause(int milliseconds) override { qt_.Pause(milliseconds); }
  void RequestQuit() override {
    answers_.RequestQuit();
    qt_.RequestQuit();
  }
  void ProcessEvents() override {
    qt_.ProcessEvents();
    if (!atEvents) return;
    const std::function<void()> hook = atEvents;  // the hook may end itself
    hook();
  }
  std::function<void()> atEvents;  // runs at each event processing inside a command

 private:
  QtUi& qt_;
  ScriptedUi& answers_;
};

class WindowView : public ScriptView {
 public:
  WindowView(VarnelWindow& window, AnsweredWindowUi& ui, std::ostream& out)
      : window_(window), ui_(ui), out_(out), startFolder_(QDir::currentPath()) {}

  void Run(const std::string& name) override {
    if (QAction* action = window_.Action(name)) action->trigger();
    else window_.RunCommand(name);
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
  void Screenshot(const std::string& path, std::size_t file) override {
    if (file == 0) return Save(path);
    ui_.atEvents = [this, path, file] {
      if (window_.Form().progress.file < file) return;
      Save(path);
      ui_.atEvents = nullptr;
    };
  }

 private:
  // A relative path is taken from the folder the script started in (commands change the
  // current folder). The picture is stored with a palette: the window has few colours.
  void Save(const std::string& path) {
    window_.SyncFromModel();
    QApplication::processEvents();
    const QString file = QDir(startFolder_).absoluteFilePath(QString::fromLocal8Bit(path.c_str()));
    const QImage picture = window_.grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    if (!picture.save(file, "PNG")) out_ << "varnel: could not write " << path << '\n';
  }
  VarnelWindow& window_;
  AnsweredWindowUi& ui_;
  std::ostream& out_;
  QString startFolder_;
};

}  // namespace

int RunWindowScript(std::istream& script, std::ostream& out, int argc, char** argv, System& system,
                    const StartUp& startUp, int engineJobs) {
  // Without a display the window runs offscreen.
  if (qgetenv("QT_QPA_PLATFORM").isEmpty() && qgetenv("DISPLAY").isEmpty() && qgetenv("WAYLAND_DISPLAY").isEmpty())
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Varnel"));
  ScriptedUi answers(out, system);
  answers.realPause = true;
  QtUi qt(system);
  AnsweredWindowUi ui(qt, answers);
  std::optional<TForm1> form;
  if (!StartMainWindow({system, ui}, startUp, form, out, engineJobs)) return 1;
  VarnelWindow mainWindow(*form, qt);
  mainWindow.show();
  QApplication::processEvents();
  WindowView view(mainWindow, ui, out);
  return RunScriptOn(script, out, answers, *form, view);
}

}  // namespace varnel
