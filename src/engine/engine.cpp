// Engine runs: the choice of the engine executable, single and batch conversion of decks into
// output files, and the two file-manager commands.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "decks/folders.hpp"
#include "engine/conversion.hpp"
#include "mainwindow/VarnelU.hpp"
#include "necout/print.hpp"
#include "necout/whole.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/numbers.hpp"
#include "util/tree.hpp"
#include "util/workers.hpp"

namespace varnel {

std::string OutputFileName(const std::string& deckPath) {
  std::size_t cut = deckPath.find_last_of("\\/:");
  std::string name = cut == std::string::npos ? deckPath : deckPath.substr(cut + 1);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name + ".out";
}

namespace {

// An output up to this size is read whole; of a larger one only what the rule needs.
constexpr std::uint64_t kWholeReadBytes = 256 << 10;

// The outline of a large output read in two parts: the print up to the first row of its
// near-field table, then the table's last row and everything behind it, appended to the first
// part in the same buffer. The rows between are not read: where the first row is one stride
// long, the table's end must lie exactly the rows its card asks for behind it, with a row of that
// stride there and no row after it; the print must hold that one table. The head is read in
// growing parts and each line is walked once (OutlineWalk), up to the table's heading, then on
// over the joined text with the rows left out counted from their stride. Nothing when the print
// is not of that shape (the caller then reads it whole), so the outline is always that of the
// whole print.
std::optional<PrintOutline> OutlineOfParts(System::FileParts& file) {
  constexpr std::size_t kFirstPart = 64 << 10, kLargestHead = 8 << 20, kLargestTail = 1 << 20;
  const std::uint64_t size = file.Size();
  std::string text = file.Read(0, kFirstPart);
  // Read more until the head shows which engine printed it, then walk it.
  const PrintLayout* layout = RecognizeLayout(text);
  const auto readMore = [&] {
    if (text.size() >= size || text.size() >= kLargestHead) return false;
    text += file.Read(text.size(), text.size());
    return true;
  };
  while (layout == nullptr) {
    if (!readMore()) return std::nullopt;
    layout = RecognizeLayout(text);
  }
  std::size_t recognized = text.size();  // the bytes the layout was recognised in
  OutlineWalk walk(layout, text);
  OutlineWalk::TableAhead table;
  std::size_t firstRow = OutputPrint::npos, stride = 0;
  for (;;) {
    // Only whole lines are walked: the last line read may go on in the part not yet read.
    const std::size_t lines = text.size() >= size ? text.size() : text.rfind('\n') + 1;
    if (table.heading == OutputPrint::npos) table = walk.WalkToNearField(lines);
    if (table.heading != OutputPrint::npos) {
      // The head may show another layout once it holds the first run: the walk starts again.
      const PrintLayout* const shown = text.size() == recognized ? layout : RecognizeLayout(text);
      recognized = text.size();
      if (shown != layout) {
        if (shown == nullptr) return std::nullopt;
        layout = shown;
        walk = OutlineWalk(layout, text);
        table = {};
        continue;
      }
      firstRow = FirstRowBelow(text, table.heading, layout->nearField.titleMark);
      const std::size_t end = firstRow == OutputPrint::npos ? firstRow : text.find('\n', firstRow);
      if (end != std::string::npos) {
        stride = end + 1 - firstRow;
        break;
      }
    }
    if (!readMore()) return std::nullopt;
    walk.Over(text);
  }
  if (!table.asked || *table.asked < 3) return std::nullopt;
  const std::uint64_t lastRow = firstRow + static_cast<std::uint64_t>(*table.asked - 1) * stride;
  if (lastRow + stride > size || size - lastRow > kLargestTail) return std::nullopt;
  text.resize(firstRow + stride);
  text += file.Read(lastRow, static_cast<std::size_t>(size - lastRow));
  // A byte 26, a lone CR or line ends of both kinds would make the whole read another text:
  // such a print is read whole. So is one whose head alone showed another engine's layout.
  if (text.find('\n', firstRow + stride) != firstRow + 2 * stride - 1 || !TakeTextAsItStands(text))
    return std::nullopt;
  if (RecognizeLayout(text) != layout) return std::nullopt;
  walk.Over(text);
  walk.LeaveOutRows(table.heading, *table.asked - 2);
  walk.WalkTo(OutputPrint::npos);
  PrintOutline outline = std::move(walk).Outline();
  if (outline.nearFieldTables != 1 || outline.shortTableLine != 0) return std::nullopt;
  return outline;
}

}  // namespace

OutputState OutputOfDeck(System& system, const std::string& deck, const std::string& output) {
  std::string deckText;
  std::optional<PrintOutline> outline;
  try {
    const std::unique_ptr<System::FileParts> file = system.OpenFileParts(output);
    if (file->Size() > kWholeReadBytes) outline = OutlineOfParts(*file);
    if (!outline) {
      const std::string text = TextOfFileBytes(file->Read(0, static_cast<std::size_t>(file->Size())));
      outline = OutlineOf(OutputPrint(text));
    }
  } catch (const InOutError&) {
    return OutputState::Missing;  // none, a folder, or unreadable
  }
  if (!outline->Whole()) return OutputState::NotWhole;
  if (deck.empty()) return OutputState::Whole;
  try {
    deckText = system.ReadFile(deck);
  } catch (const InOutError&) {
    return OutputState::OtherDeck;
  }
  return MadeFromDeck(*outline, deckText) ? OutputState::Whole : OutputState::OtherDeck;
}

std::vector<OutputState> OutputsOfDecks(System& system, const std::vector<DeckOutput>& pairs) {
  std::vector<OutputState> states(pairs.size());
  std::vector<std::function<void()>> jobs;
  jobs.reserve(pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i)
    jobs.push_back([&, i] { states[i] = OutputOfDeck(system, pairs[i].deck, pairs[i].output); });
  RunAtOnce(jobs);
  return states;
}

bool OutputComplete(System& system, const std::string& path) {
  return OutputOfDeck(system, "", path) == OutputState::Whole;
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

// The reason of an exit that is a failure: "exit status 1", "ended by signal 11"; "" otherwise.
// A Windows exception code (0xC0000005) is given in hexadecimal, as its documentation names it.
std::string ExitProblem(const ProcessExit& exit) {
  if (exit.how == ProcessExit::How::Signalled) return "ended by signal " + std::to_string(exit.code);
  if (!exit.Failed()) return "";
  if (exit.code == kEngineDiskFull) return kDiskFullProblem;
  if (exit.code >= 0xC0000000LL && exit.code <= 0xFFFFFFFFLL) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (int shift = 28; shift >= 0; shift -= 4) hex += kDigits[(exit.code >> shift) & 0xF];
    return "exit status 0x" + hex;
  }
  return "exit status " + std::to_string(exit.code);
}

// A run that failed on a disk with next to no room left failed for that, whatever the engine
// said.
constexpr std::uint64_t kNextToNoRoom = 1 << 20;

// How long a wait for an engine's end goes without the window processing its events.
constexpr int kEventsEveryMilliseconds = 20;

// One engine run of a batch: its process, its deck (the account's number of it) and when it
// started on the system's monotonic clock.
struct EngineRun {
  ProcessHandle handle;
  std::size_t deck;
  std::uint64_t startedMs;
};

// Starts the plan's engines, up to plan.jobs at once (1: each run ends before the next
// starts), in deck order, and tells the account of each start and end: a run's end is taken
// when its process ends, and judged by its exit and its output; a run longer than the time
// limit per deck is ended and fails with "time limit". While runs are going the window
// processes its events every 20 ms. A stop ends the running engines and Run returns false; the
// window's closing ends them and ends the command.
class ConversionRunner {
 public:
  ConversionRunner(TForm1& form, const ConversionPlan& plan, ConversionAccount& account)
      : form_(form), system_(form.platform.system), plan_(plan), account_(account) {}
  ConversionRunner(const ConversionRunner&) = delete;
  ConversionRunner& operator=(const ConversionRunner&) = delete;
  // Whatever way the runs end, no handle stays open.
  ~ConversionRunner() {
    for (const EngineRun& run : running_) system_.CloseProcess(run.handle);
  }

