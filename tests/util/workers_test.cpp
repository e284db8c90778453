// Workers: every job given runs, on the threads or, where there are none, at once.
#include "util/workers.hpp"

#include <gtest/gtest.h>

#include <atomic>
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
      if (threads == 0) EXPECT_EQ(50, done.load()) << "ran before Run returned";
      while (done.load() < 50) std::this_thread::yield();
    }
    EXPECT_EQ(threads == 0 ? 50 : 0, onCaller.load()) << threads;
  }
}

}  // namespace varnel
