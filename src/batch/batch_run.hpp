#pragma once
// Steps shared by the batch commands (folder list, read test and the three analyses).
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/table.hpp"
#include "mainwindow/VarnelU.hpp"

namespace varnel {

inline constexpr const char* kNoBatchFolderWarning = "You need add a batch folder first.";
inline constexpr const char* kBatchJobDone = "--------- Batch Job Done ---------";

// The file loaded as a list of lines (a line ends at CR LF, LF or CR) and joined again with every
// line followed by CR LF. A file that cannot be opened throws InOutError ("Datei nicht gefunden").
std::string LoadLinesText(System& system, const std::string& name);

// The listed file as messages name it: the batch folder's path and the name.
std::string ListedFilePath(const TForm1& form, const std::string& name);

// The Info lines of a file read at a run other than its first and of a near-field table read in
// part (RunReadLine, PartReadLine; empty texts add nothing), then the notes (sections the run does
// not print, NearFieldNotes); a table read in part is also noted once for the status bar.
void NoteReadingLines(TForm1& form, const std::string& runLine, const std::string& partLine = "",
                      const std::vector<std::string>& notes = {});

// The Info lines of the sections absent from the listed file (AbsentSections).
std::vector<std::string> AbsentLines(const TForm1& form, const std::string& name,
                                     const std::vector<PrintError>& absent);

// The Info line of a listed file without a near-field table, whose row is then undefined:
// "<path> holds no near-field table".
void NoteMissingNearField(TForm1& form, const std::string& name);

// One Mout line for a row that holds an undefined value (an empty near-field table, no grid point
// meeting a geometry's condition, a segment current the reader could not convert), which the
// table shows as NAN.
void NoteUndefinedRow(TForm1& form, const std::string& name);

// The start of a batch analysis: without a batch list the warning kNoBatchFolderWarning and
// nothing; a list of decks only (every name ends in ".nec", as Batch Conversion leaves it) gets
// the warning "The batch list holds decks (*.nec): use <addCommand> on the output folder first.
// Abort command!" and nothing. Otherwise Mout and Mdata are cleared (the kept numbers of Mdata
// with it), Mout gets the title line and the list as it stands now is returned (a command that
// changes BatchFiles meanwhile cannot make the run read past its end).
std::optional<TextList> BeginBatch(TForm1& form, const std::string& title, const std::string& addCommand);

// The print a batch analysis reads: one that is not a whole engine run (WhyNotWhole: an unknown
// engine, an output the engine did not finish or ended with its error line) fails with that
// PrintError before anything is read from it, so a cut file never gives a row.
void RequireWholePrint(const OutputPrint& print);

// How a batch analysis goes through its list: the files done, the rows written, and, with Skip
// Unreadable Files on (read once, here), the files left out and why.
class BatchCourse {
 public:
  // caption names the command in the closing line of a stop ("Analyse EUTs").
  BatchCourse(TForm1& form, std::string caption, std::size_t files);

  // One listed file: step reads it and writes its row. A failure of step (a stop excepted)
  // that reads the file names it (ListedFilePath): a PrintError as InFile, an input/output or
  // conversion failure as the same kind with "<path>: " before its message; any other (the
  // division by an input power of 0) stays as it is.
  // Skip Unreadable Files off, that failure ends the batch; on, it is one Info line
  // "Skipped: <message>", the file gets no row and the batch goes on.
  void File(const std::string& name, const std::function<void()>& step);
  // A listed file that does not exist: ReadTextFile's warning (left out with Skip Unreadable
  // Files on, where nothing may wait for a person) and the Info line
  // "Skipped (file not found): <name>"; no row.
  void Missing(const std::string& name);

  // Runs the loop over the list. With Skip Unreadable Files on the Info pane gets, at the end,
  // the summary "1498 rows; 2 files skipped: E_013_004.out (incomplete output), x.out (not a
  // NEC2 print)" (ten names at most, then "and N more"). A stop (CommandStopped) ends the loop
  // with "--------- <caption> stopped: K of N files analysed ---------"; the table keeps its
  // rows. True when the loop went through the whole list.
  bool Run(const std::function<void()>& loop);

