#pragma once
// The system's time zone, captured once.
//
// The program puts "TZ=UTC" into its own environment at start-up, yet every local time it shows
// must be the user's. So the zone is read once, by CaptureSystemTimeZone (InitRuntime calls it
// before anything can change TZ), and from then on every local-time function of the toolkit
// (Now, crt::localtime, crt::mktime, GetTimeZoneInformation) uses the captured zone and never
// looks at TZ again.
//
// The captured zone keeps the whole history of the system's zone database entry (a tzfile as
// the TZ variable names it, or /etc/localtime) and the yearly rule that follows its last listed
// change, so every instant is converted by the rule in force at that instant: zones whose rules
// change from year to year convert right in every year. A bare POSIX rule in TZ
// ("CET-1CEST,M3.5.0,M10.5.0/3") is a zone too. GetTimeZoneInformation describes the zone in the
// platform's form (a bias and one yearly rule), taken from the changes of the current year.
//
// Daylight time is the clock set forward between two changes, whatever flag the zone database
// gives it (the database marks Irish winter time as its daylight-saving time).

#include "System.h"

// A broken-down date and time; as a change date of a zone rule: wMonth 1..12 (0 = no rule),
// wDay = week of month 1..5 (5 = last), wDayOfWeek 0 = Sunday, wHour/wMinute local clock time
// of the change (on the clock in force before it), wYear 0.
struct TSystemTime {
  Word wYear = 0;
  Word wMonth = 0;
  Word wDayOfWeek = 0;
  Word wDay = 0;
  Word wHour = 0;
  Word wMinute = 0;
  Word wSecond = 0;
  Word wMilliseconds = 0;
  bool operator==(const TSystemTime&) const = default;
};

// Biases in minutes: UTC = local standard time + Bias; during daylight time
// UTC = local time + Bias + DaylightBias.
struct TTimeZoneInformation {
  Integer Bias = 0;
  String StandardName;
  TSystemTime StandardDate;  // change from daylight to standard time
  Integer StandardBias = 0;
  String DaylightName;
  TSystemTime DaylightDate;  // change from standard to daylight time
  Integer DaylightBias = 0;
  bool operator==(const TTimeZoneInformation&) const = default;
};

constexpr Cardinal TIME_ZONE_ID_UNKNOWN = 0;  // the zone has no daylight rule
constexpr Cardinal TIME_ZONE_ID_STANDARD = 1;
constexpr Cardinal TIME_ZONE_ID_DAYLIGHT = 2;
constexpr Cardinal TIME_ZONE_ID_INVALID = 0xFFFFFFFFu;

// Reads the system zone (the TZ variable if set at this moment, else /etc/localtime) and keeps
// it. Calling it again reads the zone again; InitRuntime calls it only once.
void CaptureSystemTimeZone();
// True once a zone was captured or injected.
bool TimeZoneCaptured();

// Fills Info with the captured zone and tells whether daylight time is in force now
// (by the toolkit's clock, see SetClockForTesting). Captures the zone first if nobody did.
Cardinal GetTimeZoneInformation(TTimeZoneInformation& Info);

// Replaces the captured zone (tests; a fixed zone makes results independent of the machine).
// The zone follows Info's one yearly rule in every year, and GetTimeZoneInformation gives Info
// back as it is.
void SetTimeZoneForTesting(const TTimeZoneInformation& Info);
// The same for a zone of the system's zone database ("America/Santiago", read from TZDIR or
// /usr/share/zoneinfo) or a POSIX rule ("<-04>4<-03>,M9.1.6/24,M4.1.6/24"), as the TZ variable
// would name it. False, with the zone left as it was, when Zone is neither.
bool SetTimeZoneForTesting(const String& Zone);

// Central European Time with its rule (last Sunday of March 2:00 -> daylight, last Sunday of
// October 3:00 -> standard), names "CET"/"CEST". Tests inject it.
TTimeZoneInformation CentralEuropeanTimeZone();

// ---- conversions on the captured zone ----------------------------------------------------
// Offset of local time from UTC in minutes at a UTC instant (local = UTC + offset), and
// whether daylight time is in force then; each instant by the zone's rule of that instant.
Integer LocalOffsetMinutes(double UnixSeconds, bool* Daylight = nullptr);
// Local wall-clock seconds (seconds since 1970-01-01 00:00 of the local calendar) of a UTC instant.
double UtcToLocalSeconds(double UnixSeconds, bool* Daylight = nullptr);
// The UTC instant of a local wall-clock time. IsDst < 0 decides by the rule (a time in the
// gap of a change forward counts in the offset before the change, a time in the repeated hour
// of a change back as daylight time, or as the earlier instant when neither side is daylight
// time); 0 and 1 prefer standard or daylight time where the local time is ambiguous, or take
// that offset of a neighbouring period where the time exists only in the other.
double LocalSecondsToUtc(double LocalSeconds, int IsDst = -1, bool* Daylight = nullptr);
// The UTC instants of the first change forward and the first change back in a year (the year of
// the local calendar before the change); false when the year lacks either.
bool DaylightChangesOfYear(int Year, double& ToDaylightUtc, double& ToStandardUtc);
