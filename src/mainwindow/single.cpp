// Single-file loading and analysis: Load and Load Dipol put a file's text into currentText
// and pane M; Analyse Main and Analyse Nearfield read whatever currentText holds.
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "mainwindow/VarnelU.hpp"
#include "mainwindow/analysis_notes.hpp"
#include "picture/field_map.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/tree.hpp"
#include "util/workers.hpp"

namespace varnel {

namespace {

// The text of the searched maximum, or why there is none: the searches return NaN when no
// grid point meets their condition.
std::string NoGridPointText() { return FormatReal("no grid point within %1.1f m", MatchTolerance); }

// " V/m" for an electric table, " A/m" otherwise, looked up for the line about to be written.
std::string UnitSuffix(const NearFieldTable& table) { return table.IsElectric() ? " V/m" : " A/m"; }

// The name messages give the current text.
std::string CurrentTextName(const WorkingParameters& params) {
  return params.currentName.empty() ? "The current text" : params.currentName;
}

// A print the engine did not finish is still read, as far as it goes, but the Info pane says
// so (with the engine's error line where it printed one): its values may be those of a table
// cut short.
void NoteIncompletePrint(TForm1& form, const OutputPrint& print) {
  const std::optional<PrintError> problem = WhyNotWhole(print);
  if (problem && (problem->fault == PrintFault::Incomplete || problem->fault == PrintFault::EngineError))
    AddLine(form.Mout, problem->InFile(CurrentTextName(form.params)).what());
}

void AddLines(Pane& pane, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) AddLine(pane, line);
}

void AddLines(Pane& pane, const std::vector<PrintError>& problems, const std::string& file) {
  for (const PrintError& problem : problems) AddLine(pane, problem.InFile(file).what());
}

// Puts the file's text into currentText and shows it in M. A missing file has already been
// reported by ReadTextFile; the text is then empty and the load is still logged.
void ShowLoadedText(TForm1& form, const std::string& path) {
  form.params.currentText.clear();
  std::string text;
  ReadTextFile(form.platform, path, text);
  form.params.currentText = std::move(text);
  form.params.currentName = path;
  ClearPane(form.M);
  AddSharedLines(form.M, form.params.currentText);
  ScrollToTop(form.M);
  form.M.hint = "Showing: " + path;
  AddLine(form.Mout, "FileLoaded: " + path);
}

}  // namespace

// Reset comes once the dialog has an answer: a cancelled Load leaves the panes and fields as
// they were.
void TForm1::Load1Click() {
  const FileDialogSpec spec{.title = "Load to Analyse Single File",
                            .initialFolder = kOutputFolder,
                            .filter = "All(*.*)|*.*|4nec2 (*.out)|*.out",
                            .filterIndex = 2,
                            .fileName = "dipol.out"};
  std::optional<std::string> path = platform.ui.OpenFileDialog(spec);
  if (!path) return;
  Reset();
  ShowLoadedText(*this, *path);
}

void TForm1::LoadDipol1Click() {
  Reset();
  ShowLoadedText(*this, kDipolOutput);
}

void TForm1::AnalyseMain1Click() {
  // Every read comes first, so a reader failure leaves the fields and Mout as they were. The
  // segment's current alone may be missing (a PT card, an unreadable table): the other values
  // are shown, and the Info pane says why the current is not.
  const OutputPrint print(params.currentText.str());
  const std::string name = CurrentTextName(params);
  double frequency = 0, segmentCurrent = 0;
  AntennaInput ai;
  PowerBudget budget;
  std::optional<PrintError> noCurrent;
  ReadInFile(name, [&] {
    frequency = ReadFrequency(print);
    budget = ReadPowerBudget(print);
    params.inputPower = budget.input;
    ai = ReadAntennaInput(print);
    try {
      segmentCurrent = ReadSegmentCurrent(print, params.AnalyseSegment);
      noCurrent = SegmentCurrentAbsence(print, params.AnalyseSegment);
    } catch (const PrintError& unreadable) {
      noCurrent = unreadable;
    }
  });

  // The table holds the peak current; the power into the resistance needs the RMS value.
  double rms = segmentCurrent / std::sqrt(2.0);
  double received = rms * rms * params.AnalysingResistance;

  EditFrequency.text = FrequencyText(frequency);
  EditInputPower.text = FormatReal("%3.1g W", params.inputPower);
  EditVoltage.text = Format("%3.1g%s%3.1gj V", {ai.voltageRe, SignText(ai.voltageIm), ai.voltageIm});
  EditCurrent.text = Format("%3.1g%s%3.1gj A", {ai.currentRe, SignText(ai.currentIm), ai.currentIm});
  EditImpedance.text =
      Format("%3.1g%s%3.1gj Ohm", {ai.impedanceRe, SignText(ai.impedanceIm), ai.impedanceIm});
  EditPower.text = FormatReal("%4.3g mW", 1000.0 * ai.power);

  NoteIncompletePrint(*this, print);
  if (budget.Impossible()) AddLine(Mout, ImpossibleBudgetLine(name, budget));
  if (const std::string run = RunReadLine(print); !run.empty()) AddLine(Mout, run);
  AddLines(Mout, AbsentSections(print, {PrintSection::InputPower, PrintSection::Feed}), name);
  if (noCurrent) {
    AddLine(Mout, noCurrent->InFile(name).what());
  } else {
    AddLine(Mout, Format("Seg.-Current (%1d): %4.1g A", {params.AnalyseSegment, segmentCurrent}));
    AddLine(Mout, FormatReal("Power Received: %4.3g mW", 1000.0 * received));
  }
  AddLine(Mout, "------ out-File analysed (See also BasicData) ------");
}

