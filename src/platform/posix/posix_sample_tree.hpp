#pragma once
// The program's first start on Linux: the 4nec2 tree below c:\4nec2\.
#include "platform/posix/posix_system.hpp"

namespace varnel {

// Creates the missing parts of the 4nec2 tree below c:\4nec2\ (exe, b_in, b_in\Ranges, b_out,
// out, the sample dipol.nec, out\dipol.out, "Range01 Test.txt", the engine launchers).
// Nothing that exists is overwritten.
void CreateSampleTree(PosixSystem& system);

}  // namespace varnel
