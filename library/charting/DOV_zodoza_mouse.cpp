// The chart's mouse handling: window zoom, rubber band and rectangle selection, panning, drag
// zoom, dragging cross hairs and text labels, the freehand trace, axis drags, the double click
// on an axis, the modal mouse box and the mouse-move report.

#include <algorithm>
#include <cmath>
#include <memory>

#include "DOV_zodoza.h"
#include "Forms.h"

namespace {

constexpr Integer kAxisDragZone = 50;

bool IsWindowMode(TMouseActMode m) {
  return m == maRubberBand || m == maZoomWind || m == maZoomWindPos || m == maSelectRect;
}
bool IsPanMode(TMouseActMode m) {
  return m == maPan || m == maPanHoriz || m == maPanVert || m == maPanGrid;
}
Double Snap(Double v, Double Step, Double Offset) {
  return Step <= 0 ? v : std::trunc(v / Step) * Step + Offset;
}
// The pair in the axis' direction: ascending for a normal axis, descending for a reversed one.
void InAxisDirection(Double& a, Double& b, Double Low, Double High) {
  if ((Low <= High) != (a <= b)) std::swap(a, b);
}

}  // namespace

// Both ends are inside: the data-area frame sits on the area's last column and row, and a
// pointer on it still reads out the data.
bool TCustomZOdoza::InDataArea(Integer X, Integer Y) const {
  return X >= RcLRim && X <= Width() - RcRRim - F3DRim && Y >= RcTRim &&
         Y <= Height() - RcBRim - F3DRim;
}

void TCustomZOdoza::ClampToData(Integer& X, Integer& Y) const {
  X = std::clamp(X, RcLRim, std::max(RcLRim, Width() - RcRRim - F3DRim));
  Y = std::clamp(Y, RcTRim, std::max(RcTRim, Height() - RcBRim - F3DRim));
}

void TCustomZOdoza::StoreAnchors(Integer X, Integer Y) {
  FMAnchorScrX = X;
  FMAnchorScrY = Y;
  for (Integer l = 1; l <= kNumLayers; ++l) {
    FMAnchorRcLoX[l] = FScalePropsX[l]->RangeLow();
    FMAnchorRcHiX[l] = FScalePropsX[l]->RangeHigh();
    FMAnchorRcLoY[l] = FScalePropsY[l]->RangeLow();
    FMAnchorRcHiY[l] = FScalePropsY[l]->RangeHigh();
  }
}

// The figure goes onto the control over a fresh copy of the cached picture, never into
// GrafBmp: each move wipes the last figure, and the data area needs no repaint.
void TCustomZOdoza::DrawRubberFigure(Integer X1, Integer Y1, Integer X2, Integer Y2, bool Line) {
  if (FSuppressPaint || IsLoading()) return;
  FChartBmp->Canvas()->Draw(RcLRim, RcTRim, FGrafBmp.get());
  DrawFinish(0, 0, FChartBmp.get(), Canvas());
  TCanvas* c = Canvas();
  c->Pen()->SetColor(clBlack);
  c->Pen()->SetStyle(psDot);
  c->Pen()->SetWidth(1);
  c->MoveTo(X1, Y1);
  if (Line) {
    c->LineTo(X2, Y2);
  } else {
    c->LineTo(X2, Y1);
    c->LineTo(X2, Y2);
    c->LineTo(X1, Y2);
    c->LineTo(X1, Y1);
  }
  c->Pen()->SetStyle(psSolid);
  ShowImage();
}

// ---- mouse down --------------------------------------------------------------------------------
void TCustomZOdoza::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FWasDblClk) {
    FWasDblClk = false;
    return;
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (FMouseBoxState == msFirstCorner) {
    if (Button == mbRight) {
      FMouseBoxState = msNormal;
    } else {
      MouseBoxX1 = WindOldCornerX = X;
      MouseBoxY1 = WindOldCornerY = Y;
      FMouseBoxState = msRectDraw;
    }
  }
  if (IsWindowMode(RcMouseAction) && FZoomState == zsNormal && Button == mbLeft &&
      InDataArea(X, Y)) {
    FZoomState = zsDrawWin;
    WindAnchorX = WindOldCornerX = X;
    WindAnchorY = WindOldCornerY = Y;
  }
}

