// Which occurrence of a section keyword starts the section.
#include <gtest/gtest.h>

#include <string>

#include "necout/sections.hpp"

namespace varnel {

TEST(SectionAnchors, OnlyAFramedHeadingLineAnchorsAndOtherwiseTheFirstOccurrenceCounts) {
  struct Case {
    OutputSection section;
    std::string text;
    std::size_t expected;
  };
  const Case cases[] = {
      // Framed headings win over earlier words; dashes may be spaced, LF alone ends a line.
      {OutputSection::NearField, "LINEAR\r\n -- NEAR ELECTRIC FIELDS --\r\n", 13},
      {OutputSection::NearField, "LINEAR\n- - near magnetic fields - -", 12},
      {OutputSection::Frequency, "frequency\r\n---FREQUENCY---", 15},
      {OutputSection::AntennaInput, "antenna input\r\n - ANTENNA INPUT PARAMETERS -", 19},
      {OutputSection::Currents, "currents and location\r\n-- CURRENTS AND LOCATION --", 27},
      {OutputSection::InputPower, "INPUT POWER = 1\r\n -- POWER BUDGET --\r\n  \r\n\r\n  INPUT POWER = 2", 47},
      // Not anchored: a frame missing on one side, other words on the line, a dash or a
      // word before "INPUT POWER", no budget heading above it. The first occurrence counts.
      {OutputSection::NearField, "LINEAR\r\n NEAR ELECTRIC FIELDS --", 3},
      {OutputSection::NearField, "LINEAR\r\n-- NEAR ELECTRIC FIELDS, GRID --", 3},
      {OutputSection::Frequency, "frequency\r\n-- FREQUENCY SWEEP --", 1},
      {OutputSection::InputPower, "x INPUT POWER\r\n-- POWER BUDGET --\r\n- INPUT POWER", 3},
      {OutputSection::InputPower, "-- POWER BUDGET --\r\nEFFICIENCY\r\nINPUT POWER", 33},
      {OutputSection::Currents, "no such words", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, FindSection(c.text, c.section)) << SectionKeyword(c.section) << " in: " << c.text;
}

}  // namespace varnel
