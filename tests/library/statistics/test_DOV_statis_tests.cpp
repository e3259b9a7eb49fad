// Statistical tests: test statistics and p-values against Boost.Math's distributions (used by
// this test only) on small data sets whose answers are worked out here, the Wilcoxon table
// against a brute-force count of sign patterns, and the Dean-Dixon table's shape.

#include <gtest/gtest.h>

#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "DOV_dstruct.h"
#include "DOV_statis_tests.h"
#include "DOV_vector.h"

namespace bm = boost::math;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

std::unique_ptr<TVector> Vec(std::initializer_list<double> values) {
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(static_cast<Integer>(values.size()));
  Integer i = 1;
  for (double x : values) v->SetVal(i++, x);
  return v;
}

std::unique_ptr<TVector> Vec(const std::vector<double>& values) {
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(static_cast<Integer>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) v->SetVal(Integer(i + 1), values[i]);
  return v;
}

std::unique_ptr<TIntVector> Labels(std::initializer_list<Integer> values) {
  auto v = std::make_unique<TIntVector>(nullptr);
  v->Resize(static_cast<Integer>(values.size()));
  Integer i = 1;
  for (Integer x : values) v->SetVal(i++, x);
  return v;
}

double Mean(const std::vector<double>& x) {
  double s = 0;
  for (double v : x) s += v;
  return s / x.size();
}

double Var(const std::vector<double>& x) {
  const double m = Mean(x);
  double s = 0;
  for (double v : x) s += (v - m) * (v - m);
  return s / (x.size() - 1);
}

template <class F>
std::string Raised(F f) {
  try {
    f();
  } catch (const ESDLStatisError& e) {
    return e.Message;
  }
  return "(nothing raised)";
}

}  // namespace

// ---- outliers ------------------------------------------------------------------------------

TEST(DeanDixon, TheTellingRowsStandAsPublished) {
  struct {
    Integer n;
    double values[9];
  } rows[] = {
      {3, {0.999, 0.998, 0.994, 0.988, 0.976, 0.941, 0.886, 0.782, 0.501}},
      {8, {0.799, 0.769, 0.724, 0.682, 0.633, 0.554, 0.480, 0.386, 0.211}},
      {14, {0.732, 0.708, 0.672, 0.640, 0.603, 0.546, 0.491, 0.422, 0.287}},
      {100, {0.387, 0.368, 0.341, 0.317, 0.292, 0.253, 0.219, 0.179, 0.111}},
  };
  for (const auto& row : rows)
    for (int level = 0; level < 9; ++level)
      EXPECT_EQ(DeanDixonCriticalValues(row.n, TSignifLevelEx(level)), row.values[level])
          << row.n << " " << level;
  EXPECT_EQ(DeanDixonCriticalValues(2, Dot050), -1);
  EXPECT_EQ(DeanDixonCriticalValues(101, Dot050), -1);
}

TEST(DeanDixon, TheTableFallsAlongRowsAndDownColumnsAndRisesWhereTheRatioChanges) {
  for (Integer n = 3; n <= 100; ++n)
    for (int level = 1; level < 9; ++level)
      EXPECT_LT(DeanDixonCriticalValues(n, TSignifLevelEx(level)),
                DeanDixonCriticalValues(n, TSignifLevelEx(level - 1)))
          << n << " " << level;
  for (Integer n = 4; n <= 100; ++n) {
    const bool ratioChanges = n == 8 || n == 11 || n == 14;
    for (int level = 0; level < 9; ++level) {
      const double here = DeanDixonCriticalValues(n, TSignifLevelEx(level));
      const double before = DeanDixonCriticalValues(n - 1, TSignifLevelEx(level));
      if (ratioChanges)
        EXPECT_GT(here, before) << n << " " << level;
      else
        EXPECT_LE(here, before) << n << " " << level;
    }
  }
}

TEST(DeanDixon, FindsTheOutlierAndNamesItsIndex) {
  double Q = -1;
  EXPECT_EQ(DeanDixonTest(Vec({3, 5, 6}).get(), Dot050, Q), 0);
  EXPECT_DOUBLE_EQ(Q, 2.0 / 3);
  EXPECT_EQ(DeanDixonTest(Vec({1, 2, 3, 4, 100}).get(), Dot050, Q), 5);
  EXPECT_DOUBLE_EQ(Q, 96.0 / 99);
  // A low outlier, listed second; equal values give no ratio (0).
  EXPECT_EQ(DeanDixonTest(Vec({50, -100, 51, 52, 53, 54}).get(), Dot050, Q), 2);
  EXPECT_EQ(DeanDixonTest(Vec({7, 7, 7, 7}).get(), Dot500, Q), 0);
  EXPECT_EQ(Q, 0);
  EXPECT_EQ(Raised([] {
              double q;
              DeanDixonTest(Vec({1, 2}).get(), Dot050, q);
            }),
            "DeanDixonTest: number of data points is too low");
  EXPECT_EQ(Raised([] {
              double q;
              DeanDixonTest(Vec(std::vector<double>(101, 1.0)).get(), Dot050, q);
            }),
            "DeanDixonTest: number of data points is too high");
}

