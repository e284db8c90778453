// The headless runner: reads a command script line by line and drives the main window through
// the scripted interface. It holds no behaviour of its own beyond reading the script.
#include "platform/scripted/runner.hpp"

#include <charconv>
#include <exception>
#include <fstream>
#include <functional>
#include <iostream>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversion.hpp"
#include "mainwindow/VarnelU.hpp"
#include "platform/scripted/picture_directive.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "util/format.hpp"
#include "util/random.hpp"

namespace varnel {

namespace {

struct Argument {
  std::string text;
  bool quoted = false;  // some part of it stood in double quotes
};

// A line the runner does not understand.
struct ScriptError {
  std::string reason;
};

std::vector<Argument> SplitArguments(const std::string& line) {
  std::vector<Argument> arguments;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      continue;
    }
    Argument argument;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
      if (line[i] == '"') {
        const std::size_t close = line.find('"', i + 1);
        if (close == std::string::npos) throw ScriptError{"unterminated quote"};
        argument.text.append(line, i + 1, close - i - 1);
        argument.quoted = true;
        i = close + 1;
      } else {
        argument.text += line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

bool IsComment(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string::npos || line[first] == '#';
}

// "cancel" unquoted is a cancel; anything else (a quoted "cancel" too) is the answer.
std::optional<std::string> AnswerText(const Argument& argument) {
  if (!argument.quoted && argument.text == "cancel") return std::nullopt;
  return argument.text;
}

void ExpectCount(const std::vector<Argument>& arguments, std::size_t count) {
  if (arguments.size() != count) throw ScriptError{"wrong number of arguments"};
}

template <typename Integer>
Integer ParseNumber(const std::string& text) {
  Integer value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty())
    throw ScriptError{"not a number: " + text};
  return value;
}

void PrintLines(std::ostream& out, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) out << line << '\n';
}

void PrintClipboard(std::ostream& out, const std::string& text) {
  std::string printed;
  printed.reserve(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    printed += text[i];
  }
  if (!printed.empty() && printed.back() != '\n') printed += '\n';
  out << printed;
}

// The headless view: the model as it stands.
class ModelView : public ScriptView {
 public:
  explicit ModelView(TForm1& form) : form_(form) {}
  void Run(const std::string& name) override { form_.Run(name); }
  void Select(const std::string& group, int index) override {
    form_.Select(group == "RGPol" ? form_.RGPol : form_.RGMode, index);
  }
  std::vector<std::string> PaneLines(const std::string& pane) override {
    return pane == "M" ? form_.M.lines : pane == "Mout" ? form_.Mout.lines : form_.Mdata.lines;
  }
  std::string FieldText(const std::string& field) override { return form_.FindField(field)->text; }
  std::string Clipboard() override { return form_.platform.ui.ClipboardText(); }
  std::string Status() override {
    return ProgressText(form_.progress, form_.platform.system.MillisecondsSinceEpoch());
  }
  void Screenshot(const std::string&, std::size_t) override {}
  void PressStop() override { form_.RequestStop(); }

 private:
  TForm1& form_;
};

// The lines of a pane printed as they are written: after a clear from its first line on, else
// the lines added since; a line among the last ones printed that has changed since (a
// conversion completing its line) is printed again. Only the last lines are looked at again,
// so a long run costs no more per change than a short one.
class LinePrinter {
 public:
  LinePrinter(const Pane& pane, std::ostream& out) : pane_(pane), out_(out) {}
  void Print() {
    if (pane_.revision == revision_ && pane_.rewrites == rewrites_) return;
    if (pane_.clears != clears_) {
      printed_.clear();
      clears_ = pane_.clears;
    } else if (pane_.rewrites != rewrites_) {
      if (printed_.size() > pane_.lines.size()) printed_.resize(pane_.lines.size());
      constexpr std::size_t kLookedAgain = 64;
      for (std::size_t i = printed_.size() > kLookedAgain ? printed_.size() - kLookedAgain : 0;
           i < printed_.size(); ++i) {
        const std::size_t hash = std::hash<std::string_view>{}(pane_.lines[i]);
        if (hash == printed_[i]) continue;
        printed_[i] = hash;
        out_ << std::string_view(pane_.lines[i]) << '\n';
      }
    }
    for (std::size_t i = printed_.size(); i < pane_.lines.size(); ++i) {
      printed_.push_back(std::hash<std::string_view>{}(pane_.lines[i]));
      out_ << std::string_view(pane_.lines[i]) << '\n';
    }
    out_.flush();
    revision_ = pane_.revision;
    rewrites_ = pane_.rewrites;
  }

