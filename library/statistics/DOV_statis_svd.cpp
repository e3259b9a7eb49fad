// Singular value decomposition (Golub-Reinsch) and the least-squares routines built on it.
//
// The decomposition runs on a private column-major copy (leading dimension = rows), so the
// caller's matrices change only when it succeeds or fails to converge, and the inner loops run
// down contiguous columns. The plane rotations of the QR phase depend only on the bidiagonal
// form, never on U or V, so they are recorded and applied to U and V later, a block of rows at
// a time over a batch of rotations: every element still sees the same rotations in the same
// order, so the results are those of rotating whole columns at once.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "DOV_statis.h"
#include "SysUtils.h"

namespace {

using Index = std::ptrdiff_t;

constexpr int kMaxSweeps = 30;
constexpr double kNearSingularRatio = 1e-14;
constexpr double kPinvEpsilon = 1.2e-16;

// The library's progress step: one count, the host sees it, then the abort test.
bool StepAborted() {
  const Double now = ProcStat.fetch_add(1.0, std::memory_order_relaxed) + 1.0;
  if (MathFeedBackProc != nullptr) MathFeedBackProc(now);
  return AbortMathProc.load(std::memory_order_relaxed);
}

// |a| with the sign of b, a zero b counting as positive.
inline double Sign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

// A column-major block of doubles, element (row i, column j) at d[j * rows + i], 0-based.
struct TBlock {
  Index rows = 0, cols = 0;
  std::vector<double> d;
  TBlock(Index r, Index c) : rows(r), cols(c), d(static_cast<std::size_t>(r * c), 0.0) {}
  double* Col(Index j) { return d.data() + j * rows; }
  double& operator()(Index i, Index j) { return d[static_cast<std::size_t>(j * rows + i)]; }
};

// A recorded plane rotation of columns p and q: p := p c + q s, q := q c - p s (old values);
// q < 0 negates column p instead.
struct TRotation {
  std::int32_t p, q;
  double c, s;
};

// The hot loops are compiled for AVX-512, AVX2 and the baseline, and the loader picks the
// one the processor runs. Only element-wise loops vectorise (no sum is reassociated, and
// contraction into fused multiply-adds is off), so all three give the same bits.
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__)
#define KESTAL_SVD_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define KESTAL_SVD_CLONES
#endif

using TLanes = double __attribute__((vector_size(32)));  // four rows at once

// By reference: a vector passed by value would depend on the processor's calling convention.
inline void LoadLanes(TLanes& v, const double* p) { std::memcpy(&v, p, sizeof v); }
inline void StoreLanes(double* p, const TLanes& v) { std::memcpy(p, &v, sizeof v); }

// Applies ops[a .. b], a chain in which each rotation's first column is the previous one's
// second (the QR sweep's (j, j + 1), (j + 1, j + 2), ...), to rows [r0, r1): the column passed
// along stays in registers, so each rotation loads and stores one column instead of two. The
// arithmetic per element is that of applying the rotations one after the other.
KESTAL_SVD_CLONES
void ApplyChain(TBlock& t, const TRotation* ops, std::size_t count, Index r0, Index r1) {
  constexpr Index kLanes = 4, kGroup = 4 * kLanes;
  Index r = r0;
  for (; r + kGroup <= r1; r += kGroup) {
    const double* first = t.Col(ops[0].p) + r;
    TLanes c0, c1, c2, c3;
    LoadLanes(c0, first);
    LoadLanes(c1, first + 4);
    LoadLanes(c2, first + 8);
    LoadLanes(c3, first + 12);
    for (std::size_t k = 0; k < count; ++k) {
      const TRotation& op = ops[k];
      double* x = t.Col(op.p) + r;
      const double* z = t.Col(op.q) + r;
      const TLanes c = {op.c, op.c, op.c, op.c}, s = {op.s, op.s, op.s, op.s};
      TLanes z0, z1, z2, z3;
      LoadLanes(z0, z);
      LoadLanes(z1, z + 4);
      LoadLanes(z2, z + 8);
      LoadLanes(z3, z + 12);
      StoreLanes(x, c0 * c + z0 * s);
      StoreLanes(x + 4, c1 * c + z1 * s);
      StoreLanes(x + 8, c2 * c + z2 * s);
      StoreLanes(x + 12, c3 * c + z3 * s);
      c0 = z0 * c - c0 * s;
      c1 = z1 * c - c1 * s;
      c2 = z2 * c - c2 * s;
      c3 = z3 * c - c3 * s;
    }
    double* last = t.Col(ops[count - 1].q) + r;
    StoreLanes(last, c0);
    StoreLanes(last + 4, c1);
    StoreLanes(last + 8, c2);
    StoreLanes(last + 12, c3);
  }
  for (std::size_t k = 0; k < count; ++k) {
    double* x = t.Col(ops[k].p);
    double* z = t.Col(ops[k].q);
    const double c = ops[k].c, s = ops[k].s;
    for (Index i = r; i < r1; ++i) {
      const double y = x[i], zz = z[i];
      x[i] = y * c + zz * s;
      z[i] = zz * c - y * s;
    }
  }
}

