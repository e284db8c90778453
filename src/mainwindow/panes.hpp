#pragma once
// The three text panes of the main window as lists of lines, and the only operations through
// which commands write to them. A binding keeps a PaneLook of what it last showed and asks
// ChangeSince what to redraw: nothing, only the lines appended since, or the whole pane.
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.hpp"
#include "util/shared_text.hpp"

namespace varnel {

// One line of a pane: a view of its characters, valid until the pane next changes. It converts
// to a std::string where one is needed.
struct PaneLine : std::string_view {
  PaneLine(std::string_view line) : std::string_view(line) {}
  operator std::string() const { return std::string(data(), size()); }
};

// The lines of a pane. Their characters live in a few large blocks, without the line breaks, and
// each line is a span of one, so a line costs about its text and a loaded text of a hundred
// thousand lines a few allocations, not one per line; blocks never move, and a cleared pane
// keeps them for the next lines. Reads like a
// std::vector<std::string> of the lines; changes go through the pane operations below.
class PaneLineList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = PaneLine;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = PaneLine;
    const_iterator() = default;
    const_iterator(const PaneLineList* list, std::size_t index) : list_(list), index_(index) {}
    PaneLine operator*() const { return (*list_)[index_]; }
    PaneLine operator[](difference_type n) const { return (*list_)[index_ + static_cast<std::size_t>(n)]; }
    const_iterator& operator++() { return ++index_, *this; }
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++index_;
      return old;
    }
    const_iterator& operator--() { return --index_, *this; }
    const_iterator operator--(int) {
      const_iterator old = *this;
      --index_;
      return old;
    }
    const_iterator& operator+=(difference_type n) { return index_ += static_cast<std::size_t>(n), *this; }
    const_iterator& operator-=(difference_type n) { return index_ -= static_cast<std::size_t>(n), *this; }
    friend const_iterator operator+(const_iterator i, difference_type n) { return i += n; }
    friend const_iterator operator+(difference_type n, const_iterator i) { return i += n; }
    friend const_iterator operator-(const_iterator i, difference_type n) { return i -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.index_ == b.index_; }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) {
      return a.index_ <=> b.index_;
    }

   private:
    const PaneLineList* list_ = nullptr;
    std::size_t index_ = 0;
  };
  using iterator = const_iterator;
  using value_type = PaneLine;
  using size_type = std::size_t;

  PaneLineList() = default;
  PaneLineList(const PaneLineList& other);
  PaneLineList& operator=(const PaneLineList& other);
  PaneLineList(PaneLineList&&) noexcept = default;
  PaneLineList& operator=(PaneLineList&&) noexcept = default;
  PaneLineList(std::initializer_list<std::string_view> lines);
  PaneLineList(const std::vector<std::string>& lines);

  std::size_t size() const { return Indexed().size(); }
  bool empty() const { return Indexed().size() == 0; }
  PaneLine operator[](std::size_t i) const {
    const Span& span = Indexed()[i];
    return std::string_view(stores_[span.store] + span.offset, span.size);
  }
  PaneLine at(std::size_t i) const;
  PaneLine front() const { return (*this)[0]; }
  PaneLine back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }
  operator std::vector<std::string>() const { return std::vector<std::string>(begin(), end()); }

  // Removes every line; the buffers stay for the next lines.
  void clear();
  void push_back(std::string_view line);
  void pop_back();
  // Appends prefix + text as lines (see AddLine); the text's bytes are copied in one piece.
  void AddText(std::string_view text, std::string_view prefix);
  // Appends the text as lines (see AddLine) without copying it: the lines refer to the text,
  // which the list keeps until it is cleared. Where its lines lie is worked out when the lines
  // are first looked at (a headless run that never shows the pane never does it).
  void AddShared(std::shared_ptr<const std::string> text);
  // Line i with text added at its end.
  void AppendTo(std::size_t i, std::string_view text);
  // The count lines from `from` on give way to `lines` (the pane's line count changes by the
  // difference). Only the new lines' characters are copied; the spans after them move.
  void Replace(std::size_t from, std::size_t count, const std::vector<std::string>& lines);

  // The bytes the list holds on the heap: characters, spans and the room kept for more (a
  // shared text belongs to all its holders and is not counted).
  std::size_t HeapBytes() const;

  friend bool operator==(const PaneLineList& a, const PaneLineList& b);
  friend bool operator==(const PaneLineList& a, const std::vector<std::string>& b);

 private:
  // A line: its characters stand at offset in a store, a stretch of at most 4 GiB of a block or
  // of a shared text (a longer one is several stores, one after the other), so a line costs 12
  // bytes besides its characters.
  struct Span {
    std::uint32_t store, offset, size;
  };
  // The spans in chunks of a fixed count: growing never copies them, and the room held beyond
  // the last one stays below one chunk.
  class SpanList {
   public:
    std::size_t size() const { return size_; }
    const Span& operator[](std::size_t i) const { return chunks_[i / kChunk][i % kChunk]; }
    Span& operator[](std::size_t i) { return chunks_[i / kChunk][i % kChunk]; }
    void push_back(const Span& span);
    void pop_back() { --size_; }
    void Truncate(std::size_t size) { size_ = size; }
    // Keeps the chunks for the next spans.
    void clear() { size_ = 0; }
    std::size_t HeapBytes() const {
      return chunks_.capacity() * sizeof(chunks_[0]) + chunks_.size() * kChunk * sizeof(Span);
    }

   private:
    static constexpr std::size_t kChunk = 4096;
    std::vector<std::unique_ptr<Span[]>> chunks_;
    std::size_t size_ = 0;
  };
  struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0, capacity = 0;
    std::uint32_t store = 0;  // its first store
  };
  // Room for size more characters at the end of the current block; returns where they go.
  char* Reserve(std::size_t size);
  // The span of size characters at offset from the start of the stores from first on.
  static Span StoreSpan(std::uint32_t first, std::uint64_t offset, std::size_t size);
  // The span of size characters at `at` in the current block.
  Span BlockSpan(const char* at, std::size_t size) const;
  // Registers the stores of size characters at base; returns the first.
  std::uint32_t AddStores(const char* base, std::size_t size) const;
  void CompactIfWasteful();
  // Appends a span for every line of a shared text, whose stores start at first.
  void AddSharedSpans(std::string_view text, std::uint32_t first) const;
  // The spans, those of a shared text added last included.
  const SpanList& Indexed() const {
    if (unindexed_) IndexShared();
    return spans_;
  }
  void IndexShared() const;

  std::vector<Block> blocks_;
  std::size_t current_ = 0;  // the block being filled (blocks after it are empty)
  mutable SpanList spans_;
  mutable std::vector<const char*> stores_;
  std::size_t used_ = 0, unused_ = 0;    // characters in the blocks that lines refer to / no longer do
  mutable std::size_t sharedBytes_ = 0;  // characters of the shared texts
  mutable std::vector<std::shared_ptr<const std::string>> shared_;  // texts that lines refer to in place
  mutable std::shared_ptr<const std::string> unindexed_;  // the shared text added last, no spans yet
};

