#include "platform/platform.hpp"

#include <algorithm>
#include <cctype>
#include <utility>

namespace varnel {

namespace {

class WholeFileParts : public System::FileParts {
 public:
  explicit WholeFileParts(std::string bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::string Read(std::uint64_t offset, std::size_t count) override {
    return offset >= bytes_.size() ? std::string() : bytes_.substr(static_cast<std::size_t>(offset), count);
  }

 private:
  std::string bytes_;
};

class PathFolderFiles : public System::FolderFiles {
 public:
  PathFolderFiles(System& system, std::string folder) : system_(system), folder_(std::move(folder)) {}
  void WriteReplacing(const std::string& name, const std::string& bytes) override {
    WriteThroughFileBeside(system_, folder_ + name, bytes);
  }

 private:
  System& system_;
  std::string folder_;
};

}  // namespace

void WriteThroughFileBeside(System& system, const std::string& target, const std::string& bytes) {
  const std::string temporary = system.WriteFileBeside(target, bytes);
  try {
    system.RenameOver(temporary, target);
  } catch (...) {
    system.RemoveFile(temporary);
    throw;
  }
}

std::unique_ptr<System::FolderFiles> System::OpenFolderFiles(const std::string& folder) {
  return std::make_unique<PathFolderFiles>(*this, folder);
}

std::unique_ptr<System::FileParts> System::OpenFileParts(const std::string& path) {
  return std::make_unique<WholeFileParts>(ReadFile(path));
}

bool System::WaitForAnyProcess(const std::vector<ProcessHandle>& handles, int milliseconds) {
  (void)handles;
  (void)milliseconds;
  return false;
}

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

ProcessHandle StartInFolder(System& system, const std::string& program, const std::string& parameters,
                            const std::string& folder, std::string& error) {
  const std::string before = system.CurrentFolder();
  system.SetCurrentFolder(folder);
  const ProcessHandle handle = system.StartProcess(program, parameters, error);
  system.SetCurrentFolder(before);
  return handle;
}

namespace {

bool StartsWindowsPath(const std::string& text, std::size_t i) {
  const auto letter = [&](std::size_t k) { return std::isalpha(static_cast<unsigned char>(text[k])) != 0; };
  return i + 2 < text.size() && letter(i) && text[i + 1] == ':' && text[i + 2] == '\\' &&
         (i == 0 || !(letter(i - 1) || std::isdigit(static_cast<unsigned char>(text[i - 1]))));
}

// Where a path that starts at start may end: before a blank or a mark that can end a sentence,
// and at the end of the line (or before a quote).
std::vector<std::size_t> PathEnds(const std::string& text, std::size_t start) {
  std::size_t line = text.find_first_of("\r\n\"'", start);
  if (line == std::string::npos) line = text.size();
  std::vector<std::size_t> ends;
  for (std::size_t j = start + 3; j < line; ++j)
    if (std::string_view(" .,;:!?)").find(text[j]) != std::string_view::npos) ends.push_back(j);
  ends.push_back(line);
  return ends;
}

}  // namespace

std::vector<std::string> NativePathsIn(System& system, const std::string& message) {
  std::vector<std::string> natives;
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (!StartsWindowsPath(message, i)) continue;
    const std::vector<std::size_t> ends = PathEnds(message, i);
    // The longest stretch that names something that exists, else up to the first blank.
    std::string path;
    for (auto end = ends.rbegin(); end != ends.rend() && path.empty(); ++end) {
      std::string candidate = message.substr(i, *end - i);
      if (system.FileExists(candidate) || system.FolderExists(candidate)) path = std::move(candidate);
    }
    if (path.empty()) {
      const std::size_t blank = message.find_first_of(" \r\n\"'", i);
      path = message.substr(i, (blank == std::string::npos ? message.size() : blank) - i);
      while (!path.empty() && std::string_view(".,;:!?)").find(path.back()) != std::string_view::npos)
        path.pop_back();
    }
    i += path.size();
    const std::string native = system.ToNativePath(path);
    if (!native.empty() && native != path &&
        std::find(natives.begin(), natives.end(), native) == natives.end())
      natives.push_back(native);
  }
  return natives;
}

std::string WithNativePaths(System& system, const std::string& message) {
  const std::vector<std::string> natives = NativePathsIn(system, message);
  if (natives.empty()) return message;
  std::string text = message + "\n(on this machine: ";
  for (std::size_t k = 0; k < natives.size(); ++k) text += (k ? ", " : "") + natives[k];
  return text + ")";
}

}  // namespace varnel
