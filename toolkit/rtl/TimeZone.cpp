// The captured time zone and local-time conversions on it.

#include "TimeZone.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "CalendarMath.h"
#include "SysUtils.h"

namespace {

using Seconds = std::int64_t;
constexpr Seconds SecondsPerDay = 86400;
constexpr Seconds SecondsPerHour = 3600;

// One kind of local time: its offset east of UTC, whether it is daylight time, its abbreviation.
struct TLocalType {
  std::int32_t Offset = 0;
  bool Daylight = false;
  String Name;
};

// The day and local time of a yearly change, in the three forms of a POSIX rule: "Mm.w.d"
// (weekday d of week w of month m, 5 = the last), "Jn" (day n of 1..365, 29 February never
// counted) and "n" (day n of 0..365). Time is of the clock in force before the change and may
// be negative or beyond a day.
struct TRuleDay {
  enum { MonthWeekDay, JulianNoLeap, DayOfYear } Form = MonthWeekDay;
  int Month = 1, Week = 1, Weekday = 0, Day = 0;
  Seconds Time = 2 * SecondsPerHour;
};

// A zone: the changes its database entry lists (UTC instant and the type from then on), the type
// before the first one, and the yearly rule that holds after the last listed change (or always,
// when none is listed).
struct TZone {
  std::vector<TLocalType> Types;
  std::vector<Seconds> ChangeAt;
  std::vector<int> TypeAfter;
  int InitialType = 0;
  bool HasRule = false;  // without one the last listed type holds for ever
  int RuleStd = 0, RuleDst = -1;  // types of the rule; RuleDst -1: no daylight time
  TRuleDay Start, End;            // to daylight time, back to standard time
  std::optional<TTimeZoneInformation> Injected;  // the platform form, as a test set it
};

std::mutex gZoneLock;
std::shared_ptr<const TZone> gZone;

std::shared_ptr<const TZone> Zone() {
  {
    std::lock_guard<std::mutex> g(gZoneLock);
    if (gZone) return gZone;
  }
  CaptureSystemTimeZone();
  std::lock_guard<std::mutex> g(gZoneLock);
  return gZone;
}

void SetZone(std::shared_ptr<const TZone> z) {
  std::lock_guard<std::mutex> g(gZoneLock);
  gZone = std::move(z);
}

TZone UtcZone() {
  TZone z;
  z.Types.push_back({0, false, "UTC"});
  return z;
}

Seconds FloorSeconds(double T) {
  // Far beyond any calendar in use; keeps the arithmetic below in range for hostile input.
  constexpr double Limit = 1e15;
  if (!(T > -Limit)) return static_cast<Seconds>(-Limit);
  if (!(T < Limit)) return static_cast<Seconds>(Limit);
  return static_cast<Seconds>(std::floor(T));
}

long long YearOf(Seconds T) {
  long long y;
  unsigned m, d;
  calendar::CivilFromDays(calendar::FloorDiv(T, SecondsPerDay), y, m, d);
  return y;
}

// ---- the yearly rule --------------------------------------------------------------------------

long long RuleDayNumber(const TRuleDay& R, long long Year) {
  const long long jan1 = calendar::DaysFromCivil(Year, 1, 1);
  switch (R.Form) {
    case TRuleDay::JulianNoLeap:
      return jan1 + R.Day - 1 + (calendar::IsLeap(Year) && R.Day >= 60 ? 1 : 0);
    case TRuleDay::DayOfYear: return jan1 + R.Day;
    case TRuleDay::MonthWeekDay: break;
  }
  const unsigned m = static_cast<unsigned>(R.Month);
  const long long first = calendar::DaysFromCivil(Year, m, 1);
  int day = 1 + (R.Weekday - calendar::WeekdayFromDays(first) + 7) % 7;  // first such weekday
  day += 7 * (std::clamp(R.Week, 1, 5) - 1);
  const int days = static_cast<int>(calendar::DaysInMonth(Year, m));
  while (day > days) day -= 7;  // week 5 = the last one
  return first + day - 1;
}

// The UTC instants of the rule's two changes in a year.
void RuleChanges(const TZone& Z, long long Year, Seconds& ToDst, Seconds& ToStd) {
  ToDst = RuleDayNumber(Z.Start, Year) * SecondsPerDay + Z.Start.Time -
          Z.Types[static_cast<size_t>(Z.RuleStd)].Offset;
  ToStd = RuleDayNumber(Z.End, Year) * SecondsPerDay + Z.End.Time -
          Z.Types[static_cast<size_t>(Z.RuleDst)].Offset;
}

int RuleTypeAt(const TZone& Z, Seconds T) {
  if (Z.RuleDst < 0) return Z.RuleStd;
  Seconds toDst, toStd;
  RuleChanges(Z, YearOf(T + Z.Types[static_cast<size_t>(Z.RuleStd)].Offset), toDst, toStd);
  const bool dst = toDst < toStd ? T >= toDst && T < toStd
                                 : T >= toDst || T < toStd;  // daylight time spans the new year
  return dst ? Z.RuleDst : Z.RuleStd;
}

const TLocalType& TypeAt(const TZone& Z, Seconds T) {
  const auto next = std::upper_bound(Z.ChangeAt.begin(), Z.ChangeAt.end(), T);
  int type;
  if (next == Z.ChangeAt.begin())
    type = Z.ChangeAt.empty() && Z.HasRule ? RuleTypeAt(Z, T) : Z.InitialType;
  else if (next == Z.ChangeAt.end() && Z.HasRule)
    type = RuleTypeAt(Z, T);
  else
    type = Z.TypeAfter[static_cast<size_t>(next - Z.ChangeAt.begin() - 1)];
  return Z.Types[static_cast<size_t>(type)];
}

// The instants in (From, To) at which the local time type may change, ascending.
std::vector<Seconds> ChangesBetween(const TZone& Z, Seconds From, Seconds To) {
  std::vector<Seconds> out;
  for (auto it = std::upper_bound(Z.ChangeAt.begin(), Z.ChangeAt.end(), From);
       it != Z.ChangeAt.end() && *it < To; ++it)
    out.push_back(*it);
  if (Z.HasRule && Z.RuleDst >= 0) {
    const Seconds ruleFrom = Z.ChangeAt.empty() ? From : std::max(From, Z.ChangeAt.back());
    for (long long y = YearOf(ruleFrom) - 1; y <= YearOf(To) + 1; ++y) {
      Seconds toDst, toStd;
      RuleChanges(Z, y, toDst, toStd);
      for (Seconds t : {toDst, toStd})
        if (t > ruleFrom && t > From && t < To) out.push_back(t);
    }
    std::sort(out.begin(), out.end());
  }
  return out;
}

// ---- reading POSIX rules ----------------------------------------------------------------------

bool ReadNumber(const char*& P, int MaxDigits, int& Value) {
  if (!std::isdigit(static_cast<unsigned char>(*P))) return false;
  Value = 0;
  for (int n = 0; n < MaxDigits && std::isdigit(static_cast<unsigned char>(*P)); ++n, ++P)
    Value = Value * 10 + (*P - '0');
  return !std::isdigit(static_cast<unsigned char>(*P));
}

bool ReadName(const char*& P, String& Name) {
  Name.clear();
  if (*P == '<') {
    for (++P; *P != '>'; ++P) {
      if (!std::isalnum(static_cast<unsigned char>(*P)) && *P != '+' && *P != '-') return false;
      Name += *P;
    }
    ++P;
  } else {
    for (; std::isalpha(static_cast<unsigned char>(*P)); ++P) Name += *P;
  }
  return Name.size() >= 3;
}

// [+-]hh[:mm[:ss]] with hh at most MaxHours.
bool ReadClock(const char*& P, int MaxHours, Seconds& Value) {
  int sign = 1;
  if (*P == '+' || *P == '-') sign = *P++ == '-' ? -1 : 1;
  int h = 0, m = 0, s = 0;
  if (!ReadNumber(P, 3, h) || h > MaxHours) return false;
  if (*P == ':') {
    ++P;
    if (!ReadNumber(P, 2, m) || m > 59) return false;
    if (*P == ':') {
      ++P;
      if (!ReadNumber(P, 2, s) || s > 59) return false;
    }
  }
  Value = sign * (h * SecondsPerHour + m * 60 + s);
  return true;
}

bool ReadRuleDay(const char*& P, TRuleDay& R) {
  R = TRuleDay{};
  if (*P == 'M') {
    ++P;
    if (!ReadNumber(P, 2, R.Month) || R.Month < 1 || R.Month > 12 || *P++ != '.') return false;
    if (!ReadNumber(P, 1, R.Week) || R.Week < 1 || R.Week > 5 || *P++ != '.') return false;
    if (!ReadNumber(P, 1, R.Weekday) || R.Weekday > 6) return false;
  } else if (*P == 'J') {
    ++P;
    R.Form = TRuleDay::JulianNoLeap;
    if (!ReadNumber(P, 3, R.Day) || R.Day < 1 || R.Day > 365) return false;
  } else {
    R.Form = TRuleDay::DayOfYear;
    if (!ReadNumber(P, 3, R.Day) || R.Day > 365) return false;
  }
  if (*P == '/') {
    ++P;
    constexpr int MaxRuleHours = 167;  // a week, as zone files use to express odd changes
    if (!ReadClock(P, MaxRuleHours, R.Time)) return false;
  }
  return true;
}

// Sets the rule part of Z (its types appended) from "STD offset [DST [offset] [,start,end]]".
bool ReadPosixRule(const String& Text, TZone& Z) {
  const char* p = Text.c_str();
  TLocalType stdType, dstType;
  Seconds offset = 0;
  if (!ReadName(p, stdType.Name) || !ReadClock(p, 24, offset)) return false;
  stdType.Offset = static_cast<std::int32_t>(-offset);  // POSIX counts west of UTC
  TRuleDay start, end;
  const bool hasDst = *p != '\0';
  if (hasDst) {
    if (!ReadName(p, dstType.Name)) return false;
    dstType.Offset = stdType.Offset + static_cast<std::int32_t>(SecondsPerHour);
    if (*p != ',' && *p != '\0') {
      if (!ReadClock(p, 24, offset)) return false;
      dstType.Offset = static_cast<std::int32_t>(-offset);
    }
    if (*p == ',') {
      ++p;
      if (!ReadRuleDay(p, start) || *p++ != ',' || !ReadRuleDay(p, end)) return false;
    } else {
      // No dates given: the POSIX default of the C library, second Sunday of March to first
      // Sunday of November.
      const char* usual = "M3.2.0,M11.1.0";
      if (!ReadRuleDay(usual, start) || *usual++ != ',' || !ReadRuleDay(usual, end)) return false;
    }
    if (*p != '\0') return false;
    // A rule whose "daylight" time is the clock set back names the other half daylight time.
    dstType.Daylight = dstType.Offset > stdType.Offset;
    stdType.Daylight = !dstType.Daylight;
  }
  Z.HasRule = true;
  Z.RuleStd = static_cast<int>(Z.Types.size());
  Z.Types.push_back(stdType);
  Z.RuleDst = -1;
  if (hasDst) {
    Z.RuleDst = static_cast<int>(Z.Types.size());
    Z.Types.push_back(dstType);
    Z.Start = start;
    Z.End = end;
  }
  return true;
}

// ---- reading zone files -----------------------------------------------------------------------

class TBytes {
public:
  explicit TBytes(const String& B) : FB(B) {}
  bool Has(size_t N) const { return FPos <= FB.size() && FB.size() - FPos >= N; }
  std::uint32_t U32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(FB[FPos++]);
    return v;
  }
  std::int64_t I64() {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | static_cast<unsigned char>(FB[FPos++]);
    return static_cast<std::int64_t>(v);
  }
  unsigned char Byte() { return static_cast<unsigned char>(FB[FPos++]); }
  void Skip(size_t N) { FPos += N; }
  size_t Pos() const { return FPos; }
  const String& All() const { return FB; }

private:
  const String& FB;
  size_t FPos = 0;
};

