// Polygons, the convex hull (against gift wrapping), exact orientation, great circles.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "DOV_math2_geom.h"
#include "DOV_univconst.h"

namespace {

const TPDblArray UnitSquare{{0, 0}, {1, 0}, {1, 1}, {0, 1}};

bool Same(const TPointDouble& a, const TPointDouble& b) { return a.X == b.X && a.Y == b.Y; }

std::string Text(const TPDblArray& p) {
  std::string s;
  for (const auto& q : p) s += "(" + std::to_string(q.X) + ", " + std::to_string(q.Y) + ") ";
  return s;
}

// ---- sphere and polygons -------------------------------------------------------------------

TEST(Sphere, QuarterCircleAndIdenticalPoints) {
  EXPECT_NEAR(SphereGreatCircleDist(6371, 0, 0, 0, 90), 10007.54, 0.005);
  EXPECT_NEAR(SphereGreatCircleDist(1, 90, 0, -90, 0), std::acos(-1.0), 1e-12);
  // The cosine of identical points may round above 1; the arc stays 0, not a NaN.
  for (double lat : {0.1, 12.3456789, 45.0, 47.123456789, 89.99})
    for (double lon : {0.0, 7.1, 123.456, -77.7}) {
      const double d = SphereGreatCircleDist(6371, lat, lon, lat, lon);
      EXPECT_FALSE(std::isnan(d)) << lat << " " << lon;
      EXPECT_LT(d, 1e-3) << lat << " " << lon;
    }
}

TEST(Polygons, UnitSquare) {
  EXPECT_TRUE(PointIsInsidePolygon(0.5, 0.5, UnitSquare));
  for (auto [x, y] : {std::pair{1.0, 0.5},
                      {0.0, 0.0},
                      {2.0, 0.5},
                      {0.5, 1.0},
                      {0.5, 0.0},
                      {-0.5, 0.5},
                      {0.5, 1.5},
                      {1.0, 1.0}})
    EXPECT_FALSE(PointIsInsidePolygon(x, y, UnitSquare)) << x << " " << y;
  EXPECT_EQ(PolygonArea(UnitSquare), 1);
  TPDblArray reversed(UnitSquare.rbegin(), UnitSquare.rend());
  EXPECT_EQ(PolygonArea(reversed), -1);
  EXPECT_TRUE(PointIsInsidePolygon(0.5, 0.5, reversed));
  EXPECT_EQ(PolygonLength(UnitSquare, false), 3);
  EXPECT_EQ(PolygonLength(UnitSquare, true), 4);
  double x0, y0, x1, y1;
  OuterRectOfPolygon(UnitSquare, x0, y0, x1, y1);
  EXPECT_EQ((std::vector<double>{x0, y0, x1, y1}), (std::vector<double>{0, 0, 1, 1}));
  Integer count = 99;
  EXPECT_EQ(PolygonArea(UnitSquare, count), 1);
  EXPECT_EQ(count, 0);
}

TEST(Polygons, BowTieAndConcaveOutlines) {
  const TPDblArray bowTie{{0, 0}, {1, 1}, {1, 0}, {0, 1}};
  Integer count = 0;
  EXPECT_EQ(PolygonArea(bowTie, count), 0);
  EXPECT_EQ(count, 1);
  // A star whose five edges each cross two others: five crossings.
  TPDblArray star;
  for (int i = 0; i < 5; ++i) {
    const double a = std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
    star.push_back({std::cos(a), std::sin(a)});
  }
  PolygonArea(star, count);
  EXPECT_EQ(count, 5);
  // A U shape: the notch is outside, the arms inside.
  // (Arms of different heights: collinear edges count as intersecting even when apart.)
  const TPDblArray u{{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 2}, {0, 2}};
  EXPECT_EQ(PolygonArea(u, count), 6);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(PointIsInsidePolygon(0.5, 1.5, u));
  EXPECT_TRUE(PointIsInsidePolygon(2.5, 2, u));
  EXPECT_FALSE(PointIsInsidePolygon(1.5, 2, u));
  EXPECT_FALSE(PointIsInsidePolygon(1.5, 1, u));  // on the notch's floor
  EXPECT_TRUE(PointIsInsidePolygon(1.5, 0.5, u));
  EXPECT_FALSE(PointIsInsidePolygon(2, 0, u));    // on a horizontal edge
  EXPECT_FALSE(PointIsInsidePolygon(1, 1.5, u));  // on a vertical edge
  EXPECT_FALSE(PointIsInsidePolygon(4, 1, u));    // right of a vertex's height
  EXPECT_FALSE(PointIsInsidePolygon(-1, 1, u));   // ray through the notch's corners
}

TEST(Polygons, DistanceToTheOutline) {
  EXPECT_NEAR(DistanceToPolygon({-1, 0.5}, UnitSquare, false), std::sqrt(1.25), 1e-15);
  EXPECT_EQ(DistanceToPolygon({-1, 0.5}, UnitSquare, true), 1);
  EXPECT_EQ(DistanceToPolygon({0.5, 0.5}, UnitSquare, true), 0.5);
  EXPECT_EQ(DistanceToPolygon({3, 4}, TPDblArray{{0, 0}}, false), double(uc_MaxDouble));
  EXPECT_EQ(DistanceToPolygon({3, 4}, TPDblArray{{0, 0}}, true), 5);
}

TEST(Polygons, EmptyPolygonsHaveNothing) {
  const TPDblArray none;
  Integer count = 7;
  double a = 1, b = 2, c = 3, d = 4;
  EXPECT_FALSE(PointIsInsidePolygon(0, 0, none));
  EXPECT_EQ(PolygonArea(none), 0);
  EXPECT_EQ(PolygonArea(none, count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(PolygonLength(none, true), 0);
  OuterRectOfPolygon(none, a, b, c, d);
  EXPECT_EQ((std::vector<double>{a, b, c, d}), std::vector<double>(4, 0));
  EXPECT_EQ(DistanceToPolygon({1, 1}, none, true), double(uc_MaxDouble));
  EXPECT_TRUE(Convex2DHull(none).empty());
  EXPECT_FALSE(PointIsInsideConvexHull(0, 0, none));
}

// ---- exact orientation ---------------------------------------------------------------------

TEST(Orientation, ExactNearACollinearLine) {
  // Points a few units in the last place off the line y = x through (12, 12) and (24, 24):
  // a rounded determinant gets many of these wrong.
  const double u = std::ldexp(1.0, -53);
  for (int i = 0; i < 16; ++i)
    for (int j = 0; j < 16; ++j) {
      const TPointDouble p{0.5 + i * u, 0.5 + j * u};
      const Integer want = (j > i) - (j < i);
      EXPECT_EQ(ExactOrientation(p, {12, 12}, {24, 24}), want) << i << " " << j;
    }
  EXPECT_EQ(ExactOrientation({0, 0}, {1, 0}, {0, 1}), 1);
  EXPECT_EQ(ExactOrientation({0, 0}, {0, 1}, {1, 0}), -1);
  // Huge and tiny coordinates neither overflow nor vanish.
  EXPECT_EQ(ExactOrientation({0, 0}, {1e300, 0}, {0, 1e300}), 1);
  EXPECT_EQ(ExactOrientation({0, 0}, {1e-300, 0}, {0, 1e-300}), 1);
  EXPECT_EQ(ExactOrientation({0, 0}, {1e300, 1e300}, {-1e300, -1e300}), 0);
  EXPECT_EQ(ExactOrientation({0, 0}, {NAN, 0}, {0, 1}), 0);
}

// ---- convex hull ---------------------------------------------------------------------------

// Gift wrapping with an orientation test the points make exact: integer coordinates below
// 2^25 in an int64 determinant, or plain long double for random reals (whose near-collinear
// triples are too rare to matter).
template <class Orient>
TPDblArray GiftWrap(TPDblArray p, Orient orient) {
  std::sort(p.begin(), p.end(),
            [](auto& a, auto& b) { return a.X < b.X || (a.X == b.X && a.Y < b.Y); });
  p.erase(std::unique(p.begin(), p.end(), Same), p.end());
  if (p.size() < 2) return p;
  auto dist2 = [](const TPointDouble& a, const TPointDouble& b) {
    const long double dx = (long double)b.X - a.X, dy = (long double)b.Y - a.Y;
    return dx * dx + dy * dy;
  };
  TPDblArray hull;
  std::size_t cur = 0;
  do {
    hull.push_back(p[cur]);
    std::size_t cand = (cur + 1) % p.size();
    for (std::size_t r = 0; r < p.size(); ++r) {
      if (r == cur) continue;
      const int o = orient(p[cur], p[cand], p[r]);
      if (o < 0 || (o == 0 && dist2(p[cur], p[r]) > dist2(p[cur], p[cand]))) cand = r;
    }
    cur = cand;
  } while (cur != 0 && hull.size() <= p.size());
  return hull;
}

int IntOrient(const TPointDouble& a, const TPointDouble& b, const TPointDouble& c) {
  const auto v = (std::int64_t(b.X) - std::int64_t(a.X)) * (std::int64_t(c.Y) - std::int64_t(a.Y)) -
                 (std::int64_t(b.Y) - std::int64_t(a.Y)) * (std::int64_t(c.X) - std::int64_t(a.X));
  return (v > 0) - (v < 0);
}

int LongOrient(const TPointDouble& a, const TPointDouble& b, const TPointDouble& c) {
  const long double v = ((long double)b.X - a.X) * ((long double)c.Y - a.Y) -
                        ((long double)b.Y - a.Y) * ((long double)c.X - a.X);
  return (v > 0) - (v < 0);
}

// The same cycle of corners, whatever the start.
void ExpectSameCycle(const TPDblArray& got, const TPDblArray& want, const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what << "\n got  " << Text(got) << "\n want " << Text(want);
  if (want.empty()) return;
  const auto it = std::find_if(got.begin(), got.end(), [&](auto& q) { return Same(q, want[0]); });
  ASSERT_NE(it, got.end()) << what;
  const std::size_t off = static_cast<std::size_t>(it - got.begin());
  for (std::size_t i = 0; i < want.size(); ++i)
    ASSERT_TRUE(Same(got[(i + off) % got.size()], want[i])) << what << " corner " << i;
}

TEST(ConvexHull, UnitSquareWithItsCentreStartsBelowRight) {
  TPDblArray pts = UnitSquare;
  pts.push_back({0.5, 0.5});
  const TPDblArray hull = Convex2DHull(pts);
  const TPDblArray want{{1, 0}, {1, 1}, {0, 1}, {0, 0}};
  ASSERT_EQ(hull.size(), 4u) << Text(hull);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_TRUE(Same(hull[i], want[i])) << Text(hull);
  EXPECT_TRUE(PointIsInsideConvexHull(0.5, 0.5, hull));
  EXPECT_FALSE(PointIsInsideConvexHull(1, 0.5, hull));  // on an edge
  EXPECT_FALSE(PointIsInsideConvexHull(0, 0, hull));    // a corner
  EXPECT_FALSE(PointIsInsideConvexHull(1.5, 0.5, hull));
  const TPDblArray clockwise(hull.rbegin(), hull.rend());
  for (auto [x, y] : {std::pair{0.5, 0.5}, {0.1, 0.9}, {5.0, 5.0}})
    EXPECT_FALSE(PointIsInsideConvexHull(x, y, clockwise));
}

TEST(ConvexHull, ThreePointsOrFewerComeBackAsGiven) {
  const TPDblArray three{{1, 1}, {0, 0}, {1, 1}};
  const TPDblArray hull = Convex2DHull(three);
  ASSERT_EQ(hull.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(Same(hull[i], three[i]));
}

TEST(ConvexHull, DegenerateSets) {
  // Coinciding points: one corner; collinear points: their two ends.
  EXPECT_EQ(Convex2DHull(TPDblArray(6, TPointDouble{2, 3})).size(), 1u);
  const TPDblArray line{{3, 3}, {1, 1}, {2, 2}, {5, 5}, {4, 4}, {1, 1}};
  const TPDblArray ends = Convex2DHull(line);
  ExpectSameCycle(ends, {{1, 1}, {5, 5}}, "collinear");
  // Points that are not numbers are left out.
  TPDblArray withNaN = UnitSquare;
  withNaN.push_back({NAN, 0.5});
  withNaN.push_back({0.5, INFINITY});
  ExpectSameCycle(Convex2DHull(withNaN), {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, "non-finite");
  EXPECT_TRUE(Convex2DHull(TPDblArray(5, TPointDouble{NAN, NAN})).empty());
}

TEST(ConvexHull, CentroidNearOneSideOfTheHull) {
  // Many points crowd the bottom edge, one stands far above: the centroid lies just above the
  // bottom edge, so chords between neighbours by angle span more than half a turn.
  TPDblArray pts;
  for (int i = 0; i <= 200; ++i) pts.push_back({double(i % 17), double(i % 3)});
  pts.push_back({8, 10000});
  pts.push_back({-3, 1});
  ExpectSameCycle(Convex2DHull(pts), GiftWrap(pts, IntOrient), "crowded bottom");
}

TEST(ConvexHull, DenseConvexCurveKeepsEveryCorner) {
  // Every point of a parabola is a corner, however close their directions from the centroid.
  TPDblArray pts;
  for (int i = -2000; i <= 2000; ++i) pts.push_back({double(i), double(i) * i});
  std::shuffle(pts.begin(), pts.end(), std::mt19937(5));
  EXPECT_EQ(Convex2DHull(pts).size(), 4001u);
}

TEST(ConvexHull, AgreesWithGiftWrappingOnRandomSets) {
  std::mt19937_64 rng(20261210);
  for (int round = 0; round < 300; ++round) {
    const int n = 4 + static_cast<int>(rng() % 200);
    // A small grid gives many collinear points and duplicates.
    const int range = (round % 3 == 0) ? 4 : (round % 3 == 1) ? 30 : 1000000;
    std::uniform_int_distribution<int> coord(-range, range);
    TPDblArray pts;
    for (int i = 0; i < n; ++i) pts.push_back({double(coord(rng)), double(coord(rng))});
    if (round % 5 == 0) pts.insert(pts.end(), pts.begin(), pts.begin() + n / 2);
    const TPDblArray hull = Convex2DHull(pts);
    ExpectSameCycle(hull, GiftWrap(pts, IntOrient), "integer round " + std::to_string(round));
    // Every corner turns left and every point lies inside or on the hull.
    for (std::size_t i = 0; i < hull.size() && hull.size() >= 3; ++i)
      ASSERT_EQ(ExactOrientation(hull[i], hull[(i + 1) % hull.size()], hull[(i + 2) % hull.size()]),
                1);
    for (const auto& p : pts)
      for (std::size_t i = 0; i < hull.size() && hull.size() >= 3; ++i)
        ASSERT_GE(ExactOrientation(hull[i], hull[(i + 1) % hull.size()], p), 0);
  }
  std::uniform_real_distribution<double> unit(-1, 1);
  for (int round = 0; round < 100; ++round) {
    TPDblArray pts;
    for (int i = 0; i < 500; ++i) {
      const double x = unit(rng), y = unit(rng);
      // Disc, square and thin-band sets.
      if (round % 3 == 0 && x * x + y * y > 1) continue;
      pts.push_back({x, round % 3 == 2 ? y * 1e-9 : y});
    }
    ExpectSameCycle(Convex2DHull(pts), GiftWrap(pts, LongOrient),
                    "real round " + std::to_string(round));
  }
}

TEST(ConvexHull, PointInHullAgreesWithPointInPolygonOffTheOutline) {
  std::mt19937_64 rng(77);
  std::uniform_real_distribution<double> unit(-1, 1);
  TPDblArray pts;
  for (int i = 0; i < 300; ++i) pts.push_back({unit(rng), unit(rng) * 0.5});
  const TPDblArray hull = Convex2DHull(pts);
  for (int i = 0; i < 2000; ++i) {
    const double x = unit(rng) * 1.2, y = unit(rng) * 0.7;
    EXPECT_EQ(PointIsInsideConvexHull(x, y, hull), PointIsInsidePolygon(x, y, hull))
        << x << " " << y;
  }
}

}  // namespace
