// Drawing one display-list record onto a canvas: the coordinate modes, the 24 kinds, the render
// cache (canvas attributes set only on change), the 200-point polyline batch with its reduced
// columns, lines cut to a box around the data area, dense runs of line points and marks (long
// ones decoded ahead on worker threads), texts and the duplicate-mark map.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "DOV_zodoza.h"
#include "Threads.h"

namespace {
constexpr TColor kBlack = 0x000000;
constexpr TColor kSilver = 0xC0C0C0;
constexpr TColor kWhite = 0xFFFFFF;
constexpr Integer kMaxDrawPixel = 30000;
constexpr Double kArrowBarbAngle = 0.3490658503988659;  // 20 degrees
constexpr Double kArcAngleUnit = 1e-8;                  // radian per unit of Param1/Param2
constexpr Double kArcRayLength = 1e8;                   // pixels
constexpr Integer kEBarTickHalf = 3;
constexpr Double kMaxTextOffs = 2147483647.0;
constexpr Double kTextReach = 15000;

[[gnu::always_inline]] inline Integer ClampPixel(long long v) {
  return static_cast<Integer>(std::clamp<long long>(v, -kMaxDrawPixel, kMaxDrawPixel));
}

// Halves to even; values beyond the int range end at the clamp.
long long RoundToPixel(Double v) {
  if (!(v == v)) return 0;
  return static_cast<long long>(std::nearbyint(std::clamp(v, -4e18, 4e18)));
}

[[gnu::always_inline]] inline TPoint Clamped(long long x, long long y) { return Point(ClampPixel(x), ClampPixel(y)); }

bool InRange(Double v, Double a, Double b) {
  return a <= b ? (v >= a && v <= b) : (v >= b && v <= a);
}

bool Overlaps(Double lo, Double hi, Double a, Double b) {
  return hi >= std::min(a, b) && lo <= std::max(a, b);
}

bool IsTextKind(TrcItem k) { return k == tkText || k == tkTextOfs; }

// The kinds that make up a line point by point.
bool IsLineKind(TrcItem k) {
  return k == tkLineto || k == tkLineRelPix || k == tkMoveTo || k == tkMoveRelPix ||
         k == tkLineRelPixOrig;
}

// Whether every coordinate the kind reads is a finite number. A record with one that is not
// (a missing value) is not drawn; within a line it leaves a gap.
bool HasFiniteCoordinates(const TrcChartItem& it) {
  const auto ok = [](Double v) { return std::isfinite(v); };
  switch (it.ItemKind) {
    case tkCursorVert: return ok(it.x);
    case tkCursorHoriz: return ok(it.y);
    case tkLine:
    case tkRect:
    case tkRectFrame:
    case tk3DBar:
    case tkTextOfs:
    case tkEllipse:
    case tkArc:
    case tkArrow:
    case tkDoubleArrow:
    case tkMarkEBar:
    case tkLineOffs:
    case tkLineRelPixOrig: return ok(it.x) && ok(it.y) && ok(it.x2) && ok(it.y2);
    default: return ok(it.x) && ok(it.y);
  }
}

// A layer's ranges with their ends sorted, into Out's XMin, XMax, YMin and YMax.
template <class T>
void PutSortedRange(const TScaleProps& X, const TScaleProps& Y, T& Out) {
  Out.XMin = std::min(X.RangeLow(), X.RangeHigh());
  Out.XMax = std::max(X.RangeLow(), X.RangeHigh());
  Out.YMin = std::min(Y.RangeLow(), Y.RangeHigh());
  Out.YMax = std::max(Y.RangeLow(), Y.RangeHigh());
}

// The line's start after a gap: the next point of the line begins it anew.
constexpr Integer kNoLineStart = std::numeric_limits<Integer>::min();

// Coordinate roles of a kind in a mode: which coordinates of the first and second point are
// world coordinates.
struct TRoles {
  bool x1 = true, y1 = true, x2 = true, y2 = true;
};

TRoles RolesOf(TrcItem Kind, TCoordMode Mode) {
  TRoles r;
  const auto both = [&](bool w1, bool w2) {
    r.x1 = r.y1 = w1;
    r.x2 = r.y2 = w2;
  };
  switch (Kind) {
    case tkLine:
    case tkRect:
    case tkRectFrame:
    case tkArrow:
    case tkDoubleArrow:
    case tkLineto:
    case tkText:
    case tkMoveTo:
    case tkCursorVert:
    case tkCursorHoriz:
      switch (Mode) {
        case cmAllWorld: both(true, true); break;
        case cmAllScreen: both(false, false); break;
        case cmWorldMainScreenSec: both(true, false); break;
        case cmScreenMainWorldSec: both(false, true); break;
        case cmXScreenYWorld:
          r.x1 = r.x2 = false;
          r.y1 = r.y2 = true;
          break;
        case cmXWorldYScreen:
          r.x1 = r.x2 = true;
          r.y1 = r.y2 = false;
          break;
      }
      // A single point is world in the "world main" mode, screen in the other.
      if (Kind == tkLineto || Kind == tkText || Kind == tkMoveTo || Kind == tkCursorVert ||
          Kind == tkCursorHoriz) {
        r.x2 = r.x1;
        r.y2 = r.y1;
      }
      break;
    case tkMarkAt: both(Mode == cmAllWorld, Mode == cmAllWorld); break;
    default: break;  // always world
  }
  return r;
}

// The two corners sorted, the larger moved out by one so that both belong to the shape.
TRect InclusiveBox(TPoint a, TPoint b) {
  return Rect(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X) + 1,
              std::max(a.Y, b.Y) + 1);
}

// A dense plot puts hundreds of consecutive points into one pixel column. With a thin solid
// copying pen, whose segments each paint from their start up to but not including their end,
// the vertical segments of such a stretch paint the span of every value but the last (each
// of those starts a segment that paints it) plus the last segment's way towards the exit:
// entry, lowest, highest and exit paint the same pixels, provided the extreme visited last
// differs from the exit (else the run would stop short of it). Equal consecutive points paint
// nothing and are dropped. Out needs room for Count points; returns the number written.
Integer ReduceColumns(const TPoint* Pts, Integer Count, TPoint* Out) {
  Integer n = 0;
  Integer i = 0;
  while (i < Count) {
    const Integer x = Pts[i].X, entry = Pts[i].Y;
    Integer last = entry, lo = 0, hi = 0;
    bool settled = false;  // lo and hi hold every value before the trailing equal ones
    Integer j = i + 1;
    for (; j < Count && Pts[j].X == x; ++j) {
      const Integer y = Pts[j].Y;
      if (y == last) continue;
      if (!settled) {
        lo = hi = last;
        settled = true;
      } else {
        lo = std::min(lo, last);
        hi = std::max(hi, last);
      }
      last = y;
    }
    const auto Put = [&](Integer y) {
      if (n == 0 || Out[n - 1].X != x || Out[n - 1].Y != y) Out[n++] = Point(x, y);
    };
    Put(entry);
    if (settled) {
      // Towards the extreme that is not the exit first when the entry is the other one.
      if (entry == lo && last != hi) {
        Put(hi);
      } else if (entry == hi && last != lo) {
        Put(lo);
      } else if (last == hi) {
        Put(hi);
        Put(lo);
      } else {
        Put(lo);
        Put(hi);
      }
      Put(last);
    }
    i = j;
  }
  return n;
}

[[gnu::always_inline]] inline void SpinPause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// A point in one store: a mark that follows reads the line's last point back whole at once,
// which has to wait when the point went out in two halves.
[[gnu::always_inline]] inline void StoreWhole(TPoint* To, TPoint P) {
  static_assert(sizeof(TPoint) == sizeof(std::uint64_t) && offsetof(TPoint, Y) == 4);
  const std::uint64_t v = static_cast<std::uint32_t>(P.X) |
                          static_cast<std::uint64_t>(static_cast<std::uint32_t>(P.Y)) << 32;
  std::memcpy(static_cast<void*>(To), &v, sizeof v);
}

// Dense runs keep this many line points before they draw (the plain batch is its tail).
constexpr size_t kDenseLineCapacity = 4096;
// Stamped mark pixels gathered before one SetPixels call.
constexpr size_t kMarkPixelBatch = 8192;
// How long the painting thread waits for a block a worker has taken before it decodes the
// block itself (a worker takes some 0.1 ms for a block).
constexpr auto kWorkerGrace = std::chrono::microseconds(50);
// Marks are stamped from a probe this many pixels around the centre; a mark reaching its
// border is drawn the plain way.
constexpr Integer kStampReach = 12;
// Margin of the duplicate-mark map around the data area: the centres of drawn marks lie within
// the layer's range and round to at most one pixel beyond it.
constexpr Integer kMarkMapMargin = 2;
constexpr std::uint32_t kLastGeneration = 0xFFFFFF;
}  // namespace

// ---- render cache
// --------------------------------------------------------------------------------
void TCustomZOdoza::CachePenColor(TCanvas* Canvas, TColor Color) {
  if (Color == FLastPenCol) return;
  FinishPolyLine(Canvas);
  Canvas->Pen()->SetColor(Color);
  FLastPenCol = Color;
}

void TCustomZOdoza::CachePenStyle(TCanvas* Canvas, TPenStyle Style) {
  if (Style == FLastPenStyle) return;
  FinishPolyLine(Canvas);
  Canvas->Pen()->SetStyle(Style);
  FLastPenStyle = Style;
}

void TCustomZOdoza::CacheBrushColor(TCanvas* Canvas, TColor Color) {
  if (Color == FLastBrushCol) return;
  FinishPolyLine(Canvas);
  Canvas->Brush()->SetColor(Color);
  FLastBrushCol = Color;
}

void TCustomZOdoza::SetAvoidDupMarks(bool Value) {
  if (Value == FAvoidDupMarks) return;
  FAvoidDupMarks = Value;
  Paint();
}

void TCustomZOdoza::SetDupMarksMinD(Integer Value) {
  if (Value == FDupMarksMinD) return;
  FDupMarksMinD = std::clamp(Value, 1, 3);
  Paint();
}

// ---- polyline batch --------------------------------------------------------------------------
void TCustomZOdoza::EnterPolyline(Integer x, Integer y, TCanvas* Canvas) {
  if (FNumPPa == 0) FPPa[FNumPPa++] = Point(FLastMoveToX, FLastMoveToY);
  FPPa[FNumPPa++] = Point(x, y);
  if (FNumPPa == kPolylineBatch) {
    FinishPolyLine(Canvas);
    FPPa[FNumPPa++] = Point(x, y);
  }
}

void TCustomZOdoza::FinishPolyLine(TCanvas* Canvas) {
  if (FDense.Open) CloseDenseRun(Canvas);
  if (FNumPPa == 0) return;
  DrawLinePoints(Canvas, FPPa.data(), FNumPPa, LineIsReducible(Canvas));
  const TPoint last = FPPa[FNumPPa - 1];
  Canvas->MoveTo(last.X, last.Y);
  FLastMoveToX = last.X;
  FLastMoveToY = last.Y;
  FNumPPa = 0;
}

