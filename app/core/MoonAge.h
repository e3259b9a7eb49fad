#pragma once
// The main window's calendar figures: the Julian day of today's date and the Moon's age. Both
// are single precision, as the window shows them.

// The Julian day at 0h UT of a Gregorian calendar date (the standard algorithm with the
// century correction): 1 January 2000 is 2451544.5.
float JulianDayOfDate(int Year, int Month, int Day);

// The Moon's age in days at JulianDay: the time since a reference new moon, modulo the mean
// synodic month. A mean figure: it runs up to about a day from the true phase (the true
// month varies, and the reference is the date of the new moon of 6 January 2000, not its
// hour).
float MoonAgeDays(float JulianDay);
