#pragma once
// VarnelU: the main window TForm1 as a plain object. It holds every state of the program
// (working parameters, panes, display fields, radio groups, the menu table, the geometry)
// and every command as a member function named as its handler. Bindings (Qt, the headless
// runner) only show this model and forward clicks to Run().
//
// The commands are defined beside the subsystem they belong to:
//   mainwindow/VarnelU.cpp    start-up, Reset, FormResize, window commands
//   mainwindow/commands.cpp   the command table, the menus and controls, the dispatcher
//   mainwindow/panes.cpp      panes and export (copy, save, column copy)
//   mainwindow/params.cpp     parameter commands and dialogs
//   mainwindow/single.cpp     Load, Load Dipol, Analyse Main, Analyse Nearfield
//   batch/                    Add Batch Folder, FileLoadTest, the three batch analyses
//   decks/                    Edit InputFile, NE-Card Info, RangeTest, the three generators
//   engine/                   engine choice, single and batch conversion, Show b_in / b_out
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/dialogs.hpp"
#include "mainwindow/panes.hpp"
#include "necout/NecOutLib.hpp"
#include "platform/platform.hpp"
#include "util/numbers.hpp"
#include "util/shared_text.hpp"
#include "util/tree.hpp"

namespace varnel {

enum class PictureKind : int;  // mainwindow/pictures.hpp

// Where a near-field table was read: the file (as messages name it; "" for no file's text) and
// the run's frequency in MHz (NaN where it could not be read), for the pictures' titles.
struct TableSource {
  std::string file;
  double frequency = std::numeric_limits<double>::quiet_NaN();
};

// The window's current near-field table with its overall maximum and grid extent.
struct NearFieldState {
  NearFieldTable table;
  double maximum = std::numeric_limits<double>::quiet_NaN();
  GridExtent extent{};
  int polarization = 0;      // the item of RGPol the table was read with
  std::uint64_t stored = 0;  // which table this is: a number no earlier stored table had (0: none)
  // The wires of the file the table was read from, for the field map.
  std::vector<Segment> structure;
  TableSource source;

