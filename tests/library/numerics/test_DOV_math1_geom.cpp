#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "DOV_math1.h"

namespace {
constexpr Double kPi = std::numbers::pi;
}

TEST(Geometry, DistFromRect) {
  struct Case {
    TPoint p;
    TRect r;
    Integer d;
  };
  const TRect R{0, 0, 10, 10};
  const Case cases[] = {
      {{5, 5}, R, 0},
      {{0, 5}, R, 0},
      {{10, 5}, R, 0},
      {{-3, 5}, R, 3},
      {{5, 14}, R, 4},
      {{13, 14}, R, 5},
      {{5, -2}, R, 2},
      {{0, 0}, R, 0},
      {{-1, -1}, R, 1},                    // sqrt 2 rounds to 1
      {{12, 12}, R, 3},                    // sqrt 8 = 2.83
      {{13, 14}, TRect{10, 10, 0, 0}, 5},  // corners given the other way round
      {{2000000000, 5}, TRect{-2000000000, 0, -1999999990, 10}, 2147483647},
  };
  for (const Case& c : cases) EXPECT_EQ(DistFromRect(c.p, c.r), c.d) << c.p.X << "," << c.p.Y;
  // Far corners: the squares must not overflow 32 bits.
  EXPECT_EQ(DistFromRect(TPoint{100000, 100000}, R), 141407);
}

TEST(Geometry, SegmentsAndOrientation) {
  using P = TPointDouble;
  EXPECT_EQ(CcwTriangle(P{0, 0}, P{1, 0}, P{0, 1}), 1);
  EXPECT_EQ(CcwTriangle(P{0, 0}, P{0, 1}, P{1, 0}), -1);
  EXPECT_EQ(CcwTriangle(P{0, 0}, P{1, 1}, P{2, 2}), 0);
  EXPECT_DOUBLE_EQ(DistanceToSegment(P{0, 1}, P{-1, 0}, P{1, 0}), 1);
  EXPECT_DOUBLE_EQ(DistanceToSegment(P{3, 0}, P{-1, 0}, P{1, 0}), 2);
  EXPECT_DOUBLE_EQ(DistanceToSegment(P{-4, 3}, P{0, 0}, P{10, 0}), 5);
  EXPECT_DOUBLE_EQ(DistanceToSegment(P{3, 4}, P{0, 0}, P{0, 0}), 5);
  EXPECT_TRUE(SegmentsIntersect(P{0, 0}, P{2, 2}, P{0, 2}, P{2, 0}));
  EXPECT_TRUE(SegmentsIntersect(P{0, 0}, P{1, 0}, P{2, 0}, P{3, 0}));  // collinear, apart
  EXPECT_FALSE(SegmentsIntersect(P{0, 0}, P{1, 0}, P{0, 1}, P{1, 1}));
  EXPECT_TRUE(SegmentsIntersect(P{0, 0}, P{1, 0}, P{1, 0}, P{1, 5}));  // touching
  EXPECT_FALSE(SegmentsIntersect(P{0, 0}, P{1, 0}, P{2, -1}, P{2, 1}));
  EXPECT_DOUBLE_EQ(EuclideanDistance(P{1, 1}, P{4, 5}), 5);
  EXPECT_DOUBLE_EQ(EuclideanDistance(1, 1, -2, -3), 5);
}

