#pragma once
// Test support for the batch commands: a TForm1 over a scripted interface on the POSIX system of
// a private root, and classic-layout output files written into the run folder c:\4nec2\b_out\run.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mainwindow/VarnelU.hpp"
#include "support/classic_output.hpp"
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

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSeparator_ = DecimalSeparator;
    DecimalSeparator = ',';
    form = std::make_unique<TForm1>(Platform{system, ui});
  }
  void TearDown() override { DecimalSeparator = savedSeparator_; }

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

  std::vector<std::string> Warnings() const {
    std::vector<std::string> result;
    for (const std::string& m : ui.messages)
      if (m.rfind("[Warning] ", 0) == 0) result.push_back(m.substr(10));
    return result;
  }

  TestRoot root;
  std::ostringstream out;
  TestSystem system{root.Roots()};
  ScriptedUi ui{out, system};
  std::unique_ptr<TForm1> form;

 private:
  char savedSeparator_ = ',';
};

// Pane lines joined with '\n' for failure messages that show the whole pane.
inline std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

}  // namespace varnel
