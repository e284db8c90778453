#pragma once
// The picture windows beside the native main window: "Show Field Map" (the default plane,
// level and linear scale) and "Plot Table" open a window that paints the core's Scene with GDI,
// fitted into the window, and follows the model while it is open.
#include <windows.h>

#include <array>
#include <cstddef>

#include "mainwindow/pictures.hpp"
#include "picture/scene.hpp"

namespace varnel {

class TForm1;

class PictureWindows {
 public:
  // Takes over the form's showPicture for as long as it lives.
  PictureWindows(TForm1& form, HWND mainWindow);
  ~PictureWindows();
  PictureWindows(const PictureWindows&) = delete;
  PictureWindows& operator=(const PictureWindows&) = delete;

  // Redraws the open windows whose picture has changed (while a command runs, at most twice a
  // second).
  void Follow();
  // The window of that kind, or nothing when it is not open.
  HWND Window(PictureKind kind) const { return slots_[static_cast<int>(kind)].hwnd; }

 private:
  struct Slot {
    HWND hwnd = nullptr;
    Scene scene;
    std::size_t key = 0;
  };
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Show(PictureKind kind);
  void Rebuild(PictureKind kind);
  void Paint(Slot& slot);

  TForm1& form_;
  HWND main_;
  std::array<Slot, 2> slots_;
  ULONGLONG lastFollow_ = 0;
};

}  // namespace varnel
