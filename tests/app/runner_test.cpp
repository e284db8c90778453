// The headless runner: one script per behaviour, run in-process against a private root, and
// the real program run with --script.
#include "test_paths.hpp"
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "engine/conversion.hpp"
#include "mainwindow/VarnelU.hpp"
#include "platform/scripted/runner.hpp"
#include "support/fuzz_seed.hpp"
#include "support/hanging_engine.hpp"
#include "support/scoped_settings.hpp"
#include "support/test_root.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

struct Result {
  int status;
  std::string output;
};

class RunnerTest : public ::testing::Test {
 protected:
  Result Run(const std::string& script) {
    SaveFuzzSeed("script", script);
    std::istringstream in(script);
    std::ostringstream out;
    const int status = RunScriptIn(root, in, out);
    return {status, out.str()};
  }

  TestRoot root;
  SeparatorGuard separator_{DecimalSeparator};  // the decimal directive changes it
};

const char* const kFieldsAfterStart =
    "EditVoltage=\n"
    "EditCurrent=\n"
    "EditImpedance=\n"
    "EditPower=\n"
    "EditFrequency=\n"
    "EditInputPower=\n"
    "EditXStart=\n"
    "EditXStop=\n"
    "EditXStep=\n"
    "EditYStart=\n"
    "EditYStop=\n"
    "EditYStep=\n"
    "EditZStart=\n"
    "EditZStop=\n"
    "EditZStep=\n"
    "EditType=----\n"
    "EditPoint=(10,0|0,0|4,0)\n"
    "EditPointA=(10,0|0,0)\n"
    "EditNormalizePower=1,00 W\n";

