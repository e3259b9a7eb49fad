// The culmination search: the minute crossing gives exactly the seconds of the plain
// one-second stepping on a recorded set of cases; one culmination a day for the Sun; the start
// on the day after the current UTC date; the bound for an object that never rises; the zone
// texts.
#include "Culmination.h"

#include <gtest/gtest.h>

#include "support_planning.h"

using planningtest::PlanningTest;
using planningtest::Unix;

TEST_F(PlanningTest, FastSearchEqualsThePlainStepping) {
  struct Case {
    const char* what;
    size_t object;  // index into CulminationObjects
    TObserver observer;
    crt::time_t now;
    int count;
  } cases[] = {
      {"Sun, mid latitude, winter", 1, {52.1, 5.2}, Unix(2026, 12, 8, 12), 30},
      {"Sun across the change to daylight time", 1, {52.1, 5.2}, Unix(2026, 3, 20, 12), 12},
      {"Moon, mid latitude", 0, {52.1, 5.2}, Unix(2026, 12, 8, 12), 8},
      {"Moon, on the equator", 0, {0.0, -70.0}, Unix(2026, 6, 1, 3), 4},
      {"Moon, far north", 0, {69.6, 18.9}, Unix(2026, 9, 1, 3), 4},
      {"Cassiopeia-A, circumpolar", 4, {52.1, 5.2}, Unix(2026, 12, 8, 12), 8},
      {"Cygnus-A, southern observer", 2, {-33.9, 18.4}, Unix(2026, 7, 1, 12), 8},
      {"Sagittarius-A, low in the south", 5, {55.0, 12.0}, Unix(2026, 2, 1, 12), 6},
      {"3C273 near the equator", 7, {1.3, 103.8}, Unix(2026, 4, 15, 12), 6},
  };
  for (const Case& c : cases) {
    ClockAt(c.now);
    const crt::time_t start = CulminationStart(c.now);
    const TSkyObject& object = CulminationObjects()[c.object];
    const TCulminationResult fast = FindCulminations(object, c.observer, start, c.count);
    const TCulminationResult plain = FindCulminationsPlain(object, c.observer, start, c.count);
    ASSERT_EQ(fast.Rows.size(), static_cast<size_t>(c.count)) << c.what;
    ASSERT_EQ(plain.Rows.size(), fast.Rows.size()) << c.what;
    for (size_t i = 0; i < fast.Rows.size(); ++i) {
      EXPECT_EQ(fast.Rows[i].Instant, plain.Rows[i].Instant) << c.what << " row " << i;
      EXPECT_EQ(fast.Rows[i].Azimuth, plain.Rows[i].Azimuth) << c.what << " row " << i;
      EXPECT_EQ(fast.Rows[i].Elevation, plain.Rows[i].Elevation) << c.what << " row " << i;
      EXPECT_GE(fast.Rows[i].Instant, start) << c.what;
    }
  }
}

TEST_F(PlanningTest, TheSunCulminatesOnceADayNearSouth) {
  const crt::time_t now = Unix(2026, 12, 8, 12);
  ClockAt(now);
  const crt::time_t start = CulminationStart(now);
  EXPECT_EQ(start, Unix(2026, 12, 8, 23));  // 00:00 CET on the 9th
  int rows = 0;
  const TCulminationResult r = FindCulminations(CulminationObjects()[1], {52.1, 5.2}, start, 30,
                                                [&rows](const TCulmination&) { ++rows; });
  EXPECT_EQ(rows, 30);
  ASSERT_EQ(r.Rows.size(), 30u);
  EXPECT_FALSE(r.GaveUp);
  for (size_t i = 0; i < r.Rows.size(); ++i) {
    const std::tm local = LocalWallTime(r.Rows[i].Instant);
    EXPECT_EQ(local.tm_mday, (9 + static_cast<int>(i) - 1) % 31 + 1) << i;
    EXPECT_EQ(local.tm_hour, 12) << i;  // about 12:40 CET at 5.2 E
    EXPECT_NEAR(r.Rows[i].Azimuth, 180, 1.5);
    EXPECT_NEAR(r.Rows[i].Elevation, 90 - 52.1 - 23, 1.5);
    EXPECT_EQ(r.Rows[i].UtcText.size(), 25u);
    EXPECT_EQ(r.Rows[i].UtcText.back(), '\n');
  }
  EXPECT_EQ(r.Rows[0].LocalText.substr(0, 11), "Wed Dec  9 ");
  EXPECT_EQ(r.Rows[0].UtcText.substr(11, 2),
            IntToStr(LocalWallTime(r.Rows[0].Instant).tm_hour - 1));
}