  bool Run() {
    const TextList& decks = plan_.decks;
    for (std::size_t i = 0; i < decks.size(); ++i) {
      if (!WaitUntilBelow(plan_.jobs - 1)) return false;
      // A full disk fails every further run the same way: the batch ends here, keeping every
      // whole output, and Resume goes on once there is room.
      if (account_.Result().diskFull) break;
      form_.FileProgress(i, decks.size());
      Start(i);
    }
    return WaitUntilBelow(0);
  }

 private:
  std::string OutputOf(std::size_t deck) const {
    return plan_.outputFolder + OutputFileName(plan_.decks[deck]);
  }
  OutputState StateOf(std::size_t deck) const {
    return OutputOfDeck(system_, plan_.deckFolder + plan_.decks[deck], OutputOf(deck));
  }

  void Start(std::size_t i) {
    const std::string& name = plan_.decks[i];
    const EngineRun run{{}, account_.Started(name), system_.MonotonicMilliseconds()};
    // A FIFO or a device listed under a deck's name would hang or fail the engine for a
    // reason it cannot name.
    if (!system_.FileExists(plan_.deckFolder + name)) {
      Finish(run, "not a regular file");
      return;
    }
    // The engine reads its bare deck name in the deck folder, its working folder.
    std::string error;
    const ProcessHandle handle =
        StartInFolder(system_, plan_.engine, name + " " + OutputOf(i), plan_.deckFolder, error);
    if (handle) {
      running_.push_back(run);
      running_.back().handle = handle;
    } else {
      if (!error.empty()) ShowInfo(form_.platform.ui, error);
      // A start that reported success without a process leaves nothing to wait for: its output
      // decides.
      Finish(run, error.empty() ? "" : "not started");
    }
  }

