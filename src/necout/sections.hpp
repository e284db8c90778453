#pragma once
// Where the reader's sections begin in an OutputText. A keyword such as "NEAR" or "FREQUENCY"
// also turns up in places the engine does not print as a heading: "LINEAR" in a radiation
// pattern, a comment of the deck ("near field at 14 MHz"). So a keyword counts first where it
// stands on the line the engine prints for its section (the anchored occurrence):
//
//   Frequency     "FREQUENCY" alone on its line, framed by blanks and dashes
//   InputPower    "INPUT POWER" at the start of its line (blanks before it allowed), the
//                 first line below the "POWER BUDGET" heading (framed by blanks and dashes)
//                 that is not blank
//   AntennaInput  "ANTENNA INPUT PARAMETERS" alone on its line, framed by blanks and dashes
//   Currents      "CURRENTS AND LOCATION" alone on its line, framed by blanks and dashes
//   NearField     "NEAR ELECTRIC FIELDS" or "NEAR MAGNETIC FIELDS" alone on its line, framed
//                 by blanks and dashes
//
// "Framed" means the rest of the line holds only blanks and dashes, with at least one dash
// before the heading and one after it. A line ends at CR or LF. Matching folds only A-Z onto
// a-z, as the plain keyword search does.
//
// FindSection returns the one-based position of the keyword ("FREQUENCY", "INPUT POWER",
// "ANTENNA INPUT", "CURRENTS AND LOCATION", "NEAR") in the first anchored occurrence. A text
// that holds no anchored occurrence gets the first occurrence anywhere (the plain search), so
// texts of any other layout read as before; 0 when the keyword does not occur at all.
// Pure; one forward scan over the occurrences of the keyword.
#include <cstddef>
#include <string_view>

namespace varnel {

enum class OutputSection { Frequency, InputPower, AntennaInput, Currents, NearField };

// The keyword the section is searched by.
std::string_view SectionKeyword(OutputSection section);

std::size_t FindSection(std::string_view text, OutputSection section);

}  // namespace varnel
