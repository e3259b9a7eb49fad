// The axis control: range rules, the value/pixel transform, tick selection and labels, painting
// (own canvas, foreign canvas, opaque bitmap) and mouse pan and zoom.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <vector>

#include "DOV_Scale.h"
#include "Forms.h"

using namespace ScaleText;

namespace {

// A visible helper scale drawing on a white bitmap, painting enabled: what a chart does.
struct HelperScale {
  TBitmap bmp{400, 400};
  TScale scale{nullptr, TScale::THelper{}};
  std::vector<Double> ticks;  // values reported by OnScaleTickDrawn
  std::vector<TPoint> points;
  std::vector<String> labels;
  int renders = 0;

  explicit HelperScale(TScaleType Type = sctYL) {
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(Rect(0, 0, 400, 400));
    scale.SetScaleType(Type);
    scale.SetIsHelperComponent(true);
    scale.SetTransparent(true);
    scale.UseForeignCanvas(bmp.Canvas(), 0, 0);
    scale.OnScaleTickDrawn = [this](TObject*, TCanvas*, TScaleType, Double v, Integer x,
                                    Integer y) {
      ticks.push_back(v);
      points.push_back(Point(x, y));
    };
    scale.OnBeforeTickLabel = [this](TObject*, TScaleType, Double, String& t) {
      labels.push_back(t);
    };
    scale.OnBeforeScaleRendered = [this](TObject*, TCanvas*) { ++renders; };
  }
  void Draw() {
    ticks.clear();
    points.clear();
    labels.clear();
    scale.ForcePaint();
  }
  std::vector<Double> Recorded() const {
    std::vector<Double> r;
    for (Integer i = 1; i <= scale.NumTicks(); ++i) r.push_back(scale.GetTickPos(i));
    return r;
  }
};

std::vector<Double> Steps(Double From, Double Step, int Count) {
  std::vector<Double> r;
  for (int i = 0; i < Count; ++i) r.push_back(From + i * Step);
  return r;
}

void ExpectNear(const std::vector<Double>& Got, const std::vector<Double>& Want) {
  ASSERT_EQ(Got.size(), Want.size());
  for (size_t i = 0; i < Got.size(); ++i)
    EXPECT_NEAR(Got[i], Want[i], 1e-9 * (1 + std::fabs(Want[i]))) << i;
}

}  // namespace

// ---- ranges, settings, transform -------------------------------------------------------------
TEST(ScaleRange, EqualEndsAreMovedApartByOne) {
  TScale s(nullptr, TScale::THelper{});
  s.SetRangeLow(100);
  EXPECT_EQ(s.RangeLow(), 100);
  EXPECT_EQ(s.RangeHigh(), 101);
  s.SetRange(0, 10);
  s.SetRangeHigh(0);
  EXPECT_EQ(s.RangeLow(), -1);
  EXPECT_EQ(s.RangeHigh(), 0);
  s.SetRange(5, 5);
  EXPECT_EQ(s.RangeLow(), 5);
  EXPECT_EQ(s.RangeHigh(), 6);
}

TEST(ScaleRange, AnEndThatIsNotFiniteOrASpanThatOverflowsIsRefused) {
  constexpr Double nan = std::numeric_limits<Double>::quiet_NaN();
  constexpr Double inf = std::numeric_limits<Double>::infinity();
  const std::function<void(TScale&)> refused[] = {
      [](TScale& s) { s.SetRangeLow(nan); },      [](TScale& s) { s.SetRangeHigh(nan); },
      [](TScale& s) { s.SetRangeHigh(inf); },     [](TScale& s) { s.SetRange(-inf, 0); },
      [](TScale& s) { s.SetRange(0, nan); },      [](TScale& s) { s.SetRange(-1e308, 1e308); },
      [](TScale& s) { s.SetRangeLow(-1.7e308); },  // 1.7e308 apart from the high end
  };
  for (size_t i = 0; i < std::size(refused); ++i) {
    SCOPED_TRACE(i);
    TScale s(nullptr, TScale::THelper{});
    s.SetRange(0, 1e308);
    refused[i](s);
    EXPECT_EQ(s.RangeLow(), 0);
    EXPECT_EQ(s.RangeHigh(), 1e308);
    EXPECT_EQ(s.ConvertToPixelCoords(1e308), 379);
  }
}

