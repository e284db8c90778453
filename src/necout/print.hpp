#pragma once
// Where the values of an output text stand: its layout (necout/layouts.hpp), the runs of the
// engine it records, and the run whose values the analyses read.
//
// A run is one solution of the engine: its frequency and its feed-point, current and power
// tables. A FREQUENCY heading begins a run; so does a feed-point, current or POWER BUDGET
// heading that follows a table of its own kind or of a later kind in the same run (the engine
// printing the tables once more, as after a new load or source at the same frequency). A run
// without a FREQUENCY heading of its own has the frequency of the one before.
//
// Headings are taken only behind the echo of the deck's comments (HeadingsStart, layouts.hpp),
// and each table only in the one form its layout names it by.
//
// The run read is that of the first near-field table: the last run begun before its heading
// (so a near field computed after a frequency loop has the loop's last frequency, as the
// engines compute it). A text without a near-field table is read at its first run. Within the
// run, every section the run does not print is missing; nothing is taken from another run.
//
// The text is searched, not split into lines: a few forward searches for the headings before
// the first near-field table (or, without one, in the first run). The whole text is searched
// only when the runs are counted.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "necout/layouts.hpp"
#include "util/errors.hpp"

namespace varnel {

enum class PrintSection { Frequency, InputPower, Feed, Currents, NearField, Segments };

// "frequency line", "input-power line", "feed-point table", "current table", "near-field table",
// "segmentation table".
std::string_view SectionName(PrintSection section);

// What is wrong with a print that cannot be read: a section (missing where it is needed, or
// standing where its layout puts it but not in the layout's form), the engine (no layout knows
// it, or the text is no engine's print), its end (the engine did not reach it), or the engine's
// own error line it stopped with.
enum class PrintFault { Section, UnknownEngine, Incomplete, EngineError };

// A print that cannot be read. The message is the lead, the file's name and the problem; until
// a command names the file the name is "The text".
struct PrintError : VarnelError {
  explicit PrintError(std::string problem, std::string file = "The text",
                      PrintFault fault = PrintFault::Section, std::string lead = "");
  // The same problem in the named file.
  PrintError InFile(const std::string& file) const { return PrintError(problem, file, fault, lead); }
  std::string problem;  // ": the feed-point table at line 312 is not in a form Varnel reads"
  PrintFault fault;
  std::string lead;  // "Segment 11 is not printed in "
};

// What read() returns; a PrintError it throws is thrown again naming the file.
template <typename Read>
auto ReadInFile(const std::string& file, Read read) -> decltype(read()) {
  try {
    return read();
  } catch (const PrintError& failure) {
    throw failure.InFile(file);
  }
}

class OutputPrint {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  // The headings of one run, as zero-based positions of their lines; npos for a table the run
  // does not print.
  struct Run {
    std::size_t frequency = npos, feed = npos, currents = npos, powerBudget = npos;
  };

  // Recognises the layout and finds the runs; never throws. The text must outlive the print.
  explicit OutputPrint(std::string_view text);

  std::string_view Text() const { return text_; }
  // nullptr for a print whose banner names an engine no layout knows.
  const PrintLayout* Layout() const { return layout_; }

  // The structure: where the headings can begin (HeadingsStart) and where the first run or the
  // first near-field table begins (the text's end without either).
  std::size_t HeadingsFrom() const { return headingsFrom_; }
  std::size_t StructureEnd() const { return structureEnd_; }

  // The first near-field table's heading line (npos when there is none) and its kind.
  std::size_t NearField() const { return nearField_; }
  bool NearFieldIsMagnetic() const { return magnetic_; }

  // The run read, its one-based number, and how many runs the text holds (0 and 0 for a text
  // without a run: no FREQUENCY heading and no table).
  const Run& ReadRun() const { return run_; }
  std::size_t RunNumber() const { return runNumber_; }
  std::size_t RunCount() const;

  // Whether the print is whole (the rule is in necout/whole.hpp): it ends with a closing line
  // of its layout (or with the engine's own error at the next structure of an NX card), and
  // every near-field table holds the rows its NE or NH card asks for. False for a print of an
  // unknown engine. One pass over the text; the rows of a table are only counted.
  bool Complete() const;

  // The one-based number of the line that holds the position.
  std::size_t LineNumber(std::size_t at) const;

  // The problem "at line N is not in a form Varnel reads" of the section whose line holds the
  // position.
  PrintError Unreadable(PrintSection section, std::size_t at) const;
  // The problem " holds no <section>".
  static PrintError Missing(PrintSection section);
  // For a print of an unknown engine: the problem saying so; nothing otherwise.
  std::optional<PrintError> Unknown() const;
  // The problem ": the output is incomplete (the engine did not reach its end)".
  static PrintError Incomplete();
  // The engine's own error line among the last ten lines that are not blank (the first of them
  // holding "ERROR" or "FAULT"), as the problem ": the engine stopped with <the line without the
  // blanks and '*' around it>"; nothing when there is none. Searches only the print's end.
  std::optional<PrintError> EngineStop() const;
  // Why the print cannot be taken as a whole engine run: Unknown(); else, when the print is not
  // Complete(), ": the file has no line ends Varnel reads (its lines end in CR alone)" for a
  // long text of one line, ": the near-field table at line N holds R of the A rows its card asks
  // for (the output is incomplete)", Incomplete() or, for a text without a banner, ": not a NEC2 print
  // (no banner, no closing line)"; nothing for a whole print.
  std::optional<PrintError> NotWhole() const;

  // The first row of the table whose heading line begins at heading: the position of the line
  // right after the first of the next lines that holds titleMark; npos when none of them does
  // (the search stops at a framed heading or after eight lines).
  std::size_t FirstRow(std::size_t heading, std::string_view titleMark) const;

 private:
  std::string_view text_;
  const PrintLayout* layout_ = nullptr;
  std::string_view bannerName_;
  bool bannerFound_ = false;
  std::size_t headingsFrom_ = 0, structureEnd_ = npos;
  std::size_t nearField_ = npos;
  bool magnetic_ = false;
  Run run_;
  std::size_t runNumber_ = 0;
  mutable std::optional<std::size_t> runCount_;
};

// OutputPrint::LineNumber and FirstRow over a text alone, for a print read in parts.
std::size_t LineNumberAt(std::string_view text, std::size_t at);
std::size_t FirstRowBelow(std::string_view text, std::size_t heading, std::string_view titleMark);

// OutputPrint::NotWhole, with the engine's own error line (EngineStop) in place of "incomplete"
// where the engine printed one.
std::optional<PrintError> WhyNotWhole(const OutputPrint& print);

}  // namespace varnel