  // Compared in minutes as a real, so that no limit overflows the clock's count.
  bool OverTime(const EngineRun& run) const {
    const double ranMinutes = static_cast<double>(system_.MonotonicMilliseconds() - run.startedMs) / 60000.0;
    return plan_.limitMinutes > 0 && ranMinutes >= plan_.limitMinutes;
  }

  // An output is kept only when it is the whole output of its deck: anything else is removed,
  // so that no later Resume or analysis ever takes it for a finished result.
  void Finish(const EngineRun& run, std::string problem) {
    const std::string output = OutputOf(run.deck);
    const OutputState state = StateOf(run.deck);
    if (state != OutputState::Whole) {
      const bool present = system_.FileExists(output);
      if (present) system_.RemoveFile(output);
      if (problem.empty())
        problem = state == OutputState::OtherDeck ? "output of another deck"
                  : present                       ? "incomplete output"
                                                  : "no output";
    }
    if (!problem.empty() && problem != kDiskFullProblem &&
        system_.FreeBytes(plan_.outputFolder) < kNextToNoRoom)
      problem = kDiskFullProblem;
    account_.Ended(run.deck, problem);
  }

  void ReapEnded() {
    for (auto it = running_.begin(); it != running_.end();) {
      if (!system_.ProcessEnded(it->handle)) {
        if (!OverTime(*it)) {
          ++it;
          continue;
        }
        // Over its time: the engine is ended; an output it completed meanwhile still counts.
        system_.EndProcess(it->handle);
        system_.CloseProcess(it->handle);
        Finish(*it, StateOf(it->deck) == OutputState::Whole ? "" : "time limit");
        it = running_.erase(it);
        continue;
      }
      const std::string problem = ExitProblem(system_.ProcessExitOf(it->handle));
      system_.CloseProcess(it->handle);
      Finish(*it, problem);
      it = running_.erase(it);
    }
  }

