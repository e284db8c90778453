#include "print_layout.hpp"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>

#include "util/format.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlankChar(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankChar(text.back())) text.remove_suffix(1);
  return text;
}

bool IsBlankLine(std::string_view line) { return Trimmed(line).empty(); }

std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlankChar(line[i])) ++i;
    std::size_t start = i;
    while (i < line.size() && !IsBlankChar(line[i])) ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

std::optional<double> ParseReal(std::string_view token) {
  double value = 0;
  const char* first = token.data();
  const char* last = token.data() + token.size();
  if (first != last && *first == '+') ++first;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

std::optional<long long> ParseInt(std::string_view token) {
  long long value = 0;
  auto [ptr, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (ec != std::errc() || ptr != token.data() + token.size()) return std::nullopt;
  return value;
}

// A row of intCount integers followed by realCount reals (further tokens not allowed).
struct Row {
  std::vector<long long> ints;
  std::vector<double> reals;
};

std::optional<Row> ParseRow(std::string_view line, std::size_t intCount, std::size_t realCount) {
  std::vector<std::string_view> tokens = Tokens(line);
  if (tokens.size() != intCount + realCount) return std::nullopt;
  Row row;
  for (std::size_t i = 0; i < intCount; ++i) {
    auto v = ParseInt(tokens[i]);
    if (!v) return std::nullopt;
    row.ints.push_back(*v);
  }
  for (std::size_t i = intCount; i < tokens.size(); ++i) {
    auto v = ParseReal(tokens[i]);
    if (!v) return std::nullopt;
    row.reals.push_back(*v);
  }
  return row;
}

std::string RightAligned(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// At least one blank in front, so that neighbouring numbers never touch.
std::string Separated(std::string text, std::size_t width) {
  text = RightAligned(std::move(text), width);
  if (text.empty() || text.front() != ' ') text.insert(0, 1, ' ');
  return text;
}

std::string Centered(std::string_view text, std::size_t width) {
  if (text.size() >= width) return std::string(text);
  std::size_t left = (width - text.size()) / 2;
  std::string result(left, ' ');
  result += text;
  result.append(width - result.size(), ' ');
  return result;
}

std::string Int(long long value, int width) {
  return FormatInt("%" + std::to_string(width) + "d", value);
}

// The title of a heading line such as "   --------- FREQUENCY --------", or "" when the line
// is no heading.
std::string_view HeadingTitle(std::string_view line) {
  std::string_view t = Trimmed(line);
  if (t.empty() || t.front() != '-') return {};
  while (!t.empty() && t.front() == '-') t.remove_prefix(1);
  while (!t.empty() && t.back() == '-') t.remove_suffix(1);
  return Trimmed(t);
}

// A power of the budget in 11 characters. The reader cuts the 10 characters behind the first
// one, where "%11.4E" puts the sign of a negative value; so a negative value is written as a
// blank and the value in 10 characters, with as many decimals as fit and the exponent without
// leading zeros ("-2.2500E-3", "-1.043E-12"). nec2c prints small negative input powers for
// sets of many sources whose phases nearly cancel.
std::string PowerField(double value) {
  if (!(value < 0) || std::isinf(value)) return FortranE(value, 11, 4);
  for (int decimals = 4; decimals >= 0; --decimals) {
    std::string text = FortranE(value, 0, decimals);
    std::size_t e = text.find('E');
    std::size_t digits = e + 2;  // after 'E' and the exponent's sign
    while (digits + 1 < text.size() && text[digits] == '0') text.erase(digits, 1);
    if (text.size() <= 10) return " " + RightAligned(text, 10);
  }
  return " " + FortranE(value, 0, 0);
}

std::string_view Indentation(std::string_view line) {
  std::size_t n = 0;
  while (n < line.size() && line[n] == ' ') ++n;
  return line.substr(0, n);
}

class Rewriter {
 public:
  explicit Rewriter(std::string_view text) {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) {
        if (start < text.size()) lines_.push_back(StripCr(text.substr(start)));
        break;
      }
      lines_.push_back(StripCr(text.substr(start, end - start)));
      start = end + 1;
    }
  }

  std::string Run() {
    while (i_ < lines_.size()) {
      std::string_view title = HeadingTitle(lines_[i_]);
      bool done = false;
      if (title == "FREQUENCY") done = Frequency();
      else if (title == "ANTENNA INPUT PARAMETERS") done = AntennaInput();
      else if (title == "CURRENTS AND LOCATION") done = Currents();
      else if (title == "POWER BUDGET") done = PowerBudget();
      else if (title == "NEAR ELECTRIC FIELDS" || title == "NEAR MAGNETIC FIELDS") done = NearFields(title);
      if (!done) Emit(std::string(lines_[i_++]));
    }
    std::string result;
    for (const std::string& line : out_) {
      result += line;
      result += "\r\n";
    }
    return result;
  }

 private:
  static std::string_view StripCr(std::string_view line) {
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }
  void Emit(std::string line) { out_.push_back(std::move(line)); }
  // A heading line of our own, without trailing blanks.
  void EmitHeading(std::string line) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    Emit(std::move(line));
  }

  // Looks ahead from the line after the keyword line for the first row that parses; the lines
  // in between are the section's heading lines. Nothing when no row follows within a few lines.
  std::optional<std::size_t> FirstRow(std::size_t intCount, std::size_t realCount) const {
    for (std::size_t j = i_ + 1; j < lines_.size() && j <= i_ + 8; ++j) {
      if (ParseRow(lines_[j], intCount, realCount)) return j;
    }
    return std::nullopt;
  }

  bool Frequency() {
    Emit(std::string(lines_[i_++]));
    while (i_ < lines_.size() && !IsBlankLine(lines_[i_])) {
      std::string_view line = lines_[i_];
      std::size_t colon = line.find(':');
      std::string rewritten(line);
      if (colon != std::string_view::npos) {
        std::string_view key = Trimmed(line.substr(0, colon));
        std::vector<std::string_view> rest = Tokens(line.substr(colon + 1));
        std::optional<double> value = rest.empty() ? std::nullopt : ParseReal(rest[0]);
        if (value && (key == "FREQUENCY" || key == "WAVELENGTH")) {
          rewritten = std::string(Indentation(line)) + std::string(key) + "= " + FortranE(*value, 10, 4) +
                      (key == "FREQUENCY" ? " MHZ" : " METERS");
        }
      }
      Emit(std::move(rewritten));
      ++i_;
    }
    return true;
  }

  bool AntennaInput() {
    std::optional<std::size_t> first = FirstRow(2, 9);
    if (!first) return false;
    Emit(std::string(lines_[i_]));
    Emit("");
    std::string heading1 = "   TAG   SEG";
    for (const char* group : {"VOLTAGE (VOLTS)", "CURRENT (AMPS)", "IMPEDANCE (OHMS)", "ADMITTANCE (MHOS)"})
      heading1 += Centered(group, 24);
    heading1 += Centered("POWER", 12);
    std::string heading2 = "   NO.   NO.";
    for (int k = 0; k < 4; ++k) heading2 += Centered("REAL", 12) + Centered("IMAGINARY", 12);
    heading2 += Centered("(WATTS)", 12);
    EmitHeading(heading1);
    EmitHeading(heading2);
    i_ = *first;
    while (i_ < lines_.size()) {
      std::optional<Row> row = ParseRow(lines_[i_], 2, 9);
      if (!row) break;
      std::string line = Int(row->ints[0], 6) + Int(row->ints[1], 6);
      for (double v : row->reals) line += FortranE(v, 12, 5);
      Emit(std::move(line));
      ++i_;
    }
    return true;
  }

  bool Currents() {
    std::optional<std::size_t> first = FirstRow(2, 8);
    if (!first) return false;
    std::string distances = "                                  DISTANCES IN WAVELENGTHS";
    for (std::size_t j = i_ + 1; j < *first; ++j) {
      if (lines_[j].find("DISTANCES") != std::string_view::npos) distances = std::string(lines_[j]);
    }
    Emit(std::string(lines_[i_]));
    Emit("");
    Emit(distances);
    Emit("");
    Emit("");
    EmitHeading(" " + RightAligned("SEG", 5) + RightAligned("TAG", 5) + "  COORDINATES OF SEGM CENTER" +
         RightAligned("SEGM", 8) + " " + Centered("------------- CURRENT (AMPS) -------------", 45));
    EmitHeading(" " + RightAligned("NO.", 5) + RightAligned("NO.", 5) + RightAligned("X", 9) + RightAligned("Y", 9) +
         RightAligned("Z", 9) + RightAligned("LENGTH", 9) + " " + RightAligned("REAL", 12) +
         RightAligned("IMAGINARY", 12) + RightAligned("MAGN", 12) + RightAligned("PHASE", 9));
    i_ = *first;
    while (i_ < lines_.size()) {
      std::optional<Row> row = ParseRow(lines_[i_], 2, 8);
      if (!row) break;
      const std::vector<double>& r = row->reals;
      std::string line = " " + Int(row->ints[0], 5) + Int(row->ints[1], 5) + FortranF(r[0], 9, 4) +
                         FortranF(r[1], 9, 4) + FortranF(r[2], 9, 4) + FortranF(r[3], 9, 5) + " " +
                         FortranE(r[4], 12, 4) + FortranE(r[5], 12, 4) + FortranE(r[6], 12, 4) +
                         FortranF(r[7], 9, 3);
      Emit(std::move(line));
      ++i_;
    }
    return true;
  }

  bool PowerBudget() {
    Emit(std::string(lines_[i_++]));
    while (i_ < lines_.size() && !IsBlankLine(lines_[i_])) {
      std::string_view line = lines_[i_];
      std::string rewritten(line);
      std::size_t equals = line.find('=');
      if (equals != std::string_view::npos) {
        std::vector<std::string_view> rest = Tokens(line.substr(equals + 1));
        std::optional<double> value = rest.size() == 2 ? ParseReal(rest[0]) : std::nullopt;
        if (value && (rest[1] == "Watts" || rest[1] == "WATTS")) {
          rewritten = std::string(line.substr(0, equals + 1)) + PowerField(*value) + " WATTS";
        }
      }
      Emit(std::move(rewritten));
      ++i_;
    }
    return true;
  }

  bool NearFields(std::string_view title) {
    std::optional<std::size_t> first = FirstRow(0, 9);
    if (!first) return false;
    std::vector<std::string> headings;
    for (std::size_t j = i_ + 1; j < *first; ++j) {
      if (!IsBlankLine(lines_[j])) headings.emplace_back(lines_[j]);
    }
    if (headings.size() != 3) {
      bool electric = title == "NEAR ELECTRIC FIELDS";
      std::string unit = electric ? "VOLTS/M" : "AMPS/M";
      std::string axis = electric ? "E" : "H";
      std::string groups = "     ------- LOCATION -------  ";
      std::string names = "      X         Y         Z    ";
      std::string units = "    METERS    METERS    METERS  ";
      for (const char* c : {"X", "Y", "Z"}) {
        groups += "   ------- " + axis + c + " ------";
        names += "    MAGNITUDE   PHASE";
        units += RightAligned(unit, 12) + " DEGREES";
      }
      headings = {groups, names, units};
    }
    Emit(std::string(lines_[i_]));
    Emit("");
    for (std::string& h : headings) Emit(std::move(h));
    i_ = *first;
    while (i_ < lines_.size()) {
      std::optional<Row> row = ParseRow(lines_[i_], 0, 9);
      if (!row) break;
      const std::vector<double>& r = row->reals;
      std::string line;
      for (int k = 0; k < 3; ++k) line += Separated(FortranF(r[k], 0, 4), 10);
      for (int k = 0; k < 3; ++k) {
        line += Separated(FortranE(r[3 + 2 * k], 0, 4), 13);
        line += Separated(FortranF(r[4 + 2 * k], 0, 2), 8);
      }
      Emit(std::move(line));
      ++i_;
    }
    if (i_ >= lines_.size() || !IsBlankLine(lines_[i_])) Emit("");
    return true;
  }

  std::vector<std::string_view> lines_;
  std::vector<std::string> out_;
  std::size_t i_ = 0;
};

}  // namespace

