// Create Multiple InputFiles: one deck per value of a range file, made from a prototype deck
// whose "xxf" takes the value and whose "xxn" becomes "3".
#include "decks/cards.hpp"
#include "decks/folders.hpp"
#include "decks/generators.hpp"
#include "mainwindow/VarnelU.hpp"
#include "necout/range.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/text.hpp"

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
  Reset();

  FileDialogSpec prototypeSpec;
  prototypeSpec.title = "Select Prototype File";
  prototypeSpec.initialFolder = kDeckFolder;
  prototypeSpec.filter = "All(*.*)|*.*|NEC (*.nec)|*.nec";
  prototypeSpec.filterIndex = 2;
  const auto prototypePath = platform.OpenFileDialog(prototypeSpec);
  if (!prototypePath) return;

  const auto rangePath = AskRangeFile(platform);
  if (!rangePath) return;

  RealList values;
  loadRange(platform, *rangePath, values);
  for (double value : values) AddLine(Mout, FormatReal(" Parameter: %2.1f", value));

  const std::size_t split = prototypePath->find_last_of("\\/:");
  const std::string prototypeFolder =
      split == std::string::npos ? std::string() : prototypePath->substr(0, split + 1);
  const std::string baseName =
      StripExtension(split == std::string::npos ? *prototypePath : prototypePath->substr(split + 1));
  // The base name becomes a folder that is deleted with everything in it: a name such as ""
  // or ".." would take the prototype's own folder or its parent with it.
  if (const std::string problem = TargetNameProblem(baseName); !problem.empty()) {
    ShowWarning(platform, "No valid Filename: the prototype's base name cannot name a folder (" +
                              problem + "). Abort command!");
    return;
  }
  const std::string targetFolder = prototypeFolder + baseName + "\\";
  RecreateOptions options = RecreateOptions::Generator(prototypeFolder);
  options.sourceFile = *prototypePath;
  if (!RecreateTargetFolder(*this, targetFolder, options)) return;

  // Read only now, after the folder work; a missing prototype leaves the text empty.
  params.currentText.clear();
  ReadTextFile(platform, *prototypePath, params.currentText);
  const std::string& prototype = params.currentText;

  AddLine(Mout, "Parameter found in Sourcefile: " + FormatInt("%d", CountText("xxf", prototype)));
  AddLine(Mout, ParameterRangeLine(values));

  for (std::size_t i = 0; i < values.size(); ++i) {
    std::string deck = ReplaceText("xxf", SweepValueText(values[i]), prototype, true);
    deck = ReplaceText("xxn", "3", deck, true);
    WriteDeck(*this, DeckPath(targetFolder, baseName, static_cast<std::int64_t>(i)), deck,
              FormatReal(" Parameter: %2.1f", values[i]));
  }
  AddLine(Mout, kBatchCreationDone);
}