  // The running engines are ended (their handles are released by the destructor); what each
  // wrote stays only when it is whole.
  void EndRunning(bool closing) {
    ReapEnded();  // a run that has ended by itself counts as it ended
    for (const EngineRun& run : running_) {
      system_.EndProcess(run.handle);
      if (StateOf(run.deck) != OutputState::Whole) system_.RemoveFile(OutputOf(run.deck));
      account_.Stopped(run.deck, closing);
    }
  }

  // False when the user stopped the batch.
  bool ProcessEvents() {
    try {
      form_.ProcessPendingEvents();
    } catch (const CommandAborted&) {
      // The program is closing: the engines, and whatever they started, end with the command
      // instead of running on without anyone waiting for their results.
      EndRunning(true);
      throw;
    } catch (const CommandStopped&) {
      EndRunning(false);
      return false;
    }
    return true;
  }

  // The wait wakes when an engine ends, so the next deck starts at once; meanwhile the window
  // processes its events every kEventsEveryMilliseconds.
  bool WaitUntilBelow(std::size_t limit) {
    ReapEnded();
    while (running_.size() > limit) {
      handles_.clear();
      for (const EngineRun& run : running_) handles_.push_back(run.handle);
      if (!system_.WaitForAnyProcess(handles_, kEventsEveryMilliseconds))
        form_.platform.ui.Pause(kEventsEveryMilliseconds);
      if (!ProcessEvents()) return false;
      ReapEnded();
    }
    return true;
  }

  TForm1& form_;
  System& system_;
  const ConversionPlan& plan_;
  ConversionAccount& account_;
  std::vector<EngineRun> running_;
  std::vector<ProcessHandle> handles_;
};

// The plan's decks converted, told in the Info pane.
Conversion ConvertDecks(TForm1& form, const ConversionPlan& plan) {
  ConversionAccount account(form.Mout, plan.engine);
  ConversionRunner runner(form, plan, account);
  const bool ran = runner.Run();
  Conversion result = account.Result();
  result.stopped = !ran || result.diskFull;
  return result;
}

// The closing lines of a batch conversion with the status bar's note of the failures.
void EndBatchConversion(TForm1& form, const std::string& caption, const Conversion& conversion,
                        std::size_t decks, const std::string& beforeEnd = "") {
  // The status bar's count of files reads like success: it says the failures too.
  if (!conversion.failed.empty())
    form.NoteForStatus(std::to_string(conversion.failed.size()) + " of " + std::to_string(decks) +
                       " decks failed");
  for (const std::string& line : ClosingLines(caption, conversion, decks, beforeEnd))
    AddLine(form.Mout, line);
}

// The plan of Batch Conversion and Resume over the decks of the chosen folder.
ConversionPlan PlanConversion(const TForm1& form, const std::string& outputFolder, TextList decks) {
  return {.engine = form.params.EngineName,
          .deckFolder = IncludeBackslash(form.params.BatchFolder),
          .outputFolder = outputFolder,
          .decks = std::move(decks),
          .jobs = static_cast<std::size_t>(std::max(1, form.params.EngineJobs)),
          .limitMinutes = form.params.EngineTimeLimitMinutes};
}

}  // namespace

std::size_t ConversionAccount::Started(const std::string& deck) {
  AddLine(info_, "Converting: " + deck);
  decks_.push_back({info_.lines.size() - 1, deck});
  return decks_.size() - 1;
}

void ConversionAccount::Ended(std::size_t deck, const std::string& problem) {
  if (problem == kDiskFullProblem) result_.diskFull = true;
  if (problem.empty()) {
    ++result_.converted;
    Complete(deck, "done");
  } else {
    result_.failed.push_back(decks_[deck].name);
    Complete(deck, "failed (" + problem + ")");
  }
}

