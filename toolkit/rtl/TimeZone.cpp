// The captured time zone and local-time conversions on it.

#include "TimeZone.h"

#include <cmath>
#include <ctime>
#include <memory>
#include <mutex>
#include <vector>

#include "CalendarMath.h"
#include "SysUtils.h"

namespace {

std::mutex gZoneLock;
std::shared_ptr<const TTimeZoneInformation> gZone;

std::shared_ptr<const TTimeZoneInformation> Zone() {
  {
    std::lock_guard<std::mutex> g(gZoneLock);
    if (gZone) return gZone;
  }
  CaptureSystemTimeZone();
  std::lock_guard<std::mutex> g(gZoneLock);
  return gZone;
}

void SetZone(const TTimeZoneInformation& z) {
  auto p = std::make_shared<const TTimeZoneInformation>(z);
  std::lock_guard<std::mutex> g(gZoneLock);
  gZone = std::move(p);
}

bool HasRule(const TTimeZoneInformation& z) {
  return z.DaylightDate.wMonth != 0 && z.StandardDate.wMonth != 0;
}

// Local seconds (of the clock in force before the change) of a rule date in a year.
double RuleLocalSeconds(const TSystemTime& r, long long year) {
  unsigned m = r.wMonth;
  long long first = calendar::DaysFromCivil(year, m, 1);
  int wdFirst = calendar::WeekdayFromDays(first);
  int day = 1 + ((static_cast<int>(r.wDayOfWeek) - wdFirst + 7) % 7);  // first such weekday
  int week = r.wDay < 1 ? 1 : (r.wDay > 5 ? 5 : r.wDay);
  day += 7 * (week - 1);
  int dim = static_cast<int>(calendar::DaysInMonth(year, m));
  while (day > dim) day -= 7;  // week 5 = the last one
  long long days = first + day - 1;
  return static_cast<double>(days) * 86400.0 + r.wHour * 3600.0 + r.wMinute * 60.0 + r.wSecond +
         r.wMilliseconds / 1000.0;
}

void Changes(const TTimeZoneInformation& z, long long year, double& toDst, double& toStd) {
  toDst = RuleLocalSeconds(z.DaylightDate, year) + (z.Bias + z.StandardBias) * 60.0;
  toStd = RuleLocalSeconds(z.StandardDate, year) + (z.Bias + z.DaylightBias) * 60.0;
}

long long YearOfLocal(double localSeconds) {
  long long y;
  unsigned m, d;
  calendar::CivilFromDays(static_cast<long long>(std::floor(localSeconds / 86400.0)), y, m, d);
  return y;
}

bool IsDaylight(const TTimeZoneInformation& z, double utc) {
  if (!HasRule(z)) return false;
  long long year = YearOfLocal(utc - z.Bias * 60.0);
  double toDst, toStd;
  Changes(z, year, toDst, toStd);
  if (toDst < toStd) return utc >= toDst && utc < toStd;
  return utc >= toDst || utc < toStd;  // southern hemisphere: daylight time spans the new year
}

// ---- capture from the C library ------------------------------------------------------------
struct Sample {
  long offset;  // seconds east of UTC
  String name;
};

Sample At(std::time_t t) {
  std::tm tm{};
  ::localtime_r(&t, &tm);
  return Sample{tm.tm_gmtoff, tm.tm_zone != nullptr ? String(tm.tm_zone) : String()};
}

TSystemTime RuleDate(double localSeconds) {
  long long days = static_cast<long long>(std::floor(localSeconds / 86400.0));
  long long y;
  unsigned m, d;
  calendar::CivilFromDays(days, y, m, d);
  long secs = static_cast<long>(localSeconds - static_cast<double>(days) * 86400.0);
  TSystemTime r;
  r.wMonth = static_cast<Word>(m);
  r.wDayOfWeek = static_cast<Word>(calendar::WeekdayFromDays(days));
  r.wDay = static_cast<Word>(d + 7 > calendar::DaysInMonth(y, m) ? 5 : (d - 1) / 7 + 1);
  r.wHour = static_cast<Word>(secs / 3600);
  r.wMinute = static_cast<Word>(secs / 60 % 60);
  r.wSecond = static_cast<Word>(secs % 60);
  return r;
}

}  // namespace

