// The curve fit's regressions: the documented cases, each fit against GSL's least-squares
// solution of its linearised form on the same data, and the refusals.

#include <gsl/gsl_fit.h>
#include <gsl/gsl_multifit.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DOV_math2.h"
#include "DOV_sdlbase.h"
#include "DOV_statis.h"

namespace {

using TPoints = std::vector<std::pair<double, double>>;

class RegressTest : public ::testing::Test {
protected:
  void Enter(const TPoints& pts) {
    for (const auto& [x, y] : pts) cf.EnterStatValue(x, y);
  }
  TCurveFit cf{nullptr};
};

// The raised message, or "" when nothing was raised.
std::string Raised(const std::function<void()>& f) {
  try {
    f();
  } catch (const ESDLMath2Error& e) {
    return e.what();
  }
  return "";
}

// GSL's straight line T = c0 + c1 U by least squares.
std::pair<double, double> GslLine(const std::vector<double>& u, const std::vector<double>& t) {
  double c0, c1, cov00, cov01, cov11, sumsq;
  gsl_fit_linear(u.data(), 1, t.data(), 1, u.size(), &c0, &c1, &cov00, &cov01, &cov11, &sumsq);
  return {c0, c1};
}

// Scattered points around a curve, the same for every run.
TPoints Noisy(const std::function<double(double)>& f, double x0, double step, int n, double noise) {
  TPoints p;
  for (int i = 0; i < n; ++i) {
    const double x = x0 + step * i;
    p.push_back({x, f(x) * (1 + noise * std::sin(7.3 * i + 1))});
  }
  return p;
}

}  // namespace

// ---- polynomials -------------------------------------------------------------------------

TEST_F(RegressTest, PolyFitThroughThreePoints) {
  Enter({{-1, 1}, {0, 0}, {1, 1}});
  TDoubleArray k(3, 9), alpha;
  double fq = 0;
  bool near = true;
  ASSERT_TRUE(cf.CalcPolyFit(2, k, alpha, fq, near));
  EXPECT_NEAR(k[0], 0, 1e-14);
  EXPECT_NEAR(k[1], 0, 1e-14);
  EXPECT_NEAR(k[2], 1, 1e-14);
  EXPECT_EQ(alpha, (TDoubleArray{0, 0, 0}));  // no residual degrees of freedom
  EXPECT_NEAR(fq, 1, 1e-14);
  EXPECT_FALSE(near);
  TDoubleArray k3(4, 9);
  EXPECT_FALSE(cf.CalcPolyFit(3, k3, alpha, fq, near));
  EXPECT_EQ(k3, TDoubleArray(4, 9));  // untouched
}

TEST_F(RegressTest, PolyFitMatchesGslWithSignificances) {
  const TPoints pts =
      Noisy([](double x) { return 2 - 0.5 * x + 0.25 * x * x; }, -3, 0.37, 25, 0.05);
  Enter(pts);
  const int order = 2, n = static_cast<int>(pts.size());
  gsl_matrix* X = gsl_matrix_alloc(n, order + 1);
  gsl_vector* Y = gsl_vector_alloc(n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j <= order; ++j) gsl_matrix_set(X, i, j, std::pow(pts[i].first, j));
    gsl_vector_set(Y, i, pts[i].second);
  }
  gsl_vector* c = gsl_vector_alloc(order + 1);
  gsl_matrix* cov = gsl_matrix_alloc(order + 1, order + 1);
  double chisq;
  gsl_multifit_linear_workspace* w = gsl_multifit_linear_alloc(n, order + 1);
  gsl_multifit_linear(X, Y, c, cov, &chisq, w);
  TDoubleArray k(order + 1), alpha;
  double fq;
  bool near;
  ASSERT_TRUE(cf.CalcPolyFit(order, k, alpha, fq, near));
  const int dfres = n - order - 1;
  for (int j = 0; j <= order; ++j) {
    EXPECT_NEAR(k[j], gsl_vector_get(c, j), 1e-12) << j;
    // Alpha is the two-sided p of t = coefficient / its standard error.
    const double t = std::fabs(gsl_vector_get(c, j)) / std::sqrt(gsl_matrix_get(cov, j, j));
    EXPECT_NEAR(alpha[j], 2 * (1 - tDistriIntegral(t, dfres)), 1e-9) << j;
  }
  EXPECT_LT(alpha[2], 1e-6);  // the quadratic term is clearly there
  double ss = 0, ym = 0;
  for (const auto& p : pts) ym += p.second / n;
  for (const auto& p : pts) ss += (p.second - ym) * (p.second - ym);
  EXPECT_NEAR(fq, 1 - chisq / ss, 1e-12);
  gsl_multifit_linear_free(w);
  gsl_matrix_free(X);
  gsl_matrix_free(cov);
  gsl_vector_free(Y);
  gsl_vector_free(c);
}

