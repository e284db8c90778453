// The program's entry. "varnel --script FILE" runs a command script headless (FILE "-" reads
// standard input); "varnel" alone opens the window when the program is built with Qt.
#include <fstream>
#include <iostream>
#include <string>

#include "platform/posix/posix_platform.hpp"
#include "platform/scripted/runner.hpp"
#include "util/format.hpp"

#ifdef VARNEL_HAVE_QT
#include "platform/qt/qt_window.hpp"
#endif

namespace {

int Usage() {
  std::cerr << "usage: varnel              open the window\n"
               "       varnel --script FILE  run a command script headless (FILE - reads standard input)\n"
               "       varnel --script FILE --window  run it against the window (offscreen without a display)\n"
               "       varnel --screenshot FILE.png  open the window, save a picture of it, end\n";
  return 2;
}

int RunScriptFile(const std::string& path) {
  const PosixRoots roots = PosixRoots::FromEnvironment();
  if (path == "-") return RunScript(std::cin, std::cout, roots);
  std::ifstream script(path, std::ios::binary);
  if (!script) {
    std::cerr << "varnel: cannot read the script " << path << "\n";
    return 2;
  }
  return RunScript(script, std::cout, roots);
}

#ifdef VARNEL_HAVE_QT
int RunWindowScriptFile(const std::string& path, int argc, char** argv) {
  if (path == "-") return RunWindowScript(std::cin, std::cout, argc, argv);
  std::ifstream script(path, std::ios::binary);
  if (!script) {
    std::cerr << "varnel: cannot read the script " << path << "\n";
    return 2;
  }
  return RunWindowScript(script, std::cout, argc, argv);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  // The separator comes from the locale; a script may set another one.
  DecimalSeparator = DecimalSeparatorFromLocale();

  if (argc == 3 && std::string(argv[1]) == "--script") return RunScriptFile(argv[2]);
  if (argc == 4 && std::string(argv[1]) == "--script" && std::string(argv[3]) == "--window") {
#ifdef VARNEL_HAVE_QT
    return RunWindowScriptFile(argv[2], argc, argv);
#else
    std::cerr << "varnel: this build has no window (built without Qt 6 Widgets).\n";
    return 1;
#endif
  }
  const bool screenshot = argc == 3 && std::string(argv[1]) == "--screenshot";
  if (argc != 1 && !screenshot) return Usage();

#ifdef VARNEL_HAVE_QT
  return RunWindow(argc, argv);
#else
  std::cerr << "varnel: this build has no window (built without Qt 6 Widgets).\n"
               "Run a command script instead: varnel --script examples/demo.vsc\n";
  return 1;
#endif
}
