// The reader on nec2c's own prints and on the stand-in's classic prints of the same decks: every
// value it takes is the one nec2c printed for the run of the first near-field table, read by a
// parser of its own (several frequencies with the near field inside and after the loop, a run
// after XQ with a load, two sources, a current source and a plane wave without feed table and
// power budget, magnetic tables, patches, ground and networks, "LINEAR" and the keywords in
// comments).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/nec2c_run.hpp"
#include "engine/nec2c_values.hpp"
#include "necout/reader.hpp"
#include "support/test_root.hpp"
#include "util/files.hpp"

namespace varnel {

namespace fs = std::filesystem;
using namespace engine_test;

namespace {

const std::string kDipole = "GW 1 5 0 0 -2.5 0 0 2.5 0.001\nGE 0\nGN -1\nEK\n";
const std::string kSource = "EX 0 1 3 0 1 0\n";
const std::string kRadiation = "RP 0 3 1 1000 0 0 30 0\n";

struct Deck {
  const char* name;
  std::string cards;
  std::size_t run;  // the run of the near-field table
};

const Deck kDecks[] = {
    {"near field inside a loop of two frequencies",
     "CM dipole\nCE\n" + kDipole + kSource + "FR 0 2 0 0 14.2 7\nNE 0 1 1 2 1 0 -1 1 1 2\n" + kRadiation, 1},
    {"near field after a loop of three frequencies",
     "CM a LINEAR dipole\nCE\n" + kDipole + kSource + "FR 0 3 0 0 290 10\n" + kRadiation +
         "NE 0 1 1 3 1 0 -1 1 1 1\n",
     3},
    {"magnetic field after the loop",
     "CM dipole\nCE\n" + kDipole + kSource + "FR 0 2 0 0 14.2 7\n" + kRadiation + "NH 0 1 1 2 1 0 -1 1 1 2\n",
     2},
    {"XQ, then a load and the near field",
     "CM dipole\nCE\n" + kDipole + kSource +
         "FR 0 1 0 0 29 0\nXQ\nLD 0 1 3 3 10 3e-9 5.3e-11\n"
         "NE 0 1 1 3 1 0 -1 1 1 1\n",
     2},
    {"two sources",
     "CM dipole\nCE\n" + kDipole +
         "EX 0 1 2 0 1 0\nEX 0 1 4 0 0.5 0.5\nFR 0 1 0 0 29 0\n"
         "NH 0 2 1 1 1 0 0 1 1 1\n",
     1},
    {"current source",
     "CM dipole\nCE\n" + kDipole + "EX 4 1 3 0 1 0\nFR 0 1 0 0 29 0\nNE 0 1 1 2 1 0 -1 1 1 2\n", 1},
    {"plane wave",
     "CM dipole\nCE\n" + kDipole + "EX 1 1 1 0 90 0 0 0 0 0\nFR 0 1 0 0 29 0\nNE 0 1 1 2 1 0 -1 1 1 2\n", 1},
    {"a patch beside the wire, its currents in a table of their own",
     "CM patch\nCE\nSP 0 0 0 0 0.1 0 0 0.01\nGW 1 5 0 0 0.1 0 0 0.5 0.001\nGE 0\nEX 0 1 1 0 1 0\n"
     "FR 0 1 0 0 300 0\nNE 0 2 1 2 0.2 0 0.2 0.1 0 0.1\n",
     1},
    {"a helix over ground with a transmission line, far coordinates",
     "CM helix\nCE\nGW 1 9 0 0 0.1 0 0 5 0.01\nGH 2 20 0.5 2 0.2 0.2 0.2 0.2 0.001\nGM 0 0 0 0 0 2 0 6\nGE "
     "1\n"
     "GN 1\nTL 1 5 2 10 50 1\nEX 0 1 1 0 1 0\nFR 0 1 0 0 30 0\nNE 0 3 1 1 -1500 -1200 1 1000 0 0\n",
     1},
    {"every keyword in a comment",
     "CM near field, frequency, input power, antenna input, currents and location\nCE\n" + kDipole + kSource +
         "FR 0 3 0 0 7 7\nNE 0 1 1 2 1 0 -1 1 1 2\n" + kRadiation,
     1},
};

void ExpectValuesOf(const Nec2cResult& expected, std::size_t run, const std::string& text) {
  const OutputPrint print(text);
  ASSERT_NE(nullptr, print.Layout());
  EXPECT_EQ(run, print.RunNumber());
  ExpectNec2cValues(expected, print, 1);
}

}  // namespace

// Then a table of more than 128 000 points: the first 128 000 are read, and the reader says how
// many the file holds.
TEST(Nec2cLayout, BothPrintsOfADeckGiveNec2csNumbersOfTheNearFieldsRunAndALongTableIsReadInPart) {
  if (!Nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
  TestRoot root;
  const fs::path folder = root.dir / "run";
  fs::create_directories(folder);
  for (const Deck& deck : kDecks) {
    SCOPED_TRACE(deck.name);
    root.Write("run/deck.nec", deck.cards + "EN\n");
    fs::remove(folder / "deck.out");
    ASSERT_EQ(0, RunStandIn(folder, root.dir, {"deck.nec", "deck.out"}));
    ASSERT_EQ(0, RunIn(folder, root.dir, "nec2c -i deck.nec -o nec2c.out"));
    const std::string printed = ReadAll(folder / "nec2c.out");
    const Nec2cResult expected = ParseNec2c(printed, Nec2cRun::NearField);
    {
      SCOPED_TRACE("nec2c's own print");
      ExpectValuesOf(expected, deck.run, TextOfFileBytes(printed));
      EXPECT_STREQ("nec2c", OutputPrint(printed).Layout()->name.data());
    }
    {
      SCOPED_TRACE("the stand-in's print");
      ExpectValuesOf(expected, deck.run, TextOfFileBytes(ReadAll(folder / "deck.out")));
    }
  }
  root.Write("run/deck.nec", "CM dipole\nCE\n" + kDipole + kSource +
                                 "FR 0 1 0 0 29 0\nNE 0 1 1 128010 1 0 0 0 0 0.001\nEN\n");
  ASSERT_EQ(0, RunIn(folder, root.dir, "nec2c -i deck.nec -o nec2c.out"));
  NearFieldTable table;
  ReadNearField(TextOfFileBytes(ReadAll(folder / "nec2c.out")), 3, table);
  ASSERT_EQ(MaxNearFieldRows, table.z.size());
  EXPECT_EQ(128010u, table.printedRows);
  EXPECT_NEAR(127.999, table.z.back(), 1e-9);
  EXPECT_EQ("The near-field table holds 128010 points; its first 128000 were read", PartReadLine(table));
}

}  // namespace varnel
