// Singular value decomposition and the least-squares routines built on it.
//
// The decomposition runs on Debian's LAPACK: Householder bidiagonalisation in blocks, the
// bidiagonal's singular vectors by divide and conquer, and the two orthogonal factors applied
// to them as block reflectors. The Golub-Reinsch code this replaced spent most of its time
// rotating U and V through the QR sweeps: about 12 n^3 flops of rotations against about 8 n^3
// for the whole of divide and conquer, most of them in matrix products, so no blocking of the
// rotations could have brought it near. The values still take the places those QR sweeps
// leave them in: the sweeps run on the bidiagonal form alone (no vectors, a few milliseconds
// at 1000 x 1000) to find the places, and LAPACK's sorted values with their vectors are dealt
// out to them by rank. Each pair of vectors is then signed so that the element of largest
// magnitude of V's column (the first one on a tie) is positive, whatever the sweeps did.
//
// OpenBLAS splits its products differently for each thread count, and the bits of the result
// follow the split; every decomposition therefore sets it to one thread, so that a result
// depends on neither the machine's cores nor OPENBLAS_NUM_THREADS. No other code of the
// program calls it.
//
// The library is opened by the first decomposition, not linked: loading it costs a program
// tens of milliseconds and several megabytes at start, and most runs never decompose.

#include <dlfcn.h>
#include <lapack.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <numeric>
#include <type_traits>
#include <vector>

#include "DOV_statis.h"
#include "SysUtils.h"

namespace {

// The LAPACK routines a decomposition calls, bound once when first needed.
struct TLapack {
  decltype(&LAPACK_dgebrd) dgebrd = nullptr;
  decltype(&LAPACK_dbdsdc_base) dbdsdc = nullptr;
  decltype(&LAPACK_dormbr_base) dormbr = nullptr;
  void (*setThreads)(int) = nullptr;
};

constexpr const char* kLapackLibrary = "libopenblas.so.0";

const TLapack& Lapack() {
  static const TLapack bound = [] {
    void* lib = dlopen(kLapackLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!lib)
      throw ESDLMath2Error(String("SingValDecomp: cannot load ") + kLapackLibrary + " (" +
                           dlerror() + ")");
    TLapack l;
    auto bind = [lib](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
      if (!fn)
        throw ESDLMath2Error(String("SingValDecomp: ") + kLapackLibrary + " lacks " + name);
    };
    bind(l.dgebrd, "dgebrd_");
    bind(l.dbdsdc, "dbdsdc_");
    bind(l.dormbr, "dormbr_");
    bind(l.setThreads, "openblas_set_num_threads");
    return l;  // the library stays open for the rest of the run
  }();
  return bound;
}

}  // namespace

// The header's call macros add the hidden lengths of character arguments; the calls go to the
// bound routines.
#undef LAPACK_dgebrd
#define LAPACK_dgebrd Lapack().dgebrd
#undef LAPACK_dbdsdc_base
#define LAPACK_dbdsdc_base Lapack().dbdsdc
#undef LAPACK_dormbr_base
#define LAPACK_dormbr_base Lapack().dormbr

