// Analyse Main and Analyse Nearfield beside Batch-Analyse Nearfield on every real print of the
// shared folder and on nec2c's prints of its decks: the batch row takes what the single-file
// commands show, and a file one of them refuses, the batch names with the same problem.
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "batch_fixture.hpp"
#include "batch/batch_run.hpp"
#include "engine/nec2c_run.hpp"
#include "necout/nearfield.hpp"
#include "test_paths.hpp"
#include "util/files.hpp"

namespace varnel {

namespace {

namespace fs = std::filesystem;

class PrintsAgree : public BatchTest {};

TEST_F(PrintsAgree, TheBatchRowTakesWhatTheSingleFileCommandsShow) {
  const fs::path prints = fs::path(VARNEL_SOURCE_DIR) / ".." / "shared" / "nec-prints";
  if (!fs::is_directory(prints)) GTEST_SKIP() << "no prints folder at " << prints;
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(prints))
    if (entry.path().extension() == ".out") files.push_back(entry.path());
  if (engine_test::Nec2cInstalled())
    for (const fs::directory_entry& deck : fs::directory_iterator(prints / "decks")) {
      files.push_back(root.dir / deck.path().filename().replace_extension(".out"));
      engine_test::RunIn(root.dir, root.dir,
                         "nec2c -i " + engine_test::ShellQuoted(deck.path().string()) + " -o " +
                             engine_test::ShellQuoted(files.back().string()));
    }
  form->params.SkipUnreadableFiles = true;
  for (const fs::path& file : files) {
    const std::string name = file.filename().string();
    SCOPED_TRACE(name);
    WriteFile(name, engine_test::ReadAll(file));
    UseFiles({name});
    form->params.currentText = TextOfFileBytes(engine_test::ReadAll(file));
    form->params.currentName = ListedFilePath(*form, name);
    std::string refused;
    try {
      form->AnalyseMain1Click();
      form->AnalyseNearfield1Click();
    } catch (const VarnelError& e) {
      refused = e.what();
    }
    std::vector<std::string> single = form->Mout.lines;
    single.push_back(refused);
    const std::vector<std::string> shown = {form->EditFrequency.text, form->EditInputPower.text,
                                            form->EditVoltage.text, form->EditCurrent.text,
                                            form->EditImpedance.text};
    const double atP = FieldAtPoint(form->params.p, form->params.nearField.table).value;
    form->MIBatchLoadClick();
    const std::vector<std::string> batch = form->Mout.lines;
    const auto skipped = std::find_if(batch.begin(), batch.end(),
                                      [](const std::string& l) { return l.starts_with("Skipped: "); });
    if (skipped != batch.end()) {
      EXPECT_NE(std::find(single.begin(), single.end(), skipped->substr(9)), single.end()) << *skipped;
      continue;
    }
    EXPECT_EQ("", refused);
    EXPECT_EQ(shown, (std::vector<std::string>{form->EditFrequency.text, form->EditInputPower.text,
                                               form->EditVoltage.text, form->EditCurrent.text,
                                               form->EditImpedance.text}));
    ASSERT_EQ(1u, form->MdataValues.rows.size());
    const double row = form->MdataValues.rows[0][2];
    EXPECT_TRUE(row == atP || (std::isnan(row) && std::isnan(atP))) << row << " beside " << atP;
  }
}

}  // namespace

}  // namespace varnel
