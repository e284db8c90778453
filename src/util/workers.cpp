#include "util/workers.hpp"

#include <algorithm>
#include <exception>
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
    job();
  }
}

void RunAtOnce(const std::vector<std::function<void()>>& jobs, bool atOnce) {
  std::vector<std::exception_ptr> failures(jobs.size());
  const auto run = [&jobs, &failures](std::size_t i) {
    try {
      jobs[i]();
    } catch (...) {
      failures[i] = std::current_exception();
    }
  };
  {
    std::vector<std::jthread> threads;  // joined at the end of the block
    std::size_t next = 1;
    try {
      for (; atOnce && next < jobs.size(); ++next) threads.emplace_back(run, next);
    } catch (const std::system_error&) {
      // No more threads: the rest run here.
    }
    if (!jobs.empty()) run(0);
    for (; next < jobs.size(); ++next) run(next);
  }
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

std::size_t CoreThreads() { return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8); }

}  // namespace varnel
