// The pane operations and the export commands of the data pane.
#include "mainwindow/panes.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#include <stdexcept>
#include <string_view>

#include "mainwindow/VarnelU.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace varnel {

PaneLineList::PaneLineList(const PaneLineList& other) {
  for (std::string_view line : other) push_back(line);
}

PaneLineList& PaneLineList::operator=(const PaneLineList& other) {
  if (this != &other) {
    clear();
    for (std::string_view line : other) push_back(line);
  }
  return *this;
}

PaneLineList::PaneLineList(std::initializer_list<std::string_view> lines) {
  for (std::string_view line : lines) push_back(line);
}

PaneLineList::PaneLineList(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) push_back(line);
}

PaneLine PaneLineList::at(std::size_t i) const {
  if (i >= size()) throw std::out_of_range("PaneLineList::at");
  return (*this)[i];
}

void PaneLineList::SpanList::push_back(const Span& span) {
  if (size_ == chunks_.size() * kChunk) chunks_.push_back(std::make_unique<Span[]>(kChunk));
  (*this)[size_++] = span;
}

void PaneLineList::clear() {
  // The blocks stay, each with its stores registered anew; the shared texts' stores go.
  stores_.clear();
  for (Block& block : blocks_) {
    block.size = 0;
    block.store = AddStores(block.bytes.get(), block.capacity);
  }
  current_ = 0;
  spans_.clear();
  used_ = unused_ = sharedBytes_ = 0;
  shared_.clear();
  unindexed_.reset();
}

char* PaneLineList::Reserve(std::size_t size) {
  constexpr std::size_t kBlockSize = 64 * 1024;
  while (current_ < blocks_.size() && blocks_[current_].capacity - blocks_[current_].size < size) {
    // A block too small for the characters is left as it is filled (a large text gets a block
    // of its own below).
    if (blocks_[current_].size == 0 && current_ + 1 == blocks_.size()) break;
    ++current_;
  }
  if (current_ == blocks_.size() || blocks_[current_].capacity - blocks_[current_].size < size) {
    Block block;
    block.capacity = std::max(kBlockSize, size);
    block.bytes.reset(new char[block.capacity]);
    block.store = AddStores(block.bytes.get(), block.capacity);
    if (current_ < blocks_.size())
      blocks_[current_] = std::move(block);  // an empty block too small
    else
      blocks_.push_back(std::move(block));
  }
  Block& block = blocks_[current_];
  char* at = block.bytes.get() + block.size;
  block.size += size;
  used_ += size;
  return at;
}

namespace {
constexpr int kStoreBits = 32;
constexpr std::uint64_t kStoreSize = std::uint64_t{1} << kStoreBits;
}  // namespace

std::uint32_t PaneLineList::AddStores(const char* base, std::size_t size) const {
  const auto first = static_cast<std::uint32_t>(stores_.size());
  for (std::uint64_t offset = 0; offset == 0 || offset < size; offset += kStoreSize)
    stores_.push_back(base + offset);
  return first;
}

PaneLineList::Span PaneLineList::StoreSpan(std::uint32_t first, std::uint64_t offset, std::size_t size) {
  if (size >= kStoreSize) throw std::length_error("a pane line of 4 GiB or more");
  return Span{first + static_cast<std::uint32_t>(offset >> kStoreBits),
              static_cast<std::uint32_t>(offset & (kStoreSize - 1)), static_cast<std::uint32_t>(size)};
}

PaneLineList::Span PaneLineList::BlockSpan(const char* at, std::size_t size) const {
  const Block& block = blocks_[current_];
  return StoreSpan(block.store, static_cast<std::uint64_t>(at - block.bytes.get()), size);
}

void PaneLineList::push_back(std::string_view line) {
  Indexed();
  char* at = Reserve(line.size());
  if (!line.empty()) std::memcpy(at, line.data(), line.size());
  spans_.push_back(BlockSpan(at, line.size()));
}

