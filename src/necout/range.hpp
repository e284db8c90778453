#pragma once
// Range files: one number per line, with ',' or '.' as its decimal mark (a line holds one
// number and no thousands separator, so either mark reads the same under every locale).
// The file is read whole; lines end at LF or CR LF, a lone CR is dropped, byte 26 ends the file.
// Reading goes on until the end has been reached after a line: an empty file is one empty line
// (one warning), and a line end after the last number adds no line.
#include <string>

#include "platform/platform.hpp"
#include "util/numbers.hpp"

namespace varnel {

// Clears values, then appends every line that converts; a line that does not convert gives
// ShowWarning "loadRange: Conversion Error. Problem in <name>, line <n>: '<line>' is not a
// number." (n counted from 1) and is skipped. An empty file
// gives one warning. A file that cannot be opened throws InOutError ("Datei nicht gefunden").
void loadRange(Platform platform, const std::string& name, RealList& values);

}  // namespace varnel
