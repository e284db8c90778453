// The batch near-field analysis: per listed file the five geometries, restated for
// normalizePower, and one row of the geometry RGMode selects.
#include <cmath>

#include "batch/batch_run.hpp"
#include "batch/table.hpp"
#include "mainwindow/analysis_notes.hpp"
#include "picture/field_map.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"

namespace varnel {

namespace {

// The first line of the table: which geometry the rows hold, with the working values of now.
std::string ModeLine(int mode, const WorkingParameters& w) {
  switch (mode) {
    case 0:
      return Format("// Field at P(%4.1f|%4.1f|%4.1f)", {w.p.x, w.p.y, w.p.z});
    case 1:
      return Format("// Max. Field on par. Z-Axis thru (%4.1f|%4.1f)", {w.a.x, w.a.y});
    case 2:
      return Format("// Max. in xz-Plane at y=%4.1f ", {w.py});
    case 3:
      return Format("// Max. on circle with r=%4.1f ", {w.rCircle});
    case 4:
      return Format("// Max. on cylinder with r=%4.1f ", {w.rCylinder});
    default:
      return "//";
  }
}

struct FiveGeometries {
  double point, zLine, xzPlane, circle, cylinder;
  // The value of the geometry the mode selects (0 point ... 4 cylinder).
  double Selected(int mode) const {
    switch (mode) {
      case 1:
        return zLine;
      case 2:
        return xzPlane;
      case 3:
        return circle;
      case 4:
        return cylinder;
      default:
        return point;
    }
  }
};

// A budget that is not physical gives no power to restate the fields for; an input power of 0
// ends the command as the run-time's division would.
FiveGeometries Normalized(const FiveGeometries& v, double normalizePower, const PowerBudget& budget) {
  if (budget.input == 0) throw ZeroDivideError();
  if (budget.Impossible()) {
    const double none = std::nan("");
    return {none, none, none, none, none};
  }
  const double inputPower = budget.input;
  return {NormalizeField(v.point, normalizePower, inputPower),
          NormalizeField(v.zLine, normalizePower, inputPower),
          NormalizeField(v.xzPlane, normalizePower, inputPower),
          NormalizeField(v.circle, normalizePower, inputPower),
          NormalizeField(v.cylinder, normalizePower, inputPower)};
}

void ReportGrid(TForm1& form, const GridExtent& g, const NearFieldTable& table) {
  AddLine(form.Mout, "Analyse: ");
  AddLine(form.Mout, Format("X-Intervall: %5.2f -> %5.2f   Step: %3.2f", {g[0], g[1], g[2]}));
  AddLine(form.Mout, Format("Y-Intervall: %5.2f -> %5.2f   Step: %3.2f", {g[3], g[4], g[5]}));
  AddLine(form.Mout, Format("Z-Intervall: %5.2f -> %5.2f   Step: %3.2f", {g[6], g[7], g[8]}));
  AddLine(form.Mout, Format("Field Type: %1s", {table.fieldType}));
  form.ShowGrid(g, table.fieldType);
}

void ShowBasicData(TForm1& form, double frequency, double inputPower, const AntennaInput& ai) {
  form.EditFrequency.text = FrequencyText(frequency);
  form.EditInputPower.text = FormatReal("%3.1g W", inputPower);
  form.EditVoltage.text = Format("%3.1g%s%3.1gj V", {ai.voltageRe, SignText(ai.voltageIm), ai.voltageIm});
  form.EditCurrent.text = Format("%3.1g%s%3.1gj A", {ai.currentRe, SignText(ai.currentIm), ai.currentIm});
  form.EditImpedance.text =
      Format("%3.1g%s%3.1gj Ohm", {ai.impedanceRe, SignText(ai.impedanceIm), ai.impedanceIm});
  form.EditPower.text = FormatReal("%4.1g W", ai.power);
}

// The five Mout lines of one file, all with the uncorrected values.
void ReportGeometries(TForm1& form, const WorkingParameters& w, const FiveGeometries& v, double eps,
                      const std::string& unit) {
  AddLine(form.Mout, Format("Field at P(%4.1f|%4.1f|%4.1f) [eps: %3.2f] : %9.3g " + unit,
                            {w.p.x, w.p.y, w.p.z, eps, v.point}));
  AddLine(form.Mout, Format("Max. par. Z-Axis thru (%4.1f|%4.1f) : %9.3g " + unit, {w.a.x, w.a.y, v.zLine}));
  AddLine(form.Mout, Format("Max. in xz-Plane at y=%4.1f : %9.3g " + unit, {w.py, v.xzPlane}));
  AddLine(form.Mout, Format("Max. on circle with r=%4.1f : %9.3g " + unit, {w.rCircle, v.circle}));
  AddLine(form.Mout, Format("Max. on Cylinder with r=%4.1f : %9.3g " + unit, {w.rCylinder, v.cylinder}));
}

}  // namespace

void TForm1::MIBatchLoadClick() {
  const std::optional<TextList> names =
      BeginBatch(*this, "--------------- Batch Load and Analyse ----------------", "Add Batch Folder");
  if (!names) return;
  AddLine(Mout, "Field Strength is corrected to " + FormatReal("%1.0f W", params.normalizePower) +
                    " inserted power. ");
  const BatchChoice polarization(*this, RGPol), mode(*this, RGMode);

  AddLine(Mdata, ModeLine(mode.item, params));
  AddLine(Mdata, "");
  AddTableHeadings(*this,
                   {"Freq ", "  Pwr  ", "  E_H  ", "E_Hcorr", "  Ur   ", "  Ui   ", "  Ir   ", "  Ii   ",
                    "  Zr   ", "  Zi   "},
                   {" MHz ", "   W   ", "V/m_A/m", "V/m_A/m", "   V   ", "   V   ", "   A   ", "   A   ",
                    "  Ohm  ", "  Ohm  "});

  BatchCourse course(*this, "Batch-Analyse Nearfield", names->size());
  SaidOnce said;
  enum : int { kFarPoint, kNoCircle, kNoCylinder };
  const bool whole = course.Run([&] {
    ForEachListedFile(*this, course, *names, [&](ListedFile& file) {
      const std::string& name = file.name;
      TakeListedFile(*this, file);

      const OutputPrint print(params.currentText.str());
      RequireWholePrint(print);
      NearFieldTable table;
      ReadNearField(print, polarization.item, table);
      if (print.NearField() == OutputPrint::npos) NoteMissingNearField(*this, name);
      params.nearField.Store(std::move(table), polarization.item, StructureOf(print),
                             {ListedFilePath(*this, name), FrequencyOrNaN(print)});
      params.nearField.extent = GridExtentOf(params.nearField.table);
      const NearFieldTable& field = params.nearField.table;
      ReportGrid(*this, params.nearField.extent, field);

      const double frequency = ReadFrequency(print);
      const PowerBudget budget = ReadPowerBudget(print);
      params.inputPower = budget.input;
      const AntennaInput ai = ReadAntennaInput(print);
      std::vector<std::string> notes =
          AbsentLines(*this, name, AbsentSections(print, {PrintSection::InputPower, PrintSection::Feed}));
      for (std::string& note : NearFieldNotes(field, polarization.item, ListedFilePath(*this, name)))
        notes.push_back(std::move(note));
      NoteReadingLines(*this, RunReadLine(print), PartReadLine(field), notes);

      const WorkingParameters& w = params;
      const FieldAtPointResult atP = FieldAtPoint(w.p, field);
      const FiveGeometries raw{atP.value, MaxOnZLine(w.a, field, w.maxHeight), MaxInXZPlane(field, w.py),
                               MaxOnCircle(field, w.rCircle, w.p.z), MaxOnCylinder(field, w.rCylinder)};
      const FiveGeometries corrected = Normalized(raw, w.normalizePower, budget);

      ShowBasicData(*this, frequency, params.inputPower, ai);
      ReportGeometries(*this, w, raw, atP.eps, field.UnitText());
      if (budget.Impossible()) AddLine(Mout, ImpossibleBudgetLine(name, budget));
      if (const std::string far = FarGridPointLine(w.p, atP, params.nearField.extent);
          !far.empty() && said.First(kFarPoint))
        AddLine(Mout, far);

      TableDataLine row;
      row.Fixed3(frequency)
          .Fixed3(params.inputPower)
          .Fixed3(raw.Selected(mode.item))
          .Fixed3(corrected.Selected(mode.item))
          .Fixed3(ai.voltageRe)
          .Fixed3(ai.voltageIm)
          .Fixed3(ai.currentRe)
          .Fixed3(ai.currentIm)
          .Fixed3(ai.impedanceRe)
          .Fixed3(ai.impedanceIm);
      AddTableRow(*this, row, budget.Impossible());
      if (row.HasUndefined()) NoteUndefinedRow(*this, name);
      if (std::isnan(raw.Selected(mode.item)) && !field.value.empty()) {
        if (mode.item == 3 && said.First(kNoCircle)) AddLine(Mout, NoCircleLine(field, w.rCircle, w.p.z));
        if (mode.item == 4 && said.First(kNoCylinder)) AddLine(Mout, NoCylinderLine(field, w.rCylinder));
      }
    });
  });
  if (whole) AddLine(Mout, kBatchJobDone);
}

}  // namespace varnel