// ---- mouse move --------------------------------------------------------------------------------
// Every mouse move arrives here. A move that arrives while the previous one is still being
// handled (an event handler that processes messages) is dropped, so read-out handlers never
// nest; a handler that throws does not leave the chart deaf to later moves. The report gives
// the active layer's world position whether the pointer is inside the data area or not.
void TCustomZOdoza::WMMouseMoveInChart(TShiftState Shift, Integer X, Integer Y) {
  if (MouseMoveActive) return;
  MouseMoveActive = true;
  try {
    HandleMouseMove(Shift, X, Y);
    Double x = 0, y = 0;
    M2R(FActiveLayer, X, Y, x, y);
    MouseMoveInChart(InDataArea(X, Y), Shift, x, y);
  } catch (...) {
    MouseMoveActive = false;
    throw;
  }
  MouseMoveActive = false;
}

void TCustomZOdoza::MouseMove(TShiftState Shift, int X, int Y) { WMMouseMoveInChart(Shift, X, Y); }

void TCustomZOdoza::AxisDrag(Integer X, Integer Y) {
  if (!FAxisDragOn) {
    if (DetectScale(X, Y) != 0) {
      StoreAnchors(X, Y);
      FAxisDragOn = true;
    }
    return;
  }
  bool changed = false;
  for (Integer l = 1; l <= kNumLayers; ++l) {
    const TScaleProps* px = FScalePropsX[l].get();
    const TScaleProps* py = FScalePropsY[l].get();
    const Integer sx = px->ScalePos(), sy = py->ScalePos();
    const bool inX = px->ScaleType() == sctXT
                         ? Height() + sx - RcBRim < Y && Y < Height() + sx - RcBRim + kAxisDragZone
                         : RcTRim - sx - kAxisDragZone < Y && Y < RcTRim - sx;
    Double lo = 0, hi = 0;
    if (px->MouseAction() != maNone && inX && RcLRim < X && X < Width() - RcRRim &&
        FZoomState != zsDrawWin &&
        Rescale(X, Y, FMAnchorScrX, FMAnchorScrY, Width(), Height(), RcLRim, RcRRim, RcTRim, RcBRim,
                FMAnchorRcLoX[l], FMAnchorRcHiX[l], px->MouseAction(), px->ScaleType(),
                px->Logarithmic(), px->RangeLow(), px->RangeHigh(), lo, hi)) {
      ForceRange(l, lo, py->RangeLow(), hi, py->RangeHigh(), false, true);
      changed = true;
    }
    const bool inY = py->ScaleType() == sctYL
                         ? Width() + sy - RcRRim < X && X < Width() + sy - RcRRim + kAxisDragZone
                         : RcLRim - sy - kAxisDragZone < X && X < RcLRim - sy;
    if (py->MouseAction() != maNone && inY && RcTRim < Y && Y < Height() - RcBRim &&
        FZoomState != zsDrawWin &&
        Rescale(X, Y, FMAnchorScrX, FMAnchorScrY, Width(), Height(), RcLRim, RcRRim, RcTRim, RcBRim,
                FMAnchorRcLoY[l], FMAnchorRcHiY[l], py->MouseAction(), py->ScaleType(),
                py->Logarithmic(), py->RangeLow(), py->RangeHigh(), lo, hi)) {
      ForceRange(l, px->RangeLow(), lo, px->RangeHigh(), hi, false, true);
      changed = true;
    }
  }
  if (changed) DoZoomPanEvent();
}

