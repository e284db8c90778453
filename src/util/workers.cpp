#include "util/workers.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <memory>
#include <system_error>

namespace varnel {

Workers::Workers(std::size_t threads) {
  threads_.reserve(threads);
  try {
    for (std::size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // Fewer threads then; with none, Run does the jobs itself.
  }
}

Workers::~Workers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    jobs_.clear();
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void Workers::Run(std::function<void()> job) {
  if (threads_.empty()) {
    job();
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

namespace {

std::atomic<ThreadPlacement> placement{nullptr};

}  // namespace

void SetThreadPlacement(ThreadPlacement place) { placement.store(place); }

void Workers::KeepOffThisProcessor() {
  const ThreadPlacement place = placement.load();
  if (place == nullptr) return;
  placed_.store(true);
  for (std::thread& thread : threads_)
    if (thread.get_id() != std::this_thread::get_id()) place(&thread);
}

void Workers::Work() {
  while (true) {
    std::function<void()> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    if (const ThreadPlacement place = placed_.load() ? placement.load() : nullptr) place(nullptr);
    job();
  }
}

namespace {

// The threads RunAtOnce shares, one fewer than the cores (the calling thread works too). They
// are started with the first jobs and kept: a thread that waits for work starts a job within
// microseconds, while a new thread may wait milliseconds for a core of its own.
Workers& SharedWorkers() {
  static Workers workers(CoreThreads() - 1);
  return workers;
}

// The jobs of one RunAtOnce, taken one at a time by the calling thread and the shared threads
// that join in. A shared thread may join after the last job has ended and find none left.
class Batch {
 public:
  explicit Batch(const std::vector<std::function<void()>>& jobs)
      : jobs_(jobs), count_(jobs.size()), failures_(jobs.size()) {}

  // Runs jobs not yet taken until none is left.
  void RunJobs() {
    for (std::size_t i = next_++; i < count_; i = next_++) {
      try {
        jobs_[i]();  // the jobs are alive: the caller waits for this one to end
      } catch (...) {
        failures_[i] = std::current_exception();
      }
      std::lock_guard<std::mutex> lock(mutex_);
      if (++ended_ == count_) allEnded_.notify_all();
    }
  }
  // Waits for every job to end; then rethrows the failure of the first job that failed.
  void Wait() {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      allEnded_.wait(lock, [this] { return ended_ == count_; });
    }
    for (const std::exception_ptr& failure : failures_)
      if (failure) std::rethrow_exception(failure);
  }

 private:
  const std::vector<std::function<void()>>& jobs_;
  const std::size_t count_;
  std::vector<std::exception_ptr> failures_;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable allEnded_;
  std::size_t ended_ = 0;
};

}  // namespace

void RunAtOnce(const std::vector<std::function<void()>>& jobs, bool atOnce) {
  const auto batch = std::make_shared<Batch>(jobs);
  if (atOnce && jobs.size() > 1) {
    Workers& workers = SharedWorkers();
    workers.KeepOffThisProcessor();
    const std::size_t helpers = std::min(jobs.size() - 1, workers.Threads());
    for (std::size_t i = 0; i < helpers; ++i) workers.Run([batch] { batch->RunJobs(); });
  }
  batch->RunJobs();
  batch->Wait();
}

std::size_t CoreThreads() { return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8); }

TextParts TextParts::OfThisMachine() { return {CoreThreads(), std::size_t{1} << 20}; }

std::vector<std::size_t> TextParts::Starts(std::string_view text, std::size_t from, char mark,
                                           std::size_t behind) const {
  const std::size_t rest = text.size() - from;
  const std::size_t parts = std::min(most, rest / std::max<std::size_t>(bytes, 1));
  std::vector<std::size_t> starts{from};
  for (std::size_t w = 1; w < parts; ++w) {
    const std::size_t near = from + rest / parts * w;
    const void* hit = std::memchr(text.data() + near, mark, text.size() - near);
    if (hit == nullptr) break;
    const std::size_t start = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) + behind;
    if (start >= text.size()) break;
    if (start > starts.back()) starts.push_back(start);
  }
  return starts;
}

}  // namespace varnel
