#include "platform/win32/win32_sample_tree.hpp"

#include <string>
#include <utility>

#include "sample/sample_files.hpp"
#include "util/tree.hpp"

namespace varnel {

void CreateSampleFiles(System& system) {
  // The folders keep whatever letter case they already have on disk.
  for (const char* folder :
       {"c:\\4nec2", kExeFolder, kDeckFolder, kRangeFolder, kOutputFolder, kSingleOutputFolder})
    system.CreateFolder(folder);
  const std::pair<const char*, std::string> files[] = {
      {kSampleDeck, SampleDeckText()}, {kSampleRange, SampleRangeText()}, {kDipolOutput, SampleOutputText()}};
  for (const auto& [path, text] : files)
    if (!system.FileExists(path) && !system.FolderExists(path)) system.WriteFile(path, text);
}

}  // namespace varnel