void TCustomZOdoza::PanStep(Integer X, Integer Y) {
  if (!FActDragOn) {
    StoreAnchors(X, Y);
    FActDragOn = true;
    return;
  }
  if (!InDataArea(X, Y)) return;
  const bool grid = RcMouseAction == maPanGrid;
  const Double w = Width() - RcLRim - RcRRim - F3DRim, h = Height() - RcTRim - RcBRim - F3DRim;
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  for (Integer l = 1; l <= kNumLayers; ++l) {
    if (!GetMAffLayer(l)) continue;
    const TScaleProps* px = FScalePropsX[l].get();
    const TScaleProps* py = FScalePropsY[l].get();
    const Double loX = px->RangeLow(), hiX = px->RangeHigh();
    const Double loY = py->RangeLow(), hiY = py->RangeHigh();
    Double nLoX = loX, nHiX = hiX, nLoY = loY, nHiY = hiY;
    if (grid && (px->Logarithmic() || py->Logarithmic())) continue;
    if (RcMouseAction != maPanVert) {
      if (px->Logarithmic()) {
        const Double m = std::exp(std::log(hiX / loX) * (FMAnchorScrX - X) / w);
        nLoX = FMAnchorRcLoX[l] * m;
        nHiX = FMAnchorRcHiX[l] * m;
      } else {
        const Double m = (X - FMAnchorScrX) * (hiX - loX) / w;
        nLoX = FMAnchorRcLoX[l] - m;
        nHiX = FMAnchorRcHiX[l] - m;
        if (grid) {
          nLoX = Snap(nLoX, FPanGridDx, FPanGridOffsX);
          nHiX = FMAnchorRcHiX[l] - (FMAnchorRcLoX[l] - nLoX);
        }
      }
    }
    if (RcMouseAction != maPanHoriz) {
      if (py->Logarithmic()) {
        const Double t = std::exp(std::log(hiY / loY) * (Y - FMAnchorScrY) / h);
        nLoY = FMAnchorRcLoY[l] * t;
        nHiY = FMAnchorRcHiY[l] * t;
      } else {
        const Double t = (Y - FMAnchorScrY) * (hiY - loY) / h;
        nLoY = FMAnchorRcLoY[l] + t;
        nHiY = FMAnchorRcHiY[l] + t;
        if (grid) {
          nLoY = Snap(nLoY, FPanGridDy, FPanGridOffsY);
          nHiY = FMAnchorRcHiY[l] - (FMAnchorRcLoY[l] - nLoY);
        }
      }
    }
    ForceRange(l, nLoX, nLoY, nHiX, nHiY, false, true);
  }
  SetSuppressPaint(saved);
  DoZoomPanEvent();
}

void TCustomZOdoza::ZoomDragStep(Integer X, Integer Y) {
  if (!FActDragOn) {
    StoreAnchors(X, Y);
    FActDragOn = true;
    return;
  }
  if (!InDataArea(X, Y)) return;
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  const Double fx = 1 - Double(X - FMAnchorScrX) / Width();
  const Double fy = FIsometric ? fx : 1 + Double(Y - FMAnchorScrY) / Height();
  for (Integer l = 1; l <= kNumLayers; ++l) {
    if (!GetMAffLayer(l)) continue;
    const Double cx = (FMAnchorRcLoX[l] + FMAnchorRcHiX[l]) / 2;
    const Double cy = (FMAnchorRcLoY[l] + FMAnchorRcHiY[l]) / 2;
    const Double sx = (FMAnchorRcHiX[l] - FMAnchorRcLoX[l]) * fx / 2;
    const Double sy = (FMAnchorRcHiY[l] - FMAnchorRcLoY[l]) * fy / 2;
    ForceRange(l, cx - sx, cy - sy, cx + sx, cy + sy, false, true);
  }
  SetSuppressPaint(saved);
  DoZoomPanEvent();
}

