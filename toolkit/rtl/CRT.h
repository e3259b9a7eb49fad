#pragma once
// The C run-time's clock and calendar functions, on the toolkit's clock (SetClockForTesting)
// and the captured time zone (TimeZone.h) instead of the process clock and the TZ variable.
// Like the C functions, localtime, gmtime and asctime return pointers to per-thread static
// buffers that the next call of the same function overwrites.

#include <ctime>

#include "System.h"

namespace crt {

using time_t = std::time_t;
using tm = std::tm;

// Seconds since 1970-01-01 00:00 UTC (whole seconds of the toolkit's clock).
time_t time(time_t* T);
// Local time of the captured zone; tm_isdst 1 during daylight time, else 0; tm_yday, tm_wday set.
tm* localtime(const time_t* T);
tm* gmtime(const time_t* T);
// Normalises the fields (tm_mon 12 -> next year, tm_mday 0 -> last day of the month before,
// ...) and returns the UTC instant of that local time of the captured zone; tm_isdst < 0 lets
// the rule decide, 0/1 force standard/daylight. Fills tm_wday, tm_yday and tm_isdst.
time_t mktime(tm* T);
// "Www Mmm dd hh:mm:ss yyyy\n": English three-letter weekday and month, the day of month
// right-aligned in two characters (a blank before a single digit), a line feed at the end:
// "Wed Jan  2 02:03:55 1980\n".
char* asctime(const tm* T);
String AsctimeText(const tm& T);
// Puts "NAME=value" into the process environment (a copy is kept, so the argument may be
// temporary; "NAME=" removes the variable). 0 on success, -1 on failure.
int putenv(const char* NameValue);
// The value of an environment variable, or "" when not set.
String getenv(const char* Name);

}  // namespace crt
