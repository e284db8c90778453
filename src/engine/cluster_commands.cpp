// Cluster Conversion (the decks of a folder converted by a Slurm job array, waited for with
// event processing like Batch Conversion) and Export Cluster Job (the same job folder written
// with the decks for a cluster elsewhere, not submitted).
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "decks/folders.hpp"
#include "engine/cluster.hpp"
#include "engine/conversion.hpp"
#include "mainwindow/VarnelU.hpp"
#include "necout/print.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/messages.hpp"
#include "util/text.hpp"
#include "util/tree.hpp"

namespace varnel {

namespace {

const char* const kJobFolderName = "varnel-job";

// The native path of a program found on PATH ("" when none): the folders of PATH in the
// machine's own form, each looked at through the seam.
std::string ProgramOnPath(System& system, const std::string& program) {
  const std::string path = system.GetEnv("PATH");
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find(':', begin);
    if (end == std::string::npos) end = path.size();
    const std::string folder = path.substr(begin, end - begin);
    begin = end + 1;
    if (folder.empty() || folder[0] != '/') continue;
    const std::string native = folder + (folder.back() == '/' ? "" : "/") + program;
    if (system.FileExists(system.FromNativePath(native))) return native;
  }
  return "";
}

// Starts the program with its parameter text in folder and waits for its end, processing
// events; false when it could not be started.
bool RunInFolder(TForm1& form, const std::string& program, const std::string& parameters,
                 const std::string& folder) {
  System& system = form.platform.system;
  std::string error;
  const ProcessHandle handle =
      StartInFolder(system, system.FromNativePath(program), parameters, folder, error);
  if (!handle) return false;
  while (!system.ProcessEnded(handle)) form.platform.ui.Pause(50);
  system.CloseProcess(handle);
  return true;
}

std::string ReadOr(System& system, const std::string& path, const std::string& otherwise = "") {
  try {
    return system.FileExists(path) ? system.ReadFile(path) : otherwise;
  } catch (const InOutError&) {
    return otherwise;
  }
}

// The text without the blanks and control characters (line ends) around it.
std::string Trimmed(std::string text) {
  TrimSet(text, ControlAndBlank());
  return text;
}

void WriteJobFolder(System& system, const std::string& jobFolder, const ClusterJob& job) {
  CreateFolder(system, jobFolder);
  CreateFolder(system, jobFolder + "progress\\");
  // Reports of an earlier run of the job would count as this one's.
  for (const DirEntry& entry : system.ListEntries(jobFolder + "progress\\chunk-*.txt")) {
    if (!entry.isFolder) system.RemoveFile(jobFolder + "progress\\" + entry.name);
  }
  for (const JobFile& file : ClusterJobFiles(job)) system.WriteFile(jobFolder + file.name, file.text);
}

// The questions both commands ask: how many tasks at once, and the engine on the nodes.
struct JobAnswers {
  std::size_t atOnce = 64;
  std::string engine;
};
std::optional<JobAnswers> AskJobAnswers(UserInterface& ui, const std::string& caption,
                                        const std::string& defaultEngine) {
  const NumberQuestion question{.caption = caption,
                                .prompt = "How many tasks may run at once on the cluster?",
                                .prefill = "64",
                                .cancelQuiet = true};
  const std::optional<std::int32_t> atOnce = AskInteger(ui, question);
  if (!atOnce) return std::nullopt;
  if (*atOnce < 1 || *atOnce > 100000) {
    ShowWarning(ui, question.warning);
    return std::nullopt;
  }
  std::string engine = defaultEngine;
  if (!AskText(ui, caption, "The engine program on the nodes (started as: ENGINE DECK OUTPUT):", engine))
    return std::nullopt;
  engine = Trimmed(engine);
  if (engine.empty()) {
    ShowWarning(ui, "No engine program. Abort command!");
    return std::nullopt;
  }
  return JobAnswers{static_cast<std::size_t>(*atOnce), engine};
}

// What the tasks reported so far, by deck.
struct JobReports {
  std::map<std::string, ChunkLine> byDeck;
  std::size_t finishedChunks = 0;
};
JobReports ReadJobReports(System& system, const std::string& jobFolder, const ClusterJob& job,
                          std::vector<bool>& chunkSaid, TForm1& form) {
  JobReports reports;
  const std::size_t tasks = ClusterTaskCount(job);
  for (std::size_t t = 0; t < tasks; ++t) {
    const std::string text = ReadOr(system, jobFolder + "progress\\chunk-" + std::to_string(t) + ".txt");
    const std::vector<ChunkLine> lines = ReadChunkReport(text);
    std::size_t converted = 0, failed = 0;
    for (const ChunkLine& line : lines) {
      reports.byDeck[line.deck] = line;
      (line.state == "failed" ? failed : converted) += 1;
    }
    const std::size_t size = std::min(job.chunk, job.decks.size() - t * job.chunk);
    if (lines.size() >= size) {
      ++reports.finishedChunks;
      if (!chunkSaid[t]) {
        chunkSaid[t] = true;
        AddLine(form.Mout, "Task " + std::to_string(t + 1) + " of " + std::to_string(tasks) +
                               " finished: " + std::to_string(converted) + " converted, " +
                               std::to_string(failed) + " failed.");
      }
    }
  }
  return reports;
}

// Whether the job is still known to the queue as pending or running (also when squeue cannot
// be asked: nothing then says it has ended).
bool JobQueued(TForm1& form, const std::string& squeue, const std::string& id, const std::string& jobFolder) {
  System& system = form.platform.system;
  system.WriteFile(jobFolder + "poll.sh", "#!/bin/sh\n" + ShellQuoted(squeue.empty() ? "squeue" : squeue) +
                                              " -h -j " + id +
                                              " -o %T >squeue.out 2>&1\necho $? >squeue.status\n");
  system.RemoveFile(jobFolder + "squeue.status");
  if (!RunInFolder(form, "/bin/sh", "poll.sh", jobFolder)) return true;
  const std::string listed = Trimmed(ReadOr(system, jobFolder + "squeue.out"));
  const bool ok = Trimmed(ReadOr(system, jobFolder + "squeue.status")) == "0";
  // Gone from the queue, or forgotten by the controller already: the job has ended.
  return !((ok && listed.empty()) || listed.find("Invalid job id") != std::string::npos);
}

// The number sbatch gave the job of the folder ("" when there is none).
std::string SubmittedJob(System& system, const std::string& jobFolder) {
  std::string id = Trimmed(ReadOr(system, jobFolder + "submit.out"));
  id = id.substr(0, id.find(';'));
  return id.find_first_not_of("0123456789") == std::string::npos ? id : "";
}

void EndJob(TForm1& form, const std::string& scancel, const std::string& id, const std::string& jobFolder) {
  if (!scancel.empty() && RunInFolder(form, scancel, id, jobFolder))
    AddLine(form.Mout, "Cluster job " + id + " was ended with scancel.");
  else
    AddLine(form.Mout,
            "Cluster job " + id + " could not be ended: scancel " + id + " on the cluster ends it.");
}

}  // namespace

