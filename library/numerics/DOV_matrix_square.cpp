// A^T A / Norm with worker threads. The result columns go out in blocks of eight, each block
// computed whole by one thread, every entry as a plain sequential dot product, so any number of
// threads gives the same bits. The blocks go to the numerics' worker pool (DOV_workpool.h) in
// ascending order (the first columns are the longest, so that keeps everyone busy); the pool
// calls the host's feedback routine while it waits, and on an abort stops the hand-out and
// joins every worker before it returns.

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "DOV_matrix.h"
#include "DOV_progress.h"
#include "DOV_workpool.h"
#include "Threads.h"

namespace {

constexpr int kBlock = 8;  // result columns computed together (one work item)

typedef double v2d __attribute__((vector_size(16)));

inline v2d Load2(const double* p) {
  v2d v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Result columns c0..c0+w-1 (0-based, w <= 8) of A^T A / Norm: the entries on and below the
// diagonal, down each column (the other triangle is mirrored once all columns are done, so no
// two workers write into the same cache line). The block's columns are packed row by row,
// eight values to a row, and every sum is a lane of its own that adds its products in row
// order: each entry is the plain sequential dot product, whatever the blocking.
void SquareBlock(const double* a, std::size_t lda, int rows, int cols, int c0, int w, double norm,
                 double* res, std::size_t ldr, std::vector<double>& packed,
                 const std::vector<double>& zeros) {
  packed.assign(static_cast<std::size_t>(rows) * kBlock, 0.0);
  for (int k = 0; k < w; ++k) {
    const double* x = a + static_cast<std::size_t>(c0 + k) * lda;
    for (int r = 0; r < rows; ++r) packed[static_cast<std::size_t>(r) * kBlock + k] = x[r];
  }
  for (int j = c0; j < cols; j += 2) {
    const double* y0 = a + static_cast<std::size_t>(j) * lda;
    const double* y1 = j + 1 < cols ? y0 + lda : zeros.data();
    v2d s00 = {0, 0}, s01 = {0, 0}, s02 = {0, 0}, s03 = {0, 0};
    v2d s10 = {0, 0}, s11 = {0, 0}, s12 = {0, 0}, s13 = {0, 0};
    const double* px = packed.data();
    for (int r = 0; r < rows; ++r, px += kBlock) {
      const v2d x0 = Load2(px), x1 = Load2(px + 2), x2 = Load2(px + 4), x3 = Load2(px + 6);
      const v2d b0 = {y0[r], y0[r]};
      const v2d b1 = {y1[r], y1[r]};
      s00 += x0 * b0;
      s01 += x1 * b0;
      s02 += x2 * b0;
      s03 += x3 * b0;
      s10 += x0 * b1;
      s11 += x1 * b1;
      s12 += x2 * b1;
      s13 += x3 * b1;
    }
    double sums[2][kBlock];
    std::memcpy(&sums[0][0], &s00, 16);
    std::memcpy(&sums[0][2], &s01, 16);
    std::memcpy(&sums[0][4], &s02, 16);
    std::memcpy(&sums[0][6], &s03, 16);
    std::memcpy(&sums[1][0], &s10, 16);
    std::memcpy(&sums[1][2], &s11, 16);
    std::memcpy(&sums[1][4], &s12, 16);
    std::memcpy(&sums[1][6], &s13, 16);
    for (int jj = 0; jj < 2 && j + jj < cols; ++jj)
      for (int k = 0; k < w && c0 + k <= j + jj; ++k)
        res[static_cast<std::size_t>(c0 + k) * ldr + j + jj] = sums[jj][k] / norm;
  }
}

// Copies the computed triangle (column c, rows c..C-1) to row c.
void CopyUpperToLower(double* res, std::size_t ldr, int cols) {
  for (int c = 0; c < cols; ++c)
    for (int j = c + 1; j < cols; ++j)
      res[static_cast<std::size_t>(j) * ldr + c] = res[static_cast<std::size_t>(c) * ldr + j];
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

  const std::vector<double> zeros(static_cast<std::size_t>(std::max(R, 0)), 0.0);
  const int blocks = (C + kBlock - 1) / kBlock;
  if (NThreads == 1) {
    std::vector<double> packed;
    for (int b = 0; b < blocks; ++b) {
      const int c0 = b * kBlock, w = std::min(kBlock, C - c0);
      for (int k = 0; k < w; ++k) {
        if (AbortMathProc.load(std::memory_order_relaxed)) return false;
        ProgressStep();
      }
      SquareBlock(a, lda, R, C, c0, w, Norm, res, ldr, packed, zeros);
    }
    CopyUpperToLower(res, ldr, C);
    return true;
  }

  // Blocks go to the shared worker pool; it polls AbortMathProc and joins every worker.
  const bool complete = RunWorkItems(
      blocks, NThreads,
      [&](Integer b) {
        thread_local std::vector<double> packed;  // one packing buffer per worker
        const int c0 = b * kBlock, w = std::min(kBlock, C - c0);
        SquareBlock(a, lda, R, C, c0, w, Norm, res, ldr, packed, zeros);
        ProcStat.fetch_add(w, std::memory_order_relaxed);
      },
      true);
  const bool aborted = !complete;
  if (aborted) return false;
  CopyUpperToLower(res, ldr, C);
  if (MathFeedBackProc != nullptr) MathFeedBackProc(ProcStat.load());
  return true;
}
