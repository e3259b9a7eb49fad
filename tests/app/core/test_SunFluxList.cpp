#include <gtest/gtest.h>

#include <cmath>

#include "SunFluxList.h"
#include "TestSupport.h"

namespace {

// The real list in the layout of the FTP file: day 2025 Feb 20 on lines 15-24, Feb 21 (the
// day read) on lines 27-36.
std::string RealList() {
  return testsupport::ReadFileBytes(testsupport::TestDataDir() / "noaa_rstn" /
                                    "rad_txt_layout_assembled_2025-02-20_21.txt");
}

std::vector<std::string> Lines(const std::string& Text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t nl; (nl = Text.find('\n', start)) != std::string::npos; start = nl + 1)
    out.push_back(Text.substr(start, nl - start));
  if (start < Text.size()) out.push_back(Text.substr(start));
  return out;
}

std::string Join(const std::vector<std::string>& L, const char* Eol = "\n") {
  std::string s;
  for (const auto& l : L) s += l + Eol;
  return s;
}

// The real list with each data line (28-36) passed through Edit.
template <class F>
std::string EditedData(F Edit) {
  auto L = Lines(RealList());
  for (int r = 0; r < kFluxRows; ++r) Edit(L[static_cast<size_t>(27 + r)], r);
  return Join(L);
}

// Observatory k's 10-character field of a data line.
void SetField(std::string& Line, int k, const std::string& Text) {
  std::string f = Text;
  f.resize(10, ' ');
  Line.replace(static_cast<size_t>(8 + 10 * k), 10, f);
}

}  // namespace

TEST(SunFluxList, ReadsTheRealList) {
  const TSunFluxList L = ParseSunFluxList(RealList());
  EXPECT_EQ(L.Date, "2025 Feb 21");
  EXPECT_EQ(L.Header1[0], "Learmonth  ");
  EXPECT_EQ(L.Header1[3], "Penticton  ");  // the shifted fourth field
  EXPECT_EQ(L.Header1[6], " Pentict");     // the line ends inside it
  EXPECT_EQ(L.Header1[9], "");
  EXPECT_EQ(L.Header2[1], " 1200 UTC  ");
  EXPECT_EQ(L.Labels[0], "  245     ");
  EXPECT_EQ(L.Fields[0][0], "     30   ");
  EXPECT_EQ(L.Fields[0][6], "       -1");
  // Observatories 0, 1, 2 and 5 miss only 2800 MHz; Learmonth, the first, is chosen.
  EXPECT_EQ(L.BestSet, 0);
  const std::array<float, kFluxRows> learmonth = {30, 46, 77, 132, 181, -1, 206, 287, 571};
  for (size_t r = 0; r < kFluxRows; ++r) EXPECT_EQ(L.Table[r][0], learmonth[r]) << r;
  EXPECT_EQ(L.Table[5][3], 199.0F);
  const std::array<String, kFluxRows> column = {"30", "46",  "77",  "132", "181",
                                                "-1", "206", "287", "571"};
  EXPECT_EQ(L.BestColumn, column);
  EXPECT_EQ(L.PointMHz, (std::vector<double>{245, 410, 610, 1415, 2695, 4995, 8800, 15400}));
  EXPECT_EQ(L.PointSfu, (std::vector<double>{30, 46, 77, 132, 181, 206, 287, 571}));
  EXPECT_FALSE(L.AllMissing());
}

TEST(SunFluxList, CrLfLineEndsReadTheSame) {
  const std::string crlf = Join(Lines(RealList()), "\r\n");
  const TSunFluxList a = ParseSunFluxList(RealList()), b = ParseSunFluxList(crlf);
  EXPECT_EQ(a.Fields, b.Fields);
  EXPECT_EQ(a.Header1, b.Header1);
  EXPECT_EQ(a.Date, b.Date);
  EXPECT_EQ(a.PointSfu, b.PointSfu);
}

