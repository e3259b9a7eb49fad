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
    const TZoneState zone = ClockAt(c.now);
    const crt::time_t start = CulminationStart(c.now, zone);
    const TSkyObject& object = CulminationObjects()[c.object];
    const TCulminationResult fast = FindCulminations(object, c.observer, start, zone, c.count);
    const TCulminationResult plain =
        FindCulminationsPlain(object, c.observer, start, zone, c.count);
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
  const TZoneState zone = ClockAt(now);
  const crt::time_t start = CulminationStart(now, zone);
  EXPECT_EQ(start, Unix(2026, 12, 8, 23));  // 00:00 CET on the 9th
  int rows = 0;
  const TCulminationResult r = FindCulminations(CulminationObjects()[1], {52.1, 5.2}, start, zone,
                                                30, [&rows](const TCulmination&) { ++rows; });
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
  // The time base's UTC: local wall clock plus the bias of the zone state read now.
  EXPECT_EQ(r.Rows[0].UtcText.substr(11, 2),
            IntToStr(LocalWallTime(r.Rows[0].Instant).tm_hour - 1));
}

TEST_F(PlanningTest, AnObjectThatNeverRisesEndsTheSearch) {
  const crt::time_t now = Unix(2026, 12, 8, 12);
  const TZoneState zone = ClockAt(now);
  const crt::time_t start = CulminationStart(now, zone);
  const TCulminationResult r =
      FindCulminations(CulminationObjects()[5], {65.0, 25.0}, start, zone, 30);
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
