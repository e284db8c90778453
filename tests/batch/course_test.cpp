// What the one batch loop does for all three batch analyses alike, as one table of cases: an
// empty list, a missing file, an input power of 0.
#include "batch/batch_fixture.hpp"

namespace varnel {

namespace {

const char* const kDone = "--------- Batch Job Done ---------";

class BatchCourse : public BatchTest {
 protected:
  // Each command starts as after the last one's table was saved.
  void Run(const BatchAnalysis& c) {
    ui.messages.clear();
    form->tableUnsaved = false;
    ASSERT_TRUE(form->Run(c.handler));
  }
};

// Nothing listed: the warning, and no pane is touched.
TEST_F(BatchCourse, AnEmptyListWarnsAndTouchesNoPane) {
  for (const BatchAnalysis& c : kAnalyses) {
    SCOPED_TRACE(c.handler);
    form->Mout.lines = {"info"};
    form->Mdata.lines = {"data"};
    Run(c);
    EXPECT_EQ((std::vector<std::string>{"You need add a batch folder first."}), Warnings());
    EXPECT_EQ((std::vector<std::string>{"info"}), form->Mout.lines);
    EXPECT_EQ((std::vector<std::string>{"data"}), form->Mdata.lines);
  }
}

// A missing file is named in a warning and in the Info pane and gives no row, neither repeated
// nor undefined; the batch goes on; a test object keeps its list position.
TEST_F(BatchCourse, AMissingFileIsSkippedWithItsWarningAndNoRow) {
  WriteRun("a.out", OutputRun(14.2, 1.0));
  UseFiles({"gone.out", "a.out", "lost.out"});
  for (const BatchAnalysis& c : kAnalyses) {
    SCOPED_TRACE(c.handler);
    Run(c);
    EXPECT_EQ((std::vector<std::string>{"Die Datei gone.out konnte nicht gefunden werden.",
                                        "Die Datei lost.out konnte nicht gefunden werden."}),
              Warnings());
    ASSERT_EQ(c.headings + 1, form->Mdata.lines.size()) << PaneText(form->Mdata);
    std::vector<std::string> info = {c.title,       "Load: gone.out", "Skipped (file not found): gone.out",
                                     "Load: a.out", "Load: lost.out", "Skipped (file not found): lost.out"};
    if (c.done) info.push_back(kDone);
    EXPECT_EQ(info.front(), form->Mout.lines.front());
    for (const std::string& line : info) EXPECT_TRUE(Said(line)) << line << "\n" << PaneText(form->Mout);
    EXPECT_EQ(info.back(), form->Mout.lines.back());
  }
  EXPECT_EQ("        2;", form->Mdata.lines.back().substr(0, 10)) << "the EUT's number is its list position";
}

// An input power of 0 ends a batch that divides by it at that file with the division error; the
// rows before it stay. The EUT analysis names the impossible budget and goes on.
TEST_F(BatchCourse, AZeroInputPowerEndsTheBatchThereKeepingTheRowsBefore) {
  WriteRun("a.out", OutputRun(14.2, 1.0));
  WriteRun("zero.out", OutputRun(14.2, 0.0));
  WriteRun("c.out", OutputRun(14.2, 1.0));
  UseFiles({"a.out", "zero.out", "c.out"});
  for (const BatchAnalysis& c : kAnalyses) {
    SCOPED_TRACE(c.handler);
    Run(c);
    if (!c.dividesByPower) {
      EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
      EXPECT_EQ(c.headings + 3, form->Mdata.lines.size()) << PaneText(form->Mdata);
      EXPECT_TRUE(
          Said("zero.out: the engine's power budget is 0 W: not physical; values normalised by it are "
               "left undefined"))
          << PaneText(form->Mout);
      continue;
    }
    EXPECT_EQ((std::vector<std::string>{"[Error] Gleitkommadivision durch Null."}), ui.messages);
    EXPECT_EQ(c.headings + 1, form->Mdata.lines.size()) << PaneText(form->Mdata);
    EXPECT_NE(kDone, form->Mout.lines.back());
    EXPECT_FALSE(Said("Load: c.out")) << PaneText(form->Mout);
    EXPECT_EQ("Showing: zero.out", form->M.hint);
  }
}

}  // namespace

}  // namespace varnel
