#pragma once
// Helpers shared by the files of the Windows system half. Included after <windows.h>.
#include <string>

#include "util/errors.hpp"

namespace varnel {

namespace win32_detail {

// The program's 8-bit texts and the system's wide texts, through the ANSI code page. A wide
// character the code page lacks becomes '?' (never a look-alike letter).
std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);

// The run-time's input/output error for a system error code: a missing file, folder or drive
// and a name the system cannot take give "Datei nicht gefunden" (2), a refused access
// "Dateizugriff verweigert" (5), a full disk "E/A-Fehler 112", anything else "E/A-Fehler <code>".
// With a path, every error but the first two names the file and a full disk says so
// (FileInOutError).
InOutError SystemError(unsigned long code);
InOutError SystemError(unsigned long code, const std::string& path);
// The system's own text for an error code, without its line end.
std::string SystemMessage(unsigned long code);

// The full path (GetFullPathName: relative names, "/", "." and ".." resolved) in the long form
// "\\?\c:\..." that takes every stored name literally and is not bounded by MAX_PATH; empty
// when the path cannot be expressed.
std::wstring LongFullPath(const std::string& path);

}  // namespace win32_detail

}  // namespace varnel
