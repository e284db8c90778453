// The NEC2 output reader. The contract is in reader.hpp; this file keeps it fast: the text is
// scanned forward once from the keyword, rows are looked at in place (no line copies, no
// repeated replace passes), and the common NEC2 number form is converted without building a
// string. Anything unusual goes through TextToReal on the field's replaced text, so results
// and failure messages are the same as converting field by field.
#include "necout/reader.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <optional>
#include <utility>
#include <vector>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VARNEL_FIXED_ROWS 1
#endif

#include "necout/lines.hpp"
#include "necout/print.hpp"
#include "util/decimal.hpp"
#include "util/text.hpp"
#include "util/errors.hpp"
#include "util/format.hpp"
#include "util/numbers.hpp"
#include "util/workers.hpp"

namespace varnel {

namespace {

constexpr char kCR = '\r';
const double kSqrt2 = std::sqrt(2.0);
const double kInvSqrt2 = 1.0 / std::sqrt(2.0);

// ---- Numbers --------------------------------------------------------------------------

[[noreturn]] void FailConversion(std::string_view text) {
  throw ConversionError("'" + std::string(text) + "' ist kein g\xC3\xBCltiger Gleitkommawert");
}

std::string WithSeparator(std::string_view field) {
  std::string s(field);
  const char separator = DecimalSeparator;
  if (separator != '.') std::replace(s.begin(), s.end(), '.', separator);
  return s;
}

// A NEC2 field converted the way the reader converts it: '.' becomes DecimalSeparator, then
// TextToReal.
double FieldToReal(std::string_view field) { return TextToReal(WithSeparator(field)); }

// A field in the form of ScanDecimal ('.' and the separator both act as the mark) whose value one
// exact operation gives: true, with the value. Anything else is left to TextToReal.
bool PlainNumber(std::string_view field, char separator, double& value) {
  DecimalParts parts;
  const char* const end = field.data() + field.size();
  const char* const stop = ScanDecimal<false>(field.data(), end, '.', separator, parts);
  return stop != nullptr && stop == end && ExactDecimal(parts, value);
}

// Converts the near-field fields of one call. The plain path is taken only for the separators
// '.' and ','; with any other separator every field goes through TextToReal.
class FieldConverter {
 public:
  FieldConverter() : separator_(DecimalSeparator), plain_(separator_ == '.' || separator_ == ',') {}

  double Convert(std::string_view field, bool ezMagnitude) const {
    if (field == "NaN") return ezMagnitude ? 0.0 : 1000000.0;
    double value;
    if (plain_ && PlainNumber(field, separator_, value)) return value;
    const std::string replaced = WithSeparator(field);
    if (replaced == "NaN") return ezMagnitude ? 0.0 : 1000000.0;
    return TextToReal(replaced);
  }
  char Separator() const { return separator_; }
  bool Plain() const { return plain_; }

 private:
  char separator_;
  bool plain_;
};

// ---- Near-field rows ------------------------------------------------------------------

constexpr std::size_t kFieldsPerRow = 9;
constexpr std::size_t kBlanksFoldedPerRun = 64;  // six passes of "two blanks to one"

bool IsTrimmed(unsigned char c) { return c <= 32; }

std::string_view TrimRow(std::string_view row) {
  std::size_t first = 0, last = row.size();
  while (first < last && IsTrimmed(static_cast<unsigned char>(row[first]))) ++first;
  while (last > first && IsTrimmed(static_cast<unsigned char>(row[last - 1]))) --last;
  return row.substr(first, last - first);
}

// The row as the step-by-step reading sees it after folding blank runs (a run of L blanks
// becomes ceil(L / 64)) and turning '.' into the separator. Used for messages and for a blank
// separator, where that replacement creates new split points.
std::string NormalizedRow(std::string_view row, char separator) {
  std::string out;
  out.reserve(row.size());
  for (std::size_t i = 0; i < row.size();) {
    if (row[i] == ' ') {
      std::size_t run = 0;
      while (i < row.size() && row[i] == ' ') ++run, ++i;
      out.append((run + kBlanksFoldedPerRun - 1) / kBlanksFoldedPerRun, ' ');
    } else {
      out.push_back(row[i] == '.' ? separator : row[i]);
      ++i;
    }
  }
  return out;
}

// Splits a trimmed row into its first nine fields; returns how many there are (at most nine).
// A run of L blanks separates like ceil(L / 64) single blanks.
std::size_t SplitRow(std::string_view row, std::array<std::string_view, kFieldsPerRow>& fields) {
  if (row.empty()) return 0;
  std::size_t n = 0, start = 0, i = 0;
  while (i < row.size()) {
    if (row[i] != ' ') {
      ++i;
      continue;
    }
    fields[n++] = row.substr(start, i - start);
    if (n == kFieldsPerRow) return n;
    std::size_t run = 0;
    while (i < row.size() && row[i] == ' ') ++run, ++i;
    for (std::size_t extra = (run + kBlanksFoldedPerRun - 1) / kBlanksFoldedPerRun - 1; extra > 0; --extra) {
      fields[n++] = std::string_view();
      if (n == kFieldsPerRow) return n;
    }
    start = i;
  }
  fields[n++] = row.substr(start);
  return n;
}

// Plain single-blank split (for a blank separator, after NormalizedRow).
std::size_t SplitAtBlanks(std::string_view row, std::array<std::string_view, kFieldsPerRow>& fields) {
  if (row.empty()) return 0;
  std::size_t n = 0, start = 0;
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (row[i] == ' ') {
      fields[n++] = row.substr(start, i - start);
      if (n == kFieldsPerRow) return n;
      start = i + 1;
    }
  }
  fields[n++] = row.substr(start);
  return n;
}

// cos and sin of 2 * phase degrees, the angle turned into radians exactly as CosDeg and
// SinDeg do (pi taken as 3.14159265359); inline, so that the compiler can evaluate both in one
// call. The equivalence test holds this to CosDeg and SinDeg bit for bit.
struct CosSin {
  double cos, sin;
};

CosSin DoubledPhase(double phase) {
  constexpr double kPi = 3.14159265359;
  const double radians = 2 * phase * kPi / 180;
  return {std::cos(radians), std::sin(radians)};
}

// NEC2 prints a phase with two decimals in [-180, 180]: 36001 values in all, while a table
// has three phases in each of thousands of rows. So the sine and cosine of every such phase
// are worked out once per program, by DoubledPhase itself from the very double the reading
// gives for the phase text (k / 100, correctly rounded, whatever the spelling of the text).
// A phase is looked up only when it is bit for bit such a k / 100; any other one (more
// decimals, out of range, -0, NaN) is computed as before. The results are identical either way
// (the equivalence test holds every entry to CosDeg and SinDeg). The table is filled by the
// first reader that needs it (see RowReader).
class PhaseTable {
 public:
  PhaseTable() : entries_(2 * kHundredths + 1) {
    for (int k = -kHundredths; k <= kHundredths; ++k)
      entries_[static_cast<std::size_t>(k + kHundredths)] = DoubledPhase(k / 100.0);
  }
  // Out of line: the rows of the engine give their phases in hundredths (At), and this path's
  // cosine and sine calls, inlined, crowd the loop that reads them (5 % slower).
  [[gnu::noinline]] CosSin Of(double phase) const {
    if (phase >= -180.0 && phase <= 180.0) {  // false for NaN
      const double scaled = phase * 100.0;
      const int k = static_cast<int>(scaled + (scaled >= 0 ? 0.5 : -0.5));
      if (std::bit_cast<std::uint64_t>(k / 100.0) == std::bit_cast<std::uint64_t>(phase))
        return entries_[static_cast<std::size_t>(k + kHundredths)];
    }
    return DoubledPhase(phase);
  }
  // The angle of hundredths / 100, |hundredths| <= 18000.
  CosSin At(int hundredths) const { return entries_[static_cast<std::size_t>(hundredths + kHundredths)]; }

