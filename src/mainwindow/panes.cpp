// The pane operations and the export commands of the data pane.
#include "mainwindow/panes.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "mainwindow/VarnelU.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace {

// Line strings of cleared panes, kept for the lines added next. Pane M shows a whole output
// file (thousands of lines) again and again during a batch run; taking the strings of the
// cleared text for the new one saves an allocation and a release per line. Only the strings of
// the largest cleared pane are kept, and only until they are used up. One per thread, so panes
// of different threads never share it.
thread_local std::vector<std::string> spareLines;

// Appends the characters as a new last line, in a spare string when one is left.
void PushLine(std::vector<std::string>& lines, const char* first, std::size_t size) {
  if (spareLines.empty()) {
    lines.emplace_back(first, size);
    return;
  }
  lines.push_back(std::move(spareLines.back()));
  spareLines.pop_back();
  lines.back().assign(first, size);
}

}  // namespace

void ClearPane(Pane& pane) {
  if (pane.lines.size() > spareLines.size()) {
    // The pane takes the spare vector (emptied; its capacity stays for the next lines) and the
    // spare keeps the pane's strings.
    pane.lines.swap(spareLines);
  }
  pane.lines.clear();
  ++pane.revision;
  ++pane.rewrites;
}

// CR LF separates the lines of a text handed over whole (a file text, a deck). A lone LF or a
// lone CR is taken as a line break as well, so no line ever holds a line-end character. The
// prefix goes before the first line only.
//
// One pass with memchr: the next CR and the next LF are each looked up only once the scan has
// passed the previous one, so a text without CR (or without LF) costs a single search for it.
void AddLine(Pane& pane, const std::string& text, const std::string& prefix) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  auto next = [end](const char* from, char c) {
    const void* hit = from < end ? std::memchr(from, c, static_cast<std::size_t>(end - from)) : nullptr;
    return hit ? static_cast<const char*>(hit) : end;
  };
  const char* cr = next(begin, '\r');
  const char* lf = next(begin, '\n');
  const char* p = begin;
  const char* lineEnd = std::min(cr, lf);

  std::vector<std::string>& lines = pane.lines;
  if (lineEnd == end) {
    // The common single line.
    if (prefix.empty()) PushLine(lines, begin, text.size());
    else lines.push_back(prefix + text);
    ++pane.revision;
    return;
  }
  // Room for about one line per 64 characters, growing geometrically so that many small
  // multi-line texts stay amortised O(1) per line.
  const std::size_t wanted = lines.size() + text.size() / 64 + 2;
  if (wanted > lines.capacity()) lines.reserve(std::max(wanted, 2 * lines.capacity()));
  bool first = true;
  for (;;) {
    if (first && !prefix.empty()) {
      std::string line;
      line.reserve(prefix.size() + static_cast<std::size_t>(lineEnd - p));
      line.append(prefix).append(p, lineEnd);
      lines.push_back(std::move(line));
    } else {
      PushLine(lines, p, static_cast<std::size_t>(lineEnd - p));
    }
    first = false;
    if (lineEnd == end) break;
    // A CR directly followed by its LF is one break.
    // (lf == end means no LF is left: a CR as the last character is a break of its own.)
    p = lineEnd + (lineEnd == cr && lf != end && lf == cr + 1 ? 2 : 1);
    if (cr < p) cr = next(p, '\r');
    if (lf < p) lf = next(p, '\n');
    lineEnd = std::min(cr, lf);
  }
  ++pane.revision;
}

void ScrollToTop(Pane& pane) { ++pane.scrollRequest; }

void AppendToLastLine(Pane& pane, const std::string& text) {
  ++pane.rewrites;
  std::string last;
  if (!pane.lines.empty()) {
    last = std::move(pane.lines.back());
    pane.lines.pop_back();
  }
  AddLine(pane, last + text);
}

void AppendToLine(Pane& pane, std::size_t index, const std::string& text) {
  if (index >= pane.lines.size()) return;
  if (index + 1 == pane.lines.size()) return AppendToLastLine(pane, text);
  pane.lines[index] += text;
  ++pane.revision;
  ++pane.rewrites;
}

void ReplacePaneLines(Pane& pane, std::vector<std::string> lines) {
  pane.lines = std::move(lines);
  ++pane.revision;
  ++pane.rewrites;
}

PaneChange ChangeSince(const Pane& pane, const PaneLook& look) {
  if (look.revision == pane.revision && look.rewrites == pane.rewrites) return PaneChange::None;
  if (look.rewrites == pane.rewrites && pane.lines.size() >= look.lineCount) return PaneChange::Appended;
  return PaneChange::Rewritten;
}

PaneLook LookAt(const Pane& pane) { return PaneLook{pane.revision, pane.rewrites, pane.lines.size()}; }

std::string PaneText(const Pane& pane) {
  std::size_t size = 0;
  for (const std::string& line : pane.lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : pane.lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void CopyPaneToClipboard(Platform& platform, const Pane& pane) { platform.SetClipboardText(PaneText(pane)); }

void CopyTextToClipboard(Platform& platform, const std::string& text) { platform.SetClipboardText(text); }

void TForm1::MICopytoClipboardClick() { CopyPaneToClipboard(platform, Mdata); }

void TForm1::MISaveasTxtClick() {
  const FileDialogSpec spec{.title = "Save as Txt", .initialFolder = DesktopFolder(platform), .filter = "Alle Dateien (*.*)|*.*|TextDateien (*.txt)|*.txt", .filterIndex = 2, .defaultExt = "txt"};
  const std::optional<std::string> path = platform.SaveFileDialog(spec);
  if (!path) return;
  // Written beside the target and then put in its place: a save that fails part-way leaves an
  // existing file as it was.
  WriteTextFileSafely(platform, PaneText(Mdata), *path);
}

// The column of the semicolon table: one piece per table row. Headings (lines beginning with
// "//") and empty lines are skipped wherever they stand, so the power table (two heading
// lines), the EUT table (an empty line and two headings) and the rows left after a split-mode
// run lose no row, and the near-field table (four lines of heading) gives what it always gave.
// A row with fewer fields than the column (a user-edited line, a narrower table) contributes an
// empty piece, so the copied column keeps one line per table row.
void TForm1::MICopyColomn1Click(int columnIndex) {
  std::string column;
  for (const std::string& line : Mdata.lines) {
    if (line.empty() || line.starts_with("//")) continue;
    const TextList pieces = SplitText(line, ";");
    if (columnIndex >= 0 && static_cast<std::size_t>(columnIndex) < pieces.size()) column += pieces[columnIndex];
    column += "\r\n";
  }
  CopyTextToClipboard(platform, column);
}