TEST(ScaleSettings, SettersClampAsDocumented) {
  TScale s(nullptr, TScale::THelper{});
  struct Case {
    Integer in, minTicks;
  } cases[] = {{1, 2}, {11, 10}, {0, 0}, {5, 5}};
  for (auto c : cases) {
    s.SetMinTicks(c.in);
    EXPECT_EQ(s.MinTicks(), c.minTicks) << c.in;
  }
  s.SetDecPlaces(20);
  EXPECT_EQ(s.DecPlaces(), 12);
  s.SetDecPlaces(-9);
  EXPECT_EQ(s.DecPlaces(), -3);
  s.SetMarginLeft(-5);
  EXPECT_EQ(s.MarginLeft(), 0);
  s.SetLabelType(ftTime);
  EXPECT_EQ(s.DecPlaces(), 4);
  s.SetRange(1, 10);
  s.SetLogarithmic(true);
  s.SetLabelType(ftDateTime);
  EXPECT_FALSE(s.Logarithmic());
  EXPECT_EQ(s.GetTickPos(0), 0);
  EXPECT_EQ(s.GetTickPos(s.NumTicks() + 1), 0);
}

TEST(ScaleTransform, LinearHorizontalAndVerticalEnds) {
  TScale s(nullptr, TScale::THelper{});  // 400 x 400, margins 20
  EXPECT_EQ(s.ConvertToPixelCoords(0), 20);
  EXPECT_EQ(s.ConvertToPixelCoords(100), 379);
  EXPECT_EQ(s.ConvertToPixelCoords(50), 200);  // 199.5, half to even
  EXPECT_NEAR(s.ConvertPixelToScale(379), 100, 1e-12);
  EXPECT_EQ(s.ConvertToPixelCoords(1e300), 2147483647);
  EXPECT_EQ(s.ConvertToPixelCoords(-1e300), -2147483647);
  s.SetScaleType(sctYL);
  EXPECT_EQ(s.ConvertToPixelCoords(100), 20);
  EXPECT_EQ(s.ConvertToPixelCoords(0), 379);
  s.SetRange(100, 0);  // reversed
  EXPECT_EQ(s.ConvertToPixelCoords(100), 379);
}

TEST(ScaleTransform, LogarithmicAxis) {
  TScale s(nullptr, TScale::THelper{});
  s.SetRange(1, 1000);
  s.SetLogarithmic(true);
  EXPECT_EQ(s.ConvertToPixelCoords(0), 0);     // no logarithm: the end before RangeLow
  EXPECT_EQ(s.ConvertToPixelCoords(10), 140);  // 20 + 359 / 3
  EXPECT_NEAR(s.ConvertPixelToScale(s.ConvertToPixelCoords(1000)), 1000, 1e-9);
  s.SetScaleType(sctYL);
  EXPECT_EQ(s.ConvertToPixelCoords(0), 400);
}

TEST(ScaleTransform, WhenALogarithmicAxisIsAccepted) {
  TScale coded(nullptr, TScale::THelper{});
  coded.SetLogarithmic(true);  // never loaded: accepted, the linear transform stays
  EXPECT_TRUE(coded.Logarithmic());
  coded.SetRange(1, 1000);
  EXPECT_EQ(coded.ConvertToPixelCoords(10), 140);

  struct Case {
    bool Loaded;
    Double Low, High;
    TFigType Labels;
    bool Accepted;
  } cases[] = {
      {false, 0, 100, ftNum, true},  // the range may still be on its way
      {false, -5, 100, ftDateTime, true},
      {false, 1e-300, 1e300, ftNum, false},  // below 1e-100 a logarithmic axis shows nothing
      {false, 1, 1e-101, ftNum, false},
      {true, 0, 100, ftNum, false},
      {true, 1, 100, ftNum, true},
      {true, 1e-100, 100, ftNum, true},
      {true, 1, 100, ftDateTime, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.Loaded) + " " + std::to_string(k.Low) + " " +
                 std::to_string(k.High) + " " + std::to_string(k.Labels));
    TScale s(nullptr, TScale::THelper{});
    if (k.Loaded) {
      s.BeginLoading();
      s.Loaded();
    }
    s.SetRange(k.Low, k.High);
    s.SetLabelType(k.Labels);
    s.SetLogarithmic(true);
    EXPECT_EQ(s.Logarithmic(), k.Accepted);
  }
}

