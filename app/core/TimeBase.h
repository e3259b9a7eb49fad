#pragma once
// The one time base of the program: the UTC instant for the astronomy engine, the local
// wall-clock time beside it, the clock texts and the notes that say which offset from UTC the
// rows of a table use.
//
// An instant is seconds since 1970 UTC, so its UTC parts are plain calendar arithmetic; its local
// time is that of the zone captured at start-up (TimeZone.h), converted by the zone's rule in
// force at that very instant. A table that spans a change of the local clock therefore has
// true UTC on every row and the local time each row really shows; its note says which offsets
// its rows use. Nothing here reads TZ; the clock is the run-time's (tests inject both).

#include <ctime>
#include <functional>
#include <vector>

#include "Astral.h"
#include "CRT.h"
#include "TimeZone.h"

// The zone information as read at one moment: biases, names, and which time is in force
// (TIME_ZONE_ID_STANDARD, TIME_ZONE_ID_DAYLIGHT, anything else neither).
struct TZoneState {
  TTimeZoneInformation Info;
  Cardinal State = TIME_ZONE_ID_UNKNOWN;
  bool DaylightInForce() const { return State == TIME_ZONE_ID_DAYLIGHT; }
};

// Reads the zone information now.
TZoneState ReadZoneState();

// The local wall-clock time of an instant (seconds since 1970 UTC).
std::tm LocalWallTime(crt::time_t Instant);
// The UTC parts of an instant.
std::tm UtcPartsOf(crt::time_t Instant);
// The same, as the engine takes it.
Astral::TUtcTime UtcInstantOf(crt::time_t Instant);
// Now, on the run-time's clock.
Astral::TUtcTime UtcNow();

// The time-zone line of the main window.
String ZoneCaption(const TZoneState& Zone);

// ---- which offset the rows of a table use ---------------------------------------------------

// Consecutive rows whose local time has one offset from UTC.
struct TOffsetRun {
  crt::time_t First = 0, Last = 0;  // instants of the run's first and last row
  int OffsetMinutes = 0;            // local = UTC + offset
  bool Daylight = false;
};
// Adds the next row's instant: to the last run when its offset is the same, else as a new run.
void AddOffsetRun(std::vector<TOffsetRun>& Runs, crt::time_t Instant);
// The same with the offset and kind of time already known.
void AddOffsetRun(std::vector<TOffsetRun>& Runs, crt::time_t Instant, int OffsetMinutes,
                  bool Daylight);
// "UTC+02:00", "UTC-03:30", "UTC+00:00".
String UtcOffsetText(int OffsetMinutes);
// The local time of an instant as a note names a row: its asctime text without the line end.
String LocalTimeLabel(crt::time_t Instant);
// The offsets of the runs, "UTC+01:00" for one run; "UTC+02:00 (DST) up to <last row of the
// first run>, UTC+01:00 from <first row of the second> on" for more, rows named by Label.
String OffsetRunsText(const std::vector<TOffsetRun>& Runs,
                      const std::function<String(crt::time_t)>& Label = LocalTimeLabel);
// The note under a table of rows: one run gives the sentence of its kind of time (DstActive or
// DstNotActive) with the offset, "... DST ACTIVE (local time = UTC+02:00)"; several runs say
// that the table spans a change and list them; no rows give "".
String TableOffsetNote(const std::vector<TOffsetRun>& Runs, const char* DstActive,
                       const char* DstNotActive);

namespace TimeTexts {
inline constexpr const char* ZoneUnknown = "PC 'Set time zone automatically' is disabled";
inline constexpr const char* ZonePrefix = "Current Time Zone Name : ";
inline constexpr const char* SpansAChange =
    "Please note that above table spans a change of local time: ";
}  // namespace TimeTexts
