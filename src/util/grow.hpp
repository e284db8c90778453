#pragma once
// Growing a string that a read is about to fill.
#include <cstddef>
#include <string>

namespace varnel {

// Resizes text to size characters, keeping those it has. The characters added are not
// zero-filled where the standard library allows that, so they hold no defined value until
// written: a read overwrites them, and the text is cut back to what was read.
void ResizeForOverwrite(std::string& text, std::size_t size);

}  // namespace varnel
