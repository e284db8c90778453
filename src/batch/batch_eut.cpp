// The EUT batch analysis: per listed file the cylinder, circle and point values for the
// observation distance given by P, as one numbered row; in split mode the table is also saved in
// blocks of ten rows to desktop files, and the rows after the last full block in one more.
#include <bit>
#include <cmath>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_run.hpp"
#include "batch/table.hpp"
#include "mainwindow/analysis_notes.hpp"
#include "picture/field_map.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/messages.hpp"
#include "util/text.hpp"
#include "util/tree.hpp"

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
  std::optional<PowerBudget> budget;
  std::string farPoint;  // FarGridPointLine of P
  std::optional<NearFieldTable> table;
  std::string runLine, partLine;   // which run was read, a table read in part
  std::vector<PrintError> absent;  // the input power, the near-field table
  // The wires of the file, for the field map.
  std::vector<Segment> structure;
  std::exception_ptr failure;
};

// Works on the text alone, so that it can run on any thread.
EutValues AnalyseEutText(const OutputText& text, const EutSettings& settings) {
  EutValues v;
  try {
    const OutputPrint print(text);
    RequireWholePrint(print);
    v.frequency = ReadFrequency(print);
    v.budget = ReadPowerBudget(print);
    NearFieldTable table;
    ReadNearField(print, settings.polarization, table);
    v.absent = AbsentSections(print, {PrintSection::NearField, PrintSection::InputPower});
    v.runLine = RunReadLine(print);
    v.partLine = PartReadLine(table);
    v.table = std::move(table);
    v.structure = StructureOf(print);
    v.cylinder = MaxOnCylinder(*v.table, settings.p.x);
    v.circle = MaxOnCircle(*v.table, settings.p.x, settings.p.z);
    const FieldAtPointResult atP = FieldAtPoint(settings.p, *v.table);
    v.point = atP.value;
    // The grid's steps only matter where P is not on a grid point.
    if (atP.eps > 1e-3) v.farPoint = FarGridPointLine(settings.p, atP, GridExtentOf(*v.table));
  } catch (...) {
    v.failure = std::current_exception();
  }
  return v;
}

// What Analyse EUTs says once, and what it counts, over its run.
struct EutNotes {
  SaidOnce said;
  std::size_t rows = 0, impossible = 0;
};
enum : int { kFarPoint, kNoCylinder, kNoCircle };

// Takes the values of the file into the window: the input power and the table (as the working
// ones), then the row numbered position in Mdata; a failure is rethrown after what came before.
void AddEutRow(TForm1& form, const std::string& name, EutValues values, int polarization, std::int64_t number,
               const Point3D& p, EutNotes& notes) {
  if (values.budget) form.params.inputPower = values.budget->input;
  if (values.table)
    form.params.nearField.Store(std::move(*values.table), polarization, std::move(values.structure),
                                {ListedFilePath(form, name), values.frequency});
  if (values.failure) ReadInFile(ListedFilePath(form, name), [&] { std::rethrow_exception(values.failure); });
  std::vector<std::string> lines = AbsentLines(form, name, values.absent);
  for (std::string& note :
       NearFieldNotes(form.params.nearField.table, polarization, ListedFilePath(form, name)))
    lines.push_back(std::move(note));
  NoteReadingLines(form, values.runLine, values.partLine, lines);
  const bool impossible = values.budget->Impossible();
  if (impossible) AddLine(form.Mout, ImpossibleBudgetLine(name, *values.budget));
  if (!values.farPoint.empty() && notes.said.First(kFarPoint)) AddLine(form.Mout, values.farPoint);
  TableDataLine row;
  row.Integer(number)
      .General3(values.cylinder)
      .General3(values.circle)
      .General3(values.point)
      .General3(values.frequency)
      .General3(form.params.inputPower);
  AddTableRow(form, row, impossible);
  ++notes.rows;
  notes.impossible += impossible;
  if (row.HasUndefined()) NoteUndefinedRow(form, name);
  const NearFieldTable& table = form.params.nearField.table;
  if (table.value.empty()) return;
  if (std::isnan(values.cylinder) && notes.said.First(kNoCylinder))
    AddLine(form.Mout, NoCylinderLine(table, p.x));
  if (std::isnan(values.circle) && notes.said.First(kNoCircle))
    AddLine(form.Mout, NoCircleLine(table, p.x, p.z));
}

// The analysis of a file made ahead of its row, with the settings it was made for.
struct EutAhead : AheadWork {
  EutSettings settings;
  EutValues values;
};