 private:
  const Pane& pane_;
  std::ostream& out_;
  std::vector<std::size_t> printed_;  // the hash of each line printed, as it read then
  std::uint64_t revision_ = 0, rewrites_ = 0, clears_ = 0;
};

class Runner {
 public:
  Runner(ScriptedUi& answers, TForm1& form, ScriptView& view, std::ostream& out,
         const ScriptCommandFilter& mayStart, bool printInfo)
      : answers_(answers), form_(form), view_(view), out_(out), mayStart_(mayStart) {
    if (!printInfo) return;
    info_.emplace(form_.Mout, out_);
    info_->Print();
    answers_.AtEvents([this] {
      info_->Print();
      return false;
    });
  }
  // The hooks refer to the runner.
  ~Runner() { answers_.ClearEventHooks(); }

  // Runs one directive; false when the script is to end (the application was told to quit).
  bool Execute(const std::vector<Argument>& arguments) {
    const std::string& directive = arguments[0].text;
    if (directive == "decimal") {
      ExpectCount(arguments, 2);
      if (arguments[1].text.size() != 1) throw ScriptError{"the separator must be one character"};
      DecimalSeparator = arguments[1].text[0];
    } else if (directive == "seed") {
      ExpectCount(arguments, 2);
      SeedRandom(ParseNumber<std::uint64_t>(arguments[1].text));
    } else if (directive == "answer") {
      Answer(arguments);
    } else if (directive == "select") {
      Select(arguments);
    } else if (directive == "run") {
      ExpectCount(arguments, 2);
      if (!form_.HasCommand(arguments[1].text)) throw ScriptError{"unknown command " + arguments[1].text};
      if (mayStart_ && !mayStart_(arguments[1].text)) return true;
      view_.Run(arguments[1].text);
      if (info_) info_->Print();
      if (answers_.quitRequested) return false;
    } else if (directive == "stop") {
      if (arguments.size() > 2) throw ScriptError{"wrong number of arguments"};
      const std::size_t file = arguments.size() == 2 ? ParseNumber<std::size_t>(arguments[1].text) : 0;
      answers_.AtEvents([this, file] {
        if (!form_.progress.running || form_.progress.file < file) return false;
        view_.PressStop();
        return true;
      });
    } else if (directive == "print") {
      Print(arguments);
    } else if (directive == "screenshot") {
      if (arguments.size() != 2 && arguments.size() != 3) throw ScriptError{"wrong number of arguments"};
      view_.Screenshot(arguments[1].text,
                       arguments.size() == 3 ? ParseNumber<std::size_t>(arguments[2].text) : 0);
    } else if (directive == "wait") {
      ExpectCount(arguments, 2);
      view_.Wait(ParseNumber<int>(arguments[1].text));
    } else if (directive == "picture") {
      if (mayStart_ && !mayStart_("picture")) return true;
      std::vector<std::string> texts;
      for (std::size_t i = 1; i < arguments.size(); ++i) texts.push_back(arguments[i].text);
      std::string printed;
      if (auto reason = RunPictureDirective(form_, form_.platform.system, startFolder_, texts, printed))
        throw ScriptError{*reason};
      if (!printed.empty()) out_ << printed << '\n';
    } else if (directive == "echo") {
      std::string text;
      for (std::size_t i = 1; i < arguments.size(); ++i) text += (i > 1 ? " " : "") + arguments[i].text;
      out_ << text << '\n';
    } else {
      throw ScriptError{"unknown directive"};
    }
    return true;
  }

