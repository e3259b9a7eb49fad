// Multivariate analysis.

#include "DOV_math2_multivar.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "DOV_math1.h"
#include "DOV_univconst.h"
#include "RtlRandom.h"

namespace {

using TColumn = std::vector<double>;
using TRows = std::vector<TColumn>;  // [row][column], 0-based

void ProgressStep(double Amount = 1) {
  const Double now = ProcStat.fetch_add(Amount, std::memory_order_relaxed) + Amount;
  if (MathFeedBackProc != nullptr) MathFeedBackProc(now);
}

bool Aborted() { return AbortMathProc.load(std::memory_order_relaxed); }

double SquaredDistance(const TColumn& a, const TColumn& b) {
  double s = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) s += (a[i] - b[i]) * (a[i] - b[i]);
  return s;
}

TColumn Row(const TMatrix* m, Integer r) {
  TColumn v(static_cast<std::size_t>(m->NrOfColumns()));
  for (Integer c = 1; c <= m->NrOfColumns(); ++c) v[static_cast<std::size_t>(c - 1)] = m->GetVal(c, r);
  return v;
}

void ClampRange(Integer& First, Integer& Last, Integer n) {
  First = std::clamp<Integer>(First, 1, std::max<Integer>(1, n));
  Last = std::clamp<Integer>(Last, 1, std::max<Integer>(1, n));
  if (First > Last) std::swap(First, Last);
}

// ---- the eigen result store ---------------------------------------------------------------

struct TEigenStore {
  Integer n = 0;
  std::vector<double> vectors;  // component k of eigenvector j at (j - 1) * n + (k - 1)
  std::vector<double> values;
  double& Component(Integer j, Integer k) {
    return vectors[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n) + static_cast<std::size_t>(k - 1)];
  }
};

TEigenStore& EigenStore() {
  static TEigenStore store;
  return store;
}

constexpr Integer kMaxEigenSize = 10000;
constexpr int kMaxJacobiChecks = 100;

}  // namespace

// ---- association matrices -------------------------------------------------------------------

bool CalcCovar(const TMatrix* InMat, TMatrix* OutMat, Integer LoC, Integer HiC, Integer LoR,
               Integer HiR, Integer Mode) {
  AbortMathProc = false;
  if (LoC == 0 && HiC == 0) {
    LoC = 1;
    HiC = InMat->NrOfColumns();
  }
  if (LoR == 0 && HiR == 0) {
    LoR = 1;
    HiR = InMat->NrOfRows();
  }
  InMat->MakeValidColRange(LoC, HiC);
  InMat->MakeValidRowRange(LoR, HiR);
  const Integer nv = HiC - LoC + 1, n = HiR - LoR + 1;
  // A single row has no n - 1 to divide by.
  if (OutMat->NrOfColumns() < nv || OutMat->NrOfRows() < nv || n < 2) return false;
  std::vector<TColumn> x(static_cast<std::size_t>(nv));
  for (Integer i = 0; i < nv; ++i)
    x[static_cast<std::size_t>(i)].assign(InMat->ColumnPtr(LoC + i) + (LoR - 1), InMat->ColumnPtr(LoC + i) + HiR);
  TColumn mean(static_cast<std::size_t>(nv), 0), var(static_cast<std::size_t>(nv), 0);
  if (Mode > 0) {
    TColumn sum(static_cast<std::size_t>(nv), 0), sumsq(static_cast<std::size_t>(nv), 0);
    for (Integer r = 0; r < n; ++r) {
      for (Integer i = 0; i < nv; ++i) {
        const double v = x[static_cast<std::size_t>(i)][static_cast<std::size_t>(r)];
        sum[static_cast<std::size_t>(i)] += v;
        sumsq[static_cast<std::size_t>(i)] += v * v;
      }
      ProgressStep();
    }
    for (Integer i = 0; i < nv; ++i) {
      mean[static_cast<std::size_t>(i)] = sum[static_cast<std::size_t>(i)] / n;
      var[static_cast<std::size_t>(i)] =
          (sumsq[static_cast<std::size_t>(i)] - sum[static_cast<std::size_t>(i)] * sum[static_cast<std::size_t>(i)] / n) / (n - 1);
    }
  }
  TRows out(static_cast<std::size_t>(nv), TColumn(static_cast<std::size_t>(nv), 0));
  for (Integer i = 0; i < nv; ++i)
    for (Integer j = 0; j <= i; ++j) {
      if (Aborted()) return false;
      const TColumn &a = x[static_cast<std::size_t>(i)], &b = x[static_cast<std::size_t>(j)];
      const double ma = mean[static_cast<std::size_t>(i)], mb = mean[static_cast<std::size_t>(j)];
      double s = 0;
      for (Integer r = 0; r < n; ++r) {
        const double u = a[static_cast<std::size_t>(r)], v = b[static_cast<std::size_t>(r)];
        switch (Mode) {
          case 0: s += u * v; break;
          case 1:
          case 2:
          case 3: s += (u - ma) * (v - mb); break;
          case 4: s += (u - v) * (u - v); break;
          default: break;
        }
      }
      double value = s / (n - 1);
      if (Mode == 2 || Mode == 3) {
        double scale = std::sqrt(var[static_cast<std::size_t>(i)] * var[static_cast<std::size_t>(j)]);
        if (scale == 0) scale = 1e-38;
        value /= scale;
        if (Mode == 2 && i == j) value = 1;
        if (Mode == 3) value *= value;
      }
      out[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = out[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)] = value;
      ProgressStep(n);
    }
  for (Integer i = 0; i < nv; ++i)
    for (Integer j = 0; j < nv; ++j) OutMat->SetVal(i + 1, j + 1, out[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]);
  return true;
}

