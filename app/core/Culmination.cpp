#include "Culmination.h"

#include "SysUtils.h"

namespace {

enum TSearchState { ssFalling = 0, ssRising = 1, ssStart = 3, ssSecondSample = 4 };

constexpr crt::time_t Minute = 60;
constexpr crt::time_t JumpAfterCulmination = 36000;  // 10 hours

class TSearch {
public:
  TSearch(const TSkyObject& Object, const TObserver& Observer)
      : FObject(Object), FObserver(Observer) {}

  TSkyPosition At(crt::time_t T) const { return PositionOf(FObject, FObserver, UtcInstantOf(T)); }

  TCulmination Row(crt::time_t T, const TSkyPosition& P) const {
    TCulmination c;
    c.Instant = T;
    c.Azimuth = P.Azimuth;
    c.Elevation = P.Elevation;
    c.UtcText = crt::AsctimeText(UtcPartsOf(T));
    c.LocalText = crt::AsctimeText(LocalWallTime(T));
    return c;
  }

  TCulminationResult Run(crt::time_t Start, int Count, bool Fast,
                         const std::function<void(const TCulmination&)>& OnRow) const {
    TCulminationResult result;
    TSearchState state = ssStart;
    double prev = 0;
    bool inPeakMinute = false;  // the minute crossing failed: seconds from here to the peak
    const crt::time_t limit = Start + CulminationSearchLimitSeconds;
    for (crt::time_t t = Start; static_cast<int>(result.Rows.size()) < Count;) {
      if (t >= limit) {
        result.GaveUp = true;
        break;
      }
      if (Fast && state == ssRising && !inPeakMinute) {
        if (RisingThroughMinute(t, prev)) continue;
        inPeakMinute = true;
      }
      const TSkyPosition p = At(t);
      const double el = p.Elevation;
      if (!(el > 0)) {
        t += Minute;
        continue;
      }
      const bool higher = el > prev;
      switch (state) {
        case ssStart:
          state = ssSecondSample;
          t += Minute;
          break;
        case ssSecondSample:
        case ssFalling:
          state = higher ? ssRising : ssFalling;
          t += Minute;
          break;
        case ssRising:
          if (higher) {
            t += 1;
          } else {
            result.Rows.push_back(Row(t, p));
            if (OnRow) OnRow(result.Rows.back());
            t += JumpAfterCulmination;
            state = ssFalling;
            inPeakMinute = false;
          }
          break;
      }
      prev = el;
    }
    return result;
  }

private:
  // In the rising state at T (Prev the elevation a step before): when the object is above 0 and
  // rises at the start of the coming minute and at its end, the plain stepping would go through
  // all its seconds rising; take the whole minute at once. Otherwise leave T to the plain steps.
  bool RisingThroughMinute(crt::time_t& T, double& Prev) const {
    const double first = At(T).Elevation;
    if (!(first > 0 && first > Prev)) return false;
    const double beforeLast = At(T + Minute - 2).Elevation;
    const double last = At(T + Minute - 1).Elevation;
    if (!(beforeLast > 0 && last > beforeLast)) return false;
    T += Minute;
    Prev = last;
    return true;
  }

  const TSkyObject& FObject;
  TObserver FObserver;
};

}  // namespace

crt::time_t CulminationStart(crt::time_t Now) {
  const std::tm utc = UtcPartsOf(Now);
  std::tm local{};
  local.tm_year = utc.tm_year;
  local.tm_mon = utc.tm_mon;
  local.tm_mday = utc.tm_mday + 1;
  local.tm_isdst = -1;
  return crt::mktime(&local);
}

TCulminationResult FindCulminations(const TSkyObject& Object, const TObserver& Observer,
                                    crt::time_t Start, int Count,
                                    const std::function<void(const TCulmination&)>& OnRow) {
  return TSearch(Object, Observer).Run(Start, Count, true, OnRow);
}

TCulminationResult FindCulminationsPlain(const TSkyObject& Object, const TObserver& Observer,
                                         crt::time_t Start, int Count) {
  return TSearch(Object, Observer).Run(Start, Count, false, {});
}

String CulminationNote(const std::vector<TCulmination>& Rows) {
  std::vector<TOffsetRun> runs;
  for (const TCulmination& r : Rows) AddOffsetRun(runs, r.Instant);
  return TableOffsetNote(runs, CulminationTexts::DstActive, CulminationTexts::DstNotActive);
}

const std::array<TSkyObject, 8>& CulminationObjects() {
  static const std::array<TSkyObject, 8> objects{{
      {"Moon", skMoon, 0, 0},
      {"Sun", skSun, 0, 0},
      {"Cygnus-A", skFixed, 19.991, 40.733},
      {"Taurus-A", skFixed, 5.575, 22.016},
      {"Cassiopeia-A", skFixed, 23.39, 58.83},
      {"Sagittarius-A", skFixed, 17.768, -28.85},
      {"PSR", skFixed, 0, 0},
      {"3C273", skFixed, 12.485, 2.0524},
  }};
  return objects;
}

namespace {

const char* const Weekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                "Thursday", "Friday", "Saturday"};
const char* const Ordinals[] = {"First", "Second", "Third", "Fourth", "Fifth"};
const char* const Months[] = {"January",   "February", "March",    "April",
                              "May",       "June",     "July",     "August",
                              "September", "October",  "November", "December"};

// "First Sunday of March"; empty when the rule date is not of the n-th-weekday kind.
String RuleText(const TSystemTime& D) {
  if (D.wMonth < 1 || D.wMonth > 12 || D.wDayOfWeek > 6) return String();
  if (D.wYear != 0 || D.wDay < 1 || D.wDay > 5) {
    // An absolute date: its day and month.
    return IntToStr(D.wDay) + " " + Months[D.wMonth - 1];
  }
  return String(Ordinals[D.wDay - 1]) + " " + Weekdays[D.wDayOfWeek] + " of " +
         Months[D.wMonth - 1];
}

}  // namespace

TZoneTexts CulminationZoneTexts(const TZoneState& Zone) {
  TZoneTexts texts;
  const String starts = RuleText(Zone.Info.DaylightDate);
  const String ends = RuleText(Zone.Info.StandardDate);
  if (starts.empty() || ends.empty()) {
    texts.DaylightStarts = texts.DaylightEnds = CulminationTexts::NoDaylightSaving;
  } else {
    texts.DaylightStarts = "Daylight Saving starts on the " + starts;
    texts.DaylightEnds = "Daylight Saving ends on the " + ends;
  }
  texts.Bias = "Current time Zone Bias : " + FloatToStr(Zone.Info.Bias / 60.0) + " hours";
  if (Zone.DaylightInForce()) {
    texts.ZoneName = "Current Time Zone Name: " + Zone.Info.DaylightName + " (DST)";
    texts.Note = CulminationTexts::DstActive;
  } else {
    texts.ZoneName = "Current Time Zone Name: " + Zone.Info.StandardName + " (Not DST)";
    texts.Note = CulminationTexts::DstNotActive;
  }
  return texts;
}
