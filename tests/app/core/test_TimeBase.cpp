// The time base and the tables built on it, with an injected clock and zone: UTC is the
// instant's own, the local time that of the zone at that instant, never from TZ.
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

// The three zone states, each with bias -60 and daylight bias -60, and zones of the zone
// database in their summer and winter (Chile's summer is daylight time; Morocco's Ramadan time
// is the clock set back).
TEST_F(TimeBaseTest, UtcLocalTimeAndTheZoneState) {
  struct Case {
    const char* what;
    const char* zone;  // "CET" the injected rule, "" the zone without rule, else a zone name
    crt::time_t now;
    Cardinal state;
    const char* local;
    const char* utc;
    const char* caption;
  };
  const Case cases[] = {
      {"daylight", "CET", Unix(2026, 7, 1, 12), TIME_ZONE_ID_DAYLIGHT, "14:00", "12:00",
       "Current Time Zone Name : CEST (DST)"},
      {"standard", "CET", Unix(2026, 1, 15, 12), TIME_ZONE_ID_STANDARD, "13:00", "12:00",
       "Current Time Zone Name : CET (Not DST)"},
      {"neither", "", Unix(2026, 7, 1, 12), TIME_ZONE_ID_UNKNOWN, "13:00", "12:00",
       "PC 'Set time zone automatically' is disabled"},
      {"Santiago in its summer", "America/Santiago", Unix(2026, 1, 15, 12),
       TIME_ZONE_ID_DAYLIGHT, "09:00", "12:00", "Current Time Zone Name : -03 (DST)"},
      {"Santiago in its winter", "America/Santiago", Unix(2026, 7, 1, 12), TIME_ZONE_ID_STANDARD,
       "08:00", "12:00", "Current Time Zone Name : -04 (Not DST)"},
      {"Casablanca in Ramadan", "Africa/Casablanca", Unix(2026, 3, 1, 12), TIME_ZONE_ID_STANDARD,
       "12:00", "12:00", "Current Time Zone Name : +00 (Not DST)"},
      {"Casablanca after Ramadan", "Africa/Casablanca", Unix(2026, 7, 1, 12),
       TIME_ZONE_ID_DAYLIGHT, "13:00", "12:00", "Current Time Zone Name : +01 (DST)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.zone == String("CET"))
      SetTimeZoneForTesting(CentralEuropeanTimeZone());
    else if (*c.zone == '\0')
      SetTimeZoneForTesting(ZoneWithoutRule());
    else
      ASSERT_TRUE(SetTimeZoneForTesting(String(c.zone)));
    ClockAt(c.now);
    const TZoneState zone = ReadZoneState();
    EXPECT_EQ(zone.State, c.state);
    if (c.zone == String("CET") || *c.zone == '\0') {
      EXPECT_EQ(zone.Info.Bias, -60);
      EXPECT_EQ(zone.Info.DaylightBias, -60);
    }
    EXPECT_EQ(Hm(LocalWallTime(c.now)), c.local);
    EXPECT_EQ(Hm(UtcPartsOf(c.now)), c.utc);
    EXPECT_EQ(ZoneCaption(zone), c.caption);
    const Astral::TUtcTime now = UtcNow();
    EXPECT_EQ(now.tm_hour, 12);
    EXPECT_EQ(now.tm_min, 0);
  }
}

// The local time rolls over into the next year while UTC is still in the old one.
TEST_F(TimeBaseTest, UtcPartsRollOverDayMonthAndYear) {
  ClockAt(Unix(2026, 12, 31, 23, 30));
  const crt::time_t t = Unix(2026, 12, 31, 23, 30, 15);
  const std::tm local = LocalWallTime(t);
  EXPECT_EQ(crt::AsctimeText(local), "Fri Jan  1 00:30:15 2027\n");
  EXPECT_EQ(crt::AsctimeText(UtcPartsOf(t)), "Thu Dec 31 23:30:15 2026\n");
  const Astral::TUtcTime u = UtcInstantOf(t);
  EXPECT_EQ(u.tm_year, 126);
  EXPECT_EQ(u.tm_mon, 11);
  EXPECT_EQ(u.tm_mday, 31);
  EXPECT_EQ(u.tm_hour, 23);
  EXPECT_EQ(u.tm_sec, 15);
}

TEST_F(TimeBaseTest, TableSizesStepsAndFirstRow) {
  const crt::time_t start = Unix(2026, 1, 15, 12, 0, 7);
  ClockAt(start);
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
    const auto rows = ComputeTable(c.kind, circumpolar, start, [&](int) { ++steps; });
    ASSERT_EQ(rows.size(), c.rows);
    EXPECT_EQ(steps, TableSpecOf(c.kind).RowsComputed);
    EXPECT_EQ(rows.front().UtcText, "Thu Jan 15 12:00:07 2026\n");
    EXPECT_EQ(rows.front().LocalText, "Thu Jan 15 13:00:07 2026\n");
    EXPECT_EQ(rows[1].Instant, start + c.step);
    std::tm second = UtcPartsOf(start + c.step);
    EXPECT_EQ(rows[1].UtcText, crt::AsctimeText(second));
    Astral a;
    a.Latitude = 52.0;
    a.Longitude = 5.0;
    a.UtcTime = UtcInstantOf(start);
    a.TrackObject(3.5, 80.0);
    EXPECT_EQ(rows.front().Azimuth, a.Azimuth);
    EXPECT_EQ(rows.front().Elevation, a.Elevation);
  }
}

