// The plot window driven as the user does: opened from the sun-noise window on a measurement
// database made from the real 7-day solar flux list, series switched, values read under the
// mouse, window zoomed and reset. Where a sample stands is checked on the axes the window shows
// (layer 1's transform) and in the pixels of its mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

#include "Dialogs.h"
#include "NoiseDatabase.h"
#include "SunFluxList.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "Unit1.h"
#include "Unit35.h"
#include "Unit53.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSevenDays =
    testsupport::TestDataDir() / "noaa_rstn" / "swpc_7day_solar_radio_flux_2025-02-22_excerpt.txt";

constexpr double kWorkingMHz = 1415, kAperture = 10, kTsys = 100, kGain = 30.5;

struct TDay {
  std::string Date;
  std::vector<double> MHz, Sfu;
};

// The days of the real list with the Learmonth readings (the first observatory column).
std::vector<TDay> ReadSevenDays() {
  std::istringstream in(testsupport::ReadFileBytes(kSevenDays));
  std::vector<TDay> days;
  std::string line;
  const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  while (std::getline(in, line)) {
    int year = 0, day = 0;
    char month[4] = {};
    if (std::sscanf(line.c_str(), "%d %3s %d", &year, month, &day) == 3 && year > 2000) {
      const int m =
          static_cast<int>(std::find_if(std::begin(months), std::end(months),
                                        [&](const char* s) { return s == std::string(month); }) -
                           std::begin(months)) +
          1;
      char date[40];
      std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, m, day);
      days.push_back({date, {}, {}});
      continue;
    }
    double mhz = 0, sfu = 0;
    if (!days.empty() && std::sscanf(line.c_str(), "%lf %lf", &mhz, &sfu) == 2 && sfu > 0) {
      days.back().MHz.push_back(mhz);
      days.back().Sfu.push_back(sfu);
    }
  }
  return days;
}

class PlotWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form1 = new TForm1(nullptr);
    Form1->Receiver.Frequency = kWorkingMHz;
    Form1->Figures.EffectiveAperture = kAperture;
    Form1->Figures.Tsys = kTsys;
    Form1->Figures.AntennaGain = kGain;
  }
  void TearDown() override {
    delete Form53;
    Form53 = nullptr;
    delete Form35;
    Form35 = nullptr;
    delete Form1;
    Form1 = nullptr;
  }
  // One record per day of the real list that has three readings or more; the measured value
  // lies below the expected one by a quarter dB per record.
  int WriteRealDatabase() {
    int k = 0;
    String text;
    for (const TDay& d : ReadSevenDays()) {
      if (d.Sfu.size() < 3) continue;
      const TSunNoise s = ComputeSunNoise(d.MHz, d.Sfu, kWorkingMHz, kAperture, kTsys);
      ++k;
      const float measured = static_cast<float>(s.SunYFactor - 0.25 * k);
      for (const auto& l : NewNoiseRecord(k, d.Date, "12:00:00", kWorkingMHz, kGain, kTsys,
                                          s.SunFlux, s.SunYFactor, measured, "Learmonth " + d.Date))
        text += l + "\r\n";
    }
    dir.write("NoiseMeasurements.txt", text);
    return k;
  }
  void WriteRecords(const std::vector<float>& Measured, const std::vector<float>& Expected) {
    String text;
    for (size_t k = 0; k < Measured.size(); ++k)
      for (const auto& l : NewNoiseRecord(static_cast<int>(k) + 1, "2026-12-01", "09:00:00", 1296,
                                          30, 90, 1e6, Expected[k], Measured[k], "c"))
        text += l + "\r\n";
    dir.write("NoiseMeasurements.txt", text);
  }
  void Open() {
    Form35 = new TForm35(nullptr);
    Form53 = new TForm53(nullptr);
    Form35->Button10Click(Form35->Button10);
  }
  // The pixel of (x, y) on the axes the window shows, layer 1's.
  TPoint PixelOf(double x, double y) const {
    Integer px = 0, py = 0;
    Form53->ZOdoza1->R2M(1, x, y, px, py);
    return {px, py};
  }
  // How many corners of the 5 x 5 open square a sample's mark draws around P have the colour.
  int MarkCorners(TPoint P, TColor Color) const {
    TCanvas* c = Form53->ZOdoza1->ChartBmp()->Canvas();
    int n = 0;
    for (int dx : {-2, 2})
      for (int dy : {-2, 2}) n += c->GetPixel(P.X + dx, P.Y + dy) == Color;
    return n;
  }
  // Each sample 1 .. n of the values carries its mark where the shown axes put it.
  void ExpectMarksOnTheShownAxes(const std::vector<float>& Values, int n, TColor Color) const {
    for (int i = 1; i <= n; ++i)
      EXPECT_GE(MarkCorners(PixelOf(i, Values[static_cast<size_t>(i)]), Color), 3)
          << "sample " << i;
  }
  // What the read-out names with the pointer at (x, y) of the shown axes.
  String SampleUnder(double x, double y) {
    MoveTo(PixelOf(x, y));
    return Form53->Edit1->Text();
  }
  void MoveTo(TPoint P) { Form53->ZOdoza1->WMMouseMoveInChart(0, P.X, P.Y); }
  std::vector<String> ReadOut() const {
    std::vector<String> t;
    for (TEdit* e : {Form53->Edit1, Form53->Edit3, Form53->Edit4, Form53->Edit5, Form53->Edit6,
                     Form53->Edit7, Form53->Edit8, Form53->Edit9, Form53->Edit10})
      t.push_back(e->Text());
    return t;
  }
  std::vector<TColor> Picture() const {
    std::vector<TColor> p;
    TCanvas* c = Form53->ZOdoza1->ChartBmp()->Canvas();
    for (int y = 0; y < Form53->ZOdoza1->Height(); ++y)
      for (int x = 0; x < Form53->ZOdoza1->Width(); ++x) p.push_back(c->GetPixel(x, y));
    return p;
  }
  std::vector<bool> VisibleLayers() const {
    std::vector<bool> v;
    for (int l = 1; l <= 5; ++l) v.push_back(Form53->ZOdoza1->GetLayerVisib(l));
    return v;
  }

  fs::path start = fs::current_path();
  testsupport::TempDir dir;
  TScopedDialogScript dialogs;
};

}  // namespace

