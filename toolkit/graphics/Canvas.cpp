// The canvas: pixel-exact drawing onto a QImage.
//
// Thin lines go through our own rasteriser, because the end-pixel rule and the pen modes need
// control of every pixel; fills, curves, wide pens and text go through QPainter with
// antialiasing off. A figure drawn in a pen mode other than copy is first drawn into a
// scratch mask and then combined with the surface, so that every pixel it covers is combined
// exactly once (an XOR figure drawn twice restores the picture).

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygon>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <numbers>
#include <numeric>
#include <memory>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "CanvasDevice.h"
#include "GraphicsPrivate.h"

using gfx::Rgb;
using gfx::Surface;

namespace {
struct TShapedLine;

// A canvas font's face as TextRuns shapes and draws it: without hinting or kerning.
QFont OutlineFont(QFont Font) {
  Font.setHintingPreference(QFont::PreferNoHinting);
  Font.setKerning(false);
  return Font;
}
}  // namespace

struct TCanvas::Impl {
  QImage* Image = nullptr;
  // Makes the pixels of Image before they are first drawn on or read (a bitmap allocates
  // them only then).
  std::function<void()> MakePixels;
  TCanvasDevice* Device = nullptr;  // when set, drawing goes there instead of to Image
  TCanvasMapping Mapping;
  TRect DeviceClip;
  TPen Pen;
  TBrush Brush;
  TFont Font;
  TPoint PenPos;
  TCopyMode CopyMode = SRCCOPY;
  bool HasClip = false;
  QRect Clip;

  // The Qt fonts of the last text call, kept while the canvas font draws the same: labels are
  // measured and written by the hundred per repaint.
  struct FontCache {
    String Name;
    int Height = 0;
    Byte Style = 0;
    QFont Font, Fallback;
    std::optional<QFontMetrics> Metrics, FallbackMetrics;
    // The two faces as shaped and drawn by TextRuns.
    QFont Outline, FallbackOutline;
    QRawFont Raw, FallbackRaw;
    // Texts already shaped in these faces.
    mutable std::unordered_map<String, std::shared_ptr<const TShapedLine>> Lines;
  };
  mutable FontCache Cached;
  const FontCache& TextFont() const {
    FontCache& c = Cached;
    if (!c.Metrics || c.Name != Font.Name() || c.Height != Font.Height() ||
        c.Style != Font.Style().Bits()) {
      c.Name = Font.Name();
      c.Height = Font.Height();
      c.Style = Font.Style().Bits();
      c.Font = ToQFont(Font);
      c.Metrics.emplace(c.Font);
      c.Fallback = FallbackQFont(Font);
      c.FallbackMetrics.emplace(c.Fallback);
      c.Outline = OutlineFont(c.Font);
      c.FallbackOutline = OutlineFont(c.Fallback);
      c.Raw = QRawFont::fromFont(c.Outline);
      c.FallbackRaw = QRawFont::fromFont(c.FallbackOutline);
      c.Lines.clear();
    }
    return c;
  }

  bool Drawable() const {
    if (MakePixels) MakePixels();
    return Image && !Image->isNull() && Image->width() > 0 && Image->height() > 0;
  }
  // The pixels drawing may touch.
  QRect Area() const {
    if (!Drawable()) return QRect();
    QRect r = Image->rect();
    return HasClip ? r.intersected(Clip) : r;
  }
};

namespace {

std::uint32_t Rop2(TPenMode m, std::uint32_t d, std::uint32_t p) {
  std::uint32_t r;
  switch (m) {
    case pmBlack: r = 0; break;
    case pmWhite: r = 0xFFFFFF; break;
    case pmNop: r = d; break;
    case pmNot: r = ~d; break;
    case pmCopy: r = p; break;
    case pmNotCopy: r = ~p; break;
    case pmMergePenNot: r = p | ~d; break;
    case pmMaskPenNot: r = p & ~d; break;
    case pmMergeNotPen: r = ~p | d; break;
    case pmMaskNotPen: r = ~p & d; break;
    case pmMerge: r = p | d; break;
    case pmNotMerge: r = ~(p | d); break;
    case pmMask: r = p & d; break;
    case pmNotMask: r = ~(p & d); break;
    case pmXor: r = p ^ d; break;
    case pmNotXor: r = ~(p ^ d); break;
    default: r = p; break;
  }
  return r & 0xFFFFFFu;
}

// Dash patterns of thin pens, as alternating on/off runs in pixels.
struct Pattern {
  const int* Runs = nullptr;
  int Count = 0;
  int Period = 0;
  bool On(long long step) const {
    if (!Runs) return true;
    long long k = step % Period;
    for (int i = 0; i < Count; ++i) {
      if (k < Runs[i]) return (i % 2) == 0;
      k -= Runs[i];
    }
    return true;
  }
};
constexpr int kDash[] = {18, 6};
constexpr int kDot[] = {3, 3};
constexpr int kDashDot[] = {9, 6, 3, 6};
constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
constexpr int kAlternate[] = {1, 1};

template <std::size_t N>
Pattern MakePattern(const int (&runs)[N]) {
  int p = 0;
  for (int r : runs) p += r;
  return Pattern{runs, static_cast<int>(N), p};
}

Pattern PatternOf(TPenStyle s) {
  switch (s) {
    case psDash: return MakePattern(kDash);
    case psDot: return MakePattern(kDot);
    case psDashDot: return MakePattern(kDashDot);
    case psDashDotDot: return MakePattern(kDashDotDot);
    case psAlternate: return MakePattern(kAlternate);
    default: return Pattern{};
  }
}

bool ThinPen(const TPen& p) { return p.Width() <= 1; }

// a * b / c for non-negative distances of up to 33 bits: in 64 bits when the product fits
// (the common case; a 128-bit division costs as much as drawing a short segment).
constexpr long long kSmallFactor = 1LL << 30;
inline long long MulDiv(long long a, long long b, long long c) {
  if (a < kSmallFactor && b < kSmallFactor) return a * b / c;
  return static_cast<long long>(__int128(a) * b / c);
}

// Rasterises the segment a..b without its end point, calling plot(x, y) for every pixel
// inside area whose pattern step is on. Steps are counted from *step, which advances by the
// segment's length, so a dash pattern runs on along a polyline. The minor coordinate at
// step k along the major axis is round-half-up(k * dminor / dmajor), computed incrementally
// from the first step that can reach the area, so far-off end points cost nothing.
template <class Plot>
void ThinSegment(TPoint a, TPoint b, const QRect& area, const Pattern& pat, long long* step,
                 Plot&& plot) {
  long long dx = static_cast<long long>(b.X) - a.X, dy = static_cast<long long>(b.Y) - a.Y;
  long long adx = std::llabs(dx), ady = std::llabs(dy);
  long long n = std::max(adx, ady);  // pixels painted: steps 0 .. n-1
  long long base = *step;
  *step += n;
  if (n == 0 || area.isEmpty()) return;
  bool xMajor = adx >= ady;
  long long D = n, dm = xMajor ? ady : adx;
  int sMaj = (xMajor ? dx : dy) > 0 ? 1 : -1;
  int sMin = (xMajor ? dy : dx) > 0 ? 1 : -1;
  long long maj0 = xMajor ? a.X : a.Y, min0 = xMajor ? a.Y : a.X;
  long long lo = xMajor ? area.left() : area.top(), hi = xMajor ? area.right() : area.bottom();
  long long mlo = xMajor ? area.top() : area.left(), mhi = xMajor ? area.bottom() : area.right();
  // Steps whose major coordinate lies inside the area.
  long long k0, k1;
  if (sMaj > 0) {
    k0 = lo - maj0;
    k1 = hi - maj0;
  } else {
    k0 = maj0 - hi;
    k1 = maj0 - lo;
  }
  k0 = std::max(k0, 0LL);
  k1 = std::min(k1, n - 1);
  if (k0 > k1) return;
  // Also bound by the minor axis where the line is not parallel to it (with a step of slack).
  if (dm > 0) {
    long long mFirst = sMin > 0 ? mlo - min0 : min0 - mhi;  // minor distance to enter
    long long mLast = sMin > 0 ? mhi - min0 : min0 - mlo;   // minor distance to leave
    if (mLast < 0) return;
    if (mFirst > 0) k0 = std::max(k0, MulDiv(2 * mFirst - 1, D, 2 * dm) - 1);
    k1 = std::min<long long>(k1, MulDiv(2 * mLast + 1, D, 2 * dm) + 1);
    k0 = std::max(k0, 0LL);
    k1 = std::min(k1, n - 1);
    if (k0 > k1) return;
  }
  if (dm == 0) {
    // Parallel to an axis (most segments of a dense plot): no minor steps to follow.
    if (min0 < mlo || min0 > mhi) return;
    const int mn = static_cast<int>(min0);
    for (long long k = k0; k <= k1; ++k) {
      if (pat.Runs != nullptr && !pat.On(base + k)) continue;
      const int maj = static_cast<int>(maj0 + sMaj * k);
      if (xMajor)
        plot(maj, mn);
      else
        plot(mn, maj);
    }
    return;
  }
  long long twoD = 2 * D;
  long long off, rem;
  if (k0 < kSmallFactor && dm < kSmallFactor && D < kSmallFactor) {
    const long long num = 2 * k0 * dm + D;
    off = num / twoD;
    rem = num % twoD;
  } else {
    const __int128 num = __int128(2) * k0 * dm + D;
    off = static_cast<long long>(num / twoD);
    rem = static_cast<long long>(num % twoD);
  }
  for (long long k = k0; k <= k1; ++k) {
    long long maj = maj0 + sMaj * k, mn = min0 + sMin * off;
    if (mn >= mlo && mn <= mhi && pat.On(base + k)) {
      if (xMajor)
        plot(static_cast<int>(maj), static_cast<int>(mn));
      else
        plot(static_cast<int>(mn), static_cast<int>(maj));
    }
    rem += 2 * dm;
    if (rem >= twoD) {
      rem -= twoD;
      ++off;
    }
  }
}

QPolygon ToQPolygon(const TPoint* pts, int n) {
  QPolygon poly(n);
  for (int i = 0; i < n; ++i) poly[i] = QPoint(pts[i].X, pts[i].Y);
  return poly;
}

Qt::BrushStyle QtBrushStyle(TBrushStyle s) {
  switch (s) {
    case bsSolid: return Qt::SolidPattern;
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
  }
  return Qt::SolidPattern;
}

QBrush QtBrush(const TBrush& b) {
  if (b.Style() == bsClear) return QBrush(Qt::NoBrush);
  return QBrush(ToQColor(b.Color()), QtBrushStyle(b.Style()));
}

// The pen QPainter draws curves and wide lines with.
QPen QtPen(const TPen& p, Qt::PenJoinStyle join = Qt::RoundJoin) {
  if (p.Style() == psClear) return QPen(Qt::NoPen);
  QPen pen(ToQColor(p.Color()));
  if (p.Width() <= 1) {
    pen.setWidth(1);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    Pattern pat = PatternOf(p.Style());
    if (pat.Runs) {
      QList<qreal> dashes;
      for (int i = 0; i < pat.Count; ++i) dashes << pat.Runs[i];
      pen.setDashPattern(dashes);
    }
  } else {
    // Wide pens draw solid whatever the style, with round ends.
    pen.setWidth(p.Width());
    pen.setCapStyle(Qt::RoundCap);
  }
  pen.setJoinStyle(join);
  return pen;
}

void PrepareImagePainter(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, false);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

}  // namespace

