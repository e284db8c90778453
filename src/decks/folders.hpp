#pragma once
// The one recreation of a target folder, shared by the three deck generators and the batch
// conversion, and the checks that keep it from deleting more than its own folder.
//
// A target folder is always a parent folder plus ONE new component plus "\"
// ("c:\4nec2\b_in\" + "E_" + "\"). Deleting it removes everything inside, without a question,
// so every name that becomes such a component is checked first (TargetNameProblem), and the
// recreation itself refuses a folder that is not of that shape (TargetFolderProblem).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/platform.hpp"
#include "platform/system.hpp"
#include "util/tree.hpp"

namespace varnel {

class TForm1;

// "" when name may be the last component of a target folder (and the start of the file names
// inside it); otherwise a short English reason ("the name is empty", "the name holds '\'", ...).
// Refused: an empty name; "." and ".." and any name holding ".."; the characters < > : " / \ | ? *
// and every control character (0-31, 127); a trailing '.' or blank; the reserved device names
// CON PRN AUX NUL COM1-COM9 LPT1-LPT9 (any case, also before an extension: "con.txt");
// more than 200 characters (the decks' names add to it).
std::string TargetNameProblem(const std::string& name);

// "" when folder may be deleted and created anew; otherwise a short English reason. The folder
// must end in '\' and its last component must pass TargetNameProblem (so it is never a drive
// root or a parent of the intended folder); it must not be the root c:\4nec2\ nor one of its
// fixed folders (exe, b_in, b_in\Ranges, b_out, out), compared without letter case and with
// '/' taken as '\'. When root is not empty, folder must be exactly root + one component + "\"
// (root compared without letter case; root must end in '\').
std::string TargetFolderProblem(const std::string& folder, const std::string& root = "");

// "" unless folder, resolved by the machine (".", "..", letter case, drive aliases, links), is
// one of kFixedFolders or holds one; then a short English reason naming it.
std::string FixedFolderInside(System& system, const std::string& folder);

struct RecreateOptions {
  // When not empty, "Source-File: " + sourceFile follows the creation line (the sweep).
  std::string sourceFile;
  // The generators clear the Info pane after creating the folder and then add
  // "Destination-Directory: " + folder; the batch conversion does neither.
  bool clearInfoPane = true;
  bool destinationLine = true;
  // When not empty: the folder must be this root + one component + "\" (see
  // TargetFolderProblem). The generators pass "c:\4nec2\b_in\", the batch conversion
  // "C:\4nec2\b_out\", the sweep the prototype's own folder.
  std::string root;
  // When not empty and the folder exists: asked as a Yes/No question before anything is
  // touched (after the refusals of step 1); No ends the recreation, returning false with
  // nothing deleted. A script that queued no answer refuses (UserInterface::Confirm).
  std::string deleteQuestion;

  static RecreateOptions Generator(std::string root) {
    RecreateOptions options;
    options.root = std::move(root);
    return options;
  }
  static RecreateOptions BatchConversion() {
    RecreateOptions options;
    options.clearInfoPane = false;
    options.destinationLine = false;
    options.root = kOutputRoot;
    return options;
  }
};

// Deletes folder (a path with trailing '\') with everything in it and creates it anew, reporting
// in form.Mout:
//   1. folder refused by TargetFolderProblem or FixedFolderInside: ShowWarning
//      "Target folder refused (" + reason + "): " + folder + ". Abort command!", nothing is
//      touched, returns false;
//   2. folder exists: options.deleteQuestion is asked when given (No: returns false); then
//      DeleteFolderTree; if it still exists: ShowWarning
//      "Folder still exists. Abort command!", returns false;
//   3. AddLine "Old Folder sucessfully deleted: " + folder (also when it did not exist);
//   4. CreateFolder; on failure ShowWarning "Folder was not created. Abort command!", false;
//   5. ClearPane (unless options say not), AddLine "New Folder sucessfully created: " + folder,
//      then "Source-File: " + options.sourceFile when given, then
//      "Destination-Directory: " + folder (unless options say not); returns true.
bool RecreateTargetFolder(TForm1& form, const std::string& folder, const RecreateOptions& options = {});

// For a command that adds to a folder and never deletes (Resume Batch Conversion): the refusals
// of RecreateTargetFolder's step 1; then, when the folder does not exist, CreateFolder with
// its step 4 and the line "New Folder sucessfully created: " + folder. An existing folder is
// left as it is. True when the folder is there to be written into.
bool CreateTargetFolder(TForm1& form, const std::string& folder, const RecreateOptions& options = {});

// The lock of a folder a command recreates or converts into, held while the object lives, so
// that two programs never work on one folder at once. When another program holds it, the
// warning "Another Varnel is working on " + folder + ". Abort command!" is shown; when it cannot
// be taken for another reason, "The folder " + folder + " cannot be locked (" + reason + ").
// Abort command!". Held() is then false: the command ends without touching the folder.
class FolderLock {
 public:
  FolderLock(Platform& platform, const std::string& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool Held() const { return lock_ != 0; }

 private:
  System& system_;
  std::int64_t lock_;
};

}  // namespace varnel
