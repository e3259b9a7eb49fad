#pragma once
// The one time base of the program: how a UTC instant for the astronomy engine is formed from
// the computer's clock and the zone information, and the clock texts shown beside it.
//
// UTC is the local wall-clock time plus the zone's bias, plus its daylight bias when the zone
// state says daylight time is in force. A computation over many instants (the tables) reads the
// zone state once and applies it to every instant, so all its rows share one offset. Nothing
// here reads TZ: the local time is that of the zone captured at start-up (TimeZone.h), the
// clock the run-time's (tests inject both).

#include <ctime>

#include "Astral.h"
#include "CRT.h"
#include "TimeZone.h"

// The zone information as read at one moment: biases, names, and which time is in force
// (TIME_ZONE_ID_STANDARD, TIME_ZONE_ID_DAYLIGHT, anything else neither).
struct TZoneState {
  TTimeZoneInformation Info;
  Cardinal State = TIME_ZONE_ID_UNKNOWN;
  bool DaylightInForce() const { return State == TIME_ZONE_ID_DAYLIGHT; }
  // Minutes to add to the local wall-clock time to get UTC.
  int UtcOffsetMinutes() const { return Info.Bias + (DaylightInForce() ? Info.DaylightBias : 0); }
};

// Reads the zone information now.
TZoneState ReadZoneState();

// The local wall-clock time of an instant (seconds since 1970 UTC).
std::tm LocalWallTime(crt::time_t Instant);
// The UTC parts of an instant by the time base, with the zone state Zone.
std::tm UtcPartsOf(crt::time_t Instant, const TZoneState& Zone);
// The same, as the engine takes it.
Astral::TUtcTime UtcInstantOf(crt::time_t Instant, const TZoneState& Zone);
// Now, on the run-time's clock, with the zone information read now.
Astral::TUtcTime UtcNow();

// The time-zone line of the main window.
String ZoneCaption(const TZoneState& Zone);

namespace TimeTexts {
inline constexpr const char* ZoneUnknown = "PC 'Set time zone automatically' is disabled";
inline constexpr const char* ZonePrefix = "Current Time Zone Name : ";
}  // namespace TimeTexts
