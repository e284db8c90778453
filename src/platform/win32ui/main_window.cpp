#include "platform/win32ui/main_window.hpp"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "mainwindow/access_keys.hpp"
#include "mainwindow/pane_follow.hpp"
#include "platform/win32/win32_internal.hpp"
#include "platform/win32ui/pane_view.hpp"
#include "platform/win32ui/picture_window.hpp"
#include "platform/win32ui/win32_ui.hpp"

namespace varnel {

using win32_detail::Wide;

namespace {

constexpr wchar_t kWindowClass[] = L"VarnelMainWindow";
constexpr int kStopButton = 999;     // the status bar's Stop
constexpr int kFirstCommand = 1000;  // menu entries, context-menu entries and buttons
constexpr int kFirstRadio = 3000;    // kFirstRadio + 16 * group + item
constexpr UINT_PTR kNoticeTimer = 1;
constexpr std::uint64_t kFrameMs = kRedrawIntervalMs;

// The rows of the right column: fields 20 pixels high, 22 apart; the caption of a region
// takes its first 16.
constexpr int kFieldHeight = 20, kRow = 22, kCaption = 16, kInset = 8, kRadioHeight = 16;

std::uint64_t NowMs() { return GetTickCount64(); }

// "Ctrl+Alt+M", "F10" as an accelerator of the command id; false for a key it cannot name.
bool ParseShortcut(const std::string& shortcut, WORD id, ACCEL& accel) {
  accel = ACCEL{FVIRTKEY, 0, id};
  std::string rest = shortcut;
  for (const auto& [prefix, flag] :
       {std::pair<std::string, BYTE>{"Ctrl+", FCONTROL}, {"Alt+", FALT}, {"Shift+", FSHIFT}})
    while (rest.rfind(prefix, 0) == 0) accel.fVirt |= flag, rest.erase(0, prefix.size());
  if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
    accel.key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(rest[0])));
    return true;
  }
  if (rest.size() >= 2 && rest[0] == 'F' && rest.find_first_not_of("0123456789", 1) == std::string::npos) {
    const int number = std::stoi(rest.substr(1));
    if (number < 1 || number > 24) return false;
    accel.key = static_cast<WORD>(VK_F1 + number - 1);
    return true;
  }
  return false;
}

