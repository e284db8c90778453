#pragma once
// The naming rules of the engine runs: the fixed engine table, the output file name of a deck
// and the last folder of a batch folder.
#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "decks/folders.hpp"
#include "engine/cluster.hpp"
#include "mainwindow/panes.hpp"

#include "platform/system.hpp"
#include "util/text.hpp"
#include "util/tree.hpp"

namespace varnel {

// One entry of the "Engine" menu: the menu item's name and the executable it sets into
// EngineName. In menu order; the first is the default.
struct EngineEntry {
  const char* menuItem;
  const char* executable;
};
inline constexpr std::array<EngineEntry, 3> kEngines{{
    {"MI_NEC1500", kEngineExecutables[0]},
    {"MI_NEC5000", kEngineExecutables[1]},
    {"MI_NEC11000", kEngineExecutables[2]},
}};

// The deck's file name without its folder (cut after the last '\', '/' or ':'), with the text
// from its last '.' on replaced by ".out"; a name without '.' gets ".out" appended.
// "c:\4nec2\b_in\dipol\dipol007.nec" gives "dipol007.out", "my.test.nec" "my.test.out".
std::string OutputFileName(const std::string& deckPath);

// What an output file is to its deck: Missing (no regular file, or it cannot be read),
// NotWhole (OutputPrint::Complete is false), OtherDeck (whole, but MadeFromDeck says another deck
// made it, or the deck cannot be read) or Whole. The one decision of every conversion (a run's
// end, Resume, Cluster Conversion) and of the cluster tasks (`varnel --output-complete DECK
// OUTPUT`). The output is read as ReadTextFile reads it (a byte 26 ends it), the deck as it
// stands; an empty deck path compares with no deck.
enum class OutputState { Missing, NotWhole, OtherDeck, Whole };
OutputState OutputOfDeck(System& system, const std::string& deck, const std::string& output);

// OutputOfDeck of each pair (a deck, its output), decided on the processor's cores at once (the
// system's file reads may run on several threads); the states in the pairs' order.
struct DeckOutput {
  std::string deck, output;
};
std::vector<OutputState> OutputsOfDecks(System& system, const std::vector<DeckOutput>& pairs);

// OutputOfDeck without a deck: the output is a whole print.
bool OutputComplete(System& system, const std::string& path);

// The text after the last '\' of the path; the whole path when it holds none. Empty for a
// drive root such as "C:\".
std::string LastFolder(const std::string& path);

class TForm1;
// The start of every batch conversion once its folder is chosen (and its other questions are
// answered): the reset, the header lines with the caption and the engine, the deck list of the
// chosen folder and the refusals of a folder whose output folder would be unsafe. The output folder
// C:\4nec2\b_out\<last folder>\, or "" when the command ends here.
std::string StartBatchConversion(TForm1& form, const std::string& caption, const std::string& chosen,
                                 const std::string& engine);

// The listed decks (bare names in deckFolder, which ends in '\') whose output in outputFolder is
// not the whole output of that deck (OutputOfDeck), in list order; kept counts the others. An output another
// deck made gets the Info pane line "<output> was made from another deck: converted again".
// With removeIncomplete such an output and one that is not whole are removed, so that they can
// never pass for a result. The outputs are decided 50 at a time (OutputsOfDecks) and events are
// processed between (a stop ends it with CommandStopped).
TextList DecksWithoutCompleteOutput(TForm1& form, const TextList& listed, const std::string& deckFolder,
                                    const std::string& outputFolder, bool removeIncomplete,
                                    std::size_t& kept);

// A batch conversion to run: the engine, the decks (bare names in deckFolder, in the order
// they are started), where their outputs go, how many engines run at once and the time limit
// per deck run in minutes (0: none).
struct ConversionPlan {
  std::string engine;
  std::string deckFolder;    // ends in '\'
  std::string outputFolder;  // ends in '\'
  TextList decks;
  std::size_t jobs = 1;
  double limitMinutes = 0;
};

// What a batch conversion did with its decks.
struct Conversion {
  std::size_t converted = 0;  // runs that ended well with a complete output
  TextList failed;            // the decks whose run failed, in the order their runs ended
  bool stopped = false;       // the user stopped the batch, or the disk is full
  bool diskFull = false;      // a run found the disk full: no further deck was started
};

// The reason of a run that found the disk full: the batch stops there.
inline constexpr const char* kDiskFullProblem = "disk full";

// The Info pane's account of a batch conversion's runs: each deck's "Converting: NAME" line,
// written when its run starts, completed when the run has ended ("  --> NAME.out ......done.",
// "......failed (REASON).", "......stopped."), and the counts. The line is found again where it
// stands when the run ends, though the user may have edited the pane meanwhile.
class ConversionAccount {
 public:
  ConversionAccount(Pane& info, std::string engine) : info_(info), engine_(std::move(engine)) {}
  // Writes the deck's line; the number by which its end is told.
  std::size_t Started(const std::string& deck);
  // The run's end: done when problem is empty, failed with it otherwise (kDiskFullProblem
  // notes the full disk).
  void Ended(std::size_t deck, const std::string& problem);
  // The run was ended by a stop, or by the program's closing (then the note that the engine
  // was ended follows).
  void Stopped(std::size_t deck, bool closing);
  const Conversion& Result() const { return result_; }

 private:
  struct DeckEntry {
    std::size_t line;  // where the line was written; edits of the pane may move it
    std::string name;
  };
  void Complete(std::size_t deck, const std::string& outcome);
  Pane& info_;
  std::string engine_;
  std::vector<DeckEntry> decks_;
  Conversion result_;
};

// The closing lines of a batch conversion of decks decks: "N of M decks failed: a.nec, ..."
// (the first ten names), beforeEnd (unless empty), the full disk's note, and the caption's
// job-done or stopped line.
TextList ClosingLines(const std::string& caption, const Conversion& conversion, std::size_t decks,
                      const std::string& beforeEnd);

// The locks a batch conversion holds while it runs, on its output folder and then on its deck
// folder (params.BatchFolder), so that no second program recreates or converts into either.
class ConversionLocks {
 public:
  ConversionLocks(TForm1& form, const std::string& outputFolder);
  bool Held() const { return decks_.has_value() && decks_->Held(); }

 private:
  FolderLock output_;
  std::optional<FolderLock> decks_;
};

// "" unless the cluster job Cluster Conversion last submitted for outputFolder (the number in
// its job folder's submit.out) is still queued or running, as squeue on PATH says; then the
// warning "Cluster job <number> is still working on <outputFolder>. Abort command!".
std::string ClusterJobStillWorking(TForm1& form, const std::string& outputFolder);

// What a cluster job left in outputFolder (decks in deckFolder, which ends in '\'): each of its decks
// without a whole output, named with what its task reported ("  NAME ......failed (REASON;
// task-N.log)." or "  NAME ......missing (no output; task-N.log)."), and the counts. An output a
// task left cut short (a node lost, the job cancelled) is removed, so that it is never taken for
// a result.
struct ClusterAccount {
  TextList lines;
  std::size_t failed = 0, missing = 0;
};
ClusterAccount AccountForClusterJob(System& system, const ClusterJob& job, const std::string& deckFolder,
                                    const std::string& outputFolder,
                                    const std::map<std::string, ChunkLine>& reports);

// Whether a batch conversion may go on into outputFolder: the locks are taken (and kept in
// locks for the command's run) and no cluster job is still working on the folder (a job still
// at work would convert the same decks beside the new run; its warning is shown).
bool MayConvertInto(TForm1& form, const std::string& outputFolder, std::optional<ConversionLocks>& locks);

}  // namespace varnel
