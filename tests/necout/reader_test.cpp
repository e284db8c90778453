#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "necout/reader.hpp"
#include "necout/necout_support.hpp"
#include "support/classic_output.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

std::string ConversionMessage(const std::string& text) { return "'" + text + "' ist kein g\xC3\xBCltiger Gleitkommawert"; }

// The message of the ConversionError the call throws ("" when it throws none).
template <typename Call>
std::string FailureOf(Call call) {
  try {
    call();
  } catch (const ConversionError& e) {
    return e.what();
  }
  return "";
}

ClassicOutput SampleRun() {
  ClassicOutput o;
  o.segments = {{1.0e-3, -2.0e-3, 2.2361e-3, -63.435},
                {-1.5e-3, 2.0e-3, 2.5e-3, 126.87},
                {3.0e-3, 4.0e-3, 5.0e-3, 53.13}};
  o.nearField = {{-1, -1, -1, 7.8777E-02, -117.82, 7.8777E-02, -117.82, 1.2597E-01, 149.73},
                 {0, -1, -1, 1, 0, 2, 0, 3, 0},
                 {1, -1, -1, 10, 0, 10, 0, 0, 0}};
  return o;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
  return text;
}

}  // namespace

// ---- The generator writes what the reader's columns expect -------------------------------

TEST(ClassicOutputLayout, RowsAndColumnsSitWhereTheReaderCuts) {
  const ClassicNearRow row{-1, -1, -1, 7.8777E-02, -117.82, 7.8777E-02, -117.82, 1.2597E-01, 149.73};
  EXPECT_EQ("   -1.0000   -1.0000   -1.0000   7.8777E-02 -117.82   7.8777E-02 -117.82   1.2597E-01  149.73",
            ClassicNearRowText(row));
  ClassicOutput o;
  o.segments = {{1.0e-3, -2.0e-3, 2.2361e-3, -63.435}};
  const std::string text = ClassicOutputText(o);
  const std::size_t at = text.find("CURRENTS AND LOCATION");
  std::size_t line = at;
  for (int i = 0; i < 7; ++i) line = text.find('\r', line) + 2;
  const std::string rowText = text.substr(line, text.find('\r', line) - line);
  EXPECT_EQ("1.0000E-03", rowText.substr(50, 10)) << rowText;
  EXPECT_EQ("2.2361E-03", rowText.substr(74, 10)) << rowText;
  EXPECT_EQ("63.435", rowText.substr(87, 6)) << rowText;
  EXPECT_NE(std::string::npos, text.find("FREQUENCY= 1.4200E+01 MHZ"));
  EXPECT_NE(std::string::npos, text.find("INPUT POWER   = 6.7975E-03 WATTS"));
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      EXPECT_EQ('\n', text[i + 1]) << "a CR at " << i << " without LF";
    }
    if (text[i] == '\n') {
      EXPECT_EQ('\r', text[i - 1]) << "an LF at " << i << " without CR";
    }
  }
  EXPECT_NE('\n', text.back()) << "no line end after the last line";
}

// ---- Scalar sections --------------------------------------------------------------------

TEST(NecOutReader, ReadsTheScalarSectionsUnderBothSeparators) {
  for (char separator : {',', '.'}) {
    SeparatorScope scope(separator);
    const std::string text = ClassicOutputText(SampleRun());
    EXPECT_DOUBLE_EQ(14.2, ReadFrequency(text)) << "separator " << separator;
    EXPECT_DOUBLE_EQ(6.7975e-3, ReadInputPower(text)) << "separator " << separator;
    const AntennaInput in = ReadAntennaInput(text);
    EXPECT_DOUBLE_EQ(1.0 / kSqrt2, in.voltageRe);
    EXPECT_DOUBLE_EQ(0.0, in.voltageIm);
    EXPECT_DOUBLE_EQ(1.3595e-2 / kSqrt2, in.currentRe);
    EXPECT_DOUBLE_EQ(-5.7013e-3 / kSqrt2, in.currentIm);
    EXPECT_DOUBLE_EQ(62.537, in.impedanceRe);
    EXPECT_DOUBLE_EQ(26.225, in.impedanceIm);
    EXPECT_DOUBLE_EQ(6.7975e-3, in.power);
    EXPECT_DOUBLE_EQ(2.2361e-3, ReadSegmentCurrent(text, 1));
    EXPECT_DOUBLE_EQ(2.5e-3, ReadSegmentCurrent(text, 2));
    EXPECT_DOUBLE_EQ(5.0e-3, ReadSegmentCurrent(text, 3));
  }
}

