// A canvas device on an open QPainter (print jobs, PDF files): each canvas call becomes one
// vector figure. Strokes run through the centres of the pixels the bitmap canvas would paint
// (+0.5), fills cover whole units, so a page looks like the screen picture scaled up. Pens of
// width 0 or 1 are one logical unit wide and scale with the mapping, as on a printer the
// classic toolkit drove; pen modes other than copy are drawn as copy (a page cannot combine
// with what is under it).

#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

#include <cmath>
#include <numbers>

#include "CanvasDevice.h"
#include "GraphicsQt.h"

namespace {

QPen StrokePen(const TPen& p) {
  if (p.Style() == psClear) return QPen(Qt::NoPen);
  QPen pen(ToQColor(p.Color()));
  pen.setCosmetic(false);
  pen.setWidthF(std::max(1, p.Width()));
  if (p.Width() <= 1) {
    pen.setCapStyle(Qt::FlatCap);
    switch (p.Style()) {
      case psDash: pen.setDashPattern({18, 6}); break;
      case psDot:
      case psAlternate: pen.setDashPattern({3, 3}); break;
      case psDashDot: pen.setDashPattern({9, 6, 3, 6}); break;
      case psDashDotDot: pen.setDashPattern({9, 3, 3, 3, 3, 3}); break;
      default: break;
    }
  } else {
    pen.setCapStyle(Qt::RoundCap);
  }
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

QBrush FillBrush(const TBrush& b) {
  switch (b.Style()) {
    case bsClear: return QBrush(Qt::NoBrush);
    case bsHorizontal: return QBrush(ToQColor(b.Color()), Qt::HorPattern);
    case bsVertical: return QBrush(ToQColor(b.Color()), Qt::VerPattern);
    case bsFDiagonal: return QBrush(ToQColor(b.Color()), Qt::FDiagPattern);
    case bsBDiagonal: return QBrush(ToQColor(b.Color()), Qt::BDiagPattern);
    case bsCross: return QBrush(ToQColor(b.Color()), Qt::CrossPattern);
    case bsDiagCross: return QBrush(ToQColor(b.Color()), Qt::DiagCrossPattern);
    default: return QBrush(ToQColor(b.Color()));
  }
}

QPointF Centre(TPoint p) { return QPointF(p.X + 0.5, p.Y + 0.5); }

// The angle of the ray from the box centre through (x, y), measured as the box's ellipse
// sees it, in Qt's 1/16 degrees (counter-clockwise from 3 o'clock).
int ArcAngle16(const TRect& B, TPoint P) {
  const double cx = (B.Left + B.Right) / 2.0, cy = (B.Top + B.Bottom) / 2.0;
  const double rx = std::max((B.Right - B.Left) / 2.0, 0.5);
  const double ry = std::max((B.Bottom - B.Top) / 2.0, 0.5);
  const double a = std::atan2(-(P.Y - cy) / ry, (P.X - cx) / rx);
  return static_cast<int>(std::lround(a * 180 / std::numbers::pi * 16));
}

class TPainterDevice final : public TCanvasDevice {
public:
  TPainterDevice(QPainter* P, int DpiX, int DpiY) : FP(P), FDpiX(DpiX), FDpiY(DpiY) {
    FP->setRenderHint(QPainter::Antialiasing, false);
    FP->setRenderHint(QPainter::TextAntialiasing, true);
  }
  int PixelsPerInchX() const override { return FDpiX; }
  int PixelsPerInchY() const override { return FDpiY; }

  void SetMapping(const TCanvasMapping& M) override {
    double sx = 1, sy = 1;
    MappingScale(M, sx, sy);
    FP->setWorldTransform(QTransform(sx, 0, 0, sy, M.ViewportOrg.X, M.ViewportOrg.Y));
  }

  void SetClip(const TRect* R) override {
    if (R == nullptr) {
      FP->setClipping(false);
      return;
    }
    // Set under the identity, the clip stays in device units whatever the mapping does.
    const QTransform t = FP->worldTransform();
    FP->resetTransform();
    FP->setClipRect(QRect(R->Left, R->Top, R->Right - R->Left, R->Bottom - R->Top));
    FP->setWorldTransform(t);
  }

  void Poly(const TCanvas& C, const TPoint* P, int N, bool Closed) override {
    QPolygonF poly;
    poly.reserve(N);
    for (int i = 0; i < N; ++i) poly << Centre(P[i]);
    FP->setPen(StrokePen(*C.Pen()));
    if (Closed) {
      FP->setBrush(N >= 3 ? FillBrush(*C.Brush()) : QBrush(Qt::NoBrush));
      FP->drawPolygon(poly, Qt::OddEvenFill);
    } else {
      FP->setBrush(Qt::NoBrush);
      FP->drawPolyline(poly);
    }
  }

  void Shape(const TCanvas& C, TShape Kind, const TRect& B, TSize Corner) override {
    FP->setPen(StrokePen(*C.Pen()));
    FP->setBrush(FillBrush(*C.Brush()));
    const bool stroked = C.Pen()->Style() != psClear;
    // A stroke runs through the outline pixels' centres; without one the brush covers the
    // box less its right and bottom unit, as on a bitmap.
    const QRectF r =
        stroked ? QRectF(B.Left + 0.5, B.Top + 0.5, B.Right - B.Left - 1, B.Bottom - B.Top - 1)
                : QRectF(B.Left, B.Top, B.Right - B.Left - 1, B.Bottom - B.Top - 1);
    switch (Kind) {
      case TShape::Rectangle: FP->drawRect(r); break;
      case TShape::Ellipse: FP->drawEllipse(r); break;
      case TShape::RoundRect:
        FP->drawRoundedRect(r, Corner.cx / 2.0, Corner.cy / 2.0, Qt::AbsoluteSize);
        break;
    }
  }

  void Arc(const TCanvas& C, const TRect& B, TPoint Start, TPoint End) override {
    const int a0 = ArcAngle16(B, Start), a1 = ArcAngle16(B, End);
    int span = (a1 - a0) % (360 * 16);
    if (span <= 0) span += 360 * 16;
    FP->setPen(StrokePen(*C.Pen()));
    FP->setBrush(Qt::NoBrush);
    FP->drawArc(QRectF(B.Left + 0.5, B.Top + 0.5, B.Right - B.Left - 1, B.Bottom - B.Top - 1), a0,
                span);
  }

  void Fill(const TCanvas& C, const TRect& R) override {
    FP->fillRect(QRectF(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top), FillBrush(*C.Brush()));
  }

  void Pixels(const TPoint* P, int N, TColor Color) override {
    const QColor c = ToQColor(Color);
    for (int i = 0; i < N; ++i) FP->fillRect(QRectF(P[i].X, P[i].Y, 1, 1), c);
  }

  // The text as the canvas draws it on the screen: the same glyphs of its face and fallback
  // face at the same places, scaled by the mapping.
  void Text(const TCanvas& C, int X, int Y, const String& S, const TRect* Clip) override {
    FP->save();
    if (Clip != nullptr)
      FP->setClipRect(
          QRect(Clip->Left, Clip->Top, Clip->Right - Clip->Left, Clip->Bottom - Clip->Top),
          Qt::IntersectClip);
    if (C.Brush()->Style() != bsClear) {
      const TSize extent = C.TextExtent(S);
      const QRect cell = Clip != nullptr ? QRect(Clip->Left, Clip->Top, Clip->Right - Clip->Left,
                                                 Clip->Bottom - Clip->Top)
                                         : QRect(X, Y, extent.cx, extent.cy);
      FP->fillRect(cell, ToQColor(C.Brush()->Color()));
    }
    FP->setPen(ToQColor(C.Font()->Color()));
    DrawCanvasText(*FP, C, X, Y, S);
    FP->restore();
  }

  void Image(const QImage& Img, const TRect& S, const TRect& D) override {
    FP->drawImage(QRectF(D.Left, D.Top, D.Right - D.Left, D.Bottom - D.Top), Img,
                  QRectF(S.Left, S.Top, S.Right - S.Left, S.Bottom - S.Top));
  }

private:
  QPainter* FP;
  int FDpiX, FDpiY;
};

}  // namespace

std::unique_ptr<TCanvasDevice> NewPainterDevice(QPainter* Painter, int DpiX, int DpiY) {
  return std::make_unique<TPainterDevice>(Painter, DpiX, DpiY);
}