std::string ClusterJobStillWorking(TForm1& form, const std::string& outputFolder) {
  System& system = form.platform.system;
  const std::string jobFolder = outputFolder + kJobFolderName + "\\";
  const std::string id = SubmittedJob(system, jobFolder);
  if (id.empty()) return "";
  const std::string squeue = ProgramOnPath(system, "squeue");
  if (squeue.empty() || !JobQueued(form, squeue, id, jobFolder)) return "";
  return "Cluster job " + id + " is still working on " + outputFolder + ". Abort command!";
}

namespace {

// The job Cluster Conversion submits, planned from the answers: the decks of the list without a
// whole output in the output folder (kept counts the others), the job folder inside it.
struct ClusterPlan {
  ClusterJob job;
  std::string sbatch, options, deckFolder, outputFolder, jobFolder;  // deckFolder ends in '\'
  std::size_t listed = 0, kept = 0;
};

// The questions, then the reset, the locks and the output folder; nullopt when the command ends
// there.
std::optional<ClusterPlan> PlanClusterConversion(TForm1& form, std::optional<ConversionLocks>& locks) {
  System& system = form.platform.system;
  UserInterface& ui = form.platform.ui;
  ClusterPlan plan;
  plan.sbatch = ProgramOnPath(system, "sbatch");
  if (plan.sbatch.empty()) {
    ShowWarning(ui, "Cluster Conversion needs a Slurm cluster: sbatch was not found on PATH. Abort command!");
    return std::nullopt;
  }
  const std::optional<std::string> chosen = ui.ChooseFolder(kDeckFolder);
  if (!chosen) return std::nullopt;
  if (!AskText(ui, "Cluster Conversion",
               "Extra sbatch options (for example --partition=short --time=02:00:00). The decks and the "
               "outputs must lie on a file system every node shares:",
               plan.options))
    return std::nullopt;
  const std::string self = system.ExecutablePath();
  const std::string standIn = self.substr(0, self.find_last_of('\\') + 1) + "varnel_engine";
  const std::optional<JobAnswers> answers =
      AskJobAnswers(ui, "Cluster Conversion", system.ToNativePath(standIn));
  if (!answers) return std::nullopt;

  // Everything is answered: only now is the window reset.
  plan.outputFolder = StartBatchConversion(form, "Cluster Conversion", *chosen, answers->engine);
  if (plan.outputFolder.empty()) return std::nullopt;
  if (!MayConvertInto(form, plan.outputFolder, locks)) return std::nullopt;
  // An existing output folder is kept: its complete outputs are results, the rest is done anew.
  if (!CreateTargetFolder(form, plan.outputFolder, RecreateOptions::BatchConversion())) return std::nullopt;

  ClusterJob& job = plan.job;
  job.name = LastFolder(form.params.BatchFolder);
  job.deckFolder = system.ToNativePath(form.params.BatchFolder);
  job.outputFolder = system.ToNativePath(plan.outputFolder);
  job.engine = answers->engine;
  job.checker = system.ToNativePath(self);
  job.atOnce = answers->atOnce;
  const TextList listed = form.params.BatchFiles;  // events come in while the outputs are checked
  plan.listed = listed.size();
  // The tasks remove what is not complete after their run.
  plan.deckFolder = IncludeBackslash(form.params.BatchFolder);
  job.decks = DecksWithoutCompleteOutput(form, listed, plan.deckFolder, plan.outputFolder, false, plan.kept);
  job.chunk = ClusterChunkSize(job.decks.size(), job.atOnce);
  plan.jobFolder = plan.outputFolder + kJobFolderName + "\\";
  return plan;
}

// Writes the job folder and submits the job with sbatch --parsable and the extra options; the
// job's number, or "" once the refusal has been said.
std::string SubmitClusterJob(TForm1& form, const ClusterPlan& plan) {
  System& system = form.platform.system;
  const std::string& jobFolder = plan.jobFolder;
  WriteJobFolder(system, jobFolder, plan.job);
  std::string submit = "#!/bin/sh\n" + ShellQuoted(plan.sbatch) + " --parsable";
  for (const std::string& word : SplitText(plan.options, " ")) {
    if (!word.empty()) submit += " " + ShellQuoted(word);
  }
  submit += " varnel-job.sbatch >submit.out 2>submit.err\necho $? >submit.status\n";
  system.WriteFile(jobFolder + "submit.sh", submit);
  system.RemoveFile(jobFolder + "submit.status");
  if (!RunInFolder(form, "/bin/sh", "submit.sh", jobFolder) ||
      Trimmed(ReadOr(system, jobFolder + "submit.status")) != "0") {
    std::string message = Trimmed(ReadOr(system, jobFolder + "submit.err"));
    if (message.empty()) message = "it could not be started";
    AddLine(form.Mout, "sbatch refused the job: " + message);
    ShowWarning(form.platform.ui, "sbatch refused the job: " + message + ". Abort command!");
    return "";
  }
  const std::string id = SubmittedJob(system, jobFolder);
  if (id.empty()) {
    ShowWarning(form.platform.ui, "sbatch gave no job number (" +
                                      Trimmed(ReadOr(system, jobFolder + "submit.out")) +
                                      "). Abort command!");
  }
  return id;
}

// Waits with event processing until the queue no longer holds the job, saying each task's end
// and the decks reported so far. A stop ends the job with scancel and waits up to 30 s for the
// scheduler to end its tasks: false then. An abort ends the job and is passed on.
bool WaitForClusterJob(TForm1& form, const ClusterPlan& plan, const std::string& id,
                       std::vector<bool>& chunkSaid) {
  System& system = form.platform.system;
  const std::size_t tasks = ClusterTaskCount(plan.job);
  const std::string squeue = ProgramOnPath(system, "squeue");
  const std::string scancel = ProgramOnPath(system, "scancel");
  auto queued = [&]() { return JobQueued(form, squeue, id, plan.jobFolder); };
  try {
    for (int tick = 0;; ++tick) {
      for (int i = 0; i < 20; ++i) {
        form.platform.ui.Pause(50);
        form.ProcessPendingEvents();
      }
      const JobReports reports = ReadJobReports(system, plan.jobFolder, plan.job, chunkSaid, form);
      if (reports.byDeck.size() < plan.job.decks.size())
        form.FileProgress(reports.byDeck.size(), plan.job.decks.size());
      if (tick % 3 != 0 && reports.finishedChunks < tasks) continue;
      if (!queued()) return true;
    }
  } catch (const CommandStopped&) {
    EndJob(form, scancel, id, plan.jobFolder);
    // The tasks' engines are ended within the scheduler's kill wait; only then is what they left
    // looked at.
    for (int i = 0; i < 60 && queued(); ++i) form.platform.ui.Pause(500);
    return false;
  } catch (const CommandAborted&) {
    EndJob(form, scancel, id, plan.jobFolder);
    throw;
  }
}

}  // namespace

