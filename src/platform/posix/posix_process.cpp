// Starting programs and documents. A program gets its parameter text split at blanks, one
// argument per word, nothing quoted (the engine contract); it inherits the current folder.
// Started children are reaped with waitpid so that none is left as a zombie: a handle closed
// before its process ended is remembered and reaped by a later call.
//
// How an ended child ended is kept from its reaping until its handle is closed.
//
// A child ends with this program however this program ends: it asks the kernel for SIGKILL at
// its parent's death (PR_SET_PDEATHSIG). The kernel sends that when the parent *thread* that
// forked it ends, not the process: the commands start their programs on the one user-interface
// thread, which is the program's main thread and lives as long as the program, so the signal
// comes only with the program's end (StartIndependentProcess starts one without it). A child that finds its
// parent already gone (the parent died between fork and prctl) ends at once. The signal reaches the child
// itself: a launcher that execs the engine passes it on, and the engine stand-in asks the same for its nec2c.
//
// Each program starts as the leader of a process group of its own, so that ending it also ends
// what it started (a launcher script and the engine behind it, wine and its helpers). The
// groups of the children whose handles are open are also kept in a table that a signal handler
// may read: ending this process by SIGTERM, SIGINT or SIGHUP ends those groups first.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "platform/posix/posix_internal.hpp"
#include "platform/posix/posix_system.hpp"

namespace varnel {

using namespace posix_detail;

namespace {

// Children are a property of the process, not of one platform object.
std::mutex childrenMutex;
std::set<pid_t> runningChildren;             // started, handle still open, not yet reaped
std::set<pid_t> detachedChildren;            // handle closed while still running
std::map<pid_t, ProcessExit> endedChildren;  // reaped, handle still open: how each ended

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

// True once the child has been reaped (or is no child of ours); then exit tells how it ended
// when the status was there to be read.
bool Reaped(pid_t pid, ProcessExit* exit = nullptr) {
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid, &status, WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result == pid && exit != nullptr) {
    if (WIFEXITED(status)) *exit = {ProcessExit::How::Exited, WEXITSTATUS(status)};
    if (WIFSIGNALED(status)) *exit = {ProcessExit::How::Signalled, WTERMSIG(status)};
  }
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
  const pid_t parent = getpid();
  const bool endWithProgram = endWithProgram_;
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
    if (endWithProgram) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(127);
    }
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
  endedChildren.erase(pid);  // a reused number of an earlier child
  return ProcessHandle{pid};
}

ProcessHandle PosixSystem::StartIndependentProcess(const std::string& program, const std::string& parameters,
                                                   std::string& error) {
  // Through the virtual StartProcess, so that a system built over this one sees the start.
  struct Restore {
    bool& flag;
    ~Restore() { flag = true; }
  } restore{endWithProgram_};
  endWithProgram_ = false;
  return StartProcess(program, parameters, error);
}

bool PosixSystem::ProcessEnded(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(childrenMutex);
  ReapDetached();
  pid_t pid = static_cast<pid_t>(handle.id);
  if (runningChildren.count(pid) == 0) return true;
  ProcessExit exit;
  if (!Reaped(pid, &exit)) return false;
  runningChildren.erase(pid);
  ForgetGroup(pid);
  endedChildren[pid] = exit;
  return true;
}

bool PosixSystem::WaitForAnyProcess(const std::vector<ProcessHandle>& handles, int milliseconds) {
#ifdef SYS_pidfd_open
  std::vector<pollfd> ends;
  struct CloseAll {
    std::vector<pollfd>& fds;
    ~CloseAll() {
      for (const pollfd& fd : fds) close(fd.fd);
    }
  } closeAll{ends};
  for (const ProcessHandle handle : handles) {
    if (ProcessEnded(handle)) return true;
    // A process that ends after the look above still has its pidfd: it is not reaped yet.
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(handle.id), 0));
    if (fd < 0) return System::WaitForAnyProcess(handles, milliseconds);
    ends.push_back({fd, POLLIN, 0});
  }
  if (ends.empty()) return true;
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (int left = milliseconds; left >= 0;) {
    if (poll(ends.data(), ends.size(), left) >= 0 || errno != EINTR) return true;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    left = milliseconds -
           static_cast<int>((now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000);
  }
  return true;
#else
  return System::WaitForAnyProcess(handles, milliseconds);
#endif
}

ProcessExit PosixSystem::ProcessExitOf(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(childrenMutex);
  auto it = endedChildren.find(static_cast<pid_t>(handle.id));
  return it == endedChildren.end() ? ProcessExit{} : it->second;
}

void PosixSystem::CloseProcess(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(childrenMutex);
  pid_t pid = static_cast<pid_t>(handle.id);
  endedChildren.erase(pid);
  if (runningChildren.erase(pid) == 0) return;
  ForgetGroup(pid);
  if (!Reaped(pid)) detachedChildren.insert(pid);
  ReapDetached();
}

void PosixSystem::EndProcess(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(childrenMutex);
  pid_t pid = static_cast<pid_t>(handle.id);
  endedChildren.erase(pid);
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

bool OpenNativeWithDesktopOpener(const std::string& nativePath, int waitMilliseconds) {
  std::string opener = FindInPath("xdg-open");
  if (opener.empty() || nativePath.empty()) return false;
  std::string native = nativePath;
  char* argv[] = {opener.data(), native.data(), nullptr};
  // Double fork: the opener is adopted by init, so nothing waits for it and no zombie stays.
  // The middle process waits for it a short while and tells how it went by its exit status: an
  // opener that finds no program for the document ends at once with a failure, one that found a
  // program ends with success or goes on running as long as that program does.
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    setsid();
    pid_t grandchild = fork();
    if (grandchild < 0) _exit(1);
    if (grandchild == 0) {
      RedirectToNull(STDIN_FILENO, O_RDONLY);
      RedirectToNull(STDOUT_FILENO, O_WRONLY);
      RedirectToNull(STDERR_FILENO, O_WRONLY);
      execv(opener.c_str(), argv);
      _exit(127);
    }
    for (int waited = 0; waited < waitMilliseconds; waited += 10) {
      int status;
      pid_t result = waitpid(grandchild, &status, WNOHANG);
      if (result == grandchild) _exit(WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1);
      if (result < 0 && errno != EINTR) _exit(0);
      SleepMilliseconds(10);
    }
    _exit(0);  // still running: it has started a program and waits for it
  }
  int status;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OpenWithDesktopOpener(const PosixRoots& roots, const std::string& path) {
  return OpenNativeWithDesktopOpener(NativePath(roots, path));
}

}  // namespace varnel