void PaneLineList::pop_back() {
  Indexed();
  const Span last = spans_[spans_.size() - 1];
  spans_.pop_back();
  unused_ += last.size;
}

void PaneLineList::AppendTo(std::size_t i, std::string_view text) {
  Indexed();
  const std::string_view old = (*this)[i];
  char* at = Reserve(old.size() + text.size());
  if (!old.empty()) std::memcpy(at, old.data(), old.size());
  if (!text.empty()) std::memcpy(at + old.size(), text.data(), text.size());
  spans_[i] = BlockSpan(at, old.size() + text.size());
  unused_ += old.size();
  CompactIfWasteful();
}

void PaneLineList::Replace(std::size_t from, std::size_t count, const std::vector<std::string>& lines) {
  Indexed();
  const std::size_t size = spans_.size();
  from = std::min(from, size);
  count = std::min(count, size - from);
  for (std::size_t i = from; i < from + count; ++i) unused_ += spans_[i].size;
  if (lines.size() > count) {
    const std::size_t grow = lines.size() - count;
    for (std::size_t k = 0; k < grow; ++k) spans_.push_back(Span{});
    for (std::size_t i = size; i-- > from + count;) spans_[i + grow] = spans_[i];
  } else if (lines.size() < count) {
    const std::size_t shrink = count - lines.size();
    for (std::size_t i = from + count; i < size; ++i) spans_[i - shrink] = spans_[i];
    spans_.Truncate(size - shrink);
  }
  for (std::size_t k = 0; k < lines.size(); ++k) {
    char* at = Reserve(lines[k].size());
    if (!lines[k].empty()) std::memcpy(at, lines[k].data(), lines[k].size());
    spans_[from + k] = BlockSpan(at, lines[k].size());
  }
  CompactIfWasteful();
}

// Lines changed in place leave their old characters behind (in a block, or in a shared text the
// list keeps whole); once those outweigh the lines, the lines move into fresh blocks, so the
// waste stays below the text itself and a compaction costs no more than the waste before it.
void PaneLineList::CompactIfWasteful() {
  if (unused_ < 4096 || 2 * unused_ < used_ + sharedBytes_) return;
  PaneLineList compact(*this);
  *this = std::move(compact);
}

namespace {

// The first CR or LF in [p, end), or end: sixteen bytes at a time with SSE2 (every x86-64
// processor has it), a byte at a time elsewhere.
const char* NextLineBreak(const char* p, const char* end) {
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
    if (hits != 0) return p + std::countr_zero(static_cast<unsigned>(hits));
  }
#endif
  while (p < end && *p != '\r' && *p != '\n') ++p;
  return p;
}

// Behind the line break at lineEnd: a CR directly followed by its LF is one break.
const char* BreakEnd(const char* lineEnd, const char* end) {
  return lineEnd + (*lineEnd == '\r' && end - lineEnd >= 2 && lineEnd[1] == '\n' ? 2 : 1);
}

}  // namespace