void ApplyRotations(TBlock& t, const std::vector<TRotation>& ops, Index r0, Index r1) {
  std::size_t a = 0;
  while (a < ops.size()) {
    if (ops[a].q < 0) {  // a negation
      double* x = t.Col(ops[a].p);
      for (Index r = r0; r < r1; ++r) x[r] = -x[r];
      ++a;
      continue;
    }
    std::size_t b = a + 1;
    while (b < ops.size() && ops[b].q >= 0 && ops[b].p == ops[b - 1].q) ++b;
    ApplyChain(t, ops.data() + a, b - a, r0, r1);
    a = b;
  }
}

// Records the rotations of U (the block a) and V and applies them in batches: the rows of
// both, in slices that stay in the cache, each slice taking the whole batch in order.
class TRotationQueue {
public:
  TRotationQueue(TBlock& u, TBlock& v) : FU(u), FV(v) {
    FOpsU.reserve(kBatch);
    FOpsV.reserve(kBatch);
  }
  void RotateU(Index p, Index q, double c, double s) { Add(FOpsU, p, q, c, s); }
  void RotateV(Index p, Index q, double c, double s) { Add(FOpsV, p, q, c, s); }
  void NegateV(Index p) { Add(FOpsV, p, -1, -1.0, 0.0); }
  void Flush() {
    for (Index r0 = 0; r0 < FU.rows; r0 += kRowSlice)
      ApplyRotations(FU, FOpsU, r0, std::min(FU.rows, r0 + kRowSlice));
    for (Index r0 = 0; r0 < FV.rows; r0 += kRowSlice)
      ApplyRotations(FV, FOpsV, r0, std::min(FV.rows, r0 + kRowSlice));
    FOpsU.clear();
    FOpsV.clear();
  }

private:
  static constexpr std::size_t kBatch = 8192;
  static constexpr Index kRowSlice = 32;
  void Add(std::vector<TRotation>& ops, Index p, Index q, double c, double s) {
    ops.push_back({static_cast<std::int32_t>(p), static_cast<std::int32_t>(q), c, s});
    if (ops.size() >= kBatch) Flush();
  }
  TBlock& FU;
  TBlock& FV;
  std::vector<TRotation> FOpsU, FOpsV;
};

// out[t] = sum over k = lo .. hi - 1 of x[k] y_t[k] for four columns y_t at once; each sum runs
// in ascending k as a single sum would, the four chains only overlap in time.
inline void Dot4(const double* x, const double* y0, const double* y1, const double* y2,
                 const double* y3, Index lo, Index hi, double out[4]) {
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  for (Index k = lo; k < hi; ++k) {
    const double xk = x[k];
    s0 += xk * y0[k];
    s1 += xk * y1[k];
    s2 += xk * y2[k];
    s3 += xk * y3[k];
  }
  out[0] = s0;
  out[1] = s1;
  out[2] = s2;
  out[3] = s3;
}

inline double Dot(const double* x, const double* y, Index lo, Index hi) {
  double s = 0;
  for (Index k = lo; k < hi; ++k) s += x[k] * y[k];
  return s;
}

