#include "platform/win32ui/win32_ui.hpp"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/platform.hpp"
#include "platform/win32/win32_internal.hpp"
#include "platform/win32ui/main_window.hpp"
#include "util/errors.hpp"
#include "util/text.hpp"

namespace varnel {

using win32_detail::Narrow;
using win32_detail::Wide;

namespace {

// A box stands over the window the person works in (a picture window's message over that
// picture, not raising the main window over it), else over the main window.
HWND Owner(Win32Window* window) {
  HWND active = GetActiveWindow();
  if (active && IsWindowVisible(active)) return active;
  return window ? window->Handle() : nullptr;
}

// ---- Dialogs from in-memory templates ------------------------------------------------------

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;
constexpr int kFirstEdit = 100, kHeading = 99;

// A dialog template built in memory: the dialog, then its items, each aligned as the system
// wants it. Sizes are in dialog units.
class DialogTemplate {
 public:
  DialogTemplate(const std::wstring& caption, short width, short height) {
    Long(DS_SETFONT | DS_MODALFRAME | DS_3DLOOK | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    Long(0);
    count_ = words_.size();
    words_.push_back(0);
    for (short v : {short(0), short(0), width, height}) words_.push_back(static_cast<WORD>(v));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    Text(caption);
    words_.push_back(8);
    Text(L"MS Shell Dlg");
  }
  void Add(DWORD style, short x, short y, short width, short height, WORD id, WORD kind,
           const std::wstring& text) {
    if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD
    Long(style | WS_CHILD | WS_VISIBLE);
    Long(0);
    for (short v : {x, y, width, height}) words_.push_back(static_cast<WORD>(v));
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(kind);
    Text(text);
    words_.push_back(0);  // no creation data
    ++words_[count_];
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Long(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void Text(const std::wstring& text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }
  std::vector<WORD> words_;
  std::size_t count_ = 0;
};

// What a running dialog starts with and hands back: the texts of its edit fields, and what its
// default button does (true closes the dialog).
struct DialogState {
  std::vector<std::wstring> texts;
  std::function<bool(const std::vector<std::wstring>&)> done;
  bool boldHeading = false;
  HFONT bold = nullptr;
};

std::vector<std::wstring> EditTexts(HWND dialog, std::size_t count) {
  std::vector<std::wstring> texts;
  for (std::size_t i = 0; i < count; ++i) {
    HWND edit = GetDlgItem(dialog, kFirstEdit + static_cast<int>(i));
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    texts.push_back(std::move(text));
  }
  return texts;
}

void CentreOver(HWND dialog, HWND owner) {
  RECT outer, own;
  GetWindowRect(dialog, &own);
  if (owner && IsWindowVisible(owner))
    GetWindowRect(owner, &outer);
  else
    SetRect(&outer, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  const int width = own.right - own.left, height = own.bottom - own.top;
  SetWindowPos(dialog, nullptr, (outer.left + outer.right - width) / 2,
               (outer.top + outer.bottom - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<DialogState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      for (std::size_t i = 0; i < state->texts.size(); ++i)
        SetDlgItemTextW(dialog, kFirstEdit + static_cast<int>(i), state->texts[i].c_str());
      if (state->boldHeading) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
        font.lfWeight = FW_BOLD;
        state->bold = CreateFontIndirectW(&font);
        SendDlgItemMessageW(dialog, kHeading, WM_SETFONT, reinterpret_cast<WPARAM>(state->bold), TRUE);
      }
      CentreOver(dialog, GetWindow(dialog, GW_OWNER));
      if (!state->texts.empty()) SendDlgItemMessageW(dialog, kFirstEdit, EM_SETSEL, 0, -1);
      return TRUE;
    }
    case WM_COMMAND:
      if (!state) break;
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        state->texts = EditTexts(dialog, state->texts.size());
        if (LOWORD(wParam) == IDOK && !state->done(state->texts)) return TRUE;
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
    case WM_DESTROY:
      if (state && state->bold) DeleteObject(state->bold);
      break;
    default:
      break;
  }
  return FALSE;
}

// Runs the dialog modally over the owner; IDOK or IDCANCEL.
INT_PTR RunDialog(const DialogTemplate& dialog, HWND owner, DialogState& state) {
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, DialogProc,
                                 reinterpret_cast<LPARAM>(&state));
}

// Caption, prompt, one edit field, "&OK" (default) and "&Cancel"; the edited text in every case.
bool AskTextDialog(HWND owner, const std::string& caption, const std::string& prompt, std::string& text) {
  DialogTemplate dialog(UiText(caption), 220, 68);
  dialog.Add(SS_LEFT, 7, 7, 206, 18, 0xFFFF, kStatic, UiText(prompt));
  dialog.Add(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 27, 206, 13, kFirstEdit, kEdit, L"");
  dialog.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 109, 47, 50, 14, IDOK, kButton, L"&OK");
  dialog.Add(BS_PUSHBUTTON | WS_TABSTOP, 163, 47, 50, 14, IDCANCEL, kButton, L"&Cancel");
  DialogState state{{UiText(text)}, [](const std::vector<std::wstring>&) { return true; }};
  const bool ok = RunDialog(dialog, owner, state) == IDOK;
  text = Narrow(state.texts[0]);
  return ok;
}

// The chooser opens at the initial folder; a typed name that is no folder keeps it open.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM initial) {
  if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, initial);
  return message == BFFM_VALIDATEFAILEDW ? 1 : 0;
}

}  // namespace

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, UINT style, const wchar_t* cursor,
                         HBRUSH background) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExW(instance, name, &windowClass)) return;
  windowClass.style = style;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, cursor);
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  RegisterClassExW(&windowClass);
}

