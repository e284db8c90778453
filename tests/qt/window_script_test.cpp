// One script, two bindings: each script runs headless and with --window (offscreen), each in a
// fresh root laid out alike, and the window must print exactly what the model holds.
#include "test_paths.hpp"

#include <QtTest>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "platform/posix/posix_sample_tree.hpp"
#include "support/test_root.hpp"

using namespace varnel;

namespace {

// Three copies of the sample output, a folder without output files and a file with a byte
// above 127.
void LayOut(TestRoot& root) {
  PosixSystem system(root.Roots());
  CreateSampleTree(system);
  const std::string dipol = TestRoot::Read(root.driveC / "4nec2" / "out" / "dipol.out");
  for (const char* name : {"a.out", "b.out", "c.out"})
    root.Write("drive_c/4nec2/b_out/three/" + std::string(name), dipol);
  root.Write("drive_c/4nec2/b_out/none/readme.txt", "no output here");
  root.Write("drive_c/4nec2/b_out/degree.out",
             "Temperature 20\xb0"
             "C\r\nsecond line\r\n");
}

std::string RunProgram(const TestRoot& root, const std::string& script, bool window) {
  const std::string command =
      "env -u LC_ALL -u LC_NUMERIC -u DISPLAY -u WAYLAND_DISPLAY LANG=C QT_QPA_PLATFORM=offscreen "
      "WINEPREFIX='" +
      root.dir.string() + "' HOME='" + root.home.string() + "' XDG_CONFIG_HOME='" +
      (root.dir / "config").string() + "' '" + VARNEL_BINARY + "' --script '" + script + "'" +
      (window ? " --window" : "") + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "popen failed";
  std::string output;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = pclose(pipe);
  return output + "[exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "]\n";
}

}  // namespace

class WindowScriptTest : public QObject {
  Q_OBJECT

 private slots:
  // The scripts that both windows run (tests/scripts/window): each "#= " line is a line the
  // output must hold, in that order.
  void printsWhatTheModelHolds_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QByteArray>("mustShow");
    const std::filesystem::path folder =
        std::filesystem::path(VARNEL_SOURCE_DIR) / "tests" / "scripts" / "window";
    for (const char* name :
         {"two_folders", "batch_near_field", "eut_column", "single_file", "eight_bit", "stop", "no_opener"}) {
      const std::string script = TestRoot::Read(folder / (std::string(name) + ".vsc"));
      QByteArray mustShow;
      std::istringstream lines(script);
      for (std::string line; std::getline(lines, line);)
        if (line.rfind("#= ", 0) == 0)
          mustShow += (mustShow.isEmpty() ? "" : "\n") + QByteArray::fromStdString(line.substr(3));
      QTest::newRow(name) << QByteArray::fromStdString(script) << mustShow;
    }
    // The picture menu items open their windows beside the window and the files a script writes
    // are the same with and without it (PNG too: the program links the window binding).
    QTest::newRow("pictures")
        << QByteArray(
               "run LoadDipol1Click\nrun AnalyseNearfield1Click\nrun MIShowFieldMap\nrun MIPlotTable\n"
               "answer folder c:\\4nec2\\b_out\\three\nrun Button1\nrun MIBatchAnalysePowerClick\n"
               "picture fieldmap c:\\4nec2\\map.svg\npicture fieldmap c:\\4nec2\\xz.svg xz 0 db\n"
               "picture table c:\\4nec2\\table.svg\npicture fieldmap c:\\4nec2\\map.png\n")
        << QByteArray("[exit 0]");
  }

  void printsWhatTheModelHolds() {
    QFETCH(QByteArray, script);
    QFETCH(QByteArray, mustShow);
    const char* const names[] = {"map.svg", "xz.svg", "table.svg", "map.png"};
    std::string outputs[2], files[2][4];
    for (int window = 0; window < 2; ++window) {
      TestRoot root;
      LayOut(root);
      const auto file = root.Write("test.vsc", script.toStdString());
      outputs[window] = RunProgram(root, file.string(), window == 1);
      QVERIFY2(!std::filesystem::exists(root.dir / "config" / "QtProject.conf"), "no settings file");
      for (int k = 0; k < 4; ++k) files[window][k] = TestRoot::Read(root.driveC / "4nec2" / names[k]);
    }
    QCOMPARE(QString::fromLatin1(outputs[1]), QString::fromLatin1(outputs[0]));
    QVERIFY2(outputs[1].find(mustShow.toStdString()) != std::string::npos, outputs[1].c_str());
    QVERIFY2(outputs[1].find("[Picture]") == std::string::npos, outputs[1].c_str());
    for (int k = 0; k < 4; ++k) QVERIFY2(files[0][k] == files[1][k], names[k]);
    if (QByteArray(QTest::currentDataTag()) != "pictures") return;
    for (int k = 0; k < 4; ++k) QVERIFY2(!files[0][k].empty(), names[k]);
    QVERIFY(files[0][3].rfind("\x89PNG", 0) == 0);
    QVERIFY(files[0][2].find("Data table against Freq (MHz)") != std::string::npos);
  }
};

QTEST_GUILESS_MAIN(WindowScriptTest)
#include "window_script_test.moc"
