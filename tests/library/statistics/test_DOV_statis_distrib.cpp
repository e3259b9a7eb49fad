// Distributions and special functions against Boost.Math (used by this test only), over grids
// that reach into the tails, and against values computed with mpmath at 60 digits by
// scripts/distribution_references.py where the degrees of freedom or parameters are large. The
// special functions are held to about 1e-8 (lnGamma is a six-term Lanczos series), and the
// tolerances below say so; the CDFs of the large degrees of freedom are held to 1e-10 relative
// and the quantiles to 1e-9 relative in both tails.

#include <gtest/gtest.h>

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/hypergeometric.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/distributions/weibull.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/binomial.hpp>
#include <boost/math/special_functions/erf.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "DOV_statis.h"

namespace bm = boost::math;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// |got - want| within abs, or within rel of |want|.
::testing::AssertionResult Near(double got, double want, double abs, double rel = 0) {
  const double err = std::fabs(got - want);
  if (err <= abs || err <= rel * std::fabs(want)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "got " << got << ", want " << want << " (error " << err << ")";
}

template <class F>
double Seconds(F f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

// ---- special functions -------------------------------------------------------------------

TEST(SpecialFunctions, LnGammaMatchesBoostWhereTheSeriesHolds) {
  // The six-term series loses digits below 1 (no reflection), so the bound is wider there.
  for (double x : {0.05, 0.2, 0.5, 0.9}) EXPECT_TRUE(Near(LnGamma(x), bm::lgamma(x), 5e-9)) << x;
  for (double x : {1.0, 1.5, 2.0, 3.7, 10.0, 33.3, 100.0, 171.5, 1e4, 1e6})
    EXPECT_TRUE(Near(LnGamma(x), bm::lgamma(x), 5e-10, 2e-12)) << x;
  EXPECT_EQ(LnGamma(0), 0);
  EXPECT_EQ(LnGamma(-3.5), 0);
}

TEST(SpecialFunctions, IncompleteGammaBothBranches) {
  // x < a + 1 takes the series, the rest the continued fraction.
  for (double a : {0.5, 1.0, 2.5, 10.0, 50.0})
    for (double x : {1e-6, 0.1, 0.5, 1.0, 3.0, 9.0, 11.0, 30.0, 45.0, 60.0, 120.0})
      EXPECT_TRUE(Near(IncompleteGamma(x, a), bm::gamma_p(a, x), 2e-8)) << "a " << a << " x " << x;
  EXPECT_EQ(IncompleteGamma(0, 2), 0);
  EXPECT_EQ(IncompleteGamma(-1, 2), 0);
  EXPECT_EQ(IncompleteGamma(1, 0), 0);
}

TEST(SpecialFunctions, IncompleteGammaEndsForEveryArgument) {
  // The series has no natural end when a is infinite (every term 0); it must still return.
  const double t = Seconds([] {
    (void)IncompleteGamma(1e300, kInf);
    (void)IncompleteGamma(kNaN, 2);
    (void)IncompleteGamma(2, kNaN);
    (void)IncompleteGamma(1e12, 1e12 + 5);
    // Beyond the parameters the accuracy holds for, the library's error instead of a value.
    EXPECT_THROW((void)IncompleteGamma(1e15, 1e15), ESDLStatisError);
    EXPECT_THROW((void)IncompleteGamma(1e308, 1e308), ESDLStatisError);
    EXPECT_THROW((void)IncompleteBeta(0.5, 1e15, 1e15), ESDLStatisError);
  });
  EXPECT_LT(t, 5.0);
}

TEST(SpecialFunctions, ErrorFunctions) {
  for (double x : {-4.0, -2.0, -0.7, -1e-3, 0.0, 1e-3, 0.3, 1.0, 2.5, 5.0}) {
    EXPECT_TRUE(Near(Erf(x), bm::erf(x), 2e-8)) << x;
    // The fixed approximation is good to 1.2e-7 everywhere.
    EXPECT_TRUE(Near(ErfApprox(x), bm::erf(x), 1.2e-7)) << x;
  }
  EXPECT_EQ(Erf(0), 0);
}

TEST(SpecialFunctions, IncompleteBetaAndLnBeta) {
  for (double a : {0.5, 1.0, 2.0, 7.5, 40.0})
    for (double b : {0.5, 3.0, 12.0})
      for (double x : {1e-4, 0.05, 0.3, 0.5, 0.77, 0.95, 0.9999})
        EXPECT_TRUE(Near(IncompleteBeta(x, a, b), bm::ibeta(a, b, x), 5e-8))
            << "x " << x << " a " << a << " b " << b;
  // From the smallest parameters to the largest, x near 0 and near 1: to 1e-8 relative
  // (Boost.Math agrees with mpmath at 40 digits on this grid to 1e-9), every value in [0, 1].
  // A second parameter far below 1 makes I_x(a, b) a small tail near x = 1.
  for (double a : {1e-300, 1e-10, 0.3, 3.0, 1e6, 1e12})
    for (double b : {1e-300, 1e-10, 0.3, 3.0, 1e6, 1e12})
      for (double x : {1e-10, 0.3, 1 - 1e-6, 1 - 1e-13}) {
        const double got = IncompleteBeta(x, a, b);
        EXPECT_TRUE(Near(got, bm::ibeta(a, b, x), 0, 1e-8) && got >= 0 && got <= 1)
            << "x " << x << " a " << a << " b " << b << ": " << got;
      }
  // The ends and beyond them are exact.
  EXPECT_EQ(IncompleteBeta(0, 2, 3), 0);
  EXPECT_EQ(IncompleteBeta(1, 2, 3), 1);
  EXPECT_EQ(IncompleteBeta(1.5, 2, 3), 1);
  EXPECT_EQ(IncompleteBeta(-0.1, 2, 3), 0);
  EXPECT_TRUE(Near(LnBeta(2.5, 4), std::log(bm::beta(2.5, 4.0)), 1e-9));
  EXPECT_EQ(LnBeta(-1, 2), 0);
}

TEST(SpecialFunctions, BinomialCoefficients) {
  EXPECT_EQ(BinomCoeff(5, 2), 10);
  EXPECT_EQ(BinomCoeff(2, 5), 0);
  EXPECT_EQ(BinomCoeff(-1, 0), 0);
  EXPECT_EQ(BinomCoeff(5, -1), 0);
  EXPECT_EQ(LnBinomCoeff(2, 5), -1);
  // Exact over the whole 32-bit range, where the exponential of the log form would be off by
  // several units.
  for (Integer n : {0, 1, 10, 20, 30, 33})
    for (Integer k = 0; k <= n; ++k)
      EXPECT_EQ(BinomCoeff(n, k), static_cast<Integer>(bm::binomial_coefficient<double>(n, k)))
          << n << " " << k;
  EXPECT_EQ(BinomCoeff(2147483647, 1), 2147483647);
  EXPECT_EQ(BinomCoeff(100000, 100000), 1);
  try {
    BinomCoeff(34, 17);  // 2333606220
    FAIL() << "no exception";
  } catch (const ESDLStatisError& e) {
    EXPECT_STREQ(e.what(), "BinomCoeff: result exceeds the integer range");
  }
  EXPECT_TRUE(Near(LnBinomCoeff(60, 25), std::log(bm::binomial_coefficient<double>(60, 25)), 1e-9));
}

// ---- normal ------------------------------------------------------------------------------

TEST(NormalDistribution, DensityAndCdf) {
  const bm::normal n01;
  EXPECT_EQ(nDistriIntegral(0), 0.5);
  for (double x : {-37.0, -10.0, -8.0, -5.0, -3.0, -1.0, -0.1, 0.0, 0.2, 1.5, 3.0, 6.0, 8.0}) {
    EXPECT_TRUE(Near(nDistriDensity(x), bm::pdf(n01, x), 1e-16, 1e-14)) << x;
    EXPECT_TRUE(Near(nDistriIntegral(x), bm::cdf(n01, x), 1e-8)) << x;
    // The lower tail keeps its relative digits: Phi(-10) is 7.6e-24, not 0.
    if (x < 0) {
      EXPECT_TRUE(Near(nDistriIntegral(x), bm::cdf(n01, x), 0, 1e-12)) << x;
    }
  }
}

TEST(NormalDistribution, QuantileMeetsItsTolerance) {
  const bm::normal n01;
  EXPECT_EQ(nDistriQuantile(0), 0);
  EXPECT_EQ(nDistriQuantile(1), 0);
  EXPECT_EQ(nDistriQuantile(-0.5), 0);
  EXPECT_TRUE(Near(nDistriQuantile(0.975), 1.959964, 1e-6));
  for (double p : {1e-12, 1e-6, 0.001, 0.025, 0.2, 0.5, 0.7, 0.975, 0.999, 1 - 1e-9}) {
    const double z = nDistriQuantile(p);
    EXPECT_TRUE(Near(bm::cdf(n01, z), p, 0, 5e-8)) << p;
    const double want = bm::quantile(n01, p);
    EXPECT_TRUE(Near(z, want, 2e-8 * p / bm::pdf(n01, want))) << p;
  }
}

TEST(NormalDistribution, QuantileEndsInTheFarTail) {
  // Here (1 - P) / 2 has lost every relative digit and ln(1 - max(p, 1 - p)) is ln 0: the
  // search must neither spin nor start from infinity.
  const bm::normal n01;
  double z = 0;
  const double t = Seconds([&] {
    for (double p : {1e-20, 1e-100, 1e-300, 1e-310, 4.9e-324}) {
      z = nDistriQuantile(p);
      EXPECT_TRUE(std::isfinite(z)) << p;
      EXPECT_LT(z, -9) << p;
      if (p >= 1e-300) {
        EXPECT_TRUE(Near(z, bm::quantile(n01, p), 0, 1e-6)) << p;
      }
    }
  });
  EXPECT_LT(t, 2.0);
}

// ---- t, chi-square, F --------------------------------------------------------------------

TEST(StudentT, DensityCdfQuantile) {
  for (Integer df : {1, 2, 5, 30, 200}) {
    const bm::students_t dist(df);
    EXPECT_EQ(tDistriIntegral(0, df), 0.5);
    for (double t : {-50.0, -6.0, -2.0, -0.5, 0.0, 0.3, 1.0, 3.0, 12.0}) {
      EXPECT_TRUE(Near(tDistriDensity(t, df), bm::pdf(dist, t), 1e-9, 1e-8)) << df << " " << t;
      EXPECT_TRUE(Near(tDistriIntegral(t, df), bm::cdf(dist, t), 5e-8)) << df << " " << t;
    }
    for (double p : {1e-6, 0.001, 0.05, 0.3, 0.5, 0.8, 0.975, 0.9999}) {
      const double q = tDistriQuantile(p, df);
      EXPECT_TRUE(Near(bm::cdf(dist, q), p, 1e-7)) << df << " " << p;
    }
  }
  // For large df the quantile approaches the normal one.
  EXPECT_TRUE(Near(tDistriQuantile(0.975, 100000), nDistriQuantile(0.975), 1e-4));
  EXPECT_EQ(tDistriQuantile(0, 5), 0);
  EXPECT_EQ(tDistriQuantile(1, 5), 0);
  EXPECT_EQ(tDistriQuantile(0.5, 0), 0);
}

TEST(ChiSquare, DensityCdfQuantile) {
  for (Integer df : {1, 2, 3, 10, 60}) {
    const bm::chi_squared dist(df);
    for (double x : {0.01, 0.5, 1.0, 4.0, 10.0, 30.0, 90.0}) {
      EXPECT_TRUE(Near(Chi2DistriDensity(x, df), bm::pdf(dist, x), 1e-9, 1e-8)) << df << " " << x;
      EXPECT_TRUE(Near(chi2DistriIntegral(x, df), bm::cdf(dist, x), 2e-8)) << df << " " << x;
    }
    for (double p : {1e-6, 0.01, 0.25, 0.5, 0.9, 0.999}) {
      const double q = chi2DistriQuantile(p, df);
      EXPECT_TRUE(Near(bm::cdf(dist, q), p, 1e-7)) << df << " " << p;
    }
  }
  for (double x : {0.1, 1.0, 7.0})
    EXPECT_TRUE(Near(chi2DistriIntegral(x, 2), 1 - std::exp(-x / 2), 1e-8));
  EXPECT_EQ(Chi2DistriDensity(0, 3), 0);
  EXPECT_EQ(Chi2DistriDensity(-1, 3), 0);
  EXPECT_EQ(chi2DistriQuantile(0.5, 0), 0);
}

TEST(FisherF, DensityCdfQuantile) {
  const std::vector<std::pair<Integer, Integer>> dfs = {{1, 1}, {2, 7}, {5, 2}, {10, 30}, {40, 40}};
  for (auto [a, b] : dfs) {
    const bm::fisher_f dist(a, b);
    for (double x : {0.01, 0.3, 1.0, 2.5, 8.0, 50.0}) {
      EXPECT_TRUE(Near(FDistriDensity(x, a, b), bm::pdf(dist, x), 1e-9, 1e-8))
          << a << "," << b << " " << x;
      EXPECT_TRUE(Near(FDistriIntegral(x, a, b), bm::cdf(dist, x), 5e-8))
          << a << "," << b << " " << x;
    }
    for (double p : {1e-5, 0.05, 0.5, 0.95, 0.999}) {
      const double q = FDistriQuantile(p, a, b);
      EXPECT_TRUE(Near(bm::cdf(dist, q), p, 1e-7)) << a << "," << b << " " << p;
    }
  }
  // Below 0 the CDF is 0 (the beta argument would leave [0, 1]) and the density 0; at 0 the
  // density takes its limit.
  EXPECT_EQ(FDistriIntegral(-10, 5, 2), 0);
  EXPECT_EQ(FDistriDensity(-1, 5, 2), 0);
  EXPECT_EQ(FDistriDensity(0, 2, 9), 1);
  EXPECT_EQ(FDistriDensity(0, 4, 9), 0);
}

TEST(QuantileSearches, EndForHostileArguments) {
  // Every search is bounded, whatever the argument.
  const double t = Seconds([] {
    for (double p : {1e-300, 1e-17, 0.5, 1 - 1e-16}) {
      (void)tDistriQuantile(p, 1);
      (void)tDistriQuantile(p, 2147483647);
      (void)chi2DistriQuantile(p, 1);
      (void)chi2DistriQuantile(p, 100000000);
      (void)FDistriQuantile(p, 1, 1);
      (void)FDistriQuantile(p, 2147483647, 1);
    }
    (void)KSQuantile(0, Dot05);
    (void)KSQuantile(-5, Dot01);
  });
  EXPECT_LT(t, 20.0);
}

namespace {

// Boost's quantile, from the complement for p > 1/2 (1 - p is exact there), so that the upper
// tail is asked for exactly the probability given.
template <class Dist>
std::function<double(double)> BoostQuantile(Dist d) {
  return [d](double p) {
    return p <= 0.5 ? bm::quantile(d, p) : bm::quantile(bm::complement(d, 1 - p));
  };
}

// The probabilities of the quantile table below, and quantiles at them computed with mpmath
// (scripts/distribution_references.py) for the large degrees of freedom.
const double kTableP[] = {1e-300, 1e-100, 1e-10, 1e-6,      0.05,       0.5 - 1e-9,
                          0.5,    0.7,    0.999, 1 - 1e-10, 1 - 0x1p-53};

std::function<double(double)> Tabulated(std::vector<double> values) {
  return [values](double p) {
    for (size_t i = 0; i < values.size(); ++i)
      if (kTableP[i] == p) return values[i];
    return kNaN;
  };
}

}  // namespace

TEST(QuantileSearches, RelativeAccuracyInBothTails) {
  // Deep in the lower tail, in the upper tail down to the last probability below 1, and near
  // the median, where a symmetric quantile is close to 0: relative accuracy everywhere.
  // Where the quantile itself is too small for a double, a row starts at a larger p.
  struct Case {
    const char* name;
    std::function<double(double)> ours, reference;
    double smallestP;
  };
  const Case cases[] = {
      {"normal", nDistriQuantile, BoostQuantile(bm::normal()), 1e-300},
      {"t 1", [](double p) { return tDistriQuantile(p, 1); }, BoostQuantile(bm::students_t(1)),
       1e-300},
      {"t 5", [](double p) { return tDistriQuantile(p, 5); }, BoostQuantile(bm::students_t(5)),
       1e-300},
      {"t 200", [](double p) { return tDistriQuantile(p, 200); },
       BoostQuantile(bm::students_t(200)), 1e-300},
      {"chi2 1", [](double p) { return chi2DistriQuantile(p, 1); },
       BoostQuantile(bm::chi_squared(1)), 1e-100},
      {"chi2 2", [](double p) { return chi2DistriQuantile(p, 2); },
       BoostQuantile(bm::chi_squared(2)), 1e-300},
      {"chi2 7", [](double p) { return chi2DistriQuantile(p, 7); },
       BoostQuantile(bm::chi_squared(7)), 1e-300},
      {"chi2 1000", [](double p) { return chi2DistriQuantile(p, 1000); },
       BoostQuantile(bm::chi_squared(1000)), 1e-300},
      {"F 1,5000", [](double p) { return FDistriQuantile(p, 1, 5000); },
       BoostQuantile(bm::fisher_f(1, 5000)), 1e-100},
      {"F 10,30", [](double p) { return FDistriQuantile(p, 10, 30); },
       BoostQuantile(bm::fisher_f(10, 30)), 1e-300},
      {"F 300,3", [](double p) { return FDistriQuantile(p, 300, 3); },
       BoostQuantile(bm::fisher_f(300, 3)), 1e-300},
      {"F 1e6,1", [](double p) { return FDistriQuantile(p, 1000000, 1); },
       Tabulated({0.00072736926140419159, 0.0022024182871543795, 0.02391065917690085,
                  0.041791300127639325, 0.26031714146851419, 2.1981077290080353, 2.1981077392634176,
                  6.7352790853532565, 636619.12072405458, 6.3661934870952818e+19,
                  5.1648706115411575e+31}),
       1e-300},
      {"F 3,1e6", [](double p) { return FDistriQuantile(p, 3, 1000000); },
       Tabulated({8.0599557401061574e-201, 1.7364648246606311e-67, 1.7364650055798047e-7,
                  8.0603455441782059e-5, 0.11728206790804666, 0.78865849832869399,
                  0.78865850010177766, 1.2216252221258606, 5.4221201196478429, 16.514452739817136,
                  25.799757320616678}),
       1e-300},
  };
  for (const Case& c : cases)
    for (double p : kTableP)
      if (p >= c.smallestP) {
        EXPECT_TRUE(Near(c.ours(p), c.reference(p), 0, 1e-9)) << c.name << " p " << p;
      }
}

TEST(DistributionFunctions, LargeDegreesOfFreedomAndTheEnds) {
  // Where the degrees of freedom are large, the log-gamma prefactors cancel to the last digits
  // unless formed with care (F(1; 1e6, 1e6) is 0.5 by symmetry). mpmath's values, relative
  // tolerance 1e-10; at the ends the limits, exactly.
  struct Case {
    const char* name;
    double got, want, rel;
  };
  const Case cases[] = {
      {"F(1; 1e6, 1e6)", FDistriIntegral(1, 1000000, 1000000), 0.5, 1e-10},
      {"F(1.002; 1e6, 1e6)", FDistriIntegral(1.002, 1000000, 1000000), 0.84110289620851175, 1e-10},
      {"F(1.5708e-10; 1, 1e6)", FDistriIntegral(1.5708e-10, 1, 1000000), 1.0000009191903737e-5,
       1e-10},
      {"F(3; 3, 1e6)", FDistriIntegral(3, 3, 1000000), 0.97070863482454595, 1e-10},
      {"chi2(1e6; 1e6)", chi2DistriIntegral(1e6, 1000000), 0.5001880631966055, 1e-10},
      {"chi2(995000; 1e6)", chi2DistriIntegral(995000, 1000000), 0.00019932785963574874, 1e-10},
      {"chi2(980000; 1e6)", chi2DistriIntegral(980000, 1000000), 2.6974779042504252e-46, 1e-10},
      {"chi2(201000; 2e5)", chi2DistriIntegral(201000, 200000), 0.94289673002397129, 1e-10},
      {"t(-3; 1e6)", tDistriIntegral(-3, 1000000), 0.0013499312707108985, 1e-10},
      {"t(0.5; 1e6)", tDistriIntegral(0.5, 1000000), 0.69146240626381431, 1e-10},
      {"normal(+inf)", nDistriIntegral(kInf), 1, 0},
      {"normal(-inf)", nDistriIntegral(-kInf), 0, 0},
      {"normal(NaN)", nDistriIntegral(kNaN), kNaN, 0},
      {"t(+inf; 5)", tDistriIntegral(kInf, 5), 1, 0},
      {"t(-inf; 5)", tDistriIntegral(-kInf, 5), 0, 0},
      {"t(NaN; 5)", tDistriIntegral(kNaN, 5), kNaN, 0},
      {"chi2(1e200; 3)", chi2DistriIntegral(1e200, 3), 1, 0},
      {"chi2(inf; 3)", chi2DistriIntegral(kInf, 3), 1, 0},
      {"chi2(NaN; 3)", chi2DistriIntegral(kNaN, 3), kNaN, 0},
      {"F(inf; 2, 2)", FDistriIntegral(kInf, 2, 2), 1, 0},
      {"F(1e300; 7, 3)", FDistriIntegral(1e300, 7, 3), 1, 0},
      {"F(NaN; 2, 2)", FDistriIntegral(kNaN, 2, 2), kNaN, 0},
      // The quantile, 1.6e-600, is below the smallest double.
      {"chi2 quantile(1e-300; 1)", chi2DistriQuantile(1e-300, 1), 0, 0},
      {"normal quantile(NaN)", nDistriQuantile(kNaN), kNaN, 0},
      {"t quantile(NaN; 5)", tDistriQuantile(kNaN, 5), kNaN, 0},
      {"chi2 quantile(NaN; 3)", chi2DistriQuantile(kNaN, 3), kNaN, 0},
      {"F quantile(NaN; 2, 7)", FDistriQuantile(kNaN, 2, 7), kNaN, 0},
      // The special functions at large parameters (IncompleteGamma(x, a) is P(a, x)), where a
      // continued fraction of 100 terms is far from its value: to 1e-8 as for small ones.
      {"IncompleteGamma(1000002, 1e6)", IncompleteGamma(1000002, 1e6), 0.5009308639253803, 1e-8},
      {"IncompleteGamma(999000, 1e6)", IncompleteGamma(999000, 1e6), 0.15865521357430365, 1e-8},
      {"IncompleteGamma(1e8 + 1e4, 1e8)", IncompleteGamma(1e8 + 1e4, 1e8), 0.84134474647179881,
       1e-8},
      {"IncompleteGamma(1e9 - 2e5, 1e9)", IncompleteGamma(1e9 - 2e5, 1e9), 1.266437917018217e-10,
       1e-8},
      {"IncompleteGamma(298000, 3e5)", IncompleteGamma(298000, 3e5), 0.00012659034276665402, 1e-8},
      {"IncompleteGamma(1e-300, 0.5)", IncompleteGamma(1e-300, 0.5), 1.1283791670955126e-150, 1e-8},
      {"IncompleteGamma(1e-310, 1e-310)", IncompleteGamma(1e-310, 1e-310), 1, 1e-8},
      {"IncompleteBeta(0.5, 1e6, 1e6)", IncompleteBeta(0.5, 1e6, 1e6), 0.5, 1e-8},
      {"IncompleteBeta(0.5005, 1e6, 1e6)", IncompleteBeta(0.5005, 1e6, 1e6), 0.92135042241907533,
       1e-8},
      {"IncompleteBeta(0.9901, 1e8, 1e6)", IncompleteBeta(0.9901, 1e8, 1e6), 0.5398967903614334,
       1e-8},
      {"IncompleteBeta(2/7 + 5e-6, 2e9, 5e9)", IncompleteBeta(2.0 / 7 + 5e-6, 2e9, 5e9),
       0.82278051708202006, 1e-8},
      // x near 1 with a large first parameter and a small second one, and the smallest
      // parameters: the value for the double x, and never outside [0, 1].
      {"IncompleteBeta(0.9999999999952679, 1e12, 3)", IncompleteBeta(0.9999999999952679, 1e12, 3),
       0.14910497938676658, 1e-8},
      {"IncompleteBeta(0.99999999999996, 5e13, 0.5)", IncompleteBeta(0.99999999999996, 5e13, 0.5),
       0.045586657753982494, 1e-8},
      {"IncompleteBeta(0.999, 5, 1e-10)", IncompleteBeta(0.999, 5, 1e-10), 4.8284189458869864e-10,
       1e-8},
      {"IncompleteBeta(0.5, 1e-310, 1e-310)", IncompleteBeta(0.5, 1e-310, 1e-310), 0.5, 1e-8},
      {"IncompleteBeta(1e-300, 1e-300, 1)", IncompleteBeta(1e-300, 1e-300, 1), 1, 0},
  };
  for (const Case& c : cases) {
    if (std::isnan(c.want))
      EXPECT_TRUE(std::isnan(c.got)) << c.name << ": " << c.got;
    else
      EXPECT_TRUE(Near(c.got, c.want, 0, c.rel)) << c.name;
  }
}

// ---- Weibull, hypergeometric -------------------------------------------------------------

TEST(OtherDistributions, Weibull) {
  for (double beta : {0.5, 1.0, 2.0, 3.5})
    for (double eta : {0.5, 2.0})
      for (double x : {0.01, 0.5, 1.0, 3.0}) {
        const bm::weibull dist(beta, eta);
        EXPECT_TRUE(Near(WeibullDensity(x, beta, eta), bm::pdf(dist, x), 1e-13, 1e-12));
      }
  EXPECT_EQ(WeibullDensity(0, 2, 1), 0);
  EXPECT_EQ(WeibullDensity(1, 2, 0), 0);
}

TEST(OtherDistributions, HypergeometricSumsToOneAndMatchesBoost) {
  struct Case {
    double p;
    Integer npop, nsample;
  };
  for (const Case& c :
       {Case{0.3, 20, 7}, Case{0.5, 9, 9}, Case{0.25, 10, 1}, Case{0.05, 500, 60}}) {
    const Integer M = static_cast<Integer>(std::nearbyint(c.p * c.npop));
    const bm::hypergeometric dist(M, c.nsample, c.npop);
    double sum = 0;
    for (Integer k = -1; k <= c.nsample + 1; ++k) {
      const double d = HyperGeoDistriDensity(c.p, c.npop, c.nsample, k);
      sum += d;
      const bool inside = k >= std::max(0, c.nsample + M - c.npop) && k <= std::min(M, c.nsample);
      if (inside)
        EXPECT_TRUE(Near(d, bm::pdf(dist, k), 1e-9, 1e-7)) << k;
      else
        EXPECT_EQ(d, 0) << k;
    }
    EXPECT_TRUE(Near(sum, 1, 1e-8));
  }
  // 0.5 * 5 = 2.5 successes rounds to 2 (halves to even): 3 successes are impossible.
  EXPECT_EQ(HyperGeoDistriDensity(0.5, 5, 3, 3), 0);
  EXPECT_GT(HyperGeoDistriDensity(0.5, 5, 3, 2), 0);
}

TEST(OtherDistributions, HypergeometricRefusals) {
  struct Case {
    double p;
    Integer npop, nsample;
    const char* text;
  };
  const Case cases[] = {
      {-0.1, 10, 3, "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0"},
      {1.1, 0, 3, "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0"},
      {0.5, 0, 3, "HyperGeoDistriDensity: npop must be greater than 0"},
      {0.5, 10, 11, "HyperGeoDistriDensity: nsample must not be greater than npop"},
      {0.5, 10, 0, "HyperGeoDistriDensity: nsample must not be less than 1"},
  };
  for (const Case& c : cases) {
    try {
      HyperGeoDistriDensity(c.p, c.npop, c.nsample, 1);
      ADD_FAILURE() << c.text;
    } catch (const ESDLStatisError& e) {
      EXPECT_STREQ(e.what(), c.text);
    }
  }
}

// ---- Mann-Whitney U ----------------------------------------------------------------------

namespace {

// P(U = u) by listing every choice of the first sample's ranks: U counts the pairs in which a
// value of the second sample lies below one of the first.
std::vector<double> BruteForceU(int n1, int n2) {
  const int N = n1 + n2;
  std::vector<double> count(static_cast<size_t>(n1 * n2) + 1, 0.0);
  double total = 0;
  for (unsigned mask = 0; mask < (1u << N); ++mask) {
    if (__builtin_popcount(mask) != n1) continue;
    int u = 0, seconds = 0;
    for (int r = 0; r < N; ++r) {
      if (mask & (1u << r))
        u += seconds;
      else
        ++seconds;
    }
    count[u] += 1;
    total += 1;
  }
  for (double& c : count) c /= total;
  return count;
}

}  // namespace

TEST(MannWhitneyU, DistributionIsTheCountOfArrangements) {
  for (auto [n1, n2] : std::vector<std::pair<int, int>>{{1, 1}, {1, 6}, {3, 4}, {5, 2}, {6, 7}}) {
    const std::vector<double> want = BruteForceU(n1, n2);
    double below = 0;
    for (int u = 0; u <= n1 * n2; ++u) {
      EXPECT_TRUE(Near(UDistriDensity(u, n1, n2), want[u], 1e-15)) << n1 << "," << n2 << " " << u;
      EXPECT_TRUE(Near(UDistriIntegral(u, n1, n2), below, 1e-14)) << u;
      below += want[u];
    }
    EXPECT_TRUE(Near(UDistriIntegral(n1 * n2 + 1, n1, n2), 1, 1e-14));
  }
}

TEST(MannWhitneyU, SymmetricAndSumsToOneAtTheSizeLimit) {
  for (auto [n1, n2] : std::vector<std::pair<int, int>>{{12, 30}, {300, 2}, {40, 40}}) {
    double sum = 0;
    for (int u = 0; u <= n1 * n2; ++u) {
      const double d = UDistriDensity(u, n1, n2);
      sum += d;
      EXPECT_TRUE(Near(d, UDistriDensity(n1 * n2 - u, n1, n2), 1e-15, 1e-12)) << u;
    }
    EXPECT_TRUE(Near(sum, 1, 1e-12));
  }
}

TEST(MannWhitneyU, Quantile) {
  EXPECT_EQ(UDistriQuantile(4, 5, 0), -1);
  EXPECT_EQ(UDistriIntegral(0, 4, 5), 0);
  // Largest U with P(U' <= U) < alpha, checked against the cumulative sums.
  for (double alpha : {0.01, 0.05, 0.1, 0.5}) {
    const Integer q = UDistriQuantile(6, 7, alpha);
    EXPECT_LT(UDistriIntegral(q + 1, 6, 7), alpha) << alpha;
    EXPECT_GE(UDistriIntegral(q + 2, 6, 7), alpha) << alpha;
  }
}

TEST(MannWhitneyU, Refusals) {
  struct Case {
    std::function<void()> call;
    std::string text;
  };
  const Case cases[] = {
      {[] { UDistriDensity(0, 0, 3); }, "UDistriDensity: number of data points is too low"},
      {[] { UDistriDensity(0, 301, 3); }, "UDistriDensity: number of data points is too high"},
      {[] { UDistriDensity(13, 3, 4); },
       "UDistriDensity: wrong U statistic (allowed range: 0...12)"},
      {[] { UDistriDensity(-1, 3, 4); },
       "UDistriDensity: wrong U statistic (allowed range: 0...12)"},
      {[] { UDistriIntegral(0, 3, -1); }, "UDistriQuantil: number of data points is too low"},
      {[] { UDistriIntegral(0, 3, 400); }, "UDistriQuantil: number of data points is too high"},
      {[] { UDistriIntegral(14, 3, 4); },
       "UDistriDensity: wrong U statistic (allowed range: 0...13)"},
      {[] { UDistriQuantile(0, 4, 0.05); }, "UDistriQuantil: number of data points is too low"},
      {[] { UDistriQuantile(3, 4, 1.5); }, "UDistriQuantil: wrong level of significance"},
      {[] { UDistriQuantile(3, 4, -0.1); }, "UDistriQuantil: wrong level of significance"},
  };
  for (const Case& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.text;
    } catch (const ESDLStatisError& e) {
      EXPECT_EQ(std::string(e.what()), c.text);
    }
  }
}

// ---- Kolmogorov-Smirnov, Lilliefors ------------------------------------------------------

TEST(KolmogorovSmirnov, CriticalValueTable) {
  EXPECT_EQ(KolmogSmir1SampleTestStat(10, Dot05), 0.410);
  EXPECT_EQ(KolmogSmir1SampleTestStat(1, Dot20), 0.900);
  EXPECT_EQ(KolmogSmir1SampleTestStat(1, Dot01), 0.995);
  EXPECT_EQ(KolmogSmir1SampleTestStat(20, Dot20), 0.231);
  EXPECT_EQ(KolmogSmir1SampleTestStat(20, Dot01), 0.356);
  EXPECT_EQ(KolmogSmir1SampleTestStat(7, Dot15), 0.405);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(100, Dot05), 0.1358);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(21, Dot10), 1.224 / std::sqrt(21.0));
}

