// The batch folder and its file list, the read test over the listed files, and whether the
// batch analyses skip files they cannot read.
#include "batch/batch_run.hpp"
#include "util/files.hpp"
#include "util/tree.hpp"

namespace varnel {

void TForm1::MIAddBatchFolderClick() {
  const std::optional<std::string> chosen = platform.ui.ChooseFolder(kOutputFolder);
  if (!chosen) return;
  params.BatchFolder = *chosen;
  ClearPane(Mout);
  AddLine(Mout, "--------------- Add Batch Folder ----------------");
  AddLine(Mout, "Batch Folder selected: " + params.BatchFolder);
  AddLine(Mout, "Files (with *.out):");
  TextList names, skipped;
  ListFiles(platform.system, "*.out", names, &skipped);
  params.BatchFiles = names;
  AddLine(Mout, "....FileNames reading finished!");
  for (std::size_t i = 0; i < names.size(); ++i) {
    AddLine(Mout, names[i]);
    FileProgress(i, names.size());
    ProcessPendingEvents();
  }
  if (!skipped.empty()) AddLine(Mout, SkippedNamesLine(skipped));
  ScrollToTop(Mout);
}

void TForm1::MIFileLoadTestClick() {
  const TextList names = params.BatchFiles;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    FileProgress(i, names.size());
    AddLine(Mout, "Load: " + name);
    LoadLinesText(platform.system, name);  // only whether it reads matters
  }
}

// A check mark of the Other menu, off at start as every setting; the batch analyses read it
// once, at their start.
void TForm1::MISkipUnreadableFilesClick() {
  params.SkipUnreadableFiles = !params.SkipUnreadableFiles;
  if (MenuItem* item = FindMenuItem("MISkipUnreadableFiles")) item->checked = params.SkipUnreadableFiles;
}

}  // namespace varnel
