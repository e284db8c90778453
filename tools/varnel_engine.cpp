// varnel_engine: the NEC2 engine stand-in over Debian's nec2c.
//
//   varnel_engine DECK OUTPUT
//
// The arguments are the engine's parameter text split at blanks: the deck path, then the
// output path, each relative (to the current folder), Windows-form ("c:\4nec2\b_out\x.out",
// mapped the way Wine maps drives) or a native absolute path. nec2c runs on a private copy of
// the deck with an "EN" card appended when the deck lacks one; its output is rewritten into the
// classic NEC2 print layout and written to OUTPUT.
//
// Exit status: 0 success, the output being the whole print of the deck (necout/whole.hpp); 64
// wrong arguments; 66 the deck cannot be read; 70 nec2c rejected the deck or left a print that is
// not whole (no output file is left behind); 73 the output cannot be written; 74 the disk is full
// (the temporary folder's or the output's: kEngineDiskFull); 127 nec2c cannot be started.
//
// The temporary folder is named after the stand-in's process; at its start the stand-in removes
// the temporary folders of its own user whose process no longer runs (an engine ended by
// SIGKILL cannot remove its own).
//
// Ended by SIGTERM, SIGINT or SIGHUP, it ends nec2c and removes its temporary folder and a
// partly written output before it ends by the signal. Started by a program that asked for a
// signal at its death (SIGKILL, so that an engine never outlives it), it asks SIGTERM instead,
// so that it cleans up the same way when that program ends; nec2c is asked to end with it.
//
// The Windows build (for the tests under Wine) takes the paths as they stand and starts the
// Windows build of nec2c, nec2c.exe, from its own folder (or else from PATH).
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#undef near
#undef far
#else
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "necout/whole.hpp"
#include "print_layout.hpp"
#include "util/files.hpp"
#include "util/tree.hpp"
#ifndef _WIN32
#include "platform/posix/posix_system.hpp"

#endif

using namespace varnel;

namespace fs = std::filesystem;

namespace {

constexpr int kUsage = 64;
constexpr int kNoDeck = 66;
constexpr int kRejected = 70;
constexpr int kCannotWrite = 73;
constexpr int kDiskFull = kEngineDiskFull;
constexpr int kNoEngine = 127;

#ifndef _WIN32
// What a termination signal cleans up, readable by its handler: the running nec2c and the files
// and folder of this run (empty paths are skipped). Set with the signals blocked.
volatile pid_t runningNec2c = 0;
std::array<std::array<char, 4096>, 4> leftovers{};  // files, then the temporary folder last

void EndAndCleanUp(int signalNumber) {
  const pid_t child = runningNec2c;
  if (child > 0) {
    kill(child, SIGKILL);
    int status;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }
  for (std::size_t i = 0; i + 1 < leftovers.size(); ++i)
    if (leftovers[i][0] != '\0') unlink(leftovers[i].data());
  if (leftovers.back()[0] != '\0') rmdir(leftovers.back().data());
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

// Sets leftovers[slot] to path while the termination signals wait.
void NoteLeftover(std::size_t slot, const std::string& path) {
  sigset_t termination, previous;
  sigemptyset(&termination);
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&termination, signalNumber);
  sigprocmask(SIG_BLOCK, &termination, &previous);
  leftovers[slot].fill('\0');
  if (path.size() < leftovers[slot].size()) path.copy(leftovers[slot].data(), path.size());
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

void CleanUpOnTermination() {
  struct sigaction action {};
  action.sa_handler = EndAndCleanUp;
  sigemptyset(&action.sa_mask);
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&action.sa_mask, signalNumber);
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) sigaction(signalNumber, &action, nullptr);
  // Only where the starter asked for a signal at its death (the batch runs): a stand-in started
  // to run on by itself (Single Conversion) keeps running when its starter ends.
  int deathSignal = 0;
  if (prctl(PR_GET_PDEATHSIG, &deathSignal) == 0 && deathSignal != 0) prctl(PR_SET_PDEATHSIG, SIGTERM);
}
#else
void NoteLeftover(std::size_t, const std::string&) {}
void CleanUpOnTermination() {}
#endif

#ifdef _WIN32
// Windows paths are native.
std::string ToNative(const std::string& path) { return path; }
#else
// Native absolute paths are taken as they are; everything else goes through the drive mapping
// (which also resolves relative names and matches components without letter case).
std::string ToNative(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  static const PosixRoots roots = PosixRoots::FromEnvironment();
  return NativePath(roots, path);
}
#endif

std::optional<std::string> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return bytes.str();
}

