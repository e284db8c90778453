#pragma once
// A main window over a scripted interface on the POSIX system that records every message box and
// input box and can run a hook inside the next Info box, that is, while a command is running.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "mainwindow/VarnelU.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "util/errors.hpp"
#include "support/test_root.hpp"

namespace varnel {

// A system whose RenameOver can be made to fail.
class FailingSystem : public TestSystem {
 public:
  using TestSystem::TestSystem;
  // When set, RenameOver throws this error instead of replacing.
  std::optional<int> replaceFailure;
  void RenameOver(const std::string& source, const std::string& target) override {
    if (replaceFailure) throw MakeInOutError(*replaceFailure);
    TestSystem::RenameOver(source, target);
  }
};

struct RecordedBox {
  MessageKind kind;
  std::string title;
  std::string text;
};

// What an input box asked and offered.
struct AskRecord {
  std::string caption, prompt, offered;
};

class RecordingUi : public ScriptedUi {
 public:
  using ScriptedUi::ScriptedUi;

  std::vector<RecordedBox> boxes;
  std::vector<AskRecord> asks;
  // Runs once, inside the next Info box.
  std::function<void()> insideNextInfo;

  void ShowMessage(MessageKind kind, const std::string& title, const std::string& text) override {
    boxes.push_back({kind, title, text});
    ScriptedUi::ShowMessage(kind, title, text);
    if (kind == MessageKind::Info && insideNextInfo) {
      auto hook = std::move(insideNextInfo);
      insideNextInfo = nullptr;
      hook();
    }
  }
  bool AskText(const std::string& caption, const std::string& prompt, std::string& text) override {
    asks.push_back({caption, prompt, text});
    return ScriptedUi::AskText(caption, prompt, text);
  }
  bool Warned(const std::string& text) const {
    return std::find(messages.begin(), messages.end(), "[Warning] " + text) != messages.end();
  }
  int Warnings() const {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                          [](const std::string& m) { return m.starts_with("[Warning]"); }));
  }
  std::vector<RecordedBox> BoxesOf(MessageKind kind) const {
    std::vector<RecordedBox> found;
    for (const RecordedBox& box : boxes)
      if (box.kind == kind) found.push_back(box);
    return found;
  }
};

// Lines one to a row in brackets, for messages that show where they differ.
inline std::string Bracketed(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += "[" + l + "]\n";
  return all;
}

class WindowTest : public ::testing::Test {
 protected:
  TestRoot root;
  std::ostringstream out;
  FailingSystem system{root.Roots()};
  RecordingUi ui{out, system};
  TForm1 form{{system, ui}};
};

}  // namespace varnel
