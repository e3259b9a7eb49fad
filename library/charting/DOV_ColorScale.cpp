#include "DOV_ColorScale.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr Integer kInitialWidth = 300;
constexpr Integer kInitialHeight = 75;
// A colour drag that starts in the first 42 % of the bar moves its low end, in the last 42 %
// its high end, in between it pans.
constexpr Double kZoomZoneLow = 0.42;
constexpr Double kZoomZoneHigh = 0.58;
constexpr TColor kFrameFace = 0xC0C0C0;

// Half to even; NaN and values beyond Lo..Hi are clamped first so the conversion stays defined.
Integer RoundClamped(Double v, Integer Lo, Integer Hi) {
  if (std::isnan(v)) return Lo;
  v = std::clamp(v, static_cast<Double>(Lo), static_cast<Double>(Hi));
  return static_cast<Integer>(std::nearbyint(v));
}

// The bar's outline. Coordinates far outside the picture are pulled to just beyond its edges:
// the drawing engine mishandles coordinates near the Integer limits, and margins have no lower
// bound.
void Outline(TCanvas* cv, Integer w, Integer h, Integer x1, Integer y1, Integer x2, Integer y2) {
  auto cx = [w](Integer x) { return std::clamp(x, -2, w + 2); };
  auto cy = [h](Integer y) { return std::clamp(y, -2, h + 2); };
  cv->Rectangle(cx(x1), cy(y1), cx(x2), cy(y2));
}

}  // namespace

void Register() {}

TColorScale::TColorScale(TComponent* AOwner)
    : TCustomControl(AOwner),
      FColorArray(std::make_unique<TColorArray>(nullptr)),
      FGrafBmp(std::make_unique<TBitmap>()),
      FCrossHair(std::make_unique<TCrossHair>()) {
  FSuppressPaint = true;  // nothing is painted while the parts are being set up
  TCustomControl::SetBounds(Left(), Top(), kInitialWidth, kInitialHeight);
  FCrossHair->SetPos(0, 0);
  FCrossHair->SetCrossHColor(0x0000FF);
  FCrossHair->SetCrossHMode(chBoth);
  FCrossHair->SetCrossHLineType(psDot);
  FCrossHair->SetCrossHLineWid(1);
  FCrossHair->OnChange = [this](TObject*) { Paint(); };
  FColorArray->OnChange = [this](TObject*) { Paint(); };

  FScale = new TScale(this, TScale::THelper{});
  FScale->SetSuppressPaint(true);
  FScale->SetIsHelperComponent(true);
  FScale->UseForeignCanvas(FGrafBmp->Canvas(), 0, 0);
  FScale->SetName("ColorScale");
  FScale->SetBounds(0, 0, kInitialWidth, kInitialHeight);
  FScale->SetFrameStyle(fsNone);
  FScale->SetTransparent(true);
  FScale->SetScaleType(sctXT);
  FScale->SetRange(-10, 10);
  FSuppressPaint = false;
}

TColorScale::~TColorScale() {
  FCrossHair->OnChange = nullptr;
  FColorArray->OnChange = nullptr;
  delete FScale;  // leaves this owner
  FScale = nullptr;
}

void TColorScale::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  LayoutAxis();
}

// The bar lies inside the control's margins; the axis covers the whole control with its base
// line along the bar's lower (horizontal) or right (vertical) edge.
void TColorScale::LayoutAxis() {
  if (FScale == nullptr) return;
  if (Horizontal()) {
    FScale->SetScaleType(sctXT);
    FScale->SetBounds(0, FScale->Top(), Width(), Height());
    FScale->SetMarginTop(Height() - FMarginBottom);
    FScale->SetMarginLeft(FMarginLeft);
    FScale->SetMarginRight(FMarginRight);
  } else {
    FScale->SetScaleType(sctYL);
    FScale->SetBounds(FScale->Left(), FScale->Top(), Width(), Height());
    FScale->SetMarginLeft(Width() - FMarginRight);
    FScale->SetMarginTop(FMarginTop);
    FScale->SetMarginBottom(FMarginBottom);
  }
}

void TColorScale::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TColorScale*>(Dest))
    d->Assign(this);
  else
    TCustomControl::AssignTo(Dest);
}

