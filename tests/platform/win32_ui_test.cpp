// The native window's pieces under Wine (on a display: tests/platform/win32_window_scripts.sh
// runs this program): the filter list of the file dialogs, the clipboard with 8-bit text, the
// window built from the model's tables, pane text both ways, and the desk: Stop and Esc, the
// questions before quitting, the window's size and place on the screen, typed paths.
#include <gtest/gtest.h>

#include <cmath>
#include <cwctype>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include "mainwindow/VarnelU.hpp"
#include "picture/scene.hpp"
#include "picture/picture_file.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "platform/win32ui/main_window.hpp"
#include "platform/win32ui/picture_window.hpp"
#include "platform/win32ui/png_file.hpp"
#include "platform/win32ui/win32_ui.hpp"
#include "sample/sample_files.hpp"
#include "support/win32_root.hpp"

namespace varnel {

namespace {

std::wstring MenuText(HMENU menu, UINT position) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
  return text;
}

// A menu text without its mnemonic: "&&" is a literal '&', a single '&' marks the key.
std::wstring WithoutMnemonic(const std::wstring& text, wchar_t* key = nullptr) {
  std::wstring plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size() && text[i + 1] != L'&' && key) *key = towupper(text[i + 1]);
    if (text[i] == L'&') ++i;
    if (i < text.size()) plain += text[i];
  }
  return plain;
}

// Answers the dialogs of this thread from a timer inside their modal loop: each step finds the
// dialog by its caption, notes what its edit fields show, puts its texts there and presses a
// button.
struct DialogStep {
  std::vector<std::wstring> texts;
  int button;
};
std::wstring answeredCaption;
std::vector<DialogStep> steps;
std::vector<std::vector<std::wstring>> shown;
std::vector<std::wstring> boxTexts;  // the texts of the message boxes answered
HWND boxOwner = nullptr;             // the owner of the last one
std::wstring typedPath;              // what the file dialog test types

void CALLBACK AnswerStep(HWND, UINT, UINT_PTR timer, DWORD) {
  if (steps.empty()) return (void)KillTimer(nullptr, timer);
  HWND dialog = FindWindowW(L"#32770", answeredCaption.c_str());
  if (!dialog) return;
  std::vector<std::wstring> seen;
  for (int id = 100; GetDlgItem(dialog, id); ++id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    seen.push_back(text);
  }
  shown.push_back(seen);
  boxOwner = GetWindow(dialog, GW_OWNER);
  // A message box's text is a static control (its id differs between systems).
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM) {
        wchar_t kind[16] = {}, text[256] = {};
        GetClassNameW(child, kind, 16);
        GetWindowTextW(child, text, 256);
        if (_wcsicmp(kind, L"Static") == 0 && text[0]) boxTexts.push_back(text);
        return TRUE;
      },
      0);
  const DialogStep step = steps.front();
  steps.erase(steps.begin());
  for (std::size_t i = 0; i < step.texts.size(); ++i)
    SetDlgItemTextW(dialog, 100 + static_cast<int>(i), step.texts[i].c_str());
  PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(step.button), 0);
}

void Answering(const std::wstring& caption, std::vector<DialogStep> answers) {
  answeredCaption = caption;
  steps = std::move(answers);
  shown.clear();
  boxTexts.clear();
  SetTimer(nullptr, 0, 20, AnswerStep);
}

// The width and height a PNG's header gives.
std::pair<int, int> PngSize(const std::string& png) {
  if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
  auto number = [&png](std::size_t at) {
    int n = 0;
    for (std::size_t i = at; i < at + 4; ++i) n = n << 8 | static_cast<unsigned char>(png[i]);
    return n;
  };
  return {number(16), number(20)};
}

// A near-field table on a 3 x 3 x 3 grid (0, 1, 2 m on every axis) whose value grows along x
// and z: it holds all three planes, at three levels each.
NearFieldTable GridTable() {
  NearFieldTable table;
  table.fieldType = "ELECTRIC ";
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 3; ++y)
      for (int z = 0; z < 3; ++z) {
        table.x.push_back(x);
        table.y.push_back(y);
        table.z.push_back(z);
        table.value.push_back(1 + x + 10 * z);
      }
  return table;
}

