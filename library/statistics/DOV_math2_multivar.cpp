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

// Index into the standard containers.
std::size_t Ix(Integer i) { return static_cast<std::size_t>(i); }

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
  TColumn v(Ix(m->NrOfColumns()));
  for (Integer c = 1; c <= m->NrOfColumns(); ++c) v[Ix(c - 1)] = m->GetVal(c, r);
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
  double& Component(Integer j, Integer k) { return vectors[Ix(j - 1) * Ix(n) + Ix(k - 1)]; }
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
  std::vector<TColumn> x(Ix(nv));
  for (Integer i = 0; i < nv; ++i)
    x[Ix(i)].assign(InMat->ColumnPtr(LoC + i) + (LoR - 1), InMat->ColumnPtr(LoC + i) + HiR);
  TColumn mean(Ix(nv), 0), var(Ix(nv), 0);
  if (Mode > 0) {
    TColumn sum(Ix(nv), 0), sumsq(Ix(nv), 0);
    for (Integer r = 0; r < n; ++r) {
      for (Integer i = 0; i < nv; ++i) {
        const double v = x[Ix(i)][Ix(r)];
        sum[Ix(i)] += v;
        sumsq[Ix(i)] += v * v;
      }
      ProgressStep();
    }
    for (Integer i = 0; i < nv; ++i) {
      mean[Ix(i)] = sum[Ix(i)] / n;
      var[Ix(i)] = (sumsq[Ix(i)] - sum[Ix(i)] * sum[Ix(i)] / n) / (n - 1);
    }
  }
  TRows out(Ix(nv), TColumn(Ix(nv), 0));
  for (Integer i = 0; i < nv; ++i)
    for (Integer j = 0; j <= i; ++j) {
      if (Aborted()) return false;
      const TColumn &a = x[Ix(i)], &b = x[Ix(j)];
      const double ma = mean[Ix(i)], mb = mean[Ix(j)];
      double s = 0;
      for (Integer r = 0; r < n; ++r) {
        const double u = a[Ix(r)], v = b[Ix(r)];
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
        double scale = std::sqrt(var[Ix(i)] * var[Ix(j)]);
        if (scale == 0) scale = 1e-38;
        value /= scale;
        if (Mode == 2 && i == j) value = 1;
        if (Mode == 3) value *= value;
      }
      out[Ix(i)][Ix(j)] = out[Ix(j)][Ix(i)] = value;
      ProgressStep(n);
    }
  for (Integer i = 0; i < nv; ++i)
    for (Integer j = 0; j < nv; ++j) OutMat->SetVal(i + 1, j + 1, out[Ix(i)][Ix(j)]);
  return true;
}

// ---- eigenvalues ----------------------------------------------------------------------------

