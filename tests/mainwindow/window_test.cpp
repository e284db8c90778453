// The main window: start-up values, Reset, the layout rule, the window commands, the menu
// tables and the dispatcher.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <optional>
#include <string>
#include <vector>

#include "test_paths.hpp"
#include "mainwindow/window_fixture.hpp"
#include "sample/sample_files.hpp"
#include "mainwindow/access_keys.hpp"
#include "util/errors.hpp"
#include "util/text.hpp"

namespace varnel {

using namespace std::string_literals;

namespace {

std::string Show(const Rect& r) {
  return "{left " + std::to_string(r.left) + ", top " + std::to_string(r.top) + ", width " +
         std::to_string(r.width) + ", height " + std::to_string(r.height) + "}";
}

#define EXPECT_RECT(expected, actual, what) \
  EXPECT_EQ(expected, actual) << what << ": expected " << Show(expected) << ", got " << Show(actual)

// ---- Start-up ------------------------------------------------------------------------------

// Every field as name and text, in the windows' order.
std::vector<std::pair<std::string, std::string>> FieldTexts(TForm1& form) {
  std::vector<std::pair<std::string, std::string>> texts;
  for (const DisplayField* field : form.Fields()) texts.push_back({field->name, field->text});
  return texts;
}

// The fields right after start: every one empty but the last four, which take the texts given.
std::vector<std::pair<std::string, std::string>> StartFields(const char* type, const char* point) {
  std::vector<std::pair<std::string, std::string>> expected;
  for (const char* name : {"EditVoltage", "EditCurrent", "EditImpedance", "EditPower", "EditFrequency",
                           "EditInputPower", "EditXStart", "EditXStop", "EditXStep", "EditYStart",
                           "EditYStop", "EditYStep", "EditZStart", "EditZStop", "EditZStep"})
    expected.push_back({name, ""});
  expected.insert(expected.end(), {{"EditType", type},
                                   {"EditPoint", point},
                                   {"EditPointA", "(10,0|0,0)"},
                                   {"EditNormalizePower", "1,00 W"}});
  return expected;
}

// The working values, texts, window, fields, panes, labels and radio groups right after start.
TEST_F(WindowTest, StartsWithTheDefaultValuesFieldsLabelsAndWindow) {
  const WorkingParameters& p = form.params;
  // P, A, py, rCircle, rCylinder, normalizePower, maxHeight, the segment and its resistance.
  EXPECT_EQ(
      (std::vector<double>{10, 0, 4, 10, 0, 10, 10, 10, 1, 1000, 1, 50, 0}),
      (std::vector<double>{p.p.x, p.p.y, p.p.z, p.a.x, p.a.y, p.py, p.rCircle, p.rCylinder, p.normalizePower,
                           p.maxHeight, double(p.AnalyseSegment), p.AnalysingResistance, p.inputPower}));
  EXPECT_EQ("c:\\4nec2\\exe\\nec2dxs1k5.exe", p.EngineName);
  EXPECT_FALSE(p.SplitMode);
  EXPECT_TRUE(p.BatchFolder.empty());
  EXPECT_TRUE(p.BatchFiles.empty());
  EXPECT_TRUE(p.currentText.empty());

  EXPECT_EQ("Varnel", form.title);
  EXPECT_EQ("v1.5", form.version);
  // The build's version (file names of the releases, the read-me) is the window's.
  EXPECT_EQ("v" VARNEL_PROJECT_VERSION, form.version);
  const std::string year = std::to_string(system.CurrentYear());
  ASSERT_GE(form.notice.size(), year.size());
  EXPECT_EQ(year, form.notice.substr(form.notice.size() - year.size())) << "notice: " << form.notice;
  EXPECT_EQ("Varnel v1.5 " + form.notice, form.caption);
  ASSERT_FALSE(form.exeFolder.empty());
  EXPECT_EQ('\\', form.exeFolder.back()) << form.exeFolder;

  // Centred on the scripted screen of 1920 x 1080.
  EXPECT_RECT((Rect{(1920 - 1121) / 2, (1080 - 530) / 2, 1121, 530}), form.window, "window");

  EXPECT_NE(nullptr, form.FormParaDlg);
  EXPECT_NE(nullptr, form.FormP3dDlg);
  EXPECT_NE(nullptr, form.FormP2dDlg);

  EXPECT_EQ(StartFields("----", "(10,0|0,0|4,0)"), FieldTexts(form));
  for (DisplayField* field : form.Fields()) EXPECT_EQ(field, form.FindField(field->name));
  EXPECT_EQ(nullptr, form.FindField("EditNothing"));
  EXPECT_TRUE(form.M.lines.empty());
  EXPECT_TRUE(form.Mout.lines.empty());
  EXPECT_TRUE(form.Mdata.lines.empty());

  const std::vector<std::pair<Region*, std::string>> regions = {
      {&form.GBEdit, "Edit"},           {&form.GBInfo, "Info"},           {&form.GBdata, "Data"},
      {&form.GBBasicData, "BasicData"}, {&form.GBNearField, "NearField"}, {&form.GBCommands, "Commands"}};
  for (const auto& [region, caption] : regions) EXPECT_EQ(caption, region->caption) << region->name;

  // The labels and headings the windows show, top to bottom.
  std::vector<std::string> labels;
  for (const DisplayField* field : form.BasicDataFields()) labels.push_back(field->label);
  for (const DisplayField* field : form.GridFields()) labels.push_back(field->label);
  for (const DisplayField* field :
       {&form.EditType, &form.EditPoint, &form.EditPointA, &form.EditNormalizePower})
    labels.push_back(field->label);
  EXPECT_EQ(
      (std::vector<std::string>{"Voltage (eff)", "Current (eff)", "Impedance", "Power", "Frequency",
                                "Input Power", "X Start", "X Stop", "X Step", "Y Start", "Y Stop", "Y Step",
                                "Z Start", "Z Stop", "Z Step", "Type", "P", "A", "Normalize Power"}),
      labels);
  EXPECT_EQ((std::vector<std::string>{"X", "Y", "Z"}),
            std::vector<std::string>(TForm1::kGridRows.begin(), TForm1::kGridRows.end()));
  EXPECT_EQ((std::vector<std::string>{"Start", "Stop", "Step"}),
            std::vector<std::string>(TForm1::kGridColumns.begin(), TForm1::kGridColumns.end()));

  EXPECT_EQ("Mode", form.RGMode.caption);
  EXPECT_EQ((std::vector<std::string>{"at Point P", "par. Z thru A", "XZ-Plane", "Circle", "Cylinder"}),
            form.RGMode.items);
  EXPECT_EQ(0, form.RGMode.itemIndex);
  EXPECT_EQ("Polerization", form.RGPol.caption);
  EXPECT_EQ((std::vector<std::string>{"Total", "X", "Y", "Z", "hori."}), form.RGPol.items);
  EXPECT_EQ(0, form.RGPol.itemIndex);
}

// ---- Reset -----------------------------------------------------------------------------------

TEST_F(WindowTest, ResetClearsPanesAndFieldsAndKeepsTheWorkingValues) {
  for (Pane* pane : {&form.M, &form.Mout, &form.Mdata}) AddLine(*pane, "something");
  for (DisplayField* field : form.Fields()) field->text = "7,5";
  form.params.BatchFolder = "c:\\4nec2\\b_out\\E_";
  form.params.BatchFiles = {"a.out", "b.out"};
  form.params.currentText = "text";
  form.params.inputPower = 2.5;
  form.params.SplitMode = true;
  form.params.p = Point3D{1.0, 0.0, 1.0};
  form.window.width = 1000;

  ASSERT_TRUE(form.Run("Reset"));

  EXPECT_TRUE(form.M.lines.empty());
  EXPECT_TRUE(form.Mout.lines.empty());
  EXPECT_TRUE(form.Mdata.lines.empty());
  EXPECT_EQ(StartFields("7,5", "(1,0|0,0|1,0)"), FieldTexts(form)) << "EditType keeps its text";
  EXPECT_TRUE(form.params.BatchFiles.empty());
  EXPECT_EQ("c:\\4nec2\\b_out\\E_", form.params.BatchFolder);
  EXPECT_EQ("text", form.params.currentText);
  EXPECT_EQ(2.5, form.params.inputPower);
  EXPECT_TRUE(form.params.SplitMode);
  EXPECT_EQ(1000 - 209 - 30, form.GBBasicData.bounds.left) << "Reset lays the window out again";
}

// ---- Layout ----------------------------------------------------------------------------------

TEST_F(WindowTest, FormResizeFollowsTheLayoutTable) {
  // GBBasicData, GBNearField, GBCommands, GBEdit, GBInfo, GBdata, M, Mout and Mdata:
  // in the default window, the right column at 882, GBdata 382 wide, GBInfo and GBdata 249 high;
  const Rect normal[] = {{882, 0, 209, 153}, {882, 152, 209, 129}, {882, 280, 209, 178},
                         {8, 0, 866, 209},   {8, 209, 477, 249},   {492, 209, 382, 249},
                         {8, 15, 850, 186},  {8, 15, 461, 226},    {8, 15, 366, 226}};
  // in a wider window the right column wider in proportion, 1400 * 209 / 1121 = 261;
  const Rect wider[] = {{1109, 0, 261, 153}, {1109, 152, 261, 129}, {1109, 280, 261, 448},
                        {8, 0, 1093, 209},   {8, 209, 477, 519},    {492, 209, 609, 519},
                        {8, 15, 1077, 186},  {8, 15, 461, 496},     {8, 15, 593, 496}};
  // in one too small for the formulas, sizes stopped at 0 and positions as computed.
  const Rect tooSmall[] = {{61, 0, 209, 153}, {61, 152, 209, 129}, {61, 280, 209, 0},
                           {8, 0, 45, 209},   {8, 209, 477, 0},    {492, 209, 0, 0},
                           {8, 15, 29, 186},  {8, 15, 461, 0},     {8, 15, 0, 0}};
  struct Case {
    int width, height;
    const Rect* bounds;
  };
  const Case cases[] = {{1121, 530, normal}, {1400, 800, wider}, {300, 200, tooSmall}};
  const char* const names[] = {"GBBasicData", "GBNearField", "GBCommands", "GBEdit", "GBInfo",
                               "GBdata",      "M",           "Mout",       "Mdata"};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    form.window.width = c.width;
    form.window.height = c.height;
    form.FormResize();
    const Rect actual[] = {
        form.GBBasicData.bounds, form.GBNearField.bounds, form.GBCommands.bounds, form.GBEdit.bounds,
        form.GBInfo.bounds,      form.GBdata.bounds,      form.MBounds,           form.MoutBounds,
        form.MdataBounds};
    for (int i = 0; i < 9; ++i) EXPECT_RECT(c.bounds[i], actual[i], names[i]);
  }
}

// Measured needs of a window's fonts: the right column is never narrower than its fields need,
// and the window never smaller than its controls need; without needs the rule is unchanged.
TEST_F(WindowTest, LayoutNeedsWidenTheRightColumnAndSetTheLeastSize) {
  struct Case {
    TForm1::LayoutNeeds needs;
    int least[2];
    int width, height, rightColumn;
  };
  const Case cases[] = {
      {{209, 0}, {859, 361}, 1121, 530, 209},
      {{268, 220}, {918, 572}, 1121, 572, 268},
      {{300, 100}, {950, 452}, 1121, 530, 300},
  };
  for (const Case& c : cases) {
    form.window = Rect{0, 0, 1121, 530};
    form.SetLayoutNeeds(c.needs);
    EXPECT_EQ(c.least[0], form.MinimumWindowSize().first);
    EXPECT_EQ(c.least[1], form.MinimumWindowSize().second);
    EXPECT_EQ(c.width, form.window.width);
    EXPECT_EQ(c.height, form.window.height);
    EXPECT_EQ(c.rightColumn, form.GBBasicData.bounds.width);
    EXPECT_EQ(1121 - c.rightColumn - 30, form.GBCommands.bounds.left);
  }
}

// The splitters: their strips lie on the borders; a drag moves the border within limits, and
// the place is kept when the window is resized. A measured table row narrows Info for Data.
TEST_F(WindowTest, SplittersMoveTheBordersAndTheDataPaneMakesRoomForARow) {
  EXPECT_RECT((Rect{485, 209, 7, 249}), form.SplitterBounds(TForm1::Splitter::Columns), "columns");
  EXPECT_RECT((Rect{8, 206, 866, 7}), form.SplitterBounds(TForm1::Splitter::Rows), "rows");
  struct Case {
    TForm1::Splitter splitter;
    int to;
    Rect info, data;
  } cases[] = {
      {TForm1::Splitter::Rows, 300, {8, 300, 477, 158}, {492, 300, 382, 158}},
      {TForm1::Splitter::Rows, 5000, {8, 378, 477, 80}, {492, 378, 382, 80}},
      {TForm1::Splitter::Columns, 311, {8, 378, 300, 80}, {315, 378, 559, 80}},
      {TForm1::Splitter::Columns, 0, {8, 378, 200, 80}, {215, 378, 659, 80}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    form.DragSplitter(c.splitter, c.to);
    EXPECT_RECT(c.info, form.GBInfo.bounds, "GBInfo");
    EXPECT_RECT(c.data, form.GBdata.bounds, "GBdata");
  }
  form.window.height = 630;
  form.FormResize();
  EXPECT_RECT((Rect{8, 378, 200, 180}), form.GBInfo.bounds, "GBInfo kept");

  form.editHeight.reset();
  form.infoWidth.reset();
  form.SetLayoutNeeds({209, 0, 520});
  EXPECT_EQ(520, form.GBdata.bounds.width);
  EXPECT_EQ(339, form.GBInfo.bounds.width);
}

// ---- Window commands -------------------------------------------------------------------------

// Window Center truncates toward zero; a screen smaller than the window puts it at the screen's
// edge, where its menu stays reachable, not at a negative position. A window that opens (its needs
// measured) is no larger than the screen's available area and centred in it; only a screen smaller
// than the least size gets a window of that size.
TEST_F(WindowTest, WindowCenterAndOpeningKeepTheWindowOnTheScreen) {
  struct Case {
    int screenWidth, screenHeight;
    std::optional<TForm1::LayoutNeeds> needs;  // none: the window of 1121 x 530 centred again
    Rect window;
  };
  const Case cases[] = {
      {1920, 1080, {}, {399, 275, 1121, 530}},      {1116, 529, {}, {0, 0, 1121, 530}},
      {1118, 527, {}, {0, 0, 1121, 530}},           {1124, 533, {}, {1, 1, 1121, 530}},  // 3 / 2 = 1
      {800, 1080, {}, {0, 275, 1121, 530}},         {1920, 1080, {{300, 100}}, {399, 275, 1121, 530}},
      {1024, 768, {{209, 0}}, {0, 119, 1024, 530}}, {1024, 768, {{300, 100}}, {0, 119, 1024, 530}},
      {800, 400, {{300, 220}}, {0, 0, 950, 572}},  // smaller than the layout's least size
  };
  for (const Case& c : cases) {
    ui.screenWidth = c.screenWidth;
    ui.screenHeight = c.screenHeight;
    TForm1 opened({system, ui});
    if (c.needs) opened.SetLayoutNeeds(*c.needs);  // as a window does once it has measured its fonts
    TForm1& centred = c.needs ? opened : form;
    ASSERT_TRUE(centred.Run("MIWindowCenterClick"));
    EXPECT_RECT(c.window, centred.window, "screen " << c.screenWidth << " x " << c.screenHeight);
  }
}

// Every menu title and every item of a menu has its own access key, chosen from the captions
// as they stand; the captions themselves are not changed.
TEST_F(WindowTest, MenusGetAccessKeysWithoutChangingTheirCaptions) {
  const auto keys = [](const std::vector<std::string>& captions) { return AccessKeys(captions); };
  EXPECT_EQ((std::vector<std::size_t>{0, 0, 0, 0, 0, 0, 0}),
            keys({"File", "InputFiles", "Convert To Output Files", "Analyse", "Other", "Engine", "?"}));
  // A word start before a letter inside a word; case does not tell letters apart; a caption
  // with nothing free goes without.
  EXPECT_EQ((std::vector<std::size_t>{0, 5, 1, 3, std::string::npos, 2}),
            keys({"Save", "Save as", "sHow", "SAHd", "as", "& 2"}));
  std::map<std::string, std::vector<std::string>> menus;
  for (const MenuItem& item : form.MM)
    if (!item.separator) menus[item.menu].push_back(item.caption);
  for (const auto& [menu, captions] : menus) {
    std::set<char> taken;
    const std::vector<std::size_t> chosen = AccessKeys(captions);
    for (std::size_t i = 0; i < captions.size(); ++i) {
      const std::size_t at = chosen[i];
      ASSERT_NE(std::string::npos, at) << menu << ": " << captions[i];
      EXPECT_TRUE(taken.insert(static_cast<char>(std::tolower(captions[i][at]))).second) << captions[i];
    }
  }
  EXPECT_EQ("Show b_in", form.FindMenuItem("Showbin1")->caption);
}

TEST_F(WindowTest, SplitModeTogglesItsCheckMark) {
  MenuItem* item = form.FindMenuItem("MISplitMode");
  ASSERT_NE(nullptr, item);
  EXPECT_FALSE(item->checked);
  form.Run("MISplitModeClick");
  EXPECT_TRUE(form.params.SplitMode);
  EXPECT_TRUE(item->checked);
  form.Run("MISplitMode");
  EXPECT_FALSE(form.params.SplitMode);
  EXPECT_FALSE(item->checked);
  // The check mark follows the flag after any command.
  form.params.SplitMode = true;
  form.Run("MIResetWindowPositionClick");
  EXPECT_TRUE(item->checked);
}

// Help opens the document beside the program, or says it is missing; Help, Edit InputFile, Show
// b_in and Show b_out say why where the desktop has no program for them.
TEST_F(WindowTest, DocumentsAndFoldersOpenOrShowWhyNot) {
  root.Write("drive_c/prog/Varnel Hilfe.pdf", "%PDF-1.4\n");
  root.Write("drive_c/4nec2/b_out/a.out", "");
  root.Write("drive_c/4nec2/b_in/dipol.nec", "CM");
  struct Case {
    const char* exeFolder;
    const char* command;
    bool opener;          // the desktop has a program for it
    const char* message;  // the error box's text; "" for none
  } cases[] = {
      {"c:\\nowhere\\", "MIHelpClick", true,
       "Die Datei c:\\nowhere\\Varnel Hilfe.pdf konnte nicht gefunden werden!"},
      {"c:\\prog\\", "MIHelp", true, ""},
      {"c:\\prog\\", "MIHelp", false,
       "No program is set up to open PDF documents: c:\\prog\\Varnel Hilfe.pdf"},
      {"c:\\prog\\", "EditInputFile1", false,
       "No program is set up to open NEC documents: c:\\4nec2\\b_in\\dipol.nec"},
      {"c:\\prog\\", "Showbin1", false, "No program is set up to open folders: c:\\4nec2\\b_in"},
      {"c:\\prog\\", "Showbout1", false, "No program is set up to open folders: c:\\4nec2\\b_out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.command) + " " + c.exeFolder);
    ui.boxes.clear();
    ui.messages.clear();
    form.exeFolder = c.exeFolder;
    ui.AnswerOpen("c:\\4nec2\\b_in\\dipol.nec");
    if (!c.opener) ui.AnswerOpener(false);
    form.Run(c.command);
    const auto errors = ui.BoxesOf(MessageKind::Error);
    if (!*c.message) {
      EXPECT_TRUE(errors.empty());
      EXPECT_TRUE(std::any_of(ui.messages.begin(), ui.messages.end(), [](const std::string& m) {
        return m.find("Varnel Hilfe.pdf") != std::string::npos;
      })) << out.str();
      continue;
    }
    ASSERT_EQ(1u, errors.size()) << out.str();
    EXPECT_EQ("Varnel", errors[0].title);
    EXPECT_EQ(c.message, errors[0].text);
  }
}

// ---- Menu tables -----------------------------------------------------------------------------

struct Row {
  const char* menu;
  const char* caption;  // "-" for a separator
  const char* handler;
  const char* shortcut;
};

std::string Show(const MenuItem& item) {
  return item.menu + " / " + item.caption + " / " + item.handler + " / " + item.shortcut;
}

// The main menu and the two popup menus, every item in order, and the dispatcher's commands.
TEST_F(WindowTest, MenusHoldEveryItemInOrderAndEachHasItsCommand) {
  const std::vector<Row> mainMenu = {
      {"File", "Load", "Load1Click", ""},
      {"File", "Load Dipol", "LoadDipol1Click", ""},
      {"File", "-", "", ""},
      {"File", "Copy to Clipboard", "MICopytoClipboardClick", ""},
      {"File", "Save as Txt", "MISaveasTxtClick", ""},
      {"File", "-", "", ""},
      {"File", "Quit", "MIQuitClick", ""},
      {"InputFiles", "Edit InputFile", "EditInputFile1Click", ""},
      {"InputFiles", "Create Multiple InputFiles", "CreateMultipleInputFiles1Click", "Ctrl+Alt+M"},
      {"InputFiles", "-", "", ""},
      {"InputFiles", "Random Phases at Multiple Sources", "MIHardCoded1Click", ""},
      {"InputFiles", "-", "", ""},
      {"InputFiles", "Generate EUTs", "MIGenerateEUTsClick", "F10"},
      {"InputFiles", "Add EUTs", "MIAddBatchFolderClick", "F11"},
      {"InputFiles", "Analyse EUTs", "MIAnalyseEUTsClick", "F12"},
      {"Convert To Output Files", "Single Conversion", "SingleConversion1Click", ""},
      {"Convert To Output Files", "Batch Conversion", "BatchConversion1Click", "Ctrl+Alt+P"},
      {"Convert To Output Files", "Resume Batch Conversion", "ResumeBatchConversion1Click", ""},
      {"Convert To Output Files", "Cluster Conversion", "ClusterConversion1Click", ""},
      {"Convert To Output Files", "Export Cluster Job", "ExportClusterJob1Click", ""},
      {"Analyse", "Analyse Main", "AnalyseMain1Click", ""},
      {"Analyse", "Analyse Nearfield", "AnalyseNearfield1Click", ""},
      {"Analyse", "-", "", ""},
      {"Analyse", "Add Batch Folder", "MIAddBatchFolderClick", "Ctrl+Alt+A"},
      {"Analyse", "Batch-Analyse Nearfield", "MIBatchLoadClick", ""},
      {"Analyse", "Batch-Analyse Power", "MIBatchAnalysePowerClick", ""},
      {"Analyse", "-", "", ""},
      {"Analyse", "Show Field Map", "MIShowFieldMapClick", ""},
      {"Analyse", "Plot Table", "MIPlotTableClick", ""},
      {"Other", "Reset Window Position", "MIResetWindowPositionClick", ""},
      {"Other", "Window Center", "MIWindowCenterClick", ""},
      {"Other", "-", "", ""},
      {"Other", "Reset", "Reset", ""},
      {"Other", "SplitMode", "MISplitModeClick", ""},
      {"Other", "Skip Unreadable Files", "MISkipUnreadableFilesClick", ""},
      {"Other", "FileLoadTest", "MIFileLoadTestClick", ""},
      {"Other", "-", "", ""},
      {"Other", "Show b_in", "Showbin1Click", ""},
      {"Other", "Show b_out", "Showbout1Click", ""},
      {"Engine", "NEC2 MP 1500", "MI_NEC1500Click", ""},
      {"Engine", "NEC2 MP 5000", "MI_NEC5000Click", ""},
      {"Engine", "NEC2 MP 11000", "MI_NEC11000Click", ""},
      {"Engine", "-", "", ""},
      {"Engine", "Parallel Runs...", "MIParallelRunsClick", ""},
      {"Engine", "Time Limit per Deck...", "MITimeLimitClick", ""},
      {"?", "Help", "MIHelpClick", ""},
      {"?", "About", "AboutMIClick", ""},
      {"?", "NE-Card Info", "NECardInfo1Click", ""},
      {"?", "-", "", ""},
      {"?", "RangeTest", "RangeTest1Click", ""},
      {"?", "Edit rCircle", "MIEditrCircleClick", ""},
      {"?", "Edit rCylinder", "MIEditrCylinderClick", ""},
      {"?", "Show Parameters", "MIShowsomeParametersClick", ""},
      {"?", "-", "", ""},
      {"?", "Change maxHeight", "MIChangemaxHeightClick", ""},
      {"?", "Change Analysing Segment", "MIChangeAnalysingSegmentClick", ""},
      {"?", "Change Analysing Resistance", "MIChangeAnalysingResistanceClick", ""},
      {"?", "-", "", ""},
      {"?", "Edit Point P...", "EditPointDblClick", ""},
      {"?", "Edit Point A...", "EditPointADblClick", ""},
      {"?", "Edit Normalize Power...", "EditNormalizePowerDblClick", ""},
  };
  const std::vector<Row> points = {{"", "Point (1,0,1)", "Point1Click", ""},
                                   {"", "Point (3,0,1)", "Point2Click", ""},
                                   {"", "Point (10,0,1)", "Ponit3Click", ""},
                                   {"", "Point (30,0,1)", "Point4Click", ""}};
  std::vector<Row> data = {{"", "Copy to Clipboard", "MICopytoClipboardClick", ""},
                           {"", "Save as Txt", "MISaveasTxtClick", ""},
                           {"", "-", "", ""}};
  for (const char* caption :
       {"Copy Frequencies", "Copy Power", "Copy Field", "Copy corr. Field", "Copy Real(V)", "Copy Imag(V)",
        "Copy Real(I)", "Copy Imag(I)", "Copy Real(Z)", "Copy Imag(Z)"})
    data.push_back({"", caption, "MICopyColomn1Click", ""});
  const std::pair<const std::vector<Row>*, const std::vector<MenuItem>*> menus[] = {
      {&mainMenu, &form.MM}, {&points, &form.PopupMenu1}, {&data, &form.PopupMenu2}};
  for (const auto& [expected, items] : menus) {
    ASSERT_EQ(expected->size(), items->size());
    for (std::size_t i = 0; i < expected->size(); ++i) {
      const MenuItem& item = (*items)[i];
      const Row& row = (*expected)[i];
      const bool separator = std::string(row.caption) == "-";
      EXPECT_EQ(separator, item.separator) << "row " << i << ": " << Show(item);
      EXPECT_EQ(row.menu, item.menu) << "row " << i << ": " << Show(item);
      if (!separator) {
        EXPECT_EQ(row.caption, item.caption) << "row " << i << ": " << Show(item);
        EXPECT_EQ(row.handler, item.handler) << "row " << i << ": " << Show(item);
        EXPECT_EQ(row.shortcut, item.shortcut) << "row " << i << ": " << Show(item);
        EXPECT_TRUE(form.HasCommand(item.handler)) << Show(item);
        EXPECT_TRUE(form.HasCommand(item.name)) << item.name;
      }
      EXPECT_EQ(item.name == "MI_NEC1500", item.checked)
          << "only the first engine is checked: " << Show(item);
    }
  }
  ASSERT_NE(nullptr, form.FindMenuItem("MI_NEC1500"));
  EXPECT_EQ("NEC2 MP 1500", form.FindMenuItem("MI_NEC1500")->caption);
  for (std::size_t k = 1; k <= 10; ++k)
    EXPECT_EQ(&form.PopupMenu2[2 + k], form.FindMenuItem("MICopyColomn" + std::to_string(k))) << k;

  // Every item above has its command (by handler and name), and so has every control.
  for (const char* name : {"Button1", "Button2", "EditPoint", "EditPointA", "EditNormalizePower",
                           "EditPointDblClick", "EditPointADblClick", "EditNormalizePowerDblClick",
                           "MIAddEUTs", "MIAddBatchFolder", "MI_NEC5000", "Reset", "Reset1"})
    EXPECT_TRUE(form.HasCommand(name)) << name;
  EXPECT_FALSE(form.HasCommand("NoSuchClick"));
  EXPECT_FALSE(form.HasCommand("N1")) << "a separator runs nothing";
  EXPECT_FALSE(form.Run("NoSuchClick"));
  EXPECT_TRUE(ui.boxes.empty());
}

// Every failure ends in the error box, its message under the point rule; an aborted command ends
// silently; the program goes on. Reset Window Position moves only the corner.
TEST_F(WindowTest, UncaughtFailureShowsTheErrorBoxWithThePointRule) {
  const auto fails = [](const std::string& message) { return [message] { throw VarnelError(message); }; };
  const std::vector<std::pair<std::function<void()>, std::string>> cases = {
      {fails("Datei nicht gefunden"), "Datei nicht gefunden."},
      {fails("E/A-Fehler 103"), "E/A-Fehler 103."},
      {fails("'1.5' ist kein gültiger Gleitkommawert"), "'1.5' ist kein gültiger Gleitkommawert."},
      {fails("Already ends."), "Already ends."},
      {fails("Stop!"), "Stop!"},
      {fails("range-"), "range-"},         // '-' sorts before '.'
      {fails("path/"), "path/."},          // '/' sorts after '.'
      {fails("Wert \xFC"), "Wert \xFC."},  // a byte above 127 sorts after '.'
      {fails("'1,5\0x' ist kein gültiger Gleitkommawert"s), "'1,5\\0x' ist kein gültiger Gleitkommawert."},
      {fails("bell\a\x1B[2J\x7F\tA\r\nB"), "bell\\x07\\x1B[2J\\x7F\tA\r\nB."},
      {fails(""), ""},
      {[] { throw MakeInOutError(5); }, "Dateizugriff verweigert."},
      {[] { throw std::runtime_error("Gleitkommadivision durch Null"); }, "Gleitkommadivision durch Null."},
  };
  for (const auto& [failure, shown] : cases) {
    ui.boxes.clear();
    ui.insideNextInfo = failure;
    ASSERT_TRUE(form.Run("AboutMIClick"));
    const auto errors = ui.BoxesOf(MessageKind::Error);
    ASSERT_EQ(1u, errors.size()) << "shown \"" << shown << "\"";
    EXPECT_EQ("Varnel", errors[0].title);
    EXPECT_EQ(shown, errors[0].text);
    EXPECT_FALSE(form.Busy());
  }
  // Another command is refused while one runs, which then ends aborted.
  ui.boxes.clear();
  form.window = Rect{300, 200, 900, 600};
  bool busyInside = false;
  ui.insideNextInfo = [&] {
    busyInside = form.Busy();
    EXPECT_TRUE(form.Run("MIResetWindowPositionClick"));
    throw CommandAborted();
  };
  form.Run("AboutMI");
  const auto infos = ui.BoxesOf(MessageKind::Info);  // About shows three lines
  ASSERT_EQ(1u, infos.size());
  const TextList lines = SplitText(infos[0].text, "\r");
  ASSERT_EQ(3u, lines.size()) << infos[0].text;
  EXPECT_EQ("Varnel v1.5", lines[0]);
  EXPECT_FALSE(lines[1].empty());
  EXPECT_FALSE(lines[2].empty());
  EXPECT_TRUE(busyInside);
  EXPECT_EQ(300, form.window.left) << "the refused command must not run";
  const auto warnings = ui.BoxesOf(MessageKind::Warning);
  ASSERT_EQ(1u, warnings.size());
  EXPECT_EQ("A command is still running. Please wait until it has finished.", warnings[0].text);
  EXPECT_TRUE(ui.BoxesOf(MessageKind::Error).empty());
  EXPECT_FALSE(ui.quitRequested);
  EXPECT_FALSE(form.Busy());
  ASSERT_TRUE(form.Run("MIResetWindowPosition"));
  EXPECT_RECT((Rect{10, 10, 900, 600}), form.window, "the next command runs, moving only the corner");
}

// Quit during a command ends it at its next event processing, once it has unwound; the close
// button defers the close the same way; without either the event processing lets the command go on.
TEST_F(WindowTest, QuitAndCloseDuringACommandEndItAtTheNextEventProcessing) {
  EXPECT_TRUE(form.CloseQuery()) << "no command runs: the window may close";
  for (const char* ask : {"quit", "close", ""}) {
    SCOPED_TRACE(ask);
    const bool quits = *ask;
    ui.quitRequested = form.closing = false;
    ui.processEventsCalls = 0;
    bool ranPastEvents = false, mayClose = true;
    ui.insideNextInfo = [&] {
      if (ask == "quit"s) form.Run("MIQuitClick");
      if (ask == "close"s) mayClose = form.CloseQuery();
      EXPECT_FALSE(ui.quitRequested) << "the quit waits until the command has unwound";
      form.ProcessPendingEvents();
      ranPastEvents = true;
    };
    form.Run("AboutMIClick");
    EXPECT_EQ(!quits, ranPastEvents);
    EXPECT_EQ(quits, ui.quitRequested);
    EXPECT_EQ(ask == "close"s, !mayClose);
    EXPECT_EQ(quits, form.closing);
    EXPECT_EQ(1, ui.processEventsCalls);
    EXPECT_TRUE(ui.BoxesOf(MessageKind::Error).empty());
    EXPECT_TRUE(ui.BoxesOf(MessageKind::Warning).empty());
  }
}

// ---- Quit, the close button and Stop -------------------------------------------------------

// Three names to list, for a command that runs over them.
class RunningCommandTest : public WindowTest {
 protected:
  void SetUp() override {
    for (const char* name : {"a.out", "b.out", "c.out"})
      root.Write("drive_c/4nec2/b_out/three/" + std::string(name), "x");
  }
  // Add EUTs over three names, with hook run at the event processing of the second.
  void ListThreeAndAtTheSecond(const std::function<void()>& hook) {
    ui.AnswerFolder((root.driveC / "4nec2" / "b_out" / "three").string());
    ui.AtEvents([this, hook] {
      if (form.progress.file < 2) return false;
      hook();
      return true;
    });
    form.Run("MIAddEUTs");
  }
  bool Listed(const std::string& name) const {
    return std::find(form.Mout.lines.begin(), form.Mout.lines.end(), name) != form.Mout.lines.end();
  }
  int Questions() const {
    return static_cast<int>(std::count_if(ui.messages.begin(), ui.messages.end(),
                                          [](const std::string& m) { return m.starts_with("[Question] "); }));
  }
};

// Quit and the close button during a command ask: No lets the command go on; Yes ends it at its
// next event processing and quits; a script that queued no answer quits, as it always did. Stop and
// Esc end it the same way, without a box and without quitting. Idle, Esc is not taken and Stop is
// disabled; pane edits wait while a command runs.
TEST_F(RunningCommandTest, QuitCloseStopAndEscDuringACommand) {
  EXPECT_FALSE(form.StopEnabled());
  EXPECT_FALSE(form.EscapePressed());
  EXPECT_TRUE(form.TakesPaneEdits());
  enum Action { Quit, Close, Stop, Escape };
  struct Case {
    Action action;
    std::optional<bool> answer;
    bool ends, quits;
  };
  const Case cases[] = {{Stop, std::nullopt, true, false}, {Escape, std::nullopt, true, false},
                        {Quit, false, false, false},       {Quit, true, true, true},
                        {Quit, std::nullopt, true, true},  {Close, false, false, false},
                        {Close, true, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.action) + " " + (c.answer ? (*c.answer ? "yes" : "no") : "-"));
    ui.quitRequested = form.closing = false;
    ui.messages.clear();
    if (c.answer) ui.AnswerConfirm(*c.answer);
    bool mayClose = false, enabled = false, stillEnabled = true, edits = true;
    ListThreeAndAtTheSecond([&] {
      enabled = form.StopEnabled();
      edits = form.TakesPaneEdits();
      if (c.action == Quit) form.Run("MIQuitClick");
      if (c.action == Close) mayClose = form.CloseQuery();
      if (c.action == Stop) form.RequestStop();
      if (c.action == Escape) {
        EXPECT_TRUE(form.EscapePressed());
      }
      stillEnabled = form.StopEnabled();
    });
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(edits);
    if (c.action >= Stop) {
      EXPECT_FALSE(stillEnabled);
    }
    ASSERT_EQ(c.action < Stop ? 1 : 0, Questions());
    if (c.action < Stop) {
      EXPECT_EQ(
          "[Question] A file listing is running (2 of 3). Stop it and quit? "s + (c.quits ? "Yes" : "No"),
          ui.messages.back());
    }
    EXPECT_FALSE(mayClose) << "the window closes once the command has ended";
    EXPECT_EQ(c.quits, ui.quitRequested);
    EXPECT_TRUE(Listed("b.out"));
    EXPECT_EQ(!c.ends, Listed("c.out"));
    EXPECT_FALSE(form.Busy());
    EXPECT_FALSE(form.StopEnabled());
    EXPECT_TRUE(ui.boxes.empty());
  }
  EXPECT_TRUE(form.CloseQuery()) << "after the Yes the close asks nothing more";
  EXPECT_EQ(1, Questions());
}

// A batch's table not saved asks before Quit and the close button, and a command that would clear
// it asks first: Save (a cancelled save dialog ends the command), Discard or Cancel. Once Save as Txt
// has saved it or a command cleared it nothing asks; nor does a Data pane with nothing a batch wrote.
TEST_F(RunningCommandTest, AnUnsavedTableIsAskedForBeforeQuitCloseAndACommandThatClearsIt) {
  root.Write("drive_c/4nec2/b_out/two/a.out", SampleOutputText());
  AddLine(form.Mdata, "typed, no table");
  EXPECT_TRUE(form.CloseQuery());
  EXPECT_EQ(0, Questions());
  struct Case {
    const char* command;
    std::optional<SaveAnswer> answer;  // none: the command asks nothing
    bool saveDialogAnswered;
    bool cleared, saved;
  } cases[] = {{"Reset", SaveAnswer::Cancel, false, false, false},
               {"Reset", SaveAnswer::Save, false, false, false},
               {"LoadDipol1Click", SaveAnswer::Discard, false, true, false},
               {"MISaveasTxtClick", std::nullopt, true, false, true},
               {"Reset", SaveAnswer::Save, true, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.command) + " " +
                 std::to_string(static_cast<int>(c.answer.value_or(SaveAnswer{}))));
    std::filesystem::remove(root.dir / "kept.txt");
    ui.AnswerFolder((root.driveC / "4nec2" / "b_out" / "two").string());
    form.Run("MIAddBatchFolderClick");
    form.Run("MIBatchAnalysePowerClick");
    ASSERT_TRUE(form.tableUnsaved) << out.str();
    ui.messages.clear();
    ui.AnswerConfirm(false);
    EXPECT_FALSE(form.CloseQuery());
    ui.AnswerConfirm(false);
    form.Run("MIQuitClick");
    EXPECT_FALSE(ui.quitRequested);
    EXPECT_EQ("[Question] The table in the Data pane is not saved. Quit anyway? No", ui.messages.back());
    ui.messages.clear();
    if (c.answer) ui.AnswerConfirm(*c.answer);
    if (c.saveDialogAnswered) ui.AnswerSave((root.dir / "kept.txt").string());
    form.Run(c.command);
    EXPECT_EQ(c.answer ? 1 : 0, Questions());
    if (c.answer) {
      EXPECT_EQ(0u, ui.messages.front().find("[Question] The table in the Data pane is not saved. "));
    }
    EXPECT_EQ(c.cleared, form.Mdata.lines.empty());
    EXPECT_EQ(!c.cleared && !c.saved, form.tableUnsaved);
    EXPECT_EQ(c.saved, std::filesystem::exists(root.dir / "kept.txt"));
    if (form.tableUnsaved) continue;
    ui.messages.clear();
    EXPECT_TRUE(form.CloseQuery());
    EXPECT_EQ(0, Questions());
  }
  ASSERT_TRUE(form.Run("MIBatchAnalysePowerClick"));  // Reset emptied the list: nothing written
  EXPECT_FALSE(form.tableUnsaved);
  form.Run("MIQuitClick");
  EXPECT_TRUE(ui.quitRequested);
  EXPECT_EQ(0, Questions());
}

}  // namespace