ClusterAccount AccountForClusterJob(System& system, const ClusterJob& job, const std::string& deckFolder,
                                    const std::string& outputFolder,
                                    const std::map<std::string, ChunkLine>& reports) {
  ClusterAccount account;
  std::vector<DeckOutput> pairs;
  for (const std::string& deck : job.decks)
    pairs.push_back({deckFolder + deck, outputFolder + OutputFileName(deck)});
  const std::vector<OutputState> states = OutputsOfDecks(system, pairs);
  for (std::size_t i = 0; i < job.decks.size(); ++i) {
    const std::string& deck = job.decks[i];
    const std::string& output = pairs[i].output;
    if (states[i] == OutputState::Whole) continue;
    const bool partial = system.FileExists(output) && system.RemoveFile(output);
    const auto report = reports.find(deck);
    const std::string log = "task-" + std::to_string(i / job.chunk) + ".log";
    if (report != reports.end() && report->second.state == "failed") {
      ++account.failed;
      account.lines.push_back("  " + deck + " ......failed (" + report->second.reason + "; " + log + ").");
    } else {
      ++account.missing;
      account.lines.push_back("  " + deck + " ......missing (" +
                              (partial ? "its incomplete output was removed" : "no output") + "; " + log +
                              ").");
    }
  }
  return account;
}