// ---- eigenvalues ----------------------------------------------------------------------------

bool CalcEigVec(TMatrix* Mat) {
  AbortMathProc = false;
  const Integer n = Mat->NrOfColumns();
  if (n > kMaxEigenSize) return false;
  TEigenStore& store = EigenStore();
  try {
    store.vectors.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.0);
    store.values.assign(static_cast<std::size_t>(n), 0.0);
  } catch (const std::bad_alloc&) {
    store = TEigenStore();
    throw ESDLMath2Error("CalcEigVec: not enough memory");
  }
  store.n = n;
  // a[p][q] for p < q: the upper triangle (row p, column q) of Mat.
  TRows a(static_cast<std::size_t>(n), TColumn(static_cast<std::size_t>(n), 0));
  for (Integer p = 1; p <= n; ++p)
    for (Integer q = p + 1; q <= n; ++q) a[static_cast<std::size_t>(p - 1)][static_cast<std::size_t>(q - 1)] = Mat->GetVal(q, p);
  auto v = [&](Integer row, Integer col) -> double& { return store.Component(col + 1, row + 1); };
  TColumn b(static_cast<std::size_t>(n)), d(static_cast<std::size_t>(n)), z(static_cast<std::size_t>(n), 0);
  for (Integer i = 0; i < n; ++i) {
    v(i, i) = 1;
    b[static_cast<std::size_t>(i)] = d[static_cast<std::size_t>(i)] = Mat->GetVal(i + 1, i + 1);
  }
  auto rotate = [](double& g, double& h, double s, double tau) {
    const double g0 = g, h0 = h;
    g = g0 - s * (h0 + tau * g0);
    h = h0 + s * (g0 - tau * h0);
  };
  bool converged = false, aborted = false;
  for (int check = 1; check <= kMaxJacobiChecks && !aborted; ++check) {
    ProgressStep();
    if (Aborted()) {
      aborted = true;
      break;
    }
    double sm = 0;
    for (Integer p = 0; p < n; ++p)
      for (Integer q = p + 1; q < n; ++q) sm += std::fabs(a[static_cast<std::size_t>(p)][static_cast<std::size_t>(q)]);
    if (sm == 0) {
      converged = true;
      break;
    }
    const double tresh = check < 4 ? 0.2 * sm / (double(n) * n) : 0.0;
    for (Integer p = 0; p < n - 1 && !aborted; ++p)
      for (Integer q = p + 1; q < n; ++q) {
        ProgressStep();
        if (Aborted()) {
          aborted = true;
          break;
        }
        double& apq = a[static_cast<std::size_t>(p)][static_cast<std::size_t>(q)];
        double &dp = d[static_cast<std::size_t>(p)], &dq = d[static_cast<std::size_t>(q)];
        const double g = 200 * std::fabs(apq);
        if (check > 4 && std::fabs(dp) + g == std::fabs(dp) && std::fabs(dq) + g == std::fabs(dq)) {
          apq = 0;
        } else if (std::fabs(apq) > tresh) {
          double h = dq - dp, t;
          if (std::fabs(h) + g == std::fabs(h)) {
            t = apq / h;
          } else {
            const double theta = h / (2 * apq);
            t = 1 / (std::fabs(theta) + std::sqrt(theta * theta + 1));
            if (theta < 0) t = -t;
          }
          const double c = 1 / std::sqrt(t * t + 1), s = t * c, tau = s / (1 + c);
          h = t * apq;
          z[static_cast<std::size_t>(p)] -= h;
          z[static_cast<std::size_t>(q)] += h;
          dp -= h;
          dq += h;
          apq = 0;
          for (Integer j = 0; j < p; ++j)
            rotate(a[static_cast<std::size_t>(j)][static_cast<std::size_t>(p)], a[static_cast<std::size_t>(j)][static_cast<std::size_t>(q)], s, tau);
          for (Integer j = p + 1; j < q; ++j)
            rotate(a[static_cast<std::size_t>(p)][static_cast<std::size_t>(j)], a[static_cast<std::size_t>(j)][static_cast<std::size_t>(q)], s, tau);
          for (Integer j = q + 1; j < n; ++j)
            rotate(a[static_cast<std::size_t>(p)][static_cast<std::size_t>(j)], a[static_cast<std::size_t>(q)][static_cast<std::size_t>(j)], s, tau);
          for (Integer j = 0; j < n; ++j) rotate(v(j, p), v(j, q), s, tau);
        }
      }
    for (Integer i = 0; i < n; ++i) {
      b[static_cast<std::size_t>(i)] += z[static_cast<std::size_t>(i)];
      d[static_cast<std::size_t>(i)] = b[static_cast<std::size_t>(i)];
      z[static_cast<std::size_t>(i)] = 0;
    }
  }
  for (Integer i = 0; i < n; ++i) store.values[static_cast<std::size_t>(i)] = d[static_cast<std::size_t>(i)];
  for (Integer p = 1; p <= n; ++p)
    for (Integer q = p + 1; q <= n; ++q) Mat->SetVal(q, p, a[static_cast<std::size_t>(p - 1)][static_cast<std::size_t>(q - 1)]);
  return converged && !aborted;
}