// Reduced columns paint what the canvas's thin-line rules paint only on a canvas of pixels (a
// device keeps the figures, and a metafile's or printer's scale would show the difference)
// with a one-pixel solid copying pen.
bool TCustomZOdoza::LineIsReducible(TCanvas* Canvas) const {
  const TPen* pen = Canvas->Pen();
  return FDense.On && pen->Width() <= 1 && pen->Style() == psSolid && pen->Mode() == pmCopy &&
         Canvas->GetPixel(0, 0) != CLR_INVALID;
}

void TCustomZOdoza::DrawLinePoints(TCanvas* Canvas, const TPoint* Pts, Integer Count,
                                   bool Reducible) {
  if (!Reducible || Count < 3) {
    Canvas->Polyline(Pts, Count);
    return;
  }
  std::vector<TPoint>& out = FDense.Scratch;
  out.resize(static_cast<size_t>(Count));
  Integer n = ReduceColumns(Pts, Count, out.data());
  if (n < 2) out[static_cast<size_t>(n++)] = out[0];  // still one call, as for the points
  Canvas->Polyline(out.data(), n);
}

// ---- lines cut to the picture --------------------------------------------------------------
ZOdozaMath::TClipBox TCustomZOdoza::LineClipBox(Integer OrigX, Integer OrigY,
                                                Integer PenWidth) const {
  // Wide pens reach half their width beside the line and (square ends, joins) beyond its end.
  const Double margin = 2.0 * std::max(PenWidth, 1) + 2;
  return ZOdozaMath::TClipBox::Around(OrigX, OrigY, std::max(0, DataWidth()) + 1.0,
                                      std::max(0, DataHeight()) + 1.0, margin);
}

namespace {
// The edges of the box a pixel lies beyond: 1 left, 2 right, 4 top, 8 bottom.
[[gnu::always_inline]] inline int SideOf(long long x, long long y, long long L, long long T,
                                         long long R, long long B) {
  return (x < L ? 1 : 0) | (x > R ? 2 : 0) | (y < T ? 4 : 0) | (y > B ? 8 : 0);
}

TPoint Rounded(TPointDouble P) {
  return Point(static_cast<Integer>(std::nearbyint(P.X)),
               static_cast<Integer>(std::nearbyint(P.Y)));
}
}  // namespace

void TCustomZOdoza::ClippedSegment(TCanvas* Canvas, const ZOdozaMath::TLinePoint& A,
                                   const ZOdozaMath::TLinePoint& B,
                                   const ZOdozaMath::TClipBox& Box) {
  TPointDouble from{}, to{};
  if (!ZOdozaMath::ClipSegment(A, B, Box, from, to)) return;
  const TPoint a = Rounded(from), b = Rounded(to);
  Canvas->MoveTo(a.X, a.Y);
  Canvas->LineTo(b.X, b.Y);
}

void TCustomZOdoza::LineStart(TCanvas* Canvas, const ZOdozaMath::TLinePoint& P,
                              const ZOdozaMath::TClipBox& Box, bool MoveCanvas) {
  const TPointDouble at = P.Position();
  FLineEndOut = !Box.Holds(at.X, at.Y);
  FLineEndAt = P;
  FLineEndSide = ZOdozaMath::SideOfBox(Box, at);
  FLineEndPending = false;
  // Beyond the box the line waits on its edge, at the point nearest to P.
  if (FLineEndOut) FLineStandIn = ZOdozaMath::OntoBox(Box, at);
  const TPoint p = Rounded(FLineEndOut ? FLineStandIn : at);
  if (MoveCanvas) Canvas->MoveTo(p.X, p.Y);
  FLastMoveToX = p.X;
  FLastMoveToY = p.Y;
}

void TCustomZOdoza::LinePointTo(TCanvas* Canvas, const ZOdozaMath::TLinePoint& P,
                                const ZOdozaMath::TClipBox& Box) {
  const TPointDouble at = P.Position();
  const bool inside = Box.Holds(at.X, at.Y);
  if (!FLineEndOut && inside) {
    const TPoint p = Rounded(at);
    EnterPolyline(p.X, p.Y, Canvas);
    return;
  }
  ResolveLineEnd();
  ZOdozaMath::TLinePoint start = FLineEndAt;
  if (!FLineEndOut) {
    const TPoint end = FNumPPa > 0 ? FPPa[FNumPPa - 1] : Point(FLastMoveToX, FLastMoveToY);
    start = ZOdozaMath::TLinePoint::At({static_cast<Double>(end.X), static_cast<Double>(end.Y)});
  }
  TPointDouble from{}, to{};
  const bool shows = ZOdozaMath::ClipSegment(start, P, Box, from, to);
  const auto Enter = [&](TPointDouble Q) {
    const TPoint q = Rounded(Q);
    EnterPolyline(q.X, q.Y, Canvas);
  };
  if (shows && FLineEndOut) {
    // Back into the box: round along its edge from where the line left it.
    TPointDouble corners[4];
    const int n = ZOdozaMath::BoxDetour(Box, FLineStandIn, from, corners);
    for (int k = 0; k < n; ++k) Enter(corners[k]);
    Enter(from);
  }
  if (shows) {
    Enter(to);
    if (!inside) FLineStandIn = to;
  }
  FLineEndOut = !inside;
  FLineEndAt = P;
  FLineEndSide = ZOdozaMath::SideOfBox(Box, at);
}

void TCustomZOdoza::ResolveLineEnd() {
  if (!FLineEndPending) return;
  FLineEndPending = false;
  if (!FLineEndOut) return;
  const TPendingEnd& e = FLineEndItem;
  FLineEndAt = ItemPosition(e.Layer, e.X, e.Y, true, true, false, e.OrigX, e.OrigY);
}

// ---- dense runs ------------------------------------------------------------------------------
// The pixels a shape mark paints, found by drawing it on a probe in the pen a run holds (one
// pixel, solid, copying, solid brush), and where it leaves the pen. A mark that paints in any
// other colour than the pen's, reaches the probe's border or leaves the pen somewhere that
// does not follow its centre is drawn the plain way.
const TCustomZOdoza::TMarkStamp& TCustomZOdoza::MarkStamp(Byte Code) {
  static const TMarkStamp kNone;
  if (Code >= FDense.Stamps.size()) return kNone;
  TMarkStamp& st = FDense.Stamps[Code];
  if (st.Probed) return st;
  st.Probed = true;
  constexpr Integer side = 2 * kStampReach + 1;
  TBitmap probe(side, side);
  TCanvas* c = probe.Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(kWhite);
  c->FillRect(Rect(0, 0, side, side));
  c->Pen()->SetColor(kBlack);
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetMode(pmCopy);
  const TPoint starts[2] = {Point(-1000, -700), Point(-300, -900)};
  TPoint ends[2];
  for (int k = 0; k < 2; ++k) {
    c->MoveTo(starts[k].X, starts[k].Y);
    DrawMarkOnCanvas(c, Code, kStampReach, kStampReach);
    ends[k] = c->PenPos();
  }
  if (ends[0].X == starts[0].X && ends[0].Y == starts[0].Y && ends[1].X == starts[1].X &&
      ends[1].Y == starts[1].Y) {
    st.MovesPen = false;
  } else if (ends[0].X == ends[1].X && ends[0].Y == ends[1].Y) {
    st.MovesPen = true;
    st.PenOffset = Point(ends[0].X - kStampReach, ends[0].Y - kStampReach);
  } else {
    return st;
  }
  std::vector<TPoint> pixels;
  for (Integer y = 0; y < side; ++y)
    for (Integer x = 0; x < side; ++x) {
      const TColor px = c->GetPixel(x, y);
      if (px == kWhite) continue;
      if (px != kBlack || x == 0 || y == 0 || x == side - 1 || y == side - 1) return st;
      pixels.push_back(Point(x - kStampReach, y - kStampReach));
    }
  st.Pixels = std::move(pixels);
  st.Usable = true;
  return st;
}

bool TCustomZOdoza::PrepareDenseRun(TCanvas* Canvas, Integer OrigX, Integer OrigY) {
  TDenseRun& d = FDense;
  d.Ready = false;
  if (OnBeforeRendezOdozaItem) return false;  // it may change anything between two items
  const TPen* pen = Canvas->Pen();
  if (pen->Width() != 1 || pen->Style() != psSolid || pen->Mode() != pmCopy ||
      pen->Color() != FLastPenCol || FLastLWidth != 1 || FLastPenStyle != psSolid ||
      Canvas->Brush()->Style() != bsSolid)
    return false;
  if (Canvas == PrinterCanvas() || Canvas->GetPixel(0, 0) == CLR_INVALID) return false;
  // The run takes line points inside the box lines are cut to, where the limited pixel is the
  // point's own.
  const ZOdozaMath::TClipBox box = LineClipBox(OrigX, OrigY, 1);
  if (!(box.Left > -kMaxDrawPixel && box.Top > -kMaxDrawPixel && box.Right < kMaxDrawPixel &&
        box.Bottom < kMaxDrawPixel))
    return false;
  d.BoxL = static_cast<long long>(box.Left);
  d.BoxT = static_cast<long long>(box.Top);
  d.BoxR = static_cast<long long>(box.Right);
  d.BoxB = static_cast<long long>(box.Bottom);
  d.Canvas = Canvas;
  d.OrigX = OrigX;
  d.OrigY = OrigY;
  d.Layer = 0;
  d.MapX0 = OrigX - kMarkMapMargin;
  d.MapY0 = OrigY - kMarkMapMargin;
  const Integer w = std::max(0, DataWidth()) + 2 * kMarkMapMargin + 1;
  const Integer h = std::max(0, DataHeight()) + 2 * kMarkMapMargin + 1;
  if (w != d.MapW || h != d.MapH) {
    d.MapW = w;
    d.MapH = h;
    d.Marks.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    d.Generation = 0;
  }
  if (d.Line.size() < kDenseLineCapacity) d.Line.resize(kDenseLineCapacity);
  d.Ready = true;
  return true;
}

void TCustomZOdoza::LoadDenseLayer(Integer Layer) {
  TDenseRun& d = FDense;
  d.Layer = Layer;
  PixelAxes(Layer, d.X, d.Y);
  const Integer n = ClampLayer(Layer);
  PutSortedRange(*FScalePropsX[n], *FScalePropsY[n], d);
}

void TCustomZOdoza::OpenDenseRun(TCanvas* Canvas) {
  TDenseRun& d = FDense;
  std::copy(FPPa.begin(), FPPa.begin() + FNumPPa, d.Line.begin());
  d.LineNum = static_cast<size_t>(FNumPPa);
  d.PlainNum = FNumPPa;
  FNumPPa = kBatchInRun;
  d.PlainPen = Canvas->PenPos();
  d.FarPending = false;
  ResolveLineEnd();
  const TPointDouble end = FLineEndAt.Position();
  d.FarSide = FLineEndOut
                  ? SideOf(RoundToPixel(end.X), RoundToPixel(end.Y), d.BoxL, d.BoxT, d.BoxR, d.BoxB)
                  : 0;
  if (++d.Generation > kLastGeneration) {
    std::fill(d.Marks.begin(), d.Marks.end(), 0);
    d.Generation = 1;
  }
  d.Open = true;
}