void Place(HWND control, int left, int top, int width, int height) {
  RECT now;
  GetWindowRect(control, &now);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&now), 2);
  if (now.left == left && now.top == top && now.right - now.left == width && now.bottom - now.top == height)
    return;
  SetWindowPos(control, nullptr, left, top, std::max(width, 0), std::max(height, 0),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

Win32Window::Win32Window(TForm1& form, Win32Ui& ui) : form_(form), ui_(ui) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(kWindowClass, WindowProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW,
                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  guiFont_ = CreateFontIndirectW(&metrics.lfMessageFont);
  // Pane M in "Terminal", the Info and Data panes in "Courier New": fixed pitch, as designed.
  terminalFont_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, OEM_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Terminal");
  courierFont_ =
      CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
  white_ = CreateSolidBrush(RGB(255, 255, 255));

  hwnd_ = CreateWindowExW(0, kWindowClass, UiText(form_.caption).c_str(), WS_OVERLAPPEDWINDOW,
                          form_.window.left, form_.window.top, form_.window.width, form_.window.height,
                          nullptr, nullptr, instance, this);
  BuildMenus();
  BuildControls();
  pictures_ = std::make_unique<PictureWindows>(form_, hwnd_);
  ui_.SetWindow(this);
  // What the right column needs with this font; the model makes the window at least that
  // large and centres it again, as at creation.
  form_.SetLayoutNeeds(MeasureNeeds());
  form_.MIWindowCenterClick();
  FitIntoWorkArea();
  ApplyWindowRect();
  form_.FormResize();
  ApplyGeometry();
  SyncFromModel();
}

Win32Window::~Win32Window() {
  ui_.SetWindow(nullptr);
  pictures_.reset();
  if (hwnd_) DestroyWindow(hwnd_);
  for (HMENU menu : {popup1_, popup2_})
    if (menu) DestroyMenu(menu);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  for (HGDIOBJ object : std::initializer_list<HGDIOBJ>{guiFont_, terminalFont_, courierFont_, white_})
    if (object) DeleteObject(object);
}

HWND Win32Window::Child(const wchar_t* kind, const std::string& text, DWORD style, DWORD exStyle, int id) {
  HWND control =
      CreateWindowExW(exStyle, kind, UiText(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont_), FALSE);
  return control;
}

// Every control is a child of the main window (a group box does not pass on its children's
// notifications); the regions are group boxes at the bottom of the z-order, drawn behind them
// on the background the main window erases.
void Win32Window::BuildControls() {
  for (Region* region : {&form_.GBEdit, &form_.GBInfo, &form_.GBdata, &form_.GBBasicData, &form_.GBNearField,
                         &form_.GBCommands})
    regions_[region->name] = Child(L"BUTTON", region->caption, BS_GROUPBOX | WS_CLIPSIBLINGS);
  const std::array<DisplayField*, 9> grid = form_.GridFields();

  const std::pair<const char*, Pane*> panes[] = {
      {"M", &form_.M}, {"Mout", &form_.Mout}, {"Mdata", &form_.Mdata}};
  for (const auto& [name, pane] : panes) {
    PaneSlot& slot = panes_[name];
    slot.pane = pane;
    slot.view =
        std::make_unique<PaneView>(*pane, hwnd_, std::string(name) == "M" ? terminalFont_ : courierFont_, ui_,
                                   [this] { return form_.TakesPaneEdits(); });
  }

  for (DisplayField* field : form_.Fields()) {
    HWND edit = Child(L"EDIT", field->text, ES_READONLY | ES_CENTER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    fields_[field->name] = edit;
    fieldTexts_[field->name] = field->text;
    fieldNames_[edit] = field->name;
    SetWindowSubclass(edit, ControlProc, 0, reinterpret_cast<DWORD_PTR>(this));
    // The grid's fields are labelled by its row and column headings.
    if (std::find(grid.begin(), grid.end(), field) != grid.end()) continue;
    if (!field->label.empty())
      labels_[field->name] = Child(L"STATIC", field->label, SS_LEFT | SS_CENTERIMAGE);
  }
  for (const auto* headings : {&TForm1::kGridColumns, &TForm1::kGridRows})
    for (const char* heading : *headings)
      gridHeadings_.push_back(Child(L"STATIC", heading, SS_CENTER | SS_CENTERIMAGE));

  for (const MenuItem& control : form_.Controls) {
    if (control.caption.empty()) continue;  // a display field
    const int id = kFirstCommand + static_cast<int>(commands_.size());
    commands_.push_back(control.name);
    commandIds_[control.name] = id;
    buttons_[control.name] = Child(L"BUTTON", control.caption, BS_PUSHBUTTON | WS_TABSTOP, 0, id);
  }

  int group = 0;
  for (RadioGroup* model : {&form_.RGMode, &form_.RGPol}) {
    RadioSlot& slot = radios_[model->name];
    slot.model = model;
    slot.box = Child(L"BUTTON", model->caption, BS_GROUPBOX | WS_CLIPSIBLINGS);
    for (std::size_t i = 0; i < model->items.size(); ++i)
      slot.items.push_back(Child(L"BUTTON", model->items[i],
                                 BS_AUTORADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0), 0,
                                 kFirstRadio + 16 * group + static_cast<int>(i)));
    ++group;
  }
  // Radio items over their group boxes, those over the regions.
  for (const auto& [name, slot] : radios_)
    SetWindowPos(slot.box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (const auto& [name, box] : regions_)
    SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                            hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  progressBar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 0, 0, status_, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(progressBar_, PBM_SETRANGE32, 0, 1000);
  // A child of the main window laid over the status bar, so that its clicks reach OnCommand.
  stop_ = Child(L"BUTTON", "Stop", BS_PUSHBUTTON, 0, kStopButton);
  EnableWindow(stop_, FALSE);

  // The hover hint of pane M.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  {
    HWND control = panes_["M"].view->View();
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 800);
}

void Win32Window::AppendItem(HMENU menu, const MenuItem& item, const std::string& shown) {
  if (item.separator) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  const std::string name = item.Key();
  const int id = kFirstCommand + static_cast<int>(commands_.size());
  commands_.push_back(name);
  commandIds_[name] = id;
  const std::string text = item.shortcut.empty() ? shown : shown + "\t" + item.shortcut;
  AppendMenuW(menu, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED), static_cast<UINT_PTR>(id),
              UiText(text).c_str());
}