double GetEigenResult(Integer EigNum, Integer Component) {
  TEigenStore& store = EigenStore();
  if (store.n == 0 || EigNum < 1 || EigNum > store.n || Component < 0 || Component > store.n)
    return 0;
  if (Component == 0) return store.values[static_cast<std::size_t>(EigNum - 1)];
  return store.Component(EigNum, Component);
}

Integer GetEigenSize() { return EigenStore().n; }

void RemoveEigenMatrix() { EigenStore() = TEigenStore(); }

bool CalcPrincComp(const TMatrix* InMat, Integer LoC, Integer HiC, Integer LoR, Integer HiR,
                   Integer Mode, bool Scaled) {
  Integer lo = LoC, hi = HiC;
  if (lo == 0 && hi == 0) {
    lo = 1;
    hi = InMat->NrOfColumns();
  }
  InMat->MakeValidColRange(lo, hi);
  TMatrix assoc(nullptr);
  assoc.Resize(hi - lo + 1, hi - lo + 1);
  if (!CalcCovar(InMat, &assoc, LoC, HiC, LoR, HiR, Mode) || !CalcEigVec(&assoc)) return false;
  TEigenStore& store = EigenStore();
  const Integer n = store.n;
  if (Scaled) {
    double sum = 0;
    for (double e : store.values) sum += std::fabs(e);
    if (sum != 0)
      for (double& e : store.values) e /= sum;
  }
  for (Integer i = 1; i <= n; ++i) {
    Integer best = 0;
    double largest = 0;
    for (Integer j = i; j <= n; ++j)
      if (store.values[static_cast<std::size_t>(j - 1)] > largest) {
        largest = store.values[static_cast<std::size_t>(j - 1)];
        best = j;
      }
    if (best == 0 || best == i) continue;
    std::swap(store.values[static_cast<std::size_t>(i - 1)], store.values[static_cast<std::size_t>(best - 1)]);
    for (Integer k = 1; k <= n; ++k) std::swap(store.Component(i, k), store.Component(best, k));
  }
  return true;
}

// ---- distances ----------------------------------------------------------------------------

double MahalanobisDistance(const TVector* x, const TVector* y, const TMatrix* InvCov) {
  const Integer n = x->NrOfElem();
  if (y->NrOfElem() != n)
    throw ESDLVectorError("MahalanobisDistance: dimensions of vectors do not match");
  if (InvCov->NrOfColumns() != InvCov->NrOfRows())
    throw ESDLVectorError("MahalanobisDistance: inverse covariance matrix is not quadratric");
  if (InvCov->NrOfColumns() != n)
    throw ESDLVectorError(
        "MahalanobisDistance: dimension of vectors and inverse covariance matrix do not match");
  double q = 0;
  for (Integer i = 1; i <= n; ++i)
    for (Integer j = 1; j <= n; ++j)
      q += (x->GetVal(i) - y->GetVal(i)) * InvCov->GetVal(j, i) * (x->GetVal(j) - y->GetVal(j));
  if (q < 0)
    throw ESDLVectorError(
        "MahalanobisDistance: the inverse covariance matrix must be symmetric and positive "
        "definite");
  return std::sqrt(q);
}

namespace {
constexpr Integer kMaxKnnMean = 50;
constexpr Integer kMaxKnnSearch = 100;
}  // namespace

