#pragma once
// The pieces of the three deck generators that do not need the window: the sweep's range line,
// the ten fixed wires of the random-phase decks, the draws and texts of the EUT generator.
// The commands themselves are TForm1 members (sweep.cpp, phases.cpp, eut.cpp).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.hpp"
#include "util/numbers.hpp"

namespace varnel {

// The captions of the three generators, as their menu items show them and their closing line
// names them when they are stopped.
inline constexpr const char* kSweepCaption = "Create Multiple InputFiles";
inline constexpr const char* kRandomPhasesCaption = "Random Phases at Multiple Sources";
inline constexpr const char* kEutCaption = "Generate EUTs";

// The range-file dialog of the sweep and the EUT generator: "Select Range File" in
// c:\4nec2\b_in\Ranges proposing "Range01 Test.txt". The chosen path, or nothing on Cancel.
std::optional<std::string> AskRangeFile(UserInterface& ui);

// "Parameter Range: %2.1f ... %2.1f Step: %2.1f" of the first value, the last value and the
// spacing of the range. The spacing is (last - first) / (count - 1): the step of an evenly
// spaced range, the mean step of an uneven one (negative for a falling range). One value gives
// that value twice and a spacing of 0; no values give 0 for all three.
std::string ParameterRangeLine(const RealList& values);

// The ten wires of the random-phase decks, tags 10 to 19, in deck order.
extern const std::array<const char*, 10> kHardCodedWires;

// Two pi at full double precision, for turning degrees into radians.
inline constexpr double kTwoPi = 6.283185307179586476925286766559;

// The deck of the random-phase generator (27 lines, CR LF after each) for the frequency text
// ("%10.5f" with '.') and the ten formatted source parts of tags 10 to 19.
std::string HardCodedDeck(const std::string& frequencyText, const std::array<std::string, 10>& re,
                          const std::array<std::string, 10>& im);

// One wire of an EUT with its source voltage, drawn with eight draws of RandomReal() in this
// order: x1, y1, z1, x2, y2, z2, level, phase. diameter D, height H, lower end L in metres.
struct EutWire {
  double x1, y1, z1, x2, y2, z2;
  double re, im;  // volts; amplitude from 1 to 10
};
EutWire DrawEutWire(double diameter, double height, double lower);

// " x1 y1 z1 x2 y2 z2", each "%6.3f" with '.'.
std::string EutGeometryText(const EutWire& wire);
// "re im", each "%6.3f" with '.'.
std::string EutSourceText(const EutWire& wire);

// The questions of Generate EUTs after the name: the distances to measure (none keeps the
// fixed grid) and, for distances, the heights.
inline constexpr const char* kGridDistancesPrompt =
    "Near-field grid: distances to measure in m, separated by ';' (none: 81 x 81 points at 1,3 m)";
inline constexpr const char* kGridHeightsPrompt = "Heights to measure in m: lowest;highest;step";

inline constexpr int kWiresPerEut = 50;
inline constexpr int kMaxEuts = 2000;

// The near-field grid the decks of a set ask for. Without distances it is the fixed card
// kNearMagneticCard (81 x 81 points 1 m apart at 1,3 m). A study's grid holds the distances
// from the axis and the heights the measurement analyses: the points of the fixed grid's 1 m
// lattice that lie within MatchTolerance of every circle the analysis searches (a square of
// side 2 M + 1, M the largest whole number below the largest distance + MatchTolerance), at
// every height from lowest to highest in steps of step. So Cyl., Cir and Point of Analyse EUTs
// come out as with the fixed grid at every point both grids hold, for a fraction of the
// engine's time.
struct EutGrid {
  std::vector<double> distances;  // metres; empty: the fixed card
  double lowest = 1.3, step = 1;  // metres
  std::int32_t heights = 1;

  bool Fixed() const { return distances.empty(); }
  // The NH card: "NH 0 21 21 4 -10 -10 1 1 1 1" for 3 m and 10 m at 1 to 4 m in steps of 1 m.
  std::string Card() const;
};

// The study's grid of the answers to Generate EUTs' grid questions: distances separated by
// ';' ("3;10") and the heights as "lowest;highest;step" or one height ("1,3"), numbers with
// the system's separator. Nothing when an answer is no such list: a distance not above 0 or
// above 1000 m, a step not above 0, a highest height below the lowest, more than 100 heights.
std::optional<EutGrid> StudyGrid(std::string_view distances, std::string_view heights);

// The six lines of the EUT summary file, CR LF after each, numbers with the system's separator;
// a study's grid adds "Measured distances..........: 3;10 m", "Measured heights............: 1 to
// 4 m, step 1 m" and "Near-field grid.............: " + its card.
std::string EutSummaryText(const std::string& name, std::int64_t euts, std::int64_t frequencies,
                           double diameter, double height, double lower, const EutGrid& grid = {});

}  // namespace varnel