void Win32Window::BuildMenus() {
  HMENU bar = CreateMenu();
  const std::vector<BarMenu> menus = MenusOf(form_.MM);
  std::vector<std::string> captions;
  for (const BarMenu& menu : menus) captions.push_back(menu.caption);
  const std::vector<std::string> menuTexts = MarkedCaptions(captions);
  std::vector<ACCEL> accelerators;
  for (std::size_t m = 0; m < menus.size(); ++m) {
    const std::vector<MenuItem>& items = menus[m].items;
    HMENU current = BuildPopup(items);
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(current), UiText(menuTexts[m]).c_str());
    for (const MenuItem& item : items) {
      ACCEL accel;
      if (!item.separator && !item.shortcut.empty() &&
          ParseShortcut(item.shortcut, static_cast<WORD>(commandIds_[item.Key()]), accel))
        accelerators.push_back(accel);
    }
  }
  SetMenu(hwnd_, bar);
  if (!accelerators.empty())
    accelerators_ = CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()));
  popup1_ = BuildPopup(form_.PopupMenu1);
  popup2_ = BuildPopup(form_.PopupMenu2);
}

HMENU Win32Window::BuildPopup(const std::vector<MenuItem>& items) {
  HMENU menu = CreatePopupMenu();
  std::vector<std::string> captions;
  for (const MenuItem& item : items) captions.push_back(item.separator ? std::string() : item.caption);
  const std::vector<std::string> shown = MarkedCaptions(captions);
  for (std::size_t i = 0; i < items.size(); ++i) AppendItem(menu, items[i], shown[i]);
  return menu;
}

int Win32Window::TextWidth(const std::string& text, HFONT font) const {
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font ? font : guiFont_);
  const std::wstring wide = UiText(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  return size.cx;
}

// The right column's width and the Commands region's height for the texts in this font: each
// field at least as wide as the widest text its commands write.
TForm1::LayoutNeeds Win32Window::MeasureNeeds() {
  auto field = [&](const std::string& name) { return TextWidth(TForm1::WidestText(name)) + 10; };
  auto label = [&](const std::string& name) {
    auto it = labels_.find(name);
    return it == labels_.end() ? 0 : TextWidth(ControlText(it->second)) + 6;
  };
  int basicLabel = 0, basicField = 0;
  for (DisplayField* f : form_.BasicDataFields()) {
    basicLabel = std::max(basicLabel, label(f->name));
    basicField = std::max(basicField, field(f->name));
  }
  int gridField = 0;
  for (DisplayField* f : form_.GridFields()) gridField = std::max(gridField, field(f->name));
  labelWidths_.basic = basicLabel;
  labelWidths_.type = label("EditType");
  labelWidths_.normalize = label("EditNormalizePower");
  TForm1::LayoutNeeds needs;
  needs.rightColumn =
      std::max({2 * kInset + basicLabel + basicField, 2 * kInset + label("EditType") + 3 * gridField + 8,
                2 * kInset + label("EditNormalizePower") + field("EditNormalizePower"),
                2 * kInset + 2 * 14 + field("EditPoint") + field("EditPointA") + 4});
  const std::size_t items = std::max(form_.RGMode.items.size(), form_.RGPol.items.size());
  needs.commandsHeight = kCaption + 28 + 2 * kRow + kCaption + static_cast<int>(items) * kRadioHeight + 10;
  // A table row in the Data pane's font, with the pane's edges, its scroll bar and the region's
  // margins around the pane.
  needs.tableRow = TextWidth(std::string(TForm1::kTableRowChars, '0'), courierFont_) +
                   GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE) + 16 + 8;
  return needs;
}

Rect Win32Window::WorkArea() const {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  return Rect{work.left, work.top, work.right - work.left, work.bottom - work.top};
}