TEST_F(RegressTest, PolyFitResultsAndAbortFlag) {
  Enter({{1, 1}, {2, 4}, {3, 9}, {4, 16}});
  AbortMathProc = true;  // a stale abort from elsewhere: the fit clears it first
  TDoubleArray k(3);
  double fq;
  bool near;
  EXPECT_TRUE(cf.CalcPolyFit(2, k, fq, near));
  EXPECT_NEAR(k[2], 1, 1e-12);
  EXPECT_FALSE(AbortMathProc);
  // A kArray too short for the order is grown rather than written past its end.
  TDoubleArray shortK(1);
  EXPECT_TRUE(cf.CalcPolyFit(2, shortK, fq, near));
  EXPECT_EQ(shortK.size(), 3u);
}

TEST_F(RegressTest, CenteredPolyFit) {
  // Data far from 0, where powers of x itself are badly conditioned.
  const TPoints pts =
      Noisy([](double x) { return 3 + 0.2 * (x - 1e4) - 0.01 * (x - 1e4) * (x - 1e4); }, 1e4 - 5,
            0.5, 21, 0.01);
  Enter(pts);
  TDoubleArray k(3), alpha;
  double shift = 0, fq;
  bool near;
  ASSERT_TRUE(cf.CalcCenteredPolyFit(2, k, alpha, shift, fq, near));
  double xm = 0;
  for (const auto& p : pts) xm += p.first / pts.size();
  EXPECT_DOUBLE_EQ(shift, xm);
  // GSL on the shifted x.
  std::vector<double> u, t;
  for (const auto& p : pts) {
    u.push_back(p.first - shift);
    t.push_back(p.second);
  }
  gsl_matrix* X = gsl_matrix_alloc(u.size(), 3);
  gsl_vector* Y = gsl_vector_alloc(u.size());
  for (size_t i = 0; i < u.size(); ++i) {
    for (int j = 0; j < 3; ++j) gsl_matrix_set(X, i, j, std::pow(u[i], j));
    gsl_vector_set(Y, i, t[i]);
  }
  gsl_vector* c = gsl_vector_alloc(3);
  gsl_matrix* cov = gsl_matrix_alloc(3, 3);
  double chisq;
  gsl_multifit_linear_workspace* w = gsl_multifit_linear_alloc(u.size(), 3);
  gsl_multifit_linear(X, Y, c, cov, &chisq, w);
  for (int j = 0; j < 3; ++j) EXPECT_NEAR(k[j], gsl_vector_get(c, j), 1e-10) << j;
  EXPECT_GT(fq, 0.9);
  // A given shift stays, and the coefficients describe powers of (x - 5).
  double five = 5;
  ASSERT_TRUE(cf.CalcCenteredPolyFit(2, k, five, fq, near));
  EXPECT_EQ(five, 5);
  for (const auto& p : pts) {
    const double d = p.first - 5, fit = k[0] + k[1] * d + k[2] * d * d;
    EXPECT_NEAR(fit, p.second, 0.2);
  }
  gsl_multifit_linear_free(w);
  gsl_matrix_free(X);
  gsl_matrix_free(cov);
  gsl_vector_free(Y);
  gsl_vector_free(c);
}

// ---- analysis of variance ----------------------------------------------------------------

