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

void TCustomZOdoza::R2M(Integer Layer, Double xin, Double yin, Integer& xout, Integer& yout) const {
  const Integer n = ClampLayer(Layer);
  const TScaleProps* px = FScalePropsX[n].get();
  const TScaleProps* py = FScalePropsY[n].get();
  long double p;
  if (!px->Logarithmic())
    p = Cpkx[n] * xin + Cpdx[n];
  else if (xin > kLogFloor)
    p = Cpkx[n] * std::log(static_cast<long double>(xin)) + Cpdx[n];
  else
    p = px->RangeHigh() >= px->RangeLow() ? 0 : Width();
  xout = RoundPixel(p);
  if (!py->Logarithmic())
    p = Cpky[n] * yin + Cpdy[n];
  else if (yin > kLogFloor)
    p = Cpky[n] * std::log(static_cast<long double>(yin)) + Cpdy[n];
  else
    p = py->RangeHigh() >= py->RangeLow() ? Height() : 0;
  yout = RoundPixel(p);
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
