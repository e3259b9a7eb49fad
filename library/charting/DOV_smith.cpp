#include "DOV_smith.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <set>
#include <typeinfo>

#include "DOV_univconst.h"
#include "DOV_zodozaPub.h"

namespace {

// One value of the grid: a resistance circle and, from the second entry on, the reactance arcs
// of +v and -v. Level: the label shows when the diagram's label density reaches it. A: the
// resistance circle runs from +A to -A round its left side (3.142, a little over pi, makes it
// whole). E: the reactance arcs end on the ray from their centre to the real-axis point E.
struct TGridLine {
  Double v;
  bool Dark;
  Integer Level;
  Double A;
  Double E;
};

constexpr std::array<TGridLine, 20> kGrid = {{
    {0, true, 1, 3.142, 0},        {0.1, false, 3, 0.829, 0.2},   {0.2, true, 1, 0.578, 0.33},
    {0.3, false, 3, 0.957, 0.498}, {0.4, false, 3, 1.019, 0.18},  {0.5, true, 1, 0.42, 0.819},
    {0.6, false, 5, 1.14, 0.15},   {0.7, false, 2, 0.801, 0.133}, {0.8, false, 5, 1.248, 0.48},
    {0.9, false, 5, 1.296, 0.084}, {1, true, 1, 0.395, 1},        {1.2, false, 3, 0.834, 0.45},
    {1.5, false, 2, 0.921, 0.645}, {2, true, 1, 1.073, 0.625},    {2.5, false, 4, 0.673, 0.81},
    {3, false, 3, 1.036, 0.558},   {4, false, 4, 0.92, 0.669},    {7, false, 4, 1.35, 0.7},
    {10, true, 1, 3.142, 1},       {5, true, 1, 3.142, 0.95},
}};

// Reactance labels stand this far outside the unit circle, on the line from its centre.
constexpr Double kLabelOffset = 10;
constexpr Integer kAxisLabelPad = 2;

// Labels whose centre lies farther than this outside the picture are not even measured.
constexpr Double kLabelReach = 200;
constexpr Double kTwoPi = 6.283185307179586476925;

// Names of the chart's stored settings that a Smith chart takes from a window description as
// the published chart does.
const std::set<String> kSharedPublished = {"MarginLeft",
                                           "MarginRight",
                                           "MarginTop",
                                           "MarginBottom",
                                           "AutoRedraw",
                                           "ChartColor",
                                           "DataColor",
                                           "ShadowColor",
                                           "ShadowBakColor",
                                           "ShadowWidth",
                                           "LineWidth",
                                           "FillColor",
                                           "TextBkColor",
                                           "WindColor",
                                           "ChartFrameColor",
                                           "AllocSize",
                                           "AvoidDuplicateMarks",
                                           "MinDupMarkDist",
                                           "ClassDefault",
                                           "Caption",
                                           "CaptionPosX",
                                           "CaptionPosY",
                                           "CaptionAnchorHoriz",
                                           "CaptionAnchorVert",
                                           "PenStyle",
                                           "ShadowStyle",
                                           "MouseAction"};

// A grid label: no decimals for whole values, one otherwise (0, 0.1, 1.5, -0.2).
String GridLabel(Double v) {
  const Integer decimals = std::fabs(v - std::trunc(v)) <= 0.01 ? 0 : 1;
  return ZOdozaMath::FixedWidthNumber(v, 1, decimals);
}

// Writes Text centred on P with the canvas's font and brush, when any of it falls on the
// picture Left ... Right, Top ... Bottom (inclusive): a copy on a device records no label the
// screen cannot show. Pad widens an opaque background on both sides: a label standing on a
// line would otherwise touch it and read as negative.
void TextCentred(TCanvas* Canvas, TPoint P, const String& Text, const TRect& Picture,
                 Integer Pad = 0) {
  const Integer w = Canvas->TextWidth(Text), h = Canvas->TextHeight(Text);
  const Integer x = P.X - w / 2, y = P.Y - h / 2;
  if (x + w + Pad <= Picture.Left || x - Pad > Picture.Right || y + h <= Picture.Top ||
      y > Picture.Bottom)
    return;
  if (Pad > 0) Canvas->FillRect(Rect(x - Pad, y, x + w + Pad, y + h));
  Canvas->TextOut(x, y, Text);
}

// P moved kLabelOffset pixels away from C along the line C-P; straight up (Up) or down when
// both share a column. Canvas pixels, whole numbers kept as doubles (they may lie far outside
// the picture).
TPointDouble AwayFrom(TPointDouble C, TPointDouble P, bool Up) {
  if (P.X == C.X) return {P.X, P.Y + (Up ? -1 : 1) * kLabelOffset};
  const Double dx = P.X - C.X, dy = P.Y - C.Y, len = std::hypot(dx, dy);
  return {P.X + std::nearbyint(kLabelOffset * dx / len),
          P.Y + std::nearbyint(kLabelOffset * dy / len)};
}

// The picture a grid is drawn on: canvas pixels Left ... Right, Top ... Bottom (inclusive).
struct TGridPicture {
  Double Left, Top, Right, Bottom;
  bool Holds(TPointDouble P, Double Reach = 0) const {
    return P.X >= Left - Reach && P.X <= Right + Reach && P.Y >= Top - Reach &&
           P.Y <= Bottom + Reach;
  }
  ZOdozaMath::TClipBox Box() const { return {Left, Top, Right, Bottom}; }
  bool Holds(Double x1, Double y1, Double x2, Double y2) const {  // a box, corners in any order
    return Holds({std::min(x1, x2), std::min(y1, y2)}) &&
           Holds({std::max(x1, x2), std::max(y1, y2)});
  }
};

TPoint ToPoint(TPointDouble P) {
  return Point(static_cast<Integer>(P.X), static_cast<Integer>(P.Y));
}

}  // namespace