TEST_F(PlotWindowTest, PlotOpensOnTheMeasuredSeriesOfTheRealDatabase) {
  const int n = WriteRealDatabase();
  ASSERT_GE(n, 3);
  Open();
  EXPECT_TRUE(Form53->Visible());
  EXPECT_TRUE(Form53->MeasuredShown);
  EXPECT_FALSE(Form53->FluxShown || Form53->ExpectedShown || Form53->DeltaShown ||
               Form53->BothShown);
  EXPECT_EQ(Form53->Edit2->Text(), " Sun Noise measured ");
  EXPECT_EQ(Form53->Label6->Caption(), " dB ");
  EXPECT_EQ(Form53->Label13->Caption(), "Sun Noise measured");
  EXPECT_TRUE(Form53->Edit9->Visible());
  EXPECT_FALSE(Form53->Edit10->Visible());
  EXPECT_EQ(Form53->ZOdoza1->ActiveLayer(), 3);
  // A move, a line to each sample and a mark at each.
  EXPECT_EQ(Form53->ZOdoza1->NumItems(), 1 + 2 * n);
  EXPECT_EQ(VisibleLayers(), (std::vector<bool>{false, false, true, false, false}));
  const auto& m = Form35->SampleMeasured;
  const auto [lo, hi] = std::minmax_element(m.begin() + 1, m.begin() + 1 + n);
  // The shown axes: the samples with a sample's room on either side, the values with a little
  // room above and below (2 % of their span) so that no mark lies on the frame.
  const double pad = 0.02 * (*hi - *lo);
  EXPECT_DOUBLE_EQ(Form53->ZOdoza1->GetScalePropsY1()->RangeLow(), *lo - pad);
  EXPECT_DOUBLE_EQ(Form53->ZOdoza1->GetScalePropsY1()->RangeHigh(), *hi + pad);
  EXPECT_DOUBLE_EQ(Form53->ZOdoza1->GetScalePropsX1()->RangeLow(), 0);
  EXPECT_DOUBLE_EQ(Form53->ZOdoza1->GetScalePropsX1()->RangeHigh(), n + 1);
  ExpectMarksOnTheShownAxes(m, n, clRed);
  EXPECT_TRUE(Form53->ZOdoza1->AutoRedraw());
}

