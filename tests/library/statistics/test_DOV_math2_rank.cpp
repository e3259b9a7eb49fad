// The curve fit's rank statistics: the documented cases, and Kendall's counts and Spearman's
// coefficient against direct definitions on data with ties.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "DOV_math2.h"
#include "DOV_statis.h"

namespace {

using TPoints = std::vector<std::pair<double, double>>;

struct Rank {
  double tau, p, gamma, rho;
};

Rank RankOf(const TPoints& pts) {
  TCurveFit cf(nullptr);
  for (const auto& [x, y] : pts) cf.EnterStatValue(x, y);
  Rank r;
  r.tau = cf.KendallsTau(r.p);
  r.gamma = cf.KruskalGamma();
  r.rho = cf.SpearmanRankCorr();
  return r;
}

// Mid-ranks of v, 1-based.
std::vector<double> MidRanks(const std::vector<double>& v) {
  std::vector<double> r(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    double below = 0, equal = 0;
    for (double w : v) {
      below += w < v[i];
      equal += w == v[i];
    }
    r[i] = below + (equal + 1) / 2;
  }
  return r;
}

// Spearman's rho as the Pearson correlation of the mid-ranks (the tie-corrected form).
double PearsonOfRanks(const TPoints& pts) {
  std::vector<double> x, y;
  for (const auto& [a, b] : pts) {
    x.push_back(a);
    y.push_back(b);
  }
  const std::vector<double> rx = MidRanks(x), ry = MidRanks(y);
  const double n = static_cast<double>(pts.size()), m = (n + 1) / 2;
  double sxy = 0, sxx = 0, syy = 0;
  for (size_t i = 0; i < rx.size(); ++i) {
    sxy += (rx[i] - m) * (ry[i] - m);
    sxx += (rx[i] - m) * (rx[i] - m);
    syy += (ry[i] - m) * (ry[i] - m);
  }
  return sxy / std::sqrt(sxx * syy);
}

}  // namespace

TEST(RankStatistics, DocumentedCases) {
  const Rank up = RankOf({{1, 1}, {2, 2}, {3, 3}});
  EXPECT_EQ(up.tau, 1);
  EXPECT_EQ(up.gamma, 1);
  EXPECT_DOUBLE_EQ(up.rho, 1);
  const Rank down = RankOf({{1, 3}, {2, 2}, {3, 1}});
  EXPECT_EQ(down.tau, -1);
  EXPECT_EQ(down.gamma, -1);
  EXPECT_DOUBLE_EQ(down.rho, -1);
  const Rank tied = RankOf({{1, 1}, {2, 1}, {3, 2}});
  EXPECT_DOUBLE_EQ(tied.tau, 2 / std::sqrt(6.0));
  EXPECT_EQ(tied.gamma, 1);
  const Rank two = RankOf({{1, 1}, {2, 2}});
  EXPECT_EQ(two.tau, 0);
  EXPECT_EQ(two.p, 0);
  EXPECT_EQ(two.gamma, 0);
  EXPECT_EQ(two.rho, 0);
  const Rank sameX = RankOf({{5, 1}, {5, 2}, {5, 3}, {5, 4}});
  EXPECT_EQ(sameX.tau, 0);
  EXPECT_EQ(sameX.p, 0);
  EXPECT_EQ(sameX.gamma, 0);
  EXPECT_EQ(sameX.rho, 0);
  EXPECT_DOUBLE_EQ(RankOf({{1, 10}, {2, 30}, {3, 20}, {4, 40}}).rho, 0.8);
}

TEST(RankStatistics, PairCounts) {
  TCurveFit cf(nullptr);
  for (auto [x, y] : TPoints{{1, 1}, {2, 1}, {3, 2}}) cf.EnterStatValue(x, y);
  double p;
  cf.KendallsTau(p);
  EXPECT_EQ(cf.KendallConcordant(), 2);
  EXPECT_EQ(cf.KendallDiscordant(), 0);
  EXPECT_EQ(cf.KendallTiesY(), 1);  // tied in y only
  EXPECT_EQ(cf.KendallTiesX(), 0);
  // A new point makes the next reader count again.
  cf.EnterStatValue(0, 5);
  EXPECT_FALSE(cf.RankCountsValid());
  EXPECT_DOUBLE_EQ(cf.KruskalGamma(), (2.0 - 3.0) / 5.0);
  EXPECT_TRUE(cf.RankCountsValid());
  EXPECT_EQ(cf.KendallDiscordant(), 3);
}

TEST(RankStatistics, KendallSignificanceFromTheNormalApproximation) {
  TPoints pts;
  for (int i = 0; i < 30; ++i) pts.push_back({i, std::sin(i * 0.7) + 0.05 * i});
  const Rank r = RankOf(pts);
  const double n = 30, sigma = std::sqrt((4 * n + 10) / (9 * n * (n - 1)));
  EXPECT_NEAR(r.p, 1 - std::erf(std::fabs(r.tau / sigma) / std::sqrt(2.0)), 1.2e-7);
  EXPECT_GT(r.p, 0);
  EXPECT_LT(r.p, 1);
}

TEST(RankStatistics, SpearmanWithTiesIsThePearsonCorrelationOfMidRanks) {
  const TPoints pts = {{3, 1}, {1, 2}, {3, 2}, {2, 5}, {5, 5},
                       {3, 4}, {4, 5}, {1, 0}, {6, 7}, {2, 2}};
  EXPECT_NEAR(RankOf(pts).rho, PearsonOfRanks(pts), 1e-14);
  TPoints noTies;
  for (int i = 0; i < 40; ++i) noTies.push_back({std::cos(i * 1.3), i * 0.1 + std::sin(i)});
  EXPECT_NEAR(RankOf(noTies).rho, PearsonOfRanks(noTies), 1e-13);
}

TEST(RankStatistics, ManyPointsCountWithoutOverflow) {
  // 66,000 points have 2,177,967,000 pairs: beyond 32-bit counts (and their products overflow
  // 32 bits from a few hundred points on).
  TCurveFit cf(nullptr);
  const int n = 66000;
  for (int i = 0; i < n; ++i) cf.EnterStatValue(i, i);
  double p;
  EXPECT_EQ(cf.KendallsTau(p), 1);
  EXPECT_EQ(cf.KendallConcordant(), static_cast<Int64>(n) * (n - 1) / 2);
  EXPECT_DOUBLE_EQ(cf.SpearmanRankCorr(), 1);
}