// For each column j in [first, last): t_j = sum over k in [lo, hi) of x[k] col_j[k], then
// col_j[k] += scaled(t_j) * x[k] for k in [alo, hi). The dots of four columns run together.
template <class Scale>
inline void DotsThenUpdates(TBlock& b, const double* x, Index first, Index last, Index lo, Index hi,
                            Index alo, Scale scaled) {
  Index j = first;
  for (; j + 4 <= last; j += 4) {
    double t[4];
    Dot4(x, b.Col(j), b.Col(j + 1), b.Col(j + 2), b.Col(j + 3), lo, hi, t);
    for (int q = 0; q < 4; ++q) {
      double* col = b.Col(j + q);
      const double f = scaled(t[q]);
      for (Index k = alo; k < hi; ++k) col[k] += f * x[k];
    }
  }
  for (; j < last; ++j) {
    double* col = b.Col(j);
    const double f = scaled(Dot(x, col, lo, hi));
    for (Index k = alo; k < hi; ++k) col[k] += f * x[k];
  }
}

// The column part of a Householder step on column i (rows i .. m - 1): scale, g and h.
struct TColumnReflector {
  double scale = 0, g = 0, h = 0;
};

TColumnReflector PrepareColumn(TBlock& a, Index i) {
  TColumnReflector c;
  if (i >= a.rows) return c;
  double* ai = a.Col(i);
  for (Index k = i; k < a.rows; ++k) c.scale += std::fabs(ai[k]);
  if (c.scale == 0) return c;
  double s = 0;
  for (Index k = i; k < a.rows; ++k) {
    ai[k] /= c.scale;
    s += ai[k] * ai[k];
  }
  const double f = ai[i];
  c.g = -Sign(std::sqrt(s), f);
  c.h = f * c.g - s;
  ai[i] = f - c.g;
  return c;
}

inline void ApplyColumn(TBlock& a, Index i, Index j, const TColumnReflector& c) {
  if (c.scale == 0) return;
  const double* ai = a.Col(i);
  double* aj = a.Col(j);
  const double ff = Dot(ai, aj, i, a.rows) / c.h;
  for (Index k = i; k < a.rows; ++k) aj[k] += ff * ai[k];
}

void FinishColumn(TBlock& a, Index i, const TColumnReflector& c) {
  if (c.scale == 0) return;
  double* ai = a.Col(i);
  for (Index k = i; k < a.rows; ++k) ai[k] *= c.scale;
}

// Phase 1: Householder reduction of a to bidiagonal form (diagonal w, superdiagonal e). The
// row part of step i and the column part of step i + 1 share one pass over the columns: each
// column takes step i's row update and then step i + 1's reflection, the order in which the
// steps one after the other would change it.
KESTAL_SVD_CLONES
bool Bidiagonalise(TBlock& a, std::vector<double>& w, std::vector<double>& e, double& anorm) {
  const Index m = a.rows, n = a.cols;
  std::vector<double> rowi(static_cast<std::size_t>(n)), sums(static_cast<std::size_t>(m));
  double rowScale = 0, rowG = 0;  // the previous step's row part, for e[i]
  TColumnReflector fusedColumn;
  bool columnDone = false;  // this step's column part ran with the previous row update
  anorm = 0;
  for (Index i = 0; i < n; ++i) {
    if (!columnDone && StepAborted()) return false;
    const Index l = i + 1;
    e[i] = rowScale * rowG;
    TColumnReflector col = fusedColumn;
    if (!columnDone) {
      col = PrepareColumn(a, i);
      if (col.scale != 0) {
        const double* ai = a.Col(i);
        DotsThenUpdates(a, ai, l, n, i, m, i, [&col](double t) { return t / col.h; });
      }
      FinishColumn(a, i, col);
    }
    w[i] = col.scale * col.g;
    columnDone = false;
    rowScale = rowG = 0;
    if (i < m && i != n - 1) {
      for (Index k = l; k < n; ++k) rowScale += std::fabs(a(i, k));
      if (rowScale != 0) {
        double s = 0;
        for (Index k = l; k < n; ++k) {
          a(i, k) /= rowScale;
          s += a(i, k) * a(i, k);
        }
        const double f = a(i, l);
        rowG = -Sign(std::sqrt(s), f);
        const double h = f * rowG - s;
        a(i, l) = f - rowG;
        for (Index k = l; k < n; ++k) {
          e[k] = a(i, k) / h;
          rowi[k] = a(i, k);
        }
        // For each row j > i: s_j = sum over k of a(j, k) a(i, k), k ascending, then
        // a(j, k) += s_j e[k]. Running k outside keeps each sum's order and reads columns.
        std::fill(sums.begin() + l, sums.end(), 0.0);
        for (Index k = l; k < n; ++k) {
          const double* ak = a.Col(k);
          const double aik = rowi[k];
          for (Index j = l; j < m; ++j) sums[j] += ak[j] * aik;
        }
        if (StepAborted()) return false;  // step i + 1 begins with the update below
        auto update = [&](Index k) {
          double* ak = a.Col(k);
          const double ek = e[k];
          for (Index j = l; j < m; ++j) ak[j] += sums[j] * ek;
        };
        update(l);
        fusedColumn = PrepareColumn(a, l);
        Index k = l + 1;
        if (fusedColumn.scale != 0) {  // four columns at a time: their dots run side by side
          const double* al = a.Col(l);
          for (; k + 4 <= n; k += 4) {
            for (Index q = k; q < k + 4; ++q) update(q);
            double t[4];
            Dot4(al, a.Col(k), a.Col(k + 1), a.Col(k + 2), a.Col(k + 3), l, m, t);
            for (int q = 0; q < 4; ++q) {
              double* aq = a.Col(k + q);
              const double ff = t[q] / fusedColumn.h;
              for (Index r = l; r < m; ++r) aq[r] += ff * al[r];
            }
          }
        }
        for (; k < n; ++k) {
          update(k);
          ApplyColumn(a, l, k, fusedColumn);
        }
        FinishColumn(a, l, fusedColumn);
        columnDone = true;
        for (Index k = l; k < n; ++k) a(i, k) *= rowScale;
      }
    }
    anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(e[i]));
  }
  return true;
}

