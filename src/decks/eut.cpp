// Generate EUTs: sets of 50 randomly placed and driven wires in a cylindrical test volume,
// one deck per frequency of a range file and EUT, and a summary file.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "decks/cards.hpp"
#include "decks/deck_set.hpp"
#include "decks/folders.hpp"
#include "decks/generators.hpp"
#include "mainwindow/VarnelU.hpp"
#include "necout/nearfield.hpp"
#include "necout/range.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/random.hpp"
#include "util/shared_text.hpp"
#include "util/text.hpp"

namespace varnel {

EutWire DrawEutWire(double diameter, double height, double lower) {
  const double radius = diameter / 2.0;
  EutWire wire{};
  // y is uniform across the chord at x, so both ends lie inside the cylinder.
  wire.x1 = (RandomReal() - 0.5) * diameter;
  wire.y1 = (2.0 * RandomReal() - 1.0) * std::sqrt(radius * radius - wire.x1 * wire.x1);
  wire.z1 = RandomReal() * height + lower;
  wire.x2 = (RandomReal() - 0.5) * diameter;
  wire.y2 = (2.0 * RandomReal() - 1.0) * std::sqrt(radius * radius - wire.x2 * wire.x2);
  wire.z2 = RandomReal() * height + lower;
  // Level 10 to 30 dBm, as the peak voltage across 50 ohm: 1 to 10 V.
  const double level = RandomReal() * 20.0 + 10.0;
  const double power = std::pow(10.0, level / 10.0) * 0.001;
  const double amplitude = std::sqrt(power * 50.0) * std::sqrt(2.0);
  const double phase = RandomReal() * 360.0;
  const double radians = phase * kTwoPi / 360.0;
  wire.re = amplitude * std::cos(radians);
  wire.im = amplitude * std::sin(radians);
  return wire;
}

std::string EutGeometryText(const EutWire& wire) {
  std::string text;
  for (double coordinate : {wire.x1, wire.y1, wire.z1, wire.x2, wire.y2, wire.z2}) {
    text += ' ';
    text += CoordinateText(coordinate);
  }
  return text;
}

std::string EutSourceText(const EutWire& wire) { return VoltageText(wire.re) + " " + VoltageText(wire.im); }

std::string EutGrid::Card() const {
  if (Fixed()) return kNearMagneticCard;
  double farthest = 0;
  for (double distance : distances) farthest = std::max(farthest, distance);
  // The lattice points strictly nearer the axis than the farthest circle's outer edge.
  const std::int64_t half = static_cast<std::int64_t>(std::ceil(farthest + MatchTolerance)) - 1;
  const std::string side = FormatInt("%d", 2 * half + 1), corner = FormatInt("%d", -half);
  return "NH 0 " + side + " " + side + " " + FormatInt("%d", heights) + " " + corner + " " + corner + " " +
         DeckNumber("%g", lowest) + " 1 1 " + DeckNumber("%g", step);
}

namespace {

std::string_view Trim(std::string_view text) { return Trimmed(text, CharsOf(" ")); }

}  // namespace

std::optional<EutGrid> StudyGrid(std::string_view distances, std::string_view heights) {
  constexpr double kFarthest = 1000;
  constexpr std::int32_t kMostHeights = 100;
  EutGrid grid;
  try {
    for (const std::string& distance : SplitText(distances, ";")) {
      const double metres = TextToReal(Trim(distance));
      if (!(metres > 0 && metres <= kFarthest)) return std::nullopt;
      grid.distances.push_back(metres);
    }
    const TextList parts = SplitText(heights, ";");
    if (parts.size() != 1 && parts.size() != 3) return std::nullopt;
    grid.lowest = TextToReal(Trim(parts[0]));
    if (parts.size() == 3) {
      const double highest = TextToReal(Trim(parts[1]));
      grid.step = TextToReal(Trim(parts[2]));
      if (!(grid.step > 0) || !(highest >= grid.lowest) || !std::isfinite(grid.lowest)) return std::nullopt;
      // A highest height a rounding below a whole number of steps still counts.
      const double steps = std::floor((highest - grid.lowest) / grid.step + 1e-9);
      if (!(steps < kMostHeights)) return std::nullopt;
      grid.heights = static_cast<std::int32_t>(steps) + 1;
    }
    if (!std::isfinite(grid.lowest)) return std::nullopt;
  } catch (const ConversionError&) {
    return std::nullopt;
  }
  if (grid.distances.empty()) return std::nullopt;
  return grid;
}

std::string EutSummaryText(const std::string& name, std::int64_t euts, std::int64_t frequencies,
                           double diameter, double height, double lower, const EutGrid& grid) {
  std::string text;
  auto line = [&text](const std::string& content) {
    text += content;
    text += kCrLf;
  };
  line("Filename....................: " + name);
  line("Number of EUTs..............: " + FormatInt("%3d", euts));
  line("Number of Fequencies........: " + FormatInt("%3d", frequencies));
  line("Diameter of EUT volume......: " + FormatReal("%4.1f m", diameter));
  line("Height of EUT volume........: " + FormatReal("%4.1f m", height));
  line("Lower Edge of EUT volume....: " + FormatReal("%4.1f m", lower));
  if (!grid.Fixed()) {
    std::string distances;
    for (double distance : grid.distances)
      distances += (distances.empty() ? "" : ";") + FormatReal("%g", distance);
    line("Measured distances..........: " + distances + " m");
    line("Measured heights............: " + FormatReal("%g", grid.lowest) + " to " +
         FormatReal("%g", grid.lowest + (grid.heights - 1) * grid.step) + " m, step " +
         FormatReal("%g", grid.step) + " m");
    line("Near-field grid.............: " + grid.Card());
  }
  return text;
}

namespace {

// Everything of an EUT's deck up to the frequency card: the same at every frequency.
std::string EutDeckHead(const std::vector<std::string>& geometry, const std::vector<std::string>& sources,
                        bool ground) {
  static const std::string radius = WireRadiusText();
  std::string deck;
  deck.reserve(5000);
  AppendCard(deck, "CM");
  AppendCard(deck, "CE");
  for (int w = 1; w <= kWiresPerEut; ++w) {
    deck += "GW ";
    deck += FormatInt("%3d", 99 + w);
    deck += " 3";
    deck += geometry[w - 1];
    deck += ' ';
    deck += radius;
    deck += kCrLf;
  }
  AppendCard(deck, ground ? "GE 1" : "GE 0");
  AppendCard(deck, ground ? "GN 1" : "GN -1");
  AppendCard(deck, "EK");
  for (int w = 1; w <= kWiresPerEut; ++w) {
    deck += "EX 0 ";
    deck += FormatInt("%3d", 99 + w);
    deck += " 2 0 ";
    deck += sources[w - 1];
    deck += " 0";
    deck += kCrLf;
  }
  return deck;
}

}  // namespace

void TForm1::MIGenerateEUTsClick() {
  const auto rangePath = AskRangeFile(platform.ui);
  if (!rangePath) return;
  RealList frequencies;
  loadRange(platform, *rangePath, frequencies);

  const auto eutsAnswer =
      AskInteger(platform.ui, {.prompt = "How many EUTs do you want to create?", .prefill = "50"});
  if (!eutsAnswer) return;
  // The tables hold 2000 EUTs, the result tables of the analysis no more.
  if (*eutsAnswer > kMaxEuts) {
    ShowWarning(platform.ui, "No valid number: at most 2000 EUTs. Abort command!");
    return;
  }
  const auto diameterAnswer = AskReal(platform.ui, {.prompt = "Diameter of the test volume", .prefill = "3"});
  if (!diameterAnswer) return;
  const auto heightAnswer =
      AskReal(platform.ui, {.prompt = "Get height of the test volume", .prefill = FormatReal("%g", 1.5)});
  if (!heightAnswer) return;
  const auto lowerAnswer = AskReal(platform.ui, {.prompt = "Get low end of the test volume", .prefill = "1"});
  if (!lowerAnswer) return;
  const auto groundAnswer = AskInteger(platform.ui, {.prompt = "Ideal conducting ground?", .prefill = "1"});
  if (!groundAnswer) return;
  const std::int32_t euts = *eutsAnswer;
  const double diameter = *diameterAnswer, height = *heightAnswer, lower = *lowerAnswer;

  std::string name = "E_";
  // The name becomes a folder that is deleted with everything in it: refuse every name that
  // could reach beyond its own folder before anything is touched.
  if (!AskText(platform.ui, "Inquiry", "Get Filename", name) || !TargetNameProblem(name).empty()) {
    ShowWarning(platform.ui, "No valid Filename. Abort command!");
    return;
  }

  // The grid the decks ask for: the fixed one unless the user gives the distances to measure
  // (a script that queued no answer keeps the fixed grid).
  EutGrid grid;
  std::string distances;
  if (AskText(platform.ui, "Inquiry", kGridDistancesPrompt, distances) && !Trim(distances).empty()) {
    std::string heights = FormatReal("%g", 1) + ";" + FormatReal("%g", 4) + ";" + FormatReal("%g", 1);
    const bool answered = AskText(platform.ui, "Inquiry", kGridHeightsPrompt, heights);
    const std::optional<EutGrid> study = answered ? StudyGrid(distances, heights) : std::nullopt;
    if (!study) {
      ShowWarning(platform.ui, "No valid number. Abort command!");
      return;
    }
    grid = *study;
  }

  const std::string folder = std::string(kDeckParent) + name + "\\";
  const FolderLock lock(platform, folder);
  if (!lock.Held() ||
      !MayReplaceSetFolder(platform, folder, kDeckParent, name, IsEutSetFileName, "a file of this set") ||
      !RecreateTargetFolder(*this, folder, RecreateOptions::Generator(kDeckParent)))
    return;
  BeginRecordedRandomSet(*this, folder, name);

  // All EUTs are drawn, and their texts formatted, before the first deck is written. A head is
  // kept without its last line end: the Data pane's lines of the decks of one EUT refer to its
  // one head, not to a copy per frequency.
  const bool ground = *groundAnswer > 0;
  std::vector<SharedText> heads;
  heads.reserve(euts > 0 ? euts : 0);
  {
    std::vector<std::string> geometry(kWiresPerEut), sources(kWiresPerEut);
    for (std::int32_t e = 0; e < euts; ++e) {
      for (int w = 0; w < kWiresPerEut; ++w) {
        const EutWire wire = DrawEutWire(diameter, height, lower);
        geometry[w] = EutGeometryText(wire);
        sources[w] = EutSourceText(wire);
      }
      std::string head = EutDeckHead(geometry, sources, ground);
      head.resize(head.size() - kCrLf.size());
      heads.emplace_back(std::move(head));
    }
  }

  // Deck i is EUT i % euts at frequency position i / euts: every EUT of a frequency, then the
  // next frequency.
  const std::size_t perFrequency = heads.size();
  const std::string gridCard = grid.Card();
  std::string tail;
  DeckFolder decks(platform.system, folder);
  const bool complete =
      WriteDeckSeries(*this, kEutCaption, perFrequency * frequencies.size(), [&](std::size_t i) {
        const std::size_t p = i / perFrequency, e = i % perFrequency;
        if (e == 0) {
          tail = FrequencyCard(FrequencyFieldText(frequencies[p]));
          tail += kCrLf;
          tail += gridCard;
          tail += kCrLf;
        }
        std::string& deck = params.currentText.Mutable();
        params.currentName.clear();
        deck.assign(heads[e].str());
        deck += kCrLf;
        deck += tail;
        AddSharedLines(Mdata, heads[e]);
        AddLine(Mdata, tail);
        WriteDeck(*this, decks,
                  EutDeckPath("", name, static_cast<std::int64_t>(p), static_cast<std::int64_t>(e)), deck);
      });
  if (!complete) return;

  WriteTextFile(platform.system,
                EutSummaryText(name, euts, static_cast<std::int64_t>(frequencies.size()), diameter, height,
                               lower, grid),
                folder + name + ".txt");
  AddLine(Mout, kBatchCreationDone);
}

}  // namespace varnel
