#include "util/errors.hpp"

#include "util/format.hpp"
#include "util/messages.hpp"

namespace varnel {

VarnelError::VarnelError(const std::string& message) : std::runtime_error(VisibleText(message)) {}

InOutError MakeInOutError(int code) {
  switch (code) {
    case 2:
      return InOutError("Datei nicht gefunden", code);
    case 5:
      return InOutError("Dateizugriff verweigert", code);
    default:
      return InOutError(FormatInt("E/A-Fehler %d", code), code);
  }
}

InOutError FileInOutError(int code, const std::string& path) {
  if (code == 2 || code == 5) return MakeInOutError(code);
  std::string message = FormatInt("E/A-Fehler %d", code);
  if (code == kDiskFullCode) message += " (disk full)";
  return InOutError(message + ": " + path, code);
}

}  // namespace varnel