 private:
  static constexpr int kHundredths = 18000;
  std::vector<CosSin> entries_;
};

const PhaseTable& Phases() {
  static const PhaseTable table;
  return table;
}

// A phase NEC2 prints (two decimals within [-180, 180]) is also given to the ellipse as its
// count of hundredths k, so that its angle is looked up without converting the text: such a
// text reads as the double nearest to k / 100, the very double the phase table is keyed on.
constexpr int kNoHundredths = 1 << 30;

// k when the number mantissa * 10^exponent (all digits in the mantissa) is k / 100 with |k| <= 18000 (-0
// excluded: its angle has a sign of its own); kNoHundredths otherwise.
int Hundredths(bool negative, std::uint64_t mantissa, long long exponent) {
  if (exponent < -2 || exponent > 0 || mantissa > 18000) return kNoHundredths;
  std::uint64_t k = mantissa;
  if (exponent == -1)
    k *= 10;
  else if (exponent == 0)
    k *= 100;
  if (k > 18000 || (k == 0 && negative)) return kNoHundredths;
  return negative ? -static_cast<int>(k) : static_cast<int>(k);
}

// The sums C, S and N of the polarisation ellipse over the first components of a row: the
// squared magnitudes (v[3], v[5], v[7]) weighted by the cosine and the sine of twice the phase
// (v[4], v[6], v[8], or its hundredths, which leave the phase in v unwritten), and unweighted.
struct EllipseSums {
  double c, s, n;
};

EllipseSums SumsOf(const double (&v)[kFieldsPerRow], const int (&hundredths)[3], int components) {
  const PhaseTable& phases = Phases();
  double c = 0, s = 0, n = 0;
  for (int i = 0; i < components; ++i) {
    const double m2 = v[3 + 2 * i] * v[3 + 2 * i];
    const CosSin angle = hundredths[i] != kNoHundredths ? phases.At(hundredths[i]) : phases.Of(v[4 + 2 * i]);
    c += m2 * angle.cos;
    s += m2 * angle.sin;
    n += m2;
  }
  return {c, s, n};
}

// sqrt((sqrt(C^2 + S^2) + N) / 2): the major half-axis of the polarisation ellipse.
double PeakAmplitude(const EllipseSums& e) {
  return std::sqrt((std::sqrt(e.c * e.c + e.s * e.s) + e.n) * 0.5);
}

// Where the rows of a run go, the sinks of RowReader::Read: appended to a table's lists (up to
// MaxNearFieldRows rows in all), or written into them from a given row on, up to a given row,
// the lists being that long already (RowsInPlace).
class AppendedRows {
 public:
  explicit AppendedRows(NearFieldTable& table) : table_(table) {}
  std::size_t Room() const { return MaxNearFieldRows - std::min(MaxNearFieldRows, table_.x.size()); }
  bool RoomEndsTable() const { return true; }  // whether the rows end with the room
  void Coordinates(double x, double y, double z) {
    table_.x.push_back(x);
    table_.y.push_back(y);
    table_.z.push_back(z);
  }
  void Value(double value) { table_.value.push_back(value); }

 private:
  NearFieldTable& table_;
};

class RowsInPlace {
 public:
  RowsInPlace(NearFieldTable& table, std::size_t first, std::size_t end)
      : x_(table.x.data() + first),
        y_(table.y.data() + first),
        z_(table.z.data() + first),
        value_(table.value.data() + first),
        room_(end - first),
        endsTable_(end >= MaxNearFieldRows) {}
  std::size_t Room() const { return room_; }
  bool RoomEndsTable() const { return endsTable_; }
  void Coordinates(double x, double y, double z) {
    *x_++ = x;
    *y_++ = y;
    *z_++ = z;
  }
  void Value(double value) { *value_++ = value; }