// The real day on which no observatory had reported: every reading is the list's mark -1.
TEST(SunFluxList, ADayWithNoReportsIsAllMissing) {
  const auto week =
      Lines(testsupport::ReadFileBytes(testsupport::TestDataDir() / "noaa_rstn" /
                                       "swpc_7day_solar_radio_flux_2025-02-22_excerpt.txt"));
  auto L = Lines(RealList());
  size_t day = 0;
  while (week[day] != "2025 Feb 22") ++day;
  for (size_t i = 0; i <= kFluxRows; ++i) L[26 + i] = week[day + i];
  const TSunFluxList list = ParseSunFluxList(Join(L));
  EXPECT_EQ(list.Date, "2025 Feb 22");
  EXPECT_EQ(list.BestSet, 0);
  EXPECT_TRUE(list.AllMissing());
  EXPECT_EQ(list.UsableReadings(), 0);
}

TEST(SunFluxList, AMissingObservatoryIsPassedOver) {
  // Learmonth's column blank on every line: it misses all nine, San Vito (one missing) wins.
  const TSunFluxList L =
      ParseSunFluxList(EditedData([](std::string& l, int) { SetField(l, 0, ""); }));
  EXPECT_EQ(L.Table[0][0], -1.0F);
  EXPECT_EQ(L.Fields[0][0], std::string(10, ' '));
  EXPECT_EQ(L.BestSet, 1);
  EXPECT_EQ(L.BestColumn[0], "20");
}

TEST(SunFluxList, FieldsPastTheEndOfAShortLineAreBlankNeverStale) {
  // Lines cut after the third observatory: the last four read as missing, not as the values
  // of an earlier, longer line.
  const TSunFluxList L = ParseSunFluxList(EditedData([](std::string& l, int) { l.resize(38); }));
  for (size_t r = 0; r < kFluxRows; ++r)
    for (size_t k = 3; k < kObservatories; ++k) {
      EXPECT_EQ(L.Table[r][k], -1.0F) << r << "," << k;
      EXPECT_EQ(L.Fields[r][k], "") << r << "," << k;
    }
  EXPECT_EQ(L.BestSet, 0);
  EXPECT_EQ(L.UsableReadings(), 8);
}

TEST(SunFluxList, AnOverlongLineDisturbsNothingAfterIt) {
  auto L = Lines(RealList());
  L[19] += std::string(500, 'x');  // a skipped line of the first day
  L[27] += std::string(300, ' ');  // the first data line, blanks after its fields
  const TSunFluxList list = ParseSunFluxList(Join(L));
  EXPECT_EQ(list.PointSfu, ParseSunFluxList(RealList()).PointSfu);
}

TEST(SunFluxList, TiesGoToTheEarlierObservatory) {
  // Observatories 2 and 5 miss one reading each, all others more.
  const TSunFluxList L = ParseSunFluxList(EditedData([](std::string& l, int r) {
    for (int k : {0, 1, 3, 4, 6}) SetField(l, k, r < 4 ? "  -1" : "  100");
    SetField(l, 2, r == 7 ? "  -1" : "  100");
    SetField(l, 5, r == 1 ? "  -1" : "  200");
  }));
  EXPECT_EQ(L.BestSet, 2);
}

TEST(SunFluxList, TruncatesReadingsTowardZero) {
  const TSunFluxList L = ParseSunFluxList(EditedData([](std::string& l, int r) {
    if (r == 0) SetField(l, 0, "    0.6");  // neither usable nor missing
    if (r == 1) SetField(l, 0, "  123.9");  // enters as 123
  }));
  EXPECT_EQ(L.BestSet, 0);
  EXPECT_EQ(L.BestColumn[0], "0");
  EXPECT_EQ(L.BestColumn[1], "123");
  EXPECT_EQ(L.PointMHz.front(), 410);
  EXPECT_EQ(L.PointSfu.front(), 123);
  EXPECT_EQ(L.UsableReadings(), 7);
}