bool CalcEigVec(TMatrix* Mat) {
  AbortMathProc = false;
  const Integer n = Mat->NrOfColumns();
  if (n > kMaxEigenSize) return false;
  TEigenStore& store = EigenStore();
  try {
    store.vectors.assign(Ix(n) * Ix(n), 0.0);
    store.values.assign(Ix(n), 0.0);
  } catch (const std::bad_alloc&) {
    store = TEigenStore();
    throw ESDLMath2Error("CalcEigVec: not enough memory");
  }
  store.n = n;
  // a[p][q] for p < q: the upper triangle (row p, column q) of Mat.
  TRows a(Ix(n), TColumn(Ix(n), 0));
  for (Integer p = 1; p <= n; ++p)
    for (Integer q = p + 1; q <= n; ++q) a[Ix(p - 1)][Ix(q - 1)] = Mat->GetVal(q, p);
  auto v = [&](Integer row, Integer col) -> double& { return store.Component(col + 1, row + 1); };
  TColumn b(Ix(n)), d(Ix(n)), z(Ix(n), 0);
  for (Integer i = 0; i < n; ++i) {
    v(i, i) = 1;
    b[Ix(i)] = d[Ix(i)] = Mat->GetVal(i + 1, i + 1);
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
      for (Integer q = p + 1; q < n; ++q) sm += std::fabs(a[Ix(p)][Ix(q)]);
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
        double& apq = a[Ix(p)][Ix(q)];
        double &dp = d[Ix(p)], &dq = d[Ix(q)];
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
          z[Ix(p)] -= h;
          z[Ix(q)] += h;
          dp -= h;
          dq += h;
          apq = 0;
          for (Integer j = 0; j < p; ++j) rotate(a[Ix(j)][Ix(p)], a[Ix(j)][Ix(q)], s, tau);
          for (Integer j = p + 1; j < q; ++j) rotate(a[Ix(p)][Ix(j)], a[Ix(j)][Ix(q)], s, tau);
          for (Integer j = q + 1; j < n; ++j) rotate(a[Ix(p)][Ix(j)], a[Ix(q)][Ix(j)], s, tau);
          for (Integer j = 0; j < n; ++j) rotate(v(j, p), v(j, q), s, tau);
        }
      }
    for (Integer i = 0; i < n; ++i) {
      b[Ix(i)] += z[Ix(i)];
      d[Ix(i)] = b[Ix(i)];
      z[Ix(i)] = 0;
    }
  }
  for (Integer i = 0; i < n; ++i) store.values[Ix(i)] = d[Ix(i)];
  for (Integer p = 1; p <= n; ++p)
    for (Integer q = p + 1; q <= n; ++q) Mat->SetVal(q, p, a[Ix(p - 1)][Ix(q - 1)]);
  return converged && !aborted;
}

