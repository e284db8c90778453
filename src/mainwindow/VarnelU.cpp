// The main window TForm1: its regions, fields, radio groups and menu tables, the start-up
// sequence, Reset, the layout rule, the window-level commands and the one command dispatcher.
#include "mainwindow/VarnelU.hpp"

#include <algorithm>
#include <exception>

#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/numbers.hpp"
#include "util/tree.hpp"

namespace {

const char* const kStillRunning = "A command is still running. Please wait until it has finished.";

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

DisplayField Field(const char* name, const char* label) {
  DisplayField field;
  field.name = name;
  field.label = label;
  return field;
}

Region MakeRegion(const char* name, const char* caption) { return Region{name, caption, {}}; }

// The error box appends '.' when the message's last byte sorts after '.'; bytes compare as
// unsigned, so a message ending in a Latin-1 letter (above 127) gets its point too.
std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
    return message + ".";
  return message;
}

int NotBelowZero(int value) { return std::max(0, value); }

// A pane fills its region less the frame: 8 pixels in from the left, 15 below the caption.
Rect PaneInside(const Rect& region) {
  return Rect{8, 15, NotBelowZero(region.width - 16), NotBelowZero(region.height - 23)};
}

template <typename Table>
auto FindIn(Table& table, const std::string& name) -> decltype(&table.front()) {
  for (auto& item : table)
    if (!item.separator && item.name == name) return &item;
  return nullptr;
}

}  // namespace

// ---- Construction ----------------------------------------------------------------------

TForm1::TForm1(Platform platform) : platform(platform) {
  GBEdit = MakeRegion("GBEdit", "Edit");
  GBInfo = MakeRegion("GBInfo", "Info");
  GBdata = MakeRegion("GBdata", "Data");
  GBBasicData = MakeRegion("GBBasicData", "BasicData");
  GBNearField = MakeRegion("GBNearField", "NearField");
  GBCommands = MakeRegion("GBCommands", "Commands");

  EditVoltage = Field("EditVoltage", "Voltage (eff)");
  EditCurrent = Field("EditCurrent", "Current (eff)");
  EditImpedance = Field("EditImpedance", "Impedance");
  EditPower = Field("EditPower", "Power");
  EditFrequency = Field("EditFrequency", "Frequency");
  EditInputPower = Field("EditInputPower", "Input Power");
  // The NearField grid has row labels "X", "Y", "Z" and column headings "Start", "Stop",
  // "Step"; each field's label names its row and column.
  EditXStart = Field("EditXStart", "X Start");
  EditXStop = Field("EditXStop", "X Stop");
  EditXStep = Field("EditXStep", "X Step");
  EditYStart = Field("EditYStart", "Y Start");
  EditYStop = Field("EditYStop", "Y Stop");
  EditYStep = Field("EditYStep", "Y Step");
  EditZStart = Field("EditZStart", "Z Start");
  EditZStop = Field("EditZStop", "Z Stop");
  EditZStep = Field("EditZStep", "Z Step");
  EditType = Field("EditType", "Type");
  EditPoint = Field("EditPoint", "P");
  EditPointA = Field("EditPointA", "A");
  EditNormalizePower = Field("EditNormalizePower", "Normalize Power");

  RGMode.name = "RGMode";
  RGMode.caption = "Mode";
  RGMode.items = {"at Point P", "par. Z thru A", "XZ-Plane", "Circle", "Cylinder"};
  RGPol.name = "RGPol";
  RGPol.caption = "Polerization";
  RGPol.items = {"Total", "X", "Y", "Z", "hori."};

  BuildMenus();
  FormCreate();
  // The window opens centred on the screen.
  MIWindowCenterClick();

  FormParaDlg = std::make_unique<TFormParaDlg>(platform.ui);
  FormP3dDlg = std::make_unique<TFormP3dDlg>(platform.ui);
  FormP2dDlg = std::make_unique<TFormP2dDlg>(platform.ui);
}