TEST(ScaleTransform, TooSmallControlMapsEverythingToItsMiddle) {
  TScale s(nullptr, TScale::THelper{});
  s.SetBounds(0, 0, 30, 400);  // 30 - 20 - 20 - 1 < 0
  EXPECT_EQ(s.ConvertToPixelCoords(0), 15);
  EXPECT_EQ(s.ConvertToPixelCoords(100), 15);
  EXPECT_EQ(s.ConvertPixelToScale(3), 50);  // the centre, never a division by zero
}

TEST(ScaleAssign, CopiesSettingsButNotMouseState) {
  TScale a(nullptr, TScale::THelper{}), b(nullptr, TScale::THelper{});
  a.SetRange(-3, 7);
  a.SetScaleType(sctYR);
  a.SetCaption("volts");
  a.SetScaleInscript("& V");
  a.SetMouseAction(maZoom);
  a.DateFormat()->SetTimeFormat(tfAMPM);
  b.Assign(&a);
  EXPECT_EQ(b.RangeLow(), -3);
  EXPECT_EQ(b.RangeHigh(), 7);
  EXPECT_EQ(b.ScaleType(), sctYR);
  EXPECT_EQ(b.Caption(), "volts");
  EXPECT_EQ(b.ScaleInscript(), "& V");
  EXPECT_EQ(b.DateFormat()->TimeFormat(), tfAMPM);
  EXPECT_EQ(b.MouseAction(), maNone);
  EXPECT_EQ(b.ConvertToPixelCoords(7), a.ConvertToPixelCoords(7));
}

TEST(ScalePainting, ColorSchemeRepaintsOnlyOnAChange) {
  HelperScale h;
  h.scale.SetSuppressPaint(false);
  const int before = h.renders;
  h.scale.SetColorScheme(csBWG);
  EXPECT_EQ(h.renders, before);
  h.scale.SetColorScheme(csSystem);
  EXPECT_EQ(h.renders, before + 1);
  h.scale.SetSuppressPaint(true);
  h.scale.SetCaption("x");
  EXPECT_EQ(h.renders, before + 1);
  h.scale.SetSuppressPaint(false);  // clearing it paints once
  EXPECT_EQ(h.renders, before + 2);
  h.scale.SetVisible(false);  // an invisible helper does no work at all
  h.scale.ForcePaint();
  EXPECT_EQ(h.renders, before + 2);
}

// ---- label texts -----------------------------------------------------------------------------
TEST(ScaleText, FormatTickNumber) {
  struct Case {
    Integer width, dec;
    Double v;
    const char* text;
  } cases[] = {
      {1, -1, 1500, " 1.5E+03"},
      {1, -1, 1200, " 1.2E+03"},
      {1, -1, 1e150, "********"},
      {1, -1, -0.00012, "-1.2E-04"},
      {1, -1, 0, " 0.0E+00"},
      {1, 2, 3.14159, "3.14"},
      {1, 0, 42, "42"},
      {6, 1, -2.25, "  -2.2"},
      {1, 0, 2.5, "2"},
      {1, 2, 1e40, " 1.0E+0040"},
      {1, 3, 1e-40, " 1.0E-0040"},
      {1, 2, 0, "0.00"},
  };
  for (auto c : cases) EXPECT_EQ(FormatTickNumber(c.width, c.dec, c.v), c.text) << c.v;
}

