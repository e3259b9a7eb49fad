// The colour scale control: value/colour conversion, range and margin rules, the bar painted
// into its picture (checked by probing pixels), the mouse drags and copying the picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "DOV_ColorScale.h"

namespace {

TColor Palette(const TColorScale& cs, Integer ix) { return cs.ColorArray()->GetColorElem(ix); }

// A colour scale whose palette is easy to tell apart: n entries, entry i = i (a dark blue).
struct NumberedPalette {
  TColorScale cs{nullptr};
  explicit NumberedPalette(Integer n = 10) {
    cs.SetSuppressPaint(true);
    cs.ColorArray()->SetSize(n);
    for (Integer i = 1; i <= n; ++i) cs.ColorArray()->SetColorElem(i, static_cast<TColor>(i));
    cs.SetSuppressPaint(false);
  }
  TColor Pixel(int x, int y) { return cs.GrafBmp()->Canvas()->GetPixel(x, y); }
};

}  // namespace

TEST(ColorScaleDefaults, AsCreated) {
  TColorScale cs(nullptr);
  EXPECT_EQ(cs.Width(), 300);
  EXPECT_EQ(cs.Height(), 75);
  EXPECT_EQ(cs.ColorArray()->Size(), 1000);
  EXPECT_EQ(cs.ScaleRangeLow(), -10);
  EXPECT_EQ(cs.ScaleRangeHigh(), 10);
  EXPECT_EQ(cs.ColorLow(), -10);
  EXPECT_EQ(cs.ColorHigh(), 10);
  EXPECT_EQ(cs.MarginTop(), 8);
  EXPECT_EQ(cs.MarginBottom(), 22);
  EXPECT_EQ(cs.MarginLeft(), 16);
  EXPECT_EQ(cs.MarginRight(), 16);
  EXPECT_EQ(cs.MinTicks(), 3);
  EXPECT_EQ(cs.CrossHair()->Mode(), chBoth);
  EXPECT_EQ(cs.CrossHair()->Color(), 0x0000FFu);
  EXPECT_EQ(cs.CrossHair()->LineType(), psDot);
  EXPECT_EQ(cs.CrossHair()->LineWid(), 1);
  EXPECT_TRUE(cs.FramedColorScale());
  EXPECT_FALSE(cs.ExtendColors());
  EXPECT_EQ(cs.ColorSclBkgd(), 0xC0C0C0u);
  EXPECT_EQ(cs.Scale()->Name(), "ColorScale");
  EXPECT_TRUE(cs.Scale()->IsHelperComponent());
  EXPECT_TRUE(cs.Scale()->Transparent());
  EXPECT_EQ(cs.Scale()->ScaleType(), sctXT);
}

TEST(ColorScaleConversion, ValueToColorTable) {
  TColorScale cs(nullptr);
  struct Case {
    Double low, high, v;
    Integer ix;
  };
  const Case cases[] = {
      {-10, 10, 0, 500},
      {-10, 10, -20, 1},
      {-10, 10, 99, 1000},
      {-10, 10, 10, 1000},
      {-10, 10, -10, 1},
      {-10, 10, -9.99, 1},
      {-10, 10, 9.99, 999},
      {0, 1000, 2.5, 2},  // 2.5 rounds to the even 2
      {0, 1000, 3.5, 4},
      {5, 5, -1e9, 500},
      {5, 5, 1e9, 500},  // no span: the middle
      {0, 1, std::numeric_limits<Double>::quiet_NaN(), 1},
      {0, 1, std::numeric_limits<Double>::infinity(), 1000},
  };
  for (const Case& c : cases) {
    cs.SetColorLow(c.low);  // low first: high may be moved up to it
    cs.SetColorHigh(c.high);
    cs.SetColorLow(c.low);
    EXPECT_EQ(cs.ValueToColor(c.v), Palette(cs, c.ix)) << c.low << ".." << c.high << " " << c.v;
  }
}