TEST_F(TimeBaseTest, VisibilityKeepsOnlyRowsAboveTheHorizon) {
  const crt::time_t start = Unix(2026, 1, 15, 12);
  ClockAt(start);
  // Never rises at 52 N; a table without rows has no note.
  const auto none = ComputeTable(TTableKind::VisibilityMonth, {52.0, 5.0, 6.0, -60.0}, start);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(TableNote(none), "");
  // An equatorial object is up about half the time; the tracking table keeps the rest.
  const TTableTarget equatorial{52.0, 5.0, 6.0, 0.0};
  const auto all = ComputeTable(TTableKind::Tracking24h, equatorial, start);
  const auto visible = ComputeTable(TTableKind::Visibility24h, equatorial, start);
  size_t above = 0;
  for (const TTableRow& r : all) above += r.Elevation > 0 ? 1 : 0;
  EXPECT_EQ(visible.size(), above);
  EXPECT_GT(above, 15u);
  EXPECT_LT(above, 33u);
  for (const TTableRow& r : visible) EXPECT_GT(r.Elevation, 0.0);
}

// Every row has its own instant's UTC and the local time the clock shows then: a month table
// started in daylight time has two hours between the columns up to the change back and one
// after it, and its note says which offset the rows use and where it changes.
TEST_F(TimeBaseTest, TableRowsUseTheOffsetOfTheirOwnInstant) {
  const crt::time_t start = Unix(2026, 10, 20, 12);
  ClockAt(start);
  const auto rows = ComputeTable(TTableKind::TrackingMonth, {52.0, 5.0, 3.5, 80.0}, start);
  ASSERT_EQ(rows.size(), 720u);
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::tm utc = UtcPartsOf(rows[i].Instant);
    ASSERT_EQ(rows[i].UtcText, crt::AsctimeText(utc)) << i;
    const int utcHour = std::stoi(rows[i].UtcText.substr(11, 2));
    const int localHour = std::stoi(rows[i].LocalText.substr(11, 2));
    // The change back is at 01:00 UTC on 25 October, 109 rows after the start.
    ASSERT_EQ((localHour - utcHour + 24) % 24, i < 109 ? 2 : 1) << i;
  }
  EXPECT_EQ(rows[200].LocalText, "Wed Oct 28 21:00:00 2026\n");
  EXPECT_EQ(rows[200].UtcText, "Wed Oct 28 20:00:00 2026\n");

  struct Case {
    const char* what;
    const char* zone;  // "" the injected Central European rule
    crt::time_t start;
    TTableKind kind;
    const char* note;
  };
  const Case cases[] = {
      {"across the change back", "", start, TTableKind::TrackingMonth,
       "Please note that above table spans a change of local time: UTC+02:00 (DST) up to Sun "
       "Oct 25 02:00:00 2026, UTC+01:00 from Sun Oct 25 02:00:00 2026 on"},
      {"winter", "", Unix(2026, 12, 1, 12), TTableKind::TrackingMonth,
       "Please note that above table is calculated assuming DST NOT ACTIVE (local time = "
       "UTC+01:00)"},
      {"summer", "", Unix(2026, 7, 1, 12), TTableKind::Tracking24h,
       "Please note that above table is calculated assuming DST ACTIVE (local time = UTC+02:00)"},
      {"Santiago, end of its summer", "America/Santiago", Unix(2026, 3, 20, 12),
       TTableKind::TrackingMonth,
       "Please note that above table spans a change of local time: UTC-03:00 (DST) up to Sat "
       "Apr  4 23:00:00 2026, UTC-04:00 from Sat Apr  4 23:00:00 2026 on"},
      {"half-hour offset", "<+0530>-5:30", Unix(2026, 7, 1, 12), TTableKind::Tracking24h,
       "Please note that above table is calculated assuming DST NOT ACTIVE (local time = "
       "UTC+05:30)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseZone(c.zone);
    ClockAt(c.start);
    EXPECT_EQ(TableNote(ComputeTable(c.kind, {52.0, 5.0, 3.5, 80.0}, c.start)), c.note);
  }
}
