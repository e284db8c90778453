// Every kind of generated deck is accepted by a real NEC2 engine (nec2c). The generators end
// their decks after the near-field card; nec2c wants an "EN" card, so it gets a copy with one.
#include <gtest/gtest.h>

#include <string>

#include "decks_fixture.hpp"
#include "engine/nec2c_run.hpp"
#include "util/random.hpp"

namespace varnel {

namespace {

class Nec2cTest : public DecksTest {
 protected:
  void SetUp() override {
    if (!engine_test::Nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
  }
  // nec2c's numbers for a deck below drive c: (an "EN" card appended where it has none).
  engine_test::Nec2cResult Compute(const std::string& relative) {
    const std::string deck = ReadC(relative);
    EXPECT_FALSE(deck.empty()) << relative;
    return engine_test::Nec2cOf(root.dir / "engine", root.dir, deck);
  }
};

// The sweep's decks, the random-phase decks and the EUT decks with and without ground.
TEST_F(Nec2cTest, ComputesTheDecksOfEveryGenerator) {
  WriteC("4nec2/b_in/dipol.nec",
         "CM dipole\r\nCE\r\nGW 1 xxn 0 0 -5 0 0 5 0.001\r\nGE 0\r\nEX 0 1 2 0 1 0\r\n"
         "FR 0 1 0 0 xxf 0\r\nXQ\r\nEN");
  WriteC("4nec2/b_in/Ranges/r.txt", "14,2\r\n");
  Sweep("c:\\4nec2\\b_in\\dipol.nec");
  EXPECT_EQ(14.2, Compute("4nec2/b_in/dipol/dipol000.nec").frequency);

  SeedRandom(3);
  Phases("7,01", "1");
  EXPECT_EQ("ELECTRIC", Compute("4nec2/b_in/hc1/hc1000.nec").nearKind);

  WriteC("4nec2/b_in/Ranges/r.txt", "30\r\n");
  for (const char* ground : {"1", "0"}) {
    SeedRandom(5);
    Euts({"1", "3", "1,5", "1", ground, "E_", ""}, "c:\\4nec2\\b_in\\Ranges\\r.txt");
    EXPECT_EQ("MAGNETIC", Compute("4nec2/b_in/E_/E_000_000.nec").nearKind) << "ground " << ground;
  }
}

}  // namespace

}  // namespace varnel
