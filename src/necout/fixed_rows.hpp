#pragma once
// The fixed-column speed path of the row reading: a near-field row in the engine's own layout
// read at its fixed columns with SSE2. Included by rows.cpp, where the row loop is, which takes
// every row FixedRow turns down by the general sweep. What it buys in the whole program's Load +
// Analyse Nearfield of a 128 000-row file (bench/program_counts.sh): 8 to 14 % of the wall time;
// without it the program takes 1.09 to 1.16 times as long and 1.7 times the instructions.
//
// The engine prints a near-field row as "%10.4f" three times and "%13.4E%8.2f" three times: 93
// characters, then the line end (nec2++ puts a blank before it). Such a row is checked and converted at fixed
// columns: its 96-byte window is classified sixteen bytes at a time, the whole row is checked with a few mask
// operations, and each number's digits are gathered from one 8-byte word, with no branch on
// the digits. It is taken only when the sweep would read the same numbers from the same
// digits: each field right-aligned as a blank, more blanks, an optional '-', digits, '.' and
// its fixed count of decimals (a magnitude then "E", a sign and two digits), so that the blank
// split finds the same nine fields, and every value exact. The values are the sweep's:
// ExactValue of the same mantissa and exponent. Any other row goes to the sweep, among them a
// coordinate of five integer digits, which leaves its field no blank. The classification
// needs SSE2, which every x86-64 processor has; other processors read every row by the sweep.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VARNEL_FIXED_ROWS 1
#endif

#include "necout/rows.hpp"
#include "util/decimal.hpp"

#ifdef VARNEL_FIXED_ROWS

namespace varnel::rows_detail {

// A field of the layout: its first column (a blank, or the ',' that ends the field before), the
// width of its integer part from there (blanks, sign and digits, ending right before the '.'),
// its count of decimals, and whether "E", a sign and two exponent digits follow.
struct FixedField {
  int start, intWidth, decimals;
  bool exponent;
};
// A row form: its fields, the byte that begins each field but the first (which begins with a
// blank), and its length; its line end stands behind it, or a blank and the line end. With commas, the row
// ends in the ',' of its last field.
struct FixedRowForm {
  FixedField fields[kFieldsPerRow];
  char gap;
  int length;
};
// The engine's rows: "%10.4f" three times, "%13.4E%8.2f" three times.
inline constexpr FixedRowForm kEngineRows{{{0, 5, 4, false},
                                           {10, 5, 4, false},
                                           {20, 5, 4, false},
                                           {30, 4, 4, true},
                                           {43, 5, 2, false},
                                           {51, 4, 4, true},
                                           {64, 5, 2, false},
                                           {72, 4, 4, true},
                                           {85, 5, 2, false}},
                                          ' ',
                                          93};
// nec2++'s CSV rows: "%9.4f," three times, "%11.4E,%7.2f," three times.
inline constexpr FixedRowForm kCommaRows{{{0, 4, 4, false},
                                          {9, 5, 4, false},
                                          {19, 5, 4, false},
                                          {29, 3, 4, true},
                                          {41, 5, 2, false},
                                          {49, 3, 4, true},
                                          {61, 5, 2, false},
                                          {69, 3, 4, true},
                                          {81, 5, 2, false}},
                                         ',',
                                         90};
inline constexpr int kFixedWindow = 96;  // six blocks of 16 bytes

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
// that begins each integer part, '.', 'E', and an exponent's sign: '+', or '-' where
// signColumns lets it in); the rest of each integer part, and its last byte (a digit).
struct FixedLayout {
  WindowBits digits, literal, intRest, intLast;
  char text[kFixedWindow] = {};
  char signColumns[kFixedWindow] = {};  // -1 at the exponent signs
};

constexpr FixedLayout MakeFixedLayout(const FixedRowForm& form) {
  FixedLayout layout;
  for (const FixedField& f : form.fields) {
    const int mark = f.start + f.intWidth;
    layout.text[f.start] = f.start == 0 ? ' ' : form.gap;
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
  if (form.gap != ' ') {
    layout.text[form.length - 1] = form.gap;
    layout.literal.Set(form.length - 1);
  }
  return layout;
}
template <const FixedRowForm& Form>
inline constexpr FixedLayout kFixedLayout = MakeFixedLayout(Form);

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
template <const FixedRowForm& Form, std::size_t I>
inline bool FixedNumber(const char* line, const WindowBits& minus, bool wantPhases,
                        double (&v)[kFieldsPerRow], int (&hundredths)[3]) {
  constexpr FixedField f = Form.fields[I];
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

template <const FixedRowForm& Form, std::size_t... I>
inline bool FixedNumbers(const char* line, const WindowBits& minus, bool wantPhases,
                         double (&v)[kFieldsPerRow], int (&hundredths)[3], std::index_sequence<I...>) {
  return (FixedNumber<Form, I>(line, minus, wantPhases, v, hundredths) && ...);
}

// The row at line in the form: the nine numbers and the hundredths as SweepRow gives them (with
// the form's commas as blanks), and the position of the line end (lineEnd: CR or LF) behind the
// row (and the blank before it, which the sweep trims too); nullptr for any other row, with the
// hundredths untouched (some numbers may be written). The 96 bytes from line must be readable.
template <const FixedRowForm& Form>
inline const char* FixedRow(const char* line, char lineEnd, bool wantPhases, double (&v)[kFieldsPerRow],
                            int (&hundredths)[3]) {
  const __m128i belowZero = _mm_set1_epi8('0' - 1), aboveNine = _mm_set1_epi8('9' + 1);
  const __m128i blank = _mm_set1_epi8(' '), dash = _mm_set1_epi8('-');
  const FixedLayout& l = kFixedLayout<Form>;
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
  const char* const end = line + Form.length + (line[Form.length] == ' ');
  if (*end != lineEnd) return nullptr;
  const WindowBits nextIsDigit = digits.Next();
  if (!digits.Covers(l.digits) || !settled.Covers(l.literal) || !digits.Covers(l.intLast) ||
      !(digits | blanks | minus).Covers(l.intRest) ||
      !(((digits & ~l.intLast) | minus) & l.intRest & ~nextIsDigit).None())
    return nullptr;
  int rowHundredths[3] = {kNoHundredths, kNoHundredths, kNoHundredths};
  if (!FixedNumbers<Form>(line, minus, wantPhases, v, rowHundredths,
                          std::make_index_sequence<kFieldsPerRow>()))
    return nullptr;
  std::copy(std::begin(rowHundredths), std::end(rowHundredths), std::begin(hundredths));
  return end;
}

}  // namespace varnel::rows_detail

#endif
