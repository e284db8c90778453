// Engine choice, single and batch conversion with fake engines (small shell scripts that record
// their arguments), the waiting for the engine, failed starts and the drive-root refusal. The
// runs that start a fake engine are Linux's; Windows runs its engine in engine/win32_*.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/event_action.hpp"
#include "engine/conversion.hpp"
#include "mainwindow/VarnelU.hpp"
#include "engine/conversion_fixture.hpp"

namespace varnel {

namespace {

// The output's name replaces the extension of the deck's bare name; the last folder is the text
// after the last backslash.
TEST(OutputFileName, ReplacesTheExtensionOfTheBareNameAndLastFolderIsTheTextAfterTheLastBackslash) {
  struct Case {
    const char *deck, *expected;
  };
  const Case cases[] = {
      {"c:\\4nec2\\b_in\\dipol\\dipol007.nec", "dipol007.out"},
      {"my.test.nec", "my.test.out"},
      {"noextension", "noextension.out"},
      {"c:\\dotted.folder\\deck", "deck.out"},
      {"c:\\4nec2\\b_in\\dipol.nec", "dipol.out"},
      {"c:deck.NEC", "deck.out"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, OutputFileName(c.deck)) << c.deck;
  EXPECT_EQ("dipol", LastFolder("c:\\4nec2\\b_in\\dipol"));
  EXPECT_EQ("E_", LastFolder("c:\\4nec2\\b_in\\E_"));
  EXPECT_EQ("", LastFolder("C:\\"));
  EXPECT_EQ("folder", LastFolder("folder"));
}

TEST_F(ConversionTest, EngineMenuMovesTheCheckMarkSetsEngineNameAndParallelRunsShowOpensTheFolders) {
  auto checked = [&] {
    std::string marks;
    for (const char* item : {"MI_NEC1500", "MI_NEC5000", "MI_NEC11000"}) {
      MenuItem* menuItem = form.FindMenuItem(item);
      EXPECT_NE(nullptr, menuItem) << item;
      marks += menuItem && menuItem->checked ? "x" : "-";
    }
    return marks;
  };
  EXPECT_EQ("x--", checked());
  EXPECT_EQ("c:\\4nec2\\exe\\nec2dxs1k5.exe", form.params.EngineName);
  struct Case {
    const char *control, *marks, *engine;
  };
  const Case cases[] = {{"MI_NEC11000", "--x", "c:\\4nec2\\exe\\nec2dxs11k.exe"},
                        {"MI_NEC5000", "-x-", "c:\\4nec2\\exe\\nec2dxs5k0.exe"},
                        {"MI_NEC5000", "-x-", "c:\\4nec2\\exe\\nec2dxs5k0.exe"},
                        {"MI_NEC1500", "x--", "c:\\4nec2\\exe\\nec2dxs1k5.exe"}};
  for (const Case& c : cases) {
    ASSERT_TRUE(form.Run(c.control));
    EXPECT_EQ(c.marks, checked()) << c.control;
    EXPECT_EQ(c.engine, form.params.EngineName) << c.control;
  }
  EXPECT_TRUE(ui.messages.empty());
  // The Show menu opens the deck and output folders.
  ASSERT_TRUE(form.Run("Showbin1Click"));
  ASSERT_TRUE(form.Run("Showbout1Click"));
  EXPECT_EQ((std::vector<std::string>{"c:\\4nec2\\b_in", "c:\\4nec2\\b_out"}), Messages("[Open] "));
  EXPECT_TRUE(form.Mout.lines.empty());

  // Parallel runs start at the processor count and accept one to it.
  const int most = MostParallelRuns();
  EXPECT_EQ(most, WorkingParameters{}.EngineJobs);
  for (const std::string& bad : {std::string("0"), std::string("-1"), std::string("x"), std::string("1,5"),
                                 std::to_string(most + 1)}) {
    ui.messages.clear();
    ui.AnswerAsk(bad);
    form.Run("MIParallelRunsClick");
    EXPECT_EQ(std::vector<std::string>{"No valid number. Abort command!"}, Messages("[Warning] ")) << bad;
    EXPECT_EQ(1, form.params.EngineJobs) << bad;
  }
  ui.AnswerAsk(std::nullopt);
  form.Run("MIParallelRunsClick");
  EXPECT_EQ(1, form.params.EngineJobs);
  ui.AnswerAsk(std::to_string(most));
  form.Run("MIParallelRunsClick");
  EXPECT_EQ(most, form.params.EngineJobs);
}

TEST_F(ConversionTest, CancelledDialogsChangeNothing) {
  form.Mout.lines = {"old"};
  form.M.lines = {"loaded text"};
  form.Mdata.lines = {"//  table;", "    1,000;"};
  form.EditFrequency.text = "14,2 MHz";
  form.params.BatchFolder = "c:\\4nec2\\b_out\\E_";
  form.params.BatchFiles = {"E_000.out"};
  for (const char* command :
       {"SingleConversion1Click", "BatchConversion1Click", "ResumeBatchConversion1Click"}) {
    SCOPED_TRACE(command);
    ui.AnswerOpen(std::nullopt);
    ui.AnswerFolder(std::nullopt);
    ASSERT_TRUE(form.Run(command));
    EXPECT_EQ(std::vector<std::string>{"old"},
              std::vector<std::string>(form.Mout.lines.begin(), form.Mout.lines.end()));
    EXPECT_EQ(std::vector<std::string>{"loaded text"},
              std::vector<std::string>(form.M.lines.begin(), form.M.lines.end()));
    EXPECT_EQ(2u, form.Mdata.lines.size());
    EXPECT_EQ("14,2 MHz", form.EditFrequency.text);
    EXPECT_EQ("c:\\4nec2\\b_out\\E_", form.params.BatchFolder);
    EXPECT_EQ(TextList{"E_000.out"}, form.params.BatchFiles);
  }
  EXPECT_TRUE(system.parameterTexts.empty());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ConversionTest, ADriveRootIsRefusedBeforeAnythingIsDeletedAnEmptyFolderIsRecreated) {
  FakeEngine("nec2dxs1k5.exe");
  root.Write("drive_c/deck.nec", "CM\r\n");
  fs::path earlier = root.Write("drive_c/4nec2/b_out/run/earlier.out", "earlier result");
  fs::path single = root.Write("drive_c/4nec2/b_out/dipol.out", "single result");
  for (const char* answer : {"c:\\", "c:"}) {
    SCOPED_TRACE(answer);
    ui.messages.clear();
    ui.AnswerFolder(answer);
    ASSERT_TRUE(form.Run("BatchConversion1Click"));
    std::vector<std::string> warnings = Messages("[Warning] ");
    ASSERT_EQ(1u, warnings.size());
    EXPECT_NE(std::string::npos, warnings[0].find("drive root")) << warnings[0];
    EXPECT_TRUE(warnings[0].ends_with("Abort command!")) << warnings[0];
    EXPECT_EQ(std::string::npos, MoutText().find("Old Folder")) << MoutText();
    EXPECT_TRUE(fs::exists(earlier));
    EXPECT_TRUE(fs::exists(single));
    EXPECT_TRUE(system.parameterTexts.empty());
  }
  // A folder without decks still writes the header, the recreation and the job-done line.
  fs::create_directories(root.driveC / "4nec2" / "b_in" / "empty");
  ui.AnswerFolder("c:\\4nec2\\b_in\\empty");
  ASSERT_TRUE(form.Run("BatchConversion1Click"));
  EXPECT_EQ(BatchHead("nec2dxs1k5.exe", "empty") + "--------- Batch Conversion Job Done ---------\n",
            MoutText());
  EXPECT_TRUE(fs::is_directory(root.driveC / "4nec2" / "b_out" / "empty"));
}

// No engine at c:\4nec2\exe\nec2dxs1k5.exe: a single conversion shows the system's text and still
// ends with its job-done line; a batch shows it once per deck and goes on.
TEST_F(ConversionTest, AFailedStartShowsTheSystemsTextAndTheCommandGoesOn) {
  ui.AnswerOpen("c:\\4nec2\\b_in\\dipol.nec");
  ASSERT_TRUE(form.Run("SingleConversion1Click"));
  ASSERT_EQ(1u, Messages("[Info] ").size());
  EXPECT_FALSE(Messages("[Info] ")[0].empty());
  ASSERT_EQ(5u, form.Mout.lines.size()) << MoutText();
  EXPECT_EQ("--------- Single Conversion Job Done ---------", form.Mout.lines.back());
  ui.messages.clear();
  system.parameterTexts.clear();

  Decks("dipol", {"dipol000.nec", "dipol001.nec"});
  ui.AnswerFolder("c:\\4nec2\\b_in\\dipol");
  ASSERT_TRUE(form.Run("BatchConversion1Click"));
  std::vector<std::string> boxes = Messages("[Info] ");
  ASSERT_EQ(2u, boxes.size()) << "one box per deck";
  EXPECT_FALSE(boxes[0].empty());
  EXPECT_EQ(2u, system.parameterTexts.size());
  const std::vector<std::string>& lines = form.Mout.lines;
  ASSERT_EQ(10u, lines.size()) << MoutText();
  for (std::size_t i : {6u, 7u}) {
    EXPECT_EQ(0u, lines[i].rfind("Converting: dipol00", 0)) << lines[i];
    EXPECT_NE(std::string::npos, lines[i].find(".out ......failed (not started).")) << lines[i];
  }
  EXPECT_EQ(0u, lines[8].rfind("2 of 2 decks failed: dipol00"));
  EXPECT_EQ("--------- Batch Conversion Job Done ---------", lines.back());
  EXPECT_EQ(0, ui.pausedMilliseconds) << "nothing to wait for";
  const std::string status = ProgressText(form.progress, form.progress.endMs);
  EXPECT_NE(std::string::npos, status.find("(2 of 2 decks failed)")) << status;

  // A start that reports success without a process handle is not waited for.
  ui.messages.clear();
  system.startWithoutHandle = true;
  ui.AnswerFolder("c:\\4nec2\\b_in\\dipol");
  ASSERT_TRUE(form.Run("BatchConversion1Click"));
  EXPECT_EQ(0, ui.pausedMilliseconds);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ("Converting: dipol000.nec  --> dipol000.out ......failed (no output).", form.Mout.lines[6]);
  EXPECT_EQ("--------- Batch Conversion Job Done ---------", form.Mout.lines.back());
}

// A complete export says what it wrote in the status bar, not that it ended at its first file.
TEST_F(ConversionTest, TheStatusOfAnExportSaysItsDecksAndTasks) {
  for (int k = 0; k < 15; ++k) root.Write("drive_c/4nec2/b_in/set/d" + std::to_string(k) + ".nec", "CM\r\n");
  ui.AnswerFolder("c:\\4nec2\\b_in\\set");
  ui.AnswerFolder("c:\\4nec2\\b_out");
  ui.AnswerAsk("64");
  ui.AnswerAsk("varnel_engine");
  ASSERT_TRUE(form.Run("ExportClusterJob1Click"));
  EXPECT_EQ("--------- Export Cluster Job Done ---------", form.Mout.lines.back()) << MoutText();
  EXPECT_EQ("Export Cluster Job: 15 decks in 15 tasks", ProgressText(form.progress, form.progress.endMs));
}

#ifndef _WIN32  // starts a fake engine
TEST_F(ConversionTest, SingleConversionStartsTheEngineWithFullPathsAndDoesNotWait) {
  FakeEngine("nec2dxs1k5.exe", 0.3);
  root.Write("drive_c/4nec2/b_in/dipol.nec", "CM\r\n");
  ui.AnswerOpen("c:\\4nec2\\b_in\\dipol.nec");
  ASSERT_TRUE(form.Run("SingleConversion1Click"));

  ASSERT_EQ(1u, ui.openDialogs.size());
  EXPECT_EQ("c:\\4nec2\\b_in", ui.openDialogs[0].initialFolder);
  EXPECT_EQ("All(*.*)|*.*|nec (*.nec)|*.nec", ui.openDialogs[0].filter);
  EXPECT_EQ(2, ui.openDialogs[0].filterIndex);
  EXPECT_EQ(
      "EngineName.....: c:\\4nec2\\exe\\nec2dxs1k5.exe\n"
      "Single Conversion Mode\n"
      "InputFileName..: c:\\4nec2\\b_in\\dipol.nec\n"
      "OutputFileName.: C:\\4nec2\\b_out\\dipol.out\n"
      "--------- Single Conversion Job Done ---------\n",
      MoutText());
  ASSERT_EQ(1u, system.parameterTexts.size());
  EXPECT_EQ("c:\\4nec2\\b_in\\dipol.nec C:\\4nec2\\b_out\\dipol.out", system.parameterTexts[0]);
  // The job-done line came before the slow engine finished.
  EXPECT_EQ(0, ui.pausedMilliseconds);
  EXPECT_FALSE(fs::exists(root.driveC / "4nec2" / "b_out" / "dipol.out"));
  for (int i = 0; i < 100 && !OutputComplete(system, "C:\\4nec2\\b_out\\dipol.out"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(CompleteOutput("c:\\4nec2\\b_in\\dipol.nec C:\\4nec2\\b_out\\dipol.out"),
            TestRoot::Read(root.driveC / "4nec2" / "b_out" / "dipol.out"));
}

TEST_F(ConversionTest, BatchConversionRecreatesTheOutputFolderAndConvertsEachDeckInTurn) {
  FakeEngine("nec2dxs11k.exe");
  ASSERT_TRUE(form.Run("MI_NEC11000"));  // the chosen engine is started for every deck
  Decks("dipol", {"dipol000.nec", "dipol001.nec"});
  root.Write("drive_c/4nec2/b_in/dipol/notes.txt", "not a deck");
  fs::create_directories(root.driveC / "4nec2" / "b_in" / "dipol" / "folder.nec");
  fs::path old = root.Write("drive_c/4nec2/b_out/dipol/old.out", "earlier result");

  ui.AnswerFolder("c:\\4nec2\\b_in\\dipol");
  ui.AnswerConfirm(true);
  ASSERT_TRUE(form.Run("BatchConversion1Click"));

  EXPECT_EQ(std::vector<std::string>{"c:\\4nec2\\b_in"}, ui.folderDialogs);
  EXPECT_EQ("c:\\4nec2\\b_in\\dipol", form.params.BatchFolder);
  std::vector<std::string> files = form.params.BatchFiles;
  std::vector<std::string> sorted = files;
  std::sort(sorted.begin(), sorted.end());
  ASSERT_EQ((std::vector<std::string>{"dipol000.nec", "dipol001.nec"}), sorted);

  std::string expected = BatchHead("nec2dxs11k.exe", "dipol");
  for (const std::string& name : files) {
    std::string outName = name.substr(0, name.size() - 4) + ".out";
    expected += "Converting: " + name + "  --> " + outName + " ......done.\n";
  }
  expected += "--------- Batch Conversion Job Done ---------\n";
  EXPECT_EQ(expected, MoutText());

  // Bare deck names, resolved in the batch folder; one run after the other in list order.
  std::vector<std::string> runs;
  for (const std::string& name : files)
    runs.push_back("nec2dxs11k.exe|" + name + " C:\\4nec2\\b_out\\dipol\\" + name.substr(0, 8) + ".out");
  EXPECT_EQ(runs, LogLines());
  EXPECT_EQ(CompleteOutput("dipol000.nec C:\\4nec2\\b_out\\dipol\\dipol000.out"),
            TestRoot::Read(root.driveC / "4nec2" / "b_out" / "dipol" / "dipol000.out"));
  EXPECT_FALSE(fs::exists(old)) << "the old output folder was deleted with its content";
  EXPECT_EQ(system.started, system.closed) << "every process handle is closed";
  // Asked first; a script that queued no answer gets Yes.
  EXPECT_EQ(
      std::vector<std::string>{"C:\\4nec2\\b_out\\dipol\\ holds 1 output file. Delete them and convert "
                               "every deck anew? (No keeps them; Resume Batch Conversion converts only the "
                               "missing ones.) Yes"},
      Messages("[Question] "));
  EXPECT_EQ(1u, ui.messages.size());
}

// The window processes its events while slow engines run, one after the other; two runs at once
// overlap and complete their lines in list order.
TEST_F(ConversionTest, TheWindowKeepsProcessingEventsWhileSlowEnginesRunAndParallelRunsOverlap) {
  FakeEngine("nec2dxs1k5.exe", 0.3);
  Decks("slow", {"a.nec", "b.nec"});
  Decks("par", {"a.nec", "b.nec", "c.nec", "d.nec", "e.nec"});
  ui.realPause = true;
  int calls = 0;
  OnEvents(ui, [&] {
    // A second conversion started meanwhile is refused and leaves the running one alone.
    if (++calls == 2) form.Run("BatchConversion1Click");
  });
  ui.AnswerFolder("c:\\4nec2\\b_in\\slow");
  ASSERT_TRUE(form.Run("BatchConversion1Click"));

  // 0.3 s per deck, the window's events processed every 20 ms while the engine runs.
  EXPECT_GE(ui.processEventsCalls, 8);
  EXPECT_EQ(1u, Messages("[Warning] ").size()) << "the second conversion was refused";
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(4u, log.size());
  // Each run ended before the next began.
  for (std::size_t i = 0; i < log.size(); ++i)
    EXPECT_EQ(0u, log[i].rfind(i % 2 == 0 ? "start " : "nec2dxs1k5.exe|", 0)) << log[i];
  EXPECT_EQ("--------- Batch Conversion Job Done ---------", form.Mout.lines.back());
  EXPECT_EQ(system.started, system.closed);

  system.started = system.closed = 0;
  ui.AnswerAsk(std::string("2"));
  ASSERT_TRUE(form.Run("MIParallelRunsClick"));
  ASSERT_EQ(2, form.params.EngineJobs);
  ui.AnswerFolder("c:\\4nec2\\b_in\\par");
  // The decks are found in the chosen folder, whatever the current folder is meanwhile.
  OnEvents(ui, [&] { system.SetCurrentFolder("c:\\4nec2"); });
  ASSERT_TRUE(form.Run("BatchConversion1Click"));

  log = LogLines();
  log.erase(log.begin(), log.begin() + 4);
  ASSERT_EQ(10u, log.size());
  EXPECT_EQ(0u, log[0].rfind("start ", 0));
  EXPECT_EQ(0u, log[1].rfind("start ", 0)) << "the second run began before the first ended";
  std::vector<std::string> expected;
  for (const char* name : {"a", "b", "c", "d", "e"})
    expected.push_back(std::string("Converting: ") + name + ".nec  --> " + name + ".out ......done.");
  EXPECT_EQ(expected, Converting());
  EXPECT_EQ("--------- Batch Conversion Job Done ---------", form.Mout.lines.back());
  EXPECT_EQ(5, system.started);
  EXPECT_EQ(system.started, system.closed);
  EXPECT_EQ("Batch Conversion: 5 files in 0:0",
            ProgressText(form.progress, form.progress.endMs).substr(0, 32));
  for (const char* name : {"a", "b", "c", "d", "e"})
    EXPECT_TRUE(fs::exists(root.driveC / "4nec2/b_out/par" / (std::string(name) + ".out"))) << name;
}

TEST_F(ConversionTest, ClosingTheWindowDuringTheWaitEndsTheBatchAndItsEngines) {
  FakeEngine("nec2dxs1k5.exe", 30);  // would outlive the test if it were not ended
  Decks("slow", {"a.nec", "b.nec", "c.nec"});
  ui.realPause = true;
  OnEvents(ui, [&] { EXPECT_FALSE(form.CloseQuery()) << "the close waits for the command"; });
  for (int jobs : {1, 2}) {
    SCOPED_TRACE(jobs);
    system.started = system.closed = 0;
    form.closing = false;
    form.params.EngineJobs = jobs;
    ui.AnswerFolder("c:\\4nec2\\b_in\\slow");
    ASSERT_TRUE(form.Run("BatchConversion1Click"));
    EXPECT_EQ(jobs, system.started) << "no further deck after the close";
    EXPECT_EQ(jobs, system.closed) << "every handle was released";
    const std::string ended =
        "The running engine c:\\4nec2\\exe\\nec2dxs1k5.exe was ended: the program is closing.";
    EXPECT_EQ(jobs, std::count(form.Mout.lines.begin(), form.Mout.lines.end(), ended)) << MoutText();
    EXPECT_TRUE(ui.quitRequested);
    EXPECT_TRUE(Messages("[Error] ").empty());
  }
}

// A run over the time limit per deck is ended, its partial output removed, and its deck named
// as failed; the other decks are converted as ever. A limit below 0, beyond about 292 years,
// or no number is refused.
TEST_F(ConversionTest, ARunOverTheTimeLimitIsEndedAndFails) {
  FakeEngine("nec2dxs1k5.exe", 0,
             "case \"$1\" in *slow*) printf 'partial' > \"$out\"; sleep 60 ;;"
             " *) printf '%s\\r\\n' \"$*\" > \"$out\"; cat \"$print\" >> \"$out\" ;; esac");
  Decks("t", {"a.nec", "slow.nec"});
  for (const char* bad : {"-1", "x", "999999999"}) {
    ui.AnswerAsk(std::string(bad));
    form.Run("MITimeLimitClick");
  }
  EXPECT_EQ(3u, Messages("[Warning] No valid number. Abort command!").size());
  EXPECT_EQ(0, form.params.EngineTimeLimitMinutes);
  ui.AnswerAsk("0" + std::string(1, DecimalSeparator.load()) + "5");
  ASSERT_TRUE(form.Run("MITimeLimitClick"));
  ASSERT_DOUBLE_EQ(0.5, form.params.EngineTimeLimitMinutes);

  // The clock goes on only once the slow engine has written its first bytes: half a minute
  // less a millisecond is not over the limit yet, the next event is.
  const fs::path slowOutput = root.driveC / "4nec2/b_out/t/slow.out";
  OnEvents(ui, [&] {
    if (fs::exists(slowOutput)) system.clockMs += system.clockMs == 0 ? 29999 : 1;
  });
  ui.AnswerFolder("c:\\4nec2\\b_in\\t");
  ASSERT_TRUE(form.Run("BatchConversion1Click"));
  EXPECT_EQ((std::vector<std::string>{"Converting: a.nec  --> a.out ......done.",
                                      "Converting: slow.nec  --> slow.out ......failed (time limit)."}),
            Converting());
  EXPECT_TRUE(Has("1 of 2 decks failed: slow.nec")) << MoutText();
  EXPECT_TRUE(fs::exists(root.driveC / "4nec2/b_out/t/a.out"));
  EXPECT_FALSE(fs::exists(root.driveC / "4nec2/b_out/t/slow.out"));
  EXPECT_EQ(system.started, system.closed);
}
#endif

// The account alone: each deck's line is completed where it stands after the user's edits (or
// written anew when it is gone), and the closing lines say the counts.
TEST(ConversionAccount, CompletesEachDecksOwnLineAndClosesWithTheCounts) {
  Pane info;
  ConversionAccount account(info, "c:\\e.exe");
  const std::size_t a = account.Started("a.nec"), b = account.Started("b.nec"), c = account.Started("c.nec");
  ReplacePaneLines(info,
                   {"note one", "note two", "Converting: a.nec", "Converting: b.nec", "Converting: c.nec"});
  account.Ended(b, "exit status 1");
  account.Ended(a, "");
  ReplacePaneLines(info, {"note one", "Converting: a.nec  --> a.out ......done.",
                          "Converting: b.nec  --> b.out ......failed (exit status 1)."});
  account.Stopped(c, true);
  EXPECT_EQ((std::vector<std::string>{"note one", "Converting: a.nec  --> a.out ......done.",
                                      "Converting: b.nec  --> b.out ......failed (exit status 1).",
                                      "Converting: c.nec  --> c.out ......stopped.",
                                      "The running engine c:\\e.exe was ended: the program is closing."}),
            std::vector<std::string>(info.lines.begin(), info.lines.end()));
  EXPECT_EQ(1u, account.Result().converted);
  EXPECT_EQ(TextList{"b.nec"}, account.Result().failed);

  TextList twelve;
  for (char name = 'a'; name <= 'l'; ++name) twelve.push_back(std::string(1, name) + ".nec");
  struct Case {
    Conversion conversion;
    std::size_t decks;
    const char* beforeEnd;
    TextList lines;
  };
  const Case cases[] = {
      {{.converted = 0, .failed = twelve},
       12,
       "",
       {"12 of 12 decks failed: a.nec, b.nec, c.nec, d.nec, e.nec, f.nec, g.nec, h.nec, i.nec, j.nec, ...",
        "--------- Batch Conversion Job Done ---------"}},
      {{.converted = 1, .stopped = true},
       4,
       "",
       {"--------- Batch Conversion stopped: 1 of 4 converted ---------"}},
      {{.converted = 2, .failed = {"x.nec"}, .stopped = true, .diskFull = true},
       5,
       "Kept 3 complete outputs.",
       {"1 of 5 decks failed: x.nec", "Kept 3 complete outputs.",
        "The disk is full: the batch stopped there. Resume Batch Conversion converts the rest once there is "
        "room.",
        "--------- Batch Conversion stopped: 2 of 5 converted ---------"}},
  };
  for (const Case& k : cases)
    EXPECT_EQ(k.lines, ClosingLines("Batch Conversion", k.conversion, k.decks, k.beforeEnd));
}

}  // namespace

}  // namespace varnel
