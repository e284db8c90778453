#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "necout/reader.hpp"
#include "necout/necout_support.hpp"
#include "necout/step_by_step_reader.hpp"
#include "necout/whole.hpp"
#include "support/classic_output.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

std::string ConversionMessage(const std::string& text) {
  return "'" + text + "' ist kein g\xC3\xBCltiger Gleitkommawert";
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

// A near-field heading and the four lines below it: the rows follow.
const std::string kHead = Lines({"NEAR ELECTRIC FIELDS", "", "h1", "h2", "h3", ""});

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
  EXPECT_EQ(text, ReplaceText("\n", "\r\n", ReplaceText("\r", "", text, true), true)) << "a CR or LF alone";
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
  // A segment without a defined value reads as NaN.
  const std::string good = ClassicOutputText(SampleRun());
  for (const auto& [n, why] : {std::pair{0, "n < 1"}, std::pair{-5, "n < 1"},
                               std::pair{4, "n beyond the last row"}, std::pair{100000, "n beyond the text"}})
    EXPECT_TRUE(std::isnan(ReadSegmentCurrent(good, n))) << why;
  // A negative input power keeps its sign, which stands in the column before the ten digits.
  ClassicOutput negative = SampleRun();
  negative.inputPower = -2.5e-3;
  EXPECT_DOUBLE_EQ(-2.5e-3, ReadInputPower(ClassicOutputText(negative)));
}

// Without a near-field table the first run is read; with one, the run that printed it, and
// nothing of another run.
TEST(NecOutReader, TheRunOfTheNearFieldIsRead) {
  ClassicOutput first = SampleRun(), second = SampleRun();
  first.nearField.clear();
  second.frequency = 21.0;
  second.inputPower = 0.5;
  second.feeds[0].impedanceRe = 99;
  second.segments[0].magnitude = 9.0;
  second.nearField[0].x = 42;
  const std::string text = ClassicOutputText(std::vector<ClassicOutput>{first, second});
  const OutputPrint print(text);
  EXPECT_EQ(2u, print.RunNumber());
  EXPECT_EQ(2u, print.RunCount());
  EXPECT_DOUBLE_EQ(21.0, ReadFrequency(print));
  EXPECT_DOUBLE_EQ(0.5, ReadInputPower(print));
  EXPECT_DOUBLE_EQ(99, ReadAntennaInput(print).impedanceRe);
  EXPECT_DOUBLE_EQ(9.0, ReadSegmentCurrent(print, 1));
  EXPECT_EQ("Read at run 2 of 2, 21 MHz, the run of the near-field table", RunReadLine(print));
  NearFieldTable table;
  ReadNearField(print, 1, table);
  ASSERT_EQ(3u, table.x.size());
  EXPECT_EQ(42.0, table.x[0]);

  second.nearField.clear();
  second.withPowerBudget = false;
  const std::string noTableText = ClassicOutputText(std::vector<ClassicOutput>{first, second, first});
  const OutputPrint noTable(noTableText);
  EXPECT_EQ(1u, noTable.RunNumber());
  EXPECT_EQ(3u, noTable.RunCount());
  EXPECT_DOUBLE_EQ(14.2, ReadFrequency(noTable));
  EXPECT_DOUBLE_EQ(2.2361e-3, ReadSegmentCurrent(noTable, 1));
  EXPECT_EQ("", RunReadLine(noTable));

  // A run that prints no power budget has no input power, whatever the other runs print.
  first.nearField = SampleRun().nearField;
  first.withPowerBudget = false;
  EXPECT_TRUE(std::isnan(ReadInputPower(ClassicOutputText(std::vector<ClassicOutput>{first, second}))));
}

