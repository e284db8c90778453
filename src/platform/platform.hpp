#pragma once
// The seam between the core and the world, in two halves: the machine (System, system.hpp) and
// the person (UserInterface, ui.hpp). Everything the operating system does or a person sees
// stands behind one of them; the core never reaches for a global.
//
// A binding is a pair composed of one System and one UserInterface, never one derived from the
// other: the scripted interface (scripted/) runs over the POSIX system (posix/) for tests and the
// headless runner, and the Qt window (qt/) over the same system. A core function takes the
// narrowest half it needs (System& for files, UserInterface& for boxes) and a Platform only
// where it needs both. A Platform holds two references and is passed by value.
#include <string>
#include <vector>

#include "platform/system.hpp"
#include "platform/ui.hpp"
#include "util/errors.hpp"

namespace varnel {

struct Platform {
  System& system;
  UserInterface& ui;
};

// Writes bytes to target in one step: to a new file beside it (WriteFileBeside), then renamed
// over it; the new file is removed again when the renaming fails. Throws InOutError.
void WriteThroughFileBeside(System& system, const std::string& target, const std::string& bytes);

// The failures of a folder chooser, the same in every binding: it cannot open at a folder that
// does not exist, and a chosen folder that cannot be made the current one fails the same way
// ("Datei nicht gefunden").
void RequireFolderToChooseIn(System& system, const std::string& initialFolder);
InOutError FolderChoiceError();
// The folder a chooser returned (Windows form) as every binding hands it to the core: without
// a trailing separator, except after a drive ("c:\"), and made the current folder.
std::string TakeChosenFolder(System& system, std::string folder);

// StartProcess with folder as the program's working folder: the current folder is folder for
// the start and what it was before again after it.
ProcessHandle StartInFolder(System& system, const std::string& program, const std::string& parameters,
                            const std::string& folder, std::string& error);

// The native paths of the files and folders a message names in Windows form ("c:\4nec2\x.txt"
// as "/home/ann/.wine/drive_c/4nec2/x.txt"), in the order named, each once; only where the
// native form differs (nothing on Windows). A named path runs to the end of its line or of the
// longest stretch that exists, or whose folder exists, so names with blanks are taken whole.
std::vector<std::string> NativePathsIn(System& system, const std::string& message);
// The message with a last line naming those paths: "(on this machine: /home/ann/...)"; the
// message itself where it names none.
std::string WithNativePaths(System& system, const std::string& message);

}  // namespace varnel