std::string DeckWithEndCard(std::string_view deck) {
  std::string result(deck);
  // The last non-blank line.
  std::size_t end = deck.size();
  while (end > 0 && IsBlankChar(deck[end - 1])) --end;
  std::size_t start = deck.rfind('\n', end == 0 ? 0 : end - 1);
  start = (start == std::string_view::npos || end == 0) ? 0 : start + 1;
  std::string_view last = Trimmed(deck.substr(start, end - start));
  bool endCard = last.size() >= 2 && (last[0] == 'E' || last[0] == 'e') && (last[1] == 'N' || last[1] == 'n') &&
                 (last.size() == 2 || IsBlankChar(last[2]) || last[2] == ',');
  if (endCard) return result;
  std::string lineEnd = deck.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  if (!result.empty() && result.back() != '\n') result += lineEnd;
  result += "EN" + lineEnd;
  return result;
}

std::optional<EngineArguments> SplitEngineArguments(const std::vector<std::string>& pieces,
                                                    const std::function<bool(const std::string&)>& deckExists) {
  if (pieces.size() < 2) return std::nullopt;
  auto join = [&](std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t k = from; k < to; ++k) {
      if (k > from) text += ' ';
      text += pieces[k];
    }
    return text;
  };
  if (pieces.size() > 2) {
    // A file "x" beside the deck "x y.nec" must not win over the deck: a split whose deck part
    // exists and is a .nec file comes first, then any split whose deck part exists.
    auto isDeckName = [](const std::string& name) {
      return name.size() >= 4 && FindText(".nec", name, static_cast<long long>(name.size()) - 3, false) != 0;
    };
    std::optional<std::size_t> firstExisting;
    for (std::size_t split = 1; split < pieces.size(); ++split) {
      std::string deck = join(0, split);
      if (!deckExists(deck)) continue;
      if (isDeckName(deck)) return EngineArguments{deck, join(split, pieces.size())};
      if (!firstExisting) firstExisting = split;
    }
    if (firstExisting) return EngineArguments{join(0, *firstExisting), join(*firstExisting, pieces.size())};
  }
  return EngineArguments{pieces[0], join(1, pieces.size())};
}

std::string ToClassicLayout(std::string_view nec2cOutput) { return Rewriter(nec2cOutput).Run(); }

// The format engine of util/format.hpp has no exponent style with a signed two-digit exponent,
// which the NEC2 print files use; std::to_chars gives exactly those digits, correctly rounded.
std::string FortranE(double value, int width, int decimals) {
  std::string text;
  if (std::isnan(value)) {
    text = "NaN";
  } else if (std::isinf(value)) {
    text = value > 0 ? "Infinity" : "-Infinity";
  } else {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, decimals);
    text.assign(buffer, result.ptr);
    for (char& c : text) {
      if (c == 'e') c = 'E';
    }
  }
  return RightAligned(std::move(text), static_cast<std::size_t>(width < 0 ? 0 : width));
}

std::string FortranF(double value, int width, int decimals) {
  std::string text;
  if (std::isnan(value)) {
    text = "NaN";
  } else {
    text = CommaToPoint(FormatReal("%." + std::to_string(decimals) + "f", value));
  }
  return RightAligned(std::move(text), static_cast<std::size_t>(width < 0 ? 0 : width));
}

}  // namespace varnel
