#pragma once
// The records filled from one NEC2 output file.
#include <array>
#include <cstddef>
#include <string>

#include "util/numbers.hpp"

namespace varnel {

// The whole text of one output file as TextOfFileBytes reads it: its lines end in CR LF throughout
// or in LF throughout, no line end after the last line.
using OutputText = std::string;

// The feed-point record: voltage and current as RMS values (NEC2's peak values / sqrt 2),
// impedance and power as printed.
struct AntennaInput {
  double voltageRe = 0, voltageIm = 0;
  double currentRe = 0, currentIm = 0;
  double impedanceRe = 0, impedanceIm = 0;
  double power = 0;
};

// The item index of the radio group "Polerization".
enum class Polarization : int { Total = 0, X = 1, Y = 2, Z = 3, Horizontal = 4 };

// The first near-field table of a file for one polarisation.
struct NearFieldTable {
  RealList x, y, z;       // metres, one element per row, file order
  RealList value;         // V/m (electric) or A/m (magnetic), RMS
  std::string fieldType;  // nine characters from five behind "NEAR": "ELECTRIC " or "MAGNETIC "
  // The rows the file's table holds: more than the points read when it holds more than the
  // reader takes (MaxNearFieldRows).
  std::size_t printedRows = 0;
  bool IsElectric() const { return !fieldType.empty() && fieldType[0] == 'E'; }
  // "V/m" for an electric table, "A/m" otherwise.
  std::string UnitText() const { return IsElectric() ? "V/m" : "A/m"; }
};

// One wire segment of the structure as the segmentation table prints it: its centre (metres),
// its length (metres) and its orientation: alpha the angle above the XY plane, beta the angle
// of its projection from the X axis (degrees). Its ends lie length / 2 either side of the
// centre along (cos alpha cos beta, cos alpha sin beta, sin alpha).
struct Segment {
  double x = 0, y = 0, z = 0, length = 0, alpha = 0, beta = 0;
};

// From this many rows on, the work over a table is spread over the cores.
inline constexpr std::size_t kPointsWorthCores = 16384;

// x min, x max, x step, y min, y max, y step, z min, z max, z step.
using GridExtent = std::array<double, 9>;

}  // namespace varnel
