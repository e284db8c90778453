// STUB
#include "util/errors.hpp"
InOutError MakeInOutError(int code) { return InOutError("E/A-Fehler " + std::to_string(code), code); }
