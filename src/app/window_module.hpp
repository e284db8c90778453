#pragma once
// The Qt window as a module the program loads only when it needs it: the window, a script run
// against the window, or a PNG picture. A headless script run (`varnel --script FILE`) then
// starts without binding Qt's libraries. The module takes everything of the core from the
// program that loads it (the program exports it), so both share one state.
#include <iosfwd>
#include <string>

#include "picture/scene.hpp"
#include "platform/scripted/runner.hpp"
#include "platform/system.hpp"

namespace varnel {

struct WindowModule {
  int (*runWindow)(int argc, char** argv, System& system, const StartUp& startUp, int engineJobs);
  int (*runWindowScript)(std::istream& script, std::ostream& out, int argc, char** argv, System& system,
                         const StartUp& startUp, int engineJobs, bool printInfo);
  std::string (*rasterPng)(const Scene& scene);
};

}  // namespace varnel

// The module's one exported entry, looked up by this name.
#define VARNEL_WINDOW_MODULE_ENTRY "VarnelWindowModule"
extern "C" const varnel::WindowModule* VarnelWindowModule();
