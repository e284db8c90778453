#pragma once
// The fixture of the conversion tests: a private drive c: with the 4nec2 tree, fake engines
// (small shell scripts that record their arguments and write an output), a system that counts
// the processes it starts and closes, and an interface that runs a test's action whenever the
// window processes its events.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "mainwindow/VarnelU.hpp"
#include "support/classic_output.hpp"
#include "support/lines.hpp"
#include "support/test_root.hpp"

namespace varnel {

namespace fs = std::filesystem;

// A system that counts started and closed processes, on a clock the test advances.
class EngineSystem : public TestSystem {
 public:
  using TestSystem::TestSystem;
  int started = 0, closed = 0;
  std::uint64_t clockMs = 0;
  std::uint64_t MonotonicMilliseconds() override { return clockMs; }
  std::vector<std::string> parameterTexts;
  // When set, starts report success without a process (the shell handed the request on).
  bool startWithoutHandle = false;
  // The folder whose lock another program holds.
  std::string lockHeld;

  std::int64_t LockFolder(const std::string& folder, std::string& problem) override {
    return folder == lockHeld ? 0 : TestSystem::LockFolder(folder, problem);
  }

  ProcessHandle StartProcess(const std::string& program, const std::string& parameters,
                             std::string& error) override {
    parameterTexts.push_back(parameters);
    if (startWithoutHandle) return {};
    ProcessHandle handle = TestSystem::StartProcess(program, parameters, error);
    if (handle) ++started;
    return handle;
  }
  void CloseProcess(ProcessHandle handle) override {
    ++closed;
    TestSystem::CloseProcess(handle);
  }
};

class ConversionTest : public ::testing::Test {
 protected:
  ConversionTest() {
    for (const char* folder : {"4nec2/exe", "4nec2/b_in", "4nec2/b_out", "4nec2/out"})
      fs::create_directories(root.driveC / folder);
    log = root.dir / "engine.log";
    form.params.EngineJobs = 1;  // one run after the other, unless a test asks for more
  }

  // A fake engine at c:\4nec2\exe\<name>: it appends "<its name>|<parameter text>" to the log
  // (after sleeping `seconds`), then runs `finish`, a shell fragment that writes the output file
  // "$out" (the output path it was given, "C:\" mapped onto the private drive). The default
  // writes the parameter text as the first line of a complete print.
  void FakeEngine(const std::string& name, double seconds = 0, const std::string& finish = "") {
    const fs::path print = root.Write("print.out", ClassicOutputText(ClassicOutput{}));
    std::ostringstream script;
    script << "#!/bin/sh\n";
    // printf, not echo: the shell's echo would read the backslashes of the paths as escapes.
    if (seconds > 0)
      script << "printf '%s\\n' \"start $1\" >> '" << log.string() << "'\nsleep " << seconds << "\n";
    script << "printf '%s\\n' \"" << name << "|$*\" >> '" << log.string() << "'\n"
           << "out=$(printf '%s' \"$2\" | sed -e 's|^[cC]:|" << root.driveC.string()
           << "|' -e 's|\\\\|/|g')\n"
           << "print='" << print.string() << "'\n"
           << (finish.empty() ? "printf '%s\\r\\n' \"$*\" > \"$out\"; cat \"$print\" >> \"$out\"\n"
                              : finish + "\n");
    fs::path path = root.Write("drive_c/4nec2/exe/" + name, script.str());
    fs::permissions(path, fs::perms::owner_all);
  }

  // Decks of the given names in c:\4nec2\b_in\<folder>; returns the (native) output folder.
  fs::path Decks(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) root.Write("drive_c/4nec2/b_in/" + folder + "/" + name, "CM\r\n");
    return root.driveC / "4nec2" / "b_out" / folder;
  }

  // What the default fake engine writes for the parameter text.
  std::string CompleteOutput(const std::string& parameters) const {
    return parameters + "\r\n" + ClassicOutputText(ClassicOutput{});
  }

  // The Info pane's first lines of a batch conversion of c:\4nec2\b_in\<folder> by the engine.
  static std::string BatchHead(const std::string& engine, const std::string& folder) {
    const std::string out = "C:\\4nec2\\b_out\\" + folder + "\\\n";
    return "--------------- Batch Conversion ----------------\nEngineName.....: c:\\4nec2\\exe\\" + engine +
           "\nBatch Folder selected: c:\\4nec2\\b_in\\" + folder + "\nLast Folder: " + folder +
           "\nOld Folder sucessfully deleted: " + out + "New Folder sucessfully created: " + out;
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::istringstream in(TestRoot::Read(log));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::vector<std::string> Messages(const std::string& prefix) const { return Starting(ui.messages, prefix); }

  // The Info pane's "Converting: " lines, sorted.
  std::vector<std::string> Converting() const {
    std::vector<std::string> lines;
    for (const std::string& line : form.Mout.lines)
      if (line.rfind("Converting: ", 0) == 0) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
  }
  bool Has(const std::string& line) const {
    return std::find(form.Mout.lines.begin(), form.Mout.lines.end(), line) != form.Mout.lines.end();
  }

  std::string MoutText() const {
    std::string text;
    for (const std::string& line : form.Mout.lines) text += line + "\n";
    return text;
  }

  TestRoot root;
  fs::path log;
  std::ostringstream out;
  EngineSystem system{root.Roots()};
  ScriptedUi ui{out, system};
  TForm1 form{{system, ui}};
};

}  // namespace varnel
