// The curve fit's accumulator: running sums, indicators, point store and the statistics read
// from them.
#include "DOV_math2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "DOV_matrix.h"

namespace {

using TPoints = std::vector<std::pair<double, double>>;

void Enter(TCurveFit& cf, const TPoints& points) {
  for (const auto& [x, y] : points) cf.EnterStatValue(x, y);
}

// Every sum by name, for comparisons of whole sets of sums.
std::vector<std::pair<const char*, Extended>> AllSums(const TCurveFitSums& s) {
  return {{"sumx", s.sumx},           {"sumy", s.sumy},         {"sumxq", s.sumxq},
          {"sumyq", s.sumyq},         {"sumDiff", s.sumDiff},   {"SumDiffq", s.SumDiffq},
          {"sumxy", s.sumxy},         {"sumx2y", s.sumx2y},     {"sumxy2", s.sumxy2},
          {"sumx3", s.sumx3},         {"sumy3", s.sumy3},       {"sumx4", s.sumx4},
          {"sumy4", s.sumy4},         {"sum1byy", s.sum1byy},   {"sum1byxy", s.sum1byxy},
          {"sum1byyq", s.sum1byyq},   {"sumxbyy", s.sumxbyy},   {"sumybyx", s.sumybyx},
          {"sum1byx", s.sum1byx},     {"sum1byxq", s.sum1byxq}, {"sumlnx", s.sumlnx},
          {"sumlnxlny", s.sumlnxlny}, {"sumlnxq", s.sumlnxq},   {"sumylny", s.sumylny},
          {"sumylnx", s.sumylnx},     {"sumxlnx", s.sumxlnx},   {"sumlnxbyy", s.sumlnxbyy},
          {"sumlnybyx", s.sumlnybyx}, {"sumlny", s.sumlny},     {"sumlnyq", s.sumlnyq},
          {"sumxlny", s.sumxlny},     {"sumxqlny", s.sumxqlny}, {"sumyqlnx", s.sumyqlnx}};
}

void ExpectSumsNear(const TCurveFitSums& actual, const TCurveFitSums& expected,
                    long double relTol) {
  const auto a = AllSums(actual), e = AllSums(expected);
  ASSERT_EQ(a.size(), 33u);
  for (std::size_t i = 0; i < a.size(); ++i) {
    const long double tol = relTol * std::max(1.0L, std::fabs(e[i].second));
    EXPECT_NEAR(static_cast<double>(a[i].second), static_cast<double>(e[i].second),
                static_cast<double>(tol))
        << a[i].first;
  }
}

// The run time's logarithm (a constant expression would be folded by the compiler, which may
// round the last bit differently).
Extended Ln(Extended v) {
  volatile Extended copy = v;
  return std::log(static_cast<Extended>(copy));
}

const TPoints kOrdinary = {{1.5, 2.25}, {3, -4}, {0.75, 8}, {12, 0.5}, {2.5, 3}};

}  // namespace

TEST(CurveFitAccumulator, NewComponentIsEmptyWithDefaults) {
  TCurveFit cf(nullptr);
  EXPECT_EQ(cf.NumData(), 0);
  EXPECT_EQ(cf.MinX(), 1.7976931348623157e308);
  EXPECT_EQ(cf.MaxX(), -1.7976931348623157e308);
  EXPECT_EQ(cf.MinY(), 1.7976931348623157e308);
  EXPECT_TRUE(cf.ErrIndic().Empty());
  EXPECT_EQ(cf.SplineSmoothingFactor(), 0.5);
  EXPECT_TRUE(cf.SplineNatural1());
  EXPECT_TRUE(cf.SplineNaturalN());
  EXPECT_EQ(cf.SplineDerivY1(), 0);
  EXPECT_EQ(cf.Data()->NrOfColumns(), 2);
  EXPECT_EQ(cf.Data()->NrOfRows(), 1000);
  EXPECT_EQ(cf.MeanX(), 0);
  EXPECT_EQ(cf.StdDevX(), 0);
  EXPECT_EQ(cf.CorrCoeff(), 0);
}