TEST(NecOutReader, TheFirstRunOfSeveralWins) {
  ClassicOutput first = SampleRun(), second = SampleRun();
  second.frequency = 21.0;
  second.inputPower = 0.5;
  second.feeds[0].impedanceRe = 99;
  second.segments[0].magnitude = 9.0;
  second.nearField[0].x = 42;
  const std::string text = ClassicOutputText(std::vector<ClassicOutput>{first, second});
  EXPECT_DOUBLE_EQ(14.2, ReadFrequency(text));
  EXPECT_DOUBLE_EQ(6.7975e-3, ReadInputPower(text));
  EXPECT_DOUBLE_EQ(62.537, ReadAntennaInput(text).impedanceRe);
  EXPECT_DOUBLE_EQ(2.2361e-3, ReadSegmentCurrent(text, 1));
  NearFieldTable table;
  ReadNearField(text, 1, table);
  ASSERT_EQ(3u, table.x.size());
  EXPECT_EQ(-1.0, table.x[0]);
}

TEST(NecOutReader, FrequencyFailuresNameTheFieldAfterTheReplacement) {
  // Without a heading framed by dashes the plain search decides: the comment's word is the
  // first occurrence, so the heading is taken as the value line.
  const std::string unframed = Lines({" Dipole at a FreQuency of 14 MHz", "  FREQUENCY", "  FREQUENCY= 1.4200E+01"});
  EXPECT_EQ(ConversionMessage("  FREQUENC"), FailureOf([&] { ReadFrequency(unframed); }));

  const std::string bad = Lines({"", "  --------- FREQUENCY --------", "  FREQUENCY= 1.4200X+01 MHZ"});
  {
    SeparatorScope comma(',');
    EXPECT_EQ(ConversionMessage("1,4200X+01"), FailureOf([&] { ReadFrequency(bad); }));
  }
  {
    SeparatorScope point('.');
    EXPECT_EQ(ConversionMessage("1.4200X+01"), FailureOf([&] { ReadFrequency(bad); }));
  }
}

TEST(NecOutReader, MissingKeywordsApplyTheOffsetsToTheStartOfTheText) {
  // One "FREQUENCY" only: the ten characters at positions 11..20.
  EXPECT_DOUBLE_EQ(2.5, ReadFrequency("abcdefghij2.5E+00   \r\n FREQUENCY= 7.0"));
  // No "INPUT POWER": positions 16..25.
  EXPECT_DOUBLE_EQ(0.125, ReadInputPower("abcdefghijklmno  0.125   xyz"));
  EXPECT_THROW(ReadInputPower(""), ConversionError);
  EXPECT_THROW(ReadFrequency("FREQUENCY"), ConversionError);

  // No "ANTENNA INPUT": the fifth line of the text.
  const std::string feedRow = classic_detail::Printf("%6d%6d%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E", 1,
                                                     1, 2.0, 0.0, 0.5, 0.0, 50.0, 1.0, 0.02, 0.0, 0.25);
  const AntennaInput in = ReadAntennaInput(Lines({"l1", "l2", "l3", "l4", feedRow, "l6"}));
  EXPECT_DOUBLE_EQ(2.0 / kSqrt2, in.voltageRe);
  EXPECT_DOUBLE_EQ(50.0, in.impedanceRe);
  EXPECT_DOUBLE_EQ(0.25, in.power);
  // Too few lines for a data line: all zeros, no failure.
  const AntennaInput none = ReadAntennaInput("ANTENNA INPUT\r\n\r\n");
  EXPECT_EQ(0.0, none.voltageRe);
  EXPECT_EQ(0.0, none.power);
}

TEST(NecOutReader, AntennaInputZeroesTheFailingFieldAndAllLaterOnes) {
  struct Case {
    const char* what;
    int badField;  // 0..8, the field made unreadable
    double impedanceRe, impedanceIm, power;
  } cases[] = {
      {"impedance imaginary", 5, 62.537, 0, 0},
      {"admittance real", 6, 62.537, 26.225, 0},
      {"power", 8, 62.537, 26.225, 0},
  };
  for (const Case& c : cases) {
    std::string text = ClassicOutputText(SampleRun());
    std::size_t line = text.find("ANTENNA INPUT");
    for (int i = 0; i < 4; ++i) line = text.find('\r', line) + 2;
    text.replace(line + 12 + 12 * c.badField, 12, "   not a num");
    const AntennaInput in = ReadAntennaInput(text);
    EXPECT_DOUBLE_EQ(1.0 / kSqrt2, in.voltageRe) << c.what;
    EXPECT_DOUBLE_EQ(1.3595e-2 / kSqrt2, in.currentRe) << c.what;
    EXPECT_DOUBLE_EQ(c.impedanceRe, in.impedanceRe) << c.what;
    EXPECT_DOUBLE_EQ(c.impedanceIm, in.impedanceIm) << c.what;
    EXPECT_DOUBLE_EQ(c.power, in.power) << c.what;
  }
}

