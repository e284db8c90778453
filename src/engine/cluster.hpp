#pragma once
// Batch conversion on a Slurm cluster: the job folder that carries a set of decks to the
// cluster's nodes, and the texts of its files.
//
// A job folder holds the deck list (decks.txt, one bare deck name a line), its settings
// (varnel-job.conf: the deck and output folders, the engine, the program that tells a complete
// output, the decks per task), the task (varnel-task.sh: converts one chunk of the list,
// skipping every deck whose complete output exists), the job-array script for Slurm
// (varnel-job.sbatch, run as `sbatch varnel-job.sbatch` from the folder), the same work for GNU
// parallel (varnel-job.parallel, also over --sshlogin hosts) and a short ReadMe.txt. Each task
// writes one line per deck into progress/chunk-N.txt ("done NAME", "kept NAME", "failed NAME
// (reason)"); Slurm writes each task's messages into task-N.log beside them. Every file has LF
// line ends: it runs on Linux.
#include <cstddef>
#include <string>
#include <vector>

namespace varnel {

struct ClusterJob {
  std::string name;                // the deck folder's last component, for the job's name
  std::string deckFolder;          // native; "." in an exported job (the decks lie beside)
  std::string outputFolder;        // native; "." in an exported job
  std::string engine;              // the engine program on the nodes
  std::string checker;             // the program whose --output-complete tells a whole output
  std::vector<std::string> decks;  // bare names, in list order
  std::size_t atOnce = 64;         // tasks that may run at once (the array's % throttle)
  std::size_t chunk = 1;           // decks per task
};

// Decks per task: enough tasks for four per slot that may run at once, at most 1000 (under the
// array limits clusters usually set), never more tasks than decks.
std::size_t ClusterChunkSize(std::size_t decks, std::size_t atOnce);
std::size_t ClusterTaskCount(const ClusterJob& job);

// The word quoted for a POSIX shell, whatever it holds: '...' with every ' as '\''.
std::string ShellQuoted(const std::string& word);

// The files of the job folder, by their names.
struct JobFile {
  std::string name;
  std::string text;
};
std::vector<JobFile> ClusterJobFiles(const ClusterJob& job);

// What a task reported of one deck: "done", "kept" or "failed", and the reason of a failure.
struct ChunkLine {
  std::string state, deck, reason;
};
// The lines of a progress/chunk-N.txt text; lines of any other form are left out.
std::vector<ChunkLine> ReadChunkReport(const std::string& text);

}  // namespace varnel
