// Changing the layers' ranges as a whole: forcing with joint layers and confinement, the
// user-level range setter, equal ranges and the automatic fit to the data items.
#include <algorithm>
#include <cmath>

#include "DOV_zodoza.h"

namespace {
constexpr long double kMinRangeSlack = 0.99L;
constexpr long double kLogFloor = 1e-100L;
constexpr long double kLogZeroSpanFactor = 1.1L;

bool IsPanX(TMouseActMode m) { return m == maPan || m == maPanHoriz || m == maPanGrid; }
bool IsPanY(TMouseActMode m) { return m == maPan || m == maPanVert || m == maPanGrid; }

// Confinement of one axis: a pan keeps the span and shifts the window back, a zoom cuts it.
void Confine(long double& lo, long double& hi, long double cLo, long double cHi, bool pan) {
  const long double d = hi - lo;
  if (lo < cLo) {
    if (pan) {
      hi = cLo + d;
      lo = cLo;
    } else
      lo = cLo;
  }
  if (lo > cHi) {
    if (pan) {
      hi = cHi + d;
      lo = cHi;
    } else
      lo = cHi;
  }
  if (hi < cLo) {
    if (pan) {
      hi = cLo;
      lo = cLo - d;
    } else
      hi = cLo;
  }
  if (hi > cHi) {
    if (pan) {
      hi = cHi;
      lo = cHi - d;
    } else
      hi = cHi;
  }
}

struct TExtent {
  Double lo = 0, hi = 0;
};

// A logarithmic axis shows nothing below its floor: an extent that reaches above it but starts
// below it is cut at the floor, so that the axis takes the part of the data it can show.
void CutAtLogFloor(Double& lo, Double& hi, bool Log) {
  const Double floor = static_cast<Double>(kLogFloor);
  if (Log && hi >= floor && lo > 0 && lo < floor) lo = floor;
}

// The data's extent on a logarithmic or linear axis widened by Margin percent and to MinRange
// percent of its middle (ZOdozaMath::WidenExtent), cut at the floor before and after.
void FitExtent(Double& lo, Double& hi, bool Log, Double Margin, Double MinRange,
               bool BothEndsPositive) {
  CutAtLogFloor(lo, hi, Log);
  ZOdozaMath::WidenExtent(lo, hi, Log, Margin, MinRange, BothEndsPositive);
  CutAtLogFloor(lo, hi, Log);
}
}  // namespace

void TCustomZOdoza::ForceRngIntern(Integer Layer, long double LoX, long double LoY, long double HiX,
                                   long double HiY, bool StoreZoom, bool Confine_) {
  if (Layer < 1 || Layer > kNumLayers) return;
  const bool confined =
      FZoomRange[0] != 0 || FZoomRange[1] != 0 || FZoomRange[2] != 0 || FZoomRange[3] != 0;
  if (Confine_ && confined) {
    Confine(LoX, HiX, FZoomRange[0], FZoomRange[2], IsPanX(RcMouseAction));
    Confine(LoY, HiY, FZoomRange[1], FZoomRange[3], IsPanY(RcMouseAction));
  }
  bool stored = false;
  const auto Store = [&](TScaleProps* p, long double lo, long double hi) {
    if (kMinRangeSlack * p->MinRange() > std::fabs(hi - lo)) return;
    const bool log = p->Logarithmic();
    const bool takeHi = !log || hi >= kLogFloor, takeLo = !log || lo >= kLogFloor;
    // The ends as the axis keeps them (doubles): a range beyond them is refused whole.
    const Double newHi = takeHi ? static_cast<Double>(hi) : p->FRangeHigh;
    const Double newLo = takeLo ? static_cast<Double>(lo) : p->FRangeLow;
    if (!(takeHi || takeLo) || !UsableRange(newLo, newHi)) return;
    p->FRangeHigh = newHi;
    p->FRangeLow = newLo;
    stored = true;
  };
  Store(FScalePropsX[Layer].get(), LoX, HiX);
  Store(FScalePropsY[Layer].get(), LoY, HiY);
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;  // the helpers only take the values here
  SetScaleProps(FScalesX[Layer], FScalePropsX[Layer].get());
  SetScaleProps(FScalesY[Layer], FScalePropsY[Layer].get());
  FSuppressPaint = saved;
  if (StoreZoom && stored) ZoomStateOnStack();
  AdjustScaling();
}

