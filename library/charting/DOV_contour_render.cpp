// Drawing the contour plot: the repaint, the data-area bitmap, the field in its five modes
// (written straight into the bitmap's pixel memory, with twin routines that draw the same cells
// through a canvas), the mask overlay and the text labels.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "DOV_contour.h"

// ---- pixel memory ------------------------------------------------------------------------------
namespace {
// The pixel word of an opaque 32-bit pixel (bytes B, G, R, $FF) of a resolved colour.
std::uint32_t PixelWord(TColor c) {
  const auto u = static_cast<std::uint32_t>(c);
  return 0xFF000000u | ((u & 0xFFu) << 16) | (u & 0xFF00u) | ((u >> 16) & 0xFFu);
}
}  // namespace

TPixelMemory TPixelMemory::Of(TBitmap* Bitmap) {
  TPixelMemory p;
  if (Bitmap == nullptr || Bitmap->Width() < 1 || Bitmap->Height() < 1) return p;
  p.Width = Bitmap->Width();
  p.Height = Bitmap->Height();
  p.BytesPerPixel = Bitmap->PixelFormat() == pf24bit ? 3 : 4;
  p.Base = static_cast<Byte*>(Bitmap->ScanLine(0));
  // The distance between rows as the bitmap lays them out (negative for bottom-up rows); a
  // single row needs none.
  if (p.Height >= 2) p.Stride = static_cast<Byte*>(Bitmap->ScanLine(1)) - p.Base;
  return p;
}

void TPixelMemory::Put(Integer x, Integer y, TColor Color) const { Fill(x, y, x, y, Color); }

void TPixelMemory::Invert(Integer x, Integer y) const {
  if (Base == nullptr || x < 0 || y < 0 || x >= Width || y >= Height) return;
  Byte* p = Base + static_cast<std::ptrdiff_t>(y) * Stride +
            static_cast<std::ptrdiff_t>(x) * BytesPerPixel;
  for (Integer k = 0; k < 3; ++k) p[k] = static_cast<Byte>(~p[k]);
}

void TPixelMemory::Fill(Integer x1, Integer y1, Integer x2, Integer y2, TColor Color) const {
  if (Base == nullptr || x2 < x1 || y2 < y1) return;
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, Width - 1);
  y2 = std::min(y2, Height - 1);
  if (x2 < x1 || y2 < y1) return;
  const std::uint32_t word = PixelWord(Color);
  for (Integer y = y1; y <= y2; ++y) {
    Byte* row = Base + static_cast<std::ptrdiff_t>(y) * Stride;
    if (BytesPerPixel == 4) {
      std::fill_n(reinterpret_cast<std::uint32_t*>(row) + x1, x2 - x1 + 1, word);
    } else {
      for (Byte* p = row + 3 * static_cast<std::ptrdiff_t>(x1); p <= row + 3 * x2; p += 3) {
        p[0] = static_cast<Byte>(word);
        p[1] = static_cast<Byte>(word >> 8);
        p[2] = static_cast<Byte>(word >> 16);
      }
    }
  }
}

// ---- colour rules ------------------------------------------------------------------------------
namespace {
Integer LevelNumber(Double Level, Double Low, Double Span, Integer Size) {
  const Double t = Size * (Level - Low) / Span;
  if (!(t >= 1)) return 1;  // also a span lost to rounding (0 / 0)
  if (!(t <= Size)) return Size;
  return std::max<Integer>(1, static_cast<Integer>(std::nearbyint(t)));
}

Integer ValueNumber(Double z, Double Low, Double Span, Integer Size) {
  if (z != z) return -1;
  if (z <= Low) return 1;
  const Double t = (z - Low) / Span * Size;
  if (!(t < Size)) return Size;
  return static_cast<Integer>(std::nearbyint(t));
}

Integer CellIndex(Double z, Double Low, Double Span, Integer Size) {
  if (z != z) return -1;
  if (z < Low) return 0;
  const Double t = (z - Low) / Span * Size;
  if (t != t) return 0;  // z = IsoLow with the span lost to rounding
  if (!(t < Size)) return Size;
  return std::min<Integer>(Size, static_cast<Integer>(std::nearbyint(t)));
}
}  // namespace

