// Starting programs and documents. A program gets its parameter text split at blanks, one
// argument per word, nothing quoted (the engine contract); it inherits the current folder.
// Started children are reaped with waitpid so that none is left as a zombie: a handle closed
// before its process ended is remembered and reaped by a later call.
//
// Each program starts as the leader of a process group of its own, so that ending it also ends
// what it started (a launcher script and the engine behind it, wine and its helpers). The
// groups of the children whose handles are open are also kept in a table that a signal handler
// may read: ending this process by SIGTERM, SIGINT or SIGHUP ends those groups first.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/posix/posix_internal.hpp"
#include "platform/posix/posix_system.hpp"

namespace varnel {

using namespace posix_detail;

namespace {

// Children are a property of the process, not of one platform object.
std::mutex childrenMutex;
std::set<pid_t> runningChildren;   // started, handle still open, not yet reaped
std::set<pid_t> detachedChildren;  // handle closed while still running

// The process groups of the running children with open handles, readable by a signal handler
// (lock-free slots; 0 is a free slot).
constexpr std::size_t kGroupSlots = 64;
std::atomic<pid_t> runningGroups[kGroupSlots];

void RememberGroup(pid_t group) {
  for (std::atomic<pid_t>& slot : runningGroups) {
    pid_t expected = 0;
    if (slot.compare_exchange_strong(expected, group)) return;
  }
}

void ForgetGroup(pid_t group) {
  for (std::atomic<pid_t>& slot : runningGroups) {
    pid_t expected = group;
    if (slot.compare_exchange_strong(expected, 0)) return;
  }
}

void SleepMilliseconds(long milliseconds) {
  timespec pause{0, milliseconds * 1000000L};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

// Ends the process group led by the child leader: SIGTERM to all of it, up to a second for
// the leader to go, then SIGKILL to whatever of the group is left. The leader is reaped here.
// Uses only async-signal-safe calls.
void EndGroup(pid_t leader) {
  const int savedErrno = errno;
  kill(-leader, SIGTERM);
  kill(-leader, SIGCONT);  // a stopped member would not see the SIGTERM
  bool leaderReaped = false;
  for (int i = 0; i < 40 && !leaderReaped; ++i) {
    int status;
    pid_t result = waitpid(leader, &status, WNOHANG);
    leaderReaped = result == leader || (result < 0 && errno == ECHILD);
    if (!leaderReaped) SleepMilliseconds(25);
  }
  kill(-leader, SIGKILL);
  if (!leaderReaped) {
    int status;
    while (waitpid(leader, &status, 0) < 0 && errno == EINTR) {
    }
  }
  errno = savedErrno;
}

void EndGroupsAndDie(int signalNumber) {
  for (std::atomic<pid_t>& slot : runningGroups) {
    const pid_t group = slot.exchange(0);
    if (group <= 0) continue;
    EndGroup(group);
    static const char kNote[] = "varnel: ended the running engine process before ending\n";
    ssize_t ignored = write(STDERR_FILENO, kNote, sizeof kNote - 1);
    (void)ignored;
  }
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

bool Reaped(pid_t pid) {
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid, &status, WNOHANG);
  } while (result < 0 && errno == EINTR);
  return result == pid || (result < 0 && errno == ECHILD);
}

void ReapDetached() {
  for (auto it = detachedChildren.begin(); it != detachedChildren.end();) {
    it = Reaped(*it) ? detachedChildren.erase(it) : std::next(it);
  }
}

std::vector<std::string> SplitAtBlanks(const std::string& text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::size_t j = i;
    while (j < text.size() && text[j] != ' ' && text[j] != '\t') ++j;
    if (j > i) words.push_back(text.substr(i, j - i));
    i = j;
  }
  return words;
}

bool IsWindowsExecutable(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char magic[2] = {0, 0};
  ssize_t got = read(fd, magic, 2);
  close(fd);
  return got == 2 && magic[0] == 'M' && magic[1] == 'Z';
}

void RedirectToNull(int fd, int flags) {
  int null = open("/dev/null", flags);
  if (null >= 0) {
    dup2(null, fd);
    if (null != fd) close(null);
  }
}

}  // namespace

