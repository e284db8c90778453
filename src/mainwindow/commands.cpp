// The command table of the main window and the one dispatcher that reads it.
//
// Every command is registered once, in kCommands: its handler name and the member it runs.
// The menu tables and the controls outside the menus name the command they run through Cmd(),
// which the compiler checks against kCommands, so a menu entry cannot name a command that does
// not exist. The dispatcher, the window bindings and the headless runner all resolve names
// through this file.
#include <algorithm>
#include <array>
#include <exception>
#include <string_view>

#include "engine/conversion.hpp"
#include "mainwindow/VarnelU.hpp"
#include "util/errors.hpp"
#include "util/messages.hpp"

namespace varnel {

namespace {

using F = TForm1;

struct CommandDef {
  std::string_view handler;
  void (TForm1::*run)();
};

// Every command, by the subsystem it belongs to.
constexpr std::array kCommands = {
    // Start-up and window commands
    CommandDef{"Reset", &F::Reset},
    CommandDef{"MIQuitClick", &F::MIQuitClick},
    CommandDef{"MIResetWindowPositionClick", &F::MIResetWindowPositionClick},
    CommandDef{"MIWindowCenterClick", &F::MIWindowCenterClick},
    CommandDef{"MIHelpClick", &F::MIHelpClick},
    CommandDef{"AboutMIClick", &F::AboutMIClick},
    CommandDef{"MISplitModeClick", &F::MISplitModeClick},
    // Panes and export
    CommandDef{"MICopytoClipboardClick", &F::MICopytoClipboardClick},
    CommandDef{"MISaveasTxtClick", &F::MISaveasTxtClick},
    CommandDef{"MICopyColomn1Click", &F::CopyColumnOfSender},
    // Parameter commands
    CommandDef{"EditPointDblClick", &F::EditPointDblClick},
    CommandDef{"EditPointADblClick", &F::EditPointADblClick},
    CommandDef{"EditNormalizePowerDblClick", &F::EditNormalizePowerDblClick},
    CommandDef{"Point1Click", &F::Point1Click},
    CommandDef{"Point2Click", &F::Point2Click},
    CommandDef{"Ponit3Click", &F::Ponit3Click},
    CommandDef{"Point4Click", &F::Point4Click},
    CommandDef{"MIChangemaxHeightClick", &F::MIChangemaxHeightClick},
    CommandDef{"MIChangeAnalysingSegmentClick", &F::MIChangeAnalysingSegmentClick},
    CommandDef{"MIChangeAnalysingResistanceClick", &F::MIChangeAnalysingResistanceClick},
    CommandDef{"MIEditrCircleClick", &F::MIEditrCircleClick},
    CommandDef{"MIEditrCylinderClick", &F::MIEditrCylinderClick},
    CommandDef{"MIShowsomeParametersClick", &F::MIShowsomeParametersClick},
    // Single-file analysis
    CommandDef{"Load1Click", &F::Load1Click},
    CommandDef{"LoadDipol1Click", &F::LoadDipol1Click},
    CommandDef{"AnalyseMain1Click", &F::AnalyseMain1Click},
    CommandDef{"AnalyseNearfield1Click", &F::AnalyseNearfield1Click},
    // Batch analysis
    CommandDef{"MIAddBatchFolderClick", &F::MIAddBatchFolderClick},
    CommandDef{"MIFileLoadTestClick", &F::MIFileLoadTestClick},
    CommandDef{"MIBatchLoadClick", &F::MIBatchLoadClick},
    CommandDef{"MIBatchAnalysePowerClick", &F::MIBatchAnalysePowerClick},
    CommandDef{"MIAnalyseEUTsClick", &F::MIAnalyseEUTsClick},
    CommandDef{"MISkipUnreadableFilesClick", &F::MISkipUnreadableFilesClick},
    // Pictures
    CommandDef{"MIShowFieldMapClick", &F::MIShowFieldMapClick},
    CommandDef{"MIPlotTableClick", &F::MIPlotTableClick},
    // Deck generation
    CommandDef{"EditInputFile1Click", &F::EditInputFile1Click},
    CommandDef{"NECardInfo1Click", &F::NECardInfo1Click},
    CommandDef{"RangeTest1Click", &F::RangeTest1Click},
    CommandDef{"CreateMultipleInputFiles1Click", &F::CreateMultipleInputFiles1Click},
    CommandDef{"MIHardCoded1Click", &F::MIHardCoded1Click},
    CommandDef{"MIGenerateEUTsClick", &F::MIGenerateEUTsClick},
    // Engine runs
    CommandDef{"MI_NEC1500Click", &F::MI_NEC1500Click},
    CommandDef{"MI_NEC5000Click", &F::MI_NEC5000Click},
    CommandDef{"MI_NEC11000Click", &F::MI_NEC11000Click},
    CommandDef{"SingleConversion1Click", &F::SingleConversion1Click},
    CommandDef{"BatchConversion1Click", &F::BatchConversion1Click},
    CommandDef{"ResumeBatchConversion1Click", &F::ResumeBatchConversion1Click},
    CommandDef{"MIParallelRunsClick", &F::MIParallelRunsClick},
    CommandDef{"MITimeLimitClick", &F::MITimeLimitClick},
    CommandDef{"ClusterConversion1Click", &F::ClusterConversion1Click},
    CommandDef{"ExportClusterJob1Click", &F::ExportClusterJob1Click},
    CommandDef{"Showbin1Click", &F::Showbin1Click},
    CommandDef{"Showbout1Click", &F::Showbout1Click},
};

// A registered handler name; naming one that is not registered does not compile.
consteval const char* Cmd(const char* handler) {
  for (const CommandDef& command : kCommands)
    if (command.handler == handler) return handler;
  throw "not a registered command";
}

const CommandDef* FindCommand(std::string_view handler) {
  for (const CommandDef& command : kCommands)
    if (command.handler == handler) return &command;
  return nullptr;
}

MenuItem Item(const char* menu, const char* name, const char* caption, const char* handler,
              const char* shortcut = "") {
  MenuItem item;
  item.menu = menu;
  item.name = name;
  item.caption = caption;
  item.handler = handler;
  item.shortcut = shortcut;
  return item;
}

MenuItem Separator(const char* menu, const char* name) {
  MenuItem item;
  item.menu = menu;
  item.name = name;
  item.caption = "-";
  item.separator = true;
  return item;
}

template <typename Table>
auto FindIn(Table& table, const std::string& name) -> decltype(&table.front()) {
  for (auto& item : table)
    if (!item.separator && item.name == name) return &item;
  return nullptr;
}

const char* const kStillRunning = "A command is still running. Please wait until it has finished.";
const char* const kUnsavedTable = "The table in the Data pane is not saved. Quit anyway?";

// What a running command is called in the question before quitting; any other is "command".
struct CommandKind {
  std::string_view handler;
  const char* kind;
};
constexpr CommandKind kCommandKinds[] = {
    {"BatchConversion1Click", "batch conversion"},
    {"ResumeBatchConversion1Click", "batch conversion"},
    {"SingleConversion1Click", "conversion"},
    {"MIBatchLoadClick", "batch analysis"},
    {"MIBatchAnalysePowerClick", "batch analysis"},
    {"MIAnalyseEUTsClick", "batch analysis"},
    {"CreateMultipleInputFiles1Click", "deck generation"},
    {"MIHardCoded1Click", "deck generation"},
    {"MIGenerateEUTsClick", "deck generation"},
    {"MIAddBatchFolderClick", "file listing"},
    {"MIFileLoadTestClick", "file load test"},
};

// The error box appends '.' when the message's last byte sorts after '.'; bytes compare as
// unsigned, so a message ending in a Latin-1 letter (above 127) gets its point too.
std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
    return message + ".";
  return message;
}

}  // namespace

