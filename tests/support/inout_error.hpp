#pragma once
// The code and message of the InOutError an action throws, for the file tests of both systems.
#include <string>

#include "util/errors.hpp"

namespace varnel {

template <typename Action>
std::string ErrorOf(Action action) {
  try {
    action();
  } catch (const InOutError& e) {
    return std::to_string(e.code) + " " + e.what();
  }
  return "no InOutError";
}

}  // namespace varnel