void MeanDistanceKNN(const TMatrix* InMat, Integer k, Integer FirstObj, Integer LastObj,
                     TVector* Dist) {
  const Integer rows = InMat->NrOfRows();
  ClampRange(FirstObj, LastObj, rows);
  k = std::min(std::clamp<Integer>(k, 1, kMaxKnnMean), rows);
  std::vector<TColumn> objects;
  for (Integer i = FirstObj; i <= LastObj; ++i) objects.push_back(Row(InMat, i));
  std::vector<double> list(kMaxKnnMean + 1);
  for (std::size_t i = 0; i < objects.size(); ++i) {
    std::fill(list.begin(), list.end(), double(uc_MaxReal));
    for (std::size_t j = 0; j < objects.size(); ++j)
      SortIntoArray(list.data(), kMaxKnnMean, std::sqrt(SquaredDistance(objects[i], objects[j])),
                    true, true);
    double sum = 0;
    for (Integer q = 0; q < k; ++q) sum += list[static_cast<std::size_t>(q)];
    Dist->SetVal(FirstObj + Integer(i), sum / k);
  }
}

// ---- centres --------------------------------------------------------------------------------

void FindCenters(const TMatrix* InMat, Integer FirstObj, Integer LastObj, Integer NumCenters,
                 TMatrix* Centers, double& MeanDist) {
  ClampRange(FirstObj, LastObj, InMat->NrOfRows());
  NumCenters = std::max<Integer>(1, NumCenters);
  std::vector<TColumn> rows;
  for (Integer i = FirstObj; i <= LastObj; ++i) rows.push_back(Row(InMat, i));
  std::vector<double> weight(rows.size(), 1.0);
  while (Integer(rows.size()) > NumCenters) {
    // The closest pair, the first one in scan order on ties; pairs whose distance is not a
    // number never qualify, and without any pair the merging ends.
    std::size_t e = 0, f = 0;
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < rows.size(); ++i)
      for (std::size_t j = i + 1; j < rows.size(); ++j) {
        const double d = SquaredDistance(rows[i], rows[j]);
        if (d < best) {
          best = d;
          e = i;
          f = j;
        }
      }
    if (e == f) break;
    const double we = weight[e], wf = weight[f];
    for (std::size_t c = 0; c < rows[e].size(); ++c)
      rows[e][c] = (we * rows[e][c] + wf * rows[f][c]) / (we + wf);
    weight[e] = we + wf;
    rows[f] = rows.back();
    weight[f] = weight.back();
    rows.pop_back();
    weight.pop_back();
    ProgressStep();
  }
  const Integer count = std::min<Integer>(NumCenters, Integer(rows.size()));
  for (Integer r = 1; r <= count; ++r)
    for (Integer c = 1; c <= Centers->NrOfColumns(); ++c)
      if (c <= Integer(rows[static_cast<std::size_t>(r - 1)].size()))
        Centers->SetVal(c, r, rows[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)]);
  double sum = 0;
  for (Integer i = 0; i < count; ++i) {
    double nearest = 1e10;  // a squared distance: a single centre gives 1e5
    for (Integer j = 0; j < count; ++j)
      if (j != i) nearest = std::min(nearest, SquaredDistance(rows[static_cast<std::size_t>(i)], rows[static_cast<std::size_t>(j)]));
    sum += std::sqrt(nearest);
  }
  MeanDist = count > 0 ? sum / count : 0;
}

// ---- k-means --------------------------------------------------------------------------------

namespace {
constexpr int kMaxKMeansPasses = 1001;
}  // namespace

