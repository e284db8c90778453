#include "platform/platform.hpp"

namespace varnel {

InOutError FolderChoiceError() { return MakeInOutError(2); }

void RequireFolderToChooseIn(System& system, const std::string& initialFolder) {
  if (!system.FolderExists(initialFolder)) throw FolderChoiceError();
}

std::string TakeChosenFolder(System& system, std::string folder) {
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) {
    if (folder.size() == 3 && folder[1] == ':') break;
    folder.pop_back();
  }
  if (!system.SetCurrentFolder(folder)) throw FolderChoiceError();
  return folder;
}

}  // namespace varnel