TEST(NecOutReader, SegmentRowsCountFromTheSeventhLineAfterTheKeyword) {
  // Row n is the (6 + n)-th line after the keyword line; the columns 51-60, 63-72, 75-84 and
  // 88-93 hold real, imaginary, magnitude and phase.
  std::vector<std::string> lines = {"xx CURRENTS AND LOCATION", "a", "b", "c", "d", "e", "f"};
  for (int n = 1; n <= 3; ++n)
    lines.push_back(std::string(50, ' ') + "1.0000E-03  1.0000E-03  " + classic_detail::Printf("%10.4E", n * 1.0) +
                    "    1.000");
  const std::string text = Lines(lines);
  EXPECT_DOUBLE_EQ(1.0, ReadSegmentCurrent(text, 1));
  EXPECT_DOUBLE_EQ(2.0, ReadSegmentCurrent(text, 2));
  EXPECT_DOUBLE_EQ(3.0, ReadSegmentCurrent(text, 3));
}

TEST(NecOutReader, SegmentCurrentWithoutADefinedValueIsNaN) {
  ClassicOutput o = SampleRun();
  const std::string good = ClassicOutputText(o);
  EXPECT_TRUE(std::isnan(ReadSegmentCurrent(good, 0))) << "n < 1";
  EXPECT_TRUE(std::isnan(ReadSegmentCurrent(good, -5))) << "n < 1";
  EXPECT_TRUE(std::isnan(ReadSegmentCurrent(good, 4))) << "n beyond the last row";
  EXPECT_TRUE(std::isnan(ReadSegmentCurrent(good, 100000))) << "n beyond the text";
  EXPECT_TRUE(std::isnan(ReadSegmentCurrent("CURRENTS AND LOCATION\r\n", 1))) << "no row at all";

  // A failing real part, imaginary part or magnitude gives NaN; a failing phase keeps the
  // magnitude.
  struct Case {
    const char* what;
    std::size_t column;  // zero-based start of the field in the row
    std::size_t width;
    bool magnitudeKept;
  } cases[] = {{"real", 50, 10, false}, {"imaginary", 62, 10, false}, {"magnitude", 74, 10, false},
               {"phase", 87, 6, true}};
  for (const Case& c : cases) {
    std::string text = good;
    std::size_t line = text.find("CURRENTS AND LOCATION");
    for (int i = 0; i < 8; ++i) line = text.find('\r', line) + 2;  // row 2
    text.replace(line + c.column, c.width, std::string(c.width - 1, ' ') + "x");
    const double current = ReadSegmentCurrent(text, 2);
    if (c.magnitudeKept) {
      EXPECT_DOUBLE_EQ(2.5e-3, current) << c.what;
    } else {
      EXPECT_TRUE(std::isnan(current)) << c.what << ": got " << current;
    }
    EXPECT_DOUBLE_EQ(2.2361e-3, ReadSegmentCurrent(text, 1)) << "other rows unaffected";
  }
}

// ---- Near field -------------------------------------------------------------------------