Integer TContourPlot::LevelColorNumber(Double Level) const {
  if (FPlotMode == cpmMonoDots) return 1;
  return LevelNumber(Level, FIsoLow, FIsoHigh - FIsoLow, FIsoColors->Size());
}

Integer TContourPlot::ValueColorNumber(Double z) const {
  return ValueNumber(z, FIsoLow, FIsoHigh - FIsoLow, FIsoColors->Size());
}

Integer TContourPlot::CellColorIndex(Double z) const {
  return CellIndex(z, FIsoLow, FIsoHigh - FIsoLow, FIsoColors->Size());
}

// What the cell routines read, taken once per field: the iso settings, the colours resolved
// (index 0 ... Size, 0 standing for the first) and the margins.
struct TContourPlot::TFieldSetup {
  Double Low = 0, Span = 1, Dist = 0;
  Integer Levels = 0;
  Integer Size = 0;
  bool Mono = false;
  std::vector<TColor> Colors;
  Integer LRim = 0, TRim = 0;
  // Scratch of the surface cells: their sub-rectangles' corner pixels.
  mutable std::vector<TPoint> Near, Far;

  TColor LevelColor(Double Level) const {
    return Colors[static_cast<size_t>(Mono ? 1 : LevelNumber(Level, Low, Span, Size))];
  }
  Integer ValueNum(Double z) const { return ValueNumber(z, Low, Span, Size); }
  // Calls f for every level strictly between a and b, lowest first.
  template <class F>
  void ForEachLevel(Double a, Double b, F&& f) const {
    const Double lo = std::min(a, b), hi = std::max(a, b);
    if (!(lo < hi) || Levels == 0) return;
    // Start just below the first level above lo instead of at level 1.
    const Double q = (lo - Low) / Dist;
    Integer k = 1;
    if (q > 1) k = static_cast<Integer>(std::min<Double>(std::floor(q), Levels + 1.0));
    for (; k <= Levels; ++k) {
      const Double L = Low + (k - 1) * Dist;
      if (L >= hi) break;
      if (L > lo) f(L);
    }
  }
};

TContourPlot::TFieldSetup TContourPlot::MakeSetup() const {
  TFieldSetup s;
  s.Low = FIsoLow;
  s.Span = FIsoHigh - FIsoLow;
  s.Dist = FIsoDist;
  s.Levels = NumIsoLevels();
  s.Size = std::max<Integer>(FIsoColors->Size(), 1);
  s.Mono = FPlotMode == cpmMonoDots;
  s.Colors.resize(static_cast<size_t>(s.Size) + 1);
  for (Integer i = 0; i <= s.Size; ++i)
    s.Colors[static_cast<size_t>(i)] = ColorToRGB(FIsoColors->GetColorElem(i));
  s.LRim = RcLRim;
  s.TRim = RcTRim;
  return s;
}