void TForm1::BuildMenus() {
  MM = {
      Item("File", "Load1", "Load", "Load1Click"),
      Item("File", "LoadDipol1", "Load Dipol", "LoadDipol1Click"),
      Separator("File", "N1"),
      Item("File", "MICopytoClipboard", "Copy to Clipboard", "MICopytoClipboardClick"),
      Item("File", "MISaveasTxt", "Save as Txt", "MISaveasTxtClick"),
      Separator("File", "N2"),
      Item("File", "MIQuit", "Quit", "MIQuitClick"),

      Item("InputFiles", "EditInputFile1", "Edit InputFile", "EditInputFile1Click"),
      Item("InputFiles", "CreateMultipleInputFiles1", "Create Multiple InputFiles",
           "CreateMultipleInputFiles1Click", "Ctrl+Alt+M"),
      Separator("InputFiles", "N3"),
      Item("InputFiles", "MIHardCoded1", "Random Phases at Multiple Sources", "MIHardCoded1Click"),
      Separator("InputFiles", "N4"),
      Item("InputFiles", "MIGenerateEUTs", "Generate EUTs", "MIGenerateEUTsClick", "F10"),
      Item("InputFiles", "MIAddEUTs", "Add EUTs", "MIAddBatchFolderClick", "F11"),
      Item("InputFiles", "MIAnalyseEUTs", "Analyse EUTs", "MIAnalyseEUTsClick", "F12"),

      Item("Convert To Output Files", "SingleConversion1", "Single Conversion", "SingleConversion1Click"),
      Item("Convert To Output Files", "BatchConversion1", "Batch Conversion", "BatchConversion1Click",
           "Ctrl+Alt+P"),

      Item("Analyse", "AnalyseMain1", "Analyse Main", "AnalyseMain1Click"),
      Item("Analyse", "AnalyseNearfield1", "Analyse Nearfield", "AnalyseNearfield1Click"),
      Separator("Analyse", "N5"),
      Item("Analyse", "MIAddBatchFolder", "Add Batch Folder", "MIAddBatchFolderClick", "Ctrl+Alt+A"),
      Item("Analyse", "MIBatchLoad", "Batch-Analyse Nearfield", "MIBatchLoadClick"),
      Item("Analyse", "MIBatchAnalysePower", "Batch-Analyse Power", "MIBatchAnalysePowerClick"),

      Item("Other", "MIResetWindowPosition", "Reset Window Position", "MIResetWindowPositionClick"),
      Item("Other", "MIWindowCenter", "Window Center", "MIWindowCenterClick"),
      Separator("Other", "N6"),
      Item("Other", "Reset1", "Reset", "Reset"),
      Item("Other", "MISplitMode", "SplitMode", "MISplitModeClick"),
      Item("Other", "MIFileLoadTest", "FileLoadTest", "MIFileLoadTestClick"),
      Separator("Other", "N7"),
      Item("Other", "Showbin1", "Show b_in", "Showbin1Click"),
      Item("Other", "Showbout1", "Show b_out", "Showbout1Click"),

      Item("Engine", "MI_NEC1500", "NEC2 MP 1500", "MI_NEC1500Click"),
      Item("Engine", "MI_NEC5000", "NEC2 MP 5000", "MI_NEC5000Click"),
      Item("Engine", "MI_NEC11000", "NEC2 MP 11000", "MI_NEC11000Click"),
      Separator("Engine", "N11"),
      Item("Engine", "MIParallelRuns", "Parallel Runs...", "MIParallelRunsClick"),

      Item("?", "MIHelp", "Help", "MIHelpClick"),
      Item("?", "AboutMI", "About", "AboutMIClick"),
      Item("?", "NECardInfo1", "NE-Card Info", "NECardInfo1Click"),
      Separator("?", "N8"),
      Item("?", "RangeTest1", "RangeTest", "RangeTest1Click"),
      Item("?", "MIEditrCircle", "Edit rCircle", "MIEditrCircleClick"),
      Item("?", "MIEditrCylinder", "Edit rCylinder", "MIEditrCylinderClick"),
      Item("?", "MIShowsomeParameters", "Show Parameters", "MIShowsomeParametersClick"),
      Separator("?", "N9"),
      Item("?", "MIChangemaxHeight", "Change maxHeight", "MIChangemaxHeightClick"),
      Item("?", "MIChangeAnalysingSegment", "Change Analysing Segment", "MIChangeAnalysingSegmentClick"),
      Item("?", "MIChangeAnalysingResistance", "Change Analysing Resistance",
           "MIChangeAnalysingResistanceClick"),
  };
  for (MenuItem& item : MM) {
    if (item.name == "MI_NEC1500") item.checked = true;
    if (item.name == "MISplitMode") item.checked = params.SplitMode;
  }

  PopupMenu1 = {
      Item("", "Point1", "Point (1,0,1)", "Point1Click"),
      Item("", "Point2", "Point (3,0,1)", "Point2Click"),
      Item("", "Ponit3", "Point (10,0,1)", "Ponit3Click"),
      Item("", "Point4", "Point (30,0,1)", "Point4Click"),
  };

  PopupMenu2 = {
      Item("", "CopytoClipboard1", "Copy to Clipboard", "MICopytoClipboardClick"),
      Item("", "SaveasTxt1", "Save as Txt", "MISaveasTxtClick"),
      Separator("", "N10"),
      Item("", "MICopyColomn1", "Copy Frequencies", "MICopyColomn1Click"),
      Item("", "MICopyColomn2", "Copy Power", "MICopyColomn1Click"),
      Item("", "MICopyColomn3", "Copy Field", "MICopyColomn1Click"),
      Item("", "MICopyColomn4", "Copy corr. Field", "MICopyColomn1Click"),
      Item("", "MICopyColomn5", "Copy Real(V)", "MICopyColomn1Click"),
      Item("", "MICopyColomn6", "Copy Imag(V)", "MICopyColomn1Click"),
      Item("", "MICopyColomn7", "Copy Real(I)", "MICopyColomn1Click"),
      Item("", "MICopyColomn8", "Copy Imag(I)", "MICopyColomn1Click"),
      Item("", "MICopyColomn9", "Copy Real(Z)", "MICopyColomn1Click"),
      Item("", "MICopyColomn10", "Copy Imag(Z)", "MICopyColomn1Click"),
  };
}