void TForm1::ClusterConversion1Click() {
  std::optional<ConversionLocks> locks;
  const std::optional<ClusterPlan> plan = PlanClusterConversion(*this, locks);
  if (!plan) return;
  const ClusterJob& job = plan->job;
  AddLine(Mout, "Kept " + std::to_string(plan->kept) + " complete outputs.");
  auto summary = [&](std::size_t failed, std::size_t missing) {
    AddLine(Mout, std::to_string(plan->listed - failed - missing) + " complete, " + std::to_string(failed) +
                      " failed, " + std::to_string(missing) + " missing outputs.");
  };
  if (job.decks.empty()) {
    summary(0, 0);
    AddLine(Mout, "--------- Cluster Conversion Job Done ---------");
    return;
  }

  const std::string id = SubmitClusterJob(*this, *plan);
  if (id.empty()) return;
  const std::size_t tasks = ClusterTaskCount(job);
  AddLine(Mout, "Cluster job " + id + " submitted: " + std::to_string(job.decks.size()) + " decks in " +
                    std::to_string(tasks) + " tasks, at most " + std::to_string(job.atOnce) +
                    " at once; job folder " + plan->jobFolder);
  std::vector<bool> chunkSaid(tasks, false);
  const bool ended = WaitForClusterJob(*this, *plan, id, chunkSaid);

  // Every deck of the job without a complete output is named.
  const JobReports reports = ReadJobReports(platform.system, plan->jobFolder, job, chunkSaid, *this);
  const ClusterAccount account =
      AccountForClusterJob(platform.system, job, plan->deckFolder, plan->outputFolder, reports.byDeck);
  for (const std::string& line : account.lines) AddLine(Mout, line);
  summary(account.failed, account.missing);
  if (ended) {
    AddLine(Mout, "--------- Cluster Conversion Job Done ---------");
  } else {
    AddLine(Mout, "--------- Cluster Conversion stopped: " +
                      std::to_string(job.decks.size() - account.failed - account.missing) + " of " +
                      std::to_string(job.decks.size()) + " converted ---------");
  }
}

