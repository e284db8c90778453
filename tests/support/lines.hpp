#pragma once
// The lines of a list (a pane, the messages shown, a script's output) that begin with a prefix.
#include <string>
#include <vector>

namespace varnel {

// The lines that begin with prefix, the prefix taken off, in their order.
inline std::vector<std::string> Starting(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : lines)
    if (line.rfind(prefix, 0) == 0) found.push_back(line.substr(prefix.size()));
  return found;
}

}  // namespace varnel