  // Takes over a table newly read with that item of RGPol, the structure of its file and where
  // it was read.
  void Store(NearFieldTable read, int rgPolItem, std::vector<Segment> wires = {}, TableSource from = {});
};

// The most engine runs Batch Conversion may keep going at once: the machine's processor count.
int MostParallelRuns();

// The working parameters and working values of the main window. The defaults are those of
// program start (FormCreate sets them again).
struct WorkingParameters {
  Point3D p{10.0, 0.0, 4.0};
  Point2D a{10.0, 0.0};
  double py = 10.0;
  double rCircle = 10.0;
  double rCylinder = 10.0;
  double normalizePower = 1.0;
  double maxHeight = 1000.0;
  std::int32_t AnalyseSegment = 1;
  double AnalysingResistance = 50.0;
  std::string EngineName = kEngineExecutables[0];
  // How many engine processes Batch Conversion keeps running at once: one per processor at
  // start; 1 runs the decks one after the other.
  int EngineJobs = MostParallelRuns();
  // A deck's engine run that takes longer than this many minutes is ended and counts as
  // failed ("Time Limit per Deck..."); 0: no limit.
  double EngineTimeLimitMinutes = 0;
  bool SplitMode = false;
  // A batch analysis that cannot read a file leaves its row out and goes on ("Skip Unreadable
  // Files"); off, the file ends the batch.
  bool SkipUnreadableFiles = false;
  std::string BatchFolder;
  TextList BatchFiles;
  SharedText currentText;  // also the lines of pane M after a load
  // The file currentText was read from, as messages name it ("" for a text that is no file's,
  // such as the deck a generator built last).
  std::string currentName;
  double inputPower = 0.0;
  NearFieldState nearField;
};

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// A framed region (group box) with its caption and geometry.
struct Region {
  std::string name;
  std::string caption;
  Rect bounds;
};

struct RadioGroup {
  std::string name;
  std::string caption;
  std::vector<std::string> items;
  int itemIndex = 0;
  std::string color = "clBtnFace";  // "clWhite" while the EUT analysis runs in split mode
  // While a running batch holds the group it works with the item it took at its start, and a
  // switch is refused (TForm1::Select).
  bool held = false;
};
// The group's caption and the item's: "Polerization: Z", "Mode: XZ-Plane"; "" for no item.
std::string ChoiceText(const RadioGroup& group, int item);
// The same for a picture, where RGPol's caption is spelled "Polarization": "Polarization: Z".
std::string PictureChoiceText(const RadioGroup& group, int item);

// One display field: a single-line, centred, read-only text.
struct DisplayField {
  std::string name;
  std::string label;
  std::string text = "----";
};

// One row of a menu table. A separator row has separator = true and nothing else. name is the
// control's name (MIAddEUTs, MICopyColomn3); handler the command it runs.
struct MenuItem {
  std::string menu;  // the top-level menu caption ("File"); empty in popup menus
  std::string name;
  std::string caption;
  std::string handler;
  std::string shortcut;  // "Ctrl+Alt+M", "F10", or empty
  bool separator = false;
  bool checked = false;
  // The name a window knows the row's command by: its name, or its handler where it has none.
  const std::string& Key() const { return name.empty() ? handler : name; }
};
// A menu of the menu bar: the rows of the menu table that follow each other under one caption.
struct BarMenu {
  std::string caption;
  std::vector<MenuItem> items;
};
std::vector<BarMenu> MenusOf(const std::vector<MenuItem>& table);

// How far the running command has got, for the window's status bar. Every command started
// through the dispatcher is running until it ends; the batch loops also tell which file of how
// many they are at.
struct Progress {
  bool running = false;
  std::string command;        // the caption it was started by ("Batch-Analyse Nearfield")
  std::size_t file = 0;       // files begun so far (1 while the first one is worked on)
  std::size_t files = 0;      // 0 when the command does not count files
  std::uint64_t startMs = 0;  // when it started, or began its first file
  std::uint64_t endMs = 0;    // when it ended (running false)
  // What the command leaves to be said beside its progress, while it runs and after it ends:
  // the settings it worked with ("Polerization: Z; Mode: XZ-Plane"), what it could not do.
  // Notes are joined by "; "; TForm1::NoteForStatus adds one.
  std::string note;
  // What the command came to, shown alone in the status line once it has ended: "Saved
  // c:\...\eut5.txt (301 lines)", or, set through TForm1::EndStatus, "Export Cluster Job: 15
  // decks in 15 tasks" in place of its count of files.
  std::string outcome;
};
// "Batch-Analyse Nearfield: file 12 of 1500, 0:03 elapsed, about 6:10 left" while running (the
// estimate once a file has been finished); "Batch-Analyse Nearfield: 1500 files in 6:13" after
// a counting command ("...: ended at file 7 of 1500 after 0:02" when it ended early); empty
// after any other. A note follows in parentheses: "Analyse Nearfield (Polerization: X)" after a
// command that counts no files, "...: 1500 files in 6:13 (Polerization: Z; Mode: Circle)".
// After a command that reported its outcome, the outcome alone.
std::string ProgressText(const Progress& progress, std::uint64_t nowMs);
// 0..1000 for a progress bar; -1 when the command does not count files.
int ProgressPermille(const Progress& progress);

// The table a batch analysis wrote into Mdata, with its numbers at full precision: the pane's
// cells are rounded to three decimals or three significant digits, and the plots draw these
// numbers instead. They stand for the pane only while Mdata is as the batch left it: an edit in
// the window (ReplaceLines) or any later change of Mdata makes the plots read the pane's
// text again.
struct TableValues {
  std::vector<std::string> headings;   // the heading lines of column names and units, as written
  std::vector<RealList> rows;          // the cells of each data line now in Mdata, in order
  std::vector<bool> impossibleBudget;  // per row: its file's power budget is not physical
  std::vector<std::string> notes;      // what the rows were taken with ("Polarization: Z")
  std::uint64_t written = 0;           // Mdata's revision after the batch's last write (0: none)
  bool Describes(const Pane& pane) const { return written != 0 && written == pane.revision; }
};

class TForm1 {
 public:
  explicit TForm1(Platform platform);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  Platform platform;  // the machine and the person

