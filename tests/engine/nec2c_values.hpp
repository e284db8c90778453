#pragma once
// Test support: the values the reader takes from a print held to what nec2c printed for the
// run read (ParseNec2c of nec2c's own print of the same deck).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/nec2c_run.hpp"
#include "necout/necout_support.hpp"
#include "necout/reader.hpp"

namespace varnel {

namespace engine_test {

// Every value of the print against nec2c's: frequency, input power, the first source's feed
// (NaN everywhere when nec2c printed none), every segment's current, and the near-field rows
// with the magnitude that polarisation 1, 2 or 3 takes.
inline void ExpectNec2cValues(const Nec2cResult& nec2c, const OutputPrint& print, int polarization) {
  ExpectSameAs(nec2c.frequency, ReadFrequency(print), "frequency");
  ExpectSameAs(nec2c.inputPower, ReadInputPower(print), "input power");
  const std::vector<double> none(11, std::nan(""));
  const std::vector<double>& f = nec2c.feeds.empty() ? none : nec2c.feeds[0];
  const AntennaInput feed = ReadAntennaInput(print);
  ExpectSameAs(f[2] / kSqrt2, feed.voltageRe, "voltage, real part");
  ExpectSameAs(f[3] / kSqrt2, feed.voltageIm, "voltage, imaginary part");
  ExpectSameAs(f[4] / kSqrt2, feed.currentRe, "current, real part");
  ExpectSameAs(f[5] / kSqrt2, feed.currentIm, "current, imaginary part");
  ExpectSameAs(f[6], feed.impedanceRe, "impedance, real part");
  ExpectSameAs(f[7], feed.impedanceIm, "impedance, imaginary part");
  ExpectSameAs(f[10], feed.power, "feed power");

  ASSERT_FALSE(nec2c.segments.empty());
  for (std::size_t n = 0; n < nec2c.segments.size(); ++n)
    EXPECT_DOUBLE_EQ(nec2c.segments[n][8], ReadSegmentCurrent(print, static_cast<int>(n + 1)))
        << "segment " << n + 1;
  EXPECT_TRUE(std::isnan(ReadSegmentCurrent(print, static_cast<int>(nec2c.segments.size() + 1))));

  NearFieldTable table;
  ReadNearField(print, polarization, table);
  EXPECT_EQ(nec2c.nearKind + " ", table.fieldType);
  ASSERT_EQ(nec2c.nearRows.size(), table.value.size());
  for (std::size_t i = 0; i < table.value.size(); ++i) {
    const std::vector<double>& row = nec2c.nearRows[i];
    EXPECT_DOUBLE_EQ(row[0], table.x[i]) << "row " << i;
    EXPECT_DOUBLE_EQ(row[1], table.y[i]) << "row " << i;
    EXPECT_DOUBLE_EQ(row[2], table.z[i]) << "row " << i;
    EXPECT_DOUBLE_EQ(row[3 + 2 * (polarization - 1)] / kSqrt2, table.value[i]) << "row " << i;
  }
}

}  // namespace engine_test

}  // namespace varnel