// Phase 2: the right-hand transformations, accumulated into v.
KESTAL_SVD_CLONES
bool AccumulateRight(TBlock& a, TBlock& v, const std::vector<double>& e) {
  const Index n = a.cols;
  std::vector<double> rowi(static_cast<std::size_t>(n));
  double g = 0;
  for (Index i = n - 1; i >= 0; --i) {
    if (StepAborted()) return false;
    const Index l = i + 1;
    if (i < n - 1) {
      if (g != 0) {
        for (Index j = l; j < n; ++j) {
          rowi[j] = a(i, j);
          v(j, i) = (a(i, j) / a(i, l)) / g;
        }
        // For each column j > i of V: s = row i of a times V's column j, then column j +=
        // s times column i.
        const double* vi = v.Col(i);
        Index j = l;
        for (; j + 4 <= n; j += 4) {
          double t[4];
          Dot4(rowi.data(), v.Col(j), v.Col(j + 1), v.Col(j + 2), v.Col(j + 3), l, n, t);
          for (int q = 0; q < 4; ++q) {
            double* vj = v.Col(j + q);
            for (Index k = l; k < n; ++k) vj[k] += t[q] * vi[k];
          }
        }
        for (; j < n; ++j) {
          double* vj = v.Col(j);
          const double s = Dot(rowi.data(), vj, l, n);
          for (Index k = l; k < n; ++k) vj[k] += s * vi[k];
        }
      }
      for (Index j = l; j < n; ++j) v(i, j) = v(j, i) = 0;
    }
    v(i, i) = 1;
    g = e[i];
  }
  return true;
}

// Phase 3: the left-hand transformations, accumulated into a, which becomes U.
KESTAL_SVD_CLONES
bool AccumulateLeft(TBlock& a, const std::vector<double>& w) {
  const Index m = a.rows, n = a.cols;
  for (Index i = n - 1; i >= 0; --i) {
    if (StepAborted()) return false;
    const Index l = i + 1;
    double g = w[i];
    for (Index j = l; j < n; ++j) a(i, j) = 0;
    double* ai = a.Col(i);
    if (g != 0) {
      g = 1.0 / g;
      const double aii = ai[i];
      DotsThenUpdates(a, ai, l, n, l, m, i, [aii, g](double s) { return (s / aii) * g; });
      for (Index j = i; j < m; ++j) ai[j] *= g;
    } else {
      for (Index j = i; j < m; ++j) ai[j] = 0;
    }
    ai[i] += 1;
  }
  return true;
}

