#include "support/test_root.hpp"

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/scripted/runner.hpp"

#ifdef _WIN32
#include "platform/win32/win32_sample_tree.hpp"

#include <windows.h>
#else
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/posix/posix_sample_tree.hpp"
#endif

namespace varnel {

namespace fs = std::filesystem;

namespace {

// A new folder of the test's own. Under Wine it lies in the Linux temporary folder, on z:, so that
// the root lies off c:; elsewhere in the system's own temporary folder.
fs::path NewTemporaryFolder() {
#ifdef _WIN32
  fs::path base = fs::temp_directory_path();
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll && GetProcAddress(ntdll, "wine_get_version")) {
    const char* linuxTemp = std::getenv("TMPDIR");
    fs::path unixTemp =
        fs::path("Z:\\") / fs::path(linuxTemp && *linuxTemp ? linuxTemp : "/tmp").relative_path();
    std::error_code ec;
    if (fs::is_directory(unixTemp, ec)) base = unixTemp.make_preferred();
  }
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        base / ("varnel-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(random()));
    if (fs::create_directory(candidate)) return candidate;
  }
  throw std::runtime_error("no temporary folder in " + base.string());
#else
  std::string pattern = (fs::temp_directory_path() / "varnel-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
#endif
}

}  // namespace

TestRoot::TestRoot() {
  savedCurrent_ = fs::current_path();
  dir = NewTemporaryFolder();
  driveC = dir / "drive_c";
  home = dir / "home";
#ifdef _WIN32
  // USERPROFILE names a place on c:, which this root's system takes below drive_c.
  const char* profile = std::getenv("USERPROFILE");
  if (profile && std::string(profile).size() > 3 && (profile[0] | 0x20) == 'c' && profile[1] == ':')
    home = driveC / fs::path(profile + 3);
#endif
  fs::create_directories(driveC);
#ifndef _WIN32  // on Windows it lies on drive c:, made by the tests that use it
  fs::create_directories(home);
#endif
}

TestRoot::~TestRoot() {
  std::error_code ec;
  fs::current_path(savedCurrent_, ec);
  // Make read-only test files deletable again before removing the tree.
  for (auto it = fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
#ifdef _WIN32
  // By the stored names: "nul.out" below the root is a file there, which the ordinary path form
  // would take for the device.
  Win32System().DeleteTree(dir.string());
#else
  fs::remove_all(dir, ec);
#endif
}

#ifdef _WIN32
TestRoots TestRoot::Roots() const { return driveC.string(); }
#else
TestRoots TestRoot::Roots() const { return PosixRoots{driveC.string(), home.string()}; }
#endif

std::string TestRoot::SystemPath(const fs::path& native) const {
  return TestSystem(Roots()).FromNativePath(native.string());
}

fs::path TestRoot::Write(const std::string& relative, const std::string& bytes) {
  fs::path path = dir / relative;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string TestRoot::Read(const fs::path& path) {
#ifdef _WIN32
  // By its stored name: "nul" below the root is a file there, never the device.
  std::ifstream in(fs::path(L"\\\\?\\" + fs::path(path).make_preferred().wstring()), std::ios::binary);
#else
  std::ifstream in(path, std::ios::binary);
#endif
  if (!in) return "";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool TestRoot::WriteStored(const fs::path& path, const std::string& bytes) {
#ifdef _WIN32
  const std::wstring stored = L"\\\\?\\" + fs::path(path).make_preferred().wstring();
  HANDLE file =
      CreateFileW(stored.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
#else
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out);
#endif
}

bool TestRoot::Link(const fs::path& link, const fs::path& target) {
  std::error_code ec;
  const bool folder = fs::is_directory(target, ec);
#ifdef _WIN32
  const std::wstring name = link.wstring();
  if (!CreateSymbolicLinkW(name.c_str(), target.wstring().c_str(), folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0))
    return false;
  const DWORD attributes = GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
  if (folder)
    fs::create_directory_symlink(target, link, ec);
  else
    fs::create_symlink(target, link, ec);
  return !ec;
#endif
}

std::string TestRoot::OffDriveC(const fs::path& native) {
#ifdef _WIN32
  return native.string();
#else
  return "z:" + native.string();
#endif
}

#ifndef _WIN32
AccessModesHold::AccessModesHold() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  if (syscall(SYS_capget, &header, data) != 0) return;
  saved_[0] = data[0].effective;
  saved_[1] = data[1].effective;
  data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
  held = syscall(SYS_capset, &header, data) == 0;
}

AccessModesHold::~AccessModesHold() {
  if (!held) return;
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  if (syscall(SYS_capget, &header, data) != 0) return;
  data[0].effective = saved_[0];
  data[1].effective = saved_[1];
  syscall(SYS_capset, &header, data);
}
#endif

int RunScriptIn(const TestRoot& root, std::istream& script, std::ostream& out, int engineJobs,
                bool realPause) {
  TestSystem system(root.Roots());
#ifdef _WIN32
  auto firstStart = [&system] { CreateSampleFiles(system); };
#else
  auto firstStart = [&system] { CreateSampleTree(system); };
#endif
  return RunScript(script, out, system, firstStart, engineJobs, false, realPause);
}

}  // namespace varnel
