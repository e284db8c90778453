#include "platform/win32ui/pane_view.hpp"

#include <algorithm>

#include "platform/win32/win32_internal.hpp"
#include "platform/win32ui/win32_ui.hpp"

namespace varnel {

using win32_detail::Narrow;
using win32_detail::Wide;

namespace {

constexpr wchar_t kViewClass[] = L"VarnelPaneView";
constexpr int kMargin = 4;  // pixels left of the first column, as the editor's own margin

// Keys that change the text: they open the editor and are handed on to it.
bool EditsText(WPARAM key) { return key == VK_DELETE || key == VK_BACK || key == VK_RETURN; }

}  // namespace

std::string ControlText(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

PaneView::PaneView(const Pane& pane, HWND parent, HFONT font, int editorId)
    : pane_(pane), font_(font), follower_(pane) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(kViewClass, ViewProc, CS_DBLCLKS, IDC_IBEAM,
                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  view_ = CreateWindowExW(WS_EX_CLIENTEDGE, kViewClass, L"",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, 0, 0, 10, 10, parent,
                          nullptr, instance, this);
  editor_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN |
                                ES_NOHIDESEL | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                            0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(editorId)),
                            instance, nullptr);
  SendMessageW(editor_, EM_SETLIMITTEXT, 0, 0);  // no limit but memory
  SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  HDC dc = GetDC(view_);
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SIZE m{};
  GetTextExtentPoint32W(dc, L"M", 1, &m);
  SelectObject(dc, old);
  ReleaseDC(view_, dc);
  charWidth_ = std::max<int>(1, m.cx);
  lineHeight_ = std::max<int>(1, metrics.tmHeight + metrics.tmExternalLeading);
  UpdateScrollBars();
}

