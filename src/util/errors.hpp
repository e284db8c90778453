#pragma once
// The failures a command does not catch. Each carries the run-time's message text exactly
// as the user sees it in the error box; the dispatcher (mainwindow) shows it.
#include <stdexcept>
#include <string>

namespace varnel {

// Base of every failure that ends a command with an error box. The message is kept with its
// control bytes made visible (VisibleText of util/messages.hpp): what() is a C string, and a
// NUL taken over from a user's text would cut the box text there.
struct VarnelError : std::runtime_error {
  explicit VarnelError(const std::string& message);
};

// A text that is not a number: "'%s' ist kein gültiger Gleitkommawert" or
// "'%s' ist kein gültiger Integerwert".
struct ConversionError : VarnelError {
  using VarnelError::VarnelError;
};

// An input/output failure: "Datei nicht gefunden", "Dateizugriff verweigert", "E/A-Fehler %d".
struct InOutError : VarnelError {
  InOutError(const std::string& message, int code) : VarnelError(message), code(code) {}
  int code;
};

// "Gleitkommadivision durch Null": thrown where a division by a value that can be zero must
// end the command (floating-point division does not trap in C++).
struct ZeroDivideError : VarnelError {
  ZeroDivideError() : VarnelError("Gleitkommadivision durch Null") {}
};

// Ends a running command without an error box (the window is closing). The dispatcher
// swallows it silently.
struct CommandAborted : std::exception {
  const char* what() const noexcept override { return "command aborted"; }
};

// Ends a running batch at its next event processing because the user asked it to stop (Stop,
// Esc). A batch catches it to say how far it got; the dispatcher swallows it silently.
struct CommandStopped : std::exception {
  const char* what() const noexcept override { return "command stopped"; }
};

// The run-time's messages for the common input/output error codes (2 = not found,
// 5 = access denied, anything else "E/A-Fehler <code>").
InOutError MakeInOutError(int code);

// The error of a failed operation on one file: "Datei nicht gefunden" and "Dateizugriff
// verweigert" as MakeInOutError gives them; every other code names the file and, for a full disk
// (112), the cause, after the run-time's text: "E/A-Fehler 112 (disk full): c:\4nec2\out\x.txt".
inline constexpr int kDiskFullCode = 112;
InOutError FileInOutError(int code, const std::string& path);

}  // namespace varnel
