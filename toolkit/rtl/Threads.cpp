#include "Threads.h"

#include <sched.h>

TThread::TThread() = default;

TThread::~TThread() {
  FTerminated = true;
  std::lock_guard<std::mutex> g(FJoinLock);
  if (FThread.joinable()) FThread.join();
}

void TThread::Start() {
  if (FStarted) throw EThread("Thread already started");
  FStarted = true;
  FThread = std::thread([this] { Run(); });
}

void TThread::Run() {
  try {
    Execute();
  } catch (...) {
    FFatal = std::current_exception();
  }
  FFinished = true;
}

Integer TThread::WaitFor() {
  std::lock_guard<std::mutex> g(FJoinLock);
  if (FThread.joinable()) FThread.join();
  return ReturnValue;
}

Integer ProcessorCount() {
  // The processors this process may run on: a run pinned to a few of the machine's (taskset, a
  // container's CPU set) must not start more threads than it can run at once.
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) == 0) {
    const int n = CPU_COUNT(&set);
    if (n > 0) return static_cast<Integer>(n);
  }
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<Integer>(n);
}