TEST(NecOutReader, NearFieldValuesPerPolarisation) {
  struct Case {
    const char* what;
    ClassicNearRow row;
    double expected[5];  // Total, X, Y, Z, Horizontal
  } cases[] = {
      {"linear in XY", {0, 0, 0, 10, 0, 10, 0, 0, 0}, {10, 10 / kSqrt2, 10 / kSqrt2, 0, 10}},
      {"circular in XY", {0, 0, 0, 10, 0, 10, 90, 0, 0}, {10 / kSqrt2, 10 / kSqrt2, 10 / kSqrt2, 0, 10 / kSqrt2}},
      {"total above 1000 is 0", {0, 0, 0, 1000.5, 0, 0, 0, 0, 0}, {0, 1000.5 / kSqrt2, 0, 0, 1000.5 / kSqrt2}},
      {"Ez only", {0, 0, 0, 0, 0, 0, 0, 3, 45}, {3 / kSqrt2, 0, 0, 3 / kSqrt2, 0}},
      {"Ex NaN", {0, 0, 0, NAN, 0, 1, 0, 1, 0}, {0, 1000000 / kSqrt2, 1 / kSqrt2, 1 / kSqrt2, std::sqrt(1e12 + 1) / kSqrt2}},
      {"Ez NaN", {0, 0, 0, 1, 0, 0, 0, NAN, 0}, {1 / kSqrt2, 1 / kSqrt2, 0, 0, 1 / kSqrt2}},
  };
  for (const Case& c : cases) {
    ClassicOutput o;
    o.nearField = {c.row};
    const std::string text = ClassicOutputText(o);
    for (int pol = 0; pol < 5; ++pol) {
      NearFieldTable t;
      ReadNearField(text, pol, t);
      ASSERT_EQ(1u, t.value.size()) << c.what;
      EXPECT_NEAR(c.expected[pol], t.value[0], 1e-9 * (1 + std::abs(c.expected[pol])))
          << c.what << ", polarisation " << pol;
    }
  }
}

TEST(NecOutReader, NearFieldTakesTheFirstTableAndItsType) {
  ClassicOutput o = SampleRun();
  o.magnetic = true;
  o.moreNearFields = {ClassicNearTable{false, {{5, 5, 5, 1, 0, 1, 0, 1, 0}}}};
  NearFieldTable t;
  ReadNearField(ClassicOutputText(o), 1, t);
  EXPECT_EQ("MAGNETIC ", t.fieldType);
  EXPECT_FALSE(t.IsElectric());
  EXPECT_EQ("A/m", t.UnitText());
  ASSERT_EQ(3u, t.x.size()) << Describe(t);
  EXPECT_EQ((RealList{-1, 0, 1}), t.x);
  EXPECT_EQ((RealList{-1, -1, -1}), t.y);
  EXPECT_DOUBLE_EQ(7.8777E-02 / kSqrt2, t.value[0]);

  ReadNearField(ClassicOutputText(SampleRun()), 1, t);
  EXPECT_EQ("ELECTRIC ", t.fieldType);
  EXPECT_EQ("V/m", t.UnitText());
}

TEST(NecOutReader, NearFieldRowsSplitAtBlankRunsButNotAtTabs) {
  const std::string head = Lines({"NEAR ELECTRIC FIELDS", "", "h1", "h2", "h3", ""});
  NearFieldTable single, wide;
  ReadNearField(head + "1.5 2 3 4 0 5 0 6 0", 3, single);
  ReadNearField(head + "  1.5     2  3" + std::string(64, ' ') + "4 0 5 0 6    0   ", 3, wide);
  ASSERT_EQ(1u, wide.x.size()) << Describe(wide);
  EXPECT_TRUE(SameBits(single.x, wide.x) && SameBits(single.value, wide.value)) << Describe(wide);
  EXPECT_DOUBLE_EQ(1.5, wide.x[0]);
  EXPECT_DOUBLE_EQ(6 / kSqrt2, wide.value[0]);

  // 65 blanks shrink to two, which leave an empty field.
  EXPECT_EQ(ConversionMessage(""), FailureOf([&] {
              NearFieldTable t;
              ReadNearField(head + "1 2 3" + std::string(65, ' ') + "4 0 5 0 6 0 7", 0, t);
            }));
  SeparatorScope comma(',');
  EXPECT_EQ(ConversionMessage("2\t3"), FailureOf([&] {
              NearFieldTable t;
              ReadNearField(head + "1,5 2\t3 4 0 5 0 6 0 7", 0, t);
            }));
}

TEST(NecOutReader, NearFieldTableEnds) {
  const std::string head = Lines({"xx NEAR ELECTRIC FIELDS", "", "h1", "h2", "h3", ""});
  const std::string rows = Lines({"1 0 0 1 0 1 0 1 0", "2 0 0 1 0 1 0 1 0", "3 0 0 1 0 1 0 1 0"});
  struct Case {
    const char* what;
    std::string text;
    std::size_t points;
  } cases[] = {
      {"a blank line ends the table", head + rows + "\r\n\r\n4 0 0 1 0 1 0 1 0", 3},
      {"a one-character line ends the table", head + rows + "\r\n  x \r\n4 0 0 1 0 1 0 1 0", 3},
      {"the end of the text ends it, the last row read", head + rows, 3},
      {"an end of text right after a line end", head + rows + "\r\n", 3},
      {"no fifth line end: no rows", "NEAR ELECTRIC\r\n\r\n1\r\n2 0 0 1 0 1 0 1 0", 0},
  };
  for (const Case& c : cases) {
    NearFieldTable t;
    t.x = {99};
    t.value = {99};
    ReadNearField(c.text, 0, t);
    EXPECT_EQ(c.points, t.x.size()) << c.what << ": " << Describe(t);
    EXPECT_EQ(c.points, t.value.size()) << c.what;
    if (c.points == 3) {
      EXPECT_EQ((RealList{1, 2, 3}), t.x) << c.what;
    }
  }
}

