// Pixel rules of the canvas: end pixels, exclusive box edges, pen widths and styles, pen and
// copy modes, clipping, text placement.
#include <gtest/gtest.h>

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

#include "CanvasDevice.h"
#include "DocumentReaders.h"
#include "Graphics.h"
#include "GraphicsPrivate.h"
#include "GraphicsQt.h"
#include "TestSupport.h"
#include "support_pixels.h"

using gt::Count;
using gt::InkBox;
using gt::WhiteBitmap;

namespace {

// The groups of ink pixels (not white) that touch, sides or corners, as their bounding boxes
// (inclusive), from the left (of two starting in one column, the upper first).
std::vector<TRect> Blots(TBitmap& b) {
  const int w = b.Width(), h = b.Height();
  std::vector<char> seen(static_cast<std::size_t>(w * h), 0);
  auto ink = [&](int x, int y) { return b.Canvas()->GetPixel(x, y) != clWhite; };
  std::vector<TRect> boxes;
  for (int start = 0; start < w * h; ++start) {
    if (seen[static_cast<std::size_t>(start)] || !ink(start % w, start / w)) continue;
    TRect box{start % w, start / w, start % w, start / w};
    std::vector<int> todo{start};
    seen[static_cast<std::size_t>(start)] = 1;
    while (!todo.empty()) {
      const int p = todo.back();
      todo.pop_back();
      box.Left = std::min(box.Left, p % w);
      box.Right = std::max(box.Right, p % w);
      box.Top = std::min(box.Top, p / w);
      box.Bottom = std::max(box.Bottom, p / w);
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int x = p % w + dx, y = p / w + dy;
          if (x < 0 || y < 0 || x >= w || y >= h || seen[static_cast<std::size_t>(y * w + x)] ||
              !ink(x, y))
            continue;
          seen[static_cast<std::size_t>(y * w + x)] = 1;
          todo.push_back(y * w + x);
        }
    }
    boxes.push_back(box);
  }
  std::stable_sort(boxes.begin(), boxes.end(), [](const TRect& a, const TRect& c) {
    return a.Left != c.Left ? a.Left < c.Left : a.Top < c.Top;
  });
  return boxes;
}

struct LineCase {
  const char* name;
  TPoint from, to;
};

class LineEnds : public ::testing::TestWithParam<LineCase> {};

// A line paints its start, never its end, and exactly one pixel per step of the longer axis.
TEST_P(LineEnds, StartPaintedEndNot) {
  const LineCase& c = GetParam();
  auto b = WhiteBitmap(40, 40);
  TCanvas* cv = b->Canvas();
  cv->MoveTo(c.from.X, c.from.Y);
  cv->LineTo(c.to.X, c.to.Y);
  EXPECT_EQ(cv->GetPixel(c.from.X, c.from.Y), clBlack);
  EXPECT_EQ(cv->GetPixel(c.to.X, c.to.Y), clWhite);
  int steps = std::max(std::abs(c.to.X - c.from.X), std::abs(c.to.Y - c.from.Y));
  EXPECT_EQ(Count(*b, clBlack), steps);
  EXPECT_EQ(cv->PenPos(), c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, LineEnds,
    ::testing::Values(LineCase{"right", {2, 5}, {10, 5}}, LineCase{"left", {30, 5}, {3, 5}},
                      LineCase{"down", {4, 1}, {4, 30}}, LineCase{"up", {4, 30}, {4, 1}},
                      LineCase{"diagonal", {1, 1}, {20, 20}}, LineCase{"steep", {10, 2}, {14, 35}},
                      LineCase{"shallow back", {35, 10}, {2, 17}},
                      LineCase{"one pixel", {7, 7}, {8, 7}}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (ch == ' ') ch = '_';
      return n;
    });

TEST(Canvas, ZeroLengthLineDrawsNothing) {
  auto b = WhiteBitmap(10, 10);
  b->Canvas()->MoveTo(5, 5);
  b->Canvas()->LineTo(5, 5);
  EXPECT_EQ(Count(*b, clBlack), 0);
}

TEST(Canvas, PolylinePaintsJointsOnceAndLeavesLastPointAndPenPos) {
  auto b = WhiteBitmap(20, 20);
  TCanvas* cv = b->Canvas();
  cv->MoveTo(1, 1);
  cv->Pen()->SetMode(pmXor);
  cv->Pen()->SetColor(clWhite);  // XOR white: a pixel painted twice would come back white
  std::vector<TPoint> pts{{2, 2}, {10, 2}, {10, 10}, {4, 10}};
  cv->Polyline(pts);
  EXPECT_EQ(cv->GetPixel(10, 2), clBlack);  // joint painted exactly once
  EXPECT_EQ(cv->GetPixel(10, 10), clBlack);
  EXPECT_EQ(cv->GetPixel(4, 10), clWhite);  // last point left out
  EXPECT_EQ(Count(*b, clBlack), 8 + 8 + 6);
  EXPECT_EQ(cv->PenPos(), (TPoint{1, 1}));
}

// Right and bottom box edges are exclusive for every shape; a 1-pixel pen reaches the first
// and last row and column inside the box, also for very small and very flat boxes.
TEST(Canvas, ShapesStayInsideTheirBoxes) {
  struct Shape {
    const char* name;
    std::function<void(TCanvas*, int, int, int, int)> draw;
  };
  const Shape shapes[] = {
      {"Rectangle",
       [](TCanvas* c, int x1, int y1, int x2, int y2) { c->Rectangle(x1, y1, x2, y2); }},
      {"Ellipse", [](TCanvas* c, int x1, int y1, int x2, int y2) { c->Ellipse(x1, y1, x2, y2); }},
      {"RoundRect",
       [](TCanvas* c, int x1, int y1, int x2, int y2) { c->RoundRect(x1, y1, x2, y2, 6, 4); }},
      {"Rectangle reversed corners",
       [](TCanvas* c, int x1, int y1, int x2, int y2) { c->Rectangle(x2, y2, x1, y1); }},
      {"Ellipse reversed corners",
       [](TCanvas* c, int x1, int y1, int x2, int y2) { c->Ellipse(x2, y1, x1, y2); }},
  };
  const TSize sizes[] = {{10, 8}, {1, 1}, {2, 2},  {20, 2}, {3, 17},
                         {14, 1}, {7, 7}, {30, 9}, {25, 24}};
  for (const Shape& s : shapes) {
    for (TSize z : sizes) {
      SCOPED_TRACE(std::string(s.name) + " " + std::to_string(z.cx) + "x" + std::to_string(z.cy));
      auto b = WhiteBitmap(40, 40);
      b->Canvas()->Brush()->SetColor(clRed);
      s.draw(b->Canvas(), 3, 4, 3 + z.cx, 4 + z.cy);
      TRect box = InkBox(*b, clWhite);
      EXPECT_EQ(box, (TRect{3, 4, 3 + z.cx - 1, 4 + z.cy - 1}));
      if (z.cx >= 5 && z.cy >= 5) {
        EXPECT_EQ(b->Canvas()->GetPixel(3 + z.cx / 2, 4 + z.cy / 2), clRed);
      }
    }
  }
}

TEST(Canvas, DottedEllipseIsPartOfTheSolidOne) {
  auto solid = WhiteBitmap(40, 40);
  solid->Canvas()->Ellipse(2, 3, 37, 30);
  auto dotted = WhiteBitmap(40, 40);
  dotted->Canvas()->Pen()->SetStyle(psDot);
  dotted->Canvas()->Ellipse(2, 3, 37, 30);
  int n = Count(*dotted, clBlack);
  EXPECT_GT(n, Count(*solid, clBlack) / 3);
  EXPECT_LT(n, Count(*solid, clBlack) * 2 / 3);
  for (const std::string& p : gt::PixelsOf(*dotted, clBlack)) {
    int x = std::stoi(p), y = std::stoi(p.substr(p.find(',') + 1));
    EXPECT_EQ(solid->Canvas()->GetPixel(x, y), clBlack) << p;
  }
}

TEST(Canvas, CurvesWithClearPenFillOnePixelLess) {
  for (int shape = 0; shape < 2; ++shape) {
    auto b = WhiteBitmap(30, 30);
    b->Canvas()->Pen()->SetStyle(psClear);
    b->Canvas()->Brush()->SetColor(clGreen);
    if (shape == 0)
      b->Canvas()->Ellipse(2, 3, 22, 13);
    else
      b->Canvas()->RoundRect(2, 3, 22, 13, 5, 5);
    EXPECT_EQ(InkBox(*b, clWhite), (TRect{2, 3, 20, 11})) << shape;
    EXPECT_EQ(Count(*b, clGreen) + Count(*b, clWhite), 900);
  }
}

TEST(Canvas, EllipseOutlineIsClosedAndOnePixelThick) {
  auto b = WhiteBitmap(40, 40);
  b->Canvas()->Brush()->SetColor(clRed);
  b->Canvas()->Ellipse(5, 5, 35, 25);
  // Every outline pixel touches red or lies on the border, and no red pixel touches white:
  // the outline is closed.
  for (int y = 1; y < 39; ++y)
    for (int x = 1; x < 39; ++x) {
      if (b->Canvas()->GetPixel(x, y) != clRed) continue;
      for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
        EXPECT_NE(b->Canvas()->GetPixel(x + dx, y + dy), clWhite) << x << "," << y;
    }
}

TEST(Canvas, RectangleOutlineAndFill) {
  auto b = WhiteBitmap(12, 12);
  TCanvas* cv = b->Canvas();
  cv->Brush()->SetColor(clRed);
  cv->Rectangle(0, 0, 10, 10);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(cv->GetPixel(i, 0), clBlack);
    EXPECT_EQ(cv->GetPixel(i, 9), clBlack);
    EXPECT_EQ(cv->GetPixel(0, i), clBlack);
    EXPECT_EQ(cv->GetPixel(9, i), clBlack);
    EXPECT_EQ(cv->GetPixel(10, i), clWhite);
    EXPECT_EQ(cv->GetPixel(i, 10), clWhite);
  }
  EXPECT_EQ(Count(*b, clRed), 8 * 8);
}

