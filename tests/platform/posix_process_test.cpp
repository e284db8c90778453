#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

#include "platform/posix/posix_system.hpp"
#include "support/hanging_engine.hpp"
#include "support/scoped_settings.hpp"
#include "support/test_root.hpp"

namespace varnel {

namespace fs = std::filesystem;

namespace {

fs::path WriteScript(TestRoot& root, const std::string& relative, const std::string& body) {
  fs::path path = root.Write(relative, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
  return path;
}

// Polls the condition until it holds, giving up after a few seconds.
template <class Condition>
bool Within(Condition condition) {
  for (int i = 0; i < 400; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return false;
}

// Waits like the batch conversion does, but gives up after a few seconds.
bool WaitForEnd(System& system, ProcessHandle handle) {
  return Within([&] { return system.ProcessEnded(handle); });
}

// 'Z' while the process is a zombie, ' ' when it is gone.
char ProcessState(std::int64_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::size_t close = content.rfind(')');
  return close == std::string::npos || close + 2 >= content.size() ? ' ' : content[close + 2];
}

// A private drive c: with the POSIX system over it.
struct PosixProcess : ::testing::Test {
  TestRoot root;
  PosixSystem p{root.Roots()};
};

}  // namespace

// The parameter text is split at blanks, a blank inside a path too; the program runs in the
// current folder. A failed start gives no handle and the system's text.
TEST_F(PosixProcess, SplitsTheParameterTextAtBlanksInheritsTheCurrentFolderOrFailsWithTheSystemsText) {
  WriteScript(root, "drive_c/4nec2/exe/engine.exe",
              "{ echo \"$#\"; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; pwd -P; } > args.txt\n");
  fs::create_directories(root.driveC / "4nec2/b_in/dipol");
  ASSERT_TRUE(p.SetCurrentFolder("c:\\4nec2\\b_in\\dipol"));
  const std::string folder = fs::canonical(root.driveC / "4nec2/b_in/dipol").string() + "\n";
  const std::pair<const char*, std::string> cases[] = {
      {"dipol000.nec  C:\\4nec2\\b_out\\dipol\\dipol000.out",
       "2\n[dipol000.nec]\n[C:\\4nec2\\b_out\\dipol\\dipol000.out]\n" + folder},
      {"c:\\my decks\\a.nec c:\\out\\a.out", "3\n[c:\\my]\n[decks\\a.nec]\n[c:\\out\\a.out]\n" + folder},
  };
  for (const auto& [parameters, args] : cases) {
    std::string error;
    ProcessHandle handle = p.StartProcess("c:\\4NEC2\\exe\\engine.exe", parameters, error);
    ASSERT_TRUE(handle) << error;
    ASSERT_TRUE(WaitForEnd(p, handle));
    p.CloseProcess(handle);
    EXPECT_EQ(args, TestRoot::Read(root.driveC / "4nec2/b_in/dipol/args.txt")) << parameters;
  }

  root.Write("drive_c/not-executable.exe", "#!/bin/sh\n");
  fs::create_directories(root.driveC / "folder.exe");
  fs::permissions(root.Write("drive_c/real.exe", std::string("MZ\x90\0\3\0\0\0", 8)), fs::perms::owner_all);
  const bool wine =
      fs::exists("/usr/bin/wine") || fs::exists("/usr/local/bin/wine") || fs::exists("/bin/wine");
  const std::pair<std::string, const char*> failures[] = {
      {"c:\\4nec2\\exe\\missing.exe", "No such file or directory"},
      {"c:\\not-executable.exe", "Permission denied"},
      {"c:\\folder.exe", "Is a directory"},
      {"q:\\x.exe", "No such file or directory"},
      {"c:\\real.exe", "Exec format error"},  // a Windows program, where no wine starts it
  };
  for (const auto& [program, text] : failures) {
    if (wine && program == "c:\\real.exe") continue;
    std::string error;
    EXPECT_FALSE(p.StartProcess(program, "a b", error)) << program;
    EXPECT_EQ(text, error) << program;
  }
}

TEST_F(PosixProcess, EndedProcessesAreReapedAndUnknownHandlesCountAsEnded) {
  WriteScript(root, "drive_c/quick.sh", "exit 3\n");
  WriteScript(root, "drive_c/slow.sh", "sleep 0.3\n");
  std::string error;

  ProcessHandle quick = p.StartProcess("c:\\quick.sh", "", error);
  ASSERT_TRUE(quick) << error;
  // A wait for any end returns when it comes, long before its limit; and at once when one has.
  WriteScript(root, "drive_c/hang.sh", "sleep 600\n");
  const ProcessHandle hanging = p.StartProcess("c:\\hang.sh", "", error);
  for (int i = 0; i < 2; ++i) p.WaitForAnyProcess({hanging, quick}, 30000);
  EXPECT_FALSE(p.ProcessEnded(hanging));
  p.EndProcess(hanging);
  p.CloseProcess(hanging);
  ASSERT_TRUE(WaitForEnd(p, quick));
  EXPECT_EQ(' ', ProcessState(quick.id)) << "left as a zombie";
  EXPECT_TRUE(p.ProcessEnded(quick));
  p.CloseProcess(quick);

  // A handle closed while its process runs: the process is reaped later all the same.
  ProcessHandle slow = p.StartProcess("c:\\slow.sh", "", error);
  ASSERT_TRUE(slow) << error;
  EXPECT_FALSE(p.ProcessEnded(slow));
  p.CloseProcess(slow);
  EXPECT_TRUE(p.ProcessEnded(slow));  // unknown now
  // Once it has ended, the next look at any handle reaps it.
  EXPECT_TRUE(Within([&] { return p.ProcessEnded(ProcessHandle{}) && ProcessState(slow.id) == ' '; }))
      << "left as a zombie";

  EXPECT_TRUE(p.ProcessEnded(ProcessHandle{}));
  EXPECT_TRUE(p.ProcessEnded(ProcessHandle{999999999}));
}

TEST_F(PosixProcess, EndProcessEndsTheProgramAndWhatItStarted) {
  const fs::path launcher = hanging_engine::Plant(root);
  std::string error;
  ProcessHandle handle =
      p.StartProcess("c:\\4nec2\\exe\\" + launcher.filename().string(), "a.nec a.out", error);
  ASSERT_TRUE(handle) << error;
  const long engine = hanging_engine::WaitForPid(launcher.string() + ".pid");
  const long child = hanging_engine::WaitForPid(launcher.string() + ".child");
  ASSERT_EQ(handle.id, engine);
  p.EndProcess(handle);
  EXPECT_EQ(' ', ProcessState(engine)) << "ended and reaped";
  EXPECT_TRUE(hanging_engine::Gone(child));
  EXPECT_TRUE(p.ProcessEnded(handle));
  p.EndProcess(handle);  // a released handle: nothing happens
  p.CloseProcess(handle);
}

// The opener on PATH tells whether a program was found for the document: one that fails at
// once found none, one that succeeds or goes on running found one. The window waits briefly.
TEST_F(PosixProcess, DesktopOpenerTellsWhetherAProgramWasStarted) {
  root.Write("drive_c/doc.txt", "x");
  const fs::path bin = root.dir / "bin";
  const fs::path started = root.dir / "started";
  // The script of xdg-open (nullptr: none on PATH), the path, and whether it was opened.
  const std::tuple<const char*, const char*, bool> cases[] = {
      {nullptr, "c:\\doc.txt", false},
      {"exit 3\n", "c:\\doc.txt", false},  // "no method available"
      {"exit 0\n", "c:\\doc.txt", true},
      {"exit 0\n", "q:\\unmapped.txt", false},
      {"exec /bin/sleep 5\n", "c:\\doc.txt", true},  // waits for the program it started
      {"echo \"$1\" > '__STARTED__'\n", "c:\\doc.txt", true},
  };
  for (const auto& [script, path, opened] : cases) {
    fs::remove_all(bin);
    fs::create_directories(bin);
    if (script) {
      std::string body = script;
      if (const std::size_t at = body.find("__STARTED__"); at != std::string::npos)
        body.replace(at, 11, started.string());
      WriteScript(root, "bin/xdg-open", body);
    }
    ScopedEnv searchPath("PATH", bin.c_str());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(opened, OpenWithDesktopOpener(root.Roots(), path)) << (script ? script : "none");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  }
  EXPECT_EQ((root.driveC / "doc.txt").string() + "\n", TestRoot::Read(started));
}

}  // namespace varnel
