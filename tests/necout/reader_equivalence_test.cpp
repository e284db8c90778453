// The fast near-field reader against a literal step-by-step reading built from the text
// helpers: keyword search, CR counting, CopyRange, TrimSet, six ReplaceText passes, '.' to the
// separator, SplitChar, TextToReal. Random tables in many spellings must give bit-identical
// tables, or the same failure with the same rows kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "necout/reader.hpp"
#include "necout/necout_support.hpp"
#include "necout/step_by_step_reader.hpp"
#include "support/classic_output.hpp"
#include "util/errors.hpp"
#include "util/numbers.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

// A near-field heading and the four lines below it: the table's rows follow.
const std::string kHead = "  -------- NEAR ELECTRIC FIELDS --------\r\n  h\r\n  h\r\n  h\r\n  h\r\n";

// Texts in many spellings: NEC2's own numbers, other accepted forms, blank runs of every
// length, NaN, bad fields, short rows, lone CRs, missing line ends, control bytes.
class TableWriter {
 public:
  explicit TableWriter(unsigned seed) : rng_(seed) {}

  std::string Text() {
    hostile_ = Chance(0.5);
    std::string text;
    if (Chance(0.1)) text += "a linear comment\r\n";
    if (Chance(0.05)) text += "  --- NEAR ELECTRIC FIELDS - PATTERN ---\r\n";
    text += Chance(0.1) ? "  NEAR MAGNETIC FIELDS\r\n" : "  -------- NEAR ELECTRIC FIELDS --------\r\n";
    const int headLines = Chance(0.05) ? Pick(0, 6) : 4;
    for (int i = 0; i < headLines; ++i) text += "  heading\r\n";
    const int rows = Pick(0, 60);
    for (int r = 0; r < rows; ++r) {
      text += Row();
      text += LineEnd();
    }
    if (Chance(0.6)) text += Chance(0.5) ? "\r\n" : "  \t \r\n";
    if (Chance(0.5)) text += "   1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0 9.0\r\n";
    return text;
  }

 private:
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  std::string LineEnd() {
    if (!hostile_ || Chance(0.97)) return "\r\n";
    const char* odd[] = {"\r", "\n\r\n", "\r\r\n", "\r\n\n", "\r\x01\n"};
    return odd[Pick(0, 4)];
  }

  std::string Blanks() {
    if (Chance(0.05))
      return std::string(static_cast<std::size_t>(hostile_ ? Pick(60, 140) : Pick(60, 64)), ' ');
    if (hostile_ && Chance(0.02)) return "\t";
    return std::string(static_cast<std::size_t>(Pick(1, 4)), ' ');
  }

  std::string Number() {
    if (Chance(0.02)) return "NaN";
    if (hostile_ && Chance(0.01)) {
      const char* bad[] = {"nan", "1.2.3", "1,5",   "abc",    "",     "1E",  "+",
                           ".",   "-.",    "1e400", "1e-400", "0x10", "1..", "E5"};
      return bad[Pick(0, 13)];
    }
    const double v = std::uniform_real_distribution<double>(-2000, 2000)(rng_) *
                     std::pow(10.0, Pick(-30, 3)) * (Chance(0.1) ? 0 : 1);
    const char* forms[] = {"%.4E", "%.4f", "%.2f", "%.17g", "%.25f", "%+.3e", "%.0f."};
    const int form = Pick(0, 7);
    return form < 7 ? classic_detail::Printf(forms[form], v) : classic_detail::Printf(".%d", Pick(0, 99999));
  }

  std::string Row() {
    std::string row = Chance(0.5) ? "  " : "";
    const int fields = Chance(0.05) ? (hostile_ ? Pick(1, 12) : Pick(9, 12)) : 9;
    for (int i = 0; i < fields; ++i) {
      if (i) row += Blanks();
      row += Number();
    }
    if (Chance(0.2)) row += Blanks();
    if (hostile_ && Chance(0.01)) row = Chance(0.5) ? "x" : "";
    return row;
  }

  std::mt19937 rng_;
  bool hostile_ = false;
};