struct TTzifHeader {
  char Version = 0;
  std::uint32_t IsUtCount = 0, IsStdCount = 0, LeapCount = 0, TimeCount = 0, TypeCount = 0,
                CharCount = 0;
};

bool ReadTzifHeader(TBytes& In, TTzifHeader& H) {
  constexpr size_t HeaderSize = 44;
  if (!In.Has(HeaderSize) || In.All().compare(In.Pos(), 4, "TZif") != 0) return false;
  In.Skip(4);
  H.Version = static_cast<char>(In.Byte());
  In.Skip(15);
  H.IsUtCount = In.U32();
  H.IsStdCount = In.U32();
  H.LeapCount = In.U32();
  H.TimeCount = In.U32();
  H.TypeCount = In.U32();
  H.CharCount = In.U32();
  constexpr std::uint32_t MaxCount = 1u << 20;
  return H.TypeCount >= 1 && H.TypeCount <= 256 && H.CharCount >= 1 && H.TimeCount < MaxCount &&
         H.LeapCount < MaxCount && H.CharCount < MaxCount && H.IsUtCount <= H.TypeCount &&
         H.IsStdCount <= H.TypeCount;
}

size_t TzifBlockSize(const TTzifHeader& H, size_t TimeSize) {
  return H.TimeCount * (TimeSize + 1) + H.TypeCount * 6 + H.CharCount +
         H.LeapCount * (TimeSize + 4) + H.IsStdCount + H.IsUtCount;
}