void TCustomZOdoza::CrossHairDragStep(Integer X, Integer Y) {
  if (!InDataArea(X, Y)) return;
  if (!FActDragOn) {
    Double best = -1;
    CHNext = 1;
    Integer bx = 0, by = 0;
    for (Integer ch = 1; ch <= kNumCrossHairs; ++ch) {
      const TCrossHair* c = FCrossHair[ch].get();
      if (c->Mode() == chOff) continue;
      Integer px = 0, py = 0;
      R2M(c->Layer(), c->PosX(), c->PosY(), px, py);
      const bool vert = c->Mode() != chHoriz, horiz = c->Mode() != chVert;
      for (int line = 0; line < 2; ++line) {
        if ((line == 0 && !vert) || (line == 1 && !horiz)) continue;
        const Double d = line == 0 ? Double(px - X) * (px - X) : Double(py - Y) * (py - Y);
        if (best < 0 || d < best) {
          best = d;
          CHNext = ch;
          bx = px;
          by = py;
        }
      }
    }
    if (OnBeforeCrossHairMove) {
      bool allow = true;
      OnBeforeCrossHairMove(this, CHNext, X - bx, Y - by, allow);
      if (!allow) return;
    }
    StoreAnchors(X, Y);
    FActDragOn = true;
    return;
  }
  TCrossHair* c = FCrossHair[CHNext].get();
  Double x = 0, y = 0;
  M2R(c->Layer(), X, Y, x, y);
  c->SetPos(x, y);
  Paint();
  DoCrossHMoveEvent(CHNext);
}

void TCustomZOdoza::LabelDragStep(Integer X, Integer Y) {
  if (!FActDragOn) {
    StoreAnchors(X, Y);
    FActDragOn = true;
    Double best = -1;
    TLNext = 1;
    for (Integer i = 1; i <= kNumTextLabels; ++i) {
      const TTextLabel* t = FTextLabels[i].get();
      if (!t->Visible() || t->Mode() == tlOff) continue;
      Integer px = static_cast<Integer>(std::lround(t->PosX()));
      Integer py = static_cast<Integer>(std::lround(t->PosY()));
      Integer wx = 0, wy = 0;
      R2M(t->Layer(), t->PosX(), t->PosY(), wx, wy);
      if (t->AttachToData() == tlamXOnly || t->AttachToData() == tlamBoth) px = wx;
      if (t->AttachToData() == tlamYOnly || t->AttachToData() == tlamBoth) py = wy;
      const Double d = Double(px - X) * (px - X) + Double(py - Y) * (py - Y);
      if (best < 0 || d < best) {
        best = d;
        TLNext = i;
      }
    }
    return;
  }
  TTextLabel* t = FTextLabels[TLNext].get();
  Double x = 0, y = 0;
  M2R(t->Layer(), X, Y, x, y);
  const bool worldX = t->AttachToData() == tlamXOnly || t->AttachToData() == tlamBoth;
  const bool worldY = t->AttachToData() == tlamYOnly || t->AttachToData() == tlamBoth;
  t->SetTxtLblPosX(worldX ? x : X);
  t->SetTxtLblPosY(worldY ? y : Y);
  Paint();
  DoTxtLblMoveEvent(TLNext);
}

void TCustomZOdoza::TraceStep(Integer X, Integer Y) {
  ClampToData(X, Y);
  if (FNumMTrace >= kMaxMouseTrace) return;
  Double x = 0, y = 0;
  M2R(FActiveLayer, X, Y, x, y);
  if (static_cast<Integer>(FMTrace.size()) <= FNumMTrace) FMTrace.resize(FNumMTrace + 1);
  TColoredPoint& p = FMTrace[FNumMTrace];
  p.X = x;
  p.Y = y;
  p.Color = static_cast<Cardinal>(FColorMTrace);
  p.Flag = FMTraceInvert ? 2 : 0;
  ++FNumMTrace;
  if (FNumMTrace >= 2 && (FMTrace[FNumMTrace - 2].Flag & 1) == 0) {
    Integer px = 0, py = 0;
    R2M(FActiveLayer, FMTrace[FNumMTrace - 2].X, FMTrace[FNumMTrace - 2].Y, px, py);
    TCanvas* c = Canvas();
    c->Pen()->SetColor(FColorMTrace);
    c->Pen()->SetMode(FMTraceInvert ? pmXor : pmCopy);
    c->MoveTo(px, py);
    c->LineTo(X, Y);
    c->Pen()->SetMode(pmCopy);
    ShowImage();
  }
}

