// A^T A / Norm with worker threads. The result columns go out in blocks of sixteen, each block
// computed whole by one thread, every entry as a plain sequential dot product, so any number of
// threads gives the same bits; so does the AVX2 build chosen at run time (products and sums
// kept apart, no fused multiply-add), so the processor does not change them either. The blocks
// go to the numerics' worker pool (DOV_workpool.h) in ascending order (the first columns are the
// longest, so that keeps everyone busy); the pool calls the host's feedback routine while it waits,
// and on an abort stops the hand-out and joins every worker before it returns.

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "DOV_matrix.h"
#include "DOV_matrix_kernels.h"
#include "DOV_progress.h"
#include "DOV_workpool.h"
#include "Threads.h"

namespace {

constexpr int kBlock = 8;  // result columns computed together by the two-lane build
constexpr int kItem = 16;  // result columns of one work item

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

#if defined(__x86_64__)
constexpr int kYCols = 3;  // columns of the right side in one pass (12 sums in registers)

// SquareBlock's work with four-lane vectors over sixteen packed columns, which halves the
// passes over the other columns (the cost here is reading them, not the arithmetic). Products
// and sums stay separate operations, so every entry is the same plain sequential dot product.
__attribute__((target("avx2"))) void SquareBlockAvx2(const double* a, std::size_t lda, int rows,
                                                     int cols, int c0, int w, double norm,
                                                     double* res, std::size_t ldr,
                                                     std::vector<double>& packed,
                                                     const std::vector<double>& zeros) {
  packed.assign(static_cast<std::size_t>(rows) * kItem, 0.0);
  for (int k = 0; k < w; ++k) {
    const double* x = a + static_cast<std::size_t>(c0 + k) * lda;
    for (int r = 0; r < rows; ++r) packed[static_cast<std::size_t>(r) * kItem + k] = x[r];
  }
  for (int j = c0; j < cols; j += kYCols) {
    const double* y0 = a + static_cast<std::size_t>(j) * lda;
    const double* y1 = j + 1 < cols ? y0 + lda : zeros.data();
    const double* y2 = j + 2 < cols ? y0 + 2 * lda : zeros.data();
    __m256d s00 = _mm256_setzero_pd(), s01 = s00, s02 = s00, s03 = s00;
    __m256d s10 = s00, s11 = s00, s12 = s00, s13 = s00;
    __m256d s20 = s00, s21 = s00, s22 = s00, s23 = s00;
    const double* px = packed.data();
    for (int r = 0; r < rows; ++r, px += kItem) {
      const __m256d x0 = _mm256_loadu_pd(px), x1 = _mm256_loadu_pd(px + 4);
      const __m256d x2 = _mm256_loadu_pd(px + 8), x3 = _mm256_loadu_pd(px + 12);
      __m256d b = _mm256_broadcast_sd(y0 + r);
      s00 = _mm256_add_pd(s00, _mm256_mul_pd(x0, b));
      s01 = _mm256_add_pd(s01, _mm256_mul_pd(x1, b));
      s02 = _mm256_add_pd(s02, _mm256_mul_pd(x2, b));
      s03 = _mm256_add_pd(s03, _mm256_mul_pd(x3, b));
      b = _mm256_broadcast_sd(y1 + r);
      s10 = _mm256_add_pd(s10, _mm256_mul_pd(x0, b));
      s11 = _mm256_add_pd(s11, _mm256_mul_pd(x1, b));
      s12 = _mm256_add_pd(s12, _mm256_mul_pd(x2, b));
      s13 = _mm256_add_pd(s13, _mm256_mul_pd(x3, b));
      b = _mm256_broadcast_sd(y2 + r);
      s20 = _mm256_add_pd(s20, _mm256_mul_pd(x0, b));
      s21 = _mm256_add_pd(s21, _mm256_mul_pd(x1, b));
      s22 = _mm256_add_pd(s22, _mm256_mul_pd(x2, b));
      s23 = _mm256_add_pd(s23, _mm256_mul_pd(x3, b));
    }
    double sums[kYCols][kItem];
    const __m256d all[kYCols][4] = {
        {s00, s01, s02, s03}, {s10, s11, s12, s13}, {s20, s21, s22, s23}};
    for (int q = 0; q < kYCols; ++q)
      for (int v = 0; v < 4; ++v) _mm256_storeu_pd(&sums[q][4 * v], all[q][v]);
    for (int jj = 0; jj < kYCols && j + jj < cols; ++jj)
      for (int k = 0; k < w && c0 + k <= j + jj; ++k)
        res[static_cast<std::size_t>(c0 + k) * ldr + j + jj] = sums[jj][k] / norm;
  }
}

#endif

// One work item (kItem result columns from c0 on, w of them) with the build the processor
// runs.
void ComputeBlock(const double* a, std::size_t lda, int rows, int cols, int c0, int w, double norm,
                  double* res, std::size_t ldr, std::vector<double>& packed,
                  const std::vector<double>& zeros) {
#if defined(__x86_64__)
  if (dov_kernels::HasAvx2())
    return SquareBlockAvx2(a, lda, rows, cols, c0, w, norm, res, ldr, packed, zeros);
#endif
  for (int k = 0; k < w; k += kBlock)
    SquareBlock(a, lda, rows, cols, c0 + k, std::min(kBlock, w - k), norm, res, ldr, packed, zeros);
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
  const int blocks = (C + kItem - 1) / kItem;
  if (NThreads == 1) {
    std::vector<double> packed;
    for (int b = 0; b < blocks; ++b) {
      const int c0 = b * kItem, w = std::min(kItem, C - c0);
      for (int k = 0; k < w; ++k) {
        if (AbortMathProc.load(std::memory_order_relaxed)) return false;
        ProgressStep();
      }
      ComputeBlock(a, lda, R, C, c0, w, Norm, res, ldr, packed, zeros);
    }
    CopyUpperToLower(res, ldr, C);
    return true;
  }

  // Blocks go to the shared worker pool; it polls AbortMathProc and joins every worker.
  const bool complete = RunWorkItems(
      blocks, NThreads,
      [&](Integer b) {
        thread_local std::vector<double> packed;  // one packing buffer per worker
        const int c0 = b * kItem, w = std::min(kItem, C - c0);
        ComputeBlock(a, lda, R, C, c0, w, Norm, res, ldr, packed, zeros);
        ProcStat.fetch_add(w, std::memory_order_relaxed);
      },
      true);
  const bool aborted = !complete;
  if (aborted) return false;
  CopyUpperToLower(res, ldr, C);
  if (MathFeedBackProc != nullptr) MathFeedBackProc(ProcStat.load());
  return true;
}