void TForm1::ExportClusterJob1Click() {
  System& system = platform.system;
  std::optional<std::string> chosen = platform.ui.ChooseFolder(kDeckFolder);
  if (!chosen) return;
  const std::string deckFolder = *chosen;
  std::optional<std::string> place = platform.ui.ChooseFolder(kOutputRoot);
  if (!place) return;
  const std::optional<JobAnswers> answers = AskJobAnswers(platform.ui, "Export Cluster Job", "varnel_engine");
  if (!answers) return;

  Reset();
  const std::string lastFolder = LastFolder(deckFolder);
  const std::string name = std::string(kJobFolderName) + "-" + lastFolder;
  std::string jobFolder = *place;
  if (jobFolder.empty() || jobFolder.back() != '\\') jobFolder += '\\';
  jobFolder += name + "\\";
  ClearPane(Mout);
  AddLine(Mout, "--------------- Export Cluster Job ----------------");
  AddLine(Mout, "Batch Folder selected: " + deckFolder);
  AddLine(Mout, "Job Folder: " + jobFolder);
  if (const std::string problem = TargetNameProblem(name); !problem.empty() || lastFolder.empty()) {
    ShowWarning(platform.ui, "Target folder refused (" + (problem.empty() ? "no last folder" : problem) +
                                 "): " + jobFolder + ". Abort command!");
    return;
  }
  // A job folder is written anew only where nothing stands: it is never deleted or merged into.
  if (system.FolderExists(jobFolder) || system.FileExists(jobFolder.substr(0, jobFolder.size() - 1))) {
    ShowWarning(platform.ui,
                jobFolder + " exists already: remove it or choose another place. Abort command!");
    return;
  }
  if (system.FolderWithin(jobFolder, deckFolder)) {
    ShowWarning(platform.ui, "The job folder " + jobFolder + " lies inside the deck folder. Abort command!");
    return;
  }
  FolderLock lock(platform, jobFolder);
  if (!lock.Held()) return;
  TextList decks, skipped;
  ListFiles(system, deckFolder + "\\*.nec", decks, &skipped);
  if (!skipped.empty()) AddLine(Mout, SkippedNamesLine(skipped));
  if (!CreateFolder(system, jobFolder)) {
    ShowWarning(platform.ui, "Folder was not created. Abort command!");
    return;
  }
  ClusterJob job;
  job.name = lastFolder;
  job.deckFolder = ".";
  job.outputFolder = ".";
  job.engine = answers->engine;
  job.checker = "varnel";
  job.atOnce = answers->atOnce;
  for (std::size_t i = 0; i < decks.size(); ++i) {
    if (i % 50 == 0) {
      FileProgress(i, decks.size());
      ProcessPendingEvents();
    }
    system.WriteFile(jobFolder + decks[i], system.ReadFile(deckFolder + "\\" + decks[i]));
    job.decks.push_back(decks[i]);
  }
  job.chunk = ClusterChunkSize(job.decks.size(), job.atOnce);
  WriteJobFolder(system, jobFolder, job);
  const std::size_t tasks = ClusterTaskCount(job);
  AddLine(Mout,
          "Wrote " + std::to_string(decks.size()) + " decks in " + std::to_string(tasks) +
              " tasks. On the cluster, in the folder: sbatch varnel-job.sbatch (or sh varnel-job.parallel).");
  EndStatus(std::to_string(decks.size()) + (decks.size() == 1 ? " deck in " : " decks in ") +
            std::to_string(tasks) + (tasks == 1 ? " task" : " tasks"));
  AddLine(Mout, "--------- Export Cluster Job Done ---------");
}

}  // namespace varnel