void TColorScale::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TColorScale*>(Source);
  if (s == nullptr) {
    TCustomControl::Assign(Source);
    return;
  }
  if (s == this) return;
  FFrameSt = s->FFrameSt;
  FColBlackLine = s->FColBlackLine;
  FColGrayLine = s->FColGrayLine;
  FColWhiteLine = s->FColWhiteLine;
  FColorScheme = s->FColorScheme;
  OnDataRendered = s->OnDataRendered;
  FCaption = s->FCaption;
  FCaptColor = s->FCaptColor;
  FCaptPosX = s->FCaptPosX;
  FCaptPosY = s->FCaptPosY;
  FCaptSize = s->FCaptSize;
  FCaptStyle = s->FCaptStyle;
  FColSclMin = s->FColSclMin;
  FColSclMax = s->FColSclMax;
  FCrossHair->Assign(s->FCrossHair.get());
  FExtendColors = s->FExtendColors;
  FMarginTop = s->FMarginTop;
  FMarginBottom = s->FMarginBottom;
  FMarginLeft = s->FMarginLeft;
  FMarginRight = s->FMarginRight;
  FMouseAction = s->FMouseAction;
  FZoomPanMode = s->FZoomPanMode;
  FFramedColors = s->FFramedColors;
  FColorLow = s->FColorLow;
  FColorHigh = s->FColorHigh;
  FColScaleOrient = s->FColScaleOrient;
  FColorSclBkgd = s->FColorSclBkgd;
  FColorScale = s->FColorScale;
  OnMouseMoveInScale = s->OnMouseMoveInScale;
  OnCrossHairMove = s->OnCrossHairMove;
  OnZoomPan = s->OnZoomPan;
  // The axis copy brings the source's picture target along; ours stays our own picture.
  FScale->Assign(s->FScale);
  FScale->SetSuppressPaint(true);
  FScale->UseForeignCanvas(FGrafBmp->Canvas(), 0, 0);
  FColorArray->Assign(s->FColorArray.get());
  Paint();
}

// ---- conversions --------------------------------------------------------------------------------
TColor TColorScale::ValueToColor(Double v) const {
  const Integer n = FColorArray->Size();
  const Double span = FColorHigh - FColorLow;
  const Double a = span == 0 ? n / 2.0 : n * (v - FColorLow) / span;
  return FColorArray->GetColorElem(RoundClamped(a, 1, std::max(n, 1)));
}

Double TColorScale::ColorToValue(TColor cl) const {
  const Integer n = FColorArray->Size();
  if (n <= 0) return FColorLow;  // an empty palette has no colour to find
  Double distance = 0;
  const Integer ix = FColorArray->ColorToIndex(cl, distance);
  return FColorLow + static_cast<Double>(ix) / n * (FColorHigh - FColorLow);
}

Integer TColorScale::ValueToPixel(Double v) const { return FScale->ConvertToPixelCoords(v); }

void TColorScale::CopyToBitMap(TBitmap* ABitmap, Integer PosX, Integer PosY) const {
  if (ABitmap == nullptr || FGrafBmp == nullptr) return;
  if (PosX < 0 || PosY < 0) {
    ABitmap->SetSize(FGrafBmp->Width(), FGrafBmp->Height());
    PosX = 0;
    PosY = 0;
  }
  ABitmap->Canvas()->Draw(PosX, PosY, FGrafBmp.get());
}

// ---- setters ------------------------------------------------------------------------------------
#define KESTAL_COLSCL_SETTER(Setter, Type, Field) \
  void TColorScale::Setter(Type Value) {          \
    if (Value == Field) return;                   \
    Field = Value;                                \
    Paint();                                      \
  }
KESTAL_COLSCL_SETTER(SetFramedColorScale, bool, FFramedColors)
KESTAL_COLSCL_SETTER(SetExtendColors, bool, FExtendColors)
KESTAL_COLSCL_SETTER(SetColorSclBkgd, TColor, FColorSclBkgd)
KESTAL_COLSCL_SETTER(SetColorOfScale, TColor, FColorScale)
KESTAL_COLSCL_SETTER(SetCaption, const String&, FCaption)
KESTAL_COLSCL_SETTER(SetCaptionStyle, TFontStyles, FCaptStyle)
KESTAL_COLSCL_SETTER(SetCaptionColor, TColor, FCaptColor)
KESTAL_COLSCL_SETTER(SetCaptionPosX, Integer, FCaptPosX)
KESTAL_COLSCL_SETTER(SetCaptionPosY, Integer, FCaptPosY)
KESTAL_COLSCL_SETTER(SetCaptionSize, Integer, FCaptSize)
KESTAL_COLSCL_SETTER(SetFrameStyle, TFrameStyle, FFrameSt)
#undef KESTAL_COLSCL_SETTER

