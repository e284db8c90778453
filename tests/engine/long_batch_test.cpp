// The batch conversion over long runs: each run is checked (exit status, a complete output),
// Resume converts only what is missing or incomplete, Batch Conversion asks before it deletes
// results, Stop ends the running engines, and a folder another program works on is refused.
// Fake engines are Linux shell scripts.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/event_action.hpp"
#include "engine/conversion.hpp"
#include "engine/conversion_fixture.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

#ifndef _WIN32  // starts fake engines

// The fake engine's output by deck: a.nec and others a complete print; "exit1.nec" nothing and
// exit status 1; "header.nec" the first 300 bytes and status 0; "crash.nec" 2000 bytes and then
// a segmentation fault; "slow*.nec" 2000 bytes and then a long sleep.
const char* const kByDeck =
    "case \"$1\" in\n"
    "  exit1.nec) exit 1;;\n"
    "  header.nec) head -c 300 \"$print\" > \"$out\";;\n"
    "  crash.nec) head -c 2000 \"$print\" > \"$out\"; kill -SEGV $$;;\n"
    "  slow*.nec) head -c 2000 \"$print\" > \"$out\"; sleep 30;;\n"
    "  *) printf '%s\\r\\n' \"$*\" > \"$out\"; cat \"$print\" >> \"$out\";;\n"
    "esac\n";

using LongBatchTest = ConversionTest;

TEST_F(LongBatchTest, ResumeConvertsOnlyMissingAndIncompleteOutputs) {
  FakeEngine("nec2dxs1k5.exe");
  const fs::path out = Decks("E_", {"a.nec", "b.nec", "c.nec", "d.nec"});
  fs::create_directories(out);
  const fs::path kept = root.Write("drive_c/4nec2/b_out/E_/a.out", CompleteOutput("earlier run"));
  const fs::path partial = root.Write("drive_c/4nec2/b_out/E_/b.out", CompleteOutput("x").substr(0, 900));
  const fs::path foreign = root.Write("drive_c/4nec2/b_out/E_/notes.txt", "mine");
  const auto keptTime = fs::last_write_time(kept);

  ui.AnswerFolder("c:\\4nec2\\b_in\\E_");
  ASSERT_TRUE(form.Run("ResumeBatchConversion1Click"));
  std::vector<std::string> runs = LogLines();
  std::sort(runs.begin(), runs.end());
  EXPECT_EQ((std::vector<std::string>{"nec2dxs1k5.exe|b.nec C:\\4nec2\\b_out\\E_\\b.out",
                                      "nec2dxs1k5.exe|c.nec C:\\4nec2\\b_out\\E_\\c.out",
                                      "nec2dxs1k5.exe|d.nec C:\\4nec2\\b_out\\E_\\d.out"}),
            runs);
  EXPECT_EQ(CompleteOutput("earlier run"), TestRoot::Read(kept));
  EXPECT_EQ(keptTime, fs::last_write_time(kept));
  EXPECT_EQ(CompleteOutput("b.nec C:\\4nec2\\b_out\\E_\\b.out"), TestRoot::Read(partial)) << "replaced";
  EXPECT_EQ("mine", TestRoot::Read(foreign));
  EXPECT_EQ("--------------- Resume Batch Conversion ----------------", form.Mout.lines[0]);
  EXPECT_FALSE(Has("Old Folder sucessfully deleted: C:\\4nec2\\b_out\\E_\\"));
  EXPECT_EQ(3u, Converting().size());
  EXPECT_EQ("Kept 1 complete outputs.", form.Mout.lines.end()[-2]);
  EXPECT_EQ("--------- Resume Batch Conversion Job Done ---------", form.Mout.lines.back());
  EXPECT_TRUE(ui.messages.empty());

  // A second Resume finds everything complete; one without an output folder converts whole.
  ASSERT_TRUE(fs::remove(out / "c.out"));
  ui.AnswerFolder("c:\\4nec2\\b_in\\E_");
  ASSERT_TRUE(form.Run("ResumeBatchConversion1Click"));
  EXPECT_EQ(std::vector<std::string>{"Converting: c.nec  --> c.out ......done."}, Converting());
  EXPECT_EQ("Kept 3 complete outputs.", form.Mout.lines.end()[-2]);
  Decks("new", {"x.nec", "y.nec"});
  ui.AnswerFolder("c:\\4nec2\\b_in\\new");
  ASSERT_TRUE(form.Run("ResumeBatchConversion1Click"));
  EXPECT_TRUE(Has("New Folder sucessfully created: C:\\4nec2\\b_out\\new\\"));
  EXPECT_EQ(2u, Converting().size());
  EXPECT_EQ("Kept 0 complete outputs.", form.Mout.lines.end()[-2]);
}

