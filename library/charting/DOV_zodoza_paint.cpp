// Painting the chart: the frame bitmap (background, shadow, caption, axes), the data-area
// bitmap (background picture or area, grid, items, annotations, labels, frame), cross hairs,
// the mouse trace and the axis hit test.
#include <algorithm>
#include <cmath>

#include "DOV_zodoza.h"

namespace {
constexpr Integer kMaxGridLines = 1000;
constexpr Integer kYAxisZone = 50;
constexpr Integer kXAxisZone = 40;
constexpr Double kLogSnap = 1e-14;
constexpr Integer kCrossBoxArm = 13;

// Decade and rounded mantissa of a positive value on a logarithmic grid.
void DecadeAndMantissa(Double v, Double& Decade, Double& Mantissa) {
  Double l = std::log10(v);
  if (std::fabs(l - std::nearbyint(l)) < kLogSnap) l = std::nearbyint(l);
  const Double k = std::floor(l);
  Decade = std::pow(10.0, k);
  Mantissa = std::nearbyint(std::pow(10.0, l - k));
}
}  // namespace

// ---- the whole control -------------------------------------------------------------------------
void TCustomZOdoza::Paint() {
  if (FSuppressPaint || IsLoading()) return;
  if (!Visible() && (ComponentState() & csDesigning) == 0) return;
  ConstructChartBmp(FChartBmp->Canvas());
  ResizeGrafBmp();
  InitGraf(FGrafBmp->Canvas(), 0, 0, FGrafBmp->Width(), FGrafBmp->Height());
  ConstructDataBmp(FGrafBmp.get(), 0, 0, false, 0);
  if (PaintsMouseTrace()) DrawMouseTrace(0, 0, FGrafBmp.get());
  FChartBmp->Canvas()->Draw(RcLRim, RcTRim, FGrafBmp.get());
  DrawFinish(0, 0, FChartBmp.get(), Canvas());
  ShowImage();
}

void TCustomZOdoza::ConstructChartBmp(TCanvas* Canvas) {
  FChartBmp->SetSize(Width(), Height());
  const Integer W = FChartBmp->Width(), H = FChartBmp->Height(), D = F3DRim;
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetMode(pmCopy);
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetColor(RcWindCol);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(RcWindCol);
  Canvas->FillRect(Rect(0, 0, Width(), Height()));
  if (D > 0) {
    Canvas->Brush()->SetColor(RcShadowBakCol);
    Canvas->Pen()->SetColor(RcShadowBakCol);
    Canvas->FillRect(Rect(W - D, 0, W, D));
    Canvas->FillRect(Rect(0, H - D, D, H));
    Canvas->Brush()->SetColor(FShadowColor);
    Integer s = 0;
    if (RcShadowStyle == ssFlying) {
      Canvas->Pen()->SetColor(FShadowColor);
      s = D - 1;
    } else {
      Canvas->Pen()->SetColor(clBlack);
    }
    const TPoint bottom[4] = {Point(s, H - D), Point(D - 1, H - 1), Point(W - 1, H - 1),
                              Point(W - D, H - D)};
    Canvas->Polygon(bottom, 4);
    const TPoint right[4] = {Point(W - D, H - D), Point(W - 1, H - 1), Point(W - 1, D - 1),
                             Point(W - D, s)};
    Canvas->Polygon(right, 4);
    Canvas->Pen()->SetColor(clBlack);
    const TPoint outline[5] = {Point(0, 0), Point(W - D, 0), Point(W - D, H - D), Point(0, H - D),
                               Point(0, 0)};
    Canvas->Polyline(outline, 5);
  }
  Canvas->Pen()->SetColor(FChartFrameCol);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->Font()->Assign(Font());
  if (!FChartCaption.empty()) {
    String text = FChartCaption;
    if (FCaptTrim != 0) {
      const Integer avail =
          static_cast<Integer>(std::nearbyint((W - D - RcLRim - RcRRim) * 0.01 * FCaptTrim));
      const Integer width = Canvas->TextWidth(text);
      if (width > avail && width > 0) {
        const long long keep = static_cast<long long>(std::nearbyint(
                                   static_cast<Double>(text.size()) * avail / width)) -
                               2;
        text = text.substr(0, static_cast<size_t>(std::clamp<long long>(
                                  keep, 0, static_cast<long long>(text.size())))) +
               "...";
      }
    }
    Integer x = FCaptPosX, y = FCaptPosY;
    switch (FCaptAnchorX) {
      case cahControlLeft: break;
      case cahChartLeft: x += RcLRim; break;
      case cahChartCenter: x += RcLRim + (Width() - RcLRim - RcRRim - D) / 2; break;
      case cahChartRight: x += Width() - RcRRim - D; break;
      case cahControlRight: x += Width(); break;
    }
    switch (FCaptAnchorY) {
      case cavControlTop: break;
      case cavChartTop: y += RcTRim; break;
      case cavChartCenter: y += RcTRim + (Height() - RcTRim - RcBRim - D) / 2; break;
      case cavChartBottom: y += Height() - RcBRim; break;
      case cavControlBottom: y += Height(); break;
    }
    const Integer tw = Canvas->TextWidth(text);
    if (FCaptAlignment == taRightJustify)
      x -= tw;
    else if (FCaptAlignment == taCenter)
      x -= tw / 2;
    Canvas->TextOut(x, y, text);
  }
  Canvas->Brush()->SetStyle(bsSolid);
  AdjustScaling();
  for (Integer n = 1; n <= kNumLayers; ++n) FScalesX[n]->ForcePaint();
  for (Integer n = 1; n <= kNumLayers; ++n) FScalesY[n]->ForcePaint();
  if (OnScalesRendered) OnScalesRendered(this, Canvas, 0, 0);
}

