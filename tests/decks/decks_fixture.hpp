#pragma once
// Test support for the deck generators: a TForm1 over a scripted interface on the POSIX system of
// a private root holding the folders c:\4nec2\b_in\Ranges and c:\4nec2\b_out, plus helpers that
// read decks back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "mainwindow/VarnelU.hpp"
#include "support/lines.hpp"
#include "support/test_root.hpp"
#include "util/format.hpp"

namespace varnel {

// A system whose tree deletion can be made to fail and whose folder locks another program may
// hold (the folder named heldElsewhere); locksHeld counts the locks this program holds.
class DeckSystem : public TestSystem {
 public:
  using TestSystem::TestSystem;
  bool failDeleteTree = false;
  std::string heldElsewhere;
  int locksHeld = 0;
  void DeleteTree(const std::string& folder) override {
    if (!failDeleteTree) TestSystem::DeleteTree(folder);
  }
  std::int64_t LockFolder(const std::string& folder, std::string&) override {
    if (folder == heldElsewhere) return 0;
    return ++locksHeld;
  }
  void UnlockFolder(std::int64_t) override { --locksHeld; }
};

// A scripted interface that records the prompts of the input boxes.
class DeckUi : public ScriptedUi {
 public:
  using ScriptedUi::ScriptedUi;
  std::vector<std::string> prompts;
  bool AskText(const std::string& caption, const std::string& prompt, std::string& text) override {
    prompts.push_back(caption + "|" + prompt + "|" + text);
    return ScriptedUi::AskText(caption, prompt, text);
  }
};

class DecksTest : public ::testing::Test {
 protected:
  DecksTest() {
    DecimalSeparator = ',';
    std::filesystem::create_directories(root.driveC / "4nec2" / "b_in" / "Ranges");
    std::filesystem::create_directories(root.driveC / "4nec2" / "b_out");
  }
  ~DecksTest() override { DecimalSeparator = ','; }

  // A file below drive c: (native relative path such as "4nec2/b_in/x.nec").
  std::filesystem::path WriteC(const std::string& relative, const std::string& bytes) {
    return root.Write("drive_c/" + relative, bytes);
  }
  std::string ReadC(const std::string& relative) const { return TestRoot::Read(root.driveC / relative); }
  std::filesystem::path PathC(const std::string& relative) const { return root.driveC / relative; }

  // The parameter sweep of a prototype over a range file, Random phases at the frequency with
  // the count, Generate EUTs over a range file with the answers in order (c: paths; nullopt is a
  // cancelled box).
  void Sweep(const std::string& prototype, const std::string& range = "c:\\4nec2\\b_in\\Ranges\\r.txt") {
    ui.AnswerOpen(prototype);
    ui.AnswerOpen(range);
    form.CreateMultipleInputFiles1Click();
  }
  void Phases(std::optional<std::string> frequency, std::optional<std::string> count) {
    ui.AnswerAsk(std::move(frequency));
    if (count) ui.AnswerAsk(std::move(count));
    form.MIHardCoded1Click();
  }
  void Euts(const std::vector<std::optional<std::string>>& answers,
            const std::string& range = "c:\\4nec2\\b_in\\Ranges\\two.txt") {
    ui.AnswerOpen(range);
    for (const auto& answer : answers) ui.AnswerAsk(answer);
    form.MIGenerateEUTsClick();
  }

  std::vector<std::string> Warnings() const { return Starting(ui.messages, "[Warning] "); }

  // Every file below drive c: with its content: a picture of the tree to compare before/after.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.driveC)) {
      const std::string key = std::filesystem::relative(entry.path(), root.driveC).string();
      files[key] = entry.is_directory() ? std::string("<dir>") : TestRoot::Read(entry.path());
    }
    return files;
  }

  // The names of the files in a folder below drive c:, sorted.
  std::vector<std::string> FilesIn(const std::string& relative) const {
    std::vector<std::string> names;
    if (!std::filesystem::is_directory(root.driveC / relative)) return names;
    for (const auto& entry : std::filesystem::directory_iterator(root.driveC / relative))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TestRoot root;
  std::ostringstream out;
  DeckSystem system{root.Roots()};
  DeckUi ui{out, system};
  TForm1 form{{system, ui}};
};

// The lines of a text split at CR LF; a text ending in CR LF has no empty last element.
// Fails the test if a lone CR or LF appears.
inline std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "lone line-end character in: " << line;
    lines.push_back(line);
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return lines;
}

// The blank-separated fields of a card line.
inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; in >> field;) fields.push_back(field);
  return fields;
}

// A deck number written with '.' read back exactly as written.
inline double DeckValue(const std::string& field) {
  EXPECT_EQ(field.find(','), std::string::npos) << "comma in deck number " << field;
  return std::stod(field);
}

}  // namespace varnel
