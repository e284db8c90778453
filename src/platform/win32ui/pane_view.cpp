#include "platform/win32ui/pane_view.hpp"

#include <algorithm>
#include <optional>

#include "platform/win32/win32_internal.hpp"
#include "platform/win32ui/win32_ui.hpp"

namespace varnel {

using win32_detail::Narrow;
using win32_detail::Wide;

namespace {

constexpr wchar_t kViewClass[] = L"VarnelPaneView";
constexpr int kMargin = 4;  // pixels left of the first column

std::optional<PaneKey> PaneKeyOf(WPARAM key) {
  switch (key) {
    case VK_BACK:
      return PaneKey::Backspace;
    case VK_DELETE:
      return PaneKey::Delete;
    case VK_RETURN:
      return PaneKey::Enter;
    case VK_TAB:
      return PaneKey::Tab;
    case VK_LEFT:
      return PaneKey::Left;
    case VK_RIGHT:
      return PaneKey::Right;
    case VK_UP:
      return PaneKey::Up;
    case VK_DOWN:
      return PaneKey::Down;
    case VK_HOME:
      return PaneKey::Home;
    case VK_END:
      return PaneKey::End;
    case VK_PRIOR:
      return PaneKey::PageUp;
    case VK_NEXT:
      return PaneKey::PageDown;
    case VK_INSERT:
      return PaneKey::Insert;
    case 'A':
      return PaneKey::A;
    case 'C':
      return PaneKey::C;
    case 'V':
      return PaneKey::V;
    case 'X':
      return PaneKey::X;
    default:
      return std::nullopt;
  }
}

unsigned HeldModifiers() {
  return (GetKeyState(VK_SHIFT) < 0 ? kShift : kNoModifier) |
         (GetKeyState(VK_CONTROL) < 0 ? kControl : kNoModifier);
}

}  // namespace

std::string ControlText(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

PaneView::PaneView(Pane& pane, HWND parent, HFONT font, UserInterface& ui, std::function<bool()> editable)
    : pane_(pane), ui_(ui), editable_(std::move(editable)), editor_(pane), font_(font), follower_(pane) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(kViewClass, ViewProc, CS_DBLCLKS, IDC_IBEAM,
                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  view_ = CreateWindowExW(WS_EX_CLIENTEDGE, kViewClass, L"",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, 0, 0, 10, 10, parent,
                          nullptr, instance, this);
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
  SetWindowPos(view_, nullptr, left, top, std::max(width, 0), std::max(height, 0),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

int PaneView::Rows() const {
  RECT client;
  GetClientRect(view_, &client);
  return std::max<int>(1, (client.bottom - client.top) / lineHeight_);
}

TextPos PaneView::PlaceAt(LPARAM at) const {
  const int x = static_cast<short>(LOWORD(at)), y = static_cast<short>(HIWORD(at));
  return {first_ + static_cast<std::size_t>(std::max(0, y) / lineHeight_),
          static_cast<std::size_t>(std::max(0, x - kMargin + horizontal_ + charWidth_ / 2) / charWidth_)};
}

void PaneView::Refresh() {
  const PaneSteps steps = follower_.Refresh(editor_);
  if (steps.showLines) ShowLines(steps.rewritten);
  if (steps.toTop) {
    ScrollTo(0, horizontal_);
    InvalidateRect(view_, nullptr, TRUE);
  }
  if (steps.toEnd) ScrollTo(static_cast<std::int64_t>(shown_.count) - Rows(), horizontal_);
}

void PaneView::ShowLines(bool rewritten) {
  shown_.Follow(pane_.lines, rewritten);
  UpdateScrollBars();
  InvalidateRect(view_, nullptr, TRUE);
}

void PaneView::AfterInput() {
  if (editor_.Refused()) MessageBeep(MB_OK);
  if (editor_.Changed()) {
    ShowLines(true);
    follower_.Looked();
  }
  const TextPos caret = editor_.Caret();
  RECT client;
  GetClientRect(view_, &client);
  const auto columns = static_cast<std::size_t>(std::max<LONG>(1, (client.right - 2 * kMargin) / charWidth_));
  const std::size_t column =
      KeepVisible(static_cast<std::size_t>(horizontal_ / charWidth_), columns, caret.column);
  ScrollTo(static_cast<std::int64_t>(KeepVisible(first_, static_cast<std::size_t>(Rows()), caret.line)),
           static_cast<int>(column) * charWidth_);
  InvalidateRect(view_, nullptr, TRUE);
}

void PaneView::UpdateScrollBars() {
  RECT client;
  GetClientRect(view_, &client);
  editor_.SetPageRows(static_cast<std::size_t>(Rows()));
  SCROLLINFO vertical{sizeof vertical, SIF_ALL | SIF_DISABLENOSCROLL};
  vertical.nMax = static_cast<int>(std::min<std::size_t>(shown_.count, 0x7ffffffe));
  vertical.nMax = std::max(vertical.nMax - 1, 0);
  vertical.nPage = static_cast<UINT>(Rows());
  first_ = std::min(first_, shown_.count > vertical.nPage ? shown_.count - vertical.nPage : 0);
  vertical.nPos = static_cast<int>(first_);
  SetScrollInfo(view_, SB_VERT, &vertical, TRUE);
  // One column more than the widest line: the caret behind it stays in sight.
  const long long textWidth = static_cast<long long>(shown_.widest + 1) * charWidth_ + 2 * kMargin;
  SCROLLINFO across{sizeof across, SIF_ALL};
  across.nMax = static_cast<int>(std::min<long long>(textWidth, 0x3fffffff));
  across.nPage = static_cast<UINT>(std::max<LONG>(client.right, 1));
  horizontal_ = std::clamp(horizontal_, 0, std::max(0, across.nMax - static_cast<int>(across.nPage)));
  across.nPos = horizontal_;
  SetScrollInfo(view_, SB_HORZ, &across, TRUE);
}

void PaneView::ScrollTo(std::int64_t firstLine, int horizontal) {
  const std::int64_t last = std::max<std::int64_t>(0, static_cast<std::int64_t>(shown_.count) - Rows());
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
  // A redraw between a change of the pane and the next Refresh never reads past its end.
  const std::size_t count = std::min(shown_.count, pane_.lines.size());
  const std::size_t firstColumn = static_cast<std::size_t>(std::max(0, horizontal_ - kMargin) / charWidth_);
  RECT client;
  GetClientRect(view_, &client);
  const std::size_t columns = static_cast<std::size_t>(client.right / charWidth_ + 2);
  const auto [selFrom, selTo] = editor_.Selection();
  const bool focused = GetFocus() == view_;
  auto x = [&](std::size_t column) { return kMargin + static_cast<int>(column) * charWidth_ - horizontal_; };
  auto draw = [&](std::string_view line, std::size_t from, std::size_t to, int top) {
    if (from >= to) return;
    std::wstring text = Wide(std::string(line.substr(from, to - from)));
    std::replace(text.begin(), text.end(), L'\t', L' ');  // one column, as the caret counts it
    TextOutW(dc, x(from), top, text.c_str(), static_cast<int>(text.size()));
  };
  for (int row = paint.rcPaint.top / lineHeight_; row * lineHeight_ < paint.rcPaint.bottom; ++row) {
    const std::size_t index = first_ + static_cast<std::size_t>(row);
    if (index >= count) break;
    const std::string_view line = pane_.lines[index];
    const int top = row * lineHeight_;
    const std::size_t end = std::min(line.size(), firstColumn + columns);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    draw(line, firstColumn, end, top);
    if (selFrom == selTo || index < selFrom.line || index > selTo.line) continue;
    // The selected columns, and the line break behind a line the selection goes past.
    const std::size_t from = index == selFrom.line ? selFrom.column : 0;
    const std::size_t to = index == selTo.line ? selTo.column : line.size() + 1;
    const RECT band{x(from), top, x(to), top + lineHeight_};
    FillRect(dc, &band, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    draw(line, std::max(from, firstColumn), std::min(to, end), top);
  }
  const TextPos caret = editor_.Caret();
  if (focused && caret.line >= first_ && caret.line - first_ < static_cast<std::size_t>(Rows()) + 1) {
    const int top = static_cast<int>(caret.line - first_) * lineHeight_;
    const RECT bar{x(caret.column), top, x(caret.column) + 2, top + lineHeight_};
    FillRect(dc, &bar, GetSysColorBrush(COLOR_WINDOWTEXT));
  }
  SelectObject(dc, old);
  EndPaint(view_, &paint);
}

std::vector<std::string> PaneView::ShownLines() const {
  const std::size_t count = std::min(shown_.count, pane_.lines.size());
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
          to = static_cast<std::int64_t>(shown_.count);
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
    case WM_LBUTTONDOWN:
      SetFocus(view_);
      SetCapture(view_);
      editor_.Click(PlaceAt(lParam), (wParam & MK_SHIFT) != 0);
      AfterInput();
      return 0;
    case WM_LBUTTONDBLCLK:
      editor_.SelectField(PlaceAt(lParam));
      AfterInput();
      return 0;
    case WM_MOUSEMOVE:
      if (!(wParam & MK_LBUTTON) || GetCapture() != view_) break;
      editor_.DragTo(PlaceAt(lParam));
      AfterInput();
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == view_) ReleaseCapture();
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(view_, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_WANTTAB;
    case WM_KEYDOWN: {
      const std::optional<PaneKey> key = PaneKeyOf(wParam);
      if (!key || !editor_.Press(*key, HeldModifiers(), ui_, editable_ ? editable_() : true)) break;
      AfterInput();
      return 0;
    }
    case WM_CHAR:
      // Control characters (Enter, Tab, Ctrl+letters) came as keys; the editor skips them.
      if (wParam < 0x20 || wParam == 0x7f) return 0;
      editor_.Type(Narrow(std::wstring(1, static_cast<wchar_t>(wParam))), editable_ ? editable_() : true);
      AfterInput();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(view_, message, wParam, lParam);
}

}  // namespace varnel
