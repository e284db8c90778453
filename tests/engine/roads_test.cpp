// The two roads end to end through the headless runner, with the engine stand-in over nec2c:
// generation, batch conversion and analysis. The tables must hold the numbers nec2c printed for
// the same decks, which the test reads from nec2c's own output with its own parser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/nec2c_run.hpp"
#include "engine/road_script.hpp"
#include "platform/scripted/runner.hpp"
#include "support/fuzz_seed.hpp"
#include "support/lines.hpp"
#include "support/scoped_settings.hpp"
#include "support/test_root.hpp"
#include "util/format.hpp"

namespace varnel {

namespace fs = std::filesystem;
using namespace engine_test;

namespace {

class RoadTest : public ::testing::Test {
 protected:
  TestRoot root;
  // The stand-in is a child process: it finds drive c: through WINEPREFIX.
  ScopedEnv prefix_{"WINEPREFIX", root.dir.c_str()};
  SeparatorGuard separator_{','};

  void SetUp() override {
    if (!Nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    // Launchers of the stand-in built with the tests; the sample tree keeps what exists.
    for (const char* engine : {"nec2dxs1k5.exe", "nec2dxs5k0.exe", "nec2dxs11k.exe"}) {
      fs::path path = root.Write(std::string("drive_c/4nec2/exe/") + engine,
                                 "#!/bin/sh\nexec " + ShellQuoted(VARNEL_ENGINE_BINARY) + " \"$@\"\n");
      fs::permissions(path, fs::perms::owner_all);
    }
    for (const char* folder : {"4nec2/b_in/Ranges", "4nec2/b_out", "4nec2/out"})
      fs::create_directories(root.driveC / folder);
  }

  // Runs the script; returns the output lines.
  std::vector<std::string> RunRoad(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    EXPECT_EQ(0, RunScriptIn(root, in, out)) << out.str();
    SaveFuzzSeed("script", script);
    SaveFuzzSeedsBelow(root.driveC, ".out", "reader");
    SaveFuzzSeedsBelow(root.driveC, ".txt", "range");
    std::vector<std::string> lines;
    std::istringstream text(out.str());
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }

  // The lines after the echo marker up to the next marker ("==...") or the end.
  static std::vector<std::string> Section(const std::vector<std::string>& lines, const std::string& marker) {
    std::vector<std::string> section;
    auto it = std::find(lines.begin(), lines.end(), marker);
    EXPECT_NE(lines.end(), it) << marker;
    if (it == lines.end()) return section;
    for (++it; it != lines.end() && it->rfind("==", 0) != 0; ++it) section.push_back(*it);
    return section;
  }

  // No line complains and no dialog was left without an answer.
  static void ExpectNoComplaint(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
      for (const char* complaint : {"[Error]", "[Warning]", "no answer"})
        EXPECT_EQ(std::string::npos, line.find(complaint)) << line;
  }

  // nec2c's own result for a deck of the tree (native path relative to drive c:).
  Nec2cResult Nec2cOfDeck(const std::string& relativeDeck) {
    return Nec2cOf(root.dir / "nec2c", root.dir, ReadAll(root.driveC / relativeDeck));
  }
};

// The near-field value of a row for the polarisation Total, RMS, as the window defines it.
double TotalRms(const std::vector<double>& row) {
  const double pi = std::acos(-1.0);
  double c = 0, s = 0, n = 0;
  for (int k = 0; k < 3; ++k) {
    double m = row[3 + 2 * k], phase = row[4 + 2 * k] * 2 * pi / 180;
    c += m * m * std::cos(phase);
    s += m * m * std::sin(phase);
    n += m * m;
  }
  double peak = std::sqrt((std::sqrt(c * c + s * s) + n) * 0.5);
  if (peak > 1000) peak = 0;
  return peak / std::sqrt(2.0);
}

struct Evaluated {
  double atPoint = 0, cylinder = 0, circle = 0;
};

Evaluated Evaluate(const Nec2cResult& r, double px, double py, double pz, double radius) {
  Evaluated e;
  double best = 1e9;
  bool anyCylinder = false, anyCircle = false;
  for (const std::vector<double>& row : r.nearRows) {
    double v = TotalRms(row);
    double d = std::sqrt((row[0] - px) * (row[0] - px) + (row[1] - py) * (row[1] - py) +
                         (row[2] - pz) * (row[2] - pz));
    if (d < best) {
      best = d;
      e.atPoint = v;
    }
    if (std::fabs(std::hypot(row[0], row[1]) - radius) < 0.6) {
      e.cylinder = anyCylinder ? std::max(e.cylinder, v) : v;
      anyCylinder = true;
      if (std::fabs(row[2] - pz) < 0.6) {
        e.circle = anyCircle ? std::max(e.circle, v) : v;
        anyCircle = true;
      }
    }
  }
  return e;
}

std::string Cells(const std::string& pattern, std::initializer_list<double> values) {
  std::string line;
  for (double v : values) line += FormatReal(pattern, v) + ";";
  return line;
}

TEST_F(RoadTest, TestObjectsFromGenerationToTheSavedTable) {
  root.Write("drive_c/4nec2/b_in/Ranges/two.txt", "7,01\r\n14,2\r\n");
  const std::vector<std::string> out = RunRoad(kTestObjectRoad);
  ExpectNoComplaint(out);

  // Six decks (two frequencies, three objects), each converted once.
  std::vector<std::string> conversion = Section(out, "==conversion");
  std::vector<std::string> converted = Starting(conversion, "Converting: ");
  ASSERT_EQ(6u, converted.size());
  for (const std::string& line : converted)
    EXPECT_NE(std::string::npos, line.find(".out ......done.")) << line;
  ASSERT_FALSE(conversion.empty());
  EXPECT_EQ("--------- Batch Conversion Job Done ---------", conversion.back());

  std::vector<std::string> loaded = Starting(Section(out, "==analysis"), "Load: ");
  ASSERT_EQ(6u, loaded.size());
  std::vector<std::string> table = Section(out, "==table");
  ASSERT_EQ(3u + 6u, table.size());
  EXPECT_EQ("", table[0]);
  EXPECT_EQ(
      Format("//%7s;%9s;%9s;%9s;%9s;%9s;", {"Numb ", " Cyl.  ", "  Cir  ", " Point ", "  Freq ", "  Pwr  "}),
      table[1]);

  for (std::size_t i = 0; i < loaded.size(); ++i) {
    SCOPED_TRACE(loaded[i]);
    std::string deck = "4nec2/b_in/E_/" + loaded[i].substr(0, loaded[i].size() - 4) + ".nec";
    Nec2cResult nec2c = Nec2cOfDeck(deck);
    ASSERT_EQ(81u * 81u, nec2c.nearRows.size());
    Evaluated e = Evaluate(nec2c, 10, 0, 1.3, 10);
    std::string expected =
        FormatInt("%9d", static_cast<long long>(i + 1)) + ";" +
        Cells("%9.3g", {e.cylinder, e.circle, e.atPoint, nec2c.frequency, nec2c.inputPower});
    EXPECT_EQ(expected, table[3 + i]);
  }

  // The saved table is the data pane, every line followed by CR LF.
  std::string saved;
  for (const std::string& line : table) saved += line + "\r\n";
  EXPECT_EQ(saved, ReadAll(root.driveC / "4nec2" / "table.txt"));

  // Two parallel engine runs write the same output files again.
  std::map<std::string, std::string> first;
  for (const auto& entry : fs::directory_iterator(root.driveC / "4nec2/b_out/E_"))
    if (entry.path().extension() == ".out") first[entry.path().filename().string()] = ReadAll(entry.path());
  ASSERT_EQ(6u, first.size());
  const std::vector<std::string> again = RunRoad(
      "answer ask 2\nrun MIParallelRunsClick\nanswer folder \"c:\\4nec2\\b_in\\E_\"\n"
      "answer confirm yes\nrun BatchConversion1Click\nprint Mout\n");
  ASSERT_EQ(6u, Starting(again, "Converting: ").size());
  // Identical but for the engine's own timing lines (matrix fill and factor, total run time),
  // which depend on the machine's load.
  auto withoutRunTime = [](const std::string& text) {
    std::string kept;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
      if (line.find(" msec") == std::string::npos) kept += line + "\n";
    return kept;
  };
  for (const auto& [name, bytes] : first) {
    EXPECT_NE(std::string::npos, bytes.find("TOTAL RUN TIME:")) << name;
    EXPECT_TRUE(withoutRunTime(bytes) == withoutRunTime(ReadAll(root.driveC / "4nec2/b_out/E_" / name)))
        << name;
  }
}

TEST_F(RoadTest, SweepOfTheDipoleThroughPowerAndNearFieldAnalysisAndResumeOfASetGeneratedAnew) {
  root.Write(
      "drive_c/4nec2/b_in/dipol.nec",
      "CM Half-wave dipole in free space\r\nCM Vertical wire along Z, fed in the centre segment\r\nCE\r\n"
      "GW 1 21 0 0 -5.0 0 0 5.0 0.001\r\nGE 0\r\nEX 0 1 11 0 1 0\r\nFR 0 1 0 0 xxf 0\r\n"
      "NE 0 5 1 3 2 0 0 2 0 2\r\nEN");
  root.Write("drive_c/4nec2/b_in/Ranges/three.txt", "14\r\n14,1\r\n14,2\r\n");
  const std::vector<std::string> out = RunRoad(R"(
decimal ,
answer open "c:\4nec2\b_in\dipol.nec"
answer open "c:\4nec2\b_in\Ranges\three.txt"
run CreateMultipleInputFiles1Click
answer folder "c:\4nec2\b_in\dipol"
run BatchConversion1Click
echo ==conversion
print Mout
answer folder "c:\4nec2\b_out\dipol"
run MIAddBatchFolderClick
run MIBatchAnalysePowerClick
echo ==power
print Mout
echo ==powertable
print Mdata
echo ==question
select RGMode 0
run MIBatchLoadClick
echo ==nearfield
print Mout
echo ==nearfieldtable
print Mdata
echo ==end
)");
  ExpectNoComplaint(out);
  EXPECT_EQ(3u, Starting(Section(out, "==conversion"), "Converting: ").size());

  const double root2 = std::sqrt(2.0);
  std::vector<std::string> powerFiles = Starting(Section(out, "==power"), "Load: ");
  std::vector<std::string> powerTable = Section(out, "==powertable");
  ASSERT_EQ(3u, powerFiles.size());
  ASSERT_EQ(2u + 3u, powerTable.size());
  // The power table is not saved: the next batch asks before it clears it (unanswered: Discard).
  EXPECT_EQ(std::vector<std::string>{"[Question] The table in the Data pane is not saved. Batch-Analyse "
                                     "Nearfield clears it: save it first? Discard"},
            Section(out, "==question"));
  std::vector<std::string> nearFiles = Starting(Section(out, "==nearfield"), "Load: ");
  std::vector<std::string> nearTable = Section(out, "==nearfieldtable");
  ASSERT_EQ(3u, nearFiles.size());
  ASSERT_EQ(4u + 3u, nearTable.size());
  EXPECT_EQ("// Field at P(10,0| 0,0| 4,0)", nearTable[0]);

  std::map<std::string, Nec2cResult> nec2c;
  for (const std::string& name : powerFiles)
    nec2c[name] = Nec2cOfDeck("4nec2/b_in/dipol/" + name.substr(0, name.size() - 4) + ".nec");
  std::vector<double> frequencies;
  for (std::size_t i = 0; i < powerFiles.size(); ++i) {
    SCOPED_TRACE(powerFiles[i]);
    const Nec2cResult& r = nec2c[powerFiles[i]];
    frequencies.push_back(r.frequency);
    ASSERT_FALSE(r.segments.empty());
    double current = r.segments[0][8];  // segment 1, the default analysis segment
    double received = (current / root2) * (current / root2) * 50;
    double gain = 10 * std::log10(std::sqrt(received / r.inputPower));
    EXPECT_EQ(Cells("%9.3g", {r.frequency, r.inputPower, 1000 * received, gain, current}), powerTable[2 + i]);
  }
  std::sort(frequencies.begin(), frequencies.end());
  EXPECT_EQ((std::vector<double>{14.0, 14.1, 14.2}), frequencies);

  for (std::size_t i = 0; i < nearFiles.size(); ++i) {
    SCOPED_TRACE(nearFiles[i]);
    ASSERT_EQ(1u, nec2c.count(nearFiles[i]));
    const Nec2cResult& r = nec2c[nearFiles[i]];
    ASSERT_EQ(15u, r.nearRows.size());
    double atP = Evaluate(r, 10, 0, 4, 10).atPoint;
    const std::vector<double>& f = r.feeds.at(0);
    EXPECT_EQ(Cells("%9.3f", {r.frequency, r.inputPower, atP, atP * std::sqrt(1.0 / r.inputPower),
                              f[2] / root2, f[3] / root2, f[4] / root2, f[5] / root2, f[6], f[7]}),
              nearTable[4 + i]);
  }

  // A set generated anew over a converted one: Resume keeps none of the old set's outputs.
  root.Write("drive_c/4nec2/b_in/Ranges/one.txt", "7,01\r\n");
  const std::string generate = "answer confirm yes\n" +
                               GenerateEutsLines("c:\\4nec2\\b_in\\Ranges\\one.txt", 2, "E_") +
                               "answer folder \"c:\\4nec2\\b_in\\E_\"\n";
  RunRoad("seed 7\n" + generate + "run BatchConversion1Click\n");
  const std::vector<std::string> resumed =
      RunRoad("seed 8\n" + generate + "run ResumeBatchConversion1Click\nprint Mout\n");
  EXPECT_EQ((std::vector<std::string>{"0.out was made from another deck: converted again",
                                      "1.out was made from another deck: converted again"}),
            Starting(resumed, "E_000_00"));
  EXPECT_EQ(2u, Starting(resumed, "Converting: ").size());
  EXPECT_EQ(1u, Starting(resumed, "Kept 0 complete outputs.").size());
}

}  // namespace

}  // namespace varnel
