// The contour plot: settings and their rules, the pivot grid and pass, fields with closed-form
// contours (a plane, a paraboloid, a saddle) drawn in every mode and checked pixel by pixel
// against the formulas, masks, labels, the attached colour scale, copying, descriptions and
// hostile input. Pictures of every mode go to charting_pictures/ for people to look at.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <array>
#include <climits>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <vector>

#include "DOV_contour.h"
#include "FormLoader.h"
#include "Forms.h"

namespace {

constexpr TColor kWhite = 0xFFFFFF, kOlive = 0x008080;
constexpr Double kNaN = std::numeric_limits<Double>::quiet_NaN();
constexpr Double kInf = std::numeric_limits<Double>::infinity();

// A plot 260 x 240 with margins 40/20/20/20: a data area of 200 x 200 pixels (its bitmap 201 x
// 201, the frame on column and row 200). World (x, y) of a range lo ... hi on both axes lies at
// bitmap pixel ((x - lo) k, 200 - (y - lo) k) with k = 200 / (hi - lo), worked out here, not
// asked of the plot.
struct Plot {
  TContourPlot p{nullptr};
  Double lo, hi;
  explicit Plot(Integer pivots = 11, Double Lo = 0, Double Hi = 10) : lo(Lo), hi(Hi) {
    p.SetBounds(0, 0, 260, 240);
    p.SetLRim(40);
    p.SetRRim(20);
    p.SetTRim(20);
    p.SetBRim(20);
    p.ForceRange(1, lo, lo, hi, hi);
    p.SetNumPivotsX(pivots);
    p.SetNumPivotsY(pivots);
  }
  Double k() const { return 200 / (hi - lo); }
  Integer Col(Double x) const { return static_cast<Integer>(std::lround((x - lo) * k())); }
  Integer Row(Double y) const { return 200 - static_cast<Integer>(std::lround((y - lo) * k())); }
  Double WorldX(Integer c) const { return lo + c / k(); }
  Double WorldY(Integer r) const { return lo + (200 - r) / k(); }
  // Colour n is the number n, so a pixel tells which colour number was drawn.
  void NumberColours() {
    for (Integer n = 1; n <= 1000; ++n) p.IsoColors()->SetColorElem(n, static_cast<TColor>(n));
  }
  void Field(std::function<Double(Double, Double)> f) {
    p.OnEstimateZVal = [f](TObject*, Double x, Double y, Integer, Integer, Double& z, Byte&) {
      z = f(x, y);
    };
  }
  // Paints once, also after a copy (which leaves painting unsuppressed without a repaint).
  void Show() {
    p.SetSuppressPaint(true);
    p.SetSuppressPaint(false);
  }
  TColor At(Integer c, Integer r) const { return p.GrafBmp()->Canvas()->GetPixel(c, r); }
};

std::filesystem::path PictureFolder() {
  const auto out = std::filesystem::current_path() / "charting_pictures";
  std::filesystem::create_directories(out);
  return out;
}

const std::vector<std::pair<TContourPlotMode, const char*>> kModes = {
    {cpmDots, "dots"},
    {cpmMonoDots, "monodots"},
    {cpmColorSurface, "surface"},
    {cpmColorSurfNoIp, "surfnoip"},
    {cpmColorSurfNoIpTransp, "surfnoiptransp"}};

}  // namespace

// ---- settings ----------------------------------------------------------------------------------
TEST(ContourSettings, AfterConstruction) {
  TContourPlot p(nullptr);
  EXPECT_EQ(p.PlotMode(), cpmColorSurface);
  EXPECT_EQ(p.IsoLow(), -1);
  EXPECT_EQ(p.IsoHigh(), 1);
  EXPECT_EQ(p.IsoDist(), 0.1);
  EXPECT_EQ(p.NumIsoLevels(), 20);
  EXPECT_TRUE(p.Enabled());
  EXPECT_TRUE(p.InvalidDataBmp());
  EXPECT_EQ(p.AttachedColorScale(), nullptr);
  EXPECT_EQ(p.Scale1X()->RangeLow(), -5.2);
  EXPECT_EQ(p.Scale1X()->RangeHigh(), 5.2);
  EXPECT_EQ(p.Scale1Y()->RangeLow(), -5.2);
  EXPECT_EQ(p.Scale1Y()->RangeHigh(), 5.2);
  EXPECT_TRUE(p.Scale1X()->Visible());
  EXPECT_FALSE(p.GetScalePropsX(2)->Visible());
  EXPECT_EQ(p.GridStyle(), gsPoints);
  // The data area of a new chart (280 x 200, margins 50/20/20/40) at 5 pixels per pivot.
  EXPECT_EQ(p.NumPivotsX(), (280 - 70) / 5);
  EXPECT_EQ(p.NumPivotsY(), (200 - 60) / 5);
  for (Integer ix = 1; ix <= p.NumPivotsX(); ++ix)
    for (Integer iy = 1; iy <= p.NumPivotsY(); ++iy) ASSERT_EQ(p.GetMaskVal(ix, iy), 0);
  EXPECT_EQ(p.IsoColors()->Size(), 1000);
  // Mask values 2 ... 17 are the 16 standard colours.
  EXPECT_EQ(p.MaskPalette()->Size(), 255);
  EXPECT_EQ(p.MaskPalette()->GetColorElem(2), 0x000000);
  EXPECT_EQ(p.MaskPalette()->GetColorElem(5), kOlive);
  EXPECT_EQ(p.MaskPalette()->GetColorElem(17), kWhite);
}