TEST(Grubbs, CriticalValueFollowsTheTQuantileAndTheTestFindsTheOutlier) {
  for (Integer n : {3, 10, 50}) {
    const double t = bm::quantile(bm::students_t(n - 2), 1 - 0.05 / (2 * n));
    const double want = (n - 1) / std::sqrt(double(n)) * std::sqrt(t * t / (n - 2 + t * t));
    EXPECT_NEAR(GrubbsCriticalValues(n, 0.05, true), want, 1e-5) << n;  // quantile to 1e-8 in p
  }
  EXPECT_EQ(GrubbsCriticalValues(2, 0.05, true), -1);
  EXPECT_EQ(GrubbsCriticalValues(10, 0, true), -1);
  EXPECT_EQ(GrubbsCriticalValues(10, 1, true), -1);

  double G = -1;
  EXPECT_EQ(GrubbsTest(Vec({5, 5, 5, 5, 5}).get(), 0.05, G), 0);
  EXPECT_EQ(G, 0);
  const std::vector<double> data = {10.1, 9.8, 10.0, 10.2, 9.9, 10.0, 15.0, 10.1};
  EXPECT_EQ(GrubbsTest(Vec(data).get(), 0.05, G), 7);
  EXPECT_NEAR(G, (15.0 - Mean(data)) / std::sqrt(Var(data)), 1e-12);
  EXPECT_EQ(Raised([] {
              double g;
              GrubbsTest(Vec({1, 2, 3}).get(), 0.05, g);
            }),
            "GrubbsTest: number of data points is too low");
  EXPECT_EQ(Raised([] {
              double g;
              GrubbsTest(Vec({1, 2, 3}).get(), 1.5, g);
            }),
            "GrubbsTest: invalid level of significance");
}

// ---- normality -----------------------------------------------------------------------------

TEST(Normality, KolmogorovSmirnovAndLillieforsStatistics) {
  EXPECT_DOUBLE_EQ(PerformKSNormalityTest(Vec({0}).get(), false), 0.5);
  // D over both steps of the empirical distribution, on data given unsorted (sorted in place).
  const std::vector<double> data = {0.3, -1.2, 2.0, 0.1, -0.4};
  std::vector<double> sorted = data;
  std::sort(sorted.begin(), sorted.end());
  double want = 0;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const double f = bm::cdf(bm::normal(), sorted[i]);
    want = std::max({want, std::fabs((i + 1.0) / 5 - f), std::fabs(i / 5.0 - f)});
  }
  auto v = Vec(data);
  EXPECT_NEAR(PerformKSNormalityTest(v.get(), false), want, 1e-8);
  for (Integer i = 1; i <= 5; ++i) EXPECT_EQ(v->GetVal(i), sorted[std::size_t(i - 1)]);

  // Lilliefors: the same statistic of the standardised values; shift and scale do not matter.
  auto a = Vec(data), b = Vec({2.2, -3.8, 9.0, 1.4, -0.6});  // 4 x + 1
  EXPECT_NEAR(PerformLillieforsTest(a.get(), false), PerformLillieforsTest(b.get(), false), 1e-12);
  double mean, var;
  a->MeanVar(0, 0, mean, var);
  EXPECT_NEAR(mean, 0, 1e-15);
}