TEST_F(RegressTest, AnovaOfPerfectEstimates) {
  // Near 0 and far from it, where sums about 0 would lose the spread to the offset.
  for (double offset : {0.0, 1e9, 1e12}) {
    SCOPED_TRACE(offset);
    TCurveFit fit(nullptr);
    for (double v : {1, 2, 4, 7}) fit.EnterStatValue(offset + v, offset + v);
    Integer dfreg, dfres, dftotal;
    double SSE, SSR, SST, MSE, MSR, F;
    fit.CalcAnovaReg(1, true, dfreg, dfres, dftotal, SSE, SSR, SST, MSE, MSR, F);
    EXPECT_EQ(dfreg, 1);
    EXPECT_EQ(dftotal, 3);
    EXPECT_EQ(dfres, 2);
    EXPECT_EQ(SSE, 0);
    EXPECT_EQ(MSE, 0);
    EXPECT_EQ(F, 1e10);
    EXPECT_DOUBLE_EQ(SSR, SST);
    EXPECT_DOUBLE_EQ(SST, 21);  // sum of (x - 3.5)^2
  }
}

TEST_F(RegressTest, AnovaOfAFit) {
  Enter({{1, 1.5}, {2, 1.8}, {4, 4.1}, {7, 6.6}, {5, 5.2}});
  Integer dfreg, dfres, dftotal;
  double SSE, SSR, SST, MSE, MSR, F;
  cf.CalcAnovaReg(2, false, dfreg, dfres, dftotal, SSE, SSR, SST, MSE, MSR, F);
  EXPECT_EQ(dftotal, 5);
  EXPECT_EQ(dfres, 3);
  EXPECT_NEAR(SSE, 0.25 + 0.04 + 0.01 + 0.16 + 0.04, 1e-12);
  EXPECT_NEAR(MSE, SSE / 3, 1e-12);
  EXPECT_NEAR(F, MSR / MSE, 1e-9);
}

TEST_F(RegressTest, AnovaRefusesDivisionsByZero) {
  Integer a, b, c;
  double d[6];
  auto anova = [&](Integer vars, bool constant) {
    return Raised(
        [&] { cf.CalcAnovaReg(vars, constant, a, b, c, d[0], d[1], d[2], d[3], d[4], d[5]); });
  };
  EXPECT_EQ(anova(1, true), "CalcAnovaReg: not enough data points");
  Enter({{1, 1}, {2, 2}, {3, 3}});
  EXPECT_EQ(anova(0, true), "CalcAnovaReg: number of variables must be at least 1");
  EXPECT_EQ(anova(2, true), "CalcAnovaReg: no residual degrees of freedom");
  EXPECT_EQ(anova(2, false), "");
}

// ---- parabola, circle, Gaussian ----------------------------------------------------------

TEST_F(RegressTest, ParabolaThroughThreePoints) {
  Enter({{-1, 1}, {0, 0}, {1, 1}});
  double k0, k1, k2, fq;
  cf.CalcParabolFit(k0, k1, k2, fq);
  EXPECT_NEAR(k0, 0, 1e-14);
  EXPECT_NEAR(k1, 0, 1e-14);
  EXPECT_NEAR(k2, 1, 1e-14);
  EXPECT_NEAR(fq, 1, 1e-14);
}