// Draws the line up to where the plain batch starts (that tail stays, for the plain path to
// draw), or up to its last point when the plain batch is empty.
void TCustomZOdoza::DrawDenseLine(TCanvas* Canvas) {
  TDenseRun& d = FDense;
  const size_t n = d.LineNum;
  if (n < 2) return;
  const size_t cut = d.PlainNum > 0 ? n - static_cast<size_t>(d.PlainNum) : n - 1;
  if (cut < 1) return;
  DrawLinePoints(Canvas, d.Line.data(), static_cast<Integer>(cut + 1), true);
  std::copy(d.Line.begin() + static_cast<std::ptrdiff_t>(cut),
            d.Line.begin() + static_cast<std::ptrdiff_t>(n), d.Line.begin());
  d.LineNum = n - cut;
}

void TCustomZOdoza::CloseDenseRun(TCanvas* Canvas) {
  TDenseRun& d = FDense;
  d.Open = false;
  ResolveDenseLineEnd();
  if (FNumPPa != kBatchInRun) {
    // A construction ended without closing its run (an exception) and the next one has
    // started: as the plain batch, what was left belongs to neither.
    d.LineNum = 0;
    return;
  }
  DrawDenseLine(Canvas);
  const auto tail = d.Line.begin() + static_cast<std::ptrdiff_t>(d.LineNum) - d.PlainNum;
  std::copy(tail, tail + d.PlainNum, FPPa.begin());
  FNumPPa = d.PlainNum;
  Canvas->MoveTo(d.PlainPen.X, d.PlainPen.Y);
  d.LineNum = 0;
}

[[gnu::always_inline]] inline TPoint TCustomZOdoza::DensePixel(const TrcChartItem& It) {
  TLastPixel& last = FLastPixel;
  if (!last.Valid || last.Layer != It.Layer || last.x != It.x || last.y != It.y) {
    const TDenseRun& d = FDense;
    Integer wx = 0, wy = 0;
    if (d.X.Linear && d.Y.Linear) {
      wx = d.X.Pixel(It.x);
      wy = d.Y.Pixel(It.y);
    } else {
      R2M(It.Layer, It.x, It.y, wx, wy);
    }
    last = {true, It.Layer, It.x, It.y, wx, wy};
  }
  return Clamped(static_cast<long long>(last.px) - RcLRim + FDense.OrigX,
                 static_cast<long long>(last.py) - RcTRim + FDense.OrigY);
}

// A line point of the open run at pixel P.
[[gnu::always_inline]] inline void TCustomZOdoza::DenseLinePoint(TCanvas* Canvas, TPoint P) {
  TDenseRun& d = FDense;
  TPoint* const line = d.Line.data();
  size_t n = d.LineNum;
  if (n == 0) line[n++] = Point(FLastMoveToX, FLastMoveToY);
  StoreWhole(line + n++, P);
  d.LineNum = n;
  // The plain batch as EnterPolyline keeps it (its count; the points are the line's tail,
  // a batch restarting at the line's last point); when full it is drawn and restarts at P.
  Integer plain = d.PlainNum == 0 ? 2 : d.PlainNum + 1;
  if (plain == kPolylineBatch) {
    // Without marks in between, the line is that batch: drawn now, call for call.
    if (n == kPolylineBatch) {
      DrawLinePoints(Canvas, line, kPolylineBatch, true);
      line[0] = P;
      d.LineNum = 1;
    }
    d.PlainPen = P;
    FLastMoveToX = P.X;
    FLastMoveToY = P.Y;
    plain = 1;
  }
  d.PlainNum = plain;
  if (d.LineNum == kDenseLineCapacity) DrawDenseLine(Canvas);
}

ZOdozaMath::TLinePoint TCustomZOdoza::DenseFarPosition(Integer Layer, Double x, Double y) const {
  return ItemPosition(Layer, x, y, true, true, false, FDense.OrigX, FDense.OrigY);
}

void TCustomZOdoza::ResolveDenseLineEnd() {
  TDenseRun& d = FDense;
  if (!d.FarPending) return;
  FLineEndAt = DenseFarPosition(d.FarLayer, d.FarX, d.FarY);
  d.FarPending = false;
}

// LinePointTo's steps on the run's line. A stretch beyond one edge of the box shows nothing,
// which the limited pixels tell (limiting keeps a pixel beyond the edges its point lies
// beyond): its far end is worked out only when the line comes back.
void TCustomZOdoza::DenseLineTo(TCanvas* Canvas, TPoint P, bool Far, Integer FarLayer, Double FarX,
                                Double FarY) {
  TDenseRun& d = FDense;
  const int side = SideOf(P.X, P.Y, d.BoxL, d.BoxT, d.BoxR, d.BoxB);
  if (FLineEndOut && (side & d.FarSide) != 0) {
    d.FarSide = side;
    FLineEndSide = side;
    d.FarPending = true;
    d.FarLayer = FarLayer;
    d.FarX = FarX;
    d.FarY = FarY;
    return;
  }
  const ZOdozaMath::TClipBox box{static_cast<Double>(d.BoxL), static_cast<Double>(d.BoxT),
                                 static_cast<Double>(d.BoxR), static_cast<Double>(d.BoxB)};
  ZOdozaMath::TLinePoint start = FLineEndAt;
  if (FLineEndOut) {
    ResolveDenseLineEnd();
    start = FLineEndAt;
  } else {
    const TPoint end = d.LineNum > 0 ? d.Line[d.LineNum - 1] : Point(FLastMoveToX, FLastMoveToY);
    start = ZOdozaMath::TLinePoint::At({static_cast<Double>(end.X), static_cast<Double>(end.Y)});
  }
  const ZOdozaMath::TLinePoint at =
      Far ? DenseFarPosition(FarLayer, FarX, FarY)
          : ZOdozaMath::TLinePoint::At({static_cast<Double>(P.X), static_cast<Double>(P.Y)});
  TPointDouble from{}, to{};
  const bool shows = ZOdozaMath::ClipSegment(start, at, box, from, to);
  if (shows && FLineEndOut) {
    TPointDouble corners[4];
    const int n = ZOdozaMath::BoxDetour(box, FLineStandIn, from, corners);
    for (int k = 0; k < n; ++k) DenseLinePoint(Canvas, Rounded(corners[k]));
    DenseLinePoint(Canvas, Rounded(from));
  }
  if (shows) {
    DenseLinePoint(Canvas, Rounded(to));
    if (side != 0) FLineStandIn = to;
  }
  FLineEndOut = side != 0;
  FLineEndAt = at;
  FLineEndSide = side;
  d.FarSide = side;
  d.FarPending = false;
}

// Whether the run takes a mark of Code; when it does, the plain batch ends as the plain path
// would end it before drawing the mark.
[[gnu::always_inline]] inline bool TCustomZOdoza::DenseMarkTaken(Byte Code) {
  TDenseRun& d = FDense;
  if (Code != d.StampCode) {
    const TMarkStamp& st = MarkStamp(Code);
    if (!st.Usable) return false;
    d.StampCode = Code;
    d.Stamp = &st;
  }
  // The plain path draws its open batch first.
  if (d.PlainNum > 0) {
    const TPoint last = d.Line[d.LineNum - 1];
    d.PlainPen = last;
    FLastMoveToX = last.X;
    FLastMoveToY = last.Y;
    d.PlainNum = 0;
  }
  return true;
}

// A taken mark inside the range, centred on P. While records are decoded ahead its pixels
// wait in MarkPixels (the whole run paints one colour, so when they are set does not matter
// within it).
[[gnu::always_inline]] inline void TCustomZOdoza::DenseMarkAt(TCanvas* Canvas, TPoint P, Byte Code,
                                                              Integer Param3) {
  TDenseRun& d = FDense;
  if (FAvoidDupMarks && MarkIsDuplicate(P.X, P.Y, Param3)) return;
  const TMarkStamp& st = *d.Stamp;
  if (st.MovesPen) d.PlainPen = Point(P.X + st.PenOffset.X, P.Y + st.PenOffset.Y);
  const Integer mx = P.X - d.MapX0, my = P.Y - d.MapY0;
  if (mx >= 0 && mx < d.MapW && my >= 0 && my < d.MapH) {
    std::uint32_t& cell = d.Marks[static_cast<size_t>(mx) * static_cast<size_t>(d.MapH) +
                                  static_cast<size_t>(my)];
    const std::uint32_t key = d.Generation << 8 | Code;
    if (cell == key) return;  // the same mark in the same colour is there already
    cell = key;
  }
  const size_t count = st.Pixels.size();
  if (count == 0) return;
  if (d.MarkPixelNum + count > d.MarkPixels.size()) {
    FlushDenseMarks(Canvas);
    if (d.MarkPixels.size() < std::max(count, kMarkPixelBatch)) {
      d.MarkPixels.resize(std::max(count, kMarkPixelBatch));
    }
  }
  TPoint* const out = d.MarkPixels.data() + d.MarkPixelNum;
  const TPoint* const px = st.Pixels.data();
  for (size_t k = 0; k < count; ++k) out[k] = Point(P.X + px[k].X, P.Y + px[k].Y);
  d.MarkPixelNum += count;
  if (!d.BatchMarks) FlushDenseMarks(Canvas);
}

void TCustomZOdoza::FlushDenseMarks(TCanvas* Canvas) {
  TDenseRun& d = FDense;
  if (d.MarkPixelNum == 0) return;
  const size_t n = d.MarkPixelNum;
  d.MarkPixelNum = 0;
  Canvas->SetPixels(d.MarkPixels.data(), static_cast<int>(n), FLastPenCol);
}

