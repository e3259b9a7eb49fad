// The Smith chart: conversions between normalised impedance and reflection coefficient, its
// construction state, range and colour setters, the layer-1 operations, window descriptions
// and the impedance grid. Grid pixels are checked against the chart's geometry worked out here
// (constant-resistance circles centred on (r/(r+1), 0) with radius 1/(r+1), constant-reactance
// arcs centred on (1, 1/x) with radius 1/|x|), mapped to pixels by the data area's own linear
// arithmetic. The picture goes to charting_pictures/ for people to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "DOV_smith.h"
#include "DocumentReaders.h"
#include "Metafile.h"
#include "DOV_zodozaPub.h"
#include "FormLoader.h"
#include "Forms.h"
#include "SysUtils.h"

namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000, kLight = 0xDBDBDB, kDark = 0xA7A7A7,
                 kDiagram = 0xF8E8E8;
constexpr Double kNaN = std::numeric_limits<Double>::quiet_NaN();
constexpr Double kInf = std::numeric_limits<Double>::infinity();

// A Smith chart whose data area is Side x Side pixels (margins 20), both axes -1.2 ... 1.2, red
// label text, its paints counted.
struct Smith {
  TSmithChart c{nullptr};
  Integer side;
  int paints = 0;
  static constexpr Integer kRim = 20;
  static constexpr Double kLo = -1.2, kHi = 1.2;

  explicit Smith(Integer Side = 361) : side(Side) {
    c.SetBounds(0, 0, Side + 2 * kRim, Side + 2 * kRim);
    c.SetLRim(kRim);
    c.SetRRim(kRim);
    c.SetTRim(kRim);
    c.SetBRim(kRim);
    c.SetRange(kLo, kLo, kHi, kHi);
    c.Font()->SetColor(kRed);
    c.OnScalesRendered = [this](TObject*, TCanvas*, Integer, Integer) { ++paints; };
  }
  void Show() { c.SetSuppressPaint(false); }

  // X running from kHi to kLo (a zoom window drawn from right to left).
  void ReverseX() {
    c.ForceRange(1, kHi, kLo, kLo, kHi);
    reversedX = true;
  }
  bool reversedX = false;

  // Pixel of Γ on the data-area bitmap: the axes map kLo ... kHi linearly onto 0 ... side,
  // y upwards (x leftwards once X is reversed).
  TPoint G(Double gr, Double gi) const {
    const Double k = side / (kHi - kLo);
    const Double x = (reversedX ? kHi - gr : gr - kLo) * k;
    return Point(static_cast<Integer>(std::nearbyint(x)),
                 static_cast<Integer>(std::nearbyint(side - (gi - kLo) * k)));
  }
  TColor At(Integer x, Integer y) const { return c.GrafBmp()->Canvas()->GetPixel(x, y); }
  // Whether a pixel of Colour lies within Reach pixels of p.
  bool Near(TPoint p, TColor Colour, Integer Reach = 1) const {
    for (Integer dx = -Reach; dx <= Reach; ++dx)
      for (Integer dy = -Reach; dy <= Reach; ++dy)
        if (At(p.X + dx, p.Y + dy) == Colour) return true;
    return false;
  }
  // Whether the rectangle holds a pixel of the (red) label text; text edges are blended.
  bool HasText(const TRect& R) const {
    for (Integer x = R.Left; x < R.Right; ++x)
      for (Integer y = R.Top; y < R.Bottom; ++y) {
        const TColor p = At(x, y);
        const int r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF;
        if (r > g + 60 && r > b + 60) return true;
      }
    return false;
  }
};

std::filesystem::path PictureFolder() {
  const auto out = std::filesystem::current_path() / "charting_pictures";
  std::filesystem::create_directories(out);
  return out;
}