TEST(NecOutReader, NearFieldWithoutAFramedHeadingStartsAtTheFirstNearInAnyCase) {
  // "LINEAR" in a comment holds "NEAR"; with no framed heading the rows are read from its
  // fifth line on.
  const std::string unframed = Lines({" A LINEAR ARRAY", "NEAR ELECTRIC FIELDS", "", "h", "h", "heading",
                                      "1 2 3 1 0 1 0 1 0", ""});
  NearFieldTable t;
  EXPECT_EQ(ConversionMessage("heading"), FailureOf([&] { ReadNearField(unframed, 0, t); }));
  EXPECT_EQ("ARRAY\r\nNE", t.fieldType);

  // No keyword at all: the sixth line of the text is the first row.
  const std::string text = Lines({"a", "b", "c", "d", "e", "1 2 3 1 0 1 0 1 0", "4 5 6 1 0 1 0 1 0"});
  ReadNearField(text, 1, t);
  EXPECT_EQ(text.substr(4, 9), t.fieldType);
  EXPECT_EQ((RealList{1, 4}), t.x) << Describe(t);
}

TEST(NecOutReader, NearFieldFailureKeepsTheRowsBeforeIt) {
  const std::string head = Lines({"NEAR ELECTRIC FIELDS", "", "h1", "h2", "h3", ""});
  SeparatorScope comma(',');
  NearFieldTable t;
  const std::string text = head + Lines({"1.5 0 0 1 0 1 0 1 0", "2.5 0 0 1.2x 0 1 0 1 0", "3 0 0 1 0 1 0 1 0"});
  EXPECT_EQ(ConversionMessage("1,2x"), FailureOf([&] { ReadNearField(text, 0, t); }));
  EXPECT_EQ((RealList{1.5}), t.x);
  EXPECT_EQ(1u, t.value.size());

  // A row of fewer than nine fields fails as a whole, named as the row reads after the blank
  // and '.' replacements.
  EXPECT_EQ(ConversionMessage("1,5 0 0 1,25 0"),
            FailureOf([&] { ReadNearField(head + "1.5  0   0 1.25 0\r\n", 0, t); }));
  EXPECT_TRUE(t.x.empty());
}

TEST(NecOutReader, NearFieldReadsTheSameUnderBothSeparators) {
  ClassicOutput o;
  o.nearField = ClassicGrid(5, 4, 3, -1, -1, -1, 0.5, ClassicDipoleField);
  const std::string text = ClassicOutputText(o);
  for (int pol = 0; pol < 5; ++pol) {
    NearFieldTable comma, point;
    {
      SeparatorScope s(',');
      ReadNearField(text, pol, comma);
    }
    {
      SeparatorScope s('.');
      ReadNearField(text, pol, point);
    }
    ASSERT_EQ(60u, comma.x.size());
    EXPECT_TRUE(SameBits(comma.x, point.x) && SameBits(comma.z, point.z) && SameBits(comma.value, point.value))
        << "polarisation " << pol;
    EXPECT_DOUBLE_EQ(1.0, comma.x[4]);
    EXPECT_DOUBLE_EQ(-0.5, comma.y[8]);
  }
  // Numbers written with a comma are read only under the decimal comma.
  const std::string head = Lines({"NEAR ELECTRIC FIELDS", "", "h1", "h2", "h3", ""});
  const std::string commaRow = head + "1,5 0 0 1 0 1 0 1 0";
  NearFieldTable t;
  {
    SeparatorScope s(',');
    ReadNearField(commaRow, 1, t);
    EXPECT_EQ((RealList{1.5}), t.x);
  }
  SeparatorScope s('.');
  EXPECT_EQ(ConversionMessage("1,5"), FailureOf([&] { ReadNearField(commaRow, 1, t); }));
}

