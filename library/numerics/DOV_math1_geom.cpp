// Plane geometry of DOV_math1.

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "DOV_math1.h"

namespace {

constexpr int kMaxBisections = 1075;  // enough to exhaust a double's exponent and mantissa
constexpr Double kTwoPi = 2 * std::numbers::pi;

Double Frac(Double x) { return x - std::trunc(x); }

// Distances beyond the 32-bit range (points far outside the rectangle) saturate.
Integer Saturated(Int64 v) {
  return static_cast<Integer>(std::min<Int64>(v, std::numeric_limits<Integer>::max()));
}

TPointDouble NearestOnSegment(TPointDouble P, TPointDouble A, TPointDouble B) {
  const Double dx = B.X - A.X, dy = B.Y - A.Y;
  const Double L = dx * dx + dy * dy;
  const Double t = L != 0 ? ((P.X - A.X) * dx + (P.Y - A.Y) * dy) / L : -1;
  if (t < 0) return A;
  if (t > 1) return B;
  return TPointDouble{A.X + t * dx, A.Y + t * dy};
}

// The root of F(s) = (r0 z0 / (s + r0))^2 + (z1 / (s + 1))^2 - 1 by bisection.
Double EllipseRoot(Double r0, Double z0, Double z1, Double g) {
  const Double n0 = r0 * z0;
  Double s0 = z1 - 1;
  Double s1 = g > 0 ? std::sqrt(n0 * n0 + z1 * z1) - 1 : 0;
  Double s = 0;
  for (int i = 0; i < kMaxBisections; ++i) {
    s = (s0 + s1) / 2;
    if (s == s0 || s == s1) break;
    const Double a = n0 / (s + r0), b = z1 / (s + 1);
    const Double F = a * a + b * b - 1;
    if (F > 0)
      s0 = s;
    else if (F < 0)
      s1 = s;
    else
      break;
  }
  return s;
}

// Distance from (y0, y1), both >= 0, to the ellipse with semi-axes e0 >= e1 > 0; x receives
// the nearest point (first quadrant).
Double FirstQuadrantDistance(Double e0, Double e1, Double y0, Double y1, Double& x0, Double& x1) {
  if (y1 > 0) {
    if (y0 > 0) {
      const Double z0 = y0 / e0, z1 = y1 / e1;
      const Double g = z0 * z0 + z1 * z1 - 1;
      if (g == 0) {
        x0 = y0;
        x1 = y1;
        return 0;
      }
      const Double r0 = (e0 / e1) * (e0 / e1);
      const Double s = EllipseRoot(r0, z0, z1, g);
      x0 = r0 * y0 / (s + r0);
      x1 = y1 / (s + 1);
      return std::sqrt((x0 - y0) * (x0 - y0) + (x1 - y1) * (x1 - y1));
    }
    x0 = 0;
    x1 = e1;
    return std::abs(y1 - e1);
  }
  const Double n = e0 * y0, m = e0 * e0 - e1 * e1;
  if (n < m) {
    const Double t = n / m;
    x0 = e0 * t;
    x1 = e1 * std::sqrt(1 - t * t);
    return std::sqrt((x0 - y0) * (x0 - y0) + x1 * x1);
  }
  x0 = e0;
  x1 = 0;
  return std::abs(y0 - e0);
}

}  // namespace

Double EuclideanDistance(TPointDouble P1, TPointDouble P2) {
  return EuclideanDistance(P1.X, P1.Y, P2.X, P2.Y);
}

Double EuclideanDistance(Double x1, Double y1, Double x2, Double y2) {
  const Double dx = x2 - x1, dy = y2 - y1;
  return std::sqrt(dx * dx + dy * dy);
}

Integer CcwTriangle(TPointDouble P1, TPointDouble P2, TPointDouble P3) {
  const Double c = (P2.X - P1.X) * (P3.Y - P1.Y) - (P3.X - P1.X) * (P2.Y - P1.Y);
  return c > 0 ? 1 : c < 0 ? -1 : 0;
}

bool SegmentsIntersect(TPointDouble A1, TPointDouble A2, TPointDouble B1, TPointDouble B2) {
  if (CcwTriangle(A1, A2, B1) * CcwTriangle(A1, A2, B2) > 0) return false;
  return CcwTriangle(B1, B2, A1) * CcwTriangle(B1, B2, A2) <= 0;
}

Double DistanceToSegment(TPointDouble P, TPointDouble A, TPointDouble B) {
  return EuclideanDistance(P, NearestOnSegment(P, A, B));
}