TEST_F(PlotWindowTest, EachButtonShowsItsSeriesAlone) {
  const int n = WriteRealDatabase();
  Open();
  struct Case {
    void (TForm53::*Click)(TObject*);
    bool TForm53::*Flag;
    int Layer;
    const char* Title;
    const char* Unit;
    const char* YCaption;
    const char* XCaption;
    int Items;
    // The marks: values and colour, and for expected vs measured the second series.
    std::vector<float> TForm35::*Marks;
    TColor MarkColor;
    std::vector<float> TForm35::*OtherMarks = nullptr;
    TColor OtherColor = clRed;
  };
  const Case cases[] = {
      {&TForm53::Button4Click, &TForm53::FluxShown, 1, " Sun Flow ", " kJy ", "kJy", "Measure #",
       1 + 2 * n, &TForm35::SampleFlux, clBlack},
      {&TForm53::Button5Click, &TForm53::ExpectedShown, 2, " Sun Noise expected ", " dB ", "dB",
       "Measure #", 1 + 2 * n, &TForm35::SampleExpected, clRed},
      {&TForm53::Button7Click, &TForm53::DeltaShown, 4, " Delta ", " dB ", "dB", "Measure #",
       1 + 2 * n, &TForm35::SampleDelta, clRed},
      {&TForm53::Button8Click, &TForm53::BothShown, 5, " Sun noise expected vs. measured ", " dB ",
       "dB", "Measure #", 2 * n + 2 * (1 + n), &TForm35::SampleExpected, clFuchsia,
       &TForm35::SampleMeasured, clRed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Title);
    (Form53->*c.Click)(nullptr);
    EXPECT_TRUE(Form53->*c.Flag);
    EXPECT_EQ(Form53->FluxShown + Form53->ExpectedShown + Form53->MeasuredShown +
                  Form53->DeltaShown + Form53->BothShown,
              1);
    EXPECT_EQ(Form53->Edit2->Text(), c.Title);
    EXPECT_EQ(Form53->Label6->Caption(), c.Unit);
    EXPECT_EQ(Form53->ZOdoza1->GetScalePropsY1()->Caption(), c.YCaption);
    EXPECT_EQ(Form53->ZOdoza1->GetScalePropsX1()->Caption(), c.XCaption);
    EXPECT_EQ(Form53->ZOdoza1->NumItems(), c.Items);
    for (int l = 1; l <= 5; ++l) EXPECT_EQ(Form53->ZOdoza1->GetLayerVisib(l), l == c.Layer);
    EXPECT_EQ(Form53->Edit10->Visible(), c.Layer == 5);
    // Every sample at its number and value on the axes shown, with its mark.
    ExpectMarksOnTheShownAxes(Form35->*c.Marks, n, c.MarkColor);
    if (c.OtherMarks) ExpectMarksOnTheShownAxes(Form35->*c.OtherMarks, n, c.OtherColor);
  }
  // Flux: the largest flux sets the top (with its 2 % room), the Y grid step is 50.
  Form53->Button4Click(nullptr);
  const auto& f = Form35->SampleFlux;
  const auto [lo, hi] = std::minmax_element(f.begin() + 1, f.begin() + 1 + n);
  EXPECT_DOUBLE_EQ(Form53->ZOdoza1->GetScalePropsY1()->RangeHigh(), *hi + 0.02 * (*hi - *lo));
  EXPECT_DOUBLE_EQ(Form53->ZOdoza1->GridDy(), 50);
}

