#pragma once
// Whole-file reading and writing, folder listing, deleting and creating, and the fixed folder
// names, over the seam (platform/). Paths are Windows-form texts ("c:\4nec2\b_in\").
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.hpp"
#include "util/text.hpp"

namespace varnel {

// Reads the file into one text, its lines ending as they do in the file: CR LF throughout or LF
// throughout (LineEndOf tells which), without a line end after the last line. A file with both
// kinds, or with a CR not followed by LF, is the one that is copied: its lines joined by CR LF,
// every CR that no LF follows dropped. Byte 26 ends the file. An empty file gives "". When no
// file of that name exists (a folder is not a file):
// ShowWarning "Die Datei <name> konnte nicht gefunden werden." and text stays as passed in.
// Other input/output failures throw InOutError. Returns true when the file was read.
bool ReadTextFile(Platform platform, const std::string& name, std::string& text);
// That warning for a file of that name.
void ShowMissingFileWarning(UserInterface& ui, const std::string& name);
// The text ReadTextFile makes of a file's bytes.
std::string TextOfFileBytes(std::string bytes);
// Where TextOfFileBytes takes the bytes as they stand but for a final line end (CR LF or LF line
// ends throughout, no byte 26), makes them that text and returns true; else leaves them as they
// are and returns false.
bool TakeTextAsItStands(std::string& bytes);
// The text with its lines ending in CR LF, as Varnel writes the texts it makes from a file's
// text (an LF text is copied; a CR LF text is returned as it is).
std::string WithCrLfLineEnds(std::string text);
// The lines of that text: a final line end adds no line, an empty file is one empty line.
TextList TextFileLines(std::string bytes);
// Creates or truncates the file and writes the text exactly. Throws InOutError.
void WriteTextFile(System& system, const std::string& text, const std::string& name);
// Writes the text to a new file of a fresh name beside the file (System::WriteFileBeside)
// and then replaces the file by it, so a failure part-way leaves an existing file as it was,
// the file keeps its access mode, and nothing is written through a link. Throws InOutError.
void WriteTextFileSafely(System& system, const std::string& text, const std::string& name);
// The characters a name on the users' file system cannot hold, besides the control
// characters 0 to 31.
inline constexpr std::string_view kForbiddenNameCharacters = "<>:\"/\\|?*";
// True when a Windows-form path can name this entry: no forbidden character, no control
// character. A name such as "..\..\out" on Linux is one entry, but its text names another file.
bool IsWindowsName(std::string_view name);
// The bare names of the files (not folders) matching the pattern, in the order the users'
// file system lists them; "." and ".." never. A relative pattern resolves against the current
// folder. A name that IsWindowsName refuses is left out (opening it by its text would reach
// another file) and added to skipped when that is given.
void ListFiles(System& system, const std::string& pattern, TextList& list, TextList* skipped = nullptr);
// The Info pane's note on names that ListFiles left out: "Skipped N names that cannot be
// opened: " + the first few names; "" when none were.
std::string SkippedNamesLine(const TextList& skipped);
// Deletes the folder's files and sub-folders depth first, then the folder (System::DeleteTree:
// nothing outside the folder is ever touched). A file that cannot be deleted is skipped;
// failures are not reported (callers test FolderExists afterwards). An empty path or a drive
// root ("c:", "c:\", "\") is refused: nothing is deleted.
void DeleteFolderTree(System& system, const std::string& folder);
// How many files (not folders) the folder (ending in '\') holds directly; 0 when it is missing.
std::size_t CountFiles(System& system, const std::string& folder);

// What a folder (path with trailing '\') holds: its files, its sub-folders, and the files in
// and below those. A link is counted as what it is itself and never followed; the depth is
// bounded, so it always ends.
struct FolderContent {
  std::size_t files = 0, folders = 0, filesInFolders = 0;
};
FolderContent CountContent(System& system, const std::string& folder);
// Creates exactly one folder; true when it was created.
bool CreateFolder(System& system, const std::string& folder);
// USERPROFILE + "\DeskTop" + "\".
std::string DesktopFolder(System& system);
// Everything up to and including the last '\' or ':' of the path, with a trailing '\'.
std::string ProgramFolder(const std::string& executablePath);
// The path with a trailing '\' ("" gives "\").
std::string IncludeBackslash(const std::string& path);
// The text before the last '.', searched over the whole text; unchanged without a '.'.
std::string StripExtension(const std::string& name);
// The shell's "open" on the document or folder, without waiting. When no program could be
// started for it, ShowError "No program is set up to open PDF documents: <path>" (the kind is
// the name's extension in upper case; "folders" for a folder, "documents" without an extension).
void OpenWithAssociatedProgram(Platform platform, const std::string& path);
// That error's text.
std::string NoOpenerMessage(const std::string& path, bool folder);
// Opens the document when it exists; otherwise ShowError
// "Die Datei <path> konnte nicht gefunden werden!".
void OpenExistingDocument(Platform platform, const std::string& path);
// The current local year, e.g. "2026".
std::string CurrentYearText(System& system);

}  // namespace varnel