// ---- the cells ---------------------------------------------------------------------------------
namespace {
// Cells and points into pixel memory; Area is the bitmap.
struct TMemorySink {
  TPixelMemory Pixels;
  TRect Area{0, 0, Pixels.Width - 1, Pixels.Height - 1};  // inclusive
  void Point(Integer x, Integer y, TColor c) const { Pixels.Put(x, y, c); }
  // From the near corner's column to the far one's, from the far corner's row to the near
  // one's (the near corner is the lower left in world terms).
  void Cell(Integer nearX, Integer nearY, Integer farX, Integer farY, TColor c) const {
    Pixels.Fill(nearX, farY, farX, nearY, c);
  }
};

// The same through a canvas, kept to Area (the data area in target coordinates, inclusive) as
// pixel memory keeps to its bitmap: a solid rectangle over both corners.
constexpr Integer kFar = 1 << 30;
constexpr TRect kWholeCanvas{-kFar, -kFar, kFar, kFar};

struct TCanvasSink {
  TCanvas* Canvas;
  TRect Area;
  TCanvasSink(TCanvas* C, const TRect& A) : Canvas(C), Area(A) {
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetMode(pmCopy);
    Canvas->Pen()->SetWidth(1);
    Canvas->Brush()->SetStyle(bsSolid);
  }
  bool Inside(Integer x, Integer y) const {
    return x >= Area.Left && x <= Area.Right && y >= Area.Top && y <= Area.Bottom;
  }
  void Point(Integer x, Integer y, TColor c) const {
    if (Inside(x, y)) Canvas->SetPixel(x, y, c);
  }
  void Cell(Integer nearX, Integer nearY, Integer farX, Integer farY, TColor c) const {
    // What pixel memory fills: nothing when the far column lies left of the near one.
    if (farX < nearX || farY > nearY) return;
    const Integer x1 = std::max(nearX, Area.Left), x2 = std::min(farX, Area.Right);
    const Integer y1 = std::max(farY, Area.Top), y2 = std::min(nearY, Area.Bottom);
    if (x2 < x1 || y2 < y1) return;
    if (x1 == x2 && y1 == y2) {
      Canvas->SetPixel(x1, y1, c);
      return;
    }
    Canvas->Pen()->SetColor(c);
    Canvas->Brush()->SetColor(c);
    Canvas->Rectangle(x1, y1, x2 + 1, y2 + 1);
  }
};
}  // namespace

template <class Sink>
void TContourPlot::IsoPointsCell(const TFieldSetup& S, Sink& Out, Integer OffX, Integer OffY,
                                 Double x0, Double y0, Double dx, Double dy, Double z00, Double z10,
                                 Double z01, Double z11, Integer nx, Integer ny) const {
  if (S.Levels == 0 || nx < 1 || ny < 1) return;
  const auto Draw = [&](Double x, Double y, Double L) {
    if (x != x || y != y) return;  // a crossing between infinities has no place
    Integer cx = 0, cy = 0;
    TCustomZOdoza::R2M(1, x, y, cx, cy);
    Out.Point(cx - S.LRim + OffX, cy - S.TRim + OffY, S.LevelColor(L));
  };
  // Five vertical sample lines, then six horizontal ones (the top edge included).
  for (Integer q = 0; q < nx; ++q) {
    const Double zA = z00 + (z10 - z00) * q / nx, zB = z01 + (z11 - z01) * q / nx;
    const Double x = x0 + dx * q / nx;
    S.ForEachLevel(zA, zB, [&](Double L) { Draw(x, y0 + dy * (L - zA) / (zB - zA), L); });
  }
  for (Integer q = 0; q <= ny; ++q) {
    const Double zA = z00 + (z01 - z00) * q / ny, zB = z10 + (z11 - z10) * q / ny;
    const Double y = y0 + dy * q / ny;
    S.ForEachLevel(zA, zB, [&](Double L) { Draw(x0 + dx * (L - zA) / (zB - zA), y, L); });
  }
}

