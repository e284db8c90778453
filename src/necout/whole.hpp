#pragma once
// Whether an output print is a whole engine run, and whether it was made from a given deck: the
// one rule that decides which outputs Resume keeps, which ones a cluster task skips, and which
// ones the batch analyses read.
//
// Whole (PrintOutline::Whole, OutputPrint::Complete):
//   - the print ends with one of its layout's closing lines, or, after an NX card (the next
//     structure), with the engine's own error right behind that structure's banner (an engine
//     that cannot read a next structure), no card echoed and no table printed after it;
//   - every near-field table holds exactly the rows that the NE or NH card echoed last before
//     it (in the same structure) asks for: the product of its three point counts. A table whose
//     card is not echoed, or asks for 0 or an unprinted ("***") count, is not counted.
//
// Made from the deck (MadeFromDeck): the print echoes the deck's cards, and the two agree:
//   - the wires: each GW card of a structure (the cards before GE; NX begins the next one) has,
//     in the deck's order, a line in that structure's section of the print (the lines below its
//     STRUCTURE SPECIFICATION heading up to the next framed heading) holding its six
//     coordinates and radius one after the other, and its segment count and tag;
//   - the program cards (after GE, without comments and EN): the echoed cards ("DATA CARD",
//     "INPUT LINE") are the deck's, in order, by name and numbers (a field the deck leaves out
//     counts as 0). A print that ends at an NX card whose next structure the engine could not
//     read echoes the cards up to that NX card only.
//   Numbers agree within the precision the print gives them (six significant digits, five
//   decimals). A card whose fields are not all numbers (a symbol) is compared by its name only;
//   a kind of echo the print holds none of (no structure section, no echoed card) is not
//   compared. After EN the deck is not read.
//
// The print is read once, line by line; the rows of a near-field table are only counted.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "necout/print.hpp"

namespace varnel {

// The numbers of a line in order; nullopt stands for a field the engine could not print ("***").
using LineNumbers = std::span<const std::optional<double>>;

// Where the numbers of one line or echoed card lie among PrintOutline::numbers.
struct NumberRange {
  std::uint32_t begin = 0, end = 0;
};

// One echoed program card: its two-letter name (upper case) and its numbers.
struct EchoedCard {
  std::string name;
  NumberRange numbers;
};

// What one pass over a print finds.
struct PrintOutline {
  bool layoutKnown = false;
  bool endsWithClosingLine = false;
  bool endsAtNextStructure = false;  // the NX end described above
  // The first near-field table whose rows are not the ones asked for: its heading's line number
  // (one-based; 0 when every table is whole), the rows it holds and the rows asked for.
  std::size_t shortTableLine = 0, shortTableRows = 0, shortTableAsked = 0;
  std::size_t nearFieldTables = 0;                   // the near-field tables of the print
  std::vector<EchoedCard> cards;                     // in the print's order
  std::vector<std::vector<NumberRange>> structures;  // each structure section's lines
  // The numbers of the cards and structure lines, one after the other (one buffer for them all).
  std::vector<std::optional<double>> numbers;

  LineNumbers Numbers(NumberRange range) const {
    return LineNumbers(numbers).subspan(range.begin, range.end - range.begin);
  }
  bool Whole() const {
    return layoutKnown && (endsWithClosingLine || endsAtNextStructure) && shortTableLine == 0;
  }
};

PrintOutline OutlineOf(const OutputPrint& print);

// OutlineOf in steps, for a print read in parts: the lines are walked up to a position, and the
// walk can go on over a longer text that begins with the bytes walked so far (the head of a
// file, then the head with more of the file behind it), each line walked once.
class OutlineWalk {
 public:
  explicit OutlineWalk(const OutputPrint& print) : OutlineWalk(print.Layout(), print.Text()) {}
  // The walk of a text read in the given layout (nullptr: an unknown engine's print).
  OutlineWalk(const PrintLayout* layout, std::string_view text);
  // Walks the lines that begin before the position (a near-field table whose heading is among
  // them is walked to its end).
  void WalkTo(std::size_t to);
  // A near-field table the walk stopped before: where its heading line begins (npos when the
  // walk met none) and the rows its NE or NH card asks for.
  struct TableAhead {
    std::size_t heading = OutputPrint::npos;
    std::optional<std::size_t> asked;
  };
  // WalkTo, stopping before the heading line of the first near-field table it meets.
  TableAhead WalkToNearField(std::size_t to);
  // Goes on over this text, which begins with the bytes walked so far.
  void Over(std::string_view text) { text_ = text; }
  // The table whose heading line begins at the position holds this many rows more than the text
  // shows (rows left unread between its first and its last row).
  void LeaveOutRows(std::size_t heading, std::size_t rows) {
    leftOutAt_ = heading;
    leftOut_ = rows;
  }
  // The outline of the lines walked, their last line taken as the print's last; the walk ends
  // with it.
  PrintOutline Outline() &&;

 private:
  // Walks one line (it begins at at_); false, with nothing walked, when it is the heading line
  // of a near-field table and the walk stops before such tables.
  bool WalkLine(bool stopAtNearField);
  // Appends the numbers of the text to outline_.numbers; a readable byte that continues no
  // number follows the text when terminated.
  NumberRange KeepNumbers(std::string_view text, bool terminated);

  const PrintLayout* layout_;
  std::string_view text_;
  PrintOutline outline_;
  std::size_t at_ = 0, shortTableAt_ = OutputPrint::npos;
  std::size_t leftOutAt_ = OutputPrint::npos, leftOut_ = 0;
  std::optional<std::size_t> askedElectric_, askedMagnetic_, lastLine_, aheadAsked_;
  std::size_t banners_ = 0, echoedSinceBanner_ = 0, tablesSinceBanner_ = 0;
  bool lastWasNx_ = false, bannerAfterNx_ = false, inStructure_ = false, blankAbove_ = false;
};

// Whether the outlined print was made from the deck (its text as read from the file).
bool MadeFromDeck(const PrintOutline& outline, std::string_view deck);

}  // namespace varnel
