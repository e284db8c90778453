// Whether a print is whole and whether it was made from a deck; the rules are in whole.hpp.
#include "necout/whole.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <span>
#include <utility>

#include "necout/lines.hpp"
#include "necout/rows.hpp"
#include "util/decimal.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number at [from, end) as std::from_chars reads it (a '-' or a digit or a point before a
// digit first); the forms one exact operation converts are converted so, the others the long way.
// Terminated: the byte at end is readable and continues no number (a blank, a line end), so the
// scan needs no bounds checks.
template <bool Terminated = false>
std::from_chars_result ReadNumber(const char* from, const char* end, double& value) {
  const char* const digits = from + (from < end && *from == '-' ? 1 : 0);
  if (digits < end && (IsDigit(*digits) || (*digits == '.' && digits + 1 < end && IsDigit(digits[1])))) {
    DecimalParts parts;
    const char* const next = ScanDecimal<Terminated>(from, end, '.', '.', parts);
    if (next != nullptr && ExactDecimal(parts, value)) return {next, std::errc()};
  }
  return std::from_chars(from, end, value);
}

// Appends the numbers of a text one after the other: a number begins at a digit, or at a sign or
// point before a digit; numbers glued to each other ("1.0E+00-2.0E+00") are taken apart; a run
// of '*' is a field the engine could not print. Everything else is skipped.
template <bool Terminated>
void AppendNumbers(std::string_view text, std::vector<std::optional<double>>& numbers) {
  const char* const end = text.data() + text.size();
  for (const char* at = text.data(); at < end;) {
    if (*at == ' ') {
      ++at;
      continue;
    }
    if (*at == '*') {
      while (at < end && *at == '*') ++at;
      numbers.push_back(std::nullopt);
      continue;
    }
    const char* start = at;
    if (*start == '+' && start + 1 < end) ++start;
    const bool begins =
        IsDigit(*start) || ((*start == '-' || *start == '.') && start + 1 < end &&
                            (IsDigit(start[1]) || (start[1] == '.' && start + 2 < end && IsDigit(start[2]))));
    double value = 0;
    const auto [next, error] = begins ? ReadNumber<Terminated>(start, end, value)
                                      : std::from_chars_result{start, std::errc::invalid_argument};
    if (error == std::errc() && next > start) {
      numbers.push_back(value);
      at = next;
    } else {
      ++at;
    }
  }
}

// The card an echo line names ("DATA CARD No:   4 NX   0 ...", "***** INPUT LINE  6  NX ..."):
// behind the words, the first word of two letters is its name, and its numbers follow it.
struct CardEcho {
  std::string name;
  std::string_view numbers;
};
std::optional<CardEcho> EchoedCardOf(std::string_view line) {
  std::size_t at = FindFolded(line, "DATA CARD");
  if (at == std::string_view::npos) at = FindFolded(line, "INPUT LINE");
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = line.substr(at + 9);
  while (!rest.empty()) {
    const std::size_t begin = rest.find_first_not_of(' ');
    if (begin == std::string_view::npos) break;
    rest.remove_prefix(begin);
    const std::string_view word = rest.substr(0, rest.find(' '));
    rest.remove_prefix(word.size());
    if (word.size() == 2 && std::isalpha(static_cast<unsigned char>(word[0])) &&
        std::isalpha(static_cast<unsigned char>(word[1])))
      return CardEcho{{UpperLetter(word[0]), UpperLetter(word[1])}, rest};
  }
  return std::nullopt;
}

// The line holds a number's first character after its blanks: a row of a table.
bool IsNumericLine(std::string_view line) {
  const std::size_t first = FirstNotOf(line, " \t");
  if (first == std::string_view::npos) return false;
  const std::string_view rest = line.substr(first);
  const std::size_t sign = rest[0] == '-' || rest[0] == '+' ? 1 : 0;
  const std::size_t point = rest.size() > sign && rest[sign] == '.' ? 1 : 0;
  return rest.size() > sign + point && IsDigit(rest[sign + point]);
}

bool IsBoxLine(std::string_view line) { return FirstNotOf(line, " |_*\t") == std::string_view::npos; }

bool BeginsWithAny(std::string_view line, const std::array<std::string_view, 2>& marks) {
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  line.remove_prefix(first);
  for (std::string_view mark : marks)
    if (!mark.empty() && EqualNoCase(line.substr(0, mark.size()), mark)) return true;
  return false;
}

