#include "batch/batch_run.hpp"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>

#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/text.hpp"
#include "util/workers.hpp"

namespace varnel {

std::string LoadLinesText(System& system, const std::string& name) {
  const std::string bytes = system.ReadFile(name);
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 32 + 2);
  std::size_t lineStart = 0;
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while (i < size) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    text.append(bytes, lineStart, i - lineStart);
    text += "\r\n";
    i += (c == '\r' && i + 1 < size && bytes[i + 1] == '\n') ? 2 : 1;
    lineStart = i;
  }
  if (lineStart < size) {
    text.append(bytes, lineStart, size - lineStart);
    text += "\r\n";
  }
  return text;
}

std::string ListedFilePath(const TForm1& form, const std::string& name) {
  return form.params.BatchFolder.empty() ? name : IncludeBackslash(form.params.BatchFolder) + name;
}

void NoteReadingLines(TForm1& form, const std::string& runLine, const std::string& partLine,
                      const std::vector<std::string>& notes) {
  if (!runLine.empty()) AddLine(form.Mout, runLine);
  if (!partLine.empty()) {
    AddLine(form.Mout, partLine);
    // The status bar says it once for the whole batch; the Info pane names each file.
    const std::string note = FormatInt("tables of more than %d points read in part", MaxNearFieldRows);
    if (form.progress.note.find(note) == std::string::npos) form.NoteForStatus(note);
  }
  for (const std::string& line : notes) AddLine(form.Mout, line);
}

std::vector<std::string> AbsentLines(const TForm1& form, const std::string& name,
                                     const std::vector<PrintError>& absent) {
  std::vector<std::string> lines;
  for (const PrintError& problem : absent) lines.push_back(problem.InFile(ListedFilePath(form, name)).what());
  return lines;
}

void NoteMissingNearField(TForm1& form, const std::string& name) {
  AddLine(form.Mout, OutputPrint::Missing(PrintSection::NearField).InFile(ListedFilePath(form, name)).what());
}

void NoteUndefinedRow(TForm1& form, const std::string& name) {
  AddLine(form.Mout, "Undefined value in " + name + ": written as NAN");
}

void TakeListedFile(TForm1& form, ListedFile& file) {
  form.params.currentText = std::move(file.text);
  form.params.currentName = ListedFilePath(form, file.name);
  ClearPane(form.M);
  AddSharedLines(form.M, form.params.currentText);
  ScrollToTop(form.M);
  form.M.hint = "Showing: " + file.name;
}

namespace {

bool IsDeckName(const std::string& name) {
  return name.size() >= 4 && EqualNoCase(std::string_view(name).substr(name.size() - 4), ".nec");
}

}  // namespace

std::optional<TextList> BeginBatch(TForm1& form, const std::string& title, const std::string& addCommand) {
  const TextList& names = form.params.BatchFiles;
  if (names.empty()) {
    ShowWarning(form.platform.ui, kNoBatchFolderWarning);
    return std::nullopt;
  }
  if (std::all_of(names.begin(), names.end(), IsDeckName)) {
    ShowWarning(form.platform.ui, "The batch list holds decks (*.nec): use " + addCommand +
                                      " on the output folder first. Abort command!");
    return std::nullopt;
  }
  form.KeepUnsavedTable();
  ClearPane(form.Mout);
  ClearPane(form.Mdata);
  form.MdataValues = TableValues{};
  AddLine(form.Mout, title);
  return form.params.BatchFiles;
}

BatchChoice::BatchChoice(TForm1& form, RadioGroup& group)
    : item(group.itemIndex), group_(group), wasHeld_(group.held) {
  group.held = true;
  form.NoteForStatus(ChoiceText(group, item));
  form.MdataValues.notes.push_back(PictureChoiceText(group, item));
}

void AddTableHeadings(TForm1& form, std::initializer_list<std::string_view> names,
                      std::initializer_list<std::string_view> units) {
  TableValues& kept = form.MdataValues;
  kept.headings = {TableHeadingLine(names), TableHeadingLine(units)};
  for (const std::string& line : kept.headings) AddLine(form.Mdata, line);
  kept.written = form.Mdata.revision;
}