// ---- the data area -----------------------------------------------------------------------------
void TCustomZOdoza::InitGraf(TCanvas* Canvas, Integer Left, Integer Top, Integer Width,
                             Integer Height) {
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetMode(pmCopy);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(RcChartCol);
  FLastBrushCol = RcChartCol;
  Canvas->Pen()->SetColor(FChartFrameCol);
  const TRect whole = Rect(Left, Top, Left + Width, Top + Height);
  if (!FBakGndFile->Name().empty()) {
    // The picture is read again at every call, so a changed file shows at the next paint.
    TPicture picture;
    try {
      picture.LoadFromFile(FBakGndFile->Name());
    } catch (const Exception&) {
      Canvas->FillRect(whole);
      FBakGndFile->SetName("");
      return;
    }
    TBitmap* img = picture.Bitmap();
    if (img == nullptr || img->Width() <= 0 || img->Height() <= 0) {
      Canvas->FillRect(whole);
      FBakGndFile->SetName("");
      return;
    }
    FAuxBmp->Assign(img);
    // The picture starts at the area's corner (Left, Top): copies onto a metafile or a page
    // draw the data area inside the whole chart.
    switch (FBakGndFile->FillMode()) {
      case bfSimple:
        Canvas->FillRect(whole);
        Canvas->Draw(Left, Top, FAuxBmp.get());
        break;
      case bfStretch: Canvas->StretchDraw(whole, FAuxBmp.get()); break;
      case bfTile: {
        const Integer iw = FAuxBmp->Width(), ih = FAuxBmp->Height();
        for (Integer c = 0; c < (Width - 1) / iw + 1; ++c)
          for (Integer r = 0; r < (Height - 1) / ih + 1; ++r)
            Canvas->Draw(Left + c * iw, Top + r * ih, FAuxBmp.get());
        break;
      }
    }
    return;
  }
  Canvas->FillRect(whole);
  const TBGAreaMode mode = FBakGndFile->AreaMode();
  if (mode == bamNone) return;
  Canvas->Pen()->SetColor(FBakGndFile->AreaColor());
  Canvas->Brush()->SetColor(FBakGndFile->AreaColor());
  FLastBrushCol = FBakGndFile->AreaColor();
  Integer xL = 0, yT = 0, xR = 0, yB = 0;
  R2M(FActiveLayer, FBakGndFile->AreaLeft(), FBakGndFile->AreaTop(), xL, yT);
  R2M(FActiveLayer, FBakGndFile->AreaRight(), FBakGndFile->AreaBottom(), xR, yB);
  ZOdozaMath::ClampPixelPair(xL, yT);
  ZOdozaMath::ClampPixelPair(xR, yB);
  xL += Left - RcLRim;
  xR += Left - RcLRim;
  yT += Top - RcTRim;
  yB += Top - RcTRim;
  const Integer R = Left + Width, B = Top + Height;
  const auto Fill = [&](Integer x1, Integer y1, Integer x2, Integer y2) {
    Canvas->FillRect(Rect(x1, y1, x2, y2));
  };
  switch (mode) {
    case bamNone: break;
    case bamLeft: Fill(Left, Top, xL, B); break;
    case bamRight: Fill(xR, Top, R, B); break;
    case bamTop: Fill(Left, Top, R, yT); break;
    case bamBottom: Fill(Left, yB, R, B); break;
    case bamVStripe: Fill(xL, Top, xR, B); break;
    case bamHStripe: Fill(Left, yT, R, yB); break;
    case bamRect: Fill(xL, yT, xR, yB); break;
    case bamRectInv:
      Fill(Left, Top, R, yT);
      Fill(Left, yB, R, B);
      Fill(Left, Top, xL, B);
      Fill(xR, Top, R, B);
      break;
    case bamVStripeInv:
      Fill(Left, Top, xL, B);
      Fill(xR, Top, R, B);
      break;
    case bamHStripeInv:
      Fill(Left, Top, R, yT);
      Fill(Left, yB, R, B);
      break;
  }
}