TEST(ShapiroWilk, NormalLookingDataPassAndSkewedDataFail) {
  // Normal scores of 20 values: W near 1, p large.
  std::vector<double> scores;
  for (int i = 1; i <= 20; ++i) scores.push_back(bm::quantile(bm::normal(), (i - 0.375) / 20.25));
  std::reverse(scores.begin(), scores.end());  // given descending: sorted in place
  auto v = Vec(scores);
  double PW, W = 0;
  EXPECT_EQ(ShapiroWilkTest(v.get(), 0, PW, W), 0);
  EXPECT_GT(W, 0.98);
  EXPECT_GT(PW, 0.5);
  EXPECT_LE(PW, 1);
  EXPECT_LT(v->GetVal(1), v->GetVal(20));

  // Exponential scores: clearly not normal.
  std::vector<double> skewed;
  for (int i = 1; i <= 30; ++i) skewed.push_back(-std::log(1 - (i - 0.5) / 30));
  W = 0;
  EXPECT_EQ(ShapiroWilkTest(Vec(skewed).get(), 0, PW, W), 0);
  EXPECT_LT(W, 0.9);
  EXPECT_LT(PW, 0.01);

  // Powers 1^k .. n^k: p far below what 1 - (1 - p) can hold, taken from the upper tail
  // itself. The p-values are the normalised W's upper tail worked out with Boost.Math.
  const struct {
    int n, power;
    double p;
  } powers[] = {{30, 2, 0.00909978747}, {100, 4, 2.02437416e-11}, {1000, 3, 1.01625526e-31}};
  for (const auto& c : powers) {
    std::vector<double> data;
    for (int i = 1; i <= c.n; ++i) data.push_back(std::pow(double(i), c.power));
    W = 0;
    EXPECT_EQ(ShapiroWilkTest(Vec(data).get(), 0, PW, W), 0);
    EXPECT_LT(W, 0.91) << c.n;
    EXPECT_NEAR(PW / c.p, 1, 1e-6) << c.n << " " << PW;
  }

  // Three equally spaced values: W = 1 and p = 1 up to the library's pi / 3 of 1.047198.
  W = 0;
  EXPECT_EQ(ShapiroWilkTest(Vec({1, 2, 3}).get(), 0, PW, W), 0);
  EXPECT_NEAR(W, 1, 1e-12);
  EXPECT_NEAR(PW, 1, 1e-6);
}

TEST(ShapiroWilk, ResultCodes) {
  double PW, W = 0;
  EXPECT_EQ(ShapiroWilkTest(Vec({1, 2}).get(), 0, PW, W), 1);
  W = -5;
  EXPECT_EQ(ShapiroWilkTest(Vec({4, 4, 4, 4}).get(), 0, PW, W), 6);
  EXPECT_EQ(W, -5);  // a negative W on entry is kept on the early returns
  EXPECT_EQ(PW, 1);
  std::vector<double> ten;
  for (int i = 0; i < 10; ++i) ten.push_back(i * i);
  EXPECT_EQ(ShapiroWilkTest(Vec(ten).get(), -1, PW, W), 4);
  EXPECT_EQ(ShapiroWilkTest(Vec(ten).get(), 2, PW, W), 4);   // censored below N = 20
  EXPECT_EQ(ShapiroWilkTest(Vec(ten).get(), 41, PW, W), 5);  // more than 80 % censored
  W = 0;
  EXPECT_EQ(ShapiroWilkTest(Vec(ten).get(), 12, PW, W), 0);  // 22 values, 12 censored
  EXPECT_GE(PW, 0);
  EXPECT_LE(PW, 1);
}

// ---- Wilcoxon ------------------------------------------------------------------------------

namespace {

// The critical value by enumerating all 2^n sign patterns.
Integer BruteForceWilcoxon(Integer n, double alpha) {
  std::vector<std::uint64_t> count(std::size_t(n * (n + 1) / 2 + 1), 0);
  for (std::uint64_t pattern = 0; pattern < (std::uint64_t(1) << n); ++pattern) {
    Integer t = 0;
    for (Integer r = 1; r <= n; ++r)
      if (pattern >> (r - 1) & 1) t += r;
    ++count[std::size_t(t)];
  }
  const double patterns = std::ldexp(1.0, n);
  std::uint64_t cumulative = 0;
  Integer critical = 0;
  for (std::size_t t = 0; t < count.size(); ++t) {
    cumulative += count[t];
    if (cumulative / patterns > alpha / 2 * (1 + 1e-12)) break;
    critical = Integer(t);
  }
  return critical;
}

}  // namespace

TEST(Wilcoxon, TableEqualsTheCountOfSignPatterns) {
  for (Integer n = 6; n <= 16; ++n)
    for (Integer c = 1; c <= 5; ++c)
      EXPECT_EQ(WilcoxonSRTableValue(n, c), BruteForceWilcoxon(n, WilcoxonAlphas[c - 1]))
          << n << " " << c;
  const struct {
    Integer n;
    Integer values[5];
  } rows[] = {{8, {5, 3, 1, 0, 0}},
              {10, {10, 8, 5, 3, 0}},
              {20, {60, 52, 43, 37, 21}},
              {100, {2045, 1955, 1850, 1779, 1578}}};
  for (const auto& row : rows)
    for (Integer c = 1; c <= 5; ++c) EXPECT_EQ(WilcoxonSRTableValue(row.n, c), row.values[c - 1]);
  EXPECT_EQ(WilcoxonSRTableValue(5, 1), -1);
  EXPECT_EQ(WilcoxonSRTableValue(101, 1), -1);
  EXPECT_EQ(WilcoxonSRTableValue(20, 6), -1);
}

