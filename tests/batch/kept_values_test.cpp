// What the batch analyses keep beside their tables: the numbers the plots draw.
#include <filesystem>

#include "batch_fixture.hpp"
#include "mainwindow/pictures.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

class BatchKeeps : public BatchTest {
 protected:
  // Files a.out, b.out, ... with frequencies 1, 2, ... MHz and an input power of 0.0012345 W.
  void WriteSeries(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
      names.push_back(std::string(1, static_cast<char>('a' + i)) + ".out");
      WriteRun(names.back(), OutputRun(i + 1, 0.0012345));
    }
    UseFiles(names);
  }
  void Run(const char* command) {
    if (std::string(command) == "split") {
      std::filesystem::create_directories(root.home / "DeskTop" / "add");
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
  };
  const Case cases[] = {
      {"MIBatchLoadClick", 1, 0.001, 12},
      {"MIBatchAnalysePowerClick", 1, 0.00123, 12},
      {"MIAnalyseEUTsClick", 5, 0.00123, 12},
      {"split", 5, 0.00123, 2},
  };
  WriteSeries(12);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    Run(c.command);
    EXPECT_EQ(c.rows, PlottedTable(*form).rows);
    EXPECT_EQ(0.0012345, Plotted(c.powerColumn, c.rows - 1));

    ReplacePaneLines(form->Mdata, form->Mdata.lines);  // handed back unchanged, but by the window
    EXPECT_EQ(c.shown, Plotted(c.powerColumn, 0));
  }
  // A pane that another command has changed is read as it stands.
  Run("MIBatchAnalysePowerClick");
  form->Reset();
  EXPECT_EQ(0u, PlottedTable(*form).rows);
}

}  // namespace

}  // namespace varnel