TEST(ColorScaleConversion, ColorToValueOfPaletteEntries) {
  NumberedPalette p(1000);
  p.cs.SetColorLow(-10);
  p.cs.SetColorHigh(10);
  EXPECT_NEAR(p.cs.ColorToValue(1), -9.98, 1e-12);
  EXPECT_NEAR(p.cs.ColorToValue(500), 0, 1e-12);
  EXPECT_NEAR(p.cs.ColorToValue(1000), 10, 1e-12);
  // Round trip through the rainbow for a value inside the range.
  TColorScale cs(nullptr);
  EXPECT_NEAR(cs.ColorToValue(cs.ValueToColor(3.0)), 3.0, 0.05);
}

TEST(ColorScaleRanges, SetScaleRangeAndColorEndRules) {
  TColorScale cs(nullptr);
  cs.SetScaleRange(3, 3);
  EXPECT_EQ(cs.ScaleRangeLow(), 2);
  EXPECT_EQ(cs.ScaleRangeHigh(), 4);
  EXPECT_EQ(cs.ColorLow(), 2);
  EXPECT_EQ(cs.ColorHigh(), 4);
  EXPECT_EQ(cs.Scale()->RangeLow(), 2);
  EXPECT_EQ(cs.Scale()->RangeHigh(), 4);

  cs.SetColorLow(7);  // above ColorHigh: moves it along
  EXPECT_EQ(cs.ColorHigh(), 7);
  cs.SetColorHigh(-1);  // below ColorLow: moves it along
  EXPECT_EQ(cs.ColorLow(), -1);

  cs.SetScaleRangeLow(4);  // equal to the high end: the axis widens and we follow it
  EXPECT_EQ(cs.ScaleRangeLow(), 4);
  EXPECT_EQ(cs.ScaleRangeHigh(), 5);
  EXPECT_EQ(cs.Scale()->RangeHigh(), 5);
}

TEST(ColorScaleSetters, MarginsAreCappedAboveOnly) {
  struct Case {
    int which;
    Integer value, expected;
  };
  const Case cases[] = {
      {0, 100, 52},                // 75 - 22 - 1
      {1, 100, 66},                // 75 - 8 - 1
      {2, 500, 283},               // 300 - 16 - 1
      {3, 500, 283}, {0, -5, -5},  // no lower bound
      {2, -3, -3},
  };
  for (const Case& c : cases) {
    TColorScale cs(nullptr);
    switch (c.which) {
      case 0:
        cs.SetMarginTop(c.value);
        EXPECT_EQ(cs.MarginTop(), c.expected);
        break;
      case 1:
        cs.SetMarginBottom(c.value);
        EXPECT_EQ(cs.MarginBottom(), c.expected);
        break;
      case 2:
        cs.SetMarginLeft(c.value);
        EXPECT_EQ(cs.MarginLeft(), c.expected);
        break;
      default:
        cs.SetMarginRight(c.value);
        EXPECT_EQ(cs.MarginRight(), c.expected);
        break;
    }
  }
}

TEST(ColorScaleSetters, MinTicksClampedAndAxisFollowsLayout) {
  TColorScale cs(nullptr);
  cs.SetMinTicks(1);
  EXPECT_EQ(cs.MinTicks(), 2);
  cs.SetMinTicks(50);
  EXPECT_EQ(cs.MinTicks(), 10);

  cs.SetBounds(0, 0, 300, 75);
  EXPECT_EQ(cs.Scale()->MarginTop(), 75 - 22);  // base line under the bar
  EXPECT_EQ(cs.Scale()->MarginLeft(), 16);
  cs.SetMarginBottom(30);
  EXPECT_EQ(cs.Scale()->MarginTop(), 45);
  cs.SetOrientation(csoVertical);
  EXPECT_EQ(cs.Scale()->ScaleType(), sctYL);
  EXPECT_EQ(cs.Scale()->MarginLeft(), 300 - 16);  // base line right of the bar
  EXPECT_EQ(cs.Scale()->MarginBottom(), 30);
  cs.SetMarginRight(40);
  EXPECT_EQ(cs.Scale()->MarginLeft(), 260);
}