void TCustomZOdoza::ConstructDataBmp(TBitmap* Bitmap, Integer OffX, Integer OffY, bool BlackWhite,
                                     Integer FirstItem) {
  ConstructDataBmpCanvas(Bitmap->Canvas(), OffX, OffY, BlackWhite, FirstItem);
}

void TCustomZOdoza::ConstructDataBmpCanvas(TCanvas* Canvas, Integer OffX, Integer OffY,
                                           bool BlackWhite, Integer FirstItem) {
  FLastPixel.Valid = false;
  if (FAvoidDupMarks) {
    const Integer d = FDupMarksMinD;
    const size_t cols = static_cast<size_t>(std::max(0, Width() + 2 * d));
    const size_t rows = static_cast<size_t>(std::max(0, Height() + 2 * d));
    FPixMap.resize(cols);
    for (auto& column : FPixMap) column.assign(rows, -1);
  }
  {
    const TColor brush = Canvas->Brush()->Color(), pen = Canvas->Pen()->Color();
    if (OnBeforeRenderData) OnBeforeRenderData(this, Canvas, RcTRim - OffY, RcLRim - OffX);
    Canvas->Brush()->SetColor(brush);
    Canvas->Pen()->SetColor(pen);
  }
  if (RcGridStyle != gsNone && FirstItem == 0) DrawGrid(Canvas, OffX, OffY);

  DrawDisplayList(Canvas, OffX, OffY, BlackWhite);

  Canvas->Pen()->SetWidth(1);
  DrawTextLabels(Canvas, OffX, OffY);
  if (OnDataRendered) OnDataRendered(this, Canvas, RcTRim - OffY, RcLRim - OffX);

  DrawDataFrame(Canvas, OffX, OffY);
}

void TCustomZOdoza::DrawDataFrame(TCanvas* Canvas, Integer OffX, Integer OffY) {
  Canvas->Pen()->SetColor(FChartFrameCol);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  const Integer W = DataWidth(), H = DataHeight();
  const TPoint frame[5] = {Point(OffX, OffY), Point(OffX + W, OffY), Point(OffX + W, OffY + H),
                           Point(OffX, OffY + H), Point(OffX, OffY)};
  Canvas->Polyline(frame, 5);
}