bool ReadTzifBlock(TBytes& In, const TTzifHeader& H, size_t TimeSize, TZone& Z) {
  if (!In.Has(TzifBlockSize(H, TimeSize))) return false;
  Z.ChangeAt.resize(H.TimeCount);
  for (Seconds& t : Z.ChangeAt)
    t = TimeSize == 8 ? In.I64() : static_cast<std::int32_t>(In.U32());
  if (!std::is_sorted(Z.ChangeAt.begin(), Z.ChangeAt.end())) return false;
  Z.TypeAfter.resize(H.TimeCount);
  for (int& k : Z.TypeAfter)
    if ((k = In.Byte()) >= static_cast<int>(H.TypeCount)) return false;
  struct TRaw {
    std::int32_t Offset;
    bool IsDst;
    unsigned NameAt;
  };
  std::vector<TRaw> raw(H.TypeCount);
  constexpr std::int32_t MaxOffset = 26 * 3600;
  for (TRaw& r : raw) {
    r.Offset = static_cast<std::int32_t>(In.U32());
    r.IsDst = In.Byte() != 0;
    r.NameAt = In.Byte();
    if (r.Offset <= -MaxOffset || r.Offset >= MaxOffset || r.NameAt >= H.CharCount) return false;
  }
  const String names = In.All().substr(In.Pos(), H.CharCount);
  In.Skip(H.CharCount + H.LeapCount * (TimeSize + 4) + H.IsStdCount + H.IsUtCount);

  // Daylight time is the clock set forward: where the database flags the lower offset of a pair
  // of neighbouring periods as its daylight-saving time, the higher one is read as daylight time.
  std::vector<bool> reversed(raw.size(), false);
  for (size_t i = 0; i < Z.TypeAfter.size(); ++i) {
    const size_t a = static_cast<size_t>(i == 0 ? 0 : Z.TypeAfter[i - 1]);
    const size_t b = static_cast<size_t>(Z.TypeAfter[i]);
    if (raw[a].IsDst == raw[b].IsDst) continue;
    const size_t flagged = raw[a].IsDst ? a : b, other = raw[a].IsDst ? b : a;
    if (raw[flagged].Offset < raw[other].Offset) reversed[flagged] = reversed[other] = true;
  }
  Z.Types.clear();
  for (size_t k = 0; k < raw.size(); ++k) {
    const size_t end = names.find('\0', raw[k].NameAt);
    Z.Types.push_back({raw[k].Offset, raw[k].IsDst != reversed[k],
                       names.substr(raw[k].NameAt, end == String::npos ? end : end - raw[k].NameAt)});
  }
  Z.InitialType = 0;
  return true;
}