TEST(Geometry, DistFromEllipse) {
  struct Case {
    TPointDouble p;
    Double cx, cy, rx, ry;
    Double d;
    TPointDouble nearest;
  };
  const Case cases[] = {
      {{3, -1}, 3, -1, 2, 2, 2, {5, -1}},  // the centre of a circle
      {{5, 0}, 0, 0, 4, 2, 1, {4, 0}},
      {{0, 3}, 0, 0, 4, 2, 1, {0, 2}},
      {{0, -3}, 0, 0, 4, 2, 1, {0, -2}},
      {{-6, 0}, 0, 0, 4, 2, 2, {-4, 0}},
      {{0, 7}, 0, 0, 2, 4, 3, {0, 4}},                   // the long axis along Y
      {{4, 0}, 0, 0, 4, 2, 0, {4, 0}},                   // on the ellipse
      {{10, 10}, 0, 0, 0, 3, std::sqrt(149.0), {0, 3}},  // a flat one: a segment
  };
  for (const Case& c : cases) {
    TPointDouble n{99, 99};
    EXPECT_NEAR(DistFromEllipse(c.p, c.cx, c.cy, c.rx, c.ry, n), c.d, 1e-12)
        << c.p.X << "," << c.p.Y;
    EXPECT_NEAR(n.X, c.nearest.X, 1e-12);
    EXPECT_NEAR(n.Y, c.nearest.Y, 1e-12);
  }
  // A general point: the nearest point lies on the ellipse and the offset is normal to it.
  TPointDouble n;
  const Double d = DistFromEllipse(TPointDouble{-5, 4}, 1, 1, 4, 2, n);
  const Double ex = (n.X - 1) / 4, ey = (n.Y - 1) / 2;
  EXPECT_NEAR(ex * ex + ey * ey, 1, 1e-12);
  EXPECT_NEAR(EuclideanDistance(TPointDouble{-5, 4}, n), d, 1e-12);
  EXPECT_LT(n.X, 1);  // the quadrant of the point
  EXPECT_GT(n.Y, 1);
  const Double nx = (n.X - 1) / 16, ny = (n.Y - 1) / 4;  // gradient of the ellipse
  EXPECT_NEAR((-5 - n.X) * ny - (4 - n.Y) * nx, 0, 1e-9);
  // Inside points too.
  const Double din = DistFromEllipse(TPointDouble{1.5, 1.2}, 1, 1, 4, 2, n);
  EXPECT_GT(din, 0);
  EXPECT_NEAR(std::pow((n.X - 1) / 4, 2) + std::pow((n.Y - 1) / 2, 2), 1, 1e-12);
}

TEST(Geometry, BoundsAndClamping) {
  EXPECT_EQ(ConfineValue(7.0, 5.0, 1.0), 5.0);
  EXPECT_EQ(ConfineValue(-7, 5, 1), 1);
  EXPECT_EQ(ConfineValue(3.5f, 1.0f, 5.0f), 3.5f);
  EXPECT_FALSE(WithinBounds(0.95, 2, 1));
  EXPECT_TRUE(WithinBounds(0.95, 2, 1, 0.1));
  EXPECT_TRUE(WithinBounds(2, 2, 1));
  const TRectDouble r(10, 0, 0, 10);  // bounds in either order
  EXPECT_TRUE(WithinRect(TPointDouble{10, 0}, r));
  EXPECT_FALSE(WithinRect(TPointDouble{10.5, 0}, r));
  TPointDouble p{5, 5};
  EXPECT_FALSE(ConfinePointToRect(p, r));
  EXPECT_EQ(p.X, 5);
  p = TPointDouble{-1, 12};
  EXPECT_TRUE(ConfinePointToRect(p, r));
  EXPECT_EQ(p.X, 0);
  EXPECT_EQ(p.Y, 10);
}

TEST(Geometry, Angles) {
  EXPECT_EQ(AngleToXAxis(1, 0), 0);
  EXPECT_DOUBLE_EQ(AngleToXAxis(0, 1), kPi / 2);
  EXPECT_DOUBLE_EQ(AngleToXAxis(-1, 0), kPi);
  EXPECT_DOUBLE_EQ(AngleToXAxis(0, -1), 3 * kPi / 2);
  EXPECT_DOUBLE_EQ(AngleToXAxis(0, 0), 3 * kPi / 2);
  EXPECT_DOUBLE_EQ(AngleToXAxis(1, -1), 7 * kPi / 4);
  EXPECT_DOUBLE_EQ(AngleToXAxis(-1, -1), 5 * kPi / 4);
  EXPECT_DOUBLE_EQ(CanonicalAngleDegrees(540), 180);
  EXPECT_DOUBLE_EQ(CanonicalAngleDegrees(-190), 170);
  EXPECT_NEAR(CanonicalAngleDegrees(725), 5, 1e-12);
  EXPECT_NEAR(CanonicalAngleDegrees(-725), -5, 1e-12);
  EXPECT_DOUBLE_EQ(CanonicalAngleDegrees(180), 180);
  EXPECT_EQ(CanonicalAngleRadians(2 * kPi), 0);
  EXPECT_NEAR(CanonicalAngleRadians(7 * kPi / 2), -kPi / 2, 1e-12);
  EXPECT_NEAR(CanonicalAngleRadians(-3 * kPi / 2), kPi / 2, 1e-12);
}
