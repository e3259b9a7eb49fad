// Date/time axes: tick selection from hundredths of a second to years, the label texts, the
// date written beside clock times, the range messages, and a rendered axis.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "DOV_Scale.h"
#include "SysUtils.h"

using namespace ScaleText;

namespace {

Double D(Word y, Word m, Word d, Double hours = 0) { return EncodeDate(y, m, d) + hours / 24; }

std::vector<Double> Every(Double From, Double Step, int Count) {
  std::vector<Double> r;
  for (int i = 0; i < Count; ++i) r.push_back(From + i * Step);
  return r;
}

// A visible helper scale drawing on a white bitmap with the default date format.
struct DateScale {
  TBitmap bmp{400, 400};
  TScale scale{nullptr, TScale::THelper{}};
  std::vector<String> labels;  // every text offered to OnBeforeTickLabel, in order

  explicit DateScale(TScaleType Type, Integer W = 400, Integer H = 400) : bmp(W, H) {
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(Rect(0, 0, W, H));
    scale.SetScaleType(Type);
    scale.SetIsHelperComponent(true);
    scale.SetTransparent(true);
    scale.SetBounds(0, 0, W, H);
    scale.UseForeignCanvas(bmp.Canvas(), 0, 0);
    scale.SetLabelType(ftDateTime);
    scale.OnBeforeTickLabel = [this](TObject*, TScaleType, Double, String& t) {
      labels.push_back(t);
    };
  }
  void Draw(Double Low, Double High, Integer MinTicks, bool ShortTicks) {
    scale.SetSuppressPaint(true);
    scale.SetRange(Low, High);
    scale.SetMinTicks(MinTicks);
    scale.SetShortTicks(ShortTicks);
    labels.clear();
    scale.ForcePaint();
  }
  std::vector<Double> Recorded() const {
    std::vector<Double> r;
    for (Integer i = 1; i <= scale.NumTicks(); ++i) r.push_back(scale.GetTickPos(i));
    return r;
  }
  bool InkIn(Integer Left, Integer Top, Integer Right, Integer Bottom) {
    for (Integer y = Top; y < Bottom; ++y)
      for (Integer x = Left; x < Right; ++x)
        if (bmp.Canvas()->GetPixel(x, y) != clWhite) return true;
    return false;
  }
};

// The first day of Count months from Year-Month on.
std::vector<Double> Months(Word Year, Word Month, int Count) {
  std::vector<Double> r;
  for (int i = 0; i < Count; ++i) {
    const int m = Month - 1 + i;
    r.push_back(EncodeDate(static_cast<Word>(Year + m / 12), static_cast<Word>(m % 12 + 1), 1));
  }
  return r;
}

struct TickCase {
  const char* what;
  TScaleType type;
  Double low, high;
  Integer minTicks;
  bool shortTicks;
  std::vector<Double> ticks;
  std::vector<String> labels;
};

}  // namespace

