// The curve fit's interpolating and smoothing splines and Reinsch's procedure behind the
// latter.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "DOV_math2.h"

namespace {

using TPoints = std::vector<std::pair<double, double>>;

void Enter(TCurveFit& cf, const TPoints& points) {
  for (const auto& [x, y] : points) cf.EnterStatValue(x, y);
}

double Smoothed(TCurveFit& cf, double x, bool* valid = nullptr, double* quality = nullptr) {
  double q = -1;
  bool v = false;
  const double r = cf.SmoothedSpline(x, q, v);
  if (valid) *valid = v;
  if (quality) *quality = q;
  return r;
}

// Uneven spacing and a turn, so that every coefficient matters.
const TPoints kWiggly = {{0, 1}, {0.5, 2.5}, {2, 0.5}, {3.5, 3}, {4, 2}, {7, -1}, {9, 0.25}};

const TPoints kMoonPhase = {{0, 0}, {14.75, 1}, {29.5, 0}};

// The natural cubic through the Moon's phase points, worked out by hand: symmetric about the
// middle point, so the end slopes are 0 there and v = 1.5 u - 0.5 u^3 with u the distance from
// the nearer end over 14.75.
double MoonPhase(double a) {
  const double u = (a <= 14.75 ? a : 29.5 - a) / 14.75;
  return 1.5 * u - 0.5 * u * u * u;
}

void ExpectMessage(const std::function<void()>& f, const String& message) {
  try {
    f();
    ADD_FAILURE() << "no exception, expected: " << message;
  } catch (const ESDLMath2Error& e) {
    EXPECT_EQ(e.Message, message);
  }
}

}  // namespace

TEST(CurveFitSpline, SmoothingZeroIsTheNaturalInterpolatingSpline) {
  TCurveFit cf(nullptr);
  cf.SetSplineSmoothing(0);
  Enter(cf, kWiggly);
  for (const auto& [x, y] : kWiggly) {
    bool valid;
    double quality;
    EXPECT_DOUBLE_EQ(Smoothed(cf, x, &valid, &quality), y) << x;
    EXPECT_TRUE(valid);
    EXPECT_EQ(quality, 1);
  }
  // Reinsch's procedure and the interpolating spline are independent routes to the same curve.
  TCurveFit natural(nullptr);
  Enter(natural, kWiggly);
  for (double x = 0; x <= 9; x += 0.125)
    EXPECT_NEAR(Smoothed(cf, x), natural.CubicSpline(x), 1e-12) << x;
  // Second derivative 0 at both ends (one-sided differences: nothing exists beyond them).
  const double h = 1e-4;
  for (double step : {h, -h}) {
    const double end = step > 0 ? 0 : 9;
    const double second =
        (Smoothed(cf, end) - 2 * Smoothed(cf, end + step) + Smoothed(cf, end + 2 * step)) / (h * h);
    EXPECT_NEAR(second, 0, 5e-3) << end;
  }
  const double inner = (Smoothed(cf, 2 - h) - 2 * Smoothed(cf, 2) + Smoothed(cf, 2 + h)) / (h * h);
  EXPECT_GT(std::fabs(inner), 1);  // the test above would see a curved end
}

TEST(CurveFitSpline, MoonPhaseCurve) {
  TCurveFit cf(nullptr);
  cf.SetSplineSmoothing(0);
  Enter(cf, kMoonPhase);
  bool valid;
  for (double a : {0.0, 1.0, 7.375, 11.75, 14.75, 20.0, 29.5}) {
    EXPECT_NEAR(Smoothed(cf, a, &valid), MoonPhase(a), 1e-14) << a;
    EXPECT_TRUE(valid) << a;
  }
  EXPECT_EQ(Smoothed(cf, 7.375), 0.6875);
  const double v = Smoothed(cf, 11.75);
  EXPECT_GT(v, 0);
  EXPECT_LT(v, 1);
  double quality = -1;
  for (double a : {-1.0, 30.0, std::nan("")}) {
    EXPECT_EQ(Smoothed(cf, a, &valid, &quality), 0) << a;
    EXPECT_FALSE(valid) << a;
    EXPECT_EQ(quality, 1) << a;  // the quality is given outside too
  }
}