  // ---- Start-up values -------------------------------------------------------------
  std::string exeFolder;  // ProgramFolder of the executable, ends in '\'
  std::string title;      // kApplicationTitle
  std::string version;    // kApplicationVersion
  std::string notice;     // ends with the current year
  std::string caption;    // title + " " + version + " " + notice

  WorkingParameters params;

  // ---- Window ----------------------------------------------------------------------
  Rect window{0, 0, 1121, 530};  // outer left, top, width, height
  Region GBEdit, GBInfo, GBdata, GBBasicData, GBNearField, GBCommands;
  Rect MBounds, MoutBounds, MdataBounds;  // pane geometry inside its region

  // What a binding measures with its fonts: the width the right column needs to show the
  // widest texts of its fields, and the height the Commands region needs for its controls at
  // their natural heights. Headless nothing is measured and the layout is the plain rule.
  struct LayoutNeeds {
    int rightColumn = 209;
    int commandsHeight = 0;
    // The width of the Data region that shows a row of kTableRowChars characters whole (0:
    // nothing measured).
    int tableRow = 0;
  };
  // The characters of a test-object table row (58) and a little room.
  static constexpr int kTableRowChars = 60;
  LayoutNeeds layoutNeeds;
  // Takes the measured needs: the window grows to the minimum size and is laid out again.
  void SetLayoutNeeds(LayoutNeeds needs);
  // The smallest outer width and height at which no region overlaps another, the data pane
  // keeps some width and the Commands region holds its controls.
  std::pair<int, int> MinimumWindowSize() const;
  // Makes the window no larger than the screen's available area (nor smaller than its least
  // size).
  void FitToScreen();
  // The width of the right column: the rule's 209 at the design width 1121, growing in
  // proportion with a wider window, and never below what its fields need.
  int RightColumnWidth() const;
  // The Edit region's height and the Info region's width (the splitters' places).
  int EditRegionHeight() const;
  int InfoRegionWidth() const;

  // The two splitters between the panes: Rows between the Edit region and the Info and Data
  // regions below it, Columns between Info and Data. The window draws a handle in each one's
  // strip (client coordinates) and hands a drag to DragSplitter; the place dragged to is kept
  // while the window is open (within what the window's size allows) and FormResize follows it.
  enum class Splitter { Rows, Columns };
  Rect SplitterBounds(Splitter splitter) const;
  // position: where the strip's middle is dragged to (y for Rows, x for Columns).
  void DragSplitter(Splitter splitter, int position);
  std::optional<int> editHeight, infoWidth;  // dragged to; none: the rule's place

  Pane M, Mout, Mdata;
  TableValues MdataValues;  // the numbers of the batch table in Mdata

  // BasicData
  DisplayField EditVoltage, EditCurrent, EditImpedance, EditPower, EditFrequency, EditInputPower;
  // NearField
  DisplayField EditXStart, EditXStop, EditXStep, EditYStart, EditYStop, EditYStep, EditZStart, EditZStop,
      EditZStep, EditType;
  // Commands
  DisplayField EditPoint, EditPointA, EditNormalizePower;
  RadioGroup RGMode, RGPol;
  // Chooses the group's item as a click on it or the script's `select` does. While a running
  // batch holds the group the switch is refused like a second command (a status notice) and
  // the group keeps its item. False when refused or when index names no item.
  bool Select(RadioGroup& group, int index);

  // Every display field, in region order (BasicData, NearField, Commands).
  std::vector<DisplayField*> Fields();
  // The six fields of BasicData, top to bottom.
  std::array<DisplayField*, 6> BasicDataFields();
  // The nine fields of the NearField grid, row by row: X Start, X Stop, X Step, then Y, then Z.
  std::array<DisplayField*, 9> GridFields();
  // The grid's row labels and column headings, as the window shows them around its fields.
  static constexpr std::array<const char*, 3> kGridRows = {"X", "Y", "Z"};
  static constexpr std::array<const char*, 3> kGridColumns = {"Start", "Stop", "Step"};
  // The grid extent in the nine fields ("%3.2f" each) and the field type in EditType.
  void ShowGrid(const GridExtent& extent, const std::string& fieldType);
  DisplayField* FindField(const std::string& name);

