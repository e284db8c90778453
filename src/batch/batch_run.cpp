#include "batch/batch_run.hpp"

#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"

namespace varnel {

bool ReadListedFile(TForm1& form, const std::string& name, std::string& text) {
  text.clear();
  if (form.platform.system.FileExists(name)) {
    ReadTextFile(form.platform, name, text);
    return true;
  }
  NoteMissingFile(form, name);
  return false;
}

void NoteMissingFile(TForm1& form, const std::string& name) {
  ShowMissingFileWarning(form.platform.ui, name);
  AddLine(form.Mout, "Skipped (file not found): " + name);
}

std::string LoadLinesText(System& system, const std::string& name) {
  const std::string bytes = system.ReadFile(name);
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 32 + 2);
  std::size_t lineStart = 0;
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while (i < size) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    text.append(bytes, lineStart, i - lineStart);
    text += "\r\n";
    i += (c == '\r' && i + 1 < size && bytes[i + 1] == '\n') ? 2 : 1;
    lineStart = i;
  }
  if (lineStart < size) {
    text.append(bytes, lineStart, size - lineStart);
    text += "\r\n";
  }
  return text;
}

std::string ListedFilePath(const TForm1& form, const std::string& name) {
  return form.params.BatchFolder.empty() ? name : IncludeBackslash(form.params.BatchFolder) + name;
}

void NoteReadingLines(TForm1& form, const std::string& runLine, const std::string& partLine) {
  if (!runLine.empty()) AddLine(form.Mout, runLine);
  if (partLine.empty()) return;
  AddLine(form.Mout, partLine);
  // The status bar says it once for the whole batch; the Info pane names each file.
  const std::string note = FormatInt("tables of more than %d points read in part", MaxNearFieldRows);
  if (form.progress.note.find(note) == std::string::npos) form.NoteForStatus(note);
}

void NoteMissingNearField(TForm1& form, const std::string& name) {
  AddLine(form.Mout, OutputPrint::Missing(PrintSection::NearField).InFile(ListedFilePath(form, name)).what());
}

void NoteUndefinedRow(TForm1& form, const std::string& name) {
  AddLine(form.Mout, "Undefined value in " + name + ": written as NAN");
}

void ShowFileInM(TForm1& form, const std::string& name, const SharedText& text) {
  ClearPane(form.M);
  AddSharedLines(form.M, text);
  ScrollToTop(form.M);
  form.M.hint = "Showing: " + name;
}

std::optional<TextList> BeginBatch(TForm1& form, const std::string& title) {
  if (form.params.BatchFiles.empty()) {
    ShowWarning(form.platform.ui, kNoBatchFolderWarning);
    return std::nullopt;
  }
  ClearPane(form.Mout);
  ClearPane(form.Mdata);
  form.MdataValues = TableValues{};
  AddLine(form.Mout, title);
  return form.params.BatchFiles;
}

BatchChoice::BatchChoice(TForm1& form, RadioGroup& group)
    : item(group.itemIndex), group_(group), wasHeld_(group.held) {
  group.held = true;
  const std::string text = ChoiceText(group, item);
  form.NoteForStatus(text);
  form.MdataValues.notes.push_back(text);
}

void AddTableHeadings(TForm1& form, std::initializer_list<std::string_view> names,
                      std::initializer_list<std::string_view> units) {
  TableValues& kept = form.MdataValues;
  kept.headings = {TableHeadingLine(names), TableHeadingLine(units)};
  for (const std::string& line : kept.headings) AddLine(form.Mdata, line);
  kept.written = form.Mdata.revision;
}

// Once Mdata has been changed by someone else (an edit handed back while the batch let the
// window's events in), the kept numbers no longer stand for it, also after later rows.
void AddTableRow(TForm1& form, const TableDataLine& row) {
  TableValues& kept = form.MdataValues;
  const bool describes = kept.Describes(form.Mdata);
  AddLine(form.Mdata, row.Text());
  kept.rows.push_back(row.Values());
  if (describes) kept.written = form.Mdata.revision;
}

void ClearTableRows(TForm1& form) {
  TableValues& kept = form.MdataValues;
  const bool describes = kept.Describes(form.Mdata);
  ClearPane(form.Mdata);
  kept.rows.clear();
  if (describes) kept.written = form.Mdata.revision;
}

void ForEachListedFile(TForm1& form, const TextList& names, const BatchStep& analyse) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    form.FileProgress(i, names.size());
    form.ProcessPendingEvents();
    AddLine(form.Mout, "Load: " + name);
    if (!ReadListedFile(form, name, text)) continue;
    ReadInFile(ListedFilePath(form, name), [&] { analyse(i, name, text); });
    ScrollToTop(form.Mout);
  }
}

}  // namespace varnel