// A point dialog whose Done refuses anything but "ok" in its first field.
class PickyDialog : public ModalDialog {
 public:
  std::string Caption() const override { return "Pick"; }
  std::string Heading() const override { return "Point \xb0"; }
  std::vector<std::string> Labels() const override { return {"X", "Y"}; }
  void Shown() override { fieldTexts = {"1,5", "2"}; }
  bool DonePressed() override {
    ++presses;
    return fieldTexts.at(0) == "ok";
  }
  int presses = 0;
};

}  // namespace

// The input and core dialogs are built from templates in memory; each shows its texts and
// hands back what was typed, whichever button closes it.
TEST(Win32UiDialogs, TextsGoInAndComeBack) {
  Win32Root root;
  Win32Ui ui(root.system);
  std::string text = "abc";
  Answering(L"Ask", {{{L"x\u00e4"}, IDOK}});
  EXPECT_TRUE(ui.AskText("Ask", "Name?", text));
  EXPECT_EQ("x\xe4", text);
  EXPECT_EQ(std::vector<std::wstring>{L"abc"}, shown.at(0));

  Answering(L"Ask", {{{L"typed"}, IDCANCEL}});
  EXPECT_FALSE(ui.AskText("Ask", "Name?", text));
  EXPECT_EQ("typed", text);

  PickyDialog dialog;
  Answering(L"Pick", {{{L"bad", L"3"}, IDOK}, {{L"ok", L"4"}, IDOK}});
  ui.ShowModal(dialog);
  EXPECT_EQ(2, dialog.presses);
  EXPECT_EQ((std::vector<std::string>{"ok", "4"}), dialog.fieldTexts);
  EXPECT_EQ((std::vector<std::wstring>{L"1,5", L"2"}), shown.at(0));
  EXPECT_EQ((std::vector<std::wstring>{L"bad", L"3"}), shown.at(1));
  // The close button closes without Done.
  Answering(L"Pick", {{{L"ok", L"5"}, IDCANCEL}});
  ui.ShowModal(dialog);
  EXPECT_EQ(2, dialog.presses);
}

