// The tracking planner's table: its rows from local midnight of the start date to the end of the
// stop date (also across the changes of daylight time and before 1970) with the note of their
// offsets from UTC, the cell texts, the same result on one thread and on many, and cancelling.
#include "TrackingPlan.h"

#include <gtest/gtest.h>

#include "support_planning.h"

using planningtest::PlanningTest;
using planningtest::Unix;

namespace {

class TrackingPlanTest : public PlanningTest {
protected:
  TTrackingRequest Request(TCalendarDate Start, TCalendarDate Stop, int Interval) {
    TTrackingRequest r;
    r.Observer = {52.1, 5.2};
    r.Start = Start;
    r.Stop = Stop;
    r.IntervalMinutes = Interval;
    ClockAt(Unix(2026, 12, 8, 12));  // standard time in force
    return r;
  }
};

}  // namespace

TEST(TrackingWindow, DaysAndRowEstimate) {
  EXPECT_EQ(TrackingDays({2026, 12, 8}, {2026, 12, 8}), 1);
  EXPECT_EQ(TrackingDays({2026, 12, 8}, {2026, 12, 7}), 0);
  EXPECT_EQ(TrackingDays({2026, 1, 1}, {2026, 12, 31}), 365);
  EXPECT_EQ(TrackingDays({2028, 1, 1}, {2028, 12, 31}), 366);  // a leap year: refused
  EXPECT_EQ(TrackingRowEstimate(1, 60), 24);
  EXPECT_EQ(TrackingRowEstimate(2, 5), 576);
  EXPECT_EQ(TrackingRowEstimate(365, 1), 525600);
  EXPECT_EQ(TrackingRowEstimate(3, 0), 0);
}