void ConversionAccount::Stopped(std::size_t deck, bool closing) {
  Complete(deck, "stopped");
  if (closing) AddLine(info_, EngineEndedLine(engine_));
}

// The deck's own "Converting: " line is searched outward from where it was written, so that an
// edit of the Info pane meanwhile (lines added or removed above it) neither loses its suffix nor
// puts it on another deck's line; when the line is gone, it is written anew with the suffix.
void ConversionAccount::Complete(std::size_t deck, const std::string& outcome) {
  const DeckEntry& entry = decks_[deck];
  const std::string text = "Converting: " + entry.name;
  const std::string suffix = "  --> " + OutputFileName(entry.name) + " ......" + outcome + ".";
  const auto& lines = info_.lines;
  const std::size_t count = lines.size(), at = entry.line;
  for (std::size_t distance = 0; distance <= at || at + distance < count; ++distance) {
    std::size_t line = std::string::npos;
    if (at + distance < count && lines[at + distance] == text) {
      line = at + distance;
    } else if (distance > 0 && distance <= at && at - distance < count && lines[at - distance] == text) {
      line = at - distance;
    }
    if (line != std::string::npos) {
      AppendToLine(info_, line, suffix);
      return;
    }
  }
  AddLine(info_, text + suffix);
}

TextList ClosingLines(const std::string& caption, const Conversion& conversion, std::size_t decks,
                      const std::string& beforeEnd) {
  TextList lines;
  if (!conversion.failed.empty()) {
    // The first ten names, then ", ...".
    std::string line =
        std::to_string(conversion.failed.size()) + " of " + std::to_string(decks) + " decks failed: ";
    constexpr std::size_t kNamed = 10;
    for (std::size_t i = 0; i < conversion.failed.size() && i < kNamed; ++i)
      line += (i ? ", " : "") + conversion.failed[i];
    if (conversion.failed.size() > kNamed) line += ", ...";
    lines.push_back(line);
  }
  if (!beforeEnd.empty()) lines.push_back(beforeEnd);
  if (conversion.diskFull)
    lines.push_back(
        "The disk is full: the batch stopped there. Resume Batch Conversion converts the rest once there is "
        "room.");
  if (conversion.stopped) {
    lines.push_back("--------- " + caption + " stopped: " + std::to_string(conversion.converted) + " of " +
                    std::to_string(decks) + " converted ---------");
  } else {
    lines.push_back("--------- " + caption + " Job Done ---------");
  }
  return lines;
}

namespace {

// The common start of Batch Conversion and Resume: the folder chooser, then (only once it has
// an answer) the reset, the header lines, the deck list and the refusals of a folder whose
// output folder would be unsafe. The output folder, or "" when the command ends here.
std::string BeginBatchConversion(TForm1& form, const std::string& caption) {
  std::optional<std::string> chosen = form.platform.ui.ChooseFolder(kDeckFolder);
  if (!chosen) return "";
  return StartBatchConversion(form, caption, *chosen, form.params.EngineName);
}

}  // namespace