TEST(SunFluxList, RefusesWhatIsNotAList) {
  struct Case {
    const char* what;
    std::string text;
    const char* detail;
  };
  auto L = Lines(RealList());
  const Case cases[] = {
      {"empty file", "", "It has 0 lines, 36 are needed."},
      {"cut after the first day", Join({L.begin(), L.begin() + 30}),
       "It has 30 lines, 36 are needed."},
      {"a word for a value", EditedData([](std::string& l, int r) {
         if (r == 3) SetField(l, 2, "  n/a");
       }),
       "Line 31, observatory 3: 'n/a' is not a flux value."},
      {"a decimal comma", EditedData([](std::string& l, int r) {
         if (r == 0) SetField(l, 0, "  30,5");
       }),
       "Line 28, observatory 1: '30,5' is not a flux value."},
      {"an absurd value", EditedData([](std::string& l, int r) {
         if (r == 8) SetField(l, 6, " 1e300");
       }),
       "Line 36, observatory 7: '1e300' is not a flux value."},
      {"a web page", "<html><body>Not found</body></html>\n", "It has 1 lines, 36 are needed."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      ParseSunFluxList(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const ESunFluxFormat& e) {
      EXPECT_EQ(e.Message, std::string(SunNoiseTexts::BadFormat) + "\n" + c.detail);
    }
  }
}

// A flat 100 sfu at every frequency: 1e6 Jy; Ae 2.76 m2 gives Ta = 1000 K; with Tsys 100 K
// the Y-factor is 10 log10(11).
TEST(SunNoise, FromAFlatSpectrumByHand) {
  const TSunNoise n = ComputeSunNoise({245, 410, 610}, {100, 100, 100}, 1296, 2.76, 100);
  EXPECT_DOUBLE_EQ(n.SunFlux, 1e6);
  EXPECT_DOUBLE_EQ(n.SunAntennaTemp, 1000);
  EXPECT_NEAR(n.SunYFactor, 10.413926851582250, 1e-12);
}

// On a reading's own frequency the spline gives the reading: 132 sfu at 1415 MHz.
TEST(SunNoise, OnTheRealListAtAReadingsFrequency) {
  const TSunFluxList L = ParseSunFluxList(RealList());
  const TSunNoise n = ComputeSunNoise(L.PointMHz, L.PointSfu, 1415, 10, 100);
  EXPECT_DOUBLE_EQ(n.SunFlux, 1.32e6);
  EXPECT_NEAR(n.SunAntennaTemp, 4782.608695652174, 1e-9);
  EXPECT_NEAR(n.SunYFactor, 16.88651920243865, 1e-12);
  // Between readings it lies between its neighbours.
  const double at1296 = ComputeSunNoise(L.PointMHz, L.PointSfu, 1296, 10, 100).SunFlux;
  EXPECT_GT(at1296, 0.77e6);
  EXPECT_LT(at1296, 1.32e6);
}

TEST(SunNoise, RefusesWhatHasNoValidResult) {
  struct Case {
    const char* what;
    std::vector<double> x, y;
    double f, tsys;
    const char* message;
  };
  const Case cases[] = {
      {"no readings", {}, {}, 1296, 100, SunNoiseTexts::TooFewReadings},
      {"two readings", {245, 410}, {30, 46}, 1296, 100, SunNoiseTexts::TooFewReadings},
      // Falling steeply: the straight continuation goes below zero far above the readings.
      {"extrapolated below zero",
       {245, 410, 610},
       {300, 200, 100},
       2000,
       100,
       SunNoiseTexts::NoValidFlux},
      {"no system temperature",
       {245, 410, 610},
       {30, 46, 77},
       300,
       0,
       SunNoiseTexts::NoValidYFactor},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      ComputeSunNoise(c.x, c.y, c.f, 2.76, c.tsys);
      ADD_FAILURE() << "computed";
    } catch (const ESunNoise& e) {
      EXPECT_EQ(e.Message, c.message);
    }
  }
}

// Outside the usable rows (245 MHz missing) the value follows the spline's straight end.
TEST(SunNoise, ExtrapolatesBelowTheFirstUsableReading) {
  const TSunNoise n = ComputeSunNoise({410, 610, 1415}, {46, 77, 132}, 300, 2.76, 100);
  const TSunNoise m = ComputeSunNoise({410, 610, 1415}, {46, 77, 132}, 355, 2.76, 100);
  // Equal steps in frequency, equal steps in flux: a line.
  EXPECT_NEAR(n.SunFlux - m.SunFlux, m.SunFlux - 460000, 1e-6);
  EXPECT_LT(n.SunFlux, 460000);
}