// A section the run prints but not in its layout's form is refused, naming the section and the
// line; a section the run does not print is undefined; nothing is read from another place.
TEST(NecOutReader, ASectionOutOfItsLayoutIsRefusedAndAMissingOneIsUndefined) {
  const std::string good = ClassicOutputText(SampleRun());
  const auto lineOf = [&](const std::string& text, const std::string& holding) {
    return static_cast<std::size_t>(std::count(text.begin(), text.begin() + text.find(holding), '\n')) + 1;
  };
  struct Case {
    const char* what;
    std::string find, replace;  // in the good text
    PrintSection section;
    std::string line;  // the line the message names holds this
  } cases[] = {
      {"frequency one column to the left", "FREQUENCY= 1.4200E+01", "FREQUENCY=1.4200E+01 ",
       PrintSection::Frequency, "FREQUENCY="},
      {"frequency cut", "FREQUENCY= 1.4200E+01 MHZ", "FREQUENCY= 1.4200E+0", PrintSection::Frequency,
       "FREQUENCY="},
      {"frequency line missing below its heading", "FREQUENCY= 1.4200E+01", "WAVELENGTH= 1.4200E+01",
       PrintSection::Frequency, "WAVELENGTH="},
      {"power with a foreign word", "INPUT POWER   = 6.7975E-03", "INPUT POWER   = 6.7975E-0x",
       PrintSection::InputPower, "INPUT POWER"},
      {"power one column to the right", "INPUT POWER   = 6.7975E-03 WATTS",
       "INPUT POWER   =  6.7975E-03 WATTS", PrintSection::InputPower, "INPUT POWER"},
      {"feed impedance unreadable", "2.62250E+01", "2.6225xE+01", PrintSection::Feed, "2.6225x"},
      {"feed row shifted", "     1     1 1.00000E+00", "    1     1 1.00000E+00", PrintSection::Feed,
       "    1     1 1.0"},
      {"current row of another segment", "     2    1", "     9    1", PrintSection::Currents, "     9    1"},
      {"current phase unreadable", "  126.870", "  126.8x0", PrintSection::Currents, "126.8x0"},
      {"near-field row unreadable", "   1.2597E-01  149.73", "   1.2597E-0x  149.73", PrintSection::NearField,
       "1.2597E-0x"},
  };
  for (const Case& c : cases) {
    std::string text = good;
    ASSERT_NE(std::string::npos, text.find(c.find)) << c.what;
    text.replace(text.find(c.find), c.find.size(), c.replace);
    const OutputPrint print(text);
    const std::string expected = "The text: the " + std::string(SectionName(c.section)) + " at line " +
                                 std::to_string(lineOf(text, c.line)) + " is not in a form Varnel reads";
    try {
      NearFieldTable table;
      ReadFrequency(print), ReadInputPower(print), ReadAntennaInput(print);
      for (int n = 1; n <= 3; ++n) ReadSegmentCurrent(print, n);
      ReadNearField(print, 0, table);
      ADD_FAILURE() << c.what << ": read without a word";
    } catch (const PrintError& e) {
      EXPECT_EQ(expected, e.what()) << c.what;
      EXPECT_EQ("x.out" + e.problem, e.InFile("x.out").what()) << c.what;
    }
  }

  ClassicOutput o = SampleRun();
  o.withPowerBudget = o.withAntennaInput = o.withCurrents = false;
  const std::string bareText = ClassicOutputText(o);
  const OutputPrint bare(bareText);
  EXPECT_TRUE(std::isnan(ReadInputPower(bare)));
  EXPECT_TRUE(std::isnan(ReadAntennaInput(bare).impedanceRe));
  EXPECT_TRUE(std::isnan(ReadSegmentCurrent(bare, 1)));
  EXPECT_DOUBLE_EQ(14.2, ReadFrequency(bare));
  o.withFrequency = false;
  o.nearField.clear();
  const std::string nothingText = ClassicOutputText(o);
  const OutputPrint nothing(nothingText);
  EXPECT_EQ(0u, nothing.RunNumber());
  try {
    ReadFrequency(nothing);
    ADD_FAILURE() << "a frequency without its section";
  } catch (const PrintError& e) {
    EXPECT_STREQ("The text holds no frequency line", e.what());
  }
  NearFieldTable table;
  ReadNearField(nothing, 0, table);
  EXPECT_TRUE(table.x.empty());
}