// The window opens no larger than the work area (the screen less the task bar; the model
// decides the size, as for every window) and inside its screen's work area: the model's size
// would reach past the edge of a small screen, with the title bar or the window's foot out of
// reach.
void Win32Window::FitIntoWorkArea() {
  form_.FitToScreen();
  const Rect work = WorkArea();
  if (work.width <= 0 || work.height <= 0) return;
  Rect& window = form_.window;
  // A window larger than the area (its least size on a tiny screen) starts at the area's edge.
  window.left = std::max(work.left, std::min(window.left, work.left + work.width - window.width));
  window.top = std::max(work.top, std::min(window.top, work.top + work.height - window.height));
  form_.FormResize();
}

// The model's rectangle is the outer one, frame and title bar included, as the window's own.
void Win32Window::ApplyWindowRect() {
  applyingGeometry_ = true;
  SetWindowPos(hwnd_, nullptr, form_.window.left, form_.window.top, form_.window.width, form_.window.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  applyingGeometry_ = false;
}

void Win32Window::ApplyGeometry() {
  const std::array<Rect, 7> regions{
      form_.window,        form_.GBBasicData.bounds, form_.GBNearField.bounds, form_.GBCommands.bounds,
      form_.GBEdit.bounds, form_.GBInfo.bounds,      form_.GBdata.bounds};
  if (regions == laidOut_) return;
  laidOut_ = regions;
  for (Region* region : {&form_.GBBasicData, &form_.GBNearField, &form_.GBCommands, &form_.GBEdit,
                         &form_.GBInfo, &form_.GBdata}) {
    const Rect& b = region->bounds;
    Place(regions_[region->name], b.left, b.top, b.width, b.height);
  }
  const std::pair<const char*, std::pair<Region*, Rect*>> panes[] = {
      {"M", {&form_.GBEdit, &form_.MBounds}},
      {"Mout", {&form_.GBInfo, &form_.MoutBounds}},
      {"Mdata", {&form_.GBdata, &form_.MdataBounds}}};
  for (const auto& [name, where] : panes) {
    const Rect& region = where.first->bounds;
    const Rect& inside = *where.second;
    panes_[name].view->Place(region.left + inside.left, region.top + inside.top, inside.width, inside.height);
  }

  // BasicData: a label column and a field column.
  const Rect& basic = form_.GBBasicData.bounds;
  const int left = basic.left + kInset, width = basic.width - 2 * kInset;
  const int labelWidth = labelWidths_.basic;
  int row = 0;
  for (const DisplayField* field : form_.BasicDataFields()) {
    const int top = basic.top + kCaption + row++ * kRow;
    Place(labels_[field->name], left, top, labelWidth, kFieldHeight);
    Place(fields_[field->name], left + labelWidth, top, width - labelWidth, kFieldHeight);
  }

  // NearField: column headings, the rows X, Y, Z of three fields, then the Type row.
  const Rect& nearField = form_.GBNearField.bounds;
  const int typeLabel = labelWidths_.type;
  const int gridLeft = nearField.left + kInset + typeLabel,
            column = (nearField.width - 2 * kInset - typeLabel) / 3;
  for (int c = 0; c < 3; ++c)
    Place(gridHeadings_[c], gridLeft + c * column, nearField.top + kCaption - 2, column, 16);
  const std::array<DisplayField*, 9> grid = form_.GridFields();
  for (int r = 0; r < 3; ++r) {
    const int top = nearField.top + kCaption + 14 + r * kRow;
    Place(gridHeadings_[3 + r], nearField.left + kInset, top, typeLabel, kFieldHeight);
    for (int c = 0; c < 3; ++c)
      Place(fields_[grid[r * 3 + c]->name], gridLeft + c * column + 1, top, column - 2, kFieldHeight);
  }
  const int typeTop = nearField.top + kCaption + 14 + 3 * kRow;
  Place(labels_["EditType"], nearField.left + kInset, typeTop, typeLabel, kFieldHeight);
  Place(fields_["EditType"], gridLeft + 1, typeTop, 3 * column - 2, kFieldHeight);

  // Commands: the buttons side by side, the P and A row, the Normalize Power row, then the
  // radio groups side by side down to the region's foot.
  const Rect& commands = form_.GBCommands.bounds;
  const int cLeft = commands.left + kInset, cWidth = commands.width - 2 * kInset;
  int top = commands.top + kCaption;
  const int buttonWidth = (cWidth - 4) / std::max<int>(1, static_cast<int>(buttons_.size()));
  int b = 0;
  for (const MenuItem& control : form_.Controls)
    if (auto it = buttons_.find(control.name); it != buttons_.end())
      Place(it->second, cLeft + b++ * (buttonWidth + 4), top, buttonWidth, 24);
  top += 28;
  const int letter = 14, pointWidth = (cWidth - 2 * letter - 4) * 3 / 5;
  Place(labels_["EditPoint"], cLeft, top, letter, kFieldHeight);
  Place(fields_["EditPoint"], cLeft + letter, top, pointWidth, kFieldHeight);
  Place(labels_["EditPointA"], cLeft + letter + pointWidth + 4, top, letter, kFieldHeight);
  Place(fields_["EditPointA"], cLeft + 2 * letter + pointWidth + 4, top, cWidth - 2 * letter - pointWidth - 4,
        kFieldHeight);
  top += kRow;
  const int normalizeLabel = labelWidths_.normalize;
  Place(labels_["EditNormalizePower"], cLeft, top, normalizeLabel, kFieldHeight);
  Place(fields_["EditNormalizePower"], cLeft + normalizeLabel, top, cWidth - normalizeLabel, kFieldHeight);
  top += kRow;
  const int bottom = commands.top + commands.height - 4;
  int groupLeft = cLeft;
  const int groupWidth = (cWidth - 4) / 2;
  for (const char* name : {"RGMode", "RGPol"}) {
    RadioSlot& slot = radios_[name];
    Place(slot.box, groupLeft, top, groupWidth, bottom - top);
    for (std::size_t i = 0; i < slot.items.size(); ++i)
      Place(slot.items[i], groupLeft + 6, top + kCaption + static_cast<int>(i) * kRadioHeight,
            groupWidth - 10, kRadioHeight);
    groupLeft += groupWidth + 4;
  }
}

void Win32Window::LayOutStatusBar() {
  SendMessageW(status_, WM_SIZE, 0, 0);
  RECT client;
  GetClientRect(status_, &client);
  const int parts[] = {std::max<int>(client.right - 300, 10), std::max<int>(client.right - 80, 20), -1};
  SendMessageW(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
  RECT part;
  SendMessageW(status_, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
  SetWindowPos(progressBar_, nullptr, part.left + 2, part.top + 2, part.right - part.left - 4,
               part.bottom - part.top - 4, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(status_, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&part));
  MapWindowPoints(status_, hwnd_, reinterpret_cast<POINT*>(&part), 2);
  SetWindowPos(stop_, HWND_TOP, part.left + 2, part.top + 1, part.right - part.left - 20,
               part.bottom - part.top - 2, SWP_NOACTIVATE);
}

void Win32Window::RunCommand(const std::string& name) {
  form_.Run(name);
  if (hwnd_) SyncFromModel();
}

void Win32Window::SyncIfDue() {
  if (hwnd_ && NowMs() - lastSync_ >= kFrameMs) SyncFromModel();
}

void Win32Window::SyncFromModel() {
  if (!hwnd_) return;
  lastSync_ = NowMs();
  for (auto& [name, slot] : panes_) slot.view->Refresh();
  if (form_.M.hint != hint_) {
    hint_ = form_.M.hint;
    const std::wstring text = UiText(hint_);
    {
      HWND control = panes_["M"].view->View();
      TOOLINFOW tool{};
      tool.cbSize = TTTOOLINFOW_V2_SIZE;
      tool.hwnd = hwnd_;
      tool.uId = reinterpret_cast<UINT_PTR>(control);
      tool.lpszText = const_cast<wchar_t*>(text.c_str());
      SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
  for (DisplayField* field : form_.Fields()) {
    auto it = fields_.find(field->name);
    if (it == fields_.end() || fieldTexts_[field->name] == field->text) continue;
    fieldTexts_[field->name] = field->text;
    SetWindowTextW(it->second, UiText(field->text).c_str());
  }
  for (auto& [name, slot] : radios_) {
    for (std::size_t i = 0; i < slot.items.size(); ++i) {
      const WPARAM state = static_cast<int>(i) == slot.model->itemIndex ? BST_CHECKED : BST_UNCHECKED;
      if (SendMessageW(slot.items[i], BM_GETCHECK, 0, 0) != static_cast<LRESULT>(state))
        SendMessageW(slot.items[i], BM_SETCHECK, state, 0);
    }
    if (slot.color != slot.model->color) {
      slot.color = slot.model->color;
      InvalidateRect(slot.box, nullptr, TRUE);
      for (HWND item : slot.items) InvalidateRect(item, nullptr, TRUE);
    }
  }
  HMENU bar = GetMenu(hwnd_);
  for (const auto* table : {&form_.MM, &form_.PopupMenu1, &form_.PopupMenu2}) {
    for (const MenuItem& item : *table) {
      if (!TForm1::Checkable(item)) continue;
      auto it = commandIds_.find(item.Key());
      if (it == commandIds_.end()) continue;
      const UINT check = MF_BYCOMMAND | (item.checked ? MF_CHECKED : MF_UNCHECKED);
      for (HMENU menu : {bar, popup1_, popup2_}) CheckMenuItem(menu, static_cast<UINT>(it->second), check);
    }
  }
  // The Data pane's column entries are named after the table it holds.
  std::vector<std::string> popupCaptions;
  for (const MenuItem& item : form_.PopupMenu2) popupCaptions.push_back(item.separator ? "" : item.caption);
  if (popup2_ && popupCaptions != popup2Captions_) {
    const std::vector<std::string> shown = MarkedCaptions(popupCaptions);
    for (std::size_t i = 0; i < form_.PopupMenu2.size(); ++i) {
      const auto id = commandIds_.find(form_.PopupMenu2[i].name);
      if (id != commandIds_.end())
        ModifyMenuW(popup2_, static_cast<UINT>(id->second), MF_BYCOMMAND | MF_STRING,
                    static_cast<UINT_PTR>(id->second), UiText(shown[i]).c_str());
    }
    popup2Captions_ = std::move(popupCaptions);
  }
  if (ControlText(hwnd_) != form_.caption) SetWindowTextW(hwnd_, UiText(form_.caption).c_str());
  // Window-position commands move the model's window.
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  if (!IsIconic(hwnd_) && !IsZoomed(hwnd_) &&
      Rect{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top} != form_.window)
    ApplyWindowRect();
  ApplyGeometry();
  SyncStatus();
  pictures_->Follow();
  UpdateWindow(hwnd_);
}

void Win32Window::SyncStatus() {
  const Progress& progress = form_.progress;
  const std::string text = ProgressText(progress, form_.platform.system.MillisecondsSinceEpoch());
  if (text != statusShown_) {
    statusShown_ = text;
    if (notice_.empty())
      SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(UiText(text).c_str()));
  }
  if ((IsWindowEnabled(stop_) != FALSE) != form_.StopEnabled()) EnableWindow(stop_, form_.StopEnabled());
  const int permille = ProgressPermille(progress);
  // A command that counts no files shows a busy bar.
  const bool busy = progress.running && permille < 0;
  if (busy != marquee_) {
    marquee_ = busy;
    const LONG_PTR style = GetWindowLongPtrW(progressBar_, GWL_STYLE);
    SetWindowLongPtrW(progressBar_, GWL_STYLE, busy ? style | PBS_MARQUEE : style & ~LONG_PTR{PBS_MARQUEE});
    SendMessageW(progressBar_, PBM_SETMARQUEE, busy, 30);
  }
  if (progress.running) {
    if (!busy) SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(permille), 0);
    if (!IsWindowVisible(progressBar_)) ShowWindow(progressBar_, SW_SHOWNA);
  } else if (IsWindowVisible(progressBar_)) {
    ShowWindow(progressBar_, SW_HIDE);
  }
}

void Win32Window::ShowNotice(const std::string& text) {
  if (!hwnd_) return;
  notice_ = text;
  SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(UiText(text).c_str()));
  SetTimer(hwnd_, kNoticeTimer, 5000, nullptr);
}

std::string Win32Window::StatusText() const { return notice_.empty() ? statusShown_ : notice_; }

bool Win32Window::PreTranslate(MSG& message) {
  if (!hwnd_) return false;
  // Esc anywhere in the main window stops the running command; idle it goes on to the control.
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE &&
      (message.hwnd == hwnd_ || IsChild(hwnd_, message.hwnd)) && form_.EscapePressed()) {
    SyncStatus();
    return true;
  }
  // Enter, F2 and Space on a field that a double-click edits open its editor, as the
  // double-click does.
  if (message.message == WM_KEYDOWN &&
      (message.wParam == VK_RETURN || message.wParam == VK_F2 || message.wParam == VK_SPACE)) {
    auto field = fieldNames_.find(message.hwnd);
    if (field != fieldNames_.end() && form_.AnswersDoubleClick(field->second)) {
      RunCommand(field->second + "DblClick");
      return true;
    }
  }
  if (accelerators_ && TranslateAcceleratorW(hwnd_, accelerators_, &message)) return true;
  if (pictures_ && pictures_->PreTranslate(message)) return true;
  return IsDialogMessageW(hwnd_, &message) != FALSE;
}

bool Win32Window::Click(const std::string& name) {
  auto it = commandIds_.find(name);
  if (it == commandIds_.end() || !hwnd_) return false;
  auto button = buttons_.find(name);
  if (button != buttons_.end())
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(it->second, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button->second));
  else
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(it->second, 0), 0);
  return true;
}