// A zone file (RFC 8536): the 64-bit data of version 2 and later with the rule after them, or
// the 32-bit data of version 1.
bool ReadTzif(const String& Bytes, TZone& Z) {
  TBytes in(Bytes);
  TTzifHeader h;
  if (!ReadTzifHeader(in, h)) return false;
  if (h.Version == '\0') return ReadTzifBlock(in, h, 4, Z);
  if (!in.Has(TzifBlockSize(h, 4))) return false;
  in.Skip(TzifBlockSize(h, 4));
  if (!ReadTzifHeader(in, h) || !ReadTzifBlock(in, h, 8, Z)) return false;
  // The rule between two line feeds; a damaged or empty one leaves the last type for ever.
  const String& all = in.All();
  if (in.Pos() < all.size() && all[in.Pos()] == '\n') {
    const size_t end = all.find('\n', in.Pos() + 1);
    const String rule =
        all.substr(in.Pos() + 1, end == String::npos ? String::npos : end - in.Pos() - 1);
    TZone withRule = Z;
    if (!rule.empty() && ReadPosixRule(rule, withRule)) Z = std::move(withRule);
  }
  return true;
}

bool ReadZoneFile(const String& Path, TZone& Z) {
  constexpr std::streamoff MaxZoneFile = 1 << 20;
  std::ifstream f(Path, std::ios::binary | std::ios::ate);
  if (!f) return false;
  const std::streamoff size = f.tellg();
  if (size <= 0 || size > MaxZoneFile) return false;
  String bytes(static_cast<size_t>(size), '\0');
  f.seekg(0);
  if (!f.read(bytes.data(), size)) return false;
  TZone z;
  if (!ReadTzif(bytes, z)) return false;
  Z = std::move(z);
  return true;
}