void ExpectSame(const Outcome& expected, const Outcome& actual, const std::string& context) {
  EXPECT_EQ(expected.failure, actual.failure) << context;
  EXPECT_EQ(expected.table.fieldType, actual.table.fieldType) << context;
  EXPECT_TRUE(SameBits(expected.table.x, actual.table.x))
      << context << "\nexpected " << Describe(expected.table) << "\nactual   " << Describe(actual.table);
  EXPECT_TRUE(SameBits(expected.table.y, actual.table.y)) << context;
  EXPECT_TRUE(SameBits(expected.table.z, actual.table.z)) << context;
  EXPECT_TRUE(SameBits(expected.table.value, actual.table.value))
      << context << "\nexpected " << Describe(expected.table) << "\nactual   " << Describe(actual.table);
}

// The text's first 2000 bytes with CR, LF and tab shown, a line a line.
std::string Visible(const std::string& text) {
  const std::string crShown = ReplaceText("\r", "\\r", text.substr(0, 2000), true);
  return ReplaceText("\t", "\\t", ReplaceText("\n", "\\n\n", crShown, true), true);
}

// The reader with the table split into up to `parts` parts of at least `least` bytes, read at once.
auto InParts(std::size_t parts, std::size_t least) {
  return [parts, least](const OutputText& text, int polarization, NearFieldTable& table) {
    ReadRowsInPartsAsStepByStep(text, polarization, table, TextParts{parts, least});
  };
}

// Where row `row` of the text's near-field table starts.
std::size_t RowStart(const std::string& text, std::size_t row) {
  std::size_t at = text.find("NEAR ELECTRIC");
  for (std::size_t line = 0; line < 5 + row; ++line) at = text.find("\r\n", at) + 2;
  return at;
}

// The text's table of `rows` rows, read without failure, read by the reader as step by step (by
// default with and without the phases).
void ExpectTheStepByStepTable(const std::string& text, std::size_t rows, const std::string& context,
                              std::initializer_list<int> polarizations = {0, 4}) {
  for (int pol : polarizations) {
    const Outcome expected = ReadOutcome(StepByStepReadNearField, text, pol);
    ASSERT_EQ("", expected.failure);
    ASSERT_EQ(rows, expected.table.value.size());
    ExpectSame(expected, ReadOutcome(ReadRowsAsStepByStep, text, pol),
               context + "polarisation " + std::to_string(pol));
  }
}

}  // namespace

TEST(NecOutEquivalence, RandomTablesReadExactlyAsStepByStep) {
  for (char separator : {',', '.', ';', ' '}) {
    SeparatorScope scope(separator);
    TableWriter writer(static_cast<unsigned>(separator) * 7919u);
    int failures = 0;
    for (int round = 0; round < 400; ++round) {
      const std::string text = writer.Text();
      for (int pol : {0, 1, 2, 3, 4, 7}) {
        const Outcome expected = ReadOutcome(StepByStepReadNearField, text, pol);
        const Outcome actual = ReadOutcome(ReadRowsAsStepByStep, text, pol);
        failures += !expected.failure.empty();
        const std::string context = std::string("separator '") + separator + "' polarisation " +
                                    std::to_string(pol) + "\n" + Visible(text);
        ExpectSame(expected, actual, context);
        // Every part is a thread, which costs much under some systems: every eighth text suffices.
        if (round % 8 == 0)
          ExpectSame(expected, ReadOutcome(InParts(8, 40), text, pol), "in parts, " + context);
        if (::testing::Test::HasFailure()) return;
      }
    }
    // The mix must exercise both outcomes (a blank separator makes nearly every row fail).
    EXPECT_GT(failures, 100) << separator;
    if (separator != ' ') {
      EXPECT_LT(failures, 6 * 400 - 600) << separator;
    }
  }
}

// Classic grids read exactly as step by step, and bit for bit alike under either separator.
TEST(NecOutEquivalence, ClassicGridsReadExactlyAsStepByStepUnderEitherSeparator) {
  ClassicOutput o, small;
  o.nearField = ClassicGrid(9, 9, 9, -4, -4, -4, 1, ClassicDipoleField);
  o.nearField[17].mz = NAN;
  o.nearField[18].mx = NAN;
  small.nearField = ClassicGrid(5, 4, 3, -1, -1, -1, 0.5, ClassicDipoleField);
  const std::string smallText = ClassicOutputText(small);
  NearFieldTable read[2][5];  // the small grid under ',' and '.', a polarisation each
  for (int s = 0; s < 2; ++s) {
    SeparatorScope scope(",."[s]);
    ExpectTheStepByStepTable(ClassicOutputText(o), 729, "classic grid, ", {0, 1, 2, 3, 4});
    for (int pol = 0; pol < 5; ++pol) ReadNearField(smallText, pol, read[s][pol]);
  }
  for (int pol = 0; pol < 5; ++pol) {
    const NearFieldTable &comma = read[0][pol], &point = read[1][pol];
    ASSERT_EQ(60u, comma.x.size());
    EXPECT_TRUE(SameBits(comma.x, point.x) && SameBits(comma.z, point.z) &&
                SameBits(comma.value, point.value))
        << "polarisation " << pol;
    EXPECT_DOUBLE_EQ(1.0, comma.x[4]);
    EXPECT_DOUBLE_EQ(-0.5, comma.y[8]);
  }
}

