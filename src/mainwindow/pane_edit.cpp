#include "mainwindow/pane_edit.hpp"

#include <algorithm>
#include <vector>

namespace varnel {

const PaneKeyRow* FindPaneKey(PaneKey key, unsigned modifiers) {
  for (unsigned held : {modifiers, modifiers & ~unsigned{kShift}})
    for (const PaneKeyRow& row : kPaneKeys)
      if (row.key == key && row.modifiers == held) return &row;
  return nullptr;
}

std::size_t KeepVisible(std::size_t first, std::size_t shown, std::size_t at) {
  if (at < first) return at;
  shown = std::max<std::size_t>(shown, 1);
  return at >= first + shown ? at - shown + 1 : first;
}

std::size_t PaneEditor::LineSize(std::size_t line) const {
  return line < pane_.lines.size() ? pane_.lines[line].size() : 0;
}

TextPos PaneEditor::Clamped(TextPos at) const {
  if (pane_.lines.empty()) return {};
  at.line = std::min(at.line, pane_.lines.size() - 1);
  at.column = std::min(at.column, LineSize(at.line));
  return at;
}

std::pair<TextPos, TextPos> PaneEditor::Selection() const { return std::minmax(Caret(), Anchor()); }

std::string PaneEditor::SelectedText() const {
  const auto [from, to] = Selection();
  if (from == to) return {};
  if (from.line == to.line)
    return std::string(std::string_view(pane_.lines[from.line]).substr(from.column, to.column - from.column));
  std::string text(std::string_view(pane_.lines[from.line]).substr(from.column));
  for (std::size_t line = from.line + 1; line < to.line; ++line) {
    text += "\r\n";
    text += std::string_view(pane_.lines[line]);
  }
  text += "\r\n";
  text += std::string_view(pane_.lines[to.line]).substr(0, to.column);
  return text;
}

void PaneEditor::Sync() {
  if (!Cleared()) return;
  caret_ = anchor_ = {};
  clears_ = pane_.clears;
}

void PaneEditor::Release() {
  Sync();
  active_ = false;
  anchor_ = caret_ = Caret();
}

void PaneEditor::ToStart() {
  Sync();
  caret_ = anchor_ = {};
}

void PaneEditor::Click(TextPos at, bool extend) {
  Sync();
  active_ = true;
  caret_ = Clamped(at);
  if (!extend) anchor_ = caret_;
  goalColumn_ = caret_.column;
}

void PaneEditor::DragTo(TextPos at) {
  Sync();
  caret_ = Clamped(at);
  goalColumn_ = caret_.column;
}

void PaneEditor::SelectField(TextPos at) {
  Click(at, false);
  const std::string_view line =
      pane_.lines.empty() ? std::string_view() : std::string_view(pane_.lines[caret_.line]);
  if (line.empty()) return;
  const auto separates = [](char c) { return c == ' ' || c == '\t' || c == ';'; };
  std::size_t from = std::min(caret_.column, line.size() - 1), to = from + 1;
  const bool blank = separates(line[from]);
  while (from > 0 && separates(line[from - 1]) == blank) --from;
  while (to < line.size() && separates(line[to]) == blank) ++to;
  anchor_ = {caret_.line, from};
  caret_ = {caret_.line, to};
  goalColumn_ = to;
}

TextPos PaneEditor::Moved(PaneAction action, TextPos at) const {
  const std::size_t last = pane_.lines.empty() ? 0 : pane_.lines.size() - 1;
  auto toLine = [&](std::size_t line) { return Clamped({line, goalColumn_}); };
  switch (action) {
    case PaneAction::Left:
      if (at.column > 0) return {at.line, at.column - 1};
      return at.line > 0 ? TextPos{at.line - 1, LineSize(at.line - 1)} : at;
    case PaneAction::Right:
      if (at.column < LineSize(at.line)) return {at.line, at.column + 1};
      return at.line < last ? TextPos{at.line + 1, 0} : at;
    case PaneAction::Up:
      return toLine(at.line > 0 ? at.line - 1 : 0);
    case PaneAction::Down:
      return toLine(std::min(at.line + 1, last));
    case PaneAction::PageUp:
      return toLine(at.line > pageRows_ ? at.line - pageRows_ : 0);
    case PaneAction::PageDown:
      return toLine(std::min(at.line + pageRows_, last));
    case PaneAction::LineStart:
      return {at.line, 0};
    case PaneAction::LineEnd:
      return {at.line, LineSize(at.line)};
    case PaneAction::TextStart:
      return {};
    case PaneAction::TextEnd:
      return {last, LineSize(last)};
    default:
      return at;
  }
}

bool PaneEditor::Press(PaneKey key, unsigned modifiers, UserInterface& ui, bool editable) {
  changed_ = refused_ = false;
  Sync();
  const PaneKeyRow* row = FindPaneKey(key, modifiers);
  if (!row) return false;
  active_ = true;
  caret_ = Caret();
  anchor_ = Anchor();
  const bool extend = (modifiers & kShift) != 0;
  switch (const PaneAction action = row->action) {
    case PaneAction::SelectAll:
      anchor_ = {};
      caret_ = Moved(PaneAction::TextEnd, {});
      return true;
    case PaneAction::Copy:
      if (HasSelection()) ui.SetClipboardText(SelectedText());
      return true;
    case PaneAction::Cut:
      if (!HasSelection()) return true;
      ui.SetClipboardText(SelectedText());
      [[fallthrough]];
    case PaneAction::Paste:
    case PaneAction::NewLine:
    case PaneAction::Tab:
    case PaneAction::DeleteBack:
    case PaneAction::DeleteForward:
      if (!editable) {
        refused_ = true;
        return true;
      }
      switch (action) {
        case PaneAction::Paste:
          ReplaceSelection(ui.ClipboardText());
          break;
        case PaneAction::NewLine:
          ReplaceSelection("\r\n");
          break;
        case PaneAction::Tab:
          ReplaceSelection("\t");
          break;
        default:  // Cut (it has a selection) and the two deletions
          if (HasSelection())
            ReplaceSelection({});
          else if (action == PaneAction::DeleteBack)
            ReplaceRange(Moved(PaneAction::Left, caret_), caret_, {});
          else
            ReplaceRange(caret_, Moved(PaneAction::Right, caret_), {});
      }
      return true;
    default: {
      const bool vertical = action == PaneAction::Up || action == PaneAction::Down ||
                            action == PaneAction::PageUp || action == PaneAction::PageDown;
      if (!extend && HasSelection() && (action == PaneAction::Left || action == PaneAction::Right)) {
        // An arrow without Shift ends the selection at its side.
        const auto [from, to] = Selection();
        caret_ = action == PaneAction::Left ? from : to;
      } else {
        caret_ = Moved(action, caret_);
      }
      if (!extend) anchor_ = caret_;
      if (!vertical) goalColumn_ = caret_.column;
      return true;
    }
  }
}

void PaneEditor::Type(std::string_view text, bool editable) {
  changed_ = refused_ = false;
  Sync();
  active_ = true;
  std::string typed;
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) typed += c;
  if (typed.empty()) return;
  if (editable)
    ReplaceSelection(typed);
  else
    refused_ = true;
}