// The line that begins at `at`, without its line end, and where the next one begins.
struct Line {
  std::string_view text;
  std::size_t next;
};
Line LineFrom(std::string_view text, std::size_t at) {
  const void* hit = std::memchr(text.data() + at, '\n', text.size() - at);
  std::size_t end = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
  const std::size_t next = hit ? end + 1 : text.size();
  if (end > at && text[end - 1] == '\r') --end;
  return {text.substr(at, end - at), next};
}

// How many rows a near-field table holds from position at, and where the line after them
// begins: rows are lines that begin with a number, up to a line shorter than two characters,
// one beginning with the layout's end mark, or the text's end.
std::size_t CountRows(std::string_view text, std::size_t& at, std::string_view endMark) {
  std::size_t rows = 0;
  while (at < text.size()) {
    const Line line = LineFrom(text, at);
    const std::string_view trimmed = rows_detail::TrimRow(line.text);
    if (trimmed.size() < 2 || !IsNumericLine(trimmed)) break;
    if (!endMark.empty() && EqualNoCase(trimmed.substr(0, endMark.size()), endMark)) break;
    ++rows;
    at = line.next;
  }
  return rows;
}

// The rows an NE or NH card asks for; nullopt where the card does not say.
std::optional<std::size_t> AskedRows(LineNumbers numbers) {
  if (numbers.size() < 4) return std::nullopt;
  std::size_t rows = 1;
  for (std::size_t i = 1; i < 4; ++i) {
    if (!numbers[i] || *numbers[i] < 1 || *numbers[i] > 1e7) return std::nullopt;
    rows *= static_cast<std::size_t>(*numbers[i]);
  }
  return rows;
}

// Whether the line (its framed text given) is the heading.
bool IsTableHeading(const TableHeading& heading, std::string_view line, std::string_view framed,
                    bool blankAbove) {
  if (heading.text.empty()) return false;
  if (heading.form == HeadingForm::Framed) return EqualNoCase(framed, heading.text);
  return blankAbove && FindFolded(line, heading.text) != std::string_view::npos;
}

}  // namespace

OutlineWalk::OutlineWalk(const PrintLayout* layout, std::string_view text) : layout_(layout), text_(text) {
  outline_.layoutKnown = layout != nullptr;
}

void OutlineWalk::WalkTo(std::size_t to) {
  if (layout_ == nullptr) return;
  to = std::min(to, text_.size());
  while (at_ < to) WalkLine(false);
}

OutlineWalk::TableAhead OutlineWalk::WalkToNearField(std::size_t to) {
  if (layout_ == nullptr) return {};
  to = std::min(to, text_.size());
  while (at_ < to)
    if (!WalkLine(true)) return {at_, aheadAsked_};
  return {};
}

bool OutlineWalk::WalkLine(bool stopAtNearField) {
  const NearFieldPlace& nearField = layout_->nearField;
  const Line line = LineFrom(text_, at_);
  const std::size_t begin = at_;
  at_ = line.next;
  if (IsBlankLine(line.text)) {
    blankAbove_ = true;
    return true;
  }
  const std::optional<std::size_t> lineBefore = lastLine_;
  lastLine_ = begin;
  const bool wasBlankAbove = blankAbove_;
  blankAbove_ = false;
  const bool terminated = line.text.data() + line.text.size() < text_.data() + text_.size();
  if (IsNumericLine(line.text)) {
    if (inStructure_) outline_.structures.back().push_back(KeepNumbers(line.text, terminated));
    lastWasNx_ = false;
    return true;
  }
  if (FindFolded(line.text, kBannerWords) != std::string_view::npos) {
    ++banners_;
    bannerAfterNx_ = lastWasNx_;
    echoedSinceBanner_ = tablesSinceBanner_ = 0;
    askedElectric_ = askedMagnetic_ = std::nullopt;
    inStructure_ = false;
    return true;
  }
  if (IsBoxLine(line.text)) return true;
  if (std::optional<CardEcho> echo = EchoedCardOf(line.text)) {
    const EchoedCard card{std::move(echo->name), KeepNumbers(echo->numbers, terminated)};
    lastWasNx_ = card.name == "NX";
    if (card.name == "NE") askedElectric_ = AskedRows(outline_.Numbers(card.numbers));
    if (card.name == "NH") askedMagnetic_ = AskedRows(outline_.Numbers(card.numbers));
    ++echoedSinceBanner_;
    outline_.cards.push_back(card);
    return true;
  }
  lastWasNx_ = false;
  const std::string_view framed = FramedText(line.text);
  if (!framed.empty()) inStructure_ = false;
  if (EqualNoCase(framed, "STRUCTURE SPECIFICATION")) {
    inStructure_ = true;
    outline_.structures.emplace_back();
    return true;
  }
  if (inStructure_) {
    outline_.structures.back().push_back(KeepNumbers(line.text, terminated));
    return true;
  }
  const bool electric = IsTableHeading(nearField.electric, line.text, framed, wasBlankAbove);
  if (!electric && !IsTableHeading(nearField.magnetic, line.text, framed, wasBlankAbove)) return true;
  const std::optional<std::size_t> asked = electric ? askedElectric_ : askedMagnetic_;
  if (stopAtNearField) {
    // Walked again when the walk goes on: everything above is the same the second time.
    at_ = begin;
    lastLine_ = lineBefore;
    blankAbove_ = wasBlankAbove;
    aheadAsked_ = asked;
    return false;
  }
  ++tablesSinceBanner_;
  ++outline_.nearFieldTables;
  if (!asked) return true;
  const std::size_t first = FirstRowBelow(text_, begin, nearField.titleMark);
  std::size_t after = first == OutputPrint::npos ? at_ : first;
  std::size_t rows = first == OutputPrint::npos ? 0 : CountRows(text_, after, nearField.endMark);
  if (begin == leftOutAt_) rows += leftOut_;
  if (rows != *asked && shortTableAt_ == OutputPrint::npos) {
    shortTableAt_ = begin;
    outline_.shortTableRows = rows;
    outline_.shortTableAsked = *asked;
  }
  at_ = std::max(at_, after);
  return true;
}

