#pragma once
// Editing a pane where it stands. Both windows draw a pane's lines straight from the model and
// hand the user's keys and clicks to a PaneEditor, which keeps the caret and the selection and
// changes the pane through ReplaceLines: an edit copies the lines it touches and nothing else,
// so a pane of a million lines is clicked into and typed into as fast as a short one, and every
// command, plot and copy sees the pane as edited. The keys are one table, kPaneKeys, that both
// windows read; a window only turns its toolkit's key codes into PaneKey.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "mainwindow/panes.hpp"
#include "platform/ui.hpp"

namespace varnel {

// A place in a pane: before the character `column` of line `line` (the column after the last
// character is the line's end). An empty pane has the one place {0, 0}.
struct TextPos {
  std::size_t line = 0, column = 0;
  friend auto operator<=>(const TextPos&, const TextPos&) = default;
};

// The keys the editor knows, as both windows name them.
enum class PaneKey {
  Backspace,
  Delete,
  Enter,
  Tab,
  Left,
  Right,
  Up,
  Down,
  Home,
  End,
  PageUp,
  PageDown,
  Insert,
  A,
  C,
  V,
  X
};
// Modifier keys held with a key, as bits.
enum PaneModifier : unsigned { kNoModifier = 0, kShift = 1, kControl = 2 };

enum class PaneAction {
  DeleteBack,
  DeleteForward,
  NewLine,
  Tab,
  // The caret moves; held with Shift, the selection grows to it.
  Left,
  Right,
  Up,
  Down,
  LineStart,
  LineEnd,
  PageUp,
  PageDown,
  TextStart,
  TextEnd,
  SelectAll,
  Copy,
  Cut,
  Paste
};

struct PaneKeyRow {
  PaneKey key;
  unsigned modifiers;
  PaneAction action;
};

// The keys of a pane. A key held with Shift that has no row of its own takes the row without
// Shift (Shift+Left extends the selection, Shift+Backspace is Backspace).
inline constexpr PaneKeyRow kPaneKeys[] = {
    {PaneKey::Backspace, kNoModifier, PaneAction::DeleteBack},
    {PaneKey::Delete, kNoModifier, PaneAction::DeleteForward},
    {PaneKey::Enter, kNoModifier, PaneAction::NewLine},
    {PaneKey::Tab, kNoModifier, PaneAction::Tab},
    {PaneKey::Left, kNoModifier, PaneAction::Left},
    {PaneKey::Right, kNoModifier, PaneAction::Right},
    {PaneKey::Up, kNoModifier, PaneAction::Up},
    {PaneKey::Down, kNoModifier, PaneAction::Down},
    {PaneKey::Home, kNoModifier, PaneAction::LineStart},
    {PaneKey::End, kNoModifier, PaneAction::LineEnd},
    {PaneKey::PageUp, kNoModifier, PaneAction::PageUp},
    {PaneKey::PageDown, kNoModifier, PaneAction::PageDown},
    {PaneKey::Home, kControl, PaneAction::TextStart},
    {PaneKey::End, kControl, PaneAction::TextEnd},
    {PaneKey::A, kControl, PaneAction::SelectAll},
    {PaneKey::C, kControl, PaneAction::Copy},
    {PaneKey::Insert, kControl, PaneAction::Copy},
    {PaneKey::X, kControl, PaneAction::Cut},
    {PaneKey::Delete, kShift, PaneAction::Cut},
    {PaneKey::V, kControl, PaneAction::Paste},
    {PaneKey::Insert, kShift, PaneAction::Paste},
};

// The row of a key held with modifiers, or nullptr when the pane does not take it.
const PaneKeyRow* FindPaneKey(PaneKey key, unsigned modifiers);

// The first of `shown` consecutive lines (or columns) to show so that `at` is among them,
// moving as little as possible from `first`.
std::size_t KeepVisible(std::size_t first, std::size_t shown, std::size_t at);

class PaneEditor {
 public:
  explicit PaneEditor(Pane& pane) : pane_(pane), clears_(pane.clears) {}

  // The caret, and the other end of the selection (equal to the caret when nothing is
  // selected); both kept inside the pane as it is now.
  TextPos Caret() const { return Cleared() ? TextPos{} : Clamped(caret_); }
  TextPos Anchor() const { return Cleared() ? TextPos{} : Clamped(anchor_); }
  bool HasSelection() const { return Caret() != Anchor(); }
  // The selection's first and last place.
  std::pair<TextPos, TextPos> Selection() const;
  // The selected text, its lines joined by CR LF.
  std::string SelectedText() const;

  // The user works in the pane (clicked or typed since the pane was last rewritten by a
  // command): a window keeps its place in the pane instead of following appended lines.
  bool Active() const { return active_; }
  // The pane was rewritten by a command: the selection goes and the pane is no longer active.
  void Release();
  // ScrollToTop: the caret at the very start.
  void ToStart();
  // The lines one page moves the caret by.
  void SetPageRows(std::size_t rows) { pageRows_ = rows ? rows : 1; }

  // A click puts the caret at a place (with Shift it extends the selection); a drag extends the
  // selection to where the mouse is.
  void Click(TextPos at, bool extend);
  void DragTo(TextPos at);
  // A double-click selects the field under the place: the run of characters other than blanks
  // and the tables' ';' (or, on those, the run of them); at a line's end the field before it.
  void SelectField(TextPos at);
  // A key of kPaneKeys; false when the pane does not take it. editable: whether the text may
  // change now (not while a command runs, whose lines stay where it put them); the clipboard
  // goes through ui.
  bool Press(PaneKey key, unsigned modifiers, UserInterface& ui, bool editable);
  // Typed characters (8-bit); control characters are not typed.
  void Type(std::string_view text, bool editable);
  // Whether the last Press or Type changed the pane's lines.
  bool Changed() const { return changed_; }
  // Whether the last Press or Type would have changed the text but was not editable: the window
  // gives a sign (a beep) instead of dropping the key without one.
  bool Refused() const { return refused_; }

 private:
  // A command cleared the pane since the editor last looked: the caret starts at the start.
  bool Cleared() const { return pane_.clears != clears_; }
  // Takes in a clear of the pane, before the caret moves or the text changes.
  void Sync();
  TextPos Clamped(TextPos at) const;
  std::size_t LineSize(std::size_t line) const;
  TextPos Moved(PaneAction action, TextPos from) const;
  // The selection (or the range from..to) replaced by text, whose CR LF, LF or CR break it into
  // lines; the caret goes behind it.
  void ReplaceSelection(std::string_view text);
  void ReplaceRange(TextPos from, TextPos to, std::string_view text);

  Pane& pane_;
  TextPos caret_, anchor_;
  std::size_t goalColumn_ = 0;  // the column Up and Down aim for
  std::size_t pageRows_ = 20;
  std::uint64_t clears_;
  bool active_ = false, changed_ = false, refused_ = false;
};

}  // namespace varnel