TEST(ContourSettings, IsoLimitsPushEachOther) {
  struct Case {
    const char* what;
    std::function<void(TContourPlot&)> act;
    Double low, high, dist;
    Integer levels;
  };
  const std::vector<Case> cases = {
      {"low above high", [](TContourPlot& p) { p.SetIsoLow(3); }, 3, 4, 0.1, 10},
      {"high below low", [](TContourPlot& p) { p.SetIsoHigh(-5); }, -6, -5, 0.1, 10},
      {"params reversed", [](TContourPlot& p) { p.SetIsoParams(2, 1, 0.5); }, 0, 1, 0.5, 2},
      {"NaN low ignored", [](TContourPlot& p) { p.SetIsoLow(kNaN); }, -1, 1, 0.1, 20},
      {"infinite high ignored", [](TContourPlot& p) { p.SetIsoHigh(kInf); }, -1, 1, 0.1, 20},
      {"NaN params ignored", [](TContourPlot& p) { p.SetIsoParams(0, kNaN, 1); }, -1, 1, 0.1, 20},
      {"zero spacing: no levels", [](TContourPlot& p) { p.SetIsoDist(0); }, -1, 1, 0, 0},
      {"negative spacing: no levels", [](TContourPlot& p) { p.SetIsoDist(-0.1); }, -1, 1, -0.1, 0},
      {"level count capped", [](TContourPlot& p) { p.SetIsoDist(1e-9); }, -1, 1, 1e-9, 65535},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TContourPlot p(nullptr);
    c.act(p);
    EXPECT_EQ(p.IsoLow(), c.low);
    EXPECT_EQ(p.IsoHigh(), c.high);
    EXPECT_EQ(p.IsoDist(), c.dist);
    EXPECT_EQ(p.NumIsoLevels(), c.levels);
  }
}

TEST(ContourSettings, PivotCountsAreClampedAndResetTheGrid) {
  struct Case {
    const char* what;
    std::function<void(TContourPlot&)> act;
    Integer nx, ny;
  };
  // The data area is 400 x 200 unless the case turns the plot.
  const std::vector<Case> cases = {
      {"x below 2", [](TContourPlot& p) { p.SetNumPivotsX(1); }, 2, 5},
      {"x above 1000", [](TContourPlot& p) { p.SetNumPivotsX(5000); }, 1000, 5},
      {"y at the integer limits", [](TContourPlot& p) { p.SetNumPivotsY(INT_MIN); }, 5, 2},
      {"resolution, wide area", [](TContourPlot& p) { p.SetPivotResolution(100); }, 21, 11},
      {"resolution, tall area",
       [](TContourPlot& p) {
         p.SetBounds(0, 0, 200, 400);
         p.SetPivotResolution(100);
       },
       11, 21},
      {"resolution below 10", [](TContourPlot& p) { p.SetPivotResolution(-7); }, 3, 2},
      {"resolution above 5000", [](TContourPlot& p) { p.SetPivotResolution(INT_MAX); }, 1001, 501},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TContourPlot p(nullptr);
    p.SetLRim(0);
    p.SetRRim(0);
    p.SetTRim(0);
    p.SetBRim(0);
    p.SetBounds(0, 0, 400, 200);
    p.SetNumPivotsX(5);
    p.SetNumPivotsY(5);
    p.SetMaskVal(2, 2, 7);
    c.act(p);
    EXPECT_EQ(p.NumPivotsX(), c.nx);
    EXPECT_EQ(p.NumPivotsY(), c.ny);
    EXPECT_EQ(p.PivotMatrix()->NrOfColumns(), c.nx);
    EXPECT_EQ(p.MaskMatrix()->NrOfRows(), c.ny);
    EXPECT_EQ(p.GetMaskVal(2, 2), 0);
    EXPECT_EQ(p.PivotResolution(), 5 * std::max(c.nx, c.ny));
  }
}

TEST(ContourSettings, PivotAccessOutsideTheGrid) {
  Plot f(4);
  f.Field([](Double, Double) { return 3.0; });
  f.p.CalculatePivotPoints(false);
  EXPECT_EQ(f.p.GetPivotVal(1, 1), 3);
  EXPECT_EQ(f.p.GetPivotVal(0, 1), 0);
  EXPECT_EQ(f.p.GetPivotVal(1, 5), 0);
  f.p.SetMaskVal(5, 1, 7);
  f.p.SetMaskVal(1, 0, 7);
  EXPECT_EQ(f.p.GetMaskVal(5, 1), 0);
  for (Integer ix = 1; ix <= 4; ++ix)
    for (Integer iy = 1; iy <= 4; ++iy) EXPECT_EQ(f.p.GetMaskVal(ix, iy), 0);
  f.p.FillMask(9);
  EXPECT_EQ(f.p.GetMaskVal(4, 4), 9);
}

// ---- the pivot pass ----------------------------------------------------------------------------
TEST(ContourPivots, PositionsValuesMasksAndExtremes) {
  Plot f(3);
  f.p.SetNumPivotsY(4);
  f.p.ForceRange(1, -2, 0, 2, 6);
  f.p.SetMaskVal(2, 3, 7);
  std::map<std::pair<Integer, Integer>, std::pair<Double, Double>> asked;
  f.p.OnEstimateZVal = [&](TObject* Sender, Double x, Double y, Integer ix, Integer iy, Double& z,
                           Byte& Mask) {
    EXPECT_EQ(Sender, &f.p);
    EXPECT_EQ(z, 0);
    EXPECT_EQ(Mask, ix == 2 && iy == 3 ? 7 : 0);
    asked[{ix, iy}] = {x, y};
    z = 10 * ix + iy;
    if (ix == 3) Mask = 9;
  };
  f.p.CalculatePivotPoints(false);
  ASSERT_EQ(asked.size(), 12u);
  // The corner pivots sit on the corners of the visible range.
  EXPECT_EQ(asked[std::make_pair(1, 1)], std::make_pair(-2.0, 0.0));
  EXPECT_EQ(asked[std::make_pair(3, 4)], std::make_pair(2.0, 6.0));
  EXPECT_EQ(asked[std::make_pair(2, 3)], std::make_pair(0.0, 4.0));
  EXPECT_EQ(f.p.GetPivotVal(2, 3), 23);
  EXPECT_EQ(f.p.GetMaskVal(2, 3), 7);
  EXPECT_EQ(f.p.GetMaskVal(3, 1), 9);
  EXPECT_EQ(f.p.MaxPivot(), 34);
  EXPECT_EQ(f.p.MinPivot(), 11);

  // Disabled: nothing is asked, every value is 0 and the masks stay.
  asked.clear();
  f.p.SetEnabled(false);
  f.p.CalculatePivotPoints(false);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(f.p.GetPivotVal(2, 3), 0);
  EXPECT_EQ(f.p.GetMaskVal(3, 1), 9);
  EXPECT_EQ(f.p.MaxPivot(), 0);
}

