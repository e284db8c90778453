#include "util/messages.hpp"

#include "util/errors.hpp"
#include "util/numbers.hpp"

namespace varnel {

std::string VisibleText(const std::string& message) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string visible;
  visible.reserve(message.size());
  for (char c : message) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte == 0) {
      visible += "\\0";
    } else if ((byte < 32 && c != '\t' && c != '\n' && c != '\r') || byte == 127) {
      visible += "\\x";
      visible += kHex[byte >> 4];
      visible += kHex[byte & 15];
    } else {
      visible += c;
    }
  }
  return visible;
}

void ShowInfo(UserInterface& ui, const std::string& message) {
  ui.ShowMessage(MessageKind::Info, kApplicationTitle, VisibleText(message));
}

void ShowWarning(UserInterface& ui, const std::string& message) {
  ui.ShowMessage(MessageKind::Warning, kApplicationTitle, VisibleText(message));
}

void ShowError(UserInterface& ui, const std::string& message) {
  ui.ShowMessage(MessageKind::Error, kApplicationTitle, VisibleText(message));
}

bool AskText(UserInterface& ui, const std::string& caption, const std::string& prompt, std::string& text) {
  return ui.AskText(caption, prompt, text);
}

namespace {

template <typename Convert>
auto AskNumber(UserInterface& ui, const NumberQuestion& question, Convert convert)
    -> std::optional<decltype(convert(std::string_view()))> {
  std::string text = question.prefill;
  if (!AskText(ui, question.caption, question.prompt, text)) {
    if (!question.cancelQuiet) ShowWarning(ui, question.warning);
    return std::nullopt;
  }
  using Number = decltype(convert(std::string_view()));
  if (question.keepIfUnchanged && text == question.prefill) return static_cast<Number>(*question.keepIfUnchanged);
  try {
    return convert(text);
  } catch (const ConversionError&) {
    ShowWarning(ui, question.warning);
    return std::nullopt;
  }
}

}  // namespace

std::optional<double> AskReal(UserInterface& ui, const NumberQuestion& question) {
  return AskNumber(ui, question, [](std::string_view text) { return TextToReal(text); });
}

std::optional<std::int32_t> AskInteger(UserInterface& ui, const NumberQuestion& question) {
  return AskNumber(ui, question, [](std::string_view text) { return TextToInt(text); });
}

}  // namespace varnel
