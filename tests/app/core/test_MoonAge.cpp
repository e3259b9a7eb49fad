// The main window's calendar figures against independent references: Julian days of dates
// whose numbers are standard (the epoch of the modified Julian day, J2000's date, the first day
// of the Gregorian calendar), and the Moon's age on the dates of new and full moons known from
// solar and lunar eclipses of 2024-2026 (an eclipse happens only at new or full moon).

#include <gtest/gtest.h>

#include <cmath>

#include "MoonAge.h"

namespace {

struct TDateCase {
  int Year, Month, Day;
  double JulianDay;
};

TEST(JulianDay, StandardDates) {
  const TDateCase cases[] = {
      {1582, 10, 15, 2299160.5},  // first day of the Gregorian calendar
      {1858, 11, 17, 2400000.5},  // modified Julian day 0
      {1999, 12, 31, 2451543.5},
      {2000, 1, 1, 2451544.5},
      {2000, 2, 29, 2451603.5},  // the leap day of a century divisible by 400
      {2000, 3, 1, 2451604.5},
      {2100, 3, 1, 2488128.5},  // 2100 has no 29 February
      {2024, 4, 8, 2460408.5},
  };
  for (const TDateCase& c : cases)
    EXPECT_EQ(JulianDayOfDate(c.Year, c.Month, c.Day), static_cast<float>(c.JulianDay))
        << c.Year << "-" << c.Month << "-" << c.Day;
}

struct TPhaseCase {
  int Year, Month, Day;
  double ExpectedAge;  // 0 at new moon, half a synodic month at full moon
  const char* Event;
};

// The age is a mean figure taken at 0h of the date: it may lie up to about a day and a half
// from the true phase (the true month's length varies by about 13 hours either way, the
// event's hour adds up to a day, and the rounded month drifts by a few hours since 2000).
TEST(MoonAge, NearTheTruePhaseAtEclipses) {
  const double halfMonth = 29.530589 / 2;
  const TPhaseCase cases[] = {
      {2024, 4, 8, 0, "total solar eclipse"},
      {2024, 10, 2, 0, "annular solar eclipse"},
      {2025, 3, 14, halfMonth, "total lunar eclipse"},
      {2025, 3, 29, 0, "partial solar eclipse"},
      {2025, 9, 7, halfMonth, "total lunar eclipse"},
      {2026, 2, 17, 0, "annular solar eclipse"},
      {2026, 3, 3, halfMonth, "total lunar eclipse"},
  };
  for (const TPhaseCase& c : cases) {
    const float age = MoonAgeDays(JulianDayOfDate(c.Year, c.Month, c.Day));
    EXPECT_GE(age, 0.0f);
    EXPECT_LT(age, 29.53f);
    // Distance on the cycle, so an age of 29.4 counts as 0.13 before the new moon.
    double off = std::fabs(age - c.ExpectedAge);
    off = std::fmin(off, 29.53 - off);
    EXPECT_LT(off, 1.5) << c.Event << " of " << c.Year << "-" << c.Month << "-" << c.Day
                        << ": age " << age;
  }
}

TEST(MoonAge, CountsDaysFromTheReferenceNewMoon) {
  EXPECT_EQ(MoonAgeDays(2451549.5f), 0.0f);
  EXPECT_NEAR(MoonAgeDays(2451549.5f + 10.0f), 10.0f, 1e-6);
}

}  // namespace