void TCustomZOdoza::ForceRange(Integer Layer, long double LoX, long double LoY, long double HiX,
                               long double HiY, bool StoreZoom, bool Confine_) {
  if (Layer < 1 || Layer > kNumLayers) return;
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  if (FJointLayers->GetControlledLayerX(Layer) != Layer) {
    LoX = FScalePropsX[Layer]->RangeLow();
    HiX = FScalePropsX[Layer]->RangeHigh();
  }
  if (FJointLayers->GetControlledLayerY(Layer) != Layer) {
    LoY = FScalePropsY[Layer]->RangeLow();
    HiY = FScalePropsY[Layer]->RangeHigh();
  }
  ForceRngIntern(Layer, LoX, LoY, HiX, HiY, StoreZoom, Confine_);
  for (Integer i = 1; i <= kNumLayers; ++i) {
    if (i == Layer) continue;
    const Integer mx = FJointLayers->GetControlledLayerX(i);
    const Integer my = FJointLayers->GetControlledLayerY(i);
    if (mx != Layer && my != Layer) continue;
    const TScaleProps* px = FScalePropsX[mx].get();
    const TScaleProps* py = FScalePropsY[my].get();
    ForceRngIntern(i, px->RangeLow(), py->RangeLow(), px->RangeHigh(), py->RangeHigh(), true,
                   false);
  }
  FSuppressPaint = !saved;  // so that restoring is a change exactly when it should paint
  SetSuppressPaint(saved);
}

long double TCustomZOdoza::IsoHalfHeight(long double SpanX) const {
  const long double w = Width() - RcLRim - RcRRim - F3DRim + 1;
  const long double h = Height() - RcTRim - RcBRim - F3DRim + 1;
  if (w == 0 || Fxasp == 0) return 0;
  return SpanX * h / w * Fyasp / Fxasp / 2;
}

void TCustomZOdoza::SetRangeIntern(Integer Layer, long double LoX, long double LoY, long double HiX,
                                   long double HiY, bool StoreZoom, bool Confine_) {
  const auto Widen = [](const TScaleProps* p, long double& lo, long double& hi) {
    if (hi != lo) return;
    if (p->Logarithmic()) {
      hi *= kLogZeroSpanFactor;
      lo /= kLogZeroSpanFactor;
    } else {
      hi += p->MinRange() / 2;
      lo -= p->MinRange() / 2;
    }
  };
  Widen(GetScalePropsX(Layer), LoX, HiX);
  Widen(GetScalePropsY(Layer), LoY, HiY);
  if (FIsometric) {
    const long double c = (HiY + LoY) / 2, h = IsoHalfHeight(HiX - LoX);
    HiY = c + h;
    LoY = c - h;
  }
  ForceRange(Layer, LoX, LoY, HiX, HiY, StoreZoom, Confine_);
}

void TCustomZOdoza::SetRange(Integer Layer, long double LoX, long double LoY, long double HiX,
                             long double HiY) {
  if (Layer < 0 || Layer > kNumLayers) return;
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  for (Integer n = 1; n <= kNumLayers; ++n)
    if (Layer == 0 || n == Layer) SetRangeIntern(n, LoX, LoY, HiX, HiY, true, false);
  FSuppressPaint = saved;
  if ((FAutoRedraw || (ComponentState() & csDesigning) != 0) && !IsLoading()) Paint();
}

void TCustomZOdoza::EqualRange(const std::vector<Integer>& Layers, bool DoX, bool DoY) {
  std::vector<Integer> set;
  for (const Integer n : Layers)
    if (n >= 1 && n <= kNumLayers) set.push_back(n);
  if (set.empty()) return;
  Double xLo = 1.7e308, yLo = 1.7e308, xHi = -1.7e308, yHi = -1.7e308;
  for (const Integer n : set) {
    xLo = std::min(xLo, FScalePropsX[n]->RangeLow());
    xHi = std::max(xHi, FScalePropsX[n]->RangeHigh());
    yLo = std::min(yLo, FScalePropsY[n]->RangeLow());
    yHi = std::max(yHi, FScalePropsY[n]->RangeHigh());
  }
  for (const Integer n : set) {
    const TScaleProps* px = FScalePropsX[n].get();
    const TScaleProps* py = FScalePropsY[n].get();
    SetRangeIntern(n, DoX ? xLo : px->RangeLow(), DoY ? yLo : py->RangeLow(),
                   DoX ? xHi : px->RangeHigh(), DoY ? yHi : py->RangeHigh(), true, false);
  }
}