// ---- Near field -------------------------------------------------------------------------

TEST(NecOutReader, NearFieldValuesPerPolarisation) {
  struct Case {
    const char* what;
    ClassicNearRow row;
    double expected[5];  // Total, X, Y, Z, Horizontal
  } cases[] = {
      {"linear in XY", {0, 0, 0, 10, 0, 10, 0, 0, 0}, {10, 10 / kSqrt2, 10 / kSqrt2, 0, 10}},
      {"circular in XY",
       {0, 0, 0, 10, 0, 10, 90, 0, 0},
       {10 / kSqrt2, 10 / kSqrt2, 10 / kSqrt2, 0, 10 / kSqrt2}},
      {"total above 1000 is kept",
       {0, 0, 0, 1000.5, 0, 0, 0, 0, 0},
       {1000.5 / kSqrt2, 1000.5 / kSqrt2, 0, 0, 1000.5 / kSqrt2}},
      {"Ez only", {0, 0, 0, 0, 0, 0, 0, 3, 45}, {3 / kSqrt2, 0, 0, 3 / kSqrt2, 0}},
      {"Ex NaN: no value", {0, 0, 0, NAN, 0, 1, 0, 1, 0}, {NAN, NAN, NAN, NAN, NAN}},
      {"Ez NaN: no value", {0, 0, 0, 1, 0, 0, 0, NAN, 0}, {NAN, NAN, NAN, NAN, NAN}},
  };
  for (const Case& c : cases) {
    ClassicOutput o;
    o.nearField = {c.row};
    const std::string text = ClassicOutputText(o);
    for (int pol = 0; pol < 5; ++pol) {
      NearFieldTable t;
      ReadNearField(text, pol, t);
      ASSERT_EQ(1u, t.value.size()) << c.what;
      if (std::isnan(c.expected[pol]))
        EXPECT_TRUE(std::isnan(t.value[0])) << c.what << ", polarisation " << pol;
      else
        EXPECT_NEAR(c.expected[pol], t.value[0], 1e-9 * (1 + std::abs(c.expected[pol])))
            << c.what << ", polarisation " << pol;
    }
  }
}

// Points marked NaN and total peaks above 1000 are each said once, for the polarisations they
// concern.
TEST(NecOutReader, NearFieldNotesSayWhatTheValuesHold) {
  SeparatorScope comma(',');
  ClassicOutput o;
  o.nearField = {{0, 0, 0, 1, 0, 0, 0, 0, 0},
                 {0, 0, 1, NAN, 0, 1, 0, 1, 0},
                 {0.05, 0, 0, 1419.4, 0, 0, 0, 0, 0},
                 {0, 0, 2, 1200, 0, 0, 0, 0, 0}};
  NearFieldTable t;
  ReadNearField(ClassicOutputText(o), 0, t);
  const std::vector<std::string> notes = {
      "1 grid point of x.out is marked NaN by the engine and left out of the searches",
      "2 grid points above 1000 V/m peak in x.out are taken as printed, not set to 0; the largest is 1419 "
      "V/m at "
      "(0,05|0|0)"};
  EXPECT_EQ(notes, NearFieldNotes(t, 0, "x.out"));
  ReadNearField(ClassicOutputText(o), 1, t);
  EXPECT_EQ(std::vector<std::string>{notes[0]}, NearFieldNotes(t, 1, "x.out"));
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

  // "LINEAR" in a comment holds "NEAR", an unframed heading is no heading: no table.
  const std::string unframed =
      Lines({" A LINEAR ARRAY", "NEAR ELECTRIC FIELDS", "", "h", "h", "METERS", "1 2 3 1 0 1 0 1 0", ""});
  NearFieldTable none;
  ReadNearField(unframed, 0, none);
  EXPECT_TRUE(none.x.empty());
  EXPECT_EQ(OutputPrint::npos, OutputPrint(unframed).NearField());
}