TEST(Canvas, RectangleWithClearBrushOnlyOutlines) {
  auto b = WhiteBitmap(12, 12);
  b->Canvas()->Brush()->SetStyle(bsClear);
  b->Canvas()->Rectangle(0, 0, 10, 10);
  EXPECT_EQ(Count(*b, clBlack), 36);
  EXPECT_EQ(b->Canvas()->GetPixel(5, 5), clWhite);
}

TEST(Canvas, RectangleWithClearPenFillsOnePixelLess) {
  auto b = WhiteBitmap(12, 12);
  b->Canvas()->Pen()->SetStyle(psClear);
  b->Canvas()->Brush()->SetColor(clBlue);
  b->Canvas()->Rectangle(1, 1, 6, 6);
  EXPECT_EQ(InkBox(*b, clWhite), (TRect{1, 1, 4, 4}));
}

TEST(Canvas, DegenerateBoxes) {
  auto b = WhiteBitmap(12, 12);
  TCanvas* cv = b->Canvas();
  cv->Rectangle(5, 5, 5, 9);  // no width: nothing
  cv->Ellipse(2, 2, 8, 2);    // no height: nothing
  EXPECT_EQ(Count(*b, clBlack), 0);
  cv->Rectangle(5, 5, 6, 6);  // one pixel
  EXPECT_EQ(gt::PixelsOf(*b, clBlack), std::vector<std::string>{"5,5"});
  cv->Rectangle(1, 8, 6, 9);  // one row
  EXPECT_EQ(Count(*b, clBlack), 1 + 5);
}

TEST(Canvas, FillRectAndFrameRectUseTheBrushAndExcludeRightBottom) {
  auto b = WhiteBitmap(12, 12);
  TCanvas* cv = b->Canvas();
  cv->Brush()->SetColor(clLime);
  cv->Pen()->SetMode(pmXor);  // neither uses the pen mode
  cv->FillRect(Rect(2, 3, 6, 8));
  EXPECT_EQ(InkBox(*b, clWhite), (TRect{2, 3, 5, 7}));
  EXPECT_EQ(Count(*b, clLime), 4 * 5);
  auto f = WhiteBitmap(12, 12);
  f->Canvas()->Brush()->SetColor(clNavy);
  f->Canvas()->FrameRect(Rect(2, 3, 6, 8));
  EXPECT_EQ(InkBox(*f, clWhite), (TRect{2, 3, 5, 7}));
  EXPECT_EQ(Count(*f, clNavy), 4 + 4 + 3 + 3);
  EXPECT_EQ(f->Canvas()->GetPixel(3, 5), clWhite);
}

TEST(Canvas, FillRectWithClearBrushPaintsNothing) {
  auto b = WhiteBitmap(8, 8);
  b->Canvas()->Brush()->SetStyle(bsClear);
  b->Canvas()->FillRect(Rect(0, 0, 8, 8));
  EXPECT_EQ(Count(*b, clWhite), 64);
}