TEST(ContourPivots, WhenTheApplicationIsAskedAgain) {
  Plot f(3);
  Integer asks = 0;
  f.p.OnEstimateZVal = [&](TObject*, Double, Double, Integer, Integer, Double& z, Byte&) {
    ++asks;
    z = 1;
  };
  struct Step {
    const char* what;
    std::function<void(Plot&)> act;
    Integer asks;
  };
  const std::vector<Step> steps = {
      {"precalculated", [](Plot& f) { f.p.CalculatePivotPoints(true); }, 9},
      {"first paint uses them", [](Plot& f) { f.Show(); }, 0},
      {"the next drawing asks", [](Plot& f) { f.p.DrawPlot(); }, 9},
      {"a repaint reuses the field", [](Plot& f) { f.p.Repaint(); }, 0},
      {"a cross-hair move does not ask",
       [](Plot& f) {
         f.p.CrossHair()->SetCrossHMode(chBoth);
         f.p.CrossHairSetPos(3, 3);
       },
       0},
      {"a mask change does not ask", [](Plot& f) { f.p.SetMaskVal(1, 1, 5); }, 0},
      {"Enabled does not rebuild", [](Plot& f) { f.p.SetEnabled(false); }, 0},
      {"disabled: nothing is asked", [](Plot& f) { f.p.DrawPlot(); }, 0},
      {"enabled again", [](Plot& f) { f.p.SetEnabled(true); }, 0},
      {"a zoom asks again", [](Plot& f) { f.p.SetRange(1, 1, 9, 9); }, 9},
      {"an axis setting moving the range", [](Plot& f) { f.p.Scale1X()->SetRangeLow(0); }, 9},
      {"a resize behind the application's own handler",
       [](Plot& f) {
         f.p.OnResize = [](TObject*) {};
         f.p.SetBounds(0, 0, 300, 240);
         f.p.Repaint();
       },
       9},
      {"iso colours changed", [](Plot& f) { f.p.IsoColors()->SetColorElem(1, 0); }, 9},
      {"a text label added", [](Plot& f) { f.p.AddTextLabel(1, 1, 0, "a", 0); }, 9},
      {"a margin changed", [](Plot& f) { f.p.SetLRim(41); }, 9},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    asks = 0;
    s.act(f);
    EXPECT_EQ(asks, s.asks);
  }
}

TEST(ContourPivots, ClearingRespectsPrecalculatedValues) {
  Plot f(3);
  f.Field([](Double, Double) { return 2.0; });
  f.p.CalculatePivotPoints(true);
  f.p.ClearPivotPoints(false);  // precalculated values are kept for the next drawing
  EXPECT_EQ(f.p.GetPivotVal(2, 2), 2);
  f.p.ClearPivotPoints(true);
  EXPECT_EQ(f.p.GetPivotVal(2, 2), 0);
}

TEST(ContourPivots, PercentilesWithAndWithoutMask) {
  Plot f(2);
  f.p.OnEstimateZVal = [](TObject*, Double, Double, Integer ix, Integer iy, Double& z, Byte& m) {
    z = 10 * ix + iy;  // 11, 12, 21, 22
    m = ix == 1 && iy == 1 ? 1 : 0;
  };
  f.p.CalculatePivotPoints(false);
  EXPECT_EQ(f.p.PercentilePivots(50, false), f.p.PercentilePivots(50));
  // Unmasked 12, 21, 22: the median is 21, the extremes the ends.
  EXPECT_EQ(f.p.PercentilePivots(50, true), 21);
  EXPECT_EQ(f.p.PercentilePivots(0, true), 12);
  EXPECT_EQ(f.p.PercentilePivots(100, true), 22);
  f.p.FillMask(3);
  EXPECT_EQ(f.p.PercentilePivots(50, true), 0);  // nothing left
}

TEST(ContourPivots, ProgressOfAFullRepaint) {
  Plot f(250);
  f.p.SetNumPivotsY(3);
  std::vector<Integer> reports;
  f.p.OnProgress = [&](TObject*, Integer percent) { reports.push_back(percent); };
  f.Show();
  // The pass reports at every 2nd of 250 columns up to 100, the field 70 ... 85 over 249
  // cells, the mask overlay 85 ... 100.
  ASSERT_EQ(reports.size(), 125u + 124u + 125u);
  EXPECT_EQ(reports[0], 1);
  EXPECT_EQ(reports[124], 100);
  EXPECT_EQ(reports[125], 70);
  EXPECT_EQ(reports[248], 85);
  EXPECT_EQ(reports[249], 85);
  EXPECT_EQ(reports.back(), 100);
}

// ---- fields with closed-form contours ----------------------------------------------------------
TEST(ContourField, PlaneSurfaceColoursFollowTheFormula) {
  // z = x over 0 ... 10, colours 0 ... 10: a cell is 20 pixels, its sub-rectangles 4, and the
  // sub-rectangle starting at x takes colour round(100 x) (1 at IsoLow). Later cells and
  // sub-rectangles overwrite the shared edge, so column c shows sub-column c div 4.
  Plot f(11);
  f.NumberColours();
  f.p.SetIsoParams(0, 10, 1);
  f.Field([](Double x, Double) { return x; });
  f.Show();
  for (Integer r : {1, 37, 100, 199})
    for (Integer c = 1; c < 200; ++c) {
      const TColor want = std::max<TColor>(1, 20 * (c / 4));
      ASSERT_EQ(f.At(c, r), want) << "column " << c << ", row " << r;
    }
  // The outline in the frame colour on the last column and row.
  EXPECT_EQ(f.At(200, 50), 0);
  EXPECT_EQ(f.At(50, 200), 0);
}