TEST(Win32UiFilter, PairsEndInZerosAndTheListInOneMore) {
  struct Case {
    std::string filter;
    std::wstring expected;
  };
  const Case cases[] = {
      {"Alle Dateien (*.*)|*.*|TextDateien (*.txt)|*.txt",
       std::wstring(L"Alle Dateien (*.*)\0*.*\0TextDateien (*.txt)\0*.txt\0\0", 50)},
      {"4nec2 (*.out)|*.out;*.OUT", std::wstring(L"4nec2 (*.out)\0*.out;*.OUT\0\0", 27)},
      {"Grad \xb0|*.nec", std::wstring(L"Grad \u00b0\0*.nec\0\0", 14)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, DialogFilter(c.filter)) << c.filter;
}

// The program's own UTF-8 messages and 8-bit texts of the code page show the same characters.
TEST(Win32UiText, Utf8MessagesAndCodePageTextsShowAlike) {
  ASSERT_EQ(1252u, GetACP()) << "the cases are written for the Western code page";
  const std::pair<std::string, std::wstring> cases[] = {
      {"'1.5' ist kein g\xC3\xBCltiger Gleitkommawert", L"'1.5' ist kein g\u00fcltiger Gleitkommawert"},
      {"'1.5' ist kein g\xFCltiger Gleitkommawert", L"'1.5' ist kein g\u00fcltiger Gleitkommawert"},
      {"ist gr\xC3\xB6\xC3\x9F"
       "er als 2 GB",
       L"ist gr\u00f6\u00dfer als 2 GB"},
      {"Grad \xb0 und \xC3", L"Grad \u00b0 und \u00c3"},  // not well-formed UTF-8: the code page
      {"", L""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(expected, UiText(text)) << text;
}

TEST(Win32UiClipboard, EightBitTextComesBackAsItWasPut) {
  Win32Root root;
  Win32Ui ui(root.system);
  std::string bytes = "line\r\nnext ";
  for (int c = 0x20; c < 0x100; ++c) bytes += static_cast<char>(c);
  for (const std::string& text : {bytes,
                                  std::string("20\xb0"
                                              "C\r\n"),
                                  std::string()}) {
    ui.SetClipboardText(text);
    EXPECT_EQ(text, ui.ClipboardText());
  }
}

class Win32WindowTest : public testing::Test {
 protected:
  Win32WindowTest() : answers(printed, root.system), native(root.system), form({root.system, answers}) {}
  Win32Root root;
  std::ostringstream printed;
  ScriptedUi answers;
  Win32Ui native;
  TForm1 form;
};

// The menu bar holds the main menu table: its menus in order, every row (separators
// included), shortcuts after a tab, the engine checked.
TEST_F(Win32WindowTest, MenuBarFollowsTheMenuTable) {
  Win32Window window(form, native);
  HMENU bar = GetMenu(window.Handle());
  std::vector<std::string> menus;
  for (const MenuItem& item : form.MM)
    if (menus.empty() || menus.back() != item.menu) menus.push_back(item.menu);
  ASSERT_EQ(static_cast<int>(menus.size()), GetMenuItemCount(bar));
  // Every menu and entry has its own key among its siblings (Alt + key on the bar, the key in
  // an open menu); its text less the key's mark is the model's caption.
  std::wstring barKeys;
  std::size_t row = 0;
  for (UINT m = 0; m < menus.size(); ++m) {
    wchar_t key = 0;
    EXPECT_EQ(WideOf(menus[m]), WithoutMnemonic(MenuText(bar, m), &key));
    EXPECT_TRUE(key && barKeys.find(key) == std::wstring::npos) << menus[m];
    barKeys += key;
    HMENU menu = GetSubMenu(bar, static_cast<int>(m));
    std::wstring keys;
    for (int i = 0; i < GetMenuItemCount(menu); ++i, ++row) {
      const MenuItem& item = form.MM[row];
      const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
      EXPECT_EQ(item.separator, (state & MF_SEPARATOR) != 0) << item.name;
      if (item.separator) continue;
      key = 0;
      EXPECT_EQ(WideOf(item.shortcut.empty() ? item.caption : item.caption + "\t" + item.shortcut),
                WithoutMnemonic(MenuText(menu, static_cast<UINT>(i)), &key));
      EXPECT_TRUE(key && keys.find(key) == std::wstring::npos) << item.name;
      keys += key;
      EXPECT_EQ(item.checked, (state & MF_CHECKED) != 0) << item.name;
    }
  }
  EXPECT_EQ(form.MM.size(), row);
}

// A literal '&' in a caption stays a character of the entry; the keys go to word starts first.
TEST_F(Win32WindowTest, MenuKeysKeepLiteralAmpersands) {
  form.MM.insert(form.MM.begin() + 1, MenuItem{"File", "MITest", "Save && Load & Go", "MIQuitClick"});
  form.MM.front().caption = "Save & Load";
  Win32Window window(form, native);
  HMENU file = GetSubMenu(GetMenu(window.Handle()), 0);
  EXPECT_EQ(L"&Save && Load", MenuText(file, 0));
  EXPECT_EQ(L"Save &&&& &Load && Go", MenuText(file, 1));
}

// A shortcut of the menu table runs its command from the keyboard (F11: Add EUTs, which asks
// for a folder); a key that is no shortcut runs nothing.
TEST_F(Win32WindowTest, ShortcutsRunTheirCommands) {
  Win32Window window(form, native);
  for (const auto& [key, dialogs] : {std::pair{VK_F9, 0u}, std::pair{VK_F11, 1u}}) {
    PostMessageW(window.Handle(), WM_KEYDOWN, static_cast<WPARAM>(key), 0);
    PumpMessages(&window);
    EXPECT_EQ(dialogs, answers.folderDialogs.size()) << key;
  }
}

// The picture commands open their window beside the main one, and again after it was closed.
TEST_F(Win32WindowTest, PictureCommandsOpenTheirWindows) {
  Win32Window window(form, native);
  for (const auto& [command, kind, title] :
       {std::tuple{"MIShowFieldMap", PictureKind::FieldMap, L"Varnel - Field Map"},
        std::tuple{"MIPlotTable", PictureKind::Table, L"Varnel - Plot Table"}}) {
    for (int time = 0; time < 2; ++time) {
      window.RunCommand(command);
      HWND picture = window.Pictures()->Window(kind);
      ASSERT_TRUE(picture) << command;
      EXPECT_TRUE(IsWindowVisible(picture));
      wchar_t text[64] = {};
      GetWindowTextW(picture, text, 64);
      EXPECT_EQ(std::wstring(title), text);
      DestroyWindow(picture);
      EXPECT_FALSE(window.Pictures()->Window(kind));
    }
  }
}

// Each list of the field map window draws the map of its entry, as the core draws that choice,
// and shows it chosen; the value under the cursor is the core's probe of the cell there; keys
// and the wheel zoom, Esc closes.
TEST_F(Win32WindowTest, FieldMapListsKeysAndWheelRedrawTheMap) {
  form.params.nearField.Store(GridTable(), 0);
  Win32Window window(form, native);
  window.RunCommand("MIShowFieldMap");
  PictureWindows& pictures = *window.Pictures();
  HWND map = pictures.Window(PictureKind::FieldMap);
  ASSERT_TRUE(map);
  struct Case {
    FieldMapList list;
    int index;
    FieldMapChoice expected;
  };
  const Case cases[] = {
      {FieldMapList::Plane, 1, {.plane = MapPlane::XZ}},
      {FieldMapList::Level, 2, {.plane = MapPlane::XZ, .level = 2.0}},
      {FieldMapList::Scale, 1, {.plane = MapPlane::XZ, .level = 2.0, .scale = MapScale::Decibel}},
      {FieldMapList::Plane, 2, {.plane = MapPlane::YZ, .scale = MapScale::Decibel}},
  };
  for (const Case& c : cases) {
    const std::string before = SvgText(pictures.Shown(PictureKind::FieldMap));
    HWND list = pictures.List(c.list);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(c.index), 0);
    SendMessageW(map, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    const FieldMap expected = FieldMapOf(form, c.expected);
    EXPECT_EQ(SvgText(FieldMapPicture(form, expected)), SvgText(pictures.Shown(PictureKind::FieldMap)))
        << c.index;
    EXPECT_NE(before, SvgText(pictures.Shown(PictureKind::FieldMap))) << c.index;
    EXPECT_EQ(c.index, SendMessageW(list, CB_GETCURSEL, 0, 0));
  }
  // The middle of the picture lies on the middle cell of the plane.
  HWND view = pictures.View(PictureKind::FieldMap);
  RECT client;
  GetClientRect(view, &client);
  SendMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM(client.right / 2, client.bottom / 2));
  wchar_t text[128] = {};
  GetWindowTextW(pictures.ProbeLabel(), text, 128);
  EXPECT_NE(std::wstring::npos, std::wstring(text).find(L"V/m")) << text;

  // The view takes the core's keys and wheel: + and - zoom the map, Ctrl and the wheel the
  // picture; Esc closes the window wherever its focus is.
  SendMessageW(view, WM_KEYDOWN, VK_ADD, 0);
  EXPECT_EQ(kZoomStep, pictures.State(PictureKind::FieldMap).map.zoom.factor);
  EXPECT_NE(std::string::npos, SvgText(pictures.Shown(PictureKind::FieldMap)).find(">zoomed 1,25x<"));
  SendMessageW(view, WM_KEYDOWN, VK_SUBTRACT, 0);
  EXPECT_EQ(1.0, pictures.State(PictureKind::FieldMap).map.zoom.factor);
  const double fitted = pictures.Layout(PictureKind::FieldMap).scale;
  RECT area;
  GetWindowRect(view, &area);
  SendMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA),
               MAKELPARAM(area.left + 5, area.top + 5));
  EXPECT_DOUBLE_EQ(fitted * kZoomStep, pictures.Layout(PictureKind::FieldMap).scale);
  for (const bool onList : {false, true}) {
    HWND focus = onList ? pictures.List(FieldMapList::Plane) : view;
    SetFocus(focus);
    MSG escape{focus, WM_KEYDOWN, VK_ESCAPE, 0};
    EXPECT_TRUE(window.PreTranslate(escape));
    EXPECT_FALSE(pictures.Window(PictureKind::FieldMap));
    window.RunCommand("MIShowFieldMap");
  }
}

