#pragma once
// Shared bits of the necout tests (and of the engine tests that read prints).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "necout/model.hpp"
#include "support/scoped_settings.hpp"
#include "util/format.hpp"

namespace varnel {

// Sets DecimalSeparator for one test and restores it afterwards.
using SeparatorScope = SeparatorGuard;

inline const double kSqrt2 = std::sqrt(2.0);

// Bitwise equality of two lists (NaN equals NaN, -0 differs from 0).
inline bool SameBits(const RealList& a, const RealList& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// Equal as doubles, or both NaN.
inline void ExpectSameAs(double expected, double actual, const char* what) {
  if (std::isnan(expected))
    EXPECT_TRUE(std::isnan(actual)) << what << ": " << actual;
  else
    EXPECT_DOUBLE_EQ(expected, actual) << what;
}

inline std::string Describe(const NearFieldTable& t) {
  std::string s = "fieldType '" + t.fieldType + "', " + std::to_string(t.x.size()) + " points, " +
                  std::to_string(t.value.size()) + " values";
  for (std::size_t i = 0; i < t.x.size() && i < 3; ++i) {
    s += "; (" + std::to_string(t.x[i]) + " " + std::to_string(t.y[i]) + " " + std::to_string(t.z[i]) + ")";
    if (i < t.value.size()) s += " = " + std::to_string(t.value[i]);
  }
  return s;
}

}  // namespace varnel