void TColorScale::SetSuppressPaint(bool Value) {
  if (Value == FSuppressPaint) return;
  FSuppressPaint = Value;
  if (!Value) Paint();
}

void TColorScale::SetCrossHair(TCrossHair* Value) {
  FCrossHair->Assign(Value);
  Paint();
}

// The margin setters cap only from above (the bar keeps at least one pixel) and keep the
// axis' margins in step with the bar.
void TColorScale::SetMarginTop(Integer Value) {
  if (Value == FMarginTop) return;
  FMarginTop = std::min(Value, Height() - FMarginBottom - 1);
  if (!Horizontal()) FScale->SetMarginTop(FMarginTop);
  Paint();
}

void TColorScale::SetMarginBottom(Integer Value) {
  if (Value == FMarginBottom) return;
  FMarginBottom = std::min(Value, Height() - FMarginTop - 1);
  if (Horizontal())
    FScale->SetMarginTop(Height() - FMarginBottom);
  else
    FScale->SetMarginBottom(FMarginBottom);
  Paint();
}

void TColorScale::SetMarginLeft(Integer Value) {
  if (Value == FMarginLeft) return;
  FMarginLeft = std::min(Value, Width() - FMarginRight - 1);
  if (Horizontal()) FScale->SetMarginLeft(FMarginLeft);
  Paint();
}

void TColorScale::SetMarginRight(Integer Value) {
  if (Value == FMarginRight) return;
  FMarginRight = std::min(Value, Width() - FMarginLeft - 1);
  if (Horizontal())
    FScale->SetMarginRight(FMarginRight);
  else
    FScale->SetMarginLeft(Width() - FMarginRight);
  Paint();
}

Integer TColorScale::MinTicks() const { return FScale->MinTicks(); }

void TColorScale::SetMinTicks(Integer Value) {
  if (Value == FScale->MinTicks()) return;
  FScale->SetMinTicks(std::clamp(Value, 2, 10));
  Paint();
}

void TColorScale::SetScaleRangeLow(Double Value) {
  FScale->SetRangeLow(Value);
  FColSclMin = FScale->RangeLow();
  FColSclMax = FScale->RangeHigh();  // the axis may have moved its other end
  Paint();
}

void TColorScale::SetScaleRangeHigh(Double Value) {
  FScale->SetRangeHigh(Value);
  FColSclMax = FScale->RangeHigh();
  FColSclMin = FScale->RangeLow();
  Paint();
}

void TColorScale::SetColorLow(Double Value) {
  FColorLow = Value;
  if (FColorLow > FColorHigh) FColorHigh = FColorLow;
  Paint();
}

void TColorScale::SetColorHigh(Double Value) {
  FColorHigh = Value;
  if (FColorHigh < FColorLow) FColorLow = FColorHigh;
  Paint();
}

void TColorScale::SetOrientation(TColScaleOrientation Value) {
  if (Value == FColScaleOrient) return;
  FColScaleOrient = Value;
  LayoutAxis();
  Paint();
}

void TColorScale::SetColorScheme(TColorScheme Value) {
  if (Value == FColorScheme) return;
  FColorScheme = Value;
  FColGrayLine = Value == csSystem ? clBtnShadow : 0x808080;
  FColWhiteLine = Value == csSystem ? clBtnHighlight : 0xFFFFFF;
  Paint();
}

void TColorScale::SetScaleRange(Double lowval, Double highval) {
  if (lowval == highval) {
    lowval -= 1;
    highval += 1;
  }
  FColSclMin = lowval;
  FScale->SetRangeLow(lowval);
  FColorLow = lowval;
  FColSclMax = highval;
  FScale->SetRangeHigh(highval);
  FColorHigh = highval;
  Paint();
}

// ---- painting -----------------------------------------------------------------------------------
TColor TColorScale::BarColor(Double Pos, Double Low, Double High, bool Degenerate) const {
  const Integer n = FColorArray->Size();
  const Double a = Degenerate ? n / 2 : (Pos - Low) / (High - Low) * n;
  return FColorArray->GetColorElem(RoundClamped(a, 1, std::max(n, 1)));
}