// ---- helpers with access to the canvas state ----------------------------------------------
namespace {

// Runs draw(painter) for a figure whose pixels lie within bounds: straight onto the surface
// in copy mode, else through a mask combined with the pen mode.
void PaintFigure(TCanvas::Impl& d, const QRect& bounds, TPenMode mode,
                 const std::function<void(QPainter&)>& draw) {
  QRect area = d.Area();
  QRect box = bounds.intersected(area);
  if (box.isEmpty() || mode == pmNop) return;
  if (mode == pmCopy) {
    QPainter p(d.Image);
    PrepareImagePainter(p);
    p.setClipRect(area);
    draw(p);
    return;
  }
  QImage mask(box.size(), QImage::Format_ARGB32);
  mask.fill(0);
  {
    QPainter p(&mask);
    PrepareImagePainter(p);
    p.translate(-box.topLeft());
    draw(p);
  }
  Surface s(*d.Image);
  for (int y = 0; y < box.height(); ++y) {
    const QRgb* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
    for (int x = 0; x < box.width(); ++x) {
      if (qAlpha(m[x]) < 128) continue;
      int px = box.left() + x, py = box.top() + y;
      s.Write(px, py, Rop2(mode, s.Read(px, py), m[x] & 0xFFFFFFu));
    }
  }
}

// Fills the pixels of r (inclusive rectangle) with the brush, combined by the pen mode.
void BrushFill(TCanvas::Impl& d, const QRect& r, TPenMode mode) {
  if (d.Brush.Style() == bsClear || r.isEmpty()) return;
  QRect box = r.intersected(d.Area());
  if (box.isEmpty()) return;
  if (d.Brush.Style() == bsSolid && mode != pmCopy) {
    Surface s(*d.Image);
    std::uint32_t c = Rgb(d.Brush.Color());
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x) s.Write(x, y, Rop2(mode, s.Read(x, y), c));
    return;
  }
  PaintFigure(d, box, mode, [&](QPainter& p) { p.fillRect(r, QtBrush(d.Brush)); });
}

// Draws the thin-pen path through pts (closed: back to the first point) onto the surface.
void ThinPath(TCanvas::Impl& d, const TPoint* pts, int n, bool closed) {
  if (d.Pen.Style() == psClear || n < 2) return;
  QRect area = d.Area();
  if (area.isEmpty()) return;
  Pattern pat = PatternOf(d.Pen.Style());
  long long step = 0;
  std::uint32_t c = Rgb(d.Pen.Color());
  TPenMode mode = d.Pen.Mode();
  const QImage::Format fmt = d.Image->format();
  if (mode == pmCopy && pat.Runs == nullptr &&
      (fmt == QImage::Format_RGB32 || fmt == QImage::Format_ARGB32 ||
       fmt == QImage::Format_ARGB32_Premultiplied)) {
    // The common case of a solid copying pen on a 32-bit image: straight word writes.
    auto* bits = reinterpret_cast<std::uint32_t*>(d.Image->bits());
    const qsizetype stride = d.Image->bytesPerLine() / 4;
    const std::uint32_t word = 0xFF000000u | c;
    auto put = [&](int x, int y) { bits[static_cast<qsizetype>(y) * stride + x] = word; };
    for (int i = 0; i + 1 < n; ++i) ThinSegment(pts[i], pts[i + 1], area, pat, &step, put);
    if (closed) ThinSegment(pts[n - 1], pts[0], area, pat, &step, put);
    return;
  }
  Surface s(*d.Image);
  auto plot = [&](int x, int y) {
    s.Write(x, y, mode == pmCopy ? c : Rop2(mode, s.Read(x, y), c));
  };
  for (int i = 0; i + 1 < n; ++i) ThinSegment(pts[i], pts[i + 1], area, pat, &step, plot);
  if (closed) ThinSegment(pts[n - 1], pts[0], area, pat, &step, plot);
}

// The thin-pen path through pts drawn in the pen colour onto the mask a PaintFigure callback
// paints on (its painter is translated to the mask's origin).
void ThinPathOnMask(QPainter& p, const TPen& pen, const TPoint* pts, int n, bool closed) {
  if (pen.Style() == psClear || n < 2) return;
  QImage* dev = static_cast<QImage*>(p.device());
  Surface s(*dev);
  QPoint off = p.transform().map(QPoint(0, 0));
  QRect area(0, 0, dev->width(), dev->height());
  std::uint32_t c = Rgb(pen.Color());
  Pattern pat = PatternOf(pen.Style());
  long long step = 0;
  auto plot = [&](int x, int y) { s.Write(x, y, c); };
  auto at = [&](int i) { return TPoint{pts[i].X + off.x(), pts[i].Y + off.y()}; };
  for (int i = 0; i + 1 < n; ++i) ThinSegment(at(i), at(i + 1), area, pat, &step, plot);
  if (closed) ThinSegment(at(n - 1), at(0), area, pat, &step, plot);
}

QRect BoundsOf(const TPoint* pts, int n, int margin) {
  long long x0 = pts[0].X, x1 = pts[0].X, y0 = pts[0].Y, y1 = pts[0].Y;
  for (int i = 1; i < n; ++i) {
    x0 = std::min<long long>(x0, pts[i].X);
    x1 = std::max<long long>(x1, pts[i].X);
    y0 = std::min<long long>(y0, pts[i].Y);
    y1 = std::max<long long>(y1, pts[i].Y);
  }
  auto clamp = [](long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN / 2, INT_MAX / 2));
  };
  return QRect(QPoint(clamp(x0 - margin), clamp(y0 - margin)),
               QPoint(clamp(x1 + margin), clamp(y1 + margin)));
}

