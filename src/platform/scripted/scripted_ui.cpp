#include "platform/scripted/scripted_ui.hpp"

#include <chrono>
#include <ostream>
#include <thread>

#include "platform/platform.hpp"
#include "util/errors.hpp"

namespace varnel {

namespace {

bool HasDrive(const std::string& path) { return path.size() >= 2 && path[1] == ':'; }

// The last component of a path has no '.'.
bool LacksExtension(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/:");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  return name.find('.') == std::string::npos;
}

template <typename T>
std::optional<T> Take(std::deque<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T front = std::move(queue.front());
  queue.pop_front();
  return front;
}

}  // namespace

ScriptedUi::ScriptedUi(std::ostream& out, System& system) : out_(out), system_(system) {}

// Answers may name paths in Windows form or natively; the core gets the Windows form. A
// relative name resolves against the current folder, as a dialog would show it.
std::string ScriptedUi::AnswerPath(const std::string& path) {
  if (HasDrive(path)) return path;
  if (!path.empty() && path[0] == '/') return system_.FromNativePath(path);
  return system_.FromNativePath(system_.ToNativePath(path));
}

void ScriptedUi::AnswerOpen(std::optional<std::string> path) { open_.push_back(std::move(path)); }
void ScriptedUi::AnswerSave(std::optional<std::string> path) { save_.push_back(std::move(path)); }
void ScriptedUi::AnswerFolder(std::optional<std::string> path) { folder_.push_back(std::move(path)); }
void ScriptedUi::AnswerAsk(std::optional<std::string> text) {
  const bool ok = text.has_value();
  ask_.push_back({ok, std::move(text)});
}
void ScriptedUi::AnswerAskDefault() { ask_.push_back({true, std::nullopt}); }
void ScriptedUi::AnswerConfirm(bool yes) { AnswerConfirm(yes ? SaveAnswer::Discard : SaveAnswer::Cancel); }
void ScriptedUi::AnswerConfirm(SaveAnswer answer) { confirm_.push_back(answer); }
void ScriptedUi::AnswerOpener(bool found) { opener_.push_back(found); }
void ScriptedUi::AnswerPoint(std::vector<std::string> fieldTexts) { point_.push_back(std::move(fieldTexts)); }

void ScriptedUi::Print(const std::string& line) {
  out_ << line << '\n' << std::flush;
  messages.push_back(line);
}

void ScriptedUi::ShowMessage(MessageKind kind, const std::string&, const std::string& text) {
  const char* label = kind == MessageKind::Info      ? "[Info] "
                      : kind == MessageKind::Warning ? "[Warning] "
                                                     : "[Error] ";
  Print(label + text);
}

bool ScriptedUi::Confirm(const std::string& title, const std::string& question, bool unattended) {
  const std::optional<SaveAnswer> answer = Take(confirm_);
  if (!answer && !unattended) {
    ShowMessage(MessageKind::Warning, title, "no answer to: " + question + " Abort command!");
    return false;
  }
  const bool yes = answer ? *answer != SaveAnswer::Cancel : unattended;
  Print("[Question] " + question + (yes ? " Yes" : " No"));
  return yes;
}

SaveAnswer ScriptedUi::AskToSave(const std::string&, const std::string& question, SaveAnswer unattended) {
  const SaveAnswer answer = Take(confirm_).value_or(unattended);
  Print("[Question] " + question +
        (answer == SaveAnswer::Save      ? " Save"
         : answer == SaveAnswer::Discard ? " Discard"
                                         : " Cancel"));
  return answer;
}

bool ScriptedUi::AskText(const std::string& caption, const std::string&, std::string& text) {
  std::optional<AskAnswer> answer = Take(ask_);
  if (!answer) {
    Print("[Dialog] " + caption + ": no answer");
    return false;
  }
  if (answer->ok && answer->text) text = *answer->text;
  return answer->ok;
}

void ScriptedUi::ShowModal(ModalDialog& dialog) {
  dialog.Shown();
  std::optional<std::vector<std::string>> texts = Take(point_);
  if (!texts) {
    Print("[Dialog] " + dialog.Caption() + ": no answer");
    return;
  }
  if (dialog.fieldTexts.size() < texts->size()) dialog.fieldTexts.resize(texts->size());
  for (std::size_t i = 0; i < texts->size(); ++i) dialog.fieldTexts[i] = (*texts)[i];
  // Done; when it refuses, the dialog is closed with its close button, which changes nothing.
  dialog.DonePressed();
}

std::optional<std::string> ScriptedUi::FileDialog(FileDialogKind kind, const FileDialogSpec& spec) {
  const bool save = kind == FileDialogKind::Save;
  (save ? saveDialogs : openDialogs).push_back(spec);
  std::optional<std::optional<std::string>> answer = Take(save ? save_ : open_);
  if (!answer) {
    const std::string title = !spec.title.empty() ? spec.title : save ? "Save As" : "Open";
    Print("[Dialog] " + title + ": no answer");
    return std::nullopt;
  }
  if (!*answer) return std::nullopt;
  std::string path = AnswerPath(**answer);
  if (save && !spec.defaultExt.empty() && LacksExtension(path)) path += "." + spec.defaultExt;
  return path;
}

std::optional<std::string> ScriptedUi::ChooseFolder(const std::string& initialFolder) {
  folderDialogs.push_back(initialFolder);
  // The chooser cannot open at a folder that does not exist; the answer stays queued.
  RequireFolderToChooseIn(system_, initialFolder);
  std::optional<std::optional<std::string>> answer = Take(folder_);
  if (!answer) {
    Print("[Dialog] Select Folder: no answer");
    return std::nullopt;
  }
  if (!*answer) return std::nullopt;
  return TakeChosenFolder(system_, AnswerPath(**answer));
}

void ScriptedUi::ProcessEvents() {
  ++processEventsCalls;
  RunEventHooks();
}

void ScriptedUi::AtEvents(std::function<bool()> hook) { hooks_.push_back(std::move(hook)); }

void ScriptedUi::RunEventHooks() {
  // A hook may add hooks or process events itself: the list is taken out while they run.
  std::vector<std::function<bool()>> running;
  running.swap(hooks_);
  for (std::size_t i = 0; i < running.size(); ++i)
    if (running[i]()) running[i] = nullptr;
  std::erase_if(running, [](const std::function<bool()>& hook) { return !hook; });
  running.insert(running.end(), std::make_move_iterator(hooks_.begin()),
                 std::make_move_iterator(hooks_.end()));
  hooks_ = std::move(running);
}

bool ScriptedUi::OpenDocument(const std::string& path) {
  Print("[Open] " + path);
  return Take(opener_).value_or(true);
}

void ScriptedUi::Pause(int milliseconds) {
  pausedMilliseconds += milliseconds;
  if (realPause && milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace varnel