TEST(ContourField, ParaboloidIsoPointsLieOnTheirCircles) {
  // z = x^2 + y^2 over -5 ... 5 with levels 0, 5, 10, 15, 20: level L is the circle of radius
  // sqrt(L), drawn in colour number round(1000 L / 25). The straight-line interpolation of a
  // cell moves a point by well under a pixel here.
  Plot f(21, -5, 5);
  f.NumberColours();
  f.p.SetPlotMode(cpmDots);
  f.p.SetIsoParams(0, 25, 5);
  f.Field([](Double x, Double y) { return x * x + y * y; });
  f.Show();
  std::map<TColor, Double> radius = {{200, 5}, {400, 10}, {600, 15}, {800, 20}};
  std::map<TColor, std::array<Integer, 4>> quadrants;
  Integer others = 0;
  for (Integer r = 1; r < 200; ++r)
    for (Integer c = 1; c < 200; ++c) {
      const TColor px = f.At(c, r);
      if (px == kWhite) continue;
      const auto it = radius.find(px);
      if (it == radius.end()) {
        ++others;
        continue;
      }
      const Double x = f.WorldX(c), y = f.WorldY(r);
      ASSERT_NEAR(std::hypot(x, y), std::sqrt(it->second), 0.1) << "at " << c << ", " << r;
      ++quadrants[px][(x < 0 ? 1 : 0) + (y < 0 ? 2 : 0)];
    }
  EXPECT_EQ(others, 0);
  for (const auto& [colour, r] : radius) {
    SCOPED_TRACE(colour);
    for (Integer q = 0; q < 4; ++q) EXPECT_GE(quadrants[colour][q], 10);
  }
}

TEST(ContourField, SaddleCellsWithoutInterpolation) {
  // z = x y over -5 ... 5, pivots on the integers, colours -25 ... 25: the pixel a little
  // above and right of each pivot shows its cell colour round((x y + 25) / 50 1000); with
  // IsoLow 0 the pivots below it are colour 1, or the background in the transparent mode.
  for (const bool transparent : {false, true}) {
    for (const Double low : {-25.0, 0.0}) {
      SCOPED_TRACE(testing::Message() << "transparent " << transparent << ", low " << low);
      Plot f(11, -5, 5);
      f.NumberColours();
      f.p.SetPlotMode(transparent ? cpmColorSurfNoIpTransp : cpmColorSurfNoIp);
      f.p.SetIsoParams(low, 25, 1);
      f.Field([](Double x, Double y) { return x * y; });
      f.Show();
      for (Integer x = -4; x <= 4; ++x)
        for (Integer y = -4; y <= 4; ++y) {
          const Double z = x * y;
          TColor want = static_cast<TColor>(std::lround((z - low) / (25 - low) * 1000));
          if (z < low || (z == low && !transparent)) want = 1;
          if (transparent && z <= low) want = kWhite;
          ASSERT_EQ(f.At(f.Col(x) + 3, f.Row(y) - 3), want) << "pivot " << x << ", " << y;
        }
    }
  }
}

TEST(ContourField, SaddleIsoPointsLieOnTheirHyperbolas) {
  // x y is bilinear, so the interpolated crossings are exact: only the pixel rounding (half a
  // pixel, 0.025 units) moves a point, by at most 0.25 in x y at |x|, |y| <= 5.
  Plot f(11, -5, 5);
  f.NumberColours();
  f.p.SetPlotMode(cpmMonoDots);
  f.p.SetIsoParams(-20, 20, 4);  // -20, -16, ..., 16
  f.Field([](Double x, Double y) { return x * y; });
  f.Show();
  std::map<Double, Integer> perLevel;
  for (Integer r = 1; r < 200; ++r)
    for (Integer c = 1; c < 200; ++c) {
      if (f.At(c, r) == kWhite) continue;
      ASSERT_EQ(f.At(c, r), 1);  // every point in the first colour
      const Double z = f.WorldX(c) * f.WorldY(r);
      const Double level = -20 + 4 * std::round((z + 20) / 4);
      ASSERT_NEAR(z, level, 0.26) << "at " << c << ", " << r;
      ++perLevel[level];
    }
  // Every level from -20 to 16 but 0: x y = 0 runs along pivot rows and columns, where a
  // level equal to a sampled value draws nothing.
  EXPECT_EQ(perLevel.size(), 9u);
  EXPECT_EQ(perLevel.count(0), 0u);
  for (const auto& [level, n] : perLevel) EXPECT_GE(n, 10) << level;
}

TEST(ContourField, ConstantFieldAtIsoLow) {
  for (const auto& [mode, name] : kModes) {
    SCOPED_TRACE(name);
    Plot f(11);
    f.NumberColours();
    f.p.SetPlotMode(mode);
    f.Field([](Double, Double) { return -1.0; });
    f.Show();
    // The surface modes fill the data area in colour 1 (the transparent one leaves it);
    // iso points need a crossing, so nothing is drawn.
    const TColor want = mode == cpmColorSurface || mode == cpmColorSurfNoIp ? TColor{1} : kWhite;
    for (Integer r = 1; r < 200; r += 7)
      for (Integer c = 1; c < 200; c += 3) ASSERT_EQ(f.At(c, r), want) << c << ", " << r;
  }
}

