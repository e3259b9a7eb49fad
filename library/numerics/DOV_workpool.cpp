// The worker pool of the threaded matrix operations (see DOV_workpool.h).

#include "DOV_workpool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {
constexpr auto kFeedbackInterval = std::chrono::milliseconds(20);
}

bool RunWorkItems(Integer Count, Integer NThreads, const std::function<void(Integer)>& Work,
                  bool PollAbort) {
  if (Count <= 0) return true;
  if (NThreads < 1) NThreads = 1;
  std::atomic<Integer> next{0};
  std::atomic<bool> stop{false};
  std::mutex lock;
  std::condition_variable wake;
  Integer finished = 0;  // items done or given up, under lock
  Integer running = 0;   // workers still in their loop, under lock
  std::exception_ptr failure;

  auto worker = [&] {
    for (;;) {
      if (stop.load(std::memory_order_relaxed)) break;
      const Integer i = next.fetch_add(1);
      if (i >= Count) break;
      try {
        Work(i);
      } catch (...) {
        std::lock_guard<std::mutex> g(lock);
        if (!failure) failure = std::current_exception();
        stop = true;
      }
      {
        std::lock_guard<std::mutex> g(lock);
        ++finished;
      }
      wake.notify_one();
    }
    {
      std::lock_guard<std::mutex> g(lock);
      --running;
    }
    wake.notify_one();
  };

  const Integer W = std::min(NThreads, Count);
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(W));
  bool aborted = false;
  auto joinAll = [&] {
    stop = true;
    for (auto& t : pool) t.join();
  };
  try {
    for (Integer w = 0; w < W; ++w) {
      {
        std::lock_guard<std::mutex> g(lock);
        ++running;
      }
      try {
        pool.emplace_back(worker);
      } catch (...) {
        std::lock_guard<std::mutex> g(lock);
        --running;
        throw;
      }
    }
    for (;;) {
      if (MathFeedBackProc != nullptr) MathFeedBackProc(ProcStat.load());
      if (PollAbort && AbortMathProc.load(std::memory_order_relaxed)) {
        aborted = true;
        break;
      }
      std::unique_lock<std::mutex> g(lock);
      if (finished >= Count || running == 0) break;
      wake.wait_for(g, kFeedbackInterval, [&] { return finished >= Count || running == 0; });
    }
  } catch (...) {
    joinAll();
    throw;
  }
  joinAll();
  if (failure) std::rethrow_exception(failure);
  return !aborted;
}