void Win32Window::SelectRadio(const std::string& group, int index) {
  auto it = radios_.find(group);
  if (it == radios_.end() || index < 0 || index >= static_cast<int>(it->second.items.size())) return;
  SendMessageW(it->second.items[static_cast<std::size_t>(index)], BM_CLICK, 0, 0);
}

std::vector<std::string> Win32Window::PaneLines(const std::string& pane) const {
  auto it = panes_.find(pane);
  return it == panes_.end() ? std::vector<std::string>() : it->second.view->ShownLines();
}

HWND Win32Window::PaneHandle(const std::string& pane) const {
  auto it = panes_.find(pane);
  return it == panes_.end() ? nullptr : it->second.view->View();
}

std::string Win32Window::FieldText(const std::string& field) const {
  auto it = fields_.find(field);
  return it == fields_.end() ? std::string() : ControlText(it->second);
}

const Win32Window::RadioSlot* Win32Window::RadioOf(HWND control) const {
  for (const auto& [name, slot] : radios_)
    if (slot.box == control || std::find(slot.items.begin(), slot.items.end(), control) != slot.items.end())
      return &slot;
  return nullptr;
}

void Win32Window::PressStop() {
  if (!hwnd_) return;
  SyncStatus();  // the button as the window shows it now
  if (IsWindowEnabled(stop_))
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(kStopButton, BN_CLICKED), reinterpret_cast<LPARAM>(stop_));
}

