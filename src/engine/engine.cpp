// Engine runs: the choice of the engine executable, single and batch conversion of decks into
// output files, and the two file-manager commands.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "decks/folders.hpp"
#include "engine/conversion.hpp"
#include "mainwindow/VarnelU.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/numbers.hpp"
#include "util/tree.hpp"

namespace varnel {

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

// The Info pane's note on an engine that Quit or the window's closing ended.
std::string EngineEndedLine(const std::string& engine) {
  return "The running engine " + engine + " was ended: the program is closing.";
}

// One engine run of a batch: its process and the Info pane line it completes.
struct EngineRun {
  ProcessHandle handle;
  std::size_t line;
  std::string outputName;
};

// Converts the decks with up to jobs engine processes at once (1: each run ends before the next
// starts). Each deck's "Converting: " line is written, in list order, when its run starts, and
// completed when that run has ended; a start that fails is shown and its line completed at once.
// While runs are going the window processes its events every 50 ms.
void ConvertDecks(TForm1& form, const std::string& engine, const TextList& decks, const std::string& outputFolder,
                   int jobs) {
  System& system = form.platform.system;
  std::vector<EngineRun> running;
  auto complete = [&form](const EngineRun& run) {
    AppendToLine(form.Mout, run.line, "  --> " + run.outputName + " ......done.");
  };
  // Whatever way the loop ends (the window closing ends it inside ProcessPendingEvents), no
  // handle stays open.
  struct CloseAll {
    System& system;
    std::vector<EngineRun>& running;
    ~CloseAll() {
      for (const EngineRun& run : running) system.CloseProcess(run.handle);
    }
  } closeAll{system, running};
  auto reapEnded = [&]() {
    for (auto it = running.begin(); it != running.end();) {
      if (!system.ProcessEnded(it->handle)) {
        ++it;
        continue;
      }
      system.CloseProcess(it->handle);
      complete(*it);
      it = running.erase(it);
    }
  };
  auto waitUntilBelow = [&](std::size_t limit) {
    reapEnded();
    while (running.size() > limit) {
      form.platform.ui.Pause(50);
      try {
        form.ProcessPendingEvents();
      } catch (const CommandAborted&) {
        // The program is closing: the engines, and whatever they started, end with the command
        // instead of running on without anyone waiting for their results.
        for (const EngineRun& run : running) {
          system.EndProcess(run.handle);
          AddLine(form.Mout, EngineEndedLine(engine));
        }
        throw;
      }
      reapEnded();
    }
  };

  for (std::size_t i = 0; i < decks.size(); ++i) {
    const std::string& name = decks[i];
    waitUntilBelow(static_cast<std::size_t>(jobs) - 1);
    form.FileProgress(i, decks.size());
    AddLine(form.Mout, "Converting: " + name);
    EngineRun run{{}, form.Mout.lines.size() - 1, OutputFileName(name)};
    std::string error;
    run.handle = system.StartProcess(engine, name + " " + outputFolder + run.outputName, error);
    if (run.handle) {
      running.push_back(run);
    } else {
      if (!error.empty()) ShowInfo(form.platform.ui, error);
      complete(run);
    }
  }
  waitUntilBelow(0);
}

}  // namespace

void TForm1::MI_NEC1500Click() { ChooseEngine(*this, 0); }
void TForm1::MI_NEC5000Click() { ChooseEngine(*this, 1); }
void TForm1::MI_NEC11000Click() { ChooseEngine(*this, 2); }

void TForm1::SingleConversion1Click() {
  Reset();
  const FileDialogSpec spec{.initialFolder = kDeckFolder, .filter = "All(*.*)|*.*|nec (*.nec)|*.nec", .filterIndex = 2};
  std::optional<std::string> chosen = platform.ui.OpenFileDialog(spec);
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
  ProcessHandle handle = platform.system.StartProcess(engine, input + " " + output, error);
  if (handle) {
    platform.system.CloseProcess(handle);
  } else if (!error.empty()) {
    ShowInfo(platform.ui, error);
  }
  AddLine(Mout, "--------- Single Conversion Job Done ---------");
}

void TForm1::BatchConversion1Click() {
  Reset();
  std::optional<std::string> chosen = platform.ui.ChooseFolder(kDeckFolder);
  if (!chosen) return;
  params.BatchFolder = *chosen;
  const std::string lastFolder = LastFolder(params.BatchFolder);
  const std::string engine = params.EngineName;

  ClearPane(Mout);
  AddLine(Mout, "--------------- Batch Conversion ----------------");
  AddLine(Mout, "EngineName.....: " + engine);
  AddLine(Mout, "Batch Folder selected: " + params.BatchFolder);
  AddLine(Mout, "Last Folder: " + lastFolder);

  TextList skipped;
  ListFiles(platform.system, "*.nec", params.BatchFiles, &skipped);
  if (!skipped.empty()) AddLine(Mout, SkippedNamesLine(skipped));
  const std::string outputFolder = kOutputRoot + lastFolder + "\\";

  // A drive root ("C:\", or a bare "C:") has no last folder of its own: the output folder would
  // be the output root itself (or no folder at all), and recreating it would delete every
  // earlier result.
  const bool driveRoot = lastFolder.empty() || (lastFolder.size() == 2 && lastFolder[1] == ':');
  if (driveRoot) {
    ShowWarning(platform.ui, "The batch folder " + params.BatchFolder +
                                 " is a drive root: its output folder would be " + kOutputRoot +
                                 " itself. Abort command!");
    return;
  }
  // A deck folder directly under the output root is its own output folder: recreating that
  // would delete the decks before the engine has seen them.
  if (platform.system.FolderWithin(outputFolder, params.BatchFolder) ||
      platform.system.FolderWithin(params.BatchFolder, outputFolder)) {
    ShowWarning(platform.ui, "The output folder " + outputFolder + " would delete the decks of " +
                                 params.BatchFolder + ". Abort command!");
    return;
  }
  if (!RecreateTargetFolder(*this, outputFolder, RecreateOptions::BatchConversion())) return;

  // The list is taken once: the loop works through the decks listed now.
  const TextList decks = params.BatchFiles;
  ConvertDecks(*this, engine, decks, outputFolder, std::max(1, params.EngineJobs));
  AddLine(Mout, "--------- Batch Conversion Job Done ---------");
}

void TForm1::MIParallelRunsClick() {
  const int most = MostParallelRuns();
  const NumberQuestion question{.prompt = FormatInt("How many engine runs at once (1 to %d)?", most),
                                .prefill = FormatInt("%d", params.EngineJobs),
                                .cancelQuiet = true};
  const auto jobs = AskInteger(platform.ui, question);
  if (!jobs) return;
  if (*jobs < 1 || *jobs > most) {
    ShowWarning(platform.ui, question.warning);
    return;
  }
  params.EngineJobs = *jobs;
}

int MostParallelRuns() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

void TForm1::Showbin1Click() { platform.ui.OpenDocument(kDeckFolder); }
void TForm1::Showbout1Click() { platform.ui.OpenDocument(kOutputFolder); }

}  // namespace varnel
