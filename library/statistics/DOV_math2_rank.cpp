// TCurveFit's rank statistics: Kendall's tau-b and the Goodman-Kruskal gamma from one pass
// over all pairs (counts kept until the points change), and Spearman's rank correlation with
// the tie correction. Counts are 64-bit and every product of them is formed in double.

#include <cmath>
#include <memory>

#include "DOV_math1.h"
#include "DOV_math2.h"
#include "DOV_matrix.h"
#include "DOV_statis.h"
#include "DOV_univconst.h"

void TCurveFit::BasicRankCounts() {
  FKendallConcord = FKendallDiscord = FKendallTies1 = FKendallTies2 = 0;
  const Integer n = FNumData;
  if (n >= 3) {
    const double* xs = FData->ColumnPtr(1);
    const double* ys = FData->ColumnPtr(2);
    for (Integer i = 0; i < n - 1; ++i)
      for (Integer j = i + 1; j < n; ++j) {
        const double dx = xs[i] - xs[j], dy = ys[i] - ys[j];
        const double q = dx * dy;
        if (q > 0) {
          ++FKendallConcord;
        } else if (q < 0) {
          ++FKendallDiscord;
        } else {
          if (dx != 0) ++FKendallTies1;
          if (dy != 0) ++FKendallTies2;
        }
      }
  }
  FKendallValid = true;
}

double TCurveFit::KendallsTau(double& p) {
  if (!FKendallValid) BasicRankCounts();
  const double C = static_cast<double>(FKendallConcord);
  const double D = static_cast<double>(FKendallDiscord);
  const double den = std::sqrt((C + D + static_cast<double>(FKendallTies1)) *
                               (C + D + static_cast<double>(FKendallTies2)));
  if (den == 0) {
    p = 0;
    return 0;
  }
  const double tau = (C - D) / den;
  const double n = FNumData;
  const double sigma = std::sqrt((4 * n + 10) / (9 * n * (n - 1)));
  p = 1 - ErfApprox(std::fabs(tau / sigma) / static_cast<double>(uc_sqrt2));
  return tau;
}

double TCurveFit::GetKruskalGamma() {
  if (!FKendallValid) BasicRankCounts();
  const double C = static_cast<double>(FKendallConcord);
  const double D = static_cast<double>(FKendallDiscord);
  return C + D == 0 ? 0 : (C - D) / (C + D);
}

namespace {

constexpr Integer kColX = 1, kColY = 2, kColRankX = 3, kColRankY = 4;

// Ranks 1 .. n into rankCol after sorting by keyCol; runs of equal keys get their mean rank.
// Returns the tie term: the sum of (t^3 - t) / 12 over the runs.
double RankColumn(TMatrix& work, Integer n, Integer keyCol, Integer rankCol) {
  work.SortRows(keyCol, true, 1, 1, 4, n);
  const double* key = work.ColumnPtr(keyCol);
  double* rank = work.ColumnPtr(rankCol);
  double ties = 0;
  Integer first = 0;
  while (first < n) {
    Integer last = first;
    while (last + 1 < n && key[last + 1] == key[first]) ++last;
    const double t = last - first + 1;
    const double mean = (first + 1 + last + 1) / 2.0;
    for (Integer i = first; i <= last; ++i) rank[i] = t >= 2 ? mean : i + 1;
    if (t >= 2) ties += (t * t * t - t) / 12;
    first = last + 1;
  }
  work.Changed();
  return ties;
}

}  // namespace

double TCurveFit::GetSpearman() const {
  const Integer n = FNumData;
  if (n < 3) return 0;
  TMatrix work(nullptr);
  work.Clone(FData.get());
  work.Resize(4, n);
  const double tx = RankColumn(work, n, kColX, kColRankX);
  const double ty = RankColumn(work, n, kColY, kColRankY);
  TKahanSum sum(nullptr);
  const double* rx = work.ColumnPtr(kColRankX);
  const double* ry = work.ColumnPtr(kColRankY);
  for (Integer i = 0; i < n; ++i) sum.Add((rx[i] - ry[i]) * (rx[i] - ry[i]));
  const double D = sum.Sum;
  const double nn = n;
  const double w = nn * (nn * nn - 1);
  if (tx == 0 && ty == 0) return 1 - 6 * D / w;
  if (12 * tx == w || 12 * ty == w) return 0;
  return (w - 6 * (D + tx + ty)) / std::sqrt((w - 12 * tx) * (w - 12 * ty));
}