// ---- The menu tables and the controls ----------------------------------------------------

void TForm1::BuildMenus() {
  MM = {
      Item("File", "Load1", "Load", Cmd("Load1Click")),
      Item("File", "LoadDipol1", "Load Dipol", Cmd("LoadDipol1Click")),
      Separator("File", "N1"),
      Item("File", "MICopytoClipboard", "Copy to Clipboard", Cmd("MICopytoClipboardClick")),
      Item("File", "MISaveasTxt", "Save as Txt", Cmd("MISaveasTxtClick")),
      Separator("File", "N2"),
      Item("File", "MIQuit", "Quit", Cmd("MIQuitClick")),

      Item("InputFiles", "EditInputFile1", "Edit InputFile", Cmd("EditInputFile1Click")),
      Item("InputFiles", "CreateMultipleInputFiles1", "Create Multiple InputFiles",
           Cmd("CreateMultipleInputFiles1Click"), "Ctrl+Alt+M"),
      Separator("InputFiles", "N3"),
      Item("InputFiles", "MIHardCoded1", "Random Phases at Multiple Sources", Cmd("MIHardCoded1Click")),
      Separator("InputFiles", "N4"),
      Item("InputFiles", "MIGenerateEUTs", "Generate EUTs", Cmd("MIGenerateEUTsClick"), "F10"),
      Item("InputFiles", "MIAddEUTs", "Add EUTs", Cmd("MIAddBatchFolderClick"), "F11"),
      Item("InputFiles", "MIAnalyseEUTs", "Analyse EUTs", Cmd("MIAnalyseEUTsClick"), "F12"),

      Item("Convert To Output Files", "SingleConversion1", "Single Conversion",
           Cmd("SingleConversion1Click")),
      Item("Convert To Output Files", "BatchConversion1", "Batch Conversion", Cmd("BatchConversion1Click"),
           "Ctrl+Alt+P"),
      Item("Convert To Output Files", "ResumeBatchConversion1", "Resume Batch Conversion",
           Cmd("ResumeBatchConversion1Click")),
      Item("Convert To Output Files", "ClusterConversion1", "Cluster Conversion",
           Cmd("ClusterConversion1Click")),
      Item("Convert To Output Files", "ExportClusterJob1", "Export Cluster Job",
           Cmd("ExportClusterJob1Click")),

      Item("Analyse", "AnalyseMain1", "Analyse Main", Cmd("AnalyseMain1Click")),
      Item("Analyse", "AnalyseNearfield1", "Analyse Nearfield", Cmd("AnalyseNearfield1Click")),
      Separator("Analyse", "N5"),
      Item("Analyse", "MIAddBatchFolder", "Add Batch Folder", Cmd("MIAddBatchFolderClick"), "Ctrl+Alt+A"),
      Item("Analyse", "MIBatchLoad", "Batch-Analyse Nearfield", Cmd("MIBatchLoadClick")),
      Item("Analyse", "MIBatchAnalysePower", "Batch-Analyse Power", Cmd("MIBatchAnalysePowerClick")),
      Separator("Analyse", "N12"),
      Item("Analyse", "MIShowFieldMap", "Show Field Map", Cmd("MIShowFieldMapClick")),
      Item("Analyse", "MIPlotTable", "Plot Table", Cmd("MIPlotTableClick")),

      Item("Other", "MIResetWindowPosition", "Reset Window Position", Cmd("MIResetWindowPositionClick")),
      Item("Other", "MIWindowCenter", "Window Center", Cmd("MIWindowCenterClick")),
      Separator("Other", "N6"),
      Item("Other", "Reset1", "Reset", Cmd("Reset")),
      Item("Other", "MISplitMode", "SplitMode", Cmd("MISplitModeClick")),
      Item("Other", "MISkipUnreadableFiles", "Skip Unreadable Files", Cmd("MISkipUnreadableFilesClick")),
      Item("Other", "MIFileLoadTest", "FileLoadTest", Cmd("MIFileLoadTestClick")),
      Separator("Other", "N7"),
      Item("Other", "Showbin1", "Show b_in", Cmd("Showbin1Click")),
      Item("Other", "Showbout1", "Show b_out", Cmd("Showbout1Click")),

      Item("Engine", "MI_NEC1500", "NEC2 MP 1500", Cmd("MI_NEC1500Click")),
      Item("Engine", "MI_NEC5000", "NEC2 MP 5000", Cmd("MI_NEC5000Click")),
      Item("Engine", "MI_NEC11000", "NEC2 MP 11000", Cmd("MI_NEC11000Click")),
      Separator("Engine", "N11"),
      Item("Engine", "MIParallelRuns", "Parallel Runs...", Cmd("MIParallelRunsClick")),
      Item("Engine", "MITimeLimit", "Time Limit per Deck...", Cmd("MITimeLimitClick")),

      Item("?", "MIHelp", "Help", Cmd("MIHelpClick")),
      Item("?", "AboutMI", "About", Cmd("AboutMIClick")),
      Item("?", "NECardInfo1", "NE-Card Info", Cmd("NECardInfo1Click")),
      Separator("?", "N8"),
      Item("?", "RangeTest1", "RangeTest", Cmd("RangeTest1Click")),
      Item("?", "MIEditrCircle", "Edit rCircle", Cmd("MIEditrCircleClick")),
      Item("?", "MIEditrCylinder", "Edit rCylinder", Cmd("MIEditrCylinderClick")),
      Item("?", "MIShowsomeParameters", "Show Parameters", Cmd("MIShowsomeParametersClick")),
      Separator("?", "N9"),
      Item("?", "MIChangemaxHeight", "Change maxHeight", Cmd("MIChangemaxHeightClick")),
      Item("?", "MIChangeAnalysingSegment", "Change Analysing Segment", Cmd("MIChangeAnalysingSegmentClick")),
      Item("?", "MIChangeAnalysingResistance", "Change Analysing Resistance",
           Cmd("MIChangeAnalysingResistanceClick")),
      // The fields' double-click commands, for the keyboard as well.
      Separator("?", "N13"),
      Item("?", "MIEditPointP", "Edit Point P...", Cmd("EditPointDblClick")),
      Item("?", "MIEditPointA", "Edit Point A...", Cmd("EditPointADblClick")),
      Item("?", "MIEditNormalizePower", "Edit Normalize Power...", Cmd("EditNormalizePowerDblClick")),
  };
  for (MenuItem& item : MM) {
    for (const EngineEntry& engine : kEngines)
      if (item.name == engine.menuItem) item.checked = params.EngineName == engine.executable;
    if (item.name == "MISplitMode") item.checked = params.SplitMode;
    if (item.name == "MISkipUnreadableFiles") item.checked = params.SkipUnreadableFiles;
  }

  PopupMenu1 = {
      Item("", "Point1", "Point (1,0,1)", Cmd("Point1Click")),
      Item("", "Point2", "Point (3,0,1)", Cmd("Point2Click")),
      Item("", "Ponit3", "Point (10,0,1)", Cmd("Ponit3Click")),
      Item("", "Point4", "Point (30,0,1)", Cmd("Point4Click")),
  };

  // The ten column entries share one handler that tells them apart by the entry chosen.
  PopupMenu2 = {
      Item("", "CopytoClipboard1", "Copy to Clipboard", Cmd("MICopytoClipboardClick")),
      Item("", "SaveasTxt1", "Save as Txt", Cmd("MISaveasTxtClick")),
      Separator("", "N10"),
  };
  for (const char* caption : kNearFieldCopyCaptions)
    PopupMenu2.push_back(Item("", "", caption, Cmd("MICopyColomn1Click")));
  for (std::size_t k = 0; k < std::size(kNearFieldCopyCaptions); ++k)
    PopupMenu2[3 + k].name = "MICopyColomn" + std::to_string(k + 1);

  // The controls outside the menus: the two buttons (with their captions) and the display
  // fields a double-click runs.
  Controls = {
      Item("", "Button1", "Add Batch", Cmd("MIAddBatchFolderClick")),
      Item("", "Button2", "A. Batch", Cmd("MIBatchLoadClick")),
      Item("", "EditPoint", "", Cmd("EditPointDblClick")),
      Item("", "EditPointA", "", Cmd("EditPointADblClick")),
      Item("", "EditNormalizePower", "", Cmd("EditNormalizePowerDblClick")),
  };
}

