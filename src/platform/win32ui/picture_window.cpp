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

// The scene fitted into the target rectangle, kept in proportion and centred.
void PaintScene(HDC dc, const Scene& scene, const RECT& target) {
  if (scene.width <= 0 || scene.height <= 0) return;
  const double width = target.right - target.left, height = target.bottom - target.top;
  const double scale = std::min(width / scene.width, height / scene.height);
  SetGraphicsMode(dc, GM_ADVANCED);
  const XFORM fit{static_cast<FLOAT>(scale),
                  0,
                  0,
                  static_cast<FLOAT>(scale),
                  static_cast<FLOAT>(target.left + (width - scene.width * scale) / 2),
                  static_cast<FLOAT>(target.top + (height - scene.height * scale) / 2)};
  SetWorldTransform(dc, &fit);
  HBRUSH background = CreateSolidBrush(ToColor(scene.background));
  const RECT all{0, 0, I(scene.width), I(scene.height)};
  FillRect(dc, &all, background);
  DeleteObject(background);
  const ItemPainter painter{dc};
  for (const SceneItem& item : scene.items) std::visit(painter, item);
  ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
}

// The bar of lists and the Save button above the picture (two rows for the field map), the value
// under the cursor below it.
constexpr int kBar = 34, kMapBar = 64, kProbeLine = 22;
constexpr int kFirstList = 100, kSaveId = 110, kSetLimitsId = 111, kCdfListId = 120, kLeaveOutId = 121;

}  // namespace

std::string RasterPng(const Scene& scene) {
  const int width = std::max(1, static_cast<int>(std::ceil(scene.width)));
  const int height = std::max(1, static_cast<int>(std::ceil(scene.height)));
  BitmapCanvas canvas(width, height);
  if (!canvas.Dc()) return "";
  const RECT all{0, 0, width, height};
  FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PaintScene(canvas.Dc(), scene, all);
  return canvas.Png();
}