template <class Sink>
void TContourPlot::SurfaceCell(const TFieldSetup& S, Sink& Out, Integer OffX, Integer OffY,
                               Double x0, Double y0, Double dx, Double dy, Double z00, Double z10,
                               Double z01, Double z11, Integer nx, Integer ny) const {
  const auto Pixel = [&](Double x, Double y, Integer& tx, Integer& ty) {
    TCustomZOdoza::R2M(1, x, y, tx, ty);
    tx += OffX - S.LRim;
    ty += OffY - S.TRim;
  };
  Integer ax = 0, ay = 0, bx = 0, by = 0;
  Pixel(x0, y0, ax, ay);
  Pixel(x0 + dx, y0 + dy, bx, by);
  const Integer n00 = S.ValueNum(z00), n10 = S.ValueNum(z10), n01 = S.ValueNum(z01),
                n11 = S.ValueNum(z11);
  if (n00 >= 0 && n10 >= 0 && n01 >= 0 && n11 >= 0) {
    const TColor c = S.Colors[static_cast<size_t>(n00)];
    if (S.Colors[static_cast<size_t>(n10)] == c && S.Colors[static_cast<size_t>(n01)] == c &&
        S.Colors[static_cast<size_t>(n11)] == c) {
      Out.Cell(ax, ay, bx, by, c);
      return;
    }
  }
  // No finer than the cell has pixels.
  const auto Limit = [](Integer n, Integer a, Integer b) {
    const long long span = std::llabs(static_cast<long long>(b) - a);
    return static_cast<Integer>(std::max<long long>(1, std::min<long long>(n, span)));
  };
  nx = Limit(nx, ax, bx);
  ny = Limit(ny, ay, by);
  // A pixel column depends on x alone and a row on y alone, so the corners of the
  // sub-rectangles are transformed once per sub-column and sub-row: near corner k at
  // (x0 + dx k / nx, y0 + dy k / ny), far corner k a sub-rectangle further.
  const size_t m = static_cast<size_t>(std::max(nx, ny));
  S.Near.resize(m);
  S.Far.resize(m);
  for (size_t k = 0; k < m; ++k) {
    const auto kk = static_cast<Integer>(k);
    const Double x = x0 + dx * kk / nx, y = y0 + dy * kk / ny;
    Pixel(x, y, S.Near[k].X, S.Near[k].Y);
    Pixel(x + dx / nx, y + dy / ny, S.Far[k].X, S.Far[k].Y);
  }
  for (Integer i = 0; i < nx; ++i) {
    const Double zl = z00 + (z10 - z00) * i / nx, zu = z01 + (z11 - z01) * i / nx;
    const TPoint nearX = S.Near[static_cast<size_t>(i)], farX = S.Far[static_cast<size_t>(i)];
    for (Integer j = 0; j < ny; ++j) {
      const Double z = zl + (zu - zl) * j / ny;
      const Integer num = S.ValueNum(z);
      if (num < 0) continue;  // no value, no colour: the background shows
      Out.Cell(nearX.X, S.Near[static_cast<size_t>(j)].Y, farX.X, S.Far[static_cast<size_t>(j)].Y,
               S.Colors[static_cast<size_t>(num)]);
    }
  }
}

void TContourPlot::IsoQuadSL(const TPixelMemory& Pixels, Integer OffX, Integer OffY, Double x0,
                             Double y0, Double dx, Double dy, Double z00, Double z10, Double z01,
                             Double z11, Integer nx, Integer ny) {
  TMemorySink out{Pixels};
  IsoPointsCell(MakeSetup(), out, OffX, OffY, x0, y0, dx, dy, z00, z10, z01, z11, nx, ny);
}

void TContourPlot::IsoColQuadSL(const TPixelMemory& Pixels, Integer OffX, Integer OffY, Double x0,
                                Double y0, Double dx, Double dy, Double z00, Double z10, Double z01,
                                Double z11, Integer nx, Integer ny) {
  TMemorySink out{Pixels};
  SurfaceCell(MakeSetup(), out, OffX, OffY, x0, y0, dx, dy, z00, z10, z01, z11, nx, ny);
}

void TContourPlot::IsoQuad(TCanvas* Canvas, Integer OffX, Integer OffY, Double x0, Double y0,
                           Double dx, Double dy, Double z00, Double z10, Double z01, Double z11,
                           Integer nx, Integer ny) {
  TCanvasSink out(Canvas, kWholeCanvas);
  IsoPointsCell(MakeSetup(), out, OffX, OffY, x0, y0, dx, dy, z00, z10, z01, z11, nx, ny);
}

