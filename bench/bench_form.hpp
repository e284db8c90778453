#pragma once
// The main window's model as the benchmarks run its commands: over the scripted interface,
// whose lines go to a string, and the POSIX system on a tree of the benchmark's own.
#include <sstream>

#include "mainwindow/VarnelU.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/scripted/scripted_ui.hpp"

namespace varnel {

struct BenchForm {
  explicit BenchForm(const PosixRoots& roots) : system(roots), ui(out, system), form({system, ui}) {}
  std::ostringstream out;
  PosixSystem system;
  ScriptedUi ui;
  TForm1 form;
};

}  // namespace varnel