TEST(Canvas, PolygonOutlinesEveryEdgeAndFills) {
  auto b = WhiteBitmap(20, 20);
  b->Canvas()->Brush()->SetColor(clRed);
  std::vector<TPoint> pts{{2, 2}, {12, 2}, {12, 12}, {2, 12}};
  b->Canvas()->Polygon(pts);
  EXPECT_EQ(InkBox(*b, clWhite), (TRect{2, 2, 12, 12}));  // vertices included
  EXPECT_EQ(Count(*b, clBlack), 40);
  EXPECT_EQ(Count(*b, clRed), 9 * 9);
}

TEST(Canvas, PenWidthWidensLines) {
  auto b = WhiteBitmap(30, 30);
  b->Canvas()->Pen()->SetWidth(3);
  b->Canvas()->MoveTo(5, 15);
  b->Canvas()->LineTo(25, 15);
  for (int y : {14, 15, 16}) EXPECT_EQ(b->Canvas()->GetPixel(15, y), clBlack) << y;
  EXPECT_EQ(b->Canvas()->GetPixel(15, 13), clWhite);
  EXPECT_EQ(b->Canvas()->GetPixel(15, 17), clWhite);
}

TEST(Canvas, PenStyles) {
  auto run = [](TPenStyle s) {
    auto b = WhiteBitmap(60, 3);
    b->Canvas()->Pen()->SetStyle(s);
    b->Canvas()->MoveTo(0, 1);
    b->Canvas()->LineTo(60, 1);
    std::string row;
    for (int x = 0; x < 60; ++x) row += b->Canvas()->GetPixel(x, 1) == clBlack ? '#' : '.';
    return row;
  };
  EXPECT_EQ(run(psSolid), std::string(60, '#'));
  EXPECT_EQ(run(psInsideFrame), std::string(60, '#'));
  EXPECT_EQ(run(psClear), std::string(60, '.'));
  EXPECT_EQ(run(psAlternate).substr(0, 6), "#.#.#.");
  EXPECT_EQ(run(psDot).substr(0, 12), "###...###...");
  EXPECT_EQ(run(psDash).substr(0, 26), std::string(18, '#') + std::string(6, '.') + "##");
  std::string dd = run(psDashDotDot);
  EXPECT_EQ(dd.substr(0, 24), "#########...###...###...");
}

TEST(Canvas, DashPatternRunsOnAlongAPolylineAndRestartsPerCall) {
  auto b = WhiteBitmap(20, 20);
  TCanvas* cv = b->Canvas();
  cv->Pen()->SetStyle(psDot);
  std::vector<TPoint> pts{{0, 0}, {4, 0}, {4, 10}};
  cv->Polyline(pts);
  // Steps 0..3 on the first segment, the second continues at step 4 (on, on: steps 3..5 off).
  std::string col;
  for (int y = 0; y < 6; ++y) col += cv->GetPixel(4, y) == clBlack ? '#' : '.';
  EXPECT_EQ(col, "..###.");
  cv->MoveTo(0, 5);
  cv->LineTo(6, 5);  // a new call starts the pattern afresh
  std::string row;
  for (int x = 0; x < 6; ++x) row += cv->GetPixel(x, 5) == clBlack ? '#' : '.';
  EXPECT_EQ(row, "###...");
}

// Figures drawn twice in XOR mode leave the picture as it was; once, they change exactly
// the pixels they cover to pixel XOR pen.
TEST(Canvas, XorDrawnTwiceRestores) {
  struct Figure {
    const char* name;
    int width;
    std::function<void(TCanvas*)> draw;
  };
  const Figure figures[] = {
      {"line", 1,
       [](TCanvas* c) {
         c->MoveTo(1, 2);
         c->LineTo(37, 29);
       }},
      {"dashed polyline", 1,
       [](TCanvas* c) {
         c->Pen()->SetStyle(psDash);
         std::vector<TPoint> p{{1, 1}, {30, 5}, {3, 35}, {38, 20}};
         c->Polyline(p);
       }},
      {"wide line", 5,
       [](TCanvas* c) {
         c->MoveTo(3, 30);
         c->LineTo(35, 4);
       }},
      {"rectangle", 1, [](TCanvas* c) { c->Rectangle(4, 4, 30, 20); }},
      {"wide rectangle", 3, [](TCanvas* c) { c->Rectangle(4, 4, 30, 20); }},
      {"ellipse", 1, [](TCanvas* c) { c->Ellipse(2, 5, 37, 33); }},
      {"clear-brush ellipse", 1,
       [](TCanvas* c) {
         c->Brush()->SetStyle(bsClear);
         c->Ellipse(2, 5, 37, 33);
       }},
      {"polygon", 1,
       [](TCanvas* c) {
         std::vector<TPoint> p{{5, 5}, {35, 10}, {8, 35}, {20, 2}};
         c->Polygon(p);
       }},
      {"arc", 1, [](TCanvas* c) { c->Arc(2, 2, 38, 38, 38, 20, 20, 2); }},
  };
  for (const Figure& f : figures) {
    SCOPED_TRACE(f.name);
    auto b = WhiteBitmap(40, 40);
    gt::PaintPattern(*b);
    auto before = gt::Pixels(*b);
    TCanvas* cv = b->Canvas();
    cv->Pen()->SetMode(pmXor);
    cv->Pen()->SetColor(clWhite);
    cv->Pen()->SetWidth(f.width);
    cv->Brush()->SetColor(RGB(0x12, 0x34, 0x56));
    f.draw(cv);
    auto once = gt::Pixels(*b);
    EXPECT_NE(once, before);
    for (std::size_t i = 0; i < once.size(); ++i)
      if (once[i] != before[i]) {
        TColor x = once[i] ^ before[i];
        EXPECT_TRUE(x == clWhite || x == RGB(0x12, 0x34, 0x56)) << "pixel " << i;
      }
    f.draw(cv);
    EXPECT_EQ(gt::Pixels(*b), before);
  }
}

