#pragma once
// The contents of the first-start sample tree below c:\4nec2\ (util/tree.hpp names its files):
// the sample dipole deck, a range file and the output of that deck. Data only; each binding's
// start writes them with its own means and never over a file that exists.
#include <string>

namespace varnel {

// b_in\dipol.nec: a half-wave dipole for 14.2 MHz in free space (CR LF lines).
std::string SampleDeckText();
// b_in\Ranges\Range01 Test.txt: three frequencies in MHz (CR LF lines), written with the
// DecimalSeparator in force.
std::string SampleRangeText();
// out\dipol.out: the output of the sample deck as the engine stand-in writes it (CR LF lines),
// for where the engine cannot run at the first start.
std::string SampleOutputText();

}  // namespace varnel