TEST(CurveFitSpline, StraightDataStayStraightForAnyFactor) {
  for (double factor : {0.0, 0.5, 4.0, 1e6}) {
    TCurveFit two(nullptr);
    two.SetSplineSmoothing(factor);
    Enter(two, {{1, 2}, {5, 10}});
    TCurveFit line(nullptr);
    line.SetSplineSmoothing(factor);
    Enter(line, {{0, 1}, {1, 3}, {2.5, 6}, {4, 9}});
    for (double x : {1.0, 2.0, 3.25, 5.0}) EXPECT_NEAR(Smoothed(two, x), 2 * x, 1e-12) << factor;
    for (double x : {0.0, 0.7, 2.5, 3.9})
      EXPECT_NEAR(Smoothed(line, x), 2 * x + 1, 1e-12) << factor;
  }
}

TEST(CurveFitSpline, EntryOrderDoesNotMatter) {
  const TPoints down(kWiggly.rbegin(), kWiggly.rend());
  const TPoints shuffled = {kWiggly[3], kWiggly[0], kWiggly[6], kWiggly[2],
                            kWiggly[5], kWiggly[1], kWiggly[4]};
  for (double factor : {0.0, 0.5}) {
    TCurveFit up(nullptr);
    up.SetSplineSmoothing(factor);
    Enter(up, kWiggly);
    for (const TPoints* order : {&down, &shuffled}) {
      TCurveFit cf(nullptr);
      cf.SetSplineSmoothing(factor);
      Enter(cf, *order);
      for (double x = -1; x <= 10; x += 0.25) {
        EXPECT_EQ(cf.CubicSpline(x), up.CubicSpline(x)) << x;
        // With smoothing the allowance comes from sums whose rounding depends on the order.
        if (factor == 0)
          EXPECT_EQ(Smoothed(cf, x), Smoothed(up, x)) << x;
        else
          EXPECT_NEAR(Smoothed(cf, x), Smoothed(up, x), 1e-12) << x;
      }
    }
  }
}

TEST(CurveFitSpline, SmoothingMeetsItsAllowance) {
  // s = RSS of the straight line x sqrt(factor): with factor 0.25 the spline's residual sum is
  // half the line's, the curve no longer passes through the points and the quality drops.
  TCurveFit cf(nullptr);
  Enter(cf, kWiggly);
  cf.SetSplineSmoothing(0.25);
  double k, d, q;
  cf.CalcLinFit(k, d, q);
  double rssLine = 0, ssTot = 0, mean = cf.MeanY();
  for (const auto& [x, y] : kWiggly) {
    rssLine += (y - k * x - d) * (y - k * x - d);
    ssTot += (y - mean) * (y - mean);
  }
  double quality;
  bool valid;
  cf.SmoothedSpline(1, quality, valid);
  const double ssRes = (1 - quality) * ssTot;
  EXPECT_NEAR(ssRes, rssLine * 0.5, rssLine * 1e-6);
  EXPECT_LT(quality, 1);
  EXPECT_GT(quality, q);  // closer than the line
  EXPECT_GT(std::fabs(Smoothed(cf, 0.5) - 2.5), 0.01);

  // The last point's value continues the last piece.
  const double atEnd = Smoothed(cf, 9, &valid);
  EXPECT_TRUE(valid);
  EXPECT_NEAR(Smoothed(cf, 9 - 1e-9), atEnd, 1e-8);
}

TEST(CurveFitSpline, NegativeOrUndefinedFactorSmoothsLikeZero) {
  TCurveFit zero(nullptr);
  zero.SetSplineSmoothing(0);
  Enter(zero, kWiggly);
  for (double factor : {-0.5, std::nan("")}) {
    TCurveFit cf(nullptr);
    cf.SetSplineSmoothing(factor);
    EXPECT_TRUE(std::isnan(factor) || cf.SplineSmoothingFactor() == factor);  // stored as given
    Enter(cf, kWiggly);
    for (double x : {0.25, 3.0, 8.0}) EXPECT_EQ(Smoothed(cf, x), Smoothed(zero, x)) << factor;
  }
}

TEST(CurveFitSpline, InterpolatingSplineEndsAndExtrapolation) {
  TCurveFit cf(nullptr);
  Enter(cf, {{0, 0}, {1, 1}, {2, 0}});
  EXPECT_EQ(cf.CubicSpline(0.5), 0.6875);
  EXPECT_EQ(cf.CubicSpline(1), 1);
  // Beyond the points the end pieces go on as cubics; the smoothing spline gives nothing there.
  EXPECT_DOUBLE_EQ(cf.CubicSpline(3), -1);
  EXPECT_DOUBLE_EQ(cf.CubicSpline(-1), -1);
  bool valid;
  EXPECT_EQ(Smoothed(cf, 3, &valid), 0);
  EXPECT_FALSE(valid);

  // Clamped ends with slope 0: symmetric about x = 1, flat at both ends.
  cf.SetNatural1(false);
  cf.SetNaturalN(false);
  for (double t : {0.1, 0.5, 0.9, 1.5})
    EXPECT_NEAR(cf.CubicSpline(1 - t), cf.CubicSpline(1 + t), 1e-14);
  EXPECT_NEAR((cf.CubicSpline(1e-6) - cf.CubicSpline(0)) / 1e-6, 0, 1e-5);
  EXPECT_NE(cf.CubicSpline(0.5), 0.6875);

  // A clamped slope that is not 0 is met.
  cf.SetY1Dash(2);
  EXPECT_NEAR((cf.CubicSpline(1e-7) - cf.CubicSpline(0)) / 1e-7, 2, 1e-5);
  EXPECT_NEAR((cf.CubicSpline(2) - cf.CubicSpline(2 - 1e-7)) / 1e-7, 0, 1e-5);
}

