// C run-time clock and calendar functions on the toolkit's clock and the captured zone.

#include "CRT.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "CalendarMath.h"
#include "SysUtils.h"
#include "TimeZone.h"

namespace crt {

namespace {

void BreakDown(long long secs, tm& out) {
  long long days = calendar::FloorDiv(secs, 86400);
  long long rem = secs - days * 86400;
  long long y;
  unsigned m, d;
  calendar::CivilFromDays(days, y, m, d);
  out = tm{};
  out.tm_year = static_cast<int>(y - 1900);
  out.tm_mon = static_cast<int>(m) - 1;
  out.tm_mday = static_cast<int>(d);
  out.tm_hour = static_cast<int>(rem / 3600);
  out.tm_min = static_cast<int>(rem / 60 % 60);
  out.tm_sec = static_cast<int>(rem % 60);
  out.tm_wday = calendar::WeekdayFromDays(days);
  out.tm_yday = static_cast<int>(days - calendar::DaysFromCivil(y, 1, 1));
}

const char* const kDay[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMon[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

time_t time(time_t* T) {
  time_t now = static_cast<time_t>(std::floor(CurrentUnixTime()));
  if (T != nullptr) *T = now;
  return now;
}

tm* gmtime(const time_t* T) {
  thread_local tm buf;
  if (T == nullptr) return nullptr;
  BreakDown(static_cast<long long>(*T), buf);
  return &buf;
}

tm* localtime(const time_t* T) {
  thread_local tm buf;
  if (T == nullptr) return nullptr;
  bool dst = false;
  double local = UtcToLocalSeconds(static_cast<double>(*T), &dst);
  BreakDown(static_cast<long long>(local), buf);
  buf.tm_isdst = dst ? 1 : 0;
  return &buf;
}

time_t mktime(tm* T) {
  if (T == nullptr) return static_cast<time_t>(-1);
  // Normalise month into year first, then let day arithmetic carry the rest.
  long long mon = T->tm_mon;
  long long year = static_cast<long long>(T->tm_year) + 1900 + calendar::FloorDiv(mon, 12);
  mon -= calendar::FloorDiv(mon, 12) * 12;
  long long days =
      calendar::DaysFromCivil(year, static_cast<unsigned>(mon + 1), 1) + T->tm_mday - 1;
  long long local = days * 86400 + static_cast<long long>(T->tm_hour) * 3600 +
                    static_cast<long long>(T->tm_min) * 60 + T->tm_sec;
  bool dst = false;
  double utc = LocalSecondsToUtc(static_cast<double>(local), T->tm_isdst, &dst);
  // The fields then show the local time of that instant (a time in the skipped hour moves on).
  time_t result = static_cast<time_t>(utc);
  double shown = UtcToLocalSeconds(utc, &dst);
  BreakDown(static_cast<long long>(shown), *T);
  T->tm_isdst = dst ? 1 : 0;
  return result;
}

String AsctimeText(const tm& T) {
  // "Www Mmm dd hh:mm:ss yyyy\n", built by hand: the planners format hundreds of thousands.
  const int wd = T.tm_wday >= 0 && T.tm_wday < 7 ? T.tm_wday : 0;
  const int mo = T.tm_mon >= 0 && T.tm_mon < 12 ? T.tm_mon : 0;
  auto two = [](String& s, int v, char pad) {
    if (v < 0 || v > 99) {
      s += std::to_string(v);
      return;
    }
    s += v < 10 ? pad : static_cast<char>('0' + v / 10);
    s += static_cast<char>('0' + v % 10);
  };
  String s;
  s.reserve(26);
  s += kDay[wd];
  s += ' ';
  s += kMon[mo];
  s += ' ';
  two(s, T.tm_mday, ' ');
  s += ' ';
  two(s, T.tm_hour, '0');
  s += ':';
  two(s, T.tm_min, '0');
  s += ':';
  two(s, T.tm_sec, '0');
  s += ' ';
  s += std::to_string(T.tm_year + 1900);
  s += '\n';
  return s;
}

char* asctime(const tm* T) {
  thread_local char buf[64];
  if (T == nullptr) return nullptr;
  String s = AsctimeText(*T);
  std::snprintf(buf, sizeof buf, "%s", s.c_str());
  return buf;
}

int putenv(const char* NameValue) {
  if (NameValue == nullptr) return -1;
  const char* eq = std::strchr(NameValue, '=');
  if (eq == nullptr || eq == NameValue) return -1;
  String name(NameValue, eq);
  String value(eq + 1);
  if (value.empty()) return ::unsetenv(name.c_str()) == 0 ? 0 : -1;
  return ::setenv(name.c_str(), value.c_str(), 1) == 0 ? 0 : -1;
}

String getenv(const char* Name) {
  if (Name == nullptr) return String();
  const char* v = std::getenv(Name);
  return v != nullptr ? String(v) : String();
}

}  // namespace crt
