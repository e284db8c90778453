#pragma once
// The NEC2 output-file reader. It does not parse the file: each operation finds one keyword,
// counts line ends from it and cuts its numbers at fixed columns. All operations are pure and
// independent; none keeps state. The text is an OutputText (lines joined by CR LF); lines are
// found by the CR alone. Positions below are one-based; "the k-th CR from p" is the k-th CR at
// or after p.
//
// Keywords: each keyword is anchored to the line on which the engine prints its section
// (necout/sections.hpp). The first occurrence counts whose line holds nothing but the heading
// framed by blanks and dashes ("FREQUENCY", "ANTENNA INPUT PARAMETERS", "CURRENTS AND
// LOCATION", "NEAR ELECTRIC FIELDS" or "NEAR MAGNETIC FIELDS"); for "INPUT POWER", the one
// that begins the first non-blank line below the framed "POWER BUDGET" heading. So "LINEAR"
// in a radiation pattern or a deck comment holding "near" or "frequency" never starts a
// section. A text with no anchored occurrence of a keyword takes its first occurrence
// anywhere, searched from position 1. Matching folds only A-Z onto a-z. A missing keyword
// counts as position 0 and the offsets are applied to 0.
// Numbers: every '.' of the cut field becomes DecimalSeparator, then TextToReal (blanks around
// the number skipped, exponent allowed). A failure is ConversionError
// "'<field after that replacement>' ist kein gültiger Gleitkommawert".
//
// ReadFrequency     k1 = the anchored "FREQUENCY", k2 = the next "FREQUENCY" anywhere from
//                   k1 + 1 (the value line below the heading); the 10 characters from k2 + 11
//                   (k2 = 0 when there is only one: positions 11..20). Throws.
// ReadInputPower    the 10 characters from 16 behind "INPUT POWER". Throws.
// ReadAntennaInput  "ANTENNA INPUT": the line after the 4th CR from the keyword; nine fields of
//                   12 characters from column 13 (voltage re/im, current re/im, impedance
//                   re/im, admittance re/im, power), converted in that order: the first
//                   failure and every later field give 0. Voltage and current are divided by
//                   sqrt 2; admittance is checked and dropped. Never throws; all zeros when the
//                   text has no 4th CR after the keyword.
// ReadSegmentCurrent "CURRENTS AND LOCATION": row 1 is the line after the 7th CR from the
//                   keyword, row n the (n-1)-th line after it. Columns 51-60, 63-72, 75-84,
//                   88-93: real, imaginary, magnitude, phase. Returns the magnitude as printed
//                   (peak A); a failing phase still returns it. Never throws; quiet NaN when
//                   real, imaginary or magnitude fails, when n < 1, and when row n does not
//                   exist (no such line, or an empty line - the table's end - at or before it).
// ReadNearField     "NEAR": fieldType = the 9 characters from 5 behind it; the rows start
//                   with the line after the 5th CR from the keyword. A row is a line trimmed of
//                   bytes 0..32 on both sides; a row shorter than 2 characters ends the table,
//                   and so does the end of the text (the last row is still read); at most
//                   128000 rows. Runs of blanks split the fields (a run of more than 64 blanks
//                   leaves empty fields: runs shrink to ceil(length / 64) blanks before the
//                   split at ' '); tabs do not split. Fields 0..8: X Y Z |Ex| phEx |Ey| phEy
//                   |Ez| phEz, converted in order with NecNumber ("NaN" in |Ez| gives 0); later
//                   fields are ignored. Value per polarisation (each times 1/sqrt 2): 0 total
//                   peak of the 3-component ellipse (0 when above 1000), 1 |Ex|, 2 |Ey|, 3 |Ez|,
//                   4 peak of the XY ellipse; any other ordinal appends x, y, z but no value.
//                   Throws on a bad field and on a row of fewer than nine fields (the message
//                   then names the row's text after the blank and '.' replacements); the
//                   table keeps the rows before the failing one. No 5th CR after the keyword:
//                   an empty table.
// NecNumber         1000000 for exactly "NaN", otherwise TextToReal. Throws.
//
// Cost: one forward scan from the keyword; no line is copied unless it fails to convert. A
// large table is read in parts on several processor cores at once, with the same result.
#include <string>
#include <string_view>

#include "necout/model.hpp"
#include "util/workers.hpp"

namespace varnel {

double ReadFrequency(const OutputText& text);
double ReadInputPower(const OutputText& text);
void ReadAntennaInput(const OutputText& text, AntennaInput& result);
AntennaInput ReadAntennaInput(const OutputText& text);
double ReadSegmentCurrent(const OutputText& text, int n);
void ReadNearField(const OutputText& text, int polarization, NearFieldTable& table);
// ReadNearField with a large table's text split as given, the parts read at once.
void ReadNearFieldInParts(const OutputText& text, int polarization, NearFieldTable& table,
                          const TextParts& split);
double NecNumber(const std::string& token);

// The most rows ReadNearField reads.
inline constexpr std::size_t MaxNearFieldRows = 128000;

}  // namespace varnel
