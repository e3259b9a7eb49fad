// Plane geometry: polygons, the convex hull, the great-circle distance.

#include "DOV_math2_geom.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "DOV_math1.h"
#include "DOV_univconst.h"

// ---- exact orientation -----------------------------------------------------------------------

namespace {

// a + b = x + y exactly (x the rounded sum).
void TwoSum(double a, double b, double& x, double& y) {
  x = a + b;
  const double bv = x - a;
  const double av = x - bv;
  y = (a - av) + (b - bv);
}

// The relative error bound of the rounded determinant below, (3 + 16 eps) eps.
constexpr double OrientErrBound = (3.0 + 16.0 * 0x1p-53) * 0x1p-53;

// Coordinates beyond these magnitudes are brought near 1 by a power of two first, so that no
// product overflows and none of the parts of an exact product underflows.
constexpr double ScaleAbove = 0x1p+400;
constexpr double ScaleBelow = 0x1p-400;

// The sign of the sum of the six exact products that make up the determinant.
Integer ExactDeterminantSign(TPointDouble A, TPointDouble B, TPointDouble C) {
  const double products[6][2] = {{B.X, C.Y},  {-B.X, A.Y}, {-A.X, C.Y},
                                 {-B.Y, C.X}, {B.Y, A.X},  {A.Y, C.X}};
  // A growing expansion: nonoverlapping parts in order of increasing size, whose sum is exact.
  std::array<double, 12> e{};
  std::size_t m = 0;
  auto grow = [&](double b) {
    double q = b;
    for (std::size_t i = 0; i < m; ++i) TwoSum(q, e[i], q, e[i]);
    e[m++] = q;
  };
  for (const auto& p : products) {
    const double hi = p[0] * p[1];
    grow(std::fma(p[0], p[1], -hi));
    grow(hi);
  }
  for (std::size_t i = m; i-- > 0;)
    if (e[i] != 0) return e[i] > 0 ? 1 : -1;
  return 0;
}

}  // namespace

namespace {

// The rounded determinant's sign when its error bound proves it: finite terms in the normal
// range (a product that underflows has no relative error bound).
constexpr double MinFilterSum = 0x1p-960;

bool FilteredSign(TPointDouble A, TPointDouble B, TPointDouble C, Integer& Sign) {
  const double left = (B.X - A.X) * (C.Y - A.Y);
  const double right = (B.Y - A.Y) * (C.X - A.X);
  const double det = left - right;
  const double sum = std::abs(left) + std::abs(right);
  if (!(sum >= MinFilterSum && sum <= std::numeric_limits<double>::max())) return false;
  if (!(std::abs(det) > OrientErrBound * sum)) return false;
  Sign = det > 0 ? 1 : -1;
  return true;
}

}  // namespace

Integer ExactOrientation(TPointDouble A, TPointDouble B, TPointDouble C) {
  Integer sign = 0;
  if (FilteredSign(A, B, C, sign)) return sign;
  for (double v : {A.X, A.Y, B.X, B.Y, C.X, C.Y})
    if (!std::isfinite(v)) return 0;
  const double big = std::max(
      {std::abs(A.X), std::abs(A.Y), std::abs(B.X), std::abs(B.Y), std::abs(C.X), std::abs(C.Y)});
  if (big == 0) return 0;
  if (big > ScaleAbove || big < ScaleBelow) {
    const int shift = -std::ilogb(big);
    for (TPointDouble* p : {&A, &B, &C}) {
      p->X = std::ldexp(p->X, shift);
      p->Y = std::ldexp(p->Y, shift);
    }
    if (FilteredSign(A, B, C, sign)) return sign;
  }
  return ExactDeterminantSign(A, B, C);
}

// ---- sphere ----------------------------------------------------------------------------------

double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2) {
  constexpr double rad = std::numbers::pi / 180;
  const double la1 = Lat1 * rad, lo1 = Long1 * rad, la2 = Lat2 * rad, lo2 = Long2 * rad;
  double c = std::cos(la2) * std::cos(la1) * std::cos(lo1 - lo2) + std::sin(la2) * std::sin(la1);
  c = std::clamp(c, -1.0, 1.0);
  return Radius * std::acos(c);
}

// ---- polygons --------------------------------------------------------------------------------

