#include "platform/HelperThread.h"

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <memory>

namespace kestrel {

std::thread StartBeside(std::function<void()> body) {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  cpu_set_t others = allowed;
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
    others = allowed;
    int here = sched_getcpu();
    if (here >= 0 && here < CPU_SETSIZE) CPU_CLR(here, &others);
  }
  bool move = CPU_COUNT(&others) > 0;
  // The thread waits until it is placed, so that its own widening below
  // comes after the narrowing and never before it.
  auto placed = std::make_shared<std::atomic<bool>>(!move);
  std::thread thread([body = std::move(body), placed, allowed, move] {
    if (move) {
      placed->wait(false);
      sched_setaffinity(0, sizeof allowed, &allowed);
    }
    body();
  });
  if (move) {
    // Refused (a narrower set meanwhile): it starts where the system puts it.
    pthread_setaffinity_np(thread.native_handle(), sizeof others, &others);
    placed->store(true);
    placed->notify_one();
  }
  return thread;
}

}  // namespace kestrel
