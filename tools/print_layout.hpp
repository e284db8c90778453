#pragma once
// The engine stand-in's text work, kept free of the operating system so that it can be tested
// on its own: finishing a deck for nec2c, reading the stand-in's parameter text, and rewriting
// nec2c's output into the classic NEC2 print layout that the output reader (necout/reader.hpp)
// cuts at fixed columns.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// The deck with an "EN" card appended when its last non-blank line is not one. The decks of
// the generators end after the near-field card; nec2c computes such a deck and then fails on
// the end of the file. The appended line uses the deck's own line end (CR LF when the deck
// holds one, LF otherwise); a deck whose last line has no line end gets one first.
std::string DeckWithEndCard(std::string_view deck);

struct EngineArguments {
  std::string deck;
  std::string output;
};

// The deck path and output path from the parameter text split at blanks (argv). Two pieces are
// taken as they are. More pieces come from a path holding blanks: the first split whose deck
// part (pieces joined by one blank) passes deckExists and ends in ".nec" (any case) wins, else
// the first split whose deck part passes deckExists; when none does, the first piece is the
// deck and the rest the output. Fewer than two pieces: nothing.
std::optional<EngineArguments> SplitEngineArguments(const std::vector<std::string>& pieces,
                                                    const std::function<bool(const std::string&)>& deckExists);

// nec2c's output text (LF or CR LF line ends) in the classic print layout, lines joined by
// CR LF with one after the last line. Every section is rewritten wherever it occurs (one set
// per frequency); all other lines are kept as nec2c printed them.
//   FREQUENCY         heading; "FREQUENCY= " + value in 10 ("2.9000E+01") + " MHZ", and the
//                     wavelength the same way ("WAVELENGTH= 1.0338E+01 METERS").
//   ANTENNA INPUT PARAMETERS
//                     keyword line, blank, two headings, one row per source: tag and segment
//                     in 6 each, then nine 12-character fields with 5 decimals ("-5.70130E-03"):
//                     voltage, current, impedance, admittance (re, im each), power.
//   CURRENTS AND LOCATION
//                     keyword line, blank, the "DISTANCES IN ..." line, two blanks, two
//                     headings, then per segment: 1 blank, segment and tag in 5 each, X Y Z in
//                     9 with 4 decimals, length in 9 with 5, 1 blank, real, imaginary and
//                     magnitude in 12 with 4 decimals, phase in 9 with 3 (columns 51-60,
//                     63-72, 75-84, 88-93 hold the four numbers).
//   POWER BUDGET      heading, then each "NAME = value Watts" line as the label, "=", the value
//                     in 11 ("%11.4E": " 6.9509E-03") and " WATTS". A negative value is written
//                     as a blank and 10 characters ("-2.2500E-3"), so that the 10 characters the
//                     reader cuts behind the first one keep its sign.
//   NEAR ELECTRIC FIELDS / NEAR MAGNETIC FIELDS
//                     keyword line, blank, three headings, the rows (X Y Z in 10 with 4
//                     decimals, then magnitude in 13 with 4 decimals and phase in 8 with 2,
//                     three times; at least one blank between all numbers), a blank after.
// NaN is written as the token "NaN". A section whose rows cannot be recognised is left as it
// stands.
std::string ToClassicLayout(std::string_view nec2cOutput);

// The number in the E style of NEC2's print files: one digit, '.', decimals digits, 'E', sign
// and at least two exponent digits, right-aligned in width ("%12.5E" of -0.0057013 gives
// "-5.70130E-03"). NaN gives "NaN", infinities "Infinity" and "-Infinity".
std::string FortranE(double value, int width, int decimals);
// Fixed notation with '.' and decimals digits, right-aligned in width.
std::string FortranF(double value, int width, int decimals);

}  // namespace varnel
