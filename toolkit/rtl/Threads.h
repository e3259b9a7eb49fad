#pragma once
// Threads and critical sections.

#include <atomic>
#include <mutex>
#include <thread>

#include "System.h"

// A worker thread. Derive, override Execute, create (always suspended), Start, WaitFor.
// An exception escaping Execute is kept and returned by FatalException(); it does not end the
// process. The destructor asks the thread to terminate and waits for it: a derived class whose
// Execute uses its own members must call WaitFor in its own destructor.
class TThread {
public:
  TThread();
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Start();  // once; EThread ("Thread already started") on a second call
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  bool Finished() const { return FFinished; }
  bool Started() const { return FStarted; }
  // Waits until Execute has returned; returns ReturnValue. Immediately when never started.
  Integer WaitFor();
  Integer ReturnValue = 0;
  const std::exception_ptr& FatalException() const { return FFatal; }
  // Hardware thread id.
  std::thread::id ThreadID() const { return FThread.get_id(); }

protected:
  virtual void Execute() = 0;

private:
  void Run();
  std::thread FThread;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  bool FStarted = false;
  std::exception_ptr FFatal;
  std::mutex FJoinLock;
};

class EThread : public Exception {
  using Exception::Exception;
};

// A recursive lock, as the platform's critical section is.
class TCriticalSection {
public:
  void Enter() { FLock.lock(); }
  void Leave() { FLock.unlock(); }
  void Acquire() { Enter(); }
  void Release() { Leave(); }
  bool TryEnter() { return FLock.try_lock(); }

private:
  std::recursive_mutex FLock;
};

// Number of processors this process may run on (at least 1).
Integer ProcessorCount();