std::vector<DisplayField*> TForm1::Fields() {
  return {&EditVoltage, &EditCurrent, &EditImpedance, &EditPower, &EditFrequency, &EditInputPower,
          &EditXStart,  &EditXStop,   &EditXStep,     &EditYStart, &EditYStop,    &EditYStep,
          &EditZStart,  &EditZStop,   &EditZStep,     &EditType,   &EditPoint,    &EditPointA,
          &EditNormalizePower};
}

DisplayField* TForm1::FindField(const std::string& name) {
  for (DisplayField* field : Fields())
    if (field->name == name) return field;
  return nullptr;
}

MenuItem* TForm1::FindMenuItem(const std::string& name) {
  for (std::vector<MenuItem>* table : {&MM, &PopupMenu1, &PopupMenu2})
    if (MenuItem* item = FindIn(*table, name)) return item;
  return nullptr;
}

// ---- Start-up, Reset, layout -------------------------------------------------------------

void TForm1::FormCreate() {
  exeFolder = ProgramFolder(platform.system.ExecutablePath());
  title = kApplicationTitle;
  version = "v1.5";
  notice = "(c) " + CurrentYearText(platform.system);
  caption = title + " " + version + " " + notice;

  params.a = Point2D{10.0, 0.0};
  params.p = Point3D{10.0, 0.0, 4.0};
  params.maxHeight = 1000.0;
  params.AnalyseSegment = 1;
  params.AnalysingResistance = 50.0;
  params.py = 10.0;
  params.rCircle = 10.0;
  params.rCylinder = 10.0;
  params.normalizePower = 1.0;
  params.EngineName = kEngineExecutables[0];

  window.height = 530;
  Reset();
}