// Every phase NEC2 can print ("%8.2f" in [-180, 180]) and a few it cannot, in all three
// components, against the step-by-step ellipse. The ellipse takes a phase printed with at most
// two decimals by its hundredths and any other through its value: extreme magnitudes (zero,
// negative zero, denormal, overflowing squares, NaN) with phases on both paths and at their
// edges must give the step-by-step values bit for bit.
TEST(NecOutEquivalence, EveryPrintablePhaseAndExtremeMagnitudeGiveTheStepByStepEllipse) {
  std::string printable;
  const char* odd[] = {"-0.00", "180.01", "-180.01", "12.345", "1.00E+01", "90.0", "-5.", "NaN"};
  for (int k = -18000; k <= 18000; k += 1) {
    const std::string phase = classic_detail::Printf("%.2f", k / 100.0);
    const std::string other =
        k % 97 == 0 ? odd[(k / 97 + 800) % 8] : classic_detail::Printf("%.2f", (k % 3600) / 10.0);
    printable += "   1.0000   2.0000   3.0000   7.8777E-02 " + phase + "   1.2500E-01 " + other +
                 "   3.0000E-02 " + (k % 2 ? phase : other) + "\r\n";
  }
  const char* magnitudes[] = {"0.0000E+00",  "-0.0000E+00", "4.9407E-324", "2.2251E-308", "1.0000E+300",
                              "1.7976E+308", "NaN",         "-1.0000E+00", "3.5000E-03"};
  const char* phases[] = {"-0.00",  "0.00",     "-0",    "+0",     "-180.00", "180.00",
                          "180.01", "-180.01",  "+90",   "90.5",   "-90.50",  "9.00E+01",
                          "1.8E2",  "18000E-2", "0.001", "1e-400", "NaN",     "12.345"};
  for (char separator : {',', '.'}) {
    SeparatorScope scope(separator);
    std::string text = kHead;
    std::size_t rows = 0;
    for (const char* m : magnitudes)
      for (std::size_t p = 0; p < std::size(phases); ++p, ++rows)
        text += std::string("   1.0000   2.0000   3.0000   ") + m + " " + phases[p] + "   1.2500E-01 " +
                phases[(p + 5) % std::size(phases)] + "   " + magnitudes[p % std::size(magnitudes)] + " " +
                phases[(p + 11) % std::size(phases)] + "\r\n";
    ExpectTheStepByStepTable(text + "\r\n", rows, std::string("separator '") + separator + "' ");
    if (separator == ',') ExpectTheStepByStepTable(kHead + printable + "\r\n", 36001, "");
  }
}

// The row sweep reads a row before its end is known: whatever stands behind the ninth field
// (a blank, a tab, a control byte, further fields, a lone line end, the end of the text) must
// give the step-by-step table or failure.
TEST(NecOutEquivalence, EveryRowEndReadsAsStepByStep) {
  const char* endings[] = {"\r\n", " \r\n",  "\t\r\n", "\x01\r\n", " \t\r\n", "\n\r\n", "   7 8\r\n",
                           "\r",   "\r\r\n", " x\r\n", "\t",       " ",       "",       "\r\r7"};
  const char* rows[] = {
      "   1.0000   2.0000   3.0000   7.8777E-02   12.50   1.2500E-01  -90.00   3.0E-02   45.00",
      "1 2 3 4 5 6 7 NaN NaN", "  -1.5 2 3 4 5 6 7 8 1e-400"};
  for (char separator : {',', '.'}) {
    SeparatorScope scope(separator);
    for (const char* ending : endings) {
      for (bool lastLineEnd : {false, true}) {
        std::string text = kHead;
        for (const char* row : rows) text += std::string(row) + ending;
        if (lastLineEnd) text += "\r\n";
        for (int pol : {0, 1, 4}) {
          const Outcome expected = ReadOutcome(StepByStepReadNearField, text, pol);
          ExpectSame(expected, ReadOutcome(ReadRowsAsStepByStep, text, pol),
                     Visible(text) + " polarisation " + std::to_string(pol));
          ExpectSame(expected, ReadOutcome(InParts(8, 40), text, pol), "in parts, " + Visible(text));
        }
      }
    }
  }
}