// Phase 4: implicitly shifted QR sweeps on the bidiagonal form. False when aborted; converged
// is cleared when a value needed all its sweeps.
bool Diagonalise(TBlock& a, TBlock& v, std::vector<double>& w, std::vector<double>& e, double anorm,
                 bool& converged) {
  const Index n = a.cols;
  TRotationQueue rot(a, v);
  auto negligible = [anorm](double x) { return std::fabs(x) + anorm == anorm; };
  for (Index k = n - 1; k >= 0; --k) {
    if (StepAborted()) return false;
    for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
      bool cancel = true;
      Index l = k;
      for (; l >= 0; --l) {
        // e[0] is always 0; ending at l = 0 explicitly keeps a NaN from reading before it.
        if (l == 0 || negligible(e[l])) {
          cancel = false;
          break;
        }
        if (negligible(w[l - 1])) break;
      }
      if (cancel) {
        double c = 0, s = 1;
        for (Index i = l; i <= k; ++i) {
          const double f = s * e[i];
          e[i] = c * e[i];
          if (negligible(f)) continue;
          const double g = w[i];
          const double h = std::sqrt(f * f + g * g);
          w[i] = h;
          c = g / h;
          s = -f / h;
          rot.RotateU(l - 1, i, c, s);
        }
      }
      const double z0 = w[k];
      if (l == k) {
        if (z0 < 0) {
          w[k] = -z0;
          rot.NegateV(k);
        }
        break;
      }
      if (sweep == kMaxSweeps) converged = false;
      double x = w[l];
      double y = w[k - 1];
      double g = e[k - 1];
      double h = e[k];
      double f = ((y - z0) * (y + z0) + (g - h) * (g + h)) / (2.0 * h * y);
      g = std::sqrt(f * f + 1.0);
      f = ((x - z0) * (x + z0) + h * (y / (f + Sign(g, f)) - h)) / x;
      double c = 1, s = 1;
      for (Index j = l; j <= k - 1; ++j) {
        const Index i = j + 1;
        g = e[i];
        y = w[i];
        h = s * g;
        g = c * g;
        double z = std::sqrt(f * f + h * h);
        e[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y = y * c;
        rot.RotateV(j, i, c, s);
        z = std::sqrt(f * f + h * h);
        w[j] = z;
        if (z != 0) {
          c = f / z;
          s = h / z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        rot.RotateU(j, i, c, s);
      }
      e[l] = 0;
      e[k] = f;
      w[k] = x;
    }
  }
  rot.Flush();
  return true;
}

enum class TSvdOutcome { Done, NotConverged, Aborted };

// Decomposes the block a (m >= n) in place; w and v receive the values and V.
TSvdOutcome DecomposeBlock(TBlock& a, std::vector<double>& w, TBlock& v) {
  const Index n = a.cols;
  std::vector<double> e(static_cast<std::size_t>(n), 0.0);
  w.assign(static_cast<std::size_t>(n), 0.0);
  double anorm = 0;
  bool converged = true;
  if (!Bidiagonalise(a, w, e, anorm) || !AccumulateRight(a, v, e) || !AccumulateLeft(a, w) ||
      !Diagonalise(a, v, w, e, anorm, converged))
    return TSvdOutcome::Aborted;
  return converged ? TSvdOutcome::Done : TSvdOutcome::NotConverged;
}

// The matrix's values as a block, padded with zero rows up to minRows.
TBlock BlockOf(const TMatrix* M, Index minRows) {
  const Index m = M->NrOfRows(), n = M->NrOfColumns();
  TBlock b(std::max(m, minRows), n);
  for (Index j = 0; j < n; ++j) {
    const double* src = M->ColumnPtr(static_cast<Integer>(j + 1));
    std::copy(src, src + m, b.Col(j));
  }
  return b;
}

// Writes the overlap of the block's first rows with M's cells, with one change notice.
void StoreBlock(const TBlock& b, TMatrix* M) {
  const Index rows = std::min<Index>(b.rows, M->NrOfRows());
  const Index cols = std::min<Index>(b.cols, M->NrOfColumns());
  for (Index j = 0; j < cols; ++j) {
    const double* src = b.d.data() + j * b.rows;
    std::copy(src, src + rows, M->ColumnPtr(static_cast<Integer>(j + 1)));
  }
  M->Changed();
}

void StoreValues(const std::vector<double>& w, TVector* W) {
  const Index n = std::min<Index>(static_cast<Index>(w.size()), W->NrOfElem());
  std::copy(w.begin(), w.begin() + n, W->DataPtr());
  W->Changed();
}

// Decomposes A's values; a_out holds U (A's row count), v_out V, w_out W.
TSvdOutcome Decompose(const TMatrix* A, TBlock& u, TBlock& v, std::vector<double>& w) {
  const Index m = A->NrOfRows(), n = A->NrOfColumns();
  u = BlockOf(A, n);
  v = TBlock(n, n);
  const TSvdOutcome outcome = DecomposeBlock(u, w, v);
  if (u.rows > m) {  // drop the zero rows a wide matrix was padded with
    TBlock cut(m, n);
    for (Index j = 0; j < n; ++j) std::copy(u.Col(j), u.Col(j) + m, cut.Col(j));
    u = std::move(cut);
  }
  return outcome;
}

double LargestValue(const TVector* W) {
  double wmax = 0;
  for (Integer j = 1; j <= W->NrOfElem(); ++j) wmax = std::max(wmax, W->GetVal(j));
  return wmax;
}

void CheckLambda(double Lambda, const char* routine) {
  if (Lambda < 0) throw ESDLMath2Error(String(routine) + ": Lambda must not be negative");
}

// The augmented problem of both ridge routines: X standardised (means and deviations out),
// sqrt(Lambda) on the diagonal of n added rows, the response followed by n zeros.
bool SolveRidge(const TMatrix* X, const TVector* Y, double Lambda, TVector* RegCoeff,
                TVector* StdDevCoeff, TVector* Means, TVector* StdDevs, bool& NearSingular) {
  const Integer m = X->NrOfRows(), n = X->NrOfColumns();
  TMatrix work(nullptr);
  work.Clone(X);
  work.StandardizeColumns(Means, StdDevs);
  work.Resize(n, m + n);
  const double root = std::sqrt(Lambda);
  for (Integer j = 1; j <= n; ++j) {
    double* col = work.ColumnPtr(j);
    std::fill(col + m, col + m + n, 0.0);
    col[m + j - 1] = root;
  }
  work.Changed();
  TVector response(nullptr);
  response.SetVecSize(m + n);
  for (Integer r = 1; r <= m + n; ++r) response.DataPtr()[r - 1] = r <= m ? Y->GetVal(r) : 0.0;
  response.Changed();
  return MultiLinReg(&work, &response, RegCoeff, StdDevCoeff, NearSingular);
}

}  // namespace

