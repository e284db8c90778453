// A real output cut short, as an engine that crashed or a full disk leaves it, at every 1 % of
// its length and at every 4096 bytes (what a buffered writer leaves): no cut may give a row
// other than the whole output's.
#include <algorithm>
#include <filesystem>

#include "batch_fixture.hpp"
#include "engine/nec2c_run.hpp"

namespace varnel {

namespace {

namespace fs = std::filesystem;

// Two driven wires over a perfect ground and a near magnetic field on a 31 x 31 grid, as the
// test-object generator writes its decks.
const std::string kDeck =
    "CM\r\nCE\r\n"
    "GW 100 3  0.500  1.000  2.000 -1.250  0.300  2.000 0.001\r\n"
    "GW 101 3  1.500  1.000  1.500  1.250  1.300  2.400 0.001\r\n"
    "GE 1\r\nGN 1\r\nEK\r\n"
    "EX 0 100 2 0 3.000  1.200 0\r\n"
    "EX 0 101 2 0 1.000 -3.200 0\r\n"
    "FR 0 0 0 0   30.00000 0\r\n"
    "NH 0 31 31 1 -40 -40 1.3 2.6667 2.6667 1\r\n";

class CutOutputs : public BatchTest {};

TEST_F(CutOutputs, NoCutOfARealOutputGivesARowOtherThanTheWholeOnes) {
  if (!engine_test::Nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
  root.Write("drive_c/4nec2/b_in/T/t.nec", kDeck);
  fs::create_directories(root.driveC / "4nec2" / "b_out" / "run");
  ASSERT_EQ(0, engine_test::RunStandIn(root.dir, root.dir,
                                       {"c:\\4nec2\\b_in\\T\\t.nec", "c:\\4nec2\\b_out\\run\\whole.out"}));
  const std::string whole = TestRoot::Read(root.driveC / "4nec2" / "b_out" / "run" / "whole.out");
  ASSERT_GT(whole.size(), 3u * 4096);
  std::vector<std::string> names = {"whole.out"};
  const auto cut = [&](const std::string& name, std::size_t size) {
    WriteFile(name, whole.substr(0, size));
    names.push_back(name);
  };
  for (int percent = 1; percent < 100; ++percent)
    cut("p" + std::to_string(percent) + ".out", whole.size() * percent / 100);
  for (std::size_t size = 4096; size < whole.size(); size += 4096)
    cut("k" + std::to_string(size) + ".out", size);
  UseFiles(names);
  form->params.p = {10, 0, 1.3};  // every geometry meets grid points
  form->params.SkipUnreadableFiles = true;

  for (const char* handler : {"MIBatchLoadClick", "MIBatchAnalysePowerClick", "MIAnalyseEUTsClick"}) {
    SCOPED_TRACE(handler);
    form->Run(handler);
    // The numbers behind the cells, at full precision (the cells round them away); the EUT
    // row's number is the file's own.
    std::vector<RealList> rows = form->MdataValues.rows;
    ASSERT_FALSE(rows.empty());
    if (std::string(handler) == "MIAnalyseEUTsClick")
      for (RealList& row : rows) row.erase(row.begin());
    for (double value : rows[0]) EXPECT_FALSE(std::isnan(value));
    for (const RealList& row : rows) EXPECT_EQ(rows[0], row) << "a cut read as a row";
    const std::size_t skipped =
        std::count_if(form->Mout.lines.begin(), form->Mout.lines.end(),
                      [](const std::string& l) { return l.starts_with("Skipped: "); });
    EXPECT_EQ(names.size(), rows.size() + skipped) << PaneText(form->Mout);
    EXPECT_GE(skipped, names.size() - 3) << "only cuts within the closing line are whole";
  }
}

}  // namespace

}  // namespace varnel
