// STUB
#include "util/numbers.hpp"
#include <stdexcept>
Point2D MakePoint2D(double x, double y) { return {x, y}; }
Point3D MakePoint3D(double x, double y, double z) { return {x, y, z}; }
double TextToReal(std::string_view) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::int32_t TextToInt(std::string_view) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string FrequencyText(double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string SignText(double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double SinDeg(double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double CosDeg(double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double Power10(double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double Log10(double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::size_t AppendReal(RealList&, double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::size_t AppendText(TextList&, std::string) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void FillRange(RealList&, double, double, double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double MaxOf(const RealList&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double MinOf(const RealList&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::size_t CountDistinct(const RealList&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