TEST(Canvas, PenModesCombineBitwise) {
  const TColor D = RGB(0xF0, 0x0F, 0x55), P = RGB(0x3C, 0x3C, 0xFF);
  struct Mode {
    TPenMode mode;
    TColor expect;
  };
  const Mode modes[] = {
      {pmCopy, P},
      {pmBlack, 0},
      {pmWhite, 0xFFFFFF},
      {pmNop, D},
      {pmNot, ~D & 0xFFFFFF},
      {pmNotCopy, ~P & 0xFFFFFF},
      {pmMerge, P | D},
      {pmMask, P & D},
      {pmXor, P ^ D},
      {pmNotXor, ~(P ^ D) & 0xFFFFFF},
      {pmMaskPenNot, P & ~D & 0xFFFFFF},
      {pmMergeNotPen, (~P | D) & 0xFFFFFF},
  };
  for (const Mode& m : modes) {
    auto b = WhiteBitmap(4, 3);
    b->Canvas()->Brush()->SetColor(D);
    b->Canvas()->FillRect(Rect(0, 0, 4, 3));
    b->Canvas()->Pen()->SetColor(P);
    b->Canvas()->Pen()->SetMode(m.mode);
    b->Canvas()->MoveTo(0, 1);
    b->Canvas()->LineTo(3, 1);
    EXPECT_EQ(b->Canvas()->GetPixel(1, 1), m.expect) << int(m.mode);
    EXPECT_EQ(b->Canvas()->GetPixel(3, 1), D) << int(m.mode);
  }
}

TEST(Canvas, PixelsReadAndWriteOnePixel) {
  auto b = WhiteBitmap(5, 5, pf24bit);
  TCanvas* cv = b->Canvas();
  cv->Pixels[2][3] = RGB(1, 2, 3);
  EXPECT_EQ(static_cast<TColor>(cv->Pixels[2][3]), RGB(1, 2, 3));
  EXPECT_EQ(Count(*b, clWhite), 24);
  cv->Pixels[4][4] = clBtnFace;  // system colours are stored as their RGB value
  EXPECT_EQ(cv->GetPixel(4, 4), ColorToRGB(clBtnFace));
  cv->SetPixel(-1, 0, clRed);  // outside: ignored
  cv->SetPixel(5, 0, clRed);
  EXPECT_EQ(Count(*b, clRed), 0);
  EXPECT_EQ(cv->GetPixel(5, 0), CLR_INVALID);
  EXPECT_EQ(cv->GetPixel(0, -1), CLR_INVALID);
}

TEST(Canvas, ClipRectLimitsDrawing) {
  auto b = WhiteBitmap(20, 20);
  TCanvas* cv = b->Canvas();
  EXPECT_EQ(cv->ClipRect(), Rect(0, 0, 20, 20));
  cv->SetClipRect(Rect(5, 5, 10, 10));
  EXPECT_EQ(cv->ClipRect(), Rect(5, 5, 10, 10));
  cv->Brush()->SetColor(clRed);
  cv->Rectangle(0, 0, 20, 20);
  cv->MoveTo(0, 7);
  cv->LineTo(20, 7);
  cv->Ellipse(0, 0, 20, 20);
  EXPECT_EQ(InkBox(*b, clWhite), (TRect{5, 5, 9, 9}));
  cv->ResetClipRect();
  cv->MoveTo(0, 0);
  cv->LineTo(3, 0);
  EXPECT_EQ(cv->GetPixel(0, 0), clBlack);
}

TEST(Canvas, FarAwayEndPointsAreClippedNotWalked) {
  auto b = WhiteBitmap(20, 20);
  TCanvas* cv = b->Canvas();
  cv->MoveTo(-2000000000, -2000000000);
  cv->LineTo(2000000000, 2000000000);  // the diagonal through the bitmap
  for (int i = 0; i < 20; ++i) EXPECT_EQ(cv->GetPixel(i, i), clBlack) << i;
  EXPECT_EQ(Count(*b, clBlack), 20);
  cv->MoveTo(-30000, 3);
  cv->LineTo(30000, 3);
  EXPECT_EQ(Count(*b, clBlack), 20 + 19);
}

TEST(Canvas, ArcRunsCounterClockwiseBetweenTheRays) {
  auto b = WhiteBitmap(41, 41);
  // From the ray to the right (3 o'clock) to the ray upwards (12 o'clock): the upper right
  // quarter only.
  b->Canvas()->Arc(0, 0, 41, 41, 40, 20, 20, 0);
  TRect box = InkBox(*b, clWhite);
  EXPECT_GE(box.Left, 18);
  EXPECT_LE(box.Bottom, 22);
  EXPECT_EQ(box.Right, 40);
  EXPECT_EQ(box.Top, 0);
  // The other way round: three quarters, everything but the upper right.
  auto c = WhiteBitmap(41, 41);
  c->Canvas()->Arc(0, 0, 41, 41, 20, 0, 40, 20);
  EXPECT_EQ(InkBox(*c, clWhite), (TRect{0, 0, 40, 40}));
  EXPECT_EQ(c->Canvas()->GetPixel(34, 6), clWhite);
}

TEST(Canvas, ArcLiesOnTheEllipseOfTheSameBox) {
  auto e = WhiteBitmap(50, 40);
  e->Canvas()->Brush()->SetStyle(bsClear);
  e->Canvas()->Ellipse(3, 2, 47, 33);
  const TPoint rays[][2] = {
      {{47, 2}, {3, 33}}, {{25, 0}, {25, 40}}, {{0, 20}, {0, 20}}, {{40, 30}, {10, 30}}};
  for (const auto& r : rays) {
    auto a = WhiteBitmap(50, 40);
    a->Canvas()->Arc(3, 2, 47, 33, r[0].X, r[0].Y, r[1].X, r[1].Y);
    EXPECT_GT(Count(*a, clBlack), 10);
    for (const std::string& p : gt::PixelsOf(*a, clBlack)) {
      int x = std::stoi(p), y = std::stoi(p.substr(p.find(',') + 1));
      EXPECT_EQ(e->Canvas()->GetPixel(x, y), clBlack) << p;
    }
  }
  // Equal rays: the whole ellipse.
  auto full = WhiteBitmap(50, 40);
  full->Canvas()->Arc(3, 2, 47, 33, 0, 20, 0, 20);
  EXPECT_EQ(gt::Pixels(*full), gt::Pixels(*e));
}