void TContourPlot::IsoColQuad(TCanvas* Canvas, Integer OffX, Integer OffY, Double x0, Double y0,
                              Double dx, Double dy, Double z00, Double z10, Double z01, Double z11,
                              Integer nx, Integer ny) {
  TCanvasSink out(Canvas, kWholeCanvas);
  SurfaceCell(MakeSetup(), out, OffX, OffY, x0, y0, dx, dy, z00, z10, z01, z11, nx, ny);
}

// ---- the field ---------------------------------------------------------------------------------
TRect TContourPlot::PivotRect(Double x, Double y, Double dx, Double dy, Integer OffX,
                              Integer OffY) const {
  Integer ax = 0, ay = 0, bx = 0, by = 0;
  TCustomZOdoza::R2M(1, x - dx / 2, y - dy / 2, ax, ay);
  TCustomZOdoza::R2M(1, x + dx / 2, y + dy / 2, bx, by);
  ZOdozaMath::ClampPixelPair(ax, ay);
  ZOdozaMath::ClampPixelPair(bx, by);
  const Integer sx = OffX - RcLRim, sy = OffY - RcTRim;
  return Rect(std::min(ax, bx) + sx, std::min(ay, by) + sy, std::max(ax, bx) + sx,
              std::max(ay, by) + sy);
}

TContourPlot::TFieldValues TContourPlot::TakeFieldValues() const {
  TFieldValues v;
  v.nx = FNumPivotX;
  v.ny = FNumPivotY;
  v.Values.resize(static_cast<size_t>(v.nx) * static_cast<size_t>(v.ny));
  v.Masks.resize(v.Values.size());
  for (Integer ix = 1; ix <= v.nx; ++ix)
    for (Integer iy = 1; iy <= v.ny; ++iy) {
      v.Values[v.At(ix, iy)] = FPivotMat->GetVal(ix, iy);
      v.Masks[v.At(ix, iy)] = FMaskMat->GetByte(ix, iy);
    }
  return v;
}

void TContourPlot::RenderFromPivotPoints(TBitmap* Bitmap, Integer OffX, Integer OffY) {
  // The field as it is now: a progress handler may change the plot while it is drawn.
  RenderField(Bitmap, OffX, OffY, TakeFieldValues());
}

