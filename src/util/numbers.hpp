#pragma once
// Conversions between text and numbers under DecimalSeparator, display texts, angle and
// logarithm helpers, lists of reals, and points.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "util/format.hpp"
#include "util/text.hpp"

namespace varnel {

using RealList = std::vector<double>;

struct Point2D {
  double x = 0, y = 0;
};
struct Point3D {
  double x = 0, y = 0, z = 0;
};
Point2D MakePoint2D(double x, double y);
Point3D MakePoint3D(double x, double y, double z);

// Accepted form, nothing else: leading blanks (32 only); an optional sign; a run of digits in
// which at most one DecimalSeparator may stand (start, inside or end), at least one character;
// optionally 'E'/'e', an optional sign and at least one digit; trailing blanks. A run that is
// only the separator reads as zero. The result is the double nearest to the decimal value; a
// value below the smallest double gives zero, one above the largest fails. Throws
// ConversionError "'<text>' ist kein gültiger Gleitkommawert".
double TextToReal(std::string_view text);
// Optional leading blanks, an optional sign, decimal digits (a leading "$" or "0x" reads
// hexadecimal); nothing may follow; must fit 32 bits. Throws ConversionError
// "'<text>' ist kein gültiger Integerwert".
std::int32_t TextToInt(std::string_view text);
// TextToReal of a text that holds one number and no thousands separator (a line of a range
// file), with ',' or '.' as its decimal mark whatever DecimalSeparator is.
double TextToRealEitherMark(std::string_view text);

// "%1.0f MHz", or "%5.4f MHz" for [0, 1), "%3.2f MHz" for [1, 1000), "%2.1f MHz" for [1000, 10000).
std::string FrequencyText(double megahertz);
// "+" unless x < -0.01, then "".
std::string SignText(double x);
// The angle in degrees, converted with pi taken as 3.14159265359.
double SinDeg(double degrees);
double CosDeg(double degrees);
// e^(x ln 10).
double Power10(double x);
// ln x * log10(e) for x > 0, else 0.
double Log10(double x);

std::size_t AppendReal(RealList& list, double value);
std::size_t AppendText(TextList& list, std::string text);
// Clears the list, then appends v = start, start + step, ... while v <= stop (the first value
// always). A step <= 0 gives the one value start (the caller refuses such a step before).
void FillRange(RealList& list, double start, double stop, double step);
// The first element replaced only by a strictly larger (smaller) one. The list must not be empty.
double MaxOf(const RealList& list);
double MinOf(const RealList& list);
// The number of elements minus one for every element that has a later element within 0.001
// (not transitive; depends on the order). O(n log n).
std::size_t CountDistinct(const RealList& list);

}  // namespace varnel