TEST(KolmogorovSmirnov, PValue) {
  // One point: K(1, d) = 2d - 1 on [1/2, 1].
  for (double d : {0.5, 0.6, 0.75, 0.9, 1.0})
    EXPECT_TRUE(Near(KSPValue(1, d), 1 - (2 * d - 1), 1e-12)) << d;
  // The published example of the matrix method: K(10, 0.274) = 0.6284796154565043.
  EXPECT_TRUE(Near(KSPValue(10, 0.274), 1 - 0.6284796154565043, 1e-13));
  // The asymptotic branch and the matrix method meet near s = 7.24.
  EXPECT_TRUE(Near(KSPValue(50, std::sqrt(7.23 / 50)), KSPValue(50, std::sqrt(7.25 / 50)), 1e-5));
  EXPECT_EQ(KSPValue(0, 0.3), 1);
  EXPECT_EQ(KSPValue(10, 0), 1);
  EXPECT_TRUE(std::isnan(KSPValue(10, kNaN)));
  // Large n needs the 1e140 rescaling of the matrix power.
  const double p = KSPValue(1000, 0.05);
  EXPECT_TRUE(p > 0.005 && p < 0.03) << p;
}

TEST(KolmogorovSmirnov, QuantileMatchesTheTable) {
  // The table is an old one (rounded, and up to 0.004 off the exact values at n = 20 and
  // alpha 0.01); the search meets alpha within 1e-4 of the exact distribution.
  for (Integer n : {5, 10, 20}) {
    for (TSignifLevel lv : {Dot20, Dot10, Dot05, Dot01}) {
      const double d = KSQuantile(n, lv);
      EXPECT_TRUE(Near(d, KolmogSmir1SampleTestStat(n, lv), 4e-3)) << n << " " << lv;
    }
  }
}