void TForm1::Reset() {
  ClearPane(M);
  ClearPane(Mout);
  ClearPane(Mdata);
  for (DisplayField* field : {&EditXStart, &EditXStop, &EditXStep, &EditYStart, &EditYStop, &EditYStep,
                              &EditZStart, &EditZStop, &EditZStep, &EditFrequency, &EditInputPower,
                              &EditVoltage, &EditCurrent, &EditImpedance, &EditPower})
    field->text.clear();
  ShowPointFields();
  params.BatchFiles.clear();
  FormResize();
}

// The layout rule of the window. The formulas have no lower bound; a window made very small
// gets regions and panes of width or height 0 instead of negative sizes (positions are kept
// as computed, so the right column may start left of the window).
//
// The right column is 209 wide at the design width and wherever its fields fit; it grows with
// a wider window (so do its fields) and is never narrower than its widest texts need.
void TForm1::FormResize() {
  const int W = window.width;
  const int H = window.height;
  const int R = RightColumnWidth();

  // The right column; the formulas use the width just given to GBBasicData.
  GBBasicData.bounds = Rect{W - R - 30, 0, R, 153};
  const int rightColumn = W - GBBasicData.bounds.width - 30;
  GBNearField.bounds = Rect{rightColumn, 152, R, 129};
  GBCommands.bounds = Rect{rightColumn, 280, R, NotBelowZero(H - 280 - 72)};

  GBEdit.bounds = Rect{8, 0, NotBelowZero(W - GBBasicData.bounds.width - 46), 209};
  GBInfo.bounds = Rect{8, GBEdit.bounds.height, 477, NotBelowZero(H - GBEdit.bounds.height - 72)};
  GBdata.bounds = Rect{492, GBEdit.bounds.height,
                       NotBelowZero(W - GBBasicData.bounds.width - GBInfo.bounds.width - 53),
                       NotBelowZero(H - GBEdit.bounds.height - 72)};

  MBounds = PaneInside(GBEdit.bounds);
  MoutBounds = PaneInside(GBInfo.bounds);
  MdataBounds = PaneInside(GBdata.bounds);
}

int TForm1::RightColumnWidth() const {
  return std::max({209, layoutNeeds.rightColumn, window.width * 209 / 1121});
}

namespace {
constexpr int kLeastDataPaneWidth = 120;
constexpr int kLeastInfoPaneHeight = 80;
}  // namespace

std::pair<int, int> TForm1::MinimumWindowSize() const {
  const int rightColumn = std::max(209, layoutNeeds.rightColumn);
  // GBdata is W - R - 530 wide; GBInfo H - 281 and GBCommands H - 352 high.
  return {rightColumn + 530 + kLeastDataPaneWidth,
          std::max(281 + kLeastInfoPaneHeight, 352 + layoutNeeds.commandsHeight)};
}

void TForm1::SetLayoutNeeds(LayoutNeeds needs) {
  layoutNeeds = needs;
  const auto [width, height] = MinimumWindowSize();
  window.width = std::max(window.width, width);
  window.height = std::max(window.height, height);
  FormResize();
}

// ---- Window-level commands ---------------------------------------------------------------

void TForm1::MIQuitClick() { platform.ui.RequestQuit(); }

void TForm1::MIResetWindowPositionClick() {
  window.left = 10;
  window.top = 10;
}

// The outer size centred on the screen, integer division truncating toward zero. A window
// larger than the screen starts at its left or top edge rather than off-screen, where its menu
// bar could not be reached.
void TForm1::MIWindowCenterClick() {
  window.left = std::max(0, (platform.ui.ScreenWidth() - window.width) / 2);
  window.top = std::max(0, (platform.ui.ScreenHeight() - window.height) / 2);
}