TEST(ScaleText, AutomaticDecimals) {
  EXPECT_EQ(AutoDecPlacesLin(-2, 0, 10), 1);
  EXPECT_EQ(AutoDecPlacesLin(-2, 0, 1), 2);
  EXPECT_EQ(AutoDecPlacesLin(-3, 0.01, 0), 4);
  EXPECT_EQ(AutoDecPlacesLin(-2, 0, 1e6), -1);
  EXPECT_EQ(AutoDecPlacesLin(-2, 0, 0.0001), -1);
  EXPECT_EQ(AutoDecPlacesLin(-2, 0, 100), 0);
  EXPECT_EQ(AutoDecPlacesLin(3, 0, 1), 3);
  EXPECT_EQ(AutoDecPlacesLog(-2, 10, 0.01), 3);
  EXPECT_EQ(AutoDecPlacesLog(-2, 1, 1000), 0);
  EXPECT_EQ(AutoDecPlacesLog(-3, 0.01, 10), -3);
  // The exponent form's decimals: the step's decade below the range's, 1 to 7; where 7 cannot
  // tell neighbouring ticks apart, the short form.
  EXPECT_EQ(AutoExponentDecimals(2e6, 1.415e9, 1.425e9), 3);
  EXPECT_EQ(AutoExponentDecimals(-2e-6, 5 + 5e-6, 5 - 5e-6), 6);
  EXPECT_EQ(AutoExponentDecimals(1e-5, -3e-5, 3e-5), 1);
  EXPECT_EQ(AutoExponentDecimals(1e2, 1e9, 1e9 + 1e3), 7);
  EXPECT_EQ(AutoExponentDecimals(1e-6, 1e9, 1e9 + 1e-5), 1);
  EXPECT_EQ(AutoExponentDecimals(0, 1, 2), 1);
}

TEST(ScaleText, SecondsUserTextsAndInscriptions) {
  EXPECT_EQ(SecondsTickText(true, 3725.25), " 01:02:05.250");
  EXPECT_EQ(SecondsTickText(false, -90), "-00:01:30");
  EXPECT_EQ(SecondsTickText(true, 0.9996), " 00:00:00.1000");
  EXPECT_EQ(SecondsTickText(false, 360000), " 100:00:00");
  struct U {
    const char* text;
    Integer ix;
    const char* field;
  } user[] = {{"Mon|Tue|Wed", 1, "Mon"}, {"Mon|Tue|Wed", 2, "Tue"}, {"Mon|Tue|Wed", 0, ""},
              {"a|b|c", 7, "c"},         {"a|b|", 3, ""},           {"", 1, ""},
              {"abc", 2, "abc"}};
  for (auto u : user) EXPECT_EQ(ExtractUserText(u.text, u.ix), u.field) << u.text << u.ix;
  EXPECT_EQ(AddScaleInscription("12", "$&"), "$12");
  EXPECT_EQ(AddScaleInscription("12", "& kHz"), "12 kHz");
  EXPECT_EQ(AddScaleInscription("12", "x"), "x12");
  EXPECT_EQ(AddScaleInscription("12", "&"), "12");
  EXPECT_EQ(AddScaleInscription("", "$&"), "");
}

// ---- ticks and labels as drawn ---------------------------------------------------------------
TEST(ScaleTicks, LinearWithAndWithoutShortTicks) {
  HelperScale h;
  h.scale.SetRange(0, 100);
  h.Draw();
  ExpectNear(h.Recorded(), Steps(0, 5, 21));
  EXPECT_EQ(h.labels, (std::vector<String>{"0", "20", "40", "60", "80", "100"}));
  // Every reported point lies on the base line at the tick's pixel.
  for (size_t i = 0; i < h.ticks.size(); ++i) {
    EXPECT_EQ(h.points[i].X, 20);
    EXPECT_EQ(h.points[i].Y, h.scale.R2M(h.ticks[i]));
  }
  h.scale.SetShortTicks(false);
  h.Draw();
  ExpectNear(h.Recorded(), Steps(0, 20, 6));
  h.scale.SetRange(100, 0);
  h.Draw();
  ExpectNear(h.Recorded(), Steps(100, -20, 6));
}