// Normalises a box given by two corners; false when it has no extent.
bool NormBox(int& x1, int& y1, int& x2, int& y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  return x2 > x1 && y2 > y1;
}

}  // namespace

// ---- TCanvas -----------------------------------------------------------------------------
// OnChange fires for drawing only, not for pen, brush or font changes: a control repaints
// its window from it.
TCanvas::TCanvas() : d(std::make_unique<Impl>()) {}

TCanvas::~TCanvas() = default;

TPen* TCanvas::Pen() const { return &d->Pen; }
TBrush* TCanvas::Brush() const { return &d->Brush; }
TFont* TCanvas::Font() const { return &d->Font; }

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() const { return d->PenPos; }
void TCanvas::SetPenPos(TPoint Value) { d->PenPos = Value; }
void TCanvas::MoveTo(int X, int Y) { d->PenPos = TPoint{X, Y}; }

void TCanvas::LineTo(int X, int Y) {
  TPoint pts[2] = {d->PenPos, TPoint{X, Y}};
  d->PenPos = pts[1];
  Polyline(pts, 2);
}

void TCanvas::Polyline(const TPoint* Points, int Count) {
  if (d->Device && Count >= 2) {
    d->Device->Poly(*this, Points, Count, false);
    Changed();
    return;
  }
  if (!d->Drawable() || Count < 2 || d->Pen.Style() == psClear) return;
  if (ThinPen(d->Pen)) {
    ThinPath(*d, Points, Count, false);
  } else {
    QPolygon poly = ToQPolygon(Points, Count);
    QPen pen = QtPen(d->Pen);
    PaintFigure(*d, BoundsOf(Points, Count, d->Pen.Width() + 2), d->Pen.Mode(), [&](QPainter& p) {
      p.setPen(pen);
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(poly);
    });
  }
  Changed();
}

void TCanvas::Polygon(const TPoint* Points, int Count) {
  if (d->Device && Count >= 2) {
    d->Device->Poly(*this, Points, Count, true);
    Changed();
    return;
  }
  if (!d->Drawable() || Count < 2) return;
  QPolygon poly = ToQPolygon(Points, Count);
  TPenMode mode = d->Pen.Mode();
  bool thin = ThinPen(d->Pen);
  bool fill = d->Brush.Style() != bsClear && Count >= 3;
  QRect bounds = BoundsOf(Points, Count, d->Pen.Width() + 2);
  if (thin) {
    // Fill first, the outline over it; in other pen modes both go through one mask so that
    // the pixels they share are combined once.
    if (mode == pmCopy) {
      if (fill)
        PaintFigure(*d, bounds, pmCopy, [&](QPainter& p) {
          p.setPen(Qt::NoPen);
          p.setBrush(QtBrush(d->Brush));
          p.drawPolygon(poly, Qt::OddEvenFill);
        });
      ThinPath(*d, Points, Count, true);
    } else {
      PaintFigure(*d, bounds, mode, [&](QPainter& p) {
        if (fill) {
          p.setPen(Qt::NoPen);
          p.setBrush(QtBrush(d->Brush));
          p.drawPolygon(poly, Qt::OddEvenFill);
        }
        ThinPathOnMask(p, d->Pen, Points, Count, true);  // the same pixels as in copy mode
      });
    }
  } else {
    QPen pen = QtPen(d->Pen);
    PaintFigure(*d, bounds, mode, [&](QPainter& p) {
      p.setPen(pen);
      p.setBrush(fill ? QtBrush(d->Brush) : QBrush(Qt::NoBrush));
      p.drawPolygon(poly, Qt::OddEvenFill);
    });
  }
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  if (d->Device) {
    if (NormBox(X1, Y1, X2, Y2))
      d->Device->Shape(*this, TCanvasDevice::TShape::Rectangle, TRect{X1, Y1, X2, Y2}, TSize{});
    Changed();
    return;
  }
  if (!d->Drawable() || !NormBox(X1, Y1, X2, Y2)) return;
  TPenMode mode = d->Pen.Mode();
  if (d->Pen.Style() == psClear) {
    BrushFill(*d, QRect(QPoint(X1, Y1), QPoint(X2 - 2, Y2 - 2)), mode);
  } else if (ThinPen(d->Pen)) {
    BrushFill(*d, QRect(QPoint(X1 + 1, Y1 + 1), QPoint(X2 - 2, Y2 - 2)), mode);
    if (X2 - X1 == 1 || Y2 - Y1 == 1) {
      // One pixel across: a single line, so that no pixel is painted twice.
      TPoint pts[2] = {{X1, Y1}, X2 - X1 == 1 ? TPoint{X1, Y2} : TPoint{X2, Y1}};
      ThinPath(*d, pts, 2, false);
    } else {
      TPoint pts[4] = {{X1, Y1}, {X2 - 1, Y1}, {X2 - 1, Y2 - 1}, {X1, Y2 - 1}};
      ThinPath(*d, pts, 4, true);
    }
  } else {
    int w = d->Pen.Width();
    QRect box(QPoint(X1, Y1), QPoint(X2 - 1, Y2 - 1));
    if (d->Pen.Style() == psInsideFrame) box.adjust(w / 2, w / 2, -((w - 1) / 2), -((w - 1) / 2));
    QPen pen = QtPen(d->Pen, Qt::MiterJoin);
    QBrush brush = QtBrush(d->Brush);
    PaintFigure(*d, QRect(QPoint(X1 - w, Y1 - w), QPoint(X2 + w, Y2 + w)), mode, [&](QPainter& p) {
      p.setPen(pen);
      p.setBrush(brush);
      p.drawRect(box.adjusted(0, 0, -1, -1));
    });
  }
  Changed();
}