void PaneView::Place(int left, int top, int width, int height) {
  for (HWND control : {view_, editor_})
    SetWindowPos(control, nullptr, left, top, std::max(width, 0), std::max(height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int PaneView::Rows() const {
  RECT client;
  GetClientRect(view_, &client);
  return std::max<int>(1, (client.bottom - client.top) / lineHeight_);
}

void PaneView::Refresh() {
  const PaneSteps steps = follower_.Refresh(editing_, GetWindowTextLengthW(editor_) == 0);
  if (steps.appendFrom != PaneSteps::kNoAppend) {
    updating_ = true;
    const std::string added = JoinPaneLines(pane_.lines, steps.appendFrom, pane_.lines.size(), "\r\n");
    const std::wstring text = Wide(steps.appendOnNewLine ? "\r\n" + added : added);
    const LPARAM end = GetWindowTextLengthW(editor_);
    SendMessageW(editor_, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(editor_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    updating_ = false;
  }
  if (steps.leaveEditor) LeaveEditor();
  if (steps.showLines) ShowLines(pane_.lines.size(), steps.rewritten);
  if (steps.toTop) {
    ScrollTo(0, horizontal_);
    if (editing_) {
      SendMessageW(editor_, EM_SETSEL, 0, 0);
      SendMessageW(editor_, EM_SCROLLCARET, 0, 0);
    }
  }
  if (steps.toEnd) ScrollTo(static_cast<std::int64_t>(count_) - Rows(), horizontal_);
}

void PaneView::ShowLines(std::size_t count, bool rewritten) {
  count = std::min(count, pane_.lines.size());
  const std::size_t from = rewritten || count < count_ ? 0 : count_;
  if (from == 0) widest_ = 0;
  for (std::size_t i = from; i < count; ++i) widest_ = std::max(widest_, pane_.lines[i].size());
  count_ = count;
  UpdateScrollBars();
  InvalidateRect(view_, nullptr, TRUE);
}

void PaneView::UpdateScrollBars() {
  RECT client;
  GetClientRect(view_, &client);
  SCROLLINFO vertical{sizeof vertical, SIF_ALL | SIF_DISABLENOSCROLL};
  vertical.nMax = static_cast<int>(std::min<std::size_t>(count_, 0x7ffffffe));
  vertical.nMax = std::max(vertical.nMax - 1, 0);
  vertical.nPage = static_cast<UINT>(Rows());
  first_ = std::min(first_, count_ > vertical.nPage ? count_ - vertical.nPage : 0);
  vertical.nPos = static_cast<int>(first_);
  SetScrollInfo(view_, SB_VERT, &vertical, TRUE);
  const long long textWidth = static_cast<long long>(widest_) * charWidth_ + 2 * kMargin;
  SCROLLINFO across{sizeof across, SIF_ALL};
  across.nMax = static_cast<int>(std::min<long long>(textWidth, 0x3fffffff));
  across.nPage = static_cast<UINT>(std::max<LONG>(client.right, 1));
  horizontal_ = std::clamp(horizontal_, 0, std::max(0, across.nMax - static_cast<int>(across.nPage)));
  across.nPos = horizontal_;
  SetScrollInfo(view_, SB_HORZ, &across, TRUE);
}

void PaneView::ScrollTo(std::int64_t firstLine, int horizontal) {
  const std::int64_t last = std::max<std::int64_t>(0, static_cast<std::int64_t>(count_) - Rows());
  const auto line = static_cast<std::size_t>(std::clamp<std::int64_t>(firstLine, 0, last));
  if (line == first_ && horizontal == horizontal_) return UpdateScrollBars();
  first_ = line;
  horizontal_ = std::max(horizontal, 0);
  UpdateScrollBars();
  InvalidateRect(view_, nullptr, TRUE);
}

void PaneView::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(view_, &paint);
  HGDIOBJ old = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  // A redraw between a change of the pane and the next Refresh never reads past its end.
  const std::size_t count = std::min(count_, pane_.lines.size());
  const std::size_t firstColumn = static_cast<std::size_t>(std::max(0, horizontal_ - kMargin) / charWidth_);
  RECT client;
  GetClientRect(view_, &client);
  const std::size_t columns = static_cast<std::size_t>(client.right / charWidth_ + 2);
  for (int row = paint.rcPaint.top / lineHeight_; row * lineHeight_ < paint.rcPaint.bottom; ++row) {
    const std::size_t index = first_ + static_cast<std::size_t>(row);
    if (index >= count) break;
    const std::string_view line = pane_.lines[index];
    if (firstColumn >= line.size()) continue;
    const std::wstring text = Wide(std::string(line.substr(firstColumn, columns)));
    TextOutW(dc, kMargin + static_cast<int>(firstColumn) * charWidth_ - horizontal_, row * lineHeight_,
             text.c_str(), static_cast<int>(text.size()));
  }
  SelectObject(dc, old);
  EndPaint(view_, &paint);
}

void PaneView::EnterEditor(std::size_t line, std::size_t column) {
  if (editing_) return;
  updating_ = true;
  SetWindowTextW(editor_, Wide(JoinPaneLines(pane_.lines, 0, count_, "\r\n")).c_str());
  updating_ = false;
  editing_ = true;
  follower_.EditorReset();
  ShowWindow(editor_, SW_SHOW);
  ShowWindow(view_, SW_HIDE);
  SendMessageW(editor_, EM_LINESCROLL, 0, static_cast<LPARAM>(first_));
  line = std::min(line, count_ ? count_ - 1 : 0);
  const LRESULT start = SendMessageW(editor_, EM_LINEINDEX, line, 0);
  const std::size_t length = line < count_ ? pane_.lines[line].size() : 0;
  const LPARAM at =
      static_cast<LPARAM>(std::max<LRESULT>(start, 0) + static_cast<LRESULT>(std::min(column, length)));
  SendMessageW(editor_, EM_SETSEL, static_cast<WPARAM>(at), at);
  SetFocus(editor_);
}

void PaneView::LeaveEditor() {
  editing_ = false;
  ShowWindow(view_, SW_SHOW);
  ShowWindow(editor_, SW_HIDE);
  updating_ = true;
  SetWindowTextW(editor_, L"");
  updating_ = false;
}

HWND PaneView::BeginEdit() {
  EnterEditor(first_, 0);
  return editor_;
}

void PaneView::EditorChanged() {
  if (!updating_) follower_.Edited();
}

bool PaneView::TakeEdits(std::vector<std::string>& lines) {
  if (!follower_.TakeEdited(editing_)) return false;
  lines = SplitPaneText(ControlText(editor_), "\r\n");
  return true;
}

std::vector<std::string> PaneView::ShownLines() const {
  if (editing_) return SplitPaneText(ControlText(editor_), "\r\n");
  const std::size_t count = std::min(count_, pane_.lines.size());
  return std::vector<std::string>(pane_.lines.begin(),
                                  pane_.lines.begin() + static_cast<std::ptrdiff_t>(count));
}

LRESULT CALLBACK PaneView::ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  auto* self = reinterpret_cast<PaneView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || !self->view_) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->ViewMessage(message, wParam, lParam);
}

LRESULT PaneView::ViewMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SIZE:
      UpdateScrollBars();
      return 0;
    case WM_VSCROLL: {
      SCROLLINFO info{sizeof info, SIF_ALL};
      GetScrollInfo(view_, SB_VERT, &info);
      const auto first = static_cast<std::int64_t>(first_);
      const int rows = Rows();
      std::int64_t to = first;
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          to = first - 1;
          break;
        case SB_LINEDOWN:
          to = first + 1;
          break;
        case SB_PAGEUP:
          to = first - rows;
          break;
        case SB_PAGEDOWN:
          to = first + rows;
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          to = info.nTrackPos;
          break;
        case SB_TOP:
          to = 0;
          break;
        case SB_BOTTOM:
          to = static_cast<std::int64_t>(count_);
          break;
        default:
          break;
      }
      ScrollTo(to, horizontal_);
      return 0;
    }
    case WM_HSCROLL: {
      SCROLLINFO info{sizeof info, SIF_ALL};
      GetScrollInfo(view_, SB_HORZ, &info);
      int to = horizontal_;
      switch (LOWORD(wParam)) {
        case SB_LINELEFT:
          to -= charWidth_;
          break;
        case SB_LINERIGHT:
          to += charWidth_;
          break;
        case SB_PAGELEFT:
          to -= static_cast<int>(info.nPage);
          break;
        case SB_PAGERIGHT:
          to += static_cast<int>(info.nPage);
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          to = info.nTrackPos;
          break;
        default:
          break;
      }
      ScrollTo(static_cast<std::int64_t>(first_), to);
      return 0;
    }
    case WM_MOUSEWHEEL:
      ScrollTo(static_cast<std::int64_t>(first_) - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3,
               horizontal_);
      return 0;
    case WM_LBUTTONDOWN: {
      const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
      EnterEditor(first_ + static_cast<std::size_t>(std::max(0, y) / lineHeight_),
                  static_cast<std::size_t>(std::max(0, x - kMargin + horizontal_) / charWidth_));
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
    case WM_KEYDOWN: {
      const bool control = GetKeyState(VK_CONTROL) < 0;
      const auto first = static_cast<std::int64_t>(first_);
      switch (wParam) {
        case VK_UP:
          ScrollTo(first - 1, horizontal_);
          return 0;
        case VK_DOWN:
          ScrollTo(first + 1, horizontal_);
          return 0;
        case VK_PRIOR:
          ScrollTo(first - Rows(), horizontal_);
          return 0;
        case VK_NEXT:
          ScrollTo(first + Rows(), horizontal_);
          return 0;
        case VK_HOME:
          if (control) ScrollTo(0, 0);
          return 0;
        case VK_END:
          if (control) ScrollTo(static_cast<std::int64_t>(count_), horizontal_);
          return 0;
        default:
          break;
      }
      if (EditsText(wParam)) {
        EnterEditor(first_, 0);
        PostMessageW(editor_, message, wParam, lParam);
        return 0;
      }
      break;
    }
    case WM_CHAR:
      if (wParam >= 0x20 && wParam != 0x7f) {
        EnterEditor(first_, 0);
        PostMessageW(editor_, message, wParam, lParam);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(view_, message, wParam, lParam);
}

}  // namespace varnel
