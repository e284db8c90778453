// Engine runs: the choice of the engine executable, single and batch conversion of decks into
// output files, and the two file-manager commands.
#include <cstddef>
#include <optional>
#include <string>

#include "decks/folders.hpp"
#include "engine/conversion.hpp"
#include "mainwindow/VarnelU.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/messages.hpp"

std::string OutputFileName(const std::string& deckPath) {
  std::size_t cut = deckPath.find_last_of("\\/:");
  std::string name = cut == std::string::npos ? deckPath : deckPath.substr(cut + 1);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name + ".out";
}

std::string LastFolder(const std::string& path) {
  std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

namespace {

void ChooseEngine(TForm1& form, std::size_t chosen) {
  for (std::size_t i = 0; i < kEngines.size(); ++i) {
    if (MenuItem* item = form.FindMenuItem(kEngines[i].menuItem)) item->checked = i == chosen;
  }
  form.params.EngineName = kEngines[chosen].executable;
}

// Releases a started process's handle on every way out of the wait, also when the window's
// closing ends the command inside ProcessPendingEvents.
class ProcessGuard {
 public:
  ProcessGuard(Platform& platform, ProcessHandle handle) : platform_(platform), handle_(handle) {}
  ~ProcessGuard() {
    if (handle_) platform_.CloseProcess(handle_);
  }
  ProcessGuard(const ProcessGuard&) = delete;
  ProcessGuard& operator=(const ProcessGuard&) = delete;

 private:
  Platform& platform_;
  ProcessHandle handle_;
};

}  // namespace

void TForm1::MI_NEC1500Click() { ChooseEngine(*this, 0); }
void TForm1::MI_NEC5000Click() { ChooseEngine(*this, 1); }
void TForm1::MI_NEC11000Click() { ChooseEngine(*this, 2); }

void TForm1::SingleConversion1Click() {
  Reset();
  FileDialogSpec spec;
  spec.initialFolder = "c:\\4nec2\\b_in";
  spec.filter = "All(*.*)|*.*|nec (*.nec)|*.nec";
  spec.filterIndex = 2;
  std::optional<std::string> chosen = platform.OpenFileDialog(spec);
  if (!chosen) return;
  const std::string input = *chosen;
  const std::string output = kOutputRoot + OutputFileName(input);
  const std::string engine = params.EngineName;

  ClearPane(Mout);
  AddLine(Mout, "EngineName.....: " + engine);
  AddLine(Mout, "Single Conversion Mode");
  AddLine(Mout, "InputFileName..: " + input);
  AddLine(Mout, "OutputFileName.: " + output);

  // Not waited for. A start that fails is shown (the user would otherwise wait for an output
  // file that never comes); the job-done line follows in any case.
  std::string error;
  ProcessHandle handle = platform.StartProcess(engine, input + " " + output, error);
  if (handle) {
    platform.CloseProcess(handle);
  } else if (!error.empty()) {
    ShowInfo(platform, error);
  }
  AddLine(Mout, "--------- Single Conversion Job Done ---------");
}

void TForm1::BatchConversion1Click() {
  Reset();
  std::optional<std::string> chosen = platform.ChooseFolder("c:\\4nec2\\b_in");
  if (!chosen) return;
  params.BatchFolder = *chosen;
  const std::string lastFolder = LastFolder(params.BatchFolder);
  const std::string engine = params.EngineName;

  ClearPane(Mout);
  AddLine(Mout, "--------------- Batch Conversion ----------------");
  AddLine(Mout, "EngineName.....: " + engine);
  AddLine(Mout, "Batch Folder selected: " + params.BatchFolder);
  AddLine(Mout, "Last Folder: " + lastFolder);

  ListFiles(platform, "*.nec", params.BatchFiles);
  const std::string outputFolder = kOutputRoot + lastFolder + "\\";

  // A drive root ("C:\", or a bare "C:") has no last folder of its own: the output folder would
  // be the output root itself (or no folder at all), and recreating it would delete every
  // earlier result.
  const bool driveRoot = lastFolder.empty() || (lastFolder.size() == 2 && lastFolder[1] == ':');
  if (driveRoot) {
    ShowWarning(platform, "The batch folder " + params.BatchFolder + " is a drive root: its output folder would be " +
                              kOutputRoot + " itself. Abort command!");
    return;
  }
  if (!RecreateTargetFolder(*this, outputFolder, RecreateOptions::BatchConversion())) return;

  // The list is taken once: the loop works through the decks listed now.
  const TextList decks = params.BatchFiles;
  for (const std::string& name : decks) {
    AddLine(Mout, "Converting: " + name);
    const std::string outputName = OutputFileName(name);
    RunAndWait(engine, name + " " + outputFolder + outputName);
    AppendToLastLine(Mout, "  --> " + outputName + " ......done.");
  }
  AddLine(Mout, "--------- Batch Conversion Job Done ---------");
}

void TForm1::RunAndWait(const std::string& program, const std::string& parameters) {
  std::string error;
  ProcessHandle handle = platform.StartProcess(program, parameters, error);
  if (!handle) {
    // No handle and no error: the start was handed on and there is nothing to wait for.
    if (!error.empty()) ShowInfo(platform, error);
    return;
  }
  ProcessGuard guard(platform, handle);
  try {
    while (!platform.ProcessEnded(handle)) {
      platform.Pause(50);
      ProcessPendingEvents();
    }
  } catch (const CommandAborted&) {
    // Quit or the window's closing ends the command: the engine, and whatever it started,
    // ends with it instead of running on without anyone waiting for its result.
    platform.EndProcess(handle);
    AddLine(Mout, "The running engine " + program + " was ended: the program is closing.");
    throw;
  }
}

void TForm1::Showbin1Click() { platform.OpenDocument("c:\\4nec2\\b_in"); }
void TForm1::Showbout1Click() { platform.OpenDocument("c:\\4nec2\\b_out"); }
