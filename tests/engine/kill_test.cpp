// The program killed outright (SIGKILL) while it converts: its engines end with it, and Resume
// Batch Conversion then leaves every deck with exactly one complete output, keeps every output
// that was complete untouched and takes no partial one for complete. Runs the real program
// (Linux: the Windows build has its own engine tests).
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "engine/conversion.hpp"
#include "platform/posix/posix_system.hpp"
#include "support/classic_output.hpp"
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

TEST(KilledProgram, ItsEngineEndsWithIt) {
  TestRoot root;
  const fs::path launcher = hanging_engine::Plant(root);
  root.Write("drive_c/4nec2/b_in/hang/x.nec", "CM\r\nEN\r\n");
  const fs::path script =
      root.Write("hang.vsc", "answer folder \"c:\\4nec2\\b_in\\hang\"\nrun BatchConversion1Click\n");
  const pid_t varnel = StartVarnel(root, script, root.dir / "output.txt", 1);
  ASSERT_GT(varnel, 0);
  const long engine = hanging_engine::WaitForPid(launcher.string() + ".pid");
  ASSERT_NE(0, engine);
  kill(varnel, SIGKILL);
  WaitFor(varnel);
  const bool gone = hanging_engine::Gone(engine);
  EXPECT_TRUE(gone) << "the engine outlived the program";
  if (!gone) kill(static_cast<pid_t>(-engine), SIGKILL);
  // The launcher's own child is not the program's: only the group's end would take it.
  if (const long child = hanging_engine::WaitForPid(launcher.string() + ".child")) kill(child, SIGKILL);
}

// A fake engine that writes its print in three parts with pauses, so that a kill finds outputs
// half written.
void PlantSlowWriter(TestRoot& root) {
  const fs::path print = root.Write("print.out", ClassicOutputText(ClassicOutput{}));
  const std::string script = "#!/bin/sh\nout=$(printf '%s' \"$2\" | sed -e 's|^[cC]:|" +
                             root.driveC.string() +
                             "|' -e 's|\\\\|/|g')\n"
                             "head -c 1000 '" +
                             print.string() +
                             "' > \"$out\"; sleep 0.05\n"
                             "tail -c +1001 '" +
                             print.string() +
                             "' | head -c 1000 >> \"$out\"; sleep 0.05\n"
                             "tail -c +2001 '" +
                             print.string() + "' >> \"$out\"\n";
  const fs::path path = root.Write("drive_c/4nec2/exe/nec2dxs1k5.exe", script);
  fs::permissions(path, fs::perms::owner_all);
}

struct Snapshot {
  std::string bytes;
  fs::file_time_type time;
};

TEST(KilledProgram, ResumeAfterAKillLeavesOneCompleteOutputPerDeck) {
  TestRoot root;
  PosixSystem system{root.Roots()};
  PlantSlowWriter(root);
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
  for (int i = 0; i < 2400 && completeOutputs().size() < kDecks / 3; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  kill(varnel, SIGKILL);
  WaitFor(varnel);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the engines end with it
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
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(outputs)) files += entry.path().extension() == ".out";
  EXPECT_EQ(static_cast<std::size_t>(kDecks), files) << "exactly one output per deck";
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