TEST_F(PlotWindowTest, TheReadOutFollowsTheMouse) {
  const int n = WriteRealDatabase();
  Open();
  Form53->Button8Click(nullptr);  // expected vs measured: both value fields
  const TForm35& f = *Form35;
  MoveTo(PixelOf(2, f.SampleExpected[2]));
  const std::vector<String> shown = ReadOut();
  EXPECT_EQ(shown[0], "2");
  EXPECT_EQ(shown[1], f.SampleDate[2]);
  EXPECT_EQ(shown[3], FloatToStr(f.SampleFrequency[2]));
  EXPECT_EQ(shown[4], "30.50");
  EXPECT_EQ(shown[5], "100.00");
  EXPECT_EQ(shown[6], f.SampleComment[2]);
  EXPECT_EQ(shown[7], FormatFloat("#0.00", f.SampleExpected[2]));
  EXPECT_EQ(shown[8], FormatFloat("#0.00", f.SampleMeasured[2]));
  // Cross hair 1 sits at the pointer, in the plotted layer (its axes are not layer 1's).
  const TPoint at = PixelOf(2, f.SampleExpected[2]);
  Integer cx = 0, cy = 0;
  const TCrossHair* ch = Form53->ZOdoza1->GetCrossHair1();
  Form53->ZOdoza1->R2M(ch->Layer(), ch->PosX(), ch->PosY(), cx, cy);
  EXPECT_EQ(cx, at.X);
  EXPECT_EQ(cy, at.Y);
  EXPECT_NEAR(Form53->ZOdoza1->GetCrossHair1()->PosX(), 2, 0.05);
  EXPECT_NEAR(Form53->ZOdoza1->GetCrossHair1()->PosY(), f.SampleExpected[2], 0.05);
  EXPECT_EQ(Form53->Edit4->Text(), FormatFloat("00.00", Form53->ZOdoza1->GetCrossHair1()->PosY()));

  // Only the cross hairs were redrawn, over a data area that is current: the picture is the one
  // a full repaint gives.
  const std::vector<TColor> moved = Picture();
  Form53->ZOdoza1->Repaint();
  EXPECT_EQ(moved, Picture());

  // The read-out names the sample nearest the pointer: sample i owns i - 0.5 .. i + 0.5.
  struct Near {
    double x;
    String sample;
  } nearest[] = {{1.0, "1"},   {1.6, "2"}, {2.4, "2"}, {0.4, ""}, {n + 0.4, IntToStr(n)},
                 {n + 0.6, ""}};
  for (const Near& c : nearest) EXPECT_EQ(SampleUnder(c.x, f.SampleMeasured[1]), c.sample) << c.x;

  // Outside the data area everything empties and the cross hair goes home.
  MoveTo({2, 2});
  EXPECT_EQ(ReadOut(), std::vector<String>(9));
  EXPECT_EQ(Form53->ZOdoza1->GetCrossHair1()->PosX(), 0);
  EXPECT_EQ(Form53->ZOdoza1->GetCrossHair1()->PosY(), 0);

  // Past the last sample (x truncates to SampleCount) there is no sample to read.
  Form53->ZOdoza1MouseMoveInChart(nullptr, true, 0, f.SampleCount + 0.5, 1);
  EXPECT_EQ(ReadOut(), std::vector<String>(9));
  Form53->ZOdoza1MouseMoveInChart(nullptr, true, 0, NAN, 1);
  EXPECT_EQ(ReadOut(), std::vector<String>(9));

  // With no series drawn the read-out stays empty.
  Form53->Button9Click(nullptr);
  Form53->ZOdoza1MouseMoveInChart(nullptr, true, 0, 2, 1);
  EXPECT_EQ(ReadOut(), std::vector<String>(9));
}

TEST_F(PlotWindowTest, OneCrossHairAfterEachRedraw) {
  // The pointer rests on sample 1 while the chart is drawn anew; the next move, to the last
  // sample, leaves one cross hair, at the pointer: the picture is the one a fresh drawing gives.
  const int n = WriteRealDatabase();
  ASSERT_GE(n, 3);
  Open();
  struct Case {
    const char* what;
    std::function<void()> redraw;
  } cases[] = {
      {"Sun Noise expected", [] { Form53->Button5Click(nullptr); }},
      {"expected vs measured", [] { Form53->Button8Click(nullptr); }},
      {"Sun Flow", [] { Form53->Button4Click(nullptr); }},
      {"Delta", [] { Form53->Button7Click(nullptr); }},
      {"a new Plot", [] { Form35->Button10Click(Form35->Button10); }},
      {"a deletion",
       [this] {
         Form35->Edit6->SetText("1");
         dialogs->Answer(IDYES);
         Form35->Button7Click(Form35->Button7);
       }},
  };
  // A point a third or two thirds up the shown Y range.
  const auto At = [this](double x, double part) {
    const TScalePropsVert* y1 = Form53->ZOdoza1->GetScalePropsY1();
    return PixelOf(x, y1->RangeLow() + part * (y1->RangeHigh() - y1->RangeLow()));
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MoveTo(At(1, 1.0 / 3));
    ASSERT_EQ(Form53->Edit1->Text(), "1");
    c.redraw();
    const int last = Form35->SampleCount - 1;
    MoveTo(At(last, 2.0 / 3));
    ASSERT_EQ(Form53->Edit1->Text(), IntToStr(last));
    const std::vector<TColor> moved = Picture();
    Form53->ZOdoza1->Repaint();
    const std::vector<TColor> fresh = Picture();
    ASSERT_EQ(moved.size(), fresh.size());
    size_t differ = 0;
    for (size_t i = 0; i < moved.size(); ++i) differ += moved[i] != fresh[i];
    EXPECT_EQ(differ, 0u);
  }
}

