#pragma once
// A fixed clock and zone (Central European Time) for the planning tests.

#include <gtest/gtest.h>

#include "CRT.h"
#include "RtlInit.h"
#include "SysUtils.h"
#include "TimeBase.h"
#include "TimeZone.h"

namespace planningtest {

// Unix time of a UTC date and time.
inline crt::time_t Unix(int Y, int M, int D, int h = 0, int m = 0, int s = 0) {
  std::tm t{};
  t.tm_year = Y - 1900;
  t.tm_mon = M - 1;
  t.tm_mday = D;
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  return static_cast<crt::time_t>(timegm(&t));
}

class PlanningTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitRuntime();
    SetTimeZoneForTesting(CentralEuropeanTimeZone());
  }
  void TearDown() override {
    SetClockForTesting(nullptr);
    SetTimeZoneForTesting(CentralEuropeanTimeZone());
  }
  // A zone of the zone database or a POSIX rule; "" the injected Central European rule.
  void UseZone(const char* Zone) {
    if (*Zone == '\0')
      SetTimeZoneForTesting(CentralEuropeanTimeZone());
    else
      ASSERT_TRUE(SetTimeZoneForTesting(String(Zone))) << Zone;
  }
  // The clock at T; the zone state read then.
  TZoneState ClockAt(crt::time_t T) {
    SetClockForTesting([T] { return static_cast<double>(T); });
    return ReadZoneState();
  }
};

}  // namespace planningtest