TEST_F(RegressTest, QuadraticFitsAtAnyScale) {
  // x = {1 .. 5}, y = {4, 1, 0, 1, 5}, by hand from the normal equations in x - 3 (sums of its
  // powers 0, 10, 0, 34): y = -3/35 + (x - 3) / 5 + 8/7 (x - 3)^2, which is 48/5 - 233/35 x +
  // 8/7 x^2, with RSS = 4/35 of TSS = 94/5, so r^2 = 327/329. Scaling x and y by s scales the
  // coefficient of power j by s^(1 - j); the quality stays. At 1e160 the fourth powers leave
  // the double range, at 1e-100 they fall below it.
  const double base[3] = {48.0 / 5, -233.0 / 35, 8.0 / 7};
  const double centred[3] = {-3.0 / 35, 1.0 / 5, 8.0 / 7};
  const double quality = 327.0 / 329;
  const double ys[5] = {4, 1, 0, 1, 5};
  for (double s : {1.0, 1e100, 1e160, 1e300, 1e-100, 1e-200}) {
    SCOPED_TRACE(s);
    TCurveFit fit(nullptr);
    for (int i = 0; i < 5; ++i) fit.EnterStatValue((i + 1) * s, ys[i] * s);
    const double scale[3] = {s, 1, 1 / s};
    double k[3], fq;
    ASSERT_EQ(Raised([&] { fit.CalcParabolFit(k[0], k[1], k[2], fq); }), "");
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(k[j], base[j] * scale[j], 1e-12 * std::fabs(base[j] * scale[j])) << j;
    EXPECT_NEAR(fq, quality, 1e-12);
    TDoubleArray c(3);
    double shift = 0, cfq;
    bool near;
    ASSERT_TRUE(fit.CalcCenteredPolyFit(2, c, shift, cfq, near));
    EXPECT_NEAR(shift, 3 * s, 1e-15 * 3 * s);
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(c[j], centred[j] * scale[j], 1e-12 * std::fabs(centred[j] * scale[j])) << j;
    EXPECT_NEAR(cfq, quality, 1e-12);
  }
  // A parabola whose coefficients leave the double range is refused, not given as zeros.
  TCurveFit steep(nullptr);
  for (double x : {1.0, 2.0, 3.0}) steep.EnterStatValue(x * 1e-200, x * x * 1e200);
  double k0, k1, k2, fq;
  EXPECT_EQ(Raised([&] { steep.CalcParabolFit(k0, k1, k2, fq); }),
            "CalcParabolFit: result beyond the double range");
  EXPECT_EQ(k2, 0);
  TDoubleArray c(3, 7);
  double shift = 0;
  bool near;
  EXPECT_FALSE(steep.CalcCenteredPolyFit(2, c, shift, fq, near));
  EXPECT_EQ(c, TDoubleArray(3, 7));
}

TEST_F(RegressTest, ParabolaMatchesThePolynomialFit) {
  Enter(Noisy([](double x) { return 1 + 3 * x - 0.7 * x * x; }, 100, 0.25, 30, 0.02));
  double k0, k1, k2, fq;
  cf.CalcParabolFit(k0, k1, k2, fq);
  TDoubleArray k(3);
  double shift = 0, pfq;
  bool near;
  ASSERT_TRUE(cf.CalcCenteredPolyFit(2, k, shift, pfq, near));
  // Centred form back into powers of x.
  const double c0 = k[0] - k[1] * shift + k[2] * shift * shift, c1 = k[1] - 2 * k[2] * shift;
  EXPECT_NEAR(k2, k[2], 1e-9);
  EXPECT_NEAR(k1, c1, 1e-6);
  EXPECT_NEAR(k0, c0, 1e-3);
  EXPECT_NEAR(fq, pfq, 1e-9);
}

TEST_F(RegressTest, Circle) {
  Enter({{1, 0}, {0, 1}, {-1, 0}, {0, -1}});
  double r, dx, dy;
  cf.CalcCircleFit(r, dx, dy);
  EXPECT_NEAR(dx, 0, 1e-15);
  EXPECT_NEAR(dy, 0, 1e-15);
  EXPECT_NEAR(r, 1, 1e-15);
  TCurveFit off(nullptr);
  for (int i = 0; i < 12; ++i)
    off.EnterStatValue(3 + 2 * std::cos(i * 0.5), -1 + 2 * std::sin(i * 0.5));
  off.CalcCircleFit(r, dx, dy);
  EXPECT_NEAR(dx, 3, 1e-12);
  EXPECT_NEAR(dy, -1, 1e-12);
  EXPECT_NEAR(r, 2, 1e-12);
  // The same circle far from 0, where sums about 0 would lose its size to the offset.
  TCurveFit far(nullptr);
  for (int i = 0; i < 12; ++i)
    far.EnterStatValue(1e6 + 2 * std::cos(i * 0.5), -1e6 + 2 * std::sin(i * 0.5));
  far.CalcCircleFit(r, dx, dy);
  EXPECT_NEAR(dx, 1e6, 1e-8);
  EXPECT_NEAR(dy, -1e6, 1e-8);
  EXPECT_NEAR(r, 2, 1e-8);
  TCurveFit line(nullptr);
  for (double x : {0.0, 1.0, 2.0}) line.EnterStatValue(x, 2 * x);
  EXPECT_EQ(Raised([&] { line.CalcCircleFit(r, dx, dy); }), "CalcCircleFit: radius is infinite");
}