double kMeansClustering(const TMatrix* DataMat, Integer, Integer, Integer NumClust,
                        Integer RandSeed, TMatrix* Centers, TIntVector* Classes,
                        TIntVector* ClustSize) {
  const Integer n = DataMat->NrOfRows(), nv = DataMat->NrOfColumns();
  if (NumClust > n)
    throw ESDLMath2Error("kMeansClustering: number of clusters is greater than number of objects");
  if (NumClust < 1) throw ESDLMath2Error("kMeansClustering: number of clusters must be positive");
  if (Centers->NrOfColumns() != nv || Centers->NrOfRows() != NumClust) Centers->Resize(nv, NumClust);
  if (Classes->NrOfElem() != n) Classes->Resize(n);
  ClustSize->Resize(NumClust);
  std::vector<TColumn> x;
  for (Integer r = 1; r <= n; ++r) x.push_back(Row(DataMat, r));
  std::vector<TColumn> centre(static_cast<std::size_t>(NumClust));
  if (RandSeed > 0) InitRandomGenerator(Cardinal(RandSeed));
  for (Integer j = 0; j < NumClust; ++j)
    centre[static_cast<std::size_t>(j)] = x[static_cast<std::size_t>(RandSeed > 0 ? Random(n) : j)];
  std::vector<Integer> cls(static_cast<std::size_t>(n));
  for (Integer r = 0; r < n; ++r) cls[static_cast<std::size_t>(r)] = Classes->GetVal(r + 1);
  std::vector<Integer> size(static_cast<std::size_t>(NumClust), 0);
  int passes = 0;
  bool aborted = false;
  for (passes = 1; passes <= kMaxKMeansPasses; ++passes) {
    bool changed = false;
    for (Integer r = 0; r < n; ++r) {
      Integer nearest = 1;
      double best = SquaredDistance(x[static_cast<std::size_t>(r)], centre[0]);
      for (Integer j = 1; j < NumClust; ++j) {
        const double d = SquaredDistance(x[static_cast<std::size_t>(r)], centre[static_cast<std::size_t>(j)]);
        if (d < best) {
          best = d;
          nearest = j + 1;
        }
      }
      if (cls[static_cast<std::size_t>(r)] != nearest) changed = true;
      cls[static_cast<std::size_t>(r)] = nearest;
    }
    ProgressStep();
    if (!changed) break;
    // An empty cluster's centre moves to the origin.
    std::fill(size.begin(), size.end(), 0);
    for (auto& c : centre) c.assign(static_cast<std::size_t>(nv), 0.0);
    for (Integer r = 0; r < n; ++r) {
      TColumn& c = centre[static_cast<std::size_t>(cls[static_cast<std::size_t>(r)] - 1)];
      for (Integer v = 0; v < nv; ++v) c[static_cast<std::size_t>(v)] += x[static_cast<std::size_t>(r)][static_cast<std::size_t>(v)];
      ++size[static_cast<std::size_t>(cls[static_cast<std::size_t>(r)] - 1)];
    }
    for (Integer j = 0; j < NumClust; ++j)
      if (size[static_cast<std::size_t>(j)] > 0)
        for (double& v : centre[static_cast<std::size_t>(j)]) v /= size[static_cast<std::size_t>(j)];
    if (Aborted()) {
      aborted = true;
      break;
    }
  }
  std::fill(size.begin(), size.end(), 0);
  for (Integer r = 0; r < n; ++r)
    if (cls[static_cast<std::size_t>(r)] >= 1 && cls[static_cast<std::size_t>(r)] <= NumClust) ++size[static_cast<std::size_t>(cls[static_cast<std::size_t>(r)] - 1)];
  double result = 0;
  for (Integer r = 0; r < n; ++r) result += SquaredDistance(x[static_cast<std::size_t>(r)], centre[static_cast<std::size_t>(cls[static_cast<std::size_t>(r)] - 1)]);
  // Renumbering by size with the library's comb sort: follow its exchanges.
  for (Integer j = 1; j <= NumClust; ++j) ClustSize->SetVal(j, size[static_cast<std::size_t>(j - 1)]);
  std::vector<Integer> order(static_cast<std::size_t>(NumClust));  // order[new - 1] = old cluster number
  for (Integer j = 0; j < NumClust; ++j) order[static_cast<std::size_t>(j)] = j + 1;
  if (!aborted) {
    auto previous = ClustSize->OnSortExchange;
    ClustSize->OnSortExchange = [&](TObject*, Byte, Integer i1, Integer i2, Integer, Integer) {
      std::swap(order[static_cast<std::size_t>(i1 - 1)], order[static_cast<std::size_t>(i2 - 1)]);
    };
    ClustSize->SortElems(false, 1, NumClust);
    ClustSize->OnSortExchange = previous;
  }
  std::vector<Integer> renumber(static_cast<std::size_t>(NumClust) + 1);
  for (Integer j = 1; j <= NumClust; ++j) renumber[static_cast<std::size_t>(order[static_cast<std::size_t>(j - 1)])] = j;
  for (Integer r = 0; r < n; ++r) Classes->SetVal(r + 1, renumber[static_cast<std::size_t>(cls[static_cast<std::size_t>(r)])]);
  for (Integer j = 1; j <= NumClust; ++j)
    for (Integer v = 1; v <= nv; ++v)
      Centers->SetVal(v, j, centre[static_cast<std::size_t>(order[static_cast<std::size_t>(j - 1)] - 1)][static_cast<std::size_t>(v - 1)]);
  if (aborted) return 0;
  if (passes >= kMaxKMeansPasses)
    throw ESDLMath2Error("kMeansClustering: max. number of iterations exceeded");
  return result;
}

double kMeansClustering(const TMatrix* DataMat, Integer Unused1, Integer Unused2,
                        Integer NumClust, TMatrix* Centers, TIntVector* Classes) {
  TIntVector sizes(nullptr);
  return kMeansClustering(DataMat, Unused1, Unused2, NumClust, 0, Centers, Classes, &sizes);
}