  // ---- Menus -----------------------------------------------------------------------
  std::vector<MenuItem> MM;          // the main menu, in order
  std::vector<MenuItem> PopupMenu1;  // of EditPoint
  std::vector<MenuItem> PopupMenu2;  // of Mdata
  // The controls outside the menus that run a command: the buttons "Button1" and "Button2"
  // with their captions, and the display fields a double-click runs (no caption).
  std::vector<MenuItem> Controls;
  MenuItem* FindMenuItem(const std::string& name);  // in any of the three tables

  // ---- The dialogs created at start ------------------------------------------------
  std::unique_ptr<TFormParaDlg> FormParaDlg;
  std::unique_ptr<TFormP3dDlg> FormP3dDlg;
  std::unique_ptr<TFormP2dDlg> FormP2dDlg;

  // ---- The dispatcher --------------------------------------------------------------
  // Starts a command by its handler name ("MIBatchLoadClick") or by the name of the control
  // that runs it ("MIAddEUTs", "Button2", "MICopyColomn3", "MI_NEC5000"). A failure the
  // command does not catch ends it and is shown in an error box titled "Varnel" ('.' appended
  // when the message's last character sorts after '.'). While a command runs, another is
  // refused with a warning (Quit excepted, which ends the running command at its next event
  // processing). Returns false for an unknown name.
  bool Run(const std::string& name);
  bool Busy() const { return running_; }
  bool HasCommand(const std::string& name) const;
  // The window asks to close (its close button, or Quit reaching the binding): true when it may
  // close now. While a command runs it asks whether to stop it ("A batch conversion is running
  // (150 of 300). Stop it and quit?"); Yes ends the command at its next event processing and
  // the window closes afterwards, No changes nothing; false either way. Otherwise, while the
  // Data pane holds a table not saved since a batch wrote it, it asks "The table in the Data
  // pane is not saved. Quit anyway?". Once the end has been agreed to it asks nothing more.
  // Where nobody answers (a script without a queued answer) every question is a Yes.
  bool CloseQuery();
  bool closing = false;  // the program ends once the running command has ended
  // The question CloseQuery asks about the running command: its kind in words and how far it
  // has got ("A deck generation is running (40 of 200). Stop it and quit?").
  std::string RunningCommandQuestion() const;
  // A batch wrote a table into Mdata that has not been saved since (Save as Txt saves it;
  // Reset, or a command that leaves Mdata empty, drops it).
  bool tableUnsaved = false;
  // Before a command clears the Data pane: while it holds a table not saved, asks "The table in
  // the Data pane is not saved. <command> clears it: save it first?" with Save (Save as Txt; a
  // save cancelled in its dialog ends the command), Discard and Cancel (ends the command,
  // CommandStopped). Unanswered (a script without a queued answer) it is Discard.
  void KeepUnsavedTable();

  // Lets the window repaint and take input; ends the running command when the window is
  // closing (CommandAborted) or when the user asked it to stop (CommandStopped).
  void ProcessPendingEvents();
  // Stop and Esc: the running command ends at its next event processing (a batch after the
  // file it is at). Nothing happens when no command runs.
  void RequestStop();
  bool StopRequested() const { return stopRequested_; }
  // The window's Stop button is enabled while a command runs that has not been asked to stop.
  bool StopEnabled() const { return running_ && !stopRequested_; }
  // The Esc key in the main window: stops the running command (true, the key is taken); with no
  // command running it does nothing (false, the key goes on to the focused control).
  bool EscapePressed();
  // Whether the user may change a pane's text now. Not while a command runs: the running
  // command's lines (the line a conversion completes with "......done.") stay where it put
  // them. Moving the caret, selecting and copying stay open.
  bool TakesPaneEdits() const { return !running_; }
  // A batch loop begins file index (0-based) of count.
  void FileProgress(std::size_t index, std::size_t count);
  // Adds a note of the running command to its progress (Progress::note).
  void NoteForStatus(const std::string& text);
  // What the running command came to, for the status bar once it has ended (Progress::outcome).
  void EndStatus(const std::string& outcome) { progress.outcome = progress.command + ": " + outcome; }
  Progress progress;

