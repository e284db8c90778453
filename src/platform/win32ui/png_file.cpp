#include "platform/win32ui/png_file.hpp"

#include <initguid.h>  // the imaging component's class and format ids, defined here
#include <objidl.h>
#include <wincodec.h>

#include <algorithm>
#include <vector>

namespace varnel {

namespace {

// Releases a COM interface at the end of its scope.
template <typename T>
struct Held {
  T* p = nullptr;
  ~Held() {
    if (p) p->Release();
  }
  T* operator->() const { return p; }
};

// The apartment for the imaging component on this thread, left again only when entered here.
struct Apartment {
  bool entered = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  ~Apartment() {
    if (entered) CoUninitialize();
  }
};

}  // namespace

std::string EncodePng(const std::uint32_t* pixels, int width, int height) {
  if (width <= 0 || height <= 0) return "";
  Apartment apartment;
  Held<IWICImagingFactory> factory;
  Held<IStream> stream;
  Held<IWICBitmapEncoder> encoder;
  Held<IWICBitmapFrameEncode> frame;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory.p))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream.p)) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p)) ||
      FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame.p, nullptr)) || FAILED(frame->Initialize(nullptr)) ||
      FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))))
    return "";
  // 24-bit rows, each padded to four bytes.
  const UINT stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
  std::vector<BYTE> rows(static_cast<std::size_t>(stride) * static_cast<UINT>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel =
          pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
      BYTE* at = &rows[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3];
      at[0] = static_cast<BYTE>(pixel);
      at[1] = static_cast<BYTE>(pixel >> 8);
      at[2] = static_cast<BYTE>(pixel >> 16);
    }
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR ||
      FAILED(frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(rows.size()),
                                rows.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit()))
    return "";
  HGLOBAL memory = nullptr;
  STATSTG stat{};
  if (FAILED(GetHGlobalFromStream(stream.p, &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
    return "";
  const void* bytes = GlobalLock(memory);
  if (!bytes) return "";
  std::string png(static_cast<const char*>(bytes), static_cast<std::size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return png;
}

BitmapCanvas::BitmapCanvas(int width, int height) : width_(std::max(width, 1)), height_(std::max(height, 1)) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
  dc_ = CreateCompatibleDC(nullptr);
  if (bitmap_) old_ = SelectObject(dc_, bitmap_);
}

BitmapCanvas::~BitmapCanvas() {
  if (old_) SelectObject(dc_, old_);
  DeleteDC(dc_);
  if (bitmap_) DeleteObject(bitmap_);
}

std::string BitmapCanvas::Png() const {
  if (!bitmap_) return "";
  GdiFlush();
  return EncodePng(static_cast<const std::uint32_t*>(bits_), width_, height_);
}

std::string WindowPng(HWND window) {
  RECT outer{}, shown{};
  if (!window || !GetWindowRect(window, &outer) || !GetClientRect(window, &shown)) return "";
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&shown), 2);
  MENUBARINFO bar{};
  bar.cbSize = sizeof bar;
  if (GetMenu(window) && GetMenuBarInfo(window, OBJID_MENU, 0, &bar))
    shown.top = std::min(shown.top, bar.rcBar.top);
  const int width = shown.right - shown.left, height = shown.bottom - shown.top;
  if (width <= 0 || height <= 0) return "";
  BitmapCanvas canvas(width, height);
  HDC screen = GetWindowDC(window);
  if (canvas.Dc())
    BitBlt(canvas.Dc(), 0, 0, width, height, screen, shown.left - outer.left, shown.top - outer.top, SRCCOPY);
  ReleaseDC(window, screen);
  return canvas.Png();
}

}  // namespace varnel
