#pragma once
// A few threads that run jobs in the order given, for work that is independent of everything the
// calling thread does meanwhile (reading files already in memory). The destructor drops the jobs
// not yet started and waits for those running. Where the system gives no thread, Run does the
// job itself before it returns.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace varnel {

class Workers {
 public:
  explicit Workers(std::size_t threads);
  ~Workers();
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  void Run(std::function<void()> job);
  // The threads it has (none: Run does each job itself).
  std::size_t Threads() const { return threads_.size(); }
  // Asks the system, through the placement set below, to keep the threads off the processor of
  // the calling thread until each has its next job (a calling thread of its own is left as is).
  void KeepOffThisProcessor();

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::atomic<bool> placed_{false};  // KeepOffThisProcessor has been asked
  std::vector<std::thread> threads_;
};

// The threads worth starting for work spread over the processor's cores: one per core, up to 8.
std::size_t CoreThreads();

// How a large text is split for work on several cores: into at most `most` parts of at least
// `bytes` bytes each, every part after the first starting `behind` bytes after a `mark`.
struct TextParts {
  std::size_t most = 1, bytes = 0;
  // The cores, up to 8, and a megabyte: a smaller part does not pay for its thread.
  static TextParts OfThisMachine();
  // Where the parts of text[from, end) begin: at from, then behind the first mark at or after
  // each further share of the text (rising; fewer where no mark follows a share).
  std::vector<std::size_t> Starts(std::string_view text, std::size_t from, char mark,
                                  std::size_t behind) const;
};

// Where the system may run a kept thread of RunAtOnce. Before it is woken for work: anywhere but
// on the calling thread's processor (awayFromCaller is the thread). A small machine that has just
// been busy may otherwise wake it on the waking thread's processor, where it waits milliseconds
// for that thread's time to end while another processor idles. Once it has work: anywhere again
// (awayFromCaller is nullptr, asked by the kept thread itself), so that it is never held off a
// processor that falls idle. None by default; the binding of a system sets it at start. The kept
// threads only ever run RunAtOnce's jobs, so the placement reaches no process the program starts.
using ThreadPlacement = void (*)(std::thread* awayFromCaller);
void SetThreadPlacement(ThreadPlacement placement);

// Runs the jobs at once, on the calling thread and on threads kept for this (one fewer than the
// cores), and returns when all have ended; then the failure of the first job that failed is
// rethrown. Jobs that find no free thread run on the calling thread, and with atOnce false
// every job does (work too small to pay for a thread). A job may itself run jobs at once.
void RunAtOnce(const std::vector<std::function<void()>>& jobs, bool atOnce = true);

}  // namespace varnel