Integer DistFromRect(TPoint P, TRect R) {
  const Int64 left = std::min(R.Left, R.Right), right = std::max(R.Left, R.Right);
  const Int64 top = std::min(R.Top, R.Bottom), bottom = std::max(R.Top, R.Bottom);
  const Int64 x = P.X, y = P.Y;
  if (left < x && x < right) {
    if (y < top) return Saturated(top - y);
    if (y > bottom) return Saturated(y - bottom);
    return 0;
  }
  if (top < y && y < bottom) return Saturated(x <= left ? left - x : x - right);
  // Beyond the corner lines: the nearest corner. The squares are formed in 64 bits, so far
  // points cannot overflow.
  Int64 best = 0;
  bool first = true;
  for (Int64 cx : {left, right})
    for (Int64 cy : {top, bottom}) {
      const Int64 dx = x - cx, dy = y - cy;
      const auto d =
          static_cast<Int64>(std::nearbyint(std::sqrt(static_cast<Double>(dx * dx + dy * dy))));
      if (first || d < best) best = d;
      first = false;
    }
  return Saturated(best);
}

Double DistFromEllipse(TPointDouble P, Double Cx, Double Cy, Double Rx, Double Ry,
                       TPointDouble& Closest) {
  if (!(Rx > 0) || !(Ry > 0)) {
    // A flat ellipse is the segment between its vertices (or just its centre).
    const Double hx = Rx > 0 ? Rx : 0, hy = Ry > 0 ? Ry : 0;
    Closest = NearestOnSegment(P, TPointDouble{Cx - hx, Cy - hy}, TPointDouble{Cx + hx, Cy + hy});
    return EuclideanDistance(P, Closest);
  }
  const Double yx = P.X - Cx, yy = P.Y - Cy;
  const bool swapped = Rx < Ry;
  const Double e0 = swapped ? Ry : Rx, e1 = swapped ? Rx : Ry;
  const Double y0 = std::abs(swapped ? yy : yx), y1 = std::abs(swapped ? yx : yy);
  Double x0, x1;
  const Double dist = FirstQuadrantDistance(e0, e1, y0, y1, x0, x1);
  Double nx = swapped ? x1 : x0, ny = swapped ? x0 : x1;
  if (yx < 0) nx = -nx;
  if (yy < 0) ny = -ny;
  Closest = TPointDouble{Cx + nx, Cy + ny};
  return dist;
}

bool WithinBounds(Double x, Double b1, Double b2) {
  return std::min(b1, b2) <= x && x <= std::max(b1, b2);
}

bool WithinBounds(Double x, Double b1, Double b2, Double tolerance) {
  return std::min(b1, b2) - tolerance <= x && x <= std::max(b1, b2) + tolerance;
}

Double ConfineValue(Double x, Double b1, Double b2) {
  return std::clamp(x, std::min(b1, b2), std::max(b1, b2));
}
Single ConfineValue(Single x, Single b1, Single b2) {
  return std::clamp(x, std::min(b1, b2), std::max(b1, b2));
}
Integer ConfineValue(Integer x, Integer b1, Integer b2) {
  return std::clamp(x, std::min(b1, b2), std::max(b1, b2));
}

bool WithinRect(TPointDouble P, const TRectDouble& R) {
  return WithinBounds(P.X, R.Left, R.Right) && WithinBounds(P.Y, R.Top, R.Bottom);
}

bool ConfinePointToRect(TPointDouble& P, const TRectDouble& R) {
  const TPointDouble q{ConfineValue(P.X, R.Left, R.Right), ConfineValue(P.Y, R.Top, R.Bottom)};
  const bool changed = q.X != P.X || q.Y != P.Y;
  P = q;
  return changed;
}

Double AngleToXAxis(Double dx, Double dy) {
  if (dx == 0) return dy > 0 ? std::numbers::pi / 2 : 3 * std::numbers::pi / 2;
  Double a = std::atan(dy / dx);
  if (dx < 0) a += std::numbers::pi;
  if (a < 0) a += kTwoPi;
  if (a > kTwoPi) a -= kTwoPi;
  return a;
}

Double CanonicalAngleRadians(Double x) {
  if (x > kTwoPi) x = Frac(x / kTwoPi) * kTwoPi;
  if (x < -kTwoPi) x = Frac(x / -kTwoPi) * -kTwoPi;
  if (x > std::numbers::pi) x -= kTwoPi;
  if (x < -std::numbers::pi) x += kTwoPi;
  return x;
}

Double CanonicalAngleDegrees(Double x) {
  if (x > 360) x = Frac(x / 360) * 360;
  if (x < -360) x = Frac(x / -360) * -360;
  if (x > 180) x -= 360;
  if (x < -180) x += 360;
  return x;
}