// What a script prints, and its status: whole, or the parts it holds (and one it must not hold):
// comments, blank lines and quotes; an unknown directive stops the script naming its line; every
// well-formed directive; an unanswered dialog is reported and cancelled; message boxes are printed
// and the script goes on; Quit ends the script; decimal sets the separator.
TEST_F(RunnerTest, EachScriptPrintsWhatItsDirectivesSay) {
  struct Case {
    int status;
    const char* whole;  // nullptr: the output holds the parts
    std::vector<std::string> parts;
    std::string script;
    const char* absent = nullptr;
  };
  // The fields after start are printed by the program's own run below (RunnerBinary).
  const Case cases[] = {
      {0,
       "plain words here\ntwo  blanks  end\n\nab cd\n",
       {},
       "# a comment\n\n   # an indented comment\r\necho plain words   here\n"
       "echo \"two  blanks\" \"\" end\necho \"\"\necho a\"b c\"d\n"},
      {2, nullptr, {"line 3", "frobnicate now"}, "echo before\n\nfrobnicate now\necho after\n", "after"},
      {0,
       "",
       {},
       "decimal ,\nseed 42\nanswer open cancel\nanswer open \"c:\\4nec2\\out\\dipol.out\"\n"
       "answer save cancel\nanswer folder cancel\nanswer ask cancel\nanswer ask \"1,5\"\n"
       "answer point 1 2\nanswer point 1 2 3\nselect RGPol 4\nselect RGMode 0\nwait 10\n"
       "print M\nprint Mout\nprint Mdata\nprint clipboard\n"},
      {0, nullptr, {"[Dialog] ", ": no answer\nnext\n"}, "run MISaveasTxtClick\necho next\n"},
      {0,
       nullptr,
       {"[Error] Die Datei ", "Varnel Hilfe.pdf konnte nicht gefunden werden!", "done\n"},
       "run MIHelpClick\nrun NECardInfo1Click\necho done\n"},
      {0, "before\n", {}, "echo before\nrun MIQuitClick\necho after\n"},
      {0,
       nullptr,
       {"EditPoint=(10.0|0.0|4.0)\n", "EditNormalizePower=1.00 W\n"},
       "decimal .\nrun Reset\nprint fields\n"},
      // A picture it cannot write is named and the script goes on; this test program links no
      // window binding, so there is no PNG.
      {0,
       nullptr,
       {"[Picture] c:\\4nec2\\t.png: PNG pictures need the window binding",
        "[Picture] c:\\no\\such\\folder\\t.svg: ", "on\n"},
       "picture table c:\\4nec2\\t.png\npicture table c:\\no\\such\\folder\\t.svg\necho on\n"},
      // An empty data pane copies nothing.
      {0,
       "[clipboard]\n[end]\n",
       {},
       "answer save \"c:\\saved table.txt\"\nrun MISaveasTxtClick\nrun MICopytoClipboardClick\n"
       "echo [clipboard]\nprint clipboard\necho [end]\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const Result r = Run(c.script);
    EXPECT_EQ(c.status, r.status) << r.output;
    if (c.whole) {
      EXPECT_EQ(c.whole, r.output);
    }
    for (const std::string& part : c.parts) EXPECT_NE(std::string::npos, r.output.find(part)) << r.output;
    if (c.absent) {
      EXPECT_EQ(std::string::npos, r.output.find(c.absent)) << "nothing after the bad line runs";
    }
  }
  // The sample tree was made before the window.
  EXPECT_TRUE(std::filesystem::exists(root.driveC / "4nec2" / "out" / "dipol.out"));
  EXPECT_TRUE(std::filesystem::is_directory(root.driveC / "4nec2" / "b_in" / "Ranges"));
  EXPECT_TRUE(std::filesystem::exists(root.driveC / "saved table.txt"));
}

TEST_F(RunnerTest, MalformedLinesStopWithStatusTwo) {
  for (const char* line : {"run NoSuchHandlerClick", "run", "select RGPol 5", "select RGMode -1",
                           "select RGFoo 1", "decimal ab", "seed x", "answer open", "answer door x",
                           "answer point 1", "print nothing", "echo \"unterminated", "wait", "wait soon",
                           // the picture directive's
                           "picture fieldmap c:\\4nec2\\m.svg sideways", "picture chart c:\\4nec2\\m.svg",
                           "picture table", "picture table a.svg b", "picture table a.svg linear b",
                           "picture fieldmap m.svg limits 5", "picture fieldmap m.svg limits 9 3",
                           "picture table t.svg size 10x10", "picture zline z.svg size big"}) {
    const Result r = Run(std::string(line) + "\n");
    EXPECT_EQ(2, r.status) << line;
    EXPECT_NE(std::string::npos, r.output.find("line 1: ")) << line << ": " << r.output;
  }
}

TEST_F(RunnerTest, AFilterStartsOnlyTheCommandsItLets) {
  ScriptedFixture f;
  TForm1 form(f.platform);
  std::istringstream good(
      "answer save \"c:\\t.txt\"\nrun MISaveasTxtClick\nrun MIQuitClick\n"
      "answer point 1 2 3\nrun EditPointDblClick\npicture table \"c:\\p.svg\"\necho after\n");
  const auto onlyPoint = [](const std::string& handler) { return handler == "EditPointDblClick"; };
  EXPECT_EQ(0, RunScriptOn(f.ui, form, good, f.out, onlyPoint));
  EXPECT_EQ("after\n", f.out.str()) << "neither the save nor the quit ran";
  EXPECT_FALSE(std::filesystem::exists(f.root.driveC / "t.txt"));
  EXPECT_FALSE(std::filesystem::exists(f.root.driveC / "p.svg")) << "nor the picture";
  EXPECT_EQ("(1,0|2,0|3,0)", form.EditPoint.text);
  std::istringstream bad("run NoSuchHandlerClick\n");
  EXPECT_EQ(2, RunScriptOn(f.ui, form, bad, f.out, onlyPoint));
}

// ---- The real program --------------------------------------------------------------------

// A shell command's exit status and output (standard output and error).
Result RunShell(const std::string& command) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return {-1, "popen failed"};
  std::string output;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// environment: further NAME=value settings ("LC_ALL=en_US.UTF-8").
Result RunBinary(const TestRoot& root, const std::string& arguments, const std::string& environment = "") {
  return RunShell("env -u LC_ALL -u LC_NUMERIC LANG=C " + environment + " WINEPREFIX='" + root.dir.string() +
                  "' HOME='" + root.home.string() + "' '" + VARNEL_BINARY + "' " + arguments);
}

// The demo as `bash dev run` starts it without a display, with further environment settings.
Result RunDemo(const TestRoot& root, const std::string& environment) {
  return RunShell("env -u WINEPREFIX -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL -u LC_NUMERIC LANG=C HOME='" +
                  root.home.string() + "' TMPDIR='" + root.dir.string() + "' " + environment + " bash '" +
                  VARNEL_SOURCE_DIR + "/tools/headless_demo.sh' '" + VARNEL_BINARY + "'");
}

// A script file runs on the drive c: of WINEPREFIX, with --jobs from one to the processor count;
// a bad line in it, an unknown argument, a missing script and any other --jobs end with status 2.
TEST(RunnerBinary, RunsAScriptFileAndRefusesBadLinesAndArguments) {
  TestRoot root;
  const auto script = root.Write("start.vsc", "echo fields:\nprint fields\n");
  const Result r =
      RunBinary(root, "--jobs " + std::to_string(MostParallelRuns()) + " --script '" + script.string() + "'");
  EXPECT_EQ(0, r.status) << r.output;
  EXPECT_EQ(std::string("fields:\n") + kFieldsAfterStart, r.output);
  EXPECT_TRUE(std::filesystem::exists(root.driveC / "4nec2" / "out" / "dipol.out"))
      << "drive c: is the one of WINEPREFIX";
  const auto bad = root.Write("bad.vsc", "print fields\nbogus\n");
  const Result refused = RunBinary(root, "--script '" + bad.string() + "'");
  EXPECT_EQ(2, refused.status) << refused.output;
  EXPECT_NE(std::string::npos, refused.output.find("line 2")) << refused.output;
  EXPECT_EQ(2, RunBinary(root, "--frobnicate").status);
  EXPECT_EQ(2, RunBinary(root, "--script '" + (root.dir / "missing.vsc").string() + "'").status);
  for (const std::string& jobs : {std::string("0"), std::string("x"), std::string("-1"), std::string("''"),
                                  std::to_string(MostParallelRuns() + 1)}) {
    const Result refusedJobs = RunBinary(root, "--jobs " + jobs + " --script '" + script.string() + "'");
    EXPECT_EQ(2, refusedJobs.status) << jobs << ": " << refusedJobs.output;
    EXPECT_NE(std::string::npos, refusedJobs.output.find("--jobs takes a whole number"))
        << refusedJobs.output;
  }
}

// Under the C locale (decimal comma) and an English one (decimal point) the sample range file
// and the offered answers are read as written: the road writes its decks without a warning.
TEST(RunnerBinary, TheSamplesAndOfferedAnswersWorkInEveryLocale) {
  const bool english = std::system("locale -a 2>/dev/null | grep -qi '^en_US\\.utf-\\?8$'") == 0;
  for (const auto& [locale, point] : {std::pair{"C", ','}, std::pair{"en_US.UTF-8", '.'}}) {
    if (point == '.' && !english) continue;  // bash dev test makes the English locale
    TestRoot root;
    const auto file =
        root.Write("road.vsc",  // the count, then the five answers as offered
                   "answer open \"c:\\4nec2\\b_in\\Ranges\\Range01 Test.txt\"\nanswer ask 2\n"
                   "answer ask default\nanswer ask default\nanswer ask default\nanswer ask default\n"
                   "answer ask default\nanswer ask default\nrun MIGenerateEUTsClick\n");
    const Result r = RunBinary(root, "--script '" + file.string() + "'", "LC_ALL=" + std::string(locale));
    EXPECT_EQ(std::string::npos, r.output.find("[Warning]")) << locale << "\n" << r.output;
    EXPECT_NE(std::string::npos, TestRoot::Read(root.driveC / "4nec2" / "b_in" / "E_" / "E_.txt")
                                     .find(std::string("Height of EUT volume........:  1") + point + "5 m"))
        << locale;
    EXPECT_TRUE(std::filesystem::exists(root.driveC / "4nec2" / "b_in" / "E_" / "E_002_001.nec")) << r.output;
  }
}

// The demo as `bash dev run` starts it without a display: in a fresh drive picture of its own,
// never in the user's (~/.wine/drive_c when WINEPREFIX is unset).
TEST(RunnerBinary, RunsTheBundledDemoInAFreshDrivePictureAndLeavesTheUsersAlone) {
  TestRoot root;
  namespace fs = std::filesystem;
  const fs::path userC = root.home / ".wine" / "drive_c" / "4nec2";
  const fs::path planted[] = {root.Write("home/.wine/drive_c/4nec2/b_in/E_/mine.nec", "mine"),
                              root.Write("home/.wine/drive_c/4nec2/b_out/E_/mine.out", "mine")};
  const auto [status, output] = RunDemo(root, "");
  EXPECT_EQ(0, status) << output;
  // The typical road runs from generation to the saved table without a failure or a dialog
  // left unanswered.
  for (const char* expected :
       {"--------- Batch Creation Job Done ---------", "--------- Batch Conversion Job Done ---------",
        "//  Numb ;   Cyl.  ;    Cir  ;   Point ;    Freq ;    Pwr  ;", "Saved c:\\4nec2\\EUT table.txt (",
        "The demo ran to its end", "ssh -X", "bash dev test"})
    EXPECT_NE(std::string::npos, output.find(expected)) << expected << "\n" << output;
  // P lies in the plane of the decks' near-field grid, so every cell has a value.
  EXPECT_EQ(std::string::npos, output.find("NAN")) << output;
  EXPECT_EQ(std::string::npos, output.find("[Error]")) << output;
  EXPECT_EQ(std::string::npos, output.find("no answer")) << output;

  for (const fs::path& file : planted) EXPECT_EQ("mine", TestRoot::Read(file)) << file;
  EXPECT_FALSE(fs::exists(userC / "EUT table.txt")) << output;
  // It says where it ran, and that folder holds the demo's results.
  const std::size_t at = output.find(root.dir.string() + "/varnel-demo.");
  ASSERT_NE(std::string::npos, at) << output;
  const fs::path demoC = output.substr(at, output.find('\n', at) - at);
  EXPECT_TRUE(fs::exists(demoC / "4nec2" / "EUT table.txt")) << output;
  EXPECT_NE(std::string::npos, output.find((demoC / "4nec2" / "EUT table.txt").string())) << output;
  // It ends with the field map of the last test object and the distributions of the set, and
  // both render.
  const std::pair<const char*, const char*> pictures[] = {
      {"EUT field map.svg", "XY plane at z = 1,3 m, Total (A/m)"},
      {"EUT table.svg", "CDF of Cyl. per frequency"}};
  const bool renderer = std::system("command -v rsvg-convert >/dev/null 2>&1") == 0;
  for (const auto& [name, title] : pictures) {
    EXPECT_NE(std::string::npos, TestRoot::Read(demoC / "4nec2" / name).find(title)) << name;
    const std::string png = (root.dir / "picture.png").string();
    if (renderer) {
      EXPECT_EQ(0, std::system(
                       ("rsvg-convert -o '" + png + "' '" + (demoC / "4nec2" / name).string() + "'").c_str()))
          << name;
    }
  }
}

// An engine that fails stops the demo at that step, with a failing exit status.
TEST(RunnerBinary, TheDemoStopsAtAFailedStepAndSaysWhich) {
  TestRoot root;
  root.Write("bin/nec2c", "#!/bin/sh\nexit 1\n");
  std::filesystem::permissions(root.dir / "bin" / "nec2c", std::filesystem::perms::owner_all);
  const auto [status, output] = RunDemo(root, "PATH='" + (root.dir / "bin").string() + ":/usr/bin:/bin'");
  EXPECT_EQ(1, status) << output;
  EXPECT_NE(std::string::npos, output.find("The demo stopped at the step \"Convert To Output Files > Batch "
                                           "Conversion of c:\\4nec2\\b_in\\E_\":"))
      << output;
  EXPECT_EQ(std::string::npos, output.find("Analyse EUTs")) << output;
}

// A runner waiting for an engine that never ends is ended by a signal: what it printed before
// is in its output, and the engine and the engine's own child are gone with it. Killed outright
// (SIGKILL) it can say nothing more, but its engine still ends with it; the engine's own child is
// not the runner's, only the end of the group would take it.
TEST(RunnerBinary, ASignalEndsTheRunnerAndItsEngineAndKeepsWhatWasPrinted) {
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(signalNumber);
    TestRoot root;
    const std::filesystem::path launcher = hanging_engine::Plant(root);
    root.Write("drive_c/4nec2/b_in/hang/x.nec", "CM\r\nCE\r\nEN\r\n");
    const auto script = root.Write("hang.vsc",
                                   "echo before\nanswer folder \"c:\\4nec2\\b_in\\hang\"\n"
                                   "run BatchConversion1Click\necho after\n");
    const std::string output = (root.dir / "output.txt").string();
    const pid_t runner = fork();
    ASSERT_GE(runner, 0);
    if (runner == 0) {
      const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, STDOUT_FILENO);
      dup2(fd, STDERR_FILENO);
      for (int s : {SIGTERM, SIGINT, SIGHUP}) signal(s, SIG_DFL);
      setenv("WINEPREFIX", root.dir.c_str(), 1);
      setenv("HOME", root.home.c_str(), 1);
      execl(VARNEL_BINARY, VARNEL_BINARY, "--script", script.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    const long engine = hanging_engine::WaitForPid(launcher.string() + ".pid");
    const long child = hanging_engine::WaitForPid(launcher.string() + ".child");
    EXPECT_NE(0, engine);
    EXPECT_EQ("before\n", TestRoot::Read(output)) << "printed before the engine started";
    kill(runner, signalNumber);
    int status = 0;
    ASSERT_EQ(runner, waitpid(runner, &status, 0));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << status;
    const bool outright = signalNumber == SIGKILL;
    const bool engineGone = hanging_engine::Gone(engine), childGone = outright || hanging_engine::Gone(child);
    EXPECT_TRUE(engineGone);
    EXPECT_TRUE(childGone);
    if (engine > 0 && !(engineGone && childGone)) kill(static_cast<pid_t>(-engine), SIGKILL);  // no leftovers
    if (outright && child > 0) kill(static_cast<pid_t>(child), SIGKILL);
    const std::string printed = TestRoot::Read(output);
    EXPECT_EQ(0u, printed.find("before\n")) << printed;
    EXPECT_EQ(!outright, printed.find("ended the running engine") != std::string::npos) << printed;
    EXPECT_EQ(std::string::npos, printed.find("after")) << printed;
  }
}

TEST(CommandLineTest, TakesTheOptionsInAnyOrderAndRefusesTheRest) {
  struct Case {
    std::vector<std::string> arguments;
    bool valid;
    int jobs = 0;  // 0: not given, the window's default
    const char* script = "";
    bool window = false, progress = false;
  };
  const Case cases[] = {
      {{}, true},
      {{"--script", "s.vsc", "--jobs", "1"}, true, 1, "s.vsc"},
      {{"--jobs", "1", "--script", "s.vsc", "--window"}, true, 1, "s.vsc", true},
      {{"--progress", "--script", "-", "--window"}, true, 0, "-", true, true},
      {{"--screenshot", "w.png", "--jobs", "1"}, true, 1},
      {{"--script"}, false},
      {{"--script", "a", "--script", "b"}, false},
      {{"--window"}, false},
      {{"--progress"}, false},
      {{"--script", "a", "--screenshot", "w.png"}, false},
      {{"--script", "a", "--verbose"}, false},
      {{"--jobs", "0", "--script", "a"}, false},
  };
  for (const Case& c : cases) {
    std::ostringstream err;
    const std::optional<CommandLine> line = ParseCommandLine(c.arguments, err);
    ASSERT_EQ(c.valid, line.has_value()) << testing::PrintToString(c.arguments) << ": " << err.str();
    EXPECT_EQ(c.valid, err.str().empty()) << err.str();
    if (!line) continue;
    EXPECT_EQ(c.jobs, line->engineJobs);
    EXPECT_EQ(c.script, line->script.value_or(""));
    EXPECT_EQ(c.window, line->window);
    EXPECT_EQ(c.progress, line->progress);
  }
}

// --progress prints the Info lines as the command writes them, before what the script prints
// after it; `stop 2` presses Stop once the listing has begun its second name.
TEST(RunnerBinary, ProgressPrintsTheInfoLinesAsWrittenAndStopEndsTheCommand) {
  TestRoot root;
  for (const char* name : {"a.out", "b.out", "c.out"})
    root.Write("drive_c/4nec2/b_out/three/" + std::string(name), "x");
  const auto script = root.Write(
      "stop.vsc", "answer folder c:\\4nec2\\b_out\\three\nstop 2\nrun MIAddBatchFolderClick\necho after\n");
  const Result r = RunBinary(root, "--progress --script '" + script.string() + "' --jobs 1");
  EXPECT_EQ(0, r.status) << r.output;
  EXPECT_EQ(
      "--------------- Add Batch Folder ----------------\n"
      "Batch Folder selected: c:\\4nec2\\b_out\\three\n"
      "Files (with *.out):\n"
      "....FileNames reading finished!\n"
      "a.out\n"
      "b.out\n"
      "after\n",
      r.output);
  EXPECT_EQ("after\n", RunBinary(root, "--script '" + script.string() + "'").output) << "no pane lines";
}

}  // namespace
}  // namespace varnel
