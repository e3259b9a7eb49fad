// TRandGen: the table's rules, the exact draws for a fixed seed (replayed here on our own copy
// of the generator's formula) and the distribution of many draws against Boost.Math's
// chi-square quantile (used by this test only).

#include <gtest/gtest.h>

#include <boost/math/distributions/chi_squared.hpp>
#include <cmath>
#include <cstdint>
#include <vector>

#include "DOV_statis_randgen.h"
#include "RtlRandom.h"

namespace {

// The process-wide generator is global state: every test starts from a known seed.
class RandGenTest : public ::testing::Test {
protected:
  void SetUp() override { InitRandomGenerator(kSeed); }
  static constexpr Cardinal kSeed = 12345;
};

// The generator's formula, independently written.
struct TLcg {
  std::uint32_t seed;
  void Step() { seed = seed * 134775813u + 1u; }
  std::int32_t Below(std::int32_t n) {
    Step();
    return std::int32_t((std::uint64_t(std::uint32_t(n)) * seed) >> 32);
  }
  double Real() {
    Step();
    return seed / 4294967296.0;
  }
};

// Pearson's statistic of counts in equal cells against expected counts.
double ChiSquare(const std::vector<double>& observed, const std::vector<double>& expected) {
  double chi = 0;
  for (std::size_t i = 0; i < observed.size(); ++i)
    chi += (observed[i] - expected[i]) * (observed[i] - expected[i]) / expected[i];
  return chi;
}

}  // namespace

TEST_F(RandGenTest, TableRules) {
  TRandGen g(nullptr);
  EXPECT_EQ(g.Resolution(), 500);
  EXPECT_EQ(g.GetProbability(500), 1);
  g.SetResolution(5);
  EXPECT_EQ(g.Resolution(), 10);
  g.SetProbability(3, 0.25);
  g.SetResolution(5000);
  EXPECT_EQ(g.Resolution(), 4000);
  EXPECT_EQ(g.GetProbability(3), 1);  // reset to uniform
  g.SetProbability(3, 1.7);
  EXPECT_EQ(g.GetProbability(3), 1);
  g.SetProbability(3, -0.2);
  EXPECT_EQ(g.GetProbability(3), 0);
  g.SetProbability(3, std::nan(""));
  EXPECT_EQ(g.GetProbability(3), 0);
  g.SetProbability(4001, 0.5);  // ignored
  EXPECT_EQ(g.GetProbability(0), 0);
  EXPECT_EQ(g.GetProbability(4001), 0);

  g.SetResolution(10);
  g.SetLowBorder(0);
  g.SetHighBorder(10);
  EXPECT_EQ(g.GetLambda(0), 0);
  EXPECT_EQ(g.GetLambda(4), 3);
  EXPECT_EQ(g.GetLambda(11), 10);
  EXPECT_EQ(g.IndexOfLambda(0), 1);
  EXPECT_EQ(g.IndexOfLambda(3.5), 4);
  EXPECT_EQ(g.IndexOfLambda(10), 11);
  EXPECT_EQ(g.IndexOfLambda(-0.1), 0);
  EXPECT_EQ(g.IndexOfLambda(10.1), 11);
}

TEST_F(RandGenTest, FillersNormalizeAndStandardize) {
  TRandGen g(nullptr);
  g.SetResolution(20);
  g.SetLowBorder(-5);
  g.SetHighBorder(5);
  for (Integer i = 1; i <= 20; ++i) g.SetProbability(i, 0);
  EXPECT_FALSE(g.Standardize());
  g.NormalDistri(0.25, 1.5);
  double largest = 0;
  for (Integer i = 1; i <= 20; ++i) largest = std::max(largest, g.GetProbability(i));
  EXPECT_LE(largest, 1);
  EXPECT_NEAR(g.GetProbability(11), std::exp(-0.5 * 0.25 * 0.25 / 2.25), 1e-15);  // x = 0
  g.Chi2Distri(3);
  for (Integer i = 1; i <= 10; ++i) EXPECT_EQ(g.GetProbability(i), 0) << i;  // edges below 0
  EXPECT_EQ(g.GetProbability(11), 0);  // chi-square density at 0 (df 3)
  EXPECT_GT(g.GetProbability(12), 0);
  g.FDistri(3, 4);
  EXPECT_EQ(g.GetProbability(11), 0);
  EXPECT_TRUE(g.Standardize());
  largest = 0;
  for (Integer i = 1; i <= 20; ++i) largest = std::max(largest, g.GetProbability(i));
  EXPECT_EQ(largest, 1);
  g.tDistri(5);
  g.Normalize();
  double smallest = 2;
  largest = -1;
  for (Integer i = 1; i <= 20; ++i) {
    smallest = std::min(smallest, g.GetProbability(i));
    largest = std::max(largest, g.GetProbability(i));
  }
  EXPECT_EQ(smallest, 0);
  EXPECT_EQ(largest, 1);
  g.UniformDistri();
  g.Normalize();  // all equal: unchanged
  EXPECT_EQ(g.GetProbability(7), 1);
}

