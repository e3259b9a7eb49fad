#include <gtest/gtest.h>

#include <cmath>

#include "spline.h"

namespace {

using V = std::vector<double>;

spline Fitted(const V& x, const V& y, bool cubic = true) {
  spline s;
  s.fit(x, y, cubic);
  return s;
}

}  // namespace

// Worked out by hand: with natural ends the middle second derivative is -3 (b = -1.5), so the
// slopes are 1.5, 0, -1.5 and the ends continue as straight lines.
TEST(Spline, ThreePointsWithNaturalEnds) {
  const spline s = Fitted({0, 1, 2}, {0, 1, 0});
  EXPECT_DOUBLE_EQ(s.value_at(0.5), 0.6875);
  EXPECT_DOUBLE_EQ(s.value_at(1.5), 0.6875);
  EXPECT_EQ(s.value_at(1), 1.0);
  EXPECT_EQ(s.value_at(0), 0.0);
  EXPECT_EQ(s.value_at(2), 0.0);
  EXPECT_DOUBLE_EQ(s.value_at(-1), -1.5);
  EXPECT_DOUBLE_EQ(s.value_at(3), -1.5);
  EXPECT_DOUBLE_EQ(s.value_at(-3), -4.5);
}

// A straight line has zero second derivative everywhere, so natural ends reproduce it exactly,
// inside the points and outside.
TEST(Spline, ReproducesAStraightLineInsideAndOutside) {
  const spline s = Fitted({245, 410, 610, 1415, 2695}, {1, 4.3, 8.3, 24.4, 50});
  for (double x : {100.0, 245.0, 300.0, 1000.0, 2695.0, 9000.0})
    EXPECT_NEAR(s.value_at(x), 1 + (x - 245) * 0.02, 1e-9) << x;
}

// p(x) = x^3 - 2x^2 + 3x - 1: p'' = 6x - 4, p' = 3x^2 - 4x + 3. Given the true second (or first)
// derivatives at the ends, the cubic spline through its values is p itself.
TEST(Spline, ReproducesACubicGivenItsEndDerivatives) {
  const auto p = [](double x) { return ((x - 2) * x + 3) * x - 1; };
  const V x = {0, 1, 2.5, 4};
  V y;
  for (double v : x) y.push_back(p(v));
  struct Ends {
    spline::bd_type kind;
    double left, right;
  };
  for (const Ends& e : {Ends{spline::second_deriv, -4, 20}, Ends{spline::first_deriv, 3, 35}}) {
    SCOPED_TRACE(e.kind);
    spline s;
    s.set_boundary(e.kind, e.left, e.kind, e.right);
    s.fit(x, y);
    for (double v = 0; v <= 4; v += 0.125) EXPECT_NEAR(s.value_at(v), p(v), 1e-12) << v;
  }
}

// The real readings of one observatory: the curve passes through every reading and has no kink.
TEST(Spline, IsContinuousInValueAndSlopeAtTheKnots) {
  const V x = {245, 410, 610, 1415, 2695, 2800, 4995, 8800, 15400};
  const V y = {30, 46, 77, 132, 181, 199, 206, 287, 571};
  const spline s = Fitted(x, y);
  // A knot is evaluated as the end of the interval before it: equal up to rounding.
  for (size_t k = 0; k < x.size(); ++k) EXPECT_NEAR(s.value_at(x[k]), y[k], 1e-9) << k;
  for (size_t k = 1; k + 1 < x.size(); ++k) {
    const double e = 1e-4;
    const double left = (s.value_at(x[k]) - s.value_at(x[k] - e)) / e;
    const double right = (s.value_at(x[k] + e) - s.value_at(x[k])) / e;
    EXPECT_NEAR(left, right, 1e-3) << "knot " << k;
  }
}

