// The picture windows under QT_QPA_PLATFORM=offscreen, and the pictures themselves as pixels:
// the SVG as rsvg-convert renders it and the window's own painting of the same scene.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstdlib>

#include "picture/picture_file.hpp"
#include "platform/qt/picture_window.hpp"
#include "qt/qt_window_parts.hpp"
#include "util/format.hpp"

using namespace varnel;

namespace {

bool SceneSays(const Scene& scene, const std::string& part) {
  for (const SceneItem& item : scene.items)
    if (const auto* text = std::get_if<TextItem>(&item); text && text->text.find(part) != std::string::npos)
      return true;
  return false;
}

bool Near(QRgb pixel, Colour expected, int tolerance = 8) {
  return std::abs(qRed(pixel) - expected.r) <= tolerance &&
         std::abs(qGreen(pixel) - expected.g) <= tolerance &&
         std::abs(qBlue(pixel) - expected.b) <= tolerance;
}

QString Show(QRgb pixel) {
  return QStringLiteral("(%1,%2,%3)").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
}

}  // namespace

class PictureWindowTest : public QObject, public QtWindowParts<TestUi> {
  Q_OBJECT

 private slots:
  void init() {
    DecimalSeparator = ',';
    QVERIFY(OpenWindow());
  }

  void cleanup() { CloseWindow(); }

  // A 6 x 3 map (the test objects' grid shown at 500 x 250) with known values: every cell shows
  // its scale colour up to two pixels from its edges, the empty one grey, in the SVG as
  // rsvg-convert draws it (no smoothing invents a value between two cells) and in the window.
  void cellsShowTheirColoursInTheSvgAndInTheWindow() {
    NearFieldTable table;
    table.fieldType = "ELECTRIC ";
    std::vector<double> values;
    for (int k = 0; k < 18; ++k) {
      values.push_back(k == 7 ? std::nan("") : (k * 7) % 18);
      table.x.push_back(k % 6);
      table.y.push_back(k / 6);
      table.z.push_back(0);
      table.value.push_back(values[k]);
    }
    const FieldMap map = ComputeFieldMap(table, {}, Point3D{});
    const Scene scene = FieldMapScene(map, MapMarks{}, "Total");
    const PlotFrame frame = FieldMapFrame(map);
    const std::string svgText = SvgText(scene);

    QImage painted = QImage::fromData(QByteArray::fromStdString(RasterPng(scene)), "PNG");
    QCOMPARE(painted.width(), static_cast<int>(scene.width));
    std::vector<std::pair<QString, QImage>> pictures = {{QStringLiteral("window"), painted}};
    if (std::system("command -v rsvg-convert >/dev/null 2>&1") == 0) {
      const auto svg = root->Write("map.svg", svgText);
      const std::string png = (root->dir / "map.png").string();
      QCOMPARE(std::system(("rsvg-convert -o '" + png + "' '" + svg.string() + "'").c_str()), 0);
      pictures.push_back({QStringLiteral("rsvg-convert"), QImage(QString::fromStdString(png))});
    } else {
      qWarning("rsvg-convert is not installed: only the window's painting is checked");
    }
    for (const auto& [name, image] : pictures) {
      QVERIFY2(!image.isNull(), qPrintable(name));
      for (int k = 0; k < 18; ++k) {
        const Colour expected = std::isnan(values[k]) ? kEmptyCell : ScaleColour(values[k] / 17);
        const double left = frame.X(k % 6 - 0.5), right = frame.X(k % 6 + 0.5);
        const double top = frame.Y(k / 6 + 0.5), bottom = frame.Y(k / 6 - 0.5);
        for (const QPointF at :
             {QPointF(left + 2, top + 2), QPointF(right - 3, bottom - 3), QPointF(right - 3, top + 2)}) {
          const QRgb pixel = image.pixel(static_cast<int>(at.x()), static_cast<int>(at.y()));
          QVERIFY2(Near(pixel, expected),
                   qPrintable(name + QStringLiteral(" cell %1: ").arg(k) + Show(pixel)));
        }
      }
      // The colour bar runs from the highest colour at its top to the lowest at its foot.
      QVERIFY2(Near(image.pixel(631, 84), ScaleColour(1), 12), qPrintable(name + Show(image.pixel(631, 84))));
      QVERIFY2(Near(image.pixel(631, 336), ScaleColour(0), 12),
               qPrintable(name + Show(image.pixel(631, 336))));
    }
  }

