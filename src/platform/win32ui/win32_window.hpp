#pragma once
// The native Windows window over the model: the program's window, and the command script of
// the headless runner against it (`varnel --script FILE --window`).
#include <iosfwd>

#include "platform/scripted/runner.hpp"
#include "platform/system.hpp"

namespace varnel {

// Opens the main window over the system (startUp runs before it is made) and runs its message
// loop until Quit or the window is closed. engineJobs: how many engine processes Batch
// Conversion keeps running at once (--jobs). Returns the application's exit status.
int RunWindow(System& system, const StartUp& startUp, int engineJobs = 1);
// The script against the real window: boxes and dialogs are answered from the script's queues,
// clicks go to the window's controls and every print reads what the controls show. Same
// directives and exit statuses as headless. printInfo: --progress.
int RunWindowScript(std::istream& script, std::ostream& out, System& system, const StartUp& startUp,
                    int engineJobs = 1, bool printInfo = false);

}  // namespace varnel