TEST(NecOutReader, NearFieldTableEnds) {
  const std::string xxHead = Lines({"xx NEAR ELECTRIC FIELDS", "", "h1", "h2", "h3", ""});
  const std::string rows = Lines({"1 0 0 1 0 1 0 1 0", "2 0 0 1 0 1 0 1 0", "3 0 0 1 0 1 0 1 0"});
  struct Case {
    const char* what;
    std::string text;
    std::size_t points;
  } cases[] = {
      {"a blank line ends the table", xxHead + rows + "\r\n\r\n4 0 0 1 0 1 0 1 0", 3},
      {"a one-character line ends the table", xxHead + rows + "\r\n  x \r\n4 0 0 1 0 1 0 1 0", 3},
      {"the end of the text ends it, the last row read", xxHead + rows, 3},
      {"an end of text right after a line end", xxHead + rows + "\r\n", 3},
      {"no fifth line end: no rows", "NEAR ELECTRIC\r\n\r\n1\r\n2 0 0 1 0 1 0 1 0", 0},
  };
  for (const Case& c : cases) {
    NearFieldTable t;
    t.x = {99};
    t.value = {99};
    ReadRowsAsStepByStep(c.text, 0, t);
    EXPECT_EQ(c.points, t.x.size()) << c.what << ": " << Describe(t);
    EXPECT_EQ(c.points, t.value.size()) << c.what;
    if (c.points == 3) {
      EXPECT_EQ((RealList{1, 2, 3}), t.x) << c.what;
    }
  }
}

// A row is read or refused as a whole, the failure naming the field (or the whole row, when it has
// fewer than nine fields) as it reads after the blank and '.' replacements; the rows before a
// failing row are kept. Numbers written with a comma are read only under the decimal comma.
TEST(NecOutReader, NearFieldRowsAreReadOrRefusedAsAWhole) {
  const std::string blanks65 = "1 2 3" + std::string(65, ' ') + "4 0 5 0 6 0 7";
  const std::string failingThird =
      Lines({"1.5 0 0 1 0 1 0 1 0", "2.5 0 0 1.2x 0 1 0 1 0", "3 0 0 1 0 1 0 1 0"});
  struct Case {
    char separator;
    std::string rows;
    const char* refused;  // the text the message names (nullptr: the rows read)
    RealList x;           // the rows kept
  } cases[] = {
      {',', blanks65, "", {}},  // 65 blanks shrink to two, which leave an empty field
      {',', "1,5 2\t3 4 0 5 0 6 0 7", "2\t3", {}},
      {',', failingThird, "1,2x", {1.5}},
      {',', "1.5  0   0 1.25 0\r\n", "1,5 0 0 1,25 0", {}},
      {',', "1,5 0 0 1 0 1 0 1 0", nullptr, {1.5}},
      {'.', "1,5 0 0 1 0 1 0 1 0", "1,5", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows);
    SeparatorScope scope(c.separator);
    const Outcome o = ReadOutcome(ReadRowsAsStepByStep, kHead + c.rows, 0);
    EXPECT_EQ(c.refused ? ConversionMessage(c.refused) : "", o.failure);
    EXPECT_EQ(c.x, o.table.x);
    EXPECT_EQ(c.x.size(), o.table.value.size());
  }
  // Blank runs of any length split a row as one blank does.
  NearFieldTable single, wide;
  ReadRowsAsStepByStep(kHead + "1.5 2 3 4 0 5 0 6 0", 3, single);
  ReadRowsAsStepByStep(kHead + "  1.5     2  3" + std::string(64, ' ') + "4 0 5 0 6    0   ", 3, wide);
  ASSERT_EQ(1u, wide.x.size()) << Describe(wide);
  EXPECT_TRUE(SameBits(single.x, wide.x) && SameBits(single.value, wide.value)) << Describe(wide);
  EXPECT_DOUBLE_EQ(1.5, wide.x[0]);
  EXPECT_DOUBLE_EQ(6 / kSqrt2, wide.value[0]);
}