// A search made in winter whose culminations reach into summer: each row's UTC is its own and
// its local time the clock's then, and the note under the table says where the offset changes.
TEST_F(PlanningTest, CulminationsAcrossAChangeOfTheClock) {
  struct Case {
    const char* what;
    const char* zone;  // "" the injected Central European rule
    crt::time_t now;
    int count;
    const char* note;
  };
  const Case cases[] = {
      {"winter only", "", Unix(2026, 12, 8, 12), 5,
       "Please note that above table is calculated assuming DST NOT ACTIVE (local time = "
       "UTC+01:00)"},
      {"summer only", "", Unix(2026, 7, 8, 12), 5,
       "Please note that above table is calculated assuming DST ACIIVE (local time = "
       "UTC+02:00)"},
      // Noon at 5.2 E is 11:39 UTC; the equation of time makes it 11:44 at the end of March.
      {"into summer", "Europe/Berlin", Unix(2026, 3, 20, 12), 20,
       "Please note that above table spans a change of local time: UTC+01:00 up to Sat Mar 28 "
       "12:44:35 2026, UTC+02:00 (DST) from Sun Mar 29 13:44:17 2026 on"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseZone(c.zone);
    ClockAt(c.now);
    const TCulminationResult r = FindCulminations(CulminationObjects()[1], {52.1, 5.2},
                                                  CulminationStart(c.now), c.count);
    ASSERT_EQ(r.Rows.size(), static_cast<size_t>(c.count));
    for (const TCulmination& row : r.Rows) {
      EXPECT_EQ(row.UtcText, crt::AsctimeText(*crt::gmtime(&row.Instant)));
      // The Sun culminates at about 11:40 UTC at 5.2 E all year round.
      EXPECT_EQ(row.UtcText.substr(11, 3), "11:");
    }
    EXPECT_EQ(CulminationNote(r.Rows), c.note);
  }
  EXPECT_EQ(CulminationNote({}), "");
}

TEST_F(PlanningTest, AnObjectThatNeverRisesEndsTheSearch) {
  const crt::time_t now = Unix(2026, 12, 8, 12);
  ClockAt(now);
  const crt::time_t start = CulminationStart(now);
  const TCulminationResult r = FindCulminations(CulminationObjects()[5], {65.0, 25.0}, start, 30);
  EXPECT_TRUE(r.GaveUp);
  EXPECT_TRUE(r.Rows.empty());
}

TEST_F(PlanningTest, ZoneTextsOfTheCulminationWindow) {
  TZoneState winter = ClockAt(Unix(2026, 12, 8, 12));
  TZoneTexts t = CulminationZoneTexts(winter);
  EXPECT_EQ(t.DaylightStarts, "Daylight Saving starts on the Fifth Sunday of March");
  EXPECT_EQ(t.DaylightEnds, "Daylight Saving ends on the Fifth Sunday of October");
  EXPECT_EQ(t.Bias, "Current time Zone Bias : -1 hours");
  EXPECT_EQ(t.ZoneName, "Current Time Zone Name: CET (Not DST)");
  EXPECT_EQ(t.Note, "Please note that above table is calculated assuming DST NOT ACTIVE");
  t = CulminationZoneTexts(ClockAt(Unix(2026, 7, 8, 12)));
  EXPECT_EQ(t.ZoneName, "Current Time Zone Name: CEST (DST)");
  EXPECT_EQ(t.Note, "Please note that above table is calculated assuming DST ACIIVE");

  TTimeZoneInformation india;
  india.Bias = -330;
  india.StandardName = "IST";
  SetTimeZoneForTesting(india);
  t = CulminationZoneTexts(ReadZoneState());
  EXPECT_EQ(t.DaylightStarts, CulminationTexts::NoDaylightSaving);
  EXPECT_EQ(t.DaylightEnds, CulminationTexts::NoDaylightSaving);
  EXPECT_EQ(t.Bias, "Current time Zone Bias : -5.5 hours");
  EXPECT_EQ(t.ZoneName, "Current Time Zone Name: IST (Not DST)");

  TZoneState absolute = winter;
  absolute.Info.DaylightDate = {2026, 3, 0, 29, 2, 0, 0, 0};
  EXPECT_EQ(CulminationZoneTexts(absolute).DaylightStarts,
            "Daylight Saving starts on the 29 March");
}
