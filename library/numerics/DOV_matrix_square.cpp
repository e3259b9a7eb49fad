// A^T A / Norm with worker threads. Each result column is computed whole by one thread, its
// entries as plain sequential dot products, so any number of threads gives the same bits.
// Workers pull the next column from a shared counter (the first columns are the longest, so
// handing them out in ascending order keeps everyone busy); the calling thread waits on a
// condition with a short timeout, calling the host's feedback routine while it waits, and on
// an abort stops the hand-out and joins every worker before it returns.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "DOV_matrix.h"
#include "DOV_progress.h"
#include "Threads.h"

namespace {

constexpr auto kFeedbackInterval = std::chrono::milliseconds(20);

// Result column c (0-based) of A^T A / Norm: entries c..C-1, written to row c and column c.
// Four dot products run side by side (four independent sums, each still in row order).
void SquareColumn(const double* a, std::size_t lda, int rows, int cols, int c, double norm,
                  double* res, std::size_t ldr) {
  const double* x = a + static_cast<std::size_t>(c) * lda;
  int j = c;
  for (; j + 4 <= cols; j += 4) {
    const double* y0 = a + static_cast<std::size_t>(j) * lda;
    const double* y1 = y0 + lda;
    const double* y2 = y1 + lda;
    const double* y3 = y2 + lda;
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (int r = 0; r < rows; ++r) {
      const double xr = x[r];
      s0 += xr * y0[r];
      s1 += xr * y1[r];
      s2 += xr * y2[r];
      s3 += xr * y3[r];
    }
    const double s[4] = {s0, s1, s2, s3};
    for (int k = 0; k < 4; ++k) {
      res[static_cast<std::size_t>(j + k) * ldr + c] = s[k] / norm;
      res[static_cast<std::size_t>(c) * ldr + j + k] = s[k] / norm;
    }
  }
  for (; j < cols; ++j) {
    const double* y = a + static_cast<std::size_t>(j) * lda;
    double s = 0;
    for (int r = 0; r < rows; ++r) s += x[r] * y[r];
    res[static_cast<std::size_t>(j) * ldr + c] = s / norm;
    res[static_cast<std::size_t>(c) * ldr + j] = s / norm;
  }
}

}  // namespace

bool TMatrix::Square(TMatrix* MatRes, double Norm) {
  return Square(MatRes, Norm, ProcessorCount());
}

bool TMatrix::Square(TMatrix* MatRes, double Norm, Integer NThreads) {
  if (MatRes == nullptr) return false;
  // Squaring into itself would resize the source under the workers: square a copy.
  std::unique_ptr<TMatrix> copy;
  const TMatrix* src = this;
  if (MatRes == this) {
    copy = std::make_unique<TMatrix>(nullptr);
    copy->Assign(this);
    copy->OnChange = nullptr;
    src = copy.get();
  }
  const int C = src->FNCol;
  const int R = src->FNRow;
  MatRes->Resize(C, C);
  const double* a = src->FData.data();
  const std::size_t lda = src->FAllocRows;
  double* res = MatRes->FData.data();
  const std::size_t ldr = MatRes->FAllocRows;
  if (NThreads < 1) NThreads = 1;

  if (NThreads == 1) {
    for (int c = 0; c < C; ++c) {
      if (AbortMathProc.load(std::memory_order_relaxed)) return false;
      ProgressStep();
      SquareColumn(a, lda, R, C, c, Norm, res, ldr);
    }
    return true;
  }

  std::atomic<int> next{0};
  std::atomic<bool> stop{false};
  std::mutex lock;
  std::condition_variable wake;
  int finished = 0;  // columns done, under lock
  auto worker = [&] {
    while (!stop.load(std::memory_order_relaxed)) {
      const int c = next.fetch_add(1);
      if (c >= C) break;
      SquareColumn(a, lda, R, C, c, Norm, res, ldr);
      ProcStat.fetch_add(1.0, std::memory_order_relaxed);
      {
        std::lock_guard<std::mutex> g(lock);
        ++finished;
      }
      wake.notify_one();
    }
  };
  const int W = std::min(NThreads, C);
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(W));
  bool aborted = false;
  try {
    for (int w = 0; w < W; ++w) pool.emplace_back(worker);
    // Every pass, the first one included, reports and looks for an abort.
    for (;;) {
      if (MathFeedBackProc != nullptr) MathFeedBackProc(ProcStat.load());
      if (AbortMathProc.load(std::memory_order_relaxed)) {
        aborted = true;
        break;
      }
      std::unique_lock<std::mutex> g(lock);
      if (finished >= C) break;
      wake.wait_for(g, kFeedbackInterval, [&] { return finished >= C; });
    }
  } catch (...) {
    stop = true;
    for (auto& t : pool) t.join();
    throw;
  }
  stop = true;
  for (auto& t : pool) t.join();
  if (aborted) return false;
  if (MathFeedBackProc != nullptr) MathFeedBackProc(ProcStat.load());
  return true;
}