namespace {

// One edge's factor of the crossing product: 0 when Q lies on the edge, -1 when the ray from
// Q to the right crosses it, 1 otherwise.
Integer CrossingCode(TPointDouble Q, TPointDouble B, TPointDouble C) {
  if (Q.Y == B.Y && Q.Y == C.Y) {
    const bool between = (B.X <= Q.X && Q.X <= C.X) || (C.X <= Q.X && Q.X <= B.X);
    return between ? 0 : 1;
  }
  if (B.Y > C.Y) std::swap(B, C);
  if (Q.X == B.X && Q.Y == B.Y) return 0;
  if (Q.Y <= B.Y || Q.Y > C.Y) return 1;
  // The sign of (B - Q) x (C - Q).
  const Integer d = ExactOrientation(Q, B, C);
  return d > 0 ? -1 : (d < 0 ? 1 : 0);
}

}  // namespace

bool PointIsInsidePolygon(double x, double y, const TPDblArray& Polygon) {
  if (Polygon.empty()) return false;
  const TPointDouble Q{x, y};
  Integer t = -1;
  t *= CrossingCode(Q, Polygon.back(), Polygon.front());
  for (std::size_t i = 0; i + 1 < Polygon.size() && t != 0; ++i)
    t *= CrossingCode(Q, Polygon[i], Polygon[i + 1]);
  return t == 1;
}

double PolygonArea(const TPDblArray& Polygon) {
  if (Polygon.empty()) return 0;
  const TPointDouble& first = Polygon.front();
  const TPointDouble& last = Polygon.back();
  double s = (last.X - first.X) * (last.Y + first.Y);
  for (std::size_t i = 0; i + 1 < Polygon.size(); ++i)
    s += (Polygon[i].X - Polygon[i + 1].X) * (Polygon[i].Y + Polygon[i + 1].Y);
  return 0.5 * s;
}

double PolygonArea(const TPDblArray& Polygon, Integer& Count) {
  const std::size_t n = Polygon.size();
  Count = 0;
  if (n == 0) return 0;
  Count = -static_cast<Integer>(n);
  // Edge e runs from point e to point e + 1; edge n - 1 is the closing one.
  auto from = [&](std::size_t e) { return Polygon[e]; };
  auto to = [&](std::size_t e) { return Polygon[(e + 1) % n]; };
  for (std::size_t e1 = 0; e1 < n; ++e1)
    for (std::size_t e2 = e1 + 1; e2 < n; ++e2)
      if (SegmentsIntersect(from(e1), to(e1), from(e2), to(e2))) ++Count;
  return PolygonArea(Polygon);
}

double PolygonLength(const TPDblArray& Polygon, bool Closed) {
  if (Polygon.empty()) return 0;
  double s = 0;
  for (std::size_t i = 0; i + 1 < Polygon.size(); ++i)
    s += EuclideanDistance(Polygon[i], Polygon[i + 1]);
  if (Closed) s += EuclideanDistance(Polygon.back(), Polygon.front());
  return s;
}

void OuterRectOfPolygon(const TPDblArray& Polygon, double& MinX, double& MinY, double& MaxX,
                        double& MaxY) {
  MinX = MinY = MaxX = MaxY = 0;
  if (Polygon.empty()) return;
  MinX = MaxX = Polygon[0].X;
  MinY = MaxY = Polygon[0].Y;
  for (std::size_t i = 1; i < Polygon.size(); ++i) {
    const TPointDouble& p = Polygon[i];
    if (p.X < MinX) MinX = p.X;
    if (p.X > MaxX) MaxX = p.X;
    if (p.Y < MinY) MinY = p.Y;
    if (p.Y > MaxY) MaxY = p.Y;
  }
}

double DistanceToPolygon(TPointDouble P, const TPDblArray& Polygon, bool Closed) {
  double d = static_cast<double>(uc_MaxDouble);
  if (Polygon.empty()) return d;
  for (std::size_t i = 0; i + 1 < Polygon.size(); ++i)
    d = std::min(d, DistanceToSegment(P, Polygon[i], Polygon[i + 1]));
  if (Closed) d = std::min(d, DistanceToSegment(P, Polygon.back(), Polygon.front()));
  return d;
}

// ---- convex hull -----------------------------------------------------------------------------

