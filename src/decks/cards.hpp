#pragma once
// The texts the deck generators write: card lines, the number formats of their fields, the
// deck and file naming, and the writing of one deck with its report line.
//
// Every number that goes into a deck is formatted with the shared format engine under the
// system's DecimalSeparator and then has every ',' turned into '.' (CommaToPoint): NEC2 reads
// only '.'. Every line a generator appends ends in CR LF, the last one included.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/system.hpp"
#include "util/numbers.hpp"
#include "util/tree.hpp"

namespace varnel {

class TForm1;

inline constexpr std::string_view kCrLf = "\r\n";

// The fixed folders and the dialog settings the deck commands share.
inline constexpr const char* kRangeFilter = "All(*.*)|*.*|Range (*.txt)|*.txt";
inline constexpr const char* kRangeFileName = "Range01 Test.txt";
inline constexpr const char* kBatchCreationDone = "--------- Batch Creation Job Done ---------";

// Fixed cards.
inline constexpr const char* kNearElectricCard = "NE 0 41 41 1 -20 -20 2 1 1 1";
inline constexpr const char* kNearMagneticCard = "NH 0 81 81 1 -40 -40 1.3 1 1 1";

// pattern applied to value, then every ',' replaced by '.'.
std::string DeckNumber(std::string_view pattern, double value);
// "%6.3f" with '.': 0.5 -> " 0.500", -1.25 -> "-1.250", 100 -> "100.000".
std::string CoordinateText(double metres);
std::string VoltageText(double volts);
// "%10.5f" with '.': 7.01 -> "   7.01000".
std::string FrequencyFieldText(double megahertz);
// "%5.3g" of 0.001 with '.': "0.001".
std::string WireRadiusText();

// "FR 0 0 0 0 " + frequencyText + " 0".
std::string FrequencyCard(std::string_view frequencyText);
// "EX 0 " + tag + " 2 0 " + re + " " + im + " 0".
std::string SourceCard(std::string_view tag, std::string_view re, std::string_view im);

// The value that replaces "xxf" in a sweep: rounded once, half away from zero, to three
// significant digits but no more than five decimals; written with exactly five decimals
// (7.01 -> "7.01000", 146.2 -> "146.00000", 0.012345 -> "0.01230"); when the rounded value
// has four or more digits before the point, in exponent form instead: up to three significant
// digits, '.' after the first, 'E', the exponent without sign or leading zeros
// (1500 -> "1.5E3", 1000 -> "1E3", 1234.5 -> "1.23E3"). Always '.' as separator.
std::string SweepValueText(double value);

// folder + base + index with "%3.3d" + ".nec" (dipol000.nec; 1000 and more keep every digit).
std::string DeckPath(std::string_view folder, std::string_view base, std::int64_t index);
// folder + name + position with "%3.3d_" + eut with "%3.3d" + ".nec" (E_002_010.nec).
std::string EutDeckPath(std::string_view folder, std::string_view name, std::int64_t position,
                        std::int64_t eut);

// Appends line + CR LF.
void AppendCard(std::string& deck, std::string_view line);

// The folder a generator writes a set's decks into (path ends in a separator), its path mapped
// and checked once for the whole set. Opened once the folder exists.
struct DeckFolder {
  DeckFolder(System& system, std::string folder)
      : path(std::move(folder)), files(system.OpenFolderFiles(path)) {}
  std::string path;
  std::unique_ptr<System::FolderFiles> files;
};

// Adds "Creating new File: " + folder + name + reportSuffix to the Info pane, then writes text
// to that file exactly through a file beside it (as WriteTextFileSafely: a failure part-way, a
// full disk, leaves no cut deck; an input/output failure propagates and ends the command).
void WriteDeck(TForm1& form, DeckFolder& folder, const std::string& name, const std::string& text,
               std::string_view reportSuffix = "");

}  // namespace varnel