NumberRange OutlineWalk::KeepNumbers(std::string_view text, bool terminated) {
  std::vector<std::optional<double>>& numbers = outline_.numbers;
  const std::size_t begin = numbers.size();
  if (terminated)
    AppendNumbers<true>(text, numbers);
  else
    AppendNumbers<false>(text, numbers);
  return {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(numbers.size())};
}

PrintOutline OutlineWalk::Outline() && {
  PrintOutline outline = std::move(outline_);
  if (layout_ == nullptr) return outline;
  if (shortTableAt_ != OutputPrint::npos) outline.shortTableLine = LineNumberAt(text_, shortTableAt_);
  const std::string_view lastLine = lastLine_ ? LineFrom(text_, *lastLine_).text : std::string_view();
  outline.endsWithClosingLine = BeginsWithAny(lastLine, layout_->closingLines);
  outline.endsAtNextStructure = banners_ >= 2 && bannerAfterNx_ && echoedSinceBanner_ == 0 &&
                                tablesSinceBanner_ == 0 &&
                                FindFolded(lastLine, "ERROR") != std::string_view::npos;
  return outline;
}

PrintOutline OutlineOf(const OutputPrint& print) {
  OutlineWalk walk(print);
  walk.WalkTo(OutputPrint::npos);
  return std::move(walk).Outline();
}

namespace {

// A card of the deck: its name and where its numbers lie among DeckCards::numbers (a card
// whose fields are not all numbers has none).
struct DeckCard {
  std::string name;
  std::optional<NumberRange> numbers;
};

struct DeckCards {
  std::vector<std::vector<DeckCard>> wires;  // the GW cards of each structure
  std::vector<DeckCard> program;
  std::vector<double> numbers;