void TCustomZOdoza::AutoRangeAxes(Integer Layer, Double Margin, Double MinRange, bool DoX,
                                  bool DoY) {
  if (Layer < 0 || Layer > kNumLayers) return;
  const auto ZeroSpan = [](Double& lo, Double& hi) {
    if (lo == hi) {
      lo -= 1;
      hi += 1;
    }
  };
  if (Layer > 0) {
    Double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    LLCalcExtents(Layer, 0, 0, x0, y0, x1, y1);
    const TScaleProps* px = FScalePropsX[Layer].get();
    const TScaleProps* py = FScalePropsY[Layer].get();
    FitExtent(x0, x1, px->Logarithmic(), Margin, MinRange, false);
    FitExtent(y0, y1, py->Logarithmic(), Margin, MinRange, false);
    ZeroSpan(x0, x1);
    ZeroSpan(y0, y1);
    if (!(DoX && DoY)) FIsometric = false;
    if (FIsometric) {
      const Double c = (y1 + y0) / 2, h = static_cast<Double>(IsoHalfHeight(x1 - x0));
      y0 = c - h;
      y1 = c + h;
    }
    ForceRange(Layer, DoX ? x0 : px->RangeLow(), DoY ? y0 : py->RangeLow(),
               DoX ? x1 : px->RangeHigh(), DoY ? y1 : py->RangeHigh(), true, false);
  } else {
    std::array<TExtent, kNumLayers + 1> ex{}, ey{};
    for (Integer n = 1; n <= kNumLayers; ++n)
      LLCalcExtents(n, 0, 0, ex[n].lo, ey[n].lo, ex[n].hi, ey[n].hi);
    for (Integer j = 1; j <= kNumLayers; ++j) {
      if (!FLayerVisib[j]) continue;
      const Integer kx = FJointLayers->GetControlledLayerX(j);
      const Integer ky = FJointLayers->GetControlledLayerY(j);
      if (kx != j) {
        ex[kx].lo = std::min(ex[kx].lo, ex[j].lo);
        ex[kx].hi = std::max(ex[kx].hi, ex[j].hi);
      }
      if (ky != j) {
        ey[ky].lo = std::min(ey[ky].lo, ey[j].lo);
        ey[ky].hi = std::max(ey[ky].hi, ey[j].hi);
      }
    }
    for (Integer n = 1; n <= kNumLayers; ++n) {
      ZeroSpan(ex[n].lo, ex[n].hi);
      ZeroSpan(ey[n].lo, ey[n].hi);
      if (Margin > 0) {
        FitExtent(ex[n].lo, ex[n].hi, FScalePropsX[n]->Logarithmic(), Margin, MinRange, true);
        FitExtent(ey[n].lo, ey[n].hi, FScalePropsY[n]->Logarithmic(), Margin, MinRange, true);
      } else {
        CutAtLogFloor(ex[n].lo, ex[n].hi, FScalePropsX[n]->Logarithmic());
        CutAtLogFloor(ey[n].lo, ey[n].hi, FScalePropsY[n]->Logarithmic());
      }
    }
    for (Integer n = 1; n <= kNumLayers; ++n) {
      const Integer mx = FJointLayers->GetControlledLayerX(n);
      const Integer my = FJointLayers->GetControlledLayerY(n);
      const TScaleProps* px = FScalePropsX[n].get();
      const TScaleProps* py = FScalePropsY[n].get();
      ForceRngIntern(n, DoX ? ex[mx].lo : px->RangeLow(), DoY ? ey[my].lo : py->RangeLow(),
                     DoX ? ex[mx].hi : px->RangeHigh(), DoY ? ey[my].hi : py->RangeHigh(), false,
                     true);
    }
  }
  if (FAutoRedraw || (ComponentState() & csDesigning) != 0) Paint();
}