// ---- the bar in the picture ---------------------------------------------------------------------
TEST(ColorScalePaint, HorizontalBarColumnsAndEnds) {
  NumberedPalette p(10);
  TColorScale& cs = p.cs;
  cs.SetBounds(0, 0, 300, 75);
  cs.SetFrameStyle(fsNone);
  cs.SetScaleRange(0, 10);
  const Integer row = 20;
  const Integer rL = cs.ValueToPixel(0), rH = cs.ValueToPixel(10);
  EXPECT_EQ(rL, 16);
  EXPECT_EQ(rH, 283);
  EXPECT_EQ(p.Pixel(rL, row), clBlack);  // the outline
  EXPECT_EQ(p.Pixel(rL + 1, row), 1u);
  EXPECT_EQ(p.Pixel(rH - 1, row), 10u);
  const Integer mid = cs.ValueToPixel(5.2);
  EXPECT_EQ(p.Pixel(mid, row), cs.ValueToColor(5.2));
  EXPECT_EQ(p.Pixel(mid, cs.MarginTop() - 1), 0xC0C0C0u);  // above the bar: background
  EXPECT_EQ(p.Pixel(mid, cs.MarginTop()), clBlack);        // the outline
  EXPECT_EQ(p.Pixel(mid, 75 - 22), clBlack);               // outline / base line row

  // A colour range inside the scale range leaves background beside it, unless extended.
  cs.SetColorLow(3);
  cs.SetColorHigh(7);
  const Integer c3 = cs.ValueToPixel(3), c7 = cs.ValueToPixel(7);
  EXPECT_EQ(p.Pixel(c3 - 5, row), 0xC0C0C0u);
  EXPECT_EQ(p.Pixel(c7 + 5, row), 0xC0C0C0u);
  EXPECT_EQ(p.Pixel(c3 + 1, row), 1u);
  cs.SetExtendColors(true);
  EXPECT_EQ(p.Pixel(c3 - 5, row), 1u);
  EXPECT_EQ(p.Pixel(c7 + 5, row), 10u);
  EXPECT_EQ(p.Pixel(cs.MarginLeft() + 1, row), 1u);
}

TEST(ColorScalePaint, VerticalBarAndReversedRangeShowsNoColours) {
  NumberedPalette p(10);
  TColorScale& cs = p.cs;
  cs.SetBounds(0, 0, 80, 300);
  cs.SetOrientation(csoVertical);
  cs.SetFrameStyle(fsNone);
  cs.SetMarginRight(40);
  cs.SetScaleRange(0, 10);
  const Integer col = 25;
  EXPECT_EQ(p.Pixel(col, cs.ValueToPixel(9.9) + 1), 10u);  // high values at the top
  EXPECT_EQ(p.Pixel(col, cs.ValueToPixel(0.1)), 1u);
  // The axis was laid out for the vertical bar: its base line runs along the bar's right edge.
  EXPECT_EQ(p.Pixel(80 - 40, cs.ValueToPixel(5)), clBlack);

  // Colour ends set against the axis direction: the colour range is empty.
  cs.Scale()->SetRange(10, 0);  // a reversed axis puts ColorLow above ColorHigh on screen
  cs.SetColorHigh(10);
  cs.SetColorLow(0);
  EXPECT_GT(cs.ValueToPixel(10), cs.ValueToPixel(0));
  for (Integer r = cs.MarginTop() + 2; r < 300 - cs.MarginBottom() - 2; r += 17)
    EXPECT_EQ(p.Pixel(col, r), 0xC0C0C0u) << r;
}

TEST(ColorScalePaint, CrossHairCaptionAndRenderEvent) {
  NumberedPalette p(10);
  TColorScale& cs = p.cs;
  int rendered = 0;
  cs.OnDataRendered = [&](TObject* s, TCanvas* c) {
    EXPECT_EQ(s, &cs);
    EXPECT_EQ(c, cs.GrafBmp()->Canvas());
    ++rendered;
  };
  cs.CrossHair()->SetCrossHLineType(psSolid);
  cs.CrossHair()->SetCrossHPosX(2.5);
  EXPECT_GT(rendered, 0);
  const Integer x = cs.ValueToPixel(2.5);
  EXPECT_EQ(p.Pixel(x, 30), 0x0000FFu);
  EXPECT_EQ(p.Pixel(x, cs.MarginTop()), clBlack);  // starts one pixel inside the outline
  EXPECT_EQ(p.Pixel(x, cs.MarginTop() + 1), 0x0000FFu);
  cs.CrossHair()->SetCrossHMode(chOff);
  EXPECT_NE(p.Pixel(x, 30), 0x0000FFu);

  cs.SetCaptionColor(0x00FF00);
  cs.SetCaption("WWW");
  bool green = false;
  for (int y = 10; y < 30; ++y)
    for (int xx = 10; xx < 40; ++xx) green = green || p.Pixel(xx, y) == 0x00FF00u;
  EXPECT_TRUE(green);
}