// The data items and annotations in their order, the canvas prepared as every drawing of the
// list expects it.
void TCustomZOdoza::DrawDisplayList(TCanvas* Canvas, Integer OffX, Integer OffY, bool BlackWhite) {
  Canvas->Pen()->SetWidth(RcLineWid);
  FLastLWidth = RcLineWid;
  FNumPPa = 0;
  FLastMoveToX = OffX;
  FLastMoveToY = OffY;
  FLineEndOut = false;
  Canvas->MoveTo(OffX, OffY);
  Canvas->Pen()->SetColor(RcChartCol);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Brush()->SetColor(RcChartCol);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Font()->SetColor(RcChartCol);
  FLastPenCol = RcChartCol;
  FLastPenStyle = psSolid;
  FLastBrushCol = RcChartCol;
  FLastFontCol = RcChartCol;

  const auto DrawData = [&] {
    TrcChartItem copy;
    for (Integer i = 0; i < FData->Count;) {
      const TrcChartItem& it = FData->Container[static_cast<size_t>(i)];
      if (!FItClassVisib[it.ItemClass] || !GetLayerVisib(it.Layer)) {
        ++i;
        continue;
      }
      if (OnBeforeRendezOdozaItem) {
        copy = it;
        OnBeforeRendezOdozaItem(this, copy, i, false);
        DrawContainerItemOnCanvas(Canvas, copy, i, false, FData->LongTexts, BlackWhite, OffX, OffY);
        ++i;
      } else {
        DrawContainerItemOnCanvas(Canvas, it, i, false, FData->LongTexts, BlackWhite, OffX, OffY);
        // A dense run the record opened or continued takes the records after it in one loop.
        i = DenseRunOpen() ? DrawDenseRecords(Canvas, i + 1, BlackWhite) : i + 1;
      }
    }
    FinishPolyLine(Canvas);
  };
  if (!FAnnoBelowChart) DrawData();
  if (FAnnosVisible) {
    const auto Pass = [&](int Which) {  // 0 all, 1 all but texts, 2 texts only
      for (Integer i = 0; i < FNumAnnoItems; ++i) {
        TrcChartItem copy = FAnnoContainer[static_cast<size_t>(i)];
        if (!FAnnoClassVisib[copy.ItemClass] || !GetLayerVisib(copy.Layer)) continue;
        const bool text = copy.ItemKind == tkText || copy.ItemKind == tkTextOfs;
        if ((Which == 1 && text) || (Which == 2 && !text)) continue;
        DoOnBeforeRendezOdozaItem(copy, i, true);
        DrawContainerItemOnCanvas(Canvas, copy, i, true, FLongTextsAnno, BlackWhite, OffX, OffY);
      }
    };
    if (FAnnoTextOnTop) {
      Pass(1);
      Pass(2);
    } else {
      Pass(0);
    }
    FinishPolyLine(Canvas);
  }
  if (FAnnoBelowChart) DrawData();
}

// ---- grid --------------------------------------------------------------------------------------
std::vector<Double> TCustomZOdoza::GridPositions(bool IsX) const {
  const TScaleProps* props = IsX ? static_cast<const TScaleProps*>(FScalePropsX[FActiveLayer].get())
                                 : FScalePropsY[FActiveLayer].get();
  const TScale* scale = IsX ? FScalesX[FActiveLayer] : FScalesY[FActiveLayer];
  const Double step = IsX ? RcGridDx : RcGridDy;
  const Double lo = std::min(props->RangeLow(), props->RangeHigh());
  const Double hi = std::max(props->RangeLow(), props->RangeHigh());
  const bool logAx = props->Logarithmic();
  const Integer ticks = scale->NumTicks();
  const Double scaleLo = std::min(scale->RangeLow(), scale->RangeHigh());
  const Double scaleHi = std::max(scale->RangeLow(), scale->RangeHigh());

  Double p;
  if (step == 0) {
    p = ticks > 0 ? scale->GetTickPos(1) : scaleLo;
  } else if (step > 0 || !logAx) {
    p = std::ceil(lo / step) * step;
  } else {
    Double dec = 0, m = 0;
    DecadeAndMantissa(lo, dec, m);
    if (step == -1)
      p = std::pow(10.0, std::ceil(std::log10(lo)));
    else if (step == -2)
      p = dec * (m <= 2 ? 2 : m <= 5 ? 5 : 10);
    else if (step == -3)
      p = dec * m;
    else
      p = lo;
  }
  std::vector<Double> out;
  for (Integer n = 2; !(p >= hi) && static_cast<Integer>(out.size()) < kMaxGridLines; ++n) {
    out.push_back(p);
    if (step == 0) {
      p = n <= ticks ? scale->GetTickPos(n) : scaleHi;
    } else if (step > 0 || !logAx) {
      p += std::fabs(step);
    } else if (step == -1) {
      p *= 10;
    } else {
      Double dec = 0, m = 0;
      DecadeAndMantissa(p, dec, m);
      if (step == -2)
        p = dec * (m <= 1 ? 2 : m <= 2 ? 5 : 10);
      else
        p = dec * (m + 1);
    }
    if (!(p == p)) break;
  }
  return out;
}