// ---- construction and copying ------------------------------------------------------------------
TSmithChart::TSmithChart(TComponent* AOwner) : TCustomZOdoza(AOwner) {
  FIsometric = true;
  RcGridStyle = gsPoints;
  RcGridDx = RcGridDy = 0;
  FPanGridDx = FPanGridDy = 1;
  FPanGridOffsX = FPanGridOffsY = 0;
  TScaleProps* x1 = GetScalePropsX(1);
  TScaleProps* y1 = GetScalePropsY(1);
  y1->SetRangeHigh(1.2);
  y1->SetRangeLow(-1.2);
  x1->SetRangeHigh(1.2);
  x1->SetRangeLow(-1.2);
  for (Integer n = 2; n <= kNumLayers; ++n) {
    GetScalePropsX(n)->SetVisible(false);
    GetScalePropsY(n)->SetVisible(false);
  }
  x1->SetVisible(false);
  y1->SetVisible(false);
  FKeepingIsometric = false;
}

void TSmithChart::CreateWnd() {
  TCustomZOdoza::CreateWnd();
  FSuppressPaint = false;
}

void TSmithChart::Assign(TPersistent* Source) {
  TCustomZOdoza::Assign(Source);
  if (auto* s = dynamic_cast<TSmithChart*>(Source); s != nullptr && s != this) {
    FGridColLight = s->FGridColLight;
    FGridColDark = s->FGridColDark;
    FDiagramColor = s->FDiagramColor;
    Paint();
  }
}

void TSmithChart::AssignTo(TPersistent* Dest) {
  // A plain chart can take a Smith chart's settings: it is one.
  if (Dest != nullptr && typeid(*Dest) == typeid(TCustomZOdoza))
    Dest->Assign(this);
  else
    TCustomZOdoza::AssignTo(Dest);
}

