// TDateTime: days since 30 December 1899, encode/decode, the clock, date/time text.

#include <chrono>
#include <cmath>
#include <mutex>

#include "CalendarMath.h"
#include "SysUtils.h"
#include "TimeZone.h"

const Word MonthDays[2][13] = {{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                               {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

bool IsLeapYear(Word Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

Word DaysInAMonth(Word Year, Word Month) {
  if (Month < 1 || Month > 12) return 0;
  return MonthDays[IsLeapYear(Year) ? 1 : 0][Month];
}

namespace {

using calendar::CivilFromDays;
using calendar::DaysFromCivil;

constexpr long long kDateDelta = 25569;  // days from 1899-12-30 to 1970-01-01

// Whole day number and milliseconds of the day of a TDateTime (the fraction counts forward
// from midnight also for negative values).
void Split(TDateTime DT, long long& day, long long& msOfDay) {
  if (DT >= 0) {
    long long total = std::llround(DT * MSecsPerDay);
    day = total / 86400000LL;
    msOfDay = total % 86400000LL;
  } else {
    double ip = std::trunc(DT);
    day = static_cast<long long>(ip);
    msOfDay = std::llround(std::fabs(DT - ip) * MSecsPerDay);
    if (msOfDay >= 86400000LL) msOfDay = 86400000LL - 1;
  }
}

}  // namespace

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 ||
      Day > DaysInAMonth(Year, Month))
    return false;
  Date = static_cast<double>(DaysFromCivil(Year, Month, Day) + kDateDelta);
  return true;
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time) {
  if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000) return false;
  Time = (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day) {
  TDateTime d;
  if (!TryEncodeDate(Year, Month, Day, d)) throw EConvertError("Invalid argument to date encode");
  return d;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec) {
  TDateTime t;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, t))
    throw EConvertError("Invalid argument to time encode");
  return t;
}

TDateTime EncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Min, Word Sec,
                         Word MSec) {
  TDateTime d = EncodeDate(Year, Month, Day);
  TDateTime t = EncodeTime(Hour, Min, Sec, MSec);
  return d >= 0 ? d + t : d - t;
}

void DecodeDateTime(TDateTime DT, Word& Year, Word& Month, Word& Day, Word& Hour, Word& Min,
                    Word& Sec, Word& MSec) {
  long long day, ms;
  Split(DT, day, ms);
  long long y;
  unsigned m, d;
  CivilFromDays(day - kDateDelta, y, m, d);
  Year = static_cast<Word>(y);
  Month = static_cast<Word>(m);
  Day = static_cast<Word>(d);
  Hour = static_cast<Word>(ms / 3600000);
  Min = static_cast<Word>(ms / 60000 % 60);
  Sec = static_cast<Word>(ms / 1000 % 60);
  MSec = static_cast<Word>(ms % 1000);
}

void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day) {
  Word h, n, s, z;
  DecodeDateTime(Date, Year, Month, Day, h, n, s, z);
}

void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
  Word y, m, d;
  DecodeDateTime(Time, y, m, d, Hour, Min, Sec, MSec);
}

Word DayOfWeek(TDateTime DT) {
  long long day, ms;
  Split(DT, day, ms);
  return static_cast<Word>(((day % 7) + 7 + 6) % 7 + 1);  // 30 Dec 1899 was a Saturday (7)
}

// ---- clock -----------------------------------------------------------------------------------
namespace {
std::mutex gClockLock;
TClockFunction gClock;
}  // namespace

void SetClockForTesting(TClockFunction Clock) {
  std::lock_guard<std::mutex> g(gClockLock);
  gClock = std::move(Clock);
}

double CurrentUnixTime() {
  {
    std::lock_guard<std::mutex> g(gClockLock);
    if (gClock) return gClock();
  }
  auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration<double>(now).count();
}

TDateTime UnixToDateTime(double UnixSeconds) {
  double days = std::floor(UnixSeconds / SecsPerDay);
  double frac = (UnixSeconds - days * SecsPerDay) / SecsPerDay;
  double d = days + static_cast<double>(kDateDelta);
  return d >= 0 ? d + frac : d - frac;
}

double DateTimeToUnix(TDateTime DT) {
  long long day, ms;
  Split(DT, day, ms);
  return static_cast<double>(day - kDateDelta) * SecsPerDay + static_cast<double>(ms) / 1000.0;
}

TDateTime Now() { return UnixToDateTime(UtcToLocalSeconds(CurrentUnixTime())); }
TDateTime Date() { return std::floor(Now()); }
TDateTime Time() {
  TDateTime n = Now();
  return n - std::floor(n);
}