// One line-to or mark item of the open run; false, with nothing changed, when the run cannot
// take it.
[[gnu::always_inline]] inline bool TCustomZOdoza::DenseStep(TCanvas* Canvas, const TrcChartItem& It, bool BlackWhite) {
  TDenseRun& d = FDense;
  const TrcItem kind = It.ItemKind;
  if (kind == tkLineto) {
    if (It.CoordMode != cmAllWorld || (BlackWhite ? kBlack : It.Color) != FLastPenCol ||
        It.LWid != FLastLWidth || It.PenStyle != FLastPenStyle ||
        It.FillColor != FLastBrushCol || FLastMoveToX == kNoLineStart ||
        !std::isfinite(It.x) || !std::isfinite(It.y))
      return false;
    if (It.Layer != d.Layer) LoadDenseLayer(It.Layer);
    const TPoint p = DensePixel(It);
    const bool inside = p.X >= d.BoxL && p.X <= d.BoxR && p.Y >= d.BoxT && p.Y <= d.BoxB;
    if (inside && !FLineEndOut)
      DenseLinePoint(Canvas, p);
    else
      DenseLineTo(Canvas, p, !inside, It.Layer, It.x, It.y);
    return true;
  }
  if (kind != tkMarkAt || It.CoordMode != cmAllWorld) return false;
  if (!std::isfinite(It.x) || !std::isfinite(It.y)) return true;  // the plain path skips it
  if ((BlackWhite ? kBlack : It.Color) != FLastPenCol || It.LWid != FLastLWidth) return false;
  const Byte code = static_cast<Byte>(It.Param3);
  if (!DenseMarkTaken(code)) return false;
  if (It.Layer != d.Layer) LoadDenseLayer(It.Layer);
  if (!(It.x >= d.XMin && It.x <= d.XMax && It.y >= d.YMin && It.y <= d.YMax)) return true;
  DenseMarkAt(Canvas, DensePixel(It), code, It.Param3);
  return true;
}

// The first item of a run, or one met after the list's own record: checks what stays the same
// along the run, opens it and takes the item; false, with the plain state untouched, when the
// plain path must draw it.
bool TCustomZOdoza::StartDenseItem(TCanvas* Canvas, const TrcChartItem& It, bool BlackWhite,
                                   Integer OrigX, Integer OrigY) {
  TDenseRun& d = FDense;
  if (d.Open && FNumPPa != kBatchInRun) CloseDenseRun(Canvas);  // left open: drops it
  if (!d.Ready || !FLastPixel.Valid || Canvas != d.Canvas || OrigX != d.OrigX ||
      OrigY != d.OrigY) {
    if (d.Open) return false;  // the plain path closes the run, the next item starts anew
    if (!PrepareDenseRun(Canvas, OrigX, OrigY)) return false;
  }
  if (d.Open) return DenseStep(Canvas, It, BlackWhite);
  // Whether the run can take the item, before the plain state is handed over to it.
  if (It.ItemKind == tkMarkAt && It.CoordMode == cmAllWorld && std::isfinite(It.x) &&
      std::isfinite(It.y) && !MarkStamp(static_cast<Byte>(It.Param3)).Usable)
    return false;
  const Integer savedNum = FNumPPa;
  const Integer savedX = FLastMoveToX, savedY = FLastMoveToY;
  OpenDenseRun(Canvas);
  if (It.Layer != d.Layer) LoadDenseLayer(It.Layer);
  DensePixel(It);  // a valid last pixel from here on tells a new construction
  if (DenseStep(Canvas, It, BlackWhite)) return true;
  // Not for a run after all: as it was.
  d.Open = false;
  d.LineNum = 0;
  FNumPPa = savedNum;
  FLastMoveToX = savedX;
  FLastMoveToY = savedY;
  return false;
}

// The first stretch of a run is taken here record by record; a run that goes on past it
// continues in DrawDecodedRecords (a short run is not worth the threads).
Integer TCustomZOdoza::DrawDenseRecords(TCanvas* Canvas, Integer From, bool BlackWhite) {
  const TrcChartItem* const list = FData->Container.data();
  const Integer count = FData->Count;
  const Integer lead = FDense.DecodeBlock > 0 ? FDense.DecodeBlock : kDenseSerialLead;
  const Integer leadEnd = count - From > lead ? From + lead : count;
  // The list's own choice of the records it draws (DrawDisplayList); layer visibility asked
  // once per layer change.
  Integer visLayer = std::numeric_limits<Integer>::min();
  bool visible = false;
  Integer i = From;
  try {
    for (; i < leadEnd; ++i) {
      const TrcChartItem& it = list[i];
      if (it.Layer != visLayer) {
        visLayer = it.Layer;
        visible = GetLayerVisib(visLayer);
      }
      if (!visible || !FItClassVisib[it.ItemClass]) continue;
      if (!DenseStep(Canvas, it, BlackWhite)) break;
    }
    if (i == leadEnd && i < count) {
      FDense.BatchMarks = true;
      i = DrawDecodedRecords(Canvas, i, BlackWhite);
      FDense.BatchMarks = false;
      FlushDenseMarks(Canvas);
    }
  } catch (...) {
    FDense.BatchMarks = false;
    FDense.MarkPixelNum = 0;
    throw;
  }
  return i;
}

// ---- decoding ahead -----------------------------------------------------------------------
// Past its first stretch a run's records are decoded by worker threads, block by block into a
// ring of slots, while the painting thread takes the decoded blocks in list order with the
// same steps DenseStep takes. Decoding holds every check that depends on nothing but the
// record and what stays fixed while the run lasts (the pen and brush the run holds, black and
// white, layer and class visibility, coordinate mode, finite coordinates, the layer's range)
// and the pixel; what depends on the run's own progress (mark stamps, the plain batch, the
// duplicate maps) stays on the painting thread, so the picture and the order of the drawing
// calls are those of DenseStep. Decoding a block stops at its first record the run cannot
// take; blocks decoded past it are dropped. The numerics' work pool runs items to completion
// with the caller waiting, so it does not fit a consumer that works alongside.
struct TCustomZOdoza::TDenseDecode {
  enum : std::uint8_t {
    kSkip,      // not drawn by the list, or a mark the plain path skips (no finite point)
    kStop,      // the run cannot take it
    kLine,      // a line point at X, Y
    kMarkOut,   // a mark of Code outside its layer's range
    kMark,      // a mark of Code at X, Y
    kLineMark,  // a line point at X, Y, then a mark of KnownCode that draws nothing
    kLineDup,   // a line point at X, Y, then a mark of DedupCode there, drawn before in the run
    kLineFar,   // a line point beyond the run's box (its position comes from the record)
  };
  struct TLayer {
    bool Visible = false, Linear = false;
    TPixelAxis X, Y;
    Double XMin = 0, XMax = 0, YMin = 0, YMax = 0;
  };

  const TCustomZOdoza& Chart;
  const TrcChartItem* List = nullptr;
  Integer From = 0, End = 0, Block = 0, Blocks = 0, Slots = 0;
  TDenseEntry* Entries = nullptr;  // Slots x Block
  std::vector<Integer> Decoded;    // per slot: entries written (up to the first stop)
  TColor PenCol = 0, BrushCol = 0;
  Integer LWid = 0;
  TPenStyle PenStyle = psSolid;
  bool BlackWhite = false;
  std::array<bool, 256> ClassVisib{};
  std::array<TLayer, kNumLayers + 1> Layers{};
  long long OffX = 0, OffY = 0;
  long long BoxL = 0, BoxT = 0, BoxR = -1, BoxB = -1;  // the line points the run takes
  // Per slot: the block it holds, -1 none, kBusy while one is copied in.
  std::unique_ptr<std::atomic<Integer>[]> Ready;
  static constexpr Integer kBusy = -3;
  TDenseEntry* Spare = nullptr;  // the painting thread's own block; the workers' follow it
  std::atomic<Integer> Next{0};                   // the next block a worker takes
  std::atomic<Integer> Consumed{0};               // blocks the painting thread is done with
  std::atomic<bool> Quit{false};
  std::vector<std::thread> Workers;
  // Marks of this code are thinned (see Decode): the run takes them and duplicates are not
  // looked for around them.
  bool Dedup = false, DedupMovesPen = false;
  std::uint8_t DedupCode = 0;
  // A mark of this code is one the run takes (its stamp is known usable).
  bool Known = false;
  std::uint8_t KnownCode = 0;
  Integer MapX0 = 0, MapY0 = 0, MapW = 0, MapH = 0;

  explicit TDenseDecode(const TCustomZOdoza& C) : Chart(C) {}
  TDenseDecode(const TDenseDecode&) = delete;
  TDenseDecode& operator=(const TDenseDecode&) = delete;
  ~TDenseDecode() { Stop(); }

  void Stop() {
    Quit.store(true);
    Consumed.store(std::numeric_limits<Integer>::max());
    Consumed.notify_all();
    for (std::thread& t : Workers) t.join();
    Workers.clear();
  }

  // The entry of It written field by field into Out (an entry put together first and copied
  // would be stored in parts and read back whole, which stalls); returns its kind.
  [[gnu::always_inline]] std::uint8_t Put(const TrcChartItem& It, TDenseEntry& Out) const {
    const auto Mark = [&Out](std::uint8_t Kind) {
      Out.Kind = Kind;
      return Kind;
    };
    const Integer layer = It.Layer;
    if (layer < 1 || layer > kNumLayers) return Mark(kSkip);
    const TLayer& l = Layers[static_cast<size_t>(layer)];
    if (!l.Visible || !ClassVisib[It.ItemClass]) return Mark(kSkip);
    const TColor col = BlackWhite ? kBlack : It.Color;
    const bool finite = std::isfinite(It.x) && std::isfinite(It.y);
    std::uint8_t kind;
    if (It.ItemKind == tkLineto) {
      if (It.CoordMode != cmAllWorld || col != PenCol || It.LWid != LWid ||
          It.PenStyle != PenStyle || It.FillColor != BrushCol || !finite)
        return Mark(kStop);
      kind = kLine;
    } else {
      if (It.ItemKind != tkMarkAt || It.CoordMode != cmAllWorld) return Mark(kStop);
      if (!finite) return Mark(kSkip);
      if (col != PenCol || It.LWid != LWid) return Mark(kStop);
      Out.Code = static_cast<std::uint8_t>(It.Param3);
      if (!(It.x >= l.XMin && It.x <= l.XMax && It.y >= l.YMin && It.y <= l.YMax))
        return Mark(kMarkOut);
      kind = kMark;
    }
    Integer wx = 0, wy = 0;
    if (l.Linear) {
      wx = l.X.Pixel(It.x);
      wy = l.Y.Pixel(It.y);
    } else {
      Chart.R2M(layer, It.x, It.y, wx, wy);
    }
    Out.X = static_cast<std::int16_t>(ClampPixel(wx + OffX));
    Out.Y = static_cast<std::int16_t>(ClampPixel(wy + OffY));
    if (kind == kLine && !(Out.X >= BoxL && Out.X <= BoxR && Out.Y >= BoxT && Out.Y <= BoxB))
      return Mark(kLineFar);
    return Mark(kind);
  }

  // Marks of DedupCode met in the block so far, a bit per cell of the run's mark map (the words
  // set are listed, so clearing costs what setting did).
  struct TSeen {
    std::vector<std::uint64_t> Bits;
    std::vector<std::uint32_t> Set;
    void Clear() {
      for (const std::uint32_t w : Set) Bits[w] = 0;
      Set.clear();
    }
    // Whether cell C was met before; it is from now on.
    bool Met(size_t C) {
      std::uint64_t& w = Bits[C >> 6];
      const std::uint64_t bit = std::uint64_t{1} << (C & 63);
      if (w & bit) return true;
      if (w == 0) Set.push_back(static_cast<std::uint32_t>(C >> 6));
      w |= bit;
      return false;
    }
  };

