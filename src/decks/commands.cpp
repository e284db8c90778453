// The small deck commands: Edit InputFile, NE-Card Info and RangeTest.
#include "decks/cards.hpp"
#include "mainwindow/VarnelU.hpp"
#include "necout/range.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"

namespace varnel {

void TForm1::EditInputFile1Click() {
  const FileDialogSpec spec{.title = "Edit File",
                            .initialFolder = kDeckFolder,
                            .filter = "All(*.*)|*.*|nec (*.nec)|*.nec",
                            .filterIndex = 2,
                            .fileName = "dipol.nec"};
  const auto chosen = platform.ui.OpenFileDialog(spec);
  if (!chosen) return;
  // Only once the dialog has an answer: a cancelled command leaves the window as it was.
  Reset();
  OpenWithAssociatedProgram(platform, *chosen);
}

void TForm1::NECardInfo1Click() { ShowInfo(platform.ui, "NE 0 #x #y #z firstx firsty firstz dx dy dz"); }

void TForm1::RangeTest1Click() {
  const FileDialogSpec spec{
      .title = "Select Range File", .initialFolder = kDeckFolder, .filter = kRangeFilter, .filterIndex = 2};
  const auto chosen = platform.ui.OpenFileDialog(spec);
  if (!chosen) return;
  RealList values;
  loadRange(platform, *chosen, values);
  ClearPane(Mout);
  AddLine(Mout, "------- Range Test ------");
  for (std::size_t i = 0; i < values.size(); ++i) AddLine(Mout, Format("%3d:  %4.2f MHz", {i, values[i]}));
  AddLine(Mout, "----- Range Test End-----");
}

}  // namespace varnel