TEST(ColorScalePaint, SuppressPaintHoldsThePicture) {
  NumberedPalette p(10);
  p.cs.SetSuppressPaint(true);
  const TColor before = p.Pixel(150, 20);
  p.cs.SetColorSclBkgd(clWhite);
  p.cs.SetColorLow(5);
  EXPECT_EQ(p.Pixel(150, 20), before);
  p.cs.SetSuppressPaint(false);
  EXPECT_EQ(p.Pixel(5, 20), clWhite);
}

TEST(ColorScalePaint, CopyToBitMap) {
  TColorScale cs(nullptr);
  cs.SetBounds(0, 0, 120, 60);
  cs.SetColorSclBkgd(clWhite);
  TBitmap target(10, 10);
  cs.CopyToBitMap(&target, -1, 0);
  EXPECT_EQ(target.Width(), 120);
  EXPECT_EQ(target.Height(), 60);
  EXPECT_EQ(target.Canvas()->GetPixel(60, 3), cs.GrafBmp()->Canvas()->GetPixel(60, 3));
  TBitmap big(300, 200);
  big.Canvas()->Brush()->SetColor(clBlack);
  big.Canvas()->FillRect(Rect(0, 0, 300, 200));
  cs.CopyToBitMap(&big, 100, 50);
  EXPECT_EQ(big.Width(), 300);
  EXPECT_EQ(big.Canvas()->GetPixel(100 + 60, 50 + 3), cs.GrafBmp()->Canvas()->GetPixel(60, 3));
  EXPECT_EQ(big.Canvas()->GetPixel(99, 49), clBlack);
  cs.CopyToBitMap(nullptr, 0, 0);  // harmless
}

// ---- mouse ------------------------------------------------------------------------------------
TEST(ColorScaleMouse, ZoomPanModeByWhereTheDragStarts) {
  struct Case {
    TColScaleOrientation o;
    int at;
    TZoomPanMode mode;
  };
  // Horizontal bar 16..284 (length 268): zones below 16+113 and above 16+155.
  // Vertical bar 8..278 of 300 (length 270): zones below 8+113 and above 8+157.
  const Case cases[] = {
      {csoHorizontal, 16 + 80, zpmColZoomLeft},
      {csoHorizontal, 150, zpmPan},
      {csoHorizontal, 250, zpmColZoomRight},
      {csoVertical, 50, zpmColZoomRight},
      {csoVertical, 140, zpmPan},
      {csoVertical, 250, zpmColZoomLeft},
  };
  for (const Case& c : cases) {
    TColorScale cs(nullptr);
    cs.SetBounds(0, 0, 300, 300);
    cs.SetOrientation(c.o);
    cs.SetMouseAction(maZoomPanColors);
    cs.MouseDown(mbLeft, ssLeft, c.o == csoHorizontal ? c.at : 20,
                 c.o == csoHorizontal ? 20 : c.at);
    EXPECT_EQ(cs.ZoomPanMode(), c.mode) << c.o << " " << c.at;
  }
}

