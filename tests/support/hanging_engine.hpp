#pragma once
// An engine that never ends, planted as the launchers of a test's drive c:. It starts a child
// of its own, writes that child's pid to <launcher>.child and then its own pid to <launcher>.pid
// (so the .pid file means both are running), and waits for ever.
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/test_root.hpp"

namespace varnel {

namespace hanging_engine {

inline const char* const kLaunchers[] = {"nec2dxs1k5.exe", "nec2dxs5k0.exe", "nec2dxs11k.exe"};

// Plants the engine as every launcher of c:\4nec2\exe (the sample tree then keeps them) and
// returns the launcher the window starts by default.
inline std::filesystem::path Plant(TestRoot& root) {
  std::filesystem::path first;
  for (const char* name : kLaunchers) {
    const std::filesystem::path launcher = root.Write(
        "drive_c/4nec2/exe/" + std::string(name),
        "#!/bin/sh\nsleep 1000 &\necho $! > \"$0.child\"\necho $$ > \"$0.pid\"\nwait\n");
    chmod(launcher.c_str(), 0755);
    if (first.empty()) first = launcher;
  }
  return first;
}

// The pid the file holds once it exists, waiting up to a minute (a loaded CI machine can take
// seconds to start the program and its engine); 0 when it never comes.
inline long WaitForPid(const std::filesystem::path& file) {
  for (int i = 0; i < 2400; ++i) {
    std::ifstream in(file);
    long pid = 0;
    if (in >> pid && pid > 0) return pid;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return 0;
}

// True once the process has gone (a zombie counts: it no longer runs), waiting up to twenty
// seconds.
inline bool Gone(long pid) {
  for (int i = 0; i < 800; ++i) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = content.rfind(')');
    if (close == std::string::npos || close + 2 >= content.size() || content[close + 2] == 'Z') return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return false;
}

}  // namespace hanging_engine

}  // namespace varnel