// ---- conversions -------------------------------------------------------------------------------
TEST(SmithConversions, KnownPoints) {
  struct Case {
    Double r, x, gr, gi;
  };
  const Case cases[] = {
      {1, 0, 0, 0},              // matched load
      {0, 1, 0, 1},              // pure reactance on the unit circle
      {0, -1, 0, -1},            //
      {0, 0, -1, 0},             // short circuit
      {3, 0, 0.5, 0},            // (3 - 1) / (3 + 1)
      {1, 1, 0.2, 0.4},          // j / (2 + j) = (1 + 2j) / 5
      {kInf, 0, 1, 0},           // open circuit
      {0, kInf, 1, 0},           //
      {-1, 2, 1, 1},             // on R = -1 the limits: 1 + 2j / X
      {-1, -4, 1, -0.5},         //
      {1e300, 1e300, 1, 0},      // huge but finite impedances do not overflow into NaN
      {-1, 1e-200, 1, 2e200},    // X^2 would underflow
      {2e154, 1e10, 1, 5e-299},  // 2X / R^2 although R^2 would overflow
  };
  // Relative where the expected value is not 0.
  const auto Tol = [](Double Want) { return 1e-15 * (Want == 0 ? 1 : std::fabs(Want)); };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "z = " << k.r << " + j" << k.x);
    EXPECT_NEAR(TSmithChart::CalcReflectionReal(k.r, k.x), k.gr, Tol(k.gr));
    EXPECT_NEAR(TSmithChart::CalcReflectionImag(k.r, k.x), k.gi, Tol(k.gi));
  }
  struct Back {
    Double gr, gi, r, x;
  };
  const Back back[] = {
      {0, 0, 1, 0},
      {-1, 0, 0, 0},
      {0, 1, 0, 1},
      {0.2, 0.4, 1, 1},
      {0.5, 0, 3, 0},
      {1, 0, 1.7e38, 1.7e38},      // Γ = 1 has no finite impedance
      {1, 1e-200, -1, 2e200},      // the squares of Γ - 1 would underflow
      {1e200, 1e200, -1, 1e-200},  // and here overflow
  };
  for (const Back& k : back) {
    SCOPED_TRACE(testing::Message() << "Γ = " << k.gr << " + j" << k.gi);
    EXPECT_NEAR(TSmithChart::CalcResistance(k.gr, k.gi), k.r,
                1e-15 * std::max(1.0, std::fabs(k.r)));
    EXPECT_NEAR(TSmithChart::CalcReactance(k.gr, k.gi), k.x, Tol(k.x));
  }
}

TEST(SmithConversions, ImpedanceSurvivesTheRoundTrip) {
  for (const Double r : {0.0, 0.01, 0.5, 1.0, 7.0, 250.0, 1e4})
    for (const Double x : {-1e3, -3.0, -0.2, 0.0, 0.05, 1.0, 42.0}) {
      const Double gr = TSmithChart::CalcReflectionReal(r, x);
      const Double gi = TSmithChart::CalcReflectionImag(r, x);
      EXPECT_LE(std::hypot(gr, gi), 1 + 1e-15) << r << " " << x;
      EXPECT_NEAR(TSmithChart::CalcResistance(gr, gi), r, 1e-9 * (1 + r + std::fabs(x)))
          << r << " " << x;
      EXPECT_NEAR(TSmithChart::CalcReactance(gr, gi), x, 1e-9 * (1 + r + std::fabs(x)))
          << r << " " << x;
    }
}

TEST(SmithConversions, NotANumberComesBackAsNotANumber) {
  // Nothing raises; a NaN input never turns into a plausible figure (or into 1.7e38).
  EXPECT_TRUE(std::isnan(TSmithChart::CalcReflectionReal(kNaN, 1)));
  EXPECT_TRUE(std::isnan(TSmithChart::CalcReflectionReal(1, kNaN)));
  EXPECT_TRUE(std::isnan(TSmithChart::CalcReflectionImag(kNaN, 1)));
  EXPECT_TRUE(std::isnan(TSmithChart::CalcReflectionImag(1, kNaN)));
  EXPECT_TRUE(std::isnan(TSmithChart::CalcResistance(kNaN, 0)));
  EXPECT_TRUE(std::isnan(TSmithChart::CalcResistance(0, kNaN)));
  EXPECT_TRUE(std::isnan(TSmithChart::CalcReactance(kNaN, 0)));
  EXPECT_TRUE(std::isnan(TSmithChart::CalcReactance(0, kNaN)));
  EXPECT_TRUE(std::isnan(TSmithChart::CalcResistance(kInf, 0)));
  // z = -1 is the one impedance whose Γ is infinite.
  EXPECT_TRUE(std::isnan(TSmithChart::CalcReflectionReal(-1, 0)));
}

// ---- state and settings ------------------------------------------------------------------------
TEST(SmithChart, ConstructionState) {
  TSmithChart c(nullptr);
  EXPECT_TRUE(c.Isometric());
  EXPECT_EQ(c.GridStyle(), gsPoints);
  EXPECT_EQ(c.GridDx(), 0);
  EXPECT_EQ(c.GridDy(), 0);
  EXPECT_EQ(c.RangeXLow(), -1.2);
  EXPECT_EQ(c.RangeXHigh(), 1.2);
  EXPECT_EQ(c.RangeYLow(), -1.2);
  EXPECT_EQ(c.RangeYHigh(), 1.2);
  for (Integer n = 1; n <= kNumLayers; ++n) {
    EXPECT_FALSE(c.GetScalePropsX(n)->Visible()) << n;
    EXPECT_FALSE(c.GetScalePropsY(n)->Visible()) << n;
  }
  EXPECT_EQ(c.GridColorLight(), kLight);
  EXPECT_EQ(c.GridColorDark(), kDark);
  EXPECT_EQ(c.DiagramColor(), kDiagram);
  EXPECT_TRUE(c.SuppressPaint());
}

