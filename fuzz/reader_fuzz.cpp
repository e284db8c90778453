// The output reader on the text of any file: under ',', '.' and an odd separator every read of a print
// returns or refuses with PrintError, the near-field rows are held bit for bit to the
// step-by-step reading, and every near-field search runs on the table they give. The list helpers
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
#include "necout/step_by_step_reader.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

using namespace varnel;

namespace {

bool SameList(const RealList& a, const RealList& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
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
  if (!SameBits(MaxOf(list), PlainMax(list)))
    Finding(std::string("MaxOf of ") + what + ": " + Shown(MaxOf(list)) + " != " + Shown(PlainMax(list)));
  if (!SameBits(MinOf(list), PlainMin(list)))
    Finding(std::string("MinOf of ") + what + ": " + Shown(MinOf(list)) + " != " + Shown(PlainMin(list)));
  const std::size_t fast = CountDistinct(list), plain = PlainCountDistinct(list);
  if (fast != plain)
    Finding(std::string("CountDistinct of ") + what + ": " + std::to_string(fast) +
            " != " + std::to_string(plain));
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

// ---- The sections of a print --------------------------------------------------------------
// Whatever the text, every read of a print returns a value or refuses with PrintError.

template <typename Read>
void Refuses(const char* what, Read read) {
  try {
    read();
  } catch (const PrintError&) {
  } catch (const std::exception& other) {
    Finding(std::string(what) + " fails with something other than PrintError: " + other.what());
  }
}

void CheckSections(const std::string& text) {
  const OutputPrint print(text);
  Refuses("ReadFrequency", [&] { ReadFrequency(print); });
  Refuses("ReadInputPower", [&] { ReadInputPower(print); });
  Refuses("ReadAntennaInput", [&] { ReadAntennaInput(print); });
  for (int n : {0, 1, 2, 7, INT_MAX}) Refuses("ReadSegmentCurrent", [&] { ReadSegmentCurrent(print, n); });
  Refuses("ReadNearField", [&] {
    NearFieldTable table;
    ReadNearField(print, 0, table);
  });
  Refuses("RunReadLine", [&] { RunReadLine(print); });
}

// The reader's rows where the step-by-step reading finds them.
void ReadRows(const std::string& text, int polarization, NearFieldTable& table) {
  ReadRowsAsStepByStep(text, polarization, table);
}

void ReadAll(const std::string& text, char separator) {
  Separator scope(separator);
  CheckSections(text);
  // Total and horizontal compute; the others copy one magnitude or none, so one of them, taken
  // from the input, stands for the rest.
  const int other = static_cast<int>(text.size() % 7) - 1;
  for (int polarization : {0, 4, other}) {
    const Outcome fast = ReadOutcome(ReadRows, text, polarization);
    const Outcome plain = ReadOutcome(StepByStepReadNearField, text, polarization);
    if (fast.failure != plain.failure)
      Finding("near-field failure '" + fast.failure + "' != '" + plain.failure + "'");
    if (fast.table.fieldType != plain.table.fieldType || !SameList(fast.table.x, plain.table.x) ||
        !SameList(fast.table.y, plain.table.y) || !SameList(fast.table.z, plain.table.z) ||
        !SameList(fast.table.value, plain.table.value))
      Finding("near-field table differs from the step-by-step reading, polarisation " +
              std::to_string(polarization) + ", separator '" + std::string(1, separator) + "'");
    Search(fast.table);
    if (polarization == 0) {
      CheckList(fast.table.x, "x");
      CheckList(fast.table.value, "the values");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input as a file's bytes: the reader takes the text a file gives (one kind of line end
  // throughout, cut at a byte 26), as every caller does.
  const std::string text = TextOfFileBytes(std::string(reinterpret_cast<const char*>(data), size));
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