TEST(CurveFitSpline, OverflowingTermsStillGiveACurve) {
  // Differences of these values overflow a double; the spline goes on with the largest real
  // in place of such a term instead of spreading infinities.
  TCurveFit cf(nullptr);
  Enter(cf, {{0, 1e308}, {1, -1e308}, {2, 1e308}, {3, -1e308}});
  EXPECT_EQ(cf.CubicSpline(1), -1e308);
  EXPECT_TRUE(std::isfinite(cf.CubicSpline(1.5)));
  EXPECT_TRUE(std::isfinite(cf.CubicSpline(0.25)));
}

TEST(CurveFitSpline, CachesFollowDataAndSettings) {
  TCurveFit cf(nullptr);
  Enter(cf, kWiggly);
  cf.CubicSpline(1);
  EXPECT_TRUE(cf.SplineValid());
  Smoothed(cf, 1);  // shares the sorted copies: the interpolating spline must be made again
  EXPECT_TRUE(cf.SmoothedSplineValid());
  EXPECT_FALSE(cf.SplineValid());
  cf.CubicSpline(1);
  EXPECT_FALSE(cf.SmoothedSplineValid());

  struct Step {
    const char* what;
    std::function<void(TCurveFit&)> change;
    bool splineStale, smoothedStale;
  };
  const Step steps[] = {
      {"enter", [](TCurveFit& c) { c.EnterStatValue(20, 1); }, true, true},
      {"remove", [](TCurveFit& c) { c.RemoveStatValue(8); }, true, true},
      {"smoothing", [](TCurveFit& c) { c.SetSplineSmoothing(0.1); }, false, true},
      {"natural 1", [](TCurveFit& c) { c.SetNatural1(false); }, true, false},
      {"natural n", [](TCurveFit& c) { c.SetNaturalN(true); }, true, false},
      {"slope 1", [](TCurveFit& c) { c.SetY1Dash(1); }, true, false},
      {"slope n", [](TCurveFit& c) { c.SetYNDash(1); }, true, false},
      {"init", [](TCurveFit& c) { c.Init(); }, true, true},
      {"flip", [](TCurveFit& c) { c.FlipXY(); }, true, true},
  };
  for (const Step& s : steps) {
    TCurveFit fit(nullptr);
    Enter(fit, kWiggly);
    const double before = fit.CubicSpline(4.5);
    s.change(fit);
    EXPECT_EQ(!fit.SplineValid(), s.splineStale) << s.what;
    if (s.splineStale) continue;
    EXPECT_EQ(fit.CubicSpline(4.5), before) << s.what;
  }
  for (const Step& s : steps) {
    TCurveFit fit(nullptr);
    Enter(fit, kWiggly);
    Smoothed(fit, 1);
    s.change(fit);
    EXPECT_EQ(!fit.SmoothedSplineValid(), s.smoothedStale) << s.what;
  }
}

