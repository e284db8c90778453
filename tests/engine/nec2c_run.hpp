#pragma once
// Test support for the engine tests: running the stand-in and nec2c itself, and reading nec2c's
// own output with a parser of its own (independent of the output reader), so that the numbers
// the reader takes from the stand-in's file can be compared with what nec2c printed.
#include "test_paths.hpp"
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/cluster.hpp"
#include "support/fuzz_seed.hpp"
#include "support/test_root.hpp"

namespace varnel {

namespace engine_test {

// The program's own quoting, the one the cluster scripts use.
using varnel::ShellQuoted;

inline bool Nec2cInstalled() { return std::system("command -v nec2c >/dev/null 2>&1") == 0; }

// Runs a command line in folder with WINEPREFIX set (so drive c: of the child is
// prefix/drive_c); returns the exit status.
inline int RunIn(const std::filesystem::path& folder, const std::filesystem::path& winePrefix,
                 const std::string& commandLine) {
  std::string command = "cd " + ShellQuoted(folder.string()) +
                        " && WINEPREFIX=" + ShellQuoted(winePrefix.string()) + " " + commandLine +
                        " 2>/dev/null";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int RunStandIn(const std::filesystem::path& folder, const std::filesystem::path& winePrefix,
                      const std::vector<std::string>& arguments) {
  std::string line = ShellQuoted(VARNEL_ENGINE_BINARY);
  for (const std::string& a : arguments) line += " " + ShellQuoted(a);
  return RunIn(folder, winePrefix, line);
}

inline std::string ReadAll(const std::filesystem::path& path) { return TestRoot::Read(path); }

// What nec2c printed for one run, as numbers; a table the run does not print stays empty and
// the input power NaN.
struct Nec2cResult {
  double frequency = 0;
  double inputPower = std::nan("");
  std::vector<std::vector<double>> feeds;     // tag, segment, nine values
  std::vector<std::vector<double>> segments;  // seg, tag, x, y, z, length, re, im, magnitude, phase
  std::vector<std::vector<double>> nearRows;  // x, y, z, |x|, phase, |y|, phase, |z|, phase
  std::string nearKind;                       // "ELECTRIC" or "MAGNETIC"
};

// True when the line is exactly `count` numbers, which it puts in values.
inline bool Numbers(const std::string& line, std::size_t count, std::vector<double>& values) {
  std::istringstream in(line);
  values.clear();
  for (std::string w; in >> w;) {
    char* end = nullptr;
    values.push_back(std::strtod(w.c_str(), &end));
    if (end == w.c_str() || *end != '\0') return false;
  }
  return values.size() == count;
}

// Which run ParseNec2c reads: the first frequency's, or the run of the first near-field table
// (the last frequency, feed table, current table and power budget printed before it, each
// after that frequency's heading).
enum class Nec2cRun { First, NearField };

// Reads nec2c's print file: the sections of one run and the first near-field table.
inline Nec2cResult ParseNec2c(const std::string& text, Nec2cRun which = Nec2cRun::First) {
  Nec2cResult result;
  enum { None, Feeds, Segments, Near } section = None;
  bool frequencySeen = false;
  const bool lastBeforeNear = which == Nec2cRun::NearField;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<double> v;
    const bool scalarsOpen = result.nearKind.empty() && (lastBeforeNear || !frequencySeen);
    if (line.find("--------- FREQUENCY --------") != std::string::npos) {
      if (frequencySeen && !lastBeforeNear) break;  // the second frequency begins
      if (scalarsOpen) {
        result.inputPower = std::nan("");
        result.feeds.clear();
        result.segments.clear();
      }
      continue;
    }
    if (line.find("FREQUENCY :") != std::string::npos && scalarsOpen) {
      result.frequency = std::strtod(line.substr(line.find(':') + 1).c_str(), nullptr);
      frequencySeen = true;
      continue;
    }
    if (line.find("INPUT POWER") != std::string::npos && result.nearKind.empty() &&
        (lastBeforeNear || std::isnan(result.inputPower))) {
      result.inputPower = std::strtod(line.substr(line.find('=') + 1).c_str(), nullptr);
      continue;
    }
    if (line.find("ANTENNA INPUT PARAMETERS") != std::string::npos) {
      section = result.nearKind.empty() && (lastBeforeNear || result.feeds.empty()) ? Feeds : None;
      if (section == Feeds) result.feeds.clear();
    } else if (line.find("CURRENTS AND LOCATION") != std::string::npos) {
      section = result.nearKind.empty() && (lastBeforeNear || result.segments.empty()) ? Segments : None;
      if (section == Segments) result.segments.clear();
    } else if (line.find("NEAR ELECTRIC FIELDS") != std::string::npos ||
               line.find("NEAR MAGNETIC FIELDS") != std::string::npos) {
      if (!result.nearKind.empty()) {
        section = None;
        continue;
      }
      result.nearKind = line.find("ELECTRIC") != std::string::npos ? "ELECTRIC" : "MAGNETIC";
      section = Near;
    } else if (section == Feeds && Numbers(line, 11, v))
      result.feeds.push_back(v);
    else if (section == Segments && Numbers(line, 10, v))
      result.segments.push_back(v);
    else if (section == Near && Numbers(line, 9, v))
      result.nearRows.push_back(v);
    else if (line.find("POWER BUDGET") != std::string::npos || line.find("DATA CARD") != std::string::npos)
      section = None;
  }
  return result;
}

// nec2c's own numbers for a deck text, run in the folder (made if missing): the deck gets the
// EN card nec2c needs when it has none.
inline Nec2cResult Nec2cOf(const std::filesystem::path& folder, const std::filesystem::path& winePrefix,
                           std::string deck) {
  std::filesystem::create_directories(folder);
  if (!deck.empty() && deck.back() != '\n') deck += "\r\n";
  if (deck.find("\nEN") == std::string::npos) deck += "EN\r\n";
  std::ofstream(folder / "deck.nec", std::ios::binary) << deck;
  EXPECT_EQ(0, RunIn(folder, winePrefix, "nec2c -i deck.nec -o deck.out"));
  const std::string printed = ReadAll(folder / "deck.out");
  SaveOutputSeeds(printed);
  return ParseNec2c(printed);
}

}  // namespace engine_test

}  // namespace varnel