  // Plot Table and Show Field Map open beside the window and follow what they draw; at their
  // smallest size no control text is cut.
  void plotTableAndFieldMapFollowWhatTheyDraw() {
    // Plot Table draws the Data pane as it stands, also after the user edited it, and saves.
    PictureWindow* plot = Open("MIPlotTable");
    QVERIFY(plot && plot->isVisible());
    QVERIFY(SceneSays(plot->View()->CurrentScene(), "No table in the Data pane"));
    AddLine(form->Mdata, "//   Freq ;   Pwr   ;");
    AddLine(form->Mdata, "//    MHz ;    W    ;");
    AddLine(form->Mdata, "   14,200;    1,000;");
    AddLine(form->Mdata, "    7,000;    oops;");
    window->SyncFromModel();
    QVERIFY(SceneSays(plot->View()->CurrentScene(), "Pwr (1 left out)"));

    ui->savePath = (root->dir / "plot.svg").string();
    plot->SaveButton()->click();
    QCOMPARE(QString::fromStdString(TestRoot::Read(root->dir / "plot.svg")),
             QString::fromStdString(SvgText(plot->View()->CurrentScene())));
    ui->savePath = (root->dir / "plot.PNG").string();
    plot->SaveButton()->click();
    const QImage saved(QString::fromStdString((root->dir / "plot.PNG").string()));
    QCOMPARE(saved.width(), static_cast<int>(plot->View()->CurrentScene().width));
    ui->size = "2000x3000";  // for print: scaled alike both ways, centred
    plot->SaveButton()->click();
    const QImage large(QString::fromStdString((root->dir / "plot.PNG").string()));
    QCOMPARE(large.size(), QSize(2000, 3000));
    ui->size.reset();
    ui->savePath = (root->dir / "missing" / "plot.svg").string();
    plot->SaveButton()->click();
    QCOMPARE(ui->messages.size(), std::size_t{1});

    // Show Field Map opens beside the window and follows the table the commands read.
    PictureWindow* map = Open("MIShowFieldMap");
    QVERIFY(map && map->isVisible());
    QCOMPARE(QString::fromStdString(map->Map().missing), QStringLiteral("No near-field table"));

    LoadDipolNearField();
    QCOMPARE(map->Map().points, std::size_t{36});
    QCOMPARE(map->Map().level, 4.0);
    QVERIFY(SceneSays(map->View()->CurrentScene(), "XY plane at z = 4 m, Total (V/m)"));
    QCOMPARE(map->PlaneBox()->count(), 3);
    QCOMPARE(map->LevelBox()->currentText(), QStringLiteral("z = 4 m"));

    // The value under the cursor is the cell's value.
    const PlotFrame frame = FieldMapFrame(map->Map());
    SceneView* view = map->View();
    const ViewLayout& shown = view->Layout();
    const QPointF at(shown.left + frame.X(10) * shown.scale, shown.top + frame.Y(0) * shown.scale);
    QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    const std::optional<MapProbe> probe = ProbeFieldMap(map->Map(), frame.X(10), frame.Y(0));
    QVERIFY(probe);
    QCOMPARE(probe->u, 10.0);
    QCOMPARE(map->ProbeLabel()->text(), ToQt(ProbeText(map->Map(), *probe)));
    QVERIFY(map->ProbeLabel()->text().startsWith(QStringLiteral("x = 10 m, y = 0 m: ")));

    // Another plane, and the dB scale; a new polarisation is followed at the next command.
    map->PlaneBox()->setCurrentIndex(1);
    emit map->PlaneBox()->activated(1);
    QCOMPARE(map->Map().plane, MapPlane::XZ);
    emit map->ScaleBox()->activated(1);
    QVERIFY(SceneSays(map->View()->CurrentScene(), "0 dB = "));
    window->RadioGroupWidget("RGPol")->button(3)->click();
    window->RunCommand("AnalyseNearfield1Click");
    QVERIFY(SceneSays(map->View()->CurrentScene(), ", Z (V/m)"));
    QCOMPARE(map->Map().plane, MapPlane::XZ);

    // At the windows' smallest size every list, label and button still shows its whole text
    // (measured with the font it is drawn in), also when the lists filled after the window opened.
    for (const char* action : {"MIShowFieldMap", "MIPlotTable"}) {
      PictureWindow* picture = Open(action);
      picture->resize(1, 1);
      QApplication::processEvents();
      for (QComboBox* box : picture->findChildren<QComboBox*>())
        for (int i = 0; i < box->count(); ++i) {
          const int text = box->fontMetrics().horizontalAdvance(box->itemText(i));
          QVERIFY2(box->width() >= text + 16,
                   qPrintable(box->itemText(i) + QStringLiteral(" in %1 px").arg(box->width())));
        }
      for (QLabel* label : picture->findChildren<QLabel*>())
        QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()) ||
                     label == picture->ProbeLabel(),
                 qPrintable(label->text()));
      for (QPushButton* button : picture->findChildren<QPushButton*>())
        QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()),
                 qPrintable(button->text()));
    }
  }

  // The view hands keys, the wheel and drags to the core: + and the wheel zoom the map, a drag
  // moves it, 0 shows it whole; Esc closes the window, also from a list or a field.
  void keysWheelAndDragsZoomAndMoveTheMapAndEscCloses() {
    LoadDipolNearField();
    PictureWindow* map = Open("MIShowFieldMap");
    SceneView* view = map->View();
    QTest::keyClick(view, Qt::Key_Plus);
    QCOMPARE(map->State().map.zoom.factor, kZoomStep);
    QVERIFY(SceneSays(view->CurrentScene(), "zoomed 1,25x"));
    const PlotFrame frame = FieldMapFrame(map->Map());
    const ViewLayout& shown = view->Layout();
    const QPointF middle(shown.left + (frame.left + frame.width / 2) * shown.scale,
                         shown.top + (frame.top + frame.height / 2) * shown.scale);
    QWheelEvent wheel(middle, view->viewport()->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    QCOMPARE(map->State().map.zoom.factor, kZoomStep * kZoomStep);
    const double centre = map->State().map.zoom.centre.x;
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, middle.toPoint());
    QTest::mouseMove(view->viewport(), (middle + QPointF(40, 0)).toPoint());
    QVERIFY(map->State().map.zoom.centre.x < centre);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, (middle + QPointF(40, 0)).toPoint());
    QTest::keyClick(view, Qt::Key_0);
    QCOMPARE(map->State().map.zoom.factor, 1.0);
    for (QWidget* focus : {static_cast<QWidget*>(view), static_cast<QWidget*>(map->LowEdit())}) {
      map->show();
      map->activateWindow();  // Esc is the window's shortcut, as the person's keys reach it
      QVERIFY(QTest::qWaitForWindowActive(map));
      QTest::keyClick(focus, Qt::Key_Escape);
      QVERIFY(!map->isVisible());
    }

    // Opened again: the colour limits and the Z line view are kept while the window is open,
    // over another plane and over a new table; a refused limit says why and leaves the map as it was.
    map = Open("MIShowFieldMap");
    emit map->ScaleBox()->activated(2);
    QCOMPARE(map->ScaleBox()->currentText(), QStringLiteral("dB\u00B5V/m"));
    map->LowEdit()->setText(QStringLiteral("80"));
    map->HighEdit()->setText(QStringLiteral("100,5"));
    map->SetLimitsButton()->click();
    QCOMPARE(map->Map().high, std::optional<double>(100.5));
    emit map->PlaneBox()->activated(1);
    window->RunCommand("AnalyseNearfield1Click");
    QCOMPARE(map->Map().low, std::optional<double>(80));
    QCOMPARE(map->HighEdit()->text(), QStringLiteral("100,5"));
    map->LowEdit()->setText(QStringLiteral("abc"));
    map->SetLimitsButton()->click();
    QCOMPARE(ui->messages.back(),
             std::string("Colour limits: 'abc' is not a number (decimal separator ',')"));
    QCOMPARE(map->LowEdit()->text(), QStringLiteral("80"));
    emit map->ViewBox()->activated(1);
    QVERIFY(SceneSays(map->View()->CurrentScene(), "Z line through A (10|0)"));
    window->RunCommand("AnalyseNearfield1Click");
    QVERIFY(SceneSays(map->View()->CurrentScene(), "Z line through A (10|0)"));
  }
};

QTEST_MAIN(PictureWindowTest)
#include "picture_window_test.moc"