TEST_F(RandGenTest, DrawsFollowTheGeneratorExactly) {
  TRandGen g(nullptr);
  g.SetResolution(10);
  g.SetLowBorder(0);
  g.SetHighBorder(10);
  for (Integer i = 1; i <= 10; ++i) g.SetProbability(i, i / 10.0);
  TLcg lcg{kSeed};
  for (int draw = 0; draw < 200; ++draw) {
    std::int32_t k;
    double a;
    for (;;) {
      k = lcg.Below(10);
      a = lcg.Real();
      const double p1 = (k + 1) / 10.0;
      const double b = k == 9 ? p1 * (1 - a) : p1 + a * ((k + 2) / 10.0 - p1);
      if (b >= 1 || lcg.Real() < b) break;
    }
    ASSERT_EQ(g.GetRandNum(), k + a) << draw;
  }
  // A table of zeros rejects everything and gives the position of the 100,001st try.
  for (Integer i = 1; i <= 10; ++i) g.SetProbability(i, 0);
  InitRandomGenerator(7);
  lcg.seed = 7;
  std::int32_t k = 0;
  double a = 0;
  for (int t = 0; t < 100001; ++t) {
    k = lcg.Below(10);
    a = lcg.Real();
    lcg.Real();
  }
  EXPECT_EQ(g.GetRandNum(), k + a);
  EXPECT_EQ(RandSeed, lcg.seed);
}

TEST_F(RandGenTest, ManyDrawsFitTheTable) {
  // Uniform table on [0, 10) with 500 cells: uniform, but for the last cell [9.98, 10), whose
  // density falls linearly to 0 (half the mass of a full cell).
  TRandGen g(nullptr);
  g.SetLowBorder(0);
  g.SetHighBorder(10);
  const int draws = 200000, bins = 20;
  std::vector<double> counts(bins, 0);
  int inLastCell = 0;
  for (int i = 0; i < draws; ++i) {
    const double x = g.GetRandNum();
    ASSERT_GE(x, 0);
    ASSERT_LT(x, 10);
    counts[std::size_t(x / 0.5)] += 1;
    if (x >= 9.98) ++inLastCell;
  }
  const double total = 499.5;  // cell masses: 499 full cells and a half one
  std::vector<double> expected(bins, draws * 25 / total);
  expected[bins - 1] = draws * 24.5 / total;
  const double critical = boost::math::quantile(boost::math::chi_squared(bins - 1), 0.999);
  EXPECT_LT(ChiSquare(counts, expected), critical);
  EXPECT_NEAR(inLastCell, draws * 0.5 / total, 5 * std::sqrt(draws * 0.5 / total));

  // A triangular table: weight i / 10 at the lower edge of cell i, interpolated.
  g.SetResolution(10);
  for (Integer i = 1; i <= 10; ++i) g.SetProbability(i, i / 10.0);
  std::vector<double> cells(10, 0), want(10, 0);
  for (int i = 0; i < draws; ++i) cells[std::size_t(g.GetRandNum())] += 1;
  double mass = 0;
  for (int i = 0; i < 10; ++i) {
    want[std::size_t(i)] = i < 9 ? (i + 1.5) / 10 : 0.5;  // mean weight over the cell
    mass += want[std::size_t(i)];
  }
  for (double& w : want) w *= draws / mass;
  EXPECT_LT(ChiSquare(cells, want), boost::math::quantile(boost::math::chi_squared(9), 0.999));
}
