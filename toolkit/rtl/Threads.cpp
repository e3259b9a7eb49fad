#include "Threads.h"

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
  unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<Integer>(n);
}