// A test object's output is named as its deck: the set's name, then the frequency's position and
// the object's number, both counted from 0 ("E_002_010.out": the third frequency, the eleventh
// object).
struct EutName {
  std::string set;
  std::int64_t frequency = 0, object = 0;
};

// A run of 1 to 6 digits (longer ones are no position a set can have).
std::optional<std::int64_t> SmallNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  return std::stoll(std::string(digits));
}

// setName: the set's name as the output folder carries it, so that a name ending in digits is
// told from the frequency's position ("E1" + "000"); other names are split before the digits.
std::optional<EutName> ParseEutName(std::string_view name, std::string_view setName) {
  if (name.size() < 4 || !EqualNoCase(name.substr(name.size() - 4), ".out")) return std::nullopt;
  const std::string_view stem = name.substr(0, name.size() - 4);
  const std::size_t mark = stem.rfind('_');
  if (mark == std::string_view::npos) return std::nullopt;
  const std::optional<std::int64_t> object = SmallNumber(stem.substr(mark + 1));
  if (!object) return std::nullopt;
  const std::string_view before = stem.substr(0, mark);
  std::size_t split = before.find_last_not_of("0123456789") + 1;  // 0 when all are digits
  if (!setName.empty() && before.size() > setName.size() &&
      EqualNoCase(before.substr(0, setName.size()), setName))
    split = setName.size();
  const std::optional<std::int64_t> frequency = SmallNumber(before.substr(split));
  if (!frequency) return std::nullopt;
  return EutName{std::string(before.substr(0, split)), *frequency, *object};
}

// The set's name: the output folder's last name, as Batch Conversion names it after the deck
// folder.
std::string SetNameOf(std::string folder) {
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  const std::size_t slash = folder.find_last_of("\\/:");
  return slash == std::string::npos ? folder : folder.substr(slash + 1);
}

// How many test objects the set of that name was generated with, as the summary Generate EUTs
// wrote beside its decks (c:\4nec2\b_in\<set>\<set>.txt, "Number of EUTs....: 12"); 0 when
// there is no such summary.
std::int64_t GeneratedObjects(System& system, const std::string& setName) {
  const std::string summary = kDeckParent + setName + "\\" + setName + ".txt";
  if (setName.empty() || !system.FileExists(summary)) return 0;
  std::string text;
  try {
    text = system.ReadFile(summary);
  } catch (const InOutError&) {
    return 0;
  }
  const std::size_t label = text.find("Number of EUTs");
  const std::size_t colon = label == std::string::npos ? label : text.find(':', label);
  if (colon == std::string::npos) return 0;
  const std::size_t digits = text.find_first_not_of(' ', colon + 1);
  const std::size_t end = digits == std::string::npos ? digits : text.find_first_not_of("0123456789", digits);
  return digits == std::string::npos ? 0 : SmallNumber(text.substr(digits, end - digits)).value_or(0);
}

// The row number of each listed file: the place its name has in the whole set listed frequency
// by frequency, counted from 1 (position * objects + object + 1). objects is the number the set
// was generated with (its summary), and never less than one more than the highest object number
// listed; so a whole set listed by name gets 1..n as the list positions, and a file keeps its
// number when the output of another is missing, the highest object's included. A name of
// another form carries no number: its row keeps the old counting, its place in the list from 1.
std::vector<std::int64_t> RowNumbers(System& system, const TextList& names, const std::string& batchFolder) {
  const std::string setName = SetNameOf(batchFolder);
  std::vector<std::optional<EutName>> parsed;
  std::map<std::string, std::int64_t> objects;  // per set
  objects[setName] = GeneratedObjects(system, setName);
  for (const std::string& name : names) {
    parsed.push_back(ParseEutName(name, setName));
    if (const std::optional<EutName>& eut = parsed.back()) {
      std::int64_t& count = objects[eut->set];
      count = std::max(count, eut->object + 1);
    }
  }
  std::vector<std::int64_t> numbers;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::optional<EutName>& eut = parsed[i];
    numbers.push_back(eut ? eut->frequency * objects[eut->set] + eut->object + 1
                          : static_cast<std::int64_t>(i) + 1);
  }
  return numbers;
}

// DesktopFolder() ends in '\', so the name holds a doubled separator, which paths read as one.
std::string BlockFileName(System& system, int block) {
  return DesktopFolder(system) + "\\add\\Test" + PadLeft(std::to_string(block), 4, '0') + ".txt";
}

// The block file's name as a message shows it: the doubled separator as one.
std::string ShownBlockName(std::string name) {
  for (std::size_t at; (at = name.find("\\\\")) != std::string::npos;) name.erase(at, 1);
  return name;
}

