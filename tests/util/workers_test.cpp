// Workers and RunAtOnce: every job given runs, on threads or, where there are none, on the caller.
#include "util/workers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace varnel {

TEST(Workers, RunEveryJobOnTheirThreadsOrAtOnceWithoutThreads) {
  for (std::size_t threads : {0, 1, 3}) {
    std::atomic<int> done{0};
    std::atomic<int> onCaller{0};
    const std::thread::id caller = std::this_thread::get_id();
    {
      Workers workers(threads);
      for (int i = 0; i < 50; ++i)
        workers.Run([&] {
          onCaller += std::this_thread::get_id() == caller;
          ++done;
        });
      if (threads == 0) {
        EXPECT_EQ(50, done.load()) << "ran before Run returned";
      }
      // A sleep, not a yield: under Wine a spinning caller starved the workers for minutes.
      while (done.load() < 50) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(threads == 0 ? 50 : 0, onCaller.load()) << threads;
  }
}

TEST(Workers, RunAtOnceEndsEveryJobBeforeItRethrowsTheFirstFailureAndRunsJobsThatRunJobs) {
  std::atomic<int> done{0};
  const auto job = [&done](bool fails) {
    return [&done, fails] {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      ++done;
      if (fails) throw std::runtime_error("job failed");
    };
  };
  EXPECT_THROW(RunAtOnce({job(false), job(true), job(false), job(true)}), std::runtime_error);
  EXPECT_EQ(4, done.load());
  RunAtOnce({job(false), job(false)});
  EXPECT_EQ(6, done.load());
  // More jobs than threads, and jobs that run jobs at once.
  done = 0;
  const std::function<void()> inner = [&done] { ++done; };
  const std::function<void()> outer = [&] { RunAtOnce({inner, inner, inner}); };
  for (int round = 0; round < 50; ++round) RunAtOnce({outer, outer, outer, outer, outer});
  EXPECT_EQ(50 * 15, done.load());
}

// A kept thread is placed away from the calling thread before it is woken for work, and asks to
// run anywhere again once it has a job; the calling thread is never placed.
TEST(Workers, RunAtOnceHasKeptThreadsPlacedAwayFromTheCallerUntilTheyWork) {
  static std::mutex mutex;
  static std::vector<std::pair<std::thread::id, bool>> calls;  // the thread, and whether away
  SetThreadPlacement([](std::thread* awayFromCaller) {
    const std::lock_guard<std::mutex> lock(mutex);
    calls.emplace_back(awayFromCaller ? awayFromCaller->get_id() : std::this_thread::get_id(),
                       awayFromCaller != nullptr);
  });
  std::mutex jobMutex;
  std::vector<std::thread::id> workers;
  const std::function<void()> job = [&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // time for a kept thread to join in
    const std::lock_guard<std::mutex> lock(jobMutex);
    workers.push_back(std::this_thread::get_id());
  };
  RunAtOnce({job, job});
  SetThreadPlacement(nullptr);

  const std::thread::id caller = std::this_thread::get_id();
  EXPECT_EQ(CoreThreads() > 1, !calls.empty());
  for (const auto& [thread, away] : calls)
    EXPECT_NE(caller, thread) << (away ? "placed away" : "placed anywhere");
  for (const std::thread::id worker : workers) {
    if (worker == caller) continue;
    const auto first =
        std::find_if(calls.begin(), calls.end(), [&](const auto& c) { return c.first == worker; });
    ASSERT_NE(calls.end(), first);
    EXPECT_TRUE(first->second) << "a kept thread that ran a job was placed away first";
    EXPECT_NE(calls.end(), std::find(first, calls.end(), std::pair{worker, false})) << "then anywhere";
  }
}

}  // namespace varnel