// Resume lets events in (Stop, Quit) while it checks a long list, and removes an incomplete
// output before the first engine runs, so that a Stop before its deck's turn leaves none.
TEST_F(LongBatchTest, ResumeLetsEventsInWhileItChecksAndRemovesIncompleteOutputsFirst) {
  FakeEngine("nec2dxs1k5.exe");
  std::vector<std::string> names = {"a.nec", "z.nec"};
  for (int k = 0; k < 120; ++k) names.push_back(FormatInt("k%03d.nec", k));
  const fs::path out = Decks("E_", names);
  for (int k = 0; k < 120; ++k) {
    const std::string name = FormatInt("k%03d", k);
    root.Write("drive_c/4nec2/b_out/E_/" + name + ".out", CompleteOutput(name));
  }
  const std::string partial = CompleteOutput("z").substr(0, 900);
  root.Write("drive_c/4nec2/b_out/E_/z.out", partial);
  int eventsBeforeRuns = 0;
  bool partialDuringRuns = false;
  OnEvents(ui, [&] {
    if (Converting().empty())
      ++eventsBeforeRuns;
    else if (fs::exists(out / "z.out") && TestRoot::Read(out / "z.out") == partial)
      partialDuringRuns = true;
  });
  ui.AnswerFolder("c:\\4nec2\\b_in\\E_");
  ASSERT_TRUE(form.Run("ResumeBatchConversion1Click"));
  EXPECT_EQ(2u, Converting().size());
  EXPECT_GE(eventsBeforeRuns, 2);
  EXPECT_FALSE(partialDuringRuns);
  EXPECT_EQ("Kept 120 complete outputs.", form.Mout.lines.end()[-2]);
}

// What a cluster job left, accounted for alone: a whole output passes, a deck its task reported
// failed is named with the reason and its task's log, one without output is missing, and an
// output cut short is removed.
TEST_F(LongBatchTest, TheClusterAccountNamesEveryDeckWithoutAWholeOutputAndRemovesCutOnes) {
  const fs::path out = Decks("E_", {"a.nec", "b.nec", "c.nec", "d.nec", "e.nec"});
  root.Write("drive_c/4nec2/b_out/E_/a.out", CompleteOutput("a"));
  root.Write("drive_c/4nec2/b_out/E_/b.out", CompleteOutput("b").substr(0, 900));
  root.Write("drive_c/4nec2/b_out/E_/e.out", CompleteOutput("e").substr(0, 900));
  ClusterJob job;
  job.decks = {"a.nec", "b.nec", "c.nec", "d.nec", "e.nec"};
  job.chunk = 2;
  const ClusterAccount account =
      AccountForClusterJob(system, job, "c:\\4nec2\\b_in\\E_\\", "c:\\4nec2\\b_out\\E_\\",
                           {{"b.nec", {"failed", "b.nec", "incomplete output"}},
                            {"c.nec", {"failed", "c.nec", "exit status 3"}},
                            {"e.nec", {"done", "e.nec", ""}}});
  EXPECT_EQ(
      (std::vector<std::string>{"  b.nec ......failed (incomplete output; task-0.log).",
                                "  c.nec ......failed (exit status 3; task-1.log).",
                                "  d.nec ......missing (no output; task-1.log).",
                                "  e.nec ......missing (its incomplete output was removed; task-2.log)."}),
      account.lines);
  EXPECT_EQ(2u, account.failed);
  EXPECT_EQ(2u, account.missing);
  EXPECT_TRUE(fs::exists(out / "a.out"));
  EXPECT_FALSE(fs::exists(out / "b.out"));
  EXPECT_FALSE(fs::exists(out / "e.out"));
}

