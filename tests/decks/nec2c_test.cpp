// Every kind of generated deck is accepted by a real NEC2 engine (nec2c). The generators end
// their decks after the near-field card; nec2c wants an "EN" card, so it gets a copy with one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "decks_fixture.hpp"
#include "util/random.hpp"

namespace varnel {

namespace {

class Nec2cTest : public DecksTest {
 protected:
  // Runs nec2c on a copy of the deck with "EN" appended; returns the output text.
  std::string Compute(const std::string& relative, bool appendEnd) {
    std::string deck = ReadC(relative);
    EXPECT_FALSE(deck.empty()) << relative;
    if (appendEnd) deck += "EN\r\n";
    const std::filesystem::path in = root.Write("engine/in.nec", deck);
    const std::filesystem::path output = root.dir / "engine" / "out.txt";
    const std::filesystem::path errors = root.dir / "engine" / "err.txt";
    const std::string command =
        "nec2c -i " + in.string() + " -o " + output.string() + " > " + errors.string() + " 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_EQ(0, status) << relative << ": " << TestRoot::Read(errors);
    return TestRoot::Read(output);
  }
  void SetUp() override {
    if (!std::filesystem::exists("/usr/bin/nec2c")) GTEST_SKIP() << "nec2c is not installed";
  }
};

// The sweep's decks, the random-phase decks and the EUT decks with and without ground.
TEST_F(Nec2cTest, ComputesTheDecksOfEveryGenerator) {
  WriteC("4nec2/b_in/dipol.nec",
         "CM dipole\r\nCE\r\nGW 1 xxn 0 0 -5 0 0 5 0.001\r\nGE 0\r\nEX 0 1 2 0 1 0\r\n"
         "FR 0 1 0 0 xxf 0\r\nXQ\r\nEN");
  WriteC("4nec2/b_in/Ranges/r.txt", "14,2\r\n");
  Sweep("c:\\4nec2\\b_in\\dipol.nec");
  const std::string sweep = Compute("4nec2/b_in/dipol/dipol000.nec", false);
  EXPECT_NE(std::string::npos, sweep.find("FREQUENCY")) << sweep.substr(0, 2000);

  SeedRandom(3);
  Phases("7,01", "1");
  const std::string phases = Compute("4nec2/b_in/hc1/hc1000.nec", true);
  EXPECT_NE(std::string::npos, phases.find("NEAR ELECTRIC FIELDS")) << phases.substr(0, 2000);

  WriteC("4nec2/b_in/Ranges/r.txt", "30\r\n");
  for (const char* ground : {"1", "0"}) {
    SeedRandom(5);
    Euts({"1", "3", "1,5", "1", ground, "E_", ""}, "c:\\4nec2\\b_in\\Ranges\\r.txt");
    const std::string output = Compute("4nec2/b_in/E_/E_000_000.nec", true);
    EXPECT_NE(std::string::npos, output.find("NEAR MAGNETIC FIELDS")) << "ground " << ground;
  }
}

}  // namespace

}  // namespace varnel
