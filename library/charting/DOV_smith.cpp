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

// Shapes whose box is this many times the data area's larger side (or more) are left out: at
// that zoom they lie far outside the picture, and drawing them would cost time and memory in
// proportion to their size.
constexpr Integer kMaxShapeFactor = 8;
constexpr Integer kMinShapeLimit = 2000;

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

// Writes Text centred on P with the canvas's font and brush. Pad widens an opaque background
// on both sides: a label standing on a line would otherwise touch it and read as negative.
void TextCentred(TCanvas* Canvas, TPoint P, const String& Text, Integer Pad = 0) {
  const Integer w = Canvas->TextWidth(Text), h = Canvas->TextHeight(Text);
  const Integer x = P.X - w / 2, y = P.Y - h / 2;
  if (Pad > 0) Canvas->FillRect(Rect(x - Pad, y, x + w + Pad, y + h));
  Canvas->TextOut(x, y, Text);
}

// P moved kLabelOffset pixels away from C along the line C-P; straight up (Up) or down when
// both share a column.
TPoint AwayFrom(TPoint C, TPoint P, bool Up) {
  if (P.X == C.X) return Point(P.X, P.Y + (Up ? -1 : 1) * static_cast<Integer>(kLabelOffset));
  const Double dx = P.X - C.X, dy = P.Y - C.Y, len = std::hypot(dx, dy);
  return Point(P.X + static_cast<Integer>(std::nearbyint(kLabelOffset * dx / len)),
               P.Y + static_cast<Integer>(std::nearbyint(kLabelOffset * dy / len)));
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
  const Integer ox = Left - RcLRim, oy = Top - RcTRim;
  // Canvas pixel of a Γ point; kept to the range every drawing call gets.
  const auto P = [&](Double gr, Double gi) {
    Integer x = 0, y = 0;
    TCustomZOdoza::R2M(1, gr, gi, x, y);
    x += ox;
    y += oy;
    ZOdozaMath::ClampPixelPair(x, y);
    return Point(x, y);
  };
  const Integer limit = std::max(kMaxShapeFactor * std::max(Width, Height), kMinShapeLimit);
  const auto Fits = [&](TPoint a, TPoint b) {
    return std::abs(b.X - a.X) < limit && std::abs(b.Y - a.Y) < limit;
  };
  const auto ArcOf = [&](TPoint a, TPoint b, TPoint s, TPoint e) {
    if (Fits(a, b)) Canvas->Arc(a.X, a.Y, b.X, b.Y, s.X, s.Y, e.X, e.Y);
  };

  TPen* pen = Canvas->Pen();
  TBrush* brush = Canvas->Brush();
  pen->SetColor(FGridColDark);
  pen->SetStyle(psSolid);
  pen->SetWidth(1);  // hairlines, whatever width the items drew with before
  brush->SetStyle(bsSolid);
  brush->SetColor(FDiagramColor);
  Canvas->Font()->Assign(Font());

  const TPoint C = P(0, 0), P1 = P(-1, -1), P2 = P(1, 1);
  if (Fits(P1, P2)) Canvas->Ellipse(P1.X, P1.Y, P2.X, P2.Y);
  Canvas->MoveTo(P1.X, C.Y);
  Canvas->LineTo(P2.X, C.Y);
  const Integer density = LabelDensity(P2.X - P1.X);

  brush->SetStyle(bsClear);
  for (const TGridLine& g : kGrid) {
    pen->SetColor(g.Dark ? FGridColDark : FGridColLight);
    const Double c = g.v / (g.v + 1), rho = 1 / (g.v + 1);
    ArcOf(P(c - rho, -rho), P(c + rho, rho), P(c + std::cos(g.A), std::sin(g.A)),
          P(c + std::cos(g.A), -std::sin(g.A)));
  }

  if (Canvas == PrinterCanvas()) SetCanvasFontSizeScaled(Canvas, Font()->Size());

  for (size_t i = 1; i < kGrid.size(); ++i) {
    const TGridLine& g = kGrid[i];
    pen->SetColor(g.Dark ? FGridColDark : FGridColLight);
    const Double u = 1 / g.v, gr = (1 - u * u) / (1 + u * u), gi = 2 * u / (1 + u * u);
    const TPoint U = P(gr, gi), L = P(gr, -gi), E = P(g.E, 0);
    ArcOf(P(1 - u, 0), P(1 + u, 2 * u), U, E);
    ArcOf(P(1 - u, -2 * u), P(1 + u, 0), E, L);
    if (g.Level <= density) {
      TextCentred(Canvas, AwayFrom(C, U, true), GridLabel(g.v));
      TextCentred(Canvas, AwayFrom(C, L, false), GridLabel(-g.v));
    }
  }

  brush->SetStyle(bsSolid);
  brush->SetColor(FDiagramColor);
  for (const TGridLine& g : kGrid) {
    if (g.Level > density) continue;
    const TPoint crossing = P((g.v - 1) / (g.v + 1), -1 / (g.v + 1));
    TextCentred(Canvas, Point(crossing.X, C.Y), GridLabel(g.v), kAxisLabelPad);
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
