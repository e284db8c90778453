#include "decks/cards.hpp"

#include <cmath>

#include "decks/generators.hpp"
#include "mainwindow/VarnelU.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/text.hpp"

namespace varnel {

std::string DeckNumber(std::string_view pattern, double value) {
  return CommaToPoint(FormatReal(pattern, value));
}

std::string CoordinateText(double metres) { return DeckNumber("%6.3f", metres); }
std::string VoltageText(double volts) { return DeckNumber("%6.3f", volts); }
std::string FrequencyFieldText(double megahertz) { return DeckNumber("%10.5f", megahertz); }
std::string WireRadiusText() { return DeckNumber("%5.3g", 0.001); }

std::string FrequencyCard(std::string_view frequencyText) {
  std::string card = "FR 0 0 0 0 ";
  card += frequencyText;
  card += " 0";
  return card;
}

std::string SourceCard(std::string_view tag, std::string_view re, std::string_view im) {
  std::string card = "EX 0 ";
  card += tag;
  card += " 2 0 ";
  card += re;
  card += ' ';
  card += im;
  card += " 0";
  return card;
}

namespace {

// A value rounded by the format engine, taken apart: the significant digits without leading
// or trailing zeros and the count of digits before the point (4 for 1230, 0 for 0.5,
// -1 for 0.0123). Zero has no digits.
struct RoundedDigits {
  bool negative = false;
  std::string digits;
  int pointPosition = 0;
};

// Reads what "%.3g" wrote: "-1,23E003", "146", "0,0123", "1,23E-005" (any separator).
RoundedDigits TakeApart(const std::string& text) {
  RoundedDigits result;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') {
    result.negative = true;
    ++i;
  }
  std::string all;
  int beforeSeparator = 0;
  bool separatorSeen = false;
  for (; i < text.size() && text[i] != 'E'; ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      all += text[i];
      if (!separatorSeen) ++beforeSeparator;
    } else {
      separatorSeen = true;
    }
  }
  int exponent = 0;
  if (i < text.size()) {
    ++i;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negativeExponent = text[i++] == '-';
    for (; i < text.size(); ++i) exponent = exponent * 10 + (text[i] - '0');
    if (negativeExponent) exponent = -exponent;
  }
  int pointPosition = beforeSeparator + exponent;
  std::size_t first = 0;
  while (first < all.size() && all[first] == '0') {
    ++first;
    --pointPosition;
  }
  all.erase(0, first);
  while (!all.empty() && all.back() == '0') all.pop_back();
  result.digits = all;
  result.pointPosition = all.empty() ? 0 : pointPosition;
  if (all.empty()) result.negative = false;
  return result;
}

}  // namespace

std::string SweepValueText(double value) {
  if (!std::isfinite(value)) return FormatReal("%g", value);  // INF, -INF, NAN
  const RoundedDigits rounded = TakeApart(FormatReal("%.3g", value));
  const std::string sign = rounded.negative ? "-" : "";
  const std::string& digits = rounded.digits;
  const int point = rounded.pointPosition;

  if (!digits.empty() && point >= 4) {
    std::string text = sign + digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    return text + "E" + FormatInt("%d", point - 1);
  }
  if (!digits.empty() && point < -2) {
    // Below 0.001 the five decimals, not the three digits, limit the precision: round the
    // original value once to five decimals.
    return DeckNumber("%.5f", value);
  }
  // The three-digit rounding fits in five decimals: write those digits out.
  std::string whole, fraction;
  if (point > 0) {
    whole = digits.substr(0, std::min<std::size_t>(digits.size(), point));
    whole.append(point - whole.size(), '0');
    if (digits.size() > static_cast<std::size_t>(point)) fraction = digits.substr(point);
  } else {
    whole = "0";
    fraction = std::string(-point, '0') + digits;
  }
  fraction.append(5 - fraction.size(), '0');
  return sign + whole + "." + fraction;
}

std::string DeckPath(std::string_view folder, std::string_view base, std::int64_t index) {
  std::string path(folder);
  path += base;
  path += FormatInt("%3.3d", index);
  path += ".nec";
  return path;
}

std::string EutDeckPath(std::string_view folder, std::string_view name, std::int64_t position,
                        std::int64_t eut) {
  std::string path(folder);
  path += name;
  path += FormatInt("%3.3d_", position);
  path += FormatInt("%3.3d", eut);
  path += ".nec";
  return path;
}

void AppendCard(std::string& deck, std::string_view line) {
  deck += line;
  deck += kCrLf;
}

void WriteDeck(TForm1& form, DeckFolder& folder, const std::string& name, const std::string& text,
               std::string_view reportSuffix) {
  std::string report = "Creating new File: " + folder.path;
  report += name;
  report += reportSuffix;
  AddLine(form.Mout, report);
  // Through a file beside it, so that a full disk never leaves a cut deck that would convert.
  folder.files->WriteReplacing(name, text);
}

std::optional<std::string> AskRangeFile(UserInterface& ui) {
  const FileDialogSpec spec{.title = "Select Range File",
                            .initialFolder = kRangeFolder,
                            .filter = kRangeFilter,
                            .filterIndex = 2,
                            .fileName = kRangeFileName};
  return ui.OpenFileDialog(spec);
}

}  // namespace varnel
