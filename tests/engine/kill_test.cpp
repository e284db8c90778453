// The program killed outright (SIGKILL) while it converts: the stand-in ends nec2c and cleans
// up, and Resume Batch Conversion then leaves every deck with exactly one complete output, keeps
// every output that was complete untouched and takes no partial one for complete. Runs the real
// program (Linux: the Windows build has its own engine tests).
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "engine/conversion.hpp"
#include "engine/conversion_fixture.hpp"
#include "platform/posix/posix_system.hpp"
#include "support/hanging_engine.hpp"
#include "support/test_root.hpp"
#include "test_paths.hpp"

namespace varnel {

namespace {

namespace fs = std::filesystem;

// Starts `varnel [--jobs N] --script script` over the root's drive c:, its output in the file.
pid_t StartVarnel(TestRoot& root, const fs::path& script, const fs::path& output, int jobs) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, STDOUT_FILENO);
    dup2(fd, STDERR_FILENO);
    setenv("WINEPREFIX", root.dir.c_str(), 1);
    setenv("HOME", root.home.c_str(), 1);
    const std::string jobText = std::to_string(jobs);
    execl(VARNEL_BINARY, VARNEL_BINARY, "--jobs", jobText.c_str(), "--script", script.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// The pids of the running processes (zombies left out) whose command line holds the text.
std::vector<long> ProcessesWith(const std::string& text) {
  std::vector<long> pids;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string line = TestRoot::Read(entry.path() / "cmdline"),
                      state = TestRoot::Read(entry.path() / "stat");
    const std::size_t close = state.rfind(')');
    const bool zombie = close == std::string::npos || close + 2 >= state.size() || state[close + 2] == 'Z';
    if (!zombie && line.find(text) != std::string::npos) pids.push_back(std::stol(name));
  }
  return pids;
}

// The conversion tests' drive c:, with their fake engines.
using KilledProgram = ConversionTest;

// The stand-in ended while nec2c runs (by a signal of its own, or with the program that started
// it killed outright): nec2c ends too, and neither a temporary folder nor a partial output stays.
// A stand-in killed outright cannot clean up: the next one to start removes its folder.
TEST_F(KilledProgram, TheStandInEndsNec2cAndCleansUp) {
  if (std::system("command -v nec2c >/dev/null 2>&1") != 0) GTEST_SKIP() << "nec2c is not installed";
  struct Case {
    const char* what;
    bool killProgram;
    int signalNumber;
  };
  for (const Case& c : {Case{"program killed", true, SIGKILL}, Case{"engine terminated", false, SIGTERM},
                        Case{"engine interrupted", false, SIGINT}, Case{"engine killed", false, SIGKILL}}) {
    SCOPED_TRACE(c.what);
    TestRoot root;  // one of its own per case
    const fs::path temp = root.dir / "tmp";
    fs::create_directories(temp);
    // A near field of 32 000 points: seconds of nec2c.
    root.Write(
        "drive_c/4nec2/b_in/S_/slow.nec",
        "CM\r\nCE\r\nGW 1 400 0 0 -25 0 0 25 0.001\r\nGE 0\r\nEX 0 1 200 0 1 0\r\nFR 0 1 0 0 29.0 0\r\n"
        "NE 0 40 40 20 -10 -10 -10 0.5 0.5 1\r\n");
    const fs::path script =
        root.Write("slow.vsc", "answer folder \"c:\\4nec2\\b_in\\S_\"\nrun BatchConversion1Click\n");
    setenv("TMPDIR", temp.c_str(), 1);
    const pid_t varnel = StartVarnel(root, script, root.dir / "output.txt", 1);
    unsetenv("TMPDIR");
    ASSERT_GT(varnel, 0);
    std::vector<long> nec2c;
    for (int i = 0; i < 2400 && (nec2c = ProcessesWith(temp.string() + "/varnel-engine-")).empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_EQ(1u, nec2c.size()) << "nec2c did not start";
    if (c.killProgram) {
      kill(varnel, c.signalNumber);
    } else {
      // The stand-in is nec2c's parent (the launcher execs it).
      const std::string state = TestRoot::Read("/proc/" + std::to_string(nec2c[0]) + "/stat");
      const long engine = std::atol(state.c_str() + state.rfind(')') + 4);
      ASSERT_GT(engine, 1) << state;
      kill(static_cast<pid_t>(engine), c.signalNumber);
    }
    EXPECT_TRUE(hanging_engine::Gone(nec2c[0])) << "nec2c outlived the stand-in";
    kill(varnel, SIGKILL);
    WaitFor(varnel);
    for (int i = 0; i < 400 && !fs::is_empty(temp); ++i) {
      if (!c.killProgram && c.signalNumber == SIGKILL) {  // the next stand-in to start cleans up
        EXPECT_NE(-1, std::system(
                          ("TMPDIR='" + temp.string() + "' '" VARNEL_ENGINE_BINARY "' 2>/dev/null").c_str()));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_TRUE(fs::is_empty(temp)) << "the temporary folder stayed";
    EXPECT_TRUE(fs::is_empty(root.driveC / "4nec2" / "b_out" / "S_")) << "a partial output stayed";
  }
}

struct Snapshot {
  std::string bytes;
  fs::file_time_type time;
};

TEST_F(KilledProgram, ResumeAfterAKillLeavesOneCompleteOutputPerDeck) {
  // An engine that writes its print in three parts with pauses, so that a kill finds outputs
  // half written.
  FakeEngine("nec2dxs1k5.exe", 0,
             "head -c 1000 \"$print\" > \"$out\"; sleep 0.05\n"
             "tail -c +1001 \"$print\" | head -c 1000 >> \"$out\"; sleep 0.05\n"
             "tail -c +2001 \"$print\" >> \"$out\"");
  constexpr int kDecks = 20;
  for (int i = 0; i < kDecks; ++i)
    root.Write("drive_c/4nec2/b_in/K_/K_" + std::to_string(100 + i) + ".nec", "CM\r\nEN\r\n");
  const fs::path outputs = root.driveC / "4nec2" / "b_out" / "K_";
  auto completeOutputs = [&] {
    std::map<std::string, Snapshot> complete;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(outputs, ec)) {
      const std::string name = entry.path().filename().string();
      if (OutputComplete(system, "C:\\4nec2\\b_out\\K_\\" + name))
        complete[name] = {TestRoot::Read(entry.path()), fs::last_write_time(entry.path())};
    }
    return complete;
  };

  const fs::path convert =
      root.Write("convert.vsc", "answer folder \"c:\\4nec2\\b_in\\K_\"\nrun BatchConversion1Click\n");
  const pid_t varnel = StartVarnel(root, convert, root.dir / "convert.txt", 2);
  ASSERT_GT(varnel, 0);
  // Killed once a third of the decks are done and an engine is half-way through its output.
  auto outputFiles = [&] {
    std::size_t files = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(outputs, ec)) files += entry.path().extension() == ".out";
    return files;
  };
  for (int i = 0; i < 4000; ++i) {
    const std::size_t complete = completeOutputs().size();
    if (complete >= kDecks / 3 && outputFiles() > complete) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  kill(varnel, SIGKILL);
  WaitFor(varnel);
  // The engines end with it: wait until no process writes below the root any more.
  for (int i = 0; i < 800 && !ProcessesWith(root.dir.string()).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  const std::map<std::string, Snapshot> before = completeOutputs();
  ASSERT_GE(before.size(), static_cast<std::size_t>(kDecks / 3));
  ASSERT_LT(before.size(), static_cast<std::size_t>(kDecks)) << "killed too late to test anything";

  const fs::path resume = root.Write(
      "resume.vsc", "answer folder \"c:\\4nec2\\b_in\\K_\"\nrun ResumeBatchConversion1Click\nprint Mout\n");
  const pid_t resumed = StartVarnel(root, resume, root.dir / "resume.txt", 2);
  const int status = WaitFor(resumed);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const std::string printed = TestRoot::Read(root.dir / "resume.txt");

  const std::map<std::string, Snapshot> after = completeOutputs();
  EXPECT_EQ(static_cast<std::size_t>(kDecks), after.size()) << printed;
  EXPECT_EQ(static_cast<std::size_t>(kDecks), outputFiles()) << "exactly one output per deck";
  for (const auto& [name, snapshot] : before) {
    ASSERT_TRUE(after.count(name)) << name;
    EXPECT_EQ(snapshot.bytes, after.at(name).bytes) << name;
    EXPECT_EQ(snapshot.time, after.at(name).time) << name << " was written again";
  }
  EXPECT_NE(std::string::npos, printed.find("Kept " + std::to_string(before.size()) + " complete outputs."))
      << printed;
  EXPECT_NE(std::string::npos, printed.find("--------- Resume Batch Conversion Job Done ---------"))
      << printed;
}

}  // namespace

}  // namespace varnel

#endif  // _WIN32
