#include "util/messages.hpp"

void ShowInfo(Platform& platform, const std::string& message) {
  platform.MessageBox(MessageKind::Info, kApplicationTitle, message);
}

void ShowWarning(Platform& platform, const std::string& message) {
  platform.MessageBox(MessageKind::Warning, kApplicationTitle, message);
}

void ShowError(Platform& platform, const std::string& message) {
  platform.MessageBox(MessageKind::Error, kApplicationTitle, message);
}

bool AskText(Platform& platform, const std::string& caption, const std::string& prompt, std::string& text) {
  return platform.AskText(caption, prompt, text);
}
