#pragma once
// The headless runner: a command script against the scripted interface, output to a stream.
//
// One directive a line; blank lines and lines whose first non-blank character is '#' are
// skipped. Arguments are separated by blanks; a double quote starts and ends a quoted part in
// which every character stands for itself (no escapes), so "a b" and "" are one argument each.
//
//   decimal C                        DecimalSeparator := C (one character)
//   seed N                           SeedRandom(N), N a non-negative decimal integer
//                                    (the next random set is drawn from N, as its seed file says)
//   answer open|save|folder PATH     the next dialog of that kind returns PATH
//   answer open|save|folder cancel   ... is cancelled (a quoted "cancel" is a path)
//   answer ask TEXT | answer ask cancel   the next AskText or plain input box
//   answer ask default               ... OK on its prefilled text (a quoted "default" is a text)
//   answer point T1 T2 [T3]          the next point or range dialog
//   answer confirm yes|no|save       the next question: Yes/No, or Save/Discard/Cancel before a
//                                    table not saved is cleared (yes Discard, no Cancel);
//                                    unanswered, a question takes the answer that keeps the
//                                    command's unattended meaning; a question before deleting
//                                    refuses: "no answer to: ... Abort command!"
//   select RGPol N | select RGMode N choose a radio item (0 .. items - 1)
//   run HANDLER                      start a command through the dispatcher (handler or
//                                    control name); after Quit the script ends
//   print M | Mout | Mdata           the pane's lines, one output line each
//   print clipboard                  the clipboard text, its CR LF line ends written as
//                                    line ends of the output (a last line without one gets one)
//   print fields                     every display field as Name=text, in window order
//   print status                     the status line (the running command's progress)
//   screenshot PNG [N]               with --window: a picture of the window, now or once the
//                                    next command has begun its file N
//   stop [N]                         Stop is pressed at the next command's first event
//                                    processing once it has begun its file N (0: at once)
//   wait MS                          with --window: the window goes on for MS milliseconds
//                                    (to be looked at, or pictured from outside)
//   picture fieldmap|table FILE ...  the field map or the Data pane's plots as SVG (or PNG),
//                                    see picture_directive.hpp
//   echo TEXT...                     the arguments joined by one blank
//
// Message boxes and unanswered dialogs are printed by the scripted interface as they appear.
// Before the script the sample tree is created (as at program start) and the main window is
// made. Exit status: 0 when the script has run to its end (a failing command shows its error
// box and the script goes on); 2 for a line the runner does not understand (unknown directive,
// wrong arguments, unknown handler), after printing "line N: <reason>: <line>"; 1 when the
// start itself fails or the runner's own machinery throws.
//
// `varnel --script` writes this output to standard output line by line, so nothing printed is
// lost when the runner is ended; SIGTERM, SIGINT and SIGHUP also end the engine it waits for.
// With --progress every line a command writes into the Info pane is printed as it is written
// (at the command's event processing and when it ends); a line the command completes later
// (a conversion's "......done.") is printed again as it then reads.
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/VarnelU.hpp"
#include "platform/platform.hpp"

namespace varnel {

class ScriptedUi;

// What the program does at its start before the main window is made, over the machine it runs
// on (on Linux: the sample tree). May throw; the start then fails.
using StartUp = std::function<void()>;

// Program start for a script: startUp, then the main window over platform, with engineJobs set.
// False (after printing "varnel: the start failed: ..." to out) when it fails.
bool StartMainWindow(Platform platform, const StartUp& startUp, std::optional<TForm1>& form,
                     std::ostream& out, int engineJobs);

// The script over the system, answered by a scripted interface. engineJobs: how many engine
// processes Batch Conversion keeps running at once (--jobs); 0 keeps the window's default, one
// per processor.
// printInfo: --progress. realPause: the pauses sleep (the program always; tests of what a pause
// does not change leave it out).
int RunScript(std::istream& script, std::ostream& out, System& system, const StartUp& startUp,
              int engineJobs = 0, bool printInfo = false, bool realPause = true);

// The program's command line, the same on every system. The value of --jobs: a whole number from
// 1 to the processor count; 0, with the reason on err, when it is not.
int EngineJobsOption(const std::string& text, std::ostream& err);
// The options, in any order: --jobs N, --script FILE, --window and --progress (with --script
// only), --screenshot FILE.png (not with --script). Nothing, with the reason on err, for an
// unknown option, one given twice, a missing value or a combination that is not allowed.
struct CommandLine {
  int engineJobs = 0;  // --jobs not given
  std::optional<std::string> script;
  bool window = false;
  bool progress = false;
  std::optional<std::string> screenshot;
};
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments, std::ostream& err);
// Runs run over the script FILE ("-" is standard input); 2, with the reason on err, when the
// file cannot be read.
int RunOverScriptFile(const std::string& path, std::ostream& err,
                      const std::function<int(std::istream&)>& run);

// What the script's run, select and print directives act on: the model itself (headless), or
// the widgets of a real window built over it (`varnel --script FILE --window`).
class ScriptView {
 public:
  virtual ~ScriptView() = default;
  virtual void Run(const std::string& name) = 0;  // a click on the control
  virtual void Select(const std::string& group, int index) = 0;
  virtual std::vector<std::string> PaneLines(const std::string& pane) = 0;  // M, Mout, Mdata
  virtual std::string FieldText(const std::string& field) = 0;
  virtual std::string Clipboard() = 0;
  virtual std::string Status() = 0;  // the status line
  // A picture of the window now, or (file > 0) once the next command has begun that file.
  // Headless there is no window and nothing happens.
  virtual void Screenshot(const std::string& path, std::size_t file) = 0;
  // The window handles its events for that long; headless nothing happens.
  virtual void Wait(int milliseconds) { (void)milliseconds; }
  // A click on the window's Stop button (headless: the model's stop).
  virtual void PressStop() = 0;
};

// Which handlers a `run` line starts, and whether `picture` lines (asked as "picture") write
// their files; any other known handler is only checked against the dispatcher's names (so a
// script can be read without letting it touch a file). An empty filter starts everything.
using ScriptCommandFilter = std::function<bool(const std::string& handler)>;

// The script against a model already built, answered by the queues of answers and shown by view.
// Same directives and exit statuses as RunScript; `print status` prints the view's status line.
// printInfo: the Info pane's lines as they are written (--progress).
int RunScriptOn(std::istream& script, std::ostream& out, ScriptedUi& answers, TForm1& form, ScriptView& view,
                const ScriptCommandFilter& mayStart = {}, bool printInfo = false);
// The same headless, on the model itself (no sample tree is created).
int RunScriptOn(ScriptedUi& answers, TForm1& form, std::istream& script, std::ostream& out,
                const ScriptCommandFilter& mayStart);

}  // namespace varnel