namespace {

using Index = std::ptrdiff_t;

constexpr int kMaxSweeps = 30;
constexpr double kNearSingularRatio = 1e-14;
constexpr double kPinvEpsilon = 1.2e-16;
constexpr Index kApplyChunks = 4;  // the reflectors reach U and V in this many column slices

// A result a test asks the next call of a routine to report (SetLapackInfoForTesting).
struct TInjectedInfo {
  String Routine;
  lapack_int Info = 0;
};
TInjectedInfo& InjectedInfo() {
  static TInjectedInfo injected;
  return injected;
}

// A routine's info after the call: a negative one (an argument it refused) is a fault of the
// call, which reaches the caller as the unit's error; a positive one is returned for the
// caller to judge.
lapack_int CheckedInfo(const char* routine, lapack_int info) {
  TInjectedInfo& injected = InjectedInfo();
  if (!injected.Routine.empty() && injected.Routine == routine) {
    info = injected.Info;
    injected.Routine.clear();
  }
  if (info < 0)
    throw ESDLMath2Error(String("SingValDecomp: LAPACK ") + routine + " refused argument " +
                         IntToStr(static_cast<Integer>(-info)));
  return info;
}

// The library's progress step: one count, the host sees it, then the abort test.
bool StepAborted() {
  const Double now = ProcStat.fetch_add(1.0, std::memory_order_relaxed) + 1.0;
  if (MathFeedBackProc != nullptr) MathFeedBackProc(now);
  return AbortMathProc.load(std::memory_order_relaxed);
}

// Steps for columns [first, last): false when the host aborts at one of them.
bool StepsTaken(Index first, Index last) {
  for (Index j = first; j < last; ++j)
    if (StepAborted()) return false;
  return true;
}

// |a| with the sign of b, a zero b counting as positive.
inline double Sign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

// A column-major block of doubles in a decomposition's work memory, element (row i, column j)
// at d[j * ld + i], 0-based.
struct TBlock {
  Index rows = 0, cols = 0, ld = 0;
  double* d = nullptr;
  double* Col(Index j) const { return d + j * ld; }
  double& operator()(Index i, Index j) const { return d[j * ld + i]; }
};

// The work memory of one decomposition, taken as one piece. Fresh memory is faulted in page by
// page, which at 1000 x 1000 cost as much as the arithmetic; a piece of 2 MB or more is asked
// to be backed by huge pages where the system offers them (a refusal changes only the speed).
// Nothing is cleared: every block is written before it is read.
class TWorkMemory {
public:
  explicit TWorkMemory(std::size_t count) : FSize(count) {
    if (count == 0) return;
    const std::size_t bytes = count * sizeof(double);
    const std::size_t align = bytes >= kHugePage ? kHugePage : kLine;
    FData.reset(
        static_cast<double*>(std::aligned_alloc(align, (bytes + align - 1) / align * align)));
    if (!FData) throw std::bad_alloc();
    if (bytes >= kHugePage) madvise(FData.get(), bytes / kHugePage * kHugePage, MADV_HUGEPAGE);
  }
  // The next rows x cols block, leading dimension rows.
  TBlock Take(Index rows, Index cols) {
    TBlock b{rows, cols, rows, FData.get() + FUsed};
    FUsed += static_cast<std::size_t>(rows * cols);
    return b;
  }

private:
  static constexpr std::size_t kHugePage = std::size_t{2} << 20;
  static constexpr std::size_t kLine = 64;
  struct TRelease {
    void operator()(double* p) const { std::free(p); }
  };
  std::size_t FSize, FUsed = 0;
  std::unique_ptr<double, TRelease> FData;
};

// Moves column r of b to column place[r] (place a permutation), one cycle at a time.
void PlaceColumns(const TBlock& b, const std::vector<Index>& place) {
  const Index n = b.cols;
  std::vector<Index> from(static_cast<std::size_t>(n));
  for (Index r = 0; r < n; ++r)
    from[static_cast<std::size_t>(place[static_cast<std::size_t>(r)])] = r;
  std::vector<bool> done(static_cast<std::size_t>(n), false);
  std::vector<double> held(static_cast<std::size_t>(b.rows));
  for (Index start = 0; start < n; ++start) {
    if (done[static_cast<std::size_t>(start)]) continue;
    std::copy(b.Col(start), b.Col(start) + b.rows, held.begin());
    Index dst = start;
    for (;;) {
      done[static_cast<std::size_t>(dst)] = true;
      const Index src = from[static_cast<std::size_t>(dst)];
      if (src == start) break;
      std::copy(b.Col(src), b.Col(src) + b.rows, b.Col(dst));
      dst = src;
    }
    std::copy(held.begin(), held.end(), b.Col(dst));
  }
}

// The places of the singular values: the implicitly shifted QR sweeps of Golub and Reinsch on
// the bidiagonal form alone (diagonal w, superdiagonal e with e[0] = 0), one progress step per
// value. place[r] is where the r-th largest value ends (ties in the order of the places).
// False when aborted; converged is cleared when a value needed all its sweeps. The form is
// first scaled by a power of two, which changes no decision and keeps large elements from
// overflowing the squares.
bool SweepPlaces(std::vector<double> w, std::vector<double> e, std::vector<Index>& place,
                 bool& converged) {
  const Index n = static_cast<Index>(w.size());
  double big = 0;
  for (Index i = 0; i < n; ++i)
    big = std::max({big, std::fabs(w[static_cast<std::size_t>(i)]),
                    std::fabs(e[static_cast<std::size_t>(i)])});
  if (big > 0 && std::isfinite(big)) {
    const int shift = -std::ilogb(big);
    for (Index i = 0; i < n; ++i) {
      w[static_cast<std::size_t>(i)] = std::ldexp(w[static_cast<std::size_t>(i)], shift);
      e[static_cast<std::size_t>(i)] = std::ldexp(e[static_cast<std::size_t>(i)], shift);
    }
  }
  double anorm = 0;
  for (Index i = 0; i < n; ++i)
    anorm = std::max(anorm, std::fabs(w[static_cast<std::size_t>(i)]) +
                                std::fabs(e[static_cast<std::size_t>(i)]));
  auto negligible = [anorm](double x) { return std::fabs(x) + anorm == anorm; };
  auto W = [&w](Index i) -> double& { return w[static_cast<std::size_t>(i)]; };
  auto E = [&e](Index i) -> double& { return e[static_cast<std::size_t>(i)]; };
  for (Index k = n - 1; k >= 0; --k) {
    if (StepAborted()) return false;
    for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
      bool cancel = true;
      Index l = k;
      for (; l >= 0; --l) {
        // e[0] is always 0; ending at l = 0 explicitly keeps a NaN from reading before it.
        if (l == 0 || negligible(E(l))) {
          cancel = false;
          break;
        }
        if (negligible(W(l - 1))) break;
      }
      if (cancel) {
        double c = 0, s = 1;
        for (Index i = l; i <= k; ++i) {
          const double f = s * E(i);
          E(i) = c * E(i);
          if (negligible(f)) continue;
          const double g = W(i);
          const double h = std::sqrt(f * f + g * g);
          W(i) = h;
          c = g / h;
          s = -f / h;
        }
      }
      const double z0 = W(k);
      if (l == k) {
        if (z0 < 0) W(k) = -z0;
        break;
      }
      if (sweep == kMaxSweeps) converged = false;
      double x = W(l);
      double y = W(k - 1);
      double g = E(k - 1);
      double h = E(k);
      double f = ((y - z0) * (y + z0) + (g - h) * (g + h)) / (2.0 * h * y);
      g = std::sqrt(f * f + 1.0);
      f = ((x - z0) * (x + z0) + h * (y / (f + Sign(g, f)) - h)) / x;
      double c = 1, s = 1;
      for (Index j = l; j <= k - 1; ++j) {
        const Index i = j + 1;
        g = E(i);
        y = W(i);
        h = s * g;
        g = c * g;
        double z = std::sqrt(f * f + h * h);
        E(j) = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y = y * c;
        z = std::sqrt(f * f + h * h);
        W(j) = z;
        if (z != 0) {
          c = f / z;
          s = h / z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
      }
      E(l) = 0;
      E(k) = f;
      W(k) = x;
    }
  }
  // A value that never converged may be NaN: it ranks last rather than breaking the sort.
  for (double& x : w)
    if (std::isnan(x)) x = -1;
  place.resize(static_cast<std::size_t>(n));
  std::iota(place.begin(), place.end(), Index{0});
  std::stable_sort(place.begin(), place.end(), [&w](Index a, Index b) {
    return w[static_cast<std::size_t>(a)] > w[static_cast<std::size_t>(b)];
  });
  return true;
}

enum class TSvdOutcome { Done, NotConverged, Aborted };

// The matrix's values as a block, padded with zero rows up to minRows.
void CopyIn(const TMatrix* M, const TBlock& b) {
  const Index m = M->NrOfRows();
  for (Index j = 0; j < b.cols; ++j) {
    const double* src = M->ColumnPtr(static_cast<Integer>(j + 1));
    std::copy(src, src + m, b.Col(j));
    std::fill(b.Col(j) + m, b.Col(j) + b.rows, 0.0);
  }
}

bool AllFinite(const TBlock& b) {
  for (Index j = 0; j < b.cols; ++j)
    for (Index i = 0; i < b.rows; ++i)
      if (!std::isfinite(b(i, j))) return false;
  return true;
}

void FillBlock(const TBlock& b, double x) {
  for (Index j = 0; j < b.cols; ++j) std::fill(b.Col(j), b.Col(j) + b.rows, x);
}

// Applies the orthogonal factor vect ('Q' or 'P') of the bidiagonalisation in a, from the
// left, to the columns of c, a slice at a time, each slice's columns taking their progress
// steps first. False when aborted.
bool ApplyFactor(char vect, const TBlock& a, const std::vector<double>& tau, const TBlock& c,
                 std::vector<double>& work) {
  const lapack_int rows = static_cast<lapack_int>(c.rows);
  const lapack_int k = static_cast<lapack_int>(vect == 'Q' ? a.cols : a.rows);
  const lapack_int lda = static_cast<lapack_int>(a.ld), ldc = static_cast<lapack_int>(c.ld);
  const char side = 'L', trans = 'N';
  const Index chunk = std::max<Index>(1, (c.cols + kApplyChunks - 1) / kApplyChunks);
  for (Index j0 = 0; j0 < c.cols; j0 += chunk) {
    const Index j1 = std::min(c.cols, j0 + chunk);
    if (!StepsTaken(j0, j1)) return false;
    const lapack_int cols = static_cast<lapack_int>(j1 - j0);
    lapack_int lwork = -1, info = 0;
    double query = 0;
    LAPACK_dormbr(&vect, &side, &trans, &rows, &cols, &k, a.d, &lda, tau.data(), c.Col(j0), &ldc,
                  &query, &lwork, &info);
    CheckedInfo("dormbr", info);
    if (work.size() < static_cast<std::size_t>(query)) work.resize(static_cast<std::size_t>(query));
    lwork = static_cast<lapack_int>(work.size());
    LAPACK_dormbr(&vect, &side, &trans, &rows, &cols, &k, a.d, &lda, tau.data(), c.Col(j0), &ldc,
                  work.data(), &lwork, &info);
    CheckedInfo("dormbr", info);
  }
  return true;
}

// A decomposition's results: U (A's row count; a view into the work memory), V and W.
struct TSvdResult {
  TWorkMemory memory;
  TBlock u, v;
  std::vector<double> w;
  explicit TSvdResult(std::size_t count) : memory(count) {}
};

// The work memory a decomposition of m x n needs: the reduced matrix, U, V and the scratch of
// divide and conquer.
std::size_t WorkCount(Index m, Index n) {
  const std::size_t rows = static_cast<std::size_t>(std::max(m, n)), cols = std::size_t(n);
  return 2 * rows * cols + cols * cols + 3 * cols * cols + 4 * cols;
}

// Decomposes A's values into r. Progress: the bidiagonalisation, the places, V and U take one
// step per column each.
TSvdOutcome Decompose(const TMatrix* A, TSvdResult& r) {
  const Index m = A->NrOfRows(), n = A->NrOfColumns();
  const Index rows = std::max(m, n);  // a wide matrix is padded with zero rows to a square
  r.w.assign(static_cast<std::size_t>(n), 0.0);
  if (!StepsTaken(0, n)) return TSvdOutcome::Aborted;
  const TBlock a = r.memory.Take(rows, n);
  TBlock ub = r.memory.Take(rows, n);
  r.v = r.memory.Take(n, n);
  r.u = ub;
  r.u.rows = m;
  if (n == 0) return TSvdOutcome::Done;
  CopyIn(A, a);
  if (!AllFinite(a)) {
    // Nothing to decompose: every output is NaN, after the progress the work would take.
    if (!StepsTaken(0, 3 * n)) return TSvdOutcome::Aborted;
    const double nan = std::nan("");
    FillBlock(ub, nan);
    FillBlock(r.v, nan);
    std::fill(r.w.begin(), r.w.end(), nan);
    return TSvdOutcome::NotConverged;
  }
  Lapack().setThreads(1);
  const lapack_int lm = static_cast<lapack_int>(rows), ln = static_cast<lapack_int>(n);
  std::vector<double> d(static_cast<std::size_t>(n)), e(static_cast<std::size_t>(n), 0.0),
      tauq(static_cast<std::size_t>(n)), taup(static_cast<std::size_t>(n)), work;
  lapack_int info = 0, lwork = -1;
  double query = 0;
  LAPACK_dgebrd(&lm, &ln, a.d, &lm, d.data(), e.data(), tauq.data(), taup.data(), &query, &lwork,
                &info);
  CheckedInfo("dgebrd", info);
  work.resize(static_cast<std::size_t>(query));
  lwork = static_cast<lapack_int>(work.size());
  LAPACK_dgebrd(&lm, &ln, a.d, &lm, d.data(), e.data(), tauq.data(), taup.data(), work.data(),
                &lwork, &info);
  CheckedInfo("dgebrd", info);

  // The places, from the form with e[i] coupling i - 1 and i.
  std::vector<double> coupling(static_cast<std::size_t>(n), 0.0);
  std::copy(e.begin(), e.end() - 1, coupling.begin() + 1);
  std::vector<Index> place;
  bool converged = true;
  if (!SweepPlaces(d, coupling, place, converged)) return TSvdOutcome::Aborted;

  // The bidiagonal's vectors: U in ub's first n rows (the rows below are 0) and V transposed.
  for (Index j = 0; j < n; ++j) std::fill(ub.Col(j) + n, ub.Col(j) + rows, 0.0);
  {
    const TBlock scratch = r.memory.Take(3 * n + 4, n);
    std::vector<lapack_int> iwork(static_cast<std::size_t>(8 * n));
    const char uplo = 'U', compq = 'I';
    double q = 0;
    lapack_int iq = 0;
    LAPACK_dbdsdc(&uplo, &compq, &ln, d.data(), e.data(), ub.d, &lm, r.v.d, &ln, &q, &iq, scratch.d,
                  iwork.data(), &info);
    // A positive info: a value did not converge, reported as the sweeps' failure is.
    if (CheckedInfo("dbdsdc", info) != 0) converged = false;
  }
  const TBlock& v = r.v;
  for (Index i = 0; i < n; ++i)
    for (Index j = i + 1; j < n; ++j) std::swap(v(i, j), v(j, i));
  for (Index k = 0; k < n; ++k)
    r.w[static_cast<std::size_t>(place[static_cast<std::size_t>(k)])] =
        d[static_cast<std::size_t>(k)];
  PlaceColumns(ub, place);
  PlaceColumns(r.v, place);

  if (!ApplyFactor('P', a, taup, v, work)) return TSvdOutcome::Aborted;
  for (Index j = 0; j < n; ++j) {  // the sign convention
    const double* vj = v.Col(j);
    Index lead = 0;
    for (Index i = 1; i < n; ++i)
      if (std::fabs(vj[i]) > std::fabs(vj[lead])) lead = i;
    if (vj[lead] < 0) {
      for (Index i = 0; i < n; ++i) v(i, j) = -v(i, j);
      for (Index i = 0; i < rows; ++i) ub(i, j) = -ub(i, j);
    }
  }
  if (!ApplyFactor('Q', a, tauq, ub, work)) return TSvdOutcome::Aborted;
  return converged ? TSvdOutcome::Done : TSvdOutcome::NotConverged;
}

// Writes the overlap of the block's first rows with M's cells, with one change notice.
void StoreBlock(const TBlock& b, TMatrix* M) {
  const Index rows = std::min<Index>(b.rows, M->NrOfRows());
  const Index cols = std::min<Index>(b.cols, M->NrOfColumns());
  for (Index j = 0; j < cols; ++j) {
    const double* src = b.Col(j);
    std::copy(src, src + rows, M->ColumnPtr(static_cast<Integer>(j + 1)));
  }
  M->Changed();
}

void StoreValues(const std::vector<double>& w, TVector* W) {
  const Index n = std::min<Index>(static_cast<Index>(w.size()), W->NrOfElem());
  std::copy(w.begin(), w.begin() + n, W->DataPtr());
  W->Changed();
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

void SetLapackInfoForTesting(const String& Routine, int Info) {
  InjectedInfo() = {Routine, static_cast<lapack_int>(Info)};
}

bool SingValDecomp(TMatrix* A, TMatrix* V, TVector* W) {
  TSvdResult r(WorkCount(A->NrOfRows(), A->NrOfColumns()));
  const TSvdOutcome outcome = Decompose(A, r);
  if (outcome == TSvdOutcome::Aborted) return false;
  StoreBlock(r.u, A);
  StoreBlock(r.v, V);
  StoreValues(r.w, W);
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
  if (m == 0 || n == 0) return true;  // the inverse of an empty matrix is empty
  TSvdResult result(WorkCount(m, n));
  if (Decompose(A, result) != TSvdOutcome::Done) return false;
  const TBlock &u = result.u, &v = result.v;
  const std::vector<double>& w = result.w;
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
