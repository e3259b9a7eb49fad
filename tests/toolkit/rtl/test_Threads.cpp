#include <gtest/gtest.h>
#include <sched.h>

#include <chrono>
#include <vector>

#include "Threads.h"

namespace {

class SumThread : public TThread {
public:
  SumThread(int from, int to) : from_(from), to_(to) {}
  ~SumThread() override { WaitFor(); }
  long long sum = 0;

protected:
  void Execute() override {
    for (int i = from_; i <= to_; ++i) sum += i;
    ReturnValue = 7;
  }

private:
  int from_, to_;
};

TEST(Threads, CreatedSuspendedStartedAndWaitedFor) {
  SumThread t(1, 1000);
  EXPECT_FALSE(t.Started());
  EXPECT_EQ(t.sum, 0);  // nothing ran before Start
  t.Start();
  EXPECT_EQ(t.WaitFor(), 7);
  EXPECT_TRUE(t.Finished());
  EXPECT_EQ(t.sum, 500500);
  EXPECT_THROW(t.Start(), EThread);
}

class PollingThread : public TThread {
public:
  ~PollingThread() override { WaitFor(); }
  std::atomic<int> loops{0};

protected:
  void Execute() override {
    while (!Terminated()) {
      ++loops;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
};

TEST(Threads, TerminateIsARequestThePollingThreadHonours) {
  PollingThread t;
  t.Start();
  while (t.loops == 0) std::this_thread::yield();
  t.Terminate();
  t.WaitFor();
  EXPECT_TRUE(t.Terminated());
  EXPECT_TRUE(t.Finished());
}

class FailingThread : public TThread {
public:
  ~FailingThread() override { WaitFor(); }

protected:
  void Execute() override { throw Exception("worker failed"); }
};

TEST(Threads, ExceptionInExecuteIsKept) {
  FailingThread t;
  t.Start();
  t.WaitFor();
  ASSERT_TRUE(t.FatalException());
  try {
    std::rethrow_exception(t.FatalException());
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "worker failed");
  }
}

TEST(Threads, CriticalSectionSerialises) {
  TCriticalSection cs;
  long long counter = 0;
  std::vector<std::thread> workers;
  for (int w = 0; w < 4; ++w)
    workers.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        cs.Enter();
        cs.Acquire();  // re-entrant, as the platform's
        ++counter;
        cs.Release();
        cs.Leave();
      }
    });
  for (auto& w : workers) w.join();
  EXPECT_EQ(counter, 80000);
  EXPECT_GE(ProcessorCount(), 1);
}

// A run pinned to fewer processors than the machine has (taskset, a container's CPU set) counts
// only those: more threads than it can run at once would only wait for each other.
TEST(Threads, ProcessorCountIsWhatTheProcessMayRunOn) {
  cpu_set_t all;
  ASSERT_EQ(sched_getaffinity(0, sizeof(all), &all), 0);
  EXPECT_EQ(ProcessorCount(), CPU_COUNT(&all));
  int first = 0;
  while (!CPU_ISSET(first, &all)) ++first;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  ASSERT_EQ(sched_setaffinity(0, sizeof(one), &one), 0);
  const Integer pinned = ProcessorCount();
  ASSERT_EQ(sched_setaffinity(0, sizeof(all), &all), 0);
  EXPECT_EQ(pinned, 1);
}

}  // namespace
