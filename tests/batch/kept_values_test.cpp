// What the batch analyses keep beside their tables and take at their start: the numbers the plots
// draw, and the polarisation and mode they read once, hold against a switch and name.
#include <filesystem>

#include "support/event_action.hpp"
#include "batch_fixture.hpp"
#include "mainwindow/pictures.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

const char* const kStillRunning = "A command is still running. Please wait until it has finished.";

class BatchKeeps : public BatchTest {
 protected:
  void Run(const char* command) {
    if (std::string(command) == "split") {
      MakeAddFolder();
      form->params.SplitMode = true;
      command = "MIAnalyseEUTsClick";
    }
    form->Run(command);
  }
  double Plotted(std::size_t column, std::size_t row) {
    const DataTable table = PlottedTable(*form);
    return column < table.columns.size() && row < table.rows ? table.columns[column].values[row] : -1;
  }
};

// The pane's text rounds the input power of 0.0012345 W ("%9.3f" 0,001, "%9.3g" 0,00123); the
// plots draw the number itself until the pane is edited in the window, and then its text. A
// split-mode run keeps the rows its pane still holds after the last block (and no headings).
TEST_F(BatchKeeps, PlotsDrawTheNumbersOfTheRowsUntilThePaneIsEdited) {
  struct Case {
    const char* command;
    std::size_t powerColumn;
    double shown;
    std::size_t rows;
    std::vector<std::string> notes;
  };
  const Case cases[] = {
      {"MIBatchLoadClick", 1, 0.001, 12, {"Polarization: Y", "Mode: Circle"}},
      {"MIBatchAnalysePowerClick", 1, 0.00123, 12, {}},
      {"MIAnalyseEUTsClick", 5, 0.00123, 12, {"Polarization: Y"}},
      {"split", 5, 0.00123, 2, {"Polarization: Y"}},
  };
  WriteSeries(12, 0.0012345);
  form->RGPol.itemIndex = 2;
  form->RGMode.itemIndex = 3;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    Run(c.command);
    const DataTable kept = PlottedTable(*form);
    EXPECT_EQ(c.rows, kept.rows);
    EXPECT_EQ(0.0012345, Plotted(c.powerColumn, c.rows - 1));
    EXPECT_EQ(c.notes, kept.notes);
    const std::string svg = SvgText(TablePicture(*form));
    for (const std::string& note : c.notes) EXPECT_NE(std::string::npos, svg.find(">" + note + "<")) << note;

    ReplacePaneLines(form->Mdata, form->Mdata.lines);  // handed back unchanged, but by the window
    EXPECT_EQ(c.shown, Plotted(c.powerColumn, 0));
    EXPECT_TRUE(PlottedTable(*form).notes.empty());
  }
  // A pane that another command has changed is read as it stands.
  Run("MIBatchAnalysePowerClick");
  form->Reset();
  EXPECT_EQ(0u, PlottedTable(*form).rows);
}

// A switch of a group the batch reads is refused while it runs, the group keeps its item and
// the rows keep the items of the start even when the model's index is changed behind the
// dispatcher's back; the hold ends with the batch, also when it ends through a failure. The
// status bar names the items afterwards, as after Analyse Nearfield.
TEST_F(BatchKeeps, BatchesReadPolarisationAndModeOnceRefuseASwitchAndNameThem) {
  struct Case {
    const char* command;
    bool holdsMode;
    const char* status;  // nullptr: the run fails at its last file
  };
  const Case cases[] = {
      {"MIBatchLoadClick", true, "Batch-Analyse Nearfield: 4 files in 0:00 (Polerization: X; Mode: Circle)"},
      {"MIAnalyseEUTsClick", false, "Analyse EUTs: 4 files in 0:00 (Polerization: X)"},
      {"split", false, nullptr},
  };
  const auto status = [this] { return ProgressText(form->progress, form->progress.endMs); };
  WriteSeries(4, 0.0012345);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    if (!c.status) std::filesystem::remove(root.driveC / "4nec2/b_out/run/e04.out");
    form->RGPol.itemIndex = 1;
    form->RGMode.itemIndex = 3;
    ui.messages.clear();
    std::vector<bool> switched;
    OnEvents(ui, [&] {
      if (form->progress.file != 2) return;
      switched.push_back(form->Select(form->RGPol, 2));
      switched.push_back(form->Select(form->RGMode, 4));
      form->RGPol.itemIndex = 2;
      if (c.holdsMode) form->RGMode.itemIndex = 4;
    });
    Run(c.command);
    OnEvents(ui, nullptr);
    EXPECT_EQ((std::vector<bool>{false, !c.holdsMode}), switched);
    EXPECT_EQ(std::vector<std::string>(c.holdsMode ? 2 : 1, kStillRunning), Warnings());
    // X of the six-point grid, on the circle 4 (Y would give 0): E_H of the near-field table
    // and Cir of the EUT table.
    for (std::size_t row = 0; row < PlottedTable(*form).rows; ++row) EXPECT_NEAR(4, Plotted(2, row), 1e-3);
    if (c.status) {
      EXPECT_EQ(c.status, status());
    }
    EXPECT_TRUE(form->Select(form->RGPol, 0)) << "the hold ends with the batch";
    EXPECT_TRUE(form->Select(form->RGMode, 0));
  }
  Run("AnalyseNearfield1Click");
  EXPECT_EQ("Analyse Nearfield (Polerization: Total)", status());
}

}  // namespace

}  // namespace varnel