TEST(CurveFitAccumulator, GrowsByAThousandRowsAndKeepsEveryPoint) {
  TCurveFit cf(nullptr);
  for (int i = 1; i <= 1000; ++i) cf.EnterStatValue(i, -i);
  EXPECT_EQ(cf.Data()->NrOfRows(), 1000);
  EXPECT_EQ(cf.EnterStatValue(1001.5, 7), 1001);
  EXPECT_EQ(cf.Data()->NrOfRows(), 2000);
  EXPECT_EQ(cf.DataX(1001), 1001.5);
  EXPECT_EQ(cf.DataY(1001), 7);
  EXPECT_EQ(cf.DataX(1000), 1000);
  EXPECT_EQ(cf.DataX(1002), 0);
  EXPECT_EQ(cf.DataY(0), 0);
}

TEST(CurveFitAccumulator, IndicatorsAndSubstitutesFollowTheThresholds) {
  struct Case {
    double x, y;
    bool xle0, yle0, xeq0, yeq0;
  };
  const Case cases[] = {
      {0, 5, true, false, true, false},         {1e-31, 2, false, false, true, false},
      {2, -1, false, true, false, false},       {5, 0, false, true, false, true},
      {-3, 1e-31, true, false, false, true},    {9.99e-31, 4, false, false, true, false},
      {1.1e-30, 4, false, false, false, false},
  };
  for (const Case& c : cases) {
    TCurveFit cf(nullptr);
    cf.EnterStatValue(c.x, c.y);
    const TCurveFitErrors e = cf.ErrIndic();
    SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
    EXPECT_EQ(e.Contains(cfeXLE0), c.xle0);
    EXPECT_EQ(e.Contains(cfeYLE0), c.yle0);
    EXPECT_EQ(e.Contains(cfeXEQ0), c.xeq0);
    EXPECT_EQ(e.Contains(cfeYEQ0), c.yeq0);
  }

  TCurveFit cf(nullptr);
  cf.EnterStatValue(0, 5);
  EXPECT_EQ(cf.Sums().sum1byx, 1.7e38L);
  EXPECT_EQ(cf.Sums().sumybyx, 5 * 1.7e38L);
  EXPECT_EQ(cf.Sums().sum1byxq, 1.7e38L * 1.7e38L);
  EXPECT_EQ(cf.ErrIndic().Bits(), (1 << cfeXLE0) | (1 << cfeXEQ0));

  // The reciprocal sums use the 1e-30 test, the logarithmic quotients only exact zero.
  cf.Init();
  cf.EnterStatValue(1e-31, 2);
  EXPECT_EQ(cf.Sums().sum1byx, 1.7e38L);
  EXPECT_EQ(cf.Sums().sumlnybyx, Ln(2) / static_cast<Extended>(1e-31));

  cf.Init();
  cf.EnterStatValue(2, -1);
  EXPECT_EQ(cf.Sums().sumlnx, Ln(2));
  EXPECT_EQ(cf.Sums().sumylnx, -Ln(2));
  EXPECT_EQ(cf.Sums().sumlnxbyy, -Ln(2));
  EXPECT_EQ(cf.Sums().sumlnxlny, 0);
  EXPECT_EQ(cf.Sums().sumlny, 0);
}

TEST(CurveFitAccumulator, SumsAreExtendedPrecision) {
  // Terms a double would round: 1/3 and ln 3 carry 64 mantissa bits here.
  TCurveFit cf(nullptr);
  cf.EnterStatValue(3, 3);
  EXPECT_EQ(cf.Sums().sum1byx, 1.0L / 3);
  EXPECT_NE(cf.Sums().sum1byx, static_cast<Extended>(1.0 / 3));
  EXPECT_EQ(cf.Sums().sumlnx, Ln(3));
}