TEST(ScaleTicks, ZeroTickAndDecimals) {
  HelperScale h(sctXB);
  // The middle label (the zero tick on the symmetric ranges) and the first one; neighbouring
  // labels never read alike, in the exponent form too, which carries the digits the step needs.
  struct Case {
    Double lo, hi;
    const char *middle, *first;
  } cases[] = {
      {-1, 1, "0.00", "-1.00"},
      {-200000, 200000, "0", "-200000"},
      {-5e6, 5e6, "0.0", "-4.0E+06"},
      {1.415e9, 1.425e9, " 1.420E+09", " 1.416E+09"},
      {5 - 5e-6, 5 + 5e-6, " 5.000000E+00", " 4.999996E+00"},
      {-3e-5, 3e-5, " 0.0E+00", "-3.0E-05"},
  };
  for (auto c : cases) {
    h.scale.SetRange(c.lo, c.hi);
    h.Draw();
    ASSERT_EQ(h.labels.size() % 2, 1u);
    EXPECT_EQ(h.labels[h.labels.size() / 2], c.middle) << c.lo;
    EXPECT_EQ(h.labels.front(), c.first) << c.lo;
    for (size_t i = 1; i < h.labels.size(); ++i) EXPECT_NE(h.labels[i], h.labels[i - 1]) << c.lo;
  }
  // An exponent form set by the user keeps its one decimal.
  h.scale.SetRange(1.415e9, 1.425e9);
  h.scale.SetDecPlaces(-1);
  h.Draw();
  EXPECT_EQ(h.labels.front(), " 1.4E+09");
  h.scale.SetDecPlaces(-2);
  h.scale.SetRange(0, 2);
  h.scale.SetMinTicks(4);
  h.scale.SetDecPlaces(0);
  h.Draw();
  // Only the integral ticks keep a label.
  EXPECT_EQ(h.labels.front(), "0");
  EXPECT_EQ(h.labels.back(), "2");
  EXPECT_EQ(std::count(h.labels.begin(), h.labels.end(), ""), Integer(h.labels.size()) - 3);
  h.scale.SetRange(0, 1000);
  h.scale.SetDecPlaces(12);
  h.Draw();
  for (const String& l : h.labels) EXPECT_LE(l.size(), 14u) << l;  // "250.000000000000" cut
  EXPECT_EQ(h.labels[1].size(), 14u);
}

TEST(ScaleTicks, Logarithmic) {
  HelperScale h;
  h.scale.SetRange(1, 1000);
  h.scale.SetLogarithmic(true);
  h.Draw();
  ExpectNear(h.Recorded(), {1, 10, 100, 1000});
  h.scale.SetMinTicks(4);
  h.scale.SetDecPlaces(-3);
  h.Draw();
  EXPECT_EQ(h.scale.NumTicks(), 28);
  EXPECT_EQ(h.labels, (std::vector<String>{"0", "", "", "1", "", "", "2", "", "", "3"}));
  h.scale.SetRange(0.01, 10);
  h.scale.SetDecPlaces(-2);
  h.Draw();
  EXPECT_NE(std::find(h.labels.begin(), h.labels.end(), "0.5"), h.labels.end());
  h.scale.SetRange(1, 5);  // less than a decade: linear ticks
  h.scale.SetMinTicks(3);
  h.Draw();
  const std::vector<Double> r = h.Recorded();
  ASSERT_GE(r.size(), 3u);
  EXPECT_NEAR(r[1] - r[0], r[2] - r[1], 1e-9);  // evenly spaced values
}

TEST(ScaleTicks, LoopsEndWhateverTheRange) {
  // Ranges a user can set but no axis can show tick by tick: the drawing ends, and a
  // logarithmic axis puts no tick below 1e-100 (they would all lie on its end).
  struct Case {
    const char* Name;
    Double Low, High;
    Integer MinTicks;
    bool Log;
    Integer MaxTicks;
  } cases[] = {
      {"a tick per unit over 1e20", 0, 1e20, 0, false, 0},
      {"a tick per unit beyond the values' resolution", 1e20, 1e20 + 1e6, 0, false, 0},
      {"near the largest doubles", -1.7e308, -1e308, 3, false, 100},
      {"logarithmic from the smallest double", 5e-324, 10, 3, true, 102},
      {"logarithmic over 600 decades", 1e-300, 1e300, 3, true, 401},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    HelperScale h;
    h.scale.SetMinTicks(k.MinTicks);
    h.scale.SetRange(1, 10);
    h.scale.SetLogarithmic(k.Log);
    h.scale.SetRange(k.Low, k.High);
    h.Draw();
    EXPECT_LE(Integer(h.ticks.size()), k.MaxTicks);
    if (k.Log) {
      EXPECT_GT(h.ticks.size(), 0u);
      for (const Double v : h.ticks) EXPECT_GE(v, 1e-100 * 0.999999999) << v;
    }
  }
}