TEST(Wilcoxon, QuantileFromTheParabolaAndTheNormalApproximation) {
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.05, true), 52);
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.025, false), 52);  // one-sided at half the level
  EXPECT_EQ(WilcoxonSRQuantile(7, 0.05, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.3, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.0001, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(1000001, 0.05, true), -1);
  for (Integer n : {8, 9, 10, 30, 100})  // approximate, but close to the table at its levels
    for (Integer c = 1; c <= 4; ++c)
      EXPECT_NEAR(WilcoxonSRQuantile(n, WilcoxonAlphas[c - 1], true), WilcoxonSRTableValue(n, c),
                  std::max(2.0, 0.01 * WilcoxonSRTableValue(n, c)))
          << n << " " << c;
  const double n = 200;
  const double z = -bm::quantile(bm::normal(), 0.025);
  const double want = n * (n + 1) / 4 - z * std::sqrt(n * (n + 1) * (2 * n + 1) / 24);
  EXPECT_EQ(WilcoxonSRQuantile(200, 0.05, true), std::nearbyint(want));
}

// ---- analysis of variance ------------------------------------------------------------------

TEST(Anova, SumsOfSquaresAndPValueOfAWorkedExample) {
  // Groups {1, 2, 3}, {4, 5, 6}, {7, 8, 9, 10} (labels interleaved): grand mean 5.5.
  auto data = Vec({1, 4, 7, 2, 5, 8, 3, 6, 9, 10});
  auto classes = Labels({3, 1, 2, 3, 1, 2, 3, 1, 2, 2});
  double ssb, ssw, sst, F;
  Integer dfb, dfw, dft;
  const double p = Anova1F(data.get(), classes.get(), ssb, ssw, sst, dfb, dfw, dft, F);
  // SS within: 2 + 2 + 5 = 9; SS total: 82.5; between: 73.5.
  EXPECT_NEAR(ssw, 9, 1e-12);
  EXPECT_NEAR(sst, 82.5, 1e-12);
  EXPECT_NEAR(ssb, 73.5, 1e-12);
  EXPECT_EQ(dfb, 2);
  EXPECT_EQ(dfw, 7);
  EXPECT_EQ(dft, 9);
  EXPECT_NEAR(F, (73.5 / 2) / (9.0 / 7), 1e-12);
  EXPECT_NEAR(p, bm::cdf(bm::complement(bm::fisher_f(2, 7), F)), 1e-7);
}

TEST(Anova, Codes) {
  double ssb = -9, ssw = -9, sst = -9, F = -9;
  Integer dfb = -9, dfw = -9, dft = -9;
  EXPECT_EQ(Anova1F(Vec({1, 2, 3}).get(), Labels({4, 4, 4}).get(), ssb, ssw, sst, dfb, dfw, dft, F),
            -1);
  EXPECT_EQ(Anova1F(Vec({1, 2, 3}).get(), Labels({1, 2, 3}).get(), ssb, ssw, sst, dfb, dfw, dft, F),
            -2);
  EXPECT_EQ(ssb, -9);  // nothing written
  EXPECT_EQ(F, -9);
  EXPECT_EQ(
      Anova1F(Vec({5, 5, 5, 5}).get(), Labels({1, 2, 1, 2}).get(), ssb, ssw, sst, dfb, dfw, dft, F),
      -3);
  EXPECT_EQ(F, 0);
  // Groups without spread of their own but apart: F is the library's largest real, p 0.
  EXPECT_EQ(
      Anova1F(Vec({1, 1, 2, 2}).get(), Labels({1, 1, 2, 2}).get(), ssb, ssw, sst, dfb, dfw, dft, F),
      0);
  EXPECT_FLOAT_EQ(F, 1.7e38f);
}

TEST(Anova, BadlyCentredDataKeepTheirWithinSumOfSquares) {
  // Values near 1e8 with a spread of 1: the raw sums cancel 16 digits in double precision.
  auto data = Vec({1e8 + 1, 1e8 + 2, 1e8 + 3, 1e8 + 2, 1e8 + 3, 1e8 + 4});
  auto classes = Labels({1, 1, 1, 2, 2, 2});
  double ssb, ssw, sst, F;
  Integer dfb, dfw, dft;
  Anova1F(data.get(), classes.get(), ssb, ssw, sst, dfb, dfw, dft, F);
  EXPECT_NEAR(ssw, 4, 1e-3);
  EXPECT_NEAR(ssb, 1.5, 1e-3);
}

// ---- runs ----------------------------------------------------------------------------------