double GetEigenResult(Integer EigNum, Integer Component) {
  TEigenStore& store = EigenStore();
  if (store.n == 0 || EigNum < 1 || EigNum > store.n || Component < 0 || Component > store.n)
    return 0;
  if (Component == 0) return store.values[Ix(EigNum - 1)];
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
      if (store.values[Ix(j - 1)] > largest) {
        largest = store.values[Ix(j - 1)];
        best = j;
      }
    if (best == 0 || best == i) continue;
    std::swap(store.values[Ix(i - 1)], store.values[Ix(best - 1)]);
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
    for (Integer q = 0; q < k; ++q) sum += list[Ix(q)];
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
      if (c <= Integer(rows[Ix(r - 1)].size())) Centers->SetVal(c, r, rows[Ix(r - 1)][Ix(c - 1)]);
  double sum = 0;
  for (Integer i = 0; i < count; ++i) {
    double nearest = 1e10;  // a squared distance: a single centre gives 1e5
    for (Integer j = 0; j < count; ++j)
      if (j != i) nearest = std::min(nearest, SquaredDistance(rows[Ix(i)], rows[Ix(j)]));
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
  if (Centers->NrOfColumns() != nv || Centers->NrOfRows() != NumClust)
    Centers->Resize(nv, NumClust);
  if (Classes->NrOfElem() != n) Classes->Resize(n);
  ClustSize->Resize(NumClust);
  std::vector<TColumn> x;
  for (Integer r = 1; r <= n; ++r) x.push_back(Row(DataMat, r));
  std::vector<TColumn> centre(Ix(NumClust));
  if (RandSeed > 0) InitRandomGenerator(Cardinal(RandSeed));
  for (Integer j = 0; j < NumClust; ++j) centre[Ix(j)] = x[Ix(RandSeed > 0 ? Random(n) : j)];
  std::vector<Integer> cls(Ix(n));
  for (Integer r = 0; r < n; ++r) cls[Ix(r)] = Classes->GetVal(r + 1);
  std::vector<Integer> size(Ix(NumClust), 0);
  int passes = 0;
  bool aborted = false;
  for (passes = 1; passes <= kMaxKMeansPasses; ++passes) {
    bool changed = false;
    for (Integer r = 0; r < n; ++r) {
      Integer nearest = 1;
      double best = SquaredDistance(x[Ix(r)], centre[0]);
      for (Integer j = 1; j < NumClust; ++j) {
        const double d = SquaredDistance(x[Ix(r)], centre[Ix(j)]);
        if (d < best) {
          best = d;
          nearest = j + 1;
        }
      }
      if (cls[Ix(r)] != nearest) changed = true;
      cls[Ix(r)] = nearest;
    }
    ProgressStep();
    if (!changed) break;
    // An empty cluster's centre moves to the origin.
    std::fill(size.begin(), size.end(), 0);
    for (auto& c : centre) c.assign(Ix(nv), 0.0);
    for (Integer r = 0; r < n; ++r) {
      TColumn& c = centre[Ix(cls[Ix(r)] - 1)];
      for (Integer v = 0; v < nv; ++v) c[Ix(v)] += x[Ix(r)][Ix(v)];
      ++size[Ix(cls[Ix(r)] - 1)];
    }
    for (Integer j = 0; j < NumClust; ++j)
      if (size[Ix(j)] > 0)
        for (double& v : centre[Ix(j)]) v /= size[Ix(j)];
    if (Aborted()) {
      aborted = true;
      break;
    }
  }
  std::fill(size.begin(), size.end(), 0);
  for (Integer r = 0; r < n; ++r)
    if (cls[Ix(r)] >= 1 && cls[Ix(r)] <= NumClust) ++size[Ix(cls[Ix(r)] - 1)];
  double result = 0;
  for (Integer r = 0; r < n; ++r) result += SquaredDistance(x[Ix(r)], centre[Ix(cls[Ix(r)] - 1)]);
  // Renumbering by size with the library's comb sort: follow its exchanges.
  for (Integer j = 1; j <= NumClust; ++j) ClustSize->SetVal(j, size[Ix(j - 1)]);
  std::vector<Integer> order(Ix(NumClust));  // order[new - 1] = old cluster number
  for (Integer j = 0; j < NumClust; ++j) order[Ix(j)] = j + 1;
  if (!aborted) {
    auto previous = ClustSize->OnSortExchange;
    ClustSize->OnSortExchange = [&](TObject*, Byte, Integer i1, Integer i2, Integer, Integer) {
      std::swap(order[Ix(i1 - 1)], order[Ix(i2 - 1)]);
    };
    ClustSize->SortElems(false, 1, NumClust);
    ClustSize->OnSortExchange = previous;
  }
  std::vector<Integer> renumber(Ix(NumClust) + 1);
  for (Integer j = 1; j <= NumClust; ++j) renumber[Ix(order[Ix(j - 1)])] = j;
  for (Integer r = 0; r < n; ++r) Classes->SetVal(r + 1, renumber[Ix(cls[Ix(r)])]);
  for (Integer j = 1; j <= NumClust; ++j)
    for (Integer v = 1; v <= nv; ++v)
      Centers->SetVal(v, j, centre[Ix(order[Ix(j - 1)] - 1)][Ix(v - 1)]);
  if (aborted) return 0;
  if (passes >= kMaxKMeansPasses)
    throw ESDLMath2Error("kMeansClustering: max. number of iterations exceeded");
  return result;
}

double kMeansClustering(const TMatrix* DataMat, Integer Unused1, Integer Unused2, Integer NumClust,
                        TMatrix* Centers, TIntVector* Classes) {
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
        d +=
            (DataMat->GetVal(c, i) - Probe->GetVal(c)) * (DataMat->GetVal(c, i) - Probe->GetVal(c));
      d = std::sqrt(d);
    }
    const Integer place = SortIntoArray(dist.data(), kMaxKnnSearch, d, true, true);
    if (place >= 0) InsertIntoArray(index.data(), kMaxKnnSearch, i, place);
  }
  for (Integer r = 1; r <= k; ++r) {
    KNNList->SetVal(1, r, index[Ix(r - 1)]);
    KNNList->SetVal(2, r, dist[Ix(r - 1)]);
  }
}