Integer kMeansEstimatedSteps(Integer a, Integer b, Integer c) {
  const double ab = std::max<double>(0, double(Int64(a) * Int64(b)));
  const double ac = std::max<double>(0, double(Int64(a) * Int64(c)));
  const double estimate = std::nearbyint(0.18232 * std::sqrt(ab) - 108 - 0.00092427 * a -
                                         0.00017557 * ac + 0.38775 * std::sqrt(ac));
  return estimate > 20 ? Integer(std::min(estimate, 2147483647.0)) : 20;
}

// ---- nearest neighbours -----------------------------------------------------------------

void FindNearestNeighbors(Integer k, const TMatrix* DataMat, Integer FirstObj, Integer LastObj,
                          const TVector* Probe, TMatrix* KNNList, const TKnnDistFunc& DistFunc) {
  k = std::min({k, kMaxKnnSearch, DataMat->NrOfRows()});
  ClampRange(FirstObj, LastObj, DataMat->NrOfRows());
  std::vector<double> dist(kMaxKnnSearch + 1, double(uc_MaxReal));
  std::vector<Integer> index(kMaxKnnSearch + 1, 0);
  for (Integer i = FirstObj; i <= LastObj; ++i) {
    double d;
    if (DistFunc) {
      d = DistFunc(i);
    } else {
      d = 0;
      for (Integer c = 1; c <= Probe->NrOfElem(); ++c)
        d += (DataMat->GetVal(c, i) - Probe->GetVal(c)) * (DataMat->GetVal(c, i) - Probe->GetVal(c));
      d = std::sqrt(d);
    }
    const Integer place = SortIntoArray(dist.data(), kMaxKnnSearch, d, true, true);
    if (place >= 0) InsertIntoArray(index.data(), kMaxKnnSearch, i, place);
  }
  for (Integer r = 1; r <= k; ++r) {
    KNNList->SetVal(1, r, index[static_cast<std::size_t>(r - 1)]);
    KNNList->SetVal(2, r, dist[static_cast<std::size_t>(r - 1)]);
  }
}

void EstimateByKNN(const TMatrix* DataMat, const TVector* TargetVec, Integer k, TKnnWMode WMode,
                   double Param, const TVector* Probe, double& Estimate, double& MeanDist) {
  k = std::max<Integer>(1, std::min(k, DataMat->NrOfRows()));
  k = std::min(k, kMaxKnnSearch);
  TMatrix list(nullptr);
  list.Resize(2, k);
  FindNearestNeighbors(k, DataMat, 1, DataMat->NrOfRows(), Probe, &list);
  TColumn y(static_cast<std::size_t>(k)), d(static_cast<std::size_t>(k));
  std::vector<Integer> idx(static_cast<std::size_t>(k));
  double sum = 0;
  for (Integer j = 1; j <= k; ++j) {
    idx[static_cast<std::size_t>(j - 1)] = Integer(list.GetVal(1, j));
    d[static_cast<std::size_t>(j - 1)] = list.GetVal(2, j);
    y[static_cast<std::size_t>(j - 1)] = TargetVec->GetVal(idx[static_cast<std::size_t>(j - 1)]);
    sum += d[static_cast<std::size_t>(j - 1)];
  }
  MeanDist = sum / k;
  const double dbar = MeanDist == 0 ? 0.001 : MeanDist;
  Estimate = 0;
  switch (WMode) {
    case kwmGauss:
    case kwmLinear: {
      double sw = 0, swy = 0;
      for (Integer j = 0; j < k; ++j) {
        double w;
        if (WMode == kwmGauss) {
          const double z = Param * d[static_cast<std::size_t>(j)] / dbar;
          w = std::exp(-z * z);
        } else {
          w = 1 - d[static_cast<std::size_t>(j)] / dbar / Param;
          if (!(w > 0)) continue;
        }
        sw += w;
        swy += w * y[static_cast<std::size_t>(j)];
      }
      Estimate = sw > 0 ? swy / sw : 0;
      break;
    }
    case kwmAverage: {
      double s = 0;
      for (double v : y) s += v;
      Estimate = s / k;
      break;
    }
    case kwmMedian: {
      TVector v(nullptr);
      v.Resize(k);
      for (Integer j = 1; j <= k; ++j) v.SetVal(j, y[static_cast<std::size_t>(j - 1)]);
      double q1, q2, q3;
      v.Quartiles(0, 0, q1, q2, q3);
      Estimate = q2;
      break;
    }
    case kwmBiQuad: {
      const Integer nv = DataMat->NrOfColumns();
      const Integer terms = 1 + 2 * nv + nv * (nv - 1) / 2;
      auto termsOf = [&](auto value) {  // value(c): variable c (1-based)
        TColumn t{1.0};
        for (Integer a = 1; a <= nv; ++a) t.push_back(value(a));
        for (Integer a = 1; a <= nv; ++a) t.push_back(value(a) * value(a));
        for (Integer a = 1; a <= nv; ++a)
          for (Integer b = a + 1; b <= nv; ++b) t.push_back(value(a) * value(b));
        return t;
      };
      TMatrix A(nullptr);
      TVector Y(nullptr), coeffs(nullptr);
      A.Resize(terms, k);
      Y.Resize(k);
      coeffs.Resize(terms);
      for (Integer j = 1; j <= k; ++j) {
        const Integer obj = idx[static_cast<std::size_t>(j - 1)];
        const TColumn t = termsOf([&](Integer c) { return DataMat->GetVal(c, obj); });
        for (Integer c = 1; c <= terms; ++c) A.SetVal(c, j, t[static_cast<std::size_t>(c - 1)]);
        Y.SetVal(j, y[static_cast<std::size_t>(j - 1)]);
      }
      bool nearSingular = false;
      if (!MultiLinReg(&A, &Y, &coeffs, nullptr, nearSingular)) break;
      const TColumn t = termsOf([&](Integer c) { return Probe->GetVal(c); });
      for (Integer c = 1; c <= terms; ++c) Estimate += coeffs.GetVal(c) * t[static_cast<std::size_t>(c - 1)];
      break;
    }
  }
}