// Split mode writes its blocks into the desktop's "add" folder: without it the command ends
// before it touches the panes, with a box that names the first block file.
bool BlockFolderReady(Platform platform) {
  const std::string first = BlockFileName(platform.system, 0);
  const std::string folder = first.substr(0, first.rfind('\\'));
  if (platform.system.FolderExists(folder)) return true;
  ShowError(platform.ui, "The block file " + ShownBlockName(first) + " cannot be written: the folder " +
                             ShownBlockName(folder) + " does not exist. Abort command!");
  return false;
}

// Writes a block file; a failure names it ("Datei nicht gefunden: c:\...\Test0000.txt").
void WriteBlockFile(System& system, const std::string& text, int block) {
  const std::string name = BlockFileName(system, block);
  try {
    WriteTextFileSafely(system, text, name);
  } catch (const InOutError& failure) {
    const std::string message = failure.what();
    if (message.find(ShownBlockName(name)) != std::string::npos) throw;
    throw InOutError(message + ": " + ShownBlockName(name), failure.code);
  }
}

}  // namespace

void TForm1::MIAnalyseEUTsClick() {
  if (params.SplitMode && !params.BatchFiles.empty() && !BlockFolderReady(platform)) return;
  const std::optional<TextList> list =
      BeginBatch(*this, "--------------- Analyse Files ----------------", "Add EUTs");
  if (!list) return;
  const TextList& names = *list;
  const std::vector<std::int64_t> numbers = RowNumbers(platform.system, names, params.BatchFolder);
  const bool splitMode = params.SplitMode;
  const BatchChoice polarization(*this, RGPol);
  AddLine(Mdata, "");
  AddTableHeadings(*this, {"Numb ", " Cyl.  ", "  Cir  ", " Point ", "  Freq ", "  Pwr  "},
                   {"     ", "       ", "       ", "       ", "       ", "       "});

  PolarizationBackground background(*this, splitMode);
  BatchCourse course(*this, "Analyse EUTs", names.size());
  EutNotes notes;
  int block = 0, rowsInBlock = 0;
  // Block files are written beside their place and then put there, so a write that fails
  // part-way (a full disk) leaves an existing block file as it was.
  const auto writeBlock = [&] { WriteBlockFile(platform.system, PaneText(Mdata), block); };
  ListedFileWalk walk;
  if (splitMode) {
    walk.read = LoadLinesText;
    walk.missingIsSkipped = false;
    walk.eventsBeforeFile = false;
    walk.afterFile = [&](std::size_t) {
      ProcessPendingEvents();
      platform.ui.Pause(kSplitPauseMilliseconds);
      if (rowsInBlock < kBlockRows) return;
      writeBlock();
      ClearTableRows(*this);
      ++block;
      rowsInBlock = 0;
    };
  } else {
    // The files ahead are analysed on the processor's cores with the settings of their reading;
    // a file whose settings the window changed meanwhile is analysed again at its row.
    walk.readAhead = [&]() -> AheadStep {
      const EutSettings settings = CurrentSettings(*this, polarization.item);
      return [settings](const std::string& text) {
        auto ahead = std::make_unique<EutAhead>();
        ahead->settings = settings;
        ahead->values = AnalyseEutText(text, settings);
        return std::unique_ptr<AheadWork>(std::move(ahead));
      };
    };
  }
  course.Run([&] {
    if (splitMode) ProcessPendingEvents();
    ForEachListedFile(
        *this, course, names,
        [&](ListedFile& file) {
          if (splitMode) AddLine(Mout, "Done.");
          const EutSettings now = CurrentSettings(*this, polarization.item);
          auto* ahead = dynamic_cast<EutAhead*>(file.ahead.get());
          EutValues values =
              ahead && ahead->settings == now ? std::move(ahead->values) : AnalyseEutText(file.text, now);
          AddEutRow(*this, file.name, std::move(values), now.polarization, numbers[file.index], now.p, notes);
          ++rowsInBlock;
        },
        walk);
  });
  if (notes.impossible > 0)
    AddLine(Mout, std::to_string(notes.impossible) + " of " + std::to_string(notes.rows) +
                      (notes.rows == 1 ? " row has" : " rows have") +
                      " an impossible power budget (input or radiated power at or below 0)");
  // The rows after the last full block (also those of a stopped run) go into one more block
  // file, so that every row of the run reaches a file; they also stay in Mdata.
  if (splitMode && rowsInBlock > 0) writeBlock();
}

}  // namespace varnel