// Save writes the picture shown: the core's SVG bytes, or a PNG at the scene's size; a
// cancelled dialog writes nothing.
TEST_F(Win32WindowTest, SaveWritesThePictureShown) {
  form.params.nearField.Store(GridTable(), 0);
  Win32Window window(form, native);
  for (const PictureKind kind : {PictureKind::FieldMap, PictureKind::Table}) {
    window.RunCommand(kind == PictureKind::FieldMap ? "MIShowFieldMap" : "MIPlotTable");
    const Scene& scene = window.Pictures()->Shown(kind);
    for (const std::string name : {"picture.svg", "picture.png", ""}) {
      const std::string path = name.empty() ? root.Path("cancelled.svg") : root.Path(name);
      answers.AnswerSave(name.empty() ? std::nullopt : std::optional<std::string>(path));
      if (!name.empty()) answers.AnswerAsk(PictureSizeText(scene));
      SendMessageW(window.Pictures()->SaveButton(kind), BM_CLICK, 0, 0);
      if (name.empty()) {
        EXPECT_FALSE(root.system.FileExists(path));
      } else if (name == "picture.svg") {
        EXPECT_EQ(SvgText(scene), root.system.ReadFile(path));
      } else {
        EXPECT_EQ(
            (std::pair{static_cast<int>(std::ceil(scene.width)), static_cast<int>(std::ceil(scene.height))}),
            PngSize(root.system.ReadFile(path)));
      }
    }
  }
  // Each save is confirmed, and nothing else is said.
  for (const std::string& message : answers.messages)
    EXPECT_EQ(0u, message.find("[Warning] Saved ")) << message;
}