// ---- Progress of a running command ------------------------------------------------------

TEST(ProgressTextTest, CountsFilesEstimatesTheRestAndSumsUpAtTheEnd) {
  struct Case {
    Progress progress;
    std::uint64_t now;
    const char* text;
    int permille;
  };
  const Case cases[] = {
      {{true, "Load", 0, 0, 1000, 0}, 8500, "Load: 0:07 elapsed", -1},
      {{true, "Batch-Analyse Nearfield", 1, 1500, 0, 0},
       200,
       "Batch-Analyse Nearfield: file 1 of 1500, 0:00 elapsed",
       0},
      {{true, "Analyse EUTs", 11, 1500, 0, 0},
       3000,
       "Analyse EUTs: file 11 of 1500, 0:03 elapsed, about 7:27 left",
       6},
      {{true, "Batch-Analyse Power", 3, 3, 0, 0},
       3723000,
       "Batch-Analyse Power: file 3 of 3, 1:02:03 elapsed, about 31:01 left",
       666},
      {{false, "Batch-Analyse Power", 3, 3, 0, 65000}, 99000, "Batch-Analyse Power: 3 files in 1:05", 666},
      {{true, "A. Batch", 2, 4, 0, 0, "Polerization: Z; Mode: Circle"},
       1000,
       "A. Batch: file 2 of 4, 0:01 elapsed, about 0:03 left (Polerization: Z; Mode: Circle)",
       250},
      {{false, "Load", 0, 0, 0, 65000}, 99000, "", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, ProgressText(c.progress, c.now));
    EXPECT_EQ(c.permille, ProgressPermille(c.progress)) << c.text;
  }
}

TEST_F(RunningCommandTest, BatchLoopsReportTheirFileAndTheDispatcherTheCommand) {
  ui.AnswerFolder((root.driveC / "4nec2" / "b_out" / "three").string());
  ASSERT_TRUE(form.Run("MIAddEUTs"));
  EXPECT_FALSE(form.progress.running);
  EXPECT_EQ("Add EUTs: 3 files in 0:00", ProgressText(form.progress, form.progress.endMs));
  ASSERT_TRUE(form.Run("MIFileLoadTestClick"));
  EXPECT_EQ("FileLoadTest", form.progress.command);
  EXPECT_EQ(3u, form.progress.file);
  ASSERT_TRUE(form.Run("Button2"));  // the first file is no output file: the run ends there
  EXPECT_EQ("A. Batch: ended at file 1 of 3 after 0:00 (Polerization: Total; Mode: at Point P)",
            ProgressText(form.progress, form.progress.endMs));
}

}  // namespace varnel
