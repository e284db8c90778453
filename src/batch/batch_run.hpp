#pragma once
// Steps shared by the batch commands (folder list, read test and the three analyses).
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/table.hpp"
#include "mainwindow/VarnelU.hpp"

namespace varnel {

inline constexpr const char* kNoBatchFolderWarning = "You need add a batch folder first.";
inline constexpr const char* kBatchJobDone = "--------- Batch Job Done ---------";

// Reads the listed file whole (ReadTextFile) into text, which is cleared first, so a file that
// cannot be read never hands on the previous file's text. A file that does not exist gets
// ReadTextFile's warning and one Mout line "Skipped (file not found): <name>"; the result is
// then false and the caller writes no row for it.
bool ReadListedFile(TForm1& form, const std::string& name, std::string& text);
// What ReadListedFile shows for a file that does not exist: the warning and the Mout line.
void NoteMissingFile(TForm1& form, const std::string& name);

// The file loaded as a list of lines (a line ends at CR LF, LF or CR) and joined again with every
// line followed by CR LF. A file that cannot be opened throws InOutError ("Datei nicht gefunden").
std::string LoadLinesText(System& system, const std::string& name);

// The listed file as messages name it: the batch folder's path and the name.
std::string ListedFilePath(const TForm1& form, const std::string& name);

// The Info lines of a file read at a run other than its first and of a near-field table read in
// part (RunReadLine, PartReadLine; empty texts add nothing); a table read in part is also noted
// once for the status bar.
void NoteReadingLines(TForm1& form, const std::string& runLine, const std::string& partLine = "");

// The Info line of a listed file without a near-field table, whose row is then undefined:
// "<path> holds no near-field table".
void NoteMissingNearField(TForm1& form, const std::string& name);

// One Mout line for a row that holds an undefined value (an empty near-field table, no grid point
// meeting a geometry's condition, a segment current the reader could not convert), which the
// table shows as NAN.
void NoteUndefinedRow(TForm1& form, const std::string& name);

// Puts the whole file text into pane M as the batch analyses show each file (the pane shares
// the text).
void ShowFileInM(TForm1& form, const std::string& name, const SharedText& text);

// The start of a batch analysis: without a batch list the warning kNoBatchFolderWarning and
// nothing; otherwise Mout and Mdata are cleared (the kept numbers of Mdata with it), Mout gets
// the title line and the list as it stands now is returned (a command that changes BatchFiles
// meanwhile cannot make the run read past its end).
std::optional<TextList> BeginBatch(TForm1& form, const std::string& title);

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
// The data line into Mdata and its numbers into the kept ones.
void AddTableRow(TForm1& form, const TableDataLine& row);
// Mdata emptied between the blocks of a split-mode run: the kept rows go with the pane's lines,
// the headings stay for the rows that follow.
void ClearTableRows(TForm1& form);

// The loop of the batch analyses: for each listed file, in list order, the progress record,
// event processing, the Mout line "Load: <name>" and the file read whole (ReadListedFile: a
// file that cannot be read gets no row); then analyse(index, name, text) writes the file's row
// and Mout is scrolled to its top. text may be taken over by analyse. A PrintError of analyse
// ends the loop naming the file (ListedFilePath).
using BatchStep = std::function<void(std::size_t index, const std::string& name, std::string& text)>;
void ForEachListedFile(TForm1& form, const TextList& names, const BatchStep& analyse);

}  // namespace varnel