TEST(CurveFitAccumulator, BadlyCentredDataKeepTheirDigits) {
  // Points far from 0 relative to their spread, where sums about 0 need far more than 19
  // digits, and points whose squares leave the double range. The figures are those of the
  // small numbers the points are made of, worked out by hand: x = 1e12 + {1, 2, 3, 4, 10},
  // y = 1e12 + {2, 1, 4, 3, 9} have Sxx = 50, Syy = 38.8, Sxy = 42, and x - y = {-1, 1, -1, 1,
  // 1} has S = 4.8; {1, 2, 3} against {1, 4, 9} has Sxx = 2, Syy = 294 / 9, Sxy = 8.
  struct Case {
    const char* name;
    TPoints points;
    Integer remove;  // a point taken out after all were entered (0: none)
    double meanX, sdX, sdY, sdDiff, r;
  };
  const double r1 = 42 / std::sqrt(50 * 38.8), r2 = 8 / std::sqrt(2 * 294.0 / 9);
  const TPoints far = {{1e12 + 1, 1e12 + 2},
                       {1e12 + 2, 1e12 + 1},
                       {1e12 + 3, 1e12 + 4},
                       {1e12 + 4, 1e12 + 3},
                       {1e12 + 10, 1e12 + 9}};
  TPoints afterZero = {{0, 0}};
  afterZero.insert(afterZero.end(), far.begin(), far.end());
  const Case cases[] = {
      {"1e8",
       {{1e8 + 1, 3e8 - 2}, {1e8 + 2, 3e8 - 4}, {1e8 + 3, 3e8 - 6}},
       0,
       1e8 + 2,
       1,
       2,
       3,
       -1},
      {"1e12", far, 0, 1e12 + 4, std::sqrt(12.5), std::sqrt(9.7), std::sqrt(1.2), r1},
      // The first point, far from the others, taken out again.
      {"1e12 after 0", afterZero, 1, 1e12 + 4, std::sqrt(12.5), std::sqrt(9.7), std::sqrt(1.2), r1},
      {"exactly correlated",
       {{1e15 + 1, 2e15 + 2}, {1e15 + 2, 2e15 + 4}, {1e15 + 4, 2e15 + 8}},
       0,
       1e15 + 7.0 / 3,
       std::sqrt(7.0 / 3),
       2 * std::sqrt(7.0 / 3),
       std::sqrt(7.0 / 3),
       1},
      {"1e160",
       {{1e160, 1e160}, {2e160, 4e160}, {3e160, 9e160}},
       0,
       2e160,
       1e160,
       std::sqrt(294.0 / 18) * 1e160,
       std::sqrt(168.0 / 18) * 1e160,
       r2},
      {"1e-170",
       {{1e-170, 1e-170}, {2e-170, 4e-170}, {3e-170, 9e-170}},
       0,
       2e-170,
       1e-170,
       std::sqrt(294.0 / 18) * 1e-170,
       std::sqrt(168.0 / 18) * 1e-170,
       r2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCurveFit cf(nullptr);
    Enter(cf, c.points);
    if (c.remove > 0) cf.RemoveStatValue(c.remove);
    EXPECT_NEAR(cf.MeanX(), c.meanX, 1e-15 * std::fabs(c.meanX));
    EXPECT_NEAR(cf.StdDevX(), c.sdX, 1e-12 * c.sdX);
    EXPECT_NEAR(cf.StdDevY(), c.sdY, 1e-12 * c.sdY);
    EXPECT_NEAR(cf.StdDevDiff(), c.sdDiff, 1e-12 * c.sdDiff);
    EXPECT_NEAR(cf.CorrCoeff(), c.r, 1e-12);
    EXPECT_LE(std::fabs(cf.CorrCoeff()), 1.0);
    // CalcStatistics hands on the same figures.
    Integer n;
    double mx, my, sx, sy, md, sd, r;
    cf.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
    EXPECT_EQ(sx, cf.StdDevX());
    EXPECT_EQ(sy, cf.StdDevY());
    EXPECT_EQ(sd, cf.StdDevDiff());
    EXPECT_EQ(r, cf.CorrCoeff());
  }

  // The same formula with double sums is visibly off: the first data set tells the two apart.
  const TPoints points = cases[0].points;
  double sx = 0, sxq = 0;
  for (const auto& p : points) {
    sx += p.first;
    sxq += p.first * p.first;
  }
  const double doubleSd = std::sqrt(std::fabs((sxq - sx * sx / 3) / 2));
  EXPECT_GT(std::fabs(doubleSd - 1.0), 0.1);
}

TEST(CurveFitAccumulator, RemovingAndEnteringAgainRestoresTheSums) {
  TCurveFit cf(nullptr);
  Enter(cf, kOrdinary);
  const TCurveFitSums before = cf.Sums();
  cf.RemoveStatValue(2);
  EXPECT_EQ(cf.NumData(), 4);
  EXPECT_EQ(cf.DataX(2), 0.75);
  cf.EnterStatValue(3, -4);
  ExpectSumsNear(cf.Sums(), before, 1e-16L);

  // A removal takes away exactly what the point added, skipped terms included.
  TCurveFit fewer(nullptr);
  Enter(fewer, {{1.5, 2.25}, {0.75, 8}});
  TCurveFit more(nullptr);
  Enter(more, {{1.5, 2.25}, {0.75, 8}, {3, -4}});
  more.RemoveStatValue(3);
  ExpectSumsNear(more.Sums(), fewer.Sums(), 1e-17L);
}

TEST(CurveFitAccumulator, RemovalKeepsIndicatorsAndExtremes) {
  TCurveFit cf(nullptr);
  Enter(cf, {{2, 3}, {-1, 4}, {5, 6}});
  cf.RemoveStatValue(2);
  EXPECT_TRUE(cf.ErrIndic().Contains(cfeXLE0));
  EXPECT_EQ(cf.MinX(), -1);
  EXPECT_EQ(cf.MaxY(), 6);
  cf.Init();
  EXPECT_TRUE(cf.ErrIndic().Empty());
}

TEST(CurveFitAccumulator, RemovalShiftsLaterPointsUpInOrder) {
  TCurveFit cf(nullptr);
  for (int i = 1; i <= 300; ++i) cf.EnterStatValue(i, 1000 + i);
  cf.RemoveStatValue(1);
  ASSERT_EQ(cf.NumData(), 299);
  for (int i = 1; i <= 299; ++i) {
    ASSERT_EQ(cf.DataX(i), i + 1);
    ASSERT_EQ(cf.DataY(i), 1001 + i);
  }
  EXPECT_EQ(cf.DataX(300), 0);
}

TEST(CurveFitAccumulator, RemovalOutsideTheRangeOnlyMakesTheCachesStale) {
  TCurveFit cf(nullptr);
  Enter(cf, {{1, 1}, {2, 4}, {3, 9}});
  double q;
  bool valid;
  cf.SmoothedSpline(2, q, valid);
  cf.CubicSpline(2);
  ASSERT_TRUE(cf.SplineValid());
  const TCurveFitSums before = cf.Sums();
  for (Integer ix : {0, 4, -1}) {
    cf.CubicSpline(2);
    cf.RemoveStatValue(ix);
    EXPECT_FALSE(cf.SplineValid());
    EXPECT_FALSE(cf.SmoothedSplineValid());
    EXPECT_FALSE(cf.RankCountsValid());
    EXPECT_EQ(cf.NumData(), 3);
    ExpectSumsNear(cf.Sums(), before, 0);
  }
}

TEST(CurveFitAccumulator, DeviationsMeansAndCalcStatistics) {
  TCurveFit cf(nullptr);
  Enter(cf, {{1, 10}, {2, 20}});
  EXPECT_EQ(cf.StdDevX(), 0);  // two points
  Integer n;
  double mx, my, sx, sy, md, sd, r;
  cf.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(mx, 1.5);
  EXPECT_EQ(my, 15);
  EXPECT_EQ(md, -13.5);
  EXPECT_EQ(sx, 0);
  EXPECT_EQ(r, 0);

  cf.EnterStatValue(3, 60);
  EXPECT_EQ(cf.StdDevX(), 1);
  cf.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(sx, 1);
  EXPECT_NEAR(sy, std::sqrt(700.0), 1e-12);
  EXPECT_NEAR(r, 25.0 / std::sqrt(700.0), 1e-12);
  EXPECT_NEAR(sd, cf.StdDevDiff(), 0);

  TCurveFit empty(nullptr);
  mx = my = 5;
  empty.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(mx, 0);
  EXPECT_EQ(my, 0);
}

TEST(CurveFitAccumulator, OrderStatisticsReadOnlyTheHeldPoints) {
  TCurveFit cf(nullptr);
  Enter(cf, {{1, 7}, {2, 6}, {3, 5}, {4, 4}, {100, -50}});
  cf.RemoveStatValue(5);  // its values stay in row 5 of the matrix, beyond the data
  double q1, q2, q3;
  ASSERT_TRUE(cf.QuartilesX(q1, q2, q3));
  EXPECT_EQ(q1, 1.25);
  EXPECT_EQ(q2, 2.5);
  EXPECT_EQ(q3, 3.75);
  ASSERT_TRUE(cf.QuartilesY(q1, q2, q3));
  EXPECT_EQ(q2, 5.5);
  EXPECT_NEAR(cf.SkewnessX(), 0, 1e-15);
  EXPECT_NEAR(cf.KurtosisY(), -1.2, 1e-12);

  TCurveFit three(nullptr);
  Enter(three, {{1, 1}, {2, 2}, {9, 3}});
  EXPECT_EQ(three.SkewnessX(), 0);  // fewer than four points
  // y without spread: no kurtosis, as for the population figure.
  TCurveFit flat(nullptr);
  for (double x = 1; x <= 10; ++x) Enter(flat, {{x, 5}});
  EXPECT_EQ(flat.KurtosisY(), 0);
  EXPECT_EQ(flat.SkewnessY(), 0);
  TCurveFit none(nullptr);
  q1 = 4;
  EXPECT_FALSE(none.QuartilesY(q1, q2, q3));
  EXPECT_EQ(q1, 0);
}

TEST(CurveFitAccumulator, MeanAngles) {
  struct Case {
    std::vector<double> degrees;
    double expected;
  };
  const Case cases[] = {{{30, 60}, 45}, {{90, 180}, 135},  {{300, 330}, 315},
                        {{350, 20}, 5}, {{270, 270}, 270}, {{0}, 0},
                        {{}, 0}};
  for (const Case& c : cases) {
    TCurveFit cf(nullptr);
    for (double a : c.degrees) cf.EnterStatValue(a, 0);
    EXPECT_NEAR(cf.MeanAngleX(), c.expected, 1e-9) << testing::PrintToString(c.degrees);
    EXPECT_GE(cf.MeanAngleX(), 0);
    EXPECT_LT(cf.MeanAngleX(), 360);
  }
  TCurveFit cf(nullptr);
  Enter(cf, {{0, 300}, {0, 330}});
  EXPECT_NEAR(cf.MeanAngleY(), 315, 1e-9);
}

TEST(CurveFitAccumulator, FlipExchangesTheAxesAndTwiceRestoresAll) {
  TCurveFit cf(nullptr);
  Enter(cf, kOrdinary);
  const TCurveFitSums original = cf.Sums();
  std::vector<double> matrix;
  for (Integer r = 1; r <= cf.Data()->NrOfRows(); ++r)
    for (Integer c = 1; c <= 2; ++c) matrix.push_back(cf.Data()->GetVal(c, r));

  cf.FlipXY();
  TPoints swapped;
  for (const auto& [x, y] : kOrdinary) swapped.emplace_back(y, x);
  TCurveFit reference(nullptr);
  Enter(reference, swapped);
  // The flipped sums are those of the swapped points (up to the order of rounding).
  ExpectSumsNear(cf.Sums(), reference.Sums(), 1e-17L);
  EXPECT_EQ(cf.MinX(), reference.MinX());
  EXPECT_EQ(cf.MaxY(), reference.MaxY());
  EXPECT_DOUBLE_EQ(cf.StdDevX(), reference.StdDevX());
  EXPECT_DOUBLE_EQ(cf.StdDevY(), reference.StdDevY());
  EXPECT_DOUBLE_EQ(cf.StdDevDiff(), reference.StdDevDiff());
  EXPECT_DOUBLE_EQ(cf.MeanDiff(), reference.MeanDiff());
  EXPECT_DOUBLE_EQ(cf.CorrCoeff(), reference.CorrCoeff());
  EXPECT_EQ(cf.DataX(2), -4);
  EXPECT_EQ(cf.DataY(2), 3);
  EXPECT_EQ(cf.ErrIndic().Bits(), reference.ErrIndic().Bits());
  EXPECT_TRUE(cf.ErrIndic().Contains(cfeXLE0));  // y = -4 is now an x
  EXPECT_FALSE(cf.ErrIndic().Contains(cfeYLE0));

  cf.FlipXY();
  const auto a = AllSums(cf.Sums()), o = AllSums(original);
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].second, o[i].second) << a[i].first;
  std::size_t k = 0;
  for (Integer r = 1; r <= cf.Data()->NrOfRows(); ++r)
    for (Integer c = 1; c <= 2; ++c) ASSERT_EQ(cf.Data()->GetVal(c, r), matrix[k++]);
}