// Natural ends: outside the points the curve goes on along the end slopes.
TEST(Spline, ExtrapolatesLinearlyAlongTheEndSlopes) {
  const spline s = Fitted({245, 410, 610}, {100, 120, 150});
  const double e = 1e-6;
  const double left_slope = (s.value_at(245 + e) - s.value_at(245)) / e;
  const double right_slope = (s.value_at(610) - s.value_at(610 - e)) / e;
  EXPECT_NEAR(s.value_at(200), 100 - 45 * left_slope, 1e-4);
  EXPECT_NEAR(s.value_at(100), 100 - 145 * left_slope, 1e-4);
  EXPECT_NEAR(s.value_at(700), 150 + 90 * right_slope, 1e-4);
  EXPECT_NEAR(s.value_at(1000), 150 + 390 * right_slope, 1e-4);
  // The second differences outside are zero: a line, not a parabola.
  EXPECT_NEAR(s.value_at(800) - 2 * s.value_at(900) + s.value_at(1000), 0, 1e-9);
  EXPECT_NEAR(s.value_at(0) - 2 * s.value_at(50) + s.value_at(100), 0, 1e-9);
}

TEST(Spline, LinearKindJoinsThePointsByStraightLines) {
  const spline s = Fitted({0, 1, 3}, {0, 2, 3}, false);
  EXPECT_DOUBLE_EQ(s.value_at(0.5), 1.0);
  EXPECT_DOUBLE_EQ(s.value_at(2), 2.5);
  EXPECT_DOUBLE_EQ(s.value_at(-1), -2.0);  // first segment's slope 2
  EXPECT_DOUBLE_EQ(s.value_at(5), 4.0);    // last segment's slope 0.5
}

TEST(Spline, RefusesWhatItCannotFit) {
  spline s;
  struct Case {
    V x, y;
    const char* check;
  };
  const Case cases[] = {
      {{0, 1}, {0, 1}, "x.size()>2"},
      {{0, 1, 2}, {0, 1}, "x.size()==y.size()"},
      {{0, 2, 1}, {0, 1, 2}, "m_x[i]<m_x[i+1]"},
      {{0, 1, 1}, {0, 1, 2}, "m_x[i]<m_x[i+1]"},
  };
  for (const Case& c : cases) {
    try {
      s.fit(c.x, c.y);
      ADD_FAILURE() << c.check << " not raised";
    } catch (const ESplineCheck& e) {
      EXPECT_EQ(e.Message, std::string("spline: check failed: ") + c.check);
    }
  }
}

TEST(BandMatrix, SolvesATridiagonalSystem) {
  // [2 1 0; 1 3 1; 0 1 2] x = [3 5 3] has x = (1, 1, 1).
  band_matrix A(3, 1, 1);
  EXPECT_EQ(A.dim(), 3);
  EXPECT_EQ(A.num_upper(), 1);
  EXPECT_EQ(A.num_lower(), 1);
  A.element(0, 0) = 2;
  A.element(0, 1) = 1;
  A.element(1, 0) = 1;
  A.element(1, 1) = 3;
  A.element(1, 2) = 1;
  A.element(2, 1) = 1;
  A.element(2, 2) = 2;
  const V x = A.solve_lu({3, 5, 3});
  ASSERT_EQ(x.size(), 3u);
  for (double v : x) EXPECT_NEAR(v, 1.0, 1e-15);
  EXPECT_DOUBLE_EQ(A.saved_diagonal(0), 0.5);  // 1 / the first row's diagonal
  // Already decomposed: a second right-hand side reuses the factors.
  const V x2 = A.solve_lu({2, 1, 0}, true);  // x = (1, 0, 0)
  EXPECT_NEAR(x2[0], 1, 1e-15);
  EXPECT_NEAR(x2[1], 0, 1e-15);
  EXPECT_NEAR(x2[2], 0, 1e-15);
}

TEST(BandMatrix, ChecksItsIndexesAndSizes) {
  band_matrix A(3, 1, 1);
  EXPECT_THROW(A.element(0, 2), ESplineCheck);  // outside the bands
  EXPECT_THROW(A.element(3, 3), ESplineCheck);  // outside the matrix
  EXPECT_THROW(A.saved_diagonal(-1), ESplineCheck);
  EXPECT_THROW(A.solve_lu({1, 2}), ESplineCheck);
  EXPECT_THROW(band_matrix(0, 1, 1), ESplineCheck);
  band_matrix Z(2, 1, 1);  // all zero: no pivot
  EXPECT_THROW(Z.decompose_lu(), ESplineCheck);
}