  TSeen Own;  // the painting thread's when it decodes itself

  // Block B into its slot, up to its first stop, leaving out what changes nothing for the
  // painting thread: records the list does not draw; a mark that draws nothing right after
  // another mark of its code (the stamp is known and the plain batch is ended already). A mark
  // of DedupCode at a cell where the same mark is drawn earlier in the block draws nothing (the
  // block lies in one run, so the painting thread would find it in its map): it counts only
  // where it leaves the pen, and none of it when its stamp does not move the pen. A mark that
  // draws nothing right after a line point at its pixel, or not moving the pen, joins that
  // point's entry. Into Out, the number of entries into Count; false when told to quit on the
  // way.
  bool Decode(Integer B, TSeen& Seen, TDenseEntry* const out, Integer& Count) {
    const Integer base = From + B * Block;
    const Integer n = std::min(Block, End - base);
    const TrcChartItem* const in = List + base;
    constexpr Integer kQuitCheck = 4096;
    // Records are read ahead of use: at 104 bytes each, a machine whose own prefetching does not
    // keep up waits for memory on nearly every record otherwise (twice as slow on one core).
    constexpr Integer kPrefetchAhead = 16;
    if (Dedup) Seen.Clear();
    Integer w = 0;               // entries written
    bool afterLine = false;      // the last entry written is a line point
    bool afterMark = false;      // the last entry written is a mark ...
    std::uint8_t markCode = 0;   // ... of this code
    // The mark of Code that draws nothing joins the line point written last, as Kind.
    const auto JoinLinePoint = [&](std::uint8_t Kind, std::uint8_t Code) {
      out[w - 1].Kind = Kind;
      out[w - 1].Code = Code;
      afterLine = false;
      afterMark = true;
      markCode = Code;
    };
    Integer k = 0;
    for (Integer part = 0; k < n; part += kQuitCheck) {
      if (Quit.load(std::memory_order_relaxed)) return false;
      const Integer partEnd = std::min(n, part + kQuitCheck);
      for (; k < partEnd; ++k) {
        if (k + kPrefetchAhead < n) {
          const char* const ahead = reinterpret_cast<const char*>(in + k + kPrefetchAhead);
          __builtin_prefetch(ahead);
          __builtin_prefetch(ahead + 64);
        }
        TDenseEntry& o = out[w];
        std::uint8_t kind = Put(in[k], o);
        if (kind == kSkip) continue;
        o.Offset = static_cast<std::uint16_t>(k);
        if (kind == kMark && Dedup && o.Code == DedupCode) {
          const Integer mx = o.X - MapX0, my = o.Y - MapY0;
          if (mx >= 0 && mx < MapW && my >= 0 && my < MapH &&
              Seen.Met(static_cast<size_t>(mx) * static_cast<size_t>(MapH) +
                       static_cast<size_t>(my))) {
            if (afterLine && out[w - 1].X == o.X && out[w - 1].Y == o.Y) {
              JoinLinePoint(kLineDup, o.Code);
              continue;
            }
            // Where the mark leaves the pen counts even when it draws nothing.
            if (!DedupMovesPen) kind = o.Kind = kMarkOut;
          }
        }
        if (kind == kMarkOut) {
          if (afterMark && o.Code == markCode) continue;
          if (afterLine && Known && o.Code == KnownCode) {
            // One entry for the plot's usual pair.
            JoinLinePoint(kLineMark, o.Code);
            continue;
          }
        }
        ++w;
        if (kind == kStop) {
          Count = w;
          return true;
        }
        afterLine = kind == kLine;
        afterMark = !afterLine;
        markCode = o.Code;
      }
    }
    Count = w;
    return true;
  }

  static void Size(TSeen& Seen, Integer W, Integer H) {
    if (Seen.Bits.empty())
      Seen.Bits.assign((static_cast<size_t>(W) * static_cast<size_t>(H) + 63) / 64, 0);
  }

  TDenseEntry* SlotEntries(Integer Slot) const {
    return Entries + static_cast<size_t>(Slot) * static_cast<size_t>(Block);
  }

  // Blocks are taken in order, by the workers and by the painting thread alike, and only
  // while the painting thread is done with the last block in the slot.
  bool Claim(Integer B) { return Next.compare_exchange_strong(B, B + 1); }

  // Workers decode into a block of their own and copy the result into the block's slot;
  // the painting thread decodes into its own and reads it there.
  void Work(Integer Index) {
    TSeen seen;
    if (Dedup) Size(seen, MapW, MapH);
    TDenseEntry* const mine = SlotEntries(Slots + 1 + Index);
    for (;;) {
      const Integer c = Consumed.load(std::memory_order_acquire);
      if (Quit.load(std::memory_order_relaxed)) return;
      const Integer b = Next.load();
      if (b >= Blocks) return;
      if (b >= c + Slots) {  // its slot still holds a block the painting thread needs
        Consumed.wait(c);
        continue;
      }
      if (!Claim(b)) continue;
      Integer count = 0;
      if (!Decode(b, seen, mine, count)) return;
      Publish(b, mine, count);
    }
  }

  // Block B into its slot, unless the painting thread is past it (it did not wait for this
  // worker). A worker late with an earlier block of the slot may try at the same time: the
  // slot's Ready, set to kBusy while a block is copied in, lets one in at a time, and a block
  // is never copied over a later one.
  void Publish(Integer B, const TDenseEntry* From, Integer Count) {
    const size_t slot = static_cast<size_t>(B % Slots);
    std::atomic<Integer>& ready = Ready[slot];
    for (int spins = 0;; ++spins) {
      if (Consumed.load(std::memory_order_acquire) > B || Quit.load(std::memory_order_relaxed))
        return;
      Integer r = ready.load(std::memory_order_acquire);
      if (r >= B) return;
      if (r == kBusy) {
        SpinPause();
        if (spins > 1000) std::this_thread::yield();
        continue;
      }
      if (ready.compare_exchange_weak(r, kBusy, std::memory_order_acq_rel)) break;
    }
    std::copy(From, From + Count, SlotEntries(static_cast<Integer>(slot)));
    Decoded[slot] = Count;
    ready.store(B, std::memory_order_release);
  }

  // The decoded block B; its number of entries in Count. The painting thread decodes it
  // itself when no worker has taken it yet, and when the worker that has it does not finish
  // soon (it may have lost its processor for a while), so it never waits long.
  const TDenseEntry* Take(Integer B, Integer& Count) {
    const size_t slot = static_cast<size_t>(B % Slots);
    std::atomic<Integer>& ready = Ready[slot];
    if (ready.load(std::memory_order_acquire) != B) {
      bool own = Claim(B);
      if (!own) {
        const auto until = std::chrono::steady_clock::now() + kWorkerGrace;
        while (ready.load(std::memory_order_acquire) != B) {
          for (int k = 0; k < 64; ++k) SpinPause();
          if (std::chrono::steady_clock::now() > until) {
            own = true;
            break;
          }
        }
      }
      if (own) {
        if (Dedup) Size(Own, MapW, MapH);
        Decode(B, Own, Spare, Count);
        return Spare;
      }
    }
    Count = Decoded[slot];
    return SlotEntries(static_cast<Integer>(slot));
  }

  void Done(Integer B) {
    Consumed.store(B + 1, std::memory_order_release);
    if (!Workers.empty()) Consumed.notify_all();
  }
};

namespace {
// Threads for decoding when no test chose: the machine's, at most four (beyond that the
// painting thread is the bottleneck).
Integer DecodeThreadsOfMachine() {
  return std::clamp<Integer>(ProcessorCount(), 1, 4);
}
}  // namespace

Integer TCustomZOdoza::DrawDecodedRecords(TCanvas* Canvas, Integer From, bool BlackWhite) {
  TDenseRun& d = FDense;
  const Integer end = FData->Count;
  if (From >= end) return end;
  TDenseDecode dec(*this);
  dec.List = FData->Container.data();
  dec.From = From;
  dec.End = end;
  dec.Block = d.DecodeBlock > 0 ? std::min(d.DecodeBlock, kMaxDenseDecodeBlock) : kDenseDecodeBlock;
  dec.Blocks = (end - From - 1) / dec.Block + 1;
  const Integer threads = d.DecodeThreads > 0 ? d.DecodeThreads : DecodeThreadsOfMachine();
  const Integer workers = std::min(threads - 1, dec.Blocks);
  dec.Slots = workers == 0 ? 1 : std::min(dec.Blocks, 2 * workers + 2);
  const size_t room =
      static_cast<size_t>(dec.Slots + 1 + workers) * static_cast<size_t>(dec.Block);
  if (d.DecodeSlots.size() < room) d.DecodeSlots.resize(room);
  dec.Entries = d.DecodeSlots.data();
  dec.Decoded.assign(static_cast<size_t>(dec.Slots), 0);
  dec.Spare = dec.SlotEntries(dec.Slots);
  dec.Ready = std::make_unique<std::atomic<Integer>[]>(static_cast<size_t>(dec.Slots));
  for (Integer k = 0; k < dec.Slots; ++k) {
    dec.Ready[static_cast<size_t>(k)].store(-1);
  }
  dec.PenCol = FLastPenCol;
  dec.BrushCol = FLastBrushCol;
  dec.LWid = FLastLWidth;
  dec.PenStyle = FLastPenStyle;
  dec.BlackWhite = BlackWhite;
  dec.ClassVisib = FItClassVisib;
  for (Integer n = 1; n <= kNumLayers; ++n) {
    TDenseDecode::TLayer& l = dec.Layers[static_cast<size_t>(n)];
    l.Visible = GetLayerVisib(n);
    PixelAxes(n, l.X, l.Y);
    l.Linear = l.X.Linear && l.Y.Linear;
    PutSortedRange(*FScalePropsX[n], *FScalePropsY[n], l);
  }
  dec.Dedup = !FAvoidDupMarks && d.Stamp != nullptr && d.StampCode >= 0;
  dec.DedupMovesPen = dec.Dedup && d.Stamp->MovesPen;
  dec.DedupCode = static_cast<std::uint8_t>(d.StampCode);
  dec.Known = d.Stamp != nullptr && d.StampCode >= 0;
  dec.KnownCode = dec.DedupCode;
  dec.MapX0 = d.MapX0;
  dec.MapY0 = d.MapY0;
  dec.MapW = d.MapW;
  dec.MapH = d.MapH;
  dec.BoxL = d.BoxL;
  dec.BoxT = d.BoxT;
  dec.BoxR = d.BoxR;
  dec.BoxB = d.BoxB;
  dec.OffX = static_cast<long long>(d.OrigX) - RcLRim;
  dec.OffY = static_cast<long long>(d.OrigY) - RcTRim;
  // A thread that cannot be had leaves its share to the others, or to this one.
  try {
    for (Integer w = 0; w < workers; ++w) dec.Workers.emplace_back([&dec, w] { dec.Work(w); });
  } catch (const std::system_error&) {
    // Fewer workers, or none: this thread takes the blocks they leave.
  }

  const TrcChartItem* const list = FData->Container.data();
  // A line point inside the box; cut to it when the line comes back from beyond.
  const auto LinePoint = [&](const TDenseEntry& En) {
    if (FLineEndOut)
      DenseLineTo(Canvas, Point(En.X, En.Y), false, 0, 0, 0);
    else
      DenseLinePoint(Canvas, Point(En.X, En.Y));
  };
  Integer lastPixel = -1;  // the last record whose pixel the run used
  Integer stop = end;
  for (Integer b = 0; b < dec.Blocks && stop == end; ++b) {
    Integer n = 0;
    const TDenseEntry* const e = dec.Take(b, n);
    const Integer base = From + b * dec.Block;
    for (Integer k = 0; k < n; ++k) {
      const TDenseEntry en = e[k];
      const Integer at = base + en.Offset;
      switch (en.Kind) {
        case TDenseDecode::kLine:
          if (FLastMoveToX == kNoLineStart) break;
          LinePoint(en);
          lastPixel = at;
          continue;
        case TDenseDecode::kLineFar:
          if (FLastMoveToX == kNoLineStart) break;
          DenseLineTo(Canvas, Point(en.X, en.Y), true, list[at].Layer, list[at].x, list[at].y);
          lastPixel = at;
          continue;
        case TDenseDecode::kMarkOut:
          if (!DenseMarkTaken(en.Code)) break;
          continue;
        case TDenseDecode::kLineMark:
          if (FLastMoveToX == kNoLineStart) break;
          LinePoint(en);
          DenseMarkTaken(en.Code);  // a known code: taken
          lastPixel = at;
          continue;
        case TDenseDecode::kLineDup:
          if (FLastMoveToX == kNoLineStart) break;
          LinePoint(en);
          DenseMarkTaken(en.Code);
          if (d.Stamp->MovesPen) {
            d.PlainPen = Point(en.X + d.Stamp->PenOffset.X, en.Y + d.Stamp->PenOffset.Y);
          }
          lastPixel = at;
          continue;
        case TDenseDecode::kMark:
          if (!DenseMarkTaken(en.Code)) break;
          DenseMarkAt(Canvas, Point(en.X, en.Y), en.Code,
                      FAvoidDupMarks ? list[at].Param3 : en.Code);
          lastPixel = at;
          continue;
        default: break;
      }
      stop = at;
      break;
    }
    dec.Done(b);
  }
  dec.Stop();
  // As DensePixel leaves it after the last point it placed.
  if (lastPixel >= 0) {
    const TrcChartItem& it = list[lastPixel];
    Integer wx = 0, wy = 0;
    R2M(it.Layer, it.x, it.y, wx, wy);
    FLastPixel = {true, it.Layer, it.x, it.y, wx, wy};
  }
  return stop;
}

