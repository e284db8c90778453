#include <QApplication>
#include <QTimer>
#include <cstring>
#include <iostream>

#include "mainwindow/VarnelU.hpp"
#include "platform/qt/main_window.hpp"
#include "platform/qt/qt_ui.hpp"
#include "platform/qt/qt_window.hpp"
#include "util/format.hpp"

namespace varnel {

// `varnel` opens the window; `varnel --screenshot FILE.png` opens it, writes a picture of it
// and ends (with QT_QPA_PLATFORM=offscreen this works without a display).
int RunWindow(int argc, char** argv, System& system, const StartUp& startUp, int engineJobs) {
  std::string screenshot;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0) screenshot = argv[i + 1];
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Varnel"));
  DecimalSeparator = system.LocaleDecimalSeparator();
  QtUi ui(system);
  if (startUp) startUp();
  TForm1 form({system, ui});
  if (engineJobs > 0) form.params.EngineJobs = engineJobs;
  VarnelWindow window(form, ui);
  window.show();
  if (!screenshot.empty()) {
    QTimer::singleShot(200, &window, [&] {
      window.SyncFromModel();
      const bool saved = window.grab().save(QString::fromStdString(screenshot), "PNG");
      if (!saved) std::cerr << "varnel: could not write " << screenshot << "\n";
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return QApplication::exec();
}

}  // namespace varnel
