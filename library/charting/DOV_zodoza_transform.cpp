// World-to-pixel transforms of the chart's layers and the unit's small numeric helpers.
#include <algorithm>
#include <cmath>
#include <limits>

#include "DOV_zodoza.h"

namespace {
constexpr Double kLogFloor = 1e-100;
constexpr long double kMaxPixel = 2147483647.0L;
constexpr Integer kMaxDrawPixel = 30000;
const char* const kNegativeLogAxis = "Logarithmic axis must not be negative.";

// Nearest integer, halves to even, as nearbyint in the default rounding mode: adding and
// taking away 1.5 * 2^63 leaves the 80-bit sum's rounding to the FPU (|p| <= 2^31 here),
// without the library call that saves and restores the floating-point environment. A position
// that is not a number gives pixel 0.
Integer RoundPixel(long double p) {
  static_assert(std::numeric_limits<long double>::digits == 64);
  constexpr long double kRoundMagic = 0x1.8p63L;
  if (!(p > -kMaxPixel)) return p != p ? 0 : static_cast<Integer>(-kMaxPixel);
  if (p > kMaxPixel) p = kMaxPixel;
  const long double shifted = p + kRoundMagic;
  return static_cast<Integer>(shifted - kRoundMagic);
}
}  // namespace

namespace ZOdozaMath {

bool ClampPixelPair(Integer& x, Integer& y) {
  const Integer cx = std::clamp(x, -kMaxDrawPixel, kMaxDrawPixel);
  const Integer cy = std::clamp(y, -kMaxDrawPixel, kMaxDrawPixel);
  const bool changed = cx != x || cy != y;
  x = cx;
  y = cy;
  return changed;
}

Double MaxDouble(Double a, Double b) { return a > b ? a : b; }
Double MinDouble(Double a, Double b) { return a < b ? a : b; }

Integer RoundUp(Double x) {
  Integer r = static_cast<Integer>(std::nearbyint(x));
  if (r < x) ++r;
  return r;
}

Integer RoundDown(Double x) {
  Integer r = static_cast<Integer>(std::nearbyint(x));
  if (r > x) --r;
  return r;
}

bool ClipSegment(TPointDouble& A, TPointDouble& B, const TClipBox& Box) {
  // Both ends beyond one edge: nothing shows.
  if ((A.X < Box.Left && B.X < Box.Left) || (A.X > Box.Right && B.X > Box.Right) ||
      (A.Y < Box.Top && B.Y < Box.Top) || (A.Y > Box.Bottom && B.Y > Box.Bottom))
    return false;
  // Liang and Barsky: the segment as A + t (B - A), t in 0 ... 1, narrowed edge by edge. In
  // 80 bits, so that a segment between two far ends still meets the box where it should.
  const long double ax = A.X, ay = A.Y, dx = static_cast<long double>(B.X) - ax,
                    dy = static_cast<long double>(B.Y) - ay;
  if (!(std::isfinite(dx) && std::isfinite(dy))) return false;
  long double t0 = 0, t1 = 1;
  // p t <= q along one edge.
  const auto Edge = [&](long double p, long double q) {
    if (p == 0) return q >= 0;
    const long double t = q / p;
    if (p < 0) {
      if (t > t1) return false;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return false;
      if (t < t1) t1 = t;
    }
    return true;
  };
  if (!(Edge(-dx, ax - Box.Left) && Edge(dx, Box.Right - ax) && Edge(-dy, ay - Box.Top) &&
        Edge(dy, Box.Bottom - ay)))
    return false;
  const TPointDouble a{static_cast<Double>(t0 == 0 ? ax : ax + t0 * dx),
                       static_cast<Double>(t0 == 0 ? ay : ay + t0 * dy)};
  const TPointDouble b{static_cast<Double>(t1 == 1 ? B.X : ax + t1 * dx),
                       static_cast<Double>(t1 == 1 ? B.Y : ay + t1 * dy)};
  A = a;
  B = b;
  return true;
}

TPointDouble OntoBox(const TClipBox& Box, TPointDouble P) {
  TPointDouble q{std::clamp(P.X, Box.Left, Box.Right), std::clamp(P.Y, Box.Top, Box.Bottom)};
  if (Box.Holds(P.X, P.Y)) {  // inside: to the nearest edge
    const Double dl = P.X - Box.Left, dr = Box.Right - P.X, dt = P.Y - Box.Top,
                 db = Box.Bottom - P.Y, m = std::min({dl, dr, dt, db});
    if (m == dl)
      q.X = Box.Left;
    else if (m == dr)
      q.X = Box.Right;
    else if (m == dt)
      q.Y = Box.Top;
    else
      q.Y = Box.Bottom;
  }
  return q;
}

int BoxDetour(const TClipBox& Box, TPointDouble From, TPointDouble To, TPointDouble* Corners) {
  // Positions along the edge, clockwise from the top-left corner.
  const Double W = Box.Right - Box.Left, H = Box.Bottom - Box.Top, round = 2 * (W + H);
  const auto Along = [&](TPointDouble P) {
    const Double dl = std::fabs(P.X - Box.Left), dr = std::fabs(Box.Right - P.X),
                 dt = std::fabs(P.Y - Box.Top), db = std::fabs(Box.Bottom - P.Y),
                 m = std::min({dl, dr, dt, db});
    if (m == dt) return std::clamp(P.X - Box.Left, 0.0, W);
    if (m == dr) return W + std::clamp(P.Y - Box.Top, 0.0, H);
    if (m == db) return W + H + std::clamp(Box.Right - P.X, 0.0, W);
    return 2 * W + H + std::clamp(Box.Bottom - P.Y, 0.0, H);
  };
  if (!(round > 0)) return 0;
  const Double a = Along(From), b = Along(To);
  Double ahead = std::fmod(b - a, round);
  if (ahead < 0) ahead += round;
  const bool clockwise = ahead <= round / 2;
  const Double span = clockwise ? ahead : round - ahead;
  const TPointDouble corner[4] = {
      {Box.Left, Box.Top}, {Box.Right, Box.Top}, {Box.Right, Box.Bottom}, {Box.Left, Box.Bottom}};
  const Double at[4] = {0, W, W + H, 2 * W + H};
  // The corners in the order met, with their distance from From along the way.
  int n = 0;
  Double dist[4];
  for (int k = 0; k < 4; ++k) {
    Double d = clockwise ? at[k] - a : a - at[k];
    d = std::fmod(d, round);
    if (d < 0) d += round;
    if (d > 0 && d < span) {
      int i = n++;
      for (; i > 0 && dist[i - 1] > d; --i) {
        dist[i] = dist[i - 1];
        Corners[i] = Corners[i - 1];
      }
      dist[i] = d;
      Corners[i] = corner[k];
    }
  }
  return n;
}

String FixedWidthNumber(Double x, Integer w, Integer d) {
  // The tick formatter writes the same two forms; only the field width differs here.
  if (d >= 0) return ScaleText::FormatTickNumber(w, d, x);
  return ScaleText::FormatTickNumber(w, -1, x);
}

}  // namespace ZOdozaMath