void EstimateByKNN(const TMatrix* DataMat, const TVector* TargetVec, Integer k, TKnnWMode WMode,
                   double Param, const TVector* Probe, double& Estimate, double& MeanDist) {
  k = std::max<Integer>(1, std::min(k, DataMat->NrOfRows()));
  k = std::min(k, kMaxKnnSearch);
  TMatrix list(nullptr);
  list.Resize(2, k);
  FindNearestNeighbors(k, DataMat, 1, DataMat->NrOfRows(), Probe, &list);
  TColumn y(Ix(k)), d(Ix(k));
  std::vector<Integer> idx(Ix(k));
  double sum = 0;
  for (Integer j = 1; j <= k; ++j) {
    idx[Ix(j - 1)] = Integer(list.GetVal(1, j));
    d[Ix(j - 1)] = list.GetVal(2, j);
    y[Ix(j - 1)] = TargetVec->GetVal(idx[Ix(j - 1)]);
    sum += d[Ix(j - 1)];
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
          const double z = Param * d[Ix(j)] / dbar;
          w = std::exp(-z * z);
        } else {
          w = 1 - d[Ix(j)] / dbar / Param;
          if (!(w > 0)) continue;
        }
        sw += w;
        swy += w * y[Ix(j)];
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
      for (Integer j = 1; j <= k; ++j) v.SetVal(j, y[Ix(j - 1)]);
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
        const Integer obj = idx[Ix(j - 1)];
        const TColumn t = termsOf([&](Integer c) { return DataMat->GetVal(c, obj); });
        for (Integer c = 1; c <= terms; ++c) A.SetVal(c, j, t[Ix(c - 1)]);
        Y.SetVal(j, y[Ix(j - 1)]);
      }
      bool nearSingular = false;
      if (!MultiLinReg(&A, &Y, &coeffs, nullptr, nearSingular)) break;
      const TColumn t = termsOf([&](Integer c) { return Probe->GetVal(c); });
      for (Integer c = 1; c <= terms; ++c) Estimate += coeffs.GetVal(c) * t[Ix(c - 1)];
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
  if (p < 1 || p > L || n < 1)
    throw ESDLMath2Error("VertexCompAnalysis: invalid number of endmembers");
  ProjData->ResizeAndClear(n, L);
  auto step = [&]() {
    ProgressStep();
    return Aborted();
  };
  // X as [row][column], centred for the PCA projection.
  TRows X(Ix(n), TColumn(Ix(L)));
  TColumn means(Ix(L), 0);
  for (Integer r = 0; r < n; ++r)
    for (Integer c = 0; c < L; ++c) X[Ix(r)][Ix(c)] = DataMat->GetVal(c + 1, r + 1);
  if (PCAProjection) {
    for (Integer c = 0; c < L; ++c) {
      for (Integer r = 0; r < n; ++r) means[Ix(c)] += X[Ix(r)][Ix(c)];
      means[Ix(c)] /= n;
      for (Integer r = 0; r < n; ++r) X[Ix(r)][Ix(c)] -= means[Ix(c)];
    }
  }
  // R = X^T X / n and its decomposition.
  TMatrix U(nullptr), V(nullptr);
  TVector W(nullptr);
  U.Resize(L, L);
  for (Integer i = 0; i < L; ++i)
    for (Integer j = 0; j < L; ++j) {
      double s = 0;
      for (Integer r = 0; r < n; ++r) s += X[Ix(r)][Ix(i)] * X[Ix(r)][Ix(j)];
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
  std::vector<Integer> lead(Ix(L));
  for (Integer j = 0; j < L; ++j) lead[Ix(j)] = j + 1;
  std::stable_sort(lead.begin(), lead.end(),
                   [&](Integer a, Integer b) { return W.GetVal(a) > W.GetVal(b); });
  auto u = [&](Integer row, Integer k) { return U.GetVal(lead[Ix(k)], row); };
  // Y: p rows (here [column = object][row]), one column per object.
  TRows Y(Ix(n), TColumn(Ix(p), 0));
  TRows proj(Ix(n), TColumn(Ix(d), 0));  // x_p or B, per object
  for (Integer r = 0; r < n; ++r)
    for (Integer k = 0; k < d; ++k) {
      double s = 0;
      for (Integer c = 0; c < L; ++c) s += u(c + 1, k) * X[Ix(r)][Ix(c)];
      proj[Ix(r)][Ix(k)] = s;
    }
  for (Integer r = 0; r < n; ++r)
    for (Integer c = 0; c < L; ++c) {
      double s = PCAProjection ? means[Ix(c)] : 0;
      for (Integer k = 0; k < d; ++k) s += u(c + 1, k) * proj[Ix(r)][Ix(k)];
      ProjData->SetVal(r + 1, c + 1, s);
    }
  if (step()) return false;
  if (PCAProjection) {
    double c = 0;
    for (Integer r = 0; r < n; ++r) {
      double s = 0;
      for (double v : proj[Ix(r)]) s += v * v;
      c = std::max(c, std::sqrt(s));
    }
    for (Integer r = 0; r < n; ++r) {
      for (Integer k = 0; k < d; ++k) Y[Ix(r)][Ix(k)] = proj[Ix(r)][Ix(k)];
      Y[Ix(r)][Ix(p - 1)] = c;
    }
  } else {
    TColumn u(Ix(p), 0);
    for (Integer r = 0; r < n; ++r)
      for (Integer k = 0; k < p; ++k) u[Ix(k)] += proj[Ix(r)][Ix(k)] / n;
    for (Integer r = 0; r < n; ++r) {
      double dot = 0;
      for (Integer k = 0; k < p; ++k) dot += u[Ix(k)] * proj[Ix(r)][Ix(k)];
      for (Integer k = 0; k < p; ++k)
        Y[Ix(r)][Ix(k)] = dot != 0 ? proj[Ix(r)][Ix(k)] / dot : proj[Ix(r)][Ix(k)];
    }
  }
  if (step()) return false;
  // Endmembers: A starts with A[p, 1] = 1 (row p, column 1).
  TMatrix A(nullptr), APinv(nullptr);
  A.ResizeAndClear(p, p);
  A.SetVal(1, p, 1);
  EndMemIx->Resize(p);
  for (Integer i = 1; i <= p; ++i) {
    TColumn w(Ix(p));
    for (double& v : w) v = double(RandomReal());
    if (!PseudoInverse(&A, &APinv, 0)) return false;
    // f = (w - A A+ w) / |...|
    TColumn apw(Ix(p), 0), f(Ix(p), 0);
    for (Integer r = 1; r <= p; ++r)
      for (Integer c = 1; c <= p; ++c) apw[Ix(r - 1)] += APinv.GetVal(c, r) * w[Ix(c - 1)];
    double norm = 0;
    for (Integer r = 1; r <= p; ++r) {
      double s = 0;
      for (Integer c = 1; c <= p; ++c) s += A.GetVal(c, r) * apw[Ix(c - 1)];
      f[Ix(r - 1)] = w[Ix(r - 1)] - s;
      norm += f[Ix(r - 1)] * f[Ix(r - 1)];
    }
    norm = std::sqrt(norm);
    if (norm > 0)
      for (double& v : f) v /= norm;
    Integer best = 1;
    double largest = -1;
    for (Integer r = 0; r < n; ++r) {
      double v = 0;
      for (Integer k = 0; k < p; ++k) v += Y[Ix(r)][Ix(k)] * f[Ix(k)];
      if (std::fabs(v) > largest) {
        largest = std::fabs(v);
        best = r + 1;
      }
    }
    EndMemIx->SetVal(i, best);
    for (Integer k = 1; k <= p; ++k) A.SetVal(i, k, Y[Ix(best - 1)][Ix(k - 1)]);
    ProgressStep();
  }
  if (Aborted()) return false;
  EndMembers->ResizeAndClear(p, L);
  for (Integer i = 1; i <= p; ++i)
    for (Integer c = 1; c <= L; ++c)
      EndMembers->SetVal(i, c, ProjData->GetVal(EndMemIx->GetVal(i), c));
  return true;
}
