// The EUT batch analysis: per listed file the cylinder, circle and point values for the
// observation distance given by P, as one numbered row; in split mode the table is also saved in
// blocks of ten rows to desktop files, and the rows after the last full block in one more.
#include <string>

#include "batch/batch_run.hpp"
#include "batch/table.hpp"
#include "util/files.hpp"
#include "util/messages.hpp"
#include "util/text.hpp"

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

// Reads frequency, input power and the near-field table of the file, evaluates the three
// geometries of the distance P and adds the row numbered position to Mdata.
void AddEutRow(TForm1& form, const std::string& name, const OutputText& text, int position) {
  const double frequency = ReadFrequency(text);
  form.params.inputPower = ReadInputPower(text);
  NearFieldTable table;
  ReadNearField(text, form.RGPol.itemIndex, table);
  form.params.nearField.Store(std::move(table), form.RGPol.itemIndex);

  const NearFieldTable& field = form.params.nearField.table;
  const Point3D p = form.params.p;
  const double cylinder = MaxOnCylinder(field, p.x);
  const double circle = MaxOnCircle(field, p.x, p.z);
  const double point = FieldAtPoint(p, field).value;

  TableDataLine row;
  row.Integer(position).General3(cylinder).General3(circle).General3(point).General3(frequency).General3(
      form.params.inputPower);
  AddLine(form.Mdata, row.Text());
  if (row.HasUndefined()) NoteUndefinedRow(form, name);
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
  AddLine(Mdata, "");
  AddLine(Mdata, TableHeadingLine({"Numb ", " Cyl.  ", "  Cir  ", " Point ", "  Freq ", "  Pwr  "}));
  AddLine(Mdata, TableHeadingLine({"     ", "       ", "       ", "       ", "       ", "       "}));

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
      AddEutRow(*this, name, text, i + 1);
      ScrollToTop(Mout);
      ProcessPendingEvents();
      platform.ui.Pause(kSplitPauseMilliseconds);
      if ((i + 1) % kBlockRows == 0) {
        WriteTextFile(platform.system, PaneText(Mdata), BlockFileName(platform.system, i / kBlockRows));
        ClearPane(Mdata);
      }
    }
    // The rows after the last full block go into one more block file, so that every row of
    // the run reaches a file; they also stay in Mdata.
    if (count % kBlockRows != 0)
      WriteTextFile(platform.system, PaneText(Mdata), BlockFileName(platform.system, count / kBlockRows));
  } else {
    ForEachListedFile(*this, names, [this](std::size_t i, const std::string& name, std::string& text) {
      AddEutRow(*this, name, text, static_cast<int>(i) + 1);
    });
  }
}

}  // namespace varnel