long ProcessNumber() {
#ifdef _WIN32
  return static_cast<long>(GetCurrentProcessId());
#else
  return static_cast<long>(getpid());
#endif
}

// 0 when the bytes were written whole, else the exit status that says why not.
int WriteWhole(const std::string& path, const std::string& bytes) {
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out) return 0;
  }
#ifdef EDQUOT
  if (errno == EDQUOT) return kDiskFull;
#endif
  return errno == ENOSPC ? kDiskFull : kCannotWrite;
}

#ifndef _WIN32
constexpr const char* kTempPrefix = "varnel-engine-";

std::string TempBase() {
  const char* base = std::getenv("TMPDIR");
  return base && *base ? base : "/tmp";
}

// Whether the file system of the folder has less than a mebibyte left.
bool NearlyFull(const std::string& folder) {
  struct statvfs stats {};
  return statvfs(folder.c_str(), &stats) == 0 && stats.f_bavail * stats.f_frsize < (1u << 20);
}

// Whether the process exists and has not ended: a zombie (ended, its parent not yet told) has.
bool Running(pid_t pid) {
  if (kill(pid, 0) != 0 && errno == ESRCH) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t state = line.rfind(") ");
  return state == std::string::npos || line.compare(state + 2, 1, "Z") != 0;
}

// The temporary folders "varnel-engine-PID-XXXXXX" of this user whose stand-in no longer runs.
void RemoveAbandonedTempFolders() {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(TempBase(), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(kTempPrefix, 0) != 0) continue;
    const std::string rest = name.substr(std::strlen(kTempPrefix));
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || rest.find_first_not_of("0123456789") != dash) continue;
    const long pid = std::strtol(rest.substr(0, dash).c_str(), nullptr, 10);
    struct stat folder {};
    if (lstat(entry.path().c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode) || folder.st_uid != getuid())
      continue;
    if (pid <= 0 || Running(static_cast<pid_t>(pid))) continue;
    std::error_code ignored;
    fs::remove_all(entry.path(), ignored);
  }
}
#else
bool NearlyFull(const std::string&) { return false; }
void RemoveAbandonedTempFolders() {}
#endif

// A private temporary folder, removed with its content when the object goes away.
class TempFolder {
 public:
  TempFolder() {
#ifdef _WIN32
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty() && !ec; ++attempt) {
      const fs::path candidate = base / ("varnel-engine-" + std::to_string(random()));
      if (fs::create_directory(candidate, ec)) path_ = candidate.string();
    }
#else
    std::string pattern = TempBase() + "/" + kTempPrefix + std::to_string(ProcessNumber()) + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data())) path_ = buffer.data();
#endif
  }
  ~TempFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Runs nec2c and returns its exit status (kNoEngine when it cannot be started).