TEST(Lilliefors, PValueAndQuantile) {
  for (double d : {0.0, 0.1, 0.5, 2.0}) EXPECT_EQ(LillieforsPValue(5, d), -1);
  for (Integer n : {6, 20, 100, 1000})
    for (double d = 0; d < 0.6; d += 0.01) EXPECT_LE(LillieforsPValue(n, d), 1) << n << " " << d;
  // Above 100 points the statistic is scaled to 100 points.
  EXPECT_DOUBLE_EQ(LillieforsPValue(400, 0.05), LillieforsPValue(100, 0.05 * std::pow(4.0, 0.49)));
  // The quantile and the p-value agree near the small p values the formula is meant for.
  for (Integer n : {10, 30, 80}) {
    const double d = LillieforsQuantile(n, 0.05);
    EXPECT_TRUE(Near(LillieforsPValue(n, d), 0.05, 0.01)) << n;
  }
}

// ---- small helpers -----------------------------------------------------------------------

TEST(SmallHelpers, FisherTransformRoundTripAndRange) {
  for (double r : {-0.999, -0.5, 0.0, 0.3, 0.99})
    EXPECT_TRUE(Near(FisherTransformInv(FisherTransform(r)), r, 1e-14));
  EXPECT_EQ(FisherTransformInv(400), 1);
  EXPECT_EQ(FisherTransformInv(-400), -1);
  for (double r : {-1.0, 1.0, 2.0, kNaN}) {
    try {
      FisherTransform(r);
      ADD_FAILURE() << r;
    } catch (const ESDLStatisError& e) {
      EXPECT_STREQ(e.what(), "FisherTransform: argument out of range");
    }
  }
}

TEST(SmallHelpers, ConfidenceIntervalAndFisherSeparation) {
  EXPECT_TRUE(Near(ConfidenceInterval(0.05, 2, 16), 1.959964 * 2 / 4, 1e-6));
  EXPECT_EQ(CalcFishQ(1, 1, 3, 4), 0);
  EXPECT_DOUBLE_EQ(CalcFishQ(3, 1, 0, 0), 4 / 1e-6);
  EXPECT_DOUBLE_EQ(CalcFishQ(3, 1, 1, 1), 2);
}
