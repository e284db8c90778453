#pragma once
// A main window over a scripted platform that also records every message box and can run a
// hook inside the next Info box, that is, while a command is running.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "mainwindow/VarnelU.hpp"
#include "platform/scripted/scripted_platform.hpp"
#include "util/errors.hpp"
#include "support/test_root.hpp"

struct RecordedBox {
  MessageKind kind;
  std::string title;
  std::string text;
};

class RecordingPlatform : public ScriptedPlatform {
 public:
  using ScriptedPlatform::ScriptedPlatform;

  std::vector<RecordedBox> boxes;
  // Runs once, inside the next Info box.
  std::function<void()> insideNextInfo;
  // When set, ReplaceFile throws this error instead of replacing.
  std::optional<int> replaceFailure;

  void MessageBox(MessageKind kind, const std::string& title, const std::string& text) override {
    boxes.push_back({kind, title, text});
    ScriptedPlatform::MessageBox(kind, title, text);
    if (kind == MessageKind::Info && insideNextInfo) {
      auto hook = std::move(insideNextInfo);
      insideNextInfo = nullptr;
      hook();
    }
  }
  void ReplaceFile(const std::string& source, const std::string& target) override {
    if (replaceFailure) throw MakeInOutError(*replaceFailure);
    ScriptedPlatform::ReplaceFile(source, target);
  }

  std::vector<RecordedBox> BoxesOf(MessageKind kind) const {
    std::vector<RecordedBox> found;
    for (const RecordedBox& box : boxes)
      if (box.kind == kind) found.push_back(box);
    return found;
  }
};

class WindowTest : public ::testing::Test {
 protected:
  TestRoot root;
  std::ostringstream out;
  RecordingPlatform platform{out, root.Roots()};
  TForm1 form{platform};
};