  std::span<const double> Numbers(NumberRange range) const {
    return std::span<const double>(numbers).subspan(range.begin, range.end - range.begin);
  }
};

bool SeparatesFields(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r'; }

DeckCards CardsOf(std::string_view deck) {
  DeckCards cards;
  cards.wires.emplace_back();
  bool geometry = true;
  const char* const deckEnd = deck.data() + deck.size();
  for (std::size_t at = 0; at < deck.size();) {
    const Line line = LineFrom(deck, at);
    at = line.next;
    std::string_view rest = line.text;
    const std::size_t first = FirstNotOf(rest, " \t");
    if (first == std::string_view::npos || rest.size() < first + 2) continue;
    rest.remove_prefix(first);
    // A line that begins with no card name (a remark) is no card.
    if (!std::isalpha(static_cast<unsigned char>(rest[0])) ||
        !std::isalpha(static_cast<unsigned char>(rest[1])))
      continue;
    DeckCard card;
    card.name = {UpperLetter(rest[0]), UpperLetter(rest[1])};
    rest.remove_prefix(2);
    if (card.name == "CM" || card.name == "CE") continue;
    if (card.name == "EN") break;
    const std::size_t begin = cards.numbers.size();
    bool allNumbers = true;
    const char* const end = rest.data() + rest.size();
    for (const char* field = rest.data(); field < end;) {
      while (field < end && SeparatesFields(*field)) ++field;
      if (field == end || *field == '\'' || *field == '!') break;  // a remark behind the fields
      const char* const from = field + (*field == '+' ? 1 : 0);
      double value = 0;
      // The number is read up to the first byte that continues none; the field is that number
      // when a separator or the line's end follows it. Behind the line lies a line end, unless
      // the deck ends there.
      auto [next, error] =
          end < deckEnd ? ReadNumber<true>(from, end, value) : ReadNumber<false>(from, end, value);
      if (error != std::errc() || next == from || (next < end && !SeparatesFields(*next))) {
        allNumbers = false;
        next = std::max(next, from);
        while (next < end && !SeparatesFields(*next)) ++next;
      }
      cards.numbers.push_back(value);
      field = next;
    }
    if (allNumbers)
      card.numbers =
          NumberRange{static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(cards.numbers.size())};
    else
      cards.numbers.resize(begin);
    if (geometry) {
      if (card.name == "GE") geometry = false;
      if (card.name == "GW") cards.wires.back().push_back(std::move(card));
      continue;
    }
    if (card.name == "NX") {
      geometry = true;
      cards.wires.emplace_back();
    }
    cards.program.push_back(std::move(card));
  }
  return cards;
}

// Agreement within what a print of six significant digits or five decimals keeps.
bool NearWire(double deck, const std::optional<double>& printed) {
  return !printed || std::fabs(deck - *printed) <= 6e-6 + 6e-6 * std::fabs(deck);
}
bool NearCard(double deck, const std::optional<double>& printed) {
  return !printed || std::fabs(deck - *printed) <= 6e-6 * std::max(std::fabs(deck), std::fabs(*printed));
}

// The line holds the wire's coordinates and radius one after the other, its segment count and
// its tag.
bool HoldsWire(LineNumbers line, const std::array<double, 9>& wire) {
  if (line.size() < 7) return false;
  auto holds = [&](double value) {
    return std::any_of(line.begin(), line.end(), [&](const auto& n) { return n && *n == value; });
  };
  for (std::size_t j = 0; j + 7 <= line.size(); ++j) {
    bool same = true;
    for (std::size_t k = 0; k < 7 && same; ++k) same = NearWire(wire[2 + k], line[j + k]);
    if (same) return holds(wire[0]) && holds(wire[1]);
  }
  return false;
}

bool WiresAgree(const DeckCards& cards, const std::vector<DeckCard>& wires,
                const std::vector<NumberRange>& lines, const PrintOutline& outline) {
  std::size_t next = 0;
  for (const DeckCard& wire : wires) {
    if (!wire.numbers) continue;
    // The fields a GW card leaves out are 0.
    const std::span<const double> fields = cards.Numbers(*wire.numbers);
    std::array<double, 9> numbers{};
    std::copy_n(fields.begin(), std::min(fields.size(), numbers.size()), numbers.begin());
    while (next < lines.size() && !HoldsWire(outline.Numbers(lines[next]), numbers)) ++next;
    if (next == lines.size()) return false;
    ++next;
  }
  return true;
}

bool CardsAgree(const DeckCards& cards, const DeckCard& deck, const EchoedCard& echo,
                const PrintOutline& outline) {
  if (deck.name != echo.name) return false;
  if (!deck.numbers) return true;
  const std::span<const double> fields = cards.Numbers(*deck.numbers);
  const LineNumbers echoed = outline.Numbers(echo.numbers);
  for (std::size_t k = 0; k < echoed.size(); ++k)
    if (!NearCard(k < fields.size() ? fields[k] : 0.0, echoed[k])) return false;
  return true;
}

}  // namespace

bool MadeFromDeck(const PrintOutline& outline, std::string_view deck) {
  const DeckCards cards = CardsOf(deck);
  const std::size_t structures = std::min(cards.wires.size(), outline.structures.size());
  for (std::size_t s = 0; s < structures; ++s)
    if (!WiresAgree(cards, cards.wires[s], outline.structures[s], outline)) return false;

  std::vector<const EchoedCard*> echoed;
  for (const EchoedCard& card : outline.cards)
    if (card.name != "EN") echoed.push_back(&card);
  if (echoed.empty()) return true;
  if (echoed.size() != cards.program.size()) {
    // The engine stopped at an NX card it echoed: the cards up to it are compared.
    const bool stoppedAtNx =
        outline.endsAtNextStructure && echoed.size() < cards.program.size() && echoed.back()->name == "NX";
    if (!stoppedAtNx) return false;
  }
  for (std::size_t i = 0; i < echoed.size(); ++i)
    if (!CardsAgree(cards, cards.program[i], *echoed[i], outline)) return false;
  return true;
}

}  // namespace varnel