TEST_F(PlotWindowTest, ZoomAndResetRestoreTheExactSize) {
  WriteRealDatabase();
  Open();
  const int w = Form53->Width(), h = Form53->Height();
  const TRect chart = Form53->ZOdoza1->BoundsRect();
  const int font = Form53->Font()->Size();
  Form53->Button2Click(nullptr);
  EXPECT_EQ(Form53->ZoomLevel, -1);
  EXPECT_GT(Form53->Width(), w);
  Form53->Button2Click(nullptr);
  const int big = Form53->Width();
  Form53->Button2Click(nullptr);  // a third "+" does nothing
  EXPECT_EQ(Form53->ZoomLevel, -2);
  EXPECT_EQ(Form53->Width(), big);
  Form53->Button9Click(nullptr);
  EXPECT_EQ(Form53->ZoomLevel, 0);
  EXPECT_EQ(Form53->Width(), w);
  EXPECT_EQ(Form53->Height(), h);
  EXPECT_EQ(Form53->ZOdoza1->BoundsRect(), chart);
  EXPECT_EQ(Form53->Font()->Size(), font);
  EXPECT_TRUE(Form53->ZOdoza1->Visible());
  EXPECT_EQ(Form53->Edit2->Text(), "");

  // Shrinking twice, the limit, and back step by step with "+".
  for (int i = 0; i < 3; ++i) Form53->Button3Click(nullptr);
  EXPECT_EQ(Form53->ZoomLevel, 2);
  EXPECT_LT(Form53->Width(), w);
  Form53->Button2Click(nullptr);
  Form53->Button2Click(nullptr);
  EXPECT_EQ(Form53->ZoomLevel, 0);
  EXPECT_EQ(Form53->Width(), w);
  EXPECT_EQ(Form53->ZOdoza1->BoundsRect(), chart);

  // "Plot " again undoes a zoom too.
  Form53->Button3Click(nullptr);
  Form35->Button10Click(Form35->Button10);
  EXPECT_EQ(Form53->ZoomLevel, 0);
  EXPECT_EQ(Form53->Width(), w);
}

