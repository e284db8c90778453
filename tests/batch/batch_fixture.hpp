#pragma once
// Test support for the batch commands: a TForm1 over a scripted interface on the POSIX system of
// a private root, and classic-layout output files written into the run folder c:\4nec2\b_out\run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mainwindow/VarnelU.hpp"
#include "support/classic_output.hpp"
#include "support/scoped_settings.hpp"
#include "support/test_root.hpp"
#include "util/format.hpp"

namespace varnel {

// The run folder, as the core names it.
inline const std::string kRunFolder = "c:\\4nec2\\b_out\\run";

// A near-field row whose total (and X) value is `value`: only |Ex| = value * sqrt 2, phase 0.
inline ClassicNearRow FieldRow(double x, double y, double z, double value) {
  ClassicNearRow row;
  row.x = x;
  row.y = y;
  row.z = z;
  row.mx = value * std::sqrt(2.0);
  return row;
}

// Six grid points built so that, with the default working values (P = (10, 0, 4), A = (10, 0),
// py = rCircle = rCylinder = 10, maxHeight = 1000), every geometry picks a different value:
// at P 1, Z line 2, XZ plane 6, circle 4, cylinder 5.
inline std::vector<ClassicNearRow> SixPointGrid(double scale = 1.0) {
  return {FieldRow(10, 0, 4, 1 * scale),  FieldRow(10, 0, 20, 2 * scale),  FieldRow(0, 10, 30, 3 * scale),
          FieldRow(0, -10, 4, 4 * scale), FieldRow(-10, 0, 50, 5 * scale), FieldRow(5, 10, 0, 6 * scale)};
}

// One run: frequency (MHz), input power (W), the six-point grid, a feed with zero voltage and
// current and the impedance 50 - j0.5, and segment currents of the given magnitudes.
inline ClassicOutput OutputRun(double frequency, double inputPower,
                               std::vector<double> segmentCurrents = {1.0}) {
  ClassicOutput o;
  o.frequency = frequency;
  o.inputPower = inputPower;
  ClassicFeed feed;
  feed.voltageRe = feed.voltageIm = feed.currentRe = feed.currentIm = 0;
  feed.admittanceRe = feed.admittanceIm = 0;
  feed.impedanceRe = 50;
  feed.impedanceIm = -0.5;
  feed.power = 0;
  o.feeds = {feed};
  for (double magnitude : segmentCurrents) {
    ClassicSegment s;
    s.re = magnitude;
    s.magnitude = magnitude;
    o.segments.push_back(s);
  }
  o.nearField = SixPointGrid();
  return o;
}

// The three batch analyses, which share one loop, with what tells their panes apart.
struct BatchAnalysis {
  const char* handler;
  const char* caption;   // the name in the stop line and the status bar
  std::size_t headings;  // the Data pane's lines above the rows
  const char* title;     // the Info pane's first line
  bool done;             // the Info pane ends with the done line
  bool dividesByPower;   // an input power of 0 ends the batch with the division error
};
inline const BatchAnalysis kAnalyses[] = {
    {"MIBatchLoadClick", "Batch-Analyse Nearfield", 4,
     "--------------- Batch Load and Analyse ----------------", true, true},
    {"MIBatchAnalysePowerClick", "Batch-Analyse Power", 2,
     "--------------- Batch-Analyse Power----------------", true, true},
    {"MIAnalyseEUTsClick", "Analyse EUTs", 3, "--------------- Analyse Files ----------------", false,
     false}};

class BatchTest : public ::testing::Test, protected ScriptedFixture {
 protected:
  void SetUp() override { form = std::make_unique<TForm1>(platform); }

  // Writes a file into the run folder (native path below the private drive c:).
  void WriteFile(const std::string& name, const std::string& bytes) {
    root.Write("drive_c/4nec2/b_out/run/" + name, bytes);
  }
  void WriteRun(const std::string& name, const ClassicOutput& o) { WriteFile(name, ClassicOutputText(o)); }

  // BatchFiles in this order, resolved in the run folder (as after Add Batch Folder).
  void UseFiles(std::vector<std::string> names) {
    ASSERT_TRUE(system.SetCurrentFolder(kRunFolder));
    form->params.BatchFiles = std::move(names);
  }
  // Files e01.out ... eNN.out with frequencies 1, 2, ... MHz, listed in that order.
  void WriteSeries(int count, double inputPower = 1.0) {
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) {
      names.push_back("e" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".out");
      WriteRun(names.back(), OutputRun(i, inputPower));
    }
    UseFiles(names);
  }
  // The desktop folder split mode writes its block files into.
  std::filesystem::path AddFolder() const { return root.home / "DeskTop" / "add"; }
  void MakeAddFolder() const { std::filesystem::create_directories(AddFolder()); }

  // The messages of one kind ("Warning", "Error"), without their tag.
  std::vector<std::string> Boxes(const std::string& kind) const {
    std::vector<std::string> result;
    for (const std::string& m : ui.messages)
      if (m.starts_with("[" + kind + "] ")) result.push_back(m.substr(kind.size() + 3));
    return result;
  }
  std::vector<std::string> Warnings() const { return Boxes("Warning"); }
  std::vector<std::string> Errors() const { return Boxes("Error"); }
  // Whether the Info pane holds the line.
  bool Said(const std::string& line) const {
    return std::find(form->Mout.lines.begin(), form->Mout.lines.end(), line) != form->Mout.lines.end();
  }
  // The Data pane's rows below the analysis' headings.
  std::vector<std::string> Rows(const BatchAnalysis& a) const {
    const std::vector<std::string>& lines = form->Mdata.lines;
    return {lines.begin() + static_cast<std::ptrdiff_t>(std::min(a.headings, lines.size())), lines.end()};
  }

  SeparatorGuard separator{','};
  std::unique_ptr<TForm1> form;
};

}  // namespace varnel