// Phase one (the cells) and phase two (the mask colours) of a field into Out; the rectangles
// of the pivots of mask 255 are left in Inverted. Refresh is called after every progress
// report (a handler may resize the target) and ends the drawing when it answers false.
template <class Sink, class RefreshFn>
void TContourPlot::DrawField(const TFieldValues& V, Sink& Out, Integer OffX, Integer OffY,
                             RefreshFn Refresh, std::vector<TRect>& Inverted) {
  const TFieldSetup S = MakeSetup();
  const Integer nxp = V.nx, nyp = V.ny;
  if (nxp < 2 || nyp < 2) return;
  std::vector<Double> px(static_cast<size_t>(nxp) + 1), py(static_cast<size_t>(nyp) + 1);
  for (Integer ix = 1; ix <= nxp; ++ix) px[static_cast<size_t>(ix)] = PivotX(ix);
  for (Integer iy = 1; iy <= nyp; ++iy) py[static_cast<size_t>(iy)] = PivotY(iy);
  const Double dx = (XHigh() - XLow()) / (nxp - 1), dy = (YHigh() - YLow()) / (nyp - 1);
  const TContourPlotMode mode = FPlotMode;
  const bool betweenPivots = mode == cpmDots || mode == cpmMonoDots || mode == cpmColorSurface;
  const Integer e = betweenPivots ? 1 : 0;
  const Integer s = std::max(1, nxp / 100);
  constexpr Integer kSub = 5;
  const auto& values = V.Values;

  for (Integer ix = 1; ix <= nxp - e; ++ix) {
    if (ix % s == 0) {
      FeedbackProgress(70 + static_cast<Integer>(std::nearbyint(15.0 * ix / nxp)));
      if (!Refresh()) return;
    }
    const Double x = px[static_cast<size_t>(ix)];
    for (Integer iy = 1; iy <= nyp - e; ++iy) {
      const Byte m = V.Masks[V.At(ix, iy)];
      if (m != kMaskDrawn && m != kMaskInverted) continue;
      const Double y = py[static_cast<size_t>(iy)];
      const Double z = values[V.At(ix, iy)];
      switch (mode) {
        case cpmDots:
        case cpmMonoDots:
          IsoPointsCell(S, Out, OffX, OffY, x, y, dx, dy, z, values[V.At(ix + 1, iy)],
                        values[V.At(ix, iy + 1)], values[V.At(ix + 1, iy + 1)], kSub, kSub);
          break;
        case cpmColorSurface:
          SurfaceCell(S, Out, OffX, OffY, x, y, dx, dy, z, values[V.At(ix + 1, iy)],
                      values[V.At(ix, iy + 1)], values[V.At(ix + 1, iy + 1)], kSub, kSub);
          break;
        case cpmColorSurfNoIp:
        case cpmColorSurfNoIpTransp: {
          const Integer index = CellIndex(z, S.Low, S.Span, S.Size);
          if (index < 0 || (mode == cpmColorSurfNoIpTransp && index == 0)) break;
          // Each corner kept to the target, as the pixel routines were always handed it.
          const TRect r = PivotRect(x, y, dx, dy, OffX, OffY);
          const TRect& a = Out.Area;
          Out.Cell(std::clamp(r.Left, a.Left, a.Right), std::clamp(r.Bottom, a.Top, a.Bottom),
                   std::clamp(r.Right, a.Left, a.Right), std::clamp(r.Top, a.Top, a.Bottom),
                   S.Colors[static_cast<size_t>(std::max(index, 1))]);
          break;
        }
      }
    }
  }

  // Phase two: what a blackened copy ANDed in, a copy of the mask colours ORed in and a white
  // copy of the inverted pivots XORed in would give: a mask colour replaces what is under its
  // rectangle (the later pivot's colour where rectangles overlap), and every pixel under one
  // or more rectangles of mask 255 is inverted once (by the caller, from Inverted).
  const bool any =
      std::any_of(V.Masks.begin(), V.Masks.end(), [](Byte m) { return m > kMaskHole; });
  for (Integer ix = 1; ix <= nxp; ++ix) {
    if (ix % s == 0) {
      FeedbackProgress(85 + static_cast<Integer>(std::nearbyint(15.0 * ix / nxp)));
      if (!Refresh()) return;
    }
    if (!any) continue;
    for (Integer iy = 1; iy <= nyp; ++iy) {
      const Byte m = V.Masks[V.At(ix, iy)];
      if (m <= kMaskHole) continue;
      const TRect r =
          PivotRect(px[static_cast<size_t>(ix)], py[static_cast<size_t>(iy)], dx, dy, OffX, OffY);
      if (m == kMaskInverted)
        Inverted.push_back(r);
      else
        Out.Cell(r.Left, r.Bottom, r.Right, r.Top, ColorToRGB(FMaskPalette->GetColorElem(m)));
    }
  }
}