// A zone as the TZ variable names it: "" is UTC, ":x" is x, an absolute path a zone file, a name
// a file of the zone database, anything else a POSIX rule.
bool ReadNamedZone(String Spec, TZone& Z) {
  if (!Spec.empty() && Spec[0] == ':') Spec.erase(0, 1);
  if (Spec.empty()) {
    Z = UtcZone();
    return true;
  }
  if (Spec[0] == '/') return ReadZoneFile(Spec, Z);
  const bool plainName = Spec.find("..") == String::npos &&
                         std::all_of(Spec.begin(), Spec.end(), [](char c) {
                           return std::isalnum(static_cast<unsigned char>(c)) || c == '/' ||
                                  c == '_' || c == '-' || c == '+' || c == '.';
                         });
  if (plainName) {
    const char* dir = std::getenv("TZDIR");
    if (ReadZoneFile(String(dir != nullptr && *dir != '\0' ? dir : "/usr/share/zoneinfo") + "/" +
                         Spec,
                     Z))
      return true;
  }
  TZone rule;
  if (!ReadPosixRule(Spec, rule)) return false;
  Z = std::move(rule);
  return true;
}

// ---- the platform's description -----------------------------------------------------------------

TSystemTime RuleDate(Seconds LocalSeconds) {
  const long long days = calendar::FloorDiv(LocalSeconds, SecondsPerDay);
  long long y;
  unsigned m, d;
  calendar::CivilFromDays(days, y, m, d);
  const Seconds secs = LocalSeconds - days * SecondsPerDay;
  TSystemTime r;
  r.wMonth = static_cast<Word>(m);
  r.wDayOfWeek = static_cast<Word>(calendar::WeekdayFromDays(days));
  r.wDay = static_cast<Word>(d + 7 > calendar::DaysInMonth(y, m) ? 5 : (d - 1) / 7 + 1);
  r.wHour = static_cast<Word>(secs / 3600);
  r.wMinute = static_cast<Word>(secs / 60 % 60);
  r.wSecond = static_cast<Word>(secs % 60);
  return r;
}

