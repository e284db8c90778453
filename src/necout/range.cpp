// Range files: read whole through the system, split into lines the way text files are read
// everywhere in the system (LF or CR LF ends a line, a lone CR is dropped, byte 26 ends the
// file), one number per line.
#include "necout/range.hpp"

#include "util/errors.hpp"
#include "util/messages.hpp"

namespace varnel {

namespace {

// The lines of the file as a text reader sees them: reading goes on until the end of the file
// has been reached after a line, so an empty file is one empty line and a final line end adds
// no line.
TextList RangeLines(const std::string& bytes) {
  TextList lines;
  std::string line;
  std::size_t i = 0;
  const std::size_t end = bytes.find('\x1a') == std::string::npos ? bytes.size() : bytes.find('\x1a');
  for (;;) {
    line.clear();
    while (i < end && bytes[i] != '\n') {
      if (bytes[i] != '\r') line.push_back(bytes[i]);
      ++i;
    }
    lines.push_back(line);
    if (i < end) ++i;  // the LF
    if (i >= end) break;
  }
  return lines;
}

}  // namespace

void loadRange(Platform platform, const std::string& name, RealList& values) {
  values.clear();
  if (!platform.system.FileExists(name)) throw MakeInOutError(2);
  const std::string bytes = platform.system.ReadFile(name);
  for (const std::string& line : RangeLines(bytes)) {
    try {
      values.push_back(TextToReal(line));
    } catch (const ConversionError&) {
      ShowWarning(platform.ui, "loadRange: Conversion Error. Problem in " + name + ".");
    }
  }
}

}  // namespace varnel