TEST(CurveFitAccumulator, StraightLineFit) {
  struct Case {
    TPoints points;
    double k, d, quality;
    double scale = 1;  // the size of the data, which bounds the rounding of d
  };
  // x = {1, 2, 3, 4} s, y = {1, 2, 3.1, 4} s: k = 1.01, d = 0, r^2 = 5.05^2 / (5 * 5.1075).
  auto scaled = [](double s) {
    return Case{{{s, s}, {2 * s, 2 * s}, {3 * s, 3.1 * s}, {4 * s, 4 * s}},
                1.01,
                0,
                5.05 * 5.05 / (5 * 5.1075),
                s};
  };
  const Case cases[] = {
      {{{1, 3}, {2, 5}, {3, 7}}, 2, 1, 1},
      {{{1, 4}, {2, 4}, {5, 4}}, 0, 4, 1},                 // all y equal
      {{{0, 1}, {1, 0}, {2, 3}, {3, 2}}, 0.6, 0.6, 0.36},  // r = 0.6
      // Far from 0, with means that do not come out exact: the quality stays r^2 = 27/28.
      {{{1e9, 1e7}, {1e9 + 1, 1e7 + 1}, {1e9 + 2, 1e7 + 3}}, 1.5, 1e7 - 1.5e9 - 1.0 / 6, 27.0 / 28},
      // Squares of the deviations beyond the double range, or below it.
      scaled(1e150),
      scaled(1e160),
      scaled(1e300),
      scaled(1e-170),
      scaled(1e-300),
      // The sum of the x is beyond the double range, their mean 0.8e308 is not: k = 2.4e308 /
      // 7.68e616 = 3.125e-309, through both means.
      {{{-1.6e308, 0}, {1.6e308, 1}, {1.6e308, 1}, {1.6e308, 1}}, 3.125e-309, 0.5, 1, 1},
  };
  for (const Case& c : cases) {
    TCurveFit cf(nullptr);
    Enter(cf, c.points);
    double k, d, q;
    cf.CalcLinFit(k, d, q);
    EXPECT_NEAR(k, c.k, 1e-12 * (c.k == 0 ? 1 : std::fabs(c.k))) << c.scale;
    EXPECT_NEAR(d, c.d, 1e-12 * std::max({1.0, std::fabs(c.d), c.scale})) << c.scale;
    EXPECT_NEAR(q, c.quality, 1e-12) << c.scale;
  }
}

