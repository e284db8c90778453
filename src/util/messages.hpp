#pragma once
// The message and input boxes through which every command talks to the user.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui.hpp"

namespace varnel {

// The title of every box of the program.
inline constexpr const char* kApplicationTitle = "Varnel";
inline constexpr const char* kApplicationVersion = "v1.5";

// The message with every control byte other than tab, line feed and carriage return written
// out visibly: NUL as \0, the others as \xNN (two upper-case hex digits). A box or an error
// text then never ends early at a NUL, and nothing of a user's text vanishes from it.
std::string VisibleText(const std::string& message);

// Each box shows VisibleText(message).
void ShowInfo(UserInterface& ui, const std::string& message);
void ShowWarning(UserInterface& ui, const std::string& message);
void ShowError(UserInterface& ui, const std::string& message);
// Caption, prompt, one edit field holding text, "&OK" and "&Cancel"; true only for OK; text
// receives the edited text in every case.
bool AskText(UserInterface& ui, const std::string& caption, const std::string& prompt, std::string& text);

// One number asked in the input box. The box shows caption, prompt and prefill; OK with a text
// that converts gives the number (TextToReal or TextToInt); an answer that does not convert
// gives nothing after the warning, and so does Cancel (silently when cancelQuiet). An answer
// equal to the prefill gives keepIfUnchanged when that is set, so a value shown rounded in the
// box is kept exactly when the user confirms it unchanged.
struct NumberQuestion {
  std::string caption = "Inquiry";
  std::string prompt;
  std::string prefill;
  std::string warning = "No valid number. Abort command!";
  bool cancelQuiet = false;
  std::optional<double> keepIfUnchanged;
};
std::optional<double> AskReal(UserInterface& ui, const NumberQuestion& question);
std::optional<std::int32_t> AskInteger(UserInterface& ui, const NumberQuestion& question);

}  // namespace varnel