void TCustomZOdoza::WindowStep(Integer X, Integer Y) {
  if (FZoomState != zsDrawWin) return;
  if (RcMouseAction == maRubberBand) {
    ClampToData(X, Y);
    DrawRubberFigure(WindAnchorX, WindAnchorY, X, Y, true);
  } else {
    Integer unusedY = RcTRim;
    ClampToData(X, unusedY);
    if (FIsometric && (RcMouseAction == maZoomWind || RcMouseAction == maZoomWindPos)) {
      const Integer dx = X - WindAnchorX;
      Y = Double(Y - WindAnchorY) * dx >= 1 ? WindAnchorY + dx : WindAnchorY - dx;
    }
    Integer unusedX = RcLRim;
    ClampToData(unusedX, Y);
    DrawRubberFigure(WindAnchorX, WindAnchorY, X, Y, false);
  }
  WindOldCornerX = X;
  WindOldCornerY = Y;
}

void TCustomZOdoza::HandleMouseMove(TShiftState Shift, int X, int Y) {
  LastMouseX = X;
  LastMouseY = Y;
  TCustomControl::MouseMove(Shift, X, Y);
  if (FMouseBoxState == msRectDraw) {
    ClampToData(X, Y);
    DrawRubberFigure(MouseBoxX1, MouseBoxY1, X, Y, false);
    WindOldCornerX = X;
    WindOldCornerY = Y;
  }
  const bool left = (Shift & ssLeft) != 0;
  if (left)
    AxisDrag(X, Y);
  else
    FAxisDragOn = FLButtonWasDown = false;
  if (!left && RcMouseAction != maDrawMTrace) FActDragOn = false;
  switch (RcMouseAction) {
    case maPan:
    case maPanHoriz:
    case maPanVert:
    case maPanGrid:
      if (left) PanStep(X, Y);
      break;
    case maZoomDrag:
      if (left) ZoomDragStep(X, Y);
      break;
    case maDragCrossH:
      if (left) CrossHairDragStep(X, Y);
      break;
    case maDragLabel:
      if (left) LabelDragStep(X, Y);
      break;
    case maDrawMTrace:
      if (left && FZoomState == zsNormal) TraceStep(X, Y);
      break;
    case maRubberBand:
    case maZoomWind:
    case maZoomWindPos:
    case maSelectRect:
      WindowStep(X, Y);
      // the clamped point stays for the later steps
      if (FZoomState == zsDrawWin) {
        X = WindOldCornerX;
        Y = WindOldCornerY;
      }
      break;
    default: break;
  }
  const bool inside = InDataArea(X, Y);
  if (inside) {
    Double x = 0, y = 0;
    M2R(FActiveLayer, X, Y, x, y);
    FMousePosX = x;
    FMousePosY = y;
  }
  if (Screen == nullptr) return;
  if (!inside || FMCurFixed) {
    Screen->SetCursor(crDefault);
    return;
  }
  switch (RcMouseAction) {
    case maNone: Screen->SetCursor(crCross); break;
    case maPan:
    case maPanHoriz:
    case maPanVert:
    case maPanGrid: Screen->SetCursor(1); break;
    case maZoomWind: Screen->SetCursor(2); break;
    case maZoomDrag: Screen->SetCursor(3); break;
    case maZoomWindPos: Screen->SetCursor(4); break;
    case maRubberBand:
    case maDragCrossH:
    case maDragLabel:
    case maSelectRect: Screen->SetCursor(crDefault); break;
    default: break;
  }
}

