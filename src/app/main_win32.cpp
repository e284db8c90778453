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
#include <optional>
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
               "  --jobs N    Batch Conversion keeps N engine runs going at once (1 to the processor count; "
               "as many as processors by default)\n"
               "  --progress  with --script: print the Info pane's lines as the commands write them\n"
               "  The options may stand in any order.\n";
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

  const std::optional<CommandLine> line =
      ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cerr);
  if (!line || line->screenshot) return Usage();
  const int engineJobs = line->engineJobs;
  if (!line->script) {
    LeaveOwnConsole();
    return RunWindow(system, startUp, engineJobs);
  }
  const bool window = line->window;
  // Line by line: whatever the runner has printed is out when the program is ended.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  return RunOverScriptFile(*line->script, std::cerr, [&](std::istream& script) {
    return window ? RunWindowScript(script, std::cout, system, startUp, engineJobs, line->progress)
                  : RunScript(script, std::cout, system, startUp, engineJobs, line->progress);
  });
}