  // ---- Decisions the window reads ------------------------------------------------------
  // Menu items that carry a check mark (SplitMode, the engines).
  static bool Checkable(const MenuItem& item);
  // The display fields a double-click runs a command on (their row in Controls).
  bool AnswersDoubleClick(const std::string& fieldName) const;
  // The longest text each display field is written with, for a binding to size it.
  static std::string WidestText(const std::string& fieldName);

  // ---- Start-up and window commands (VarnelU.cpp) ------------------------------------
  void FormCreate();
  void Reset();
  void FormResize();
  void MIQuitClick();
  void MIResetWindowPositionClick();
  void MIWindowCenterClick();
  void MIHelpClick();
  void AboutMIClick();
  void MISplitModeClick();

  // ---- Panes and export (panes.cpp) -------------------------------------------------
  void MICopytoClipboardClick();
  void MISaveasTxtClick();
  void MICopyColomn1Click(int columnIndex);  // the entry's column 0..9
  // What the column entries of PopupMenu2 run: the column of the entry the command was started
  // by ("MICopyColomn3" the third; the handler's own name the first).
  void CopyColumnOfSender();
  // The column entries' captions for the table now in Mdata (CopyEntryCaptions); the dispatcher
  // names them after every command, a window after the user edited the pane.
  void NameCopyEntries();

  // ---- Parameter commands (params.cpp) ----------------------------------------------
  void EditPointDblClick();
  void EditPointADblClick();
  void EditNormalizePowerDblClick();
  void Point1Click();
  void Point2Click();
  void Ponit3Click();
  void Point4Click();
  void MIChangemaxHeightClick();
  void MIChangeAnalysingSegmentClick();
  void MIChangeAnalysingResistanceClick();
  void MIEditrCircleClick();
  void MIEditrCylinderClick();
  void MIShowsomeParametersClick();
  // "(%2.1f|%2.1f|%2.1f)" of p, "(%2.1f|%2.1f)" of a, "%1.2f W" of normalizePower.
  void ShowPointFields();

  // ---- Single-file analysis (single.cpp) --------------------------------------------
  void Load1Click();
  void LoadDipol1Click();
  void AnalyseMain1Click();
  void AnalyseNearfield1Click();

  // ---- Batch analysis (batch/) ------------------------------------------------------
  void MIAddBatchFolderClick();
  void MIFileLoadTestClick();
  void MIBatchLoadClick();
  void MIBatchAnalysePowerClick();
  void MIAnalyseEUTsClick();
  void MISkipUnreadableFilesClick();

  // ---- Pictures (pictures.cpp) ------------------------------------------------------
  // "Show Field Map" and "Plot Table" ask the binding to open the picture beside the window;
  // headless (no showPicture) they do nothing.
  void MIShowFieldMapClick();
  void MIPlotTableClick();
  std::function<void(PictureKind)> showPicture;

  // ---- Deck generation (decks/) -----------------------------------------------------
  void EditInputFile1Click();
  void NECardInfo1Click();
  void RangeTest1Click();
  void CreateMultipleInputFiles1Click();
  void MIHardCoded1Click();
  void MIGenerateEUTsClick();

  // ---- Engine runs (engine/) --------------------------------------------------------
  void MI_NEC1500Click();
  void MI_NEC5000Click();
  void MI_NEC11000Click();
  void SingleConversion1Click();
  void BatchConversion1Click();
  void ResumeBatchConversion1Click();
  void MIParallelRunsClick();
  void MITimeLimitClick();
  // Slurm (engine/cluster_commands.cpp).
  void ClusterConversion1Click();
  void ExportClusterJob1Click();
  void Showbin1Click();
  void Showbout1Click();

 private:
  // The menu tables and the controls (commands.cpp, beside the command table).
  void BuildMenus();
  void PresetPointP(double x);
  const MenuItem* ResolveControl(const std::string& name) const;
  std::string sender_;  // the control or menu entry the running command was started by
  // The caption of the menu item or button that runs the command named.
  std::string CommandCaption(const std::string& name) const;
  // The questions before the program ends; commandRuns: another command than Quit is running.
  bool AskToQuit(bool commandRuns);
  bool running_ = false;
  bool stopRequested_ = false;
  std::string handler_;  // the handler of the running command
};

}  // namespace varnel