TEST(SmithChart, CentringKeepsTheSpans) {
  for (const bool iso : {false, true}) {
    SCOPED_TRACE(iso ? "isometric" : "free");
    Smith s;
    s.c.SetIsoMetric(false);
    s.c.SetRange(0, -1, 2, 3);
    if (iso) s.c.SetIsoMetric(true);
    s.c.CentezOdoza();
    EXPECT_DOUBLE_EQ(s.c.RangeXLow(), -1);
    EXPECT_DOUBLE_EQ(s.c.RangeXHigh(), 1);
    EXPECT_NEAR(s.c.RangeYLow() + s.c.RangeYHigh(), 0, 1e-12);
    // An isometric chart's half height is the X span scaled by the data area's sides (+1
    // each): a square area gives the X span again.
    EXPECT_DOUBLE_EQ(s.c.RangeYHigh(), iso ? 1.0 : 2.0);
  }
}

TEST(SmithChart, RangeSettersMakeItIsometricAndPaintOnce) {
  Smith s;
  s.Show();
  s.c.SetIsoMetric(false);
  s.paints = 0;
  s.c.SetRangeXHigh(1.5);
  EXPECT_TRUE(s.c.Isometric());
  EXPECT_EQ(s.c.RangeXHigh(), 1.5);
  EXPECT_EQ(s.paints, 1);
  s.c.SetRangeXLow(-1.5);
  s.c.SetRangeYLow(-0.5);
  EXPECT_EQ(s.paints, 3);
  EXPECT_EQ(s.c.RangeXLow(), -1.5);
  // A caller batching its changes keeps its batch: nothing paints until it ends.
  s.c.SetSuppressPaint(true);
  s.paints = 0;
  s.c.SetRangeXHigh(2);
  EXPECT_TRUE(s.c.SuppressPaint());
  EXPECT_EQ(s.paints, 0);
  s.c.SetSuppressPaint(false);
  EXPECT_EQ(s.paints, 1);
}