TEST(CurveFitAccumulator, StraightLineFitRefusals) {
  struct Case {
    TPoints points;
    const char* message;
  };
  const Case cases[] = {
      {{}, "CalcLinFit: not enough data points"},
      {{{1, 2}}, "CalcLinFit: not enough data points"},
      {{{2, 1}, {2, 5}}, "CalcLinFit: slope is infinite"},
      // A slope of 1e600.
      {{{1e-300, 1e300}, {2e-300, 2e300}, {3e-300, 3e300}}, "CalcLinFit: slope is infinite"},
      {{{1, 2}, {NAN, 3}, {3, 4}}, "CalcLinFit: values must be finite"},
      {{{1, 2}, {2, INFINITY}, {3, 4}}, "CalcLinFit: values must be finite"},
  };
  for (const Case& c : cases) {
    TCurveFit cf(nullptr);
    Enter(cf, c.points);
    double k = 9, d = 9, q = 9;
    try {
      cf.CalcLinFit(k, d, q);
      ADD_FAILURE() << "no exception for " << c.message;
    } catch (const ESDLMath2Error& e) {
      EXPECT_EQ(e.Message, c.message);
    }
    EXPECT_EQ(k, 0);
    EXPECT_EQ(d, 0);
    EXPECT_EQ(q, 0);
  }
}

TEST(CurveFitAccumulator, RegisteredForWindowDescriptions) {
  RegisterStatisticsClasses();
  TComponent owner(nullptr);
  const TComponentFactory* factory = FindComponentClass("TCurveFit");
  ASSERT_NE(factory, nullptr);
  TComponent* c = (*factory)(&owner);
  ASSERT_NE(dynamic_cast<TCurveFit*>(c), nullptr);
  EXPECT_EQ(c->Owner(), &owner);
}
