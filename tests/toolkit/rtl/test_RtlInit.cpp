#include <gtest/gtest.h>

#include <cstdlib>

#include "RtlInit.h"
#include "RtlRandom.h"
#include "SysUtils.h"
#include "TimeZone.h"

namespace {

TEST(RtlInit, CapturesTheZoneOnceAndRunsHooksEveryTime) {
  ::setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
  SetClockForTesting([] { return 1719835200.0; });
  int runs = 0;
  AddRuntimeInitHook([&] {
    ++runs;
    InitRandomGenerator(8053);
  });
  FormatSettings.DecimalSeparator = ',';
  InitRuntime();
  EXPECT_EQ(FormatSettings.DecimalSeparator, '.');
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(RandSeed, 8053u);
  TTimeZoneInformation z;
  EXPECT_EQ(GetTimeZoneInformation(z), TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(z.Bias, 300);

  ::setenv("TZ", "UTC", 1);
  Random(10);
  InitRuntime();  // a fixture calling it again: same generator state, zone kept
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(RandSeed, 8053u);
  EXPECT_EQ(GetTimeZoneInformation(z), TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(z.Bias, 300);
  SetClockForTesting(nullptr);
}

}  // namespace
