// STUB
#include "necout/nearfield.hpp"
#include <stdexcept>
FieldAtPointResult FieldAtPoint(const Point3D&, const NearFieldTable&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double MaxOnZLine(const Point2D&, const NearFieldTable&, double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double MaxInXZPlane(const NearFieldTable&, double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double MaxOnCircle(const NearFieldTable&, double, double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double MaxOnCylinder(const NearFieldTable&, double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
GridExtent GridExtentOf(const RealList&, const RealList&, const RealList&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
GridExtent GridExtentOf(const NearFieldTable&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double OverallMaximum(const NearFieldTable&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double NormalizeField(double, double, double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
