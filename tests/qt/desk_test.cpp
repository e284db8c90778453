// The desk: the window on the screen it finds (run on screens of 1024x768, 1366x768, 1920x1080
// and a wide one, see tests/CMakeLists.txt), its pictures beside it, readable, their messages
// over them and ending with it, the menus' access keys and the file dialogs' typed paths.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <set>

#include "mainwindow/pictures.hpp"
#include "platform/qt/pane_view.hpp"
#include "platform/qt/picture_window.hpp"
#include "qt/qt_window_parts.hpp"

using namespace varnel;

namespace {

// A dialog still open (a refused name: its box first, then the dialog) is closed, so the test
// goes on.
void CloseWhatIsLeft(QPointer<QFileDialog> dialog) {
  if (!dialog || !dialog->isVisible()) return;
  if (auto* top = qobject_cast<QDialog*>(QApplication::activeModalWidget())) top->reject();
  QTimer::singleShot(50, [dialog] { CloseWhatIsLeft(dialog); });
}

// Types the text into the file name field of the next file dialog and presses Return; then hands
// the dialog to `then`, or without one closes what is left open.
void TypeIntoNextFileDialog(const QString& text, std::function<void(QFileDialog*)> then = nullptr) {
  QTimer::singleShot(100, [text, then] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit) return dialog->reject();
    edit->setText(text);
    if (!then) QTimer::singleShot(100, [left = QPointer<QFileDialog>(dialog)] { CloseWhatIsLeft(left); });
    QTest::keyClick(edit, Qt::Key_Return);
    if (then) then(dialog);
  });
}

}  // namespace

class DeskTest : public QObject, public QtWindowParts<QtUi> {
  Q_OBJECT

 private:
  QRect Available() const { return window->screen()->availableGeometry(); }

 private slots:
  void init() { QVERIFY(OpenWindow()); }

  void cleanup() { CloseWindow(); }