// Once Mdata has been changed by someone else (an edit handed back while the batch let the
// window's events in), the kept numbers no longer stand for it, also after later rows.
void AddTableRow(TForm1& form, const TableDataLine& row, bool impossibleBudget) {
  TableValues& kept = form.MdataValues;
  const bool describes = kept.Describes(form.Mdata);
  AddLine(form.Mdata, row.Text());
  kept.rows.push_back(row.Values());
  kept.impossibleBudget.push_back(impossibleBudget);
  if (describes) kept.written = form.Mdata.revision;
}

void ClearTableRows(TForm1& form) {
  TableValues& kept = form.MdataValues;
  const bool describes = kept.Describes(form.Mdata);
  ClearPane(form.Mdata);
  kept.rows.clear();
  kept.impossibleBudget.clear();
  if (describes) kept.written = form.Mdata.revision;
}

void RequireWholePrint(const OutputPrint& print) {
  if (std::optional<PrintError> problem = WhyNotWhole(print)) throw *problem;
}

BatchCourse::BatchCourse(TForm1& form, std::string caption, std::size_t files)
    : form_(form), caption_(std::move(caption)), files_(files), skip_(form.params.SkipUnreadableFiles) {}

namespace {

// The failure of one file's step as the batch reports it: named by the file, and, for the
// summary, why in a few words.
struct FileFailure {
  std::exception_ptr named;
  std::string message, reason;
};

FileFailure NameFailure(const std::string& path) {
  try {
    throw;
  } catch (const PrintError& e) {
    const PrintError named = e.InFile(path);
    const char* reason = e.fault == PrintFault::Incomplete      ? "incomplete output"
                         : e.fault == PrintFault::UnknownEngine ? "not a NEC2 print"
                         : e.fault == PrintFault::EngineError   ? "engine error"
                                                                : "not readable";
    return {std::make_exception_ptr(named), named.what(), reason};
  } catch (const InOutError& e) {
    const InOutError named(path + ": " + e.what(), e.code);
    return {std::make_exception_ptr(named), named.what(), e.code == 2 ? "file not found" : e.what()};
  } catch (const ConversionError& e) {
    const ConversionError named(path + ": " + e.what());
    return {std::make_exception_ptr(named), named.what(), "not readable"};
  } catch (const VarnelError& e) {
    // A failure of the arithmetic (an input power of 0) keeps its kind and message.
    return {std::current_exception(), path + ": " + e.what(), e.what()};
  }
}

}  // namespace

void BatchCourse::File(const std::string& name, const std::function<void()>& step) {
  try {
    step();
  } catch (const VarnelError&) {
    const FileFailure failure = NameFailure(ListedFilePath(form_, name));
    if (!skip_) std::rethrow_exception(failure.named);
    AddLine(form_.Mout, "Skipped: " + failure.message);
    skipped_.push_back({name, failure.reason});
    ++done_;
    return;
  }
  ++rows_;
  ++done_;
}

void BatchCourse::Missing(const std::string& name) {
  if (!skip_) ShowMissingFileWarning(form_.platform.ui, name);
  AddLine(form_.Mout, "Skipped (file not found): " + name);
  skipped_.push_back({name, "file not found"});
  ++done_;
}

bool BatchCourse::Run(const std::function<void()>& loop) {
  bool whole = true;
  try {
    loop();
  } catch (const CommandStopped&) {
    whole = false;
  }
  if (skip_) AddLine(form_.Mout, SummaryLine());
  if (!whole)
    AddLine(form_.Mout, "--------- " + caption_ + " stopped: " + std::to_string(done_) + " of " +
                            std::to_string(files_) + " files analysed ---------");
  return whole;
}

std::string BatchCourse::SummaryLine() const {
  constexpr std::size_t kNamesShown = 10;
  std::string line = std::to_string(rows_) + (rows_ == 1 ? " row; " : " rows; ");
  if (skipped_.empty()) return line + "no files skipped";
  line += std::to_string(skipped_.size()) + (skipped_.size() == 1 ? " file skipped: " : " files skipped: ");
  for (std::size_t i = 0; i < skipped_.size() && i < kNamesShown; ++i)
    line += (i ? ", " : "") + skipped_[i].name + " (" + skipped_[i].reason + ")";
  if (skipped_.size() > kNamesShown)
    line += " and " + std::to_string(skipped_.size() - kNamesShown) + " more";
  return line;
}