ProcessHandle PosixSystem::StartProcess(const std::string& program, const std::string& parameters,
                                        std::string& error) {
  {
    std::lock_guard<std::mutex> lock(childrenMutex);
    ReapDetached();
  }
  std::string native = Native(program);
  struct stat st;
  if (native.empty() || stat(native.c_str(), &st) != 0) {
    error = std::strerror(native.empty() ? ENOENT : errno);
    return {};
  }
  if (S_ISDIR(st.st_mode)) {
    error = std::strerror(EISDIR);
    return {};
  }

  // Everything the child needs is prepared before fork: after it only exec-safe calls run.
  std::vector<std::string> arguments;
  std::string executable = native;
  if (IsWindowsExecutable(native)) {
    std::string wine = FindInPath("wine");
    if (!wine.empty()) {
      executable = wine;
      arguments.push_back(wine);
    }
  }
  arguments.push_back(native);
  for (std::string& word : SplitAtBlanks(parameters)) arguments.push_back(std::move(word));
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    return {};
  }
  // A termination signal must find the new group in the table: they wait from before fork until
  // the group is remembered (the child may already run and be seen by then).
  sigset_t termination, previous;
  sigemptyset(&termination);
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&termination, signalNumber);
  pthread_sigmask(SIG_BLOCK, &termination, &previous);
  pid_t pid = fork();
  if (pid < 0) {
    error = std::strerror(errno);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    close(report[0]);
    close(report[1]);
    return {};
  }
  if (pid == 0) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    close(report[0]);
    setpgid(0, 0);
    // Like a program started in its own window: its console is not ours.
    RedirectToNull(STDIN_FILENO, O_RDONLY);
    RedirectToNull(STDOUT_FILENO, O_WRONLY);
    execv(executable.c_str(), argv.data());
    int code = errno;
    ssize_t ignored = write(report[1], &code, sizeof code);
    (void)ignored;
    _exit(127);
  }
  // Also here, so that the group exists before anyone may signal it.
  setpgid(pid, pid);
  RememberGroup(pid);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  close(report[1]);
  int childError = 0;
  ssize_t got;
  do {
    got = read(report[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got == static_cast<ssize_t>(sizeof childError)) {
    // exec failed: the child has exited already.
    ForgetGroup(pid);
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    error = std::strerror(childError);
    return {};
  }
  std::lock_guard<std::mutex> lock(childrenMutex);
  runningChildren.insert(pid);
  return ProcessHandle{pid};
}

bool PosixSystem::ProcessEnded(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(childrenMutex);
  ReapDetached();
  pid_t pid = static_cast<pid_t>(handle.id);
  if (runningChildren.count(pid) == 0) return true;
  if (!Reaped(pid)) return false;
  runningChildren.erase(pid);
  ForgetGroup(pid);
  return true;
}

void PosixSystem::CloseProcess(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(childrenMutex);
  pid_t pid = static_cast<pid_t>(handle.id);
  if (runningChildren.erase(pid) == 0) return;
  ForgetGroup(pid);
  if (!Reaped(pid)) detachedChildren.insert(pid);
  ReapDetached();
}

void PosixSystem::EndProcess(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(childrenMutex);
  pid_t pid = static_cast<pid_t>(handle.id);
  if (runningChildren.erase(pid) == 0) return;
  ForgetGroup(pid);
  EndGroup(pid);
}

void EndEnginesOnTerminationSignals() {
  struct sigaction action {};
  action.sa_handler = EndGroupsAndDie;
  sigemptyset(&action.sa_mask);
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&action.sa_mask, signalNumber);
  action.sa_flags = SA_RESETHAND;
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
    // A signal that was ignored when the program started (nohup) stays ignored.
    struct sigaction old {};
    if (sigaction(signalNumber, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(signalNumber, &action, nullptr);
  }
}

void OpenWithDesktopOpener(const PosixRoots& roots, const std::string& path) {
  std::string opener = FindInPath("xdg-open");
  if (opener.empty()) return;
  std::string native = NativePath(roots, path);
  if (native.empty()) return;
  char* argv[] = {opener.data(), native.data(), nullptr};
  // Double fork: the opener is adopted by init, so nothing waits for it and no zombie stays.
  pid_t pid = fork();
  if (pid < 0) return;
  if (pid == 0) {
    setsid();
    pid_t grandchild = fork();
    if (grandchild == 0) {
      RedirectToNull(STDIN_FILENO, O_RDONLY);
      RedirectToNull(STDOUT_FILENO, O_WRONLY);
      RedirectToNull(STDERR_FILENO, O_WRONLY);
      execv(opener.c_str(), argv);
      _exit(127);
    }
    _exit(0);
  }
  int status;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace varnel