// The window's picture (the screenshot directive's) is a PNG of its client area with the menu
// bar above it.
TEST_F(Win32WindowTest, WindowPictureIsTheClientAreaAndMenuBar) {
  Win32Window window(form, native);
  ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
  PumpMessages(&window);
  RECT client;
  GetClientRect(window.Handle(), &client);
  const auto [width, height] = PngSize(WindowPng(window.Handle()));
  EXPECT_EQ(client.right, width);
  EXPECT_GE(height, client.bottom + GetSystemMetrics(SM_CYMENU) - 1);
  EXPECT_LT(height, client.bottom + 3 * GetSystemMetrics(SM_CYMENU));
}

// Pane text crosses as 8-bit text both ways: shown, typed into the view (the model is edited in
// place, only while no command runs), lines appended behind the user's, the editing released by
// a rewrite.
TEST_F(Win32WindowTest, PaneTextBothWays) {
  Win32Window window(form, native);
  AddLine(form.M,
          "Temperature 20\xb0"
          "C\r\nsecond line");
  window.SyncFromModel();
  EXPECT_EQ((std::vector<std::string>{"Temperature 20\xb0"
                                      "C",
                                      "second line"}),
            window.PaneLines("M"));
  AddLine(form.M, "third");
  window.SyncFromModel();
  EXPECT_EQ(3u, window.PaneLines("M").size());

  HWND view = window.PaneHandle("M");
  SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  for (const wchar_t c : std::wstring(L"\u00e4 ")) SendMessageW(view, WM_CHAR, c, 0);
  SendMessageW(view, WM_KEYDOWN, VK_END, 0);
  SendMessageW(view, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ((std::vector<std::string>{"\xe4 Temperature 20\xb0"
                                      "C",
                                      "", "second line", "third"}),
            form.M.lines);
  // Lines a command appends come behind the user's; a rewrite releases the pane.
  AddLine(form.M, "fourth");
  window.SyncFromModel();
  EXPECT_EQ("fourth", window.PaneLines("M").at(4));
  EXPECT_TRUE(window.Form().M.lines.size() == 5 && window.PaneLines("M").size() == 5);
  ClearPane(form.M);
  AddLine(form.M, "new");
  window.SyncFromModel();
  EXPECT_EQ(std::vector<std::string>{"new"}, window.PaneLines("M"));
}

// ---- The desk: the real window with its own interface; the folder chooser is answered by the
// test, the Yes/No questions are the real message boxes, answered by Answering.
class DeskUi : public Win32Ui {
 public:
  explicit DeskUi(System& system) : Win32Ui(system), system_(system) {}
  std::optional<std::string> folder;
  std::function<bool()> duringEvents;  // runs at every event processing until it returns true
  std::optional<std::string> ChooseFolder(const std::string&) override {
    if (folder) system_.SetCurrentFolder(*folder);
    return folder;
  }
  void ProcessEvents() override {
    Win32Ui::ProcessEvents();
    if (duringEvents && duringEvents()) duringEvents = nullptr;
  }

 private:
  System& system_;
};

class Win32DeskTest : public testing::Test {
 protected:
  // A closed main window ends the thread's message loop: the end it posts must not reach the
  // next test's boxes (a modal loop that meets it returns at once).
  Win32DeskTest() : ui(root.system), form({root.system, ui}) { QuitPosted(); }
  ~Win32DeskTest() override {
    window.reset();
    QuitPosted();
  }
  // Three copies of the sample output listed for the batch analyses.
  void ListThreeOutputs() {
    for (const char* name : {"a.out", "b.out", "c.out"})
      root.Write("run\\" + std::string(name), SampleOutputText());
    ui.folder = root.Path("run");
    window->RunCommand("Button1");
  }
  std::string LastInfoLine() const {
    return form.Mout.lines.empty() ? "" : std::string(form.Mout.lines.back());
  }
  static bool QuitPosted() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  }
  static RECT Outer(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
  }
  static RECT WorkArea(HWND hwnd) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
  }
  Win32Root root;
  DeskUi ui;
  TForm1 form;
  std::optional<Win32Window> window{std::in_place, form, ui};
};

