// The headless script reader on any script, on a fresh window each time. Of the `run` lines
// only the commands that work on parameters, panes and the clipboard are started (their dialogs
// take the script's answers, so they parse whatever a script types); every other one is only
// checked against the dispatcher's names, and `picture` lines write no file (a picture's path
// may lie anywhere on the machine). The system's roots lie in a private empty folder. So
// nothing a script says can touch a file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include "common.hpp"
#include "mainwindow/VarnelU.hpp"
#include "platform/scripted/runner.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/scripted/scripted_ui.hpp"

using namespace varnel;

namespace {

PosixRoots roots;

bool WorksOnParametersOnly(const std::string& handler) {
  static const std::set<std::string> handlers = {"Reset",
                                                 "MIQuitClick",
                                                 "MIResetWindowPositionClick",
                                                 "MIWindowCenterClick",
                                                 "AboutMIClick",
                                                 "MISplitModeClick",
                                                 "MICopytoClipboardClick",
                                                 "EditPointDblClick",
                                                 "EditPointADblClick",
                                                 "EditNormalizePowerDblClick",
                                                 "EditPoint",
                                                 "EditPointA",
                                                 "EditNormalizePower",
                                                 "Point1Click",
                                                 "Point2Click",
                                                 "Ponit3Click",
                                                 "Point4Click",
                                                 "MIChangemaxHeightClick",
                                                 "MIChangeAnalysingSegmentClick",
                                                 "MIChangeAnalysingResistanceClick",
                                                 "MIEditrCircleClick",
                                                 "MIEditrCylinderClick",
                                                 "MIShowsomeParametersClick"};
  return handlers.count(handler) > 0 || handler.rfind("MICopyColomn", 0) == 0;
}

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
  PosixSystem system(roots);
  ScriptedUi ui(out, system);
  TForm1 form({system, ui});
  const int status = RunScriptOn(ui, form, script, out, WorksOnParametersOnly);
  if (status != 0 && status != 2) Finding("exit status " + std::to_string(status) + ": " + out.str());
  return 0;
}
