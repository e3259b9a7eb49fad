// World-to-pixel transforms of the chart's layers and the unit's small numeric helpers.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "DOV_zodoza.h"

namespace {
constexpr Double kLogFloor = 1e-100;
constexpr Double kTwoPi = 6.283185307179586476925;
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

namespace {
// Error-free steps in 80 bits: a + b = s + e and a * b = p + e exactly (Knuth, Dekker).
void TwoSum(long double a, long double b, long double& s, long double& e) {
  s = a + b;
  const long double bb = s - a;
  e = (a - (s - bb)) + (b - bb);
}

void TwoProduct(long double a, long double b, long double& p, long double& e) {
  constexpr long double kSplit = 4294967297.0L;  // 2^32 + 1: halves of 32 bits
  const auto Split = [](long double v, long double& hi, long double& lo) {
    const long double c = kSplit * v;
    hi = c - (c - v);
    lo = v - hi;
  };
  long double ah = 0, al = 0, bh = 0, bl = 0;
  Split(a, ah, al);
  Split(b, bh, bl);
  p = a * b;
  e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
}

// The sum of N terms as one exact expansion (its parts in order of size, none overlapping),
// then added up from the smallest part: correct to the last bits whatever cancels.
long double ExactSum(const long double* Terms, int N) {
  long double parts[16];
  int m = 0;
  for (int i = 0; i < N; ++i) {
    long double q = Terms[i];
    int k = 0;
    for (int j = 0; j < m; ++j) {
      long double s = 0, e = 0;
      TwoSum(q, parts[j], s, e);
      if (e != 0) parts[k++] = e;
      q = s;
    }
    parts[k++] = q;
    m = k;
  }
  long double sum = 0;
  for (int j = 0; j < m; ++j) sum += parts[j];
  return sum;
}

// The second coordinate of the line through (au, av) and (bu, bv) where the first is x
// (au != bu): (av (bu - x) + bv (x - au)) / (bu - au), the numerator summed exactly. Its error
// is a small part of the result, not of the ends: it holds for ends 1e300 apart.
long double LineAt(long double au, long double av, long double bu, long double bv,
                   long double x) {
  long double s1 = 0, s2 = 0, t1 = 0, t2 = 0;
  TwoSum(bu, -x, s1, s2);
  TwoSum(x, -au, t1, t2);
  long double terms[8];
  TwoProduct(av, s1, terms[0], terms[1]);
  TwoProduct(av, s2, terms[2], terms[3]);
  TwoProduct(bv, t1, terms[4], terms[5]);
  TwoProduct(bv, t2, terms[6], terms[7]);
  return ExactSum(terms, 8) / (bu - au);
}
}  // namespace

bool ClipSegment(const TLinePoint& A, const TLinePoint& B, const TClipBox& Box,
                 TPointDouble& From, TPointDouble& To) {
  // Ends under two transforms (two layers) meet on the canvas.
  if (!A.SameTransform(B)) {
    const TLinePoint a{A.X(), A.Y(), 1, 0, 1, 0}, b{B.X(), B.Y(), 1, 0, 1, 0};
    return ClipSegment(a, b, Box, From, To);
  }
  const long double ax = A.X(), ay = A.Y(), bx = B.X(), by = B.Y();
  if (!(std::isfinite(ax) && std::isfinite(ay) && std::isfinite(bx) && std::isfinite(by)))
    return false;
  // Both ends beyond one edge: nothing shows.
  if ((ax < Box.Left && bx < Box.Left) || (ax > Box.Right && bx > Box.Right) ||
      (ay < Box.Top && by < Box.Top) || (ay > Box.Bottom && by > Box.Bottom))
    return false;
  // The points where the segment is in the box: its ends inside, and where it crosses an edge
  // within the box. The crossing is worked out in the ends' own coordinates, so that neither
  // end's distance nor their order limits its accuracy.
  struct TCut {
    long double X, Y;
  } cuts[6];
  int n = 0;
  const auto Inside = [&](long double x, long double y) {
    return x >= Box.Left && x <= Box.Right && y >= Box.Top && y <= Box.Bottom;
  };
  if (Inside(ax, ay)) cuts[n++] = {ax, ay};
  if (Inside(bx, by)) cuts[n++] = {bx, by};
  if (n < 2) {
    for (const Double edge : {Box.Left, Box.Right}) {
      if (A.U == B.U || edge < std::min(ax, bx) || edge > std::max(ax, bx)) continue;
      const long double u = (edge - A.DX) / A.KX;
      const long double y = A.KY * LineAt(A.U, A.V, B.U, B.V, u) + A.DY;
      if (y >= Box.Top && y <= Box.Bottom) cuts[n++] = {edge, y};
    }
    for (const Double edge : {Box.Top, Box.Bottom}) {
      if (A.V == B.V || edge < std::min(ay, by) || edge > std::max(ay, by)) continue;
      const long double v = (edge - A.DY) / A.KY;
      const long double x = A.KX * LineAt(A.V, A.U, B.V, B.U, v) + A.DX;
      if (x >= Box.Left && x <= Box.Right) cuts[n++] = {x, edge};
    }
  }
  if (n == 0) return false;
  // The outermost two along the segment, in the direction from A to B.
  const bool alongX = std::fabs(bx - ax) >= std::fabs(by - ay);
  const long double sign = (alongX ? bx - ax : by - ay) < 0 ? -1 : 1;
  const auto Key = [&](const TCut& c) { return sign * (alongX ? c.X : c.Y); };
  int first = 0, last = 0;
  for (int k = 1; k < n; ++k) {
    if (Key(cuts[k]) < Key(cuts[first])) first = k;
    if (Key(cuts[k]) > Key(cuts[last])) last = k;
  }
  From = {static_cast<Double>(cuts[first].X), static_cast<Double>(cuts[first].Y)};
  To = {static_cast<Double>(cuts[last].X), static_cast<Double>(cuts[last].Y)};
  return true;
}

bool ClipSegment(TPointDouble& A, TPointDouble& B, const TClipBox& Box) {
  TPointDouble from{}, to{};
  if (!ClipSegment(TLinePoint::At(A), TLinePoint::At(B), Box, from, to)) return false;
  A = from;
  B = to;
  return true;
}

// The ellipse (X0 + Rx cos t, Y0 + Ry sin t) in canvas pixels, t from T0 to T0 + Sweep
// (0 < Sweep <= 2 pi), drawn as polylines of the parts whose pixels lie in the picture: the
// work follows the pixels drawn, however large the ellipse.
void ClippedArc(TCanvas* Canvas, const TClipBox& Pic, Double X0, Double Y0, Double Rx,
                Double Ry, Double T0, Double Sweep) {
  const Double ax = std::fabs(Rx), ay = std::fabs(Ry);
  // Pixel centres round into the picture within half a pixel of its edges.
  const Double L = Pic.Left - 0.5, R = Pic.Right + 0.5, T = Pic.Top - 0.5, B = Pic.Bottom + 0.5;
  if (!(ax > 0 && ay > 0) || X0 + ax < L || X0 - ax > R || Y0 + ay < T || Y0 - ay > B) return;
  // Where the ellipse crosses the picture's edges, as angles from T0 on.
  std::vector<Double> cuts = {0, Sweep};
  const auto Add = [&](Double t) {
    t = std::fmod(t - T0, kTwoPi);
    if (t < 0) t += kTwoPi;
    if (t > 0 && t < Sweep) cuts.push_back(t);
  };
  for (const Double x : {L, R}) {
    const Double c = (x - X0) / Rx;
    if (std::fabs(c) <= 1) {
      Add(std::acos(c));
      Add(-std::acos(c));
    }
  }
  for (const Double y : {T, B}) {
    const Double v = (y - Y0) / Ry;
    if (std::fabs(v) <= 1) {
      Add(std::asin(v));
      Add(kTwoPi / 2 - std::asin(v));
    }
  }
  std::sort(cuts.begin(), cuts.end());
  const auto At = [&](Double t) {
    return TPointDouble{X0 + Rx * std::cos(T0 + t), Y0 + Ry * std::sin(T0 + t)};
  };
  const Double speed = std::max(ax, ay);  // pixels per radian, at most
  std::vector<TPoint> line;
  for (size_t i = 0; i + 1 < cuts.size(); ++i) {
    const Double a = cuts[i], b = cuts[i + 1];
    const TPointDouble mid = At((a + b) / 2);
    if (!(b > a) || !(mid.X >= L && mid.X <= R && mid.Y >= T && mid.Y <= B)) continue;
    const auto n = static_cast<Integer>(std::min<Double>(std::ceil((b - a) * speed), 1e7)) + 1;
    line.clear();
    for (Integer k = 0; k <= n; ++k) {
      const TPointDouble p = At(a + (b - a) * k / n);
      const TPoint q =
          Point(static_cast<Integer>(std::clamp(std::nearbyint(p.X), Pic.Left, Pic.Right)),
                static_cast<Integer>(std::clamp(std::nearbyint(p.Y), Pic.Top, Pic.Bottom)));
      if (line.empty() || !(line.back() == q)) line.push_back(q);
    }
    if (line.size() >= 2) Canvas->Polyline(line);
  }
}

// The filled inside of the ellipse centred on (X0, Y0) with half axes ax, ay: the pixels of the
// picture whose centres lie inside it, row by row (equal rows one after the other as one
// rectangle), with the canvas's brush.
void ClippedDisc(TCanvas* Canvas, const TClipBox& Pic, Double X0, Double Y0, Double ax,
                 Double ay) {
  Integer runTop = 0, runLeft = 0, runRight = -1;
  const auto Flush = [&](Integer y) {
    if (runRight >= runLeft) Canvas->FillRect(Rect(runLeft, runTop, runRight + 1, y));
  };
  const auto top = static_cast<Integer>(std::max(Pic.Top, std::ceil(Y0 - ay)));
  const auto bottom = static_cast<Integer>(std::min(Pic.Bottom, std::floor(Y0 + ay)));
  for (Integer y = top; y <= bottom; ++y) {
    const Double v = (y - Y0) / ay, w = ax * std::sqrt(std::max<Double>(0, 1 - v * v));
    const Double lo = std::max(Pic.Left, std::ceil(X0 - w)),
                 hi = std::min(Pic.Right, std::floor(X0 + w));
    const Integer left = lo <= hi ? static_cast<Integer>(lo) : 0;
    const Integer right = lo <= hi ? static_cast<Integer>(hi) : -1;
    if (left == runLeft && right == runRight) continue;
    Flush(y);
    runTop = y;
    runLeft = left;
    runRight = right;
  }
  Flush(bottom + 1);
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

void TCustomZOdoza::R2MTransform(Integer Layer, Double xin, Double yin,
                                 ZOdozaMath::TLinePoint& Out) const {
  const Integer n = ClampLayer(Layer);
  const TScaleProps* px = FScalePropsX[n].get();
  const TScaleProps* py = FScalePropsY[n].get();
  Out.KX = Cpkx[n];
  Out.DX = Cpdx[n];
  Out.KY = Cpky[n];
  Out.DY = Cpdy[n];
  if (!px->Logarithmic()) {
    Out.U = xin;
  } else if (xin > kLogFloor) {
    Out.U = std::log(static_cast<long double>(xin));
  } else {
    Out.U = px->RangeHigh() >= px->RangeLow() ? 0 : Width();
    Out.KX = 1;
    Out.DX = 0;
  }
  if (!py->Logarithmic()) {
    Out.V = yin;
  } else if (yin > kLogFloor) {
    Out.V = std::log(static_cast<long double>(yin));
  } else {
    Out.V = py->RangeHigh() >= py->RangeLow() ? Height() : 0;
    Out.KY = 1;
    Out.DY = 0;
  }
}

void TCustomZOdoza::R2MExact(Integer Layer, Double xin, Double yin, long double& xout,
                             long double& yout) const {
  ZOdozaMath::TLinePoint p;
  R2MTransform(Layer, xin, yin, p);
  xout = p.X();
  yout = p.Y();
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
