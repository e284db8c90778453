// The real window under QT_QPA_PLATFORM=offscreen: built from the model, clicks reach the
// dispatcher, edits reach the model, dialogs answer the keyboard, geometry follows the model.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <filesystem>

#include "platform/qt/pane_view.hpp"
#include "support/hanging_engine.hpp"
#include "support/inout_error.hpp"
#include "qt/qt_window_parts.hpp"
#include "util/format.hpp"

using namespace varnel;

namespace {

const std::string kStillRunning = "A command is still running. Please wait until it has finished.";

// What a pane widget shows, lines joined by '\n'.
QString Shown(PaneView* pane) {
  QStringList lines;
  for (const std::string& line : pane->ShownLines()) lines << PaneToQt(line);
  return lines.join(QLatin1Char('\n'));
}

// Types text into a widget key by key, a line break as Return.
void TypeInto(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    const bool enter = c == QLatin1Char('\n');
    QKeyEvent key(QEvent::KeyPress, enter ? Qt::Key_Return : Qt::Key_unknown, Qt::NoModifier,
                  enter ? QStringLiteral("\r") : QString(c));
    QApplication::sendEvent(widget, &key);
  }
}

// Presses keys in the next modal dialog once it is open.
void WhenModalOpens(const std::function<void(QWidget*)>& action) {
  QTimer::singleShot(50, [action] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog) action(dialog);
  });
}

}  // namespace

class WindowTest : public QObject, public QtWindowParts<TestUi> {
  Q_OBJECT

 private:
  QTemporaryDir settingsHome;  // where Qt would keep a settings file of the user

  // Clicks into the Data pane, types the text and saves the pane: the bytes saved.
  std::string TypeAndSaveDataPane(const QString& typed) {
    PaneView* mdata = window->PaneWidget("Mdata");
    QTest::mouseClick(mdata->viewport(), Qt::LeftButton);
    TypeInto(mdata, typed);
    const auto target = root->dir / "saved.txt";
    ui->savePath = WindowsPath(root->Roots(), target.string());
    window->RunCommand("MISaveasTxtClick");
    return TestRoot::Read(target);
  }

  // Files of these names, each holding `text`, in c:\4nec2\b_out\run: the folder the chooser answers.
  void ChooseRunFolderOf(std::initializer_list<const char*> names, const std::string& text = "x") {
    for (const char* name : names) root->Write("drive_c/4nec2/b_out/run/" + std::string(name), text);
    ui->folder = WindowsPath(root->Roots(), (root->driveC / "4nec2" / "b_out" / "run").string());
  }