void TForm1::MIHelpClick() { OpenExistingDocument(platform, exeFolder + "Varnel Hilfe.pdf"); }

void TForm1::AboutMIClick() {
  ShowInfo(platform.ui, title + " " + version + "\r" + notice +
                         "\r" "NEC2 output analysis, batch tables and input-deck generation.");
}

void TForm1::MISplitModeClick() {
  params.SplitMode = !params.SplitMode;
  if (MenuItem* item = FindMenuItem("MISplitMode")) item->checked = params.SplitMode;
}

// ---- The dispatcher ----------------------------------------------------------------------

const std::vector<TForm1::Command>& TForm1::Commands() {
  using F = TForm1;
  static const std::vector<Command> commands = [] {
    std::vector<Command> list = {
        // Start-up and window commands
        {"Reset", &F::Reset},
        {"MIQuitClick", &F::MIQuitClick},
        {"MIResetWindowPositionClick", &F::MIResetWindowPositionClick},
        {"MIWindowCenterClick", &F::MIWindowCenterClick},
        {"MIHelpClick", &F::MIHelpClick},
        {"AboutMIClick", &F::AboutMIClick},
        {"MISplitModeClick", &F::MISplitModeClick},
        // Panes and export
        {"MICopytoClipboardClick", &F::MICopytoClipboardClick},
        {"MISaveasTxtClick", &F::MISaveasTxtClick},
        // Parameter commands
        {"EditPointDblClick", &F::EditPointDblClick},
        {"EditPointADblClick", &F::EditPointADblClick},
        {"EditNormalizePowerDblClick", &F::EditNormalizePowerDblClick},
        {"Point1Click", &F::Point1Click},
        {"Point2Click", &F::Point2Click},
        {"Ponit3Click", &F::Ponit3Click},
        {"Point4Click", &F::Point4Click},
        {"MIChangemaxHeightClick", &F::MIChangemaxHeightClick},
        {"MIChangeAnalysingSegmentClick", &F::MIChangeAnalysingSegmentClick},
        {"MIChangeAnalysingResistanceClick", &F::MIChangeAnalysingResistanceClick},
        {"MIEditrCircleClick", &F::MIEditrCircleClick},
        {"MIEditrCylinderClick", &F::MIEditrCylinderClick},
        {"MIShowsomeParametersClick", &F::MIShowsomeParametersClick},
        // Single-file analysis
        {"Load1Click", &F::Load1Click},
        {"LoadDipol1Click", &F::LoadDipol1Click},
        {"AnalyseMain1Click", &F::AnalyseMain1Click},
        {"AnalyseNearfield1Click", &F::AnalyseNearfield1Click},
        // Batch analysis
        {"MIAddBatchFolderClick", &F::MIAddBatchFolderClick},
        {"MIFileLoadTestClick", &F::MIFileLoadTestClick},
        {"MIBatchLoadClick", &F::MIBatchLoadClick},
        {"MIBatchAnalysePowerClick", &F::MIBatchAnalysePowerClick},
        {"MIAnalyseEUTsClick", &F::MIAnalyseEUTsClick},
        // Deck generation
        {"EditInputFile1Click", &F::EditInputFile1Click},
        {"NECardInfo1Click", &F::NECardInfo1Click},
        {"RangeTest1Click", &F::RangeTest1Click},
        {"CreateMultipleInputFiles1Click", &F::CreateMultipleInputFiles1Click},
        {"MIHardCoded1Click", &F::MIHardCoded1Click},
        {"MIGenerateEUTsClick", &F::MIGenerateEUTsClick},
        // Engine runs
        {"MI_NEC1500Click", &F::MI_NEC1500Click},
        {"MI_NEC5000Click", &F::MI_NEC5000Click},
        {"MI_NEC11000Click", &F::MI_NEC11000Click},
        {"SingleConversion1Click", &F::SingleConversion1Click},
        {"BatchConversion1Click", &F::BatchConversion1Click},
        {"MIParallelRunsClick", &F::MIParallelRunsClick},
        {"Showbin1Click", &F::Showbin1Click},
        {"Showbout1Click", &F::Showbout1Click},
        // Controls outside the menus
        {"Button1", &F::MIAddBatchFolderClick},
        {"Button2", &F::MIBatchLoadClick},
        {"EditPoint", &F::EditPointDblClick},
        {"EditPointA", &F::EditPointADblClick},
        {"EditNormalizePower", &F::EditNormalizePowerDblClick},
        // The handler by its own name serves the first column entry.
        {"MICopyColomn1Click", [](F& form) { form.MICopyColomn1Click(0); }},
    };
    // The ten column entries share one handler that tells them apart by the entry chosen.
    for (int k = 0; k < 10; ++k)
      list.push_back({"MICopyColomn" + std::to_string(k + 1), [k](F& form) { form.MICopyColomn1Click(k); }});
    return list;
  }();
  return commands;
}