TEST_F(TrackingPlanTest, RowsRunFromLocalMidnightToTheEndOfTheStopDate) {
  struct Case {
    const char* what;
    TCalendarDate start, stop;
    int interval;
    int rows;
    const char* first;
    const char* last;
    const char* note;
    const char* zone = "";
  } cases[] = {
      {"one day, hourly",
       {2026, 12, 8},
       {2026, 12, 8},
       60,
       24,
       "Tue Dec  8 00:00:00 2026\n",
       "Tue Dec  8 23:00:00 2026\n",
       "Local time = UTC+01:00"},
      {"two days, 5 minutes",
       {2026, 12, 8},
       {2026, 12, 9},
       5,
       576,
       "Tue Dec  8 00:00:00 2026\n",
       "Wed Dec  9 23:55:00 2026\n",
       "Local time = UTC+01:00"},
      {"to the end of the year",
       {2026, 12, 31},
       {2026, 12, 31},
       30,
       48,
       "Thu Dec 31 00:00:00 2026\n",
       "Thu Dec 31 23:30:00 2026\n",
       "Local time = UTC+01:00"},
      {"daylight time starts: an hour less",
       {2026, 3, 29},
       {2026, 3, 29},
       60,
       23,
       "Sun Mar 29 00:00:00 2026\n",
       "Sun Mar 29 23:00:00 2026\n",
       "Local time: UTC+01:00 up to Sun Mar 29 01:00:00 2026, UTC+02:00 (DST) from Sun Mar 29 "
       "03:00:00 2026 on"},
      {"daylight time ends: an hour more",
       {2026, 10, 25},
       {2026, 10, 25},
       60,
       25,
       "Sun Oct 25 00:00:00 2026\n",
       "Sun Oct 25 23:00:00 2026\n",
       "Local time: UTC+02:00 (DST) up to Sun Oct 25 02:00:00 2026, UTC+01:00 from Sun Oct 25 "
       "02:00:00 2026 on"},
      {"a year, both changes",
       {2026, 1, 1},
       {2026, 12, 31},
       60,
       8760,
       "Thu Jan  1 00:00:00 2026\n",
       "Thu Dec 31 23:00:00 2026\n",
       "Local time: UTC+01:00 up to Sun Mar 29 01:00:00 2026, UTC+02:00 (DST) from Sun Mar 29 "
       "03:00:00 2026 to Sun Oct 25 02:00:00 2026, UTC+01:00 from Sun Oct 25 02:00:00 2026 on"},
      {"Santiago skips the midnight of 6 September",
       {2026, 9, 5},
       {2026, 9, 6},
       60,
       47,
       "Sat Sep  5 00:00:00 2026\n",
       "Sun Sep  6 23:00:00 2026\n",
       "Local time: UTC-04:00 up to Sat Sep  5 23:00:00 2026, UTC-03:00 (DST) from Sun Sep  6 "
       "01:00:00 2026 on",
       "America/Santiago"},
      {"before 1970",
       {1969, 12, 31},
       {1970, 1, 1},
       60,
       48,
       "Wed Dec 31 00:00:00 1969\n",
       "Thu Jan  1 23:00:00 1970\n",
       "Local time = UTC+01:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseZone(c.zone);
    TTrackingPlan plan;
    ASSERT_TRUE(ComputeTrackingPlan(Request(c.start, c.stop, c.interval), plan));
    ASSERT_EQ(plan.RowCount(), c.rows);
    EXPECT_EQ(plan.TimeText(0), c.first);
    EXPECT_EQ(plan.TimeText(c.rows - 1), c.last);
    EXPECT_EQ(plan.LocalTimeNote(), c.note);
  }
  UseZone("");
  // The repeated hour shows twice in the time column.
  TTrackingPlan autumn;
  ComputeTrackingPlan(Request({2026, 10, 25}, {2026, 10, 25}, 60), autumn);
  EXPECT_EQ(autumn.TimeText(2), "Sun Oct 25 02:00:00 2026\n");
  EXPECT_EQ(autumn.TimeText(3), "Sun Oct 25 02:00:00 2026\n");

  TTrackingPlan late;
  EXPECT_TRUE(ComputeTrackingPlan(Request({2088, 12, 1}, {2089, 1, 1}, 60), late));
  EXPECT_EQ(late.RowCount(), 0);
}

TEST_F(TrackingPlanTest, CellsAreTheEnginePositionsThroughTheTimeBase) {
  TTrackingRequest r = Request({2026, 10, 24}, {2026, 10, 26}, 30);
  r.Horizon.MinEl[3] = 20;  // 90..120: higher there
  TTrackingPlan plan;
  ASSERT_TRUE(ComputeTrackingPlan(r, plan));
  // Instants step from local midnight in fixed seconds; each goes to the engine as its own UTC,
  // before and after daylight time ended.
  const crt::time_t midnight = Unix(2026, 10, 23, 22);  // 00:00 CEST on the 24th
  int hidden = 0, shown = 0;
  for (int row : {0, 17, 60, 61, 62, 100, plan.RowCount() - 1}) {
    const crt::time_t t = midnight + static_cast<crt::time_t>(row) * 1800;
    ASSERT_EQ(plan.Instant(row), t);
    for (int col = 1; col <= PlannerObjectCount; ++col) {
      const TSkyPosition p = PositionOf(DriftObjects()[static_cast<size_t>(col - 1)], r.Observer,
                                        UtcInstantOf(t));
      const int a = WholeAzimuth(p.Azimuth), e = WholeDegrees(p.Elevation);
      const bool visible = r.Horizon.Visible(a, e);
      EXPECT_EQ(plan.CellVisible(row, col), visible);
      EXPECT_EQ(plan.CellText(row, col), visible ? IntToStr(a) + " : " + IntToStr(e) : String("-"));
      (visible ? shown : hidden) += 1;
    }
  }
  EXPECT_GT(shown, 0);
  EXPECT_GT(hidden, 0);
  EXPECT_EQ(plan.CellText(0, 0), "");
  EXPECT_EQ(plan.CellText(0, 12), "");
  EXPECT_EQ(plan.CellText(plan.RowCount(), 1), "");
}

TEST_F(TrackingPlanTest, ObjectsDueNorthAreAboveTheHorizon) {
  // Cassiopeia passes north below the pole at 45.5 N: its azimuth crosses 360 while it stands
  // at 14.5 degrees. An azimuth that rounds to 360 is 0, in the first sector, not in none.
  UseZone("Europe/Rome");
  TTrackingRequest r = Request({2026, 12, 11}, {2026, 12, 11}, 1);
  r.Observer = {45.5, 9.2};
  TTrackingPlan plan;
  ASSERT_TRUE(ComputeTrackingPlan(r, plan));
  constexpr int Cassiopeia = 5;
  struct Case {
    int row;  // minutes after local midnight
    const char* time;
    const char* cell;
  } cases[] = {
      {6 * 60 + 24, "Fri Dec 11 06:24:00 2026\n", "359 : 14"},
      {6 * 60 + 25, "Fri Dec 11 06:25:00 2026\n", "0 : 14"},
      {6 * 60 + 28, "Fri Dec 11 06:28:00 2026\n", "0 : 14"},
      {6 * 60 + 29, "Fri Dec 11 06:29:00 2026\n", "0 : 14"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plan.TimeText(c.row), c.time);
    EXPECT_EQ(plan.CellText(c.row, Cassiopeia), c.cell) << c.time;
  }

  // Over a year, with every minimum 0, a cell is shown exactly when its elevation is not below
  // 0, and no azimuth reads 360.
  TTrackingPlan year;
  r.Start = {2026, 1, 1};
  r.Stop = {2026, 12, 31};
  r.IntervalMinutes = 60;
  ASSERT_TRUE(ComputeTrackingPlan(r, year));
  int north = 0;
  for (int row = 0; row < year.RowCount(); ++row)
    for (int col = 1; col <= PlannerObjectCount; ++col) {
      ASSERT_EQ(year.CellVisible(row, col), year.CellElevation(row, col) >= 0)
          << year.TimeText(row) << col;
      ASSERT_LT(year.CellAzimuth(row, col), 360);
      if (year.CellAzimuth(row, col) == 0 && year.CellVisible(row, col)) ++north;
    }
  EXPECT_GT(north, 0);
}

TEST_F(TrackingPlanTest, OneThreadAndManyGiveTheSameTable) {
  const TTrackingRequest r = Request({2026, 12, 8}, {2026, 12, 14}, 5);
  TTrackingPlan one, many;
  ASSERT_TRUE(ComputeTrackingPlan(r, one, nullptr, 1));
  ASSERT_TRUE(ComputeTrackingPlan(r, many, nullptr, 8));
  ASSERT_EQ(one.RowCount(), many.RowCount());
  for (int row = 0; row < one.RowCount(); ++row)
    for (int col = 1; col <= PlannerObjectCount; ++col)
      ASSERT_EQ(one.CellText(row, col), many.CellText(row, col)) << row << " " << col;
}

TEST_F(TrackingPlanTest, ProgressIsReportedAndCancelStops) {
  const TTrackingRequest r = Request({2026, 1, 1}, {2026, 12, 31}, 1);
  TTrackingPlan plan;
  double last = -1;
  int calls = 0;
  EXPECT_FALSE(ComputeTrackingPlan(r, plan, [&](double Done) {
    EXPECT_GE(Done, last);
    last = Done;
    return ++calls < 2;
  }));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(plan.RowCount(), 0);
}

TEST_F(TrackingPlanTest, AFailingProgressCallStopsTheWorkersFirst) {
  const TTrackingRequest r = Request({2026, 1, 1}, {2026, 12, 31}, 1);
  TTrackingPlan plan;
  EXPECT_THROW(ComputeTrackingPlan(r, plan, [](double) -> bool { throw EAbort("stop"); }), EAbort);
  EXPECT_EQ(plan.RowCount(), 0);
}
