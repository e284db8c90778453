// This file is compiled in the compiler's newest language mode where it has one (see the build
// file): the standard library then grows a string without writing its new characters, which
// saves a pass over every megabyte a file read adds.
#include "util/grow.hpp"

namespace varnel {

void ResizeForOverwrite(std::string& text, std::size_t size) {
#if defined(__cpp_lib_string_resize_and_overwrite)
  text.resize_and_overwrite(size, [](char*, std::size_t n) { return n; });
#else
  text.resize(size);
#endif
}

}  // namespace varnel
