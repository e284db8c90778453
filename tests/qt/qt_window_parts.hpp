#pragma once
// The parts of a Qt window test: a fresh test root holding the sample tree, its system, the
// interface (Ui), the model and the shown window. A QTest class derives from it besides QObject
// and opens them in init() and closes them in cleanup(), so every test starts anew.
#include <QtTest>
#include <memory>

#include "mainwindow/VarnelU.hpp"
#include "platform/posix/posix_sample_tree.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/qt/main_window.hpp"
#include "support/test_root.hpp"

namespace varnel {

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
