#pragma once
// What the analyses say beside their numbers, where the numbers alone would mislead: a power
// budget no structure can have, a field "at P" taken from a grid point far from P, and why a
// circle or a cylinder met no grid point. Single-file and batch analyses use the same texts.
#include <string>

#include "necout/NecOutLib.hpp"

namespace varnel {

// The engine's power budget of the run read (W); NaN where the run prints none. Reading the
// input power fails as ReadInputPower does; the radiated power never fails.
struct PowerBudget {
  double input = 0, radiated = 0;
  // An input or radiated power at or below 0: a structure cannot take in or radiate negative
  // power, so the run is numerically unreliable (sources that nearly cancel on an electrically
  // small structure). A budget not printed is no impossible one.
  bool Impossible() const { return input <= 0 || radiated <= 0; }
};
PowerBudget ReadPowerBudget(const OutputPrint& print);

// "E_001_002.out: the engine's power budget is negative (-0,069 W): not physical; values
// normalised by it are left undefined" (the input power, or the radiated power where only that
// one is at or below 0; "is 0 W" for a zero power).
std::string ImpossibleBudgetLine(const std::string& name, const PowerBudget& budget);

// The grid point the field at P is taken from, when it lies farther from P than half the grid's
// step along any axis (or 1 mm along an axis of one coordinate): "P (10|0|4) is 2,70 m from the
// nearest grid point (10|0|1,3)"; "" when it is near enough or there is none.
std::string FarGridPointLine(const Point3D& p, const FieldAtPointResult& used, const GridExtent& extent);

// Why MaxOnCircle / MaxOnCylinder found nothing, named by what the grid lacks: "no grid point
// within 0,6 m of the circle of radius 10 m at z = 4 m; the grid's heights: 1,3 m", or, where a
// height matches, "...; the grid's distances from the Z axis: 0 to 7,07 m". "" for an empty table.
std::string NoCircleLine(const NearFieldTable& table, double radius, double height);
std::string NoCylinderLine(const NearFieldTable& table, double radius);

// A text a command says at most once however many files give it ("once per command").
class SaidOnce {
 public:
  // True the first time for this kind of note.
  bool First(int kind) {
    const unsigned bit = 1u << kind;
    if (said_ & bit) return false;
    said_ |= bit;
    return true;
  }

 private:
  unsigned said_ = 0;
};

}  // namespace varnel