// Answered No, or not answered at all (a script), the question deletes nothing; it counts the
// sub-folders and their files too. Neither command touches a folder another program works on.
TEST_F(LongBatchTest, BatchConversionAnsweredNoOrNotAtAllOrLockedElsewhereDeletesNothing) {
  FakeEngine("nec2dxs1k5.exe");
  const fs::path out = Decks("E_", {"a.nec"});
  const fs::path earlier = root.Write("drive_c/4nec2/b_out/E_/a.out", "earlier");
  root.Write("drive_c/4nec2/b_out/E_/b.out", "earlier");
  const fs::path summary = root.Write("drive_c/4nec2/b_out/E_/analysis/sub/summary.txt", "the user's");
  const std::string question =
      "C:\\4nec2\\b_out\\E_\\ holds 2 output files and 1 folder with 1 file. Delete "
      "them and convert every deck anew? (No keeps them; Resume Batch Conversion "
      "converts only the missing ones.)";
  ui.AnswerConfirm(false);
  for (int run = 0; run < 2; ++run) {
    ui.AnswerFolder("c:\\4nec2\\b_in\\E_");
    ASSERT_TRUE(form.Run("BatchConversion1Click"));
  }
  EXPECT_EQ(std::vector<std::string>{question + " No"}, Messages("[Question] "));
  EXPECT_EQ(std::vector<std::string>{"no answer to: " + question + " Abort command!"},
            Messages("[Warning] "));
  EXPECT_EQ("earlier", TestRoot::Read(earlier));
  EXPECT_EQ("the user's", TestRoot::Read(summary));
  EXPECT_TRUE(LogLines().empty());
  EXPECT_FALSE(Has("Old Folder sucessfully deleted: C:\\4nec2\\b_out\\E_\\"));

  // A folder another program works on is left alone by both commands.
  for (const char* command : {"BatchConversion1Click", "ResumeBatchConversion1Click"}) {
    for (const char* held : {"C:\\4nec2\\b_out\\E_\\", "c:\\4nec2\\b_in\\E_\\"}) {
      SCOPED_TRACE(std::string(command) + " " + held);
      system.lockHeld = held;
      ui.messages.clear();
      ui.AnswerFolder("c:\\4nec2\\b_in\\E_");
      ASSERT_TRUE(form.Run(command));
      EXPECT_EQ(
          std::vector<std::string>{std::string("Another Varnel is working on ") + held + ". Abort command!"},
          Messages("[Warning] "));
      EXPECT_EQ("earlier", TestRoot::Read(earlier));
      EXPECT_TRUE(system.parameterTexts.empty());
    }
  }
}

