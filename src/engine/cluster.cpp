#include "engine/cluster.hpp"

#include <algorithm>

#include "util/tree.hpp"

namespace varnel {

std::size_t ClusterChunkSize(std::size_t decks, std::size_t atOnce) {
  if (decks == 0) return 1;
  const std::size_t tasks = std::clamp<std::size_t>(4 * std::max<std::size_t>(atOnce, 1), 1, 1000);
  return (decks + std::min(tasks, decks) - 1) / std::min(tasks, decks);
}

std::size_t ClusterTaskCount(const ClusterJob& job) {
  return job.decks.empty() ? 0 : (job.decks.size() + job.chunk - 1) / job.chunk;
}

std::string ShellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

namespace {

// Slurm takes a job name of letters, digits and "_.-" without trouble; anything else is '_'.
std::string JobName(const std::string& name) {
  std::string result = "varnel-";
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '.' || c == '-';
    result += plain ? c : '_';
  }
  return result;
}

std::string Count(std::size_t n) { return std::to_string(n); }

const char* const kTask = R"SH(#!/bin/sh
# One task of a Varnel cluster job: converts chunk N (0-based) of decks.txt with the engine of
# varnel-job.conf, in the deck folder as working folder (the engine gets the deck name and an
# output path), and skips every deck whose output is the whole print of that deck. Each run
# writes under a name of its own and puts the output in place in one step only when it is
# whole: nothing cut short is ever taken for a result, and two copies of one task never remove
# what the other wrote. Adds one line per deck to progress/chunk-N.txt.
#   sh varnel-task.sh N
set -u
job=$(cd "$(dirname "$0")" && pwd) || exit 1
. "$job/varnel-job.conf"
case "$DECKS" in /*) ;; *) DECKS="$job/$DECKS" ;; esac
case "$OUTPUTS" in /*) ;; *) OUTPUTS="$job/$OUTPUTS" ;; esac
chunk="${1:-}"
case "$chunk" in '' | *[!0-9]*) echo "varnel-task.sh: no chunk number: '$chunk'" >&2; exit 64 ;; esac
for program in "$ENGINE" "$CHECKER"; do
  command -v "$program" >/dev/null 2>&1 || {
    echo "varnel-task.sh: $program was not found: set it in $job/varnel-job.conf" >&2
    exit 69
  }
done
mkdir -p "$job/progress"
report="$job/progress/chunk-$chunk.txt"
run="$(hostname 2>/dev/null | tr -c 'A-Za-z0-9.-' _)-$$"
first=$((chunk * CHUNK + 1))
last=$((first + CHUNK - 1))
sed -n "${first},${last}p" "$job/decks.txt" | {
  failed=0
  part=""
  # Ended (scancel, Ctrl-C): what this run wrote under its own name goes with it.
  trap '[ -z "$part" ] || rm -f "$part"; exit 143' TERM INT HUP
  while IFS= read -r deck; do
    [ -n "$deck" ] || continue
    out="$OUTPUTS/${deck%.*}.out"
    if "$CHECKER" --output-complete "$DECKS/$deck" "$out" 2>/dev/null; then
      echo "kept $deck" >>"$report"
      continue
    fi
    part="$out.$run.partial"
    rm -f "$part"
    (cd "$DECKS" && exec "$ENGINE" "$deck" "$part") </dev/null
    status=$?
    if [ "$status" -eq @DISKFULL@ ]; then
      reason="disk full"
    elif [ "$status" -ne 0 ]; then
      reason="exit status $status"
    elif [ ! -f "$part" ]; then
      reason="no output"
    elif ! "$CHECKER" --output-complete "$DECKS/$deck" "$part" 2>/dev/null; then
      reason="incomplete output"
    elif mv -f "$part" "$out"; then
      echo "done $deck" >>"$report"
      continue
    else
      reason="its output could not be put in place"
    fi
    rm -f "$part"
    echo "failed $deck ($reason)" >>"$report"
    failed=1
  done
  exit "$failed"
}
)SH";

}  // namespace

std::vector<JobFile> ClusterJobFiles(const ClusterJob& job) {
  const std::size_t tasks = ClusterTaskCount(job);
  const std::string lastTask = Count(tasks == 0 ? 0 : tasks - 1);
  std::string list;
  for (const std::string& deck : job.decks) list += deck + "\n";

  std::string conf =
      "# The settings of this Varnel cluster job, read by varnel-task.sh. A relative folder is\n"
      "# taken from the job folder. ENGINE is started as: ENGINE DECK OUTPUT, in DECKS.\n";
  conf += "DECKS=" + ShellQuoted(job.deckFolder) + "\n";
  conf += "OUTPUTS=" + ShellQuoted(job.outputFolder) + "\n";
  conf += "ENGINE=" + ShellQuoted(job.engine) + "\n";
  conf += "CHECKER=" + ShellQuoted(job.checker) + "\n";
  conf += "CHUNK=" + Count(job.chunk) + "\n";

  std::string sbatch = "#!/bin/sh\n";
  sbatch += "#SBATCH --job-name=" + JobName(job.name) + "\n";
  sbatch += "#SBATCH --array=0-" + lastTask + "%" + Count(job.atOnce) + "\n";
  sbatch += "#SBATCH --ntasks=1\n#SBATCH --cpus-per-task=1\n#SBATCH --output=task-%a.log\n";
  sbatch += "# A Varnel cluster job: " + Count(job.decks.size()) + " decks in " + Count(tasks) +
            " tasks of up to " + Count(job.chunk) +
            " decks. Run it from this folder:\n"
            "#   sbatch varnel-job.sbatch\n"
            "# The folder, the decks and the outputs must lie on a file system every node shares.\n"
            "exec sh \"${SLURM_SUBMIT_DIR:-.}/varnel-task.sh\" \"$SLURM_ARRAY_TASK_ID\"\n";

  std::string parallel =
      "#!/bin/sh\n"
      "# The work of varnel-job.sbatch for GNU parallel, here or over ssh hosts that see this\n"
      "# folder at the same path:\n"
      "#   sh varnel-job.parallel\n"
      "#   sh varnel-job.parallel --sshlogin node1,node2\n"
      "# Further options are handed to parallel.\n"
      "# The folder's path reaches the tasks as a variable, never as text a shell parses.\n"
      "VARNEL_JOB=$(cd \"$(dirname \"$0\")\" && pwd) || exit 1\n"
      "export VARNEL_JOB\n";
  parallel += "exec parallel --jobs " + Count(job.atOnce) +
              " --env VARNEL_JOB \"$@\" 'cd \"$VARNEL_JOB\" && exec sh ./varnel-task.sh' ::: $(seq 0 " +
              lastTask + ")\n";

  std::string readMe =
      "A Varnel cluster job: " + Count(job.decks.size()) +
      " NEC2 decks to convert into output files.\n\n"
      "On a Slurm cluster, from this folder:   sbatch varnel-job.sbatch\n"
      "With GNU parallel:                     sh varnel-job.parallel [--sshlogin host1,host2]\n\n"
      "The folder must lie on a file system every node shares. The nodes need the engine and\n"
      "the Varnel program named in varnel-job.conf (ENGINE, CHECKER); Varnel tells a complete\n"
      "output with `varnel --output-complete DECK FILE`. Each task skips the decks whose complete\n"
      "output exists, so running the job again converts only what is missing or incomplete.\n"
      "progress/chunk-N.txt says what task N did with each deck, task-N.log holds its messages.\n"
      "Copy the *.out files back and analyse them with InputFiles > Add EUTs.\n";

  std::string task = kTask;
  task.replace(task.find("@DISKFULL@"), 10, Count(kEngineDiskFull));
  return {{"decks.txt", list},           {"varnel-job.conf", conf},         {"varnel-task.sh", task},
          {"varnel-job.sbatch", sbatch}, {"varnel-job.parallel", parallel}, {"ReadMe.txt", readMe}};
}

std::vector<ChunkLine> ReadChunkReport(const std::string& text) {
  std::vector<ChunkLine> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) break;  // a line still being written
    const std::string line = text.substr(begin, end - begin);
    begin = end + 1;
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;
    ChunkLine entry{line.substr(0, blank), line.substr(blank + 1), ""};
    if (entry.state == "failed") {
      const std::size_t open = entry.deck.rfind(" (");
      if (open == std::string::npos || entry.deck.back() != ')') continue;
      entry.reason = entry.deck.substr(open + 2, entry.deck.size() - open - 3);
      entry.deck.erase(open);
    } else if (entry.state != "done" && entry.state != "kept") {
      continue;
    }
    lines.push_back(std::move(entry));
  }
  return lines;
}

}  // namespace varnel
