// The program's entry on Windows: "varnel" opens the native window; "varnel --script FILE" runs
// a command script headless over the Windows system (FILE "-" reads standard input), and with
// "--window" against the native window.
//
// The program is built for the console subsystem so that a script's output reaches the console
// or pipe it was started from, on Windows and under Wine alike. When the window is opened from
// a console of its own (a double-click in Explorer: nobody else is attached to it), that
// console is let go at once; started from a command prompt, the prompt keeps its console.
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "picture/picture_file.hpp"
#include "platform/scripted/runner.hpp"
#include "platform/win32/win32_sample_tree.hpp"
#include "platform/win32/win32_system.hpp"
#include "platform/win32ui/picture_window.hpp"
#include "platform/win32ui/win32_window.hpp"
#include "util/format.hpp"

using namespace varnel;

namespace {

int Usage() {
  std::cerr << "usage: varnel [--jobs N]                          open the window\n"
               "       varnel [--jobs N] --script FILE [--window]  run a command script headless, or against "
               "the window (FILE - reads standard input)\n"
               "  --jobs N  Batch Conversion keeps N engine runs going at once (1 to the processor count; 1 "
               "by default)\n";
  return 2;
}

// Lets go of a console that only this program is attached to.
void LeaveOwnConsole() {
  DWORD processes[2];
  if (GetConsoleWindow() && GetConsoleProcessList(processes, 2) == 1) FreeConsole();
}

}  // namespace

int main(int argc, char** argv) {
  // At the start the missing folders and sample files of c:\4nec2\ are made; the engines in
  // c:\4nec2\exe\ are the user's own.
  Win32System system;
  const StartUp startUp = [&system] { CreateSampleFiles(system); };
  DecimalSeparator = system.LocaleDecimalSeparator();
  // Scripts may write PNG pictures, headless too: the scene is painted with GDI, no window needed.
  SetSceneRasterizer(&RasterPng);

  std::vector<std::string> args(argv + 1, argv + argc);
  int engineJobs = 1;
  if (args.size() >= 2 && args[0] == "--jobs") {
    engineJobs = EngineJobsOption(args[1], std::cerr);
    if (engineJobs == 0) return 2;
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) {
    LeaveOwnConsole();
    return RunWindow(system, startUp, engineJobs);
  }
  const bool window = args.size() == 3 && args[2] == "--window";
  if ((args.size() != 2 && !window) || args[0] != "--script") return Usage();
  // Line by line: whatever the runner has printed is out when the program is ended.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  return RunOverScriptFile(args[1], std::cerr, [&](std::istream& script) {
    return window ? RunWindowScript(script, std::cout, system, startUp, engineJobs)
                  : RunScript(script, std::cout, system, startUp, engineJobs);
  });
}