  // The Data pane shows a test-object table row whole; dragging a splitter's handle moves the
  // border between the panes; Enter, F2 and Space on P, A and Normalize Power open their editor.
  void splittersAndKeysReachWhatTheMouseDoes() {
    const QWidget* data = window->PaneWidget("Mdata")->viewport();
    QVERIFY(data->width() >= data->fontMetrics().horizontalAdvance(QString(TForm1::kTableRowChars - 2, '0')));
    for (const auto& [splitter, by] : {std::pair{0, QPoint(0, 60)}, std::pair{1, QPoint(40, 0)}}) {
      QWidget* handle = window->SplitterWidget(splitter);
      const QRect info = window->RegionWidget("GBInfo")->geometry();
      QTest::mousePress(handle, Qt::LeftButton, {}, handle->rect().center());
      QMouseEvent move(QEvent::MouseMove, handle->rect().center() + by, QCursor::pos(), Qt::NoButton,
                       Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(handle, &move);
      const QRect moved = window->RegionWidget("GBInfo")->geometry();
      QCOMPARE(QPoint(moved.width() - info.width(), moved.top() - info.top()), by);
    }
    for (const char* field : {"EditPoint", "EditPointA", "EditNormalizePower"}) {
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_F2, Qt::Key_Space}) {
        QString shown;
        QTimer::singleShot(100, [&shown] {
          if (QWidget* dialog = QApplication::activeModalWidget())
            shown = dialog->windowTitle(), dialog->close();
        });
        QTest::keyClick(window->FieldWidget(field), key);
        QVERIFY2(!shown.isEmpty(), field);
      }
    }
  }

  // The window and its pictures on the screen; the pictures readable (no text under 10 pixels),
  // with the EUT plots' tall picture too;
  // beside the main window, not over it, wherever the screen holds the two side by side with
  // at least two thirds of the picture's own width.
  void picturesOpenBesideWhereTheScreenAllows() {
    // The window whole on the screen, and at the design size where the screen has room for it.
    {
      const QRect outer = window->frameGeometry(), area = Available();
      QVERIFY2(area.contains(outer), qPrintable(QStringLiteral("%1x%2 on %3x%4")
                                                    .arg(outer.width())
                                                    .arg(outer.height())
                                                    .arg(area.width())
                                                    .arg(area.height())));
      QCOMPARE(outer.width(), std::min(1121, area.width()));
    }
    LoadDipolNearField();
    AddLine(form->Mdata, "//  Freq   ;  Cyl.   ;   Cir   ;  Point  ;");
    AddLine(form->Mdata, "//   MHz   ;         ;         ;         ;");
    for (int row = 0; row < 20; ++row)
      AddLine(form->Mdata, std::string("   ") + (row % 2 ? "7,01" : "14,2") + ";   0,0" +
                               std::to_string(row + 1) + ";   0,002;   0,001;");
    for (const char* command : {"MIShowFieldMap", "MIPlotTable"}) {
      PictureWindow* picture = Open(command);
      QVERIFY(picture && picture->isVisible());
      QApplication::processEvents();
      const QRect main = window->frameGeometry(), shown = picture->frameGeometry(), area = Available();
      QVERIFY2(area.contains(shown), command);
      const Scene& scene = picture->View()->CurrentScene();
      QVERIFY2(picture->View()->Layout().scale >= ReadableScale(scene) - 1e-9, command);
      const int own = shown.width() - picture->View()->width() +
                      static_cast<int>(scene.width * std::max(1.0, ReadableScale(scene)));
      if (area.width() >= main.width() + 8 + (2 * own + 2) / 3) {
        QVERIFY2(!shown.intersects(main), command);
        QVERIFY2(shown.width() >= (2 * own) / 3, command);
      }
      picture->close();
    }
    // A picture window's message box stands over the picture, not over the main window.
    window->RunCommand("MIShowFieldMap");
    PictureWindow* map = window->Pictures()->Window(PictureKind::FieldMap);
    map->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(map));
    map->LowEdit()->setText(QStringLiteral("abc"));
    QWidget* over = nullptr;
    QTimer::singleShot(100, [&over] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        over = box->parentWidget();
        box->close();
      }
    });
    map->SetLimitsButton()->click();
    QCOMPARE(over, static_cast<QWidget*>(map));
  }

  // Closing the main window (its close box or Quit) closes the pictures too, and nothing is
  // left to keep the program running.
  void closeAndQuitEndWithThePictures_data() { TwoRows("quit", "close", "Quit"); }

  void closeAndQuitEndWithThePictures() {
    QFETCH(bool, quit);
    window->RunCommand("MIShowFieldMap");
    window->RunCommand("MIPlotTable");
    // The program's event loop, as it runs: it ends by itself once the main window is closed.
    bool ended = true;
    QTimer::singleShot(0, this, [&] { quit ? window->RunCommand("MIQuit") : void(window->close()); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, this, [&] {
      ended = false;
      QApplication::quit();
    });
    guard.start(5000);
    QApplication::exec();
    QVERIFY2(ended, "the event loop went on");
    QVERIFY(!window->isVisible());
    for (PictureKind kind : {PictureKind::FieldMap, PictureKind::Table})
      QVERIFY(!window->Pictures()->Window(kind)->isVisible());
  }

  // Each menu title and item has its access key; the captions read as the model holds them.
  void menusHaveAccessKeysAndKeepTheirCaptions() {
    std::set<QString> titles;
    std::size_t item = 0;
    for (QAction* menu : window->menuBar()->actions()) {
      const QString text = menu->text();
      QCOMPARE(text.count(QLatin1Char('&')), 1);
      const QString key = QKeySequence::mnemonic(text).toString();
      QVERIFY2(!key.isEmpty() && titles.insert(key).second, qPrintable(text));
      std::set<QString> keys;
      for (QAction* action : menu->menu()->actions()) {
        if (action->isSeparator()) continue;
        while (form->MM[item].separator) ++item;
        QCOMPARE(QString(action->text()).remove(QLatin1Char('&')), ToQt(form->MM[item++].caption));
        const QString itemKey = QKeySequence::mnemonic(action->text()).toString();
        QVERIFY2(itemKey.isEmpty() || keys.insert(itemKey).second, qPrintable(action->text()));
      }
    }
    QCOMPARE(window->menuBar()->actions().first()->text(), QStringLiteral("&File"));
    // Alt+A opens the Analyse menu (of the active window: an X server gives the keys to it).
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);
    QTRY_VERIFY(window->menuBar()->activeAction() != nullptr);
    QCOMPARE(window->menuBar()->activeAction()->text(), QStringLiteral("&Analyse"));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  }

  // A path typed in the program's form or the Linux form, of a file or (in the chooser) a
  // folder; a typed folder of the program's form opens in a file dialog.
  void fileDialogsTakeTypedPathsInBothForms() {
    FileDialogSpec spec{.title = "Load", .initialFolder = "c:\\4nec2\\b_in", .filter = "4nec2 (*.out)|*.out"};
    const QString native = QString::fromStdString((root->driveC / "4nec2" / "out" / "dipol.out").string());
    for (const QString& typed :
         {QStringLiteral("c:\\4nec2\\out\\dipol.out"), QStringLiteral("C:\\4NEC2\\OUT\\dipol.out"), native,
          QStringLiteral("..\\out\\dipol.out")}) {
      TypeIntoNextFileDialog(typed);
      QCOMPARE(typed + " -> " + ToQt(ui->OpenFileDialog(spec).value_or("cancelled")),
               typed + " -> c:\\4nec2\\out\\dipol.out");
    }
    TypeIntoNextFileDialog(QStringLiteral("c:\\4nec2\\out\\nowhere.out"));
    QVERIFY(!ui->OpenFileDialog(spec));

    // A typed folder opens in the dialog, which stays open for a name.
    bool opened = false;
    TypeIntoNextFileDialog(QStringLiteral("c:\\4nec2\\out"), [&opened](QFileDialog* dialog) {
      // On an X server the dialog changes its folder a moment later.
      opened = QTest::qWaitFor(
          [&] { return dialog->isVisible() && dialog->directory().dirName() == QStringLiteral("out"); },
          3000);
      dialog->reject();
    });
    QVERIFY(!ui->OpenFileDialog(spec));
    QVERIFY(opened);

    TypeIntoNextFileDialog(QStringLiteral("c:\\4nec2\\b_out"));
    QCOMPARE(ui->ChooseFolder("c:\\4nec2").value_or("cancelled"), std::string("c:\\4nec2\\b_out"));
    QCOMPARE(system->CurrentFolder(), std::string("c:\\4nec2\\b_out"));
  }
};

QTEST_MAIN(DeskTest)
#include "desk_test.moc"