namespace {

// Andrew's monotone chain over distinct points sorted by x, then y: the lower chain left to
// right, then the upper chain right to left, keeping only strict left turns.
TPDblArray MonotoneChain(TPDblArray p) {
  std::sort(p.begin(), p.end(), [](const TPointDouble& a, const TPointDouble& b) {
    return a.X < b.X || (a.X == b.X && a.Y < b.Y);
  });
  p.erase(std::unique(p.begin(), p.end(),
                      [](const TPointDouble& a, const TPointDouble& b) {
                        return a.X == b.X && a.Y == b.Y;
                      }),
          p.end());
  if (p.size() < 2) return p;
  TPDblArray h(2 * p.size());
  std::size_t k = 0;
  for (const TPointDouble& q : p) {
    while (k >= 2 && ExactOrientation(h[k - 2], h[k - 1], q) <= 0) --k;
    h[k++] = q;
  }
  for (std::size_t i = p.size() - 1, lower = k + 1; i-- > 0;) {
    const TPointDouble& q = p[i];
    while (k >= lower && ExactOrientation(h[k - 2], h[k - 1], q) <= 0) --k;
    h[k++] = q;
  }
  h.resize(k - 1);  // the last point is the first one again
  return h;
}

// Drops the points strictly inside the polygon of the extreme points in eight directions (x,
// y, x + y, x - y, each both ways): they lie strictly inside the hull, so they are neither
// corners nor on an edge. On spread-out sets this leaves few points for the sort.
void DropInnerPoints(TPDblArray& p) {
  constexpr std::size_t Directions = 8;
  std::array<std::size_t, Directions> ext{};
  auto score = [](const TPointDouble& q, std::size_t d) {
    switch (d) {
      case 0: return q.X;
      case 1: return -q.X;
      case 2: return q.Y;
      case 3: return -q.Y;
      case 4: return q.X + q.Y;
      case 5: return -(q.X + q.Y);
      case 6: return q.X - q.Y;
      default: return q.Y - q.X;
    }
  };
  for (std::size_t i = 1; i < p.size(); ++i)
    for (std::size_t d = 0; d < Directions; ++d)
      if (score(p[i], d) > score(p[ext[d]], d)) ext[d] = i;
  TPDblArray corners;
  for (std::size_t i : ext) corners.push_back(p[i]);
  const TPDblArray inner = MonotoneChain(std::move(corners));
  if (inner.size() < 3) return;
  auto strictlyInside = [&](const TPointDouble& q) {
    for (std::size_t i = 0; i < inner.size(); ++i)
      if (ExactOrientation(inner[i], inner[(i + 1) % inner.size()], q) <= 0) return false;
    return true;
  };
  p.erase(std::remove_if(p.begin(), p.end(), strictlyInside), p.end());
}

// Direction from the centroid, measured counter-clockwise from straight down.
double HullKey(const TPointDouble& p, Extended cx, Extended cy) {
  constexpr double twoPi = 2 * std::numbers::pi;
  double key = AngleToXAxis(static_cast<double>(p.X - cx), static_cast<double>(p.Y - cy)) +
               std::numbers::pi / 2;
  if (key > twoPi) key -= twoPi;
  return key;
}

}  // namespace

TPDblArray Convex2DHull(const TPDblArray& Points) {
  if (Points.size() <= 3) return Points;
  TPDblArray finite;
  finite.reserve(Points.size());
  for (const TPointDouble& p : Points)
    if (std::isfinite(p.X) && std::isfinite(p.Y)) finite.push_back(p);
  if (finite.empty()) return {};
  Extended sx = 0, sy = 0;
  for (const TPointDouble& p : finite) {
    sx += p.X;
    sy += p.Y;
  }
  const Extended cx = sx / finite.size(), cy = sy / finite.size();
  DropInnerPoints(finite);
  TPDblArray hull = MonotoneChain(std::move(finite));
  std::size_t start = 0;
  double best = HullKey(hull[0], cx, cy);
  for (std::size_t i = 1; i < hull.size(); ++i) {
    const double key = HullKey(hull[i], cx, cy);
    if (key < best) {
      best = key;
      start = i;
    }
  }
  std::rotate(hull.begin(), hull.begin() + static_cast<std::ptrdiff_t>(start), hull.end());
  return hull;
}

bool PointIsInsideConvexHull(double x, double y, const TPDblArray& Hull) {
  if (Hull.empty()) return false;
  const TPointDouble Q{x, y};
  if (ExactOrientation(Hull.back(), Hull.front(), Q) <= 0) return false;
  for (std::size_t i = 0; i + 1 < Hull.size(); ++i)
    if (ExactOrientation(Hull[i], Hull[i + 1], Q) <= 0) return false;
  return true;
}
