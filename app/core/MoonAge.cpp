#include "MoonAge.h"

#include <cmath>

namespace {

// 0h UT on the date of the new moon of 6 January 2000.
constexpr float kReferenceNewMoonJD = 2451549.5f;
// The mean synodic month in days, to the two decimals the age is shown with.
constexpr float kSynodicMonthDays = 29.53f;
// Days from the Julian day's epoch to the start of the algorithm's shifted calendar year.
constexpr double kDaysPerYear = 365.25;
constexpr double kDaysPerMonthStep = 30.6001;
constexpr double kEpochOffset = 1524.5;
constexpr int kYearOffset = 4716;

}  // namespace

float JulianDayOfDate(int Year, int Month, int Day) {
  // January and February count as months 13 and 14 of the year before, so the leap day ends
  // the shifted year.
  if (Month <= 2) {
    Year -= 1;
    Month += 12;
  }
  const int century = Year / 100;
  const int gregorian = 2 - century + century / 4;
  return static_cast<float>(gregorian + Day + std::trunc((Year + kYearOffset) * kDaysPerYear) +
                            std::trunc((Month + 1) * kDaysPerMonthStep) - kEpochOffset);
}

float MoonAgeDays(float JulianDay) {
  const float lunations = (JulianDay - kReferenceNewMoonJD) / kSynodicMonthDays;
  return (lunations - std::trunc(lunations)) * kSynodicMonthDays;
}