void TColorScale::DrawBar(TCanvas* cv) {
  const Integer n = FColorArray->Size();
  const Integer w = Width(), h = Height();
  const Integer rL = ValueToPixel(FColorLow), rH = ValueToPixel(FColorHigh);
  auto line = [cv](Integer x1, Integer y1, Integer x2, Integer y2, TColor c) {
    cv->Pen()->SetColor(c);
    cv->MoveTo(x1, y1);
    cv->LineTo(x2, y2);
  };
  const TColor first = FColorArray->GetColorElem(1);
  const TColor last = FColorArray->GetColorElem(std::max(n, 1));
  // Margins have no lower bound: the loops stop at the picture's edges so that a far-off margin
  // costs nothing.
  if (Horizontal()) {
    const Integer lo = FMarginLeft, hi = std::max(lo, w - FMarginRight - 1);
    const Integer pL = std::clamp(rL, lo, hi), pH = std::clamp(rH, lo, hi);
    const Integer top = FMarginTop, bottom = h - FMarginBottom;
    if (pH >= pL)
      for (Integer c = std::max(pL, -1); c <= std::min(pH, w); ++c)
        line(c, top, c, bottom, BarColor(c, rL, rH, pL == pH));
    if (FExtendColors) {
      if (FMarginLeft < pL)
        for (Integer c = std::max(FMarginLeft, -1); c <= std::min(pL, w); ++c)
          line(c, top, c, bottom, first);
      if (pH < w - FMarginRight)
        for (Integer c = std::max(pH, -1); c <= std::min(w - FMarginRight, w); ++c)
          line(c, top, c, bottom, last);
    }
    if (FFramedColors) {
      cv->Pen()->SetColor(FColorScale);
      cv->Brush()->SetStyle(bsClear);
      Outline(cv, w, h, FMarginLeft, FMarginTop, w - FMarginRight, h - FMarginBottom + 1);
    }
  } else {
    const Integer lo = FMarginTop, hi = std::max(lo, h - FMarginBottom - 1);
    const Integer pL = std::clamp(rL, lo, hi), pH = std::clamp(rH, lo, hi);
    const Integer left = FMarginLeft, right = w - FMarginRight;
    if (pH <= pL)
      for (Integer r = std::min(pL, h); r >= std::max(pH, -1); --r)
        line(left, r, right, r, BarColor(r, rL, rH, pL == pH));
    if (FExtendColors) {
      if (pL < h - FMarginBottom)
        for (Integer r = std::max(pL, -1); r <= std::min(h - FMarginBottom, h); ++r)
          line(left, r, right, r, first);
      if (FMarginTop < pH)
        for (Integer r = std::max(FMarginTop, -1); r <= std::min(pH, h); ++r)
          line(left, r, right, r, last);
    }
    if (FFramedColors) {
      cv->Pen()->SetColor(FColorScale);
      cv->Brush()->SetStyle(bsClear);
      Outline(cv, w, h, FMarginLeft, FMarginTop, w - FMarginRight + 1, h - FMarginBottom);
    }
  }
}

void TColorScale::DrawCrossHair(TCanvas* cv) {
  if (FCrossHair->Mode() == chOff) return;
  cv->Brush()->SetColor(clWhite);
  const Integer lw = FCrossHair->LineWid();
  cv->Pen()->SetColor(FCrossHair->Color());
  cv->Pen()->SetWidth(lw);
  cv->Pen()->SetStyle(FCrossHair->LineType());
  if (Horizontal()) {
    const Integer p = ValueToPixel(FCrossHair->PosX());
    cv->MoveTo(p, FMarginTop + lw / 2 + 1);
    cv->LineTo(p, Height() - FMarginBottom - lw / 2);
  } else {
    const Integer p = ValueToPixel(FCrossHair->PosY());
    cv->MoveTo(FMarginLeft + lw / 2 + 1, p);
    cv->LineTo(Width() - FMarginRight - lw / 2, p);
  }
  cv->Pen()->SetWidth(1);
  cv->Pen()->SetStyle(psSolid);
}

void TColorScale::Paint() {
  const bool designing = (ComponentState() & csDesigning) != 0;
  if (!designing && (!Visible() || FSuppressPaint)) return;
  FGrafBmp->SetSize(Width(), Height());
  TCanvas* cv = FGrafBmp->Canvas();
  cv->Pen()->SetColor(FColorSclBkgd);
  cv->Pen()->SetStyle(psSolid);
  cv->Brush()->SetColor(FColorSclBkgd);
  cv->Brush()->SetStyle(bsSolid);
  cv->FillRect(Rect(0, 0, Width(), Height()));

  DrawBar(cv);

  FScale->SetFont(Font());
  FScale->SetColorScale(FColorScale);
  FScale->UseForeignCanvas(cv, 0, 0);
  FScale->ForcePaint();

  cv->SetFont(Font());
  cv->Font()->SetSize(FCaptSize);
  cv->Font()->SetStyle(FCaptStyle);
  cv->Font()->SetColor(FCaptColor);
  cv->Brush()->SetStyle(bsClear);
  cv->TextOut(FCaptPosX, FCaptPosY, FCaption);

  if (OnDataRendered) OnDataRendered(this, cv);
  DrawCrossHair(cv);
  DrawFrame(cv, FFrameSt, 0, 0, Width() - 1, Height() - 1, FColWhiteLine, kFrameFace, FColGrayLine,
            FColBlackLine, FColBlackLine);
  Canvas()->Draw(0, 0, FGrafBmp.get());
}