TEST(NecOutReader, NearFieldReadsAtMost128000Rows) {
  ClassicOutput o;
  o.nearField.assign(MaxNearFieldRows + 5, ClassicNearRow{1, 2, 3, 1, 0, 1, 0, 1, 0});
  o.nearField.back().x = 7;
  NearFieldTable t;
  ReadNearField(ClassicOutputText(o), 2, t);
  EXPECT_EQ(MaxNearFieldRows, t.x.size());
  EXPECT_EQ(MaxNearFieldRows, t.value.size());
}

TEST(NecOutReader, AnInvalidPolarisationAppendsPointsWithoutValues) {
  const std::string text = ClassicOutputText(SampleRun());
  for (int pol : {-1, 5, 1000}) {
    NearFieldTable t;
    ReadNearField(text, pol, t);
    EXPECT_EQ(3u, t.x.size()) << pol;
    EXPECT_TRUE(t.value.empty()) << pol;
  }
}

TEST(NecOutReader, NecNumberTurnsOnlyExactNaNIntoAMillion) {
  SeparatorScope comma(',');
  EXPECT_EQ(1000000.0, NecNumber("NaN"));
  EXPECT_DOUBLE_EQ(-0.0025, NecNumber("-2,5E-3"));
  EXPECT_THROW(NecNumber("nan"), ConversionError);
  EXPECT_THROW(NecNumber("NAN"), ConversionError);
  EXPECT_THROW(NecNumber("1.5"), ConversionError);
}

// ---- Hostile texts ----------------------------------------------------------------------

namespace {

// Every reader on the text: each returns or throws ConversionError, nothing else.
void ReadEverything(const std::string& text, const std::string& what) {
  for (int pol = -1; pol <= 5; ++pol) {
    NearFieldTable t;
    try {
      ReadNearField(text, pol, t);
    } catch (const ConversionError&) {
    }
    EXPECT_LE(t.x.size(), MaxNearFieldRows) << what;
    EXPECT_EQ(t.x.size(), t.z.size()) << what;
  }
  for (auto read : {ReadFrequency, ReadInputPower}) {
    try {
      read(text);
    } catch (const ConversionError&) {
    }
  }
  ReadAntennaInput(text);
  for (int n : {-1, 0, 1, 2, 1000000}) ReadSegmentCurrent(text, n);
}

}  // namespace

TEST(NecOutHostile, BinaryBytesShortTextsAndKeywordsAtTheEnd) {
  std::mt19937 rng(99);
  for (int round = 0; round < 300; ++round) {
    std::string text(static_cast<std::size_t>(rng() % 600), '\0');
    for (char& c : text) c = static_cast<char>(rng() % 4 == 0 ? "\r\n \0"[rng() % 4] : rng());
    if (round % 3 == 0) text += "NEAR";
    if (round % 5 == 0) text = "CURRENTS AND LOCATION ANTENNA INPUT FREQUENCY INPUT POWER " + text + "FREQUENCY";
    ReadEverything(text, "random bytes, round " + std::to_string(round));
  }
  for (const std::string& text : {std::string(), std::string("N"), std::string("NEAR"), std::string("\r\r\r\r\r"),
                                  std::string("NEAR\r\r\r\r\r"), std::string("NEAR\r\n\r\n\r\n\r\n\r\n1"),
                                  std::string("FREQUENCYFREQUENCY"), std::string("INPUT POWER")}) {
    ReadEverything(text, "short text");
  }
}

TEST(NecOutHostile, AFiftyMegabyteLine) {
  const std::string head = "NEAR ELECTRIC FIELDS\r\n\r\nh1\r\nh2\r\nh3\r\n";
  const std::string digits(50u << 20, '7');
  NearFieldTable t;
  // One field of fifty million digits: the row has fewer than nine fields.
  EXPECT_THROW(ReadNearField(head + digits, 0, t), ConversionError);
  EXPECT_TRUE(t.x.empty());
  // Nine fields, the first one huge: TextToReal decides (it is too large for a double).
  EXPECT_THROW(ReadNearField(head + digits + " 0 0 1 0 1 0 1 0", 0, t), ConversionError);
  // No line end at all: no rows, and the scalar readers fail or give nothing.
  std::string noLineEnds = "NEAR " + std::string(50u << 20, 'x');
  ReadNearField(noLineEnds, 0, t);
  EXPECT_TRUE(t.x.empty());
  EXPECT_EQ("xxxxxxxxx", t.fieldType);
  EXPECT_THROW(ReadFrequency(noLineEnds), ConversionError);
  EXPECT_TRUE(std::isnan(ReadSegmentCurrent(noLineEnds, 1)));
  EXPECT_EQ(0.0, ReadAntennaInput(noLineEnds).power);
}

}  // namespace varnel
