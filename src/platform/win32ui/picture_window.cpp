#include "platform/win32ui/picture_window.hpp"

#include <algorithm>
#include <cmath>
#include <variant>
#include <vector>

#include "mainwindow/VarnelU.hpp"
#include "picture/picture_file.hpp"
#include "platform/win32ui/pane_view.hpp"
#include "platform/win32ui/png_file.hpp"
#include "platform/win32ui/win32_ui.hpp"

namespace varnel {

namespace {

constexpr wchar_t kPictureClass[] = L"VarnelPicture";

COLORREF ToColor(const Colour& c) { return RGB(c.r, c.g, c.b); }

// The scene's texts are UTF-8.
std::wstring FromUtf8(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// A pen for the stroke, or the null pen; deleted with the object.
class Pen {
 public:
  Pen(HDC dc, const std::optional<Stroke>& stroke) : dc_(dc) {
    if (stroke) {
      LOGBRUSH brush{BS_SOLID, ToColor(stroke->colour), 0};
      pen_ = ExtCreatePen(PS_GEOMETRIC | (stroke->dashed ? PS_DASH : PS_SOLID) | PS_ENDCAP_FLAT,
                          static_cast<DWORD>(std::max(1L, std::lround(stroke->width))), &brush, 0, nullptr);
    }
    old_ = SelectObject(dc_, pen_ ? static_cast<HGDIOBJ>(pen_) : GetStockObject(NULL_PEN));
  }
  ~Pen() {
    SelectObject(dc_, old_);
    if (pen_) DeleteObject(pen_);
  }

 private:
  HDC dc_;
  HPEN pen_ = nullptr;
  HGDIOBJ old_;
};

class Brush {
 public:
  Brush(HDC dc, const std::optional<Colour>& fill) : dc_(dc) {
    if (fill) brush_ = CreateSolidBrush(ToColor(*fill));
    old_ = SelectObject(dc_, brush_ ? static_cast<HGDIOBJ>(brush_) : GetStockObject(NULL_BRUSH));
  }
  ~Brush() {
    SelectObject(dc_, old_);
    if (brush_) DeleteObject(brush_);
  }

 private:
  HDC dc_;
  HBRUSH brush_ = nullptr;
  HGDIOBJ old_;
};

int I(double v) { return static_cast<int>(std::lround(v)); }

// Paints the items in scene coordinates; the device context's world transform fits them.
struct ItemPainter {
  HDC dc;
  void operator()(const LineItem& line) const {
    Pen pen(dc, line.stroke);
    MoveToEx(dc, I(line.x1), I(line.y1), nullptr);
    LineTo(dc, I(line.x2), I(line.y2));
  }
  void operator()(const PolylineItem& line) const {
    std::vector<POINT> points;
    for (const Point2D& p : line.points) points.push_back(POINT{I(p.x), I(p.y)});
    Pen pen(dc, line.stroke);
    Polyline(dc, points.data(), static_cast<int>(points.size()));
  }
  void operator()(const RectItem& rect) const {
    Pen pen(dc, rect.stroke);
    Brush brush(dc, rect.fill);
    Rectangle(dc, I(rect.x), I(rect.y), I(rect.x + rect.width) + (rect.stroke ? 0 : 1),
              I(rect.y + rect.height) + (rect.stroke ? 0 : 1));
  }
  void operator()(const CircleItem& circle) const {
    Pen pen(dc, circle.stroke);
    Brush brush(dc, circle.fill);
    Ellipse(dc, I(circle.cx - circle.r), I(circle.cy - circle.r), I(circle.cx + circle.r),
            I(circle.cy + circle.r));
  }
  void operator()(const TextItem& text) const {
    LOGFONTW font{};
    font.lfHeight = -std::max(1, I(text.size));
    font.lfWeight = text.bold ? FW_BOLD : FW_NORMAL;
    font.lfEscapement = font.lfOrientation = text.vertical ? 900 : 0;
    font.lfQuality = ANTIALIASED_QUALITY;
    wcscpy_s(font.lfFaceName, L"Arial");
    HFONT handle = CreateFontIndirectW(&font);
    HGDIOBJ old = SelectObject(dc, handle);
    SetTextColor(dc, ToColor(text.colour));
    SetBkMode(dc, TRANSPARENT);
    const UINT align = text.anchor == TextAnchor::Start    ? TA_LEFT
                       : text.anchor == TextAnchor::Middle ? TA_CENTER
                                                           : TA_RIGHT;
    SetTextAlign(dc, align | TA_BASELINE);
    const std::wstring wide = FromUtf8(text.text);
    TextOutW(dc, I(text.x), I(text.y), wide.c_str(), static_cast<int>(wide.size()));
    SelectObject(dc, old);
    DeleteObject(handle);
  }
  void operator()(const ImageItem& image) const {
    if (image.columns <= 0 || image.rows <= 0) return;
    std::vector<std::uint32_t> pixels;
    pixels.reserve(image.pixels.size());
    for (const Colour& c : image.pixels)
      pixels.push_back(static_cast<std::uint32_t>(c.r) << 16 | static_cast<std::uint32_t>(c.g) << 8 | c.b);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.columns;
    info.bmiHeader.biHeight = -image.rows;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, COLORONCOLOR);  // no smoothing
    StretchDIBits(dc, I(image.x), I(image.y), I(image.width), I(image.height), 0, 0, image.columns,
                  image.rows, pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  }
};

// The scene at that scale with its top left corner at (left, top) of the device context.
void PaintScene(HDC dc, const Scene& scene, double scale, double left, double top) {
  if (scene.width <= 0 || scene.height <= 0) return;
  SetGraphicsMode(dc, GM_ADVANCED);
  const XFORM place{static_cast<FLOAT>(scale), 0, 0, static_cast<FLOAT>(scale), static_cast<FLOAT>(left),
                    static_cast<FLOAT>(top)};
  SetWorldTransform(dc, &place);
  HBRUSH background = CreateSolidBrush(ToColor(scene.background));
  const RECT all{0, 0, I(scene.width), I(scene.height)};
  FillRect(dc, &all, background);
  DeleteObject(background);
  const ItemPainter painter{dc};
  for (const SceneItem& item : scene.items) std::visit(painter, item);
  ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
}

// The bar of lists and the Save button above the picture (two rows for the field map); under it
// the line of the value under the cursor (or the hint) and the zoom buttons.
constexpr int kBar = 34, kMapBar = 64, kFoot = 30;
constexpr int kFirstList = 100, kSaveId = 110, kSetLimitsId = 111, kCdfListId = 120, kLeaveOutId = 121,
              kViewId = 130, kZoomInId = 131, kZoomOutId = 132, kWholeId = 133;
// The least client widths the bars need: the field map's lists and Save; the plots' list, check
// box and Save.
constexpr int kMapBarWidth = 740, kPlotBarWidth = 650;
constexpr wchar_t kViewClass[] = L"VarnelPictureView";

// The core's key for a virtual key code, if it takes one.
std::optional<PictureKey> KeyOf(WPARAM code) {
  static const std::pair<WPARAM, PictureKey> keys[] = {
      {VK_ESCAPE, PictureKey::Escape},  {VK_ADD, PictureKey::Plus},        {VK_OEM_PLUS, PictureKey::Plus},
      {VK_SUBTRACT, PictureKey::Minus}, {VK_OEM_MINUS, PictureKey::Minus}, {'0', PictureKey::Zero},
      {VK_NUMPAD0, PictureKey::Zero},   {VK_HOME, PictureKey::Home},       {VK_LEFT, PictureKey::Left},
      {VK_RIGHT, PictureKey::Right},    {VK_UP, PictureKey::Up},           {VK_DOWN, PictureKey::Down},
      {VK_PRIOR, PictureKey::PageUp},   {VK_NEXT, PictureKey::PageDown}};
  for (const auto& [virtualKey, key] : keys)
    if (virtualKey == code) return key;
  return std::nullopt;
}

// The picture windows that made the window (handed over at its creation and kept with it).
PictureWindows* CreatorOf(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  return reinterpret_cast<PictureWindows*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

Point2D PointOf(LPARAM lParam) {
  return {static_cast<double>(static_cast<short>(LOWORD(lParam))),
          static_cast<double>(static_cast<short>(HIWORD(lParam)))};
}

}  // namespace

std::string RasterPng(const Scene& scene) {
  const int width = std::max(1, static_cast<int>(std::ceil(scene.width)));
  const int height = std::max(1, static_cast<int>(std::ceil(scene.height)));
  BitmapCanvas canvas(width, height);
  if (!canvas.Dc()) return "";
  const RECT all{0, 0, width, height};
  FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PaintScene(canvas.Dc(), scene, 1, 0, 0);
  return canvas.Png();
}

PictureWindows::PictureWindows(TForm1& form, HWND mainWindow) : form_(form), main_(mainWindow) {
  // The bars' ground is the dialogs' face colour; the view paints all of its own.
  RegisterWindowClass(kPictureClass, WindowProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW,
                      reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  RegisterWindowClass(kViewClass, ViewProc, CS_DBLCLKS, IDC_HAND, nullptr);
  slots_[1].kind = PictureKind::Table;
  form_.showPicture = [this](PictureKind kind) { Show(kind); };
  SetSceneRasterizer(&RasterPng);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  font_ = CreateFontIndirectW(&metrics.lfMessageFont);
}

PictureWindows::~PictureWindows() {
  form_.showPicture = nullptr;
  CloseAll();
  if (font_) DeleteObject(font_);
}

void PictureWindows::CloseAll() {
  for (Slot& slot : slots_)
    if (slot.hwnd) DestroyWindow(slot.hwnd);
}

void PictureWindows::Show(PictureKind kind) {
  Slot& slot = slots_[static_cast<int>(kind)];
  if (slot.hwnd) {
    Rebuild(kind);
    ShowWindow(slot.hwnd, SW_SHOWNORMAL);
    return;
  }
  const bool map = kind == PictureKind::FieldMap;
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  slot.hwnd = CreateWindowExW(0, kPictureClass, FromUtf8(PictureTitle(kind)).c_str(), kStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, 800, 600, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  AddControls(slot, map);
  Rebuild(kind);
  // Where the core puts it: the frame, the bars and the foot around the view are this window's.
  RECT outer{}, work{}, frame{0, 0, 0, 0};
  GetWindowRect(main_, &outer);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  PictureChrome chrome;
  chrome.width = frame.right - frame.left;
  chrome.height = frame.bottom - frame.top + (map ? kMapBar : kBar) + kFoot;
  chrome.leastWidth = chrome.width + (map ? kMapBarWidth : kPlotBarWidth);
  chrome.scrollBar = GetSystemMetrics(SM_CXVSCROLL);
  std::vector<Rect> others;
  for (const Slot& other : slots_)
    if (&other != &slot && other.hwnd && IsWindowVisible(other.hwnd)) {
      RECT r;
      GetWindowRect(other.hwnd, &r);
      others.push_back(Rect{r.left, r.top, r.right - r.left, r.bottom - r.top});
    }
  const Rect main{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top};
  const PictureArrangement at =
      ArrangePicture(main, Rect{work.left, work.top, work.right - work.left, work.bottom - work.top},
                     slot.scene, chrome, others);
  if (!(at.main == main))
    SetWindowPos(main_, nullptr, at.main.left, at.main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(slot.hwnd, nullptr, at.picture.left, at.picture.top, at.picture.width, at.picture.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(slot.hwnd, SW_SHOWNORMAL);
  SetFocus(slot.view);
}

void PictureWindows::Rebuild(PictureKind kind) {
  Slot& slot = slots_[static_cast<int>(kind)];
  slot.key = PictureStateKey(form_, kind);
  if (kind == PictureKind::Table) {
    slot.scene = TablePicture(form_, slot.state.table);
  } else {
    slot.map = FieldMapOf(form_, slot.state.map);
    slot.scene = FieldMapWindowPicture(form_, slot.state.map, slot.map);
    FillLists(slot);
  }
  Refresh(slot);
}

void PictureWindows::Redraw(Slot& slot) {
  slot.map.zoom = slot.state.map.zoom;
  slot.scene = FieldMapWindowPicture(form_, slot.state.map, slot.map);
  Refresh(slot);
}

void PictureWindows::Refresh(Slot& slot) {
  if (!slot.view) return;
  RECT area;
  GetWindowRect(slot.view, &area);
  slot.laying = true;
  slot.layout = LayOutView(slot.scene, area.right - area.left, area.bottom - area.top,
                           GetSystemMetrics(SM_CXVSCROLL), slot.state.zoom);
  slot.state.zoom.scrollX = slot.layout.scrollX;
  slot.state.zoom.scrollY = slot.layout.scrollY;
  const ViewLayout& l = slot.layout;
  for (const auto& [bar, shown, content, page, at] :
       {std::tuple{SB_HORZ, l.barX, l.maxX + l.width, l.width, l.scrollX},
        std::tuple{SB_VERT, l.barY, l.maxY + l.height, l.height, l.scrollY}}) {
    ShowScrollBar(slot.view, bar, shown);
    SCROLLINFO info{sizeof info,
                    SIF_RANGE | SIF_PAGE | SIF_POS,
                    0,
                    static_cast<int>(std::ceil(content)) - 1,
                    static_cast<UINT>(std::max(page, 1)),
                    static_cast<int>(std::lround(at)),
                    0};
    SetScrollInfo(slot.view, bar, &info, TRUE);
  }
  slot.laying = false;
  InvalidateRect(slot.view, nullptr, FALSE);
}

void PictureWindows::Apply(Slot& slot, PictureEffect effect) {
  switch (effect) {
    case PictureEffect::Close:
      DestroyWindow(slot.hwnd);
      break;
    case PictureEffect::Repaint:
      Refresh(slot);
      break;
    case PictureEffect::Redraw:
      Redraw(slot);
      break;
    case PictureEffect::None:
      break;
  }
}

bool PictureWindows::PreTranslate(MSG& message) {
  for (const Slot& slot : slots_)
    if (slot.hwnd && (message.hwnd == slot.hwnd || IsChild(slot.hwnd, message.hwnd)))
      return IsDialogMessageW(slot.hwnd, &message) != FALSE;
  return false;
}

void PictureWindows::Follow() {
  const ULONGLONG now = GetTickCount64();
  if (form_.Busy() && now - lastFollow_ < kPictureFollowMs) return;
  lastFollow_ = now;
  for (int kind = 0; kind < 2; ++kind) {
    const Slot& slot = slots_[static_cast<std::size_t>(kind)];
    if (slot.hwnd && IsWindowVisible(slot.hwnd) &&
        slot.key != PictureStateKey(form_, static_cast<PictureKind>(kind)))
      Rebuild(static_cast<PictureKind>(kind));
  }
}

void PictureWindows::AddControls(Slot& slot, bool map) {
  auto add = [&](const wchar_t* kind, const std::string& text, DWORD style, int id) {
    HWND control = CreateWindowExW(0, kind, UiText(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                   slot.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
  };
  auto label = [&](const char* text, int x, int y, int width) {
    MoveWindow(add(L"STATIC", text, SS_RIGHT, -1), x, y, width, 20, FALSE);
  };
  if (map) {
    // Label and list, left to right: "View" Map, "Plane" XY, "at" z = 4 m, "Scale" Linear.
    const struct {
      const char* label;
      FieldMapList list;
      int labelWidth, listWidth;
    } bar[] = {{"View", FieldMapList::View, 34, 110},
               {"Plane", FieldMapList::Plane, 40, 70},
               {"at", FieldMapList::Level, 20, 150},
               {"Scale", FieldMapList::Scale, 40, 110}};
    int x = 8;
    for (const auto& entry : bar) {
      label(entry.label, x, 10, entry.labelWidth);
      x += entry.labelWidth + 6;
      const int index = static_cast<int>(entry.list);
      HWND& list = slot.lists[static_cast<std::size_t>(index)];
      list = add(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kFirstList + index);
      MoveWindow(list, x, 6, entry.listWidth, 300, FALSE);
      x += entry.listWidth + 12;
    }
    // The colour limits: "Colour limits: low" [ ] "high" [ ] Set.
    label("Colour limits: low", 8, 40, 120);
    slot.limits[0] = add(L"EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, -1);
    MoveWindow(slot.limits[0], 134, 37, 80, 22, FALSE);
    label("high", 220, 40, 30);
    slot.limits[1] = add(L"EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, -1);
    MoveWindow(slot.limits[1], 256, 37, 80, 22, FALSE);
    slot.setLimits = add(L"BUTTON", "Set", BS_PUSHBUTTON | WS_TABSTOP, kSetLimitsId);
    MoveWindow(slot.setLimits, 344, 36, 50, 24, FALSE);
  } else {
    label("Distributions in", 8, 10, 100);
    slot.lists[0] = add(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kCdfListId);
    MoveWindow(slot.lists[0], 114, 6, 90, 300, FALSE);
    for (const std::string& entry : CdfAxisEntries())
      SendMessageW(slot.lists[0], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FromUtf8(entry).c_str()));
    SendMessageW(slot.lists[0], CB_SETCURSEL, 0, 0);
    slot.leaveOut = add(L"BUTTON", "Leave out rows with an impossible power budget",
                        BS_AUTOCHECKBOX | WS_TABSTOP, kLeaveOutId);
    MoveWindow(slot.leaveOut, 220, 8, 330, 20, FALSE);
  }
  slot.save = add(L"BUTTON", "Save...", BS_PUSHBUTTON | WS_TABSTOP, kSaveId);
  slot.view = CreateWindowExW(
      0, kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, 0, 0, 0, 0, slot.hwnd,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewId)), GetModuleHandleW(nullptr), this);
  slot.probe = add(L"STATIC", PictureHint(slot.kind), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, -1);
  add(L"BUTTON", "Zoom +", BS_PUSHBUTTON, kZoomInId);
  add(L"BUTTON", "Zoom -", BS_PUSHBUTTON, kZoomOutId);
  add(L"BUTTON", map ? "Whole map" : "Fit", BS_PUSHBUTTON, kWholeId);
  LayOut(slot);
}

void PictureWindows::LayOut(Slot& slot) {
  RECT client;
  GetClientRect(slot.hwnd, &client);
  const int top = slot.kind == PictureKind::FieldMap ? kMapBar : kBar;
  const int foot = std::max<int>(top, client.bottom - kFoot);
  if (slot.save) MoveWindow(slot.save, client.right - 88, 5, 80, 25, TRUE);
  int x = client.right - 8;
  for (const auto& [id, width] :
       {std::pair{kWholeId, 80}, std::pair{kZoomOutId, 64}, std::pair{kZoomInId, 64}}) {
    x -= width;
    MoveWindow(GetDlgItem(slot.hwnd, id), x, foot + 3, width, 24, TRUE);
    x -= 6;
  }
  if (slot.probe) MoveWindow(slot.probe, 8, foot + 7, std::max(0, x - 14), 18, TRUE);
  if (slot.view) {
    MoveWindow(slot.view, 0, top, client.right, std::max(0, foot - top), TRUE);
    Refresh(slot);
  }
}

void PictureWindows::FillLists(Slot& slot) {
  const FieldMapLists lists = FieldMapListsOf(slot.map, slot.state.map.view);
  // In the order of FieldMapList: plane, level, scale, view.
  const std::vector<std::string>* texts[] = {&lists.planes, &lists.levels, &lists.scales, &lists.views};
  const int shown[] = {lists.plane, lists.level, lists.scale, lists.view};
  for (std::size_t i = 0; i < 4; ++i) {
    HWND box = slot.lists[i];
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::string& text : *texts[i])
      SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(UiText(text).c_str()));
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(shown[i]), 0);
  }
  SetWindowTextW(slot.limits[0], UiText(lists.low).c_str());
  SetWindowTextW(slot.limits[1], UiText(lists.high).c_str());
}

void PictureWindows::Command(Slot& slot, int id, int code) {
  const PictureKind kind = slot.kind;
  if (id == IDCANCEL) return Apply(slot, PressKey(slot.Shown(), PictureKey::Escape, false, slot.state));
  if (code == BN_CLICKED && (id == kZoomInId || id == kZoomOutId || id == kWholeId)) {
    const PictureKey key = id == kZoomInId    ? PictureKey::Plus
                           : id == kZoomOutId ? PictureKey::Minus
                                              : PictureKey::Zero;
    Apply(slot, PressKey(slot.Shown(), key, false, slot.state));
    SetFocus(slot.view);
    return;
  }
  if (id == kSaveId && code == BN_CLICKED) return Save(kind);
  if (id == kSetLimitsId && code == BN_CLICKED) return SetLimits(slot);
  if (id == kLeaveOutId && code == BN_CLICKED) {
    slot.state.table.leaveOutImpossibleBudgets =
        SendMessageW(slot.leaveOut, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return Rebuild(kind);
  }
  if (id == kCdfListId && code == CBN_SELCHANGE) {
    const LRESULT index = SendMessageW(slot.lists[0], CB_GETCURSEL, 0, 0);
    slot.state.table.cdfAxis = CdfAxisAt(static_cast<int>(index));
    return Rebuild(kind);
  }
  if (kind != PictureKind::FieldMap || id < kFirstList || id >= kFirstList + 4 || code != CBN_SELCHANGE)
    return;
  const int index = static_cast<int>(
      SendMessageW(slot.lists[static_cast<std::size_t>(id - kFirstList)], CB_GETCURSEL, 0, 0));
  slot.state.map = PickFromList(slot.map, slot.state.map, static_cast<FieldMapList>(id - kFirstList), index);
  Rebuild(kind);
}

void PictureWindows::SetLimits(Slot& slot) {
  std::string refusal;
  const std::optional<FieldMapChoice> chosen =
      WithColourLimits(slot.state.map, ControlText(slot.limits[0]), ControlText(slot.limits[1]), refusal);
  if (chosen) {
    slot.state.map = *chosen;
    return Rebuild(PictureKind::FieldMap);
  }
  FillLists(slot);
  form_.platform.ui.ShowMessage(MessageKind::Warning, form_.title, refusal);
}

// The cell under the cursor (a point of the view), or the hint.
void PictureWindows::Probe(Slot& slot, POINT at) {
  std::optional<MapProbe> probe;
  if (slot.kind == PictureKind::FieldMap && slot.state.map.view == MapView::Map) {
    const Point2D p = slot.layout.ToScene({static_cast<double>(at.x), static_cast<double>(at.y)});
    probe = ProbeFieldMap(slot.map, p.x, p.y);
  }
  SetWindowTextW(slot.probe, UiText(probe ? ProbeText(slot.map, *probe) : PictureHint(slot.kind)).c_str());
}

void PictureWindows::Save(PictureKind kind) {
  AskAndSavePicture(form_.platform, form_.title, slots_[static_cast<int>(kind)].scene, kind);
}

// The picture drawn off screen first, then the whole view at once.
void PictureWindows::PaintView(Slot& slot) {
  PAINTSTRUCT paint;
  HDC window = BeginPaint(slot.view, &paint);
  RECT client;
  GetClientRect(slot.view, &client);
  HDC dc = CreateCompatibleDC(window);
  HBITMAP bitmap =
      CreateCompatibleBitmap(window, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PaintScene(dc, slot.scene, slot.layout.scale, slot.layout.left, slot.layout.top);
  BitBlt(window, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EndPaint(slot.view, &paint);
}

LRESULT PictureWindows::ViewMessage(Slot& slot, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND view = slot.view;
  switch (message) {
    case WM_PAINT:
      PaintView(slot);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      if (!slot.laying) Refresh(slot);
      return 0;
    case WM_GETDLGCODE:
      // The arrows and the characters are the view's; Tab and Esc stay the window's.
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      if (const std::optional<PictureKey> key = KeyOf(wParam)) {
        Apply(slot, PressKey(slot.Shown(), *key, GetKeyState(VK_CONTROL) < 0, slot.state));
        return 0;
      }
      break;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
      SCROLLINFO info{sizeof info, SIF_ALL};
      GetScrollInfo(view, bar, &info);
      const double at = bar == SB_HORZ ? slot.layout.scrollX : slot.layout.scrollY;
      const double page = bar == SB_HORZ ? slot.layout.width : slot.layout.height;
      const int code = LOWORD(wParam);
      const double line = code == SB_LINEUP ? -40 : code == SB_LINEDOWN ? 40 : 0;
      const double pages = code == SB_PAGEUP ? -page : code == SB_PAGEDOWN ? page : 0;
      const bool thumb = code == SB_THUMBTRACK || code == SB_THUMBPOSITION;
      const double to = thumb ? info.nTrackPos : at + line + pages;
      slot.state.zoom = ScrollView(slot.layout, slot.state.zoom, bar == SB_HORZ ? to - at : 0,
                                   bar == SB_VERT ? to - at : 0);
      Refresh(slot);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ScreenToClient(view, &at);
      const double notches = GET_WHEEL_DELTA_WPARAM(wParam) / static_cast<double>(WHEEL_DELTA);
      Apply(slot, TurnWheel(slot.Shown(), notches, (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) != 0,
                            {static_cast<double>(at.x), static_cast<double>(at.y)}, slot.state));
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetFocus(view);
      SetCapture(view);
      slot.dragFrom = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      slot.dragOnMap = OnMap(slot.Shown(), slot.state, PointOf(lParam));
      return 0;
    case WM_LBUTTONUP:
      slot.dragFrom.reset();
      ReleaseCapture();
      return 0;
    case WM_MOUSEMOVE: {
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (slot.dragFrom && (wParam & MK_LBUTTON)) {
        const Point2D from{static_cast<double>(slot.dragFrom->x), static_cast<double>(slot.dragFrom->y)};
        slot.dragFrom = at;
        Apply(slot, Drag(slot.Shown(), from, PointOf(lParam), slot.dragOnMap, slot.state));
      }
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, view, 0};
      TrackMouseEvent(&track);
      Probe(slot, at);
      return 0;
    }
    case WM_MOUSELEAVE:
      SetWindowTextW(slot.probe, UiText(PictureHint(slot.kind)).c_str());
      return 0;
    default:
      break;
  }
  return DefWindowProcW(view, message, wParam, lParam);
}

LRESULT CALLBACK PictureWindows::ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = CreatorOf(hwnd, message, lParam);
  if (self)
    for (Slot& slot : self->slots_)
      if (slot.view == hwnd) return self->ViewMessage(slot, message, wParam, lParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PictureWindows::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = CreatorOf(hwnd, message, lParam);
  if (self) {
    for (Slot& slot : self->slots_) {
      if (slot.hwnd != hwnd) continue;
      if (message == WM_SIZE) self->LayOut(slot);
      if (message == WM_COMMAND) return self->Command(slot, LOWORD(wParam), HIWORD(wParam)), 0;
      // A wheel turned over the view while the focus is elsewhere in the window.
      if (message == WM_MOUSEWHEEL && slot.view) return SendMessageW(slot.view, message, wParam, lParam);
      if (message == WM_NCDESTROY) slot.hwnd = slot.view = slot.probe = nullptr;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace varnel
