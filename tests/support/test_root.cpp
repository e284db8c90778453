#include "support/test_root.hpp"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

#include "platform/posix/posix_sample_tree.hpp"
#include "platform/scripted/runner.hpp"

namespace varnel {

namespace fs = std::filesystem;

TestRoot::TestRoot() {
  savedCurrent_ = fs::current_path();
  std::string pattern = (fs::temp_directory_path() / "varnel-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  dir = pattern;
  driveC = dir / "drive_c";
  home = dir / "home";
  fs::create_directories(driveC);
  fs::create_directories(home);
}

TestRoot::~TestRoot() {
  std::error_code ec;
  fs::current_path(savedCurrent_, ec);
  // Make read-only test files deletable again before removing the tree.
  for (auto it = fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(dir, ec);
}

PosixRoots TestRoot::Roots() const { return PosixRoots{driveC.string(), home.string()}; }

fs::path TestRoot::Write(const std::string& relative, const std::string& bytes) {
  fs::path path = dir / relative;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string TestRoot::Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int RunScriptIn(const TestRoot& root, std::istream& script, std::ostream& out, int engineJobs) {
  PosixSystem system(root.Roots());
  return RunScript(script, out, system, [&system] { CreateSampleTree(system); }, engineJobs);
}

}  // namespace varnel
