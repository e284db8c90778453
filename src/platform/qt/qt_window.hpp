#pragma once
// The real window (Qt 6 Widgets): builds the main window from TForm1's model and runs the
// event loop until Quit or the window is closed, over the system; startUp runs before the main
// window is made. Returns the application's exit status.
#include <iosfwd>

#include "platform/scripted/runner.hpp"
#include "platform/system.hpp"

namespace varnel {

// engineJobs: how many engine processes Batch Conversion keeps running at once (--jobs).
int RunWindow(int argc, char** argv, System& system, const StartUp& startUp, int engineJobs = 1);
// The command script of the headless runner against the real window (offscreen when there is
// no display): same directives and exit statuses; prints read the widgets. printInfo: --progress.
int RunWindowScript(std::istream& script, std::ostream& out, int argc, char** argv, System& system,
                    const StartUp& startUp, int engineJobs = 1, bool printInfo = false);

}  // namespace varnel
