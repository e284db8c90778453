// Random Phases at Multiple Sources: decks of ten fixed sources of 100 V whose phases are drawn
// anew for every deck.
#include <cmath>

#include "decks/cards.hpp"
#include "decks/deck_set.hpp"
#include "decks/folders.hpp"
#include "decks/generators.hpp"
#include "mainwindow/VarnelU.hpp"
#include "util/errors.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/random.hpp"

namespace varnel {

// Ten 1 m wires at z = 2 m, tangential to a circle of 10 m radius, centres 36 degrees apart.
const std::array<const char*, 10> kHardCodedWires{
    "GW 10 3 10 0.5 2 10 -0.5 2 1.e-3",
    "GW 11 3 7.7962773 6.282361 2 8.3840626 5.473344 2 1.e-3",
    "GW 12 3 2.6146417 9.6650737 2 3.5656982 9.3560567 2 1.e-3",
    "GW 13 3 -3.565698 9.3560567 2 -2.614642 9.6650737 2 1.e-3",
    "GW 14 3 -8.384063 5.473344 2 -7.796277 6.282361 2 1.e-3",
    "GW 15 3 -10 -0.5 2 -10 0.5 2 1.e-3",
    "GW 16 3 -7.796277 -6.282361 2 -8.384063 -5.473344 2 1.e-3",
    "GW 17 3 -2.614642 -9.665074 2 -3.565698 -9.356057 2 1.e-3",
    "GW 18 3 3.5656982 -9.356057 2 2.6146417 -9.665074 2 1.e-3",
    "GW 19 3 8.3840626 -5.473344 2 7.7962773 -6.282361 2 1.e-3",
};

std::string HardCodedDeck(const std::string& frequencyText, const std::array<std::string, 10>& re,
                          const std::array<std::string, 10>& im) {
  std::string deck;
  deck.reserve(1500);
  AppendCard(deck, "CM");
  AppendCard(deck, "CE");
  for (const char* wire : kHardCodedWires) AppendCard(deck, wire);
  AppendCard(deck, "GE 1");
  AppendCard(deck, "GN 1");
  AppendCard(deck, "EK");
  for (int i = 0; i < 10; ++i) AppendCard(deck, SourceCard(FormatInt("%d", 10 + i), re[i], im[i]));
  AppendCard(deck, FrequencyCard(frequencyText));
  AppendCard(deck, kNearElectricCard);
  return deck;
}

namespace {
constexpr const char* kBase = "hc1";  // the folder and the start of every deck name
}  // namespace

void TForm1::MIHardCoded1Click() {
  // Both answers are asked for and checked before the folder is recreated, so that a Cancel or
  // a bad answer leaves the decks of the previous run in place.
  const auto frequency = AskReal(platform.ui, {.prompt = "Please enter freuquency in MHz",
                                               .prefill = FormatReal("%g", 7.01),
                                               .warning = "No valid frequency. Abort command!"});
  if (!frequency) return;
  const auto deckCount =
      AskInteger(platform.ui, {.prompt = "How many random phases shall be assessed?", .prefill = "100"});
  if (!deckCount) return;

  const std::string folder = std::string(kDeckParent) + kBase + "\\";
  const FolderLock lock(platform, folder);
  if (!lock.Held() ||
      !MayReplaceSetFolder(platform, folder, kDeckParent, kBase, IsRandomPhaseFileName,
                           "a file of this set") ||
      !RecreateTargetFolder(*this, folder, RecreateOptions::Generator(kDeckParent)))
    return;
  BeginRecordedRandomSet(*this, folder, kBase);

  const std::string frequencyText = FrequencyFieldText(*frequency);
  std::array<std::string, 10> re, im;
  const std::size_t count = *deckCount > 0 ? static_cast<std::size_t>(*deckCount) : 0;
  DeckFolder decks(platform.system, folder);
  if (!WriteDeckSeries(*this, kRandomPhasesCaption, count, [&](std::size_t k) {
        for (int i = 0; i < 10; ++i) {
          const double phase = RandomReal() * 360.0;
          const double radians = phase * kTwoPi / 360.0;
          re[i] = VoltageText(100.0 * std::cos(radians));
          im[i] = VoltageText(100.0 * std::sin(radians));
        }
        params.currentText = HardCodedDeck(frequencyText, re, im);
        params.currentName.clear();
        WriteDeck(*this, decks, DeckPath("", kBase, static_cast<std::int64_t>(k)), params.currentText);
      }))
    return;
  AddLine(Mout, kBatchCreationDone);
}

}  // namespace varnel