// A curve reaching far beyond the surface takes in view the pixels it takes on a surface that
// holds it whole, and the rasteriser visits only the rows and pixels in view; a dash pattern's
// phase runs along the whole outline, so a dashed curve walks its outline (never its inside).
TEST(Canvas, CurvesBeyondTheSurfaceCostTheirVisiblePixels) {
  struct Figure {
    const char* name;
    bool dashed;
    std::function<void(TCanvas*, const TRect&)> draw;
  };
  auto ellipse = [](TCanvas* c, const TRect& r) { c->Ellipse(r.Left, r.Top, r.Right, r.Bottom); };
  // The rays of an arc from the right of the box's centre to its lower left.
  auto arc = [](TCanvas* c, const TRect& r) {
    c->Arc(r.Left, r.Top, r.Right, r.Bottom, r.Right, (r.Top + r.Bottom) / 2, r.Left, r.Bottom);
  };
  const Figure figures[] = {
      {"filled ellipse", false,
       [&](TCanvas* c, const TRect& r) {
         c->Brush()->SetColor(clRed);
         ellipse(c, r);
       }},
      {"clear-brush ellipse", false,
       [&](TCanvas* c, const TRect& r) {
         c->Brush()->SetStyle(bsClear);
         ellipse(c, r);
       }},
      {"hatched ellipse", false,
       [&](TCanvas* c, const TRect& r) {
         c->Brush()->SetStyle(bsDiagCross);
         c->Brush()->SetColor(clBlue);
         ellipse(c, r);
       }},
      {"xor ellipse", false,
       [&](TCanvas* c, const TRect& r) {
         c->Pen()->SetMode(pmXor);
         c->Pen()->SetColor(clYellow);
         ellipse(c, r);
       }},
      {"pen-less ellipse", false,
       [&](TCanvas* c, const TRect& r) {
         c->Pen()->SetStyle(psClear);
         c->Brush()->SetColor(clGreen);
         ellipse(c, r);
       }},
      {"rounded rectangle", false,
       [](TCanvas* c, const TRect& r) {
         c->RoundRect(r.Left, r.Top, r.Right, r.Bottom, (r.Right - r.Left) / 3,
                      (r.Bottom - r.Top) / 2);
       }},
      {"arc", false, arc},
      {"dashed ellipse", true,
       [&](TCanvas* c, const TRect& r) {
         c->Pen()->SetStyle(psDash);
         ellipse(c, r);
       }},
      {"dotted arc", true,
       [&](TCanvas* c, const TRect& r) {
         c->Pen()->SetStyle(psDot);
         arc(c, r);
       }},
  };
  // Views at multiples of 8 pixels, since hatch lines keep their phase on the surface.
  const TPoint views[] = {{0, 0}, {296, 8}, {576, 400}, {248, 200}, {0, 192}};
  for (const Figure& f : figures) {
    SCOPED_TRACE(f.name);
    auto whole = WhiteBitmap(640, 460);
    f.draw(whole->Canvas(), TRect{10, 20, 621, 441});
    for (const TPoint& v : views) {
      auto part = WhiteBitmap(40, 30);
      f.draw(part->Canvas(), TRect{10 - v.X, 20 - v.Y, 621 - v.X, 441 - v.Y});
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
          ASSERT_EQ(part->Canvas()->GetPixel(x, y), whole->Canvas()->GetPixel(v.X + x, v.Y + y))
              << x << "," << y << " of the view at " << v.X << "," << v.Y;
    }
    // A box 60,000 pixels across seen through 40 x 30 pixels.
    auto part = WhiteBitmap(40, 30);
    const std::uint64_t before = gfx::CurveWorkDone();
    f.draw(part->Canvas(), TRect{-30000, -29990, 30000, 30010});
    const std::uint64_t work = gfx::CurveWorkDone() - before;
    EXPECT_LE(work, f.dashed ? 5 * 60000u : 40 * 30 + 30u);
  }
}

TEST(Canvas, CanvasWithoutSurfaceIgnoresDrawing) {
  TCanvas cv;
  cv.MoveTo(0, 0);
  cv.LineTo(10, 10);
  cv.Rectangle(0, 0, 5, 5);
  cv.TextOut(0, 0, "x");
  EXPECT_EQ(cv.GetPixel(0, 0), CLR_INVALID);
  EXPECT_GT(cv.TextWidth("x"), 0);
}

TEST(Canvas, OnChangeFiresAfterDrawing) {
  auto b = WhiteBitmap(5, 5);
  int n = 0;
  b->Canvas()->OnChange = [&](TObject*) { ++n; };
  b->Canvas()->MoveTo(0, 0);
  EXPECT_EQ(n, 0);
  b->Canvas()->LineTo(3, 3);
  b->Canvas()->FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(n, 2);
}

// ---- text --------------------------------------------------------------------------------
TEST(CanvasText, TextOutPutsTheCellsTopLeftCornerAtThePoint) {
  auto b = WhiteBitmap(80, 60);
  TCanvas* cv = b->Canvas();
  cv->Font()->SetSize(12);
  cv->Brush()->SetStyle(bsClear);
  cv->TextOut(10, 20, "Hg");
  TRect ink = InkBox(*b, clWhite);
  int w = cv->TextWidth("Hg"), h = cv->TextHeight("Hg");
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Left, 12);
  EXPECT_GE(ink.Top, 20);
  EXPECT_LE(ink.Top, 20 + h / 3);  // the capital's top is near the cell top
  EXPECT_LT(ink.Right, 10 + w);
  EXPECT_LT(ink.Bottom, 20 + h);
  EXPECT_GT(ink.Bottom, 20 + h / 2);  // the descender reaches into the lower half
  EXPECT_EQ(cv->PenPos(), (TPoint{0, 0}));
}

TEST(CanvasText, OpaqueBackgroundFillsExactlyTheCell) {
  auto b = WhiteBitmap(80, 60);
  TCanvas* cv = b->Canvas();
  cv->Brush()->SetColor(clYellow);
  cv->Font()->SetColor(clBlue);
  cv->TextOut(5, 7, "Ab");
  int w = cv->TextWidth("Ab"), h = cv->TextHeight("Ab");
  EXPECT_EQ(InkBox(*b, clWhite), (TRect{5, 7, 5 + w - 1, 7 + h - 1}));
  EXPECT_EQ(cv->GetPixel(5, 7), clYellow);
  EXPECT_EQ(cv->GetPixel(5 + w - 1, 7 + h - 1), clYellow);
  EXPECT_GT(Count(*b, clBlue), 5);  // glyphs in the font colour, not antialiased
  for (TColor c : gt::Pixels(*b)) EXPECT_TRUE(c == clWhite || c == clYellow || c == clBlue);
}