Integer TCustomZOdoza::CalcTextExtents(const String& Text, TCanvas* Canvas, Integer& Width,
                                       Integer& TotalHeight, Integer& LineHeight) const {
  Integer lines = 1;
  Width = 0;
  size_t start = 0;
  for (;;) {
    const size_t lf = Text.find('\n', start);
    const String line = Text.substr(start, lf == String::npos ? String::npos : lf - start);
    Width = std::max(Width, Canvas->TextWidth(line));
    if (lf == String::npos) break;
    ++lines;
    start = lf + 1;
  }
  if (Width == 0) Width = Canvas->TextWidth(Text);
  LineHeight = Canvas->TextHeight(Text) + 1;
  TotalHeight = lines * LineHeight;
  return lines;
}

// ---- positions -------------------------------------------------------------------------------
ZOdozaMath::TLinePoint TCustomZOdoza::ItemPosition(Integer Layer, Double x, Double y, bool XWorld,
                                                   bool YWorld, bool ScreenFromOrigin,
                                                   Integer OrigX, Integer OrigY) const {
  const TPoint p = ItemPixel(Layer, x, y, XWorld, YWorld, ScreenFromOrigin, OrigX, OrigY);
  // A position the pixel was limited at keeps its exact transform, on both axes alike, so that
  // the line between two such ends is found from their world coordinates.
  const bool limited = p.X == -kMaxDrawPixel || p.X == kMaxDrawPixel || p.Y == -kMaxDrawPixel ||
                       p.Y == kMaxDrawPixel;
  if (!limited)
    return ZOdozaMath::TLinePoint::At({static_cast<Double>(p.X), static_cast<Double>(p.Y)});
  ZOdozaMath::TLinePoint at;
  if (XWorld || YWorld) R2MTransform(Layer, x, y, at);
  if (XWorld) {
    at.DX += OrigX - RcLRim;
  } else {
    at.U = static_cast<long double>(x) + (ScreenFromOrigin ? OrigX : 0);
    at.KX = 1;
    at.DX = 0;
  }
  if (YWorld) {
    at.DY += OrigY - RcTRim;
  } else {
    at.V = static_cast<long double>(y) + (ScreenFromOrigin ? OrigY : 0);
    at.KY = 1;
    at.DY = 0;
  }
  return at;
}

TPoint TCustomZOdoza::ItemPixel(Integer Layer, Double x, Double y, bool XWorld, bool YWorld,
                                bool ScreenFromOrigin, Integer OrigX, Integer OrigY) const {
  long long px = 0, py = 0;
  if (XWorld || YWorld) {
    TLastPixel& last = FLastPixel;
    if (!last.Valid || last.Layer != Layer || last.x != x || last.y != y) {
      R2M(Layer, x, y, last.px, last.py);
      last = {true, Layer, x, y, last.px, last.py};
    }
    const Integer wx = last.px, wy = last.py;
    px = static_cast<long long>(wx) - RcLRim + OrigX;
    py = static_cast<long long>(wy) - RcTRim + OrigY;
  }
  if (!XWorld) px = RoundToPixel(x) + (ScreenFromOrigin ? OrigX : 0);
  if (!YWorld) py = RoundToPixel(y) + (ScreenFromOrigin ? OrigY : 0);
  return Clamped(px, py);
}

bool TCustomZOdoza::MarkIsDuplicate(Integer px, Integer py, Integer Code) {
  const Integer d = FDupMarksMinD;
  const Integer cols = static_cast<Integer>(FPixMap.size());
  const auto cell = [&](Integer cx, Integer cy) -> Integer* {
    if (cx < 0 || cx >= cols) return nullptr;
    auto& column = FPixMap[cx];
    if (cy < 0 || cy >= static_cast<Integer>(column.size())) return nullptr;
    return &column[cy];
  };
  if (const Integer* c = cell(px + d, py + d); c != nullptr && *c == Code) return true;
  for (Integer cx = px; cx <= px + 2 * d; ++cx)
    for (Integer cy = py; cy <= py + 2 * d; ++cy)
      if (Integer* c = cell(cx, cy)) *c = Code;
  return false;
}

