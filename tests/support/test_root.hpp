#pragma once
// A private temporary root for one test: its own drive c: and home folder, so no test
// touches the real home folder or the real c: mapping. The current folder is restored and the
// tree removed when the root goes away.
#include <filesystem>
#include <sstream>
#include <string>

#include "platform/posix/posix_platform.hpp"
#include "platform/scripted/scripted_platform.hpp"

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

// A scripted platform over a TestRoot that prints into its own stream.
struct ScriptedFixture {
  TestRoot root;
  std::ostringstream out;
  ScriptedPlatform platform{out, root.Roots()};
};