void TCustomZOdoza::DrawGrid(TCanvas* Canvas, Integer OffX, Integer OffY) {
  Canvas->Brush()->SetColor(RcChartCol);
  const std::vector<Double> xs = GridPositions(true), ys = GridPositions(false);
  const TScaleProps* px = FScalePropsX[FActiveLayer].get();
  const TScaleProps* py = FScalePropsY[FActiveLayer].get();
  Canvas->Pen()->SetColor(RcGridCol);
  const auto Pixel = [&](Double x, Double y) {
    Integer mx = 0, my = 0;
    R2M(FActiveLayer, x, y, mx, my);
    ZOdozaMath::ClampPixelPair(mx, my);
    return Point(mx - RcLRim + OffX, my - RcTRim + OffY);
  };
  const auto Line = [&](TPoint a, TPoint b) {
    Canvas->MoveTo(a.X, a.Y);
    Canvas->LineTo(b.X, b.Y);
  };
  const auto Vertical = [&] {
    for (const Double x : xs) Line(Pixel(x, py->RangeLow()), Pixel(x, py->RangeHigh()));
  };
  const auto Horizontal = [&] {
    for (const Double y : ys) Line(Pixel(px->RangeLow(), y), Pixel(px->RangeHigh(), y));
  };
  const bool dotted =
      RcGridStyle == gsVertDotLines || RcGridStyle == gsHorizDotLines || RcGridStyle == gsDotLines;
  if (dotted) Canvas->Pen()->SetStyle(psDot);
  switch (RcGridStyle) {
    case gsNone: break;
    case gsPoints: {
      Integer count = 0;
      for (const Double x : xs)
        for (const Double y : ys) {
          if (count++ >= kMaxGridLines) break;
          const TPoint p = Pixel(x, y);
          Canvas->SetPixel(p.X, p.Y, RcGridCol);
        }
      break;
    }
    case gsVertLines:
    case gsVertDotLines: Vertical(); break;
    case gsHorizLines:
    case gsHorizDotLines: Horizontal(); break;
    case gsLines:
    case gsDotLines:
      Vertical();
      Horizontal();
      break;
  }
  if (dotted) Canvas->Pen()->SetStyle(psSolid);
}

// ---- cross hairs and the mouse trace -----------------------------------------------------------
void TCustomZOdoza::DrawFinish(Integer OffsX, Integer OffsY, TBitmap* Bitmap, TCanvas* Canvas) {
  DrawCrossHairs(OffsX, OffsY, Bitmap);
  Canvas->Draw(OffsX, OffsY, Bitmap);
}

