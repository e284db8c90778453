#pragma once
// Test support: writes an OutputText in the classic NEC2 print layout that the output reader
// expects. Header-only (inline functions, standard headers only) so that the benchmarks, which
// link only varnel_core, can include it as well.
//
// Sections, in NEC2's order (each one optional):
//   FREQUENCY        heading line, then "FREQUENCY= " + the value in 10 characters
//                    ("FREQUENCY= 1.4200E+01 MHZ").
//   ANTENNA INPUT    keyword line, a blank line, two heading lines, one row per feed: tag and
//                    segment in 6 characters each, nine 12-character fields ("%12.5E"):
//                    voltage re/im, current re/im, impedance re/im, admittance re/im, power.
//   CURRENTS AND LOCATION
//                    keyword line, six lines, then one row per segment: 1 blank, segment and
//                    tag in 5 each, X Y Z in 9 with 4 decimals, length in 9 with 5 decimals,
//                    1 blank, real/imaginary/magnitude in 12 ("%12.4E"), phase in 9 with 3
//                    decimals: columns 51-60, 63-72, 75-84, 88-93 hold what the reader cuts.
//   POWER BUDGET     heading, then "INPUT POWER   =" + the value in 11 characters ("%11.4E").
//   NEAR ELECTRIC FIELDS / NEAR MAGNETIC FIELDS
//                    keyword line, a blank line, three heading lines, the rows
//                    ("%10.4f" x3, then ("%13.4E" "%8.2f") x3), a blank line after the table.
// Numbers are written as NEC2 writes them, with '.', whatever DecimalSeparator is. A NaN
// magnitude is written as the token "NaN". Lines are joined by CR LF; no line end follows the
// last line.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace varnel {

struct ClassicFeed {
  int tag = 1, segment = 1;
  // Peak values as NEC2 prints them.
  double voltageRe = 1.0, voltageIm = 0.0;
  double currentRe = 1.3595e-02, currentIm = -5.7013e-03;
  double impedanceRe = 6.2537e+01, impedanceIm = 2.6225e+01;
  double admittanceRe = 1.3595e-02, admittanceIm = -5.7013e-03;
  double power = 6.7975e-03;
};

struct ClassicSegment {
  double re = 0, im = 0, magnitude = 0, phase = 0;
  double x = 0, y = 0, z = 0, length = 0.1;
};

struct ClassicNearRow {
  double x = 0, y = 0, z = 0;
  double mx = 0, px = 0, my = 0, py = 0, mz = 0, pz = 0;
};

struct ClassicNearTable {
  bool magnetic = false;
  std::vector<ClassicNearRow> rows;
  bool blankLineAfter = true;  // false: the table runs to the end of the text
};

struct ClassicOutput {
  double frequency = 14.2;            // MHz
  double inputPower = 6.7975e-03;     // W
  std::vector<std::string> comments;  // CM lines, printed near the top of the file
  bool withFrequency = true, withAntennaInput = true, withCurrents = true, withPowerBudget = true;
  std::vector<ClassicFeed> feeds{ClassicFeed{}};
  std::vector<ClassicSegment> segments;
  double radiatedPower = NAN;  // W; NaN: the input power
  // The first near-field table (no section when it and moreNearFields are empty).
  bool magnetic = false;
  std::vector<ClassicNearRow> nearField;
  bool nearBlankLineAfter = true;
  // Further near-field tables printed after the first one.
  std::vector<ClassicNearTable> moreNearFields;
  bool trailer = true;  // a few lines after the last table
};

namespace classic_detail {

template <typename... Args>
inline std::string Printf(const char* pattern, Args... args) {
  char buffer[256];
  int n = std::snprintf(buffer, sizeof buffer, pattern, args...);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<std::size_t>(n));
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), pattern, args...);
  big.resize(static_cast<std::size_t>(n));
  return big;
}

// A magnitude in `width` characters: "%E" with 4 decimals, or "NaN" right-aligned.
inline std::string Magnitude(double v, int width) {
  if (std::isnan(v)) return std::string(static_cast<std::size_t>(width > 3 ? width - 3 : 0), ' ') + "NaN";
  return Printf("%*.4E", width, v);
}

