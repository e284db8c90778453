#pragma once
// Helpers shared by the files of the POSIX system.
#include <string>
#include <string_view>
#include <vector>

#include "util/errors.hpp"
#include "util/text.hpp"

namespace varnel {

namespace posix_detail {

// The run-time's input/output error for an errno value: missing file or folder gives
// "Datei nicht gefunden" (2), a refused access "Dateizugriff verweigert" (5), a full disk
// "E/A-Fehler 112", anything else "E/A-Fehler <errno>".
InOutError ErrnoError(int error);

// Splits a native path at '/' and resolves "." and ".." lexically.
std::vector<std::string> NativeComponents(const std::string& absolutePath);
std::string JoinNative(const std::vector<std::string>& components);
// Keep the case-insensitive name lookup of NativePath up to date with the program's own
// changes: a file or folder it has just created (native path), or anything it removed.
void NoteEntryCreated(const std::string& nativePath);
void NoteEntriesRemoved();
// The real current folder ("/" when it cannot be read).
std::string CurrentNativeFolder();
// The full path of an executable found in PATH, or "".
std::string FindInPath(const std::string& program);

}  // namespace posix_detail

}  // namespace varnel