void PaneEditor::ReplaceSelection(std::string_view text) {
  const auto [from, to] = Selection();
  ReplaceRange(from, to, text);
}

void PaneEditor::ReplaceRange(TextPos from, TextPos to, std::string_view text) {
  if (from == to && text.empty()) return;
  // The new text's lines, split at any line break as AddLine splits a text.
  PaneLineList pieces;
  pieces.AddText(text, {});
  std::vector<std::string> lines(pieces.begin(), pieces.end());
  const bool wasEmpty = pane_.lines.empty();
  const std::string_view first = wasEmpty ? std::string_view() : std::string_view(pane_.lines[from.line]);
  const std::string_view last = wasEmpty ? std::string_view() : std::string_view(pane_.lines[to.line]);
  const std::size_t caretColumn = lines.back().size() + (lines.size() == 1 ? from.column : 0);
  lines.front().insert(0, first.substr(0, from.column));
  lines.back() += last.substr(to.column);
  // A pane edited down to nothing holds no line, as a cleared pane.
  if (lines.size() == 1 && lines[0].empty() && (wasEmpty || pane_.lines.size() == to.line - from.line + 1))
    lines.clear();
  ReplaceLines(pane_, from.line, wasEmpty ? 0 : to.line - from.line + 1, lines);
  caret_ = anchor_ = Clamped({from.line + (lines.empty() ? 0 : lines.size() - 1), caretColumn});
  goalColumn_ = caret_.column;
  changed_ = true;
}

}  // namespace varnel