// The changes of the UTC year of Now in the platform's form: when the year has a change forward
// and a change back between the same two offsets, they are the daylight rule; otherwise the
// zone has none and its bias is the offset in force now.
TTimeZoneInformation DescribeYear(const TZone& Z, Seconds Now) {
  const long long year = YearOf(Now);
  const Seconds start = calendar::DaysFromCivil(year, 1, 1) * SecondsPerDay;
  const Seconds stop = calendar::DaysFromCivil(year + 1, 1, 1) * SecondsPerDay;
  struct TChange {
    Seconds At;
    const TLocalType *Before, *After;
  };
  std::vector<TChange> changes;
  for (Seconds t : ChangesBetween(Z, start - 1, stop + 1)) {
    const TLocalType& before = TypeAt(Z, t - 1);
    const TLocalType& after = TypeAt(Z, t);
    if (before.Offset != after.Offset) changes.push_back({t, &before, &after});
  }
  const TChange* toDst = nullptr;
  const TChange* toStd = nullptr;
  for (const TChange& c : changes) {
    if (c.After->Offset > c.Before->Offset && toDst == nullptr) toDst = &c;
    if (c.After->Offset < c.Before->Offset && toStd == nullptr) toStd = &c;
  }
  TTimeZoneInformation info;
  if (toDst != nullptr && toStd != nullptr && toDst->After->Offset == toStd->Before->Offset &&
      toDst->Before->Offset == toStd->After->Offset) {
    const std::int32_t stdOff = toDst->Before->Offset;
    const std::int32_t dstOff = toDst->After->Offset;
    info.Bias = -stdOff / 60;
    info.DaylightBias = -(dstOff - stdOff) / 60;
    info.StandardName = toDst->Before->Name;
    info.DaylightName = toDst->After->Name;
    info.DaylightDate = RuleDate(toDst->At + stdOff);
    info.StandardDate = RuleDate(toStd->At + dstOff);
  } else {
    const TLocalType& now = TypeAt(Z, Now);
    info.Bias = -now.Offset / 60;
    info.StandardName = now.Name;
    info.DaylightName = now.Name;
  }
  return info;
}

bool HasDaylightRule(const TTimeZoneInformation& Z) {
  return Z.DaylightDate.wMonth != 0 && Z.StandardDate.wMonth != 0;
}

TRuleDay RuleDayOf(const TSystemTime& D) {
  TRuleDay r;
  r.Month = std::clamp<int>(D.wMonth, 1, 12);
  r.Week = std::clamp<int>(D.wDay, 1, 5);
  r.Weekday = D.wDayOfWeek % 7;
  r.Time = D.wHour * SecondsPerHour + D.wMinute * 60 + D.wSecond;
  return r;
}

// The zone that follows Info's one rule in every year.
TZone ZoneOf(const TTimeZoneInformation& Info) {
  TZone z;
  z.HasRule = true;
  z.Types.push_back({static_cast<std::int32_t>(-(Info.Bias + Info.StandardBias) * 60), false,
                     Info.StandardName});
  z.RuleStd = 0;
  z.RuleDst = -1;
  if (HasDaylightRule(Info)) {
    z.Types.push_back({static_cast<std::int32_t>(-(Info.Bias + Info.DaylightBias) * 60), true,
                       Info.DaylightName});
    z.RuleDst = 1;
    z.Start = RuleDayOf(Info.DaylightDate);
    z.End = RuleDayOf(Info.StandardDate);
  }
  z.Injected = Info;
  return z;
}

}  // namespace

void CaptureSystemTimeZone() {
  TZone z;
  const char* tz = std::getenv("TZ");
  const bool read = tz == nullptr ? ReadZoneFile("/etc/localtime", z) : ReadNamedZone(tz, z);
  if (!read) z = UtcZone();  // as the C library does with a zone it cannot read
  SetZone(std::make_shared<const TZone>(std::move(z)));
}

bool TimeZoneCaptured() {
  std::lock_guard<std::mutex> g(gZoneLock);
  return gZone != nullptr;
}

Cardinal GetTimeZoneInformation(TTimeZoneInformation& Info) {
  const auto z = Zone();
  const Seconds now = FloorSeconds(CurrentUnixTime());
  Info = z->Injected ? *z->Injected : DescribeYear(*z, now);
  if (!HasDaylightRule(Info)) return TIME_ZONE_ID_UNKNOWN;
  return TypeAt(*z, now).Daylight ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

void SetTimeZoneForTesting(const TTimeZoneInformation& Info) {
  SetZone(std::make_shared<const TZone>(ZoneOf(Info)));
}

bool SetTimeZoneForTesting(const String& Zone) {
  TZone z;
  if (!ReadNamedZone(Zone, z)) return false;
  SetZone(std::make_shared<const TZone>(std::move(z)));
  return true;
}

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
  const auto z = Zone();
  const TLocalType& t = TypeAt(*z, FloorSeconds(UnixSeconds));
  if (Daylight != nullptr) *Daylight = t.Daylight;
  return static_cast<Integer>(calendar::FloorDiv(t.Offset, 60));
}