// ---- one record --------------------------------------------------------------------------------
void TCustomZOdoza::DrawItemOnCanvas(TCanvas* Canvas, const TrcChartItem& Item, Integer Index,
                                     bool IsAnnotation, const TLongTextArray& LongTexts,
                                     bool BlackWhite, Integer OrigX, Integer OrigY) {
  if (FDense.On && (Item.ItemKind == tkLineto || Item.ItemKind == tkMarkAt) &&
      StartDenseItem(Canvas, Item, BlackWhite, OrigX, OrigY)) {
    return;
  }
  // Anything else may change the canvas, the transforms or the ranges: a run ends here.
  if (FDense.Open) CloseDenseRun(Canvas);
  FDense.Ready = false;
  const TrcChartItem it = Item;
  const TrcItem kind = it.ItemKind;
  if (!HasFiniteCoordinates(it)) {
    if (IsLineKind(kind)) {
      FinishPolyLine(Canvas);
      FLastMoveToX = kNoLineStart;
      FLineEndOut = false;
    }
    return;
  }
  const TColor penCol = BlackWhite ? kBlack : it.Color;
  const TColor textBack = BlackWhite ? kWhite : it.FillColor;
  const TColor fillCol = BlackWhite ? kSilver : it.FillColor;
  if (it.LWid != FLastLWidth && !IsTextKind(kind)) {
    FinishPolyLine(Canvas);
    Canvas->Pen()->SetWidth(it.LWid);
    FLastLWidth = it.LWid;
  }
  const TRoles roles = RolesOf(kind, it.CoordMode);
  const bool fromOrigin = kind == tkMarkAt || kind == tkLine || kind == tkRectFrame;
  const auto P1 = [&] {
    return ItemPixel(it.Layer, it.x, it.y, roles.x1, roles.y1, fromOrigin, OrigX, OrigY);
  };
  const auto P2 = [&] {
    return ItemPixel(it.Layer, it.x2, it.y2, roles.x2, roles.y2, fromOrigin, OrigX, OrigY);
  };
  const auto World = [&](Double x, Double y) {
    return ItemPixel(it.Layer, x, y, true, true, false, OrigX, OrigY);
  };
  // Unlimited positions, for lines: they are cut to a box around the data area instead.
  const auto Pos1 = [&] {
    return ItemPosition(it.Layer, it.x, it.y, roles.x1, roles.y1, fromOrigin, OrigX, OrigY);
  };
  const auto Pos2 = [&] {
    return ItemPosition(it.Layer, it.x2, it.y2, roles.x2, roles.y2, fromOrigin, OrigX, OrigY);
  };
  const auto WorldPos = [&](Double x, Double y) {
    return ItemPosition(it.Layer, x, y, true, true, false, OrigX, OrigY);
  };
  const auto Offset = [](ZOdozaMath::TLinePoint p, Double dx, Double dy) {
    p.DX += dx;
    p.DY += dy;
    return p;
  };
  const auto Same = [](const ZOdozaMath::TLinePoint& a, const ZOdozaMath::TLinePoint& b) {
    return a.X() == b.X() && a.Y() == b.Y();
  };
  const auto Limited = [](const ZOdozaMath::TLinePoint& p) {
    const TPointDouble q = p.Position();
    return Clamped(RoundToPixel(q.X), RoundToPixel(q.Y));
  };
  // Pen, style and brush of the outline-and-fill kinds.
  const auto ShapeStyle = [&](TColor Fill, bool Hollow) {
    CachePenColor(Canvas, penCol);
    CachePenStyle(Canvas, it.PenStyle);
    CacheBrushColor(Canvas, Fill);
    Canvas->Brush()->SetStyle(Hollow ? bsClear : bsSolid);
  };
  const auto Dot = [&](TPoint p) { Canvas->SetPixel(p.X, p.Y, FLastPenCol); };
  const auto Segment = [&](TPoint a, TPoint b) {
    Canvas->MoveTo(a.X, a.Y);
    Canvas->LineTo(b.X, b.Y);
  };
  const auto Box = [&](TPoint a, TPoint b, bool Hollow) {
    ShapeStyle(fillCol, Hollow);
    if (a.X == b.X && a.Y == b.Y) {
      Dot(a);
    } else {
      const TRect r = InclusiveBox(a, b);
      Canvas->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
    }
    Canvas->Brush()->SetStyle(bsSolid);
  };

  // Figures that reach beyond the picture: a position limited to -30000 ... 30000 is worked
  // out again and cut to the box around the data area (widened by Reach), which keeps the
  // part of the figure inside the picture where it is.
  const auto IsLimited = [](TPoint p) {
    return std::abs(p.X) == kMaxDrawPixel || std::abs(p.Y) == kMaxDrawPixel;
  };
  const auto OntoPicture = [&](const ZOdozaMath::TLinePoint& p, Double ReachX, Double ReachY) {
    const ZOdozaMath::TClipBox pic = LineClipBox(OrigX, OrigY, FLastLWidth);
    const long double x = std::clamp<long double>(p.X(), pic.Left - ReachX, pic.Right + ReachX);
    const long double y = std::clamp<long double>(p.Y(), pic.Top - ReachY, pic.Bottom + ReachY);
    return Point(static_cast<Integer>(std::nearbyint(x)), static_cast<Integer>(std::nearbyint(y)));
  };
  const auto Corner = [&](TPoint p, const ZOdozaMath::TLinePoint& exact, Double ReachX,
                          Double ReachY) {
    return IsLimited(p) ? OntoPicture(exact, ReachX, ReachY) : p;
  };

  if (kind != tkLineto && kind != tkLineRelPix && kind != tkMoveRelPix) FinishPolyLine(Canvas);

  switch (kind) {
    case tkNone:
    case tkEverything:
    case tkNotMoveTo: break;

    case tkMarkAt: {
      bool inside;
      if (roles.x1) {
        const TScaleProps* sx = FScalePropsX[ClampLayer(it.Layer)].get();
        const TScaleProps* sy = FScalePropsY[ClampLayer(it.Layer)].get();
        inside = InRange(it.x, sx->RangeLow(), sx->RangeHigh()) &&
                 InRange(it.y, sy->RangeLow(), sy->RangeHigh());
      } else {
        inside = it.x >= 0 && it.x <= Width() - RcRRim - RcLRim && it.y >= 0 &&
                 it.y <= Height() - RcBRim - RcTRim;
      }
      if (!inside) break;
      const TPoint p = P1();
      if (FAvoidDupMarks && MarkIsDuplicate(p.X, p.Y, it.Param3)) break;
      CachePenColor(Canvas, penCol);
      DrawMarkOnCanvas(Canvas, static_cast<Byte>(it.Param3), p.X, p.Y);
      break;
    }

    case tkLine:
    case tkLineOffs: {
      CachePenColor(Canvas, penCol);
      CachePenStyle(Canvas, it.PenStyle);
      CacheBrushColor(Canvas, it.FillColor);
      ZOdozaMath::TLinePoint a, b;
      if (kind == tkLine) {
        a = Pos1();
        b = Pos2();
      } else {
        a = Offset(WorldPos(it.x, it.y), it.Param1, it.Param2);
        b = Offset(WorldPos(it.x2, it.y2), it.Param1, it.Param2);
      }
      if (Same(a, b))
        Dot(Limited(a));
      else
        ClippedSegment(Canvas, a, b, LineClipBox(OrigX, OrigY, FLastLWidth));
      break;
    }

    case tkLineto:
    case tkLineRelPix: {
      CachePenColor(Canvas, penCol);
      CachePenStyle(Canvas, it.PenStyle);
      CacheBrushColor(Canvas, it.FillColor);
      if (kind == tkLineto && FLineEndOut && FLastMoveToX != kNoLineStart && roles.x1 && roles.y1) {
        // Beyond an edge the line's end lies beyond as well: nothing shows (the limited pixel
        // lies beyond the edges its point lies beyond).
        const TPoint q = P1();
        const int side =
            ZOdozaMath::SideOfBox(LineClipBox(OrigX, OrigY, FLastLWidth),
                                  {static_cast<Double>(q.X), static_cast<Double>(q.Y)});
        if ((side & FLineEndSide) != 0) {
          FLineEndPending = true;
          FLineEndItem = {it.Layer, it.x, it.y, OrigX, OrigY};
          FLineEndSide = side;
          break;
        }
      }
      ZOdozaMath::TLinePoint p;
      if (kind == tkLineto) {
        p = Pos1();
      } else {
        const TPoint pos = Canvas->PenPos();
        p = Offset({static_cast<Double>(pos.X), static_cast<Double>(pos.Y)},
                   static_cast<Double>(RoundToPixel(it.x)),
                   static_cast<Double>(RoundToPixel(it.y)));
      }
      const ZOdozaMath::TClipBox box = LineClipBox(OrigX, OrigY, FLastLWidth);
      if (FLastMoveToX == kNoLineStart) {
        LineStart(Canvas, p, box, true);
        break;
      }
      LinePointTo(Canvas, p, box);
      break;
    }

    case tkMoveTo:
    case tkMoveRelPix: {
      ZOdozaMath::TLinePoint p;
      if (kind == tkMoveTo) {
        p = Pos1();
      } else {
        const TPoint pos = Canvas->PenPos();
        p = Offset({static_cast<Double>(pos.X), static_cast<Double>(pos.Y)},
                   static_cast<Double>(RoundToPixel(it.x)),
                   static_cast<Double>(RoundToPixel(it.y)));
        FinishPolyLine(Canvas);
      }
      LineStart(Canvas, p, LineClipBox(OrigX, OrigY, FLastLWidth), true);
      break;
    }

    case tkLineRelPixOrig: {
      CachePenColor(Canvas, penCol);
      CachePenStyle(Canvas, it.PenStyle);
      CacheBrushColor(Canvas, it.FillColor);
      const ZOdozaMath::TLinePoint s = WorldPos(it.x, it.y);
      const ZOdozaMath::TClipBox box = LineClipBox(OrigX, OrigY, FLastLWidth);
      LineStart(Canvas, s, box, false);
      LinePointTo(Canvas,
                  Offset(s, static_cast<Double>(RoundToPixel(it.x2)),
                         static_cast<Double>(RoundToPixel(it.y2))),
                  box);
      break;
    }

    case tkRect: Box(Corner(P1(), Pos1(), 0, 0), Corner(P2(), Pos2(), 0, 0), it.Transp != 0); break;

    case tkEllipse:
    case tkArc: {
      const TPoint a = World(it.x - it.x2, it.y + it.y2);
      const TPoint b = World(it.x + it.x2, it.y - it.y2);
      if (kind == tkEllipse)
        ShapeStyle(fillCol, it.Transp != 0);
      else
        ShapeStyle(fillCol, true);
      if (IsLimited(a) || IsLimited(b)) {
        // Larger than the canvas takes: the part in the picture, from the exact centre and
        // half axes.
        const ZOdozaMath::TLinePoint pa = WorldPos(it.x - it.x2, it.y + it.y2),
                                     pb = WorldPos(it.x + it.x2, it.y - it.y2);
        const auto x0 = static_cast<Double>((pa.X() + pb.X()) / 2),
                   y0 = static_cast<Double>((pa.Y() + pb.Y()) / 2),
                   rx = static_cast<Double>(std::fabs(pb.X() - pa.X()) / 2),
                   ry = static_cast<Double>(std::fabs(pb.Y() - pa.Y()) / 2);
        const ZOdozaMath::TClipBox pic = LineClipBox(OrigX, OrigY, FLastLWidth);
        if (!(rx >= 0.5 && ry >= 0.5)) {  // flat: the line across it
          ClippedSegment(Canvas, ZOdozaMath::TLinePoint::At({x0 - rx, y0 - ry}),
                         ZOdozaMath::TLinePoint::At({x0 + rx, y0 + ry}), pic);
          Canvas->Brush()->SetStyle(bsSolid);
          break;
        }
        Double t0 = 0, sweep = 2 * M_PI;
        if (kind == tkArc) {
          // The angles of the rays through the ends, as the canvas takes them: on the ellipse
          // stretched to a circle.
          const Double a1 = it.Param1 * kArcAngleUnit, a2 = it.Param2 * kArcAngleUnit;
          const auto Angle = [&](Double a) {
            const Double t =
                std::atan2(std::sin(a) / std::max(ry, 0.5), std::cos(a) / std::max(rx, 0.5));
            return t < 0 ? t + 2 * M_PI : t;
          };
          t0 = Angle(a1);
          sweep = std::fmod(Angle(a2) - t0 + 4 * M_PI, 2 * M_PI);
          if (!(sweep > 0)) sweep = 2 * M_PI;
        } else if (it.Transp == 0) {
          ZOdozaMath::ClippedDisc(Canvas, pic, x0, y0, rx, ry);
        }
        if (it.PenStyle != psClear) ZOdozaMath::ClippedArc(Canvas, pic, x0, y0, rx, -ry, t0, sweep);
        Canvas->Brush()->SetStyle(bsSolid);
        break;
      }
      if (a.X == b.X && a.Y == b.Y) {
        Dot(a);
      } else {
        const TRect r = InclusiveBox(a, b);
        if (kind == tkEllipse) {
          Canvas->Ellipse(r.Left, r.Top, r.Right, r.Bottom);
        } else {
          const TPoint c = World(it.x, it.y);
          const Double a1 = it.Param1 * kArcAngleUnit, a2 = it.Param2 * kArcAngleUnit;
          Canvas->Arc(r.Left, r.Top, r.Right, r.Bottom,
                      c.X + static_cast<int>(RoundToPixel(std::cos(a1) * kArcRayLength)),
                      c.Y - static_cast<int>(RoundToPixel(std::sin(a1) * kArcRayLength)),
                      c.X + static_cast<int>(RoundToPixel(std::cos(a2) * kArcRayLength)),
                      c.Y - static_cast<int>(RoundToPixel(std::sin(a2) * kArcRayLength)));
        }
      }
      Canvas->Brush()->SetStyle(bsSolid);
      break;
    }

    case tkRectRelPix: {
      const TPoint c = World(it.x, it.y);
      Box(Clamped(static_cast<long long>(c.X) - it.Param1, static_cast<long long>(c.Y) - it.Param2),
          Clamped(static_cast<long long>(c.X) + it.Param1, static_cast<long long>(c.Y) + it.Param2),
          it.Transp != 0);
      break;
    }

    case tkRectFrame: {
      const TPoint a = Corner(P1(), Pos1(), 0, 0), b = Corner(P2(), Pos2(), 0, 0);
      const TColor frameFill = BlackWhite ? kSilver : it.FillColor;
      CachePenColor(Canvas, frameFill);
      CachePenStyle(Canvas, psSolid);
      CacheBrushColor(Canvas, frameFill);
      Canvas->Brush()->SetStyle(bsSolid);
      if (a.X == b.X && a.Y == b.Y) {
        Dot(a);
        break;
      }
      const Integer x1 = std::min(a.X, b.X), x2 = std::max(a.X, b.X);
      const Integer y1 = std::min(a.Y, b.Y), y2 = std::max(a.Y, b.Y);
      Canvas->Rectangle(x1, y1, x2, y2);
      const auto Edges = [&](TColor Col, std::initializer_list<TPoint> pts) {
        CachePenColor(Canvas, Col);
        const TPoint* p = pts.begin();
        Canvas->MoveTo(p->X, p->Y);
        for (++p; p != pts.end(); ++p) Canvas->LineTo(p->X, p->Y);
      };
      const TColor sh = it.ShadowColor, hi = it.HiLightColor;
      const auto Outlines = [&](TColor First, TColor Second) {
        Edges(First, {Point(x1 + 1, y2), Point(x1 + 1, y1 + 1), Point(x2, y1 + 1), Point(x2, y2),
                      Point(x1 + 1, y2)});
        Edges(Second, {Point(x1, y2 - 1), Point(x1, y1), Point(x2 - 1, y1), Point(x2 - 1, y2 - 1),
                       Point(x1, y2 - 1)});
      };
      switch (static_cast<TFrameStyle>(it.FrameStyle)) {
        case fsLowered:
          Edges(sh, {Point(x1, y2), Point(x1, y1), Point(x2, y1)});
          Edges(hi, {Point(x2, y1), Point(x2, y2), Point(x1, y2)});
          break;
        case fsRaised:
          Edges(hi, {Point(x1, y2), Point(x1, y1), Point(x2, y1)});
          Edges(sh, {Point(x2, y1), Point(x2, y2), Point(x1, y2)});
          break;
        case fsEmbossed: Outlines(sh, hi); break;
        case fsEngraved: Outlines(hi, sh); break;
        default: break;
      }
      break;
    }

    case tk3DBar: {
      const Double ang = it.Param1 * M_PI / 180.0;
      const Integer ox = ClampPixel(RoundToPixel(std::cos(ang) * it.Param2));
      const Integer oy = ClampPixel(RoundToPixel(std::sin(ang) * it.Param2));
      // Cut with room for the slanted faces, which then stay whole in the picture.
      const Double reachX = std::abs(ox) + 1.0, reachY = std::abs(oy) + 1.0;
      const TPoint a = Corner(World(it.x, it.y), WorldPos(it.x, it.y), reachX, reachY),
                   b = Corner(World(it.x2, it.y2), WorldPos(it.x2, it.y2), reachX, reachY);
      Integer left = std::min(a.X, b.X), right = std::max(a.X, b.X);
      const Integer top = std::min(a.Y, b.Y), bottom = std::max(a.Y, b.Y);
      if (it.Param1 > 90) std::swap(left, right);
      ShapeStyle(fillCol, false);
      const TPoint topFace[4] = {Point(left, top), Point(left + ox, top - oy),
                                 Point(right + ox, top - oy), Point(right, top)};
      Canvas->Polygon(topFace, 4);
      const TPoint side[4] = {Point(right + ox, top - oy), Point(right, top), Point(right, bottom),
                              Point(right + ox, bottom - oy)};
      Canvas->Polygon(side, 4);
      const TRect front = InclusiveBox(Point(left, top), Point(right, bottom));
      if (front.Right - front.Left == 1 && front.Bottom - front.Top == 1)
        Dot(Point(left, top));
      else
        Canvas->Rectangle(front.Left, front.Top, front.Right, front.Bottom);
      break;
    }

    case tkText:
    case tkTextOfs: {
      TPoint p;
      if (kind == tkText) {
        // A text reaches this far beside its anchor at most: one anchored farther out of the
        // picture does not show, wherever it is put beyond.
        p = Corner(P1(), Pos1(), kTextReach, kTextReach);
      } else {
        Integer wx = 0, wy = 0;
        R2M(it.Layer, it.x, it.y, wx, wy);
        Double sx = static_cast<Double>(wx) - RcLRim + OrigX + it.x2;
        Double sy = static_cast<Double>(wy) - RcTRim + OrigY + it.y2;
        sx = std::clamp(sx, -kMaxTextOffs, kMaxTextOffs);
        sy = std::clamp(sy, -kMaxTextOffs, kMaxTextOffs);
        p = Clamped(RoundToPixel(sx), RoundToPixel(sy));
        if (IsLimited(p) || std::abs(wx) == std::numeric_limits<Integer>::max() ||
            std::abs(wy) == std::numeric_limits<Integer>::max()) {
          ZOdozaMath::TLinePoint at = WorldPos(it.x, it.y);
          at.DX += it.x2;
          at.DY += it.y2;
          p = OntoPicture(at, kTextReach, kTextReach);
        }
      }
      if (penCol != FLastFontCol) {
        Canvas->Font()->SetColor(penCol);
        FLastFontCol = penCol;
      }
      DrawItemText(Canvas, it, p, Index, IsAnnotation, LongTexts, textBack);
      break;
    }

    case tkArrow:
    case tkDoubleArrow: {
      const ZOdozaMath::TLinePoint pa = Pos1(), pb = Pos2();
      const TPoint a = Limited(pa), b = Limited(pb);
      CachePenColor(Canvas, penCol);
      CachePenStyle(Canvas, it.PenStyle);
      CacheBrushColor(Canvas, fillCol);
      if (Same(pa, pb)) {
        Dot(a);
        break;
      }
      ClippedSegment(Canvas, pa, pb, LineClipBox(OrigX, OrigY, FLastLWidth));
      if (it.Param1 < 1) break;
      // The heads point along the shaft, wherever its far end lies.
      const auto dx = static_cast<Double>(pb.X() - pa.X()),
                 dy = static_cast<Double>(pb.Y() - pa.Y());
      Double dir;
      if (dx == 0)
        dir = dy < 1 ? 2 * M_PI : M_PI;
      else if (dx < 0)
        dir = std::atan(dy / dx) + 3 * M_PI / 2;
      else
        dir = std::atan(dy / dx) + M_PI / 2;
      const Double H = it.Param1;
      const auto Head = [&](TPoint tip, Double sign) {
        TPoint barb[2];
        for (int k = 0; k < 2; ++k) {
          const Double t = dir + (k == 0 ? kArrowBarbAngle : -kArrowBarbAngle);
          barb[k] = Clamped(tip.X - sign * RoundToPixel(std::sin(t) * H),
                            tip.Y + sign * RoundToPixel(std::cos(t) * H));
        }
        if (it.Transp) {
          Segment(tip, barb[0]);
          Segment(tip, barb[1]);
        } else {
          Canvas->Brush()->SetStyle(bsSolid);
          const TPoint tri[3] = {tip, barb[0], barb[1]};
          Canvas->Polygon(tri, 3);
        }
      };
      Head(b, 1);
      if (kind == tkDoubleArrow) Head(a, -1);
      break;
    }

    case tkMarkEBar: {
      const TScaleProps* sx = FScalePropsX[ClampLayer(it.Layer)].get();
      const TScaleProps* sy = FScalePropsY[ClampLayer(it.Layer)].get();
      const Double lo = std::fabs(it.x2), hi = std::fabs(it.y2);
      if (!Overlaps(it.x - lo, it.x + hi, sx->RangeLow(), sx->RangeHigh()) ||
          !Overlaps(it.y - lo, it.y + hi, sy->RangeLow(), sy->RangeHigh()))
        break;
      CachePenColor(Canvas, penCol);
      CachePenStyle(Canvas, it.PenStyle);
      CacheBrushColor(Canvas, it.FillColor);
      const TPoint p = World(it.x, it.y);
      const bool vertical = it.Param1 == 0;
      for (const Double end : {-lo, hi}) {
        const TPoint q = vertical ? World(it.x, it.y + end) : World(it.x + end, it.y);
        Segment(p, q);
        if (vertical)
          Segment(Point(q.X - kEBarTickHalf, q.Y), Point(q.X + kEBarTickHalf + 1, q.Y));
        else
          Segment(Point(q.X, q.Y - kEBarTickHalf), Point(q.X, q.Y + kEBarTickHalf + 1));
      }
      DrawMarkOnCanvas(Canvas, static_cast<Byte>(it.Param3), p.X, p.Y);
      break;
    }

    case tkCursorVert:
    case tkCursorHoriz: {
      Canvas->Pen()->SetColor(penCol);
      Canvas->Pen()->SetStyle(it.PenStyle);
      Canvas->Brush()->SetColor(it.FillColor);
      FLastPenCol = penCol;
      FLastPenStyle = it.PenStyle;
      FLastBrushCol = it.FillColor;
      const TPoint p = P1();
      if (kind == tkCursorVert)
        Segment(Point(p.X, OrigY), Point(p.X, OrigY + Height() - RcTRim - RcBRim));
      else
        Segment(Point(OrigX, p.Y), Point(OrigX + Width() - RcLRim - RcRRim, p.Y));
      break;
    }
  }
}

