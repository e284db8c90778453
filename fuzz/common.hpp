#pragma once
// Shared bits of the fuzz harnesses: a finding stops the run with a message, so libFuzzer keeps
// the input that caused it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "support/scoped_settings.hpp"
#include "util/format.hpp"

namespace varnel {

// Reports a broken promise and aborts (libFuzzer saves the input as a crash).
[[noreturn]] inline void Finding(const std::string& what) {
  std::fprintf(stderr, "\n*** finding: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// Bitwise equality of two doubles (NaN equals NaN, -0 differs from 0).
inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline std::string Shown(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g (%a)", v, v);
  return text;
}

// Sets DecimalSeparator for one call and restores it afterwards.
using Separator = SeparatorGuard;

// The separators every input is tried under: the two real ones and one taken from the input,
// since a script may set any character.
inline std::string_view SeparatorsFor(std::string_view input) {
  static thread_local char separators[3] = {',', '.', ' '};
  separators[2] = input.empty() ? ' ' : input.back();
  return {separators, 3};
}

}  // namespace varnel