// CR LF separates the lines of a text handed over whole (a file text, a deck). A lone LF or a
// lone CR is taken as a line break as well, so no line ever holds a line-end character. The
// prefix goes before the first line only. The text is copied in one piece and each line is a
// span of the copy (the breaks between them are bytes no line refers to).
void PaneLineList::AddText(std::string_view text, std::string_view prefix) {
  Indexed();
  const char* begin = text.data();
  const char* const end = begin + text.size();
  const char* lineEnd = NextLineBreak(begin, end);
  if (!prefix.empty()) {
    // The first line is prefix and text together.
    const std::size_t size = prefix.size() + static_cast<std::size_t>(lineEnd - begin);
    char* at = Reserve(size);
    std::memcpy(at, prefix.data(), prefix.size());
    if (lineEnd > begin) std::memcpy(at + prefix.size(), begin, static_cast<std::size_t>(lineEnd - begin));
    spans_.push_back(BlockSpan(at, size));
    if (lineEnd == end) return;
    begin = BreakEnd(lineEnd, end);
    lineEnd = NextLineBreak(begin, end);
  }
  if (lineEnd == end) {
    // The common single line.
    push_back(std::string_view(begin, static_cast<std::size_t>(end - begin)));
    return;
  }
  // The lines are copied one after the other without the breaks between them, into room taken
  // for the whole text; what the breaks would have taken is given back.
  const std::size_t room = static_cast<std::size_t>(end - begin);
  char* const copy = Reserve(room);
  char* to = copy;
  for (;;) {
    const auto size = static_cast<std::size_t>(lineEnd - begin);
    if (size) std::memcpy(to, begin, size);
    spans_.push_back(BlockSpan(to, size));
    to += size;
    if (lineEnd == end) break;
    begin = BreakEnd(lineEnd, end);
    lineEnd = NextLineBreak(begin, end);
  }
  const auto breaks = room - static_cast<std::size_t>(to - copy);
  blocks_[current_].size -= breaks;
  used_ -= breaks;
}

void PaneLineList::AddShared(std::shared_ptr<const std::string> text) {
  Indexed();
  unindexed_ = std::move(text);
}

void PaneLineList::IndexShared() const {
  sharedBytes_ += unindexed_->size();
  AddSharedSpans(*unindexed_, AddStores(unindexed_->data(), unindexed_->size()));
  shared_.push_back(std::move(unindexed_));
  unindexed_.reset();
}

void PaneLineList::AddSharedSpans(std::string_view text, std::uint32_t first) const {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  for (const char* p = begin;;) {
    const char* const lineEnd = NextLineBreak(p, end);
    spans_.push_back(
        StoreSpan(first, static_cast<std::uint64_t>(p - begin), static_cast<std::size_t>(lineEnd - p)));
    if (lineEnd == end) break;
    p = BreakEnd(lineEnd, end);
  }
}

std::size_t PaneLineList::HeapBytes() const {
  std::size_t bytes = blocks_.capacity() * sizeof(Block) + stores_.capacity() * sizeof(const char*);
  for (const Block& block : blocks_) bytes += block.capacity;
  return bytes + spans_.HeapBytes();
}

bool operator==(const PaneLineList& a, const PaneLineList& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](PaneLine x, PaneLine y) {
           return static_cast<std::string_view>(x) == static_cast<std::string_view>(y);
         });
}

bool operator==(const PaneLineList& a, const std::vector<std::string>& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](PaneLine x, const std::string& y) { return static_cast<std::string_view>(x) == y; });
}

void ClearPane(Pane& pane) {
  pane.lines.clear();
  ++pane.revision;
  ++pane.rewrites;
  ++pane.clears;
}

void AddLine(Pane& pane, const std::string& text, const std::string& prefix) {
  pane.lines.AddText(text, prefix);
  ++pane.revision;
}

void AddSharedLines(Pane& pane, const SharedText& text) {
  pane.lines.AddShared(text.Share());
  ++pane.revision;
}

void ScrollToTop(Pane& pane) { ++pane.scrollRequest; }

void AppendToLastLine(Pane& pane, const std::string& text) {
  ++pane.rewrites;
  std::string last;
  if (!pane.lines.empty()) {
    last = pane.lines.back();
    pane.lines.pop_back();
  }
  AddLine(pane, last + text);
}

void AppendToLine(Pane& pane, std::size_t index, const std::string& text) {
  if (index >= pane.lines.size()) return;
  if (index + 1 == pane.lines.size()) return AppendToLastLine(pane, text);
  pane.lines.AppendTo(index, text);
  ++pane.revision;
  ++pane.rewrites;
}

void ReplacePaneLines(Pane& pane, const std::vector<std::string>& lines) {
  ReplaceLines(pane, 0, pane.lines.size(), lines);
}

