#pragma once
// The program's first start on Windows: the missing parts of the 4nec2 tree below c:\4nec2\.
#include "platform/system.hpp"

namespace varnel {

// Creates the missing folders (exe, b_in, b_in\Ranges, b_out, out) and the missing sample files
// (b_in\dipol.nec, "Range01 Test.txt", out\dipol.out). The engines in exe are the user's own and
// are never made; nothing that exists is overwritten.
void CreateSampleFiles(System& system);

}  // namespace varnel