MenuItem* TForm1::FindMenuItem(const std::string& name) {
  for (std::vector<MenuItem>* table : {&MM, &PopupMenu1, &PopupMenu2})
    if (MenuItem* item = FindIn(*table, name)) return item;
  return nullptr;
}

bool TForm1::Checkable(const MenuItem& item) {
  if (item.handler == "MISplitModeClick" || item.handler == "MISkipUnreadableFilesClick") return true;
  for (const EngineEntry& engine : kEngines)
    if (item.name == engine.menuItem) return true;
  return false;
}

bool TForm1::AnswersDoubleClick(const std::string& fieldName) const {
  const MenuItem* control = FindIn(std::as_const(Controls), fieldName);
  return control && control->name.starts_with("Edit");
}

// ---- The dispatcher ----------------------------------------------------------------------

// The row a name starts: a menu entry or a control by its name, or the handler by its own
// name, which stands for its first menu entry.
const MenuItem* TForm1::ResolveControl(const std::string& name) const {
  for (const std::vector<MenuItem>* table : {&MM, &PopupMenu1, &PopupMenu2, &Controls})
    if (const MenuItem* item = FindIn(*table, name)) return item;
  for (const std::vector<MenuItem>* table : {&MM, &PopupMenu1, &PopupMenu2})
    for (const MenuItem& item : *table)
      if (!item.separator && item.handler == name) return &item;
  return nullptr;
}