bool SingValDecomp(TMatrix* A, TMatrix* V, TVector* W) {
  const Index n = A->NrOfColumns();
  TBlock u(0, 0), v(n, n);
  std::vector<double> w;
  const TSvdOutcome outcome = Decompose(A, u, v, w);
  if (outcome == TSvdOutcome::Aborted) return false;
  StoreBlock(u, A);
  StoreBlock(v, V);
  StoreValues(w, W);
  return outcome == TSvdOutcome::Done;
}

bool SingValEquSolve(const TMatrix* U, const TMatrix* V, const TVector* W, const TVector* B,
                     TVector* X, TVector* DevX) {
  const Integer m = U->NrOfRows(), n = U->NrOfColumns();
  std::vector<double> t(static_cast<std::size_t>(n), 0.0);
  for (Integer j = 1; j <= n; ++j) {
    const double wj = W->GetVal(j);
    if (wj == 0) continue;
    const double* uj = U->ColumnPtr(j);
    double s = 0;
    for (Integer r = 1; r <= m; ++r) s += uj[r - 1] * B->GetVal(r);
    t[j - 1] = s / wj;
  }
  for (Integer i = 1; i <= n && i <= X->NrOfElem(); ++i) {
    double s = 0;
    for (Integer j = 1; j <= n; ++j) s += V->GetVal(j, i) * t[j - 1];
    X->DataPtr()[i - 1] = s;
  }
  X->Changed();
  if (DevX != nullptr) {
    for (Integer i = 1; i <= n && i <= DevX->NrOfElem(); ++i) {
      double s = 0;
      for (Integer j = 1; j <= n; ++j) {
        const double wj = W->GetVal(j);
        if (wj != 0) {
          const double q = V->GetVal(j, i) / wj;
          s += q * q;
        }
      }
      DevX->DataPtr()[i - 1] = std::sqrt(s);
    }
    DevX->Changed();
  }
  return true;
}

