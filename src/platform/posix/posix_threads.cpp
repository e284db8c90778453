// Where the system runs the program's kept threads.
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include "platform/posix/posix_system.hpp"

namespace varnel {

void PlaceKeptThread(std::thread* awayFromCaller) {
  cpu_set_t processors;
  CPU_ZERO(&processors);
  // The program's processors: those of its first thread, which is never placed.
  if (sched_getaffinity(getpid(), sizeof processors, &processors) != 0) return;
  if (awayFromCaller == nullptr) {
    pthread_setaffinity_np(pthread_self(), sizeof processors, &processors);
    return;
  }
  const int here = sched_getcpu();
  if (here < 0 || here >= CPU_SETSIZE || !CPU_ISSET(here, &processors) || CPU_COUNT(&processors) < 2) return;
  CPU_CLR(here, &processors);
  // A refusal leaves the thread as it was.
  pthread_setaffinity_np(awayFromCaller->native_handle(), sizeof processors, &processors);
}

}  // namespace varnel
