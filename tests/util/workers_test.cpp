// Workers and RunAtOnce: every job given runs, on threads or, where there are none, on the caller.
#include "util/workers.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

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
      while (done.load() < 50) std::this_thread::yield();
    }
    EXPECT_EQ(threads == 0 ? 50 : 0, onCaller.load()) << threads;
  }
}

TEST(Workers, RunAtOnceEndsEveryJobBeforeItRethrowsTheFirstFailure) {
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
}

TEST(Workers, RunAtOnceRunsMoreJobsThanThreadsAndJobsThatRunJobsAtOnce) {
  std::atomic<int> done{0};
  const std::function<void()> inner = [&done] { ++done; };
  const std::function<void()> outer = [&] { RunAtOnce({inner, inner, inner}); };
  for (int round = 0; round < 50; ++round) RunAtOnce({outer, outer, outer, outer, outer});
  EXPECT_EQ(50 * 15, done.load());
}

}  // namespace varnel
