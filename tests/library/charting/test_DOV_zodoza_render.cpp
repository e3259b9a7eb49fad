// Rendering the chart: items of every kind and coordinate mode, the render cache and polyline
// batch, the data area (grid, order), painting (cross hairs, caption, shadow), the axis hit
// test and the drawing primitives. Pictures go to charting_pictures/ for people to look at;
// the tests check probe pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "DOV_streams.h"
#include "DOV_zodoza.h"
#include "DOV_zodozaPub.h"
#include "Dialogs.h"
#include "DocumentReaders.h"
#include "TestSupport.h"

namespace {

constexpr TColor kWhite = 0xFFFFFF, kBlack = 0, kRed = 0x0000FF, kGreen = 0x00FF00,
                 kBlue = 0xFF0000, kSilver = 0xC0C0C0, kTeal = 0x808000, kOlive = 0x008080;

// A chart 400 x 300 with margins 50/10/20/30 (data area 340 x 250), both axes 0 ... 10.
struct Chart {
  TCustomZOdoza c{nullptr};
  static constexpr Integer W = 400, H = 300;
  explicit Chart(Double lo = 0, Double hi = 10) {
    c.SetBounds(0, 0, W, H);
    c.SetLRim(50);
    c.SetRRim(10);
    c.SetTRim(20);
    c.SetBRim(30);
    c.ForceRange(1, lo, lo, hi, hi);
  }
  void Show() { c.SetSuppressPaint(false); }
  // Pixel of a world point on the data-area bitmap.
  TPoint G(Double x, Double y, Integer Layer = 1) const {
    Integer px = 0, py = 0;
    c.R2M(Layer, x, y, px, py);
    return Point(px - c.LRim(), py - c.TRim());
  }
  TColor At(TPoint p) const { return c.GrafBmp()->Canvas()->GetPixel(p.X, p.Y); }
  TColor At(Integer x, Integer y) const { return c.GrafBmp()->Canvas()->GetPixel(x, y); }
  TColor Screen(Integer x, Integer y) const { return c.ChartBmp()->Canvas()->GetPixel(x, y); }
};

std::filesystem::path PictureFolder() {
  const auto out = std::filesystem::current_path() / "charting_pictures";
  std::filesystem::create_directories(out);
  return out;
}

// Every kind of item, the coordinate modes of lines and arrows, frames, bars, texts.
void BuildGallery(TCustomZOdoza& c) {
  c.SetDataCol(kBlue);
  c.SetFillCol(kSilver);
  c.MoveTo(0.5, 0.5);
  for (int i = 1; i <= 8; ++i) c.DrawTo(0.5 + i * 0.25, 0.5 + (i % 2) * 0.5);
  c.SetDataCol(kRed);
  c.MarkAt(0.5, 2.0, 10);
  c.MarkAt(1.0, 2.0, 1);
  c.MarkErrorBar(1.7, 2.0, 0.4, 0.6, orVert, 10);
  c.MarkErrorBar(2.6, 2.0, 0.3, 0.3, orHoriz, 2);
  c.SetFillCol(0x80FFFF);
  c.Rectangle(3.5, 0.5, 4.5, 1.5);
  c.SetTranspItems(true);
  c.Rectangle(4.8, 0.5, 5.8, 1.5);
  c.Ellipse(6.8, 1.0, 0.6, 0.4);
  c.SetTranspItems(false);
  c.Ellipse(8.5, 1.0, 0.6, 0.4);
  c.Arc(6.8, 2.5, 0.6, 0.6, 0, 2.0);
  c.Bar3D(3.5, 2.5, 4.0, 4.0, 8, 30);
  c.Bar3D(5.0, 2.5, 5.5, 4.0, 8, 150);
  const TFrameStyle frames[4] = {fsLowered, fsRaised, fsEmbossed, fsEngraved};
  for (int k = 0; k < 4; ++k)
    c.RectFrame(0.3 + k * 0.8, 5.5, 0.9 + k * 0.8, 6.5, frames[k], 0x808080, kWhite);
  c.SetDataCol(kBlack);
  c.Arrow(7.0, 4.0, 8.5, 4.0, 8);  // right
  c.Arrow(7.0, 4.5, 5.9, 4.5, 8);  // left
  c.Arrow(9.0, 3.0, 9.0, 5.0, 8);  // up
  c.Arrow(9.5, 5.0, 9.5, 3.0, 8);  // down
  c.SetTranspItems(true);
  c.DoubleArrow(6.0, 5.5, 8.5, 6.5, 7);
  c.SetTranspItems(false);
  c.LineOffset(6.0, 7.0, 8.0, 7.0, 0, 3);
  c.MoveTo(6.0, 8.0);
  c.DrawToRelPix(10, -10);
  c.DrawToRelPix(20, 0);
  c.DrawToRelPix(8.0, 8.0, 15, 15);
  c.MoveToRelPix(5, 5);
  c.RectangleRelPix(9.0, 8.0, 6, 4);
  c.SetDataCol(kGreen);
  c.CursorVert(9.8);
  c.CursorHoriz(9.8);
  c.SetDataCol(kBlack);
  c.SetTextBkStyle(tbSolid);
  c.SetFillCol(0xE0E0FF);
  c.Text(0.3, 8.5, 9, "left", 0, 0, taLeftJustify);
  c.Text(2.5, 8.5, 9, "centre", 0, 0, taCenter);
  c.Text(5.0, 8.5, 9, "right", 0, 0, taRightJustify);
  c.Text(1.5, 7.4, 8, "two\nlines", 0, 0, taCenter);
  c.Text(4.0, 7.3, 8, "offset", 10, -5, taLeftJustify);
  // Annotations in the screen modes.
  c.SetAnnoMode(true);
  c.SetDataCol(kTeal);
  c.Line(200, 10, 330, 40);        // both screen
  c.Line(5.0, 5.0, 330, 60);       // world then screen
  c.Arrow(200, 5.0, 260, 6.0, 6);  // x screen, y world
  c.MarkAt(320, 100, 10);
  c.SetAnnoMode(false);
}

}  // namespace

// ---- the gallery
// ---------------------------------------------------------------------------------
TEST(ChartRender, GalleryInColourAndBlackAndWhite) {
  Chart ch;
  BuildGallery(ch.c);
  ch.Show();
  EXPECT_TRUE(SaveBitmapAsPNG(ch.c.ChartBmp(), (PictureFolder() / "chart_items.png").string()));

  // A filled rectangle includes both corners; its outline is the pen colour.
  const TPoint a = ch.G(3.5, 1.5), b = ch.G(4.5, 0.5);
  EXPECT_EQ(ch.At(a), kRed);
  EXPECT_EQ(ch.At(b), kRed);
  EXPECT_EQ(ch.At(b.X + 1, b.Y), kWhite);
  EXPECT_EQ(ch.At((a.X + b.X) / 2, (a.Y + b.Y) / 2), 0x80FFFF);
  // A hollow rectangle keeps the background inside.
  const TPoint t = ch.G(5.3, 1.0);
  EXPECT_EQ(ch.At(t), kWhite);
  // Cursors span the data area.
  const TPoint cv = ch.G(9.8, 5.0);
  EXPECT_EQ(ch.At(cv.X, 1), kGreen);
  EXPECT_EQ(ch.At(cv.X, ch.c.Height() - ch.c.TRim() - ch.c.BRim() - 1), kGreen);
  // A screen-mode annotation line starts at its pixel of the data area.
  EXPECT_EQ(ch.At(200, 10), kTeal);

  // The same scene in black and white: outlines black, fills silver, text background white.
  TBitmap bw;
  bw.SetSize(ch.c.GrafBmp()->Width(), ch.c.GrafBmp()->Height());
  ch.c.InitGraf(bw.Canvas(), 0, 0, bw.Width(), bw.Height());
  ch.c.ConstructDataBmp(&bw, 0, 0, true, 0);
  EXPECT_TRUE(SaveBitmapAsPNG(&bw, (PictureFolder() / "chart_items_bw.png").string()));
  EXPECT_EQ(bw.Canvas()->GetPixel(a.X, a.Y), kBlack);
  EXPECT_EQ(bw.Canvas()->GetPixel((a.X + b.X) / 2, (a.Y + b.Y) / 2), kSilver);
  EXPECT_EQ(bw.Canvas()->GetPixel(200, 10), kBlack);
}

// ---- geometry of single items
// --------------------------------------------------------------------
TEST(ChartRender, DegenerateShapesAreOnePixelAndLinesLeaveTheirEnd) {
  Chart ch;
  ch.c.SetDataCol(kRed);
  ch.c.Rectangle(5.0, 5.0, 5.001, 5.001);  // both corners round to one pixel
  ch.c.Line(1.0, 1.0, 3.0, 1.0);
  ch.Show();
  const TPoint p = ch.G(5.0, 5.0);
  EXPECT_EQ(ch.At(p), kRed);
  EXPECT_EQ(ch.At(p.X + 1, p.Y), kWhite);
  EXPECT_EQ(ch.At(p.X, p.Y + 1), kWhite);
  EXPECT_EQ(ch.At(ch.G(1.0, 1.0)), kRed);
  const TPoint end = ch.G(3.0, 1.0);
  EXPECT_EQ(ch.At(end.X - 1, end.Y), kRed);
  EXPECT_EQ(ch.At(end), kWhite);
}

