// The program's entry. "varnel --script FILE" runs a command script headless (FILE "-" reads
// standard input); "varnel" alone opens the window when the program is built with Qt.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "engine/conversion.hpp"
#include "platform/posix/posix_sample_tree.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/scripted/runner.hpp"
#include "util/format.hpp"
#include "util/workers.hpp"

#ifdef VARNEL_HAVE_QT
#include <dlfcn.h>
#include <unistd.h>

#include "app/window_module.hpp"
#include "picture/picture_file.hpp"
#endif

using namespace varnel;

namespace {

int Usage() {
  std::cerr
      << "usage: varnel [--jobs N]                         open the window\n"
         "       varnel [--jobs N] --script FILE             run a command script headless (FILE - reads "
         "standard input)\n"
         "       varnel [--jobs N] --script FILE --window    run it against the window (offscreen without a "
         "display)\n"
         "       varnel --output-complete [DECK] OUTPUT      exit status 0 when OUTPUT is a whole engine "
         "print (made from DECK)\n"
         "       varnel --screenshot FILE.png                open the window, save a picture of it, end\n"
         "  --jobs N    Batch Conversion keeps N engine runs going at once (1 to the processor count; as "
         "many as "
         "processors by default)\n"
         "  --progress  with --script: print the Info pane's lines as the commands write them\n"
         "  The options may stand in any order.\n";
  return 2;
}

#ifdef VARNEL_HAVE_QT
// The window module beside the program (in the build folder and in the installed folder
// alike), loaded on first need and kept; nullptr when it cannot be loaded (the reason is on
// standard error).
const WindowModule* LoadWindowModule() {
  static const WindowModule* const module = []() -> const WindowModule* {
    std::string self(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
    self.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    const std::string path = self.substr(0, self.rfind('/') + 1) + "varnel_window.so";
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto entry =
        handle ? reinterpret_cast<const WindowModule* (*)()>(dlsym(handle, VARNEL_WINDOW_MODULE_ENTRY))
               : nullptr;
    if (entry == nullptr) {
      std::cerr << "varnel: cannot load the window (" << dlerror() << ")\n";
      return nullptr;
    }
    return entry();
  }();
  return module;
}

// PNG pictures of a headless run: the module is loaded by the first one.
std::string RasterPngOnDemand(const Scene& scene) {
  const WindowModule* module = LoadWindowModule();
  return module ? module->rasterPng(scene) : std::string();
}
#endif

int RunScriptFile(const std::string& path, PosixSystem& system, const StartUp& startUp, int engineJobs,
                  bool printInfo) {
  // Line by line: whatever the runner has printed is out when it is ended by a signal.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  return RunOverScriptFile(path, std::cerr, [&](std::istream& script) {
    return RunScript(script, std::cout, system, startUp, engineJobs, printInfo);
  });
}

#ifdef VARNEL_HAVE_QT
int RunWindowScriptFile(const std::string& path, int argc, char** argv, PosixSystem& system,
                        const StartUp& startUp, int engineJobs, bool printInfo) {
  const WindowModule* module = LoadWindowModule();
  if (module == nullptr) return 1;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  return RunOverScriptFile(path, std::cerr, [&](std::istream& script) {
    return module->runWindowScript(script, std::cout, argc, argv, system, startUp, engineJobs, printInfo);
  });
}
#endif

// Whether the output (a native path) is the whole print of the deck (a native path; none when
// empty): the decision Resume and Cluster Conversion make, for the tasks of a cluster job.
bool OutputOfDeckComplete(const std::string& deck, const std::string& output) {
  PosixSystem system;
  return OutputOfDeck(system, deck.empty() ? "" : system.FromNativePath(deck),
                      system.FromNativePath(output)) == OutputState::Whole;
}

}  // namespace

int main(int argc, char** argv) {
  // The test a cluster task makes of an output: exit status 0 when it is complete.
  if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--output-complete")
    return OutputOfDeckComplete(argc == 4 ? argv[2] : "", argv[argc - 1]) ? 0 : 1;
  // The binding on Linux: the POSIX system under the scripted interface or the Qt window. At
  // the start the missing parts of the sample tree are made.
  PosixSystem system;
  const StartUp startUp = [&system] { CreateSampleTree(system); };
  // The separator comes from the locale; a script may set another one.
  DecimalSeparator = system.LocaleDecimalSeparator();
  // Ending the program by a signal also ends the engine it is waiting for.
  EndEnginesOnTerminationSignals();
  // Work spread over the cores starts on the other cores at once.
  SetThreadPlacement(&PlaceKeptThread);
#ifdef VARNEL_HAVE_QT
  // Scripts may write PNG pictures, headless too.
  SetSceneRasterizer(&RasterPngOnDemand);
#endif

  const std::optional<CommandLine> line =
      ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cerr);
  if (!line) return Usage();
  const int engineJobs = line->engineJobs;

  if (line->script && !line->window)
    return RunScriptFile(*line->script, system, startUp, engineJobs, line->progress);
  if (line->script) {
#ifdef VARNEL_HAVE_QT
    return RunWindowScriptFile(*line->script, argc, argv, system, startUp, engineJobs, line->progress);
#else
    std::cerr << "varnel: this build has no window (built without Qt 6 Widgets).\n";
    return 1;
#endif
  }

#ifdef VARNEL_HAVE_QT
  const WindowModule* module = LoadWindowModule();
  return module ? module->runWindow(argc, argv, system, startUp, engineJobs) : 1;
#else
  std::cerr << "varnel: this build has no window (built without Qt 6 Widgets).\n"
               "Run a command script instead: varnel --script examples/demo.vsc\n";
  return 1;
#endif
}