namespace {

// A command by its own name, or by the name of the menu item that runs it.
template <typename Commands>
auto ResolveCommand(const Commands& commands, const TForm1& form, const std::string& name)
    -> decltype(&commands.front()) {
  auto byName = [&commands](const std::string& wanted) -> decltype(&commands.front()) {
    for (const auto& command : commands)
      if (command.name == wanted) return &command;
    return nullptr;
  };
  if (auto command = byName(name)) return command;
  for (const std::vector<MenuItem>* table : {&form.MM, &form.PopupMenu1, &form.PopupMenu2})
    if (const MenuItem* item = FindIn(*table, name)) return byName(item->handler);
  return nullptr;
}

}  // namespace

bool TForm1::HasCommand(const std::string& name) const {
  return ResolveCommand(Commands(), *this, name) != nullptr;
}

bool TForm1::Run(const std::string& name) {
  const Command* command = ResolveCommand(Commands(), *this, name);
  if (!command) return false;

  if (running_) {
    // Quit during a command ends that command at its next event processing; everything
    // else waits until the running command has finished, and the running one goes on.
    if (command->name == "MIQuitClick") {
      closing = true;
    } else {
      platform.ui.StatusNotice(title, kStillRunning);
    }
    return true;
  }

  running_ = true;
  progress = Progress{true, CommandCaption(name), 0, 0, platform.system.MillisecondsSinceEpoch(), 0};
  try {
    command->action(*this);
  } catch (const CommandAborted&) {
    // The window is closing: the command ends silently.
  } catch (const std::exception& failure) {
    platform.ui.ShowMessage(MessageKind::Error, title, ErrorBoxText(VisibleText(failure.what())));
  }
  running_ = false;
  progress.running = false;
  progress.endMs = platform.system.MillisecondsSinceEpoch();

  if (MenuItem* item = FindMenuItem("MISplitMode")) item->checked = params.SplitMode;
  if (closing) platform.ui.RequestQuit();
  return true;
}

bool TForm1::CloseQuery() {
  if (!running_) return true;
  closing = true;
  return false;
}

std::string TForm1::CommandCaption(const std::string& name) const {
  const Command* command = ResolveCommand(Commands(), *this, name);
  for (const std::vector<MenuItem>* table : {&MM, &PopupMenu1, &PopupMenu2}) {
    if (const MenuItem* item = FindIn(*table, name)) return item->caption;
  }
  if (name == "Button1") return "Add Batch";
  if (name == "Button2") return "A. Batch";
  for (const std::vector<MenuItem>* table : {&MM, &PopupMenu1, &PopupMenu2}) {
    for (const MenuItem& item : *table)
      if (!item.separator && command && item.handler == command->name) return item.caption;
  }
  return name;
}