// A failed run says why and leaves no partial output; Stop ends the running engines and keeps
// only complete outputs.
TEST_F(LongBatchTest, AFailedRunSaysWhyAndStopEndsTheRunningEnginesKeepingOnlyCompleteOutputs) {
  FakeEngine("nec2dxs1k5.exe", 0, kByDeck);
  const fs::path out = Decks("mix", {"a.nec", "exit1.nec", "header.nec", "crash.nec"});
  ui.AnswerFolder("c:\\4nec2\\b_in\\mix");
  ASSERT_TRUE(form.Run("BatchConversion1Click"));
  EXPECT_EQ((std::vector<std::string>{
                "Converting: a.nec  --> a.out ......done.",
                "Converting: crash.nec  --> crash.out ......failed (ended by signal 11).",
                "Converting: exit1.nec  --> exit1.out ......failed (exit status 1).",
                "Converting: header.nec  --> header.out ......failed (incomplete output).",
            }),
            Converting());
  EXPECT_TRUE(OutputComplete(system, "C:\\4nec2\\b_out\\mix\\a.out"));
  for (const char* name : {"exit1.out", "header.out", "crash.out"})
    EXPECT_FALSE(fs::exists(out / name)) << name;
  const std::vector<std::string> lines = {form.Mout.lines.end()[-2], form.Mout.lines.end()[-1]};
  EXPECT_EQ(0u, lines[0].rfind("3 of 4 decks failed: ")) << lines[0];
  for (const char* name : {"exit1.nec", "header.nec", "crash.nec"})
    EXPECT_NE(std::string::npos, lines[0].find(name)) << lines[0];
  EXPECT_EQ("--------- Batch Conversion Job Done ---------", lines[1]);

  ui.realPause = true;
  for (int jobs : {1, 2}) {
    SCOPED_TRACE(jobs);
    const std::string folder = "stop" + std::to_string(jobs);
    const fs::path out = Decks(folder, {"a.nec", "slow1.nec", "slow2.nec", "z.nec"});
    form.params.EngineJobs = jobs;
    // Stop once the first deck is done and the first slow engine has written its part.
    OnEvents(ui, [&] {
      if (Has("Converting: a.nec  --> a.out ......done.") && fs::exists(out / "slow1.out"))
        form.RequestStop();
    });
    ui.AnswerFolder("c:\\4nec2\\b_in\\" + folder);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(form.Run("BatchConversion1Click"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20)) << "not waited for";
    EXPECT_TRUE(Has("Converting: a.nec  --> a.out ......done."));
    EXPECT_TRUE(Has("Converting: slow1.nec  --> slow1.out ......stopped."));
    EXPECT_FALSE(fs::exists(out / "slow1.out")) << "the partial output was removed";
    EXPECT_FALSE(fs::exists(out / "slow2.out"));
    EXPECT_FALSE(fs::exists(out / "z.out")) << "no deck started after the stop";
    EXPECT_TRUE(OutputComplete(system, "C:\\4nec2\\b_out\\" + folder + "\\a.out"));
    EXPECT_EQ("--------- Batch Conversion stopped: 1 of 4 converted ---------", form.Mout.lines.back());
    EXPECT_EQ(system.started, system.closed);
    EXPECT_FALSE(form.StopRequested());
  }
}

// A full disk: the output root is a small file system of its own (mounting needs root; skipped
// otherwise). The run that found the disk full says so and leaves nothing, the batch stops there,
// and a Resume on a disk with room converts exactly the rest.
TEST_F(LongBatchTest, AFullDiskStopsTheBatchAndResumeConvertsTheRest) {
  const fs::path outputRoot = root.driveC / "4nec2" / "b_out";
  if (geteuid() != 0 || mount("tmpfs", outputRoot.c_str(), "tmpfs", 0, "size=24k") != 0)
    GTEST_SKIP() << "mounting a small file system needs root and a system that allows it";
  struct Unmount {
    fs::path at;
    ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
  } unmount{outputRoot};
  FakeEngine("nec2dxs1k5.exe");
  std::vector<std::string> names;
  for (int i = 10; i < 22; ++i) names.push_back("F_0" + std::to_string(i) + ".nec");
  const fs::path out = Decks("F_", names);
  ui.AnswerFolder("c:\\4nec2\\b_in\\F_");
  ASSERT_TRUE(form.Run("BatchConversion1Click"));
  std::size_t complete = 0;
  for (const std::string& name : names) {
    const std::string output = "C:\\4nec2\\b_out\\F_\\" + OutputFileName(name);
    if (OutputComplete(system, output))
      ++complete;
    else
      EXPECT_FALSE(system.FileExists(output)) << name << ": a partial output was left";
  }
  ASSERT_LT(complete, names.size()) << "the disk did not fill";
  const std::vector<std::string> converting = Converting();
  EXPECT_EQ(complete + 1, converting.size()) << MoutText();
  EXPECT_EQ(
      1, std::count_if(converting.begin(), converting.end(),
                       [](const std::string& line) { return line.ends_with("......failed (disk full)."); }))
      << MoutText();

  ASSERT_EQ(0, mount("tmpfs", outputRoot.c_str(), "tmpfs", MS_REMOUNT, "size=4m"));
  ui.AnswerFolder("c:\\4nec2\\b_in\\F_");
  ASSERT_TRUE(form.Run("ResumeBatchConversion1Click"));
  for (const std::string& name : names)
    EXPECT_TRUE(OutputComplete(system, "C:\\4nec2\\b_out\\F_\\" + OutputFileName(name))) << name;
  EXPECT_EQ("Kept " + std::to_string(complete) + " complete outputs.", form.Mout.lines.end()[-2]);
  (void)out;
}

#endif

}  // namespace

}  // namespace varnel
