// The reader on real prints of the engines in use (the shared folder of prints beside the
// checkout): every value it takes is the one the file prints for the run read, or the file is
// refused with a clear message. The expected numbers are copied from the files themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "necout/reader.hpp"
#include "necout/whole.hpp"
#include "necout/necout_support.hpp"
#include "test_paths.hpp"
#include "util/files.hpp"

namespace varnel {

namespace {

namespace fs = std::filesystem;

const double kNone = std::nan("");

struct PrintCase {
  const char* file;
  const char* layout;
  double frequency, inputPower, impedanceRe, impedanceIm, segmentOne;
  std::size_t run, runs;
  // The first near-field table: its points, and its first row's x, z and first magnitude.
  std::size_t points = 0;
  double x = 0, z = 0, magnitude = 0;
};

// Files without a near-field table are read at their first run.
const PrintCase kCases[] = {
    {"fortran-nec2__example1.out", "NEC-2", 299.8, 4.4773E-03, 9.26979E+01, 4.19407E+01, 2.7024E-03, 2, 2, 15,
     .0010, 0, 1.0228E-05},
    {"nec2d-4nec2__basic_radiator.out", "NEC-2", 1500, 2.7271E-07, 5.27387E+00, -3.10953E+03, 3.2159E-04, 1,
     1},
    {"nec2dxs-gfortran__derived_ex1_fr_rp_ne_nh_rp.out", "NEC-2", 310, 3.1539E-03, 9.12417E+01, 7.83581E+01,
     2.3693E-03, 3, 3, 15, -0.2, -0.2, 1.3121},
    {"nec2dxs-gfortran__necpp_example2.out", "NEC-2", 200, 3.3203E-05, 2.65762E+01, -6.32060E+02, 2.5267E-04,
     1, 4},
    {"nec2dxs-gfortran__necpp_near_field_electric.out", "NEC-2", 300, 4.5684E-03, 8.28580E+01, 4.69368E+01,
     2.8893E-03, 1, 1, 9, -0.5, 1.0, 1.6141E-01},
    {"nec2dxs-gfortran__simnec_dipole_nh_nearfield.out", "NEC-2", 30, 4.7524E-03, 7.92399E+01, 4.53640E+01,
     2.2132E-03, 1, 1, 9, -1, -1, 0},
    {"nec2dxs-gfortran__simnec_dipole_tl_network.out", "NEC-2", 30, 5.4266E-03, 8.73014E+01, 2.05484E+01,
     2.1935E-03, 1, 1},
    {"nec2dxs-gfortran__simnec_two_source_sensor_lines.out", "NEC-2", 30, 2.5001E-03, 2.37902E+01,
     6.47449E+01, 2.9312E-03, 1, 2},
    {"nec2dxs-gfortran__xnec2c_ex4_current_source_sq_loop.out", "NEC-2", 144, kNone, kNone, kNone, 5.8150, 1,
     9},
    {"nec2c-amelet__file.out", "nec2c", 299.8, 4.4773E-03, 9.2698E+01, 4.1941E+01, 2.7024E-03, 2, 2, 15,
     0.0010, 0, 1.0228E-05},
    {"nec2c-ae6ty-1.17__catalog_dipoles_invvee.out", "nec2c", 28.47, 1.1068E-02, 4.3609E+01, -8.2619E+00,
     2.2465E-02, 1, 1},
    {"nec2c-ae6ty-1.17__catalog_loops_delta_loop.out", "nec2c", 28.47, 4.3833E-03, 9.7991E+01, 3.9694E+01,
     9.4710E-03, 1, 1},
    {"nec2c-ae6ty-1.17__dipole_ek_rearm.out", "nec2c", 30, 4.7524E-03, 7.9240E+01, 4.5364E+01, 2.2132E-03, 1,
     2},
    {"nec2c-ae6ty-1.17__dipole_fr_sweep.out", "nec2c", 28, 4.9893E-03, 6.5255E+01, -4.7763E+01, 2.3428E-03, 1,
     3},
    {"nec2c-ae6ty-1.17__dipole_free_space.out", "nec2c", 30, 4.7524E-03, 7.9240E+01, 4.5364E+01, 2.2132E-03,
     1, 1},
    {"nec2c-ae6ty-1.17__dipole_load_ld4.out", "nec2c", 30, 3.8786E-03, 1.2831E+02, -8.8130E+00, 1.4383E-03, 1,
     1},
    {"nec2c-ae6ty-1.17__dipole_ne_nearfield.out", "nec2c", 30, 4.7524E-03, 7.9240E+01, 4.5364E+01, 2.2132E-03,
     1, 1, 9, -1, -1, 3.1376E-01},
    {"nec2c-ae6ty-1.17__dipole_rp_pattern.out", "nec2c", 30, 4.7524E-03, 7.9240E+01, 4.5364E+01, 2.2132E-03,
     1, 1},
    {"nec2c-ae6ty-1.17__dipole_sommerfeld_ground.out", "nec2c", 14.1, 7.1632E-06, 1.2664E+01, -9.4010E+02,
     1.4683E-04, 1, 1},
    {"nec2c-ae6ty-1.17__dipole_tl_network.out", "nec2c", 30, 5.4266E-03, 8.7301E+01, 2.0548E+01, 2.1935E-03,
     1, 1},
    {"nec2c-ae6ty-1.17__mininec_vertical_rp0.out", "nec2c", 30, 9.3450E-03, 3.9828E+01, 2.3339E+01,
     2.1663E-02, 1, 1},
    {"nec2c-ae6ty-1.17__two_source_sensor_lines.out", "nec2c", 30, 2.5001E-03, 2.3790E+01, 6.4745E+01,
     2.9312E-03, 1, 2},
    {"necpp-1.0.4__dipole.out", "nec2++ 1.0", 300, 6.9369E-03, 7.2079E+01, -1.7347E-03, 2.7165E-03, 1, 1},
    {"necpp-1.7.2__helical_200seg.out", "nec2++ CSV", 406, 6.8330E-05, 7.8955E+03, 7.2946E+03, 9.3029E-05, 1,
     1},
    {"nec5-eznec__0022_vertical-over-real-ground.out", "NEC-5", 7, 4.7789E+01, 4.7789E+01, -7.8525E-01,
     1.40655, 1, 1, 1, 0, 0, 0},
    {"nec5-eznec__0036_dipole-in-free-space.out", "NEC-5", 299.79, 7.9948E+01, 7.9948E+01, 2.9921E+01,
     2.32732E-01, 1, 1},
    {"nec5-eznec__0108_vertical-over-real-ground.out", "NEC-5", 7, 3.5571E+01, 3.5571E+01, -1.4223E+00,
     1.40568, 1, 1, 25, 1, 2, 2.3204E+01},
    // nec2++ 1.5 to 2.3, default and CSV: a second source at one frequency, the near field after it.
    {"necpp-1.5.3__d16_ex_change_same_freq.out", "nec2++", 299.8, 1.02E-02, 1.6713E+02, 6.9548E+01,
     1.6020E-03, 2, 2, 25, 0.05, -0.2, 1.4483E+01},
    {"necpp-2.3.4__d16_ex_change_same_freq.out", "nec2++", 299.8, 1.02E-02, 1.6713E+02, 6.9548E+01,
     1.6020E-03, 2, 2, 25, 0.05, -0.2, 1.4483E+01},
    {"necpp-1.7.7-csv__d16_ex_change_same_freq.out", "nec2++ CSV", 299.8, 1.02E-02, 1.6713E+02, 6.9548E+01,
     1.6020E-03, 2, 2, 25, 0.05, -0.2, 1.4483E+01},
    {"necpp-2.3.4__d01_ne_nh.out", "nec2++", 299.8, 4.4627E-03, 8.4827E+01, 4.8046E+01, 1.1847E-03, 1, 1, 25,
     0.05, -0.2, 1.0558E+01},
    // A PT card printing segments 5 to 15; fields above 1000 V/m; comments that imitate headings.
    {"necpp-2.3.4-csv__d22_pt_partial_segments.out", "nec2++ CSV", 299.8, 4.4627E-03, 8.4827E+01, 4.8046E+01,
     kNone, 1, 1, 25, 0.05, -0.2, 1.0558E+01},
    {"nec2c-1.3__d22_pt_partial_segments.out", "nec2c", 299.8, 4.4634E-03, 8.4823E+01, 4.8033E+01, kNone, 1,
     1, 25, 0.05, -0.2, 1.0559E+01},
    {"nec2c-1.3__d19_high_field_near_wire.out", "nec2c", 299.8, 1.7854E+04, 8.4823E+01, 4.8033E+01,
     2.3697E+00, 1, 1, 11, 0.005, -0.25, 2.0485E+05},
    {"nec2c-1.3__d25_comment_headings.out", "nec2c", 299.8, 4.4634E-03, 8.4823E+01, 4.8033E+01, 1.1849E-03, 1,
     1, 25, 0.05, -0.2, 1.0559E+01},
};

fs::path PrintsFolder() { return fs::path(VARNEL_SOURCE_DIR) / ".." / "shared" / "nec-prints"; }

std::string PrintText(const std::string& file) {
  std::ifstream in(PrintsFolder() / file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return TextOfFileBytes(bytes.str());
}

}  // namespace

TEST(EnginePrints, EveryValueIsTheOneTheFilePrintsForTheRunReadAndOnlyAWholePrintIsComplete) {
  if (!fs::is_directory(PrintsFolder())) GTEST_SKIP() << "no prints folder at " << PrintsFolder();
  for (const PrintCase& c : kCases) {
    SCOPED_TRACE(c.file);
    SeparatorScope comma(',');
    const std::string text = PrintText(c.file);
    ASSERT_FALSE(text.empty());
    const OutputPrint print(text);
    ASSERT_NE(nullptr, print.Layout());
    EXPECT_EQ(c.layout, print.Layout()->name);
    EXPECT_EQ(c.run, print.RunNumber());
    EXPECT_EQ(c.runs, print.RunCount());
    ExpectSameAs(c.frequency, ReadFrequency(print), "frequency");
    ExpectSameAs(c.inputPower, ReadInputPower(print), "input power");
    const AntennaInput feed = ReadAntennaInput(print);
    ExpectSameAs(c.impedanceRe, feed.impedanceRe, "impedance, real part");
    ExpectSameAs(c.impedanceIm, feed.impedanceIm, "impedance, imaginary part");
    ExpectSameAs(c.segmentOne, ReadSegmentCurrent(print, 1), "current of segment 1");
    NearFieldTable table;
    ReadNearField(print, 1, table);
    ASSERT_EQ(c.points, table.x.size());
    if (c.points > 0) {
      EXPECT_DOUBLE_EQ(c.x, table.x[0]);
      EXPECT_DOUBLE_EQ(c.z, table.z[0]);
      EXPECT_DOUBLE_EQ(c.magnitude / kSqrt2, table.value[0]);
    }
  }

  // Every whole print is complete, the engine's own error at an NX card included; a capture cut
  // short and an engine's card-error print are not. Cut before its closing line (or, after an NX
  // card, before the next banner), no print is complete, nor with rows cut from a near-field
  // table. A print of a shared deck is made from its own deck only.
  const std::set<std::string> notWhole = {"onec-openNEC__DL5SAY_EX1.out", "nec5-eznec-win__NEC5_cap0040.out",
                                          "nec2dxs-4nec2-win__Catenary_cap0036.out"};
  const fs::path decks = PrintsFolder() / "decks";
  std::size_t prints = 0;  // of a shared deck
  for (const fs::directory_entry& entry : fs::directory_iterator(PrintsFolder())) {
    if (entry.path().extension() != ".out") continue;
    const std::string file = entry.path().filename().string();
    const std::string text = PrintText(file);
    EXPECT_EQ(!notWhole.count(file), OutputPrint(text).Complete()) << file;
    // Each print of a shared deck was made from that deck and from none of the others.
    const std::size_t mark = file.find("__d");
    if (mark != std::string::npos && fs::is_directory(decks)) {
      const PrintOutline outline = OutlineOf(OutputPrint(text));
      for (const fs::directory_entry& deck : fs::directory_iterator(decks)) {
        std::ifstream in(deck.path(), std::ios::binary);
        const std::string deckText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const bool own = file.substr(mark + 2, 3) == deck.path().filename().string().substr(0, 3);
        EXPECT_EQ(own, MadeFromDeck(outline, deckText)) << file << " and " << deck.path().filename();
      }
      ++prints;
    }
    const std::size_t second = text.find("ELECTROMAGNETICS CODE", text.find("ELECTROMAGNETICS CODE") + 1);
    const std::size_t closing = second != std::string::npos ? second : text.find_last_not_of("\r\n ");
    for (std::size_t cut : {text.size() / 3, text.size() / 2, text.rfind(LineEndOf(text).Text(), closing)})
      EXPECT_FALSE(OutputPrint(text.substr(0, cut)).Complete()) << file << " cut at " << cut;
    // The first row of the last near-field table taken out.
    const std::size_t electric = text.rfind("NEAR ELECTRIC FIELDS"),
                      magnetic = text.rfind("NEAR MAGNETIC FIELDS");
    const std::size_t heading = electric == std::string::npos   ? magnetic
                                : magnetic == std::string::npos ? electric
                                                                : std::max(electric, magnetic);
    if (heading == std::string::npos || notWhole.count(file)) continue;
    const OutputPrint print(text);
    const std::size_t row = print.FirstRow(heading, print.Layout()->nearField.titleMark);
    const std::string cut = text.substr(0, row) + text.substr(text.find("\r\n", row) + 2);
    EXPECT_FALSE(OutputPrint(cut).Complete()) << file << " without a row";
  }
  if (fs::is_directory(decks)) {
    EXPECT_GT(prints, 20u);
  }
}

// The structure as the segmentation table prints it: the first and last segments of prints of
// three engines, and none where the engine prints no such table; the current rows by segment.
TEST(EnginePrints, TheSegmentsAreTheOnesTheTablePrintsAndAPrintWithoutResultsIsRefused) {
  if (!fs::is_directory(PrintsFolder())) GTEST_SKIP() << "no prints folder at " << PrintsFolder();
  struct Case {
    const char* file;
    std::size_t count;
    Segment first, last;
  } cases[] = {
      {"fortran-nec2__example1.out", 7, {0, 0, -.21429, .07143, 90, 0}, {0, 0, .21429, .07143, 90, 0}},
      {"nec2c-amelet__file.out", 7, {0, 0, -0.2143, 0.0714, 90, 0}, {0, 0, 0.2143, 0.0714, 90, 0}},
      {"necpp-1.7.2__helical_200seg.out",
       200,
       {18.7631, 4.8175, 0.2, 9.9556, 2.3027, 104.4},
       {-18.7631, 4.8175, 39.8, 9.9556, 2.3027, -104.4}},
      {"nec5-eznec__0036_dipole-in-free-space.out", 0, {}, {}},
  };
  for (const Case& c : cases) {
    const std::vector<Segment> segments = ReadSegments(OutputPrint(PrintText(c.file)));
    ASSERT_EQ(c.count, segments.size()) << c.file;
    if (c.count == 0) continue;
    for (const auto& [e, a] : {std::pair{c.first, segments.front()}, {c.last, segments.back()}}) {
      const double expected[] = {e.x, e.y, e.z, e.length, e.alpha, e.beta};
      const double actual[] = {a.x, a.y, a.z, a.length, a.alpha, a.beta};  // x, y, z, length, alpha, beta
      for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(expected[i], actual[i]) << c.file << ", value " << i;
    }
  }
  // A current row is taken by its segment number; a segment the print leaves out says why.
  for (const auto& [file, eleven] : {std::pair{"nec2c-1.3__d22_pt_partial_segments.out", 1.0259E-02},
                                     std::pair{"necpp-2.3.4-csv__d22_pt_partial_segments.out", 1.0258E-02}}) {
    const std::string text = PrintText(file);
    const OutputPrint print(text);
    EXPECT_DOUBLE_EQ(eleven, ReadSegmentCurrent(print, 11)) << file;
    EXPECT_FALSE(SegmentCurrentAbsence(print, 15)) << file;
    for (const auto& [n, why] : {std::pair{4, "a PT card limits the current table"},
                                 std::pair{16, "a PT card limits the current table"},
                                 std::pair{22, "the structure has 21 segments"}}) {
      EXPECT_TRUE(std::isnan(ReadSegmentCurrent(print, n))) << file;
      EXPECT_EQ("Segment " + std::to_string(n) + " is not printed in x.out (" + why + ")",
                SegmentCurrentAbsence(print, n).value().InFile("x.out").what())
          << file;
    }
  }

  // A print that stops before the engine computed anything, or at a card error, says so and
  // gives no value.
  const std::string text = PrintText("necpp-1.7.4__dipole.out");
  const OutputPrint print(text);
  EXPECT_EQ(0u, print.RunCount());
  try {
    ReadInFile("dipole.out", [&] { return ReadFrequency(print); });
    ADD_FAILURE() << "a frequency read";
  } catch (const PrintError& e) {
    EXPECT_STREQ("dipole.out holds no frequency line", e.what());
  }
  // Lines ended by CR alone are no lines, and the message says so.
  const std::string crOnly =
      ReplaceText("\n", "\r", ReplaceText("\r\n", "\n", PrintText("fortran-nec2__example1.out"), true), true);
  EXPECT_NE(std::string::npos, OutputPrint(TextOfFileBytes(crOnly)).NotWhole()->problem.find("no line ends"));

  // An engine that stopped at a card error is refused with its own error line; onec's print is
  // read as the classic one.
  const std::string cardError = PrintText("nec2dxs-4nec2-win__Catenary_cap0036.out");
  const OutputPrint stopped(cardError);
  EXPECT_EQ("x.out: the engine stopped with CARD ERROR - TOO MANY FIELDS IN RECORD",
            std::string(WhyNotWhole(stopped).value().InFile("x.out").what()));
  EXPECT_THROW(ReadFrequency(stopped), PrintError);
  EXPECT_EQ("NEC-2", OutputPrint(PrintText("onec-openNEC__DL5SAY_EX1.out")).Layout()->name);
}

// A print of an engine no layout knows gets one message naming it.
TEST(EnginePrints, AnUnknownEngineIsNamedAndRefused) {
  const std::string text =
      "  | NUMERICAL ELECTROMAGNETICS CODE (nec9z) |\r\n  ---- FREQUENCY ----\r\n  FREQUENCY= 1.0000E+01 MHZ";
  const OutputPrint print(text);
  EXPECT_EQ(nullptr, print.Layout());
  EXPECT_THROW(ReadFrequency(print), PrintError);
  NearFieldTable table;
  try {
    ReadNearField(print, 0, table);
    ADD_FAILURE() << "a table read";
  } catch (const PrintError& e) {
    EXPECT_STREQ("x.out: a print of nec9z, which Varnel does not know how to read", e.InFile("x.out").what());
  }
}

}  // namespace varnel