TEST_F(RegressTest, Gauss) {
  double k0, k1, k2, fq;
  // The peak on x = x0 + s u: centre x0 + 2 s, width 0.5 s^2 (fourth powers of x beyond the
  // double range at 1e100, below it at 1e-100). A width beyond the double range (above the
  // largest double, or below the smallest normal one) is refused, not rounded to 0 or infinity.
  const std::string beyond = "CalcGaussFit: result beyond the double range";
  struct Case {
    double x0, s;
    std::string error;
  };
  for (const Case& c : std::vector<Case>{{0, 1, ""},
                                         {0, 1e100, ""},
                                         {0, 1e150, ""},
                                         {0, 1e-100, ""},
                                         {0, 1e-150, ""},
                                         {0, 1e-154, beyond},
                                         {0, 1e-170, beyond},
                                         {1e200, 1e190, beyond},
                                         {1e250, 1e240, beyond},
                                         {1e300, 1e290, beyond}}) {
    SCOPED_TRACE(testing::Message() << c.x0 << " + " << c.s << " u");
    TCurveFit fit(nullptr);
    for (double u = 0.5; u <= 3.5; u += 0.25)
      fit.EnterStatValue(c.x0 + u * c.s, 3 * std::exp(-(u - 2) * (u - 2) / 0.5));
    ASSERT_EQ(Raised([&] { fit.CalcGaussFit(k0, k1, k2, fq); }), c.error);
    if (!c.error.empty()) continue;
    EXPECT_NEAR(k0, 3, 1e-12);
    EXPECT_NEAR(k1, c.x0 + 2 * c.s, 1e-12 * c.s);
    EXPECT_NEAR(k2, 0.5 * c.s * c.s, 1e-12 * c.s * c.s);
    EXPECT_NEAR(fq, 1, 1e-12);
  }
  for (double x = 0.5; x <= 3.5; x += 0.25)
    cf.EnterStatValue(x, 3 * std::exp(-(x - 2) * (x - 2) / 0.5));
  cf.EnterStatValue(5, 0);
  EXPECT_EQ(Raised([&] { cf.CalcGaussFit(k0, k1, k2, fq); }),
            "CalcGaussFit: y values must not be negative");
  EXPECT_EQ(k2, static_cast<double>(1.7e38L));  // set before the checks
}

// ---- linearised models -------------------------------------------------------------------