TEST(ChartRender, FarAwayPointsKeepTheLineInPlace) {
  // Lines whose ends lie far outside the picture (far out in the data, or a chart zoomed in):
  // each probe, a world point on the true line, is drawn (within a pixel up or down); the
  // points off the line stay empty.
  struct Case {
    const char* Name;
    Double Lo, Hi;  // both axes
    std::function<void(TCustomZOdoza&)> Draw;
    std::vector<TPointDouble> OnTheLine, OffTheLine = {};
  } cases[] = {
      {"far right, horizontal", 0, 10, [](TCustomZOdoza& c) { c.Line(5.0, 5.0, 1e12, 5.0); },
       {{6, 5}, {9, 5}, {9.97, 5}}},
      {"far below, vertical", 0, 10, [](TCustomZOdoza& c) { c.Line(5.0, 5.0, 5.0, -1e15); },
       {{5, 4}, {5, 1}, {5, 0.03}}},
      {"a line from -1000 to 1000", 0, 10,
       [](TCustomZOdoza& c) { c.Line(-1000.0, -1000.0, 1000.0, 1000.0); },
       {{0.5, 0.5}, {2, 2}, {5, 5}, {8, 8}, {9.9, 9.9}}},
      {"a line drawn to, zoomed 500 times onto its middle", 4.99, 5.01,
       [](TCustomZOdoza& c) {
         c.MoveTo(0.0, 0.0);
         c.DrawTo(10.0, 10.0);
       },
       {{4.991, 4.991}, {4.995, 4.995}, {5, 5}, {5.005, 5.005}, {5.0099, 5.0099}}},
      {"zoomed 1e9 times: the ends lie beyond the int range", 5 - 5e-9, 5 + 5e-9,
       [](TCustomZOdoza& c) {
         c.MoveTo(0.0, 0.0);
         c.DrawTo(10.0, 10.0);
       },
       {{5 - 4e-9, 5 - 4e-9}, {5, 5}, {5 + 4e-9, 5 + 4e-9}}},
      {"a polyline that leaves the picture and comes back", 0, 10,
       [](TCustomZOdoza& c) {
         c.MoveTo(2.0, 2.0);
         c.DrawTo(1e6, 1e6 + 3);
         c.DrawTo(8.0, 2.0);
         c.DrawTo(9.0, 2.0);
       },
       {{3, 3}, {5, 5}, {7, 7}, {8.5, 2.5}, {9.5, 3.5}, {8.5, 2}}},
      {"a polyline that leaves at the top and comes back from the bottom", 0, 10,
       [](TCustomZOdoza& c) {
         c.MoveTo(5.0, 5.0);
         c.DrawTo(5.0, 1e6);
         c.DrawTo(1e6, 1e6);
         c.DrawTo(1e6, -1e6);
         c.DrawTo(6.0, -1e6);
         c.DrawTo(6.0, 5.0);
       },
       {{5, 6}, {5, 9.9}, {6, 0.1}, {6, 4}},
       {{5.5, 5}, {5.25, 7.5}, {5.75, 2.5}, {5.5, 9.9}, {5.5, 0.1}}},
      {"an arrow from far away", 0, 10,
       [](TCustomZOdoza& c) { c.Arrow(-1e6, -2e6 + 5, 5.0, 5.0, 8); },
       {{4, 3}, {3, 1}, {2.6, 0.2}}},
      {"far end first, horizontal", 0, 10, [](TCustomZOdoza& c) { c.Line(1e25, 5.0, 5.0, 5.0); },
       {{6, 5}, {9, 5}, {9.97, 5}}, {{4, 5}, {1, 5}}},
      {"far end first, rising to the right", 0, 10,
       [](TCustomZOdoza& c) { c.Line(1e25, 1e25, 5.0, 2.0); },
       {{6, 3}, {8, 5}, {9.9, 6.9}}, {{4, 1}, {3, 5}, {1, 8}}},
      {"both ends far: a reference line across", 0, 10,
       [](TCustomZOdoza& c) { c.Line(-1e30, 5.0, 1e30, 5.0); },
       {{0.03, 5}, {3, 5}, {7, 5}, {9.97, 5}}},
      {"both ends 1e20 away", 0, 10, [](TCustomZOdoza& c) { c.Line(1e20, 5.0, -1e20, 5.0); },
       {{0.03, 5}, {5, 5}, {8, 5}, {9.97, 5}}},
      {"both ends far, through the middle at a slant", -5, 5,
       [](TCustomZOdoza& c) { c.Line(-1e30, -2e30, 1e30, 2e30); },
       {{-2.4, -4.8}, {-1, -2}, {0, 0}, {1.5, 3}, {2.4, 4.8}}, {{1, 1}, {-1, -1}}},
      {"both ends 1e20 pixels away at a slant", -5, 5,
       [](TCustomZOdoza& c) { c.Line(-3e18, -1e18, 3e18, 1e18); },
       {{-4.5, -1.5}, {0, 0}, {3, 1}, {4.8, 1.6}}, {{0, 1}, {0, -1}}},
      {"a line drawn between two far points", -5, 5,
       [](TCustomZOdoza& c) {
         c.MoveTo(1e30, 2e30);
         c.DrawTo(-1e30, -2e30);
       },
       {{-2.4, -4.8}, {-1, -2}, {0, 0}, {1.5, 3}, {2.4, 4.8}}, {{1, 1}, {-1, -1}}},
      {"zoomed 1e9 times onto a line with both ends far", 5 - 5e-9, 5 + 5e-9,
       [](TCustomZOdoza& c) { c.Line(-1e6, -1e6, 1e6, 1e6); },
       {{5 - 4.9e-9, 5 - 4.9e-9}, {5 - 2e-9, 5 - 2e-9}, {5, 5}, {5 + 3e-9, 5 + 3e-9},
        {5 + 4.9e-9, 5 + 4.9e-9}},
       {{5 - 3e-9, 5 + 3e-9}, {5 + 3e-9, 5 - 3e-9}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    Chart ch(k.Lo, k.Hi);
    ch.c.SetDataCol(kRed);
    k.Draw(ch.c);
    ch.Show();
    const auto n = static_cast<int>(&k - cases);
    SaveBitmapAsPNG(ch.c.ChartBmp(),
                    (PictureFolder() / ("chart_far_lines_" + std::to_string(n) + ".png")).string());
    for (const TPointDouble& w : k.OnTheLine) {
      const TPoint p = ch.G(w.X, w.Y);
      EXPECT_TRUE(ch.At(p.X, p.Y - 1) == kRed || ch.At(p) == kRed || ch.At(p.X, p.Y + 1) == kRed)
          << "(" << w.X << ", " << w.Y << ") at pixel " << p.X << ", " << p.Y;
    }
    for (const TPointDouble& w : k.OffTheLine)
      EXPECT_EQ(ch.At(ch.G(w.X, w.Y)), kWhite) << "(" << w.X << ", " << w.Y << ") off the line";
  }
}

TEST(ChartRender, ZoomedEllipsesAndArcsShowTheirVisiblePartInPlace) {
  // A circle of radius 1 around the origin (silver inside, red outline) or an arc of it, seen
  // through a square window on its edge: pixels more than 1.5 pixels inside the circle are
  // silver (an ellipse) or white (an arc), those as far outside white; the outline is drawn
  // and every red pixel lies within 1.5 pixels of the circle (and for an arc, on its angles,
  // which are those of rays on the canvas, as for an arc of usual size).
  constexpr Double kArcEnd = -1;  // the window centred on the arc's end
  struct Case {
    const char* Name;
    Double At, Width;  // window centre on the circle (radian) and width
    bool IsArc;
    Double From = 0, To = 0;  // the arc's angles
  } cases[] = {
      {"ellipse, 1e-2 wide at 45 degrees", M_PI / 4, 1e-2, false},
      {"ellipse, 1e-6 wide at 45 degrees", M_PI / 4, 1e-6, false},
      {"ellipse, 1e-9 wide at 30 degrees", M_PI / 6, 1e-9, false},
      {"arc 0 ... 2 rad, seen at 0.79 rad, 1e-2 wide", 0.79, 1e-2, true, 0, 2},
      {"arc 0 ... 2 rad, seen at 1.0 rad, 1e-5 wide", 1.0, 1e-5, true, 0, 2},
      {"arc 0 ... 2 rad, seen at its end, 1e-4 wide", kArcEnd, 1e-4, true, 0, 2},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    // The data area is 340 x 250 pixels: a ray at angle a meets the circle at angle t.
    const Double t =
        k.At != kArcEnd ? k.At : std::atan2(std::sin(k.To) / 250, std::cos(k.To) / 340);
    const Double cx = std::cos(t), cy = std::sin(t);
    Chart ch;
    ch.c.ForceRange(1, cx - k.Width / 2, cy - k.Width / 2, cx + k.Width / 2, cy + k.Width / 2);
    ch.c.SetDataCol(kRed);
    ch.c.SetFillCol(kSilver);
    if (k.IsArc)
      ch.c.Arc(0.0, 0.0, 1.0, 1.0, k.From, k.To);
    else
      ch.c.Ellipse(0.0, 0.0, 1.0, 1.0);
    ch.Show();
    Double kx = 0, dx = 0, ky = 0, dy = 0;
    ch.c.GetTransformParams(1, kx, dx, ky, dy);
    const TBitmap* g = ch.c.GrafBmp();
    Integer wrong = 0, red = 0;
    for (Integer y = 1; y < g->Height() - 1; ++y)  // within the frame
      for (Integer x = 1; x < g->Width() - 1; ++x) {
        Double wx = 0, wy = 0;
        ch.c.M2R(1, x + ch.c.LRim(), y + ch.c.TRim(), wx, wy);
        // Distance from the circle in pixels (the window is far smaller than the circle).
        const Double r = std::hypot(wx, wy);
        const Double d = (r - 1) / std::hypot(wx / (r * kx), wy / (r * ky));
        Double angle = std::atan2(-ky * wy, kx * wx);
        if (angle < 0) angle += 2 * M_PI;
        const bool onArc = !k.IsArc || (angle >= k.From && angle <= k.To);
        const TColor c = ch.At(x, y);
        if (c == kRed) {
          ++red;
          wrong += std::fabs(d) > 1.5 || !onArc;
        } else if (d < -1.5) {
          wrong += c != (k.IsArc ? kWhite : kSilver);
        } else if (d > 1.5) {
          wrong += c != kWhite;
        }
      }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(red, 100);
  }
}

TEST(ChartRender, NonFiniteCoordinatesLeaveAGap) {
  constexpr Double nan = std::numeric_limits<Double>::quiet_NaN();
  constexpr Double inf = std::numeric_limits<Double>::infinity();
  // A line along y = 5 with a missing point between x = 3 and x = 5 (or a missing move there):
  // nothing is drawn between those two, the line goes on from the next point.
  struct Gap {
    const char* Name;
    Double X, Y;   // the third point
    bool MoveToo;  // a move to a missing point follows it
  } gaps[] = {{"x infinite", inf, 5.0, false},
              {"y NaN", 4.0, nan, false},
              {"both", -inf, nan, false},
              {"a missing move", 4.0, 5.0, true}};
  for (const Gap& k : gaps) {
    SCOPED_TRACE(k.Name);
    Chart ch;
    ch.c.SetDataCol(kRed);
    ch.c.MoveTo(1.0, 5.0);
    ch.c.DrawTo(3.0, 5.0);
    ch.c.DrawTo(k.X, k.Y);
    if (k.MoveToo) ch.c.MoveTo(nan, 5.0);
    ch.c.DrawTo(5.0, 5.0);
    ch.c.DrawTo(7.0, 5.0);
    ch.Show();
    EXPECT_EQ(ch.At(ch.G(2.0, 5.0)), kRed);
    EXPECT_EQ(ch.At(ch.G(4.5, 5.0)), kWhite);
    EXPECT_EQ(ch.At(ch.G(6.0, 5.0)), kRed);
    EXPECT_NE(ch.At(ch.G(4.0, 0.0).X, 0), kRed);  // nothing spikes to the top
  }
  // Any other item with a coordinate that is not finite is left out whole.
  const std::function<void(TCustomZOdoza&)> items[] = {
      [](TCustomZOdoza& c) { c.Line(1.0, 1.0, inf, 5.0); },
      [](TCustomZOdoza& c) { c.Line(nan, 1.0, 5.0, 5.0); },
      [](TCustomZOdoza& c) { c.Rectangle(1.0, 1.0, 5.0, nan); },
      [](TCustomZOdoza& c) { c.Ellipse(5.0, 5.0, inf, 1.0); },
      [](TCustomZOdoza& c) { c.Arrow(1.0, 1.0, -inf, 5.0, 8); },
      [](TCustomZOdoza& c) { c.MarkErrorBar(5.0, 5.0, inf, 1.0, orVert, 1); },
  };
  for (size_t i = 0; i < std::size(items); ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    Chart ch;
    ch.c.SetDataCol(kRed);
    items[i](ch.c);
    ch.Show();
    const TBitmap* g = ch.c.GrafBmp();
    Integer red = 0;
    for (Integer y = 0; y < g->Height(); ++y)
      for (Integer x = 0; x < g->Width(); ++x) red += ch.At(x, y) == kRed;
    EXPECT_EQ(red, 0);
  }
}

TEST(ChartRender, ArrowHeadsPointAlongTheShaft) {
  Chart ch;
  ch.c.SetDataCol(kBlack);
  ch.c.SetFillCol(kRed);
  ch.c.Arrow(5.0, 8.0, 5.0, 2.0, 10);  // pointing down
  ch.c.Arrow(2.0, 2.0, 2.0, 2.0, 10);  // zero length: one pixel
  ch.Show();
  const TPoint tip = ch.G(5.0, 2.0);
  // Barbs at tip.y - round(cos(20 deg) * 10) = tip.y - 9, x -+ 3: above the tip.
  EXPECT_EQ(ch.At(tip.X - 3, tip.Y - 9), kBlack);
  EXPECT_EQ(ch.At(tip.X + 3, tip.Y - 9), kBlack);
  EXPECT_EQ(ch.At(tip.X - 2, tip.Y - 6), kBlack);  // on the head's edge
  EXPECT_EQ(ch.At(tip.X, tip.Y - 5), kRed);        // inside the solid head
  EXPECT_EQ(ch.At(tip.X, tip.Y + 9), kWhite);
  const TPoint dot = ch.G(2.0, 2.0);
  EXPECT_EQ(ch.At(dot), kBlack);
  EXPECT_EQ(ch.At(dot.X, dot.Y - 1), kWhite);
}

TEST(ChartRender, MarksOnlyInsideTheLayersRangeWhicheverWayItRuns) {
  for (const bool reversed : {false, true}) {
    Chart ch;
    if (reversed) ch.c.ForceRange(1, 10, 0, 0, 10);
    ch.c.SetDataCol(kRed);
    ch.c.MarkAt(0.0, 5.0, 10);    // on the range's end: drawn (an open 3 x 3 square)
    ch.c.MarkAt(-0.01, 3.0, 10);  // just outside, on the same pixel column: not drawn
    ch.Show();
    const TPoint on = ch.G(0.0, 5.0), off = ch.G(-0.01, 3.0);
    const Integer inward = reversed ? -1 : 1;  // the frame covers the end column itself
    EXPECT_EQ(on.X, off.X);
    EXPECT_EQ(ch.At(on.X + inward, on.Y), kRed) << reversed;
    EXPECT_EQ(ch.At(off.X + inward, off.Y), kWhite) << reversed;
  }
}

TEST(ChartRender, DuplicateMarksAreSkippedOnlyForTheSameCodeNearby) {
  Chart ch(0, 340);  // one world unit per pixel across
  ch.c.SetAvoidDupMarks(true);
  EXPECT_TRUE(ch.c.AvoidDuplicateMarks());
  ch.c.SetDupMarksMinD(7);
  EXPECT_EQ(ch.c.MinDupMarkDist(), 3);
  ch.c.SetDupMarksMinD(1);
  int drawn = 0;
  TBitmap bmp;
  ch.c.Show();
  bmp.SetSize(ch.c.GrafBmp()->Width(), ch.c.GrafBmp()->Height());
  bmp.Canvas()->OnChange = [&](TObject*) { ++drawn; };
  ch.c.MarkAt(100.0, 100.0, 1);
  ch.c.MarkAt(101.0, 100.0, 1);  // 1 pixel away, same code: skipped
  ch.c.MarkAt(102.0, 100.0, 1);  // 2 pixels from the first: drawn
  ch.c.MarkAt(200.0, 100.0, 1);
  ch.c.MarkAt(202.0, 100.0, 1);  // 2 pixels away: drawn
  ch.c.MarkAt(100.0, 100.0, 2);  // another code at the same place: drawn
  drawn = 0;
  ch.c.ConstructDataBmp(&bmp, 0, 0, false, 0);
  // One change per mark drawn (pixel masks) plus the frame.
  EXPECT_EQ(drawn, 5 + 1);
}

TEST(ChartRender, LineToItemsBecomeOnePolylineCallPer200Points) {
  Chart ch(0, 1000);
  ch.Show();
  TBitmap bmp;
  bmp.SetSize(ch.c.GrafBmp()->Width(), ch.c.GrafBmp()->Height());
  std::vector<TrcChartItem> items;
  TrcChartItem it;
  it.ItemKind = tkMoveTo;
  it.x = 10;
  it.y = 500;
  it.LWid = 1;
  items.push_back(it);
  for (int i = 1; i <= 450; ++i) {
    it.ItemKind = tkLineto;
    it.x = 10 + i * 2;
    it.y = 500 + (i % 2) * 100;
    items.push_back(it);
  }
  int calls = 0;
  bmp.Canvas()->OnChange = [&](TObject*) { ++calls; };
  TLongTextArray texts;
  for (size_t i = 0; i < items.size(); ++i)
    ch.c.DrawContainerItemOnCanvas(bmp.Canvas(), items[i], static_cast<Integer>(i), false, texts,
                                   false, 0, 0);
  ch.c.FinishPolyLine(bmp.Canvas());
  EXPECT_EQ(calls, 3);
  // The line runs on without a gap across the batch boundaries (items 199/200 and 398/399).
  for (const int i : {199, 200, 398, 399}) {
    const TPoint p = ch.G(10 + i * 2, 500 + (i % 2) * 100);
    EXPECT_EQ(bmp.Canvas()->GetPixel(p.X, p.Y), kBlack) << i;
  }
  // A colour change ends the polyline and the next one starts at the last point drawn.
  calls = 0;
  it.Color = kRed;
  it.x = 1000;
  it.y = 500;
  ch.c.DrawContainerItemOnCanvas(bmp.Canvas(), it, 0, false, texts, false, 0, 0);
  ch.c.FinishPolyLine(bmp.Canvas());
  EXPECT_EQ(calls, 1);
  const TPoint last = ch.G(10 + 900, 500);
  EXPECT_EQ(bmp.Canvas()->GetPixel(last.X, last.Y), kRed);
}

TEST(ChartRender, TextsUseLongTextsAlignmentAndOpaqueBoxes) {
  Chart ch;
  ch.c.SetDataCol(kBlack);
  ch.c.SetTextBkStyle(tbSolid);
  ch.c.SetFillCol(kGreen);
  ch.c.Text(5.0, 5.0, 10, "one\nlonger line", 0, 0, taLeftJustify);
  String seen;
  ch.c.OnBeforeRenderText = [&](TObject*, String& Text, Integer, bool) { seen = Text; };
  ch.Show();
  EXPECT_EQ(seen, "one\nlonger line");  // the long text, not its first 15 characters
  TCanvas* cv = ch.c.GrafBmp()->Canvas();
  cv->Font()->SetSize(10);
  const Integer width = cv->TextWidth("longer line");
  const TPoint p = ch.G(5.0, 5.0);
  const Integer lineH = cv->TextHeight(seen) + 1;
  const Integer top = p.Y - lineH / 2;
  // The box reaches 4 pixels beyond the widest line on both sides: 8 pixels wider.
  EXPECT_EQ(ch.At(p.X - 4, top), kGreen);
  EXPECT_EQ(ch.At(p.X - 5, top), kWhite);
  EXPECT_EQ(ch.At(p.X + width + 3, top), kGreen);
  EXPECT_EQ(ch.At(p.X + width + 4, top), kWhite);
}

// Text items draw the characters given, whatever their code, on screen, in bitmaps and in
// metafiles; the record's 8-bit text keeps what it can (and the chart files hold).
TEST(ChartRender, TextsDrawEveryCharacterGiven) {
  struct Case {
    const char* text;
    bool longText;
  };
  const Case cases[] = {
      {"\u03A9", true},                        // Omega, whose low byte is the copyright sign
      {"R = 50 \u03A9", true},                 // inside a short text
      {"a\U0001F600b", true},                  // beyond the 16-bit range
      {"gr\u00FCn", false},                    // Latin-1 fits the record
      {"sixteen chars \u00FC!", true},         // too long for the record
      {"longer \u03A9 text than fits", true},  // both
  };
  testsupport::TempDir dir;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    // The chart of the text, and the chart of what the text's low bytes would show.
    auto draw = [&](const String& text, const String& wmf) {
      auto c = std::make_unique<TZOdoza>(nullptr);
      c->SetBounds(0, 0, 200, 100);
      c->ForceRange(1, 0, 0, 10, 10);
      c->SetDataCol(kBlack);
      c->Text(5.0, 5.0, 14, text);
      c->SetSuppressPaint(false);
      c->CopyToWMF((dir.path() / wmf).string(), false);
      return c;
    };
    const std::string bytes = LowBytesOfString(k.text);
    const String lowBytes = StringOfLowBytes(bytes.data(), bytes.size());
    auto chart = draw(k.text, "given");
    auto lossy = draw(lowBytes, "low");
    EXPECT_EQ(chart->GetChartItem(0).LWid != 0, k.longText);
    EXPECT_EQ(chart->GetDataLongText(0), k.text);
    String seen;
    chart->OnBeforeRenderText = [&](TObject*, String& Text, Integer, bool) { seen = Text; };
    TBitmap copy, lossyCopy;
    chart->CopyToBitmap(&copy, false);
    lossy->CopyToBitmap(&lossyCopy, false);
    EXPECT_EQ(seen, k.text);
    // Screen and bitmap: the pixels differ from those of the low bytes where the texts do.
    const bool differs = lowBytes != k.text;
    auto samePixels = [](TBitmap* a, TBitmap* b) {
      for (Integer y = 0; y < a->Height(); ++y)
        for (Integer x = 0; x < a->Width(); ++x)
          if (a->Canvas()->GetPixel(x, y) != b->Canvas()->GetPixel(x, y)) return false;
      return true;
    };
    EXPECT_EQ(!samePixels(chart->ChartBmp(), lossy->ChartBmp()), differs);
    EXPECT_EQ(!samePixels(&copy, &lossyCopy), differs);
    // The metafile's text record holds the characters themselves.
    const std::string svg = testsupport::EmfToSvg(dir.read("given.wmf"));
    ASSERT_FALSE(svg.empty());
    EXPECT_NE(svg.find(k.text), std::string::npos) << svg;
  }
}

// ---- the data area -----------------------------------------------------------------------------
namespace {
// Columns of the data-area row that hold the grid colour.
std::vector<Integer> GridColumns(Chart& ch, Integer row) {
  std::vector<Integer> cols;
  for (Integer x = 1; x < ch.c.GrafBmp()->Width() - 1; ++x)
    if (ch.At(x, row) == kOlive) cols.push_back(x);
  return cols;
}
}  // namespace

TEST(ChartDataArea, GridStepsOnLinearAndLogarithmicAxes) {
  struct Case {
    Double lo, hi, dx;
    bool log;
    std::vector<Double> at;
  };
  std::vector<Double> minus3;
  for (Double v : {0.7, 0.8, 0.9}) minus3.push_back(v);
  for (int k = 1; k <= 9; ++k) minus3.push_back(k);
  for (int k = 1; k <= 9; ++k) minus3.push_back(10 * k);
  minus3.push_back(100);
  const Case cases[] = {
      {0, 1, 0.25, false, {0, 0.25, 0.5, 0.75}},
      {0.7, 120, -1, true, {1, 10, 100}},
      {0.7, 120, -2, true, {1, 2, 5, 10, 20, 50, 100}},
      {0.7, 120, -3, true, minus3},
  };
  for (const Case& k : cases) {
    Chart ch;
    ch.c.ForceRange(1, k.lo, 0, k.hi, 10);
    ch.c.GetScalePropsX(1)->SetLogAx(k.log);
    ch.c.SetGridCol(kOlive);
    ch.c.SetGridStyle(gsVertLines);
    ch.c.SetGridDx(k.dx);
    ch.Show();
    std::vector<Integer> expected;
    for (Double v : k.at) {
      const Integer x = ch.G(v, 5).X;
      if (x > 0 && (expected.empty() || expected.back() != x)) expected.push_back(x);
    }
    EXPECT_EQ(GridColumns(ch, 100), expected) << k.dx;
  }
}

TEST(ChartDataArea, GridFollowsTheAxisTicksAndStopsAfter1000Lines) {
  Chart ch(0, 20);
  ch.c.GetScalePropsX(1)->SetVisible(true);
  ch.c.SetGridCol(kOlive);
  ch.c.SetGridStyle(gsLines);
  ch.Show();
  const TScale* sx = ch.c.HelperScaleX(1);
  ASSERT_GT(sx->NumTicks(), 1);
  for (Integer i = 1; i <= sx->NumTicks(); ++i) {
    const Integer x = ch.G(sx->GetTickPos(i), 5).X;
    if (x > 0 && x < ch.c.GrafBmp()->Width() - 1) {
      EXPECT_EQ(ch.At(x, 100), kOlive) << i;
    }
  }
  ch.c.SetGridDx(1e-9);  // would be 2e10 lines: the first 1000 lie within the first pixel
  ch.c.SetGridStyle(gsVertLines);
  EXPECT_EQ(GridColumns(ch, 100), std::vector<Integer>{});
}

TEST(ChartDataArea, AnnotationOrderAndVisibility) {
  // Data over annotations with AnnoBelowChart; annotation texts over annotation shapes.
  Chart ch;
  ch.c.SetDataCol(kRed);
  ch.c.Line(0.0, 5.0, 10.0, 5.0);
  ch.c.SetAnnoMode(true);
  ch.c.SetFillCol(kGreen);
  ch.c.SetDataCol(kGreen);
  ch.c.Rectangle(4.0, 4.0, 6.0, 6.0);
  ch.c.SetAnnoMode(false);
  ch.c.SetClassDefault(7);
  ch.c.SetDataCol(kBlue);
  ch.c.Line(0.0, 2.0, 10.0, 2.0);
  ch.c.SetClassVisib(7, false);
  int offered = 0;
  ch.c.OnBeforeRendezOdozaItem = [&](TObject*, TrcChartItem&, Integer, bool) { ++offered; };
  ch.Show();
  const TPoint mid = ch.G(5.0, 5.0);
  EXPECT_EQ(ch.At(mid), kGreen);
  EXPECT_EQ(ch.At(ch.G(5.0, 2.0)), kWhite);  // invisible class: not drawn, not offered
  ch.c.SetAnnoBelow(true);
  ch.c.Repaint();
  EXPECT_EQ(ch.At(mid), kRed);
  EXPECT_EQ(offered % 2, 0);
  EXPECT_GT(offered, 0);
}

// ---- painting: frame, shadow, caption, cross hairs ---------------------------------------------
TEST(ChartPaint, CrossHairsStopShortOfTheFrameAndNumberOneLiesOnTop) {
  Chart ch;
  ch.c.SetChartCaption("");
  ch.Show();
  ch.c.CrossHairSetup(2, kRed, chBoth, psSolid, 1);
  ch.c.CrossHairSetup(1, kTeal, chBoth, psSolid, 1);
  ch.c.CrossHairSetPos(2, 5.0, 5.0);
  ch.c.CrossHairSetPos(1, 5.0, 5.0);
  ch.c.CrossHairSetPos(5, 1.0, 1.0);  // no such cross hair: nothing
  Integer px = 0, py = 0;
  ch.c.R2M(1, 5.0, 5.0, px, py);
  EXPECT_EQ(ch.Screen(ch.c.LRim() + 1, py), kTeal);
  EXPECT_EQ(ch.Screen(ch.c.LRim(), py), kBlack);  // the frame
  EXPECT_EQ(ch.Screen(px, py), kTeal);
  EXPECT_EQ(ch.Screen(px, ch.c.TRim() + 1), kTeal);
  // The data-area bitmap keeps no cross hair, so moving one leaves no trace.
  EXPECT_EQ(ch.At(px - ch.c.LRim(), py - ch.c.TRim()), kWhite);
  ch.c.CrossHairSetPos(1, 2.0, 2.0);
  ch.c.CrossHairSetPos(2, 2.0, 2.0);
  EXPECT_EQ(ch.Screen(px, py + 3), kWhite);
  // On the data area's edge a horizontal line is not drawn.
  ch.c.CrossHairSetPos(1, 5.0, 10.0);
  ch.c.CrossHairSetPos(2, 5.0, 10.0);
  EXPECT_EQ(ch.Screen(ch.c.LRim() + 5, ch.c.TRim()), kBlack);
  EXPECT_EQ(ch.Screen(ch.c.LRim() + 5, ch.c.TRim() + 1), kWhite);
  EXPECT_TRUE(SaveBitmapAsPNG(ch.c.ChartBmp(), (PictureFolder() / "chart_crosshair.png").string()));
}

TEST(ChartPaint, ShadowCornersAndTrimmedCaption) {
  TCustomZOdoza c{nullptr};
  c.SetBounds(0, 0, 280, 200);
  c.SetF3DRim(4);
  c.SetShadowStyle(ssFlying);
  c.SetShadowBakColor(kGreen);
  c.SetShadowColor(kRed);
  c.SetChartCaption(String(80, 'W'));
  c.SetCaptTrim(50);
  String drawn;
  c.SetSuppressPaint(false);
  TCanvas* cv = c.ChartBmp()->Canvas();
  EXPECT_EQ(cv->GetPixel(279, 0), kGreen);
  EXPECT_EQ(cv->GetPixel(278, 1), kGreen);
  EXPECT_EQ(cv->GetPixel(0, 199), kGreen);
  EXPECT_EQ(cv->GetPixel(278, 100), kRed);
  EXPECT_EQ(cv->GetPixel(100, 198), kRed);
  // The caption, right-aligned at the data area's right edge, is cut to at most
  // round(206 * 0.5) = 103 pixels (eight letters and "...").
  const Integer right = 280 - c.RRim() - 4;
  const Integer row = c.TRim() - 15 + cv->TextHeight("W") / 2;
  Integer leftmost = right;
  for (Integer x = 1; x < right; ++x)
    for (Integer y = row - 3; y <= row + 3; ++y)
      if (cv->GetPixel(x, y) == kBlack && x < leftmost) leftmost = x;
  EXPECT_LE(right - leftmost, 103);
  EXPECT_GE(right - leftmost, 80);
  EXPECT_TRUE(
      SaveBitmapAsPNG(c.ChartBmp(), (PictureFolder() / "chart_shadow_caption.png").string()));
  EXPECT_EQ(c.CaptionTrim(), 50);
  c.SetCaptTrim(3);
  EXPECT_EQ(c.CaptionTrim(), 5);
  c.SetCaptTrim(0);
  EXPECT_EQ(c.CaptionTrim(), 0);
  c.SetGridDx(-3);
  c.SetGridDx(-3.5);
  EXPECT_EQ(c.GridDx(), -3);
}

TEST(ChartPaint, DetectScaleFindsTheAxisBesideTheDataArea) {
  Chart ch;
  ch.c.Scale1Y()->SetVisible(true);
  ch.c.Scale1X()->SetVisible(true);
  const Integer midY = 150, midX = 200;
  EXPECT_EQ(ch.c.DetectScale(ch.c.LRim() - 20, midY), 1);
  EXPECT_EQ(ch.c.DetectScale(ch.c.LRim() - 60, midY), 0);
  EXPECT_EQ(ch.c.DetectScale(midX, Chart::H - ch.c.BRim() + 10), -1);
  EXPECT_EQ(ch.c.DetectScale(midX, midY), 0);
  ch.c.Scale1Y()->SetVisible(false);
  EXPECT_EQ(ch.c.DetectScale(ch.c.LRim() - 20, midY), 0);
}

TEST(ChartPaint, SuppressedPaintDrawsNothingUntilReleased) {
  Chart ch;
  int rendered = 0;
  ch.c.OnDataRendered = [&](TObject*, TCanvas*, Integer, Integer) { ++rendered; };
  ch.c.SetChartCol(kRed);
  EXPECT_EQ(rendered, 0);
  ch.Show();
  EXPECT_EQ(rendered, 1);
  EXPECT_EQ(ch.At(5, 5), kRed);
}

// ---- primitives --------------------------------------------------------------------------------
TEST(ChartPrimitives, RecordsAndCoordinateModes) {
  TCustomZOdoza c{nullptr};
  c.MoveTo(1, 5.0);
  c.DrawTo(2, 7.0);
  EXPECT_EQ(c.GetChartItem(0).CoordMode, cmAllWorld);
  EXPECT_EQ(c.GetChartItem(1).x, 2.0);
  EXPECT_EQ(c.GetItemCount(tkMoveTo), 1);
  EXPECT_EQ(c.GetItemCount(tkLineto), 1);
  c.SetAnnoMode(true);
  c.MoveTo(1, 5.0);
  c.MarkAt(10, 20, 3);
  EXPECT_EQ(c.GetAnnoItem(0).CoordMode, cmXScreenYWorld);
  EXPECT_EQ(c.GetAnnoItem(1).CoordMode, cmAllScreen);
  EXPECT_EQ(c.GetItemCount(tkMoveTo), 1);
  c.SetAnnoMode(false);
  c.MarkAt(10, 20, 3);
  EXPECT_EQ(c.GetChartItem(2).CoordMode, cmAllWorld);
  c.Bar3D(0, 0, 1, 1, 5, 200);
  c.Bar3D(0, 0, 1, 1, 5, -10);
  EXPECT_EQ(c.GetChartItem(3).Param1, 180);
  EXPECT_EQ(c.GetChartItem(4).Param1, 0);
  c.Arc(0, 0, 1, 1, 4.0, -1.0);
  EXPECT_EQ(c.GetChartItem(5).Param1, 314159265);
  EXPECT_EQ(c.GetChartItem(5).Param2, -100000000);
  c.SetLineWid(3);
  c.RectFrame(0.0, 0.0, 1.0, 1.0, fsLowered, 0, 0);
  EXPECT_EQ(c.GetChartItem(6).LWid, 1);
  c.CursorVert(3.0);
  c.CursorHoriz(2);
  EXPECT_EQ(c.GetChartItem(7).x, 3.0);
  EXPECT_EQ(c.GetChartItem(7).y, 0.0);
  EXPECT_EQ(c.GetChartItem(8).y, 2.0);
  c.Text(0.0, 0.0, 8, "abc", 0, 0, taCenter);
  c.Text(0.0, 0.0, 8, "abc", 3, 0, taCenter);
  EXPECT_EQ(c.GetChartItem(9).ItemKind, tkText);
  EXPECT_EQ(c.GetChartItem(10).ItemKind, tkTextOfs);
  EXPECT_EQ(c.GetChartItem(10).x2, 3.0);
  for (int i = 0; i < 51; ++i) c.Text(0.0, 0.0, 8, "sixteen chars ok");
  EXPECT_EQ(c.GetChartItem(11).LWid, 1);
  EXPECT_EQ(c.GetChartItem(11).Text(), "sixteen chars o");
  EXPECT_EQ(c.GetChartItem(60).LWid, 50);
  EXPECT_EQ(c.GetChartItem(61).LWid, 0);
  EXPECT_EQ(c.GetDataLongText(11), "sixteen chars ok");  // by item index
  EXPECT_EQ(c.GetDataLongText(61), "sixteen chars o");
}

// ---- ranges and automatic scaling --------------------------------------------------------------
namespace {
struct Ranges {
  Double xLo, xHi, yLo, yHi;
};
Ranges RangesOf(const TCustomZOdoza& c, Integer Layer) {
  return {c.GetScalePropsX(Layer)->RangeLow(), c.GetScalePropsX(Layer)->RangeHigh(),
          c.GetScalePropsY(Layer)->RangeLow(), c.GetScalePropsY(Layer)->RangeHigh()};
}
}  // namespace

TEST(ChartRanges, AutoRangeFitsTheDataWithMarginAndMinimumRange) {
  {
    Chart ch;
    ch.c.Line(1.0, 5.0, 10.0, 50.0);
    ch.c.AutoRange(1, 0);
    const Ranges r = RangesOf(ch.c, 1);
    EXPECT_DOUBLE_EQ(r.xLo, 1);
    EXPECT_DOUBLE_EQ(r.xHi, 10);
    EXPECT_DOUBLE_EQ(r.yLo, 5);
    EXPECT_DOUBLE_EQ(r.yHi, 50);
    ch.c.AutoRange(1, 10);
    const Ranges m = RangesOf(ch.c, 1);
    EXPECT_NEAR(m.xLo, 0.1, 1e-12);
    EXPECT_NEAR(m.xHi, 10.9, 1e-12);
    EXPECT_NEAR(m.yLo, 0.5, 1e-12);
    EXPECT_NEAR(m.yHi, 54.5, 1e-12);
  }
  {
    Chart ch;
    ch.c.MarkAt(3.0, 7.0, 1);
    ch.c.AutoRange(1, 0);
    const Ranges r = RangesOf(ch.c, 1);
    EXPECT_EQ(r.xLo, 2);
    EXPECT_EQ(r.xHi, 4);
    EXPECT_EQ(r.yLo, 6);
    EXPECT_EQ(r.yHi, 8);
  }
  {
    Chart ch(1, 10);
    ch.c.AutoRange(1, 0);  // empty layer
    EXPECT_EQ(RangesOf(ch.c, 1).xLo, -1);
    EXPECT_EQ(RangesOf(ch.c, 1).yHi, 1);
  }
  {
    Chart ch(1, 100);
    ch.c.GetScalePropsX(1)->SetLogAx(true);
    ch.c.Line(1.0, 1.0, 100.0, 2.0);
    ch.c.AutoRange(1, 10);
    EXPECT_NEAR(RangesOf(ch.c, 1).xLo, 0.631, 1e-3);
    EXPECT_NEAR(RangesOf(ch.c, 1).xHi, 158.5, 0.1);
  }
  {
    Chart ch;
    ch.c.Line(100.0, 100.0, 101.0, 101.0);
    ch.c.AutoRange(1, 0, 10);
    EXPECT_NEAR(RangesOf(ch.c, 1).xLo, 89.95, 1e-9);
    EXPECT_NEAR(RangesOf(ch.c, 1).xHi, 111.05, 1e-9);
  }
  {
    Chart ch;
    ch.c.Line(1.0, 5.0, 10.0, 50.0);
    ch.c.AutoRangeXOnly(1, 0);
    EXPECT_EQ(RangesOf(ch.c, 1).yLo, 0);
    EXPECT_EQ(RangesOf(ch.c, 1).yHi, 10);
    EXPECT_EQ(RangesOf(ch.c, 1).xHi, 10);
    EXPECT_EQ(RangesOf(ch.c, 1).xLo, 1);
  }
}

TEST(ChartRanges, UnusableRangesAndLogarithmicEndsBelowTheFloorAreRefused) {
  constexpr Double nan = std::numeric_limits<Double>::quiet_NaN();
  constexpr Double inf = std::numeric_limits<Double>::infinity();
  // Y logarithmic over 1 ... 100, a line down to 1e-120, AutoRange of Layer with a 5 % margin.
  const auto AutoRangeBelowTheFloor = [](Integer Layer) {
    return [Layer](TCustomZOdoza& c) {
      c.ForceRange(1, 0, 1, 10, 100);
      c.GetScalePropsY(1)->SetLogAx(true);
      c.Line(0.0, 1e-120, 10.0, 1.0);
      c.AutoRange(Layer, 5);
    };
  };
  // Each action on a chart with both axes 0 ... 10: an end that is not finite or a span that
  // overflows leaves that axis as it was, and the chart still paints its axes.
  struct Case {
    const char* Name;
    std::function<void(TCustomZOdoza&)> Act;
    Ranges Want;
    bool LogY = false;
  } cases[] = {
      {"ForceRange NaN", [](TCustomZOdoza& c) { c.ForceRange(1, nan, 2, 10, 8); }, {0, 10, 2, 8}},
      {"ForceRange infinite",
       [](TCustomZOdoza& c) { c.ForceRange(1, 0, 0, inf, 10); },
       {0, 10, 0, 10}},
      {"span overflows",
       [](TCustomZOdoza& c) { c.SetRange(1, -1e308, 0, 1e308, 10); },
       {0, 10, 0, 10}},
      {"RangeHigh NaN",
       [](TCustomZOdoza& c) { c.GetScalePropsX(1)->SetRangeHigh(nan); },
       {0, 10, 0, 10}},
      {"RangeLow infinite",
       [](TCustomZOdoza& c) { c.GetScalePropsX(1)->SetRangeLow(-inf); },
       {0, 10, 0, 10}},
      {"MinRange infinite",
       [](TCustomZOdoza& c) { c.GetScalePropsX(1)->SetMinRngDiff(inf); },
       {0, 10, 0, 10}},
      {"AutoRange over an infinite value",
       [](TCustomZOdoza& c) {
         c.Line(1.0, 1.0, inf, 5.0);
         c.AutoRange(1, 0);
       },
       {0, 10, 1, 5}},
      {"AutoRange margin overflows",
       [](TCustomZOdoza& c) {
         c.Line(-1e308, 1.0, 1e308, 5.0);
         c.AutoRange(1, 10);
       },
       {0, 10, 0.6, 5.4}},
      {"AutoRange of all layers",
       [](TCustomZOdoza& c) {
         c.Line(-1e308, 1.0, 1e308, 5.0);
         c.AutoRange(0, 10);
       },
       {0, 10, 0.6, 5.4}},
      // A logarithmic axis cannot show an end below 1e-100, even before loading has ended.
      {"logarithmic below the floor",
       [](TCustomZOdoza& c) {
         c.ForceRange(1, 0, 1e-300, 10, 1e300);
         c.GetScalePropsY(1)->SetLogAx(true);
       },
       {0, 10, 1e-300, 1e300}},
      {"logarithmic above the floor",
       [](TCustomZOdoza& c) {
         c.ForceRange(1, 0, 1e-100, 10, 1e300);
         c.GetScalePropsY(1)->SetLogAx(true);
       },
       {0, 10, 1e-100, 1e300},
       true},
      // The automatic range takes what it can of data below the floor: down to the floor.
      {"logarithmic AutoRange over data below the floor",
       AutoRangeBelowTheFloor(1),
       {-0.5, 10.5, 1e-100, 1e5},
       true},
      {"logarithmic AutoRange of all layers over data below the floor",
       AutoRangeBelowTheFloor(0),
       {-0.5, 10.5, 1e-100, 1e5},
       true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    Chart ch;
    ch.c.SetStdLayout(rcl_X1Bottom_Y1Left);
    ch.c.ForceRange(1, 0, 0, 10, 10);
    k.Act(ch.c);
    ch.Show();
    const Ranges r = RangesOf(ch.c, 1);
    EXPECT_EQ(r.xLo, k.Want.xLo);
    EXPECT_EQ(r.xHi, k.Want.xHi);
    EXPECT_NEAR(r.yLo, k.Want.yLo, 1e-12 * std::fabs(k.Want.yLo));
    EXPECT_NEAR(r.yHi, k.Want.yHi, 1e-12 * std::fabs(k.Want.yHi));
    EXPECT_EQ(ch.c.GetScalePropsY(1)->Logarithmic(), k.LogY);
    EXPECT_EQ(ch.c.HelperScaleX(1)->RangeHigh(), k.Want.xHi);
  }
}

TEST(ChartRanges, AllLayersPoolJoinedExtentsIntoTheirMasters) {
  Chart ch;
  ch.c.Line(0.0, 0.0, 10.0, 1.0);
  ch.c.SetActiveLayer(2);
  ch.c.Line(20.0, 0.0, 30.0, 1.0);
  ch.c.SetLayerVisib(2, true);
  ch.c.JointLayers()->SetControlledLayerX(2, 1);
  ch.c.AutoRange(0, 5);
  const Ranges a = RangesOf(ch.c, 1), b = RangesOf(ch.c, 2);
  EXPECT_DOUBLE_EQ(a.xLo, -1.5);
  EXPECT_DOUBLE_EQ(a.xHi, 31.5);
  EXPECT_EQ(b.xLo, a.xLo);
  EXPECT_EQ(b.xHi, a.xHi);
}

TEST(ChartRanges, SetRangeWidensZeroSpansAndKeepsJoinedAxes) {
  Chart ch;
  ch.c.SetRange(1, 0, 0, 0, 0);
  EXPECT_DOUBLE_EQ(RangesOf(ch.c, 1).xLo, -5e-11);
  EXPECT_DOUBLE_EQ(RangesOf(ch.c, 1).yHi, 5e-11);
  ch.c.SetRange(1, 0, 0, 10, 10);
  ch.c.JointLayers()->SetControlledLayerX(2, 1);
  ch.c.SetRange(2, 50, 50, 60, 60);
  EXPECT_EQ(RangesOf(ch.c, 2).xLo, 0);
  EXPECT_EQ(RangesOf(ch.c, 2).xHi, 10);
  EXPECT_EQ(RangesOf(ch.c, 2).yLo, 50);
  EXPECT_EQ(RangesOf(ch.c, 2).yHi, 60);
}

TEST(ChartRanges, ConfinementPansBackOrCuts) {
  for (const TMouseActMode mode : {maPan, maZoom}) {
    Chart ch;
    ch.c.SetMouseAction(mode);
    ch.c.ConfineZoomRange(0, 0, 100, 100);
    ch.c.ForceRange(1, -10, 10, 40, 20, false, true);
    EXPECT_EQ(RangesOf(ch.c, 1).xLo, 0) << mode;
    EXPECT_EQ(RangesOf(ch.c, 1).xHi, mode == maPan ? 50 : 40) << mode;
  }
}

// ---- charts sharing one data list --------------------------------------------------------------
TEST(ChartSharing, UsersShowTheOwnersItemsAndRefusalsAreReported) {
  TScopedDialogScript dialogs;
  TCustomZOdoza a{nullptr}, b{nullptr}, c{nullptr};
  b.SetUseDataOf(&a);
  b.MarkAt(1.0, 1.0, 1);
  EXPECT_EQ(a.NumItems(), 1);
  EXPECT_EQ(b.NumItems(), 1);
  EXPECT_EQ(a.GetItemCount(tkMarkAt), 1);
  c.SetUseDataOf(&b);  // b is a user: c attaches to a
  EXPECT_EQ(c.UseDataOf(), &a);
  EXPECT_EQ(a.DataUsersNum(), 2);
  // Appends through any chart reach one list, however far it grows.
  for (int i = 0; i < 2500; ++i) c.DrawTo(i * 1.0, 2.0);
  EXPECT_EQ(a.NumItems(), 2501);
  EXPECT_EQ(b.GetChartItem(2500).x, 2499.0);
  TCustomZOdoza d{nullptr}, e{nullptr}, f{nullptr};
  d.SetUseDataOf(&a);
  e.SetUseDataOf(&a);
  f.SetUseDataOf(&a);  // a fifth user
  a.SetUseDataOf(nullptr);
  a.SetUseDataOf(&a);
  ASSERT_EQ(dialogs->Boxes().size(), 3u);
  EXPECT_EQ(dialogs->Boxes()[0].Text, "ZOdoza: Max. number of data shares exceeded");
  EXPECT_EQ(dialogs->Boxes()[1].Text,
            "ZOdoza: Cannot use foreign data. Other ZOdozas are using my own data.");
  EXPECT_EQ(dialogs->Boxes()[2].Text, "ZOdoza: Cannot share data with myself");
  // A detached chart keeps what it showed, apart from the owner's later changes.
  b.SetUseDataOf(nullptr);
  a.MarkAt(2.0, 2.0, 1);
  EXPECT_EQ(b.NumItems(), 2501);
  EXPECT_EQ(a.NumItems(), 2502);
  EXPECT_EQ(a.DataUsersNum(), 3);
}

TEST(ChartSharing, DestroyingAnOwnerLeavesItsUsersTheirData) {
  TCustomZOdoza b{nullptr};
  {
    TCustomZOdoza a{nullptr};
    b.SetUseDataOf(&a);
    a.MarkAt(1.0, 1.0, 1);
  }
  EXPECT_EQ(b.UseDataOf(), nullptr);
  EXPECT_EQ(b.NumItems(), 1);
  b.MarkAt(2.0, 2.0, 1);
  EXPECT_EQ(b.NumItems(), 2);
  {
    TCustomZOdoza user{nullptr};
    user.SetUseDataOf(&b);
    EXPECT_EQ(b.DataUsersNum(), 1);
  }
  EXPECT_EQ(b.DataUsersNum(), 0);
}

// ---- text labels -------------------------------------------------------------------------------
TEST(ChartLabels, HandedOutFromOneFreedByClearingAndDrawnOnTop) {
  Chart ch;
  for (Integer n = 1; n <= 30; ++n) EXPECT_EQ(ch.c.AddTextLabel(1.0, 1.0, kBlack, "x", 0), n);
  EXPECT_EQ(ch.c.AddTextLabel(1.0, 1.0, kBlack, "x", 0), 0);
  ch.c.HideAllTextLabels();
  EXPECT_EQ(ch.c.AddTextLabel(1.0, 1.0, kBlack, "x", 0), 0);
  ch.c.ClearAllTextLabels();
  EXPECT_EQ(ch.c.AddTextLabel(5.0, 5.0, kRed, "one\ntwo", 5), 1);  // template 5 is free
  EXPECT_EQ(ch.c.TextLabel(1)->Mode(), tlsimple);
  EXPECT_THROW(ch.c.GetFTextLabel(31), ESDLZOdozaError);
  ch.c.TextLabel(1)->SetTxtLblColorBkg(kGreen);
  ch.c.TextLabel(1)->SetTxtLblVertAlignment(vaBottom);
  ch.Show();
  EXPECT_TRUE(SaveBitmapAsPNG(ch.c.ChartBmp(), (PictureFolder() / "chart_label.png").string()));
  // The box's bottom edge lies 2 pixels below the data point's row, filled with the background.
  const TPoint p = ch.G(5.0, 5.0);
  EXPECT_EQ(ch.At(p.X, p.Y + 1), kGreen);
  EXPECT_EQ(ch.At(p.X, p.Y + 2), kWhite);
  // A label on a hidden layer is not drawn.
  ch.c.SetLayerVisib(1, false);
  ch.c.Repaint();
  EXPECT_EQ(ch.At(p.X, p.Y + 1), kWhite);
}

// ---- the plot window's picture
// -------------------------------------------------------------------
TEST(ChartPaint, PlotSceneLineMarksGridAndCrossHair) {
  TCustomZOdoza c{nullptr};
  c.SetBounds(0, 0, 400, 300);
  c.SetLRim(55);
  c.SetRRim(5);
  c.SetTRim(25);
  c.SetBRim(25);
  c.SetF3DRim(4);
  c.SetGridStyle(gsHorizDotLines);
  c.SetGridCol(kOlive);
  c.SetGridDy(10);
  c.ForceRange(1, 0, 0, 10, 50);
  const Double ys[] = {12, 30, 25, 41, 18, 22};
  c.SetDataCol(kBlue);
  c.MoveTo(1.0, ys[0]);
  for (int i = 0; i < 6; ++i) {
    if (i > 0) c.DrawTo(1.0 + i * 1.5, ys[i]);
    c.MarkAt(1.0 + i * 1.5, ys[i], 10);
  }
  c.SetSuppressPaint(false);
  c.CrossHairSetup(1, kTeal, chBoth, psSolid, 1);
  c.CrossHairSetPos(1, 1.0 + 3 * 1.5, ys[3]);
  TCanvas* cv = c.ChartBmp()->Canvas();
  EXPECT_TRUE(SaveBitmapAsPNG(c.ChartBmp(), (PictureFolder() / "chart_plot_scene.png").string()));
  for (int i = 0; i < 6; ++i) {
    Integer px = 0, py = 0;
    c.R2M(1, 1.0 + i * 1.5, ys[i], px, py);
    if (i == 3) continue;  // under the cross hair
    // The open square's outline around the sample.
    for (const TPoint d : {Point(-1, -1), Point(0, -1), Point(1, -1), Point(-1, 0), Point(1, 0),
                           Point(-1, 1), Point(0, 1), Point(1, 1)})
      EXPECT_EQ(cv->GetPixel(px + d.X, py + d.Y), kBlue) << i;
    // The centre: line colour where a segment starts there, background at the last sample.
    EXPECT_EQ(cv->GetPixel(px, py), i < 5 ? kBlue : kWhite) << i;
  }
  // Frame on the data-area edges; the cross hair stops one pixel short of it.
  Integer hx = 0, hy = 0;
  c.R2M(1, 1.0 + 3 * 1.5, ys[3], hx, hy);
  EXPECT_EQ(cv->GetPixel(c.LRim(), 100), kBlack);
  EXPECT_EQ(cv->GetPixel(c.LRim(), hy), kBlack);
  EXPECT_EQ(cv->GetPixel(c.LRim() + 1, hy), kTeal);
  EXPECT_EQ(cv->GetPixel(400 - c.RRim() - 4 - 1, hy), kTeal);
  // Dotted grid rows at the multiples of GridDy.
  Integer gx = 0, gy = 0;
  c.R2M(1, 0.3, 10, gx, gy);
  bool dotted = false;
  for (Integer x = c.LRim() + 1; x < c.LRim() + 8; ++x)
    dotted = dotted || cv->GetPixel(x, gy) == kOlive;
  EXPECT_TRUE(dotted);
}

TEST(ChartPrimitives, LongTextsCountCharactersNotBytes) {
  TCustomZOdoza c{nullptr};
  c.Text(0.0, 0.0, 8,
         "Temp \xc2\xb0"
         "C \xc2\xb5V");  // 10 characters, 12 bytes
  EXPECT_EQ(c.GetChartItem(0).LWid, 0);
  c.Text(0.0, 0.0, 8, "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9");  // 8
  EXPECT_EQ(c.GetChartItem(1).LWid, 0);
}

TEST(ChartPaint, SettingACrossHairCopiesValuesAndKeepsTheChartRepainting) {
  Chart ch;
  int rendered = 0;
  ch.c.OnDataRendered = [&](TObject*, TCanvas*, Integer, Integer) { ++rendered; };
  ch.Show();
  TCrossHair given;
  int foreign = 0;
  given.OnChange = [&](TObject*) { ++foreign; };
  given.SetCrossHColor(kRed);
  foreign = 0;
  ch.c.SetCrossHair(2, &given);
  EXPECT_EQ(ch.c.CrossHair(2)->Color(), kRed);
  rendered = 0;
  ch.c.CrossHair(2)->SetCrossHMode(chBoth);
  EXPECT_EQ(rendered, 1);
  EXPECT_EQ(foreign, 0);
}

// ---- standard layouts
// ----------------------------------------------------------------------------
TEST(ChartLayouts, MarginsAxesAndOnePaint) {
  TCustomZOdoza c{nullptr};
  c.SetBounds(0, 0, 500, 300);
  c.SetSuppressPaint(false);
  int paints = 0;
  c.OnScalesRendered = [&](TObject*, TCanvas*, Integer, Integer) { ++paints; };
  c.SetStdLayout(rcl_X1Bottom_Y2Left);
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(c.StandardLayout(), rcl_X1Bottom_Y2Left);
  EXPECT_EQ(c.LRim(), 100);
  EXPECT_EQ(c.RRim(), 20);
  EXPECT_EQ(c.TRim(), 24);
  EXPECT_EQ(c.BRim(), 40);
  for (Integer n = 1; n <= kNumLayers; ++n) {
    EXPECT_EQ(c.GetScalePropsY(n)->Visible(), n <= 2) << n;
    EXPECT_EQ(c.GetScalePropsX(n)->Visible(), n == 1) << n;
  }
  EXPECT_EQ(c.GetScalePropsY(2)->ScalePos(), 50);
  c.SetStdLayout(rcl_X2Both_Y2Both);
  EXPECT_EQ(c.GetScalePropsX(2)->ScaleType(), sctXB);  // the top side
  EXPECT_EQ(c.GetScalePropsY(2)->ScaleType(), sctYL);  // the right side
  c.SetStdLayout(rcl_X1Bottom_Y2Both);
  for (Integer n = 1; n <= 4; ++n) EXPECT_EQ(c.GetScalePropsX(n)->ScaleType(), sctXT) << n;
  EXPECT_EQ(c.GetScalePropsX(0), c.Scale1X());
  EXPECT_EQ(c.GetScalePropsX(17), c.Scale1X());
}

TEST(ChartAppearance, IsometricRecentresYAndShadowWidthResizesTheDataArea) {
  TCustomZOdoza c{nullptr};
  c.SetBounds(0, 0, 50 + 20 + 400, 20 + 40 + 200);  // data area 401 x 201 with the layout
  c.ForceRange(1, 0, 0, 100, 10);
  c.SetIsoMetric(true);
  EXPECT_NEAR(c.Scale1Y()->RangeLow(), 5 - 100.0 * 201 / 401 / 2, 1e-9);
  EXPECT_NEAR(c.Scale1Y()->RangeHigh(), 5 + 100.0 * 201 / 401 / 2, 1e-9);
  const Integer w = c.GrafBmp()->Width(), h = c.GrafBmp()->Height();
  c.SetF3DRim(40);
  EXPECT_EQ(c.ShadowWidth(), 32);
  EXPECT_EQ(c.GrafBmp()->Width(), w - 32);
  EXPECT_EQ(c.GrafBmp()->Height(), h - 32);
  c.SetLRim(2000);
  EXPECT_EQ(c.GrafBmp()->Width(), 0);
}

TEST(ChartDataArea, BackgroundPictureTilesAndAMissingOneIsDropped) {
  const auto file = PictureFolder() / "background_tile.png";
  TBitmap tile;
  tile.SetSize(10, 10);
  tile.Canvas()->Brush()->SetColor(kRed);
  tile.Canvas()->FillRect(Rect(0, 0, 10, 10));
  tile.Canvas()->Pixels[9][9] = kGreen;
  ASSERT_TRUE(SaveBitmapAsPNG(&tile, file.string()));
  Chart ch;
  ch.c.BackGroundImg()->SetIncldPath(true);
  ch.c.BackGroundImg()->SetFillMode(bfTile);
  ch.c.BackGroundImg()->SetName(file.string());
  ch.Show();
  EXPECT_EQ(ch.At(5, 5), kRed);
  EXPECT_EQ(ch.At(29, 39), kGreen);  // the tile repeats from (0, 0)
  ch.c.BackGroundImg()->SetName((PictureFolder() / "no_such_picture.png").string());
  ch.c.Repaint();
  EXPECT_EQ(ch.c.BackGroundImg()->Name(), "");
  EXPECT_EQ(ch.At(5, 5), kWhite);
}

TEST(ChartDataArea, ColouredAreaModes) {
  Chart ch;
  ch.c.BackGroundImg()->SetAreaColor(kGreen);
  ch.c.BackGroundImg()->SetAreaLeft(2);
  ch.c.BackGroundImg()->SetAreaRight(4);
  ch.c.BackGroundImg()->SetAreaTop(8);
  ch.c.BackGroundImg()->SetAreaBottom(6);
  ch.c.BackGroundImg()->SetAreaMode(bamRect);
  ch.Show();
  EXPECT_EQ(ch.At(ch.G(3, 7)), kGreen);
  EXPECT_EQ(ch.At(ch.G(5, 7)), kWhite);
  ch.c.BackGroundImg()->SetAreaMode(bamRectInv);
  ch.c.Repaint();
  EXPECT_EQ(ch.At(ch.G(3, 7)), kWhite);
  EXPECT_EQ(ch.At(ch.G(5, 7)), kGreen);
  EXPECT_EQ(ch.At(ch.G(3, 9)), kGreen);
  ch.c.BackGroundImg()->SetAreaMode(bamVStripe);
  ch.c.Repaint();
  EXPECT_EQ(ch.At(ch.G(3, 1)), kGreen);
  EXPECT_EQ(ch.At(ch.G(1, 1)), kWhite);
}

// ---- dense plots: every shortcut must paint the plain picture ---------------------------------
namespace {

// The data-area picture of a chart painted with the drawing shortcuts on and off.
struct Pictures {
  std::vector<TColor> Fast, Plain;
  Integer Width = 0, Height = 0;
};

std::vector<TColor> Grab(TCustomZOdoza& c) {
  TBitmap* g = c.GrafBmp();
  std::vector<TColor> px;
  for (Integer y = 0; y < g->Height(); ++y)
    for (Integer x = 0; x < g->Width(); ++x) px.push_back(g->Canvas()->GetPixel(x, y));
  return px;
}

Pictures PaintBothWays(const std::function<void(TCustomZOdoza&)>& Build) {
  Chart ch(0, 100);
  Build(ch.c);
  ch.Show();
  Pictures p;
  p.Fast = Grab(ch.c);
  ch.c.SetDrawShortcutsForTesting(false);
  ch.c.Repaint();
  p.Plain = Grab(ch.c);
  p.Width = ch.c.GrafBmp()->Width();
  p.Height = ch.c.GrafBmp()->Height();
  return p;
}

// Where the two pictures first differ, or "" when they are the same.
std::string FirstDifference(const Pictures& p) {
  if (p.Fast.size() != p.Plain.size()) return "sizes differ";
  Integer differ = 0;
  std::string first;
  for (size_t i = 0; i < p.Fast.size(); ++i) {
    if (p.Fast[i] == p.Plain[i]) continue;
    if (differ++ == 0)
      first = "at (" + std::to_string(i % static_cast<size_t>(p.Width)) + ", " +
              std::to_string(i / static_cast<size_t>(p.Width)) + ")";
  }
  return differ == 0 ? "" : std::to_string(differ) + " pixels differ, first " + first;
}

// A noisy series over 0 ... 100 with many points per pixel column, some missing (NaN), some
// beyond the range (also far beyond, where pixels are clamped), and stretches that stand still
// in x (vertical runs).
void DenseSeries(TCustomZOdoza& c, std::mt19937& rng, int Count, bool Line, int Mark) {
  std::uniform_real_distribution<double> u(0, 1);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  double x = 0;
  bool first = true;
  for (int i = 0; i < Count; ++i) {
    const double r = u(rng);
    if (r > 0.02) x += 100.0 / Count;  // else a vertical run goes on
    double y = 20 + 60 * u(rng);
    if (r < 0.005) y = nan;
    else if (r < 0.01) y = -30;
    else if (r < 0.012) y = 1e7;
    else if (r > 0.995) y = 100 + 5 * u(rng);
    if (Line) {
      if (first) c.MoveTo(x, y);
      else c.DrawTo(x, y);
    }
    first = false;
    if (Mark >= 0) c.MarkAt(x, y, static_cast<Byte>(Mark));
  }
}

}  // namespace

TEST(ChartDensePlot, ShortcutsPaintThePlainPicture) {
  struct Case {
    const char* Name;
    std::function<void(TCustomZOdoza&, std::mt19937&)> Build;
  } cases[] = {
      {"line and open squares",
       [](TCustomZOdoza& c, std::mt19937& r) { DenseSeries(c, r, 20000, true, 10); }},
      {"line alone", [](TCustomZOdoza& c, std::mt19937& r) { DenseSeries(c, r, 20000, true, -1); }},
      {"zoomed in: the line leaves the picture and comes back",
       [](TCustomZOdoza& c, std::mt19937& r) {
         DenseSeries(c, r, 20000, true, 10);
         c.ForceRange(1, 40, 45, 44, 55);
       }},
      {"marks alone, masks and filled squares",
       [](TCustomZOdoza& c, std::mt19937& r) {
         DenseSeries(c, r, 5000, false, 1);
         DenseSeries(c, r, 5000, false, 8);
       }},
      {"several series and mark shapes",
       [](TCustomZOdoza& c, std::mt19937& r) {
         const TColor cols[] = {kRed, kBlue, kGreen, kTeal};
         const int marks[] = {10, 16, 14, 29, 5, 0};
         for (int k = 0; k < 6; ++k) {
           c.SetDataCol(cols[k % 4]);
           DenseSeries(c, r, 3000, k % 3 != 2, marks[k]);
         }
       }},
      {"pen width 2 beside width 1",
       [](TCustomZOdoza& c, std::mt19937& r) {
         c.SetLineWid(2);
         DenseSeries(c, r, 3000, true, 10);
         c.SetLineWid(1);
         c.SetDataCol(kRed);
         DenseSeries(c, r, 3000, true, 12);
       }},
      {"dashed line and a character mark",
       [](TCustomZOdoza& c, std::mt19937& r) {
         c.SetPenStyle(psDash);
         DenseSeries(c, r, 3000, true, 10);
         c.SetPenStyle(psSolid);
         DenseSeries(c, r, 2000, true, 65);
       }},
      {"near duplicates thinned",
       [](TCustomZOdoza& c, std::mt19937& r) {
         c.SetAvoidDupMarks(true);
         DenseSeries(c, r, 8000, true, 10);
       }},
      {"relative pixel items after marks",
       [](TCustomZOdoza& c, std::mt19937& r) {
         // These start where the last mark or the last point left the pen.
         for (int k = 0; k < 40; ++k) {
           DenseSeries(c, r, 300 + 50 * k, true, k % 2 == 0 ? 10 : 1);
           if (k % 4 == 0) c.DrawToRelPix(7, -5);
           if (k % 4 == 1) c.MoveToRelPix(4, 9);
           if (k % 4 == 2) c.DrawToRelPix(50.0, 50.0, 6, 6);
           c.DrawTo(60.0 + k * 0.1, 40.0);
         }
       }},
      {"invisible class and annotations in world coordinates",
       [](TCustomZOdoza& c, std::mt19937& r) {
         DenseSeries(c, r, 3000, true, 10);
         c.SetClassDefault(7);
         c.SetDataCol(kRed);
         DenseSeries(c, r, 3000, true, 10);
         c.SetClassVisib(7, false);
         c.SetClassDefault(0);
         c.SetAnnoMode(true);
         c.SetDataCol(kGreen);
         DenseSeries(c, r, 2000, true, 11);
         c.SetAnnoMode(false);
       }},
      {"layers in turn, one of them hidden",
       [](TCustomZOdoza& c, std::mt19937& r) {
         // A run meets records of other layers (other transforms) and of a hidden one.
         c.ForceRange(2, -50, 0, 150, 200);
         c.ForceRange(3, 0, 40, 60, 70);
         for (int k = 0; k < 30; ++k) {
           c.SetActiveLayer(1 + k % 3);
           DenseSeries(c, r, 200 + 37 * k, k % 2 == 0, k % 5 == 0 ? -1 : 10);
         }
         c.SetActiveLayer(1);
         c.SetLayerVisib(3, false);
       }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    const Pictures p = PaintBothWays([&](TCustomZOdoza& c) {
      std::mt19937 rng(20240611);
      k.Build(c, rng);
    });
    EXPECT_EQ(FirstDifference(p), "");
  }
}

// One pixel column: the vertical stretches whose reduction is easy to get wrong (the exit at
// either extreme, the entry at one and the exit at the other, repeated points at the end).
TEST(ChartDensePlot, ColumnStretchesKeepTheirEnds) {
  const std::vector<std::vector<double>> columns = {
      {50, 20, 80, 80},     {50, 20, 80, 20},     {20, 80, 50, 80},    {80, 20, 50, 20},
      {50, 50, 50},         {50, 30, 60, 30, 60}, {20, 80, 20, 80},    {50, 49, 51, 50, 50},
      {50, 20, 80, 50, 90}, {50, 80, 20, 50, 10}, {60, 40, 60, 40, 40}};
  for (const auto& ys : columns) {
    for (const bool leave : {false, true}) {
      SCOPED_TRACE(::testing::PrintToString(ys) + (leave ? " and on" : ""));
      const Pictures p = PaintBothWays([&](TCustomZOdoza& c) {
        c.MoveTo(40.0, 30.0);
        for (const double y : ys) c.DrawTo(50.0, y);  // x 50 is one pixel column
        if (leave) c.DrawTo(51.0, 35.0);
      });
      EXPECT_EQ(FirstDifference(p), "");
    }
  }
}

TEST(ChartDensePlot, ShortcutsDrawFarFewerFigures) {
  // The shortcuts must really be taken, or the comparisons above would compare the plain
  // picture with itself.
  Chart ch(0, 100);
  std::mt19937 rng(7);
  DenseSeries(ch.c, rng, 20000, true, 10);
  ch.Show();
  TBitmap bmp;
  bmp.SetSize(ch.c.GrafBmp()->Width(), ch.c.GrafBmp()->Height());
  int figures = 0;
  bmp.Canvas()->OnChange = [&](TObject*) { ++figures; };
  ch.c.ConstructDataBmp(&bmp, 0, 0, false, 0);
  const int fast = figures;
  ch.c.SetDrawShortcutsForTesting(false);
  figures = 0;
  ch.c.ConstructDataBmp(&bmp, 0, 0, false, 0);
  EXPECT_LT(fast * 2, figures) << fast << " against " << figures;
}

// Long runs are decoded ahead on other threads in blocks. Small blocks put block boundaries
// everywhere (between a line point and its mark, inside a stretch of one pixel column, just
// before a record that ends the run); whatever the threads and blocks, the picture must be the
// plain one.
TEST(ChartDensePlot, DecodingAheadPaintsThePlainPicture) {
  struct Scene {
    const char* Name;
    std::function<void(TCustomZOdoza&, std::mt19937&)> Build;
  } scenes[] = {
      {"line and open squares",
       [](TCustomZOdoza& c, std::mt19937& r) { DenseSeries(c, r, 6000, true, 10); }},
      {"records that end the run every few points: colours, width, text, relative point",
       [](TCustomZOdoza& c, std::mt19937& r) {
         const TColor cols[] = {kRed, kBlue, kGreen};
         for (int k = 0; k < 60; ++k) {
           c.SetDataCol(cols[k % 3]);
           c.SetFillCol(k % 6 == 5 ? kTeal : kWhite);
           c.SetLineWid(k % 7 == 6 ? 2 : 1);
           DenseSeries(c, r, 13 + 11 * k, true, k % 4 == 0 ? 1 : 10);
           if (k % 5 == 1) c.Text(50.0, 50.0, 8, "t");
           if (k % 5 == 2) c.DrawToRelPix(3, -4);
           if (k % 5 == 3) c.MarkAt(40.0, 40.0, static_cast<Byte>(65));  // character mark
         }
       }},
      {"hidden layer, hidden class and layers in turn",
       [](TCustomZOdoza& c, std::mt19937& r) {
         // The hidden records come inside runs: marks alone, and line points that go on
         // without a move.
         c.ForceRange(2, -50, 0, 150, 200);
         c.ForceRange(3, 0, 40, 60, 70);
         DenseSeries(c, r, 100, true, 10);
         for (int k = 0; k < 24; ++k) {
           c.SetActiveLayer(1 + k % 3);
           c.SetClassDefault(k % 4 == 3 ? 7 : 0);
           DenseSeries(c, r, 150 + 29 * k, k % 3 == 0, 10);
           for (int j = 0; j < 40; ++j) c.DrawTo(30.0 + j, 45.0 + (j * 7) % 20);
         }
         c.SetActiveLayer(1);
         c.SetClassDefault(0);
         c.SetClassVisib(7, false);
         c.SetLayerVisib(3, false);
       }},
      {"missing and infinite values inside the run",
       [](TCustomZOdoza& c, std::mt19937& r) {
         const double inf = std::numeric_limits<double>::infinity();
         DenseSeries(c, r, 2000, true, 10);
         for (int k = 0; k < 200; ++k) {
           const double x = 10 + 0.4 * k, y = k % 9 == 0 ? inf : 30 + (k * 37) % 40;
           if (k % 13 == 5)
             c.DrawTo(-inf, 50.0);
           else
             c.DrawTo(x, y);
           c.MarkAt(k % 11 == 0 ? inf : x, y, static_cast<Byte>(10));
         }
         DenseSeries(c, r, 2000, true, 10);
       }},
      {"zoomed in far: most of the line lies beyond the picture",
       [](TCustomZOdoza& c, std::mt19937& r) {
         DenseSeries(c, r, 6000, true, 10);
         c.ForceRange(1, 40, 45, 40.5, 55);
       }},
      {"logarithmic axes",
       [](TCustomZOdoza& c, std::mt19937& r) {
         c.ForceRange(1, 1, 1, 100, 100);
         c.GetScalePropsX(1)->SetLogAx(true);
         c.GetScalePropsY(1)->SetLogAx(true);
         DenseSeries(c, r, 4000, true, 10);
       }},
      {"near duplicates thinned",
       [](TCustomZOdoza& c, std::mt19937& r) {
         c.SetAvoidDupMarks(true);
         DenseSeries(c, r, 4000, true, 10);
       }},
      {"marks drawn again where they are, then items placed from the pen",
       [](TCustomZOdoza& c, std::mt19937& r) {
         // A repeated mark draws nothing, but where it leaves the pen counts for the relative
         // items after the run; so does the line point before it, at its pixel or elsewhere.
         // The relative items are red, the rest blue.
         for (int k = 0; k < 12; ++k) {
           const Byte mark = static_cast<Byte>(k % 3 == 2 ? 1 : 10);
           c.SetDataCol(kBlue);
           DenseSeries(c, r, 150, true, mark);
           const double y = 10 + 7 * k;
           for (int j = 0; j < 30; ++j) {
             const double x = 50 + (k % 2 == 0 ? 0 : j % 3);
             c.DrawTo(x, y);
             c.MarkAt(50.0, y, mark);
           }
           c.SetDataCol(kRed);
           if (k % 4 == 0) c.DrawToRelPix(7, -5);
           if (k % 4 == 1) c.MoveToRelPix(4, 9);
           if (k % 4 == 2) c.DrawToRelPix(-6, 8);
           c.DrawToRelPix(3, 3);
         }
       }},
  };
  const struct {
    Integer Threads, Block;
  } settings[] = {{1, 1}, {1, 7}, {2, 1}, {3, 5}, {4, 64}, {2, 2048}, {0, 0}};
  for (const Scene& s : scenes) {
    SCOPED_TRACE(s.Name);
    Chart ch(0, 100);
    std::mt19937 rng(20240612);
    s.Build(ch.c, rng);
    ch.c.SetDrawShortcutsForTesting(false);
    ch.Show();
    Pictures p;
    p.Plain = Grab(ch.c);
    p.Width = ch.c.GrafBmp()->Width();
    p.Height = ch.c.GrafBmp()->Height();
    ch.c.SetDrawShortcutsForTesting(true);
    for (const auto& set : settings) {
      SCOPED_TRACE(::testing::Message() << set.Threads << " threads, blocks of " << set.Block);
      ch.c.SetDenseDecodeForTesting(set.Threads, set.Block);
      ch.c.Repaint();
      p.Fast = Grab(ch.c);
      EXPECT_EQ(FirstDifference(p), "");
    }
  }
}