inline void AppendNearTable(std::vector<std::string>& lines, bool magnetic,
                            const std::vector<ClassicNearRow>& rows, bool blankAfter) {
  lines.push_back(magnetic ? "                             -------- NEAR MAGNETIC FIELDS --------"
                           : "                             -------- NEAR ELECTRIC FIELDS --------");
  lines.push_back("");
  lines.push_back(
      "     ------- LOCATION -------     ------- EX ------    ------- EY ------    ------- EZ ------");
  lines.push_back(
      "      X         Y         Z       MAGNITUDE   PHASE    MAGNITUDE   PHASE    MAGNITUDE   PHASE");
  lines.push_back(
      magnetic
          ? "    METERS    METERS    METERS      AMPS/M  DEGREES     AMPS/M  DEGREES     AMPS/M  DEGREES"
          : "    METERS    METERS    METERS     VOLTS/M  DEGREES    VOLTS/M   DEGREES     VOLTS/M  DEGREES");
  for (const ClassicNearRow& r : rows) {
    std::string line = Printf("%10.4f%10.4f%10.4f", r.x, r.y, r.z);
    line += Magnitude(r.mx, 13) + Printf("%8.2f", r.px);
    line += Magnitude(r.my, 13) + Printf("%8.2f", r.py);
    line += Magnitude(r.mz, 13) + Printf("%8.2f", r.pz);
    lines.push_back(std::move(line));
  }
  if (blankAfter) lines.push_back("");
}

inline std::string Join(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& l : lines) size += l.size() + 2;
  std::string text;
  text.reserve(size);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  return text;
}

// The lines of one frequency run (from the FREQUENCY section on).
inline void AppendRun(std::vector<std::string>& lines, const ClassicOutput& o) {
  if (o.withFrequency) {
    lines.push_back("");
    lines.push_back("                               --------- FREQUENCY --------");
    lines.push_back("                                    " + Printf("FREQUENCY= %10.4E MHZ", o.frequency));
    lines.push_back("                                    " +
                    Printf("WAVELENGTH= %10.4E METERS", o.frequency > 0 ? 299.8 / o.frequency : 0.0));
    lines.push_back("");
  }
  if (o.withAntennaInput) {
    lines.push_back("                        --------- ANTENNA INPUT PARAMETERS ---------");
    lines.push_back("");
    lines.push_back(
        "  TAG   SEG.   VOLTAGE (VOLTS)         CURRENT (AMPS)         IMPEDANCE (OHMS)        ADMITTANCE "
        "(MHOS)     POWER");
    lines.push_back(
        "  NO.   NO.    REAL      IMAGINARY     REAL      IMAGINARY     REAL      IMAGINARY    REAL       "
        "IMAGINARY   (WATTS)");
    for (const ClassicFeed& f : o.feeds) {
      lines.push_back(Printf("%6d%6d%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E", f.tag, f.segment,
                             f.voltageRe, f.voltageIm, f.currentRe, f.currentIm, f.impedanceRe, f.impedanceIm,
                             f.admittanceRe, f.admittanceIm, f.power));
    }
    lines.push_back("");
  }
  if (o.withCurrents) {
    lines.push_back("                           -------- CURRENTS AND LOCATION --------");
    lines.push_back("");
    lines.push_back("                                  DISTANCES IN WAVELENGTHS");
    lines.push_back("");
    lines.push_back("");
    lines.push_back("   SEG.  TAG    COORD. OF SEG. CENTER     SEG.            - - - CURRENT (AMPS) - - -");
    lines.push_back(
        "   NO.   NO.     X        Y        Z      LENGTH     REAL      IMAGINARY    MAGN        PHASE");
    for (std::size_t i = 0; i < o.segments.size(); ++i) {
      const ClassicSegment& s = o.segments[i];
      lines.push_back(Printf(" %5d%5d%9.4f%9.4f%9.4f%9.5f %12.4E%12.4E%12.4E%9.3f", static_cast<int>(i + 1),
                             1, s.x, s.y, s.z, s.length, s.re, s.im, s.magnitude, s.phase));
    }
    lines.push_back("");
  }
  if (o.withPowerBudget) {
    lines.push_back("                               ---------- POWER BUDGET ---------");
    lines.push_back("");
    lines.push_back("                               " + Printf("INPUT POWER   =%11.4E WATTS", o.inputPower));
    const double radiated = std::isnan(o.radiatedPower) ? o.inputPower : o.radiatedPower;
    lines.push_back("                               " + Printf("RADIATED POWER=%11.4E WATTS", radiated));
    lines.push_back("                               STRUCTURE LOSS= 0.0000E+00 WATTS");
    lines.push_back("                               NETWORK LOSS  = 0.0000E+00 WATTS");
    lines.push_back("                               EFFICIENCY    =  100.00 PERCENT");
    lines.push_back("");
  }
  if (!o.nearField.empty() || !o.moreNearFields.empty())
    AppendNearTable(lines, o.magnetic, o.nearField, o.nearBlankLineAfter);
  for (const ClassicNearTable& t : o.moreNearFields)
    AppendNearTable(lines, t.magnetic, t.rows, t.blankLineAfter);
}