TEST_F(RegressTest, LinearisedModelsAgreeWithGslOnTransformedData) {
  struct Model {
    const char* name;
    std::function<double(double)> curve;  // the data follow it, with noise
    std::function<double(double)> U, T;   // the transformation
    std::function<void(TCurveFit&, double&, double&, double&)> fit;
    bool exponential;  // k0 = exp(intercept)
    double x0 = 1, noise = 0.03;  // the first x, and the scatter of y
  };
  const Model models[] = {
      {"ReciLin", [](double x) { return 1 / (0.5 + 0.2 * x); }, [](double x) { return x; },
       [](double y) { return 1 / y; },
       [](TCurveFit& c, double& a, double& b, double& q) { c.CalcReciLinFit(a, b, q); }, false},
      {"Hyperbol", [](double x) { return 2 + 3 / x; }, [](double x) { return 1 / x; },
       [](double y) { return y; },
       [](TCurveFit& c, double& a, double& b, double& q) { c.CalcHyperbolFit(a, b, q); }, false},
      {"ReciHyperbol", [](double x) { return 1 / (0.3 + 0.8 / x); }, [](double x) { return 1 / x; },
       [](double y) { return 1 / y; },
       [](TCurveFit& c, double& a, double& b, double& q) { c.CalcReciHyperbolFit(a, b, q); },
       false},
      {"Log", [](double x) { return 1 + 2 * std::log(x); }, [](double x) { return std::log(x); },
       [](double y) { return y; },
       [](TCurveFit& c, double& a, double& b, double& q) { c.CalcLogFit(a, b, q); }, false},
      {"ReciLog", [](double x) { return 1 / (0.5 + 0.4 * std::log(x)); },
       [](double x) { return std::log(x); }, [](double y) { return 1 / y; },
       [](TCurveFit& c, double& a, double& b, double& q) { c.CalcReciLogFit(a, b, q); }, false},
      {"Power", [](double x) { return 2 * std::pow(x, 1.5); }, [](double x) { return std::log(x); },
       [](double y) { return std::log(y); },
       [](TCurveFit& c, double& a, double& b, double& q) { c.CalcPowerFit(a, b, q); }, true},
      {"Exponential", [](double x) { return 0.5 * std::exp(0.3 * x); }, [](double x) { return x; },
       [](double y) { return std::log(y); },
       [](TCurveFit& c, double& a, double& b, double& q) { c.CalcExponentialFit(a, b, q); }, true},
      // x far from 0: the sums of x and x^2 about 0 need 27 digits to give the slope.
      {"ReciLin far from 0", [](double x) { return 1 / (0.5 + 0.2 * (x - 1e9)); },
       [](double x) { return x; }, [](double y) { return 1 / y; },
       [](TCurveFit& c, double& a, double& b, double& q) { c.CalcReciLinFit(a, b, q); }, false,
       1e9},
      {"Exponential far from 0", [](double x) { return std::exp(2e-7 * (x - 1e9)); },
       [](double x) { return x; }, [](double y) { return std::log(y); },
       [](TCurveFit& c, double& a, double& b, double& q) { c.CalcExponentialFit(a, b, q); }, true,
       1e9, 0},
  };
  for (const Model& m : models) {
    SCOPED_TRACE(m.name);
    TCurveFit fit(nullptr);
    const TPoints pts = Noisy(m.curve, m.x0, 0.4, 20, m.noise);
    std::vector<double> u, t;
    for (const auto& [x, y] : pts) {
      fit.EnterStatValue(x, y);
      u.push_back(m.U(x));
      t.push_back(m.T(y));
    }
    const auto [c0, c1] = GslLine(u, t);
    double k0, k1, fq;
    m.fit(fit, k0, k1, fq);
    EXPECT_NEAR(k1, c1, 1e-10 * (1 + std::fabs(c1)));
    EXPECT_NEAR(k0, m.exponential ? std::exp(c0) : c0, 1e-10 * (1 + std::fabs(k0)));
    EXPECT_GT(fq, 0.95);
    EXPECT_LE(fq, 1 + 1e-12);
  }
}

TEST_F(RegressTest, QualityOfDataFarFromZero) {
  // y = 1e9 + {1, 2, 3, 4, 5, 6, 40}: sums about 0 lose the spread to the offset, and the
  // quality must still be r^2 of the fit. The values are r^2 = 1 - RSS / TSS of each model's
  // least-squares fit on the transformed data, computed with mpmath at 50 digits from these
  // very doubles.
  for (int i = 1; i <= 7; ++i) cf.EnterStatValue(i, 1e9 + (i < 7 ? i : 40));
  struct Case {
    const char* name;
    std::function<double(TCurveFit&)> quality;
    double want;
  };
  auto poly = [](Integer order) {
    return [order](TCurveFit& c) {
      TDoubleArray k;
      double q;
      bool near;
      EXPECT_TRUE(c.CalcPolyFit(order, k, q, near));
      return q;
    };
  };
  auto line = [](void (TCurveFit::*fit)(double&, double&, double&) const) {
    return [fit](TCurveFit& c) {
      double k0, k1, q;
      (c.*fit)(k0, k1, q);
      return q;
    };
  };
  auto three = [](void (TCurveFit::*fit)(double&, double&, double&, double&) const) {
    return [fit](TCurveFit& c) {
      double k0, k1, k2, q;
      (c.*fit)(k0, k1, k2, q);
      return q;
    };
  };
  const Case cases[] = {
      {"poly 1", poly(1), 0.49682725480532282},
      {"poly 2", poly(2), 0.7763676688023657},
      {"ReciLin", line(&TCurveFit::CalcReciLinFit), 0.49682725924577074},
      {"Hyperbol", line(&TCurveFit::CalcHyperbolFit), 0.18518695861419863},
      {"ReciHyperbol", line(&TCurveFit::CalcReciHyperbolFit), 0.18518696166645264},
      {"Log", line(&TCurveFit::CalcLogFit), 0.32517074490261674},
      {"ReciLog", line(&TCurveFit::CalcReciLogFit), 0.32517074895033895},
      {"Power", line(&TCurveFit::CalcPowerFit), 0.32517074692647783},
      {"Exponential", line(&TCurveFit::CalcExponentialFit), 0.49682725702554677},
      {"Gauss", three(&TCurveFit::CalcGaussFit), 0.77636766972588235},
      {"Hoerl", three(&TCurveFit::CalcHoerlFit), 0.65757125691247284},
  };
  for (const Case& c : cases) EXPECT_NEAR(c.quality(cf), c.want, 1e-8) << c.name;
}

