// Agglomerative clustering with the Lance-Williams update.

#include "DOV_math2_cluster.h"

#include <algorithm>
#include <array>
#include <vector>

#include "DOV_intmatrix.h"
#include "DOV_univconst.h"
#include "DOV_vector.h"

const char* const ClusterMethodID[6] = {"single linkage",    "complete linkage",
                                        "Ward's method",     "average linkage",
                                        "flexible strategy", "unweighted pair group"};

namespace {

constexpr double AlphaLow = 0.5;
constexpr double AlphaHigh = 1.0;

// Puts the data matrix's own distance handler back however the call ends.
class TDistEventSwap {
public:
  TDistEventSwap(TMatrix* Mat, TOnCalcDistanceEvent Event) : FMat(Mat) {
    FSaved = std::move(Mat->OnCalcDistance);
    Mat->OnCalcDistance = std::move(Event);
  }
  ~TDistEventSwap() { FMat->OnCalcDistance = std::move(FSaved); }
  TDistEventSwap(const TDistEventSwap&) = delete;
  TDistEventSwap& operator=(const TDistEventSwap&) = delete;

private:
  TMatrix* FMat;
  TOnCalcDistanceEvent FSaved;
};

// The distance matrix of the active clusters, and for every position the nearest active
// position after it: the first j > i with the smallest D(i, j) below uc_MaxReal (0 when none).
// Scanning those row minima with i ascending and taking only strictly smaller values finds the
// same pair as a scan of every pair in that order.
class TClusterDistances {
public:
  TClusterDistances(TMatrix& D, Integer n)
      : FD(D), Fn(n), FActive(n + 1, true), FBest(n + 1), FArg(n + 1, 0) {
    FActive[0] = false;
    for (Integer k = 1; k <= n; ++k) RowMinimum(k);
  }

  double Get(Integer r, Integer c) const { return FD.ColumnPtr(c)[r - 1]; }

  // The pair to merge next; false when no active pair has a valid distance.
  bool Closest(Integer& i, Integer& j, double& Dist) const {
    Extended best = uc_MaxReal;
    i = j = 0;
    for (Integer k = 1; k < Fn; ++k)
      if (FArg[k] != 0 && FBest[k] < best) {
        best = FBest[k];
        i = k;
        j = FArg[k];
      }
    if (i == 0) return false;
    Dist = Get(i, j);
    return true;
  }

  // Retires position i and gives position j the distances Dk (index 1..n) of the merged cluster.
  void Merge(Integer i, Integer j, const std::vector<double>& Dk) {
    double* colJ = FD.ColumnPtr(j);
    for (Integer k = 1; k <= Fn; ++k) {
      colJ[k - 1] = Dk[k];
      FD.ColumnPtr(k)[j - 1] = Dk[k];
    }
    FActive[i] = false;
    FArg[i] = 0;
    RowMinimum(j);
    for (Integer k = 1; k < j; ++k) {
      if (!FActive[k]) continue;
      if (FArg[k] == i || FArg[k] == j) {
        RowMinimum(k);
        continue;
      }
      const Extended v = Dk[k];
      if (v < FBest[k] || (v == FBest[k] && j < FArg[k])) {
        FBest[k] = v;
        FArg[k] = j;
      }
    }
  }

private:
  void RowMinimum(Integer k) {
    // Row k beyond the diagonal is column k below it (the matrix is symmetric).
    const double* col = FD.ColumnPtr(k);
    Extended best = uc_MaxReal;
    Integer arg = 0;
    for (Integer j = k + 1; j <= Fn; ++j)
      if (FActive[j] && col[j - 1] < best) {
        best = col[j - 1];
        arg = j;
      }
    FBest[k] = best;
    FArg[k] = arg;
  }

  TMatrix& FD;
  Integer Fn;
  std::vector<bool> FActive;
  std::vector<Extended> FBest;
  std::vector<Integer> FArg;
};

// The Lance-Williams distance of the merged cluster (i + j) to the cluster at k.
double MergedDistance(TClusterMethod Method, double Alpha, double Dik, double Djk, double Dij,
                      double Si, double Sj, double Sk) {
  switch (Method) {
    case cmSingleLink: return std::min(Dik, Djk);
    case cmCompleteLink: return std::max(Dik, Djk);
    case cmWard: return (Dik * (Si + Sk) + Djk * (Sj + Sk) - Dij * Sk) / (Si + Sj + Sk);
    case cmAvgLink: return (Dik + Djk) / 2;
    case cmFlexLink: return Alpha * (Dik + Djk) + (1 - 2 * Alpha) * Dij;
    case cmUpgma: return Dik * Si / (Si + Sj) + Djk * Sj / (Si + Sj);
  }
  return 0;
}

void ZeroResults(TIntMatrix* MergeTable, TVector* MergeDist, TVector* Positions) {
  Positions->Clear();
  MergeTable->Fill(0);
  MergeDist->Clear();
}

// Leaves in dendrogram order: the root's parts in column order, every inner cluster's parts in
// reverse column order (column 2, then column 1).
std::vector<Integer> LeafOrder(const std::vector<std::array<Integer, 2>>& Parts, Integer n) {
  std::vector<Integer> order;
  order.reserve(static_cast<std::size_t>(n));
  std::vector<Integer> stack{Parts[n - 1][1], Parts[n - 1][0]};
  while (!stack.empty()) {
    const Integer c = stack.back();
    stack.pop_back();
    if (c <= n) {
      order.push_back(c);
    } else {
      stack.push_back(Parts[c - n][0]);
      stack.push_back(Parts[c - n][1]);
    }
  }
  return order;
}

}  // namespace