TEST(ColorScaleMouse, PanAndStretchUseTheSpanAtTheMouseDown) {
  TColorScale cs(nullptr);
  cs.SetBounds(0, 0, 216, 75);  // bar 16..200: 184 pixels for 20 units
  cs.SetMouseAction(maZoomPanColors);
  int zoomPans = 0;
  cs.OnZoomPan = [&](TObject*) { ++zoomPans; };
  cs.MouseDown(mbLeft, ssLeft, 108, 20);  // the middle: pan
  ASSERT_EQ(cs.ZoomPanMode(), zpmPan);
  cs.MouseMove(ssLeft, 108 + 46, 20);  // a quarter of the bar: 5 units
  EXPECT_NEAR(cs.ScaleRangeLow(), -15, 1e-9);
  EXPECT_NEAR(cs.ScaleRangeHigh(), 5, 1e-9);
  EXPECT_NEAR(cs.ColorLow(), -15, 1e-9);
  EXPECT_NEAR(cs.Scale()->RangeHigh(), 5, 1e-9);
  cs.MouseUp(mbLeft, 0, 154, 20);
  EXPECT_EQ(zoomPans, 1);

  cs.MouseDown(mbLeft, ssLeft, 20, 20);  // near the low end: stretch the low end
  ASSERT_EQ(cs.ZoomPanMode(), zpmColZoomLeft);
  // Repeated moves to the same spot give the same range: no feedback through the new span.
  cs.MouseMove(ssLeft, 20 + 46, 20);
  cs.MouseMove(ssLeft, 20 + 46, 20);
  EXPECT_NEAR(cs.ScaleRangeLow(), -20, 1e-9);
  EXPECT_NEAR(cs.ScaleRangeHigh(), 5, 1e-9);
  cs.MouseUp(mbRight, 0, 0, 0);
  EXPECT_EQ(zoomPans, 1);
}

TEST(ColorScaleMouse, CrossHairDragClampsAndReports) {
  TColorScale cs(nullptr);
  cs.SetMouseAction(maDragCrossH);
  int moved = 0;
  cs.OnCrossHairMove = [&](TObject*) { ++moved; };
  cs.MouseMove(ssLeft, cs.ValueToPixel(4), 20);  // first move only starts the drag
  EXPECT_EQ(moved, 0);
  EXPECT_EQ(cs.CrossHair()->PosX(), 0);
  cs.MouseMove(ssLeft, cs.ValueToPixel(4), 20);
  EXPECT_EQ(moved, 1);
  EXPECT_NEAR(cs.CrossHair()->PosX(), 4, 0.1);
  EXPECT_EQ(cs.CrossHair()->PosX(), cs.CrossHair()->PosY());
  cs.MouseMove(ssLeft, 299, 20);  // beyond the axis end
  EXPECT_EQ(cs.CrossHair()->PosX(), 10);
  cs.MouseMove(0, 100, 20);  // released: the next held move starts over
  cs.MouseMove(ssLeft, 0, 20);
  EXPECT_EQ(moved, 2);
  EXPECT_EQ(cs.CrossHair()->PosX(), 10);
}

TEST(ColorScaleMouse, MoveReportsValueAndWhetherInsideTheBar) {
  TColorScale cs(nullptr);
  struct Seen {
    bool in;
    Double v;
  };
  std::vector<Seen> seen;
  cs.OnMouseMoveInScale = [&](TObject*, bool in, TShiftState, Double v) {
    seen.push_back({in, v});
  };
  cs.WMMouseMoveInScale(0, cs.ValueToPixel(0), 20);
  cs.MouseMove(0, 5, 20);
  cs.MouseMove(0, 150, 60);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[0].in);
  EXPECT_NEAR(seen[0].v, 0, 0.1);
  EXPECT_FALSE(seen[1].in);
  EXPECT_FALSE(seen[2].in);
}

TEST(ColorScaleAssign, CopiesSettingsPaletteAndAxis) {
  TColorScale a(nullptr), b(nullptr);
  a.SetScaleRange(1, 5);
  a.SetColorLow(2);
  a.SetCaption("flux");
  a.SetMarginLeft(30);
  a.SetOrientation(csoVertical);
  a.ColorArray()->SetSize(16);
  a.SetMouseAction(maDragCrossH);
  b.Assign(&a);
  EXPECT_EQ(b.ScaleRangeLow(), 1);
  EXPECT_EQ(b.ScaleRangeHigh(), 5);
  EXPECT_EQ(b.ColorLow(), 2);
  EXPECT_EQ(b.Caption(), "flux");
  EXPECT_EQ(b.MarginLeft(), 30);
  EXPECT_EQ(b.Orientation(), csoVertical);
  EXPECT_EQ(b.ColorArray()->Size(), 16);
  EXPECT_EQ(b.MouseAction(), maDragCrossH);
  EXPECT_EQ(b.Scale()->RangeHigh(), 5);
  // The copy draws into its own picture, not its source's.
  b.SetColorSclBkgd(clWhite);
  EXPECT_EQ(b.GrafBmp()->Canvas()->GetPixel(5, 5), clWhite);
  EXPECT_NE(a.GrafBmp()->Canvas()->GetPixel(5, 5), clWhite);
}