// At most 128000 rows are read; an invalid polarisation appends the points without values.
TEST(NecOutReader, NearFieldReadsAtMost128000RowsAndNoValuesOfAnInvalidPolarisation) {
  ClassicOutput o;
  o.nearField.assign(MaxNearFieldRows + 5, ClassicNearRow{1, 2, 3, 1, 0, 1, 0, 1, 0});
  o.nearField.back().x = 7;
  NearFieldTable t;
  ReadNearField(ClassicOutputText(o), 2, t);
  EXPECT_EQ(MaxNearFieldRows, t.x.size());
  EXPECT_EQ(MaxNearFieldRows, t.value.size());
  const std::string text = ClassicOutputText(SampleRun());
  for (int pol : {-1, 5, 1000}) {
    NearFieldTable points;
    ReadNearField(text, pol, points);
    EXPECT_EQ(3u, points.x.size()) << pol;
    EXPECT_TRUE(points.value.empty()) << pol;
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

// Everything the reader gives of a text: values, tables (whole and in parts, under every
// polarisation, valid or not), messages. Each reader returns or throws PrintError, nothing else.
std::string EverythingRead(std::string_view text) {
  std::ostringstream out;
  out.precision(17);
  const OutputPrint print(text);
  const auto note = [&](auto read) {
    try {
      read();
    } catch (const PrintError& e) {
      out << e.what() << "\n";
    }
  };
  note([&] { out << ReadFrequency(print) << " " << ReadInputPower(print); });
  for (int n : {-1, 0, 1, 2, 1000000}) note([&] { out << " " << ReadSegmentCurrent(print, n); });
  note([&] { out << ReadAntennaInput(print).impedanceIm << " " << ReadSegments(print).size() << "\n"; });
  for (int pol = -1; pol <= 5; ++pol) {
    for (const TextParts& parts : {TextParts{1, 1}, TextParts{8, 40}}) {
      NearFieldTable t;
      note([&] { ReadNearField(print, pol, t, parts); });
      EXPECT_LE(t.x.size(), MaxNearFieldRows);
      EXPECT_EQ(t.x.size(), t.z.size());
      out << t.fieldType << t.printedRows << ":";
      for (std::size_t i = 0; i < t.x.size(); ++i)
        out << t.x[i] << " " << t.z[i] << " " << (i < t.value.size() ? t.value[i] : 0.0) << ";";
    }
  }
  const std::optional<PrintError> notWhole = WhyNotWhole(print);
  out << OutlineOf(print).Whole() << RunReadLine(print) << (notWhole ? notWhole->what() : "");
  return out.str();
}

}  // namespace

TEST(NecOutHostile, BinaryBytesShortTextsKeywordsAtTheEndAndAFiveMegabyteLine) {
  std::mt19937 rng(99);
  for (int round = 0; round < 300; ++round) {
    std::string text(static_cast<std::size_t>(rng() % 600), '\0');
    for (char& c : text) c = static_cast<char>(rng() % 4 == 0 ? "\r\n \0"[rng() % 4] : rng());
    if (round % 3 == 0) text += "NEAR";
    if (round % 5 == 0)
      text = "CURRENTS AND LOCATION ANTENNA INPUT FREQUENCY INPUT POWER " + text + "FREQUENCY";
    SCOPED_TRACE("random bytes, round " + std::to_string(round));
    EverythingRead(text);
  }
  for (const std::string& text :
       {std::string(), std::string("N"), std::string("NEAR"), std::string("\r\r\r\r\r"),
        std::string("NEAR\r\r\r\r\r"), std::string("NEAR\r\n\r\n\r\n\r\n\r\n1"),
        std::string("FREQUENCYFREQUENCY"), std::string("INPUT POWER"),
        // A failing row behind lone line ends, which the row walk and the line walk count apart.
        std::string("-- NEAR ELECTRIC FIELDS --\r\nMETERS\r\n1 2 3 4 5 6 7 8 9\r\n\n\nxy z\r\n")}) {
    EverythingRead(text);
  }
  // A five-megabyte line: as one field, as the first of nine, without any line end.
  const std::string digits(5u << 20, '7');
  NearFieldTable t;
  // One field of five million digits: the row has fewer than nine fields.
  EXPECT_THROW(ReadRowsAsStepByStep(kHead + digits, 0, t), ConversionError);
  EXPECT_TRUE(t.x.empty());
  // Nine fields, the first one huge: TextToReal decides (it is too large for a double).
  EXPECT_THROW(ReadRowsAsStepByStep(kHead + digits + " 0 0 1 0 1 0 1 0", 0, t), ConversionError);
  // No line end at all: no rows, no sections.
  std::string noLineEnds = "NEAR " + std::string(5u << 20, 'x');
  ReadRowsAsStepByStep(noLineEnds, 0, t);
  EXPECT_TRUE(t.x.empty());
  ReadNearField(noLineEnds, 0, t);
  EXPECT_TRUE(t.x.empty());
  EXPECT_THROW(ReadFrequency(noLineEnds), PrintError);
  EXPECT_TRUE(std::isnan(ReadSegmentCurrent(noLineEnds, 1)));
  EXPECT_TRUE(std::isnan(ReadAntennaInput(noLineEnds).power));
}

// ---- Either line end, and nothing read behind the text -------------------------------------
#ifndef _WIN32
namespace {

// A copy of the text that ends where readable memory ends: a byte read behind it faults.
struct TextAtPageEnd {
  explicit TextAtPageEnd(std::string_view text)
      : page(sysconf(_SC_PAGESIZE)), size((text.size() / page + 2) * page) {
    base =
        static_cast<char*>(mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(base + size - page, page, PROT_NONE);
    view = {static_cast<char*>(std::memcpy(base + size - page - text.size(), text.data(), text.size())),
            text.size()};
  }
  ~TextAtPageEnd() { munmap(base, size); }
  std::size_t page, size;
  char* base;
  std::string_view view;
};

}  // namespace

// A print with LF line ends reads as the same print with CR LF, to the value and to the line
// numbers of the messages, and a text that ends right at unreadable memory reads as the same
// text in a string.
TEST(NecOutLineEnds, LfAndCrLfReadAlikeAndNothingBehindTheTextIsRead) {
  SeparatorScope scope('.');
  ClassicOutput grid = SampleRun();
  grid.nearField = ClassicGrid(40, 40, 1, -20, -20, 1, 1.0, ClassicDipoleField);
  grid.nearField[700].mz = NAN;
  ClassicOutput toTheEnd = SampleRun();
  toTheEnd.nearBlankLineAfter = toTheEnd.trailer = false;
  const std::string whole = ClassicOutputText(grid);
  std::string badRow = whole;
  badRow.replace(badRow.find(ClassicNearRowText(grid.nearField[900])), 4, "1.2.");
  const std::string texts[] = {whole, ClassicOutputText(toTheEnd), badRow, whole.substr(0, whole.size() / 2),
                               whole.substr(0, whole.find("FREQUENCY") + 40)};
  for (const std::string& crLf : texts) {
    const std::string lf = ReplaceText("\r\n", "\n", crLf, true);
    const std::string read = EverythingRead(crLf);
    EXPECT_EQ(read, EverythingRead(lf));
    for (const std::string& text : {crLf, lf}) EXPECT_EQ(read, EverythingRead(TextAtPageEnd(text).view));
  }
}

#endif

}  // namespace varnel