bool TForm1::HasCommand(const std::string& name) const {
  if (FindCommand(name)) return true;
  const MenuItem* control = ResolveControl(name);
  return control && FindCommand(control->handler);
}

std::string TForm1::CommandCaption(const std::string& name) const {
  const MenuItem* control = ResolveControl(name);
  return control && !control->caption.empty() ? control->caption : name;
}

bool TForm1::Run(const std::string& name) {
  const MenuItem* control = ResolveControl(name);
  const CommandDef* command = FindCommand(control ? control->handler : name);
  if (!command) return false;

  if (running_) {
    // Quit during a command asks whether to end that command (at its next event processing);
    // everything else waits until the running command has finished, and the running one goes on.
    if (command->handler == "MIQuitClick") {
      AskToQuit(true);
    } else {
      platform.ui.StatusNotice(title, kStillRunning);
    }
    return true;
  }

  running_ = true;
  stopRequested_ = false;
  handler_ = command->handler;
  const std::uint64_t tableWritten = MdataValues.written;
  sender_ = control && control->handler == name ? std::string() : name;
  progress = Progress{true, CommandCaption(name), 0, 0, platform.system.MillisecondsSinceEpoch(), 0};
  try {
    (this->*command->run)();
  } catch (const CommandAborted&) {
    // The window is closing: the command ends silently.
  } catch (const CommandStopped&) {
    // Stopped by the user where it could not say more.
  } catch (const std::exception& failure) {
    platform.ui.ShowMessage(MessageKind::Error, title, ErrorBoxText(VisibleText(failure.what())));
  }
  running_ = false;
  stopRequested_ = false;
  handler_.clear();
  progress.running = false;
  // A batch that wrote its table leaves it unsaved; a Data pane left empty holds nothing to save.
  if (Mdata.lines.empty())
    tableUnsaved = false;
  else if (MdataValues.written != 0 && MdataValues.written != tableWritten)
    tableUnsaved = true;
  progress.endMs = platform.system.MillisecondsSinceEpoch();

  NameCopyEntries();
  if (MenuItem* item = FindMenuItem("MISplitMode")) item->checked = params.SplitMode;
  if (MenuItem* item = FindMenuItem("MISkipUnreadableFiles")) item->checked = params.SkipUnreadableFiles;
  if (closing) platform.ui.RequestQuit();
  return true;
}