// ---- single cells ------------------------------------------------------------------------------
TEST(ContourCells, LevelCrossingsOnTheSampleLines) {
  // z00 = z01 = 0, z10 = z11 = 1, levels -1.0 ... 0.9: the column lines see no change; each of
  // the 6 row lines crosses 0.1 ... 0.9 at x0 + dx L.
  Plot f(11);
  f.NumberColours();
  TBitmap bmp(201, 201);
  f.p.IsoQuadSL(TPixelMemory::Of(&bmp), 0, 0, 2, 2, 5, 5, 0, 1, 0, 1, 5, 5);
  std::map<TColor, std::vector<TPoint>> found;
  for (Integer r = 0; r < 201; ++r)
    for (Integer c = 0; c < 201; ++c)
      if (bmp.Canvas()->GetPixel(c, r) != kWhite)
        found[bmp.Canvas()->GetPixel(c, r)].push_back(Point(c, r));
  ASSERT_EQ(found.size(), 9u);
  // Level 0.5 is colour round(1000 (0.5 + 1) / 2) = 750, at x = 4.5 on y = 2 ... 7.
  ASSERT_EQ(found[750].size(), 6u);
  for (Integer q = 0; q <= 5; ++q)
    EXPECT_EQ(found[750][static_cast<size_t>(q)], Point(90, f.Row(7 - q)));
}

TEST(ContourCells, SubdivisionStopsAtThePixels) {
  // A cell 3 pixels wide: 3 sub-columns (z = 0, 1/3, 2/3) instead of 5.
  Plot f(11);
  f.NumberColours();
  f.p.SetIsoParams(0, 1, 0.1);
  TBitmap bmp(201, 201);
  f.p.IsoColQuadSL(TPixelMemory::Of(&bmp), 0, 0, 1, 1, 0.15, 0.15, 0, 1, 0, 1, 5, 5);
  const Integer row = f.Row(1) - 1;
  std::vector<TColor> got;
  for (Integer c = 20; c <= 23; ++c) got.push_back(bmp.Canvas()->GetPixel(c, row));
  EXPECT_EQ(got, (std::vector<TColor>{1, 333, 667, 667}));
  EXPECT_EQ(bmp.Canvas()->GetPixel(24, row), kWhite);
}

TEST(ContourCells, MemoryAndCanvasTwinsDrawTheSame) {
  struct Case {
    const char* what;
    Double x0, y0, dx, dy, z00, z10, z01, z11;
    bool points, surface;  // whether each draws anything
  };
  const std::vector<Case> cases = {
      {"plane", 1, 1, 2, 2, -1, 1, -0.5, 1.5, true, true},
      {"saddle", 3, 3, 1.3, 0.7, 1, -1, -1, 1, true, true},
      {"constant", 5, 5, 1, 1, 0.3, 0.3, 0.3, 0.3, false, true},
      {"narrow", 7, 1, 0.05, 2, -1, 1, 1, -1, true, true},
      {"all infinite", 1, 8, 1, 1, kInf, kInf, kInf, kInf, false, true},
      {"a NaN corner", 1, 6, 2, 2, kNaN, 0.5, -0.5, 0.9, false, false},
      {"infinite corners", 6, 6, 2, 2, kInf, -kInf, 0, 0.5, false, false},
  };
  for (const bool surface : {false, true})
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.what << (surface ? " surface" : " points"));
      Plot f(11);
      TBitmap memory(201, 201), canvas(201, 201);
      if (surface) {
        f.p.IsoColQuadSL(TPixelMemory::Of(&memory), 0, 0, c.x0, c.y0, c.dx, c.dy, c.z00, c.z10,
                         c.z01, c.z11, 5, 5);
        f.p.IsoColQuad(canvas.Canvas(), 0, 0, c.x0, c.y0, c.dx, c.dy, c.z00, c.z10, c.z01, c.z11, 5,
                       5);
      } else {
        f.p.IsoQuadSL(TPixelMemory::Of(&memory), 0, 0, c.x0, c.y0, c.dx, c.dy, c.z00, c.z10, c.z01,
                      c.z11, 5, 5);
        f.p.IsoQuad(canvas.Canvas(), 0, 0, c.x0, c.y0, c.dx, c.dy, c.z00, c.z10, c.z01, c.z11, 5,
                    5);
      }
      Integer drawn = 0;
      for (Integer r = 0; r < 201; ++r)
        for (Integer col = 0; col < 201; ++col) {
          const TColor m = memory.Canvas()->GetPixel(col, r);
          ASSERT_EQ(m, canvas.Canvas()->GetPixel(col, r)) << col << ", " << r;
          drawn += m != kWhite;
        }
      EXPECT_EQ(drawn > 0, surface ? c.surface : c.points);
    }
}

TEST(ContourCells, PixelMemoryOfOddBitmaps) {
  // A 24-bit bitmap, a single row, and no pixels at all.
  TBitmap b24;
  b24.SetPixelFormat(pf24bit);
  b24.SetSize(4, 3);
  TPixelMemory m = TPixelMemory::Of(&b24);
  m.Fill(1, 1, 2, 1, 0x123456);
  m.Put(-1, 0, 0);  // outside: dropped
  m.Put(4, 2, 0);
  EXPECT_EQ(b24.Canvas()->GetPixel(1, 1), 0x123456);
  EXPECT_EQ(b24.Canvas()->GetPixel(2, 1), 0x123456);
  EXPECT_EQ(b24.Canvas()->GetPixel(3, 1), kWhite);
  TBitmap row(5, 1);
  TPixelMemory::Of(&row).Fill(-10, -10, 10, 10, 0x010203);
  EXPECT_EQ(row.Canvas()->GetPixel(4, 0), 0x010203);
  TBitmap none;
  EXPECT_TRUE(TPixelMemory::Of(&none).Empty());
  TPixelMemory::Of(&none).Fill(0, 0, 10, 10, 0);
}