void TContourPlot::RenderField(TBitmap* Bitmap, Integer OffX, Integer OffY, const TFieldValues& V) {
  TMemorySink out{TPixelMemory::Of(Bitmap)};
  if (out.Pixels.Empty()) return;  // no pixels, nothing to draw into
  std::vector<TRect> inverted;
  DrawField(
      V, out, OffX, OffY,
      [&] {
        out = TMemorySink{TPixelMemory::Of(Bitmap)};  // the handler may have resized the bitmap
        return !out.Pixels.Empty();
      },
      inverted);
  const TPixelMemory& pixels = out.Pixels;
  if (inverted.empty() || pixels.Empty()) return;
  std::vector<Byte> under(static_cast<size_t>(pixels.Width) * pixels.Height, 0);
  for (const TRect& r : inverted)
    for (Integer y = std::max(r.Top, 0); y <= std::min(r.Bottom, pixels.Height - 1); ++y)
      for (Integer x = std::max(r.Left, 0); x <= std::min(r.Right, pixels.Width - 1); ++x)
        under[static_cast<size_t>(y) * pixels.Width + x] = 1;
  for (Integer y = 0; y < pixels.Height; ++y)
    for (Integer x = 0; x < pixels.Width; ++x)
      if (under[static_cast<size_t>(y) * pixels.Width + x] != 0) pixels.Invert(x, y);
}

void TContourPlot::RenderFieldOnCanvas(TCanvas* Canvas, Integer OffX, Integer OffY,
                                       const TFieldValues& V) {
  const Integer w = FGrafBmp->Width(), h = FGrafBmp->Height();
  if (w < 1 || h < 1) return;
  TCanvasSink out(Canvas, Rect(OffX, OffY, OffX + w - 1, OffY + h - 1));
  std::vector<TRect> inverted;
  DrawField(
      V, out, OffX, OffY, [] { return true; }, inverted);
  if (inverted.empty()) return;
  // A device cannot combine colours with what it holds: the inverted pivots come from the
  // same field drawn into pixels (inverted there), copied piece by piece.
  TBitmap pixels;
  pixels.SetPixelFormat(pf32bit);
  pixels.SetSize(w, h);
  InitGraf(pixels.Canvas(), 0, 0, w, h);
  RenderField(&pixels, 0, 0, V);
  for (const TRect& r : inverted) {
    const TRect a{std::max(r.Left, OffX) - OffX, std::max(r.Top, OffY) - OffY,
                  std::min(r.Right, OffX + w - 1) - OffX + 1,
                  std::min(r.Bottom, OffY + h - 1) - OffY + 1};
    if (a.Right <= a.Left || a.Bottom <= a.Top) continue;
    Canvas->CopyRect(Rect(a.Left + OffX, a.Top + OffY, a.Right + OffX, a.Bottom + OffY),
                     pixels.Canvas(), a);
  }
}

// ---- the data area -----------------------------------------------------------------------------
TContourPlot::TFieldGeometry TContourPlot::CurrentGeometry(const TBitmap* Bitmap) const {
  TFieldGeometry g;
  g.Bitmap = Bitmap;
  TCustomZOdoza::GetTransformParams(1, g.kx, g.dx, g.ky, g.dy);
  g.Width = Bitmap != nullptr ? Bitmap->Width() : -1;
  g.Height = Bitmap != nullptr ? Bitmap->Height() : -1;
  return g;
}

void TContourPlot::Paint() {
  if (FSuppressPaint || IsLoading()) return;
  if (!Visible() && (ComponentState() & csDesigning) == 0) return;
  if (FBuildingField) {
    FRepaintPending = true;
    return;
  }
  ConstructChartBmp(FChartBmp->Canvas());
  // A zoom, a resize or a margin change reached without the plot's own handlers still
  // moves every pivot: the field drawn before no longer fits.
  ResizeGrafBmp();
  if (!(CurrentGeometry(FGrafBmp.get()) == FFieldGeometry)) FInvalidDataBmp = true;
  if (FInvalidDataBmp) InitGraf(FGrafBmp->Canvas(), 0, 0, FGrafBmp->Width(), FGrafBmp->Height());
  ConstructDataBmp(FGrafBmp.get(), 0, 0, false, 0);
  FChartBmp->Canvas()->Draw(RcLRim, RcTRim, FGrafBmp.get());
  DrawFinish(0, 0, FChartBmp.get(), Canvas());
  ShowImage();
  // One more paint for what was asked meanwhile; a field that keeps invalidating itself is
  // left invalid for the next paint rather than rebuilt without end.
  if (FRepaintPending && !FRepainting) {
    FRepainting = true;
    FRepaintPending = false;
    try {
      Paint();
    } catch (...) {
      FRepainting = false;
      throw;
    }
    FRepainting = false;
  }
  FRepaintPending = false;
}