std::wstring UiText(const std::string& text) {
  const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
  if (ascii || !IsValidUtf8(text)) return Wide(text);
  const int size = static_cast<int>(text.size());
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)),
                    L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

std::wstring DialogFilter(const std::string& filter) {
  std::wstring result = UiText(filter);
  std::replace(result.begin(), result.end(), L'|', L'\0');
  result.push_back(L'\0');
  result.push_back(L'\0');
  return result;
}

bool PumpMessages(Win32Window* window) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (window && window->PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

Win32Ui::Win32Ui(System& system) : system_(system) {}

void Win32Ui::ShowMessage(MessageKind kind, const std::string& title, const std::string& text) {
  const UINT icon = kind == MessageKind::Info      ? MB_ICONINFORMATION
                    : kind == MessageKind::Warning ? MB_ICONWARNING
                                                   : MB_ICONERROR;
  MessageBoxW(Owner(window_), UiText(text).c_str(), UiText(title).c_str(), MB_OK | icon);
}

bool Win32Ui::Confirm(const std::string& title, const std::string& question, bool) {
  return MessageBoxW(Owner(window_), UiText(question).c_str(), UiText(title).c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

SaveAnswer Win32Ui::AskToSave(const std::string& title, const std::string& question, SaveAnswer) {
  const std::string text = question + "\r\n\r\nYes: save it first. No: discard it.";
  const int answer = MessageBoxW(Owner(window_), UiText(text).c_str(), UiText(title).c_str(),
                                 MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3);
  return answer == IDYES ? SaveAnswer::Save : answer == IDNO ? SaveAnswer::Discard : SaveAnswer::Cancel;
}

bool Win32Ui::AskText(const std::string& caption, const std::string& prompt, std::string& text) {
  return AskTextDialog(Owner(window_), caption, prompt, text);
}

// Caption, the bold heading, one labelled edit field per label, "Done" the default button.
void Win32Ui::ShowModal(ModalDialog& model) {
  const std::vector<std::string> labels = model.Labels();
  model.Shown();
  const short rows = static_cast<short>(labels.size());
  DialogTemplate dialog(UiText(model.Caption()), 180, static_cast<short>(48 + 16 * rows));
  dialog.Add(SS_LEFT, 7, 7, 166, 10, kHeading, kStatic, UiText(model.Heading()));
  DialogState state;
  for (short i = 0; i < rows; ++i) {
    const short y = static_cast<short>(22 + 16 * i);
    dialog.Add(SS_LEFT, 7, static_cast<short>(y + 2), 60, 10, 0xFFFF, kStatic, UiText(labels[i]));
    dialog.Add(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 70, y, 103, 13, static_cast<WORD>(kFirstEdit + i),
               kEdit, L"");
    state.texts.push_back(static_cast<std::size_t>(i) < model.fieldTexts.size() ? Wide(model.fieldTexts[i])
                                                                                : L"---");
  }
  dialog.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 123, static_cast<short>(28 + 16 * rows), 50, 14, IDOK, kButton,
             L"Done");
  state.boldHeading = true;
  state.done = [&model](const std::vector<std::wstring>& texts) {
    model.fieldTexts.clear();
    for (const std::wstring& text : texts) model.fieldTexts.push_back(Narrow(text));
    return model.DonePressed();
  };
  RunDialog(dialog, Owner(window_), state);
}

void Win32Ui::StatusNotice(const std::string& title, const std::string& text) {
  if (!window_) return UserInterface::StatusNotice(title, text);
  window_->ShowNotice(text);
}

std::optional<std::string> Win32Ui::FileDialog(FileDialogKind kind, const FileDialogSpec& spec) {
  const bool save = kind == FileDialogKind::Save;
  const std::wstring filter = DialogFilter(spec.filter), title = UiText(spec.title),
                     folder = Wide(system_.ToNativePath(spec.initialFolder)),
                     extension = Wide(spec.defaultExt);
  // A dialog that proposes no name keeps the name of its last use.
  const std::wstring preset = Wide(spec.fileName.empty() && !save ? lastOpenName_ : spec.fileName);
  std::vector<wchar_t> file(32768, L'\0');
  std::copy_n(preset.begin(), std::min(preset.size(), file.size() - 1), file.begin());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Owner(window_);
  dialog.lpstrFilter = spec.filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(std::max(spec.filterIndex, 1));
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // The commands decide about the current folder; a save replaces a file without a question.
  dialog.Flags =
      OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | (save ? 0 : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  const std::string path = Narrow(file.data());
  if (!save) lastOpenName_ = path.substr(path.find_last_of('\\') + 1);
  return system_.FromNativePath(path);
}

std::optional<std::string> Win32Ui::ChooseFolder(const std::string& initialFolder) {
  RequireFolderToChooseIn(system_, initialFolder);
  const std::wstring initial = Wide(system_.ToNativePath(initialFolder));
  BROWSEINFOW browse{};
  browse.hwndOwner = Owner(window_);
  browse.lpszTitle = L"Select Folder";
  // The edit box takes a typed path (c:\4nec2\b_in\E_) as the tree's choice.
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_VALIDATE;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(initial.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  const BOOL isPath = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  if (!isPath) return std::nullopt;
  return TakeChosenFolder(system_, system_.FromNativePath(Narrow(path)));
}

void Win32Ui::SetClipboardText(const std::string& text) {
  if (!OpenClipboard(Owner(window_))) return;
  EmptyClipboard();
  const std::wstring wide = Wide(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    std::copy_n(wide.c_str(), wide.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

std::string Win32Ui::ClipboardText() {
  if (!OpenClipboard(Owner(window_))) return {};
  std::string text;
  if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(memory))) {
      text = Narrow(wide);
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return text;
}

// ShellExecute gives a value above 32 when it started a program for the document.
bool Win32Ui::OpenDocument(const std::string& path) {
  const HINSTANCE result = ShellExecuteW(Owner(window_), L"open", Wide(system_.ToNativePath(path)).c_str(),
                                         nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

int Win32Ui::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

int Win32Ui::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

ScreenArea Win32Ui::AvailableArea() {
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) || work.right <= work.left ||
      work.bottom <= work.top)
    return UserInterface::AvailableArea();
  return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

void Win32Ui::ProcessEvents() {
  if (window_) window_->SyncIfDue();
  PumpMessages(window_);
}

void Win32Ui::Pause(int milliseconds) {
  // The window keeps repainting during the pause; commands started meanwhile are refused by
  // the dispatcher.
  if (window_) window_->SyncIfDue();
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(milliseconds, 0));
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    if (!PumpMessages(window_)) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10)),
                              QS_ALLINPUT);
  }
  PumpMessages(window_);
}

void Win32Ui::RequestQuit() {
  if (window_)
    PostMessageW(window_->Handle(), WM_CLOSE, 0, 0);
  else
    PostQuitMessage(0);
}

}  // namespace varnel
