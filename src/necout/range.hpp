#pragma once
// Range files: one number per line under DecimalSeparator.
// The file is read whole; lines end at LF or CR LF, a lone CR is dropped, byte 26 ends the file.
// Reading goes on until the end has been reached after a line: an empty file is one empty line
// (one warning), and a line end after the last number adds no line.
#include <string>

#include "platform/platform.hpp"
#include "util/numbers.hpp"

namespace varnel {

// Clears values, then appends every line that converts; a line that does not convert gives
// ShowWarning "loadRange: Conversion Error. Problem in <name>." and is skipped. An empty file
// gives one warning. A file that cannot be opened throws InOutError ("Datei nicht gefunden").
void loadRange(Platform platform, const std::string& name, RealList& values);

}  // namespace varnel