TEST(CanvasText, MeasuresArePlausibleForTheDefaultFont) {
  auto b = WhiteBitmap(4, 4);
  TCanvas* cv = b->Canvas();
  EXPECT_EQ(cv->Font()->Size(), 8);
  int h8 = cv->TextHeight("X");
  EXPECT_GE(h8, 11);
  EXPECT_LE(h8, 16);
  EXPECT_EQ(cv->TextWidth(""), 0);
  EXPECT_GT(cv->TextWidth("MMMM"), cv->TextWidth("iiii"));
  EXPECT_NEAR(cv->TextWidth("abcabc"), 2 * cv->TextWidth("abc"), 1);
  cv->Font()->SetSize(16);
  EXPECT_NEAR(cv->TextHeight("X"), 2 * h8, 3);
  TSize e = cv->TextExtent("Hello");
  EXPECT_EQ(e.cx, cv->TextWidth("Hello"));
  EXPECT_EQ(e.cy, cv->TextHeight("Hello"));
  // Every familiar face name draws the same sans face.
  int arial = 0;
  cv->Font()->SetName("Arial");
  arial = cv->TextWidth("Sample text");
  cv->Font()->SetName("MS Sans Serif");
  EXPECT_EQ(cv->TextWidth("Sample text"), arial);
  cv->Font()->SetStyle({fsBold});
  EXPECT_GT(cv->TextWidth("Sample text"), arial);
}

TEST(CanvasText, EveryDrawnFamilyIsInstalled) {
  // A missing family falls back silently to another face with other widths, and the window
  // layouts no longer fit: scripts/setup.sh installs them.
  for (const char* name : {"MS Sans Serif", "Courier New", "Times New Roman", "DejaVu Sans",
                           "DejaVu Sans Mono", "DejaVu Serif"}) {
    const String family = TFont::DrawnFamily(name);
    EXPECT_TRUE(FontFamilyInstalled(family))
        << family << " is not installed (run scripts/setup.sh)";
  }
  EXPECT_FALSE(FontFamilyInstalled("No Such Family Anywhere"));
}

// A character the face lacks comes from the face's one fallback, the program's DejaVu Sans,
// on the face's baseline after the letters before it; never from whichever other font a
// machine has. Width and glyph are the fallback face's own.
TEST(CanvasText, CharactersTheFaceLacksComeFromItsFallback) {
  auto draw = [](const char* Name, const String& Text) {
    auto b = WhiteBitmap(60, 30);
    TCanvas* cv = b->Canvas();
    cv->Brush()->SetStyle(bsClear);
    cv->Font()->SetName(Name);
    cv->Font()->SetHeight(-18);
    cv->Font()->SetStyle({fsItalic});
    cv->TextOut(2, 2, Text);
    return b;
  };
  auto serif = draw("Times New Roman", "≅"), sans = draw("DejaVu Sans", "≅");
  EXPECT_GT(Count(*sans, clBlack), 10);
  // The same glyph, on the serif face's baseline.
  const TRect a = InkBox(*serif, clWhite), b = InkBox(*sans, clWhite);
  ASSERT_EQ(a.Right - a.Left, b.Right - b.Left);
  ASSERT_EQ(a.Bottom - a.Top, b.Bottom - b.Top);
  EXPECT_EQ(a.Left, b.Left);
  for (int y = 0; y <= a.Bottom - a.Top; ++y)
    for (int x = 0; x <= a.Right - a.Left; ++x)
      ASSERT_EQ(serif->Canvas()->GetPixel(a.Left + x, a.Top + y),
                sans->Canvas()->GetPixel(b.Left + x, b.Top + y));
  TCanvas* cv = serif->Canvas();
  EXPECT_EQ(cv->TextWidth("x≅x"), 2 * cv->TextWidth("x") + sans->Canvas()->TextWidth("≅"));
}

// Glyphs start at whole pixels and are drawn from their outlines, so a round letter keeps
// clear of its advance: each digit of "1000" and "1.00" is a blot of its own.
TEST(CanvasText, AdjacentDigitsKeepApart) {
  struct Case {
    const char* name;
    int size;
    TFontStyles style;
  };
  const Case cases[] = {
      {"Arial", 9, {}},       {"Arial", 10, {}},       {"Arial", 12, {}},
      {"Arial", 14, {}},      {"Arial", 10, {fsBold}}, {"Times New Roman", 16, {}},
      {"DejaVu Sans", 8, {}},
  };
  for (const Case& c : cases) {
    for (const char* text : {"1000", "1.00"}) {
      SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.size) + " " + text);
      auto b = WhiteBitmap(80, 40);
      TCanvas* cv = b->Canvas();
      cv->Font()->SetName(c.name);
      cv->Font()->SetSize(c.size);
      cv->Font()->SetStyle(c.style);
      cv->Brush()->SetStyle(bsClear);
      cv->TextOut(3, 5, text);
      EXPECT_EQ(Blots(*b).size(), 4u);
    }
  }
}

// Text is shaped as Qt's text layout shapes it: Hebrew reads from the right, Arabic letters take
// their joined forms, marks sit on their letters. Each row is compared with Qt's own drawing of
// the text in the same unhinted face: the same blots of ink (a joined word is one), in the same
// order from the left, each as wide and as far along give or take the rounding to whole pixels;
// and the ink stays inside the text's cell.
TEST(CanvasText, RightToLeftTextReadsAndJoinsAsQtDrawsIt) {
  struct Case {
    const char* Name;
    int Size;
    TFontStyles Style;
    String Text;
    bool Fallback;  // the characters come from the fallback face
  };
  const Case cases[] = {
      {"Arial", 16, {}, "או", false},  // alef, then vav to its left
      {"Arial", 12, {}, "ببب", true},  // one word of three joined letters, three dots
      {"DejaVu Sans", 14, {fsBold}, "مرحبا", false},
      {"Times New Roman", 14, {}, "שלום", false},
      {"Arial", 14, {}, "שלום, world", false},  // a Hebrew start makes the line right to left
      {"Arial", 14, {}, "x = 12 אב", false},
      {"Arial", 18, {}, "בְּא", false},  // a vowel point under its letter
  };
  const int X = 5, Y = 4;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " " + std::to_string(c.Size) + " " + c.Text);
    auto drawn = WhiteBitmap(160, 40), qt = WhiteBitmap(160, 40);
    TCanvas* cv = drawn->Canvas();
    cv->Font()->SetName(c.Name);
    cv->Font()->SetSize(c.Size);
    cv->Font()->SetStyle(c.Style);
    cv->Brush()->SetStyle(bsClear);
    cv->TextOut(X, Y, c.Text);
    {
      QFont font = c.Fallback ? FallbackQFont(*cv->Font()) : ToQFont(*cv->Font());
      font.setHintingPreference(QFont::PreferNoHinting);
      font.setKerning(false);
      qt->Canvas()->GetPixel(0, 0);  // makes the white pixels
      QPainter p(&BitmapImage(qt.get()));
      p.setFont(font);
      p.setPen(Qt::black);
      p.drawText(QPointF(X, Y + QFontMetrics(ToQFont(*cv->Font())).ascent()),
                 QString::fromStdString(c.Text));
    }
    const std::vector<TRect> got = Blots(*drawn), want = Blots(*qt);
    EXPECT_EQ(got.size(), want.size());
    if (got.size() != want.size()) continue;
    for (std::size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_NEAR(got[i].Left, want[i].Left, 2);
      EXPECT_NEAR(got[i].Right - got[i].Left, want[i].Right - want[i].Left, 1);
      EXPECT_NEAR(got[i].Top, want[i].Top, 1);
      EXPECT_NEAR(got[i].Bottom, want[i].Bottom, 1);
    }
    const TRect ink = InkBox(*drawn, clWhite);
    EXPECT_GE(ink.Left, X);
    EXPECT_LT(ink.Right, X + cv->TextWidth(c.Text));
  }
}

