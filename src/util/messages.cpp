#include "util/messages.hpp"

#include "util/errors.hpp"
#include "util/numbers.hpp"

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

void ShowInfo(Platform& platform, const std::string& message) {
  platform.MessageBox(MessageKind::Info, kApplicationTitle, VisibleText(message));
}

void ShowWarning(Platform& platform, const std::string& message) {
  platform.MessageBox(MessageKind::Warning, kApplicationTitle, VisibleText(message));
}

void ShowError(Platform& platform, const std::string& message) {
  platform.MessageBox(MessageKind::Error, kApplicationTitle, VisibleText(message));
}

bool AskText(Platform& platform, const std::string& caption, const std::string& prompt, std::string& text) {
  return platform.AskText(caption, prompt, text);
}

namespace {

template <typename Convert>
auto AskNumber(Platform& platform, const NumberQuestion& question, Convert convert)
    -> std::optional<decltype(convert(std::string_view()))> {
  std::string text = question.prefill;
  if (!AskText(platform, question.caption, question.prompt, text)) {
    if (!question.cancelQuiet) ShowWarning(platform, question.warning);
    return std::nullopt;
  }
  using Number = decltype(convert(std::string_view()));
  if (question.keepIfUnchanged && text == question.prefill) return static_cast<Number>(*question.keepIfUnchanged);
  try {
    return convert(text);
  } catch (const ConversionError&) {
    ShowWarning(platform, question.warning);
    return std::nullopt;
  }
}

}  // namespace

std::optional<double> AskReal(Platform& platform, const NumberQuestion& question) {
  return AskNumber(platform, question, [](std::string_view text) { return TextToReal(text); });
}

std::optional<std::int32_t> AskInteger(Platform& platform, const NumberQuestion& question) {
  return AskNumber(platform, question, [](std::string_view text) { return TextToInt(text); });
}
