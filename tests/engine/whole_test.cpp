// The one decision whether an output is the result of its deck, on the stand-in's prints of real
// decks: an NX deck's print cut anywhere in its second structure is not whole, a print is the
// result of its own deck only, and Resume and the nodes' `varnel --output-complete DECK OUTPUT`
// decide alike, a byte 26 behind the print included.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/conversion.hpp"
#include "engine/nec2c_run.hpp"
#include "necout/print.hpp"
#include "necout/whole.hpp"
#include "support/test_root.hpp"

namespace varnel {

namespace {

#ifndef _WIN32  // runs nec2c and the program

constexpr const char* kNxDeck =
    "CM one\r\nCE\r\nGW 1 7 0 0 -2.5 0 0 2.5 0.01\r\nGE 0\r\nEX 0 1 4 0 1 0\r\nFR 0 1 0 0 30 0\r\n"
    "NE 0 2 1 3 0 0 0 .1 0 .1\r\nNX\r\nCM two\r\nCE\r\nGW 1 9 0 0 -2 0 0 2 0.01\r\nGE 0\r\n"
    "EX 0 1 5 0 1 0\r\nFR 0 1 0 0 30 0\r\nNE 0 3 1 3 0 0 0 .1 0 .1\r\nEN\r\n";

TEST(WholeOutput, OnlyTheWholePrintOfItsOwnDeckIsItsResult) {
  if (!engine_test::Nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
  TestRoot root;
  TestSystem system(root.Roots());
  std::string other = kNxDeck;
  other.replace(other.find("-2 0 0 2"), 8, "-2 0 0 3");
  root.Write("drive_c/d/nx.nec", kNxDeck);
  root.Write("drive_c/d/other.nec", other);
  ASSERT_EQ(0, engine_test::RunStandIn(root.dir, root.dir, {"c:\\d\\nx.nec", "c:\\d\\nx.out"}));
  // Decided at once, the states come in the pairs' order.
  EXPECT_EQ((std::vector{OutputState::Whole, OutputState::OtherDeck, OutputState::Missing}),
            OutputsOfDecks(system, {{"c:\\d\\nx.nec", "c:\\d\\nx.out"},
                                    {"c:\\d\\other.nec", "c:\\d\\nx.out"},
                                    {"c:\\d\\nx.nec", "c:\\d\\none.out"}}));

  // Cut anywhere behind the second banner, the print is not whole.
  const std::string text = engine_test::ReadAll(root.driveC / "d" / "nx.out");
  const std::size_t second = text.find("NUMERICAL", text.find("NUMERICAL") + 1);
  ASSERT_NE(std::string::npos, second);
  for (double share : {0.02, 0.3, 0.6, 0.95}) {
    const std::size_t cut =
        second + static_cast<std::size_t>(share * static_cast<double>(text.size() - second));
    EXPECT_FALSE(OutputPrint(text.substr(0, text.find('\n', cut) + 1)).Complete()) << share;
  }

  // A byte 26 ends the print for both deciders; what follows it does not count.
  root.Write("drive_c/d/nx.out", text + "\x1a" + "written after the end");
  EXPECT_EQ(OutputState::Whole, OutputOfDeck(system, "c:\\d\\nx.nec", "c:\\d\\nx.out"));
  const std::string node = engine_test::ShellQuoted(VARNEL_BINARY) + " --output-complete ";
  const std::string deck = engine_test::ShellQuoted((root.driveC / "d" / "nx.nec").string());
  const std::string output = " " + engine_test::ShellQuoted((root.driveC / "d" / "nx.out").string());
  EXPECT_EQ(0, std::system((node + deck + output).c_str()));
  EXPECT_NE(
      0, std::system(
             (node + engine_test::ShellQuoted((root.driveC / "d" / "other.nec").string()) + output).c_str()));
  root.Write("drive_c/d/nx.out", text.substr(0, second));
  EXPECT_NE(0, std::system((node + deck + output).c_str()));

  // A large print is judged by its head and end as by a whole read. Read in parts: 61 x 61
  // near-field rows behind a short head (some 400 KB), and 41 x 41 rows behind a head of 700
  // segments longer than the first part read.
  for (const char* wire : {"GW 1 9 0 0 -2 0 0 2 0.01", "GW 1 700 0 0 -20 0 0 20 0.001"}) {
    const bool longHead = wire[5] == '7';
    root.Write("drive_c/d/big.nec", std::string("CM big\r\nCE\r\n") + wire +
                                        "\r\nGE 0\r\nEX 0 1 5 0 1 0\r\nFR 0 1 0 0 30 0\r\nNH 0 " +
                                        (longHead ? "41 41" : "61 61") + " 1 -30 -30 1.3 1 1 1\r\nEN\r\n");
    ASSERT_EQ(0, engine_test::RunStandIn(root.dir, root.dir, {"c:\\d\\big.nec", "c:\\d\\big.out"}));
    const std::string big = engine_test::ReadAll(root.driveC / "d" / "big.out");
    ASSERT_GT(big.size(), 300000u);
    ASSERT_EQ(longHead, big.find("NEAR MAGNETIC") > (64u << 10));
    EXPECT_EQ(OutputState::Whole, OutputOfDeck(system, "c:\\d\\big.nec", "c:\\d\\big.out"));
    EXPECT_EQ(OutputState::OtherDeck, OutputOfDeck(system, "c:\\d\\nx.nec", "c:\\d\\big.out"));
    // A row lost in the middle, a row doubled, the end cut, a second table behind the end: the
    // verdict of a whole read.
    const std::size_t row = big.find('\n', big.size() * 3 / 4) + 1, next = big.find('\n', row) + 1;
    const std::string end = big.substr(big.rfind('\n', big.rfind("NEAR MAGNETIC")) + 1);
    for (const std::string& broken :
         {big.substr(0, row) + big.substr(next), big.substr(0, next) + big.substr(row),
          big.substr(0, big.size() - 200), big + "\r\n" + end}) {
      root.Write("drive_c/d/big.out", broken);
      EXPECT_EQ(OutlineOf(OutputPrint(broken)).Whole() ? OutputState::Whole : OutputState::NotWhole,
                OutputOfDeck(system, "c:\\d\\big.nec", "c:\\d\\big.out"))
          << broken.size();
    }
  }
}

#endif

}  // namespace

}  // namespace varnel