Integer AgglomClustering(TObject* Sender, TMatrix* DataMat, TDistMode DistMode,
                         TClusterMethod ClusterMethod, double Alpha, TIntMatrix* MergeTable,
                         TVector* MergeDist, TVector* Positions, TClusterFeedBackProc FeedBackProc,
                         TOnCalcDistanceEvent DistEvent) {
  if (DataMat == nullptr || MergeTable == nullptr || MergeDist == nullptr || Positions == nullptr)
    throw ESDLMath2Error(
        "AgglomClustering: DataMat, MergeTable, MergeDist and/or Positions is undefined");
  const Integer n = DataMat->NrOfRows();
  if (n < 2) throw ESDLMath2Error("AgglomClustering: at least two objects are needed");

  if (FeedBackProc != nullptr) FeedBackProc(Sender, ProcStat.load(), 0);
  if (!(Alpha >= AlphaLow)) Alpha = AlphaLow;
  if (Alpha > AlphaHigh) Alpha = AlphaHigh;

  TMatrix D(nullptr);
  {
    // The caller's Sender reaches the distance event, not the data matrix.
    TOnCalcDistanceEvent event;
    if (DistEvent)
      event = [&DistEvent, Sender](TObject*, Integer Row1, Integer Row2, double& Distance) {
        DistEvent(Sender, Row1, Row2, Distance);
      };
    TDistEventSwap swap(DataMat, std::move(event));
    D.Resize(n, n);
    DataMat->CalcDistMat(DistMode, &D);
  }
  if (MergeTable->NrOfColumns() != 3 || MergeTable->NrOfRows() != n - 1)
    MergeTable->Resize(3, n - 1);
  if (MergeDist->NrOfElem() != n - 1) MergeDist->Resize(n - 1);
  if (Positions->NrOfElem() != 2 * n - 1) Positions->Resize(2 * n - 1);

  // Label and size of the cluster at each position (0 once retired).
  std::vector<Integer> label(static_cast<std::size_t>(n) + 1);
  std::vector<double> size(static_cast<std::size_t>(n) + 1, 1.0);
  for (Integer k = 1; k <= n; ++k) label[k] = k;
  // Parts[s] and the distance of merge step s (index 0 unused).
  std::vector<std::array<Integer, 2>> parts(static_cast<std::size_t>(n));
  std::vector<double> dist(static_cast<std::size_t>(n));
  AbortMathProc = false;

  TClusterDistances dm(D, n);
  std::vector<double> dk(static_cast<std::size_t>(n) + 1);
  for (Integer s = 1; s <= n - 1; ++s) {
    const double now = ProcStat.fetch_add(1.0, std::memory_order_relaxed) + 1.0;
    if (FeedBackProc != nullptr) FeedBackProc(Sender, now, 100.0 * s / n);
    if (AbortMathProc) {
      ZeroResults(MergeTable, MergeDist, Positions);
      return -1;
    }
    Integer i = 0, j = 0;
    double dij = 0;
    if (!dm.Closest(i, j, dij)) {
      ZeroResults(MergeTable, MergeDist, Positions);
      throw ESDLMath2Error("AgglomClustering: no pair of clusters with a valid distance left");
    }
    for (Integer k = 1; k <= n; ++k)
      dk[k] = MergedDistance(ClusterMethod, Alpha, dm.Get(i, k), dm.Get(j, k), dij, size[i],
                             size[j], size[k]);
    dm.Merge(i, j, dk);
    parts[s] = {label[i], label[j]};
    dist[s] = dij;
    label[j] = n + s;
    size[j] += size[i];
    label[i] = 0;
    size[i] = 0;
  }

  std::vector<double> pos(2 * static_cast<std::size_t>(n));
  const std::vector<Integer> order = LeafOrder(parts, n);
  for (std::size_t q = 0; q < order.size(); ++q) pos[order[q]] = static_cast<double>(q + 1);
  for (Integer s = 1; s <= n - 1; ++s) pos[n + s] = (pos[parts[s][0]] + pos[parts[s][1]]) / 2;

  for (Integer s = 1; s <= n - 1; ++s) {
    MergeTable->SetVal(1, s, parts[s][0]);
    MergeTable->SetVal(2, s, parts[s][1]);
    MergeTable->SetVal(3, s, n + s);
  }
  std::copy(dist.begin() + 1, dist.end(), MergeDist->DataPtr());
  MergeDist->SetIsEmpty(false);
  MergeDist->Changed();
  std::copy(pos.begin() + 1, pos.end(), Positions->DataPtr());
  Positions->SetIsEmpty(false);
  Positions->Changed();
  return 0;
}