namespace {

std::unique_ptr<TBitFld> Bits(const std::vector<int>& bits) {
  auto b = std::make_unique<TBitFld>(nullptr);
  b->SetSize(Integer(bits.size()) - 1);  // bits 0 .. size
  for (std::size_t i = 0; i < bits.size(); ++i) b->SetBit(Integer(i), bits[i] != 0);
  return b;
}

}  // namespace

TEST(Runs, ExactBranchMeasuresTheLowerTail) {
  double p;
  EXPECT_TRUE(RunsTest(Bits({0, 0, 0, 0, 0, 1, 1, 1, 1, 1}).get(), p));
  EXPECT_NEAR(p, 2.0 / 252, 1e-12);
  EXPECT_FALSE(RunsTest(Bits({0, 1, 0, 1, 0, 1, 0, 1, 0, 1}).get(), p));
  EXPECT_NEAR(p, 1, 1e-12);
  // P(R <= r) over every possible r sums the whole distribution.
  // (The coefficients come from exp(ln C), so large ones carry lnGamma's 1e-10.)
  for (auto [a, b] : {std::pair{3, 4}, {5, 5}, {25, 20}})
    EXPECT_NEAR(ExactRunsTest(a, b, a + b), 1, 1e-9) << a << " " << b;
  // 3 and 4 items, at most 3 runs: f(2) = 2, f(3) = C(2,1) C(3,0) + C(2,0) C(3,1) = 5.
  EXPECT_NEAR(ExactRunsTest(4, 3, 3), 7.0 / 35, 1e-12);
}

TEST(Runs, NormalBranchBeyondTwentyFiveOfAKind) {
  // 30 zeros then 30 ones: 2 runs.
  std::vector<int> bits(60, 0);
  for (int i = 30; i < 60; ++i) bits[std::size_t(i)] = 1;
  double p;
  EXPECT_TRUE(RunsTest(Bits(bits).get(), p));
  const double a = 30, b = 30;
  const double s = std::sqrt(2 * a * b * (2 * a * b - a - b) / ((a + b) * (a + b) * (a + b - 1)));
  EXPECT_NEAR(p, bm::cdf(bm::normal(), (2 - 2 * a * b / (a + b) - 1) / s), 1e-9);
}

