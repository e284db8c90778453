#pragma once
// The native main window: a view of TForm1's model. It builds the regions, fields, panes, radio
// groups, the menu bar with its accelerators and the two context menus from the model's tables,
// forwards every click to TForm1::Run, hands the user's pane edits back to the model before a
// command runs, and redraws from the model after a command and at event processing inside one,
// at most about 30 times a second (never per line or per file). The panes are PaneViews. The
// status bar holds the progress and a Stop button; Esc stops too.
#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/VarnelU.hpp"

namespace varnel {

class PaneView;
class PictureWindows;
class Win32Ui;

class Win32Window {
 public:
  Win32Window(TForm1& form, Win32Ui& ui);
  ~Win32Window();
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  HWND Handle() const { return hwnd_; }
  TForm1& Form() { return form_; }
  // False once the window has been closed.
  bool Open() const { return hwnd_ != nullptr; }

  // Model -> controls: fields, panes whose revision changed, radio groups, colours, check
  // marks, the caption, the window's rectangle, the status bar.
  void SyncFromModel();
  // SyncFromModel when the last redraw is more than a frame (about 1/30 s) ago.
  void SyncIfDue();
  // A notice in the status bar for a few seconds.
  void ShowNotice(const std::string& text);
  // What the status bar shows: the notice while it stands, else the progress line.
  std::string StatusText() const;
  // Runs a command by handler or control name the way a click does.
  void RunCommand(const std::string& name);
  // Esc (the model's stop), accelerators and keyboard navigation for a message of the thread's
  // queue; true when done.
  bool PreTranslate(MSG& message);
  // A click on the status bar's Stop button, when it is enabled (it is while a command runs).
  void PressStop();
  HWND StopButton() const { return stop_; }

  // What a script's clicks and prints reach: a menu entry, context-menu entry or button by its
  // control name, sent as its click (false when the window has no such control); a radio item;
  // what a pane or a field shows.
  bool Click(const std::string& name);
  void SelectRadio(const std::string& group, int index);
  std::vector<std::string> PaneLines(const std::string& pane) const;
  std::string FieldText(const std::string& field) const;
  // The field map and table plot windows beside this one.
  PictureWindows* Pictures() const { return pictures_.get(); }
  // The window of a pane's view (the one clicks and keys go to).
  HWND PaneHandle(const std::string& pane) const;

 private:
  struct PaneSlot {
    Pane* pane = nullptr;
    std::unique_ptr<PaneView> view;
  };
  struct RadioSlot {
    RadioGroup* model = nullptr;
    HWND box = nullptr;
    std::vector<HWND> items;
    std::string color;
  };
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);

  HWND Child(const wchar_t* kind, const std::string& text, DWORD style, DWORD exStyle = 0, int id = 0);
  void BuildControls();
  void BuildMenus();
  HMENU BuildPopup(const std::vector<MenuItem>& items);
  void AppendItem(HMENU menu, const MenuItem& item, const std::string& shown);
  TForm1::LayoutNeeds MeasureNeeds();
  int TextWidth(const std::string& text, HFONT font = nullptr) const;
  Rect WorkArea() const;
  void FitIntoWorkArea();
  void ApplyWindowRect();
  void ApplyGeometry();
  void LayOutStatusBar();
  bool ContextMenu(HWND control, LPARAM at);
  void SyncStatus();
  const RadioSlot* RadioOf(HWND control) const;

  TForm1& form_;
  Win32Ui& ui_;
  HWND hwnd_ = nullptr;
  HFONT guiFont_ = nullptr, terminalFont_ = nullptr, courierFont_ = nullptr;
  HBRUSH white_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HMENU popup1_ = nullptr, popup2_ = nullptr;
  HWND status_ = nullptr, progressBar_ = nullptr, tooltip_ = nullptr, stop_ = nullptr;
  std::map<std::string, PaneSlot> panes_;
  std::unique_ptr<PictureWindows> pictures_;
  std::map<std::string, HWND> regions_;
  std::map<std::string, HWND> fields_;
  std::map<std::string, std::string> fieldTexts_;  // what each field shows
  std::map<HWND, std::string> fieldNames_;
  std::map<std::string, HWND> labels_;  // by the name of the control they label
  std::vector<HWND> gridHeadings_;
  std::vector<std::string> commands_;  // the control name of command id kFirstCommand + i
  std::map<std::string, int> commandIds_;
  std::vector<std::string> popup2Captions_;  // the column entries' captions popup2_ was built with
  std::map<std::string, HWND> buttons_;
  std::map<std::string, RadioSlot> radios_;
  std::string hint_;                  // the hover hint of pane M
  std::string notice_, statusShown_;  // the standing notice, the progress line shown
  std::uint64_t lastSync_ = 0;
  struct {
    int basic = 0, type = 0, normalize = 0;  // the label columns, measured once
  } labelWidths_;
  std::array<Rect, 7> laidOut_{};  // the window and the regions the controls were placed for
  bool applyingGeometry_ = false;
  bool marquee_ = false;  // the progress bar runs as a busy bar
  // The splitter between the panes being dragged, if any; the one under a client point.
  std::optional<TForm1::Splitter> dragging_;
  std::optional<TForm1::Splitter> SplitterAt(POINT client) const;
};

}  // namespace varnel
