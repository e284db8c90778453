#pragma once
// PNG pictures of the native window: a bitmap encoded with the system's imaging component
// (Windows Imaging Component), and a window as it is shown on the screen.
#include <windows.h>

#include <cstdint>
#include <string>

namespace varnel {

// A top-down 32-bit bitmap of that size (at least 1 x 1) selected into a memory device context:
// painted into, then encoded.
class BitmapCanvas {
 public:
  BitmapCanvas(int width, int height);
  ~BitmapCanvas();
  BitmapCanvas(const BitmapCanvas&) = delete;
  BitmapCanvas& operator=(const BitmapCanvas&) = delete;
  // Null when the bitmap could not be made.
  HDC Dc() const { return bitmap_ ? dc_ : nullptr; }
  // PNG bytes of what is painted; empty when nothing could be.
  std::string Png() const;

 private:
  int width_, height_;
  void* bits_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// PNG bytes of a top-down 32-bit bitmap (blue, green, red, unused per pixel) of that size, stored
// as 24-bit colour; empty when it could not be encoded.
std::string EncodePng(const std::uint32_t* pixels, int width, int height);
// The window as it is shown on the screen: its client area with the menu bar above it (no frame,
// no caption); empty when it could not be taken.
std::string WindowPng(HWND window);

}  // namespace varnel
