// The output reader on any text: every read operation under ',', '.' and an odd separator, held
// to a literal reading with the text helpers (the near-field table bit for bit to the
// step-by-step reading), and every near-field search on the table it returns. The list helpers
// behind the grid extent (MinOf, MaxOf, CountDistinct) are held to their plain definitions, on
// the table's axes and on the input read as numbers.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

#include "common.hpp"
#include "necout/nearfield.hpp"
#include "necout/reader.hpp"
#include "necout/sections.hpp"
#include "necout/step_by_step_reader.hpp"
#include "util/errors.hpp"
#include "util/text.hpp"

using namespace varnel;

namespace {

bool SameList(const RealList& a, const RealList& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

double PlainMax(const RealList& list) {
  double best = list[0];
  for (double v : list)
    if (v > best) best = v;
  return best;
}

double PlainMin(const RealList& list) {
  double best = list[0];
  for (double v : list)
    if (v < best) best = v;
  return best;
}

std::size_t PlainCountDistinct(const RealList& list) {
  std::size_t count = list.size();
  for (std::size_t i = 0; i < list.size(); ++i)
    for (std::size_t j = i + 1; j < list.size(); ++j)
      if (std::fabs(list[i] - list[j]) < 0.001) {
        --count;
        break;
      }
  return count;
}

void CheckList(const RealList& list, const char* what) {
  GridExtentOf(list, {}, {});  // and an empty axis
  if (list.empty() || list.size() > 1000) return;
  if (!SameBits(MaxOf(list), PlainMax(list))) Finding(std::string("MaxOf of ") + what + ": " + Shown(MaxOf(list)) + " != " + Shown(PlainMax(list)));
  if (!SameBits(MinOf(list), PlainMin(list))) Finding(std::string("MinOf of ") + what + ": " + Shown(MinOf(list)) + " != " + Shown(PlainMin(list)));
  const std::size_t fast = CountDistinct(list), plain = PlainCountDistinct(list);
  if (fast != plain) Finding(std::string("CountDistinct of ") + what + ": " + std::to_string(fast) + " != " + std::to_string(plain));
}

// Every search once, at places taken from the table itself so that some points match.
void Search(const NearFieldTable& table) {
  const std::size_t n = std::min({table.x.size(), table.y.size(), table.z.size()});
  const std::size_t mid = n / 2;
  const double x = n ? table.x[mid] : 0, y = n ? table.y[mid] : 0, z = n ? table.z[mid] : 0;
  const double radius = std::sqrt(x * x + y * y);
  for (const Point3D& p : {MakePoint3D(x, y, z), MakePoint3D(0, 0, 0), MakePoint3D(1e300, -1e300, NAN)}) {
    FieldAtPoint(p, table);
    MaxOnZLine(MakePoint2D(p.x, p.y), table, p.z);
    MaxInXZPlane(table, p.y);
    MaxOnCircle(table, radius, p.z);
    MaxOnCylinder(table, radius);
  }
  GridExtentOf(table);
  OverallMaximum(table);
  for (double power : {0.0, 1.0, -1.0}) {
    try {
      NormalizeField(OverallMaximum(table), 1.0, power);
    } catch (const ZeroDivideError&) {
    }
  }
}

// ---- The scalar sections read literally with the text helpers ----------------------------
// Each section starts where FindSection puts it (its anchoring has tests of its own); from there
// on every step is the literal one.

const std::string kCR = "\r";

// A field converted as the reader's contract says: every '.' to the separator, then TextToReal.
double Field(const std::string& field) {
  return TextToReal(ReplaceText(".", std::string(1, DecimalSeparator), field, true));
}

// The value, or the failure message.
template <typename Read>
std::string Result(Read read) {
  try {
    return Shown(read());
  } catch (const ConversionError& error) {
    return error.what();
  }
}

double LiteralFrequency(const std::string& text) {
  const auto k1 = static_cast<long long>(FindSection(text, OutputSection::Frequency));
  const auto k2 = static_cast<long long>(FindText("FREQUENCY", text, k1 + 1, false));
  return Field(CopyCount(text, k2 + 11, 10));
}

double LiteralInputPower(const std::string& text) {
  return Field(CopyCount(text, static_cast<long long>(FindSection(text, OutputSection::InputPower)) + 16, 10));
}

AntennaInput LiteralAntennaInput(const std::string& text) {
  const auto k = static_cast<long long>(FindSection(text, OutputSection::AntennaInput));
  const auto c = static_cast<long long>(FindNthText(kCR, text, 4, k, true));
  AntennaInput a;
  if (c == 0) return a;
  const auto e = static_cast<long long>(FindText(kCR, text, c + 1, true));
  // No CR behind the line: the rest of the text.
  const std::string line = e == 0 ? CopyFrom(text, c + 2) : CopyRange(text, c + 2, e - 1);
  double f[9] = {};
  try {
    for (int i = 0; i < 9; ++i) f[i] = Field(CopyCount(line, 13 + 12 * i, 12));
  } catch (const ConversionError&) {
  }
  const double root2 = std::sqrt(2.0);
  a.voltageRe = f[0] / root2;
  a.voltageIm = f[1] / root2;
  a.currentRe = f[2] / root2;
  a.currentIm = f[3] / root2;
  a.impedanceRe = f[4];
  a.impedanceIm = f[5];
  a.power = f[8];
  return a;
}

double LiteralSegmentCurrent(const std::string& text, int n) {
  const double none = std::nan("");
  if (n < 1) return none;
  const auto k = static_cast<long long>(FindSection(text, OutputSection::Currents));
  auto c = static_cast<long long>(FindNthText(kCR, text, 7, k, true));
  // Rows up to n; a missing line or an empty one (the table's end) on the way: no such row.
  for (int row = 1;; ++row) {
    if (c == 0) return none;
    const auto d = static_cast<long long>(FindText(kCR, text, c + 1, true));
    std::string line = d == 0 ? CopyFrom(text, c + 1) : CopyRange(text, c + 1, d - 1);
    TrimSet(line, ControlAndBlank());
    if (line.size() < 2) return none;
    if (row == n) break;
    c = d;
  }
  const std::string cut = CopyRange(text, c + 52, c + 94);
  double magnitude = none;
  try {
    Field(CopyCount(cut, 1, 10));
    Field(CopyCount(cut, 13, 10));
    magnitude = Field(CopyCount(cut, 25, 10));
    Field(CopyCount(cut, 38, 6));
  } catch (const ConversionError&) {
  }
  return magnitude;
}

void CheckScalars(const std::string& text) {
  auto same = [](const std::string& what, const std::string& fast, const std::string& literal) {
    if (fast != literal) Finding(what + ": reader gives " + fast + ", the literal reading " + literal);
  };
  same("ReadFrequency", Result([&] { return ReadFrequency(text); }), Result([&] { return LiteralFrequency(text); }));
  same("ReadInputPower", Result([&] { return ReadInputPower(text); }), Result([&] { return LiteralInputPower(text); }));
  const AntennaInput fast = ReadAntennaInput(text), literal = LiteralAntennaInput(text);
  const double a[] = {fast.voltageRe, fast.voltageIm, fast.currentRe, fast.currentIm, fast.impedanceRe, fast.impedanceIm, fast.power};
  const double b[] = {literal.voltageRe, literal.voltageIm, literal.currentRe, literal.currentIm, literal.impedanceRe, literal.impedanceIm, literal.power};
  for (int i = 0; i < 7; ++i) same("ReadAntennaInput field " + std::to_string(i), Shown(a[i]), Shown(b[i]));
  for (int n : {0, 1, 2, 7, INT_MAX})
    same("ReadSegmentCurrent " + std::to_string(n), Shown(ReadSegmentCurrent(text, n)), Shown(LiteralSegmentCurrent(text, n)));
}

void ReadAll(const std::string& text, char separator) {
  Separator scope(separator);
  CheckScalars(text);
  // Total and horizontal compute; the others copy one magnitude or none, so one of them, taken
  // from the input, stands for the rest.
  const int other = static_cast<int>(text.size() % 7) - 1;
  for (int polarization : {0, 4, other}) {
    const Outcome fast = ReadOutcome(ReadNearField, text, polarization);
    const Outcome plain = ReadOutcome(StepByStepReadNearField, text, polarization);
    if (fast.failure != plain.failure) Finding("near-field failure '" + fast.failure + "' != '" + plain.failure + "'");
    if (fast.table.fieldType != plain.table.fieldType || !SameList(fast.table.x, plain.table.x) ||
        !SameList(fast.table.y, plain.table.y) || !SameList(fast.table.z, plain.table.z) ||
        !SameList(fast.table.value, plain.table.value))
      Finding("near-field table differs from the step-by-step reading, polarisation " + std::to_string(polarization) +
              ", separator '" + std::string(1, separator) + "'");
    Search(fast.table);
    if (polarization == 0) {
      CheckList(fast.table.x, "x");
      CheckList(fast.table.value, "the values");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (char separator : SeparatorsFor(text)) ReadAll(text, separator);

  // The input as numbers: pairs of bytes as thousandths (near repeats are likely), and whole
  // doubles (NaN, infinities, zeros of both signs).
  RealList small, raw;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    small.push_back(static_cast<std::int16_t>(data[i] | data[i + 1] << 8) / 2000.0);
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    double v;
    std::memcpy(&v, data + i, 8);
    raw.push_back(v);
  }
  CheckList(small, "the input as thousandths");
  CheckList(raw, "the input as doubles");
  return 0;
}
