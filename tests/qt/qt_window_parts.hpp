#pragma once
// The parts of a Qt window test: a fresh test root holding the sample tree, its system, the
// interface (Ui, QtUi or the TestUi below), the model and the shown window. A QTest class derives from it
// besides QObject and opens them in init() and closes them in cleanup(), so every test starts anew.
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

#include "mainwindow/VarnelU.hpp"
#include "platform/posix/posix_sample_tree.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/qt/main_window.hpp"
#include "platform/qt/picture_window.hpp"
#include "platform/qt/qt_ui.hpp"
#include "support/test_root.hpp"

namespace varnel {

// The window's interface with its questions answered by the test: the save dialog (savePath),
// the folder chooser (folder), the size a Save asks for (size: the one offered unless set) and
// Yes/No questions (from answers, Yes when none is left; recorded); messages are recorded.
class TestUi : public QtUi {
 public:
  explicit TestUi(System& system) : QtUi(system), system_(system) {}
  std::optional<std::string> savePath, folder, size;
  std::vector<std::string> messages, questions;
  std::deque<bool> answers;
  std::function<void()> duringEvents;  // runs once, inside the first event processing
  std::optional<std::string> FileDialog(FileDialogKind kind, const FileDialogSpec& spec) override {
    return kind == FileDialogKind::Save ? savePath : QtUi::FileDialog(kind, spec);
  }
  std::optional<std::string> ChooseFolder(const std::string&) override {
    if (folder) system_.SetCurrentFolder(*folder);
    return folder;
  }
  void ShowMessage(MessageKind, const std::string&, const std::string& text) override {
    messages.push_back(text);
  }
  bool AskText(const std::string&, const std::string&, std::string& text) override {
    if (size) text = *size;
    return true;
  }
  void ProcessEvents() override {
    QtUi::ProcessEvents();
    if (duringEvents) std::exchange(duringEvents, nullptr)();
  }
  bool Confirm(const std::string&, const std::string& question, bool) override {
    questions.push_back(question);
    if (answers.empty()) return true;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }

 private:
  System& system_;
};

template <class Ui>
struct QtWindowParts {
  std::unique_ptr<TestRoot> root;
  std::unique_ptr<PosixSystem> system;
  std::unique_ptr<Ui> ui;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<VarnelWindow> window;

  // True once the window is shown on the screen.
  bool OpenWindow() {
    root = std::make_unique<TestRoot>();
    system = std::make_unique<PosixSystem>(root->Roots());
    ui = std::make_unique<Ui>(*system);
    CreateSampleTree(*system);
    form = std::make_unique<TForm1>(Platform{*system, *ui});
    window = std::make_unique<VarnelWindow>(*form, *ui);
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
  }

  // The sample output loaded and its near field analysed.
  void LoadDipolNearField() {
    window->RunCommand("LoadDipol1Click");
    window->RunCommand("AnalyseNearfield1Click");
  }

  // The picture window the menu item (MIShowFieldMap or MIPlotTable) opens, once it has.
  PictureWindow* Open(const char* action) {
    window->Action(action)->trigger();
    return window->Pictures()->Window(std::string(action) == "MIShowFieldMap" ? PictureKind::FieldMap
                                                                              : PictureKind::Table);
  }

  // A data function's two rows of one true-or-false column: `no` is false, `yes` is true.
  static void TwoRows(const char* column, const char* no, const char* yes) {
    QTest::addColumn<bool>(column);
    QTest::newRow(no) << false;
    QTest::newRow(yes) << true;
  }

  // In the reverse order of their making: the window first, the test root last.
  void CloseWindow() {
    window.reset();
    form.reset();
    ui.reset();
    system.reset();
    root.reset();
  }
};

}  // namespace varnel