// ---- masks -------------------------------------------------------------------------------------
TEST(ContourMasks, HolesColoursAndInversion) {
  // The plane of the surface test: unmasked, column c shows colour max(1, 20 (c div 4)).
  Plot f(11);
  f.NumberColours();
  f.p.SetIsoParams(0, 10, 1);
  f.Field([](Double x, Double) { return x; });
  f.p.SetMaskVal(4, 4, 1);    // pivot (3, 3): its cell and rectangle left alone
  f.p.SetMaskVal(7, 7, 5);    // pivot (6, 6): its rectangle olive
  f.p.SetMaskVal(2, 8, 255);  // pivots (1, 7) and (2, 7): drawn, then inverted
  f.p.SetMaskVal(3, 8, 255);
  f.Show();
  const auto plain = [](Integer c) { return std::max<TColor>(1, 20 * (c / 4)); };
  // Inside the cell of pivot (3, 3) and outside the neighbours' rectangles: background.
  EXPECT_EQ(f.At(f.Col(3.7), f.Row(3.7)), kWhite);
  // The cell to its left has pivot (3, 3) as a corner but its own lower-left pivot decides.
  EXPECT_EQ(f.At(f.Col(2.5), f.Row(3.5)), plain(f.Col(2.5)));
  for (const Double d : {-0.4, 0.0, 0.4}) {
    EXPECT_EQ(f.At(f.Col(6 + d), f.Row(6 - d)), kOlive);
    const Integer c = f.Col(1 + d);
    EXPECT_EQ(f.At(c, f.Row(7 + d)), plain(c) ^ 0xFFFFFF);
  }
  // The column both inverted rectangles include is inverted once.
  EXPECT_EQ(f.At(f.Col(1.5), f.Row(7)), plain(f.Col(1.5)) ^ 0xFFFFFF);
  // Outside the rectangles nothing changed.
  EXPECT_EQ(f.At(f.Col(6.7), f.Row(6)), plain(f.Col(6.7)));
  EXPECT_EQ(f.At(f.Col(2.7), f.Row(7)), plain(f.Col(2.7)));
}

TEST(ContourMasks, HoleInATransparentCellGrid) {
  // In the mode of one cell per pivot the rectangle of a mask-1 pivot stays background.
  Plot f(11);
  f.NumberColours();
  f.p.SetPlotMode(cpmColorSurfNoIp);
  f.p.SetIsoParams(0, 10, 1);
  f.Field([](Double x, Double) { return x; });
  f.p.SetMaskVal(5, 5, 1);
  f.Show();
  EXPECT_EQ(f.At(f.Col(4), f.Row(4)), kWhite);
  EXPECT_EQ(f.At(f.Col(5), f.Row(4)), 500);
}

// ---- labels, events, colour scale, copies, descriptions ----------------------------------------
TEST(ContourLabels, TopAlignedLabelsMoveByOneLine) {
  // The same two-line label with vaTop on the chart and on the plot: the chart moves it down
  // by two lines, the plot by one.
  const auto BoxTop = [](TCustomZOdoza& c) {
    TTextLabel* l = c.GetFTextLabel(1);
    l->SetTxtLblCaption("two\nlines");
    l->SetTxtLblPosX(5);
    l->SetTxtLblPosY(5);
    l->SetTxtLblVertAlignment(vaTop);
    l->SetTxtLblColorBrd(0x0000FF);
    l->SetTxtLblMode(tlBox);
    l->SetTxtLblVisible(true);
    c.SetSuppressPaint(false);
    for (Integer r = 0; r < c.GrafBmp()->Height(); ++r)
      if (c.GrafBmp()->Canvas()->GetPixel(100, r) == 0x0000FF) return r;
    return -1;
  };
  TZOdoza chart(nullptr);
  Plot f(11);
  f.p.SetPlotMode(cpmDots);  // a constant field draws nothing under the label
  chart.SetBounds(0, 0, 260, 240);
  chart.SetLRim(40);
  chart.SetRRim(20);
  chart.SetTRim(20);
  chart.SetBRim(20);
  chart.ForceRange(1, 0, 0, 10, 10);
  const Integer onChart = BoxTop(chart), onPlot = BoxTop(f.p);
  ASSERT_GT(onChart, 0);
  TCanvas* cv = f.p.GrafBmp()->Canvas();
  cv->Font()->Assign(f.p.GetFTextLabel(1)->Font());
  EXPECT_EQ(onChart - onPlot, cv->TextHeight("two\nlines"));
}

TEST(ContourEvents, RenderEventsGetTheDataAreaPosition) {
  Plot f(3);
  std::vector<std::pair<Integer, Integer>> calls;
  const auto Record = [&](TObject*, TCanvas*, Integer Top, Integer Left) {
    calls.push_back({Top, Left});
  };
  f.p.OnBeforeRenderData = Record;
  f.p.OnDataRendered = Record;
  f.Show();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], std::make_pair(20, 40));
  EXPECT_EQ(calls[1], std::make_pair(20, 40));
  // Into another bitmap at an offset: both measured from that offset.
  calls.clear();
  TBitmap other(300, 300);
  f.p.DrawPlot();
  f.p.ConstructDataBmp(&other, 7, 9, false, 0);
  EXPECT_EQ(calls.back(), std::make_pair(20 - 9, 40 - 7));
}

TEST(ContourColorScale, FollowsColoursAndLimits) {
  TColorScale scale(nullptr);
  Plot f(3);
  f.p.IsoColors()->SetColorElem(7, 0x123456);
  f.p.SetAttachedColorScale(&scale);
  EXPECT_EQ(scale.ColorArray()->GetColorElem(7), 0x123456);
  EXPECT_EQ(scale.ColorLow(), -1);
  EXPECT_EQ(scale.ColorHigh(), 1);
  f.p.SetIsoLow(-3);
  f.p.SetIsoHigh(4);
  f.p.IsoColors()->SetColorElem(8, 0x654321);
  EXPECT_EQ(scale.ColorLow(), -3);
  EXPECT_EQ(scale.ScaleRangeHigh(), 4);
  EXPECT_EQ(scale.ColorArray()->GetColorElem(8), 0x654321);
  f.p.SetAttachedColorScale(nullptr);
  f.p.SetIsoLow(0);
  EXPECT_EQ(scale.ColorLow(), -3);
}

