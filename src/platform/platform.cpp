#include "platform/platform.hpp"

InOutError FolderChoiceError() { return MakeInOutError(2); }

void RequireFolderToChooseIn(System& system, const std::string& initialFolder) {
  if (!system.FolderExists(initialFolder)) throw FolderChoiceError();
}