void TCustomZOdoza::AdjustScaling() {
  if (IsLoading()) return;
  FLastPixel.Valid = false;
  FDense.Ready = false;
  const Integer W = DataWidth(), H = DataHeight();
  for (Integer n = 1; n <= kNumLayers; ++n) {
    const TScaleProps* px = FScalePropsX[n].get();
    const TScaleProps* py = FScalePropsY[n].get();
    if (W > 0) {
      long double a = px->RangeLow(), b = px->RangeHigh();
      if (px->Logarithmic()) {
        if (a <= 0 || b <= 0) throw ESDLZOdozaError(kNegativeLogAxis);
        a = std::log(a);
        b = std::log(b);
      }
      Cpkx[n] = W / (b - a);
      Cpdx[n] = (RcLRim * b - static_cast<long double>(Width() - RcRRim - F3DRim) * a) / (b - a);
    } else {
      Cpkx[n] = 0;
      Cpdx[n] = Width() / 2;
    }
    if (H > 0) {
      long double a = py->RangeLow(), b = py->RangeHigh();
      if (py->Logarithmic()) {
        if (a <= 0 || b <= 0) throw ESDLZOdozaError(kNegativeLogAxis);
        a = std::log(a);
        b = std::log(b);
      }
      Cpky[n] = -H / (b - a);
      Cpdy[n] = (static_cast<long double>(Height() - RcBRim - F3DRim) * b - RcTRim * a) / (b - a);
    } else {
      Cpky[n] = 0;
      Cpdy[n] = Height() / 2;
    }
  }
}