// ---- conversions -------------------------------------------------------------------------------
namespace {
struct TComplex {
  Double Re, Im;
};

// -2p / (p^2 + q^2) + j 2q / (p^2 + q^2), the part both conversions share. p and q are divided
// by the larger of their magnitudes, m, first, so the sum of squares lies in [1, 2] and
// neither underflows nor overflows anywhere in the double range. False when m is 0, infinite
// or NaN.
bool MoebiusPart(Double p, Double q, TComplex& Out, Double& m) {
  m = std::isnan(p) || std::isnan(q) ? p + q : std::fmax(std::fabs(p), std::fabs(q));
  if (!(m > 0) || std::isinf(m)) return false;
  const Double ps = p / m, qs = q / m, n = ps * ps + qs * qs;
  Out = {-2 * ps / n / m, 2 * qs / n / m};
  return true;
}

// Γ = 1 - 2a / (a^2 + X^2) + j 2X / (a^2 + X^2), a = 1 + R: on R = -1 the exact limits
// (1, 2 / X), for an infinite |z| the limit 1, at z = -1 and for NaN not a number.
TComplex Reflection(Double R, Double X) {
  TComplex t{0, 0};
  Double m = 0;
  if (MoebiusPart(-(1 + R), X, t, m)) return {1 - t.Re, t.Im};
  if (m == 0 || std::isnan(m)) return {std::numeric_limits<Double>::quiet_NaN(), m};
  return {1, 0};
}

// z = -1 - 2p / (p^2 + q^2) + j 2q / (p^2 + q^2), p = Γr - 1, q = Γi; Γ = 1 answers 1.7e38,
// an infinite or NaN Γ not a number.
TComplex Impedance(Double Gr, Double Gi) {
  TComplex t{0, 0};
  Double m = 0;
  if (MoebiusPart(Gr - 1, Gi, t, m)) return {-1 + t.Re, t.Im};
  if (m == 0) return {static_cast<Double>(uc_MaxReal), static_cast<Double>(uc_MaxReal)};
  return {std::numeric_limits<Double>::quiet_NaN(), std::numeric_limits<Double>::quiet_NaN()};
}
}  // namespace

Double TSmithChart::CalcReflectionReal(Double Resistance, Double Reactance) {
  return Reflection(Resistance, Reactance).Re;
}

Double TSmithChart::CalcReflectionImag(Double Resistance, Double Reactance) {
  if (Reactance == 0) return 0;
  return Reflection(Resistance, Reactance).Im;
}

Double TSmithChart::CalcResistance(Double ReflectionReal, Double ReflectionImag) {
  return Impedance(ReflectionReal, ReflectionImag).Re;
}

Double TSmithChart::CalcReactance(Double ReflectionReal, Double ReflectionImag) {
  return Impedance(ReflectionReal, ReflectionImag).Im;
}

// ---- ranges and colours ------------------------------------------------------------------------
void TSmithChart::CentezOdoza() {
  const Double sx = RangeXHigh() - RangeXLow(), sy = RangeYHigh() - RangeYLow();
  SetRange(-sx / 2, -sy / 2, sx / 2, sy / 2);
}

template <typename StoreFn>
void TSmithChart::SetRangeEnd(StoreFn Store) {
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  Store();
  SetIsoMetric(true);
  FSuppressPaint = !saved;  // so that restoring paints exactly when the caller was not batching
  SetSuppressPaint(saved);
}

void TSmithChart::SetRangeXLow(Double Value) {
  SetRangeEnd([&] { GetScalePropsX(1)->SetRangeLow(Value); });
}

void TSmithChart::SetRangeXHigh(Double Value) {
  SetRangeEnd([&] { GetScalePropsX(1)->SetRangeHigh(Value); });
}

void TSmithChart::SetRangeYLow(Double Value) {
  SetRangeEnd([&] { GetScalePropsY(1)->SetRangeLow(Value); });
}

void TSmithChart::AdjustScaling() {
  TCustomZOdoza::AdjustScaling();
  if (!FIsometric || FKeepingIsometric || IsLoading() || DataWidth() <= 0 || DataHeight() <= 0)
    return;
  const TScaleProps* px = GetScalePropsX(1);
  const TScaleProps* py = GetScalePropsY(1);
  const long double want =
      2 * IsoHalfHeight(static_cast<long double>(px->RangeHigh()) - px->RangeLow());
  const long double have = static_cast<long double>(py->RangeHigh()) - py->RangeLow();
  if (std::fabs(have - want) <= 1e-12L * std::fabs(want)) return;
  // Quietly: the change that led here paints (or not) as it always does.
  const bool saved = FSuppressPaint;
  FKeepingIsometric = true;
  FSuppressPaint = true;
  try {
    RecentreIsometric(1);
  } catch (...) {
    FKeepingIsometric = false;
    FSuppressPaint = saved;
    throw;
  }
  FKeepingIsometric = false;
  FSuppressPaint = saved;
  TCustomZOdoza::AdjustScaling();
}

