// Create Multiple InputFiles: one deck per value of a range file, made from a prototype deck
// whose "xxf" takes the value and whose "xxn" becomes "3".
#include "decks/cards.hpp"
#include "decks/deck_set.hpp"
#include "decks/folders.hpp"
#include "decks/generators.hpp"
#include "mainwindow/VarnelU.hpp"
#include "necout/range.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/text.hpp"

namespace varnel {

std::string ParameterRangeLine(const RealList& values) {
  double first = 0.0, last = 0.0, step = 0.0;
  if (!values.empty()) {
    first = values.front();
    last = values.back();
    if (values.size() > 1) step = (last - first) / static_cast<double>(values.size() - 1);
  }
  return Format("Parameter Range: %2.1f ... %2.1f Step: %2.1f", {first, last, step});
}

void TForm1::CreateMultipleInputFiles1Click() {
  const FileDialogSpec prototypeSpec{.title = "Select Prototype File",
                                     .initialFolder = kDeckFolder,
                                     .filter = "All(*.*)|*.*|NEC (*.nec)|*.nec",
                                     .filterIndex = 2};
  const auto prototypePath = platform.ui.OpenFileDialog(prototypeSpec);
  if (!prototypePath) return;

  const auto rangePath = AskRangeFile(platform.ui);
  if (!rangePath) return;

  const std::size_t split = prototypePath->find_last_of("\\/:");
  const std::string prototypeFolder =
      split == std::string::npos ? std::string() : prototypePath->substr(0, split + 1);
  const std::string baseName =
      StripExtension(split == std::string::npos ? *prototypePath : prototypePath->substr(split + 1));
  // The base name becomes a folder that is deleted with everything in it: a name such as ""
  // or ".." would take the prototype's own folder or its parent with it.
  if (const std::string problem = TargetNameProblem(baseName); !problem.empty()) {
    ShowWarning(platform.ui, "No valid Filename: the prototype's base name cannot name a folder (" + problem +
                                 "). Abort command!");
    return;
  }
  const std::string targetFolder = prototypeFolder + baseName + "\\";

  // The prototype is read before anything is deleted: a prototype that cannot be read leaves
  // the decks of an earlier sweep as they are (and the warning says why).
  std::string prototype;
  if (!ReadTextFile(platform, *prototypePath, prototype)) return;
  prototype = WithCrLfLineEnds(std::move(prototype));  // the decks are written with CR LF
  // The target lies beside the prototype, wherever that is: a folder of the user's own with
  // the same name is not the sweep's to delete.
  const FolderLock lock(platform, targetFolder);
  if (!lock.Held() || !MayReplaceSetFolder(platform, targetFolder, prototypeFolder, baseName, IsSweepFileName,
                                           "a deck of this sweep"))
    return;
  // Only now that the dialogs and the question have their answers: a command cancelled or
  // refused up to here leaves the window as it was.
  Reset();

  RealList values;
  loadRange(platform, *rangePath, values);
  for (double value : values) AddLine(Mout, FormatReal(" Parameter: %2.1f", value));

  RecreateOptions options = RecreateOptions::Generator(prototypeFolder);
  options.sourceFile = *prototypePath;
  if (!RecreateTargetFolder(*this, targetFolder, options)) return;
  params.currentText = prototype;
  params.currentName = *prototypePath;

  AddLine(Mout, "Parameter found in Sourcefile: " + FormatInt("%d", CountText("xxf", prototype)));
  AddLine(Mout, ParameterRangeLine(values));

  DeckFolder decks(platform.system, targetFolder);
  if (!WriteDeckSeries(*this, kSweepCaption, values.size(), [&](std::size_t i) {
        std::string deck = ReplaceText("xxf", SweepValueText(values[i]), prototype, true);
        deck = ReplaceText("xxn", "3", deck, true);
        WriteDeck(*this, decks, DeckPath("", baseName, static_cast<std::int64_t>(i)), deck,
                  FormatReal(" Parameter: %2.1f", values[i]));
      }))
    return;
  AddLine(Mout, kBatchCreationDone);
}

}  // namespace varnel
