#pragma once
// The surroundings the sun-noise window tests share: no real exit, a fixed clock, no network.

#include "NetConfig.h"
#include "SysUtils.h"
#include "TimeZone.h"
#include "Unit1.h"
#include "Unit35.h"
#include "Unit36.h"

namespace noisetest {

// Thrown in place of ending the program.
struct ProgramEnded {
  int Code;
};

// Ending the program throws ProgramEnded; the clock stands at 8 December 2026, 10:15 UTC in a
// zone without offset; the internet probe goes to a closed loopback port.
inline void FixSurroundings() {
  ProgramExit = [](int Code) { throw ProgramEnded{Code}; };
  SetClockForTesting([] { return DateTimeToUnix(EncodeDateTime(2026, 12, 8, 10, 15, 0, 0)); });
  SetTimeZoneForTesting(TTimeZoneInformation{});
  NetConfig().ProbeURL = "http://127.0.0.1:1/";
  NetConfig().ProbeTimeoutMs = 1000;
}

// Closes the main window and the two noise windows; the real clock and network settings back.
inline void CloseWindowsAndRestore() {
  delete Form36;
  Form36 = nullptr;
  delete Form35;
  Form35 = nullptr;
  delete Form1;
  Form1 = nullptr;
  SetClockForTesting(nullptr);
  NetConfig() = NetConfigFromEnvironment();
}

}  // namespace noisetest