void TForm1::AnalyseNearfield1Click() {
  NoteForStatus(ChoiceText(RGPol, RGPol.itemIndex));
  ClearPane(Mout);
  AddLine(Mout, "------------------- Field ----------------------");

  // The window takes the table over only once the reader has returned normally.
  const OutputPrint print(params.currentText.str());
  const std::string name = CurrentTextName(params);
  NearFieldTable read;
  ReadInFile(name, [&] { ReadNearField(print, RGPol.itemIndex, read); });
  params.nearField.Store(std::move(read), RGPol.itemIndex, StructureOf(print),
                         {params.currentName, FrequencyOrNaN(print)});
  const NearFieldTable& table = params.nearField.table;
  NoteIncompletePrint(*this, print);

  // Without a single grid point there is no maximum, no grid and nothing to search: say so
  // and stop. The fields go back to their no-table texts (the grid empty as after Reset, the
  // type "----" as at start), so no grid of an earlier text stays on show.
  if (table.value.empty()) {
    params.nearField.maximum = std::nan("");
    params.nearField.extent.fill(std::nan(""));
    for (DisplayField* field : GridFields()) field->text.clear();
    EditType.text = "----";
    AddLine(Mout, "No near-field table found in the current text.");
    ScrollToTop(Mout);
    return;
  }

  // The maximum, the grid and the searches only read the table: they run at once.
  const Point3D& p = params.p;
  const Point2D& a = params.a;
  double maximum = 0, onZLine = 0, inPlane = 0;
  GridExtent g{};
  FieldAtPointResult atP{};
  RunAtOnce({[&] { g = GridExtentOf(table); },
             [&] {
               maximum = OverallMaximum(table);
               atP = FieldAtPoint(p, table);
               onZLine = MaxOnZLine(a, table, params.maxHeight);
               inPlane = MaxInXZPlane(table, params.py);
             }},
            table.value.size() >= kPointsWorthCores);

  params.nearField.maximum = maximum;
  AddLine(Mout, FormatReal("Maximum: %7.2f V/m", maximum));
  params.nearField.extent = g;

  AddLine(Mout, FormatInt("Number of Points: %1d", static_cast<std::int64_t>(table.value.size())));
  if (const std::string part = PartReadLine(table); !part.empty()) {
    AddLine(Mout, part);
    NoteForStatus(part);
  }
  if (const std::string run = RunReadLine(print); !run.empty()) AddLine(Mout, run);
  AddLines(Mout, NearFieldNotes(table, RGPol.itemIndex, name));
  AddLine(Mout, Format("Field Type: %1s", {table.fieldType}));
  AddLine(Mout, Format("X-Interval: %5.2f -> %5.2f   Step: %3.2f", {g[0], g[1], g[2]}));
  AddLine(Mout, Format("Y-Interval: %5.2f -> %5.2f   Step: %3.2f", {g[3], g[4], g[5]}));
  AddLine(Mout, Format("Z-Interval: %5.2f -> %5.2f   Step: %3.2f", {g[6], g[7], g[8]}));

  ShowGrid(g, table.fieldType);

  std::string pointHead = Format("P(%4.1f|%4.1f|%4.1f) ", {p.x, p.y, p.z});
  if (std::isnan(atP.value))
    AddLine(Mout, pointHead + ": no grid point found");
  else
    AddLine(Mout, pointHead + Format("[eps: %3.2f] : %9.3g", {atP.eps, atP.value}) + UnitSuffix(table));
  if (const std::string far = FarGridPointLine(p, atP, g); !far.empty()) AddLine(Mout, far);

  std::string zLineHead = Format("Max. par. Z-AxisP thru (%4.1f|%4.1f) : ", {a.x, a.y});
  if (std::isnan(onZLine))
    AddLine(Mout, zLineHead + NoGridPointText() + FormatReal(" below maxHeight %1.1f m", params.maxHeight));
  else
    AddLine(Mout, zLineHead + FormatReal("%9.3g", onZLine) + UnitSuffix(table));

  std::string planeHead = FormatReal("Max. in xz-Plane at y=%1.0f : ", params.py);
  if (std::isnan(inPlane))
    AddLine(Mout, planeHead + NoGridPointText());
  else
    AddLine(Mout, planeHead + FormatReal("%9.3g", inPlane) + UnitSuffix(table));

  ScrollToTop(Mout);
  AddLine(Mout, "--------------- Near Field analysed------------------");
}

}  // namespace varnel
