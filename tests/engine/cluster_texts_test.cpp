// The texts of a cluster job that a shell reads: quoting of hostile names, the chunking that
// keeps a large set under the array limits, the tasks' reports, and the task script itself run
// with a fake engine and a fake whole-output check.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/cluster.hpp"
#include "support/test_root.hpp"

namespace varnel {
namespace {

std::string ShellPrints(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    pclose(pipe);
  }
  return text;
}

TEST(ClusterTexts, AQuotedWordReachesTheShellAsItStandsAndTheSettingsQuoteEveryFolder) {
  for (const std::string word : {"plain", "with blank", "it's", "'", "$(touch /tmp/x)", "`id`", "a\\b;c|d&e",
                                 "\"q\"", "--partition=short", ""}) {
    EXPECT_EQ(ShellPrints("printf %s " + ShellQuoted(word)), word) << word;
  }
  // The settings quote every folder, and the scripts have LF line ends.
  ClusterJob job{.name = "E_",
                 .deckFolder = "/d/it's",
                 .outputFolder = "/o",
                 .engine = "e",
                 .checker = "c",
                 .decks = {"x.nec"},
                 .atOnce = 3,
                 .chunk = 1};
  for (const JobFile& file : ClusterJobFiles(job)) {
    EXPECT_EQ(file.text.find('\r'), std::string::npos) << file.name;
    if (file.name == "varnel-job.conf") {
      EXPECT_NE(file.text.find("DECKS='/d/it'\\''s'\n"), std::string::npos);
    } else if (file.name == "varnel-job.sbatch") {
      EXPECT_NE(file.text.find("#SBATCH --array=0-0%3\n"), std::string::npos);
    }
  }
}

TEST(ClusterTexts, ChunksKeepFourTasksPerSlotAndAtMostAThousandAndReportsKeepTheirDecks) {
  struct Case {
    std::size_t decks, atOnce, chunk, tasks;
  } cases[] = {{40, 2, 5, 8},         {12, 2, 2, 6},           {3, 64, 1, 3},
               {60000, 64, 235, 256}, {60000, 1000, 60, 1000}, {1, 1, 1, 1}};
  for (const Case& c : cases) {
    ClusterJob job;
    job.decks.assign(c.decks, "d.nec");
    job.chunk = ClusterChunkSize(c.decks, c.atOnce);
    EXPECT_EQ(job.chunk, c.chunk) << c.decks << " " << c.atOnce;
    EXPECT_EQ(ClusterTaskCount(job), c.tasks) << c.decks << " " << c.atOnce;
  }
  // The tasks' reports keep their decks and reasons and leave a line being written.
  const auto lines = ReadChunkReport(
      "done a.nec\nkept b (1).nec\nfailed c (x).nec (exit status 3)\nnoise\nfailed d.nec\ndone e.ne");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].deck, "b (1).nec");
  EXPECT_EQ(lines[2].deck, "c (x).nec");
  EXPECT_EQ(lines[2].reason, "exit status 3");
}

// Each task converts its chunk: it keeps a whole output, names a failed run and an incomplete
// output, puts only whole outputs in place and leaves nothing under its own name.
TEST(ClusterTexts, EachTaskConvertsEveryDeckOfItsChunk) {
  TestRoot root;
  const std::filesystem::path job = root.dir / "job";
  const std::string engine = root.Write("engine.sh",
                                        "case \"$1\" in\n"
                                        "  fail.nec) exit 3;;\n"
                                        "  cut.nec) echo cut > \"$2\";;\n"
                                        "  *) echo \"whole $1\" > \"$2\";;\n"
                                        "esac\n")
                                 .string();
  const std::string checker =
      root.Write("checker.sh",
                 "[ \"$1\" = --output-complete ] && [ \"$(cat \"$3\")\" = \"whole ${2##*/}\" ]\n")
          .string();
  std::filesystem::permissions(engine, std::filesystem::perms::owner_all);
  std::filesystem::permissions(checker, std::filesystem::perms::owner_all);
  const ClusterJob plan{.name = "E_",
                        .deckFolder = ".",
                        .outputFolder = "out",
                        .engine = engine,
                        .checker = checker,
                        .decks = {"a.nec", "kept.nec", "fail.nec", "cut.nec", "e.nec"},
                        .atOnce = 2,
                        .chunk = 2};
  for (const JobFile& file : ClusterJobFiles(plan)) root.Write("job/" + file.name, file.text);
  root.Write("job/out/kept.out", "whole kept.nec\n");
  std::string reports;
  for (std::size_t task = 0; task < ClusterTaskCount(plan); ++task) {
    ShellPrints("sh '" + (job / "varnel-task.sh").string() + "' " + std::to_string(task) + " 2>&1");
    reports += TestRoot::Read(job / "progress" / ("chunk-" + std::to_string(task) + ".txt")) + "|";
  }
  EXPECT_EQ(
      "done a.nec\nkept kept.nec\n|failed fail.nec (exit status 3)\nfailed cut.nec (incomplete output)\n|"
      "done e.nec\n|",
      reports);
  std::string outputs;
  for (const auto& entry : std::filesystem::directory_iterator(job / "out"))
    outputs += entry.path().filename().string() + "=" + TestRoot::Read(entry.path());
  EXPECT_EQ(3u, std::distance(std::filesystem::directory_iterator(job / "out"), {})) << outputs;
  EXPECT_EQ("whole a.nec\n", TestRoot::Read(job / "out" / "a.out"));
  EXPECT_EQ("whole e.nec\n", TestRoot::Read(job / "out" / "e.out"));
}

}  // namespace
}  // namespace varnel