inline void AppendPreamble(std::vector<std::string>& lines, const std::vector<std::string>& comments) {
  lines.push_back("");
  lines.push_back("                              __________________________________________");
  lines.push_back("                             |                                          |");
  lines.push_back("                             | NUMERICAL ELECTROMAGNETICS CODE (NEC-2D) |");
  lines.push_back("                             |__________________________________________|");
  lines.push_back("");
  lines.push_back("                               ---------------- COMMENTS ----------------");
  for (const std::string& c : comments) lines.push_back(" " + c);
  lines.push_back("");
  lines.push_back("                               -------- STRUCTURE SPECIFICATION --------");
  lines.push_back("                                     COORDINATES MUST BE INPUT IN");
  lines.push_back("                                     METERS OR BE SCALED TO METERS");
  lines.push_back("                                     BEFORE STRUCTURE INPUT IS ENDED");
  lines.push_back("");
  lines.push_back(
      "  WIRE                                                                               SEG FIRST  LAST  "
      "TAG");
  lines.push_back(
      "   NO.        X1         Y1         Z1          X2         Y2         Z2      RADIUS   NO.   SEG   "
      "SEG  NO.");
  lines.push_back(
      "     1     0.00000    0.00000   -5.00000     0.00000    0.00000    5.00000    0.00100   11     1    "
      "11    1");
  lines.push_back("");
  lines.push_back(
      "     TOTAL SEGMENTS USED=   11     NO. SEG. IN A SYMMETRIC CELL=   11     SYMMETRY FLAG=  0");
}

inline void AppendTrailer(std::vector<std::string>& lines) {
  lines.push_back("");
  lines.push_back("  RUN TIME =     0.010");
}

}  // namespace classic_detail

// A text holding several runs one after the other (NEC2 repeats the sections per frequency);
// the comments of the first run are printed once at the top.
inline std::string ClassicRunsText(const ClassicOutput* runs, std::size_t count) {
  std::vector<std::string> lines;
  lines.reserve(64 + (count ? runs[0].segments.size() + runs[0].nearField.size() : 0));
  classic_detail::AppendPreamble(lines, count ? runs[0].comments : std::vector<std::string>{});
  for (std::size_t i = 0; i < count; ++i) classic_detail::AppendRun(lines, runs[i]);
  if (count && runs[count - 1].trailer) classic_detail::AppendTrailer(lines);
  return classic_detail::Join(lines);
}
inline std::string ClassicOutputText(const std::vector<ClassicOutput>& runs) {
  return ClassicRunsText(runs.data(), runs.size());
}
// The whole output text of one run.
inline std::string ClassicOutputText(const ClassicOutput& o) { return ClassicRunsText(&o, 1); }

// One near-field row in the classic layout (no line end), e.g.
// "   -1.0000   -1.0000   -1.0000   7.8777E-02 -117.82   7.8777E-02 -117.82   1.2597E-01  149.73".
inline std::string ClassicNearRowText(const ClassicNearRow& r) {
  std::vector<std::string> lines;
  classic_detail::AppendNearTable(lines, false, {r}, false);
  return lines.back();
}

// The six magnitude/phase values of one grid point.
struct ClassicField {
  double mx = 0, px = 0, my = 0, py = 0, mz = 0, pz = 0;
};

// A regular grid in NEC2's order (x fastest, then y, then z): nx * ny * nz rows from start
// (sx, sy, sz) with the same step on every axis; field(x, y, z) gives the ClassicField.
template <typename FieldFunction>
inline std::vector<ClassicNearRow> ClassicGrid(int nx, int ny, int nz, double sx, double sy, double sz,
                                               double step, FieldFunction field) {
  std::vector<ClassicNearRow> rows;
  if (nx <= 0 || ny <= 0 || nz <= 0) return rows;
  rows.reserve(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny) * static_cast<std::size_t>(nz));
  for (int k = 0; k < nz; ++k)
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        const double x = sx + step * i, y = sy + step * j, z = sz + step * k;
        const ClassicField f = field(x, y, z);
        rows.push_back(ClassicNearRow{x, y, z, f.mx, f.px, f.my, f.py, f.mz, f.pz});
      }
  return rows;
}

// A smooth, varied test field: magnitudes falling with the distance from (0, 0, 0.5), phases
// turning with it, so neighbouring rows differ in every column.
inline ClassicField ClassicDipoleField(double x, double y, double z) {
  const double r = std::sqrt(x * x + y * y + (z - 0.5) * (z - 0.5)) + 0.25;
  const double phase = std::remainder(-360.0 * r / 21.1, 360.0);
  return ClassicField{0.0788 / r,         phase,
                      0.0788 / (r + 0.1), std::remainder(phase + 30.0, 360.0),
                      0.126 / r,          std::remainder(phase + 267.5, 360.0)};
}

}  // namespace varnel
