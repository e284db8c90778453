// Range files: read whole through the system, split into lines the way text files are read
// everywhere in the system (LF or CR LF ends a line, a lone CR is dropped, byte 26 ends the
// file), one number per line with ',' or '.' as its decimal mark.
#include "necout/range.hpp"

#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/messages.hpp"

namespace varnel {

void loadRange(Platform platform, const std::string& name, RealList& values) {
  values.clear();
  if (!platform.system.FileExists(name)) throw MakeInOutError(2);
  std::size_t number = 0;
  for (const std::string& line : TextFileLines(platform.system.ReadFile(name))) {
    ++number;
    try {
      values.push_back(TextToRealEitherMark(line));
    } catch (const ConversionError&) {
      ShowWarning(platform.ui, "loadRange: Conversion Error. Problem in " + name + ", line " +
                                   std::to_string(number) + ": '" + line + "' is not a number.");
    }
  }
}

}  // namespace varnel