// A picture copy takes the field the screen shows: once painted, a copy asks the application
// for nothing and leaves out a mask changed since (the screen shows it after DrawPlot); before
// any paint, or after a zoom, the copy makes the pivot pass the next paint would make.
TEST(ContourCopy, PictureCopiesTakeTheFieldTheScreenShows) {
  Plot f(11);
  Integer asks = 0;
  f.p.OnEstimateZVal = [&](TObject*, Double x, Double y, Integer, Integer, Double& z, Byte&) {
    ++asks;
    z = x - y;
  };
  f.p.SetIsoParams(-10, 10, 1);
  const auto Copy = [&f] {
    auto b = std::make_unique<TBitmap>();
    f.p.CopyToBitmapDAOnly(b.get(), false);
    return b;
  };
  const auto Same = [](TBitmap& a, TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (Integer y = 0; y < a.Height(); ++y)
      for (Integer x = 0; x < a.Width(); ++x)
        if (a.Canvas()->GetPixel(x, y) != b.Canvas()->GetPixel(x, y)) return false;
    return true;
  };
  auto early = Copy();
  EXPECT_EQ(asks, 121) << "before any paint: a pass of its own";
  f.Show();
  asks = 0;
  f.p.SetMaskVal(5, 5, kMaskHole);  // not shown until DrawPlot
  auto shown = Copy();
  EXPECT_EQ(asks, 0);
  EXPECT_TRUE(Same(*shown, *f.p.GrafBmp()));
  EXPECT_TRUE(Same(*shown, *early));
  f.p.SetRange(0, 0, 5, 5);  // the screen's field no longer fits
  auto zoomed = Copy();
  EXPECT_EQ(asks, 121);
  EXPECT_FALSE(Same(*zoomed, *shown));
}

TEST(ContourCopy, AssignTakesThePlotButNotItsLinks) {
  TColorScale scale(nullptr);
  TContourPlot copy(nullptr);
  Integer asks = 0;
  {
    Plot f(4);
    f.p.SetPlotMode(cpmDots);
    f.p.SetIsoParams(-2, 2, 0.5);
    f.p.SetAttachedColorScale(&scale);
    f.p.OnEstimateZVal = [&](TObject*, Double, Double, Integer ix, Integer, Double& z, Byte&) {
      ++asks;
      z = ix;
    };
    f.p.CalculatePivotPoints(false);
    f.p.SetMaskVal(2, 2, 9);
    f.p.MaskPalette()->SetColorElem(9, 0x010101);
    f.p.SetEnabled(false);
    copy.Assign(&f.p);
  }  // the source is gone; the copy's handlers must be its own
  EXPECT_EQ(copy.PlotMode(), cpmDots);
  EXPECT_EQ(copy.IsoLow(), -2);
  EXPECT_EQ(copy.IsoDist(), 0.5);
  EXPECT_EQ(copy.NumPivotsX(), 4);
  EXPECT_EQ(copy.GetPivotVal(3, 1), 3);
  EXPECT_EQ(copy.GetMaskVal(2, 2), 9);
  EXPECT_EQ(copy.MaskPalette()->GetColorElem(9), 0x010101);
  EXPECT_EQ(copy.MaxPivot(), 4);
  EXPECT_TRUE(copy.Enabled());
  EXPECT_EQ(copy.AttachedColorScale(), nullptr);
  copy.SetSuppressPaint(false);
  asks = 0;
  copy.DoZoomPanEvent();
  copy.GetFTextLabel(1)->SetTxtLblCaption("x");
  copy.IsoColors()->SetColorElem(1, 0);
  EXPECT_EQ(asks, 32);  // the label and the colours rebuilt the copy (16 pivots each)
}

TEST(ContourDescription, PropertiesEventsAndTheAttachedScale) {
  RegisterToolkitClasses();
  RegisterChartingClasses();
  TForm form(nullptr);
  auto* scale = new TColorScale(&form);
  scale->SetName("Scale");
  LoadDescriptionInto(&form, R"(object Form: TForm
  object Plot: TContourPlot
    Width = 400
    Height = 300
    MarginLeft = 60
    PlotMode = cpmColorSurfNoIp
    IsoLow = -2
    IsoHigh = 3
    IsoDist = 0.5
    NumPivotsX = 30
    NumPivotsY = 99999999999
    Enabled = False
    AttachedColorScale = Scale
    GridStyle = gsNone
  end
end
)",
                      "test");
  auto* plot = dynamic_cast<TContourPlot*>(form.FindComponent("Plot"));
  ASSERT_NE(plot, nullptr);
  EXPECT_EQ(plot->LRim(), 60);
  EXPECT_EQ(plot->PlotMode(), cpmColorSurfNoIp);
  EXPECT_EQ(plot->IsoLow(), -2);
  EXPECT_EQ(plot->IsoHigh(), 3);
  EXPECT_EQ(plot->IsoDist(), 0.5);
  EXPECT_EQ(plot->NumPivotsX(), 30);
  EXPECT_EQ(plot->NumPivotsY(), 1000);
  EXPECT_FALSE(plot->Enabled());
  EXPECT_EQ(plot->GridStyle(), gsNone);
  EXPECT_EQ(plot->AttachedColorScale(), scale);
  EXPECT_EQ(scale->ColorHigh(), 3);

  // A missing colour scale and an unknown mode are load errors.
  for (const char* bad : {"AttachedColorScale = Missing", "PlotMode = cpmSomething"}) {
    SCOPED_TRACE(bad);
    TForm other(nullptr);
    const String text =
        String("object Form: TForm\n  object Plot: TContourPlot\n    ") + bad + "\n  end\nend\n";
    EXPECT_THROW(LoadDescriptionInto(&other, text, "test"), Exception);
  }
}