void TContourPlot::ConstructDataBmp(TBitmap* Bitmap, Integer OffX, Integer OffY, bool BlackWhite,
                                    Integer) {
  if (!FPivotMat) return;
  if (Bitmap != FGrafBmp.get()) {
    // A copy: the field the screen shows, into the copy's own pixels.
    DrawCopy(Bitmap->Canvas(), Bitmap, OffX, OffY, BlackWhite);
    return;
  }
  TCanvas* cv = Bitmap->Canvas();
  if (FInvalidDataBmp) {
    FBuildingField = true;
    FInvalidatedWhileBuilding = false;
    try {
      BeforeField(cv, OffX, OffY);
      CalculatePivotPoints(false);
      FShownField = TakeFieldValues();
      RenderField(Bitmap, OffX, OffY, FShownField);
      DrawDisplayList(cv, OffX, OffY, BlackWhite);
      RenderLabels(cv, OffX, OffY);
    } catch (...) {
      FBuildingField = false;
      throw;
    }
    FBuildingField = false;
  }
  if (OnDataRendered) OnDataRendered(this, cv, RcTRim - OffY, RcLRim - OffX);
  FInvalidDataBmp = FInvalidatedWhileBuilding;
  FInvalidatedWhileBuilding = false;
  FFieldGeometry = CurrentGeometry(Bitmap);
  DrawDataFrame(cv, OffX, OffY);
}

void TContourPlot::ConstructDataBmpCanvas(TCanvas* Canvas, Integer OffX, Integer OffY,
                                          bool BlackWhite, Integer) {
  if (!FPivotMat) return;
  DrawCopy(Canvas, nullptr, OffX, OffY, BlackWhite);
}

void TContourPlot::BeforeField(TCanvas* Canvas, Integer OffX, Integer OffY) {
  const TColor brush = Canvas->Brush()->Color(), pen = Canvas->Pen()->Color();
  if (OnBeforeRenderData) OnBeforeRenderData(this, Canvas, RcTRim - OffY, RcLRim - OffX);
  Canvas->Brush()->SetColor(brush);
  Canvas->Pen()->SetColor(pen);
}

void TContourPlot::DrawCopy(TCanvas* Canvas, TBitmap* Pixels, Integer OffX, Integer OffY,
                            bool BlackWhite) {
  BeforeField(Canvas, OffX, OffY);
  // The values behind the screen's field while it fits the chart as it is; else (never painted,
  // invalidated, zoomed or resized since) the pivot pass the next paint would make.
  TFieldValues fresh;
  const bool shown = !FInvalidDataBmp && CurrentGeometry(FGrafBmp.get()) == FFieldGeometry;
  if (!shown) {
    CalculatePivotPoints(false);
    fresh = TakeFieldValues();
  }
  const TFieldValues& values = shown ? FShownField : fresh;
  if (Pixels != nullptr)
    RenderField(Pixels, OffX, OffY, values);
  else
    RenderFieldOnCanvas(Canvas, OffX, OffY, values);
  DrawDisplayList(Canvas, OffX, OffY, BlackWhite);
  RenderLabels(Canvas, OffX, OffY);
  if (OnDataRendered) OnDataRendered(this, Canvas, RcTRim - OffY, RcLRim - OffX);
  DrawDataFrame(Canvas, OffX, OffY);
}

void TContourPlot::RenderLabels(TCanvas* Canvas, Integer OffX, Integer OffY) {
  Canvas->Pen()->SetWidth(1);
  DrawTextLabels(Canvas, OffX, OffY, true);
  FLastBrushCol = Canvas->Brush()->Color();
}
