#pragma once
// A private temporary root for one test: its own drive c: and home folder, so no test
// touches the real home folder or the real c: drive. The current folder is restored and the
// tree removed when the root goes away.
//
// The same tests build for both system halves: TestSystem is the POSIX system over the root's
// drive_c on Linux, and on Windows the Windows system with c: taken below the root's drive_c
// (DriveCSystem). Under Wine the root lies on z:, the Linux temporary folder, so that a place
// outside drive_c keeps a path of its own there too.
#include <filesystem>
#include <iosfwd>
#include <sstream>
#include <string>

#include "platform/platform.hpp"
#include "platform/scripted/scripted_ui.hpp"

#ifdef _WIN32
#include "support/drive_c_system.hpp"
#else
#include "platform/posix/posix_system.hpp"
#endif

namespace varnel {

#ifdef _WIN32
using TestSystem = DriveCSystem;
using TestRoots = std::string;  // the folder behind c:
#else
using TestSystem = PosixSystem;
using TestRoots = PosixRoots;
#endif

class TestRoot {
 public:
  TestRoot();
  ~TestRoot();
  TestRoot(const TestRoot&) = delete;
  TestRoot& operator=(const TestRoot&) = delete;

  std::filesystem::path dir;     // the whole temporary tree
  std::filesystem::path driveC;  // dir/drive_c
  // The folder USERPROFILE names: dir/home on Linux (where it is unset), on Windows the
  // profile's place below drive_c (made by the tests that use it).
  std::filesystem::path home;
  TestRoots Roots() const;
  // A native path in the form the system of this root gives it ("c:\..." below drive c:).
  std::string SystemPath(const std::filesystem::path& native) const;

  // Writes a file below the root (native path relative to dir, folders created).
  std::filesystem::path Write(const std::string& relative, const std::string& bytes);
  // Reads a native file whole ("" when missing); the path is absolute.
  static std::string Read(const std::filesystem::path& path);
  // Writes a file (absolute path) under its stored name: on Windows in the long path form, in which a device
  // name such as "nul.out" is a name like any other. False when it cannot be made.
  static bool WriteStored(const std::filesystem::path& path, const std::string& bytes);
  // Makes a symbolic link to a file or folder (target need not exist); false where the system
  // makes none (Wine answers success and makes none).
  static bool Link(const std::filesystem::path& link, const std::filesystem::path& target);
  // A native path as the system of this root names it without going through drive c: (z: on
  // Linux; under Wine the root itself lies on z:).
  static std::string OffDriveC(const std::filesystem::path& native);

 private:
  std::filesystem::path savedCurrent_;
};

// The system of a TestRoot under a scripted interface that prints into its own stream.
struct ScriptedFixture {
  TestRoot root;
  std::ostringstream out;
  TestSystem system{root.Roots()};
  ScriptedUi ui{out, system};
  Platform platform{system, ui};
};

#ifndef _WIN32
// While it lives, the calling thread reads and writes a file only as the file's access modes
// allow, also as root (the capabilities that override them are set aside and given back at
// the end), so that a refused access is tested on the machines that run the tests as root.
class AccessModesHold {
 public:
  AccessModesHold();
  ~AccessModesHold();
  AccessModesHold(const AccessModesHold&) = delete;
  AccessModesHold& operator=(const AccessModesHold&) = delete;
  bool held = false;  // false where the thread's capabilities could not be changed

 private:
  unsigned saved_[2] = {0, 0};
};
#endif

// The script lines of Generate EUTs over the range file at range (a c: path): objects test
// objects 3 m across and 1,5 m high, their low end at 1 m, ground 1, into the set name, on the
// fixed near-field grid.
inline std::string GenerateEutsLines(const std::string& range, int objects, const std::string& name) {
  return "answer open \"" + range + "\"\nanswer ask " + std::to_string(objects) +
         "\nanswer ask 3\nanswer ask 1,5\nanswer ask 1\nanswer ask 1\nanswer ask " + name +
         "\nanswer ask default\nrun MIGenerateEUTsClick\n";
}

// The headless runner as `varnel --script` runs it, over the system of the root: the sample
// tree is made at the start.
int RunScriptIn(const TestRoot& root, std::istream& script, std::ostream& out, int engineJobs = 0,
                bool realPause = true);

}  // namespace varnel