namespace {

// Draws a curve figure with QPainter in the box x1..x2-1: wide pens only, whose pixels no
// caller probes.
void CurveFigure(TCanvas::Impl& d, int X1, int Y1, int X2, int Y2, bool filled,
                 const std::function<void(QPainter&, const QRect&)>& shape) {
  int w = std::max(1, d.Pen.Width());
  QRect box(QPoint(X1, Y1), QPoint(X2 - 1, Y2 - 1));
  if (d.Pen.Style() == psInsideFrame) box.adjust(w / 2, w / 2, -((w - 1) / 2), -((w - 1) / 2));
  QPen pen = QtPen(d.Pen);
  QBrush brush = filled ? QtBrush(d.Brush) : QBrush(Qt::NoBrush);
  PaintFigure(d, QRect(QPoint(X1 - w, Y1 - w), QPoint(X2 + w, Y2 + w)), d.Pen.Mode(),
              [&](QPainter& p) {
                p.setPen(pen);
                p.setBrush(brush);
                shape(p, box.adjusted(0, 0, -1, -1));
              });
}

// Rows of a convex shape in a w x h box: the pixels whose centres lie inside an ellipse of
// ew x eh pixels, split at its middle and pulled apart to the box's corners (ew = w and
// eh = h: an ellipse; ew = 0: a rectangle; else a rounded rectangle). Row y covers
// Inset(y) .. w-1-Inset(y), the shape being symmetric. Rows are worked out when asked for, so
// a shape reaching far beyond the surface costs only the rows drawn.
class TShapeRows {
public:
  TShapeRows(int w, int h, int ew, int eh) : w(w), h(h), ew(ew), eh(eh) {}
  int Inset(int y) const {
    if (ew <= 0 || eh <= 0) return 0;
    int ey;
    if (y < eh / 2)
      ey = y;
    else if (y >= h - eh / 2)
      ey = y - (h - eh);
    else
      return 0;
    // The widest rows reach the box's sides even for very flat shapes.
    if (ey == (eh - 1) / 2 || ey == eh / 2) return 0;
    double dy = (ey + 0.5) - eh / 2.0;
    double t = 1.0 - (dy * dy) / ((eh / 2.0) * (eh / 2.0));
    double half = ew / 2.0 * std::sqrt(std::max(t, 0.0));
    int l = static_cast<int>(std::ceil(ew / 2.0 - half - 0.5));
    if (l > (ew - 1) / 2) l = (ew - 1) / 2;  // at least the middle pixel(s)
    return std::max(l, 0);
  }
  int w, h;

private:
  int ew, eh;
};

thread_local std::uint64_t CurveWork = 0;  // see gfx::CurveWorkDone

// Splits the rows into outline (connected, one pixel thick) and interior pixels, box-relative.
// Only rows and pixels inside Shown (box-relative) are visited, so the work follows the pixels
// drawn; with WholeOutline every outline pixel is reported (a dash pattern counts them all),
// which costs the outline's length. Inside pixels are reported only with WithInside.
template <class Outline, class Inside>
void ShapePixels(const TShapeRows& rows, const QRect& Shown, bool WholeOutline, bool WithInside,
                 Outline&& outline, Inside&& inside) {
  const int w = rows.w, h = rows.h;
  const int y0 = WholeOutline ? 0 : std::max(0, Shown.top());
  const int y1 = WholeOutline ? h - 1 : std::min(h - 1, Shown.bottom());
  for (int y = y0; y <= y1; ++y) {
    ++CurveWork;
    const bool rowShown = y >= Shown.top() && y <= Shown.bottom();
    // Pixels a .. b of the row: those shown, or all of them when whole.
    auto run = [&](int a, int b, auto& f, bool whole) {
      if (!whole) {
        if (!rowShown) return;
        a = std::max(a, Shown.left());
        b = std::min(b, Shown.right());
      }
      if (b >= a) CurveWork += static_cast<std::uint64_t>(b - a + 1);
      for (int x = a; x <= b; ++x) f(x, y);
    };
    int l = rows.Inset(y), r = w - 1 - l;
    int leftEnd = l, rightStart = r;
    for (int n : {y - 1, y + 1}) {
      if (n < 0 || n >= h) {
        leftEnd = r;
        rightStart = l;
        break;
      }
      int nl = rows.Inset(n), nr = w - 1 - nl;
      leftEnd = std::max(leftEnd, nl - 1);
      rightStart = std::min(rightStart, nr + 1);
    }
    leftEnd = std::min(leftEnd, r);
    rightStart = std::max(rightStart, l);
    if (leftEnd + 1 >= rightStart) {
      run(l, r, outline, WholeOutline);
      continue;
    }
    run(l, leftEnd, outline, WholeOutline);
    if (WithInside) run(leftEnd + 1, rightStart - 1, inside, false);
    run(rightStart, r, outline, WholeOutline);
  }
}

// Parametric angle (0 .. 2 pi, counter-clockwise on screen) of a point seen from the centre of
// the box, the box scaled to a circle.
double BoxAngle(double x, double y, int X1, int Y1, int X2, int Y2) {
  double cx = (X1 + X2) / 2.0, cy = (Y1 + Y2) / 2.0;
  double rx = std::max((X2 - X1) / 2.0, 0.5), ry = std::max((Y2 - Y1) / 2.0, 0.5);
  double a = std::atan2(-(y - cy) / ry, (x - cx) / rx);
  return a < 0 ? a + 2 * std::numbers::pi : a;
}

// A thin-pen curve: the shape's outline in the pen colour (only the part from angle a0 over
// span when partial), its inside in the brush colour when filled, each pixel combined once
// with the pen mode. A dash pattern runs along the outline counter-clockwise from a0.
// The outline takes the brush colour instead for the pen-less fill.
void ThinCurve(TCanvas::Impl& d, int X1, int Y1, int X2, int Y2, int ew, int eh, bool filled,
               bool partial = false, double a0 = 0, double span = 0, bool brushOnly = false) {
  TShapeRows rows(X2 - X1, Y2 - Y1, ew, eh);
  QRect area = d.Area();
  Surface s(*d.Image);
  TPenMode mode = d.Pen.Mode();
  std::uint32_t bc = Rgb(d.Brush.Color()), pc = brushOnly ? bc : Rgb(d.Pen.Color());
  auto put = [&](int x, int y, std::uint32_t c) {
    if (area.contains(x, y)) s.Write(x, y, mode == pmCopy ? c : Rop2(mode, s.Read(x, y), c));
  };
  bool fill = filled && d.Brush.Style() != bsClear;
  bool hatched = fill && d.Brush.Style() != bsSolid;
  std::vector<TPoint> hatchRows;
  Pattern pat = brushOnly ? Pattern{} : PatternOf(d.Pen.Style());
  bool needOrder = partial || pat.Runs;
  struct Px {
    double a;
    int x, y;
  };
  std::vector<Px> ring;
  auto angleOf = [&](int x, int y) {
    double a = BoxAngle(X1 + x + 0.5, Y1 + y + 0.5, X1, Y1, X2, Y2) - a0;
    return a < 0 ? a + 2 * std::numbers::pi : a;
  };
  ShapePixels(
      rows, area.translated(-X1, -Y1), pat.Runs != nullptr, fill,
      [&](int x, int y) {
        if (needOrder)
          ring.push_back(Px{angleOf(x, y), x, y});
        else
          put(X1 + x, Y1 + y, pc);
      },
      [&](int x, int y) {
        if (hatched)
          hatchRows.push_back(TPoint{X1 + x, Y1 + y});
        else
          put(X1 + x, Y1 + y, bc);
      });
  if (!hatchRows.empty()) {
    // Hatch lines: the brush pattern of a full-surface fill, kept to the inside pixels.
    QRect hb = BoundsOf(hatchRows.data(), static_cast<int>(hatchRows.size()), 0);
    QImage hatch(hb.size(), QImage::Format_ARGB32);
    hatch.fill(0);
    {
      QPainter p(&hatch);
      PrepareImagePainter(p);
      p.setBrushOrigin(-hb.topLeft());  // the pattern's phase as on the surface
      p.fillRect(hatch.rect(), QtBrush(d.Brush));
    }
    for (const TPoint& q : hatchRows) {
      QRgb m = hatch.pixel(q.X - hb.left(), q.Y - hb.top());
      if (qAlpha(m) >= 128) put(q.X, q.Y, m & 0xFFFFFFu);
    }
  }
  if (!needOrder) return;
  std::sort(ring.begin(), ring.end(), [](const Px& a, const Px& b) { return a.a < b.a; });
  long long step = 0;
  for (const Px& q : ring) {
    if (partial && q.a > span + 1e-9) break;
    if (pat.On(step++)) put(X1 + q.x, Y1 + q.y, pc);
  }
}

bool CurvePenIsThin(const TPen& p) { return p.Width() <= 1 || p.Style() == psClear; }

}  // namespace

std::uint64_t gfx::CurveWorkDone() { return CurveWork; }

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  if (d->Device) {
    if (NormBox(X1, Y1, X2, Y2))
      d->Device->Shape(*this, TCanvasDevice::TShape::Ellipse, TRect{X1, Y1, X2, Y2}, TSize{});
    Changed();
    return;
  }
  if (!d->Drawable() || !NormBox(X1, Y1, X2, Y2)) return;
  if (d->Pen.Style() == psClear) {
    // The brush alone covers one pixel less to the right and bottom, as for rectangles.
    if (X2 - X1 > 1 && Y2 - Y1 > 1 && d->Brush.Style() != bsClear) {
      ThinCurve(*d, X1, Y1, X2 - 1, Y2 - 1, X2 - X1 - 1, Y2 - Y1 - 1, true, false, 0, 0, true);
    }
  } else if (CurvePenIsThin(d->Pen)) {
    ThinCurve(*d, X1, Y1, X2, Y2, X2 - X1, Y2 - Y1, true);
  } else {
    CurveFigure(*d, X1, Y1, X2, Y2, true, [](QPainter& p, const QRect& r) { p.drawEllipse(r); });
  }
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  if (d->Device) {
    if (NormBox(X1, Y1, X2, Y2))
      d->Device->Shape(*this, TCanvasDevice::TShape::RoundRect, TRect{X1, Y1, X2, Y2},
                       TSize{std::abs(X3), std::abs(Y3)});
    Changed();
    return;
  }
  if (!d->Drawable() || !NormBox(X1, Y1, X2, Y2)) return;
  int ew = std::min(std::abs(X3), X2 - X1), eh = std::min(std::abs(Y3), Y2 - Y1);
  if (d->Pen.Style() == psClear) {
    if (X2 - X1 > 1 && Y2 - Y1 > 1 && d->Brush.Style() != bsClear) {
      ThinCurve(*d, X1, Y1, X2 - 1, Y2 - 1, std::min(ew, X2 - X1 - 1), std::min(eh, Y2 - Y1 - 1),
                true, false, 0, 0, true);
    }
  } else if (CurvePenIsThin(d->Pen)) {
    ThinCurve(*d, X1, Y1, X2, Y2, ew, eh, true);
  } else {
    double rx = ew / 2.0, ry = eh / 2.0;
    CurveFigure(*d, X1, Y1, X2, Y2, true, [&](QPainter& p, const QRect& r) {
      p.drawRoundedRect(r, std::min(rx, r.width() / 2.0), std::min(ry, r.height() / 2.0),
                        Qt::AbsoluteSize);
    });
  }
  Changed();
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  if (d->Device) {
    if (NormBox(X1, Y1, X2, Y2) && d->Pen.Style() != psClear)
      d->Device->Arc(*this, TRect{X1, Y1, X2, Y2}, TPoint{X3, Y3}, TPoint{X4, Y4});
    Changed();
    return;
  }
  if (!d->Drawable() || !NormBox(X1, Y1, X2, Y2) || d->Pen.Style() == psClear) return;
  double a0 = BoxAngle(X3, Y3, X1, Y1, X2, Y2), a1 = BoxAngle(X4, Y4, X1, Y1, X2, Y2);
  double span = std::fmod(a1 - a0 + 4 * std::numbers::pi, 2 * std::numbers::pi);
  bool full = span <= 0;
  if (full) span = 2 * std::numbers::pi;
  if (CurvePenIsThin(d->Pen)) {
    // The arc is the part of the ellipse outline Ellipse would draw in the same box.
    ThinCurve(*d, X1, Y1, X2, Y2, X2 - X1, Y2 - Y1, false, !full, a0, span);
  } else {
    int start16 = static_cast<int>(std::nearbyint(a0 * 180 / std::numbers::pi * 16));
    int span16 = static_cast<int>(std::nearbyint(span * 180 / std::numbers::pi * 16));
    CurveFigure(*d, X1, Y1, X2, Y2, false,
                [&](QPainter& p, const QRect& r) { p.drawArc(r, start16, span16); });
  }
  Changed();
}