// Rows in the engine's own column layout (also with a blank before the line end, as nec2++
// writes them) and in nec2++'s CSV layout are read at fixed columns. Every change of one byte of
// such a row (and of the line end and the next row's first byte), every inserted blank and every
// deleted byte must still give the step-by-step table or failure (of the text with the commas as
// blanks), also right behind the unchanged row.
TEST(NecOutEquivalence, EveryOneByteChangeOfAnEngineRowReadsAsStepByStep) {
  const std::string engine =
      "   -4.0000   -2.0000   -2.0000   1.3198E-01  -91.68   1.4397E-02  -61.68   2.3449E-02  175.82";
  const std::string csv =
      "  -4.0000,  -2.0000,  -2.0000, 1.3198E-01, -91.68, 1.4397E-02, -61.68, 2.3449E-02, 175.82,";
  const std::string rows[] = {
      engine,
      " -999.9999 1234.5678    0.0000   0.0000E+00 -180.00   9.9999E+22    0.00   1.0000E-18    0.01",
      "   -0.0000   12.0000    3.5000   5.0000E+00   -0.00   1.2345E-19  180.00   7.7777E+18   -5.50",
      engine + " ",
      csv,
      "-999.9999,1234.5678,   0.0000,-0.0000E+00,-180.00, 9.9999E+22,   0.00,-1.0000E-18,   0.01,",
  };
  const char replacements[] = {' ', '-', '+', '7', '.', 'E', 'x', '\t', '\r', '\0', ','};
  std::size_t texts = 0;
  std::string before, good;  // the unchanged row, and a row of its form
  bool commas = false;
  auto check = [&](const std::string& changed, const std::string& what) {
    const std::string text = kHead + good + before + changed + good + "\r\n";
    std::string blanks = text;
    if (commas) std::replace(blanks.begin(), blanks.end(), ',', ' ');
    const auto read = [&](const OutputText& t, int pol, NearFieldTable& table) {
      table = NearFieldTable{};
      table.fieldType = "ELECTRIC ";
      ReadNearFieldRows(t, StepByStepFirstRow(t), pol, table, TextParts::OfThisMachine(), commas);
    };
    ++texts;
    for (int pol : {0, 1}) {  // with and without the phases
      ExpectSame(ReadOutcome(StepByStepReadNearField, blanks, pol), ReadOutcome(read, text, pol),
                 what + " polarisation " + std::to_string(pol) + "\n" + Visible(text));
      if (::testing::Test::HasFailure()) return;
    }
  };
  SeparatorScope scope(',');  // '.' reads the same: both are taken as the mark
  for (const std::string& row : rows) {
    commas = row.back() == ',';
    good = (commas ? csv : engine) + "\r\n";
    before = row + "\r\n";
    const std::string original = before + good;
    for (std::size_t at = 0; at < 96 && !::testing::Test::HasFailure(); ++at) {
      for (char c : replacements) {
        std::string changed = original;
        changed[at] = c;
        check(changed, "byte " + std::to_string(at) + " = " + std::to_string(static_cast<int>(c)));
      }
      check(original.substr(0, at) + " " + original.substr(at), "blank inserted at " + std::to_string(at));
      check(original.substr(0, at) + original.substr(at + 1), "byte deleted at " + std::to_string(at));
    }
  }
  EXPECT_GT(texts, 6000u);
}