TEST(ScaleTicks, SecondsOnTimeAxes) {
  HelperScale h;
  h.scale.SetLabelType(ftTime);
  h.scale.SetRange(0, 3600);
  h.Draw();
  EXPECT_EQ(h.labels, (std::vector<String>{" 00:00:00", " 00:20:00", " 00:40:00", " 01:00:00"}));
  ExpectNear(h.Recorded(), Steps(0, 200, 19));
  h.scale.SetRange(0, 0.03);
  h.Draw();
  EXPECT_EQ(h.labels[1], " 00:00:00.010");
  h.scale.SetRange(0, 3 * 86400);  // a day per interval: numeric labels
  h.Draw();
  for (const String& l : h.labels) EXPECT_EQ(l.find(':'), String::npos) << l;
}

TEST(ScaleTicks, HorizontalLabelsStayInsideTheControl) {
  HelperScale h(sctXB);
  h.scale.SetMarginLeft(0);
  h.scale.SetMarginRight(0);
  h.scale.SetRange(0, 800000);  // labels 0 and 800000 sit on the control's edges
  h.scale.SetShowBaseLine(false);
  h.Draw();
  TCanvas* cv = h.bmp.Canvas();
  bool inkLeft = false, inkRight = false, inkNearLeft = false;
  for (int y = 330; y < 373; ++y) {  // the label rows, above the ticks
    for (int x = 0; x < 2; ++x) inkLeft |= cv->GetPixel(x, y) != clWhite;
    for (int x = 398; x < 400; ++x) inkRight |= cv->GetPixel(x, y) != clWhite;
    for (int x = 2; x < 9; ++x) inkNearLeft |= cv->GetPixel(x, y) != clWhite;
  }
  EXPECT_FALSE(inkLeft);
  EXPECT_FALSE(inkRight);
  EXPECT_TRUE(inkNearLeft);
}

// The exponent form's longer labels: where they do not fit between two ticks, only every n-th
// tick keeps one, and no two run into each other.
TEST(ScaleTicks, LongLabelsNeverRunIntoEachOther) {
  struct Case {
    Double lo, hi;
    int length;
  } cases[] = {{5 - 5e-6, 5 + 5e-6, 400}, {5 - 5e-6, 5 + 5e-6, 200}, {1.415e9, 1.425e9, 200},
               {1e9, 1.01e9, 150}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.lo) + " .. " + std::to_string(c.hi) + " on " +
                 std::to_string(c.length));
    HelperScale h(sctXB);
    h.scale.SetBounds(0, 0, c.length, 60);
    h.scale.SetRange(c.lo, c.hi);
    std::vector<std::pair<Double, String>> shown;
    h.scale.OnBeforeTickLabel = [&](TObject*, TScaleType, Double v, String& t) {
      if (!t.empty()) shown.emplace_back(v, t);
    };
    h.Draw();
    ASSERT_GE(shown.size(), 2u);
    TCanvas* cv = h.bmp.Canvas();
    for (size_t i = 1; i < shown.size(); ++i) {
      const Integer gap = std::abs(h.scale.R2M(shown[i].first) - h.scale.R2M(shown[i - 1].first));
      const Integer halves = (cv->TextWidth(shown[i].second) + cv->TextWidth(shown[i - 1].second)) / 2;
      EXPECT_GT(gap, halves) << shown[i - 1].second << " / " << shown[i].second;
      EXPECT_NE(shown[i].second, shown[i - 1].second);
    }
  }
}