void TCustomZOdoza::DrawItemText(TCanvas* Canvas, const TrcChartItem& It, TPoint P, Integer Index,
                                 bool IsAnnotation, const TLongTextArray& LongTexts,
                                 TColor Background) {
  TFont* font = Canvas->Font();
  font->SetStyle(FTextFont->Style());
  font->SetName(FTextFont->Name());
  SetCanvasFontSizeScaled(Canvas, It.Param1);
  CacheBrushColor(Canvas, Background);
  const bool opaque = It.Param2 != 0;
  Canvas->Brush()->SetStyle(opaque ? bsSolid : bsClear);
  String text = It.LWid >= 1 && It.LWid <= kMaxLongTexts ? LongTexts[It.LWid - 1] : It.Text();
  if (OnBeforeRenderText) OnBeforeRenderText(this, text, Index, IsAnnotation);
  Integer width = 0, total = 0, lineH = 0;
  const Integer lines = CalcTextExtents(text, Canvas, width, total, lineH);
  Integer x = P.X, y = P.Y - lineH / 2;
  const auto align = static_cast<TAlignment>(It.Param3);
  if (align == taRightJustify)
    x -= width;
  else if (align == taCenter)
    x -= width / 2;
  if (lines == 1) {
    Canvas->TextOut(x, y, text);
  } else {
    if (opaque) {
      CachePenColor(Canvas, Background);
      Canvas->Rectangle(x - 4, y - 2, x + width + 4, y + lines * lineH + 2);
    }
    size_t start = 0;
    for (Integer k = 0; k < lines; ++k) {
      const size_t lf = text.find('\n', start);
      const String line = text.substr(start, lf == String::npos ? String::npos : lf - start);
      const Integer lw = Canvas->TextWidth(line);
      Integer indent = 0;
      if (align == taRightJustify)
        indent = width - lw;
      else if (align == taCenter)
        indent = (width - lw) / 2;
      Canvas->TextOut(x + indent, y + k * lineH, line);
      start = lf == String::npos ? text.size() : lf + 1;
    }
  }
  Canvas->Brush()->SetStyle(bsSolid);
}
