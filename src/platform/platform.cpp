#include "platform/platform.hpp"

namespace varnel {

InOutError FolderChoiceError() { return MakeInOutError(2); }

void RequireFolderToChooseIn(System& system, const std::string& initialFolder) {
  if (!system.FolderExists(initialFolder)) throw FolderChoiceError();
}

}  // namespace varnel