// ---- painting --------------------------------------------------------------------------------
TEST(ScalePainting, OpaqueScaleCopiesItsBitmapToTheForeignCanvasOffset) {
  HelperScale h(sctXB);
  h.scale.SetTransparent(false);
  h.scale.SetBounds(0, 0, 200, 60);
  h.scale.UseForeignCanvas(h.bmp.Canvas(), 10, 20);
  TCanvas* seen = nullptr;
  h.scale.OnAfterScaleRendered = [&](TObject*, TCanvas* c) { seen = c; };
  h.Draw();
  TCanvas* cv = h.bmp.Canvas();
  EXPECT_NE(seen, cv);  // drawn into its own bitmap first
  EXPECT_EQ(cv->GetPixel(9, 19), clWhite);
  EXPECT_EQ(cv->GetPixel(210, 80), clWhite);
  EXPECT_NE(cv->GetPixel(10 + 100, 20 + 5), clWhite);           // the background came along
  EXPECT_EQ(cv->GetPixel(10 + 20, 20 + 60 - 20 - 1), clBlack);  // base line start
}

TEST(ScalePainting, TransparentScaleShiftsOnlyAcrossTheAxis) {
  HelperScale h(sctYL);
  h.scale.UseForeignCanvas(h.bmp.Canvas(), 30, 50);
  TCanvas* seen = nullptr;
  h.scale.OnAfterScaleRendered = [&](TObject*, TCanvas* c) { seen = c; };
  h.scale.SetShortTicks(false);
  h.Draw();
  EXPECT_EQ(seen, h.bmp.Canvas());
  const Integer x = 30 + 20, y = h.scale.R2M(40);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(h.bmp.Canvas()->GetPixel(x + i, y), clBlack) << i;
  EXPECT_EQ(h.bmp.Canvas()->GetPixel(x + 6, y), clWhite);
}

TEST(ScalePainting, AScaleOnAWindowPaintsOnceItsWindowExists) {
  TForm f(nullptr);
  f.SetBounds(0, 0, 420, 120);
  auto* s = new TScale(&f);
  s->SetParent(&f);
  s->SetBounds(0, 0, 400, 60);
  int renders = 0;
  s->OnBeforeScaleRendered = [&](TObject*, TCanvas*) { ++renders; };
  s->SetRange(0, 10);
  EXPECT_TRUE(s->SuppressPaint());
  EXPECT_EQ(renders, 0);
  f.Show();
  EXPECT_FALSE(s->SuppressPaint());
  s->SetRange(0, 50);  // a setter paints at once into the control's image
  EXPECT_EQ(renders, 1);
  EXPECT_EQ(s->Canvas()->GetPixel(20, 60 - 20 - 1), clBlack);  // base line start
  EXPECT_NE(s->Canvas()->GetPixel(100, 5), clBlack);
}

// ---- mouse -----------------------------------------------------------------------------------
TEST(ScaleMouse, RescaleVectors) {
  struct Case {
    TMouseActMode mode;
    Integer x, ax;
    Double lo, hi;
  } cases[] = {
      {maPan, 236, 200, -10, 90}, {maZoom, 160, 300, 0, 200}, {maZoomDrag, 240, 200, 5, 95}};
  for (auto c : cases) {
    Double lo = -1, hi = -1;
    EXPECT_TRUE(Rescale(c.x, 10, c.ax, 10, 400, 50, 20, 20, 20, 20, 0, 100, c.mode, sctXB, false, 0,
                        100, lo, hi));
    EXPECT_NEAR(lo, c.lo, 1e-9) << c.mode;
    EXPECT_NEAR(hi, c.hi, 1e-9) << c.mode;
  }
  Double lo = 7, hi = 8;
  EXPECT_FALSE(Rescale(236, 10, 200, 10, 400, 50, 20, 20, 20, 20, 0, 100, maNone, sctXB, false, 0,
                       100, lo, hi));
  EXPECT_EQ(lo, 7);
  // Logarithmic pan: a third of the length is one decade of 1..1000.
  EXPECT_TRUE(Rescale(140, 0, 20, 0, 400, 50, 20, 20, 20, 20, 1, 1000, maPan, sctXB, true, 1, 1000,
                      lo, hi));
  EXPECT_NEAR(lo, 0.1, 1e-12);
}