// A page (a print job, a PDF file) shows a text as the screen does: the letters of the face and
// of its fallback face, in the same order, joined, at the same places. Each row is printed into
// a PDF at one unit per screen pixel and read back through poppler at 4 x 4 rendered pixels per
// unit; the page's units (dark where most of their rendered pixels are) show the same blots of
// ink as the screen's pixels, each give or take a pixel, and differ from them only along the
// letters' edges.
TEST(CanvasText, APageShowsTheScreensLettersJoinedInTheirOrder) {
  struct Case {
    const char* Name;
    int Size;
    String Text;
  };
  const Case cases[] = {
      {"Arial", 14, "Flux 42"},
      {"Arial", 48, "سسس"},              // one joined word from the fallback face
      {"Arial", 20, "سلام"},             // four letters, two of them joined
      {"Arial", 24, "بَبِ"},               // marks above and below joined letters
      {"Times New Roman", 20, "x ≅ y"},  // a symbol from the fallback face
      {"Arial", 18, "א ≅ ב"},            // right to left, the symbol between the letters
      {"Arial", 18, "x = 12 אב"},
  };
  constexpr int W = 320, H = 90, X = 6, Y = 4, k = 4;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " " + std::to_string(c.Size) + " " + c.Text);
    const auto Style = [&](TCanvas* Cv) {
      Cv->Font()->SetName(c.Name);
      Cv->Font()->SetSize(c.Size);
      Cv->Brush()->SetStyle(bsClear);
    };
    auto screen = WhiteBitmap(W, H);
    Style(screen->Canvas());
    screen->Canvas()->TextOut(X, Y, c.Text);

    testsupport::TempDir dir;
    const std::filesystem::path pdf = dir.path() / "text.pdf";
    {
      QPdfWriter writer(QString::fromStdString(pdf.string()));
      writer.setResolution(96);
      writer.setPageSize(QPageSize(QSizeF(W * 0.75, H * 0.75), QPageSize::Point));
      writer.setPageMargins(QMarginsF(0, 0, 0, 0));
      QPainter painter(&writer);
      const auto device = NewPainterDevice(&painter, 96, 96);
      TCanvas page;
      SetCanvasDevice(&page, device.get());
      Style(&page);
      page.TextOut(X, Y, c.Text);
      SetCanvasDevice(&page, nullptr);
    }
    const testsupport::GrayPage rendered = testsupport::RenderPdfPage(pdf, 96 * k);
    ASSERT_EQ(rendered.width, W * k);
    ASSERT_GE(rendered.height, H * k);
    auto printed = WhiteBitmap(W, H);
    int ink = 0, differ = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        int dark = 0;
        for (int d = 0; d < k * k; ++d) dark += rendered.at(x * k + d % k, y * k + d / k) < 128;
        if (2 * dark > k * k) printed->Canvas()->SetPixel(x, y, clBlack);
        const bool a = 2 * dark > k * k, b = screen->Canvas()->GetPixel(x, y) != clWhite;
        ink += b;
        differ += a != b;
      }
    ASSERT_GT(ink, 20);
    EXPECT_LE(differ, ink / 4) << "pixels of " << ink;
    const std::vector<TRect> got = Blots(*printed), want = Blots(*screen);
    EXPECT_EQ(got.size(), want.size());
    if (got.size() != want.size()) continue;
    for (std::size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_NEAR(got[i].Left, want[i].Left, 1);
      EXPECT_NEAR(got[i].Right, want[i].Right, 1);
      EXPECT_NEAR(got[i].Top, want[i].Top, 1);
      EXPECT_NEAR(got[i].Bottom, want[i].Bottom, 1);
    }
  }
}

TEST(CanvasText, UndrawableCharactersAreThoseNoFontOfTheProgramHas) {
  struct Case {
    const char* Name;
    TFontStyles Style;
    String Text, Missing;
  };
  const Case cases[] = {
      {"Arial", {}, "", ""},
      {"Arial", {}, "Sample text", ""},
      {"Times New Roman", {fsItalic}, "Δt ≅ 4.15 · 10⁶ ms · ( f1⁻² − f2⁻² )", ""},
      {"Courier New", {fsBold}, "≅ ⁻", ""},
      {"DejaVu Serif", {fsBold, fsItalic}, "≅", ""},
      {"Arial", {}, "x 中 y", "中"},
      {"Arial", {}, "a 𠀀", "𠀀"},  // outside the basic plane
  };
  for (const Case& c : cases) {
    TFont f;
    f.SetName(c.Name);
    f.SetStyle(c.Style);
    EXPECT_EQ(UndrawableCharacters(f, c.Text), c.Missing) << c.Name << " " << c.Text;
  }
}

TEST(CanvasText, TextRectClipsToTheRectangle) {
  auto b = WhiteBitmap(80, 40);
  TCanvas* cv = b->Canvas();
  cv->Brush()->SetColor(clAqua);
  cv->TextRect(Rect(10, 10, 30, 20), 12, 5, "WWWWWWWW");
  EXPECT_EQ(InkBox(*b, clWhite), (TRect{10, 10, 29, 19}));
}