// ---- hostile input -----------------------------------------------------------------------------
TEST(ContourHostile, DataAreasWithoutPixels) {
  struct Case {
    const char* what;
    Integer lrim, trim;
  };
  // Width 260 - 20 right margin; height 240 - 20 bottom margin.
  const std::vector<Case> cases = {
      {"no columns", 260, 20}, {"one column", 240, 20}, {"no rows", 40, 240}, {"one row", 40, 220}};
  for (const Case& c : cases)
    for (const auto& [mode, name] : kModes) {
      SCOPED_TRACE(testing::Message() << c.what << " " << name);
      Plot f(11);
      f.p.SetPlotMode(mode);
      f.p.SetLRim(c.lrim);
      f.p.SetTRim(c.trim);
      f.p.SetMaskVal(3, 3, 5);
      f.p.SetMaskVal(4, 4, 255);
      f.Field([](Double x, Double y) { return x - y; });
      EXPECT_NO_THROW(f.Show());
    }
}

TEST(ContourHostile, NonFiniteValues) {
  // Pivot columns: x = 0 .. 10 step 1. NaN at x = 2, +inf at x = 5, -inf at x = 8.
  const auto Value = [](Double x, Double y) {
    if (x == 2) return kNaN;
    if (x == 5) return kInf;
    if (x == 8) return -kInf;
    return 0.5 + 0 * y;
  };
  for (const auto& [mode, name] : kModes) {
    SCOPED_TRACE(name);
    Plot f(11);
    f.NumberColours();
    f.p.SetPlotMode(mode);
    f.p.SetIsoParams(0, 1, 0.1);
    f.Field(Value);
    EXPECT_NO_THROW(f.Show());
    EXPECT_EQ(f.p.MaxPivot(), kInf);
    EXPECT_EQ(f.p.MinPivot(), -kInf);
    const Integer row = f.Row(5) - 3;
    if (mode == cpmColorSurfNoIp || mode == cpmColorSurfNoIpTransp) {
      EXPECT_EQ(f.At(f.Col(2) + 3, row), kWhite);  // no value, no colour
      EXPECT_EQ(f.At(f.Col(5) + 3, row), 1000);    // above everything: the last colour
      EXPECT_EQ(f.At(f.Col(8) + 3, row),           // below everything
                mode == cpmColorSurfNoIp ? TColor{1} : kWhite);
      EXPECT_EQ(f.At(f.Col(0) + 3, row), 500);
    }
    if (mode == cpmColorSurface) {
      // A cell with a corner that is not finite gets no values from the interpolation and is
      // left out; a cell between finite pivots is whole.
      EXPECT_EQ(f.At(f.Col(0.5), row), 500);
      EXPECT_EQ(f.At(f.Col(1.5), row), kWhite);
      EXPECT_EQ(f.At(f.Col(4.5), row), kWhite);
    }
  }
}

TEST(ContourHostile, HugePivotCountsAreRefusedBeforeAllocating) {
  Plot f(11);
  f.p.SetNumPivotsY(1000);
  f.Field([](Double, Double) { return 1.0; });
  f.p.CalculatePivotPoints(false);
  // 1000 x 1000 pivots need 9 MB; with 8 MiB of memory to be had they are refused.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_DATA, &old), 0);
  rlimit small = old;
  small.rlim_cur = 8 << 20;
  ASSERT_EQ(setrlimit(RLIMIT_DATA, &small), 0);
  String message;
  try {
    f.p.SetNumPivotsX(1000);
  } catch (const ESDLZOdozaError& e) {
    message = e.Message;
  }
  setrlimit(RLIMIT_DATA, &old);
  EXPECT_NE(message.find("1000 x 1000 pivots need more memory than can be had"), String::npos)
      << message;
  EXPECT_EQ(f.p.NumPivotsX(), 11);
  EXPECT_EQ(f.p.GetPivotVal(11, 1000), 1);
}

TEST(ContourHostile, HandlersThatChangeThePlotWhileItIsDrawn) {
  Plot f(11);
  Integer columnsAsked = 0;  // by the last pass
  bool resized = false;
  f.p.OnEstimateZVal = [&](TObject*, Double, Double, Integer ix, Integer iy, Double& z, Byte&) {
    if (iy == 1) columnsAsked = ix;
    z = ix;
    if (!resized) {
      resized = true;
      f.p.SetNumPivotsX(5);  // in the middle of the pass: the paint it asks for comes after
    }
  };
  Integer progress = 0;
  f.p.OnProgress = [&](TObject*, Integer) {
    if (++progress < 50) f.p.DrawPlot();  // asks for a paint while one is being made
  };
  EXPECT_NO_THROW(f.Show());
  EXPECT_EQ(f.p.NumPivotsX(), 5);
  EXPECT_EQ(columnsAsked, 5);  // the last field was built on the new grid
  EXPECT_EQ(f.p.GetPivotVal(5, 1), 5);
}

// ---- pictures ----------------------------------------------------------------------------------
TEST(ContourGallery, EveryModeOfTheSaddle) {
  for (const auto& [mode, name] : kModes) {
    TContourPlot p(nullptr);
    p.SetBounds(0, 0, 420, 360);
    p.SetChartCaption(String("z = x y, ") + name);
    p.SetPlotMode(mode);
    p.SetIsoParams(-20, 20, 2);
    p.SetNumPivotsX(53);
    p.SetNumPivotsY(53);
    p.OnEstimateZVal = [](TObject*, Double x, Double y, Integer, Integer, Double& z, Byte&) {
      z = x * y;
    };
    for (Integer ix = 8; ix <= 14; ++ix)
      for (Integer iy = 36; iy <= 42; ++iy) p.SetMaskVal(ix, iy, 5);
    for (Integer ix = 38; ix <= 44; ++ix)
      for (Integer iy = 8; iy <= 14; ++iy) p.SetMaskVal(ix, iy, 255);
    for (Integer ix = 24; ix <= 29; ++ix)
      for (Integer iy = 24; iy <= 29; ++iy) p.SetMaskVal(ix, iy, 1);
    p.AddTextLabel(2.6, 2.6, 0, "x y > 0", 0);
    p.SetSuppressPaint(false);
    const auto file = PictureFolder() / (String("contour_") + name + ".png");
    EXPECT_TRUE(SaveBitmapAsPNG(p.ChartBmp(), file.string())) << file;
  }
}
