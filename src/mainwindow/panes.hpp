#pragma once
// The three text panes of the main window as lists of lines, and the only operations through
// which commands write to them. A binding keeps a PaneLook of what it last showed and asks
// ChangeSince what to redraw: nothing, only the lines appended since, or the whole pane.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui.hpp"

struct Pane {
  std::vector<std::string> lines;  // no line-end characters inside a line
  std::string hint;                // hover hint (pane M: "Showing: " + path)
  std::uint64_t revision = 0;      // increases with every change of lines
  std::uint64_t rewrites = 0;      // increases with every change other than appending lines
  std::uint64_t scrollRequest = 0; // increases with every ScrollToTop
};

// Removes all lines.
void ClearPane(Pane& pane);
// Appends prefix + text; a text holding CR LF breaks becomes several lines; "" appends one
// empty line. Amortised O(length of text).
void AddLine(Pane& pane, const std::string& text, const std::string& prefix = "");
// Caret to the very start; the binding repaints and shows the first line.
void ScrollToTop(Pane& pane);
// The last line with text added at its end (the pane must hold a line; on an empty pane the
// text becomes the one line).
void AppendToLastLine(Pane& pane, const std::string& text);
// Line index with text added at its end; nothing happens when the pane has no such line.
void AppendToLine(Pane& pane, std::size_t index, const std::string& text);
// The lines as the user left them in the window (an edited pane handed back whole).
void ReplacePaneLines(Pane& pane, std::vector<std::string> lines);

// What a binding has shown of a pane. A default look has seen nothing.
struct PaneLook {
  std::uint64_t revision = ~std::uint64_t{0};
  std::uint64_t rewrites = ~std::uint64_t{0};
  std::size_t lineCount = 0;
};
enum class PaneChange { None, Appended, Rewritten };
// Appended: the first look.lineCount lines are unchanged and lines were added after them;
// Rewritten: anything else changed (cleared, a line changed, the lines replaced).
PaneChange ChangeSince(const Pane& pane, const PaneLook& look);
PaneLook LookAt(const Pane& pane);

// Every line followed by CR LF, the last one included.
std::string PaneText(const Pane& pane);
void CopyPaneToClipboard(UserInterface& ui, const Pane& pane);
void CopyTextToClipboard(UserInterface& ui, const std::string& text);