void TCanvas::FillRect(const TRect& R) {
  int x1 = R.Left, y1 = R.Top, x2 = R.Right, y2 = R.Bottom;
  if (d->Device) {
    if (NormBox(x1, y1, x2, y2) && d->Brush.Style() != bsClear)
      d->Device->Fill(*this, TRect{x1, y1, x2, y2});
    Changed();
    return;
  }
  if (!d->Drawable() || !NormBox(x1, y1, x2, y2)) return;
  BrushFill(*d, QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)), pmCopy);
  Changed();
}

void TCanvas::FrameRect(const TRect& R) {
  int x1 = R.Left, y1 = R.Top, x2 = R.Right, y2 = R.Bottom;
  if (d->Device) {
    // Four one-unit strips in the brush colour, the pixels the bitmap form paints.
    if (NormBox(x1, y1, x2, y2) && d->Brush.Style() != bsClear) {
      d->Device->Fill(*this, TRect{x1, y1, x2, y1 + 1});
      d->Device->Fill(*this, TRect{x1, y2 - 1, x2, y2});
      d->Device->Fill(*this, TRect{x1, y1, x1 + 1, y2});
      d->Device->Fill(*this, TRect{x2 - 1, y1, x2, y2});
    }
    Changed();
    return;
  }
  if (!d->Drawable() || !NormBox(x1, y1, x2, y2) || d->Brush.Style() == bsClear) return;
  QRect area = d->Area();
  Surface s(*d->Image);
  std::uint32_t c = Rgb(d->Brush.Color());
  auto put = [&](int x, int y) {
    if (area.contains(x, y)) s.Write(x, y, c);
  };
  for (int x = std::max(x1, area.left()); x <= std::min(x2 - 1, area.right()); ++x) {
    put(x, y1);
    put(x, y2 - 1);
  }
  for (int y = std::max(y1, area.top()); y <= std::min(y2 - 1, area.bottom()); ++y) {
    put(x1, y);
    put(x2 - 1, y);
  }
  Changed();
}

TColor TCanvas::GetPixel(int X, int Y) const {
  if (!d->Drawable() || !d->Image->rect().contains(X, Y)) return CLR_INVALID;
  Surface s(*d->Image);
  std::uint32_t c = s.Read(X, Y);
  return RGB(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
             static_cast<int>(c & 0xFF));
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
  if (d->Device) {
    const TPoint p{X, Y};
    d->Device->Pixels(&p, 1, Color);
    Changed();
    return;
  }
  if (!d->Area().contains(X, Y)) return;
  Surface s(*d->Image);
  s.Write(X, Y, Rgb(Color));
  Changed();
}

void TCanvas::SetPixels(const TPoint* Points, int Count, TColor Color) {
  if (d->Device) {
    if (Count > 0) d->Device->Pixels(Points, Count, Color);
    Changed();
    return;
  }
  const QRect area = d->Area();
  if (area.isEmpty() || Count <= 0) return;
  Surface s(*d->Image);
  const auto rgb = Rgb(Color);
  const int x0 = area.left(), x1 = area.right(), y0 = area.top(), y1 = area.bottom();
  for (int i = 0; i < Count; ++i) {
    const int x = Points[i].X, y = Points[i].Y;
    if (x >= x0 && x <= x1 && y >= y0 && y <= y1) s.Write(x, y, rgb);
  }
  Changed();
}

TCanvasPixels::Ref::operator TColor() const { return FCanvas->GetPixel(FX, FY); }
TCanvasPixels::Ref& TCanvasPixels::Ref::operator=(TColor C) {
  FCanvas->SetPixel(FX, FY, C);
  return *this;
}