void TCustomZOdoza::R2MExact(Integer Layer, Double xin, Double yin, long double& xout,
                             long double& yout) const {
  const Integer n = ClampLayer(Layer);
  const TScaleProps* px = FScalePropsX[n].get();
  const TScaleProps* py = FScalePropsY[n].get();
  if (!px->Logarithmic())
    xout = Cpkx[n] * xin + Cpdx[n];
  else if (xin > kLogFloor)
    xout = Cpkx[n] * std::log(static_cast<long double>(xin)) + Cpdx[n];
  else
    xout = px->RangeHigh() >= px->RangeLow() ? 0 : Width();
  if (!py->Logarithmic())
    yout = Cpky[n] * yin + Cpdy[n];
  else if (yin > kLogFloor)
    yout = Cpky[n] * std::log(static_cast<long double>(yin)) + Cpdy[n];
  else
    yout = py->RangeHigh() >= py->RangeLow() ? Height() : 0;
}

void TCustomZOdoza::R2M(Integer Layer, Double xin, Double yin, Integer& xout, Integer& yout) const {
  long double px = 0, py = 0;
  R2MExact(Layer, xin, yin, px, py);
  xout = RoundPixel(px);
  yout = RoundPixel(py);
}

void TCustomZOdoza::M2R(Integer Layer, Integer xin, Integer yin, Double& xout, Double& yout) const {
  const Integer n = ClampLayer(Layer);
  const TScaleProps* px = FScalePropsX[n].get();
  const TScaleProps* py = FScalePropsY[n].get();
  // Without a data area the factor is 0: every pixel stands for the range's low end.
  if (Cpkx[n] == 0) {
    xout = px->RangeLow();
  } else {
    const long double u = (xin - Cpdx[n]) / Cpkx[n];
    xout = static_cast<Double>(px->Logarithmic() ? std::exp(u) : u);
  }
  if (Cpky[n] == 0) {
    yout = py->RangeLow();
  } else {
    const long double v = (yin - Cpdy[n]) / Cpky[n];
    yout = static_cast<Double>(py->Logarithmic() ? std::exp(v) : v);
  }
}

void TCustomZOdoza::GetTransformParams(Integer Layer, Double& kx, Double& dx, Double& ky,
                                       Double& dy) const {
  const Integer n = ClampLayer(Layer);
  kx = static_cast<Double>(Cpkx[n]);
  dx = static_cast<Double>(Cpdx[n]);
  ky = static_cast<Double>(Cpky[n]);
  dy = static_cast<Double>(Cpdy[n]);
}

Integer TCustomZOdoza::TPixelAxis::ExactPixel(Double v) const { return RoundPixel(K * v + D); }

void TCustomZOdoza::PixelAxes(Integer Layer, TPixelAxis& X, TPixelAxis& Y) const {
  const Integer n = ClampLayer(Layer);
  X.Linear = !FScalePropsX[n]->Logarithmic();
  X.K = Cpkx[n];
  X.D = Cpdx[n];
  Y.Linear = !FScalePropsY[n]->Logarithmic();
  Y.K = Cpky[n];
  Y.D = Cpdy[n];
  for (TPixelAxis* a : {&X, &Y}) {
    a->k = static_cast<double>(a->K);
    a->d = static_cast<double>(a->D);
  }
}
