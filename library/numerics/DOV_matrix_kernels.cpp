// Dense kernels of the matrix unit. The decomposition and the inverse are blocked so that the
// bulk of their work is one matrix product on contiguous columns; the product's inner tile
// keeps 4 x 4 sums in registers, two rows to a vector of the compiler's generic vector type.

#include "DOV_matrix_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "DOV_progress.h"

namespace dov_kernels {

namespace {

typedef double v2d __attribute__((vector_size(16)));

constexpr int kTile = 4;        // rows and columns of the product's register tile
constexpr int kRowBlock = 256;  // rows of A packed at once (they stay in the second-level cache)
constexpr int kPanel = 64;      // columns factorised before the trailing matrix is updated
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

}  // namespace

void GemmMinus(int m, int n, int k, const double* A, std::size_t lda, const double* B,
               std::size_t ldb, double* C, std::size_t ldc) {
  if (m <= 0 || n <= 0 || k <= 0) return;
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

TLUResult CroutLU(double* a, int n, std::size_t lda, std::vector<double>& vv,
                  std::vector<int>& indx, int& NumPerm, bool Progress) {
  auto at = [&](int i, int j) -> double& { return a[static_cast<std::size_t>(j) * lda + i]; };
  indx.assign(static_cast<std::size_t>(n), 0);
  bool tiny = false;
  const double singularBelow = n * std::numeric_limits<double>::epsilon();
  for (int jb = 0; jb < n; jb += kPanel) {
    const int je = std::min(jb + kPanel, n);
    // The panel, column by column: each column is complete (all earlier columns applied)
    // when its pivot is chosen, as in Crout's order.
    for (int j = jb; j < je; ++j) {
      if (Progress && ProgressStepAborted()) return TLUResult::Aborted;
      double big = 0;
      int imax = j;
      double* colj = &at(0, j);
      for (int i = j; i < n; ++i) {
        const double t = vv[i] * std::fabs(colj[i]);
        if (t >= big) {
          big = t;
          imax = i;
        }
      }
      if (imax != j) {
        // Inside the panel now; the other columns take the panel's exchanges together below.
        for (int k = jb; k < je; ++k) std::swap(at(imax, k), at(j, k));
        NumPerm = -NumPerm;
        vv[imax] = vv[j];
      }
      indx[j] = imax;
      if (std::fabs(colj[j]) < kTinyPivot) {
        colj[j] = kTinyPivot;
        tiny = true;
      }
      // A pivot lost in the rounding of its own row is a zero that the rounding hid: the
      // matrix is singular to working precision and its "inverse" would be noise.
      if (!(big >= singularBelow)) tiny = true;
      const double pivot = colj[j];
      for (int i = j + 1; i < n; ++i) colj[i] /= pivot;
      for (int k = j + 1; k < je; ++k) {
        double* colk = &at(0, k);
        const double ujk = colk[j];
        if (ujk == 0) continue;
        for (int i = j + 1; i < n; ++i) colk[i] -= colj[i] * ujk;
      }
    }
    // The panel's row exchanges in every other column, one column at a time (a whole-row
    // exchange would touch a cache line per column for every pivot).
    for (int k = 0; k < n; ++k) {
      if (k == jb) k = je;
      if (k >= n) break;
      double* colk = &at(0, k);
      for (int j = jb; j < je; ++j)
        if (indx[j] != j) std::swap(colk[j], colk[indx[j]]);
    }
    if (je == n) break;
    // The rows of the panel to the right of it: a triangular solve with the panel's unit
    // lower block, one contiguous column at a time.
    for (int k = je; k < n; ++k) {
      double* colk = &at(0, k);
      for (int j = jb; j < je; ++j) {
        const double ujk = colk[j];
        if (ujk == 0) continue;
        const double* colj = &at(0, j);
        for (int i = j + 1; i < je; ++i) colk[i] -= colj[i] * ujk;
      }
    }
    // The trailing matrix takes the panel's contribution as one product.
    GemmMinus(n - je, n - je, je - jb, &at(je, jb), lda, &at(jb, je), lda, &at(je, je), lda);
  }
  return tiny ? TLUResult::TinyPivot : TLUResult::Done;
}

bool InverseFromLU(const double* lu, int n, std::size_t lda, const std::vector<int>& indx,
                   std::vector<double>& inv, bool Progress) {
  auto LU = [&](int i, int j) { return lu[static_cast<std::size_t>(j) * lda + i]; };
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
    // Forward: L Y = I.
    for (int b = c0; b < n; b += kPanel) {
      const int be = std::min(b + kPanel, n);
      for (int j = b; j < be; ++j)
        for (int c = 0; c < w; ++c) {
          const double yj = y(j, c);
          if (yj == 0) continue;
          for (int i = j + 1; i < be; ++i) y(i, c) -= LU(i, j) * yj;
        }
      if (be < n)
        GemmMinus(n - be, w, be - b, lu + static_cast<std::size_t>(b) * lda + be, lda, &y(b, 0), ld,
                  &y(be, 0), ld);
    }
    // Backward: U X = Y, from the last block of rows up.
    for (int b = ((n - 1) / kPanel) * kPanel; b >= 0; b -= kPanel) {
      const int be = std::min(b + kPanel, n);
      for (int c = 0; c < w; ++c)
        for (int j = be - 1; j >= b; --j) {
          const double yj = (y(j, c) /= LU(j, j));
          if (yj == 0) continue;
          for (int i = b; i < j; ++i) y(i, c) -= LU(i, j) * yj;
        }
      if (b > 0)
        GemmMinus(b, w, be - b, lu + static_cast<std::size_t>(b) * lda, lda, &y(b, 0), ld, &y(0, 0),
                  ld);
    }
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
