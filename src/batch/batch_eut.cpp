// The EUT batch analysis: per listed file the cylinder, circle and point values for the
// observation distance given by P, as one numbered row; in split mode the table is also saved in
// blocks of ten rows to desktop files, and the rows after the last full block in one more.
#include <bit>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_run.hpp"
#include "batch/table.hpp"
#include "picture/field_map.hpp"
#include "util/files.hpp"
#include "util/messages.hpp"
#include "util/text.hpp"
#include "util/workers.hpp"

namespace varnel {

namespace {

constexpr int kBlockRows = 10;
constexpr int kSplitPauseMilliseconds = 500;

// Gives RGPol its white "running" background for the lifetime of the guard and the standard
// button face afterwards, also when the command ends early through a failure, so the window
// never keeps showing a run that has ended.
class PolarizationBackground {
 public:
  PolarizationBackground(TForm1& form, bool running) : group_(form.RGPol) {
    if (running) group_.color = "clWhite";
  }
  ~PolarizationBackground() { group_.color = "clBtnFace"; }
  PolarizationBackground(const PolarizationBackground&) = delete;
  PolarizationBackground& operator=(const PolarizationBackground&) = delete;

 private:
  RadioGroup& group_;
};

// What the row of a file depends on besides its text: the polarisation the batch took at its
// start, and P and the separator, which the window's events may change between files.
struct EutSettings {
  int polarization;
  Point3D p;
  char separator;
  bool operator==(const EutSettings& o) const {  // bit for bit, so that NaN equals itself
    const auto same = [](double a, double b) {
      return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    };
    return polarization == o.polarization && same(p.x, o.p.x) && same(p.y, o.p.y) && same(p.z, o.p.z) &&
           separator == o.separator;
  }
};

EutSettings CurrentSettings(const TForm1& form, int polarization) {
  return {polarization, form.params.p, DecimalSeparator.load()};
}

// The readings and values of one file in the order the row takes them: frequency, input power,
// the near-field table, then the cylinder, circle and point values of the distance P. A failure
// ends them; what was read before it is kept.
struct EutValues {
  double frequency = 0, cylinder = 0, circle = 0, point = 0;
  std::optional<double> inputPower;
  std::optional<NearFieldTable> table;
  std::string runLine, partLine;  // which run was read, a table read in part
  bool withoutTable = false;      // the print holds no near-field table
  // The wires of the file, for the field map.
  std::vector<Segment> structure;
  std::exception_ptr failure;
};

// Works on the text alone, so that it can run on any thread.
EutValues AnalyseEutText(const OutputText& text, const EutSettings& settings) {
  EutValues v;
  try {
    const OutputPrint print(text);
    v.frequency = ReadFrequency(print);
    v.inputPower = ReadInputPower(print);
    NearFieldTable table;
    ReadNearField(print, settings.polarization, table);
    v.withoutTable = print.NearField() == OutputPrint::npos;
    v.runLine = RunReadLine(print);
    v.partLine = PartReadLine(table);
    v.table = std::move(table);
    v.structure = StructureOf(print);
    v.cylinder = MaxOnCylinder(*v.table, settings.p.x);
    v.circle = MaxOnCircle(*v.table, settings.p.x, settings.p.z);
    v.point = FieldAtPoint(settings.p, *v.table).value;
  } catch (...) {
    v.failure = std::current_exception();
  }
  return v;
}

// Takes the values of the file into the window: the input power and the table (as the working
// ones), then the row numbered position in Mdata; a failure is rethrown after what came before.
void AddEutRow(TForm1& form, const std::string& name, EutValues values, int polarization, int position) {
  if (values.inputPower) form.params.inputPower = *values.inputPower;
  if (values.table)
    form.params.nearField.Store(std::move(*values.table), polarization, std::move(values.structure));
  if (values.failure) ReadInFile(ListedFilePath(form, name), [&] { std::rethrow_exception(values.failure); });
  NoteReadingLines(form, values.runLine, values.partLine);
  if (values.withoutTable) NoteMissingNearField(form, name);
  TableDataLine row;
  row.Integer(position)
      .General3(values.cylinder)
      .General3(values.circle)
      .General3(values.point)
      .General3(values.frequency)
      .General3(form.params.inputPower);
  AddTableRow(form, row);
  if (row.HasUndefined()) NoteUndefinedRow(form, name);
}

void AddEutRow(TForm1& form, const std::string& name, const OutputText& text, int polarization,
               int position) {
  const EutSettings settings = CurrentSettings(form, polarization);
  AddEutRow(form, name, AnalyseEutText(text, settings), settings.polarization, position);
}

// One listed file on its way through the look-ahead: read on the window's thread (through its
// System), analysed on a worker.
struct EutFile {
  bool exists = false;
  std::exception_ptr readFailure;
  std::string text;
  std::size_t bytes = 0;
  EutSettings settings;
  EutValues values;
  bool done = false;  // set by the worker, under the loop's mutex
};

// The files read ahead of the one whose row comes next: a few per worker, and no more than this
// many bytes (outputs can be large).
constexpr std::size_t kFilesAheadPerWorker = 2;
constexpr std::size_t kMostBytesAhead = std::size_t{256} << 20;

// The loop of ForEachListedFile with the analysis of the files ahead of the current one running
// on the processor's cores (with one core, on this thread as each file is read). Rows, Mout
// lines, warnings and failures come in list order, as the one-file-after-the-other loop gives
// them; a file whose settings the window changed meanwhile is analysed again.
void AnalyseListedEuts(TForm1& form, const TextList& names, int polarization) {
  const std::size_t threads = CoreThreads();
  std::mutex mutex;
  std::condition_variable finished;
  std::deque<std::shared_ptr<EutFile>> ahead;
  std::size_t bytesAhead = 0, next = 0;
  Workers workers(threads > 1 ? threads : 0);  // declared last: joined before the rest goes
  const auto readAhead = [&] {
    while (next < names.size() && ahead.size() < kFilesAheadPerWorker * threads &&
           bytesAhead < kMostBytesAhead) {
      auto file = std::make_shared<EutFile>();
      const std::string& name = names[next++];
      file->settings = CurrentSettings(form, polarization);
      try {
        file->exists = form.platform.system.FileExists(name);
        if (file->exists) file->text = form.platform.system.ReadFile(name);
      } catch (...) {
        file->readFailure = std::current_exception();
      }
      file->bytes = file->text.size();
      bytesAhead += file->bytes;
      ahead.push_back(file);
      if (!file->exists || file->readFailure) {
        file->done = true;
        continue;
      }
      workers.Run([file, &mutex, &finished] {
        try {
          file->text = TextOfFileBytes(std::move(file->text));
          file->values = AnalyseEutText(file->text, file->settings);
        } catch (...) {
          file->values.failure = std::current_exception();
        }
        {
          std::lock_guard<std::mutex> lock(mutex);
          file->done = true;
        }
        finished.notify_all();
      });
    }
  };
  for (std::size_t i = 0; i < names.size(); ++i) {
    readAhead();
    const std::string& name = names[i];
    form.FileProgress(i, names.size());
    form.ProcessPendingEvents();
    AddLine(form.Mout, "Load: " + name);
    const std::shared_ptr<EutFile> file = ahead.front();
    ahead.pop_front();
    {
      std::unique_lock<std::mutex> lock(mutex);
      finished.wait(lock, [&file] { return file->done; });
    }
    bytesAhead -= file->bytes;
    if (file->readFailure) std::rethrow_exception(file->readFailure);
    if (!file->exists) {
      NoteMissingFile(form, name);
      continue;
    }
    const EutSettings now = CurrentSettings(form, polarization);
    if (!(file->settings == now)) file->values = AnalyseEutText(file->text, now);
    AddEutRow(form, name, std::move(file->values), now.polarization, static_cast<int>(i) + 1);
    ScrollToTop(form.Mout);
  }
}

// DesktopFolder() ends in '\', so the name holds a doubled separator, which paths read as one.
std::string BlockFileName(System& system, int block) {
  return DesktopFolder(system) + "\\add\\Test" + PadLeft(std::to_string(block), 4, '0') + ".txt";
}

}  // namespace

void TForm1::MIAnalyseEUTsClick() {
  const std::optional<TextList> list = BeginBatch(*this, "--------------- Analyse Files ----------------");
  if (!list) return;
  const TextList& names = *list;
  const bool splitMode = params.SplitMode;
  const BatchChoice polarization(*this, RGPol);
  AddLine(Mdata, "");
  AddTableHeadings(*this, {"Numb ", " Cyl.  ", "  Cir  ", " Point ", "  Freq ", "  Pwr  "},
                   {"     ", "       ", "       ", "       ", "       ", "       "});

  PolarizationBackground background(*this, splitMode);
  const int count = static_cast<int>(names.size());
  if (splitMode) {
    ProcessPendingEvents();
    for (int i = 0; i < count; ++i) {
      const std::string& name = names[i];
      FileProgress(static_cast<std::size_t>(i), names.size());
      AddLine(Mout, "Load: " + name);
      const std::string text = LoadLinesText(platform.system, name);
      AddLine(Mout, "Done.");
      AddEutRow(*this, name, text, polarization.item, i + 1);
      ScrollToTop(Mout);
      ProcessPendingEvents();
      platform.ui.Pause(kSplitPauseMilliseconds);
      if ((i + 1) % kBlockRows == 0) {
        WriteTextFile(platform.system, PaneText(Mdata), BlockFileName(platform.system, i / kBlockRows));
        ClearTableRows(*this);
      }
    }
    // The rows after the last full block go into one more block file, so that every row of
    // the run reaches a file; they also stay in Mdata.
    if (count % kBlockRows != 0)
      WriteTextFile(platform.system, PaneText(Mdata), BlockFileName(platform.system, count / kBlockRows));
  } else {
    AnalyseListedEuts(*this, names, polarization.item);
  }
}

}  // namespace varnel
