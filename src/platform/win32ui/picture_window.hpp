#pragma once
// The picture windows beside the native main window: "Show Field Map" and "Plot Table" open a
// window that paints the core's Scene with GDI in a view of its own, follows the model while it
// is open and saves the picture as PNG or SVG. The field map window has the view, plane, level
// and scale lists and the colour limits and shows the value under the cursor; the plot window
// the scale of the distributions; as the Qt window does. Where a window opens, how its view is
// scaled and scrolled and what its keys, wheel and mouse do is the core's
// (mainwindow/pictures.hpp, picture/viewport.hpp); the window measures itself and forwards.
#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "mainwindow/pictures.hpp"
#include "picture/scene.hpp"

namespace varnel {

class TForm1;

// PNG bytes of the scene at its own size, painted as the windows paint it (no window needed);
// registered with the core as its rasterizer by the program at its start and by the picture
// windows.
std::string RasterPng(const Scene& scene);

class PictureWindows {
 public:
  // Takes over the form's showPicture for as long as it lives.
  PictureWindows(TForm1& form, HWND mainWindow);
  ~PictureWindows();
  PictureWindows(const PictureWindows&) = delete;
  PictureWindows& operator=(const PictureWindows&) = delete;

  // Closes the open windows (the main window is closing).
  void CloseAll();
  // Redraws the open windows whose picture has changed (while a command runs, at most twice a
  // second).
  void Follow();
  // Keyboard navigation (Tab, arrows, Space on the Save button; Esc closes) for a message of a
  // picture window or its controls; true when done.
  bool PreTranslate(MSG& message);
  // The window of that kind, or nothing when it is not open.
  HWND Window(PictureKind kind) const { return slots_[static_cast<int>(kind)].hwnd; }
  // What the window of that kind shows, its view (which takes the keys, the wheel and the
  // mouse) and what the window keeps (its choices and zoom).
  const Scene& Shown(PictureKind kind) const { return slots_[static_cast<int>(kind)].scene; }
  HWND View(PictureKind kind) const { return slots_[static_cast<int>(kind)].view; }
  const PictureState& State(PictureKind kind) const { return slots_[static_cast<int>(kind)].state; }
  const ViewLayout& Layout(PictureKind kind) const { return slots_[static_cast<int>(kind)].layout; }
  // The field map window's list (a combo box), the line under each picture (the value under the
  // cursor on the field map, else the hint: a label) and the Save button of the window of that
  // kind.
  HWND List(FieldMapList list) const { return slots_[0].lists[static_cast<int>(list)]; }
  // The field map window's colour limit fields (low, high) and their Set button; the plot
  // window's list of the distributions' scale.
  HWND LimitEdit(int which) const { return slots_[0].limits[static_cast<std::size_t>(which)]; }
  HWND SetLimitsButton() const { return slots_[0].setLimits; }
  HWND CdfList() const { return slots_[1].lists[0]; }
  HWND LeaveOutBox() const { return slots_[1].leaveOut; }
  HWND ProbeLabel(PictureKind kind = PictureKind::FieldMap) const {
    return slots_[static_cast<int>(kind)].probe;
  }
  HWND SaveButton(PictureKind kind) const { return slots_[static_cast<int>(kind)].save; }
  // Asks for a file (PNG or SVG) and writes the picture of that kind; a failure is shown in a
  // warning box.
  void Save(PictureKind kind);

 private:
  struct Slot {
    PictureKind kind = PictureKind::FieldMap;
    HWND hwnd = nullptr, view = nullptr;
    Scene scene;
    std::size_t key = 0;
    PictureState state;
    FieldMap map;
    ViewLayout layout;
    std::array<HWND, 4> lists{};   // plane, level, scale, view (field map); the CDF scale (plots)
    std::array<HWND, 2> limits{};  // low, high (field map only)
    HWND save = nullptr, probe = nullptr, setLimits = nullptr, leaveOut = nullptr;
    std::optional<POINT> dragFrom;
    bool dragOnMap = false, laying = false;
    ShownPicture Shown() const { return {kind, scene, map, layout}; }
  };
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ViewMessage(Slot& slot, UINT message, WPARAM wParam, LPARAM lParam);
  void Show(PictureKind kind);
  void Rebuild(PictureKind kind);
  // The field map drawn again at the state's zoom, from the map as it is.
  void Redraw(Slot& slot);
  // The view laid out again at the state's zoom (scroll bars included) and painted.
  void Refresh(Slot& slot);
  void Apply(Slot& slot, PictureEffect effect);
  void PaintView(Slot& slot);
  void AddControls(Slot& slot, bool map);
  void LayOut(Slot& slot);
  void FillLists(Slot& slot);
  void Command(Slot& slot, int id, int code);
  void Probe(Slot& slot, POINT at);
  void SetLimits(Slot& slot);

  TForm1& form_;
  HWND main_;
  std::array<Slot, 2> slots_;
  ULONGLONG lastFollow_ = 0;
  HFONT font_ = nullptr;
};

}  // namespace varnel