TEST(CurveFitSpline, Refusals) {
  struct Case {
    const char* what;
    TPoints points;
    bool smoothed;
    String message;
  };
  const Case cases[] = {
      {"no points", {}, false, "CubicSpline: no data points"},
      {"one point",
       {{1, 2}},
       false,
       "Component \"CurveFit1\": the tabulated values are not distinct"},
      {"equal x",
       {{1, 2}, {3, 4}, {1, 5}},
       false,
       "CubicSpline: two or more x-values are identical"},
      {"no points", {}, true, "CalcLinFit: not enough data points"},
      {"one point", {{1, 2}}, true, "CalcLinFit: not enough data points"},
      {"all x equal", {{2, 1}, {2, 5}, {2, 3}}, true, "CalcLinFit: slope is infinite"},
      {"equal x",
       {{1, 2}, {3, 4}, {1, 5}},
       true,
       "PenalizedCubicSpline: two or more x-values are identical"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TCurveFit cf(nullptr);
    cf.SetName("CurveFit1");
    Enter(cf, c.points);
    const TCurveFitSums sums = cf.Sums();
    if (c.smoothed)
      ExpectMessage([&] { Smoothed(cf, 1); }, c.message);
    else
      ExpectMessage([&] { cf.CubicSpline(1); }, c.message);
    EXPECT_EQ(cf.NumData(), static_cast<Integer>(c.points.size()));
    EXPECT_EQ(cf.Sums().sumxq, sums.sumxq);
    EXPECT_FALSE(cf.SmoothedSplineValid());
  }
}

TEST(PenalizedCubicSpline, InterpolatesWithSmoothingZeroOnAnySubrange) {
  // Elements 2..5 of arrays indexed from 0; the outputs outside 2..5 stay as they were.
  const TDoubleArray x = {99, 99, 0, 1, 3, 4, 99}, y = {0, 0, 1, 3, 2, 5, 0};
  const TDoubleArray dy(7, 1.0);
  TDoubleArray a(7, -7), b(7, -7), c(7, -7), d(7, -7);
  PenalizedCubicSpline(2, 5, 0, x, y, dy, a, b, c, d);
  for (int i = 2; i <= 5; ++i) EXPECT_DOUBLE_EQ(a[i], y[i]);
  EXPECT_EQ(a[1], -7);
  EXPECT_EQ(a[6], -7);
  EXPECT_EQ(b[5], -7);  // b and d of the last element are not written
  EXPECT_EQ(d[5], -7);
  EXPECT_EQ(c[2], 0);  // natural ends
  EXPECT_EQ(c[5], 0);
  for (int i = 2; i <= 4; ++i) {  // the pieces join
    const double h = x[i + 1] - x[i];
    EXPECT_NEAR(a[i] + b[i] * h + c[i] * h * h + d[i] * h * h * h, a[i + 1], 1e-12);
  }
}

TEST(PenalizedCubicSpline, Refusals) {
  const TDoubleArray inc = {0, 1, 2, 3}, same = {0, 1, 1, 3}, dec = {0, 2, 1, 3};
  const TDoubleArray y(4, 1.0), w(4, 1.0);
  TDoubleArray a(4), b(4), c(4), d(4), shortOut(2);
  ExpectMessage([&] { PenalizedCubicSpline(3, 3, 0, inc, y, w, a, b, c, d); },
                "PenalizedCubicSpline: n1 must not be greater than n2");
  ExpectMessage([&] { PenalizedCubicSpline(3, 1, 0, inc, y, w, a, b, c, d); },
                "PenalizedCubicSpline: n1 must not be greater than n2");
  ExpectMessage([&] { PenalizedCubicSpline(0, 3, 0, same, y, w, a, b, c, d); },
                "PenalizedCubicSpline: two or more x-values are identical");
  ExpectMessage([&] { PenalizedCubicSpline(0, 3, 0, dec, y, w, a, b, c, d); },
                "PenalizedCubicSpline: x-values must be increasing");
  ExpectMessage([&] { PenalizedCubicSpline(0, 3, 0, inc, y, w, shortOut, b, c, d); },
                "PenalizedCubicSpline: the arrays do not hold the elements n1 .. n2");
  ExpectMessage([&] { PenalizedCubicSpline(0, 4, 0, inc, y, w, a, b, c, d); },
                "PenalizedCubicSpline: the arrays do not hold the elements n1 .. n2");
}

TEST(PenalizedCubicSpline, UndefinedDataEndTheIteration) {
  // A value that is not a number must not keep the iteration going for ever, and the curve
  // it leaves is undefined everywhere rather than a fit that looks valid.
  const TDoubleArray x = {0, 1, 2, 3, 4}, y = {1, std::nan(""), 0, 2, 1}, w(5, 1.0);
  TDoubleArray a(5), b(5), c(5), d(5);
  PenalizedCubicSpline(0, 4, 1.0, x, y, w, a, b, c, d);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(std::isnan(a[i])) << i;
  // Unbounded smoothing ends too, with the least-squares line: here y = x itself.
  PenalizedCubicSpline(0, 4, std::numeric_limits<double>::infinity(), x, x, w, a, b, c, d);
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(a[i], x[i]) << i;
    EXPECT_DOUBLE_EQ(b[i], 1) << i;
    EXPECT_EQ(c[i], 0) << i;
    EXPECT_EQ(d[i], 0) << i;
  }
  EXPECT_DOUBLE_EQ(a[4], x[4]);
}