// ---- copies ------------------------------------------------------------------------------
TEST(CanvasCopy, CopyModesCombineSourceAndDestination) {
  const TColor S = RGB(0xCC, 0x0F, 0x33), D = RGB(0xAA, 0xF0, 0x55);
  struct Case {
    TCopyMode mode;
    TColor expect;
  };
  const Case cases[] = {{SRCCOPY, S},
                        {SRCAND, S & D},
                        {SRCPAINT, S | D},
                        {SRCINVERT, S ^ D},
                        {NOTSRCCOPY, ~S & 0xFFFFFF},
                        {BLACKNESS, 0},
                        {WHITENESS, 0xFFFFFF},
                        {DSTINVERT, ~D & 0xFFFFFF},
                        {SRCERASE, S & ~D & 0xFFFFFF}};
  for (const Case& c : cases) {
    auto src = WhiteBitmap(3, 3);
    src->Canvas()->Brush()->SetColor(S);
    src->Canvas()->FillRect(Rect(0, 0, 3, 3));
    auto dst = WhiteBitmap(6, 6, pf24bit);
    dst->Canvas()->Brush()->SetColor(D);
    dst->Canvas()->FillRect(Rect(0, 0, 6, 6));
    dst->Canvas()->SetCopyMode(c.mode);
    dst->Canvas()->Draw(2, 2, src.get());
    EXPECT_EQ(dst->Canvas()->GetPixel(3, 3), c.expect) << std::hex << c.mode;
    EXPECT_EQ(dst->Canvas()->GetPixel(1, 1), D);
    EXPECT_EQ(dst->Canvas()->GetPixel(5, 5), D);
    // The same through CopyRect.
    auto dst2 = WhiteBitmap(6, 6);
    dst2->Canvas()->Brush()->SetColor(D);
    dst2->Canvas()->FillRect(Rect(0, 0, 6, 6));
    dst2->Canvas()->SetCopyMode(c.mode);
    dst2->Canvas()->CopyRect(Rect(0, 0, 2, 2), src->Canvas(), Rect(1, 1, 3, 3));
    EXPECT_EQ(dst2->Canvas()->GetPixel(1, 1), c.expect) << std::hex << c.mode;
    EXPECT_EQ(dst2->Canvas()->GetPixel(2, 2), D);
  }
}

TEST(CanvasCopy, SrcInvertTwiceRestores) {
  auto src = WhiteBitmap(10, 10);
  gt::PaintPattern(*src);
  auto dst = WhiteBitmap(20, 20);
  gt::PaintPattern(*dst);
  auto before = gt::Pixels(*dst);
  dst->Canvas()->SetCopyMode(SRCINVERT);
  dst->Canvas()->Draw(5, 3, src.get());
  EXPECT_NE(gt::Pixels(*dst), before);
  dst->Canvas()->Draw(5, 3, src.get());
  EXPECT_EQ(gt::Pixels(*dst), before);
}

TEST(CanvasCopy, StretchDrawScalesByNearestPixelAndMirrors) {
  auto src = WhiteBitmap(2, 2);
  src->Canvas()->SetPixel(0, 0, clRed);
  src->Canvas()->SetPixel(1, 0, clLime);
  src->Canvas()->SetPixel(0, 1, clBlue);
  src->Canvas()->SetPixel(1, 1, clYellow);
  auto dst = WhiteBitmap(8, 8);
  dst->Canvas()->StretchDraw(Rect(0, 0, 4, 4), src.get());
  EXPECT_EQ(dst->Canvas()->GetPixel(0, 0), clRed);
  EXPECT_EQ(dst->Canvas()->GetPixel(1, 1), clRed);
  EXPECT_EQ(dst->Canvas()->GetPixel(2, 1), clLime);
  EXPECT_EQ(dst->Canvas()->GetPixel(1, 3), clBlue);
  EXPECT_EQ(dst->Canvas()->GetPixel(3, 3), clYellow);
  EXPECT_EQ(dst->Canvas()->GetPixel(4, 4), clWhite);
  // A reversed destination mirrors the picture.
  dst->Canvas()->CopyRect(Rect(8, 4, 4, 8), src->Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(dst->Canvas()->GetPixel(4, 4), clLime);
  EXPECT_EQ(dst->Canvas()->GetPixel(7, 4), clRed);
}

TEST(CanvasCopy, DrawBetweenPixelFormatsAndOverTheEdges) {
  for (TPixelFormat sf : {pf24bit, pf32bit})
    for (TPixelFormat df : {pf24bit, pf32bit}) {
      SCOPED_TRACE(std::to_string(sf) + " onto " + std::to_string(df));
      auto src = gt::WhiteBitmap(9, 7, sf);
      gt::PaintPattern(*src);
      auto dst = gt::WhiteBitmap(10, 8, df);
      dst->Canvas()->Draw(-2, 3, src.get());  // sticks out to the left and the bottom
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
          bool inside = x <= 6 && y >= 3;
          TColor want = inside ? src->Canvas()->GetPixel(x + 2, y - 3) : clWhite;
          ASSERT_EQ(dst->Canvas()->GetPixel(x, y), want) << x << "," << y;
        }
    }
}

TEST(CanvasCopy, SourceOutsideItsBitmapReadsBlack) {
  auto src = gt::WhiteBitmap(4, 4);
  auto dst = gt::WhiteBitmap(6, 6);
  dst->Canvas()->CopyRect(Rect(0, 0, 6, 6), src->Canvas(), Rect(2, 2, 8, 8));
  EXPECT_EQ(dst->Canvas()->GetPixel(1, 1), clWhite);
  EXPECT_EQ(dst->Canvas()->GetPixel(2, 2), clBlack);
  EXPECT_EQ(dst->Canvas()->GetPixel(5, 0), clBlack);
}

TEST(CanvasCopy, CopyWithinOneCanvasReadsTheOriginalPixels) {
  auto b = WhiteBitmap(10, 1);
  for (int x = 0; x < 10; ++x) b->Canvas()->SetPixel(x, 0, RGB(x, 0, 0));
  b->Canvas()->CopyRect(Rect(1, 0, 10, 1), b->Canvas(), Rect(0, 0, 9, 1));  // overlapping
  for (int x = 1; x < 10; ++x) EXPECT_EQ(b->Canvas()->GetPixel(x, 0), RGB(x - 1, 0, 0));
}

TEST(CanvasCopy, TransparentBitmapSkipsItsTransparentColour) {
  auto src = WhiteBitmap(3, 3);
  src->Canvas()->Brush()->SetColor(clFuchsia);
  src->Canvas()->FillRect(Rect(0, 0, 3, 3));
  src->Canvas()->SetPixel(1, 1, clBlack);
  src->SetTransparent(true);
  EXPECT_EQ(src->TransparentColor(), clFuchsia);  // the bottom-left pixel
  auto dst = WhiteBitmap(5, 5);
  dst->Canvas()->Draw(1, 1, src.get());
  EXPECT_EQ(gt::PixelsOf(*dst, clBlack), std::vector<std::string>{"2,2"});
  EXPECT_EQ(Count(*dst, clWhite), 24);
  src->SetTransparentColor(clBlack);
  dst->Canvas()->Draw(1, 1, src.get());
  EXPECT_EQ(Count(*dst, clFuchsia), 8);
}

}  // namespace