void ReplaceLines(Pane& pane, std::size_t from, std::size_t count, const std::vector<std::string>& lines) {
  pane.lines.Replace(from, count, lines);
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
  for (std::string_view line : pane.lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (std::string_view line : pane.lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void CopyPaneToClipboard(UserInterface& ui, const Pane& pane) { ui.SetClipboardText(PaneText(pane)); }

void CopyTextToClipboard(UserInterface& ui, const std::string& text) { ui.SetClipboardText(text); }

namespace {
std::string LinesText(std::size_t lines) { return std::to_string(lines) + (lines == 1 ? " line" : " lines"); }
}  // namespace

void TForm1::MICopytoClipboardClick() {
  CopyPaneToClipboard(platform.ui, Mdata);
  progress.outcome = "Copied the Data pane to the clipboard (" + LinesText(Mdata.lines.size()) + ")";
}

void TForm1::MISaveasTxtClick() {
  const FileDialogSpec spec{.title = "Save as Txt",
                            .initialFolder = DesktopFolder(platform.system),
                            .filter = "Alle Dateien (*.*)|*.*|TextDateien (*.txt)|*.txt",
                            .filterIndex = 2,
                            .defaultExt = "txt"};
  const std::optional<std::string> path = platform.ui.SaveFileDialog(spec);
  if (!path) return;
  // Written beside the target and then put in its place: a save that fails part-way leaves an
  // existing file as it was.
  WriteTextFileSafely(platform.system, PaneText(Mdata), *path);
  tableUnsaved = false;
  progress.outcome = "Saved " + *path + " (" + LinesText(Mdata.lines.size()) + ")";
}

// The column of the semicolon table: one piece per table row. Headings (lines beginning with
// "//") and empty lines are skipped wherever they stand, so the power table (two heading
// lines), the EUT table (an empty line and two headings) and the rows left after a split-mode
// run lose no row, and the near-field table (four lines of heading) gives what it always gave.
// A row with fewer fields than the column (a user-edited line, a narrower table) contributes an
// empty piece, so the copied column keeps one line per table row.
void TForm1::MICopyColomn1Click(int columnIndex) {
  std::string column;
  std::size_t rows = 0;
  for (const std::string line : Mdata.lines) {
    if (line.empty() || line.starts_with("//")) continue;
    const TextList pieces = SplitText(line, ";");
    if (columnIndex >= 0 && static_cast<std::size_t>(columnIndex) < pieces.size())
      column += pieces[columnIndex];
    column += "\r\n";
    ++rows;
  }
  CopyTextToClipboard(platform.ui, column);
  progress.outcome =
      "Copied column " + std::to_string(columnIndex + 1) + " to the clipboard (" + LinesText(rows) + ")";
}

std::vector<std::string> CopyEntryCaptions(const Pane& data) {
  std::vector<std::string> captions(std::begin(kNearFieldCopyCaptions), std::end(kNearFieldCopyCaptions));
  for (const std::string_view line : data.lines) {
    if (!line.starts_with("//") || std::count(line.begin(), line.end(), ';') < 2) continue;
    std::vector<std::string> headings;
    static const CharSet kBlank = CharsOf(" ");
    for (const std::string& cell : SplitText(std::string(line.substr(2)), ";"))
      if (const std::string_view heading = Trimmed(cell, kBlank); !heading.empty())
        headings.emplace_back(heading);
    static const std::vector<std::string> kNearField = {"Freq", "Pwr", "E_H", "E_Hcorr", "Ur",
                                                        "Ui",   "Ir",  "Ii",  "Zr",      "Zi"};
    if (headings == kNearField) return captions;
    for (std::size_t k = 0; k < captions.size(); ++k)
      captions[k] = k < headings.size() ? "Copy " + headings[k] : "Copy Column " + std::to_string(k + 1);
    return captions;
  }
  return captions;
}

}  // namespace varnel