// A zoom window keeps the chart isometric as the range setters do, also on a data area that is
// not square and when it is drawn from right to left (which turns X round).
TEST(SmithChart, ZoomWindowsKeepItIsometric) {
  struct MouseSmith : TSmithChart {
    MouseSmith() : TSmithChart(nullptr) {}
    void Drag(int X1, int Y1, int X2, int Y2) {
      MouseDown(mbLeft, ssLeft, X1, Y1);
      MouseMove(ssLeft, X1, Y1);
      MouseMove(ssLeft, (X1 + X2) / 2, (Y1 + Y2) / 2);
      MouseMove(ssLeft, X2, Y2);
      MouseUp(mbLeft, 0, X2, Y2);
    }
  };
  struct Case {
    const char* what;
    int x1, y1, x2, y2;
    bool reversedX;
  };
  const Case cases[] = {
      {"left to right", 300, 200, 400, 300, false},
      {"right to left", 400, 200, 300, 300, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    MouseSmith c;
    c.SetBounds(0, 0, 640, 440);  // a data area of 600 x 400
    for (auto Set : {&TSmithChart::SetLRim, &TSmithChart::SetRRim, &TSmithChart::SetTRim,
                     &TSmithChart::SetBRim})
      (c.*Set)(20);
    c.SetMouseAction(maZoomWind);
    c.SetSuppressPaint(false);
    Double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    c.M2R(std::min(k.x1, k.x2), 0, x1, y1);
    c.M2R(std::max(k.x1, k.x2), 0, x2, y2);
    c.Drag(k.x1, k.y1, k.x2, k.y2);
    Double kx = 0, dx = 0, ky = 0, dy = 0;
    c.GetTransformParams(kx, dx, ky, dy);
    EXPECT_TRUE(c.Isometric());
    EXPECT_NEAR(std::fabs(kx / ky), 1, 0.002);  // the data area's sides count one pixel more
    EXPECT_EQ(c.RangeXLow() > c.RangeXHigh(), k.reversedX);
    // The window's width is the new X span.
    EXPECT_NEAR(std::fabs(c.RangeXHigh() - c.RangeXLow()), x2 - x1, 1e-9);
  }
}

TEST(SmithChart, GridColoursRepaintOnlyOnAChange) {
  Smith s;
  s.Show();
  s.c.SetAutoRedraw(false);  // colours repaint whatever AutoRedraw says
  struct Case {
    void (TSmithChart::*Set)(TColor);
    TColor (TSmithChart::*Get)() const;
    TColor current;
  };
  const Case cases[] = {{&TSmithChart::SetGridColorDark, &TSmithChart::GridColorDark, kDark},
                        {&TSmithChart::SetGridColorLight, &TSmithChart::GridColorLight, kLight},
                        {&TSmithChart::SetDiagramColor, &TSmithChart::DiagramColor, kDiagram}};
  for (const Case& k : cases) {
    s.paints = 0;
    (s.c.*k.Set)(k.current);
    EXPECT_EQ(s.paints, 0);
    (s.c.*k.Set)(kBlue);
    EXPECT_EQ((s.c.*k.Get)(), kBlue);
    EXPECT_EQ(s.paints, 1);
  }
}

TEST(SmithChart, LayerOneAndCrossHairOneOperations) {
  Smith s;
  TPoint p;
  s.c.R2M(0.5, -0.25, p.X, p.Y);
  const TPoint g = s.G(0.5, -0.25);
  EXPECT_EQ(p.X - Smith::kRim, g.X);
  EXPECT_EQ(p.Y - Smith::kRim, g.Y);
  Double gr = 0, gi = 0;
  s.c.M2R(p.X, p.Y, gr, gi);
  EXPECT_NEAR(gr, 0.5, 1.2 / 361);
  EXPECT_NEAR(gi, -0.25, 1.2 / 361);

  s.c.SetCrossHairPosX(0.3);
  s.c.SetCrossHairPosY(-0.4);
  EXPECT_EQ(s.c.CrossHair()->PosX(), 0.3);
  EXPECT_EQ(s.c.GetCHPosY(1), -0.4);
  s.c.CrossHairSetup(kBlue, chBoth, psSolid, 2);
  EXPECT_EQ(s.c.CrossHair()->Mode(), chBoth);
  EXPECT_EQ(s.c.GetCHPosX(2), 0);  // other cross hairs stay where they were

  // Data on layer 1 drives the automatic range; the chart stays isometric.
  s.c.MarkAt(0.1, 0.2, 1);
  s.c.MarkAt(0.5, 0.6, 1);
  Double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  s.c.FindMinMax(-1, -1, 1, 1, x0, y0, x1, y1);
  EXPECT_EQ(x0, 0.1);
  EXPECT_EQ(y1, 0.6);
  s.c.AutoRange(0);
  EXPECT_DOUBLE_EQ(s.c.RangeXLow(), 0.1);
  EXPECT_DOUBLE_EQ(s.c.RangeXHigh(), 0.5);
  EXPECT_NEAR(s.c.RangeYHigh() - s.c.RangeYLow(), 0.4, 1e-12);
}

// Operations that make no sense on a Smith chart are not offered; the layer-1 forms replace
// the base class's layer forms.
template <typename T>
concept OffersArrows = requires(T& c) {
  c.Arrow(0.0, 0.0, 1.0, 1.0, 5);
};
template <typename T>
concept OffersEqualRanges = requires(T& c) {
  c.SetEqualRange({1, 2});
};
template <typename T>
concept OffersReset = requires(T& c) {
  c.ResetComp();
};
template <typename T>
concept OffersLayerRanges = requires(T& c) {
  c.SetRange(1, 0.0, 0.0, 1.0, 1.0);
};
template <typename T>
concept OffersMetafiles = requires(T& c) {
  c.CopyToWMF(String(), false);
};
template <typename T>
concept OffersSmithSurface = requires(T& c) {
  c.Ellipse(0.0, 0.0, 0.5, 0.5);
  c.SetRange(0.0, 0.0, 1.0, 1.0);
  c.LoadData(String(), false);
  c.CopyToBMP(String(), false);
  c.PrintIt(1.0, false);
};
static_assert(OffersArrows<TCustomZOdoza> && !OffersArrows<TSmithChart>);
static_assert(OffersEqualRanges<TCustomZOdoza> && !OffersEqualRanges<TSmithChart>);
static_assert(OffersReset<TCustomZOdoza> && !OffersReset<TSmithChart>);
static_assert(OffersLayerRanges<TCustomZOdoza> && !OffersLayerRanges<TSmithChart>);
static_assert(OffersMetafiles<TZOdoza> && !OffersMetafiles<TSmithChart>);
static_assert(OffersSmithSurface<TSmithChart>);

TEST(SmithChart, CopiesTakeTheGridColours) {
  Smith a, b;
  a.c.SetGridColorDark(kBlue);
  a.c.SetDiagramColor(kRed);
  b.c.Assign(&a.c);
  EXPECT_EQ(b.c.GridColorDark(), kBlue);
  EXPECT_EQ(b.c.DiagramColor(), kRed);
  EXPECT_EQ(b.c.GridColorLight(), kLight);
  // A plain chart takes what the two have in common.
  TCustomZOdoza plain(nullptr);
  plain.Assign(&a.c);
  EXPECT_TRUE(plain.Isometric());
  EXPECT_EQ(plain.GetScalePropsX(1)->RangeHigh(), 1.2);
}

TEST(SmithChart, WindowDescriptionsSetItsPublishedSettings) {
  RegisterToolkitClasses();
  RegisterChartingClasses();
  TForm form(nullptr);
  LoadDescriptionInto(&form, R"(object Form: TForm
  object Smith: TSmithChart
    Left = 8
    Top = 8
    Width = 300
    Height = 300
    MarginLeft = 10
    MarginBottom = 12
    GridColorDark = clNavy
    GridColorLight = 12632256
    DiagramColor = clWhite
    RangeXLow = -2
    RangeXHigh = 2
    RangeYLow = -1.5
    Caption = "Antenna"
    MouseAction = maZoom
  end
end
)",
                      "test");
  auto* c = dynamic_cast<TSmithChart*>(form.FindComponent("Smith"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->LRim(), 10);
  EXPECT_EQ(c->BRim(), 12);
  EXPECT_EQ(c->GridColorDark(), static_cast<TColor>(0x800000));
  EXPECT_EQ(c->GridColorLight(), static_cast<TColor>(12632256));
  EXPECT_EQ(c->DiagramColor(), static_cast<TColor>(0xFFFFFF));
  EXPECT_EQ(c->RangeXLow(), -2);
  EXPECT_EQ(c->RangeXHigh(), 2);
  EXPECT_EQ(c->Caption(), "Antenna");
  EXPECT_EQ(c->MouseAction(), maZoom);
  EXPECT_TRUE(c->SuppressPaint());
  form.Show();
  c->HandleNeeded();
  EXPECT_FALSE(c->SuppressPaint());

  // Settings a Smith chart does not publish are errors in a description.
  for (const char* line : {"GridStyle = gsLines", "Isometric = False", "RangeYHigh = 1"}) {
    const String text =
        String("object Form: TForm\n  object Bad: TSmithChart\n    ") + line + "\n  end\nend\n";
    EXPECT_THROW(LoadDescriptionInto(&form, text, "bad"), Exception) << line;
  }
}

// ---- the grid ----------------------------------------------------------------------------------
TEST(SmithGrid, LabelDensityGrowsWithTheDiagram) {
  const std::pair<Integer, Integer> cases[] = {{0, 1},   {300, 1}, {301, 2}, {500, 2}, {501, 3},
                                               {750, 3}, {751, 4}, {900, 4}, {901, 5}, {-5, 1}};
  for (const auto& [d, density] : cases) EXPECT_EQ(TSmithChart::LabelDensity(d), density) << d;
}

// Circles and arcs where the chart's geometry puts them, on a diagram 901 pixels across, with
// X running either way: the same impedance grid whatever the axis directions.
TEST(SmithGrid, CirclesAndArcsLieOnTheImpedanceGeometry) {
  for (const bool reversed : {false, true}) {
    SCOPED_TRACE(reversed ? "X reversed" : "X as usual");
    Smith s(1081);
    if (reversed) s.ReverseX();
    s.c.SetGridColorDark(kBlue);  // apart from the frame and text, so a probe sees only the grid
    s.Show();
    const Double deg = 3.14159265358979 / 180;
    struct Probe {
      const char* what;
      Double cx, cy, radius, angle;  // Γ = centre + radius (cos, sin)
      TColor colour;
      bool drawn;
    };
    const auto R = [](Double r) { return std::pair{r / (r + 1), 1 / (r + 1)}; };
    const Probe probes[] = {
        {"unit circle", 0, 0, 1, 60 * deg, kBlue, true},
        {"unit circle", 0, 0, 1, 242 * deg, kBlue, true},  // clear of the labels either way
        {"r = 1, top", R(1).first, 0, R(1).second, 90 * deg, kBlue, true},
        {"r = 1, below", R(1).first, 0, R(1).second, -120 * deg, kBlue, true},
        {"r = 1 past its end", R(1).first, 0, R(1).second, 0.5, kBlue, true},
        {"r = 1 in its gap", R(1).first, 0, R(1).second, 0.3, kBlue, false},
        {"r = 1 in its gap", R(1).first, 0, R(1).second, -0.3, kBlue, false},
        {"r = 5 whole", R(5).first, 0, R(5).second, 0.5, kBlue, true},
        {"r = 10 whole", R(10).first, 0, R(10).second, -0.5, kBlue, true},
        {"r = 0.3 (light)", R(0.3).first, 0, R(0.3).second, 120 * deg, kLight, true},
        {"x = 1 inside", 1, 1, 1, 225 * deg, kBlue, true},
        {"x = -1 inside", 1, -1, 1, 135 * deg, kBlue, true},
        {"x = 1 outside the unit circle", 1, 1, 1, 172 * deg, kBlue, false},
        {"x = 0.3 (light)", 1, 1 / 0.3, 1 / 0.3, 249 * deg, kLight, true},
        {"x = -0.3 (light)", 1, -1 / 0.3, 1 / 0.3, 111 * deg, kLight, true},
    };
    for (const Probe& p : probes) {
      const TPoint at =
          s.G(p.cx + p.radius * std::cos(p.angle), p.cy + p.radius * std::sin(p.angle));
      EXPECT_EQ(s.Near(at, p.colour), p.drawn) << p.what << " at " << p.angle << " rad";
    }
    // The unit circle holds the diagram colour, the real axis runs through its middle.
    const TPoint c = s.G(0, 0);
    EXPECT_EQ(s.At(c.X - 40, c.Y - 40), kDiagram);
    EXPECT_EQ(s.At(s.G(-0.74, 0).X, c.Y), kBlue);
    EXPECT_EQ(s.At(s.G(-1.1, 0.5).X, s.G(-1.1, 0.5).Y), static_cast<TColor>(0xFFFFFF));
  }
}

// Which labels a diagram shows, by its size: each shown label's box holds text, each hidden
// one's (where no shown label overlaps it) holds none.
TEST(SmithGrid, LabelsFollowTheDensity) {
  struct Value {
    Double v;
    Integer level;
  };
  const Value values[] = {{0, 1},   {0.1, 3}, {0.2, 1}, {0.3, 3}, {0.4, 3}, {0.5, 1}, {0.6, 5},
                          {0.7, 2}, {0.8, 5}, {0.9, 5}, {1, 1},   {1.2, 3}, {1.5, 2}, {2, 1},
                          {2.5, 4}, {3, 3},   {4, 4},   {7, 4},   {10, 1},  {5, 1}};
  struct Size {
    Integer side, density;
  };
  for (const Size size : {Size{360, 1}, Size{361, 2}, Size{1081, 5}}) {
    SCOPED_TRACE(testing::Message() << "data area " << size.side);
    Smith s(size.side);
    s.Show();
    const TPoint c = s.G(0, 0), p1 = s.G(-1, -1), p2 = s.G(1, 1);
    ASSERT_EQ(TSmithChart::LabelDensity(p2.X - p1.X), size.density);
    TBitmap measure;
    measure.SetSize(10, 10);
    measure.Canvas()->Font()->Assign(s.c.Font());
    struct Label {
      String text;
      TRect box;
      bool shown;
    };
    std::vector<Label> labels;
    const auto Add = [&](const String& text, TPoint centre, bool shown) {
      const Integer w = measure.Canvas()->TextWidth(text), h = measure.Canvas()->TextHeight(text);
      labels.push_back(
          {text,
           Rect(centre.X - w / 2, centre.Y - h / 2, centre.X - w / 2 + w, centre.Y - h / 2 + h),
           shown});
    };
    const auto Text = [](Double v) {
      return std::fabs(v - std::trunc(v)) <= 0.01 ? FormatFloat("0", v) : FormatFloat("0.0", v);
    };
    for (const Value& k : values) {
      const bool shown = k.level <= size.density;
      // Resistance labels sit where the circle crosses the real axis on its left.
      Add(Text(k.v), Point(s.G((k.v - 1) / (k.v + 1), 0).X, c.Y), shown);
      if (k.v == 0) continue;
      // Reactance labels stand 10 pixels outside the unit circle where the arcs meet it.
      for (const Double sign : {1.0, -1.0}) {
        const Double x = sign * k.v;
        const TPoint u = s.G((x * x - 1) / (x * x + 1), 2 * x / (x * x + 1));
        const Double dx = u.X - c.X, dy = u.Y - c.Y, len = std::hypot(dx, dy);
        Add(Text(x),
            Point(u.X + static_cast<Integer>(std::nearbyint(10 * dx / len)),
                  u.Y + static_cast<Integer>(std::nearbyint(10 * dy / len))),
            shown);
      }
    }
    const auto Overlap = [](const TRect& a, const TRect& b) {
      return a.Left < b.Right + 2 && b.Left < a.Right + 2 && a.Top < b.Bottom + 2 &&
             b.Top < a.Bottom + 2;
    };
    for (const Label& l : labels) {
      if (l.shown) {
        EXPECT_TRUE(s.HasText(l.box)) << l.text;
        continue;
      }
      bool crowded = false;
      for (const Label& o : labels) crowded = crowded || (o.shown && Overlap(o.box, l.box));
      if (!crowded) {
        EXPECT_FALSE(s.HasText(l.box)) << l.text;
      }
    }
    if (size.side == 1081) {
      EXPECT_TRUE(SaveBitmapAsPNG(s.c.ChartBmp(),
                                  (PictureFolder() / "smith_chart_all_labels.png").string()));
    }
  }
}

// The grid is the data area's background wherever the chart draws one, also on a foreign
// canvas at an offset (as the exports do).
TEST(SmithGrid, DrawnOnAnyCanvasAtItsOffset) {
  Smith s;
  TBitmap bmp;
  bmp.SetSize(s.side + 60, s.side + 60);
  bmp.Canvas()->Brush()->SetColor(kRed);
  bmp.Canvas()->FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
  s.c.InitGraf(bmp.Canvas(), 30, 40, s.side + 1, s.side + 1);
  const TPoint top = s.G(0, 1), centre = s.G(0, 0);
  bool found = false;
  for (Integer dy = -1; dy <= 1; ++dy)
    found = found || bmp.Canvas()->GetPixel(top.X + 30, top.Y + 40 + dy) == kDark;
  EXPECT_TRUE(found);
  EXPECT_EQ(bmp.Canvas()->GetPixel(centre.X + 30 - 30, centre.Y + 40 - 30), kDiagram);
  EXPECT_EQ(bmp.Canvas()->GetPixel(5, 5), kRed);  // outside: untouched
}

// Degenerate diagrams paint without failing: no data area at all, margins larger than the
// control, and a zoom so deep that the grid's circles are millions of pixels across.
TEST(SmithGrid, DegenerateAndHugeDiagramsPaint) {
  {
    TSmithChart c(nullptr);
    c.SetBounds(0, 0, 0, 0);
    EXPECT_NO_THROW(c.SetSuppressPaint(false));
  }
  {
    TSmithChart c(nullptr);
    c.SetBounds(0, 0, 40, 30);  // margins 50/20/20/40 exceed it
    EXPECT_NO_THROW(c.SetSuppressPaint(false));
  }
  Smith s;
  s.c.SetRange(0.9999, -0.0001, 1.0001, 0.0001);
  s.Show();
  // The real axis still runs through the middle row up to Γ = 1.
  const Integer row = s.side / 2, one = s.side / 2;
  EXPECT_EQ(s.At(one / 2, row), kDark);
  EXPECT_NE(s.At(one + one / 2, row), kDark);
}

// Every grid curve that crosses the picture is drawn at its true place, however large it is
// and wherever the picture lies: reactance arcs far larger than the picture, the unit circle
// and its fill under a deep zoom, and a data area thousands of pixels wide (drawn by InitGraf
// onto a bitmap that holds its top-left corner).
TEST(SmithGrid, EveryCurveCrossingThePictureIsDrawnAtItsTruePlace) {
  struct Probe {
    Double gr, gi;
    TColor colour;
  };
  struct Case {
    const char* what;
    Integer side;  // of the data area
    Double xLo, yLo, xHi, yHi;
    std::vector<Probe> probes;  // each within a pixel of one in its colour
  };
  const Double a = 3.49, t = 0.09, u = std::sqrt(1 - 0.03 * 0.03), v = std::sqrt(1 - 0.14 * 0.14);
  const Case cases[] = {
      {"arcs x = +-0.1 on a large diagram",
       600,
       -1.2,
       -1.2,
       1.2,
       1.2,
       {{-0.5, 0.1131, kLight}, {-0.5, -0.1131, kLight}}},
      {"zoomed onto the left end of the unit circle",
       600,
       -1.02,
       -0.05,
       -0.92,
       0.05,
       {{-u, 0.03, kDark}, {-0.95, 0.025, kDiagram}, {-0.93, -0.04, kDiagram}}},
      {"zoomed near an open circuit",
       600,
       0.8,
       -0.1,
       1.0,
       0.1,
       {{std::cos(t), std::sin(t), kDark},
        {0.9, 1 - std::sqrt(0.99), kDark},                        // x = 1
        {0.9, std::sqrt(0.99) - 1, kDark},                        // x = -1
        {1 + 0.1 * std::cos(a), 0.1 + 0.1 * std::sin(a), kDark},  // x = 10
        {1 + 0.1 * std::cos(a), -0.1 - 0.1 * std::sin(a), kDark}}},
      {"a data area 6000 pixels wide",
       6000,
       -1,
       -0.15,
       -0.7,
       0.15,
       {{-v, 0.14, kDark}, {-0.985, 0.14, kDiagram}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TSmithChart c(nullptr);
    c.SetBounds(0, 0, k.side + 40, k.side + 40);
    for (auto Set : {&TSmithChart::SetLRim, &TSmithChart::SetRRim, &TSmithChart::SetTRim,
                     &TSmithChart::SetBRim})
      (c.*Set)(20);
    c.SetRange(k.xLo, k.yLo, k.xHi, k.yHi);
    const Integer crop = k.side <= 600 ? k.side + 1 : 401;
    TBitmap bmp;
    bmp.SetSize(crop, crop);
    c.InitGraf(bmp.Canvas(), 0, 0, k.side + 1, k.side + 1);
    for (const Probe& p : k.probes) {
      const Integer x =
          static_cast<Integer>(std::nearbyint((p.gr - k.xLo) / (k.xHi - k.xLo) * k.side));
      const Integer y =
          static_cast<Integer>(std::nearbyint(k.side - (p.gi - k.yLo) / (k.yHi - k.yLo) * k.side));
      ASSERT_LT(x, crop - 1);
      ASSERT_LT(y, crop - 1);
      bool found = false;
      for (Integer d = 0; d < 9; ++d)
        found = found || bmp.Canvas()->GetPixel(x - 1 + d % 3, y - 1 + d / 3) == p.colour;
      EXPECT_TRUE(found) << "Γ " << p.gr << " " << p.gi << " at pixel " << x << "," << y;
    }
  }
}

// The grid's work follows the pixels it draws, not the size of its curves: on a metafile
// (which keeps every shape and point it is handed) a zoom by a million hands over no more than
// a zoom by one, and no curve reaches outside the picture.
TEST(SmithGrid, WorkFollowsThePictureNotTheZoom) {
  constexpr Integer kSide = 600;
  static const std::regex path(R"re(d="([^"]*)")re"), number(R"(-?[0-9.]+(e-?[0-9]+)?)");
  static const std::regex shape(R"re(<(ellipse) ([^>]*)/>)re");
  for (const TPoint centre : {Point(0, 0), Point(1, 0), Point(-1, 0)})
    for (const Double zoom : {1.0, 1e2, 1e4, 1e6}) {
      SCOPED_TRACE(testing::Message() << "zoom " << zoom << " at Γ = " << centre.X);
      TSmithChart c(nullptr);
      c.SetBounds(0, 0, kSide + 40, kSide + 40);
      const Double h = 1.2 / zoom;
      c.SetRange(centre.X - h, -h, centre.X + h, h);
      TMetafile metafile;
      {
        TMetafileCanvas canvas(&metafile);
        c.InitGraf(&canvas, 0, 0, kSide + 1, kSide + 1);
      }
      const std::string svg = testsupport::EmfToSvg(metafile.Data());
      ASSERT_FALSE(svg.empty());
      size_t points = 0;
      bool inside = true;
      const auto Check = [&](const std::string& text) {
        for (auto n = std::sregex_iterator(text.begin(), text.end(), number);
             n != std::sregex_iterator(); ++n) {
          const Double value = std::stod((*n)[0]);
          inside = inside && value >= -1 && value <= kSide + 2;
          ++points;
        }
      };
      for (auto p = std::sregex_iterator(svg.begin(), svg.end(), path); p != std::sregex_iterator();
           ++p)
        Check((*p)[1]);
      for (auto e = std::sregex_iterator(svg.begin(), svg.end(), shape);
           e != std::sregex_iterator(); ++e)
        Check((*e)[2]);
      EXPECT_TRUE(inside);
      // 59 curves, none longer inside the picture than its border.
      EXPECT_LT(points, 59u * 2 * 4 * (kSide + 1));
    }
}

// A chart as a user sees it: the grid with a measured impedance sweep on top.
TEST(SmithGrid, GalleryPicture) {
  Smith s(460);
  s.c.SetDataCol(kBlue);
  s.c.SetLineWid(2);
  bool first = true;
  for (Double f = 0; f <= 1.0001; f += 0.05) {
    // A series resonant circuit near its resonance: R = 0.6 + 0.8 f, X = 4 (f - 0.5).
    const Double r = 0.6 + 0.8 * f, x = 4 * (f - 0.5);
    const Double gr = TSmithChart::CalcReflectionReal(r, x);
    const Double gi = TSmithChart::CalcReflectionImag(r, x);
    if (first)
      s.c.MoveTo(gr, gi);
    else
      s.c.DrawTo(gr, gi);
    first = false;
  }
  s.c.SetDataCol(kRed);
  s.c.MarkAt(TSmithChart::CalcReflectionReal(1, 0), TSmithChart::CalcReflectionImag(1, 0), 2);
  s.Show();
  EXPECT_TRUE(SaveBitmapAsPNG(s.c.ChartBmp(), (PictureFolder() / "smith_chart.png").string()));
  EXPECT_EQ(s.At(s.G(0, 0).X, s.G(0, 0).Y), kRed);
}

}  // namespace