// ---- mouse up ----------------------------------------------------------------------------------
void TCustomZOdoza::EndWindow(TMouseButton Button) {
  FZoomState = zsNormal;
  if (Button == mbRight) {
    RefreshCrossHairs();  // the figure goes
    return;
  }
  if (Button != mbLeft || WindOldCornerX == WindAnchorX || WindOldCornerY == WindAnchorY) return;
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  for (Integer l = 1; l <= kNumLayers; ++l) {
    if (!GetMAffLayer(l)) continue;
    Double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    M2R(l, WindAnchorX, WindAnchorY, x1, y1);
    M2R(l, WindOldCornerX, WindOldCornerY, x2, y2);
    if (RcMouseAction != maRubberBand) {
      InAxisDirection(x1, x2, FScalePropsX[l]->RangeLow(), FScalePropsX[l]->RangeHigh());
      InAxisDirection(y1, y2, FScalePropsY[l]->RangeLow(), FScalePropsY[l]->RangeHigh());
    }
    // The ordinary gesture runs from top left to bottom right; a zoom window drawn the other
    // way along an axis (right to left, bottom to top) turns that axis round.
    if (RcMouseAction == maZoomWind) {
      if (WindOldCornerX < WindAnchorX) std::swap(x1, x2);
      if (WindOldCornerY < WindAnchorY) std::swap(y1, y2);
    }
    if (RcMouseAction == maRubberBand)
      DoRubberBandEvent(l, x1, y1, x2, y2);
    else if (RcMouseAction == maSelectRect)
      DoSelectRectEvent(l, x1, y1, x2, y2);
    else
      ForceRange(l, x1, y1, x2, y2, true, false);
  }
  DoZoomPanEvent();
  SetSuppressPaint(saved);
  if (!saved && RcMouseAction != maZoomWind && RcMouseAction != maZoomWindPos) RefreshCrossHairs();
}

void TCustomZOdoza::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FWasDblClk) {
    FWasDblClk = false;
    return;
  }
  FLButtonWasDown = FAxisDragOn = FActDragOn = false;
  if (FMouseBoxState == msRectDraw) {
    if (Button == mbRight) {
      FMouseBoxState = msNormal;
    } else {
      MouseBoxX2 = X;
      MouseBoxY2 = Y;
      FMouseBoxState = msFinished;
    }
    RefreshCrossHairs();
  }
  if (RcMouseAction == maDrawMTrace && FNumMTrace > 0) FMTrace[FNumMTrace - 1].Flag |= 1;
  if (IsWindowMode(RcMouseAction) && FZoomState == zsDrawWin) EndWindow(Button);
  if (IsPanMode(RcMouseAction) || RcMouseAction == maZoomDrag) ZoomStateOnStack();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomZOdoza::DblClick() {
  FWasDblClk = true;
  const Integer s = DetectScale(LastMouseX, LastMouseY);
  if (s != 0) {
    TScaleProps* p = s > 0 ? static_cast<TScaleProps*>(FScalePropsY[s].get())
                           : static_cast<TScaleProps*>(FScalePropsX[-s].get());
    if (p->MouseAction() == maPan)
      p->SetMouseAction(maZoom);
    else if (p->MouseAction() == maZoom)
      p->SetMouseAction(maPan);
  }
  TCustomControl::DblClick();
}

// ---- the modal mouse box -----------------------------------------------------------------------
bool TCustomZOdoza::MouseBox(Double& xLo, Double& yLo, Double& xHi, Double& yHi) {
  // The events handled while waiting may hide or destroy the chart; once destroyed, nothing of
  // it may be touched any more.
  const std::weak_ptr<int> alive = FLifeToken;
  const bool wasShowing = Showing();
  FMouseBoxState = msFirstCorner;
  while (FMouseBoxState != msFinished && FMouseBoxState != msNormal) {
    if (!Visible() || (wasShowing && !Showing()) || Application == nullptr ||
        !Application->HandleMessage()) {
      FMouseBoxState = msNormal;
      break;
    }
    if (alive.expired()) return false;
  }
  const bool done = FMouseBoxState == msFinished;
  FMouseBoxState = msNormal;
  if (!done) return false;
  Double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  M2R(FActiveLayer, MouseBoxX1, MouseBoxY1, x1, y1);
  M2R(FActiveLayer, MouseBoxX2, MouseBoxY2, x2, y2);
  xLo = std::min(x1, x2);
  xHi = std::max(x1, x2);
  yLo = std::min(y1, y2);
  yHi = std::max(y1, y2);
  return true;
}

void TCustomZOdoza::MouseBoxAbort() {
  FMouseBoxState = msNormal;
  FZoomState = zsNormal;
}