void TCustomZOdoza::DrawCrossHairs(Integer OffsX, Integer OffsY, TBitmap* Bitmap) {
  bool any = false;
  for (Integer i = 1; i <= kNumCrossHairs; ++i) any = any || FCrossHair[i]->Mode() != chOff;
  if (!any) return;
  TCanvas* cv = Bitmap->Canvas();
  const TColor savedCol = cv->Pen()->Color();
  const Integer savedWid = cv->Pen()->Width();
  const TPenStyle savedStyle = cv->Pen()->Style();
  const TBrushStyle savedBrush = cv->Brush()->Style();
  const auto Line = [&](Integer x1, Integer y1, Integer x2, Integer y2) {
    cv->MoveTo(x1 - OffsX, y1 - OffsY);
    cv->LineTo(x2 - OffsX, y2 - OffsY);
  };
  const auto Box = [&](Integer x1, Integer y1, Integer x2, Integer y2) {
    cv->Rectangle(x1 - OffsX, y1 - OffsY, x2 - OffsX, y2 - OffsY);
  };
  for (Integer i = kNumCrossHairs; i >= 1; --i) {
    const TCrossHair* ch = FCrossHair[i].get();
    const TCrossHMode mode = ch->Mode();
    if (mode == chOff) continue;
    Integer px = 0, py = 0;
    R2M(ch->Layer(), ch->PosX(), ch->PosY(), px, py);
    cv->Pen()->SetColor(ch->Color());
    cv->Pen()->SetWidth(ch->LineWid());
    cv->Pen()->SetStyle(ch->LineType());
    cv->Brush()->SetColor(RcChartCol);
    const Integer h = ch->LineWid() / 2;
    const bool rowInside = RcTRim + h < py && py < Height() - RcBRim - F3DRim - h;
    const bool colInside = RcLRim + h < px && px < Width() - RcRRim - F3DRim - h;
    if ((mode == chHoriz || mode == chBoth) && rowInside)
      Line(RcLRim + h + 1, py, Width() - RcRRim - F3DRim - h, py);
    if ((mode == chVert || mode == chBoth) && colInside)
      Line(px, RcTRim + h + 1, px, Height() - RcBRim - F3DRim - h);
    if (mode == chCrossBox && rowInside && colInside) {
      Line(px - kCrossBoxArm, py, px + kCrossBoxArm + 1, py);
      Line(px, py - kCrossBoxArm, px, py + kCrossBoxArm + 1);
      cv->Brush()->SetStyle(bsClear);
      cv->Pen()->SetStyle(psSolid);
      cv->Pen()->SetColor(clWhite);
      Box(px - 3, py - 3, px + 4, py + 4);
      cv->Pen()->SetColor(clBlack);
      Box(px - 2, py - 2, px + 3, py + 3);
      cv->Brush()->SetStyle(bsSolid);
    }
    if (mode == chBox && rowInside && colInside) {
      cv->Brush()->SetStyle(bsClear);
      Box(px - 4, py - 4, px + 5, py + 5);
      cv->Brush()->SetStyle(bsSolid);
    }
  }
  cv->Pen()->SetColor(savedCol);
  cv->Pen()->SetWidth(savedWid);
  cv->Pen()->SetStyle(savedStyle);
  cv->Brush()->SetStyle(savedBrush);
}

void TCustomZOdoza::DrawMouseTrace(Integer OffsX, Integer OffsY, TBitmap* Bitmap) {
  if (FNumMTrace <= 0) return;
  TCanvas* cv = Bitmap->Canvas();
  const TColor savedCol = cv->Pen()->Color();
  const Integer savedWid = cv->Pen()->Width();
  const TPenStyle savedStyle = cv->Pen()->Style();
  const TBrushStyle savedBrush = cv->Brush()->Style();
  // Positions not limited: after a zoom the segments are cut to the data area's box.
  const auto Position = [&](const TColoredPoint& p) {
    return ItemPosition(FActiveLayer, p.X, p.Y, true, true, false, OffsX, OffsY);
  };
  const ZOdozaMath::TClipBox box = LineClipBox(OffsX, OffsY, cv->Pen()->Width());
  // Trace point i lives in slot i - 1.
  for (Integer i = 2; i <= FNumMTrace; ++i) {
    const TColoredPoint& a = FMTrace[static_cast<size_t>(i - 2)];
    const TColoredPoint& b = FMTrace[static_cast<size_t>(i - 1)];
    if ((a.Flag & 1) != 0) continue;
    cv->Pen()->SetColor(static_cast<TColor>(b.Color));
    cv->Pen()->SetMode((b.Flag & 2) != 0 ? pmXor : pmCopy);
    ClippedSegment(cv, Position(a), Position(b), box);
    cv->Pen()->SetMode(pmCopy);
  }
  cv->Pen()->SetColor(savedCol);
  cv->Pen()->SetWidth(savedWid);
  cv->Pen()->SetStyle(savedStyle);
  cv->Brush()->SetStyle(savedBrush);
}

void TCustomZOdoza::RefreshCrossHairs() {
  if (FSuppressPaint || IsLoading()) return;
  FChartBmp->Canvas()->Draw(RcLRim, RcTRim, FGrafBmp.get());
  DrawFinish(0, 0, FChartBmp.get(), Canvas());
  ShowImage();
}

void TCustomZOdoza::CrossHairSetup(Integer ch, TColor chColor, TCrossHMode Mode, TPenStyle LineType,
                                   Integer LineWidth) {
  TCrossHair* c = CrossHair(ch);
  if (c == nullptr) return;
  c->SetCrossHColor(chColor);
  c->SetCrossHMode(Mode);
  c->SetCrossHLineType(LineType);
  c->SetCrossHLineWid(LineWidth);
  RefreshCrossHairs();
}

