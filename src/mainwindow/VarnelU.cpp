// The main window TForm1: its regions, fields and radio groups, the start-up sequence, Reset,
// the layout rule and the window-level commands.
#include "mainwindow/VarnelU.hpp"

#include <algorithm>
#include <exception>

#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/numbers.hpp"
#include "util/tree.hpp"

namespace varnel {

void NearFieldState::Store(NearFieldTable read, int rgPolItem, std::vector<Segment> wires, TableSource from) {
  static std::uint64_t tablesStored = 0;
  table = std::move(read);
  structure = std::move(wires);
  source = std::move(from);
  polarization = rgPolItem;
  stored = ++tablesStored;
}

namespace {

DisplayField Field(const char* name, const char* label) {
  DisplayField field;
  field.name = name;
  field.label = label;
  return field;
}

Region MakeRegion(const char* name, const char* caption) { return Region{name, caption, {}}; }

int NotBelowZero(int value) { return std::max(0, value); }

// A pane fills its region less the frame: 8 pixels in from the left, 15 below the caption.
constexpr int kLeastDataPaneWidth = 120;
constexpr int kLeastInfoPaneHeight = 80;
constexpr int kLeastEditHeight = 60;
constexpr int kLeastInfoWidth = 200;
constexpr int kSplitterGap = 7;  // between Info and Data; the strip of each splitter

Rect PaneInside(const Rect& region) {
  return Rect{8, 15, NotBelowZero(region.width - 16), NotBelowZero(region.height - 23)};
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
  // Each field of the NearField grid is labelled by its row and column (kGridRows, kGridColumns).
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
  // The window opens centred on the screen, no larger than its available area.
  FitToScreen();
  MIWindowCenterClick();

  FormParaDlg = std::make_unique<TFormParaDlg>(platform.ui);
  FormP3dDlg = std::make_unique<TFormP3dDlg>(platform.ui);
  FormP2dDlg = std::make_unique<TFormP2dDlg>(platform.ui);
}

std::array<DisplayField*, 6> TForm1::BasicDataFields() {
  return {&EditVoltage, &EditCurrent, &EditImpedance, &EditPower, &EditFrequency, &EditInputPower};
}

std::array<DisplayField*, 9> TForm1::GridFields() {
  return {&EditXStart, &EditXStop,  &EditXStep, &EditYStart, &EditYStop,
          &EditYStep,  &EditZStart, &EditZStop, &EditZStep};
}

void TForm1::ShowGrid(const GridExtent& extent, const std::string& fieldType) {
  const std::array<DisplayField*, 9> grid = GridFields();
  for (std::size_t i = 0; i < grid.size(); ++i) grid[i]->text = FormatReal("%3.2f", extent[i]);
  EditType.text = fieldType;
}

std::vector<DisplayField*> TForm1::Fields() {
  std::vector<DisplayField*> fields;
  for (DisplayField* field : BasicDataFields()) fields.push_back(field);
  for (DisplayField* field : GridFields()) fields.push_back(field);
  for (DisplayField* field : {&EditType, &EditPoint, &EditPointA, &EditNormalizePower})
    fields.push_back(field);
  return fields;
}

DisplayField* TForm1::FindField(const std::string& name) {
  for (DisplayField* field : Fields())
    if (field->name == name) return field;
  return nullptr;
}

// ---- Start-up, Reset, layout -------------------------------------------------------------

void TForm1::FormCreate() {
  exeFolder = ProgramFolder(platform.system.ExecutablePath());
  title = kApplicationTitle;
  version = kApplicationVersion;
  notice = "(c) " + CurrentYearText(platform.system);
  caption = title + " " + version + " " + notice;

  // The working parameters of program start: the defaults of WorkingParameters, the one place
  // they are written.
  params = WorkingParameters{};

  window.height = 530;
  Reset();
}

void TForm1::Reset() {
  KeepUnsavedTable();
  ClearPane(M);
  ClearPane(Mout);
  ClearPane(Mdata);
  for (DisplayField* field : GridFields()) field->text.clear();
  for (DisplayField* field :
       {&EditFrequency, &EditInputPower, &EditVoltage, &EditCurrent, &EditImpedance, &EditPower})
    field->text.clear();
  ShowPointFields();
  params.BatchFiles.clear();
  tableUnsaved = false;
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

  // The left area: Edit above, Info and Data side by side below, at the splitters' places.
  const int leftWidth = NotBelowZero(W - GBBasicData.bounds.width - 46);
  const int editH = EditRegionHeight();
  const int infoW = InfoRegionWidth();
  GBEdit.bounds = Rect{8, 0, leftWidth, editH};
  GBInfo.bounds = Rect{8, editH, infoW, NotBelowZero(H - editH - 72)};
  GBdata.bounds = Rect{8 + infoW + kSplitterGap, editH, NotBelowZero(leftWidth - infoW - kSplitterGap),
                       NotBelowZero(H - editH - 72)};

  MBounds = PaneInside(GBEdit.bounds);
  MoutBounds = PaneInside(GBInfo.bounds);
  MdataBounds = PaneInside(GBdata.bounds);
}

// 209 by the rule, or where the splitter was dragged to: the Edit region keeps some height and
// so does the Info region below it.
int TForm1::EditRegionHeight() const {
  if (!editHeight) return 209;
  const int most = window.height - 72 - kLeastInfoPaneHeight;
  return std::max(kLeastEditHeight, std::min(*editHeight, most));
}

// 477 by the rule, less where the Data region would then be too narrow for a table row (Info
// keeps kLeastInfoWidth), or where the splitter was dragged to.
int TForm1::InfoRegionWidth() const {
  const int leftWidth = window.width - RightColumnWidth() - 46;
  if (infoWidth)
    return std::max(kLeastInfoWidth, std::min(*infoWidth, leftWidth - kSplitterGap - kLeastDataPaneWidth));
  const int rule = 477;
  if (layoutNeeds.tableRow > 0 && leftWidth - rule - kSplitterGap < layoutNeeds.tableRow)
    return std::max(kLeastInfoWidth, leftWidth - kSplitterGap - layoutNeeds.tableRow);
  return rule;
}

Rect TForm1::SplitterBounds(Splitter splitter) const {
  if (splitter == Splitter::Rows)
    return Rect{GBEdit.bounds.left, GBEdit.bounds.height - kSplitterGap / 2, GBEdit.bounds.width,
                kSplitterGap};
  return Rect{GBInfo.bounds.left + GBInfo.bounds.width, GBInfo.bounds.top, kSplitterGap,
              GBInfo.bounds.height};
}

void TForm1::DragSplitter(Splitter splitter, int position) {
  if (splitter == Splitter::Rows)
    editHeight = position;
  else
    infoWidth = position - GBInfo.bounds.left - kSplitterGap / 2;
  // Kept as it is laid out, so that a drag past a limit does not have to be undone first.
  FormResize();
  if (splitter == Splitter::Rows)
    editHeight = GBEdit.bounds.height;
  else
    infoWidth = GBInfo.bounds.width;
}

int TForm1::RightColumnWidth() const {
  return std::max({209, layoutNeeds.rightColumn, window.width * 209 / 1121});
}

namespace {

// A side no longer than the screen's available area has room for (no limit without a screen).
int WithinScreen(int length, int available) { return available > 0 ? std::min(length, available) : length; }
}  // namespace

std::pair<int, int> TForm1::MinimumWindowSize() const {
  const int rightColumn = std::max(209, layoutNeeds.rightColumn);
  // GBdata is W - R - 530 wide; GBInfo H - 281 and GBCommands H - 352 high.
  return {rightColumn + 530 + kLeastDataPaneWidth,
          std::max(281 + kLeastInfoPaneHeight, 352 + layoutNeeds.commandsHeight)};
}

// A screen smaller than the least size still gets the least size: the regions would overlap
// below it.
void TForm1::FitToScreen() {
  const ScreenArea area = platform.ui.AvailableArea();
  const auto [leastWidth, leastHeight] = MinimumWindowSize();
  window.width = std::max(WithinScreen(window.width, area.width), leastWidth);
  window.height = std::max(WithinScreen(window.height, area.height), leastHeight);
}

void TForm1::SetLayoutNeeds(LayoutNeeds needs) {
  layoutNeeds = needs;
  const auto [width, height] = MinimumWindowSize();
  window.width = std::max(window.width, width);
  window.height = std::max(window.height, height);
  FitToScreen();
  FormResize();
}

// ---- Window-level commands ---------------------------------------------------------------

// Started through the dispatcher, the binding is asked to quit once this command has ended;
// the window's close that follows asks nothing more.
void TForm1::MIQuitClick() {
  if (!AskToQuit(false)) return;
  closing = true;
  if (!running_) platform.ui.RequestQuit();
}

void TForm1::MIResetWindowPositionClick() {
  window.left = 10;
  window.top = 10;
}

// The outer size centred on the screen's available area, integer division truncating toward
// zero. A window larger than the area starts at its left or top edge rather than off-screen,
// where its menu bar could not be reached.
void TForm1::MIWindowCenterClick() {
  const ScreenArea area = platform.ui.AvailableArea();
  window.left = area.left + std::max(0, (area.width - window.width) / 2);
  window.top = area.top + std::max(0, (area.height - window.height) / 2);
}

void TForm1::MIHelpClick() { OpenExistingDocument(platform, exeFolder + "Varnel Hilfe.pdf"); }

void TForm1::AboutMIClick() {
  ShowInfo(platform.ui, title + " " + version + "\r" + notice +
                            "\r"
                            "NEC2 output analysis, batch tables and input-deck generation.");
}

void TForm1::MISplitModeClick() {
  params.SplitMode = !params.SplitMode;
  if (MenuItem* item = FindMenuItem("MISplitMode")) item->checked = params.SplitMode;
}

// The clock starts again at the first file, so that the time a dialog stood open before the
// loop counts neither as elapsed nor in the estimate.
void TForm1::FileProgress(std::size_t index, std::size_t count) {
  if (index == 0) progress.startMs = platform.system.MillisecondsSinceEpoch();
  progress.file = index + 1;
  progress.files = count;
}

void TForm1::NoteForStatus(const std::string& text) {
  if (text.empty()) return;
  progress.note += (progress.note.empty() ? "" : "; ") + text;
}

namespace {

std::string CaptionAndItem(const std::string& caption, const RadioGroup& group, int item) {
  if (item < 0 || item >= static_cast<int>(group.items.size())) return "";
  return caption + ": " + group.items[static_cast<std::size_t>(item)];
}

}  // namespace

std::string ChoiceText(const RadioGroup& group, int item) {
  return CaptionAndItem(group.caption, group, item);
}

std::string PictureChoiceText(const RadioGroup& group, int item) {
  return CaptionAndItem(group.name == "RGPol" ? "Polarization" : group.caption, group, item);
}

namespace {

// "0:07", "12:30", "1:02:03".
std::string Duration(std::uint64_t milliseconds) {
  const std::uint64_t seconds = milliseconds / 1000;
  const std::uint64_t h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
  std::string text = h ? std::to_string(h) + ":" + (m < 10 ? "0" : "") : "";
  return text + std::to_string(m) + ":" + (s < 10 ? "0" : "") + std::to_string(s);
}

// The progress line without its note.
std::string CountText(const Progress& progress, std::uint64_t nowMs) {
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

}  // namespace

std::string ProgressText(const Progress& progress, std::uint64_t nowMs) {
  if (!progress.running && !progress.outcome.empty()) return progress.outcome;
  const std::string text = CountText(progress, nowMs);
  if (progress.note.empty()) return text;
  return (text.empty() ? progress.command : text) + " (" + progress.note + ")";
}

int ProgressPermille(const Progress& progress) {
  if (progress.files == 0) return -1;
  const std::size_t finished = progress.file > 0 ? progress.file - 1 : 0;
  return static_cast<int>(std::min<std::size_t>(finished, progress.files) * 1000 / progress.files);
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

void TForm1::ProcessPendingEvents() {
  platform.ui.ProcessEvents();
  if (closing && running_) throw CommandAborted();
  if (stopRequested_ && running_) {
    stopRequested_ = false;  // the command that stops may still process events to end well
    throw CommandStopped();
  }
}

void TForm1::RequestStop() {
  if (running_) stopRequested_ = true;
}

bool TForm1::EscapePressed() {
  if (!running_) return false;
  RequestStop();
  return true;
}

}  // namespace varnel