// ---- tick selection --------------------------------------------------------------------------
TEST(DateTimeTicks, StepsAndLabelsFollowTheCalendar) {
  const Double mar5 = D(2024, 3, 5);
  const std::vector<TickCase> cases = {
      {"10 days, day step 3 counted from 1 January, every day a tick",
       sctYL,
       mar5,
       mar5 + 10,
       3,
       true,
       Every(mar5, 1, 11),
       {"07-Mar-2024", "10-Mar-2024", "13-Mar-2024"}},
      {"10 days without short ticks",
       sctYL,
       mar5,
       mar5 + 10,
       3,
       false,
       Every(D(2024, 3, 7), 3, 3),
       {"07-Mar-2024", "10-Mar-2024", "13-Mar-2024"}},
      {"midnight to midnight: 8 h steps, 2 h sub-steps, a date for each day",
       sctYL,
       mar5,
       mar5 + 1,
       3,
       true,
       Every(mar5, 2.0 / 24, 13),
       {"00:00", "05-Mar-2024", "08:00", "16:00", "00:00", "06-Mar-2024"}},
      {"a range starting on an hour boundary keeps its first tick",
       sctXB,
       D(2024, 3, 5, 6),
       D(2024, 3, 5, 18),
       3,
       false,
       Every(D(2024, 3, 5, 6), 3.0 / 24, 5),
       {"06:00", "05-Mar-2024", "09:00", "12:00", "15:00", "18:00"}},
      {"two years: month step 6 from the next January or July",
       sctYL,
       D(2023, 3, 15),
       D(2025, 3, 15),
       3,
       false,
       {D(2023, 7, 1), D(2024, 1, 1), D(2024, 7, 1), D(2025, 1, 1)},
       {"Jul-2023", "Jan-2024", "Jul-2024", "Jan-2025"}},
      {"two years with short ticks: every month, long ones on January and July",
       sctYL,
       D(2023, 3, 15),
       D(2025, 3, 15),
       3,
       true,
       Months(2023, 4, 24),
       {"Jul-2023", "Jan-2024", "Jul-2024", "Jan-2025"}},
      {"301 years: year step 100, short ticks every 50 years",
       sctYL,
       D(1800, 1, 1),
       D(2101, 1, 1),
       3,
       true,
       {D(1800, 1, 1), D(1850, 1, 1), D(1900, 1, 1), D(1950, 1, 1), D(2000, 1, 1), D(2050, 1, 1),
        D(2100, 1, 1)},
       {"1800", "1900", "2000", "2100"}},
      {"a year after 1 January moves the first year tick on",
       sctXB,
       D(2002, 6, 1),
       D(2012, 6, 1),
       3,
       false,
       {D(2004, 1, 1), D(2006, 1, 1), D(2008, 1, 1), D(2010, 1, 1), D(2012, 1, 1)},
       {"2004", "2006", "2008", "2010", "2012"}},
      {"year ticks end with 31 December 9999",
       sctXB,
       D(9000, 1, 1),
       D(9999, 12, 31),
       2,
       false,
       {D(9000, 1, 1), D(9200, 1, 1), D(9400, 1, 1), D(9600, 1, 1), D(9800, 1, 1), D(9999, 12, 31)},
       {"9000", "9200", "9400", "9600", "9800", "9999"}},
      {"one second on a vertical axis: hundredths, step 0.2 s",
       sctYL,
       D(2024, 3, 5, 12),
       D(2024, 3, 5, 12) + 1.0 / 86400,
       3,
       false,
       Every(D(2024, 3, 5, 12), 0.2 / 86400, 6),
       {"12:00:00.000", "05-Mar-2024", "12:00:00.200", "12:00:00.400", "12:00:00.600",
        "12:00:00.800", "12:00:01.000"}},
      {"ten minutes on a horizontal axis: seconds are the finest, step 2 min",
       sctXT,
       D(2024, 3, 5, 12),
       D(2024, 3, 5, 12) + 10.0 / 1440,
       3,
       false,
       Every(D(2024, 3, 5, 12), 2.0 / 1440, 6),
       {"12:00", "05-Mar-2024", "12:02", "12:04", "12:06", "12:08", "12:10"}},
      {"before 1900: a day crossing midnight",
       sctYL,
       D(1899, 12, 28, 12),
       D(1899, 12, 29, 12),
       3,
       false,
       Every(D(1899, 12, 28, 16), 8.0 / 24, 3),
       {"16:00", "28-Dec-1899", "00:00", "29-Dec-1899", "08:00"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DateScale s(c.type);
    s.Draw(c.low, c.high, c.minTicks, c.shortTicks);
    const auto got = s.Recorded();
    ASSERT_EQ(got.size(), c.ticks.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.ticks[i], 1e-9) << i;
    EXPECT_EQ(s.labels, c.labels);
  }
}

TEST(DateTimeTicks, DateBesideTimeFollowsDateForTime) {
  const Double mar5 = D(2024, 3, 5);
  const struct {
    TDateForTime mode;
    std::vector<String> labels;
  } cases[] = {
      {dtNone, {"00:00", "08:00", "16:00", "00:00"}},
      {dtOnePezOdoza, {"00:00", "05-Mar-2024", "08:00", "16:00", "00:00"}},
      {dtOnePerDay, {"00:00", "05-Mar-2024", "08:00", "16:00", "00:00", "06-Mar-2024"}},
      {dtAllTicks,
       {"00:00", "05-Mar-2024", "08:00", "05-Mar-2024", "16:00", "05-Mar-2024", "00:00",
        "06-Mar-2024"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    DateScale s(sctYL);
    s.scale.DateFormat()->SetDateForTime(c.mode);
    s.Draw(mar5, mar5 + 1, 3, false);
    EXPECT_EQ(s.labels, c.labels);
  }
}

TEST(DateTimeTicks, YearTicksWithoutYearLengthHaveNoLabels) {
  DateScale s(sctXB);
  s.scale.DateFormat()->SetYearLength(ylNone);
  s.Draw(D(1800, 1, 1), D(2101, 1, 1), 3, false);
  EXPECT_EQ(s.scale.NumTicks(), 4);
  EXPECT_EQ(s.labels, std::vector<String>(4, ""));
}

TEST(DateTimeTicks, ZeroMinTicksStillGivesTicks) {
  DateScale s(sctXB);
  s.Draw(D(2024, 3, 5), D(2024, 3, 15), 0, false);
  EXPECT_EQ(s.scale.MinTicks(), 0);
  EXPECT_GT(s.scale.NumTicks(), 0);
}

// ---- messages --------------------------------------------------------------------------------
TEST(DateTimeTicks, InvalidOrTooShortRangesShowAMessageInsteadOfTicks) {
  const Double noon = D(2024, 3, 5, 12);
  const struct {
    const char* what;
    TScaleType type;
    Double low, high;
  } cases[] = {
      {"reversed, vertical", sctYL, noon + 1, noon},
      {"reversed, right axis", sctYR, noon + 1, noon},
      {"reversed, horizontal", sctXB, noon + 1, noon},
      {"before the year 1", sctXT, -693594, 0},
      {"beyond 3000000", sctYL, 2999000, 3000001},
      {"below a hundredth per tick, vertical", sctYL, noon, noon + 2e-7},
      {"below a second per tick, horizontal", sctXB, noon, noon + 1.0 / 86400},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DateScale s(c.type);
    s.Draw(c.low, c.high, 2, true);
    EXPECT_EQ(s.scale.NumTicks(), 0);
    EXPECT_TRUE(s.labels.empty());
    const Integer p = s.scale.R2M((c.low + c.high) / 2);
    switch (c.type) {
      case sctYL: EXPECT_TRUE(s.InkIn(22, p - 20, 80, p + 40)); break;
      case sctYR: EXPECT_TRUE(s.InkIn(320, p - 20, 377, p + 40)); break;
      case sctXB: EXPECT_TRUE(s.InkIn(p - 30, 386, p + 30, 400)); break;
      case sctXT: EXPECT_TRUE(s.InkIn(p - 30, 27, p + 30, 45)); break;
    }
  }
}

// ---- label texts -----------------------------------------------------------------------------
TEST(DateTimeLabels, TextsByKindAndFormat) {
  const Double t = D(2024, 3, 5, 14) + (5 * 60 + 30.25) / 86400;
  const struct {
    TDateTimeTickKind kind;
    TTimeFormat format;
    Double value;
    const char* want;
  } cases[] = {
      {dtkHours, tfHHMMSS, D(2024, 3, 5, 14), "14:00"},
      {dtkHours, tfHHhMM, D(2024, 3, 5, 14), "14h"},
      {dtkHours, tfAMPM, D(2024, 3, 5, 14), "2pm"},
      {dtkHours, tfAMPM, D(2024, 3, 5, 9), "9am"},
      {dtkMinutes, tfHHMMSS, t, "14:05"},
      {dtkMinutes, tfHHhMM, t, "14h05"},
      {dtkMinutes, tfAMPM, t, "2:05pm"},
      {dtkSeconds, tfHHMMSS, t, "14:05:30"},
      {dtkSeconds, tfHHhMM, t, "14h05:30"},
      {dtkSeconds, tfAMPM, t, "2:05.30pm"},
      {dtkHundredths, tfHHMMSS, t, "14:05:30.250"},
      {dtkHundredths, tfHHhMM, t, "14h05:30.250"},
      {dtkHundredths, tfAMPM, t, "2:05.30.250pm"},
      {dtkDays, tfHHMMSS, t, "05-Mar-2024"},
      {dtkMonths, tfHHMMSS, t, "Mar-2024"},
      {dtkYears, tfHHMMSS, D(950, 1, 1), "950"},
      {dtkYears, tfHHMMSS, t, "2024"},
      {dtkHours, tfHHMMSS, 2958466.5, ""},  // past the calendar
  };
  for (const auto& c : cases) {
    TScale s(nullptr, TScale::THelper{});
    s.DateFormat()->SetTimeFormat(c.format);
    EXPECT_EQ(DateTimeTickText(c.kind, *s.DateFormat(), c.value), c.want)
        << c.kind << " " << c.format;
  }
}

TEST(DateTimeLabels, DateOrdersYearLengthsAndSeparators) {
  const Double v = D(2024, 3, 5, 10);
  const struct {
    bool monthName;
    TYearLength year;
    TDateOrder order;
    char sep;
    const char* date;
    const char* month;
  } cases[] = {
      {true, ylYYYY, doDDMMYY, '-', "05-Mar-2024", "Mar-2024"},
      {true, ylYYYY, doMMDDYY, '-', "Mar-05-2024", "Mar-2024"},
      {true, ylYYYY, doYYMMDD, '-', "2024-Mar-05", "2024-Mar"},
      {false, ylYY, doDDMMYY, '.', "05.03.24", "03.24"},
      {false, ylNone, doDDMMYY, '/', "05/03", "03"},
      {true, ylNone, doYYMMDD, '-', "Mar-05", "Mar"},
      {false, ylYYYY, doMMDDYY, '\'', "03'05'2024", "03'2024"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.date);
    EXPECT_EQ(DateTickText(c.monthName, c.year, c.order, v, c.sep), c.date);
    TScale s(nullptr, TScale::THelper{});
    TDTLabel* f = s.DateFormat();
    f->SetMonthName(c.monthName);
    f->SetYearLength(c.year);
    f->SetDAteOrder(c.order);
    f->SetDateSeparator(c.sep);
    EXPECT_EQ(DateTimeTickText(dtkMonths, *f, v), c.month);
  }
}

TEST(DateTimeLabels, LinearDayCountsBeforeTheEpoch) {
  EXPECT_EQ(FormatTickDateTime("dd-mm-yyyy hh:nn", -1.25), "28-12-1899 18:00");
  EXPECT_EQ(FormatTickDateTime("dd-mm-yyyy hh:nn", -1), "29-12-1899 00:00");
  EXPECT_EQ(FormatTickDateTime("dd-mm-yyyy hh:nn", 1e-9), "30-12-1899 00:00");
  EXPECT_EQ(FormatTickDateTime("yyyy", -693593), "0001");
  EXPECT_EQ(FormatTickDateTime("yyyy", 2958466), "");
  EXPECT_EQ(FormatTickDateTime("yyyy", std::nan("")), "");
}

// ---- a rendered axis -------------------------------------------------------------------------
TEST(DateTimePicture, HourAxisDrawsTicksTimesAndDates) {
  DateScale s(sctXB, 400, 60);
  s.Draw(D(2024, 3, 5), D(2024, 3, 6), 3, true);
  const std::filesystem::path out = std::filesystem::current_path() / "charting_pictures";
  std::filesystem::create_directories(out);
  EXPECT_TRUE(SaveBitmapAsPNG(&s.bmp, (out / "datetime_hours.png").string()));
  const Integer base = 60 - 20 - 1;
  TCanvas* cv = s.bmp.Canvas();
  // Long tick at 08:00 (7 pixels up), short tick at 02:00 (4 pixels up).
  const Integer p8 = s.scale.R2M(D(2024, 3, 5, 8)), p2 = s.scale.R2M(D(2024, 3, 5, 2));
  for (Integer i = 0; i < 7; ++i) EXPECT_EQ(cv->GetPixel(p8, base - i), clBlack) << i;
  EXPECT_EQ(cv->GetPixel(p8, base - 7), clWhite);
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(cv->GetPixel(p2, base - i), clBlack) << i;
  EXPECT_EQ(cv->GetPixel(p2, base - 4), clWhite);
  // The time label above the long tick, the date one line higher at the day's first tick only.
  const Integer h = cv->TextHeight("0");
  EXPECT_TRUE(s.InkIn(p8 - 15, base - 7 - h, p8 + 15, base - 7));
  EXPECT_FALSE(s.InkIn(p8 - 15, base - 7 - 2 * h, p8 + 15, base - 7 - h - 1));
  EXPECT_TRUE(s.InkIn(2, std::max(0, base - 7 - 2 * h), 60, base - 7 - h));
}

TEST(DateTimePicture, VerticalAxisWritesTheDateAboveTheTime) {
  DateScale s(sctYL, 120, 400);
  s.Draw(D(2024, 3, 5, 12), D(2024, 3, 6, 12), 4, false);
  const std::filesystem::path out = std::filesystem::current_path() / "charting_pictures";
  std::filesystem::create_directories(out);
  EXPECT_TRUE(SaveBitmapAsPNG(&s.bmp, (out / "datetime_vertical.png").string()));
  // Steps of 6 h: 12:00, 18:00, 00:00 (with the new day's date), 06:00, 12:00.
  EXPECT_EQ(s.labels, (std::vector<String>{"12:00", "05-Mar-2024", "18:00", "00:00", "06-Mar-2024",
                                           "06:00", "12:00"}));
  const Integer h = s.bmp.Canvas()->TextHeight("0");
  const Integer midnight = s.scale.R2M(D(2024, 3, 6)), six = s.scale.R2M(D(2024, 3, 6, 6));
  EXPECT_TRUE(s.InkIn(28, midnight - h / 2, 110, midnight + h / 2));            // the time
  EXPECT_TRUE(s.InkIn(28, midnight - 3 * (h / 2), 110, midnight - h / 2 - 1));  // the date
  EXPECT_FALSE(s.InkIn(28, six - 3 * (h / 2), 110, six - h / 2 - 1));           // none at 06:00
}
