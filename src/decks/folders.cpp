#include "decks/folders.hpp"

#include <array>
#include <string_view>

#include "mainwindow/VarnelU.hpp"
#include "util/files.hpp"
#include "util/messages.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

// Lower case, '/' as '\', runs of '\' collapsed: the form in which two paths naming the same
// folder on a case-insensitive file system compare equal.
std::string ComparablePath(std::string_view path) {
  std::string result;
  result.reserve(path.size());
  for (char c : path) {
    char d = (c == '/') ? '\\' : FoldLetter(c);
    if (d == '\\' && !result.empty() && result.back() == '\\') continue;
    result += d;
  }
  return result;
}

bool IsReservedDeviceName(std::string_view name) {
  // The device names are reserved also with an extension ("nul.txt").
  std::string stem;
  for (char c : name) {
    if (c == '.') break;
    stem += FoldLetter(c);
  }
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static constexpr std::array<std::string_view, 4> plain{"con", "prn", "aux", "nul"};
  for (auto reserved : plain)
    if (stem == reserved) return true;
  if (stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '1' &&
      stem[3] <= '9')
    return true;
  return false;
}

}  // namespace

std::string TargetNameProblem(const std::string& name) {
  if (name.empty()) return "the name is empty";
  if (name.size() > 200) return "the name is longer than 200 characters";
  for (unsigned char c : name) {
    if (c < 32 || c == 127) return "the name holds a control character";
    if (kForbiddenNameCharacters.find(static_cast<char>(c)) != std::string_view::npos)
      return std::string("the name holds the character ") + static_cast<char>(c);
  }
  if (name.find("..") != std::string::npos || name == ".") return "the name holds a dot path";
  if (name.back() == '.' || name.back() == ' ') return "the name ends in a dot or blank";
  if (IsReservedDeviceName(name)) return "the name is a device name";
  return "";
}

std::string TargetFolderProblem(const std::string& folder, const std::string& root) {
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/'))
    return "the folder does not end in a backslash";
  const std::string body = folder.substr(0, folder.size() - 1);
  const std::size_t split = body.find_last_of("\\/");
  const std::string last = split == std::string::npos ? body : body.substr(split + 1);
  if (std::string problem = TargetNameProblem(last); !problem.empty()) return problem;
  if (split == std::string::npos) return "the folder has no parent";

  const std::string comparable = ComparablePath(folder);
  for (auto protectedFolder : kFixedFolders)
    if (comparable == ComparablePath(protectedFolder)) return "the folder is a fixed folder of c:\\4nec2";

  if (!root.empty()) {
    const std::string parent = ComparablePath(folder.substr(0, split + 1));
    if (parent != ComparablePath(IncludeBackslash(root)))
      return "the folder does not lie directly in " + root;
  }
  return "";
}

std::string FixedFolderInside(System& system, const std::string& folder) {
  // Compared as the machine resolves them: "c:\4nec2\b_in\..\b_in\", "c:\4nec2\.\b_in\", the
  // z: picture of drive c and a link onto the tree all name a fixed folder.
  for (auto fixedFolder : kFixedFolders) {
    if (system.FolderWithin(std::string(fixedFolder), folder))
      return "the folder is or holds " + std::string(fixedFolder);
  }
  return "";
}

bool RecreateTargetFolder(TForm1& form, const std::string& folder, const RecreateOptions& options) {
  Platform platform = form.platform;
  std::string problem = TargetFolderProblem(folder, options.root);
  if (problem.empty()) problem = FixedFolderInside(platform.system, folder);
  if (problem.empty()) problem = platform.system.FolderDeletionProblem(folder);
  if (!problem.empty()) {
    ShowWarning(platform.ui, "Target folder refused (" + problem + "): " + folder + ". Abort command!");
    return false;
  }
  if (platform.system.FolderExists(folder)) {
    if (!options.deleteQuestion.empty() &&
        !platform.ui.Confirm("Confirm", options.deleteQuestion, /*unattended=*/false)) {
      return false;
    }
    DeleteFolderTree(platform.system, folder);
  }
  if (platform.system.FolderExists(folder)) {
    ShowWarning(platform.ui, "Folder still exists. Abort command!");
    return false;
  }
  AddLine(form.Mout, "Old Folder sucessfully deleted: " + folder);
  if (!CreateFolder(platform.system, folder)) {
    ShowWarning(platform.ui, "Folder was not created. Abort command!");
    return false;
  }
  if (options.clearInfoPane) ClearPane(form.Mout);
  AddLine(form.Mout, "New Folder sucessfully created: " + folder);
  if (!options.sourceFile.empty()) AddLine(form.Mout, "Source-File: " + options.sourceFile);
  if (options.destinationLine) AddLine(form.Mout, "Destination-Directory: " + folder);
  return true;
}

bool CreateTargetFolder(TForm1& form, const std::string& folder, const RecreateOptions& options) {
  Platform platform = form.platform;
  std::string problem = TargetFolderProblem(folder, options.root);
  if (problem.empty()) problem = FixedFolderInside(platform.system, folder);
  if (!problem.empty()) {
    ShowWarning(platform.ui, "Target folder refused (" + problem + "): " + folder + ". Abort command!");
    return false;
  }
  if (platform.system.FolderExists(folder)) return true;
  if (!CreateFolder(platform.system, folder)) {
    ShowWarning(platform.ui, "Folder was not created. Abort command!");
    return false;
  }
  AddLine(form.Mout, "New Folder sucessfully created: " + folder);
  return true;
}

FolderLock::FolderLock(Platform& platform, const std::string& folder) : system_(platform.system) {
  std::string problem;
  lock_ = platform.system.LockFolder(folder, problem);
  if (lock_ != 0) return;
  ShowWarning(platform.ui, problem.empty() ? "Another Varnel is working on " + folder + ". Abort command!"
                                           : "The folder " + folder + " cannot be locked (" + problem +
                                                 "). Abort command!");
}

FolderLock::~FolderLock() {
  if (lock_ != 0) system_.UnlockFolder(lock_);
}

}  // namespace varnel
