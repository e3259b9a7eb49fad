// Dense kernels of the matrix unit. The decomposition and the inverse are blocked so that the
// bulk of their work is one matrix product on contiguous columns. The product comes in two
// builds chosen once at run time: on processors with AVX2 and FMA a packed 8 x 6 register tile
// with explicit fused multiply-adds (the only place besides Square where the library contracts
// on purpose: the build's -ffp-contract=off does not reach intrinsics), elsewhere a 4 x 4 tile
// of the compiler's generic two-lane vectors.

#include "DOV_matrix_kernels.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "DOV_progress.h"

namespace dov_kernels {

namespace {

typedef double v2d __attribute__((vector_size(16)));

constexpr int kTile = 4;        // rows and columns of the product's register tile
constexpr int kRowBlock = 256;  // rows of A packed at once (they stay in the second-level cache)
constexpr int kRhsChunk = 64;   // columns of the inverse solved together
constexpr double kTinyPivot = 1e-100;

inline v2d Load2(const double* p) {
  v2d v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// acc (4 x 4, column by column) = sum over p of a[p] (4 rows, packed) * b_c[p].
inline void Tile(int k, const double* pa, const double* b0, const double* b1, const double* b2,
                 const double* b3, double* acc) {
  v2d c00 = {0, 0}, c10 = {0, 0}, c01 = {0, 0}, c11 = {0, 0};
  v2d c02 = {0, 0}, c12 = {0, 0}, c03 = {0, 0}, c13 = {0, 0};
  for (int p = 0; p < k; ++p, pa += kTile) {
    const v2d a0 = Load2(pa);
    const v2d a1 = Load2(pa + 2);
    const v2d x0 = {b0[p], b0[p]};
    const v2d x1 = {b1[p], b1[p]};
    const v2d x2 = {b2[p], b2[p]};
    const v2d x3 = {b3[p], b3[p]};
    c00 += a0 * x0;
    c10 += a1 * x0;
    c01 += a0 * x1;
    c11 += a1 * x1;
    c02 += a0 * x2;
    c12 += a1 * x2;
    c03 += a0 * x3;
    c13 += a1 * x3;
  }
  std::memcpy(acc + 0, &c00, 16);
  std::memcpy(acc + 2, &c10, 16);
  std::memcpy(acc + 4, &c01, 16);
  std::memcpy(acc + 6, &c11, 16);
  std::memcpy(acc + 8, &c02, 16);
  std::memcpy(acc + 10, &c12, 16);
  std::memcpy(acc + 12, &c03, 16);
  std::memcpy(acc + 14, &c13, 16);
}

void GemmMinusGeneric(int m, int n, int k, const double* A, std::size_t lda, const double* B,
                      std::size_t ldb, double* C, std::size_t ldc) {
  thread_local std::vector<double> packed;
  thread_local std::vector<double> zeros;
  if (zeros.size() < static_cast<std::size_t>(k)) zeros.assign(static_cast<std::size_t>(k), 0.0);
  for (int ib = 0; ib < m; ib += kRowBlock) {
    const int mb = std::min(kRowBlock, m - ib);
    const int slivers = (mb + kTile - 1) / kTile;
    packed.assign(static_cast<std::size_t>(slivers) * kTile * k, 0.0);
    // Four rows at a time, k after k, so that the tile reads A as one stream.
    for (int s = 0; s < slivers; ++s) {
      double* dst = packed.data() + static_cast<std::size_t>(s) * kTile * k;
      const int rows = std::min(kTile, mb - s * kTile);
      for (int p = 0; p < k; ++p) {
        const double* src = A + static_cast<std::size_t>(p) * lda + ib + s * kTile;
        for (int r = 0; r < rows; ++r) dst[p * kTile + r] = src[r];
      }
    }
    for (int j = 0; j < n; j += kTile) {
      const int cols = std::min(kTile, n - j);
      const double* b[kTile];
      for (int c = 0; c < kTile; ++c)
        b[c] = c < cols ? B + static_cast<std::size_t>(j + c) * ldb : zeros.data();
      for (int s = 0; s < slivers; ++s) {
        double acc[kTile * kTile];
        Tile(k, packed.data() + static_cast<std::size_t>(s) * kTile * k, b[0], b[1], b[2], b[3],
             acc);
        const int rows = std::min(kTile, mb - s * kTile);
        for (int c = 0; c < cols; ++c) {
          double* dst = C + static_cast<std::size_t>(j + c) * ldc + ib + s * kTile;
          for (int r = 0; r < rows; ++r) dst[r] -= acc[c * kTile + r];
        }
      }
    }
  }
}

#if defined(__x86_64__)
#define KESTAL_AVX2_FMA __attribute__((target("avx2,fma")))

constexpr int kMr = 8;    // rows of the AVX2 tile (two four-lane vectors)
constexpr int kNr = 6;    // columns of the AVX2 tile
constexpr int kKc = 256;  // depth of one pass: a tile's packed B (12 KB) stays in L1
constexpr int kMc = 96;   // rows of A packed at once (192 KB, in L2)

// acc (8 x 6) = sum over p of pa[p] (8 rows) * pb[p] (6 columns), then C -= acc for the rows
// and columns that exist.
KESTAL_AVX2_FMA
void TileAvx2(int k, const double* pa, const double* pb, double* C, std::size_t ldc, int rows,
              int cols) {
  __m256d c00 = _mm256_setzero_pd(), c10 = _mm256_setzero_pd();
  __m256d c01 = _mm256_setzero_pd(), c11 = _mm256_setzero_pd();
  __m256d c02 = _mm256_setzero_pd(), c12 = _mm256_setzero_pd();
  __m256d c03 = _mm256_setzero_pd(), c13 = _mm256_setzero_pd();
  __m256d c04 = _mm256_setzero_pd(), c14 = _mm256_setzero_pd();
  __m256d c05 = _mm256_setzero_pd(), c15 = _mm256_setzero_pd();
  for (int p = 0; p < k; ++p, pa += kMr, pb += kNr) {
    const __m256d a0 = _mm256_loadu_pd(pa);
    const __m256d a1 = _mm256_loadu_pd(pa + 4);
    __m256d b = _mm256_broadcast_sd(pb);
    c00 = _mm256_fmadd_pd(a0, b, c00);
    c10 = _mm256_fmadd_pd(a1, b, c10);
    b = _mm256_broadcast_sd(pb + 1);
    c01 = _mm256_fmadd_pd(a0, b, c01);
    c11 = _mm256_fmadd_pd(a1, b, c11);
    b = _mm256_broadcast_sd(pb + 2);
    c02 = _mm256_fmadd_pd(a0, b, c02);
    c12 = _mm256_fmadd_pd(a1, b, c12);
    b = _mm256_broadcast_sd(pb + 3);
    c03 = _mm256_fmadd_pd(a0, b, c03);
    c13 = _mm256_fmadd_pd(a1, b, c13);
    b = _mm256_broadcast_sd(pb + 4);
    c04 = _mm256_fmadd_pd(a0, b, c04);
    c14 = _mm256_fmadd_pd(a1, b, c14);
    b = _mm256_broadcast_sd(pb + 5);
    c05 = _mm256_fmadd_pd(a0, b, c05);
    c15 = _mm256_fmadd_pd(a1, b, c15);
  }
  const __m256d acc[2][kNr] = {{c00, c01, c02, c03, c04, c05}, {c10, c11, c12, c13, c14, c15}};
  if (rows == kMr && cols == kNr) {
    for (int c = 0; c < kNr; ++c) {
      double* dst = C + static_cast<std::size_t>(c) * ldc;
      _mm256_storeu_pd(dst, _mm256_sub_pd(_mm256_loadu_pd(dst), acc[0][c]));
      _mm256_storeu_pd(dst + 4, _mm256_sub_pd(_mm256_loadu_pd(dst + 4), acc[1][c]));
    }
    return;
  }
  double buf[kMr * kNr];
  for (int c = 0; c < kNr; ++c) {
    _mm256_storeu_pd(buf + c * kMr, acc[0][c]);
    _mm256_storeu_pd(buf + c * kMr + 4, acc[1][c]);
  }
  for (int c = 0; c < cols; ++c) {
    double* dst = C + static_cast<std::size_t>(c) * ldc;
    for (int r = 0; r < rows; ++r) dst[r] -= buf[c * kMr + r];
  }
}

// Goto's blocking: a kc-deep slice of B packed in slivers of six columns, a block of A's rows
// of that slice packed in slivers of eight, the tiles over both.
KESTAL_AVX2_FMA
void GemmMinusAvx2(int m, int n, int k, const double* A, std::size_t lda, const double* B,
                   std::size_t ldb, double* C, std::size_t ldc) {
  thread_local std::vector<double> pa, pb;
  const int nSlivers = (n + kNr - 1) / kNr;
  for (int p0 = 0; p0 < k; p0 += kKc) {
    const int kc = std::min(kKc, k - p0);
    pb.assign(static_cast<std::size_t>(nSlivers) * kNr * kc, 0.0);
    for (int s = 0; s < nSlivers; ++s) {
      double* dst = pb.data() + static_cast<std::size_t>(s) * kNr * kc;
      const int cols = std::min(kNr, n - s * kNr);
      for (int c = 0; c < cols; ++c) {
        const double* src = B + static_cast<std::size_t>(s * kNr + c) * ldb + p0;
        for (int p = 0; p < kc; ++p) dst[p * kNr + c] = src[p];
      }
    }
    for (int i0 = 0; i0 < m; i0 += kMc) {
      const int mc = std::min(kMc, m - i0);
      const int mSlivers = (mc + kMr - 1) / kMr;
      pa.assign(static_cast<std::size_t>(mSlivers) * kMr * kc, 0.0);
      for (int p = 0; p < kc; ++p) {
        const double* src = A + static_cast<std::size_t>(p0 + p) * lda + i0;
        for (int s = 0; s < mSlivers; ++s) {
          double* dst = pa.data() + (static_cast<std::size_t>(s) * kc + p) * kMr;
          const int rows = std::min(kMr, mc - s * kMr);
          for (int r = 0; r < rows; ++r) dst[r] = src[s * kMr + r];
        }
      }
      for (int s = 0; s < nSlivers; ++s) {
        const int cols = std::min(kNr, n - s * kNr);
        const double* b = pb.data() + static_cast<std::size_t>(s) * kNr * kc;
        double* cs = C + static_cast<std::size_t>(s * kNr) * ldc + i0;
        for (int t = 0; t < mSlivers; ++t)
          TileAvx2(kc, pa.data() + static_cast<std::size_t>(t) * kMr * kc, b, cs + t * kMr, ldc,
                   std::min(kMr, mc - t * kMr), cols);
      }
    }
  }
}

#endif

}  // namespace

namespace {
std::atomic<bool> PlainBuildsForced{false};
}

void UsePlainBuildsForTesting(bool Plain) { PlainBuildsForced = Plain; }

bool HasAvx2Fma() {
#if defined(__x86_64__)
  static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return has && !PlainBuildsForced;
#else
  return false;
#endif
}

bool HasAvx2() {
#if defined(__x86_64__)
  static const bool has = __builtin_cpu_supports("avx2");
  return has && !PlainBuildsForced;
#else
  return false;
#endif
}

void GemmMinus(int m, int n, int k, const double* A, std::size_t lda, const double* B,
               std::size_t ldb, double* C, std::size_t ldc) {
  if (m <= 0 || n <= 0 || k <= 0) return;
#if defined(__x86_64__)
  if (HasAvx2Fma()) return GemmMinusAvx2(m, n, k, A, lda, B, ldb, C, ldc);
#endif
  GemmMinusGeneric(m, n, k, A, lda, B, ldb, C, ldc);
}

bool RowScales(const double* a, int n, std::size_t lda, std::vector<double>& vv, bool Progress,
               bool& Aborted) {
  Aborted = false;
  vv.assign(static_cast<std::size_t>(n), 0.0);
  for (int j = 0; j < n; ++j) {
    const double* col = a + static_cast<std::size_t>(j) * lda;
    for (int i = 0; i < n; ++i) {
      const double t = std::fabs(col[i]);
      if (t > vv[i]) vv[i] = t;
    }
  }
  bool ok = true;
  for (int i = 0; i < n; ++i) {
    if (Progress && AbortMathProc.load(std::memory_order_relaxed)) {
      Aborted = true;
      return false;
    }
    if (vv[i] == 0)
      ok = false;
    else
      vv[i] = 1.0 / vv[i];
  }
  return ok;
}

namespace {

constexpr int kLeafColumns = 8;  // columns factorised one by one at the leaves of the recursion

// X := L^-1 X for the unit lower triangle L (w x w) and X (w rows, cols columns), recursively
// halved so that most of the work is the product.
void SolveUnitLower(const double* L, std::size_t ldl, int w, double* X, std::size_t ldx, int cols) {
  if (w <= kLeafColumns) {
    for (int c = 0; c < cols; ++c) {
      double* x = X + static_cast<std::size_t>(c) * ldx;
      for (int j = 0; j < w; ++j) {
        const double xj = x[j];
        if (xj == 0) continue;
        const double* l = L + static_cast<std::size_t>(j) * ldl;
        for (int i = j + 1; i < w; ++i) x[i] -= l[i] * xj;
      }
    }
    return;
  }
  const int h = w / 2;
  SolveUnitLower(L, ldl, h, X, ldx, cols);
  GemmMinus(w - h, cols, h, L + h, ldl, X, ldx, X + h, ldx);
  SolveUnitLower(L + static_cast<std::size_t>(h) * ldl + h, ldl, w - h, X + h, ldx, cols);
}

// X := U^-1 X for the upper triangle U (w x w, its own diagonal) and X (w rows, cols columns),
// halved as SolveUnitLower is.
void SolveUpper(const double* U, std::size_t ldu, int w, double* X, std::size_t ldx, int cols) {
  if (w <= kLeafColumns) {
    for (int c = 0; c < cols; ++c) {
      double* x = X + static_cast<std::size_t>(c) * ldx;
      for (int j = w - 1; j >= 0; --j) {
        const double* u = U + static_cast<std::size_t>(j) * ldu;
        const double xj = (x[j] /= u[j]);
        if (xj == 0) continue;
        for (int i = 0; i < j; ++i) x[i] -= u[i] * xj;
      }
    }
    return;
  }
  const int h = w / 2;
  SolveUpper(U + static_cast<std::size_t>(h) * ldu + h, ldu, w - h, X + h, ldx, cols);
  GemmMinus(h, cols, w - h, U + static_cast<std::size_t>(h) * ldu, ldu, X + h, ldx, X, ldx);
  SolveUpper(U, ldu, h, X, ldx, cols);
}

struct TLUState {
  double* a;
  int n;
  std::size_t lda;
  std::vector<double>& vv;
  std::vector<int>& indx;
  int& NumPerm;
  bool Progress;
  double singularBelow;
  bool tiny = false;
  double& at(int i, int j) { return a[static_cast<std::size_t>(j) * lda + i]; }
  // The row exchanges of columns [j0, j1) applied to columns [k0, k1).
  void Exchange(int j0, int j1, int k0, int k1) {
    for (int k = k0; k < k1; ++k) {
      double* colk = &at(0, k);
      for (int j = j0; j < j1; ++j)
        if (indx[j] != j) std::swap(colk[j], colk[indx[j]]);
    }
  }
};

// Factorises columns [j0, j0 + w), rows j0 to n - 1, all earlier columns applied to them. Each
// half is factorised whole before the next sees it, so every column is complete when its pivot
// is chosen, as in Crout's order; the exchanges reach the other half's columns as the halves
// are done.
bool FactorColumns(TLUState& st, int j0, int w) {
  const int n = st.n;
  if (w <= kLeafColumns) {
    const int je = j0 + w;
    for (int j = j0; j < je; ++j) {
      if (st.Progress && ProgressStepAborted()) return false;
      double big = 0;
      int imax = j;
      double* colj = &st.at(0, j);
      for (int i = j; i < n; ++i) {
        const double t = st.vv[i] * std::fabs(colj[i]);
        if (t >= big) {
          big = t;
          imax = i;
        }
      }
      if (imax != j) {
        for (int k = j0; k < je; ++k) std::swap(st.at(imax, k), st.at(j, k));
        st.NumPerm = -st.NumPerm;
        st.vv[imax] = st.vv[j];
      }
      st.indx[j] = imax;
      if (std::fabs(colj[j]) < kTinyPivot) {
        colj[j] = kTinyPivot;
        st.tiny = true;
      }
      // A pivot lost in the rounding of its own row is a zero that the rounding hid: the
      // matrix is singular to working precision and its "inverse" would be noise.
      if (!(big >= st.singularBelow)) st.tiny = true;
      const double pivot = colj[j];
      for (int i = j + 1; i < n; ++i) colj[i] /= pivot;
      for (int k = j + 1; k < je; ++k) {
        double* colk = &st.at(0, k);
        const double ujk = colk[j];
        if (ujk == 0) continue;
        for (int i = j + 1; i < n; ++i) colk[i] -= colj[i] * ujk;
      }
    }
    return true;
  }
  const int h = w / 2, j1 = j0 + h, je = j0 + w;
  if (!FactorColumns(st, j0, h)) return false;
  st.Exchange(j0, j1, j1, je);
  // The right half's rows of the left half's pivots, then the rest of it takes the left
  // half's contribution as one product.
  SolveUnitLower(&st.at(j0, j0), st.lda, h, &st.at(j0, j1), st.lda, w - h);
  GemmMinus(n - j1, w - h, h, &st.at(j1, j0), st.lda, &st.at(j0, j1), st.lda, &st.at(j1, j1),
            st.lda);
  if (!FactorColumns(st, j1, w - h)) return false;
  st.Exchange(j1, je, j0, j1);
  return true;
}

}  // namespace

TLUResult CroutLU(double* a, int n, std::size_t lda, std::vector<double>& vv,
                  std::vector<int>& indx, int& NumPerm, bool Progress) {
  indx.assign(static_cast<std::size_t>(n), 0);
  TLUState st{a, n, lda, vv, indx, NumPerm, Progress, n * std::numeric_limits<double>::epsilon()};
  if (!FactorColumns(st, 0, n)) return TLUResult::Aborted;
  return st.tiny ? TLUResult::TinyPivot : TLUResult::Done;
}

bool InverseFromLU(const double* lu, int n, std::size_t lda, const std::vector<int>& indx,
                   std::vector<double>& inv, bool Progress) {
  const std::size_t ld = static_cast<std::size_t>(n);
  inv.assign(ld * ld, 0.0);
  // (P A)^-1 = U^-1 L^-1, solved for the columns of the identity a chunk at a time; column c
  // of the identity is zero above row c, so its forward solve starts there.
  for (int c0 = 0; c0 < n; c0 += kRhsChunk) {
    const int w = std::min(kRhsChunk, n - c0);
    for (int c = 0; c < w; ++c)
      if (Progress && ProgressStepAborted()) return false;
    double* Y = inv.data() + static_cast<std::size_t>(c0) * ld;
    auto y = [&](int i, int c) -> double& { return Y[static_cast<std::size_t>(c) * ld + i]; };
    for (int c = 0; c < w; ++c) y(c0 + c, c) = 1.0;
    // Forward: L Y = I; backward: U X = Y.
    SolveUnitLower(lu + static_cast<std::size_t>(c0) * lda + c0, lda, n - c0, &y(c0, 0), ld, w);
    SolveUpper(lu, lda, n, Y, ld, w);
  }
  // A^-1 = (P A)^-1 P: the row exchanges come back as column exchanges, last one first.
  for (int j = n - 1; j >= 0; --j)
    if (indx[j] != j)
      std::swap_ranges(inv.begin() + static_cast<std::ptrdiff_t>(j * ld),
                       inv.begin() + static_cast<std::ptrdiff_t>((j + 1) * ld),
                       inv.begin() + static_cast<std::ptrdiff_t>(indx[j] * ld));
  return true;
}

// ---- singular value decomposition --------------------------------------------------------

namespace {

inline double Pythag(double a, double b) {
  const double absa = std::fabs(a), absb = std::fabs(b);
  if (absa > absb) return absa * std::sqrt(1.0 + (absb / absa) * (absb / absa));
  return absb == 0.0 ? 0.0 : absb * std::sqrt(1.0 + (absa / absb) * (absa / absb));
}

inline double Sign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

constexpr int kSvdIterations = 30;  // the last one is not taken: 29 at most per value

}  // namespace

bool SingularValues(double* a0, int m, int n, std::size_t lda, std::vector<double>& w,
                    std::vector<double>& v0) {
  auto a = [&](int i, int j) -> double& { return a0[static_cast<std::size_t>(j) * lda + i]; };
  v0.assign(static_cast<std::size_t>(n) * n, 0.0);
  auto v = [&](int i, int j) -> double& { return v0[static_cast<std::size_t>(j) * n + i]; };
  w.assign(static_cast<std::size_t>(n), 0.0);
  std::vector<double> rv1(static_cast<std::size_t>(n), 0.0);
  double g = 0, scale = 0, anorm = 0, s, f, h;
  int l = 0;
  // Householder reduction to bidiagonal form.
  for (int i = 0; i < n; ++i) {
    if (ProgressStepAborted()) return false;
    l = i + 1;
    rv1[i] = scale * g;
    g = s = scale = 0;
    if (i < m) {
      for (int k = i; k < m; ++k) scale += std::fabs(a(k, i));
      if (scale != 0) {
        for (int k = i; k < m; ++k) {
          a(k, i) /= scale;
          s += a(k, i) * a(k, i);
        }
        f = a(i, i);
        g = -Sign(std::sqrt(s), f);
        h = f * g - s;
        a(i, i) = f - g;
        for (int j = l; j < n; ++j) {
          s = 0;
          for (int k = i; k < m; ++k) s += a(k, i) * a(k, j);
          f = s / h;
          for (int k = i; k < m; ++k) a(k, j) += f * a(k, i);
        }
        for (int k = i; k < m; ++k) a(k, i) *= scale;
      }
    }
    w[i] = scale * g;
    g = s = scale = 0;
    if (i < m && i != n - 1) {
      for (int k = l; k < n; ++k) scale += std::fabs(a(i, k));
      if (scale != 0) {
        for (int k = l; k < n; ++k) {
          a(i, k) /= scale;
          s += a(i, k) * a(i, k);
        }
        f = a(i, l);
        g = -Sign(std::sqrt(s), f);
        h = f * g - s;
        a(i, l) = f - g;
        for (int k = l; k < n; ++k) rv1[k] = a(i, k) / h;
        for (int j = l; j < m; ++j) {
          s = 0;
          for (int k = l; k < n; ++k) s += a(j, k) * a(i, k);
          for (int k = l; k < n; ++k) a(j, k) += s * rv1[k];
        }
        for (int k = l; k < n; ++k) a(i, k) *= scale;
      }
    }
    anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(rv1[i]));
  }
  // Accumulation of the right-hand transformations.
  for (int i = n - 1; i >= 0; --i) {
    if (ProgressStepAborted()) return false;
    if (i < n - 1) {
      if (g != 0) {
        for (int j = l; j < n; ++j) v(j, i) = (a(i, j) / a(i, l)) / g;
        for (int j = l; j < n; ++j) {
          s = 0;
          for (int k = l; k < n; ++k) s += a(i, k) * v(k, j);
          for (int k = l; k < n; ++k) v(k, j) += s * v(k, i);
        }
      }
      for (int j = l; j < n; ++j) v(i, j) = v(j, i) = 0;
    }
    v(i, i) = 1;
    g = rv1[i];
    l = i;
  }
  // Accumulation of the left-hand transformations.
  for (int i = std::min(m, n) - 1; i >= 0; --i) {
    if (ProgressStepAborted()) return false;
    l = i + 1;
    g = w[i];
    for (int j = l; j < n; ++j) a(i, j) = 0;
    if (g != 0) {
      g = 1.0 / g;
      for (int j = l; j < n; ++j) {
        s = 0;
        for (int k = l; k < m; ++k) s += a(k, i) * a(k, j);
        f = (s / a(i, i)) * g;
        for (int k = i; k < m; ++k) a(k, j) += f * a(k, i);
      }
      for (int j = i; j < m; ++j) a(j, i) *= g;
    } else {
      for (int j = i; j < m; ++j) a(j, i) = 0;
    }
    a(i, i) += 1;
  }
  // Diagonalisation of the bidiagonal form by implicit-shift QR.
  for (int k = n - 1; k >= 0; --k) {
    if (ProgressStepAborted()) return false;
    for (int its = 1; its <= kSvdIterations; ++its) {
      bool flag = true;
      int nm = 0;
      for (l = k; l >= 0; --l) {
        nm = l - 1;
        // rv1[0] is always 0; the explicit end keeps a NaN from reading before the array.
        if (l == 0 || std::fabs(rv1[l]) + anorm == anorm) {
          flag = false;
          break;
        }
        if (std::fabs(w[nm]) + anorm == anorm) break;
      }
      if (flag) {
        double c = 0;
        s = 1;
        for (int i = l; i <= k; ++i) {
          f = s * rv1[i];
          rv1[i] = c * rv1[i];
          if (std::fabs(f) + anorm == anorm) break;
          g = w[i];
          h = Pythag(f, g);
          w[i] = h;
          h = 1.0 / h;
          c = g * h;
          s = -f * h;
          for (int j = 0; j < m; ++j) {
            const double y = a(j, nm), z = a(j, i);
            a(j, nm) = y * c + z * s;
            a(j, i) = z * c - y * s;
          }
        }
      }
      double z = w[k];
      if (l == k) {
        if (z < 0) {
          w[k] = -z;
          for (int j = 0; j < n; ++j) v(j, k) = -v(j, k);
        }
        break;
      }
      if (its == kSvdIterations) return false;
      double x = w[l];
      nm = k - 1;
      double y = w[nm];
      g = rv1[nm];
      h = rv1[k];
      f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
      g = Pythag(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + Sign(g, f))) - h)) / x;
      double c = 1;
      s = 1;
      for (int j = l; j <= nm; ++j) {
        const int i = j + 1;
        g = rv1[i];
        y = w[i];
        h = s * g;
        g = c * g;
        z = Pythag(f, h);
        rv1[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        for (int jj = 0; jj < n; ++jj) {
          x = v(jj, j);
          z = v(jj, i);
          v(jj, j) = x * c + z * s;
          v(jj, i) = z * c - x * s;
        }
        z = Pythag(f, h);
        w[j] = z;
        if (z != 0) {
          z = 1.0 / z;
          c = f * z;
          s = h * z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        for (int jj = 0; jj < m; ++jj) {
          y = a(jj, j);
          z = a(jj, i);
          a(jj, j) = y * c + z * s;
          a(jj, i) = z * c - y * s;
        }
      }
      rv1[l] = 0;
      rv1[k] = f;
      w[k] = x;
    }
  }
  return true;
}

}  // namespace dov_kernels
