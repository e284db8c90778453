// The placement of kept threads on Linux: away from the caller's processor, then anywhere.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <latch>
#include <thread>

#include "platform/posix/posix_system.hpp"

namespace varnel {

TEST(PosixThreads, AKeptThreadIsPlacedOffTheCallersProcessorAndThenAnywhere) {
  cpu_set_t program;
  ASSERT_EQ(0, sched_getaffinity(getpid(), sizeof program, &program));
  if (CPU_COUNT(&program) < 2) GTEST_SKIP() << "a single processor";
  int first = 0;
  while (!CPU_ISSET(first, &program)) ++first;

  std::latch placed(1);
  cpu_set_t whenPlaced, afterwards;
  std::thread kept([&] {
    placed.wait();
    sched_getaffinity(0, sizeof whenPlaced, &whenPlaced);
    PlaceKeptThread(nullptr);  // as when it has a job
    sched_getaffinity(0, sizeof afterwards, &afterwards);
  });
  std::thread caller([&] {  // on one processor, so that "the caller's processor" is known
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    pthread_setaffinity_np(pthread_self(), sizeof one, &one);
    PlaceKeptThread(&kept);
    placed.count_down();
  });
  caller.join();
  kept.join();

  cpu_set_t away = program;
  CPU_CLR(first, &away);
  EXPECT_TRUE(CPU_EQUAL(&away, &whenPlaced)) << "the program's processors but the caller's";
  EXPECT_TRUE(CPU_EQUAL(&program, &afterwards)) << "the program's processors";
}

}  // namespace varnel
