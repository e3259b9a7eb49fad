// The time base and the tables built on it, with an injected clock and zone: UTC comes from the
// local wall-clock time and the zone state, never from TZ.
#include "TimeBase.h"
#include "TrackingTable.h"

#include <gtest/gtest.h>

#include "CRT.h"
#include "RtlInit.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "support_planning.h"

namespace {

using planningtest::Unix;

// A zone one hour east of Greenwich whose daylight time adds one more hour; without a rule the
// zone information reports neither standard nor daylight time.
TTimeZoneInformation ZoneWithoutRule() {
  TTimeZoneInformation z;
  z.Bias = -60;
  z.DaylightBias = -60;
  z.StandardName = "W. Europe Standard Time";
  z.DaylightName = "W. Europe Daylight Time";
  return z;
}

// The planning tests' clock and zone, with TZ set elsewhere as well.
class TimeBaseTest : public planningtest::PlanningTest {
protected:
  void SetUp() override {
    InitRuntime();
    // TZ points elsewhere on purpose: nothing computed may follow it.
    crt::putenv("TZ=UTC");
    SetTimeZoneForTesting(CentralEuropeanTimeZone());
  }
};

String Hm(const std::tm& T) {
  return FormatFloat("00", T.tm_hour) + ":" + FormatFloat("00", T.tm_min);
}

}  // namespace