void Win32Window::OnCommand(int id, int code) {
  if (id == kStopButton) {
    form_.RequestStop();
    SyncStatus();
    return;
  }
  if (id >= kFirstCommand && id < kFirstCommand + static_cast<int>(commands_.size())) {
    if (code == 0 || code == 1) RunCommand(commands_[static_cast<std::size_t>(id - kFirstCommand)]);
    return;
  }
  if (id >= kFirstRadio && id < kFirstRadio + 32 && code == BN_CLICKED) {
    // A refused switch (a batch holds the group) puts the check back on the model's item.
    RadioGroup* group = (id - kFirstRadio) / 16 == 0 ? &form_.RGMode : &form_.RGPol;
    if (!form_.Select(*group, (id - kFirstRadio) % 16)) SyncFromModel();
  }
}

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->Message(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Window::Message(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = hwnd_;
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_SIZE:
      if (status_) LayOutStatusBar();
      if (!applyingGeometry_ && wParam != SIZE_MINIMIZED && status_) {
        RECT outer;
        GetWindowRect(hwnd, &outer);
        form_.window.width = outer.right - outer.left;
        form_.window.height = outer.bottom - outer.top;
        form_.FormResize();
        ApplyGeometry();
      }
      return 0;
    case WM_MOVE:
      if (!applyingGeometry_ && !IsIconic(hwnd) && status_) {
        RECT outer;
        GetWindowRect(hwnd, &outer);
        form_.window.left = outer.left;
        form_.window.top = outer.top;
      }
      return 0;
    case WM_GETMINMAXINFO: {
      // The least size the panes need, but never more than the work area holds.
      const auto [width, height] = form_.MinimumWindowSize();
      const Rect work = WorkArea();
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = POINT{work.width > 0 ? std::min(width, work.width) : width,
                                     work.height > 0 ? std::min(height, work.height) : height};
      return 0;
    }
    // The splitters between the panes: their strips lie on the main window itself (between
    // the regions, or on a group box's frame, which lets the mouse through).
    case WM_SETCURSOR: {
      POINT at;
      GetCursorPos(&at);
      ScreenToClient(hwnd, &at);
      if (LOWORD(lParam) == HTCLIENT && (dragging_ || SplitterAt(at))) {
        const TForm1::Splitter splitter = dragging_ ? *dragging_ : *SplitterAt(at);
        SetCursor(LoadCursorW(nullptr, splitter == TForm1::Splitter::Rows ? IDC_SIZENS : IDC_SIZEWE));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN:
      if ((dragging_ =
               SplitterAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))})))
        SetCapture(hwnd);
      return 0;
    case WM_MOUSEMOVE:
      if (dragging_) {
        const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        form_.DragSplitter(*dragging_, *dragging_ == TForm1::Splitter::Rows ? y : x);
        ApplyGeometry();
      }
      return 0;
    case WM_LBUTTONUP:
      if (dragging_) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      dragging_.reset();
      return 0;
    case WM_CTLCOLORSTATIC: {
      const RadioSlot* slot = RadioOf(reinterpret_cast<HWND>(lParam));
      if (!slot || slot->model->color != "clWhite") break;
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(white_);
    }
    case WM_CONTEXTMENU:
      if (ContextMenu(reinterpret_cast<HWND>(wParam), lParam)) return 0;
      break;
    case WM_SETTINGCHANGE:
      // The user may have changed the decimal separator of the locale.
      DecimalSeparator = form_.platform.system.LocaleDecimalSeparator();
      break;
    case WM_TIMER:
      if (wParam == kNoticeTimer) {
        KillTimer(hwnd, kNoticeTimer);
        notice_.clear();
        SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(UiText(statusShown_).c_str()));
      }
      return 0;
    case WM_CLOSE:
      // The model asks what is to be asked; during a command an agreed close is deferred: the
      // command ends at its next event processing and the window closes afterwards.
      if (form_.CloseQuery()) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      // The picture windows go with the main window; the program ends with it.
      if (pictures_) pictures_->CloseAll();
      ui_.SetWindow(nullptr);
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::optional<TForm1::Splitter> Win32Window::SplitterAt(POINT client) const {
  for (TForm1::Splitter splitter : {TForm1::Splitter::Rows, TForm1::Splitter::Columns}) {
    const Rect strip = form_.SplitterBounds(splitter);
    if (client.x >= strip.left && client.x < strip.left + strip.width && client.y >= strip.top &&
        client.y < strip.top + strip.height)
      return splitter;
  }
  return std::nullopt;
}

// The context menus of EditPoint and of the Data pane, at the point
// of the click or, from the keyboard, at the control's corner.
bool Win32Window::ContextMenu(HWND control, LPARAM at) {
  const PaneView& data = *panes_["Mdata"].view;
  HMENU menu = control == fields_["EditPoint"] ? popup1_ : control == data.View() ? popup2_ : nullptr;
  if (!menu) return false;
  POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  if (at == -1) {
    RECT rect;
    GetWindowRect(control, &rect);
    point = POINT{rect.left + 4, rect.top + 4};
  }
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, point.x, point.y, 0, hwnd_, nullptr);
  return true;
}

// The panes and fields: a double-click on a field that answers it runs its command; the
// context menus of EditPoint and Mdata.
LRESULT CALLBACK Win32Window::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<Win32Window*>(data);
  if (message == WM_LBUTTONDBLCLK) {
    auto it = self->fieldNames_.find(hwnd);
    if (it != self->fieldNames_.end() && self->form_.AnswersDoubleClick(it->second)) {
      self->RunCommand(it->second + "DblClick");
      return 0;
    }
  } else if (message == WM_CONTEXTMENU) {
    if (self->ContextMenu(hwnd, lParam)) return 0;
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, ControlProc, 0);
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace varnel