// ---- text --------------------------------------------------------------------------------
namespace {
QString Q(const String& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Lays Layout's text out as a painter draws a text at a point: unwrapped, trailing blanks
// kept, the first letter with a direction setting the paragraph's; a line or paragraph
// separator starts another line. The lines in order.
std::vector<QTextLine> LayOutUnwrapped(QTextLayout& Layout) {
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setFlags(QTextOption::IncludeTrailingSpaces);
  Layout.setTextOption(option);
  const int columns = static_cast<int>(Layout.text().size());
  std::vector<QTextLine> lines;
  Layout.beginLayout();
  for (QTextLine line = Layout.createLine(); line.isValid(); line = Layout.createLine()) {
    line.setNumColumns(columns);
    lines.push_back(line);
  }
  Layout.endLayout();
  return lines;
}

// Text in the canvas font: the runs its face lacks come from the fallback face, on the same
// baseline, so every glyph comes from one of the program's own font files. The text is shaped
// as Qt's text layout shapes it, so right-to-left scripts read from the right and joining
// letters take their joined forms; then the layout's positions are put on whole pixels. Each
// glyph that moves the pen on starts at a whole pixel and advances by a whole number of pixels:
// its advance rounded, except that where the rounding of a run's glyphs adds up to more or less
// than the run's own width (its advances in fractions of a pixel, kerned, rounded once: what the
// window layouts were measured with), the glyphs rounded furthest give back or take the
// difference, one pixel each. A glyph that does not move the pen (a mark above or below a
// letter) keeps its offset from the letter it belongs to, rounded. So letters keep even gaps,
// every copy of a glyph takes the same pixels and a text keeps its width. Glyphs are drawn from
// their outlines without hinting: the faces' own monochrome hinting widens round letters to
// their whole advance at small sizes (adjacent zeros would touch).
struct TShapedLine {
  using FontCache = TCanvas::Impl::FontCache;
  struct Run {
    bool Fallback;
    QList<quint32> Glyphs;
    QList<QPointF> At;  // each glyph's origin from the text's, at whole pixels
  };
  // One run for each stretch of the line that one face run fills (a face run that the
  // reading order splits takes several stretches).
  std::vector<Run> Runs;
  int Advance = 0;

  // With UnitAdvances, also each UTF-16 unit's share of the placed line (see CanvasTextAdvances).
  TShapedLine(const FontCache& F, const String& Text, std::vector<int>* UnitAdvances = nullptr) {
    const QString text = Q(Text);
    if (UnitAdvances != nullptr) UnitAdvances->assign(static_cast<std::size_t>(text.size()), 0);
    const std::vector<TFaceRun> faces = SplitByFace(text, *F.Metrics, *F.FallbackMetrics);
    std::vector<int> widths, starts;
    int start = 0;
    QList<QTextLayout::FormatRange> formats;
    for (const TFaceRun& r : faces) {
      const auto length = static_cast<int>(r.Text.size());
      widths.push_back((r.Fallback ? *F.FallbackMetrics : *F.Metrics).horizontalAdvance(r.Text));
      Advance += widths.back();
      starts.push_back(start);
      if (r.Fallback) {
        QTextLayout::FormatRange range;
        range.start = start;
        range.length = length;
        range.format.setFont(F.FallbackOutline);
        formats.push_back(range);
      }
      start += length;
    }
    if (faces.empty()) return;

    // Stretches of the other direction than the paragraph's keep their own order within it.
    QTextLayout layout(text, F.Outline);
    layout.setFormats(formats);
    const std::vector<QTextLine> lines = LayOutUnwrapped(layout);

    // The lines follow one another on the one line a canvas draws.
    std::vector<TShapedGlyph> glyphs;
    double lineStart = 0;
    for (std::size_t l = 0; l < lines.size(); ++l) {
      const QTextLine& line = lines[l];
      const std::size_t first = glyphs.size();
      const int from = line.textStart(), to = from + line.textLength();
      for (std::size_t r = 0; r < faces.size(); ++r) {
        const int runFrom = std::max(from, starts[r]);
        const int runTo = std::min(to, starts[r] + static_cast<int>(faces[r].Text.size()));
        if (runFrom >= runTo) continue;
        const QRawFont& raw = faces[r].Fallback ? F.FallbackRaw : F.Raw;
        for (const QGlyphRun& run : line.glyphRuns(runFrom, runTo - runFrom)) {
          const QList<quint32> indexes = run.glyphIndexes();
          const QList<QPointF> positions = run.positions();
          const QList<QPointF> advances = raw.advancesForGlyphIndexes(indexes);
          const qsizetype n = std::min({indexes.size(), positions.size(), advances.size()});
          // A run lists its glyphs in reading order, so a mark follows the letter it is on.
          std::ptrdiff_t base = -1;
          for (qsizetype i = 0; i < n; ++i) {
            TShapedGlyph g;
            g.Face = r;
            g.Index = indexes[i];
            g.X = positions[i].x();
            g.Y = positions[i].y() - line.y() - line.ascent();
            g.Advance = std::max(advances[i].x(), 0.0);
            g.Line = l;
            g.LayoutX = positions[i].x();
            if (g.Advance > 1e-6 || base < 0)
              base = static_cast<std::ptrdiff_t>(glyphs.size());
            else
              g.Base = base;
            glyphs.push_back(g);
          }
        }
      }
      if (first == glyphs.size()) continue;
      double left = glyphs[first].X, right = left;
      for (std::size_t i = first; i < glyphs.size(); ++i) {
        left = std::min(left, glyphs[i].X);
        right = std::max(right, glyphs[i].X + glyphs[i].Advance);
      }
      for (std::size_t i = first; i < glyphs.size(); ++i) glyphs[i].X += lineStart - left;
      lineStart += right - left;
    }
    Place(glyphs, widths);
    if (UnitAdvances != nullptr) ShareOut(text, layout, lines, glyphs, *UnitAdvances);
    for (std::size_t s = 0; s < StretchFace.size(); ++s) {
      Run run{faces[StretchFace[s]].Fallback, {}, {}};
      for (const TShapedGlyph& g : glyphs)
        if (g.Stretch == s) {
          run.Glyphs.push_back(g.Index);
          run.At.push_back(QPointF(g.PixelX, g.PixelY));
        }
      Runs.push_back(std::move(run));
    }
  }

private:
  // A glyph of the shaped line: where the layout put it, in fractions of a pixel from the
  // text's origin on its baseline, and where it is drawn.
  struct TShapedGlyph {
    std::size_t Face = 0;  // its face run
    quint32 Index = 0;
    double X = 0, Y = 0;
    double Advance = 0;        // the face's own advance of the glyph
    std::ptrdiff_t Base = -1;  // a glyph that does not move the pen on: the one it belongs to
    std::size_t Stretch = 0;
    int PixelX = 0, PixelY = 0;
    int Whole = 0;  // the whole pixels it moves the pen on
    std::size_t Line = 0;
    double LayoutX = 0;  // its position as the layout gave it
  };

  // Each unit's advance: the whole pixels of the glyphs drawn for the character it starts (a
  // glyph drawn for several characters counts with the first); a unit inside a character (the
  // second half of a surrogate pair, a mark composed with its letter) takes none. The advances
  // add up to the line's width.
  void ShareOut(const QString& Text, const QTextLayout& Layout, const std::vector<QTextLine>& Lines,
                const std::vector<TShapedGlyph>& Glyphs, std::vector<int>& Out) const {
    std::map<std::tuple<std::size_t, quint32, double>, std::size_t> find;
    for (std::size_t g = 0; g < Glyphs.size(); ++g)
      find.emplace(std::tuple(Glyphs[g].Line, Glyphs[g].Index, Glyphs[g].LayoutX), g);
    std::vector<bool> counted(Glyphs.size(), false);
    const int n = static_cast<int>(Text.size());
    int total = 0, last = 0;
    for (int i = 0; i < n;) {
      int next = i + 1;
      while (next < n && !Layout.isValidCursorPosition(next)) ++next;
      std::size_t l = 0;
      while (l < Lines.size() && i >= Lines[l].textStart() + Lines[l].textLength()) ++l;
      if (l == Lines.size()) break;
      for (const QGlyphRun& run : Lines[l].glyphRuns(i, next - i)) {
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype k = 0; k < std::min(indexes.size(), positions.size()); ++k) {
          const auto g = find.find(std::tuple(l, indexes[k], positions[k].x()));
          if (g == find.end() || counted[g->second]) continue;
          counted[g->second] = true;
          Out[static_cast<std::size_t>(i)] += Glyphs[g->second].Whole;
        }
      }
      total += Out[static_cast<std::size_t>(i)];
      last = i;
      i = next;
    }
    // What no character's glyphs took (a face run without a glyph of its own) goes to the last.
    if (n > 0) Out[static_cast<std::size_t>(last)] += Advance - total;
  }

  // Whole-pixel advances for glyphs of advances Exact (left to right) that together take Width
  // pixels.
  static std::vector<int> WholeAdvances(const std::vector<double>& Exact, int Width) {
    const std::size_t n = Exact.size();
    std::vector<int> whole(n);
    int sum = 0;
    // The last glyph keeps the whole of its advance, so that its ink stays inside the text's
    // cell as far as its side bearing says.
    for (std::size_t i = 0; i < n; ++i)
      sum += whole[i] =
          i + 1 == n ? static_cast<int>(std::ceil(Exact[i] - 1e-6)) : qRound(Exact[i]);
    // The glyphs rounded up the most give a pixel back first (those rounded down the most
    // take one first).
    std::vector<std::size_t> order(n > 0 ? n - 1 : 0);
    std::iota(order.begin(), order.end(), std::size_t{0});
    const int sign = sum > Width ? 1 : -1;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return sign * (whole[a] - Exact[a]) > sign * (whole[b] - Exact[b]);
    });
    for (std::size_t k = 0; k < order.size() && sum != Width; ++k) {
      int& w = whole[order[k]];
      if (sign > 0 && w == 0) continue;
      w -= sign;
      sum -= sign;
    }
    if (n > 0) whole[n - 1] += Width - sum;  // what none could take
    return whole;
  }

  // Puts the glyphs on whole pixels. The glyphs that move the pen, left to right, form
  // stretches of one face run each; a face run's width is shared among its stretches by their
  // widths in the layout.
  void Place(std::vector<TShapedGlyph>& Glyphs, const std::vector<int>& FaceWidths) {
    std::vector<std::size_t> pen;  // the glyphs that move the pen on, left to right
    for (std::size_t i = 0; i < Glyphs.size(); ++i)
      if (Glyphs[i].Base < 0) pen.push_back(i);
    std::stable_sort(pen.begin(), pen.end(),
                     [&](std::size_t a, std::size_t b) { return Glyphs[a].X < Glyphs[b].X; });
    struct Stretch {
      std::size_t From, To;  // in pen
      double Left, Right;
      int Width = 0;
    };
    std::vector<Stretch> stretches;
    for (std::size_t k = 0; k < pen.size(); ++k) {
      TShapedGlyph& g = Glyphs[pen[k]];
      if (stretches.empty() || Glyphs[pen[k - 1]].Face != g.Face) {
        stretches.push_back({k, k, g.X, g.X});
        StretchFace.push_back(g.Face);
      }
      Stretch& s = stretches.back();
      s.To = k + 1;
      s.Right = std::max(s.Right, g.X + g.Advance);
      g.Stretch = stretches.size() - 1;
    }
    for (std::size_t face = 0; face < FaceWidths.size(); ++face) {
      double whole = 0;
      for (std::size_t s = 0; s < stretches.size(); ++s)
        if (StretchFace[s] == face) whole += stretches[s].Right - stretches[s].Left;
      const auto share = [&](double Part) {
        return static_cast<int>(std::lround(FaceWidths[face] * Part / whole));
      };
      double before = 0;
      bool first = true;
      for (std::size_t s = 0; s < stretches.size(); ++s) {
        if (StretchFace[s] != face) continue;
        const double after = before + stretches[s].Right - stretches[s].Left;
        // The first stretch takes the whole width when the layout gives the run none.
        stretches[s].Width =
            whole > 0 ? share(after) - share(before) : (first ? FaceWidths[face] : 0);
        before = after;
        first = false;
      }
    }
    int left = 0;
    for (const Stretch& s : stretches) {
      // Each glyph's advance is the distance to the next glyph's pen position; where that is
      // the glyph's own advance, give or take the layout's 1/64 pixel steps, the face's value
      // counts.
      std::vector<double> exact;
      for (std::size_t k = s.From; k < s.To; ++k) {
        const TShapedGlyph& g = Glyphs[pen[k]];
        double advance = (k + 1 < s.To ? Glyphs[pen[k + 1]].X : s.Right) - g.X;
        if (std::abs(advance - g.Advance) < 1.0 / 32) advance = g.Advance;
        exact.push_back(std::max(advance, 0.0));
      }
      const std::vector<int> whole = WholeAdvances(exact, s.Width);
      int x = left;
      for (std::size_t k = s.From; k < s.To; ++k) {
        TShapedGlyph& g = Glyphs[pen[k]];
        g.PixelX = x;
        g.PixelY = qRound(g.Y);
        g.Whole = whole[k - s.From];
        x += g.Whole;
      }
      left += s.Width;
    }
    for (TShapedGlyph& g : Glyphs)
      if (g.Base >= 0) {
        const TShapedGlyph& base = Glyphs[static_cast<std::size_t>(g.Base)];
        g.Stretch = base.Stretch;
        g.PixelX = base.PixelX + qRound(g.X - base.X);
        g.PixelY = qRound(g.Y);
      }
  }
  std::vector<std::size_t> StretchFace;  // each stretch's face run
};

