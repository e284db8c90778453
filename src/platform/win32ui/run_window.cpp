#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <exception>
#include <iostream>
#include <optional>

#include "mainwindow/VarnelU.hpp"
#include "platform/scripted/answered_ui.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "platform/win32ui/main_window.hpp"
#include "platform/win32ui/win32_ui.hpp"
#include "platform/win32ui/win32_window.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

// The common controls (status bar, progress bar, hints) and the shell's folder chooser.
void InitialiseControls() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);
}

// The script's run, select and print directives on the window's controls.
class WindowView : public ScriptView {
 public:
  WindowView(Win32Window& window, Win32Ui& native, AnsweredUi& ui)
      : window_(window), native_(native), ui_(ui) {}

  void Run(const std::string& name) override {
    if (!window_.Click(name)) window_.RunCommand(name);
    // The paint that follows belongs to the command's time in the window.
    PumpMessages(&window_);
  }
  void Select(const std::string& group, int index) override { window_.SelectRadio(group, index); }
  std::vector<std::string> PaneLines(const std::string& pane) override { return window_.PaneLines(pane); }
  std::string FieldText(const std::string& field) override { return window_.FieldText(field); }
  std::string Clipboard() override { return native_.ClipboardText(); }
  std::string Status() override { return window_.StatusText(); }
  // The native window takes no pictures of itself; `wait` keeps it on screen for an outside one.
  void Screenshot(const std::string& path, std::size_t) override {
    std::cerr << "varnel: this window writes no pictures (" << path << "); take one during a wait\n";
  }
  void Wait(int milliseconds) override { ui_.Pause(milliseconds); }

 private:
  Win32Window& window_;
  Win32Ui& native_;
  AnsweredUi& ui_;
};

}  // namespace

int RunWindow(System& system, const StartUp& startUp, int engineJobs) {
  InitialiseControls();
  DecimalSeparator = system.LocaleDecimalSeparator();
  Win32Ui ui(system);
  try {
    if (startUp) startUp();
  } catch (const std::exception& failure) {
    ui.ShowMessage(MessageKind::Error, "Varnel", std::string("The start failed: ") + failure.what());
    return 1;
  }
  TForm1 form({system, ui});
  form.params.EngineJobs = engineJobs;
  Win32Window window(form, ui);
  ShowWindow(window.Handle(), SW_SHOWNORMAL);
  UpdateWindow(window.Handle());
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

int RunWindowScript(std::istream& script, std::ostream& out, System& system, const StartUp& startUp,
                    int engineJobs) {
  InitialiseControls();
  ScriptedUi answers(out, system);
  answers.realPause = true;
  Win32Ui native(system);
  AnsweredUi ui(native, answers, [&native] { return native.Window() != nullptr; });
  std::optional<TForm1> form;
  if (!StartMainWindow({system, ui}, startUp, form, out, engineJobs)) return 1;
  Win32Window window(*form, native);
  ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
  PumpMessages(&window);
  WindowView view(window, native, ui);
  return RunScriptOn(script, out, answers, *form, view);
}

}  // namespace varnel
