// The batch power analysis: per listed file the power a load resistance takes up from the current
// of segment AnalyseSegment, and its gain figure against the input power.
#include <cmath>

#include "batch/batch_run.hpp"
#include "batch/table.hpp"
#include "mainwindow/analysis_notes.hpp"
#include "util/errors.hpp"
#include "util/messages.hpp"
#include "util/numbers.hpp"

namespace varnel {

namespace {

struct PowerFigures {
  double receivedMilliwatts;
  double gainDecibel;
};

// P = (I / sqrt 2)^2 * R; Gain_dB = 10 log10(sqrt(P / Pin)) with log10 giving 0 for an argument
// of 0 or below. A power budget that is not physical has no power to take the gain against: the
// gain is undefined (NaN). An input power of 0 ends the command as the run-time's division would.
PowerFigures ReceivedPower(double segmentCurrent, double resistance, const PowerBudget& budget) {
  if (budget.input == 0.0) throw ZeroDivideError();
  const double rms = segmentCurrent / std::sqrt(2.0);
  const double watts = rms * rms * resistance;
  const double ratio = budget.Impossible() ? std::nan("") : watts / budget.input;
  // An undefined current (NaN from the reader) leaves the gain undefined too, not 0 dB.
  const double gain = std::isnan(ratio) ? std::nan("") : 10.0 * Log10(std::sqrt(ratio));
  return {1000.0 * watts, gain};
}

}  // namespace

void TForm1::MIBatchAnalysePowerClick() {
  const std::optional<TextList> names =
      BeginBatch(*this, "--------------- Batch-Analyse Power----------------", "Add Batch Folder");
  if (!names) return;
  AddTableHeadings(*this, {"Freq ", "  Pwr  ", " RecPwr", "Gain_dB", "SegCurr"},
                   {" MHz ", "   W   ", "   mW  ", "       ", "   A   "});

  BatchCourse course(*this, "Batch-Analyse Power", names->size());
  const bool whole = course.Run([&] {
    ForEachListedFile(*this, course, *names, [this](ListedFile& file) {
      const std::string& name = file.name;
      TakeListedFile(*this, file);

      const OutputPrint print(params.currentText.str());
      RequireWholePrint(print);
      const double frequency = ReadFrequency(print);
      const PowerBudget budget = ReadPowerBudget(print);
      params.inputPower = budget.input;
      const double current = ReadSegmentCurrent(print, params.AnalyseSegment);
      std::vector<PrintError> absent = AbsentSections(print, {PrintSection::InputPower});
      if (std::optional<PrintError> noCurrent = SegmentCurrentAbsence(print, params.AnalyseSegment))
        absent.push_back(*noCurrent);
      NoteReadingLines(*this, RunReadLine(print), "", AbsentLines(*this, name, absent));
      const PowerFigures figures = ReceivedPower(current, params.AnalysingResistance, budget);
      if (budget.Impossible()) AddLine(Mout, ImpossibleBudgetLine(name, budget));

      TableDataLine row;
      row.General3(frequency)
          .General3(params.inputPower)
          .General3(figures.receivedMilliwatts)
          .General3(figures.gainDecibel)
          .General3(current);
      AddTableRow(*this, row, budget.Impossible());
      if (row.HasUndefined()) NoteUndefinedRow(*this, name);
    });
  });
  if (whole) AddLine(Mout, kBatchJobDone);
}

}  // namespace varnel
