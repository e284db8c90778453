#pragma once
// A private temporary root for one test: its own drive c: and home folder, so no test
// touches the real home folder or the real c: mapping. The current folder is restored and the
// tree removed when the root goes away.
#include <filesystem>
#include <iosfwd>
#include <sstream>
#include <string>

#include "platform/platform.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/scripted/scripted_ui.hpp"

namespace varnel {

class TestRoot {
 public:
  TestRoot();
  ~TestRoot();
  TestRoot(const TestRoot&) = delete;
  TestRoot& operator=(const TestRoot&) = delete;

  std::filesystem::path dir;     // the whole temporary tree
  std::filesystem::path driveC;  // dir/drive_c
  std::filesystem::path home;    // dir/home
  PosixRoots Roots() const;

  // Writes a file below the root (native path relative to dir, folders created).
  std::filesystem::path Write(const std::string& relative, const std::string& bytes);
  // Reads a native file whole ("" when missing).
  static std::string Read(const std::filesystem::path& path);

 private:
  std::filesystem::path savedCurrent_;
};

// The POSIX system over a TestRoot under a scripted interface that prints into its own stream.
struct ScriptedFixture {
  TestRoot root;
  std::ostringstream out;
  PosixSystem system{root.Roots()};
  ScriptedUi ui{out, system};
  Platform platform{system, ui};
};

// The headless runner as `varnel --script` runs it, over the POSIX system of the root: the
// sample tree is made at the start.
int RunScriptIn(const TestRoot& root, std::istream& script, std::ostream& out, int engineJobs = 1);

}  // namespace varnel
