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
#include "platform/win32ui/png_file.hpp"
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
  WindowView(Win32Window& window, Win32Ui& native, AnsweredUi& ui, std::ostream& out)
      : window_(window), native_(native), ui_(ui), out_(out), startFolder_(CurrentFolder()) {}

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
  void Screenshot(const std::string& path, std::size_t file) override {
    AtScriptFile(ui_, window_.Form(), file, [this, path] { Save(path); });
  }
  void Wait(int milliseconds) override { ui_.Pause(milliseconds); }
  void PressStop() override { window_.PressStop(); }

 private:
  static std::wstring CurrentFolder() {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
  }
  // The window as shown, redrawn from the model first. A relative path is taken from the
  // folder the script started in (commands change the current folder); paths are in the ANSI
  // code page.
  void Save(const std::string& path) {
    window_.SyncFromModel();
    PumpMessages(&window_);
    UpdateWindow(window_.Handle());
    std::wstring file(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, file.data(), static_cast<int>(file.size()));
    file.resize(file.size() ? file.size() - 1 : 0);
    const bool absolute = file.size() >= 2 && (file[1] == L':' || (file[0] == L'\\' && file[1] == L'\\'));
    if (!absolute) file = startFolder_ + L"\\" + file;
    const std::string png = WindowPng(window_.Handle());
    HANDLE handle = png.empty() ? INVALID_HANDLE_VALUE
                                : CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = handle != INVALID_HANDLE_VALUE &&
                    WriteFile(handle, png.data(), static_cast<DWORD>(png.size()), &written, nullptr) &&
                    written == png.size();
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    if (!ok) out_ << "varnel: could not write " << path << '\n';
  }
  Win32Window& window_;
  Win32Ui& native_;
  AnsweredUi& ui_;
  std::ostream& out_;
  std::wstring startFolder_;
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
  if (engineJobs > 0) form.params.EngineJobs = engineJobs;
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
                    int engineJobs, bool printInfo) {
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
  WindowView view(window, native, ui, out);
  return RunScriptOn(script, out, answers, *form, view, {}, printInfo);
}

}  // namespace varnel