// A held group is what a second command would be: the running batch goes on with its item.
bool TForm1::Select(RadioGroup& group, int index) {
  if (index < 0 || index >= static_cast<int>(group.items.size())) return false;
  if (group.held && index != group.itemIndex) {
    platform.ui.StatusNotice(title, kStillRunning);
    return false;
  }
  group.itemIndex = index;
  return true;
}

bool TForm1::CloseQuery() { return AskToQuit(running_); }

bool TForm1::AskToQuit(bool commandRuns) {
  if (closing) return !commandRuns;
  if (commandRuns) {
    if (platform.ui.Confirm(title, RunningCommandQuestion(), true)) closing = true;
    return false;
  }
  return !tableUnsaved || platform.ui.Confirm(title, kUnsavedTable, true);
}

void TForm1::KeepUnsavedTable() {
  if (!tableUnsaved || Mdata.lines.empty()) return;
  const std::string command = running_ && !progress.command.empty() ? progress.command : "Reset";
  const std::string question =
      "The table in the Data pane is not saved. " + command + " clears it: save it first?";
  switch (platform.ui.AskToSave(title, question, SaveAnswer::Discard)) {
    case SaveAnswer::Save:
      MISaveasTxtClick();
      if (tableUnsaved) throw CommandStopped();  // the save dialog was cancelled
      return;
    case SaveAnswer::Discard:
      tableUnsaved = false;
      return;
    case SaveAnswer::Cancel:
      throw CommandStopped();
  }
}

std::vector<BarMenu> MenusOf(const std::vector<MenuItem>& table) {
  std::vector<BarMenu> menus;
  for (const MenuItem& item : table) {
    if (menus.empty() || menus.back().caption != item.menu) menus.push_back({item.menu, {}});
    menus.back().items.push_back(item);
  }
  return menus;
}

std::string TForm1::RunningCommandQuestion() const {
  std::string kind = "command";
  for (const CommandKind& entry : kCommandKinds)
    if (entry.handler == handler_) kind = entry.kind;
  std::string question = "A " + kind + " is running";
  if (progress.files > 0)
    question += " (" + std::to_string(progress.file) + " of " + std::to_string(progress.files) + ")";
  return question + ". Stop it and quit?";
}

void TForm1::NameCopyEntries() {
  const std::vector<std::string> captions = CopyEntryCaptions(Mdata);
  for (std::size_t k = 0; k < captions.size(); ++k)
    if (MenuItem* entry = FindMenuItem("MICopyColomn" + std::to_string(k + 1))) entry->caption = captions[k];
}

// The column entries run one handler; the entry chosen names the column ("MICopyColomn3" the
// third). Started by the handler's own name it copies the first.
void TForm1::CopyColumnOfSender() {
  const std::string_view prefix = "MICopyColomn";
  int column = 0;
  if (sender_.starts_with(prefix) && sender_.size() > prefix.size()) {
    const std::string digits = sender_.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") == std::string::npos && digits.size() <= 2)
      column = std::stoi(digits) - 1;
  }
  MICopyColomn1Click(column);
}

}  // namespace varnel