void TCustomZOdoza::SetCrossHair(Integer chnum, TCrossHair* Value) {
  TCrossHair* own = CrossHair(chnum);
  if (own == nullptr || Value == nullptr) return;
  const TNotifyEvent handler = own->OnChange;
  own->OnChange = nullptr;
  own->Assign(Value);
  own->OnChange = handler;
  StyleChanged(this);
}

void TCustomZOdoza::CrossHairSetPos(Integer chnum, Double x, Double y) {
  TCrossHair* c = CrossHair(chnum);
  if (c == nullptr) return;
  c->SetPos(x, y);
  if (c->Mode() != chOff) RefreshCrossHairs();
}

// ---- showing new items, clearing ---------------------------------------------------------------
void TCustomZOdoza::ShowGraf() {
  if (Visible()) {
    FData->LastElemOnShow = FData->Count - 1;
    if (FAutoRedraw) {
      if (!FSuppressPaint && !IsLoading()) {
        ResizeGrafBmp();
        InitGraf(FGrafBmp->Canvas(), 0, 0, FGrafBmp->Width(), FGrafBmp->Height());
        ConstructDataBmp(FGrafBmp.get(), 0, 0, false, 0);
        DrawFinish(RcLRim, RcTRim, FGrafBmp.get(), Canvas());
        ShowImage();
      }
    } else {
      Paint();
    }
  }
  NotifySharingCharts();
}

void TCustomZOdoza::ShowGrafNewOnly() {
  if (!Visible()) return;
  if (!FSuppressPaint && !IsLoading()) {
    ConstructDataBmp(FGrafBmp.get(), 0, 0, false, FData->LastElemOnShow);
    DrawFinish(RcLRim, RcTRim, FGrafBmp.get(), Canvas());
    ShowImage();
  }
  FData->LastElemOnShow = FData->Count - 1;
}

void TCustomZOdoza::ClearGraf() {
  ResizeGrafBmp();
  InitGraf(FGrafBmp->Canvas(), 0, 0, FGrafBmp->Width(), FGrafBmp->Height());
  EmptyContainer(FData->Container, FData->Count, FData->Alloc);
  FNumMTrace = 0;
  FData->LastElemOnShow = 0;
  FData->ItemCount.fill(0);
  FData->LongTexts.fill("");
  FData->NumLongTexts = 0;
}

void TCustomZOdoza::ClearAnnotations() {
  EmptyContainer(FAnnoContainer, FNumAnnoItems, FNumAllocAnno);
  FLongTextsAnno.fill("");
  FNumLongTextsAnno = 0;
  Paint();
}

void TCustomZOdoza::ClearMouseTrace() {
  FNumMTrace = 0;
  Paint();
}

// ---- axis hit test -----------------------------------------------------------------------------
Integer TCustomZOdoza::DetectScale(Integer CoordX, Integer CoordY) const {
  for (Integer n = 1; n <= kNumLayers; ++n) {
    const TScaleProps* p = FScalePropsY[n].get();
    if (!p->Visible()) continue;
    const Integer pos = p->ScalePos();
    const bool rows = RcTRim < CoordY && CoordY < Height() - RcBRim;
    if (p->ScaleType() == sctYL && rows && Width() + pos - RcRRim < CoordX &&
        CoordX < Width() + pos - RcRRim + kYAxisZone)
      return n;
    if (p->ScaleType() == sctYR && rows && RcLRim - pos - kYAxisZone < CoordX &&
        CoordX < RcLRim - pos)
      return n;
  }
  for (Integer n = 1; n <= kNumLayers; ++n) {
    const TScaleProps* p = FScalePropsX[n].get();
    if (!p->Visible()) continue;
    const Integer pos = p->ScalePos();
    const bool cols = RcLRim < CoordX && CoordX < Width() - RcRRim;
    if (p->ScaleType() == sctXT && cols && Height() + pos - RcBRim < CoordY &&
        CoordY < Height() + pos - RcBRim + kXAxisZone)
      return -n;
    if (p->ScaleType() == sctXB && cols && RcTRim - pos - kXAxisZone < CoordY &&
        CoordY < RcTRim - pos)
      return -n;
  }
  return 0;
}
