#include "platform/platform.hpp"

InOutError FolderChoiceError() { return MakeInOutError(2); }

void RequireFolderToChooseIn(Platform& platform, const std::string& initialFolder) {
  if (!platform.FolderExists(initialFolder)) throw FolderChoiceError();
}