void CaptureSystemTimeZone() {
  ::tzset();
  const std::time_t now = static_cast<std::time_t>(std::floor(CurrentUnixTime()));
  std::tm nowTm{};
  ::gmtime_r(&now, &nowTm);
  const long long year = nowTm.tm_year + 1900;
  const std::time_t start = static_cast<std::time_t>(calendar::DaysFromCivil(year, 1, 1) * 86400LL);
  const std::time_t stop =
      static_cast<std::time_t>(calendar::DaysFromCivil(year + 1, 1, 1) * 86400LL);

  // Transitions of the year, found hour by hour and pinned to the second.
  struct Transition {
    std::time_t at;
    Sample before, after;
  };
  std::vector<Transition> found;
  Sample prev = At(start);
  for (std::time_t t = start + 3600; t <= stop; t += 3600) {
    Sample cur = At(t);
    if (cur.offset != prev.offset) {
      std::time_t lo = t - 3600, hi = t;  // offset(lo) == prev, offset(hi) == cur
      while (hi - lo > 1) {
        std::time_t mid = lo + (hi - lo) / 2;
        if (At(mid).offset == prev.offset)
          lo = mid;
        else
          hi = mid;
      }
      found.push_back({hi, prev, cur});
    }
    prev = cur;
  }

  TTimeZoneInformation z;
  const Transition* toDst = nullptr;
  const Transition* toStd = nullptr;
  for (const auto& t : found) {
    if (t.after.offset > t.before.offset && toDst == nullptr) toDst = &t;
    if (t.after.offset < t.before.offset && toStd == nullptr) toStd = &t;
  }
  if (toDst != nullptr && toStd != nullptr && toDst->after.offset == toStd->before.offset &&
      toDst->before.offset == toStd->after.offset) {
    // Daylight time is the clock set forward, whatever the zone database flags it as.
    const long stdOff = toDst->before.offset;
    const long dstOff = toDst->after.offset;
    z.Bias = static_cast<Integer>(-stdOff / 60);
    z.DaylightBias = static_cast<Integer>(-(dstOff - stdOff) / 60);
    z.StandardName = toDst->before.name;
    z.DaylightName = toDst->after.name;
    z.DaylightDate = RuleDate(static_cast<double>(toDst->at) + static_cast<double>(stdOff));
    z.StandardDate = RuleDate(static_cast<double>(toStd->at) + static_cast<double>(dstOff));
  } else {
    Sample s = At(now);
    z.Bias = static_cast<Integer>(-s.offset / 60);
    z.StandardName = s.name;
    z.DaylightName = s.name;
  }
  SetZone(z);
}

bool TimeZoneCaptured() {
  std::lock_guard<std::mutex> g(gZoneLock);
  return gZone != nullptr;
}

Cardinal GetTimeZoneInformation(TTimeZoneInformation& Info) {
  auto z = Zone();
  Info = *z;
  if (!HasRule(*z)) return TIME_ZONE_ID_UNKNOWN;
  return IsDaylight(*z, CurrentUnixTime()) ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

void SetTimeZoneForTesting(const TTimeZoneInformation& Info) { SetZone(Info); }

TTimeZoneInformation CentralEuropeanTimeZone() {
  TTimeZoneInformation z;
  z.Bias = -60;
  z.StandardName = "CET";
  z.StandardDate = TSystemTime{0, 10, 0, 5, 3, 0, 0, 0};
  z.StandardBias = 0;
  z.DaylightName = "CEST";
  z.DaylightDate = TSystemTime{0, 3, 0, 5, 2, 0, 0, 0};
  z.DaylightBias = -60;
  return z;
}

Integer LocalOffsetMinutes(double UnixSeconds, bool* Daylight) {
  auto z = Zone();
  bool dst = IsDaylight(*z, UnixSeconds);
  if (Daylight != nullptr) *Daylight = dst;
  return -(z->Bias + (dst ? z->DaylightBias : z->StandardBias));
}

double UtcToLocalSeconds(double UnixSeconds, bool* Daylight) {
  return UnixSeconds + LocalOffsetMinutes(UnixSeconds, Daylight) * 60.0;
}

double LocalSecondsToUtc(double LocalSeconds, int IsDst, bool* Daylight) {
  auto z = Zone();
  const double asStd = LocalSeconds + (z->Bias + z->StandardBias) * 60.0;
  const double asDst = LocalSeconds + (z->Bias + z->DaylightBias) * 60.0;
  bool dst;
  if (!HasRule(*z)) {
    dst = false;
  } else if (IsDst == 0) {
    dst = false;
  } else if (IsDst > 0) {
    dst = true;
  } else {
    const bool stdValid = !IsDaylight(*z, asStd);
    const bool dstValid = IsDaylight(*z, asDst);
    // Both valid: the repeated hour, taken as daylight time; neither: the skipped hour, taken
    // as standard time.
    dst = dstValid;
    if (!stdValid && !dstValid) dst = false;
  }
  if (Daylight != nullptr) *Daylight = dst;
  return dst ? asDst : asStd;
}

bool DaylightChangesOfYear(int Year, double& ToDaylightUtc, double& ToStandardUtc) {
  auto z = Zone();
  if (!HasRule(*z)) return false;
  Changes(*z, Year, ToDaylightUtc, ToStandardUtc);
  return true;
}
