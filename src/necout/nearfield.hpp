#pragma once
// Near-field evaluation: each operation is one linear pass over a NearFieldTable, without
// state and without interpolation. A grid point matches a condition when the deviation is
// strictly below MatchTolerance.
// Where there is no defined value (an empty table, no matching grid point) the result is a
// quiet NaN, which formats as "NAN"; the commands say in the Info pane why. The searches walk
// the points that have x, y, z and value (a table read with an invalid polarisation has no
// values), never past a list. None of them changes the table or throws, except
// NormalizeField.
#include "necout/model.hpp"

namespace varnel {

inline constexpr double MatchTolerance = 0.6;

struct FieldAtPointResult {
  double value;  // value of the grid point nearest to P (the first on equal distance)
  double eps;    // distance from P to that grid point, metres
  Point3D at{};  // that grid point (NaN coordinates without one)
};
// {NaN, NaN} for an empty table (and when no point lies within 10^9 m of P).
FieldAtPointResult FieldAtPoint(const Point3D& p, const NearFieldTable& table);
// |x - a.x| < 0.6, |y - a.y| < 0.6, z < maxHeight.
double MaxOnZLine(const Point2D& a, const NearFieldTable& table, double maxHeight);
// |y - y0| < 0.6.
double MaxInXZPlane(const NearFieldTable& table, double y0);
// |sqrt(x^2 + y^2) - radius| < 0.6 and |z - height| < 0.6 (about the Z axis).
double MaxOnCircle(const NearFieldTable& table, double radius, double height);
// |sqrt(x^2 + y^2) - radius| < 0.6.
double MaxOnCylinder(const NearFieldTable& table, double radius);
// MinOf, MaxOf and (max - min) / (CountDistinct - 1) of each axis (step 0 below two distinct
// values); an empty axis gives NaN minimum and maximum and step 0. The axes of a large grid are
// worked out at once.
GridExtent GridExtentOf(const RealList& x, const RealList& y, const RealList& z);
GridExtent GridExtentOf(const NearFieldTable& table);
// The largest value, chosen as MaxOf chooses it, of the points with a value (NaN for none).
double OverallMaximum(const NearFieldTable& table);
// value * sqrt(normalizePower / inputPower). Throws ZeroDivideError for an input power of 0.
double NormalizeField(double value, double normalizePower, double inputPower);

}  // namespace varnel