// ---- mouse --------------------------------------------------------------------------------------
// In floating point: margins have no lower bound, so their sum may not fit an Integer.
Double TColorScale::BarLength() const {
  return Horizontal() ? static_cast<Double>(Width()) - FMarginLeft - FMarginRight
                      : static_cast<Double>(Height()) - FMarginTop - FMarginBottom;
}

void TColorScale::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (FMouseAction != maZoomPanColors || Button != mbLeft) return;
  FMouseAnchorX = X;
  FMouseAnchorY = Y;
  FAnchorSclLow = FScale->RangeLow();
  FAnchorSclHigh = FScale->RangeHigh();
  const Double len = BarLength();
  const Double first = Horizontal() ? FMarginLeft : FMarginTop;
  const Double a = std::nearbyint(kZoomZoneLow * len) + first;
  const Double b = std::nearbyint(kZoomZoneHigh * len) + first;
  const Double at = Horizontal() ? X : Y;
  // Screen rows grow downwards while values grow upwards: the top zone holds the high end.
  const TZoomPanMode nearStart = Horizontal() ? zpmColZoomLeft : zpmColZoomRight;
  const TZoomPanMode nearEnd = Horizontal() ? zpmColZoomRight : zpmColZoomLeft;
  FZoomPanMode = at < a ? nearStart : at > b ? nearEnd : zpmPan;
}

void TColorScale::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  const bool left = (Shift & ssLeft) != 0;
  if (FMouseAction == maDragCrossH) {
    if (!left || FCrossHair->Mode() == chOff) {
      FLeftButWasDown = false;
    } else {
      if (FLeftButWasDown) {
        Double v = FScale->ConvertPixelToScale(Horizontal() ? X : Y);
        if (v < FScale->RangeLow()) v = FScale->RangeLow();
        if (v > FScale->RangeHigh()) v = FScale->RangeHigh();
        const TNotifyEvent saved = FCrossHair->OnChange;
        FCrossHair->OnChange = nullptr;  // one paint for both coordinates
        FCrossHair->SetPos(v, v);
        FCrossHair->OnChange = saved;
        Paint();
        if (OnCrossHairMove) OnCrossHairMove(this);
      }
      FLeftButWasDown = true;
    }
  } else if (FMouseAction == maZoomPanColors && left) {
    // The shift is measured against the span at the mouse-down: measured against the span of
    // each move it would feed back, accelerate a stretch and could turn the range over.
    const Double len = BarLength();
    if (len > 0) {
      // Measured against the range at the mouse-down, not the current one, so a stretch does
      // not feed back on itself while the pointer moves.
      const Double span = FAnchorSclHigh - FAnchorSclLow;
      const Double delta =
          Horizontal() ? (X - FMouseAnchorX) * span / len : (FMouseAnchorY - Y) * span / len;
      Double low = FAnchorSclLow, high = FAnchorSclHigh;
      if (FZoomPanMode == zpmPan || FZoomPanMode == zpmColZoomLeft) low -= delta;
      if (FZoomPanMode == zpmPan || FZoomPanMode == zpmColZoomRight) high -= delta;
      FColSclMin = FColorLow = low;
      FColSclMax = FColorHigh = high;
      FScale->SetRange(low, high);
      Paint();
    }
  }
  // The mouse-move message's own report follows the toolkit's handling.
  if (OnMouseMoveInScale) {
    const Double v = FScale->ConvertPixelToScale(Horizontal() ? X : Y);
    const bool inScale = FMarginLeft <= X && X <= Width() - FMarginRight && FMarginTop <= Y &&
                         Y <= Height() - FMarginBottom;
    OnMouseMoveInScale(this, inScale, Shift, v);
  }
}

void TColorScale::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // No inherited handling: the control has no OnMouseUp.
  (void)Shift;
  (void)X;
  (void)Y;
  if (FMouseAction == maZoomPanColors && Button == mbLeft && OnZoomPan) OnZoomPan(this);
}