 private:
  void Answer(const std::vector<Argument>& arguments) {
    if (arguments.size() < 2) throw ScriptError{"answer needs a dialog kind"};
    const std::string& kind = arguments[1].text;
    if (kind == "point") {
      if (arguments.size() != 4 && arguments.size() != 5)
        throw ScriptError{"answer point needs two or three texts"};
      std::vector<std::string> texts;
      for (std::size_t i = 2; i < arguments.size(); ++i) texts.push_back(arguments[i].text);
      answers_.AnswerPoint(std::move(texts));
      return;
    }
    ExpectCount(arguments, 3);
    if (kind == "confirm" && arguments[2].text == "save") {
      answers_.AnswerConfirm(SaveAnswer::Save);
      return;
    }
    if (kind == "confirm" || kind == "opener") {
      if (arguments[2].text != "yes" && arguments[2].text != "no")
        throw ScriptError{"answer " + kind + " needs yes or no" + (kind == "confirm" ? " (or save)" : "")};
      const bool yes = arguments[2].text == "yes";
      if (kind == "confirm")
        answers_.AnswerConfirm(yes);
      else
        answers_.AnswerOpener(yes);
      return;
    }
    if (kind == "ask" && arguments[2].text == "default" && !arguments[2].quoted) {
      answers_.AnswerAskDefault();
      return;
    }
    const std::optional<std::string> answer = AnswerText(arguments[2]);
    if (kind == "open") {
      answers_.AnswerOpen(answer);
    } else if (kind == "save") {
      answers_.AnswerSave(answer);
    } else if (kind == "folder") {
      answers_.AnswerFolder(answer);
    } else if (kind == "ask") {
      answers_.AnswerAsk(answer);
    } else {
      throw ScriptError{"unknown dialog kind " + kind};
    }
  }

  void Select(const std::vector<Argument>& arguments) {
    ExpectCount(arguments, 3);
    RadioGroup* group = nullptr;
    if (arguments[1].text == "RGPol") group = &form_.RGPol;
    if (arguments[1].text == "RGMode") group = &form_.RGMode;
    if (!group) throw ScriptError{"unknown radio group " + arguments[1].text};
    const int index = ParseNumber<int>(arguments[2].text);
    if (index < 0 || index >= static_cast<int>(group->items.size()))
      throw ScriptError{"no item " + arguments[2].text + " in " + group->name};
    view_.Select(group->name, index);
  }

  void Print(const std::vector<Argument>& arguments) {
    ExpectCount(arguments, 2);
    const std::string& what = arguments[1].text;
    if (what == "M" || what == "Mout" || what == "Mdata") {
      PrintLines(out_, view_.PaneLines(what));
    } else if (what == "clipboard") {
      PrintClipboard(out_, view_.Clipboard());
    } else if (what == "fields") {
      for (const DisplayField* field : form_.Fields())
        out_ << field->name << '=' << view_.FieldText(field->name) << '\n';
    } else if (what == "status") {
      out_ << view_.Status() << '\n';
    } else {
      throw ScriptError{"nothing to print named " + what};
    }
  }

  ScriptedUi& answers_;
  TForm1& form_;
  ScriptView& view_;
  std::ostream& out_;
  const ScriptCommandFilter& mayStart_;
  const std::string startFolder_ = form_.platform.system.CurrentFolder();
  std::optional<LinePrinter> info_;
};

}  // namespace

bool StartMainWindow(Platform platform, const StartUp& startUp, std::optional<TForm1>& form,
                     std::ostream& out, int engineJobs) {
  try {
    if (startUp) startUp();
    form.emplace(platform);
    if (engineJobs > 0) form->params.EngineJobs = engineJobs;
    return true;
  } catch (const std::exception& failure) {
    out << "varnel: the start failed: " << failure.what() << '\n';
    out.flush();
    return false;
  }
}