// The three zone states, each with bias -60 and daylight bias -60.
TEST_F(TimeBaseTest, UtcFromLocalTimeAndTheZoneState) {
  struct Case {
    const char* what;
    bool withRule;
    crt::time_t now;
    Cardinal state;
    const char* local;
    const char* utc;
    const char* caption;
  };
  const Case cases[] = {
      {"daylight", true, Unix(2026, 7, 1, 12), TIME_ZONE_ID_DAYLIGHT, "14:00", "12:00",
       "Current Time Zone Name : CEST (DST)"},
      {"standard", true, Unix(2026, 1, 15, 12), TIME_ZONE_ID_STANDARD, "13:00", "12:00",
       "Current Time Zone Name : CET (Not DST)"},
      {"neither", false, Unix(2026, 7, 1, 12), TIME_ZONE_ID_UNKNOWN, "13:00", "12:00",
       "PC 'Set time zone automatically' is disabled"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetTimeZoneForTesting(c.withRule ? CentralEuropeanTimeZone() : ZoneWithoutRule());
    ClockAt(c.now);
    const TZoneState zone = ReadZoneState();
    EXPECT_EQ(zone.State, c.state);
    EXPECT_EQ(zone.Info.Bias, -60);
    EXPECT_EQ(zone.Info.DaylightBias, -60);
    EXPECT_EQ(Hm(LocalWallTime(c.now)), c.local);
    EXPECT_EQ(Hm(UtcPartsOf(c.now, zone)), c.utc);
    EXPECT_EQ(ZoneCaption(zone), c.caption);
    const Astral::TUtcTime now = UtcNow();
    EXPECT_EQ(now.tm_hour, 12);
    EXPECT_EQ(now.tm_min, 0);
  }
}

// Shifting the wall-clock reading carries day, month and year with it.
TEST_F(TimeBaseTest, UtcPartsRollOverDayMonthAndYear) {
  ClockAt(Unix(2026, 12, 31, 23, 30));
  const TZoneState zone = ReadZoneState();  // standard time
  const crt::time_t t = Unix(2026, 12, 31, 23, 30, 15);
  const std::tm local = LocalWallTime(t);
  EXPECT_EQ(crt::AsctimeText(local), "Fri Jan  1 00:30:15 2027\n");
  EXPECT_EQ(crt::AsctimeText(UtcPartsOf(t, zone)), "Thu Dec 31 23:30:15 2026\n");
  const Astral::TUtcTime u = UtcInstantOf(t, zone);
  EXPECT_EQ(u.tm_year, 126);
  EXPECT_EQ(u.tm_mon, 11);
  EXPECT_EQ(u.tm_mday, 31);
  EXPECT_EQ(u.tm_hour, 23);
  EXPECT_EQ(u.tm_sec, 15);
}

TEST_F(TimeBaseTest, TableSizesStepsAndFirstRow) {
  const crt::time_t start = Unix(2026, 1, 15, 12, 0, 7);
  ClockAt(start);
  const TZoneState zone = ReadZoneState();
  // 52 N sees a +80 declination at every hour: all rows are kept.
  const TTableTarget circumpolar{52.0, 5.0, 3.5, 80.0};
  struct Case {
    TTableKind kind;
    size_t rows;
    crt::time_t step;
  };
  for (const Case& c :
       {Case{TTableKind::Tracking24h, 48, 1800}, Case{TTableKind::TrackingMonth, 720, 3600},
        Case{TTableKind::Visibility24h, 48, 1800}, Case{TTableKind::VisibilityMonth, 720, 3600}}) {
    int steps = 0;
    const auto rows = ComputeTable(c.kind, circumpolar, start, zone, [&](int) { ++steps; });
    ASSERT_EQ(rows.size(), c.rows);
    EXPECT_EQ(steps, TableSpecOf(c.kind).RowsComputed);
    EXPECT_EQ(rows.front().UtcText, "Thu Jan 15 12:00:07 2026\n");
    EXPECT_EQ(rows.front().LocalText, "Thu Jan 15 13:00:07 2026\n");
    std::tm second = UtcPartsOf(start + c.step, zone);
    EXPECT_EQ(rows[1].UtcText, crt::AsctimeText(second));
    Astral a;
    a.Latitude = 52.0;
    a.Longitude = 5.0;
    a.UtcTime = UtcInstantOf(start, zone);
    a.TrackObject(3.5, 80.0);
    EXPECT_EQ(rows.front().Azimuth, a.Azimuth);
    EXPECT_EQ(rows.front().Elevation, a.Elevation);
  }
}

TEST_F(TimeBaseTest, VisibilityKeepsOnlyRowsAboveTheHorizon) {
  const crt::time_t start = Unix(2026, 1, 15, 12);
  ClockAt(start);
  const TZoneState zone = ReadZoneState();
  // Never rises at 52 N.
  EXPECT_TRUE(
      ComputeTable(TTableKind::VisibilityMonth, {52.0, 5.0, 6.0, -60.0}, start, zone).empty());
  // An equatorial object is up about half the time; the tracking table keeps the rest.
  const TTableTarget equatorial{52.0, 5.0, 6.0, 0.0};
  const auto all = ComputeTable(TTableKind::Tracking24h, equatorial, start, zone);
  const auto visible = ComputeTable(TTableKind::Visibility24h, equatorial, start, zone);
  size_t above = 0;
  for (const TTableRow& r : all) above += r.Elevation > 0 ? 1 : 0;
  EXPECT_EQ(visible.size(), above);
  EXPECT_GT(above, 15u);
  EXPECT_LT(above, 33u);
  for (const TTableRow& r : visible) EXPECT_GT(r.Elevation, 0.0);
}

// The zone state is read once: a month table started in daylight time keeps the daylight
// offset after the change back to standard time, two hours between the columns on every row.
TEST_F(TimeBaseTest, TableKeepsTheZoneStateItStartedWith) {
  const crt::time_t start = Unix(2026, 10, 20, 12);
  ClockAt(start);
  const TZoneState zone = ReadZoneState();
  ASSERT_EQ(zone.State, TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(TableNote(zone), TableTexts::DstActive);
  const auto rows = ComputeTable(TTableKind::TrackingMonth, {52.0, 5.0, 3.5, 80.0}, start, zone);
  ASSERT_EQ(rows.size(), 720u);
  for (size_t i : {size_t{0}, size_t{200}, size_t{719}}) {
    SCOPED_TRACE(i);
    const String& utc = rows[i].UtcText;
    const String& local = rows[i].LocalText;
    const int utcHour = std::stoi(utc.substr(11, 2));
    const int localHour = std::stoi(local.substr(11, 2));
    EXPECT_EQ((localHour - utcHour + 24) % 24, 2);
  }
  // Row 200 lies after the change (25 October): its true UTC is an hour later than shown.
  EXPECT_EQ(rows[200].LocalText, "Wed Oct 28 21:00:00 2026\n");
  EXPECT_EQ(rows[200].UtcText, "Wed Oct 28 19:00:00 2026\n");

  ClockAt(Unix(2026, 12, 1, 12));
  EXPECT_EQ(TableNote(ReadZoneState()), TableTexts::DstNotActive);
  SetTimeZoneForTesting(ZoneWithoutRule());
  EXPECT_EQ(TableNote(ReadZoneState()), "");
}