// ---- a picture to look at ----------------------------------------------------------------------
TEST(ColorScalePicture, HorizontalAndVerticalIntoAPNG) {
  const std::filesystem::path out = std::filesystem::current_path() / "charting_pictures";
  std::filesystem::create_directories(out);
  TColorScale h(nullptr), v(nullptr);
  h.SetBounds(0, 0, 300, 75);
  h.SetCaption("Tsys [K]");
  h.SetScaleRange(0, 100);
  h.SetColorLow(20);
  h.SetColorHigh(80);
  h.CrossHair()->SetCrossHPosX(50);
  v.SetBounds(0, 0, 90, 300);
  v.SetOrientation(csoVertical);
  v.SetMarginRight(45);
  v.SetScaleRange(-10, 10);
  v.SetExtendColors(true);
  v.SetColorLow(-5);
  v.SetColorHigh(5);
  v.CrossHair()->SetCrossHPosY(2);
  TBitmap pic(400, 310);
  pic.Canvas()->Brush()->SetColor(clWhite);
  pic.Canvas()->FillRect(Rect(0, 0, 400, 310));
  h.CopyToBitMap(&pic, 5, 5);
  v.CopyToBitMap(&pic, 310, 5);
  // Probes: colour ends of the rainbow, background outside the colour range, extended ends.
  EXPECT_EQ(pic.Canvas()->GetPixel(5 + h.ValueToPixel(10), 5 + 45), 0xC0C0C0u);
  EXPECT_NEAR(h.ColorToValue(pic.Canvas()->GetPixel(5 + h.ValueToPixel(30), 5 + 45)), 30, 0.2);
  EXPECT_EQ(pic.Canvas()->GetPixel(310 + 20, 5 + v.ValueToPixel(8)), v.ValueToColor(5));
  EXPECT_EQ(pic.Canvas()->GetPixel(310 + 20, 5 + v.ValueToPixel(-8)), v.ValueToColor(-5));
  EXPECT_TRUE(SaveBitmapAsPNG(&pic, (out / "colorscales.png").string()));
}

TEST(ColorScalePaint, FarNegativeMarginsStayCheap) {
  NumberedPalette p(10);
  p.cs.SetExtendColors(true);
  p.cs.SetMarginLeft(-2000000000);
  p.cs.SetMarginRight(-2000000000);
  p.cs.SetColorLow(-1e12);
  p.cs.CrossHair()->SetCrossHMode(chOff);
  EXPECT_EQ(p.Pixel(100, 50), 10u);  // -1e12..10: the whole axis lies in the last colour
  p.cs.SetOrientation(csoVertical);
  p.cs.SetMarginTop(-2000000000);
  p.cs.SetMarginBottom(-2000000000);
  EXPECT_EQ(p.Pixel(5, 50), 10u);
}

TEST(ColorScaleMouse, FarNegativeMarginsDoNotOverflowTheBarLength) {
  TColorScale cs(nullptr);
  cs.SetMarginLeft(-2000000000);
  cs.SetMarginRight(-2000000000);
  cs.SetMouseAction(maZoomPanColors);
  cs.MouseDown(mbLeft, ssLeft, 150, 20);  // bar from -2e9 to 2e9: the middle pans
  EXPECT_EQ(cs.ZoomPanMode(), zpmPan);
  cs.MouseMove(ssLeft, 160, 20);
  EXPECT_NEAR(cs.ScaleRangeLow(), -10, 1e-6);
}