TEST(ScaleMouse, DragPansOnceInsideTheAxisArea) {
  TScale s(nullptr, TScale::THelper{});  // 400 x 400 horizontal, margins 20
  s.SetMouseAction(maPan);
  int events = 0;
  s.OnZoomPan = [&](TObject*) { ++events; };
  s.MouseMove(ssLeft, 10, 5);  // in the margin: no anchor
  s.MouseMove(ssLeft, 200, 5);
  s.MouseMove(ssLeft, 236, 5);
  EXPECT_NEAR(s.RangeLow(), -10, 1e-9);
  EXPECT_NEAR(s.RangeHigh(), 90, 1e-9);
  EXPECT_EQ(events, 1);
  s.MouseUp(mbLeft, 0, 236, 5);
  s.MouseMove(ssLeft, 100, 5);  // a new drag anchors again
  EXPECT_NEAR(s.RangeLow(), -10, 1e-9);
  s.MouseMove(0, 50, 5);  // no button: nothing
  EXPECT_EQ(events, 1);
  s.DblClick();
  EXPECT_EQ(s.MouseAction(), maZoom);
}

// ---- a picture to look at ----------------------------------------------------------------------
TEST(ScalePicture, FourScaleTypesRenderIntoAPNG) {
  const std::filesystem::path out = std::filesystem::current_path() / "charting_pictures";
  std::filesystem::create_directories(out);
  TBitmap bmp(640, 480);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(Rect(0, 0, 640, 480));
  struct Axis {
    TScaleType type;
    TRect at;
    Double lo, hi;
    bool log;
    TFigType labels;
    bool opaque;
  };
  const Axis axes[] = {
      {sctXB, Rect(10, 10, 630, 80), 0, 100, false, ftNum, true},
      {sctXT, Rect(10, 90, 630, 160), 1, 1000, true, ftNum, true},
      {sctYL, Rect(10, 170, 200, 470), 0, 3600, false, ftTime, true},
      // Transparent: along the axis it keeps its own pixels, so it spans the picture's height
      // and its margins place the axis beside the time scale.
      {sctYR, Rect(220, 0, 420, 480), 45000, 45010, false, ftDateTime, false},
  };
  for (const Axis& a : axes) {
    TScale s(nullptr, TScale::THelper{});
    s.SetBounds(0, 0, a.at.Right - a.at.Left, a.at.Bottom - a.at.Top);
    s.SetScaleType(a.type);
    s.SetRange(a.lo, a.hi);
    s.SetLabelType(a.labels);
    s.SetLogarithmic(a.log);
    s.SetMinTicks(a.log ? 4 : 3);
    s.SetTransparent(!a.opaque);
    s.SetIsHelperComponent(true);
    if (!a.opaque) {
      s.SetMarginTop(190);
      s.SetMarginBottom(30);
    }
    s.SetCaption(a.labels == ftDateTime ? "date (ticks later)" : "caption");
    s.UseForeignCanvas(bmp.Canvas(), a.at.Left, a.at.Top);
    s.ForcePaint();
    // Long ticks start on the base line and have their documented lengths.
    if (a.type == sctXB) {
      const Integer row = a.at.Top + s.Height() - 20 - 1, col = a.at.Left + s.R2M(40);
      for (int i = 0; i < 7; ++i) EXPECT_EQ(bmp.Canvas()->GetPixel(col, row - i), clBlack) << i;
      EXPECT_NE(bmp.Canvas()->GetPixel(col, row - 7), clBlack);
    }
    if (a.type == sctXT) {  // a short tick of the logarithmic axis, pointing down
      const Integer row = a.at.Top + 20, col = a.at.Left + s.R2M(3);
      for (int i = 0; i < 4; ++i) EXPECT_EQ(bmp.Canvas()->GetPixel(col, row + i), clBlack) << i;
      EXPECT_NE(bmp.Canvas()->GetPixel(col, row + 4), clBlack);
    }
    if (a.type == sctYL) {  // the time axis's long tick at 00:20:00, pointing right
      const Integer col = a.at.Left + 20, row = a.at.Top + s.R2M(1200);
      for (int i = 0; i < 6; ++i) EXPECT_EQ(bmp.Canvas()->GetPixel(col + i, row), clBlack) << i;
      EXPECT_NE(bmp.Canvas()->GetPixel(col + 6, row), clBlack);
    }
  }
  EXPECT_TRUE(SaveBitmapAsPNG(&bmp, (out / "scales.png").string()));
}
