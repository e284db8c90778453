#pragma once
// The NEC2 output-file reader: the values of the run an output text is read at (necout/print.hpp),
// taken where the print's layout (necout/layouts.hpp) puts them. The text is an OutputText
// (lines ending in CR LF or in LF). All operations are pure and keep no state; each takes an OutputPrint
// (found once per text) or the text itself.
//
// Every value is checked against its layout before it is taken: a field must hold a number whose
// last character stands in the field's last column (and the layout's ',' behind it), a scalar
// line must begin with its label. A section the run prints but whose line or row is not in
// that form fails with PrintError ": the <section> at line N is not in a form Varnel reads";
// a print of an engine no layout knows fails with PrintError in every operation. Numbers: every
// '.' of the field becomes DecimalSeparator, then TextToReal (blanks before the number skipped,
// exponent allowed).
//
// ReadFrequency     the number of the frequency line below the run's FREQUENCY heading. A run
//                   without a frequency fails with PrintError " holds no frequency line", or,
//                   for a print that is not whole, with why (WhyNotWhole: the engine's error
//                   line, an incomplete output).
// ReadInputPower    the number of the "INPUT POWER" line, the first line below the run's POWER
//                   BUDGET heading that is not blank; quiet NaN when the run prints no budget
//                   (a current source, a plane wave).
// ReadRadiatedPower the number of the "RADIATED POWER" line right below the input power's, its
//                   label and number in the input power's columns; quiet NaN when the run prints
//                   no budget or no such line there. Never fails for the budget's form.
// ReadAntennaInput  the first source row of the run's feed-point table: voltage re/im, current
//                   re/im, impedance re/im, admittance re/im, power. Voltage and current are
//                   divided by sqrt 2; the admittance is checked and dropped. Every field quiet
//                   NaN when the run prints no such table.
// ReadSegmentCurrent the magnitude (peak A, as printed) of the row of the run's current table
//                   whose segment number is n (a PT card may print some segments only); its real
//                   part, imaginary part and phase must be numbers too. Quiet NaN when the run
//                   prints no current table or the table no such row: SegmentCurrentAbsence
//                   says which ("Segment 11 is not printed in <file> (a PT card limits the
//                   current table)", " holds no current table").
// ReadNearField     the first near-field table of the text, whatever the run: fieldType = the 9
//                   characters from 5 behind "NEAR" in its heading ("ELECTRIC " or "MAGNETIC "
//                   under a title-line heading, NearFieldPlace); the rows start with the line
//                   below the title line of the layout's mark. An empty table when the text has
//                   none. A row is a line trimmed of bytes 0..32 on both sides (a layout's
//                   commas count as blanks); a row shorter than 2 characters ends the table, and
//                   so does the end of the text (the last row is still read); at most 128000 rows
//                   are read, and printedRows says how many the table holds. Runs of blanks split
//                   the fields (a run of more than 64 blanks leaves empty fields: runs shrink to
//                   ceil(length / 64) blanks before the split at ' '); tabs do not split. Fields
//                   0..8: X Y Z |Ex| phEx |Ey| phEy |Ez| phEz, converted in order with NecNumber
//                   ("NaN" in |Ez| gives 0); later fields are ignored. Value per polarisation
//                   (each times 1/sqrt 2): 0 total peak of the 3-component ellipse, 1 |Ex|,
//                   2 |Ey|, 3 |Ez|, 4 peak of the XY ellipse; any other ordinal appends x, y, z
//                   but no value. A row with a field "NaN" (a point the engine could not
//                   compute) has the value quiet NaN, which the searches pass over. A row that
//                   does not convert fails with PrintError naming its line; the table keeps the
//                   rows before it.
// ReadNearFieldRows the row reading of ReadNearField from the row that starts at a position,
//                   with a large table's text split as given, the parts read at once. A row
//                   that does not convert (or has fewer than nine fields) throws ConversionError
//                   "'<row after the blank and '.' replacements>' ist kein gültiger
//                   Gleitkommawert".
// NecNumber         1000000 for exactly "NaN", otherwise TextToReal. Throws.
//
// Cost: the print is found with a few forward searches; the rows are one forward scan, no line
// copied unless it fails to convert. A large table is read in parts on several processor cores
// at once, with the same result.
//
// Where it lives: the sections of a print in reader.cpp; the rows on one thread in rows.cpp
// (rows.hpp, with the fixed-column path of fixed_rows.hpp); the parts of a large table on
// several cores in parts.cpp.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "necout/model.hpp"
#include "necout/print.hpp"
#include "util/workers.hpp"

namespace varnel {

double ReadFrequency(const OutputPrint& print);
double ReadInputPower(const OutputPrint& print);
double ReadRadiatedPower(const OutputPrint& print);
AntennaInput ReadAntennaInput(const OutputPrint& print);
double ReadSegmentCurrent(const OutputPrint& print, int n);
// Why ReadSegmentCurrent gives no value for segment n; nothing when it gives one.
std::optional<PrintError> SegmentCurrentAbsence(const OutputPrint& print, int n);
// " holds no <section>" for each of the sections the run read does not print (the near field:
// the text holds no near-field table), in the order given.
std::vector<PrintError> AbsentSections(const OutputPrint& print,
                                       std::initializer_list<PrintSection> sections);
void ReadNearField(const OutputPrint& print, int polarization, NearFieldTable& table);
// ReadNearField with a large table's text split as given, the parts read at once.
void ReadNearField(const OutputPrint& print, int polarization, NearFieldTable& table, const TextParts& split);

double ReadFrequency(const OutputText& text);
double ReadInputPower(const OutputText& text);
AntennaInput ReadAntennaInput(const OutputText& text);
double ReadSegmentCurrent(const OutputText& text, int n);
void ReadNearField(const OutputText& text, int polarization, NearFieldTable& table);

// The segments of the print's segmentation table, in table order; empty when the print has none
// (some engines print the structure otherwise). A row that does not hold its twelve numbers
// fails with PrintError naming its line.
std::vector<Segment> ReadSegments(const OutputPrint& print);

// firstRow: the zero-based position where the first row's line begins (behind a line end).
// Returns where the line after the last row read begins (npos when that is not known without a
// walk over the rows: a table of the most rows read in parts whose rows are not all alike).
// commaRows: a ',' in a row counts as a blank.
std::size_t ReadNearFieldRows(std::string_view text, std::size_t firstRow, int polarization,
                              NearFieldTable& table, const TextParts& split, bool commaRows = false);
double NecNumber(const std::string& token);

// Which run the values are read at, for the Info pane: "Read at run 3 of 3, 310 MHz, the run of
// the near-field table"; empty when that is the text's first run (or it has none).
std::string RunReadLine(const OutputPrint& print);
// For a near-field table longer than the reader takes: "The near-field table holds 1090827
// points; its first 128000 were read"; empty otherwise.
std::string PartReadLine(const NearFieldTable& table);
// What the Info pane says of a table's values, each once, file naming the file: points the
// engine marks NaN ("3 grid points of x.out are marked NaN by the engine and left out of the
// searches") and, for polarisation 0, points whose total peak exceeds 1000, kept as printed ("12
// grid points above 1000 V/m peak in x.out are taken as printed, not set to 0; the largest is
// 1419 V/m at (0,05|0|0)"). Empty when there is nothing to say.
std::vector<std::string> NearFieldNotes(const NearFieldTable& table, int polarization,
                                        const std::string& file);

// The most rows ReadNearField reads.
inline constexpr std::size_t MaxNearFieldRows = 128000;

}  // namespace varnel