bool MultiLinReg(TMatrix* A, const TVector* Y, TVector* Coeffs, TVector* DevCoeffs,
                 bool& NearSingular) {
  NearSingular = false;
  const Integer n = A->NrOfColumns();
  TMatrix V(nullptr);
  V.Resize(n, n);
  TVector W(nullptr);
  W.SetVecSize(n);
  if (!SingValDecomp(A, &V, &W)) return false;
  const double wmax = LargestValue(&W);
  for (Integer j = 1; j <= n; ++j) {
    if (W.GetVal(j) < kNearSingularRatio * wmax) {
      W.SetVal(j, 0.0);
      NearSingular = true;
    }
  }
  return SingValEquSolve(A, &V, &W, Y, Coeffs, DevCoeffs);
}

bool RidgeRegStd(const TMatrix* X, const TVector* Y, double Lambda, TVector* RegCoeff,
                 TVector* StdDevCoeff, TVector* MeansX, TVector* StdDevsX, bool& NearSingular) {
  CheckLambda(Lambda, "RidgeRegStd");
  const Integer n = X->NrOfColumns();
  RegCoeff->SetVecSize(n + 1);
  StdDevCoeff->SetVecSize(n);
  MeansX->SetVecSize(n);
  StdDevsX->SetVecSize(n);
  double meanY, varY;
  Y->MeanVar(1, Y->NrOfElem(), meanY, varY);
  const bool ok = SolveRidge(X, Y, Lambda, RegCoeff, StdDevCoeff, MeansX, StdDevsX, NearSingular);
  if (ok) RegCoeff->SetVal(n + 1, meanY);
  return ok;
}

bool RidgeReg(const TMatrix* X, const TVector* Y, double Lambda, TVector* RegCoeff,
              TVector* StdDevCoeff, bool& NearSingular) {
  CheckLambda(Lambda, "RidgeReg");
  const Integer m = X->NrOfRows(), n = X->NrOfColumns();
  TVector means(nullptr), devs(nullptr);
  means.SetVecSize(n);
  devs.SetVecSize(n);
  for (Integer j = 1; j <= n; ++j) {
    double mean, var;
    X->MeanVar(j, 1, j, m, mean, var);
    if (!(var > 0))
      throw ESDLMath2Error("RidgeReg: predictor column " + IntToStr(j) + " is constant");
  }
  RegCoeff->SetVecSize(n + 1);
  StdDevCoeff->SetVecSize(n + 1);
  if (!SolveRidge(X, Y, Lambda, RegCoeff, StdDevCoeff, &means, &devs, NearSingular)) return false;
  double ybar = 0;
  for (Integer r = 1; r <= m; ++r) ybar += Y->GetVal(r);
  ybar /= m;
  double intercept = ybar;
  for (Integer j = 1; j <= n; ++j) {
    const double coeff = RegCoeff->GetVal(j) / devs.GetVal(j);
    RegCoeff->SetVal(j, coeff);
    intercept -= coeff * means.GetVal(j);
  }
  RegCoeff->SetVal(n + 1, intercept);
  return true;
}

bool PseudoInverse(const TMatrix* A, TMatrix* APInv, double Threshold) {
  const Index m = A->NrOfRows(), n = A->NrOfColumns();
  APInv->Resize(static_cast<Integer>(m), static_cast<Integer>(n));
  TBlock u(0, 0), v(n, n);
  std::vector<double> w;
  if (Decompose(A, u, v, w) != TSvdOutcome::Done) return false;
  if (Threshold == 0) {
    const double wmax = *std::max_element(w.begin(), w.end());
    Threshold = static_cast<double>(std::max(n, m)) * wmax * kPinvEpsilon;
  }
  for (Index j = 0; j < n; ++j) {
    double* vj = v.Col(j);
    if (std::fabs(w[j]) > Threshold) {
      for (Index r = 0; r < n; ++r) vj[r] /= w[j];
    } else {
      std::fill(vj, vj + n, 0.0);
    }
  }
  // APInv (n x m) = V' U^T: entry (i, r) = sum over j of V'(i, j) U(r, j), j ascending.
  for (Index r = 0; r < m; ++r) {
    double* out = APInv->ColumnPtr(static_cast<Integer>(r + 1));
    std::fill(out, out + n, 0.0);
    for (Index j = 0; j < n; ++j) {
      const double urj = u(r, j);
      const double* vj = v.Col(j);
      for (Index i = 0; i < n; ++i) out[i] += vj[i] * urj;
    }
  }
  APInv->Changed();
  return true;
}
