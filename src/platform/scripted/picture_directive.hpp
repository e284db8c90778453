#pragma once
// The runner's `picture` directive:
//   picture fieldmap FILE [xy|xz|yz] [LEVEL] [linear|db|dbuv] [limits LOW HIGH]
//       the field map of the current near-field table under the chosen polarisation: the
//       plane (default: the first the grid holds, in the order XY, XZ, YZ), its level in metres
//       on the third axis (DecimalSeparator or '.'; default: nearest to P), the colour scale
//       (dbuv: dBµV/m or dBµA/m), the colour limits in the scale's unit ("" for none)
//   picture zline FILE [linear|db|dbuv]
//       the field along the Z line through A (the working A, below maxHeight) in that scale
//   picture table FILE [db|linear] [leave-out-impossible]
//       the plots of the Data pane (for the EUT table its distributions, in dB by default),
//       with or without the rows of an impossible power budget
// Any of them may end in "size WxH": the picture drawn at that many pixels (for print).
// FILE ending in .png (any case) is a PNG where a rasterizer is linked, anything else SVG. FILE
// may be a Windows path or a native one ("/tmp/map.svg"); a relative FILE is taken from the
// folder the script started in (as screenshot's; commands
// change the current folder). The picture never fails the script: what it cannot write is
// printed as "[Picture] FILE: reason".
#include <optional>
#include <string>
#include <vector>

namespace varnel {

class System;
class TForm1;

// Runs the directive (arguments after the word "picture"). Returns why the line is not
// understood, or nothing; printed receives "[Picture] ..." when the file could not be written.
// startFolder: the current folder when the script started (Windows form).
std::optional<std::string> RunPictureDirective(TForm1& form, System& system, const std::string& startFolder,
                                               const std::vector<std::string>& arguments,
                                               std::string& printed);

}  // namespace varnel