TEST_F(RegressTest, PowerFitOfThreePoints) {
  Enter({{1, 2}, {2, 8}, {3, 18}});
  double k0, k1, fq;
  cf.CalcPowerFit(k0, k1, fq);
  EXPECT_NEAR(k0, 2, 1e-14);
  EXPECT_NEAR(k1, 2, 1e-14);
  EXPECT_NEAR(fq, 1, 1e-14);
}

TEST_F(RegressTest, HoerlAgainstGsl) {
  const TPoints pts =
      Noisy([](double x) { return 1.5 * std::pow(0.8, x) * std::pow(x, 2.0); }, 0.5, 0.3, 25, 0.02);
  Enter(pts);
  const int n = static_cast<int>(pts.size());
  gsl_matrix* X = gsl_matrix_alloc(n, 3);
  gsl_vector* Y = gsl_vector_alloc(n);
  for (int i = 0; i < n; ++i) {
    gsl_matrix_set(X, i, 0, 1);
    gsl_matrix_set(X, i, 1, pts[i].first);
    gsl_matrix_set(X, i, 2, std::log(pts[i].first));
    gsl_vector_set(Y, i, std::log(pts[i].second));
  }
  gsl_vector* c = gsl_vector_alloc(3);
  gsl_matrix* cov = gsl_matrix_alloc(3, 3);
  double chisq;
  gsl_multifit_linear_workspace* w = gsl_multifit_linear_alloc(n, 3);
  gsl_multifit_linear(X, Y, c, cov, &chisq, w);
  double k0, k1, k2, fq;
  cf.CalcHoerlFit(k0, k1, k2, fq);
  EXPECT_NEAR(std::log(k0), gsl_vector_get(c, 0), 1e-9);
  EXPECT_NEAR(std::log(k1), gsl_vector_get(c, 1), 1e-9);
  EXPECT_NEAR(k2, gsl_vector_get(c, 2), 1e-9);
  EXPECT_GT(fq, 0.95);
  gsl_multifit_linear_free(w);
  gsl_matrix_free(X);
  gsl_matrix_free(cov);
  gsl_vector_free(Y);
  gsl_vector_free(c);
}