namespace {

// The files read ahead of the one whose turn comes next: a few per worker, and no more than this
// many bytes (outputs can be large).
constexpr std::size_t kFilesAheadPerWorker = 2;
constexpr std::size_t kMostBytesAhead = std::size_t{256} << 20;

// One listed file on its way through the read-ahead: read on the window's thread (through its
// System), worked on by a worker.
struct FileAhead {
  bool exists = false;
  std::exception_ptr failure;  // of its read or of its text
  std::string text;
  std::size_t bytes = 0;
  AheadStep step;
  std::unique_ptr<AheadWork> work;
  bool done = false;  // set by the worker, under the read-ahead's mutex
};

class ReadAheadQueue {
 public:
  ReadAheadQueue(System& system, const TextList& names, const std::function<AheadStep()>& makeStep)
      : system_(system),
        names_(names),
        makeStep_(makeStep),
        threads_(CoreThreads()),
        workers_(threads_ > 1 ? threads_ : 0) {}

  // The next file, once its work is done; the files after it are read and started meanwhile.
  std::shared_ptr<FileAhead> Take() {
    Fill();
    const std::shared_ptr<FileAhead> file = ahead_.front();
    ahead_.pop_front();
    {
      std::unique_lock<std::mutex> lock(mutex_);
      finished_.wait(lock, [&file] { return file->done; });
    }
    bytesAhead_ -= file->bytes;
    return file;
  }

  void Fill() {
    while (next_ < names_.size() && ahead_.size() < kFilesAheadPerWorker * threads_ &&
           bytesAhead_ < kMostBytesAhead) {
      auto file = std::make_shared<FileAhead>();
      const std::string& name = names_[next_++];
      try {
        file->exists = system_.FileExists(name);
        if (file->exists) file->text = system_.ReadFile(name);
      } catch (...) {
        file->failure = std::current_exception();
      }
      file->bytes = file->text.size();
      bytesAhead_ += file->bytes;
      ahead_.push_back(file);
      if (!file->exists || file->failure) {
        file->done = true;
        continue;
      }
      file->step = makeStep_();
      workers_.Run([file, this] {
        try {
          file->text = TextOfFileBytes(std::move(file->text));
          file->work = file->step(file->text);
        } catch (...) {
          file->failure = std::current_exception();
        }
        {
          std::lock_guard<std::mutex> lock(mutex_);
          file->done = true;
        }
        finished_.notify_all();
      });
    }
  }

 private:
  System& system_;
  const TextList& names_;
  const std::function<AheadStep()>& makeStep_;
  const std::size_t threads_;
  std::mutex mutex_;
  std::condition_variable finished_;
  std::deque<std::shared_ptr<FileAhead>> ahead_;
  std::size_t bytesAhead_ = 0, next_ = 0;
  Workers workers_;  // declared last: joined before the rest goes
};

}  // namespace

void ForEachListedFile(TForm1& form, BatchCourse& course, const TextList& names, const BatchStep& analyse,
                       const ListedFileWalk& walk) {
  std::optional<ReadAheadQueue> queue;
  if (walk.readAhead) queue.emplace(form.platform.system, names, walk.readAhead);
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (queue) queue->Fill();
    form.FileProgress(i, names.size());
    if (walk.eventsBeforeFile) form.ProcessPendingEvents();
    AddLine(form.Mout, "Load: " + name);
    std::shared_ptr<FileAhead> file = queue ? queue->Take() : nullptr;
    const bool exists = file                    ? file->exists || file->failure
                        : walk.missingIsSkipped ? form.platform.system.FileExists(name)
                                                : true;
    if (!exists) {
      course.Missing(name);
    } else {
      course.File(name, [&] {
        text.clear();
        ListedFile listed{i, name, text, nullptr};
        if (file) {
          if (file->failure) std::rethrow_exception(file->failure);
          text = std::move(file->text);
          listed.ahead = std::move(file->work);
        } else {
          text = walk.read ? walk.read(form.platform.system, name)
                           : TextOfFileBytes(form.platform.system.ReadFile(name));
        }
        analyse(listed);
      });
      ScrollToTop(form.Mout);
    }
    if (walk.afterFile) walk.afterFile(i);
  }
}

}  // namespace varnel