struct Pane {
  PaneLineList lines;               // no line-end characters inside a line
  std::string hint;                 // hover hint (pane M: "Showing: " + path)
  std::uint64_t revision = 0;       // increases with every change of lines
  std::uint64_t rewrites = 0;       // increases with every change other than appending lines
  std::uint64_t scrollRequest = 0;  // increases with every ScrollToTop
  std::uint64_t clears = 0;         // increases with every ClearPane
};

// Removes all lines.
void ClearPane(Pane& pane);
// Appends prefix + text; a text holding CR LF breaks becomes several lines; "" appends one
// empty line. Amortised O(length of text).
void AddLine(Pane& pane, const std::string& text, const std::string& prefix = "");
// AddLine without a prefix, the lines referring to the shared text instead of a copy of it.
void AddSharedLines(Pane& pane, const SharedText& text);
// Caret to the very start; the binding repaints and shows the first line.
void ScrollToTop(Pane& pane);
// The last line with text added at its end (the pane must hold a line; on an empty pane the
// text becomes the one line).
void AppendToLastLine(Pane& pane, const std::string& text);
// Line index with text added at its end; nothing happens when the pane has no such line.
void AppendToLine(Pane& pane, std::size_t index, const std::string& text);
// All lines replaced by others.
void ReplacePaneLines(Pane& pane, const std::vector<std::string>& lines);
// The count lines from `from` on replaced by `lines` (an edit): only the edited lines are
// copied, whatever the pane's size.
void ReplaceLines(Pane& pane, std::size_t from, std::size_t count, const std::vector<std::string>& lines);

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

// The captions of the Data pane's ten column entries, for the table the pane holds: the
// near-field table's columns (and a pane without a table) keep the captions that name them,
// "Copy Frequencies" ... "Copy Imag(Z)"; another table's entries take its headings from its
// first "//" line of cells ("Copy Cyl.", "Copy Freq"), and the entries past its last column
// read "Copy Column 7".
std::vector<std::string> CopyEntryCaptions(const Pane& data);
inline constexpr const char* kNearFieldCopyCaptions[10] = {
    "Copy Frequencies", "Copy Power",   "Copy Field",   "Copy corr. Field", "Copy Real(V)",
    "Copy Imag(V)",     "Copy Real(I)", "Copy Imag(I)", "Copy Real(Z)",     "Copy Imag(Z)"};

// Every line followed by CR LF, the last one included.
std::string PaneText(const Pane& pane);
void CopyPaneToClipboard(UserInterface& ui, const Pane& pane);
void CopyTextToClipboard(UserInterface& ui, const std::string& text);

}  // namespace varnel
