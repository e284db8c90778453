#pragma once
// PNG pictures of the native window: a bitmap encoded with the system's imaging component
// (Windows Imaging Component), and a window as it is shown on the screen.
#include <windows.h>

#include <cstdint>
#include <string>

namespace varnel {

// PNG bytes of a top-down 32-bit bitmap (blue, green, red, unused per pixel) of that size, stored
// as 24-bit colour; empty when it could not be encoded.
std::string EncodePng(const std::uint32_t* pixels, int width, int height);
// The window as it is shown on the screen: its client area with the menu bar above it (no frame,
// no caption); empty when it could not be taken.
std::string WindowPng(HWND window);

}  // namespace varnel