// The clock starts again at the first file, so that the time a dialog stood open before the
// loop counts neither as elapsed nor in the estimate.
void TForm1::FileProgress(std::size_t index, std::size_t count) {
  if (index == 0) progress.startMs = platform.system.MillisecondsSinceEpoch();
  progress.file = index + 1;
  progress.files = count;
}

namespace {

// "0:07", "12:30", "1:02:03".
std::string Duration(std::uint64_t milliseconds) {
  const std::uint64_t seconds = milliseconds / 1000;
  const std::uint64_t h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
  std::string text = h ? std::to_string(h) + ":" + (m < 10 ? "0" : "") : "";
  return text + std::to_string(m) + ":" + (s < 10 ? "0" : "") + std::to_string(s);
}

}  // namespace

std::string ProgressText(const Progress& progress, std::uint64_t nowMs) {
  if (!progress.running) {
    if (progress.files == 0 || progress.command.empty()) return "";
    const std::string took = Duration(progress.endMs - progress.startMs);
    if (progress.file < progress.files)
      return progress.command + ": ended at file " + std::to_string(progress.file) + " of " +
             std::to_string(progress.files) + " after " + took;
    return progress.command + ": " + std::to_string(progress.files) + " files in " + took;
  }
  const std::uint64_t elapsed = nowMs > progress.startMs ? nowMs - progress.startMs : 0;
  std::string text = progress.command + ": ";
  if (progress.files == 0) return text + Duration(elapsed) + " elapsed";
  text += "file " + std::to_string(progress.file) + " of " + std::to_string(progress.files) + ", " +
          Duration(elapsed) + " elapsed";
  const std::size_t finished = progress.file > 0 ? progress.file - 1 : 0;
  if (finished > 0 && finished < progress.files) {
    const double left = static_cast<double>(elapsed) / static_cast<double>(finished) *
                        static_cast<double>(progress.files - finished);
    text += ", about " + Duration(static_cast<std::uint64_t>(left)) + " left";
  }
  return text;
}

int ProgressPermille(const Progress& progress) {
  if (progress.files == 0) return -1;
  const std::size_t finished = progress.file > 0 ? progress.file - 1 : 0;
  return static_cast<int>(std::min<std::size_t>(finished, progress.files) * 1000 / progress.files);
}

bool TForm1::Checkable(const MenuItem& item) {
  return item.handler == "MISplitModeClick" || item.name.starts_with("MI_NEC");
}

std::string TForm1::WidestText(const std::string& fieldName) {
  // Each field's pattern with the widest values it meets: negative, scientific notation with a
  // negative exponent, three-digit coordinates.
  const double tiny = -1.2e-3;
  const std::string complex = Format("%3.1g%s%3.1gj", {tiny, SignText(tiny), tiny});
  if (fieldName == "EditVoltage") return complex + " V";
  if (fieldName == "EditCurrent") return complex + " A";
  if (fieldName == "EditImpedance") return complex + " Ohm";
  if (fieldName == "EditPower") return FormatReal("%4.1g W", tiny);
  if (fieldName == "EditInputPower") return FormatReal("%3.1g W", tiny);
  if (fieldName == "EditFrequency") return FrequencyText(0.1234);
  if (fieldName == "EditType") return "MAGNETIC ";
  if (fieldName == "EditPoint") return Format("(%2.1f|%2.1f|%2.1f)", {-100.0, -100.0, -100.0});
  if (fieldName == "EditPointA") return Format("(%2.1f|%2.1f)", {-100.0, -100.0});
  if (fieldName == "EditNormalizePower") return FormatReal("%1.2f W", 1000.0);
  return FormatReal("%3.2f", -100.0);  // the NearField grid
}

bool TForm1::AnswersDoubleClick(const std::string& fieldName) {
  return fieldName == "EditPoint" || fieldName == "EditPointA" || fieldName == "EditNormalizePower";
}

void TForm1::ProcessPendingEvents() {
  platform.ui.ProcessEvents();
  if (closing && running_) throw CommandAborted();
}