// Stop and Esc while the batch analysis works on its second file: the batch ends there with
// its closing line, the button is enabled only while it runs, the window stays.
TEST_F(Win32DeskTest, StopButtonAndEscEndABatchAtTheNextFile) {
  ListThreeOutputs();
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Esc" : "Stop");
    form.tableUnsaved = false;  // the last round's table: not asked about again
    EXPECT_FALSE(IsWindowEnabled(window->StopButton()));
    bool enabledInside = false;
    ui.duringEvents = [&] {
      if (form.progress.file < 2) return false;
      window->SyncFromModel();
      enabledInside = IsWindowEnabled(window->StopButton()) != FALSE;
      if (escape)
        PostMessageW(window->Handle(), WM_KEYDOWN, VK_ESCAPE, 0), PumpMessages(&*window);
      else
        SendMessageW(window->StopButton(), BM_CLICK, 0, 0);
      return true;
    };
    window->RunCommand("Button2");
    EXPECT_TRUE(enabledInside);
    EXPECT_FALSE(IsWindowEnabled(window->StopButton()));
    EXPECT_EQ("--------- Batch-Analyse Nearfield stopped: 1 of 3 files analysed ---------", LastInfoLine());
    EXPECT_TRUE(window->Open());
  }
}

// The close button and Quit while a batch runs ask; No lets the batch go on to its end, Yes
// stops it, closes the picture windows with the main one and ends the message loop.
TEST_F(Win32DeskTest, QuitAndCloseDuringABatchAsk) {
  ListThreeOutputs();
  struct Case {
    bool quit, yes;
  };
  for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
    SCOPED_TRACE(std::string(c.quit ? "Quit " : "close ") + (c.yes ? "Yes" : "No"));
    if (!window->Open()) window.emplace(form, ui), form.closing = false;
    form.tableUnsaved = false;  // the last round's table: not asked about again
    window->RunCommand("MIShowFieldMap");
    window->RunCommand("MIPlotTable");
    const HWND map = window->Pictures()->Window(PictureKind::FieldMap),
               plot = window->Pictures()->Window(PictureKind::Table);
    ui.duringEvents = [&] {
      if (form.progress.file < 2) return false;
      Answering(WideOf(form.title), {{{}, c.yes ? IDYES : IDNO}});
      if (c.quit)
        window->Click("MIQuit");
      else
        SendMessageW(window->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
      return true;
    };
    window->RunCommand("Button2");
    PumpMessages(window->Open() ? &*window : nullptr);
    EXPECT_EQ(std::vector<std::wstring>{L"A batch analysis is running (2 of 3). Stop it and quit?"},
              boxTexts);
    EXPECT_EQ(!c.yes, window->Open());
    EXPECT_EQ(!c.yes, IsWindow(map) && IsWindow(plot));
    EXPECT_EQ(c.yes, QuitPosted());
    // No lets the batch end with its third file; Yes ends it before.
    EXPECT_EQ(!c.yes, form.progress.file == 3) << form.progress.file;
  }
}