std::string StartBatchConversion(TForm1& form, const std::string& caption, const std::string& chosen,
                                 const std::string& engine) {
  form.Reset();
  WorkingParameters& params = form.params;
  UserInterface& ui = form.platform.ui;
  params.BatchFolder = chosen;
  const std::string lastFolder = LastFolder(params.BatchFolder);

  ClearPane(form.Mout);
  AddLine(form.Mout, "--------------- " + caption + " ----------------");
  AddLine(form.Mout, "EngineName.....: " + engine);
  AddLine(form.Mout, "Batch Folder selected: " + params.BatchFolder);
  AddLine(form.Mout, "Last Folder: " + lastFolder);

  TextList skipped;
  ListFiles(form.platform.system, IncludeBackslash(chosen) + "*.nec", params.BatchFiles, &skipped);
  if (!skipped.empty()) AddLine(form.Mout, SkippedNamesLine(skipped));
  const std::string outputFolder = kOutputRoot + lastFolder + "\\";

  // A drive root ("C:\", or a bare "C:") has no last folder of its own: the output folder would
  // be the output root itself (or no folder at all), and recreating it would delete every
  // earlier result.
  const bool driveRoot = lastFolder.empty() || (lastFolder.size() == 2 && lastFolder[1] == ':');
  if (driveRoot) {
    ShowWarning(ui, "The batch folder " + params.BatchFolder +
                        " is a drive root: its output folder would be " + kOutputRoot +
                        " itself. Abort command!");
    return "";
  }
  // A deck folder directly under the output root is its own output folder: recreating that
  // would delete the decks before the engine has seen them.
  if (form.platform.system.FolderWithin(outputFolder, params.BatchFolder) ||
      form.platform.system.FolderWithin(params.BatchFolder, outputFolder)) {
    ShowWarning(ui, "The output folder " + outputFolder + " would delete the decks of " + params.BatchFolder +
                        ". Abort command!");
    return "";
  }
  return outputFolder;
}

namespace {

// The question before Batch Conversion deletes earlier results: what the output folder holds,
// its sub-folders and their files counted too ("holds 150 output files and 1 folder with 3
// files"); "" when it holds nothing.
std::string DeleteResultsQuestion(System& system, const std::string& outputFolder) {
  const FolderContent content = CountContent(system, outputFolder);
  if (content.files == 0 && content.folders == 0) return "";
  auto count = [](std::size_t n, const std::string& what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  std::string holds = count(content.files, "output file");
  if (content.folders > 0)
    holds += " and " + count(content.folders, "folder") + " with " + count(content.filesInFolders, "file");
  return outputFolder + " holds " + holds +
         ". Delete them and convert every deck anew? (No keeps them; Resume Batch Conversion converts only "
         "the missing ones.)";
}

}  // namespace

TextList DecksWithoutCompleteOutput(TForm1& form, const TextList& listed, const std::string& deckFolder,
                                    const std::string& outputFolder, bool removeIncomplete,
                                    std::size_t& kept) {
  System& system = form.platform.system;
  TextList decks;
  kept = 0;
  // Decided 50 at a time on the cores; between them the window processes its events.
  constexpr std::size_t kChunk = 50;
  std::vector<DeckOutput> pairs;
  std::vector<OutputState> states;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (i % kChunk == 0) {
      if (i > 0) form.ProcessPendingEvents();
      pairs.clear();
      for (std::size_t j = i; j < std::min(listed.size(), i + kChunk); ++j)
        pairs.push_back({deckFolder + listed[j], outputFolder + OutputFileName(listed[j])});
      states = OutputsOfDecks(system, pairs);
    }
    const OutputState state = states[i % kChunk];
    if (state == OutputState::Whole) {
      ++kept;
      continue;
    }
    const std::string& output = pairs[i % kChunk].output;
    if (state == OutputState::OtherDeck)
      AddLine(form.Mout, output.substr(outputFolder.size()) + " was made from another deck: converted again");
    if (removeIncomplete && system.FileExists(output)) system.RemoveFile(output);
    decks.push_back(listed[i]);
  }
  return decks;
}

bool MayConvertInto(TForm1& form, const std::string& outputFolder, std::optional<ConversionLocks>& locks) {
  locks.emplace(form, outputFolder);
  if (!locks->Held()) return false;
  if (const std::string working = ClusterJobStillWorking(form, outputFolder); !working.empty()) {
    ShowWarning(form.platform.ui, working);
    return false;
  }
  return true;
}

ConversionLocks::ConversionLocks(TForm1& form, const std::string& outputFolder)
    : output_(form.platform, outputFolder) {
  if (output_.Held()) decks_.emplace(form.platform, IncludeBackslash(form.params.BatchFolder));
}