#ifdef _WIN32
int RunNec2c(const std::string& deck, const std::string& output) {
  // nec2c.exe from this program's folder, else wherever the search path finds it.
  std::wstring self(32768, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  std::wstring engine = self.substr(0, self.find_last_of(L'\\') + 1) + L"nec2c.exe";
  if (GetFileAttributesW(engine.c_str()) == INVALID_FILE_ATTRIBUTES) engine = L"nec2c.exe";
  // The temporary paths hold no quote; each is passed in quotes.
  std::wstring commandLine = L"\"" + engine + L"\" -i \"" + fs::path(deck).wstring() + L"\" -o \"" +
                             fs::path(output).wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    std::cerr << "varnel_engine: cannot start nec2c.exe (system error " << GetLastError()
              << "); build it with tools/build_windows_engine.sh\n";
    return kNoEngine;
  }
  CloseHandle(info.hThread);
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD status = kRejected;
  GetExitCodeProcess(info.hProcess, &status);
  CloseHandle(info.hProcess);
  return static_cast<int>(status);
}
#else
int RunNec2c(const std::string& deck, const std::string& output) {
  std::vector<std::string> args = {"nec2c", "-i", deck, "-o", output};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  sigset_t termination, previous;
  sigemptyset(&termination);
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&termination, signalNumber);
  sigprocmask(SIG_BLOCK, &termination, &previous);
  const pid_t pid = fork();
  if (pid == 0) {
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) signal(signalNumber, SIG_DFL);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    // nec2c ends with the stand-in, however the stand-in ends.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(kNoEngine);
    execvp("nec2c", argv.data());
    _exit(kNoEngine);
  }
  if (pid > 0) runningNec2c = pid;
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  if (pid < 0) {
    std::cerr << "varnel_engine: cannot start nec2c (" << std::strerror(errno) << ")\n";
    return kNoEngine;
  }
  int status = 0;
  pid_t result;
  while ((result = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
  }
  runningNec2c = 0;
  if (result < 0) return kNoEngine;
  if (WIFEXITED(status) && WEXITSTATUS(status) == kNoEngine) {
    std::cerr << "varnel_engine: cannot start nec2c; install the package nec2c\n";
    return kNoEngine;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return kRejected;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  CleanUpOnTermination();
  RemoveAbandonedTempFolders();
  std::vector<std::string> pieces(argv + 1, argv + argc);
  std::optional<EngineArguments> args;
  try {
    args = SplitEngineArguments(pieces, [](const std::string& deck) {
      std::string native = ToNative(deck);
      std::error_code ec;
      return !native.empty() && fs::is_regular_file(native, ec);
    });
  } catch (const std::exception& e) {
    std::cerr << "varnel_engine: " << e.what() << "\n";
    return kUsage;
  }
  if (!args) {
    std::cerr << "usage: varnel_engine DECK OUTPUT\n";
    return kUsage;
  }
  std::string deckPath, outputPath;
  try {
    deckPath = ToNative(args->deck);
    outputPath = ToNative(args->output);
  } catch (const std::exception& e) {
    std::cerr << "varnel_engine: " << e.what() << "\n";
    return kUsage;
  }
  if (deckPath.empty() || outputPath.empty()) {
    std::cerr << "varnel_engine: no such drive in " << (deckPath.empty() ? args->deck : args->output) << "\n";
    return kUsage;
  }

  std::optional<std::string> deck = ReadWhole(deckPath);
  if (!deck) {
    std::cerr << "varnel_engine: cannot read the deck " << args->deck << "\n";
    return kNoDeck;
  }

  TempFolder temp;
  if (temp.Path().empty()) {
    std::cerr << "varnel_engine: cannot create a temporary folder\n";
    return kCannotWrite;
  }
  const std::string tempDeck = temp.Path() + "/deck.nec";
  const std::string tempOutput = temp.Path() + "/deck.out";
  NoteLeftover(3, temp.Path());
  NoteLeftover(0, tempDeck);
  NoteLeftover(1, tempOutput);
  if (const int status = WriteWhole(tempDeck, DeckWithEndCard(*deck)); status != 0) {
    std::cerr << "varnel_engine: cannot write a temporary copy of the deck"
              << (status == kDiskFull ? ": the disk is full\n" : "\n");
    return status;
  }

  // A deck nec2c rejects leaves no output file: not even an older one of the same name, which
  // would otherwise pass for the result of this run.
  std::error_code ignored;
  int status = RunNec2c(tempDeck, tempOutput);
  std::optional<std::string> result = status == 0 ? ReadWhole(tempOutput) : std::nullopt;
  if (!result) {
    fs::remove(outputPath, ignored);
    if (status == kNoEngine) return kNoEngine;
    std::cerr << "varnel_engine: nec2c rejected the deck " << args->deck << " (exit status " << status
              << ")\n";
    return kRejected;
  }

  // nec2c does not notice a write that failed (a full disk): its print may lack a part, the
  // end or rows of a table. Only the whole print of this deck is ever written.
  const std::string classic = ToClassicLayout(*result);
  const std::string classicText = TextOfFileBytes(classic);
  const PrintOutline outline = OutlineOf(OutputPrint(classicText));
  if (!outline.Whole() || !MadeFromDeck(outline, *deck)) {
    fs::remove(outputPath, ignored);
    const bool full = NearlyFull(temp.Path()) || NearlyFull(fs::path(outputPath).parent_path().string());
    std::cerr << "varnel_engine: nec2c's print of the deck " << args->deck << " is not whole"
              << (full ? ": the disk is full\n" : "\n");
    return full ? kDiskFull : kRejected;
  }

  // Written beside the target under a name of this run and renamed, so a reader never sees half
  // a file and two runs for one output never take each other's.
  const std::string partial = outputPath + ".partial-" + std::to_string(ProcessNumber());
  NoteLeftover(2, partial);
  if (const int status = WriteWhole(partial, classic); status != 0) {
    fs::remove(partial, ignored);
    std::cerr << "varnel_engine: cannot write the output file " << args->output
              << (status == kDiskFull ? ": the disk is full\n" : "\n");
    return status;
  }
  std::error_code ec;
  fs::rename(partial, outputPath, ec);
  if (ec) {
    fs::remove(partial, ignored);
    std::cerr << "varnel_engine: cannot write the output file " << args->output << ": " << ec.message()
              << "\n";
    return kCannotWrite;
  }
  return 0;
}