double UtcToLocalSeconds(double UnixSeconds, bool* Daylight) {
  const auto z = Zone();
  const TLocalType& t = TypeAt(*z, FloorSeconds(UnixSeconds));
  if (Daylight != nullptr) *Daylight = t.Daylight;
  return UnixSeconds + t.Offset;
}

double LocalSecondsToUtc(double LocalSeconds, int IsDst, bool* Daylight) {
  const auto z = Zone();
  const Seconds local = FloorSeconds(LocalSeconds);
  const double fraction = LocalSeconds - static_cast<double>(local);
  // The periods around the local time (offsets never exceed a day and two hours): each whose
  // offset maps the local time into itself gives one instant of that local time.
  constexpr Seconds Reach = 30 * SecondsPerHour;
  std::vector<Seconds> bounds{local - Reach};
  for (Seconds t : ChangesBetween(*z, local - Reach, local + Reach)) bounds.push_back(t);
  bounds.push_back(local + Reach);
  std::vector<const TLocalType*> exact;  // in time order
  const TLocalType* beforeGap = nullptr;
  const TLocalType* afterGap = nullptr;
  for (size_t i = 0; i + 1 < bounds.size(); ++i) {
    const TLocalType& type = TypeAt(*z, bounds[i]);
    const Seconds utc = local - type.Offset;
    if (utc >= bounds[i] && utc < bounds[i + 1]) exact.push_back(&type);
    if (utc >= bounds[i + 1] && i + 2 < bounds.size()) {
      const TLocalType& next = TypeAt(*z, bounds[i + 1]);
      if (local - next.Offset < bounds[i + 1]) {  // skipped by the change at bounds[i + 1]
        beforeGap = &type;
        afterGap = &next;
      }
    }
  }
  const TLocalType* chosen = nullptr;
  if (!exact.empty()) {
    // A repeated time: daylight time unless asked otherwise, else the earlier instant.
    const bool want = IsDst != 0;
    chosen = exact.front();
    for (const TLocalType* t : exact)
      if (t->Daylight == want) {
        chosen = t;
        break;
      }
    // Asked for the kind of time that is not in force: that kind's offset, as if the clock had
    // not been changed.
    if (IsDst >= 0 && chosen->Daylight != want && z->HasRule && z->RuleDst >= 0) {
      const TLocalType& ruleStd = z->Types[static_cast<size_t>(z->RuleStd)];
      const TLocalType& ruleDst = z->Types[static_cast<size_t>(z->RuleDst)];
      chosen = ruleDst.Daylight == want ? &ruleDst : &ruleStd;
    }
  } else {
    // In the gap of a change forward: the offset before it, which carries the time past the
    // change (unless the other kind of time is asked for).
    chosen = beforeGap != nullptr ? beforeGap : &TypeAt(*z, local);
    if (IsDst >= 0 && afterGap != nullptr && chosen->Daylight != (IsDst > 0) &&
        afterGap->Daylight == (IsDst > 0))
      chosen = afterGap;
  }
  if (Daylight != nullptr) *Daylight = chosen->Daylight;
  return static_cast<double>(local - chosen->Offset) + fraction;
}

bool DaylightChangesOfYear(int Year, double& ToDaylightUtc, double& ToStandardUtc) {
  const auto z = Zone();
  const Seconds start = calendar::DaysFromCivil(Year, 1, 1) * SecondsPerDay;
  const Seconds stop = calendar::DaysFromCivil(Year + 1, 1, 1) * SecondsPerDay;
  bool forward = false, back = false;
  for (Seconds t : ChangesBetween(*z, start - 2 * SecondsPerDay, stop + 2 * SecondsPerDay)) {
    const TLocalType& before = TypeAt(*z, t - 1);
    const TLocalType& after = TypeAt(*z, t);
    if (YearOf(t + before.Offset) != Year) continue;
    if (after.Offset > before.Offset && !forward) {
      forward = true;
      ToDaylightUtc = static_cast<double>(t);
    }
    if (after.Offset < before.Offset && !back) {
      back = true;
      ToStandardUtc = static_cast<double>(t);
    }
  }
  return forward && back;
}