// A table a batch left unsaved: the close button and Quit ask; No keeps the window, Yes ends it.
TEST_F(Win32DeskTest, AnUnsavedTableAsksBeforeQuitting) {
  AddLine(form.Mdata, "a table a batch wrote");
  form.tableUnsaved = true;
  for (const bool quit : {false, true}) {
    for (const bool yes : {false, true}) {
      SCOPED_TRACE(std::string(quit ? "Quit " : "close ") + (yes ? "Yes" : "No"));
      if (!window->Open()) window.emplace(form, ui), form.closing = false;
      Answering(WideOf(form.title), {{{}, yes ? IDYES : IDNO}});
      if (quit)
        window->Click("MIQuit");
      else
        SendMessageW(window->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
      PumpMessages(window->Open() ? &*window : nullptr);
      EXPECT_EQ(std::vector<std::wstring>{L"The table in the Data pane is not saved. Quit anyway?"},
                boxTexts);
      EXPECT_EQ(!yes, window->Open());
      EXPECT_EQ(yes, QuitPosted());
    }
  }
}

// The window opens inside the screen's work area however large the model makes it; the
// picture windows open beside it where the work area has room on either side.
TEST_F(Win32DeskTest, WindowsFitTheWorkAreaAndPicturesOpenBeside) {
  window.reset();
  form.window = Rect{-50, -50, 6000, 4000};
  window.emplace(form, ui);
  const RECT work = WorkArea(window->Handle()), outer = Outer(window->Handle());
  EXPECT_TRUE(outer.left >= work.left && outer.top >= work.top && outer.right <= work.right &&
              outer.bottom <= work.bottom)
      << outer.left << "," << outer.top << " " << outer.right << "," << outer.bottom;
  // At the left edge, the right edge and in the middle, where the main window moves aside.
  for (const int at : {0, 1, 2}) {
    window.reset();
    form.window = Rect{0, 0, 1121, 530};
    window.emplace(form, ui);
    const int lefts[] = {work.left, work.right - form.window.width,
                         (work.left + work.right - form.window.width) / 2};
    form.window.left = lefts[at];
    window->SyncFromModel();
    window->RunCommand("MIPlotTable");
    const RECT main = Outer(window->Handle()), plot = Outer(window->Pictures()->Window(PictureKind::Table));
    RECT overlap;
    if (work.right - work.left < 1121 + 8 + (plot.right - plot.left))
      GTEST_SKIP() << "the screen is too narrow for a picture beside the window";
    EXPECT_FALSE(IntersectRect(&overlap, &main, &plot)) << at;
    EXPECT_TRUE(plot.left >= work.left && plot.right <= work.right);
    if (at == 2) {
      EXPECT_EQ(work.left, main.left);
    }
    window->Pictures()->CloseAll();
  }
}

// A picture window's message stands over it, not over the main window.
TEST_F(Win32DeskTest, APictureWindowsMessageStandsOverIt) {
  form.params.nearField.Store(GridTable(), 0);
  window->RunCommand("MIShowFieldMap");
  HWND map = window->Pictures()->Window(PictureKind::FieldMap);
  SetActiveWindow(map);
  SetWindowTextW(window->Pictures()->LimitEdit(0), L"abc");
  Answering(WideOf(form.title), {{{}, IDOK}});
  SendMessageW(window->Pictures()->SetLimitsButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(std::vector<std::wstring>{L"Colour limits: 'abc' is not a number (decimal separator ',')"},
            boxTexts);
  EXPECT_EQ(map, boxOwner);
}

// The file dialogs take a whole path typed into their name field, in the program's own
// "c:\\..." form, in another folder than the one they opened in.
TEST_F(Win32DeskTest, FileDialogsTakeATypedPath) {
  std::string typed = root.Write("other\\typed.out", "x");
  typed[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(typed[0])));
  root.Folder("start");
  for (const bool save : {false, true}) {
    SCOPED_TRACE(save ? "save" : "open");
    FileDialogSpec spec;
    spec.title = "Typed";
    spec.initialFolder = root.Path("start");
    spec.filter = "4nec2 (*.out)|*.out";
    answeredCaption = L"Typed";
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
      HWND dialog = FindWindowW(L"#32770", L"Typed");
      if (!dialog) return;
      KillTimer(nullptr, timer);
      // The name field: an edit inside a combo box (cmb13) or an edit of its own (edt1).
      const std::wstring path = typedPath;
      constexpr int kNameCombo = 0x47c, kNameEdit = 0x480;  // cmb13 and edt1 of <dlgs.h>
      if (!SetDlgItemTextW(dialog, kNameCombo, path.c_str()))
        SetDlgItemTextW(dialog, kNameEdit, path.c_str());
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    typedPath = WideOf(typed);
    const std::optional<std::string> chosen = save ? ui.SaveFileDialog(spec) : ui.OpenFileDialog(spec);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(0, _stricmp(typed.c_str(), chosen->c_str())) << *chosen;
  }
}

// The folder chooser takes a path typed into its edit box (Wine's chooser takes the folder
// chosen in its tree whatever the box holds).
TEST_F(Win32DeskTest, FolderChooserTakesATypedPath) {
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
    GTEST_SKIP() << "Wine's folder chooser ignores its edit box";
  root.Folder("start");
  root.Folder("other\\typed");
  std::string typed = root.Path("other\\typed");
  typed[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(typed[0])));
  typedPath = WideOf(typed);
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
    HWND chooser = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM found) {
          wchar_t kind[16] = {};
          GetClassNameW(hwnd, kind, 16);
          if (wcscmp(kind, L"#32770") == 0 && IsWindowVisible(hwnd)) *reinterpret_cast<HWND*>(found) = hwnd;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&chooser));
    HWND edit = chooser ? FindWindowExW(chooser, nullptr, L"Edit", nullptr) : nullptr;
    if (!edit) return;
    KillTimer(nullptr, timer);
    SetWindowTextW(edit, typedPath.c_str());
    PostMessageW(chooser, WM_COMMAND, IDOK, 0);
  });
  Win32Ui chooser(root.system);
  const std::optional<std::string> chosen = chooser.ChooseFolder(root.Path("start"));
  ASSERT_TRUE(chosen);
  EXPECT_EQ(0, _stricmp(typed.c_str(), chosen->c_str())) << *chosen;
}

}  // namespace varnel