int RunScript(std::istream& script, std::ostream& out, System& system, const StartUp& startUp, int engineJobs,
              bool printInfo, bool realPause) {
  ScriptedUi ui(out, system);
  // A script runs in real time: the engine waits and the split-mode pauses sleep instead of
  // spinning.
  ui.realPause = realPause;
  std::optional<TForm1> form;
  if (!StartMainWindow({system, ui}, startUp, form, out, engineJobs)) return 1;
  ModelView view(*form);
  return RunScriptOn(script, out, ui, *form, view, {}, printInfo);
}

int RunScriptOn(ScriptedUi& answers, TForm1& form, std::istream& script, std::ostream& out,
                const ScriptCommandFilter& mayStart) {
  ModelView view(form);
  return RunScriptOn(script, out, answers, form, view, mayStart);
}

int RunScriptOn(std::istream& script, std::ostream& out, ScriptedUi& answers, TForm1& form, ScriptView& view,
                const ScriptCommandFilter& mayStart, bool printInfo) {
  Runner runner(answers, form, view, out, mayStart, printInfo);
  std::string line;
  int lineNumber = 0;
  while (std::getline(script, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (IsComment(line)) continue;
    try {
      if (!runner.Execute(SplitArguments(line))) break;
    } catch (const ScriptError& error) {
      out << "line " << lineNumber << ": " << error.reason << ": " << line << '\n';
      out.flush();
      return 2;
    } catch (const std::exception& failure) {
      // Commands report their own failures; this is the runner's machinery failing.
      out << "line " << lineNumber << ": failed: " << failure.what() << '\n';
      out.flush();
      return 1;
    }
  }
  out.flush();
  return 0;
}

int EngineJobsOption(const std::string& text, std::ostream& err) {
  const bool whole =
      !text.empty() && text.size() <= 4 && text.find_first_not_of("0123456789") == std::string::npos;
  const int jobs = whole ? std::stoi(text) : 0;
  if (jobs >= 1 && jobs <= MostParallelRuns()) return jobs;
  err << "varnel: --jobs takes a whole number from 1 to " << MostParallelRuns() << "\n";
  return 0;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments, std::ostream& err) {
  CommandLine line;
  bool jobsGiven = false;
  auto refuse = [&err](const std::string& reason) -> std::optional<CommandLine> {
    err << "varnel: " << reason << "\n";
    return std::nullopt;
  };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    const bool takesValue = option == "--jobs" || option == "--script" || option == "--screenshot";
    if (takesValue && i + 1 == arguments.size()) return refuse(option + " needs a value");
    const bool twice = (option == "--jobs" && jobsGiven) || (option == "--script" && line.script) ||
                       (option == "--screenshot" && line.screenshot) ||
                       (option == "--window" && line.window) || (option == "--progress" && line.progress);
    if (twice) return refuse(option + " is given twice");
    if (option == "--jobs") {
      line.engineJobs = EngineJobsOption(arguments[++i], err);
      if (line.engineJobs == 0) return std::nullopt;
      jobsGiven = true;
    } else if (option == "--script") {
      line.script = arguments[++i];
    } else if (option == "--screenshot") {
      line.screenshot = arguments[++i];
    } else if (option == "--window") {
      line.window = true;
    } else if (option == "--progress") {
      line.progress = true;
    } else {
      return refuse("unknown option " + option);
    }
  }
  if ((line.window || line.progress) && !line.script)
    return refuse("--window and --progress go with --script");
  if (line.screenshot && line.script) return refuse("--screenshot opens the window: not with --script");
  return line;
}

int RunOverScriptFile(const std::string& path, std::ostream& err,
                      const std::function<int(std::istream&)>& run) {
  if (path == "-") return run(std::cin);
  std::ifstream script(path, std::ios::binary);
  if (!script) {
    err << "varnel: cannot read the script " << path << "\n";
    return 2;
  }
  return run(script);
}

}  // namespace varnel