// A text in the canvas font, shaped and placed once while the font stays: a chart writes the
// same labels at every repaint.
struct TextRuns {
  using FontCache = TCanvas::Impl::FontCache;
  const FontCache& Fonts;
  std::shared_ptr<const TShapedLine> Line;

  TextRuns(const FontCache& F, const String& Text) : Fonts(F) {
    auto& lines = F.Lines;
    if (const auto known = lines.find(Text); known != lines.end()) {
      Line = known->second;
      return;
    }
    Line = std::make_shared<const TShapedLine>(F, Text);
    if (Text.size() > 256) return;  // a label, not a page
    if (lines.size() >= 512) lines.clear();
    lines.emplace(Text, Line);
  }
  int Width() const { return Line->Advance; }
  // Draws in the painter's pen colour.
  void Draw(QPainter& P, int X, int Y) const {
    const QPointF origin(X, Y + Fonts.Metrics->ascent());
    for (const TShapedLine::Run& r : Line->Runs) {
      QGlyphRun glyphs;
      glyphs.setRawFont(r.Fallback ? Fonts.FallbackRaw : Fonts.Raw);
      glyphs.setGlyphIndexes(r.Glyphs);
      glyphs.setPositions(r.At);
      glyphs.setUnderline(Fonts.Font.underline());
      glyphs.setStrikeOut(Fonts.Font.strikeOut());
      P.drawGlyphRun(origin, glyphs);
    }
  }
};
}  // namespace

void DrawCanvasText(QPainter& Painter, const TCanvas& Canvas, int X, int Y, const String& Text) {
  TextRuns(Canvas.Internal()->TextFont(), Text).Draw(Painter, X, Y);
}

std::vector<int> CanvasTextAdvances(const TCanvas& Canvas, const String& Text) {
  std::vector<int> advances;
  TShapedLine(Canvas.Internal()->TextFont(), Text, &advances);
  return advances;
}

int TCanvas::TextWidth(const String& Text) const { return TextExtent(Text).cx; }
int TCanvas::TextHeight(const String& Text) const { return TextExtent(Text).cy; }

// The width TextRuns lays a text out in, without placing its glyphs: each face's run keeps the
// width its metrics give it. Labels are measured by the hundred per repaint.
TSize TCanvas::TextExtent(const String& Text) const {
  const Impl::FontCache& fonts = d->TextFont();
  int width = 0;
  for (const TFaceRun& r : SplitByFace(Q(Text), *fonts.Metrics, *fonts.FallbackMetrics))
    width += (r.Fallback ? *fonts.FallbackMetrics : *fonts.Metrics).horizontalAdvance(r.Text);
  return TSize{width, fonts.Metrics->height()};
}

void TCanvas::TextOut(int X, int Y, const String& Text) {
  if (d->Device) {
    d->Device->Text(*this, X, Y, Text, nullptr);
    Changed();
    return;
  }
  if (!d->Drawable()) return;
  const TextRuns text(d->TextFont(), Text);
  QPainter p(d->Image);
  PrepareImagePainter(p);
  p.setClipRect(d->Area());
  if (d->Brush.Style() != bsClear)
    p.fillRect(QRect(X, Y, text.Width(), text.Fonts.Metrics->height()), ToQColor(d->Brush.Color()));
  p.setPen(ToQColor(d->Font.Color()));
  text.Draw(p, X, Y);
  p.end();
  Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const String& Text) {
  int x1 = R.Left, y1 = R.Top, x2 = R.Right, y2 = R.Bottom;
  if (d->Device) {
    if (NormBox(x1, y1, x2, y2)) {
      const TRect box{x1, y1, x2, y2};
      d->Device->Text(*this, X, Y, Text, &box);
    }
    Changed();
    return;
  }
  if (!d->Drawable()) return;
  if (!NormBox(x1, y1, x2, y2)) return;
  QRect box = QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).intersected(d->Area());
  if (box.isEmpty()) return;
  QPainter p(d->Image);
  PrepareImagePainter(p);
  p.setClipRect(box);
  if (d->Brush.Style() != bsClear) p.fillRect(box, ToQColor(d->Brush.Color()));
  p.setPen(ToQColor(d->Font.Color()));
  TextRuns(d->TextFont(), Text).Draw(p, X, Y);
  p.end();
  Changed();
}

// ---- copies ------------------------------------------------------------------------------
TCopyMode TCanvas::CopyMode() const { return d->CopyMode; }
void TCanvas::SetCopyMode(TCopyMode Value) { d->CopyMode = Value; }