 private:
  double *x_, *y_, *z_, *value_;
  std::size_t room_;
  bool endsTable_;
};

// The row sweep reads a row before its end is known: it starts at the row's first byte that
// is not trimmed and needs no bounds, because every number and every blank run ends at the
// latest at the CR behind the row or at the text's terminating NUL. What the sweep cannot take
// as it stands is left to the general reading of the trimmed row.

// A field of the sweep ends at a blank; the ninth also at the CR that ends its row (whatever
// else follows a blank behind the ninth field is ignored or trimmed).
inline bool EndsField(const char* p, bool ninth) { return *p == ' ' || (ninth && *p == kCR); }

// One number of the row sweep: [sign] digits [mark digits] [E [sign] digits] with at most 19
// digits (the digit and exponent pieces of ScanDecimal, '.' and mark both acting as the mark),
// ending its field, with an exact value. Moves p behind it.
struct SweptNumber {
  bool negative;
  std::uint64_t mantissa;
  long long exponent;
};

inline bool SweepNumber(const char*& at, char mark, bool ninth, SweptNumber& n) {
  const char* p = at;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  std::uint64_t mantissa = 0;
  const char* const intStart = p;
  p = ScanDigits<true>(p, nullptr, mantissa);
  std::ptrdiff_t digits = p - intStart;
  long long exponent = 0;
  if (*p == '.' || *p == mark) {
    const char* const fracStart = ++p;
    p = ScanDigits<true>(p, nullptr, mantissa);
    exponent = -(p - fracStart);
    digits += p - fracStart;
  }
  if (digits == 0 || digits > 19) return false;
  if (*p == 'E' || *p == 'e') {
    long long e;
    p = ScanExponent<true>(p + 1, nullptr, e);
    if (p == nullptr) return false;
    exponent += e;
  }
  if (!EndsField(p, ninth) || !ExactFits(mantissa, exponent)) return false;
  at = p;
  n = {negative, mantissa, exponent};
  return true;
}

// The start of the next field: behind the run of 1 to 64 blanks at p (the previous field
// ended at a blank).
inline bool SweepBlanks(const char*& p) {
  const char* const run = p;
  while (*p == ' ') ++p;
  return p - run <= static_cast<std::ptrdiff_t>(kBlanksFoldedPerRun);
}

// "NaN" at p, ending its field; moves p behind it.
inline bool SweepNaN(const char*& p, bool ninth) {
  if (p[0] == 'N' && p[1] == 'a' && p[2] == 'N' && EndsField(p + 3, ninth)) {
    p += 3;
    return true;
  }
  return false;
}

// The common row in one sweep from its first byte: three coordinates, then magnitude and phase
// three times, each "NaN" or a SweepNumber, apart by runs of 1 to 64 blanks. Returns the
// position behind the ninth field (a blank or the CR), or nullptr for anything else: the row
// is then read field by field with the general rules. Without wantPhases the phases are only
// checked, not converted; with it a phase that is k / 100 gives k in hundredths and no value.
// p must point into a std::string (its NUL ends every scan).
inline const char* SweepRow(const char* p, char mark, bool wantPhases, double (&v)[kFieldsPerRow],
                            int (&hundredths)[3]) {
  SweptNumber n;
  for (std::size_t f = 0; f < 3; ++f) {
    if (f > 0 && !SweepBlanks(p)) return nullptr;
    if (SweepNaN(p, false))
      v[f] = 1000000.0;
    else if (SweepNumber(p, mark, false, n))
      v[f] = ExactValue(n.negative, n.mantissa, n.exponent);
    else
      return nullptr;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t f = 3 + 2 * i;
    const bool ninth = i == 2;
    if (!SweepBlanks(p)) return nullptr;
    if (SweepNaN(p, false))
      v[f] = f == 7 ? 0.0 : 1000000.0;
    else if (SweepNumber(p, mark, false, n))
      v[f] = ExactValue(n.negative, n.mantissa, n.exponent);
    else
      return nullptr;
    if (!SweepBlanks(p)) return nullptr;
    if (SweepNaN(p, ninth)) {
      v[f + 1] = 1000000.0;
    } else if (!SweepNumber(p, mark, ninth, n)) {
      return nullptr;
    } else if (wantPhases) {
      // Only the ellipse uses a phase, and mostly through its hundredths.
      hundredths[i] = Hundredths(n.negative, n.mantissa, n.exponent);
      if (hundredths[i] == kNoHundredths) v[f + 1] = ExactValue(n.negative, n.mantissa, n.exponent);
    }
  }
  return p;
}

// ---- Rows in the engine's own layout ------------------------------------------------------
//
// The engine prints a near-field row as "%10.4f" three times and "%13.4E%8.2f" three times: 93
// characters, then the CR. Such a row is checked and converted at fixed columns: its 96-byte
// window is classified sixteen bytes at a time, the whole row is checked with a few mask
// operations, and each number's digits are gathered from one 8-byte word, with no branch on
// the digits. It is taken only when the sweep would read the same numbers from the same
// digits: each field right-aligned as a blank, more blanks, an optional '-', digits, '.' and
// its fixed count of decimals (a magnitude then "E", a sign and two digits), so that the blank
// split finds the same nine fields, and every value exact. The values are the sweep's:
// ExactValue of the same mantissa and exponent. Any other row goes to the sweep, among them a
// coordinate of five integer digits, which leaves its field no blank. The classification
// needs SSE2, which every x86-64 processor has; other processors read every row by the sweep.
#ifdef VARNEL_FIXED_ROWS

// A field of the layout: its first column, the width of its integer part (blanks, sign and
// digits, ending right before the '.'), its count of decimals, and whether "E", a sign and two
// exponent digits follow.
struct FixedField {
  int start, intWidth, decimals;
  bool exponent;
};
constexpr FixedField kFixedFields[kFieldsPerRow] = {{0, 5, 4, false},  {10, 5, 4, false}, {20, 5, 4, false},
                                                    {30, 4, 4, true},  {43, 5, 2, false}, {51, 4, 4, true},
                                                    {64, 5, 2, false}, {72, 4, 4, true},  {85, 5, 2, false}};
constexpr int kFixedRowLength = 93;  // the CR stands behind
constexpr int kFixedWindow = 96;     // six blocks of 16 bytes

// One bit per byte of the window: bytes 0..63 in lo, 64..95 in hi.
struct WindowBits {
  std::uint64_t lo = 0, hi = 0;
  constexpr void Set(int i) { (i < 64 ? lo : hi) |= std::uint64_t{1} << (i % 64); }
  // Adds the 16-bit mask of the window's block b.
  void Put(int b, int mask) {
    (b < 4 ? lo : hi) |= static_cast<std::uint64_t>(static_cast<unsigned>(mask)) << (16 * (b % 4));
  }
  // Bit i set when byte i + 1 is in this.
  constexpr WindowBits Next() const { return {(lo >> 1) | (hi << 63), hi >> 1}; }
  constexpr WindowBits operator&(const WindowBits& o) const { return {lo & o.lo, hi & o.hi}; }
  constexpr WindowBits operator|(const WindowBits& o) const { return {lo | o.lo, hi | o.hi}; }
  constexpr WindowBits operator~() const { return {~lo, ~hi}; }
  constexpr bool None() const { return (lo | hi) == 0; }
  constexpr bool Covers(const WindowBits& wanted) const { return ((wanted & ~*this)).None(); }
};

// The columns of the layout: the bytes that must be digits, or stand as in text (the blank
// that begins each integer part, '.', 'E', the CR, and an exponent's sign: '+', or '-' where
// signColumns lets it in); the rest of each integer part, and its last byte (a digit).
struct FixedLayout {
  WindowBits digits, literal, intRest, intLast;
  char text[kFixedWindow] = {};
  char signColumns[kFixedWindow] = {};  // -1 at the exponent signs
};

constexpr FixedLayout MakeFixedLayout() {
  FixedLayout layout;
  for (const FixedField& f : kFixedFields) {
    const int mark = f.start + f.intWidth;
    layout.text[f.start] = ' ';
    layout.literal.Set(f.start);
    for (int i = f.start + 1; i < mark; ++i) layout.intRest.Set(i);
    layout.intLast.Set(mark - 1);
    layout.text[mark] = '.';
    layout.literal.Set(mark);
    for (int i = 1; i <= f.decimals; ++i) layout.digits.Set(mark + i);
    if (f.exponent) {
      const int e = mark + f.decimals + 1;
      layout.text[e] = 'E';
      layout.literal.Set(e);
      layout.text[e + 1] = '+';
      layout.literal.Set(e + 1);
      layout.signColumns[e + 1] = -1;
      layout.digits.Set(e + 2);
      layout.digits.Set(e + 3);
    }
  }
  layout.text[kFixedRowLength] = kCR;
  layout.literal.Set(kFixedRowLength);
  return layout;
}
constexpr FixedLayout kFixedLayout = MakeFixedLayout();

// The bytes of a field's integer part.
constexpr WindowBits IntegerPart(const FixedField& f) {
  WindowBits bits;
  for (int i = f.start; i < f.start + f.intWidth; ++i) bits.Set(i);
  return bits;
}

inline std::uint64_t Load8(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// The number a field's digits spell, from the 8 bytes that end with its last decimal (the
// machine is little-endian: the byte at the lowest address is the lowest). The '.' at byte dot
// is taken out by moving the bytes before it up by one; where the integer part begins before
// the word, its second byte comes in as byte 0. Blanks and '-' count as no digit: of the bytes
// a checked field holds, only digits have the bit 0x10.
template <int Start, int Mark, int Decimals>
inline std::uint64_t FieldDigits(const char* line) {
  constexpr int first = Mark + 1 + Decimals - 8;
  constexpr int dot = Mark - first;
  constexpr std::uint64_t below = (std::uint64_t{1} << (8 * dot)) - 1;
  constexpr std::uint64_t above = ~((std::uint64_t{1} << (8 * (dot + 1))) - 1);
  const std::uint64_t word = Load8(line + first);
  std::uint64_t v = ((word & below) << 8) | (word & above);
  if constexpr (Start + 1 < first) v |= static_cast<unsigned char>(line[Start + 1]);
  v &= ((v >> 4) & 0x0101010101010101ULL) * 0x0F;
  v = v * 10 + (v >> 8);
  return (((v & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
          (((v >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
         32;
}

// Field I of a row whose layout has been checked; false when its value is not exact.
template <std::size_t I>
inline bool FixedNumber(const char* line, const WindowBits& minus, bool wantPhases,
                        double (&v)[kFieldsPerRow], int (&hundredths)[3]) {
  constexpr FixedField f = kFixedFields[I];
  constexpr int mark = f.start + f.intWidth;
  constexpr WindowBits part = IntegerPart(f);
  const std::uint64_t mantissa = FieldDigits<f.start, mark, f.decimals>(line);
  const bool negative = !(minus & part).None();
  if constexpr (f.exponent) {
    constexpr int e = mark + f.decimals + 1;
    const long long power = (line[e + 2] - '0') * 10 + (line[e + 3] - '0');
    const long long exponent = -f.decimals + (line[e + 1] == '-' ? -power : power);
    if (!ExactFits(mantissa, exponent)) return false;
    v[I] = ExactValue(negative, mantissa, exponent);
    return true;
  } else {
    if constexpr (I >= 3) {  // a phase
      if (!wantPhases) return true;
      constexpr std::size_t component = (I - 4) / 2;
      hundredths[component] = Hundredths(negative, mantissa, -f.decimals);
      if (hundredths[component] != kNoHundredths) return true;
    }
    // ExactValue with its exponent known: m / 10^decimals, and -0 for a negative zero.
    const double magnitude = static_cast<double>(mantissa) / decimal_detail::kPowersOfTen[f.decimals];
    v[I] = negative ? -magnitude : magnitude;
    return true;
  }
}

template <std::size_t... I>
inline bool FixedNumbers(const char* line, const WindowBits& minus, bool wantPhases,
                         double (&v)[kFieldsPerRow], int (&hundredths)[3], std::index_sequence<I...>) {
  return (FixedNumber<I>(line, minus, wantPhases, v, hundredths) && ...);
}

// The row at line in the engine's layout: the nine numbers and the hundredths as SweepRow
// gives them, and the position of the CR behind the row; nullptr for any other row, with the
// hundredths untouched (some numbers may be written). The 96 bytes from line must be readable.
inline const char* FixedRow(const char* line, bool wantPhases, double (&v)[kFieldsPerRow],
                            int (&hundredths)[3]) {
  const __m128i belowZero = _mm_set1_epi8('0' - 1), aboveNine = _mm_set1_epi8('9' + 1);
  const __m128i blank = _mm_set1_epi8(' '), dash = _mm_set1_epi8('-');
  const FixedLayout& l = kFixedLayout;
  WindowBits digits, blanks, minus, settled;
  for (int b = 0; b < kFixedWindow / 16; ++b) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + 16 * b));
    const __m128i expected = _mm_loadu_si128(reinterpret_cast<const __m128i*>(l.text + 16 * b));
    const __m128i signColumns = _mm_loadu_si128(reinterpret_cast<const __m128i*>(l.signColumns + 16 * b));
    const __m128i isDash = _mm_cmpeq_epi8(c, dash);
    digits.Put(b,
               _mm_movemask_epi8(_mm_and_si128(_mm_cmpgt_epi8(c, belowZero), _mm_cmplt_epi8(c, aboveNine))));
    blanks.Put(b, _mm_movemask_epi8(_mm_cmpeq_epi8(c, blank)));
    minus.Put(b, _mm_movemask_epi8(isDash));
    // The layout's own bytes ('+' in a sign's column), and '-' in a sign's column.
    settled.Put(
        b, _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(c, expected), _mm_and_si128(isDash, signColumns))));
  }
  // An integer part is a blank, then blanks, a '-' right before the digits, and digits up to
  // the '.': no other byte, no digit followed by a non-digit, no '-' followed by a non-digit.
  const WindowBits nextIsDigit = digits.Next();
  if (!digits.Covers(l.digits) || !settled.Covers(l.literal) || !digits.Covers(l.intLast) ||
      !(digits | blanks | minus).Covers(l.intRest) ||
      !(((digits & ~l.intLast) | minus) & l.intRest & ~nextIsDigit).None())
    return nullptr;
  int rowHundredths[3] = {kNoHundredths, kNoHundredths, kNoHundredths};
  if (!FixedNumbers(line, minus, wantPhases, v, rowHundredths, std::make_index_sequence<kFieldsPerRow>()))
    return nullptr;
  std::copy(std::begin(rowHundredths), std::end(rowHundredths), std::begin(hundredths));
  return line + kFixedRowLength;
}

#endif

// The nine numbers of a trimmed row field by field; throws on a bad field or a row of fewer
// than nine fields.
void ConvertRow(std::string_view row, const FieldConverter& convert, double (&v)[kFieldsPerRow]) {
  std::array<std::string_view, kFieldsPerRow> fields;
  std::string normalized;  // holds the fields' bytes for a blank separator
  std::size_t count;
  if (convert.Separator() == ' ') {
    normalized = NormalizedRow(row, ' ');
    count = SplitAtBlanks(normalized, fields);
  } else {
    count = SplitRow(row, fields);
  }
  if (count < kFieldsPerRow) FailConversion(NormalizedRow(row, convert.Separator()));
  for (std::size_t i = 0; i < kFieldsPerRow; ++i) v[i] = convert.Convert(fields[i], i == 7);
}

// Puts the row of the nine numbers (phases given by hundredths where those are known).
template <typename Rows>
void PutRow(const double (&v)[kFieldsPerRow], const int (&hundredths)[3], int polarization, Rows& sink) {
  sink.Coordinates(v[0], v[1], v[2]);
  switch (polarization) {
    case 0: {
      const double peak = PeakAmplitude(SumsOf(v, hundredths, 3));
      sink.Value((peak > 1000 ? 0 : peak) * kInvSqrt2);
      break;
    }
    case 1:
      sink.Value(v[3] * kInvSqrt2);
      break;
    case 2:
      sink.Value(v[5] * kInvSqrt2);
      break;
    case 3:
      sink.Value(v[7] * kInvSqrt2);
      break;
    case 4:
      sink.Value(PeakAmplitude(SumsOf(v, hundredths, 2)) * kInvSqrt2);
      break;
    default:
      break;
  }
}

// How a run of rows ended: the start of the row after the last one read, whether the table
// ended there (a short row, the end of the text, the most rows, or a failing row), and the
// failing row's error.
struct RowRun {
  std::size_t next = 0;
  bool ended = true;
  std::exception_ptr failure;
  std::size_t rows = 0;  // the rows put
};

// Reads the rows of one near-field table from given row starts; used by one thread or by
// several at once on different parts of the text.
class RowReader {
 public:
  RowReader(std::string_view text, int polarization, std::size_t firstRow)
      : text_(text), polarization_(polarization), wantPhases_(polarization == 0 || polarization == 4) {
    // The phase table is filled here, on the calling thread, rather than by the first part that
    // needs it while the others wait.
    if (wantPhases_) Phases();
    // Rows of a table are alike: the first one's length tells how many a stretch of text holds.
    const void* firstEnd =
        firstRow < text.size() ? std::memchr(text.data() + firstRow, kCR, text.size() - firstRow) : nullptr;
    stride_ = firstEnd
                  ? static_cast<std::size_t>(static_cast<const char*>(firstEnd) - text.data()) - firstRow + 1
                  : text.size() - firstRow;
    stride_ = std::max<std::size_t>(stride_, 16);
  }

  // The length of the first row with its line end: that of every row of the engine's layout.
  std::size_t Stride() const { return stride_; }
  // Whether the rows give values (polarisations 0 to 4).
  bool HasValues() const { return polarization_ >= 0 && polarization_ <= 4; }

  // Room in table for the rows that the text from one row start to another holds (more rows
  // still fit; the lists then grow).
  void Reserve(NearFieldTable& table, std::size_t from, std::size_t to) const {
    const std::size_t expected = std::min(MaxNearFieldRows, (to - from) / stride_ + 1);
    table.x.reserve(expected);
    table.y.reserve(expected);
    table.z.reserve(expected);
    if (HasValues()) table.value.reserve(expected);
  }

  // Puts the rows that start at rowStart (zero-based) and after it into sink, up to the first
  // one that would start at or behind stop, the end of the table or a full sink.
  template <typename Rows>
  RowRun Read(std::size_t rowStart, std::size_t stop, Rows sink) const {
    const char* const data = text_.data();
    const char* const textEnd = data + text_.size();
    RowRun run;
    double v[kFieldsPerRow];
    std::size_t rows = 0;
    for (const std::size_t room = sink.Room();; ++rows) {
      if (rows == room) {
        run.ended = sink.RoomEndsTable();
        break;
      }
      if (rowStart >= text_.size()) break;
      if (rowStart >= stop) {
        run.ended = false;
        break;
      }
      const char* const line = data + rowStart;
      int hundredths[3] = {kNoHundredths, kNoHundredths, kNoHundredths};
#ifdef VARNEL_FIXED_ROWS
      const char* rowEnd = convert_.Plain() && textEnd - line >= kFixedWindow - 1
                               ? FixedRow(line, wantPhases_, v, hundredths)
                               : nullptr;
#else
      const char* rowEnd = nullptr;
#endif
      const char* first = line;  // the first byte not trimmed, or the CR or the end
      if (rowEnd == nullptr) {
        while (first < textEnd && *first != kCR && IsTrimmed(static_cast<unsigned char>(*first))) ++first;
        if (convert_.Plain() && first < textEnd)
          rowEnd = SweepRow(first, convert_.Separator(), wantPhases_, v, hundredths);
      }
      if (rowEnd == nullptr || *rowEnd != kCR) {
        // The CR behind the row, or the text's end.
        const char* from = rowEnd ? rowEnd : first;
        const void* hit = std::memchr(from, kCR, static_cast<std::size_t>(textEnd - from));
        const char* const swept = rowEnd;
        rowEnd = hit ? static_cast<const char*>(hit) : textEnd;
        if (swept == nullptr) {
          const std::string_view row =
              TrimRow(std::string_view(first, static_cast<std::size_t>(rowEnd - first)));
          if (row.size() < 2) break;
          for (int& k : hundredths) k = kNoHundredths;  // a sweep that gave up may have set some
          try {
            ConvertRow(row, convert_, v);
          } catch (...) {
            run.failure = std::current_exception();  // the table keeps the rows before it
            break;
          }
        }
      }
      PutRow(v, hundredths, polarization_, sink);
      if (rowEnd == textEnd) {  // the table ran to the end of the text
        ++rows;
        rowStart = text_.size();
        break;
      }
      rowStart = static_cast<std::size_t>(rowEnd - data) + 2;
    }
    run.next = rowStart;
    run.rows = rows;
    return run;
  }

 private:
  std::string_view text_;
  int polarization_;
  bool wantPhases_;
  FieldConverter convert_;  // reads DecimalSeparator once, on the calling thread
  std::size_t stride_;
};

// Appends the first count rows of part to table.
void AppendRows(const NearFieldTable& part, std::size_t count, NearFieldTable& table) {
  const auto append = [count](const RealList& from, RealList& to) {
    to.insert(to.end(), from.begin(),
              from.begin() + static_cast<std::ptrdiff_t>(std::min(count, from.size())));
  };
  // The lists of a large part are copied at once: the copy is mostly the page faults of fresh
  // memory, which the cores take in parallel.
  RunAtOnce({[&] { append(part.x, table.x), append(part.y, table.y); },
             [&] { append(part.z, table.z), append(part.value, table.value); }},
            count >= kPointsWorthCores);
}

// The rows of a large table read in parts at once, each part writing its rows into the table's
// lists where they belong, with no copy afterwards. That place is known when the rows before a
// part's start are all one stride long, as those of the engine's layout are: the lists are made
// long enough for all rows the text could hold first, and cut to the rows read at the end. The
// parts are joined in order as long as each filled its stretch up to the next part's start;
// from the first that did not, the rows are read on one after the other. False, having done
// nothing, when a part's start is not a whole number of strides behind the first row.
bool ReadPartsInPlace(const RowReader& reader, std::string_view view, std::size_t firstRow,
                      const std::vector<std::size_t>& starts, NearFieldTable& table, RowRun& last) {
  const std::size_t stride = reader.Stride(), parts = starts.size();
  // Row k >= 1 starts at firstRow + 1 + k strides: the first row also holds the LF before it.
  std::vector<std::size_t> firsts(parts, 0);
  for (std::size_t w = 1; w < parts; ++w) {
    if (starts[w] <= firstRow || (starts[w] - firstRow - 1) % stride != 0) return false;
    firsts[w] = (starts[w] - firstRow - 1) / stride;
  }
  const std::size_t rows =
      std::min(MaxNearFieldRows, firsts.back() + (view.size() - starts.back()) / stride + 1);
  if (firsts.back() >= rows) return false;
  // Made long two lists at a time: that is mostly the page faults of fresh memory, which the
  // cores take in parallel.
  RunAtOnce({[&] { table.x.resize(rows), table.y.resize(rows); },
             [&] {
               table.z.resize(rows);
               if (reader.HasValues()) table.value.resize(rows);
             }});
  std::vector<RowRun> runs(parts);
  std::vector<std::function<void()>> jobs;
  for (std::size_t w = 0; w < parts; ++w) {
    jobs.push_back([&, w] {
      try {
        runs[w] = reader.Read(starts[w], w + 1 < parts ? starts[w + 1] : view.size(),
                              RowsInPlace(table, firsts[w], w + 1 < parts ? firsts[w + 1] : rows));
      } catch (...) {
        runs[w] = RowRun{};  // no rows, the failure raised if the table reaches this part
        runs[w].failure = std::current_exception();
      }
    });
  }
  RunAtOnce(jobs);

  last = runs[0];
  std::size_t end = runs[0].rows;  // the place behind the last row joined
  for (std::size_t w = 1; w < parts && !last.ended && last.next == starts[w] && end == firsts[w]; ++w) {
    last = runs[w];
    end += runs[w].rows;
  }
  table.x.resize(end);
  table.y.resize(end);
  table.z.resize(end);
  if (reader.HasValues()) table.value.resize(end);
  if (!last.ended) {
    last = reader.Read(last.next, view.size(), AppendedRows(table));
  }
  return true;
}

}  // namespace

double NecNumber(const std::string& token) {
  if (token == "NaN") return 1000000.0;
  return TextToReal(token);
}

// ---- Sections of a print ---------------------------------------------------------------

namespace {

// The number a field holds: blanks, then a number whose last character stands in the field's
// last column; '.' is read as DecimalSeparator. Nothing for anything else.
std::optional<double> FieldNumber(std::string_view field) {
  if (field.empty() || field.back() == ' ') return std::nullopt;
  try {
    return FieldToReal(field);
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

// The field of a row at the given columns, with the layout's separator (a ',', or the row's end)
// behind it; nothing when the row is too short for it or the separator is not there.
std::optional<double> ColumnNumber(std::string_view row, const Columns& columns, bool commaRows) {
  const std::size_t first = static_cast<std::size_t>(columns.first - 1);
  const std::size_t last = static_cast<std::size_t>(columns.last);
  if (last > row.size()) return std::nullopt;
  if (commaRows && last < row.size() && row[last] != ',') return std::nullopt;
  return FieldNumber(row.substr(first, last - first));
}

// The number of a scalar line: the line holds the label, then only blanks and '=' up to the
// field, then the field, then a blank or the line's end.
std::optional<double> ScalarNumber(std::string_view line, const ScalarPlace& place) {
  const std::size_t offset = static_cast<std::size_t>(place.offset),
                    width = static_cast<std::size_t>(place.width);
  if (line.size() < offset + width || (line.size() > offset + width && line[offset + width] != ' '))
    return std::nullopt;
  const std::string_view gap = line.substr(place.label.size(), offset - place.label.size());
  if (gap.find_first_not_of(" =") != std::string_view::npos) return std::nullopt;
  return FieldNumber(line.substr(offset, width));
}

const PrintLayout& LayoutOf(const OutputPrint& print) {
  if (const std::optional<PrintError> unknown = print.Unknown()) throw *unknown;
  return *print.Layout();
}

// The line below a heading that holds the layout's label: for the frequency the first line
// beginning with it among the next few, for the input power the first line that is not blank.
// Its position in the text, or npos.
std::size_t LabelLine(std::string_view text, std::size_t heading, std::string_view label,
                      bool firstNonBlank) {
  TextLine line = LineAt(text, heading);
  for (int i = 0; i < 3 && line.end < text.size(); ++i) {
    line = LineAfter(text, line);
    const std::size_t first = line.text.find_first_not_of(' ');
    if (first == std::string_view::npos) continue;
    if (EqualNoCase(line.text.substr(first, label.size()), label)) return line.begin + first;
    if (firstNonBlank) return std::string_view::npos;
  }
  return std::string_view::npos;
}

double ReadScalar(const OutputPrint& print, std::size_t heading, const ScalarPlace& place,
                  PrintSection section, bool firstNonBlank) {
  const std::string_view text = print.Text();
  const std::size_t at = LabelLine(text, heading, place.label, firstNonBlank);
  if (at == std::string_view::npos)
    throw print.Unreadable(section, LineAfter(text, LineAt(text, heading)).begin);
  const std::optional<double> value =
      ScalarNumber(LineAt(text, at).text.substr(at - LineAt(text, at).begin), place);
  if (!value) throw print.Unreadable(section, at);
  return *value;
}

// The line of a table's row: the first row, or the row n - 1 lines below it; npos when the table
// ends (a blank line, or the text's end) before it.
std::size_t RowLine(std::string_view text, std::size_t firstRow, int n) {
  if (firstRow == std::string_view::npos) return firstRow;
  TextLine line = LineAt(text, firstRow);
  for (int row = 1;; ++row) {
    if (IsBlankLine(line.text)) return std::string_view::npos;
    if (row == n) return line.begin;
    if (line.end >= text.size()) return std::string_view::npos;
    line = LineAfter(text, line);
  }
}

}  // namespace

double ReadFrequency(const OutputPrint& print) {
  const PrintLayout& layout = LayoutOf(print);
  const std::size_t heading = print.ReadRun().frequency;
  if (heading == OutputPrint::npos) throw OutputPrint::Missing(PrintSection::Frequency);
  return ReadScalar(print, heading, layout.frequency, PrintSection::Frequency, false);
}

double ReadInputPower(const OutputPrint& print) {
  const PrintLayout& layout = LayoutOf(print);
  const std::size_t heading = print.ReadRun().powerBudget;
  if (heading == OutputPrint::npos) return std::nan("");
  return ReadScalar(print, heading, layout.inputPower, PrintSection::InputPower, true);
}

AntennaInput ReadAntennaInput(const OutputPrint& print) {
  const PrintLayout& layout = LayoutOf(print);
  const double none = std::nan("");
  const std::size_t heading = print.ReadRun().feed;
  if (heading == OutputPrint::npos) return {none, none, none, none, none, none, none};
  const std::string_view text = print.Text();
  const std::size_t row = RowLine(text, print.FirstRow(heading, layout.feed.titleMark), 1);
  if (row == std::string_view::npos) throw print.Unreadable(PrintSection::Feed, heading);
  const std::string_view line = LineAt(text, row).text;
  double field[9];
  for (std::size_t i = 0; i < 9; ++i) {
    const std::optional<double> value = ColumnNumber(line, layout.feed.fields[i], layout.commaRows);
    if (!value) throw print.Unreadable(PrintSection::Feed, row);
    field[i] = *value;
  }
  // The admittance is checked and dropped.
  return {field[0] / kSqrt2, field[1] / kSqrt2, field[2] / kSqrt2, field[3] / kSqrt2,
          field[4],          field[5],          field[8]};
}

double ReadSegmentCurrent(const OutputPrint& print, int n) {
  const PrintLayout& layout = LayoutOf(print);
  const double none = std::nan("");
  const std::size_t heading = print.ReadRun().currents;
  if (n < 1 || heading == OutputPrint::npos) return none;
  const std::string_view text = print.Text();
  const std::size_t first = print.FirstRow(heading, layout.currents.titleMark);
  if (first == std::string_view::npos) throw print.Unreadable(PrintSection::Currents, heading);
  const std::size_t row = RowLine(text, first, n);
  if (row == std::string_view::npos) return none;  // the table has no such row
  const std::string_view line = LineAt(text, row).text;
  const CurrentPlace& place = layout.currents;
  const std::optional<double> segment = ColumnNumber(line, place.segment, layout.commaRows);
  const std::optional<double> magnitude = ColumnNumber(line, place.magnitude, layout.commaRows);
  if (!segment || *segment != n || !magnitude || !ColumnNumber(line, place.real, layout.commaRows) ||
      !ColumnNumber(line, place.imaginary, layout.commaRows) ||
      !ColumnNumber(line, place.phase, layout.commaRows))
    throw print.Unreadable(PrintSection::Currents, row);
  return *magnitude;
}

double ReadFrequency(const OutputText& text) { return ReadFrequency(OutputPrint(text)); }
double ReadInputPower(const OutputText& text) { return ReadInputPower(OutputPrint(text)); }
AntennaInput ReadAntennaInput(const OutputText& text) { return ReadAntennaInput(OutputPrint(text)); }
double ReadSegmentCurrent(const OutputText& text, int n) { return ReadSegmentCurrent(OutputPrint(text), n); }

void ReadNearField(const OutputText& text, int polarization, NearFieldTable& table) {
  ReadNearField(OutputPrint(text), polarization, table);
}

namespace {

// The end of the row that starts at position: its CR, or the text's end.
std::size_t RowEnd(std::string_view text, std::size_t at) {
  if (at >= text.size()) return text.size();
  const void* hit = std::memchr(text.data() + at, kCR, text.size() - at);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
}

// Where row `index` (from 0) of a table whose first row begins at first starts, walked as the
// row reading walks: each row ends at a CR and the next begins two bytes behind it.
std::size_t RowStart(std::string_view text, std::size_t first, std::size_t index) {
  std::size_t at = first;
  for (std::size_t row = 0; row < index && at < text.size(); ++row)
    at = std::min(text.size(), RowEnd(text, at) + 2);
  return at;
}

// How many rows the table holds from the row at position on: lines up to the first one shorter
// than two characters once trimmed of bytes 0 to 32, or the text's end.
std::size_t RowsFrom(std::string_view text, std::size_t at) {
  std::size_t rows = 0;
  while (at < text.size()) {
    const void* hit = std::memchr(text.data() + at, kCR, text.size() - at);
    const std::size_t end =
        hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
    if (TrimRow(text.substr(at, end - at)).size() < 2) break;
    ++rows;
    at = end + 1;
  }
  return rows;
}

}  // namespace

void ReadNearField(const OutputPrint& print, int polarization, NearFieldTable& table) {
  static const TextParts parts = TextParts::OfThisMachine();
  ReadNearField(print, polarization, table, parts);
}

void ReadNearField(const OutputPrint& print, int polarization, NearFieldTable& table,
                   const TextParts& parts) {
  const PrintLayout& layout = LayoutOf(print);
  table = NearFieldTable{};
  const std::size_t heading = print.NearField();
  if (heading == OutputPrint::npos) return;
  const std::string_view text = print.Text();
  const TextLine headingLine = LineAt(text, heading);
  const std::size_t near = heading + FindFolded(headingLine.text, "NEAR");
  table.fieldType = std::string(text.substr(near + 5, std::min<std::size_t>(9, text.size() - near - 5)));
  const std::size_t first = print.FirstRow(heading, layout.nearField.titleMark);
  if (first == std::string_view::npos) throw print.Unreadable(PrintSection::NearField, heading);
  // The rows' commas are blanks to the row reading; the positions stay those of the text.
  std::string uncommaed;
  std::string_view rows = text;
  if (layout.commaRows) {
    uncommaed.assign(text);
    std::replace(uncommaed.begin() + static_cast<std::ptrdiff_t>(first), uncommaed.end(), ',', ' ');
    rows = uncommaed;
  }
  std::size_t next = std::string_view::npos;  // where the row after the last one read begins
  try {
    next = ReadNearFieldRows(rows, first, polarization, table, parts);
  } catch (const ConversionError&) {
    // The line the rows failed at: the table's end where the layout ends it with a line of its
    // own, a row that is not in the layout's form otherwise.
    const std::size_t failed = RowStart(text, first, table.x.size());
    const std::string_view row = TrimRow(text.substr(failed, RowEnd(text, failed) - failed));
    const std::string_view endMark = layout.nearField.endMark;
    if (endMark.empty() || !EqualNoCase(row.substr(0, endMark.size()), endMark))
      throw print.Unreadable(PrintSection::NearField, failed);
  }
  table.printedRows = table.x.size();
  if (table.x.size() == MaxNearFieldRows) {
    if (next == std::string_view::npos) next = RowStart(rows, first, MaxNearFieldRows);
    table.printedRows += RowsFrom(rows, next);
  }
}

std::string RunReadLine(const OutputPrint& print) {
  if (print.RunNumber() <= 1) return {};
  std::string line =
      "Read at run " + std::to_string(print.RunNumber()) + " of " + std::to_string(print.RunCount());
  try {
    line += FormatReal(", %1.6g MHz", ReadFrequency(print));
  } catch (const PrintError&) {
    // The frequency's own reading says what is wrong with it.
  }
  return line + ", the run of the near-field table";
}

std::string PartReadLine(const NearFieldTable& table) {
  if (table.printedRows <= table.x.size()) return {};
  return "The near-field table holds " + std::to_string(table.printedRows) + " points; its first " +
         std::to_string(table.x.size()) + " were read";
}

std::size_t ReadNearFieldRows(std::string_view view, std::size_t firstRow, int polarization,
                              NearFieldTable& table, const TextParts& split) {
  table.x.clear();
  table.y.clear();
  table.z.clear();
  table.value.clear();
  if (firstRow == 0 || firstRow > view.size()) return firstRow;
  // The row reading starts at the byte before the row, the LF of its line end.
  const std::size_t c = firstRow - 1;

  // The first row starts right behind the CR (its LF is trimmed); every later one two
  // characters behind the previous CR.
  const RowReader reader(view, polarization, c);
  // Each part after the first from the row two characters behind a CR near its share.
  const std::vector<std::size_t> starts = split.Starts(view, c, kCR, 2);
  const auto stopOf = [&](std::size_t w) { return w + 1 < starts.size() ? starts[w + 1] : view.size(); };

  RowRun last;
  if (starts.size() > 1 && ReadPartsInPlace(reader, view, c, starts, table, last)) {
    if (last.failure) std::rethrow_exception(last.failure);
    return last.next;
  }

  // Otherwise the first part is read on this thread, each further one on a thread of its own
  // from a row start found by its CR, into lists of its own; the parts are joined in order as
  // long as the walk of the rows before lands on that start.
  std::vector<NearFieldTable> parts(starts.size() - 1);
  std::vector<RowRun> runs(starts.size());
  std::vector<std::function<void()>> jobs{[&] {
    reader.Reserve(table, c, view.size());
    runs[0] = reader.Read(c, stopOf(0), AppendedRows(table));
  }};
  for (std::size_t w = 1; w < starts.size(); ++w) {
    jobs.push_back([&, w] {
      const std::size_t stop = stopOf(w);
      try {
        reader.Reserve(parts[w - 1], starts[w], stop);
        runs[w] = reader.Read(starts[w], stop, AppendedRows(parts[w - 1]));
      } catch (...) {
        runs[w].failure = std::current_exception();  // raised if the table reaches this part
      }
    });
  }
  RunAtOnce(jobs);

  last = runs[0];
  for (std::size_t w = 1; w < starts.size() && !last.ended; ++w) {
    if (last.next != starts[w]) {
      // A row end other than CR LF moved the walk past the part's start: read on from where it is.
      last = reader.Read(last.next, view.size(), AppendedRows(table));
      break;
    }
    NearFieldTable& part = parts[w - 1];
    const std::size_t room = MaxNearFieldRows - table.x.size();
    if (part.x.size() >= room) {
      // The table is full before the part ends (before its failing row, if any).
      AppendRows(part, room, table);
      return std::string_view::npos;
    }
    AppendRows(part, part.x.size(), table);
    last = runs[w];
  }
  if (last.failure) std::rethrow_exception(last.failure);
  return last.next;
}

}  // namespace varnel
