// The headless script reader on any script. `run` lines are only checked against the
// dispatcher's names, never started, and the platform's roots lie in a private empty folder, so
// nothing a script says can touch a file. Every other directive runs on a fresh window.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "common.hpp"
#include "mainwindow/VarnelU.hpp"
#include "platform/scripted/runner.hpp"
#include "platform/scripted/scripted_platform.hpp"

namespace {

PosixRoots roots;
std::string folderMade;

void RemoveFolder() { rmdir(folderMade.c_str()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/varnel-fuzz-XXXXXX";
  if (!mkdtemp(folder)) Finding("no temporary folder");
  folderMade = folder;
  std::atexit(RemoveFolder);
  roots = PosixRoots{std::string(folder) + "/drive_c", std::string(folder) + "/home"};
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Separator scope(',');
  std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream out;
  ScriptedPlatform platform(out, roots);
  TForm1 form(platform);
  const int status = RunScriptOn(platform, form, script, out, ScriptCommands::CheckOnly);
  if (status != 0 && status != 2) Finding("exit status " + std::to_string(status) + ": " + out.str());
  return 0;
}