void TSmithChart::SetGridColor(TColor& Field, TColor Value) {
  if (Field == Value) return;
  Field = Value;
  Paint();
}

void TSmithChart::SetGridColorLight(TColor Value) { SetGridColor(FGridColLight, Value); }
void TSmithChart::SetGridColorDark(TColor Value) { SetGridColor(FGridColDark, Value); }
void TSmithChart::SetDiagramColor(TColor Value) { SetGridColor(FDiagramColor, Value); }

// ---- painting ----------------------------------------------------------------------------------
Integer TSmithChart::LabelDensity(Integer Diameter) {
  Integer density = 1;
  for (const Integer step : {300, 500, 750, 900})
    if (Diameter > step) ++density;
  return density;
}

void TSmithChart::InitGraf(TCanvas* Canvas, Integer Left, Integer Top, Integer Width,
                           Integer Height) {
  TCustomZOdoza::InitGraf(Canvas, Left, Top, Width, Height);
  if (Width < 1 || Height < 1) return;
  // Canvas pixel of a Γ point, rounded as R2M rounds but neither clamped nor converted: grid
  // curves far larger than the picture keep their true place.
  Double kx = 0, dx = 0, ky = 0, dy = 0;
  TCustomZOdoza::GetTransformParams(1, kx, dx, ky, dy);
  const Double ox = dx + Left - RcLRim, oy = dy + Top - RcTRim;
  const auto X = [&](Double gr) { return kx * gr + ox; };
  const auto Y = [&](Double gi) { return ky * gi + oy; };
  const auto P = [&](Double gr, Double gi) {
    return TPointDouble{std::nearbyint(X(gr)), std::nearbyint(Y(gi))};
  };
  const TGridPicture pic{static_cast<Double>(Left), static_cast<Double>(Top),
                         static_cast<Double>(Left) + Width - 1,
                         static_cast<Double>(Top) + Height - 1};
  // An axis turned round mirrors the picture: the canvas's arcs, which run counter-clockwise
  // on the screen, then run clockwise in Γ.
  const bool mirrored = (kx > 0) == (ky > 0);
  // The arc of the circle of Γ centre (cx, cy) and radius rho from angle T0 counter-clockwise
  // by Sweep: through the canvas when its box lies in the picture, else clipped to it.
  const auto ArcOf = [&](Double cx, Double cy, Double rho, Double T0, Double Sweep) {
    const TPointDouble a = P(cx - rho, cy - rho), b = P(cx + rho, cy + rho);
    if (pic.Holds(a.X, a.Y, b.X, b.Y)) {
      TPointDouble s = P(cx + std::cos(T0), cy + std::sin(T0));
      TPointDouble e = P(cx + std::cos(T0 + Sweep), cy + std::sin(T0 + Sweep));
      if (mirrored) std::swap(s, e);
      const TPoint A = ToPoint(a), B = ToPoint(b), S = ToPoint(s), E = ToPoint(e);
      Canvas->Arc(A.X, A.Y, B.X, B.Y, S.X, S.Y, E.X, E.Y);
    } else {
      ZOdozaMath::ClippedArc(Canvas, pic.Box(), X(cx), Y(cy), kx * rho, ky * rho, T0, Sweep);
    }
  };
  // The counter-clockwise sweep from angle a to angle b, in (0, 2 pi].
  const auto SweepOf = [](Double a, Double b) {
    Double d = std::fmod(b - a, kTwoPi);
    if (d <= 0) d += kTwoPi;
    return d;
  };

  TPen* pen = Canvas->Pen();
  TBrush* brush = Canvas->Brush();
  pen->SetColor(FGridColDark);
  pen->SetStyle(psSolid);
  pen->SetWidth(1);  // hairlines, whatever width the items drew with before
  brush->SetStyle(bsSolid);
  brush->SetColor(FDiagramColor);
  Canvas->Font()->Assign(Font());

  const TPointDouble C = P(0, 0), P1 = P(-1, -1), P2 = P(1, 1);
  if (pic.Holds(P1.X, P1.Y, P2.X, P2.Y)) {
    const TPoint A = ToPoint(P1), B = ToPoint(P2);
    Canvas->Ellipse(A.X, A.Y, B.X, B.Y);
  } else {
    ZOdozaMath::ClippedDisc(Canvas, pic.Box(), X(0), Y(0), std::fabs(kx), std::fabs(ky));
    ZOdozaMath::ClippedArc(Canvas, pic.Box(), X(0), Y(0), kx, ky, 0, kTwoPi);
  }
  // The real axis from Γ = -1 to Γ = 1 (its end left out), cut to a pixel around the picture.
  TPointDouble axisFrom{P1.X, C.Y}, axisTo{P2.X, C.Y};
  if (ZOdozaMath::ClipSegment(axisFrom, axisTo,
                              {pic.Left - 1, pic.Top, pic.Right + 1, pic.Bottom})) {
    const TPoint a = ToPoint(axisFrom), b = ToPoint(axisTo);
    Canvas->MoveTo(a.X, a.Y);
    Canvas->LineTo(b.X, b.Y);
  }
  const Integer density =
      LabelDensity(static_cast<Integer>(std::min<Double>(std::fabs(P2.X - P1.X), 1e9)));
  const TRect picture = Rect(Left, Top, Left + Width - 1, Top + Height - 1);
  const auto Label = [&](TPointDouble At, Double v, Integer Pad = 0) {
    if (pic.Holds(At, kLabelReach)) TextCentred(Canvas, ToPoint(At), GridLabel(v), picture, Pad);
  };

  brush->SetStyle(bsClear);
  for (const TGridLine& g : kGrid) {
    pen->SetColor(g.Dark ? FGridColDark : FGridColLight);
    // From +A round the left side to -A.
    ArcOf(g.v / (g.v + 1), 0, 1 / (g.v + 1), g.A, SweepOf(g.A, -g.A));
  }

  if (Canvas == PrinterCanvas()) SetCanvasFontSizeScaled(Canvas, Font()->Size());

  for (size_t i = 1; i < kGrid.size(); ++i) {
    const TGridLine& g = kGrid[i];
    pen->SetColor(g.Dark ? FGridColDark : FGridColLight);
    const Double u = 1 / g.v, gr = (1 - u * u) / (1 + u * u), gi = 2 * u / (1 + u * u);
    // The arcs of centre (1, +-u) from where they meet the unit circle to the ray towards
    // (E, 0), the upper one from the circle, the lower one towards it.
    const Double upper = std::atan2(gi - u, gr - 1), toE = std::atan2(-u, g.E - 1);
    ArcOf(1, u, u, upper, SweepOf(upper, toE));
    ArcOf(1, -u, u, -toE, SweepOf(-toE, -upper));
    if (g.Level <= density) {
      Label(AwayFrom(C, P(gr, gi), true), g.v);
      Label(AwayFrom(C, P(gr, -gi), false), -g.v);
    }
  }

  brush->SetStyle(bsSolid);
  brush->SetColor(FDiagramColor);
  for (const TGridLine& g : kGrid) {
    if (g.Level > density) continue;
    Label({P((g.v - 1) / (g.v + 1), 0).X, C.Y}, g.v, kAxisLabelPad);
  }
}

// ---- window descriptions -----------------------------------------------------------------------
bool TSmithChart::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "GridColorLight")
    SetGridColorLight(DescribedChartColor(Value));
  else if (Prop == "GridColorDark")
    SetGridColorDark(DescribedChartColor(Value));
  else if (Prop == "DiagramColor")
    SetDiagramColor(DescribedChartColor(Value));
  else if (Prop == "RangeXLow")
    SetRangeXLow(static_cast<Double>(Value.AsFloat()));
  else if (Prop == "RangeXHigh")
    SetRangeXHigh(static_cast<Double>(Value.AsFloat()));
  else if (Prop == "RangeYLow")
    SetRangeYLow(static_cast<Double>(Value.AsFloat()));
  else if (kSharedPublished.count(Prop) != 0)
    return SetPublishedChartProperty(Prop, Value);
  else
    return TCustomZOdoza::SetDescribedProperty(Prop, Value);
  return true;
}