// A table read in parts ends where the whole one would: at the most rows, even when a later
// part holds a failing row, and with the failure of a row within them.
TEST(NecOutEquivalence, ATableInPartsStopsAtTheMostRows) {
  SeparatorScope scope(',');
  ClassicOutput o;
  o.nearField = ClassicGrid(80, 80, 20, -40, -40, 0, 1.0, ClassicDipoleField);
  o.nearField.resize(MaxNearFieldRows + 40);
  const std::string good = ClassicOutputText(o);
  for (std::size_t badRow : {MaxNearFieldRows + 5, MaxNearFieldRows - 1, MaxNearFieldRows / 2 + 7}) {
    std::string text = good;
    text[RowStart(text, badRow) + 8] = 'x';
    for (int pol : {0, 3}) {
      const Outcome whole = ReadOutcome(ReadRowsAsStepByStep, text, pol);
      EXPECT_EQ(badRow < MaxNearFieldRows, !whole.failure.empty()) << badRow;
      EXPECT_EQ(std::min(badRow, MaxNearFieldRows), whole.table.x.size());
      for (std::size_t parts : {2, 3, 8}) {
        ExpectSame(whole, ReadOutcome(InParts(parts, 1 << 20), text, pol),
                   std::to_string(parts) + " parts, bad row " + std::to_string(badRow));
      }
    }
  }
}

// A part starts behind a CR. Where the rows' walk passes over that CR (a row end of two CRs),
// the part's rows are not the table's: shifting the split over every byte of such rows must
// still give the step-by-step table.
TEST(NecOutEquivalence, APartStartingWhereTheRowsDoNotReadsAsStepByStep) {
  const std::string row =
      "   1.0000   2.0000   3.0000   7.8777E-02   12.50   1.2500E-01  -90.00   3.0E-02   45.00";
  for (const char* ending : {"\r\r7", "\r\r\n", "\r\n"}) {
    std::string table = kHead;
    for (int r = 0; r < 4; ++r) table += row + ending;
    for (std::size_t tail = 0; tail < 2 * row.size() && !::testing::Test::HasFailure(); ++tail) {
      // The tail behind the table moves the middle, where the second part starts.
      const std::string text = table + "\r\n\r\n" + std::string(tail, 'z');
      ExpectSame(ReadOutcome(StepByStepReadNearField, text, 0), ReadOutcome(InParts(2, 1), text, 0),
                 Visible(text));
    }
  }
}

// Parts of a table in the engine's layout write their rows where the rows before them would
// end if all had the first row's length. Where a row takes the place of two (blanks behind it)
// or two short rows that of one, a part's rows do not fill its stretch: anywhere, in any number
// of parts, the table must still be the one read in one part.
TEST(NecOutEquivalence, PartsWhoseRowsDoNotFillTheirStretchReadAsOnePart) {
  SeparatorScope scope(',');
  ClassicOutput o;
  o.nearField = ClassicGrid(20, 20, 20, -10, -10, 0, 1.0, ClassicDipoleField);
  const std::string good = ClassicOutputText(o);
  const std::size_t stride = RowStart(good, 1) - RowStart(good, 0);
  const std::string shortRows =
      std::string(28, ' ') + "1 2 3 4 5 6 7 8 9\r\n" + std::string(29, ' ') + "1 2 3 4 5 6 7 8 9\r\n";
  ASSERT_EQ(stride, shortRows.size());
  for (std::size_t row :
       {std::size_t{3}, std::size_t{2500}, std::size_t{3999}, std::size_t{4000}, std::size_t{7990}}) {
    for (int change = 0; change < 2; ++change) {
      std::string text = good;
      const std::size_t at = RowStart(text, row);
      const std::size_t end = text.find("\r\n", at);
      if (change == 0)
        text.insert(end, stride, ' ');  // one row in the place of two
      else
        text.replace(at, end + 2 - at, shortRows);  // two rows in the place of one
      for (int pol : {0, 3}) {
        const Outcome whole = ReadOutcome(InParts(1, 1 << 10), text, pol);
        ASSERT_EQ(8000u + change, whole.table.x.size());
        for (std::size_t parts : {2, 3, 8})
          ExpectSame(whole, ReadOutcome(InParts(parts, 1 << 10), text, pol),
                     std::to_string(parts) + " parts, change " + std::to_string(change) + " at row " +
                         std::to_string(row));
      }
    }
  }
  // A table that runs to the end of the text keeps its last row in any number of parts.
  o.nearBlankLineAfter = o.trailer = false;
  const std::string toTheEnd = ClassicOutputText(o);
  for (std::size_t parts : {1, 2, 8})
    ExpectSame(ReadOutcome(StepByStepReadNearField, toTheEnd, 0),
               ReadOutcome(InParts(parts, 1 << 10), toTheEnd, 0),
               std::to_string(parts) + " parts, to the text's end");
}

}  // namespace varnel
