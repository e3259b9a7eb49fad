// The numerics' worker pool: every item once, at most NThreads at a time, and nothing left
// running when the call returns, whether it ends normally, by an abort or by an exception.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "DOV_workpool.h"

namespace {

struct AbortReset {
  ~AbortReset() { AbortMathProc = false; }
};

}  // namespace

TEST(WorkPool, EveryItemOnceAndNoMoreThreadsThanAsked) {
  for (Integer threads : {0, 1, 2, 8}) {
    std::vector<std::atomic<int>> runs(200);
    std::atomic<int> active{0}, peak{0};
    EXPECT_TRUE(RunWorkItems(
        200, threads,
        [&](Integer i) {
          const int now = ++active;
          int p = peak.load();
          while (now > p && !peak.compare_exchange_weak(p, now)) {}
          ++runs[static_cast<std::size_t>(i)];
          std::this_thread::sleep_for(std::chrono::microseconds(50));
          --active;
        },
        false));
    for (auto& r : runs) EXPECT_EQ(r.load(), 1);
    EXPECT_LE(peak.load(), std::max<Integer>(threads, 1));
  }
  EXPECT_TRUE(RunWorkItems(
      0, 4, [](Integer) { FAIL(); }, false));
}

TEST(WorkPool, AnAbortStopsTheHandOutAndJoinsEveryWorker) {
  AbortReset reset;
  std::atomic<int> started{0}, finished{0};
  const bool complete = RunWorkItems(
      10000, 4,
      [&](Integer) {
        ++started;
        if (started == 20) AbortMathProc = true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        ++finished;
      },
      true);
  EXPECT_FALSE(complete);
  EXPECT_LT(started.load(), 10000);
  EXPECT_EQ(started.load(), finished.load());  // nothing still running after the return
}

TEST(WorkPool, TheFirstExceptionReachesTheCallerAfterEveryWorkerIsJoined) {
  std::atomic<int> started{0}, finished{0};
  EXPECT_THROW(RunWorkItems(
                   1000, 8,
                   [&](Integer i) {
                     ++started;
                     if (i == 5) {
                       ++finished;
                       throw std::runtime_error("item failed");
                     }
                     std::this_thread::sleep_for(std::chrono::microseconds(100));
                     ++finished;
                   },
                   false),
               std::runtime_error);
  EXPECT_EQ(started.load(), finished.load());
  EXPECT_LT(started.load(), 1000);
}
