#include "platform/win32ui/picture_window.hpp"

#include <algorithm>
#include <cmath>
#include <variant>
#include <vector>

#include "mainwindow/VarnelU.hpp"
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

}  // namespace

PictureWindows::PictureWindows(TForm1& form, HWND mainWindow) : form_(form), main_(mainWindow) {
  RegisterWindowClass(kPictureClass, WindowProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, nullptr);
  form_.showPicture = [this](PictureKind kind) { Show(kind); };
}

PictureWindows::~PictureWindows() {
  form_.showPicture = nullptr;
  for (Slot& slot : slots_)
    if (slot.hwnd) DestroyWindow(slot.hwnd);
}

void PictureWindows::Show(PictureKind kind) {
  Slot& slot = slots_[static_cast<int>(kind)];
  if (!slot.hwnd) {
    const bool map = kind == PictureKind::FieldMap;
    const int width = map ? 800 : 920, height = map ? 660 : 700;
    RECT outer{}, work{};
    GetWindowRect(main_, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const Rect at =
        PictureBeside(Rect{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top}, width,
                      height, Rect{work.left, work.top, work.right - work.left, work.bottom - work.top});
    slot.hwnd = CreateWindowExW(0, kPictureClass, map ? L"Varnel - Field Map" : L"Varnel - Plot Table",
                                WS_OVERLAPPEDWINDOW, at.left, at.top, width, height, nullptr, nullptr,
                                GetModuleHandleW(nullptr), this);
  }
  Rebuild(kind);
  ShowWindow(slot.hwnd, SW_SHOWNORMAL);
}

void PictureWindows::Rebuild(PictureKind kind) {
  Slot& slot = slots_[static_cast<int>(kind)];
  slot.key = PictureStateKey(form_, kind);
  slot.scene = kind == PictureKind::Table ? TablePicture(form_)
                                          : FieldMapPicture(form_, FieldMapOf(form_, FieldMapChoice{}));
  InvalidateRect(slot.hwnd, nullptr, FALSE);
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

// The scene fitted into the window, kept in proportion and centred, drawn off screen first.
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
  const Scene& scene = slot.scene;
  if (scene.width > 0 && scene.height > 0) {
    const double scale = std::min(client.right / scene.width, client.bottom / scene.height);
    SetGraphicsMode(dc, GM_ADVANCED);
    const XFORM fit{static_cast<FLOAT>(scale),
                    0,
                    0,
                    static_cast<FLOAT>(scale),
                    static_cast<FLOAT>((client.right - scene.width * scale) / 2),
                    static_cast<FLOAT>((client.bottom - scene.height * scale) / 2)};
    SetWorldTransform(dc, &fit);
    HBRUSH background = CreateSolidBrush(ToColor(scene.background));
    const RECT all{0, 0, I(scene.width), I(scene.height)};
    FillRect(dc, &all, background);
    DeleteObject(background);
    const ItemPainter painter{dc};
    for (const SceneItem& item : scene.items) std::visit(painter, item);
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
  }
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
      if (message == WM_NCDESTROY) slot.hwnd = nullptr;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace varnel