PictureWindows::PictureWindows(TForm1& form, HWND mainWindow) : form_(form), main_(mainWindow) {
  RegisterWindowClass(kPictureClass, WindowProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, nullptr);
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
  if (!slot.hwnd) {
    const bool map = kind == PictureKind::FieldMap;
    RECT outer{}, work{};
    GetWindowRect(main_, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // No larger than the work area either.
    const int width = std::min<int>(map ? 800 : 920, work.right - work.left),
              height = std::min<int>(map ? 660 : 700, work.bottom - work.top);
    const Rect at =
        PictureBeside(Rect{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top}, width,
                      height, Rect{work.left, work.top, work.right - work.left, work.bottom - work.top});
    slot.hwnd = CreateWindowExW(0, kPictureClass, map ? L"Varnel - Field Map" : L"Varnel - Plot Table",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, at.left, at.top, width, height,
                                nullptr, nullptr, GetModuleHandleW(nullptr), this);
    AddControls(slot, map);
  }
  Rebuild(kind);
  ShowWindow(slot.hwnd, SW_SHOWNORMAL);
}

void PictureWindows::Rebuild(PictureKind kind) {
  Slot& slot = slots_[static_cast<int>(kind)];
  slot.key = PictureStateKey(form_, kind);
  if (kind == PictureKind::Table) {
    slot.scene = TablePicture(form_, slot.tableChoice);
  } else {
    slot.map = FieldMapOf(form_, slot.choice);
    slot.scene = FieldMapWindowPicture(form_, slot.choice, slot.map);
    FillLists(slot);
  }
  InvalidateRect(slot.hwnd, nullptr, FALSE);
}

bool PictureWindows::PreTranslate(MSG& message) {
  for (const Slot& slot : slots_)
    if (slot.hwnd && (message.hwnd == slot.hwnd || IsChild(slot.hwnd, message.hwnd)))
      return IsDialogMessageW(slot.hwnd, &message) != FALSE;
  return false;
}

void PictureWindows::Follow() {
  const ULONGLONG now = GetTickCount64();
  if (form_.Busy() && now - lastFollow_ < 500) return;
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
    slot.probe = add(L"STATIC", " ", SS_LEFT | SS_NOPREFIX, -1);
  } else {
    label("Distributions in", 8, 10, 100);
    slot.lists[0] = add(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kCdfListId);
    MoveWindow(slot.lists[0], 114, 6, 90, 300, FALSE);
    for (const wchar_t* text : {L"dB", L"Linear"})
      SendMessageW(slot.lists[0], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageW(slot.lists[0], CB_SETCURSEL, 0, 0);
    slot.leaveOut = add(L"BUTTON", "Leave out rows with an impossible power budget",
                        BS_AUTOCHECKBOX | WS_TABSTOP, kLeaveOutId);
    MoveWindow(slot.leaveOut, 220, 8, 330, 20, FALSE);
  }
  slot.save = add(L"BUTTON", "Save...", BS_PUSHBUTTON | WS_TABSTOP, kSaveId);
  LayOut(slot);
}

void PictureWindows::LayOut(Slot& slot) {
  RECT client;
  GetClientRect(slot.hwnd, &client);
  if (slot.save) MoveWindow(slot.save, client.right - 88, 5, 80, 25, TRUE);
  if (slot.probe) MoveWindow(slot.probe, 8, client.bottom - kProbeLine + 3, client.right - 16, 18, TRUE);
}

RECT PictureWindows::ViewRect(const Slot& slot) const {
  RECT view;
  GetClientRect(slot.hwnd, &view);
  view.top = std::min<LONG>(slot.probe ? kMapBar : kBar, view.bottom);
  if (slot.probe) view.bottom = std::max<LONG>(view.top, view.bottom - kProbeLine);
  return view;
}

void PictureWindows::FillLists(Slot& slot) {
  const FieldMapLists lists = FieldMapListsOf(slot.map, slot.choice.view);
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
  const PictureKind kind = &slot == &slots_[0] ? PictureKind::FieldMap : PictureKind::Table;
  if (id == kSaveId && code == BN_CLICKED) return Save(kind);
  if (id == kSetLimitsId && code == BN_CLICKED) return SetLimits(slot);
  if (id == kLeaveOutId && code == BN_CLICKED) {
    slot.tableChoice.leaveOutImpossibleBudgets =
        SendMessageW(slot.leaveOut, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return Rebuild(kind);
  }
  if (id == kCdfListId && code == CBN_SELCHANGE) {
    const LRESULT index = SendMessageW(slot.lists[0], CB_GETCURSEL, 0, 0);
    slot.tableChoice.cdfAxis = index == 1 ? CdfAxis::Linear : CdfAxis::Decibel;
    return Rebuild(kind);
  }
  if (kind != PictureKind::FieldMap || id < kFirstList || id >= kFirstList + 4 || code != CBN_SELCHANGE)
    return;
  const int index = static_cast<int>(
      SendMessageW(slot.lists[static_cast<std::size_t>(id - kFirstList)], CB_GETCURSEL, 0, 0));
  slot.choice = PickFromList(slot.map, slot.choice, static_cast<FieldMapList>(id - kFirstList), index);
  Rebuild(kind);
}

void PictureWindows::SetLimits(Slot& slot) {
  std::string refusal;
  const std::optional<FieldMapChoice> chosen =
      WithColourLimits(slot.choice, ControlText(slot.limits[0]), ControlText(slot.limits[1]), refusal);
  if (chosen) {
    slot.choice = *chosen;
    return Rebuild(PictureKind::FieldMap);
  }
  FillLists(slot);
  form_.platform.ui.ShowMessage(MessageKind::Warning, form_.title, refusal);
}

// The cell under the cursor, from the point in scene coordinates.
void PictureWindows::Probe(Slot& slot, POINT at) {
  const RECT view = ViewRect(slot);
  const Scene& scene = slot.scene;
  std::optional<MapProbe> probe;
  if (scene.width > 0 && scene.height > 0 && slot.choice.view == MapView::Map) {
    const double width = view.right - view.left, height = view.bottom - view.top;
    const double scale = std::min(width / scene.width, height / scene.height);
    if (scale > 0)
      probe = ProbeFieldMap(slot.map, (at.x - view.left - (width - scene.width * scale) / 2) / scale,
                            (at.y - view.top - (height - scene.height * scale) / 2) / scale);
  }
  SetWindowTextW(slot.probe, probe ? UiText(ProbeText(slot.map, *probe)).c_str() : L" ");
}

void PictureWindows::Save(PictureKind kind) {
  AskAndSavePicture(form_.platform, form_.title, slots_[static_cast<int>(kind)].scene, kind);
}

// The picture drawn off screen first, then the whole client area at once.
void PictureWindows::Paint(Slot& slot) {
  PAINTSTRUCT paint;
  HDC window = BeginPaint(slot.hwnd, &paint);
  RECT client;
  GetClientRect(slot.hwnd, &client);
  HDC dc = CreateCompatibleDC(window);
  HBITMAP bitmap =
      CreateCompatibleBitmap(window, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  PaintScene(dc, slot.scene, ViewRect(slot));
  BitBlt(window, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EndPaint(slot.hwnd, &paint);
}

LRESULT CALLBACK PictureWindows::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  auto* self = reinterpret_cast<PictureWindows*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self) {
    for (Slot& slot : self->slots_) {
      if (slot.hwnd != hwnd) continue;
      if (message == WM_PAINT) return self->Paint(slot), 0;
      if (message == WM_ERASEBKGND) return 1;
      if (message == WM_SIZE) self->LayOut(slot);
      if (message == WM_COMMAND) return self->Command(slot, LOWORD(wParam), HIWORD(wParam)), 0;
      if (message == WM_MOUSEMOVE && slot.probe) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
        self->Probe(slot, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
      }
      if (message == WM_MOUSELEAVE && slot.probe) return SetWindowTextW(slot.probe, L" "), 0;
      if (message == WM_NCDESTROY) slot.hwnd = nullptr;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace varnel