TEST_F(RegressTest, RefusalsOfTheTransformedModels) {
  double a, b, c, q;
  struct Case {
    TPoints points;
    std::function<void(TCurveFit&)> fit;
    std::string text;
  };
  const Case cases[] = {
      {{{1, 1}, {2, 2}},
       [&](TCurveFit& f) { f.CalcReciLinFit(a, b, q); },
       "CalcReciLinFit: not enough data points"},
      {{{1, 1}, {2, 0}, {3, 2}},
       [&](TCurveFit& f) { f.CalcReciLinFit(a, b, q); },
       "CalcReciLinFit: y values must not be zero"},
      {{{1, 1}, {1e-31, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcHyperbolFit(a, b, q); },
       "CalcHyperbolFit: x values must not be zero"},
      {{{1, 0}, {0, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcReciHyperbolFit(a, b, q); },
       "CalcReciHyperbolFit: y values must not be zero"},
      {{{1, 1}, {0, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcReciHyperbolFit(a, b, q); },
       "CalcReciHyperbolFit: x values must not be zero"},
      {{{1, 1}, {-1, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcLogFit(a, b, q); },
       "CalcLogFit: x values must not be negative or zero"},
      {{{1, -1}, {2, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcReciLogFit(a, b, q); },
       "CalcReciLogFit: y values must not be negative or zero"},
      {{{0, 1}, {2, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcReciLogFit(a, b, q); },
       "CalcReciLogFit: x values must not be negative or zero"},
      {{{1, 0}, {2, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcPowerFit(a, b, q); },
       "CalcPowerFit: y values must not be negative or zero"},
      {{{-1, 1}, {2, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcPowerFit(a, b, q); },
       "CalcPowerFit: x values must not be negative or zero"},
      {{{1, -2}, {2, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcExponentialFit(a, b, q); },
       "CalcExponentialFit: y values must not be negative or zero"},
      {{{0, 1}, {2, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcExponentialFit(a, b, q); },
       "CalcExponentialFit: x values must not be negative or zero"},
      {{{1, 2}, {2, 2}},
       [&](TCurveFit& f) { f.CalcHoerlFit(a, b, c, q); },
       "CalcHoerlFit: not enough data points"},
      {{{1, 0}, {2, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcHoerlFit(a, b, c, q); },
       "CalcHoerlFit: y values must not be negative or zero"},
      {{{0, 1}, {2, 2}, {3, 2}},
       [&](TCurveFit& f) { f.CalcHoerlFit(a, b, c, q); },
       "CalcHoerlFit: x values must not be negative or zero"},
      // All transformed x equal: the slope would be a division by zero.
      {{{2, 1}, {2, 2}, {2, 3}},
       [&](TCurveFit& f) { f.CalcReciLinFit(a, b, q); },
       "CalcReciLinFit: slope is infinite"},
      {{{2, 1}, {2, 2}, {2, 3}},
       [&](TCurveFit& f) { f.CalcLogFit(a, b, q); },
       "CalcLogFit: slope is infinite"},
      {{{2, 1}, {2, 2}, {2, 3}},
       [&](TCurveFit& f) { f.CalcPowerFit(a, b, q); },
       "CalcPowerFit: slope is infinite"},
      {{{2, 1}, {2, 2}, {2, 3}},
       [&](TCurveFit& f) { f.CalcHoerlFit(a, b, c, q); },
       "CalcHoerlFit: slope is infinite"},
      // exp of the intercept beyond the double range.
      {{{10, 1e308}, {11, 1e304}, {12, 1e300}},
       [&](TCurveFit& f) { f.CalcExponentialFit(a, b, q); },
       "CalcExponentialFit: cannot fit function"},
      {{{1, 1e-300}, {2, 1e-300}, {3, 1e-300}},
       [&](TCurveFit& f) { f.CalcExponentialFit(a, b, q); },
       ""},
      {{{1, 1e-300}, {1e30, 1e-300}, {1e60, 1e-300}},
       [&](TCurveFit& f) { f.CalcPowerFit(a, b, q); },
       ""},
  };
  for (const Case& cs : cases) {
    TCurveFit f(nullptr);
    for (const auto& [x, y] : cs.points) f.EnterStatValue(x, y);
    const std::string got = Raised([&] { cs.fit(f); });
    EXPECT_EQ(got, cs.text);
    if (cs.text.empty()) {
      EXPECT_TRUE(std::isfinite(a) && std::isfinite(b) && std::isfinite(q)) << a << " " << b;
    }
  }
  // A removed point keeps its indicator: the fit stays refused until Init.
  TCurveFit f(nullptr);
  f.EnterStatValue(0, 1);
  for (double x : {1.0, 2.0, 3.0}) f.EnterStatValue(x, x);
  f.RemoveStatValue(1);
  EXPECT_EQ(Raised([&] { f.CalcLogFit(a, b, q); }),
            "CalcLogFit: x values must not be negative or zero");
}

TEST_F(RegressTest, ExponentialFitKeepsItsSlopeWhenRefused) {
  // The intercept leaves the double range but the slope was worked out already.
  Enter({{10, 1e-310}, {11, 1e-305}, {12, 1e-300}});
  double k0 = 7, k1 = 7, fq = 7;
  EXPECT_EQ(Raised([&] { cf.CalcExponentialFit(k0, k1, fq); }),
            "CalcExponentialFit: cannot fit function");
  EXPECT_EQ(k0, 0);
  EXPECT_NEAR(k1, 5 * std::log(10.0), 0.1);
}