// ---- text ------------------------------------------------------------------------------------
namespace {

const char* const kShortDay[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDay[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                "Thursday", "Friday", "Saturday"};
const char* const kShortMonth[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonth[] = {"January",   "February", "March",    "April",
                                  "May",       "June",     "July",     "August",
                                  "September", "October",  "November", "December"};

String Two(int v) {
  String s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

bool StartsWithNoCase(const String& f, size_t i, const char* what) {
  for (size_t k = 0; what[k] != 0; ++k)
    if (i + k >= f.size() || LowerCaseChar(f[i + k]) != what[k]) return false;
  return true;
}

void FormatInto(String& out, const String& f, TDateTime DT, int depth) {
  Word y, mo, d, h, n, s, ms;
  DecodeDateTime(DT, y, mo, d, h, n, s, ms);
  const int dow = DayOfWeek(DT) - 1;
  // 12-hour clock when the pattern has an am/pm marker anywhere.
  bool twelve = false;
  {
    char quote = 0;
    for (size_t i = 0; i < f.size(); ++i) {
      if (quote) {
        if (f[i] == quote) quote = 0;
        continue;
      }
      if (f[i] == '"' || f[i] == '\'')
        quote = f[i];
      else if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") ||
               StartsWithNoCase(f, i, "ampm"))
        twelve = true;
    }
  }
  bool lastWasHour = false;
  size_t i = 0;
  while (i < f.size()) {
    char c = f[i];
    char lc = LowerCaseChar(c);
    size_t run = 1;
    while (i + run < f.size() && LowerCaseChar(f[i + run]) == lc) ++run;
    switch (lc) {
      case '"':
      case '\'': {
        size_t e = f.find(c, i + 1);
        if (e == String::npos) e = f.size();
        out.append(f, i + 1, e - i - 1);
        i = e + 1;
        continue;
      }
      case 'd':
        if (run == 1)
          out += std::to_string(d);
        else if (run == 2)
          out += Two(d);
        else if (run == 3)
          out += kShortDay[dow];
        else if (run == 4)
          out += kLongDay[dow];
        else if (depth == 0)
          FormatInto(out, FormatSettings.ShortDateFormat, DT, 1);
        lastWasHour = false;
        break;
      case 'm':
        if (lastWasHour && run <= 2) {
          out += run == 1 ? std::to_string(n) : Two(n);
        } else if (run == 1) {
          out += std::to_string(mo);
        } else if (run == 2) {
          out += Two(mo);
        } else if (run == 3) {
          out += kShortMonth[mo - 1];
        } else {
          out += kLongMonth[mo - 1];
        }
        lastWasHour = false;
        break;
      case 'y':
        if (run <= 2)
          out += Two(y % 100);
        else {
          String ys = std::to_string(y);
          while (ys.size() < 4) ys = "0" + ys;
          out += ys;
        }
        lastWasHour = false;
        break;
      case 'h': {
        int hh = h;
        if (twelve) {
          hh = h % 12;
          if (hh == 0) hh = 12;
        }
        out += run == 1 ? std::to_string(hh) : Two(hh);
        lastWasHour = true;
        i += run;
        continue;
      }
      case 'n':
        out += run == 1 ? std::to_string(n) : Two(n);
        lastWasHour = false;
        break;
      case 's':
        out += run == 1 ? std::to_string(s) : Two(s);
        lastWasHour = false;
        break;
      case 'z': {
        if (run >= 3) {
          String z = std::to_string(ms);
          while (z.size() < 3) z = "0" + z;
          out += z;
        } else {
          out += std::to_string(ms);
        }
        lastWasHour = false;
        break;
      }
      case 't':
        if (depth == 0)
          FormatInto(out, run == 1 ? String("hh:nn") : FormatSettings.LongTimeFormat, DT, 1);
        lastWasHour = false;
        break;
      case 'c':
        if (depth == 0) {
          FormatInto(out, FormatSettings.ShortDateFormat, DT, 1);
          if (h != 0 || n != 0 || s != 0) {
            out += ' ';
            FormatInto(out, FormatSettings.LongTimeFormat, DT, 1);
          }
        }
        lastWasHour = false;
        break;
      case 'a':
        if (StartsWithNoCase(f, i, "am/pm")) {
          bool upper = f[i] == 'A';
          out += h < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
          i += 5;
          continue;
        }
        if (StartsWithNoCase(f, i, "a/p")) {
          bool upper = f[i] == 'A';
          out += h < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
          i += 3;
          continue;
        }
        if (StartsWithNoCase(f, i, "ampm")) {
          out += h < 12 ? "AM" : "PM";
          i += 4;
          continue;
        }
        out.append(run, c);
        break;
      case '/':
        for (size_t k = 0; k < run; ++k) out += FormatSettings.DateSeparator;
        break;
      case ':':
        for (size_t k = 0; k < run; ++k) out += FormatSettings.TimeSeparator;
        break;
      default: out.append(f, i, run); break;
    }
    i += run;
  }
}

}  // namespace

String FormatDateTime(const String& Format, TDateTime DT) {
  String out;
  FormatInto(out, Format.empty() ? String("c") : Format, DT, 0);
  return out;
}

String DateToStr(TDateTime DT) { return FormatDateTime(FormatSettings.ShortDateFormat, DT); }
String TimeToStr(TDateTime DT) { return FormatDateTime(FormatSettings.LongTimeFormat, DT); }
String DateTimeToStr(TDateTime DT) { return FormatDateTime("c", DT); }
