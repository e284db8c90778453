// The texts of a cluster job that a shell reads: quoting of hostile names, the chunking that
// keeps a large set under the array limits, and the tasks' reports.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/cluster.hpp"

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

TEST(ClusterTexts, AQuotedWordReachesTheShellAsItStands) {
  for (const std::string word : {"plain", "with blank", "it's", "'", "$(touch /tmp/x)", "`id`", "a\\b;c|d&e",
                                 "\"q\"", "--partition=short", ""}) {
    EXPECT_EQ(ShellPrints("printf %s " + ShellQuoted(word)), word) << word;
  }
}

TEST(ClusterTexts, ChunksKeepFourTasksPerSlotAndAtMostAThousand) {
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
}

TEST(ClusterTexts, ReportsKeepTheirDecksAndReasonsAndLeaveALineBeingWritten) {
  const auto lines = ReadChunkReport(
      "done a.nec\nkept b (1).nec\nfailed c (x).nec (exit status 3)\nnoise\nfailed d.nec\ndone e.ne");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].deck, "b (1).nec");
  EXPECT_EQ(lines[2].deck, "c (x).nec");
  EXPECT_EQ(lines[2].reason, "exit status 3");
}

TEST(ClusterTexts, TheSettingsQuoteEveryFolderAndTheScriptsHaveLfLineEnds) {
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

}  // namespace
}  // namespace varnel
