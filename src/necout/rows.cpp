// The row reading on one thread (rows.hpp): the number conversion, the blank split, the phase
// table and the row loop that puts each row into its sink. What its speed layers buy in the
// whole program's Load + Analyse Nearfield of a 128 000-row file (bench/program_counts.sh): the
// phase table, with the phases taken by their hundredths (Hundredths), 8 to 10 % of the wall
// time (1.09 to 1.12 times as long without it, 1.28 times the instructions); the row sweep
// SweepRow 10 to 17 % on every print whose rows the fixed-column path (fixed_rows.hpp) turns
// down, such as the Fortran engines' (1.11 to 1.20 times as long without it, 1.44 times the
// instructions; 0 % on that file, whose rows the fixed-column path all takes).
#include "necout/rows.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "necout/fixed_rows.hpp"
#include "util/decimal.hpp"
#include "util/errors.hpp"
#include "util/numbers.hpp"

namespace varnel {

double NecNumber(const std::string& token) {
  if (token == "NaN") return 1000000.0;
  return TextToReal(token);
}

namespace rows_detail {

namespace {

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

// A field in the form of ScanDecimal ('.' and the separator both act as the mark) whose value one
// exact operation gives: true, with the value. Anything else is left to TextToReal.
bool PlainNumber(std::string_view field, char separator, double& value) {
  DecimalParts parts;
  const char* const end = field.data() + field.size();
  const char* const stop = ScanDecimal<false>(field.data(), end, '.', separator, parts);
  return stop != nullptr && stop == end && ExactDecimal(parts, value);
}

// ---- Near-field rows ------------------------------------------------------------------

constexpr std::size_t kBlanksFoldedPerRun = 64;  // six passes of "two blanks to one"

bool IsTrimmed(unsigned char c) { return c <= 32; }

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

// The row sweep reads a row before its end is known: it starts at the row's first byte that
// is not trimmed and needs no bounds, because every number and every blank run ends at the
// latest at the line end behind the row (its CR, or its LF in a text of LF line ends). A row
// with no line end behind it, the text's last, is never swept: the text may end right at the
// end of readable memory. What the sweep cannot take as it stands is left to the general
// reading of the trimmed row.

// A field of the sweep ends at a blank (or, where commas count as blanks, a ','); the ninth also
// at the line end of its row (whatever else follows a blank behind the ninth field is ignored or
// trimmed).
template <bool Commas>
inline bool IsGap(char c) {
  return c == ' ' || (Commas && c == ',');
}
template <bool Commas>
inline bool EndsField(const char* p, bool ninth, char lineEnd) {
  return IsGap<Commas>(*p) || (ninth && *p == lineEnd);
}

// One number of the row sweep: [sign] digits [mark digits] [E [sign] digits] with at most 19
// digits (the digit and exponent pieces of ScanDecimal, '.' and mark both acting as the mark),
// ending its field, with an exact value. Moves p behind it.
struct SweptNumber {
  bool negative;
  std::uint64_t mantissa;
  long long exponent;
};

template <bool Commas>
inline bool SweepNumber(const char*& at, char mark, bool ninth, char lineEnd, SweptNumber& n) {
  const char* p = at;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  std::uint64_t mantissa = 0;
  const char* const intStart = p;
  p = ScanDigits<true>(p, nullptr, mantissa);
  std::ptrdiff_t digits = p - intStart;
  long long exponent = 0;
  if (*p == '.' || (!Commas && *p == mark)) {  // where commas are blanks, ',' is no mark
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
  if (!EndsField<Commas>(p, ninth, lineEnd) || !ExactFits(mantissa, exponent)) return false;
  at = p;
  n = {negative, mantissa, exponent};
  return true;
}

// The start of the next field: behind the run of 1 to 64 blanks at p (the previous field
// ended at a blank).
template <bool Commas>
inline bool SweepBlanks(const char*& p) {
  const char* const run = p;
  while (IsGap<Commas>(*p)) ++p;
  return p - run <= static_cast<std::ptrdiff_t>(kBlanksFoldedPerRun);
}

// "NaN" at p, ending its field; moves p behind it and marks the row.
template <bool Commas>
inline bool SweepNaN(const char*& p, bool ninth, char lineEnd, bool& marked) {
  if (p[0] == 'N' && p[1] == 'a' && p[2] == 'N' && EndsField<Commas>(p + 3, ninth, lineEnd)) {
    p += 3;
    marked = true;
    return true;
  }
  return false;
}

// The common row in one sweep from its first byte: three coordinates, then magnitude and phase
// three times, each "NaN" or a SweepNumber, apart by runs of 1 to 64 blanks. Returns the
// position behind the ninth field (a blank or the line end), or nullptr for anything else: the row
// is then read field by field with the general rules. Without wantPhases the phases are only
// checked, not converted; with it a phase that is k / 100 gives k in hundredths and no value.
// A line end (lineEnd: CR or LF) must stand at or behind p. marked: a field is "NaN".
template <bool Commas>
inline const char* SweepRow(const char* p, char mark, char lineEnd, bool wantPhases,
                            double (&v)[kFieldsPerRow], int (&hundredths)[3], bool& marked) {
  SweptNumber n;
  for (std::size_t f = 0; f < 3; ++f) {
    if (f > 0 && !SweepBlanks<Commas>(p)) return nullptr;
    if (SweepNaN<Commas>(p, false, lineEnd, marked))
      v[f] = 1000000.0;
    else if (SweepNumber<Commas>(p, mark, false, lineEnd, n))
      v[f] = ExactValue(n.negative, n.mantissa, n.exponent);
    else
      return nullptr;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t f = 3 + 2 * i;
    const bool ninth = i == 2;
    if (!SweepBlanks<Commas>(p)) return nullptr;
    if (SweepNaN<Commas>(p, false, lineEnd, marked))
      v[f] = f == 7 ? 0.0 : 1000000.0;
    else if (SweepNumber<Commas>(p, mark, false, lineEnd, n))
      v[f] = ExactValue(n.negative, n.mantissa, n.exponent);
    else
      return nullptr;
    if (!SweepBlanks<Commas>(p)) return nullptr;
    if (SweepNaN<Commas>(p, ninth, lineEnd, marked)) {
      v[f + 1] = 1000000.0;
    } else if (!SweepNumber<Commas>(p, mark, ninth, lineEnd, n)) {
      return nullptr;
    } else if (wantPhases) {
      // Only the ellipse uses a phase, and mostly through its hundredths.
      hundredths[i] = Hundredths(n.negative, n.mantissa, n.exponent);
      if (hundredths[i] == kNoHundredths) v[f + 1] = ExactValue(n.negative, n.mantissa, n.exponent);
    }
  }
  return p;
}

// The nine numbers of a trimmed row field by field; throws on a bad field or a row of fewer
// than nine fields. marked: a field is "NaN".
void ConvertRow(std::string_view row, const FieldConverter& convert, double (&v)[kFieldsPerRow],
                bool& marked) {
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
  for (std::size_t i = 0; i < kFieldsPerRow; ++i) v[i] = convert.Convert(fields[i], i == 7, marked);
}

// Puts the row of the nine numbers (phases given by hundredths where those are known). A row the
// engine marks "NaN" has no value in any polarisation.
template <typename Rows>
[[gnu::always_inline]] inline void PutRow(const double (&v)[kFieldsPerRow], const int (&hundredths)[3],
                                          int polarization, bool marked, Rows& sink) {
  sink.Coordinates(v[0], v[1], v[2]);
  if (marked) {
    if (polarization >= 0 && polarization <= 4) sink.Value(std::numeric_limits<double>::quiet_NaN());
    return;
  }
  switch (polarization) {
    case 0:
      sink.Value(PeakAmplitude(SumsOf(v, hundredths, 3)) * kInvSqrt2);
      break;
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

}  // namespace

double FieldToReal(std::string_view field) { return TextToReal(WithSeparator(field)); }

FieldConverter::FieldConverter()
    : separator_(DecimalSeparator), plain_(separator_ == '.' || separator_ == ',') {}

double FieldConverter::Convert(std::string_view field, bool ezMagnitude, bool& marked) const {
  double value;
  if (field != "NaN" && plain_ && PlainNumber(field, separator_, value)) return value;
  if (field == "NaN" || WithSeparator(field) == "NaN") {
    marked = true;
    return ezMagnitude ? 0.0 : 1000000.0;
  }
  return TextToReal(WithSeparator(field));
}

std::string_view TrimRow(std::string_view row) {
  std::size_t first = 0, last = row.size();
  while (first < last && IsTrimmed(static_cast<unsigned char>(row[first]))) ++first;
  while (last > first && IsTrimmed(static_cast<unsigned char>(row[last - 1]))) --last;
  return row.substr(first, last - first);
}

RowReader::RowReader(std::string_view text, int polarization, std::size_t firstRow, bool commas)
    : text_(text),
      polarization_(polarization),
      wantPhases_(polarization == 0 || polarization == 4),
      lineEnd_(LineEndOf(text)),
      start_(firstRow + 1 - lineEnd_.length),
      commas_(commas) {
  // The phase table is filled here, on the calling thread, rather than by the first part that
  // needs it while the others wait.
  if (wantPhases_) Phases();
  // Rows of a table are alike: the first one's length tells how many a stretch of text holds.
  const void* firstEnd =
      start_ < text.size() ? std::memchr(text.data() + start_, lineEnd_.mark, text.size() - start_) : nullptr;
  stride_ = firstEnd ? static_cast<std::size_t>(static_cast<const char*>(firstEnd) - text.data()) - start_ + 1
                     : text.size() - start_;
  stride_ = std::max<std::size_t>(stride_, 16);
  const std::size_t lastEnd = text.rfind(lineEnd_.mark);
  sweepable_ = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
}

void RowReader::Reserve(NearFieldTable& table, std::size_t from, std::size_t to) const {
  const std::size_t expected = std::min(MaxNearFieldRows, (to - from) / stride_ + 1);
  table.x.reserve(expected);
  table.y.reserve(expected);
  table.z.reserve(expected);
  if (HasValues()) table.value.reserve(expected);
}

template <typename Rows>
RowRun RowReader::Read(std::size_t rowStart, std::size_t stop, Rows sink) const {
  return commas_ ? ReadRows<true>(rowStart, stop, sink) : ReadRows<false>(rowStart, stop, sink);
}

template <bool Commas, typename Rows>
RowRun RowReader::ReadRows(std::size_t rowStart, std::size_t stop, Rows sink) const {
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
    bool marked = false;
    const char lineEnd = lineEnd_.mark;
#ifdef VARNEL_FIXED_ROWS
    const char* rowEnd =
        convert_.Plain() && textEnd - line >= kFixedWindow
            ? FixedRow < Commas ? kCommaRows : kEngineRows > (line, lineEnd, wantPhases_, v, hundredths)
            : nullptr;
#else
    const char* rowEnd = nullptr;
#endif
    const char* first = line;  // the first byte not trimmed, or the line end or the text's end
    if (rowEnd == nullptr) {
      while (first < textEnd && *first != lineEnd && IsTrimmed(static_cast<unsigned char>(*first))) ++first;
      if (convert_.Plain() && first < data + sweepable_)
        rowEnd = SweepRow<Commas>(first, convert_.Separator(), lineEnd, wantPhases_, v, hundredths, marked);
    }
    if (rowEnd == nullptr || *rowEnd != lineEnd) {
      // The line end behind the row, or the text's end.
      const char* from = rowEnd ? rowEnd : first;
      const void* hit = std::memchr(from, lineEnd, static_cast<std::size_t>(textEnd - from));
      const char* const swept = rowEnd;
      rowEnd = hit ? static_cast<const char*>(hit) : textEnd;
      if (swept == nullptr) {
        std::string uncommaed;  // the row with its commas as blanks
        std::string_view row(first, static_cast<std::size_t>(rowEnd - first));
        if (Commas) {
          uncommaed.assign(row);
          std::replace(uncommaed.begin(), uncommaed.end(), ',', ' ');
          row = uncommaed;
        }
        row = TrimRow(row);
        if (row.size() < 2) break;
        for (int& k : hundredths) k = kNoHundredths;  // a sweep that gave up may have set some
        marked = false;
        try {
          ConvertRow(row, convert_, v, marked);
        } catch (...) {
          run.failure = std::current_exception();  // the table keeps the rows before it
          break;
        }
      }
    }
    PutRow(v, hundredths, polarization_, marked, sink);
    if (rowEnd == textEnd) {  // the table ran to the end of the text
      ++rows;
      rowStart = text_.size();
      break;
    }
    rowStart = static_cast<std::size_t>(rowEnd - data) + lineEnd_.length;
  }
  run.next = rowStart;
  run.rows = rows;
  return run;
}

template RowRun RowReader::Read<AppendedRows>(std::size_t, std::size_t, AppendedRows) const;
template RowRun RowReader::Read<RowsInPlace>(std::size_t, std::size_t, RowsInPlace) const;

}  // namespace rows_detail

}  // namespace varnel