TEST_F(PlotWindowTest, SamplesStandAtTheirNumbersOnTheShownAxes) {
  // Each sample stands at its number and value on the axes the window shows (layer 1's, the
  // series' layer follows them), whole inside the frame, with its mark, and the read-out names
  // it with the value under the pointer; a series of equal values gets a readable range.
  struct Case {
    const char* what;
    std::vector<float> measured, expected;
    void (TForm53::*Click)(TObject*);
    std::vector<float> TForm35::*Values;
    TColor Color;
  } cases[] = {
      {"one record", {7.5F}, {8}, &TForm53::Button6Click, &TForm35::SampleMeasured, clRed},
      {"two records", {7, 8}, {9, 9}, &TForm53::Button6Click, &TForm35::SampleMeasured, clRed},
      {"three records",
       {19.4F, 20.5F, 18},
       {21, 21, 21},
       &TForm53::Button6Click,
       &TForm35::SampleMeasured,
       clRed},
      {"equal expected values",
       {7, 8, 9},
       {21, 21, 21},
       &TForm53::Button5Click,
       &TForm35::SampleExpected,
       clRed},
      {"equal fluxes (1000 kJy)",
       {7, 8, 9},
       {21, 21, 21},
       &TForm53::Button4Click,
       &TForm35::SampleFlux,
       clBlack},
      {"all deltas negative: the range reaches 0",
       {11, 12, 13},
       {10, 10, 10},
       &TForm53::Button7Click,
       &TForm35::SampleDelta,
       clRed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteRecords(c.measured, c.expected);
    if (Form53 == nullptr)
      Open();
    else
      Form35->Button10Click(Form35->Button10);
    (Form53->*c.Click)(nullptr);
    const int n = static_cast<int>(c.measured.size());
    const std::vector<float>& v = Form35->*c.Values;
    TScalePropsHoriz* x1 = Form53->ZOdoza1->GetScalePropsX1();
    TScalePropsVert* y1 = Form53->ZOdoza1->GetScalePropsY1();
    EXPECT_EQ(x1->RangeLow(), 0);
    EXPECT_EQ(x1->RangeHigh(), n + 1);
    const auto [lo, hi] = std::minmax_element(v.begin() + 1, v.begin() + 1 + n);
    EXPECT_GE(y1->RangeHigh() - y1->RangeLow(), std::min(1.0, 0.1 * std::fabs(*lo)));
    const int top = PixelOf(0, y1->RangeHigh()).Y, bottom = PixelOf(0, y1->RangeLow()).Y;
    const double perPixel = (y1->RangeHigh() - y1->RangeLow()) / (bottom - top);
    if (*lo == *hi) {
      EXPECT_NEAR(PixelOf(1, *lo).Y, (top + bottom) / 2.0, 1);  // the middle
    }
    ExpectMarksOnTheShownAxes(v, n, c.Color);
    for (int i = 1; i <= n; ++i) {
      const double value = v[static_cast<size_t>(i)];
      EXPECT_GE(PixelOf(i, value).Y, top + 2) << i;  // the whole mark inside the frame
      EXPECT_LE(PixelOf(i, value).Y, bottom - 2) << i;
      EXPECT_EQ(SampleUnder(i, value), IntToStr(i));
      EXPECT_EQ(Form53->Edit9->Text(), FormatFloat("#0.00", value));
      double underPointer = NAN;
      EXPECT_TRUE(TryStrToFloat(Form53->Edit4->Text(), underPointer)) << i;
      EXPECT_NEAR(underPointer, value, perPixel + 0.005) << i;
    }
  }
}

TEST_F(PlotWindowTest, EdgeDatabases) {
  WriteRecords({7.5F}, {8});
  Open();
  EXPECT_EQ(Form53->ZOdoza1->NumItems(), 3);

  // All deltas negative: the range reaches 0 (the largest value starts there), with its 2 %
  // room on either side.
  WriteRecords({11, 12, 13}, {10, 10, 10});  // delta = expected - measured
  Form35->Button10Click(Form35->Button10);
  Form53->Button7Click(nullptr);
  EXPECT_DOUBLE_EQ(Form53->ZOdoza1->GetScalePropsY1()->RangeLow(), -3.06);
  EXPECT_DOUBLE_EQ(Form53->ZOdoza1->GetScalePropsY1()->RangeHigh(), 0.06);

  // A database without records: an empty chart with a range the right way round, no read-out.
  dir.write("NoiseMeasurements.txt", "");
  Form35->Button10Click(Form35->Button10);
  EXPECT_EQ(Form35->SampleCount, 1);
  for (auto click : {&TForm53::Button4Click, &TForm53::Button5Click, &TForm53::Button6Click,
                     &TForm53::Button7Click, &TForm53::Button8Click}) {
    (Form53->*click)(nullptr);
    EXPECT_EQ(Form53->ZOdoza1->NumItems(), 0);
    EXPECT_LT(Form53->ZOdoza1->GetScalePropsY1()->RangeLow(),
              Form53->ZOdoza1->GetScalePropsY1()->RangeHigh());
    Form53->ZOdoza1MouseMoveInChart(nullptr, true, 0, 1, 1);
    EXPECT_EQ(Form53->Edit1->Text(), "");
  }
}

TEST_F(PlotWindowTest, DeletionRedrawsAndCloseClears) {
  const int n = WriteRealDatabase();
  Open();
  Form53->Button5Click(nullptr);
  Form35->Edit6->SetText("1");
  dialogs->Answer(IDYES);
  Form35->Button7Click(Form35->Button7);
  // The plot was reopened on the measured series: the expected series is not shown again.
  EXPECT_EQ(Form35->SampleCount, n);
  EXPECT_TRUE(Form53->MeasuredShown);
  EXPECT_EQ(Form53->ZOdoza1->NumItems(), 1 + 2 * (n - 1));

  Form53->Button1Click(nullptr);
  EXPECT_FALSE(Form53->Visible());
  EXPECT_FALSE(Form53->MeasuredShown);
  EXPECT_EQ(Form53->ZOdoza1->NumItems(), 0);
  EXPECT_EQ(Form53->ZOdoza1->GetScalePropsY1()->Caption(), "");
  EXPECT_EQ(Form53->Label6->Caption(), "");
}

TEST_F(PlotWindowTest, ScreenshotWithRealData) {
  WriteRealDatabase();
  Open();
  Form53->Button8Click(nullptr);
  const TForm35& f = *Form35;
  MoveTo(PixelOf(3, f.SampleExpected[3]));
  for (int pass = 0; pass < 3; ++pass) Application->ProcessMessages();
  const fs::path out = start / "noise_pictures";
  fs::create_directories(out);
  const fs::path file = out / "plot_window.png";
  fs::remove(file);
  ASSERT_TRUE(SaveFormImage(Form53, file.string()));
  EXPECT_GT(fs::file_size(file), 1000u);
}