// ---- kernels --------------------------------------------------------------------------------

namespace {
constexpr double kMaxKernelExponent = 20;
}

double CalcGaussKernel(const TVector* x1, const TVector* x2, double Width) {
  double s = 0;
  for (Integer i = 1; i <= x2->NrOfElem(); ++i)
    s += (x1->GetVal(i) - x2->GetVal(i)) * (x1->GetVal(i) - x2->GetVal(i));
  return std::exp(-std::min(s / (Width * Width), kMaxKernelExponent));
}

double CalcGaussKernelMat(const TVector* x, const TMatrix* Mat, Integer Row, double Width) {
  double s = 0;
  for (Integer c = 1; c <= Mat->NrOfColumns(); ++c)
    s += (x->GetVal(c) - Mat->GetVal(c, Row)) * (x->GetVal(c) - Mat->GetVal(c, Row));
  return std::exp(-std::min(s / (Width * Width), kMaxKernelExponent));
}

// ---- vertex component analysis ----------------------------------------------------------

bool VertexCompAnalysis(const TMatrix* DataMat, Integer NumEndMem, bool PCAProjection,
                        TMatrix* EndMembers, TIntVector* EndMemIx, TMatrix* ProjData) {
  AbortMathProc = false;
  const Integer n = DataMat->NrOfRows(), L = DataMat->NrOfColumns(), p = NumEndMem;
  if (p < 1 || p > L || n < 1) throw ESDLMath2Error("VertexCompAnalysis: invalid number of endmembers");
  ProjData->ResizeAndClear(n, L);
  auto step = [&]() {
    ProgressStep();
    return Aborted();
  };
  // X as [row][column], centred for the PCA projection.
  TRows X(static_cast<std::size_t>(n), TColumn(static_cast<std::size_t>(L)));
  TColumn means(static_cast<std::size_t>(L), 0);
  for (Integer r = 0; r < n; ++r)
    for (Integer c = 0; c < L; ++c) X[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = DataMat->GetVal(c + 1, r + 1);
  if (PCAProjection) {
    for (Integer c = 0; c < L; ++c) {
      for (Integer r = 0; r < n; ++r) means[static_cast<std::size_t>(c)] += X[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      means[static_cast<std::size_t>(c)] /= n;
      for (Integer r = 0; r < n; ++r) X[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] -= means[static_cast<std::size_t>(c)];
    }
  }
  // R = X^T X / n and its decomposition.
  TMatrix U(nullptr), V(nullptr);
  TVector W(nullptr);
  U.Resize(L, L);
  for (Integer i = 0; i < L; ++i)
    for (Integer j = 0; j < L; ++j) {
      double s = 0;
      for (Integer r = 0; r < n; ++r) s += X[static_cast<std::size_t>(r)][static_cast<std::size_t>(i)] * X[static_cast<std::size_t>(r)][static_cast<std::size_t>(j)];
      U.SetVal(j + 1, i + 1, s / n);
    }
  if (step()) return false;
  V.Resize(L, L);
  W.Resize(L);
  if (!SingValDecomp(&U, &V, &W) || step()) return false;
  // The decomposition leaves its singular values unsorted, so "the first d columns of U" are
  // taken as those of the d largest values (by index order on ties); an arbitrary column
  // order would project onto a subspace that misses the data.
  const Integer d = PCAProjection ? p - 1 : p;
  std::vector<Integer> lead(static_cast<std::size_t>(L));
  for (Integer j = 0; j < L; ++j) lead[static_cast<std::size_t>(j)] = j + 1;
  std::stable_sort(lead.begin(), lead.end(),
                   [&](Integer a, Integer b) { return W.GetVal(a) > W.GetVal(b); });
  auto u = [&](Integer row, Integer k) { return U.GetVal(lead[static_cast<std::size_t>(k)], row); };
  // Y: p rows (here [column = object][row]), one column per object.
  TRows Y(static_cast<std::size_t>(n), TColumn(static_cast<std::size_t>(p), 0));
  TRows proj(static_cast<std::size_t>(n), TColumn(static_cast<std::size_t>(d), 0));  // x_p or B, per object
  for (Integer r = 0; r < n; ++r)
    for (Integer k = 0; k < d; ++k) {
      double s = 0;
      for (Integer c = 0; c < L; ++c) s += u(c + 1, k) * X[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      proj[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] = s;
    }
  for (Integer r = 0; r < n; ++r)
    for (Integer c = 0; c < L; ++c) {
      double s = PCAProjection ? means[static_cast<std::size_t>(c)] : 0;
      for (Integer k = 0; k < d; ++k) s += u(c + 1, k) * proj[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
      ProjData->SetVal(r + 1, c + 1, s);
    }
  if (step()) return false;
  if (PCAProjection) {
    double c = 0;
    for (Integer r = 0; r < n; ++r) {
      double s = 0;
      for (double v : proj[static_cast<std::size_t>(r)]) s += v * v;
      c = std::max(c, std::sqrt(s));
    }
    for (Integer r = 0; r < n; ++r) {
      for (Integer k = 0; k < d; ++k) Y[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] = proj[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
      Y[static_cast<std::size_t>(r)][static_cast<std::size_t>(p - 1)] = c;
    }
  } else {
    TColumn u(static_cast<std::size_t>(p), 0);
    for (Integer r = 0; r < n; ++r)
      for (Integer k = 0; k < p; ++k) u[static_cast<std::size_t>(k)] += proj[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] / n;
    for (Integer r = 0; r < n; ++r) {
      double dot = 0;
      for (Integer k = 0; k < p; ++k) dot += u[static_cast<std::size_t>(k)] * proj[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
      for (Integer k = 0; k < p; ++k)
        Y[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] =
            dot != 0 ? proj[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] / dot : proj[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
    }
  }
  if (step()) return false;
  // Endmembers: A starts with A[p, 1] = 1 (row p, column 1).
  TMatrix A(nullptr), APinv(nullptr);
  A.ResizeAndClear(p, p);
  A.SetVal(1, p, 1);
  EndMemIx->Resize(p);
  for (Integer i = 1; i <= p; ++i) {
    TColumn w(static_cast<std::size_t>(p));
    for (double& v : w) v = double(RandomReal());
    if (!PseudoInverse(&A, &APinv, 0)) return false;
    // f = (w - A A+ w) / |...|
    TColumn apw(static_cast<std::size_t>(p), 0), f(static_cast<std::size_t>(p), 0);
    for (Integer r = 1; r <= p; ++r)
      for (Integer c = 1; c <= p; ++c) apw[static_cast<std::size_t>(r - 1)] += APinv.GetVal(c, r) * w[static_cast<std::size_t>(c - 1)];
    double norm = 0;
    for (Integer r = 1; r <= p; ++r) {
      double s = 0;
      for (Integer c = 1; c <= p; ++c) s += A.GetVal(c, r) * apw[static_cast<std::size_t>(c - 1)];
      f[static_cast<std::size_t>(r - 1)] = w[static_cast<std::size_t>(r - 1)] - s;
      norm += f[static_cast<std::size_t>(r - 1)] * f[static_cast<std::size_t>(r - 1)];
    }
    norm = std::sqrt(norm);
    if (norm > 0)
      for (double& v : f) v /= norm;
    Integer best = 1;
    double largest = -1;
    for (Integer r = 0; r < n; ++r) {
      double v = 0;
      for (Integer k = 0; k < p; ++k) v += Y[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] * f[static_cast<std::size_t>(k)];
      if (std::fabs(v) > largest) {
        largest = std::fabs(v);
        best = r + 1;
      }
    }
    EndMemIx->SetVal(i, best);
    for (Integer k = 1; k <= p; ++k) A.SetVal(i, k, Y[static_cast<std::size_t>(best - 1)][static_cast<std::size_t>(k - 1)]);
    ProgressStep();
  }
  if (Aborted()) return false;
  EndMembers->ResizeAndClear(p, L);
  for (Integer i = 1; i <= p; ++i)
    for (Integer c = 1; c <= L; ++c) EndMembers->SetVal(i, c, ProjData->GetVal(EndMemIx->GetVal(i), c));
  return true;
}
