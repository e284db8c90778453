#pragma once
// Range files: one number per line under DecimalSeparator.
#include <string>

#include "platform/platform.hpp"
#include "util/numbers.hpp"

// Clears values, then appends every line that converts; a line that does not convert gives
// ShowWarning "loadRange: Conversion Error. Problem in <name>." and is skipped. An empty file
// gives one warning. A file that cannot be opened throws InOutError ("Datei nicht gefunden").
void loadRange(Platform& platform, const std::string& name, RealList& values);