void TForm1::MI_NEC1500Click() { ChooseEngine(*this, 0); }
void TForm1::MI_NEC5000Click() { ChooseEngine(*this, 1); }
void TForm1::MI_NEC11000Click() { ChooseEngine(*this, 2); }

void TForm1::SingleConversion1Click() {
  const FileDialogSpec spec{
      .initialFolder = kDeckFolder, .filter = "All(*.*)|*.*|nec (*.nec)|*.nec", .filterIndex = 2};
  std::optional<std::string> chosen = platform.ui.OpenFileDialog(spec);
  if (!chosen) return;
  Reset();
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
  ProcessHandle handle = platform.system.StartIndependentProcess(engine, input + " " + output, error);
  if (handle) {
    platform.system.CloseProcess(handle);
  } else if (!error.empty()) {
    ShowInfo(platform.ui, error);
  }
  AddLine(Mout, "--------- Single Conversion Job Done ---------");
}

void TForm1::BatchConversion1Click() {
  const std::string caption = "Batch Conversion";
  const std::string outputFolder = BeginBatchConversion(*this, caption);
  if (outputFolder.empty()) return;
  std::optional<ConversionLocks> locks;
  if (!MayConvertInto(*this, outputFolder, locks)) return;
  RecreateOptions options = RecreateOptions::BatchConversion();
  options.deleteQuestion = DeleteResultsQuestion(platform.system, outputFolder);
  if (!RecreateTargetFolder(*this, outputFolder, options)) return;

  // The list is taken once: the loop works through the decks listed now.
  const ConversionPlan plan = PlanConversion(*this, outputFolder, params.BatchFiles);
  EndBatchConversion(*this, caption, ConvertDecks(*this, plan), plan.decks.size());
}

void TForm1::ResumeBatchConversion1Click() {
  const std::string caption = "Resume Batch Conversion";
  const std::string outputFolder = BeginBatchConversion(*this, caption);
  if (outputFolder.empty()) return;
  std::optional<ConversionLocks> locks;
  if (!MayConvertInto(*this, outputFolder, locks)) return;
  // Nothing is deleted: a missing output folder is created, an existing one kept as it is.
  if (!CreateTargetFolder(*this, outputFolder, RecreateOptions::BatchConversion())) return;

  // The decks whose output is missing or incomplete; an incomplete one is removed before its
  // deck is converted again.
  TextList decks;
  std::size_t kept = 0;
  try {
    decks = DecksWithoutCompleteOutput(*this, params.BatchFiles, IncludeBackslash(params.BatchFolder),
                                       outputFolder, true, kept);
  } catch (const CommandStopped&) {
    EndBatchConversion(*this, caption, Conversion{.stopped = true}, 0);
    return;
  }
  const ConversionPlan plan = PlanConversion(*this, outputFolder, std::move(decks));
  EndBatchConversion(*this, caption, ConvertDecks(*this, plan), plan.decks.size(),
                     "Kept " + std::to_string(kept) + " complete outputs.");
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

void TForm1::MITimeLimitClick() {
  const NumberQuestion question{.prompt = "Time limit per deck run in minutes (0: none)?",
                                .prefill = FormatReal("%g", params.EngineTimeLimitMinutes),
                                .cancelQuiet = true};
  const auto minutes = AskReal(platform.ui, question);
  if (!minutes) return;
  // The longest limit taken, about 292 years (what a clock of nanoseconds in 64 bits counts).
  constexpr double kMostMinutes = 153722867;
  if (!(*minutes >= 0) || !(*minutes <= kMostMinutes)) {
    ShowWarning(platform.ui, question.warning);
    return;
  }
  params.EngineTimeLimitMinutes = *minutes;
}

int MostParallelRuns() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

void TForm1::Showbin1Click() { OpenWithAssociatedProgram(platform, kDeckFolder); }
void TForm1::Showbout1Click() { OpenWithAssociatedProgram(platform, kOutputFolder); }

}  // namespace varnel