void gfx::Blit(TCanvas* Dest, const TRect& DestRect, const QImage& Src, const TRect& SrcRect,
               TCopyMode Rop, bool Transparent, std::uint32_t TransparentRgb) {
  TCanvas::Impl& d = *Dest->Internal();
  if (d.Device) {
    // Raster operations mean nothing to a vector device: the picture is copied.
    if (DestRect.Right != DestRect.Left && DestRect.Bottom != DestRect.Top &&
        SrcRect.Right != SrcRect.Left && SrcRect.Bottom != SrcRect.Top)
      d.Device->Image(Src, SrcRect, DestRect);
    return;
  }
  long long dw = static_cast<long long>(DestRect.Right) - DestRect.Left;
  long long dh = static_cast<long long>(DestRect.Bottom) - DestRect.Top;
  long long sw = static_cast<long long>(SrcRect.Right) - SrcRect.Left;
  long long sh = static_cast<long long>(SrcRect.Bottom) - SrcRect.Top;
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0 || !d.Drawable()) return;
  // A reversed extent on one side mirrors the picture.
  bool mirrorX = (dw < 0) != (sw < 0), mirrorY = (dh < 0) != (sh < 0);
  long long dx0 = std::min<long long>(DestRect.Left, DestRect.Right),
            dy0 = std::min<long long>(DestRect.Top, DestRect.Bottom);
  long long sx0 = std::min<long long>(SrcRect.Left, SrcRect.Right),
            sy0 = std::min<long long>(SrcRect.Top, SrcRect.Bottom);
  dw = std::llabs(dw);
  dh = std::llabs(dh);
  sw = std::llabs(sw);
  sh = std::llabs(sh);
  QRect area = d.Area();
  long long x0 = std::max<long long>(dx0, area.left()),
            x1 = std::min<long long>(dx0 + dw - 1, area.right());
  long long y0 = std::max<long long>(dy0, area.top()),
            y1 = std::min<long long>(dy0 + dh - 1, area.bottom());
  if (x0 > x1 || y0 > y1) return;
  // Plain copies of the same size from inside the source: row copies (a chart copies whole
  // bitmaps on every repaint).
  bool plain = ((static_cast<std::uint32_t>(Rop) >> 16) & 0xFF) == 0xCC && !Transparent &&
               sw == dw && sh == dh && !mirrorX && !mirrorY;
  if (plain && &Src != d.Image) {
    QRect srcPart(static_cast<int>(sx0 + (x0 - dx0)), static_cast<int>(sy0 + (y0 - dy0)),
                  static_cast<int>(x1 - x0 + 1), static_cast<int>(y1 - y0 + 1));
    if (Src.rect().contains(srcPart)) {
      QImage::Format df = d.Image->format(), sf = Src.format();
      bool rgb32 = [](QImage::Format f) {
        return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
               f == QImage::Format_ARGB32_Premultiplied;
      }(df);
      if ((df == sf && (rgb32 || df == QImage::Format_BGR888)) ||
          (rgb32 && sf == QImage::Format_RGB32)) {
        int bytesPerPixel = d.Image->depth() / 8;
        std::size_t n = static_cast<std::size_t>(srcPart.width()) * bytesPerPixel;
        for (int r = 0; r < srcPart.height(); ++r) {
          uchar* out = d.Image->scanLine(static_cast<int>(y0) + r) + x0 * bytesPerPixel;
          const uchar* in = Src.constScanLine(srcPart.top() + r) + srcPart.left() * bytesPerPixel;
          std::memcpy(out, in, n);
          if (rgb32 && sf != QImage::Format_RGB32)
            for (int i = 0; i < srcPart.width(); ++i)
              reinterpret_cast<std::uint32_t*>(out)[i] |= 0xFF000000u;
        }
      } else {
        QPainter p(d.Image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(static_cast<int>(x0), static_cast<int>(y0)),
                    Src.copy(srcPart).convertToFormat(QImage::Format_RGB32));
      }
      return;
    }
  }
  // The source is read through an RGB32 copy when it is the destination itself (overlapping
  // copies) or of a format without a fast path.
  QImage srcCopy;
  const QImage* src = &Src;
  if (&Src == d.Image) {
    srcCopy = Src.copy();
    src = &srcCopy;
  }
  const Surface in = Surface::ForReading(*src);
  Surface out(*d.Image);
  QRect srcBounds = Src.rect();
  std::uint32_t pat = Rgb(d.Brush.Color());
  // Nearest source pixel for each destination column.
  std::vector<long long> col(static_cast<std::size_t>(x1 - x0 + 1));
  for (long long x = x0; x <= x1; ++x) {
    long long i = x - dx0;
    if (mirrorX) i = dw - 1 - i;
    col[static_cast<std::size_t>(x - x0)] =
        sx0 + (sw == dw ? i : static_cast<long long>(__int128(2 * i + 1) * sw / (2 * dw)));
  }
  for (long long y = y0; y <= y1; ++y) {
    long long j = y - dy0;
    if (mirrorY) j = dh - 1 - j;
    long long sy =
        sy0 + (sh == dh ? j : static_cast<long long>(__int128(2 * j + 1) * sh / (2 * dh)));
    bool rowIn = sy >= srcBounds.top() && sy <= srcBounds.bottom();
    for (long long x = x0; x <= x1; ++x) {
      long long sx = col[static_cast<std::size_t>(x - x0)];
      std::uint32_t s = (rowIn && sx >= srcBounds.left() && sx <= srcBounds.right())
                            ? in.Read(static_cast<int>(sx), static_cast<int>(sy))
                            : 0;
      if (Transparent && s == TransparentRgb) continue;
      int px = static_cast<int>(x), py = static_cast<int>(y);
      std::uint32_t r = ((static_cast<std::uint32_t>(Rop) >> 16) & 0xFF) == 0xCC
                            ? s
                            : gfx::Rop3(static_cast<std::uint32_t>(Rop), pat, s, out.Read(px, py));
      out.Write(px, py, r);
    }
  }
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  if (!Canvas || !Canvas->d->Drawable()) return;  // a device keeps no pixels to copy from
  gfx::Blit(this, Dest, *Canvas->d->Image, Source, d->CopyMode, false, 0);
  Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Graphic->Draw(this, TRect{X, Y, X + Graphic->Width(), Y + Graphic->Height()});
  Changed();
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Graphic->Draw(this, R);
  Changed();
}

// ---- clipping ----------------------------------------------------------------------------
TRect TCanvas::ClipRect() const {
  if (d->Device) return d->HasClip ? d->DeviceClip : TRect{};
  QRect a = d->Area();
  if (a.isEmpty()) return TRect{};
  return TRect{a.left(), a.top(), a.right() + 1, a.bottom() + 1};
}

void TCanvas::SetClipRect(const TRect& R) {
  d->HasClip = true;
  int x1 = R.Left, y1 = R.Top, x2 = R.Right, y2 = R.Bottom;
  if (d->Device) {
    // An empty rectangle clips everything away, as on a bitmap.
    if (!NormBox(x1, y1, x2, y2)) x2 = x1, y2 = y1;
    d->DeviceClip = TRect{x1, y1, x2, y2};
    d->Device->SetClip(&d->DeviceClip);
    return;
  }
  d->Clip = NormBox(x1, y1, x2, y2) ? QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)) : QRect();
}

void TCanvas::ResetClipRect() {
  d->HasClip = false;
  d->Clip = QRect();
  if (d->Device) d->Device->SetClip(nullptr);
}

// ---- resolution and mapping ----------------------------------------------------------------
int TCanvas::PixelsPerInchX() const {
  return d->Device ? d->Device->PixelsPerInchX() : ScreenPixelsPerInch;
}
int TCanvas::PixelsPerInchY() const {
  return d->Device ? d->Device->PixelsPerInchY() : ScreenPixelsPerInch;
}

TCanvasMapping TCanvas::Mapping() const { return d->Mapping; }

void TCanvas::SetMapping(const TCanvasMapping& Value) {
  if (Value.WindowExt.cx == 0 || Value.WindowExt.cy == 0 || Value.ViewportExt.cx == 0 ||
      Value.ViewportExt.cy == 0)
    throw EInvalidGraphicOperation("A canvas mapping needs extents other than 0");
  if (!d->Device) {
    double sx = 1, sy = 1;
    MappingScale(Value, sx, sy);
    if (sx != 1 || sy != 1 || Value.ViewportOrg != TPoint{})
      throw EInvalidGraphicOperation("A bitmap canvas draws in pixels and cannot be mapped");
  } else {
    d->Device->SetMapping(Value);
  }
  d->Mapping = Value;
}

void MappingScale(const TCanvasMapping& M, double& Sx, double& Sy) {
  const double rx = static_cast<double>(M.ViewportExt.cx) / M.WindowExt.cx;
  const double ry = static_cast<double>(M.ViewportExt.cy) / M.WindowExt.cy;
  const double s = std::min(std::fabs(rx), std::fabs(ry));
  Sx = rx < 0 ? -s : s;
  Sy = ry < 0 ? -s : s;
}

void SetCanvasDevice(TCanvas* Canvas, TCanvasDevice* Device) {
  TCanvas::Impl& d = *Canvas->Internal();
  d.Device = Device;
  d.Mapping = TCanvasMapping{};
  d.HasClip = false;
  d.Clip = QRect();
  d.DeviceClip = TRect{};
}

// ---- bridge ------------------------------------------------------------------------------
void SetCanvasImage(TCanvas* Canvas, QImage* Image) { Canvas->Internal()->Image = Image; }
QImage* CanvasImage(const TCanvas* Canvas) {
  if (Canvas->Internal()->MakePixels) Canvas->Internal()->MakePixels();
  return Canvas->Internal()->Image;
}
void gfx::SetCanvasPixelMaker(TCanvas* Canvas, std::function<void()> MakePixels) {
  Canvas->Internal()->MakePixels = std::move(MakePixels);
}