TEST(Runs, SerialTestReadsExactlyOneBitPerValue) {
  // Ten values: five below the median, then five above: two runs. A spurious eleventh bit
  // (0) would add a third run and a zero to the count.
  double p;
  EXPECT_TRUE(RunsTestSerial(Vec({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).get(), p));
  EXPECT_NEAR(p, 2.0 / 252, 1e-12);
  EXPECT_FALSE(RunsTestSerial(Vec({1, 10, 2, 9, 3, 8, 4, 7, 5, 6}).get(), p));
  EXPECT_FALSE(RunsTestSerial(Vec({4}).get(), p));
  EXPECT_EQ(p, -1);
}

// ---- Mann-Whitney --------------------------------------------------------------------------

TEST(MannWhitney, CompleteSeparationHasTheProbabilityOfItsOwnArrangement) {
  double U = -1;
  // 3 and 3 values fully apart: U = 0; P(U' <= 0) = 1 / C(6, 3) = 1/20.
  EXPECT_NEAR(PerformMannWhitneyUTest(Vec({1, 2, 3}).get(), Vec({4, 5, 6}).get(), true, U), 0.05,
              1e-9);
  EXPECT_EQ(U, 0);
  EXPECT_NEAR(PerformMannWhitneyUTest(Vec({1, 2, 3}).get(), Vec({4, 5, 6}).get(), false, U), 0.1,
              1e-9);
  // Identical samples: U = n1 n2 / 2, two-sided p capped at 1.
  EXPECT_EQ(PerformMannWhitneyUTest(Vec({1, 2, 3}).get(), Vec({1, 2, 3}).get(), false, U), 1);
  EXPECT_EQ(U, 4.5);
  // 1, 2, 4 against 3, 5, 6: U = 1, P(U' <= 1) = 2/20.
  EXPECT_NEAR(PerformMannWhitneyUTest(Vec({1, 2, 4}).get(), Vec({3, 5, 6}).get(), true, U), 0.1,
              1e-9);
  EXPECT_EQ(U, 1);
  // Infinities take their ranks at the ends.
  EXPECT_NEAR(PerformMannWhitneyUTest(Vec({1, 2, -kInf}).get(), Vec({4, 5, kInf}).get(), true, U),
              0.05, 1e-9);
  EXPECT_EQ(U, 0);
}

// ---- t tests -------------------------------------------------------------------------------

TEST(TTest, ThreeVersionsAgainstTheTDistribution) {
  const std::vector<double> a = {5.1, 4.9, 5.6, 5.8, 6.0, 5.2}, b = {4.1, 4.5, 4.4, 4.9, 4.0, 4.3};
  double m1, m2, d1, d2, md, dd, t;
  Integer df;
  // Paired.
  double p = Perform2SampleTTest(Vec(a).get(), Vec(b).get(), ttPaired, false, m1, m2, d1, d2, md,
                                 dd, t, df);
  std::vector<double> diff;
  for (std::size_t i = 0; i < a.size(); ++i) diff.push_back(a[i] - b[i]);
  EXPECT_NEAR(md, Mean(diff), 1e-12);
  EXPECT_NEAR(dd, std::sqrt(Var(diff)), 1e-12);
  EXPECT_NEAR(t, std::sqrt(6.0) * Mean(diff) / std::sqrt(Var(diff)), 1e-10);
  EXPECT_EQ(df, 5);
  EXPECT_NEAR(p, 2 * bm::cdf(bm::complement(bm::students_t(5), t)), 1e-7);
  // Equal variances.
  p = Perform2SampleTTest(Vec(a).get(), Vec(b).get(), ttHomoScedastic, true, m1, m2, d1, d2, md, dd,
                          t, df);
  const double sp = std::sqrt((5 * Var(a) + 5 * Var(b)) / 10);
  EXPECT_NEAR(t, (Mean(a) - Mean(b)) / (sp * std::sqrt(1.0 / 3)), 1e-10);
  EXPECT_EQ(df, 10);
  EXPECT_NEAR(p, bm::cdf(bm::complement(bm::students_t(10), t)), 1e-7);
  EXPECT_NEAR(d1, std::sqrt(Var(a)), 1e-12);
  // Welch, unequal sizes; the degrees of freedom truncated.
  const std::vector<double> c = {3.0, 9.0, 1.0, 12.0};
  p = Perform2SampleTTest(Vec(a).get(), Vec(c).get(), ttHeteroScedastic, false, m1, m2, d1, d2, md,
                          dd, t, df);
  const double v1 = Var(a) / 6, v2 = Var(c) / 4;
  EXPECT_NEAR(t, std::fabs(Mean(a) - Mean(c)) / std::sqrt(v1 + v2), 1e-10);
  EXPECT_EQ(df, Integer(std::trunc((v1 + v2) * (v1 + v2) / (v1 * v1 / 5 + v2 * v2 / 3))));
  EXPECT_NEAR(p, 2 * bm::cdf(bm::complement(bm::students_t(df), t)), 1e-7);
}

TEST(TTest, TwoValueSamplesHaveTheirSpread) {
  // Deviations of two values are counted (n - 1), not taken as 0.
  double m1, m2, d1, d2, md, dd, t;
  Integer df;
  const double p = Perform2SampleTTest(Vec({1, 3}).get(), Vec({6, 10}).get(), ttHomoScedastic,
                                       false, m1, m2, d1, d2, md, dd, t, df);
  EXPECT_NEAR(d1, std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(d2, std::sqrt(8.0), 1e-12);
  EXPECT_NEAR(t, (2.0 - 8.0) / (std::sqrt(5.0) * 1), 1e-12);
  EXPECT_EQ(df, 2);
  EXPECT_NEAR(p, 2 * bm::cdf(bm::students_t(2), t), 1e-7);
  // Two pairs whose differences differ: a paired test with one degree of freedom.
  EXPECT_NO_THROW(Perform2SampleTTest(Vec({1, 3}).get(), Vec({0, 1}).get(), ttPaired, false));
}

TEST(TTest, Errors) {
  const struct {
    std::vector<double> a, b;
    TtTestVersion version;
    const char* message;
  } cases[] = {
      {{1, 2, 3, 4, 5},
       {1, 2, 3, 4, 5, 6},
       ttPaired,
       "Perform2SampleTTest: paired t-test requires equal number of data points"},
      {{1, 2}, {0, 1}, ttPaired, "Perform2SampleTTest: standard deviation of paired is zero"},
      {{2, 2}, {3, 3}, ttHomoScedastic, "Perform2SampleTTest: pooled standard deviation is zero"},
      {{2, 2}, {3, 3}, ttHeteroScedastic, "Perform2SampleTTest: pooled standard deviation is zero"},
      {{1}, {1, 2, 3}, ttHeteroScedastic, "Perform2SampleTTest: number of data points is too low"},
      {{1, 2, 3}, {7}, ttHomoScedastic, "Perform2SampleTTest: number of data points is too low"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Raised([&] { Perform2SampleTTest(Vec(c.a).get(), Vec(c.b).get(), c.version, true); }),
              c.message);
}

// ---- data the tests cannot judge ----------------------------------------------------------

TEST(NonFiniteData, IsTheTestsError) {
  // A NaN compares with nothing and an infinity has no mean: each test refuses them rather
  // than reporting a result (or, in the rank test's tie loop, running forever).
  const struct {
    std::vector<double> data;
    const char* routine;
    std::string message;
  } cases[] = {
      {{1, 2, kNaN, 4, 5, 6, 7},
       "Mann-Whitney",
       "PerformMannWhitneyUTest: data contain a value that is not a number"},
      {{kNaN, kNaN, kNaN},
       "Mann-Whitney",
       "PerformMannWhitneyUTest: data contain a value that is not a number"},
      {{1, 2, 3, kNaN, 5, 1.5, 2.5},
       "Shapiro-Wilk",
       "Shapiro-Wilk test: data contain a value that is not finite"},
      {{1, 2, 3, kInf, 5, 1.5, 2.5},
       "Shapiro-Wilk",
       "Shapiro-Wilk test: data contain a value that is not finite"},
      {{-kInf, 2, 3, -1, 5, 1.5, 2.5},
       "Shapiro-Wilk",
       "Shapiro-Wilk test: data contain a value that is not finite"},
      {{1, 2, 3, kNaN, 5}, "Grubbs", "GrubbsTest: data contain a value that is not finite"},
      {{1, 2, 3, kInf, 5}, "Grubbs", "GrubbsTest: data contain a value that is not finite"},
      {{1, 2, kNaN, 4}, "t paired", "Perform2SampleTTest: data contain a value that is not finite"},
      {{1, 2, kInf, 4},
       "t equal variances",
       "Perform2SampleTTest: data contain a value that is not finite"},
      {{1, 2, kNaN, 4}, "t Welch", "Perform2SampleTTest: data contain a value that is not finite"},
  };
  const std::map<std::string, std::function<void(const std::vector<double>&)>> run = {
      {"Mann-Whitney",
       [](const std::vector<double>& x) {
         double U;
         PerformMannWhitneyUTest(Vec(x).get(), Vec({1, 2, 3}).get(), false, U);
       }},
      {"Shapiro-Wilk",
       [](const std::vector<double>& x) {
         double PW, W = 0;
         ShapiroWilkTest(Vec(x).get(), 0, PW, W);
       }},
      {"Grubbs",
       [](const std::vector<double>& x) {
         double G;
         GrubbsTest(Vec(x).get(), 0.05, G);
       }},
      {"t paired",
       [](const std::vector<double>& x) {
         Perform2SampleTTest(Vec(x).get(), Vec({4, 3, 2, 1}).get(), ttPaired, false);
       }},
      {"t equal variances",
       [](const std::vector<double>& x) {
         Perform2SampleTTest(Vec({4, 3, 2}).get(), Vec(x).get(), ttHomoScedastic, false);
       }},
      {"t Welch",
       [](const std::vector<double>& x) {
         Perform2SampleTTest(Vec({4, 3, 2}).get(), Vec(x).get(), ttHeteroScedastic, false);
       }},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Raised([&] { run.at(c.routine)(c.data); }), c.message) << c.routine;
}

TEST(ScaledData, GiveTheAnswersOfTheDataAsGiven) {
  // Every statistic here is free of the data's scale: at 1e300 the squares overflow, at 1e-300
  // they underflow, and the answers must still be those of the unscaled data.
  const std::vector<double> a = {1, 2, 3, -1, 5, 1.5, 2.5}, b = {4, 3.5, 6, 5.5, 8, 4.2};
  auto scaled = [](std::vector<double> x, double s) {
    for (double& v : x) v *= s;
    return x;
  };
  struct Case {
    const char* name;
    std::function<std::vector<double>(double)> figures;  // of the data scaled by s
  };
  // t, df, p and the means and deviations in the data's units, the first sample against b.
  auto tTest = [&](std::vector<double> first, TtTestVersion version) {
    return [&, first, version](double s) {
      double m1, m2, d1, d2, md, dd, t;
      Integer df;
      const double p = Perform2SampleTTest(Vec(scaled(first, s)).get(), Vec(scaled(b, s)).get(),
                                           version, false, m1, m2, d1, d2, md, dd, t, df);
      return std::vector<double>{t, double(df), p, m1 / s, d1 / s, d2 / s, md / s, dd / s};
    };
  };
  const Case cases[] = {
      {"Grubbs",
       [&](double s) {
         double G = 0;
         const Integer ix = GrubbsTest(Vec(scaled(a, s)).get(), 0.05, G);
         return std::vector<double>{G, double(ix)};
       }},
      {"Shapiro-Wilk",
       [&](double s) {
         auto v = Vec(scaled(a, s));
         double PW, W = 0;
         const Integer code = ShapiroWilkTest(v.get(), 0, PW, W);
         return std::vector<double>{W, PW, double(code)};
       }},
      {"t paired", tTest({1, 2, 3, -1, 5, 1.5}, ttPaired)},
      {"t equal variances", tTest(a, ttHomoScedastic)},
      {"t Welch", tTest(a, ttHeteroScedastic)},
  };
  for (const Case& c : cases) {
    const std::vector<double> want = c.figures(1);
    EXPECT_NE(want[0], 0) << c.name;
    for (double s : {1e300, 1e-300, 0x1p-1000}) {
      const std::vector<double> got = c.figures(s);
      ASSERT_EQ(got.size(), want.size());
      for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 1e-12 * std::fabs(want[i])) << c.name << " " << s << " " << i;
    }
  }
  // Values that differ only in their last digits are all equal, whatever their size.
  double PW, W = 0;
  EXPECT_EQ(ShapiroWilkTest(Vec({1e-200, 1e-200 * (1 + 0x1p-52), 1e-200}).get(), 0, PW, W), 6);
}

// ---- percentile and density ----------------------------------------------------------------

TEST(Percentile, RankRoundedHalfToEvenAndCodes) {
  double value;
  TDoubleArray five = {50, 10, 40, 20, 30};
  EXPECT_EQ(PercentileOfArray(five, 50, 0, 4, value), 0);
  EXPECT_EQ(value, 30);  // k = 2
  TDoubleArray three = {3, 1, 2};
  EXPECT_EQ(PercentileOfArray(three, 50, 0, 2, value), 0);
  EXPECT_EQ(value, 3);  // k = 1.5 -> 2
  TDoubleArray range = {100, 9, 7, 8, -100};
  EXPECT_EQ(PercentileOfArray(range, 0, 1, 3, value), 0);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(range[0], 100);  // outside the range untouched
  EXPECT_EQ(range[4], -100);
  EXPECT_EQ(PercentileOfArray(range, 100, 1, 3, value), 0);  // rank 3 of 3: the largest
  EXPECT_EQ(value, 9);
  TDoubleArray withNaN = {1, 2, std::nan(""), 4, 5};  // a NaN has no place in the order
  EXPECT_EQ(PercentileOfArray(withNaN, 50, 0, 4, value), 0);
  EXPECT_TRUE(std::isnan(value));
  EXPECT_EQ(PercentileOfArray(five, 120, 0, 4, value), -2);
  EXPECT_EQ(PercentileOfArray(five, 50, 3, 2, value), -3);
  EXPECT_EQ(PercentileOfArray(five, 50, 0, 5, value), -1);
  EXPECT_EQ(value, 0);
}

namespace {
std::vector<double> ProgressSeen;
void RecordProgress(TObject*, Integer, double percent) { ProgressSeen.push_back(percent); }
}  // namespace

TEST(Density, GaussianKernelsIntegrateToOne) {
  auto data = Vec({2.0, -1.0, 0.0, 0.5, 3.0});
  TVector density(nullptr);
  Integer minIx, maxIx;
  ProgressSeen.clear();
  EstimateProbDensity(data.get(), &density, -10, 12, 1, 1.5, 2200, minIx, maxIx, RecordProgress);
  EXPECT_EQ(density.NrOfElem(), 2201);
  EXPECT_EQ(data->GetVal(1), -1.0);  // sorted in place
  double integral = 0;
  for (Integer i = 1; i <= 2201; ++i) integral += density.GetVal(i) * 0.01;
  EXPECT_NEAR(integral, 1, 1e-3);
  EXPECT_EQ(ProgressSeen.size(), 5u + 2201u);
  EXPECT_GT(ProgressSeen.back(), 100);
  EXPECT_GE(density.GetVal(maxIx), density.GetVal(1));
  EXPECT_LE(density.GetVal(minIx), density.GetVal(maxIx));

  // A single value with width Factor: the normal density scaled by it.
  auto one = Vec({0});
  EstimateProbDensity(one.get(), &density, -2, 2, 0.5, 1, 4, minIx, maxIx, nullptr);
  EXPECT_EQ(density.NrOfElem(), 11);  // NumSteps raised to 10
  EXPECT_NEAR(density.GetVal(6), bm::pdf(bm::normal(0, 0.5), 0.0), 1e-12);
  EXPECT_EQ(maxIx, 6);
  EXPECT_EQ(minIx, 1);
}