 private:
  struct Skipped {
    std::string name, reason;
  };
  std::string SummaryLine() const;
  TForm1& form_;
  const std::string caption_;
  const std::size_t files_;
  const bool skip_;
  std::size_t done_ = 0, rows_ = 0;
  std::vector<Skipped> skipped_;
};

// The item of a radio group that a batch reads once, at its start (after BeginBatch). The group
// is held while the choice lives, so that switching it is refused until the batch has ended,
// also when it ends through a failure. Its ChoiceText goes into the status note and the notes
// of the kept numbers.
class BatchChoice {
 public:
  BatchChoice(TForm1& form, RadioGroup& group);
  ~BatchChoice() { group_.held = wasHeld_; }
  BatchChoice(const BatchChoice&) = delete;
  BatchChoice& operator=(const BatchChoice&) = delete;
  const int item;

 private:
  RadioGroup& group_;
  const bool wasHeld_;
};

// The two heading lines of a batch table (TableHeadingLine of the column names, then of the
// units) into Mdata; the kept numbers take them as their headings.
void AddTableHeadings(TForm1& form, std::initializer_list<std::string_view> names,
                      std::initializer_list<std::string_view> units);
// The data line into Mdata and its numbers into the kept ones, with whether its file's power
// budget is not physical (PowerBudget::Impossible).
void AddTableRow(TForm1& form, const TableDataLine& row, bool impossibleBudget = false);
// Mdata emptied between the blocks of a split-mode run: the kept rows go with the pane's lines,
// the headings stay for the rows that follow.
void ClearTableRows(TForm1& form);

// What a batch works out of a file ahead of its turn (Analyse EUTs: the file's whole analysis),
// on the processor's cores while the window's thread goes on with the rows before it.
struct AheadWork {
  virtual ~AheadWork() = default;
};
// The work of one file ahead: made on the window's thread as the file is read, so that it may
// take what it depends on from the window; it runs on a worker with the file's text.
using AheadStep = std::function<std::unique_ptr<AheadWork>(const std::string& text)>;

// One listed file at its turn. text may be taken over; ahead is what the read-ahead worked out
// of it (none without a read-ahead).
struct ListedFile {
  std::size_t index;
  const std::string& name;
  std::string& text;
  std::unique_ptr<AheadWork> ahead;
};
using BatchStep = std::function<void(ListedFile& file)>;

// The listed file's text becomes the working text (currentText, currentName) and is shown whole
// in pane M, which shares it, as the near-field and power analyses show each file.
void TakeListedFile(TForm1& form, ListedFile& file);

// How ForEachListedFile walks the list; the defaults are those of the near-field and power
// analyses.
struct ListedFileWalk {
  // The file's text as the split mode of Analyse EUTs reads it (LoadLinesText); none: as
  // ReadTextFile reads it.
  std::string (*read)(System& system, const std::string& name) = nullptr;
  // A listed file that does not exist is BatchCourse::Missing; otherwise a failure of its read.
  bool missingIsSkipped = true;
  // Events are processed before each file's turn; otherwise afterFile processes them.
  bool eventsBeforeFile = true;
  // Reads the files ahead of the current one, a few per core and at most kMostBytesAhead, and
  // runs this for each on a worker (with one core, on this thread as each file is read). Goes
  // only with the default read.
  std::function<AheadStep()> readAhead;
  // After each file's turn (row, skip or missing file), before the next file's.
  std::function<void(std::size_t index)> afterFile;
};

// The one loop of the batch analyses: for each listed file, in list order, the progress record,
// event processing (see eventsBeforeFile), the Mout line "Load: <name>" and the file's text (read into a text
// cleared first, so a file that cannot be read never hands on the previous file's text); then analyse(file)
// writes the file's row, as one BatchCourse::File, and Mout is scrolled to its top. Rows, Mout lines,
// warnings and failures come in list order with a read-ahead too.
void ForEachListedFile(TForm1& form, BatchCourse& course, const TextList& names, const BatchStep& analyse,
                       const ListedFileWalk& walk = {});

}  // namespace varnel