 private slots:
  void initTestCase() { qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit()); }

  void init() {
    DecimalSeparator = ',';
    QVERIFY(OpenWindow());
  }

  void cleanup() { CloseWindow(); }

  // Built from the model; a menu click and an engine choice reach it.
  void startsWithTheModelsMenusRegionsAndFields() {
    QStringList menus;
    // As the model holds them; the '&' before the access key is the window's (desk_test).
    for (QAction* action : window->menuBar()->actions())
      menus << QString(action->text()).remove(QLatin1Char('&'));
    QCOMPARE(menus, (QStringList{"File", "InputFiles", "Convert To Output Files", "Analyse", "Other",
                                 "Engine", "?"}));
    for (const char* name : {"GBEdit", "GBInfo", "GBdata", "GBBasicData", "GBNearField", "GBCommands"})
      QVERIFY2(window->RegionWidget(name) != nullptr, name);
    QCOMPARE(window->RegionWidget("GBInfo")->title(), QString("Info"));
    QCOMPARE(window->FieldWidget("EditPoint")->text(), QString("(10,0|0,0|4,0)"));
    QCOMPARE(window->FieldWidget("EditNormalizePower")->text(), QString("1,00 W"));
    QCOMPARE(window->FieldWidget("EditType")->text(), QString("----"));
    QVERIFY(window->FieldWidget("EditType")->isReadOnly());
    QCOMPARE(window->FieldWidget("EditType")->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QAction* engine = window->Action("MI_NEC1500");
    QVERIFY(engine && engine->isChecked());
    QCOMPARE(window->Action("MIGenerateEUTs") ? window->Action("MIGenerateEUTs")->shortcut() : QKeySequence(),
             QKeySequence("F10"));
    // 530 high, or as high as the Commands region needs for its controls at natural height.
    QCOMPARE(window->frameGeometry().height(), std::max(530, form->MinimumWindowSize().second));

    // A menu click shows its output in the pane; choosing an engine moves the check mark.
    QAction* show = window->Action("MIShowsomeParameters");
    QVERIFY(show);
    show->trigger();
    const QString text = Shown(window->PaneWidget("Mout"));
    QVERIFY2(text.startsWith("------- Some Parameters ------"), qPrintable(text));
    QVERIFY(text.contains("maxHeight...........: 1000,0 "));
    window->Action("MI_NEC11000")->trigger();
    QVERIFY(window->Action("MI_NEC11000")->isChecked());
    QVERIFY(!window->Action("MI_NEC1500")->isChecked());
    QCOMPARE(form->params.EngineName, std::string("c:\\4nec2\\exe\\nec2dxs11k.exe"));
  }

  void editedDataPaneIsWhatSaveAndColumnCopyUse() {
    QCOMPARE(
        QString::fromStdString(TypeAndSaveDataPane(
            "// head\n\n//   Freq ;\n//    MHz ;\n    7,000;    1,000;\n   14,200;    2,000;")),
        QString(
            "// head\r\n\r\n//   Freq ;\r\n//    MHz ;\r\n    7,000;    1,000;\r\n   14,200;    2,000;\r\n"));
    window->RunCommand("MICopyColomn2");
    QCOMPARE(QString::fromStdString(ui->ClipboardText()), QString("    1,000\r\n    2,000\r\n"));

    // A pane is 8-bit text: a typed degree sign is saved as the one byte 0xB0, and the bytes of a
    // loaded file come back unchanged.
    ClearPane(form->Mdata);
    window->SyncFromModel();
    QCOMPARE(QByteArray::fromStdString(TypeAndSaveDataPane(QString(QChar(0xB0)) + "C")), QByteArray("\xb0"
                                                                                                    "C\r\n"));
    ReplacePaneLines(form->Mdata, {"20\xb0"
                                   "C \xe9t\xe9"});
    window->SyncFromModel();
    QCOMPARE(QByteArray::fromStdString(TypeAndSaveDataPane("")), QByteArray("20\xb0"
                                                                            "C \xe9t\xe9\r\n"));
  }

  void pointDialogDrivenByKeyboardSetsP() {
    WhenModalOpens([](QWidget* dialog) {
      auto edits = dialog->findChildren<QLineEdit*>();
      QCOMPARE(edits.size(), 3);
      for (int i = 0; i < 3; ++i) {
        edits[i]->selectAll();
        QTest::keyClicks(edits[i], QStringList{"2,5", "1", "3"}[i]);
      }
      QTest::keyClick(edits[2], Qt::Key_Return);
    });
    QTest::mouseDClick(window->FieldWidget("EditPoint"), Qt::LeftButton);
    QCOMPARE(form->params.p.x, 2.5);
    QCOMPARE(form->params.p.y, 1.0);
    QCOMPARE(form->params.p.z, 3.0);
    QCOMPARE(window->FieldWidget("EditPoint")->text(), QString("(2,5|1,0|3,0)"));
  }

  // While a batch runs, a click on the polarisation it read is refused in the status bar and the
  // group goes on showing the batch's item.
  void radioGroupClickReachesTheModelUnlessABatchHoldsIt() {
    QButtonGroup* pol = window->RadioGroupWidget("RGPol");
    pol->button(3)->click();
    QCOMPARE(form->RGPol.itemIndex, 3);

    ChooseRunFolderOf({"a.out", "b.out"}, TestRoot::Read(root->driveC / "4nec2" / "out" / "dipol.out"));
    window->RunCommand("MIAddBatchFolderClick");
    int checkedInside = -1;
    ui->duringEvents = [&] {
      pol->button(1)->click();
      checkedInside = pol->checkedId();
    };
    window->RunCommand("Button2");
    QCOMPARE(checkedInside, 3);
    QCOMPARE(form->RGPol.itemIndex, 3);
    QVERIFY(ui->messages.empty());
    QCOMPARE(window->StatusText(), kStillRunning);
  }

  void commandsDuringARunAreRefusedAndClosingEndsTheRunSafely() {
    ChooseRunFolderOf({"a.out", "b.out", "c.out"});
    ui->duringEvents = [this] {
      window->RunCommand("MIShowsomeParametersClick");
      window->close();
    };
    window->RunCommand("MIAddBatchFolderClick");
    // The refusal stands in the status bar; no box stops the running command.
    QVERIFY(ui->messages.empty());
    QCOMPARE(window->StatusText(), kStillRunning);
    const QString info = Shown(window->PaneWidget("Mout"));
    QVERIFY2(!info.contains("Some Parameters"), qPrintable(info));
    QVERIFY2(info.contains("Batch Folder selected: "), qPrintable(info));
    QVERIFY(window->isVisible());  // the close waits until the command has ended
    QTRY_VERIFY(!window->isVisible());
    QVERIFY(!form->Busy());
  }

  // Closing the window or Quit while the batch conversion waits for an engine that never ends:
  // the engine and its own child end, the Info pane says so, and the window closes.
  void closingOrQuitEndsARunningEngine_data() { TwoRows("quit", "close", "Quit"); }
  void closingOrQuitEndsARunningEngine() {
    QFETCH(bool, quit);
    const std::filesystem::path launcher = hanging_engine::Plant(*root);
    root->Write("drive_c/4nec2/b_in/hang/x.nec", "CM\r\nCE\r\nEN\r\n");
    ui->folder = "c:\\4nec2\\b_in\\hang";
    long engine = 0, child = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (!std::filesystem::exists(launcher.string() + ".pid")) return;
      poll.stop();
      engine = hanging_engine::WaitForPid(launcher.string() + ".pid");
      child = hanging_engine::WaitForPid(launcher.string() + ".child");
      if (quit) {
        window->RunCommand("MIQuitClick");
      } else {
        window->close();
      }
    });
    poll.start(20);
    window->RunCommand("BatchConversion1Click");
    QVERIFY(engine > 0 && child > 0);
    const bool gone = hanging_engine::Gone(engine) && hanging_engine::Gone(child);
    if (!gone) kill(static_cast<pid_t>(-engine), SIGKILL);  // no leftovers
    QVERIFY(gone);
    QString info;
    for (const std::string& line : window->PaneWidget("Mout")->ShownLines())
      info += QString::fromStdString(line) + "\n";
    QVERIFY2(
        info.contains("The running engine c:\\4nec2\\exe\\nec2dxs1k5.exe was ended: the program is closing."),
        qPrintable(info));
    QTRY_VERIFY(!window->isVisible());
    QVERIFY(!form->Busy());
  }

  // A listing of five names stopped at its first: by the status bar's Stop button, by Esc. The
  // button is enabled only while the command runs.
  void stopButtonAndEscEndARunningCommand_data() { TwoRows("escape", "Stop", "Esc"); }
  void stopButtonAndEscEndARunningCommand() {
    QFETCH(bool, escape);
    ChooseRunFolderOf({"a.out", "b.out", "c.out", "d.out", "e.out"});
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QPushButton* stop = window->StopButton();
    QVERIFY(!stop->isEnabled());
    bool enabledInside = false;
    ui->duringEvents = [&] {
      window->SyncFromModel();
      enabledInside = stop->isEnabled();
      if (escape)
        QTest::keyClick(window.get(), Qt::Key_Escape);
      else
        QTest::mouseClick(stop, Qt::LeftButton);
    };
    window->RunCommand("Button1");
    QVERIFY(enabledInside);
    QVERIFY(!stop->isEnabled());
    const QString info = Shown(window->PaneWidget("Mout"));
    QVERIFY2(info.contains("a.out") && !info.contains("b.out"), qPrintable(info));
    QVERIFY(window->isVisible());
    QVERIFY(ui->messages.empty());
  }

  // The close button during a command and with an unsaved table asks; No keeps the window and
  // lets the command go on, Yes closes it (during a command once the command has ended). The
  // progress and the end of the command stand in the status bar.
  void closeAsksDuringACommandAndAboutAnUnsavedTable_data() { TwoRows("yes", "No", "Yes"); }
  void closeAsksDuringACommandAndAboutAnUnsavedTable() {
    QFETCH(bool, yes);
    ChooseRunFolderOf({"a.out", "b.out", "c.out"});
    ui->answers = {yes};
    bool barShown = false;
    QString during;
    ui->duringEvents = [&] {
      window->SyncFromModel();
      barShown = window->ProgressBar()->isVisible();
      during = QString::fromStdString(window->StatusText());
      window->close();
    };
    window->RunCommand("Button1");
    // The progress stands in the status bar while the command runs.
    QVERIFY(barShown);
    QVERIFY2(during.startsWith("Add Batch: file 1 of 3, 0:0"), qPrintable(during));
    QVERIFY(!window->ProgressBar()->isVisible());
    QCOMPARE(ui->questions,
             (std::vector<std::string>{"A file listing is running (1 of 3). Stop it and quit?"}));
    QCOMPARE(Shown(window->PaneWidget("Mout")).contains("c.out"), !yes);
    if (yes) {
      QTRY_VERIFY(!window->isVisible());
      return;
    }
    QVERIFY(window->isVisible());
    QCOMPARE(QString::fromStdString(window->StatusText()).left(23), QString("Add Batch: 3 files in 0"));
    form->tableUnsaved = true;  // as a batch leaves its table
    ui->answers = {false, false};
    window->close();
    QVERIFY(window->isVisible());
    window->Action("MIQuit")->trigger();
    QApplication::processEvents();
    QVERIFY(window->isVisible());
    QCOMPARE(ui->questions.back(), std::string("The table in the Data pane is not saved. Quit anyway?"));
    QCOMPARE(ui->questions.size(), std::size_t{3});
  }

  // The data pane follows new rows down but stays at its first column; the Info pane stays
  // where ScrollToTop put it.
  void panesScrollAsTheModelSays() {
    std::string wide(400, '#');
    for (int i = 0; i < 200; ++i) AddLine(form->Mdata, wide + ";" + std::to_string(i));
    window->SyncFromModel();
    PaneView* mdata = window->PaneWidget("Mdata");
    QCOMPARE(mdata->HorizontalPosition(), 0);
    QVERIFY(mdata->horizontalScrollBar()->maximum() > 0);
    QCOMPARE(mdata->FirstVisibleLine(), mdata->verticalScrollBar()->maximum());
    for (int i = 0; i < 200; ++i) AddLine(form->Mout, "line " + std::to_string(i));
    ScrollToTop(form->Mout);
    window->SyncFromModel();
    QCOMPARE(window->PaneWidget("Mout")->FirstVisibleLine(), 0);
  }

  // Typed text is the model's at once; lines a command appends come behind it; a Shift+click
  // or a double-click selects and Ctrl+C copies; a command that rewrites the pane releases it.
  void typingEditsTheModelInPlace() {
    PaneView* mout = window->PaneWidget("Mout");
    QTest::mouseClick(mout->viewport(), Qt::LeftButton);
    QVERIFY(mout->Editor().Active());
    TypeInto(mout, "typed");
    AddLine(form->Mout, "appended");
    window->SyncFromModel();
    QCOMPARE(Shown(mout), QString("typed\nappended"));
    QCOMPARE(form->Mout.lines, (std::vector<std::string>{"typed", "appended"}));
    const int charWidth = mout->fontMetrics().horizontalAdvance(QLatin1Char('M'));
    QTest::mouseClick(mout->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(4 + charWidth, 2));
    QTest::keyClick(mout, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(ui->ClipboardText(), std::string("yped"));
    QTest::mouseDClick(mout->viewport(), Qt::LeftButton, {}, QPoint(4 + 2 * charWidth, 2));
    QTest::keyClick(mout, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(ui->ClipboardText(), std::string("typed"));
    window->RunCommand("MIShowsomeParametersClick");
    QVERIFY(!mout->Editor().Active());
    QCOMPARE(mout->ShownLines(), form->Mout.lines);
  }

  // The filters show their pattern once; the window's folder chooser fails as the headless one
  // does; Qt's file dialog keeps a history, but the program stores nothing between runs.
  void fileDialogsFiltersAndChooserLeaveNoSettingsFile() {
    QCOMPARE(QtFilters("Alle Dateien (*.*)|*.*|TextDateien (*.txt)|*.txt"),
             (QStringList{"Alle Dateien (*.*)", "TextDateien (*.txt)"}));
    QCOMPARE(QtFilters("All(*.*)|*.*|4nec2 (*.out)|*.out"), (QStringList{"All(*.*)", "4nec2 (*.out)"}));
    QCOMPARE(QtFilters("Decks|*.nec;*.NEC"), (QStringList{"Decks (*.nec *.NEC)"}));
    QtUi plain(*system);
    QCOMPARE(ErrorOf([&] { plain.ChooseFolder("c:\\4nec2\\nowhere"); }),
             std::string("2 Datei nicht gefunden"));
    QTimer::singleShot(100, [] {
      if (QWidget* dialog = QApplication::activeModalWidget()) qobject_cast<QDialog*>(dialog)->reject();
    });
    FileDialogSpec spec;
    spec.title = "Load";
    spec.initialFolder = "c:\\4nec2\\out";
    spec.filter = "4nec2 (*.out)|*.out";
    QVERIFY(!ui->OpenFileDialog(spec));
    QVERIFY(QDir(settingsHome.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
  }

  // The regions follow the resize rule, and every field shows the widest text its commands write,
  // at the start size, large, maximised and at the smallest size; fields grow with the window; radio rows
  // keep their natural height; no region overlaps another (GBBasicData and GBNearField share their one pixel
  // row).
  void fieldsRadioRowsAndRegionsStayReadable() {
    const auto file = root->dir / "window.png";  // a screenshot shows the window
    QVERIFY(window->grab().save(QString::fromStdString(file.string()), "PNG"));
    QVERIFY(std::filesystem::file_size(file) > 1000);
    const int startWidth = window->FieldWidget("EditImpedance")->width();
    for (const QSize size : {window->size(), QSize(1300, 700), QSize(1900, 1000), QSize(200, 200)}) {
      window->resize(size);
      QApplication::processEvents();
      // The geometry follows the resize rule, which works on the outer size, frame included.
      QCOMPARE(form->window.width, window->frameGeometry().width());
      QCOMPARE(form->window.height, window->frameGeometry().height());
      for (Region* region : {&form->GBEdit, &form->GBInfo, &form->GBdata, &form->GBBasicData,
                             &form->GBNearField, &form->GBCommands}) {
        const Rect& r = region->bounds;
        QCOMPARE(window->RegionWidget(region->name)->geometry(), QRect(r.left, r.top, r.width, r.height));
      }
      QCOMPARE(window->RegionWidget("GBBasicData")->x(),
               window->frameGeometry().width() - form->RightColumnWidth() - 30);
      const QString at = QString("%1 x %2").arg(window->width()).arg(window->height());
      for (DisplayField* field : form->Fields()) {
        QLineEdit* edit = window->FieldWidget(field->name);
        const int needed = edit->fontMetrics().horizontalAdvance(ToQt(TForm1::WidestText(field->name)));
        QVERIFY2(edit->width() >= needed + 4, qPrintable(at + " " + edit->objectName()));
      }
      for (const char* group : {"RGMode", "RGPol"}) {
        const QList<QAbstractButton*> buttons = window->RadioGroupWidget(group)->buttons();
        for (int i = 0; i < buttons.size(); ++i) {
          QVERIFY2(buttons[i]->height() >= buttons[i]->sizeHint().height(), qPrintable(at + " " + group));
          if (i > 0) QVERIFY(buttons[i]->y() >= buttons[i - 1]->geometry().bottom());
        }
      }
      const char* names[] = {"GBEdit", "GBInfo", "GBdata", "GBBasicData", "GBNearField", "GBCommands"};
      for (const char* a : names) {
        for (const char* b : names) {
          if (std::string(a) >= b) continue;
          const QRect overlap = window->RegionWidget(a)->geometry() & window->RegionWidget(b)->geometry();
          QVERIFY2(overlap.isEmpty() || overlap.height() <= 1, qPrintable(at + " " + a + " / " + b));
        }
      }
      if (size.width() == 1900) QVERIFY(window->FieldWidget("EditImpedance")->width() > startWidth);
    }
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
