#pragma once
// Building the astronomy engine's inputs in the tests of the engine.

#include "Astral.h"

namespace astraltest {

inline Astral::TUtcTime Utc(int Year, int Month, int Day, int Hour, int Minute, int Second) {
  Astral::TUtcTime t;
  t.tm_year = Year - 1900;
  t.tm_mon = Month - 1;
  t.tm_mday = Day;
  t.tm_hour = Hour;
  t.tm_min = Minute;
  t.tm_sec = Second;
  return t;
}

// One engine object per computation, as every caller uses it.
inline Astral Observer(double Lat, double Lon, const Astral::TUtcTime& When) {
  Astral a;
  a.Latitude = Lat;
  a.Longitude = Lon;
  a.UtcTime = When;
  return a;
}

}  // namespace astraltest
