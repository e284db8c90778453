// The pane operations and the export commands of the data pane.
#include "mainwindow/panes.hpp"

#include <string_view>

#include "mainwindow/VarnelU.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

void ClearPane(Pane& pane) {
  pane.lines.clear();
  ++pane.revision;
}

// CR LF separates the lines of a text handed over whole (a file text, a deck). A lone LF or a
// lone CR is taken as a line break as well, so no line ever holds a line-end character.
void AddLine(Pane& pane, const std::string& text, const std::string& prefix) {
  std::string_view rest = text;
  std::string line = prefix;
  for (;;) {
    const std::size_t end = rest.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      line.append(rest);
      pane.lines.push_back(std::move(line));
      break;
    }
    line.append(rest.substr(0, end));
    pane.lines.push_back(std::move(line));
    line = std::string();
    const bool crlf = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n';
    rest.remove_prefix(end + (crlf ? 2 : 1));
  }
  ++pane.revision;
}

void ScrollToTop(Pane& pane) { ++pane.scrollRequest; }

void AppendToLastLine(Pane& pane, const std::string& text) {
  std::string last;
  if (!pane.lines.empty()) {
    last = std::move(pane.lines.back());
    pane.lines.pop_back();
  }
  AddLine(pane, last + text);
}

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
  FileDialogSpec spec;
  spec.title = "Save as Txt";
  spec.initialFolder = DesktopFolder(platform);
  spec.defaultExt = "txt";
  spec.filter = "Alle Dateien (*.*)|*.*|TextDateien (*.txt)|*.txt";
  spec.filterIndex = 2;
  const std::optional<std::string> path = platform.SaveFileDialog(spec);
  if (!path) return;
  // Written beside the target and then put in its place: a save that fails part-way leaves an
  // existing file as it was.
  WriteTextFileSafely(platform, PaneText(Mdata), *path);
}

// The column of the semicolon table below its four header lines. A line with fewer fields
// than the column (an empty line, a user-edited line, a narrower table) contributes an empty
// piece, so the copied column keeps one line per table row.
void TForm1::MICopyColomn1Click(int columnIndex) {
  constexpr std::size_t kHeaderLines = 4;
  std::string column;
  for (std::size_t i = kHeaderLines; i < Mdata.lines.size(); ++i) {
    const TextList pieces = SplitText(Mdata.lines[i], ";");
    if (columnIndex >= 0 && static_cast<std::size_t>(columnIndex) < pieces.size()) column += pieces[columnIndex];
    column += "\r\n";
  }
  CopyTextToClipboard(platform, column);
}
